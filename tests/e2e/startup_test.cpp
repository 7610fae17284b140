// startup_test.cpp: starting and ending the real program: start-up
// failures, a missing font sheet, quit requests in the two flavours, and
// the way out to the console's menu program.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>

#include "session.h"

namespace {

using namespace e2e;

class Starting : public BothFlavours {
protected:
    void SetUp() override {
        BothFlavours::SetUp();
        session.Dir("d");
        // the start folder lists "..", d, simplefont.tga
    }
    static Options Failing(const std::string &fault) {
        Options opt;
        opt.fail = fault;
        return opt;
    }
    // A failed start: status 1, nothing drawn, nothing listed, no menu.
    static void ExpectStartFailed(const Outcome &run) {
        EXPECT_EQ(run.exit_code, 1) << run.Summary();
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(run.Count("frame"), 0) << run.Summary();
        EXPECT_FALSE(run.Logged("execl /usr/gp2x/gp2xmenu /usr/gp2x/gp2xmenu"));
    }
};

INSTANTIATE_TEST_SUITE_P(Flavours, Starting, ::testing::ValuesIn(kFlavours), FlavourName);

using StandIn = SessionTest;
using ConsoleStart = SessionTest;
using DesktopStart = SessionTest;
using ConsoleQuit = SessionTest;
using DesktopQuit = SessionTest;

TEST_P(Starting, AOrStartInTheListLeavesForTheMenuAtOnce) {
    for (int button : {kA, kStart}) {
        Outcome run = PlayToMenu(Script().Tap(kStickDown).Press(button).Release(button));
        EXPECT_EQ(run.Texts({"got ", "frame"}).back(), "got press " + std::to_string(button) + " #1")
            << "no frame after the press that ends the program\n" << run.Summary();
        EXPECT_FALSE(run.Logged("step release " + std::to_string(button)));
        EXPECT_TRUE(run.Logged("joystick close"));
        EXPECT_EQ(run.err, "");
    }
}

// The console keeps quiet; the desktop says why.
TEST_P(Starting, SDLFailingToStartEndsWithStatusOne) {
    Outcome run = Play(Script().Tap(kA), Failing("SDL_Init"));
    ExpectStartFailed(run);
    EXPECT_EQ(run.err, GetParam() == Flavour::Console ? "" : "tomo: SDL could not start: standin: SDL_Init fails\n");
}

TEST_P(Starting, NoVideoModeEndsWithStatusOneAndAMessage) {
    Outcome run = Play(Script().Tap(kA), Failing("SDL_SetVideoMode"));
    ExpectStartFailed(run);
    EXPECT_EQ(run.err.rfind("Couldn't set video mode: ", 0), 0u) << run.err;
    EXPECT_NE(run.err.find("standin: no video mode 320x240x16"), std::string::npos) << run.err;
    EXPECT_EQ(run.err.back(), '\n');
}

// A missing sheet, and anything at its name that is no regular file (a
// named pipe would stall the open), is one the loader cannot open. The
// console looks nowhere else and runs without text; the desktop build
// finds the sheet beside itself, without a word.
TEST_P(Starting, AMissingFontSheetIsReportedOrFoundBesideTheProgram) {
    Options opt;
    opt.font = false;
    opt.kill_after_s = 20;
    const bool console = GetParam() == Flavour::Console;
    for (const char *kind : {"missing", "named pipe", "folder"}) {
        SCOPED_TRACE(kind);
        const std::string sheet = session.Path("simplefont.tga");
        fs::remove_all(sheet);
        if (std::string(kind) == "named pipe") session.Fifo("simplefont.tga");
        if (std::string(kind) == "folder") session.Dir("simplefont.tga");
        Outcome run = PlayToMenu(Script().Shot("start").Tap(kStickDown).Shot("moved").Tap(kA), opt);
        EXPECT_EQ(run.err, console ? "LoadTargaImage: could not open file ./simplefont.tga\n" : "");
        EXPECT_EQ(run.out, std::string("\n\nSorted...\n..\nd\n") + (fs::exists(sheet) ? "simplefont.tga\n" : ""));
        std::vector<std::string> entries = {Entry("d", true)};
        if (fs::exists(sheet)) entries.push_back(Entry("simplefont.tga", std::string(kind) == "folder"));
        std::vector<std::string> moved = console ? std::vector<std::string>(kRows, "") : ListScreen(session.Root(), entries);
        EXPECT_EQ(session.Rows("moved"), moved);
        for (const char *shot : {"start", "moved"})
            EXPECT_TRUE(session.Shot(shot).Highlighted()) << shot << ": the bar is drawn all the same";
    }
}

// tomo | head: a standard output whose reader has gone fails the listing's
// writes, and the program reads on and still hands over to the menu, which
// gets SIGPIPE back as it was.
TEST_P(Starting, AStandardOutputWithoutAReaderStillEndsInTheMenu) {
    session.File("d/t.txt", "text\n");
    Options opt;
    opt.stdout_gone = true;
    // into d, open t.txt, back to the list, leave: three listings
    Outcome run = PlayToMenu(Script().Tap(kStickDown).Tap(kB).Tap(kStickDown).Tap(kB).Shot("text").Tap(kA).Tap(kA), opt);
    EXPECT_TRUE(run.Logged("execl SIGPIPE default")) << run.Summary();
    EXPECT_EQ(session.Rows("text")[0], "text");
}

TEST_P(Starting, TheStandInEndsAProgramLeftWaitingPastTheScript) {
    Options opt;
    opt.script_grace_ms = 300;
    Outcome run = Play(Script().Tap(kStickDown), opt);
    EXPECT_EQ(run.exit_code, 97) << run.Summary();
    EXPECT_TRUE(run.Logged("standin: script ended"));
    EXPECT_EQ(run.Listings().size(), 1u) << "standard output is flushed before the stand-in ends it";
}

TEST_F(StandIn, AScriptWithAMistakeStopsTheRunBeforeTheProgramStarts) {
    for (const char *line : {"press", "press up", "presss 4", "hold 4", "keydown NoSuchKey", "shot a/b.bmp", "wait 5 6",
                             "end", "ahead"}) {
        Outcome run = Play(Script().Tap(kStickDown).Raw(line).Tap(kA));
        EXPECT_EQ(run.exit_code, 98) << line << "\n" << run.Summary();
        EXPECT_EQ(run.Count("standin: bad script line 3: "), 1) << line << "\n" << run.Summary();
        EXPECT_EQ(run.out, "") << line;
    }
}

TEST_F(StandIn, CommentsAndBlankLinesAreSkipped) {
    Outcome run = Play(Script().Raw("# a comment").Raw("").Raw("  press 4   # down").Raw("release 4").Tap(kA));
    EXPECT_EQ(run.exit_code, 0) << run.Summary();
    EXPECT_EQ(run.Texts({"step "}), (std::vector<std::string>{"step press 4", "step release 4", "step press 12"}));
}

TEST_F(ConsoleStart, WithoutAJoystickItEndsWithStatusOne) {
    Options opt;
    opt.fail = "nojoystick";
    Outcome run = Play(Script().Tap(kA), opt);
    EXPECT_EQ(run.exit_code, 1) << run.Summary();
    EXPECT_EQ(run.err, "Couldn't open the joystick: standin: there is no joystick 0\n");
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.Count("frame"), 0);
}

