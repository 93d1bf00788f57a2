// Player control driven through the real frame tick with scripted keys under
// the virtual clock, over the sample town; and the edges of a guarded grid.
#include "MapTestSupport.h"

using namespace sampleMap;

namespace {

constexpr u8 kRight = 205, kDown = 208, kR = 19;

class Control : public TownFixture {
protected:
    void SetUp() override {
        TownFixture::SetUp();
        EndTalk();
        // The town's people stand still unless a test lets them walk.
        for (int i = 1; i < gMapRoleCount; ++i)
            if (i != gPlayerSlot) gMapRoles[i].scriptId = 0;
        h.RunFrames(1);  // every key reads as released once
    }
    static void EndTalk() {
        ResetTalk();
        ResetDialogs();
    }
    // One frame of input and control alone, so a test sees the talk context
    // before the story interpreter runs it.
    void ControlFrame() {
        PlatformAdvanceTime(35);
        gFrameTime = timeGetTime();
        PollInput();
        UpdateKeyStates();
        KeyCole();
    }
    void PutPlayer(int cx, int cy, int dir) {
        ClearRoleFootprint(&s.P());
        std::tie(s.P().x, s.P().y) = std::tuple(cx * 16, cy * 16);
        s.P().cell = &gMap.cells[static_cast<size_t>(cy) * gMap.width + cx];
        MarkRoleFootprint(&s.P());
        s.P().act->dir = dir;
        CenterCameraOnPlayer();
    }
    void Key(u8 code, bool down) { PlatformSetKey(code, down); }
    // Holds a key for n frames.
    void Hold(u8 code, int n) {
        Key(code, true);
        h.RunFrames(n);
        Key(code, false);
    }
    // Down for one frame of control alone.
    void Press(u8 code) {
        Key(code, true);
        ControlFrame();
        Key(code, false);
    }
    std::pair<int, int> Cell() { return {s.P().x / 16, s.P().y / 16}; }

