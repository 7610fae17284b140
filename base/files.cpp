/* files.cpp: the one way the program opens a file it reads or writes. A
 * named pipe at a text's, an index's or the font sheet's name would stall
 * a plain open, and a device or a folder never gives what is looked for. */
#include <errno.h>
#include <fcntl.h>
#include <unistd.h>

#include "files.h"

FILE *OpenRegularFile(const char *path, int flags, const char *mode, struct stat *st)
{
    FILE *fp;
    int fd = open(path, flags | O_NONBLOCK, 0666);

    if (fd < 0)
        return NULL;
    if (fstat(fd, st) != 0 || !S_ISREG(st->st_mode)) {
        close(fd);
        errno = 0;
        return NULL;
    }
    fp = fdopen(fd, mode);
    if (!fp) {
        close(fd);
        errno = 0;
    }
    return fp;
}
