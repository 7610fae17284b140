/* dispatch.cpp: what a button press or release does, by the view state.
 * Joystick buttons, posted repeats and translated desktop keys all end up
 * here. */
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>

#include "app.h"
#include "platform.h"
#include "statefile.h"
#include "viewer.h"

int HandleButtonUp(void)
{
    repeat_button_pressed = -1;
    return DrainEvents();
}

/* ".." and, on an empty list, B: cut the last path component. */
static void GoUp(void)
{
    char *pstr = strrchr(curPath, '/');
    if (pstr != NULL)
        *pstr = '\0';
    if (curPath[0] == '\0')
        strcpy(curPath, "/");
    state = STATE_READ_DIR;
}

/* A path that would not fit is refused aloud: the list cannot say why
 * nothing happened. */
static void RefuseLongPath(const char *folder, const char *name)
{
    fprintf(stderr, "tomo: path too long: %s/%s\n", strcmp(folder, "/") == 0 ? "" : folder, name);
}

static void EnterDir(const char *name)
{
    char tmpstr[CUR_PATH_SIZE];
    int n;

    if (strcmp(curPath, "/") == 0)
        n = snprintf(tmpstr, sizeof tmpstr, "/%s", name);
    else
        n = snprintf(tmpstr, sizeof tmpstr, "%s/%s", curPath, name);
    if (n < 0 || n >= (int)sizeof tmpstr) {
        RefuseLongPath(curPath, name);
        return;
    }
    strcpy(curPath, tmpstr);
    state = STATE_READ_DIR;
}

/* Only regular files are opened: a named pipe would block the reader and
 * a device could do anything; an entry gone since the listing does nothing. */
int PickFile(const char *name)
{
    char path[FILENAME_SIZE];
    struct stat st;
    int n = snprintf(path, sizeof path, "%s/%s", curPath, name);

    if (n < 0 || n >= (int)sizeof path) {
        RefuseLongPath(curPath, name);
        return 0;
    }
    if (stat(path, &st) != 0 || !S_ISREG(st.st_mode))
        return 0;
    strcpy(filename, path);
    state = STATE_MEASURE;
    return 1;
}

static void SelectEntry(void)
{
    const DirListElements *e;

    if (listcnt == 0) {
        GoUp();
        return;
    }
    e = &dirlist[top_of_list];
    if (e->isADir == 1 && strcmp(e->file, "..") == 0)
        GoUp();
    else if (e->isADir == 1)
        EnterDir(e->file);
    else
        PickFile(e->file);
}

static int LastEntry(void)
{
    return listcnt > 0 ? listcnt - 1 : 0;
}

static void MoveInList(enum ButtonAction action)
{
    switch (action) {
    case ACT_NEXT:
        if (top_of_list + 1 < listcnt)
            top_of_list++;
        break;
    case ACT_PREV:
        if (top_of_list > 0)
            top_of_list--;
        break;
    case ACT_PAGE_DOWN:
        top_of_list = top_of_list + PAGE_STEP < LastEntry() ? top_of_list + PAGE_STEP : LastEntry();
        break;
    case ACT_PAGE_UP:
        top_of_list = top_of_list - PAGE_STEP > 0 ? top_of_list - PAGE_STEP : 0;
        break;
    case ACT_FIRST:
        top_of_list = 0;
        break;
    case ACT_LAST:
        top_of_list = LastEntry();
        break;
    default:
        break;
    }
}

static void MoveInText(enum ButtonAction action)
{
    switch (action) {
    case ACT_NEXT:      MoveDownOneLine(); break;
    case ACT_PREV:      MoveUpOneLine(); break;
    case ACT_PAGE_DOWN: MoveDown15Lines(); break;
    case ACT_PAGE_UP:   MoveUp15Lines(); break;
    case ACT_FIRST:     MoveToBeginning(); break;
    case ACT_LAST:      MoveToEnd(); break;
    case ACT_STEP_ON:   MoveDownHundredth(); break;
    case ACT_STEP_BACK: MoveUpHundredth(); break;
    default:            break;
    }
}

static void Move(enum ButtonAction action)
{
    if (state == STATE_LIST) {
        MoveInList(action);
    } else if (state == STATE_TEXT) {
        MoveInText(action);
        FollowPlainPlace();
    }
}

/* The volume buttons cross a text; the list and a text without lines have
 * nothing for them, so they do not even start a repeat there. */
static int ActsHere(enum ButtonAction action)
{
    if (action == ACT_STEP_ON || action == ACT_STEP_BACK)
        return state == STATE_TEXT && num_lines > 0;
    return 1;
}

/* A notch has no release to stop a repeat with, so it starts none: it is
 * the moves of a few quick presses, and a held button's repeat (and its
 * speed) go on as they were. */
void HandleWheel(int wheel)
{
    const ButtonMapEntry *b = FindButton(ButtonForWheel(wheel));
    int i;

    if (b == NULL)
        return;
    for (i = 0; i < WHEEL_STEPS; i++)
        Move(b->action);
}

/* The press's own move, then the repeat as the button map says: a jump
 * stops the repeat and drops the presses it queued before it moves. */
int HandleButtonDown(int button)
{
    const ButtonMapEntry *b = FindButton(button);

    if (b == NULL || !ActsHere(b->action))
        return 0;
    if (b->repeat == CANCELS_REPEAT) {
        repeat_button_pressed = -1;
        DrainEvents();
    }
    switch (b->action) {
    case ACT_BACK:
        if (state != STATE_MEASURE && state != STATE_TEXT)
            return 1;
        StorePlaces();
        state = STATE_READ_DIR;
        break;
    case ACT_SELECT:
        if (state == STATE_LIST)
            SelectEntry();
        break;
    case ACT_SWITCH_VIEW:
        /* the next frame opens the text in the other view */
        if (state != STATE_TEXT)
            break;
        SwitchView();
        SaveViewChoice();
        state = STATE_MEASURE;
        break;
    default:
        Move(b->action);
        break;
    }
    if (b->repeat == REPEATS)
        repeat_button_pressed = button;
    return 0;
}
