/* lineindex.cpp: the hidden index files beside each text, one for each
 * view: the line index file of the plain view, and the same for the book
 * view's rows under its own name. A text is measured once for a view;
 * later visits reuse the offsets and open at the saved line without
 * reading the text. Layout, in little-endian 32-bit words: saved
 * line, line count, then the start offset of every line and the end
 * offset, which is the text's size. A new index is written beside its name
 * and renamed over it only when complete, so that a kill, a power loss or
 * a second program measuring the same text never leaves a wrong one there,
 * and the old index, with the reader's place, stays until then. Where no
 * index file can be used the text is measured into the index in memory
 * (memindex.cpp) and read the same way, and its place is kept by
 * places.cpp. */
#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <string.h>
#include <sys/stat.h>

#include "files.h"
#include "viewer.h"

static char measure_block[MEASURE_BLOCK_SIZE];

/* A view's index file: where it is, its name's ending and how the moves
 * find its offsets. The same format and the same code for both: only the
 * cut that measures a text differs. */
typedef struct indexFile {
    char *path;              /* info_filename, book_filename */
    const char *suffix;      /* ".tomo"; the book view's ends otherwise, so
                                that it is never a text's line index file */
    int *kind;               /* &index_kind, &book_index_kind */
} IndexFile;

static IndexFile index_files[2] = {
    { info_filename, ".tomo", &index_kind },          /* VIEW_PLAIN */
    { book_filename, ".tomo-book", &book_index_kind } /* VIEW_BOOK */
};

/* Offsets collected while measuring, written a block at a time. */
static unsigned char word_block[MEASURE_BLOCK_SIZE];
static int word_fill;

static void PackWord(unsigned char *out, int32_t value)
{
    uint32_t u = (uint32_t)value;
    int i;

    for (i = 0; i < INDEX_WORD_SIZE; i++)
        out[i] = (unsigned char)(u >> (8 * i));
}

static int32_t UnpackWord(const unsigned char *in)
{
    uint32_t u = 0;
    int i;

    for (i = INDEX_WORD_SIZE - 1; i >= 0; i--)
        u = (u << 8) | in[i];
    return (int32_t)u;
}

/* The index file at path as a stream, only when that name leads to a
 * regular file of its own: not through a symbolic link, and with no other
 * name (a hard link there is someone else's file, which the index's writes
 * would overwrite). O_NONBLOCK keeps a named pipe planted at that name from
 * stalling the open. Anything else fails with *open_errno 0. */
static FILE *OpenIndex(const char *path, int flags, const char *mode, struct stat *st,
                       int *open_errno)
{
    struct stat own;
    FILE *fp;

    *open_errno = ENOENT;
    if (!st)
        st = &own;
    if (path[0] == '\0')
        return NULL;
    fp = OpenRegularFile(path, flags | O_NOFOLLOW, mode, st);
    *open_errno = fp ? 0 : errno;
    if (fp && st->st_nlink != 1) {
        fclose(fp);
        return NULL;
    }
    return fp;
}

static int ReadWordAt(FILE *fp, int64_t word, int32_t *value)
{
    unsigned char bytes[INDEX_WORD_SIZE];
    int64_t at = word * INDEX_WORD_SIZE;

    if (word < 0 || at > LONG_MAX)
        return 0;
    if (fseek(fp, (long)at, SEEK_SET) != 0)
        return 0;
    if (fread(bytes, 1, INDEX_WORD_SIZE, fp) != INDEX_WORD_SIZE)
        return 0;
    *value = UnpackWord(bytes);
    return 1;
}

/* A batch of words (offsets, each below 2 GiB), the block written out
 * first when the batch would not fit. */
static int PutWords(FILE *fp, const int64_t *ends, int n)
{
    unsigned char *out;
    int i;

    if (word_fill + n * INDEX_WORD_SIZE > MEASURE_BLOCK_SIZE) {
        if (fwrite(word_block, 1, (size_t)word_fill, fp) != (size_t)word_fill)
            return 0;
        word_fill = 0;
    }
    out = word_block + word_fill;
    for (i = 0; i < n; i++, out += INDEX_WORD_SIZE)
        PackWord(out, (int32_t)ends[i]);
    word_fill += n * INDEX_WORD_SIZE;
    return 1;
}

static int PutWord(FILE *fp, int32_t value)
{
    int64_t word = value;

    return PutWords(fp, &word, 1);
}

static int FlushWords(FILE *fp)
{
    size_t n = (size_t)word_fill;

    word_fill = 0;
    return fwrite(word_block, 1, n, fp) == n && fflush(fp) == 0;
}

