// Zoomed drawing against a per-pixel reference of the anchor, step and shear
// rules, and the fixed points, table and bad-input cases.
#include "BlitRef.h"
#include "engine/ZoomBlit.h"

namespace {

using namespace blit_ref;

class Zoom : public ::testing::TestWithParam<Layout> {};

TEST_P(Zoom, EveryModeMatchesTheReference) {
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

INSTANTIATE_TEST_SUITE_P(Layouts, Zoom, ::testing::Values(k565, k555),
                         [](const auto& info) { return std::string(info.param.name); });

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

}  // namespace
