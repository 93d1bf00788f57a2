// DrawWorld's pixels against a reference built here from flat-coloured tiles
// and the sample people, over aligned and scrolled views, keyed and empty
// cells, an 8-bit map, depth order, the flags that blank layers and the cursor.
#include "MapTestSupport.h"
#include "mhdata/SampleMapArt.h"

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
        std::tie(gMapRoleCount, gPlayerSlot) = std::tuple(0, 0);
        FreeMapObjectBuckets();
        gMap = savedMap;
    }

    // A w x h map whose tile n has the colour Shade(n, k) on its row k; tile 5
    // keeps its left half transparent.
    void Install(u32 w, u32 h, u32 bits) {
        ClearRoleTable();
        std::tie(gMapRoleCount, gPlayerSlot) = std::tuple(1, 0);
        cells.assign(static_cast<size_t>(w) * h, 0);
        grid.assign(cells.size(), 0);
        for (u32 y = 0; y < h; ++y)
            for (u32 x = 0; x < w; ++x) grid[y * w + x] = static_cast<u16>((x + 2 * y) % kTiles);
        if (bits == 16) {
            pixels.assign(kTiles * 512, 0);
            for (u32 t = 0; t < kTiles; ++t)
                for (int i = 0; i < 256; ++i)
                    StoreU16(&pixels[t * 512 + 2 * i], t == 5 && (i & 15) < 8
                                                           ? static_cast<u16>(gColorKey)
                                                           : Shade(t, i / 16));
        } else {
            pixels.assign(512 + kTiles * 256, 0);
            for (u32 i = 0; i < 256; ++i) StoreU16(gMapScene.palette + 2 * i, Colour(i));
            for (u32 t = 0; t < kTiles; ++t)
                for (int i = 0; i < 256; ++i)
                    pixels[512 + t * 256 + i] =
                        t == 5 && (i & 15) < 8 ? 1 : static_cast<u8>(t + kTiles * (i / 16));
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
        gViewX = gViewY = 0;
    }
    static u16 Colour(u32 t) {
        return ConvertPixel(static_cast<u16>(((t * 5) & 31) << 10 | ((t * 3 + 7) & 31) << 5 | 20));
    }
    // Row k of tile t (an 8-bit tile's palette index t + kTiles * k).
    static u16 Shade(u32 t, u32 k) { return Colour(t + kTiles * k); }

    void Clear() { FillCanvas(kSentinel); }

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
        if (t != 5 || (mx & 15) >= 8) return Shade(t, my & 15);
        if (cells[ci] & 0x04000000) return kSentinel;
        return gMap.tileBits == 16 ? static_cast<u16>(gColorKey) : Colour(1);
    }
    // The canvas against want(x, y), or the ground; the first few differences reported.
    void ExpectCanvas(const std::string& what, std::function<u16(int, int)> want = nullptr) {
        int bad = 0;
        for (int y = 0; y < 480 && bad < 5; ++y)
            for (int x = 0; x < 640 && bad < 5; ++x)
                if (const u16 w = want ? want(x, y) : Ground(x, y); At(x, y) != w) {
                    ADD_FAILURE() << what << " at " << x << "," << y << ": " << At(x, y) << " want "
                                  << w;
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
    std::vector<u8> pic = RleBytes(src.data(), 24, 24);
    ASSERT_EQ(RleConvertToScreen(pic.data(), pic.size(), nullptr, nullptr, nullptr), 1);
    auto column = [](int c) { return ConvertPixel(static_cast<u16>((c + 1) | ((c + 1) << 10))); };
    std::vector<MapOverlay> saved = gMapOverlays;
    // Kind 0, placed at (200, 50) to (216, 66), attributes 1 (set below) and 8.
    MapOverlay o{pic.data(), static_cast<u32>(pic.size()), 24, 24, 0, 200, 50, 216, 66, 0, 8};
    // The view's left edge 10 pixels into the picture: L = 0, T = 50. Its right
    // edge at 260 keeps the shifted columns inside the picture.
    std::tie(gViewX, gViewY, gViewRight, gViewBottom) = std::tuple(210, 0, 260, 480);
    // Factor 8: sx = 210 - 200 = 10. Factor f: sx = (260 - 200) * f / 16, so 0 and 15.
    const std::pair<u32, int> factors[] = {{8, 10}, {0, 0}, {4, 15}};
    for (auto [f, sx] : factors) {
        SCOPED_TRACE(f);
        o.attr1 = f;
        gMapOverlays.assign(1, o);
        Clear();
        DrawOverlayPictures();
        for (int x = 0; x < 22; ++x) {
            int c = x + sx;
            EXPECT_EQ(At(x, 60), c < 24 ? column(c) : kSentinel) << x;
        }
        // The clip ends at the placement's right + 16; nothing above the placement.
        EXPECT_EQ(std::pair(At(22, 60), At(5, 49)), std::pair(kSentinel, kSentinel));
    }
    gMapOverlays = saved;
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
            ExpectCanvas("bits " + std::to_string(bits) + " view " + std::to_string(vx) + "," +
                         std::to_string(vy));
        }
    }
    // Tile frames offset the tile index.
    Install(40, 30, 16);
    gMap.layers = 2;
    grid.resize(2 * 40 * 30, 2);  // the second layer all tile 2
    gMap.layerGrid = grid.data();
    gMapCycle = 1;
    StepTileAnimation();
    Clear();
    DrawWorld();
    EXPECT_EQ(std::tuple(At(17, 17), At(600, 400)), std::tuple(Shade(2, 1), Shade(2, 0)));
}

