// Keyboard and mouse as the game reads them: a 256-byte key state indexed by
// DirectInput scan codes and free-running absolute mouse counters. SDL events feed
// them in play; tests set them directly.
#pragma once
#include "base/Types.h"

constexpr int kKeyStateBytes = 256;

// What the mouse device reports: counters in device units (in play, where the
// system pointer stands over the picture).
struct PlatformMouse {
    i32 x = 0;
    i32 y = 0;
    u8 button0 = 0;  // 0x80 while held
    u8 button1 = 0;
};

// Registers the SDL event hooks (once); every other call here does it too.
void InputPlatformInit();
// Forgets held keys, counters, buttons and the input-method answer.
void InputPlatformReset();

// Copies the 256 key bytes (bit 7 = down). A key released before any read saw
// it down reads down once more: its release takes effect at the first message
// pump after such a read, so no tap falls between two frames.
void PlatformReadKeys(u8* state);
// The mouse as the game reads it. Buttons are held back as keys are: a button
// released before any read saw it down reads down once more.
PlatformMouse PlatformReadMouse();
// The counters and buttons without reading them: a click stays for the game.
PlatformMouse PlatformMousePosition();

// Keys down now read as up until they are released (keys held through a
// suspend are not new presses when the game comes back).
void PlatformIgnoreHeldKeys();

// Test and event setters.
void PlatformSetKey(u8 scanCode, bool down);
void PlatformReleaseAllKeys();
// The system pointer stands at window pixel (x, y): the counters take the
// picture point under it, kept inside the picture, in units of two pixels.
void PlatformPointerAt(i32 windowX, i32 windowY);
// Moves the system pointer over picture point (x, y), and the counters with it.
void PlatformWarpMouse(i32 x, i32 y);
void PlatformMoveMouse(i32 dx, i32 dy);
void PlatformSetMouseCounters(i32 x, i32 y);
// Button 0 (left) or 1 (right) goes down or up, as the event feed reports it.
void PlatformSetMouseButton(int button, bool down);
void PlatformSetMouseButtons(bool button0, bool button1);

// SDL scancodes lie below this.
constexpr int kSdlScancodeLimit = 512;
// DirectInput scan code of an SDL scancode; 0 for keys the game cannot name.
u8 ScanCodeFromSdl(int sdlScancode);
// The SDL scancode of a DirectInput scan code; 0 when no SDL key gives it.
int SdlFromScanCode(u8 scanCode);

// Whether an input method composes text. SDL hands over composed text as text
// input, so this answers "no" unless a test or the event feed says otherwise.
bool PlatformImeActive();
void PlatformSetImeActive(bool active);
