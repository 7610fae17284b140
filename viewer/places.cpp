/* places.cpp: where the reader was in texts that have no index file of
 * their own (a folder that cannot be written, a full card), which are read
 * with the index in memory. Nothing is ever written beside such a text.
 * The session keeps the place of the last SESSION_PLACES of them in memory,
 * taken at every move; the desktop also keeps the last PLACES_KEPT in the
 * file of places (places_filename), written whole when the reader leaves
 * a text, never at every move.
 *
 * The file is text, a line per text, the most recently read first:
 *
 *     tomo places 1
 *     LINE SIZE MTIME PATH
 *
 * LINE is the line at the top of the page, SIZE and MTIME the text's size
 * and modification time when it was read, PATH the rest of the line, with
 * a backslash written as \\ and a line feed as \n. A file that does not
 * begin with that first line is ignored whole; a line that does not read
 * exactly so, or whose numbers are out of range, is ignored alone. */
#include <fcntl.h>
#include <stdio.h>
#include <string.h>

#include "files.h"
#include "viewer.h"

static const char places_header[] = "tomo places 1\n";

typedef struct sessionPlace {
    char path[PATH_MAX];     /* the text's path, as filename held it */
    int64_t size;            /* its size and modification time then */
    int64_t mtime;
    int32_t line;            /* the top line of its page */
    unsigned long read_at;   /* the session's count of opened texts; 0 for a free slot */
    int stored;              /* the file of places has this line already */
} SessionPlace;

static SessionPlace session_places[SESSION_PLACES];
static SessionPlace *current;        /* the text being read, when it is one of them */
static unsigned long texts_opened;

/* One line of the file, read into line_buf and parsed into a Place. */
typedef struct place {
    int32_t line;
    int64_t size;
    int64_t mtime;
    char path[PATH_MAX];
} Place;

/* The file of places read a block at a time. */
typedef struct placesReader {
    FILE *fp;
    size_t len;              /* bytes of places_block read */
    size_t pos;              /* the next of them */
} PlacesReader;

static char places_block[PLACES_BLOCK_SIZE];
static char line_buf[PLACE_LINE_SIZE];
static char wanted[PLACE_LINE_SIZE]; /* " " and the escaped path looked for */
static Place found_place;

void ForgetPlaces(void)
{
    memset(session_places, 0, sizeof session_places);
    current = NULL;
    texts_opened = 0;
}

static SessionPlace *SessionSlot(const char *path)
{
    int i;

    for (i = 0; i < SESSION_PLACES; i++)
        if (session_places[i].read_at != 0 && strcmp(session_places[i].path, path) == 0)
            return &session_places[i];
    return NULL;
}

/* The slot of path, else a free one, else the least recently read. */
static SessionPlace *SlotFor(const char *path)
{
    SessionPlace *slot = SessionSlot(path);
    int i;

    if (slot)
        return slot;
    slot = &session_places[0];
    for (i = 1; i < SESSION_PLACES; i++)
        if (session_places[i].read_at < slot->read_at)
            slot = &session_places[i];
    return slot;
}

/* ---- The file's lines ------------------------------------------------------ */

/* A decimal number of at most 18 digits (no overflow in 64 bits), a '-'
 * before it where negative is allowed, then the byte stop. */
static const char *ReadNumber(const char *s, int negative_ok, char stop, int64_t *out)
{
    int64_t v = 0;
    int sign = 1;
    int digits = 0;

    if (negative_ok && *s == '-') {
        sign = -1;
        s++;
    }
    for (; *s >= '0' && *s <= '9'; s++) {
        if (++digits > 18)
            return NULL;
        v = v * 10 + (*s - '0');
    }
    if (digits == 0 || *s != stop)
        return NULL;
    *out = sign * v;
    return s + 1;
}

/* The escaped path up to the end of the line, whole into out. */
static int Unescape(const char *s, const char *end, char *out)
{
    int n = 0;

    for (; s < end; s++) {
        char c = *s;
        if (c == '\\') {
            if (++s == end || (*s != '\\' && *s != 'n'))
                return 0;
            c = *s == 'n' ? '\n' : '\\';
        }
        if (n == PATH_MAX - 1)
            return 0;
        out[n++] = c;
    }
    out[n] = '\0';
    return n > 0;
}

/* The next line of r into line_buf: 1 with its length in *len, or -1 for
 * a line not to be trusted (too long for the buffer, holding a NUL, or cut
 * off by the end of the file); 0 at the end of the file. */
static int NextLine(PlacesReader *r, int *len)
{
    int n = 0;
    int bad = 0;
    const char *start;
    const char *lf;
    size_t take;

    for (;;) {
        if (r->pos == r->len) {
            r->len = fread(places_block, 1, sizeof places_block, r->fp);
            r->pos = 0;
            if (r->len == 0) {
                line_buf[n] = '\0';
                *len = -1;
                return n > 0 || bad;
            }
        }
        start = places_block + r->pos;
        lf = (const char *)memchr(start, '\n', r->len - r->pos);
        take = lf ? (size_t)(lf - start) : r->len - r->pos;
        r->pos += take + (lf ? 1 : 0);
        if (bad || take >= (size_t)(PLACE_LINE_SIZE - 1 - n) || memchr(start, '\0', take))
            bad = 1;
        else
            memcpy(line_buf + n, start, take);
        n += bad ? 0 : (int)take;
        if (lf) {
            line_buf[n] = '\0';
            *len = bad ? -1 : n;
            return 1;
        }
    }
}

