// The two countdowns of the story scripts, in frames of 1/30 s (-1 = off).
#pragma once
#include "engine/Types.h"

extern i32 gStoryCountdown;
extern u16 gCountdownTalk;
extern i32 gFlagCountdown;

void ResetCountdowns();
