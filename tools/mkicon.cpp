// mkicon: draws the desktop icon from the font sheet's own glyphs: the
// program's screen in little, "tomo" on the list's highlight bar above the
// status line's green rule, at 24 x 24 and at 2, 4 and 8 times that, each
// pixel a square block. Written as plain PNG by our own small deflate, with
// no time stamp, so the same sheet always gives the same bytes.
//
// usage: mkicon SHEET.tga OUTDIR    writes OUTDIR/tomo-24.png ... tomo-192.png
#include <SDL.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "targa.h"
#include "tomo.h"

namespace {

enum { ICON = 24, BAR_TOP = 2, GLYPH_TOP = BAR_TOP + 1, RULE_ROW = 20 };
const char kWord[] = "tomo";
const int kScales[] = {1, 2, 4, 8};

struct Rgb {
    uint8_t r, g, b;
};
const Rgb kBlack = {0, 0, 0};
const Rgb kBar = {0, 0, HIGHLIGHT_BLUE};
const Rgb kRule = {0, STATUS_LINE_GREEN, 0};

using Picture = std::vector<Rgb>;  // ICON x ICON, row by row

// The sheet's pixel at (x, y): bytes red, green, blue in memory.
Rgb SheetPixel(SDL_Surface *sheet, int x, int y) {
    const uint8_t *p = static_cast<const uint8_t *>(sheet->pixels) + y * sheet->pitch + x * 4;
    return Rgb{p[0], p[1], p[2]};
}

Picture Draw(SDL_Surface *sheet) {
    Picture icon(ICON * ICON, kBlack);
    for (int y = BAR_TOP; y < BAR_TOP + CELL_H; y++)
        for (int x = 0; x < ICON; x++) icon[y * ICON + x] = kBar;
    for (int i = 0; kWord[i] != '\0'; i++) {
        int cell = static_cast<unsigned char>(kWord[i]) * GLYPH_W;
        for (int y = 0; y < GLYPH_H; y++)
            for (int x = 0; x < GLYPH_W; x++) {
                Rgb ink = SheetPixel(sheet, cell + x, y);
                if (ink.r != 0 || ink.g != 0 || ink.b != 0) icon[(GLYPH_TOP + y) * ICON + i * GLYPH_W + x] = ink;
            }
    }
    for (int x = 0; x < ICON; x++) icon[RULE_ROW * ICON + x] = kRule;
    return icon;
}

uint32_t Crc(const std::string &bytes) {
    uint32_t c = 0xFFFFFFFFu;
    for (unsigned char b : bytes) {
        c ^= b;
        for (int k = 0; k < 8; k++) c = (c >> 1) ^ (0xEDB88320u & (0u - (c & 1u)));
    }
    return c ^ 0xFFFFFFFFu;
}

void Put32(std::string *out, uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) out->push_back(static_cast<char>(v >> shift));
}

void Chunk(std::string *png, const char *type, const std::string &data) {
    Put32(png, static_cast<uint32_t>(data.size()));
    std::string body = std::string(type) + data;
    png->append(body);
    Put32(png, Crc(body));
}

// Bits into bytes, the first bit in the lowest place, as deflate packs them.
struct BitWriter {
    std::string out;
    uint32_t acc = 0;
    int count = 0;
    void Put(uint32_t value, int bits) {
        acc |= value << count;
        count += bits;
        for (; count >= 8; count -= 8, acc >>= 8) out.push_back(static_cast<char>(acc & 0xFF));
    }
    // A Huffman code goes in from its first (highest) bit.
    void Code(uint32_t code, int bits) {
        uint32_t reversed = 0;
        for (int i = 0; i < bits; i++) reversed |= ((code >> i) & 1u) << (bits - 1 - i);
        Put(reversed, bits);
    }
    void Flush() {
        if (count > 0) out.push_back(static_cast<char>(acc & 0xFF));
        acc = 0;
        count = 0;
    }
};

// Deflate's fixed code for a literal byte or a length symbol (256-287).
void Symbol(BitWriter *w, int sym) {
    if (sym < 144) w->Code(0x30 + sym, 8);
    else if (sym < 256) w->Code(0x190 + sym - 144, 9);
    else if (sym < 280) w->Code(sym - 256, 7);
    else w->Code(0xC0 + sym - 280, 8);
}

