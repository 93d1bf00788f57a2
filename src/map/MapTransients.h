// The transient lists of the map that story commands fill (script objects,
// wipes, timed objects, role heads, dialogue items and boxes), and their release
// at map entry, before a saved game is read and at the countdown's expiry.
#pragma once
#include "base/Types.h"

extern u32 gTransientBounds[4];  // 0x7FFFFFFF when empty

// Frees the transient lists of the map (the countdown's expiry and map entry).
void ReleaseMapTransients();
// The countdown's expiry after the lists: every role's walk ends, then the talk.
void StartCountdownTalk();
// Frees the lists before a saved game is read.
void ReleaseForLoad();
void ResetMapTransients();
