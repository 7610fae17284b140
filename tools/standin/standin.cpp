// standin.cpp: the console stand-in, a preload library. It presents the
// GP2X stick and buttons as joystick 0, plays a script of presses, keys and
// screenshots into the program's event loop, logs what the program does at
// its edges (chdir, execl, posted repeats, presents), and injects failures.
//
// Environment:
//   TOMO_STANDIN_SCRIPT      the script, one step a line, '#' comments
//   TOMO_STANDIN_LOG         log file, appended, one line per record
//   TOMO_STANDIN_OUT         folder for screenshots (default: working dir)
//   TOMO_STANDIN_TIMEOUT_MS  how long the program may wait past the script
//   TOMO_STANDIN_FAIL        faults, comma separated: name[:arg[:arg...]]
//                            (write:SUFFIX:N: writes to the file whose path
//                            ends in SUFFIX fail once N bytes went through;
//                            slowread:SUFFIX:MS: every read of that file
//                            takes MS milliseconds more, a slow card)
//
// Steps: press N, release N, hold N MS, keydown SYM, keyup SYM, wheel up,
// wheel down (a notch: the mouse button's press and release at once), quit,
// wait MS, shot NAME, flipshots PREFIX (a shot PREFIX-1.bmp, -2, ... at
// every present of the main thread until the program next asks for
// events, such as the progress shown while a text is measured). The
// events between "ahead" and "end" go into the queue at once, in order,
// as keys typed faster than the program draws; otherwise a step waits
// for the queue to be empty.
//
// The log tells a press of the script ("got press N #k") from one that the
// program's auto-repeat posted ("got repeat N #k", its mark on the event),
// and the events that a drain takes ("drain ...") from those it puts back
// ("requeue ...").
//
// Presents are logged as "frame" (SDL_Flip of the main thread), "tick flip"
// (SDL_Flip of the timer thread), "update X,Y WxH" and "tick update X,Y WxH"
// (SDL_UpdateRect of either).
//
// The hook is SDL_PumpEvents: the program pumps right before it takes the
// next event, so an empty queue there means every earlier event has been
// handled and its frame flipped. Calls that libSDL makes to its own
// exported functions also come through here (they go through its PLT), so
// every interposer tells the program's calls from SDL's by return address.
#include <SDL.h>
#include <dlfcn.h>
#include <errno.h>
#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <cctype>
#include <map>
#include <mutex>
#include <sstream>
#include <string>
#include <vector>

#include "real.h"
#include "tomo.h"

