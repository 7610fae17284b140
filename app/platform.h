/* platform.h: where the program meets SDL's video, events and timers:
 * starting the video, the window and the presents, the wait for the next
 * event and the drain of the queue, the posted repeat, the two timers and
 * the drawing lock. The rest of the program asks for these by name and
 * never calls SDL's event, timer or present functions itself. Every
 * present is made by whoever holds the drawing lock: the frame step, the
 * measuring pass's progress and the status tick. */
#ifndef TOMO_PLATFORM_H
#define TOMO_PLATFORM_H

#include <SDL.h>

#include "tomo.h"

/* SDL's video in a window, never on a terminal: with SDL_VIDEODRIVER set,
 * the driver it names; otherwise only the window systems whose display is
 * named (DISPLAY, WAYLAND_DISPLAY), in turn. 0, or -1 with SDL_GetError
 * saying why. */
int StartWindowVideo(void);

/* The pointer's moves are not queued: the program only reads its wheel,
 * and each move would cost a frame. */
void IgnorePointerMotion(void);

/* The window scale for a display of display_w x display_h pixels (0 when
 * unknown) and the TOMO_SCALE setting (NULL when unset): the setting when
 * it is a whole number from 1 to MAX_WINDOW_SCALE, else the largest scale
 * at which the window takes at most three quarters of the display's height
 * and fits its width, at least 1. */
int WindowScale(int display_w, int display_h, const char *setting);

/* The SCREEN_W x SCREEN_H screen that all drawing goes to, in a window
 * scale times its size. At scale 1 it is the video surface itself; larger,
 * a software surface of the same format that every present scales into the
 * window, each pixel an exact scale x scale block. NULL when no video mode
 * could be set (SDL_GetError says why). */
SDL_Surface *OpenScreen(int scale);
/* Frees what OpenScreen made beyond the video surface, before SDL_Quit. */
void CloseScreen(void);

/* The whole screen: the end of every frame. */
void PresentScreen(SDL_Surface *screen);
/* The status band alone: the status tick draws nothing else. */
void PresentStatusBand(SDL_Surface *screen);

/* A long job's progress at the pace of the display. BeginProgress starts
 * the clock; PresentProgress then presents the status band, but only once
 * a display frame has passed since the start or since its last present.
 * Whatever was drawn meanwhile reaches the display with the next present,
 * at the latest with the frame's own: until then the display keeps the
 * frame before the job above the band. */
void BeginProgress(void);
void PresentProgress(SDL_Surface *screen);

/* The drawing lock (draw_lock): one frame or one status tick at a time.
 * CreateDrawLock returns 0, or -1 with SDL_GetError saying why. */
int CreateDrawLock(void);
void DestroyDrawLock(void);
void LockDrawing(void);
void UnlockDrawing(void);

/* Blocks until the next event, as SDL_WaitEvent does, but reads the window
 * system under the drawing lock, and passes over a posted repeat of a
 * button that is no longer held (repeat_button_pressed). */
void WaitForEvent(SDL_Event *event);
/* Drops the event that is first in the queue, if any. */
void SkipQueuedEvent(void);
/* Drops the queued presses that PostButtonPress posted; every other event
 * stays queued, in its order. Returns 1 (and sets quit_requested) when a
 * window-close request is among them. */
int DrainEvents(void);
/* Queues a press of a joystick button, as the button itself would, marked
 * as posted (jbutton.which is POSTED_REPEAT_JOYSTICK). */
void PostButtonPress(int button);

/* The status tick and the auto-repeat tick on SDL's timer thread; a timer
 * that cannot be added is left out. StopTimers removes those that run. */
void StartTimers(TimerInfo *info);
void StopTimers(void);

#endif
