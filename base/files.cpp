/* files.cpp: the one way the program opens a file it reads or writes, and
 * the one way it writes a file anew. A named pipe at a text's, an index's
 * or the font sheet's name would stall a plain open, and a device or a
 * folder never gives what is looked for. A file written in place is
 * visible half-written to another program and lost by a kill or a power
 * loss midway: a new one is written beside it and renamed over it whole. */
#include <errno.h>
#include <fcntl.h>
#include <string.h>
#include <sys/file.h>
#include <unistd.h>

#include "files.h"

enum {
    TEMP_SUFFIX_LEN = 4,     /* ".new" */
    /* a temporary file renamed or removed by its writer between our open
     * and our lock is looked for again, a few times at most */
    TAKE_TRIES = 3
};

static const char temp_suffix[] = ".new";

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

/* path + ".new" into tmp. A last part that leaves no room for the suffix
 * within a name's NAME_MAX bytes, or the path's within size, is cut short
 * first: the name stays the same for every visit, and ends differently
 * from any index name. */
static int TempName(char *tmp, size_t size, const char *path)
{
    const char *slash = strrchr(path, '/');
    size_t base = slash ? (size_t)(slash - path) + 1 : 0;
    size_t len = strlen(path);

    if (len - base > NAME_MAX - TEMP_SUFFIX_LEN)
        len = base + NAME_MAX - TEMP_SUFFIX_LEN;
    if (len + sizeof temp_suffix > size)
        len = size - sizeof temp_suffix;
    if (len <= base)
        return 0;
    memcpy(tmp, path, len);
    memcpy(tmp + len, temp_suffix, sizeof temp_suffix);
    return 1;
}

/* 1 when name still leads to the open file fd, a regular file of one
 * name; 0 when it leads to the same file with a second name; -1 when it
 * leads elsewhere or nowhere. */
static int StillNamed(int fd, const char *name)
{
    struct stat own;
    struct stat at;

    if (fstat(fd, &own) != 0 || lstat(name, &at) != 0)
        return -1;
    if (own.st_dev != at.st_dev || own.st_ino != at.st_ino)
        return -1;
    return S_ISREG(at.st_mode) && at.st_nlink == 1;
}

/* The temporary file opened (created when create is set) and locked.
 * The lock is looked at again through the name: a writer may have renamed
 * it over its path, or removed it, between our open and our lock, and
 * what we locked is then no temporary file. 1 taken, 0 refused, -1 to be
 * looked for again. */
static int TakeTemp(Replacement *w, int create)
{
    struct stat st;
    int named;
    FILE *fp = OpenRegularFile(w->tmp, O_RDWR | O_NOFOLLOW | (create ? O_CREAT : 0), "w", &st);

    if (!fp)
        return 0;
    if (st.st_nlink > 1 || flock(fileno(fp), LOCK_EX | LOCK_NB) != 0) {
        fclose(fp);
        return 0;
    }
    named = StillNamed(fileno(fp), w->tmp);
    if (named != 1) {
        fclose(fp);
        return named;
    }
    w->fp = fp;
    return 1;
}

static int Take(Replacement *w, const char *path, int create)
{
    int i;
    int got = 0;

    w->fp = NULL;
    if (!TempName(w->tmp, sizeof w->tmp, path))
        return 0;
    for (i = 0; i < TAKE_TRIES; i++) {
        got = TakeTemp(w, create);
        if (got >= 0)
            break;
    }
    return got == 1;
}

int BeginReplacement(Replacement *w, const char *path)
{
    if (!Take(w, path, 1))
        return 0;
    /* what a killed program left is no part of the new file */
    if (ftruncate(fileno(w->fp), 0) != 0) {
        AbandonReplacement(w);
        return 0;
    }
    return 1;
}

/* Where a rename may put the new file: nowhere yet, or over a regular
 * file of one name. A link, a folder or a pipe at path, or a second name
 * of someone's file, is left as it is. */
static int MayReplace(const char *path)
{
    struct stat at;

    if (lstat(path, &at) != 0)
        return errno == ENOENT;
    return S_ISREG(at.st_mode) && at.st_nlink == 1;
}

/* The rename reaches the card with its folder: without this a power loss
 * soon after could bring the old file back (never a half-written one). A
 * folder that cannot be synced is left to the system. */
static void SyncFolder(const char *path)
{
    char folder[PATH_MAX];
    const char *slash = strrchr(path, '/');
    size_t len = slash ? (size_t)(slash - path) : 0;
    int fd;

    if (len == 0 && slash)
        len = 1;
    if (len >= sizeof folder)
        return;
    if (len == 0)
        strcpy(folder, ".");
    else {
        memcpy(folder, path, len);
        folder[len] = '\0';
    }
    fd = open(folder, O_RDONLY | O_DIRECTORY);
    if (fd < 0)
        return;
    fsync(fd);
    close(fd);
}

int CommitReplacement(Replacement *w, const char *path)
{
    if (!w->fp)
        return 0;
    if (fflush(w->fp) != 0 || fsync(fileno(w->fp)) != 0 || !MayReplace(path)
        || StillNamed(fileno(w->fp), w->tmp) != 1 || rename(w->tmp, path) != 0) {
        AbandonReplacement(w);
        return 0;
    }
    SyncFolder(path);
    /* everything is on the card: a failing close loses nothing */
    fclose(w->fp);
    w->fp = NULL;
    return 1;
}

void AbandonReplacement(Replacement *w)
{
    if (!w->fp)
        return;
    if (StillNamed(fileno(w->fp), w->tmp) == 1)
        unlink(w->tmp);
    fclose(w->fp);
    w->fp = NULL;
}

void ClearReplacement(const char *path)
{
    Replacement w;

    if (Take(&w, path, 0))
        AbandonReplacement(&w);
}