namespace {

// ---- Real functions -------------------------------------------------------

#define REAL(fn) static auto real_##fn = testutil::RealFunction<decltype(&fn)>(#fn)

// Work done by the stand-in itself (screenshots, its log) must never meet an
// injected fault; fault checks skip while this depth is non-zero.
thread_local int standin_depth = 0;
struct OwnWork {
    OwnWork() { standin_depth++; }
    ~OwnWork() { standin_depth--; }
};

long NowMs() {
    static const timespec start = [] {
        timespec t;
        clock_gettime(CLOCK_MONOTONIC, &t);
        return t;
    }();
    timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return (t.tv_sec - start.tv_sec) * 1000L + (t.tv_nsec - start.tv_nsec) / 1000000L;
}

pthread_t main_thread;
bool OnMainThread() { return pthread_equal(pthread_self(), main_thread) != 0; }

// ---- Log ------------------------------------------------------------------

std::mutex log_mutex;
int log_fd = -1;

void OpenLog() {
    const char *path = getenv("TOMO_STANDIN_LOG");
    if (path == nullptr || *path == '\0') return;
    REAL(open);
    log_fd = real_open(path, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0666);
}

// One line "MS TEXT" per call, written whole so that a crash loses nothing.
void Log(const std::string &text) {
    if (log_fd < 0) return;
    std::string line = std::to_string(NowMs()) + " " + text + "\n";
    std::lock_guard<std::mutex> hold(log_mutex);
    REAL(write);
    ssize_t ignored = real_write(log_fd, line.data(), line.size());
    (void)ignored;
}

// ---- Faults ---------------------------------------------------------------

struct Fault {
    std::string name;
    std::vector<std::string> args;  // "name:a:b" gives {"a", "b"}
};
std::vector<Fault> faults;

void ParseFaults() {
    const char *list = getenv("TOMO_STANDIN_FAIL");
    if (list == nullptr) return;
    std::stringstream items(list);
    std::string item;
    while (std::getline(items, item, ',')) {
        if (item.empty()) continue;
        std::stringstream parts(item);
        Fault f;
        std::getline(parts, f.name, ':');
        std::string arg;
        while (std::getline(parts, arg, ':')) f.args.push_back(arg);
        faults.push_back(f);
    }
}

// The fault of that name, or null. Never fires for the stand-in's own work.
const Fault *ActiveFault(const char *name) {
    if (standin_depth > 0) return nullptr;
    for (const Fault &f : faults)
        if (f.name == name) return &f;
    return nullptr;
}

// ---- Who is calling --------------------------------------------------------

const void *sdl_base = nullptr;

// True for calls from the program itself, false for libSDL calling its own
// exported functions through its PLT.
bool FromProgram(const void *ret) {
    Dl_info info;
    if (dladdr(ret, &info) == 0) return true;
    return info.dli_fbase != sdl_base;
}

// ---- Script ---------------------------------------------------------------

enum StepKind { PRESS, RELEASE, KEYDOWN, KEYUP, WHEEL, QUIT, WAIT, SHOT, FLIPSHOTS, AHEAD, AHEAD_END };

struct Step {
    StepKind kind;
    int value = 0;       // button, key symbol or milliseconds
    std::string text;    // the step as written, for the log
};

const std::map<std::string, int> key_names = {
    {"Up", SDLK_UP},         {"Down", SDLK_DOWN},       {"Left", SDLK_LEFT},
    {"Right", SDLK_RIGHT},   {"PageUp", SDLK_PAGEUP},   {"PageDown", SDLK_PAGEDOWN},
    {"Home", SDLK_HOME},     {"End", SDLK_END},         {"Return", SDLK_RETURN},
    {"Escape", SDLK_ESCAPE}, {"Space", SDLK_SPACE},     {"Tab", SDLK_TAB},
    {"Backspace", SDLK_BACKSPACE}, {"Delete", SDLK_DELETE}, {"Insert", SDLK_INSERT},
    {"KP_Enter", SDLK_KP_ENTER},
};

bool ParseNumber(const std::string &s, int *out) {
    if (s.empty()) return false;
    char *end = nullptr;
    long v = strtol(s.c_str(), &end, 10);
    if (*end != '\0' || v < 0) return false;
    *out = static_cast<int>(v);
    return true;
}

bool ParseKey(const std::string &s, int *out) {
    if (ParseNumber(s, out)) return true;
    auto it = key_names.find(s);
    if (it != key_names.end()) {
        *out = it->second;
        return true;
    }
    if (s.size() == 1 && islower(static_cast<unsigned char>(s[0]))) {
        *out = SDLK_a + (s[0] - 'a');
        return true;
    }
    if (s.size() >= 2 && s[0] == 'F' && ParseNumber(s.substr(1), out) && *out >= 1 && *out <= 15) {
        *out = SDLK_F1 + *out - 1;
        return true;
    }
    return false;
}

[[noreturn]] void BadScript(int line_no, const std::string &line) {
    Log("standin: bad script line " + std::to_string(line_no) + ": " + line);
    _exit(98);
}

// Within "ahead" ... "end" only the steps that queue an event are taken.
bool in_ahead = false;
int ahead_line = 0;

void ParseLine(const std::string &raw, int line_no, std::vector<Step> *steps) {
    std::string line = raw.substr(0, raw.find('#'));
    std::stringstream words(line);
    std::string verb, a, b, extra;
    words >> verb >> a >> b >> extra;
    if (verb.empty()) return;
    if (!extra.empty()) BadScript(line_no, raw);
    if ((verb == "ahead" || verb == "end") && a.empty() && in_ahead == (verb == "end")) {
        in_ahead = verb == "ahead";
        ahead_line = line_no;
        steps->push_back(Step{in_ahead ? AHEAD : AHEAD_END, 0, verb});
        return;
    }
    bool queues = verb == "press" || verb == "release" || verb == "keydown" || verb == "keyup" || verb == "quit";
    if (in_ahead && !queues) BadScript(line_no, raw);
    int n = 0, ms = 0;
    if ((verb == "press" || verb == "release") && b.empty() && ParseNumber(a, &n) && n < 256) {
        steps->push_back(Step{verb == "press" ? PRESS : RELEASE, n, verb + " " + a});
        return;
    }
    if (verb == "hold" && ParseNumber(a, &n) && n < 256 && ParseNumber(b, &ms)) {
        steps->push_back(Step{PRESS, n, "press " + a});
        steps->push_back(Step{WAIT, ms, "wait " + b});
        steps->push_back(Step{RELEASE, n, "release " + a});
        return;
    }
    if ((verb == "keydown" || verb == "keyup") && b.empty() && ParseKey(a, &n)) {
        steps->push_back(Step{verb == "keydown" ? KEYDOWN : KEYUP, n, verb + " " + a});
        return;
    }
    if (verb == "wheel" && (a == "up" || a == "down") && b.empty()) {
        steps->push_back(Step{WHEEL, a == "up" ? SDL_BUTTON_WHEELUP : SDL_BUTTON_WHEELDOWN, "wheel " + a});
        return;
    }
    if (verb == "quit" && a.empty()) {
        steps->push_back(Step{QUIT, 0, "quit"});
        return;
    }
    if (verb == "wait" && b.empty() && ParseNumber(a, &ms)) {
        steps->push_back(Step{WAIT, ms, "wait " + a});
        return;
    }
    if (verb == "shot" && !a.empty() && b.empty() && a.find('/') == std::string::npos) {
        steps->push_back(Step{SHOT, 0, "shot " + a});
        return;
    }
    if (verb == "flipshots" && !a.empty() && b.empty() && a.find('/') == std::string::npos) {
        steps->push_back(Step{FLIPSHOTS, 0, "flipshots " + a});
        return;
    }
    BadScript(line_no, raw);
}

std::vector<Step> LoadScript() {
    std::vector<Step> steps;
    const char *path = getenv("TOMO_STANDIN_SCRIPT");
    if (path == nullptr || *path == '\0') return steps;
    OwnWork own;
    FILE *f = fopen(path, "r");
    if (f == nullptr) {
        Log(std::string("standin: cannot read the script ") + path);
        _exit(98);
    }
    char buf[1024];
    int line_no = 0;
    while (fgets(buf, sizeof buf, f) != nullptr) {
        std::string line(buf);
        while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
        ParseLine(line, ++line_no, &steps);
    }
    fclose(f);
    if (in_ahead) BadScript(ahead_line, "ahead without end");
    return steps;
}

// ---- Player ---------------------------------------------------------------

std::vector<Step> script;
size_t next_step = 0;
long step_due_ms = 0;         // the next step is not performed before this
long last_activity_ms = 0;    // when the script last did something
long timeout_ms = 5000;
std::string out_dir = ".";

std::map<int, int> delivered_presses;   // button -> presses the program took
bool queueing_ahead = false;            // between an "ahead" and its "end"

// Main-thread only: while not empty, every frame flipped is saved as
// "<prefix>-<n>.bmp"; cleared at the program's next pump.
std::string flip_shot_prefix;
int flip_shot_count = 0;

// Button states as the script left them, for SDL_JoystickGetButton.
std::atomic<unsigned> held_buttons[8];

// Main-thread only: the program pumped and has not yet read the queue, so
// the next event it takes is one it waits for, not one it drains.
bool pumped = false;

bool QueueEmpty() {
    REAL(SDL_PeepEvents);
    SDL_Event e;
    return real_SDL_PeepEvents(&e, 1, SDL_PEEKEVENT, SDL_ALLEVENTS) <= 0;
}

void Push(SDL_Event *e) {
    REAL(SDL_PushEvent);
    real_SDL_PushEvent(e);
}

void SetHeld(int button, bool down) {
    unsigned bit = 1u << (button % 32);
    if (down)
        held_buttons[button / 32] |= bit;
    else
        held_buttons[button / 32] &= ~bit;
}

void PushButton(int button, bool down) {
    SDL_Event e;
    memset(&e, 0, sizeof e);
    e.type = down ? SDL_JOYBUTTONDOWN : SDL_JOYBUTTONUP;
    e.jbutton.which = 0;
    e.jbutton.button = static_cast<Uint8>(button);
    e.jbutton.state = down ? SDL_PRESSED : SDL_RELEASED;
    SetHeld(button, down);
    Push(&e);
}

void PushKey(int sym, bool down) {
    SDL_Event e;
    memset(&e, 0, sizeof e);
    e.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    e.key.which = 0;
    e.key.state = down ? SDL_PRESSED : SDL_RELEASED;
    e.key.keysym.sym = static_cast<SDLKey>(sym);
    e.key.keysym.mod = KMOD_NONE;
    Push(&e);
}

// As a window system sends a notch of the wheel: a press and a release.
void PushWheel(int button) {
    for (Uint8 type : {SDL_MOUSEBUTTONDOWN, SDL_MOUSEBUTTONUP}) {
        SDL_Event e;
        memset(&e, 0, sizeof e);
        e.type = type;
        e.button.button = static_cast<Uint8>(button);
        e.button.state = type == SDL_MOUSEBUTTONDOWN ? SDL_PRESSED : SDL_RELEASED;
        Push(&e);
    }
}

void SaveShot(const std::string &name) {
    OwnWork own;
    std::string path = out_dir + "/" + name;
    SDL_Surface *screen = SDL_GetVideoSurface();
    if (screen == nullptr || SDL_SaveBMP(screen, path.c_str()) != 0)
        Log("standin: shot failed: " + path + ": " + SDL_GetError());
}

// The next shot of a flipshots step, for a present of the main thread.
void FlipShot() {
    if (OnMainThread() && !flip_shot_prefix.empty())
        SaveShot(flip_shot_prefix + "-" + std::to_string(++flip_shot_count) + ".bmp");
}

// Performs one step; returns true when the step put an event in the queue
// (then no further step is taken in this pump, unless it is one of the
// events queued ahead).
bool Perform(const Step &s, long now) {
    Log("step " + s.text);
    switch (s.kind) {
    case PRESS:   PushButton(s.value, true); return true;
    case RELEASE: PushButton(s.value, false); return true;
    case KEYDOWN: PushKey(s.value, true); return true;
    case KEYUP:   PushKey(s.value, false); return true;
    case WHEEL:   PushWheel(s.value); return true;
    case QUIT: {
        SDL_Event e;
        memset(&e, 0, sizeof e);
        e.type = SDL_QUIT;
        Push(&e);
        return true;
    }
    case WAIT:
        step_due_ms = now + s.value;
        return false;
    case SHOT:
        SaveShot(s.text.substr(5));
        return false;
    case FLIPSHOTS:
        flip_shot_prefix = s.text.substr(10);
        flip_shot_count = 0;
        return false;
    case AHEAD:
        queueing_ahead = true;
        return false;
    case AHEAD_END:
        queueing_ahead = false;
        return true;
    }
    return false;
}

[[noreturn]] void ScriptEnded() {
    Log("standin: script ended");
    fflush(nullptr);
    _exit(97);
}

void OnProgramPump() {
    long now = NowMs();
    if (next_step >= script.size()) {
        if (now - std::max(last_activity_ms, step_due_ms) > timeout_ms) ScriptEnded();
        return;
    }
    while (next_step < script.size() && now >= step_due_ms && (queueing_ahead || QueueEmpty())) {
        const Step &s = script[next_step++];
        last_activity_ms = now;
        if (Perform(s, now) && !queueing_ahead) return;
    }
}

// An event that the program took off the queue or put back, for the log.
std::string Describe(const SDL_Event &e) {
    switch (e.type) {
    case SDL_JOYBUTTONDOWN:
        return std::string(e.jbutton.which == POSTED_REPEAT_JOYSTICK ? "repeat " : "press ") +
               std::to_string(e.jbutton.button);
    case SDL_JOYBUTTONUP:
        return "release " + std::to_string(e.jbutton.button);
    case SDL_KEYDOWN:
        return "keydown " + std::to_string(e.key.keysym.sym);
    case SDL_KEYUP:
        return "keyup " + std::to_string(e.key.keysym.sym);
    case SDL_MOUSEBUTTONDOWN:
        return "mousedown " + std::to_string(e.button.button);
    case SDL_MOUSEBUTTONUP:
        return "mouseup " + std::to_string(e.button.button);
    case SDL_QUIT:
        return "quit";
    default:
        return "event " + std::to_string(e.type);
    }
}

void NoteTaken(const SDL_Event &e, bool waited) {
    std::string what = (waited ? "got " : "drain ") + Describe(e);
    if (waited && e.type == SDL_JOYBUTTONDOWN)
        what += " #" + std::to_string(++delivered_presses[e.jbutton.button]);
    Log(what);
}

void StandinInit() {
    main_thread = pthread_self();
    NowMs();
    OpenLog();
    ParseFaults();
    const char *out = getenv("TOMO_STANDIN_OUT");
    if (out != nullptr && *out != '\0') out_dir = out;
    const char *t = getenv("TOMO_STANDIN_TIMEOUT_MS");
    int ms = 0;
    if (t != nullptr && ParseNumber(t, &ms)) timeout_ms = ms;
    script = LoadScript();
    Dl_info info;
    if (dladdr(testutil::RealFunction<void *>("SDL_PumpEvents"), &info) != 0)
        sdl_base = info.dli_fbase;
    Log("standin: start, " + std::to_string(script.size()) + " steps");
}

// The handle of the stick and buttons; SDL's joystick code never sees it.
char fake_joystick_storage[64];
SDL_Joystick *const fake_joystick = reinterpret_cast<SDL_Joystick *>(fake_joystick_storage);

// Set up when the library is loaded, after every global above has been
// constructed (a constructor function could run before them and see its
// work undone).
struct Startup {
    Startup() { StandinInit(); }
} startup;

}  // namespace

