// timers_test.cpp: the two timer callbacks driven tick by tick: the status
// cycle in the list and in a text, and the auto-repeat timing table.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "app.h"
#include "graphics.h"
#include "sdltest.h"
#include "targa.h"

namespace {

using namespace testutil;

class TimersTest : public SdlTest {
protected:
    void SetUp() override {
        SdlTest::SetUp();
        font = LoadTargaImage(TOMO_FONT);
        ASSERT_NE(font, nullptr);
        screen = MakeScreen16();
        expected = MakeScreen16();
        info.pFont = font;
        info.screen = screen;
        closing = 0;
    }
    void TearDown() override {
        SDL_FreeSurface(font);
        SDL_FreeSurface(screen);
        SDL_FreeSurface(expected);
    }

    // What one tick drew on the status band: the text, "" for a status line
    // with no text, or "(nothing)" when the band was left alone.
    std::string Tick() {
        clear_screen(screen);
        timerfunc(STATUS_PERIOD_MS, &info);
        if (Pixel16(screen, 0, STATUS_TOP) == 0) return "(nothing)";
        for (const char *text : candidates)
            if (BandShows(text)) return text;
        return "(unknown)";
    }

    bool BandShows(const char *text) {
        clear_screen(expected);
        UpdateStatus(font, expected, text);
        auto want = [this](int x, int y) { return Pixel16(expected, x, y); };
        return WrongPixels(screen, want, 0, STATUS_TOP) == 0;
    }

    // Ticks until the title was drawn, so that the next tick starts a cycle.
    void SyncCycle() {
        for (int i = 0; i < 3; i++)
            if (Tick() == TOMO_TITLE) return;
        FAIL() << "the title never came";
    }

    SDL_Surface *font = nullptr, *screen = nullptr, *expected = nullptr;
    TimerInfo info;
    std::vector<const char *> candidates = {
        TOMO_TITLE, "Stick/Y/X-Up/Down  L/R-Screen Up/Down  A/Start-Exit",
        "Stick/Y/X-Up/Down  L/R-Screen Up/Down  B-Select", "On line 10 of 30 (33%)",
        "On line 1 of 1 (100%)", ""};
};

TEST_F(TimersTest, ListCycleSkipsThePosition) {
    state = STATE_LIST;
    SyncCycle();
    EXPECT_EQ(Tick(), "(nothing)");
    EXPECT_EQ(Tick(), "Stick/Y/X-Up/Down  L/R-Screen Up/Down  B-Select");
    EXPECT_EQ(Tick(), TOMO_TITLE);
}

TEST_F(TimersTest, TextCycleShowsPositionHelpTitle) {
    state = STATE_TEXT;
    SyncCycle();
    num_lines = 30;
    cur_line = 9;
    EXPECT_EQ(Tick(), "On line 10 of 30 (33%)");
    EXPECT_EQ(Tick(), "Stick/Y/X-Up/Down  L/R-Screen Up/Down  A/Start-Exit");
    EXPECT_EQ(Tick(), TOMO_TITLE);
    num_lines = 1;
    cur_line = 0;
    EXPECT_EQ(Tick(), "On line 1 of 1 (100%)");
}

TEST_F(TimersTest, MeasuringAndClosingHoldTheCycle) {
    state = STATE_LIST;
    SyncCycle();
    state = STATE_MEASURE;
    EXPECT_EQ(Tick(), "(nothing)");
    EXPECT_EQ(Tick(), "(nothing)");
    state = STATE_LIST;
    closing = 1;
    EXPECT_EQ(Tick(), "(nothing)");
    closing = 0;
    EXPECT_EQ(Tick(), "(nothing)");  // still the position step, skipped in the list
    EXPECT_EQ(Tick(), "Stick/Y/X-Up/Down  L/R-Screen Up/Down  B-Select");
}

// The presses that the repeat tick posts, one entry per tick: the button
// posted or -1, and extra_lines_skipped after the tick.
struct TickResult {
    int posted;
    int extra;
};

static std::vector<TickResult> HoldFor(int button, int ticks) {
    std::vector<TickResult> results;
    repeat_button_pressed = button;
    for (int i = 0; i < ticks; i++) {
        buttonRepeatTimerfunc(REPEAT_PERIOD_MS, nullptr);
        SDL_Event e;
        int posted = -1;
        while (SDL_PeepEvents(&e, 1, SDL_GETEVENT, SDL_ALLEVENTS) == 1) {
            EXPECT_EQ(e.type, SDL_JOYBUTTONDOWN);
            EXPECT_EQ(e.jbutton.which, POSTED_REPEAT_JOYSTICK) << "marked as posted";
            EXPECT_EQ(posted, -1) << "two presses in one tick";
            posted = e.jbutton.button;
        }
        results.push_back({posted, extra_lines_skipped});
    }
    return results;
}

static void Release() {
    repeat_button_pressed = -1;
    buttonRepeatTimerfunc(REPEAT_PERIOD_MS, nullptr);
}

TEST_F(TimersTest, HeldButtonRepeatsFasterAndSkipsMoreLines) {
    Release();
    std::vector<TickResult> r = HoldFor(BTN_DOWN, 30);
    std::vector<int> press_ticks, extras;
    for (size_t i = 0; i < r.size(); i++)
        if (r[i].posted != -1) {
            EXPECT_EQ(r[i].posted, BTN_DOWN);
            press_ticks.push_back(static_cast<int>(i) + 1);
            extras.push_back(r[i].extra);
        }
    // presses n >= 3 come at tick n + 9
    std::vector<int> want_ticks = {6, 10, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23,
                                   24, 25, 26, 27, 28, 29, 30};
    EXPECT_EQ(press_ticks, want_ticks);
    std::vector<int> want_extra = {0, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 10, 10, 10, 10, 10, 10,
                                   10, 10, 10};
    EXPECT_EQ(extras, want_extra);
}

TEST_F(TimersTest, ReleaseOrNewButtonStartsOver) {
    Release();
    HoldFor(BTN_X, 20);
    EXPECT_EQ(extra_lines_skipped, MAX_EXTRA_LINES - 1);  // press 11 came at tick 20
    std::vector<TickResult> r = HoldFor(BTN_Y, 6);
    EXPECT_EQ(r[0].extra, 0);
    for (int i = 0; i < 5; i++) EXPECT_EQ(r[i].posted, -1);
    EXPECT_EQ(r[5].posted, BTN_Y);
    Release();
    EXPECT_EQ(extra_lines_skipped, 0);
    std::vector<TickResult> idle = HoldFor(-1, 10);
    for (const TickResult &t : idle) EXPECT_EQ(t.posted, -1);
}

}  // namespace
