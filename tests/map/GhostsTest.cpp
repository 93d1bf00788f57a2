// The ghost follower: its fade levels frame by frame, its drift toward the
// point, what it draws, and the wanderer and bobbing sprite beside it.
#include "MapTestSupport.h"

namespace {

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
    EXPECT_NEAR(gGhosts.ghost->x, 0.6f, 1e-5);
    EXPECT_NEAR(gGhosts.ghost->y, 0.8f, 1e-5);
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
    EXPECT_EQ(gGhosts.ghost, nullptr);
    // Without a ghost the map scene's call does nothing.
    DrawGhosts(10, 10);
    EXPECT_EQ(gGhosts.ghost, nullptr);
    // Replacing and releasing free every object.
    i32 before = MemDbgGetStats().curBlocks;
    CreateGhost(1, 0, 0, 0, 0, 0);
    CreateGhost(2, 0, 0, 0, 0, 0);  // frees the first
    CreateWanderer(1, 0, 0, 0, 1, 2, 0.1f);
    CreateBobber(1, 0, 0, 0);
    EXPECT_EQ(MemDbgGetStats().curBlocks, before + 6);
    EXPECT_EQ(gGhosts.ghost->act->act, 2);
    ReleaseGhosts();
    EXPECT_EQ(MemDbgGetStats().curBlocks, before);
    EXPECT_EQ(std::tuple(gGhosts.wanderer, gGhosts.bobber), std::tuple(nullptr, nullptr));
}

// The ghost's picture drawn over a black canvas: brightness follows the fade.
struct GhostDrawTest : ::testing::Test {
    Harness h;
    void SetUp() override {
        h.WriteSample();
        h.StartGame();
        h.RunFrames(1);
        ASSERT_NE(gDrawSurface, nullptr);
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

TEST_F(GhostDrawTest, BlendLevelFollowsTheFadeCounter) {
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
    EXPECT_GT(sums[0], 0);
    EXPECT_NEAR(static_cast<double>(sums[0]) / sums[1], 0.5, 0.15);
    ASSERT_NE(gGhosts.ghost, nullptr);
    // Moving the view moves the picture off screen.
    gGhosts.ghost->fade = 10;
    gViewX = 2000;
    EXPECT_EQ(DrawnSum(), 0);
}

TEST_F(GhostDrawTest, MapEntryStopsTheGhostAndReleaseFreesTheRest) {
    CreateGhost(sample_art::kPeopleFirst, 0, 0, 0, 0, 0);
    CreateWanderer(sample_art::kPeopleFirst, 0, 0, 0, 1, 1, 0);
    ASSERT_EQ(StartNewGame(1), 1);  // enters the start map
    EXPECT_EQ(gGhosts.ghost, nullptr);
    EXPECT_NE(gGhosts.wanderer, nullptr);
    ReleaseGame();
    EXPECT_EQ(gGhosts.wanderer, nullptr);
}

}  // namespace
