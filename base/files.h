/* files.h: opening the program's own files (a text, its line index, the
 * font sheet) only when they are regular files, and writing a file anew
 * so that its name never leads to a half-written one. No SDL here. */
#ifndef TOMO_FILES_H
#define TOMO_FILES_H

#include <limits.h>
#include <stdio.h>
#include <sys/stat.h>

#ifndef PATH_MAX
#define PATH_MAX 4096
#endif

/* path opened with open(2) flags (O_NONBLOCK added, 0666 for a new file)
 * and fdopen'd with mode, when it is a regular file; its status in *st.
 * NULL otherwise, with errno from the open, or 0 when something other than
 * a regular file was there. */
FILE *OpenRegularFile(const char *path, int flags, const char *mode, struct stat *st);

/* A file written anew under a temporary name beside path (path + ".new",
 * hidden wherever path is) and put in place whole by a rename. Whoever
 * writes it holds a lock on it, so that one program at a time does; a
 * temporary file left by a killed program is no one's, and is taken over
 * by the next. */
typedef struct replacement {
    FILE *fp;               /* the temporary file, empty when begun; NULL once done */
    char tmp[PATH_MAX];     /* its name */
} Replacement;

/* 1 with w->fp open on the temporary file, which is this program's own:
 * a regular file of one name, never a link, taken over (emptied) when a
 * killed program left it; 0 when it cannot be made or another program is
 * writing it at this moment. */
int BeginReplacement(Replacement *w, const char *path);
/* Flushes and syncs the temporary file and renames it over path, only
 * when path is free or a regular file of one name (never a link, a
 * folder, a pipe, a second name of another file); 1 when path now holds
 * it. On 0 the temporary file is gone and path is as it was. Closes. */
int CommitReplacement(Replacement *w, const char *path);
/* Removes the temporary file (while it is still ours) and closes. */
void AbandonReplacement(Replacement *w);
/* Removes a temporary file of path that a killed program left, unless
 * another program is writing it; nothing else is touched. */
void ClearReplacement(const char *path);

#endif
