// lineindex_fuzz.cpp: an arbitrary line index file beside an arbitrary
// text, then a run of navigation moves, each followed by a page drawn onto
// a 16-bit surface. An index that fails the reuse check must be measured
// again (the right offsets), opening at the old index's saved line when
// that was one of its lines, lowered to the new last line; one that passes
// is used as it is. Either way the position stays within the count, only
// the saved-line word of the index is ever rewritten, no other file
// appears, and the page is the text cut from the top offset (blank when
// that lies outside it).
#include <SDL.h>
#include <dirent.h>
#include <fuzzer/FuzzedDataProvider.h>

#include "fontsheet.h"
#include "fuzzcheck.h"
#include "graphics.h"
#include "program.h"
#include "surface.h"
#include "testutil.h"
#include "viewer.h"

namespace {

using namespace testutil;

// What the reuse check is to decide, read straight from the bytes: a
// complete index of its count, whose end offset is the text's size.
bool Passes(const std::string &bytes, size_t text_size) {
    const std::vector<int32_t> index = WordsOf(bytes);
    if (index.size() < 2) return false;
    int64_t count = index[1];
    if (count < 0 || count > static_cast<int64_t>(text_size)) return false;
    size_t end_word = static_cast<size_t>(count) + INDEX_HEADER_WORDS;
    return bytes.size() == (end_word + 1) * INDEX_WORD_SIZE && index[end_word] == static_cast<int32_t>(text_size);
}

void Move(uint8_t m) {
    extra_lines_skipped = (m >> 3) % (MAX_EXTRA_LINES + 1);
    switch (m % 6) {
    case 0: MoveDownOneLine(); break;
    case 1: MoveUpOneLine(); break;
    case 2: MoveDown15Lines(); break;
    case 3: MoveUp15Lines(); break;
    case 4: MoveToBeginning(); break;
    default: MoveToEnd(); break;
    }
}

void CheckLineInRange() {
    int lines = num_lines;
    int line = cur_line;
    if (lines == 0)
        FUZZ_CHECK(line == 0 || line == -1);
    else
        FUZZ_CHECK(line >= 0 && line < lines);
}

// The page as the reader cuts it from the top offset: 15 model lines from
// there, or nothing when the offset is outside the text.
void CheckPage(const std::string &text) {
    char block[PAGE_BLOCK_SIZE];
    char str[LINE_BUF_SIZE];
    LineReader r;
    int64_t off = top_of_page_offset;
    bool inside = off >= 0;
    FUZZ_CHECK(OpenLineReader(&r, filename, off, block, PAGE_BLOCK_SIZE) == (inside ? 1 : 0));
    if (!inside) return;
    for (int y = 0; y < PAGE_LINES; y++) {
        ModelLine want = ModelCut(text, static_cast<size_t>(off));
        bool any = want.next > want.start;
        FUZZ_CHECK(ReadWrappedLine(&r, str) == (any ? 1 : 0));
        if (!any) break;
        FUZZ_CHECK(std::string(str, want.str.size()) == want.str && str[want.str.size()] == '\0');
        off = static_cast<int64_t>(want.next);
        FUZZ_CHECK(LineReaderOffset(&r) == off);
    }
    CloseLineReader(&r);
}

void CheckOnlyTheseFiles() {
    DIR *d = opendir(Scratch().str().c_str());
    int n = 0;
    while (dirent *e = readdir(d)) {
        std::string name = e->d_name;
        if (name == "." || name == "..") continue;
        FUZZ_CHECK(name == "t.txt" || name == ".t.txt.tomo");
        n++;
    }
    closedir(d);
    FUZZ_CHECK(n == 2);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    FuzzedDataProvider in(data, size);
    std::vector<uint8_t> moves = in.ConsumeBytes<uint8_t>(in.ConsumeIntegralInRange<size_t>(0, 24));
    std::string text = in.ConsumeRandomLengthString(4096);
    std::string index = in.ConsumeRemainingBytesAsString();
    static const std::string text_path = Scratch() / "t.txt", index_path = IndexFile(Scratch().str(), "t.txt");
    static SDL_Surface *screen = MakeScreen16(), *sheet = MakeSheet(FONT_CELLS * GLYPH_W);

    FUZZ_CHECK(WriteFile(text_path, text) && WriteFile(index_path, index));
    PickText(Scratch().str(), "t.txt");
    cur_line = 12345;
    top_of_page_offset = 6789;

    const std::vector<int32_t> old = WordsOf(index);
    bool reused = Passes(index, text.size());
    LoadFileInfo(nullptr, nullptr);
    std::vector<int32_t> offs = ModelOffsets(text);
    std::string kept = ReadFile(index_path);
    if (reused) {
        FUZZ_CHECK(kept == index);
        bool shown = old[1] == 0 ? old[0] == 0 || old[0] == -1 : old[0] >= 0 && old[0] < old[1];
        FUZZ_CHECK(num_lines == old[1] && cur_line == (shown ? old[0] : 0));
    } else {
        // measured again: the right count and offsets, at the old place
        const int32_t lines = static_cast<int32_t>(offs.size() - 1);
        int32_t place = 0;
        if (old.size() >= 2 && old[0] >= 0 && old[0] < old[1]) place = old[0];
        const int32_t want = lines == 0 ? 0 : std::min(place, lines - 1);
        FUZZ_CHECK(num_lines == lines);
        FUZZ_CHECK(cur_line == want && top_of_page_offset == offs[static_cast<size_t>(want)]);
        FUZZ_CHECK(kept.size() % INDEX_WORD_SIZE == 0 && WordsOf(kept) == ModelIndex(text, want));
    }
    CheckLineInRange();

    for (uint8_t m : moves) {
        Move(m);
        CheckLineInRange();
        if (!reused && num_lines > 0) FUZZ_CHECK(top_of_page_offset == offs[static_cast<size_t>(cur_line)]);
        std::string now = ReadFile(index_path);
        FUZZ_CHECK(now.size() == kept.size() && now.compare(4, std::string::npos, kept, 4, std::string::npos) == 0);
        clear_screen(screen);
        ViewText(sheet, screen);
        CheckPage(text);
    }
    FUZZ_CHECK(ReadFile(text_path) == text);
    CheckOnlyTheseFiles();
    return 0;
}
