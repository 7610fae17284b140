// font_test.cpp: where tomo_write and tomo_write_cells put each glyph cell
// and what they leave out, drawn from the synthetic sheet of fontsheet.h;
// which cells a sheet holds; and the sheet that ships against the font it
// is made from.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "graphics.h"
#include "letters.h"
#include "sdltest.h"
#include "targa.h"
#include "tomo.h"

namespace {

using namespace testutil;

class FontTest : public DrawTest {
protected:
    std::vector<Uint16> want = std::vector<Uint16>(320 * 240, 0);

    // Paints the expected picture: columns [first, last] of cell c at (col, row).
    void Expect(int col, int row, int c, int first = 0, int last = 5) {
        for (int v = 0; v < 13; v++)
            for (int u = first; u <= last; u++)
                want[(15 * row + v) * 320 + 6 * col + 1 + u] = SheetValue(c % 256, u, 13 * (c / 256) + v);
    }

    void CheckScreen() {
        EXPECT_EQ(WrongPixels(screen.get(), [this](int x, int y) { return want[y * 320 + x]; }), 0);
    }
};

// Each byte from its own cell (taken unsigned), at its place on the grid;
// the count, a NUL and the grid's last column all end the text.
TEST_F(FontTest, EachByteCoversExactlyItsCell) {
    const struct {
        std::string text;
        int col, row, count;
        std::vector<int> drawn;
    } cases[] = {
        {"A", 0, 0, 1, {'A'}},
        {"z", 52, 15, 1, {'z'}},
        {"~", 10, 7, 1, {'~'}},
        {"\t", 0, 15, 1, {'\t'}},
        {"\n", 52, 0, 1, {'\n'}},
        {"abcde", 50, 3, 5, {'a', 'b', 'c'}},
        {"uvwxyz", 0, 2, 3, {'u', 'v', 'w'}},
        {std::string("pqr\0stu", 7), 0, 4, 10, {'p', 'q', 'r'}},
        {"\xE9\xFF", 4, 6, 2, {233, 255}},
    };
    for (const auto &c : cases) {
        tomo_write(sheet.get(), screen.get(), c.text.data(), c.col, c.row, c.count);
        for (size_t i = 0; i < c.drawn.size(); i++) Expect(c.col + static_cast<int>(i), c.row, c.drawn[i]);
    }
    CheckScreen();
    // the places themselves, not through Expect: column 50 of row 3 starts
    // at pixel (301, 45), the grid ends at 319; cell 233 is sheet columns
    // 1398..1403, column 4 of row 6 starts at (25, 90)
    EXPECT_EQ(Pixel16(screen.get(), 301, 45), SheetValue('a', 0, 0));
    EXPECT_EQ(Pixel16(screen.get(), 313, 45), SheetValue('c', 0, 0));
    EXPECT_EQ(Pixel16(screen.get(), 319, 45), 0);
    EXPECT_EQ(Pixel16(screen.get(), 25, 90), SheetValue(1398 / 6, 1398 % 6, 0));
    EXPECT_EQ(Pixel16(screen.get(), 30, 102), SheetValue(1403 / 6, 1403 % 6, 12));
}

// No count, a place outside the grid or no sheet draws nothing (a null
// text faults on the first byte read).
TEST_F(FontTest, NothingIsDrawnWithoutACountAPlaceOrASheet) {
    tomo_write(sheet.get(), screen.get(), nullptr, 0, 0, 0);
    tomo_write(sheet.get(), screen.get(), nullptr, 0, 0, -5);
    tomo_write(sheet.get(), screen.get(), "Q", 0, 0, -1);
    struct Case {
        int x, y;
    } cases[] = {{0, 16}, {0, -1}, {-1, 0}, {-3, 5}, {53, 0}, {1000, 1}};
    for (const Case &c : cases) tomo_write(sheet.get(), screen.get(), "ABCDEFGH", c.x, c.y, 8);
    tomo_write(nullptr, screen.get(), "hello", 0, 0, 5);
    const FontCell cells[] = {'h', 300};
    tomo_write_cells(nullptr, screen.get(), cells, 0, 1, 2);
    CheckScreen();
}

TEST_F(FontTest, NarrowSheetDropsHighBytesButKeepsTheirColumns) {
    SurfaceHolder narrow(MakeSheet(768));
    tomo_write(narrow.get(), screen.get(), "a\x80" "b\xE9" "c", 0, 1, 5);
    Expect(0, 1, 'a');
    Expect(2, 1, 'b');
    Expect(4, 1, 'c');
    CheckScreen();
}

TEST_F(FontTest, CellCutByTheSheetEdgeDrawsItsInnerPart) {
    SurfaceHolder cut(MakeSheet(6 * 65 + 2));
    tomo_write(cut.get(), screen.get(), "A", 7, 9, 1);
    Expect(7, 9, 'A', 0, 1);
    CheckScreen();
}

// Cells of the rows below the first come from their row, on the same grid
// and within the same bounds as the bytes of tomo_write.
TEST_F(FontTest, CellsComeFromTheirRowOfTheSheet) {
    SurfaceHolder tall(MakeSheet(1536, 26));
    const FontCell cells[] = {'A', 256, 300, 511, 0xE9};
    tomo_write_cells(tall.get(), screen.get(), cells, 48, 15, 5);
    tomo_write_cells(tall.get(), screen.get(), cells, 50, 2, 5);
    for (int i = 0; i < 5; i++) Expect(48 + i, 15, cells[i]);
    for (int i = 0; i < 3; i++) Expect(50 + i, 2, cells[i]);
    for (int x : {-1, 53}) tomo_write_cells(tall.get(), screen.get(), cells, x, 4, 5);
    for (int y : {-1, 16}) tomo_write_cells(tall.get(), screen.get(), cells, 0, y, 5);
    tomo_write_cells(tall.get(), screen.get(), cells, 0, 5, 0);
    tomo_write_cells(tall.get(), screen.get(), nullptr, 0, 5, -2);
    CheckScreen();
}

// The rows below the first count only on a sheet a whole row of cells
// wide; a sheet of one row, however high, or a narrow one, draws bytes
// as it always did.
TEST(SheetCells, AreTheWholeRowsOfAFullWidthSheet) {
    struct Case {
        int w, h, cells;
    } cases[] = {
        {1536, 13, 256},  {1536, 16, 256},   {1536, 25, 256},   {1536, 26, 512},
        {1536, 38, 512},  {1536, 169, 3328}, {1537, 39, 768},   {1535, 169, 256},
        {768, 169, 256},  {6, 13, 256},      {1536, 6, 256},    {1536, 4000, 65536},
    };
    for (const Case &c : cases) {
        SurfaceHolder sheet(SDL_CreateRGBSurface(0, c.w, c.h, 32, 0xFF, 0xFF00, 0xFF0000, 0));
        ASSERT_NE(sheet.get(), nullptr);
        EXPECT_EQ(SheetCells(sheet.get()), c.cells) << c.w << " x " << c.h;
    }
    EXPECT_EQ(SheetCells(nullptr), 256);
}

// The sheet as loaded, cell by cell against the glyphs of the BDF fonts:
// ink where they have ink, in one light colour, black elsewhere.
class ShippedSheet : public ::testing::Test {
protected:
    SurfaceHolder sheet{LoadTargaImage(TOMO_SOURCE_DIR "/simplefont.tga")};

