/* blockread.h: the steps of reading a text through a LineReader's block
 * that both cuts take, the plain view's lines (linebreak.cpp) and the book
 * view's rows (bookcut.cpp). Only the viewer's cuts include it. */
#ifndef TOMO_BLOCKREAD_H
#define TOMO_BLOCKREAD_H

#include <string.h>

#include "viewer.h"

/* Keeps the bytes from pos on, moved to the front, and fills the rest of
 * the block from the file; sets at_end once the file has no more. */
void Refill(LineReader *r);
/* Makes offset the next byte to read: in the block when it holds it,
 * otherwise by seeking. */
void SeekTo(LineReader *r, int64_t offset);
/* Index of the next byte c at or after pos, or len when the block holds
 * none, kept in *cached between calls, so a long paragraph is searched
 * once rather than once per wrapped line. A cut that moves pos back over
 * a c it passed must forget *cached (-1). Both searches are called once
 * or more a line, so each cut has them inline. */
static inline int NextStop(LineReader *r, int *cached, char c)
{
    const char *hit;

    if (*cached < r->pos) {
        hit = (const char *)memchr(r->buf + r->pos, c, (size_t)(r->len - r->pos));
        *cached = hit ? (int)(hit - r->buf) : r->len;
    }
    return *cached;
}

/* Index of the last space of p[0..n), -1 for none. */
static inline int LastSpace(const char *p, int n)
{
    const char *hit = (const char *)memrchr(p, ' ', (size_t)n);

    return hit ? (int)(hit - p) : -1;
}

#endif
