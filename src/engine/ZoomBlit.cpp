// Zoomed drawing: the anchor placement, step and shear tables, and one zoom
// walker over the pixel operations of modes 0x80-0xAC, plus the 8-bit copy
// of mode 0xC0.
#include "engine/ZoomBlit.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <unordered_map>
#include <vector>

#include "engine/Blend.h"
#include "engine/RlePic.h"

i32 gZoomAnchorX, gZoomAnchorY;
i32 gZoomScaleX = 1024, gZoomScaleY = 1024;
i32 gZoomShear;
const i32* gZoomStepX;
const i32* gZoomStepY;
const i32* gZoomShearTable;
u16 gZoomSilhouetteColor;

namespace {

u32 gTablesBuilt;  // since the last reset

// Step tables by scale. A crowd on a map with depth scales draws each person
// at a scale of their own, one after the other, every frame: the cache holds
// a table for each of them (up to kStepTables, found by scale), so still
// frames build nothing; only when all are taken does the least recently used
// one go to a new scale. A table is filled only as far as the draws at its
// scale have needed: a role some 60 pixels wide reads 60 entries, not the
// whole table.
struct StepTable {
    i32 scale = 0;
    u32 used = 0;      // 0: empty
    i32 filled = 0;    // entries [0, filled) are valid
    i32 q = 0, r = 0;  // filled x 1024 as quotient and remainder of the scale
    i32 values[kZoomTableSize];
};

constexpr size_t kStepTables = 512;

struct StepCache {
    std::vector<std::unique_ptr<StepTable>> tables;  // made as scales come
    std::unordered_map<i32, StepTable*> byScale;
    u32 clock = 0;

    StepTable* Get(i32 scale) {
        if (auto it = byScale.find(scale); it != byScale.end()) {
            it->second->used = ++clock;
            return it->second;
        }
        ++gTablesBuilt;
        StepTable* pick = nullptr;
        if (tables.size() < kStepTables) {
            tables.push_back(std::make_unique<StepTable>());
            pick = tables.back().get();
        } else {
            pick = std::min_element(tables.begin(), tables.end(), [](const auto& a, const auto& b) {
                       return a->used < b->used;
                   })->get();
            byScale.erase(pick->scale);
        }
        pick->scale = scale;
        pick->used = ++clock;
        pick->filled = pick->q = pick->r = 0;
        byScale[scale] = pick;
        return pick;
    }
    // The table in use when it still has the scale (the draws after a SetZoom
    // find theirs in place), else the cache's.
    StepTable* Keep(StepTable* t, i32 scale) {
        if (!t || t->scale != scale) return Get(scale);
        t->used = ++clock;
        return t;
    }
    void Clear() {
        tables.clear();
        byScale.clear();
        clock = 0;
    }
};

// Entry i is i * 1024 / scale, rounded toward zero; a positive scale walks
// the quotient and remainder instead of dividing each entry.
void FillSteps(StepTable* t, i64 n) {
    n = std::min<i64>(n, kZoomTableSize);
    if (!t || t->filled >= n) return;
    i32 scale = t->scale;
    if (scale <= 0) {
        for (i64 i = t->filled; i < n; ++i) t->values[i] = static_cast<i32>(i * 1024 / scale);
        t->filled = static_cast<i32>(n);
        return;
    }
    i32 whole = 1024 / scale, part = 1024 % scale, q = t->q, r = t->r;
    for (i64 i = t->filled; i < n; ++i) {
        t->values[i] = q;
        q += whole;
        r += part;
        if (r >= scale) r -= scale, ++q;
    }
    t->q = q;
    t->r = r;
    t->filled = static_cast<i32>(n);
}

// Shear tables by shear, built whole.
template <int N>
struct TableCache {
    struct Entry {
        i32 key = 0;
        u32 used = 0;  // 0: empty
        i32 values[kZoomTableSize];
    };
    Entry entries[N];
    u32 clock = 0;

