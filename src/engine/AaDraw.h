// Soft-edged drawing of run-coded pictures through an edge map made once per
// picture, and a one-colour line drawer.
#pragma once
#include "base/Types.h"

// An edge map is one allocation from the debug allocator that the caller
// frees with MemFree: a small header with the picture's size, then one byte
// per picture pixel (15 minus the transparent pixels in its radius-2 diamond).
struct AntiAliasMapHeader {
    u32 magic;
    u16 width, height;
};
constexpr u32 kAntiAliasMapMagic = 0x50414D45;  // "EMAP"

extern const u8* gAntiAliasMap;
// left, top, right, bottom (inclusive): PutPicAntiAlias clips here, not at gClipRect.
extern const i32 gAntiAliasClip[4];

// Null for a null picture, a picture that is not run-coded or one taller
// than the row table.
u8* MakeAntiAliasMap(const void* pic);
void SetAntiAliasMap(const u8* map);
// The edge bytes of a map (after its header), or null.
const u8* AntiAliasLevels(const u8* map);
// 1 drawn; -1 null picture; -2 not 16 bits per pixel; -3 wholly outside the
// screen; -4 no edge map, or one made for a picture of another size.
int PutPicAntiAlias(i32 x, i32 y, const void* pic);
// A one-pixel line into gPaintBuf with rows rowPixels apart (0: the screen
// pitch); pixels outside gClipRect are left out.
void DrawLine(i32 x0, i32 y0, i32 x1, i32 y1, i32 rowPixels, u16 colour);
void ResetAntiAlias();
