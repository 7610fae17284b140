/* browser.h: the directory listing (SDL-free) and the file dialog view. */
#ifndef TOMO_BROWSER_H
#define TOMO_BROWSER_H

#include "tomo.h"

/* Rebuilds dirlist from curPath: "..", then every entry whose name does not
 * begin with a dot, sorted by the bytes of the name. Sets listcnt and
 * top_of_list 0; prints the sorted names on stdout. */
void CreateSortedFilelist(void);
int comp(const void *s1, const void *s2);

/* Draws the "Dir:" heading and the entries from top_of_list on; in state 0
 * it reads the directory first and moves to state 2. */
void FileDialog(SDL_Surface *pFont, SDL_Surface *screen);

#endif
