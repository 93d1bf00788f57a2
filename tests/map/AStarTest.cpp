// Path search against the shortest walk on generated mazes, its tie-break on
// hand-worked maps, its edge cases, the pool, and the route steppers.
#include <optional>

#include "MapTestSupport.h"
#include "engine/DataErrors.h"

namespace {

// Whether a fw x fh footprint at (x, y) lies inside the map on cells free of mask.
bool Fits(const GridMap& g, int x, int y, int fw, int fh, u32 mask) {
    int W = static_cast<int>(gMap.width), H = static_cast<int>(gMap.height);
    if (x < 0 || y < 0 || x + fw > W || y + fh > H) return false;
    for (int r = 0; r < fh; ++r)
        for (int c = 0; c < fw; ++c)
            if (g.cells[static_cast<size_t>(y + r) * W + x + c] & mask) return false;
    return true;
}

// The length of a route in cell steps: straight ones and diagonal ones (16 and
// 16 x sqrt(2) pixels).
struct Steps {
    int straight = 0, diagonal = 0;
    double Length() const { return straight + diagonal * std::sqrt(2.0); }
};

// The unit cell step of each route direction.
constexpr int kStepX[8] = {1, 0, -1, -1, -1, 0, 1, 1}, kStepY[8] = {1, 1, 1, 0, -1, -1, -1, 0};

// The shortest walk from the start to the goal by plain Dijkstra over the
// eight steps of every place the footprint fits, or nothing when the goal is out of reach.
std::optional<double> ShortestWalk(const GridMap& g, int sx, int sy, int gx, int gy, int fw, int fh,
                                   u32 mask) {
    const int w = static_cast<int>(gMap.width), h = static_cast<int>(gMap.height);
    if (!Fits(g, gx, gy, fw, fh, mask)) return std::nullopt;
    std::vector<double> dist(static_cast<size_t>(w) * h, 1e300);
    using Entry = std::pair<double, int>;
    std::priority_queue<Entry, std::vector<Entry>, std::greater<Entry>> open;
    dist[static_cast<size_t>(sy) * w + sx] = 0;
    open.push({0, sy * w + sx});
    while (!open.empty()) {
        const auto [d, at] = open.top();
        open.pop();
        if (d > dist[at]) continue;
        if (at == gy * w + gx) return d;
        for (int k = 0; k < 8; ++k) {
            const int x = at % w + kStepX[k], y = at / w + kStepY[k];
            if (!Fits(g, x, y, fw, fh, mask)) continue;
            const double next = d + (kStepX[k] && kStepY[k] ? std::sqrt(2.0) : 1.0);
            if (next < dist[static_cast<size_t>(y) * w + x] - 1e-9) {
                dist[static_cast<size_t>(y) * w + x] = next;
                open.push({next, y * w + x});
            }
        }
    }
    return std::nullopt;
}

// Walks a route's directions from the start, each step onto a place it fits;
// its steps, or nothing when a step is refused or the walk ends off the goal.
std::optional<Steps> WalkRoute(const GridMap& g, const std::vector<u8>& dirs, int sx, int sy,
                               int gx, int gy, int fw, int fh, u32 mask) {
    Steps s;
    for (u8 d : dirs) {
        if (d == 255) break;
        if (d > 7) return std::nullopt;
        sx += kStepX[d], sy += kStepY[d];
        if (!Fits(g, sx, sy, fw, fh, mask)) return std::nullopt;
        ++(kStepX[d] && kStepY[d] ? s.diagonal : s.straight);
    }
    if (sx != gx || sy != gy) return std::nullopt;
    return s;
}

// A search from cell (sx, sy) to (gx, gy) for a fw x fh footprint: found
// exactly when a walk exists, and then its route is as short as the
// shortest. The shortest length, or nothing when no walk exists.
std::optional<double> SearchShortest(const GridMap& g, int sx, int sy, int gx, int gy, int fw,
                                     int fh, u32 mask, std::vector<u8>* dirs) {
    aStar a;
    a.SetBlockMask(mask);
    const int ok = a.FindPath(sx * 16, sy * 16, gx * 16, gy * 16, fw, fh, dirs);
    const std::optional<double> best = ShortestWalk(g, sx, sy, gx, gy, fw, fh, mask);
    EXPECT_EQ(std::tuple(ok, a.result), std::tuple(best ? 1 : 0, ok));
    if (!ok || !best) return best;
    const std::optional<Steps> walk = WalkRoute(g, *dirs, sx, sy, gx, gy, fw, fh, mask);
    EXPECT_NEAR(walk ? walk->Length() : -1.0, *best, 1e-9);
    return best;
}

class AStarTest : public ::testing::Test {
protected:
    void SetUp() override { ResetAStar(); }
    void TearDown() override { ResetAStar(); }
};

// Mazes of walls and people, some nearly open (ties everywhere), some with a
// crowd around a cell, some large and halved by a wall with one door that a
// crowd may close (searches long enough for the start's side to be flooded
// too), under every kind of mask and footprint: each route is a shortest one,
// valid cell by cell.
TEST_F(AStarTest, RoutesAreValidAndShortestOnMazes) {
    std::mt19937 rng(77);
    const u32 kMasks[4] = {kDefaultBlockMask, kCellWall, kCellWall | kCellRole, 0};
    const u32 kBits[3] = {kCellWall, kCellLow, kCellRole};
    int found = 0, refused = 0;
    for (int maze = 0; maze < 160; ++maze) {
        const bool halved = maze % 20 == 19;
        u32 w = halved ? 200 : 12 + rng() % 50, h = halved ? 150 : 10 + rng() % 40;
        GridMap g(w, h);
        int density =
            maze % 4 == 3 ? static_cast<int>(rng() % 4) : 10 + static_cast<int>(rng() % 30);
        for (u32& c : g.cells)
            if (static_cast<int>(rng() % 100) < density) c = kBits[rng() % 3];
        const u32 door = 2 + rng() % (h - 4);
        for (u32 y = 0; halved && y < h; ++y) g.at(w / 2, y) = y == door ? 0 : kCellWall;
        const u32 mask = kMasks[(maze / 2 + maze / 20) % 4];
        int fw = maze % 3 == 0 ? 2 : 1, fh = maze % 5 == 0 ? 2 : 1;
        for (int q = 0; q < 8; ++q) {
            int sx = rng() % (w - fw + 1), sy = rng() % (h - fh + 1);
            int gx = rng() % (w - fw + 1), gy = rng() % (h - fh + 1);
            // Now and then a crowd closes around the start or the goal.
            for (u32 y = door - 1; halved && y <= door + 1; ++y)
                g.at(w / 2 + 1, y) = q % 4 == 3 ? kCellLow : 0;
            if (q % 4 == 1 || q % 4 == 2) {
                int cx = q % 4 == 1 ? sx : gx, cy = q % 4 == 1 ? sy : gy, rad = fw + 1;
                for (int y = cy - rad; y <= cy + rad; ++y)
                    for (int x = cx - rad; x <= cx + rad; ++x)
                        if (x >= 0 && y >= 0 && x < static_cast<int>(w) &&
                            y < static_cast<int>(h) &&
                            (std::abs(x - cx) == rad || std::abs(y - cy) == rad))
                            g.at(x, y) = q % 4 == 1 ? kCellLow : kCellRole | kCellLow;
            }
            for (int r = 0; r < fh; ++r)
                for (int c = 0; c < fw; ++c) g.at(sx + c, sy + r) = 0;
            if (sx == gx && sy == gy) continue;
            SCOPED_TRACE(testing::Message() << maze << "/" << q);
            std::vector<u8> dirs;
            (SearchShortest(g, sx, sy, gx, gy, fw, fh, mask, &dirs) ? found : refused)++;
        }
    }
    EXPECT_TRUE(found > 400 && refused > 100) << found << " found, " << refused << " refused";
}

TEST_F(AStarTest, PoolPeakStaysStableOverAThousandSearchesAndALongRouteIsHeldWhole) {
    InitAStarPool();
    GridMap g(40, 30);
    std::mt19937 rng(5);
    for (u32& c : g.cells)
        if (rng() % 100 < 20) c = 0x40000000u;
    aStar warm;
    std::vector<u8> dirs;
    for (int i = 0; i < 50; ++i) {
        g.at(1, 1) = g.at(38, 28) = 0;
        warm.FindPath(16, 16, 38 * 16, 28 * 16, 1, 1, &dirs);
    }
    AStarPoolStats before = GetAStarPoolStats();
    for (int i = 0; i < 1000; ++i) {
        aStar a;
        a.FindPath(16, 16, 38 * 16, 28 * 16, 1, 1, &dirs);
    }
    AStarPoolStats after = GetAStarPoolStats();
    EXPECT_EQ(std::tuple(after.peak, after.nodes, after.peak <= 40u * 30u, after.searches),
              std::tuple(before.peak, before.nodes, true, before.searches + 1000));
    // A long route is held whole.
    GridMap line(700, 3);
    RoleRoute r;
    ClearRoleRoute(&r);
    aStar a;
    ASSERT_EQ(a.FindPath(0, 16, 650 * 16, 16, 1, 1, &r), 1);
    r.role = 1;
    int n = 0, x = 0;
    for (u8 d; (d = RouteDirAt(&r, n)) != kRouteEnd; ++n) x += kRouteDx[d];
    EXPECT_EQ(std::tuple(n, x), std::tuple(650, 650));
    ClearRoleRoute(&r);
    EXPECT_EQ(RouteDirAt(&r, 600), kRouteEnd);
}

// A closed ring of walls around (cx, cy) with inner half-size r.
void Ring(GridMap& g, u32 cx, u32 cy, u32 r, u32 bits = kCellWall) {
    for (u32 k = cx - r - 1; k <= cx + r + 1; ++k) {
        g.at(k, cy - r - 1) = g.at(k, cy + r + 1) = bits;
        g.at(cx - r - 1, k - cx + cy) = g.at(cx + r + 1, k - cx + cy) = bits;
    }
}

// Goals that walls part from the start are refused without a search, and a
// wall opened between two searches is seen by the next one.
// Small open maps where shortest walks of one step and one diagonal tie: the
// route is the one the search must pick. Worked back from G: G's neighbours
// open in the order up-left, up, up-right, right, down-right, down, down-left,
// left, and of equal f = g + h the one opened last is taken first.
TEST_F(AStarTest, TiedShortestWalksTakeTheNeighbourOpenedLast) {
    struct Case {
        const char* what;
        std::vector<const char*> rows;
        std::vector<u8> route;
    };
    const Case cases[] = {
        // Up-left (1, 0) and left (1, 1) both have f = one step and one
        // diagonal; (1, 1) is taken and reaches S diagonally with that same f,
        // newer than (1, 0): a diagonal, then right.
        {"tie opened left last", {"S..", "..G"}, {0, 7}},
        // Up-left (0, 1) and up (1, 1) tie; (1, 1) reaches S: diagonal, then down.
        {"tie opened up last", {"S.", "..", ".G"}, {0, 1}},
        // Down-left (1, 1) and left (1, 0) tie; (1, 0) reaches S down-left:
        // up-right, then right.
        {"tie opened below first", {"..G", "S.."}, {6, 7}},
    };
    for (const Case& c : cases) {
        const u32 w = static_cast<u32>(std::strlen(c.rows[0])), h = static_cast<u32>(c.rows.size());
        GridMap g(w, h);
        int sx = 0, sy = 0, gx = 0, gy = 0;
        for (u32 y = 0; y < h; ++y)
            for (u32 x = 0; x < w; ++x) {
                if (c.rows[y][x] == 'S') sx = static_cast<int>(x), sy = static_cast<int>(y);
                if (c.rows[y][x] == 'G') gx = static_cast<int>(x), gy = static_cast<int>(y);
            }
        SCOPED_TRACE(c.what);
        std::vector<u8> dirs;
        SearchShortest(g, sx, sy, gx, gy, 1, 1, kDefaultBlockMask, &dirs);
        EXPECT_EQ(dirs, c.route);
    }
}

TEST_F(AStarTest, AnOpenedWallMakesTheGoalReachableAgainAndGoalsOnTheStartCell) {
    GridMap g(40, 30);
    Ring(g, 20, 15, 3);
    aStar a;
    std::vector<u8> dirs;
    EXPECT_EQ(a.FindPath(2 * 16, 2 * 16, 20 * 16, 15 * 16, 1, 1, &dirs), 0);
    EXPECT_EQ(a.FindPath(20 * 16, 15 * 16, 2 * 16, 2 * 16, 1, 1, &dirs), 0);  // and out of it
    EXPECT_EQ(WallRegionBuilds(), 1u);
    // The ring is written open where nothing tells the search.
    g.at(16, 15) = 0;
    // Thirteen diagonals to (15, 15), then five steps right through the gap.
    ASSERT_EQ(a.FindPath(2 * 16, 2 * 16, 20 * 16, 15 * 16, 1, 1, &dirs), 1);
    const std::optional<Steps> walk = WalkRoute(g, dirs, 2, 2, 20, 15, 1, 1, kDefaultBlockMask);
    ASSERT_TRUE(walk.has_value());
    EXPECT_NEAR(walk->Length(), (Steps{5, 13}.Length()), 1e-9);
    // Closed again: refused again.
    g.at(16, 15) = 0x40000000u;
    EXPECT_EQ(a.FindPath(2 * 16, 2 * 16, 20 * 16, 15 * 16, 1, 1, &dirs), 0);
    // The same pixel is an empty route; the same cell at another pixel is none.
    dirs = {9, 9};
    EXPECT_EQ((std::tuple{a.FindPath(32, 32, 32, 32, 1, 1, &dirs), dirs.empty()}),
              std::tuple(1, true));
    EXPECT_EQ(a.FindPath(32, 32, 36, 40, 1, 1, &dirs), 0);
}

class StepperTest : public AStarTest {
protected:
    void SetUp() override {
        AStarTest::SetUp();
        ResetRoleTable();
        ClearRouteRecords();
        ClearFollowers();
        AllocMapObjectBuckets();
        gMapRoleCount = 1;
    }
    void TearDown() override {
        ResetRoleTable();
        FreeMapObjectBuckets();
        AStarTest::TearDown();
    }
    int AddRole(u16 id, int cx, int cy, u32 state = kRoleShown) {
        int n = gMapRoleCount;
        RoleSlot& s = PutRole(n, id, cx * 16, cy * 16, state);
        InsertMapObject(&s, static_cast<int>(state & 3));
        MarkRoleFootprint(&s);
        return n;
    }
};

TEST_F(StepperTest, StartRouteRefusesOutsideTeleportsWhenUnreachableAndStepsInADirection) {
    GridMap g(16, 12);
    int n = AddRole(50, 2, 2);
    EXPECT_EQ((std::tuple{StartRoleRoute(n, 16, 3), gMapRoles[n].x}), std::tuple(0, 32));
    // A target walled in: the role is put there, footprint and cell pointer with it.
    Ring(g, 10, 6, 0);
    EXPECT_EQ(StartRoleRoute(n, 10, 6), 0);
    EXPECT_EQ(std::tuple(gMapRoles[n].x, gMapRoles[n].y, gMapRoles[n].cell, g.at(10, 6) & kCellRole,
                         g.at(2, 2) & kCellRole, FindRoleRoute(n)),
              std::tuple(160, 96, &g.at(10, 6), kCellRole, 0u, nullptr));
    // A step in a direction walks, waits at a wall, and stands for a direction past the eight.
    const int m = AddRole(60, 5, 5);
    EXPECT_EQ(StepRoleInDirection(m, 3), 1);
    const RoleRoute* r = FindRoleRoute(m, kRouteBehaviour);
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(std::tuple(r->dirs[0], r->stepX, r->stepY, gMapRoles[m].act->action),
              std::tuple(3, -4, 0, 8));
    g.at(4, 5) = 0x40000000u;
    StepRoleInDirection(m, 3);
    EXPECT_TRUE(r->pos & kRoutePaused);
    StepRoleInDirection(m, 70);
    EXPECT_EQ(gMapRoles[m].act->action, 0);
}

TEST_F(StepperTest, OwnFootprintDoesNotBlockAndOccupiedCellsAreRetried) {
    GridMap g(16, 12);
    int n = AddRole(50, 2, 2, 0x8000 | 0x10);  // a low role marks 0x00800000, in the default mask
    ASSERT_EQ(StartRoleRoute(n, 6, 2), 1);
    RoleRoute* r = FindRoleRoute(n, kRouteBehaviour);
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(std::tuple(r->targetX, RouteDirAt(r, 0)), std::tuple(96, 7));
    // A wide role stands in the way: occupied cells wait, walls never give way.
    AddRole(51, 3, 2, 0x8000 | 0x4000);
    for (int k = 0; k < 9; ++k) {
        const int stepped = StepRoleRoute(n);
        EXPECT_EQ(std::tuple(stepped, r->pos & kRoutePaused, r->stepX),
                  std::tuple(1, kRoutePaused, 0))
            << k;
    }
    EXPECT_EQ(StepRoleRoute(n), 1);  // the tenth try walks through people
    EXPECT_EQ(std::tuple(r->pos & kRoutePaused, r->stepX, r->retry), std::tuple(0u, 4, 0));
    // A talk lock holds it.
    gMapRoles[n].talkLock = 1;
    EXPECT_EQ((std::tuple{StepRoleRoute(n), r->pos & kRoutePaused}), std::tuple(0, kRoutePaused));
    gMapRoles[n].talkLock = 0;
    // The end of the route frees the record.
    r->pos = 4;
    EXPECT_EQ((std::tuple{StepRoleRoute(n), r->role, StepRoleRoute(n)}), std::tuple(2, kNoRole, 2));
    // A story walk holds the stepper off.
    r->role = static_cast<u16>(n);
    r->state = kRouteStory;
    EXPECT_EQ(StepRoleRoute(n), 0);
}

// The leader at cell (2, 5) and one follower; the whole trail on the leader.
class FollowerTest : public StepperTest {
protected:
    int Party(int followerCx, int followerCy) {
        ClearFollowers();
        gPlayerSlot = AddRole(1, 2, 5);
        gMapRoles[gPlayerSlot].act->dir = 3;
        int f = AddRole(60, followerCx, followerCy, 0x8000 | kRoleFollows);
        gFollowers.slot[0] = static_cast<u8>(gPlayerSlot);
        gFollowers.slot[1] = static_cast<u8>(f);
        gFollowers.count = 2;
        for (int k = 0; k < kTrailLength; ++k) {
            gFollowers.trailX[k] = 2 * 16;
            gFollowers.trailY[k] = 5 * 16;
        }
        gViewX = gViewY = 0;
        return f;
    }
};

TEST_F(FollowerTest, AFarFollowerIsBroughtToTheWidenedViewAndOneWithNoWayStands) {
    GridMap g(64, 12);
    int f = Party(60, 5);  // x 960: right of 640 + 80
    RoleSlot& s = gMapRoles[f];
    StepFollower(f);
    // Moved west a cell at a time until x - view x is 720 at most: x 720.
    // From there it walks the rest of its route.
    EXPECT_EQ(std::tuple(s.x, s.y, s.cell, g.at(45, 5) & kCellRole, g.at(60, 5) & kCellRole,
                         s.act->action, gFollowers.routes[1].stepX, gFollowers.routes[1].stepY),
              std::tuple(720, 80, &g.at(45, 5), kCellRole, 0u, 8, -8, 0));
    // Walled in on every side, it stands facing the leader.
    f = Party(10, 5);
    Ring(g, 10, 5, 0);
    gMapRoles[f].act->action = 8;
    gMapRoles[f].act->dir = 6;
    StepFollower(f);
    EXPECT_EQ(std::tuple(gMapRoles[f].x, gMapRoles[f].act->action, gMapRoles[f].act->dir),
              std::tuple(160, 0, 3));
}

// Footprints and cell bits, role lookups, and role-record round trips.

// A record table with these role ids and its end row, bound as the roles' records.
void BindRecords(std::vector<u8>& table, std::initializer_list<u16> ids) {
    table.assign((ids.size() + 1) * kRecordBytes, 0);
    size_t row = 0;
    for (u16 id : ids) StoreU16(table.data() + row++ * kRecordBytes + 2, id);
    StoreU16(table.data() + row * kRecordBytes, 0xFFFF);
    ASSERT_TRUE(BindRoleRecords(table.data(), table.size()));
}

class RoleTable : public ::testing::Test {
protected:
    void TearDown() override {
        ClearRoleTable();
        BindRoleRecords(nullptr, 0);
    }
    RoleSlot* MakeRole(int n, u16 id, u16 x, u16 y, u32 w, u32 h, u32 state = 0x8000) {
        RoleSlot& s = PutRole(n, id, x, y, state);
        s.act->cellW = w;
        s.act->cellH = h;
        return &s;
    }
    Harness h;
    std::vector<u8> table_;
};

TEST_F(RoleTable, FootprintMarksTheCellsOfEachSizeOnlyInsideTheMapAndKeepsThePlayerBit) {
    GridMap g(8, 6);
    gPlayerId = 1;
    // A 2 x 1 role; a 3 x 3 one anchored two cells from the right edge and one
    // from the bottom; a 2-wide one at the last column: only the cells inside
    // the map are marked, nothing wraps into the next row or the start, and
    // clearing takes every mark away.
    constexpr u32 kWideLow = 0x8000 | kRoleWide | kRoleLow;
    const std::tuple<int, int, u32, u32, u32, u32, std::vector<std::pair<int, int>>> kRoles[] = {
        {2, 1, 2, 1, 0x8000, kCellRole, {{2, 1}, {3, 1}}},
        {6, 5, 3, 3, kWideLow, kCellRole | kCellWide | kCellLow, {{6, 5}, {7, 5}}},
        {7, 2, 2, 1, 0x8000, kCellRole, {{7, 2}}}};
    for (const auto& [cx, cy, w, h, state, bits, cells] : kRoles) {
        RoleSlot* s = MakeRole(2, 5, 16 * cx, 16 * cy, w, h, state);
        MarkRoleFootprint(s);
        std::vector<u32> want(g.cells.size(), 0);
        for (auto [x, y] : cells) want[y * 8 + x] = bits;
        EXPECT_EQ(g.cells, want) << cx << "," << cy;
        ClearRoleFootprint(s);
        EXPECT_EQ(g.cells, std::vector<u32>(g.cells.size(), 0u));
    }
    // The player's bit stays while another role leaves the same cell.
    RoleSlot* player = MakeRole(1, 1, 16, 16, 1, 1);
    RoleSlot* other = MakeRole(2, 9, 16, 16, 1, 1, 0x8000 | kRoleWide);
    MarkRoleFootprint(player);
    MarkRoleFootprint(other);
    EXPECT_EQ(g.at(1, 1), kCellRole | kCellPlayer | kCellWide);
    ClearRoleFootprint(other);
    EXPECT_EQ(g.at(1, 1), kCellPlayer);
    ClearRoleFootprint(player);
    EXPECT_EQ(g.at(1, 1), 0u);
}

TEST_F(RoleTable, LookupTakesPlayerReferencesAndSkipsRemovedRowsAreasAndBlockedDirections) {
    GridMap g(4, 4);
    gPlayerSlot = 3;
    MakeRole(1, 40, 0, 0, 1, 1, 0x8000 | kRoleGone);
    MakeRole(2, 40, 0, 0, 1, 1);
    // A reference, whether it is found, and the slot.
    for (auto [ref, found, index] :
         {std::tuple(kPlayerRef, 1, 3), {kPlayerRef2, 1, 3}, {40, 1, 2}, {41, 0, -1}}) {
        int i = -5;
        EXPECT_EQ((std::pair{GetRoleIndex(ref, &i), i}), std::pair(found, index)) << ref;
    }
    // Free areas and blocked directions; an event number blocks too.
    GridMap area(6, 6);
    area.at(3, 2) = kCellWall;
    area.at(1, 1) = 5;
    EXPECT_EQ(std::tuple(IsAreaFree(2, 2, 1, 1), IsAreaFree(2, 2, 2, 1), IsAreaFree(0, 0, 2, 2),
                         IsAreaFree(0, 0, 3, 0)),
              std::tuple(1, 0, 0, 1));
    // 1 x 1 at (2, 2): right neighbour walled, up-left has the event. 2 x 1 at
    // (2, 3): row above c0..c3 = (1..4, 2); (3, 2) is c2: bits 0x02 and 0x04.
    EXPECT_EQ(std::tuple(GetBlockedDirections(&area.at(2, 2), 1, 1, kCellWalkMask),
                         GetBlockedDirections(&area.at(2, 3), 2, 1, kCellWalkMask)),
              std::tuple(0x08 | 0x01, 0x02 | 0x04));
}

TEST_F(RoleTable, RecordUpdatesKeepSentinelsRoundTripAndFollowersStoreThePlayersCell) {
    GridMap g(10, 10);
    BindRecords(table_, {50, 51});
    SetRecordWord(0, 0, 7);
    SetRecordWord(0, 10, 0x0100);
    const int updated =
        UpdateRoleRecord(50, -1, -1, -1, -1, -1, 0xFFFF, 0xFFFF, 0x80, -1, -1, 0x8080, 255);
    EXPECT_EQ(std::tuple(gRoleRecordCount, updated, RecordWord(0, 10), RecordWord(0, 0)),
              std::tuple(2, 1, 0x0180, 7));
    // 0xFFFF as a map id keeps the map: stored it would end the table.
    UpdateRoleRecord(50, -1, -1, -1, -1, -1, 0xFFFF, 0xFFFF, 0xFFFF, -1, 0xFFFF, 0xFFFF, 255);
    EXPECT_EQ(
        std::tuple(RecordWord(0, 0), UpdateRoleRecord(99, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1)),
        std::tuple(7, 0));
    // A new script id zeroes the program counter.
    SetRecordWord(0, 9, 33);
    UpdateRoleRecord(50, 1200, 2, 3, 4, 5, 6, 8, 0xFFFF, 0x00FF, 9, 77, 88);
    EXPECT_EQ(std::tuple(RecordWord(0, 9), RecordWord(0, 10), RecordWord(0, 11), RecordWord(0, 12)),
              std::tuple(0, 0x0080, 77, 88));

    // Row -> slot -> row.
    gMapRoleCount = 2;
    RoleSlot& s = gMapRoles[1];
    s.act = NewActPlayer();
    EXPECT_EQ((std::tuple{ApplyRoleRecord(&s, 50), s.x, s.y, s.act->act}),
              std::tuple(9, 4 * 16, 5 * 16, 1200));
    s.x = 6 * 16;
    s.act->dir = 7;
    s.extra2 = 0x42;
    s.state = 0x8000;  // not a follower: the row keeps the role's own cell
    StoreRoleRecords(0, 0);
    EXPECT_EQ(std::tuple(RecordWord(0, 5), RecordWord(0, 4), RecordByte(0, 25)),
              std::tuple(6, 7, 0x42));
    EXPECT_EQ(ApplyRoleRecord(&s, 77), -1);

    // The save loader writes every word, sentinels included.
    u16 words[kRecordWords] = {3,      51,     0xFFFF, 0xFFFF, 0xFFFF, 1,  2,
                               0xFFFF, 0xFFFF, 0,      0,      0x8080, 255};
    EXPECT_EQ((std::tuple{RestoreRoleRecord(1, words), RecordWord(1, 2), RecordWord(1, 11)}),
              std::tuple(1, 0xFFFF, 0x8080));
    // A follower stores the player's cell; a role without a record reports.
    BindRecords(table_, {60});
    PutRole(1, 60, 0, 0, kRoleFollows);
    PutRole(2, 61, 0, 0);  // no record
    StoreRoleRecords(4, 5);
    EXPECT_EQ(std::tuple(RecordWord(0, 5), RecordWord(0, 6)), std::tuple(4, 5));
    ASSERT_EQ(h.boxes().size(), 1u);
    // An unterminated record table counts only whole rows.
    std::vector<u8> table(2 * kRecordBytes + 5, 1);
    EXPECT_FALSE(BindRoleRecords(table.data(), table.size()));
    EXPECT_EQ(std::tuple(gRoleRecordCount, RecordWord(2, 0)),
              std::tuple(2, 0));  // past the rows: 0
}

// Behaviour programs: one case per opcode over a small grid, the program faults
// that end a program with one report, and the assembler and disassembler.

class Behaviour : public ::testing::Test {
protected:
    void SetUp() override {
        gMapRoleCount = 1;
        gPlayerSlot = AddRole(1, 2, 2, 0);
        gPlayerId = 1;
        // Records for the role-value and hide/show cases.
        BindRecords(records_, {50, 51});
    }
    void TearDown() override {
        gPathDatabase = nullptr;
        gPathDatabaseSize = 0;
        BindRoleRecords(nullptr, 0);
    }

