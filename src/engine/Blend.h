// Channel arithmetic shared by the blitters: level blends on one or two pixels
// per word and saturating channel sums, all in the screen layout.
#pragma once
#include <cstring>

#include "engine/PixelFormat.h"

// k/16 of s plus (15 - k)/16 of d, term by term; level 15 is s itself.
inline u32 BlendLevel(u32 s, u32 d, int k) {
    if (k >= 15) return s;
    if (k <= 0) return d;
    return (((k & 8) ? s : d) >> 1 & gShr1Mask) + (((k & 4) ? s : d) >> 2 & gShr2Mask) +
           (((k & 2) ? s : d) >> 3 & gShr3Mask) + (((k & 1) ? s : d) >> 4 & gShr4Mask);
}

// The terms of d selected by the bits of level (the d-only half of a blend).
inline u32 ShiftTerms(u32 d, int level) {
    u32 r = 0;
    if (level & 8) r += d >> 1 & gShr1Mask;
    if (level & 4) r += d >> 2 & gShr2Mask;
    if (level & 2) r += d >> 3 & gShr3Mask;
    if (level & 1) r += d >> 4 & gShr4Mask;
    return r;
}

// a + b within one channel, stuck at the channel's top. The channel's bits are
// contiguous, so a sum above the mask is exactly a sum that left the channel.
inline u32 AddChannel(u32 a, u32 b, u32 mask, u32 /*over*/) {
    u32 t = (a & mask) + (b & mask);
    return t < mask ? t : mask;
}

inline u16 AddPixelSat(u32 s, u32 d) {
    return static_cast<u16>(AddChannel(s, d, gMaskR, gOverR) | AddChannel(s, d, gMaskG, gOverG) |
                            AddChannel(s, d, gMaskB, gOverB));
}

// The source channel moved by tint steps: top of the channel when it overflows
// upwards, 0 when a negative tint takes it below 0.
inline u32 TintChannel(u32 s, i32 tint, u32 mask, u32 over, u32 unit) {
    u32 u = (s & mask) + static_cast<u32>(tint) * unit;
    if (u & over) return tint >= 0 ? mask : 0;
    return u;
}

inline u16 LoadPixel(const u8* p) {
    u16 v;
    std::memcpy(&v, p, 2);
    return v;
}
