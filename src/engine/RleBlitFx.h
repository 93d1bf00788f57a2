// Run-coded effect blitters: tints (plain and scaled, skewed ground shadows),
// level blends, the downward fade, run-end marks, scaled additive, silhouette,
// grey, subtractive, and the shimmer that has no mode of its own.
#pragma once
#include "engine/PicPaint.h"

void RegisterRleFxBlitters(Blitter* table);

// Moves each pixel under the shape to one of its neighbours, in a fixed
// rotating order; reached through no mode. Neighbours outside the clip are not
// taken (the pixel keeps its value).
void RleShimmer(i32 x, i32 y, i32 w, i32 h, const void* extra);
