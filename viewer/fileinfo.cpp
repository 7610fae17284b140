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

/* Where the progress is drawn: the sheet and the screen of the frame. */
typedef struct progressView {
    SDL_Surface *pFont;
    SDL_Surface *screen;
} ProgressView;

static void ShowProgress(const char *text, void *ctx)
{
    ProgressView *view = (ProgressView *)ctx;

    if (shown[0] == '\0')
        UpdateStatus(view->pFont, view->screen, text);
    else
        UpdateStatusChange(view->pFont, view->screen, shown, text);
    strncpy(shown, text, STATUS_SIZE - 1);
    shown[STATUS_SIZE - 1] = '\0';
    PresentProgress(view->screen);
}

void GetFileInfo(SDL_Surface *pFont, SDL_Surface *screen)
{
    ProgressView view;

    view.pFont = pFont;
    view.screen = screen;
    shown[0] = '\0';
    BeginProgress();
    LoadFileInfo(ShowProgress, &view);
}
