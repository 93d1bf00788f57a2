// The screens' way out and their shared words (declared with the frame loop's).
#pragma once
#include "base/Types.h"
#include "engine/FrameState.h"
#include "engine/Screen.h"

class cActPic;

extern cActPic* gCursorPic;  // act 9001 action 4 while a screen is open
// Index into gRoles of the character the menu pages show.
extern u32 gMenuRole;

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
