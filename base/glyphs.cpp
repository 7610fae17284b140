/* glyphs.cpp: turns the bytes of a row into the font cells that draw it.
 * The font sheet's first row holds one cell per byte value, laid out as
 * Latin-1; the rows below hold the letters of other alphabets and the
 * symbols of the font, found through the table that tools/mkfont writes
 * with the sheet. A UTF-8 text draws each letter from its own cell, else
 * from its Latin-1 cell or a look-alike; a byte that is not part of a valid
 * UTF-8 sequence draws its own cell, or in 0x80..0x9F, where Latin-1 has
 * only control codes, the Windows-1252 character that Windows texts mean by
 * it. So ASCII and Latin-1 texts look as they always did, and a sheet of
 * one row draws as it always did. Only drawing goes through here: what is
 * cut, indexed and stored stays bytes. */
#include <string.h>

#include "glyphs.h"
#include "tomo.h"

enum {
    LATIN_EXT_FIRST = 0x100,
    LATIN_EXT_END = 0x250,
    C1_FIRST = 0x80,         /* Latin-1's control codes, Windows' punctuation */
    C1_END = 0xA0,
    REPLACEMENT_CHARACTER = 0xFFFD /* the font's placeholder glyph */
};

/* The characters that Windows-1252 puts in the bytes 0x80..0x9F; 0 for the
 * five it leaves undefined, which draw their own (blank) cells. */
static const long windows_1252[C1_END - C1_FIRST] = {
    /* 80 */ 0x20AC, 0, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    /* 88 */ 0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0, 0x017D, 0,
    /* 90 */ 0, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    /* 98 */ 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0, 0x017E, 0x0178
};

/* The letters of Latin Extended-A and B (U+0100..U+024F) as their base
 * letter, a Latin-1 letter that carries part of their marks, or two letters
 * for a ligature or digraph of two bytes; 0 where no Latin letter stands for
 * it (tone letters, ezh, wynn, schwa, ...). */
static const char *const latin_ext[LATIN_EXT_END - LATIN_EXT_FIRST] = {
    /* 0100 */ "A", "a", "A", "a", "A", "a", "C", "c",
    /* 0108 */ "C", "c", "C", "c", "C", "c", "D", "d",
    /* 0110 */ "D", "d", "E", "e", "E", "e", "E", "e",
    /* 0118 */ "E", "e", "E", "e", "G", "g", "G", "g",
    /* 0120 */ "G", "g", "G", "g", "H", "h", "H", "h",
    /* 0128 */ "I", "i", "I", "i", "I", "i", "I", "i",
    /* 0130 */ "I", "i", "IJ", "ij", "J", "j", "K", "k",
    /* 0138 */ "k", "L", "l", "L", "l", "L", "l", "L",
    /* 0140 */ "l", "L", "l", "N", "n", "N", "n", "N",
    /* 0148 */ "n", "'n", "N", "n", "O", "o", "O", "o",
    /* 0150 */ "O", "o", "OE", "oe", "R", "r", "R", "r",
    /* 0158 */ "R", "r", "S", "s", "S", "s", "S", "s",
    /* 0160 */ "S", "s", "T", "t", "T", "t", "T", "t",
    /* 0168 */ "U", "u", "U", "u", "U", "u", "U", "u",
    /* 0170 */ "U", "u", "U", "u", "W", "w", "Y", "y",
    /* 0178 */ "Y", "Z", "z", "Z", "z", "Z", "z", "s",
    /* 0180 */ "b", "B", "B", "b", 0, 0, "O", "C",
    /* 0188 */ "c", "D", "D", "D", "d", 0, "E", 0,
    /* 0190 */ "E", "F", "f", "G", 0, 0, "I", "I",
    /* 0198 */ "K", "k", "l", 0, 0, "N", "n", "O",
    /* 01A0 */ "O", "o", 0, 0, "P", "p", "R", 0,
    /* 01A8 */ 0, 0, 0, "t", "T", "t", "T", "U",
    /* 01B0 */ "u", 0, "V", "Y", "y", "Z", "z", 0,
    /* 01B8 */ 0, 0, 0, 0, 0, 0, 0, 0,
    /* 01C0 */ "|", 0, 0, "!", "DZ", "Dz", "dz", "LJ",
    /* 01C8 */ "Lj", "lj", "NJ", "Nj", "nj", "A", "a", "I",
    /* 01D0 */ "i", "O", "o", "U", "u", "\xDC", "\xFC", "\xDC",
    /* 01D8 */ "\xFC", "\xDC", "\xFC", "\xDC", "\xFC", 0, "\xC4", "\xE4",
    /* 01E0 */ "A", "a", "\xC6", "\xE6", "G", "g", "G", "g",
    /* 01E8 */ "K", "k", "O", "o", "O", "o", 0, 0,
    /* 01F0 */ "j", "DZ", "Dz", "dz", "G", "g", 0, 0,
    /* 01F8 */ "N", "n", "\xC5", "\xE5", "\xC6", "\xE6", "\xD8", "\xF8",
    /* 0200 */ "A", "a", "A", "a", "E", "e", "E", "e",
    /* 0208 */ "I", "i", "I", "i", "O", "o", "O", "o",
    /* 0210 */ "R", "r", "R", "r", "U", "u", "U", "u",
    /* 0218 */ "S", "s", "T", "t", 0, 0, "H", "h",
    /* 0220 */ "N", "d", 0, 0, "Z", "z", "A", "a",
    /* 0228 */ "E", "e", "\xD6", "\xF6", "\xD5", "\xF5", "O", "o",
    /* 0230 */ "O", "o", "Y", "y", "l", "n", "t", "j",
    /* 0238 */ 0, 0, "A", "C", "c", "L", "T", "s",
    /* 0240 */ "z", 0, 0, "B", "U", 0, "E", "e",
    /* 0248 */ "J", "j", "Q", "q", "R", "r", "Y", "y",
};

