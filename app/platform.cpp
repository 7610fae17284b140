/* platform.cpp: SDL's video, events and timers for the program: the window
 * driver, the window's scale and the presents, the event queue, the timers
 * and the drawing lock. On a software screen SDL_Flip is
 * SDL_UpdateRect of the whole screen, so presenting a part shows the same
 * pixels wherever nothing else changed since the last present. Only the
 * screen opened here is presented (the tests draw on surfaces of their
 * own). */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "app.h"
#include "platform.h"

enum {
    EVENT_POLL_MS = 10       /* SDL_WaitEvent's own polling period */
};

static SDL_Surface *screen_opened;  /* what OpenScreen returned, or NULL */
static SDL_Surface *window;         /* the video surface; the screen itself at scale 1 */
static int window_scale = 1;        /* window pixels per screen pixel, each way */

/* The progress clock; under draw_lock like every present. */
static Uint32 progress_since_ms;   /* SDL_GetTicks of the start or the last present */

typedef struct windowSystem {
    const char *driver;      /* SDL_VIDEODRIVER value */
    const char *display;     /* the variable that names its display */
} WindowSystem;

static const WindowSystem window_systems[] = {
    { "x11", "DISPLAY" },
    { "wayland", "WAYLAND_DISPLAY" }
};

/* Left to itself SDL 1.2 falls back to drawing on the terminal (aalib,
 * caca, the frame buffer) or nowhere (an off-screen driver) when no window
 * can be opened. The first failure is the one reported: the usual display
 * comes first. */
int StartWindowVideo(void)
{
    char reason[256];
    int i;
    int ok;

    if (getenv("SDL_VIDEODRIVER") != NULL)
        return SDL_InitSubSystem(SDL_INIT_VIDEO);
    reason[0] = '\0';
    for (i = 0; i < (int)(sizeof window_systems / sizeof window_systems[0]); i++) {
        const char *name = getenv(window_systems[i].display);
        if (name == NULL)
            continue;
        setenv("SDL_VIDEODRIVER", window_systems[i].driver, 1);
        ok = SDL_InitSubSystem(SDL_INIT_VIDEO) == 0;
        unsetenv("SDL_VIDEODRIVER");
        if (ok)
            return 0;
        if (reason[0] == '\0')
            snprintf(reason, sizeof reason, "%s %s: %s", window_systems[i].display, name,
                     SDL_GetError());
    }
    SDL_SetError("%s", reason[0] != '\0' ? reason : "no display is named (DISPLAY)");
    return -1;
}

void IgnorePointerMotion(void)
{
    SDL_EventState(SDL_MOUSEMOTION, SDL_IGNORE);
}

int WindowScale(int display_w, int display_h, const char *setting)
{
    char *end;
    long n;
    int scale;

    if (setting != NULL) {
        n = strtol(setting, &end, 10);
        if (end != setting && *end == '\0' && n >= 1 && n <= MAX_WINDOW_SCALE)
            return (int)n;
    }
    if (display_h <= 0)
        return 1;
    scale = display_h * 3 / 4 / SCREEN_H;
    if (display_w > 0 && scale > display_w / SCREEN_W)
        scale = display_w / SCREEN_W;
    if (scale > MAX_WINDOW_SCALE)
        scale = MAX_WINDOW_SCALE;
    return scale < 1 ? 1 : scale;
}

/* A screen that cannot be made at the scale asked for is opened at 1. */
SDL_Surface *OpenScreen(int scale)
{
    SDL_Surface *video;
    const SDL_PixelFormat *f;

    screen_opened = NULL;
    window = NULL;
    window_scale = 1;
    if (scale > 1) {
        video = SDL_SetVideoMode(SCREEN_W * scale, SCREEN_H * scale, SCREEN_BPP, 0);
        f = video != NULL ? video->format : NULL;
        if (f != NULL && f->BytesPerPixel == 2)
            screen_opened = SDL_CreateRGBSurface(SDL_SWSURFACE, SCREEN_W, SCREEN_H, SCREEN_BPP,
                                                 f->Rmask, f->Gmask, f->Bmask, f->Amask);
        if (screen_opened != NULL) {
            window = video;
            window_scale = scale;
            return screen_opened;
        }
    }
    window = SDL_SetVideoMode(SCREEN_W, SCREEN_H, SCREEN_BPP, 0);
    screen_opened = window;
    return screen_opened;
}

void CloseScreen(void)
{
    if (screen_opened != NULL && screen_opened != window)
        SDL_FreeSurface(screen_opened);
    screen_opened = NULL;
    window = NULL;
    window_scale = 1;
}

/* Screen rows top..top+rows-1 into the window, each pixel a scale x scale
 * block: a window row made pixel by pixel, then copied scale - 1 times. */
static void ScaleRows(int top, int rows)
{
    int s = window_scale;
    int y;
    int x;
    int k;

    if (SDL_MUSTLOCK(window) && SDL_LockSurface(window) < 0)
        return;
    for (y = top; y < top + rows; y++) {
        const Uint16 *from = (const Uint16 *)((const Uint8 *)screen_opened->pixels
                                              + y * screen_opened->pitch);
        Uint8 *first = (Uint8 *)window->pixels + y * s * window->pitch;
        Uint16 *to = (Uint16 *)first;
        for (x = 0; x < SCREEN_W; x++) {
            for (k = 0; k < s; k++)
                *to++ = from[x];
        }
        for (k = 1; k < s; k++)
            memcpy(first + k * window->pitch, first, (size_t)SCREEN_W * s * 2);
    }
    if (SDL_MUSTLOCK(window))
        SDL_UnlockSurface(window);
}

