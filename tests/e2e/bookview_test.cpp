// bookview_test.cpp: reading in the book view on the real program: SELECT
// turns a page of plain lines into one of book rows and back, keeping the
// top of the page; every move counts rows; the text and a new start keep
// the view and the page; the line index file keeps nothing of it but the
// plain line at the top; a folder that cannot be written.
#include <gtest/gtest.h>

#include <algorithm>

#include "bookmodel.h"
#include "session.h"

namespace {

using namespace e2e;

// A novel's paragraphs wrapped at 70 columns, as the reader sees them in
// either view.
struct Novel {
    BookText book = Narration(70, "\n", 12);
    std::vector<BookRowModel> rows = BookModelRows(book.text, book.Joins());
    std::vector<ModelLine> lines = ModelLines(book.text);

    int Rows() const { return static_cast<int>(rows.size()); }
    // The row, or the plain line, that holds byte offset.
    int RowAt(size_t offset) const {
        int r = 0;
        while (r + 1 < Rows() && rows[static_cast<size_t>(r) + 1].start <= offset) r++;
        return r;
    }
    int LineAt(size_t offset) const {
        int l = 0;
        while (l + 1 < static_cast<int>(lines.size()) && lines[static_cast<size_t>(l) + 1].start <= offset) l++;
        return l;
    }
    // The screen with row (or line) `top`, 0-based, at the top.
    std::vector<std::string> BookPage(int top) const {
        std::vector<std::string> shown;
        for (int r = top; r < std::min(top + 15, Rows()); r++) {
            std::string s = rows[static_cast<size_t>(r)].drawn;
            shown.push_back(s.erase(s.find_last_not_of(' ') + 1));
        }
        return Page(shown, Position(top + 1, Rows()));
    }
    std::vector<std::string> PlainPage(int top) const {
        return Page(LinesFrom(book.text, static_cast<int64_t>(lines[static_cast<size_t>(top)].start)),
                    Position(top + 1, static_cast<long long>(lines.size())));
    }
    // The words of the book view's index file with saved row `saved`.
    std::vector<int32_t> BookIndex(int32_t saved) const {
        std::vector<int32_t> words{saved, Rows()};
        for (const BookRowModel &r : rows) words.push_back(static_cast<int32_t>(r.start));
        words.push_back(static_cast<int32_t>(book.text.size()));
        return words;
    }
};

std::string BookIndexFile(const std::string &folder, const std::string &name) {
    return folder + "/." + name + ".tomo-book";
}

using BookView = BothFlavours;
INSTANTIATE_TEST_SUITE_P(Flavours, BookView, ::testing::ValuesIn(kFlavours), FlavourName);

using BookViewOnConsole = SessionTest;

// the list: "..", novel.txt, simplefont.tga
TEST_P(BookView, SwitchingKeepsTheTopOfThePageAndTheLineIndexKeepsOnlyItsLine) {
    const Novel novel;
    const int row = novel.RowAt(novel.lines[45].start);
    // a page on from there, and on to a row that begins inside a line
    int on = row + 15;
    while (novel.lines[static_cast<size_t>(novel.LineAt(novel.rows[static_cast<size_t>(on)].start))].start ==
           novel.rows[static_cast<size_t>(on)].start)
        on++;
    session.File("novel.txt", novel.book.text);
    Script s;
    Open(s, 1);
    s.Tap(kR, 3).Shot("plain");
    s.Press(kSelect).Shot("measured").Release(kSelect).Shot("book");
    s.Tap(kR).Tap(kX, on - row - 15).Shot("book_on");
    s.Tap(kSelect).Shot("plain_again");
    s.Tap(kSelect).Shot("book_again");
    s.Tap(kA).Tap(kA);

    PlayToMenu(s);

    EXPECT_EQ(session.Rows("plain"), novel.PlainPage(45));
    EXPECT_EQ(session.Rows("measured"),
              Page({}, "Please wait... counting lines: " + std::to_string(novel.Rows() / 100 * 100)))
        << "the book view's rows are measured on the first switch";
    EXPECT_EQ(session.Rows("book"), novel.BookPage(row)) << "the row that holds the top line's first byte";
    EXPECT_LT(novel.Rows(), static_cast<int>(novel.lines.size())) << "paragraphs flow: fewer rows than lines";
    EXPECT_EQ(session.Rows("book_on"), novel.BookPage(on));
    const int line = novel.LineAt(novel.rows[static_cast<size_t>(on)].start);
    EXPECT_EQ(session.Rows("plain_again"), novel.PlainPage(line));
    // and again the row of the top line's first byte, not the row left
    const size_t again = static_cast<size_t>(novel.RowAt(novel.lines[static_cast<size_t>(line)].start));
    EXPECT_EQ(session.Rows("book_again"), novel.BookPage(static_cast<int>(again)));
    // the line index file is what it would be in the plain view alone,
    // at the line last at the top; the book view's rows have their own
    EXPECT_EQ(ReadWords(Index("novel.txt")), ModelIndex(novel.book.text, novel.LineAt(novel.rows[again].start)));
    EXPECT_EQ(ReadWords(BookIndexFile(session.Root(), "novel.txt")), novel.BookIndex(static_cast<int32_t>(again)));
}

// The moves of the plain view's walk, over book rows: one, a page, the
// ends, the hundredths; and the status line counting rows.
TEST_F(BookViewOnConsole, EveryMoveCountsRows) {
    const Novel novel;
    const int last = novel.Rows() - 1;
    const int step = std::max(1, novel.Rows() / 100);
    const std::vector<std::pair<int, int>> moves = {
        {kR, 15}, {kX, 16}, {kStickDown, 17}, {kY, 16}, {kStickUp, 15}, {kL, 0}, {kStickUp, 0},
        {kStickRight, last}, {kX, last}, {kL, last - 15}, {kR, last}, {kStickLeft, 0},
        {kVolDown, step}, {kVolDown, 2 * step}, {kVolUp, step},
    };
    session.File("novel.txt", novel.book.text);
    Script s;
    Open(s, 1).Tap(kSelect);
    for (size_t i = 0; i < moves.size(); i++) s.Tap(moves[i].first).Shot("move" + std::to_string(i));
    s.Tap(kA).Tap(kA);

    PlayToMenu(s);

    for (size_t i = 0; i < moves.size(); i++)
        EXPECT_EQ(session.Rows("move" + std::to_string(i)), novel.BookPage(moves[i].second))
            << "after move " << i << " (button " << moves[i].first << ")";
    EXPECT_EQ(ReadWords(BookIndexFile(session.Root(), "novel.txt")), novel.BookIndex(step));
    EXPECT_EQ(ReadWords(Index("novel.txt")),
              ModelIndex(novel.book.text, novel.LineAt(novel.rows[static_cast<size_t>(step)].start)));
}

// The view is every text's and outlives the program: the list and a new
// start come back to the book view, at the very page it was left at.
TEST_P(BookView, TheListAndANewStartKeepTheViewAndThePage) {
    const Novel novel;
    session.File("novel.txt", novel.book.text);
    Script first;
    Open(first, 1).Tap(kSelect).Tap(kR, 2).Tap(kX).Shot("left");
    first.Tap(kA);
    Open(first, 1, "", "reopened").Tap(kA).Tap(kA);
    Script second;
    Open(second, 1, "", "restarted").Tap(kA).Tap(kA);

    PlayToMenu(first);
    PlayToMenu(second);

    EXPECT_EQ(session.Rows("left"), novel.BookPage(31));
    EXPECT_EQ(session.Rows("reopened"), novel.BookPage(31));
    EXPECT_EQ(session.Rows("restarted"), novel.BookPage(31));
    const std::string view_file = flavour == Flavour::Console
        ? session.Start() + "/.tomo-view"
        : fs::path(session.ShotsDir()).parent_path().string() + "/.local/state/tomo/view";
    EXPECT_EQ(ReadFile(view_file), "book\n");
}

// Without an index file the book view's rows are measured into memory: the
// moves work the same, nothing is written beside the text.
TEST_F(BookViewOnConsole, AFolderThatCannotBeWrittenIsReadInMemory) {
    if (!RunningAsRoot()) GTEST_SKIP() << "needs root to run as nobody";
    const Novel novel;
    session.StartIn("books");
    session.File("books/novel.txt", novel.book.text);
    fs::permissions(session.Path("books"), fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    Script s;
    Open(s, 1).Tap(kSelect).Tap(kR).Shot("book").Tap(kStickRight).Shot("end").Tap(kA).Tap(kA);
    Options opt;
    opt.as_nobody = true;

    PlayToMenu(s, opt);

    EXPECT_EQ(session.Rows("book"), novel.BookPage(15));
    EXPECT_EQ(session.Rows("end"), novel.BookPage(novel.Rows() - 1));
    for (const auto &e : fs::directory_iterator(session.Path("books")))
        EXPECT_NE(e.path().filename().string()[0], '.') << "made " << e.path();
}

}  // namespace
