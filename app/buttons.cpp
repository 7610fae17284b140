/* buttons.cpp: the button map. The console's joystick buttons, the desktop
 * keys and wheel turns that stand in for them, and what each does in the
 * list and in a text. The dispatch reads it, and the README's controls
 * table, the manual's and the --help text are printed from it. */
#include <stdio.h>
#include <string.h>

#include "app.h"

const ButtonMapEntry button_map[] = {
    { BTN_UP,    "stick up",    { SDLK_UP, SDLK_k },           SDL_BUTTON_WHEELUP,
      ACT_PREV, REPEATS, "previous entry", "one line up" },
    { BTN_Y,     "Y",           { SDLK_y },                    0,
      ACT_PREV, REPEATS, "previous entry", "one line up" },
    { BTN_DOWN,  "stick down",  { SDLK_DOWN, SDLK_j },         SDL_BUTTON_WHEELDOWN,
      ACT_NEXT, REPEATS, "next entry", "one line down" },
    { BTN_X,     "X",           { SDLK_x },                    0,
      ACT_NEXT, REPEATS, "next entry", "one line down" },
    { BTN_L,     "L",           { SDLK_PAGEUP, SDLK_l },       0,
      ACT_PAGE_UP, REPEATS, "15 entries back", "15 lines up" },
    { BTN_R,     "R",           { SDLK_PAGEDOWN, SDLK_r, SDLK_SPACE }, 0,
      ACT_PAGE_DOWN, REPEATS, "15 entries on", "15 lines down" },
    { BTN_VOL_DOWN, "volume down", { SDLK_MINUS },             0,
      ACT_STEP_ON, REPEATS, "nothing", "1% of the text on" },
    { BTN_VOL_UP, "volume up",  { SDLK_PLUS, SDLK_EQUALS },    0,
      ACT_STEP_BACK, REPEATS, "nothing", "1% of the text back" },
    { BTN_LEFT,  "stick left",  { SDLK_LEFT, SDLK_HOME },      0,
      ACT_FIRST, CANCELS_REPEAT, "first entry", "first line" },
    { BTN_RIGHT, "stick right", { SDLK_RIGHT, SDLK_END },      0,
      ACT_LAST, CANCELS_REPEAT, "last entry", "last line at the top" },
    { BTN_B,     "B",           { SDLK_RETURN, SDLK_b },       0,
      ACT_SELECT, KEEPS_REPEAT, "enter the folder / open the file", "nothing" },
    { BTN_SELECT, "SELECT",     { SDLK_TAB },                  0,
      ACT_SWITCH_VIEW, KEEPS_REPEAT, "nothing", "plain view / book view" },
    { BTN_A,     "A",           { SDLK_ESCAPE, SDLK_a, SDLK_q }, 0,
      ACT_BACK, KEEPS_REPEAT, "quit", "back to the list" },
    { BTN_START, "START",       { SDLK_s },                    0,
      ACT_BACK, KEEPS_REPEAT, "quit", "back to the list" }
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
    int k;

    if (key == SDLK_UNKNOWN)
        return -1;
    for (i = 0; i < button_map_len; i++)
        for (k = 0; k < BUTTON_KEYS; k++)
            if (button_map[i].keys[k] == key)
                return button_map[i].button;
    return -1;
}

int ButtonForWheel(int wheel)
{
    int i;

    if (wheel == 0)
        return -1;
    for (i = 0; i < button_map_len; i++)
        if (button_map[i].wheel == wheel)
            return button_map[i].button;
    return -1;
}

typedef struct keyLabel {
    SDLKey key;
    const char *name;
} KeyLabel;

/* Keys whose name is not their own character. */
static const KeyLabel key_labels[] = {
    { SDLK_UP, "Up" }, { SDLK_DOWN, "Down" }, { SDLK_LEFT, "Left" }, { SDLK_RIGHT, "Right" },
    { SDLK_PAGEUP, "Page up" }, { SDLK_PAGEDOWN, "Page down" }, { SDLK_HOME, "Home" },
    { SDLK_END, "End" }, { SDLK_RETURN, "Return" }, { SDLK_ESCAPE, "Escape" },
    { SDLK_SPACE, "Space" }, { SDLK_TAB, "Tab" }, { SDLK_BACKSPACE, "Backspace" }
};

void KeyName(SDLKey key, char *out, int size)
{
    int i;

    for (i = 0; i < (int)(sizeof key_labels / sizeof key_labels[0]); i++)
        if (key_labels[i].key == key) {
            snprintf(out, (size_t)size, "%s", key_labels[i].name);
            return;
        }
    if (key > SDLK_SPACE && key < SDLK_DELETE)
        snprintf(out, (size_t)size, "%c", (char)key);
    else
        snprintf(out, (size_t)size, "key %d", (int)key);
}

/* A name that does not fit whole is left out. */
static void Append(char *out, int size, const char *name)
{
    size_t used = strlen(out);
    const char *comma = used > 0 ? ", " : "";

    if (used + strlen(comma) + strlen(name) >= (size_t)size)
        return;
    sprintf(out + used, "%s%s", comma, name);
}

void DesktopKeys(const ButtonMapEntry *b, char *out, int size)
{
    char name[32];
    int k;

    out[0] = '\0';
    for (k = 0; k < BUTTON_KEYS && b->keys[k] != SDLK_UNKNOWN; k++) {
        KeyName(b->keys[k], name, (int)sizeof name);
        Append(out, size, name);
    }
    if (b->wheel == SDL_BUTTON_WHEELUP)
        Append(out, size, "wheel up");
    else if (b->wheel == SDL_BUTTON_WHEELDOWN)
        Append(out, size, "wheel down");
}
