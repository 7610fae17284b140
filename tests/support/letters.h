// letters.h: the glyphs of a 6 x 13 BDF font read on their own, not through
// the font sheet, as the reference that the sheet, its table and the screen
// are checked against; and UTF-8 to code points and back.
#ifndef TOMO_TEST_LETTERS_H
#define TOMO_TEST_LETTERS_H

#include <array>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace testutil {

constexpr int kInkW = 6;
constexpr int kInkH = 13;

// A glyph's ink, row by row from the top of its cell.
using Ink = std::array<bool, kInkW * kInkH>;
using InkFont = std::map<long, Ink>;

// Every glyph of a BDF font by code point, placed in its cell as the
// font's ascent and the glyph's bounding box say. Empty when the file
// cannot be read; a glyph with ink outside the cell is left out.
inline InkFont ReadBdf(const std::string &path) {
    InkFont font;
    std::ifstream in(path);
    std::string line;
    int ascent = 0, w = 0, h = 0, xoff = 0, yoff = 0, row = -1;
    long code = -1;
    bool fits = true;
    Ink ink{};
    while (std::getline(in, line)) {
        std::istringstream words(line);
        std::string key;
        words >> key;
        if (row >= 0 && key != "ENDCHAR") {
            unsigned long bits = std::stoul(key, nullptr, 16);
            int top_bit = 4 * static_cast<int>(key.size()) - 1;
            for (int i = 0; i < w; i++) {
                if (!(bits >> (top_bit - i) & 1)) continue;
                int x = xoff + i, y = ascent - (yoff + h) + row;
                if (x < 0 || x >= kInkW || y < 0 || y >= kInkH)
                    fits = false;
                else
                    ink[static_cast<size_t>(y * kInkW + x)] = true;
            }
            row++;
        } else if (key == "FONT_ASCENT") {
            words >> ascent;
        } else if (key == "ENCODING") {
            words >> code;
        } else if (key == "BBX") {
            words >> w >> h >> xoff >> yoff;
        } else if (key == "BITMAP") {
            row = 0;
            ink = Ink{};
            fits = true;
        } else if (key == "ENDCHAR") {
            if (fits) font[code] = ink;
            row = -1;
        }
    }
    return font;
}

// The UTF-8 form of code point cp: continuation bytes of six bits each
// after a lead byte that says how many follow.
inline std::string Utf8(long cp) {
    if (cp < 0x80) return std::string(1, static_cast<char>(cp));
    int n = cp < 0x800 ? 2 : cp < 0x10000 ? 3 : 4;
    std::string s(static_cast<size_t>(n), '\0');
    for (int i = n - 1; i > 0; i--, cp >>= 6) s[static_cast<size_t>(i)] = static_cast<char>(0x80 | (cp & 0x3F));
    s[0] = static_cast<char>((0xF00 >> n) | cp);  // 0xC0, 0xE0 or 0xF0 and the top bits
    return s;
}

// The code points of a text written in UTF-8 (by the test itself, so
// well formed).
inline std::vector<long> CodePoints(const std::string &utf8) {
    std::vector<long> cps;
    for (size_t i = 0; i < utf8.size();) {
        unsigned char c = static_cast<unsigned char>(utf8[i]);
        int n = c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
        long cp = n == 1 ? c : c & (0x7F >> n);
        for (int k = 1; k < n && i + static_cast<size_t>(k) < utf8.size(); k++)
            cp = cp << 6 | (static_cast<unsigned char>(utf8[i + static_cast<size_t>(k)]) & 0x3F);
        cps.push_back(cp);
        i += static_cast<size_t>(n);
    }
    return cps;
}

// The bytes of a Latin-1 text as UTF-8, letter for letter.
inline std::string Latin1ToUtf8(const std::string &latin1) {
    std::string utf8;
    for (char c : latin1) utf8 += Utf8(static_cast<unsigned char>(c));
    return utf8;
}

}  // namespace testutil

#endif
