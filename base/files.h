/* files.h: opening the program's own files (a text, its line index, the
 * font sheet) only when they are regular files, and writing a file anew
 * under a temporary name that replaces it whole once complete. No SDL
 * here. */
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

/* A file written anew beside the one it replaces, at path + ".new", and
 * renamed over it when complete: a reader finds the old file or the new
 * one, never half of either. The temporary file is locked (flock) while it
 * is written, so two programs never write it at once. */
typedef struct replacement {
    FILE *fp;                /* the temporary file, open for writing */
    char tmp[PATH_MAX];      /* its path */
} Replacement;

/* 1: w->fp open on path + ".new", empty and ours; 0: it cannot be made, or
 * another program is writing it. */
int BeginReplacement(Replacement *w, const char *path);
/* Flushes and syncs the temporary file and renames it over path, if path
 * is free or a regular file of one name; 1 on success. Closes it either
 * way (and removes it on failure). */
int CommitReplacement(Replacement *w, const char *path);
/* Removes the temporary file and closes it. */
void AbandonReplacement(Replacement *w);

#endif
