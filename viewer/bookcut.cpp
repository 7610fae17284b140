/* bookcut.cpp: the book view's rows. Hard-wrapped prose flows again: the
 * line feed at the end of a line that was wrapped at the text's width
 * reads as a space, and rows are cut at TEXT_COLS cells as the drawing
 * step draws them, at the last space as the plain cut is.
 *
 * Pages are cut again from their top row, so every row must come out the
 * same whether the text is cut from its start or from any row start.
 * Whether a line feed joins therefore depends on nothing but the line it
 * ends, the line after it and the wrap width, which is read from the
 * text's start the same way every time. What the cut needs of the line it
 * is in is carried in the reader from row to row, and looked back for
 * when a reader opens in the middle of a line. */
#include <fcntl.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include "blockread.h"
#include "files.h"
#include "glyphs.h"

/* ---- Letters ---------------------------------------------------------- */

/* A machine word of a text's bytes, looked at all at once where most
 * bytes are of one cell. */
typedef unsigned long __attribute__((__may_alias__)) Word;

/* What a byte begins, for the runs of one-cell letters that most rows are
 * made of: */
enum {
    BYTE_ONE = 1,            /* a letter of one byte and one cell */
    BYTE_SPACE = 2,
    BYTE_STOP = 3,           /* LF, CR, tab */
    BYTE_OTHER = 4,          /* a lead byte not yet asked about, or of
                                three or four bytes */
    BYTE_MIXED = 5,          /* a lead byte some of whose letters of two
                                bytes take none or two cells (the
                                combining marks) */
    /* one whose letters all take one cell: the bits that a continuation
     * byte has under 0xC0, so that one comparison tells a letter of two
     * bytes of one cell, (p[1] & 0xC0) == byte_kind[p[0]], from any other
     * byte at p */
    BYTE_PAIR = 0x80
};

/* Every byte below 0x80 is a cell, as are the bytes that begin no UTF-8
 * letter (0x80..0xC1, 0xF5..0xFF), and a lead byte that no continuation
 * byte follows; the leads of two bytes, 0xC2..0xDF, learn their kind the
 * first time one is met. */
static unsigned char byte_kind[256] = {
    1, 1, 1, 1, 1, 1, 1, 1, 1, 3, 3, 1, 1, 3, 1, 1, /* 0x00: tab, LF, CR */
    1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1,
    2, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, /* 0x20: space */
    1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1,
    1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1,
    1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1,
    1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1,
    1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1,
    1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, /* 0x80: no leads */
    1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1,
    1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1,
    1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1,
    1, 1, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, /* 0xC2: leads of two */
    4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4,
    4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, /* 0xE0: of three, */
    4, 4, 4, 4, 4, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1  /* of four */
};

/* The cells + 1 of the letters U+0080..U+07FF, written in two bytes
 * (Latin-1, Greek, Cyrillic, Hebrew, Arabic ...), as LetterAt gives them,
 * a lead byte's 64 at once: a text in those asks for a few dozen of them
 * again and again. 0 until asked. */
static signed char two_byte_cells[0x800];

/* The letters of two bytes that begin with lead, from LetterAt, and the
 * lead's kind. */
static void LearnLead(unsigned char lead)
{
    unsigned char s[2];
    int all_one = 1;
    int cells;
    int c;

    s[0] = lead;
    for (c = 0x80; c <= 0xBF; c++) {
        s[1] = (unsigned char)c;
        LetterAt((const char *)s, 2, &cells);
        two_byte_cells[(lead & 0x1F) << 6 | (c & 0x3F)] = (signed char)(cells + 1);
        all_one &= cells == 1;
    }
    byte_kind[lead] = all_one ? BYTE_PAIR : BYTE_MIXED;
}

/* The bytes of the letter at p, of which n may be read, when byte_kind
 * knows it takes one cell (a space too): 1 or 2; 0 for any other byte,
 * which LetterCells looks at. */
static inline int OneCellLetter(const unsigned char *p, int n)
{
    int kind = byte_kind[p[0]];

    if (kind == BYTE_ONE || kind == BYTE_SPACE)
        return 1;
    return n >= 2 && (p[1] & 0xC0) == kind ? 2 : 0;
}

/* Letters of one cell from *at, of one byte or two, as most of a text in
 * Cyrillic, Greek or accented Latin is, as many as the n cells left
 * surely hold (two bytes each at the most): taken without asking whether
 * each fits, up to the first byte of any other kind. *at moves past them,
 * and when a space is among them, *space to the last and *space_cells to
 * the cells before it; returns the cells taken. */