    template <class Build>
    const i32* Get(i32 key, const Build& build) {
        Entry* pick = &entries[0];
        for (Entry& e : entries) {
            if (e.used && e.key == key) {
                e.used = ++clock;
                return e.values;
            }
            if (e.used < pick->used) pick = &e;
        }
        build(pick->values, key);
        ++gTablesBuilt;
        pick->key = key;
        pick->used = ++clock;
        return pick->values;
    }
    void Clear() {
        for (Entry& e : entries) e.used = 0;
        clock = 0;
    }
};

StepCache gStepCache;
TableCache<4> gShearCache;
StepTable* gStepTableX;
StepTable* gStepTableY;

void BuildShear(i32* table, i32 shear) {
    for (i64 j = 0; j < kZoomTableSize; ++j) table[j] = static_cast<i32>(j * shear / 1024);
}

i32 ReadMode(const void* modeWord) {
    i32 mode = 0;
    if (modeWord) std::memcpy(&mode, modeWord, 4);
    return mode;
}

// The box of a zoomed picture on the screen and how it is walked.
struct ZoomBox {
    bool mirror, flip;
    i64 left, right, top, bottom;  // right and bottom inclusive, before the table cut
    i64 cols, rows;                // drawn, at most the table size
    i64 anchorRow;                 // the anchor's distance from the box top
};

bool PlaceBox(i32 x, i32 y, i32 w, i32 h, i32 mode, ZoomBox& b) {
    b.mirror = mode & 1;
    b.flip = mode & 2;
    i64 sx = gZoomScaleX, sy = gZoomScaleY;
    i64 ax = b.mirror ? w - gZoomAnchorX : gZoomAnchorX;
    i64 ay = b.flip ? h - gZoomAnchorY : gZoomAnchorY;
    i64 y0 = b.flip ? static_cast<i64>(y) + 2 * gZoomAnchorY - h : y;
    i64 width = sx * w / 1024, height = sy * h / 1024;
    if (width <= 0 || height <= 0) return false;
    b.left = x + ax - sx * ax / 1024;
    b.right = b.left + width - 1;
    b.top = y0 + ay - sy * ay / 1024;
    b.bottom = b.top + height - 1;
    b.cols = std::min<i64>(width, kZoomTableSize);
    b.rows = std::min<i64>(height, kZoomTableSize);
    b.anchorRow = sy * ay / 1024;
    const ClipRect& c = gClipRect;
    return b.right >= c.left && b.left < c.left + c.width && b.bottom >= c.top &&
           b.top < c.top + c.height;
}

i64 ShearAt(i64 r) {
    if (r >= 0 && r < kZoomTableSize) return gZoomShearTable[r];
    return r * gZoomShear / 1024;
}

// Draws one source row into screen row dst: destination column i (from the
// start side) shows source column gZoomStepX[i], for i in [i0, i1).
template <class F>
void ZoomRow(const u8* q, u16* dst, i64 start, i64 dir, i64 i0, i64 i1, const F& f) {
    const i32* steps = gZoomStepX;
    i64 col = 0, i = i0;
    while (i < i1) {
        u16 word = LoadPixel(q);
        i64 n = word & kRunCountMask;
        if (!n) return;
        q += 2;
        i64 end = col + n;
        if ((word & kRunKindMask) == kRunLiteral) {
            for (; i < i1 && steps[i] < end; ++i) {
                u16* d = dst + (start + dir * i);
                *d = static_cast<u16>(f(LoadPixel(q + 2 * (steps[i] - col)), *d));
            }
            q += 2 * n;
        } else {
            while (i < i1 && steps[i] < end) ++i;
        }
        col = end;
    }
}

template <class F>
void ZoomDraw(i32 x, i32 y, i32 w, i32 h, const void* modeWord) {
    if (!gPaintBuf || !gCurPic || w <= 0 || h <= 0) return;
    const u8* pic = static_cast<const u8*>(gCurPic);
    if (LoadPixel(pic) != kRleMagic || !(LoadPixel(pic + 6) & 0x10)) return;
    BuildZoomTables();  // scales written directly still get matching tables
    ZoomBox b;
    if (!PlaceBox(x, y, w, h, ReadMode(modeWord), b)) return;
    FillSteps(gStepTableX, b.cols);
    FillSteps(gStepTableY, b.rows);
    F f;
    const ClipRect& c = gClipRect;
    i64 clipR = c.left + c.width, clipB = c.top + c.height;
    i64 anchorShear = gZoomShear ? ShearAt(b.anchorRow) : 0;
    const u8* p = pic + kRleHeaderSize;
    i32 srcRow = 0;
    for (i64 j = 0; j < b.rows; ++j) {
        i64 Y = b.flip ? b.bottom - j : b.top + j;
        if (Y < c.top || Y >= clipB) continue;
        for (; srcRow < gZoomStepY[j]; ++srcRow) {
            u16 len = LoadPixel(p) & 0x7FFF;
            if (!len) return;
            p += len;
        }
        if (!(LoadPixel(p) & 0x7FFF)) return;
        i64 shift = 0;
        if (gZoomShear) shift = (anchorShear - ShearAt(Y - b.top)) * (b.flip ? -1 : 1);
        // Screen column of destination column i is start + dir * i.
        i64 start = (b.mirror ? b.right : b.left) + shift, dir = b.mirror ? -1 : 1;
        i64 i0 = b.mirror ? start - clipR + 1 : c.left - start;
        i64 i1 = b.mirror ? start - c.left + 1 : clipR - start;
        i0 = std::max<i64>(i0, 0);
        i1 = std::min<i64>(i1, b.cols);
        if (i0 >= i1) continue;
        u16* dst = PaintPixelAddr(0, static_cast<i32>(Y));
        ZoomRow(p + 2, dst, start, dir, i0, i1, f);
    }
}

struct ZCopy {
    u32 operator()(u32 s, u32) const { return s; }
};
// Saturating sum first, then the tints on the sum.
struct ZAdd {
    PixelMasks k{};
    i32 t[3] = {gPaintTintR, gPaintTintG, gPaintTintB};
    u32 operator()(u32 s, u32 d) const { return k.TintPixel(k.AddSat(s, d), t); }
};
struct ZTint {
    PixelMasks k{};
    i32 t[3] = {gPaintTintR, gPaintTintG, gPaintTintB};
    u32 operator()(u32, u32 d) const { return k.TintPixel(d, t); }
};
// Level 0 leaves the screen, 1..14 blend, anything else copies.
struct ZBlend {
    PixelMasks k{};
    i32 level = gPaintAlpha;
    u32 operator()(u32 s, u32 d) const {
        if (level == 0) return d;
        if (level < 1 || level > 14) return s;
        return k.Terms(s, level) + k.Terms(d, 15 - level);
    }
};
struct ZSilhouette {
    u16 colour = gZoomSilhouetteColor;
    u32 operator()(u32, u32) const { return colour; }
};
struct ZGrey {
    PixelMasks k{};
    u32 operator()(u32, u32 d) const { return k.Grey(d); }
};
struct ZSubtract {
    PixelMasks k{};
    i32 t[3] = {gPaintTintR, gPaintTintG, gPaintTintB};
    u32 operator()(u32 s, u32 d) const { return k.Subtract(s, d, t); }
};

// An 8-bit run-coded picture through gPaintPalette, unscaled, with mirror and
// flip; each pixel is tested against the clip.
void ZoomPalette8(i32 x, i32 y, i32 w, i32 h, const void* modeWord) {
    if (!gPaintBuf || !gCurPic || !gPaintPalette || w <= 0 || h <= 0) return;
    const u8* pic = static_cast<const u8*>(gCurPic);
    if (LoadPixel(pic) != kRleMagic || (LoadPixel(pic + 6) & kRleDepthMask) != 8) return;
    i32 mode = ReadMode(modeWord);
    bool mirror = mode & 1, flip = mode & 2;
    const ClipRect& c = gClipRect;
    i64 clipR = c.left + c.width, clipB = c.top + c.height;
    const u8* p = pic + kRleHeaderSize;
    for (i32 r = 0; r < h; ++r) {
        u16 len = LoadPixel(p) & 0x7FFF;
        if (!len) return;
        i64 Y = flip ? static_cast<i64>(y) + h - 1 - r : static_cast<i64>(y) + r;
        if (Y >= c.top && Y < clipB) {
            u16* dst = PaintPixelAddr(0, static_cast<i32>(Y));
            const u8* q = p + 2;
            i32 col = 0;
            while (u16 word = LoadPixel(q)) {
                i32 n = word & kRunCountMask;
                if (!n) break;
                q += 2;
                bool literal = (word & kRunKindMask) == kRunLiteral;
                for (i32 i = 0; literal && i < n; ++i) {
                    i64 X = mirror ? static_cast<i64>(x) + w - 1 - (col + i)
                                   : static_cast<i64>(x) + col + i;
                    if (col + i < w && X >= c.left && X < clipR) dst[X] = gPaintPalette[q[i]];
                }
                if (literal) q += n;
                col += n;
            }
        }
        p += len;
    }
}

}  // namespace

