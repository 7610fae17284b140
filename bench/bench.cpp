// bench.cpp: how fast tomo measures a new text, reopens a measured one and
// draws a frame, and how much memory measuring takes. One run prints every
// figure; the flags below run one piece alone, for callgrind, for the peak
// RSS of a fresh process and for measuring on another display or SDL.
//
//   tomo_bench DIR              generate the texts in DIR and print the
//                               figures of the dummy video driver
//   tomo_bench --frames page N  draw N page frames only (N = 0: set-up only)
//   tomo_bench --frames cyrillic N   the same with a page of Cyrillic
//   tomo_bench --frames list N  draw N list frames only
//   ... --frames page|cyrillic|list N loaded   the same from the sheet as
//                               loaded, which SDL converts on every glyph
//   tomo_bench --sheet N        load the font sheet and make its copy for
//                               the screen N times, for callgrind
//   tomo_bench --measure FILE   measure FILE once (first visit) and exit,
//                               for callgrind on the measuring pass
//   tomo_bench --measure-book FILE   measure FILE's line index file, then
//                               its book view's index (callgrind that alone)
//   tomo_bench --cut FILE plain|book   cut FILE into the plain view's lines
//                               or the book view's rows once, without an
//                               index, for callgrind on the cut alone
//   tomo_bench --first-visit FILE RUNS   measure FILE RUNS times on the
//                               display SDL_VIDEODRIVER and DISPLAY name, in
//                               the window the desktop flavour opens there;
//                               print the best wall-clock milliseconds, the
//                               most bytes presented by one run and the
//                               window's scale
//   tomo_bench --peak-rss DIR NAME   print the peak RSS in KiB of the real
//                               program (TOMO_PROGRAM) opening DIR/NAME for
//                               the first time, with the console stand-in
//                               (TOMO_STANDIN) preloaded to press the buttons
//   tomo_bench --peak-rss-memory DIR NAME   the same with a folder at the
//                               index name, so the text is measured into
//                               the index in memory
//   tomo_bench --peak-rss-book DIR NAME   the same in the book view
#include <SDL.h>

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <ctime>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app.h"
#include "graphics.h"
#include "letters.h"
#include "platform.h"
#include "program.h"
#include "real.h"
#include "targa.h"
#include "testutil.h"
#include "viewer.h"

