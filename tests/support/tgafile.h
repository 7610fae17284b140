// tgafile.h: Targa files built byte by byte for the font sheet loader's
// tests, and the sheets it must refuse, with the whole of what it says,
// for its own tests and the end-to-end ones alike.
#ifndef TOMO_TEST_TGAFILE_H
#define TOMO_TEST_TGAFILE_H

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

namespace testutil {

struct Px {
    uint8_t r, g, b, a;
};

inline bool operator==(Px a, Px b) { return a.r == b.r && a.g == b.g && a.b == b.b && a.a == b.a; }

inline std::ostream &operator<<(std::ostream &os, Px p) {
    return os << "rgba(" << int(p.r) << "," << int(p.g) << "," << int(p.b) << "," << int(p.a) << ")";
}

inline std::string Le16(unsigned v) {
    return std::string{static_cast<char>(v & 0xFF), static_cast<char>((v >> 8) & 0xFF)};
}

// One pixel value as the file stores it: blue, green, red, then alpha at 32 bits.
inline std::string Value(Px p, int depth) {
    std::string s{static_cast<char>(p.b), static_cast<char>(p.g), static_cast<char>(p.r)};
    if (depth == 32) s.push_back(static_cast<char>(p.a));
    return s;
}

inline std::string RunPacket(int count, Px p, int depth) {
    return std::string(1, static_cast<char>(0x80 | (count - 1))) + Value(p, depth);
}

// A raw packet of these values; count, when given, is what its header says.
inline std::string RawPacket(const std::vector<Px> &values, int depth, int count = 0) {
    if (count == 0) count = static_cast<int>(values.size());
    std::string s(1, static_cast<char>(count - 1));
    for (const Px &p : values) s += Value(p, depth);
    return s;
}

// The 18-byte header and the image ID field; the packets follow.
struct Tga {
    unsigned width, height;
    int depth, descriptor, cmapType, imageType;
    unsigned xOrigin = 0, yOrigin = 0;
    std::string id;

    // One pixel of the one kind the loader reads, top row first, unless said.
    Tga(unsigned w = 1, unsigned h = 1, int bits = 32, int desc = 0x20, int cmap = 0, int type = 10)
        : width(w), height(h), depth(bits), descriptor(desc), cmapType(cmap), imageType(type) {}

    std::string Header() const {
        std::string h;
        h.push_back(static_cast<char>(id.size()));
        h.push_back(static_cast<char>(cmapType));
        h.push_back(static_cast<char>(imageType));
        h += Le16(0) + Le16(0);
        h.push_back(0);
        h += Le16(xOrigin) + Le16(yOrigin) + Le16(width) + Le16(height);
        h.push_back(static_cast<char>(depth));
        h.push_back(static_cast<char>(descriptor));
        return h + id;
    }
    // The header and one pixel.
    std::string File() const { return Header() + RunPacket(1, Px{200, 10, 20, 0x40}, 32); }
};

struct RefusedSheet {
    std::string what;
    std::string bytes;
    std::string err;  // all the loader writes to standard error
};

// Each with one thing wrong; where two are, the colour map is refused
// before the type and the origin before the depth.
inline std::vector<RefusedSheet> RefusedSheets() {
    const std::string type = "LoadTargaImage: unsupported image type (";
    const std::string depth = "LoadTargaImage: unsupported image depth (";
    const std::string origin = "LoadTargaImage: unsupported image origin";
    const std::string cmap = "LoadTargaImage: unsupported colormap type (1)";
    const std::string size = "LoadTargaImage: failed to create image surface: image too ";
    struct {
        const char *what;
        Tga tga;  // width, height, depth, descriptor, colour map type, image type
        std::string err;
    } rows[] = {
        {"no image", {1, 1, 32, 0x20, 0, 0}, type + "0)"},
        {"colour-mapped", {1, 1, 32, 0x20, 0, 1}, type + "1)"},
        {"uncompressed", {1, 1, 32, 0x20, 0, 2}, type + "2)"},
        {"grey", {1, 1, 32, 0x20, 0, 3}, type + "3)"},
        {"rle colour-mapped", {1, 1, 32, 0x20, 0, 9}, type + "9)"},
        {"rle grey", {1, 1, 32, 0x20, 0, 11}, type + "11)"},
        {"image type 255", {1, 1, 32, 0x20, 0, 255}, type + "255)"},
        {"colour map", {1, 1, 32, 0x20, 1, 10}, cmap},
        {"colour map and type", {1, 1, 32, 0x20, 1, 1}, cmap},
        {"right to left", {1, 1, 32, 0x10, 0, 10}, origin},
        {"top right", {1, 1, 32, 0x38, 0, 10}, origin},
        {"origin and depth", {1, 1, 16, 0x30, 0, 10}, origin},
        {"depth 0", {1, 1, 0, 0x20, 0, 10}, depth + "0)\n"},
        {"8 bits", {1, 1, 8, 0x20, 0, 10}, depth + "8)\n"},
        {"16 bits", {1, 1, 16, 0x20, 0, 10}, depth + "16)\n"},
        {"31 bits", {1, 1, 31, 0x20, 0, 10}, depth + "31)\n"},
        {"too wide", {16384, 13, 32, 0x20, 0, 10}, size + "wide for a surface row\n"},
        {"widest of all", {65535, 65535, 24, 0x20, 0, 10}, size + "wide for a surface row\n"},
        // SDL would size these pixels as height * pitch in an int
        {"past 2 GiB by one row", {16383, 32771, 32, 0x20, 0, 10}, size + "large for a surface\n"},
        {"largest of all", {16383, 65535, 32, 0x20, 0, 10}, size + "large for a surface\n"},
        {"taller than wide", {8193, 65535, 32, 0x20, 0, 10}, size + "large for a surface\n"},
    };
    std::vector<RefusedSheet> sheets;
    for (const auto &r : rows) sheets.push_back({r.what, r.tga.File(), r.err});
    return sheets;
}

}  // namespace testutil

#endif
