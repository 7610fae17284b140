// fuzzutil.h: what the fuzz targets share: one scratch folder per process,
// whole-file writes and reads, and a byte-at-a-time model of the line cut
// that the program's block-wise cut is compared against.
#ifndef TOMO_FUZZUTIL_H
#define TOMO_FUZZUTIL_H

#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>

#include <string>
#include <vector>

namespace fuzz {

// A folder in /dev/shm (or TMPDIR) made once; every input reuses it.
inline const std::string &Scratch() {
    static std::string dir = [] {
        const char *base = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : (getenv("TMPDIR") ? getenv("TMPDIR") : "/tmp");
        std::string tmpl = std::string(base) + "/tomo-fuzz-XXXXXX";
        std::vector<char> buf(tmpl.begin(), tmpl.end());
        buf.push_back('\0');
        if (mkdtemp(buf.data()) == nullptr) abort();
        return std::string(buf.data());
    }();
    return dir;
}

inline void WriteFile(const std::string &path, const uint8_t *data, size_t size) {
    FILE *f = fopen(path.c_str(), "wb");
    if (f == nullptr) abort();
    if (size != 0 && fwrite(data, 1, size, f) != size) abort();
    fclose(f);
}

inline std::string ReadFile(const std::string &path) {
    std::string bytes;
    FILE *f = fopen(path.c_str(), "rb");
    if (f == nullptr) return bytes;
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, f)) > 0) bytes.append(buf, n);
    fclose(f);
    return bytes;
}

// Fails the run with a message libFuzzer keeps beside the input.
#define FUZZ_CHECK(cond)                                                                    \
    do {                                                                                    \
        if (!(cond)) {                                                                      \
            printf("check failed at %s:%d: %s\n", __FILE__, __LINE__, #cond);                  \
            fflush(stdout);                                                                 \
            abort();                                                                        \
        }                                                                                   \
    } while (0)

// One wrapped line as the rule reads: bytes one by one, CR dropped, LF ends
// the line, 53 characters end it; a line not ended by LF is cut after its
// last space. `next` is where the following line starts.
struct Cut {
    bool any;
    std::string str;
    size_t next;
};

inline Cut ModelCut(const std::string &text, size_t at) {
    Cut c{false, "", at};
    size_t i = at;
    long space_idx = -1;
    size_t after_space = 0;
    bool lf = false;
    while (i < text.size() && c.str.size() < 53) {
        char b = text[i++];
        if (b == '\r') continue;
        if (b == '\n') {
            lf = true;
            break;
        }
        if (b == ' ') {
            space_idx = static_cast<long>(c.str.size());
            after_space = i;
        }
        c.str.push_back(b);
    }
    c.any = i > at;
    c.next = i;
    if (space_idx >= 0 && !lf) {
        c.str.resize(static_cast<size_t>(space_idx));
        c.next = after_space;
    }
    return c;
}

// The start offset of every line and the end offset.
inline std::vector<int32_t> ModelOffsets(const std::string &text) {
    std::vector<int32_t> offs{0};
    for (;;) {
        Cut c = ModelCut(text, static_cast<size_t>(offs.back()));
        if (!c.any) break;
        offs.push_back(static_cast<int32_t>(c.next));
    }
    return offs;
}

inline int32_t Word(const std::string &bytes, size_t word) {
    uint32_t u = 0;
    for (int i = 3; i >= 0; i--) u = (u << 8) | static_cast<uint8_t>(bytes[word * 4 + static_cast<size_t>(i)]);
    return static_cast<int32_t>(u);
}

}  // namespace fuzz

#endif
