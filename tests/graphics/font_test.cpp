// font_test.cpp: where tomo_write puts each glyph cell and what it leaves
// out, drawn from the synthetic sheet of fontsheet.h.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "graphics.h"
#include "sdltest.h"

namespace {

using namespace testutil;

class FontTest : public DrawTest {
protected:
    std::vector<Uint16> want = std::vector<Uint16>(320 * 240, 0);

    // Paints the expected picture: columns [first, last] of cell c at (col, row).
    void Expect(int col, int row, int c, int first = 0, int last = 5) {
        for (int v = 0; v < 13; v++)
            for (int u = first; u <= last; u++) want[(15 * row + v) * 320 + 6 * col + 1 + u] = SheetValue(c, u, v);
    }

    void CheckScreen() {
        EXPECT_EQ(WrongPixels(screen.get(), [this](int x, int y) { return want[y * 320 + x]; }), 0);
    }
};

TEST_F(FontTest, GlyphCoversExactlyItsCell) {
    struct Case {
        int col, row;
        char ch;
    } cases[] = {{0, 0, 'A'}, {52, 15, 'z'}, {10, 7, '~'}, {0, 15, '\t'}, {52, 0, '\n'}};
    for (const Case &c : cases) {
        char text[2] = {c.ch, 0};
        tomo_write(sheet.get(), screen.get(), text, c.col, c.row, 1);
        Expect(c.col, c.row, static_cast<unsigned char>(c.ch));
    }
    CheckScreen();
}

TEST_F(FontTest, ColumnsPastTheGridAreDropped) {
    tomo_write(sheet.get(), screen.get(), "abcde", 50, 3, 5);
    Expect(50, 3, 'a');
    Expect(51, 3, 'b');
    Expect(52, 3, 'c');
    CheckScreen();
    EXPECT_EQ(Pixel16(screen.get(), 301, 45), SheetValue('a', 0, 0));
    EXPECT_EQ(Pixel16(screen.get(), 313, 45), SheetValue('c', 0, 0));
    EXPECT_EQ(Pixel16(screen.get(), 319, 45), 0);
}

TEST_F(FontTest, CountAndNulBothEndTheText) {
    tomo_write(sheet.get(), screen.get(), "uvwxyz", 0, 2, 3);
    tomo_write(sheet.get(), screen.get(), "pqr\0stu", 0, 4, 10);
    for (int i = 0; i < 3; i++) {
        Expect(i, 2, 'u' + i);
        Expect(i, 4, 'p' + i);
    }
    CheckScreen();
}

TEST_F(FontTest, NoCountReadsNoByte) {
    // A null text faults on the first byte read.
    tomo_write(sheet.get(), screen.get(), nullptr, 0, 0, 0);
    tomo_write(sheet.get(), screen.get(), nullptr, 0, 0, -5);
    tomo_write(sheet.get(), screen.get(), "Q", 0, 0, -1);
    CheckScreen();
}

TEST_F(FontTest, OutsideTheGridDrawsNothing) {
    struct Case {
        int x, y;
    } cases[] = {{0, 16}, {0, -1}, {-1, 0}, {-3, 5}, {53, 0}, {1000, 1}};
    for (const Case &c : cases) tomo_write(sheet.get(), screen.get(), "ABCDEFGH", c.x, c.y, 8);
    CheckScreen();
}

TEST_F(FontTest, ByteIsTakenUnsigned) {
    tomo_write(sheet.get(), screen.get(), "\xE9\xFF", 4, 6, 2);
    Expect(4, 6, 233);
    Expect(5, 6, 255);
    CheckScreen();
    // Cell 233 comes from sheet columns 1398..1403; column 4 of row 6
    // starts at screen pixel (25, 90).
    EXPECT_EQ(Pixel16(screen.get(), 25, 90), SheetValue(1398 / 6, 1398 % 6, 0));
    EXPECT_EQ(Pixel16(screen.get(), 30, 102), SheetValue(1403 / 6, 1403 % 6, 12));
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

TEST_F(FontTest, MissingSheetDrawsNothing) {
    tomo_write(nullptr, screen.get(), "hello", 0, 0, 5);
    CheckScreen();
}

}  // namespace
