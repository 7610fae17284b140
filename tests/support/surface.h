// surface.h: SDL surfaces for drawing tests, fuzzers and the screen
// reader, made without a video mode.
#ifndef TOMO_TEST_SURFACE_H
#define TOMO_TEST_SURFACE_H

#include <SDL.h>

namespace testutil {

// A software surface in the screen's RGB 5-6-5 format, 320 x 240 unless said.
inline SDL_Surface *MakeScreen16(int w = 320, int h = 240) {
    return SDL_CreateRGBSurface(0, w, h, 16, 0xF800, 0x07E0, 0x001F, 0);
}

inline Uint16 &Pixel16(SDL_Surface *s, int x, int y) {
    return *reinterpret_cast<Uint16 *>(static_cast<Uint8 *>(s->pixels) + y * s->pitch + x * 2);
}

// Owns a surface for the length of a test.
struct SurfaceHolder {
    SDL_Surface *s;
    explicit SurfaceHolder(SDL_Surface *surface) : s(surface) {}
    ~SurfaceHolder() { if (s) SDL_FreeSurface(s); }
    SurfaceHolder(const SurfaceHolder &) = delete;
    SurfaceHolder &operator=(const SurfaceHolder &) = delete;
    SDL_Surface *get() const { return s; }
};

// A copy of a surface as it is now.
inline SDL_Surface *Copy(SDL_Surface *s) { return SDL_ConvertSurface(s, s->format, SDL_SWSURFACE); }

}  // namespace testutil

#endif
