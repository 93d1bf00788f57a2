// The window, its message queue, the clock and message boxes, over SDL2 in play
// and headless (virtual clock, recorded boxes) in tests.
#include "platform/Win.h"

#include <SDL.h>
#define SDL_VIDEO_DRIVER_X11 1  // the X11 part of the window's system information
#include <SDL_syswm.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/prctl.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <memory>
#include <string>

#include "base/Big5.h"
#include "platform/Backend.h"
#include "platform/Fault.h"
#include "platform/SdlWindow.h"
#include "platform/TextCodec.h"

struct WindowRec {
    std::string className;
    std::string title;
    WNDPROC proc = nullptr;
    bool alive = true;
};

namespace {

struct PlatformState {
    Backend backend = Backend::Headless;
    std::vector<WNDCLASS> classes;
    std::vector<std::string> classNames;
    std::vector<std::unique_ptr<WindowRec>> windows;
    std::deque<MSG> queue;
    u32 virtualNow = 0;
    std::vector<RecordedBox> boxes;
    int boxAnswer = IDOK;
    int beeps = 0;
    SDL_Window* sdlWindow = nullptr;
    bool sdlStarted = false;
    bool fullScreenAsked = false;  // full screen asked for after the first frame
    int lockFd = -1;
    std::vector<PlatformEventHooks> hooks;
    DeviceFailures failures;
    bool noDisplay = false;      // SDL found nothing a player can see
    bool windowManager = false;  // headless: minimise requests are carried out
    bool minimiseAsked = false;  // a minimise request waits for its answer
    bool minimised = false;      // as the last WM_SIZE said
    bool inactive = false;       // as the last WM_ACTIVATEAPP said
    u32 minimiseAskedAt = 0;
};

PlatformState& P() {
    static PlatformState s;
    return s;
}

bool Live(HWND h) {
    for (auto& w : P().windows)
        if (w.get() == h && w->alive) return true;
    return false;
}

std::string LockPath(const char* className) {
    const char* dir = std::getenv("MOONHARBOR_LOCK_DIR");
    std::string d = dir && *dir ? dir : "";
    if (d.empty()) {
        const char* run = std::getenv("XDG_RUNTIME_DIR");
        d = run && *run ? run : "/tmp";
    }
    return d + "/" + className + "-" + std::to_string(::getuid()) + ".lock";
}

// The lock of another running copy: try to take it and let go at once.
bool LockHeldElsewhere(const char* className) {
    int fd = ::open(LockPath(className).c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) return false;
    bool held = ::flock(fd, LOCK_EX | LOCK_NB) != 0;
    ::close(fd);
    return held;
}

void TakeLock(const char* className) {
    auto& s = P();
    if (s.lockFd >= 0) return;
    int fd = ::open(LockPath(className).c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) return;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return;
    }
    s.lockFd = fd;
}

void ReleaseLock() {
    auto& s = P();
    if (s.lockFd >= 0) ::close(s.lockFd);
    s.lockFd = -1;
}

HWND MainWindow() {
    for (auto& w : P().windows)
        if (w->alive) return w.get();
    return nullptr;
}

u32 VirtualKeyOf(SDL_Keycode k) {
    if (k >= SDLK_a && k <= SDLK_z) return static_cast<u32>('A' + (k - SDLK_a));
    if (k >= SDLK_0 && k <= SDLK_9) return static_cast<u32>('0' + (k - SDLK_0));
    if (k >= SDLK_F1 && k <= SDLK_F12) return VK_F1 + static_cast<u32>(k - SDLK_F1);
    switch (k) {
        case SDLK_RETURN:
        case SDLK_KP_ENTER:
            return VK_RETURN;
        case SDLK_ESCAPE:
            return VK_ESCAPE;
        case SDLK_BACKSPACE:
            return VK_BACK;
        case SDLK_TAB:
            return VK_TAB;
        case SDLK_SPACE:
            return VK_SPACE;
        case SDLK_LEFT:
            return VK_LEFT;
        case SDLK_RIGHT:
            return VK_RIGHT;
        case SDLK_UP:
            return VK_UP;
        case SDLK_DOWN:
            return VK_DOWN;
        case SDLK_PAGEUP:
            return VK_PRIOR;
        case SDLK_PAGEDOWN:
            return VK_NEXT;
        case SDLK_HOME:
            return VK_HOME;
        case SDLK_END:
            return VK_END;
        case SDLK_DELETE:
            return VK_DELETE;
        case SDLK_LSHIFT:
        case SDLK_RSHIFT:
            return VK_SHIFT;
        case SDLK_LCTRL:
        case SDLK_RCTRL:
            return VK_CONTROL;
        case SDLK_LALT:
        case SDLK_RALT:
            return VK_MENU;
        default:
            return 0;
    }
}