TEST_F(DrawWorldTest, PeopleAreDrawnByBucketThenRowAndFlagsBlankLayersOrShowTheCursor) {
    Install(60, 45, 16);
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
    ExpectCanvas("people", [&](int x, int y) { return want[y * 640 + x]; });
    // Flags blank or limit the layers and show the cursor only in map mode.
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
    const std::tuple<bool, bool, bool, u32, bool> kCases[] = {
        {false, true, false, 0, true},
        {true, true, false, 0, false},
        {false, true, true, 0, false},
        {false, false, false, 0, false},
        {false, true, false, kScreenBit | 2, false}};
    for (auto [f9, f10, f81, frame, shown] : kCases) {
        PutGameFlag(9, f9);
        PutGameFlag(10, f10);
        PutGameFlag(81, f81);
        gFrameId = frame;
        EXPECT_EQ(drawn(), shown) << f9 << f10 << f81 << " frame " << frame;
    }
}

// On a row-list map the scale runs, within a cell row, from the value of the
// row above at its top to the row's own at its foot. Rows 0-14 at 1024 and the
// rest at 512: people 4 and 12 pixels into row 15 are drawn at 1024 - 512 x 4 /
// 16 = 896 and 1024 - 512 x 12 / 16 = 640 of their height.
TEST_F(DrawWorldTest, RowListScaleRunsFromTheRowAboveToTheOwnRowWithinACellRow) {
    Install(60, 45, 16);
    std::vector<u8> rows(16 + 4 * 45);
    StoreU32(&rows[0], 2);
    StoreU32(&rows[4], 45);
    for (u32 r = 0; r < 45; ++r) StoreU32(&rows[16 + 4 * r], r < 15 ? 1024 : 512);
    LoadDepthRows(rows.data(), static_cast<u32>(rows.size()));
    const std::pair<int, int> people[] = {{150, 15 * 16 + 4}, {450, 15 * 16 + 12}};
    for (auto [x, y] : people) AddPerson(static_cast<u16>(300 + x), 1, x, y, 0);
    Clear();
    DrawWorld();
    const ActPlayer& a = *gMapRoles[1].act;
    const PicFrame* f = GetPic(a.pic, a.frame);
    ASSERT_NE(f, nullptr);
    // The rows the person standing at x covers.
    auto height = [&](int x) {
        int top = 480, bottom = -1;
        for (int y = 0; y < 480; ++y)
            for (int c = x - 60; c < x + 60; ++c)
                if (At(c, y) != Ground(c, y)) top = std::min(top, y), bottom = std::max(bottom, y);
        return bottom - top + 1;
    };
    for (auto [x, scale] : {std::pair{150, 896}, {450, 640}})
        EXPECT_NEAR(height(x), f->height * scale / 1024, 1) << x << " of " << f->height;
    ClearDepthScale();
}