/* Latin-1 letters written as an ASCII letter and a combining mark, as
 * decomposed texts and file names have them. Other marks are dropped. */
static const struct {
    long mark;
    const char *bases;
    const char *letters;
} composed[] = {
    { 0x0300, "AEIOUaeiou", "\xC0\xC8\xCC\xD2\xD9\xE0\xE8\xEC\xF2\xF9" },
    { 0x0301, "AEIOUYaeiouy", "\xC1\xC9\xCD\xD3\xDA\xDD\xE1\xE9\xED\xF3\xFA\xFD" },
    { 0x0302, "AEIOUaeiou", "\xC2\xCA\xCE\xD4\xDB\xE2\xEA\xEE\xF4\xFB" },
    { 0x0303, "ANOano", "\xC3\xD1\xD5\xE3\xF1\xF5" },
    { 0x0308, "AEIOUaeiouy", "\xC4\xCB\xCF\xD6\xDC\xE4\xEB\xEF\xF6\xFC\xFF" },
    { 0x030A, "Aa", "\xC5\xE5" },
    { 0x0327, "Cc", "\xC7\xE7" }
};

enum { COMBINING_FIRST = 0x300, COMBINING_LAST = 0x36F };

/* Punctuation, spaces and invisible characters, ascending: the cells of
 * each range, never more than the bytes of its UTF-8 form; "" draws none. */
