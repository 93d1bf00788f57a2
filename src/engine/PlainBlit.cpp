// Plain-source blitters: copies, keyed copies, the palette forms, the downward
// fade and the level blend, each walking only the clipped rectangle.
#include "engine/PlainBlit.h"

#include <cstring>

#include "engine/Blend.h"

namespace {

// Walks the visible rows: dst and src point at each row's first pixel.
// Mirrored sources are read backwards from the start PutPic placed.
template <int SrcUnit, bool Mirror, class RowFn>
void ForRows(i32 w, RowFn fn) {
    u8* dst = reinterpret_cast<u8*>(gBlitDst);
    const u8* src = gBlitSrc;
    for (i32 r = 0; r < gBlitRows; ++r) {
        fn(reinterpret_cast<u16*>(dst), src, r);
        dst += gScreenPitch;
        src += static_cast<i64>(w) * SrcUnit;
    }
}

void Copy16(i32, i32, i32 w, i32, const void*) {
    size_t bytes = static_cast<size_t>(gBlitCols) * 2;
    ForRows<2, false>(w, [bytes](u16* d, const u8* s, i32) { std::memcpy(d, s, bytes); });
}

void Copy8(i32, i32, i32 w, i32, const void*) {
    const u16* pal = gPaintPalette;
    i32 n = gBlitCols;
    ForRows<1, false>(w, [pal, n](u16* d, const u8* s, i32) {
        for (i32 i = 0; i < n; ++i) d[i] = pal[s[i]];
    });
}

void Copy8Key(i32, i32, i32 w, i32, const void*) {
    const u16* pal = gPaintPalette;
    i32 n = gBlitCols;
    ForRows<1, false>(w, [pal, n](u16* d, const u8* s, i32) {
        for (i32 i = 0; i < n; ++i)
            if (s[i] != 1) d[i] = pal[s[i]];
    });
}

void Mirror8(i32, i32, i32 w, i32, const void*, bool keyed) {
    const u16* pal = gPaintPalette;
    i32 n = gBlitCols;
    ForRows<1, true>(w, [pal, n, keyed](u16* d, const u8* s, i32) {
        for (i32 i = 0; i < n; ++i) {
            u8 v = *(s - i);
            if (!keyed || v != 1) d[i] = pal[v];
        }
    });
}

// Mode 0 and 4 pick the 8-bit form themselves while a palette is set.
void PlainCopy(i32 x, i32 y, i32 w, i32 h, const void* e) {
    gPaintPalette ? Copy8(x, y, w, h, e) : Copy16(x, y, w, h, e);
}

void PlainMirror(i32 x, i32 y, i32 w, i32 h, const void* e) {
    if (gPaintPalette) return Mirror8(x, y, w, h, e, false);
    i32 n = gBlitCols;
    ForRows<2, true>(w, [n](u16* d, const u8* s, i32) {
        for (i32 i = 0; i < n; ++i) d[i] = LoadPixel(s - 2 * i);
    });
}

void PlainKey(i32 x, i32 y, i32 w, i32 h, const void* e) {
    if (gPaintPalette) return Copy8Key(x, y, w, h, e);
    u16 key = static_cast<u16>(gColorKey);
    i32 n = gBlitCols;
    ForRows<2, false>(w, [key, n](u16* d, const u8* s, i32) {
        for (i32 i = 0; i < n; ++i) {
            u16 v = LoadPixel(s + 2 * i);
            if (v != key) d[i] = v;
        }
    });
}

void PlainMirrorKey(i32 x, i32 y, i32 w, i32 h, const void* e) {
    if (gPaintPalette) return Mirror8(x, y, w, h, e, true);
    u16 key = static_cast<u16>(gColorKey);
    i32 n = gBlitCols;
    ForRows<2, true>(w, [key, n](u16* d, const u8* s, i32) {
        for (i32 i = 0; i < n; ++i) {
            u16 v = LoadPixel(s - 2 * i);
            if (v != key) d[i] = v;
        }
    });
}

// A solid colour (the picture's first pixel) fading downwards: level 15 on
// the first drawn row, one level less every (h >> 4) + 1 rows.
void PlainFade(i32, i32, i32 w, i32 h, const void*) {
    if (gPaintPalette) return;
    u32 c = LoadPixel(static_cast<const u8*>(gCurPic));
    i32 every = (h >> 4) + 1;
    i32 n = gBlitCols;
    ForRows<2, false>(w, [c, every, n](u16* d, const u8*, i32 r) {
        int level = 15 - r / every;
        if (level <= 0) return;
        for (i32 i = 0; i < n; ++i) d[i] = static_cast<u16>(BlendLevel(c, d[i], level));
    });
}

// Blend at level gPaintAlpha - 1, key pixels skipped.
void PlainBlend(i32, i32, i32 w, i32, const void*) {
    if (gPaintPalette) return;
    int level = gPaintAlpha - 1;
    u16 key = static_cast<u16>(gColorKey);
    i32 n = gBlitCols;
    ForRows<2, false>(w, [level, key, n](u16* d, const u8* s, i32) {
        for (i32 i = 0; i < n; ++i) {
            u16 v = LoadPixel(s + 2 * i);
            if (v != key) d[i] = static_cast<u16>(BlendLevel(v, d[i], level));
        }
    });
}

void BlendLine(u32* pixels, u32 c, i32 n, int colorLevel) {
    for (i32 i = 0; i < n / 2; ++i) pixels[i] = BlendLevel(c, pixels[i], colorLevel);
}

}  // namespace

void RegisterPlainBlitters(Blitter* table) {
    table[0x40] = PlainCopy;
    table[0x41] = PlainMirror;
    table[0x44] = PlainKey;
    table[0x45] = PlainMirrorKey;
    table[0x48] = PlainFade;
    table[0x54] = PlainBlend;
}

// Term 2 from the colour, terms 1, 3 and 4 from the pixel.
void BlendLineToColor(u32* pixels, u32 colorPair, i32 n) {
    BlendLine(pixels, colorPair, n, 4);
}
void BlendLineToColorHalf(u32* pixels, u32 colorPair, i32 n) {
    BlendLine(pixels, colorPair, n, 8);
}
void BlendLineToColorStrong(u32* pixels, u32 colorPair, i32 n) {
    BlendLine(pixels, colorPair, n, 10);
}
