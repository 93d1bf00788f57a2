// Water ripples: calm water, a drop that spreads and dies out, drops at the edges.
#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "engine/Random.h"
#include "engine/Water.h"

namespace {

using Grid = std::vector<std::vector<int>>;

// Every height of the area, row by row.
Grid Heights(const cWater& w) {
    Grid out(w.AreaH());
    for (int r = 0; r < w.AreaH(); ++r)
        for (int c = 0; c < w.AreaW(); ++c) out[r].push_back(w.Height(c, r));
    return out;
}

int NonZero(const cWater& w) {
    int n = 0;
    for (const auto& row : Heights(w))
        for (int h : row) n += h != 0;
    return n;
}

}  // namespace

TEST(Water, CalmWaterAreaPlacementTheListAndRandomDrops) {
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
    // The area is kept on the screen.
    cWater a(64, 48, 0, 0, 16, 16);
    a.SetArea(60, 40);
    EXPECT_EQ(std::make_pair(a.AreaX(), a.AreaY()), std::make_pair(64 - 16 - 1, 48 - 16 - 1));
    cWater big(64, 48, 0, 0, 100, 100);
    EXPECT_EQ(std::make_pair(big.AreaW(), big.AreaX()), std::make_pair(64, 0));
    // DeleteWaterList frees the whole chain.
    gWaterList = new cWater(1, 1, 0, 0, 1, 1);
    gWaterList->next = new cWater(64, 48, 0, 0, 8, 8);
    DeleteWaterList();
    EXPECT_EQ(gWaterList, nullptr);
    // Random drops keep off the sides.
    InitRandom(1234);
    for (int i = 0; i < 200; ++i) {
        cWater rw(100, 60, 0, 0, 100, 60);
        rw.Drop(-1, -1, 5, 1);
        // The centre lies at r + 1 or more, the bump r - 1 round it.
        for (int row = 0; row < 60; ++row)
            for (int c : {0, 1, 99}) ASSERT_EQ(rw.Height(c, row), 0);
    }
    cWater tiny(10, 10, 0, 0, 10, 10);
    tiny.Drop(-1, -1, 8, 1);  // too big to keep off the edges: lands in the middle
    EXPECT_NE(tiny.Height(5, 5), 0);
}

TEST(Water, ADropSpreadsDiesOutRendersTheDisplacedScreenAndStepsByHand) {
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
    // Rendered pixels come from the displaced screen.
    cWater r(32, 32, 0, 0, 32, 32);
    std::vector<u16> screen(32 * 32);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) screen[y * 32 + x] = static_cast<u16>(y * 100 + x);
    r.GrabScreen(screen.data());
    r.Drop(16, 16, 3, 100);
    std::vector<u16> out(32 * 32, 0xFFFF);
    r.Render(out.data());
    // At (14, 16): h = (3 - 2) * 100 = 100, right neighbour (15, 16) is 182: dx = -82 >> 3 = -11.
    int h = r.Height(14, 16), hr = r.Height(15, 16), hb = r.Height(14, 17);
    int sx = 14 + ((h - hr) >> 3), sy = 16 + ((h - hb) >> 3);
    EXPECT_EQ(out[16 * 32 + 14], screen[sy * 32 + sx]);
    cWater f(5, 5, 0, 0, 5, 5);
    f.Drop(2, 2, 1, 100);  // radius 1: the one cell, (1 - 0) x 100
    ASSERT_EQ(f.Height(2, 2), 100);
    // Step 1: each of the eight cells around the bump sums 100: 100 >> 2 = 25,
    // damped 25 - (25 >> 4) = 24; the bump's own cell sums 0.
    EXPECT_FALSE(f.Step());
    EXPECT_EQ(Heights(f), (Grid{{0, 0, 0, 0, 0},
                                {0, 24, 24, 24, 0},
                                {0, 24, 0, 24, 0},
                                {0, 24, 24, 24, 0},
                                {0, 0, 0, 0, 0}}));
    // Step 2 against the buffer that still holds the bump: the middle sums
    // 8 x 24 = 192: 48 - 100 = -52, damped -52 - (-52 >> 4) = -48; an edge cell
    // sums 4 x 24: 24 - 1 = 23; a corner 2 x 24: 12. The border stays 0.
    EXPECT_FALSE(f.Step());
    EXPECT_EQ(Heights(f), (Grid{{0, 0, 0, 0, 0},
                                {0, 12, 23, 12, 0},
                                {0, 23, -48, 23, 0},
                                {0, 12, 23, 12, 0},
                                {0, 0, 0, 0, 0}}));
}

