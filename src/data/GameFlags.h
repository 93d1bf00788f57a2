// The numbered one-bit game flags: story progress and the game's fixed switches.
#pragma once
#include "base/Types.h"

constexpr int kGameFlagBytes = 1020;
constexpr int kGameFlagCount = kGameFlagBytes * 8;  // flags 0..8159
constexpr int kSavedFlagBytes = 500;                // flags 0..3999 go into a save

extern u8 gGameFlags[kGameFlagBytes];

// Numbers outside 0..8159 read as clear and are not written.
int GetGameFlag(i32 n);
void SetGameFlag(i32 n);
void ClearGameFlag(i32 n);
int PutGameFlag(i32 n, i32 value);
void ResetGameFlags();
