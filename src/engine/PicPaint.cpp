// PutPic: clipping once per picture, the blit job, the dispatch, tiles, clip
// set-up and the paint target.
#include "engine/PicPaint.h"

#include <cmath>
#include <cstring>

#include "platform/Display.h"
#include "engine/AaDraw.h"
#include "engine/Blend.h"
#include "engine/PixelFormat.h"
#include "engine/PlainBlit.h"
#include "engine/RleBlit.h"
#include "engine/RleBlitFx.h"
#include "engine/ZoomBlit.h"

u16* gPaintBuf;
u32 gRowOffsets[kRowOffsetCount];
ClipRect gClipRect;
Blitter gBlitTable[256];

const void* gCurPic;
const u16* gPaintPalette;
i32 gPaintWave, gWavePhase;
i8 gWaveTable[16][33];

i32 gPaintAlpha, gPaintScaleH, gPaintSkew;
i32 gPaintTintR, gPaintTintG, gPaintTintB;
i32 gPaintRowSkip;

u16* gBlitDst;
const u8* gBlitSrc;
i32 gBlitCols, gBlitRows, gBlitSkipCols, gBlitSkipRows, gBlitCutRows;
i32 gBlitStride;
i32 gRowSkipPhase;
i32 gBlitRowStep, gBlitStretch, gBlitSkewStep, gBlitSkewDir, gBlitSkewX;

namespace {

void BuildWaveTable() {
    for (int k = 0; k < 16; ++k)
        for (int i = 0; i < 33; ++i)
            gWaveTable[k][i] = static_cast<i8>(std::lround(k * std::sin(2 * M_PI * i / 33)));
}

void FillRowOffsets(i32 pitch) {
    for (int y = 0; y < kRowOffsetCount; ++y) gRowOffsets[y] = static_cast<u32>(y * pitch);
}

// True when the row at p is a whole row of a run-coded picture of that width:
// its runs cover the width exactly and its end word sits where its length says.
// Reads nothing past the length that a row of that width can have.
bool IsWholeFirstRow(const u8* p, i32 width, u16 depth) {
    u32 unit = depth == 16 ? 2 : 1;
    u32 len = LoadPixel(p) & 0x7FFF;
    // The length word, a run word and one pixel per column at most, the end word.
    if (len < 4 || len > 4 + static_cast<u32>(width) * (2 + unit)) return false;
    u32 at = 2;
    i32 cols = 0;
    while (at + 2 < len) {
        u16 word = LoadPixel(p + at);
        i32 n = word & kRunCountMask;
        if (n == 0) return false;
        at += 2 + ((word & kRunKindMask) == kRunLiteral ? n * unit : 0);
        cols += n;
    }
    return at + 2 == len && LoadPixel(p + at) == 0 && cols == width;
}

// The first u16 0xFFFF marks a run-coded source, drawn at any size: the walk
// stops at the ends of its rows. A plain picture whose first pixel happens to
// be 0xFFFF is told apart by the rest of the header and, when the call's size
// differs from the header's, by a first row that does not add up.
bool IsRleSource(const void* pic, i32 w, i32 h) {
    if (!pic || gPaintPalette) return false;
    const u8* p = static_cast<const u8*>(pic);
    if (LoadPixel(p) != kRleMagic) return false;
    u16 depth = LoadPixel(p + 6) & kRleDepthMask;
    if (depth != 16 && depth != 8) return false;
    i32 pw = LoadPixel(p + 2), ph = LoadPixel(p + 4);
    if (pw == w && ph == h) return true;
    return pw > 0 && ph > 0 && IsWholeFirstRow(p + kRleHeaderSize, pw, depth);
}

// Vertical clip of an unscaled picture; false when no row is left.
bool ClipRows(i32& y, i32 h, i32& rows, i32& skipTop, i32& cutBottom) {
    const ClipRect& c = gClipRect;
    rows = h;
    skipTop = cutBottom = 0;
    if (y < c.top) {
        rows = h - (c.top - y);
        if (rows < 1) return false;
        skipTop = c.top - y;
        y = c.top;
    }
    if (y + rows >= c.top + c.height) {
        rows = c.top + c.height - y;
        cutBottom = h - skipTop - rows;
        if (rows < 1) return false;
    }
    return true;
}

// Vertical clip of a picture scaled to H rows.
bool ClipScaledRows(i32& y, i32 h, i32 H, i32& rows, i32& skipTop, i32& cutBottom) {
    const ClipRect& c = gClipRect;
    gBlitRowStep = (h * 1024) / H - (H <= h ? 1024 : 0);
    gBlitStretch = H > h;
    rows = H;
    skipTop = cutBottom = 0;
    if (y < c.top) {
        rows = H - (c.top - y) - 1;
        if (rows < 1) return false;
        skipTop = c.top - y;
        y = c.top;
    }
    if (y + rows >= c.top + c.height) {
        cutBottom = rows - c.height - c.top + y;
        rows = c.top + c.height - y - 1;
        if (rows < 1) return false;
    }
    if (gPaintSkew == 0) gPaintSkew = 1;
    return true;
}

bool ClipCols(i32& x, i32 w, i32& cols, i32& skipLeft) {
    const ClipRect& c = gClipRect;
    cols = w;
    skipLeft = 0;
    if (x < c.left) {
        cols = w - (c.left - x);
        if (cols < 1) return false;
        skipLeft = c.left - x;
        x = c.left;
    }
    if (x + cols >= c.left + c.width) {
        cols = c.left + c.width - x;
        if (cols < 1) return false;
    }
    return true;
}

}  // namespace

