// lineindex_test.cpp: measuring a text into its index file, reusing it,
// lookups, the saved line, and the index file's safety and durability.
#include <signal.h>
#include <sys/resource.h>

#include "viewertest.h"

using testutil::ReadFile;
using testutil::ReadWords;
using testutil::Words;
using viewertest::ModelIndex;
using viewertest::NumberedLines;
using viewertest::ViewerTest;

namespace {

class LineIndex : public ViewerTest {
protected:
    void ExpectNoIndexView() {
        EXPECT_EQ(num_lines, 0);
        EXPECT_EQ(cur_line, 0);
        EXPECT_EQ(cur_offset, 0);
        EXPECT_EQ(top_of_page_offset, 0);
    }
    // Loads again, with the opens of the text counted.
    void Reload() {
        WatchOpens(filename);
        Load();
        text_opens = OpenCount();
        WatchOpens("");
    }
    int text_opens = 0;
};

TEST_F(LineIndex, FirstVisitWritesEveryOffset) {
    Pick("notes.txt", "abc\ndef\n");
    Load();
    EXPECT_EQ(IndexPath(), dir / ".notes.txt.tomo");
    EXPECT_EQ(ReadWords(IndexPath()), (std::vector<int32_t>{0, 2, 0, 4, 8}));
    EXPECT_EQ(ReadFile(IndexPath()).size(), 20u);
    EXPECT_EQ(num_lines, 2);
    EXPECT_EQ(cur_line, 0);
    EXPECT_EQ(cur_offset, 0);
    EXPECT_EQ(top_of_page_offset, 0);
    EXPECT_TRUE(progress.empty());
}

TEST_F(LineIndex, EmptyText) {
    Pick("empty.txt", "");
    Load();
    EXPECT_EQ(ReadFile(IndexPath()), Words({0, 0, 0}));
    ExpectNoIndexView();
    // and 0,0,0 is a finished index of an empty text: reused, not remade
    Reload();
    EXPECT_EQ(text_opens, 0);
}

TEST_F(LineIndex, ProgressEveryHundredLines) {
    Pick("t.txt", NumberedLines(250));
    Load();
    EXPECT_EQ(progress, (std::vector<std::string>{"Please wait... counting lines: 100",
                                                  "Please wait... counting lines: 200"}));
    EXPECT_EQ(ReadFile(IndexPath()).size(), 1012u);
    EXPECT_EQ(ReadWords(IndexPath()), ModelIndex(NumberedLines(250)));
    EXPECT_EQ(num_lines, 250);
}

// The batches of the measuring pass end where a message is due: a text
// that ends right on a batch's end gets its message and no empty batch
// after it changes the index.
TEST_F(LineIndex, TextsEndingAtABatchBoundary) {
    for (int lines : {99, 100, 101, 200, 300}) {
        SCOPED_TRACE(std::to_string(lines) + " lines");
        Pick("t" + std::to_string(lines) + ".txt", NumberedLines(lines));
        Load();
        std::vector<std::string> want;
        for (int at = PROGRESS_EVERY; at <= lines; at += PROGRESS_EVERY)
            want.push_back("Please wait... counting lines: " + std::to_string(at));
        EXPECT_EQ(progress, want);
        EXPECT_EQ(ReadWords(IndexPath()), ModelIndex(NumberedLines(lines)));
        EXPECT_EQ(num_lines, lines);
    }
}

TEST_F(LineIndex, MeasuringOpensTheTextOnce) {
    std::string text;
    for (int i = 0; i < 1000000; i++) text += (i % 7 == 0) ? "\r\n" : "x\n";
    Pick("big.txt", text);
    WatchOpens(filename);
    Load();
    EXPECT_EQ(OpenCount(), 1);
    WatchOpens("");
    EXPECT_EQ(num_lines, 1000000);
    std::vector<int32_t> words = ReadWords(IndexPath());
    ASSERT_EQ(words.size(), 1000003u);
    EXPECT_EQ(words[1000002], static_cast<int32_t>(text.size()));
    EXPECT_EQ(progress.size(), 10000u);
}

TEST_F(LineIndex, SecondVisitOpensAtTheSavedLineWithoutReadingTheText) {
    Pick("t.txt", NumberedLines(250));
    Load();
    cur_line = 40;
    UpdateInfoFile();
    std::vector<int32_t> words = ReadWords(IndexPath());
    ASSERT_EQ(words[0], 40);
    cur_line = 0;
    num_lines = 0;
    Reload();
    EXPECT_EQ(text_opens, 0);
    EXPECT_TRUE(progress.empty());
    EXPECT_EQ(cur_line, 40);
    EXPECT_EQ(num_lines, 250);
    EXPECT_EQ(cur_offset, words[168 / 4]);
    EXPECT_EQ(top_of_page_offset, 320);
    EXPECT_EQ(ReadWords(IndexPath()), words);
}

TEST_F(LineIndex, LookupsAroundTheEnd) {
    Pick("t.txt", "abc\ndef\n");
    Load();
    struct {
        int line;
        int32_t want;
    } cases[] = {{0, 0}, {1, 4}, {2, 8}, {3, -1}, {100, -1}, {-1, 2}, {-2, 0}, {-3, -1}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.line);
        EXPECT_EQ(GetSavedOffset(c.line), c.want);
    }
}

