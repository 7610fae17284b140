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

#include "fuzzutil.h"
#include "graphics.h"
#include "viewer.h"

namespace {

struct Files {
    std::string dir, text, index;
};

const Files &Paths() {
    static const Files f = {fuzz::Scratch(), fuzz::Scratch() + "/t.txt", fuzz::Scratch() + "/.t.txt.tomo"};
    return f;
}

SDL_Surface *Screen() {
    static SDL_Surface *s = SDL_CreateRGBSurface(0, SCREEN_W, SCREEN_H, SCREEN_BPP, 0xF800, 0x07E0, 0x001F, 0);
    return s;
}

SDL_Surface *FontSheet() {
    static SDL_Surface *s = SDL_CreateRGBSurface(0, FONT_CELLS * GLYPH_W, GLYPH_H, 32, 0x000000FF, 0x0000FF00,
                                                 0x00FF0000, 0xFF000000);
    return s;
}

// What the reuse check is to decide, read straight from the bytes.
bool Passes(const std::string &index, size_t text_size) {
    if (index.size() < 8) return false;
    int64_t count = fuzz::Word(index, 1);
    if (count < 0 || count > static_cast<int64_t>(text_size)) return false;
    size_t end_word = static_cast<size_t>(count) + INDEX_HEADER_WORDS;
    if (index.size() < (end_word + 1) * INDEX_WORD_SIZE) return false;
    return fuzz::Word(index, end_word) == static_cast<int32_t>(text_size);
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
        fuzz::Cut want = static_cast<size_t>(off) <= text.size() ? fuzz::ModelCut(text, static_cast<size_t>(off))
                                                                 : fuzz::Cut{false, "", static_cast<size_t>(off)};
        FUZZ_CHECK(ReadWrappedLine(&r, str) == (want.any ? 1 : 0));
        if (!want.any) break;
        FUZZ_CHECK(std::string(str, want.str.size()) == want.str && str[want.str.size()] == '\0');
        off = static_cast<int64_t>(want.next);
        FUZZ_CHECK(LineReaderOffset(&r) == off);
    }
    CloseLineReader(&r);
}

void CheckOnlyTheseFiles() {
    DIR *d = opendir(Paths().dir.c_str());
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
    const Files &f = Paths();

    fuzz::WriteFile(f.text, reinterpret_cast<const uint8_t *>(text.data()), text.size());
    fuzz::WriteFile(f.index, reinterpret_cast<const uint8_t *>(index.data()), index.size());
    snprintf(curPath, sizeof curPath, "%s", f.dir.c_str());
    snprintf(dirlist[0].file, sizeof dirlist[0].file, "t.txt");
    listcnt = 1;
    top_of_list = 0;
    snprintf(filename, sizeof filename, "%s", f.text.c_str());
    cur_line = 12345;
    top_of_page_offset = 6789;

    bool reused = Passes(index, text.size());
    LoadFileInfo(nullptr, nullptr);
    std::vector<int32_t> offs = fuzz::ModelOffsets(text);
    std::string kept = fuzz::ReadFile(f.index);
    if (reused) {
        FUZZ_CHECK(kept == index);
        int32_t saved = fuzz::Word(index, 0);
        int32_t count = fuzz::Word(index, 1);
        bool shown = count == 0 ? saved == 0 || saved == -1 : saved >= 0 && saved < count;
        FUZZ_CHECK(num_lines == count && cur_line == (shown ? saved : 0));
    } else {
        // measured again: the right count and offsets, at the old place
        const int32_t lines = static_cast<int32_t>(offs.size() - 1);
        int32_t place = 0;
        if (index.size() >= 2 * INDEX_WORD_SIZE && fuzz::Word(index, 0) >= 0 && fuzz::Word(index, 0) < fuzz::Word(index, 1))
            place = fuzz::Word(index, 0);
        const int32_t want = lines == 0 ? 0 : std::min(place, lines - 1);
        FUZZ_CHECK(num_lines == lines);
        FUZZ_CHECK(cur_line == want && top_of_page_offset == offs[static_cast<size_t>(want)]);
        FUZZ_CHECK(kept.size() == (offs.size() + 2) * INDEX_WORD_SIZE && fuzz::Word(kept, 1) == num_lines);
        FUZZ_CHECK(fuzz::Word(kept, 0) == want);
        for (size_t i = 0; i < offs.size(); i++) FUZZ_CHECK(fuzz::Word(kept, i + 2) == offs[i]);
    }
    CheckLineInRange();

    for (uint8_t m : moves) {
        Move(m);
        CheckLineInRange();
        if (!reused && num_lines > 0) FUZZ_CHECK(top_of_page_offset == offs[static_cast<size_t>(cur_line)]);
        std::string now = fuzz::ReadFile(f.index);
        FUZZ_CHECK(now.size() == kept.size() && now.compare(4, std::string::npos, kept, 4, std::string::npos) == 0);
        clear_screen(Screen());
        ViewText(FontSheet(), Screen());
        CheckPage(text);
    }
    FUZZ_CHECK(fuzz::ReadFile(f.text) == text);
    CheckOnlyTheseFiles();
    return 0;
}
