// glyphs_test.cpp: the font cells a row of text is drawn with: UTF-8
// letters and punctuation as Latin-1 cells and look-alikes, every byte of
// anything else as its own cell, and the bounds the callers rely on.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "glyphs.h"
#include "tomo.h"

namespace {

std::string Cells(const std::string &row, int count) {
    std::vector<char> cells(row.size() + 1, '\x7f');
    int n = TextToCells(row.c_str(), count, cells.data());
    return std::string(cells.data(), static_cast<size_t>(n));
}

std::string Cells(const std::string &row) { return Cells(row, static_cast<int>(row.size())); }

// The UTF-8 form of code point cp: continuation bytes of six bits each
// after a lead byte that says how many follow.
std::string Utf8(long cp) {
    if (cp < 0x80) return std::string(1, static_cast<char>(cp));
    int n = cp < 0x800 ? 2 : cp < 0x10000 ? 3 : 4;
    std::string s(static_cast<size_t>(n), '\0');
    for (int i = n - 1; i > 0; i--, cp >>= 6) s[static_cast<size_t>(i)] = static_cast<char>(0x80 | (cp & 0x3F));
    s[0] = static_cast<char>((0xF00 >> n) | cp);  // 0xC0, 0xE0 or 0xF0 and the top bits
    return s;
}

struct CellCase {
    const char *what;
    std::string row;   // the bytes of the row (UTF-8 unless said otherwise)
    std::string cells; // the font cells drawn for it
    int count = -1;    // the bytes it may read; -1 for the whole row
};

void PrintTo(const CellCase &c, std::ostream *os) { *os << c.what; }

class GlyphTable : public ::testing::TestWithParam<CellCase> {};

TEST_P(GlyphTable, DrawsTheseCells) {
    const CellCase &c = GetParam();
    EXPECT_EQ(c.count < 0 ? Cells(c.row) : Cells(c.row, c.count), c.cells) << c.what;
}

const CellCase kCases[] = {
    {"ascii", "Hello, world! ~{}|", "Hello, world! ~{}|"},
    {"latin-1 letters", "Universitätsplatz, Hände, Gespräch, ÿ ß",
     "Universit\xE4tsplatz, H\xE4nde, Gespr\xE4" "ch, \xFF \xDF"},
    {"no-break space and the latin-1 signs", "a\u00A0b ¿¡ «»", "a\xA0" "b \xBF\xA1 \xAB\xBB"},
    {"C1 controls keep their cells", "\u0080\u0085\u009F", "\x80\x85\x9F"},
    {"single quotes and primes", "‘a’ ‚b‛ 5′", "'a' 'b' 5'"},
    {"double quotes and double primes", "“a” „b‟ 5″", "\"a\" \"b\" 5\""},
    {"dashes and minus", "a‐b‑c‒d–e—f―g−h", "a-b-c-d-e-f-g-h"},
    {"ellipsis is three dots", "wait…", "wait..."},
    {"bullets are the middle dot", "• ‣ ∙ ● ◦", "\xB7 \xB7 \xB7 \xB7 \xB7"},
    {"spaces", "a\u2002b\u2009c\u200Ad\u202Fe\u205Ff\u3000g", "a b c d e f g"},
    {"latin extended-A", "Łódź, čřő, Ĳssel", "L\xF3" "dz, cro, IJssel"},
    {"latin extended-B", "ș ț ǖ Ǿ ǅ", "s t \xFC \xD8 Dz"},
    {"oe ligatures", "Œuvre, sœur", "OEuvre, soeur"},
    {"extended letters without a look-alike", "Ƿ Ə", "? ?"},
    {"first and last extended letter", "\u0100\u024F", "Ay"},
    {"byte-order mark draws nothing", "\uFEFFHello\uFEFF", "Hello"},
    {"zero-width and direction marks draw nothing", "a\u200Bb\u200Dc\u200Ed\u2060e\uFE0F", "abcde"},
    {"combining marks on a latin-1 letter", "Cafe\u0301 A\u030Angstro\u0308m n\u0303", "Caf\xE9 \xC5ngstr\xF6m \xF1"},
    {"other combining marks are dropped", "x\u0301 \u0301a \u00E9\u0301 s\u030C", "x a \xE9 s"},
    {"euro sign, no look-alike", "5 €", "5 ?"},
    {"placeholders", "Привет 日本 😀 \uFFFD \U0010FFFF \u0250", "?????? ?? ? ? ? ?"},
    {"latin-1 text", "Le c\xE9l\xE8" "bre na\xEFvet\xE9 du gar\xE7on, \xAB d\xE9j\xE0 vu \xBB \xC0 \xFF",
     "Le c\xE9l\xE8" "bre na\xEFvet\xE9 du gar\xE7on, \xAB d\xE9j\xE0 vu \xBB \xC0 \xFF"},
    {"overlong forms are bytes", "\xC0\x80 \xC1\xBF \xE0\x80\x80 \xE0\x9F\xBF \xF0\x80\x80\x80 \xF0\x8F\xBF\xBF",
     "\xC0\x80 \xC1\xBF \xE0\x80\x80 \xE0\x9F\xBF \xF0\x80\x80\x80 \xF0\x8F\xBF\xBF"},
    {"surrogates are bytes", "\xED\xA0\x80 \xED\xBF\xBF", "\xED\xA0\x80 \xED\xBF\xBF"},
    {"past U+10FFFF is bytes", "\xF4\x90\x80\x80 \xF5\x80\x80\x80 \xFF\xFE", "\xF4\x90\x80\x80 \xF5\x80\x80\x80 \xFF\xFE"},
    {"lone continuation bytes", "\x80\xBF" "a\xA9", "\x80\xBF" "a\xA9"},
    {"a lead byte before a non-continuation", "\xC3" "a \xE2\x80" "b", "\xC3" "a \xE2\x80" "b"},
    {"sequences cut at the row's end", "a\xC3", "a\xC3"},
    {"three-byte cut after two", "a\xE2\x80", "a\xE2\x80"},
    {"four-byte cut after three", "a\xF0\x9F\x98", "a\xF0\x9F\x98"},
    {"a letter cut by the count is its lead byte", "\xC3\xA4", "\xC3", 1},
    {"an ellipsis cut by the count", "\xE2\x80\xA6", "\xE2\x80", 2},
    {"the NUL ends the row inside a letter", std::string("\xC3\0\xA4", 3), "\xC3"},
    {"the NUL ends the row", std::string("ab\0cd", 5), "ab"},
};

INSTANTIATE_TEST_SUITE_P(Rows, GlyphTable, ::testing::ValuesIn(kCases));

// The columns a row cut takes for each letter are the cells drawn for it.
TEST(Glyphs, LetterAtTakesTheCellsDrawn) {
    for (const CellCase &c : kCases) {
        if (c.count >= 0) continue;
        std::string row = c.row.substr(0, c.row.find('\0'));
        int columns = 0;
        for (size_t at = 0; at < row.size();) {
            int cells = -1;
            int len = LetterAt(row.c_str() + at, static_cast<int>(row.size() - at), &cells);
            ASSERT_GE(len, 1) << c.what;
            ASSERT_GE(cells, 0) << c.what;
            at += static_cast<size_t>(len);
            columns += cells;
        }
        EXPECT_EQ(columns, static_cast<int>(Cells(row).size())) << c.what;
    }
}

TEST(Glyphs, NoBytesNoCells) {
    char untouched = 'x';
    EXPECT_EQ(TextToCells(nullptr, 0, &untouched), 0);
    EXPECT_EQ(TextToCells(nullptr, -3, &untouched), 0);
    EXPECT_EQ(untouched, 'x');
}

// Never more cells than bytes, never a NUL cell, nothing written past the
// cells returned.
void CheckBounds(const std::string &row, std::string *drawn) {
    std::string cells(row.size() + 8, '\x7f');
    int n = TextToCells(row.data(), static_cast<int>(row.size()), &cells[0]);
    ASSERT_GE(n, 0);
    ASSERT_LE(static_cast<size_t>(n), row.size());
    ASSERT_EQ(cells.find('\0'), std::string::npos);
    ASSERT_EQ(cells.substr(static_cast<size_t>(n)), std::string(row.size() + 8 - static_cast<size_t>(n), '\x7f'));
    *drawn = cells.substr(0, static_cast<size_t>(n));
}

// The bounds for every code point and for random rows; and a row in which
// no lead byte is followed by a continuation byte holds no UTF-8 sequence,
// so it is drawn byte for byte.
TEST(Glyphs, NeverMoreCellsThanBytesNorANul) {
    std::string cells;
    for (long cp = 0x80; cp <= 0x10FFFF; cp++) {
        if (cp >= 0xD800 && cp <= 0xDFFF) continue;
        ASSERT_NO_FATAL_FAILURE(CheckBounds(Utf8(cp), &cells)) << std::hex << cp;
    }
    std::mt19937 rng(11);
    for (int i = 0; i < 20000; i++) {
        std::string row(1 + rng() % 60, ' ');
        for (char &c : row) c = static_cast<char>(rng() % 4 ? 1 + rng() % 255 : 0x80 + rng() % 0x40);
        ASSERT_NO_FATAL_FAILURE(CheckBounds(row, &cells));
        bool sequence = false;
        for (size_t k = 0; k + 1 < row.size(); k++) {
            unsigned char a = static_cast<unsigned char>(row[k]), b = static_cast<unsigned char>(row[k + 1]);
            sequence = sequence || (a >= 0xC2 && a <= 0xF4 && b >= 0x80 && b <= 0xBF);
        }
        if (!sequence) {
            ASSERT_EQ(cells, row);
        }
    }
}

}  // namespace