TEST_F(LineIndex, UpdateInfoFileChangesOnlyTheSavedLine) {
    Pick("t.txt", NumberedLines(5));
    Load();
    std::vector<int32_t> words = ReadWords(IndexPath());
    cur_line = 3;
    UpdateInfoFile();
    words[0] = 3;
    EXPECT_EQ(ReadWords(IndexPath()), words);
    cur_line = -1;
    UpdateInfoFile();
    EXPECT_EQ(ReadFile(IndexPath()).substr(0, 4), std::string(4, '\xff'));
}

TEST_F(LineIndex, WithoutIndexLookupsFailAndNothingIsCreated) {
    Pick("t.txt", "abc\n");
    snprintf(info_filename, sizeof info_filename, "%s", (dir / ".t.txt.tomo").c_str());
    for (int line : {-1, 0, 1, 5}) EXPECT_EQ(GetSavedOffset(line), -1);
    cur_line = 4;
    UpdateInfoFile();
    EXPECT_FALSE(testutil::fs::exists(IndexPath()));
}

// ---- Reuse check ---------------------------------------------------------

TEST_F(LineIndex, EditedTextIsMeasuredAgainFromLineZero) {
    Pick("t.txt", NumberedLines(120));
    Load();
    cur_line = 50;
    UpdateInfoFile();
    testutil::WriteFile(filename, NumberedLines(130));
    Reload();
    EXPECT_EQ(text_opens, 1);
    EXPECT_EQ(progress.size(), 1u);
    EXPECT_EQ(num_lines, 130);
    EXPECT_EQ(cur_line, 0);
    EXPECT_EQ(ReadWords(IndexPath()), ModelIndex(NumberedLines(130)));
}

TEST_F(LineIndex, BrokenIndexesAreMeasuredAgain) {
    const std::string text = "abc\ndef\n";
    const std::vector<int32_t> good{0, 2, 0, 4, 8};
    struct {
        const char *what;
        std::string bytes;
    } cases[] = {
        {"empty file", ""},
        {"count word cut short", Words({3}) + "\x02\x00"},
        {"end offset missing", Words({0, 2, 0, 4})},
        {"never finished", Words({0, 0, 0, 4, 8})},
        {"count too high", Words({0, 3, 0, 4, 8})},
        {"count too low", Words({0, 1, 0, 4, 8})},
        {"negative count", Words({0, -1, 0, 4, 8})},
        {"count beyond any text", Words({0, 0x7fffffff, 0, 4, 8})},
        {"end offset of another size", Words({0, 2, 0, 4, 9})},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        Pick("t.txt", text);
        testutil::WriteFile(dir / ".t.txt.tomo", c.bytes);
        Reload();
        EXPECT_EQ(text_opens, 1);
        EXPECT_EQ(ReadWords(IndexPath()), good);
        EXPECT_EQ(num_lines, 2);
        EXPECT_EQ(cur_line, 0);
    }
}

