/* lineindex.cpp: the hidden line index file beside each text. A text is
 * measured once; later visits reuse the offsets and open at the saved line
 * without reading the text. Layout, in little-endian 32-bit words: saved
 * line, line count, then the start offset of every line and the end
 * offset, which is the text's size. */
#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include "viewer.h"

static char measure_block[MEASURE_BLOCK_SIZE];

/* 1 once LoadFileInfo took or built the index at info_filename. A file left
 * at that name otherwise (the text itself under another name, an index of a
 * text since grown past 2 GiB, a stale one that could not be rebuilt) is
 * neither looked up nor written: its words are no offsets of this text. */
static int index_taken;

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

/* The index file as a stream, only when its name leads to a regular file
 * without going through a symbolic link. O_NONBLOCK keeps a named pipe
 * planted at that name from stalling the open. */
static FILE *OpenIndex(int flags, const char *mode, struct stat *st,
                       int *open_errno)
{
    struct stat own;
    int fd;
    FILE *fp;

    *open_errno = ENOENT;
    if (!st)
        st = &own;
    if (info_filename[0] == '\0')
        return NULL;
    fd = open(info_filename, flags | O_NOFOLLOW | O_NONBLOCK, 0666);
    *open_errno = fd < 0 ? errno : 0;
    if (fd < 0)
        return NULL;
    if (fstat(fd, st) != 0 || !S_ISREG(st->st_mode)) {
        close(fd);
        return NULL;
    }
    fp = fdopen(fd, mode);
    if (!fp)
        close(fd);
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

/* "%s/.%s.tomo" of the folder and the highlighted entry; a name that does
 * not fit leaves info_filename empty, which no open can find. */
static int FormatInfoName(void)
{
    int n;

    info_filename[0] = '\0';
    if (!dirlist || top_of_list < 0 || top_of_list >= dirlist_size)
        return 0;
    n = snprintf(info_filename, INFO_FILENAME_SIZE, "%s/.%s.tomo", curPath,
                 dirlist[top_of_list].file);
    if (n < 0 || n >= INFO_FILENAME_SIZE) {
        info_filename[0] = '\0';
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

/* Takes the position from an index that still describes the text: its
 * count is readable and the end offset after the last line equals the
 * text's size. An index cut short, never finished or left from before an
 * edit fails this and is measured again. Two header words and one offset
 * are read, whatever the size of the index. */
static int ReuseIndex(FILE *fp, int64_t text_size)
{
    int32_t saved;
    int32_t count;
    int32_t end;
    int32_t offset;

    if (!ReadWordAt(fp, 0, &saved) || !ReadWordAt(fp, INDEX_COUNT_WORD, &count))
        return 0;
    /* every line takes at least one byte */
    if (count < 0 || count > text_size)
        return 0;
    if (!ReadWordAt(fp, (int64_t)count + INDEX_HEADER_WORDS, &end) || end != text_size)
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
        progress(ctx);
}

/* The count goes in last, after every offset is on the disk: a file left
 * unfinished keeps count 0, whose end offset (that of line 0) is 0 and
 * so fails the reuse check for every text but an empty one. Any wrong
 * count points at a word other than the end offset, the only one that
 * equals the text's size. The count itself needs no sync: if it is lost,
 * the text is measured again. */
static int WriteCount(FILE *fp, int32_t lines)
{
    unsigned char bytes[INDEX_WORD_SIZE];

    PackWord(bytes, lines);
    if (fseek(fp, INDEX_COUNT_WORD * INDEX_WORD_SIZE, SEEK_SET) != 0)
        return 0;
    if (fwrite(bytes, 1, INDEX_WORD_SIZE, fp) != INDEX_WORD_SIZE)
        return 0;
    return fflush(fp) == 0;
}

/* Cuts the whole text through r (open at offset 0) and writes the index
 * into fp (empty, positioned at 0). Returns the line count, or -1 when the
 * index could not be completed. Lines come in batches of PROGRESS_EVERY,
 * so a full batch is exactly the moment for a progress message. */
static int32_t Measure(LineReader *r, FILE *fp, ProgressFunc progress, void *ctx)
{
    int64_t ends[PROGRESS_EVERY];
    int32_t lines = 0;
    int n;
    int ok;

    word_fill = 0;
    /* saved line 0, count 0 until the end, offset of line 0 */
    ok = PutWord(fp, 0) && PutWord(fp, 0) && PutWord(fp, 0);
    n = PROGRESS_EVERY;
    while (ok && n == PROGRESS_EVERY) {
        n = ReadLineEnds(r, ends, PROGRESS_EVERY);
        /* a text that grew past 2 GiB while it was read; offsets rise, so
         * the batch's last is its largest */
        if (n > 0 && (ends[n - 1] > INT32_MAX || lines > INT32_MAX - n))
            return -1;
        ok = PutWords(fp, ends, n);
        lines += n;
        if (ok && n == PROGRESS_EVERY)
            ReportProgress(lines, progress, ctx);
    }
    ok = ok && FlushWords(fp) && fsync(fileno(fp)) == 0 && WriteCount(fp, lines);
    return ok ? lines : -1;
}

/* Measures into an index open for writing; one that cannot be completed
 * is emptied, so that it can never pass for a finished one (and should
 * even that fail, its count word is still 0, which the reuse check
 * rejects). */
static int BuildIndex(LineReader *r, FILE *fp, ProgressFunc progress, void *ctx)
{
    int32_t lines = Measure(r, fp, progress, ctx);
    int fd;

    if (lines < 0) {
        /* closed first, so that nothing still buffered lands after the
         * truncation */
        fd = dup(fileno(fp));
        fclose(fp);
        if (fd >= 0 && ftruncate(fd, 0) == 0)
            fsync(fd);
        if (fd >= 0)
            close(fd);
        return 0;
    }
    fclose(fp);
    num_lines = lines;
    return 1;
}

/* The index to measure into: a new one, or the stale regular file at
 * that name emptied. NULL when there is to be no index. */
static FILE *OpenIndexForBuild(int exists, const struct stat *text_st)
{
    struct stat index_st;
    int open_errno;
    FILE *fp;

    if (!exists)
        return OpenIndex(O_WRONLY | O_CREAT | O_EXCL, "w", &index_st, &open_errno);
    fp = OpenIndex(O_WRONLY, "w", &index_st, &open_errno);
    if (!fp)
        return NULL;
    if (SameFile(&index_st, text_st) || ftruncate(fileno(fp), 0) != 0) {
        fclose(fp);
        return NULL;
    }
    return fp;
}

/* 32-bit offsets cannot describe a text of 2 GiB or more. A 32-bit off_t
 * cannot either (stat fails there first), hence the widening parameter. */
static int TooLongForIndex(int64_t size)
{
    return size > INT32_MAX;
}

void LoadFileInfo(ProgressFunc progress, void *ctx)
{
    struct stat text_st;
    struct stat index_st;
    int open_errno;
    int exists;
    int same;
    LineReader r;
    FILE *fp;

    num_lines = 0;
    cur_line = 0;
    cur_offset = 0;
    top_of_page_offset = 0;
    index_taken = 0;
    if (!FormatInfoName())
        return;
    if (stat(filename, &text_st) != 0 || TooLongForIndex(text_st.st_size))
        return;
    fp = OpenIndex(O_RDONLY, "r", &index_st, &open_errno);
    exists = fp != NULL;
    if (fp) {
        /* the text itself under the index name is neither read nor rebuilt */
        same = SameFile(&index_st, &text_st);
        index_taken = !same && ReuseIndex(fp, text_st.st_size);
        fclose(fp);
        if (same || index_taken)
            return;
    } else if (open_errno != ENOENT) {
        return;
    }
    if (!OpenLineReader(&r, filename, 0, measure_block, MEASURE_BLOCK_SIZE))
        return;
    fp = OpenIndexForBuild(exists, &text_st);
    if (fp)
        index_taken = BuildIndex(&r, fp, progress, ctx);
    CloseLineReader(&r);
}

int32_t GetSavedOffset(int line)
{
    int open_errno;
    int32_t l = -1;
    FILE *fp;

    if (!index_taken)
        return -1;
    fp = OpenIndex(O_RDONLY, "r", NULL, &open_errno);
    if (!fp)
        return -1;
    if (!ReadWordAt(fp, (int64_t)line + INDEX_HEADER_WORDS, &l))
        l = -1;
    fclose(fp);
    return l;
}

void UpdateInfoFile(void)
{
    unsigned char bytes[INDEX_WORD_SIZE];
    int open_errno;
    FILE *fp;

    if (!index_taken)
        return;
    fp = OpenIndex(O_WRONLY, "w", NULL, &open_errno);
    if (!fp)
        return;
    /* fdopen never truncates: only the saved line at byte 0 changes */
    PackWord(bytes, cur_line);
    fwrite(bytes, 1, INDEX_WORD_SIZE, fp);
    fclose(fp);
}
