/* views.cpp: the two views of a text, the plain view's lines and the book
 * view's rows, and one place for both. The moves, the page and the
 * position work on the index of the view shown: num_lines, cur_line and
 * the offsets count its lines or rows. The line index file's saved line
 * follows the reader in either view (the plain line that holds the top of
 * the page), so that a text opens there in both, and a program that reads
 * only that file finds the place too. */
#include "viewer.h"

static int32_t switch_offset = -1; /* the top of the page when the view was
                                      switched, for the next LoadFileInfo to
                                      open the other view at; -1 for none */
static int32_t plain_lines;        /* the line index's count (book view) */
static int32_t followed = -1;      /* the top whose plain line is stored */

/* The line (or row) of view's index that holds byte offset, made the top
 * of the page and kept as its saved line. */
static void GoToLineAt(int view, int32_t offset)
{
    int32_t line = IndexLineAt(view, num_lines, offset);
    int32_t at = line < 0 ? -1 : IndexOffset(view, line);

    if (at < 0)
        return;
    cur_line = line;
    cur_offset = at;
    top_of_page_offset = at;
    StoreSavedLine(view, line);
}

/* The book view opens at its saved row when that row begins in the saved
 * plain line, so that a text left in the book view shows the same page
 * again; else (the text was read on in the plain view) at the row that
 * holds the plain line's first byte. */
static void OpenBookView(int32_t offset, ProgressFunc progress, void *ctx)
{
    int32_t plain_top = top_of_page_offset;
    int32_t plain_next = IndexOffset(VIEW_PLAIN, cur_line + 1);

    plain_lines = num_lines;
    wrap_width = WrapWidth(filename);
    LoadIndex(VIEW_BOOK, progress, ctx);
    if (book_index_kind == INDEX_NONE)
        return;
    if (offset >= 0)
        GoToLineAt(VIEW_BOOK, offset);
    else if (top_of_page_offset < plain_top
             || (top_of_page_offset >= plain_next && top_of_page_offset != plain_top))
        GoToLineAt(VIEW_BOOK, plain_top);
    followed = plain_top;
    FollowPlainPlace();
}

void LoadFileInfo(ProgressFunc progress, void *ctx)
{
    int32_t offset = switch_offset;

    switch_offset = -1;
    followed = -1;
    LoadIndex(VIEW_PLAIN, progress, ctx);
    if (text_view == VIEW_BOOK)
        OpenBookView(offset, progress, ctx);
    else if (offset >= 0)
        GoToLineAt(VIEW_PLAIN, offset);
}

int32_t GetSavedOffset(int line)
{
    const int kind = text_view == VIEW_BOOK ? book_index_kind : index_kind;

    /* line -1 is the count, the word before line 0 in the file */
    if (line == -1 && kind == INDEX_MEMORY)
        return num_lines;
    return IndexOffset(text_view, line);
}

void UpdateInfoFile(void)
{
    StoreSavedLine(text_view, cur_line);
}

void SwitchView(void)
{
    switch_offset = top_of_page_offset;
    text_view = text_view == VIEW_BOOK ? VIEW_PLAIN : VIEW_BOOK;
}

/* Once a move, not once a step of it: finding the line is a search
 * through the line index. */
void FollowPlainPlace(void)
{
    int32_t line;

    if (text_view != VIEW_BOOK || top_of_page_offset == followed)
        return;
    line = IndexLineAt(VIEW_PLAIN, plain_lines, top_of_page_offset);
    if (line < 0)
        return;
    StoreSavedLine(VIEW_PLAIN, line);
    followed = top_of_page_offset;
}