TEST_F(LineIndex, EveryUnfinishedStateOfTheWriteIsRejected) {
    // The measuring pass writes the header with count 0, then the offsets,
    // then the count. Any prefix of that, with or without the count, must
    // never be taken for a finished index of a non-empty text.
    const std::string text = NumberedLines(12);
    std::string done = Words(ModelIndex(text));
    std::string unfinished = done;
    unfinished.replace(4, 4, Words({0}));
    for (size_t len = 0; len <= done.size(); len++) {
        for (const std::string *full : {&unfinished, &done}) {
            if (full == &done && len == done.size()) continue;
            SCOPED_TRACE(std::to_string(len) + (full == &done ? " with count" : " count 0"));
            Pick("t.txt", text);
            testutil::WriteFile(dir / ".t.txt.tomo", full->substr(0, len));
            Reload();
            ASSERT_EQ(text_opens, 1);
            ASSERT_EQ(ReadFile(IndexPath()), done);
        }
    }
}

TEST_F(LineIndex, SavedLineWithoutALineToShowOpensAtLineZero) {
    const std::string text = NumberedLines(250);
    struct {
        int32_t saved;
        int32_t want_line;
    } cases[] = {{249, 249}, {0, 0}, {250, 0}, {251, 0}, {1000, 0}, {-1, 0}, {-7, 0}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.saved);
        Pick("t.txt", text);
        std::vector<int32_t> words = ModelIndex(text);
        words[0] = c.saved;
        testutil::WriteFile(dir / ".t.txt.tomo", Words(words));
        Reload();
        EXPECT_EQ(text_opens, 0);
        EXPECT_EQ(num_lines, 250);
        EXPECT_EQ(cur_line, c.want_line);
        EXPECT_EQ(cur_offset, 8 * c.want_line);
        EXPECT_EQ(top_of_page_offset, 8 * c.want_line);
        EXPECT_EQ(ReadWords(IndexPath()), words);  // the saved word waits for the next move
    }
}

TEST_F(LineIndex, EmptyTextKeepsTheEndMoveLine) {
    Pick("e.txt", "");
    testutil::WriteFile(dir / ".e.txt.tomo", Words({-1, 0, 0}));
    Reload();
    EXPECT_EQ(text_opens, 0);
    EXPECT_EQ(cur_line, -1);
    EXPECT_EQ(num_lines, 0);
    EXPECT_EQ(cur_offset, 0);
    testutil::WriteFile(dir / ".e.txt.tomo", Words({3, 0, 0}));
    Reload();
    EXPECT_EQ(cur_line, 0);
}

// ---- No index -------------------------------------------------------------

TEST_F(LineIndex, FailureLeavesNoPositionFromTheLastText) {
    Pick("t.txt", "abc\n");
    testutil::fs::create_directory(dir / ".t.txt.tomo");
    Load();  // Pick left junk in every position global
    ExpectNoIndexView();
    char str[LINE_BUF_SIZE];
    EXPECT_EQ(GetLine(str), 1);
    EXPECT_STREQ(str, "abc");
}

