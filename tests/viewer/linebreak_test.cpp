// linebreak_test.cpp: the line cut, by GetLine one line per call and by
// the block reader that the page view and the measuring pass use.
#include <random>

#include "viewertest.h"

using namespace testutil;

namespace {

struct Line {
    std::string str;
    int advance;
};

struct CutCase {
    const char *name;
    std::string text;
    std::vector<Line> lines;  // then GetLine returns 0
};

void PrintTo(const CutCase &c, std::ostream *os) { *os << c.name; }

std::string Rep(char c, int n) { return std::string(static_cast<size_t>(n), c); }

std::vector<CutCase> CutCases() {
    std::string spaced = Rep('a', 40) + " " + Rep('b', 12);  // 53 characters
    return {
        {"LfEndsLine", "abc\ndef", {{"abc", 4}, {"def", 3}}},
        {"CrLf", "abc\r\n", {{"abc", 5}}},
        {"CrInsideLineIsDropped", "a\rb\n", {{"ab", 4}}},
        {"LfAlone", "\n", {{"", 1}}},
        {"OneLineThenEnd", "abc\n", {{"abc", 4}}},
        {"EmptyFile", "", {}},
        {"FiftyThreeWithoutSpaceLeavesLf", Rep('x', 53) + "\n", {{Rep('x', 53), 53}, {"", 1}}},
        {"FiftyThreeWithSpacesCutAtLast", spaced + "\n", {{Rep('a', 40), 41}, {Rep('b', 12), 13}}},
        {"LongWordCutHard", Rep('w', 120), {{Rep('w', 53), 53}, {Rep('w', 53), 53}, {Rep('w', 14), 14}}},
        {"SpaceThenLongWord", " " + Rep('w', 60), {{"", 1}, {Rep('w', 53), 53}, {Rep('w', 7), 7}}},
        {"SpaceAtColumn53", Rep('a', 52) + " bc\n", {{Rep('a', 52), 53}, {"bc", 3}}},
        {"LastLineWithoutLfCutAtSpace", "hello world", {{"hello", 6}, {"world", 5}}},
        {"TrailingSpaceAtEnd", "abc ", {{"abc", 4}}},
        {"ControlAndHighBytesAreCharacters", std::string("\t\xc8\0z\n", 5), {{std::string("\t\xc8\0z", 4), 5}}},
        {"CrAloneAtEnd", "abc\n\r", {{"abc", 4}, {"", 1}}},
        {"CrRunInsideLine", "ab" + Rep('\r', 1000) + "c\n", {{"abc", 1004}}},
        {"CrLfRightAfter52", Rep('a', 52) + "\r\n", {{Rep('a', 52), 54}}},
        {"CrLfRightAfter53", Rep('a', 53) + "\r\nz", {{Rep('a', 53), 53}, {"", 2}, {"z", 1}}},
        {"LoneCrDoesNotEndLine", "ab\rcd\n", {{"abcd", 6}}},
        {"CutAtSpaceRereadsCrRunLongerThanBlock",
         "w " + Rep('\r', 3000) + Rep('x', 52) + "\n",
         {{"w", 2}, {Rep('x', 52), 3053}}},
        {"LeadingSpacesKept", "  ab cd\n", {{"  ab cd", 8}}},
    };
}

class CutTable : public ViewerTest, public ::testing::WithParamInterface<CutCase> {};

TEST_P(CutTable, GetLineGivesEachLineAndItsAdvance) {
    const CutCase &c = GetParam();
    Pick("t.txt", c.text);
    cur_offset = 0;
    char str[LINE_BUF_SIZE];
    for (size_t i = 0; i < c.lines.size(); i++) {
        SCOPED_TRACE("line " + std::to_string(i));
        int32_t before = cur_offset;
        memset(str, '#', sizeof str);
        ASSERT_EQ(GetLine(str), 1);
        const std::string &want = c.lines[i].str;
        EXPECT_EQ(std::string(str, want.size()), want);
        EXPECT_EQ(str[want.size()], '\0');
        EXPECT_EQ(cur_offset - before, c.lines[i].advance);
    }
    int32_t end = cur_offset;
    memset(str, '#', sizeof str);
    EXPECT_EQ(GetLine(str), 0);
    EXPECT_EQ(str[0], '\0');
    EXPECT_EQ(cur_offset, end);
    EXPECT_EQ(end, static_cast<int32_t>(c.text.size()));
}

TEST_P(CutTable, ModelAgreesWithTheTable) {
    // keeps the model used by the generated texts below honest
    const CutCase &c = GetParam();
    std::vector<ModelLine> lines = ModelLines(c.text);
    ASSERT_EQ(lines.size(), c.lines.size());
    for (size_t i = 0; i < lines.size(); i++) {
        EXPECT_EQ(lines[i].str, c.lines[i].str);
        EXPECT_EQ(lines[i].next - lines[i].start, static_cast<size_t>(c.lines[i].advance));
    }
}

INSTANTIATE_TEST_SUITE_P(Edges, CutTable, ::testing::ValuesIn(CutCases()),
                         [](const ::testing::TestParamInfo<CutCase> &info) { return info.param.name; });

class GetLineFailure : public ViewerTest {};

TEST_F(GetLineFailure, UnreadableTextEndsWithOffsetKept) {
    struct {
        const char *what;
        bool exists;
        int32_t offset;
    } cases[] = {
        {"missing file", false, 0},
        {"negative offset", true, -5},
        {"offset at the end", true, 4},
        {"offset past the end", true, 100},
        {"folder instead of a file", false, 0},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        Pick("t.txt", "abc\n");
        if (!c.exists) snprintf(filename, sizeof filename, "%s", (dir / "nothing").c_str());
        if (std::string(c.what) == "folder instead of a file")
            snprintf(filename, sizeof filename, "%s", dir.str().c_str());
        cur_offset = c.offset;
        char str[LINE_BUF_SIZE];
        memset(str, '#', sizeof str);
        EXPECT_EQ(GetLine(str), 0);
        EXPECT_EQ(str[0], '\0');
        EXPECT_EQ(cur_offset, c.offset);
    }
}

TEST_F(GetLineFailure, NamedPipeIsNotWaitedOn) {
    ASSERT_EQ(mkfifo((dir / "pipe").c_str(), 0600), 0);
    PickPath(dir.str(), "pipe");
    cur_offset = 0;
    char str[LINE_BUF_SIZE];
    alarm(10);  // a blocking open would end the run here
    EXPECT_EQ(GetLine(str), 0);
    alarm(0);
    EXPECT_EQ(cur_offset, 0);
}

TEST_F(GetLineFailure, StartsAnywhereFromItsOffset) {
    // a recorded offset is a valid start, wherever it came from
    Pick("t.txt", "one two\nthree\n");
    char str[LINE_BUF_SIZE];
    cur_offset = 4;
    ASSERT_EQ(GetLine(str), 1);
    EXPECT_STREQ(str, "two");
    EXPECT_EQ(cur_offset, 8);
}

// Texts built to hit the cut's corners: CR runs, lines of exactly 53,
// spaces at the width, NUL and high bytes, no final LF.
std::string GeneratedText(std::mt19937 &rng, int pieces) {
    std::string text;
    auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
    for (int i = 0; i < pieces; i++) {
        switch (pick(9)) {
        case 0: text += Rep('\r', 1 + pick(3000)); break;
        case 1: text += Rep('a', 53) + "\n"; break;
        case 2: text += Rep('b', 52) + " " + Rep('c', pick(70)); break;
        case 3: text += std::string("\0\xff\x80\t", 4); break;
        case 4: text += "\r\n"; break;
        case 5: text += Rep(' ', 1 + pick(60)); break;
        case 6: text += "\n"; break;
        default: {
            int words = 1 + pick(20);
            for (int w = 0; w < words; w++) {
                text += Rep(static_cast<char>('d' + pick(20)), 1 + pick(14));
                text += pick(6) ? " " : (pick(2) ? "\r" : "\n");
            }
        }
        }
    }
    return text;
}

class GeneratedTexts : public ViewerTest {
protected:
    std::vector<std::string> texts;
    void SetUp() override {
        std::mt19937 rng(20240607);
        for (int i = 0; i < 40; i++) texts.push_back(GeneratedText(rng, 1 + i * 3));
        texts.push_back(Rep('\r', 70000) + "x y");        // CR run past a measuring block
        texts.push_back(Rep('q', 65536 * 2 + 17));         // words cut across blocks
        texts.push_back("tail without lf " + Rep('z', 40));
    }
};

TEST_F(GeneratedTexts, GetLineMatchesTheModel) {
    for (size_t t = 0; t < texts.size(); t++) {
        SCOPED_TRACE("text " + std::to_string(t));
        Pick("g.txt", texts[t]);
        cur_offset = 0;
        char str[LINE_BUF_SIZE];
        for (const ModelLine &m : ModelLines(texts[t])) {
            ASSERT_EQ(GetLine(str), 1);
            ASSERT_EQ(std::string(str, m.str.size()), m.str) << "at " << m.start;
            ASSERT_EQ(str[m.str.size()], '\0');
            ASSERT_EQ(cur_offset, static_cast<int32_t>(m.next)) << "at " << m.start;
        }
        EXPECT_EQ(GetLine(str), 0);
    }
}

TEST_F(GeneratedTexts, BlockReaderMatchesTheModelForEveryBlockSize) {
    // the sizes cover a block smaller than one line, exactly one line, and
    // the page and measuring blocks
    const int caps[] = {1, 2, 7, 52, 53, 54, 60, 200, PAGE_BLOCK_SIZE, MEASURE_BLOCK_SIZE};
    std::vector<char> block(MEASURE_BLOCK_SIZE);
    for (size_t t = 0; t < texts.size(); t++) {
        Pick("g.txt", texts[t]);
        std::vector<ModelLine> want = ModelLines(texts[t]);
        for (int cap : caps) {
            for (bool with_str : {true, false}) {
                SCOPED_TRACE("text " + std::to_string(t) + " block " + std::to_string(cap));
                LineReader r;
                ASSERT_TRUE(OpenLineReader(&r, filename, 0, block.data(), cap));
                char str[LINE_BUF_SIZE];
                for (const ModelLine &m : want) {
                    ASSERT_EQ(ReadWrappedLine(&r, with_str ? str : nullptr), 1);
                    if (with_str) {
                        ASSERT_EQ(std::string(str, m.str.size() + 1), m.str + std::string(1, 0));
                    }
                    ASSERT_EQ(LineReaderOffset(&r), static_cast<int64_t>(m.next));
                }
                EXPECT_EQ(ReadWrappedLine(&r, str), 0);
                EXPECT_EQ(LineReaderOffset(&r), static_cast<int64_t>(texts[t].size()));
                CloseLineReader(&r);
            }
        }
    }
}

TEST_F(GeneratedTexts, MeasuringKeepsTheOffsetsOfRepeatedGetLine) {
    for (size_t t = 0; t < texts.size(); t++) {
        SCOPED_TRACE("text " + std::to_string(t));
        Pick("g" + std::to_string(t) + ".txt", texts[t]);
        std::vector<int32_t> words{0, 0, 0};
        cur_offset = 0;
        char str[LINE_BUF_SIZE];
        while (GetLine(str)) words.push_back(cur_offset);
        words[1] = static_cast<int32_t>(words.size() - 3);
        Load();
        EXPECT_EQ(ReadWords(IndexPath()), words);
        EXPECT_EQ(num_lines, words[1]);
    }
}

TEST_F(GeneratedTexts, ReaderStartsAtAnyRecordedOffset) {
    const std::string &text = texts[30];
    Pick("g.txt", text);
    std::vector<char> block(PAGE_BLOCK_SIZE);
    for (const ModelLine &m : ModelLines(text)) {
        LineReader r;
        ASSERT_TRUE(OpenLineReader(&r, filename, static_cast<int64_t>(m.start), block.data(), PAGE_BLOCK_SIZE));
        char str[LINE_BUF_SIZE];
        ASSERT_EQ(ReadWrappedLine(&r, str), 1);
        EXPECT_EQ(std::string(str, m.str.size()), m.str);
        CloseLineReader(&r);
    }
}

// Every line end that ReadLineEnds gives, in batches of `batch`, through a
// reader with a block of `cap` bytes. The block starts out all LF, so that
// a look at a byte past what was read shows as a wrong cut.
std::vector<int64_t> EndsInBatches(const char *path, int cap, int batch) {
    std::vector<char> block(static_cast<size_t>(cap), '\n');
    std::vector<int64_t> all, ends(static_cast<size_t>(batch));
    LineReader r;
    if (!OpenLineReader(&r, path, 0, block.data(), cap)) return all;
    int n;
    do {
        n = ReadLineEnds(&r, ends.data(), batch);
        all.insert(all.end(), ends.begin(), ends.begin() + n);
    } while (n == batch);
    CloseLineReader(&r);
    return all;
}

std::vector<int64_t> ModelEnds(const std::string &text) {
    std::vector<int32_t> offsets = ModelOffsets(text);
    return std::vector<int64_t>(offsets.begin() + 1, offsets.end());
}

// The measuring pass's batches give the model's ends whatever the block:
// smaller than a line, a line, the page block, the measuring block; and
// whatever the batch, down to one line.
TEST_F(GeneratedTexts, LineEndsInBatchesMatchTheModelForEveryBlockSize) {
    const int caps[] = {1, 2, 52, 53, 54, 200, PAGE_BLOCK_SIZE, MEASURE_BLOCK_SIZE};
    for (size_t t = 0; t < texts.size(); t++) {
        Pick("g.txt", texts[t]);
        std::vector<int64_t> want = ModelEnds(texts[t]);
        for (int cap : caps)
            for (int batch : {1, 3, static_cast<int>(PROGRESS_EVERY)}) {
                SCOPED_TRACE("text " + std::to_string(t) + " block " + std::to_string(cap) +
                             " batch " + std::to_string(batch));
                ASSERT_EQ(EndsInBatches(filename, cap, batch), want);
            }
    }
}

// Prose as the measuring pass mostly meets it, with its corners placed at
// the measuring block's edges: a CR LF split between two reads, an LF as
// the block's last byte, a window that ends exactly at the block's end,
// and a lone CR in the middle of a line.
class MeasuringBlockEdges : public ViewerTest {
protected:
    static std::string Prose(size_t size, unsigned seed) {
        std::mt19937 rng(seed);
        std::string text;
        size_t col = 0;
        while (text.size() < size) {
            std::string word(1 + rng() % 9, static_cast<char>('a' + rng() % 26));
            text += word;
            col += word.size();
            if (col > 60 + rng() % 20) {
                text += rng() % 4 ? "\n" : "\r\n";
                col = 0;
            } else {
                text += ' ';
                col++;
            }
        }
        return text;
    }
    // The text with `piece` written over it so that it ends at byte `end`.
    static std::string Placed(std::string text, const std::string &piece, size_t end) {
        text.replace(end - piece.size(), piece.size(), piece);
        return text;
    }
    void ExpectModelEnds(const std::string &name, const std::string &text) {
        SCOPED_TRACE(name);
        Pick(name, text);
        EXPECT_EQ(EndsInBatches(filename, MEASURE_BLOCK_SIZE, PROGRESS_EVERY), ModelEnds(text));
    }
};

TEST_F(MeasuringBlockEdges, CutsAsTheModelAcrossBlocks) {
    const size_t block = MEASURE_BLOCK_SIZE;
    std::string prose = Prose(3 * block + 777, 7);
    ExpectModelEnds("prose.txt", prose);
    ExpectModelEnds("crlf-split.txt", Placed(prose, Rep('a', 30) + "\r", block));
    ExpectModelEnds("lf-last.txt", Placed(prose, Rep('a', 30) + "\n", block));
    ExpectModelEnds("cr-last.txt", Placed(prose, Rep('a', 30) + " b\r", block));
    ExpectModelEnds("window-at-end.txt", Placed(prose, "\n" + Rep('w', 25) + " " + Rep('v', 27), block));
    ExpectModelEnds("lone-cr.txt", Placed(prose, "\nab\rcd " + Rep('x', 60), block / 2));
    ExpectModelEnds("crlf-at-width.txt", Placed(prose, "\n" + Rep('y', 52) + "\r\n", block / 3));
    ExpectModelEnds("cr-ends-text.txt", Rep('a', 10) + "\n" + Rep('b', 52) + "\r");
    ExpectModelEnds("one-space-at-each-column.txt", [] {
        std::string t;
        for (int col = 0; col <= TEXT_COLS; col++) t += Rep('a', col) + " " + Rep('b', 60) + "\n";
        return t;
    }());
    ExpectModelEnds("all-crlf.txt", [] {
        std::string t;
        for (int i = 0; i < 20000; i++) t += "line " + std::to_string(i) + "\r\n";
        return t;
    }());
}

}  // namespace
