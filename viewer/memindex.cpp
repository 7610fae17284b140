/* memindex.cpp: the line index kept in memory, for a text whose index file
 * cannot be used. It holds the offset of every k-th line in a fixed table;
 * k starts at 1 and doubles, every other entry dropped, each time the
 * table fills, so the table's size bounds the memory whatever the text. A
 * lookup cuts forward from the nearest kept line with the one cut that
 * measured the text, so it finds exactly the offsets an index file holds.
 * Each view has a table of its own, so that the plain line at the top of a
 * page of the book view is found where no index file is either: the book
 * view's is smaller, its lines are more than a row long. */
#include "viewer.h"

/* One view's table. */
typedef struct memTable {
    int32_t *samples;        /* offset of line i << shift */
    int size;                /* words of samples */
    int capacity;            /* entries usable, even, >= 2 */
    int shift;               /* k = 1 << shift */
    int32_t lines;           /* lines added */
    int32_t end_offset;      /* where the last line ends */
} MemTable;

static int32_t line_samples[MEM_INDEX_WORDS];
static int32_t row_samples[BOOK_MEM_INDEX_WORDS];
static MemTable tables[2] = {
    { line_samples, MEM_INDEX_WORDS, 2, 0, 0, 0 },   /* VIEW_PLAIN */
    { row_samples, BOOK_MEM_INDEX_WORDS, 2, 0, 0, 0 } /* VIEW_BOOK */
};

/* The lines of one table entry, cut when first looked up: a page move and
 * the one-line moves around it look up neighbouring lines, which then cost
 * no reading at all. One for both tables. */
static int32_t block[MEM_INDEX_MAX_STEP]; /* offsets of block_first + i */
static int block_view = -1;               /* the table they are of, -1 for none */
static int32_t block_first;               /* their first line */
static int block_count;                   /* offsets held */
static char lookup_buf[LOOKUP_BLOCK_SIZE];

void MemIndexStart(int view, int words)
{
    MemTable *t = &tables[view];

    if (words > t->size)
        words = t->size;
    if (words < 2)
        words = 2;
    t->capacity = words & ~1;
    t->shift = 0;
    t->lines = 0;
    t->end_offset = 0;
    t->samples[0] = 0;
    if (block_view == view)
        block_view = -1;
}

/* Keeps every other entry; k doubles. */
static void Halve(MemTable *t)
{
    int32_t *samples = t->samples;
    const int half = t->capacity / 2;
    int i;

    for (i = 1; i < half; i++)
        samples[i] = samples[2 * i];
    t->shift++;
}

/* ends[i] is where line lines + i + 1 starts (after the last line, the end
 * of the text). Only the lines that fall on a multiple of k are visited,
 * in runs that end where the table fills. */
void MemIndexAdd(int view, const int64_t *ends, int n)
{
    MemTable *t = &tables[view];
    int32_t *samples = t->samples;
    const int capacity = t->capacity;
    int32_t step = (int32_t)1 << t->shift;
    /* the first i with lines + i + 1 a multiple of k */
    int32_t i = step - 1 - t->lines % step;
    int32_t entry = (t->lines + i + 1) >> t->shift;
    int32_t stop;

    /* samples and capacity out of t, which a store into the table could
     * change for all the compiler knows (here and in Halve) */
    while (i < n) {
        if (entry == capacity) {
            Halve(t);
            step <<= 1;
            entry >>= 1;
            continue;
        }
        stop = n;
        if ((capacity - entry) < (n - i + step - 1) / step)
            stop = i + (capacity - entry) * step;
        for (; i < stop; i += step)
            samples[entry++] = (int32_t)ends[i];
    }
    if (n > 0) {
        t->lines += n;
        t->end_offset = (int32_t)ends[n - 1];
    }
}

/* Cuts the lines of the entry that holds first (up to k of them, fewer at
 * the end of the text or where it can no longer be read as measured). */
static void CutBlock(int view, int32_t first)
{
    const MemTable *t = &tables[view];
    LineReader r;
    int32_t want = t->lines - first;
    int64_t at;

    if (want > ((int32_t)1 << t->shift))
        want = (int32_t)1 << t->shift;
    if (want > MEM_INDEX_MAX_STEP)
        want = MEM_INDEX_MAX_STEP;
    block_view = view;
    block_first = first;
    block[0] = t->samples[first >> t->shift];
    block_count = 1;
    /* with k = 1, as for any text of fewer lines than the table holds, the
     * text is not read at all */
    if (want == 1 || !OpenCutReader(&r, view, block[0], lookup_buf, LOOKUP_BLOCK_SIZE))
        return;
    while (block_count < want && ReadWrappedLine(&r, NULL)) {
        at = LineReaderOffset(&r);
        if (at > INT32_MAX)
            break;
        block[block_count++] = (int32_t)at;
    }
    CloseLineReader(&r);
}

int32_t MemIndexOffset(int view, int line)
{
    const MemTable *t = &tables[view];
    int32_t first;

    if (line == t->lines)
        return t->end_offset;
    if (line < 0 || line > t->lines)
        return -1;
    first = (line >> t->shift) << t->shift;
    if (block_view != view || first != block_first)
        CutBlock(view, first);
    if (line - first >= block_count)
        return -1;
    return block[line - first];
}

int32_t MemIndexLineAt(int view, int32_t offset)
{
    const MemTable *t = &tables[view];
    int32_t low = 0;
    int32_t high = (t->lines - 1) >> t->shift;
    int32_t mid;
    int32_t first;
    int i;

    if (t->lines == 0)
        return 0;
    /* the last kept line at or before offset, then the lines after it */
    while (low < high) {
        mid = low + (high - low + 1) / 2;
        if (t->samples[mid] <= offset)
            low = mid;
        else
            high = mid - 1;
    }
    first = low << t->shift;
    if (block_view != view || first != block_first)
        CutBlock(view, first);
    for (i = 1; i < block_count && first + i < t->lines && block[i] <= offset; i++)
        ;
    return first + i - 1;
}
