// Water ripples: calm water, a drop that spreads and dies out, drops at the edges.
#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "engine/Random.h"
#include "engine/Water.h"

namespace {

int NonZero(const cWater& w) {
    int n = 0;
    for (int r = 0; r < w.AreaH(); ++r)
        for (int c = 0; c < w.AreaW(); ++c) n += w.Height(c, r) != 0;
    return n;
}

}  // namespace

TEST(Water, CalmWaterStaysCalmAndRendersTheScreenAsItIs) {
    cWater w(64, 48, 8, 8, 32, 24);
    EXPECT_TRUE(w.Step());
    std::vector<u16> screen(64 * 48);
    for (size_t i = 0; i < screen.size(); ++i) screen[i] = static_cast<u16>(i * 7);
    w.GrabScreen(screen.data());
    std::vector<u16> out(64 * 48, 0);
    w.Render(out.data());
    for (int y = 9; y < 8 + 23; ++y)
        for (int x = 9; x < 8 + 31; ++x) EXPECT_EQ(out[y * 64 + x], screen[y * 64 + x]);
    EXPECT_EQ(out[0], 0) << "outside the area nothing is drawn";
}

TEST(Water, ADropSpreadsAndDiesOut) {
    cWater w(80, 80, 0, 0, 80, 80);
    w.Drop(40, 40, 4, 10);
    int start = NonZero(w);
    EXPECT_FALSE(w.Step());
    for (int i = 0; i < 5; ++i) w.Step();
    EXPECT_GT(NonZero(w), start) << "the ring grows";
    int steps = 0;
    while (!w.Step() && steps < 5000) ++steps;
    EXPECT_LT(steps, 5000) << "the water calms down";
    EXPECT_EQ(NonZero(w), 0);
}

TEST(Water, StepsOfASmallFieldByHand) {
    cWater w(5, 5, 0, 0, 5, 5);
    w.Drop(2, 2, 1, 100);  // radius 1: the one cell, (1 - 0) x 100
    ASSERT_EQ(w.Height(2, 2), 100);
    // Step 1: each of the eight cells around the bump sums 100: 100 >> 2 = 25,
    // damped 25 - (25 >> 4) = 24; the bump's own cell sums 0.
    EXPECT_FALSE(w.Step());
    for (int r = 0; r < 5; ++r)
        for (int c = 0; c < 5; ++c) {
            bool ring = r >= 1 && r <= 3 && c >= 1 && c <= 3 && !(r == 2 && c == 2);
            EXPECT_EQ(w.Height(c, r), ring ? 24 : 0) << c << "," << r;
        }
    // Step 2 against the buffer that still holds the bump: the middle sums
    // 8 x 24 = 192: 48 - 100 = -52, damped -52 - (-52 >> 4) = -48; an edge cell
    // sums 4 x 24: 24 - 1 = 23; a corner 2 x 24: 12. The border stays 0.
    EXPECT_FALSE(w.Step());
    const int want[3][3] = {{12, 23, 12}, {23, -48, 23}, {12, 23, 12}};
    for (int r = 0; r < 5; ++r)
        for (int c = 0; c < 5; ++c) {
            bool inner = r >= 1 && r <= 3 && c >= 1 && c <= 3;
            EXPECT_EQ(w.Height(c, r), inner ? want[r - 1][c - 1] : 0) << c << "," << r;
        }
}

TEST(Water, RenderedPixelsComeFromTheDisplacedScreen) {
    cWater w(32, 32, 0, 0, 32, 32);
    std::vector<u16> screen(32 * 32);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) screen[y * 32 + x] = static_cast<u16>(y * 100 + x);
    w.GrabScreen(screen.data());
    w.Drop(16, 16, 3, 100);
    std::vector<u16> out(32 * 32, 0xFFFF);
    w.Render(out.data());
    // At (14, 16): h = (3 - 2) * 100 = 100, right neighbour (15, 16) is 182: dx = -82 >> 3 = -11.
    int h = w.Height(14, 16), hr = w.Height(15, 16), hb = w.Height(14, 17);
    int sx = 14 + ((h - hr) >> 3), sy = 16 + ((h - hb) >> 3);
    EXPECT_EQ(out[16 * 32 + 14], screen[sy * 32 + sx]);
}

TEST(Water, DropsAtTheEdgesStayInside) {
    cWater w(40, 30, 0, 0, 40, 30);
    for (int x : {0, 1, 39, 40, 1000})
        for (int y : {0, 29, 30, -1000 + 999}) w.Drop(x, y, 6, 30000);
    for (int c = 0; c < 40; ++c) {
        EXPECT_EQ(w.Height(c, 0), 0);
        EXPECT_EQ(w.Height(c, 29), 0);
    }
    for (int r = 0; r < 30; ++r) {
        EXPECT_EQ(w.Height(0, r), 0);
        EXPECT_EQ(w.Height(39, r), 0);
    }
    // Strong drops saturate instead of wrapping round.
    w.Drop(20, 15, 6, 30000);
    w.Drop(20, 15, 6, 30000);
    EXPECT_EQ(w.Height(20, 15), 32767);
    std::vector<u16> screen(40 * 30, 1), out(40 * 30, 0);
    w.GrabScreen(screen.data());
    for (int i = 0; i < 20; ++i) {
        w.Step();
        w.Render(out.data());  // steep slopes read inside the screen copy
    }
}

