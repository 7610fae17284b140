// ticks_race_test.cpp: the status tick and the auto-repeat tick each on a
// thread of its own, many times a second, while the main thread measures a
// text, draws frames and moves through it, as the event loop does. Built
// with -fsanitize=thread this is the race check of the shared state; in
// every build it checks that the position comes out right and the ticks
// neither stall the frames nor are stalled by them.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>

#include "app.h"
#include "platform.h"
#include "program.h"
#include "sdltest.h"
#include "targa.h"
#include "testutil.h"
#include "viewer.h"

namespace {

using Clock = std::chrono::steady_clock;

// Calls a tick every millisecond until stopped, counting the calls.
class Ticker {
public:
    template <typename F>
    explicit Ticker(F tick) : thread_([this, tick] {
          while (!stop_) {
              tick();
              calls_++;
              std::this_thread::sleep_for(std::chrono::milliseconds(1));
          }
      }) {}
    ~Ticker() { Stop(); }
    void Stop() {
        stop_ = true;
        if (thread_.joinable()) thread_.join();
    }
    int calls() const { return calls_; }

private:
    std::atomic<bool> stop_{false};
    std::atomic<int> calls_{0};
    std::thread thread_;
};

class TicksRace : public testutil::SdlTest {
protected:
    static constexpr int kLines = 3000;

    void SetUp() override {
        SdlTest::SetUp();
        // scaled, so that both threads' presents go through the copy
        screen = OpenScreen(2);
        ASSERT_NE(screen, nullptr) << SDL_GetError();
        font = LoadTargaImage(TOMO_FONT);
        ASSERT_NE(font, nullptr);
        draw_lock = SDL_CreateMutex();
        theTimerInfo.pFont = font;
        theTimerInfo.screen = screen;
        closing = 0;
        repeat_button_pressed = -1;
        extra_lines_skipped = 0;
        testutil::WriteFile(dir / "book.txt", testutil::NumberedText(kLines));
        testutil::PickText(dir.str(), "book.txt");
    }
    void TearDown() override {
        SDL_FreeSurface(font);
        CloseScreen();
        SDL_DestroyMutex(draw_lock);
        draw_lock = nullptr;
        repeat_button_pressed = -1;
        extra_lines_skipped = 0;
    }

    // One turn of the event loop: the press, then the queued events (the
    // repeats posted meanwhile), each followed by its frame. At most a
    // hundred: a repeat tick posting every millisecond would never let a
    // sanitizer build's slower frames empty the queue.
    int Turn(int button) {
        int repeats = 0;
        HandleButtonDown(button);
        render2(screen, font);
        SDL_Event e;
        for (int taken = 0; taken < 100 && SDL_PeepEvents(&e, 1, SDL_GETEVENT, SDL_ALLEVENTS) == 1; taken++) {
            if (e.type != SDL_JOYBUTTONDOWN) continue;
            repeats++;
            HandleButtonDown(e.jbutton.button);
            render2(screen, font);
        }
        return repeats;
    }

    testutil::TempDir dir;
    SDL_Surface *screen = nullptr, *font = nullptr;
};

TEST_F(TicksRace, FramesMovesAndMeasuringBesideBothTicks) {
    Ticker status_tick([] { timerfunc(STATUS_PERIOD_MS, &theTimerInfo); });
    Ticker repeat([] { buttonRepeatTimerfunc(REPEAT_PERIOD_MS, nullptr); });

    state = STATE_MEASURE;
    render2(screen, font);
    ASSERT_EQ(state, STATE_TEXT);
    ASSERT_EQ(num_lines, kLines);

    const int buttons[] = {BTN_DOWN, BTN_R, BTN_X, BTN_UP, BTN_L, BTN_Y, BTN_RIGHT, BTN_LEFT};
    int repeats = 0;
    auto until = Clock::now() + std::chrono::milliseconds(1500);
    for (int i = 0; Clock::now() < until; i++) {
        int b = buttons[i % 8];
        repeats += Turn(b);
        // held for a while, so the repeat tick posts and speeds up
        if (i % 8 == 0) std::this_thread::sleep_for(std::chrono::milliseconds(12));
        repeats += Turn(b);
        HandleButtonUp();
        int line = cur_line;
        ASSERT_GE(line, 0);
        ASSERT_LT(line, kLines);
        ASSERT_EQ(top_of_page_offset, 8 * line) << "the page must start where the line does";
    }
    repeat.Stop();
    status_tick.Stop();

    EXPECT_GT(repeats, 0) << "the repeat tick never posted a press";
    EXPECT_GT(status_tick.calls(), 100);
    // the saved line follows the last move
    EXPECT_EQ(testutil::ReadWords(dir / ".book.txt.tomo")[0], cur_line);
    HandleButtonDown(BTN_RIGHT);
    render2(screen, font);
    EXPECT_EQ(cur_line, kLines - 1);
    EXPECT_STREQ(status, "On line 3000 of 3000 (100%)");
}

}  // namespace