extern "C" {

// ---- Events ----------------------------------------------------------------

void SDL_PumpEvents(void) {
    REAL(SDL_PumpEvents);
    real_SDL_PumpEvents();
    if (!FromProgram(__builtin_return_address(0)) || !OnMainThread()) return;
    pumped = true;
    flip_shot_prefix.clear();
    OnProgramPump();
}

int SDL_PeepEvents(SDL_Event *events, int numevents, SDL_eventaction action, Uint32 mask) {
    REAL(SDL_PeepEvents);
    int n = real_SDL_PeepEvents(events, numevents, action, mask);
    if (action == SDL_PEEKEVENT || !FromProgram(__builtin_return_address(0)) || !OnMainThread())
        return n;
    if (action == SDL_ADDEVENT) {
        for (int i = 0; i < n; i++) Log("requeue " + Describe(events[i]));
        return n;
    }
    bool waited = pumped;
    pumped = false;
    for (int i = 0; i < n; i++) NoteTaken(events[i], waited);
    return n;
}

int SDL_PushEvent(SDL_Event *event) {
    REAL(SDL_PushEvent);
    if (FromProgram(__builtin_return_address(0)) && event->type == SDL_JOYBUTTONDOWN)
        Log("push " + std::to_string(event->jbutton.button));
    return real_SDL_PushEvent(event);
}

int SDL_Flip(SDL_Surface *screen) {
    REAL(SDL_Flip);
    if (!FromProgram(__builtin_return_address(0))) return real_SDL_Flip(screen);
    Log(OnMainThread() ? "frame" : "tick flip");
    int result = real_SDL_Flip(screen);
    FlipShot();
    return result;
}

void SDL_UpdateRect(SDL_Surface *screen, Sint32 x, Sint32 y, Uint32 w, Uint32 h) {
    REAL(SDL_UpdateRect);
    if (!FromProgram(__builtin_return_address(0))) return real_SDL_UpdateRect(screen, x, y, w, h);
    Log(std::string(OnMainThread() ? "" : "tick ") + "update " + std::to_string(x) + "," + std::to_string(y) +
        " " + std::to_string(w) + "x" + std::to_string(h));
    real_SDL_UpdateRect(screen, x, y, w, h);
    FlipShot();
}

// ---- Start-up faults ---------------------------------------------------------

int SDL_Init(Uint32 flags) {
    REAL(SDL_Init);
    if (ActiveFault("SDL_Init") != nullptr) {
        SDL_SetError("standin: SDL_Init fails");
        return -1;
    }
    return real_SDL_Init(flags);
}

SDL_Surface *SDL_SetVideoMode(int width, int height, int bpp, Uint32 flags) {
    REAL(SDL_SetVideoMode);
    if (ActiveFault("SDL_SetVideoMode") != nullptr) {
        SDL_SetError("standin: no video mode %dx%dx%d", width, height, bpp);
        return nullptr;
    }
    return real_SDL_SetVideoMode(width, height, bpp, flags);
}

// ---- Joystick 0: the GP2X stick and buttons -----------------------------------

int SDL_NumJoysticks(void) {
    return ActiveFault("nojoystick") != nullptr ? 0 : 1;
}

const char *SDL_JoystickName(int device_index) {
    if (device_index == 0 && ActiveFault("nojoystick") == nullptr) return "GP2X stand-in";
    REAL(SDL_JoystickName);
    return real_SDL_JoystickName(device_index);
}

SDL_Joystick *SDL_JoystickOpen(int device_index) {
    REAL(SDL_JoystickOpen);
    if (device_index != 0) return real_SDL_JoystickOpen(device_index);
    if (ActiveFault("nojoystick") != nullptr) {
        SDL_SetError("standin: there is no joystick 0");
        Log("joystick refused");
        return nullptr;
    }
    Log("joystick open");
    return fake_joystick;
}

int SDL_JoystickOpened(int device_index) {
    return device_index == 0 && ActiveFault("nojoystick") == nullptr ? 1 : 0;
}

int SDL_JoystickIndex(SDL_Joystick *joystick) {
    REAL(SDL_JoystickIndex);
    return joystick == fake_joystick ? 0 : real_SDL_JoystickIndex(joystick);
}

int SDL_JoystickNumButtons(SDL_Joystick *joystick) {
    REAL(SDL_JoystickNumButtons);
    return joystick == fake_joystick ? 19 : real_SDL_JoystickNumButtons(joystick);
}

Uint8 SDL_JoystickGetButton(SDL_Joystick *joystick, int button) {
    REAL(SDL_JoystickGetButton);
    if (joystick != fake_joystick) return real_SDL_JoystickGetButton(joystick, button);
    if (button < 0 || button >= 256) return 0;
    return (held_buttons[button / 32] >> (button % 32)) & 1u;
}

void SDL_JoystickClose(SDL_Joystick *joystick) {
    REAL(SDL_JoystickClose);
    if (joystick == fake_joystick) {
        Log("joystick close");
        return;
    }
    real_SDL_JoystickClose(joystick);
}

// ---- Leaving for the menu program ----------------------------------------------

int chdir(const char *path) {
    REAL(chdir);
    Log(std::string("chdir ") + path);
    return real_chdir(path);
}

// Logs the call, and whether SIGPIPE would reach the menu program ignored,
// and fails as on a machine without the menu program.
int execl(const char *path, const char *arg, ...) {
    struct sigaction pipe_action;
    if (sigaction(SIGPIPE, nullptr, &pipe_action) == 0)
        Log(pipe_action.sa_handler == SIG_IGN ? "execl SIGPIPE ignored" : "execl SIGPIPE default");
    std::string line = std::string("execl ") + path;
    va_list ap;
    va_start(ap, arg);
    for (const char *a = arg; a != nullptr; a = va_arg(ap, const char *)) line += std::string(" ") + a;
    va_end(ap);
    Log(line);
    errno = ENOENT;
    return -1;
}

}  // extern "C"