// A person that takes its cell's bits is drawn a second time, moved in every
// channel by the map's tint components plus the step its bits 20-23 pick. The
// components are set so that one pixel of the person comes to 16 steps in each
// channel before the step: steps 0, 2, .. 12 for indices 0-6 give 16 .. 28,
// indices 7-9 add nothing, and -12, -10, .. -2 for 10-15 give 4 .. 14.
TEST_F(DrawWorldTest, TintStepsOfTheSixteenIndicesMoveEveryChannel) {
    Install(60, 45, 16);
    RoleSlot& s = gMapRoles[AddPerson(300, 1, 200, 200, 0)];
    const u32 mask[3] = {gMaskR, gMaskG, gMaskB}, unit[3] = {gUnitR, gUnitG, gUnitB};
    // A lit pixel of the person whose channels are whole tint steps, 16 or fewer.
    auto fits = [&](u16 c) {
        for (int k = 0; k < 3; ++k)
            if ((c & mask[k]) % unit[k] || (c & mask[k]) / unit[k] > 16) return false;
        return true;
    };
    int px = -1, py = -1;
    u16 v = 0;
    ForFramePixels(*s.act, s.x, s.y, [&](int x, int y, u16 c) {
        if (px < 0 && fits(c)) std::tie(px, py, v) = std::tuple(x, y, c);
    });
    ASSERT_GE(px, 0);
    for (int k = 0; k < 3; ++k) gMapScene.colours[k] = 16 - (v & mask[k]) / unit[k];
    const u32 kChannel[16] = {16, 18, 20, 22, 24, 26, 28, 16, 16, 16, 4, 6, 8, 10, 12, 14};
    const u32 base = s.state;
    for (u32 index = 0; index < 16; ++index) {
        s.state = base | kRoleTakesCell | index << 20;
        Clear();
        DrawWorld();
        const u32 grey = kChannel[index] * (unit[0] + unit[1] + unit[2]);
        EXPECT_EQ(At(px, py), grey) << "index " << index;
    }
}

// Anti-aliased overlay objects and role heads: where each is drawn frame by
// frame as it eases in or leaves, the soft edges, keys, and freeing.

using namespace sample_art;

constexpr u16 kBack = 0x0421;  // canvas colour behind the pictures
constexpr i32 kProbeRow = 80;  // a picture row well inside the opaque part
constexpr u32 kMissingAct = 2900;

class OverlayTest : public TownFixture {
protected:
    void SetUp() override {
        TownFixture::SetUp();
        // Objects and heads a new game might leave are not this test's.
        ReleaseRoleHeads();
        h.boxes().clear();
    }
    // One frame of the layer on a clean canvas.
    void Frame() {
        FillCanvas(kBack);
        drawRoleHead();
    }
    // Loads the portrait's pictures and act into their caches, so that block
    // counts taken afterwards see only the lists' own allocations.
    MemDbgStats WarmedUpStats() {
        for (u32 k = 0; k < 2; ++k) {
            AddRoleHead(kPortrait, k, 100, 0x8000);
            CreateAntiAliasObject(kPortrait, k, 100, 0x8000);
        }
        Frame();
        ReleaseRoleHeads();
        return MemDbgGetStats();
    }
    // The first column of the row that is not the background, or -1.
    i32 LeftEdge(i32 y) {
        for (i32 x = 0; x < 640; ++x)
            if (At(x, y) != kBack) return x;
        return -1;
    }
    // Where the left edge of a portrait drawn at x lies on the screen.
    static i32 EdgeOf(i32 x) {
        i32 e = x - kPortraitHotX + static_cast<i32>(kPortraitMargin);
        i32 right = x - kPortraitHotX + static_cast<i32>(kPortraitW - kPortraitMargin);
        if (right <= 0 || e >= 640) return -1;
        return e < 0 ? 0 : e;
    }
    static u16 Colour(int action) { return ConvertPixel(kPortraitColours[action]); }
    // The target of the newest object with these keys, or -1.
    static i32 TargetOf(u32 act, u32 sub) {
        const AntiAliasObject* o = FindAntiAliasObject(act, sub);
        return o ? o->targetX : -1;
    }
};

