// dispatch_test.cpp: the button dispatch in the list: moves at both ends,
// directory changes, picking files, the repeat bookkeeping, the drains,
// and the button map that the keys and the README are read from.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstring>
#include <set>
#include <string>

#include "app.h"
#include "sdltest.h"
#include "testutil.h"

using namespace testutil;

namespace {

class DispatchTest : public SdlTest {
protected:
    void SetUp() override {
        SdlTest::SetUp();
        quit_requested = 0;
        repeat_button_pressed = -1;
        state = STATE_LIST;
    }

    // A list of n entries named e000, e001, ... with the selection at top.
    void MakeList(int n, int top) {
        for (int i = 0; i < dirlist_size; i++) {
            dirlist[i].file[0] = '\0';
            dirlist[i].isADir = 0;
        }
        for (int i = 0; i < n; i++) snprintf(dirlist[i].file, NAME_SIZE, "e%03d", i);
        listcnt = n;
        top_of_list = top;
    }

    void SetEntry(int i, const char *name, int is_dir) {
        snprintf(dirlist[i].file, NAME_SIZE, "%s", name);
        dirlist[i].isADir = is_dir;
    }
};

// The queue as words: "press N" and "release N" of joystick 0, "posted N"
// for a press the repeat tick posted, "key N" for a key press, "quit".
void Queue(const std::vector<std::string> &events) {
    for (const std::string &word : events) {
        SDL_Event e;
        std::memset(&e, 0, sizeof e);
        int n = std::atoi(word.c_str() + word.find(' ') + 1);
        if (word.rfind("posted", 0) == 0) {
            PostButtonPress(n);
            continue;
        }
        if (word.rfind("key", 0) == 0) {
            e.type = SDL_KEYDOWN;
            e.key.keysym.sym = static_cast<SDLKey>(n);
        } else if (word == "quit") {
            e.type = SDL_QUIT;
        } else {
            e.type = word.rfind("press", 0) == 0 ? SDL_JOYBUTTONDOWN : SDL_JOYBUTTONUP;
            e.jbutton.button = static_cast<Uint8>(n);
        }
        SDL_PushEvent(&e);
    }
}

std::string Word(const SDL_Event &e) {
    switch (e.type) {
    case SDL_JOYBUTTONDOWN:
        return (e.jbutton.which == POSTED_REPEAT_JOYSTICK ? "posted " : "press ") + std::to_string(e.jbutton.button);
    case SDL_JOYBUTTONUP:
        return "release " + std::to_string(e.jbutton.button);
    case SDL_KEYDOWN:
        return "key " + std::to_string(e.key.keysym.sym);
    case SDL_QUIT:
        return "quit";
    default:
        return "event " + std::to_string(e.type);
    }
}

// The queue, taken off it.
std::vector<std::string> Queued() {
    std::vector<std::string> words;
    SDL_Event e;
    while (SDL_PeepEvents(&e, 1, SDL_GETEVENT, SDL_ALLEVENTS) == 1) words.push_back(Word(e));
    return words;
}

// A move at either end still becomes the repeat (the button is held), a
// jump stops the one that was held, any other button leaves it.
struct ListMove {
    int count, top, button, expected, held_after;
};

class ListMoveTest : public DispatchTest, public ::testing::WithParamInterface<ListMove> {};

const int kHeld = BTN_START;

TEST_P(ListMoveTest, MovesTheSelection) {
    const ListMove &m = GetParam();
    MakeList(m.count, m.top);
    repeat_button_pressed = kHeld;
    EXPECT_EQ(HandleButtonDown(m.button), 0);
    EXPECT_EQ(top_of_list, m.expected);
    EXPECT_EQ(repeat_button_pressed, m.held_after);
}

INSTANTIATE_TEST_SUITE_P(Buttons, ListMoveTest, ::testing::Values(
    ListMove{20, 3, BTN_R, 18, BTN_R}, ListMove{20, 8, BTN_R, 19, BTN_R}, ListMove{20, 19, BTN_R, 19, BTN_R},
    ListMove{30, 20, BTN_L, 5, BTN_L}, ListMove{30, 10, BTN_L, 0, BTN_L},
    ListMove{5, 4, BTN_DOWN, 4, BTN_DOWN}, ListMove{5, 3, BTN_X, 4, BTN_X}, ListMove{5, 0, BTN_UP, 0, BTN_UP},
    ListMove{5, 2, BTN_Y, 1, BTN_Y}, ListMove{5, 2, BTN_RIGHT, 4, -1}, ListMove{5, 2, BTN_LEFT, 0, -1},
    ListMove{0, 0, BTN_R, 0, BTN_R}, ListMove{0, 0, BTN_RIGHT, 0, -1}, ListMove{0, 0, BTN_DOWN, 0, BTN_DOWN},
    ListMove{0, 0, BTN_L, 0, BTN_L}, ListMove{5, 2, 7, 2, kHeld}, ListMove{5, 2, BTN_VOL_DOWN, 2, kHeld},
    ListMove{5, 2, BTN_VOL_UP, 2, kHeld}, ListMove{5, 2, BTN_B, 2, kHeld}));

// A release, or a jump before it moves, stops the repeat and drops the
// presses the tick posted; what a person pressed stays queued in its order,
// and a window close is recorded.
TEST_F(DispatchTest, DrainsDropThePostedRepeatsAndKeepWhatWasTypedAhead) {
    struct {
        std::vector<std::string> queued, kept;
    } cases[] = {
        {{}, {}},
        {{"posted 4", "posted 4"}, {}},
        {{"press 4", "posted 4", "release 4", "posted 4", "press 14", "key 274"},
         {"press 4", "release 4", "press 14", "key 274"}},
        {{"posted 14", "quit", "posted 14", "press 15"}, {"quit", "press 15"}},
    };
    for (int button : {-1, static_cast<int>(BTN_RIGHT)}) {
        for (const auto &c : cases) {
            SCOPED_TRACE(testing::PrintToString(c.queued) + (button < 0 ? " release" : " jump"));
            MakeList(10, 5);
            quit_requested = 0;
            repeat_button_pressed = BTN_DOWN;
            Queue(c.queued);
            int quit = button < 0 ? HandleButtonUp() : HandleButtonDown(button);
            EXPECT_EQ(repeat_button_pressed, -1);
            if (button >= 0) {
                EXPECT_EQ(top_of_list, 9);
            }
            bool close = std::find(c.queued.begin(), c.queued.end(), "quit") != c.queued.end();
            EXPECT_EQ(quit_requested, close);
            EXPECT_EQ(quit, button < 0 && close);
            EXPECT_EQ(Queued(), c.kept);
        }
    }
}

// The tick may read the held button just before a release is handled and
// post after its drain: such a repeat is passed over when it comes up; a
// repeat of the button still held is taken like a press.
TEST_F(DispatchTest, ARepeatOfAButtonNoLongerHeldIsPassedOver) {
    struct {
        int held;
        std::vector<std::string> queued;
        std::string taken;
    } cases[] = {
        {-1, {"posted 4", "press 15"}, "press 15"},
        {BTN_Y, {"posted 4", "posted 4", "release 15"}, "release 15"},
        {BTN_DOWN, {"posted 4", "press 15"}, "posted 4"},
        {BTN_DOWN, {"press 4"}, "press 4"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.queued));
        repeat_button_pressed = c.held;
        Queue(c.queued);
        SDL_Event e;
        WaitForEvent(&e);
        EXPECT_EQ(Word(e), c.taken);
        Queued();
    }
}

