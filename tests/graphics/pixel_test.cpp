// pixel_test.cpp: pixel reads and writes at every depth, and the sprite blit.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "graphics.h"
#include "sdltest.h"

namespace {

using namespace testutil;

// A surface over a buffer of our own, so that the bytes around each row
// (the pitch padding) can be checked after the writes.
class PaddedSurface : public ::testing::Test {
protected:
    static constexpr uint8_t kFill = 0xAB;
    std::vector<uint8_t> buf;
    SDL_Surface *s = nullptr;

    void Make(int w, int h, int bpp, int pitch) {
        buf.assign(static_cast<size_t>(pitch) * h, kFill);
        s = SDL_CreateRGBSurfaceFrom(buf.data(), w, h, bpp * 8, pitch, 0, 0, 0, 0);
        ASSERT_NE(s, nullptr);
        ASSERT_EQ(s->format->BytesPerPixel, bpp);
    }
    void TearDown() override {
        if (s) SDL_FreeSurface(s);
    }
};

TEST_F(PaddedSurface, AddressingFollowsThePitch) {
    Make(300, 4, 2, 640);
    buf[1286] = 0x34;
    buf[1287] = 0x12;
    EXPECT_EQ(getpixel(s, 3, 2), 0x1234u);

    putpixel(s, 7, 3, 0xBEEF);
    EXPECT_EQ(buf[3 * 640 + 14], 0xEF);
    EXPECT_EQ(buf[3 * 640 + 15], 0xBE);
}

TEST_F(PaddedSurface, WritesStayInsideEachRowAtEveryDepth) {
    for (int bpp = 1; bpp <= 4; bpp++) {
        SCOPED_TRACE(bpp);
        // Rows start 4-byte aligned, as SDL lays them out, with 8 bytes of padding.
        const int w = 5, h = 3, pitch = ((w * bpp + 3) & ~3) + 8;
        Make(w, h, bpp, pitch);
        for (int y = 0; y < h; y++)
            for (int x = 0; x < w; x++) putpixel(s, x, y, 0);
        for (int y = 0; y < h; y++) {
            for (int i = 0; i < pitch; i++) {
                uint8_t want = i < w * bpp ? 0 : kFill;
                ASSERT_EQ(buf[y * pitch + i], want) << "row " << y << " byte " << i;
            }
        }
        SDL_FreeSurface(s);
        s = nullptr;
    }
}

TEST_F(PaddedSurface, ValuesRoundTripCutToTheDepth) {
    struct Case {
        int bpp;
        Uint32 put, got;
    } cases[] = {
        {1, 0x12345678, 0x78},
        {2, 0xABCD1234, 0x1234},
        {3, 0xFF123456, 0x123456},
        {4, 0x89ABCDEF, 0x89ABCDEF},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.bpp);
        Make(4, 2, c.bpp, 4 * c.bpp + 4);
        putpixel(s, 2, 1, c.put);
        EXPECT_EQ(getpixel(s, 2, 1), c.got);
        EXPECT_EQ(getpixel(s, 1, 1), getpixel(s, 3, 1)) << "neighbours touched";
        EXPECT_EQ(buf[s->pitch + 1 * c.bpp], kFill);
        EXPECT_EQ(buf[s->pitch + 3 * c.bpp], kFill);
        SDL_FreeSurface(s);
        s = nullptr;
    }
}

TEST_F(PaddedSurface, TwentyFourBitsFollowTheByteOrder) {
    Make(2, 1, 3, 8);
    putpixel(s, 1, 0, 0x00C0FFEE);
#if SDL_BYTEORDER == SDL_BIG_ENDIAN
    const uint8_t want[3] = {0xC0, 0xFF, 0xEE};
#else
    const uint8_t want[3] = {0xEE, 0xFF, 0xC0};
#endif
    EXPECT_EQ(buf[3], want[0]);
    EXPECT_EQ(buf[4], want[1]);
    EXPECT_EQ(buf[5], want[2]);
    EXPECT_EQ(getpixel(s, 1, 0), 0x00C0FFEEu);
}

TEST_F(PaddedSurface, UnknownDepthReadsZeroAndWritesNothing) {
    Make(2, 2, 4, 8);
    Uint8 real = s->format->BytesPerPixel;
    s->format->BytesPerPixel = 5;
    putpixel(s, 1, 1, 0x01020304);
    Uint32 read = getpixel(s, 0, 0);
    s->format->BytesPerPixel = real;
    EXPECT_EQ(read, 0u);
    for (uint8_t byte : buf) EXPECT_EQ(byte, kFill);
}

// A 10 x 4 image with a distinct value per pixel, blitted onto a black
// 16-bit target.
class SpriteTest : public ::testing::Test {
protected:
    SurfaceHolder image{MakeScreen16(10, 4)};
    SurfaceHolder target{MakeScreen16(40, 20)};

    static Uint16 ImageValue(int x, int y) { return static_cast<Uint16>(0x100 + y * 16 + x); }

    void SetUp() override {
        ASSERT_NE(image.get(), nullptr);
        ASSERT_NE(target.get(), nullptr);
        for (int y = 0; y < 4; y++)
            for (int x = 0; x < 10; x++) putpixel(image.get(), x, y, ImageValue(x, y));
    }

