// bookview_test.cpp: reading in the book view on the real program: SELECT
// turns a page of plain lines into one of book rows and back, keeping the
// top of the page; every move counts rows, also in a folder that cannot
// be written; the list and a new start keep the view and the page; the
// line index file keeps nothing of it but the plain line at the top.
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
    // The plain line that holds row r's first byte, and the reverse.
    int LineOf(int r) const { return Holding(lines, rows[static_cast<size_t>(r)].start); }
    int RowOf(int line) const { return Holding(rows, lines[static_cast<size_t>(line)].start); }
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
    // What both index files hold with row `row` at the top of the page.
    void ExpectIndexesAt(const std::string &folder, int row) const {
        EXPECT_EQ(ReadWords(IndexFile(folder, "novel.txt")), ModelIndex(book.text, LineOf(row)));
        EXPECT_EQ(ReadWords(BookIndexFile(folder, "novel.txt")), BookIndex(rows, book.text.size(), row));
    }
};

using BookView = BothFlavours;
INSTANTIATE_TEST_SUITE_P(Flavours, BookView, ::testing::ValuesIn(kFlavours), FlavourName);

using BookViewOnConsole = SessionTest;

// Reading a novel in both views: SELECT keeps the top of the page, both
// ways; the list and a new start come back to the book view at the very
// page it was left at. The list: "..", novel.txt, simplefont.tga.
TEST_P(BookView, SwitchingKeepsTheTopOfThePageAndTheViewOutlivesTheProgram) {
    const Novel novel;
    const int row = novel.RowOf(45);
    // a page on from there, and on to a row that begins inside a line
    int on = row + 15;
    while (novel.lines[static_cast<size_t>(novel.LineOf(on))].start == novel.rows[static_cast<size_t>(on)].start) on++;
    const int line = novel.LineOf(on), again = novel.RowOf(line);
    session.File("novel.txt", novel.book.text);
    Script s;
    Open(s, 1).Tap(kR, 3).Shot("plain");
    s.Press(kSelect).Shot("measured").Release(kSelect).Shot("book");
    s.Tap(kR).Tap(kX, on - row - 15).Shot("book_on");
    s.Tap(kSelect).Shot("plain_again").Tap(kSelect).Shot("book_again").Tap(kX, on - again).Tap(kA);
    Open(s, 1, "", "reopened").Tap(kA).Tap(kA);
    Script restart;
    Open(restart, 1, "", "restarted").Tap(kA).Tap(kA);

    PlayToMenu(s);
    PlayToMenu(restart);

    EXPECT_EQ(session.Rows("plain"), novel.PlainPage(45));
    EXPECT_EQ(session.Rows("measured"),
              Page({}, "Please wait... counting lines: " + std::to_string(novel.Rows() / 100 * 100)))
        << "the book view's rows are measured on the first switch";
    EXPECT_EQ(session.Rows("book"), novel.BookPage(row)) << "the row that holds the top line's first byte";
    EXPECT_LT(novel.Rows(), static_cast<int>(novel.lines.size())) << "paragraphs flow: fewer rows than lines";
    EXPECT_EQ(session.Rows("book_on"), novel.BookPage(on));
    EXPECT_EQ(session.Rows("plain_again"), novel.PlainPage(line));
    EXPECT_NE(again, on);
    EXPECT_EQ(session.Rows("book_again"), novel.BookPage(again)) << "the row of the top line's first byte";
    EXPECT_EQ(session.Rows("reopened"), novel.BookPage(on));
    EXPECT_EQ(session.Rows("restarted"), novel.BookPage(on));
    // the line index file is what it would be in the plain view alone, at
    // the line last at the top; the book view's rows have their own
    novel.ExpectIndexesAt(session.Root(), on);
    const std::string view_file = flavour == Flavour::Console
        ? session.Start() + "/.tomo-view"
        : fs::path(session.ShotsDir()).parent_path().string() + "/.local/state/tomo/view";
    EXPECT_EQ(ReadFile(view_file), "book\n");

    // Another reader (the plain view elsewhere, an older program) moved the
    // line index file's saved line: the book view opens at its own row only
    // while that row begins in the saved line, else at the saved line's.
    for (int saved : {line + 20, 3, 0}) {
        SCOPED_TRACE(saved);
        WriteFile(Index("novel.txt"), Words(ModelIndex(novel.book.text, saved)));
        WriteFile(BookIndexFile(session.Root(), "novel.txt"), Words(BookIndex(novel.rows, novel.book.text.size(), on)));
        Script moved;
        PlayToMenu(Open(moved, 1, "", "moved").Tap(kA).Tap(kA));
        EXPECT_EQ(session.Rows("moved"), novel.BookPage(novel.RowOf(saved)));
        novel.ExpectIndexesAt(session.Root(), novel.RowOf(saved));
    }
}

// The moves of the plain view's walk, over book rows: one, a page, the
// ends, the hundredths; and the status line counting rows. Where the index
// files can be written they keep the row at the top for the next visit; in
// a folder that cannot be written the rows are measured into memory: the
// moves work the same, nothing is written beside the text, and the place
// kept for the list is the plain line at the top.
TEST_F(BookViewOnConsole, EveryMoveCountsRowsAlsoInAFolderThatCannotBeWritten) {
    const Novel novel;
    const int last = novel.Rows() - 1;
    const int step = std::max(1, novel.Rows() / 100);
    const std::vector<std::pair<int, int>> moves = {
        {kR, 15}, {kX, 16}, {kStickDown, 17}, {kY, 16}, {kStickUp, 15}, {kL, 0}, {kStickUp, 0},
        {kStickRight, last}, {kX, last}, {kL, last - 15}, {kR, last}, {kStickLeft, 0},
        {kVolDown, step}, {kVolDown, 2 * step}, {kVolUp, step}, {kStickRight, last},
    };
    struct {
        std::string folder;
        bool writable;
        int reopened;  // the row at the top when the text is opened again
    } cases[] = {{"shelf", true, last}, {"locked", false, novel.RowOf(novel.LineOf(last))}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.folder);
        session.StartIn(c.folder);
        session.File(c.folder + "/novel.txt", novel.book.text);
        Options opt;
        if (!c.writable) {
            fs::permissions(session.Start(), fs::perms(0555));
            opt.as_nobody = RunningAsRoot();
        }
        Script s;
        Open(s, 1).Tap(kSelect);
        for (size_t i = 0; i < moves.size(); i++) s.Tap(moves[i].first).Shot("move" + std::to_string(i));
        s.Tap(kA);
        Open(s, 1, "", "reopened").Tap(kA).Tap(kA);

        PlayToMenu(s, opt);

        for (size_t i = 0; i < moves.size(); i++)
            EXPECT_EQ(session.Rows("move" + std::to_string(i)), novel.BookPage(moves[i].second))
                << "after move " << i << " (button " << moves[i].first << ")";
        EXPECT_EQ(session.Rows("reopened"), novel.BookPage(c.reopened));
        if (c.writable)
            novel.ExpectIndexesAt(session.Start(), last);
        else
            EXPECT_EQ(Names(session.Start()), (std::set<std::string>{"novel.txt", "simplefont.tga"})) << "nothing made";
        fs::permissions(session.Start(), fs::perms(0755));
    }
}

}  // namespace
