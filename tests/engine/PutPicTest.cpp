// PutPic's clipping, dispatch and settings: bad modes, waves, one-shot resets,
// row phases, alpha edges, tiles and clip set-up.
#include <cstring>

#include "DrawTestUtil.h"
#include "base/MemDbg.h"
#include "engine/PlainBlit.h"
#include "engine/RlePic.h"

namespace {

std::vector<u8> SolidRle(i32 w, i32 h, u16 v) {
    std::vector<u16> px(static_cast<size_t>(w) * h, v);
    i32 size = 0;
    u8* p = RleEncode(px.data(), &size, w, h, 16);
    std::vector<u8> out(p, p + size);
    MH_FREE(p);
    return out;
}

TEST(PutPic, ModesWithoutABlitterDrawNothing) {
    Canvas c(k565);
    std::vector<u8> rle = SolidRle(8, 8, 0x1234);
    std::vector<u16> plain(64, 0x1234);
    std::vector<u16> before = c.px;
    for (const void* pic : {static_cast<const void*>(rle.data()), static_cast<const void*>(plain.data())}) {
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
}

TEST(PutPic, WaveAboveFifteenIsOff) {
    Canvas c(k555);
    std::vector<u8> rle = SolidRle(8, 8, 0x1234);
    std::vector<u16> expect = c.px;
    for (i32 r = 0; r < 8; ++r)
        for (i32 x = 0; x < 8; ++x) expect[(20 + r) * 640 + 30 + x] = 0x1234;
    gCurPic = rle.data();
    gPaintWave = 99;
    gWavePhase = 5;
    PutPic(30, 20, 8, 8, 0, nullptr);
    EXPECT_EQ(c.px, expect);
    EXPECT_EQ(gWavePhase, 5);
}

TEST(PutPic, WavedRowsNeverLeaveTheClip) {
    Canvas c(k565);
    std::vector<u8> rle = SolidRle(20, 40, 0x0F0F);
    gCurPic = rle.data();
    SetClip(100, 100, 140, 200);
    std::vector<u16> before = c.px;
    for (i32 x : {95, 100, 120, 125}) {
        gPaintWave = 15;
        PutPic(x, 110, 20, 40, 0, nullptr);
        PutPic(x, 110, 20, 40, 1, nullptr);
    }
    for (i32 y = 0; y < 480; ++y)
        for (i32 x = 0; x < 640; ++x)
            if (x < 100 || x >= 140 || y < 100 || y >= 200) {
                ASSERT_EQ(c.px[y * 640 + x], before[y * 640 + x]) << x << "," << y;
            }
}

TEST(PutPic, SettingsAreResetEvenWhenTheClipLeavesNothing) {
    Canvas c(k565);
    std::vector<u8> rle = SolidRle(8, 8, 1);
    gCurPic = rle.data();
    gPaintAlpha = 5;
    gPaintRowSkip = 1;
    gPaintSkew = 3;
    gPaintScaleH = 9;
    PutPic(0, -50, 8, 8, 0, nullptr);
    EXPECT_EQ(gPaintAlpha | gPaintRowSkip | gPaintSkew | gPaintScaleH, 0);
    // A zoom mode leaves them for the zoom blitter.
    gPaintAlpha = 5;
    PutPic(0, 0, 8, 8, 0x80, nullptr);
    EXPECT_EQ(gPaintAlpha, 5);
}

TEST(PutPic, RowPhaseFollowsY) {
    Canvas c(k565);
    std::vector<u8> rle = SolidRle(4, 4, 1);
    gCurPic = rle.data();
    for (i32 y : {0, 1, 2, 3}) {
        gBlitTable[0x1D] = [](i32, i32, i32, i32, const void*) {};
        PutPic(0, y, 4, 4, 0x1D, nullptr);
        EXPECT_EQ(gRowSkipPhase, y % 3);
    }
}

TEST(PutPic, AdditiveRowSkipFromTopLeavesEveryThirdRow) {
    Canvas c(k565);
    std::fill(c.px.begin(), c.px.end(), 0);
    std::vector<u8> rle = SolidRle(1, 9, static_cast<u16>(ConvertPixel(0x7FFF)));
    gCurPic = rle.data();
    gPaintRowSkip = 1;
    PutPic(0, 0, 1, 9, 4, nullptr);
    for (i32 r = 0; r < 9; ++r) EXPECT_EQ(c.px[r * 640] != 0, r % 3 != 2) << r;
}

TEST(PutPic, AdditiveAndAlphaEdgeValues) {
    Canvas c(k565);
    u16 white = ConvertPixel(0x7FFF);
    std::vector<u8> rle = SolidRle(1, 1, white);
    gCurPic = rle.data();
    c.px[0] = 0x1234;
    PutPic(0, 0, 1, 1, 4, nullptr);
    EXPECT_EQ(c.px[0], white & (gMaskR | gMaskG | gMaskB));
    std::vector<u8> red = SolidRle(1, 1, ConvertPixel(0x7C00));
    gCurPic = red.data();
    c.px[0] = 0;
    gPaintTintR = -31;
    PutPic(0, 0, 1, 1, 4, nullptr);
    EXPECT_EQ(c.px[0], 0);

    u16 src = ConvertPixel(0x0C63);  // 3, 3, 3
    std::vector<u8> a = SolidRle(1, 1, src);
    gCurPic = a.data();
    u8 plane = 0;
    c.px[0] = 0x5555;
    PutPic(0, 0, 1, 1, 8, &plane);
    EXPECT_EQ(c.px[0], 0x5555);
    plane = 60;
    PutPic(0, 0, 1, 1, 8, &plane);
    EXPECT_EQ(c.px[0], src);
    plane = 32;  // 7/16 of the destination plus the source
    c.px[0] = ConvertPixel(0x7FFF);
    PutPic(0, 0, 1, 1, 8, &plane);
    EXPECT_EQ(Split(c.px[0]).r, 31 / 4 + 31 / 8 + 31 / 16 + 3);
    plane = 4;  // 14/16 of the destination plus the source
    c.px[0] = ConvertPixel(0x7FFF);
    PutPic(0, 0, 1, 1, 8, &plane);
    EXPECT_EQ(Split(c.px[0]).g, 15 + 7 + 3 + 3);
    std::vector<u8> whitePic = SolidRle(1, 1, ConvertPixel(0x7FFF));
    gCurPic = whitePic.data();
    c.px[0] = ConvertPixel(0x7FFF);
    PutPic(0, 0, 1, 1, 8, &plane);  // the sum saturates instead of spilling over
    EXPECT_EQ(Split(c.px[0]).g, 31);
    EXPECT_EQ(Split(c.px[0]).r, 31);
    gCurPic = a.data();
    // Without a plane the picture is copied.
    c.px[0] = 0;
    PutPic(0, 0, 1, 1, 9, nullptr);
    EXPECT_EQ(c.px[0], src);
}

TEST(PutPic, PlainBlendAndPlainEdges) {
    Canvas c(k555);
    u16 src = 0x7C00;
    gCurPic = &src;
    c.px[0] = 0;
    gPaintAlpha = 0;
    PutPic(0, 0, 1, 1, 0x14, nullptr);
    EXPECT_EQ(c.px[0], 0);
    gPaintAlpha = 1;
    PutPic(0, 0, 1, 1, 0x14, nullptr);
    EXPECT_EQ(c.px[0], 0);
    gPaintAlpha = 8;
    PutPic(0, 0, 1, 1, 0x14, nullptr);
    EXPECT_EQ(c.px[0] >> 10, 11);
    gPaintAlpha = 16;
    c.px[0] = 0;
    PutPic(0, 0, 1, 1, 0x14, nullptr);
    EXPECT_EQ(c.px[0], 0x7C00);
}

TEST(PutPic, PlainPictureStartingWithFFFFIsNotRunCoded) {
    Canvas c(k565);
    std::vector<u16> px = {0xFFFF, 7, 7, 16, 5, 6, 7, 8};  // header-like, wrong size for 4x2
    gCurPic = px.data();
    PutPic(0, 0, 4, 2, 0, nullptr);
    EXPECT_EQ(std::vector<u16>(c.px.begin(), c.px.begin() + 4), std::vector<u16>(px.begin(), px.begin() + 4));
    EXPECT_EQ(c.px[640 + 3], 8);
}

TEST(PutPic, MirroredPlainCutAtTheLeftShowsTheRightColumns) {
    Canvas c(k565);
    std::vector<u16> px = {1, 2, 3, 4, 5};
    gCurPic = px.data();
    PutPic(-2, 0, 5, 1, 1, nullptr);
    EXPECT_EQ(c.px[0], 3);  // source column w - 1 - 2
    EXPECT_EQ(c.px[2], 1);
}

TEST(PutPic, FlippedRunCodedCoversTheSameRows) {
    Canvas c(k565);
    std::vector<u16> px(3 * 4);
    for (int i = 0; i < 12; ++i) px[i] = static_cast<u16>(100 + i / 3);
    i32 size = 0;
    u8* p = RleEncode(px.data(), &size, 3, 4, 16);
    gCurPic = p;
    SetClip(0, 11, 640, 480);
    PutPic(0, 10, 3, 4, 2, nullptr);
    EXPECT_EQ(c.px[11 * 640], 102);
    EXPECT_EQ(c.px[13 * 640], 100);
    EXPECT_NE(c.px[10 * 640], 103);
    MH_FREE(p);
}

TEST(PutPic, ARowOfLengthZeroEndsThePicture) {
    Canvas c(k565);
    std::vector<u8> rle = SolidRle(2, 1, 9);
    rle.resize(rle.size());
    // Claim three rows; the zero word after the first ends the picture.
    rle[4] = 3;
    u16 below = c.px[640];
    gCurPic = rle.data();
    PutPic(0, 0, 2, 3, 0, nullptr);
    EXPECT_EQ(c.px[0], 9);
    EXPECT_EQ(c.px[640], below);
}

TEST(PutPic, EightBitRunCodedPicturesDrawNothing) {
    Canvas c(k565);
    u8 idx[4] = {5, 6, 7, 8};
    i32 size = 0;
    u8* p = RleEncode(idx, &size, 4, 1, 8);
    std::vector<u16> before = c.px;
    gCurPic = p;
    PutPic(0, 0, 4, 1, 0, nullptr);
    EXPECT_EQ(c.px, before);
    MH_FREE(p);
}

TEST(PutPic, FadeStepsDownEveryFewRows) {
    Canvas c(k555);
    std::fill(c.px.begin(), c.px.end(), 0);
    u16 px[32] = {0x7FFF};
    gCurPic = px;
    PutPic(0, 0, 1, 32, 8, nullptr);
    EXPECT_EQ(c.px[0], 0x7FFF);
    EXPECT_EQ(c.px[2 * 640], 0x7FFF);
    EXPECT_EQ(c.px[3 * 640] & 31, 15 + 7 + 3);  // level 14
    EXPECT_EQ(c.px[31 * 640] & 31, 7 + 1);      // level 5
}

TEST(PutPic, ClipSetUp) {
    Canvas c(k565);
    SetClip(-5, -5, 700, 500);
    EXPECT_EQ(gClipRect.left, 0);
    EXPECT_EQ(gClipRect.width, 640);
    EXPECT_EQ(gClipRect.height, 480);
    i32 bad[4] = {-1, 0, 10, 10};
    EXPECT_EQ(SetClipRect(bad), 0);
    EXPECT_EQ(gClipRect.width, 640);
    i32 good[4] = {10, 20, 30, 60};
    EXPECT_EQ(SetClipRect(good), 1);
    EXPECT_EQ(gClipRect.height, 40);
    std::vector<u32> rows(4000);
    SetPaintTarget(10, 4000, 20, rows.data());  // capped at the row table
    EXPECT_EQ(gClipRect.height, kRowOffsetCount);
}

TEST(PutPic, TilesAndLineBlends) {
    Canvas c(k555);
    u16 tile[256];
    for (int i = 0; i < 256; ++i) tile[i] = static_cast<u16>(i == 5 ? 619 : i);
    gCurPic = tile;
    PutTile16(16, 32);
    EXPECT_EQ(c.px[32 * 640 + 16 + 5], 619);
    EXPECT_EQ(c.px[47 * 640 + 31], 255);
    c.px[32 * 640 + 16 + 5] = 1;
    PutTile16Key(16, 32);
    EXPECT_EQ(c.px[32 * 640 + 16 + 5], 1);
    u16 pal[256];
    for (int i = 0; i < 256; ++i) pal[i] = static_cast<u16>(1000 + i);
    u8 t8[256];
    for (int i = 0; i < 256; ++i) t8[i] = static_cast<u8>(i % 3);
    gPaintPalette = pal;
    gCurPic = t8;
    PutTile8Key(0, 0);
    EXPECT_EQ(c.px[0], 1000);
    EXPECT_NE(c.px[1], 1001);
    PutTile8(0, 0);
    EXPECT_EQ(c.px[1], 1001);
    u32 line[2] = {0x7FFF7FFF, 0};
    BlendLineToColor(line, MakeColor(0, 0, 0), 4);
    EXPECT_EQ(line[0] & 31, 15u + 3 + 1);
    EXPECT_EQ(line[1], 0u);
}

}  // namespace
