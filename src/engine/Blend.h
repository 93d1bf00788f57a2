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

// The layout's masks copied once per call, so pixel loops keep them in
// registers instead of reading the globals for every pixel.
struct PixelMasks {
    u32 m[3] = {gMaskR, gMaskG, gMaskB};
    u32 o[3] = {gOverR, gOverG, gOverB};
    u32 u[3] = {gUnitR, gUnitG, gUnitB};
    i32 sh[3] = {gShiftR, gShiftG, gShiftB};
    u32 shr1 = gShr1Mask, shr2 = gShr2Mask, shr3 = gShr3Mask, shr4 = gShr4Mask;

    // The terms of v selected by the bits of level (bit 3 = v/2 .. bit 0 = v/16);
    // works on one pixel or on a packed pair.
    u32 Terms(u32 v, int level) const {
        u32 r = 0;
        if (level & 8) r += v >> 1 & shr1;
        if (level & 4) r += v >> 2 & shr2;
        if (level & 2) r += v >> 3 & shr3;
        if (level & 1) r += v >> 4 & shr4;
        return r;
    }
    // k/16 of s plus (15 - k)/16 of d; 15 and above is s, 0 and below d.
    // Terms without branches, for levels that change from pixel to pixel.
    u32 TermsBranchless(u32 v, u32 level) const {
        return (v >> 1 & shr1 & (0u - (level >> 3 & 1))) +
               (v >> 2 & shr2 & (0u - (level >> 2 & 1))) +
               (v >> 3 & shr3 & (0u - (level >> 1 & 1))) + (v >> 4 & shr4 & (0u - (level & 1)));
    }
    u32 Blend(u32 s, u32 d, int k) const {
        if (k >= 15) return s;
        if (k <= 0) return d;
        return Terms(s, k) + Terms(d, 15 - k);
    }
    u16 AddSat(u32 s, u32 d) const {
        u32 r = 0;
        for (int c = 0; c < 3; ++c) {
            u32 t = (s & m[c]) + (d & m[c]);
            r |= t < m[c] ? t : m[c];
        }
        return static_cast<u16>(r);
    }
    // Channel c of v moved by tint steps, clamped at the top or at 0.
    u32 Tint(u32 v, i32 tint, int c) const {
        u32 t = (v & m[c]) + static_cast<u32>(tint) * u[c];
        if (t & o[c]) return tint >= 0 ? m[c] : 0;
        return t;
    }
    u16 TintPixel(u32 v, const i32 tint[3]) const {
        return static_cast<u16>(Tint(v, tint[0], 0) | Tint(v, tint[1], 1) | Tint(v, tint[2], 2));
    }
    // Three quarters of the channel mean, in every channel.
    u16 Grey(u32 d) const {
        u32 v = (((d & m[0]) >> sh[0]) + ((d & m[1]) >> sh[1]) + ((d & m[2]) >> sh[2])) >> 2;
        return static_cast<u16>((v << sh[0]) + (v << sh[1]) + (v << sh[2]));
    }
    // Destination less the tinted source, per channel, stopping at 0.
    u16 Subtract(u32 s, u32 d, const i32 tint[3]) const {
        u32 r = 0;
        for (int c = 0; c < 3; ++c) {
            u32 t = Tint(s, tint[c], c), dc = d & m[c];
            r |= dc > t ? (dc - t) & m[c] : 0;
        }
        return static_cast<u16>(r);
    }
};
