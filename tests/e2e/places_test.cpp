// places_test.cpp: a shelf the reader cannot write, read by an unprivileged
// user: the place of a text there is kept across the list in both flavours,
// and on the desktop across starts, in the file of places under HOME;
// nothing is ever written on the shelf.
#include <gtest/gtest.h>

#include "session.h"

namespace {

using namespace e2e;

using ReadOnlyShelf = BothFlavours;
INSTANTIATE_TEST_SUITE_P(Flavours, ReadOnlyShelf, ::testing::ValuesIn(kFlavours), FlavourName);

TEST_P(ReadOnlyShelf, KeepsThePlaceAcrossTheListAndOnTheDesktopAcrossStarts) {
    const std::string shelf = session.Dir("shelf");
    session.File("shelf/book.txt", NumberedText(100));
    session.File("shelf/other.txt", NumberedText(10));
    fs::permissions(shelf, fs::perms(0555));
    TempDir home;
    fs::permissions(home.path, fs::perms::all);
    const std::string places = home / ".local/state/tomo/places";
    Options opt;
    opt.as_nobody = RunningAsRoot();
    opt.env = {"HOME=" + home.str()};
    // from the start list ("..", shelf, simplefont.tga) into the shelf
    // ("..", book.txt, other.txt) and its book; the book left for another
    // text, whose place alone is current when the program ends
    Script book, first, second, third;
    book.Tap(kStickDown).Tap(kB).Tap(kStickDown).Tap(kB);
    first = book;
    first.Tap(kR, 2).Shot("moved").Tap(kA).Tap(kStickDown).Tap(kB).Shot("again").Tap(kA);
    first.Tap(kStickDown, 2).Tap(kB).Tap(kA).Tap(kA);
    PlayToMenu(first, opt);
    EXPECT_EQ(session.Rows("moved"), Page(NumberedRows(31, 45), Position(31, 100)));
    EXPECT_EQ(session.Rows("again"), session.Rows("moved")) << "kept across the list";

    second = book;
    Play(second.Shot("next_start").Tap(kR).Quit().Wait(200).Tap(kA).Tap(kA), opt);
    bool desktop = GetParam() == Flavour::Desktop;
    EXPECT_EQ(session.Rows("next_start"),
              desktop ? Page(NumberedRows(31, 45), Position(31, 100)) : Page(NumberedRows(1, 15), Position(1, 100)));
    EXPECT_EQ(fs::exists(places), desktop) << "only the desktop keeps a file of places";
    if (desktop) {
        // closing the window in the text leaves it too
        third = book;
        PlayToMenu(third.Shot("after_close").Tap(kA).Tap(kA), opt);
        EXPECT_EQ(session.Rows("after_close"), Page(NumberedRows(46, 60), Position(46, 100)));
        EXPECT_NE(ReadFile(places).find(" " + session.Path("shelf/book.txt") + "\n"), std::string::npos);
        // a power loss in the list keeps the place of the text just left
        Script killed = book, after;
        Options kill = opt;
        kill.stop_at = "step shot left";
        Outcome run = session.Play(GetParam(), killed.Tap(kR).Tap(kA).Shot("left"), kill);
        ASSERT_TRUE(run.killed) << run.Summary();
        after = book;
        PlayToMenu(after.Shot("after_kill").Tap(kA).Tap(kA), opt);
        EXPECT_EQ(session.Rows("after_kill"), Page(NumberedRows(61, 75), Position(61, 100)));
    }
    EXPECT_EQ(Names(shelf), (std::set<std::string>{"book.txt", "other.txt"})) << "nothing written on the shelf";
    EXPECT_EQ(ReadFile(shelf + "/book.txt"), NumberedText(100));
    fs::permissions(shelf, fs::perms(0755));
}

}  // namespace
