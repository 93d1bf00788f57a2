// The picture-drawing primitive PutPic: paint target, clip, one-shot settings,
// the per-call blit job, the dispatch table, tiles and surface locks.
#pragma once
#include "base/Types.h"

struct DisplaySurface;

// Blitters are called with the clipped x, y, the picture's w, h and the extra
// argument of PutPic, and read the blit job below.
using Blitter = void (*)(i32 x, i32 y, i32 w, i32 h, const void* extra);

struct ClipRect {
    i32 left = 0, top = 0, width = 640, height = 480;
};

// Paint target and clip.
constexpr int kRowOffsetCount = 2048;
extern u16* gPaintBuf;
extern u32 gRowOffsets[kRowOffsetCount];
extern ClipRect gClipRect;
extern Blitter gBlitTable[256];

// Current picture and the settings that stay.
extern const void* gCurPic;
extern const u16* gPaintPalette;
extern i32 gPaintWave;  // 1..15 = wave block; 0 or above 15 = off
extern i32 gWavePhase;  // 0..32
extern i8 gWaveTable[16][33];

// One-shot settings, reset by every PutPic that gets past the mode checks.
extern i32 gPaintAlpha, gPaintScaleH, gPaintSkew;
extern i32 gPaintTintR, gPaintTintG, gPaintTintB;
extern i32 gPaintRowSkip;

// The blit job PutPic leaves for the blitter it calls.
extern u16* gBlitDst;       // first drawn pixel
extern const u8* gBlitSrc;  // plain sources: first source pixel (or byte)
extern i32 gBlitCols, gBlitRows, gBlitSkipCols, gBlitSkipRows, gBlitCutRows;
extern i32 gBlitStride;  // signed row step in bytes
extern i32 gRowSkipPhase;
extern i32 gBlitRowStep, gBlitStretch, gBlitSkewStep, gBlitSkewDir, gBlitSkewX;

constexpr u32 kModeRle = 0x80000000u;

void PutPic(i32 x, i32 y, i32 w, i32 h, i32 mode, const void* extra);
void PutPicOutlined(i32 x, i32 y, i32 w, i32 h, i32 mode, const void* extra);
int InitPaint(DisplaySurface* surface);
void InitBlitTable();
int SetClip(i32 left, i32 top, i32 right, i32 bottom);
int SetClipRect(const i32 rect[4]);  // left, top, right, bottom
void ResetOneShotSettings();

// 16x16 tiles at gCurPic, unclipped.
void PutTile16(i32 x, i32 y);
void PutTile16Key(i32 x, i32 y);
void PutTile8(i32 x, i32 y);
void PutTile8Key(i32 x, i32 y);

// Draws into another buffer: clip (0, 0, width, height), the pitch and the
// first rows of the row table (height is capped at the table).
void SetPaintTarget(i32 width, i32 height, i32 pitch, const u32* rowOffsets);
u16* PaintPixelAddr(i32 x, i32 y);

u16* LockSurface(DisplaySurface* surface);
void UnlockSurface(DisplaySurface* surface, const void* rect);

// Back to the start state: no target, full clip, settings cleared, table built.
void ResetPaint();
