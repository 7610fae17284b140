/* memindex.cpp: the line index kept in memory, for a text whose index file
 * cannot be used. It holds the offset of every k-th line in a fixed table;
 * k starts at 1 and doubles, every other entry dropped, each time the
 * table fills, so the table's size bounds the memory whatever the text. A
 * lookup cuts forward from the nearest kept line with the one cut that
 * measured the text, so it finds exactly the offsets an index file holds. */
#include "viewer.h"

static int32_t samples[MEM_INDEX_WORDS]; /* offset of line i << shift */
static int capacity;                     /* entries usable, even, >= 2 */
static int shift;                        /* k = 1 << shift */
static int32_t lines;                    /* lines added */
static int32_t end_offset;               /* where the last line ends */

/* The lines of one table entry, cut when first looked up: a page move and
 * the one-line moves around it look up neighbouring lines, which then cost
 * no reading at all. */
static int32_t block[MEM_INDEX_MAX_STEP]; /* offsets of block_first + i */
static int32_t block_first = -1;          /* its first line, -1 for none */
static int block_count;                   /* offsets held */
static char lookup_buf[LOOKUP_BLOCK_SIZE];

void MemIndexStart(int words)
{
    if (words > MEM_INDEX_WORDS)
        words = MEM_INDEX_WORDS;
    if (words < 2)
        words = 2;
    capacity = words & ~1;
    shift = 0;
    lines = 0;
    end_offset = 0;
    samples[0] = 0;
    block_first = -1;
    block_count = 0;
}

/* Keeps every other entry; k doubles. */
static void Halve(void)
{
    int i;

    for (i = 1; i < capacity / 2; i++)
        samples[i] = samples[2 * i];
    shift++;
}

/* ends[i] is where line lines + i + 1 starts (after the last line, the end
 * of the text). Only the lines that fall on a multiple of k are visited,
 * in runs that end where the table fills. */
void MemIndexAdd(const int64_t *ends, int n)
{
    int32_t step = (int32_t)1 << shift;
    /* the first i with lines + i + 1 a multiple of k */
    int32_t i = step - 1 - lines % step;
    int32_t entry = (lines + i + 1) >> shift;
    int32_t stop;

    while (i < n) {
        if (entry == capacity) {
            Halve();
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
        lines += n;
        end_offset = (int32_t)ends[n - 1];
    }
}

/* Cuts the lines of the entry that holds first (up to k of them, fewer at
 * the end of the text or where it can no longer be read as measured). */
static void CutBlock(int32_t first)
{
    LineReader r;
    int32_t want = lines - first;
    int64_t at;

    if (want > ((int32_t)1 << shift))
        want = (int32_t)1 << shift;
    if (want > MEM_INDEX_MAX_STEP)
        want = MEM_INDEX_MAX_STEP;
    block_first = first;
    block[0] = samples[first >> shift];
    block_count = 1;
    /* with k = 1, as for any text of fewer lines than the table holds, the
     * text is not read at all */
    if (want == 1 || !OpenLineReader(&r, filename, block[0], lookup_buf, LOOKUP_BLOCK_SIZE))
        return;
    while (block_count < want && ReadWrappedLine(&r, NULL)) {
        at = LineReaderOffset(&r);
        if (at > INT32_MAX)
            break;
        block[block_count++] = (int32_t)at;
    }
    CloseLineReader(&r);
}

int32_t MemIndexOffset(int line)
{
    int32_t first;

    if (line == lines)
        return end_offset;
    if (line < 0 || line > lines)
        return -1;
    first = (line >> shift) << shift;
    if (first != block_first)
        CutBlock(first);
    if (line - first >= block_count)
        return -1;
    return block[line - first];
}
