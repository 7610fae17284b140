// testutil.h: what the tests, the fuzzers and the benchmark share without
// the program: temporary folders, whole files, the index file's words, the
// numbered text, and a byte-at-a-time model of the line cut to hold the
// program's block-wise cut against.
#ifndef TOMO_TESTUTIL_H
#define TOMO_TESTUTIL_H

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <sstream>
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

// The folder of a process that runs no test suite (a fuzzer, the
// benchmark): made on first use, removed at exit.
inline const TempDir &Scratch() {
    static TempDir dir;
    return dir;
}

inline bool WriteFile(const std::string &path, const std::string &bytes) {
    FILE *f = fopen(path.c_str(), "wb");
    if (f == nullptr) return false;
    bool written = fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return fclose(f) == 0 && written;
}

// The whole file; "" when it cannot be read.
inline std::string ReadFile(const std::string &path) {
    std::string bytes;
    FILE *f = fopen(path.c_str(), "rb");
    if (f == nullptr) return bytes;
    char buf[65536];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, f)) > 0) bytes.append(buf, n);
    fclose(f);
    return bytes;
}

// The names in a folder.
inline std::set<std::string> Names(const std::string &folder) {
    std::set<std::string> names;
    for (const auto &e : fs::directory_iterator(folder)) names.insert(e.path().filename().string());
    return names;
}

// base followed by "/"-separated folder names of `fill` (200 bytes at
// most each), to exactly `length` bytes: a path as deep as a test needs.
inline std::string PathOfLength(std::string base, size_t length, char fill = 'd') {
    while (base.size() + 1 < length) {
        size_t room = length - base.size() - 1;  // after the "/"
        size_t part = std::min<size_t>(200, room);
        if (room > part && room - part == 1) part--;  // never leave room for a bare "/"
        base += "/" + std::string(part, fill);
    }
    return base;
}

