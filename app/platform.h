/* platform.h: where the program meets SDL's display: starting its video,
 * the window and the presents. Every present of the program goes through
 * here, made by whoever holds draw_lock: the frame step, the measuring
 * pass's progress and the status tick. */
#ifndef TOMO_PLATFORM_H
#define TOMO_PLATFORM_H

#include <SDL.h>

/* SDL's video in a window, never on a terminal: with SDL_VIDEODRIVER set,
 * the driver it names; otherwise only the window systems whose display is
 * named (DISPLAY, WAYLAND_DISPLAY), in turn. 0, or -1 with SDL_GetError
 * saying why. */
int StartWindowVideo(void);

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

#endif
