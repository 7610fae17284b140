/* viewfile.cpp: the view the reader chose last, plain or book, kept across
 * starts in the state file view_filename: one line, "plain" or "book". A
 * first start, or a file that cannot be read, is in the plain view. The
 * file is written anew beside its name and renamed over it, so that it is
 * never found half written. */
#include <fcntl.h>
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>

#include "files.h"
#include "statefile.h"
#include "tomo.h"

static const char *const view_lines[] = { "plain\n", "book\n" }; /* by VIEW_* */

void LoadViewChoice(void)
{
    char line[16];
    struct stat st;
    size_t n;
    FILE *fp = view_filename[0] ? OpenRegularFile(view_filename, O_RDONLY, "r", &st) : NULL;

    text_view = VIEW_PLAIN;
    if (!fp)
        return;
    n = fread(line, 1, sizeof line - 1, fp);
    fclose(fp);
    line[n] = '\0';
    if (strcmp(line, view_lines[VIEW_BOOK]) == 0)
        text_view = VIEW_BOOK;
}

void SaveViewChoice(void)
{
    Replacement w;

    if (view_filename[0] == '\0' || !BeginReplacement(&w, view_filename))
        return;
    if (fputs(view_lines[text_view], w.fp) < 0) {
        AbandonReplacement(&w);
        return;
    }
    CommitReplacement(&w, view_filename);
}
