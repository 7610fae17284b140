// screen.h: reads a saved screenshot of the 320 x 240 RGB 5-6-5 screen back
// into text, cell by cell: by matching each text cell against the glyphs of
// the font sheet's first row drawn the way the program draws them, or, for
// the letters of every alphabet, against the glyphs of the font itself.
#ifndef TOMO_E2E_SCREEN_H
#define TOMO_E2E_SCREEN_H

#include <SDL.h>

#include <array>
#include <cstdint>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "letters.h"
#include "surface.h"

namespace e2e {

constexpr int kScreenW = 320;
constexpr int kScreenH = 240;
constexpr int kCols = 53;
constexpr int kRows = 16;
constexpr int kGlyphW = 6;
constexpr int kGlyphH = 13;
constexpr int kStatusRow = 15;
constexpr int kStatusTop = 225;
constexpr uint16_t kBlack = 0x0000;
constexpr uint16_t kHighlight = 0x0006;  // dark blue bar behind row 1
constexpr uint16_t kSeparator = 0x0400;  // dark green line over the status row
constexpr uint16_t kInk = 0xE71C;        // the sheet's light grey, 224,224,224
constexpr char kUnknown = '\x1a';        // a cell that matches no glyph

// Pixel (x, y) of the glyph top-left of text cell (col, row).
inline int CellX(int col) { return 6 * col + 1; }
inline int CellY(int row) { return 15 * row; }

using Glyph = std::array<uint16_t, kGlyphW * kGlyphH>;

// The 256 glyphs of a font sheet as they land on a black 16-bit screen.
class Font {
public:
    // Blits every cell of the sheet onto black RGB 5-6-5, as the program's
    // sprite blit does, so the reference pixels are the program's pixels.
    explicit Font(SDL_Surface *sheet) {
        SDL_Surface *canvas = testutil::MakeScreen16(kGlyphW, kGlyphH);
        for (int c = 0; c < 256; c++) {
            SDL_FillRect(canvas, nullptr, 0);
            SDL_Rect src{static_cast<Sint16>(kGlyphW * c), 0, kGlyphW, kGlyphH};
            SDL_Rect dst{0, 0, kGlyphW, kGlyphH};
            SDL_BlitSurface(sheet, &src, canvas, &dst);
            for (int y = 0; y < kGlyphH; y++)
                for (int x = 0; x < kGlyphW; x++) glyphs_[c][y * kGlyphW + x] = testutil::Pixel16(canvas, x, y);
        }
        SDL_FreeSurface(canvas);
        Index();
    }

    const Glyph &Of(unsigned char c) const { return glyphs_[c]; }

    // The byte whose glyph equals the cell in rows first_row..12; a blank
    // cell is a space; kUnknown when nothing matches.
    char Match(const Glyph &cell, int first_row) const {
        if (Blank(cell, first_row)) return ' ';
        if (first_row == 0) {
            auto it = by_pixels_.find(cell);
            return it == by_pixels_.end() ? kUnknown : static_cast<char>(it->second);
        }
        for (int c : Preference())
            if (SameFrom(glyphs_[c], cell, first_row)) return static_cast<char>(c);
        return kUnknown;
    }

private:
    // Several bytes may share a glyph (blank control cells, space, no-break
    // space); printable ASCII wins, then Latin-1, then the rest.
    static std::vector<int> Preference() {
        std::vector<int> order;
        for (int c = 0x20; c < 0x7F; c++) order.push_back(c);
        for (int c = 0xA0; c < 0x100; c++) order.push_back(c);
        for (int c = 0x80; c < 0xA0; c++) order.push_back(c);
        order.push_back(0x7F);
        for (int c = 0; c < 0x20; c++) order.push_back(c);
        return order;
    }

    void Index() {
        for (int c : Preference()) by_pixels_.emplace(glyphs_[c], c);
    }

    static bool Blank(const Glyph &cell, int first_row) {
        for (int i = first_row * kGlyphW; i < kGlyphW * kGlyphH; i++)
            if (cell[i] != kBlack) return false;
        return true;
    }

    static bool SameFrom(const Glyph &a, const Glyph &b, int first_row) {
        for (int i = first_row * kGlyphW; i < kGlyphW * kGlyphH; i++)
            if (a[i] != b[i]) return false;
        return true;
    }

    std::array<Glyph, 256> glyphs_{};
    std::map<Glyph, int> by_pixels_;
};

// A screenshot as RGB 5-6-5 values, read back as text.
class Screen {
public:
    Screen() : pixels_(kScreenW * kScreenH, 0) {}

    // Loads a BMP saved from the 16-bit screen. SDL stores it as 24 bits
    // with each channel shifted up, so shifting down gives back the exact
    // 5-6-5 values.
    bool Load(const std::string &path, std::string *error) {
        SDL_Surface *bmp = SDL_LoadBMP(path.c_str());
        if (bmp == nullptr) {
            *error = std::string("cannot load ") + path + ": " + SDL_GetError();
            return false;
        }
        if (bmp->w != kScreenW || bmp->h != kScreenH) {
            *error = path + " is " + std::to_string(bmp->w) + "x" + std::to_string(bmp->h);
            SDL_FreeSurface(bmp);
            return false;
        }
        SDL_LockSurface(bmp);
        for (int y = 0; y < kScreenH; y++)
            for (int x = 0; x < kScreenW; x++) pixels_[y * kScreenW + x] = Read565(bmp, x, y);
        SDL_UnlockSurface(bmp);
        SDL_FreeSurface(bmp);
        loaded_ = true;
        return true;
    }

    bool loaded() const { return loaded_; }
    uint16_t Pixel(int x, int y) const { return pixels_[y * kScreenW + x]; }

