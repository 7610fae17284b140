/* targa.h: reads a run-length encoded true-colour Targa image (the font
 * sheet) into a new 32-bit software surface. */
#ifndef TOMO_TARGA_H
#define TOMO_TARGA_H

#include <SDL.h>

/* NULL after one message on stderr; the caller owns the surface. */
SDL_Surface *LoadTargaImage(const char *filename);

#endif
