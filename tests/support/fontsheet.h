// fontsheet.h: a synthetic font sheet for drawing tests. Every pixel of
// every glyph cell has its own colour, so a wrong cell, a shifted cell or
// a cell of the wrong size shows on the screen.
#ifndef TOMO_TEST_FONTSHEET_H
#define TOMO_TEST_FONTSHEET_H

#include <SDL.h>

namespace testutil {

constexpr int kSheetRows = 16;  // deeper than a cell, to catch rows 13.. being read

// The 5-6-5 value of sheet pixel (u, v) of cell c: red holds c's low five
// bits, green c's upper three and the column, blue the row plus one, so no
// value is black and no two are alike.
inline Uint16 SheetValue(int c, int u, int v) {
    return static_cast<Uint16>((c & 31) << 11 | ((c >> 5) * 8 + u) << 5 | (v + 1));
}

// A 32-bit sheet in the Targa loader's layout (red in the low byte, alpha
// in the top one where amask says so) whose pixel (x, y) is value(x, y).
template <typename Value>
SDL_Surface *MakeSheetOf(int width, int rows, Uint32 amask, Value value) {
    SDL_Surface *s = SDL_CreateRGBSurface(0, width, rows, 32, 0xFF, 0xFF00, 0xFF0000, amask);
    if (!s) return s;
    for (int y = 0; y < rows; y++)
        for (int x = 0; x < width; x++) static_cast<Uint32 *>(s->pixels)[y * s->pitch / 4 + x] = value(x, y);
    return s;
}

// An opaque sheet of SheetValue pixels. The channels are multiples of the
// 5-6-5 steps, so the blit's conversion to the screen is exact. Below the
// first row of cells (rows up to 31), cell 256 * k + c shows as
// SheetValue(c, u, 13 * k + v).
inline SDL_Surface *MakeSheet(int width, int rows = kSheetRows) {
    return MakeSheetOf(width, rows, 0, [](int x, int y) {
        Uint16 v = SheetValue(x / 6, x % 6, y);
        Uint32 r = (v >> 11) << 3, g = ((v >> 5) & 63) << 2, b = (v & 31) << 3;
        return r | g << 8 | b << 16;
    });
}

}  // namespace testutil

#endif