TEST_F(LineIndex, SymlinkAtTheIndexNameIsNeverFollowed) {
    for (bool target_exists : {true, false}) {
        SCOPED_TRACE(target_exists ? "to a file" : "dangling");
        testutil::TempDir other;
        std::string target = other / "victim";
        if (target_exists) testutil::WriteFile(target, Words({0, 2, 0, 4, 8}) + "keep");
        Pick("t.txt", "abc\ndef\n");
        testutil::fs::remove(dir / ".t.txt.tomo");
        testutil::fs::create_symlink(target, dir / ".t.txt.tomo");
        Load();
        ExpectNoIndexView();
        EXPECT_EQ(GetSavedOffset(0), -1);
        cur_line = 1;
        UpdateInfoFile();
        MoveToEnd();
        EXPECT_TRUE(testutil::fs::is_symlink(dir / ".t.txt.tomo"));
        EXPECT_EQ(testutil::fs::exists(target), target_exists);
        if (target_exists) {
            EXPECT_EQ(ReadFile(target), Words({0, 2, 0, 4, 8}) + "keep");
        }
    }
}

TEST_F(LineIndex, NamedPipeAtTheIndexNameDoesNotBlock) {
    Pick("t.txt", "abc\n");
    ASSERT_EQ(mkfifo((dir / ".t.txt.tomo").c_str(), 0600), 0);
    alarm(10);  // a blocking open would end the run here
    Load();
    EXPECT_EQ(GetSavedOffset(0), -1);
    UpdateInfoFile();
    alarm(0);
    ExpectNoIndexView();
}

TEST_F(LineIndex, IndexThatIsTheTextItselfIsNotWritten) {
    testutil::WriteFile(dir / ".t.txt.tomo", "abc\ndef\n");
    testutil::fs::create_symlink(dir / ".t.txt.tomo", dir / "t.txt");
    PickPath(dir.str(), "t.txt");
    Load();
    ExpectNoIndexView();
    EXPECT_EQ(ReadFile(dir / ".t.txt.tomo"), "abc\ndef\n");
}

// An index file left at the name but not taken (not rebuilt either) must
// neither place the page nor take the saved line: the moves then see no
// index at all, as when there is no file there.
TEST_F(LineIndex, IndexNotTakenIsNotUsedByTheMoves) {
    const std::string text = "abc\ndef\n";
    for (bool hard : {false, true}) {
        SCOPED_TRACE(hard ? "hard link" : "symbolic link");
        testutil::TempDir here;
        testutil::WriteFile(here / ".t.txt.tomo", text);
        if (hard)
            ASSERT_EQ(link((here / ".t.txt.tomo").c_str(), (here / "t.txt").c_str()), 0);
        else
            testutil::fs::create_symlink(here / ".t.txt.tomo", here / "t.txt");
        PickPath(here.str(), "t.txt");
        Load();
        ExpectNoIndexView();
        EXPECT_EQ(GetSavedOffset(-1), -1);
        MoveToEnd();
        EXPECT_EQ(cur_line, -1);
        EXPECT_EQ(top_of_page_offset, 0);
        MoveToBeginning();
        EXPECT_EQ(cur_line, 0);
        EXPECT_EQ(top_of_page_offset, 0);
        EXPECT_EQ(ReadFile(here / "t.txt"), text);
    }
}

TEST_F(LineIndex, FolderThatCannotHoldAnIndex) {
    Pick("t.txt", "abc\n");
    // the folder part is a file, which no index can be made in, root or not
    PickPath(dir / "t.txt", "t.txt");
    snprintf(filename, sizeof filename, "%s", (dir / "t.txt").c_str());
    Load();
    ExpectNoIndexView();
    EXPECT_EQ(ReadFile(dir / "t.txt"), "abc\n");
}

TEST_F(LineIndex, ReadOnlyFolder) {
    if (geteuid() == 0) GTEST_SKIP() << "root writes into read-only folders";
    Pick("t.txt", "abc\n");
    ASSERT_EQ(chmod(dir.str().c_str(), 0555), 0);
    Load();
    ExpectNoIndexView();
    EXPECT_FALSE(testutil::fs::exists(dir / ".t.txt.tomo"));
}