void Post(u32 msg, WPARAM w, LPARAM l) {
    HWND h = MainWindow();
    if (h) P().queue.push_back(MSG{h, msg, w, l});
}

// A minimise request that no window manager carried out within this time
// counts as refused: the window is still shown, so it is told it was restored.
constexpr u32 kMinimiseWaitMs = 500;

void CheckMinimiseRequest() {
    auto& s = P();
    if (!s.minimiseAsked || timeGetTime() - s.minimiseAskedAt < kMinimiseWaitMs) return;
    s.minimiseAsked = false;
    Post(WM_SIZE, SIZE_RESTORED, 0);
}

// Turns waiting SDL events into window messages.
void PumpSdl() {
    auto& s = P();
    for (auto& h : s.hooks)
        if (h.onPump) h.onPump();
    CheckMinimiseRequest();
    if (s.backend != Backend::Sdl || !s.sdlStarted) return;
    SDL_Event e;
    while (SDL_PollEvent(&e)) {
        for (auto& h : s.hooks)
            if (h.onEvent) h.onEvent(&e);
        switch (e.type) {
            case SDL_QUIT:
                Post(WM_CLOSE, 0, 0);
                break;
            case SDL_KEYDOWN:
            case SDL_KEYUP: {
                u32 vk = VirtualKeyOf(e.key.keysym.sym);
                if (!vk) break;
                bool alt = (e.key.keysym.mod & KMOD_ALT) != 0;
                if (e.type == SDL_KEYDOWN)
                    Post(alt ? WM_SYSKEYDOWN : WM_KEYDOWN, vk, 0);
                else
                    Post(WM_KEYUP, vk, 0);
                break;
            }
            case SDL_TEXTINPUT: {
                std::string big5 = Utf8ToBig5(e.text.text);
                for (unsigned char c : big5) Post(WM_CHAR, c, 0);
                break;
            }
            case SDL_WINDOWEVENT:
                switch (e.window.event) {
                    case SDL_WINDOWEVENT_MINIMIZED:
                        Post(WM_SIZE, SIZE_MINIMIZED, 0);
                        break;
                    case SDL_WINDOWEVENT_RESTORED:
                        Post(WM_SIZE, SIZE_RESTORED, 0);
                        break;
                    case SDL_WINDOWEVENT_FOCUS_LOST:
                        Post(WM_ACTIVATEAPP, 0, 0);
                        break;
                    case SDL_WINDOWEVENT_FOCUS_GAINED:
                        Post(WM_ACTIVATEAPP, 1, 0);
                        break;
                    case SDL_WINDOWEVENT_CLOSE:
                        Post(WM_CLOSE, 0, 0);
                        break;
                    default:
                        break;
                }
                break;
            default:
                break;
        }
    }
}

// Video drivers that draw where no player can see: taken only when asked for
// by name (SDL_VIDEODRIVER), as tests and benchmarks of the real program do.
bool ShowsNothing(const char* driver) {
    return driver && (std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0);
}

bool AskedFor(const char* driver) {
    const char* asked = SDL_GetHint(SDL_HINT_VIDEODRIVER);
    return asked && driver && std::strstr(asked, driver) != nullptr;
}

// Starts SDL's video. Where there is no display the window is still made, but
// without anything on screen: the display start then fails as on a machine
// whose display mode cannot be set, and the game ends through its own boxes.
void StartSdl() {
    auto& s = P();
    if (s.sdlStarted || s.noDisplay) return;
    if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0) {
        ReportFault(kNoBox, "Moonharbor: no display was found (%s)", SDL_GetError());
        s.noDisplay = true;
        return;
    }
    const char* driver = SDL_GetCurrentVideoDriver();
    if (ShowsNothing(driver) && !AskedFor(driver)) {
        ReportFault(kNoBox,
                    "Moonharbor: no display was found (SDL offered only its \"%s\" video driver)",
                    driver);
        SDL_QuitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS);
        s.noDisplay = true;
        return;
    }
    s.sdlStarted = true;
}

}  // namespace