TEST(Water, DropsTouchExactlyTheirDiscInsideTheAreaAndOneFramesDropsAreBounded) {
    cWater w(40, 30, 0, 0, 40, 30);
    for (int x : {0, 1, 39, 40, 1000})
        for (int y : {0, 29, 30, -1}) w.Drop(x, y, 6, 30000);
    for (int c = 0; c < 40; ++c) EXPECT_EQ(w.Height(c, 0) | w.Height(c, 29), 0) << c;
    for (int r = 0; r < 30; ++r) EXPECT_EQ(w.Height(0, r) | w.Height(39, r), 0) << r;
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
    // A drop far off the area touches nothing; one with the largest radius a
    // script can give covers every inner cell once, by the same rule as a small one.
    cWater f(40, 30, 0, 0, 40, 30);
    f.Drop(19794, 0, 3584, 17496);
    f.DropShaped(-30, 40000, 3584, 17496);  // a negative x is placed at random: still far above
    EXPECT_EQ(NonZero(f), 0);
    f.Drop(20, 15, 65535, 1);
    EXPECT_EQ(NonZero(f), 38 * 28);
    EXPECT_EQ(f.Height(20, 15), 32767);  // 65535 saturates
    cWater small(40, 30, 0, 0, 40, 30), shaped(40, 30, 0, 0, 40, 30);
    small.Drop(20, 15, 5, 3);
    shaped.Drop(20, 15, 5, 3);
    shaped.DropShaped(20, 15, 65535, 0);  // no strength: changes nothing
    EXPECT_EQ(Heights(small), Heights(shaped));
    // Radius 3, strength 2 at (10, 10), worked by hand: (3 - d) * 2 truncated for
    // d * d < 9; (3, 0) lies on the rim and (2, 2) rounds to 0.
    cWater disc(30, 30, 0, 0, 30, 30);
    disc.Drop(10, 10, 3, 2);
    const int cells[][3] = {{10, 10, 6}, {11, 10, 4}, {10, 9, 4},  {11, 11, 3}, {12, 10, 2},
                            {12, 11, 1}, {8, 11, 1},  {12, 12, 0}, {13, 10, 0}, {10, 7, 0}};
    for (const auto& c : cells) EXPECT_EQ(disc.Height(c[0], c[1]), c[2]) << c[0] << "," << c[1];
    EXPECT_EQ(NonZero(disc), 1 + 4 + 4 + 4 + 8);  // centre, d=1, d=sqrt2, d=2, d=sqrt5
    // A shaped drop is highest in the middle.
    cWater shaped2(64, 64, 0, 0, 64, 64);
    shaped2.DropShaped(32, 32, 8, 100);
    EXPECT_GT(shaped2.Height(32, 32), shaped2.Height(36, 32));
    EXPECT_GT(shaped2.Height(36, 32), 0);
    EXPECT_EQ(shaped2.Height(40, 32), 0);

    // Thousands of screen-sized drops in one frame: only a bounded number land,
    // each adding its full radius at the centre, and the next frame takes drops again.
    cWater many;
    for (int i = 0; i < 5000; ++i) many.Drop(320, 240, 2000, 1);
    const int landed = many.Height(320, 240) / 2000;
    EXPECT_EQ(many.Height(320, 240) % 2000, 0) << "no drop was cut short";
    EXPECT_GE(landed, 1);
    EXPECT_LE(landed, 10);
    many.Step();
    const int before = many.Height(100, 100);
    many.Drop(100, 100, 2, 1);
    EXPECT_EQ(many.Height(100, 100), before + 2);
}
