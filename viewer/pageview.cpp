/* pageview.cpp: one page of the text, PAGE_LINES wrapped lines (or book
 * rows) from the top of the page, and the position in the status line.
 * The caller holds draw_lock for the frame, which keeps the status timer
 * off status. */
#include <string.h>

#include "glyphs.h"
#include "graphics.h"
#include "viewer.h"

void ViewText(SDL_Surface *pFont, SDL_Surface *screen)
{
    static char block[PAGE_BLOCK_SIZE];
    char str[BOOK_ROW_SIZE];
    FontCell cells[BOOK_ROW_SIZE];
    int sheet_cells = SheetCells(pFont);
    LineReader r;
    int opened;
    int y;

    cur_offset = top_of_page_offset;
    /* the whole page through one open of the text; rows that cannot be
     * read stay blank */
    opened = OpenCutReader(&r, text_view, top_of_page_offset, block, PAGE_BLOCK_SIZE);
    for (y = 0; y < PAGE_LINES; y++) {
        str[0] = '\0';
        if (opened)
            ReadWrappedLine(&r, str);
        /* a letter cut by the line's end is drawn byte by byte: nothing of
         * the next line is looked at */
        tomo_write_cells(pFont, screen, cells, 0, y,
                         TextToCells(str, (int)strlen(str), cells, sheet_cells));
    }
    if (opened) {
        if (LineReaderOffset(&r) <= INT32_MAX)
            cur_offset = (int32_t)LineReaderOffset(&r);
        CloseLineReader(&r);
    }
    FormatPosition(status, STATUS_SIZE);
    UpdateStatus(pFont, screen, status);
}
