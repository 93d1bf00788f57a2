// Interface input: the mouse as control events (hover, click, press, right
// click, double click) and the logical keys with auto-repeat.
#pragma once
#include "base/Types.h"
#include "map/InterfaceLink.h"

// Scan codes of the function keys the screens read.
constexpr u8 kScanF1 = 0x3B, kScanF2 = 0x3C, kScanF3 = 0x3D, kScanF4 = 0x3E;
constexpr u8 kScanF9 = 0x43, kScanF10 = 0x44;

class cActPic;

constexpr u32 kDoubleClickMs = 700;
constexpr u32 kKeyFirstRepeatMs = 600;
constexpr u32 kKeyRepeatMs = 200;
constexpr int kKeyFlagSlots = 15;

class cMouseInput {
public:
    cMouseInput() { Reset(); }
    // Clears every event and the cursor picture; the next press is never a double click.
    void Reset();
    // Once per interface frame, after the controls are drawn.
    void Update();
    // The id of the topmost shown control under the cursor, 0 when none.
    i32 HitTest() const;
    void SetCursorPic(cActPic* pic) { cursorPic = pic; }
    void MoveCursor(i32 nx, i32 ny);

    i32 hoverId = 0;
    i32 clickedId = 0;  // screens read and clear it
    i32 pressedId = 0;
    u32 rightHeld = 0;
    u32 rightClick = 0;   // screens read and clear it
    u32 doubleClick = 0;  // screens read and clear it
    i32 x = 0, y = 0;
    u32 lastButtons = 0;  // bit 0 left, bit 1 right
    u32 captured = 0;     // a thumb drag owns the mouse
    u32 lastClickTime = 0;
    cActPic* cursorPic = nullptr;
};

class cKeyInput {
public:
    cKeyInput() { Reset(); }
    void Reset();
    // 1 on a new press of logical key n and on its repeats; 0 for n of 12 or more.
    int IsPressed(int n);

    u32 current[kKeyFlagSlots] = {};
    u32 previous[kKeyFlagSlots] = {};
    u32 lastTime = 0;  // one repeat timer shared by all keys
    u32 repeating = 0;
};

extern cMouseInput gMouseInput;
extern cKeyInput gKeyInput;

// Logical key n held now, without repeat logic; 0 for n above 11 or an unbound key.
int IsKeyHeld(int n);
// The scan code of a binding is down (codes outside 1..255 read as up).
int IsBindingDown(u32 code);
void ResetUiInput();