static inline int TakeOneCell(const unsigned char **at, int n, const unsigned char **space,
                              int *space_cells)
{
    const unsigned char *p = *at;
    /* two bytes for each cell left: a letter of one byte takes one of
     * them along */
    const unsigned char *lim = p + 2 * n;
    const unsigned char *space_lim = NULL;
    int kind;

    while (p < lim) {
        kind = byte_kind[p[0]];
        if ((p[1] & 0xC0) == kind) {
            p += 2;
            continue;
        }
        if (kind != BYTE_ONE) {
            if (kind == BYTE_SPACE) {
                *space = p;
                space_lim = lim;
            } else if (kind == BYTE_STOP || (p[1] & 0xC0) == 0x80) {
                /* a LF, CR or tab, a letter of more bytes or other
                 * cells; a lead byte alone (a Latin-1 or Windows-1252
                 * letter) is a cell of its own */
                break;
            }
        }
        p++;
        lim--;
    }
    /* lim - p is twice the cells left */
    if (space_lim)
        *space_cells = n - (int)((size_t)(space_lim - *space) / 2);
    *at = p;
    return n - (int)((size_t)(lim - p) / 2);
}

/* The last letters of three bytes asked for (punctuation, in most texts:
 * quotes, dashes; the letters of a script, as Vietnamese's U+1EA0..U+1EF9,
 * in some), each in the slot of its code point's low bits. */
enum { THREE_BYTE_SLOTS = 256 };

static struct {
    unsigned short cp;       /* U+0800..U+FFFF; 0 for none */
    unsigned char cells;
} three_byte_cells[THREE_BYTE_SLOTS];

/* The letter at p, of which n bytes may be read, as LetterAt sees it: its
 * cells * 16 + its bytes. */
static int LetterCells(const unsigned char *p, int n)
{
    long cp = 0;
    int cells;
    int len;
    int known;

    if (p[0] < 0x80)
        return 16 + 1;
    if (p[0] >= 0xC2 && p[0] <= 0xDF && n >= 2 && (p[1] & 0xC0) == 0x80) {
        if (byte_kind[p[0]] == BYTE_OTHER)
            LearnLead(p[0]);
        known = two_byte_cells[(p[0] & 0x1F) << 6 | (p[1] & 0x3F)];
        return (known - 1) * 16 + 2;
    }
    if ((p[0] & 0xF0) == 0xE0 && n >= 3 && (p[1] & 0xC0) == 0x80 && (p[2] & 0xC0) == 0x80) {
        cp = (long)(p[0] & 0x0F) << 12 | (p[1] & 0x3F) << 6 | (p[2] & 0x3F);
        if (three_byte_cells[cp % THREE_BYTE_SLOTS].cp == cp)
            return three_byte_cells[cp % THREE_BYTE_SLOTS].cells * 16 + 3;
    }
    len = LetterAt((const char *)p, n, &cells);
    if (len == 3 && cp != 0) {
        three_byte_cells[cp % THREE_BYTE_SLOTS].cp = (unsigned short)cp;
        three_byte_cells[cp % THREE_BYTE_SLOTS].cells = (unsigned char)cells;
    }
    return cells * 16 + len;
}

/* ---- The wrap width --------------------------------------------------- */

/* The bytes from p, of which n may be read, before the first that is not
 * 14..127 (a CR, a tab, a letter above 127, a control byte): most lines of
 * most texts whole, looked at a machine word at a time. */
static int PlainBytes(const unsigned char *p, int n)
{
    const Word ones = (Word)-1 / 0xFF;
    const Word high = ones * 0x80;
    int i = 0;

    while (i < n && p[i] > '\r' && p[i] < 0x80 && ((uintptr_t)(p + i) & (sizeof(Word) - 1)) != 0)
        i++;
    /* aligned: a byte below 14 borrows into its top bit, one above 127
     * has it */
    if (i < n && p[i] > '\r' && p[i] < 0x80) {
        while (n - i >= (int)sizeof(Word)
               && (((*(const Word *)(p + i) - ones * ('\r' + 1)) | *(const Word *)(p + i)) & high) == 0)
            i += (int)sizeof(Word);
    }
    while (i < n && p[i] > '\r' && p[i] < 0x80)
        i++;
    return i;
}

/* The cells of a line as the join rule counts them (a CR none, a letter
 * as it is drawn); -1 for a line with a tab, whose columns are a table's
 * rather than prose's; WRAP_MAX_COLS + 1 for anything wider. */
static int LineCells(const char *p, int n)
{
    const unsigned char *u = (const unsigned char *)p;
    const unsigned char *at;
    const unsigned char *space = NULL;
    int space_cells;
    int cells = 0;
    int left;
    int i = 0;
    int w;

    /* bytes of one cell, else letters of one cell, else one other letter,
     * as long as the cells may be no more than WRAP_MAX_COLS */
    while (i < n && cells <= WRAP_MAX_COLS) {
        left = WRAP_MAX_COLS + 1 - cells;
        w = PlainBytes(u + i, n - i < left ? n - i : left);
        if (w > 0) {
            cells += w;
            i += w;
            continue;
        }
        at = u + i;
        w = TakeOneCell(&at, (n - i) / 2 < left ? (n - i) / 2 : left, &space, &space_cells);
        if (w > 0) {
            cells += w;
            i = (int)(at - u);
            continue;
        }
        if (u[i] == '\t')
            return -1;
        w = LetterCells(u + i, n - i);
        cells += u[i] == '\r' ? 0 : w >> 4;
        i += w & 15;
    }
    return cells <= WRAP_MAX_COLS ? cells : WRAP_MAX_COLS + 1;
}

