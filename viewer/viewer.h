/* viewer.h: the text viewer: line breaker, line index file, navigation
 * and page view. Everything but GetFileInfo and ViewText is SDL-free. */
#ifndef TOMO_VIEWER_H
#define TOMO_VIEWER_H

#include <stdio.h>
#include <sys/stat.h>

#include "tomo.h"

/* Line breaker: one wrapped line of at most TEXT_COLS characters from
 * cur_offset of filename into str (LINE_BUF_SIZE bytes); 1 for a line
 * (maybe empty), 0 at the end of the text or when the text cannot be read
 * (then cur_offset stays where it was). */
int GetLine(char *str);

/* The one routine that cuts wrapped lines, shared by GetLine, the page
 * view and the measuring pass, reading the text through a block buffer
 * that belongs to the caller. Plain data; the functions below use it. */
typedef struct lineReader {
    FILE *fp;                /* the text, opened by OpenLineReader */
    char *buf;               /* caller's block buffer */
    int cap;                 /* its size in bytes, at least 1 */
    int64_t base;            /* file offset of buf[0] */
    int len;                 /* bytes of buf holding file data */
    int pos;                 /* next byte to cut, index into buf */
    int at_end;              /* nothing follows base + len in the file */
    int lf_at;               /* next LF at or after pos, len for none, */
    int cr_at;               /* next CR likewise; -1 until looked for */
} LineReader;

/* 1 when path could be opened and positioned at offset (offset >= 0). */
int OpenLineReader(LineReader *r, const char *path, int64_t offset,
                   char *buf, int cap);
/* GetLine's cut from the reader's offset: 1 and the line in str (which may
 * be NULL when only the offsets matter), or 0 at the end of the text. */
int ReadWrappedLine(LineReader *r, char *str);
int64_t LineReaderOffset(const LineReader *r);
/* The measuring pass's cut: up to max lines as ReadWrappedLine cuts them,
 * with the offset where each next line starts in ends[]. Returns the
 * number of lines; fewer than max only at the end of the text. */
int ReadLineEnds(LineReader *r, int64_t *ends, int max);
void CloseLineReader(LineReader *r);

/* Line index file. The measuring pass hands progress its text ("Please
 * wait... counting lines: N", also left in status) every PROGRESS_EVERY
 * lines, with the ctx given to LoadFileInfo. */
typedef void (*ProgressFunc)(const char *text, void *ctx);
void LoadFileInfo(ProgressFunc progress, void *ctx);
int32_t GetSavedOffset(int line);
void UpdateInfoFile(void);

/* The index in memory, which the measuring pass fills whether or not it
 * writes an index file. MemIndexStart takes the table's size in words:
 * MEM_INDEX_WORDS, smaller only for tests of its halving (with k above
 * MEM_INDEX_MAX_STEP lines past that many in an entry are not found).
 * MemIndexAdd takes the offsets where the next lines start, in order, as
 * ReadLineEnds gives them; MemIndexOffset is a line's offset, the text's
 * end for the line after the last, -1 for none. */
void MemIndexStart(int words);
void MemIndexAdd(const int64_t *ends, int n);
int32_t MemIndexOffset(int line);

/* The places of texts read with the index in memory (places.cpp), keyed
 * by filename. RecallPlace gives the line last kept for it, in this
 * session or in the file of places: 1, or 0 for none. NotePlace makes the
 * text just opened the current one, at cur_line; DropCurrentPlace says the
 * text being opened keeps its place elsewhere. KeepPlace takes cur_line at
 * every move; StorePlaces writes the file of places when the reader leaves
 * the text, if its place is not in it yet. ForgetPlaces empties the
 * session's memory, as at start. */
int RecallPlace(int32_t *line);
void NotePlace(const struct stat *text_st);
void DropCurrentPlace(void);
void KeepPlace(void);
void StorePlaces(void);
void ForgetPlaces(void);

/* Navigation by whole wrapped lines. */
void MoveDownOneLine(void);
void MoveUpOneLine(void);
void MoveDown15Lines(void);
void MoveUp15Lines(void);
void MoveToBeginning(void);
void MoveToEnd(void);
/* A hundredth of the lines (at least one) per step, times the repeat's
 * speed, as the one-line moves are. */
void MoveDownHundredth(void);
void MoveUpHundredth(void);

/* "On line %ld of %ld (%d%%)" for cur_line and num_lines into buf. */
void FormatPosition(char *buf, int size);

/* The SDL side: measuring with its progress on the status line, and one
 * page with the position. */
void GetFileInfo(SDL_Surface *pFont, SDL_Surface *screen);
void ViewText(SDL_Surface *pFont, SDL_Surface *screen);

#endif
