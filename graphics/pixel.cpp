/* pixel.cpp: single-pixel reads and writes in a surface's own format, and
 * the rectangle blit that every glyph goes through. Nothing here locks. */
#include <string.h>

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

/* SDL_UpperBlit's clipping along one axis: the source run to the image,
 * then the destination run to the screen's clip rectangle. Returns the
 * length left, 0 or less for nothing. */
static int ClipRun(int *src, int *dst, int len, int src_size, int clip_from, int clip_len)
{
    if (*src < 0) {
        len += *src;
        *dst -= *src;
        *src = 0;
    }
    if (len > src_size - *src)
        len = src_size - *src;
    if (*dst < clip_from) {
        len -= clip_from - *dst;
        *src += clip_from - *dst;
        *dst = clip_from;
    }
    if (len > clip_from + clip_len - *dst)
        len = clip_from + clip_len - *dst;
    return len;
}

/* SDL's blit is a plain copy of the rows when both surfaces hold 16-bit
 * pixels of one format and the image has no colour key or alpha to apply.
 * Nothing must be locked for the pixels to be touched directly. */
static int SameFormat16(SDL_Surface *image, SDL_Surface *screen)
{
    const SDL_PixelFormat *a = image->format;
    const SDL_PixelFormat *b = screen->format;

    return a->BytesPerPixel == 2 && b->BytesPerPixel == 2 && a->Rmask == b->Rmask
           && a->Gmask == b->Gmask && a->Bmask == b->Bmask && a->Amask == b->Amask
           && (image->flags & (SDL_SRCCOLORKEY | SDL_SRCALPHA)) == 0
           && !SDL_MUSTLOCK(image) && !SDL_MUSTLOCK(screen);
}

/* That copy made here, with SDL_UpperBlit's clipping: a glyph is 13 rows
 * of 12 bytes, and SDL's way to them costs more than the copy itself (on
 * x86 its row copy uses non-temporal stores, which stall on rows so short;
 * SDL 2 underneath sdl12-compat adds its own blit set-up). */
static void CopyRows(SDL_Surface *image, SDL_Rect *src, SDL_Surface *screen, SDL_Rect *dst)
{
    const SDL_Rect *clip = &screen->clip_rect;
    int sx = src->x;
    int sy = src->y;
    int dx = dst->x;
    int dy = dst->y;
    int w = ClipRun(&sx, &dx, src->w, image->w, clip->x, clip->w);
    int h = ClipRun(&sy, &dy, src->h, image->h, clip->y, clip->h);
    const Uint8 *from;
    Uint8 *to;
    int y;

    if (w <= 0 || h <= 0)
        return;
    from = (const Uint8 *)image->pixels + sy * image->pitch + sx * 2;
    to = (Uint8 *)screen->pixels + dy * screen->pitch + dx * 2;
    for (y = 0; y < h; y++, from += image->pitch, to += screen->pitch)
        memcpy(to, from, (size_t)w * 2);
}

/* A missing surface (no font sheet) or an empty rectangle draws nothing;
 * an off-screen cell is clipped away. Neither surface may be locked, which
 * the program's callers keep: they release their locks before any text. */
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
    if (imageSurface == NULL || screenSurface == NULL || srcRect.w == 0 || srcRect.h == 0)
        return;
    if (SameFormat16(imageSurface, screenSurface)) {
        CopyRows(imageSurface, &srcRect, screenSurface, &dstRect);
        return;
    }
    SDL_UpperBlit(imageSurface, &srcRect, screenSurface, &dstRect);
}