/* From how many lines (longer than a row) end at each width: the width
 * that all but a twentieth of them keep to, when at least half of them
 * end close to it, as the lines of hard-wrapped prose do. Lines of every
 * length, or most of them wider than WRAP_MAX_COLS, are no wrapped text. */
static int WidthOf(const int *count, int lines)
{
    int width = WRAP_MAX_COLS + 1;
    int above = 0;
    int near = 0;
    int w;

    if (lines < WRAP_MIN_LINES)
        return 0;
    while (width > TEXT_COLS + 1 && (above + count[width]) * 20 <= lines) {
        above += count[width];
        width--;
    }
    if (width > WRAP_MAX_COLS)
        return 0;
    for (w = width - WRAP_BAND; w <= width; w++)
        if (w > TEXT_COLS)
            near += count[w];
    return near * 2 >= lines ? width : 0;
}

int WrapWidth(const char *path)
{
    static char sample[WRAP_SAMPLE_SIZE];
    int count[WRAP_MAX_COLS + 2];
    int lines = 0;
    int indented = 0;
    int cells;
    int n;
    int i;
    const char *lf;
    struct stat st;
    FILE *fp = OpenRegularFile(path, O_RDONLY, "r", &st);

    if (!fp)
        return 0;
    n = (int)fread(sample, 1, sizeof sample, fp);
    fclose(fp);
    memset(count, 0, sizeof count);
    /* whole lines only: the sample's cut-off last line is not looked at */
    for (i = 0; (lf = (const char *)memchr(sample + i, '\n', (size_t)(n - i))) != NULL;
         i = (int)(lf - sample) + 1) {
        /* a line of no more bytes than a row has no more cells */
        cells = (int)(lf - sample) - i > TEXT_COLS ? LineCells(sample + i, (int)(lf - sample) - i) : 0;
        if (cells > TEXT_COLS) {
            count[cells]++;
            lines++;
            indented += sample[i] == ' ';
        }
    }
    /* long lines mostly indented are code, not prose */
    return indented * 2 > lines ? 0 : WidthOf(count, lines);
}

/* ---- Where one-cell bytes end ----------------------------------------- */

/* Index of the next byte that may begin a UTF-8 letter (0xC2..0xF4) at or
 * after pos, or len, kept like the stops of NextStop (or one no further
 * than that: none lies before it, see MoveBack). Every other byte
 * above 127 is a cell of its own, as in a Latin-1 or Windows-1252 text:
 * the bytes above 127 are looked for a machine word at a time, and those
 * are then looked at one by one. */
static int NextLead(LineReader *r)
{
    const Word high = (Word)-1 / 0xFF * 0x80;
    const unsigned char *p;
    const unsigned char *end;

    if (r->lead_at >= r->pos)
        return r->lead_at;
    p = (const unsigned char *)r->buf + r->pos;
    end = (const unsigned char *)r->buf + r->len;
    for (;; p++) {
        while (p < end && *p < 0x80 && ((uintptr_t)p & (sizeof(Word) - 1)) != 0)
            p++;
        /* aligned: four words at a look, as an ASCII text is all gone
         * through, then one */
        if (p < end && *p < 0x80) {
            while (end - p >= (long)(4 * sizeof(Word))
                   && ((((const Word *)p)[0] | ((const Word *)p)[1] | ((const Word *)p)[2]
                        | ((const Word *)p)[3]) & high) == 0)
                p += 4 * sizeof(Word);
            while (end - p >= (long)sizeof(Word) && (*(const Word *)p & high) == 0)
                p += sizeof(Word);
        }
        while (p < end && *p < 0x80)
            p++;
        if (p == end || (*p >= 0xC2 && *p <= 0xF4))
            break;
    }
    r->lead_at = (int)(p - (const unsigned char *)r->buf);
    return r->lead_at;
}

static int FindWide(LineReader *r)
{
    int stop = NextStop(r, &r->cr_at, '\r');
    int at = NextStop(r, &r->tab_at, '\t');

    if (at < stop)
        stop = at;
    at = NextLead(r);
    r->wide_at = at < stop ? at : stop;
    return r->wide_at;
}

/* The next CR, tab or byte that may begin a UTF-8 letter at or after pos
 * (or, as NextLead's, one no further): where a byte may stop being one
 * cell. Looked at once or more a row, and in most texts searched once a
 * block. */
static inline int NextWide(LineReader *r)
{
    return r->wide_at >= r->pos ? r->wide_at : FindWide(r);
}

/* ---- Where a line feed joins ------------------------------------------ */

/* Beginnings of a list item or a line of dialogue, followed by a space:
 * the line feed before one stays a break. */
static const char item_bytes[] = "-*+\x95\x96\x97"; /* and Windows-1252's
                                                     bullet, en and em dash */
static const char *const item_letters[] = {
    "\xE2\x80\xA2",          /* bullet */
    "\xE2\x80\x93",          /* en dash */
    "\xE2\x80\x94",          /* em dash */
    "\xC2\xB7"               /* middle dot */
};

