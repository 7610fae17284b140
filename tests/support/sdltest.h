// sdltest.h: what the suites that draw or take events share: the fixture
// of the ones that need SDL's video and its event queue (the dummy driver,
// started once a suite, and a queue that each test starts empty), the one
// of those that draw text, and the comparison of a 16-bit surface with the
// pixels it should hold.
#ifndef TOMO_TEST_SDLTEST_H
#define TOMO_TEST_SDLTEST_H

#include <SDL.h>
#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>

#include "fontsheet.h"
#include "surface.h"

namespace testutil {

// Events waiting in SDL's queue, taken off it.
inline int TakeEvents() {
    SDL_Event e;
    int n = 0;
    while (SDL_PeepEvents(&e, 1, SDL_GETEVENT, SDL_ALLEVENTS) == 1) n++;
    return n;
}

class SdlTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        setenv("SDL_VIDEODRIVER", "dummy", 1);
        ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO), 0) << SDL_GetError();
    }
    static void TearDownTestSuite() { SDL_Quit(); }
    void SetUp() override { TakeEvents(); }
};

// A 16-bit screen and the synthetic font sheet, for the suites that draw.
class DrawTest : public ::testing::Test {
protected:
    SurfaceHolder screen{MakeScreen16()};
    SurfaceHolder sheet{MakeSheet(1536)};

    void SetUp() override {
        ASSERT_NE(screen.get(), nullptr);
        ASSERT_NE(sheet.get(), nullptr);
    }
};

// The pixels of rows top..bottom of a 16-bit surface that are not
// want(x, y); the first `report` of them are failures of the test.
template <typename Want>
int WrongPixels(SDL_Surface *s, Want want, int report = 5, int top = 0, int bottom = INT_MAX) {
    int wrong = 0;
    for (int y = top; y <= bottom && y < s->h; y++)
        for (int x = 0; x < s->w; x++) {
            Uint16 got = Pixel16(s, x, y), exp = static_cast<Uint16>(want(x, y));
            if (got != exp && wrong++ < report)
                ADD_FAILURE() << "pixel " << x << "," << y << ": got " << std::hex << got << " want " << exp;
        }
    return wrong;
}

// The pixels of got that differ from those of want.
inline int WrongPixels(SDL_Surface *got, SDL_Surface *want, int report = 5) {
    return WrongPixels(got, [want](int x, int y) { return Pixel16(want, x, y); }, report);
}

}  // namespace testutil

#endif
