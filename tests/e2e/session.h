// session.h: runs the real program binaries in a folder tree of the test's
// making, with the console stand-in preloaded to play a script of presses,
// and collects what came out: exit status, both streams, the stand-in's
// log and the screenshots.
#ifndef TOMO_E2E_SESSION_H
#define TOMO_E2E_SESSION_H

#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <cstdint>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "screen.h"
#include "targa.h"
#include "testutil.h"

#ifndef TOMO_EMULATOR
#define TOMO_EMULATOR ""
#endif

namespace e2e {

using namespace testutil;

// The GP2X buttons as its SDL port numbers them.
enum Button {
    kStickUp = 0, kStickLeft = 2, kStickDown = 4, kStickRight = 6, kStart = 8, kSelect = 9,
    kL = 10, kR = 11, kA = 12, kB = 13, kX = 14, kY = 15, kVolUp = 16, kVolDown = 17
};

enum class Flavour { Console, Desktop };

// How the stand-in logs a status tick's present: the status band alone.
const char kTickPresent[] = "tick update 0,225 320x15";

inline const char *Binary(Flavour f) { return f == Flavour::Console ? TOMO_BIN_CONSOLE : TOMO_BIN_DESKTOP; }

// For suites run with each flavour in turn.
const Flavour kFlavours[] = {Flavour::Console, Flavour::Desktop};
inline std::string FlavourName(const ::testing::TestParamInfo<Flavour> &p) {
    return p.param == Flavour::Console ? "console" : "desktop";
}

// What the user does, step by step, in the stand-in's script language.
class Script {
public:
    Script &Press(int button) { return Line("press " + std::to_string(button)); }
    Script &Release(int button) { return Line("release " + std::to_string(button)); }
    // Press and let go, `times` times over.
    Script &Tap(int button, int times = 1) {
        for (int i = 0; i < times; i++) Press(button).Release(button);
        return *this;
    }
    Script &Hold(int button, int ms) { return Line("hold " + std::to_string(button) + " " + std::to_string(ms)); }
    Script &Key(const std::string &sym, int times = 1) {
        for (int i = 0; i < times; i++) Line("keydown " + sym).Line("keyup " + sym);
        return *this;
    }
    Script &KeyDown(const std::string &sym) { return Line("keydown " + sym); }
    // A notch of the mouse wheel, up or down.
    Script &Wheel(bool up, int notches = 1) {
        for (int i = 0; i < notches; i++) Line(up ? "wheel up" : "wheel down");
        return *this;
    }
    Script &Quit() { return Line("quit"); }
    Script &Wait(int ms) { return Line("wait " + std::to_string(ms)); }
    Script &Shot(const std::string &name) { return Line("shot " + name + ".bmp"); }
    // Shots name-1, name-2, ... of every frame flipped for the next event.
    Script &FlipShots(const std::string &name) { return Line("flipshots " + name); }
    // The presses, releases and keys of `events` typed ahead: queued all at
    // once, faster than the program draws a frame for each.
    Script &Ahead(const Script &events) {
        text_ += "ahead\n" + events.text() + "end\n";
        return *this;
    }
    // A line as written, for checking how the stand-in reads scripts.
    Script &Raw(const std::string &line) { return Line(line); }
    const std::string &text() const { return text_; }

private:
    Script &Line(const std::string &line) {
        text_ += line + "\n";
        return *this;
    }
    std::string text_;
};

struct Options {
    std::string fail;              // TOMO_STANDIN_FAIL
    bool as_nobody = false;        // run unprivileged (needs root)
    bool font = true;              // put the font sheet in the start folder
    bool stdout_gone = false;      // standard output a pipe whose reader has gone
    int kill_after_s = 60;         // hard limit for the whole run
    int script_grace_ms = 3000;    // how long the program may wait past the script
    // Killed (SIGKILL) once the stand-in has logged a line beginning with
    // stop_at for the stop_nth time, as by a power loss at that point.
    std::string stop_at;
    int stop_nth = 1;
    // The name of a run beside others of the same session at the same
    // time: its script, log and streams are its own.
    std::string run;
    // The display to use instead of SDL's dummy driver: DISPLAY is set to
    // it and SDL_VIDEODRIVER left out, as on a desktop.
    std::string display;
    std::vector<std::string> args;  // the command line after the program's name
    std::vector<std::string> env;   // "NAME=value", set or replacing the session's own
    std::string binary;             // run this program instead of the flavour's