    void Load(const std::string& src) {
        std::vector<u8> bytes;
        std::string err;
        ASSERT_TRUE(AssemblePath(src, &bytes, &err)) << err;
        LoadBytes(std::move(bytes));
    }
    void LoadBytes(std::vector<u8> bytes) {
        path_ = std::move(bytes);
        gPathDatabase = path_.data();
        gPathDatabaseSize = static_cast<u32>(path_.size());
    }
    // A shown role at cell (cx, cy) standing still facing down.
    int AddRole(u16 id, int cx, int cy, u16 script) {
        RoleSlot& s = PutRole(gMapRoleCount, id, cx * 16, cy * 16);
        s.act->act = s.act->action = 0;
        s.act->dir = 1;
        s.scriptId = script;
        MarkRoleFootprint(&s);
        return gMapRoleCount - 1;
    }
    // A clean start: the player at (2, 2) and role 7 at (5, 5) running program 1 of src.
    int Fresh(const std::string& src) {
        ResetGameFlags();
        ResetBehaviour();
        ZeroScriptVariables();
        ClearRouteRecords();
        gGameTime = 0;
        ClearRoleTable();
        gMapRoleCount = 1;
        for (u32& c : grid.cells) c = 0;
        gPlayerSlot = AddRole(1, 2, 2, 0);
        int role = AddRole(7, 5, 5, 1);
        Load(src);
        return role;
    }
    // The scene's order: programs, then movement.
    void Frames(int n) {
        for (int k = 0; k < n; ++k) {
            UpdateRoles();
            UpdateMapScene();
        }
    }

