// screen_test.cpp: the screenshot reader that the end-to-end tests rely on,
// checked on screens drawn here with a made-up font sheet, through the same
// BMP round trip that the stand-in's screenshots take.
#include <gtest/gtest.h>

#include "fontsheet.h"
#include "screen.h"
#include "testutil.h"

namespace {

using e2e::Font;
using e2e::Screen;
using testutil::Pixel16;

class ScreenReader : public ::testing::Test {
protected:
    // A sheet with a glyph of its own for every byte.
    void SetUp() override {
        sheet_ = testutil::MakeSheet(6 * 256);
        font_.reset(new Font(sheet_));
        screen_ = testutil::MakeScreen16();
    }
    void TearDown() override {
        SDL_FreeSurface(screen_);
        SDL_FreeSurface(sheet_);
    }

    void Write(const std::string &text, int col, int row) {
        for (size_t i = 0; i < text.size(); i++) {
            SDL_Rect src{static_cast<Sint16>(6 * static_cast<unsigned char>(text[i])), 0, 6, 13};
            SDL_Rect dst{static_cast<Sint16>(e2e::CellX(col + static_cast<int>(i))),
                         static_cast<Sint16>(e2e::CellY(row)), 6, 13};
            SDL_BlitSurface(sheet_, &src, screen_, &dst);
        }
    }
    Uint16 &At(int x, int y) { return Pixel16(screen_, x, y); }
    // The bar and the separator line, drawn as the program's chrome does.
    void Highlight() {
        for (int y = 15; y <= 29; y++)
            for (int x = 0; x < 320; x++)
                if (At(x, y) == 0) At(x, y) = e2e::kHighlight;
    }
    void SeparatorLine() {
        for (int x = 0; x < 320; x++) At(x, 225) = e2e::kSeparator;
    }
    Screen SaveAndLoad() {
        std::string path = dir_ / "shot.bmp";
        EXPECT_EQ(SDL_SaveBMP(screen_, path.c_str()), 0);
        Screen s;
        std::string error;
        EXPECT_TRUE(s.Load(path, &error)) << error;
        return s;
    }

