// The battle's random source and shuffle table.
#include "battle/BattleRandom.h"

#include <utility>

#include "engine/Random.h"

cShuffleTable gShuffleTable;

namespace {
BattleRandomSource gSource = nullptr;
}  // namespace

u32 BattleRandom(u32 n) {
    if (n == 0) return 0;
    const u32 v = gSource ? gSource(n) : RandomN(n);
    return v < n ? v : v % n;
}

void SetBattleRandomSource(BattleRandomSource source) {
    gSource = source;
}

void DrawDistinctPair(u32 n, u32& a, u32& b) {
    a = BattleRandom(n);
    b = BattleRandom(n);
    // A source that keeps answering the same number gets a neighbour instead of
    // an endless redraw.
    for (int tries = 0; a == b && tries < 64; ++tries) b = BattleRandom(n);
    if (a == b) b = (a + 1) % n;
}

void cShuffleTable::Init() {
    for (i32 i = 0; i < 100; ++i) entries[i] = i;
    for (int k = 0; k < 100; ++k) {
        u32 a, b;
        DrawDistinctPair(100, a, b);
        std::swap(entries[a], entries[b]);
    }
    index = 0;
}

i32 cShuffleTable::Next() {
    index = (index + 1) % 100;
    if (index < 0) index = 0;
    return entries[index];
}

void ResetBattleRandom() {
    gSource = nullptr;
    gShuffleTable = cShuffleTable{};
}
