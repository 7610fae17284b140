/* buttons.cpp: the button map. The console's joystick buttons, the desktop
 * keys that stand in for them, and what each does in the list and in a
 * text. The dispatch reads it, and the README's controls table is printed
 * from it (tools/controls). */
#include "app.h"

const ButtonMapEntry button_map[] = {
    { BTN_UP,    "stick up",    SDLK_UP,       SDLK_k,       ACT_PREV, REPEATS,
      "previous entry", "one line up" },
    { BTN_Y,     "Y",           SDLK_y,        SDLK_UNKNOWN, ACT_PREV, REPEATS,
      "previous entry", "one line up" },
    { BTN_DOWN,  "stick down",  SDLK_DOWN,     SDLK_j,       ACT_NEXT, REPEATS,
      "next entry", "one line down" },
    { BTN_X,     "X",           SDLK_x,        SDLK_UNKNOWN, ACT_NEXT, REPEATS,
      "next entry", "one line down" },
    { BTN_L,     "L",           SDLK_PAGEUP,   SDLK_l,       ACT_PAGE_UP, REPEATS,
      "15 entries back", "15 lines up" },
    { BTN_R,     "R",           SDLK_PAGEDOWN, SDLK_r,       ACT_PAGE_DOWN, REPEATS,
      "15 entries on", "15 lines down" },
    { BTN_VOL_DOWN, "volume down", SDLK_MINUS, SDLK_UNKNOWN, ACT_STEP_ON, REPEATS,
      "nothing", "1% of the text on" },
    { BTN_VOL_UP, "volume up",   SDLK_PLUS,     SDLK_EQUALS,  ACT_STEP_BACK, REPEATS,
      "nothing", "1% of the text back" },
    { BTN_LEFT,  "stick left",  SDLK_LEFT,     SDLK_HOME,    ACT_FIRST, CANCELS_REPEAT,
      "first entry", "first line" },
    { BTN_RIGHT, "stick right", SDLK_RIGHT,    SDLK_END,     ACT_LAST, CANCELS_REPEAT,
      "last entry", "last line at the top" },
    { BTN_B,     "B",           SDLK_RETURN,   SDLK_b,       ACT_SELECT, KEEPS_REPEAT,
      "enter the folder / open the file", "nothing" },
    { BTN_A,     "A",           SDLK_ESCAPE,   SDLK_a,       ACT_BACK, KEEPS_REPEAT,
      "quit to the menu", "back to the list" },
    { BTN_START, "START",       SDLK_s,        SDLK_UNKNOWN, ACT_BACK, KEEPS_REPEAT,
      "quit to the menu", "back to the list" }
};

const int button_map_len = (int)(sizeof button_map / sizeof button_map[0]);

const ButtonMapEntry *FindButton(int button)
{
    int i;
    for (i = 0; i < button_map_len; i++)
        if (button_map[i].button == button)
            return &button_map[i];
    return NULL;
}

int ButtonForKey(SDLKey key)
{
    int i;
    if (key == SDLK_UNKNOWN)
        return -1;
    for (i = 0; i < button_map_len; i++)
        if (button_map[i].key1 == key || button_map[i].key2 == key)
            return button_map[i].button;
    return -1;
}
