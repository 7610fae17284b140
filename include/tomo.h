/* tomo.h: the program's shared state. Every constant, record type and
 * global of the viewer is declared here once, with its unit and invariant;
 * the globals are defined once, in app/state.cpp.
 *
 * This header stays free of SDL so that the directory listing, the line
 * breaker and the line index file build and test without it. */
#ifndef TOMO_TOMO_H
#define TOMO_TOMO_H

#include <limits.h>
#include <stdint.h>

/* The longest path the system takes, its NUL included. */
#ifndef PATH_MAX
#define PATH_MAX 4096
#endif

/* Integers shared with SDL's timer thread. They are single 32-bit values,
 * read and written whole without a lock; std::atomic makes that well
 * defined where the language has it, volatile is the best C++98 offers. */
#if __cplusplus >= 201103L
#include <atomic>
typedef std::atomic<int> shared_int;
#else
typedef volatile int shared_int;
#endif

struct SDL_Surface;
struct SDL_mutex;
struct _SDL_TimerID;

/* ---- Fixed sizes, periods, colours and paths ---------------------------- */
enum {
    SCREEN_W = 320,          /* pixels */
    SCREEN_H = 240,          /* pixels */
    SCREEN_BPP = 16,         /* bits per pixel, RGB 5-6-5 */
    MAX_WINDOW_SCALE = 16,   /* window pixels per screen pixel, each way */

    GLYPH_W = 6,             /* pixels of one glyph cell on the font sheet */
    GLYPH_H = 13,
    CELL_W = 6,              /* pixels of one text cell on the screen */
    CELL_H = 15,
    TEXT_LEFT = 1,           /* pixel column where text column 0 starts */
    TEXT_COLS = 53,          /* text columns 0..52 */
    TEXT_ROWS = 16,          /* text rows 0..15 */
    FONT_CELLS = 256,        /* cells in a row of the font sheet; the first
                                row holds one per byte value */
    FONT_MAX_CELLS = 65536,  /* cells a FontCell numbers; a sheet's further
                                ones are never drawn */
    PLACEHOLDER_CELL = '?',  /* drawn for a letter the font has no look-alike
                                of, on a sheet without U+FFFD */

    PAGE_LINES = 15,         /* rows 0..14 hold the page */
    STATUS_ROW = 15,         /* the status line's text row */
    STATUS_TOP = STATUS_ROW * CELL_H, /* 225: first pixel row of the band */
    HEADING_ROW = 0,         /* "Dir:" heading of the list */
    LIST_FIRST_ROW = 1,      /* the selected entry is drawn here */
    LIST_LAST_ROW = 14,
    HIGHLIGHT_TOP = LIST_FIRST_ROW * CELL_H,      /* 15 */
    HIGHLIGHT_BOTTOM = HIGHLIGHT_TOP + CELL_H - 1, /* 29 */
    HEADING_PATH_COL = 4,    /* curPath follows "Dir:" directly */
    HEADING_PATH_COLS = 49,  /* columns 4..52 */
    LIST_MARK_COL = 0,       /* "D" for directories */
    LIST_NAME_COL = 2,
    LIST_NAME_COLS = 51,     /* columns 2..52 */

    STATUS_LINE_GREEN = 128, /* green of the status separator, SDL_MapRGB 0,128,0 */
    HIGHLIGHT_BLUE = 48,     /* blue of the list highlight bar, SDL_MapRGB 0,0,48 */

    /* Targa font sheet: header layout and the one kind of image read */
    TGA_HEADER_SIZE = 18,    /* bytes before the image ID field */
    TGA_ID_LENGTH = 0,       /* header byte: image ID bytes to skip */
    TGA_CMAP_TYPE = 1,       /* header byte: must be 0, no colour map */
    TGA_IMAGE_TYPE = 2,      /* header byte: must be TGA_RLE_TRUECOLOR */
    TGA_WIDTH = 12,          /* header word, little-endian */
    TGA_HEIGHT = 14,         /* header word, little-endian */
    TGA_DEPTH = 16,          /* header byte: bits per pixel, 24 or 32 */
    TGA_DESCRIPTOR = 17,     /* header byte: pixel order in bits 4-5 */
    TGA_RLE_TRUECOLOR = 10,  /* image type: run-length true-colour */
    TGA_ORIGIN_MASK = 0x30,  /* descriptor bits of the pixel order */
    TGA_ORIGIN_BOTTOM = 0x00, /* rows bottom-up, left to right */
    TGA_ORIGIN_TOP = 0x20,   /* rows top-down, left to right */
    TGA_RUN_PACKET = 0x80,   /* packet header bit: one value repeated */
    TGA_PACKET_COUNT = 0x7F, /* packet header bits: pixel count - 1 */
    /* SDL 1.2 keeps a row's bytes in a 16-bit pitch: 4-byte pixels, so
     * 16383 is the widest image a surface row can hold */
    TGA_MAX_WIDTH = 0xFFFF / 4,

