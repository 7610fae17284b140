// tgafile.h: Targa files built byte by byte for the font sheet loader's
// tests, its own and the end-to-end ones alike.
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
    unsigned width = 1, height = 1;
    int depth = 32;
    int descriptor = 0x20;
    int cmapType = 0;
    int imageType = 10;
    unsigned xOrigin = 0, yOrigin = 0;
    std::string id;

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
};

}  // namespace testutil

#endif
