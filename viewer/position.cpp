/* position.cpp: the reader's position as the status line shows it, for
 * the page view and the status timer alike. */
#include <stdio.h>

#include "viewer.h"

void FormatPosition(char *buf, int size)
{
    int line = cur_line;
    int lines = num_lines;
    int percent = 0;

    /* each count goes through float first and the division is done in
     * double, then cut toward zero: 2 of 3 reads 66 */
    if (lines != 0)
        percent = (int)((double)(float)(line + 1) * 100 / (double)(float)lines);
    snprintf(buf, (size_t)size, "On line %ld of %ld (%d%%)", (long)line + 1,
             (long)lines, percent);
}