// A or START ends the list and leaves a text for the list; SELECT turns a
// text to the other view, which the next frame opens, and does nothing in
// the list; B does nothing in a text.
TEST_F(DispatchTest, ButtonsThatEndOrLeaveOrSwitch) {
    struct {
        int in, button, view;
        int quits, then, view_then;
    } cases[] = {
        {STATE_LIST, BTN_A, VIEW_PLAIN, 1, STATE_LIST, VIEW_PLAIN},
        {STATE_LIST, BTN_START, VIEW_PLAIN, 1, STATE_LIST, VIEW_PLAIN},
        {STATE_TEXT, BTN_A, VIEW_PLAIN, 0, STATE_READ_DIR, VIEW_PLAIN},
        {STATE_TEXT, BTN_START, VIEW_BOOK, 0, STATE_READ_DIR, VIEW_BOOK},
        {STATE_LIST, BTN_SELECT, VIEW_PLAIN, 0, STATE_LIST, VIEW_PLAIN},
        {STATE_TEXT, BTN_SELECT, VIEW_PLAIN, 0, STATE_MEASURE, VIEW_BOOK},
        {STATE_TEXT, BTN_SELECT, VIEW_BOOK, 0, STATE_MEASURE, VIEW_PLAIN},
        {STATE_TEXT, BTN_B, VIEW_PLAIN, 0, STATE_TEXT, VIEW_PLAIN},
    };
    MakeList(2, 1);
    SetEntry(1, "games", 1);  // a folder that B in a text must not enter
    for (const auto &c : cases) {
        SCOPED_TRACE(std::to_string(c.in) + " button " + std::to_string(c.button));
        state = c.in;
        text_view = c.view;
        EXPECT_EQ(HandleButtonDown(c.button), c.quits);
        EXPECT_EQ(state, c.then);
        EXPECT_EQ(text_view, c.view_then);
    }
    text_view = VIEW_PLAIN;
}