TEST_F(DesktopStart, WithoutAJoystickItRunsOnTheKeyboard) {
    session.Dir("d");
    Options opt;
    opt.fail = "nojoystick";
    flavour = Flavour::Desktop;
    Outcome run = PlayToMenu(Script().Key("Down").Shot("moved").Key("Escape"), opt);
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(session.Rows("moved"), ListScreen(session.Root(), {Entry("d", true), Entry("simplefont.tga")}));
    EXPECT_FALSE(run.Logged("joystick close")) << "no joystick was opened";
}

// A display that does not answer: one line with SDL's reason and status 1
// at once, never a picture drawn on the terminal instead of a window.
TEST_F(DesktopStart, ADisplayThatDoesNotAnswerIsSaidInOneLine) {
    int n = 99;
    while (fs::exists("/tmp/.X11-unix/X" + std::to_string(n))) n++;
    Options opt;
    opt.display = ":" + std::to_string(n);
    opt.kill_after_s = 10;
    flavour = Flavour::Desktop;
    auto start = std::chrono::steady_clock::now();
    Outcome run = Play(Script().Tap(kA), opt);
    auto took = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(run.exit_code, 1) << run.Summary();
    EXPECT_LT(took, std::chrono::seconds(5));
    EXPECT_EQ(run.err.rfind("tomo: no window could be opened: DISPLAY " + opt.display + ": ", 0), 0u) << run.err;
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
    EXPECT_EQ(run.err.back(), '\n');
    EXPECT_EQ(run.out, "") << "nothing drawn on the terminal";
    EXPECT_EQ(run.Count("frame"), 0);
}

TEST_F(ConsoleQuit, AQuitRequestIsIgnoredWithOneFrame) {
    session.Dir("d");
    Outcome run = PlayToMenu(Script().Quit().Shot("after_quit").Tap(kStickDown).Shot("moved").Tap(kA));
    EXPECT_EQ(run.Texts({"got ", "frame"}),
              (std::vector<std::string>{"frame", "got quit", "frame", "got press 4 #1", "frame", "got release 4",
                                        "frame", "got press 12 #1"}));
    std::vector<std::string> start = ListScreen(session.Root(), {Entry("..", true), Entry("d", true), Entry("simplefont.tga")});
    EXPECT_EQ(session.Rows("after_quit"), start);
    EXPECT_EQ(session.Rows("moved")[1], Entry("d", true));
    EXPECT_EQ(run.Listings().size(), 1u) << "the quit request did not re-read the folder";
}

TEST_F(DesktopQuit, AQuitRequestEndsTheProgramLikeA) {
    flavour = Flavour::Desktop;
    Outcome run = PlayToMenu(Script().Tap(kStickDown).Quit().Shot("never"));
    EXPECT_EQ(run.Texts({"got ", "frame"}).back(), "got quit") << "no frame after the quit request";
    EXPECT_FALSE(run.Logged("step shot never.bmp"));
}

}  // namespace
