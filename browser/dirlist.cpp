/* dirlist.cpp: reads the directory being browsed into the entry table,
 * sorted by the bytes of the names. No SDL here. */
#include <dirent.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>

#include "browser.h"

enum { ENTRY_PATH_SIZE = 2304 };         /* "%s/%s" of curPath and a name */

static DirListElements *heap_dirlist = NULL; /* the grown table, once it grew */

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
    grown = (DirListElements *)realloc(heap_dirlist, (size_t)new_size * sizeof(DirListElements));
    if (grown == NULL)
        return 0;
    if (heap_dirlist == NULL)
        memcpy(grown, dirlist, (size_t)dirlist_size * sizeof(DirListElements));
    heap_dirlist = grown;
    dirlist = grown;
    ClearEntries(dirlist_size, new_size);
    dirlist_size = new_size;
    return 1;
}

static void AddEntry(const char *name)
{
    char path[ENTRY_PATH_SIZE];
    struct stat t_stat_info;
    DirListElements *e;

    if (listcnt == dirlist_size && !GrowDirlist())
        return;
    e = &dirlist[listcnt];
    strncpy(e->file, name, NAME_SIZE - 1);
    e->file[NAME_SIZE - 1] = '\0';
    e->isADir = 0;
    snprintf(path, sizeof path, "%s/%s", curPath, name);
    if (stat(path, &t_stat_info) != 0)
        fprintf(stderr, "Could not stat file %s...\n", path);
    else if (S_ISDIR(t_stat_info.st_mode))
        e->isADir = 1;
    listcnt++;
}

void CreateSortedFilelist(void)
{
    DIR *dir;
    struct dirent *ent;
    int i;

    ClearEntries(0, dirlist_size);
    dir = opendir(curPath);
    listcnt = 0;
    top_of_list = 0;
    if (dir == NULL)
        return;

    strcpy(dirlist[0].file, "..");
    dirlist[0].isADir = 1;
    listcnt = 1;
    while ((ent = readdir(dir)) != NULL) {
        if (ent->d_name[0] == '.')
            continue;
        AddEntry(ent->d_name);
    }
    closedir(dir);

    qsort(dirlist, (size_t)listcnt, sizeof(DirListElements), comp);
    printf("\n\nSorted...\n");
    for (i = 0; i < listcnt; i++)
        printf("%s\n", dirlist[i].file);
    fflush(stdout);
}