// An empty list (or none read) takes B as "..".
struct PathCase {
    const char *from, *entry;  // nullptr: the list is empty
    int is_dir;
    const char *to;
};

class PathTest : public DispatchTest, public ::testing::WithParamInterface<PathCase> {};

TEST_P(PathTest, BChangesFolder) {
    const PathCase &c = GetParam();
    MakeList(c.entry ? 2 : 0, c.entry ? 1 : 0);
    if (c.entry) SetEntry(1, c.entry, c.is_dir);
    snprintf(curPath, CUR_PATH_SIZE, "%s", c.from);
    HandleButtonDown(BTN_B);
    EXPECT_STREQ(curPath, c.to);
    EXPECT_EQ(state, STATE_READ_DIR);
}

INSTANTIATE_TEST_SUITE_P(Folders, PathTest, ::testing::Values(
    PathCase{"/usr/gp2x", "..", 1, "/usr"}, PathCase{"/usr", "..", 1, "/"},
    PathCase{"/", "..", 1, "/"}, PathCase{"/", "games", 1, "/games"},
    PathCase{"/mnt/sd", "games", 1, "/mnt/sd/games"}, PathCase{"/mnt/sd", nullptr, 0, "/mnt"},
    PathCase{"", nullptr, 0, "/"}));

// Paths up to the system's PATH_MAX, NUL included; one longer is refused
// with a line that names it, and nothing moves.
TEST_F(DispatchTest, APathThatWouldNotFitIsRefusedAloud) {
    std::string base = "/" + std::string(CUR_PATH_SIZE - 10, 'p');
    // 4087 + 1 + 8 = PATH_MAX: no room for the NUL
    for (std::string name : {"longer-than-eight", "eightchr", "sevench"}) {
        SCOPED_TRACE(name);
        const bool fits = name.size() == 7;
        snprintf(curPath, CUR_PATH_SIZE, "%s", base.c_str());
        MakeList(2, 1);
        SetEntry(1, name.c_str(), 1);
        state = STATE_LIST;
        ::testing::internal::CaptureStderr();
        HandleButtonDown(BTN_B);
        EXPECT_EQ(::testing::internal::GetCapturedStderr(), fits ? "" : "tomo: path too long: " + base + "/" + name + "\n");
        EXPECT_EQ(std::string(curPath), fits ? base + "/" + name : base);
        EXPECT_EQ(state, fits ? STATE_READ_DIR : STATE_LIST);
    }
}

