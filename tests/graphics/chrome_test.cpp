// chrome_test.cpp: the background, the status line and the highlight bar,
// pixel for pixel on a 16-bit screen.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "graphics.h"
#include "sdltest.h"

namespace {

using namespace testutil;

constexpr Uint16 kGreen = 0x0400;
constexpr Uint16 kBlue = 0x0006;
constexpr Uint16 kPaint = 0x1234;

class ChromeTest : public DrawTest {
protected:
    void Paint(SDL_Surface *s, Uint16 value) {
        for (int y = 0; y < s->h; y++)
            for (int x = 0; x < s->w; x++) putpixel(s, x, y, value);
    }

    // The pixels of rows [top, bottom] that differ from want(x, y).
    template <typename Want>
    int Mismatches(int top, int bottom, Want want) {
        return WrongPixels(screen.get(), want, 5, top, bottom);
    }
};

TEST_F(ChromeTest, ClearScreenBlacksEveryPixel) {
    Paint(screen.get(), 0xFFFF);
    clear_screen(screen.get());
    EXPECT_EQ(Mismatches(0, 239, [](int, int) { return 0; }), 0);
}

TEST_F(ChromeTest, ClearScreenStaysInsideTheScreenArea) {
    SurfaceHolder big(MakeScreen16(330, 250));
    Paint(big.get(), kPaint);
    clear_screen(big.get());
    for (int y = 0; y < 250; y++) {
        for (int x = 0; x < 330; x++) {
            Uint16 want = x < 320 && y < 240 ? 0 : kPaint;
            ASSERT_EQ(Pixel16(big.get(), x, y), want) << x << "," << y;
        }
    }
}

TEST_F(ChromeTest, EmptyStatusIsABlackBandUnderAGreenLine) {
    Paint(screen.get(), kPaint);
    UpdateStatus(sheet.get(), screen.get(), "");
    EXPECT_EQ(Mismatches(0, 224, [](int, int) { return kPaint; }), 0);
    EXPECT_EQ(Mismatches(225, 225, [](int, int) { return kGreen; }), 0);
    EXPECT_EQ(Mismatches(226, 239, [](int, int) { return 0; }), 0);
}

TEST_F(ChromeTest, LongStatusIsCutAtTheLastColumnAndLosesItsTopRow) {
    std::string text;
    for (int i = 0; i < 60; i++) text.push_back(static_cast<char>('!' + i));
    Paint(screen.get(), kPaint);
    UpdateStatus(sheet.get(), screen.get(), text.c_str());

    const auto band = [&](int x, int y) -> Uint16 {
        int v = y - 225, col = (x - 1) / 6;
        if (x < 1 || col > 52 || v > 12) return 0;
        return SheetValue(text[col], (x - 1) % 6, v);
    };
    EXPECT_EQ(Mismatches(0, 224, [](int, int) { return kPaint; }), 0);
    EXPECT_EQ(Mismatches(225, 225, [](int, int) { return kGreen; }), 0);
    EXPECT_EQ(Mismatches(226, 239, band), 0);
}

TEST_F(ChromeTest, StatusColourIsMappedForTheScreenFormat) {
    SurfaceHolder wide(SDL_CreateRGBSurface(0, 320, 240, 32, 0xFF0000, 0xFF00, 0xFF, 0));
    ASSERT_NE(wide.get(), nullptr);
    UpdateStatus(sheet.get(), wide.get(), "");
    HighlightRowOne(wide.get());
    EXPECT_EQ(getpixel(wide.get(), 0, 225), 0x008000u);
    EXPECT_EQ(getpixel(wide.get(), 319, 225), 0x008000u);
    EXPECT_EQ(getpixel(wide.get(), 5, 20), 0x000030u);
}

// Rows 14 to 30 hold black and non-black pixels in a pattern.
class HighlightTest : public ChromeTest {
protected:
    static Uint16 Pattern(int x, int y) { return (x * 7 + y * 3) % 5 == 0 ? 0 : static_cast<Uint16>(0x8000 + x); }

    void SetUp() override {
        ChromeTest::SetUp();
        for (int y = 0; y < 240; y++)
            for (int x = 0; x < 320; x++) putpixel(screen.get(), x, y, Pattern(x, y));
    }
};

// Only the band's black pixels turn blue, and a second call changes nothing.
TEST_F(HighlightTest, OnlyBlackPixelsOfTheBandTurnBlueOnce) {
    HighlightRowOne(screen.get());
    EXPECT_EQ(Mismatches(0, 14, Pattern), 0);
    EXPECT_EQ(Mismatches(15, 29, [](int x, int y) { return Pattern(x, y) == 0 ? kBlue : Pattern(x, y); }), 0);
    EXPECT_EQ(Mismatches(30, 239, Pattern), 0);
    SurfaceHolder once{Copy(screen.get())};
    HighlightRowOne(screen.get());
    EXPECT_EQ(WrongPixels(screen.get(), once.get()), 0);
}

TEST_F(HighlightTest, BandWithoutBlackIsLeftAlone) {
    Paint(screen.get(), kPaint);
    HighlightRowOne(screen.get());
    EXPECT_EQ(Mismatches(0, 239, [](int, int) { return kPaint; }), 0);
}

TEST_F(HighlightTest, BarSitsBehindTheTextOfRowOne) {
    clear_screen(screen.get());
    tomo_write(sheet.get(), screen.get(), "ab", 0, 1, 2);
    HighlightRowOne(screen.get());
    // Ink of the glyphs stays; the gaps beside and under the row turn blue.
    EXPECT_EQ(Pixel16(screen.get(), 1, 15), SheetValue('a', 0, 0));
    EXPECT_EQ(Pixel16(screen.get(), 12, 27), SheetValue('b', 5, 12));
    EXPECT_EQ(Pixel16(screen.get(), 0, 15), kBlue);
    EXPECT_EQ(Pixel16(screen.get(), 13, 20), kBlue);
    EXPECT_EQ(Pixel16(screen.get(), 1, 28), kBlue);
    EXPECT_EQ(Pixel16(screen.get(), 1, 29), kBlue);
    EXPECT_EQ(Pixel16(screen.get(), 1, 30), 0);
    EXPECT_EQ(Pixel16(screen.get(), 319, 14), 0);
}

}  // namespace
