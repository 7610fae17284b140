// hostile_test.cpp: damaged and hostile inputs on the real program, through
// the console stand-in: broken font sheets, index files that lie, an index
// write that fails half-way, texts that are no texts, and odd folders. The
// program must report what it reports and run on, never crash or hang, and
// never show a wrong position without measuring again.
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <thread>

#include "indexcases.h"
#include "session.h"
#include "tgafile.h"

namespace {

using namespace e2e;

using Hostile = SessionTest;

// ---- Font sheets ------------------------------------------------------------

// Every sheet the loader refuses, and sheets it takes in part; each time the
// list, then the text and back: every drawing path with that sheet.
TEST_F(Hostile, BrokenFontSheetsAreReportedAndTheProgramRunsOn) {
    const std::string font = ReadFile(TOMO_FONT);
    const Px black{0, 0, 0, 0};
    std::vector<RefusedSheet> all = RefusedSheets();
    all.insert(all.end(), {
        {"6 by 65535, one packet", Tga{6, 65535, 32, 0x00}.Header() + RunPacket(100, black, 32), ""},
        {"width 0", Tga{0, 13}.Header() + RunPacket(5, black, 32), ""},
        {"height 0", Tga{1536, 0, 24}.Header(), ""},
        {"cut in the header", font.substr(0, 11), "LoadTargaImage: could not read the header of ./simplefont.tga\n"},
        {"cut in the packets", font.substr(0, font.size() / 2), ""},
        {"cut in a pixel value", Tga{8, 8}.Header() + "\x83\x01\x02", ""},
    });
    Options opt;
    opt.font = false;
    session.File("note.txt", "hello\n");
    for (const RefusedSheet &c : all) {
        SCOPED_TRACE(c.what + ": " + c.err);
        session.File("simplefont.tga", c.bytes);
        Outcome run = PlayToMenu(Script().Tap(kStickDown).Tap(kB).Tap(kX).Tap(kA).Tap(kA), opt);
        EXPECT_EQ(run.err, c.err);
        EXPECT_EQ(run.Listings().size(), 2u);
    }
}

// ---- Index files ------------------------------------------------------------

// The list is "..", book.txt, simplefont.tga. After the moves the page is
// back at line 0: a text measured again has the right index there, and
// of an index used as it is only the saved line may have changed.
class LyingIndexFiles : public SessionTest, public ::testing::WithParamInterface<LyingIndex> {};

TEST_P(LyingIndexFiles, AreMeasuredAgainOrUsedWithoutHarm) {
    const LyingIndex &c = GetParam();
    const std::string text = LiedAboutText();
    session.File("book.txt", text);
    session.File(".book.txt.tomo", c.bytes);
    Script s;
    Open(s, 1, "", "page");
    s.Tap(kStickDown).Tap(kR).Tap(kL).Tap(kStickRight).Tap(kStickUp).Tap(kStickLeft).Shot("moved");
    s.Tap(kA).Tap(kA);
    PlayToMenu(s);
    const std::vector<int32_t> words = c.measured_again ? ModelIndex(text) : WordsOf(c.bytes);
    EXPECT_EQ(session.Rows("page"),
              Page(LinesFrom(text, words[2 + static_cast<size_t>(c.line)]), Position(c.line + 1, words[1])));
    std::vector<int32_t> now = ReadWords(Index("book.txt"));
    if (c.measured_again) {
        EXPECT_EQ(now, words);
        EXPECT_EQ(session.Rows("moved"), Page(NumberedRows(1, 15), Position(1, kLiedLines)));
    } else {
        ASSERT_EQ(now.size(), words.size());
        EXPECT_TRUE(std::equal(now.begin() + 1, now.end(), words.begin() + 1));
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, LyingIndexFiles, ::testing::ValuesIn(LyingIndexes()));

TEST_F(Hostile, AHugeIndexIsNotReadWholeOnOpen) {
    // a sparse text of 500,000,000 NUL bytes and a sparse index that claims
    // one line per byte: 2 GB, of which the open may read only a few words
    const int32_t size = 500000000;
    session.File("book.txt");
    fs::resize_file(session.Path("book.txt"), static_cast<uintmax_t>(size));
    session.File(".book.txt.tomo", Words({0, size}));
    fs::resize_file(Index("book.txt"), (static_cast<uintmax_t>(size) + 2) * 4);
    {
        std::fstream f(Index("book.txt"), std::ios::in | std::ios::out | std::ios::binary);
        f.seekp((static_cast<std::streamoff>(size) + 2) * 4);
        std::string end = Words({size});
        f.write(end.data(), 4);
    }
    Script s;
    Open(s, 1, "", "page");
    s.Tap(kStickRight).Shot("end").Tap(kA).Tap(kA);
    Outcome run = PlayToMenu(s, Options().Within(30));
    EXPECT_EQ(session.Rows("page")[15], Position(1, size));
    EXPECT_EQ(session.Rows("end")[15], Position(size, size));
    // from B's press to the frame of its page
    int press = run.Index("got press 13 #1");
    ASSERT_GE(press, 0);
    int frame = run.Index("frame", press);
    ASSERT_GT(frame, press);
    EXPECT_LT(run.log[static_cast<size_t>(frame)].ms - run.log[static_cast<size_t>(press)].ms, 2000)
        << run.Summary();
}

TEST_F(Hostile, AnIndexWriteThatFailsHalfWayIsMeasuredAgainOnTheNextVisit) {
    // 20,000 lines: an index of 80,012 bytes, written in two blocks, the
    // line count last; the write fails in the second block, then at the
    // count. The text is read on in memory, and no index is left.
    const int lines = 20000;
    const std::string text = NumberedText(lines);
    const std::vector<std::string> first = Page(NumberedRows(1, 15), Position(1, lines));
    for (long fail_after : {70000L, 80012L}) {
        SCOPED_TRACE("fails after " + std::to_string(fail_after) + " bytes");
        session.File("book.txt", text);
        fs::remove(Index("book.txt"));
        Options opt;
        opt.fail = "write:/.book.txt.tomo.new:" + std::to_string(fail_after);
        Script s;
        Open(s, 1, "", "page").Tap(kR).Tap(kStickRight).Shot("broken_end").Tap(kA).Tap(kA);
        Outcome broken = PlayToMenu(s, opt);
        EXPECT_TRUE(broken.Logged("fault write /.book.txt.tomo.new after " + std::to_string(fail_after)))
            << broken.Summary();
        EXPECT_EQ(session.Rows("page"), first) << "the text is shown all the same";
        EXPECT_EQ(session.Rows("broken_end"), Page(NumberedRows(lines, lines), Position(lines, lines)));
        EXPECT_FALSE(fs::exists(Index("book.txt")));
        EXPECT_FALSE(fs::exists(Index("book.txt") + ".new"));

        Script again;
        Open(again, 1, "", "again").Tap(kStickRight).Shot("end").Tap(kA).Tap(kA);
        PlayToMenu(again);
        EXPECT_EQ(session.Rows("again"), first);
        EXPECT_EQ(session.Rows("end")[0], NumberedRow(lines));
        EXPECT_EQ(ReadWords(Index("book.txt")), ModelIndex(text, lines - 1));
    }
}

// ---- Texts ------------------------------------------------------------------

TEST_F(Hostile, TextsThatAreNoTextsAreCutAndIndexedLikeAnyOther) {
    // entries: "..", a1 .. a5, simplefont.tga
    const std::vector<std::pair<std::string, std::string>> texts = {
        {"a1_program", ReadFile("/bin/ls")},
        {"a2_one_line", std::string(10000000, 'a')},
        {"a3_nul", std::string("ab\0cd\n\0\0\0\n\0 e", 13)},
        {"a4_cr", std::string(1000, '\r')},
        {"a5_spaces", std::string(200, ' ')},
    };
    ASSERT_GT(texts[0].second.size(), 10000u);
    Script s;
    for (size_t i = 0; i < texts.size(); i++) {
        session.File(texts[i].first, texts[i].second);
        Open(s, static_cast<int>(i) + 1, "", texts[i].first);
        s.Tap(kR).Tap(kStickRight).Shot(texts[i].first + "_end").Tap(kA);
    }
    s.Tap(kA);
    PlayToMenu(s, Options().Within(120));
    for (const auto &t : texts) {
        SCOPED_TRACE(t.first);
        const int32_t count = ModelIndex(t.second)[1];
        EXPECT_EQ(ReadWords(Index(t.first)), ModelIndex(t.second, count - 1));
        EXPECT_EQ(session.Rows(t.first)[15], Position(1, count));
        EXPECT_EQ(session.Rows(t.first + "_end")[15], Position(count, count));
    }
    EXPECT_EQ(session.Rows("a2_one_line_end")[0], std::string(10000000 % 53, 'a'));
    EXPECT_EQ(session.Rows("a4_cr"), Page({}, Position(1, 1)));
    EXPECT_EQ(session.Rows("a5_spaces")[0], "") << "53 spaces are cut after the last but one";
}

// ---- Folders -----------------------------------------------------------------

TEST_F(Hostile, OddNamesAreListedOpenedAndLeft) {
    const std::string longest(255, 'n');
    session.File(longest, "the longest name\n");
    session.File("new\nline", "newline\n");
    session.File("\xe9t\xe9\xff", "high bytes\n");
    // sorted by bytes: "..", new\nline, nnn..., simplefont.tga, \xe9t\xe9\xff
    Script s;
    Open(s, 1, "", "newline").Tap(kA);
    Open(s, 2, "", "longest").Tap(kA);
    Open(s, 4, "", "high").Tap(kA);
    s.Tap(kA);
    PlayToMenu(s);
    // ".nnn....tomo" is longer than a name may be: read with the index in memory
    EXPECT_EQ(session.Rows("longest")[0], "the longest name");
    EXPECT_EQ(session.Rows("longest")[15], Position(1, 1));
    EXPECT_EQ(session.Rows("newline")[0], "newline");
    EXPECT_EQ(session.Rows("high")[0], "high bytes");
    EXPECT_TRUE(fs::exists(Index("new\nline")));
    EXPECT_TRUE(fs::exists(Index("\xe9t\xe9\xff")));
}

// A hundred folders deep, the path far past 150 bytes: each is entered on
// the desktop, and the text at the bottom read and indexed there.
TEST_F(Hostile, HundredNestedFoldersAreAllEnteredAndTheTextAtTheBottomRead) {
    std::string rel = "d";
    for (int i = 1; i < 100; i++) rel += "/d";
    const std::string deepest = session.Dir(rel);
    session.File(rel + "/chapter 01.txt", NumberedText(20));
    // each folder lists "..", d; the start folder "..", d, simplefont.tga
    Script s;
    for (int i = 0; i < 100; i++) s.Tap(kStickDown).Tap(kB);
    s.Shot("deepest").Tap(kStickDown).Tap(kB).Shot("page").Tap(kA).Tap(kA);
    flavour = Flavour::Desktop;
    Outcome run = PlayToMenu(s);
    EXPECT_EQ(session.Rows("deepest"), ListScreen(deepest, {Entry("..", true), Entry("chapter 01.txt")}));
    EXPECT_EQ(session.Rows("page"), Page(NumberedRows(1, 15), Position(1, 20)));
    EXPECT_EQ(run.Listings().size(), 102u);
    EXPECT_EQ(run.err, "");
    EXPECT_TRUE(fs::exists(deepest + "/.chapter 01.txt.tomo"));
}

// A working directory that no path can name: an empty list, B goes to the
// root, and standard error says why. (The desktop flavour, which finds its
// font sheet beside itself: no sheet can be put where no path leads.)
TEST_F(Hostile, AStartFolderDeeperThanAPathMayBeIsAnEmptyListWhereBGoesToTheRoot) {
    std::string deep = PathOfLength(session.Root(), PATH_MAX + 100);
    session.StartIn(deep.substr(session.Root().size() + 1));
    Options opt;
    opt.font = false;
    flavour = Flavour::Desktop;
    Outcome run = PlayToMenu(Script().Shot("start").Tap(kStickDown).Tap(kB).Shot("root").Tap(kA), opt);
    EXPECT_EQ(run.err, "tomo: the working directory: path too long\n");
    EXPECT_EQ(session.Rows("start"), ListScreen("", {}));
    EXPECT_EQ(session.Rows("root")[0], "Dir:/");
    EXPECT_EQ(session.Rows("root")[1], Entry("..", true));
}

TEST_F(Hostile, AFileRemovedAfterTheListingIsNotOpened) {
    session.File("gone.txt", "soon gone\n");
    // "..", gone.txt, simplefont.tga; the file goes while the program waits
    std::thread remover([this] {
        std::string shot = session.ShotsDir() + "/listed.bmp";
        for (int i = 0; i < 2000 && !fs::exists(shot); i++) std::this_thread::sleep_for(std::chrono::milliseconds(10));
        fs::remove(session.Path("gone.txt"));
    });
    Outcome run = PlayToMenu(Script().Shot("listed").Wait(500).Tap(kStickDown).Tap(kB).Shot("after_b").Tap(kA));
    remover.join();
    EXPECT_EQ(session.Rows("after_b"), ListScreen(session.Root(), {Entry("gone.txt"), Entry("simplefont.tga")}));
    EXPECT_EQ(run.Listings().size(), 1u);
    EXPECT_FALSE(fs::exists(Index("gone.txt")));
}

TEST_F(Hostile, TwentyThousandEntriesAreListedWhole) {
    testutil::NumberedFiles(session.Dir("big"), "e", 0, 19999, 5);
    Outcome run = PlayToMenu(Script().Tap(kStickDown).Tap(kB).Tap(kStickRight).Shot("last").Tap(kL).Shot("back15")
                           .Tap(kStickUp).Tap(kA), Options().Within(120));
    ASSERT_EQ(run.Listings().size(), 2u);
    EXPECT_EQ(run.Listings()[1].size(), 20001u);
    EXPECT_EQ(session.Rows("last"), ListScreen(session.Path("big"), {Entry("e19999")}));
    EXPECT_EQ(session.Rows("back15")[1], Entry("e19984"));
}

}  // namespace
