// Channel rules shared by the blitter tests' references, worked from the
// drawing rules and not from the engine, and small run-coded test pictures.
#pragma once
#include <cmath>
#include <vector>

#include "DrawTestUtil.h"

namespace blit_ref {

inline i32 Sat(i32 v) {
    return v < 0 ? 0 : v > 31 ? 31 : v;
}

// Sideways shift of walk row i under wave k: a sine over 33 rows.
inline i32 WaveAt(i32 k, i32 i) {
    return static_cast<i32>(std::lround(k * std::sin(2 * M_PI * i / 33)));
}

// k/16 of s plus (15 - k)/16 of d, term by term, per channel.
inline u16 BlendRef(u16 s, u16 d, int k) {
    if (k >= 15) return s;
    if (k <= 0) return d;
    Rgb a = Split(s), b = Split(d), out{0, 0, 0};
    for (int j = 1; j <= 4; ++j) {
        Rgb x = (k >> (4 - j)) & 1 ? a : b;
        out.r += x.r >> j;
        out.g += x.g >> j;
        out.b += x.b >> j;
    }
    return Join(out);
}

// A run-coded picture of w x h pixels at the given depth.
inline std::vector<u8> Encode(const void* px, i32 w, i32 h, int depth = 16) {
    i32 size = 0;
    u8* p = RleEncode(px, &size, w, h, depth);
    std::vector<u8> out(p, p + size);
    MH_FREE(p);
    return out;
}

inline std::vector<u8> SolidRle(i32 w, i32 h, u16 v) {
    std::vector<u16> px(static_cast<size_t>(w) * h, v);
    return Encode(px.data(), w, h);
}

}  // namespace blit_ref
