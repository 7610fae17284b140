/* fileinfo.cpp: measuring the picked text with its progress drawn on the
 * status line and shown at once. */
#include "graphics.h"
#include "viewer.h"

static void ShowProgress(void *ctx)
{
    TimerInfo *where = (TimerInfo *)ctx;

    UpdateStatus(where->pFont, where->screen, status);
    SDL_Flip(where->screen);
}

void GetFileInfo(SDL_Surface *pFont, SDL_Surface *screen)
{
    TimerInfo where;

    where.pFont = pFont;
    where.screen = screen;
    LoadFileInfo(ShowProgress, &where);
}
