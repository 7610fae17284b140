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
    // The shelf's list, from its entry `from` on.
    std::vector<std::string> Shelf(size_t from = 0) const {
        std::vector<std::string> all = {Entry("..", true), Entry("book.txt"), Entry("sub", true)};
        return ListScreen(session.Path("shelf"), std::vector<std::string>(all.begin() + from, all.end()));
    }
};

TEST_F(CommandLine, AFolderIsListedInsteadOfTheWorkingDirectory) {
    for (const std::string &arg : {std::string("shelf"), session.Path("shelf"), std::string("shelf/sub/..")}) {
        SCOPED_TRACE(arg);
        PlayToMenu(Script().Shot("start").Tap(kA), Args({arg}));
        EXPECT_EQ(session.Rows("start"), Shelf());
    }
}

// The page is drawn before the first key (the script's first step is taken
// when the program first waits); A goes to the list of its folder.
TEST_F(CommandLine, ATextOpensAtOnceWithItsFolderBehindIt) {
    PlayToMenu(Script().Shot("page").Tap(kR).Tap(kA).Shot("list").Tap(kA), Args({"shelf/book.txt"}));
    EXPECT_EQ(session.Rows("page"), Page(NumberedRows(1, 15), Position(1, 40)));
    EXPECT_EQ(session.Rows("list"), Shelf());
    EXPECT_EQ(ReadWords(IndexFile(session.Path("shelf"), "book.txt")), ModelIndex(NumberedText(40), 15));

    // and the next start opens where the reader left it
    PlayToMenu(Script().Shot("again").Tap(kA).Tap(kA), Args({session.Path("shelf/book.txt")}));
    EXPECT_EQ(session.Rows("again"), Page(NumberedRows(16, 30), Position(16, 40)));
}

TEST_F(CommandLine, AHiddenTextOpensLikeAnyOther) {
    PlayToMenu(Script().Shot("page").Tap(kA).Shot("list").Tap(kA), Args({"shelf/.notes"}));
    EXPECT_EQ(session.Rows("page"), Page({"hidden notes"}, Position(1, 1)));
    EXPECT_EQ(session.Rows("list"), Shelf());
    EXPECT_TRUE(fs::exists(IndexFile(session.Path("shelf"), ".notes")));
}

TEST_F(CommandLine, HelpAndVersionArePrintedWithoutAWindow) {
    Outcome help = Play(Script(), Args({"--help"}));
    EXPECT_EQ(help.exit_code, 0) << help.Summary();
    EXPECT_EQ(help.out.rfind("Usage: tomo [PATH]\n", 0), 0u) << help.out;
    for (int i = 0; i < button_map_len; i++) {
        char keys[128];
        DesktopKeys(&button_map[i], keys, sizeof keys);
        std::string row = std::string(keys) + " ";
        EXPECT_NE(help.out.find("  " + row), std::string::npos) << row << "\n" << help.out;
    }
    Outcome version = Play(Script(), Args({"--version"}));
    EXPECT_EQ(version.exit_code, 0);
    EXPECT_EQ(version.out, "tomo " TOMO_VERSION "\n");
    for (const Outcome &run : {help, version}) {
        EXPECT_EQ(run.err, "");
        EXPECT_EQ(run.Count("frame"), 0);
        EXPECT_FALSE(run.Logged("joystick open"));
    }
}

// One line naming the path and why, status 1, no window.
TEST_F(CommandLine, WhatCannotBeReadIsRefusedInOneLine) {
    session.Fifo("shelf/pipe");
    session.File("shelf/locked.txt", "x\n");
    session.Dir("shelf/closed");
    fs::permissions(session.Path("shelf/locked.txt"), fs::perms::none);
    fs::permissions(session.Path("shelf/closed"), fs::perms::none);
    struct {
        std::vector<std::string> args;
        std::string err;
        bool unprivileged;
    } cases[] = {
        {{"missing.txt"}, "tomo: missing.txt: No such file or directory\n", false},
        {{"shelf/book.txt/"}, "tomo: shelf/book.txt/: Not a directory\n", false},
        {{"shelf/pipe"}, "tomo: shelf/pipe: not a text file or a folder\n", false},
        {{"shelf/locked.txt"}, "tomo: shelf/locked.txt: Permission denied\n", true},
        {{"shelf/closed"}, "tomo: shelf/closed: Permission denied\n", true},
        {{"--verbose"}, "tomo: unknown option --verbose (tomo --help tells the usage)\n", false},
        {{"shelf", "sub"}, "tomo: one PATH at most (tomo --help tells the usage)\n", false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.args[0]);
        Options opt = Args(c.args);
        opt.as_nobody = c.unprivileged && RunningAsRoot();  // root reads anything
        Outcome run = Play(Script(), opt);
        EXPECT_EQ(run.exit_code, 1) << run.Summary();
        EXPECT_EQ(run.err, c.err);
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(run.Count("frame"), 0);
    }
}

// "--" ends the options, for a name that begins with a hyphen.
TEST_F(CommandLine, ANameThatLooksLikeAnOptionFollowsTwoHyphens) {
    session.File("shelf/-x.txt", "hyphen\n");
    PlayToMenu(Script().Shot("page").Tap(kA).Tap(kA), Args({"--", "shelf/-x.txt"}));
    EXPECT_EQ(session.Rows("page"), Page({"hyphen"}, Position(1, 1)));
}

TEST_F(CommandLine, TheConsoleReadsNoCommandLine) {
    flavour = Flavour::Console;
    Outcome run = PlayToMenu(Script().Shot("start").Tap(kA), Args({"--help"}));
    EXPECT_EQ(run.out.find("Usage"), std::string::npos);
    EXPECT_EQ(session.Rows("start"),
              ListScreen(session.Root(), {Entry("..", true), Entry("shelf", true), Entry("simplefont.tga")}));
}

}  // namespace
