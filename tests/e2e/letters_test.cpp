// letters_test.cpp: reading texts in other alphabets on the real program
// with the sheet that ships: a Russian novel, a Greek epic and a Windows
// text with its curly punctuation, found by Cyrillic and Greek names in a
// Cyrillic folder, every cell compared with the glyph of the font itself;
// and the same texts from a sheet of one row, drawn as they always were.
#include <gtest/gtest.h>

#include "session.h"

namespace {

using namespace e2e;

const char kRussian[] =
    "Все счастливые семьи похожи друг на друга, каждая несчастливая семья "
    "несчастлива по-своему.\n\n"
    "Всё смешалось в доме Облонских. Жена узнала, что муж был в связи с бывшею "
    "в их доме француженкою-гувернанткой, и объявила мужу, что не может жить "
    "с ним в одном доме.\n\n"
    "«Ёлка», Ѣ ѣ, Ґ ґ, Є є, Ї ї, Ў ў, Ә ә — № 5.\n";

const char kGreek[] =
    "Ἄνδρα μοι ἔννεπε, Μοῦσα, πολύτροπον, ὃς μάλα πολλὰ\n"
    "πλάγχθη, ἐπεὶ Τροίης ἱερὸν πτολίεθρον ἔπερσε\u0387\n"
    "Η Οδύσσεια είναι το δεύτερο έπος του Ομήρου.\n"
    "ΑΒΓΔΕΖΗΘΙΚΛΜΝΞΟΠΡΣΤΥΦΧΨΩ αβγδεζηθικλμνξοπρστυφχψως ῥ ᾳ ᾧ\n";

// The opening of Anna Karenina as it is commonly found, in Windows-1252
// (its quotes and dashes in 0x91..0x97), and a line of every byte
// 0x80..0x9F.
std::string WindowsText() {
    std::string text =
        "Happy families are all alike; every unhappy family is unhappy in its\n"
        "own way.\n\n"
        "Everything was in confusion in the Oblonskys\x92 house. The wife had\n"
        "discovered that the husband was carrying on an intrigue with a French\n"
        "girl, who had been a governess in their family. \x91Well, well!\x92 he\n"
        "said\x97" "and there was no help for it, in the caf\xE9 or at home.\n";
    for (int b = 0x80; b < 0xA0; b++) text += std::string(1, static_cast<char>(b)) + (b % 16 == 15 ? ".\n" : " ");
    return text;
}

// The characters Windows-1252 puts in the bytes 0x80..0x9F; 0 where none.
const long kWindows1252[32] = {
    0x20AC, 0, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0, 0x017D, 0,
    0, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0, 0x017E, 0x0178,
};

// The letters that the bytes of a Windows-1252 text stand for; the
// undefined ones show blank.
std::string FromWindows1252(const std::string &bytes) {
    std::string utf8;
    for (char c : bytes) {
        unsigned char b = static_cast<unsigned char>(c);
        utf8 += b < 0x80 || b >= 0xA0 ? Utf8(b) : kWindows1252[b - 0x80] ? Utf8(kWindows1252[b - 0x80]) : " ";
    }
    return utf8;
}

// The first page of a text: its first 15 wrapped lines, each decoded by
// `letters`, over the position line.
std::vector<std::string> FirstPage(const std::string &text, std::string (*letters)(const std::string &) = nullptr) {
    std::vector<ModelLine> lines = ModelLines(text);
    std::vector<std::string> rows;
    for (const ModelLine &m : lines) rows.push_back(letters ? letters(m.str) : m.str);
    return Page(rows, Position(1, static_cast<long long>(lines.size())));
}

using Letters = SessionTest;

// The list: "..", anna-karenina.txt, simplefont.tga, then the Greek name
// (0xCE..) before the Cyrillic one (0xD0..).
TEST_F(Letters, ReadsRussianGreekAndWindowsTextsFromTheirOwnGlyphs) {
    const std::string folder = "Книги";
    session.StartIn(folder);
    session.File(folder + "/Анна Каренина.txt", kRussian);
    session.File(folder + "/Οδύσσεια.txt", kGreek);
    session.File(folder + "/anna-karenina.txt", WindowsText());
    Script s;
    s.Shot("list");
    Open(s, 4, "", "russian").Tap(kA);
    Open(s, 3, "", "greek").Tap(kA);
    Open(s, 1, "", "windows").Tap(kA).Tap(kA);

    PlayToMenu(s);

    std::vector<std::string> list =
        ListScreen(session.Start(), {Entry("..", true), Entry("anna-karenina.txt"), Entry("simplefont.tga"),
                                     Entry("Οδύσσεια.txt"), Entry("Анна Каренина.txt")});
    EXPECT_EQ(session.Letters("list", list), list);
    std::vector<std::string> russian = FirstPage(kRussian);
    EXPECT_EQ(russian[5], "Всё смешалось в доме") << "rows of two-byte letters end early";
    EXPECT_EQ(session.Letters("russian", russian), russian);
    std::vector<std::string> greek = FirstPage(kGreek);
    EXPECT_EQ(session.Letters("greek", greek), greek);
    std::vector<std::string> windows = FirstPage(WindowsText(), FromWindows1252);
    EXPECT_EQ(windows[4], "Everything was in confusion in the Oblonskys’ house.");
    EXPECT_EQ(session.Letters("windows", windows), windows);
}

// A reader's own sheet of one row of 256 cells (the first row of the sheet
// that ships: its height says 13, so the loader stops there) draws every
// letter as it always did: Cyrillic as the placeholder, dashes as hyphens,
// and the Windows bytes as the blank cells of Latin-1's control codes.
TEST_F(Letters, ASheetOfOneRowDrawsTheLettersAsItAlwaysDid) {
    std::string sheet = ReadFile(TOMO_FONT);
    ASSERT_GT(sheet.size(), 18u);
    sheet[14] = 13;
    sheet[15] = 0;
    session.File("simplefont.tga", sheet);
    session.File("text", "Война и мир — «роман», № 5\ndon\x92t \x97 caf\xE9 \x85 \x93quoted\x94\n");
    Script s;
    Open(s, 2, "", "page").Tap(kA).Tap(kA);
    Options opt;
    opt.font = false;

    Outcome run = PlayToMenu(s, opt);

    EXPECT_EQ(run.err, "");
    EXPECT_EQ(session.Rows("page"), Page({"????? ? ??? - \xAB?????\xBB, ? 5", "don t   caf\xE9    quoted"},
                                         "On line 1 of 2 (50%)"));
}

}  // namespace
