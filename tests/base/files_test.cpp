// files_test.cpp: a file replaced whole through a temporary file: what it
// replaces and what it leaves alone, a temporary file left by a program
// that was killed, and two programs at once.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <functional>

#include "files.h"
#include "testutil.h"

using namespace testutil;

namespace {

struct AtPath {
    const char *what;
    std::function<void(const std::string &path, const std::string &other)> make;
    bool replaced;
};

class Replacing : public ::testing::TestWithParam<AtPath> {};

TEST_P(Replacing, OnlyAFileOfOneNameOrNothingIsReplaced) {
    TempDir dir;
    const std::string path = dir / "state", other = dir / "other";
    WriteFile(other, "someone else's\n");
    GetParam().make(path, other);
    Replacement w;
    ASSERT_EQ(BeginReplacement(&w, path.c_str()), 1);
    EXPECT_EQ(std::string(w.tmp), path + ".new");
    fputs("new\n", w.fp);
    EXPECT_EQ(CommitReplacement(&w, path.c_str()), GetParam().replaced ? 1 : 0);
    EXPECT_EQ(w.fp, nullptr);
    EXPECT_FALSE(fs::exists(path + ".new"));
    EXPECT_EQ(ReadFile(other), "someone else's\n");
    if (GetParam().replaced) {
        EXPECT_EQ(ReadFile(path), "new\n");
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, Replacing, ::testing::Values(
    AtPath{"nothing", [](const std::string &, const std::string &) {}, true},
    AtPath{"a file", [](const std::string &p, const std::string &) { WriteFile(p, "old\n"); }, true},
    AtPath{"a symbolic link", [](const std::string &p, const std::string &o) { fs::create_symlink(o, p); }, false},
    AtPath{"a second name", [](const std::string &p, const std::string &o) { fs::create_hard_link(o, p); }, false},
    AtPath{"a folder", [](const std::string &p, const std::string &) { fs::create_directory(p); }, false}),
    [](const ::testing::TestParamInfo<AtPath> &p) {
        std::string name;
        for (const char *c = p.param.what; *c; c++) name += isalnum(static_cast<unsigned char>(*c)) ? *c : '_';
        return name;
    });

TEST(Replacement, ATemporaryFileLeftBehindIsTakenOverAndAbandonedCleanly) {
    TempDir dir;
    const std::string path = dir / "state";
    WriteFile(path + ".new", "left by a program that was killed\n");
    Replacement w;
    ASSERT_EQ(BeginReplacement(&w, path.c_str()), 1);
    EXPECT_EQ(ReadFile(path + ".new"), "");
    AbandonReplacement(&w);
    EXPECT_FALSE(fs::exists(path + ".new"));
    EXPECT_FALSE(fs::exists(path));
}

TEST(Replacement, OneProgramAtATimeAndNoPathTooLong) {
    TempDir dir;
    const std::string path = dir / "state";
    Replacement first, second;
    ASSERT_EQ(BeginReplacement(&first, path.c_str()), 1);
    EXPECT_EQ(BeginReplacement(&second, path.c_str()), 0) << "the first still writes";
    EXPECT_EQ(CommitReplacement(&first, path.c_str()), 1);
    EXPECT_EQ(BeginReplacement(&second, path.c_str()), 1);
    AbandonReplacement(&second);
    std::string longest = dir.str() + "/" + std::string(PATH_MAX - dir.str().size() - 4, 'x');
    EXPECT_EQ(BeginReplacement(&second, longest.c_str()), 0);
}

}  // namespace
