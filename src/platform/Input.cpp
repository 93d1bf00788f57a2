// Key state by DirectInput scan code and mouse counters, fed from SDL events.
#include "platform/Input.h"

#include <SDL.h>

#include <algorithm>
#include <cstring>

#include "platform/Backend.h"
#include "platform/Display.h"
#include "platform/SdlWindow.h"

namespace {

struct ScanPair {
    SDL_Scancode sdl;
    u8 dik;
};

// Every key with a DirectInput code, by the key's position on the keyboard.
// Codes with bit 7 set are the extended (E0-prefixed) keys.
constexpr ScanPair kScanTable[] = {
    {SDL_SCANCODE_ESCAPE, 0x01},
    {SDL_SCANCODE_1, 0x02},
    {SDL_SCANCODE_2, 0x03},
    {SDL_SCANCODE_3, 0x04},
    {SDL_SCANCODE_4, 0x05},
    {SDL_SCANCODE_5, 0x06},
    {SDL_SCANCODE_6, 0x07},
    {SDL_SCANCODE_7, 0x08},
    {SDL_SCANCODE_8, 0x09},
    {SDL_SCANCODE_9, 0x0A},
    {SDL_SCANCODE_0, 0x0B},
    {SDL_SCANCODE_MINUS, 0x0C},
    {SDL_SCANCODE_EQUALS, 0x0D},
    {SDL_SCANCODE_BACKSPACE, 0x0E},
    {SDL_SCANCODE_TAB, 0x0F},
    {SDL_SCANCODE_Q, 0x10},
    {SDL_SCANCODE_W, 0x11},
    {SDL_SCANCODE_E, 0x12},
    {SDL_SCANCODE_R, 0x13},
    {SDL_SCANCODE_T, 0x14},
    {SDL_SCANCODE_Y, 0x15},
    {SDL_SCANCODE_U, 0x16},
    {SDL_SCANCODE_I, 0x17},
    {SDL_SCANCODE_O, 0x18},
    {SDL_SCANCODE_P, 0x19},
    {SDL_SCANCODE_LEFTBRACKET, 0x1A},
    {SDL_SCANCODE_RIGHTBRACKET, 0x1B},
    {SDL_SCANCODE_RETURN, 0x1C},
    {SDL_SCANCODE_LCTRL, 0x1D},
    {SDL_SCANCODE_A, 0x1E},
    {SDL_SCANCODE_S, 0x1F},
    {SDL_SCANCODE_D, 0x20},
    {SDL_SCANCODE_F, 0x21},
    {SDL_SCANCODE_G, 0x22},
    {SDL_SCANCODE_H, 0x23},
    {SDL_SCANCODE_J, 0x24},
    {SDL_SCANCODE_K, 0x25},
    {SDL_SCANCODE_L, 0x26},
    {SDL_SCANCODE_SEMICOLON, 0x27},
    {SDL_SCANCODE_APOSTROPHE, 0x28},
    {SDL_SCANCODE_GRAVE, 0x29},
    {SDL_SCANCODE_LSHIFT, 0x2A},
    {SDL_SCANCODE_BACKSLASH, 0x2B},
    {SDL_SCANCODE_Z, 0x2C},
    {SDL_SCANCODE_X, 0x2D},
    {SDL_SCANCODE_C, 0x2E},
    {SDL_SCANCODE_V, 0x2F},
    {SDL_SCANCODE_B, 0x30},
    {SDL_SCANCODE_N, 0x31},
    {SDL_SCANCODE_M, 0x32},
    {SDL_SCANCODE_COMMA, 0x33},
    {SDL_SCANCODE_PERIOD, 0x34},
    {SDL_SCANCODE_SLASH, 0x35},
    {SDL_SCANCODE_RSHIFT, 0x36},
    {SDL_SCANCODE_KP_MULTIPLY, 0x37},
    {SDL_SCANCODE_LALT, 0x38},
    {SDL_SCANCODE_SPACE, 0x39},
    {SDL_SCANCODE_CAPSLOCK, 0x3A},
    {SDL_SCANCODE_F1, 0x3B},
    {SDL_SCANCODE_F2, 0x3C},
    {SDL_SCANCODE_F3, 0x3D},
    {SDL_SCANCODE_F4, 0x3E},
    {SDL_SCANCODE_F5, 0x3F},
    {SDL_SCANCODE_F6, 0x40},
    {SDL_SCANCODE_F7, 0x41},
    {SDL_SCANCODE_F8, 0x42},
    {SDL_SCANCODE_F9, 0x43},
    {SDL_SCANCODE_F10, 0x44},
    {SDL_SCANCODE_NUMLOCKCLEAR, 0x45},
    {SDL_SCANCODE_SCROLLLOCK, 0x46},
    {SDL_SCANCODE_KP_7, 0x47},
    {SDL_SCANCODE_KP_8, 0x48},
    {SDL_SCANCODE_KP_9, 0x49},
    {SDL_SCANCODE_KP_MINUS, 0x4A},
    {SDL_SCANCODE_KP_4, 0x4B},
    {SDL_SCANCODE_KP_5, 0x4C},
    {SDL_SCANCODE_KP_6, 0x4D},
    {SDL_SCANCODE_KP_PLUS, 0x4E},
    {SDL_SCANCODE_KP_1, 0x4F},
    {SDL_SCANCODE_KP_2, 0x50},
    {SDL_SCANCODE_KP_3, 0x51},
    {SDL_SCANCODE_KP_0, 0x52},
    {SDL_SCANCODE_KP_PERIOD, 0x53},
    {SDL_SCANCODE_NONUSBACKSLASH, 0x56},
    {SDL_SCANCODE_F11, 0x57},
    {SDL_SCANCODE_F12, 0x58},
    {SDL_SCANCODE_F13, 0x64},
    {SDL_SCANCODE_F14, 0x65},
    {SDL_SCANCODE_F15, 0x66},
    {SDL_SCANCODE_INTERNATIONAL2, 0x70},  // Kana
    {SDL_SCANCODE_INTERNATIONAL1, 0x73},  // Ro / ABNT C1
    {SDL_SCANCODE_INTERNATIONAL4, 0x79},  // Convert
    {SDL_SCANCODE_INTERNATIONAL5, 0x7B},  // NoConvert
    {SDL_SCANCODE_INTERNATIONAL3, 0x7D},  // Yen
    {SDL_SCANCODE_KP_EQUALS, 0x8D},
    {SDL_SCANCODE_AUDIOPREV, 0x90},
    {SDL_SCANCODE_STOP, 0x95},
    {SDL_SCANCODE_AUDIONEXT, 0x99},
    {SDL_SCANCODE_KP_ENTER, 0x9C},
    {SDL_SCANCODE_RCTRL, 0x9D},
    {SDL_SCANCODE_AUDIOMUTE, 0xA0},
    {SDL_SCANCODE_CALCULATOR, 0xA1},
    {SDL_SCANCODE_AUDIOPLAY, 0xA2},
    {SDL_SCANCODE_AUDIOSTOP, 0xA4},
    {SDL_SCANCODE_VOLUMEDOWN, 0xAE},
    {SDL_SCANCODE_VOLUMEUP, 0xB0},
    {SDL_SCANCODE_AC_HOME, 0xB2},
    {SDL_SCANCODE_KP_COMMA, 0xB3},
    {SDL_SCANCODE_KP_DIVIDE, 0xB5},
    {SDL_SCANCODE_PRINTSCREEN, 0xB7},
    {SDL_SCANCODE_RALT, 0xB8},
    {SDL_SCANCODE_PAUSE, 0xC5},
    {SDL_SCANCODE_HOME, 0xC7},
    {SDL_SCANCODE_UP, 0xC8},
    {SDL_SCANCODE_PAGEUP, 0xC9},
    {SDL_SCANCODE_LEFT, 0xCB},
    {SDL_SCANCODE_RIGHT, 0xCD},
    {SDL_SCANCODE_END, 0xCF},
    {SDL_SCANCODE_DOWN, 0xD0},
    {SDL_SCANCODE_PAGEDOWN, 0xD1},
    {SDL_SCANCODE_INSERT, 0xD2},
    {SDL_SCANCODE_DELETE, 0xD3},
    {SDL_SCANCODE_LGUI, 0xDB},
    {SDL_SCANCODE_RGUI, 0xDC},
    {SDL_SCANCODE_APPLICATION, 0xDD},
    {SDL_SCANCODE_POWER, 0xDE},
    {SDL_SCANCODE_SLEEP, 0xDF},
};

struct InputState {
    u8 keys[kKeyStateBytes] = {};
    bool stale[kKeyStateBytes] = {};  // held through a suspend: up until released
    // A key stays down until a read has seen it: a tap that begins and ends
    // while a frame is busy (a map loading, a slow machine) still counts once.
    bool seen[kKeyStateBytes] = {};
    bool releasePending[kKeyStateBytes] = {};
    PlatformMouse mouse;
    // The buttons are held back the same way: a click between two reads counts.
    bool buttonSeen[2] = {};
    bool buttonReleasePending[2] = {};
    bool imeActive = false;
    bool hooked = false;
};

InputState& S() {
    static InputState s;
    return s;
}

u8& Button(int button) {
    return button == 0 ? S().mouse.button0 : S().mouse.button1;
}

void OnSdlEvent(const void* p) {
    const SDL_Event& e = *static_cast<const SDL_Event*>(p);
    switch (e.type) {
        case SDL_KEYDOWN:
        case SDL_KEYUP: {
            u8 code = ScanCodeFromSdl(e.key.keysym.scancode);
            if (code) PlatformSetKey(code, e.type == SDL_KEYDOWN);
            break;
        }
        case SDL_MOUSEMOTION:
            PlatformPointerAt(e.motion.x, e.motion.y);
            break;
        case SDL_MOUSEBUTTONDOWN:
        case SDL_MOUSEBUTTONUP: {
            PlatformPointerAt(e.button.x, e.button.y);
            bool down = e.type == SDL_MOUSEBUTTONDOWN;
            if (e.button.button == SDL_BUTTON_LEFT) PlatformSetMouseButton(0, down);
            if (e.button.button == SDL_BUTTON_RIGHT) PlatformSetMouseButton(1, down);
            break;
        }
        case SDL_WINDOWEVENT:
            // Keys released while another window had the focus never come back up.
            if (e.window.event == SDL_WINDOWEVENT_FOCUS_LOST) PlatformReleaseAllKeys();
            break;
        default:
            break;
    }
}

// The releases held back until a read saw the key down take effect at the
// next pump, once the frame that read the key is over.
void ApplySeenReleases() {
    auto& s = S();
    for (int i = 0; i < kKeyStateBytes; ++i)
        if (s.releasePending[i] && s.seen[i]) {
            s.keys[i] = 0;
            s.stale[i] = false;
            s.releasePending[i] = false;
        }
    for (int b = 0; b < 2; ++b)
        if (s.buttonReleasePending[b] && s.buttonSeen[b]) {
            Button(b) = 0;
            s.buttonReleasePending[b] = false;
        }
}

}  // namespace