void PlatformSetBackend(Backend b) {
    P().backend = b;
}
Backend PlatformBackend() {
    return P().backend;
}
bool PlatformIsHeadless() {
    return P().backend == Backend::Headless;
}
void PlatformSetVirtualTime(u32 ms) {
    P().virtualNow = ms;
}
void PlatformAdvanceTime(u32 ms) {
    P().virtualNow += ms;
}
std::vector<RecordedBox>& PlatformRecordedBoxes() {
    return P().boxes;
}
void PlatformSetBoxAnswer(int answer) {
    P().boxAnswer = answer;
}
int PlatformBeepCount() {
    return P().beeps;
}
DeviceFailures& PlatformDeviceFailures() {
    return P().failures;
}
bool PlatformHasDisplay() {
    return !P().noDisplay;
}
void PlatformSetWindowManager(bool present) {
    P().windowManager = present;
}
void PlatformAddHooks(PlatformEventHooks hooks) {
    P().hooks.push_back(std::move(hooks));
}

void PlatformReset() {
    auto& s = P();
    for (auto& h : s.hooks)
        if (h.onReset) h.onReset();
    if (s.sdlWindow) SDL_DestroyWindow(s.sdlWindow);
    s.sdlWindow = nullptr;
    s.classes.clear();
    s.classNames.clear();
    s.windows.clear();
    s.queue.clear();
    s.virtualNow = 0;
    s.boxes.clear();
    s.boxAnswer = IDOK;
    s.beeps = 0;
    s.failures = DeviceFailures{};
    s.noDisplay = false;
    s.windowManager = false;
    s.minimiseAsked = false;
    s.minimised = false;
    s.inactive = false;
    ReleaseLock();
}

void PlatformStopSdl() {
    auto& s = P();
    if (s.sdlWindow) SDL_DestroyWindow(s.sdlWindow);
    s.sdlWindow = nullptr;
    if (s.sdlStarted) SDL_QuitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS);
    s.sdlStarted = false;
    s.noDisplay = false;
}

SDL_Window* SdlMainWindow() {
    return P().sdlWindow;
}

namespace {
// Whether a window manager runs on the window's X display: it names its own
// window on the root window (_NET_SUPPORTING_WM_CHECK). Anything that cannot
// be asked counts as one.
bool WindowManagerRuns(SDL_Window* win) {
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!SDL_GetWindowWMInfo(win, &info) || info.subsystem != SDL_SYSWM_X11) return true;
    using InternAtom = Atom (*)(Display*, const char*, Bool);
    using RootOf = Window (*)(Display*);
    using GetProperty = int (*)(Display*, Window, Atom, long, long, Bool, Atom, Atom*, int*,
                                unsigned long*, unsigned long*, unsigned char**);
    using Free = int (*)(void*);
    auto intern = reinterpret_cast<InternAtom>(dlsym(RTLD_DEFAULT, "XInternAtom"));
    auto root = reinterpret_cast<RootOf>(dlsym(RTLD_DEFAULT, "XDefaultRootWindow"));
    auto get = reinterpret_cast<GetProperty>(dlsym(RTLD_DEFAULT, "XGetWindowProperty"));
    auto release = reinterpret_cast<Free>(dlsym(RTLD_DEFAULT, "XFree"));
    if (!intern || !root || !get || !release) return true;
    Display* dpy = info.info.x11.display;
    Atom check = intern(dpy, "_NET_SUPPORTING_WM_CHECK", True);
    if (check == 0) return false;  // never set on this display
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, left = 0;
    unsigned char* data = nullptr;
    int got = get(dpy, root(dpy), check, 0, 1, False, AnyPropertyType, &type, &format, &count,
                  &left, &data);
    if (data) release(data);
    return got == Success && count == 1;
}
}  // namespace

void SdlWindowShown() {
    auto& s = P();
    if (!s.sdlWindow || s.fullScreenAsked) return;
    s.fullScreenAsked = true;
    if (WindowManagerRuns(s.sdlWindow))
        SDL_SetWindowFullscreen(s.sdlWindow, SDL_WINDOW_FULLSCREEN_DESKTOP);
}

