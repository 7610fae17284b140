// reading_test.cpp: reading a text on the real program, driven through the
// console stand-in: the pages and the position line, wrapping, measuring
// with its progress, the index file beside the text and what it keeps,
// held buttons, folders and index names the program must not write
// through, the status tick and quit requests while a text is shown.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>

#include "session.h"

namespace {

using namespace e2e;

// "line 1" .. "line n", one per text line.
std::string NumberedText(int n, const std::string &word = "line") {
    std::string text;
    for (int i = 1; i <= n; i++) text += word + " " + std::to_string(i) + "\n";
    return text;
}

std::vector<std::string> Numbered(int from, int to, const std::string &word = "line") {
    std::vector<std::string> lines;
    for (int i = from; i <= to; i++) lines.push_back(word + " " + std::to_string(i));
    return lines;
}

// The screen of a text: up to 15 wrapped lines from row 0, the status
// line on row 15.
std::vector<std::string> Page(const std::vector<std::string> &lines, const std::string &status) {
    std::vector<std::string> rows(kRows, "");
    for (size_t i = 0; i < lines.size() && i < 15; i++) rows[i] = lines[i];
    rows[kStatusRow] = status;
    return rows;
}

// The screen of a text while it is measured: black but for the status line.
std::vector<std::string> Measuring(long lines) {
    return Page({}, "Please wait... counting lines: " + std::to_string(lines));
}

// The index of "line 1".."line n": line k starts after the k lines before it.
std::vector<int32_t> NumberedIndex(int n, int32_t saved) {
    std::vector<int32_t> words = {saved, n, 0};
    int32_t at = 0;
    for (int i = 1; i <= n; i++) words.push_back(at += static_cast<int32_t>(("line " + std::to_string(i) + "\n").size()));
    return words;
}

class ReadingBase {
protected:
    Outcome Play(Flavour flavour, const Script &script, const Options &opt = Options()) {
        Outcome run = session.Play(flavour, script, opt);
        EXPECT_FALSE(run.killed) << run.Summary();
        return run;
    }
    static void ExpectLeftForMenu(const Outcome &run) {
        EXPECT_EQ(run.exit_code, 0) << run.Summary();
        EXPECT_TRUE(run.WentToMenu()) << run.Summary();
    }
    // Down to list entry `entry` and B on it; the shot `measured` is the
    // frame that B leaves, `page` the first page after its release.
    static Script &Open(Script &s, int entry, const std::string &measured = "", const std::string &page = "") {
        s.Tap(kStickDown, entry).Press(kB);
        if (!measured.empty()) s.Shot(measured);
        s.Release(kB);
        if (!page.empty()) s.Shot(page);
        return s;
    }
    std::string Index(const std::string &name) const { return session.Path("." + name + ".tomo"); }

