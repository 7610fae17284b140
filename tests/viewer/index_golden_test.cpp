// index_golden_test.cpp: the line index files of a fixed set of texts,
// byte for byte, against the files committed in testdata/index/, which
// were written by an x86-64 build. The same test runs in the ARM build
// under the emulator, so it passes there only when the console writes the
// very bytes the desktop writes: an index file made on one machine stays
// good on the other, whichever one measured the text.
//
// After a deliberate change of the line cut or the file layout, rewrite
// the committed files on x86-64 with
//   TOMO_WRITE_INDEX_GOLDEN=1 build/tests/viewer_tests --gtest_filter='IndexGolden*'
// and review the difference: every file is also checked against the
// model of the cut in testutil.h, so a wrong index cannot be committed
// as the reference.
#include <cstdlib>

#include "viewertest.h"

using namespace testutil;

namespace {

// A small generator of our own, so that every machine makes the same
// bytes: no library random engine, no char signedness involved.
class Lcg {
public:
    explicit Lcg(uint32_t seed) : x_(seed) {}
    uint32_t Next() {
        x_ = x_ * 1664525u + 1013904223u;
        return x_ >> 8;
    }

private:
    uint32_t x_;
};

std::string Repeat(const std::string &s, int n) {
    std::string out;
    for (int i = 0; i < n; i++) out += s;
    return out;
}

std::string Bytes(std::initializer_list<int> values) {
    std::string out;
    for (int v : values) out.push_back(static_cast<char>(static_cast<unsigned char>(v)));
    return out;
}

// Words of random length from a mixed alphabet, with spaces, CR, LF and
// bytes above 127 (0xFF among them, which a signed char makes -1).
std::string RandomText(uint32_t seed, size_t size) {
    static const char letters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789.,;:!?'-";
    Lcg rng(seed);
    std::string out;
    while (out.size() < size) {
        uint32_t r = rng.Next() % 100;
        if (r < 16) {
            out.push_back(' ');
        } else if (r < 19) {
            out.push_back('\n');
        } else if (r < 20) {
            out += "\r\n";
        } else if (r < 21) {
            out.push_back('\r');
        } else if (r < 27) {
            out.push_back(static_cast<char>(static_cast<unsigned char>(128 + rng.Next() % 128)));
        } else if (r < 28) {
            // a word longer than a line (one draw per statement: the order
            // in which arguments are evaluated differs between compilers)
            size_t length = 54 + rng.Next() % 80;
            char letter = letters[rng.Next() % (sizeof letters - 1)];
            out += std::string(length, letter);
        } else {
            out.push_back(letters[rng.Next() % (sizeof letters - 1)]);
        }
    }
    out.resize(size);
    return out;
}

struct GoldenCase {
    const char *name;
    std::string text;
};

std::vector<GoldenCase> Cases() {
    std::vector<GoldenCase> cases;
    cases.push_back({"empty", ""});
    cases.push_back({"lf", "abc\ndef\n"});
    cases.push_back({"no_final_newline", "one\ntwo\nthree"});
    cases.push_back({"blank_lines", "\n\n\r\n\n\r\r\n\n"});
    cases.push_back({"crlf", "first line\r\nsecond line\r\n" + std::string(53, 'c') + "\r\n" +
                                 std::string(52, 'd') + "\r\n" + "bare\rcarriage return\r\n\r\n" +
                                 Repeat("word ", 12) + "\r\nend"});
    // lines of 52, 53 and 54 characters, and of two and three lines' worth
    cases.push_back({"width_53", std::string(52, 'a') + "\n" + std::string(53, 'b') + "\n" +
                                     std::string(54, 'c') + "\n" + std::string(106, 'd') + "\n" +
                                     std::string(107, 'e') + "\n" + std::string(159, 'f')});
    cases.push_back({"long_words", std::string(60, 'L') + " " + std::string(120, 'M') + " short " +
                                       std::string(53, 'N') + " x\n" + std::string(52, 'o') + " p " +
                                       std::string(51, 'q') + "  r\n" + Repeat("ab ", 40) +
                                       std::string(70, 's') + "\n"});
    cases.push_back({"spaces", std::string(53, ' ') + "\n" + std::string(54, ' ') + "x\n" +
                                   std::string(100, ' ') + "word\n" + "a" + std::string(52, ' ') + "b\n" +
                                   Repeat(" ", 3) + Repeat("z ", 30) + "\n"});
    std::string all;
    for (int c = 0; c < 256; c++) all.push_back(static_cast<char>(static_cast<unsigned char>(c)));
    cases.push_back({"high_bytes", all + all + "\n" + std::string(60, '\xff') + "\n" +
                                       Repeat(Bytes({0xe9, 0xe8, 0x20, 0xa0, 0x8a, 0x8d}), 20) + "\n" +
                                       Repeat(Bytes({0xc3, 0xa9, 0x20}), 30) + "\n" +
                                       Bytes({0x80, 0x0a, 0x0d, 0x85, 0xff, 0x0a})});
    cases.push_back({"latin1_prose",
                     Repeat("Le c\xe9l\xe8" "bre na\xefvet\xe9 du gar\xe7on fran\xe7" "ais \xe0 la "
                            "cr\xe8me br\xfbl\xe9" "e, \xab d\xe9j\xe0 vu \xbb; ",
                            25) + "\n"});
    // UTF-8 after a byte-order mark: letters of two to four bytes, CRLF,
    // and a word of two-byte letters longer than a line, cut inside one
    cases.push_back({"utf8_prose", "\xEF\xBB\xBF" +
                                       Repeat("Universitätsplatz, „Gespräch“ – don’t… Łódź, "
                                              "Œuvre, naïveté 😀 ", 6) +
                                       "\r\n" + Repeat("ä", 40) + " " + Repeat("ß€", 20) + "\n"});
    cases.push_back({"numbered_250", NumberedText(250)});
    // longer than one measuring block of 64 KiB
    cases.push_back({"random_150k", RandomText(20240607u, 150000)});
    return cases;
}

bool WritingGolden() {
    const char *w = std::getenv("TOMO_WRITE_INDEX_GOLDEN");
    return w != nullptr && *w != '\0' && std::string(w) != "0";
}

std::string GoldenPath(const std::string &name) {
    return std::string(TOMO_SOURCE_DIR) + "/tests/viewer/testdata/index/" + name + ".tomo";
}

std::string FirstDifference(const std::string &got, const std::string &want) {
    size_t i = 0;
    while (i < got.size() && i < want.size() && got[i] == want[i]) i++;
    if (i == got.size() && i == want.size()) return "none";
    return "byte " + std::to_string(i) + " (word " + std::to_string(i / 4) + "), sizes " +
           std::to_string(got.size()) + " and " + std::to_string(want.size());
}

class IndexGolden : public ViewerTest {};

TEST_F(IndexGolden, IndexFilesMatchTheReferenceBytes) {
    std::vector<GoldenCase> cases = Cases();
    for (const GoldenCase &c : cases) {
        SCOPED_TRACE(c.name);
        std::string name = std::string(c.name) + ".txt";
        Pick(name, c.text);
        LoadFileInfo(nullptr, nullptr);
        std::vector<int32_t> model = ModelIndex(c.text);
        int32_t lines = static_cast<int32_t>(model.size()) - 3;
        ASSERT_EQ(num_lines, lines);

        // The reader moved on: the saved line is the one word that changes.
        int32_t saved = lines / 2;
        cur_line = saved;
        UpdateInfoFile();
        model[0] = saved;

        std::string written = ReadFile(IndexPath());
        if (WritingGolden()) WriteFile(GoldenPath(c.name), written);
        std::string golden = ReadFile(GoldenPath(c.name));
        ASSERT_FALSE(golden.empty()) << GoldenPath(c.name) << " is missing";

        // The reference itself is what the cut's model gives ...
        std::string modelled = Words(model);
        EXPECT_TRUE(golden == modelled) << "reference differs from the model at "
                                        << FirstDifference(golden, modelled);
        // ... and this machine wrote exactly those bytes.
        EXPECT_EQ(written.size(), 12u + 4u * static_cast<size_t>(lines));
        EXPECT_TRUE(written == golden) << "index differs from the reference at "
                                       << FirstDifference(written, golden);

        // Reading them back gives the same numbers.
        EXPECT_EQ(GetSavedOffset(0), 0);
        EXPECT_EQ(GetSavedOffset(saved), model[static_cast<size_t>(saved) + 2]);
        EXPECT_EQ(GetSavedOffset(lines), static_cast<int32_t>(c.text.size()));
        EXPECT_EQ(GetSavedOffset(lines + 1), -1);
        LoadFileInfo(nullptr, nullptr);
        EXPECT_EQ(num_lines, lines);
        EXPECT_EQ(cur_line, saved);
        EXPECT_EQ(top_of_page_offset, model[static_cast<size_t>(saved) + 2]);
        EXPECT_EQ(cur_offset, top_of_page_offset);
        EXPECT_TRUE(ReadFile(IndexPath()) == golden) << "a second visit changed the index";
    }
    if (WritingGolden()) std::printf("wrote %zu reference index files\n", cases.size());
}

}  // namespace