    LINE_BUF_SIZE = 128,     /* callers' buffer for one wrapped line */
    PAGE_STEP = 15,          /* lines per L/R move, entries per L/R move */
    TEXT_STEPS = 100,        /* a volume-button move is this part of the lines */
    MAX_EXTRA_LINES = 10,    /* ceiling of extra_lines_skipped */
    FONT_PLACES = 3,         /* places the font sheet is looked for in */
    BUTTON_KEYS = 3,         /* desktop keys that can stand in for a button */
    WHEEL_STEPS = 3,         /* one-line moves (or entries) per wheel notch */

    STATUS_PERIOD_MS = 5000, /* status tick */
    REPEAT_PERIOD_MS = 150,  /* auto-repeat tick */
    /* jbutton.which of the presses the auto-repeat tick posts, so that a
     * drain can tell them from a person's: only joystick 0 is opened, and
     * SDL sends events of opened joysticks alone */
    POSTED_REPEAT_JOYSTICK = 255,
    EVENT_QUEUE_SIZE = 128,  /* SDL 1.2 queues at most this many events */
    PROGRESS_EVERY = 100,    /* lines between progress messages */
    DISPLAY_FRAME_MS = 30,   /* about one frame of a display: the measuring
                                pass presents its progress no oftener */

    MEASURE_BLOCK_SIZE = 65536, /* bytes read at once while measuring */
    PAGE_BLOCK_SIZE = 1024,  /* bytes read at once for a page or one line */
    INDEX_WORD_SIZE = 4,     /* bytes of one line index file word */
    INDEX_HEADER_WORDS = 2,  /* saved line and line count before the offsets */
    INDEX_COUNT_WORD = 1,    /* word number of the line count */
    /* The index kept in memory when no index file can be used: one offset
     * for every k-th line, 1 MiB whatever the text. Lines stay below 2^31
     * and k doubles only when the table is full, so k stays within 2^31
     * lines over half the table, 8192. */
    MEM_INDEX_WORDS = 262144,
    MEM_INDEX_MAX_STEP = 8192,
    /* The book view's, a quarter of it: its rows are longer than lines
     * (past 268 million rows, which no book has, the rows past the
     * first MEM_INDEX_MAX_STEP of an entry are not found). */
    BOOK_MEM_INDEX_WORDS = 65536,
    LOOKUP_BLOCK_SIZE = 4096, /* bytes read at once to cut k lines */

    /* The book view: hard-wrapped prose flows into rows of TEXT_COLS
     * cells. A line feed joins its line to the next when the line was
     * wrapped at the text's wrap width: the next line's first word would
     * not have fitted on it. */
    TAB_COLS = 8,            /* a tab advances to the next multiple of this */
    BOOK_ROW_SIZE = 512,     /* a drawn row and its NUL: TEXT_COLS letters
                                of up to 4 bytes and the marks on them */
    WRAP_SAMPLE_SIZE = 16384, /* bytes at the start a wrap width is read from */
    WRAP_MAX_COLS = 160,     /* wider, a text is one line per paragraph */
    WRAP_MIN_LINES = 8,      /* lines longer than a row the sample must hold */
    WRAP_BAND = 16,          /* half of those end within this of the width */
    WRAP_SLACK = 2,          /* cells of leeway in the join rule */
    JOIN_LINE_MAX = 1024,    /* bytes: a longer line never joins */
    JOIN_LOOKAHEAD = 256,    /* bytes of the next line's first word read */
    ROW_AHEAD = 512,         /* bytes a row's cut keeps ahead in the block */
    BOOK_BLOCK_MIN = 2 * ROW_AHEAD, /* smallest block for book rows, no more
                                       than the page's PAGE_BLOCK_SIZE */

    /* Paths as long as the system takes; one that would need more is
     * refused with a line on standard error, never cut short. */
    CUR_PATH_SIZE = PATH_MAX, /* curPath and the path composed on a move */
    NAME_SIZE = 256,         /* an entry name and its NUL */
    FILENAME_SIZE = PATH_MAX, /* the picked text's path */
    /* its index file's; a name that would pass PATH_MAX could not be
     * opened anyway, and the text is read with the index in memory */
    INFO_FILENAME_SIZE = PATH_MAX,
    STATUS_SIZE = 53,        /* the status text and its NUL */

    /* Places of texts read with the index in memory: the session keeps
     * the last few in memory, the desktop's file of places the last
     * PLACES_KEPT, one line each, whose path may be escaped to twice its
     * bytes. */
    SESSION_PLACES = 32,
    PLACES_KEPT = 4096,
    PLACE_LINE_SIZE = 2 * PATH_MAX + 64,
    PLACES_BLOCK_SIZE = 16384, /* bytes of the file read at once */

    DIRLIST_INITIAL = 1000,  /* entries of the built-in table */
    DIRLIST_MAX = 32768      /* the table grows by doubling up to this */
};

/* GP2X joystick button numbers of the console's SDL port. */
enum {
    BTN_UP = 0, BTN_LEFT = 2, BTN_DOWN = 4, BTN_RIGHT = 6, BTN_START = 8,
    BTN_SELECT = 9, BTN_L = 10, BTN_R = 11, BTN_A = 12, BTN_B = 13, BTN_X = 14,
    BTN_Y = 15, BTN_VOL_UP = 16, BTN_VOL_DOWN = 17
};

