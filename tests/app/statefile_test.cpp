// statefile_test.cpp: where the state files are kept: the XDG rules of the
// desktop, with the folders they need made for the user alone; and the
// chosen view kept in one.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <climits>
#include <functional>
#include <string>

#include "statefile.h"
#include "testutil.h"
#include "tomo.h"

using namespace testutil;

namespace {

// HOME and XDG_STATE_HOME as each test sets them ("@" at the start standing
// for its folder, nullptr for unset), and back afterwards.
class StateFolder : public ::testing::Test {
protected:
    TempDir dir;
    const char *home_ = getenv("HOME"), *xdg_ = getenv("XDG_STATE_HOME");
    const std::string saved_home_ = home_ ? home_ : "", saved_xdg_ = xdg_ ? xdg_ : "";

    void TearDown() override {
        Set("HOME", home_ ? saved_home_.c_str() : nullptr, false);
        Set("XDG_STATE_HOME", xdg_ ? saved_xdg_.c_str() : nullptr, false);
    }
    std::string Expand(const char *value) const {
        std::string v = value;
        return v.rfind("@", 0) == 0 ? dir.str() + v.substr(1) : v;
    }
    void Set(const char *name, const char *value, bool expand = true) {
        if (value)
            setenv(name, expand ? Expand(value).c_str() : value, 1);
        else
            unsetenv(name);
    }
};

struct StateCase {
    const char *what;
    const char *xdg, *home;  // XDG_STATE_HOME, HOME
    const char *path;        // "" for no place
};

class UserState : public StateFolder, public ::testing::WithParamInterface<StateCase> {};

TEST_P(UserState, FollowsTheXdgRules) {
    const StateCase &c = GetParam();
    WriteFile(dir / "file", "");
    Set("XDG_STATE_HOME", c.xdg);
    Set("HOME", c.home);
    char out[PATH_MAX] = "junk";
    std::string want = Expand(c.path);
    EXPECT_EQ(UserStateFilePath(out, sizeof out, "places"), want.empty() ? 0 : 1);
    EXPECT_EQ(std::string(out), want);
    if (want.empty()) return;
    struct stat st;
    ASSERT_EQ(stat(want.substr(0, want.rfind('/')).c_str(), &st), 0);
    EXPECT_TRUE(S_ISDIR(st.st_mode));
    EXPECT_EQ(st.st_mode & 0777, 0700u) << "made for the user alone";
}

INSTANTIATE_TEST_SUITE_P(Cases, UserState, ::testing::Values(
    StateCase{"xdg", "@/state", "@/home", "@/state/tomo/places"},
    StateCase{"xdg_relative_is_ignored", "state", "@/home", "@/home/.local/state/tomo/places"},
    StateCase{"xdg_empty", "", "@/home", "@/home/.local/state/tomo/places"},
    StateCase{"home_only", nullptr, "@/home", "@/home/.local/state/tomo/places"},
    StateCase{"no_home", nullptr, nullptr, ""},
    StateCase{"relative_home", nullptr, "home", ""},
    StateCase{"a_file_in_the_way", "@/file/state", "@/home", ""}),
    [](const ::testing::TestParamInfo<StateCase> &p) { return std::string(p.param.what); });

// Folders that are there already keep their own permissions; a path that
// would not fit gives no place rather than a cut one.
TEST_F(StateFolder, FoldersAreLeftAsTheyAreAndPathsNeverCutShort) {
    fs::create_directories(dir / "state/tomo");
    chmod((dir / "state").c_str(), 0755);
    Set("XDG_STATE_HOME", "@/state");
    char out[PATH_MAX];
    EXPECT_EQ(UserStateFilePath(out, sizeof out, "view"), 1);
    EXPECT_EQ(fs::status(dir / "state").permissions(), fs::perms(0755));
    char small[16];
    EXPECT_EQ(UserStateFilePath(small, sizeof small, "view"), 0);
    EXPECT_STREQ(small, "");
}

// The chosen view: written as a line, read back; whatever else is found at
// its name (nothing, another word, a folder, a pipe) is the plain view.
TEST(ViewChoice, OnlyTheBookViewsLineChoosesIt) {
    TempDir dir;
    snprintf(view_filename, sizeof view_filename, "%s", (dir / "view").c_str());
    for (int view : {VIEW_BOOK, VIEW_PLAIN, VIEW_BOOK}) {
        text_view = view;
        SaveViewChoice();
        text_view = -1;
        LoadViewChoice();
        EXPECT_EQ(text_view, view);
    }
    EXPECT_EQ(ReadFile(dir / "view"), "book\n");
    struct {
        const char *what;
        std::function<void(const std::string &)> make;
    } found[] = {
        {"nothing", [](const std::string &) {}},
        {"another word", [](const std::string &p) { WriteFile(p, "books\n"); }},
        {"no line feed", [](const std::string &p) { WriteFile(p, "book"); }},
        {"a folder", [](const std::string &p) { fs::create_directory(p); }},
        {"a named pipe", [](const std::string &p) { mkfifo(p.c_str(), 0600); }},
    };
    for (const auto &f : found) {
        SCOPED_TRACE(f.what);
        std::string path = dir / f.what;
        f.make(path);
        snprintf(view_filename, sizeof view_filename, "%s", path.c_str());
        text_view = VIEW_BOOK;
        LoadViewChoice();
        EXPECT_EQ(text_view, VIEW_PLAIN);
    }
    view_filename[0] = '\0';
}

}  // namespace