    bool Shows(int cell, const Ink &ink) const {
        const Uint32 *px = static_cast<const Uint32 *>(sheet.get()->pixels);
        for (int v = 0; v < 13; v++)
            for (int u = 0; u < 6; u++) {
                Uint32 p = px[(13 * (cell / 256) + v) * sheet.get()->pitch / 4 + 6 * (cell % 256) + u];
                if (p != (ink[static_cast<size_t>(v * 6 + u)] ? 0xFFE0E0E0u : 0xFF000000u)) return false;
            }
        return true;
    }
};

// The blocks whose glyphs the sheet holds below its first row.
struct Block {
    long first, last;
};
const Block kBlocks[] = {
    {0x0100, 0x02FF}, {0x0370, 0x03FF}, {0x0400, 0x0482}, {0x048A, 0x052F}, {0x0531, 0x058F},
    {0x10A0, 0x10FF}, {0x1E00, 0x1FFF}, {0x2010, 0x2027}, {0x2030, 0x205E}, {0x2070, 0x20CF},
    {0x2100, 0x23FF}, {0x2500, 0x28FF}, {0xFB00, 0xFB06}, {0xFFFD, 0xFFFD},
};

bool InBlocks(long cp) {
    for (const Block &b : kBlocks)
        if (cp >= b.first && cp <= b.last) return true;
    return false;
}

// The sheet's table of cells against the font itself (the BDF that
// pcf2bdf makes of 6x13.pcf.gz): a cell for every glyph of the blocks and
// for nothing else, the runs ascending and apart, their cells one after
// the other from 256 on (so that no code point and no cell comes twice),
// each showing its glyph; blank cells after the last.
TEST_F(ShippedSheet, HoldsEveryGlyphOfTheBlocksOnceInOrder) {
    InkFont font = ReadBdf(TOMO_BDF);
    ASSERT_NE(sheet.get(), nullptr);
    ASSERT_GT(font.size(), 4000u) << TOMO_BDF;
    int in_blocks = 0;
    for (const auto &glyph : font) {
        if (glyph.first < FONT_CELLS) continue;
        in_blocks += InBlocks(glyph.first);
        EXPECT_EQ(CodePointCell(glyph.first) != 0, InBlocks(glyph.first)) << std::hex << "U+" << glyph.first;
    }
    EXPECT_GT(in_blocks, 3000);
    int cell = FONT_CELLS;
    long after = FONT_CELLS - 1;
    for (int i = 0; i < glyph_run_count; i++) {
        const GlyphRun &r = glyph_runs[i];
        EXPECT_GT(r.first, after) << "run " << i;
        EXPECT_LE(r.first, r.last) << "run " << i;
        EXPECT_EQ(r.cell, cell) << "run " << i;
        for (long cp = r.first; cp <= r.last; cp++, cell++) {
            EXPECT_TRUE(font.count(cp) && InBlocks(cp)) << std::hex << "U+" << cp;
            EXPECT_EQ(CodePointCell(cp), cell) << std::hex << "U+" << cp;
            EXPECT_TRUE(Shows(cell, font[cp])) << std::hex << "U+" << cp;
        }
        after = r.last;
    }
    EXPECT_EQ(cell - FONT_CELLS, in_blocks);
    for (long cp : {0L, 0x41L, 0xE9L, 0xFFL, 0x24FL, 0x300L, 0x483L, 0x5D0L, 0x2028L, 0x20D7L, 0xFEFFL, 0x1F600L})
        EXPECT_EQ(CodePointCell(cp), 0) << std::hex << "U+" << cp;
    EXPECT_EQ(sheet.get()->w, 1536);
    EXPECT_EQ(sheet.get()->h, 13 * ((cell + 255) / 256));
    EXPECT_EQ(SheetCells(sheet.get()), sheet.get()->h / 13 * 256);
    for (; cell < SheetCells(sheet.get()); cell++) EXPECT_TRUE(Shows(cell, Ink{})) << "cell " << cell;
}

// The first row is the Latin-1 font's, as it always was: the glyphs of
// 6x13-ISO8859-1 (the same as the ISO 10646 font's), the control codes,
// the space and the no-break space blank.
TEST_F(ShippedSheet, KeepsTheLatin1RowAsItWas) {
    InkFont latin1 = ReadBdf(TOMO_BDF_LATIN1), font = ReadBdf(TOMO_BDF);
    ASSERT_NE(sheet.get(), nullptr);
    ASSERT_FALSE(latin1.empty()) << TOMO_BDF_LATIN1;
    for (int c = 0; c < 256; c++) {
        bool drawn = (c > 32 && c < 127) || c > 160;
        EXPECT_TRUE(Shows(c, drawn ? latin1[c] : Ink{})) << "cell " << c;
        if (drawn) {
            EXPECT_EQ(latin1[c], font[c]) << "cell " << c;
        }
    }
}

}  // namespace
