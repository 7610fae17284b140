// rgb565cmp.cpp: compares two 320 x 240 pictures, given as raw 8-bit RGB
// files, after bringing both to the screen's RGB 5-6-5 format. Rows may be
// limited, to leave out the status line when a status tick came between.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

static const int kW = 320, kH = 240;

static bool Load(const char *path, std::string &bytes) {
    std::ifstream in(path, std::ios::binary);
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return bytes.size() == static_cast<size_t>(kW * kH * 3);
}

static unsigned Rgb565(const std::string &b, int i) {
    unsigned r = static_cast<unsigned char>(b[i * 3]), g = static_cast<unsigned char>(b[i * 3 + 1]),
             bl = static_cast<unsigned char>(b[i * 3 + 2]);
    return (r >> 3) << 11 | (g >> 2) << 5 | (bl >> 3);
}

int main(int argc, char **argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: rgb565cmp A.rgb B.rgb [FIRST-ROW LAST-ROW]\n");
        return 2;
    }
    int first = argc > 4 ? std::atoi(argv[3]) : 0, last = argc > 4 ? std::atoi(argv[4]) : kH - 1;
    std::string a, b;
    if (!Load(argv[1], a) || !Load(argv[2], b)) {
        std::fprintf(stderr, "rgb565cmp: %s or %s is not a 320x240 RGB picture\n", argv[1], argv[2]);
        return 2;
    }
    int differ = 0;
    for (int y = first; y <= last; y++)
        for (int x = 0; x < kW; x++) {
            unsigned pa = Rgb565(a, y * kW + x), pb = Rgb565(b, y * kW + x);
            if (pa == pb) continue;
            if (differ++ == 0) std::fprintf(stderr, "first difference at (%d,%d): %04x vs %04x\n", x, y, pa, pb);
        }
    if (differ) {
        std::fprintf(stderr, "%d pixels differ in rows %d-%d\n", differ, first, last);
        return 1;
    }
    return 0;
}
