// status_test.cpp: the status line in the list, as the 5-second tick draws
// it over the program's frames. Slow by nature: it waits for three ticks.
#include <gtest/gtest.h>

#include "session.h"

namespace {

using namespace e2e;

using StatusLine = SessionTest;

TEST_F(StatusLine, InTheListTheTicksDrawNothingThenTheHelpThenTheTitle) {
    session.Dir("d");
    // Ticks come 5, 10 and 15 s after start; each shot is taken midway
    // between two of them.
    Script s;
    s.Wait(7500).Shot("after_tick1");
    s.Wait(5000).Shot("after_tick2");
    s.Wait(5000).Shot("after_tick3");
    s.Tap(kStickDown).Shot("after_press");
    s.Tap(kA);

    Outcome run = Play(s);

    EXPECT_EQ(run.exit_code, 0) << run.Summary();
    EXPECT_EQ(run.Count(kTickPresent), 3) << run.Summary();
    std::vector<std::string> list = ListScreen(session.Root(), {Entry("..", true), Entry("d", true), Entry("simplefont.tga")});

    EXPECT_EQ(session.Rows("after_tick1"), list);
    EXPECT_FALSE(session.Shot("after_tick1").Separator()) << "the first tick draws nothing in the list";

    std::vector<std::string> help = list;
    help[15] = "Stick/Y/X-Up/Down  L/R-Screen Up/Down  B-Select";
    EXPECT_EQ(session.Rows("after_tick2"), help);
    EXPECT_TRUE(session.Shot("after_tick2").Separator());
    EXPECT_TRUE(session.Shot("after_tick2").Highlighted()) << "the tick leaves the frame as it was";

    std::vector<std::string> title = list;
    title[15] = "gp2x_tomo - Text Viewer v0.2";
    EXPECT_EQ(session.Rows("after_tick3"), title);
    EXPECT_TRUE(session.Shot("after_tick3").Separator());

    std::vector<std::string> moved = ListScreen(session.Root(), {Entry("d", true), Entry("simplefont.tga")});
    EXPECT_EQ(session.Rows("after_press"), moved) << "every frame clears the status line";
    EXPECT_FALSE(session.Shot("after_press").Separator());
}

}  // namespace
