/* dirlist.cpp: reads the directory being browsed into the entry table,
 * sorted by the bytes of the names. No SDL here. */
#include <dirent.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>

#include "browser.h"

/* "%s/%s" of curPath and a name, whole: one that passes PATH_MAX is
 * reported as a status that cannot be read, never cut to another name. */
enum { ENTRY_PATH_SIZE = CUR_PATH_SIZE + NAME_SIZE };

int comp(const void *s1, const void *s2)
{
    const DirListElements *a = (const DirListElements *)s1;
    const DirListElements *b = (const DirListElements *)s2;
    return strcmp(a->file, b->file);
}

static void ClearEntries(int from, int to)
{
    int i;
    for (i = from; i < to; i++) {
        dirlist[i].file[0] = '\0';
        dirlist[i].isADir = 0;
    }
}

/* Doubles the table, moving off the built-in one on the first growth.
 * Returns 0 when the table cannot grow; the caller drops the entry. */
static int GrowDirlist(void)
{
    int new_size = dirlist_size * 2;
    DirListElements *grown;

    if (new_size > DIRLIST_MAX)
        new_size = DIRLIST_MAX;
    if (new_size <= dirlist_size)
        return 0;
    grown = (DirListElements *)realloc(dirlist_heap, (size_t)new_size * sizeof(DirListElements));
    if (grown == NULL)
        return 0;
    if (dirlist_heap == NULL)
        memcpy(grown, dirlist, (size_t)dirlist_size * sizeof(DirListElements));
    dirlist_heap = grown;
    dirlist = grown;
    ClearEntries(dirlist_size, new_size);
    dirlist_size = new_size;
    return 1;
}

/* A table that is full and cannot grow is kept as a max-heap by comp: its
 * root is the largest name kept, which any smaller name read later takes
 * the place of. So the table ends up holding the names that come first in
 * sorted order, whatever order the folder yields them in. */
static void SiftDown(int at, int n)
{
    DirListElements swap;
    int child;

    for (;;) {
        child = 2 * at + 1;
        if (child >= n)
            return;
        if (child + 1 < n && comp(&dirlist[child + 1], &dirlist[child]) > 0)
            child++;
        if (comp(&dirlist[child], &dirlist[at]) <= 0)
            return;
        swap = dirlist[at];
        dirlist[at] = dirlist[child];
        dirlist[child] = swap;
        at = child;
    }
}

static void SetName(DirListElements *e, const char *name)
{
    size_t n = strlen(name);

    if (n > NAME_SIZE - 1)
        n = NAME_SIZE - 1;
    memcpy(e->file, name, n);
    e->file[n] = '\0';
    e->isADir = 0;
}

/* Room for one more name beside the place kept for "..", which is added
 * last, whatever the names: it is the only way out of the folder. */
static int HasRoom(void)
{
    return listcnt + 1 < dirlist_size || GrowDirlist();
}

/* The name only; its status is read once the table is final, so that
 * names pushed out again cost no stat and report nothing. */
static void AddEntry(const char *name, int *heaped)
{
    int i;

    if (!*heaped && HasRoom()) {
        SetName(&dirlist[listcnt++], name);
        return;
    }
    if (!*heaped) {
        for (i = listcnt / 2 - 1; i >= 0; i--)
            SiftDown(i, listcnt);
        *heaped = 1;
    }
    if (strcmp(name, dirlist[0].file) >= 0)
        return;
    SetName(&dirlist[0], name);
    SiftDown(0, listcnt);
}

static void StatEntry(DirListElements *e)
{
    char path[ENTRY_PATH_SIZE];
    struct stat t_stat_info;

    snprintf(path, sizeof path, "%s/%s", curPath, e->file);
    if (stat(path, &t_stat_info) != 0)
        fprintf(stderr, "Could not stat file %s...\n", path);
    else if (S_ISDIR(t_stat_info.st_mode))
        e->isADir = 1;
}

void CreateSortedFilelist(void)
{
    DIR *dir;
    struct dirent *ent;
    int heaped = 0;
    int i;

    ClearEntries(0, dirlist_size);
    dir = opendir(curPath);
    listcnt = 0;
    top_of_list = 0;
    if (dir == NULL)
        return;

    while ((ent = readdir(dir)) != NULL) {
        if (ent->d_name[0] == '.')
            continue;
        AddEntry(ent->d_name, &heaped);
    }
    closedir(dir);
    for (i = 0; i < listcnt; i++)
        StatEntry(&dirlist[i]);
    strcpy(dirlist[listcnt].file, "..");
    dirlist[listcnt].isADir = 1;
    listcnt++;

    qsort(dirlist, (size_t)listcnt, sizeof(DirListElements), comp);
    printf("\n\nSorted...\n");
    for (i = 0; i < listcnt; i++)
        printf("%s\n", dirlist[i].file);
    fflush(stdout);
}
