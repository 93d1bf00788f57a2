// Colour filters over one run of 16-bit screen pixels: channel shifts with
// clamping, a saturating sum of two runs, and a darkened grey.
#pragma once
#include "base/Types.h"

// Adds the three deltas (steps of a 5-bit channel) to every pixel, clamped.
void AdjustRGB(u16* pixels, i32 n, i32 dr, i32 dg, i32 db);
// One channel only; the other bits of each pixel are kept.
void AdjustRed(u16* pixels, i32 n, i32 d);
void AdjustGreen(u16* pixels, i32 n, i32 d);
void AdjustBlue(u16* pixels, i32 n, i32 d);
// dst = per-channel sum of src and dst, clamped at the channel's top.
void AddLine(const u16* src, u16* dst, i32 n);
// Every pixel becomes three quarters of its channel mean, in grey.
void GreyLine(u16* pixels, i32 n);
