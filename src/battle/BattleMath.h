// Battle arithmetic that cannot overflow: records may hold any 32-bit value, so
// products are taken in 64 bits (saturating) and results clamped to 32 bits.
#pragma once
#include <limits>

#include "base/Types.h"

inline i32 Sat32(i64 v) {
    constexpr i64 lo = std::numeric_limits<i32>::min(), hi = std::numeric_limits<i32>::max();
    return static_cast<i32>(v < lo ? lo : (v > hi ? hi : v));
}
inline i64 SatMul(i64 a, i64 b) {
    i64 r;
    if (!__builtin_mul_overflow(a, b, &r)) return r;
    return (a < 0) != (b < 0) ? std::numeric_limits<i64>::min() : std::numeric_limits<i64>::max();
}
inline i64 SatAdd(i64 a, i64 b) {
    i64 r;
    if (!__builtin_add_overflow(a, b, &r)) return r;
    return b < 0 ? std::numeric_limits<i64>::min() : std::numeric_limits<i64>::max();
}
// a / b truncated toward zero; b of 0 counts as 1.
inline i64 SafeDiv(i64 a, i64 b) {
    if (b == 0) return a;
    if (b == -1) return a == std::numeric_limits<i64>::min() ? std::numeric_limits<i64>::max() : -a;
    return a / b;
}
// v x p / 100 in 64 bits.
inline i64 Pct(i64 v, i64 p) {
    return SatMul(v, p) / 100;
}
inline void AddSat(i32& v, i64 d) {
    v = Sat32(SatAdd(v, d));
}