namespace {

using testutil::BookIndexFile;
using testutil::IndexFile;
using testutil::PickText;
using testutil::Utf8;

// Process CPU time for reopening and frames: the machine is shared, and
// time spent waiting for a core is not the program's.
struct Clock {
    typedef double time_point;
    static double now() {
        timespec ts;
        clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
        return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
    }
};

double Seconds(double a, double b) { return b - a; }

// Wall-clock time for measuring and its limits: syncing the index waits
// for the disk, and a window's presents are the X server's work, in
// another process.
double WallNow() {
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

// The best and the median of a run of timings.
void BestAndMedian(std::vector<double> t, double *best, double *median) {
    std::sort(t.begin(), t.end());
    *best = t.front();
    *median = t[t.size() / 2];
}

// DIR and NAME of DIR/NAME; "." for a bare name.
void SplitPath(const std::string &path, std::string *dir, std::string *name) {
    size_t slash = path.rfind('/');
    *dir = slash == std::string::npos ? "." : path.substr(0, slash);
    *name = slash == std::string::npos ? path : path.substr(slash + 1);
}

// ---- Bytes presented -------------------------------------------------------

// The bytes the program asked SDL to present (see SDL_Flip below).
unsigned long long presented_bytes = 0;
bool inside_present = false;

unsigned long long RectBytes(SDL_Surface *s, Uint32 w, Uint32 h) {
    if (w == 0 && h == 0) {
        w = static_cast<Uint32>(s->w);
        h = static_cast<Uint32>(s->h);
    }
    return static_cast<unsigned long long>(w) * h * s->format->BytesPerPixel;
}

// ---- The video surface and the font sheet, as the program sets them up --

SDL_Surface *screen = nullptr;
SDL_Surface *font = nullptr;      // what the program draws with: the copy
SDL_Surface *original = nullptr;  // the sheet as loaded, for comparison

void StartVideo() {
    setenv("SDL_VIDEODRIVER", "dummy", 0);
    if (SDL_Init(SDL_INIT_VIDEO) < 0) {
        fprintf(stderr, "SDL_Init: %s\n", SDL_GetError());
        exit(1);
    }
    // the desktop flavour's window, at the scale it would choose here
    const SDL_VideoInfo *info = SDL_GetVideoInfo();
    screen = OpenScreen(WindowScale(info ? info->current_w : 0, info ? info->current_h : 0,
                                    getenv("TOMO_SCALE")));
    SDL_ShowCursor(0);
    font = LoadTargaImage(TOMO_FONT);
    original = LoadTargaImage(TOMO_FONT);
    FontForScreen(&font, screen);
    if (!screen || !font || !original) {
        fprintf(stderr, "no video surface or no font sheet (%s)\n", TOMO_FONT);
        exit(1);
    }
    draw_lock = SDL_CreateMutex();
}

// ---- Generated texts ------------------------------------------------------

const char *const kWords[] = {
    "the", "of", "and", "to", "in", "a", "was", "he", "that", "his", "it", "with",
    "as", "had", "for", "at", "which", "by", "on", "not", "her", "be", "from",
    "but", "they", "she", "all", "were", "said", "there", "would", "been", "one",
    "their", "have", "could", "into", "upon", "little", "little", "morning",
    "river", "window", "remembered", "quietly", "afternoon", "carriage",
    "letters", "garden", "question", "nothing", "something", "everybody",
    "understood", "neighbourhood", "conversation", "silence", "evening",
};
const int kWordCount = sizeof kWords / sizeof kWords[0];

struct Rng {
    unsigned long long s = 88172645463325252ULL;
    unsigned Next(unsigned n) {
        s ^= s << 13;
        s ^= s >> 7;
        s ^= s << 17;
        return static_cast<unsigned>(s % n);
    }
};

void AddWord(std::string &out, Rng &rng, size_t &line_len) {
    const char *w = kWords[rng.Next(kWordCount)];
    if (line_len > 0) {
        const char *sep = rng.Next(12) == 0 ? ", " : " ";
        out += sep;
        line_len += strlen(sep);
    }
    out += w;
    line_len += strlen(w);
}

// Paragraphs of 3 to 12 lines of 60 to 80 characters, each line ending
// with LF, a blank line between paragraphs.
std::string ShortLines(size_t size) {
    std::string out;
    Rng rng;
    out.reserve(size + 200);
    while (out.size() < size) {
        unsigned lines = 3 + rng.Next(10);
        for (unsigned l = 0; l < lines; l++) {
            size_t target = 60 + rng.Next(21), len = 0;
            while (len < 60) AddWord(out, rng, len);
            while (len < target) {
                size_t before = out.size(), before_len = len;
                AddWord(out, rng, len);
                if (len > 80) {
                    out.resize(before);
                    len = before_len;
                    break;
                }
            }
            out += '\n';
        }
        out += '\n';
    }
    out.resize(size);
    out.back() = '\n';
    return out;
}

// Paragraphs of 1,000 to 6,000 characters with one LF at the end of each.
std::string LongParagraphs(size_t size) {
    std::string out;
    Rng rng;
    out.reserve(size + 200);
    while (out.size() < size) {
        size_t target = 1000 + rng.Next(5001), len = 0;
        while (len < target) {
            AddWord(out, rng, len);
            if (rng.Next(14) == 0) {
                out += '.';
                len++;
            }
        }
        out += ".\n";
    }
    out.resize(size);
    out.back() = '\n';
    return out;
}

// A novel's paragraphs, hard-wrapped as an editor wraps them: as many
// words as fit in 72 columns on each line, a blank line between
// paragraphs of 3 to 12 sentences. With cyrillic, every Latin letter is
// written as a Cyrillic one, two bytes of UTF-8 for a column.
std::string WrappedProse(size_t size, bool cyrillic) {
    std::string out, line;
    Rng rng;
    out.reserve(size + 200);
    auto letters = [cyrillic](const char *w) {
        std::string word;
        for (const char *p = w; *p; p++) word += cyrillic ? Utf8(0x430 + (*p - 'a')) : std::string(1, *p);  // U+0430..
        return word;
    };
    size_t cols = 0;
    while (out.size() < size) {
        unsigned words = 40 + rng.Next(160);
        for (unsigned i = 0; i < words; i++) {
            const char *base = kWords[rng.Next(kWordCount)];
            bool comma = rng.Next(9) == 0;
            std::string word = letters(base) + (comma ? "," : "");
            size_t w = strlen(base) + comma;
            if (cols > 0 && cols + 1 + w > 72) {
                out += line + "\n";
                line.clear();
                cols = 0;
            }
            line += (cols > 0 ? " " : "") + word;
            cols += (cols > 0 ? 1 : 0) + w;
        }
        out += line + ".\n\n";
        line.clear();
        cols = 0;
    }
    out.resize(size);
    out.back() = '\n';
    return out;
}

// A full page: every row 53 characters without a space, so each row is
// cut at the width and draws 53 glyphs.
std::string FullRows(int rows) {
    std::string out;
    for (int i = 0; i < rows * TEXT_COLS; i++) out += static_cast<char>('!' + i % 94);
    return out;
}

void WriteText(const std::string &path, const std::string &text) {
    if (!testutil::WriteFile(path, text)) {
        fprintf(stderr, "cannot write %s\n", path.c_str());
        exit(1);
    }
}

// ---- The read limit: the file in 64 KiB blocks, LFs counted by memchr ----

long long CountLines(const std::string &path) {
    static char block[65536];
    long long lfs = 0;
    int fd = open(path.c_str(), O_RDONLY);
    ssize_t n;
    if (fd < 0) return -1;
    while ((n = read(fd, block, sizeof block)) > 0) {
        const char *p = block, *end = block + n;
        while ((p = static_cast<const char *>(memchr(p, '\n', end - p))) != nullptr) {
            lfs++;
            p++;
        }
    }
    close(fd);
    return lfs;
}

// ---- The write limit: an index-sized file written and synced ---------------

// What measuring cannot do without besides reading the text: 4 bytes a
// line and three more words, in 64 KiB blocks, synced, in the text's folder.
double WriteSyncSeconds(const std::string &dir, long long lines) {
    static char block[65536];
    std::string path = dir + "/.bench-write";
    long long left = 4 * (lines + 3);
    double t0 = WallNow();
    int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0) return -1;
    while (left > 0) {
        size_t n = static_cast<size_t>(std::min<long long>(left, sizeof block));
        if (write(fd, block, n) != static_cast<ssize_t>(n)) break;
        left -= static_cast<long long>(n);
    }
    fsync(fd);
    close(fd);
    double s = WallNow() - t0;
    unlink(path.c_str());
    return s;
}

double BestWriteSyncSeconds(const std::string &dir, long long lines, int runs) {
    double best = 1e9;
    for (int i = 0; i < runs; i++) best = std::min(best, WriteSyncSeconds(dir, lines));
    return best;
}

double BestReadSeconds(const std::string &path, int runs) {
    double best = 1e9;
    for (int i = 0; i < runs; i++) {
        double t0 = WallNow();
        CountLines(path);
        best = std::min(best, WallNow() - t0);
    }
    return best;
}

// ---- First and second visit ----------------------------------------------

double FirstVisitSeconds(const std::string &dir, const std::string &name) {
    unlink(IndexFile(dir, name).c_str());
    PickText(dir, name);
    clear_screen(screen);
    double t0 = WallNow();
    GetFileInfo(font, screen);
    double s = WallNow() - t0;
    if (num_lines <= 0) {
        fprintf(stderr, "measuring %s made no index\n", name.c_str());
        exit(1);
    }
    return s;
}

// The best seconds of runs first visits, and the most bytes that one of
// them presented.
double BestFirstVisit(const std::string &dir, const std::string &name, int runs,
                      unsigned long long *bytes) {
    double best = 1e9;
    *bytes = 0;
    for (int i = 0; i < runs; i++) {
        unsigned long long before = presented_bytes;
        best = std::min(best, FirstVisitSeconds(dir, name));
        *bytes = std::max(*bytes, presented_bytes - before);
    }
    return best;
}

// Best and median of many reopenings of an index that is already there.
void SecondVisit(const std::string &dir, const std::string &name, double *best,
                 double *median) {
    std::vector<double> t;
    PickText(dir, name);
    for (int i = 0; i < 301; i++) {
        clear_screen(screen);
        Clock::time_point t0 = Clock::now();
        GetFileInfo(font, screen);
        t.push_back(Seconds(t0, Clock::now()));
    }
    BestAndMedian(t, best, median);
}

// ---- Frames ----------------------------------------------------------------

// Rows of 26 Cyrillic letters, two bytes each: a full row of a Russian
// text without spaces.
std::string CyrillicRows(int rows) {
    std::string out;
    for (int i = 0; i < rows * 26; i++) out += Utf8(0x410 + i % 64) + (i % 26 == 25 ? "\n" : "");  // А..я
    return out;
}

void SetUpPage(const std::string &dir, const std::string &name = "page.txt", const std::string &text = FullRows(40)) {
    WriteText(dir + "/" + name, text);
    PickText(dir, name);
    unlink(IndexFile(dir, name).c_str());
    GetFileInfo(font, screen);
    state = STATE_TEXT;
}

void SetUpList() {
    snprintf(curPath, CUR_PATH_SIZE, "%s", "/mnt/sd/books/collected works");
    for (int i = 0; i < 14; i++) {
        snprintf(dirlist[i].file, NAME_SIZE, i == 0 ? ".." : "%02d %s of the %s.txt", i,
                 kWords[(i * 7) % kWordCount], kWords[(i * 11 + 3) % kWordCount]);
        dirlist[i].isADir = i < 4;
    }
    dirlist[14].file[0] = '\0';
    listcnt = 14;
    top_of_list = 0;
    state = STATE_LIST;
}

// The frames measured: a page of Latin rows, one of Cyrillic rows, the
// list; by the name --frames takes and as the table of a run labels them.
const struct {
    const char *kind, *label;
} kFrames[] = {{"page", "page (state 3)"}, {"cyrillic", "cyrillic page"}, {"list", "list (state 2)"}};

void SetUpFrame(const std::string &kind, const std::string &dir) {
    if (kind == "page")
        SetUpPage(dir);
    else if (kind == "cyrillic")
        SetUpPage(dir, "cyrillic.txt", CyrillicRows(40));
    else
        SetUpList();
}

void DrawFrames(SDL_Surface *sheet, long n) {
    for (long i = 0; i < n; i++) render2(screen, sheet);
}

// Best and median microseconds of one frame, in batches of 100.
void FrameMicros(SDL_Surface *sheet, double *best, double *median) {
    std::vector<double> t;
    DrawFrames(sheet, 100);
    for (int b = 0; b < 60; b++) {
        Clock::time_point t0 = Clock::now();
        DrawFrames(sheet, 100);
        t.push_back(Seconds(t0, Clock::now()) * 1e6 / 100);
    }
    BestAndMedian(t, best, median);
}

// The start-up's share of the font sheet: loading it and making its copy
// in the screen's format, as the program does once.
void LoadSheet() {
    SDL_Surface *sheet = LoadTargaImage(TOMO_FONT);
    FontForScreen(&sheet, screen);
    if (!sheet) {
        fprintf(stderr, "no font sheet (%s)\n", TOMO_FONT);
        exit(1);
    }
    SDL_FreeSurface(sheet);
}

// Best and median milliseconds of LoadSheet.
void SheetMillis(double *best, double *median) {
    std::vector<double> t;
    LoadSheet();
    for (int i = 0; i < 21; i++) {
        double t0 = WallNow();
        LoadSheet();
        t.push_back((WallNow() - t0) * 1e3);
    }
    BestAndMedian(t, best, median);
}

// ---- Peak memory of the real program measuring one text --------------------

std::string self_path;

// What a run leaves in its folder, or an earlier one left there (the
// places file too, which a text read in memory would otherwise reopen at).
void ClearRun(const std::string &run, const std::string &name) {
    for (const std::string &file : {run + "/" + name, run + "/simplefont.tga", run + "/.script",
                                    IndexFile(run, name), BookIndexFile(run, name), run + "/.state/tomo/view",
                                    run + "/.state/tomo/places"})
        unlink(file.c_str());
    rmdir(IndexFile(run, name).c_str());
}

// The program lists its working directory, so it starts in a folder of its
// own holding its font sheet and the text (a hard link, else a symbolic
// one): "..", the text, "simplefont.tga". The stand-in moves down to the
// text, opens it (the first visit: its index is removed first), goes back
// to the list and leaves, which ends the program in either flavour.
//
// A child's peak RSS counts what it held before its exec too, the image of
// the process that forked it; so this runs in a fresh, small process of
// its own (--peak-rss), never in the one that generated the texts.
long ProgramPeakKiB(const std::string &dir, const std::string &name, bool in_memory = false, bool book = false) {
    std::string run = dir + "/run-" + name;
    mkdir(run.c_str(), 0755);
    // a state folder of its own, where the chosen view is book or none
    std::string state = run + "/.state", view = state + "/tomo/view";
    mkdir(state.c_str(), 0755);
    mkdir((state + "/tomo").c_str(), 0755);
    ClearRun(run, name);
    if (book) WriteText(view, "book\n");
    std::string text = run + "/" + name, font_link = run + "/simplefont.tga";
    std::string script = run + "/.script";
    if (in_memory) mkdir(IndexFile(run, name).c_str(), 0755);
    if ((link((dir + "/" + name).c_str(), text.c_str()) != 0 &&
         symlink((dir + "/" + name).c_str(), text.c_str()) != 0) ||
        symlink(TOMO_FONT, font_link.c_str()) != 0) {
        fprintf(stderr, "cannot lay out %s\n", run.c_str());
        exit(1);
    }
    // stick down, B (measure, then the page), A (the list), A (leave)
    WriteText(script, "press 4\nrelease 4\npress 13\nrelease 13\n"
                      "press 12\nrelease 12\npress 12\nrelease 12\n");
    pid_t pid = fork();
    if (pid == 0) {
        if (chdir(run.c_str()) != 0) _exit(126);
        setenv("LD_PRELOAD", TOMO_STANDIN, 1);
        setenv("TOMO_STANDIN_SCRIPT", script.c_str(), 1);
        setenv("SDL_VIDEODRIVER", "dummy", 1);
        setenv("XDG_STATE_HOME", state.c_str(), 1);
        int null = open("/dev/null", O_WRONLY);
        if (null >= 0) dup2(null, 1);  // the listing it prints
        execl(TOMO_PROGRAM, TOMO_PROGRAM, static_cast<char *>(nullptr));
        _exit(127);
    }
    int status = 0;
    struct rusage ru;
    struct stat st;
    if (pid < 0 || wait4(pid, &status, 0, &ru) != pid || !WIFEXITED(status) ||
        WEXITSTATUS(status) != 0 || stat(IndexFile(run, name).c_str(), &st) != 0 ||
        (S_ISDIR(st.st_mode) != 0) != in_memory ||
        (book && !in_memory && stat(BookIndexFile(run, name).c_str(), &st) != 0)) {
        fprintf(stderr, "the program did not measure %s (status %d)\n", name.c_str(), status);
        exit(1);
    }
    ClearRun(run, name);
    rmdir((state + "/tomo").c_str());
    rmdir(state.c_str());
    rmdir(run.c_str());
    return ru.ru_maxrss;
}

long PeakKiB(const std::string &dir, const std::string &name, bool in_memory = false, bool book = false) {
    std::string mode = in_memory ? "--peak-rss-memory" : book ? "--peak-rss-book" : "--peak-rss";
    std::string command = "'" + self_path + "' " + mode + " '" + dir + "' '" + name + "'";
    FILE *child = popen(command.c_str(), "r");
    long kib = -1;
    if (!child || fscanf(child, "%ld", &kib) != 1 || pclose(child) != 0 || kib <= 0) {
        fprintf(stderr, "no peak RSS for %s\n", name.c_str());
        exit(1);
    }
    return kib;
}

// The first visit of a text in the book view whose line index file is
// there already: the book view's own measuring, alone.
double BookFirstVisitSeconds(const std::string &dir, const std::string &name) {
    PickText(dir, name);
    text_view = VIEW_PLAIN;
    GetFileInfo(font, screen);
    unlink(BookIndexFile(dir, name).c_str());
    text_view = VIEW_BOOK;
    clear_screen(screen);
    double t0 = WallNow();
    GetFileInfo(font, screen);
    double s = WallNow() - t0;
    text_view = VIEW_PLAIN;
    if (book_index_kind != INDEX_FILE) {
        fprintf(stderr, "measuring %s in the book view made no index\n", name.c_str());
        exit(1);
    }
    return s;
}

int MeasureOne(const std::string &path, bool book) {
    std::string dir, name;
    SplitPath(path, &dir, &name);
    StartVideo();
    (book ? BookFirstVisitSeconds : FirstVisitSeconds)(dir, name);
    return 0;
}

// ---- The index in memory ----------------------------------------------------

// Microseconds of one page move (R: MoveDown15Lines) near the end of a
// measured text, the mean of 200 moves in a row over its last lines, best
// of 5 rounds; through the index file, or through the index in memory (a
// folder stands at the index name).
double PageMoveMicros(const std::string &dir, const std::string &name, bool in_memory) {
    const int moves = 200;
    std::string index = IndexFile(dir, name);
    unlink(index.c_str());
    rmdir(index.c_str());
    if (in_memory) mkdir(index.c_str(), 0755);
    PickText(dir, name);
    GetFileInfo(font, screen);
    if (num_lines <= PAGE_STEP * moves) {
        fprintf(stderr, "%s is too short to page through\n", name.c_str());
        exit(1);
    }
    double best = 1e9;
    for (int round = 0; round < 5; round++) {
        cur_line = num_lines - 1 - PAGE_STEP * moves;
        top_of_page_offset = GetSavedOffset(cur_line);
        extra_lines_skipped = 0;
        Clock::time_point t0 = Clock::now();
        for (int i = 0; i < moves; i++) MoveDown15Lines();
        best = std::min(best, Seconds(t0, Clock::now()) * 1e6 / moves);
        if (cur_line != num_lines - 1 || top_of_page_offset != GetSavedOffset(num_lines - 1)) {
            fprintf(stderr, "paging %s went wrong\n", name.c_str());
            exit(1);
        }
    }
    rmdir(index.c_str());
    unlink(index.c_str());
    return best;
}

void InMemory(const std::string &dir) {
    printf("\nThe index in memory (a folder at the index name)\n");
    printf("%-22s %14s %14s %18s\n", "text", "R, file us", "R, memory us", "peak RSS KiB");
    for (const char *kind : {"lines", "paragraphs"}) {
        std::string small = std::string(kind) + "-1MB.txt", large = std::string(kind) + "-100MB.txt";
        double file = PageMoveMicros(dir, large, false), memory = PageMoveMicros(dir, large, true);
        long small_kib = PeakKiB(dir, small), large_kib = PeakKiB(dir, large, true);
        printf("%-22s %14.1f %14.1f %10ld (%+ld)\n", large.c_str(), file, memory, large_kib,
               large_kib - small_kib);
        fflush(stdout);
    }
    printf("(R: one page move over the last 3,000 lines, mean of 200 in a row, best of 5;\n"
           " peak RSS measuring the 100 MB text in memory, and its difference from\n"
           " measuring the 1 MB text with its index file)\n");
}

// ---- The book view's cut against the plain one ----------------------------

// Every line (or book row) of the text, in the measuring pass's batches
// and through its block, without the index: the cut alone.
long CutText(const std::string &path, bool book) {
    static char block[MEASURE_BLOCK_SIZE];
    int64_t ends[PROGRESS_EVERY];
    LineReader r;
    long rows = 0;
    int n;
    if (!(book ? OpenBookReader(&r, path.c_str(), 0, block, MEASURE_BLOCK_SIZE, WrapWidth(path.c_str()))
               : OpenLineReader(&r, path.c_str(), 0, block, MEASURE_BLOCK_SIZE)))
        return -1;
    do {
        n = book ? ReadBookRowEnds(&r, ends, PROGRESS_EVERY) : ReadLineEnds(&r, ends, PROGRESS_EVERY);
        rows += n;
    } while (n == PROGRESS_EVERY);
    CloseLineReader(&r);
    return rows;
}

double BestCutSeconds(const std::string &path, bool book, long *rows) {
    double best = 1e9;
    for (int i = 0; i < 9; i++) {
        Clock::time_point t0 = Clock::now();
        *rows = CutText(path, book);
        best = std::min(best, Seconds(t0, Clock::now()));
    }
    return best;
}

const char *const kBookTexts[] = {"lines-10MB.txt", "paragraphs-10MB.txt", "prose-10MB.txt",
                                  "cyrillic-10MB.txt"};

void BookCut(const std::string &dir) {
    printf("\nThe book view's cut against the plain one: every line or row of the text as\n"
           "the measuring pass cuts it, best of 9, milliseconds of CPU time\n");
    printf("%-22s %5s %10s %10s %10s %10s %8s\n", "text", "wrap", "lines", "rows", "plain", "book",
           "book/plain");
    for (const char *name : kBookTexts) {
        std::string path = dir + "/" + name;
        long lines, rows;
        double plain = BestCutSeconds(path, false, &lines), book = BestCutSeconds(path, true, &rows);
        printf("%-22s %5d %10ld %10ld %10.2f %10.2f %7.2fx\n", name, WrapWidth(path.c_str()), lines, rows,
               plain * 1e3, book * 1e3, book / plain);
        fflush(stdout);
    }

    printf("\nThe first visit in the book view (GetFileInfo, dummy video driver), warm cache,\n"
           "best of 9, wall-clock milliseconds: the book view's measuring, with the line\n"
           "index file there already, against the plain view's first visit; and a new\n"
           "text opened in the book view, which measures both\n");
    printf("%-22s %10s %10s %8s %12s %8s\n", "text", "plain", "book", "/plain", "new in book", "/plain");
    for (const char *name : kBookTexts) {
        double plain = 1e9, book = 1e9, both = 1e9;
        for (int i = 0; i < 9; i++) {
            plain = std::min(plain, FirstVisitSeconds(dir, name));
            book = std::min(book, BookFirstVisitSeconds(dir, name));
            unlink(BookIndexFile(dir, name).c_str());
            text_view = VIEW_BOOK;
            both = std::min(both, FirstVisitSeconds(dir, name));
            text_view = VIEW_PLAIN;
        }
        printf("%-22s %10.2f %10.2f %7.2fx %12.2f %7.2fx\n", name, plain * 1e3, book * 1e3, book / plain,
               both * 1e3, both / plain);
        fflush(stdout);
    }

    printf("\nReopening in the book view (both index files there), best / median of 301,\n"
           "microseconds\n");
    text_view = VIEW_BOOK;
    for (const char *name : {"prose-10MB.txt", "cyrillic-10MB.txt"}) {
        double best, median;
        SecondVisit(dir, name, &best, &median);
        printf("%-22s %8.1f / %8.1f\n", name, best * 1e6, median * 1e6);
    }
    text_view = VIEW_PLAIN;

    printf("\nPeak RSS of the program opening a new text in the book view\n");
    for (const char *name : {"prose-10MB.txt", "cyrillic-10MB.txt"}) {
        long plain = PeakKiB(dir, name), book = PeakKiB(dir, name, false, true);
        printf("%-22s %8ld KiB   (plain view %ld KiB, %+ld KiB)\n", name, book, plain, book - plain);
        fflush(stdout);
    }
}

// ---- The whole run ---------------------------------------------------------

struct Text {
    const char *kind;
    std::string name;
    size_t size;
};

double MB(size_t bytes) { return static_cast<double>(bytes) / 1e6; }

int RunAll(const std::string &dir) {
    const size_t sizes[] = {1000000, 10000000, 100000000};
    std::vector<Text> texts;
    for (size_t size : sizes) {
        char name[64];
        snprintf(name, sizeof name, "lines-%zuMB.txt", size / 1000000);
        texts.push_back({"lines", name, size});
        snprintf(name, sizeof name, "paragraphs-%zuMB.txt", size / 1000000);
        texts.push_back({"paragraphs", name, size});
    }
    printf("Generating the texts in %s ...\n", dir.c_str());
    fflush(stdout);
    for (const Text &t : texts) {
        struct stat st;
        std::string path = dir + "/" + t.name;
        if (stat(path.c_str(), &st) == 0 && static_cast<size_t>(st.st_size) == t.size) continue;
        WriteText(path, std::string(t.kind)[0] == 'l' ? ShortLines(t.size)
                                                      : LongParagraphs(t.size));
    }
    for (bool cyrillic : {false, true}) {
        std::string path = dir + (cyrillic ? "/cyrillic-10MB.txt" : "/prose-10MB.txt");
        struct stat st;
        if (stat(path.c_str(), &st) != 0 || st.st_size != 10000000)
            WriteText(path, WrappedProse(10000000, cyrillic));
    }
    StartVideo();

    printf("\nFirst visit (GetFileInfo with its progress, dummy video driver), warm cache,\n"
           "best of runs, wall-clock milliseconds; the job's limit is reading the text\n"
           "(64 KiB blocks, LFs counted by memchr) and writing and syncing its index\n");
    printf("%-22s %10s %10s %12s %10s %10s %8s %8s\n", "text", "lines", "measure", "measure MB/s",
           "read", "write+sync", "/read", "/limit");
    for (const Text &t : texts) {
        std::string path = dir + "/" + t.name;
        int runs = t.size >= 100000000 ? 5 : 9;
        BestReadSeconds(path, 1);  // warms the page cache
        double read = BestReadSeconds(path, runs);
        unsigned long long bytes;
        double measure = BestFirstVisit(dir, t.name, runs, &bytes);
        long long lines = num_lines;
        double write = BestWriteSyncSeconds(dir, lines, runs);
        // the limits again, so that a burst of other load on the machine
        // does not land on one side only
        read = std::min(read, BestReadSeconds(path, runs));
        write = std::min(write, BestWriteSyncSeconds(dir, lines, runs));
        printf("%-22s %10lld %10.2f %12.0f %10.2f %10.2f %7.2fx %7.2fx\n", t.name.c_str(), lines,
               measure * 1e3, MB(t.size) / measure, read * 1e3, write * 1e3, measure / read,
               measure / (read + write));
        fflush(stdout);
    }

    printf("\nSecond visit (index reused), best / median of 301, microseconds\n");
    for (const char *name : {"lines-1MB.txt", "lines-100MB.txt", "paragraphs-100MB.txt"}) {
        double best, median;
        SecondVisit(dir, name, &best, &median);
        printf("%-22s %8.1f / %8.1f\n", name, best * 1e6, median * 1e6);
    }

    printf("\nOne frame of render2, best / median of 60 batches of 100, microseconds\n");
    printf("(the sheet as the program draws with it: a copy in the screen's format,\n"
           " each glyph a copy of its rows; the 32-bit sheet as loaded, which SDL\n"
           " converts glyph by glyph)\n");
    struct {
        const char *name;
        SDL_Surface *sheet;
    } sheets[] = {{"", font}, {", loaded sheet", original}};
    double best, median;
    for (const auto &frame : kFrames) {
        SetUpFrame(frame.kind, dir);
        for (const auto &sheet : sheets) {
            FrameMicros(sheet.sheet, &best, &median);
            std::string label = std::string(frame.label) + sheet.name;
            printf("%-28s %8.1f / %8.1f\n", label.c_str(), best, median);
        }
    }

    SheetMillis(&best, &median);
    printf("\nLoading the font sheet (%d x %d) and its copy for the screen, best / median\n"
           "of 21, wall-clock milliseconds: %.2f / %.2f\n", original->w, original->h, best, median);

    printf("\nPeak RSS of the program (%s) opening one text for the first time\n",
           TOMO_PROGRAM);
    for (const char *kind : {"lines", "paragraphs"}) {
        std::string small = std::string(kind) + "-1MB.txt", large = std::string(kind) + "-100MB.txt";
        long small_kib = PeakKiB(dir, small), large_kib = PeakKiB(dir, large);
        printf("%-22s %8ld KiB\n%-22s %8ld KiB   (%+ld KiB)\n", small.c_str(), small_kib,
               large.c_str(), large_kib, large_kib - small_kib);
        fflush(stdout);
    }
    InMemory(dir);
    BookCut(dir);
    return 0;
}

// One line: the best milliseconds and the most bytes presented by a run.
int FirstVisitOnDisplay(const std::string &path, int runs) {
    std::string dir, name;
    SplitPath(path, &dir, &name);
    unsigned long long bytes;
    StartVideo();
    double best = BestFirstVisit(dir, name, runs, &bytes);
    printf("%.2f %llu %d\n", best * 1e3, bytes, SDL_GetVideoSurface()->w / SCREEN_W);
    unlink(IndexFile(dir, name).c_str());
    CloseScreen();
    SDL_Quit();
    return 0;
}

int Frames(const std::string &kind, long n, const std::string &sheet) {
    StartVideo();
    SetUpFrame(kind, testutil::Scratch().str());
    DrawFrames(sheet == "loaded" ? original : font, n);
    return 0;
}

}  // namespace