static const struct {
    long first;
    long last;
    const char *cells;
} look_alikes[] = {
    { 0x02B9, 0x02B9, "'" },      /* modifier prime */
    { 0x02BA, 0x02BA, "\"" },     /* modifier double prime */
    { 0x02BB, 0x02BC, "'" },      /* modifier apostrophes */
    { 0x2000, 0x200A, " " },      /* en quad .. hair space */
    { 0x200B, 0x200F, "" },       /* zero-width characters, direction marks */
    { 0x2010, 0x2015, "-" },      /* hyphens and dashes */
    { 0x2018, 0x201B, "'" },      /* single quotes */
    { 0x201C, 0x201F, "\"" },     /* double quotes */
    { 0x2022, 0x2023, "\xB7" },   /* bullets */
    { 0x2024, 0x2024, "." },      /* one dot leader */
    { 0x2025, 0x2025, ".." },     /* two dot leader */
    { 0x2026, 0x2026, "..." },    /* ellipsis */
    { 0x2027, 0x2027, "\xB7" },   /* hyphenation point */
    { 0x2028, 0x2029, " " },      /* line and paragraph separators */
    { 0x202A, 0x202E, "" },       /* direction embeddings and overrides */
    { 0x202F, 0x202F, " " },      /* narrow no-break space */
    { 0x2032, 0x2032, "'" },      /* prime */
    { 0x2033, 0x2033, "\"" },     /* double prime */
    { 0x2035, 0x2035, "'" },      /* reversed prime */
    { 0x2036, 0x2036, "\"" },     /* reversed double prime */
    { 0x2039, 0x2039, "<" },      /* single angle quotes */
    { 0x203A, 0x203A, ">" },
    { 0x2043, 0x2043, "-" },      /* hyphen bullet */
    { 0x205F, 0x205F, " " },      /* medium mathematical space */
    { 0x2060, 0x2064, "" },       /* word joiner, invisible operators */
    { 0x2066, 0x206F, "" },       /* direction isolates, deprecated formats */
    { 0x2212, 0x2212, "-" },      /* minus sign */
    { 0x2219, 0x2219, "\xB7" },   /* bullet operator */
    { 0x25CF, 0x25CF, "\xB7" },   /* black circle */
    { 0x25E6, 0x25E6, "\xB7" },   /* white bullet */
    { 0x3000, 0x3000, " " },      /* ideographic space */
    { 0xFE00, 0xFE0F, "" },       /* variation selectors */
    { 0xFEFF, 0xFEFF, "" }        /* byte-order mark, zero-width no-break space */
};

/* The length of the valid UTF-8 sequence of two to four bytes at s, of
 * which n bytes may be read, with its code point in *cp; 0 when s does not
 * start one. The second byte's range refuses the overlong forms, the
 * surrogates U+D800..U+DFFF and what lies past U+10FFFF. */
static int Utf8Sequence(const unsigned char *s, int n, long *cp)
{
    unsigned char lo = 0x80;
    unsigned char hi = 0xBF;
    long c;
    int len;
    int i;

    if (s[0] >= 0xC2 && s[0] <= 0xDF) {
        len = 2;
        c = s[0] & 0x1F;
    } else if (s[0] >= 0xE0 && s[0] <= 0xEF) {
        len = 3;
        c = s[0] & 0x0F;
    } else if (s[0] >= 0xF0 && s[0] <= 0xF4) {
        len = 4;
        c = s[0] & 0x07;
    } else {
        return 0;
    }
    if (s[0] == 0xE0)
        lo = 0xA0;
    else if (s[0] == 0xED)
        hi = 0x9F;
    else if (s[0] == 0xF0)
        lo = 0x90;
    else if (s[0] == 0xF4)
        hi = 0x8F;
    if (n < len)
        return 0;
    for (i = 1; i < len; i++) {
        if (s[i] < lo || s[i] > hi)
            return 0;
        c = c << 6 | (s[i] & 0x3F);
        lo = 0x80;
        hi = 0xBF;
    }
    *cp = c;
    return len;
}

int CodePointCell(long cp)
{
    int lo = 0;
    int hi = glyph_run_count;
    int mid;

    while (lo < hi) {
        mid = (lo + hi) / 2;
        if (cp < glyph_runs[mid].first)
            hi = mid;
        else if (cp > glyph_runs[mid].last)
            lo = mid + 1;
        else
            return glyph_runs[mid].cell + (int)(cp - glyph_runs[mid].first);
    }
    return 0;
}

/* The cell of code point cp on a sheet of sheet_cells cells, 0 when that
 * sheet does not reach it. */
