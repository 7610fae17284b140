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

namespace {

using namespace testutil;

void CheckRows(const std::string &text, int wrap) {
    std::vector<BookRowModel> rows = BookRows(filename, wrap);
    FUZZ_CHECK(rows == BookModelRows(text, JoinedInside(rows)));
    FUZZ_CHECK(rows.empty() ? text.empty() : rows.back().next == text.size());
    for (const BookRowModel &r : rows) FUZZ_CHECK(DrawnCells(r.drawn) <= TEXT_COLS);
    FUZZ_CHECK(BookRows(filename, wrap, BOOK_BLOCK_MIN + 3) == rows);

    std::vector<char> block(BOOK_BLOCK_MIN);
    char str[BOOK_ROW_SIZE];
    LineReader r;
    for (const BookRowModel &row : rows) {
        FUZZ_CHECK(OpenBookReader(&r, filename, static_cast<int64_t>(row.start), block.data(), BOOK_BLOCK_MIN, wrap));
        FUZZ_CHECK(ReadBookRow(&r, str) == 1);
        FUZZ_CHECK(row.drawn == str && static_cast<size_t>(LineReaderOffset(&r)) == row.next);
        CloseLineReader(&r);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size == 0) return 0;
    std::string text(reinterpret_cast<const char *>(data) + 1, size - 1);
    PickText(Scratch().str(), "t.txt");
    FUZZ_CHECK(WriteFile(filename, text));
    // widths from 0 (nothing joins) to beyond WRAP_MAX_COLS
    CheckRows(text, data[0] % 2 ? 0 : data[0] % (WRAP_MAX_COLS + 8));
    CheckRows(text, WrapWidth(filename));
    return 0;
}
