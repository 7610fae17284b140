// places_test.cpp: a shelf the reader cannot write, read by an unprivileged
// user: the place of a text there is kept across the list in both flavours,
// and on the desktop across starts, in the file of places under HOME;
// nothing is ever written on the shelf.
#include <gtest/gtest.h>

#include <map>

#include "session.h"

namespace {

using namespace e2e;

class ReadOnlyShelf : public BothFlavours {
protected:
    void SetUp() override {
        BothFlavours::SetUp();
        session.File(session.Dir("shelf").substr(session.Root().size() + 1) + "/book.txt", NumberedText(100));
        fs::permissions(session.Path("shelf"), fs::perms(0555));
        shelf_before = Shelf();
        opt.as_nobody = RunningAsRoot();
    }
    void TearDown() override { fs::permissions(session.Path("shelf"), fs::perms(0755)); }

    // Every name on the shelf with its size and modification time.
    std::map<std::string, std::string> Shelf() const {
        std::map<std::string, std::string> files;
        for (const auto &e : fs::directory_iterator(session.Path("shelf")))
            files[e.path().filename().string()] =
                std::to_string(e.file_size()) + "@" +
                std::to_string(fs::last_write_time(e.path()).time_since_epoch().count());
        return files;
    }
    // From the start list ("..", shelf, simplefont.tga) into the shelf and
    // its book.
    static Script &OpenBook(Script &s) { return s.Tap(kStickDown).Tap(kB).Tap(kStickDown).Tap(kB); }
    std::string PlacesFile() const { return home + "/.local/state/tomo/places"; }

    Options opt;
    std::map<std::string, std::string> shelf_before;
    std::string home;
};

INSTANTIATE_TEST_SUITE_P(Flavours, ReadOnlyShelf, ::testing::ValuesIn(kFlavours), FlavourName);

TEST_P(ReadOnlyShelf, KeepsThePlaceAcrossTheListAndOnTheDesktopAcrossStarts) {
    TempDir home_dir;
    fs::permissions(home_dir.path, fs::perms::all);
    home = home_dir.str();
    opt.env = {"HOME=" + home};
    Script first;
    OpenBook(first).Tap(kR, 2).Shot("moved").Tap(kA).Tap(kStickDown).Tap(kB).Shot("again").Tap(kA).Tap(kA);
    PlayToMenu(first, opt);
    EXPECT_EQ(session.Rows("moved"), Page(NumberedRows(31, 45), Position(31, 100)));
    EXPECT_EQ(session.Rows("again"), session.Rows("moved")) << "kept across the list";

    Script second;
    OpenBook(second).Shot("next_start").Tap(kR).Quit().Wait(200).Tap(kA).Tap(kA);
    Play(second, opt);
    bool desktop = GetParam() == Flavour::Desktop;
    EXPECT_EQ(session.Rows("next_start"),
              desktop ? Page(NumberedRows(31, 45), Position(31, 100)) : Page(NumberedRows(1, 15), Position(1, 100)));
    EXPECT_EQ(fs::exists(PlacesFile()), desktop) << "only the desktop keeps a file of places";

    if (desktop) {
        // closing the window in the text leaves it too
        Script third;
        OpenBook(third).Shot("after_close").Tap(kA).Tap(kA);
        PlayToMenu(third, opt);
        EXPECT_EQ(session.Rows("after_close"), Page(NumberedRows(46, 60), Position(46, 100)));
        EXPECT_NE(ReadFile(PlacesFile()).find(" " + session.Path("shelf/book.txt") + "\n"), std::string::npos);
    }
    EXPECT_EQ(Shelf(), shelf_before) << "nothing written on the shelf";
}

}  // namespace
