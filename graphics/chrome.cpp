/* chrome.cpp: the screen furniture around the text: the black background,
 * the status line with its green separator, and the blue bar behind the
 * selected list entry. None of these presents the screen. */
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

/* The green separator over columns from..to-1 (within the screen). Drawn
 * after the text on purpose: the line takes the top pixel row of every
 * status glyph. */
static void green_line(SDL_Surface *screen, int from, int to)
{
    int x;
    Uint32 c = SDL_MapRGB(screen->format, 0, STATUS_LINE_GREEN, 0);

    if (screen->h <= STATUS_TOP)
        return;
    for (x = from; x < to && x < screen->w; x++)
        putpixel(screen, x, STATUS_TOP, c);
}

/* The cells of a status text: a status line takes at most LINE_BUF_SIZE
 * bytes, more than its columns whatever the letters. */
static int status_cells(const char *str, FontCell *cells, int sheet_cells)
{
    size_t len = strlen(str);

    return TextToCells(str, len < LINE_BUF_SIZE ? (int)len : LINE_BUF_SIZE, cells, sheet_cells);
}

void UpdateStatus(SDL_Surface *pFont, SDL_Surface *screen, const char *str)
{
    FontCell cells[LINE_BUF_SIZE];

    if (!fill_black(screen, STATUS_TOP, SCREEN_H - 1))
        return;
    tomo_write_cells(pFont, screen, cells, 0, STATUS_ROW, status_cells(str, cells, SheetCells(pFont)));
    green_line(screen, 0, SCREEN_W);
}

/* The 16-bit screen's row straight in memory: the same test and the same
 * store as getpixel and putpixel, without two calls per pixel. */
static void blue_under_black16(SDL_Surface *screen, int y, int cols, Uint32 c)
{
    Uint16 *row = (Uint16 *)((Uint8 *)screen->pixels + y * screen->pitch);
    int x;

    for (x = 0; x < cols; x++) {
        if (row[x] == 0)
            row[x] = (Uint16)c;
    }
}

/* Only exact black turns blue, so glyph ink stays and a second call finds
 * nothing left to change. */
void HighlightRowOne(SDL_Surface *screen)
{
    int x;
    int y;
    Uint32 color;
    Uint32 c = SDL_MapRGB(screen->format, 0, 0, HIGHLIGHT_BLUE);
    int cols = screen->w < SCREEN_W ? screen->w : SCREEN_W;

    for (y = HIGHLIGHT_TOP; y <= HIGHLIGHT_BOTTOM && y < screen->h; y++) {
        if (screen->format->BytesPerPixel == 2) {
            blue_under_black16(screen, y, cols, c);
            continue;
        }
        for (x = 0; x < cols; x++) {
            color = getpixel(screen, x, y);
            if (color == 0)
                putpixel(screen, x, y, c);
        }
    }
}

/* Status cell col blanked, the cell drawn there (none for NULL) and its
 * part of the green line given back; 0 when the screen took nothing. */
static int redraw_cell(SDL_Surface *pFont, SDL_Surface *screen, int col, const FontCell *cell)
{
    SDL_Rect r;

    r.x = (Sint16)(CELL_W * col + TEXT_LEFT);
    r.y = (Sint16)STATUS_TOP;
    r.w = GLYPH_W;
    r.h = GLYPH_H;
    if (SDL_FillRect(screen, &r, 0) < 0)
        return 0;
    if (cell)
        tomo_write_cells(pFont, screen, cell, col, STATUS_ROW, 1);
    green_line(screen, r.x, r.x + GLYPH_W);
    return 1;
}

/* Every cell in which the cells of the two texts differ. */
static void redraw_changed_cells(SDL_Surface *pFont, SDL_Surface *screen,
                                 const char *shown, const char *str)
{
    FontCell was[LINE_BUF_SIZE];
    FontCell now[LINE_BUF_SIZE];
    int sheet_cells = SheetCells(pFont);
    int was_n = status_cells(shown, was, sheet_cells);
    int now_n = status_cells(str, now, sheet_cells);
    int col;

    for (col = 0; col < TEXT_COLS && (col < was_n || col < now_n); col++) {
        if (col < was_n && col < now_n && was[col] == now[col])
            continue;
        if (!redraw_cell(pFont, screen, col, col < now_n ? now + col : NULL))
            return;
    }
}

/* The status line as UpdateStatus(str) draws it, on a band that shows
 * UpdateStatus(shown): only the cells that differ are blanked, drawn again
 * and given back their part of the green line. A counter that goes up by
 * one step thus costs a glyph or two rather than a whole line. */
void UpdateStatusChange(SDL_Surface *pFont, SDL_Surface *screen,
                        const char *shown, const char *str)
{
    const unsigned char *a = (const unsigned char *)shown;
    const unsigned char *b = (const unsigned char *)str;
    unsigned int seen = 0;
    int shown_end = 0;
    int str_end = 0;
    FontCell cell;
    int i;

    /* The common start, most of a counter's text, in one plain scan: the
     * measuring pass redraws its count a few thousand times a second. An
     * ASCII byte is its own cell, a column each, so texts of ASCII are
     * compared byte by byte; any other letter has them compared by cells.
     * The byte after the last column is looked at too: a mark there would
     * change the letter before it. */
    for (i = 0; i < TEXT_COLS && b[i] != '\0' && a[i] == b[i]; i++)
        seen |= b[i];
    for (; seen < 0x80 && i <= TEXT_COLS && (!shown_end || !str_end); i++) {
        shown_end = shown_end || a[i] == '\0';
        str_end = str_end || b[i] == '\0';
        seen = (shown_end ? 0 : a[i]) | (str_end ? 0 : b[i]);
        cell = (FontCell)(str_end ? 0 : b[i]);
        if (seen >= 0x80 || i == TEXT_COLS || (shown_end ? 0 : a[i]) == cell)
            continue;
        if (!redraw_cell(pFont, screen, i, str_end ? NULL : &cell))
            return;
    }
    if (seen >= 0x80)
        redraw_changed_cells(pFont, screen, shown, str);
}
