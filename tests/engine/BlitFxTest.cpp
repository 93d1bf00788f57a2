// Run-coded modes 0-9 and effect modes 0x0C-0x2D against per-pixel references
// written from their drawing rules, over random pictures, positions, clips,
// mirror and flip, waves, alpha planes, scales and skews; plus their edge values.
#include "BlitRef.h"
#include "engine/RleBlitFx.h"

namespace {

using namespace blit_ref;

const i32 kFxModes[] = {0,    1,    2,    3,    4,    5,    8,    9,    0x0C, 0x0D, 0x0E,
                        0x0F, 0x10, 0x11, 0x14, 0x15, 0x16, 0x17, 0x18, 0x19, 0x1C, 0x20,
                        0x21, 0x24, 0x25, 0x26, 0x27, 0x28, 0x29, 0x2A, 0x2B, 0x2C, 0x2D};

class EffectBlitters : public ::testing::TestWithParam<Layout> {};

TEST_P(EffectBlitters, EveryModeMatchesItsReference) {
    Canvas canvas(GetParam(), 11);
    std::mt19937 rng(77);
    const int modes = sizeof kFxModes / sizeof kFxModes[0];
    for (int iter = 0; iter < 60 * modes; ++iter) {
        Setting s;
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
        if ((effect == 8) && rng() % 5) {
            s.plane.resize(static_cast<size_t>(s.w) * s.h);
            for (auto& a : s.plane) a = rng() % 8 ? (rng() % 16) * 4 : static_cast<u8>(rng());
        }
        std::vector<u8> pic = RandomRle(rng, s.w, s.h);
        std::vector<u16> expect = canvas.px;
        Reference(expect, ReadRefPic(pic), s);

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
        PutPic(s.x, s.y, s.w, s.h, s.mode,
               effect != 8       ? static_cast<const void*>(&s.colour)
               : s.plane.empty() ? nullptr
                                 : s.plane.data());
        ASSERT_EQ(canvas.px, expect) << "iteration " << iter << " mode " << std::hex << s.mode;
        EXPECT_EQ(gPaintRowSkip | gPaintTintR | gPaintTintG | gPaintTintB, 0);
        if (s.mode < 0x0C) {
            // Mirrored copies keep the wave phase (a mirrored alpha draw without a
            // plane is one); it moves only when the picture got past the clip.
            bool advances =
                s.wave && s.mode != 1 && s.mode != 3 && !(s.mode == 9 && s.plane.empty());
            bool drawn =
                std::max(s.y, s.clip.top) < std::min(s.y + s.h, s.clip.top + s.clip.height) &&
                std::max(s.x, s.clip.left) < std::min(s.x + s.w, s.clip.left + s.clip.width);
            EXPECT_EQ(gWavePhase, advances && drawn ? (s.phase + 1) % 33 : s.phase) << iter;
        }
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