/* How a text is cut into rows (text_view). */
enum {
    VIEW_PLAIN = 0,          /* GetLine's lines: the line index file */
    VIEW_BOOK = 1            /* book rows, hard-wrapped prose flowing again */
};

/* Where the moves of a text take their offsets from (index_kind). A file
 * left at the index name that was neither taken nor built (the text itself
 * under another name, an index of a text since grown past 2 GiB) is never
 * looked up or written: its words are no offsets of this text. */
enum {
    INDEX_NONE = 0,          /* no offsets: the text could not be measured */
    INDEX_FILE = 1,          /* the index file at info_filename, reused or built */
    INDEX_MEMORY = 2         /* the index in memory; the place is kept by
                                places.cpp, not beside the text */
};

/* View states. */
enum {
    STATE_READ_DIR = 0,      /* curPath must be read again */
    STATE_MEASURE = 1,       /* filename was picked and must be measured */
    STATE_LIST = 2,          /* browsing the list */
    STATE_TEXT = 3           /* viewing filename */
};

#define TOMO_VERSION "0.2"  /* also the package's: CMake reads it here */
#define TOMO_TITLE "gp2x_tomo - Text Viewer v" TOMO_VERSION
/* The font sheet in the working directory, the console's only place; the
 * desktop also looks beside the program and in its installed share/tomo. */
#define TOMO_FONT_PATH "./simplefont.tga"
#define TOMO_FONT_NAME "simplefont.tga"
#define TOMO_FONT_INSTALLED "../share/tomo/simplefont.tga" /* from bin/ */
#define TOMO_MENU_DIR "/usr/gp2x"
#define TOMO_MENU_PATH "/usr/gp2x/gp2xmenu"

/* ---- Record types -------------------------------------------------------- */
typedef struct dirListElements {
    char file[NAME_SIZE];    /* name without path, NUL-terminated */
    int isADir;              /* 1 for a directory (".." included), else 0 */
} DirListElements;

typedef struct timerInfo {
    SDL_Surface *pFont;      /* font sheet the status tick draws with */
    SDL_Surface *screen;     /* display surface it draws into */
} TimerInfo;

/* ---- Globals ------------------------------------------------------------- */
/* View */
extern shared_int state;                 /* STATE_*; timer thread reads it */
extern int text_view;                    /* VIEW_*: for every text, kept across starts */
extern int wrap_width;                   /* cells: the picked text's wrap width in the
                                            book view; 0 joins no line */

/* Directory list */
extern DirListElements *dirlist;         /* dirlist_size entries; [listcnt..] empty */
extern int dirlist_size;                 /* DIRLIST_INITIAL..DIRLIST_MAX */
extern int listcnt;                      /* entries in use, ".." included */
extern int top_of_list;                  /* selected entry, 0..listcnt-1 (0 if empty) */
extern DirListElements *dirlist_heap;    /* dirlist once grown past the built-in table, else NULL */

/* Paths and texts */
extern char curPath[CUR_PATH_SIZE];      /* "/" or a path without trailing "/" */
extern char filename[FILENAME_SIZE];     /* the picked file's full path */
extern char info_filename[INFO_FILENAME_SIZE]; /* its line index file */
extern char status[STATUS_SIZE];         /* status text; under draw_lock */
extern int index_kind;                   /* INDEX_*: set by LoadFileInfo for filename */
extern char book_filename[INFO_FILENAME_SIZE]; /* the index file of its book rows */
extern int book_index_kind;              /* INDEX_* of that index (the book view) */
extern char places_filename[PATH_MAX];   /* the file of places kept across starts;
                                            "" for none (the console) */
extern char view_filename[PATH_MAX];     /* the state file that keeps text_view
                                            across starts; "" for none */

/* Position in the text (the index file's 32-bit words) */
extern shared_int num_lines;             /* wrapped lines; 0 without index; timer reads */
extern shared_int cur_line;              /* top line of the page, 0-based; timer reads */
extern int32_t top_of_page_offset;       /* byte offset of cur_line */
extern int32_t cur_offset;               /* line breaker's working offset */

/* Auto-repeat */
extern shared_int repeat_button_pressed; /* held button, -1 for none; timer reads */
extern shared_int extra_lines_skipped;   /* 0..MAX_EXTRA_LINES; timer writes */

/* Timers and the drawing lock */
extern TimerInfo theTimerInfo;           /* status tick's surfaces, set before timers */
extern struct _SDL_TimerID *theTimer;    /* status tick, every STATUS_PERIOD_MS */
extern struct _SDL_TimerID *buttonRepeatTimer; /* auto-repeat, every REPEAT_PERIOD_MS */
extern SDL_mutex *draw_lock;             /* one frame or one status tick at a time */
extern shared_int closing;               /* 1 once shut-down began; ticks draw nothing */
extern int quit_requested;               /* a drain met a window close; main thread only */

#endif
