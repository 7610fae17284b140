// places_test.cpp: the place of a text read with the index in memory:
// kept in the session at every move, in the file of places when the reader
// leaves it, bounded, never trusted when damaged, and nothing written
// beside the text.
#include <fcntl.h>
#include <sys/file.h>

#include <set>
#include <sstream>

#include "viewertest.h"

using namespace testutil;

namespace {

class Places : public ViewerTest {
protected:
    TempDir state;

    void SetUp() override {
        ForgetPlaces();
        places_filename[0] = '\0';
    }
    void TearDown() override {
        ForgetPlaces();
        places_filename[0] = '\0';
    }
    void UseFile() { snprintf(places_filename, sizeof places_filename, "%s", (state / "places").c_str()); }
    // A text whose index name is taken by a folder: read in memory.
    void PickBlocked(const std::string &name, const std::string &text) {
        fs::create_directories(dir / ("." + name + ".tomo"));
        Pick(name, text);
    }
    // Open it again as the list would, and where it opened.
    int32_t Reopen(const std::string &name) {
        PickPath(dir.str(), name);
        Load();
        return cur_line;
    }
    void MoveTo(int32_t line) {
        MoveToBeginning();
        for (int32_t i = 0; i < line; i++) MoveDownOneLine();
    }
    std::string Line(int32_t line, const std::string &name) const {
        struct stat st;
        stat((dir / name).c_str(), &st);
        return std::to_string(line) + " " + std::to_string(st.st_size) + " " + std::to_string(st.st_mtime) + " " +
               (dir / name) + "\n";
    }
    std::set<std::string> Folder() const {
        std::set<std::string> names;
        for (const auto &e : fs::directory_iterator(dir.path)) names.insert(e.path().filename().string());
        return names;
    }
};

// Every move is kept; the least recently read is the one forgotten, and
// nothing is written beside the texts.
TEST_F(Places, TheSessionKeepsTheLastFewTextsAtEveryMove) {
    for (int i = 0; i <= SESSION_PLACES; i++) {
        std::string name = NumberedName("t", i, 2);
        PickBlocked(name, NumberedText(50));
        Reopen(name);
        ASSERT_EQ(index_kind, INDEX_MEMORY);
        MoveTo(1 + i % 40);
    }
    EXPECT_EQ(Reopen("t01"), 2);
    EXPECT_EQ(top_of_page_offset, 2 * 8);
    EXPECT_EQ(Reopen(NumberedName("t", SESSION_PLACES, 2)), 1 + SESSION_PLACES % 40);
    EXPECT_EQ(Reopen("t00"), 0);
    EXPECT_EQ(Folder().size(), 2u * (SESSION_PLACES + 1)) << "each text and the folder at its index name";
}

TEST_F(Places, TheFileKeepsThePlaceAcrossStartsAndIsWrittenOnlyOnLeaving) {
    UseFile();
    PickBlocked("t.txt", NumberedText(100));
    Reopen("t.txt");
    MoveTo(40);
    EXPECT_FALSE(fs::exists(state / "places")) << "no write at a move";
    StorePlaces();
    EXPECT_EQ(ReadFile(state / "places"), "tomo places 1\n" + Line(40, "t.txt"));
    struct stat before, after;
    stat((state / "places").c_str(), &before);
    StorePlaces();  // nothing moved since: not written again (a new file would be a new inode)
    stat((state / "places").c_str(), &after);
    EXPECT_EQ(before.st_ino, after.st_ino);

    ForgetPlaces();  // a new start
    EXPECT_EQ(Reopen("t.txt"), 40);
    EXPECT_EQ(top_of_page_offset, 40 * 8);
    EXPECT_FALSE(fs::exists(state / "places.new"));
    EXPECT_EQ(Folder(), (std::set<std::string>{"t.txt", ".t.txt.tomo"}));
}

// A text that changed keeps its line, lowered to its new last line.
TEST_F(Places, AChangedTextKeepsItsLineWithinItsNewLength) {
    UseFile();
    PickBlocked("t.txt", NumberedText(100));
    Reopen("t.txt");
    MoveTo(90);
    StorePlaces();
    WriteFile(dir / "t.txt", NumberedText(50));
    EXPECT_EQ(Reopen("t.txt"), 49) << "from the session";
    ForgetPlaces();
    EXPECT_EQ(Reopen("t.txt"), 49) << "from the file";
    WriteFile(dir / "t.txt", "");
    EXPECT_EQ(Reopen("t.txt"), 0);
}

// Read most recently first, PLACES_KEPT at most: the oldest goes, and a
// text read again moves to the front instead of standing twice.
TEST_F(Places, TheFileIsBoundedAndInTheOrderTextsWereRead) {
    UseFile();
    PickBlocked("t.txt", NumberedText(20));
    std::string old = "tomo places 1\n";
    for (int i = 0; i <= PLACES_KEPT; i++)
        old += i == 7 ? Line(3, "t.txt") : "1 100 0 /old/" + std::to_string(i) + "\n";
    WriteFile(state / "places", old);
    EXPECT_EQ(Reopen("t.txt"), 3);
    MoveTo(5);
    StorePlaces();
    std::stringstream lines(ReadFile(state / "places"));
    std::vector<std::string> kept;
    for (std::string l; std::getline(lines, l);) kept.push_back(l + "\n");
    ASSERT_EQ(kept.size(), static_cast<size_t>(PLACES_KEPT + 1));
    EXPECT_EQ(kept[1], Line(5, "t.txt"));
    EXPECT_EQ(kept[2], "1 100 0 /old/0\n");
    EXPECT_EQ(kept[8], "1 100 0 /old/6\n");
    EXPECT_EQ(kept[9], "1 100 0 /old/8\n");
    EXPECT_EQ(kept.back(), "1 100 0 /old/" + std::to_string(PLACES_KEPT - 1) + "\n");
}

// What is in the file is never trusted: each line stands alone, and a file
// that is not one of places is ignored whole and written anew.
struct Damage {
    const char *name;
    std::string body;   // after the header; "@" stands for the text's path
    int32_t opens_at;
    bool header = true;
};

class DamagedPlaces : public Places, public ::testing::WithParamInterface<Damage> {};

TEST_P(DamagedPlaces, AreIgnoredLineByLine) {
    const Damage &d = GetParam();
    UseFile();
    PickBlocked("t.txt", NumberedText(100));
    std::string body = d.body;
    for (size_t at; (at = body.find('@')) != std::string::npos;) body.replace(at, 1, dir / "t.txt");
    WriteFile(state / "places", (d.header ? "tomo places 1\n" : "") + body);
    EXPECT_EQ(Reopen("t.txt"), d.opens_at);
    MoveTo(2);
    StorePlaces();
    std::string written = ReadFile(state / "places");
    EXPECT_EQ(written.rfind("tomo places 1\n" + Line(2, "t.txt"), 0), 0u) << written;
    EXPECT_EQ(written.find("@"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Cases, DamagedPlaces, ::testing::Values(
    Damage{"Good", "7 800 5 @\n", 7},
    Damage{"NoHeader", "7 800 5 @\n", 0, false},
    Damage{"OtherVersion", "tomo places 2\n7 800 5 @\n", 0, false},
    Damage{"Empty", "", 0},
    Damage{"NegativeLine", "-7 800 5 @\n", 0},
    Damage{"LineBeyondTheSize", "900 800 5 @\n", 0},
    Damage{"SizeOf2GiB", "7 2147483648 5 @\n", 0},
    Damage{"NineteenDigits", "7 1000000000000000000 5 @\n", 0},
    Damage{"NegativeTimeIsATime", "7 800 -5 @\n", 7},
    Damage{"MissingField", "7 800 @\n", 0},
    Damage{"TwoSpaces", "7  800 5 @\n", 0},
    Damage{"BadEscape", "7 800 5 @\\x\n", 0},
    Damage{"CutLastLine", "7 800 5 @", 0},
    Damage{"NulInTheLine", std::string("7 800 5 @\0\n", 11), 0},
    Damage{"GarbageThenGood", "zzz\n\n\xff\xfe\n7 800 5 @\n", 7},
    Damage{"OverlongThenGood", std::string(PLACE_LINE_SIZE + 10, 'x') + "\n7 800 5 @\n", 7},
    Damage{"FirstOfTwoWins", "7 800 5 @\n9 800 5 @\n", 7}),
    [](const ::testing::TestParamInfo<Damage> &p) { return std::string(p.param.name); });

// Any byte but NUL may be in a path: backslashes and line feeds are written
// escaped and read back whole.
TEST_F(Places, APathWithALineFeedAndABackslashIsKept) {
    UseFile();
    const std::string name = "new\nline\\and.txt";
    PickBlocked(name, NumberedText(30));
    Reopen(name);
    MoveTo(12);
    StorePlaces();
    std::string path = dir / "new\\nline\\\\and.txt";
    EXPECT_NE(ReadFile(state / "places").find(" " + path + "\n"), std::string::npos);
    ForgetPlaces();
    EXPECT_EQ(Reopen(name), 12);
}

// While another program writes the file, this one leaves it be and keeps
// the place in memory, to store it at the next leave.
TEST_F(Places, AFileBeingWrittenByAnotherProgramIsLeftAlone) {
    UseFile();
    PickBlocked("t.txt", NumberedText(30));
    Reopen("t.txt");
    MoveTo(4);
    int other = open((state / "places.new").c_str(), O_WRONLY | O_CREAT, 0644);
    ASSERT_EQ(flock(other, LOCK_EX), 0);
    StorePlaces();
    EXPECT_FALSE(fs::exists(state / "places"));
    close(other);
    StorePlaces();
    EXPECT_EQ(ReadFile(state / "places"), "tomo places 1\n" + Line(4, "t.txt"));
}

TEST_F(Places, NoFileOfPlacesWhereItCannotBeWritten) {
    fs::create_directories(state / "places");  // a folder in the way
    UseFile();
    PickBlocked("t.txt", NumberedText(30));
    Reopen("t.txt");
    MoveTo(4);
    StorePlaces();
    EXPECT_TRUE(fs::is_directory(state / "places"));
    EXPECT_EQ(Reopen("t.txt"), 4) << "the session still has it";
}

// A text with an index file of its own keeps its place there; one measured
// anew opens where it was last read without one.
TEST_F(Places, AnIndexFileKeepsThePlaceOnceThereIsOne) {
    UseFile();
    PickBlocked("t.txt", NumberedText(30));
    Reopen("t.txt");
    MoveTo(9);
    StorePlaces();
    fs::remove(dir / ".t.txt.tomo");
    EXPECT_EQ(Reopen("t.txt"), 9);
    EXPECT_EQ(index_kind, INDEX_FILE);
    EXPECT_EQ(ReadWords(dir / ".t.txt.tomo"), ModelIndex(NumberedText(30), 9));
    MoveTo(11);
    StorePlaces();
    EXPECT_EQ(ReadFile(state / "places"), "tomo places 1\n" + Line(9, "t.txt")) << "not rewritten";
}

}  // namespace
