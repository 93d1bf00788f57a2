// The swimming scene driven through the frame tick with the virtual clock and
// held keys: strokes, braking, steering, limits, obstacles and the two ways
// the scene ends.
#include "MapTestSupport.h"

namespace {

class SwimTest : public ::testing::Test {
protected:
    void SetUp() override {
        h.WriteSample();
        h.StartGame();
        h.RunFrames(1);
        gFrameId = 0;
        StopVideo();  // the opening video would hold the tick
        InitRandom(1234);
        ASSERT_EQ(StartSwimScene(0, 1, 8, 2, 8, 3, 0, 40), 1);
        gRunState |= kRunSwim;
    }
    void TearDown() override {
        PlatformReleaseAllKeys();
        ResetSwim();
        gRunState &= static_cast<u8>(~kRunSwim);
    }
    static u8 Key(int entry) { return static_cast<u8>(gMapKeyCodes[entry]); }
    void Hold(int entry, int frames) {
        PlatformSetKey(Key(entry), true);
        h.RunFrames(frames);
        PlatformSetKey(Key(entry), false);
    }
    // A fresh press: one frame down, one up.
    void Tap(int entry) { TapKey(h, Key(entry)); }
    Harness h;
};

// The marker swims 60 pixels ahead of the swimmer and the companion 72.
TEST_F(SwimTest, StartPlacesTheActorsNoObstaclesNearTheStartAndKindsAreBounded) {
    EXPECT_EQ(std::tuple(SwimX(), SwimY(), SwimViewTop(), gSwim->marker.y, gSwim->companion.y),
              std::tuple(320, kSwimCourse, kSwimCourse - 240, kSwimCourse - 60, kSwimCourse - 72));
    for (const SwimObstacle& o : gSwim->obstacles) EXPECT_EQ(o.x, kSwimFreeSlot);
    // Near the start of the view no obstacles come: view top 50, below 60 nothing is refilled.
    gSwim->y8 = 8 * 290;
    h.RunFrames(2000);
    for (const SwimObstacle& o : gSwim->obstacles) EXPECT_EQ(o.x, kSwimFreeSlot);
    EXPECT_EQ(std::tuple(SetSwimObstacleKind(7, 12001, 1), SetSwimObstacleKind(8, 1, 0),
                         SetSwimObstacleKind(-1, 1, 0)),
              std::tuple(1, 0, 0));
    FreeSwimScene();  // no scene: nothing to set or step
    EXPECT_EQ(std::tuple(SetSwimObstacleKind(0, 1, 0), RunSwimScene()), std::tuple(0, 0));
}

// Strokes (down) push forward and cost stamina, a held key is one stroke;
// up brakes, at once on the third held frame; tired, a tap no longer brakes.
TEST_F(SwimTest, StrokesPushForwardUpBrakesAndSteeringPushesDragsAndIsLimited) {
    const struct {
        i32 speed, stamina;
        int entry, held;  // frames the key is held; 0 taps it
        i32 wantSpeed, wantStamina;
    } kCases[] = {
        {0, 40, keyEntry::kDown, 0, 2, 39}, {2, 39, keyEntry::kDown, 5, 4, 38},
        {0, 0, keyEntry::kDown, 0, 0, 0},   {14, 40, keyEntry::kUp, 0, 10, -1},
        {10, 40, keyEntry::kUp, 2, 2, -1},  {14, 40, keyEntry::kUp, 3, 0, -1},
        {12, 5, keyEntry::kUp, 0, 12, -1},  {12, 5, keyEntry::kUp, 3, 0, -1},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(&c - kCases);
        gSwim->forwardSpeed = c.speed;
        gSwim->stamina = c.stamina;
        c.held ? Hold(c.entry, c.held) : Tap(c.entry);
        EXPECT_EQ(gSwim->forwardSpeed, c.wantSpeed);
        EXPECT_TRUE(c.wantStamina < 0 || gSwim->stamina == c.wantStamina) << gSwim->stamina;
        h.RunFrames(1);
    }
    // At 4 eighths a frame the swimmer climbs a pixel every two frames.
    gSwim->forwardSpeed = 4;
    i32 y8 = gSwim->y8;
    h.RunFrames(10);
    EXPECT_EQ(std::tuple(gSwim->y8, gSwim->progress), std::tuple(y8 - 40, kSwimCourse - SwimY()));
    gSwim->stamina = 40;
    for (int i = 0; i < 12; ++i) Tap(keyEntry::kDown);
    EXPECT_EQ(gSwim->forwardSpeed, kSwimForwardLimit);
    // Push 3, drag 1 a frame; the drag stops at standing still.
    Hold(keyEntry::kRight, 1);
    for (i32 want : {2, 1, 0, 0}) {
        EXPECT_EQ(gSwim->sideSpeed, want);
        h.RunFrames(1);
    }
    i32 x8 = gSwim->x8;
    Hold(keyEntry::kLeft, 20);
    EXPECT_EQ(std::tuple(gSwim->sideSpeed, gSwim->x8 < x8), std::tuple(-kSwimSideLimit, true));
    // The marker follows one pixel a frame, the companion two.
    i32 marker = gSwim->marker.x, companion = gSwim->companion.x;
    ASSERT_GT(marker, SwimX() + 2);
    h.RunFrames(1);
    EXPECT_EQ(std::tuple(gSwim->marker.x, gSwim->companion.x),
              std::tuple(marker - 1, companion - 2));
}

// Cancel ends the scene after thirty frames in which nothing moves, then frees it.
TEST_F(SwimTest, CancelEndsAfterThirtyFramesAndFreesTheScene) {
    gSwim->forwardSpeed = 8;
    Hold(keyEntry::kCancel, 1);
    ASSERT_NE(gSwim, nullptr);
    EXPECT_EQ(std::tuple(gSwim->state & kSwimEnding, gSwim->endTimer),
              std::tuple(kSwimEnding, kSwimEndFrames));
    const i32 y8 = gSwim->y8;
    h.RunFrames(kSwimEndFrames - 1);
    ASSERT_NE(gSwim, nullptr);
    EXPECT_EQ(std::tuple(gSwim->y8, gRunState & kRunSwim), std::tuple(y8, kRunSwim));
    h.RunFrames(1);
    EXPECT_EQ(std::tuple(gSwim, gRunState & kRunSwim), std::tuple(nullptr, 0));
}

TEST_F(SwimTest, ReachingTheTopEndsTheScene) {
    gSwim->y8 = 8 * 2;
    gSwim->forwardSpeed = 16;
    h.RunFrames(1);
    ASSERT_NE(gSwim, nullptr);
    EXPECT_EQ(std::tuple(SwimY(), gSwim->state & kSwimEnding), std::tuple(0, kSwimEnding));
    int ended = 0;
    for (int i = 0; i < kSwimEndFrames + 2 && gSwim; ++i) {
        gRunState &= static_cast<u8>(~kRunSwim);  // step it by hand to see the result
        ended += RunSwimScene();
    }
    EXPECT_EQ(std::tuple(ended, gSwim), std::tuple(1, nullptr));
}

TEST_F(SwimTest, ObstaclesComeFromAboveDriftDownAndLeave) {
    for (int k = 0; k < kSwimObstacles; ++k) SetSwimObstacleKind(k, 100 + k, k);
    int spawned = 0;
    for (int f = 0; f < 3000 && spawned < 5; ++f) {
        SwimObstacle before[kSwimObstacles];
        std::copy(std::begin(gSwim->obstacles), std::end(gSwim->obstacles), before);
        h.RunFrames(1);
        for (int i = 0; i < kSwimObstacles; ++i) {
            const SwimObstacle& o = gSwim->obstacles[i];
            if (before[i].x != kSwimFreeSlot || o.x == kSwimFreeSlot) continue;
            ++spawned;
            EXPECT_EQ(
                std::tuple(o.y,
                           o.x >= 60 &&
                               o.x<580, o.act->act - 100u < kSwimObstacles, o.act->action, o.vy> 0),
                std::tuple(SwimViewTop() - 60, true, true, o.act->act - 100, true))
                << o.x << " act " << o.act->act;
        }
    }
    EXPECT_GE(spawned, 5);
    EXPECT_TRUE(h.boxes().empty());  // acts that do not exist draw nothing, quietly
    // A slot past the view top + 560 is freed.
    SwimObstacle& o = gSwim->obstacles[0];
    if (o.x == kSwimFreeSlot) o = SwimObstacle{100, 0, 0, 0, nullptr};
    o.y = SwimViewTop() + 560;
    o.vy = 1;
    h.RunFrames(1);
    EXPECT_EQ(gSwim->obstacles[0].x, kSwimFreeSlot);
}

}  // namespace
