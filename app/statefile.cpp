/* statefile.cpp: the places of the state files. The desktop follows the
 * XDG base directory rules, so that what the program remembers sits with
 * every other program's and goes with the user's home; the console has no
 * home, and keeps its files hidden in the folder it was started in. */
#include <errno.h>
#include <limits.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include "statefile.h"

static int NoPlace(char *out)
{
    out[0] = '\0';
    return 0;
}

/* Every folder of path up to its last "/", made where missing. */
static int MakeFolders(char *path)
{
    struct stat st;
    char *last = strrchr(path, '/');
    char *slash;
    int ok;

    if (last == NULL || last == path)
        return 1;
    for (slash = strchr(path + 1, '/'); slash != NULL && slash <= last; slash = strchr(slash + 1, '/')) {
        *slash = '\0';
        ok = mkdir(path, 0700) == 0 || errno == EEXIST;
        *slash = '/';
        if (!ok)
            return 0;
    }
    *last = '\0';
    ok = stat(path, &st) == 0 && S_ISDIR(st.st_mode);
    *last = '/';
    return ok;
}

int UserStateFilePath(char *out, int size, const char *name)
{
    const char *xdg = getenv("XDG_STATE_HOME");
    const char *home = getenv("HOME");
    int n;

    if (xdg != NULL && xdg[0] == '/')
        n = snprintf(out, (size_t)size, "%s/tomo/%s", xdg, name);
    else if (home != NULL && home[0] == '/')
        n = snprintf(out, (size_t)size, "%s/.local/state/tomo/%s", home, name);
    else
        return NoPlace(out);
    if (n < 0 || n >= size || !MakeFolders(out))
        return NoPlace(out);
    return 1;
}

int StartFolderFilePath(char *out, int size, const char *name)
{
    char folder[PATH_MAX];
    int n;

    if (getcwd(folder, sizeof folder) == NULL)
        return NoPlace(out);
    n = snprintf(out, (size_t)size, "%s/.tomo-%s", strcmp(folder, "/") == 0 ? "" : folder, name);
    if (n < 0 || n >= size)
        return NoPlace(out);
    return 1;
}
