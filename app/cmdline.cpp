/* cmdline.cpp: where the program starts: the working directory, or on the
 * desktop what its command line names (tomo [PATH], --help, --version). A
 * folder is listed; a text is opened at its place with the list of its
 * folder behind it, as if it had been picked there. */
#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include "app.h"
#include "files.h"

void StartInWorkingDirectory(void)
{
    if (getcwd(curPath, CUR_PATH_SIZE) != NULL)
        return;
    curPath[0] = '\0';
    fprintf(stderr, "tomo: the working directory: %s\n",
            errno == ERANGE ? "path too long" : strerror(errno));
}

static void PrintKeys(FILE *out)
{
    char keys[128];
    int i;

    fprintf(out, "  %-22s %-34s %s\n", "Keys", "In the list", "In a text");
    for (i = 0; i < button_map_len; i++) {
        DesktopKeys(&button_map[i], keys, (int)sizeof keys);
        fprintf(out, "  %-22s %-34s %s\n", keys, button_map[i].list_does, button_map[i].text_does);
    }
    fprintf(out, "  %-22s %-34s %s\n", "(closing the window)", "quit", "quit");
}

void PrintHelp(FILE *out)
{
    fprintf(out,
            "Usage: tomo [PATH]\n"
            "Reads text files in pages of %d lines of %d characters, and opens each\n"
            "again where it was left.\n"
            "\n"
            "With no PATH, lists the working directory; with a folder, lists that;\n"
            "with a text, opens it at once, with the list of its folder behind it.\n"
            "\n"
            "  --help     print this help and exit\n"
            "  --version  print the version and exit\n"
            "\n",
            PAGE_LINES, TEXT_COLS);
    PrintKeys(out);
    fprintf(out, "\nA notch of the mouse wheel moves %d lines or %d entries.\n", WHEEL_STEPS, WHEEL_STEPS);
}

/* errno as a reason, the way the shell's tools give it. */
static int Refuse(const char *path, const char *reason)
{
    fprintf(stderr, "tomo: %s: %s\n", path, reason);
    return -1;
}

/* The folder as getcwd would name it from inside it, so that "tomo DIR"
 * lists what "cd DIR; tomo" lists, with the same paths. */
static int SetFolder(const char *arg, const char *folder)
{
    char resolved[PATH_MAX];

    if (realpath(folder, resolved) == NULL)
        return Refuse(arg, strerror(errno));
    strcpy(curPath, resolved);
    return 0;
}

static int StartInFolder(const char *arg)
{
    DIR *dir = opendir(arg);

    if (dir == NULL)
        return Refuse(arg, strerror(errno));
    closedir(dir);
    return SetFolder(arg, arg);
}

/* Its folder becomes the list, and the text is picked from it by name, as B
 * picks it: its path, its index file and its place are those of the list,
 * also for a name the list does not show (one that begins with a dot). */
static int StartWithText(const char *arg)
{
    char folder[PATH_MAX];
    const char *slash = strrchr(arg, '/');
    const char *name = slash != NULL ? slash + 1 : arg;
    struct stat st;
    FILE *fp = OpenRegularFile(arg, O_RDONLY, "rb", &st);

    if (fp == NULL)
        return Refuse(arg, errno != 0 ? strerror(errno) : "not a text file or a folder");
    fclose(fp);
    if (slash == NULL)
        strcpy(folder, ".");
    else if (slash == arg)
        strcpy(folder, "/");
    else
        snprintf(folder, sizeof folder, "%.*s", (int)(slash - arg), arg);
    if (SetFolder(arg, folder) != 0)
        return -1;
    if (strlen(curPath) + 1 + strlen(name) >= FILENAME_SIZE)
        return Refuse(arg, "path too long");
    if (!PickFile(name))
        return Refuse(arg, "not a text file or a folder");
    return 0;
}

static int StartAt(const char *arg)
{
    struct stat st;

    if (stat(arg, &st) != 0)
        return Refuse(arg, strerror(errno));
    if (S_ISDIR(st.st_mode))
        return StartInFolder(arg);
    return StartWithText(arg);
}

int ReadCommandLine(int argc, char **argv)
{
    const char *path = NULL;
    int options = 1;
    int i;

    for (i = 1; i < argc; i++) {
        if (options && strcmp(argv[i], "--") == 0) {
            options = 0;
        } else if (options && strcmp(argv[i], "--help") == 0) {
            PrintHelp(stdout);
            return 0;
        } else if (options && strcmp(argv[i], "--version") == 0) {
            printf("tomo %s\n", TOMO_VERSION);
            return 0;
        } else if (options && argv[i][0] == '-' && argv[i][1] != '\0') {
            fprintf(stderr, "tomo: unknown option %s (tomo --help tells the usage)\n", argv[i]);
            return 1;
        } else if (path != NULL) {
            fprintf(stderr, "tomo: one PATH at most (tomo --help tells the usage)\n");
            return 1;
        } else {
            path = argv[i];
        }
    }
    if (path == NULL) {
        StartInWorkingDirectory();
        return -1;
    }
    return StartAt(path) == 0 ? -1 : 1;
}
