// pageview_sdl_test.cpp: one page of a text and the position under it, and
// the progress shown while a text is measured. Every expected screen is
// drawn with the font's own calls, so the test checks what goes where.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "fontsheet.h"
#include "graphics.h"
#include "surface.h"
#include "testutil.h"
#include "viewer.h"

namespace {

using testutil::MakeScreen16;
using testutil::MakeSheet;
using testutil::SurfaceHolder;

class PageView : public ::testing::Test {
protected:
    testutil::TempDir dir;
    SurfaceHolder screen{MakeScreen16()};
    SurfaceHolder want{MakeScreen16()};
    SurfaceHolder sheet{MakeSheet(1536)};

    // The progress flips the screen, which needs video up.
    static void SetUpTestSuite() {
        setenv("SDL_VIDEODRIVER", "dummy", 1);
        ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO), 0) << SDL_GetError();
    }
    static void TearDownTestSuite() { SDL_Quit(); }

    void SetUp() override {
        ASSERT_NE(screen.get(), nullptr);
        ASSERT_NE(want.get(), nullptr);
        ASSERT_NE(sheet.get(), nullptr);
        clear_screen(screen.get());
        clear_screen(want.get());
    }
    void Pick(const std::string &text) {
        testutil::WriteFile(dir / "t.txt", text);
        snprintf(curPath, sizeof curPath, "%s", dir.str().c_str());
        snprintf(dirlist[0].file, sizeof dirlist[0].file, "t.txt");
        top_of_list = 0;
        snprintf(filename, sizeof filename, "%s/t.txt", dir.str().c_str());
        GetFileInfo(sheet.get(), screen.get());
        clear_screen(screen.get());
    }
    // The expected screen: these rows, then this status.
    void Expect(const std::vector<std::string> &rows, const char *status_text) {
        for (size_t y = 0; y < rows.size(); y++)
            tomo_write(sheet.get(), want.get(), rows[y].c_str(), 0, static_cast<int>(y),
                       static_cast<int>(rows[y].size()));
        UpdateStatus(sheet.get(), want.get(), status_text);
    }
    void CheckScreen() {
        int wrong = 0;
        for (int y = 0; y < 240; y++)
            for (int x = 0; x < 320; x++)
                if (testutil::Pixel16(screen.get(), x, y) != testutil::Pixel16(want.get(), x, y) && wrong++ < 3)
                    ADD_FAILURE() << "pixel " << x << "," << y;
        EXPECT_EQ(wrong, 0);
    }
    bool RowBlank(SDL_Surface *s, int row) {
        for (int y = 15 * row; y < 15 * row + 15; y++)
            for (int x = 0; x < 320; x++)
                if (testutil::Pixel16(s, x, y) != 0) return false;
        return true;
    }
};

std::string Lines(int from, int to) {
    std::string text;
    for (int i = from; i < to; i++) text += "line " + std::to_string(i) + "\n";
    return text;
}

TEST_F(PageView, ShortTextFillsItsRowsAndLeavesTheRestBlank) {
    Pick(Lines(0, 10));
    ASSERT_EQ(num_lines, 10);
    ViewText(sheet.get(), screen.get());
    std::vector<std::string> rows;
    for (int i = 0; i < 10; i++) rows.push_back("line " + std::to_string(i));
    Expect(rows, "On line 1 of 10 (10%)");
    CheckScreen();
    for (int row = 10; row < PAGE_LINES; row++) EXPECT_TRUE(RowBlank(screen.get(), row)) << row;
    EXPECT_STREQ(status, "On line 1 of 10 (10%)");
    EXPECT_EQ(cur_offset, static_cast<int32_t>(Lines(0, 10).size()));
}

TEST_F(PageView, PageEndsAtTheStartOfLineFifteen) {
    Pick(Lines(0, 250));
    ViewText(sheet.get(), screen.get());
    EXPECT_EQ(cur_offset, static_cast<int32_t>(Lines(0, 15).size()));
    EXPECT_EQ(top_of_page_offset, 0);
    EXPECT_STREQ(status, "On line 1 of 250 (0%)");
    EXPECT_FALSE(RowBlank(screen.get(), PAGE_LINES - 1));
}

TEST_F(PageView, LastLineAloneOnTop) {
    Pick(Lines(0, 250));
    MoveToEnd();
    ViewText(sheet.get(), screen.get());
    Expect({"line 249"}, "On line 250 of 250 (100%)");
    CheckScreen();
}

TEST_F(PageView, FullWidthLineAndZeroByte) {
    Pick(std::string(53, 'w') + "\nab" + std::string(1, '\0') + "cd\n");
    ViewText(sheet.get(), screen.get());
    // the full line leaves its LF to an empty line of its own
    Expect({std::string(53, 'w'), "", "ab"}, "On line 1 of 3 (33%)");
    CheckScreen();
}

TEST_F(PageView, UnreadableTextShowsOnlyThePosition) {
    Pick(Lines(0, 3));
    snprintf(filename, sizeof filename, "%s/gone", dir.str().c_str());
    cur_line = 1;
    top_of_page_offset = 7;
    ViewText(sheet.get(), screen.get());
    Expect({}, "On line 2 of 3 (66%)");
    CheckScreen();
    EXPECT_EQ(cur_offset, 7);
}

TEST_F(PageView, MeasuringShowsItsProgressOnTheStatusLine) {
    Pick(Lines(0, 250));
    UpdateStatus(sheet.get(), want.get(), "Please wait... counting lines: 200");
    remove((dir / ".t.txt.tomo").c_str());
    GetFileInfo(sheet.get(), screen.get());
    EXPECT_EQ(num_lines, 250);
    CheckScreen();  // the last progress text is left standing
}

}  // namespace
