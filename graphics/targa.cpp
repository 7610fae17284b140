/* targa.cpp: loads the font sheet, a run-length encoded true-colour Targa
 * image of 24 or 32 bits, into a 32-bit software surface whose bytes are
 * red, green, blue, alpha in memory. Every other kind of file is refused
 * with one message on stderr. */
#include <fcntl.h>
#include <limits.h>
#include <stdio.h>

#include "files.h"
#include "targa.h"
#include "tomo.h"

/* Where the decoder stands: the next pixel to store and how many remain. */
typedef struct targaCursor {
    SDL_Surface *surface;
    int width;
    int depth;
    int origin;
    int x;
    int y;
    Uint32 n;
    Uint8 *pixel;
} TargaCursor;

static Uint8 *row_start(SDL_Surface *surface, int y)
{
    return (Uint8 *)surface->pixels + y * surface->pitch;
}

/* The file holds blue, green, red[, alpha]; the surface wants red first.
 * A 24-bit image is opaque. */
static void store_pixel(TargaCursor *cur, const Uint8 *targa_pixel)
{
    cur->pixel[0] = targa_pixel[2];
    cur->pixel[1] = targa_pixel[1];
    cur->pixel[2] = targa_pixel[0];
    cur->pixel[3] = cur->depth == 32 ? targa_pixel[3] : 0xFF;
    cur->n--;
    cur->x++;
    if (cur->x < cur->width) {
        cur->pixel += 4;
        return;
    }
    cur->x = 0;
    cur->y += cur->origin == TGA_ORIGIN_TOP ? 1 : -1;
    /* After the last pixel y has left the surface; no address is made. */
    if (cur->n != 0)
        cur->pixel = row_start(cur->surface, cur->y);
}

/* Reads one packet and stores its pixels. Returns 0 at the end of the
 * file; a pixel value cut short by it is never stored. */
static int decode_packet(FILE *f, TargaCursor *cur, int bytes_per_pixel)
{
    Uint8 targa_pixel[4];
    int b;
    int count;
    int i;

    b = getc(f);
    if (b == EOF)
        return 0;
    count = (b & TGA_PACKET_COUNT) + 1;
    if (b & TGA_RUN_PACKET) {
        if (fread(targa_pixel, 1, bytes_per_pixel, f) != (size_t)bytes_per_pixel)
            return 0;
        for (i = 0; i < count && cur->n != 0; i++)
            store_pixel(cur, targa_pixel);
        return 1;
    }
    for (i = 0; i < count && cur->n != 0; i++) {
        if (fread(targa_pixel, 1, bytes_per_pixel, f) != (size_t)bytes_per_pixel)
            return 0;
        store_pixel(cur, targa_pixel);
    }
    return 1;
}

/* Applies the header checks in order; on the first failure closes the file,
 * says why and returns 0. */
static int header_acceptable(FILE *f, const Uint8 *targaHeader)
{
    int origin = targaHeader[TGA_DESCRIPTOR] & TGA_ORIGIN_MASK;
    int depth = targaHeader[TGA_DEPTH];

    if (targaHeader[TGA_CMAP_TYPE] != 0) {
        fclose(f);
        fprintf(stderr, "LoadTargaImage: unsupported colormap type (%d)",
                targaHeader[TGA_CMAP_TYPE]);
        return 0;
    }
    if (targaHeader[TGA_IMAGE_TYPE] != TGA_RLE_TRUECOLOR) {
        fclose(f);
        fprintf(stderr, "LoadTargaImage: unsupported image type (%d)",
                targaHeader[TGA_IMAGE_TYPE]);
        return 0;
    }
    if (origin != TGA_ORIGIN_BOTTOM && origin != TGA_ORIGIN_TOP) {
        fclose(f);
        fprintf(stderr, "LoadTargaImage: unsupported image origin");
        return 0;
    }
    if (depth != 24 && depth != 32) {
        fclose(f);
        fprintf(stderr, "LoadTargaImage: unsupported image depth (%d)\n", depth);
        return 0;
    }
    return 1;
}

/* SDL 1.2 does not notice when a row overflows its 16-bit pitch and would
 * hand back a surface too small for the image; it also sizes the pixels as
 * height times pitch in an int, which overflows past 2 GiB. Such sizes are
 * turned away here as a failed surface. */
static SDL_Surface *create_surface(int width, int height, int depth)
{
    if (width > TGA_MAX_WIDTH) {
        SDL_SetError("image too wide for a surface row");
        return NULL;
    }
    if (height != 0 && width * 4 > INT_MAX / height) {
        SDL_SetError("image too large for a surface");
        return NULL;
    }
    return SDL_CreateRGBSurface(0, width, height, 32, 0x000000FF, 0x0000FF00,
                                0x00FF0000, depth == 32 ? 0xFF000000 : 0);
}

SDL_Surface *LoadTargaImage(const char *filename)
{
    Uint8 targaHeader[TGA_HEADER_SIZE];
    FILE *f;
    SDL_Surface *surface;
    struct stat st;
    TargaCursor cur;
    int width;
    int height;
    int bytes_per_pixel;

    f = OpenRegularFile(filename, O_RDONLY, "rb", &st);
    if (f == NULL) {
        fprintf(stderr, "LoadTargaImage: could not open file %s\n", filename);
        return NULL;
    }
    if (fread(targaHeader, 1, TGA_HEADER_SIZE, f) != TGA_HEADER_SIZE) {
        fclose(f);
        fprintf(stderr, "LoadTargaImage: could not read the header of %s\n", filename);
        return NULL;
    }
    if (!header_acceptable(f, targaHeader))
        return NULL;

    width = targaHeader[TGA_WIDTH] | targaHeader[TGA_WIDTH + 1] << 8;
    height = targaHeader[TGA_HEIGHT] | targaHeader[TGA_HEIGHT + 1] << 8;
    cur.depth = targaHeader[TGA_DEPTH];
    cur.origin = targaHeader[TGA_DESCRIPTOR] & TGA_ORIGIN_MASK;
    surface = create_surface(width, height, cur.depth);
    if (surface == NULL) {
        fclose(f);
        fprintf(stderr, "LoadTargaImage: failed to create image surface: %s\n",
                SDL_GetError());
        return NULL;
    }
    fseek(f, targaHeader[TGA_ID_LENGTH], SEEK_CUR);

    cur.surface = surface;
    cur.width = width;
    cur.x = 0;
    cur.y = cur.origin == TGA_ORIGIN_TOP ? 0 : height - 1;
    cur.n = (Uint32)width * (Uint32)height;
    cur.pixel = cur.n != 0 ? row_start(surface, cur.y) : NULL;
    bytes_per_pixel = cur.depth == 32 ? 4 : 3;
    /* A file cut short keeps what was decoded; the rest stays zero. */
    while (cur.n != 0) {
        if (!decode_packet(f, &cur, bytes_per_pixel))
            break;
    }
    fclose(f);
    return surface;
}
