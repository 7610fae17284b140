/* platform.cpp: the program's presents. On a software screen SDL_Flip is
 * SDL_UpdateRect of the whole screen, so presenting a part shows the same
 * pixels wherever nothing else changed since the last present. A surface
 * that is not the display (the tests draw on their own) is not presented. */
#include "platform.h"
#include "tomo.h"

/* The progress clock; under draw_lock like every present. */
static Uint32 progress_since_ms;   /* SDL_GetTicks of the start or the last present */
static int progress_presented;     /* 1 once the job's whole screen was presented */

static int IsDisplay(SDL_Surface *screen)
{
    return screen != NULL && screen == SDL_GetVideoSurface();
}

void PresentScreen(SDL_Surface *screen)
{
    if (IsDisplay(screen))
        SDL_Flip(screen);
}

void PresentStatusBand(SDL_Surface *screen)
{
    if (IsDisplay(screen))
        SDL_UpdateRect(screen, 0, STATUS_TOP, SCREEN_W, SCREEN_H - STATUS_TOP);
}

void BeginProgress(void)
{
    progress_since_ms = SDL_GetTicks();
    progress_presented = 0;
}

/* A message shown for less than a display frame is never seen, and each
 * present may copy a whole frame to the display: a fast job presents
 * nothing, and a slow one once a frame. */
void PresentProgress(SDL_Surface *screen)
{
    Uint32 now = SDL_GetTicks();

    if (now - progress_since_ms < DISPLAY_FRAME_MS)
        return;
    if (progress_presented)
        PresentStatusBand(screen);
    else
        PresentScreen(screen);
    progress_presented = 1;
    progress_since_ms = now;
}
