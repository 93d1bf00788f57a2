// Edge maps, soft-edged drawing of run-coded pictures, and the line drawer.
#include "engine/AaDraw.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "engine/Blend.h"
#include "engine/MemDbg.h"
#include "engine/PicPaint.h"
#include "engine/RleBlit.h"
#include "engine/RlePic.h"

const u8* gAntiAliasMap;
const i32 gAntiAliasClip[4] = {0, 0, 639, 479};

namespace {

constexpr u16 kScratchMark = 1227;

// The paint target while the scratch copy is drawn; put back afterwards.
struct SavedTarget {
    u16* buf = gPaintBuf;
    ClipRect clip = gClipRect;
    i32 pitch = gScreenPitch;
    i32 wave = gPaintWave;
    std::vector<u32> rows;
    explicit SavedTarget(i32 h) : rows(gRowOffsets, gRowOffsets + h) {}
    ~SavedTarget() {
        gPaintBuf = buf;
        gClipRect = clip;
        gScreenPitch = pitch;
        gPaintWave = wave;
        std::copy(rows.begin(), rows.end(), gRowOffsets);
    }
};

// Copies the picture into a w x h scratch of the marker colour: what still
// holds the marker afterwards is transparent.
std::vector<u16> DrawScratch(const void* pic, i32 w, i32 h) {
    std::vector<u16> scratch(static_cast<size_t>(w) * h, kScratchMark);
    SavedTarget saved(h);
    std::vector<u32> rows(static_cast<size_t>(h));
    for (i32 y = 0; y < h; ++y) rows[y] = static_cast<u32>(y * w * 2);
    SetPaintTarget(w, h, w * 2, rows.data());
    gPaintBuf = scratch.data();
    gPaintWave = 0;
    const void* cur = gCurPic;
    gCurPic = pic;
    PutPic(0, 0, w, h, 0, nullptr);
    gCurPic = cur;
    return scratch;
}

// The blends of the edge levels 9..14: terms of s and of d by shift.
u32 EdgeBlend(const PixelMasks& k, u32 s, u32 d, int m) {
    switch (m) {
        case 9:
            return (s >> 3 & k.shr3) + (d >> 1 & k.shr1) + (d >> 2 & k.shr2) + (d >> 4 & k.shr4);
        case 10:
            return (s >> 2 & k.shr2) + (d >> 1 & k.shr1) + (d >> 3 & k.shr3) + (d >> 4 & k.shr4);
        case 11:
            return (s >> 2 & k.shr2) + (s >> 3 & k.shr3) + (d >> 1 & k.shr1) + (d >> 4 & k.shr4);
        case 12:
            return (s >> 1 & k.shr1) + (s >> 4 & k.shr4) + (d >> 2 & k.shr2) + (d >> 3 & k.shr3);
        case 13:
            return (s >> 1 & k.shr1) + (s >> 3 & k.shr3) + (s >> 4 & k.shr4) + (d >> 2 & k.shr2);
        case 14:
            return (s >> 1 & k.shr1) + (s >> 2 & k.shr2) + (s >> 4 & k.shr4) + (d >> 3 & k.shr3);
        default:
            return m >= 15 ? s : d;
    }
}

// Literal pixels blended by the edge byte of their picture position.
struct EdgeOp {
    static constexpr bool kKey2 = false;
    const u8* levels;
    i32 w;
    PixelMasks k{};
    const u8* row = nullptr;
    bool BeginRow(i32 r) {
        row = levels + static_cast<i64>(r) * w;
        return true;
    }
    template <bool Mirror>
    void Lit(u16* d, const u8* s, i32 n, i32 col) {
        for (i32 i = 0; i < n; ++i) {
            int m = row[col + i];
            if (m <= 8) continue;
            d[i] = static_cast<u16>(EdgeBlend(k, LoadPixel(s + 2 * i), d[i], m));
        }
    }
    template <bool Mirror>
    void Key2(u16*, i32, i32) {}
};

}  // namespace

u8* MakeAntiAliasMap(const void* pic) {
    if (!pic) return nullptr;
    const u8* p = static_cast<const u8*>(pic);
    if (LoadPixel(p) != kRleMagic) return nullptr;
    i32 w = LoadPixel(p + 2), h = LoadPixel(p + 4);
    if (h > kRowOffsetCount) return nullptr;
    std::vector<u16> scratch = w > 0 && h > 0 ? DrawScratch(pic, w, h) : std::vector<u16>();
    size_t n = static_cast<size_t>(w) * h;
    u8* map = static_cast<u8*>(MH_ALLOC(static_cast<i32>(sizeof(AntiAliasMapHeader) + n)));
    AntiAliasMapHeader head{kAntiAliasMapMagic, static_cast<u16>(w), static_cast<u16>(h)};
    std::memcpy(map, &head, sizeof head);
    u8* levels = map + sizeof head;
    std::memset(levels, 15, n);
    for (i32 y = 0; y < h; ++y)
        for (i32 x = 0; x < w; ++x) {
            if (scratch[static_cast<size_t>(y) * w + x] != kScratchMark) continue;
            for (i32 dy = -2; dy <= 2; ++dy)
                for (i32 dx = -2 + std::abs(dy); dx <= 2 - std::abs(dy); ++dx) {
                    i32 yy = y + dy, xx = x + dx;
                    if (yy >= 0 && yy < h && xx >= 0 && xx < w)
                        --levels[static_cast<size_t>(yy) * w + xx];
                }
        }
    return map;
}

