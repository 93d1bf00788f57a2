// The glyph source of the font engine: one character rendered white-on-black into
// a one-bit cell, from FreeType (AR PL UMing TW, using its embedded bitmaps at
// 11-16 px, for every face name). Tests can put a fake source in its place.
#pragma once
#include <functional>

#include "base/Types.h"

struct GlyphFaceRec;
using GlyphFace = GlyphFaceRec*;

// Opens a face by its Big5 name at a pixel height; null when no font file opens
// (a fake source always opens).
GlyphFace GlyphOpen(const char* faceName, int size);
void GlyphClose(GlyphFace face);

// Renders a character (trail 0 for a single byte) into a cell that the caller has
// cleared: cellH rows of rowBytes, one bit per pixel, most significant bit first.
// The baseline is placed so the em square fills the cell. Codes code page 950
// refuses stay blank; a character the TW face lacks comes from another face of
// the collection, or shows as a hollow box when none has it. Returns the number
// of ink pixels that fell outside the cell.
int GlyphRender(GlyphFace face, u8 lead, u8 trail, u8* cell, int cellW, int cellH, int rowBytes);

// A fake source: called instead of FreeType with the face's size and the code
// (lead + trail * 256). An empty function puts FreeType back.
using GlyphFakeFn =
    std::function<void(int size, u16 code, u8* cell, int cellW, int cellH, int rowBytes)>;
void GlyphSetFake(GlyphFakeFn fake);

// How many characters have been rendered since the last reset (tests of the cache).
int GlyphRenderCount();
void GlyphResetStats();
