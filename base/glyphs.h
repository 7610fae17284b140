/* glyphs.h: the font cells a row of text is drawn with. No SDL here: it is
 * built into the core library and tested without a screen. */
#ifndef TOMO_GLYPHS_H
#define TOMO_GLYPHS_H

/* The cells that draw at most count bytes of str, up to its first NUL, into
 * cells (room for count bytes). A valid UTF-8 sequence of two to four bytes
 * becomes its Latin-1 cell, a look-alike of up to as many cells as it has
 * bytes, no cell (the byte-order mark and other invisible characters) or
 * PLACEHOLDER_CELL; every other byte is its own cell, as in a Latin-1 text.
 * Returns the number of cells: never more than the bytes read, none NUL. */
int TextToCells(const char *str, int count, char *cells);

/* The letter at s, of which n bytes (n >= 1) may be read, as a row cut by
 * columns sees it: returns its length in bytes (that of a valid UTF-8
 * sequence, else 1) and sets *cells to the columns TextToCells gives it
 * after a letter: 0 for what draws nothing (a combining mark, an invisible
 * character), else the cells of its glyph or look-alike. */
int LetterAt(const char *s, int n, int *cells);

#endif