static int IsOpened(SDL_Surface *screen)
{
    return screen != NULL && screen == screen_opened;
}

void PresentScreen(SDL_Surface *screen)
{
    if (!IsOpened(screen))
        return;
    if (window_scale > 1)
        ScaleRows(0, SCREEN_H);
    SDL_Flip(window);
}

void PresentStatusBand(SDL_Surface *screen)
{
    int s = window_scale;

    if (!IsOpened(screen))
        return;
    if (s > 1)
        ScaleRows(STATUS_TOP, SCREEN_H - STATUS_TOP);
    SDL_UpdateRect(window, 0, STATUS_TOP * s, SCREEN_W * s, (SCREEN_H - STATUS_TOP) * s);
}

void BeginProgress(void)
{
    progress_since_ms = SDL_GetTicks();
}

/* A message shown for less than a display frame is never seen, and each
 * present is a copy to the display: a fast job presents nothing, and a
 * slow one its status band once a frame. */
void PresentProgress(SDL_Surface *screen)
{
    Uint32 now = SDL_GetTicks();

    if (now - progress_since_ms < DISPLAY_FRAME_MS)
        return;
    PresentStatusBand(screen);
    progress_since_ms = now;
}

int CreateDrawLock(void)
{
    draw_lock = SDL_CreateMutex();
    return draw_lock != NULL ? 0 : -1;
}

void DestroyDrawLock(void)
{
    SDL_DestroyMutex(draw_lock);
    draw_lock = NULL;
}

void LockDrawing(void)
{
    SDL_mutexP(draw_lock);
}

void UnlockDrawing(void)
{
    SDL_mutexV(draw_lock);
}

/* A press the auto-repeat tick posted for a button that is no longer
 * held: the tick read the button just before a release or another press
 * was handled, and posted after that event's drain. */
static int IsStaleRepeat(const SDL_Event *e)
{
    return e->type == SDL_JOYBUTTONDOWN && e->jbutton.which == POSTED_REPEAT_JOYSTICK
           && e->jbutton.button != repeat_button_pressed;
}

/* Xlib is not thread-safe, and the status tick presents from the timer
 * thread: the window system is read under the drawing lock. A failing
 * queue is polled again, never read stale. A repeat that outlived its
 * button is dropped here, without a frame, like those a drain drops. */
void WaitForEvent(SDL_Event *event)
{
    int n;

    for (;;) {
        LockDrawing();
        SDL_PumpEvents();
        n = SDL_PeepEvents(event, 1, SDL_GETEVENT, SDL_ALLEVENTS);
        UnlockDrawing();
        if (n == 1 && !IsStaleRepeat(event))
            return;
        if (n != 1)
            SDL_Delay(EVENT_POLL_MS);
    }
}

void SkipQueuedEvent(void)
{
    SDL_Event event;

    SDL_PollEvent(&event);
}

/* SDL 1.2 cannot take some events off its queue and leave the others, so
 * the whole queue is taken and all but the posted repeats are put back,
 * in their order, at its end. A press the tick posts meanwhile lands
 * ahead of them; its button is no longer held, so WaitForEvent drops it. */
int DrainEvents(void)
{
    SDL_Event queued[EVENT_QUEUE_SIZE];
    int n = SDL_PeepEvents(queued, EVENT_QUEUE_SIZE, SDL_GETEVENT, SDL_ALLEVENTS);
    int kept = 0;
    int quit_seen = 0;
    int i;

    for (i = 0; i < n; i++) {
        if (queued[i].type == SDL_QUIT)
            quit_seen = 1;
        if (queued[i].type == SDL_JOYBUTTONDOWN
            && queued[i].jbutton.which == POSTED_REPEAT_JOYSTICK)
            continue;
        queued[kept++] = queued[i];
    }
    if (kept > 0)
        SDL_PeepEvents(queued, kept, SDL_ADDEVENT, 0);
    if (quit_seen)
        quit_requested = 1;
    return quit_seen;
}

/* SDL makes SDL_PushEvent safe from another thread; a press that cannot
 * be queued is lost, and the next one follows a period later. */
void PostButtonPress(int button)
{
    SDL_Event e;

    memset(&e, 0, sizeof e);
    e.type = SDL_JOYBUTTONDOWN;
    e.jbutton.which = POSTED_REPEAT_JOYSTICK;
    e.jbutton.button = (Uint8)(button & 0xFF);
    e.jbutton.state = SDL_PRESSED;
    SDL_PushEvent(&e);
}

void StartTimers(TimerInfo *info)
{
    theTimer = SDL_AddTimer(STATUS_PERIOD_MS, timerfunc, info);
    buttonRepeatTimer = SDL_AddTimer(REPEAT_PERIOD_MS, buttonRepeatTimerfunc, NULL);
}

/* SDL 1.2 does not wait for a tick that is already running when a timer is
 * removed: the caller marks the shut-down under the lock first. */
void StopTimers(void)
{
    if (theTimer != NULL)
        SDL_RemoveTimer(theTimer);
    if (buttonRepeatTimer != NULL)
        SDL_RemoveTimer(buttonRepeatTimer);
    theTimer = NULL;
    buttonRepeatTimer = NULL;
}