    Harness h;
    GridMap grid{20, 15};
    std::vector<u8> path_, records_;
};

// The grid of the running case, for the checks.
GridMap* gCaseGrid = nullptr;
// Whether a role marks cell (x, y).
bool Marked(u32 x, u32 y) {
    return gCaseGrid->at(x, y) & kCellRole;
}

// A role's position in pixels.
std::pair<int, int> Px(const RoleSlot& s) {
    return {s.x, s.y};
}

constexpr int kAny = -1;

// A case: its name, the source (program 1 runs on role 7 at cell (5, 5)), the
// frames to run, a set-up, whether flag 100 ends set and the program counter at
// the end (each or kAny), and a check of the role.
using OpCase = std::tuple<std::string, std::string, int, std::function<void()>, int, int,
                          std::function<void(RoleSlot&)>>;

const OpCase kCases[] = {
    {"0 restart", "program 1\n setflag 100\n restart\n", 3, nullptr, 1, 0, nullptr},
    {"1 end", "program 1\n end\n setflag 100\n", 2, nullptr, 0, kAny,
     [](RoleSlot& s) { EXPECT_EQ(s.scriptId, 0); }},
    {"2 action", "program 1\n action 8\n stop\n", 1, nullptr, kAny, 2,
     [](RoleSlot& s) { EXPECT_EQ(s.act->action, 8); }},
    {"3 direction", "program 1\n dir 6\n stop\n", 1, nullptr, kAny, kAny,
     [](RoleSlot& s) { EXPECT_EQ(s.act->dir, 6); }},
    {"4 5 wait counts frames", "program 1\n setwait 3\n wait\n setflag 100\n stop\n", 4, nullptr, 0,
     kAny, [](RoleSlot& s) { EXPECT_EQ(s.wait, 0); }},
    {"4 5 wait then goes on", "program 1\n setwait 3\n wait\n setflag 100\n stop\n", 6, nullptr, 1,
     kAny, nullptr},
    {"6 wait with animation", "program 1\n setwait 2\n waitanim\n setflag 100\n stop\n", 4, nullptr,
     1, kAny, nullptr},
    {"7 8 route and walk", "program 1\n route 9 5\n walk\n setflag 100\n stop\n", 12, nullptr, 1,
     kAny,
     [](RoleSlot& s) {
         EXPECT_EQ(std::tuple(Px(s), Marked(9, 5), Marked(5, 5)),
                   std::tuple(std::pair(9 * 16, 5 * 16), true, false));
     }},
    {"9 until play time", "program 1\n until 10\n setflag 100\n stop\n", 2, [] { gGameTime = 9; },
     0, kAny, nullptr},
    {"9 passes at the time", "program 1\n until 10\n setflag 100\n stop\n", 1,
     [] { gGameTime = 10; }, 1, kAny, nullptr},
    // 17 = set flag, with the word 100 as its operand.
    {"11 reads its operand as the next opcode", "program 1\n settime 17\n word 100\n stop\n", 1,
     nullptr, 1, kAny, [](RoleSlot&) { EXPECT_EQ(gGameTime, 17u); }},
    {"11 above 1000 is 0", "program 1\n settime 1001\n stop\n", 1, [] { gGameTime = 5; }, kAny,
     kAny, [](RoleSlot&) { EXPECT_EQ(gGameTime, 0u); }},
    {"17 18 flags; beyond the table ignored",
     "program 1\n setflag 60\n clearflag 61\n setflag 9000\n stop\n", 1, [] { SetGameFlag(61); },
     kAny, kAny,
     [](RoleSlot&) {
         EXPECT_EQ(std::tuple(GetGameFlag(60), GetGameFlag(61), GetGameFlag(9000)),
                   std::tuple(1, 0, 0));
     }},
    {"19 20 21 variables",
     "program 1\n setvar 6 990\n addvar 6 20\n setvar 7 3\n subvar 7 9\n setvar 300 1\n stop\n", 1,
     nullptr, kAny, kAny,
     [](RoleSlot&) {
         EXPECT_EQ(std::tuple(gScriptVars[6], gScriptVars[7]), std::tuple(1000u, 0u));
     }},
    {"22 23 variable tests",
     "program 1\n ifvarge 5 10 @a\n setflag 101\n stop\na:\n ifvarle 5 9 @b\n setflag 100\n "
     "stop\nb:\n setflag 102\n stop\n",
     3, [] { gScriptVars[5] = 10; }, 1, kAny,
     [](RoleSlot&) { EXPECT_FALSE(GetGameFlag(101) || GetGameFlag(102)); }},
    // 256 opcodes, then the step yields.
    {"24 a jump to itself cannot hang a frame", "program 1\ntop:\n give self 1\n", 1, nullptr, kAny,
     kAny, [](RoleSlot& s) { EXPECT_EQ(s.scriptId, 1); }},
    {"24 self continues in the new program",
     "program 1\n give self 2\n setflag 101\nprogram 2\n setflag 100\n stop\n", 1, nullptr, 1, kAny,
     [](RoleSlot& s) { EXPECT_EQ(std::tuple(s.scriptId, GetGameFlag(101)), std::tuple(2, 0)); }},
    {"25 26 time mark", "program 1\n mark\n ifmark 3 @a\n stop\na:\n setflag 100\n stop\n", 1,
     [] { gGameTime = 4; }, 0, kAny, [](RoleSlot&) { EXPECT_EQ(gScriptTimeMark, 4u); }},
    {"27 hide", "program 1\n hide self\n stop\n", 1, nullptr, kAny, kAny,
     [](RoleSlot& s) {
         EXPECT_EQ(std::tuple(s.state & 0xC000, Marked(5, 5)), std::tuple(0u, false));
     }},
    {"27 28 hide and show an absent role's record", "program 1\n show 51\n hide 50\n stop\n", 1,
     [] { SetRecordWord(0, 10, 0x8000); }, kAny, kAny,
     [](RoleSlot&) {
         EXPECT_EQ(std::tuple(RecordWord(0, 10), RecordWord(1, 10)), std::tuple(0, 0x8000));
     }},
    {"29 place, clamped to the map", "program 1\n place 40 3\n stop\n", 1, nullptr, kAny, kAny,
     [](RoleSlot& s) {
         EXPECT_EQ(std::tuple(Px(s), Marked(19, 3)), std::tuple(std::pair(19 * 16, 3 * 16), true));
     }},
    {"30 wander keeps its counter", "program 1\n wander\n", 3, nullptr, kAny, 0, nullptr},
    {"31 look keeps 0xFFFF", "program 1\n look 0xFFFF 3 7\n stop\n", 1, nullptr, kAny, 4,
     [](RoleSlot& s) { EXPECT_EQ(std::tuple(s.act->action, s.act->dir), std::tuple(3, 7)); }},
    {"32 sound yields", "program 1\n sound 4\n setflag 100\n stop\n", 1, nullptr, 0, 2, nullptr},
    {"33 walks to a role", "program 1\n walkto 1\n walk\n stop\n", 30, nullptr, kAny, kAny,
     [](RoleSlot& s) { EXPECT_EQ(Px(s), std::pair(2 * 16, 2 * 16)); }},
    {"33 an unknown role skips 2 and yields", "program 1\n walkto 999\n setflag 100\n stop\n", 1,
     nullptr, 0, 2, nullptr},
    {"34 35 speech text", "program 1\n say 12 \"hi!\"\n setflag 100\n stop\n", 1, nullptr, kAny, 5,
     [](RoleSlot& s) {
         EXPECT_EQ(std::tuple(std::string(s.text ? s.text : "(none)"), s.textColour),
                   std::tuple("hi!", 0));
     }},
    {"35 frees the text", "program 1\n say 3 \"ab\"\n nosay\n stop\n", 2, nullptr, kAny, kAny,
     [](RoleSlot& s) { EXPECT_EQ(std::tuple(s.text, s.textColour), std::tuple(nullptr, 0)); }},
    {"36 walks beside a role by its facing", "program 1\n walknear 1 0 1\n stop\n", 1,
     [] { gMapRoles[gPlayerSlot].act->dir = 3; },  // facing right: (q, -p) = (1, 0)
     kAny, kAny,
     [](RoleSlot&) {
         const RoleRoute* r = FindRoleRoute(2, kRouteBehaviour);
         ASSERT_NE(r, nullptr);
         EXPECT_EQ(std::tuple(r->targetX, r->targetY), std::tuple(3 * 16, 2 * 16));
     }},
    {"37 self is no role id", "program 1\n ifnear self 4 @a\n stop\na:\n stop\n", 1, nullptr, kAny,
     2, nullptr},
    {"38 with 0 does nothing", "program 1\n word 38 0\n setflag 100\n stop\n", 2, nullptr, 1, kAny,
     [](RoleSlot& s) { EXPECT_EQ(s.scriptId, 1); }},
    {"39 40 role values", "program 1\n setval 50 1 7\n addval 50 1 5\n setval 51 2 300\n stop\n", 1,
     nullptr, kAny, kAny,
     [](RoleSlot&) {
         EXPECT_EQ(std::tuple(RecordByte(0, 24), RecordByte(1, 25)), std::tuple(12, 300 & 0xFF));
     }},
    {"41 42 43 role-value tests",
     "program 1\n ifvalge 50 1 3 @a\n stop\na:\n ifvalle 50 1 2 @b\n ifvaleq 50 1 3 @c\n "
     "stop\nb:\n stop\nc:\n setflag 100\n stop\n",
     4, [] { SetRecordByte(0, 24, 3); }, 1, kAny, nullptr},
    {"44 restarts, at the start removes the role", "program 1\n word 44\n", 1, nullptr, kAny, kAny,
     [](RoleSlot& s) {
         EXPECT_EQ(std::tuple(s.state & kRoleShown, Marked(5, 5), s.extra2),
                   std::tuple(0u, false, 0x80));
     }},
    {"46 stays", "program 1\n stop\n", 3, nullptr, kAny, 0, nullptr},
    {"47 48 attach and detach", "program 1\n attach 3\n detach\n stop\n", 2, nullptr, kAny, 3,
     [](RoleSlot& s) { EXPECT_EQ(s.second, nullptr); }},
    {"49 move, clamped", "program 1\n move -9 2\n stop\n", 1, nullptr, kAny, kAny,
     [](RoleSlot& s) { EXPECT_EQ(Px(s), std::pair(0, 7 * 16)); }},
    {"an opcode above 49 inside restarts", "program 1\n setwait 1\n wait\n word 77\n", 3, nullptr,
     kAny, 2,
     [](RoleSlot& s) {
         EXPECT_EQ(std::tuple(s.wait, s.state & kRoleShown), std::tuple(0, kRoleShown));
     }},
};

// The player three cells left and four up: 80 pixels away, five cells exactly.
void PlayerNear() {
    gMapRoles[gPlayerSlot].x = 2 * 16, gMapRoles[gPlayerSlot].y = 1 * 16;
}

// Each test jumps to the label that sets flag 100 or falls through to set 101.
const std::tuple<const char*, void (*)(), bool> kJumps[] = {
    {"jump", nullptr, true},
    {"iftime 5", [] { gGameTime = 5; }, true},
    {"ifflag 50", [] { SetGameFlag(50); }, true},
    {"ifnotflag 50", [] { SetGameFlag(50); }, false},
    {"ifall 50 51", [] { SetGameFlag(50); }, false},
    {"ifall", nullptr, true},
    {"ifany 50 51", [] { SetGameFlag(51); }, true},
    {"ifany", nullptr, false},
    {"iffar 1 2", nullptr, true},
    {"ifnear 1 5", PlayerNear, true},
    {"ifnear 1 4", PlayerNear, false},
    {"iffar 1 5", PlayerNear, false},
    {"random", nullptr, true},
};

// The cases of the table and one per jump test.
std::vector<OpCase> AllCases() {
    std::vector<OpCase> all(std::begin(kCases), std::end(kCases));
    for (auto [test, before, jumps] : kJumps) {
        std::string src = std::string("program 1\n ") + test;
        all.push_back({test, src + " @a\n setflag 101\n stop\na:\n setflag 100\n stop\n", 2, before,
                       jumps, kAny,
                       [jumps](RoleSlot&) { EXPECT_EQ(GetGameFlag(101) != 0, !jumps); }});
    }
    return all;
}

// The opcodes a program's words run through the table (a word that is no
// opcode counts as one word).
std::set<u16> OpcodesOf(const std::vector<u8>& file) {
    std::set<u16> ops;
    u32 at = kPathTableAt + 4 * (kMainBlockIds + 1);
    while (at + 2 <= file.size()) {
        u16 op = LoadU16(file.data() + at);
        ops.insert(op);
        const BehaviourOp* row = FindBehaviourOp(op);
        BopArgs a;
        u32 missing = 0;
        bool whole =
            row && DecodeBehaviourOp(*row, file.data() + at, static_cast<u32>(file.size() - at), &a,
                                     &missing) == BopDecode::Ok;
        at += whole ? 2 * a.words : 2;
    }
    return ops;
}

TEST_F(Behaviour, EveryOpcode) {
    gCaseGrid = &grid;
    std::set<u16> driven;
    for (const auto& [name, source, frames, before, flag100, pc, check] : AllCases()) {
        SCOPED_TRACE(name);
        int role = Fresh(source);
        std::set<u16> ops = OpcodesOf(path_);
        driven.insert(ops.begin(), ops.end());
        if (before) before();
        Frames(frames);
        // Flag 100 and the program counter, unless the case leaves them at kAny.
        EXPECT_TRUE(flag100 == kAny || flag100 == (GetGameFlag(100) != 0)) << "flag 100";
        EXPECT_TRUE(pc == kAny || pc == static_cast<int>(gMapRoles[role].pc)) << "pc";
        if (check) check(gMapRoles[role]);
        EXPECT_EQ(gBehaviourReport.faults, 0u) << LastDataError().Message();
    }
    gCaseGrid = nullptr;
    // Every row of the table, the one without a working form too, has a case.
    for (const BehaviourOp& row : BehaviourOpTable())
        EXPECT_TRUE(driven.count(row.op)) << row.name << " has no case";
}

TEST_F(Behaviour, FaultsEndTheProgramWithOneReport) {
    const std::tuple<const char*, const char*, u16, std::function<void(std::vector<u8>&)>> cases[] =
        {
            {"odd label", "program 1\n jump @0x1F47\n", 1, nullptr},
            {"label past the file", "program 1\n jump @0x7FFFFFF0\n", 1, nullptr},
            {"label before the program", "program 1\n stop\nprogram 2\n jump @0\n", 2, nullptr},
            // A route with one word of two.
            {"program longer than the file", "program 1\n word 7 3\n", 1, nullptr},
            {"text without its mark", "program 1\n say 1 \"abc\"\n", 1,
             [](std::vector<u8>& b) {
                 b.erase(b.end() - 4, b.end());  // cut the mark and the padding away
                 b.insert(b.end(), 300, 'x');
             }},
            {"offset past the file", "program 1\n stop\n", 1,
             [](std::vector<u8>& b) { StoreU32(b.data() + kPathTableAt + 4, 0x00FFFFFF); }},
            {"table shorter than the id", nullptr, 1, nullptr},
            // Our data have no extra blocks.
            {"an extra block's id", "program 1\n stop\n", 2301, nullptr},
        };
    for (const auto& [name, source, script, spoil] : cases) {
        SCOPED_TRACE(name);
        ResetBehaviour();
        std::vector<u8> bytes(kPathTableAt + 2, 0);
        std::string err;
        ASSERT_TRUE(!source || AssemblePath(source, &bytes, &err)) << err;
        if (spoil) spoil(bytes);
        LoadBytes(bytes);
        int role = AddRole(7, 5, 5, script);
        Frames(5);
        EXPECT_EQ(
            std::tuple(gBehaviourReport.faults, gMapRoles[role].scriptId, LastDataError().file),
            std::tuple(1u, 0, "path.dat"))
            << LastDataError().Message();
    }
}

TEST_F(Behaviour, TheAssemblerChecksOperandsAndLabelsAndDisassemblyAssemblesBackToTheSameBytes) {
    std::vector<u8> out;
    std::string err;
    EXPECT_FALSE(AssemblePath("program 1\n route 3\n", &out, &err));
    EXPECT_NE(err.find("line 2"), std::string::npos) << err;
    EXPECT_FALSE(AssemblePath("program 1\n jump @nowhere\n", &out, &err));
    EXPECT_NE(err.find("undefined label"), std::string::npos);
    for (const char* bad :
         {"program 1\n setflag 70000\n", "program 1\n valuetable 1 2\n", "program 2001\n",
          "program 1\nprogram 1\n", "program 1\n say 1 \"a%Qb\"\n", "program 1\n dance\n",
          "a:\na:\n", "program 1\n x:\n ifall 65535 @x\n"})
        EXPECT_FALSE(AssemblePath(bad, &out, &err)) << bad;
    // A text is padded to a whole word after its mark.
    ASSERT_TRUE(AssemblePath("program 1\n say 1 \"abc\"\n", &out, &err)) << err;
    EXPECT_EQ(std::tuple(out.size() % 2, out.back(), out[out.size() - 3]), std::tuple(0u, 0, 0x25));
    // Every program of the sample game as its writer leaves it, and programs of
    // every operand shape, disassemble into source that assembles to the same bytes.
    h.EnsureMapData();
    std::vector<std::vector<u8>> files = {ReadHostFile(h.Path("MH_Data/path.dat"))};
    for (const char* src :
         {"program 5\nprogram 6\ntop:\n ifall 1 2 3 @top\n random @top @end\n say 2 "
          "\"\\x81\\x40 ok\"\n"
          "end:\n iffar player 3 @top\n walknear self -1 2\n settime 17\n word 77 12\n",
          "program 1\n say 1 \"odd\"\n random\n ifany @0x10\n valuetable_is_raw:\n word 44 3\n"}) {
        files.emplace_back();
        ASSERT_TRUE(AssemblePath(src, &files.back(), &err)) << err;
    }
    for (const std::vector<u8>& file : files) {
        std::string text;
        std::vector<u8> again;
        ASSERT_TRUE(DisassemblePath(file, &text, &err)) << err;
        ASSERT_TRUE(AssemblePath(text, &again, &err)) << err << "\n" << text;
        EXPECT_EQ(again, file) << text;
        // Each program is named, and the sample's decode to opcodes only.
        size_t programs = 0, named = 0;
        for (u32 id = 1; id <= kMainBlockIds; ++id) {
            programs += LoadU32(file.data() + kPathTableAt + 4 * id) != 0;
            named += text.find("program " + std::to_string(id) + "\n") != std::string::npos;
        }
        EXPECT_TRUE(programs > 0 && named == programs) << text;
        EXPECT_TRUE(&file != &files.front() || text.find("word") == std::string::npos) << text;
    }
    std::string text;
    EXPECT_FALSE(DisassemblePath(std::vector<u8>(100, 0), &text, &err));
}

TEST_F(Behaviour, AWandererStaysOnWalkableCellsScriptIdsAboveTwoThousandSelectExtraBlocks) {
    Load("program 1\n wander\n");
    // Walls around the border and a pillar block in the middle.
    for (u32 y = 0; y < 15; ++y)
        for (u32 x = 0; x < 20; ++x)
            if (x == 0 || y == 0 || x == 19 || y == 14 || (x >= 8 && x <= 10 && y >= 6 && y <= 8))
                grid.at(x, y) = kCellWall;
    int role = AddRole(7, 5, 5, 1);
    InitRandom(777);
    int moved = 0;
    std::pair<u16, u16> last{gMapRoles[role].x, gMapRoles[role].y};
    for (int f = 0; f < 600; ++f) {
        Frames(1);
        const RoleSlot& s = gMapRoles[role];
        u32 cx = s.x / 16, cy = s.y / 16;
        ASSERT_TRUE(cx < 20 && cy < 15) << cx << "," << cy;
        // Every cell the role touches, also between cells, is open ground.
        for (u32 y = cy; y <= (s.y + 15u) / 16; ++y)
            for (u32 x = cx; x <= (s.x + 15u) / 16; ++x)
                ASSERT_FALSE(grid.at(x, y) & kCellWall) << x << "," << y;
        moved += std::exchange(last, {s.x, s.y}) != std::pair(s.x, s.y);
    }
    EXPECT_GT(moved, 50);
    ScriptBlockRef r;
    EXPECT_FALSE(SelectScriptBlock(0, &r));
    // 2300: entry 300 of the first extra block.
    for (auto [id, block, local] :
         {std::tuple(2000u, 0u, 2000u), {2001, 1, 1}, {2300, 1, 300}, {2301, 2, 1}}) {
        ASSERT_TRUE(SelectScriptBlock(static_cast<u16>(id), &r)) << id;
        EXPECT_EQ(std::pair(r.block, r.local), std::pair(block, local)) << id;
    }
    // A block looked up from a label sets the program counter.
    Load("program 1\n stop\n stop\nx:\n stop\n");
    role = AddRole(7, 5, 5, 1);
    const u8* p = nullptr;
    u32 start = LoadU32(gPathDatabase + kPathTableAt + 4);
    ASSERT_EQ(GetScriptBlock(role, start + 4, &p), 1);
    EXPECT_EQ(std::tuple(gMapRoles[role].pc, p),
              std::tuple(2u, gPathDatabase + kPathTableAt + start + 4));
    // An odd offset and one past the file are refused.
    EXPECT_EQ(std::tuple(GetScriptBlock(role, start + 3, &p), GetScriptBlock(role, 0x7FFFFFF0, &p)),
              std::tuple(0, 0));
}

}  // namespace
