// The mode word, the screen manager's phase, the keyboard focus handed between
// screens and the screens' hub word.
#pragma once
#include "engine/Types.h"

constexpr u32 kScreenBit = 0x80000000u;
constexpr u32 kQuitFrameId = 0x81000000u;
constexpr u32 kScreenCount = 33;  // screen ids 0..32

extern u32 gFrameId;     // 0 map mode, kScreenBit | n screen n, kQuitFrameId quit
extern u32 gFramePhase;  // 0 open, 1 run, 2 close
extern i32 gKeyFocus;    // keyboard focus index handed from one screen to the next
extern u32 gScreenHubWord;

// A screen's way out: plays the interface sound, stores the result code and
// asks the manager to close the screen.
void LeaveScreen(i32* result, i32 code, int sound);

// F1-F4 held: stores codes[k] of the first one as the result and closes the
// screen; true when one did.
bool LeaveByFunctionKey(i32* result, const i32 codes[4]);

// What F1-F4 do on a page: the result code (0: the key is left to the page and
// the next one is tried), the sound (0 none), and whether gKeyFocus goes to 0
// so that the next page starts on its first row.
struct FunctionKeyExit {
    i32 code = 0;
    int sound = 0;
    bool resetFocus = false;
};
// The first held F key with a code leaves by it; true when one did.
bool LeaveByFunctionKey(i32* result, const FunctionKeyExit exits[4]);

// A new game starts the menu screens from nothing.
void ClearScreenHubWord();
void ResetScreenState();
