// Keyboard and mouse as the game reads them: a 256-byte key state indexed by
// DirectInput scan codes and free-running absolute mouse counters. SDL events feed
// them in play; tests set them directly.
#pragma once
#include "base/Types.h"

constexpr int kKeyStateBytes = 256;

// What the mouse device reports: counters that add up every movement, in device units.
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

// Copies the 256 key bytes (bit 7 = down).
void PlatformReadKeys(u8* state);
PlatformMouse PlatformReadMouse();

// Test and event setters.
void PlatformSetKey(u8 scanCode, bool down);
void PlatformReleaseAllKeys();
void PlatformMoveMouse(i32 dx, i32 dy);
void PlatformSetMouseCounters(i32 x, i32 y);
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
