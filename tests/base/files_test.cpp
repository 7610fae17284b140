// files_test.cpp: writing a file anew beside its name: what may be at the
// temporary name and at the name itself, the lock that keeps a second
// writer off, and what a killed writer leaves behind.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <functional>
#include <string>

#include "files.h"
#include "testutil.h"

using namespace testutil;

namespace {

class Replacing : public ::testing::Test {
protected:
    TempDir dir;
    const std::string path = dir / ".t.txt.tomo";
    const std::string tmp = path + ".new";
    const std::string precious = dir / "precious";
    Replacement w{};

    void SetUp() override { ASSERT_TRUE(WriteFile(precious, "keep me")); }
    void TearDown() override { AbandonReplacement(&w); }

    // Writes bytes as the new file and puts it in place.
    int Replace(const std::string &bytes) {
        if (!BeginReplacement(&w, path.c_str())) return -1;
        fwrite(bytes.data(), 1, bytes.size(), w.fp);
        return CommitReplacement(&w, path.c_str());
    }
};

// Only a free name or a regular file of one name is replaced. Anything
// else, planted at the temporary name or at the name itself, is left as
// it is (and what it leads to): no new file is begun at the one, and the
// new file is removed for the other.
TEST_F(Replacing, NothingButARegularFileOfItsOwnIsTakenOrReplaced) {
    const struct {
        const char *what;
        std::function<void(const std::string &name)> make;
    } plants[] = {
        {"a symbolic link", [&](const std::string &name) { fs::create_symlink(precious, name); }},
        {"a dangling symbolic link", [&](const std::string &name) { fs::create_symlink(precious + "-none", name); }},
        {"a second name", [&](const std::string &name) { fs::create_hard_link(precious, name); }},
        {"a folder", [](const std::string &name) { fs::create_directory(name); }},
        {"a named pipe", [](const std::string &name) { mkfifo(name.c_str(), 0644); }},
    };
    EXPECT_EQ(Replace("first"), 1);
    EXPECT_EQ(ReadFile(path), "first");
    EXPECT_EQ(Replace("second"), 1);
    EXPECT_EQ(ReadFile(path), "second");
    EXPECT_FALSE(fs::exists(tmp));
    for (const std::string &at : {tmp, path}) {
        for (const auto &p : plants) {
            SCOPED_TRACE(std::string(p.what) + " at " + at);
            fs::remove(path);
            ASSERT_TRUE(at == path || WriteFile(path, "old"));
            p.make(at);
            fs::file_type before = fs::symlink_status(at).type();

            EXPECT_EQ(Replace("new"), at == tmp ? -1 : 0);

            EXPECT_EQ(fs::symlink_status(at).type(), before);
            EXPECT_EQ(ReadFile(precious), "keep me");
            EXPECT_FALSE(fs::exists(precious + "-none"));
            EXPECT_EQ(w.fp, nullptr);
            if (at == tmp) {
                EXPECT_EQ(ReadFile(path), "old");
            } else {
                EXPECT_FALSE(fs::exists(tmp)) << "the new file is removed";
            }
            fs::remove(at);
        }
    }
}

// A temporary file that another writer holds is neither taken nor removed;
// once no one holds it, it is (a killed writer's lock goes with it).
TEST_F(Replacing, ATemporaryFileAnotherWriterHoldsIsLeftToIt) {
    {
        LockedFile other(tmp);
        ASSERT_TRUE(other.held());
        ASSERT_TRUE(WriteFile(tmp, "half an index"));
        EXPECT_EQ(BeginReplacement(&w, path.c_str()), 0);
        ClearReplacement(path.c_str());
        EXPECT_EQ(ReadFile(tmp), "half an index");
    }
    ClearReplacement(path.c_str());
    EXPECT_FALSE(fs::exists(tmp));
    EXPECT_FALSE(fs::exists(path));
}

// A name whose last part leaves no room for ".new" gets a temporary name
// cut short, the same at every visit, hidden like the name.
TEST_F(Replacing, ANameAtTheLengthLimitStillGetsATemporaryName) {
    const std::string longest = dir / ("." + std::string(NAME_MAX - 1, 'n'));
    ASSERT_EQ(BeginReplacement(&w, longest.c_str()), 1);
    const std::string name = fs::path(w.tmp).filename().string();
    EXPECT_EQ(name, "." + std::string(NAME_MAX - 5, 'n') + ".new");
    fwrite("x", 1, 1, w.fp);
    ASSERT_EQ(CommitReplacement(&w, longest.c_str()), 1);
    EXPECT_EQ(ReadFile(longest), "x");
    EXPECT_FALSE(fs::exists(dir / name));
}

}  // namespace
