// reading_test.cpp: reading a text on the real program, driven through the
// console stand-in: the pages and the position line, wrapping, measuring
// with its progress, the index file beside the text and what it keeps,
// held buttons, texts read to their end where no index file can be used
// and what is at the index name left alone, the status tick and quit
// requests while a text is shown.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <thread>

#include "session.h"

namespace {

using namespace e2e;

// The screen of a text while it is measured: black but for the status line.
std::vector<std::string> Measuring(long lines) {
    return Page({}, "Please wait... counting lines: " + std::to_string(lines));
}

// Every control through a text of 40 lines, and the line at the top of the
// page after each (1-based).
struct Move {
    int button;
    int top;
};
const std::vector<Move> kMovesThrough40 = {
    {kR, 16}, {kX, 17}, {kStickDown, 18}, {kY, 17}, {kStickUp, 16}, {kL, 1}, {kStickUp, 1},
    {kStickRight, 40}, {kX, 40}, {kL, 25}, {kR, 40}, {kStickLeft, 1},
    {kVolDown, 2}, {kVolDown, 3}, {kVolUp, 2},  // a hundredth of 40 lines is one
};

// The moves of kMovesThrough40, each followed by the shot move<i>.
Script &MoveThrough40(Script &s) {
    for (size_t i = 0; i < kMovesThrough40.size(); i++)
        s.Tap(kMovesThrough40[i].button).Shot("move" + std::to_string(i));
    return s;
}

// Each shot shows the page of the 40 numbered lines from the right line.
void ExpectMovedThrough40(const Session &session) {
    for (size_t i = 0; i < kMovesThrough40.size(); i++) {
        int top = kMovesThrough40[i].top;
        EXPECT_EQ(session.Rows("move" + std::to_string(i)),
                  Page(NumberedRows(top, std::min(top + 14, 40)), Position(top, 40)))
            << "after move " << i << " (button " << kMovesThrough40[i].button << ")";
    }
}

using Reading = BothFlavours;
INSTANTIATE_TEST_SUITE_P(Flavours, Reading, ::testing::ValuesIn(kFlavours), FlavourName);

using ReadingOnConsole = SessionTest;
using ReadingQuit = SessionTest;

// 40 lines; the list is "..", book.txt, simplefont.tga.
TEST_P(Reading, PagesThroughATextAndJumpsToBothEnds) {
    session.File("book.txt", NumberedText(40));
    Script s;
    Open(s, 1, "measured", "top");
    MoveThrough40(s).Tap(kA).Tap(kA);

    Outcome run = PlayToMenu(s);

    EXPECT_TRUE(session.Shot("measured").AllBlack()) << "fewer than 100 lines draw no progress";
    EXPECT_EQ(session.Rows("top"), Page(NumberedRows(1, 15), "On line 1 of 40 (2%)"));
    ExpectMovedThrough40(session);
    EXPECT_EQ(session.Rows("move7"), Page({NumberedRow(40)}, "On line 40 of 40 (100%)")) << "the last line alone";
    EXPECT_EQ(session.Rows("move9")[kStatusRow], "On line 25 of 40 (62%)");
    // B's press is followed by its single frame of measuring, every other
    // event by one frame, and A in the list by none
    std::vector<int> frames = run.FramesAfterEachEvent();
    ASSERT_FALSE(frames.empty());
    EXPECT_EQ(frames.back(), 0);
    frames.pop_back();
    EXPECT_EQ(frames, std::vector<int>(frames.size(), 1)) << run.Summary();
    EXPECT_EQ(ReadWords(Index("book.txt")), ModelIndex(NumberedText(40), 1)) << "saved at the last move";
}

TEST_P(Reading, LeavesForTheListAndReopensAtTheSavedLine) {
    session.File("three.txt", "one\ntwo\nthree\n");
    // the list: "..", simplefont.tga, three.txt
    Script s;
    Open(s, 2, "", "first");
    s.Tap(kX).Shot("second");
    s.Tap(kStart).Shot("list");
    Open(s, 2, "reopening", "reopened");
    s.Tap(kStickDown).Shot("third");
    s.Tap(kA).Shot("list_again");
    s.Tap(kA);

    Outcome run = PlayToMenu(s);

    EXPECT_EQ(session.Rows("first"), Page({"one", "two", "three"}, "On line 1 of 3 (33%)"));
    EXPECT_EQ(session.Rows("second"), Page({"two", "three"}, "On line 2 of 3 (66%)"));
    std::vector<std::string> list =
        ListScreen(session.Root(), {Entry("..", true), Entry("simplefont.tga"), Entry("three.txt")});
    EXPECT_EQ(session.Rows("list"), list) << "back in the same folder, on its first entry";
    EXPECT_TRUE(session.Shot("reopening").AllBlack()) << "nothing is measured on a second visit";
    EXPECT_EQ(session.Rows("reopened"), session.Rows("second"));
    EXPECT_EQ(session.Rows("third"), Page({"three"}, "On line 3 of 3 (100%)"));
    EXPECT_EQ(session.Rows("list_again"), list);
    EXPECT_EQ(run.Listings().size(), 3u) << "each way back re-reads the folder";
    EXPECT_EQ(ReadFile(Index("three.txt")),
              std::string("\x02\0\0\0\x03\0\0\0\0\0\0\0\x04\0\0\0\x08\0\0\0\x0e\0\0\0", 24));
}

// Presses made faster than the frames are all acted on, in their order,
// a frame for each in the list: moves, the jumps (whose drain keeps what
// follows them), into the text, and back to the list and in again.
TEST_P(Reading, PressesTypedAheadAreAllActedOn) {
    session.File("book.txt", NumberedText(300));
    NumberedFiles(38);
    // the list: "..", book.txt, f01..f38, simplefont.tga
    Script s;
    s.Ahead(Script().Tap(kStickDown, 5)).Shot("down5");
    s.Ahead(Script().Tap(kR, 2).Tap(kStickUp)).Shot("r2_up");
    s.Ahead(Script().Tap(kStickRight).Tap(kL).Tap(kStickLeft).Tap(kX, 2)).Shot("jumped_in_list");
    s.Ahead(Script().Tap(kY).Tap(kB).Tap(kStickDown, 5)).Shot("down5_in_text");
    s.Ahead(Script().Tap(kR, 3)).Shot("r3");
    s.Ahead(Script().Tap(kStickRight).Tap(kY, 2).Tap(kStickLeft).Tap(kR)).Shot("jumped");
    s.Ahead(Script().Tap(kA).Tap(kStickDown).Tap(kB)).Shot("reopened");
    s.Tap(kA).Tap(kA);

    Outcome run = PlayToMenu(s);

    EXPECT_EQ(session.Rows("down5")[1], Entry(NumberedFile(4))) << run.Summary();
    EXPECT_EQ(session.Rows("r2_up")[1], Entry(NumberedFile(33)));
    EXPECT_EQ(session.Rows("jumped_in_list")[1], Entry(NumberedFile(1)));
    std::vector<int> frames = run.FramesAfterEachEvent();
    frames.resize(2 * (5 + 3 + 5 + 1));
    EXPECT_EQ(frames, std::vector<int>(frames.size(), 1)) << "a frame for each event in the list";
    EXPECT_EQ(session.Rows("down5_in_text"), Page(NumberedRows(6, 20), Position(6, 300)));
    EXPECT_EQ(session.Rows("r3"), Page(NumberedRows(51, 65), Position(51, 300)));
    EXPECT_EQ(session.Rows("jumped"), Page(NumberedRows(16, 30), Position(16, 300)));
    EXPECT_EQ(session.Rows("reopened"), session.Rows("jumped")) << "at its saved line";
    EXPECT_EQ(ReadWords(Index("book.txt"))[0], 15);
    EXPECT_EQ(run.Count("got press "), (5 + 3 + 5 + 2) + (5 + 3 + 5 + 3) + 2);
}

TEST_F(ReadingOnConsole, WrapsLongLinesAtTheLastSpaceAndTakesBothLineEnds) {
    const std::string digits53 = "01234567890123456789012345678901234567890123456789012";
    std::string spaced53;
    for (int i = 0; i < 10; i++) spaced53 += "abcd ";
    spaced53 += "xyz";
    ASSERT_EQ(digits53.size(), 53u);
    ASSERT_EQ(spaced53.size(), 53u);
    session.File("wrap.txt",
                 "It was a bright cold day in April, and the clocks were striking thirteen.\n"
                 "Windows line\r\n" +
                     std::string(52, '=') + "\r\n" + digits53 + "\n" + spaced53 + "\n" + "the end");
    // the list: "..", simplefont.tga, wrap.txt
    Script s;
    Open(s, 2, "", "page");
    s.Tap(kA).Tap(kA);

    PlayToMenu(s);

    EXPECT_EQ(session.Rows("page"), Page({"It was a bright cold day in April, and the clocks",
                                          "were striking thirteen.",
                                          "Windows line",
                                          std::string(52, '='),
                                          digits53,
                                          "",  // the line feed left after a full row
                                          spaced53.substr(0, 49),
                                          "xyz",
                                          "the",  // a last line without a line feed is cut too
                                          "end"},
                                         "On line 1 of 10 (10%)"));
}

// A UTF-8 text shows its letters, each from its own glyph. Its lines are
// cut by their bytes as ever, so a row of two-byte letters ends early, and
// a letter cut at the width shows its two bytes as they are, each on its
// own row. A Latin-1 text shows each byte as its own cell, as it always did.
TEST_F(ReadingOnConsole, ShowsTheLettersOfAUtf8TextAndEveryByteOfALatin1One) {
    std::string umlauts;
    for (int i = 0; i < 26; i++) umlauts += "ä";
    // each wrapped line with the bytes it advances by
    const std::vector<std::string> cut = {
        "\xEF\xBB\xBFGrüße aus München, „sagte er“ – und ", "ging…\n",
        "‘Don’t’ — “quoted” • naïve Œuvre ", "Łódź 😀\n",
        "Schöne Grüße während übermäßig süßer Tage ", "in Kärnten und Österreich\n",
        umlauts + "\xC3", "\xA4äää\n",
    };
    std::string utf8;
    std::vector<int32_t> index = {0, static_cast<int32_t>(cut.size()), 0};
    for (const std::string &line : cut) {
        utf8 += line;
        index.push_back(static_cast<int32_t>(utf8.size()));
    }
    session.File("utf8.txt", utf8);
    session.File("latin1.txt", "Le c\xE9l\xE8" "bre na\xEFvet\xE9 du gar\xE7on, \xAB d\xE9j\xE0 vu \xBB\n"
                               "\xC0 la cr\xE8me br\xFBl\xE9" "e, \xC3" "a \xE2" "t\xE9 \xFF\xDF\n"
                               "ends on a lead byte \xC3\n");
    // the list: "..", latin1.txt, simplefont.tga, utf8.txt
    Script s;
    Open(s, 3, "", "utf8");
    s.Tap(kA);
    Open(s, 1, "", "latin1");
    s.Tap(kA).Tap(kA);

    Outcome run = PlayToMenu(s);

    std::vector<std::string> page = Page({"Grüße aus München, „sagte er“ – und",
                                          "ging…",
                                          "‘Don’t’ — “quoted” • naïve Œuvre",
                                          "Łódź \uFFFD",
                                          "Schöne Grüße während übermäßig süßer Tage",
                                          "in Kärnten und Österreich",
                                          umlauts + "Ã",
                                          "¤äää"},
                                         "On line 1 of 8 (12%)");
    EXPECT_EQ(session.Letters("utf8", page), page);
    EXPECT_EQ(ReadWords(Index("utf8.txt")), index) << "lines are cut by their bytes";
    EXPECT_EQ(session.Rows("latin1"),
              Page({"Le c\xE9l\xE8" "bre na\xEFvet\xE9 du gar\xE7on, \xAB d\xE9j\xE0 vu \xBB",
                    "\xC0 la cr\xE8me br\xFBl\xE9" "e, \xC3" "a \xE2" "t\xE9 \xFF\xDF", "ends on a lead byte \xC3"},
                   "On line 1 of 3 (33%)"));
}

// The presents between B's press and its release, in order.
std::vector<LogLine> PresentsAfterB(const Outcome &run) {
    std::vector<LogLine> presents;
    int b = run.Index("got press 13 #1");
    for (size_t i = static_cast<size_t>(b) + 1; b >= 0 && i < run.log.size(); i++) {
        const std::string &t = run.log[i].text;
        if (t.compare(0, 4, "got ") == 0) break;
        if (t == "frame" || t.compare(0, 7, "update ") == 0) presents.push_back(run.log[i]);
    }
    return presents;
}

// Cut within a display frame, the text shows no progress of its own: the
// frame after B shows the last message drawn.
TEST_F(ReadingOnConsole, Measuring250LinesShowsTheLastCountInTheFrameAfterB) {
    session.File("long.txt", NumberedText(250));
    // the list: "..", long.txt, simplefont.tga
    Script s;
    s.Tap(kStickDown).FlipShots("measuring").Press(kB).Shot("after_b").Release(kB).Shot("page");
    s.Tap(kA).Tap(kA);

    Outcome run = PlayToMenu(s);

    EXPECT_EQ(session.Rows("after_b"), Measuring(200)) << "the frame after B keeps the last message";
    EXPECT_TRUE(session.Shot("after_b").Separator());
    EXPECT_EQ(session.Rows("measuring-1"), Measuring(200)) << "the frame step's own flip";
    EXPECT_FALSE(session.Shot("measuring-2").loaded()) << "nothing presented but the frame";
    std::vector<LogLine> presents = PresentsAfterB(run);
    ASSERT_EQ(presents.size(), 1u) << run.Summary();
    EXPECT_EQ(presents[0].text, "frame");
    EXPECT_EQ(session.Rows("page"), Page(NumberedRows(1, 15), "On line 1 of 250 (0%)"));
    EXPECT_EQ(ReadFile(Index("long.txt")).size(), 1012u);
    EXPECT_EQ(ReadWords(Index("long.txt")), ModelIndex(NumberedText(250)));
}

// On a slow card the count goes up on the screen, at most once a display
// frame and in the status band alone (the shots are of the whole screen,
// which holds nothing else), and the frame after B shows the last count.
TEST_F(ReadingOnConsole, OnASlowCardTheCountGoesUpAtTheDisplaysPace) {
    const int lines = 40000;  // 320 KB: five reads of the measuring block
    session.File("long.txt", NumberedText(lines));
    Options opt;
    opt.fail = "slowread:/long.txt:50";
    Script s;
    s.Tap(kStickDown).FlipShots("measuring").Press(kB).Release(kB);
    s.Tap(kA).Tap(kA);

    Outcome run = PlayToMenu(s, opt);

    std::vector<LogLine> presents = PresentsAfterB(run);
    ASSERT_GE(presents.size(), 4u) << run.Summary();
    EXPECT_EQ(presents.back().text, "frame") << "the frame step's own flip";
    long last_ms = run.log[static_cast<size_t>(run.Index("got press 13 #1"))].ms;
    long count = 0;
    for (size_t i = 0; i < presents.size(); i++) {
        std::string shot = "measuring-" + std::to_string(i + 1);
        SCOPED_TRACE(shot);
        if (i + 1 < presents.size()) {
            EXPECT_EQ(presents[i].text, "update 0,225 320x15");
            EXPECT_GE(presents[i].ms - last_ms, 25) << "within a display frame";
        }
        last_ms = presents[i].ms;
        std::vector<std::string> rows = session.Rows(shot);
        const std::string prefix = "Please wait... counting lines: ";
        ASSERT_EQ(rows[kStatusRow].compare(0, prefix.size(), prefix), 0) << rows[kStatusRow];
        long shown = std::stol(rows[kStatusRow].substr(prefix.size()));
        EXPECT_EQ(rows, Measuring(shown));
        EXPECT_GT(shown, count) << "the count goes up";
        count = shown;
    }
    EXPECT_EQ(count, lines) << "the frame after B shows the last count";
    EXPECT_EQ(ReadWords(Index("long.txt")), ModelIndex(NumberedText(lines)));
}

TEST_F(ReadingOnConsole, AnEmptyTextShowsNothingAndKeepsTheEndMoveAcrossVisits) {
    session.File("empty.txt");
    // the list: "..", empty.txt, simplefont.tga
    Script s;
    Open(s, 1, "", "opened");
    s.Tap(kR).Tap(kStickDown).Shot("moved");
    s.Tap(kStickRight).Shot("end");
    s.Tap(kA);
    Open(s, 1, "", "reopened");
    s.Tap(kStickLeft).Shot("start");
    s.Tap(kA).Tap(kA);

    Outcome run = PlayToMenu(s);

    EXPECT_EQ(session.Rows("opened"), Page({}, "On line 1 of 0 (0%)"));
    EXPECT_EQ(session.Rows("moved"), Page({}, "On line 1 of 0 (0%)"));
    // the end of no lines is line -1, shown as 0 and stored as it is
    EXPECT_EQ(session.Rows("end"), Page({}, "On line 0 of 0 (0%)"));
    EXPECT_EQ(session.Rows("reopened"), Page({}, "On line 0 of 0 (0%)"));
    EXPECT_EQ(session.Rows("start"), Page({}, "On line 1 of 0 (0%)"));
    EXPECT_EQ(ReadWords(Index("empty.txt")), (std::vector<int32_t>{0, 0, 0}));
}

// The lines a held one-line button must have moved, from the presses the
// program took: the press itself and the first two posted repeats move one
// line, and from the third posted repeat on each move skips one more extra
// line than the one before, up to 10. The auto-repeat raises the extra
// lines just before it posts, so what a taken press moves follows from the
// repeats posted before the program took it. Counted over log lines
// from..to-1, which hold one press of the button.
long HeldMove(const Outcome &run, int button, size_t from = 0, size_t to = SIZE_MAX) {
    const std::string push = "push " + std::to_string(button);
    const std::string press = "got press " + std::to_string(button) + " #";
    const std::string repeat = "got repeat " + std::to_string(button) + " #";
    long lines = 0;
    int posted = 0;
    for (size_t i = from; i < run.log.size() && i < to; i++) {
        const LogLine &l = run.log[i];
        if (l.text == push)
            posted++;
        else if (l.text.compare(0, press.size(), press) == 0 || l.text.compare(0, repeat.size(), repeat) == 0)
            lines += 1 + std::min(10, std::max(0, posted - 2));
    }
    return lines;
}

// A held button scrolls faster and faster. Held again, its release typed
// ahead of other presses: the repeats end with it, whatever is queued
// behind it, and the presses behind it (back to the list, two entries
// down) are all acted on. The list: "..", long.txt, simplefont.tga.
TEST_F(ReadingOnConsole, AHeldButtonScrollsFasterAndFasterAndStopsAtItsRelease) {
    const int lines = 6000;
    session.File("long.txt", NumberedText(lines));
    Script s;
    Open(s, 1);
    // X, which moves like the stick, so that only the held button's presses
    // are counted
    s.Hold(kX, 4000).Shot("held").Wait(300);
    s.Press(kX).Wait(2500).Ahead(Script().Release(kX).Tap(kA).Tap(kStickDown, 2)).Wait(600).Shot("after");
    s.Tap(kA);

    Outcome run = PlayToMenu(s, Options().Within(120));

    const int first = run.Index("got release 14");
    ASSERT_GE(first, 0) << run.Summary();
    const size_t held = static_cast<size_t>(first);
    int taken = run.Delivered(kX, 0, held);
    long moved = HeldMove(run, kX, 0, held);
    ASSERT_GE(taken, 5) << "too few repeats to see the speed-up\n" << run.Summary();
    EXPECT_GT(moved, taken) << "later repeats skip lines";
    long top = moved + 1;
    EXPECT_EQ(session.Rows("held"), Page(NumberedRows(top, top + 14), Position(top, lines))) << run.Summary();

    int release = run.Index("got release 14", first + 1);
    ASSERT_GE(release, 0) << run.Summary();
    EXPECT_EQ(run.Index("got repeat 14", release), -1) << "no repeat outlives the release\n" << run.Summary();
    ASSERT_GE(run.Delivered(kX, held), 4) << run.Summary();
    EXPECT_EQ(session.Rows("after")[1], Entry("simplefont.tga")) << run.Summary();
    moved += HeldMove(run, kX, held);
    ASSERT_LT(moved, lines - 1) << "the end is out of reach";
    EXPECT_EQ(ReadWords(Index("long.txt"))[0], moved) << "the place of the last repeat before the release";
}

// A text that changed since its index was made is measured again and
// opens where the reader left it, on the last line if the text is now
// shorter than that.
TEST_F(ReadingOnConsole, AStaleIndexIsMeasuredAgainAndKeepsThePlace) {
    struct {
        const char *what;
        int lines;
        int top;  // 1-based
    } cases[] = {{"grown", 60, 31}, {"shorter", 20, 20}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        session.File("book.txt", NumberedText(40));
        fs::remove(Index("book.txt"));
        Script first;
        Open(first, 1);
        first.Tap(kR, 2).Tap(kA).Tap(kA);
        PlayToMenu(first);
        ASSERT_EQ(ReadWords(Index("book.txt")), ModelIndex(NumberedText(40), 30));

        session.File("book.txt", NumberedText(c.lines, 'N'));
        Script second;
        Open(second, 1, "", "page");
        second.Tap(kA).Tap(kA);
        PlayToMenu(second);

        EXPECT_EQ(session.Rows("page"),
                  Page(NumberedRows(c.top, std::min(c.top + 14, c.lines), 'N'), Position(c.top, c.lines)));
        std::vector<int32_t> words = ReadWords(Index("book.txt"));
        ASSERT_EQ(words.size(), static_cast<size_t>(c.lines + 3));
        EXPECT_EQ(words[0], c.top - 1);
        EXPECT_EQ(words[1], c.lines);
        EXPECT_EQ(words.back(), static_cast<int32_t>(NumberedText(c.lines, 'N').size()));
    }
}

// How the progress of a measuring pass is presented: the status band.
const char kProgressPresent[] = "update 0,225 320x15";

// Two programs open one new book of 1 MiB (16 reads of the measuring
// block, each made slow, as from a slow card): the second starts while the
// first measures it, a third of the way in, and is stopped in the middle
// of its own pass. The first puts an exact index in place and pages
// through it. (A second that lives on and takes that index is tried on
// the line index itself, in lineindex_test.cpp.) Then a longer edition
// replaces the book, and is killed at several points of its measure, as
// by a power loss: the old index stays at its name, with the reader's
// place, until a pass completes, and the book reopens there.
TEST_F(ReadingOnConsole, TwoProgramsOpenOneNewBookAndANewEditionIsKilledWhileMeasured) {
    const int lines = 131072;
    const std::string text = NumberedText(lines);
    session.File("book.txt", text);
    Options first_opt, second_opt;
    first_opt.fail = second_opt.fail = "slowread:/book.txt:100";
    first_opt.run = "first";
    second_opt.run = "second";
    second_opt.stop_at = kProgressPresent;
    second_opt.stop_nth = 2;
    second_opt.font = false;
    Script first, second;
    Open(first, 1, "", "first_page").Tap(kR, 2).Shot("first_moved").Tap(kA).Tap(kA);
    Open(second, 1).Tap(kA).Tap(kA);
    Outcome a;
    std::thread first_run([&] { a = session.Play(flavour, first, first_opt); });
    EXPECT_TRUE(session.AwaitLog("first", kProgressPresent, 5)) << "the first never measured";
    Outcome b = session.Play(flavour, second, second_opt);
    first_run.join();

    EXPECT_EQ(a.exit_code, 0) << a.Summary();
    EXPECT_TRUE(b.killed) << b.Summary();
    EXPECT_EQ(session.Rows("first_page"), Page(NumberedRows(1, 15), Position(1, lines)));
    EXPECT_EQ(session.Rows("first_moved"), Page(NumberedRows(31, 45), Position(31, lines)));
    const std::vector<int32_t> old = ModelIndex(text, 30);
    ASSERT_EQ(ReadWords(Index("book.txt")), old);
    EXPECT_FALSE(fs::exists(Index("book.txt") + ".new"));

    const int longer = lines + 1000;
    const std::string edition = NumberedText(longer, 'N');
    session.File("book.txt", edition);
    for (int nth : {1, 5, 12}) {
        SCOPED_TRACE("killed at progress " + std::to_string(nth));
        Options opt;
        opt.fail = "slowread:/book.txt:100";
        opt.stop_at = kProgressPresent;
        opt.stop_nth = nth;
        Script s;
        Open(s, 1).Tap(kA).Tap(kA);
        Outcome run = session.Play(flavour, s, opt);
        ASSERT_TRUE(run.killed) << run.Summary();
        EXPECT_FALSE(run.Logged("step release 13")) << "killed while it measured\n" << run.Summary();
        EXPECT_EQ(ReadWords(Index("book.txt")), old);
        EXPECT_TRUE(fs::exists(Index("book.txt") + ".new")) << "the new index, left unfinished";
    }
    Script again;
    Open(again, 1, "", "page").Tap(kA).Tap(kA);
    PlayToMenu(again);
    EXPECT_EQ(session.Rows("page"), Page(NumberedRows(31, 45, 'N'), Position(31, longer)));
    EXPECT_EQ(ReadWords(Index("book.txt")), ModelIndex(edition, 30));
    EXPECT_FALSE(fs::exists(Index("book.txt") + ".new"));
}

// Where no index file can be used the text is measured into memory and
// read to its end with every control, with its true line count; only the
// place is not kept. Whatever is at the index name is left as it was: even
// an index that would pass, reached through a link or with a second name.
TEST_F(ReadingOnConsole, WhereNoIndexFileCanBeUsedTheTextIsReadInMemory) {
    typedef std::function<void(const std::string &folder, const std::string &index)> Step;
    const std::string precious = Words(ModelIndex(NumberedText(40)));
    const Step nothing = [](const std::string &, const std::string &) {};
    const Step absent = [](const std::string &folder, const std::string &) {
        for (const auto &e : fs::directory_iterator(folder))
            EXPECT_NE(e.path().filename().string()[0], '.') << "made " << e.path();
    };
    const Step precious_kept = [&](const std::string &folder, const std::string &) {
        EXPECT_EQ(ReadFile(folder + "/outside/precious"), precious);
    };
    Options as_nobody, full;
    as_nobody.as_nobody = true;
    full.fail = "write:/.book.txt.tomo.new:100";  // the new index needs 172 bytes
    struct Case {
        const char *what;
        std::string name;  // of the text
        Options opt;
        Step make, check;  // what is at the index name, before and after
    } cases[] = {
        {"a folder it cannot write", "book.txt", as_nobody, nothing, absent},
        {"a full medium", "book.txt", full, nothing, absent},
        {"a name of 255 bytes", std::string(255, 'b'), Options(), nothing, absent},
        {"a symbolic link", "book.txt", Options(),
         [](const std::string &folder, const std::string &index) {
             fs::create_symlink(folder + "/outside/precious", index);
         },
         [&](const std::string &folder, const std::string &index) {
             EXPECT_TRUE(fs::is_symlink(index));
             precious_kept(folder, index);
         }},
        {"a dangling symbolic link", "book.txt", Options(),
         [](const std::string &folder, const std::string &index) {
             fs::create_symlink(folder + "/outside/none", index);
         },
         [](const std::string &folder, const std::string &index) {
             EXPECT_TRUE(fs::is_symlink(index));
             EXPECT_FALSE(fs::exists(folder + "/outside/none"));
         }},
        {"a hard link", "book.txt", Options(),
         [](const std::string &folder, const std::string &index) {
             ASSERT_EQ(link((folder + "/outside/precious").c_str(), index.c_str()), 0);
         },
         precious_kept},
        {"a folder", "book.txt", Options(),
         [](const std::string &, const std::string &index) { fs::create_directory(index); },
         [](const std::string &, const std::string &index) { EXPECT_TRUE(fs::is_empty(index)); }},
        {"a named pipe", "book.txt", Options(),
         [](const std::string &, const std::string &index) { mkfifo(index.c_str(), 0644); },
         [](const std::string &, const std::string &index) { EXPECT_TRUE(fs::is_fifo(index)); }},
    };
    int n = 0;
    for (Case &c : cases) {
        SCOPED_TRACE(c.what);
        if (c.opt.as_nobody && !RunningAsRoot()) continue;
        // a folder of its own: "..", the text, outside, simplefont.tga
        const std::string rel = "case" + std::to_string(n++);
        session.StartIn(rel);
        const std::string folder = session.Path(rel);
        session.Dir(rel + "/outside");
        session.File(rel + "/outside/precious", precious);
        session.File(rel + "/" + c.name, NumberedText(40));
        const std::string index = folder + "/." + c.name + ".tomo";
        c.make(folder, index);
        Script s;
        Open(s, 1, "", "opened");
        MoveThrough40(s).Tap(kA).Tap(kA);
        c.opt.kill_after_s = 20;

        PlayToMenu(s, c.opt);

        EXPECT_EQ(session.Rows("opened"), Page(NumberedRows(1, 15), Position(1, 40)));
        ExpectMovedThrough40(session);
        c.check(folder, index);
    }
}

TEST_F(ReadingOnConsole, TheStatusTickShowsThePositionThenTheHelpThenTheTitle) {
    session.File("book.txt", NumberedText(40));
    // ticks come every 5 s from start; the shots fall between them
    Script s;
    Open(s, 1);
    s.Wait(6500).Shot("tick_a");
    s.Wait(5000).Shot("tick_b");
    s.Wait(5000).Shot("tick_c");
    s.Tap(kX).Shot("pressed");
    s.Tap(kA).Tap(kA);

    Outcome run = PlayToMenu(s);

    ASSERT_LT(run.Index("got release 13"), run.Index(kTickPresent)) << "the text was open before the first tick";
    // what is on the status line at a shot follows from the ticks before it
    const std::vector<std::string> cycle = {
        "On line 1 of 40 (2%)", "Stick/Y/X-Up/Down  L/R-Screen Up/Down  A/Start-Exit", "gp2x_tomo - Text Viewer v0.2"};
    std::vector<bool> seen(3, false);
    for (const char *shot : {"tick_a", "tick_b", "tick_c"}) {
        int at = run.Index(std::string("step shot ") + shot + ".bmp");
        ASSERT_GE(at, 0) << run.Summary();
        int ticks = 0;
        for (int i = 0; i < at; i++) {
            if (run.log[i].text == kTickPresent) ticks++;
            if (run.log[i].text == "frame") ticks = 0;
        }
        ASSERT_GE(ticks, 1) << shot << ": no tick since the page\n" << run.Summary();
        int shown = (ticks - 1) % 3;
        seen[shown] = true;
        EXPECT_EQ(session.Rows(shot), Page(NumberedRows(1, 15), cycle[shown])) << shot;
        EXPECT_TRUE(session.Shot(shot).Separator()) << shot;
    }
    EXPECT_EQ(seen, std::vector<bool>(3, true)) << "the three shots saw the three texts\n" << run.Summary();
    EXPECT_EQ(session.Rows("pressed"), Page(NumberedRows(2, 16), "On line 2 of 40 (5%)"))
        << "every page puts the position back";
}

TEST_F(ReadingQuit, OnTheConsoleAQuitRequestIsIgnored) {
    session.File("book.txt", NumberedText(40));
    Script s;
    s.Tap(kStickDown).Tap(kB).Quit().Shot("after_quit").Tap(kX).Shot("moved").Tap(kA).Tap(kA);

    Outcome run = PlayToMenu(s);

    int quit = run.Index("got quit");
    ASSERT_GE(quit, 0) << run.Summary();
    EXPECT_EQ(run.Index("frame", quit + 1), quit + 1) << "one frame for the quit request";
    EXPECT_EQ(session.Rows("after_quit"), Page(NumberedRows(1, 15), "On line 1 of 40 (2%)"));
    EXPECT_EQ(session.Rows("moved"), Page(NumberedRows(2, 16), "On line 2 of 40 (5%)"));
}

TEST_F(ReadingQuit, OnTheDesktopAQuitRequestEndsTheProgram) {
    session.File("book.txt", NumberedText(40));
    flavour = Flavour::Desktop;
    Outcome run = PlayToMenu(Script().Tap(kStickDown).Tap(kB).Quit().Shot("never"));

    EXPECT_EQ(run.Texts({"got ", "frame"}).back(), "got quit") << "no frame after the quit request";
    EXPECT_FALSE(run.Logged("step shot never.bmp"));
    EXPECT_EQ(ReadWords(Index("book.txt")), ModelIndex(NumberedText(40)));
}

}  // namespace

