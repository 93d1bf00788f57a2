// The screen manager: opens, runs and closes the interface screens by the
// mode word and the phase, and owns the per-frame drawing of every screen.
#pragma once
#include "base/Types.h"

class cActPic;

extern cActPic* gCursorPic;  // act 9001 action 4 while a screen is open

// One step of the manager for screen id (0..32); the frame tick calls it
// while the mode word holds a screen.
void RunInterface(u32 screen);
// Frees every screen object the manager holds and forgets the phase.
void ResetScreenManager();
