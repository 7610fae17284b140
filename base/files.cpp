/* files.cpp: the one way the program opens a file it reads or writes, and
 * the one way it replaces a file whole. A named pipe at a text's, an
 * index's or the font sheet's name would stall a plain open, and a device
 * or a folder never gives what is looked for. */
#include <errno.h>
#include <fcntl.h>
#include <sys/file.h>
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

/* The temporary file is taken only once it is locked and still the one at
 * its name: a program that finished meanwhile has renamed the file it held
 * over the real one, which must not be emptied. One left by a program that
 * was killed is taken over. */
int BeginReplacement(Replacement *w, const char *path)
{
    struct stat held;
    struct stat named;
    int fd;
    int n = snprintf(w->tmp, sizeof w->tmp, "%s.new", path);

    w->fp = NULL;
    if (n < 0 || n >= (int)sizeof w->tmp)
        return 0;
    w->fp = OpenRegularFile(w->tmp, O_WRONLY | O_CREAT | O_NOFOLLOW, "w", &held);
    if (!w->fp)
        return 0;
    fd = fileno(w->fp);
    if (held.st_nlink != 1 || flock(fd, LOCK_EX | LOCK_NB) != 0
        || lstat(w->tmp, &named) != 0 || named.st_dev != held.st_dev || named.st_ino != held.st_ino
        || ftruncate(fd, 0) != 0) {
        fclose(w->fp);
        w->fp = NULL;
        return 0;
    }
    return 1;
}

/* Only a regular file of one name is replaced: anything else at path (a
 * link, a folder, a second name of another file) is not the program's. */
static int FreeToReplace(const char *path)
{
    struct stat st;

    if (lstat(path, &st) != 0)
        return errno == ENOENT;
    return S_ISREG(st.st_mode) && st.st_nlink == 1;
}

int CommitReplacement(Replacement *w, const char *path)
{
    if (fflush(w->fp) != 0 || ferror(w->fp) || fsync(fileno(w->fp)) != 0 || !FreeToReplace(path)
        || rename(w->tmp, path) != 0) {
        AbandonReplacement(w);
        return 0;
    }
    /* the lock goes with the close, after the rename */
    fclose(w->fp);
    w->fp = NULL;
    return 1;
}

void AbandonReplacement(Replacement *w)
{
    if (!w->fp)
        return;
    unlink(w->tmp);
    fclose(w->fp);
    w->fp = NULL;
}
