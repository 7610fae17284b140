// pageview_sdl_test.cpp: one page of a text and the position under it, and
// the progress shown while a text is measured. Every expected screen is
// drawn with the font's own calls, so the test checks what goes where.
#include "fontsheet.h"
#include "graphics.h"
#include "program.h"
#include "sdltest.h"
#include "testutil.h"
#include "viewer.h"

namespace {

using namespace testutil;

// The progress presents the screen, which needs video up.
class PageView : public SdlTest {
protected:
    TempDir dir;
    SurfaceHolder screen{MakeScreen16()};
    SurfaceHolder want{MakeScreen16()};
    SurfaceHolder sheet{MakeSheet(1536)};

    void SetUp() override {
        SdlTest::SetUp();
        ASSERT_NE(screen.get(), nullptr);
        ASSERT_NE(want.get(), nullptr);
        ASSERT_NE(sheet.get(), nullptr);
        clear_screen(screen.get());
        clear_screen(want.get());
    }
    void Pick(const std::string &text) {
        WriteFile(dir / "t.txt", text);
        PickText(dir.str(), "t.txt");
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
    void CheckScreen() { EXPECT_EQ(WrongPixels(screen.get(), want.get(), 3), 0); }
    bool RowBlank(int row) {
        return WrongPixels(screen.get(), [](int, int) { return 0; }, 0, 15 * row, 15 * row + 14) == 0;
    }
};

TEST_F(PageView, ShortTextFillsItsRowsAndLeavesTheRestBlank) {
    Pick(NumberedText(10));
    ASSERT_EQ(num_lines, 10);
    ViewText(sheet.get(), screen.get());
    Expect(NumberedRows(1, 10), "On line 1 of 10 (10%)");
    CheckScreen();
    for (int row = 10; row < PAGE_LINES; row++) EXPECT_TRUE(RowBlank(row)) << row;
    EXPECT_STREQ(status, "On line 1 of 10 (10%)");
    EXPECT_EQ(cur_offset, 8 * 10);
}

TEST_F(PageView, PageEndsAtTheStartOfLineFifteen) {
    Pick(NumberedText(250));
    ViewText(sheet.get(), screen.get());
    EXPECT_EQ(cur_offset, 8 * 15);
    EXPECT_EQ(top_of_page_offset, 0);
    EXPECT_STREQ(status, "On line 1 of 250 (0%)");
    EXPECT_FALSE(RowBlank(PAGE_LINES - 1));
}

TEST_F(PageView, LastLineAloneOnTop) {
    Pick(NumberedText(250));
    MoveToEnd();
    ViewText(sheet.get(), screen.get());
    Expect({NumberedRow(250)}, "On line 250 of 250 (100%)");
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
    Pick(NumberedText(3));
    snprintf(filename, sizeof filename, "%s/gone", dir.str().c_str());
    cur_line = 1;
    top_of_page_offset = 7;
    ViewText(sheet.get(), screen.get());
    Expect({}, "On line 2 of 3 (66%)");
    CheckScreen();
    EXPECT_EQ(cur_offset, 7);
}

TEST_F(PageView, MeasuringShowsItsProgressOnTheStatusLine) {
    Pick(NumberedText(250));
    UpdateStatus(sheet.get(), want.get(), "Please wait... counting lines: 200");
    remove((dir / ".t.txt.tomo").c_str());
    GetFileInfo(sheet.get(), screen.get());
    EXPECT_EQ(num_lines, 250);
    CheckScreen();  // the last progress text is left standing
}

}  // namespace
