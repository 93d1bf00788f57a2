// The Windows-side shapes the game is written against: one window with a
// message queue, the messages and key codes it uses, message boxes, and the
// millisecond clock. Implemented over SDL2 in play and headless in tests.
#pragma once
#include <string>
#include <vector>

#include "base/Types.h"

struct WindowRec;
using HWND = WindowRec*;
using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;
using WNDPROC = LRESULT (*)(HWND, u32, WPARAM, LPARAM);

struct MSG {
    HWND hwnd = nullptr;
    u32 message = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
};

// Messages.
constexpr u32 WM_CREATE = 0x0001;
constexpr u32 WM_DESTROY = 0x0002;
constexpr u32 WM_SIZE = 0x0005;
constexpr u32 WM_CLOSE = 0x0010;
constexpr u32 WM_QUIT = 0x0012;
constexpr u32 WM_ACTIVATEAPP = 0x001C;
constexpr u32 WM_KEYDOWN = 0x0100;
constexpr u32 WM_KEYUP = 0x0101;
constexpr u32 WM_CHAR = 0x0102;
constexpr u32 WM_SYSKEYDOWN = 0x0104;
constexpr u32 WM_SYSCOMMAND = 0x0112;
constexpr u32 WM_MOUSEMOVE = 0x0200;
constexpr u32 WM_LBUTTONDOWN = 0x0201;
constexpr u32 WM_LBUTTONUP = 0x0202;
constexpr u32 WM_RBUTTONDOWN = 0x0204;
constexpr u32 WM_RBUTTONUP = 0x0205;
constexpr u32 WM_USER = 0x0400;

// WM_SIZE types.
constexpr WPARAM SIZE_RESTORED = 0;
constexpr WPARAM SIZE_MINIMIZED = 1;
constexpr WPARAM SIZE_MAXIMIZED = 2;
constexpr WPARAM SIZE_MAXSHOW = 3;
constexpr WPARAM SIZE_MAXHIDE = 4;

// WM_SYSCOMMAND values the game swallows.
constexpr WPARAM SC_TASKLIST = 0xF130;
constexpr WPARAM SC_SCREENSAVE = 0xF140;
constexpr WPARAM SC_MONITORPOWER = 0xF170;
constexpr WPARAM SC_MOUSEMENU = 0xF090;

// Virtual keys.
constexpr u32 VK_BACK = 0x08;
constexpr u32 VK_TAB = 0x09;
constexpr u32 VK_RETURN = 0x0D;
constexpr u32 VK_SHIFT = 0x10;
constexpr u32 VK_CONTROL = 0x11;
constexpr u32 VK_MENU = 0x12;
constexpr u32 VK_ESCAPE = 0x1B;
constexpr u32 VK_SPACE = 0x20;
constexpr u32 VK_PRIOR = 0x21;
constexpr u32 VK_NEXT = 0x22;
constexpr u32 VK_END = 0x23;
constexpr u32 VK_HOME = 0x24;
constexpr u32 VK_LEFT = 0x25;
constexpr u32 VK_UP = 0x26;
constexpr u32 VK_RIGHT = 0x27;
constexpr u32 VK_DOWN = 0x28;
constexpr u32 VK_DELETE = 0x2E;
constexpr u32 VK_F1 = 0x70;  // VK_F1 + n - 1 is Fn
constexpr u32 VK_F8 = 0x77;
constexpr u32 VK_F12 = 0x7B;

// ShowWindow commands.
constexpr int SW_HIDE = 0;
constexpr int SW_SHOWNORMAL = 1;
constexpr int SW_MINIMIZE = 6;
constexpr int SW_RESTORE = 9;

// Message box types and results.
constexpr u32 MB_OK = 0x0;
constexpr u32 MB_OKCANCEL = 0x1;
constexpr u32 MB_ABORTRETRYIGNORE = 0x2;
constexpr u32 MB_YESNO = 0x4;
constexpr u32 MB_ICONERROR = 0x10;
constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
constexpr int IDABORT = 3;
constexpr int IDRETRY = 4;
constexpr int IDIGNORE = 5;
constexpr int IDYES = 6;
constexpr int IDNO = 7;

constexpr int PM_NOREMOVE = 0;
constexpr int PM_REMOVE = 1;

// Window class and window.
struct WNDCLASS {
    const char* className = nullptr;
    WNDPROC proc = nullptr;
};
bool RegisterClassA(const WNDCLASS& wc);
HWND CreateWindowExA(const char* className, const char* title, int width, int height);
bool DestroyWindow(HWND hwnd);
bool ShowWindow(HWND hwnd, int cmd);
bool IsWindow(HWND hwnd);
// Finds a top-level window by class and title. Windows of this process are
// looked up in the window table; a "Moonharbor" window of another process is
// found through its per-user lock file. Others are never found.
HWND FindWindowA(const char* className, const char* title);

// Message queue.
bool PeekMessageA(MSG* msg, HWND hwnd, int remove);
// Waits for a message; false for WM_QUIT.
bool GetMessageA(MSG* msg);
void TranslateMessage(const MSG* msg);
LRESULT DispatchMessageA(const MSG* msg);
bool PostMessageA(HWND hwnd, u32 msg, WPARAM w, LPARAM l);
LRESULT SendMessageA(HWND hwnd, u32 msg, WPARAM w, LPARAM l);
LRESULT DefWindowProcA(HWND hwnd, u32 msg, WPARAM w, LPARAM l);
void PostQuitMessage(int code);
// Blocks until an event arrives or ms pass; the virtual clock simply moves on.
void WaitForEventOrTimeout(u32 ms);

// Clock.
u32 timeGetTime();
void Sleep(u32 ms);
void Beep();

// Message boxes. Text and caption are Big5; in play they show as UTF-8, their
// lines broken to fit the 640-pixel screen (BreakBoxText).
int MessageBoxA(HWND hwnd, const char* text, const char* caption, u32 type);

// Lines of a box's text of at most `columns` columns, a double-byte character
// taking two: a longer line is broken after its last space, or between two
// characters where it has none. 72 columns of the box's font fit the screen.
constexpr size_t kBoxColumns = 72;
std::string BreakBoxText(const std::string& big5, size_t columns = kBoxColumns);

// A box with buttons of the caller's own (captions Big5); returns the id of
// the button pressed, or closeId when the box is closed. Headless: recorded as
// a message box of type 0xFF and answered with the scripted answer.
struct BoxButton {
    int id;
    const char* caption;
};
int ChoiceBox(HWND hwnd, const char* title, const char* text, const BoxButton* buttons, int count,
              int closeId);
// Shows or hides the system's mouse cursor over the window.
void ShowCursor(bool show);
