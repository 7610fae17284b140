/* render.cpp: the frame step. One whole frame for the current view state,
 * drawn and presented under draw_lock so that a status tick never draws or
 * presents in the middle of it. */
#include "app.h"
#include "browser.h"
#include "graphics.h"
#include "platform.h"
#include "viewer.h"

void render2(SDL_Surface *screen, SDL_Surface *pFont)
{
    LockDrawing();
    clear_screen(screen);
    switch (state) {
    case STATE_READ_DIR:
    case STATE_LIST:
        FileDialog(pFont, screen);
        HighlightRowOne(screen);
        break;
    case STATE_MEASURE:
        GetFileInfo(pFont, screen);
        state = STATE_TEXT;
        break;
    case STATE_TEXT:
        ViewText(pFont, screen);
        break;
    default:
        break;
    }
    PresentScreen(screen);
    UnlockDrawing();
}
