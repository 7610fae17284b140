/* pixel.cpp: single-pixel reads and writes in a surface's own format, and
 * the rectangle blit that every glyph goes through. Nothing here locks. */
#include "graphics.h"

static Uint8 *pixel_address(SDL_Surface *surface, int x, int y)
{
    return (Uint8 *)surface->pixels + y * surface->pitch
           + x * surface->format->BytesPerPixel;
}

Uint32 getpixel(SDL_Surface *surface, int x, int y)
{
    Uint8 *p = pixel_address(surface, x, y);

    switch (surface->format->BytesPerPixel) {
    case 1:
        return *p;
    case 2:
        return *(Uint16 *)p;
    case 3:
#if SDL_BYTEORDER == SDL_BIG_ENDIAN
        return (Uint32)p[0] << 16 | (Uint32)p[1] << 8 | p[2];
#else
        return p[0] | (Uint32)p[1] << 8 | (Uint32)p[2] << 16;
#endif
    case 4:
        return *(Uint32 *)p;
    default:
        return 0;
    }
}

void putpixel(SDL_Surface *surface, int x, int y, Uint32 pixel)
{
    Uint8 *p = pixel_address(surface, x, y);

    switch (surface->format->BytesPerPixel) {
    case 1:
        *p = (Uint8)pixel;
        break;
    case 2:
        *(Uint16 *)p = (Uint16)pixel;
        break;
    case 3:
#if SDL_BYTEORDER == SDL_BIG_ENDIAN
        p[0] = (Uint8)(pixel >> 16);
        p[1] = (Uint8)(pixel >> 8);
        p[2] = (Uint8)pixel;
#else
        p[0] = (Uint8)pixel;
        p[1] = (Uint8)(pixel >> 8);
        p[2] = (Uint8)(pixel >> 16);
#endif
        break;
    case 4:
        *(Uint32 *)p = pixel;
        break;
    default:
        break;
    }
}

/* SDL clips both rectangles and refuses a null or locked surface, so a
 * missing font sheet or an off-screen cell simply draws nothing. */
void drawSprite(SDL_Surface *imageSurface, SDL_Surface *screenSurface,
                int srcX, int srcY, int dstX, int dstY, int width, int height)
{
    SDL_Rect srcRect;
    SDL_Rect dstRect;

    srcRect.x = (Sint16)srcX;
    srcRect.y = (Sint16)srcY;
    srcRect.w = (Uint16)width;
    srcRect.h = (Uint16)height;
    dstRect.x = (Sint16)dstX;
    dstRect.y = (Sint16)dstY;
    dstRect.w = (Uint16)width;
    dstRect.h = (Uint16)height;
    SDL_UpperBlit(imageSurface, &srcRect, screenSurface, &dstRect);
}
