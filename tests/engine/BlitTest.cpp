// Plain and paletted blitters against per-pixel references written from the
// drawing rules, over random pictures, positions, clips and settings. The
// run-coded modes are checked in BlitFxTest.
#include "BlitRef.h"

namespace {

using namespace blit_ref;

class Blitters : public ::testing::TestWithParam<Layout> {};

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

INSTANTIATE_TEST_SUITE_P(Layouts, Blitters, ::testing::Values(k565, k555),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