static int IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

static int IsLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

/* A mark, or "1. ", "12) ", "a) ", "(iv) " and the like, at p. */
static int BeginsItem(const char *p, int n)
{
    size_t i;
    size_t m;
    int k = 0;

    if (n >= 2 && p[1] == ' ' && memchr(item_bytes, p[0], sizeof item_bytes - 1))
        return 1;
    for (i = 0; (unsigned char)p[0] >= 0x80 && i < sizeof item_letters / sizeof item_letters[0]; i++) {
        if (item_letters[i][0] != p[0])
            continue;
        m = strlen(item_letters[i]);
        if ((size_t)n > m && memcmp(p, item_letters[i], m) == 0 && p[m] == ' ')
            return 1;
    }
    if (p[0] == '(') {
        for (k = 1; k < n && k <= 3 && (IsDigit(p[k]) || IsLetter(p[k])); k++)
            ;
        return k > 1 && k + 1 < n && p[k] == ')' && p[k + 1] == ' ';
    }
    while (k < n && k < 3 && IsDigit(p[k]))
        k++;
    if (k > 0)
        return k + 1 < n && (p[k] == '.' || p[k] == ')') && p[k + 1] == ' ';
    return n >= 3 && IsLetter(p[0]) && p[1] == ')' && p[2] == ' ';
}

/* Whether the first word of the line at p (n bytes of it readable) takes
 * at least need cells; a word longer than JOIN_LOOKAHEAD bytes does. */
static int WordReaches(const char *p, int n, int need)
{
    const unsigned char *u = (const unsigned char *)p;
    int cells = 0;
    int i = 0;
    int w;

    if (n > JOIN_LOOKAHEAD)
        n = JOIN_LOOKAHEAD;
    /* most words: bytes of one cell, none a space */
    while (i < n && i < need && byte_kind[u[i]] == BYTE_ONE)
        i++;
    cells = i;
    while (cells < need) {
        if (i == n)
            return n == JOIN_LOOKAHEAD;
        /* most bytes: one cell, no space, no UTF-8 letter */
        if (u[i] > ' ' && (u[i] < 0xC2 || u[i] > 0xF4)) {
            cells++;
            i++;
            continue;
        }
        if (u[i] == ' ' || u[i] == '\t' || u[i] == '\r' || u[i] == '\n')
            return 0;
        w = OneCellLetter(u + i, n - i);
        w = w > 0 ? 16 + w : LetterCells(u + i, n - i);
        cells += w / 16;
        i += w % 16;
    }
    return 1;
}

/* The line after a line feed goes on with the prose before it: it is not
 * blank, not indented, no list item, and its first word takes at least
 * need cells, so that it would not have fitted on the line before. */
static int GoesOn(const char *next, int avail, int need)
{
    if (avail == 0 || next[0] == ' ' || next[0] == '\t' || next[0] == '\r' || next[0] == '\n')
        return 0;
    return WordReaches(next, avail, need) && !BeginsItem(next, avail);
}

/* The line feed at pos ends a line that was wrapped because the next word
 * did not fit: the line is not blank and holds no tab, it is no wider than
 * the wrap width, and its cells, a space and the next line's first word
 * would have passed the width (within WRAP_SLACK). */
static int JoinsNext(const LineReader *r)
{
    int64_t bytes = r->base + r->pos - r->line_start;
    int cells;

    if (r->wrap == 0 || r->line_start < 0 || r->line_tab || r->line_blank || bytes > JOIN_LINE_MAX)
        return 0;
    cells = (int)bytes + r->line_extra;
    if (cells > r->wrap + WRAP_SLACK)
        return 0;
    return GoesOn(r->buf + r->pos + 1, r->len - r->pos - 1, r->wrap - WRAP_SLACK - cells);
}

/* ---- The line the cut is in ------------------------------------------- */

static void StartLine(LineReader *r, int64_t at)
{
    r->line_start = at;
    r->line_extra = 0;
    r->line_tab = 0;
    r->line_blank = 1;
}

static int OnlySpaces(const char *p, int n)
{
    int i;

    for (i = 0; i < n; i++)
        if (p[i] != ' ')
            return 0;
    return 1;
}

/* The line that offset lies in, from its start: what a cut from the
 * text's start has counted of it on reaching offset. A start more than
 * JOIN_LINE_MAX bytes back is not looked for: such a line never joins. */