// Where an object or head is each frame as it eases in, worked by hand, and
// where its picture is drawn. An object's target left of 320 starts at -120,
// from 320 on at 760; the gap halves toward zero and a one-pixel gap stays.
// A head takes two thirds of the gap and snaps once a step is a pixel or less;
// a head's target of 320 still comes from the left.
TEST_F(OverlayTest, ObjectsAndHeadsSlideInFromTheNearerEdge) {
    const std::tuple<bool, i32, std::vector<i32>> cases[] = {
        {false, 100, {-120, -10, 45, 72, 86, 93, 96, 98, 99, 99}},
        {false, 319, {-120}},
        {false, 320, {760}},
        {false, 500, {760, 630, 565, 533, 517, 509, 505, 503, 502, 501, 501}},
        {true, 320, {-120}},
        {true, 321, {760}},
        {true, 600, {760, 654, 618, 606, 602, 600, 600}},
        {true, 100, {-120, 26, 75, 91, 97, 99, 100, 100}}};
    for (const auto& [head, target, xs] : cases) {
        FreeAntiAliasObjects();
        ReleaseRoleHeads();
        const i32 y = head ? 60 : 200;
        // An object's creation answers with its id.
        if (head) AddRoleHead(kPortrait, 0, static_cast<u32>(target), y);
        const u32 made = head ? kPortrait : CreateAntiAliasObject(kPortrait, 0, target, y);
        const AntiAliasObject* o = FindAntiAliasObject(kPortrait, 0);
        const i32* x = head ? (gRoleHeads ? &gRoleHeads->x : nullptr) : (o ? &o->x : nullptr);
        ASSERT_TRUE(x && made == kPortrait) << made;
        for (size_t f = 0; f < xs.size(); ++f) {
            SCOPED_TRACE(testing::Message()
                         << "head " << head << " target " << target << " frame " << f);
            EXPECT_EQ(*x, xs[f]);
            Frame();
            EXPECT_EQ(LeftEdge(y + kProbeRow), EdgeOf(xs[f]));
        }
    }
    // Heads are drawn plainly: the outer opaque column is the picture's colour.
    Frame();
    EXPECT_EQ(std::tuple(At(EdgeOf(100), 60 + kProbeRow), At(EdgeOf(100) - 1, 60 + kProbeRow),
                         h.boxes().size()),
              std::tuple(Colour(0), kBack, 0u));
}

TEST_F(OverlayTest, ObjectWithTheTopBitOfYStandsAtItsTargetWithSoftEdges) {
    CreateAntiAliasObject(kPortrait, 1, 200, 0x8000 | 100);
    AntiAliasObject* o = GetAntiAliasObjects();
    ASSERT_TRUE(o && o->edgeMap);
    Frame();
    const i32 left = 200 - kPortraitHotX + static_cast<i32>(kPortraitMargin), row = 100 + kProbeRow;
    // The transparent margin keeps the canvas; the outer opaque column is a
    // blend of both; two columns in, the picture's own colour. Vertically the
    // same: the top opaque row is blended.
    i32 top = 100 + static_cast<i32>(kPortraitMargin);
    EXPECT_EQ(std::tuple(o->x, LeftEdge(row), At(left - 1, row), At(left + 2, row),
                         At(left + 40, row), At(left + 40, top - 1), At(left + 40, top + 2)),
              std::tuple(200, left, kBack, Colour(1), Colour(1), kBack, Colour(1)));
    for (u16 blend : {At(left, row), At(left + 40, top)})
        EXPECT_TRUE(blend != kBack && blend != Colour(1)) << blend;
}

TEST_F(OverlayTest, KeysFindRemoveRekeyFreeingAndReleases) {
    MemDbgStats before = WarmedUpStats();
    // Two objects with the same key: the newest is found and removed first.
    CreateAntiAliasObject(kPortrait, 0, 100, 10);
    CreateAntiAliasObject(kPortrait, 1, 150, 20);
    CreateAntiAliasObject(kPortrait, 0, 400, 30);
    EXPECT_EQ(std::tuple(FindAntiAliasObject(kPortrait, 0), TargetOf(kPortrait, 0)),
              std::tuple(GetAntiAliasObjects(), 400));
    // Nothing with key 7: nothing happens.
    EXPECT_EQ((std::tuple{RemoveAntiAliasObject(kPortrait, 0), TargetOf(kPortrait, 0),
                          RemoveAntiAliasObject(kPortrait, 7), TargetOf(kPortrait, 7)}),
              std::tuple(0, 100, 0, -1));
    // A new key plays its own action and draws with a map of its picture; the
    // newest with the new key is then the other one.
    RekeyAntiAliasObject(kPortrait, 0, kPortrait, 1);
    EXPECT_EQ(std::tuple(TargetOf(kPortrait, 0), TargetOf(kPortrait, 1)), std::tuple(-1, 150));
    FreeAntiAliasObjects();
    CreateAntiAliasObject(kPortrait, 0, 300, 0x8000 | 100);
    RekeyAntiAliasObject(kPortrait, 0, kPortrait, 1);
    ASSERT_NE(GetAntiAliasObjects()->edgeMap, nullptr);
    Frame();
    EXPECT_EQ(At(300 - kPortraitHotX + 50, 100 + kProbeRow), Colour(1));
    // Pop takes the first; freeing empties the list and returns every block.
    CreateAntiAliasObject(kPortrait, 0, 10, 10);
    // The second's key is copied before the next pop frees it.
    EXPECT_EQ((std::tuple{PopAntiAliasObject(), u32{GetAntiAliasObjects()->subId},
                          PopAntiAliasObject(), GetAntiAliasObjects(), PopAntiAliasObject()}),
              std::tuple(0, 1u, 0, nullptr, 0));
    for (int i = 0; i < 5; ++i) CreateAntiAliasObject(kPortrait, i & 1, 50 * i, 10);
    FreeAntiAliasObjects();
    EXPECT_EQ(GetAntiAliasObjects(), nullptr);
    // The transient-list releases take the objects with the heads.
    void (*const kReleases[])() = {ReleaseRoleHeads, ReleaseMapTransients, ReleaseForLoad};
    for (auto release : kReleases) {
        AddRoleHead(kPortrait, 0, 100, 20);
        CreateAntiAliasObject(kPortrait, 0, 100, 20);
        CreateAntiAliasObject(kPortrait, 1, 400, 20);
        release();
        EXPECT_EQ(std::tuple(gRoleHeads, GetAntiAliasObjects()), std::tuple(nullptr, nullptr));
    }
    CreateAntiAliasObject(kPortrait, 0, 100, 20);
    ResetAntiAliasObjects();
    EXPECT_EQ(std::tuple(GetAntiAliasObjects(), MemDbgGetStats().curBlocks),
              std::tuple(nullptr, before.curBlocks));
}