/* "%s/.%s.tomo" (".tomo-book" for the book view) of the text's folder and
 * name, both taken from filename: the same bytes as from the folder listed
 * and the entry picked, and right for a text that was given by its path
 * and is on no list. A name that does not fit leaves the path empty, which
 * no open can find. */
static int FormatIndexName(const IndexFile *f)
{
    const char *slash = strrchr(filename, '/');
    int n;

    if (slash == NULL)
        n = snprintf(f->path, INFO_FILENAME_SIZE, ".%s%s", filename, f->suffix);
    else
        n = snprintf(f->path, INFO_FILENAME_SIZE, "%.*s/.%s%s", (int)(slash - filename),
                     filename, slash + 1, f->suffix);
    if (n < 0 || n >= INFO_FILENAME_SIZE) {
        f->path[0] = '\0';
        return 0;
    }
    return 1;
}

static int SameFile(const struct stat *a, const struct stat *b)
{
    return a->st_dev == b->st_dev && a->st_ino == b->st_ino;
}

/* A saved line that has a line to show; -1 is what the end move stores
 * for an empty text. */
static int ShownLine(int32_t saved, int32_t count)
{
    if (count == 0)
        return saved == 0 || saved == -1;
    return saved >= 0 && saved < count;
}

/* An index that still describes the text: its count is readable, the
 * file holds exactly the header, an offset for every line and the end
 * offset, and that end offset equals the text's size. An index cut short,
 * never finished or left from before an edit fails this and is measured
 * again. Two header words and one offset are read, whatever the size of
 * the index; *saved and *count are its header. */
static int DescribesText(FILE *fp, int64_t index_size, int64_t text_size,
                         int32_t *saved, int32_t *count)
{
    int32_t end;

    if (!ReadWordAt(fp, 0, saved) || !ReadWordAt(fp, INDEX_COUNT_WORD, count))
        return 0;
    /* every line takes at least one byte */
    if (*count < 0 || *count > text_size)
        return 0;
    if (index_size != ((int64_t)*count + INDEX_HEADER_WORDS + 1) * INDEX_WORD_SIZE)
        return 0;
    return ReadWordAt(fp, (int64_t)*count + INDEX_HEADER_WORDS, &end) && end == text_size;
}

/* Takes the position from an index that describes the text. */
static int ReuseIndex(FILE *fp, int64_t index_size, int64_t text_size)
{
    int32_t saved;
    int32_t count;
    int32_t offset;

    if (!DescribesText(fp, index_size, text_size, &saved, &count))
        return 0;
    if (!ShownLine(saved, count))
        saved = 0;
    num_lines = count;
    cur_line = saved;
    if (ReadWordAt(fp, (int64_t)saved + INDEX_HEADER_WORDS, &offset)) {
        cur_offset = offset;
        top_of_page_offset = offset;
    }
    return 1;
}

/* "Please wait... counting lines: N" into status. Written out by hand
 * rather than by snprintf, which cost more than the hundred lines cut
 * between two messages; the text always fits (31 + 10 digits). */
static void ReportProgress(int32_t lines, ProgressFunc progress, void *ctx)
{
    static const char prefix[] = "Please wait... counting lines: ";
    char digits[12];
    int n = 0;
    uint32_t rest = (uint32_t)lines;
    char *out = status + sizeof prefix - 1;

    do {
        digits[n++] = (char)('0' + rest % 10);
        rest /= 10;
    } while (rest != 0);
    memcpy(status, prefix, sizeof prefix - 1);
    while (n > 0)
        *out++ = digits[--n];
    *out = '\0';
    if (progress)
        progress(status, ctx);
}

/* Where the reader was in a stale index: its saved line, when both header
 * words can be read and it was a line of that index; else 0. */
static int32_t OldPlace(FILE *fp)
{
    int32_t saved;
    int32_t count;

    if (!ReadWordAt(fp, 0, &saved) || !ReadWordAt(fp, INDEX_COUNT_WORD, &count))
        return 0;
    return saved >= 0 && saved < count ? saved : 0;
}

/* The old place in a text measured again, lowered to its new last line
 * when the text got shorter. */
static int32_t KeptLine(int32_t place, int32_t lines)
{
    if (lines == 0)
        return 0;
    return place < lines ? place : lines - 1;
}

/* The header goes in last, over the count 0 that stood for it while the
 * offsets were written. */
static int WriteHeader(FILE *fp, int32_t saved, int32_t lines)
{
    unsigned char bytes[INDEX_HEADER_WORDS * INDEX_WORD_SIZE];

    PackWord(bytes, saved);
    PackWord(bytes + INDEX_COUNT_WORD * INDEX_WORD_SIZE, lines);
    if (fseek(fp, 0, SEEK_SET) != 0)
        return 0;
    if (fwrite(bytes, 1, sizeof bytes, fp) != sizeof bytes)
        return 0;
    return fflush(fp) == 0;
}

