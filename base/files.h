/* files.h: opening the program's own files (a text, its line index, the
 * font sheet) only when they are regular files. No SDL here. */
#ifndef TOMO_FILES_H
#define TOMO_FILES_H

#include <stdio.h>
#include <sys/stat.h>

/* path opened with open(2) flags (O_NONBLOCK added, 0666 for a new file)
 * and fdopen'd with mode, when it is a regular file; its status in *st.
 * NULL otherwise, with errno from the open, or 0 when something other than
 * a regular file was there. */
FILE *OpenRegularFile(const char *path, int flags, const char *mode, struct stat *st);

#endif