    testutil::TempDir dir_;
    SDL_Surface *sheet_ = nullptr;
    SDL_Surface *screen_ = nullptr;
    std::unique_ptr<Font> font_;
};

TEST_F(ScreenReader, ReadsAListScreenBackWithItsChrome) {
    Write("Dir:/tmp/x", 0, 0);
    Write("D ..", 0, 1);
    Write("  a.txt", 0, 2);
    Write("D sub", 0, 3);
    Write(std::string("  caf\xE9 ~{}|", 11), 0, 4);
    Write(std::string(60, 'W'), 0, 14);
    Write("Stick/Y/X-Up/Down  L/R-Screen Up/Down  B-Select", 0, 15);
    Highlight();
    SeparatorLine();
    Screen s = SaveAndLoad();

    std::vector<std::string> expected(16, "");
    expected[0] = "Dir:/tmp/x";
    expected[1] = "D ..";
    expected[2] = "  a.txt";
    expected[3] = "D sub";
    expected[4] = std::string("  caf\xE9 ~{}|", 11);
    expected[14] = std::string(53, 'W');
    expected[15] = "Stick/Y/X-Up/Down  L/R-Screen Up/Down  B-Select";
    EXPECT_EQ(s.Rows(*font_), expected);
    EXPECT_TRUE(s.Highlighted());
    EXPECT_TRUE(s.Separator());
}

TEST_F(ScreenReader, KeepsTheExactPixelValuesThroughTheBitmapFile) {
    At(0, 0) = 0x0006;
    At(1, 0) = 0x0400;
    At(2, 0) = 0xFFFF;
    At(3, 0) = 0x0821;  // the lowest bit of every channel
    At(319, 239) = 0xE71C;
    Screen s = SaveAndLoad();
    EXPECT_EQ(s.Pixel(0, 0), 0x0006);
    EXPECT_EQ(s.Pixel(1, 0), 0x0400);
    EXPECT_EQ(s.Pixel(2, 0), 0xFFFF);
    EXPECT_EQ(s.Pixel(3, 0), 0x0821);
    EXPECT_EQ(s.Pixel(319, 239), 0xE71C);
    EXPECT_EQ(s.Pixel(4, 0), 0x0000);
}

TEST_F(ScreenReader, TellsAMissingBarAndSeparator) {
    Write("D ..", 0, 1);
    Screen s = SaveAndLoad();
    EXPECT_FALSE(s.Highlighted());
    EXPECT_FALSE(s.Separator());
    EXPECT_EQ(s.Row(*font_, 1), "D ..");
}

TEST_F(ScreenReader, APartlyBarredRowIsNotHighlighted) {
    Highlight();
    At(100, 29) = 0;
    EXPECT_FALSE(SaveAndLoad().Highlighted());
}

TEST_F(ScreenReader, MarksACellThatIsNoGlyph) {
    Write("ab", 0, 2);
    At(e2e::CellX(5) + 2, e2e::CellY(2) + 6) = 0xFFFF;
    EXPECT_EQ(SaveAndLoad().Row(*font_, 2), std::string("ab   ") + e2e::kUnknown);
}

TEST_F(ScreenReader, ReadsTextOffsetByAPixelAsUnknown) {
    // A glyph drawn one pixel too far right must not pass for a glyph.
    SDL_Rect src{static_cast<Sint16>(6 * 'M'), 0, 6, 13};
    SDL_Rect dst{static_cast<Sint16>(e2e::CellX(3) + 1), static_cast<Sint16>(e2e::CellY(5)), 6, 13};
    SDL_BlitSurface(sheet_, &src, screen_, &dst);
    std::string row = SaveAndLoad().Row(*font_, 5);
    EXPECT_NE(row.find(e2e::kUnknown), std::string::npos) << row;
    EXPECT_EQ(row.find('M'), std::string::npos) << row;
}

TEST_F(ScreenReader, ABlankScreenIsAllBlack) {
    Screen s = SaveAndLoad();
    EXPECT_TRUE(s.AllBlack());
    EXPECT_EQ(s.Rows(*font_), std::vector<std::string>(16, ""));
    Write("x", 52, 15);
    EXPECT_FALSE(SaveAndLoad().AllBlack());
}

// Letters read against a font's own glyphs: Latin A and Greek Alpha share
// a glyph, so the letter expected in the column is the one read; a cell
// that shows another letter reads as the first letter of that glyph, a
// spoilt one as unknown; the status row is compared below the separator.
TEST_F(ScreenReader, ReadsLettersAgainstTheFontsOwnGlyphs) {
    testutil::Ink a{}, zhe{};
    for (int i = 0; i < 78; i += 7) a[static_cast<size_t>(i)] = true;
    for (int i = 3; i < 78; i += 5) zhe[static_cast<size_t>(i)] = true;
    zhe[0] = true;  // in the top row, which the separator covers
    testutil::InkFont font{{'A', a}, {0x391, a}, {0x416, zhe}};
    auto paint = [this](const testutil::Ink &ink, int col, int row) {
        for (int i = 0; i < 78; i++)
            if (ink[static_cast<size_t>(i)]) At(e2e::CellX(col) + i % 6, e2e::CellY(row) + i / 6) = e2e::kInk;
    };
    for (int row : {1, 15}) {
        paint(a, 0, row);
        paint(zhe, 1, row);
        paint(a, 3, row);
        paint(zhe, 5, row);
    }
    At(e2e::CellX(5) + 1, e2e::CellY(1) + 12) = 0xFFFF;  // not the ink
    Highlight();
    SeparatorLine();
    Screen s = SaveAndLoad();
    EXPECT_EQ(s.Letters(font, 1, "ΑЖ ΑЖЖ"), std::string("ΑЖ Α ") + e2e::kUnknown);
    EXPECT_EQ(s.Letters(font, 1, "ЖA"), std::string("AЖ A ") + e2e::kUnknown);
    EXPECT_EQ(s.Letters(font, 15, "ΑЖ ΑЖЖ"), "ΑЖ Α Ж");
    EXPECT_EQ(s.Letters(font, 2, "A"), "");
}

TEST(ScreenLoad, RefusesAMissingOrWrongSizedFile) {
    testutil::TempDir dir;
    Screen s;
    std::string error;
    EXPECT_FALSE(s.Load(dir / "none.bmp", &error));
    EXPECT_FALSE(error.empty());
    SDL_Surface *small = testutil::MakeScreen16(10, 10);
    SDL_SaveBMP(small, (dir / "small.bmp").c_str());
    SDL_FreeSurface(small);
    EXPECT_FALSE(s.Load(dir / "small.bmp", &error));
    EXPECT_FALSE(s.loaded());
}

}  // namespace
