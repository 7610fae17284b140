// testutil.h: shared test helpers: a temporary folder that cleans up after
// itself and whole-file reads and writes.
#ifndef TOMO_TESTUTIL_H
#define TOMO_TESTUTIL_H

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace testutil {

namespace fs = std::filesystem;

// A fresh folder under TMPDIR, removed with everything in it.
struct TempDir {
    fs::path path;
    TempDir() {
        std::string tmpl = (fs::temp_directory_path() / "tomo-test-XXXXXX").string();
        std::vector<char> buf(tmpl.begin(), tmpl.end());
        buf.push_back('\0');
        char *made = mkdtemp(buf.data());
        path = made ? fs::path(made) : fs::path();
    }
    ~TempDir() {
        std::error_code ec;
        fs::permissions(path, fs::perms::owner_all, fs::perm_options::add, ec);
        fs::remove_all(path, ec);
    }
    TempDir(const TempDir &) = delete;
    TempDir &operator=(const TempDir &) = delete;
    std::string operator/(const std::string &name) const { return (path / name).string(); }
    std::string str() const { return path.string(); }
};

inline void WriteFile(const std::string &path, const std::string &bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline std::string ReadFile(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The little-endian 32-bit words of a file (the line index file's layout).
inline std::vector<int32_t> ReadWords(const std::string &path) {
    std::string bytes = ReadFile(path);
    std::vector<int32_t> words;
    for (size_t i = 0; i + 4 <= bytes.size(); i += 4) {
        uint32_t w = static_cast<uint8_t>(bytes[i]) | static_cast<uint8_t>(bytes[i + 1]) << 8 |
                     static_cast<uint8_t>(bytes[i + 2]) << 16 |
                     static_cast<uint32_t>(static_cast<uint8_t>(bytes[i + 3])) << 24;
        words.push_back(static_cast<int32_t>(w));
    }
    return words;
}

inline std::string Words(const std::vector<int32_t> &words) {
    std::string bytes;
    for (int32_t w : words) {
        uint32_t u = static_cast<uint32_t>(w);
        for (int i = 0; i < 4; i++) bytes.push_back(static_cast<char>((u >> (8 * i)) & 0xFF));
    }
    return bytes;
}

// "L000000\n", "L000001\n", ...: line k starts at byte 8k.
inline std::string NumberedLines(int n) {
    std::string text;
    char buf[16];
    for (int i = 0; i < n; i++) {
        snprintf(buf, sizeof buf, "L%06d\n", i);
        text += buf;
    }
    return text;
}

}  // namespace testutil

#endif