    Options &Within(int seconds) {
        kill_after_s = seconds;
        return *this;
    }
};

struct LogLine {
    long ms;
    std::string text;
};

// What one run of the program left behind.
struct Outcome {
    int exit_code = -1;            // -1 when it did not exit by itself
    int signal = 0;
    bool killed = false;           // hit kill_after_s or stop_at
    std::string out, err;
    std::vector<LogLine> log;

    bool Logged(const std::string &text) const { return Index(text) >= 0; }
    // Position of the first log line that reads `text`, -1 for none.
    int Index(const std::string &text, int from = 0) const {
        for (size_t i = static_cast<size_t>(from); i < log.size(); i++)
            if (log[i].text == text) return static_cast<int>(i);
        return -1;
    }
    int Count(const std::string &prefix) const {
        int n = 0;
        for (const LogLine &l : log)
            if (l.text.compare(0, prefix.size(), prefix) == 0) n++;
        return n;
    }
    // Log texts that begin with one of the prefixes, in order.
    std::vector<std::string> Texts(const std::vector<std::string> &prefixes) const {
        std::vector<std::string> texts;
        for (const LogLine &l : log)
            for (const std::string &p : prefixes)
                if (l.text.compare(0, p.size(), p) == 0) {
                    texts.push_back(l.text);
                    break;
                }
        return texts;
    }
    // Every directory listing printed to standard output, in order.
    std::vector<std::vector<std::string>> Listings() const {
        static const std::string mark = "\n\nSorted...\n";
        std::vector<std::vector<std::string>> all;
        size_t at = out.find(mark);
        while (at != std::string::npos) {
            size_t start = at + mark.size();
            size_t next = out.find(mark, start);
            std::stringstream chunk(out.substr(start, next == std::string::npos ? std::string::npos : next - start));
            std::vector<std::string> names;
            std::string name;
            while (std::getline(chunk, name)) names.push_back(name);
            all.push_back(names);
            at = next;
        }
        return all;
    }
    // For each event the program took while waiting, the frames it drew
    // before it took the next one.
    std::vector<int> FramesAfterEachEvent() const {
        std::vector<int> frames;
        for (const LogLine &l : log) {
            if (l.text.compare(0, 4, "got ") == 0) frames.push_back(0);
            else if (l.text == "frame" && !frames.empty()) frames.back()++;
        }
        return frames;
    }
    // Button-down events of `button` that the program took while waiting,
    // the script's presses and the auto-repeat's, over log lines from..to-1.
    int Delivered(int button, size_t from = 0, size_t to = SIZE_MAX) const {
        const std::string press = "got press " + std::to_string(button) + " #";
        const std::string repeat = "got repeat " + std::to_string(button) + " #";
        int n = 0;
        for (size_t i = from; i < log.size() && i < to; i++)
            if (log[i].text.compare(0, press.size(), press) == 0 || log[i].text.compare(0, repeat.size(), repeat) == 0)
                n++;
        return n;
    }
    bool WentToMenu() const {
        int at = Index("chdir /usr/gp2x");
        return at >= 0 && Index("execl /usr/gp2x/gp2xmenu /usr/gp2x/gp2xmenu", at) > at;
    }
    std::string Summary() const {
        std::string s = "exit " + std::to_string(exit_code) + " signal " + std::to_string(signal) +
                        (killed ? " (killed)" : "") + "\nstderr:\n" + err + "log:\n";
        for (const LogLine &l : log) s += std::to_string(l.ms) + " " + l.text + "\n";
        return s;
    }
};

// The font sheet decoded once for the screen reader.
inline const Font *ReaderFont() {
    static std::unique_ptr<Font> font = [] {
        SDL_Surface *sheet = LoadTargaImage(TOMO_FONT);
        if (sheet == nullptr) return std::unique_ptr<Font>();
        std::unique_ptr<Font> f(new Font(sheet));
        SDL_FreeSurface(sheet);
        return f;
    }();
    return font.get();
}

// The glyphs of the font the sheet is made from, read from its BDF.
inline const InkFont &ReferenceFont() {
    static const InkFont font = ReadBdf(TOMO_BDF);
    return font;
}

// A list row as the file dialog draws it: the "D" mark, then the name in
// its 51 columns.
inline std::string Entry(const std::string &name, bool dir = false) {
    return (dir ? "D " : "  ") + name.substr(0, 51);
}

// The whole list screen: heading, the entries from the selected one on,
// a blank status row.
inline std::vector<std::string> ListScreen(const std::string &path, std::vector<std::string> entries) {
    std::vector<std::string> rows(kRows, "");
    rows[0] = "Dir:" + path.substr(0, 49);
    for (size_t i = 0; i < entries.size() && i < 14; i++) rows[i + 1] = entries[i];
    return rows;
}

// The screen of a text: up to 15 wrapped lines from row 0, the status
// line on row 15.
inline std::vector<std::string> Page(const std::vector<std::string> &lines, const std::string &status) {
    std::vector<std::string> rows(kRows, "");
    for (size_t i = 0; i < lines.size() && i < 15; i++) rows[i] = lines[i];
    rows[kStatusRow] = status;
    return rows;
}

// The wrapped lines of a page whose top line starts at byte `offset` of
// text: none when that is outside it.
inline std::vector<std::string> LinesFrom(const std::string &text, int64_t offset) {
    std::vector<std::string> lines;
    if (offset < 0 || offset > static_cast<int64_t>(text.size())) return lines;
    for (const ModelLine &m : ModelLines(text, static_cast<size_t>(offset))) lines.push_back(m.str);
    return lines;
}

inline bool RunningAsRoot() { return geteuid() == 0; }

// A folder tree to browse and a place for the run's records. The tree is
// open to everyone so that unprivileged runs can read it.
class Session {
public:
    Session() : start_(tree_.path) {
        fs::permissions(tree_.path, fs::perms::all & ~fs::perms::others_write & ~fs::perms::group_write);
        fs::permissions(meta_.path, fs::perms::all);
        fs::create_directories(ShotsDir());
        fs::permissions(ShotsDir(), fs::perms::all);
    }

