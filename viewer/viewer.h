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
 * that belongs to the caller. Plain data; the functions below use it.
 * Opened by OpenBookReader, it cuts the book view's rows instead. */
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
    int tab_at;              /* next tab, next byte that may begin a */
    int lead_at;             /* UTF-8 letter, the first of those and */
    int wide_at;             /* the next CR, likewise (book rows only) */

    /* Book rows only: the text's wrap width, and the source line that
     * the next line feed ends, as far as the cut has passed it. */
    int book;                /* 1: ReadWrappedLine cuts book rows */
    int wrap;                /* wrap width in cells; 0 joins no line */
    int64_t line_start;      /* offset where that line starts, -1 when it
                                starts more than JOIN_LINE_MAX bytes back */
    int line_extra;          /* its cells less its bytes up to pos (but
                                for its tabs) */
    int line_tab;            /* 1 when it holds a tab */
    int line_blank;          /* 1 while it holds nothing but spaces */
} LineReader;

/* 1 when path could be opened and positioned at offset (offset >= 0). */
int OpenLineReader(LineReader *r, const char *path, int64_t offset,
                   char *buf, int cap);
/* GetLine's cut from the reader's offset: 1 and the line in str (which may
 * be NULL when only the offsets matter), or 0 at the end of the text. A
 * book reader cuts a book row (ReadBookRow) instead. */
int ReadWrappedLine(LineReader *r, char *str);
int64_t LineReaderOffset(const LineReader *r);
/* The measuring pass's cut: up to max lines as ReadWrappedLine cuts them
 * (of a plain reader; ReadBookRowEnds for a book reader's rows), with the
 * offset where each next line starts in ends[]. Returns the number of
 * lines; fewer than max only at the end of the text. */
int ReadLineEnds(LineReader *r, int64_t *ends, int max);
void CloseLineReader(LineReader *r);

/* The book view's rows (bookcut.cpp). A line feed inside a paragraph of
 * hard-wrapped prose reads as a space, and rows are cut at TEXT_COLS cells
 * as the drawing step draws them. WrapWidth reads a text's wrap width in
 * cells from its first WRAP_SAMPLE_SIZE bytes: 0 when it is not
 * hard-wrapped wider than a row, so that no line joins. OpenBookReader is
 * OpenLineReader for book rows from offset, a row start, with a block of
 * at least BOOK_BLOCK_MIN bytes. ReadBookRow is the cut: 1 and the row as
 * it is drawn in str (BOOK_ROW_SIZE bytes, or NULL), 0 at the end. */
int WrapWidth(const char *path);
int OpenBookReader(LineReader *r, const char *path, int64_t offset,
                   char *buf, int cap, int wrap);
int ReadBookRow(LineReader *r, char *str);
/* ReadLineEnds of a book reader. */
int ReadBookRowEnds(LineReader *r, int64_t *ends, int max);
/* The picked text (filename) opened at offset for the rows of view:
 * GetLine's lines, or book rows at wrap_width (a block of at least
 * BOOK_BLOCK_MIN bytes). */
int OpenCutReader(LineReader *r, int view, int64_t offset, char *buf, int cap);

/* Line index file, for the view that text_view names (views.cpp): the
 * plain view's, or the book view's rows with the plain line that holds the
 * top of the page following the reader in the line index file. The
 * measuring pass hands progress its text ("Please wait... counting lines:
 * N", also left in status) every PROGRESS_EVERY lines, with the ctx given
 * to LoadFileInfo. SwitchView turns to the other view, which the next
 * LoadFileInfo opens at the line or row that holds the top of the page;
 * FollowPlainPlace, after a move, stores the plain line in the book view. */
typedef void (*ProgressFunc)(const char *text, void *ctx);
void LoadFileInfo(ProgressFunc progress, void *ctx);
int32_t GetSavedOffset(int line);
void UpdateInfoFile(void);
void SwitchView(void);
void FollowPlainPlace(void);

/* Either view's index file (lineindex.cpp), the same code for both.
 * LoadIndex reuses or measures it, setting num_lines, cur_line and the
 * offsets of its saved line; IndexOffset is a line's offset (-1 for none);
 * IndexLineAt the line of lines that holds byte offset (-1 when it cannot
 * be read); StoreSavedLine keeps line as its saved line (for the plain
 * view without an index file, as the text's place). */
void LoadIndex(int view, ProgressFunc progress, void *ctx);
int32_t IndexOffset(int view, int line);
int32_t IndexLineAt(int view, int32_t lines, int32_t offset);
void StoreSavedLine(int view, int32_t line);

/* The index in memory, a table for each view, which the measuring pass
 * fills whether or not it writes an index file. MemIndexStart takes the
 * table's size in words: at most MEM_INDEX_WORDS (BOOK_MEM_INDEX_WORDS for
 * the book view), smaller only for tests of its halving (with k above
 * MEM_INDEX_MAX_STEP lines past that many in an entry are not found).
 * MemIndexAdd takes the offsets where the next lines start, in order, as
 * ReadLineEnds gives them; MemIndexOffset is a line's offset, the text's
 * end for the line after the last, -1 for none. */
void MemIndexStart(int view, int words);
void MemIndexAdd(int view, const int64_t *ends, int n);
int32_t MemIndexOffset(int view, int line);
/* The line that holds byte offset: the last that starts at or before it. */
int32_t MemIndexLineAt(int view, int32_t offset);

/* The places of texts read with the index in memory (places.cpp), keyed
 * by filename. RecallPlace gives the line last kept for it, in this
 * session or in the file of places: 1, or 0 for none. NotePlace makes the
 * text just opened the current one, at line; DropCurrentPlace says the
 * text being opened keeps its place elsewhere. KeepPlace takes the line at
 * the top at every move; StorePlaces writes the file of places when the reader leaves
 * the text, if its place is not in it yet. ForgetPlaces empties the
 * session's memory, as at start. */
int RecallPlace(int32_t *line);
void NotePlace(const struct stat *text_st, int32_t line);
void DropCurrentPlace(void);
void KeepPlace(int32_t line);
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
