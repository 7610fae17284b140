// lineindex_test.cpp: measuring a text into its index file, reusing it,
// lookups, the saved line, the index file's safety and durability, and the
// index in memory where no index file can be used.
#include <signal.h>
#include <sys/resource.h>

#include "indexcases.h"
#include "viewertest.h"

using namespace testutil;

namespace {

class LineIndex : public ViewerTest {
protected:
    void ExpectNoIndexView() {
        EXPECT_EQ(num_lines, 0);
        EXPECT_EQ(cur_line, 0);
        EXPECT_EQ(cur_offset, 0);
        EXPECT_EQ(top_of_page_offset, 0);
    }
    // The text read through the index in memory: every lookup, in either
    // direction, as its index file would give it, and nothing stored.
    void ExpectInMemory(const std::string &text) {
        const std::vector<int32_t> model = ModelIndex(text);
        const int32_t count = model[1];
        EXPECT_EQ(num_lines, count);
        EXPECT_EQ(cur_line, 0);
        EXPECT_EQ(cur_offset, 0);
        EXPECT_EQ(top_of_page_offset, 0);
        EXPECT_EQ(GetSavedOffset(-1), count);
        EXPECT_EQ(GetSavedOffset(count + 1), -1);
        for (int32_t line = 0; line <= count; line++) ASSERT_EQ(GetSavedOffset(line), model[2 + line]) << line;
        for (int32_t line = count; line >= 0; line--) ASSERT_EQ(GetSavedOffset(line), model[2 + line]) << line;
        cur_line = 1;
        UpdateInfoFile();  // the callers check that nothing was written
        cur_line = 0;
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

// 0,0,0 is a finished index of an empty text: reused, not remade, and it
// keeps the line -1 that a move to the end saves.
TEST_F(LineIndex, EmptyText) {
    Pick("empty.txt", "");
    Load();
    EXPECT_EQ(ReadFile(IndexPath()), Words({0, 0, 0}));
    ExpectNoIndexView();
    Reload();
    EXPECT_EQ(text_opens, 0);
    WriteFile(IndexPath(), Words({-1, 0, 0}));
    Reload();
    EXPECT_EQ(text_opens, 0);
    EXPECT_EQ(cur_line, -1);
    EXPECT_EQ(num_lines, 0);
    EXPECT_EQ(cur_offset, 0);
    WriteFile(IndexPath(), Words({3, 0, 0}));
    Reload();
    EXPECT_EQ(cur_line, 0);
}

// A message every hundred lines; the batches of the measuring pass end
// where one is due: a text that ends right on a batch's end gets its
// message and no empty batch after it changes the index.
TEST_F(LineIndex, ProgressEveryHundredLinesAndTextsEndingAtABatchBoundary) {
    for (int lines : {99, 100, 101, 200, 250, 300}) {
        SCOPED_TRACE(std::to_string(lines) + " lines");
        Pick("t" + std::to_string(lines) + ".txt", NumberedText(lines));
        Load();
        std::vector<std::string> want;
        for (int at = PROGRESS_EVERY; at <= lines; at += PROGRESS_EVERY)
            want.push_back("Please wait... counting lines: " + std::to_string(at));
        EXPECT_EQ(progress, want);
        EXPECT_EQ(ReadFile(IndexPath()), Words(ModelIndex(NumberedText(lines))));
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

// A move writes the saved line and nothing else (-1, the end move's, too);
// the second visit opens there without reading the text.
TEST_F(LineIndex, SecondVisitOpensAtTheSavedLineWithoutReadingTheText) {
    Pick("t.txt", NumberedText(250));
    Load();
    std::vector<int32_t> words = ReadWords(IndexPath());
    cur_line = 40;
    UpdateInfoFile();
    words[0] = 40;
    ASSERT_EQ(ReadWords(IndexPath()), words);
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
    cur_line = -1;
    UpdateInfoFile();
    EXPECT_EQ(ReadFile(IndexPath()).substr(0, 4), std::string(4, '\xff'));
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

TEST_F(LineIndex, WithoutIndexLookupsFailAndNothingIsCreated) {
    Pick("t.txt", "abc\n");
    snprintf(info_filename, sizeof info_filename, "%s", (dir / ".t.txt.tomo").c_str());
    for (int line : {-1, 0, 1, 5}) EXPECT_EQ(GetSavedOffset(line), -1);
    cur_line = 4;
    UpdateInfoFile();
    EXPECT_FALSE(fs::exists(IndexPath()));
}

// ---- Reuse check ---------------------------------------------------------

// An edited text is measured again and opens where the reader was: the old
// index's saved line, lowered to the last line of a shorter text; a saved
// line that was no line of the old index gives line 0.
TEST_F(LineIndex, EditedTextIsMeasuredAgainAtTheOldPlace) {
    struct {
        const char *what;
        int32_t saved, new_lines, want;
    } cases[] = {
        {"grown", 50, 130, 50},
        {"shorter, still there", 50, 60, 50},
        {"shorter than the place", 50, 30, 29},
        {"emptied", 50, 0, 0},
        {"negative saved line", -5, 130, 0},
        {"saved line past the old count", 120, 130, 0},
        {"saved line far beyond", 0x7fffffff, 130, 0},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        Pick("t.txt", NumberedText(120));
        std::vector<int32_t> old = ModelIndex(NumberedText(120));
        old[0] = c.saved;
        WriteFile(dir / ".t.txt.tomo", Words(old));
        const std::string text = NumberedText(c.new_lines);
        WriteFile(filename, text);
        Reload();
        EXPECT_EQ(text_opens, 1);
        EXPECT_EQ(num_lines, c.new_lines);
        EXPECT_EQ(cur_line, c.want);
        EXPECT_EQ(cur_offset, 8 * c.want);
        EXPECT_EQ(top_of_page_offset, 8 * c.want);
        std::vector<int32_t> want = ModelIndex(text);
        want[0] = c.want;
        EXPECT_EQ(ReadWords(IndexPath()), want);
    }
}

// ---- A new index beside the old one -----------------------------------------

// What a killed pass left beside the index is never read: the next pass
// takes it over, and a visit that reuses the index removes it.
TEST_F(LineIndex, WhatAKilledPassLeftIsTakenOverOrRemoved) {
    const std::string text = NumberedText(250);
    Pick("t.txt", text);
    const std::string left = dir / ".t.txt.tomo.new";
    // a complete index of the text with a place, never put in place
    WriteFile(left, Words(ModelIndex(text, 77)));
    Reload();
    EXPECT_EQ(text_opens, 1);
    EXPECT_EQ(cur_line, 0);
    EXPECT_EQ(ReadWords(IndexPath()), ModelIndex(text));
    EXPECT_FALSE(fs::exists(left));
    WriteFile(left, "half");
    Reload();
    EXPECT_EQ(text_opens, 0);
    EXPECT_FALSE(fs::exists(left));
}

// Another program writing the index of the same text at the same time
// keeps it: this one measures into memory and leaves that file alone. If
// the other puts a complete index in place before this pass ends, it is
// taken for the moves, at this program's own place; anything less is not.
TEST_F(LineIndex, AnIndexAnotherProgramIsWritingIsLeftToIt) {
    const std::string text = NumberedText(250);
    struct {
        const char *what;
        std::string appears;  // at the index name during the pass
        int kind;
    } cases[] = {
        {"nothing", "", INDEX_MEMORY},
        {"its complete index", Words(ModelIndex(text, 7)), INDEX_FILE},
        {"an index of another text", Words(ModelIndex(NumberedText(249), 7)), INDEX_MEMORY},
        {"an index cut short", Words(ModelIndex(text, 7)).substr(0, 400), INDEX_MEMORY},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        ForgetPlaces();  // each case a program of its own
        Pick("t.txt", text);
        fs::remove(dir / ".t.txt.tomo");
        LockedFile other(dir / ".t.txt.tomo.new");
        ASSERT_TRUE(other.held());
        // put at the index name at every progress message of the pass
        std::string appears = c.appears;
        LoadFileInfo([](const char *, void *bytes) {
            if (!static_cast<std::string *>(bytes)->empty()) WriteFile(info_filename, *static_cast<std::string *>(bytes));
        }, &appears);
        EXPECT_EQ(index_kind, c.kind);
        EXPECT_EQ(num_lines, 250);
        EXPECT_EQ(cur_line, 0) << "its own place";
        EXPECT_EQ(top_of_page_offset, 0);
        EXPECT_EQ(ReadFile(dir / ".t.txt.tomo.new"), "") << "the other program's file";
        EXPECT_EQ(ReadFile(IndexPath()), c.appears);
        MoveDown15Lines();
        EXPECT_EQ(top_of_page_offset, 8 * 15);
        std::vector<int32_t> words = WordsOf(c.appears);
        if (c.kind == INDEX_FILE) words[0] = 15;  // kept from then on
        EXPECT_EQ(ReadWords(IndexPath()), words);
    }
}

TEST_F(LineIndex, EveryUnfinishedStateOfTheWriteIsRejected) {
    // The measuring pass writes the header with count 0, then the offsets,
    // then the count. Any prefix of that, with or without the count, must
    // never be taken for a finished index of a non-empty text.
    const std::string text = NumberedText(12);
    std::string done = Words(ModelIndex(text));
    std::string unfinished = done;
    unfinished.replace(4, 4, Words({0}));
    for (size_t len = 0; len <= done.size(); len++) {
        for (const std::string *full : {&unfinished, &done}) {
            if (full == &done && len == done.size()) continue;
            SCOPED_TRACE(std::to_string(len) + (full == &done ? " with count" : " count 0"));
            Pick("t.txt", text);
            WriteFile(dir / ".t.txt.tomo", full->substr(0, len));
            Reload();
            ASSERT_EQ(text_opens, 1);
            ASSERT_EQ(ReadFile(IndexPath()), done);
        }
    }
}

// An index that fails the reuse check is measured again; one that passes
// is used as it is, a saved line with nothing to show opening at line 0
// and the saved word left for the next move to write.
class LyingIndexTable : public LineIndex, public ::testing::WithParamInterface<LyingIndex> {};

TEST_P(LyingIndexTable, IsMeasuredAgainOrUsedAsItIs) {
    const LyingIndex &c = GetParam();
    const std::string text = LiedAboutText();
    Pick("t.txt", text);
    WriteFile(dir / ".t.txt.tomo", c.bytes);
    Reload();
    EXPECT_EQ(text_opens, c.measured_again ? 1 : 0);
    EXPECT_EQ(cur_line, c.line);
    if (c.measured_again) {
        EXPECT_EQ(num_lines, kLiedLines);
        EXPECT_EQ(top_of_page_offset, 8 * c.line);
        EXPECT_EQ(ReadWords(IndexPath()), ModelIndex(text, c.line));
    } else {
        const std::vector<int32_t> words = WordsOf(c.bytes);
        EXPECT_EQ(num_lines, words[1]);
        EXPECT_EQ(top_of_page_offset, words[2 + static_cast<size_t>(c.line)]);
        EXPECT_EQ(ReadFile(IndexPath()), c.bytes);
    }
    EXPECT_EQ(cur_offset, top_of_page_offset);
}

INSTANTIATE_TEST_SUITE_P(Cases, LyingIndexTable, ::testing::ValuesIn(LyingIndexes()));

// ---- No index -------------------------------------------------------------

// The table of every k-th line halves as it fills: with room for a few
// entries a text of some thousand lines goes through many halvings, fed in
// batches of any size, and every line is still found where the cut puts it.
TEST_F(LineIndex, MemoryIndexFindsEveryLineAcrossHalvings) {
    // lines of 0 to 129 bytes, most wrapped at spaces, some long words
    std::string text;
    for (int i = 0; i < 3000; i++) {
        std::string line(static_cast<size_t>(i * 37 % 130), 'w');
        for (size_t c = 5; i % 7 != 0 && c < line.size(); c += 11 + i % 5) line[c] = ' ';
        text += line + (i % 2 ? "\r\n" : "\n");
    }
    Pick("t.txt", text);
    const std::vector<int32_t> model = ModelIndex(text);
    const int32_t count = model[1];
    ASSERT_GT(count, 4000);
    for (int words : {2, 8, 1000, static_cast<int>(MEM_INDEX_WORDS)}) {
        SCOPED_TRACE(words);
        MemIndexStart(VIEW_PLAIN, words);
        std::vector<int64_t> ends(model.begin() + 3, model.end());
        for (size_t at = 0, batch = 1; at < ends.size(); at += batch, batch = batch * 7 % 101 + 1)
            MemIndexAdd(VIEW_PLAIN, ends.data() + at, static_cast<int>(std::min(batch, ends.size() - at)));
        for (int32_t line = count; line >= 0; line--) ASSERT_EQ(MemIndexOffset(VIEW_PLAIN, line), model[2 + line]) << line;
        for (int32_t line = 0; line <= count; line++) ASSERT_EQ(MemIndexOffset(VIEW_PLAIN, line), model[2 + line]) << line;
        EXPECT_EQ(MemIndexOffset(VIEW_PLAIN, count + 1), -1);
        EXPECT_EQ(MemIndexOffset(VIEW_PLAIN, -1), -1);
        // the line that holds a byte: its first, its last, a line taking none
        for (int32_t line = 0; line < count; line++) {
            int32_t last = std::max(model[2 + line], model[3 + line] - 1);
            ASSERT_EQ(MemIndexLineAt(VIEW_PLAIN, model[2 + line]), line) << line;
            ASSERT_EQ(MemIndexLineAt(VIEW_PLAIN, last), line) << line;
        }
        // a page of lookups within one entry's lines (k is 512 to 2048 for
        // 8 words) reads the text once, and not at all with k = 1
        MemIndexOffset(VIEW_PLAIN, 0);
        WatchOpens(filename);
        for (int32_t line = 1025; line < 1040; line++) MemIndexOffset(VIEW_PLAIN, line);
        if (words == 8 || words == MEM_INDEX_WORDS) {
            EXPECT_EQ(OpenCount(), words == 8 ? 1 : 0);
        }
        WatchOpens("");
    }
}

// The text itself at the index name, as a second name of it or with the
// text a link to it, is read through the index in memory: its first word
// must never become a saved line, nor its words offsets.
TEST_F(LineIndex, TheTextItselfAtTheIndexNameIsNeverWritten) {
    const std::string text = "abc\ndef\n";
    for (bool hard : {false, true}) {
        SCOPED_TRACE(hard ? "hard link" : "symbolic link");
        TempDir here;
        WriteFile(here / ".t.txt.tomo", text);
        if (hard)
            ASSERT_EQ(link((here / ".t.txt.tomo").c_str(), (here / "t.txt").c_str()), 0);
        else
            fs::create_symlink(here / ".t.txt.tomo", here / "t.txt");
        PickPath(here.str(), "t.txt");
        Load();
        ExpectInMemory(text);
        MoveToEnd();
        EXPECT_EQ(cur_line, 1);
        EXPECT_EQ(top_of_page_offset, 4);
        MoveToBeginning();
        EXPECT_EQ(top_of_page_offset, 0);
        EXPECT_EQ(ReadFile(here / "t.txt"), text);
    }
}

TEST_F(LineIndex, ReadOnlyFolder) {
    if (geteuid() == 0) GTEST_SKIP() << "root writes into read-only folders";
    Pick("t.txt", "abc\n");
    ASSERT_EQ(chmod(dir.str().c_str(), 0555), 0);
    Load();
    ExpectInMemory("abc\n");
    EXPECT_FALSE(fs::exists(dir / ".t.txt.tomo"));
}

TEST_F(LineIndex, NameTooLongForAnIndexStillViews) {
    std::string name(251, 'n');  // ".NAME.tomo" is over the 255 of a name
    Pick(name, "abc\n");
    Load();
    EXPECT_EQ(IndexPath(), dir / ("." + name + ".tomo"));
    ExpectInMemory("abc\n");
    char str[LINE_BUF_SIZE];
    EXPECT_EQ(GetLine(str), 1);
    EXPECT_STREQ(str, "abc");
}

// "/.NAME.tomo" for "/NAME": the index's path is the text's and 6 bytes.
// It is made while it fits PATH_MAX; one byte longer, the text is read with
// the index in memory.
TEST_F(LineIndex, TheLongestPathsKeepAnIndexWhileItsNameFits) {
    const std::string name(200, 'n');
    for (size_t over : {0, 1}) {
        SCOPED_TRACE(over);
        const size_t text_path = PATH_MAX - 7 + over;
        std::string folder = PathOfLength(dir / (over ? "b" : "a"), text_path - 1 - name.size());
        ASSERT_EQ(folder.size() + 1 + name.size(), text_path);
        fs::create_directories(folder);
        ASSERT_TRUE(WriteFile(folder + "/" + name, "abc\n"));
        PickPath(folder, name);
        Load();
        if (over) {
            EXPECT_EQ(IndexPath(), "");
            ExpectInMemory("abc\n");
        } else {
            EXPECT_EQ(IndexPath().size(), static_cast<size_t>(PATH_MAX - 1));
            EXPECT_EQ(ReadWords(folder + "/." + name + ".tomo"), ModelIndex("abc\n"));
        }
    }
}

TEST_F(LineIndex, TextOfTwoGigabytesIsViewedWithoutIndex) {
    Pick("huge.txt", "");
    ASSERT_EQ(truncate64(filename, 0x80000000LL), 0);
    WatchOpens(filename);
    Load();
    EXPECT_EQ(OpenCount(), 0);
    WatchOpens("");
    ExpectNoIndexView();
    EXPECT_FALSE(fs::exists(IndexPath()));
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

// A write that fails part-way (a full card) leaves an empty index, and the
// text is read on through the index in memory, measured once.
TEST_F(LineIndex, WriteThatFailsPartWayLeavesNothingReusable) {
    const std::string text = NumberedText(250);
    Pick("t.txt", text);
    struct rlimit old_limit;
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old_limit), 0);
    struct rlimit limit = old_limit;
    limit.rlim_cur = 600;  // the index needs 1012 bytes
    void (*old_handler)(int) = signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limit), 0);
    Reload();
    setrlimit(RLIMIT_FSIZE, &old_limit);
    signal(SIGXFSZ, old_handler);
    EXPECT_EQ(text_opens, 1);
    EXPECT_EQ(progress.size(), 2u);
    EXPECT_EQ(ReadFile(IndexPath()), "");
    ExpectInMemory(text);
    EXPECT_EQ(ReadFile(IndexPath()), "");
    Reload();
    EXPECT_EQ(text_opens, 1);
    EXPECT_EQ(num_lines, 250);
    // at the line the reader was kept at while the index was in memory
    EXPECT_EQ(ReadWords(IndexPath()), ModelIndex(text, 1));
}

}  // namespace