bool RegisterClassA(const WNDCLASS& wc) {
    if (!wc.className || !wc.proc) return false;
    auto& s = P();
    s.classNames.emplace_back(wc.className);
    s.classes.push_back(wc);
    return true;
}

HWND CreateWindowExA(const char* className, const char* title, int width, int height) {
    auto& s = P();
    WNDPROC proc = nullptr;
    for (size_t i = 0; i < s.classes.size(); ++i)
        if (s.classNames[i] == className) proc = s.classes[i].proc;
    if (!proc) return nullptr;
    // The lock comes first: once the window shows, another copy must find it.
    TakeLock(className);
    if (s.backend == Backend::Sdl) {
        StartSdl();
        if (s.sdlStarted) {
            // As large as the screen from the start, the picture scaled by whole
            // multiples. Full screen is asked of a window manager only after the
            // first frame is on the screen (SdlWindowShown): SDL waits for its
            // answer, and where none runs the window already covers the screen.
            SDL_Rect screen{0, 0, width, height};
            if (SDL_GetDisplayBounds(0, &screen) != 0) screen = SDL_Rect{0, 0, width, height};
            s.sdlWindow =
                SDL_CreateWindow(title, screen.x, screen.y, screen.w, screen.h, SDL_WINDOW_SHOWN);
            s.fullScreenAsked = false;
            if (!s.sdlWindow) {
                ReleaseLock();
                return nullptr;
            }
            SDL_StartTextInput();
        }
    }
    auto w = std::make_unique<WindowRec>();
    w->className = className;
    w->title = title;
    w->proc = proc;
    HWND h = w.get();
    s.windows.push_back(std::move(w));
    proc(h, WM_CREATE, 0, 0);
    return h;
}

bool DestroyWindow(HWND hwnd) {
    if (!Live(hwnd)) return false;
    hwnd->proc(hwnd, WM_DESTROY, 0, 0);
    hwnd->alive = false;
    auto& s = P();
    if (s.sdlWindow) {
        SDL_DestroyWindow(s.sdlWindow);
        s.sdlWindow = nullptr;
    }
    ReleaseLock();
    return true;
}

bool ShowWindow(HWND hwnd, int cmd) {
    if (!Live(hwnd)) return false;
    auto& s = P();
    if (cmd != SW_MINIMIZE && cmd != SW_HIDE) s.minimised = false;
    s.minimiseAsked = cmd == SW_MINIMIZE && !s.minimised && !s.inactive;
    s.minimiseAskedAt = timeGetTime();
    SDL_Window* w = s.sdlWindow;
    if (!w) {
        if (cmd == SW_MINIMIZE && s.backend == Backend::Headless && s.windowManager && !s.minimised)
            PostMessageA(hwnd, WM_SIZE, SIZE_MINIMIZED, 0);
        return true;
    }
    if (cmd == SW_MINIMIZE)
        SDL_MinimizeWindow(w);
    else if (cmd == SW_RESTORE)
        SDL_RestoreWindow(w);
    else if (cmd == SW_HIDE)
        SDL_HideWindow(w);
    else
        SDL_ShowWindow(w);
    return true;
}

bool IsWindow(HWND hwnd) {
    return Live(hwnd);
}

HWND FindWindowA(const char* className, const char* title) {
    for (auto& w : P().windows)
        if (w->alive && w->className == className && (!title || w->title == title)) return w.get();
    if (std::strcmp(className, "Moonharbor") == 0 && LockHeldElsewhere(className)) {
        // Another copy's window: a handle that names no window of ours.
        static WindowRec foreign;
        foreign.alive = false;
        return &foreign;
    }
    return nullptr;
}

bool PeekMessageA(MSG* msg, HWND, int remove) {
    PumpSdl();
    auto& q = P().queue;
    if (q.empty()) return false;
    *msg = q.front();
    if (remove == PM_REMOVE) q.pop_front();
    return true;
}

bool GetMessageA(MSG* msg) {
    while (!PeekMessageA(msg, nullptr, PM_REMOVE)) WaitForEventOrTimeout(10);
    return msg->message != WM_QUIT;
}

void TranslateMessage(const MSG*) {}

