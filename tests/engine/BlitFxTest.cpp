// Run-coded effect modes 0x0C-0x2D against per-pixel references written from
// their drawing rules, over random pictures, positions, clips, mirror and
// flip, waves, scales and skews; plus their edge values.
#include "BlitRef.h"
#include "engine/RleBlitFx.h"

namespace {

using namespace blit_ref;

Rgb TintRef(Rgb c, const i32 t[3]) {
    return {Sat(c.r + t[0]), Sat(c.g + t[1]), Sat(c.b + t[2])};
}
u16 GreyRef(u16 d) {
    Rgb c = Split(d);
    i32 v = (c.r + c.g + c.b) / 4;
    return Join({v, v, v});
}
u16 SubRef(u16 s, u16 d, const i32 t[3]) {
    Rgb a = TintRef(Split(s), t), b = Split(d);
    return Join({Sat(b.r - a.r), Sat(b.g - a.g), Sat(b.b - a.b)});
}

struct FxSetting {
    i32 x, y, w, h, mode;
    ClipRect clip;
    i32 wave = 0, phase = 0, rowSkip = 0, alpha = 0, scaleH = 0, skew = 0;
    i32 tint[3] = {0, 0, 0};
    u32 colour = 0;
};

// One drawn row: its screen row, picture row, sideways shift and walk index.
struct DrawnRow {
    i32 Y, r, shift, i;
};

// Which screen rows show which picture rows, from the clip and scale rules.
std::vector<DrawnRow> RowPlan(const FxSetting& s) {
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

void FxReference(std::vector<u16>& c, const RefPic& p, const FxSetting& s) {
    i32 effect = s.mode & ~3;
    bool mirror = s.mode & 1;
    if (effect == 0x10 && !s.tint[0] && !s.tint[1] && !s.tint[2]) return;
    if (effect == 0x14 && s.alpha < 1) return;
    const ClipRect& k = s.clip;
    i32 phase = (std::max(s.y, k.top) + 480) % 3;
    i32 band = (s.h + 16) >> 4;
    u16 mark = static_cast<u16>(gGreenPair);
    for (const DrawnRow& row : RowPlan(s)) {
        if (effect == 0x2C && s.rowSkip && (phase + row.i + 1) % 3 == 0) continue;
        i32 level = effect == 0x1C ? 15 - (row.r + 1) / band : std::min(s.alpha, 15);
        auto screenX = [&](i32 col) { return s.x + row.shift + (mirror ? p.w - 1 - col : col); };
        auto visible = [&](i32 col) {
            i32 X = screenX(col);
            return col >= 0 && col < p.w && X >= k.left && X < k.left + k.width &&
                   p.kind[static_cast<size_t>(row.r) * p.w + col] == Px::Lit;
        };
        for (i32 col = 0; col < p.w; ++col) {
            if (!visible(col)) continue;
            u16 v = p.value[static_cast<size_t>(row.r) * p.w + col];
            u16& d = c[static_cast<size_t>(row.Y) * 640 + screenX(col)];
            switch (effect) {
                case 0x0C:
                case 0x10:
                    d = Join(TintRef(Split(d), s.tint));
                    break;
                case 0x14:
                case 0x1C:
                    d = BlendRef(v, d, level);
                    break;
                case 0x18:
                    d = !visible(col - 1) || !visible(col + 1) ? mark : v;
                    break;
                case 0x20:
                    d = AddRef(v, d, s.tint[0], s.tint[1], s.tint[2]);
                    break;
                case 0x24:
                    d = static_cast<u16>(s.colour);
                    break;
                case 0x28:
                    d = GreyRef(d);
                    break;
                case 0x2C:
                    d = SubRef(v, d, s.tint);
                    break;
            }
        }
    }
}

const i32 kFxModes[] = {0x0C, 0x0D, 0x0E, 0x0F, 0x10, 0x11, 0x14, 0x15, 0x16,
                        0x17, 0x18, 0x19, 0x1C, 0x20, 0x21, 0x24, 0x25, 0x26,
                        0x27, 0x28, 0x29, 0x2A, 0x2B, 0x2C, 0x2D};

class EffectBlitters : public ::testing::TestWithParam<Layout> {};

TEST_P(EffectBlitters, EveryModeMatchesItsReference) {
    Canvas canvas(GetParam(), 11);
    std::mt19937 rng(77);
    const int modes = sizeof kFxModes / sizeof kFxModes[0];
    for (int iter = 0; iter < 60 * modes; ++iter) {
        FxSetting s;
        s.mode = kFxModes[iter % modes];
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
        if (rng() % 4) {
            for (auto& t : s.tint) t = static_cast<i32>(rng() % 63) - 31;
        }
        if ((effect == 0x0C || effect == 0x20) && rng() % 3) s.scaleH = 1 + rng() % 120;
        if (effect == 0x0C && rng() % 3) s.skew = static_cast<i32>(rng() % 81) - 40;
        s.colour = rng();
        std::vector<u8> pic = RandomRle(rng, s.w, s.h);
        std::vector<u16> expect = canvas.px;
        FxReference(expect, ReadRefPic(pic), s);

        gClipRect = s.clip;
        gCurPic = pic.data();
        gPaintWave = s.wave;
        gWavePhase = s.phase;
        gPaintRowSkip = s.rowSkip;
        gPaintAlpha = s.alpha;
        gPaintScaleH = s.scaleH;
        gPaintSkew = s.skew;
        gPaintTintR = s.tint[0];
        gPaintTintG = s.tint[1];
        gPaintTintB = s.tint[2];
        PutPic(s.x, s.y, s.w, s.h, s.mode, &s.colour);
        ASSERT_EQ(canvas.px, expect) << "iteration " << iter << " mode " << std::hex << s.mode;
        gPaintWave = 0;
    }
}

// Tint, blend, fade, grey, subtract, silhouette, marks, row skips, stretches
// and skews are checked pixel by pixel above; here what the reference leaves out.
TEST(EffectModes, AllTintsZeroChangeNothingAndShimmerTakesNeighboursInTurn) {
    Canvas c(k555);
    std::vector<u8> pic = SolidRle(1, 1, 0);
    gCurPic = pic.data();
    std::vector<u16> before = c.px;
    gPaintWave = 3;
    gWavePhase = 7;
    PutPic(5, 5, 1, 1, 0x10, nullptr);
    EXPECT_EQ(c.px, before);
    EXPECT_EQ(gWavePhase, 7);
    gPaintWave = 0;
    // The shimmer takes its neighbours in turn and stays in the clip.
    Canvas s(k555);
    std::vector<u8> row = SolidRle(17, 1, 1);
    gCurPic = row.data();
    for (i32 y = 99; y <= 101; ++y)
        for (i32 x = 0; x < 640; ++x) s.px[y * 640 + x] = static_cast<u16>(y * 1000 + x);
    std::vector<u16> start = s.px;
    gClipRect = {0, 0, 640, 480};
    gBlitDst = PaintPixelAddr(50, 100);
    gBlitRows = 1;
    gBlitCols = 17;
    gBlitSkipRows = gBlitSkipCols = 0;
    gBlitStride = gScreenPitch;
    RleShimmer(50, 100, 17, 1, nullptr);
    for (i32 i = 0; i < 17; ++i) {
        u16 got = s.px[100 * 640 + 50 + i];
        i32 n = i + 1;
        if (n <= 4)
            EXPECT_EQ(got, s.px[100 * 640 + 49 + i]) << i;  // left, already shifted
        else if (n <= 10)
            EXPECT_EQ(got, start[101 * 640 + 50 + i]) << i;
        else if (n <= 13)
            EXPECT_EQ(got, start[99 * 640 + 50 + i]) << i;
        else if (n <= 16)
            EXPECT_EQ(got, start[100 * 640 + 51 + i]) << i;
        else
            EXPECT_EQ(got, start[100 * 640 + 50 + i]) << i;
    }
    // At the clip's bottom edge the row below is not taken.
    gClipRect = {0, 0, 640, 101};
    std::vector<u16> now = s.px;
    RleShimmer(50, 100, 17, 1, nullptr);
    for (i32 i = 4; i < 10; ++i) EXPECT_EQ(s.px[100 * 640 + 50 + i], now[100 * 640 + 50 + i]) << i;
}

TEST(EffectModes, ShadowsAndOutlinesStayInsideTheClip) {
    Canvas c(k565);
    std::vector<u8> pic = SolidRle(30, 30, 0x1234);
    gCurPic = pic.data();
    SetClip(200, 150, 400, 300);
    std::vector<u16> before = c.px;
    u32 colour = 0xFFFFFFFF;
    for (i32 x : {171, 185, 199, 200, 201, 380, 399})
        for (i32 y : {121, 140, 149, 150, 151, 290}) {
            PutPicOutlined(x, y, 30, 30, 0, &colour);
            gPaintTintB = -5;
            gPaintSkew = (x & 1) ? 25 : -25;
            gPaintScaleH = 45;
            PutPic(x, y, 30, 30, 0x0D, nullptr);
        }
    for (i32 y = 0; y < 480; ++y)
        for (i32 x = 0; x < 640; ++x)
            if (x < 200 || x >= 400 || y < 150 || y >= 300) {
                ASSERT_EQ(c.px[y * 640 + x], before[y * 640 + x]) << x << "," << y;
            }
    EXPECT_NE(c.px, before);
}

INSTANTIATE_TEST_SUITE_P(Layouts, EffectBlitters, ::testing::Values(k565, k555),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
