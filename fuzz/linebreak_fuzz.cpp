// linebreak_fuzz.cpp: the line cut and the measuring pass on arbitrary text
// bytes. Lines are read with GetLine from offset 0 to the end and checked
// against a byte-at-a-time model of the cut: at most 53 characters, offsets
// strictly rising, the last one the text's size. The measured index must
// hold the same offsets, and a reader opened at any of them, with blocks
// of any size, must cut the same line again.
#include <string.h>
#include <unistd.h>

#include "fuzzcheck.h"
#include "program.h"
#include "testutil.h"
#include "viewer.h"

namespace {

using namespace testutil;

// GetLine from every offset in turn, into a buffer exactly as long as the
// longest line and its NUL, so that one byte more is caught.
std::vector<int32_t> CutWithGetLine(const std::string &text) {
    std::vector<int32_t> offs{0};
    char *str = static_cast<char *>(malloc(TEXT_COLS + 1));
    cur_offset = 0;
    for (;;) {
        int32_t before = cur_offset;
        memset(str, 0xAA, TEXT_COLS + 1);
        int got = GetLine(str);
        ModelLine want = ModelCut(text, static_cast<size_t>(before));
        FUZZ_CHECK(got == (want.next > want.start ? 1 : 0));
        if (!got) {
            FUZZ_CHECK(cur_offset == before);
            break;
        }
        // NUL bytes of the text are characters too: the whole line is
        // compared, up to the NUL the cut puts after it
        FUZZ_CHECK(want.str.size() <= TEXT_COLS);
        FUZZ_CHECK(memcmp(str, want.str.data(), want.str.size()) == 0);
        FUZZ_CHECK(str[want.str.size()] == '\0');
        FUZZ_CHECK(cur_offset > before && static_cast<size_t>(cur_offset) == want.next);
        offs.push_back(cur_offset);
    }
    free(str);
    return offs;
}

// From each offset, a reader with a block of cap bytes cuts the line that
// ends at the next offset.
void RecutFromEveryOffset(const std::vector<int32_t> &offs, int cap) {
    std::vector<char> block(static_cast<size_t>(cap));
    char str[LINE_BUF_SIZE];
    LineReader r;
    for (size_t i = 0; i + 1 < offs.size(); i++) {
        FUZZ_CHECK(OpenLineReader(&r, filename, offs[i], block.data(), cap));
        FUZZ_CHECK(ReadWrappedLine(&r, str) == 1);
        FUZZ_CHECK(LineReaderOffset(&r) == offs[i + 1]);
        CloseLineReader(&r);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const std::string dir = Scratch().str();
    std::string text(reinterpret_cast<const char *>(data), size);
    PickText(dir, "t.txt");
    FUZZ_CHECK(WriteFile(filename, text));

    std::vector<int32_t> offs = CutWithGetLine(text);
    FUZZ_CHECK(static_cast<size_t>(offs.back()) == size);
    FUZZ_CHECK(offs == ModelOffsets(text));
    for (int cap : {1, 2, 53, 54, 100, static_cast<int>(PAGE_BLOCK_SIZE)}) RecutFromEveryOffset(offs, cap);

    // the measuring pass writes the same offsets, and the count
    std::string index = IndexFile(dir, "t.txt");
    unlink(index.c_str());
    LoadFileInfo(nullptr, nullptr);
    std::string bytes = ReadFile(index);
    FUZZ_CHECK(num_lines == static_cast<int32_t>(offs.size() - 1));
    FUZZ_CHECK(bytes.size() % INDEX_WORD_SIZE == 0 && WordsOf(bytes) == ModelIndex(text));
    return 0;
}