LRESULT DispatchMessageA(const MSG* msg) {
    if (!Live(msg->hwnd)) return 0;
    // What the system told the window about itself: a window that is minimised
    // or inactive has the answer to a minimise request.
    auto& s = P();
    if (msg->message == WM_SIZE)
        s.minimised = msg->wParam != SIZE_RESTORED && msg->wParam != SIZE_MAXIMIZED;
    if (msg->message == WM_ACTIVATEAPP) s.inactive = msg->wParam == 0;
    if (s.minimised || s.inactive) s.minimiseAsked = false;
    return msg->hwnd->proc(msg->hwnd, msg->message, msg->wParam, msg->lParam);
}

bool PostMessageA(HWND hwnd, u32 msg, WPARAM w, LPARAM l) {
    if (!Live(hwnd)) return false;
    P().queue.push_back(MSG{hwnd, msg, w, l});
    return true;
}

LRESULT SendMessageA(HWND hwnd, u32 msg, WPARAM w, LPARAM l) {
    if (!Live(hwnd)) return 0;
    return hwnd->proc(hwnd, msg, w, l);
}

LRESULT DefWindowProcA(HWND hwnd, u32 msg, WPARAM, LPARAM) {
    if (msg == WM_CLOSE) DestroyWindow(hwnd);
    return 0;
}

void PostQuitMessage(int code) {
    // WM_QUIT is delivered even after the window is gone.
    P().queue.push_back(MSG{nullptr, WM_QUIT, static_cast<WPARAM>(code), 0});
}

void WaitForEventOrTimeout(u32 ms) {
    auto& s = P();
    if (s.backend == Backend::Sdl && s.sdlStarted) {
        if (SDL_WaitEventTimeout(nullptr, static_cast<int>(ms ? ms : 1))) return;
        return;
    }
    if (s.backend == Backend::Headless)
        s.virtualNow += ms;
    else
        Sleep(ms ? ms : 1);
}

u32 timeGetTime() {
    auto& s = P();
    if (s.backend == Backend::Headless) return s.virtualNow;
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<u32>(static_cast<u64>(ts.tv_sec) * 1000u +
                            static_cast<u64>(ts.tv_nsec) / 1000000u);
}

void Sleep(u32 ms) {
    auto& s = P();
    if (s.backend == Backend::Headless) {
        s.virtualNow += ms;
        return;
    }
    if (ms == 0) {
        sched_yield();
        return;
    }
    usleep(static_cast<useconds_t>(ms) * 1000u);
}

void Beep() {
    P().beeps++;
}

std::string BreakBoxText(const std::string& big5, size_t columns) {
    std::string out;
    size_t lineStart = 0;                  // in out
    size_t lastSpace = std::string::npos;  // in out, on the current line
    for (size_t i = 0; i < big5.size();) {
        if (big5[i] == '\n') {
            out += '\n';
            lineStart = out.size();
            lastSpace = std::string::npos;
            ++i;
            continue;
        }
        size_t step = IsBig5Lead(static_cast<u8>(big5[i])) && i + 1 < big5.size() ? 2 : 1;
        if (out.size() - lineStart + step > columns && lastSpace != std::string::npos) {
            out[lastSpace] = '\n';
            lineStart = lastSpace + 1;
            lastSpace = std::string::npos;
        }
        if (out.size() - lineStart + step > columns && out.size() > lineStart) {
            out += '\n';
            lineStart = out.size();
        }
        if (big5[i] == ' ') lastSpace = out.size();
        out.append(big5, i, step);
        i += step;
    }
    return out;
}