    SampleSession s{h};
};

// Walking step 4: a cell in four frames. On the cell boundary control starts
// the next step while the key is down; released, the cell is finished. A press
// again within 120 ms runs at 8 pixels a frame; the first released frame still
// reads the key down and starts one more cell.
TEST_F(Control, OneCellTakesTheFramesOfTheWalkingStepAndAPressAgainRuns) {
    const std::tuple<bool, int, int, int, u32> kSteps[] = {
        {true, 1, 4, 8, 4},   {true, 1, 8, 8, 4},   {true, 1, 12, 8, 4},  {true, 1, 16, 8, 4},
        {true, 1, 20, 8, 4},  {false, 4, 32, 0, 4}, {false, 8, 32, 0, 4}, {true, 4, 48, 8, 4},
        {false, 2, 56, 8, 4}, {true, 2, 64, -1, 4}, {true, 1, 72, 16, 8}, {true, 1, 80, 16, 8}};
    const u16 x0 = s.P().x;
    for (auto [down, frames, dx, action, step] : kSteps) {
        Key(kRight, down);
        h.RunFrames(frames);
        EXPECT_EQ(std::tuple(s.P().x - x0, action < 0 ? -1 : s.P().act->action, gWalkStep),
                  std::tuple(dx, action, step))
            << dx;
    }
    Key(kRight, false);
}

TEST(KeyStates, DownValuesFollowReleasesAndTheClock) {
    ResetPlayerControl();
    const std::tuple<u32, bool, u32> steps[] = {
        {1000, true, 0},   // cleared state: a held key does not count
        {1035, false, 0},  // the release is stamped
        {1070, true, 1},  {1105, true, 1},  {1140, false, 1}, {1175, true, 2},  {1210, false, 2},
        {1245, true, 3},  {1280, false, 3}, {1315, true, 3},  {1350, false, 3}, {1385, false, 0},
        {1600, false, 0}, {1635, true, 1},  {2000, false, 1}, {2035, false, 0},
    };
    for (auto [now, pressed, down] : steps) {
        gControl.now = now;
        UpdateKeyState(keyEntry::kUp, pressed);
        EXPECT_EQ(gKeyStates[keyEntry::kUp].down, down) << now;
    }
    // Repeats: the first held frame, then every odd count from 11.
    int repeats = 0;
    for (int f = 1; f <= 14; ++f) {
        UpdateKeyState(keyEntry::kUp, true);
        if (IsKeyRepeat(keyEntry::kUp)) ++repeats;
    }
    EXPECT_EQ(repeats, 1 + 2);  // held counts 1, 11, 13
}

TEST_F(Control, WallsAndPeopleStopAndCornersSlide) {
    // The house's west wall is column 30 from row 10 to row 18; with flag 20
    // walls no longer stop the player. Against its top end the step slides up
    // around the corner; a diagonal into the wall slides along it.
    const std::tuple<int, bool, bool, std::pair<int, int>> kWalks[] = {{14, false, false, {29, 14}},
                                                                       {14, false, true, {30, 14}},
                                                                       {10, false, false, {30, 9}},
                                                                       {14, true, false, {29, 15}}};
    for (auto [cy, down, flag20, cell] : kWalks) {
        PutGameFlag(20, flag20);
        PutPlayer(29, cy, 3);
        Key(kRight, true);
        Hold(down ? kDown : kRight, 4);
        Key(kRight, false);
        EXPECT_EQ(Cell(), cell) << cy << down << flag20;
        h.RunFrames(8);  // no press is remembered
    }
    ClearGameFlag(20);
    // A person stops the player on the cell in front however long the key is
    // held, and keeps its cell; both cells carry their own marks.
    const RoleSlot& person = gMapRoles[FindRoleById(101)];
    const int cx = person.x / 16, cy = person.y / 16;
    PutPlayer(cx - 3, cy, 3);
    Hold(kRight, 150);
    h.RunFrames(8);
    EXPECT_EQ(std::tuple(Cell(), person.x), std::tuple(std::pair(cx - 1, cy), cx * 16));
    const u32* row = &gMap.cells[static_cast<size_t>(cy) * gMap.width];
    EXPECT_EQ(std::tuple(row[cx] & kCellWide, row[cx - 1] & kCellPlayer),
              std::tuple(kCellWide, kCellPlayer));
}

// From each of the eight cells around the person the confirm key starts its
// talk and the two turn straight to each other: centre to centre, so a side
// neighbour is never taken for a diagonal.
TEST_F(Control, ConfirmBesideAPersonStartsItsTalkAndTurnsBothToEachOther) {
    int r = FindRoleById(101);
    RoleSlot& role = gMapRoles[r];
    const int cx = role.x / 16, cy = role.y / 16;
    // Player's offset from the person, the way the person then faces, the player's facing.
    const std::array<int, 4> kSides[] = {{0, -1, 0, 1}, {0, 1, 1, 0},   {-1, 0, 2, 3},
                                         {1, 0, 3, 2},  {-1, -1, 4, 5}, {1, 1, 5, 4},
                                         {-1, 1, 6, 7}, {1, -1, 7, 6}};
    for (auto [dx, dy, roleDir, playerDir] : kSides) {
        SCOPED_TRACE(testing::Message() << dx << "," << dy);
        EndTalk();
        role.act->dir = 1;
        role.act->action = 8;
        PutPlayer(cx + dx, cy + dy, playerDir);
        ControlFrame();
        Press(s.Confirm());
        EXPECT_EQ(std::tuple(gTalkContext.talk, gTalkContext.owner, gTalkContext.x,
                             gTalkContext.ownerState),
                  std::tuple(kSampleQuestionTalk, 101, role.x, role.state));
        // Its look comes back at the talk's end; the player's facing is the
        // same seen toward a map point (the person's centre).
        EXPECT_EQ(std::tuple(role.act->dir, role.act->action, s.P().act->dir, gTalkTurn.slot,
                             gTalkTurn.action, GetPlayerDirectionTo(role.x + 8, role.y + 8)),
                  std::tuple(roleDir, 0, playerDir, r, 8, playerDir));
    }
    // A held key starts nothing more.
    EndTalk();
    ControlFrame();
    Key(s.Confirm(), true);
    ControlFrame();
    gTalkContext.talk = 999;
    ControlFrame();
    Key(s.Confirm(), false);
    EXPECT_EQ(gTalkContext.talk, 999);
    // Facing away there is nobody in front.
    EndTalk();
    PutPlayer(cx, cy - 3, 0);
    ControlFrame();
    Press(s.Confirm());
    EXPECT_EQ(gTalkContext.owner, kTalkFree);
}

// Alt+Enter away and back while Return stays held: the Return of the chord is
// no press when the game comes back, neither for a talk nor for a waiting box;
// a press after its release is.
TEST_F(Control, ReturnHeldThroughAltEnterAwayAndBackIsNoPress) {
    constexpr u8 kAlt = 0x38, kReturn = 0x1C;
    int r = FindRoleById(101);
    PutPlayer(gMapRoles[r].x / 16, gMapRoles[r].y / 16 - 1, 1);
    h.RunFrames(1);
    auto altEnterTwiceWithReturnHeld = [&] {
        for (u8 k : {kAlt, kReturn}) Key(k, true);
        h.PostSysKeyDown(VK_RETURN);
        h.RunFrames(1);
        EXPECT_EQ(gSuspended, 1u);
        h.PostSysKeyDown(VK_RETURN);
        h.RunFrames(8);
        EXPECT_EQ(gSuspended, 0u);
        for (u8 k : {kAlt, kReturn}) Key(k, false);
        h.RunFrames(2);
    };
    altEnterTwiceWithReturnHeld();
    EXPECT_EQ(gTalkContext.owner, kTalkFree) << "a talk started";

    Hold(kReturn, 1);
    ASSERT_EQ(gTalkContext.owner, 101);
    ASSERT_TRUE(h.RunUntil([] { return gTalkContext.speakerState == 1; }, 300));
    const TalkContext waiting = gTalkContext;
    altEnterTwiceWithReturnHeld();
    EXPECT_EQ(std::tuple(gTalkContext.speakerState, gTalkContext.ip), std::tuple(1, waiting.ip))
        << "the box was answered";
    // The first press may finish the box's text, the next one answers it.
    for (int i = 0; i < 4 && gTalkContext.ip == waiting.ip; ++i) {
        Hold(kReturn, 2);
        h.RunFrames(3);
    }
    EXPECT_NE(gTalkContext.ip, waiting.ip) << "a real press answers the box";
}

TEST_F(Control, FunctionKeysWriteTheirModeWordsTheSpeedKeySwitchesOncePerRestAndChordsArmFastMode) {
    // Each key and the mode word it writes.
    const std::pair<u8, u32> kModes[] = {{88, 0x8000001E}, {67, 0x8000001C}, {68, 29},
                                         {59, 0x80000002}, {60, 0x80000017}, {61, 0x80000019},
                                         {62, 0x8000000D}};
    for (auto [key, mode] : kModes) {
        gFrameId = kMapMode;
        Hold(key, 1);
        EXPECT_EQ(gFrameId, mode) << int(key);
        gFrameId = kMapMode;
        h.RunFrames(1);
    }
    // Flag 329 shuts F1-F4, and F2 is not looked at once F1 is down.
    SetGameFlag(329);
    gFrameId = kMapMode;
    Key(59, true);
    Hold(60, 1);
    Key(59, false);
    EXPECT_EQ(gFrameId, kMapMode);
    ClearGameFlag(329);
    // During a talk only F12 works.
    ControlFrame();
    gTalkContext.owner = 100;
    Press(67);
    EXPECT_EQ(gFrameId, kMapMode);
    Press(88);
    EXPECT_EQ(gFrameId, 0x8000001Eu);
    // Out of the talk the speed key switches once per rest of 200 ms.
    EndTalk();
    gFrameId = kMapMode;
    h.RunFrames(8);
    Hold(kR, 3);  // 105 ms: within one rest of 200 ms
    EXPECT_EQ(gWalkMode, 1);
    h.RunFrames(8);
    Hold(kR, 1);
    EXPECT_EQ(gWalkMode, 0);
    // With flag 82 the two developer chords arm the fast-mode chord.
    for (auto keys : {std::initializer_list<u8>{49, 25, 46}, {16, 22, 18, 31, 20}, {56, 66}}) {
        h.RunFrames(20);
        for (u8 k : keys) Key(k, true);  // down together for one whole frame
        h.RunFrames(1);
        for (u8 k : keys) Key(k, false);
    }
    EXPECT_EQ(std::tuple(gDevChord1, gDevChord2, gFastMode), std::tuple(1, 1, 1));
    // Fast mode walks a cell in one frame.
    h.RunFrames(20);
    u16 x0 = s.P().x;
    Hold(kRight, 1);
    EXPECT_EQ(s.P().x, x0 + 16);
}

TEST_F(Control, EncountersNeedFlag12AndFlag323CancelsThem) {
    // The meadow has wild monsters, the town none.
    LoadCity(kMeadow, kMeadowArriveX, kMeadowArriveY, 1, 0, 3, 0);
    h.RunFrames(1);
    const std::array<bool, 3> kCases[] = {
        {true, true, false}, {false, false, false}, {true, false, true}};
    for (auto [f12, f323, battle] : kCases) {
        PutGameFlag(12, f12);
        PutGameFlag(323, f323);
        gStepCount = 40;
        Hold(kRight, battle ? 1 : 4);
        EXPECT_EQ(std::tuple(gBattleRequest != 0, gBattleActive != 0), std::tuple(battle, battle))
            << f12 << f323;
    }
}

TEST_F(Control, WalkingIntoAnEventCell) {
    // The spot's second flag (1) is set: the step stops, the spot's talk starts.
    // Facing right (3) the talk point lies at (x + 64, y).
    PutPlayer(kEventX - 1, kEventY, 3);
    Press(kRight);
    EXPECT_EQ(std::tuple(gPlayerStepX + gScrollStepX, gTalkContext.talk, gTalkContext.owner,
                         gTalkContext.x, gTalkContext.y),
              std::tuple(0, kSampleSpotTalk, kTalkSpot, s.P().x + 64, s.P().y));
    // With the flag clear the player steps onto the spot and its talk starts too.
    EndTalk();
    ClearGameFlag(1);
    for (int f = 0; f < 5; ++f) ControlFrame();
    Press(kRight);
    EXPECT_EQ(std::tuple(gPlayerStepX + gScrollStepX, gTalkContext.talk),
              std::tuple(1, kSampleSpotTalk));
}

// A room grid inside a larger buffer whose outer cells carry a poisoned event:
// a probe that read outside the grid would find that event.
struct GuardedRoom {
    static constexpr u32 kW = 20, kH = 15, kPad = 3 * kW;
    std::vector<u32> buf = std::vector<u32>(kW * kH + 2 * kPad, 0x40000000u | 0xEE);
    GuardedRoom() {
        gMap =
            MapRecord{.width = kW, .height = kH, .cells = buf.data() + kPad, .cellCount = kW * kH};
        std::fill_n(gMap.cells, kW * kH, 0u);
    }
    ~GuardedRoom() { gMap.cells = nullptr; }
};

TEST(ControlEdges, PressingTowardEveryEdgeReadsNoCellOutsideTheGrid) {
    Harness h;
    GuardedRoom room;
    gMapEvents.push_back({.number = 0xEE, .script = 777});  // the poisoned event
    gPlayerSlot = gPlayerId = 1;
    RoleSlot& p = PutRole(1, 1, 0, 0);
    // A person in a corner, so the role search has something to find.
    PutRole(2, 9, 0, 0).talk = 3;
    std::tie(gViewX, gViewY, gViewRight, gViewBottom) = std::tuple(0, 0, 320, 240);
    SetWalkStep(16);
    const int xs[] = {0, 1, 10, 18, 19}, ys[] = {0, 1, 7, 13, 14};
    for (bool walls : {false, true}) {
        PutGameFlag(20, walls ? 1 : 0);
        for (int cx : xs)
            for (int cy : ys)
                for (int d = 0; d < 9; ++d) {
                    ClearRoleFootprint(&p);
                    std::tie(p.x, p.y) = std::tuple(cx * 16, cy * 16);
                    p.cell = &gMap.cells[cy * room.kW + cx];
                    p.act->dir = d % 8;
                    MarkRoleFootprint(&p);
                    ClearKeyStates();
                    ResetTalkContext(&gTalkContext);
                    int e = d == 8 ? keyEntry::kConfirm : (int[]){3, 4, 5, 6, 3, 5, 3, 5}[d];
                    gKeyStates[e] = {1, 0, 1, 1};
                    if (d >= 4 && d < 8) gKeyStates[d < 6 ? 4 : 6] = {1, 0, 1, 1};
                    for (int f = 0; f < 3; ++f) {
                        KeyCole();
                        UpdateMapScene();
                    }
                    // No event talk, still inside on a whole cell, the guard untouched.
                    EXPECT_EQ(std::tuple(gTalkContext.talk == 777, p.x / 16 < room.kW,
                                         p.y / 16 < room.kH, p.x % 16 + p.y % 16,
                                         gPlayerStepX + gScrollStepX + gPlayerStepY + gScrollStepY,
                                         std::count(room.buf.begin(), room.buf.end(), 0x400000EEu)),
                              std::tuple(false, true, true, 0, 0, std::ptrdiff_t{2 * room.kPad}))
                        << cx << "," << cy << " d" << d;
                }
    }
    gMapEvents.clear();
}

// The swimming scene driven through the frame tick with the virtual clock and
// held keys: strokes, braking, steering, limits, obstacles and the two ways
// the scene ends.

class SwimTest : public SampleFixture {
protected:
    void SetUp() override {
        SampleFixture::SetUp();
        gFrameId = kMapMode;
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
    const std::array<i32, 6> kCases[] = {
        {0, 40, keyEntry::kDown, 0, 2, 39}, {2, 39, keyEntry::kDown, 5, 4, 38},
        {0, 0, keyEntry::kDown, 0, 0, 0},   {14, 40, keyEntry::kUp, 0, 10, -1},
        {10, 40, keyEntry::kUp, 2, 2, -1},  {14, 40, keyEntry::kUp, 3, 0, -1},
        {12, 5, keyEntry::kUp, 0, 12, -1},  {12, 5, keyEntry::kUp, 3, 0, -1},
    };
    for (auto [speed, stamina, entry, held, wantSpeed, wantStamina] : kCases) {
        SCOPED_TRACE(testing::Message()
                     << speed << "," << stamina << " key " << entry << " held " << held);
        std::tie(gSwim->forwardSpeed, gSwim->stamina) = std::tuple(speed, stamina);
        held ? Hold(entry, held) : Tap(entry);
        EXPECT_EQ(std::tuple(gSwim->forwardSpeed, wantStamina < 0 ? -1 : gSwim->stamina),
                  std::tuple(wantSpeed, wantStamina));
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
    // Acts that do not exist draw nothing, quietly.
    EXPECT_EQ(std::tuple(spawned >= 5, h.boxes().size()), std::tuple(true, 0u)) << spawned;
    // A slot past the view top + 560 is freed.
    SwimObstacle& o = gSwim->obstacles[0];
    if (o.x == kSwimFreeSlot) o = SwimObstacle{100, 0, 0, 0, nullptr};
    o.y = SwimViewTop() + 560;
    o.vy = 1;
    h.RunFrames(1);
    EXPECT_EQ(gSwim->obstacles[0].x, kSwimFreeSlot);
}

}  // namespace