static void LookBack(LineReader *r, int64_t offset)
{
    char back[JOIN_LINE_MAX + 1];
    int64_t from = offset > JOIN_LINE_MAX + 1 ? offset - (JOIN_LINE_MAX + 1) : 0;
    int n = (int)(offset - from);
    const char *lf;
    const unsigned char *u = (const unsigned char *)back;
    const unsigned char *at;
    const unsigned char *space = NULL;
    int space_cells;
    int len;
    int w;
    int i;

    StartLine(r, offset);
    if (n == 0)
        return;
    if (pread(fileno(r->fp), back, (size_t)n, (off_t)from) != n) {
        r->line_start = -1;
        return;
    }
    lf = (const char *)memrchr(back, '\n', (size_t)n);
    if (!lf && from > 0) {
        r->line_start = -1;
        return;
    }
    i = lf ? (int)(lf - back) + 1 : 0;
    StartLine(r, from + i);
    for (; i < n; i += len) {
        /* bytes of one cell, else letters of one cell, else one other */
        len = PlainBytes(u + i, n - i);
        if (len == 0) {
            at = u + i;
            w = TakeOneCell(&at, (n - i) / 2, &space, &space_cells);
            len = (int)(at - u) - i;
            r->line_extra += w - len;
        }
        if (len > 0) {
            if (r->line_blank)
                r->line_blank = OnlySpaces(back + i, len);
            continue;
        }
        len = 1;
        if (u[i] == '\r') {
            r->line_extra--;
        } else if (u[i] == '\t') {
            r->line_tab = 1;
        } else {
            w = LetterCells(u + i, n - i);
            len = w % 16;
            r->line_extra += w / 16 - len;
            r->line_blank = 0;
        }
    }
}

/* ---- One row ---------------------------------------------------------- */

enum { ROW_GOES_ON, ROW_ENDS, ROW_FULL };

/* Bytes of one cell in a row that are taken at once rather than one by
 * one: a search for the next stop costs about as much as that many. */
enum { BULK_RUN = 16 };

typedef struct bookRow {
    int64_t start;           /* offset of its first byte */
    char *str;               /* the row as it is drawn, or NULL */
    int col;                 /* cells so far, 0..TEXT_COLS */
    int out;                 /* bytes of the drawn row so far, below BOOK_ROW_SIZE */
    int64_t brk;             /* offset after its last space or joined line
                                feed, where the next row starts if it is
                                cut there; -1 for none */
    int brk_out;             /* bytes of the drawn row before that break */
    int brk_extra;           /* the line's cells less its bytes up to it */
    int64_t cr_last;         /* offsets of the last CR, tab and letter */
    int64_t tab_last;        /* of more bytes passed (or of a byte after
                                it), -1 for none: going back before one */
    int64_t lead_last;       /* forgets where the next was */
} BookRow;

static inline int64_t Offset(const LineReader *r)
{
    return r->base + r->pos;
}

/* The row's own bytes are kept too when they take no more than half the
 * block, so that going back to its last space needs no second read. */
static void RefillKeepingRow(LineReader *r, BookRow *row)
{
    int at = r->pos;
    int keep = (int)(row->start - r->base);

    if (keep < 0 || at - keep > r->cap / 2)
        keep = at;
    r->pos = keep;
    Refill(r);
    r->pos = at - keep;
}

/* A letter and the next line's first word are looked at in the block. */
static inline void KeepAhead(LineReader *r, BookRow *row)
{
    if (r->len - r->pos < ROW_AHEAD && !r->at_end)
        RefillKeepingRow(r, row);
}

static int RoomFor(const BookRow *row, int bytes)
{
    return row->out + bytes < BOOK_ROW_SIZE;
}

static void Put(BookRow *row, const char *p, int n)
{
    if (row->str)
        memcpy(row->str + row->out, p, (size_t)n);
    row->out += n;
}

/* What Letters took, from from to to, reaching column col, with its last
 * space at space (or none) in column space_col: into the row, and into the
 * line's count, where every letter adds its cells less its bytes. */
static void LettersTaken(LineReader *r, BookRow *row, const unsigned char *from,
                         const unsigned char *to, int col, const unsigned char *space, int space_col)
{
    const unsigned char *buf = (const unsigned char *)r->buf;

    if (row->str)
        memcpy(row->str + row->out, from, (size_t)(to - from));
    if (space) {
        row->brk = r->base + (space - buf) + 1;
        row->brk_out = row->out + (int)(space - from);
        row->brk_extra = r->line_extra + (space_col - row->col) - (int)(space - from);
    }
    if (r->line_blank)
        r->line_blank = OnlySpaces((const char *)from, (int)(to - from));
    r->line_extra += col - row->col - (int)(to - from);
    row->out += (int)(to - from);
    row->col = col;
    r->pos = (int)(to - buf);
}

/* Whether the BULK_RUN bytes from p may be of one cell each: every other
 * one, where any letter of more bytes shows, is below 128. */
static int LooksOneCell(const unsigned char *p)
{
    unsigned char any = 0;
    int i;

    for (i = 1; i < BULK_RUN; i += 2)
        any |= p[i];
    return any < 0x80;
}

/* The bytes of one cell each from p on (before the next LF, CR, tab or
 * UTF-8 letter), when there are at least BULK_RUN of them, to be taken at
 * once, as a prose line between two quotes is; else 0. */
static int OneCellRun(LineReader *r, const unsigned char *p)
{
    int at = (int)(p - (const unsigned char *)r->buf);
    int next;
    int wide;

    r->pos = at;
    next = NextStop(r, &r->lf_at, '\n');
    wide = NextWide(r);
    next = wide < next ? wide : next;
    return next - at >= BULK_RUN ? next - at : 0;
}