/* line_buf (len bytes) as a place: every field in range, or 0. */
static int ParsePlace(int len, Place *p)
{
    const char *s = line_buf;
    int64_t line;

    if (len <= 0)
        return 0;
    if (!(s = ReadNumber(s, 0, ' ', &line)) || !(s = ReadNumber(s, 0, ' ', &p->size))
        || !(s = ReadNumber(s, 1, ' ', &p->mtime)))
        return 0;
    /* every line takes a byte of a text below 2 GiB */
    if (p->size > INT32_MAX || line > p->size)
        return 0;
    p->line = (int32_t)line;
    return Unescape(s, line_buf + len, p->path);
}

/* The file of places open for reading, past its first line: 1, or 0 when
 * there is none or it is no file of places. */
static int OpenPlaces(PlacesReader *r)
{
    struct stat st;
    int len;

    r->len = 0;
    r->pos = 0;
    r->fp = NULL;
    if (places_filename[0] == '\0')
        return 0;
    r->fp = OpenRegularFile(places_filename, O_RDONLY, "r", &st);
    if (!r->fp)
        return 0;
    if (!NextLine(r, &len) || len != (int)sizeof places_header - 2
        || memcmp(line_buf, places_header, sizeof places_header - 2) != 0) {
        fclose(r->fp);
        r->fp = NULL;
        return 0;
    }
    return 1;
}

/* path with a backslash as \\ and a line feed as \n, after a space, into
 * out (PLACE_LINE_SIZE bytes, which any path fits). */
static int Escape(const char *path, char *out)
{
    int n = 0;

    out[n++] = ' ';
    for (; *path != '\0'; path++) {
        if (*path == '\\' || *path == '\n')
            out[n++] = '\\';
        out[n++] = *path == '\n' ? 'n' : *path;
    }
    out[n] = '\0';
    return n;
}

static int WritePlace(FILE *fp, const SessionPlace *p)
{
    int n = Escape(p->path, wanted);

    return fprintf(fp, "%ld %lld %lld", (long)p->line, (long long)p->size, (long long)p->mtime) > 0
        && fwrite(wanted, 1, (size_t)n, fp) == (size_t)n && putc('\n', fp) != EOF;
}

/* A line that may be path's: it ends in " " and its escaped bytes. Only
 * such a line is read whole, so a look-up costs little more than reading
 * the file. */
static int MayBe(int len, int wanted_len)
{
    return len > wanted_len && memcmp(line_buf + len - wanted_len, wanted, (size_t)wanted_len) == 0;
}

/* The place of path in the file of places, into found_place: 1, or 0. */
static int LookUpPlace(const char *path)
{
    PlacesReader r;
    int wanted_len = Escape(path, wanted);
    int len;
    int found = 0;

    if (!OpenPlaces(&r))
        return 0;
    while (!found && NextLine(&r, &len))
        found = MayBe(len, wanted_len) && ParsePlace(len, &found_place)
                && strcmp(found_place.path, path) == 0;
    fclose(r.fp);
    return found;
}

/* The file anew: this text first, then the others of the old file in their
 * order, streamed a line at a time, up to PLACES_KEPT in all. A line of the
 * old file is copied as it was read once it is known to be sound. */
static int WritePlaces(const SessionPlace *p)
{
    Replacement w;
    PlacesReader old;
    int kept = 1;
    int len;
    int ok;

    if (!BeginReplacement(&w, places_filename))
        return 0;
    ok = fputs(places_header, w.fp) != EOF && WritePlace(w.fp, p);
    if (OpenPlaces(&old)) {
        while (ok && kept < PLACES_KEPT && NextLine(&old, &len)) {
            if (!ParsePlace(len, &found_place) || strcmp(found_place.path, p->path) == 0)
                continue;
            ok = fwrite(line_buf, 1, (size_t)len, w.fp) == (size_t)len && putc('\n', w.fp) != EOF;
            kept++;
        }
        fclose(old.fp);
    }
    if (!ok) {
        AbandonReplacement(&w);
        return 0;
    }
    return CommitReplacement(&w, places_filename);
}

/* ---- What the viewer asks -------------------------------------------------- */

int RecallPlace(int32_t *line)
{
    SessionPlace *slot = SessionSlot(filename);

    if (slot) {
        *line = slot->line;
        return 1;
    }
    if (!LookUpPlace(filename))
        return 0;
    *line = found_place.line;
    return 1;
}

void NotePlace(const struct stat *text_st, int32_t line)
{
    SessionPlace *slot = SlotFor(filename);

    if (strlen(filename) >= sizeof slot->path) {
        current = NULL;
        return;
    }
    strcpy(slot->path, filename);
    slot->size = text_st->st_size;
    slot->mtime = text_st->st_mtime;
    slot->line = line;
    slot->read_at = ++texts_opened;
    slot->stored = 0;
    current = slot;
}

void DropCurrentPlace(void)
{
    current = NULL;
}

void KeepPlace(int32_t line)
{
    if (!current)
        return;
    current->line = line;
    current->stored = 0;
}

void StorePlaces(void)
{
    if (!current || current->stored || places_filename[0] == '\0')
        return;
    current->stored = WritePlaces(current);
}
