// Goals that walls part from the start are refused without a search, and a
// wall opened between two searches is seen by the next one.
#include <gtest/gtest.h>

#include "MapTestSupport.h"
#include "map/AStar.h"

namespace {

class WallRegion : public ::testing::Test {
protected:
    void SetUp() override { ResetAStar(); }
    void TearDown() override { ResetAStar(); }
};

// A closed ring of walls around (cx, cy) with inner half-size r.
void Ring(GridMap& g, u32 cx, u32 cy, u32 r, u32 bits = 0x40000000u) {
    for (u32 k = cx - r - 1; k <= cx + r + 1; ++k) {
        g.at(k, cy - r - 1) = g.at(k, cy + r + 1) = bits;
        g.at(cx - r - 1, k - cx + cy) = g.at(cx + r + 1, k - cx + cy) = bits;
    }
}

TEST_F(WallRegion, AnOpenedWallMakesTheGoalReachableAgain) {
    GridMap g(40, 30);
    Ring(g, 20, 15, 3);
    aStar a;
    std::vector<u8> dirs;
    EXPECT_EQ(a.FindPath(2 * 16, 2 * 16, 20 * 16, 15 * 16, 1, 1, &dirs), 0);
    EXPECT_EQ(a.FindPath(20 * 16, 15 * 16, 2 * 16, 2 * 16, 1, 1, &dirs), 0);  // and out of it
    EXPECT_EQ(WallRegionBuilds(), 1u);
    // The ring is written open where nothing tells the search.
    g.at(16, 15) = 0;
    ASSERT_EQ(a.FindPath(2 * 16, 2 * 16, 20 * 16, 15 * 16, 1, 1, &dirs), 1);
    int x = 2, y = 2;
    bool throughGap = false;
    for (u8 d : dirs) {
        x += kRouteDx[d], y += kRouteDy[d];
        ASSERT_EQ(g.at(x, y), 0u) << x << "," << y;
        throughGap |= x == 16 && y == 15;
    }
    EXPECT_TRUE(throughGap);
    EXPECT_EQ(x * 100 + y, 20 * 100 + 15);
    // Closed again: refused again.
    g.at(16, 15) = 0x40000000u;
    EXPECT_EQ(a.FindPath(2 * 16, 2 * 16, 20 * 16, 15 * 16, 1, 1, &dirs), 0);
}

TEST_F(WallRegion, DiagonalGapsJoinAndOtherBlocksStayTheSearchsBusiness) {
    GridMap g(30, 20);
    Ring(g, 10, 10, 2);
    aStar a;
    std::vector<u8> dirs;
    // A corner of the ring opened: the search steps diagonally through it.
    g.at(7, 7) = 0;
    EXPECT_EQ(a.FindPath(1 * 16, 1 * 16, 10 * 16, 10 * 16, 1, 1, &dirs), 1);
    // A ring of low-role cells parts the cells only under a mask that has them.
    GridMap h(30, 20);
    Ring(h, 10, 10, 2, 0x00800000u);
    EXPECT_EQ(a.FindPath(1 * 16, 1 * 16, 10 * 16, 10 * 16, 1, 1, &dirs), 0);
    a.SetBlockMask(0x40000000u);
    EXPECT_EQ(a.FindPath(1 * 16, 1 * 16, 10 * 16, 10 * 16, 1, 1, &dirs), 1);
    // Without the wall bit in the mask the walls do not part anything.
    Ring(h, 10, 10, 2);
    a.SetBlockMask(0x00800000u);
    EXPECT_EQ(a.FindPath(1 * 16, 1 * 16, 10 * 16, 10 * 16, 1, 1, &dirs), 1);
}

}  // namespace