// ---- A write that fails half-way, a slow read -------------------------------------

namespace {

// The fault `name`:SUFFIX:ARG when the path of fd ends in SUFFIX, else null.
const Fault *FileFault(const char *name, int fd) {
    const Fault *fault = ActiveFault(name);
    if (fault == nullptr || fault->args.size() != 2 || fd < 0) return nullptr;
    char link[64], path[4096];
    snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
    ssize_t len = readlink(link, path, sizeof path);
    if (len < 0) return nullptr;
    std::string p(path, static_cast<size_t>(len));
    const std::string &suffix = fault->args[0];
    bool match = p.size() >= suffix.size() && p.compare(p.size() - suffix.size(), suffix.size(), suffix) == 0;
    return match ? fault : nullptr;
}

// slowread:SUFFIX:MS: every read of that file, through read(2) or its
// stream, waits MS milliseconds first.
void SlowRead(int fd) {
    const Fault *f = FileFault("slowread", fd);
    if (f != nullptr) usleep(static_cast<useconds_t>(atol(f->args[1].c_str()) * 1000));
}

// write:SUFFIX:N lets N bytes in all reach that file, through write(2) or
// its streams, and fails the rest with ENOSPC; once it failed, fflush and
// fclose of the file's stream fail too.
std::mutex write_fault_mutex;
long write_fault_passed = 0;
bool write_fault_fired = false;

bool WriteFaultFile(int fd, const Fault **fault) {
    *fault = FileFault("write", fd);
    return *fault != nullptr;
}

// How many of n bytes for fd may go through.
size_t WriteAllowance(int fd, size_t n) {
    const Fault *f;
    if (!WriteFaultFile(fd, &f)) return n;
    std::lock_guard<std::mutex> hold(write_fault_mutex);
    long left = std::max(0L, atol(f->args[1].c_str()) - write_fault_passed);
    size_t allowed = std::min(n, static_cast<size_t>(left));
    write_fault_passed += static_cast<long>(allowed);
    if (allowed < n && !write_fault_fired) {
        write_fault_fired = true;
        Log("fault write " + f->args[0] + " after " + std::to_string(write_fault_passed));
    }
    return allowed;
}

bool WriteFaultFired(FILE *stream) {
    const Fault *f;
    if (stream == nullptr || !WriteFaultFile(fileno(stream), &f)) return false;
    std::lock_guard<std::mutex> hold(write_fault_mutex);
    return write_fault_fired;
}

}  // namespace

