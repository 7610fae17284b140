/* filedialog.cpp: draws the file browser: the "Dir:" heading and the
 * entries from the selected one on, the selection on the first list row. */
#include "browser.h"
#include "glyphs.h"
#include "graphics.h"

/* A name in at most cols columns from column col: the whole name is read,
 * since a UTF-8 name takes fewer columns than it has bytes. */
static void WriteName(SDL_Surface *pFont, SDL_Surface *screen, const char *name,
                      int size, int col, int row, int cols)
{
    FontCell cells[NAME_SIZE];
    int n;

    n = TextToCells(name, size < NAME_SIZE ? size : NAME_SIZE, cells, SheetCells(pFont));
    tomo_write_cells(pFont, screen, cells, col, row, n < cols ? n : cols);
}

void FileDialog(SDL_Surface *pFont, SDL_Surface *screen)
{
    int i;
    int disp_row;

    if (state == STATE_READ_DIR) {
        CreateSortedFilelist();
        top_of_list = 0;
        state = STATE_LIST;
    }

    tomo_write(pFont, screen, "Dir:", 0, HEADING_ROW, HEADING_PATH_COL);
    WriteName(pFont, screen, curPath, CUR_PATH_SIZE, HEADING_PATH_COL, HEADING_ROW, HEADING_PATH_COLS);

    if (top_of_list < 0)
        return;
    disp_row = LIST_FIRST_ROW;
    for (i = top_of_list; i < listcnt && disp_row <= LIST_LAST_ROW; i++, disp_row++) {
        if (dirlist[i].file[0] == '\0')
            break;
        if (dirlist[i].isADir == 1)
            tomo_write(pFont, screen, "D", LIST_MARK_COL, disp_row, 1);
        WriteName(pFont, screen, dirlist[i].file, NAME_SIZE, LIST_NAME_COL, disp_row, LIST_NAME_COLS);
    }
}