void InputPlatformInit() {
    auto& s = S();
    if (s.hooked) return;
    s.hooked = true;
    PlatformAddHooks({OnSdlEvent, InputPlatformReset, ApplySeenReleases});
}

void InputPlatformReset() {
    auto& s = S();
    std::memset(s.keys, 0, sizeof s.keys);
    std::memset(s.stale, 0, sizeof s.stale);
    std::memset(s.seen, 0, sizeof s.seen);
    std::memset(s.releasePending, 0, sizeof s.releasePending);
    s.mouse = PlatformMouse{};
    std::memset(s.buttonSeen, 0, sizeof s.buttonSeen);
    std::memset(s.buttonReleasePending, 0, sizeof s.buttonReleasePending);
    s.imeActive = false;
}

void PlatformReadKeys(u8* state) {
    InputPlatformInit();
    auto& s = S();
    for (int i = 0; i < kKeyStateBytes; ++i) {
        state[i] = s.stale[i] ? 0 : s.keys[i];
        if (s.keys[i]) s.seen[i] = true;
    }
}

void PlatformIgnoreHeldKeys() {
    auto& s = S();
    for (int i = 0; i < kKeyStateBytes; ++i) s.stale[i] = (s.keys[i] & 0x80) != 0;
}

PlatformMouse PlatformReadMouse() {
    InputPlatformInit();
    auto& s = S();
    for (int b = 0; b < 2; ++b)
        if (Button(b)) s.buttonSeen[b] = true;
    return s.mouse;
}