TEST_F(LineIndex, NameTooLongForAnIndexStillViews) {
    std::string name(251, 'n');  // ".NAME.tomo" is over the 255 of a name
    Pick(name, "abc\n");
    Load();
    EXPECT_EQ(IndexPath(), dir / ("." + name + ".tomo"));
    ExpectNoIndexView();
    char str[LINE_BUF_SIZE];
    EXPECT_EQ(GetLine(str), 1);
    EXPECT_STREQ(str, "abc");
}

TEST_F(LineIndex, LongestPathFitsTheIndexName) {
    std::string folder = dir.str();
    while (folder.size() < CUR_PATH_SIZE - 1) folder += "/" + std::string(std::min<size_t>(50, CUR_PATH_SIZE - 2 - folder.size()), 'd');
    ASSERT_EQ(folder.size(), static_cast<size_t>(CUR_PATH_SIZE - 1));
    testutil::fs::create_directories(folder);
    std::string name(NAME_SIZE - 1, 'n');
    testutil::WriteFile(folder + "/" + name, "abc\n");
    PickPath(folder, name);
    Load();
    EXPECT_EQ(strlen(info_filename), static_cast<size_t>(INFO_FILENAME_SIZE - 1));
    EXPECT_EQ(IndexPath(), folder + "/." + name + ".tomo");
    ExpectNoIndexView();
}

TEST_F(LineIndex, TextOfTwoGigabytesIsViewedWithoutIndex) {
    Pick("huge.txt", "");
    ASSERT_EQ(truncate64(filename, 0x80000000LL), 0);
    WatchOpens(filename);
    Load();
    EXPECT_EQ(OpenCount(), 0);
    WatchOpens("");
    ExpectNoIndexView();
    EXPECT_FALSE(testutil::fs::exists(IndexPath()));
    char str[LINE_BUF_SIZE];
    if (sizeof(off_t) == 4) {
        // a 32-bit file offset cannot open it at all: blank rows, no fault
        EXPECT_EQ(GetLine(str), 0);
        return;
    }
    EXPECT_EQ(GetLine(str), 1);  // the first page still reads
    EXPECT_EQ(cur_offset, TEXT_COLS);
}

TEST_F(LineIndex, TextGrownPastTwoGigabytesIgnoresItsOldIndex) {
    Pick("huge.txt", "abc\ndef\n");
    Load();
    ASSERT_EQ(num_lines, 2);
    cur_line = 1;
    UpdateInfoFile();
    const std::vector<int32_t> old_index{1, 2, 0, 4, 8};
    ASSERT_EQ(ReadWords(IndexPath()), old_index);
    ASSERT_EQ(truncate64(filename, 0x80000000LL), 0);
    Load();
    ExpectNoIndexView();
    EXPECT_EQ(GetSavedOffset(0), -1);
    MoveToEnd();  // line -1: the old count word must not become the page
    EXPECT_EQ(cur_line, -1);
    EXPECT_EQ(top_of_page_offset, 0);
    MoveToBeginning();
    EXPECT_EQ(cur_line, 0);
    EXPECT_EQ(top_of_page_offset, 0);
    EXPECT_EQ(ReadWords(IndexPath()), old_index);
}

TEST_F(LineIndex, WriteThatFailsPartWayLeavesNothingReusable) {
    const std::string text = NumberedLines(250);
    Pick("t.txt", text);
    struct rlimit old_limit;
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old_limit), 0);
    struct rlimit limit = old_limit;
    limit.rlim_cur = 600;  // the index needs 1012 bytes
    void (*old_handler)(int) = signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limit), 0);
    Load();
    setrlimit(RLIMIT_FSIZE, &old_limit);
    signal(SIGXFSZ, old_handler);
    ExpectNoIndexView();
    std::vector<int32_t> left = ReadWords(IndexPath());
    EXPECT_TRUE(left.size() < 2 || left[1] == 0);
    Reload();
    EXPECT_EQ(text_opens, 1);
    EXPECT_EQ(num_lines, 250);
    EXPECT_EQ(ReadWords(IndexPath()), ModelIndex(text));
}

}  // namespace
