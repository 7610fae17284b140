// viewertest.h: shared pieces of the viewer tests: a fixture that picks a
// text the way the file list does, a byte-at-a-time model of the line cut
// to compare the real one against, and the open(2) counter.
#ifndef TOMO_VIEWERTEST_H
#define TOMO_VIEWERTEST_H

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

#include "testutil.h"
#include "viewer.h"

// Counts open(2) calls on one path (defined in opencount_test.cpp).
void WatchOpens(const std::string &path);
int OpenCount();

namespace viewertest {

// One line as the written description of the cut gives it.
struct ModelLine {
    int ret;
    std::string str;
    long advance;
};

inline ModelLine CutModel(const std::string &text, size_t off) {
    ModelLine m{1, "", 0};
    long bytecnt = 0, last_bytecnt = -1;
    int last_spc = -1;
    bool eol = false;
    size_t i = off;
    while (true) {
        if (i >= text.size()) {
            if (bytecnt == 0) m.ret = 0;
            break;
        }
        unsigned char c = static_cast<unsigned char>(text[i++]);
        if (c == 13) {
            bytecnt++;
        } else if (c == 10) {
            bytecnt++;
            eol = true;
            break;
        } else {
            if (c == ' ') {
                last_spc = static_cast<int>(m.str.size());
                last_bytecnt = bytecnt;
            }
            m.str.push_back(static_cast<char>(c));
            bytecnt++;
        }
        if (m.str.size() == 53) break;
    }
    m.advance = bytecnt;
    if (last_spc >= 0 && !eol) {
        m.str.resize(static_cast<size_t>(last_spc));
        m.advance = last_bytecnt + 1;
    }
    return m;
}

// Every line of a text by the model, and the offsets the index keeps.
inline std::vector<ModelLine> ModelLines(const std::string &text) {
    std::vector<ModelLine> lines;
    size_t off = 0;
    for (;;) {
        ModelLine m = CutModel(text, off);
        if (!m.ret) break;
        lines.push_back(m);
        off += static_cast<size_t>(m.advance);
    }
    return lines;
}

inline std::vector<int32_t> ModelIndex(const std::string &text) {
    std::vector<int32_t> words{0, 0, 0};
    int32_t off = 0;
    for (const ModelLine &m : ModelLines(text)) {
        off += static_cast<int32_t>(m.advance);
        words.push_back(off);
    }
    words[1] = static_cast<int32_t>(words.size() - 3);
    return words;
}

// A folder with one text picked from it, as the list does before the
// index is loaded; the position globals start from junk on purpose.
class ViewerTest : public ::testing::Test {
protected:
    testutil::TempDir dir;

    void Pick(const std::string &name, const std::string &text) {
        testutil::WriteFile(dir / name, text);
        PickPath(dir.str(), name);
    }
    void PickPath(const std::string &folder, const std::string &name) {
        snprintf(curPath, sizeof curPath, "%s", folder.c_str());
        snprintf(dirlist[0].file, sizeof dirlist[0].file, "%s", name.c_str());
        top_of_list = 0;
        listcnt = 1;
        snprintf(filename, sizeof filename, "%s/%s", folder.c_str(), name.c_str());
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
    void WriteIndex(const std::vector<int32_t> &words) {
        testutil::WriteFile(IndexPath(), testutil::Words(words));
    }
};

using testutil::NumberedLines;

}  // namespace viewertest

#endif
