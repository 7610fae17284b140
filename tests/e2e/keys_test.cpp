// keys_test.cpp: the desktop flavour's keyboard, which stands in for the
// console's buttons, and the console flavour, which knows no keys.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

#include "session.h"

namespace {

using namespace e2e;

// The desktop flavour unless said.
class Keyboard : public SessionTest {
protected:
    void SetUp() override {
        flavour = Flavour::Desktop;
        SessionTest::SetUp();
    }
};

TEST_F(Keyboard, ArrowAndPageKeysMoveLikeTheStickAndShoulders) {
    // "..", f01..f18, simplefont.tga: 20 entries
    NumberedFiles(18);
    Script s;
    s.Key("Down", 3).Shot("down3");
    s.Key("PageDown").Shot("pagedown");
    s.Key("Home").Shot("home");
    s.Key("End").Shot("end");
    s.Key("PageUp").Shot("pageup");
    s.Key("Up").Shot("up");
    s.Key("Escape");

    PlayToMenu(s);

    struct {
        const char *shot;
        std::string row1;
    } table[] = {
        {"down3", Entry(NumberedFile(3))}, {"pagedown", Entry(NumberedFile(18))}, {"home", Entry("..", true)},
        {"end", Entry("simplefont.tga")}, {"pageup", Entry(NumberedFile(4))}, {"up", Entry(NumberedFile(3))},
    };
    for (const auto &row : table) EXPECT_EQ(session.Rows(row.shot)[1], row.row1) << row.shot;
    EXPECT_EQ(session.Rows("end"), ListScreen(session.Root(), {Entry("simplefont.tga")}));
}

TEST_F(Keyboard, ReturnEntersAFolderAndEscapeLeaves) {
    session.Dir("sub");
    session.File("sub/inner.txt");
    // "..", simplefont.tga, sub
    Script s;
    s.Key("Down", 2).Key("Return").Shot("in_sub");
    s.Key("Return").Shot("back");
    s.KeyDown("Escape");

    Outcome run = PlayToMenu(s);

    EXPECT_EQ(session.Rows("in_sub"), ListScreen(session.Path("sub"), {Entry("..", true), Entry("inner.txt")}));
    EXPECT_EQ(session.Rows("back"),
              ListScreen(session.Root(), {Entry("..", true), Entry("simplefont.tga"), Entry("sub", true)}));
    EXPECT_EQ(run.Texts({"got ", "frame"}).back(), "got keydown 27") << "Escape ends at once";
}

// Keys typed faster than the frames, as on a loaded desktop, are all acted
// on, a dozen trips out of the text and back in among them. Space pages on
// as R does and q goes back (or quits) as A does; a notch of the wheel is
// three one-line moves in a text and three entries in the list, and starts
// no repeat (no push while it waits).
TEST_F(Keyboard, TypedAheadSpaceQAndTheWheelDoWhatADesktopUserExpects) {
    session.File("book.txt", NumberedText(100));
    NumberedFiles(9);
    // "..", book.txt, f01..f09, simplefont.tga
    const int trips = 12;
    Script trip;
    for (int i = 0; i < trips; i++) trip.Key("Escape").Key("Down").Key("Return");
    Script s;
    s.Ahead(Script().Key("Down").Key("Return").Key("Down", 5).Key("PageDown", 3)).Shot("moved");
    s.Ahead(trip).Shot("back");
    s.Key("Space").Shot("space");
    s.Wheel(false).Wait(1200).Shot("wheel_down");
    s.Wheel(true, 2).Shot("wheel_up");
    s.Key("q").Shot("list");
    s.Wheel(false, 2).Shot("list_down").Wheel(true).Shot("list_up");
    s.Key("q");

    Outcome run = PlayToMenu(s);

    std::vector<std::string> page = Page(NumberedRows(51, 65), Position(51, 100));
    EXPECT_EQ(session.Rows("moved"), page) << run.Summary();
    EXPECT_EQ(session.Rows("back"), page) << "reopened at its place";
    std::vector<std::string> keys = run.Texts({"got keydown "});
    EXPECT_EQ(std::count(keys.begin(), keys.end(), "got keydown 27"), trips);
    EXPECT_EQ(run.Listings().size(), static_cast<size_t>(trips + 2)) << "a listing for every way back";
    EXPECT_EQ(session.Rows("space"), Page(NumberedRows(66, 80), Position(66, 100)));
    EXPECT_EQ(session.Rows("wheel_down"), Page(NumberedRows(69, 83), Position(69, 100)));
    EXPECT_EQ(session.Rows("wheel_up"), Page(NumberedRows(63, 77), Position(63, 100)));
    EXPECT_EQ(session.Rows("list")[1], Entry("..", true));
    EXPECT_EQ(session.Rows("list_down")[1], Entry(NumberedFile(5)));
    EXPECT_EQ(session.Rows("list_up")[1], Entry(NumberedFile(2)));
    EXPECT_EQ(run.Count("push "), 0) << run.Summary();
    EXPECT_EQ(run.Texts({"got ", "frame"}).back(), "got keydown 113") << "q ends the list at once";
}

TEST_F(Keyboard, AKeyThatStandsForNoButtonOnlyCostsAFrame) {
    Outcome run = Play(Script().Key("F5").Key("w").Shot("same").Key("Escape"));
    EXPECT_EQ(run.exit_code, 0) << run.Summary();
    EXPECT_EQ(session.Rows("same"), ListScreen(session.Root(), {Entry("..", true), Entry("simplefont.tga")}));
    EXPECT_EQ(run.FramesAfterEachEvent(), (std::vector<int>{1, 1, 1, 1, 0}));
}

TEST_F(Keyboard, TheConsoleFlavourIgnoresKeys) {
    session.Dir("sub");
    Script s;
    s.Key("Down").Key("End").Key("Return").Key("Escape").Wheel(false).Shot("unmoved");
    s.Tap(kA);

    flavour = Flavour::Console;
    Outcome run = PlayToMenu(s);

    EXPECT_EQ(session.Rows("unmoved"),
              ListScreen(session.Root(), {Entry("..", true), Entry("simplefont.tga"), Entry("sub", true)}));
    EXPECT_EQ(run.Count("got keydown"), 4);
    EXPECT_EQ(run.Listings().size(), 1u);
}

}  // namespace