static int SheetCell(long cp, int sheet_cells)
{
    int cell = CodePointCell(cp);

    return cell < sheet_cells ? cell : 0;
}

/* A byte that is part of no UTF-8 sequence. */
static FontCell ByteCell(unsigned char b, int sheet_cells)
{
    int cell;

    if (b < C1_FIRST || b >= C1_END || windows_1252[b - C1_FIRST] == 0)
        return b;
    cell = SheetCell(windows_1252[b - C1_FIRST], sheet_cells);
    return (FontCell)(cell ? cell : b);
}

/* A combining mark puts its letter in the cell before it, when Latin-1
 * has that letter. */
static void Compose(long mark, FontCell *cells, int n)
{
    const char *at;
    size_t i;

    if (n == 0 || cells[n - 1] >= 0x80)
        return;
    for (i = 0; i < sizeof composed / sizeof composed[0]; i++) {
        if (composed[i].mark != mark)
            continue;
        at = strchr(composed[i].bases, cells[n - 1]);
        if (at)
            cells[n - 1] = (unsigned char)composed[i].letters[at - composed[i].bases];
        return;
    }
}

static int PutString(const char *s, FontCell *cells, int n)
{
    while (*s)
        cells[n++] = (unsigned char)*s++;
    return n;
}

/* The font's replacement character where the sheet has it. */
static int PutPlaceholder(FontCell *cells, int n, int sheet_cells)
{
    int cell = SheetCell(REPLACEMENT_CHARACTER, sheet_cells);

    cells[n++] = (FontCell)(cell ? cell : PLACEHOLDER_CELL);
    return n;
}

/* The cells of code point cp (U+0080 and above) after the n cells made so
 * far; returns the new count. */
static int PutCodePoint(long cp, FontCell *cells, int n, int sheet_cells)
{
    int cell;
    size_t i;

    /* the C1 controls keep their cells too, as the C0 controls do */
    if (cp < FONT_CELLS) {
        cells[n++] = (FontCell)cp;
        return n;
    }
    cell = SheetCell(cp, sheet_cells);
    if (cell) {
        cells[n++] = (FontCell)cell;
        return n;
    }
    if (cp >= LATIN_EXT_FIRST && cp < LATIN_EXT_END) {
        if (latin_ext[cp - LATIN_EXT_FIRST])
            return PutString(latin_ext[cp - LATIN_EXT_FIRST], cells, n);
        return PutPlaceholder(cells, n, sheet_cells);
    }
    if (cp >= COMBINING_FIRST && cp <= COMBINING_LAST) {
        Compose(cp, cells, n);
        return n;
    }
    for (i = 0; i < sizeof look_alikes / sizeof look_alikes[0] && look_alikes[i].first <= cp; i++) {
        if (cp <= look_alikes[i].last)
            return PutString(look_alikes[i].cells, cells, n);
    }
    return PutPlaceholder(cells, n, sheet_cells);
}

int TextToCells(const char *str, int count, FontCell *cells, int sheet_cells)
{
    const unsigned char *s = (const unsigned char *)str;
    int i = 0;
    int n = 0;
    int len;
    long cp;

    while (i < count && s[i] != '\0') {
        if (s[i] < 0x80) {
            cells[n++] = s[i++];
            continue;
        }
        len = Utf8Sequence(s + i, count - i, &cp);
        if (len == 0) {
            cells[n++] = ByteCell(s[i++], sheet_cells);
            continue;
        }
        n = PutCodePoint(cp, cells, n, sheet_cells);
        i += len;
    }
    return n;
}

int LetterAt(const char *s, int n, int *cells)
{
    const unsigned char *u = (const unsigned char *)s;
    /* a letter before it, for a combining mark to compose with */
    FontCell scratch[1 + 4] = { 'a' };
    long cp;
    int len = u[0] < 0x80 ? 0 : Utf8Sequence(u, n, &cp);

    if (len == 0) {
        *cells = 1;
        return 1;
    }
    *cells = PutCodePoint(cp, scratch, 1, FONT_MAX_CELLS) - 1;
    return len;
}
