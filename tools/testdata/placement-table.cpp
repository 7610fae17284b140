/* glyphtable.cpp: which cell of the font sheet holds which letter
 * below its first row, as runs of consecutive code points in
 * consecutive cells, ascending. Written by tools/mkfont in the run
 * that makes simplefont.tga from the same font; not edited by hand. */
#include "glyphs.h"

const GlyphRun glyph_runs[] = {
    { 0x0104, 0x0104, 256 },
    { 0x0141, 0x0141, 257 },
    { 0xFFFD, 0xFFFD, 258 },
};

const int glyph_run_count = 3;
