// PutPic's dispatch and settings: bad modes, waves, one-shot resets, additive
// and alpha edges, odd pictures, tiles and clip set-up; and run-coded pictures
// drawn at sizes other than their own: cropped, grown, in every way of drawing.
// Their own pixels show, never their header words, and no draw reads outside
// the picture (the sanitizer build checks the reads). The clipped, mirrored,
// flipped, waved, row-skipped, additive and alpha draws are checked pixel by
// pixel in BlitTest.
#include <memory>
#include <tuple>

#include "ArchiveTestUtil.h"
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

// Draw modes of the copy, mirror, flip, additive, alpha, blend, silhouette,
// grey and subtractive blitters.
constexpr i32 kModes[] = {0, 1, 2, 3, 4, 8, 0x14, 0x24, 0x28, 0x2C};
constexpr i32 kWindow = 40;  // the clip: each draw walks its rows but fills little

void DrawEveryWay(const PicFrame& f, i32 w, i32 h) {
    static u32 silhouette = 0x1234;  // the colour word is read as 32 bits
    for (i32 mode : kModes) {
        // The top-left corner of the picture in the window, then its bottom-right.
        for (bool farCorner : {false, true}) {
            gCurPic = f.pixels;
            gPaintAlpha = 8;
            i32 x = farCorner ? kWindow - w : 0, y = farCorner ? kWindow - h : 0;
            const void* extra = mode == 0x24 ? static_cast<const void*>(&silhouette)
                                : mode == 8  ? static_cast<const void*>(f.alpha)
                                             : nullptr;
            PutPic(x, y, w, h, mode, extra);
        }
    }
}

TEST(PutPicSizes, EverySamplePictureAtEverySizeFromOneToItsOwnPlusTwo) {
    ArchiveRoot root;
    root.WriteSample();
    root.Open();
    Canvas c(k565);
    const std::vector<u16> start = c.px;
    SetClip(0, 0, kWindow, kWindow);
    int frames = 0;
    for (const auto& [n, pic] : SamplePictures()) {
        for (size_t k = 0; k < pic.frames.size(); ++k) {
            SCOPED_TRACE(testing::Message() << "picture " << n << " frame " << k);
            const PicFrame* f = GetPic(static_cast<u16>(n), static_cast<u16>(k));
            ASSERT_NE(f, nullptr) << PicLastError();
            for (i32 w = 1; w <= f->width + 2; ++w) DrawEveryWay(*f, w, f->height);
            for (i32 h = 1; h <= f->height + 2; ++h) DrawEveryWay(*f, f->width, h);
            ++frames;
        }
    }
    EXPECT_GT(frames, 20);
    // Nothing landed outside the window.
    for (i32 y = 0; y < 480; ++y)
        for (i32 x = y < kWindow ? kWindow : 0; x < 640; ++x)
            ASSERT_EQ(c.px[y * 640 + x], start[y * 640 + x]) << x << "," << y;
}

// Cropped by a column, cut by a row or grown: the literal pixels of the picture,
// read from its runs by the test, land where they belong; the rest of the
// screen keeps its colour.
TEST(PutPicSizes, ARunCodedPictureDrawnAtAnotherSizeShowsItsOwnPixels) {
    const i32 pw = 19, ph = 5;
    std::vector<u16> px(static_cast<size_t>(pw) * ph);
    for (size_t i = 0; i < px.size(); ++i) px[i] = static_cast<u16>(0x0100 + i);
    px[3] = 619;  // a transparent pixel
    i32 size = 0;
    u8* rle = RleEncode(px.data(), &size, pw, ph, 16);
    ASSERT_NE(rle, nullptr);
    RefPic ref = ReadRefPic(std::vector<u8>(rle, rle + size));
    const struct {
        i32 w, h;
    } sizes[] = {{pw - 1, ph}, {pw, ph - 2}, {pw + 2, ph + 1}, {1, 1}, {pw - 10, ph}};
    for (const auto& s : sizes) {
        SCOPED_TRACE(testing::Message() << s.w << "x" << s.h);
        Canvas c(k565);
        std::fill(c.px.begin(), c.px.end(), 0x7777);
        gCurPic = rle;
        PutPic(10, 20, s.w, s.h, 0, nullptr);
        for (i32 y = 0; y < ph + 3; ++y)
            for (i32 x = 0; x < pw + 4; ++x) {
                bool inside = x < std::min(s.w, pw) && y < std::min(s.h, ph);
                size_t k = static_cast<size_t>(y) * pw + x;
                u16 want = inside && ref.kind[k] == Px::Lit ? ref.value[k] : 0x7777;
                ASSERT_EQ(c.px[static_cast<size_t>(20 + y) * 640 + 10 + x], want) << x << "," << y;
            }
    }
    // The alpha plane has the picture's own rows: drawn wider, the blend still
    // reads its own row of the plane (all opaque here) and nothing past it.
    std::unique_ptr<u8[]> plane(new u8[static_cast<size_t>(pw) * ph]);
    std::fill(plane.get(), plane.get() + pw * ph, 0xFF);
    Canvas c(k565);
    gCurPic = rle;
    PutPic(10, 20, pw + 2, ph, 8, plane.get());
    size_t last = static_cast<size_t>(ph - 1) * pw + pw - 1;
    EXPECT_EQ(c.px[static_cast<size_t>(20 + ph - 1) * 640 + 10 + pw - 1], ref.value[last]);
    MH_FREE(rle);
}

}  // namespace
