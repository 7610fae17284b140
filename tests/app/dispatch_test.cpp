// dispatch_test.cpp: the button dispatch in the list: moves at both ends,
// directory changes, picking files, the repeat bookkeeping, the drains,
// and the button map that the keys and the README are read from.
#include <gtest/gtest.h>
#include <sys/stat.h>

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

    static void Push(Uint8 type) {
        SDL_Event e;
        std::memset(&e, 0, sizeof e);
        e.type = type;
        SDL_PushEvent(&e);
    }
};

struct ListMove {
    int count, top, button, expected;
};

class ListMoveTest : public DispatchTest, public ::testing::WithParamInterface<ListMove> {};

TEST_P(ListMoveTest, MovesTheSelection) {
    const ListMove &m = GetParam();
    MakeList(m.count, m.top);
    EXPECT_EQ(HandleButtonDown(m.button), 0);
    EXPECT_EQ(top_of_list, m.expected);
}

INSTANTIATE_TEST_SUITE_P(Buttons, ListMoveTest, ::testing::Values(
    ListMove{20, 3, BTN_R, 18}, ListMove{20, 8, BTN_R, 19}, ListMove{20, 19, BTN_R, 19},
    ListMove{30, 20, BTN_L, 5}, ListMove{30, 10, BTN_L, 0},
    ListMove{5, 4, BTN_DOWN, 4}, ListMove{5, 3, BTN_X, 4}, ListMove{5, 0, BTN_UP, 0},
    ListMove{5, 2, BTN_Y, 1}, ListMove{5, 2, BTN_RIGHT, 4}, ListMove{5, 2, BTN_LEFT, 0},
    ListMove{0, 0, BTN_R, 0}, ListMove{0, 0, BTN_RIGHT, 0}, ListMove{0, 0, BTN_DOWN, 0},
    ListMove{0, 0, BTN_L, 0}, ListMove{5, 2, 7, 2}, ListMove{5, 2, BTN_VOL_DOWN, 2},
    ListMove{5, 2, BTN_VOL_UP, 2}));

TEST_F(DispatchTest, RepeatingButtonsAreRememberedEvenAtTheEnd) {
    MakeList(3, 2);
    HandleButtonDown(BTN_DOWN);
    EXPECT_EQ(top_of_list, 2);
    EXPECT_EQ(repeat_button_pressed, BTN_DOWN);
    HandleButtonDown(BTN_L);
    EXPECT_EQ(repeat_button_pressed, BTN_L);
    HandleButtonDown(BTN_B);
    EXPECT_EQ(repeat_button_pressed, BTN_L);
    HandleButtonDown(BTN_VOL_DOWN);  // nothing to cross in the list
    EXPECT_EQ(repeat_button_pressed, BTN_L);
}

TEST_F(DispatchTest, JumpsCancelTheRepeatAndDropQueuedPresses) {
    MakeList(10, 5);
    repeat_button_pressed = BTN_DOWN;
    Push(SDL_JOYBUTTONDOWN);
    Push(SDL_JOYBUTTONDOWN);
    HandleButtonDown(BTN_RIGHT);
    EXPECT_EQ(repeat_button_pressed, -1);
    EXPECT_EQ(top_of_list, 9);
    EXPECT_EQ(QueuedEvents(), 0);
}

TEST_F(DispatchTest, ReleaseDrainsButKeepsAWindowClose) {
    repeat_button_pressed = BTN_X;
    Push(SDL_JOYBUTTONDOWN);
    Push(SDL_QUIT);
    Push(SDL_JOYBUTTONDOWN);
    EXPECT_EQ(HandleButtonUp(), 1);
    EXPECT_EQ(repeat_button_pressed, -1);
    EXPECT_EQ(quit_requested, 1);
    EXPECT_EQ(QueuedEvents(), 0);
}

TEST_F(DispatchTest, AOrStartEndsTheListAndLeavesTheText) {
    for (int button : {BTN_A, BTN_START}) {
        state = STATE_LIST;
        EXPECT_EQ(HandleButtonDown(button), 1);
        state = STATE_TEXT;
        EXPECT_EQ(HandleButtonDown(button), 0);
        EXPECT_EQ(state, STATE_READ_DIR);
    }
}

