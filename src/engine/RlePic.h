// Run-coded pictures: the format, encoder, decoder, conversion to the screen
// layout and from 8-bit palettes, a structure check, and the pixel tests.
#pragma once
#include "base/Types.h"

// The header and run words of a run-coded picture.
constexpr u16 kRleMagic = 0xFFFF;
constexpr i32 kRleHeaderSize = 8;
constexpr u16 kRleDepthMask = 0x7FFF;
constexpr u16 kRleHasKeyRuns = 0x8000;
constexpr u16 kRunCountMask = 0x3FFF;
constexpr u16 kRunKindMask = 0xC000;
constexpr u16 kRunLiteral = 0x0000;
constexpr u16 kRunKey1 = 0xC000;    // first key colour: transparent
constexpr u16 kRunKey2 = 0x8000;    // second key colour
constexpr u16 kRunUnused = 0x4000;  // never written; transparent
constexpr u16 kRowNotKeyStart = 0x8000;
constexpr i32 kMaxRun = 16383;

// One loaded frame of a picture (the picture cache hands these out).
struct PicFrame {
    u8* pixels = nullptr;    // a run-coded picture
    u8* alpha = nullptr;     // per-pixel alpha plane, or null
    u16* palette = nullptr;  // 256 colours of an 8-bit picture, or null
    u16 width = 0;
    u16 height = 0;
    u32 size = 0;  // bytes of pixels
};

struct RleInfo {
    i32 width = 0, height = 0, depth = 0;  // depth with its key-run bit
};

// True when size bytes hold a whole run-coded picture: magic, depth 8 or 16,
// every row and run inside the buffer and inside its own row, no row wider
// than the width, at most height rows. Runs of the kind the encoder never
// writes carry no pixels and are drawn as transparent.
bool RleCheck(const void* pic, size_t size, RleInfo* info = nullptr);

// Encodes w x h pixels (u16 for depth 16, else bytes); null for a bad size.
u8* RleEncode(const void* pixels, i32* size, i32 w, i32 h, i32 depth);
// The largest plain buffer a picture may decode to; a header asking for more
// is refused.
constexpr u32 kMaxPlainPicBytes = 64u << 20;
// A plain w x h buffer (u16 or bytes by depth) from the debug allocator, or
// null when the picture is not whole (size bytes are checked) or too large.
void* RleDecode(const void* pic, size_t size, i32* w, i32* h, i32* depth);
// Converts the literal pixels of a 16-bit picture to the screen layout in place.
int RleConvertToScreen(void* pic, size_t size, i32* w, i32* h, i32* depth);
// 8-bit picture + 256 colours (stored 5-5-5) -> new 16-bit picture in the
// screen layout; keepBits are the bits of the old depth the new one keeps.
u8* RleConvert8To16Pic(const void* pic, size_t size, const u16* palette, u16 keepBits,
                       i32* newSize);
// The frame's pixels become a 16-bit picture in the screen layout.
int RleConvert8To16(PicFrame* frame);
// A 512-byte palette followed by an 8-bit picture, as one holder of *size
// bytes, becomes a new 16-bit picture (the holder is freed); null when bad.
u8* RleConvertPaletted8To16(u8* holder, i32* size);

bool IsPicPixelSolid(const void* pic, size_t size, i32 x, i32 y, u32* value);
int PicHitTest(const PicFrame* frame, i32 x, i32 y, i32 originX, i32 originY);
