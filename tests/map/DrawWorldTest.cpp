// DrawWorld's pixels against a reference built here from flat-coloured tiles
// and the sample people, over aligned and scrolled views, keyed and empty
// cells, an 8-bit map, depth order, the flags that blank layers and the cursor.
#include "MapTestSupport.h"

using namespace sampleMap;

namespace {

constexpr u16 kSentinel = 0x1234;
constexpr u32 kTiles = 6;

class DrawWorldTest : public TownFixture {
protected:
    void SetUp() override {
        TownFixture::SetUp();
        for (int f : {5, 6, 7, 8, 22, 15, 19, 72, 321}) ClearGameFlag(f);
        SetGameFlag(9);  // no cursor unless a test wants it
        savedMap = gMap;
    }
    void TearDown() override {
        ClearRoleTable();
        gMapRoleCount = 0;
        gPlayerSlot = 0;
        FreeMapObjectBuckets();
        gMap = savedMap;
    }

    // A w x h map whose tile n is the flat colour Colour(n); tile 5 keeps its
    // left half transparent.
    void Install(u32 w, u32 h, u32 bits) {
        ClearRoleTable();
        gMapRoleCount = 1;
        gPlayerSlot = 0;
        cells.assign(static_cast<size_t>(w) * h, 0);
        grid.assign(cells.size(), 0);
        for (u32 y = 0; y < h; ++y)
            for (u32 x = 0; x < w; ++x) grid[y * w + x] = static_cast<u16>((x + 2 * y) % kTiles);
        if (bits == 16) {
            pixels.assign(kTiles * 512, 0);
            for (u32 t = 0; t < kTiles; ++t)
                for (int i = 0; i < 256; ++i)
                    StoreU16(&pixels[t * 512 + 2 * i],
                             t == 5 && (i & 15) < 8 ? static_cast<u16>(gColorKey) : Colour(t));
        } else {
            pixels.assign(512 + kTiles * 256, 0);
            for (u32 i = 0; i < 256; ++i) StoreU16(gMapScene.palette + 2 * i, Colour(i));
            for (u32 t = 0; t < kTiles; ++t)
                for (int i = 0; i < 256; ++i)
                    pixels[512 + t * 256 + i] = t == 5 && (i & 15) < 8 ? 1 : static_cast<u8>(t);
        }
        gMap = MapRecord{.width = w,
                         .height = h,
                         .tileBits = bits,
                         .layers = 1,
                         .cells = cells.data(),
                         .layerGrid = grid.data(),
                         .Pixel = pixels.data(),
                         .cellCount = w * h,
                         .pixelSize = static_cast<u32>(pixels.size())};
        AllocMapObjectBuckets();
        ResetTileAnimation();
        ClearDepthScale();  // the town's depth rows would scale the people
    }
    static u16 Colour(u32 t) {
        return ConvertPixel(static_cast<u16>(((t * 5) & 31) << 10 | ((t * 3 + 7) & 31) << 5 | 20));
    }

    void Clear() { FillCanvas(kSentinel); }
    u16 At(int x, int y) { return PaintPixelAddr(0, y)[x]; }

    // The ground as the rules give it, screen pixel by pixel.
    u16 Ground(int sx, int sy) {
        i32 mx = sx + gViewX, my = sy + gViewY;
        if (mx < 0 || my < 0 || mx >= static_cast<i32>(gMap.width * 16) ||
            my >= static_cast<i32>(gMap.height * 16))
            return kSentinel;
        size_t ci = static_cast<size_t>(my / 16) * gMap.width + mx / 16;
        if (cells[ci] & 0x08000000) return kSentinel;
        u32 t = grid[ci];
        if (t >= kTiles) return kSentinel;
        // Tile 5's left half is the key: a keyed cell leaves it, else it shows as drawn.
        if (t != 5 || (mx & 15) >= 8) return Colour(t);
        if (cells[ci] & 0x04000000) return kSentinel;
        return gMap.tileBits == 16 ? static_cast<u16>(gColorKey) : Colour(1);
    }
    void ExpectGround(const char* what) {
        int bad = 0;
        for (int y = 0; y < 480 && bad < 5; ++y)
            for (int x = 0; x < 640 && bad < 5; ++x)
                if (At(x, y) != Ground(x, y)) {
                    ADD_FAILURE() << what << " at " << x << "," << y << ": " << At(x, y) << " want "
                                  << Ground(x, y);
                    ++bad;
                }
    }
    int AddPerson(u16 id, int act, int x, int y, int bucket) {
        int n = gMapRoleCount;
        RoleSlot& s = PutRole(n, id, x, y, kRoleShown | static_cast<u32>(bucket));
        s.act->act = act;
        s.act->action = 0;
        s.act->dir = 1;
        InsertMapObject(&s, bucket);
        TakeActData(s.act);
        return n;
    }

