// viewertest.h: the viewer tests' fixture, a folder with one text picked
// from it as the file list picks it, and the open(2) counter.
#ifndef TOMO_VIEWERTEST_H
#define TOMO_VIEWERTEST_H

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

#include "program.h"
#include "testutil.h"
#include "viewer.h"

// Counts open(2) calls on one path (defined in opencount_test.cpp).
void WatchOpens(const std::string &path);
int OpenCount();

// The position globals start from junk on purpose.
class ViewerTest : public ::testing::Test {
protected:
    testutil::TempDir dir;

    void Pick(const std::string &name, const std::string &text) {
        testutil::WriteFile(dir / name, text);
        PickPath(dir.str(), name);
    }
    void PickPath(const std::string &folder, const std::string &name) {
        testutil::PickText(folder, name);
        text_view = VIEW_PLAIN;
        num_lines = 1234;
        cur_line = 77;
        cur_offset = 999;
        top_of_page_offset = 888;
        extra_lines_skipped = 0;
    }
    std::string IndexPath() const { return std::string(info_filename); }

    // LoadFileInfo, keeping every progress text it showed.
    std::vector<std::string> progress;
    void Load() {
        progress.clear();
        LoadFileInfo(&ViewerTest::Record, this);
    }
    static void Record(const char *text, void *ctx) {
        static_cast<ViewerTest *>(ctx)->progress.push_back(text);
    }
};

#endif
