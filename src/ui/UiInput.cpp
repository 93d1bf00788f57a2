// cMouseInput and cKeyInput over the DirectInput wrapper.
#include "ui/UiInput.h"

#include "platform/Win.h"
#include "engine/DInput.h"
#include "data/KeyBindings.h"
#include "ui/ActPic.h"
#include "ui/Control.h"

cMouseInput gMouseInput;
cKeyInput gKeyInput;

namespace {
constexpr u32 kLeft = 1, kRight = 2;
}

int IsBindingDown(u32 code) {
    // 0 means unbound; anything past the 256 key bytes is no key at all.
    if (code == 0 || code > 255) return 0;
    return gDInput.IsKeyDown(static_cast<int>(code)) ? 1 : 0;
}

int IsKeyHeld(int n) {
    gDInput.ReadKeyboard();
    if (n < 0 || n >= kLogicalKeyCount) return 0;
    return IsBindingDown(gKeyBindings[n]);
}

void cMouseInput::Reset() {
    hoverId = clickedId = pressedId = 0;
    rightHeld = rightClick = doubleClick = 0;
    x = y = 0;
    lastButtons = 0;
    captured = 0;
    lastClickTime = timeGetTime() - 1000;
    cursorPic = nullptr;
}

i32 cMouseInput::HitTest() const {
    for (auto it = gControlList.rbegin(); it != gControlList.rend(); ++it) {
        i32 id = (*it)->HitTest();
        if (id) return id;
    }
    return 0;
}

void cMouseInput::MoveCursor(i32 nx, i32 ny) {
    x = nx;
    y = ny;
    gDInput.SetMousePos(nx, ny);
}

void cMouseInput::Update() {
    u32 now = timeGetTime();
    u32 b = static_cast<u32>(gDInput.ReadMouse(&x, &y));
    i32 h = HitTest();
    bool confirm = gKeyInput.IsPressed(kKeyConfirm) != 0;
    if (b != 0 && !confirm) {
        if (b & kRight) {
            rightHeld = 1;
        } else {
            if (now >= lastClickTime && now <= lastClickTime + kDoubleClickMs) {
                doubleClick = 1;
                lastClickTime = now - 1000;
            }
            clickedId = 0;
            if (pressedId == 0) pressedId = h;
        }
    } else {
        if (b != 0) {
            // Confirm while a button is held clicks nothing, now or at the release.
        } else if (confirm) {
            clickedId = h == hoverId ? h : 0;
            lastClickTime = now;
        } else if (lastButtons == kLeft) {
            if (pressedId == h) {
                clickedId = h == hoverId ? h : 0;
                lastClickTime = now;
            }
        } else if (lastButtons == kRight) {
            rightClick = rightHeld != 0;
        } else if (lastButtons == (kLeft | kRight)) {
            clickedId = h == hoverId ? h : 0;
        }
        rightHeld = 0;
        pressedId = 0;
    }
    hoverId = h;
    if (captured) {
        hoverId = clickedId = pressedId = 0;
        if (b == 0 && lastButtons == kLeft) captured = 0;
    }
    lastButtons = b;
    if (cursorPic) cursorPic->Draw(x, y);
}

void cKeyInput::Reset() {
    for (int i = 0; i < kKeyFlagSlots; ++i) current[i] = previous[i] = 0;
}

int cKeyInput::IsPressed(int n) {
    if (n < 0 || n >= kKeyFlagSlots) return 0;
    gDInput.ReadKeyboard();
    if (n >= kLogicalKeyCount || !IsBindingDown(gKeyBindings[n])) {
        previous[n] = current[n];
        current[n] = 0;
        return 0;
    }
    current[n] = 1;
    u32 now = timeGetTime();
    int result = 0;
    if (previous[n] != 1) {
        lastTime = now;
        repeating = 0;
        result = 1;
    } else if (!repeating) {
        if (now - lastTime >= kKeyFirstRepeatMs) {
            repeating = 1;
            lastTime = now;
            result = 1;
        }
    } else if (now - lastTime >= kKeyRepeatMs) {
        lastTime = now;
        result = 1;
    }
    previous[n] = current[n];
    return result;
}

void ResetUiInput() {
    gMouseInput.Reset();
    gKeyInput.Reset();
    gKeyInput.lastTime = 0;
    gKeyInput.repeating = 0;
}
