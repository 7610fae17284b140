// bookcut_fuzz.cpp: the book view's cut on arbitrary text bytes, with the
// wrap width of the input's first byte (and the one the text's own start
// gives). The rows must be the model's for the line feeds they joined, no
// wider than a row, the same through any block, and the same again from
// every row start, where a page is cut from.
#include "bookmodel.h"
#include "fuzzcheck.h"
#include "program.h"
#include "testutil.h"
#include "viewer.h"

using namespace testutil;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size == 0) return 0;
    std::string text(reinterpret_cast<const char *>(data) + 1, size - 1);
    PickText(Scratch().str(), "t.txt");
    FUZZ_CHECK(WriteFile(filename, text));
    // widths from 0 (nothing joins) to beyond WRAP_MAX_COLS
    FUZZ_CHECK(BookCutFault(filename, text, data[0] % 2 ? 0 : data[0] % (WRAP_MAX_COLS + 8)).empty());
    FUZZ_CHECK(BookCutFault(filename, text, WrapWidth(filename)).empty());
    return 0;
}
