/* glyphs.h: the font cells a row of text is drawn with. No SDL here: it is
 * built into the core library and tested without a screen. */
#ifndef TOMO_GLYPHS_H
#define TOMO_GLYPHS_H

/* A cell of the font sheet, FONT_CELLS to a row: cell k has its top-left
 * pixel at sheet column GLYPH_W * (k % FONT_CELLS), row GLYPH_H * (k /
 * FONT_CELLS). The first row holds one cell per byte value, as Latin-1. */
typedef unsigned short FontCell;

/* Consecutive code points whose glyphs stand in consecutive cells below
 * the sheet's first row: first in cell `cell`, last in cell `cell + last -
 * first`. */
typedef struct glyphRun {
    long first;
    long last;
    int cell;
} GlyphRun;

/* Written by tools/mkfont with the sheet (glyphtable.cpp): ascending, no
 * two runs overlapping. */
extern const GlyphRun glyph_runs[];
extern const int glyph_run_count;

/* The cell below the sheet's first row that holds the glyph of code point
 * cp, 0 when the table has none. */
int CodePointCell(long cp);

/* The cells that draw at most count bytes of str, up to its first NUL, from
 * a sheet that holds sheet_cells cells (FONT_CELLS for one of a single
 * row), into cells (room for count cells). A valid UTF-8 sequence of two
 * to four bytes becomes the cell of its letter where the sheet has it,
 * else its Latin-1 cell, a look-alike of up to as many cells as it has
 * bytes, no cell (the byte-order mark and other invisible characters) or
 * the placeholder. A byte 0x80..0x9F that is part of no sequence draws the
 * Windows-1252 character of that byte where the sheet has it; every other
 * byte is its own cell, as in a Latin-1 text. Returns the number of cells:
 * never more than the bytes read, none 0. */
int TextToCells(const char *str, int count, FontCell *cells, int sheet_cells);

/* The letter at s, of which n bytes (n >= 1) may be read, as a row cut by
 * columns sees it: returns its length in bytes (that of a valid UTF-8
 * sequence, else 1) and sets *cells to the columns TextToCells gives it
 * after a letter, drawn from the sheet that ships with the program: 0 for
 * what draws nothing (a combining mark, an invisible character), else the
 * cells of its glyph or look-alike. */
int LetterAt(const char *s, int n, int *cells);

#endif
