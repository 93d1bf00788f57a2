// The battle's random draws: one replaceable source over RandomN, and the
// shuffle table that gives each of 0..99 once per hundred draws.
#pragma once
#include "base/Types.h"

using BattleRandomSource = u32 (*)(u32 n);

// Uniform in [0, n) from the current source; 0 for n = 0.
u32 BattleRandom(u32 n);
// Replaces the source (null restores RandomN).
void SetBattleRandomSource(BattleRandomSource source);

class cShuffleTable {
public:
    // Entries 0..99, mixed by 100 exchanges of two distinct random places.
    void Init();
    // Advances the index (modulo 100), then returns that entry.
    i32 Next();

    i32 entries[100] = {};
    i32 index = 0;
};
extern cShuffleTable gShuffleTable;

// Two distinct places in 0..n-1 (n of at least 2).
void DrawDistinctPair(u32 n, u32& a, u32& b);

void ResetBattleRandom();
