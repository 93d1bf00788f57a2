// Outline, thumbnail and noise over 16-bit pixel buffers.
#include "engine/PixelBuffer.h"

#include "engine/Random.h"

void DrawRectOutline(u16* buf, i32 x, i32 y, i32 w, i32 h, i32 pitch, u16 colour) {
    if (!buf || x <= 0 || y <= 0 || w <= 0 || h <= 0 || x + w >= 640 || y + h >= 480) return;
    i32 stride = pitch / 2;
    for (i32 i = 0; i < w; ++i) {
        buf[y * stride + x + i] = colour;
        buf[(y + h - 1) * stride + x + i] = colour;
    }
    for (i32 j = 0; j < h; ++j) {
        buf[(y + j) * stride + x] = colour;
        buf[(y + j) * stride + x + w - 1] = colour;
    }
}

void MakeThumbnail(u16* buf) {
    if (!buf) return;
    for (int r = 0; r < 120; ++r)
        for (int c = 0; c < 160; ++c) buf[r * 160 + c] = buf[(r * 4) * 640 + c * 4];
}

void FillRandom(u16* buf, i32 w, i32 h) {
    if (!buf || w <= 0 || h <= 0) return;
    for (i64 i = 0; i < static_cast<i64>(w) * h; ++i) buf[i] = static_cast<u16>(RandomN(65535));
}
