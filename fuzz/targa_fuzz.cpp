// targa_fuzz.cpp: the font sheet loader on arbitrary file bytes. A surface
// that comes back must have the size the header asked for; everything else
// (reads, stores, the surface's bounds) is watched by the sanitizers.
#include <SDL.h>

#include "fuzzcheck.h"
#include "targa.h"
#include "testutil.h"
#include "tomo.h"

enum { MAX_FUZZ_PIXELS = 1 << 22 };  // larger sheets only make runs slow

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    static const std::string path = testutil::Scratch() / "sheet.tga";
    long width = -1;
    long height = -1;

    if (size >= TGA_HEADER_SIZE) {
        width = data[TGA_WIDTH] | data[TGA_WIDTH + 1] << 8;
        height = data[TGA_HEIGHT] | data[TGA_HEIGHT + 1] << 8;
        // widths past a surface row are refused before any allocation
        if (width <= TGA_MAX_WIDTH && width * height > MAX_FUZZ_PIXELS) return -1;
    }
    FUZZ_CHECK(testutil::WriteFile(path, std::string(reinterpret_cast<const char *>(data), size)));
    SDL_Surface *s = LoadTargaImage(path.c_str());
    if (s == nullptr) return 0;
    FUZZ_CHECK(size >= TGA_HEADER_SIZE);
    FUZZ_CHECK(data[TGA_CMAP_TYPE] == 0 && data[TGA_IMAGE_TYPE] == TGA_RLE_TRUECOLOR);
    FUZZ_CHECK(data[TGA_DEPTH] == 24 || data[TGA_DEPTH] == 32);
    FUZZ_CHECK(width <= TGA_MAX_WIDTH);
    FUZZ_CHECK(s->w == width && s->h == height && s->format->BytesPerPixel == 4);
    SDL_FreeSurface(s);
    return 0;
}