// 2000 lines, so that a volume step is 20 lines; the list is "..",
// book.txt, simplefont.tga.
TEST_F(ReadingOnConsole, TheVolumeButtonsCrossTheTextByHundredths) {
    session.File("book.txt", NumberedText(2000));
    Script s;
    s.Hold(kVolDown, 1500).Shot("list");
    Open(s, 1, "", "top");
    s.Tap(kVolDown).Shot("on");
    s.Tap(kVolUp).Shot("back");
    s.Tap(kVolUp).Shot("still");
    s.Hold(kVolDown, 3000).Shot("held");
    // the repeat's speed stays until the next tick after a release
    s.Wait(400).Tap(kStickRight).Tap(kVolDown).Shot("end");
    s.Tap(kVolUp).Shot("stepped_back");
    s.Tap(kA).Tap(kA);

    Outcome run = PlayToMenu(s, Options().Within(120));

    EXPECT_EQ(session.Rows("list"),
              ListScreen(session.Root(), {Entry("..", true), Entry("book.txt"), Entry("simplefont.tga")}));
    int first_push = run.Index("push 17");
    EXPECT_GT(first_push, run.Index("got press 13 #1")) << "a volume button held in the list posts no repeats";
    EXPECT_EQ(session.Rows("on"), Page(NumberedRows(21, 35), "On line 21 of 2000 (1%)"));
    EXPECT_EQ(session.Rows("back"), session.Rows("top"));
    EXPECT_EQ(session.Rows("still"), session.Rows("top"));
    // the hold's press and its repeats, each of 20 lines times the repeat's
    // speed, stopping at the last line
    int hold = -1;
    for (int press = 0; press < 3; press++) hold = run.Index("step press 17", hold + 1);
    ASSERT_GE(hold, 0) << run.Summary();
    long held = std::min(1 + 20 * HeldMove(run, kVolDown, static_cast<size_t>(hold),
                                           static_cast<size_t>(run.Index("got release 17", hold))), 2000L);
    EXPECT_GT(held, 1 + 20 * 10) << "held, the steps speed up\n" << run.Summary();
    EXPECT_EQ(session.Rows("held")[0], NumberedRow(held));
    EXPECT_EQ(session.Rows("end"), Page({NumberedRow(2000)}, "On line 2000 of 2000 (100%)"));
    EXPECT_EQ(session.Rows("stepped_back"), Page(NumberedRows(1980, 1994), "On line 1980 of 2000 (99%)"));
    EXPECT_EQ(ReadWords(Index("book.txt"))[0], 1979) << "the stored line of the last step";
}
