/* shell.cpp: start-up and shut-down, which hands the console back to its
 * menu program. */
#include <signal.h>
#include <stdio.h>
#include <string.h>
#include <unistd.h>

#include "app.h"
#include "graphics.h"
#include "platform.h"
#include "targa.h"

static void ClearDirlist(void)
{
    int i;
    for (i = 0; i < dirlist_size; i++) {
        dirlist[i].file[0] = '\0';
        dirlist[i].isADir = 0;
    }
}

int TomoStartup(SDL_Surface **screen, SDL_Surface **pFont, SDL_Joystick **joystick,
                int need_joystick)
{
    /* A standard output whose reader has gone (tomo | head) must fail its
     * writes, not end the program before it hands over to the menu. */
    signal(SIGPIPE, SIG_IGN);
    if (getcwd(curPath, CUR_PATH_SIZE) == NULL)
        curPath[0] = '\0';
    ClearDirlist();

    if (FlavourStartSDL() != 0)
        return 1;
    SDL_WM_SetCaption(TOMO_TITLE, TOMO_TITLE);
    *screen = OpenScreen(FlavourWindowScale());
    if (*screen == NULL) {
        fprintf(stderr, "Couldn't set video mode: %s\n", SDL_GetError());
        return 1;
    }
    *joystick = SDL_JoystickOpen(0);
    if (*joystick == NULL && need_joystick) {
        fprintf(stderr, "Couldn't open the joystick: %s\n", SDL_GetError());
        return 1;
    }
    SDL_ShowCursor(0);
    *pFont = LoadTargaImage(TOMO_FONT_PATH);
    FontForScreen(pFont, *screen);
    SkipQueuedEvent();

    if (CreateDrawLock() != 0) {
        fprintf(stderr, "Couldn't create the drawing lock: %s\n", SDL_GetError());
        return 1;
    }
    theTimerInfo.pFont = *pFont;
    theTimerInfo.screen = *screen;
    StartTimers(&theTimerInfo);
    return 0;
}

/* SDL 1.2 does not wait for a tick that is already running when a timer is
 * removed, so the mark is set under the lock first: a tick that runs on
 * finds it and draws nothing with the font that is freed next. A timer
 * that could not be added, a missing sheet or joystick are not handed to
 * SDL at all. */
void TomoShutdown(SDL_Surface *pFont, SDL_Joystick *joystick)
{
    LockDrawing();
    closing = 1;
    UnlockDrawing();
    StopTimers();
    if (pFont != NULL)
        SDL_FreeSurface(pFont);
    if (joystick != NULL)
        SDL_JoystickClose(joystick);
    CloseScreen();
    SDL_Quit();
    DestroyDrawLock();

    fflush(NULL);
    sync();
    if (chdir(TOMO_MENU_DIR) != 0) {
        /* the menu is started all the same */
    }
    /* an ignored signal stays ignored across exec */
    signal(SIGPIPE, SIG_DFL);
    execl(TOMO_MENU_PATH, TOMO_MENU_PATH, (char *)NULL);
}