    // Text row r, 53 cells, trailing blanks dropped. The highlight blue
    // counts as background; on the status row the green separator covers
    // the glyphs' top pixel row, which is not compared there.
    std::string Row(const Font &font, int r) const {
        std::string text;
        for (int c = 0; c < kCols; c++) text += font.Match(Cell(c, r), r == kStatusRow ? 1 : 0);
        while (!text.empty() && text.back() == ' ') text.pop_back();
        return text;
    }

    std::vector<std::string> Rows(const Font &font, int first = 0, int last = kRows - 1) const {
        std::vector<std::string> rows;
        for (int r = first; r <= last; r++) rows.push_back(Row(font, r));
        return rows;
    }

    // Text row r in UTF-8, read against the glyphs of the font itself
    // (testutil::ReadBdf), where each cell is expected to show the letter
    // that `want` has in its column: that letter where the cell holds its
    // glyph in the sheet's ink, else a blank as a space, else the first
    // letter of the font whose glyph it holds, else kUnknown. So the row
    // reads as `want` exactly when every cell is right. Trailing blanks are
    // dropped, as Row does.
    std::string Letters(const testutil::InkFont &font, int r, const std::string &want) const {
        static const testutil::Ink kBlank{};
        std::vector<long> wanted = testutil::CodePoints(want);
        int first_row = r == kStatusRow ? 1 : 0;
        std::string text;
        for (int c = 0; c < kCols; c++) {
            Glyph cell = Cell(c, r);
            long cp = c < static_cast<int>(wanted.size()) ? wanted[static_cast<size_t>(c)] : ' ';
            auto glyph = font.find(cp);
            if (Shows(cell, glyph == font.end() ? kBlank : glyph->second, first_row)) {
                text += testutil::Utf8(cp);
                continue;
            }
            if (Shows(cell, kBlank, first_row)) {
                text += ' ';
                continue;
            }
            std::string other(1, kUnknown);
            for (const auto &g : font)
                if (g.first > ' ' && Shows(cell, g.second, first_row)) {
                    other = testutil::Utf8(g.first);
                    break;
                }
            text += other;
        }
        while (!text.empty() && text.back() == ' ') text.pop_back();
        return text;
    }

    // The bar behind row 1: no black pixel left in pixel rows 15..29.
    bool Highlighted() const { return BandHasNo(15, 29, kBlack); }
    // Pixels of that band that are neither background nor bar: the ink.
    bool BandOnly(int y0, int y1, uint16_t a, uint16_t b) const {
        for (int y = y0; y <= y1; y++)
            for (int x = 0; x < kScreenW; x++)
                if (Pixel(x, y) != a && Pixel(x, y) != b) return false;
        return true;
    }
    bool BandHasNo(int y0, int y1, uint16_t value) const {
        for (int y = y0; y <= y1; y++)
            for (int x = 0; x < kScreenW; x++)
                if (Pixel(x, y) == value) return false;
        return true;
    }
    // The green line along the top of the status band, full width.
    bool Separator() const { return BandOnly(kStatusTop, kStatusTop, kSeparator, kSeparator); }
    bool AllBlack() const { return BandOnly(0, kScreenH - 1, kBlack, kBlack); }

private:
    static uint16_t Read565(SDL_Surface *s, int x, int y) {
        const Uint8 *p = static_cast<const Uint8 *>(s->pixels) + y * s->pitch + x * s->format->BytesPerPixel;
        Uint32 v = 0;
        memcpy(&v, p, s->format->BytesPerPixel);  // little-endian host
        Uint8 r, g, b;
        SDL_GetRGB(v, s->format, &r, &g, &b);
        return static_cast<uint16_t>((r >> 3) << 11 | (g >> 2) << 5 | (b >> 3));
    }

    // The cell holds ink exactly where the glyph has it, from first_row on.
    static bool Shows(const Glyph &cell, const testutil::Ink &ink, int first_row) {
        for (int i = first_row * kGlyphW; i < kGlyphW * kGlyphH; i++)
            if (cell[static_cast<size_t>(i)] != (ink[static_cast<size_t>(i)] ? kInk : kBlack)) return false;
        return true;
    }

    Glyph Cell(int col, int row) const {
        Glyph g{};
        for (int y = 0; y < kGlyphH; y++)
            for (int x = 0; x < kGlyphW; x++) {
                uint16_t v = Pixel(CellX(col) + x, CellY(row) + y);
                g[y * kGlyphW + x] = v == kHighlight ? kBlack : v;
            }
        return g;
    }

    std::vector<uint16_t> pixels_;
    bool loaded_ = false;
};

// The position line for a line shown out of lines (64-bit arithmetic: a
// test's 32-bit long would overflow where the program does not).
inline std::string Position(long long line, long long lines) {
    return "On line " + std::to_string(line) + " of " + std::to_string(lines) + " (" +
           std::to_string(lines == 0 ? 0 : line * 100 / lines) + "%)";
}

// A text of Latin-1 letters written in UTF-8, as the screen reads it back:
// one cell, the Latin-1 byte, per letter.
inline std::string Latin1(const std::string &utf8) {
    std::string cells;
    for (size_t i = 0; i < utf8.size(); i++) {
        unsigned char c = static_cast<unsigned char>(utf8[i]);
        if ((c == 0xC2 || c == 0xC3) && i + 1 < utf8.size())
            cells += static_cast<char>((c & 0x03) << 6 | (static_cast<unsigned char>(utf8[++i]) & 0x3F));
        else
            cells += utf8[i];
    }
    return cells;
}

}  // namespace e2e

#endif
