// fastpath_test.cpp: the cheaper ways of drawing give the very pixels of the
// plain ones: glyphs from the sheet's copy in the screen's format against
// SDL's converting blit from the sheet itself, and the status line redrawn
// cell by cell against UpdateStatus from a black band.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "fontsheet.h"
#include "graphics.h"
#include "sdltest.h"
#include "targa.h"
#include "tomo.h"

namespace {

using namespace testutil;

// A background that is nowhere black, so that a cell which is not copied
// whole, or blended where it should be copied, shows.
void PaintBackground(SDL_Surface *s) {
    for (int y = 0; y < s->h; y++)
        for (int x = 0; x < s->w; x++) putpixel(s, x, y, static_cast<Uint32>(0x0821 * (x + 3 * y) | 1));
}

// All 256 glyphs, code c in column c % 53 of row c / 53.
void DrawAllGlyphs(SDL_Surface *sheet, SDL_Surface *screen) {
    PaintBackground(screen);
    for (int c = 0; c < 256; c++) {
        char ch[2] = {static_cast<char>(c), '\0'};
        if (c == 0) continue;  // the NUL ends a text; its cell is never drawn
        tomo_write(sheet, screen, ch, c % TEXT_COLS, c / TEXT_COLS, 1);
    }
}

// A 32-bit sheet with an alpha channel, as the loader makes of a 32-bit
// Targa: red in the low byte, alpha varying across each cell.
SDL_Surface *MakeAlphaSheet(int width) {
    return MakeSheetOf(width, 13, 0xFF000000, [](int x, int y) {
        Uint32 alpha = static_cast<Uint32>((x * 37 + y * 91) % 256);
        return static_cast<Uint32>(x % 256) | static_cast<Uint32>(y * 19) << 8 |
               static_cast<Uint32>(255 - x % 200) << 16 | alpha << 24;
    });
}

// The cells from `first` on that the sheet holds, a screen of them, in
// text order.
void DrawCells(SDL_Surface *sheet, SDL_Surface *screen, int first) {
    PaintBackground(screen);
    for (int i = 0; i < TEXT_COLS * TEXT_ROWS && first + i < SheetCells(sheet); i++) {
        FontCell cell = static_cast<FontCell>(first + i);
        tomo_write_cells(sheet, screen, &cell, i % TEXT_COLS, i / TEXT_COLS, 1);
    }
}

// Every glyph of the first row as tomo_write draws bytes, and every cell
// below it, a screen at a time.
void ExpectSameGlyphs(SDL_Surface *original, SDL_Surface *copy) {
    SurfaceHolder want{MakeScreen16()}, got{MakeScreen16()};
    ASSERT_NE(want.get(), nullptr);
    ASSERT_NE(got.get(), nullptr);
    DrawAllGlyphs(original, want.get());
    DrawAllGlyphs(copy, got.get());
    EXPECT_EQ(WrongPixels(got.get(), want.get()), 0);
    for (int first = FONT_CELLS; first < SheetCells(original); first += TEXT_COLS * TEXT_ROWS) {
        DrawCells(original, want.get(), first);
        DrawCells(copy, got.get(), first);
        EXPECT_EQ(WrongPixels(got.get(), want.get()), 0) << "cells from " << first;
    }
}

// A sheet as FontForScreen leaves it for a 16-bit screen, freed at the end;
// replaced tells whether the loaded sheet gave way to a copy.
struct ScreenSheet {
    SurfaceHolder screen{MakeScreen16()};
    SDL_Surface *sheet;
    bool replaced;
    explicit ScreenSheet(SDL_Surface *loaded) : sheet(loaded) {
        FontForScreen(&sheet, screen.get());
        replaced = sheet != loaded;
    }
    ~ScreenSheet() {
        if (sheet) SDL_FreeSurface(sheet);
    }
};

// Channels that are no multiples of the 5-6-5 steps, so the copy has to
// truncate each of them exactly as the blit does.
SDL_Surface *MakeOddChannelSheet() {
    return MakeSheetOf(1536, 13, 0, [](int x, int y) {
        return static_cast<Uint32>(x * 2654435761u + y * 40503u) | 0xFF000000u;
    });
}

TEST(SheetCopy, TheFontSheetCopyDrawsEveryGlyphAsTheConvertingBlitDoes) {
    SurfaceHolder original{LoadTargaImage(TOMO_SOURCE_DIR "/simplefont.tga")};
    ScreenSheet font(LoadTargaImage(TOMO_SOURCE_DIR "/simplefont.tga"));
    ASSERT_NE(original.get(), nullptr);
    ASSERT_NE(font.sheet, nullptr);
    ASSERT_TRUE(font.replaced) << "an opaque sheet is replaced by a copy";
    EXPECT_EQ(font.sheet->format->BitsPerPixel, 16);
    EXPECT_EQ(font.sheet->format->Rmask, font.screen.get()->format->Rmask);
    ExpectSameGlyphs(original.get(), font.sheet);
}

TEST(SheetCopy, OddChannelsTruncateAsTheBlitDoes) {
    SurfaceHolder original{MakeOddChannelSheet()};
    ScreenSheet copy(MakeOddChannelSheet());
    ASSERT_NE(original.get(), nullptr);
    ASSERT_NE(copy.sheet, nullptr);
    ASSERT_TRUE(copy.replaced);
    ExpectSameGlyphs(original.get(), copy.sheet);
}

TEST(SheetCopy, ASheetWithAlphaIsKeptAndStillBlended) {
    SurfaceHolder original{MakeAlphaSheet(1536)};
    ScreenSheet kept(MakeAlphaSheet(1536));
    ASSERT_NE(original.get(), nullptr);
    ASSERT_NE(kept.sheet, nullptr);
    ASSERT_FALSE(kept.replaced) << "a blended sheet cannot be copied ahead";
    ExpectSameGlyphs(original.get(), kept.sheet);

    // and it really blends: the cell of "A" over two backgrounds differs
    SurfaceHolder a{MakeScreen16()}, b{MakeScreen16()};
    DrawAllGlyphs(kept.sheet, a.get());
    clear_screen(b.get());
    tomo_write(kept.sheet, b.get(), "A", 'A' % TEXT_COLS, 'A' / TEXT_COLS, 1);
    int differ = 0;
    for (int y = 0; y < GLYPH_H; y++)
        for (int x = 0; x < GLYPH_W; x++) {
            int sx = CELL_W * ('A' % TEXT_COLS) + TEXT_LEFT + x, sy = CELL_H * ('A' / TEXT_COLS) + y;
            differ += getpixel(a.get(), sx, sy) != getpixel(b.get(), sx, sy);
        }
    EXPECT_GT(differ, GLYPH_W * GLYPH_H / 2);
}

TEST(SheetCopy, NoSheetStaysNoSheet) {
    SurfaceHolder screen{MakeScreen16()};
    SDL_Surface *none = nullptr;
    FontForScreen(&none, screen.get());
    EXPECT_EQ(none, nullptr);
}

// The texts a status band goes through, each drawn over the one before.
const char *const kSteps[] = {
    "Please wait... counting lines: 100",
    "Please wait... counting lines: 200",
    "Please wait... counting lines: 900",
    "Please wait... counting lines: 1000",
    "Please wait... counting lines: 99900",
    "Please wait... counting lines: 100000",
    "Please wait... counting lines: 100100",
    "short",
    "",
    "a text far longer than the fifty-three columns of one row of the screen",
    "a text far longer than the fifty-three columns of one row of the screen, changed",
    "\xE9\x01\x7F tail",
    "Cafe",
    "Cafe\u0301",
    "a mark after the last column is on the letter in it e",
    "a mark after the last column is on the letter in it e\u0301",
    "Глава 1, строк: 100",
    "Глава 1, строк: 1000",
    "Cafe\u0301 \x93ok\x94",
    "Café “ok”",
    "Caf\xE9 \x93ok\x94 \u2026",
};

void ExpectChangesMatchWholeRedraws(SDL_Surface *sheet) {
    SurfaceHolder got{MakeScreen16()}, want{MakeScreen16()};
    ASSERT_NE(got.get(), nullptr);
    ASSERT_NE(want.get(), nullptr);
    PaintBackground(got.get());
    UpdateStatus(sheet, got.get(), kSteps[0]);
    for (size_t i = 1; i < sizeof kSteps / sizeof kSteps[0]; i++) {
        UpdateStatusChange(sheet, got.get(), kSteps[i - 1], kSteps[i]);
        PaintBackground(want.get());
        UpdateStatus(sheet, want.get(), kSteps[i]);
        EXPECT_EQ(WrongPixels(got.get(), want.get()), 0) << "after \"" << kSteps[i] << "\"";
    }
}

// On the sheet that ships as the program copies it, on one whose every
// cell differs, and on a blended one.
TEST(StatusChange, RedrawingTheChangedCellsGivesTheWholeStatusLine) {
    ScreenSheet font(LoadTargaImage(TOMO_SOURCE_DIR "/simplefont.tga"));
    SurfaceHolder distinct{MakeSheet(1536)}, blended{MakeAlphaSheet(1536)};
    for (SDL_Surface *sheet : {font.sheet, distinct.get(), blended.get()}) {
        ASSERT_NE(sheet, nullptr);
        ExpectChangesMatchWholeRedraws(sheet);
    }
}

TEST(StatusChange, SameTextTouchesNothing) {
    SurfaceHolder sheet{MakeSheet(1536)}, screen{MakeScreen16()};
    PaintBackground(screen.get());
    SurfaceHolder before{Copy(screen.get())};
    UpdateStatusChange(sheet.get(), screen.get(), kSteps[1], kSteps[1]);
    EXPECT_EQ(WrongPixels(screen.get(), before.get()), 0);
}

}  // namespace
