// navigation_test.cpp: the six moves over a measured text whose line k
// starts at byte 8k, with the lookups and stores they make, through the
// index file and through the index in memory.
#include "viewertest.h"

using namespace testutil;

namespace {

enum Move { DOWN, UP, DOWN15, UP15, BEGIN, END, ON100, BACK100 };
const int UNCHANGED = -100;  // the saved word is left as the test set it
const int32_t SENTINEL = 12345;

struct MoveCase {
    const char *name;
    int lines, line, extra;
    Move move;
    int want_line;
    int want_saved;  // or UNCHANGED
    int want_opens;  // of the index file: one per lookup, one per store
};

void PrintTo(const MoveCase &c, std::ostream *os) { *os << c.name; }

void Do(Move m) {
    switch (m) {
    case DOWN: MoveDownOneLine(); break;
    case UP: MoveUpOneLine(); break;
    case DOWN15: MoveDown15Lines(); break;
    case UP15: MoveUp15Lines(); break;
    case BEGIN: MoveToBeginning(); break;
    case END: MoveToEnd(); break;
    case ON100: MoveDownHundredth(); break;
    case BACK100: MoveUpHundredth(); break;
    }
}

class Navigation : public ViewerTest {
protected:
    // A measured text of n lines with the page at line `line`; in memory
    // when a folder stands at the index name, else with the saved word
    // set to SENTINEL.
    void Open(int lines, int line, int extra, bool in_memory = false) {
        Pick("t.txt", NumberedText(lines));
        if (in_memory) fs::create_directory(dir / ".t.txt.tomo");
        Load();
        ASSERT_EQ(num_lines, lines);
        if (!in_memory) {
            std::vector<int32_t> words = ReadWords(IndexPath());
            words[0] = SENTINEL;
            WriteFile(IndexPath(), Words(words));
        }
        cur_line = line;
        top_of_page_offset = 8 * line;
        cur_offset = 7777;  // as the page view leaves it
        extra_lines_skipped = extra;
    }
    int32_t Saved() { return ReadWords(IndexPath())[0]; }
};

// In memory the moves give the same lines and pages, and the index name
// is never opened.
class MoveTable : public Navigation, public ::testing::WithParamInterface<std::tuple<MoveCase, bool>> {};

TEST_P(MoveTable, MovesStoresAndLooksUp) {
    const MoveCase &c = std::get<0>(GetParam());
    const bool in_memory = std::get<1>(GetParam());
    Open(c.lines, c.line, c.extra, in_memory);
    WatchOpens(IndexPath());
    Do(c.move);
    EXPECT_EQ(OpenCount(), in_memory ? 0 : c.want_opens);
    WatchOpens("");
    EXPECT_EQ(cur_line, c.want_line);
    EXPECT_EQ(top_of_page_offset, 8 * c.want_line);
    EXPECT_EQ(cur_offset, top_of_page_offset);
    if (!in_memory) {
        EXPECT_EQ(Saved(), c.want_saved == UNCHANGED ? SENTINEL : c.want_saved);
    }
}

const std::vector<MoveCase> kEdges = {
        MoveCase{"DownToLast", 100, 98, 0, DOWN, 99, 99, 2},
        MoveCase{"DownAtLastDoesNothing", 100, 99, 0, DOWN, 99, UNCHANGED, 0},
        MoveCase{"DownSkipStopsAtLast", 100, 95, 10, DOWN, 99, 99, 2},
        MoveCase{"DownSkips", 100, 10, 3, DOWN, 14, 14, 2},
        MoveCase{"UpSkipStopsAtZero", 100, 3, 10, UP, 0, 0, 2},
        MoveCase{"UpOne", 100, 3, 0, UP, 2, 2, 2},
        MoveCase{"UpAtZeroDoesNothing", 100, 0, 0, UP, 0, UNCHANGED, 0},
        MoveCase{"Up15AtZeroDoesNothing", 100, 0, 0, UP15, 0, UNCHANGED, 0},
        MoveCase{"Down15", 20, 0, 0, DOWN15, 15, 15, 30},
        MoveCase{"Down15ToLastThenStill", 20, 15, 0, DOWN15, 19, 19, 8},
        MoveCase{"Down15AtFullRepeat", 1000, 0, 10, DOWN15, 165, 165, 30},
        MoveCase{"Up15", 100, 50, 0, UP15, 35, 35, 30},
        MoveCase{"Up15PastZero", 100, 5, 0, UP15, 0, 0, 10},
        MoveCase{"Beginning", 100, 50, 0, BEGIN, 0, 0, 2},
        MoveCase{"EndPutsLastLineOnTop", 100, 50, 0, END, 99, 99, 2},
        MoveCase{"EndWhenThereStillStores", 100, 99, 0, END, 99, 99, 2},
        MoveCase{"BeginningWhenThereStillStores", 100, 0, 0, BEGIN, 0, 0, 2},
        MoveCase{"OneLineDown", 1, 0, 0, DOWN, 0, UNCHANGED, 0},
        MoveCase{"OneLineUp", 1, 0, 10, UP, 0, UNCHANGED, 0},
        MoveCase{"OneLineDown15", 1, 0, 10, DOWN15, 0, UNCHANGED, 0},
        MoveCase{"OneLineUp15", 1, 0, 0, UP15, 0, UNCHANGED, 0},
        MoveCase{"OneLineBeginning", 1, 0, 0, BEGIN, 0, 0, 2},
        MoveCase{"OneLineEnd", 1, 0, 0, END, 0, 0, 2},
        MoveCase{"HundredthOf2000", 2000, 0, 0, ON100, 20, 20, 2},
        MoveCase{"HundredthOf50IsOneLine", 50, 10, 0, ON100, 11, 11, 2},
        MoveCase{"HundredthOfOneLine", 1, 0, 10, ON100, 0, UNCHANGED, 0},
        MoveCase{"HundredthStopsAtLast", 2000, 1990, 0, ON100, 1999, 1999, 2},
        MoveCase{"HundredthAtLastDoesNothing", 2000, 1999, 0, ON100, 1999, UNCHANGED, 0},
        MoveCase{"HundredthBack", 2000, 1000, 0, BACK100, 980, 980, 2},
        MoveCase{"HundredthBackStopsAtZero", 2000, 10, 0, BACK100, 0, 0, 2},
        MoveCase{"HundredthBackAtZeroDoesNothing", 2000, 0, 0, BACK100, 0, UNCHANGED, 0},
        MoveCase{"HundredthAtFullRepeat", 2000, 0, 10, ON100, 220, 220, 2},
        MoveCase{"HundredthBackAtFullRepeat", 2000, 1000, 10, BACK100, 780, 780, 2}};

std::string CaseName(const ::testing::TestParamInfo<std::tuple<MoveCase, bool>> &info) {
    return std::string(std::get<0>(info.param).name) + (std::get<1>(info.param) ? "InMemory" : "");
}

INSTANTIATE_TEST_SUITE_P(Edges, MoveTable, ::testing::Combine(::testing::ValuesIn(kEdges), ::testing::Bool()),
                         CaseName);

TEST_F(Navigation, SecondDown15MovesFourStepsOnly) {
    Open(20, 0, 0);
    MoveDown15Lines();
    MoveDown15Lines();
    EXPECT_EQ(cur_line, 19);
    EXPECT_EQ(Saved(), 19);
}

TEST_F(Navigation, EmptyText) {
    for (bool in_memory : {false, true}) {
        SCOPED_TRACE(in_memory ? "in memory" : "index file");
        Pick("e.txt", "");
        fs::remove(dir / ".e.txt.tomo");
        if (in_memory) fs::create_directory(dir / ".e.txt.tomo");
        Load();
        WatchOpens(IndexPath());
        for (Move m : {DOWN, UP, DOWN15, UP15}) Do(m);
        EXPECT_EQ(OpenCount(), 0);
        WatchOpens("");
        EXPECT_EQ(cur_line, 0);
        MoveToEnd();
        EXPECT_EQ(cur_line, -1);
        EXPECT_EQ(top_of_page_offset, 0);
        if (!in_memory) {
            EXPECT_EQ(Saved(), -1);
        }
        MoveToBeginning();
        EXPECT_EQ(cur_line, 0);
        if (!in_memory) {
            EXPECT_EQ(Saved(), 0);
        }
    }
}

TEST_F(Navigation, WithoutIndexTheLineChangesButThePageStays) {
    Pick("t.txt", "");
    ASSERT_EQ(truncate64(filename, 0x80000000LL), 0);  // past what offsets hold
    Load();
    ASSERT_EQ(num_lines, 0);
    cur_line = 5;
    top_of_page_offset = 40;
    MoveUpOneLine();
    EXPECT_EQ(cur_line, 4);
    EXPECT_EQ(top_of_page_offset, 40);
    MoveDownOneLine();
    MoveDown15Lines();
    EXPECT_EQ(cur_line, 4);
    MoveToBeginning();
    EXPECT_EQ(cur_line, 0);
    EXPECT_EQ(top_of_page_offset, 40);
    EXPECT_EQ(cur_offset, 40);
    EXPECT_FALSE(fs::exists(dir / ".t.txt.tomo"));
}

TEST_F(Navigation, MissingOffsetKeepsThePageAndStoresNothing) {
    Open(100, 10, 0);
    // an index cut short after it was loaded: line 50 has no word any more
    std::string bytes = ReadFile(IndexPath());
    WriteFile(IndexPath(), bytes.substr(0, 4 * (2 + 30)));
    MoveDown15Lines();  // lines 11..25 exist
    EXPECT_EQ(cur_line, 25);
    EXPECT_EQ(top_of_page_offset, 8 * 25);
    MoveToEnd();
    EXPECT_EQ(cur_line, 99);
    EXPECT_EQ(top_of_page_offset, 8 * 25);
    EXPECT_EQ(Saved(), 25);
}

TEST_F(Navigation, EachStepReadsTheRepeatSpeedAnew) {
    Open(1000, 500, 2);
    MoveUpOneLine();
    EXPECT_EQ(cur_line, 497);
    extra_lines_skipped = 0;
    MoveUpOneLine();
    EXPECT_EQ(cur_line, 496);
    EXPECT_EQ(top_of_page_offset, 8 * 496);
}

}  // namespace