TEST_F(OverlayTest,
       DismissedHeadsLeaveFasterEachFrameShowReplacesAndRepeatedDismissalsReachOlderHeads) {
    // Left of 321 a head leaves to the left, else to the right; the step
    // triples from 1 and the head is freed once it is off the screen.
    const std::pair<i32, std::vector<i32>> cases[] = {{100, {100, 99, 96, 87, 60, -21}},
                                                      {400, {400, 401, 404, 413, 440, 521}}};
    MemDbgStats before = WarmedUpStats();
    for (const auto& [target, drawnAt] : cases) {
        AddRoleHead(kPortrait, 1, static_cast<u32>(target), 0x8000 | 20);
        // Placed heads leave in one frame; so a sliding one is made to rest first.
        gRoleHeads->placed = false;
        DismissRoleHead(kPortrait, 1);
        std::vector<i32> seen;
        for (int f = 0; f < 20 && gRoleHeads; ++f) {
            seen.push_back(gRoleHeads->x);
            drawRoleHead();
        }
        EXPECT_EQ(std::tuple(seen, gRoleHeads), std::tuple(drawnAt, nullptr)) << target;
    }
    // A head placed at once leaves in its next frame, drawn one last time.
    AddRoleHead(kPortrait, 0, 200, 0x8000 | 20);
    Frame();
    EXPECT_EQ(LeftEdge(20 + kProbeRow), EdgeOf(200));
    DismissRoleHead(kPortrait, 0);
    EXPECT_EQ(gRoleHeads->motion, kHeadLeaveAtOnce);
    Frame();
    EXPECT_EQ(std::tuple(LeftEdge(20 + kProbeRow), gRoleHeads, MemDbgGetStats().curBlocks),
              std::tuple(EdgeOf(200), nullptr, before.curBlocks));
    AddRoleHead(kPortrait, 0, 100, 0x8000 | 20);
    drawRoleHead();
    // Show: the old head leaves while a new one with the keys slides in.
    ShowRoleHead(kPortrait, 0, 500, 30);
    ASSERT_EQ(ListLength(gRoleHeads), 2);
    EXPECT_EQ(std::tuple(gRoleHeads->x, gRoleHeads->motion, gRoleHeads->next->motion),
              std::tuple(760, 0, kHeadLeaveAtOnce));
    drawRoleHead();
    ASSERT_EQ(ListLength(gRoleHeads), 1);
    EXPECT_EQ(gRoleHeads->targetX, 500);
    // Two heads with the same keys dismissed twice in one frame both leave.
    AddRoleHead(kPortrait, 0, 200, 30);
    ASSERT_EQ(ListLength(gRoleHeads), 2);
    DismissRoleHead(kPortrait, 0);
    DismissRoleHead(kPortrait, 0);
    EXPECT_TRUE(gRoleHeads->motion && gRoleHeads->next->motion);
    for (int f = 0; f < 10 && gRoleHeads; ++f) drawRoleHead();
    EXPECT_EQ(gRoleHeads, nullptr);
    // Keys that match nothing change nothing.
    AddRoleHead(kPortrait, 0, 200, 30);
    DismissRoleHead(kPortrait, 1);
    DismissRoleHead(kPortrait + 1, 0);
    EXPECT_EQ(gRoleHeads->motion, 0);
}

