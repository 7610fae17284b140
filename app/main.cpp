/* main.cpp: the program's entry point and event loop: a frame, a wait for
 * one event, the event handled, again, until the user leaves. */
#include "app.h"
#include "statefile.h"
#include "viewer.h"

int main(int argc, char **argv)
{
    SDL_Surface *screen = NULL;
    SDL_Surface *pFont = NULL;
    SDL_Joystick *joystick = NULL;
    SDL_Event event;
    int done = 0;
    int status = FlavourBegin(argc, argv);

    if (status >= 0)
        return status;
    StateFilePath(view_filename, (int)sizeof view_filename, "view");
    LoadViewChoice();
    if (!FlavourCanStart())
        return 1;
    if (TomoStartup(&screen, &pFont, &joystick, FlavourNeedsJoystick(),
                    FlavourLooksBesideProgram()) != 0)
        return 1;
    /* A text given at start is measured and its page drawn at once: no
     * release of B is coming to draw it. */
    if (state == STATE_MEASURE)
        render2(screen, pFont);
    while (!done) {
        render2(screen, pFont);
        WaitForEvent(&event);
        done = HandleEvent(&event);
    }
    /* closing the window leaves the text too */
    StorePlaces();
    TomoShutdown(pFont, joystick);
    return 0;
}
