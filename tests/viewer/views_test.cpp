// views_test.cpp: a text's two index files, the line index file and the
// book view's, and the one place they keep between them, however the text
// was read since.
#include "bookmodel.h"
#include "viewertest.h"

using namespace testutil;

namespace {

class Views : public ViewerTest {
protected:
    BookText novel = Narration(70, "\n", 6);
    std::vector<BookRowModel> rows = BookModelRows(novel.text, novel.Joins());
    std::vector<ModelLine> lines = ModelLines(novel.text);

    void SetUp() override { Pick("novel.txt", novel.text); }
    void TearDown() override { text_view = VIEW_PLAIN; }

    // Opened in the book view, as after a start in it.
    void LoadBook() {
        text_view = VIEW_BOOK;
        Load();
    }
    std::string PlainIndexPath() const { return dir / ".novel.txt.tomo"; }
    std::string BookIndexPath() const { return dir / ".novel.txt.tomo-book"; }
    int32_t LineAt(size_t offset) const {
        int32_t l = 0;
        while (l + 1 < static_cast<int32_t>(lines.size()) && lines[static_cast<size_t>(l) + 1].start <= offset) l++;
        return l;
    }
    int32_t RowAt(size_t offset) const {
        int32_t r = 0;
        while (r + 1 < static_cast<int32_t>(rows.size()) && rows[static_cast<size_t>(r) + 1].start <= offset) r++;
        return r;
    }
    std::vector<int32_t> RowIndex(int32_t saved) const {
        std::vector<int32_t> words{saved, static_cast<int32_t>(rows.size())};
        for (const BookRowModel &r : rows) words.push_back(static_cast<int32_t>(r.start));
        words.push_back(static_cast<int32_t>(novel.text.size()));
        return words;
    }
    // A page on in the book view, and the place kept as the dispatch keeps it.
    void PageOn() {
        MoveDown15Lines();
        FollowPlainPlace();
    }
};

// What the book view opens at, after another reader (the plain view, an
// older program) left the line index file's saved line.
TEST_F(Views, ReopensAtItsRowWhileThatRowBeginsInTheSavedLine) {
    LoadBook();
    PageOn();
    PageOn();
    // on to a row that begins inside a line, not at its first byte
    while (lines[static_cast<size_t>(LineAt(rows[static_cast<size_t>(cur_line)].start))].start ==
           rows[static_cast<size_t>(cur_line)].start)
        MoveDownOneLine();
    FollowPlainPlace();
    const int32_t row = cur_line;
    const int32_t left = LineAt(rows[static_cast<size_t>(row)].start);
    ASSERT_NE(RowAt(lines[static_cast<size_t>(left)].start), row);
    struct {
        const char *what;
        int32_t saved_line;
        int32_t row;
    } cases[] = {
        {"as it was left", left, row},
        {"read on elsewhere", left + 20, RowAt(lines[static_cast<size_t>(left) + 20].start)},
        {"read back", 3, RowAt(lines[3].start)},
        {"at its first line", 0, 0},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<int32_t> words = ModelIndex(novel.text, c.saved_line);
        WriteFile(PlainIndexPath(), Words(words));
        WriteFile(BookIndexPath(), Words(RowIndex(row)));
        LoadBook();
        EXPECT_EQ(cur_line, c.row);
        EXPECT_EQ(top_of_page_offset, static_cast<int32_t>(rows[static_cast<size_t>(c.row)].start));
        EXPECT_EQ(ReadWords(BookIndexPath()), RowIndex(c.row));
        EXPECT_EQ(ReadWords(PlainIndexPath()), ModelIndex(novel.text, LineAt(rows[static_cast<size_t>(c.row)].start)));
    }
}

// Where neither index file can be made, both are measured into memory, and
// the text's place is the plain line at the top, kept as for the plain view.
TEST_F(Views, WithoutIndexFilesThePlaceIsThePlainLineAtTheTop) {
    fs::create_directory(PlainIndexPath());
    fs::create_directory(BookIndexPath());
    LoadBook();
    EXPECT_EQ(index_kind, INDEX_MEMORY);
    EXPECT_EQ(book_index_kind, INDEX_MEMORY);
    PageOn();
    MoveDownOneLine();
    FollowPlainPlace();
    EXPECT_EQ(top_of_page_offset, static_cast<int32_t>(rows[16].start));
    for (int32_t row = 0; row < static_cast<int32_t>(rows.size()); row += 7)
        ASSERT_EQ(GetSavedOffset(row), static_cast<int32_t>(rows[static_cast<size_t>(row)].start)) << row;
    int32_t place = -1;
    ASSERT_TRUE(RecallPlace(&place));
    EXPECT_EQ(place, LineAt(rows[16].start));
    EXPECT_TRUE(fs::is_empty(PlainIndexPath()) && fs::is_empty(BookIndexPath()));
}

}  // namespace
