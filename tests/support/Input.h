// Scripted keys and mouse clicks over the real tick.
#pragma once
#include "engine/DInput.h"
#include "platform/Input.h"
#include "support/Harness.h"

constexpr u8 kScanEsc = 1, kScanEnter = 28, kScanTab = 15;
constexpr u8 kScanUp = 200, kScanDown = 208, kScanLeft = 203, kScanRight = 205;
constexpr u8 kScanPgUp = 201, kScanPgDn = 209;

// Holds a key for one frame, then lets it go for `released` frames: a key needs
// two released frames before its next press counts as new.
inline void TapKey(Harness& h, u8 code, int released = 1) {
    PlatformSetKey(code, true);
    h.RunFrames(1);
    PlatformSetKey(code, false);
    h.RunFrames(released);
}

// The given mouse buttons down for a frame, then up for `after` frames (the
// release makes the click; the next run reads it).
inline void PressMouse(Harness& h, bool left, bool right, int after) {
    PlatformSetMouseButtons(left, right);
    h.RunFrames(1);
    PlatformSetMouseButtons(false, false);
    h.RunFrames(after);
}

// The cursor onto (x, y) for a frame, then a left click.
inline void ClickAt(Harness& h, i32 x, i32 y, int after = 1) {
    gDInput.SetMousePos(x, y);
    h.RunFrames(1);
    PressMouse(h, true, false, after);
}
