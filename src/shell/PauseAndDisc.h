// The pause notice and the prompt that asks for a game disc.
#pragma once
#include "base/Types.h"
#include "map/SessionServices.h"

constexpr u32 kDiscPollOneDriveMs = 900;
constexpr u32 kDiscPollDrivesMs = 500;

void DrawPauseScreen();
