// Water ripples: calm water, placement, a drop that spreads and dies out, drops
// at the edges, heights worked out by hand, and the drops one frame takes.
#include <gtest/gtest.h>

#include <array>
#include <utility>
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

TEST(Water, CalmWaterPlacementDropsSpreadingDyingOutAndTouchingExactlyTheirDisc) {
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
    // A drop spreads, dies out, renders the displaced screen, and steps by hand.
    cWater spread(80, 80, 0, 0, 80, 80);
    spread.Drop(40, 40, 4, 10);
    int steps = 0;
    while (!spread.Step() && steps < 5000) ++steps;
    EXPECT_EQ(std::pair(steps < 5000, NonZero(spread)), std::pair(true, 0))
        << "the water calms down";
    // Rendered pixels come from the displaced screen.
    cWater r(32, 32, 0, 0, 32, 32);
    std::vector<u16> grid(32 * 32);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) grid[y * 32 + x] = static_cast<u16>(y * 100 + x);
    r.GrabScreen(grid.data());
    r.Drop(16, 16, 3, 100);
    std::vector<u16> shown(32 * 32, 0xFFFF);
    r.Render(shown.data());
    // Heights (3 - d) x 100 at distance d from (16, 16): 300 at the centre, 200
    // at 1, 158 at sqrt 2, 100 at 2, 76 at sqrt 5, 0 from 3 on. Shifts by >> 3
    // round down. (15, 15): 158 against 200 right and 200 below: (-6, -6) to
    // (9, 9). (17, 17): 158 against 76 right and below: (10, 10) to (27, 27).
    // (16, 14): 100 against 76 right and 200 below: (3, -13) to (19, 1).
    // (5, 5) lies in calm water.
    const std::array<int, 3> kShown[] = {{15, 15, 909}, {17, 17, 2727}, {16, 14, 119}, {5, 5, 505}};
    for (auto [x, y, from] : kShown) EXPECT_EQ(shown[y * 32 + x], from) << x << "," << y;
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
    // Drops touch exactly their disc inside the area; one frame's drops are bounded.
    cWater edges(40, 30, 0, 0, 40, 30);
    for (int x : {0, 1, 39, 40, 1000})
        for (int y : {0, 29, 30, -1}) edges.Drop(x, y, 6, 30000);
    for (int c = 0; c < 40; ++c) EXPECT_EQ(edges.Height(c, 0) | edges.Height(c, 29), 0) << c;
    for (int r = 0; r < 30; ++r) EXPECT_EQ(edges.Height(0, r) | edges.Height(39, r), 0) << r;
    // Strong drops saturate instead of wrapping round.
    edges.Drop(20, 15, 6, 30000);
    edges.Drop(20, 15, 6, 30000);
    EXPECT_EQ(edges.Height(20, 15), 32767);
    std::vector<u16> flat(40 * 30, 1), rendered(40 * 30, 0);
    edges.GrabScreen(flat.data());
    for (int i = 0; i < 20; ++i) {
        edges.Step();
        edges.Render(rendered.data());  // steep slopes read inside the screen copy
    }
    // A drop far off the area touches nothing; one with the largest radius a
    // script can give covers every inner cell once, by the same rule as a small one.
    cWater far(40, 30, 0, 0, 40, 30);
    far.Drop(19794, 0, 3584, 17496);
    far.DropShaped(-30, 40000, 3584, 17496);  // a negative x is placed at random: still far above
    EXPECT_EQ(NonZero(far), 0);
    far.Drop(20, 15, 65535, 1);
    EXPECT_EQ(std::pair(NonZero(far), int{far.Height(20, 15)}),
              std::pair(38 * 28, 32767));  // saturated
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
    EXPECT_EQ(std::pair(shaped2.Height(36, 32) > 0, int{shaped2.Height(40, 32)}),
              std::pair(true, 0));

    // Thousands of screen-sized drops in one frame: only a bounded number land,
    // each adding its full radius at the centre, and the next frame takes drops again.
    cWater many;
    for (int i = 0; i < 5000; ++i) many.Drop(320, 240, 2000, 1);
    const int landed = many.Height(320, 240) / 2000;
    EXPECT_EQ(many.Height(320, 240) % 2000, 0) << "no drop was cut short";
    EXPECT_TRUE(landed >= 1 && landed <= 10) << landed;
    many.Step();
    const int before = many.Height(100, 100);
    many.Drop(100, 100, 2, 1);
    EXPECT_EQ(many.Height(100, 100), before + 2);
}

}  // namespace
