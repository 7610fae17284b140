/* viewer.h: the text viewer: line breaker, line index file, navigation
 * and page view. Everything but GetFileInfo and ViewText is SDL-free. */
#ifndef TOMO_VIEWER_H
#define TOMO_VIEWER_H

#include "tomo.h"

/* Line breaker: one wrapped line of at most TEXT_COLS characters from
 * cur_offset of filename into str (LINE_BUF_SIZE bytes); 1 for a line
 * (maybe empty), 0 at the end of the text or when the text cannot be read. */
int GetLine(char *str);

/* Line index file. Called after the measuring pass formatted its progress
 * text into status, every PROGRESS_EVERY lines. */
typedef void (*ProgressFunc)(void *ctx);
void LoadFileInfo(ProgressFunc progress, void *ctx);
int32_t GetSavedOffset(int line);
void UpdateInfoFile(void);

/* Navigation by whole wrapped lines. */
void MoveDownOneLine(void);
void MoveUpOneLine(void);
void MoveDown15Lines(void);
void MoveUp15Lines(void);
void MoveToBeginning(void);
void MoveToEnd(void);

/* "On line %ld of %ld (%d%%)" for cur_line and num_lines into buf. */
void FormatPosition(char *buf, int size);

/* The SDL side: measuring with its progress on the status line, and one
 * page with the position. */
void GetFileInfo(SDL_Surface *pFont, SDL_Surface *screen);
void ViewText(SDL_Surface *pFont, SDL_Surface *screen);

#endif
