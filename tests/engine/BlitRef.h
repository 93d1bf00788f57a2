// Channel rules shared by the blitter tests' references, worked from the
// drawing rules and not from the engine, and small run-coded test pictures.
#pragma once
#include <algorithm>
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

// The source, moved by the tints, added to the screen per channel.
inline u16 AddRef(u16 s, u16 d, i32 tr, i32 tg, i32 tb) {
    Rgb a = Split(s), b = Split(d);
    bool tint = tr || tg || tb;
    if (tint) a = {Sat(a.r + tr), Sat(a.g + tg), Sat(a.b + tb)};
    return Join({Sat(a.r + b.r), Sat(a.g + b.g), Sat(a.b + b.b)});
}

// Level byte/4 (at most 15); 0 keeps d, 15 takes s, else d's (15 - level)/16
// term by term plus s.
inline u16 AlphaRef(u16 s, u16 d, u8 byte) {
    int a = std::min(byte >> 2, 15);
    if (a == 0) return d;
    if (a == 15) return s;
    int keep = 15 - a;
    Rgb x = Split(s), y = Split(d), part{0, 0, 0};
    for (int j = 1; j <= 4; ++j) {
        if (!((keep >> (4 - j)) & 1)) continue;
        part.r += y.r >> j;
        part.g += y.g >> j;
        part.b += y.b >> j;
    }
    return Join({Sat(part.r + x.r), Sat(part.g + x.g), Sat(part.b + x.b)});
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