TEST(Water, HugeDropsCoverOnlyTheArea) {
    // A drop far off the area touches nothing; one with the largest radius a
    // script can give covers every inner cell once, by the same rule as a small one.
    cWater w(40, 30, 0, 0, 40, 30);
    w.Drop(19794, 0, 3584, 17496);
    w.DropShaped(-30, 40000, 3584, 17496);  // a negative x is placed at random: still far above
    EXPECT_EQ(NonZero(w), 0);
    w.Drop(20, 15, 65535, 1);
    EXPECT_EQ(NonZero(w), 38 * 28);
    EXPECT_EQ(w.Height(0, 0), 0);
    EXPECT_EQ(w.Height(20, 15), 32767);  // 65535 saturates
    cWater small(40, 30, 0, 0, 40, 30), big(40, 30, 0, 0, 40, 30);
    small.Drop(20, 15, 5, 3);
    big.Drop(20, 15, 5, 3);
    big.DropShaped(20, 15, 65535, 0);  // no strength: changes nothing
    for (int r = 0; r < 30; ++r)
        for (int c = 0; c < 40; ++c) EXPECT_EQ(small.Height(c, r), big.Height(c, r));
}

TEST(Water, RandomDropsKeepOffTheSides) {
    InitRandom(1234);
    const int r = 5;
    for (int i = 0; i < 200; ++i) {
        cWater w(100, 60, 0, 0, 100, 60);
        w.Drop(-1, -1, r, 1);
        for (int row = 0; row < 60; ++row)
            for (int c = 0; c < 100; ++c)
                if (w.Height(c, row) != 0) {
                    ASSERT_GE(c, 2);  // the centre lies at r + 1 or more, the bump r - 1 round it
                    ASSERT_LE(c, 100 - 2);
                }
    }
    cWater small(10, 10, 0, 0, 10, 10);
    small.Drop(-1, -1, 8, 1);  // too big to keep off the edges: lands in the middle
    EXPECT_NE(small.Height(5, 5), 0);
}

TEST(Water, AreaIsKeptOnTheScreen) {
    cWater w(64, 48, 0, 0, 16, 16);
    w.SetArea(60, 40);
    EXPECT_EQ(w.AreaX(), 64 - 16 - 1);
    EXPECT_EQ(w.AreaY(), 48 - 16 - 1);
    cWater big(64, 48, 0, 0, 100, 100);
    EXPECT_EQ(big.AreaW(), 64);
    EXPECT_EQ(big.AreaX(), 0);
}

TEST(Water, ShapedDropIsHighestInTheMiddle) {
    cWater w(64, 64, 0, 0, 64, 64);
    w.DropShaped(32, 32, 8, 100);
    EXPECT_GT(w.Height(32, 32), w.Height(36, 32));
    EXPECT_GT(w.Height(36, 32), 0);
    EXPECT_EQ(w.Height(40, 32), 0);
}

TEST(Water, DeleteWaterListFreesTheWholeChain) {
    gWaterList = new cWater(1, 1, 0, 0, 1, 1);
    gWaterList->next = new cWater(64, 48, 0, 0, 8, 8);
    EXPECT_TRUE(gWaterList->Step());
    DeleteWaterList();
    EXPECT_EQ(gWaterList, nullptr);
}

TEST(Water, ADropTouchesExactlyItsDiscAndOneFramesDropsAreBounded) {
    // Radius 3, strength 2 at (10, 10), worked by hand: (3 - d) * 2 truncated for
    // d * d < 9; (3, 0) lies on the rim and (2, 2) rounds to 0.
    cWater w(30, 30, 0, 0, 30, 30);
    w.Drop(10, 10, 3, 2);
    EXPECT_EQ(w.Height(10, 10), 6);
    EXPECT_EQ(w.Height(11, 10), 4);
    EXPECT_EQ(w.Height(10, 9), 4);
    EXPECT_EQ(w.Height(11, 11), 3);
    EXPECT_EQ(w.Height(12, 10), 2);
    EXPECT_EQ(w.Height(12, 11), 1);
    EXPECT_EQ(w.Height(8, 11), 1);
    EXPECT_EQ(w.Height(12, 12), 0);
    EXPECT_EQ(w.Height(13, 10), 0);
    EXPECT_EQ(w.Height(10, 7), 0);
    EXPECT_EQ(NonZero(w), 1 + 4 + 4 + 4 + 8);  // centre, d=1, d=sqrt2, d=2, d=sqrt5

    // Thousands of screen-sized drops in one frame: only a bounded number land,
    // each adding its full radius at the centre, and the next frame takes drops again.
    cWater big;
    for (int i = 0; i < 5000; ++i) big.Drop(320, 240, 2000, 1);
    const int landed = big.Height(320, 240) / 2000;
    EXPECT_EQ(big.Height(320, 240) % 2000, 0) << "no drop was cut short";
    EXPECT_GE(landed, 1);
    EXPECT_LE(landed, 10);
    big.Step();
    const int before = big.Height(100, 100);
    big.Drop(100, 100, 2, 1);
    EXPECT_EQ(big.Height(100, 100), before + 2);
}