PlatformMouse PlatformMousePosition() {
    InputPlatformInit();
    return S().mouse;
}

void PlatformSetKey(u8 scanCode, bool down) {
    InputPlatformInit();
    auto& s = S();
    if (down) {
        s.keys[scanCode] = 0x80;
        s.seen[scanCode] = false;
        s.releasePending[scanCode] = false;
        return;
    }
    if (s.keys[scanCode] && !s.seen[scanCode]) {
        s.releasePending[scanCode] = true;
        return;
    }
    s.keys[scanCode] = 0;
    s.stale[scanCode] = false;
    s.releasePending[scanCode] = false;
}

void PlatformReleaseAllKeys() {
    auto& s = S();
    std::memset(s.keys, 0, kKeyStateBytes);
    std::memset(s.stale, 0, kKeyStateBytes);
    std::memset(s.releasePending, 0, kKeyStateBytes);
}

// One device unit is two picture pixels, the distance the game's cursor moves
// per unit at its speed factor of 2.0: a cursor that starts under the pointer
// stays under it. The pointer is taken where it stands, so nothing drifts.
constexpr i32 kPixelsPerUnit = 2;

void PlatformPointerAt(i32 windowX, i32 windowY) {
    InputPlatformInit();
    DisplayPlace at = DisplayWindowPlace();
    auto unit = [&](i32 w, i32 origin, i32 size) {
        i32 px = w < origin ? 0 : (w - origin) / at.scale;
        return std::min(px, size - 1) / kPixelsPerUnit;
    };
    i32 width = 0, height = 0;
    DisplayPictureSize(&width, &height);
    S().mouse.x = unit(windowX, at.x, width);
    S().mouse.y = unit(windowY, at.y, height);
}

