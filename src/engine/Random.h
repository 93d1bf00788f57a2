// The game's random numbers: an R250 shift-register generator whose table is
// filled from a linear congruential step.
#pragma once
#include "base/Types.h"

struct RandomTable {
    u32 word[250] = {};
    u32 index = 0;
    u32 seed = 0;
};
extern RandomTable gRandomTable;

void InitRandom(u32 seed);
u32 NextRandom();
// Uniform in [0, n); 0 for n = 0 (no draw is made).
u32 RandomN(u32 n);
double RandomReal();
u32 NextSeed();
void SetSeed(u32 seed);
