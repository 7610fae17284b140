/* chrome.cpp: the screen furniture around the text: the black background,
 * the status line with its green separator, and the blue bar behind the
 * selected list entry. None of these flips the screen. */
#include <string.h>

#include "graphics.h"
#include "tomo.h"

/* Blacks pixel rows top..bottom over the screen's width, straight into
 * memory a row at a time. The bounds are kept inside the surface so that
 * a smaller surface is never written past. Returns 0 when the lock fails
 * and nothing was drawn. */
static int fill_black(SDL_Surface *screen, int top, int bottom)
{
    int i;
    int cols = screen->w < SCREEN_W ? screen->w : SCREEN_W;
    int rows_end = screen->h < bottom + 1 ? screen->h : bottom + 1;
    size_t row_bytes;
    Uint8 *yofs;

    if (SDL_MUSTLOCK(screen) && SDL_LockSurface(screen) < 0)
        return 0;
    row_bytes = (size_t)cols * screen->format->BytesPerPixel;
    for (i = top; i < rows_end; i++) {
        yofs = (Uint8 *)screen->pixels + i * screen->pitch;
        memset(yofs, 0, row_bytes);
    }
    if (SDL_MUSTLOCK(screen))
        SDL_UnlockSurface(screen);
    return 1;
}

void clear_screen(SDL_Surface *screen)
{
    fill_black(screen, 0, SCREEN_H - 1);
}

void UpdateStatus(SDL_Surface *pFont, SDL_Surface *screen, const char *str)
{
    int x;
    Uint32 c = SDL_MapRGB(screen->format, 0, STATUS_LINE_GREEN, 0);

    if (!fill_black(screen, STATUS_TOP, SCREEN_H - 1))
        return;
    tomo_write(pFont, screen, str, 0, STATUS_ROW, (int)strlen(str));
    /* Drawn after the text on purpose: the line takes the top pixel row of
     * every status glyph. */
    if (screen->h <= STATUS_TOP)
        return;
    for (x = 0; x < SCREEN_W && x < screen->w; x++)
        putpixel(screen, x, STATUS_TOP, c);
}

/* Only exact black turns blue, so glyph ink stays and a second call finds
 * nothing left to change. */
void HighlightRowOne(SDL_Surface *screen)
{
    int x;
    int y;
    Uint32 color;
    Uint32 c = SDL_MapRGB(screen->format, 0, 0, HIGHLIGHT_BLUE);

    for (x = 0; x < SCREEN_W && x < screen->w; x++) {
        for (y = HIGHLIGHT_TOP; y <= HIGHLIGHT_BOTTOM && y < screen->h; y++) {
            color = getpixel(screen, x, y);
            if (color == 0)
                putpixel(screen, x, y, c);
        }
    }
}
