// The screens' way out and their shared words (declared with the frame loop's).
#pragma once
#include "base/Types.h"
#include "engine/FrameState.h"


// A screen's way out: plays the interface sound, stores the result code and
// asks the manager to close the screen.
void LeaveScreen(i32* result, i32 code, int sound);

// F1-F4 held: stores codes[k] of the first one as the result and closes the
// screen; true when one did.
bool LeaveByFunctionKey(i32* result, const i32 codes[4]);

// A new game starts the menu screens from nothing.
void ClearScreenHubWord();
void ResetScreenState();
