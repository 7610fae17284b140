// platform_test.cpp: the window's scale, chosen from the display's size or
// TOMO_SCALE, and the presents at a scale: every screen pixel an exact
// block of the window, the status band's present touching nothing else.
#include <gtest/gtest.h>

#include <string>

#include "platform.h"
#include "sdltest.h"
#include "tomo.h"

namespace {

using namespace testutil;

struct ScaleCase {
    int w, h;
    const char *setting;
    int scale;
};

TEST(WindowScale, ThreeQuartersOfTheDisplaysHeightOrTheSetting) {
    const ScaleCase cases[] = {
        {1920, 1080, nullptr, 3}, {1280, 1024, nullptr, 3}, {1366, 768, nullptr, 2},
        {1024, 768, nullptr, 2},  {800, 600, nullptr, 1},   {640, 480, nullptr, 1},
        {320, 240, nullptr, 1},   {3840, 2160, nullptr, 6}, {0, 0, nullptr, 1},
        {-1, -1, nullptr, 1},     {0, 1080, nullptr, 3},    // width unknown
        {1080, 1920, nullptr, 3},                            // portrait: the width decides
        {640, 10000, nullptr, 2}, {100000, 100000, nullptr, MAX_WINDOW_SCALE},
        {1920, 1080, "1", 1},     {1920, 1080, "2", 2},     {0, 0, "4", 4},
        {640, 480, "16", 16},     {1920, 1080, "17", 3},    {1920, 1080, "0", 3},
        {1920, 1080, "-2", 3},    {1920, 1080, "2x", 3},    {1920, 1080, "", 3},
        {1920, 1080, "two", 3},   {1920, 1080, " 2", 2},    // strtol skips leading blanks
    };
    for (const ScaleCase &c : cases)
        EXPECT_EQ(WindowScale(c.w, c.h, c.setting), c.scale)
            << c.w << "x" << c.h << " TOMO_SCALE=" << (c.setting ? c.setting : "(unset)");
}

class ScaledPresent : public SdlTest {
protected:
    void TearDown() override { CloseScreen(); }

    static Uint16 Value(int x, int y, int salt) { return static_cast<Uint16>(x * 7 + y * 331 + salt * 4099); }

    static void Paint(SDL_Surface *s, int salt) {
        for (int y = 0; y < SCREEN_H; y++)
            for (int x = 0; x < SCREEN_W; x++) Pixel16(s, x, y) = Value(x, y, salt);
    }

    // Window pixels that are not their screen pixel's value (the band's
    // rows painted with band_salt, the others with salt).
    static int WrongBlocks(SDL_Surface *window, int scale, int salt, int band_salt) {
        return WrongPixels(window, [=](int x, int y) {
            int sy = y / scale;
            return Value(x / scale, sy, sy >= STATUS_TOP ? band_salt : salt);
        });
    }
};

TEST_F(ScaledPresent, EveryScreenPixelIsAnExactBlockAndTheBandGoesAlone) {
    for (int scale : {1, 2, 3}) {
        SCOPED_TRACE("scale " + std::to_string(scale));
        SDL_Surface *screen = OpenScreen(scale);
        ASSERT_NE(screen, nullptr) << SDL_GetError();
        SDL_Surface *window = SDL_GetVideoSurface();
        ASSERT_EQ(screen->w, SCREEN_W);
        ASSERT_EQ(screen->h, SCREEN_H);
        ASSERT_EQ(window->w, SCREEN_W * scale);
        ASSERT_EQ(window->h, SCREEN_H * scale);
        EXPECT_EQ(screen == window, scale == 1) << "at scale 1 the screen is the window";

        Paint(screen, 1);
        PresentScreen(screen);
        EXPECT_EQ(WrongBlocks(window, scale, 1, 1), 0);
        Paint(screen, 2);
        PresentStatusBand(screen);
        if (scale > 1) {
            EXPECT_EQ(WrongBlocks(window, scale, 1, 2), 0) << "only the band's rows change";
        }
        PresentScreen(screen);
        EXPECT_EQ(WrongBlocks(window, scale, 2, 2), 0);
        CloseScreen();
    }
}

// A surface the platform did not open is drawn on but never presented.
TEST_F(ScaledPresent, AnotherSurfaceIsNotPresented) {
    SDL_Surface *screen = OpenScreen(2);
    ASSERT_NE(screen, nullptr);
    Paint(screen, 1);
    PresentScreen(screen);
    SurfaceHolder other{MakeScreen16()};
    Paint(other.get(), 3);
    PresentScreen(other.get());
    PresentStatusBand(other.get());
    EXPECT_EQ(WrongBlocks(SDL_GetVideoSurface(), 2, 1, 1), 0);
}

}  // namespace