    std::string Root() const { return tree_.str(); }
    std::string Path(const std::string &rel) const { return rel.empty() ? Root() : (tree_.path / rel).string(); }
    std::string ShotsDir() const { return (meta_.path / "shots").string(); }

    std::string Dir(const std::string &rel) {
        if (Path(rel).size() < PATH_MAX)
            fs::create_directories(Path(rel));
        else
            MakeDeepFolders(Root(), rel);
        return Path(rel);
    }
    void File(const std::string &rel, const std::string &bytes = "") { WriteFile(Path(rel), bytes); }
    void Fifo(const std::string &rel) { mkfifo(Path(rel).c_str(), 0644); }
    // The working directory at launch (the font sheet goes there).
    void StartIn(const std::string &rel) { start_ = Dir(rel); }
    std::string Start() const { return start_.string(); }

    Outcome Play(Flavour flavour, const Script &script, const Options &opt = Options()) {
        if (opt.font) fs::copy_file(TOMO_FONT, start_ / "simplefont.tga", fs::copy_options::overwrite_existing);
        std::string script_path = RunFile(opt.run, "script");
        std::string log_path = RunFile(opt.run, "log");
        WriteFile(script_path, script.text());
        fs::remove(log_path);
        Outcome run;
        Spawn(flavour, opt, script_path, log_path, &run);
        run.out = ReadFile(RunFile(opt.run, "stdout"));
        run.err = ReadFile(RunFile(opt.run, "stderr"));
        run.log = ReadLog(log_path);
        return run;
    }

