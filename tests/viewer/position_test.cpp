// position_test.cpp: the position text of the status line.
#include "viewertest.h"

namespace {

TEST(FormatPosition, CountsAndTruncatedPercentage) {
    struct {
        int line, lines;
        const char *want;
    } cases[] = {
        {0, 1, "On line 1 of 1 (100%)"},
        {9, 30, "On line 10 of 30 (33%)"},
        {1, 3, "On line 2 of 3 (66%)"},  // 66.67 is cut, not rounded
        {0, 10, "On line 1 of 10 (10%)"},
        {0, 250, "On line 1 of 250 (0%)"},
        {249, 250, "On line 250 of 250 (100%)"},
        {0, 0, "On line 1 of 0 (0%)"},
        {-1, 0, "On line 0 of 0 (0%)"},
        // through float both counts are 16777220: 100, where exact is 99
        {16777218, 16777220, "On line 16777219 of 16777220 (100%)"},
    };
    for (const auto &c : cases) {
        cur_line = c.line;
        num_lines = c.lines;
        char buf[STATUS_SIZE];
        memset(buf, '#', sizeof buf);
        FormatPosition(buf, STATUS_SIZE);
        EXPECT_STREQ(buf, c.want);
    }
}

TEST(FormatPosition, StaysInsideTheBuffer) {
    cur_line = 5;
    num_lines = 10;
    char buf[12];
    memset(buf, '#', sizeof buf);
    FormatPosition(buf, 8);
    EXPECT_STREQ(buf, "On line");
    EXPECT_EQ(buf[8], '#');
}

}  // namespace