// The folders of rel ("a/b/c") under base, each made from an open handle
// of the one before, so that their paths may pass PATH_MAX.
inline bool MakeDeepFolders(const std::string &base, const std::string &rel) {
    int at = open(base.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    std::stringstream parts(rel);
    std::string part;
    while (at >= 0 && std::getline(parts, part, '/')) {
        if (part.empty()) continue;
        mkdirat(at, part.c_str(), 0755);
        int next = openat(at, part.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        close(at);
        at = next;
    }
    if (at < 0) return false;
    close(at);
    return true;
}

// A file opened (made if need be) and locked as a program that writes it
// locks it, for as long as this lives: another program at work on it.
struct LockedFile {
    int fd;
    explicit LockedFile(const std::string &path) : fd(open(path.c_str(), O_RDWR | O_CREAT, 0644)) {
        if (fd >= 0 && flock(fd, LOCK_EX | LOCK_NB) != 0) {
            close(fd);
            fd = -1;
        }
    }
    ~LockedFile() {
        if (fd >= 0) close(fd);
    }
    LockedFile(const LockedFile &) = delete;
    LockedFile &operator=(const LockedFile &) = delete;
    bool held() const { return fd >= 0; }
};

// prefix and k in `digits` digits: "f01", "zz0999".
inline std::string NumberedName(const std::string &prefix, long k, int digits) {
    char buf[24];
    snprintf(buf, sizeof buf, "%0*ld", digits, k);
    return prefix + buf;
}

// Files NumberedName(prefix, k, digits) for k = first .. last in folder.
inline void NumberedFiles(const std::string &folder, const std::string &prefix, long first, long last,
                          int digits, const std::string &bytes = "") {
    for (long k = first; k <= last; k++) WriteFile(folder + "/" + NumberedName(prefix, k, digits), bytes);
}

// ---- The line index file ----------------------------------------------------

// Where the line index of folder/name is kept.
inline std::string IndexFile(const std::string &folder, const std::string &name) {
    return folder + "/." + name + ".tomo";
}
// And where the book view's.
inline std::string BookIndexFile(const std::string &folder, const std::string &name) {
    return IndexFile(folder, name) + "-book";
}

// Little-endian 32-bit words, the index file's layout.
inline std::string Words(const std::vector<int32_t> &words) {
    std::string bytes;
    for (int32_t w : words) {
        uint32_t u = static_cast<uint32_t>(w);
        for (int i = 0; i < 4; i++) bytes.push_back(static_cast<char>((u >> (8 * i)) & 0xFF));
    }
    return bytes;
}

// The whole words of bytes; a cut-off word at the end is left out.
inline std::vector<int32_t> WordsOf(const std::string &bytes) {
    std::vector<int32_t> words;
    for (size_t i = 0; i + 4 <= bytes.size(); i += 4) {
        uint32_t w = 0;
        for (int b = 3; b >= 0; b--) w = w << 8 | static_cast<uint8_t>(bytes[i + static_cast<size_t>(b)]);
        words.push_back(static_cast<int32_t>(w));
    }
    return words;
}

inline std::vector<int32_t> ReadWords(const std::string &path) { return WordsOf(ReadFile(path)); }

// ---- The numbered text ------------------------------------------------------

// Line k (from 1) of the numbered text reads "L000k" in seven characters
// ("N000k" with tag 'N', for a text that replaced another): with its LF
// it is eight bytes, so line k starts at byte 8 (k - 1).
inline std::string NumberedRow(long k, char tag = 'L') { return NumberedName(std::string(1, tag), k, 6); }

inline std::vector<std::string> NumberedRows(long first, long last, char tag = 'L') {
    std::vector<std::string> rows;
    for (long k = first; k <= last; k++) rows.push_back(NumberedRow(k, tag));
    return rows;
}

inline std::string NumberedText(long lines, char tag = 'L') {
    std::string text;
    for (long k = 1; k <= lines; k++) text += NumberedRow(k, tag) + "\n";
    return text;
}

// ---- A model of the line cut --------------------------------------------------

const size_t kModelCols = 53;  // characters of a row

// One wrapped line, read a byte at a time: CR is no character, LF ends the
// line, 53 characters end it, and a line that no LF ends is cut after its
// last space. Its bytes are [start, next); next == start where the text
// has no line from `start` on.
struct ModelLine {
    std::string str;
    size_t start, next;
};

inline ModelLine ModelCut(const std::string &text, size_t start) {
    ModelLine m{"", start, start};
    size_t i = start, after_space = 0;
    long space_at = -1;
    bool lf = false;
    while (i < text.size() && m.str.size() < kModelCols) {
        char b = text[i++];
        if (b == '\r') continue;
        if (b == '\n') {
            lf = true;
            break;
        }
        if (b == ' ') {
            space_at = static_cast<long>(m.str.size());
            after_space = i;
        }
        m.str.push_back(b);
    }
    m.next = i;
    if (space_at >= 0 && !lf) {
        m.str.resize(static_cast<size_t>(space_at));
        m.next = after_space;
    }
    return m;
}

// Every line of the text from `start` on.
inline std::vector<ModelLine> ModelLines(const std::string &text, size_t start = 0) {
    std::vector<ModelLine> lines;
    for (ModelLine m = ModelCut(text, start); m.next > m.start; m = ModelCut(text, m.next)) lines.push_back(m);
    return lines;
}

// Where every line starts, and the end: the offsets the index keeps.
inline std::vector<int32_t> ModelOffsets(const std::string &text) {
    std::vector<int32_t> offsets{0};
    for (const ModelLine &m : ModelLines(text)) offsets.push_back(static_cast<int32_t>(m.next));
    return offsets;
}

// The words of the text's index file: the saved line, the count, the offsets.
inline std::vector<int32_t> ModelIndex(const std::string &text, int32_t saved = 0) {
    std::vector<int32_t> offsets = ModelOffsets(text);
    std::vector<int32_t> words{saved, static_cast<int32_t>(offsets.size() - 1)};
    words.insert(words.end(), offsets.begin(), offsets.end());
    return words;
}

}  // namespace testutil

#endif
