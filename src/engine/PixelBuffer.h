// Small routines over 16-bit pixel buffers of the 640x480 screen.
#pragma once
#include "base/Types.h"

// A one-pixel rectangle outline, drawn only when it lies fully inside the screen.
void DrawRectOutline(u16* buf, i32 x, i32 y, i32 w, i32 h, i32 pitch, u16 colour);
// Reduces a 640x480 picture in place to 160x120: every fourth pixel of every fourth row.
void MakeThumbnail(u16* buf);
// Every pixel of a w x h buffer a random value.
void FillRandom(u16* buf, i32 w, i32 h);