void ResetOneShotSettings() {
    gPaintTintR = gPaintTintG = gPaintTintB = 0;
    gPaintRowSkip = gPaintScaleH = gPaintSkew = gPaintAlpha = 0;
}

void PutPic(i32 x, i32 y, i32 w, i32 h, i32 modeIn, const void* extra) {
    u32 mode = static_cast<u32>(modeIn);
    if (IsRleSource(gCurPic, w, h))
        mode |= kModeRle;
    else
        mode &= ~kModeRle;
    u32 zoom = mode & 0x3FFFFFFC;
    if (zoom >= 0x80) {
        // Zoomed modes clip themselves and consume the one-shot settings.
        if (zoom < 256 && gBlitTable[zoom]) gBlitTable[zoom](x, y, w, h, &modeIn);
        return;
    }
    if (!gPaintBuf || !gCurPic || w <= 0 || h <= 0) {
        ResetOneShotSettings();
        return;
    }
    if ((mode & 0xFFFC) == 0x14) {
        if (gPaintAlpha < 1) {
            ResetOneShotSettings();
            return;
        }
        if (gPaintAlpha > 15) mode &= 0x80000003u;
    }
    i32 rows = 0, skipTop = 0, cutBottom = 0, cols = 0, skipLeft = 0;
    bool visible = gPaintScaleH > 0 ? ClipScaledRows(y, h, gPaintScaleH, rows, skipTop, cutBottom)
                                    : ClipRows(y, h, rows, skipTop, cutBottom);
    if (visible && gPaintSkew != 0) {
        gBlitSkewDir = gPaintSkew > 0 ? -1 : 1;
        gBlitSkewStep = (std::abs(gPaintSkew) * 1024) / (gPaintScaleH > 0 ? gPaintScaleH : h);
        gBlitSkewX = 0;
    }
    if (visible) visible = ClipCols(x, w, cols, skipLeft);
    if (!visible) {
        ResetOneShotSettings();
        return;
    }
    gBlitRows = rows;
    gBlitCols = cols;
    gBlitSkipRows = skipTop;
    gBlitCutRows = cutBottom;
    gBlitSkipCols = skipLeft;
    gBlitStride = gScreenPitch;
    u8* dst = reinterpret_cast<u8*>(gPaintBuf) + gRowOffsets[y] + 2 * x;
    if (mode & 2) {
        gBlitStride = -gScreenPitch;
        gBlitSkipRows = cutBottom;
        gBlitCutRows = skipTop;
        dst = reinterpret_cast<u8*>(gPaintBuf) + gRowOffsets[y + rows - 1] + 2 * x;
    }
    gBlitDst = reinterpret_cast<u16*>(dst);
    u32 index = mode & 0xFFFF;
    if (!(mode & kModeRle)) {
        i32 col = (mode & 1) ? w - skipLeft - 1 : skipLeft;
        i32 unit = gPaintPalette ? 1 : 2;
        gBlitSrc =
            static_cast<const u8*>(gCurPic) + (static_cast<i64>(gBlitSkipRows) * w + col) * unit;
        index += 0x40;
    }
    gRowSkipPhase = (y + 480) % 3;
    // Effects live below 0x40 (plain ones 0x40 above): anything else would reach the zoom slots.
    if ((mode & 0xFFFF) < 0x40 && gBlitTable[index]) gBlitTable[index](x, y, w, h, extra);
    ResetOneShotSettings();
}

void PutPicOutlined(i32 x, i32 y, i32 w, i32 h, i32 mode, const void* extra) {
    PutPic(x + 1, y + 1, w, h, mode | 0x24, extra);
    PutPic(x - 1, y - 1, w, h, mode | 0x24, extra);
    PutPic(x - 1, y + 1, w, h, mode | 0x24, extra);
    PutPic(x + 1, y - 1, w, h, mode | 0x24, extra);
}

void InitBlitTable() {
    std::memset(gBlitTable, 0, sizeof gBlitTable);
    RegisterRleBlitters(gBlitTable);
    RegisterRleFxBlitters(gBlitTable);
    RegisterZoomBlitters(gBlitTable);
    RegisterPlainBlitters(gBlitTable);
}

