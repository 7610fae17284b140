// dirlist_test.cpp: reading a folder into the entry table: order, marks,
// hidden names, odd entries, the growing table and the printed listing.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <string>
#include <vector>

#include "browser.h"
#include "testutil.h"

using namespace testutil;

namespace {

class DirlistTest : public ::testing::Test {
protected:
    TempDir dir;

    void List(const std::string &path) {
        snprintf(curPath, CUR_PATH_SIZE, "%s", path.c_str());
        top_of_list = 7;
        testing::internal::CaptureStdout();
        testing::internal::CaptureStderr();
        CreateSortedFilelist();
        out = testing::internal::GetCapturedStdout();
        err = testing::internal::GetCapturedStderr();
    }
    void List() { List(dir.str()); }

    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        for (int i = 0; i < listcnt; i++) names.push_back(dirlist[i].file);
        return names;
    }
    std::vector<int> Marks() const {
        std::vector<int> marks;
        for (int i = 0; i < listcnt; i++) marks.push_back(dirlist[i].isADir);
        return marks;
    }
    bool RestIsEmpty() const {
        for (int i = listcnt; i < dirlist_size; i++)
            if (dirlist[i].file[0] != '\0' || dirlist[i].isADir != 0) return false;
        return true;
    }

    std::string out, err;
};

TEST_F(DirlistTest, EmptyFolderHoldsOnlyDotDot) {
    List();
    EXPECT_EQ(Names(), std::vector<std::string>({".."}));
    EXPECT_EQ(Marks(), std::vector<int>({1}));
    EXPECT_EQ(top_of_list, 0);
    EXPECT_EQ(out, "\n\nSorted...\n..\n");
}

TEST_F(DirlistTest, SortsByBytesAndMarksFoldersOnly) {
    WriteFile(dir / "b", "");
    WriteFile(dir / "A", "");
    WriteFile(dir / "a.txt", "");
    mkdir((dir / "sub").c_str(), 0755);
    WriteFile(dir / "-dash", "");
    WriteFile(dir / "10", "");
    WriteFile(dir / "9", "");
    List();
    EXPECT_EQ(Names(), std::vector<std::string>({"-dash", "..", "10", "9", "A", "a.txt", "b", "sub"}));
    EXPECT_EQ(Marks(), std::vector<int>({0, 1, 0, 0, 0, 0, 0, 1}));
    EXPECT_EQ(out, "\n\nSorted...\n-dash\n..\n10\n9\nA\na.txt\nb\nsub\n");
    EXPECT_TRUE(RestIsEmpty());
}

TEST_F(DirlistTest, HidesDotNamesIndexFilesIncluded) {
    WriteFile(dir / ".hidden", "");
    WriteFile(dir / ".book.txt.tomo", "");
    mkdir((dir / ".git").c_str(), 0755);
    WriteFile(dir / "book.txt", "");
    List();
    EXPECT_EQ(Names(), std::vector<std::string>({"..", "book.txt"}));
}

TEST_F(DirlistTest, FollowsLinksAndReportsDanglingOnes) {
    mkdir((dir / "real").c_str(), 0755);
    ASSERT_EQ(symlink((dir / "real").c_str(), (dir / "link").c_str()), 0);
    ASSERT_EQ(symlink((dir / "nowhere").c_str(), (dir / "dangling").c_str()), 0);
    ASSERT_EQ(mkfifo((dir / "pipe").c_str(), 0644), 0);
    List();
    EXPECT_EQ(Names(), std::vector<std::string>({"..", "dangling", "link", "pipe", "real"}));
    EXPECT_EQ(Marks(), std::vector<int>({1, 0, 1, 0, 1}));
    EXPECT_EQ(err, "Could not stat file " + dir.str() + "/dangling...\n");
}

TEST_F(DirlistTest, KeepsA255ByteNameWhole) {
    std::string name(255, 'n');
    WriteFile(dir / name, "");
    List();
    ASSERT_EQ(listcnt, 2);
    EXPECT_EQ(std::string(dirlist[1].file), name);
}

TEST_F(DirlistTest, UnreadableFolderLeavesTableEmptyAndSilent) {
    List(dir / "missing");
    EXPECT_EQ(listcnt, 0);
    EXPECT_EQ(top_of_list, 0);
    EXPECT_EQ(out, "");
    EXPECT_EQ(err, "");
    EXPECT_TRUE(RestIsEmpty());
}

TEST_F(DirlistTest, RootListsDotDotWithDoubleSlashPaths) {
    List("/");
    ASSERT_GE(listcnt, 2);
    EXPECT_EQ(err.find("Could not stat"), std::string::npos);
    bool saw_dotdot = false;
    for (int i = 0; i < listcnt; i++)
        if (std::strcmp(dirlist[i].file, "..") == 0) saw_dotdot = dirlist[i].isADir == 1;
    EXPECT_TRUE(saw_dotdot);
}

TEST_F(DirlistTest, TableGrowsPastItsFirstThousandAndShrinksBack) {
    NumberedFiles(dir.str(), "f", 10000, 14999, 5);
    List();
    ASSERT_EQ(listcnt, 5001);
    EXPECT_GE(dirlist_size, 5001);
    EXPECT_STREQ(dirlist[0].file, "..");
    EXPECT_STREQ(dirlist[5000].file, "f14999");
    EXPECT_TRUE(RestIsEmpty());

    TempDir small;
    WriteFile(small / "one", "");
    List(small.str());
    EXPECT_EQ(listcnt, 2);
    EXPECT_TRUE(RestIsEmpty());
}

// A folder of more entries than the largest table keeps ".." and the names
// that come first in sorted order, whatever order the folder yields them
// in, even when more than the table holds sort before ".."; the listing
// shows the same entries, and only the kept ones are looked at.
TEST_F(DirlistTest, KeepsDotDotAndTheFirstNamesInSortedOrderBeyondTheLargestTable) {
    std::vector<std::string> names = {"a-dangling", "b", "z-dangling"};
    for (int k = 0; k < DIRLIST_MAX; k++) names.push_back(NumberedName("-", k, 5));
    for (const std::string &name : names)
        if (name.find("dangling") == std::string::npos) WriteFile(dir / name, "");
    ASSERT_EQ(symlink((dir / "nowhere").c_str(), (dir / "a-dangling").c_str()), 0);
    ASSERT_EQ(symlink((dir / "nowhere").c_str(), (dir / "z-dangling").c_str()), 0);
    List();
    std::vector<std::string> want(names.begin() + 3, names.end() - 1);
    want.push_back("..");
    EXPECT_EQ(listcnt, DIRLIST_MAX);
    EXPECT_EQ(dirlist_size, DIRLIST_MAX);
    ASSERT_EQ(Names(), want);
    std::string listing = "\n\nSorted...\n";
    for (const std::string &name : want) listing += name + "\n";
    EXPECT_EQ(out, listing);
    EXPECT_EQ(err, "");
    std::vector<int> marks(want.size(), 0);
    marks.back() = 1;
    EXPECT_EQ(Marks(), marks);
}

}  // namespace