struct PathCase {
    const char *from, *entry;
    int is_dir;
    const char *to;
};

class PathTest : public DispatchTest, public ::testing::WithParamInterface<PathCase> {};

TEST_P(PathTest, BChangesFolder) {
    const PathCase &c = GetParam();
    MakeList(2, 1);
    SetEntry(1, c.entry, c.is_dir);
    snprintf(curPath, CUR_PATH_SIZE, "%s", c.from);
    HandleButtonDown(BTN_B);
    EXPECT_STREQ(curPath, c.to);
    EXPECT_EQ(state, STATE_READ_DIR);
}

INSTANTIATE_TEST_SUITE_P(Folders, PathTest, ::testing::Values(
    PathCase{"/usr/gp2x", "..", 1, "/usr"}, PathCase{"/usr", "..", 1, "/"},
    PathCase{"/", "..", 1, "/"}, PathCase{"/", "games", 1, "/games"},
    PathCase{"/mnt/sd", "games", 1, "/mnt/sd/games"}));

TEST_F(DispatchTest, FolderWhosePathWouldNotFitIsNotEntered) {
    std::string base = "/" + std::string(90, 'p');
    snprintf(curPath, CUR_PATH_SIZE, "%s", base.c_str());
    MakeList(2, 1);
    SetEntry(1, "longer-than-nine", 1);
    HandleButtonDown(BTN_B);
    EXPECT_EQ(std::string(curPath), base);
    EXPECT_EQ(state, STATE_LIST);

    SetEntry(1, "eightchr", 1);  // 91 + 1 + 8 = 100 characters: no room for the NUL
    HandleButtonDown(BTN_B);
    EXPECT_EQ(std::string(curPath), base);
    SetEntry(1, "sevench", 1);   // 99 characters fit
    HandleButtonDown(BTN_B);
    EXPECT_EQ(std::string(curPath), base + "/sevench");
}

TEST_F(DispatchTest, EmptyListBActsAsDotDot) {
    MakeList(0, 0);
    snprintf(curPath, CUR_PATH_SIZE, "/mnt/sd");
    HandleButtonDown(BTN_B);
    EXPECT_STREQ(curPath, "/mnt");
    curPath[0] = '\0';  // getcwd failed at start
    state = STATE_LIST;
    HandleButtonDown(BTN_B);
    EXPECT_STREQ(curPath, "/");
    EXPECT_EQ(state, STATE_READ_DIR);
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

TEST_F(DispatchTest, BInTheTextDoesNothing) {
    MakeList(2, 1);
    state = STATE_TEXT;
    HandleButtonDown(BTN_B);
    EXPECT_EQ(state, STATE_TEXT);
}

TEST_F(DispatchTest, EveryDesktopKeyStandsForItsButton) {
    struct { SDLKey key; int button; } keys[] = {
        {SDLK_UP, BTN_UP}, {SDLK_DOWN, BTN_DOWN}, {SDLK_LEFT, BTN_LEFT}, {SDLK_RIGHT, BTN_RIGHT},
        {SDLK_PAGEUP, BTN_L}, {SDLK_PAGEDOWN, BTN_R}, {SDLK_HOME, BTN_LEFT}, {SDLK_END, BTN_RIGHT},
        {SDLK_RETURN, BTN_B}, {SDLK_ESCAPE, BTN_A}, {SDLK_MINUS, BTN_VOL_DOWN},
        {SDLK_PLUS, BTN_VOL_UP}, {SDLK_EQUALS, BTN_VOL_UP}, {SDLK_F1, -1}, {SDLK_UNKNOWN, -1}};
    for (const auto &k : keys) EXPECT_EQ(ButtonForKey(k.key), k.button) << k.key;
    std::set<int> buttons, keys_seen;
    for (int i = 0; i < button_map_len; i++) {
        EXPECT_TRUE(buttons.insert(button_map[i].button).second) << "button twice in the map";
        for (SDLKey key : {button_map[i].key1, button_map[i].key2}) {
            if (key == SDLK_UNKNOWN) continue;
            EXPECT_TRUE(keys_seen.insert(key).second) << "key twice: " << key;
        }
    }
}

}  // namespace
