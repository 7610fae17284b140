// places_test.cpp: the place of a text read with the index in memory:
// kept in the session at every move, in the file of places when the reader
// leaves it, bounded, never trusted when damaged, and nothing written
// beside the text.
#include "viewertest.h"

using namespace testutil;

namespace {

class Places : public ViewerTest {
protected:
    TempDir state;

    void SetUp() override { TearDown(); }
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
    // Its line in the file, the path escaped.
    std::string Line(int32_t line, const std::string &name) const {
        struct stat st;
        stat((dir / name).c_str(), &st);
        std::string path;
        for (char c : dir / name) path += c == '\n' ? "\\n" : c == '\\' ? "\\\\" : std::string(1, c);
        return std::to_string(line) + " " + std::to_string(st.st_size) + " " + std::to_string(st.st_mtime) + " " +
               path + "\n";
    }
};

// Every move is kept; the least recently read is the one forgotten, and
// nothing is written beside the texts, nor where the file of places
// cannot be written.
TEST_F(Places, TheSessionKeepsTheLastFewTextsAtEveryMove) {
    fs::create_directories(state / "places");  // a folder in the way
    UseFile();
    for (int i = 0; i <= SESSION_PLACES; i++) {
        std::string name = NumberedName("t", i, 2);
        PickBlocked(name, NumberedText(50));
        Reopen(name);
        ASSERT_EQ(index_kind, INDEX_MEMORY);
        MoveTo(1 + i % 40);
        StorePlaces();
    }
    EXPECT_TRUE(fs::is_directory(state / "places"));
    EXPECT_EQ(Reopen("t01"), 2);
    EXPECT_EQ(top_of_page_offset, 2 * 8);
    EXPECT_EQ(Reopen(NumberedName("t", SESSION_PLACES, 2)), 1 + SESSION_PLACES % 40);
    EXPECT_EQ(Reopen("t00"), 0);
    EXPECT_EQ(Names(dir.str()).size(), 2u * (SESSION_PLACES + 1)) << "each text and the folder at its index name";
}

// Any byte but NUL may be in a path: a backslash and a line feed are
// written escaped and read back whole. While another program writes the
// file, this one leaves it be and stores the place at the next leave.
TEST_F(Places, TheFileKeepsThePlaceAcrossStartsAndIsWrittenOnlyOnLeaving) {
    UseFile();
    const std::string name = "new\nline\\and.txt";
    PickBlocked(name, NumberedText(100));
    Reopen(name);
    MoveTo(40);
    EXPECT_FALSE(fs::exists(state / "places")) << "no write at a move";
    {
        LockedFile other(state / "places.new");
        ASSERT_TRUE(other.held());
        StorePlaces();
        EXPECT_FALSE(fs::exists(state / "places"));
    }
    StorePlaces();
    EXPECT_EQ(ReadFile(state / "places"), "tomo places 1\n" + Line(40, name));
    struct stat before, after;
    stat((state / "places").c_str(), &before);
    StorePlaces();  // nothing moved since: not written again (a new file would be a new inode)
    stat((state / "places").c_str(), &after);
    EXPECT_EQ(before.st_ino, after.st_ino);

    ForgetPlaces();  // a new start
    EXPECT_EQ(Reopen(name), 40);
    EXPECT_EQ(top_of_page_offset, 40 * 8);
    EXPECT_FALSE(fs::exists(state / "places.new"));
    EXPECT_EQ(Names(dir.str()), (std::set<std::string>{name, "." + name + ".tomo"}));

    // a text that changed keeps its line, lowered to its new last line
    WriteFile(dir / name, NumberedText(30));
    EXPECT_EQ(Reopen(name), 29) << "from the session";
    ForgetPlaces();
    EXPECT_EQ(Reopen(name), 29) << "from the file";
    WriteFile(dir / name, "");
    EXPECT_EQ(Reopen(name), 0);
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
    std::string kept = "tomo places 1\n" + Line(5, "t.txt");
    for (int i = 0; i < PLACES_KEPT; i++) kept += i == 7 ? "" : "1 100 0 /old/" + std::to_string(i) + "\n";
    EXPECT_EQ(ReadFile(state / "places"), kept);
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