void SetAntiAliasMap(const u8* map) {
    gAntiAliasMap = map;
}

const u8* AntiAliasLevels(const u8* map) {
    if (!map) return nullptr;
    AntiAliasMapHeader head;
    std::memcpy(&head, map, sizeof head);
    return head.magic == kAntiAliasMapMagic ? map + sizeof head : nullptr;
}

int PutPicAntiAlias(i32 x, i32 y, const void* pic) {
    if (!pic) return -1;
    const u8* p = static_cast<const u8*>(pic);
    if (LoadPixel(p) != kRleMagic || (LoadPixel(p + 6) & kRleDepthMask) != 16) return -2;
    i32 w = LoadPixel(p + 2), h = LoadPixel(p + 4);
    i64 cols = w, rows = h, skipCols = 0, skipRows = 0;
    if (x + cols - 1 > gAntiAliasClip[2]) cols = gAntiAliasClip[2] - x + 1;
    if (x < gAntiAliasClip[0]) {
        skipCols = gAntiAliasClip[0] - static_cast<i64>(x);
        cols -= skipCols;
    }
    if (y + rows - 1 > gAntiAliasClip[3]) rows = gAntiAliasClip[3] - y + 1;
    if (y < gAntiAliasClip[1]) {
        skipRows = gAntiAliasClip[1] - static_cast<i64>(y);
        rows -= skipRows;
    }
    if (cols <= 0 || rows <= 0) return -3;
    const u8* levels = AntiAliasLevels(gAntiAliasMap);
    if (!levels || !gPaintBuf) return -4;
    AntiAliasMapHeader head;
    std::memcpy(&head, gAntiAliasMap, sizeof head);
    if (head.width != w || head.height != h) return -4;
    // The walker reads the job; the anti-aliased draw is always left to right.
    const void* cur = gCurPic;
    i32 wave = gPaintWave;
    gCurPic = pic;
    gPaintWave = 0;
    gBlitSkipRows = static_cast<i32>(skipRows);
    gBlitRows = static_cast<i32>(rows);
    gBlitSkipCols = static_cast<i32>(skipCols);
    gBlitCols = static_cast<i32>(cols);
    gBlitStride = gScreenPitch;
    i32 cx = static_cast<i32>(x + skipCols), cy = static_cast<i32>(y + skipRows);
    gBlitDst = PaintPixelAddr(cx, cy);
    EdgeOp op{levels, w};
    WalkRle<false>(cx, w, op, false);
    gCurPic = cur;
    gPaintWave = wave;
    return 1;
}

void DrawLine(i32 x0, i32 y0, i32 x1, i32 y1, i32 rowPixels, u16 colour) {
    if (!gPaintBuf) return;
    i64 pitch = rowPixels ? rowPixels : gScreenPitch / 2;
    i64 dx = std::abs(static_cast<i64>(x1) - x0), dy = std::abs(static_cast<i64>(y1) - y0);
    i64 sx = x1 >= x0 ? 1 : -1, sy = y1 >= y0 ? 1 : -1;
    const ClipRect& c = gClipRect;
    // Pixel k lies k steps along the longer axis and ceil(k x short / long)
    // along the shorter one; only the steps inside the clip are walked.
    bool steep = dx <= dy;
    i64 len = steep ? dy : dx, minor = steep ? dx : dy;
    i64 major0 = steep ? y0 : x0, step = steep ? sy : sx;
    i64 lo = steep ? c.top : c.left, hi = (steep ? c.top + c.height : c.left + c.width) - 1;
    // k such that lo <= major0 + step * k <= hi.
    i64 k0 = step > 0 ? lo - major0 : major0 - hi, k1 = step > 0 ? hi - major0 : major0 - lo;
    k0 = std::max<i64>(k0, 0);
    k1 = std::min<i64>(k1, len);
    for (i64 k = k0; k <= k1; ++k) {
        i64 m = len ? (k * minor + len - 1) / len : 0;
        i64 X = steep ? x0 + sx * m : x0 + sx * k;
        i64 Y = steep ? y0 + sy * k : y0 + sy * m;
        if (X < c.left || X >= c.left + c.width || Y < c.top || Y >= c.top + c.height) continue;
        gPaintBuf[Y * pitch + X] = colour;
    }
}

void ResetAntiAlias() {
    gAntiAliasMap = nullptr;
}
