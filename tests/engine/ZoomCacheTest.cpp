// The zoom tables kept between draws: a new scale between two draws takes
// effect, and scales that come back are not rebuilt, however many a frame has.
#include "BlitRef.h"
#include "engine/ZoomBlit.h"

namespace {

using namespace blit_ref;

// Anchor 0, no mirror, the whole screen open.
std::vector<u16> Expected(std::vector<u16> c, const RefPic& p, i32 x, i32 y, i32 sx, i32 sy) {
    ZoomReference(c, p, {x, y, p.w, p.h, 0x80, 0, 0, sx, sy, 0, {0, 0, 640, 480}});
    return c;
}

TEST(ZoomCache, EveryScaleChangeBetweenDrawsTakesEffect) {
    Canvas c(k565, 4);
    std::mt19937 rng(21);
    std::vector<u8> pic = RandomRle(rng, 40, 30);
    RefPic ref = ReadRefPic(pic);
    gCurPic = pic.data();
    const std::vector<u16> start = c.px;
    // More scales than the cache holds, each twice, in x and y apart.
    std::vector<std::pair<i32, i32>> scales;
    for (i32 k = 0; k < 40; ++k) scales.push_back({300 + 97 * (k % 20), 2500 - 61 * (k % 20)});
    for (auto [sx, sy] : scales) {
        c.px = start;
        SetZoom(0, 0, sx, sy);
        PutPic(30, 20, 40, 30, 0x80, nullptr);
        ASSERT_EQ(c.px, Expected(start, ref, 30, 20, sx, sy)) << sx << " " << sy;
    }
    // A scale written straight into the globals between draws is honoured too.
    c.px = start;
    gZoomScaleX = 777;
    gZoomScaleY = 1500;
    PutPic(30, 20, 40, 30, 0x80, nullptr);
    EXPECT_EQ(c.px, Expected(start, ref, 30, 20, 777, 1500));
}

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
