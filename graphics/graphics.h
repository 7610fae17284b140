/* graphics.h: pixel access, the sprite blit, the bitmap font and the
 * screen chrome. Drawing never presents; whoever ends a frame does. */
#ifndef TOMO_GRAPHICS_H
#define TOMO_GRAPHICS_H

#include <SDL.h>

#include "glyphs.h"

Uint32 getpixel(SDL_Surface *surface, int x, int y);
void putpixel(SDL_Surface *surface, int x, int y, Uint32 pixel);
void drawSprite(SDL_Surface *imageSurface, SDL_Surface *screenSurface,
                int srcX, int srcY, int dstX, int dstY, int width, int height);

void tomo_write(SDL_Surface *pFont, SDL_Surface *screen, const char *str,
                int x, int y, int count);
/* tomo_write of count font cells (TextToCells) rather than bytes: the same
 * grid, a cell below the sheet's first row taken from its own row. */
void tomo_write_cells(SDL_Surface *pFont, SDL_Surface *screen, const FontCell *cells,
                      int x, int y, int count);
/* The cells that the sheet holds whole, for TextToCells: the first row
 * always, the rows below on a sheet a whole row of cells wide. */
int SheetCells(SDL_Surface *pFont);
/* Replaces an opaque font sheet by a copy in the screen's pixel format,
 * which draws the same pixels without a conversion per glyph: on the
 * 16-bit screen each glyph is then a copy of its rows (pixel.cpp). */
void FontForScreen(SDL_Surface **pFont, SDL_Surface *screen);

void clear_screen(SDL_Surface *screen);
void UpdateStatus(SDL_Surface *pFont, SDL_Surface *screen, const char *str);
/* UpdateStatus(str) on a band that shows UpdateStatus(shown), redrawing
 * only the cells that change. */
void UpdateStatusChange(SDL_Surface *pFont, SDL_Surface *screen,
                        const char *shown, const char *str);
void HighlightRowOne(SDL_Surface *screen);

#endif
