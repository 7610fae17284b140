// commandline_test.cpp: the desktop flavour's command line on the real
// program: tomo FOLDER, tomo TEXT (its page at once, its folder behind A),
// --help and --version, and paths it refuses; the console reads none.
#include <gtest/gtest.h>

#include "app.h"
#include "session.h"

namespace {

using namespace e2e;

class CommandLine : public SessionTest {
protected:
    void SetUp() override {
        flavour = Flavour::Desktop;
        SessionTest::SetUp();
        session.Dir("shelf/sub");
        session.File("shelf/book.txt", NumberedText(40));
        session.File("shelf/.notes", "hidden notes\n");
    }
    Options Args(std::vector<std::string> args) {
        Options opt;
        opt.args = std::move(args);
        return opt;
    }
    std::vector<std::string> Shelf() const {
        return ListScreen(session.Path("shelf"), {Entry("..", true), Entry("book.txt"), Entry("sub", true)});
    }
};

// A folder is listed instead of the working directory; a text, hidden or
// named after "--" (a name that looks like an option), is drawn before the
// first key (the script's first step is taken when the program first
// waits), with the list of its folder behind A. A text opens at its place,
// and is left there for the next start: book.txt is opened twice, paged on
// each time.
TEST_F(CommandLine, WhatItNamesIsShownFirstAndATextAtItsPlace) {
    session.File("shelf/sub/-x.txt", "hyphen\n");
    const std::vector<std::string> sub = ListScreen(session.Path("shelf/sub"), {Entry("-x.txt"), Entry("..", true)});
    struct {
        std::vector<std::string> args;
        std::vector<std::string> first, after_a;  // after_a empty for a list, which A leaves
    } cases[] = {
        {{"shelf"}, Shelf(), {}},
        {{session.Path("shelf")}, Shelf(), {}},
        {{"shelf/sub/.."}, Shelf(), {}},
        {{"shelf/.notes"}, Page({"hidden notes"}, Position(1, 1)), Shelf()},
        {{"--", "shelf/sub/-x.txt"}, Page({"hyphen"}, Position(1, 1)), sub},
        {{"shelf/book.txt"}, Page(NumberedRows(1, 15), Position(1, 40)), Shelf()},
        {{session.Path("shelf/book.txt")}, Page(NumberedRows(16, 30), Position(16, 40)), Shelf()},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.args.back());
        PlayToMenu(Script().Shot("first").Tap(kR).Tap(kA).Shot("after_a").Tap(kA), Args(c.args));
        EXPECT_EQ(session.Rows("first"), c.first);
        if (!c.after_a.empty()) {
            EXPECT_EQ(session.Rows("after_a"), c.after_a);
        }
    }
    EXPECT_TRUE(fs::exists(IndexFile(session.Path("shelf"), ".notes")));
    EXPECT_EQ(ReadWords(IndexFile(session.Path("shelf"), "book.txt")), ModelIndex(NumberedText(40), 30));
}

// --help and --version print and end; what cannot be read is said in one
// line naming the path and why, with status 1; none of it opens a window.
TEST_F(CommandLine, HelpVersionAndWhatCannotBeReadNeedNoWindow) {
    session.Fifo("shelf/pipe");
    session.File("shelf/locked.txt", "x\n");
    session.Dir("shelf/closed");
    fs::permissions(session.Path("shelf/locked.txt"), fs::perms::none);
    fs::permissions(session.Path("shelf/closed"), fs::perms::none);
    struct {
        std::vector<std::string> args;
        std::string out, err;  // the help's first line only
        bool unprivileged;
    } cases[] = {
        {{"--help"}, "Usage: tomo [PATH]\n", "", false},
        {{"--version"}, "tomo " TOMO_VERSION "\n", "", false},
        {{"missing.txt"}, "", "tomo: missing.txt: No such file or directory\n", false},
        {{"shelf/book.txt/"}, "", "tomo: shelf/book.txt/: Not a directory\n", false},
        {{"shelf/pipe"}, "", "tomo: shelf/pipe: not a text file or a folder\n", false},
        {{"shelf/locked.txt"}, "", "tomo: shelf/locked.txt: Permission denied\n", true},
        {{"shelf/closed"}, "", "tomo: shelf/closed: Permission denied\n", true},
        {{"--verbose"}, "", "tomo: unknown option --verbose (tomo --help tells the usage)\n", false},
        {{"shelf", "sub"}, "", "tomo: one PATH at most (tomo --help tells the usage)\n", false},
    };
    std::string help;
    for (const auto &c : cases) {
        SCOPED_TRACE(c.args[0]);
        Options opt = Args(c.args);
        opt.as_nobody = c.unprivileged && RunningAsRoot();  // root reads anything
        Outcome run = Play(Script(), opt);
        const bool is_help = c.args[0] == "--help";
        if (is_help) help = run.out;
        EXPECT_EQ(run.exit_code, c.err.empty() ? 0 : 1) << run.Summary();
        EXPECT_EQ(run.err, c.err);
        EXPECT_EQ(is_help ? run.out.substr(0, c.out.size()) : run.out, c.out);
        EXPECT_EQ(run.Count("frame"), 0);
        EXPECT_FALSE(run.Logged("joystick open"));
    }
    for (int i = 0; i < button_map_len; i++) {
        char keys[128];
        DesktopKeys(&button_map[i], keys, sizeof keys);
        EXPECT_NE(help.find("  " + std::string(keys) + " "), std::string::npos) << keys << "\n" << help;
    }
}

TEST_F(CommandLine, TheConsoleReadsNoCommandLine) {
    flavour = Flavour::Console;
    Outcome run = PlayToMenu(Script().Shot("start").Tap(kA), Args({"--help"}));
    EXPECT_EQ(run.out.find("Usage"), std::string::npos);
    EXPECT_EQ(session.Rows("start"),
              ListScreen(session.Root(), {Entry("..", true), Entry("shelf", true), Entry("simplefont.tga")}));
}

}  // namespace