// The benchmark stands between the program and SDL's two presents and
// counts the bytes that each asks the display to take. SDL_Flip of a
// software screen is SDL_UpdateRect of all of it inside SDL, which may
// come back through here: it is not counted twice.
extern "C" int SDL_Flip(SDL_Surface *s) {
    static auto real = testutil::RealFunction<int (*)(SDL_Surface *)>("SDL_Flip");
    if (inside_present) return real(s);
    presented_bytes += RectBytes(s, 0, 0);
    inside_present = true;
    int result = real(s);
    inside_present = false;
    return result;
}

extern "C" void SDL_UpdateRect(SDL_Surface *s, Sint32 x, Sint32 y, Uint32 w, Uint32 h) {
    static auto real = testutil::RealFunction<void (*)(SDL_Surface *, Sint32, Sint32, Uint32, Uint32)>("SDL_UpdateRect");
    if (inside_present) return real(s, x, y, w, h);
    presented_bytes += RectBytes(s, w, h);
    inside_present = true;
    real(s, x, y, w, h);
    inside_present = false;
}

int main(int argc, char **argv) {
    char exe[4096];
    ssize_t len = readlink("/proc/self/exe", exe, sizeof exe - 1);
    self_path = len > 0 ? std::string(exe, static_cast<size_t>(len)) : argv[0];
    const std::string mode = argc > 1 ? argv[1] : "";
    if (argc == 4 && (mode == "--peak-rss" || mode == "--peak-rss-memory" || mode == "--peak-rss-book")) {
        printf("%ld\n", ProgramPeakKiB(argv[2], argv[3], mode == "--peak-rss-memory", mode == "--peak-rss-book"));
        return 0;
    }
    if ((argc == 4 || argc == 5) && std::string(argv[1]) == "--frames")
        return Frames(argv[2], atol(argv[3]), argc == 5 ? argv[4] : "");
    if (argc == 3 && (mode == "--measure" || mode == "--measure-book")) return MeasureOne(argv[2], mode != "--measure");
    if (argc == 4 && mode == "--cut") return CutText(argv[2], std::string(argv[3]) == "book") < 0;
    if (argc == 3 && mode == "--sheet") {
        StartVideo();
        for (long i = atol(argv[2]); i > 0; i--) LoadSheet();
        return 0;
    }
    if (argc == 4 && std::string(argv[1]) == "--first-visit") return FirstVisitOnDisplay(argv[2], atoi(argv[3]));
    // absolute, since the program run for the peak RSS starts elsewhere
    char *dir = argc == 2 && argv[1][0] != '-' ? realpath(argv[1], nullptr) : nullptr;
    if (dir != nullptr) return RunAll(dir);
    fprintf(stderr, "usage: %s DIR | --frames page|cyrillic|list N [loaded] | --sheet N | --measure FILE"
                    " | --measure-book FILE | --cut FILE plain|book | --first-visit FILE RUNS"
                    " | --peak-rss[-memory|-book] DIR NAME\n",
            argv[0]);
    return 2;
}
