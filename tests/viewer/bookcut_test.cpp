// bookcut_test.cpp: the book view's rows: which line feeds join, over a
// table of the texts a reader meets, and the rows themselves against the
// model in bookmodel.h, from the start and from every row start, whatever
// the block.
#include <random>

#include "bookmodel.h"
#include "viewertest.h"

using namespace testutil;

namespace {

const char *const kRussian =
    "Утро медленно поднималось над крышами маленького города, и к тому времени, когда пекарь "
    "открыл ставни, вся улица пахла хлебом и мокрым камнем. Никто в доме на другой стороне "
    "площади не спал спокойно; письмо, пришедшее накануне вечером, лежало нераспечатанным на "
    "столе в передней, и каждый, кто проходил мимо, смотрел на него и шёл дальше.";
const char *const kGerman =
    "Der Morgen kam langsam über die Dächer der kleinen Stadt, und als der Bäcker seine Läden "
    "öffnete, roch die ganze Straße nach Brot und nassem Stein. Niemand im Haus gegenüber hatte "
    "gut geschlafen; der Brief, der am Abend zuvor gekommen war, lag ungeöffnet auf dem Tisch im "
    "Flur, und jeder, der vorüberging, sah ihn an und ging weiter. Süße Grüße, schrieb sie später.";

struct BookCase {
    const char *name;
    BookText book;
    int wrap;          // the width WrapWidth finds
    bool plain_rows;   // the rows are the plain view's lines
};

void PrintTo(const BookCase &c, std::ostream *os) { *os << c.name; }

std::string Rep(const std::string &s, int n) {
    std::string out;
    while (n-- > 0) out += s;
    return out;
}

std::vector<BookCase> BookCases() {
    BookText list = Narration(70, "\n", 1);
    list.Line("What was in the trunk:")
        .Line("1. a coat of grey wool, too warm for the season and too old to sell")
        .Line("2. three books, one of them without its cover")
        .Line("a) a letter    b) a pen")
        .Line("- and a knife, which nobody could explain");
    // every mark, after a line that a word of one cell would join
    BookText marks = Narration(72);
    for (const char *mark : {"- ", "* ", "+ ", "\xE2\x80\xA2 ", "\xE2\x80\x93 ", "\xE2\x80\x94 ", "\xC2\xB7 ",
                             "\x95 ", "\x96 ", "\x97 "})
        marks.Line(Rep("abcd ", 13) + "abcde").Line(std::string(mark) + "an item, or a line of dialogue");
    BookText quoted = Narration(70, "\n", 1);
    quoted.Para(kNarration[0], 72).Line("    Dear brother, I am well and the weather is fine.")
        .Line("    Do not come; there is nothing here to come for.")
        .Para(kNarration[1], 72);
    BookText verse;
    for (int i = 0; i < 12; i++) verse.Line("The rain came down upon the hill,").Line("  and all the town lay still.");
    BookText code;
    for (int i = 0; i < 10; i++)
        code.Line("static int Count(const char *p, int n, int want)").Line("{").Line("    int found = 0;")
            .Line("    for (int i = 0; i < n; i++) {")
            .Line("        if (p[i] == want && (i == 0 || p[i - 1] != '\\') && found < MAX_FOUND)")
            .Line("            found++;").Line("    }")
            .Line("    return found; /* the caller checks this against the limit it gave */").Line("}");
    BookText long_paras;
    for (int i = 0; i < 12; i++) long_paras.Line(kNarration[i % 3]);
    BookText fits;
    for (int i = 0; i < 30; i++) fits.Line("line " + std::to_string(i) + " of a note that fits on a row");
    BookText tabs;
    tabs.Line("name\tcount\tweight").Line("pears\t12\t3.5 kg").Line("\tindented by a tab, then prose");
    BookText cyrillic, german;
    for (int i = 0; i < 4; i++) cyrillic.Para(kRussian, 70).Line(""), german.Para(kGerman, 72).Line("");
    BookText long_word = Narration(70);
    long_word.Para("see " + Rep("w", 120) + " and the rest of the sentence that follows it here", 70);
    // a row taken by letters up to a CR, by a run of bytes after it, and
    // cut back before its letters of two bytes: the next row has them
    BookText cr_after_letters;
    cr_after_letters.Line("a b" + Rep("\xD0\xB6", 40) + "\r" + Rep("b", 30)).Line("after");
    BookText exact;
    exact.Line(Rep("x", 53)).Line("after").Line(Rep("ab ", 17) + "ab").Line("after").Line(Rep("y", 106));
    return {
        {"ProseAt60", Narration(60), 60, false},
        {"ProseAt70", Narration(70), 70, false},
        {"ProseAt78", Narration(78), 78, false},
        {"ProseAt70Crlf", Narration(70, "\r\n"), 70, false},
        {"NumberedListAfterProse", list, 70, false},
        {"ItemMarksAfterFullLines", marks, 72, false},
        {"IndentedQuotationInProse", quoted, 72, false},
        {"Verse", verse, 0, true},
        {"Code", code, 0, false},
        {"OneLinePerParagraph", long_paras, 0, true},
        {"LinesThatFit", fits, 0, true},
        {"TabsAdvanceToEights", tabs, 0, false},
        // all but a twentieth of its long lines keep to 69
        {"CyrillicAt70", cyrillic, 69, false},
        {"GermanAt72", german, 72, false},
        {"WordLongerThanARow", long_word, 70, false},
        {"LinesOfExactly53", exact, 0, false},
        {"LettersBeforeACrCutBack", cr_after_letters, 0, false},
    };
}

class BookCutTable : public ViewerTest, public ::testing::WithParamInterface<BookCase> {};

TEST_P(BookCutTable, JoinsTheLinesOfParagraphsAndCutsRowsByCells) {
    const BookCase &c = GetParam();
    Pick("book.txt", c.book.text);
    int wrap = WrapWidth(filename);
    ASSERT_EQ(wrap, c.wrap);
    std::vector<BookRowModel> rows = BookRows(filename, wrap);
    // the model, told which line feeds are inside a paragraph, cuts the
    // same rows: no byte is lost or added, and those breaks alone go
    EXPECT_EQ(FirstRowApart(rows, BookModelRows(c.book.text, c.book.Joins())), "");
    for (size_t i = 0; i < rows.size(); i++) {
        SCOPED_TRACE(::testing::PrintToString(rows[i]));
        int cells = DrawnCells(rows[i].drawn);
        bool at_break = c.book.text[rows[i].next - 1] == ' ' || c.book.joins.count(rows[i].next - 1);
        EXPECT_LE(cells, at_break ? TEXT_COLS - 1 : TEXT_COLS);
        // a row that flows on was cut because the next word did not fit
        if (at_break && i + 1 < rows.size()) {
            std::string next = rows[i + 1].drawn.substr(0, rows[i + 1].drawn.find(' '));
            EXPECT_GT(cells + 1 + DrawnCells(next), TEXT_COLS - 1);
        }
    }
    if (c.plain_rows) {
        std::vector<std::string> plain;
        for (const ModelLine &m : ModelLines(c.book.text)) plain.push_back(m.str);
        std::vector<std::string> book;
        for (const BookRowModel &r : rows) book.push_back(r.drawn);
        EXPECT_EQ(book, plain);
    }
    EXPECT_EQ(BookCutFault(filename, c.book.text, wrap), "");
}

INSTANTIATE_TEST_SUITE_P(Texts, BookCutTable, ::testing::ValuesIn(BookCases()),
                         [](const ::testing::TestParamInfo<BookCase> &info) { return info.param.name; });

// Texts built to hit the cut's corners: every kind of byte the letters
// know, tabs, CR runs past a block, lines of every length around the wrap
// width and past JOIN_LINE_MAX, of Latin letters or of Cyrillic ones,
// list marks and indents after wrapped lines, marks that draw nothing
// beyond a row's bytes, letters of two bytes cut in two.
std::string GeneratedBook(std::mt19937 &rng, int pieces) {
    static const char *const bits[] = {
        "\xD0\x96\xD1\x91\xD0\xBB\xD1\x82\xD1\x8B\xD0\xB9 ", "caf\xC3\xA9 ", "e\xCC\x81",
        "\xE2\x80\x8B", "\xE2\x80\xA6", "\xF0\x9F\x98\x80", "\xEF\xBB\xBF", "\t", "a\tb ", "a b\tzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzz",
        "\x92\x93\x94\x97 ", "- item\n", "  indented\n", "12) x\n", "\n", "   \n", "\r\n",
        "\xE2\x82", "\xC0\xAF", "\xD0", "\xD0\xB6\xBF", "\xCD\xB5 ",
    };
    // what follows a line about as wide as a row
    static const char *const ends[] = {"\n", "\r\n", " b\n", "\xCC\x81\n", "\r\r\n", "\t\n"};
    std::string text;
    auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
    for (int i = 0; i < pieces; i++) {
        switch (pick(10)) {
        case 0: text += std::string(1 + pick(3000), '\r'); break;
        case 1: text += std::string(50 + pick(6), 'a') + ends[pick(sizeof ends / sizeof ends[0])]; break;
        case 2: text += BookText().Para(kNarration[pick(3)], 55 + pick(26), pick(3) ? "\n" : "\r\n").text; break;
        case 3: text += Rep(kNarration[0], 3) + "\n"; break;
        case 4: text += Rep("e\xCC\x81\xCC\x81", 100 + pick(200)); break;
        case 5: text += Rep("\xD0\xB6", 50 + pick(6)) + ends[pick(sizeof ends / sizeof ends[0])]; break;
        case 6: text += BookText().Para(kRussian, 55 + pick(26), pick(3) ? "\n" : "\r\n").text; break;
        default: text += bits[pick(sizeof bits / sizeof bits[0])]; break;
        }
    }
    return text;
}

class GeneratedBooks : public ViewerTest {};

TEST_F(GeneratedBooks, RowsAreTheModelsWhateverTheBlockAndTheStart) {
    std::mt19937 rng(2112);
    for (int t = 0; t < 24; t++) {
        std::string text = GeneratedBook(rng, 1 + t * 6);
        if (t % 8 == 7) text = Rep(text, 65536 / (text.size() + 1) + 2);  // past a measuring block
        Pick("g.txt", text);
        for (int wrap : {0, 60, 72}) ASSERT_EQ(BookCutFault(filename, text, wrap), "") << "text " << t << " wrap " << wrap;
    }
}

// Lines of exactly one width in cells, made of every kind of letter the
// width counts (bytes of one cell from every alignment, letters of two
// bytes, a Latin-1 byte alone, marks that draw nothing, letters of three
// and four bytes, look-alikes of more cells, control bytes, CRs), give
// that width; wider than WRAP_MAX_COLS, none.
TEST_F(GeneratedBooks, WrapWidthCountsTheCellsOfEveryKindOfLetter) {
    static const char *const pieces[] = {
        "word", " ", "\xD0\xB6\xD1\x8F", "\xE9", "e\xCC\x81", "\xE2\x80\x94", "\xE2\x80\xA6",
        "\x7F", "\x0B", "\xC3\xA9", "\r", "\xF0\x9F\x98\x80", "\xCD\xB5",
    };
    // cells as the drawing step counts them, but a CR none
    auto cells = [](const std::string &s) {
        int total = 0, c;
        for (size_t i = 0; i < s.size(); total += c) {
            bool cr = s[i] == '\r';
            i += size_t(Letter(s, i, &c));
            c = cr ? 0 : c;
        }
        return total;
    };
    std::mt19937 rng(7);
    for (int width : {int(TEXT_COLS) + 1, 66, 72, 100, int(WRAP_MAX_COLS), WRAP_MAX_COLS + 1}) {
        std::string text;
        for (int line = 0; line < 24; line++) {
            std::string s(1 + rng() % 9, 'x');
            while (cells(s) < width) {
                std::string more = s + pieces[rng() % (sizeof pieces / sizeof pieces[0])];
                s = cells(more) <= width ? more : s + "x";
            }
            text += s + (line % 3 ? "\n" : "\r\n");
        }
        Pick("w.txt", text);
        EXPECT_EQ(WrapWidth(filename), width <= WRAP_MAX_COLS ? width : 0) << "width " << width;
    }
}

}  // namespace
