// What a newcomer sees of the sample town: ground kinds that look apart on the
// canvas, and still people drawn at their cells.
#include "MapTestSupport.h"

using namespace sampleMap;

namespace {

struct SampleLook : TownFixture {
    // The ground of cell (cx, cy), 5 pixels into it, drawn with the view at (vx, vy).
    u16 GroundAt(int cx, int cy, i32 vx, i32 vy) {
        gViewX = vx;
        gViewY = vy;
        DrawGround();
        return *PaintPixelAddr(cx * 16 - vx + 5, cy * 16 - vy + 5);
    }
};

TEST_F(SampleLook, EachGroundKindDrawsInItsOwnColour) {
    using namespace sampleTile;
    struct Spot {
        int cx, cy;
        u16 kind;
    };
    // Street level (view at the top) and the harbour (view at the bottom).
    const Spot top[] = {{3, 5, kGrass},
                        {0, 5, kWall},
                        {35, 10, kWall},
                        {3, 10, kRoad},
                        {20, 15, kRoad},
                        {35, 14, kFloor},
                        {kEventX, kEventY, kEvent},
                        {kSignX, kSignY, kSpot}};
    const Spot bottom[] = {{10, 44, sampleTile::kWater}, {20, 41, kRoad}, {5, 40, kGrass}};
    std::set<u16> seen;
    for (const Spot& s : top) {
        u16 v = GroundAt(s.cx, s.cy, 0, 0);
        EXPECT_EQ(v, ConvertPixel(Body(s.kind))) << s.cx << "," << s.cy;
        seen.insert(v);
    }
    const i32 bottomView = (kTownH - 30) * 16;
    for (const Spot& s : bottom) {
        u16 v = GroundAt(s.cx, s.cy, 0, bottomView);
        EXPECT_EQ(v, ConvertPixel(Body(s.kind))) << s.cx << "," << s.cy;
        seen.insert(v);
    }
    // Grass, wall, road, floor, stone, signpost and water: seven looks.
    EXPECT_EQ(seen.size(), 7u);
    // A wall tile is not one flat colour: its mortar shows.
    gViewX = gViewY = 0;
    DrawGround();
    EXPECT_NE(*PaintPixelAddr(0 * 16 + 5, 5 * 16 + 0), *PaintPixelAddr(0 * 16 + 5, 5 * 16 + 5));
}

// People who never animate (no behaviour script, no 0x1000) still show the first
// frame of their act at their cell from the moment the map is entered, and
// mark their cell with the bits their state asks for.
TEST_F(SampleLook, StillPeopleAreDrawnAtTheirCellsAndMarkThem) {
    ClearDepthScale();  // the town's depth rows would scale the people
    gViewX = gViewY = 0;
    FillCanvas(0);
    DrawWorld();
    int still = 0;
    for (int i = 1; i < gMapRoleCount; ++i) {
        const RoleSlot& s = gMapRoles[i];
        if (i == gPlayerSlot || !(s.state & kRoleShown) || s.scriptId || (s.state & 0x1000))
            continue;
        if (s.x >= 640 || s.y >= 480) continue;
        ++still;
        // The frame the role's act starts with, taken apart from the role.
        ActPlayer a{};
        ResetActPlayer(&a);
        a.act = s.act->act;
        a.action = s.act->action;
        a.dir = s.act->dir;
        ASSERT_EQ(TakeActData(&a), 1) << s.roleId;
        int shown = 0, wrong = 0;
        ForFramePixels(a, s.x, s.y, [&](int x, int y, u16 v) {
            (*PaintPixelAddr(x, y) == v ? shown : wrong)++;
        });
        EXPECT_GT(shown, 200) << "role " << s.roleId << " at " << s.x / 16 << "," << s.y / 16;
        EXPECT_EQ(wrong, 0) << s.roleId;
        u32 cell = gMap.cells[static_cast<size_t>(s.y / 16) * gMap.width + s.x / 16];
        EXPECT_TRUE(cell & kCellRole) << s.roleId;
        EXPECT_EQ((cell & kCellWide) != 0, (s.state & kRoleWide) != 0) << s.roleId;
    }
    EXPECT_GE(still, 2) << "the collector and the store keeper";
}

}  // namespace
