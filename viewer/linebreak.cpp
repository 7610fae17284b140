/* linebreak.cpp: cutting the text into wrapped lines of at most TEXT_COLS
 * characters. GetLine, the page view and the measuring pass all go through
 * ReadWrappedLine, so a recorded offset always starts the same line. */
#include <fcntl.h>
#include <limits.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include "blockread.h"
#include "files.h"

/* The counters of one line while its bytes come in one at a time. */
typedef struct lineCut {
    int charcnt;             /* characters stored so far */
    int64_t bytecnt;         /* bytes consumed, stored or not */
    int last_spc_idx;        /* index in the line of the last space, or -1 */
    int64_t last_bytecnt;    /* bytes consumed before that space, or -1 */
    int eol;                 /* the line ended at a line feed */
    int done;
} LineCut;

static void StartCut(LineCut *cut)
{
    cut->charcnt = 0;
    cut->bytecnt = 0;
    cut->last_spc_idx = -1;
    cut->last_bytecnt = -1;
    cut->eol = 0;
    cut->done = 0;
}

/* c is the next byte of the text, or -1 when none could be read. */
static void FeedByte(LineCut *cut, int c, char *str)
{
    if (c < 0) {
        cut->done = 1;
        return;
    }
    cut->bytecnt++;
    if (c == '\r')
        return;
    if (c == '\n') {
        cut->done = 1;
        cut->eol = 1;
        return;
    }
    if (str)
        str[cut->charcnt] = (char)c;
    if (c == ' ') {
        cut->last_spc_idx = cut->charcnt;
        cut->last_bytecnt = cut->bytecnt - 1;
    }
    cut->charcnt++;
    if (cut->charcnt == TEXT_COLS)
        cut->done = 1;
}

/* Ends str where the line is cut and returns the bytes that belong to it.
 * A line that did not end at a line feed gives back everything after its
 * last space, so the next line starts right after that space. */
static int64_t FinishCut(const LineCut *cut, char *str)
{
    int end = cut->charcnt;
    int64_t advance = cut->bytecnt;

    if (cut->last_spc_idx >= 0 && !cut->eol) {
        end = cut->last_spc_idx;
        advance = cut->last_bytecnt + 1;
    }
    if (str)
        str[end] = '\0';
    return advance;
}

/* Where the next stops were found no longer holds once the block's bytes
 * move or change. */
static void ForgetStops(LineReader *r)
{
    r->lf_at = -1;
    r->cr_at = -1;
    r->tab_at = -1;
    r->lead_at = -1;
    r->wide_at = -1;
}

/* Keeps the unread bytes and fills the rest of the block from the file. */
void Refill(LineReader *r)
{
    size_t want;
    size_t got;

    if (r->at_end)
        return;
    ForgetStops(r);
    if (r->pos > 0) {
        memmove(r->buf, r->buf + r->pos, (size_t)(r->len - r->pos));
        r->base += r->pos;
        r->len -= r->pos;
        r->pos = 0;
    }
    want = (size_t)(r->cap - r->len);
    if (want == 0)
        return;
    got = fread(r->buf + r->len, 1, want, r->fp);
    r->len += (int)got;
    /* fread only comes back short at the end or on an error, and a read
     * error ends the line like the end of the file */
    if (got < want)
        r->at_end = 1;
}

static int NextByte(LineReader *r)
{
    if (r->pos == r->len)
        Refill(r);
    if (r->pos == r->len)
        return -1;
    return (unsigned char)r->buf[r->pos++];
}

/* Goes back to offset: from the block when it still holds it, otherwise
 * by seeking (a line that spans more than a block). */
void SeekTo(LineReader *r, int64_t offset)
{
    if (offset >= r->base && offset <= r->base + r->len) {
        r->pos = (int)(offset - r->base);
        return;
    }
    r->base = offset;
    r->len = 0;
    r->pos = 0;
    r->at_end = 0;
    ForgetStops(r);
    if (offset > LONG_MAX || fseek(r->fp, (long)offset, SEEK_SET) != 0)
        r->at_end = 1;
}

/* The cut of the line at p, with avail bytes of the block from p, n the
 * smaller of avail and TEXT_COLS, and its first LF or CR stop bytes on (n
 * or more for none in the window): the bytes the line takes, its
 * characters ending at *end; 0 for a CR not followed by LF, which only the
 * byte-by-byte cut handles. */
