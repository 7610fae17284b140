/* events.cpp: what the two builds read as input and what ends them. The
 * console build knows joystick 0 alone and ignores quit requests; the
 * desktop build also takes keys, translated into the console's buttons,
 * and ends when its window is closed. */
#include <stdio.h>
#include <stdlib.h>

#include "app.h"

#ifdef TOMO_CONSOLE

int FlavourCanStart(void)
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

/* Without a display SDL 1.2 would fall back to drawing in the terminal. */
int FlavourCanStart(void)
{
    if (getenv("DISPLAY") != NULL || getenv("SDL_VIDEODRIVER") != NULL)
        return 1;
    fprintf(stderr, "tomo: no display (DISPLAY is not set); "
                    "run it in an X session, or with SDL_VIDEODRIVER=dummy for no window\n");
    return 0;
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
    case SDL_QUIT:
        done = 1;
        break;
    default:
        break;
    }
    return done || quit_requested;
}

#endif