TEST_F(OverlayTest, MissingActsReportOnceAndTheLayerGoesOn) {
    AddRoleHead(kMissingAct, 0, 100, 20);
    CreateAntiAliasObject(kMissingAct, 3, 100, 0x8000 | 200);
    CreateAntiAliasObject(kPortrait, 0, 300, 0x8000 | 200);
    EXPECT_EQ(FindAntiAliasObject(kMissingAct, 3)->edgeMap, nullptr);
    for (int f = 0; f < 10; ++f) Frame();
    // The good object is drawn; the missing ones report once between them.
    EXPECT_EQ(std::tuple(At(300 - kPortraitHotX + 50, 200 + kProbeRow), h.boxes().size()),
              std::tuple(Colour(0), 1u));
    // The head still eases toward its target, and can be sent away.
    EXPECT_EQ(gRoleHeads->x, 100);
    DismissRoleHead(kMissingAct, 0);
    for (int f = 0; f < 10; ++f) Frame();
    EXPECT_EQ(std::tuple(gRoleHeads, h.boxes().size()), std::tuple(nullptr, 1u));
    // Pictures far off the screen are refused by the drawer, not drawn wrapped.
    FreeAntiAliasObjects();
    CreateAntiAliasObject(kPortrait, 0, 0xFFFF, 0x8000 | 0x7FFF);
    Frame();
    EXPECT_EQ(std::tuple(LeftEdge(kProbeRow), LeftEdge(479)), std::tuple(-1, -1));
}

// The ghost follower: its fade levels frame by frame, its drift toward the
// point, what it draws, and the wanderer and bobbing sprite beside it.

TEST(GhostFollow, FadesMovesOnePixelTowardThePointStopsOnItAndFreesEveryObject) {
    // Counter -32 at creation: in over 32 frames, out from 32 to nothing at 64.
    const std::pair<i32, i32> kCases[] = {{-32, 0}, {-31, 0}, {-1, 15}, {0, 16}, {31, 16},
                                          {32, 16}, {33, 15}, {63, 0},  {64, 0}};
    for (auto [fade, level] : kCases) EXPECT_EQ(GhostFadeLevel(fade), level) << fade;

    // The ghost moves a pixel a frame toward the point.
    ResetGhosts();
    CreateGhost(1, 0, 0, 0, 0, 0);
    UpdateGhost(30, 40);
    EXPECT_NEAR(std::hypot(gGhosts.ghost->x - 0.6f, gGhosts.ghost->y - 0.8f), 0, 1e-5);
    EXPECT_EQ(gGhosts.ghost->vx, 0.0f);  // velocity is cleared after each move
    for (int i = 0; i < 49; ++i) UpdateGhost(30, 40);
    EXPECT_NEAR(std::hypot(gGhosts.ghost->x - 30.0f, gGhosts.ghost->y - 40.0f), 0, 1e-3);
    // Standing on the point it stays put, without a direction to divide by.
    CreateGhost(1, 0, 7, 9, 0, 0);
    UpdateGhost(7, 9);
    EXPECT_EQ(std::tuple(gGhosts.ghost->x, gGhosts.ghost->y, gGhosts.ghost->fade),
              std::tuple(7.0f, 9.0f, kGhostFadeStart + 1));
    // The fade counter stops at 64 and the ghost stays.
    for (int i = 0; i < 200; ++i) UpdateGhost(7, 9);
    EXPECT_EQ(gGhosts.ghost->fade, 64);
    StopGhosts();
    // Without a ghost the map scene's call does nothing.
    DrawGhosts(10, 10);
    EXPECT_EQ(gGhosts.ghost, nullptr);
    // Replacing and releasing free every object.
    i32 before = MemDbgGetStats().curBlocks;
    CreateGhost(1, 0, 0, 0, 0, 0);
    CreateGhost(2, 0, 0, 0, 0, 0);  // frees the first
    CreateWanderer(1, 0, 0, 0, 1, 2, 0.1f);
    CreateBobber(1, 0, 0, 0);
    EXPECT_EQ(std::tuple(MemDbgGetStats().curBlocks, gGhosts.ghost->act->act),
              std::tuple(before + 6, 2));
    ReleaseGhosts();
    EXPECT_EQ(std::tuple(MemDbgGetStats().curBlocks, gGhosts.wanderer, gGhosts.bobber),
              std::tuple(before, nullptr, nullptr));
}