/* Letters from pos, as many as fit: up to a LF, CR or tab, or to a few
 * bytes before the block's end (a letter is read whole), or ROW_FULL
 * before the first that does not fit. A mark that draws nothing always
 * fits, on the letter before it. */
static int Letters(LineReader *r, BookRow *row)
{
    const unsigned char *buf = (const unsigned char *)r->buf;
    const unsigned char *from = buf + r->pos;
    const unsigned char *end = buf + r->len;
    const unsigned char *stop = end - (r->at_end ? 0 : 4);
    const unsigned char *space = NULL;
    const unsigned char *high = NULL;
    const unsigned char *p = from;
    const unsigned char *run;
    int col = row->col;
    int space_col = 0;
    int space_cells;
    int room = BOOK_ROW_SIZE - 1 - row->out;
    int step = ROW_GOES_ON;
    int known;
    int len;
    int n;
    unsigned char c;

    while (p < stop) {
        c = *p;
        if (c < 0x80) {
            if (c == '\n' || c == '\r' || c == '\t')
                break;
            if (col == TEXT_COLS || room == 0) {
                step = ROW_FULL;
                break;
            }
            /* a glance first, so that a text of other letters does not
             * look for the next stop after every letter of its own */
            len = stop - p >= BULK_RUN && LooksOneCell(p) ? OneCellRun(r, p) : 0;
            if (len > 0) {
                len = len < TEXT_COLS - col ? len : TEXT_COLS - col;
                len = len < room ? len : room;
                known = LastSpace((const char *)p, len);
                if (known >= 0) {
                    space = p + known;
                    space_col = col + known;
                }
                col += len;
                room -= len;
                p += len;
                continue;
            }
        }
        n = TEXT_COLS - col;
        n = n < room / 2 ? n : room / 2;
        n = n < (int)(stop - p) / 2 ? n : (int)(stop - p) / 2;
        run = p;
        space_cells = -1;
        n = TakeOneCell(&p, n, &space, &space_cells);
        if (p > run) {
            if (space_cells >= 0)
                space_col = col + space_cells;
            /* more bytes than cells: a letter of two bytes among them */
            if (p - run > n)
                high = p - 1;
            col += n;
            room -= (int)(p - run);
            continue;
        }
        /* any other letter, or one that may not fit */
        c = *p;
        if (c == '\n' || c == '\r' || c == '\t')
            break;
        if (c >= 0x80)
            high = p;
        len = OneCellLetter(p, (int)(end - p));
        known = len > 0 ? 16 + len : LetterCells(p, (int)(end - p));
        /* no cells: a mark, which always fits */
        if (col + known / 16 > TEXT_COLS || known % 16 > room) {
            step = ROW_FULL;
            break;
        }
        if (c == ' ') {
            space = p;
            space_col = col;
        }
        col += known / 16;
        room -= known % 16;
        p += known % 16;
    }
    if (high)
        row->lead_last = r->base + (high - buf);
    LettersTaken(r, row, from, p, col, space, space_col);
    return step;
}

