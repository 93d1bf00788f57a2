// The mode word and the screen manager's phase.
#pragma once
#include "engine/Types.h"

constexpr u32 kScreenBit = 0x80000000u;
constexpr u32 kQuitFrameId = 0x81000000u;

extern u32 gFrameId;     // 0 map mode, kScreenBit | n screen n, kQuitFrameId quit
extern u32 gFramePhase;  // 0 open, 1 run, 2 close

void ResetScreenState();
