// The blitters against per-pixel references written from their drawing rules
// and not from the engine: run-coded modes 0-9 and effect modes 0x0C-0x2D,
// plain and paletted pictures, line filters, zoomed, soft-edged and line
// drawing, in every lane width, over random pictures, positions, clips, mirror
// and flip, waves, alpha planes, scales, skews and shears; PutPic's dispatch
// and one-shot settings; and their edge values. Then the effect helpers.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "DrawTestUtil.h"
#include "base/ByteIo.h"
#include "engine/AaDraw.h"
#include "engine/GrpEft.h"
#include "engine/LineFilter.h"
#include "engine/PlainBlit.h"
#include "engine/RleBlit.h"
#include "engine/RleBlitFx.h"
#include "engine/RlePic.h"
#include "engine/VecMath.h"
#include "engine/ZoomBlit.h"
#include "platform/Backend.h"

namespace {

// Sideways shift of walk row i under wave k: a sine over 33 rows.
inline i32 WaveAt(i32 k, i32 i) {
    return static_cast<i32>(std::lround(k * std::sin(2 * M_PI * i / 33)));
}

// Level byte/4 (at most 15); 0 keeps d, 15 takes s, else d's (15 - level)/16
// term by term plus s.
inline u16 AlphaRef(u16 s, u16 d, u8 byte) {
    int a = std::min(byte >> 2, 15);
    if (a == 0 || a == 15) return a ? s : d;
    Rgb x = Split(s), y = Terms(Split(d), 15 - a);
    return Join({Sat(y.r + x.r), Sat(y.g + x.g), Sat(y.b + x.b)});
}

inline std::vector<u8> SolidRle(i32 w, i32 h, u16 v) {
    std::vector<u16> px(static_cast<size_t>(w) * h, v);
    return RleBytes(px.data(), w, h);
}

// The source, moved by the tints, added to the screen per channel.
inline u16 AddRef(u16 s, u16 d, const i32 t[3]) {
    Rgb a = TintRef(Split(s), t), b = Split(d);
    return Join({Sat(a.r + b.r), Sat(a.g + b.g), Sat(a.b + b.b)});
}
inline u16 GreyRef(u16 d) {
    Rgb c = Split(d);
    i32 v = (c.r + c.g + c.b) / 4;
    return Join({v, v, v});
}
inline u16 SubRef(u16 s, u16 d, const i32 t[3]) {
    Rgb a = TintRef(Split(s), t), b = Split(d);
    return Join({Sat(b.r - a.r), Sat(b.g - a.g), Sat(b.b - a.b)});
}

// A run-coded draw: place, mode, clip and the one-shot settings.
struct Setting {
    i32 x, y, w, h, mode;
    ClipRect clip;
    i32 wave = 0, phase = 0, rowSkip = 0, alpha = 0, scaleH = 0, skew = 0;
    i32 tint[3] = {0, 0, 0};
    u32 colour = 0;
    std::vector<u8> plane;  // the alpha plane of modes 8 and 9; empty: none
};

// One drawn row: its screen row, picture row, sideways shift and walk index.
struct DrawnRow {
    i32 Y, r, shift, i;
};

// Which screen rows show which picture rows, from the clip and scale rules.
inline std::vector<DrawnRow> RowPlan(const Setting& s) {
    std::vector<DrawnRow> out;
    const ClipRect& k = s.clip;
    i32 effect = s.mode & ~3;
    bool scaled = (effect == 0x0C || effect == 0x20) && s.scaleH > 0;
    bool skewed = effect == 0x0C;
    bool flip = s.mode & 2;
    i32 H = scaled ? s.scaleH : s.h, y = s.y, rows = H, skip = 0, cut = 0;
    if (!scaled) {
        i32 top = std::max(s.y, k.top), bottom = std::min(s.y + s.h, k.top + k.height);
        if (top >= bottom) return out;
        y = top;
        rows = bottom - top;
        skip = top - s.y;
        cut = s.y + s.h - bottom;
    } else {
        if (y < k.top) {
            rows = H - (k.top - y) - 1;
            if (rows < 1) return out;
            skip = k.top - y;
            y = k.top;
        }
        if (y + rows >= k.top + k.height) {
            cut = rows - k.height - k.top + y;
            rows = k.top + k.height - y - 1;
            if (rows < 1) return out;
        }
    }
    if (std::max(s.x, k.left) >= std::min(s.x + s.w, k.left + k.width)) return out;
    if (flip) skip = cut;
    i32 step = 0, stretch = 0;
    if (scaled) {
        step = s.h * 1024 / H - (H <= s.h ? 1024 : 0);
        stretch = H > s.h;
    }
    i32 skew = s.skew == 0 && scaled ? 1 : s.skew;
    i32 skewStep = skew ? std::abs(skew) * 1024 / H : 0, skewDir = skew > 0 ? -1 : 1;
    i32 src = 0, acc = 0, sAcc = 0, skewX = skew;
    for (i32 n = 0; n < skip + rows; ++n) {
        if (src >= s.h) break;
        if (n >= skip) {
            i32 i = n - skip;
            i32 shift = skewed ? skewX : s.wave ? WaveAt(s.wave, (s.phase + 1 + i) % 33) : 0;
            out.push_back({flip ? y + rows - 1 - i : y + i, src, shift, i});
        }
        acc += step;
        i32 m = acc >> 10;
        acc &= 1023;
        src += scaled ? (stretch ? (m ? 1 : 0) : 1 + m) : 1;
        if (skewed && skew) {
            sAcc += skewStep;
            skewX += (sAcc >> 10) * skewDir;
            sAcc &= 1023;
        }
    }
    return out;
}

// What a run-coded draw of modes 0-5, 8, 9 and 0x0C-0x2D must leave on the canvas.
inline void Reference(std::vector<u16>& c, const RefPic& p, const Setting& s) {
    i32 effect = s.mode & ~3;
    bool mirror = s.mode & 1;
    if (effect == 0x10 && !s.tint[0] && !s.tint[1] && !s.tint[2]) return;
    if (effect == 0x14 && s.alpha < 1) return;
    const ClipRect& k = s.clip;
    i32 phase = (std::max(s.y, k.top) + 480) % 3;
    i32 band = (s.h + 16) >> 4;
    u16 mark = static_cast<u16>(gGreenPair);
    for (const DrawnRow& row : RowPlan(s)) {
        if ((effect == 0x2C || effect == 4) && s.rowSkip && (phase + row.i + 1) % 3 == 0) continue;
        i32 level = effect == 0x1C ? 15 - (row.r + 1) / band : std::min(s.alpha, 15);
        auto screenX = [&](i32 col) { return s.x + row.shift + (mirror ? p.w - 1 - col : col); };
        auto visible = [&](i32 col) {
            i32 X = screenX(col);
            return col >= 0 && col < p.w && X >= k.left && X < k.left + k.width &&
                   p.kind[static_cast<size_t>(row.r) * p.w + col] == Px::Lit;
        };
        for (i32 col = 0; col < p.w; ++col) {
            size_t at = static_cast<size_t>(row.r) * p.w + col;
            i32 X = screenX(col);
            // With a plane, second-key pixels are marked.
            if (effect == 8 && !s.plane.empty() && p.kind[at] == Px::Key2 && X >= k.left &&
                X < k.left + k.width)
                c[static_cast<size_t>(row.Y) * 640 + X] = 0xFFF0;
            if (!visible(col)) continue;
            u16 v = p.value[at];
            u16& d = c[static_cast<size_t>(row.Y) * 640 + X];
            if (effect == 0)
                d = v;
            else if (effect == 4 || effect == 0x20)
                d = AddRef(v, d, s.tint);
            else if (effect == 8)
                d = s.plane.empty() ? v : AlphaRef(v, d, s.plane[at]);
            else if (effect == 0x0C || effect == 0x10)
                d = Join(TintRef(Split(d), s.tint));
            else if (effect == 0x14 || effect == 0x1C)
                d = BlendRef(v, d, level);
            else if (effect == 0x18)
                d = !visible(col - 1) || !visible(col + 1) ? mark : v;
            else if (effect == 0x24)
                d = static_cast<u16>(s.colour);
            else if (effect == 0x28)
                d = GreyRef(d);
            else if (effect == 0x2C)
                d = SubRef(v, d, s.tint);
        }
    }
}

struct ZoomSetting {
    i32 x, y, w, h, mode;
    i32 ax, ay, sx, sy, shear;
    ClipRect clip;
    i32 alpha = 0;
    i32 tint[3] = {0, 0, 0};
};

inline u16 ZoomOpRef(i32 effect, const ZoomSetting& s, u16 v, u16 d) {
    Rgb a = Split(v), b = Split(d);
    const i32* t = s.tint;
    switch (effect) {
        case 0x80:
            return v;
        case 0x84:
            return Join({Sat(Sat(a.r + b.r) + t[0]), Sat(Sat(a.g + b.g) + t[1]),
                         Sat(Sat(a.b + b.b) + t[2])});
        case 0x90:
            return Join(TintRef(b, t));
        case 0x94:
            return s.alpha == 0 ? d : s.alpha < 0 ? v : BlendRef(v, d, s.alpha);
        case 0xA4:
            return 0;
        case 0xA8:
            return GreyRef(d);
        case 0xAC:
            return SubRef(v, d, t);
    }
    return d;
}

// Destination (i, j) of the box shows source (i x 1024 / sx, j x 1024 / sy).
inline void ZoomReference(std::vector<u16>& c, const RefPic& p, const ZoomSetting& s) {
    bool mirror = s.mode & 1, flip = s.mode & 2;
    i64 sx = s.sx ? s.sx : 1, sy = s.sy ? s.sy : 1;
    i64 ax = mirror ? s.w - s.ax : s.ax, ay = flip ? s.h - s.ay : s.ay;
    i64 y0 = flip ? s.y + 2 * s.ay - s.h : s.y;
    i64 width = sx * s.w / 1024, height = sy * s.h / 1024;
    if (width <= 0 || height <= 0) return;
    i64 left = s.x + ax - sx * ax / 1024, right = left + width - 1;
    i64 top = y0 + ay - sy * ay / 1024, bottom = top + height - 1;
    const ClipRect& k = s.clip;
    if (right < k.left || left >= k.left + k.width || bottom < k.top || top >= k.top + k.height)
        return;
    i64 anchorRow = sy * ay / 1024;
    for (i64 j = 0; j < std::min<i64>(height, 1280); ++j) {
        i64 Y = flip ? bottom - j : top + j;
        if (Y < k.top || Y >= k.top + k.height) continue;
        i64 shift = (anchorRow * s.shear / 1024 - (Y - top) * s.shear / 1024) * (flip ? -1 : 1);
        i64 sr = j * 1024 / sy;
        for (i64 i = 0; i < std::min<i64>(width, 1280); ++i) {
            i64 X = mirror ? right + shift - i : left + shift + i;
            if (X < k.left || X >= k.left + k.width) continue;
            size_t at = static_cast<size_t>(sr * p.w + i * 1024 / sx);
            if (p.kind[at] != Px::Lit) continue;
            u16& d = c[static_cast<size_t>(Y * 640 + X)];
            d = ZoomOpRef(s.mode & ~3, s, p.value[at], d);
        }
    }
}

const i32 kFxModes[] = {0,    1,    2,    3,    4,    5,    8,    9,    0x0C, 0x0D, 0x0E,
                        0x0F, 0x10, 0x11, 0x14, 0x15, 0x16, 0x17, 0x18, 0x19, 0x1C, 0x20,
                        0x21, 0x24, 0x25, 0x26, 0x27, 0x28, 0x29, 0x2A, 0x2B, 0x2C, 0x2D};

// A paletted picture drawn at (x, y): mode bit 0 mirrors, bit 1 flips; the
// two key indices pass, and columns from `right` on are cut.
std::vector<u16> PalettedRef(std::vector<u16> c, const u8* src, i32 w, i32 h, i32 x, i32 y,
                             i32 mode, const u16* pal, int key1, int key2, i32 right) {
    for (i32 r = 0; r < h; ++r)
        for (i32 i = 0; i < w; ++i) {
            u8 v = src[r * w + i];
            i32 X = x + ((mode & 1) ? w - 1 - i : i), Y = y + ((mode & 2) ? h - 1 - r : r);
            if (v != key1 && v != key2 && X < right) c[Y * 640 + X] = pal[v];
        }
    return c;
}

class Blitters : public ::testing::TestWithParam<Layout> {};

void SetTint(const i32 t[3]) {
    std::tie(gPaintTintR, gPaintTintG, gPaintTintB) = std::tuple(t[0], t[1], t[2]);
}

// Draws a random picture in mode with random place, clip and one-shot settings,
// and compares the canvas with the reference.
bool DrawsAsTheReference(Canvas& canvas, std::mt19937& rng, i32 mode, int iter) {
    Setting s;
    s.mode = mode;
    i32 effect = s.mode & ~3;
    s.w = 1 + rng() % 80;
    s.h = 1 + rng() % 60;
    s.x = static_cast<i32>(rng() % 760) - 100;
    s.y = static_cast<i32>(rng() % 600) - 100;
    s.clip = RandomClip(rng);
    if (rng() % 3 == 0) s.wave = 1 + rng() % 15;
    s.phase = rng() % 33;
    s.rowSkip = rng() % 2;
    s.alpha = static_cast<i32>(rng() % 18);
    if (rng() % 4)
        for (auto& t : s.tint) t = static_cast<i32>(rng() % 63) - 31;
    if ((effect == 0x0C || effect == 0x20) && rng() % 3) s.scaleH = 1 + rng() % 120;
    if (effect == 0x0C && rng() % 3) s.skew = static_cast<i32>(rng() % 81) - 40;
    s.colour = rng();
    if ((effect == 8) && rng() % 5) {
        s.plane.resize(static_cast<size_t>(s.w) * s.h);
        for (auto& a : s.plane) a = rng() % 8 ? (rng() % 16) * 4 : static_cast<u8>(rng());
    }
    std::vector<u8> pic = RandomRle(rng, s.w, s.h);
    std::vector<u16> expect = canvas.px;
    Reference(expect, ReadRefPic(pic), s);

    gClipRect = s.clip;
    gCurPic = pic.data();
    std::tie(gPaintWave, gWavePhase, gPaintRowSkip, gPaintAlpha, gPaintScaleH, gPaintSkew) =
        std::tuple(s.wave, s.phase, s.rowSkip, s.alpha, s.scaleH, s.skew);
    SetTint(s.tint);
    PutPic(s.x, s.y, s.w, s.h, s.mode,
           effect != 8       ? static_cast<const void*>(&s.colour)
           : s.plane.empty() ? nullptr
                             : s.plane.data());
    EXPECT_EQ(canvas.px, expect) << "iteration " << iter << " mode " << std::hex << s.mode;
    EXPECT_EQ(gPaintRowSkip | gPaintTintR | gPaintTintG | gPaintTintB, 0);
    if (s.mode < 0x0C) {
        // Mirrored copies keep the wave phase (a mirrored alpha draw without a
        // plane is one); it moves only when the picture got past the clip.
        bool advances = s.wave && s.mode != 1 && s.mode != 3 && !(s.mode == 9 && s.plane.empty());
        bool drawn = std::max(s.y, s.clip.top) < std::min(s.y + s.h, s.clip.top + s.clip.height) &&
                     std::max(s.x, s.clip.left) < std::min(s.x + s.w, s.clip.left + s.clip.width);
        EXPECT_EQ(gWavePhase, advances && drawn ? (s.phase + 1) % 33 : s.phase) << iter;
    }
    gPaintWave = 0;
    return canvas.px == expect;
}

TEST_P(Blitters, RunCodedModesMatchTheReferenceAndWhatItLeavesOut) {
    Canvas canvas(GetParam(), 11);
    std::mt19937 rng(77);
    const int modes = sizeof kFxModes / sizeof kFxModes[0];
    for (int iter = 0; iter < 60 * modes; ++iter)
        ASSERT_TRUE(DrawsAsTheReference(canvas, rng, kFxModes[iter % modes], iter));
    // Tint, blend, fade, grey, subtract, silhouette, marks, row skips, stretches
    // and skews, and their clipping, are checked pixel by pixel above; here what
    // the reference leaves out.
    Canvas c(k555);
    std::vector<u8> pic = SolidRle(1, 1, 0);
    gCurPic = pic.data();
    // A tint of nothing draws nothing (checked above) and keeps the wave phase.
    std::tie(gPaintWave, gWavePhase) = std::tuple(3, 7);
    PutPic(5, 5, 1, 1, 0x10, nullptr);
    EXPECT_EQ(gWavePhase, 7);
    gPaintWave = 0;
    // The shimmer takes its neighbours in turn and stays in the clip.
    std::vector<u8> row = SolidRle(17, 1, 1);
    gCurPic = row.data();
    for (i32 y = 99; y <= 101; ++y)
        for (i32 x = 0; x < 640; ++x) c.px[y * 640 + x] = static_cast<u16>(y * 1000 + x);
    std::vector<u16> start = c.px;
    gClipRect = {0, 0, 640, 480};
    gBlitDst = PaintPixelAddr(50, 100);
    std::tie(gBlitRows, gBlitCols, gBlitSkipRows, gBlitSkipCols, gBlitStride) =
        std::tuple(1, 17, 0, 0, gScreenPitch);
    RleShimmer(50, 100, 17, 1, nullptr);
    // Pixel n = i + 1 takes its left neighbour (already shifted) up to n = 4,
    // the one below up to 10, the one above up to 13, its right one up to 16,
    // then itself.
    const struct {
        i32 upTo, dy, dx;
    } from[] = {{4, 0, -1}, {10, 1, 0}, {13, -1, 0}, {16, 0, 1}, {17, 0, 0}};
    for (i32 i = 0, k = 0; i < 17; ++i) {
        k += i + 1 > from[k].upTo;
        const std::vector<u16>& src = k == 0 ? c.px : start;
        EXPECT_EQ(c.px[100 * 640 + 50 + i], src[(100 + from[k].dy) * 640 + 50 + i + from[k].dx])
            << i;
    }
    // At the clip's bottom edge the row below is not taken.
    gClipRect = {0, 0, 640, 101};
    std::vector<u16> now = c.px;
    RleShimmer(50, 100, 17, 1, nullptr);
    for (i32 i = 4; i < 10; ++i) EXPECT_EQ(c.px[100 * 640 + 50 + i], now[100 * 640 + 50 + i]) << i;
}

// Plain pictures: modes 0, 1, 4, 5, 8 and 0x14 at every alpha.
TEST_P(Blitters, PlainAndPalettedModesMatchTheReference) {
    Canvas canvas(GetParam(), 9);
    std::mt19937 rng(5);
    const i32 modes[] = {0, 1, 4, 5, 8, 0x14};
    u16 key = static_cast<u16>(gColorKey);
    for (int iter = 0; iter < 600; ++iter) {
        i32 w = 1 + rng() % 90, h = 1 + rng() % 70;
        i32 x = static_cast<i32>(rng() % 760) - 100, y = static_cast<i32>(rng() % 600) - 100;
        i32 mode = modes[iter % 6];
        i32 alpha = static_cast<i32>(rng() % 18);
        ClipRect clip = RandomClip(rng);
        std::vector<u16> src(static_cast<size_t>(w) * h);
        for (auto& v : src) v = rng() % 4 == 0 ? key : static_cast<u16>(rng());
        if (src[0] == 0xFFFF) src[0] = 0;

        std::vector<u16> expect = canvas.px;
        i32 effect = mode == 0x14 && alpha > 15 ? 0 : mode;
        bool draws = !(mode == 0x14 && alpha < 1);
        i32 vy0 = std::max(y, clip.top);
        for (i32 r = 0; r < h && draws; ++r)
            for (i32 c = 0; c < w; ++c) {
                i32 X = x + ((effect & 1) ? w - 1 - c : c), Y = y + r;
                if (X < clip.left || X >= clip.left + clip.width || Y < clip.top ||
                    Y >= clip.top + clip.height)
                    continue;
                u16 v = src[static_cast<size_t>(r) * w + c];
                u16& d = expect[static_cast<size_t>(Y) * 640 + X];
                // Mode 8 fades the first pixel's colour down the rows; the
                // keyed modes pass over the key.
                if (effect == 8)
                    d = BlendRef(src[0], d, 15 - (Y - vy0) / ((h >> 4) + 1));
                else if (!((effect == 4 || effect == 5 || effect == 0x14) && v == key))
                    d = effect == 0x14 ? BlendRef(v, d, alpha - 1) : v;
            }
        gClipRect = clip;
        gCurPic = src.data();
        gPaintAlpha = alpha;
        PutPic(x, y, w, h, mode, nullptr);
        ASSERT_EQ(canvas.px, expect) << "iteration " << iter << " mode " << mode;
        EXPECT_EQ(gPaintAlpha, 0);
    }

    // Paletted pictures map their indices; the keyed modes pass over index one.
    gClipRect = {0, 0, 640, 480};
    u16 pal[256];
    for (auto& p : pal) p = static_cast<u16>(rng());
    std::vector<u8> src(37 * 23);
    for (auto& v : src) v = static_cast<u8>(rng() % 5);
    gPaintPalette = pal;
    gCurPic = src.data();
    for (i32 mode : {0, 4, 1, 5}) {
        std::vector<u16> expect = PalettedRef(canvas.px, src.data(), 37, 23, 620, 100, mode, pal,
                                              mode & 4 ? 1 : 256, 256, 640);
        PutPic(620, 100, 37, 23, mode, nullptr);
        EXPECT_EQ(canvas.px, expect) << mode;
    }
}

TEST_P(Blitters, LineFiltersMatchTheChannelRulesAndNullLinesOrCountsBelowOneChangeNothing) {
    Canvas c(GetParam());
    std::mt19937 rng(31);
    for (int iter = 0; iter < 200; ++iter) {
        i32 n = static_cast<i32>(rng() % 40);
        std::vector<u16> px(n + 2), src(n + 2);
        for (auto& v : px) v = static_cast<u16>(rng());
        for (auto& v : src) v = static_cast<u16>(rng());
        i32 d[3];
        for (auto& v : d) v = static_cast<i32>(rng() % 81) - 40;
        // The filters on copies of the line, and what each must leave: channel
        // sums clamped to 0..31, a grey of a quarter of the sum, and single
        // channels that keep every other bit; the guard pixel past n survives.
        std::vector<std::vector<u16>> got(6, px), want(6, px);
        AdjustRGB(got[0].data(), n, d[0], d[1], d[2]);
        GreyLine(got[1].data(), n);
        AddLine(src.data(), got[2].data(), n);
        AdjustRed(got[3].data(), n, d[0]);
        AdjustGreen(got[4].data(), n, d[1]);
        AdjustBlue(got[5].data(), n, d[2]);
        for (i32 i = 0; i < n; ++i) {
            Rgb p = Split(px[i]), q = Split(src[i]);
            want[0][i] = Join(TintRef(p, d));
            want[1][i] = GreyRef(px[i]);
            want[2][i] = Join({Sat(p.r + q.r), Sat(p.g + q.g), Sat(p.b + q.b)});
            want[3][i] = (px[i] & ~gMaskR) | Join({Sat(p.r + d[0]), 0, 0});
            want[4][i] = (px[i] & ~gMaskG) | Join({0, Sat(p.g + d[1]), 0});
            want[5][i] = (px[i] & ~gMaskB) | Join({0, 0, Sat(p.b + d[2])});
        }
        ASSERT_EQ(got, want) << iter;
    }
    // Null lines and counts below one change nothing.
    u16 one = 0x4321, keep = 0x1234;
    AdjustRGB(nullptr, 5, 1, 1, 1);
    AdjustGreen(nullptr, 4, 1);
    AddLine(nullptr, &one, 1);
    AdjustRGB(&keep, 0, 5, 5, 5);
    AdjustRed(&keep, -3, 5);
    GreyLine(&keep, -1);
    EXPECT_EQ(std::pair(one, keep), std::pair(u16{0x4321}, u16{0x1234}));
}

TEST_P(Blitters, ZoomedModesMatchTheReferenceBadInputsAreSafeAndTablesAreKept) {
    Canvas canvas(GetParam(), 4);
    std::mt19937 rng(19);
    const i32 effects[] = {0x80, 0x84, 0x90, 0x94, 0xA4, 0xA8, 0xAC};
    const i32 scales[] = {512, 1024, 2048};
    for (int iter = 0; iter < 700; ++iter) {
        ZoomSetting s;
        s.mode = effects[iter % 7] | static_cast<i32>(rng() % 4);
        s.w = 1 + rng() % 60;
        s.h = 1 + rng() % 50;
        s.x = static_cast<i32>(rng() % 760) - 100;
        s.y = static_cast<i32>(rng() % 600) - 100;
        s.ax = static_cast<i32>(rng() % (s.w + 1));
        s.ay = static_cast<i32>(rng() % (s.h + 1));
        s.sx = rng() % 2 ? scales[rng() % 3] : 100 + static_cast<i32>(rng() % 3000);
        s.sy = rng() % 2 ? scales[rng() % 3] : 100 + static_cast<i32>(rng() % 3000);
        s.shear = rng() % 3 == 0 ? static_cast<i32>(rng() % 4097) - 2048 : 0;
        s.clip = RandomClip(rng);
        s.alpha = static_cast<i32>(rng() % 18) - 1;
        for (auto& t : s.tint) t = rng() % 2 ? static_cast<i32>(rng() % 63) - 31 : 0;
        std::vector<u8> pic = RandomRle(rng, s.w, s.h);
        std::vector<u16> expect = canvas.px;
        ZoomReference(expect, ReadRefPic(pic), s);

        gClipRect = s.clip;
        gCurPic = pic.data();
        SetZoomSkew(s.ax, s.ay, s.sx, s.sy, s.shear);
        gPaintAlpha = s.alpha;
        SetTint(s.tint);
        PutPic(s.x, s.y, s.w, s.h, s.mode, nullptr);
        EXPECT_EQ(canvas.px, expect) << "iteration " << iter << " mode " << std::hex << s.mode;
        // Zoomed draws leave the one-shot settings for the next call.
        EXPECT_EQ(std::pair(gPaintAlpha, gPaintTintR), std::pair(s.alpha, s.tint[0]));
    }
    //
    Canvas c(k565);
    std::vector<u16> before = c.px;
    std::vector<u8> pic = SolidRle(8, 8, 0x7C00);
    gCurPic = pic.data();
    // Scale 0 is stored as 1 and leaves at most one column of a wide picture.
    SetZoom(0, 0, 0, 1024);
    EXPECT_EQ(gZoomScaleX, 1);
    PutPic(10, 10, 8, 8, 0x80, nullptr);
    EXPECT_EQ(c.px, before);
    std::vector<u8> widePic = SolidRle(1500, 2, 0x1111);
    gCurPic = widePic.data();
    PutPic(10, 10, 1500, 2, 0x80, nullptr);
    i32 changed = 0;
    for (size_t i = 0; i < c.px.size(); ++i) changed += c.px[i] != before[i];
    EXPECT_EQ(changed, 2);
    // Huge scales are cut to the tables and the clip; negative ones draw nothing.
    c.px = before;
    gCurPic = pic.data();
    SetZoomSkew(3, 3, 1 << 30, 1 << 30, 1 << 20);
    PutPic(300, 200, 8, 8, 0x83, nullptr);
    SetZoom(3, 3, -2048, 1024);
    std::vector<u16> afterHuge = c.px;
    PutPic(300, 200, 8, 8, 0x80, nullptr);
    EXPECT_EQ(c.px, afterHuge);
    // Zero sizes, no picture, no buffer, a mode word outside the table.
    SetZoom(0, 0, 2048, 2048);
    PutPic(300, 200, 0, 8, 0x80, nullptr);
    PutPic(300, 200, 8, -1, 0x80, nullptr);
    gCurPic = nullptr;
    PutPic(300, 200, 8, 8, 0x80, nullptr);
    gBlitTable[0x80](300, 200, 8, 8, nullptr);
    EXPECT_EQ(c.px, afterHuge);
    gCurPic = pic.data();
    gPaintBuf = nullptr;
    PutPic(300, 200, 8, 8, 0x80, nullptr);
    gPaintBuf = c.px.data();
    // A zoomed silhouette is black whatever the colour word says.
    u32 colour = 0xFFFFFFFF;
    PutPic(100, 100, 8, 8, 0xA4, &colour);
    EXPECT_EQ(c.px[100 * 640 + 100], 0);
    // Eight-bit pictures go through the palette.
    Canvas p8(k555);
    u8 src8[4 * 3] = {0, 1, 2, 3, 4, 1, 1, 5, 6, 7, 8, 9};
    std::vector<u8> pic8 = RleBytes(src8, 4, 3, 8);
    u16 pal[256];
    for (i32 i = 0; i < 256; ++i) pal[i] = static_cast<u16>(1000 + i);
    gCurPic = pic8.data();
    gPaintPalette = pal;
    SetClip(0, 0, 639, 480);
    for (i32 mode : {0xC0, 0xC1, 0xC2, 0xC3}) {
        std::fill(p8.px.begin(), p8.px.end(), 0);
        PutPic(636, 10, 4, 3, mode, nullptr);
        EXPECT_EQ(p8.px, PalettedRef(std::vector<u16>(640 * 480), src8, 4, 3, 636, 10, mode, pal, 1,
                                     3, 639))
            << mode;
    }
    gPaintPalette = nullptr;
    // The zoom tables are kept between draws: scales that come back are not
    // rebuilt, however many a frame has.
    std::mt19937 crowdRng(22);
    std::vector<u8> crowdPic = RandomRle(crowdRng, 16, 16);
    gCurPic = crowdPic.data();
    // A crowd of 300 standing at as many depths, drawn in turn each frame: the
    // first frame builds a table for each, the still frames after it none, and
    // one person stepping to a new depth one.
    std::vector<i32> crowd;
    for (i32 k = 0; k < 300; ++k) crowd.push_back(600 + 3 * k);
    auto frames = [&](int n) {
        u32 before = ZoomTablesBuilt();
        for (int frame = 0; frame < n; ++frame)
            for (i32 scale : crowd)
                SetZoom(8, 16, scale, scale), PutPic(100, 100, 16, 16, 0x80, nullptr);
        return ZoomTablesBuilt() - before;
    };
    EXPECT_EQ((std::pair{frames(1), frames(20)}), std::pair(300u, 0u));
    crowd[150] = 2000;
    EXPECT_EQ(frames(20), 1u);
    // Shear tables are kept the same way.
    u32 built = ZoomTablesBuilt();
    for (int frame = 0; frame < 20; ++frame)
        for (i32 shear : {-300, 300}) SetZoomSkew(8, 16, 1024, 1024, shear);
    EXPECT_EQ(std::pair(ZoomTablesBuilt() - built, gZoomShearTable[1000]),
              std::pair(2u, 1000 * 300 / 1024));
}

INSTANTIATE_TEST_SUITE_P(Layouts, Blitters, ::testing::Values(k565, k555),
                         [](const auto& info) { return std::string(info.param.name); });

// The copy, additive and alpha blitters in each lane width (scalar, SSE2,
// AVX2) on rows that break the format.

void Put(std::vector<u8>& b, u16 v) {
    b.insert(b.end(), {static_cast<u8>(v), static_cast<u8>(v >> 8)});
}

// A lane width and its name.
struct Lanes {
    BlitLanes lanes;
    const char* name;
};
void PrintTo(const Lanes& l, std::ostream* os) {
    *os << l.name;
}
using Case = std::tuple<Lanes, Layout>;
class LaneWidths : public ::testing::TestWithParam<Case> {};

// Random pictures, with literal runs of many lengths at odd and even starts,
// drawn plain and mirrored, whole and cut by the clip.
TEST_P(LaneWidths, RunsAndRowsPastTheWidthMatchTheReference) {
    Canvas canvas(std::get<1>(GetParam()), 3);
    BlitLanes lanes = std::get<0>(GetParam()).lanes;
    if (SetBlitLanes(lanes) != lanes) GTEST_SKIP() << "the processor lacks these lanes";
    std::mt19937 rng(11);
    for (int iter = 0; iter < 600; ++iter)
        ASSERT_TRUE(DrawsAsTheReference(canvas, rng, (iter % 3) * 4 + iter / 3 % 2, iter));

    // Rows that break the format: a literal run past the width, a literal run
    // cut by the width after a key run, a key word of count 0 (it ends the row),
    // and a last row without its closing word, the buffer ending at its last
    // pixel. Only the picture's rectangle changes, and only by the pixels in it.
    constexpr i32 w = 20, h = 4;
    RefPic ref{w, h, std::vector<Px>(w * h, Px::Key1), std::vector<u16>(w * h)};
    std::vector<u8> bytes;
    for (u16 v : {0xFFFF, w, h, 0x8010}) Put(bytes, static_cast<u16>(v));
    // Each row: (kind word, literal count or key length) pairs.
    const std::vector<std::pair<u16, i32>> rows[h] = {
        {{0, 30}},
        {{0xC000, 15}, {0, 10}},
        {{0, 5}, {0xC000, 0}, {0, 5}},
        {{0, 20}},
    };
    for (i32 r = 0; r < h; ++r) {
        size_t start = bytes.size();
        Put(bytes, 0);
        i32 col = 0;
        bool ended = false;
        for (auto [kind, n] : rows[r]) {
            Put(bytes, static_cast<u16>(kind | n));
            if (kind != 0 && n == 0) ended = true;
            for (i32 i = 0; kind == 0 && i < n; ++i) {
                u16 v = static_cast<u16>(1000 * (r + 1) + 37 * col + i);
                Put(bytes, v);
                if (!ended && col + i < w)
                    std::tie(ref.kind[r * w + col + i], ref.value[r * w + col + i]) =
                        std::tuple(Px::Lit, v);
            }
            col += n;
        }
        if (r + 1 < h) Put(bytes, 0);
        StoreU16(&bytes[start], static_cast<u16>(bytes.size() - start));  // the row's length
    }
    std::vector<u8> plane(w * h, 40);
    // Whole, and cut on the left so that the walk starts inside the row.
    for (const ClipRect& c : {ClipRect{0, 0, 640, 480}, ClipRect{13, 0, 600, 480}})
        for (i32 mode : {0, 1, 4, 5, 8, 9}) {
            Setting s{.x = 10, .y = 10, .w = w, .h = h, .mode = mode, .clip = c, .plane = plane};
            std::vector<u16> expect = canvas.px;
            Reference(expect, ref, s);
            std::vector<u8> pic = bytes;  // exactly as long as the picture
            gClipRect = c;
            gCurPic = pic.data();
            PutPic(10, 10, w, h, mode, plane.data());
            ASSERT_EQ(canvas.px, expect) << "mode " << mode << " left " << c.left;
        }
}

std::string CaseName(const ::testing::TestParamInfo<Case>& info) {
    return std::string(std::get<0>(info.param).name) + "_" + std::get<1>(info.param).name;
}

INSTANTIATE_TEST_SUITE_P(Widths, LaneWidths,
                         ::testing::Combine(::testing::Values(Lanes{BlitLanes::kScalar, "Scalar"},
                                                              Lanes{BlitLanes::kSse2, "Sse2"},
                                                              Lanes{BlitLanes::kAvx2, "Avx2"}),
                                            ::testing::Values(k565, k555)),
                         CaseName);

// Draw modes of the copy, mirror, flip, additive, alpha, blend, silhouette,
// grey and subtractive blitters.
constexpr i32 kModes[] = {0, 1, 2, 3, 4, 8, 0x14, 0x24, 0x28, 0x2C};
constexpr i32 kWindow = 40;

TEST(PutPic, BadModesSettingsOddPicturesTilesClipsAndOtherSizes) {
    Canvas c(k565);
    std::vector<u8> rle = SolidRle(8, 8, 0x1234);
    std::vector<u16> plain(64, 0x1234);
    std::vector<u16> before = c.px;
    for (const void* pic :
         {static_cast<const void*>(rle.data()), static_cast<const void*>(plain.data())}) {
        for (u32 mode : {0x42u, 0x1Du, 0x100u, 0xFFFFu, 0x3FFFFFFCu, 0x7Fu, 0x40u, 0x44u}) {
            gCurPic = pic;
            gPaintTintR = 3;
            PutPic(10, 10, 8, 8, static_cast<i32>(mode), nullptr);
            EXPECT_EQ(c.px, before) << std::hex << mode;
        }
    }
    // Past the mode checks the settings are used up even though nothing drew.
    gPaintTintR = 3;
    PutPic(10, 10, 8, 8, 0x1D, nullptr);
    EXPECT_EQ(gPaintTintR, 0);
    u8 idx[4] = {5, 6, 7, 8};
    std::vector<u8> eight = RleBytes(idx, 4, 1, 8);
    gCurPic = eight.data();
    PutPic(0, 0, 4, 1, 0, nullptr);
    EXPECT_EQ(c.px, before);
    // Waves above fifteen are off, settings are reset, and odd pictures.
    Canvas c5(k555);
    std::vector<u16> expect = c5.px;
    for (i32 r = 0; r < 8; ++r)
        for (i32 x = 0; x < 8; ++x) expect[(20 + r) * 640 + 30 + x] = 0x1234;
    gCurPic = rle.data();
    std::tie(gPaintWave, gWavePhase) = std::tuple(99, 5);
    PutPic(30, 20, 8, 8, 0, nullptr);
    EXPECT_EQ(std::pair(c5.px, gWavePhase), std::pair(expect, 5));
    std::tie(gPaintAlpha, gPaintRowSkip, gPaintSkew, gPaintScaleH) = std::tuple(5, 1, 3, 9);
    PutPic(0, -50, 8, 8, 0, nullptr);
    EXPECT_EQ(gPaintAlpha | gPaintRowSkip | gPaintSkew | gPaintScaleH, 0);
    // Odd pictures.
    Canvas o(k565);
    // A plain picture starting with 0xFFFF: header-like, wrong size for 4x2.
    std::vector<u16> px = {0xFFFF, 7, 7, 16, 5, 6, 7, 8};
    gCurPic = px.data();
    PutPic(0, 0, 4, 2, 0, nullptr);
    EXPECT_EQ(std::vector<u16>(o.px.begin(), o.px.begin() + 4),
              std::vector<u16>(px.begin(), px.begin() + 4));
    EXPECT_EQ(o.px[640 + 3], 8);
    // Claim three rows of a one-row picture; the zero word after the first ends it.
    std::vector<u8> cut = SolidRle(2, 1, 9);
    cut[4] = 3;
    u16 below = o.px[2 * 640 + 10];
    gCurPic = cut.data();
    PutPic(10, 1, 2, 3, 0, nullptr);
    EXPECT_EQ(std::pair(o.px[640 + 10], o.px[2 * 640 + 10]), std::pair(u16{9}, below));
    // Tiles, line blends and the clip set-up.
    Canvas c3(k555);
    u16 tile[256];
    for (int i = 0; i < 256; ++i) tile[i] = static_cast<u16>(i == 5 ? 619 : i);
    gCurPic = tile;
    PutTile16(16, 32);
    EXPECT_EQ(std::pair(c3.px[32 * 640 + 16 + 5], c3.px[47 * 640 + 31]),
              std::pair(u16{619}, u16{255}));
    c3.px[32 * 640 + 16 + 5] = 1;
    PutTile16Key(16, 32);
    EXPECT_EQ(c3.px[32 * 640 + 16 + 5], 1);
    u16 pal[256];
    for (int i = 0; i < 256; ++i) pal[i] = static_cast<u16>(1000 + i);
    u8 t8[256];
    for (int i = 0; i < 256; ++i) t8[i] = static_cast<u8>(i % 3);
    gPaintPalette = pal;
    gCurPic = t8;
    PutTile8Key(0, 0);  // index 1 is the key
    EXPECT_EQ(std::pair(c3.px[0], c3.px[1] == 1001), std::pair(u16{1000}, false));
    PutTile8(0, 0);
    EXPECT_EQ(c3.px[1], 1001);
    u32 line[2] = {0x7FFF7FFF, 0};
    BlendLineToColor(line, MakeColor(0, 0, 0), 4);
    EXPECT_EQ(std::pair(line[0] & 31, line[1]), std::pair(15u + 3 + 1, 0u));
    // The clip set-up.
    SetClip(-5, -5, 700, 500);
    EXPECT_EQ(std::tuple(gClipRect.left, gClipRect.width, gClipRect.height),
              std::tuple(0, 640, 480));
    i32 bad[4] = {-1, 0, 10, 10}, good[4] = {10, 20, 30, 60};
    EXPECT_EQ((std::pair{SetClipRect(bad), gClipRect.width}), std::pair(0, 640));
    EXPECT_EQ((std::pair{SetClipRect(good), gClipRect.height}), std::pair(1, 40));
    std::vector<u32> rows(4000);
    SetPaintTarget(10, 4000, 20, rows.data());  // capped at the row table
    EXPECT_EQ(gClipRect.height, kRowOffsetCount);
    // Cropped by a column, cut by a row or grown: drawn plainly, the literal pixels
    // of a run-coded picture, read from its runs by the test, land where they
    // belong and never its header words; the rest of the screen keeps its colour.
    // Drawn every other way into the corners of a window, nothing lands outside
    // it, and no draw reads outside the picture (the sanitizer build checks the
    // reads).
    const i32 pw = 19, ph = 5;
    std::vector<u16> ownPx(static_cast<size_t>(pw) * ph);
    for (size_t i = 0; i < ownPx.size(); ++i) ownPx[i] = static_cast<u16>(0x0100 + i);
    ownPx[3] = 619;  // a transparent pixel
    const std::vector<u8> own = RleBytes(ownPx.data(), pw, ph);
    const u8* ownRle = own.data();
    RefPic ref = ReadRefPic(own);
    // The alpha plane has the picture's own rows (all opaque here).
    std::unique_ptr<u8[]> plane(new u8[static_cast<size_t>(pw) * ph]);
    std::fill(plane.get(), plane.get() + pw * ph, 0xFF);
    static u32 silhouette = 0x1234;  // the colour word is read as 32 bits
    for (i32 w = 1; w <= pw + 2; ++w)
        for (i32 h = 1; h <= ph + 2; ++h) {
            SCOPED_TRACE(testing::Message() << w << "x" << h);
            Canvas c(k565);
            std::fill(c.px.begin(), c.px.end(), 0x7777);
            gCurPic = ownRle;
            PutPic(10, 20, w, h, 0, nullptr);
            for (i32 y = 0; y < ph + 3; ++y)
                for (i32 x = 0; x < pw + 4; ++x) {
                    bool inside = x < std::min(w, pw) && y < std::min(h, ph);
                    size_t k = static_cast<size_t>(y) * pw + x;
                    u16 want = inside && ref.kind[k] == Px::Lit ? ref.value[k] : 0x7777;
                    ASSERT_EQ(c.px[static_cast<size_t>(20 + y) * 640 + 10 + x], want)
                        << x << "," << y;
                }
            SetClip(0, 0, kWindow, kWindow);
            const std::vector<u16> start = c.px;
            for (i32 mode : kModes)
                for (bool farCorner : {false, true}) {
                    gCurPic = ownRle;
                    gPaintAlpha = 8;
                    const void* extra = mode == 0x24 ? static_cast<const void*>(&silhouette)
                                        : mode == 8  ? static_cast<const void*>(plane.get())
                                                     : nullptr;
                    PutPic(farCorner ? kWindow - w : 0, farCorner ? kWindow - h : 0, w, h, mode,
                           extra);
                }
            for (i32 y = 0; y < 480; ++y)
                for (i32 x = y < kWindow ? kWindow : 0; x < 640; ++x)
                    ASSERT_EQ(c.px[y * 640 + x], start[y * 640 + x]) << x << "," << y;
        }
    // Drawn wider, the blend still reads its own row of the plane and nothing
    // past it.
    Canvas wide(k565);
    gCurPic = ownRle;
    PutPic(10, 20, pw + 2, ph, 8, plane.get());
    size_t last = static_cast<size_t>(ph - 1) * pw + pw - 1;
    EXPECT_EQ(wide.px[static_cast<size_t>(20 + ph - 1) * 640 + 10 + pw - 1], ref.value[last]);
}

// A picture from a mask: '#' a pixel of colour v, '.' the first key.
std::vector<u8> FromMask(const std::vector<std::string>& rows, u16 v) {
    i32 w = static_cast<i32>(rows[0].size()), h = static_cast<i32>(rows.size());
    std::vector<u16> px;
    for (const auto& r : rows)
        for (char ch : r) px.push_back(ch == '#' ? v : 619);
    return RleBytes(px.data(), w, h);
}

struct MapHolder {
    u8* map;
    explicit MapHolder(const void* pic) : map(MakeAntiAliasMap(pic)) {}
    ~MapHolder() { MH_FREE(map); }
    u8 At(i32 w, i32 x, i32 y) const { return AntiAliasLevels(map)[y * w + x]; }
};

// The edge level from the diamond rule, straight from the mask.
i32 LevelRef(const std::vector<std::string>& rows, i32 x, i32 y) {
    i32 h = static_cast<i32>(rows.size()), w = static_cast<i32>(rows[0].size()), k = 0;
    for (i32 dy = -2; dy <= 2; ++dy)
        for (i32 dx = -2; dx <= 2; ++dx) {
            i32 xx = x + dx, yy = y + dy;
            if (std::abs(dx) + std::abs(dy) > 2 || xx < 0 || yy < 0 || xx >= w || yy >= h) continue;
            k += rows[yy][xx] == '.';
        }
    return 15 - k;
}

// The blend of an edge level from its table of source and screen terms: levels
// 9-14 take s/8, s/4, s/4 + s/8, s/2 + s/16, s/2 + s/8 + s/16 and s/2 + s/4 +
// s/16, and the screen the other terms, a blend of 2, 4, 6, 9, 11 and 13
// sixteenths.
u16 EdgeRef(u16 s, u16 d, i32 m) {
    static const int kLevels[6] = {2, 4, 6, 9, 11, 13};
    return m <= 8 ? d : m >= 15 ? s : BlendRef(s, d, kLevels[m - 9]);
}

TEST(AntiAlias, EdgeLevelsFollowTheDiamondDrawingBlendsByLevelAndLinesStepAndClip) {
    Canvas c(k565);
    std::mt19937 rng(2);
    // The scratch copy must not depend on the screen's clip, the wave or the
    // picture's size against the screen.
    SetClip(300, 300, 310, 310);
    gPaintWave = 5;
    for (int iter = 0; iter < 30; ++iter) {
        i32 w = 1 + rng() % 20, h = 1 + rng() % 20;
        if (iter == 0) w = 900;  // wider than the screen
        std::vector<std::string> rows(h, std::string(w, '#'));
        for (auto& r : rows)
            for (auto& ch : r)
                if (rng() % 4 == 0) ch = '.';
        std::vector<u8> pic = FromMask(rows, 0x1234);
        MapHolder m(pic.data());
        ASSERT_NE(m.map, nullptr);
        for (i32 y = 0; y < h; ++y)
            for (i32 x = 0; x < w; ++x)
                ASSERT_EQ(m.At(w, x, y), LevelRef(rows, x, y)) << iter << " " << x << "," << y;
    }
    EXPECT_EQ((std::tuple{gPaintWave, MakeAntiAliasMap(nullptr), gClipRect.left, gPaintBuf,
                          gRowOffsets[5]}),
              std::tuple(5, static_cast<u8*>(nullptr), 300, c.px.data(), 5u * 1280));
    Canvas dc(k555);
    std::vector<std::string> shape = {".....", "..#..", "..#..", "..#..", "..#..", "..#..",
                                      ".....", "#####", "#####", "#####", "#####", "#####"};
    std::vector<u8> spic = FromMask(shape, 0x7FFF);
    MapHolder sm2(spic.data());
    // A thin line: 8 transparent pixels in the diamond, level 7, not drawn.
    EXPECT_EQ(sm2.At(5, 2, 3), 7);
    SetAntiAliasMap(sm2.map);
    for (i32 X : {100, -2, 637})
        for (i32 Y : {100, -3, 470}) {
            std::vector<u16> want = dc.px;
            for (i32 y = 0; y < 12; ++y)
                for (i32 x = 0; x < 5; ++x) {
                    i32 sx = X + x, sy = Y + y;
                    if (sx < 0 || sy < 0 || sx > 639 || sy > 479 || shape[y][x] == '.') continue;
                    u16& d = want[sy * 640 + sx];
                    d = EdgeRef(0x7FFF, d, LevelRef(shape, x, y));
                }
            ASSERT_EQ((std::pair{PutPicAntiAlias(X, Y, spic.data()), dc.px}), std::pair(1, want))
                << X << "," << Y;
        }
    // Level 12: s/2 + s/16 over a black screen.
    std::vector<std::string> one = {"#####", "#####", "#####", "#####", "####."};
    std::vector<u8> p1 = FromMask(one, 0x7FFF);
    MapHolder m1(p1.data());
    SetAntiAliasMap(m1.map);
    std::fill(dc.px.begin(), dc.px.end(), 0);
    PutPicAntiAlias(0, 0, p1.data());
    // Level 14: s/2 + s/4 + s/16; inside, the picture's own colour.
    EXPECT_EQ(std::pair(Split(dc.px[3 * 640 + 4]).r, int{dc.px[0]}), std::pair(15 + 7 + 1, 0x7FFF));
    // Results for bad inputs.
    Canvas bc(k565);
    std::vector<std::string> square(4, "####");
    std::vector<u8> sq = FromMask(square, 1);
    std::vector<u8> other = FromMask({"###", "###"}, 1);
    MapHolder sm(sq.data()), mo(other.data());
    std::vector<u8> eight = sq;
    eight[6] = 8;
    // No picture, an eight-bit one, one off the screen, and a map of another
    // picture or none are refused and change nothing.
    std::vector<u16> before = bc.px;
    const struct {
        i32 x, y;
        const u8* pic;
        const u8* map;
        int result;
    } bad[] = {{0, 0, nullptr, sm.map, -1},     {0, 0, eight.data(), sm.map, -2},
               {640, 0, sq.data(), sm.map, -3}, {-4, 0, sq.data(), sm.map, -3},
               {0, 480, sq.data(), sm.map, -3}, {0, 0, sq.data(), mo.map, -4},
               {0, 0, sq.data(), nullptr, -4}};
    for (const auto& b : bad) {
        SetAntiAliasMap(b.map);
        EXPECT_EQ(PutPicAntiAlias(b.x, b.y, b.pic), b.result) << b.x << "," << b.y;
    }
    EXPECT_EQ(bc.px, before);
    SetAntiAliasMap(sm.map);
    EXPECT_EQ((std::pair{PutPicAntiAlias(600, 0, sq.data()), int{bc.px[603]}}), std::pair(1, 1));
    // Lines: the closed form equals the error-term walk of the rule, clipped.
    for (int iter = 0; iter < 200; ++iter) {
        i32 x0 = static_cast<i32>(rng() % 800) - 80, y0 = static_cast<i32>(rng() % 600) - 60;
        i32 x1 = static_cast<i32>(rng() % 800) - 80, y1 = static_cast<i32>(rng() % 600) - 60;
        ClipRect clip = RandomClip(rng);
        std::vector<u16> expect(640 * 480, 0);
        i32 dx = std::abs(x1 - x0), dy = std::abs(y1 - y0), sx = x1 >= x0 ? 1 : -1,
            sy = y1 >= y0 ? 1 : -1;
        i32 x = x0, y = y0, e = 0;
        auto put = [&] {
            if (x >= clip.left && x < clip.left + clip.width && y >= clip.top &&
                y < clip.top + clip.height)
                expect[y * 640 + x] = 9;
        };
        // The longer axis steps every pixel, the other when the error turns positive.
        bool steep = dx <= dy;
        i32 &major = steep ? y : x, &minor = steep ? x : y, n = std::max(dx, dy),
            m = std::min(dx, dy), sMajor = steep ? sy : sx, sMinor = steep ? sx : sy;
        for (i32 i = 0; i <= n; ++i, major += sMajor) {
            put();
            e += m;
            if (e > 0) minor += sMinor, e -= n;
        }
        std::fill(bc.px.begin(), bc.px.end(), 0);
        gClipRect = clip;
        DrawLine(x0, y0, x1, y1, 0, 9);
        ASSERT_EQ(bc.px, expect) << iter;
    }
    // Lines far outside do not hang or write.
    gClipRect = {0, 0, 640, 480};
    std::fill(bc.px.begin(), bc.px.end(), 0);
    DrawLine(-2000000000, -5, 2000000000, 5, 0, 1);
    DrawLine(-2000000000, -2000000000, -1000000000, 2000000000, 0, 1);
    EXPECT_EQ(std::count(bc.px.begin(), bc.px.end(), u16{1}), 640);
}

// The first n floats of v are near the wanted ones.
void ExpectNear(const float* v, std::vector<float> want) {
    for (size_t i = 0; i < want.size(); ++i) EXPECT_NEAR(v[i], want[i], 1e-5) << i;
}

TEST(GrpEft, ParticlesLinesZoomsCopiesAllocationFailuresAndTheMatrixMath) {
    cGrpEft e;
    // Direction, steps, where it ends and how far off that may be: a diagonal
    // steps both axes; tan 27 = 0.51 gives about one y step for two x steps, and
    // past 180 degrees the particle climbs; 63 about two y steps for one x step.
    const struct {
        int dir, steps, x, y, slackX, slackY;
    } walks[] = {{45, 10, 10, 10, 0, 0},
                 {270, 7, 0, -7, 0, 0},
                 {207, 100, -100, -51, 0, 1},
                 {63, 100, 51, 100, 1, 0}};
    for (const auto& w : walks) {
        Particle p;
        p.dir = w.dir;
        for (int i = 0; i < w.steps; ++i) e.StepParticle(p);
        EXPECT_NEAR(p.x, w.x, w.slackX) << w.dir;
        EXPECT_NEAR(p.y, w.y, w.slackY) << w.dir;
    }
    // The line walker visits every point once.
    std::vector<std::pair<int, int>> pts;
    int n = WalkLine(0, 0, 5, 2, [&](int x, int y) { pts.emplace_back(x, y); });
    EXPECT_EQ(std::tuple(n, pts.front(), pts.back()),
              std::tuple(6, std::pair(0, 0), std::pair(5, 2)));
    for (size_t i = 1; i < pts.size(); ++i) {
        EXPECT_LE(std::max(std::abs(pts[i].first - pts[i - 1].first),
                           std::abs(pts[i].second - pts[i - 1].second)),
                  1);
    }
    EXPECT_EQ(
        std::pair(WalkLine(3, 3, 3, 3, [](int, int) {}), WalkLine(0, 9, 0, 0, [](int, int) {})),
        std::pair(1, 10));
    // The work buffer zooms out of its middle row.
    e.SetTarget(8, 8);
    ASSERT_EQ(e.AllocWork(8, 8), 1);
    for (int r = 0; r < 8; ++r)
        for (int c = 0; c < 8; ++c) e.Work()[r * 8 + c] = static_cast<u16>(r + 1);
    std::vector<u16> t(64, 0);
    e.DrawWorkZoomed(t.data(), 2048);  // twice as tall: rows 0..7 show work rows 2..5
    EXPECT_EQ(std::tuple(t[4 * 8], t[0], t[7 * 8]), std::tuple(5, 3, 6));
    cGrpEft c;
    c.SetSource(4, 4);
    c.SetTarget(16, 8);
    std::vector<u16> src(16);
    for (int i = 0; i < 16; ++i) src[i] = static_cast<u16>(i + 1);
    std::vector<u16> dst(16 * 8, 0);
    c.ScaleCopy(dst.data(), src.data(), 1, 1, 512, 512);  // doubled
    EXPECT_EQ(std::tuple(dst[1 * 16 + 1], dst[1 * 16 + 2], dst[1 * 16 + 3], dst[2 * 16 + 1],
                         dst[3 * 16 + 1]),
              std::tuple(1, 1, 2, 1, 5));
    EXPECT_EQ(dst[1 * 16 + 9], 0) << "the source ends after 4 columns = 8 target columns";
    std::fill(dst.begin(), dst.end(), 0);
    src[5] = 0x026B;
    c.ScaleCopyKeyed(dst.data(), src.data(), 14, 6, 1024, 1024, 0x026B);
    EXPECT_EQ(std::pair(dst[6 * 16 + 14], dst[7 * 16 + 15]), std::pair(u16{1}, u16{0}))
        << "the key colour is skipped";
    c.SetArea(-4, 2, 10, 100);
    EXPECT_EQ(std::tuple(c.AreaLeft(), c.AreaRight(), c.AreaTop(), c.AreaBottom()),
              std::tuple(0, 6, 0, 8));
    // One picture drawn into a given buffer stays inside the area.
    ResetPaint();
    std::vector<u16> canvas(640 * 2);
    gPaintBuf = canvas.data();
    const ClipRect clip = gClipRect;
    cGrpEft pe;
    pe.SetTarget(16, 8);
    std::vector<u16> pic(4 * 3);
    for (int i = 0; i < 12; ++i) pic[i] = static_cast<u16>(100 + i);
    std::vector<u16> out(16 * 8, 0);
    // At (14, 6) only the picture's top-left 2 x 2 lies inside the 16 x 8 target.
    pe.DrawPicture(out.data(), pic.data(), 14, 6, 4, 3, 0);
    std::vector<u16> want(16 * 8, 0);
    std::tie(want[6 * 16 + 14], want[6 * 16 + 15], want[7 * 16 + 14], want[7 * 16 + 15]) =
        std::tuple(100, 101, 104, 105);
    EXPECT_EQ(out, want);
    // An area of columns 0..5 cuts a picture at (4, 0) after two columns.
    std::fill(out.begin(), out.end(), 0);
    pe.SetArea(0, 0, 6, 8);
    pe.DrawPicture(out.data(), pic.data(), 4, 0, 4, 3, 0);
    EXPECT_EQ(std::tuple(out[2 * 16 + 5], out[2 * 16 + 6]), std::tuple(109, 0));
    // The paint target is left as it was.
    EXPECT_EQ(std::tuple(gPaintBuf, gClipRect.width, gClipRect.height, PaintPixelAddr(0, 1)),
              std::tuple(canvas.data(), clip.width, clip.height, canvas.data() + gScreenPitch / 2));
    ResetPaint();
    // A particle allocation failure is reported once.
    PlatformReset();
    cGrpEft ae;
    Particle part{.life = 2, .colour = 9};
    EXPECT_EQ(ae.particle_put(part), 1);
    std::vector<u16> tgt(640 * 480, 0);
    ae.DrawParticles(tgt.data());
    EXPECT_EQ(tgt[0], 9);
    SetParticleAllocator([](int) -> void* { return nullptr; });
    EXPECT_EQ((std::pair{ae.particle_put(part), ae.particle_put(part)}), std::pair(0, 0));
    SetParticleAllocator(nullptr);
    EXPECT_EQ(PlatformRecordedBoxes().size(), 1u);
    for (int left : {1, 0}) {
        ae.UpdateParticles();
        EXPECT_EQ(ae.ParticleCount(), left);
    }
    PlatformReset();
    // The matrix math: products, rotations and normalising.
    float ma[16], mb[16], mc[16], mout[4];
    const float mv[4] = {1, 1, 1, 1}, mx[4] = {1, 0, 0, 1};
    MatTranslation(ma, 1, 2, 3);
    VecMulMat(mv, ma, mout);
    ExpectNear(mout, {2, 3, 4, 1});
    MatTranspose(ma, mb);
    MatMulVec(mb, mv, mout);
    ExpectNear(mout, {2, 3, 4, 1});
    // A quarter turn about z takes x to y; then moved by (1, 2, 3).
    MatRotation(mb, 3.14159265f / 2, 2);
    VecMulMat(mx, mb, mout);
    ExpectNear(mout, {0, 1, 0, 1});
    MatMul(mb, ma, mc);
    VecMulMat(mx, mc, mout);
    ExpectNear(mout, {1, 3, 3, 1});
    MatMul(mc, mc, mc);  // in place: (1, 3, 3) turned to (-3, 1, 3), then moved
    VecMulMat(mx, mc, mout);
    ExpectNear(mout, {-2, 3, 6, 1});
    MatCopy(ma, mb);
    MatScale(mb, 2);
    EXPECT_FLOAT_EQ(mb[12], 2);
    float mn[3] = {3, 0, 4}, mz[3] = {0, 0, 0};
    normalize_3(mn);
    normalize_3(mz);
    ExpectNear(mn, {0.6f, 0, 0.8f});
    ExpectNear(mz, {0, 0, 0});
}

}  // namespace