void BuildZoomTables() {
    if (gZoomScaleX == 0) gZoomScaleX = 1;
    if (gZoomScaleY == 0) gZoomScaleY = 1;
    gStepTableX = gStepCache.Keep(gStepTableX, gZoomScaleX);
    gStepTableY =
        gZoomScaleY == gZoomScaleX ? gStepTableX : gStepCache.Keep(gStepTableY, gZoomScaleY);
    gZoomStepX = gStepTableX->values;
    gZoomStepY = gStepTableY->values;
    // A shear of 0 keeps the old table: nothing reads it then.
    if (gZoomShear != 0 || !gZoomShearTable)
        gZoomShearTable = gShearCache.Get(gZoomShear, BuildShear);
}

u32 ZoomTablesBuilt() {
    return gTablesBuilt;
}

void SetZoomSkew(i32 anchorX, i32 anchorY, i32 scaleX, i32 scaleY, i32 shear) {
    gZoomAnchorX = anchorX;
    gZoomAnchorY = anchorY;
    gZoomScaleX = scaleX ? scaleX : 1;
    gZoomScaleY = scaleY ? scaleY : 1;
    gZoomShear = shear;
    BuildZoomTables();
}

void SetZoom(i32 anchorX, i32 anchorY, i32 scaleX, i32 scaleY) {
    SetZoomSkew(anchorX, anchorY, scaleX, scaleY, 0);
}

void RegisterZoomBlitters(Blitter* table) {
    table[0x80] = ZoomDraw<ZCopy>;
    table[0x84] = ZoomDraw<ZAdd>;
    table[0x90] = ZoomDraw<ZTint>;
    table[0x94] = ZoomDraw<ZBlend>;
    table[0xA4] = ZoomDraw<ZSilhouette>;
    table[0xA8] = ZoomDraw<ZGrey>;
    table[0xAC] = ZoomDraw<ZSubtract>;
    table[0xC0] = ZoomPalette8;
}

void ResetZoom() {
    gZoomAnchorX = gZoomAnchorY = 0;
    gZoomScaleX = gZoomScaleY = 1024;
    gZoomShear = 0;
    gStepCache.Clear();
    gShearCache.Clear();
    gTablesBuilt = 0;
    gZoomStepX = gZoomStepY = gZoomShearTable = nullptr;
    gStepTableX = gStepTableY = nullptr;
    gZoomSilhouetteColor = 0;
    BuildZoomTables();
}

static const bool gZoomReady = (ResetZoom(), true);
