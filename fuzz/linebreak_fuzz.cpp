// linebreak_fuzz.cpp: the line cut and the measuring pass on arbitrary text
// bytes. Lines are read with GetLine from offset 0 to the end and checked
// against a byte-at-a-time model of the cut: at most 53 characters, offsets
// strictly rising, the last one the text's size. The measured index must
// hold the same offsets, and a reader opened at any of them, with blocks
// of any size, must cut the same line again.
#include <string.h>

#include "fuzzutil.h"
#include "viewer.h"

namespace {

void Pick(const std::string &dir, const char *name) {
    snprintf(curPath, sizeof curPath, "%s", dir.c_str());
    snprintf(dirlist[0].file, sizeof dirlist[0].file, "%s", name);
    listcnt = 1;
    top_of_list = 0;
    snprintf(filename, sizeof filename, "%s/%s", dir.c_str(), name);
}

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
        fuzz::Cut want = fuzz::ModelCut(text, static_cast<size_t>(before));
        FUZZ_CHECK(got == (want.any ? 1 : 0));
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
    static const std::string dir = fuzz::Scratch();
    std::string text(reinterpret_cast<const char *>(data), size);
    Pick(dir, "t.txt");
    fuzz::WriteFile(filename, data, size);

    std::vector<int32_t> offs = CutWithGetLine(text);
    FUZZ_CHECK(static_cast<size_t>(offs.back()) == size);
    FUZZ_CHECK(offs == fuzz::ModelOffsets(text));
    for (int cap : {1, 2, 53, 54, 100, static_cast<int>(PAGE_BLOCK_SIZE)}) RecutFromEveryOffset(offs, cap);

    // the measuring pass writes the same offsets, and the count
    std::string index = dir + "/.t.txt.tomo";
    unlink(index.c_str());
    LoadFileInfo(nullptr, nullptr);
    std::string bytes = fuzz::ReadFile(index);
    FUZZ_CHECK(num_lines == static_cast<int32_t>(offs.size() - 1));
    FUZZ_CHECK(bytes.size() == (offs.size() + 2) * INDEX_WORD_SIZE);
    FUZZ_CHECK(fuzz::Word(bytes, 0) == 0 && fuzz::Word(bytes, 1) == num_lines);
    for (size_t i = 0; i < offs.size(); i++) FUZZ_CHECK(fuzz::Word(bytes, i + 2) == offs[i]);
    return 0;
}