    MapRecord savedMap;
    std::vector<u32> cells;
    std::vector<u16> grid;
    std::vector<u8> pixels;
};

TEST_F(DrawWorldTest, OverlayFactorEightKeepsToTheMapAndOtherFactorsShiftWithTheView) {
    // A 24 x 24 overlay whose column c has its own colour, placed at map (200, 50).
    std::vector<u16> src(24 * 24);
    for (int i = 0; i < 24 * 24; ++i)
        src[i] = static_cast<u16>((i % 24 + 1) | ((i % 24 + 1) << 10));
    i32 size = 0;
    u8* pic = RleEncode(src.data(), &size, 24, 24, 16);
    ASSERT_NE(pic, nullptr);
    ASSERT_EQ(RleConvertToScreen(pic, static_cast<size_t>(size), nullptr, nullptr, nullptr), 1);
    auto column = [](int c) { return ConvertPixel(static_cast<u16>((c + 1) | ((c + 1) << 10))); };
    std::vector<MapOverlay> saved = gMapOverlays;
    // Kind 0, placed at (200, 50) to (216, 66), attributes 1 (set below) and 8.
    MapOverlay o{pic, static_cast<u32>(size), 24, 24, 0, 200, 50, 216, 66, 0, 8};
    // The view's left edge 10 pixels into the picture: L = 0, T = 50.
    std::tie(gViewX, gViewY, gViewRight, gViewBottom) = std::tuple(210, 0, 850, 480);
    for (u32 f : {8u, 0u, 4u}) {
        SCOPED_TRACE(f);
        o.attr1 = f;
        gMapOverlays.assign(1, o);
        Clear();
        DrawOverlayPictures();
        // Factor 8: sx = 210 - 200 = 10. Factor f: sx = (850 - 200) * f / 16.
        int sx = f == 8 ? 10 : (850 - 200) * static_cast<int>(f) / 16;
        for (int x = 0; x < 22; ++x) {
            int c = x + sx;
            EXPECT_EQ(At(x, 60), c < 24 ? column(c) : kSentinel) << x;
        }
        // The clip ends at the placement's right + 16; nothing above the placement.
        EXPECT_EQ(std::pair(At(22, 60), At(5, 49)), std::pair(kSentinel, kSentinel));
    }
    gMapOverlays = saved;
    MH_FREE(pic);
}

// On an 8-bit map palette index 1 is the key.
TEST_F(DrawWorldTest, AlignedAndScrolledGroundWithKeyedAndEmptyCellsAndTileFrames) {
    for (u32 bits : {16u, 8u}) {
        Install(60, 45, bits);
        cells[3 * 60 + 4] |= 0x08000000;  // no ground
        cells[5 * 60 + 9] |= 0x04000000;  // keyed tile
        grid[5 * 60 + 9] = 5;
        grid[6 * 60 + 2] = 5;   // a tile 5 drawn plain shows its key colour
        grid[7 * 60 + 7] = 40;  // beyond the pictures: nothing
        for (auto [vx, vy] :
             {std::pair{0, 0}, {16, 32}, {7, 5}, {23, 37}, {-40, -24}, {320, 270}}) {
            std::tie(gViewX, gViewY) = std::tuple(vx, vy);
            Clear();
            DrawWorld();
            ExpectGround(("bits " + std::to_string(bits) + " view " + std::to_string(vx) + "," +
                          std::to_string(vy))
                             .c_str());
        }
    }
    // Tile frames offset the tile index.
    Install(40, 30, 16);
    gMap.layers = 2;
    grid.resize(2 * 40 * 30);
    for (size_t i = 0; i < 40 * 30; ++i) grid[40 * 30 + i] = 2;
    gMap.layerGrid = grid.data();
    gMapCycle = 1;
    StepTileAnimation();
    gViewX = gViewY = 0;
    Clear();
    DrawWorld();
    EXPECT_EQ(std::tuple(At(17, 17), At(600, 400)), std::tuple(Colour(2), Colour(2)));
}

TEST_F(DrawWorldTest, PeopleAreDrawnByBucketThenRow) {
    Install(60, 45, 16);
    gViewX = gViewY = 0;
    // Two people overlap: the lower one (larger y) lies over the upper one in the
    // same bucket; bucket 2 is drawn before bucket 0 whatever the rows.
    AddPerson(300, 1, 200, 200, 0);
    AddPerson(301, 2, 204, 208, 0);
    AddPerson(302, 3, 400, 300, 0);
    AddPerson(303, 1, 404, 280, 2);
    Clear();
    DrawWorld();
    // The reference: decoded frames laid over the ground in the order of the rules.
    std::vector<u16> want(640 * 480);
    for (int y = 0; y < 480; ++y)
        for (int x = 0; x < 640; ++x) want[y * 640 + x] = Ground(x, y);
    for (int n : {4, 1, 2, 3}) {
        const RoleSlot& s = gMapRoles[n];
        ForFramePixels(*s.act, s.x, s.y, [&](int x, int y, u16 v) { want[y * 640 + x] = v; });
    }
    int bad = 0, people = 0;
    for (int y = 0; y < 480; ++y)
        for (int x = 0; x < 640; ++x) {
            people += want[y * 640 + x] != Ground(x, y);
            if (At(x, y) != want[y * 640 + x] && bad++ < 5)
                ADD_FAILURE() << x << "," << y << ": " << At(x, y) << " want " << want[y * 640 + x];
        }
    EXPECT_EQ(std::tuple(people > 4 * 400, At(100, 100)), std::tuple(true, Ground(100, 100)));
}

TEST_F(DrawWorldTest, FlagsBlankOrLimitTheLayersAndShowTheCursorOnlyInMapMode) {
    Install(60, 45, 16);
    gViewX = gViewY = 0;
    AddPerson(300, 1, 200, 200, 0);
    cells[0] |= 0x08000000;  // no ground
    std::tie(gSpotX, gSpotY) = std::tuple(320, 240);
    // One drawing with this flag (0: none; flag 0 stays clear) set for it and this view mode.
    auto draw = [&](int flag, int mode) {
        PutGameFlag(flag, flag != 0);
        gViewMode = mode;
        Clear();
        DrawWorld();
        PutGameFlag(flag, 0);
    };
    const int px = 200 - 16 + 10, py = 200 - 44 + 16;  // on the person
    // Flag 15 clears to black before the ground: the no-ground cell shows black.
    draw(15, 0);
    EXPECT_EQ(std::tuple(At(3, 3), At(40, 40)), std::tuple(0, Ground(40, 40)));
    // A map change in progress: black, and only the top act list.
    draw(0, kViewChanging);
    EXPECT_EQ(std::tuple(At(40, 40), At(px, py)), std::tuple(0, 0));
    // The spotlight square reaches 192 pixels round its point.
    draw(0, kViewSpotlight);
    EXPECT_EQ(std::tuple(At(10, 10), At(320, 240), At(511, 240), At(513, 240)),
              std::tuple(kSentinel, Ground(320, 240), Ground(511, 240), kSentinel));
    // Flag 11 hides people with animations.
    draw(11, 0);
    EXPECT_EQ(At(px, py), Ground(px, py));
    // The cursor.
    std::tie(gMouseX, gMouseY) = std::tuple(300, 200);
    auto drawn = [&] {
        Clear();
        DrawWorld();
        return At(301, 201) != Ground(301, 201);
    };
    // Flag 10 shows it; flags 9 and 81 and a screen over the map hide it.
    const struct {
        bool f9, f10, f81;
        u32 frame;
        bool shown;
    } kCases[] = {{false, true, false, 0, true},
                  {true, true, false, 0, false},
                  {false, true, true, 0, false},
                  {false, false, false, 0, false},
                  {false, true, false, kScreenBit | 2, false}};
    for (const auto& c : kCases) {
        PutGameFlag(9, c.f9);
        PutGameFlag(10, c.f10);
        PutGameFlag(81, c.f81);
        gFrameId = c.frame;
        EXPECT_EQ(drawn(), c.shown) << c.f9 << c.f10 << c.f81 << " frame " << c.frame;
    }
}

// What a newcomer sees of the sample town: ground kinds that look apart on the
// canvas, and still people drawn at their cells.

struct SampleLook : TownFixture {
    // The ground of cell (cx, cy), 5 pixels into it, drawn with the view at (vx, vy).
    u16 GroundAt(int cx, int cy, i32 vx, i32 vy) {
        std::tie(gViewX, gViewY) = std::tuple(vx, vy);
        DrawGround();
        return *PaintPixelAddr(cx * 16 - vx + 5, cy * 16 - vy + 5);
    }
};

TEST_F(SampleLook, EachGroundKindDrawsInItsOwnColour) {
    using namespace sampleTile;
    // Street level (view at the top) and the harbour (view at the bottom).
    const i32 b = (kTownH - 30) * 16;
    const struct {
        int cx, cy;
        u16 kind;
        i32 view;
    } kSpots[] = {{3, 5, kGrass, 0},
                  {0, 5, kWall, 0},
                  {35, 10, kWall, 0},
                  {3, 10, kRoad, 0},
                  {20, 15, kRoad, 0},
                  {35, 14, kFloor, 0},
                  {kEventX, kEventY, kEvent, 0},
                  {kSignX, kSignY, kSpot, 0},
                  {10, 44, sampleTile::kWater, b},
                  {20, 41, kRoad, b},
                  {5, 40, kGrass, b}};
    std::set<u16> seen;
    for (const auto& s : kSpots) {
        u16 v = GroundAt(s.cx, s.cy, 0, s.view);
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
        EXPECT_EQ(std::tuple(cell & kCellRole, (cell & kCellWide) != 0),
                  std::tuple(kCellRole, (s.state & kRoleWide) != 0))
            << s.roleId;
    }
    EXPECT_GE(still, 2) << "the collector and the store keeper";
}

}  // namespace
