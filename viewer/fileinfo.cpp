/* fileinfo.cpp: measuring the picked text with its progress drawn on the
 * status line and shown at the display's pace. */
#include <string.h>

#include "graphics.h"
#include "platform.h"
#include "viewer.h"

/* The progress text on the status band, "" until the pass draws its first.
 * Nothing else draws there while a text is measured (the status tick
 * keeps off in STATE_MEASURE), so each message only redraws the digits
 * that changed since the one before. Every message is drawn, so the
 * screen always holds the current count, whenever it is presented. */
static char shown[STATUS_SIZE];

static void ShowProgress(void *ctx)
{
    TimerInfo *where = (TimerInfo *)ctx;

    if (shown[0] == '\0')
        UpdateStatus(where->pFont, where->screen, status);
    else
        UpdateStatusChange(where->pFont, where->screen, shown, status);
    memcpy(shown, status, STATUS_SIZE);
    PresentProgress(where->screen);
}

void GetFileInfo(SDL_Surface *pFont, SDL_Surface *screen)
{
    TimerInfo where;

    where.pFont = pFont;
    where.screen = screen;
    shown[0] = '\0';
    BeginProgress();
    LoadFileInfo(ShowProgress, &where);
}