static int CutWindow(const char *p, int avail, int n, int stop, int *end)
{
    if (stop >= n) {
        *end = LastSpace(p, n);
        if (*end >= 0)
            return *end + 1;
        *end = n;
        return n;
    }
    *end = stop;
    if (p[stop] == '\n')
        return stop + 1;
    if (stop + 1 < avail && p[stop + 1] == '\n')
        return stop + 2;
    return 0;
}

/* The usual lines in one step, straight from the block: a line that ends
 * at LF or CR LF before the width, or reaches the width (or the end of the
 * text) without any CR or LF. Gives 0 and consumes nothing for anything
 * else, which the byte-by-byte cut then handles. */
static int CutFromBlock(LineReader *r, char *str)
{
    const char *p;
    int avail;
    int n;
    int lf;
    int cr;
    int end;
    int advance;

    if (r->len - r->pos < TEXT_COLS)
        Refill(r);
    avail = r->len - r->pos;
    if (avail == 0 || (avail < TEXT_COLS && !r->at_end))
        return 0;
    p = r->buf + r->pos;
    n = avail < TEXT_COLS ? avail : TEXT_COLS;
    lf = NextStop(r, &r->lf_at, '\n') - r->pos;
    cr = NextStop(r, &r->cr_at, '\r') - r->pos;
    advance = CutWindow(p, avail, n, lf < cr ? lf : cr, &end);
    if (advance == 0)
        return 0;
    if (str) {
        memcpy(str, p, (size_t)end);
        str[end] = '\0';
    }
    r->pos += advance;
    return 1;
}

static int CutByteByByte(LineReader *r, char *str)
{
    int64_t start = LineReaderOffset(r);
    LineCut cut;

    StartCut(&cut);
    while (!cut.done)
        FeedByte(&cut, NextByte(r), str);
    if (cut.bytecnt == 0) {
        if (str)
            str[0] = '\0';
        return 0;
    }
    SeekTo(r, start + FinishCut(&cut, str));
    return 1;
}

int OpenLineReader(LineReader *r, const char *path, int64_t offset,
                   char *buf, int cap)
{
    struct stat st;

    r->fp = NULL;
    if (offset < 0 || offset > LONG_MAX || cap < 1)
        return 0;
    r->fp = OpenRegularFile(path, O_RDONLY, "r", &st);
    if (!r->fp)
        return 0;
    /* the block is the buffer; stdio's own would only add a copy */
    setvbuf(r->fp, NULL, _IONBF, 0);
    if (offset > 0 && fseek(r->fp, (long)offset, SEEK_SET) != 0) {
        fclose(r->fp);
        r->fp = NULL;
        return 0;
    }
    r->buf = buf;
    r->cap = cap;
    r->base = offset;
    r->len = 0;
    r->pos = 0;
    r->at_end = 0;
    r->book = 0;
    ForgetStops(r);
    return 1;
}

static int ReadPlainLine(LineReader *r, char *str)
{
    if (CutFromBlock(r, str))
        return 1;
    return CutByteByByte(r, str);
}

int ReadWrappedLine(LineReader *r, char *str)
{
    return r->book ? ReadBookRow(r, str) : ReadPlainLine(r, str);
}

int64_t LineReaderOffset(const LineReader *r)
{
    return r->base + r->pos;
}

/* The measuring pass's batches, cut line by line as GetLine cuts them. */
int ReadLineEnds(LineReader *r, int64_t *ends, int max)
{
    int n = 0;

    while (n < max && ReadPlainLine(r, NULL))
        ends[n++] = LineReaderOffset(r);
    return n;
}

int ReadBookRowEnds(LineReader *r, int64_t *ends, int max)
{
    int n = 0;

    while (n < max && ReadBookRow(r, NULL))
        ends[n++] = LineReaderOffset(r);
    return n;
}

void CloseLineReader(LineReader *r)
{
    if (r->fp)
        fclose(r->fp);
    r->fp = NULL;
}

int GetLine(char *str)
{
    char block[PAGE_BLOCK_SIZE];
    LineReader r;
    int result;
    int64_t next;

    str[0] = '\0';
    if (!OpenLineReader(&r, filename, cur_offset, block, PAGE_BLOCK_SIZE))
        return 0;
    result = ReadWrappedLine(&r, str);
    next = LineReaderOffset(&r);
    CloseLineReader(&r);
    /* past what an offset can hold (only a text of 2 GiB or more gets
     * here): stop as at the end */
    if (next > INT32_MAX) {
        str[0] = '\0';
        return 0;
    }
    cur_offset = (int32_t)next;
    return result;
}
