// Game flags: flag n is bit (n & 7) of byte (n >> 3).
#include "data/GameFlags.h"

#include <cstring>

u8 gGameFlags[kGameFlagBytes];

namespace {
bool InRange(i32 n) {
    return n >= 0 && n < kGameFlagCount;
}
}  // namespace

int GetGameFlag(i32 n) {
    return InRange(n) ? (gGameFlags[n >> 3] >> (n & 7)) & 1 : 0;
}

void SetGameFlag(i32 n) {
    if (InRange(n)) gGameFlags[n >> 3] |= static_cast<u8>(1u << (n & 7));
}

void ClearGameFlag(i32 n) {
    if (InRange(n)) gGameFlags[n >> 3] &= static_cast<u8>(~(1u << (n & 7)));
}

int PutGameFlag(i32 n, i32 value) {
    if (value == 1)
        SetGameFlag(n);
    else
        ClearGameFlag(n);
    return 0;
}

void ResetGameFlags() {
    std::memset(gGameFlags, 0, sizeof(gGameFlags));
}
