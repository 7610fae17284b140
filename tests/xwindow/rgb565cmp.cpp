// rgb565cmp.cpp: compares a window's picture with a 320 x 240 frame, both
// given as raw 8-bit RGB files, after bringing both to the screen's RGB
// 5-6-5 format. A window at scale S is 320S x 240S and must show each frame
// pixel as an S x S block of that value. Rows (of the frame) may be
// limited, to leave out the status line when a status tick came between.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "testutil.h"

static const int kW = 320, kH = 240;

static bool Load(const char *path, std::string &bytes, int scale) {
    bytes = testutil::ReadFile(path);
    return bytes.size() == static_cast<size_t>(kW * scale) * kH * scale * 3;
}

static unsigned Rgb565(const std::string &b, size_t i) {
    unsigned r = static_cast<unsigned char>(b[i * 3]), g = static_cast<unsigned char>(b[i * 3 + 1]),
             bl = static_cast<unsigned char>(b[i * 3 + 2]);
    return (r >> 3) << 11 | (g >> 2) << 5 | (bl >> 3);
}

int main(int argc, char **argv) {
    if (argc != 3 && argc != 4 && argc != 6) {
        std::fprintf(stderr, "usage: rgb565cmp WINDOW.rgb FRAME.rgb [SCALE [FIRST-ROW LAST-ROW]]\n");
        return 2;
    }
    int scale = argc > 3 ? std::atoi(argv[3]) : 1;
    int first = argc > 5 ? std::atoi(argv[4]) : 0, last = argc > 5 ? std::atoi(argv[5]) : kH - 1;
    std::string a, b;
    if (scale < 1 || !Load(argv[1], a, scale) || !Load(argv[2], b, 1)) {
        std::fprintf(stderr, "rgb565cmp: %s is not a %dx%d or %s not a 320x240 RGB picture\n", argv[1],
                     kW * scale, kH * scale, argv[2]);
        return 2;
    }
    int differ = 0;
    for (int y = first * scale; y <= last * scale + scale - 1; y++)
        for (int x = 0; x < kW * scale; x++) {
            unsigned pa = Rgb565(a, static_cast<size_t>(y) * kW * scale + x);
            unsigned pb = Rgb565(b, static_cast<size_t>(y / scale) * kW + x / scale);
            if (pa == pb) continue;
            if (differ++ == 0)
                std::fprintf(stderr, "first difference at window (%d,%d): %04x vs frame (%d,%d): %04x\n", x, y,
                             pa, x / scale, y / scale, pb);
        }
    if (differ) {
        std::fprintf(stderr, "%d window pixels differ in frame rows %d-%d\n", differ, first, last);
        return 1;
    }
    return 0;
}
