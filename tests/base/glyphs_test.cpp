// glyphs_test.cpp: the font cells a row of text is drawn with: UTF-8
// letters from their own cells on the sheet that ships, Latin-1 cells and
// look-alikes on a sheet of one row, Windows-1252 punctuation for the
// bytes 0x80..0x9F, every byte of anything else as its own cell, and the
// bounds the callers rely on.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "glyphs.h"
#include "letters.h"
#include "tomo.h"

namespace {

using testutil::Utf8;

std::vector<FontCell> Cells(const std::string &row, int count, int sheet_cells) {
    std::vector<FontCell> cells(row.size() + 1, 0x7f);
    cells.resize(static_cast<size_t>(TextToCells(row.c_str(), count, cells.data(), sheet_cells)));
    return cells;
}

// The cells drawn from a sheet of one row, as the bytes they are.
std::string OneRow(const std::string &row, int count) {
    std::string bytes;
    for (FontCell c : Cells(row, count, FONT_CELLS)) bytes += static_cast<char>(c < FONT_CELLS ? c : 0);
    return bytes;
}

// The code point whose glyph the table puts in cell, -1 for none.
long CodePointIn(int cell) {
    for (int i = 0; i < glyph_run_count; i++)
        if (cell >= glyph_runs[i].cell && cell <= glyph_runs[i].cell + glyph_runs[i].last - glyph_runs[i].first)
            return glyph_runs[i].first + cell - glyph_runs[i].cell;
    return -1;
}

// The cells drawn from the sheet that ships, as the letters they show: a
// cell of the first row as its Latin-1 letter (or C1 control), one below
// it as the code point the table puts there.
std::string Shipped(const std::string &row, int count) {
    std::string letters;
    for (FontCell c : Cells(row, count, FONT_MAX_CELLS)) letters += Utf8(c < FONT_CELLS ? c : CodePointIn(c));
    return letters;
}

struct CellCase {
    const char *what;
    std::string row;           // the bytes of the row (UTF-8 unless said otherwise)
    std::string cells;         // the cells drawn from a sheet of one row
    int count = -1;            // the bytes it may read; -1 for the whole row
    const char *shipped = 0;   // the letters drawn from the sheet that ships,
                               // if not those of cells
};

void PrintTo(const CellCase &c, std::ostream *os) { *os << c.what; }

int Count(const CellCase &c) { return c.count < 0 ? static_cast<int>(c.row.size()) : c.count; }

class GlyphTable : public ::testing::TestWithParam<CellCase> {};

TEST_P(GlyphTable, DrawsTheseCells) {
    const CellCase &c = GetParam();
    EXPECT_EQ(OneRow(c.row, Count(c)), c.cells) << c.what << ", a sheet of one row";
    EXPECT_EQ(Shipped(c.row, Count(c)), c.shipped ? c.shipped : testutil::Latin1ToUtf8(c.cells))
        << c.what << ", the sheet that ships";
    // the columns a row cut takes for each letter are the cells drawn for it
    std::string row = c.row.substr(0, c.row.find('\0'));
    int columns = 0;
    for (size_t at = 0; c.count < 0 && at < row.size();) {
        int cells = -1;
        int len = LetterAt(row.c_str() + at, static_cast<int>(row.size() - at), &cells);
        ASSERT_GE(len, 1);
        ASSERT_GE(cells, 0);
        at += static_cast<size_t>(len);
        columns += cells;
    }
    if (c.count < 0) {
        EXPECT_EQ(columns, static_cast<int>(Cells(row, static_cast<int>(row.size()), FONT_MAX_CELLS).size()));
    }
}

const CellCase kCases[] = {
    {"ascii", "Hello, world! ~{}|", "Hello, world! ~{}|"},
    {"latin-1 letters", "Universitätsplatz, Hände, Gespräch, ÿ ß",
     "Universit\xE4tsplatz, H\xE4nde, Gespr\xE4" "ch, \xFF \xDF"},
    {"no-break space and the latin-1 signs", "a\u00A0b ¿¡ «»", "a\xA0" "b \xBF\xA1 \xAB\xBB"},
    {"C1 controls keep their cells", "\u0080\u0085\u009F", "\x80\x85\x9F"},
    {"single quotes and primes", "‘a’ ‚b‛ 5′", "'a' 'b' 5'", -1, "‘a’ ‚b‛ 5′"},
    {"double quotes and double primes", "“a” „b‟ 5″", "\"a\" \"b\" 5\"", -1, "“a” „b‟ 5″"},
    {"dashes and minus", "a‐b‑c‒d–e—f―g−h", "a-b-c-d-e-f-g-h", -1, "a‐b‑c‒d–e—f―g−h"},
    {"ellipsis", "wait…", "wait...", -1, "wait…"},
    {"bullets", "• ‣ ∙ ● ◦", "\xB7 \xB7 \xB7 \xB7 \xB7", -1, "• ‣ ∙ ● ◦"},
    {"spaces", "a\u2002b\u2009c\u200Ad\u202Fe\u205Ff\u3000g", "a b c d e f g"},
    {"latin extended-A", "Łódź, čřő, Ĳssel", "L\xF3" "dz, cro, IJssel", -1, "Łódź, čřő, Ĳssel"},
    {"latin extended-B", "ș ț ǖ Ǿ ǅ", "s t \xFC \xD8 Dz", -1, "ș ț ǖ Ǿ ǅ"},
    {"oe ligatures", "Œuvre, sœur", "OEuvre, soeur", -1, "Œuvre, sœur"},
    {"extended letters without a look-alike", "Ƿ Ə", "? ?", -1, "Ƿ Ə"},
    {"first and last extended letter, the last not in the font", "\u0100\u024F", "Ay", -1, "Āy"},
    {"byte-order mark draws nothing", "\uFEFFHello\uFEFF", "Hello"},
    {"invisible format characters draw nothing", "a\u200Bb\u200Dc\u200Ed\u2060e\uFE0F", "abcde"},
    {"separators and embeddings are not glyphs", "a\u2028b\u202Ac\u202Fd\u205Fe", "a bc d e"},
    {"combining marks on a latin-1 letter", "Cafe\u0301 A\u030Angstro\u0308m n\u0303", "Caf\xE9 \xC5ngstr\xF6m \xF1"},
    {"other combining marks are dropped", "x\u0301 \u0301a \u00E9\u0301 s\u030C", "x a \xE9 s"},
    {"combining marks beyond U+036F are not glyphs", "a\u20D7 \u0416\u0483", "a? ??", -1, "a\uFFFD Ж\uFFFD"},
    {"euro sign", "5 €", "5 ?", -1, "5 €"},
    {"cyrillic", "Война и мир, Ёлка, Ѣ Ґ Ә", "????? ? ???, ????, ? ? ?", -1, "Война и мир, Ёлка, Ѣ Ґ Ә"},
    {"greek, polytonic too", "Ἐν ἀρχῇ ἦν ὁ λόγος, ΑΩ", "?? ???? ?? ? ?????, ??", -1, "Ἐν ἀρχῇ ἦν ὁ λόγος, ΑΩ"},
    {"armenian and georgian", "Հայերեն ქართული", "??????? ???????", -1, "Հայերեն ქართული"},
    {"vietnamese", "Tiếng Việt", "Ti?ng Vi?t", -1, "Tiếng Việt"},
    {"box drawing, arrows, maths", "┌─┐ → ≤ ∞ ⌘ ░ ⠿", "??? ? ? ? ? ? ?", -1, "┌─┐ → ≤ ∞ ⌘ ░ ⠿"},
    {"sub- and superscripts, ligatures, symbols", "x² H₂O ﬁ ™ ½ ‰", "x\xB2 H?O ? ? \xBD ?", -1, "x² H₂O ﬁ ™ ½ ‰"},
    {"right-to-left scripts, CJK and emoji keep the placeholder", "שלום سلام 日本 😀",
     "???? ???? ?? ?", -1, "\uFFFD\uFFFD\uFFFD\uFFFD \uFFFD\uFFFD\uFFFD\uFFFD \uFFFD\uFFFD \uFFFD"},
    {"placeholders", "\uFFFD \U0010FFFF \u0530 \u2FFF", "? ? ? ?", -1, "\uFFFD \uFFFD \uFFFD \uFFFD"},
    {"latin-1 text", "Le c\xE9l\xE8" "bre na\xEFvet\xE9 du gar\xE7on, \xAB d\xE9j\xE0 vu \xBB \xC0 \xFF",
     "Le c\xE9l\xE8" "bre na\xEFvet\xE9 du gar\xE7on, \xAB d\xE9j\xE0 vu \xBB \xC0 \xFF"},
    {"windows-1252 punctuation", "\x93Well, Prince\x94 \x97 don\x92t \x85 \x91tis", "\x93Well, Prince\x94 \x97 don\x92t \x85 \x91tis",
     -1, "“Well, Prince” — don’t … ‘tis"},
    {"every windows-1252 byte, the undefined ones blank",
     "\x80\x81\x82\x83\x84\x85\x86\x87\x88\x89\x8A\x8B\x8C\x8D\x8E\x8F\x90\x91\x92\x93\x94\x95\x96\x97\x98\x99\x9A\x9B\x9C\x9D\x9E\x9F",
     "\x80\x81\x82\x83\x84\x85\x86\x87\x88\x89\x8A\x8B\x8C\x8D\x8E\x8F\x90\x91\x92\x93\x94\x95\x96\x97\x98\x99\x9A\x9B\x9C\x9D\x9E\x9F",
     -1, "€\u0081‚ƒ„…†‡ˆ‰Š‹Œ\u008DŽ\u008F\u0090‘’“”•–—˜™š›œ\u009DžŸ"},
    {"windows-1252 beside latin-1", "caf\xE9 \x96 na\xEFve \x80" "5", "caf\xE9 \x96 na\xEFve \x80" "5", -1, "café – naïve €5"},
    {"a windows-1252 byte after a lead byte is a letter", "\xC3\x93 \xC5\x92", "\xD3 OE", -1, "Ó Œ"},
    {"overlong forms are bytes", "\xC0\x80 \xC1\xBF \xE0\x80\x80 \xE0\x9F\xBF \xF0\x80\x80\x80 \xF0\x8F\xBF\xBF",
     "\xC0\x80 \xC1\xBF \xE0\x80\x80 \xE0\x9F\xBF \xF0\x80\x80\x80 \xF0\x8F\xBF\xBF", -1,
     "À€ Á¿ à€€ àŸ¿ ð€€€ ð\u008F¿¿"},
    {"surrogates are bytes", "\xED\xA0\x80 \xED\xBF\xBF", "\xED\xA0\x80 \xED\xBF\xBF", -1, "í\u00A0€ í¿¿"},
    {"past U+10FFFF is bytes", "\xF4\x90\x80\x80 \xF5\x80\x80\x80 \xFF\xFE", "\xF4\x90\x80\x80 \xF5\x80\x80\x80 \xFF\xFE",
     -1, "ô\u0090€€ õ€€€ ÿþ"},
    {"lone continuation bytes", "\x80\xBF" "a\xA9", "\x80\xBF" "a\xA9", -1, "€¿a©"},
    {"a lead byte before a non-continuation", "\xC3" "a \xE2\x80" "b", "\xC3" "a \xE2\x80" "b", -1, "Ãa â€b"},
    {"sequences cut at the row's end", "a\xC3", "a\xC3"},
    {"three-byte cut after two", "a\xE2\x80", "a\xE2\x80", -1, "aâ€"},
    {"four-byte cut after three", "a\xF0\x9F\x98", "a\xF0\x9F\x98", -1, "aðŸ˜"},
    {"a letter cut by the count is its lead byte", "\xC3\xA4", "\xC3", 1},
    {"an ellipsis cut by the count", "\xE2\x80\xA6", "\xE2\x80", 2, "â€"},
    {"the NUL ends the row inside a letter", std::string("\xC3\0\xA4", 3), "\xC3"},
    {"the NUL ends the row", std::string("ab\0cd", 5), "ab"},
};

INSTANTIATE_TEST_SUITE_P(Rows, GlyphTable, ::testing::ValuesIn(kCases));

TEST(Glyphs, NoBytesNoCells) {
    FontCell untouched = 'x';
    EXPECT_EQ(TextToCells(nullptr, 0, &untouched, FONT_MAX_CELLS), 0);
    EXPECT_EQ(TextToCells(nullptr, -3, &untouched, FONT_MAX_CELLS), 0);
    EXPECT_EQ(untouched, 'x');
}

// Never more cells than bytes, never cell 0, never a cell that the sheet
// does not hold (the first row it always has), nothing written past the
// cells returned.
void CheckBounds(const std::string &row, int sheet_cells, std::vector<FontCell> *drawn) {
    std::vector<FontCell> cells(row.size() + 8, 0x7f);
    int n = TextToCells(row.data(), static_cast<int>(row.size()), cells.data(), sheet_cells);
    ASSERT_GE(n, 0);
    ASSERT_LE(static_cast<size_t>(n), row.size());
    for (int i = 0; i < n; i++) {
        ASSERT_NE(cells[static_cast<size_t>(i)], 0);
        ASSERT_LT(cells[static_cast<size_t>(i)], std::max(sheet_cells, static_cast<int>(FONT_CELLS)));
    }
    for (size_t i = static_cast<size_t>(n); i < cells.size(); i++) ASSERT_EQ(cells[i], 0x7f);
    cells.resize(static_cast<size_t>(n));
    *drawn = cells;
}

// Sheets of one row, of two (cells up to 511), and the one that ships.
const int kSheets[] = {FONT_CELLS, 2 * FONT_CELLS, FONT_MAX_CELLS};

// The bounds for every code point and for random rows; and a row in which
// no lead byte is followed by a continuation byte holds no UTF-8 sequence,
// so it is drawn byte for byte on a sheet of one row, and with no more
// cells than bytes on the others.
TEST(Glyphs, NeverMoreCellsThanBytesNorOneBeyondTheSheet) {
    std::vector<FontCell> cells;
    for (int sheet : kSheets) {
        for (long cp = 0x80; cp <= 0x10FFFF; cp++) {
            if (cp >= 0xD800 && cp <= 0xDFFF) continue;
            ASSERT_NO_FATAL_FAILURE(CheckBounds(Utf8(cp), sheet, &cells)) << std::hex << cp << " " << sheet;
        }
    }
    std::mt19937 rng(11);
    for (int i = 0; i < 20000; i++) {
        std::string row(1 + rng() % 60, ' ');
        for (char &c : row) c = static_cast<char>(rng() % 4 ? 1 + rng() % 255 : 0x80 + rng() % 0x40);
        bool sequence = false;
        for (size_t k = 0; k + 1 < row.size(); k++) {
            unsigned char a = static_cast<unsigned char>(row[k]), b = static_cast<unsigned char>(row[k + 1]);
            sequence = sequence || (a >= 0xC2 && a <= 0xF4 && b >= 0x80 && b <= 0xBF);
        }
        for (int sheet : kSheets) {
            ASSERT_NO_FATAL_FAILURE(CheckBounds(row, sheet, &cells));
            if (!sequence) {
                ASSERT_EQ(cells.size(), row.size());
            }
        }
        if (!sequence) {
            ASSERT_EQ(OneRow(row, static_cast<int>(row.size())), row);
        }
    }
}

}  // namespace
