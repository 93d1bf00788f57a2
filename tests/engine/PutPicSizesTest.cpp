// Run-coded pictures drawn at sizes other than their own: cropped, grown, in
// every way of drawing. Their own pixels show, never their header words, and
// no draw reads outside the picture (the sanitizer build checks the reads).
#include <memory>

#include "ArchiveTestUtil.h"
#include "DrawTestUtil.h"

namespace {

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