// The ghost's picture drawn over a black canvas: brightness follows the fade.
struct GhostDrawTest : SampleFixture {
    void SetUp() override {
        SampleFixture::SetUp();
        gViewX = gViewY = 0;
    }
    void TearDown() override { ResetGhosts(); }
    // Sum of every channel of the canvas after one draw of the ghost.
    long DrawnSum() {
        gPaintBuf = LockSurface(gDrawSurface);
        UnlockSurface(gDrawSurface, nullptr);
        FillCanvas(0);
        DrawGhost();
        long sum = 0;
        for (int y = 0; y < 480; ++y)
            for (int x = 0; x < 640; ++x) {
                u16 v = ConvertPixelBack(*PaintPixelAddr(x, y));
                sum += (v >> 10 & 31) + (v >> 5 & 31) + (v & 31);
            }
        return sum;
    }
};

TEST_F(GhostDrawTest, BlendLevelFollowsTheFadeCounterAndMapEntryStopsTheGhost) {
    EXPECT_EQ(DrawnSum(), 0);  // no ghost: nothing drawn
    CreateGhost(sample_art::kPeopleFirst, sample_art::kActionStand, 200, 200, 0, 0);
    long atStart = DrawnSum();
    auto sumAt = [&](int fade) {
        gGhosts.ghost->fade = fade;
        return static_cast<double>(DrawnSum());
    };
    // Levels 8, 16, and faded out though still there.
    EXPECT_EQ(std::tuple(atStart, sumAt(64)), std::tuple(0, 0.0));
    EXPECT_NEAR(sumAt(-16) / sumAt(10), 0.5, 0.15);
    // Moving the view moves the picture off screen.
    gGhosts.ghost->fade = 10;
    gViewX = 2000;
    EXPECT_EQ(DrawnSum(), 0);
    // Map entry stops the ghost; the release frees the rest.
    CreateGhost(sample_art::kPeopleFirst, 0, 0, 0, 0, 0);
    CreateWanderer(sample_art::kPeopleFirst, 0, 0, 0, 1, 1, 0);
    ASSERT_EQ(StartNewGame(1), 1);  // enters the start map
    EXPECT_TRUE(!gGhosts.ghost && gGhosts.wanderer);
    ReleaseGame();
    EXPECT_EQ(gGhosts.wanderer, nullptr);
}

// Shaded boxes against per-pixel references, the framed box, the pause notice
// and the disc prompt.

// The level 0..31 of a pixel's channel under its mask (the 5-6-5 green keeps
// its top five bits), and a level put back under the mask.
int Level(u32 mask, u16 v) {
    return static_cast<int>((v & mask) >> __builtin_ctz(mask)) >> (__builtin_popcount(mask) - 5);
}
u32 Put(u32 mask, int v) {
    return static_cast<u32>(v << (__builtin_popcount(mask) - 5)) << __builtin_ctz(mask);
}

// What one pixel becomes in a mode, written from the drawing rule: 0 the
// colour's five bits, 1 the colour added and clamped, 2 and 4 a quarter and an
// eighth on the five-bit working channels, 3 grey at a quarter of the sum of
// the channels; other modes leave it.
u16 Expected(const Layout& l, u16 p, int mode, const int (&add)[3]) {
    if (mode > 4) return p;
    const u32 masks[3] = {l.r, l.g, l.b};
    const int sum = Level(l.r, p) + Level(l.g, p) + Level(l.b, p);
    u32 out = 0;
    for (int k = 0; k < 3; ++k) {
        const int c = Level(masks[k], p);
        const int v[5] = {add[k] & 31, std::clamp(c + add[k], 0, 31), c >> 2, sum >> 2, c >> 3};
        out |= Put(masks[k], v[mode]);
    }
    return static_cast<u16>(out);
}

