// The blitters against per-pixel references written from their drawing rules:
// run-coded modes 0-9 and effect modes 0x0C-0x2D, plain and paletted pictures,
// line filters and zoomed drawing, over random pictures, positions, clips,
// mirror and flip, waves, alpha planes, scales, skews and shears; plus their
// edge values.
#include "BlitRef.h"
#include "engine/LineFilter.h"
#include "engine/RleBlitFx.h"
#include "engine/ZoomBlit.h"

namespace {

using namespace blit_ref;

const i32 kFxModes[] = {0,    1,    2,    3,    4,    5,    8,    9,    0x0C, 0x0D, 0x0E,
                        0x0F, 0x10, 0x11, 0x14, 0x15, 0x16, 0x17, 0x18, 0x19, 0x1C, 0x20,
                        0x21, 0x24, 0x25, 0x26, 0x27, 0x28, 0x29, 0x2A, 0x2B, 0x2C, 0x2D};

class Blitters : public ::testing::TestWithParam<Layout> {};

TEST_P(Blitters, RunCodedModesMatchTheReference) {
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
TEST(EffectModes, WhatTheReferenceLeavesOut) {
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
    // Shadows and outlines stay inside the clip.
    Canvas sc(k565);
    std::vector<u8> square = SolidRle(30, 30, 0x1234);
    gCurPic = square.data();
    SetClip(200, 150, 400, 300);
    std::vector<u16> start2 = sc.px;
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
                ASSERT_EQ(sc.px[y * 640 + x], start2[y * 640 + x]) << x << "," << y;
            }
    EXPECT_NE(sc.px, start2);
}

// Plain pictures: modes 0, 1, 4, 5, 8 and 0x14 at every alpha.
TEST_P(Blitters, PlainModesMatchTheReference) {
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
                if (effect == 8)
                    d = BlendRef(src[0], d, 15 - (Y - vy0) / ((h >> 4) + 1));
                else if ((effect == 4 || effect == 5 || effect == 0x14) && v == key)
                    continue;
                else if (effect == 0x14)
                    d = BlendRef(v, d, alpha - 1);
                else if (effect != 8)
                    d = v;
            }
        gClipRect = clip;
        gCurPic = src.data();
        gPaintAlpha = alpha;
        PutPic(x, y, w, h, mode, nullptr);
        ASSERT_EQ(canvas.px, expect) << "iteration " << iter << " mode " << mode;
        EXPECT_EQ(gPaintAlpha, 0);
    }
}

TEST_P(Blitters, PalettePicturesMapIndicesAndSkipIndexOne) {
    Canvas canvas(GetParam());
    std::mt19937 rng(3);
    u16 pal[256];
    for (auto& p : pal) p = static_cast<u16>(rng());
    std::vector<u8> src(37 * 23);
    for (auto& v : src) v = static_cast<u8>(rng() % 5);
    gPaintPalette = pal;
    gCurPic = src.data();
    for (i32 mode : {0, 4, 1, 5}) {
        std::vector<u16> expect = canvas.px;
        for (i32 r = 0; r < 23; ++r)
            for (i32 c = 0; c < 37; ++c) {
                u8 v = src[r * 37 + c];
                if ((mode & 4) && v == 1) continue;
                i32 X = 620 + ((mode & 1) ? 36 - c : c);
                if (X < 640) expect[(100 + r) * 640 + X] = pal[v];
            }
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
        // The guard pixel past n must survive every filter.
        u16 guard = px[n];

        std::vector<u16> a = px;
        AdjustRGB(a.data(), n, d[0], d[1], d[2]);
        std::vector<u16> g = px;
        GreyLine(g.data(), n);
        std::vector<u16> s = px;
        AddLine(src.data(), s.data(), n);
        std::vector<u16> r = px, gr = px, b = px;
        AdjustRed(r.data(), n, d[0]);
        AdjustGreen(gr.data(), n, d[1]);
        AdjustBlue(b.data(), n, d[2]);
        for (i32 i = 0; i < n; ++i) {
            Rgb p = Split(px[i]), q = Split(src[i]);
            ASSERT_EQ(a[i], Join({Sat(p.r + d[0]), Sat(p.g + d[1]), Sat(p.b + d[2])})) << iter;
            i32 v = (p.r + p.g + p.b) / 4;
            ASSERT_EQ(g[i], Join({v, v, v}));
            ASSERT_EQ(s[i], Join({Sat(p.r + q.r), Sat(p.g + q.g), Sat(p.b + q.b)}));
            // Single channels keep every other bit of the pixel.
            ASSERT_EQ(r[i], (px[i] & ~gMaskR) | Join({Sat(p.r + d[0]), 0, 0})) << iter;
            ASSERT_EQ(gr[i], (px[i] & ~gMaskG) | Join({0, Sat(p.g + d[1]), 0})) << iter;
            ASSERT_EQ(b[i], (px[i] & ~gMaskB) | Join({0, 0, Sat(p.b + d[2])})) << iter;
        }
        for (auto* line : {&a, &g, &s, &r, &gr, &b}) ASSERT_EQ((*line)[n], guard) << iter;
    }
    // Null lines and counts below one change nothing.
    Canvas c2(k555);
    AdjustRGB(nullptr, 5, 1, 1, 1);
    AdjustGreen(nullptr, 4, 1);
    u16 one = 0x4321;
    AddLine(nullptr, &one, 1);
    EXPECT_EQ(one, 0x4321);
    u16 keep = 0x1234;
    AdjustRGB(&keep, 0, 5, 5, 5);
    AdjustRed(&keep, -3, 5);
    GreyLine(&keep, -1);
    EXPECT_EQ(keep, 0x1234);
}

