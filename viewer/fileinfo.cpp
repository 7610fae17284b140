/* fileinfo.cpp: measuring the picked text with its progress drawn on the
 * status line and shown at once. */
#include <string.h>

#include "graphics.h"
#include "viewer.h"

/* The progress text on the status band, "" until the pass draws its first.
 * Nothing else draws there while a text is measured (the status tick
 * keeps off in STATE_MEASURE), so each message only redraws the digits
 * that changed since the one before. */
static char shown[STATUS_SIZE];

static void ShowProgress(void *ctx)
{
    TimerInfo *where = (TimerInfo *)ctx;

    if (shown[0] == '\0')
        UpdateStatus(where->pFont, where->screen, status);
    else
        UpdateStatusChange(where->pFont, where->screen, shown, status);
    memcpy(shown, status, STATUS_SIZE);
    SDL_Flip(where->screen);
}

void GetFileInfo(SDL_Surface *pFont, SDL_Surface *screen)
{
    TimerInfo where;

    where.pFont = pFont;
    where.screen = screen;
    shown[0] = '\0';
    LoadFileInfo(ShowProgress, &where);
}
