// PutPic's dispatch and settings: bad modes, waves, one-shot resets, additive
// and alpha edges, odd pictures, tiles and clip set-up. The clipped, mirrored,
// flipped, waved, row-skipped, additive and alpha draws are checked pixel by
// pixel in BlitTest.
#include <tuple>

#include "BlitRef.h"
#include "engine/PlainBlit.h"
#include "engine/RlePic.h"

namespace {

using namespace blit_ref;

TEST(PutPic, ModesWithoutABlitterAndEightBitRunCodedPicturesDrawNothing) {
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
    std::vector<u8> eight = Encode(idx, 4, 1, 8);
    gCurPic = eight.data();
    PutPic(0, 0, 4, 1, 0, nullptr);
    EXPECT_EQ(c.px, before);
}

TEST(PutPic, WavesAboveFifteenAreOffSettingsAreResetAndOddPictures) {
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
    EXPECT_EQ(o.px[640 + 10], 9);
    EXPECT_EQ(o.px[2 * 640 + 10], below);
}

TEST(PutPic, TilesLineBlendsAndClipSetUp) {
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
    // The clip set-up.
    SetClip(-5, -5, 700, 500);
    EXPECT_EQ(std::tuple(gClipRect.left, gClipRect.width, gClipRect.height),
              std::tuple(0, 640, 480));
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

}  // namespace