TEST_P(Blitters, ZoomedModesMatchTheReference) {
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
        gPaintTintR = s.tint[0];
        gPaintTintG = s.tint[1];
        gPaintTintB = s.tint[2];
        PutPic(s.x, s.y, s.w, s.h, s.mode, nullptr);
        ASSERT_EQ(canvas.px, expect) << "iteration " << iter << " mode " << std::hex << s.mode;
        // Zoomed draws leave the one-shot settings for the next call.
        EXPECT_EQ(gPaintAlpha, s.alpha);
        EXPECT_EQ(gPaintTintR, s.tint[0]);
    }
}

TEST(ZoomPlacement, BadInputsAreSafeAndEightBitPicturesGoThroughThePalette) {
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
    std::vector<u8> pic8 = Encode(src8, 4, 3, 8);
    u16 pal[256];
    for (i32 i = 0; i < 256; ++i) pal[i] = static_cast<u16>(1000 + i);
    gCurPic = pic8.data();
    gPaintPalette = pal;
    for (i32 mode : {0xC0, 0xC1, 0xC2, 0xC3}) {
        std::fill(p8.px.begin(), p8.px.end(), 0);
        SetClip(0, 0, 639, 480);
        PutPic(636, 10, 4, 3, mode, nullptr);
        for (i32 r = 0; r < 3; ++r)
            for (i32 i = 0; i < 4; ++i) {
                i32 X = 636 + ((mode & 1) ? 3 - i : i), Y = 10 + ((mode & 2) ? 2 - r : r);
                u8 v = src8[r * 4 + i];
                u16 want = v == 1 || v == 3 || X >= 639 ? 0 : pal[v];
                EXPECT_EQ(p8.px[Y * 640 + X], want) << mode << " " << r << "," << i;
            }
    }
    gPaintPalette = nullptr;
}

// The zoom tables are kept between draws: scales that come back are not
// rebuilt, however many a frame has.
TEST(ZoomCache, DepthsDrawnInTurnBuildTheirTablesOnce) {
    Canvas c(k555, 5);
    std::mt19937 rng(22);
    std::vector<u8> pic = RandomRle(rng, 16, 16);
    gCurPic = pic.data();
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
    EXPECT_EQ(frames(1), 300u);
    EXPECT_EQ(frames(20), 0u);
    crowd[150] = 2000;
    EXPECT_EQ(frames(20), 1u);
    // Shear tables are kept the same way.
    u32 before = ZoomTablesBuilt();
    for (int frame = 0; frame < 20; ++frame)
        for (i32 shear : {-300, 300}) SetZoomSkew(8, 16, 1024, 1024, shear);
    EXPECT_EQ(ZoomTablesBuilt() - before, 2u);
    EXPECT_EQ(gZoomShearTable[1000], 1000 * 300 / 1024);
}

INSTANTIATE_TEST_SUITE_P(Layouts, Blitters, ::testing::Values(k565, k555),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
