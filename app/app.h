/* app.h: the application shell: start-up and shut-down, the frame step,
 * the button dispatch, the two timer callbacks and the button map. */
#ifndef TOMO_APP_H
#define TOMO_APP_H

#include <SDL.h>
#include <stdio.h>

#include "platform.h"
#include "tomo.h"

/* What a button does; the state (list or text) decides how. */
enum ButtonAction {
    ACT_NONE,
    ACT_NEXT,       /* next entry / one line down */
    ACT_PREV,       /* previous entry / one line up */
    ACT_PAGE_DOWN,  /* 15 entries / 15 lines down */
    ACT_PAGE_UP,    /* 15 entries / 15 lines up */
    ACT_STEP_ON,    /* a hundredth of the text on; in a text with lines only */
    ACT_STEP_BACK,  /* a hundredth of the text back; likewise */
    ACT_FIRST,      /* first entry / first line */
    ACT_LAST,       /* last entry / last line */
    ACT_SELECT,     /* B: enter a directory or pick a file */
    ACT_SWITCH_VIEW, /* SELECT: the plain view or the book view; in a text only */
    ACT_BACK        /* A, START: back to the list, or end the program */
};

/* What a press does to the auto-repeat. */
enum RepeatRule {
    KEEPS_REPEAT,   /* leaves repeat_button_pressed as it is */
    REPEATS,        /* held, it is pressed again and again, faster and faster */
    CANCELS_REPEAT  /* stops any repeat and drops its queued presses before it acts */
};

/* One row of the button map: a console button and the desktop keys and
 * mouse wheel turn that stand in for it. */
typedef struct ButtonMapEntry {
    int button;              /* GP2X joystick button number */
    const char *control;     /* its name on the console */
    SDLKey keys[BUTTON_KEYS]; /* desktop keys, SDLK_UNKNOWN after the last */
    int wheel;               /* SDL_BUTTON_WHEELUP or _WHEELDOWN, 0 for none:
                                a notch is WHEEL_STEPS presses, never held */
    enum ButtonAction action;
    enum RepeatRule repeat;
    const char *list_does;   /* for the controls table and --help */
    const char *text_does;
} ButtonMapEntry;

extern const ButtonMapEntry button_map[];
extern const int button_map_len;

const ButtonMapEntry *FindButton(int button);
int ButtonForKey(SDLKey key);     /* -1 when the key stands for no button */
int ButtonForWheel(int wheel);    /* -1 when that turn stands for none */
/* "Up", "Page down", "q": a key as the controls table, the help and the
 * manual name it, into out; SDL's own names need its video started. */
void KeyName(SDLKey key, char *out, int size);
/* The desktop keys of a row, "Up, k, wheel up", into out. */
void DesktopKeys(const ButtonMapEntry *b, char *out, int size);

/* The text name of the folder curPath, as B on its entry picks it: 1 when
 * it is a regular file, now in filename with STATE_MEASURE. */
int PickFile(const char *name);

/* Dispatch of one button-down; returns 1 when the program must end. */
int HandleButtonDown(int button);
/* A button-up: cancel the auto-repeat and drop the repeats it posted that
 * are still queued. Returns 1 when a window-close request is queued. */
int HandleButtonUp(void);
/* A notch of the mouse wheel: WHEEL_STEPS moves of its button, which
 * neither starts nor stops the auto-repeat. */
void HandleWheel(int wheel);

void render2(SDL_Surface *screen, SDL_Surface *pFont);

Uint32 timerfunc(Uint32 interval, void *param);
Uint32 buttonRepeatTimerfunc(Uint32 interval, void *param);

/* Where the program starts. StartInWorkingDirectory puts the working
 * directory in curPath (empty, with a line on standard error, when it
 * cannot be named). ReadCommandLine reads tomo [PATH], --help, --version:
 * -1 to run on, with curPath (and for a text filename and STATE_MEASURE)
 * set, else the status to exit with at once. */
void StartInWorkingDirectory(void);
int ReadCommandLine(int argc, char **argv);
void PrintHelp(FILE *out);

/* Start-up and shut-down. The font sheet is looked for in the working
 * directory, and with beside_program also beside the program and in its
 * installed share/tomo. */
int TomoStartup(SDL_Surface **screen, SDL_Surface **pFont, SDL_Joystick **joystick,
                int need_joystick, int beside_program);
void TomoShutdown(SDL_Surface *pFont, SDL_Joystick *joystick);

/* The build's own start and input: events.cpp, compiled once per flavour.
 * FlavourBegin chooses where the program starts and what it keeps, as
 * ReadCommandLine returns; FlavourStartSDL returns 0 or -1,
 * FlavourWindowScale the window's scale; HandleEvent returns 1 when the
 * program must end. */
int FlavourBegin(int argc, char **argv);
int FlavourCanStart(void);
int FlavourStartSDL(void);
int FlavourWindowScale(void);
int FlavourNeedsJoystick(void);
int FlavourLooksBesideProgram(void);
int HandleEvent(const SDL_Event *event);

#endif
