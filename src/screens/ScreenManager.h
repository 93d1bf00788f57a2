// The screen manager: opens, runs and closes the interface screens by the
// mode word and the phase, and owns the per-frame drawing of every screen. It
// stands above the toolkit, the system screens, the menu pages and the shops,
// and holds the table of them all.
#pragma once
#include "base/Types.h"

// One step of the manager for screen id (0..32); the frame tick calls it
// while the mode word holds a screen.
void RunInterface(u32 screen);
// Frees every screen object the manager holds and forgets the phase.
void ResetScreenManager();