TEST_F(DispatchTest, BOpensRegularFilesOnly) {
    TempDir dir;
    WriteFile(dir / "a.txt", "abc\n");
    mkfifo((dir / "pipe").c_str(), 0644);
    snprintf(curPath, CUR_PATH_SIZE, "%s", dir.str().c_str());
    MakeList(2, 1);
    for (const char *name : {"pipe", "gone", "a.txt"}) {
        SetEntry(1, name, 0);
        state = STATE_LIST;
        HandleButtonDown(BTN_B);
        if (std::strcmp(name, "a.txt") == 0) {
            EXPECT_EQ(state, STATE_MEASURE);
            EXPECT_EQ(std::string(filename), dir / "a.txt");
        } else {
            EXPECT_EQ(state, STATE_LIST) << name;
        }
    }
    EXPECT_EQ(curPath, dir.str());
}

TEST_F(DispatchTest, EveryDesktopKeyStandsForItsButton) {
    struct { SDLKey key; int button; } keys[] = {
        {SDLK_UP, BTN_UP}, {SDLK_DOWN, BTN_DOWN}, {SDLK_LEFT, BTN_LEFT}, {SDLK_RIGHT, BTN_RIGHT},
        {SDLK_PAGEUP, BTN_L}, {SDLK_PAGEDOWN, BTN_R}, {SDLK_HOME, BTN_LEFT}, {SDLK_END, BTN_RIGHT},
        {SDLK_RETURN, BTN_B}, {SDLK_ESCAPE, BTN_A}, {SDLK_MINUS, BTN_VOL_DOWN},
        {SDLK_PLUS, BTN_VOL_UP}, {SDLK_EQUALS, BTN_VOL_UP}, {SDLK_SPACE, BTN_R}, {SDLK_q, BTN_A},
        {SDLK_TAB, BTN_SELECT}, {SDLK_F1, -1}, {SDLK_UNKNOWN, -1}};
    for (const auto &k : keys) EXPECT_EQ(ButtonForKey(k.key), k.button) << k.key;
    struct { int wheel, button; } wheels[] = {
        {SDL_BUTTON_WHEELUP, BTN_UP}, {SDL_BUTTON_WHEELDOWN, BTN_DOWN}, {SDL_BUTTON_LEFT, -1}, {0, -1}};
    for (const auto &w : wheels) EXPECT_EQ(ButtonForWheel(w.wheel), w.button) << w.wheel;
    std::set<int> buttons, keys_seen, wheels_seen;
    for (int i = 0; i < button_map_len; i++) {
        EXPECT_TRUE(buttons.insert(button_map[i].button).second) << "button twice in the map";
        for (SDLKey key : button_map[i].keys) {
            if (key == SDLK_UNKNOWN) continue;
            EXPECT_TRUE(keys_seen.insert(key).second) << "key twice: " << key;
        }
        if (button_map[i].wheel != 0) {
            EXPECT_TRUE(wheels_seen.insert(button_map[i].wheel).second) << "wheel twice";
        }
    }
    // a key's name that does not fit is left out whole, never cut short (the
    // names themselves are checked against the README's and the manual's tables)
    char names[12];
    DesktopKeys(FindButton(BTN_R), names, sizeof names);
    EXPECT_STREQ(names, "Page down");
}

// A notch moves three entries and leaves the auto-repeat alone: it has no
// release that would stop it.
TEST_F(DispatchTest, AWheelNotchMovesThreeEntriesWithoutARepeat) {
    MakeList(10, 5);
    for (int held : {-1, static_cast<int>(BTN_X)}) {
        repeat_button_pressed = held;
        HandleWheel(SDL_BUTTON_WHEELDOWN);
        EXPECT_EQ(top_of_list, 8);
        HandleWheel(SDL_BUTTON_WHEELDOWN);
        EXPECT_EQ(top_of_list, 9);
        HandleWheel(SDL_BUTTON_WHEELUP);
        EXPECT_EQ(top_of_list, 6);
        HandleWheel(SDL_BUTTON_LEFT);
        EXPECT_EQ(top_of_list, 6);
        EXPECT_EQ(repeat_button_pressed, held);
        top_of_list = 5;
    }
}

}  // namespace