/* Cuts the whole text through r (open at offset 0) into the index in
 * memory and, while it takes the writes, into the new index file of w
 * (empty; abandoned once a write fails, as on a full card, which leaves
 * w->fp NULL). Returns the line count, or -1 for a text that grew past
 * 2 GiB while it was read. Lines come in batches of PROGRESS_EVERY, so a
 * full batch is exactly the moment for a progress message. */
static int32_t Measure(int view, LineReader *r, Replacement *w, ProgressFunc progress, void *ctx)
{
    int64_t ends[PROGRESS_EVERY];
    int32_t lines = 0;
    int n = PROGRESS_EVERY;

    word_fill = 0;
    MemIndexStart(view, MEM_INDEX_WORDS);
    /* saved line 0, count 0 until the end, offset of line 0 */
    if (w->fp && !(PutWord(w->fp, 0) && PutWord(w->fp, 0) && PutWord(w->fp, 0)))
        AbandonReplacement(w);
    while (n == PROGRESS_EVERY) {
        n = r->book ? ReadBookRowEnds(r, ends, PROGRESS_EVERY) : ReadLineEnds(r, ends, PROGRESS_EVERY);
        /* a text that grew past 2 GiB while it was read; offsets rise, so
         * the batch's last is its largest */
        if (n > 0 && (ends[n - 1] > INT32_MAX || lines > INT32_MAX - n))
            return -1;
        MemIndexAdd(view, ends, n);
        if (w->fp && !PutWords(w->fp, ends, n))
            AbandonReplacement(w);
        lines += n;
        if (n == PROGRESS_EVERY)
            ReportProgress(lines, progress, ctx);
    }
    return lines;
}

/* 1 when the measured index, complete with its header, is in place at
 * path; else the new file is gone and path is as it was. */
static int FinishIndex(Replacement *w, const char *path, int32_t saved, int32_t lines)
{
    if (FlushWords(w->fp) && WriteHeader(w->fp, saved, lines))
        return CommitReplacement(w, path);
    AbandonReplacement(w);
    return 0;
}

/* What LoadFileInfo finds at the index name. */
enum {
    FOUND_NOTHING,           /* free: an index can be made there */
    FOUND_INDEX,             /* an index of this text, taken */
    FOUND_STALE,             /* an index of the text as it was */
    FOUND_OTHER              /* anything that must not be written */
};

/* Looks at the index name path: an index that still describes the text
 * sets the position (ReuseIndex); a stale one gives the reader's old
 * place. The text itself, a second name of a file, a link, a folder, a
 * pipe, a name too long or one that cannot be read are all FOUND_OTHER. */
static int ProbeIndex(const char *path, const struct stat *text_st, int32_t *place)
{
    struct stat index_st;
    int open_errno;
    int found;
    FILE *fp;

    *place = 0;
    fp = OpenIndex(path, O_RDONLY, "r", &index_st, &open_errno);
    if (!fp)
        return open_errno == ENOENT ? FOUND_NOTHING : FOUND_OTHER;
    if (SameFile(&index_st, text_st)) {
        found = FOUND_OTHER;
    } else if (ReuseIndex(fp, index_st.st_size, text_st->st_size)) {
        found = FOUND_INDEX;
    } else {
        *place = OldPlace(fp);
        found = FOUND_STALE;
    }
    fclose(fp);
    return found;
}

/* Whether path now holds a complete index of the text of lines lines: one
 * that another program, which held the new index while this one measured
 * into memory, has put in place meanwhile. */
static int FinishedMeanwhile(const char *path, const struct stat *text_st, int32_t lines)
{
    struct stat index_st;
    int open_errno;
    int32_t saved;
    int32_t count;
    int found;
    FILE *fp = OpenIndex(path, O_RDONLY, "r", &index_st, &open_errno);

    if (!fp)
        return 0;
    found = !SameFile(&index_st, text_st)
            && DescribesText(fp, index_st.st_size, text_st->st_size, &saved, &count)
            && count == lines;
    fclose(fp);
    return found;
}

/* 32-bit offsets cannot describe a text of 2 GiB or more. A 32-bit off_t
 * cannot either (stat fails there first), hence the widening parameter. */
static int TooLongForIndex(int64_t size)
{
    return size > INT32_MAX;
}

/* Measures the text into memory and, unless something that must not be
 * written is at the index name path, into a new index file put in place
 * there with the reader's place. Another program writing that index at
 * the same time keeps it: this one measures into memory alone, and takes
 * the index file if the other one has put it in place by the end. Returns
 * the index the moves use, or INDEX_NONE for a text that could not be
 * read whole; num_lines and cur_line are set. */
