// The pause notice and the prompt that asks for a game disc.
#pragma once
#include "engine/Types.h"

constexpr u32 kDiscPollOneDriveMs = 900;
constexpr u32 kDiscPollDrivesMs = 500;

void DrawPauseScreen();
// Waits for the disc of the given kind (0-3): 1 found (root and letter stored),
// 2 the player pressed Q (the quit bit is set).
int FindDisc(char* root, int kind, char* letter);