extern "C" {

ssize_t read(int fd, void *buf, size_t n) {
    REAL(read);
    SlowRead(fd);
    return real_read(fd, buf, n);
}

size_t fread(void *ptr, size_t size, size_t nmemb, FILE *stream) {
    REAL(fread);
    if (stream != nullptr) SlowRead(fileno(stream));
    return real_fread(ptr, size, nmemb, stream);
}

ssize_t write(int fd, const void *buf, size_t n) {
    REAL(write);
    size_t allowed = WriteAllowance(fd, n);
    if (allowed == n) return real_write(fd, buf, n);
    if (allowed > 0) return real_write(fd, buf, allowed);
    errno = ENOSPC;
    return -1;
}

size_t fwrite(const void *ptr, size_t size, size_t nmemb, FILE *stream) {
    REAL(fwrite);
    size_t n = size * nmemb;
    if (size == 0 || n == 0) return real_fwrite(ptr, size, nmemb, stream);
    size_t allowed = WriteAllowance(fileno(stream), n);
    if (allowed == n) return real_fwrite(ptr, size, nmemb, stream);
    size_t items = real_fwrite(ptr, size, allowed / size, stream);
    errno = ENOSPC;
    return items;
}

int fflush(FILE *stream) {
    REAL(fflush);
    int result = real_fflush(stream);
    if (!WriteFaultFired(stream)) return result;
    errno = ENOSPC;
    return EOF;
}

int fclose(FILE *stream) {
    REAL(fclose);
    bool fired = WriteFaultFired(stream);
    int result = real_fclose(stream);
    if (!fired) return result;
    errno = ENOSPC;
    return EOF;
}

}  // extern "C"
