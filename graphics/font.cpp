/* font.cpp: text output on the 53 x 16 grid of 6 x 15 pixel cells, one
 * blit of a 6 x 13 glyph cell from the font sheet per character. */
#include <string.h>

#include "graphics.h"
#include "tomo.h"

void tomo_write(SDL_Surface *pFont, SDL_Surface *screen, const char *str,
                int x, int y, int count)
{
    int i;
    int screen_x;
    int screen_y;
    int font_x_offset;

    if (x < 0 || y < 0 || y >= TEXT_ROWS)
        return;
    screen_y = CELL_H * y;
    /* Columns only grow along the text, so the first one past the grid
     * ends the scan; skipped characters would still take their column. */
    for (i = 0; i < count && x + i < TEXT_COLS; i++) {
        if (str[i] == '\0')
            return;
        screen_x = CELL_W * (x + i) + TEXT_LEFT;
        font_x_offset = GLYPH_W * (unsigned char)str[i];
        drawSprite(pFont, screen, font_x_offset, 0, screen_x, screen_y,
                   GLYPH_W, GLYPH_H);
    }
}

/* SDL copies the rows of a sheet in the screen's own format with
 * non-temporal stores where the processor has SSE, and on rows as short as
 * a glyph's (12 bytes) those cost more than the conversion they spare. A
 * colour key makes SDL copy pixel by pixel with plain stores instead; a key
 * that no pixel of the sheet has skips nothing, so each glyph is still
 * drawn whole, pixel for pixel. Elsewhere (the console) SDL's row copy is
 * a plain memcpy and is kept, and so is it for a 16-bit sheet that uses
 * every value. */
static void KeyWithUnusedValue(SDL_Surface *sheet)
{
    static Uint8 used[65536 / 8];
    const Uint16 *row;
    int x;
    int y;
    long v;

    if (sheet->format->BytesPerPixel != 2)
        return;
    if (SDL_MUSTLOCK(sheet) && SDL_LockSurface(sheet) < 0)
        return;
    memset(used, 0, sizeof used);
    for (y = 0; y < sheet->h; y++) {
        row = (const Uint16 *)((const Uint8 *)sheet->pixels + y * sheet->pitch);
        for (x = 0; x < sheet->w; x++)
            used[row[x] >> 3] |= (Uint8)(1 << (row[x] & 7));
    }
    if (SDL_MUSTLOCK(sheet))
        SDL_UnlockSurface(sheet);
    for (v = 0; v < 65536; v++) {
        if ((used[v >> 3] & (1 << (v & 7))) == 0) {
            SDL_SetColorKey(sheet, SDL_SRCCOLORKEY, (Uint32)v);
            return;
        }
    }
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
    if (SDL_HasSSE())
        KeyWithUnusedValue(copy);
    SDL_FreeSurface(sheet);
    *pFont = copy;
}
