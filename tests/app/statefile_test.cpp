// statefile_test.cpp: where the state files are kept: the XDG rules of the
// desktop, with the folders they need made for the user alone, and the
// console's start folder.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <string>

#include "statefile.h"
#include "testutil.h"

using namespace testutil;

namespace {

// Sets or unsets a variable for the life of the object.
class EnvSetting {
public:
    EnvSetting(const char *name, const char *value) : name_(name) {
        const char *old = getenv(name);
        had_ = old != nullptr;
        if (had_) old_ = old;
        if (value != nullptr)
            setenv(name, value, 1);
        else
            unsetenv(name);
    }
    ~EnvSetting() {
        if (had_)
            setenv(name_, old_.c_str(), 1);
        else
            unsetenv(name_);
    }

private:
    const char *name_;
    bool had_;
    std::string old_;
};

struct StateCase {
    const char *what;
    const char *xdg;    // XDG_STATE_HOME, "@" for the temporary folder
    const char *home;   // HOME, likewise
    const char *path;   // under the temporary folder, "" for no place
};

class UserState : public ::testing::TestWithParam<StateCase> {};

std::string Expand(const char *value, const TempDir &dir) {
    std::string v = value;
    if (v.rfind("@", 0) == 0) v = dir.str() + v.substr(1);
    return v;
}

TEST_P(UserState, FollowsTheXdgRules) {
    const StateCase &c = GetParam();
    TempDir dir;
    WriteFile(dir / "file", "");
    std::string xdg = c.xdg ? Expand(c.xdg, dir) : "", home = c.home ? Expand(c.home, dir) : "";
    EnvSetting x("XDG_STATE_HOME", c.xdg ? xdg.c_str() : nullptr);
    EnvSetting h("HOME", c.home ? home.c_str() : nullptr);
    char out[PATH_MAX] = "junk";
    int ok = UserStateFilePath(out, sizeof out, "places");
    if (c.path[0] == '\0') {
        EXPECT_EQ(ok, 0);
        EXPECT_STREQ(out, "");
        return;
    }
    std::string want = Expand(c.path, dir);
    EXPECT_EQ(ok, 1);
    EXPECT_EQ(std::string(out), want);
    struct stat st;
    std::string folder = want.substr(0, want.rfind('/'));
    ASSERT_EQ(stat(folder.c_str(), &st), 0) << folder;
    EXPECT_TRUE(S_ISDIR(st.st_mode));
    EXPECT_EQ(st.st_mode & 0777, 0700u);
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
TEST(UserStateFolders, AreLeftAsTheyAreAndNeverCutShort) {
    TempDir dir;
    fs::create_directories(dir / "state/tomo");
    chmod((dir / "state").c_str(), 0755);
    EnvSetting x("XDG_STATE_HOME", (dir / "state").c_str());
    char out[PATH_MAX];
    EXPECT_EQ(UserStateFilePath(out, sizeof out, "view"), 1);
    EXPECT_EQ(fs::status(dir / "state").permissions(), fs::perms(0755));
    char small[16];
    EXPECT_EQ(UserStateFilePath(small, sizeof small, "view"), 0);
    EXPECT_STREQ(small, "");
}

TEST(StartFolderState, IsAHiddenFileInTheWorkingDirectory) {
    char cwd[PATH_MAX];
    ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
    char out[PATH_MAX];
    EXPECT_EQ(StartFolderFilePath(out, sizeof out, "view"), 1);
    EXPECT_EQ(std::string(out), std::string(cwd) + "/.tomo-view");
}

}  // namespace