    Session session;
};

class Reading : public ReadingBase, public ::testing::TestWithParam<Flavour> {
protected:
    void SetUp() override { ASSERT_NE(ReaderFont(), nullptr) << "font sheet " << TOMO_FONT; }
    Outcome Play(const Script &script, const Options &opt = Options()) {
        return ReadingBase::Play(GetParam(), script, opt);
    }
};

INSTANTIATE_TEST_SUITE_P(Flavours, Reading, ::testing::Values(Flavour::Console, Flavour::Desktop),
                         [](const ::testing::TestParamInfo<Flavour> &p) { return std::string(Name(p.param)); });

class ReadingOnConsole : public ReadingBase, public ::testing::Test {
protected:
    void SetUp() override { ASSERT_NE(ReaderFont(), nullptr) << "font sheet " << TOMO_FONT; }
    Outcome Play(const Script &script, const Options &opt = Options()) {
        return ReadingBase::Play(Flavour::Console, script, opt);
    }
};

// 40 lines; the list is "..", book.txt, simplefont.tga.
TEST_P(Reading, PagesThroughATextAndJumpsToBothEnds) {
    session.File("book.txt", NumberedText(40));
    Script s;
    Open(s, 1, "measured", "top");
    struct Move {
        int button;
        int top;  // 1-based line at the top of the page afterwards
    };
    const std::vector<Move> moves = {
        {kR, 16}, {kX, 17}, {kStickDown, 18}, {kY, 17}, {kStickUp, 16}, {kL, 1}, {kStickUp, 1},
        {kStickRight, 40}, {kX, 40}, {kL, 25}, {kR, 40}, {kStickLeft, 1},
    };
    for (size_t i = 0; i < moves.size(); i++) s.Tap(moves[i].button).Shot("move" + std::to_string(i));
    s.Tap(kA).Tap(kA);

    Outcome run = Play(s);

    ExpectLeftForMenu(run);
    EXPECT_TRUE(session.Shot("measured").AllBlack()) << "fewer than 100 lines draw no progress";
    EXPECT_EQ(session.Rows("top"), Page(Numbered(1, 15), "On line 1 of 40 (2%)"));
    for (size_t i = 0; i < moves.size(); i++) {
        int top = moves[i].top;
        EXPECT_EQ(session.Rows("move" + std::to_string(i)),
                  Page(Numbered(top, std::min(top + 14, 40)), Position(top, 40)))
            << "after move " << i << " (button " << moves[i].button << ")";
    }
    EXPECT_EQ(session.Rows("move7"), Page({"line 40"}, "On line 40 of 40 (100%)")) << "the last line alone";
    EXPECT_EQ(session.Rows("move9")[kStatusRow], "On line 25 of 40 (62%)");
    // B's press is followed by its single frame of measuring, every other
    // event by one frame, and A in the list by none
    std::vector<int> frames = run.FramesAfterEachEvent();
    ASSERT_FALSE(frames.empty());
    EXPECT_EQ(frames.back(), 0);
    frames.pop_back();
    EXPECT_EQ(frames, std::vector<int>(frames.size(), 1)) << run.Summary();
    EXPECT_EQ(testutil::ReadWords(Index("book.txt")), NumberedIndex(40, 0));
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

    Outcome run = Play(s);

    ExpectLeftForMenu(run);
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
    EXPECT_EQ(testutil::ReadFile(Index("three.txt")),
              std::string("\x02\0\0\0\x03\0\0\0\0\0\0\0\x04\0\0\0\x08\0\0\0\x0e\0\0\0", 24));
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

    Outcome run = Play(s);

    ExpectLeftForMenu(run);
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

    Outcome run = Play(s);

    ExpectLeftForMenu(run);
    EXPECT_EQ(session.Rows("after_b"), Measuring(200)) << "the frame after B keeps the last message";
    EXPECT_TRUE(session.Shot("after_b").Separator());
    EXPECT_EQ(session.Rows("measuring-1"), Measuring(200)) << "the frame step's own flip";
    EXPECT_FALSE(session.Shot("measuring-2").loaded()) << "nothing presented but the frame";
    std::vector<LogLine> presents = PresentsAfterB(run);
    ASSERT_EQ(presents.size(), 1u) << run.Summary();
    EXPECT_EQ(presents[0].text, "frame");
    EXPECT_EQ(session.Rows("page"), Page(Numbered(1, 15), "On line 1 of 250 (0%)"));
    EXPECT_EQ(testutil::ReadFile(Index("long.txt")).size(), 1012u);
    EXPECT_EQ(testutil::ReadWords(Index("long.txt")), NumberedIndex(250, 0));
}

// On a slow card the count goes up on the screen, at most once a display
// frame and in the status band alone (the shots are of the whole screen,
// which holds nothing else), and the frame after B shows the last count.
TEST_F(ReadingOnConsole, OnASlowCardTheCountGoesUpAtTheDisplaysPace) {
    const int lines = 30000;  // about 320 KB: five reads of the measuring block
    session.File("long.txt", NumberedText(lines));
    Options opt;
    opt.fail = "slowread:/long.txt:50";
    Script s;
    s.Tap(kStickDown).FlipShots("measuring").Press(kB).Release(kB);
    s.Tap(kA).Tap(kA);

    Outcome run = Play(s, opt);

    ExpectLeftForMenu(run);
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
    EXPECT_EQ(testutil::ReadWords(Index("long.txt")), NumberedIndex(lines, 0));
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

    Outcome run = Play(s);

    ExpectLeftForMenu(run);
    EXPECT_EQ(session.Rows("opened"), Page({}, "On line 1 of 0 (0%)"));
    EXPECT_EQ(session.Rows("moved"), Page({}, "On line 1 of 0 (0%)"));
    // the end of no lines is line -1, shown as 0 and stored as it is
    EXPECT_EQ(session.Rows("end"), Page({}, "On line 0 of 0 (0%)"));
    EXPECT_EQ(session.Rows("reopened"), Page({}, "On line 0 of 0 (0%)"));
    EXPECT_EQ(session.Rows("start"), Page({}, "On line 1 of 0 (0%)"));
    EXPECT_EQ(testutil::ReadWords(Index("empty.txt")), (std::vector<int32_t>{0, 0, 0}));
}

// The lines a held one-line button must have moved, from the presses the
// program took: the press itself and the first two posted repeats move one
// line, and from the third posted repeat on each move skips one more extra
// line than the one before, up to 10. The auto-repeat raises the extra
// lines just before it posts, so what a taken press moves follows from the
// repeats posted before the program took it.
long HeldMove(const Outcome &run, int button) {
    const std::string push = "push " + std::to_string(button);
    const std::string press = "got press " + std::to_string(button) + " #";
    const std::string repeat = "got repeat " + std::to_string(button) + " #";
    long lines = 0;
    int posted = 0;
    for (const LogLine &l : run.log) {
        if (l.text == push)
            posted++;
        else if (l.text.compare(0, press.size(), press) == 0 || l.text.compare(0, repeat.size(), repeat) == 0)
            lines += 1 + std::min(10, std::max(0, posted - 2));
    }
    return lines;
}

TEST_F(ReadingOnConsole, AHeldButtonScrollsFasterAndFaster) {
    session.File("long.txt", NumberedText(3000));
    Script s;
    Open(s, 1);
    // X, which moves like the stick, so that only the held button's presses
    // are counted
    s.Hold(kX, 4000).Shot("held");
    s.Tap(kA).Tap(kA);

    Options opt;
    opt.kill_after_s = 120;
    Outcome run = Play(s, opt);

    ExpectLeftForMenu(run);
    int taken = run.Delivered(kX);
    long moved = HeldMove(run, kX);
    ASSERT_GE(taken, 5) << "too few repeats to see the speed-up\n" << run.Summary();
    EXPECT_GT(moved, taken) << "later repeats skip lines";
    ASSERT_LT(moved, 2999) << "the end is out of reach";
    long top = moved + 1;
    EXPECT_EQ(session.Rows("held"), Page(Numbered(static_cast<int>(top), static_cast<int>(top) + 14), Position(top, 3000)))
        << run.Summary();
    EXPECT_EQ(testutil::ReadWords(Index("long.txt")).at(0), moved);
}

TEST_F(ReadingOnConsole, AStaleIndexIsMeasuredAgain) {
    session.File("book.txt", NumberedText(40));
    Script first;
    Open(first, 1);
    first.Tap(kX, 3).Tap(kA).Tap(kA);
    ExpectLeftForMenu(Play(first));
    ASSERT_EQ(testutil::ReadWords(Index("book.txt")), NumberedIndex(40, 3));

    session.File("book.txt", NumberedText(20, "new"));
    Script second;
    Open(second, 1, "", "page");
    second.Tap(kA).Tap(kA);
    Outcome run = Play(second);

    ExpectLeftForMenu(run);
    EXPECT_EQ(session.Rows("page"), Page(Numbered(1, 15, "new"), "On line 1 of 20 (5%)"));
    std::vector<int32_t> words = testutil::ReadWords(Index("book.txt"));
    ASSERT_EQ(words.size(), 23u);
    EXPECT_EQ(words[0], 0);
    EXPECT_EQ(words[1], 20);
    EXPECT_EQ(words.back(), static_cast<int32_t>(NumberedText(20, "new").size()));
}

// Without an index the first page is all there is: the count is 0 and no
// move changes the page or the position.
TEST_F(ReadingOnConsole, ASymbolicLinkOrANamedPipeAtTheIndexNameIsNeverUsed) {
    session.File("a.txt", NumberedText(20));
    session.File("b.txt", NumberedText(20));
    // an index that a program following the link would take and write to
    std::string target = testutil::Words(NumberedIndex(20, 5));
    session.Dir("outside");
    session.File("outside/target", target);
    fs::create_symlink(session.Path("outside/target"), Index("a.txt"));
    session.Fifo(".b.txt.tomo");
    // the list: "..", a.txt, b.txt, outside, simplefont.tga
    Script s;
    for (int entry : {1, 2}) {
        std::string name = entry == 1 ? "a" : "b";
        Open(s, entry, "", name + "_opened");
        s.Tap(kR).Tap(kX).Tap(kStickDown).Tap(kL).Tap(kStickUp).Tap(kStickLeft).Shot(name + "_moved");
        s.Tap(kA);
    }
    s.Tap(kA);
    Options opt;
    opt.kill_after_s = 20;

    Outcome run = Play(s, opt);

    ExpectLeftForMenu(run);
    std::vector<std::string> unindexed = Page(Numbered(1, 15), "On line 1 of 0 (0%)");
    for (const char *shot : {"a_opened", "a_moved", "b_opened", "b_moved"})
        EXPECT_EQ(session.Rows(shot), unindexed) << shot;
    EXPECT_EQ(testutil::ReadFile(session.Path("outside/target")), target);
    EXPECT_TRUE(fs::is_symlink(Index("a.txt")));
    EXPECT_TRUE(fs::is_fifo(Index("b.txt")));
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

    Outcome run = Play(s);

    ExpectLeftForMenu(run);
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
        EXPECT_EQ(session.Rows(shot), Page(Numbered(1, 15), cycle[shown])) << shot;
        EXPECT_TRUE(session.Shot(shot).Separator()) << shot;
    }
    EXPECT_EQ(seen, std::vector<bool>(3, true)) << "the three shots saw the three texts\n" << run.Summary();
    EXPECT_EQ(session.Rows("pressed"), Page(Numbered(2, 16), "On line 2 of 40 (5%)"))
        << "every page puts the position back";
}

