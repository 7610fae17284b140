/* shell.cpp: start-up, with the search for the font sheet, and shut-down,
 * which hands the console back to its menu program. */
#include <signal.h>
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>
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

/* folder and name into place: 1, or 0 for a path that does not fit. */
static int PlaceIn(char *place, const char *folder, const char *name)
{
    int n = snprintf(place, PATH_MAX, "%s%s", folder, name);

    return n >= 0 && n < PATH_MAX;
}

/* The places of the font sheet, in the order they are looked at: the
 * working directory, then beside the program, then where an install puts
 * it from the program's bin/ (so that any prefix works). */
static int FontSheetPlaces(char places[][PATH_MAX], int beside_program)
{
    char program[PATH_MAX];
    ssize_t n;
    char *slash;
    int count = 0;

    strcpy(places[count++], TOMO_FONT_PATH);
    if (!beside_program)
        return count;
    n = readlink("/proc/self/exe", program, sizeof program - 1);
    if (n <= 0)
        return count;
    program[n] = '\0';
    slash = strrchr(program, '/');
    if (slash == NULL)
        return count;
    slash[1] = '\0';
    count += PlaceIn(places[count], program, TOMO_FONT_NAME);
    count += PlaceIn(places[count], program, TOMO_FONT_INSTALLED);
    return count;
}

static int IsRegularFile(const char *path)
{
    struct stat st;

    return stat(path, &st) == 0 && S_ISREG(st.st_mode);
}

/* The first place that holds a file gives the sheet, whatever it holds: a
 * damaged sheet is reported, not passed over for another. Where none
 * does, each is tried in turn, so that the loader names every place it
 * could not open. */
static SDL_Surface *LoadFontSheet(int beside_program)
{
    char places[FONT_PLACES][PATH_MAX];
    int n = FontSheetPlaces(places, beside_program);
    SDL_Surface *sheet;
    int i;

    for (i = 0; i < n; i++)
        if (IsRegularFile(places[i]))
            return LoadTargaImage(places[i]);
    for (i = 0; i < n; i++)
        if ((sheet = LoadTargaImage(places[i])) != NULL)
            return sheet;
    return NULL;
}

int TomoStartup(SDL_Surface **screen, SDL_Surface **pFont, SDL_Joystick **joystick,
                int need_joystick, int beside_program)
{
    /* A standard output whose reader has gone (tomo | head) must fail its
     * writes, not end the program before it hands over to the menu. */
    signal(SIGPIPE, SIG_IGN);
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
    *pFont = LoadFontSheet(beside_program);
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
