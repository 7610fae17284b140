/* navigation.cpp: moving the page through the text by whole wrapped lines.
 * Moves work on line numbers alone and take the offset of the new top line
 * from the index file, so the text itself is never read here. */
#include "viewer.h"

/* A line without an offset (no index, or none for that line) still
 * becomes cur_line, but the page stays and nothing is stored. */
static void GoToLine(int n)
{
    int32_t new_offset;

    cur_line = n;
    new_offset = GetSavedOffset(n);
    if (new_offset == -1)
        return;
    cur_offset = new_offset;
    UpdateInfoFile();
}

/* Down by step lines, stopping at the last line; nothing at all when the
 * page already shows it at the top. */
static void MoveDownBy(int step)
{
    int line = cur_line;
    int lines = num_lines;

    cur_offset = top_of_page_offset;
    if (line + 1 < lines) {
        /* compared before adding, so a count near INT_MAX cannot overflow */
        if (step >= lines - 1 - line)
            GoToLine(lines - 1);
        else
            GoToLine(line + step);
    }
    top_of_page_offset = cur_offset;
}

static void MoveUpBy(int step)
{
    int line = cur_line;

    cur_offset = top_of_page_offset;
    if (line > 0)
        GoToLine(line - step < 0 ? 0 : line - step);
    top_of_page_offset = cur_offset;
}

void MoveDownOneLine(void)
{
    MoveDownBy(1 + extra_lines_skipped);
}

void MoveUpOneLine(void)
{
    MoveUpBy(1 + extra_lines_skipped);
}

/* At most 11 hundredths of 2^31 lines: no overflow. */
static int HundredthsStep(void)
{
    int part = num_lines / TEXT_STEPS;

    return (1 + extra_lines_skipped) * (part > 0 ? part : 1);
}

void MoveDownHundredth(void)
{
    MoveDownBy(HundredthsStep());
}

void MoveUpHundredth(void)
{
    MoveUpBy(HundredthsStep());
}

void MoveDown15Lines(void)
{
    int i;

    for (i = 0; i < PAGE_STEP; i++)
        MoveDownOneLine();
}

void MoveUp15Lines(void)
{
    int i;

    for (i = 0; i < PAGE_STEP; i++)
        MoveUpOneLine();
}

void MoveToBeginning(void)
{
    cur_offset = top_of_page_offset;
    GoToLine(0);
    top_of_page_offset = cur_offset;
}

/* On an empty text this is line -1, whose lookup reads the count word (0),
 * so the page stays at offset 0 and -1 is stored. */
void MoveToEnd(void)
{
    int lines = num_lines;

    cur_offset = top_of_page_offset;
    GoToLine(lines - 1);
    top_of_page_offset = cur_offset;
}
