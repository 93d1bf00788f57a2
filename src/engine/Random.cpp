// R250 generator seeded through x = x * 22695477 + 1.
#include "engine/Random.h"

RandomTable gRandomTable;

u32 NextSeed() {
    gRandomTable.seed = gRandomTable.seed * 22695477u + 1u;
    return (gRandomTable.seed >> 16) & 0x7FFF;
}

void SetSeed(u32 seed) {
    gRandomTable.seed = seed;
}

void InitRandom(u32 seed) {
    auto& t = gRandomTable;
    SetSeed(seed);
    t.index = 0;
    for (u32& w : t.word) w = NextSeed();
    for (u32& w : t.word)
        if (NextSeed() > 16384) w |= 0x8000;
    // A triangular, linearly independent set keeps the register from collapsing.
    for (int k = 0; k < 16; ++k) {
        u32& w = t.word[3 + 11 * k];
        w = (w & (0xFFFFu >> k)) | (0x8000u >> k);
    }
}

u32 NextRandom() {
    auto& t = gRandomTable;
    u32 i = t.index;
    u32 j = i < 147 ? i + 103 : i - 147;
    t.word[i] ^= t.word[j];
    t.index = i == 249 ? 0 : i + 1;
    return t.word[i];
}

namespace {

// Above 65535 one word cannot cover the range: two words make a 32-bit draw,
// again two steps per try.
u32 RandomWide(u32 n) {
    u64 limit = ((u64{1} << 32) / n) * n;
    u64 r;
    do {
        u64 high = NextRandom() & 0xFFFF;
        r = (high << 16) | (NextRandom() & 0xFFFF);
    } while (r >= limit);
    return static_cast<u32>(r % n);
}

}  // namespace

u32 RandomN(u32 n) {
    if (n == 0) return 0;
    if (n > 65535) return RandomWide(n);
    u32 limit = (65535u / n) * n;
    u32 r;
    do {
        NextRandom();
        r = NextRandom();
    } while (r >= limit);
    return r % n;
}

double RandomReal() {
    return NextRandom() * (1.0 / 65536.0);
}
