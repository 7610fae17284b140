/* state.cpp: the one definition of every global declared in tomo.h. */
#include "tomo.h"

#include <stddef.h>

shared_int state(STATE_READ_DIR);
int text_view = VIEW_PLAIN;
int wrap_width = 0;

static DirListElements builtin_dirlist[DIRLIST_INITIAL];
DirListElements *dirlist = builtin_dirlist;
int dirlist_size = DIRLIST_INITIAL;
int listcnt = 0;
int top_of_list = 0;
DirListElements *dirlist_heap = NULL;

char curPath[CUR_PATH_SIZE];
char filename[FILENAME_SIZE];
char info_filename[INFO_FILENAME_SIZE];
char status[STATUS_SIZE];
int index_kind = INDEX_NONE;
char book_filename[INFO_FILENAME_SIZE];
int book_index_kind = INDEX_NONE;
char places_filename[PATH_MAX];
char view_filename[PATH_MAX];

shared_int num_lines(0);
shared_int cur_line(0);
int32_t top_of_page_offset = 0;
int32_t cur_offset = 0;

shared_int repeat_button_pressed(-1);
shared_int extra_lines_skipped(0);

TimerInfo theTimerInfo;
struct _SDL_TimerID *theTimer = NULL;
struct _SDL_TimerID *buttonRepeatTimer = NULL;
SDL_mutex *draw_lock = NULL;
shared_int closing(0);
int quit_requested = 0;
