// cDINPUT over the platform's key state and mouse counters.
#include "engine/DInput.h"

#include <cstring>

#include "platform/Backend.h"
#include "platform/Input.h"

cDINPUT gDInput;

namespace {
constexpr i32 kScreenW = 640;
constexpr i32 kScreenH = 480;
}  // namespace

cDINPUT::cDINPUT() = default;

cDINPUT::~cDINPUT() {
    Release();
}

int cDINPUT::Init(ModuleRec*, HWND) {
    if (PlatformDeviceFailures().input) return 1;
    InputPlatformInit();
    ReadKeyboard();
    // The cursor starts at (0, 0): the device's present position becomes the origin.
    PlatformMouse m = PlatformMousePosition();
    originX_ = m.x;
    originY_ = m.y;
    ready_ = true;
    return 0;
}

void cDINPUT::Release() {
    ready_ = false;
}

int cDINPUT::ReadKeyboard() {
    PlatformReadKeys(keys_);
    return 1;
}

int cDINPUT::IsKeyDown(int code) const {
    if (code < 0 || code > 255) return 0;
    return keys_[code] & 0x80;
}

int cDINPUT::GetFirstKey() const {
    for (int i = 0; i < 256; ++i)
        if (keys_[i] & 0x80) return i;
    return 0;
}

void cDINPUT::PressKey(int code) {
    if (code >= 0 && code <= 255) keys_[code] = 0x80;
}

int cDINPUT::ReadMouse(i32* x, i32* y) {
    PlatformMouse m = PlatformReadMouse();
    i32 cx = (m.x - originX_) * speed_ / 10;
    i32 cy = (m.y - originY_) * speed_ / 10;
    int buttons = ((m.button0 & 0x80) ? 1 : 0) | ((m.button1 & 0x80) ? 2 : 0);
    // Pushing past an edge drags the origin along, so the cursor leaves the edge
    // as soon as the mouse turns back.
    if (cx < 0) {
        cx = 0;
        originX_ = m.x;
    } else if (cx > kScreenW - 1) {
        cx = kScreenW - 1;
        originX_ = m.x - (kScreenW - 1) * 10 / speed_;
    }
    if (cy < 0) {
        cy = 0;
        originY_ = m.y;
    } else if (cy > kScreenH - 1) {
        cy = kScreenH - 1;
        originY_ = m.y - (kScreenH - 1) * 10 / speed_;
    }
    if (x) *x = cx;
    if (y) *y = cy;
    return buttons;
}

void cDINPUT::SetMousePos(i32 x, i32 y) {
    if (x >= kScreenW) x = kScreenW - 1;
    if (x < 1) x = 0;
    if (y >= kScreenH) y = kScreenH - 1;
    if (y < 1) y = 0;
    // In a window the system pointer goes along, so the cursor stays under it.
    PlatformWarpMouse(x, y);
    PlatformMouse m = PlatformMousePosition();
    originX_ = m.x - x * 10 / speed_;
    originY_ = m.y - y * 10 / speed_;
}

void cDINPUT::SetMouseSpeed(double factor) {
    // The cursor arithmetic divides by the speed: keep it at least 1.
    i32 s = static_cast<i32>(factor * 10);
    speed_ = s < 1 ? 1 : s;
}

void PollInput() {
    gDInput.ReadKeyboard();
}

void ResetDInput() {
    gDInput = cDINPUT();
}