TEST(ReadingQuit, OnTheConsoleAQuitRequestIsIgnored) {
    ASSERT_NE(ReaderFont(), nullptr);
    Session session;
    session.File("book.txt", NumberedText(40));
    Script s;
    s.Tap(kStickDown).Tap(kB).Quit().Shot("after_quit").Tap(kX).Shot("moved").Tap(kA).Tap(kA);

    Outcome run = session.Play(Flavour::Console, s);

    EXPECT_EQ(run.exit_code, 0) << run.Summary();
    EXPECT_TRUE(run.WentToMenu());
    int quit = run.Index("got quit");
    ASSERT_GE(quit, 0) << run.Summary();
    EXPECT_EQ(run.Index("frame", quit + 1), quit + 1) << "one frame for the quit request";
    EXPECT_EQ(session.Rows("after_quit"), Page(Numbered(1, 15), "On line 1 of 40 (2%)"));
    EXPECT_EQ(session.Rows("moved"), Page(Numbered(2, 16), "On line 2 of 40 (5%)"));
}

TEST(ReadingQuit, OnTheDesktopAQuitRequestEndsTheProgram) {
    Session session;
    session.File("book.txt", NumberedText(40));
    Outcome run = session.Play(Flavour::Desktop, Script().Tap(kStickDown).Tap(kB).Quit().Shot("never"));

    EXPECT_EQ(run.exit_code, 0) << run.Summary();
    EXPECT_TRUE(run.WentToMenu()) << run.Summary();
    EXPECT_EQ(run.Texts({"got ", "frame"}).back(), "got quit") << "no frame after the quit request";
    EXPECT_FALSE(run.Logged("step shot never.bmp"));
    EXPECT_EQ(testutil::ReadWords(session.Path(".book.txt.tomo")), NumberedIndex(40, 0));
}

// A folder the program cannot write needs a user that permissions apply to.
class ReadingUnprivileged : public ReadingOnConsole {
protected:
    void SetUp() override {
        ReadingOnConsole::SetUp();
        if (!RunningAsRoot()) GTEST_SKIP() << "needs root to run the program as nobody";
    }
};

TEST_F(ReadingUnprivileged, InAFolderItCannotWriteTheTextIsShownWithoutIndex) {
    session.File("book.txt", NumberedText(40));
    Options opt;
    opt.as_nobody = true;
    Script s;
    Open(s, 1, "", "opened");
    s.Tap(kR).Tap(kX).Tap(kStickDown).Tap(kL).Tap(kY).Tap(kStickUp).Tap(kStickLeft).Shot("moved");
    s.Tap(kA).Tap(kA);

    Outcome run = Play(s, opt);

    ExpectLeftForMenu(run);
    std::vector<std::string> unindexed = Page(Numbered(1, 15), "On line 1 of 0 (0%)");
    EXPECT_EQ(session.Rows("opened"), unindexed);
    EXPECT_EQ(session.Rows("moved"), unindexed);
    EXPECT_FALSE(fs::exists(Index("book.txt")));
}

}  // namespace