    static int NonZeroPixels(SDL_Surface *s) { return WrongPixels(s, [](int, int) { return 0; }, 0); }
    int NonZeroPixels() { return NonZeroPixels(target.get()); }
};

TEST_F(SpriteTest, CopiesTheRectangleToThePosition) {
    drawSprite(image.get(), target.get(), 2, 1, 30, 5, 3, 2);
    for (int y = 0; y < 2; y++)
        for (int x = 0; x < 3; x++) EXPECT_EQ(Pixel16(target.get(), 30 + x, 5 + y), ImageValue(2 + x, 1 + y));
    EXPECT_EQ(NonZeroPixels(), 6);
}

TEST_F(SpriteTest, SourcePastTheRightEdgeCopiesTheInnerColumnsInPlace) {
    drawSprite(image.get(), target.get(), 8, 0, 4, 2, 6, 4);
    for (int y = 0; y < 4; y++) {
        EXPECT_EQ(Pixel16(target.get(), 4, 2 + y), ImageValue(8, y));
        EXPECT_EQ(Pixel16(target.get(), 5, 2 + y), ImageValue(9, y));
    }
    EXPECT_EQ(NonZeroPixels(), 8);
}

// drawSprite draws what SDL's own blit draws, whether it copies the rows
// itself (an image in the target's format) or leaves them to SDL (a keyed
// image): rectangles over every edge of the image, of the target and of a
// narrowed clip rectangle.
struct SpriteCase {
    const char *name;
    int sx, sy, dx, dy, w, h;
    bool keyed, clipped;
};

class SpriteAsSDL : public SpriteTest, public ::testing::WithParamInterface<SpriteCase> {};

TEST_P(SpriteAsSDL, DrawsWhatSDLsBlitDraws) {
    const SpriteCase &c = GetParam();
    SurfaceHolder want{MakeScreen16(40, 20)};
    ASSERT_NE(want.get(), nullptr);
    if (c.keyed) SDL_SetColorKey(image.get(), SDL_SRCCOLORKEY, ImageValue(3, 1));
    if (c.clipped) {
        SDL_Rect clip{10, 5, 8, 6};
        SDL_SetClipRect(target.get(), &clip);
        SDL_SetClipRect(want.get(), &clip);
    }
    drawSprite(image.get(), target.get(), c.sx, c.sy, c.dx, c.dy, c.w, c.h);
    SDL_Rect src{static_cast<Sint16>(c.sx), static_cast<Sint16>(c.sy), static_cast<Uint16>(c.w), static_cast<Uint16>(c.h)};
    SDL_Rect dst{static_cast<Sint16>(c.dx), static_cast<Sint16>(c.dy), 0, 0};
    SDL_BlitSurface(image.get(), &src, want.get(), &dst);
    EXPECT_EQ(WrongPixels(target.get(), want.get()), 0);
    EXPECT_GT(NonZeroPixels(want.get()), 0) << "every case copies something";
}

INSTANTIATE_TEST_SUITE_P(
    Edges, SpriteAsSDL,
    ::testing::Values(SpriteCase{"inside", 2, 1, 30, 5, 3, 2, false, false},
                      SpriteCase{"image_left", -3, 0, 5, 5, 6, 4, false, false},
                      SpriteCase{"image_top", 0, -2, 5, 5, 4, 4, false, false},
                      SpriteCase{"image_right", 8, 0, 4, 2, 6, 4, false, false},
                      SpriteCase{"image_bottom", 0, 3, 0, 0, 4, 4, false, false},
                      SpriteCase{"target_left", 0, 0, -2, 3, 5, 4, false, false},
                      SpriteCase{"target_top", 0, 0, 3, -3, 5, 4, false, false},
                      SpriteCase{"target_right", 0, 0, 37, 3, 6, 4, false, false},
                      SpriteCase{"target_bottom", 0, 0, 3, 18, 6, 4, false, false},
                      SpriteCase{"everything", -1, -1, -2, -2, 100, 100, false, false},
                      SpriteCase{"clip_rectangle", 0, 0, 8, 3, 10, 4, false, true},
                      SpriteCase{"keyed", 0, 0, 8, 3, 10, 4, true, false},
                      SpriteCase{"keyed_and_clipped", -1, 0, 8, 3, 10, 4, true, true}),
    [](const ::testing::TestParamInfo<SpriteCase> &p) { return std::string(p.param.name); });

TEST_F(SpriteTest, EmptyOrMissingRectanglesCopyNothing) {
    drawSprite(image.get(), target.get(), 10, 0, 0, 0, 6, 4);  // starts at the right edge
    drawSprite(image.get(), target.get(), 12, 0, 0, 0, 6, 4);  // starts beyond it
    drawSprite(image.get(), target.get(), 0, 0, 0, 0, 0, 4);
    drawSprite(image.get(), target.get(), 0, 0, 0, 0, 4, 0);
    drawSprite(nullptr, target.get(), 0, 0, 0, 0, 4, 4);
    drawSprite(image.get(), nullptr, 0, 0, 0, 0, 4, 4);
    EXPECT_EQ(NonZeroPixels(), 0);
}

}  // namespace
