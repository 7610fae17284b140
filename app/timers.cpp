/* timers.cpp: the two callbacks that run on SDL's timer thread: the status
 * tick, which cycles the status line through the position, the help line
 * and the title, and the auto-repeat tick, which posts further presses of a
 * held button, faster and faster. */
#include "app.h"
#include "graphics.h"
#include "platform.h"
#include "viewer.h"

enum {
    SHOW_POSITION = 0,       /* timer_state values, in the order they cycle */
    SHOW_HELP = 1,
    SHOW_TITLE = 2,
    REPEAT_FIRST_PERIOD = 6, /* ticks before the first posted press */
    REPEAT_SPEEDUP = 2       /* the period shrinks 6, 4, 2, then 1 */
};

static const char help_text[] = "Stick/Y/X-Up/Down  L/R-Screen Up/Down  A/Start-Exit";
static const char help_list[] = "Stick/Y/X-Up/Down  L/R-Screen Up/Down  B-Select";

/* Draws the next text of the cycle; called with draw_lock held. */
static void StatusStep(TimerInfo *ti, int *timer_state)
{
    switch (*timer_state) {
    case SHOW_POSITION:
        if (state == STATE_TEXT) {
            FormatPosition(status, STATUS_SIZE);
            UpdateStatus(ti->pFont, ti->screen, status);
        }
        *timer_state = SHOW_HELP;
        break;
    case SHOW_HELP:
        *timer_state = SHOW_TITLE;
        UpdateStatus(ti->pFont, ti->screen, state == STATE_TEXT ? help_text : help_list);
        break;
    case SHOW_TITLE:
        *timer_state = SHOW_POSITION;
        UpdateStatus(ti->pFont, ti->screen, TOMO_TITLE);
        break;
    default:
        break;
    }
}

/* While a text is measured the status line belongs to the progress
 * message; the state is looked at again once the lock is held, since the
 * frame step may have started a measuring pass in between. */
Uint32 timerfunc(Uint32 interval, void *param)
{
    static int timer_state = SHOW_POSITION;
    TimerInfo *ti = (TimerInfo *)param;

    if (state == STATE_MEASURE || closing)
        return interval;
    LockDrawing();
    if (state == STATE_MEASURE || closing) {
        UnlockDrawing();
        return interval;
    }
    StatusStep(ti, &timer_state);
    PresentStatusBand(ti->screen);
    UnlockDrawing();
    return interval;
}

Uint32 buttonRepeatTimerfunc(Uint32 interval, void *param)
{
    static int prev_button_pressed = -1;
    static int countdown = 0;
    static int starting_count = 0;
    int held = repeat_button_pressed;

    (void)param;
    if (prev_button_pressed != held) {
        prev_button_pressed = held;
        starting_count = REPEAT_FIRST_PERIOD;
        countdown = REPEAT_FIRST_PERIOD;
        extra_lines_skipped = 0;
    }
    if (held == -1)
        return interval;
    if (--countdown != 0)
        return interval;

    if (starting_count > REPEAT_SPEEDUP)
        starting_count -= REPEAT_SPEEDUP;
    else if (starting_count == REPEAT_SPEEDUP)
        starting_count = 1;
    if (starting_count == 1 && extra_lines_skipped < MAX_EXTRA_LINES)
        extra_lines_skipped = extra_lines_skipped + 1;
    countdown = starting_count;
    PostButtonPress(held);
    return interval;
}