static int BuildIndex(int view, int found, int32_t place, const struct stat *text_st,
                      ProgressFunc progress, void *ctx)
{
    const char *path = index_files[view].path;
    LineReader r;
    Replacement w;
    int32_t lines;
    int began;

    if (!OpenCutReader(&r, view, 0, measure_block, MEASURE_BLOCK_SIZE))
        return INDEX_NONE;
    w.fp = NULL;
    began = found != FOUND_OTHER && BeginReplacement(&w, path);
    lines = Measure(view, &r, &w, progress, ctx);
    CloseLineReader(&r);
    if (lines < 0) {
        AbandonReplacement(&w);
        return INDEX_NONE;
    }
    num_lines = lines;
    cur_line = KeptLine(place, lines);
    if (w.fp && FinishIndex(&w, path, cur_line, lines))
        return INDEX_FILE;
    if (!began && found != FOUND_OTHER && FinishedMeanwhile(path, text_st, lines))
        return INDEX_FILE;
    return INDEX_MEMORY;
}

void LoadIndex(int view, ProgressFunc progress, void *ctx)
{
    IndexFile *f = &index_files[view];
    struct stat text_st;
    int32_t place = 0;
    int32_t offset;
    int found = FOUND_OTHER;

    num_lines = 0;
    cur_line = 0;
    cur_offset = 0;
    top_of_page_offset = 0;
    *f->kind = INDEX_NONE;
    /* the places of texts without an index file are plain lines */
    if (view == VIEW_PLAIN)
        DropCurrentPlace();
    if (stat(filename, &text_st) != 0 || TooLongForIndex(text_st.st_size))
        return;
    if (FormatIndexName(f))
        found = ProbeIndex(f->path, &text_st, &place);
    if (found == FOUND_INDEX) {
        ClearReplacement(f->path);
        *f->kind = INDEX_FILE;
        return;
    }
    /* a text measured anew opens where it was last read without an index */
    if (found != FOUND_STALE && view == VIEW_PLAIN)
        RecallPlace(&place);
    *f->kind = BuildIndex(view, found, place, &text_st, progress, ctx);
    if (*f->kind == INDEX_NONE)
        return;
    if (*f->kind == INDEX_MEMORY && view == VIEW_PLAIN)
        NotePlace(&text_st, cur_line);
    offset = IndexOffset(view, cur_line);
    if (offset != -1) {
        cur_offset = offset;
        top_of_page_offset = offset;
    }
}

/* The view's index file open for reading, when the view has one. */
static FILE *OpenForLookUp(int view)
{
    const IndexFile *f = &index_files[view];
    int open_errno;

    if (*f->kind != INDEX_FILE)
        return NULL;
    return OpenIndex(f->path, O_RDONLY, "r", NULL, &open_errno);
}

int32_t IndexOffset(int view, int line)
{
    int32_t l = -1;
    FILE *fp;

    if (*index_files[view].kind == INDEX_MEMORY)
        return MemIndexOffset(view, line);
    fp = OpenForLookUp(view);
    if (!fp)
        return -1;
    if (!ReadWordAt(fp, (int64_t)line + INDEX_HEADER_WORDS, &l))
        l = -1;
    fclose(fp);
    return l;
}

int32_t IndexLineAt(int view, int32_t lines, int32_t offset)
{
    int32_t low = 0;
    int32_t high = lines - 1;
    int32_t mid;
    int32_t at;
    FILE *fp;

    if (*index_files[view].kind == INDEX_MEMORY)
        return MemIndexLineAt(view, offset);
    fp = OpenForLookUp(view);
    if (!fp)
        return -1;
    /* a word a look: the stream's buffer would read 4 KiB each time */
    setvbuf(fp, NULL, _IONBF, 0);
    /* the last line that starts at or before offset */
    while (low < high) {
        mid = low + (high - low + 1) / 2;
        if (!ReadWordAt(fp, (int64_t)mid + INDEX_HEADER_WORDS, &at))
            break;
        if (at <= offset)
            low = mid;
        else
            high = mid - 1;
    }
    fclose(fp);
    return low < high ? -1 : low;
}

void StoreSavedLine(int view, int32_t line)
{
    const IndexFile *f = &index_files[view];
    unsigned char bytes[INDEX_WORD_SIZE];
    int open_errno;
    FILE *fp;

    if (*f->kind == INDEX_MEMORY && view == VIEW_PLAIN)
        KeepPlace(line);
    if (*f->kind != INDEX_FILE)
        return;
    fp = OpenIndex(f->path, O_WRONLY, "w", NULL, &open_errno);
    if (!fp)
        return;
    /* fdopen never truncates: only the saved line at byte 0 changes */
    PackWord(bytes, line);
    fwrite(bytes, 1, INDEX_WORD_SIZE, fp);
    fclose(fp);
}
