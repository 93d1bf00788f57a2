// The two countdowns of the story scripts, in frames of 1/30 s (-1 = off).
#pragma once
#include "base/Types.h"
#include "map/StoryLink.h"

extern u32 gCountdownShown[2][2];  // the display words of each countdown

// Arms countdown kind 0 (the story's, starting talk `talk` when it runs out)
// or any other kind (the flag countdown). Returns 0.
int StartCountdown(int minutes, int seconds, u16 talk, int kind);

void ResetCountdowns();