/* To the next multiple of TAB_COLS columns, or to the row's end. */
static int Tab(LineReader *r, BookRow *row)
{
    static const char spaces[TAB_COLS] = { ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ' };
    int to = (row->col / TAB_COLS + 1) * TAB_COLS;
    int w = (to < TEXT_COLS ? to : TEXT_COLS) - row->col;

    if (w == 0 || !RoomFor(row, w))
        return ROW_FULL;
    Put(row, spaces, w);
    row->col += w;
    r->line_tab = 1;
    row->tab_last = Offset(r);
    r->pos++;
    return ROW_GOES_ON;
}

/* A CR draws nothing: a cell less than its byte. */
static void CarriageReturn(LineReader *r, BookRow *row)
{
    r->line_extra--;
    row->cr_last = Offset(r);
    r->pos++;
}

/* A joined line feed is a space to cut at; any other ends the row. On a
 * full row it is not looked at: the row is cut at its last space, as the
 * plain cut cuts a line of TEXT_COLS characters. */
static int LineFeed(LineReader *r, BookRow *row)
{
    int64_t after = r->base + r->pos + 1;

    if (row->col == TEXT_COLS)
        return ROW_FULL;
    if (!JoinsNext(r)) {
        r->pos++;
        StartLine(r, after);
        return ROW_ENDS;
    }
    if (!RoomFor(row, 1))
        return ROW_FULL;
    row->brk = after;
    row->brk_out = row->out;
    row->brk_extra = 0;
    Put(row, " ", 1);
    row->col++;
    r->pos++;
    StartLine(r, after);
    return ROW_GOES_ON;
}

static int NextStep(LineReader *r, BookRow *row)
{
    char c;

    if (r->pos == r->len)
        return ROW_ENDS;
    c = r->buf[r->pos];
    if (c == '\n')
        return LineFeed(r, row);
    if (c == '\r') {
        CarriageReturn(r, row);
        return ROW_GOES_ON;
    }
    if (c == '\t')
        return Tab(r, row);
    return Letters(r, row);
}

/* Where a row that has no room for its next letter ends: at its last
 * space or joined line feed, else right there (a word longer than a row).
 * A line feed right after such a hard cut belongs to the row, so that a
 * line that fills the row exactly leaves no blank row behind it. (The
 * next letter is never a mark that draws nothing: such a mark always
 * fits, but for the row's bytes.) */
static int64_t CutFullRow(LineReader *r, BookRow *row)
{
    if (row->brk >= 0) {
        row->out = row->brk_out;
        return row->brk;
    }
    for (KeepAhead(r, row); r->pos < r->len && r->buf[r->pos] == '\r'; KeepAhead(r, row))
        CarriageReturn(r, row);
    if (r->pos < r->len && r->buf[r->pos] == '\n') {
        r->pos++;
        StartLine(r, r->base + r->pos);
    }
    return r->base + r->pos;
}

static void CopyQuick(LineReader *r, BookRow *row);

/* The drawn row of the one-cell bytes from start to end, a joined line
 * feed among them a space. */
static inline void PutQuick(LineReader *r, BookRow *row, int64_t end)
{
    row->out = (int)(end - row->start);
    if (row->str)
        CopyQuick(r, row);
}

static void CopyQuick(LineReader *r, BookRow *row)
{
    char *p;
    char *stop;

    memcpy(row->str, r->buf + (row->start - r->base), (size_t)row->out);
    stop = row->str + row->out;
    for (p = row->str; (p = (char *)memchr(p, '\n', (size_t)(stop - p))) != NULL; p++)
        *p = ' ';
}

/* Most rows of most texts in one go: a row whose TEXT_COLS bytes and the
 * one after them are in the block and hold no CR, tab or UTF-8 letter has
 * a cell a byte, so only its line feeds are looked at, and its last space
 * is looked for once. The same row as the letter-by-letter cut gives; 0
 * (having read nothing) for any other row. */
static int QuickRow(LineReader *r, BookRow *row)
{
    int full = r->pos + TEXT_COLS;
    int lf;
    int sp;

    /* NextWide is len at the most */
    if (NextWide(r) <= full)
        return 0;
    while ((lf = NextStop(r, &r->lf_at, '\n')) < full) {
        if (r->line_blank)
            r->line_blank = OnlySpaces(r->buf + r->pos, lf - r->pos);
        r->pos = lf;
        if (!JoinsNext(r)) {
            r->pos++;
            StartLine(r, r->base + r->pos);
            PutQuick(r, row, r->base + lf);
            return 1;
        }
        r->pos++;
        row->brk = r->base + r->pos;
        StartLine(r, row->brk);
    }
    if (r->line_blank)
        r->line_blank = OnlySpaces(r->buf + r->pos, full - r->pos);
    sp = LastSpace(r->buf + r->pos, full - r->pos);
    if (sp >= 0)
        row->brk = r->base + r->pos + sp + 1;
    r->pos = full;
    if (row->brk >= 0) {
        PutQuick(r, row, row->brk - 1);
        r->pos = (int)(row->brk - r->base);
        return 1;
    }
    PutQuick(r, row, r->base + full);
    if (r->buf[full] == '\n') {
        r->pos++;
        StartLine(r, r->base + r->pos);
    }
    return 1;
}

/* Back to the row's last space or joined line feed, end, from further
 * on, the line's count with it. A stop looked for from a byte past it (a
 * long run of one-cell bytes asks) holds there no more if the row passed
 * one of its kind between: a line feed it cannot have, a CR or tab is
 * looked for again. A letter above 127 the row passed may be the first
 * after end, and in a text of such letters the next row has one in its
 * first bytes: it is taken to be right at end, so that the next row need
 * not look, until the cut passes end. */
static void MoveBack(LineReader *r, const BookRow *row, int64_t end)
{
    SeekTo(r, end);
    r->line_extra = row->brk_extra;
    r->wide_at = -1;
    if (row->cr_last >= end)
        r->cr_at = -1;
    if (row->tab_last >= end)
        r->tab_at = -1;
    if (row->lead_last >= end) {
        r->lead_at = r->pos;
        r->wide_at = r->pos;
    }
}

/* The line's part in a row of QuickLetters, from seg to p in columns
 * seg_col to col, counted into the line. */
static void LinePart(LineReader *r, const unsigned char *seg, const unsigned char *p, int seg_col, int col)
{
    r->line_extra += col - seg_col - (int)(p - seg);
    if (r->line_blank)
        r->line_blank = OnlySpaces((const char *)seg, (int)(p - seg));
    r->pos = (int)(p - (const unsigned char *)r->buf);
}

/* Whether the row at pos is one for QuickLetters: it begins with a letter
 * of two bytes and one cell, or with fewer than BULK_RUN bytes of one cell
 * before one (or before a letter not looked for yet, see MoveBack). A row
 * of Latin letters that reaches a quote or dash of three bytes, a CR or a
 * tab first is left to CutLetters, which takes a long run of one-cell
 * bytes at once. */
static int LettersAhead(LineReader *r)
{
    int kind = byte_kind[(unsigned char)r->buf[r->pos]];
    int wide;

    if (kind == BYTE_PAIR)
        return 1;
    if (kind != BYTE_ONE && kind != BYTE_SPACE)
        return 0;
    wide = NextWide(r);
    if (wide == r->pos)
        return 1;
    return wide - r->pos < BULK_RUN && wide < r->len
           && byte_kind[(unsigned char)r->buf[wide]] == BYTE_PAIR;
}

/* Most rows of a text in other alphabets in one go: letters of one cell,
 * as TakeOneCell takes them, and line feeds, the next line's first word
 * in the block (a row of them is two bytes a cell at the most, well
 * within ROW_AHEAD). The same row as the letter-by-letter cut gives, up
 * to the first byte of any other kind (or of a letter after a full row
 * that may be a mark): 0 there, the row as far as it came, for CutLetters
 * to go on with; 1 when the row is done. */
static int QuickLetters(LineReader *r, BookRow *row)
{
    const unsigned char *buf = (const unsigned char *)r->buf;
    const unsigned char *end = buf + r->len;
    const unsigned char *start = buf + r->pos;
    const unsigned char *p = start;
    const unsigned char *seg = start;
    const unsigned char *space = NULL;
    const unsigned char *run;
    int seg_col = 0;
    int col = 0;
    int cells;
    int n;

    if (r->pos == r->len || (r->len - r->pos < ROW_AHEAD && !r->at_end) || !LettersAhead(r))
        return 0;
    for (;;) {
        n = TEXT_COLS - col;
        if (r->at_end && n > (int)(end - p) / 2)
            n = (int)(end - p) / 2;
        run = p;
        cells = -1;
        n = TakeOneCell(&p, n, &space, &cells);
        if (cells >= 0) {
            row->brk = r->base + (space - buf) + 1;
            row->brk_out = (int)(space - start);
            row->brk_extra = r->line_extra + (col + cells - seg_col) - (int)(space - seg);
        }
        if (p - run > n)
            row->lead_last = r->base + (p - 1 - buf);
        col += n;
        if (p == end || *p != '\n' || col == TEXT_COLS)
            break;
        /* a line feed: it ends the row or is a space in it */
        LinePart(r, seg, p, seg_col, col);
        if (!JoinsNext(r)) {
            PutQuick(r, row, r->base + r->pos);
            r->pos++;
            StartLine(r, r->base + r->pos);
            return 1;
        }
        row->brk = r->base + r->pos + 1;
        row->brk_out = (int)(p - start);
        row->brk_extra = 0;
        r->pos++;
        StartLine(r, row->brk);
        col++;
        p++;
        seg = p;
        seg_col = col;
    }
    LinePart(r, seg, p, seg_col, col);
    row->col = col;
    /* a full row, cut at its last space or joined line feed, or right
     * there (taking a line feed along); any other row letter by letter */
    if (col < TEXT_COLS || p == end || (!OneCellLetter(p, (int)(end - p)) && *p != '\n' && *p != '\t')) {
        PutQuick(r, row, r->base + r->pos);
        return 0;
    }
    if (row->brk >= 0) {
        PutQuick(r, row, row->brk - 1);
        MoveBack(r, row, row->brk);
        return 1;
    }
    PutQuick(r, row, r->base + r->pos);
    if (*p == '\n') {
        r->pos++;
        StartLine(r, r->base + r->pos);
    }
    return 1;
}

static void StartRow(BookRow *row, int64_t start, char *str)
{
    row->start = start;
    row->str = str;
    row->col = 0;
    row->out = 0;
    row->brk = -1;
    row->brk_out = 0;
    row->brk_extra = 0;
    row->cr_last = -1;
    row->tab_last = -1;
    row->lead_last = -1;
}

/* Any row, letter by letter. */
static void CutLetters(LineReader *r, BookRow *row)
{
    int64_t end;
    int step;

    do {
        step = NextStep(r, row);
        KeepAhead(r, row);
    } while (step == ROW_GOES_ON);
    end = step == ROW_FULL ? CutFullRow(r, row) : Offset(r);
    if (end < Offset(r))
        MoveBack(r, row, end);
}

int ReadBookRow(LineReader *r, char *str)
{
    int64_t start = Offset(r);
    BookRow row;

    StartRow(&row, start, str);
    KeepAhead(r, &row);
    if (!QuickRow(r, &row) && !QuickLetters(r, &row))
        CutLetters(r, &row);
    if (str)
        str[row.out] = '\0';
    return Offset(r) > start;
}

int OpenBookReader(LineReader *r, const char *path, int64_t offset,
                   char *buf, int cap, int wrap)
{
    r->fp = NULL;
    if (cap < BOOK_BLOCK_MIN || !OpenLineReader(r, path, offset, buf, cap))
        return 0;
    r->book = 1;
    r->wrap = wrap;
    LookBack(r, offset);
    return 1;
}

int OpenCutReader(LineReader *r, int view, int64_t offset, char *buf, int cap)
{
    if (view == VIEW_BOOK)
        return OpenBookReader(r, filename, offset, buf, cap, wrap_width);
    return OpenLineReader(r, filename, offset, buf, cap);
}
