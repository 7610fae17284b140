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

struct Planted {
    const char *what;
    std::function<void(const std::string &name, const std::string &precious)> make;
};

const std::vector<Planted> &Plants() {
    static const std::vector<Planted> plants = {
        {"a symbolic link", [](const std::string &name, const std::string &p) { fs::create_symlink(p, name); }},
        {"a dangling symbolic link",
         [](const std::string &name, const std::string &p) { fs::create_symlink(p + "-none", name); }},
        {"a second name", [](const std::string &name, const std::string &p) { fs::create_hard_link(p, name); }},
        {"a folder", [](const std::string &name, const std::string &) { fs::create_directory(name); }},
        {"a named pipe", [](const std::string &name, const std::string &) { mkfifo(name.c_str(), 0644); }},
    };
    return plants;
}

// Whatever is planted at the temporary name is left as it is, and no new
// file is written; the name itself is not touched either.
TEST_F(Replacing, NothingButARegularFileOfItsOwnIsTakenAsTheTemporaryFile) {
    for (const Planted &p : Plants()) {
        SCOPED_TRACE(p.what);
        ASSERT_TRUE(WriteFile(path, "old"));
        p.make(tmp, precious);
        fs::file_status before = fs::symlink_status(tmp);

        EXPECT_EQ(BeginReplacement(&w, path.c_str()), 0);
        EXPECT_EQ(w.fp, nullptr);

        EXPECT_EQ(fs::symlink_status(tmp).type(), before.type());
        EXPECT_EQ(ReadFile(precious), "keep me");
        EXPECT_FALSE(fs::exists(precious + "-none"));
        EXPECT_EQ(ReadFile(path), "old");
        fs::remove(tmp);
    }
}

// Only a regular file of one name at the name is replaced; anything else
// stays, and the new file is gone.
TEST_F(Replacing, OnlyAFreeNameOrARegularFileOfOneNameIsReplaced) {
    EXPECT_EQ(Replace("first"), 1);
    EXPECT_EQ(ReadFile(path), "first");
    EXPECT_EQ(Replace("second"), 1);
    EXPECT_EQ(ReadFile(path), "second");
    EXPECT_FALSE(fs::exists(tmp));
    for (const Planted &p : Plants()) {
        SCOPED_TRACE(p.what);
        fs::remove(path);
        p.make(path, precious);
        fs::file_status before = fs::symlink_status(path);

        EXPECT_EQ(Replace("new"), 0);

        EXPECT_EQ(fs::symlink_status(path).type(), before.type());
        EXPECT_EQ(ReadFile(precious), "keep me");
        EXPECT_FALSE(fs::exists(tmp)) << "the new file is removed";
        EXPECT_EQ(w.fp, nullptr);
        fs::remove(path);
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