TEST(ShadedBox, ModesMatchTheirRulesInsideTheClipOnlyAndGrowingLeavesTheEdges) {
    for (const Layout& l : {k565, k555}) {
        for (int mode : {0, 1, 2, 3, 4, 7}) {
            Canvas c(l, 7 + mode);
            std::vector<u16> before = c.px;
            SetClip(20, 10, 300, 200);
            DrawShadedBox(-5, 5, 100, 50, 3, 9, -4, mode);
            for (int y = 0; y < 480; ++y)
                for (int x = 0; x < 640; ++x) {
                    size_t k = static_cast<size_t>(y) * 640 + x;
                    bool inside = x >= 20 && x < 95 && y >= 10 && y < 55;
                    u16 want = inside ? Expected(l, before[k], mode, {3, 9, -4}) : before[k];
                    ASSERT_EQ(c.px[k], want)
                        << l.name << " mode " << mode << " at " << x << "," << y;
                }
        }
    }
    Canvas c(k555);
    for (auto& p : c.px) p = 0;
    DrawShadedBox(0, 0, 2, 9, 16, 0, 0, 5);  // 5 steps: levels 0, 204, 408, 612, 816 of 1024
    int want[9] = {0, 3, 6, 9, 12, 9, 6, 3, 0};
    for (int y = 0; y < 9; ++y) EXPECT_EQ(Level(k555.r, c.px[y * 640]), want[y]) << y;
    // Nothing at all for height 1, empty or wholly clipped boxes.
    c.px[10] = 0x1234;
    std::vector<u16> before = c.px;
    DrawShadedBox(10, 0, 1, 1, 31, 31, 31, 5);
    DrawShadedBox(700, 0, 10, 10, 31, 0, 0, 0);
    DrawShadedBox(0, 0, 0, 10, 31, 0, 0, 0);
    DrawShadedBox(0, 0, 10, -3, 31, 0, 0, 0);
    EXPECT_EQ(c.px, before);
}

using PauseScreen = SampleFixture;

TEST_F(PauseScreen, ShowsTheNoticeInAFramedBox) {
    std::memset(gPaintBuf, 0xFF, 640 * 480 * 2);
    DrawPauseScreen();
    // The text is 22 bytes: x = 320 - 11 * 11 = 199, the inner box 242 x 22 at
    // (199, 229), the shaded box 8 larger all round, the frame pieces on its rim.
    // Black behind, below the text; the left edge piece neither.
    const u16 edge = gPaintBuf[240 * 640 + 195];
    EXPECT_EQ(std::tuple(gPaintBuf[240 * 640 + 185], gPaintBuf[215 * 640 + 300],
                         gPaintBuf[250 * 640 + 300], edge != 0xFFFF && edge != 0),
              std::tuple(0xFFFF, 0xFFFF, 0x0000, true));
    int lit = 0;
    for (int y = 229; y < 251; ++y)
        for (int x = 199; x < 441; ++x) lit += gPaintBuf[y * 640 + x] != 0;
    EXPECT_GT(lit, 100);  // the text is drawn
}

// The request is shown once before Q is read; each line's text stays inside its
// frame. " 請放入標示 1 的光碟 " is 8 double-byte characters at the second font's
// advance of 20 and 5 single bytes at 10: 210 wide, the inner box from
// 320 - 105 = 215 to 425, the right frame piece from there. " 或按 Q 鍵離開遊戲 ":
// 7 x 20 + 5 x 10 = 190, from 225 to 415.
// With the disc in drive F on the first try nothing is shown.
TEST(DiscPrompt, QEndsItWithTheQuitBitAndTheRequestFitsItsFrame) {
    Harness h;
    h.StartGame();
    HostSetDrive('F', h.root());
    HostSetVolumeLabel('F', "AudioCD");
    FindCdDrives(gCdPath);
    char root[4] = {}, letter = 0;
    EXPECT_EQ(FindDisc(root, 1, &letter), 1);
    EXPECT_EQ(std::tuple(letter, std::string(root), gRunState & kRunDiscPrompt),
              std::tuple('f', "f:\\", 0));
    HostSetVolumeLabel('F', "Other");
    PlatformSetKey(0x10, true);
    EXPECT_EQ((std::tuple{FindDisc(root, 0, &letter), gRunState & kRunQuit}),
              std::tuple(2, kRunQuit));
    const u16 ink = static_cast<u16>(MakeColor(21, 15, 8));
    const struct { i32 y, left, right; } lines[] = {{211, 215, 425}, {271, 225, 415}};
    for (const auto& l : lines) {
        // The box reaches 8 pixels past the inner rectangle, where the frame lies.
        i32 edge = 639;
        while (edge > 0 && gPaintBuf[(l.y + 9) * 640 + edge] == 0) --edge;
        const i32 frame = edge - 7;
        EXPECT_EQ(frame, l.right) << l.y << ": the frame's inner edge";
        int inside = 0, outside = 0, lastColumn = 0;
        for (i32 y = l.y - 8; y < l.y + 26; ++y)
            for (i32 x = 0; x < 640; ++x) {
                if (gPaintBuf[y * 640 + x] != ink) continue;
                (x >= l.left && x < frame ? inside : outside)++;
                lastColumn = std::max(lastColumn, x);
            }
        // No text on or past the frame; the last character ends near it.
        EXPECT_EQ(std::tuple(inside > 100, outside, lastColumn > frame - 20),
                  std::tuple(true, 0, true))
            << l.y;
    }
}

}  // namespace
