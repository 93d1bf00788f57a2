// The screen's 16-bit pixel layout: converters between the stored 5-5-5 layout
// and the screen's, and the masks, shifts and tables the blending code uses.
#pragma once
#include "base/Types.h"

struct DisplaySurface;

extern i32 gScreenWidth, gScreenHeight, gScreenPitch;
extern u32 gRedMask, gGreenMask, gBlueMask;  // as the surface reports them
extern u32 gMaskR, gMaskG, gMaskB;           // top five bits of each channel
extern u32 gOverR, gOverG, gOverB;           // everything outside the channel
extern u32 gUnitR, gUnitG, gUnitB;           // one step of the channel
extern i32 gShiftR, gShiftG, gShiftB;
extern u32 gShr1Mask, gShr2Mask, gShr3Mask, gShr4Mask;  // packed twice
// Indexed by level + 32 for levels -32..63.
extern u32 gClampR[96], gClampG[96], gClampB[96];
extern u32 gColorKey, gColorKey2;        // converted keys, packed twice
extern u32 gKeyColor555, gKeyColor2555;  // 619 and 12703 as stored
extern u32 gGreenPair;
extern u32 gRleMagic;

// The layouts the converters know.
enum class PixelLayout { R5G5B5, R5G6B5, R5G5B6, R6G5B5, Other };
PixelLayout CurrentPixelLayout();

// Reads the surface's size, pitch and masks (null: 5-5-5, nothing read).
int InitPixelFormat(DisplaySurface* surface);
// Same from given values; InitPixelFormat ends here.
void SetPixelFormat(i32 width, i32 height, i32 pitch, u32 red, u32 green, u32 blue);
void ConvertPixels(u16* pixels, i32 n);
void ConvertPixelsBack(u16* pixels, i32 n);
u16 ConvertPixel(u16 v);
u16 ConvertPixelBack(u16 v);
u32 MakeColor(i32 r, i32 g, i32 b);
void GetColorMasks(u32* r, u32* g, u32* b);
// Back to the state before any InitPixelFormat (5-5-5 identity, 640x480).
void ResetPixelFormat();
