// Rows of the 16-bit picture written into a window's pixels of another
// format, scaled by a whole multiple. A channel of n bits becomes 8 bits as
// v x 255 / (2^n - 1) rounded down (white stays white, black black).
#pragma once
#include "base/Types.h"

// Where each channel sits in a window pixel: bits per pixel (16 or 32; 24
// for three bytes), and the red, green, blue and alpha masks.
struct ShowFormat {
    int bits = 32;
    u32 red = 0xFF0000, green = 0x00FF00, blue = 0x0000FF, alpha = 0;
};

// The picture's own layout: 5-6-5 or 5-5-5 (green 0x03E0).
struct PictureLayout {
    bool green6 = true;
};

// The 8-bit value of an n-bit channel value.
u32 ExpandChannel(u32 value, int bits);
// One picture pixel as the window's pixel value (alpha, where the format has
// one, full).
u32 ShowPixel(u16 pixel, PictureLayout layout, const ShowFormat& format);

// Writes picture rows [top, bottom) (width pixels, pitch in pixels) into the
// window's pixels with the picture's top-left corner at (x, y), both at least
// 0, each picture pixel a scale x scale square; what falls outside the
// window's width and height is cut off.
struct ShowTarget {
    u8* pixels = nullptr;
    i32 pitch = 0;  // bytes
    i32 width = 0, height = 0;
    ShowFormat format;
};
void ShowPictureRows(const u16* picture, i32 width, i32 pitch, i32 top, i32 bottom,
                     PictureLayout layout, const ShowTarget& to, i32 x, i32 y, i32 scale);
