// list_test.cpp: the file browser on the real program, driven through the
// console stand-in: what the list shows and prints, how the selection
// moves, entering and leaving folders, and the odd folders.
#include <gtest/gtest.h>

#include <cstdio>

#include "session.h"
#include "tomo.h"

namespace {

using namespace e2e;

// Entry k (1..n) of a folder of NumberedFiles(n), "..", and the font sheet.
std::string F(int k) { return Entry(NumberedFile(k)); }

using Browsing = BothFlavours;
INSTANTIATE_TEST_SUITE_P(Flavours, Browsing, ::testing::ValuesIn(kFlavours), FlavourName);

TEST_P(Browsing, ListsTheStartFolderSortedByBytesAndPrintsIt) {
    session.File("b");
    session.File("A");
    session.File("a.txt", "hello\n");
    session.File("-dash");
    session.File(".hidden");
    session.File(".notes.txt.tomo");
    session.Dir("sub");
    session.Dir(".git");
    session.Fifo("pipe");
    fs::create_directory_symlink(session.Path("sub"), session.Path("lnk"));
    fs::create_symlink(session.Path("nowhere"), session.Path("dead"));

    Outcome run = PlayToMenu(Script().Shot("start").Tap(kA));

    std::vector<std::string> sorted = {"-dash", "..", "A", "a.txt", "b", "dead", "lnk", "pipe", "simplefont.tga", "sub"};
    ASSERT_EQ(run.Listings().size(), 1u) << run.out;
    EXPECT_EQ(run.Listings()[0], sorted);
    EXPECT_EQ(run.out, "\n\nSorted...\n-dash\n..\nA\na.txt\nb\ndead\nlnk\npipe\nsimplefont.tga\nsub\n");
    EXPECT_NE(run.err.find("Could not stat file " + session.Path("dead") + "...\n"), std::string::npos) << run.err;
    EXPECT_EQ(session.Rows("start"),
              ListScreen(session.Root(), {Entry("-dash"), Entry("..", true), Entry("A"), Entry("a.txt"),
                                          Entry("b"), Entry("dead"), Entry("lnk", true), Entry("pipe"),
                                          Entry("simplefont.tga"), Entry("sub", true)}));
}

TEST_P(Browsing, HighlightsTheFirstListRowOnly) {
    session.Dir("sub");
    PlayToMenu(Script().Shot("start").Tap(kStickDown).Shot("moved").Tap(kA));
    for (const char *name : {"start", "moved"}) {
        Screen s = session.Shot(name);
        ASSERT_TRUE(s.loaded()) << name;
        EXPECT_TRUE(s.Highlighted()) << name;
        EXPECT_TRUE(s.BandHasNo(0, 14, kHighlight)) << name << ": the heading row stays black";
        EXPECT_TRUE(s.BandHasNo(30, 239, kHighlight)) << name << ": only row 1 is barred";
        EXPECT_EQ(s.Pixel(0, 0), kBlack);
        EXPECT_EQ(s.Pixel(319, 14), kBlack);
        EXPECT_EQ(s.Pixel(0, 15), kHighlight);
        EXPECT_EQ(s.Pixel(319, 29), kHighlight);
        EXPECT_EQ(s.Pixel(0, 30), kBlack);
        EXPECT_FALSE(s.Separator()) << name << ": no status line before the first tick";
    }
    EXPECT_EQ(session.Rows("moved")[1], Entry("simplefont.tga"));
}

TEST_P(Browsing, CutsALongHeadingAt49AndALongNameAt51Columns) {
    std::string folder = "a-folder-name-long-enough-to-push-the-heading-past-the-edge";
    session.StartIn(folder);
    std::string long_name(80, 'n');
    std::string longest(255, 'z');
    session.File(folder + "/" + long_name);
    session.File(folder + "/" + longest);
    session.File(folder + "/short.txt");

    Outcome run = PlayToMenu(Script().Shot("list").Tap(kA));

    ASSERT_GT(session.Start().size(), 49u);
    std::vector<std::string> rows = session.Rows("list");
    ASSERT_EQ(rows.size(), 16u);
    EXPECT_EQ(rows[0], "Dir:" + session.Start().substr(0, 49));
    EXPECT_EQ(rows[2], "  " + std::string(51, 'n'));
    EXPECT_EQ(rows[5], "  " + std::string(51, 'z'));
    EXPECT_EQ(rows[3], "  short.txt");
    ASSERT_EQ(run.Listings().size(), 1u);
    EXPECT_EQ(run.Listings()[0].back(), longest) << "a 255-byte name is kept whole";
}

// UTF-8 names show their letters, a decomposed one too; a name is cut at
// 51 letters, not at 51 bytes.
TEST_P(Browsing, ShowsTheLettersOfUtf8Names) {
    std::string folder = "Bücher";
    session.StartIn(folder);
    std::string umlauts;
    for (int i = 0; i < 55; i++) umlauts += "ä";
    session.File(folder + "/Grüße – März.txt");
    session.File(folder + "/Cafe\u0301.txt");
    session.File(folder + "/" + umlauts + ".txt");
    session.Dir(folder + "/Übersetzungen");

    Outcome run = PlayToMenu(Script().Shot("list").Tap(kA));

    // sorted by bytes: "Ü" is C3 9C, "ä" C3 A4
    EXPECT_EQ(session.Rows("list"),
              ListScreen(Latin1(session.Start()),
                         {Entry("..", true), Entry(Latin1("Café.txt")), Entry(Latin1("Grüße - März.txt")),
                          Entry("simplefont.tga"), Entry(Latin1("Übersetzungen"), true),
                          Entry(Latin1(umlauts + ".txt"))}));
    ASSERT_EQ(run.Listings().size(), 1u);
    EXPECT_EQ(run.Listings()[0][2], "Grüße – März.txt") << "the listing prints the names' own bytes";
}

// 20 entries: "..", f01..f18, simplefont.tga.
TEST_P(Browsing, MovesByOneAndByFifteenAndStopsAtBothEnds) {
    NumberedFiles(18);
    Script s;
    s.Tap(kStickDown, 3).Shot("at3");
    s.Tap(kR).Shot("r_from3");
    s.Tap(kStickLeft).Tap(kX, 8).Shot("at8");
    s.Tap(kR).Shot("r_from8");
    s.Tap(kR).Shot("r_at_end");
    s.Tap(kStickDown).Tap(kX).Shot("down_at_end");
    s.Tap(kL).Shot("l_from19");
    s.Tap(kStickUp).Tap(kY).Shot("at2");
    s.Tap(kL).Shot("l_from2");
    s.Tap(kStickUp).Tap(kY).Shot("up_at_start");
    s.Tap(kA);

    Outcome run = PlayToMenu(s);

    std::vector<std::string> rows = session.Rows("at3");
    std::vector<std::string> from3;
    for (int k = 3; k <= 16; k++) from3.push_back(F(k));
    EXPECT_EQ(rows, ListScreen(session.Root(), from3)) << "rows 1 to 14 show entries 3 to 16";
    EXPECT_EQ(session.Rows("r_from3"), ListScreen(session.Root(), {F(18), Entry("simplefont.tga")}));
    EXPECT_EQ(session.Rows("at8")[1], F(8));
    EXPECT_EQ(session.Rows("r_from8"), ListScreen(session.Root(), {Entry("simplefont.tga")}));
    EXPECT_EQ(session.Rows("r_at_end"), ListScreen(session.Root(), {Entry("simplefont.tga")}));
    EXPECT_EQ(session.Rows("down_at_end")[1], Entry("simplefont.tga"));
    EXPECT_EQ(session.Rows("l_from19")[1], F(4));
    EXPECT_EQ(session.Rows("at2")[1], F(2));
    EXPECT_EQ(session.Rows("l_from2")[1], Entry("..", true));
    EXPECT_EQ(session.Rows("up_at_start")[1], Entry("..", true));
    EXPECT_EQ(run.Listings().size(), 1u) << "moving never re-reads the folder";
}

// 30 entries: "..", f01..f28, simplefont.tga.
TEST_P(Browsing, FifteenBackFromTwentyAndFromTenAndTheStickJumps) {
    NumberedFiles(28);
    Script s;
    s.Tap(kStickDown, 20).Shot("at20");
    s.Tap(kL).Shot("l_from20");
    s.Tap(kStickDown, 5).Shot("at10");
    s.Tap(kL).Shot("l_from10");
    s.Tap(kStickRight).Shot("last");
    s.Tap(kStickLeft).Shot("first");
    s.Tap(kStickRight).Tap(kStickRight).Shot("last_again");
    s.Tap(kA);

    PlayToMenu(s);

    EXPECT_EQ(session.Rows("at20")[1], F(20));
    EXPECT_EQ(session.Rows("l_from20")[1], F(5));
    EXPECT_EQ(session.Rows("at10")[1], F(10));
    EXPECT_EQ(session.Rows("l_from10")[1], Entry("..", true));
    EXPECT_EQ(session.Rows("last"), ListScreen(session.Root(), {Entry("simplefont.tga")}));
    std::vector<std::string> first = {Entry("..", true)};
    for (int k = 1; k <= 13; k++) first.push_back(F(k));
    EXPECT_EQ(session.Rows("first"), ListScreen(session.Root(), first));
    EXPECT_EQ(session.Rows("last_again")[1], Entry("simplefont.tga"));
}

TEST_P(Browsing, EveryEventIsFollowedByOneFrameAndAQuitByNoneInTheList) {
    session.Dir("d");
    Outcome run = PlayToMenu(Script().Tap(kStickDown).Tap(kB).Tap(7).Tap(kStickRight).Tap(kA));
    // four taps are eight events, each with its frame; A's own press ends
    // the loop without one
    std::vector<int> expected(8, 1);
    expected.push_back(0);
    EXPECT_EQ(run.FramesAfterEachEvent(), expected) << run.Summary();
}

TEST_P(Browsing, EntersAFolderAndGoesBackUpWithTheSelectionOnTheFirstEntry) {
    session.StartIn("a/b");
    session.Dir("a/b/c");
    session.File("a/b/c/inside.txt");
    session.File("a/b/note.txt");
    session.File("a/x.txt");
    // a/b: "..", "c", "note.txt", "simplefont.tga"
    Script s;
    s.Shot("b").Tap(kStickDown).Tap(kB).Shot("c");
    s.Tap(kB).Shot("back_in_b");
    s.Tap(kB).Shot("a");
    s.Tap(kB).Shot("root");
    s.Tap(kA);

    Outcome run = PlayToMenu(s);

    std::string b = session.Path("a/b");
    EXPECT_EQ(session.Rows("b"), ListScreen(b, {Entry("..", true), Entry("c", true), Entry("note.txt"),
                                                Entry("simplefont.tga")}));
    EXPECT_EQ(session.Rows("c"), ListScreen(b + "/c", {Entry("..", true), Entry("inside.txt")}));
    EXPECT_EQ(session.Rows("back_in_b"), session.Rows("b"));
    EXPECT_EQ(session.Rows("a"), ListScreen(session.Path("a"), {Entry("..", true), Entry("b", true), Entry("x.txt")}));
    EXPECT_EQ(session.Rows("root"), ListScreen(session.Root(), {Entry("..", true), Entry("a", true)}));
    std::vector<std::vector<std::string>> listings = {
        {"..", "c", "note.txt", "simplefont.tga"}, {"..", "inside.txt"}, {"..", "c", "note.txt", "simplefont.tga"},
        {"..", "b", "x.txt"}, {"..", "a"}};
    EXPECT_EQ(run.Listings(), listings);
}

TEST_P(Browsing, DotDotClimbsToTheRootAndStaysThere) {
    // One B on ".." per folder above the test folder reaches "/"; one more
    // stays there.
    std::vector<fs::path> above;
    for (fs::path p = fs::path(session.Root()).parent_path(); ; p = p.parent_path()) {
        above.push_back(p);
        if (p == p.root_path()) break;
    }
    Script s;
    for (size_t i = 0; i < above.size(); i++) s.Tap(kB).Shot("up" + std::to_string(i));
    s.Tap(kB).Shot("still_root").Tap(kA);

    Outcome run = PlayToMenu(s);

    for (size_t i = 0; i < above.size(); i++)
        EXPECT_EQ(session.Rows("up" + std::to_string(i))[0], "Dir:" + above[i].string());
    EXPECT_EQ(session.Rows("still_root")[0], "Dir:/");
    std::vector<std::vector<std::string>> listings = run.Listings();
    ASSERT_EQ(listings.size(), above.size() + 2);
    std::vector<std::string> in_root = listings[above.size()];
    EXPECT_NE(std::find(in_root.begin(), in_root.end(), ".."), in_root.end()) << "the root lists .. too";
    EXPECT_EQ(listings.back(), in_root);
}

TEST_P(Browsing, APathLongerThanTheSystemTakesIsRefusedAloud) {
    // Under a start folder of PATH_MAX - 21 bytes a child of 19 gives a path
    // of PATH_MAX - 1, which fits; one of 20 gives PATH_MAX, which does not
    // (the system cannot even tell what it is).
    session.StartIn(PathOfLength(session.Root(), PATH_MAX - 21).substr(session.Root().size() + 1));
    std::string fits(19, 'e'), too_long(20, 'r');
    session.Dir(session.Start().substr(session.Root().size() + 1) + "/" + fits);
    MakeDeepFolders(session.Start(), too_long);
    // "..", eee..., rrr..., simplefont.tga
    Script s;
    s.Tap(kStickDown, 2).Tap(kB).Shot("refused");
    s.Tap(kStickUp).Tap(kB).Shot("entered");
    s.Tap(kA);

    Outcome run = PlayToMenu(s);

    ASSERT_EQ(session.Start().size(), static_cast<size_t>(PATH_MAX - 21));
    EXPECT_EQ(session.Rows("refused"), ListScreen(session.Start(), {Entry(too_long), Entry("simplefont.tga")}));
    std::string deeper = session.Start() + "/" + fits;
    EXPECT_EQ(session.Rows("entered"), ListScreen(deeper, {Entry("..", true)}));
    EXPECT_EQ(run.Listings().size(), 2u) << "the refused folder is never read";
    std::string refused = session.Start() + "/" + too_long;
    EXPECT_EQ(run.err, "Could not stat file " + refused + "...\ntomo: path too long: " + refused + "\n");
}

TEST_P(Browsing, ANamedPipeIsNotOpened) {
    session.Fifo("pipe");
    // "..", pipe, simplefont.tga
    PlayToMenu(Script().Tap(kStickDown).Tap(kB).Shot("after_b").Tap(kA), Options().Within(20));
    EXPECT_EQ(session.Rows("after_b"), ListScreen(session.Root(), {Entry("pipe"), Entry("simplefont.tga")}));
}

TEST_P(Browsing, AFolderOfFiveThousandFilesIsListedWhole) {
    testutil::NumberedFiles(session.Dir("big"), "zz", 0, 4999, 4);
    // root: "..", big, simplefont.tga
    Script s;
    s.Tap(kStickDown).Tap(kB).Shot("top");
    s.Tap(kStickRight).Shot("last");
    s.Tap(kL).Shot("back15");
    s.Tap(kStickUp).Tap(kA);

    Outcome run = PlayToMenu(s);

    ASSERT_EQ(run.Listings().size(), 2u);
    std::vector<std::string> big = run.Listings()[1];
    ASSERT_EQ(big.size(), 5001u);
    EXPECT_EQ(big.front(), "..");
    EXPECT_EQ(big[1000], "zz0999");
    EXPECT_EQ(big.back(), "zz4999");
    EXPECT_EQ(session.Rows("top")[14], Entry("zz0012"));
    EXPECT_EQ(session.Rows("last"), ListScreen(session.Path("big"), {Entry("zz4999")}));
    EXPECT_EQ(session.Rows("back15")[1], Entry("zz4984"));
    EXPECT_EQ(session.Rows("back15")[14], Entry("zz4997"));
}

TEST_P(Browsing, AHeldStickMovesOncePerDeliveredPress) {
    NumberedFiles(38);
    // 40 entries; the press and the repeats that reach the program each
    // move one entry on.
    Outcome run = PlayToMenu(Script().Hold(kStickDown, 2200).Shot("after_hold").Tap(kA));
    int moves = run.Delivered(kStickDown);
    EXPECT_GE(moves, 4) << "repeats at 750, 1350, 1650, 1800 ms ... after the first tick" << run.Summary();
    EXPECT_GE(run.Count("push 4"), run.Count("got repeat 4"));
    ASSERT_LE(moves, 38);
    EXPECT_EQ(session.Rows("after_hold")[1], F(moves));
}

using BrowsingOnConsole = SessionTest;

// Past 32,767 names that sort before "..", ".." is still there, last.
TEST_F(BrowsingOnConsole, AFolderOfNamesBeforeDotDotKeepsItsWayUp) {
    testutil::NumberedFiles(session.Dir("crowded"), "-", 0, 32999, 5);
    // the tree: "..", crowded, simplefont.tga
    Script s;
    s.Tap(kStickDown).Tap(kB).Shot("crowded");
    s.Tap(kStickRight).Shot("last").Tap(kB).Shot("up");
    s.Tap(kA);

    Outcome run = PlayToMenu(s, Options().Within(120));

    ASSERT_EQ(run.Listings().size(), 3u);
    std::vector<std::string> crowded = run.Listings()[1];
    ASSERT_EQ(crowded.size(), static_cast<size_t>(DIRLIST_MAX));
    EXPECT_EQ(crowded.front(), "-00000");
    EXPECT_EQ(crowded[crowded.size() - 2], "-32766");
    EXPECT_EQ(crowded.back(), "..");
    EXPECT_EQ(session.Rows("crowded")[1], Entry("-00000"));
    EXPECT_EQ(session.Rows("last"), ListScreen(session.Path("crowded"), {Entry("..", true)}));
    EXPECT_EQ(session.Rows("up"),
              ListScreen(session.Root(), {Entry("..", true), Entry("crowded", true), Entry("simplefont.tga")}));
}

// Unreadable folders need a user that permissions apply to.
class Unprivileged : public Browsing {
protected:
    void SetUp() override {
        Browsing::SetUp();
        if (!RunningAsRoot()) GTEST_SKIP() << "needs root to run the program as nobody";
    }
};

INSTANTIATE_TEST_SUITE_P(Flavours, Unprivileged, ::testing::ValuesIn(kFlavours), FlavourName);

TEST_P(Unprivileged, AnUnreadableFolderIsAnEmptyListWhereBGoesUp) {
    session.Dir("locked");
    session.File("locked/secret.txt");
    fs::permissions(session.Path("locked"), fs::perms::owner_all | fs::perms::group_exec | fs::perms::others_exec);
    // root: "..", locked, simplefont.tga
    Options opt;
    opt.as_nobody = true;
    Script s;
    s.Tap(kStickDown).Tap(kB).Shot("empty");
    for (int b : {kStickDown, kX, kR, kStickRight, kStickUp, kY, kL, kStickLeft, kR, kStickDown}) s.Tap(b);
    s.Shot("moved");
    s.Tap(kB).Shot("back");
    s.Tap(kA);

    Outcome run = PlayToMenu(s, opt);

    std::vector<std::string> empty = ListScreen(session.Path("locked"), {});
    EXPECT_EQ(session.Rows("empty"), empty);
    EXPECT_EQ(session.Rows("moved"), empty);
    EXPECT_TRUE(session.Shot("moved").Highlighted());
    EXPECT_EQ(session.Rows("back"),
              ListScreen(session.Root(), {Entry("..", true), Entry("locked", true), Entry("simplefont.tga")}));
    EXPECT_EQ(run.Listings().size(), 2u) << "an unreadable folder prints no listing" << run.out;
}

}  // namespace
