// indexcases.h: index files that lie about the text beside them, for the
// index's own tests and the end-to-end ones alike: which of them the reuse
// check must refuse, so that the text is measured again, and the line the
// text opens at either way.
#ifndef TOMO_TEST_INDEXCASES_H
#define TOMO_TEST_INDEXCASES_H

#include <string>
#include <vector>

#include "testutil.h"

namespace testutil {

// The text they lie about: 40 numbered lines, 320 bytes.
const int kLiedLines = 40;
inline std::string LiedAboutText() { return NumberedText(kLiedLines); }

struct LyingIndex {
    const char *what;
    std::string bytes;    // the index file
    bool measured_again;  // else it is used as it is
    int32_t line;         // where the text opens
};

inline void PrintTo(const LyingIndex &c, std::ostream *os) { *os << c.what; }

inline std::vector<LyingIndex> LyingIndexes() {
    const std::vector<int32_t> good = ModelIndex(LiedAboutText());
    const int32_t size = good.back();
    // the right index but for one word
    auto but = [&](size_t word, int32_t value) {
        std::vector<int32_t> w = good;
        w[word] = value;
        return Words(w);
    };
    // the right header and end, with these offsets of lines 0..39
    auto offsets = [&](int32_t saved, int32_t first, int32_t step) {
        std::vector<int32_t> w = {saved, kLiedLines};
        for (int i = 0; i < kLiedLines; i++) w.push_back(first + step * i);
        w.push_back(size);
        return Words(w);
    };
    // a line for every byte and one more, the end offset where that count
    // puts it: only "every line takes a byte" refuses it
    std::vector<int32_t> byte_lines = {0, size + 1};
    for (int32_t i = 0; i <= size; i++) byte_lines.push_back(i);
    byte_lines.push_back(size);
    return {
        {"empty file", "", true, 0},
        {"three bytes", "\x01\x02\x03", true, 0},
        {"count word cut short", Words({3}) + std::string("\x02\x00", 2), true, 0},
        {"end offset missing", Words(std::vector<int32_t>(good.begin(), good.end() - 1)), true, 0},
        {"never finished", but(1, 0), true, 0},
        {"count too high", but(1, kLiedLines + 1), true, 0},
        {"count too low", but(1, kLiedLines - 1), true, 0},
        {"negative count", but(1, -1), true, 0},
        {"count beyond the file", but(1, 1000), true, 0},
        {"count beyond any text", but(1, 0x7fffffff), true, 0},
        {"more lines than bytes", Words(byte_lines), true, 0},
        {"end offset of another size, at the old place", but(0, 7).substr(0, 4 * 42) + Words({size + 1}), true, 7},
        // what a complete index leaves no room for
        {"a word after the end offset", but(0, 7) + Words({size}), true, 7},
        {"a byte after the end offset", but(0, 7) + "\n", true, 7},
        {"last line saved", but(0, kLiedLines - 1), false, kLiedLines - 1},
        {"saved line at the count", but(0, kLiedLines), false, 0},
        {"saved line past the count", but(0, kLiedLines + 1), false, 0},
        {"saved line far beyond", but(0, 1 << 30), false, 0},
        {"saved line -1", but(0, -1), false, 0},
        {"negative saved line", but(0, -7), false, 0},
        {"negative offsets", offsets(5, -2, -1), false, 5},
        {"decreasing offsets", offsets(0, 8 * (kLiedLines - 1), -8), false, 0},
        {"offsets past the end", offsets(3, size + 100, 1), false, 3},
    };
}

}  // namespace testutil

#endif
