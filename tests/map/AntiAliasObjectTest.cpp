// Anti-aliased overlay objects and role heads: where each is drawn frame by
// frame as it eases in or leaves, the soft edges, keys, and freeing.
#include "MapTestSupport.h"

namespace {

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
    u16 At(i32 x, i32 y) { return *PaintPixelAddr(x, y); }
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
    static i32 ListLength(const RoleHead* h) {
        i32 n = 0;
        for (; h; h = h->next) ++n;
        return n;
    }
};

// Where an object or head is each frame as it eases in, worked by hand, and
// where its picture is drawn. An object's target left of 320 starts at -120,
// from 320 on at 760; the gap halves toward zero and a one-pixel gap stays.
// A head takes two thirds of the gap and snaps once a step is a pixel or less;
// a head's target of 320 still comes from the left.
TEST_F(OverlayTest, ObjectsAndHeadsSlideInFromTheNearerEdge) {
    const struct {
        bool head;
        i32 target;
        std::vector<i32> xs;
    } cases[] = {{false, 100, {-120, -10, 45, 72, 86, 93, 96, 98, 99, 99}},
                 {false, 319, {-120}},
                 {false, 320, {760}},
                 {false, 500, {760, 630, 565, 533, 517, 509, 505, 503, 502, 501, 501}},
                 {true, 320, {-120}},
                 {true, 321, {760}},
                 {true, 600, {760, 654, 618, 606, 602, 600, 600}},
                 {true, 100, {-120, 26, 75, 91, 97, 99, 100, 100}}};
    for (const auto& c : cases) {
        FreeAntiAliasObjects();
        ReleaseRoleHeads();
        const i32 y = c.head ? 60 : 200;
        // An object's creation answers with its id.
        if (c.head) AddRoleHead(kPortrait, 0, static_cast<u32>(c.target), y);
        const u32 made = c.head ? kPortrait : CreateAntiAliasObject(kPortrait, 0, c.target, y);
        const AntiAliasObject* o = FindAntiAliasObject(kPortrait, 0);
        const i32* x = c.head ? (gRoleHeads ? &gRoleHeads->x : nullptr) : (o ? &o->x : nullptr);
        ASSERT_TRUE(x && made == kPortrait) << made;
        for (size_t f = 0; f < c.xs.size(); ++f) {
            SCOPED_TRACE(testing::Message()
                         << "head " << c.head << " target " << c.target << " frame " << f);
            EXPECT_EQ(*x, c.xs[f]);
            Frame();
            EXPECT_EQ(LeftEdge(y + kProbeRow), EdgeOf(c.xs[f]));
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
    i32 left = 200 - kPortraitHotX + static_cast<i32>(kPortraitMargin);
    i32 row = 100 + kProbeRow;
    // The transparent margin keeps the canvas; the outer opaque column is a
    // blend of both; two columns in, the picture's own colour. Vertically the
    // same: the top opaque row is blended.
    i32 top = 100 + static_cast<i32>(kPortraitMargin);
    EXPECT_EQ(std::tuple(o->x, LeftEdge(row), At(left - 1, row), At(left + 2, row),
                         At(left + 40, row), At(left + 40, top - 1), At(left + 40, top + 2)),
              std::tuple(200, left, kBack, Colour(1), Colour(1), kBack, Colour(1)));
    for (u16 blend : {At(left, row), At(left + 40, top)}) {
        EXPECT_TRUE(blend != kBack && blend != Colour(1)) << blend;
    }
}

TEST_F(OverlayTest, KeysFindRemoveRekeyAndFreeing) {
    MemDbgStats before = WarmedUpStats();
    // Two objects with the same key: the newest is found and removed first.
    CreateAntiAliasObject(kPortrait, 0, 100, 10);
    CreateAntiAliasObject(kPortrait, 1, 150, 20);
    CreateAntiAliasObject(kPortrait, 0, 400, 30);
    EXPECT_EQ(std::tuple(FindAntiAliasObject(kPortrait, 0), TargetOf(kPortrait, 0)),
              std::tuple(GetAntiAliasObjects(), 400));
    // Nothing with key 7: nothing happens.
    EXPECT_EQ(RemoveAntiAliasObject(kPortrait, 0), 0);
    EXPECT_EQ(std::tuple(TargetOf(kPortrait, 0), RemoveAntiAliasObject(kPortrait, 7),
                         TargetOf(kPortrait, 7)),
              std::tuple(100, 0, -1));
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
    EXPECT_EQ(PopAntiAliasObject(), 0);
    EXPECT_EQ(GetAntiAliasObjects()->subId, 1u);
    EXPECT_EQ(PopAntiAliasObject(), 0);
    EXPECT_EQ(GetAntiAliasObjects(), nullptr);
    EXPECT_EQ(PopAntiAliasObject(), 0);
    for (int i = 0; i < 5; ++i) CreateAntiAliasObject(kPortrait, i & 1, 50 * i, 10);
    FreeAntiAliasObjects();
    EXPECT_EQ(std::tuple(GetAntiAliasObjects(), MemDbgGetStats().curBlocks),
              std::tuple(nullptr, before.curBlocks));
}

TEST_F(OverlayTest,
       DismissedHeadsLeaveFasterEachFrameShowReplacesAndRepeatedDismissalsReachOlderHeads) {
    // Left of 321 a head leaves to the left, else to the right; the step
    // triples from 1 and the head is freed once it is off the screen.
    struct Case {
        i32 target;
        std::vector<i32> drawnAt;
    } cases[] = {{100, {100, 99, 96, 87, 60, -21}}, {400, {400, 401, 404, 413, 440, 521}}};
    MemDbgStats before = WarmedUpStats();
    for (const Case& c : cases) {
        AddRoleHead(kPortrait, 1, static_cast<u32>(c.target), 0x8000 | 20);
        // Placed heads leave in one frame; so a sliding one is made to rest first.
        gRoleHeads->placed = false;
        DismissRoleHead(kPortrait, 1);
        std::vector<i32> seen;
        for (int f = 0; f < 20 && gRoleHeads; ++f) {
            seen.push_back(gRoleHeads->x);
            drawRoleHead();
        }
        EXPECT_EQ(std::tuple(seen, gRoleHeads), std::tuple(c.drawnAt, nullptr)) << c.target;
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

TEST_F(OverlayTest, TransientListReleasesTakeObjectsWithTheHeads) {
    MemDbgStats before = WarmedUpStats();
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

// The ghost follower: its fade levels frame by frame, its drift toward the
// point, what it draws, and the wanderer and bobbing sprite beside it.

TEST(GhostFollow, FadesMovesOnePixelTowardThePointStopsOnItAndFreesEveryObject) {
    // Counter -32 at creation: in over 32 frames, out from 32 to nothing at 64.
    const struct {
        i32 fade, level;
    } kCases[] = {{-32, 0}, {-31, 0}, {-16, 8}, {-1, 15}, {0, 16}, {31, 16},
                  {32, 16}, {33, 15}, {48, 8},  {63, 0},  {64, 0}};
    for (const auto& c : kCases) EXPECT_EQ(GhostFadeLevel(c.fade), c.level) << c.fade;

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
struct GhostDrawTest : ::testing::Test {
    Harness h;
    void SetUp() override {
        h.WriteSample();
        h.StartGame();
        h.RunFrames(1);
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
    // Levels 8, 16, and faded out though still there.
    const int kFades[3] = {-16, 10, 64};
    long sums[3];
    for (int k = 0; k < 3; ++k) {
        gGhosts.ghost->fade = kFades[k];
        sums[k] = DrawnSum();
    }
    EXPECT_EQ(std::tuple(atStart, sums[2]), std::tuple(0, 0));
    EXPECT_NEAR(static_cast<double>(sums[0]) / sums[1], 0.5, 0.15);
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

}  // namespace
