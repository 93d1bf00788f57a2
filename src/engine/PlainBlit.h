// Blitters for plain (not run-coded) pictures, and the line blends that dim a
// row of the screen toward a colour.
#pragma once
#include "engine/PicPaint.h"

void RegisterPlainBlitters(Blitter* table);

// 11/16 of each pixel plus 4/16 of the colour pair; n pixels, two per word.
void BlendLineToColor(u32* pixels, u32 colorPair, i32 n);
// 8/16 of the colour plus 7/16 of the pixel.
void BlendLineToColorHalf(u32* pixels, u32 colorPair, i32 n);
// 10/16 of the colour plus 5/16 of the pixel.
void BlendLineToColorStrong(u32* pixels, u32 colorPair, i32 n);
