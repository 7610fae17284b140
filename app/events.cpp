/* events.cpp: how the two builds start, what they read as input and what
 * ends them. The console build reads no command line, finds its font sheet
 * in the folder it was started in, takes SDL as it comes, knows joystick 0
 * alone and ignores quit requests. The desktop build reads tomo [PATH],
 * also finds its sheet where it was installed, keeps the places of texts
 * without an index file across starts, draws in a window scaled to the
 * display, also takes keys and the mouse wheel, translated into the
 * console's buttons, and ends when its window is closed. */
#include <stdio.h>
#include <stdlib.h>

#include "app.h"
#include "platform.h"
#include "statefile.h"

#ifdef TOMO_CONSOLE

int FlavourBegin(int argc, char **argv)
{
    (void)argc;
    (void)argv;
    StartInWorkingDirectory();
    return -1;
}

int StateFilePath(char *out, int size, const char *name)
{
    return StartFolderFilePath(out, size, name);
}

int FlavourLooksBesideProgram(void)
{
    return 0;
}

int FlavourCanStart(void)
{
    return 1;
}

/* A failure ends the program without a word. */
int FlavourStartSDL(void)
{
    return SDL_Init(SDL_INIT_TIMER | SDL_INIT_VIDEO | SDL_INIT_JOYSTICK) < 0 ? -1 : 0;
}

int FlavourWindowScale(void)
{
    return 1;
}

int FlavourNeedsJoystick(void)
{
    return 1;
}

int HandleEvent(const SDL_Event *event)
{
    switch (event->type) {
    case SDL_JOYBUTTONDOWN:
        return HandleButtonDown(event->jbutton.button);
    case SDL_JOYBUTTONUP:
        HandleButtonUp();
        return 0;
    default:
        return 0;
    }
}

#else

int FlavourBegin(int argc, char **argv)
{
    int status = ReadCommandLine(argc, argv);

    if (status < 0)
        StateFilePath(places_filename, (int)sizeof places_filename, "places");
    return status;
}

int StateFilePath(char *out, int size, const char *name)
{
    return UserStateFilePath(out, size, name);
}

int FlavourLooksBesideProgram(void)
{
    return 1;
}

int FlavourCanStart(void)
{
    if (getenv("DISPLAY") != NULL || getenv("WAYLAND_DISPLAY") != NULL
        || getenv("SDL_VIDEODRIVER") != NULL)
        return 1;
    fprintf(stderr, "tomo: no display (DISPLAY is not set); "
                    "run it in an X session, or with SDL_VIDEODRIVER=dummy for no window\n");
    return 0;
}

int FlavourStartSDL(void)
{
    if (SDL_Init(SDL_INIT_TIMER | SDL_INIT_JOYSTICK) < 0) {
        fprintf(stderr, "tomo: SDL could not start: %s\n", SDL_GetError());
        return -1;
    }
    if (StartWindowVideo() < 0) {
        fprintf(stderr, "tomo: no window could be opened: %s\n", SDL_GetError());
        return -1;
    }
    IgnorePointerMotion();
    return 0;
}

/* SDL 1.2 tells the display's size before the video mode is set. */
int FlavourWindowScale(void)
{
    const SDL_VideoInfo *info = SDL_GetVideoInfo();

    if (info == NULL)
        return WindowScale(0, 0, getenv("TOMO_SCALE"));
    return WindowScale(info->current_w, info->current_h, getenv("TOMO_SCALE"));
}

int FlavourNeedsJoystick(void)
{
    return 0;
}

static int HandleKey(const SDL_Event *event)
{
    int button = ButtonForKey(event->key.keysym.sym);

    if (button < 0)
        return 0;
    if (event->type == SDL_KEYDOWN)
        return HandleButtonDown(button);
    HandleButtonUp();
    return 0;
}

int HandleEvent(const SDL_Event *event)
{
    int done = 0;

    switch (event->type) {
    case SDL_JOYBUTTONDOWN:
        done = HandleButtonDown(event->jbutton.button);
        break;
    case SDL_JOYBUTTONUP:
        HandleButtonUp();
        break;
    case SDL_KEYDOWN:
    case SDL_KEYUP:
        done = HandleKey(event);
        break;
    case SDL_MOUSEBUTTONDOWN:
        /* a wheel notch comes as a press and a release at once; only the
         * press counts, and the other mouse buttons do nothing */
        HandleWheel(event->button.button);
        break;
    case SDL_QUIT:
        done = 1;
        break;
    default:
        break;
    }
    return done || quit_requested;
}

#endif