namespace {

volatile sig_atomic_t gBoxWaits = 0;
pid_t gBoxOwner = 0;

// SDL shows an X11 box from a child process: that child ends with the game.
void BoxChildEndsWithParent() {
    if (!gBoxWaits) return;
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (::getppid() != gBoxOwner) ::_exit(0);
}

// While a box waits for its button, SDL's own loop runs and the game's never
// sees the quit SDL makes of SIGINT and SIGTERM: the signals then end the
// program as they would without SDL.
using SignalAction = struct sigaction;

struct EndOnSignalWhileBoxWaits {
    SignalAction oldInt{};
    SignalAction oldTerm{};
    EndOnSignalWhileBoxWaits() {
        static bool hooked = false;
        if (!hooked) ::pthread_atfork(nullptr, nullptr, BoxChildEndsWithParent);
        hooked = true;
        gBoxOwner = ::getpid();
        gBoxWaits = 1;
        SignalAction end{};
        end.sa_handler = [](int sig) {
            ::signal(sig, SIG_DFL);
            ::raise(sig);
        };
        sigemptyset(&end.sa_mask);
        ::sigaction(SIGINT, &end, &oldInt);
        ::sigaction(SIGTERM, &end, &oldTerm);
    }
    ~EndOnSignalWhileBoxWaits() {
        gBoxWaits = 0;
        ::sigaction(SIGINT, &oldInt, nullptr);
        ::sigaction(SIGTERM, &oldTerm, nullptr);
    }
    EndOnSignalWhileBoxWaits(const EndOnSignalWhileBoxWaits&) = delete;
    EndOnSignalWhileBoxWaits& operator=(const EndOnSignalWhileBoxWaits&) = delete;
};

// Shows an SDL box; false when it cannot be shown. A quit that came before the
// box shows none: the main loop ends the game once the caller returns.
bool ShowSdlBox(const SDL_MessageBoxData& box, int* hit) {
    EndOnSignalWhileBoxWaits guard;
    if (P().sdlStarted) {
        SDL_PumpEvents();
        if (SDL_HasEvent(SDL_QUIT)) return false;
    }
    if (P().noDisplay) return false;
    return SDL_ShowMessageBox(&box, hit) == 0;
}

}  // namespace

int ChoiceBox(HWND, const char* title, const char* text, const BoxButton* buttons, int count,
              int closeId) {
    auto& s = P();
    if (s.backend == Backend::Headless) {
        s.boxes.push_back(RecordedBox{text ? text : "", title ? title : "", 0xFF});
        return s.boxAnswer;
    }
    std::string t = Big5ToUtf8(BreakBoxText(text ? text : ""));
    std::string c = Big5ToUtf8(title ? title : "");
    std::vector<std::string> captions;
    std::vector<SDL_MessageBoxButtonData> data;
    for (int i = 0; i < count; ++i) captions.push_back(Big5ToUtf8(buttons[i].caption));
    for (int i = 0; i < count; ++i) data.push_back({0, buttons[i].id, captions[i].c_str()});
    SDL_MessageBoxData box{};
    box.flags = SDL_MESSAGEBOX_INFORMATION;
    box.window = s.sdlWindow;
    box.title = c.c_str();
    box.message = t.c_str();
    box.numbuttons = count;
    box.buttons = data.data();
    int hit = closeId;
    if (!ShowSdlBox(box, &hit) || hit < 0) return closeId;
    return hit;
}

void ShowCursor(bool show) {
    if (P().sdlStarted) SDL_ShowCursor(show ? SDL_ENABLE : SDL_DISABLE);
}

int MessageBoxA(HWND, const char* text, const char* caption, u32 type) {
    auto& s = P();
    if (s.backend == Backend::Headless) {
        s.boxes.push_back(RecordedBox{text ? text : "", caption ? caption : "", type});
        return s.boxAnswer;
    }
    std::string t = Big5ToUtf8(BreakBoxText(text ? text : ""));
    std::string c = Big5ToUtf8(caption ? caption : "");
    SDL_MessageBoxButtonData buttons[3];
    int n = 0;
    switch (type & 0xF) {
        case MB_OKCANCEL:
            buttons[n++] = {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT, IDOK, "OK"};
            buttons[n++] = {SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, IDCANCEL, "Cancel"};
            break;
        case MB_ABORTRETRYIGNORE:
            buttons[n++] = {0, IDABORT, "Abort"};
            buttons[n++] = {0, IDRETRY, "Retry"};
            buttons[n++] = {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT, IDIGNORE, "Ignore"};
            break;
        case MB_YESNO:
            buttons[n++] = {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT, IDYES, "Yes"};
            buttons[n++] = {SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, IDNO, "No"};
            break;
        default:
            buttons[n++] = {
                SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT | SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT,
                IDOK, "OK"};
            break;
    }
    SDL_MessageBoxData data{};
    data.flags = (type & MB_ICONERROR) ? SDL_MESSAGEBOX_ERROR : SDL_MESSAGEBOX_INFORMATION;
    data.window = s.sdlWindow;
    data.title = c.c_str();
    data.message = t.c_str();
    data.numbuttons = n;
    data.buttons = buttons;
    int hit = IDOK;
    // A box that cannot be shown was told on stderr by the fault's report.
    if (!ShowSdlBox(data, &hit)) return IDOK;
    return hit < 0 ? (n > 1 ? buttons[n - 1].buttonid : IDOK) : hit;
}