int InitPaint(DisplaySurface* surface) {
    if (!InitPixelFormat(surface)) return 0;
    gClipRect = {0, 0, gScreenWidth, gScreenHeight};
    FillRowOffsets(gScreenPitch);
    InitBlitTable();
    return 1;
}

int SetClip(i32 left, i32 top, i32 right, i32 bottom) {
    if (left < 0) left = 0;
    if (top < 0) top = 0;
    gClipRect.left = left;
    gClipRect.top = top;
    gClipRect.width = (right < gScreenWidth ? right : gScreenWidth) - left;
    gClipRect.height = (bottom < gScreenHeight ? bottom : gScreenHeight) - top;
    return 1;
}

int SetClipRect(const i32 rect[4]) {
    if (rect[0] < 0 || rect[1] < 0 || rect[2] > gScreenWidth || rect[3] > gScreenHeight) return 0;
    gClipRect = {rect[0], rect[1], rect[2] - rect[0], rect[3] - rect[1]};
    return 1;
}

void PutTile16(i32 x, i32 y) {
    const u8* src = static_cast<const u8*>(gCurPic);
    u8* dst = reinterpret_cast<u8*>(gPaintBuf) + gRowOffsets[y] + 2 * x;
    for (int r = 0; r < 16; ++r, src += 32, dst += gScreenPitch) std::memcpy(dst, src, 32);
}

void PutTile16Key(i32 x, i32 y) {
    const u8* src = static_cast<const u8*>(gCurPic);
    u8* dst = reinterpret_cast<u8*>(gPaintBuf) + gRowOffsets[y] + 2 * x;
    u16 key = static_cast<u16>(gColorKey);
    for (int r = 0; r < 16; ++r, src += 32, dst += gScreenPitch) {
        u16* d = reinterpret_cast<u16*>(dst);
        for (int i = 0; i < 16; ++i) {
            u16 v = LoadPixel(src + 2 * i);
            if (v != key) d[i] = v;
        }
    }
}

void PutTile8(i32 x, i32 y) {
    const u8* src = static_cast<const u8*>(gCurPic);
    u8* dst = reinterpret_cast<u8*>(gPaintBuf) + gRowOffsets[y] + 2 * x;
    for (int r = 0; r < 16; ++r, src += 16, dst += gScreenPitch) {
        u16* d = reinterpret_cast<u16*>(dst);
        for (int i = 0; i < 16; ++i) d[i] = gPaintPalette[src[i]];
    }
}

void PutTile8Key(i32 x, i32 y) {
    const u8* src = static_cast<const u8*>(gCurPic);
    u8* dst = reinterpret_cast<u8*>(gPaintBuf) + gRowOffsets[y] + 2 * x;
    for (int r = 0; r < 16; ++r, src += 16, dst += gScreenPitch) {
        u16* d = reinterpret_cast<u16*>(dst);
        for (int i = 0; i < 16; ++i)
            if (src[i] != 1) d[i] = gPaintPalette[src[i]];
    }
}

void SetPaintTarget(i32 width, i32 height, i32 pitch, const u32* rowOffsets) {
    if (height > kRowOffsetCount) height = kRowOffsetCount;
    gClipRect = {0, 0, width, height};
    gScreenPitch = pitch;
    if (rowOffsets && height > 0) std::memcpy(gRowOffsets, rowOffsets, sizeof(u32) * height);
}

u16* PaintPixelAddr(i32 x, i32 y) {
    return reinterpret_cast<u16*>(reinterpret_cast<u8*>(gPaintBuf) + gRowOffsets[y] + 2 * x);
}

u16* LockSurface(DisplaySurface* surface) {
    return DisplayLock(surface, nullptr);
}
void UnlockSurface(DisplaySurface* surface, const void*) {
    DisplayUnlock(surface);
}

void ResetPaint() {
    gPaintBuf = nullptr;
    gCurPic = nullptr;
    gPaintPalette = nullptr;
    gPaintWave = gWavePhase = 0;
    ResetOneShotSettings();
    gBlitDst = nullptr;
    gBlitSrc = nullptr;
    gBlitCols = gBlitRows = gBlitSkipCols = gBlitSkipRows = gBlitCutRows = 0;
    gBlitStride = gRowSkipPhase = 0;
    gBlitRowStep = gBlitStretch = gBlitSkewStep = gBlitSkewDir = gBlitSkewX = 0;
    gClipRect = {0, 0, gScreenWidth, gScreenHeight};
    FillRowOffsets(gScreenPitch);
    ResetZoom();
    ResetBlitLanes();
    ResetAntiAlias();
    BuildWaveTable();
    InitBlitTable();
}

static const bool gPaintReady = (BuildWaveTable(), FillRowOffsets(1280), InitBlitTable(), true);
