// statefile_test.cpp: where the state files are kept: the XDG rules of the
// desktop, with the folders they need made for the user alone, and the
// console's start folder.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "statefile.h"
#include "testutil.h"
#include "tomo.h"

using namespace testutil;

namespace {

// HOME and XDG_STATE_HOME as each test sets them, and back afterwards.
class StateFolder : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char *name : {"HOME", "XDG_STATE_HOME"})
            if (const char *v = getenv(name)) saved_.emplace_back(name, v);
    }
    void TearDown() override {
        unsetenv("HOME");
        unsetenv("XDG_STATE_HOME");
        for (const auto &v : saved_) setenv(v.first.c_str(), v.second.c_str(), 1);
    }
    static void Set(const char *name, const std::string *value) {
        if (value)
            setenv(name, value->c_str(), 1);
        else
            unsetenv(name);
    }
    TempDir dir;

private:
    std::vector<std::pair<std::string, std::string>> saved_;
};

struct StateCase {
    const char *what;
    const char *xdg;    // XDG_STATE_HOME, "@" for the temporary folder
    const char *home;   // HOME, likewise
    const char *path;   // under the temporary folder, "" for no place
};

class UserState : public StateFolder, public ::testing::WithParamInterface<StateCase> {};

// "@" at the start of a setting stands for the test's folder.
std::string Expand(const char *value, const TempDir &dir) {
    std::string v = value;
    return v.rfind("@", 0) == 0 ? dir.str() + v.substr(1) : v;
}

TEST_P(UserState, FollowsTheXdgRules) {
    const StateCase &c = GetParam();
    WriteFile(dir / "file", "");
    std::string xdg = c.xdg ? Expand(c.xdg, dir) : "", home = c.home ? Expand(c.home, dir) : "";
    Set("XDG_STATE_HOME", c.xdg ? &xdg : nullptr);
    Set("HOME", c.home ? &home : nullptr);
    char out[PATH_MAX] = "junk";
    std::string want = Expand(c.path, dir);
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
    StateCase{"xdg relative is ignored", "state", "@/home", "@/home/.local/state/tomo/places"},
    StateCase{"xdg empty", "", "@/home", "@/home/.local/state/tomo/places"},
    StateCase{"home only", nullptr, "@/home", "@/home/.local/state/tomo/places"},
    StateCase{"no home", nullptr, nullptr, ""},
    StateCase{"relative home", nullptr, "home", ""},
    StateCase{"a file in the way", "@/file/state", "@/home", ""}),
    [](const ::testing::TestParamInfo<StateCase> &p) {
        std::string name;
        for (const char *c = p.param.what; *c; c++) name += isalnum(static_cast<unsigned char>(*c)) ? *c : '_';
        return name;
    });

// Folders that are there already keep their own permissions; a path that
// would not fit gives no place rather than a cut one.
TEST_F(StateFolder, FoldersAreLeftAsTheyAreAndPathsNeverCutShort) {
    fs::create_directories(dir / "state/tomo");
    chmod((dir / "state").c_str(), 0755);
    std::string xdg = dir / "state";
    Set("XDG_STATE_HOME", &xdg);
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
        std::string path = dir / (std::string("other-") + std::to_string(&f - found));
        f.make(path);
        snprintf(view_filename, sizeof view_filename, "%s", path.c_str());
        text_view = VIEW_BOOK;
        LoadViewChoice();
        EXPECT_EQ(text_view, VIEW_PLAIN);
    }
    view_filename[0] = '\0';
}

TEST(StartFolderState, IsAHiddenFileInTheWorkingDirectory) {
    char cwd[PATH_MAX];
    ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
    char out[PATH_MAX];
    EXPECT_EQ(StartFolderFilePath(out, sizeof out, "view"), 1);
    EXPECT_EQ(std::string(out), std::string(cwd) + "/.tomo-view");
}

}  // namespace