const int kLengthBase[] = {3, 4, 5, 6, 7, 8, 9, 10, 11, 13, 15, 17, 19, 23, 27, 31,
                           35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
const int kLengthExtra[] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2, 2,
                            3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
const int kDistBase[] = {1, 2, 3, 4, 5, 7, 9, 13, 17, 25, 33, 49, 65, 97, 129,
                         193, 257, 385, 513, 769, 1025, 1537, 2049, 3073};
const int kDistExtra[] = {0, 0, 0, 0, 1, 1, 2, 2, 3, 3, 4, 4, 5, 5, 6, 6, 7, 7, 8, 8, 9, 9, 10, 10};

void Match(BitWriter *w, int length, int distance) {
    int l = 28;
    while (kLengthBase[l] > length) l--;
    Symbol(w, 257 + l);
    w->Put(static_cast<uint32_t>(length - kLengthBase[l]), kLengthExtra[l]);
    int d = 23;
    while (kDistBase[d] > distance) d--;
    w->Code(static_cast<uint32_t>(d), 5);
    w->Put(static_cast<uint32_t>(distance - kDistBase[d]), kDistExtra[d]);
}

// A zlib stream of one fixed-code block. A picture of square blocks
// repeats itself a pixel on (3 bytes back) and a row down (a row back),
// so those two distances are all the matching it needs.
std::string Zlib(const std::string &raw, int row_bytes) {
    BitWriter w;
    w.out = "\x78\x01";
    w.Put(1, 1);  // the last block
    w.Put(1, 2);  // fixed codes
    const int distances[] = {row_bytes, 3};
    size_t at = 0;
    while (at < raw.size()) {
        int best = 0, best_distance = 0;
        for (int distance : distances) {
            if (at < static_cast<size_t>(distance)) continue;
            int n = 0;
            while (n < 258 && at + n < raw.size() && raw[at + n] == raw[at + n - distance]) n++;
            if (n > best) best = n, best_distance = distance;
        }
        if (best >= 3) {
            Match(&w, best, best_distance);
            at += static_cast<size_t>(best);
        } else {
            Symbol(&w, static_cast<unsigned char>(raw[at++]));
        }
    }
    Symbol(&w, 256);
    w.Flush();
    uint32_t a = 1, b = 0;
    for (unsigned char c : raw) {
        a = (a + c) % 65521;
        b = (b + a) % 65521;
    }
    Put32(&w.out, b << 16 | a);
    return w.out;
}

std::string Png(const Picture &icon, int scale) {
    const int size = ICON * scale;
    std::string header;
    Put32(&header, static_cast<uint32_t>(size));
    Put32(&header, static_cast<uint32_t>(size));
    header += std::string("\x08\x02\x00\x00\x00", 5);  // 8-bit RGB, no interlace
    std::string raw;
    for (int y = 0; y < size; y++) {
        raw.push_back(0);  // no filter
        for (int x = 0; x < size; x++) {
            const Rgb &p = icon[(y / scale) * ICON + x / scale];
            raw.push_back(static_cast<char>(p.r));
            raw.push_back(static_cast<char>(p.g));
            raw.push_back(static_cast<char>(p.b));
        }
    }
    std::string png = "\x89PNG\r\n\x1a\n";
    Chunk(&png, "IHDR", header);
    Chunk(&png, "IDAT", Zlib(raw, 1 + 3 * size));
    Chunk(&png, "IEND", "");
    return png;
}

}  // namespace

int main(int argc, char **argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: mkicon SHEET.tga OUTDIR\n");
        return 2;
    }
    SDL_Surface *sheet = LoadTargaImage(argv[1]);
    if (sheet == nullptr) return 1;
    if (sheet->w < FONT_CELLS * GLYPH_W || sheet->h < GLYPH_H) {
        std::fprintf(stderr, "mkicon: %s is no font sheet (%dx%d)\n", argv[1], sheet->w, sheet->h);
        SDL_FreeSurface(sheet);
        return 1;
    }
    Picture icon = Draw(sheet);
    SDL_FreeSurface(sheet);
    for (int scale : kScales) {
        std::string path = std::string(argv[2]) + "/tomo-" + std::to_string(ICON * scale) + ".png";
        std::string png = Png(icon, scale);
        FILE *f = std::fopen(path.c_str(), "wb");
        bool ok = f != nullptr && std::fwrite(png.data(), 1, png.size(), f) == png.size();
        if (f != nullptr && std::fclose(f) != 0) ok = false;
        if (!ok) {
            std::fprintf(stderr, "mkicon: cannot write %s\n", path.c_str());
            return 1;
        }
    }
    return 0;
}
