// Arithmetic on record values that never overflows: database values can be
// anything, so sums and percentages are taken in 64 bits and wrapped back.
#pragma once
#include "base/Types.h"
#include "data/Records.h"

inline i32 WrapAdd(i32 a, i64 b) {
    return static_cast<i32>(static_cast<u32>(static_cast<i64>(a) + b));
}
inline void AddTo(i32& v, i64 b) {
    v = WrapAdd(v, b);
}
// base x p / 100, truncated toward zero.
inline i64 Percent(i32 base, i32 p) {
    return static_cast<i64>(base) * p / 100;
}
inline i32 Clamp(i32 v, i32 lo, i32 hi) {
    return v < lo ? lo : (v > hi ? hi : v);
}

// Role record +68..+100: the nine values items and skills change; the first
// five are the attributes equipment bonuses reach.
inline constexpr i32 StatsHead::*kNineValues[9] = {
    &StatsHead::strength, &StatsHead::stamina, &StatsHead::magic,
    &StatsHead::spirit,   &StatsHead::agility, &StatsHead::attack,
    &StatsHead::defence,  &StatsHead::hitRate, &StatsHead::evasion,
};