    // Waits, up to `seconds`, until the named run, which another thread
    // plays, has logged a line beginning with text `nth` times; false when
    // it has not.
    bool AwaitLog(const std::string &run, const std::string &text, int nth = 1, int seconds = 30) const {
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
        while (!LogReached(RunFile(run, "log"), text, nth)) {
            if (std::chrono::steady_clock::now() > deadline) return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return true;
    }

    // A screenshot the script took, read back.
    Screen Shot(const std::string &name) const {
        Screen s;
        std::string error;
        s.Load(ShotsDir() + "/" + name + ".bmp", &error);
        return s;
    }

    // Its 16 text rows. A missing shot or font sheet reads as 16 rows that
    // say so, which fail every comparison and can still be indexed.
    std::vector<std::string> Rows(const std::string &name) const {
        const Font *font = ReaderFont();
        Screen s = Shot(name);
        if (font == nullptr) return std::vector<std::string>(kRows, "<no font sheet>");
        if (!s.loaded()) return std::vector<std::string>(kRows, "<no shot " + name + ">");
        return s.Rows(*font);
    }

    // Its 16 text rows in UTF-8, read against the font's own glyphs where
    // `want` says which letter each cell should show (Screen::Letters).
    std::vector<std::string> Letters(const std::string &name, const std::vector<std::string> &want) const {
        Screen s = Shot(name);
        if (ReferenceFont().empty()) return std::vector<std::string>(kRows, "<no font " TOMO_BDF ">");
        if (!s.loaded()) return std::vector<std::string>(kRows, "<no shot " + name + ">");
        std::vector<std::string> rows;
        for (int r = 0; r < kRows; r++)
            rows.push_back(s.Letters(ReferenceFont(), r, r < static_cast<int>(want.size()) ? want[static_cast<size_t>(r)] : ""));
        return rows;
    }

private:
    std::string RunFile(const std::string &run, const std::string &what) const {
        return (meta_.path / (run.empty() ? what : run + "-" + what)).string();
    }

    std::vector<std::string> Environment(const Options &opt, const std::string &script_path,
                                         const std::string &log_path) const {
        std::vector<std::string> env = {
            "PATH=/usr/bin:/bin",
            "HOME=" + meta_.str(),
            std::string("LD_PRELOAD=") + TOMO_STANDIN,
            opt.display.empty() ? std::string("SDL_VIDEODRIVER=dummy") : "DISPLAY=" + opt.display,
            "SDL_AUDIODRIVER=dummy",
            // the screen's own size: the stand-in's shots are of the window,
            // and some dummy drivers report a display to scale to
            "TOMO_SCALE=1",
            "TOMO_STANDIN_SCRIPT=" + script_path,
            "TOMO_STANDIN_LOG=" + log_path,
            "TOMO_STANDIN_OUT=" + ShotsDir(),
            "TOMO_STANDIN_TIMEOUT_MS=" + std::to_string(opt.script_grace_ms),
            "TOMO_STANDIN_FAIL=" + opt.fail,
        };
        // a sanitizer build's settings and the SDL library chosen for the
        // tests (sdl12-compat through LD_LIBRARY_PATH) reach the program too
        for (const char *name : {"ASAN_OPTIONS", "UBSAN_OPTIONS", "LSAN_OPTIONS", "TSAN_OPTIONS", "LD_LIBRARY_PATH"})
            if (const char *value = getenv(name)) env.push_back(std::string(name) + "=" + value);
        for (const std::string &set : opt.env) {
            std::string name = set.substr(0, set.find('=') + 1);
            env.erase(std::remove_if(env.begin(), env.end(),
                                     [&](const std::string &e) { return e.compare(0, name.size(), name) == 0; }),
                      env.end());
            env.push_back(set);
        }
        return env;
    }

    // The program's command line. A cross build starts it through the
    // emulator (TOMO_EMULATOR, such as "qemu-arm -L <sysroot>"), which hands
    // the program its variables through -E: LD_PRELOAD in the emulator's own
    // environment would load the ARM stand-in into the emulator itself.
    static std::vector<std::string> Command(const std::string &bin, const std::vector<std::string> &tail,
                                            std::vector<std::string> *env) {
        std::vector<std::string> args;
        std::istringstream emulator(TOMO_EMULATOR);
        for (std::string word; emulator >> word;) args.push_back(word);
        if (!args.empty()) {
            std::vector<std::string> own;
            for (const std::string &e : *env) {
                args.push_back("-E");
                args.push_back(e);
                if (e.compare(0, 11, "LD_PRELOAD=") != 0) own.push_back(e);
            }
            *env = own;
        }
        args.push_back(bin);
        args.insert(args.end(), tail.begin(), tail.end());
        return args;
    }

    void Spawn(Flavour flavour, const Options &opt, const std::string &script_path,
               const std::string &log_path, Outcome *run) {
        // Everything the child needs is made before fork: after it only
        // async-signal-safe calls are allowed.
        std::vector<std::string> env = Environment(opt, script_path, log_path);
        std::vector<std::string> args = Command(opt.binary.empty() ? Binary(flavour) : opt.binary, opt.args, &env);
        std::vector<char *> envp, argv;
        for (std::string &e : env) envp.push_back(&e[0]);
        envp.push_back(nullptr);
        for (std::string &a : args) argv.push_back(&a[0]);
        argv.push_back(nullptr);
        // a start folder deeper than a path may be is reached a folder at a time
        std::string start = start_.string();
        std::vector<std::string> steps;
        if (start.size() >= PATH_MAX) {
            std::stringstream parts(start);
            for (std::string part; std::getline(parts, part, '/');)
                if (!part.empty()) steps.push_back(part);
            start = "/";
        }
        int out = open(RunFile(opt.run, "stdout").c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        int ends[2];
        if (opt.stdout_gone && pipe2(ends, O_CLOEXEC) == 0) {
            close(out);
            close(ends[0]);
            out = ends[1];
        }
        int err = open(RunFile(opt.run, "stderr").c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        int in = open("/dev/null", O_RDONLY | O_CLOEXEC);
        uid_t uid = 65534;
        gid_t gid = 65534;
        if (const passwd *pw = getpwnam("nobody")) uid = pw->pw_uid, gid = pw->pw_gid;

        pid_t pid = fork();
        if (pid == 0) {
            if (chdir(start.c_str()) != 0) _exit(126);
            for (const std::string &step : steps)
                if (chdir(step.c_str()) != 0) _exit(126);
            dup2(in, 0);
            dup2(out, 1);
            dup2(err, 2);
            if (opt.as_nobody && (setgroups(0, nullptr) != 0 || setgid(gid) != 0 || setuid(uid) != 0))
                _exit(125);
            execve(argv[0], argv.data(), envp.data());
            _exit(127);
        }
        close(out);
        close(err);
        close(in);
        Wait(pid, opt, log_path, run);
    }

    // Whether the log holds a line beginning with text `nth` times.
    static bool LogReached(const std::string &log_path, const std::string &text, int nth) {
        int n = 0;
        for (const LogLine &l : ReadLog(log_path))
            if (l.text.compare(0, text.size(), text) == 0 && ++n >= nth) return true;
        return false;
    }

    static void Wait(pid_t pid, const Options &opt, const std::string &log_path, Outcome *run) {
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(opt.kill_after_s);
        int status = 0;
        while (waitpid(pid, &status, WNOHANG) == 0) {
            if (std::chrono::steady_clock::now() > deadline ||
                (!opt.stop_at.empty() && LogReached(log_path, opt.stop_at, opt.stop_nth))) {
                kill(pid, SIGKILL);
                waitpid(pid, &status, 0);
                run->killed = true;
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        if (WIFEXITED(status)) run->exit_code = WEXITSTATUS(status);
        if (WIFSIGNALED(status)) run->signal = WTERMSIG(status);
    }

    static std::vector<LogLine> ReadLog(const std::string &path) {
        std::vector<LogLine> lines;
        std::stringstream in(ReadFile(path));
        std::string line;
        while (std::getline(in, line)) {
            size_t space = line.find(' ');
            if (space == std::string::npos) continue;
            lines.push_back(LogLine{std::stol(line.substr(0, space)), line.substr(space + 1)});
        }
        return lines;
    }

    TempDir tree_, meta_;
    fs::path start_;
};

// "f01", "f02", ...
inline std::string NumberedFile(int k) { return NumberedName("f", k, 2); }

// The end-to-end tests' fixture: a session played in one flavour (the
// console's unless said), runs that must end by themselves and without a
// signal, and the ways into a text and out to the menu.
class SessionTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_NE(ReaderFont(), nullptr) << "font sheet " << TOMO_FONT; }

    Outcome Play(const Script &script, const Options &opt = Options()) {
        Outcome run = session.Play(flavour, script, opt);
        EXPECT_FALSE(run.killed) << run.Summary();
        EXPECT_EQ(run.signal, 0) << run.Summary();
        return run;
    }
    // A run that ended the normal way: A in the list, the menu program tried.
    Outcome PlayToMenu(const Script &script, const Options &opt = Options()) {
        Outcome run = Play(script, opt);
        EXPECT_EQ(run.exit_code, 0) << run.Summary();
        EXPECT_TRUE(run.WentToMenu()) << run.Summary();
        return run;
    }
    // Down to list entry `entry` and B on it; the shot `measured` is the
    // frame that B leaves, `page` the first page after its release.
    static Script &Open(Script &s, int entry, const std::string &measured = "", const std::string &page = "") {
        s.Tap(kStickDown, entry).Press(kB);
        if (!measured.empty()) s.Shot(measured);
        s.Release(kB);
        if (!page.empty()) s.Shot(page);
        return s;
    }
    std::string Index(const std::string &name) const { return IndexFile(session.Root(), name); }
    // NumberedFile(1) .. NumberedFile(n) at the top of the tree.
    void NumberedFiles(int n) { testutil::NumberedFiles(session.Root(), "f", 1, n, 2, "x\n"); }

    Flavour flavour = Flavour::Console;
    Session session;
};

class BothFlavours : public SessionTest, public ::testing::WithParamInterface<Flavour> {
protected:
    void SetUp() override {
        flavour = GetParam();
        SessionTest::SetUp();
    }
};

}  // namespace e2e

#endif
