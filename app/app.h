/* app.h: the application shell: start-up and shut-down, the frame step,
 * the button dispatch, the two timer callbacks and the button map. */
#ifndef TOMO_APP_H
#define TOMO_APP_H

#include <SDL.h>

#include "tomo.h"

/* What a button does; the state (list or text) decides how. */
enum ButtonAction {
    ACT_NONE,
    ACT_NEXT,       /* next entry / one line down; repeats */
    ACT_PREV,       /* previous entry / one line up; repeats */
    ACT_PAGE_DOWN,  /* 15 entries / 15 lines down; repeats */
    ACT_PAGE_UP,    /* 15 entries / 15 lines up; repeats */
    ACT_STEP_ON,    /* a hundredth of the text on; text only, repeats */
    ACT_STEP_BACK,  /* a hundredth of the text back; text only, repeats */
    ACT_FIRST,      /* first entry / first line; cancels the repeat */
    ACT_LAST,       /* last entry / last line; cancels the repeat */
    ACT_SELECT,     /* B: enter a directory or pick a file */
    ACT_BACK        /* A, START: back to the list, or end the program */
};

/* One row of the button map: a console button and the desktop keys that
 * stand in for it. */
typedef struct ButtonMapEntry {
    int button;              /* GP2X joystick button number */
    const char *control;     /* its name on the console */
    SDLKey key1, key2;       /* desktop keys, SDLK_UNKNOWN for none */
    enum ButtonAction action;
    const char *list_does;   /* for the README's controls table */
    const char *text_does;
} ButtonMapEntry;

extern const ButtonMapEntry button_map[];
extern const int button_map_len;

const ButtonMapEntry *FindButton(int button);
int ButtonForKey(SDLKey key);     /* -1 when the key stands for no button */

/* Dispatch of one button-down; returns 1 when the program must end. */
int HandleButtonDown(int button);
/* A button-up: cancel the auto-repeat and drop the queue. Returns 1 when
 * a window-close request was among the dropped events. */
int HandleButtonUp(void);
int DrainEvents(void);

void render2(SDL_Surface *screen, SDL_Surface *pFont);

Uint32 timerfunc(Uint32 interval, void *param);
Uint32 buttonRepeatTimerfunc(Uint32 interval, void *param);

/* Start-up and shut-down; WaitForEvent blocks like SDL_WaitEvent but pumps
 * under draw_lock so that no status tick presents while events are read. */
int TomoStartup(SDL_Surface **screen, SDL_Surface **pFont, SDL_Joystick **joystick,
                int need_joystick);
int WaitForEvent(SDL_Event *event);
void TomoShutdown(SDL_Surface *pFont, SDL_Joystick *joystick);

/* The build's own start and input: events.cpp, compiled once per flavour.
 * FlavourStartSDL returns 0 or -1, FlavourWindowScale the window's scale;
 * HandleEvent returns 1 when the program must end. */
int FlavourCanStart(void);
int FlavourStartSDL(void);
int FlavourWindowScale(void);
int FlavourNeedsJoystick(void);
int HandleEvent(const SDL_Event *event);

#endif
