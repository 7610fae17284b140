/* platform.h: where the program meets SDL's display. Every present of the
 * program goes through here, made by whoever holds draw_lock: the frame
 * step, the measuring pass's progress and the status tick. */
#ifndef TOMO_PLATFORM_H
#define TOMO_PLATFORM_H

#include <SDL.h>

/* The whole screen: the end of every frame. */
void PresentScreen(SDL_Surface *screen);
/* The status band alone: the status tick draws nothing else. */
void PresentStatusBand(SDL_Surface *screen);

/* A long job's progress at the pace of the display. BeginProgress starts
 * the clock; PresentProgress then presents nothing until a display frame
 * has passed since the start or since its last present, the whole screen
 * the first time (the job's frame was cleared) and the status band after
 * that. Whatever was drawn meanwhile reaches the display with the next
 * present, at the latest with the frame's own. */
void BeginProgress(void);
void PresentProgress(SDL_Surface *screen);

#endif