void PlatformWarpMouse(i32 x, i32 y) {
    InputPlatformInit();
    DisplayPlace at = DisplayWindowPlace();
    i32 wx = at.x + x * at.scale + at.scale / 2;
    i32 wy = at.y + y * at.scale + at.scale / 2;
    SDL_Window* win = PlatformIsHeadless() ? nullptr : SdlMainWindow();
    if (win) SDL_WarpMouseInWindow(win, wx, wy);
    PlatformPointerAt(wx, wy);
}

void PlatformMoveMouse(i32 dx, i32 dy) {
    InputPlatformInit();
    S().mouse.x += dx;
    S().mouse.y += dy;
}

void PlatformSetMouseCounters(i32 x, i32 y) {
    InputPlatformInit();
    S().mouse.x = x;
    S().mouse.y = y;
}

void PlatformSetMouseButton(int button, bool down) {
    InputPlatformInit();
    if (button < 0 || button > 1) return;
    auto& s = S();
    if (down) {
        Button(button) = 0x80;
        s.buttonSeen[button] = false;
        s.buttonReleasePending[button] = false;
        return;
    }
    if (Button(button) && !s.buttonSeen[button]) {
        s.buttonReleasePending[button] = true;
        return;
    }
    Button(button) = 0;
    s.buttonReleasePending[button] = false;
}

void PlatformSetMouseButtons(bool button0, bool button1) {
    PlatformSetMouseButton(0, button0);
    PlatformSetMouseButton(1, button1);
}

u8 ScanCodeFromSdl(int sdlScancode) {
    for (const auto& p : kScanTable)
        if (p.sdl == sdlScancode) return p.dik;
    return 0;
}

int SdlFromScanCode(u8 scanCode) {
    for (const auto& p : kScanTable)
        if (p.dik == scanCode) return p.sdl;
    return 0;
}

bool PlatformImeActive() {
    return S().imeActive;
}
void PlatformSetImeActive(bool active) {
    InputPlatformInit();
    S().imeActive = active;
}
