// Line colour filters: the same per-channel rules as the tint, additive and
// grey blitters, one run of pixels at a time.
#include "engine/LineFilter.h"

#include <cstring>

#include "engine/Blend.h"

namespace {

// Deltas of 32 steps or more already take any channel to its end.
i32 ClampSteps(i32 d) {
    return d > 32 ? 32 : d < -32 ? -32 : d;
}

// One channel moved by d steps, each pixel clamping by itself; any n works,
// an odd count included.
void AdjustChannel(u16* pixels, i32 n, i32 d, u32 mask, u32 unit) {
    if (n <= 0 || d == 0) return;
    d = ClampSteps(d);
    const u32 step = static_cast<u32>(d < 0 ? -d : d) * unit;
    for (i32 i = 0; i < n; ++i) {
        u32 v = pixels[i], c = v & mask;
        if (d > 0)
            c = c + step > mask ? mask : c + step;
        else
            c = c > step ? c - step : 0;
        pixels[i] = static_cast<u16>((v & ~mask) | c);
    }
}

}  // namespace

void AdjustRGB(u16* pixels, i32 n, i32 dr, i32 dg, i32 db) {
    if (!pixels) return;
    const PixelMasks k;
    const i32 t[3] = {ClampSteps(dr), ClampSteps(dg), ClampSteps(db)};
    for (i32 i = 0; i < n; ++i) pixels[i] = k.TintPixel(pixels[i], t);
}

void AdjustRed(u16* pixels, i32 n, i32 d) {
    if (pixels) AdjustChannel(pixels, n, d, gMaskR, gUnitR);
}
void AdjustGreen(u16* pixels, i32 n, i32 d) {
    if (pixels) AdjustChannel(pixels, n, d, gMaskG, gUnitG);
}
void AdjustBlue(u16* pixels, i32 n, i32 d) {
    if (pixels) AdjustChannel(pixels, n, d, gMaskB, gUnitB);
}

void AddLine(const u16* src, u16* dst, i32 n) {
    if (!src || !dst) return;
    const PixelMasks k;
    const u32* clamp[3] = {gClampR, gClampG, gClampB};
    for (i32 i = 0; i < n; ++i) {
        u32 s = src[i], d = dst[i], r = 0;
        for (int c = 0; c < 3; ++c) r |= clamp[c][(((s & k.m[c]) + (d & k.m[c])) >> k.sh[c]) + 32];
        dst[i] = static_cast<u16>(r);
    }
}

void GreyLine(u16* pixels, i32 n) {
    if (!pixels) return;
    const PixelMasks k;
    for (i32 i = 0; i < n; ++i) pixels[i] = k.Grey(pixels[i]);
}
