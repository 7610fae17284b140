/* font.cpp: text output on the 53 x 16 grid of 6 x 15 pixel cells, one
 * blit of a 6 x 13 glyph cell from the font sheet per character: a byte's
 * own cell from the sheet's first row, or any cell of a taller sheet. */
#include "graphics.h"
#include "tomo.h"

/* A byte's own cell is the byte: the first row of the sheet. */
void tomo_write(SDL_Surface *pFont, SDL_Surface *screen, const char *str,
                int x, int y, int count)
{
    FontCell cells[TEXT_COLS];
    int n = 0;

    if (x < 0 || x >= TEXT_COLS)
        return;
    for (; n < count && n < TEXT_COLS - x && str[n] != '\0'; n++)
        cells[n] = (unsigned char)str[n];
    tomo_write_cells(pFont, screen, cells, x, y, n);
}

void tomo_write_cells(SDL_Surface *pFont, SDL_Surface *screen, const FontCell *cells,
                      int x, int y, int count)
{
    int i;
    int n;
    int screen_x;
    int screen_y;

    if (x < 0 || x >= TEXT_COLS || y < 0 || y >= TEXT_ROWS)
        return;
    n = count < TEXT_COLS - x ? count : TEXT_COLS - x;
    screen_x = CELL_W * x + TEXT_LEFT;
    screen_y = CELL_H * y;
    for (i = 0; i < n; i++, screen_x += CELL_W)
        drawSprite(pFont, screen, GLYPH_W * (cells[i] % FONT_CELLS), GLYPH_H * (cells[i] / FONT_CELLS),
                   screen_x, screen_y, GLYPH_W, GLYPH_H);
}

/* A sheet narrower than a row of cells serves its first row alone, a cell
 * partly beyond its edge drawn in part as ever: nothing below it is read,
 * and no cell is ever drawn from outside the sheet. */
int SheetCells(SDL_Surface *pFont)
{
    long rows;

    if (!pFont || pFont->w < GLYPH_W * FONT_CELLS || pFont->h < 2 * GLYPH_H)
        return FONT_CELLS;
    rows = pFont->h / GLYPH_H;
    return rows < FONT_MAX_CELLS / FONT_CELLS ? (int)(rows * FONT_CELLS) : FONT_MAX_CELLS;
}

/* A sheet in another pixel format than the screen's makes every glyph blit
 * convert pixel by pixel. The copy is made once, by the very SDL blit that
 * would otherwise convert each glyph, so it holds exactly the pixels that
 * blit draws, and each glyph blit becomes a plain copy. A sheet with an
 * alpha channel (or a colour key) is blended onto what lies below, which
 * no copy made ahead can stand for: that one stays as it is. */
void FontForScreen(SDL_Surface **pFont, SDL_Surface *screen)
{
    SDL_Surface *sheet = *pFont;
    SDL_Surface *copy;

    if (!sheet || !screen || sheet->format->Amask != 0
        || (sheet->flags & (SDL_SRCALPHA | SDL_SRCCOLORKEY)) != 0)
        return;
    copy = SDL_ConvertSurface(sheet, screen->format, SDL_SWSURFACE);
    /* without the copy the glyphs are simply converted as they are drawn */
    if (!copy)
        return;
    SDL_FreeSurface(sheet);
    *pFont = copy;
}
