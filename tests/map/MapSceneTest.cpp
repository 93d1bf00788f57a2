// The map scene on the sample town: frames per cell, the keep bit, the
// player's arrival, followers, quake, tile animation, and the battle hand-back.
#include "MapTestSupport.h"
#include "mhdata/SampleMapArt.h"

namespace {

class SceneTest : public TownFixture {
protected:
    // One frame as the tick runs it, with the behaviour step of op 8 for roles on a cell.
    void Frame() {
        for (int i = 1; i < gMapRoleCount; ++i) {
            RoleSlot& s = gMapRoles[i];
            RoleRoute* r = FindRoleRoute(i, kRouteBehaviour);
            if (((s.x | s.y) & 15) == 0 && r && RouteDirAt(r, r->pos & 0x7FFF) != kRouteEnd)
                StepRoleRoute(i);
        }
        UpdateRoles();
        UpdateMapScene();
    }
};

// The town's still object (a braced crate with a darker rim) comes from the map's own
// picture table and is drawn where it was placed; a table entry without a
// picture, and one past the table, give none.
TEST_F(SceneTest, StillObjectsComeFromTheMapsOwnPicturesAndAreDrawn) {
    int slot = -1;
    for (int i = 1; i < gMapRoleCount && slot < 0; ++i)
        if (gMapRoles[i].stillPic) slot = i;
    ASSERT_GT(slot, 0);
    RoleSlot& s = gMapRoles[slot];
    const PicFrame* f = GetPic(kMapPicNumber, s.objectNo);
    ASSERT_NE(f, nullptr) << PicLastError();
    // The animated object (2) has no picture.
    EXPECT_EQ(std::tuple(f->width, f->height, GetPic(kMapPicNumber, 2), GetPic(kMapPicNumber, 99)),
              std::tuple(32, 32, nullptr, nullptr));
    std::fill(gPaintBuf, gPaintBuf + 640 * 480, 0x0841);
    SetClip(0, 0, 640, 480);
    DrawRole(&s);
    i32 sx = s.x - gViewX, sy = s.y - gViewY;
    ASSERT_TRUE(sx >= 0 && sy >= 0 && sx + 32 <= 640 && sy + 32 <= 480);
    auto at = [&](i32 x, i32 y) { return gPaintBuf[static_cast<size_t>(sy + y) * 640 + sx + x]; };
    // The crate's boards, its rim, the brace from corner to corner, nothing beside it.
    const u16 wood = ConvertPixel(sampleMapArt::kCrateWood),
              rim = ConvertPixel(sampleMapArt::kCrateRim);
    EXPECT_EQ(std::tuple(at(12, 15), at(0, 0), at(31, 31), at(16, 16), at(32, 10)),
              std::tuple(wood, rim, rim, rim, 0x0841));
}

TEST_F(SceneTest, RolesMoveTwoStepsPerCellOnTheirAnimationFrames) {
    int n = FindRoleById(100);
    RoleSlot& s = gMapRoles[n];
    s.scriptId = 0;  // the sample's wanderer: only this walk moves it here
    s.act->action = sample_art::kActionWalk;
    ASSERT_EQ(StartRoleRoute(n, 16, 30), 1);
    RoleRoute* r = FindRoleRoute(n);
    int moves = 0, frames = 0;
    for (; frames < 120 && s.x != 16 * 16; ++frames) {
        u16 before = s.x;
        bool due = s.act->delayCount == 0;
        bool waiting = (r->pos & kRoutePaused) && ((s.x & 15) == 0);
        Frame();
        if (s.x != before) {
            ++moves;
            // Step 4 doubled: 8 pixels, only on the frames the animation moves on.
            EXPECT_EQ(std::tuple(s.x - before, due), std::tuple(8, true)) << frames;
        } else {
            EXPECT_TRUE(!due || waiting) << frames;
        }
    }
    // Facing right, the route freed at the target, the start cell unmarked.
    EXPECT_EQ(std::tuple(moves, s.act->dir, s.state & (1u << 25), FindRoleRoute(n),
                         gMap.cells[static_cast<size_t>(30) * gMap.width + 12] & kCellRole),
              std::tuple(8, 3, 1u << 25, nullptr, 0u));
}

TEST_F(SceneTest, PlayerArrivalClearsKeysAndCentresTheView) {
    RoleSlot& p = gMapRoles[gPlayerSlot];
    gViewX = gViewY = 0;
    ASSERT_EQ(StartRoleRoute(gPlayerSlot, 28, 25), 1);
    int limit = 400;
    while (limit-- > 0 && !(p.x == 28 * 16 && p.y == 25 * 16)) {
        gKeyStates[4].down = 1;
        gKeyStates[3].held = 7;
        Frame();
    }
    ASSERT_GT(limit, 0);
    // The town is 64 x 48 cells: the view sits at (448 - 304, 400 - 240).
    EXPECT_EQ(
        std::tuple(gKeyStates[4].down, gKeyStates[3].held, gViewX, gViewY, *p.cell & kCellPlayer),
        std::tuple(0u, 0u, 144, 160, kCellPlayer));
}

TEST_F(SceneTest, PartyOfEightFollowsAlongTheTrail) {
    // Seven followers placed behind the player.
    for (int k = 1; k < 8; ++k) {
        int n = gMapRoleCount;
        RoleSlot& s = PutRole(n, static_cast<u16>(200 + k), (10 - (k % 3)) * 16, (11 + k / 3) * 16,
                              kRoleShown | kRoleFollows);
        s.act->act = 1 + k % 3;
        InsertMapObject(&s, 0);
        newRoleInit(&s);
        AddFollower(n);
    }
    ASSERT_EQ(gFollowers.count, 8u);
    RoleSlot& p = gMapRoles[gPlayerSlot];
    gWalkStep = 4;
    for (int f = 0; f < 60; ++f) {
        if (((p.x | p.y) & 15) == 0 && p.x < 22 * 16) gPlayerStepX = 1;
        Frame();
    }
    for (int f = 0; f < 200; ++f) Frame();
    ASSERT_EQ(p.x, 22 * 16);
    for (u32 k = 1; k < 8; ++k) {
        const RoleSlot& s = gMapRoles[gFollowers.slot[k]];
        EXPECT_EQ(std::tuple(s.x, s.y, (s.x | s.y) & 15),
                  std::tuple(gFollowers.trailX[2 * k], gFollowers.trailY[2 * k], 0))
            << k;
    }
    // The trail holds the player's cells, newest first, two per follower and
    // more; older entries keep the start.
    EXPECT_EQ(std::tuple(gFollowers.trailX[0], gFollowers.trailX[11], gFollowers.trailX[14]),
              std::tuple(22 * 16, 22 * 16 - 11 * 16, 10 * 16));
}

TEST_F(SceneTest, QuakeCyclesThroughItsTableAndRestoresTheOriginShakesEndAndTilesRunBackAndForth) {
    i16 pairs[] = {3, 0, -3, 2};
    std::memcpy(gQuakeTable, pairs, sizeof(pairs));
    gQuakePeriod = gQuakeCountdown = 2;  // as the story command starts it
    std::vector<int> seenX;
    for (int k = 0; k < 6; ++k) {
        std::tie(gViewX, gViewY) = std::tuple(100, 50);
        ApplyQuake();
        seenX.push_back(gViewX - 100);
        EXPECT_EQ(static_cast<i32>(gQuakeBaseX), 100);
    }
    EXPECT_EQ(seenX, (std::vector<int>{3, 3, -3, -3, 3, 3}));
    gViewX = 100;
    Frame();
    EXPECT_EQ(std::tuple(gViewX, gViewRight),
              std::tuple(static_cast<i32>(gQuakeBaseX), gViewX + 640));
    std::memset(gQuakeTable, 0xCF, sizeof(gQuakeTable));
    i32 x = gViewX;
    ApplyQuake();
    EXPECT_EQ(gViewX, x);
    // A shake moves the view until its distance is used.
    std::tie(gViewX, gShakeLeftX, gShakeStepX) = std::tuple(40, 10, 4);
    // The step moves the view whole; the used-up distance ends the step.
    for (auto want : {std::tuple(44, 6, 4), std::tuple(48, 2, 4), std::tuple(52, 0, 0)}) {
        ApplyScreenShake();
        EXPECT_EQ(std::tuple(gViewX, gShakeLeftX, gShakeStepX), want);
    }
    // Tile animation runs back and forth.
    std::tie(gMap.layers, gMapCycle) = std::tuple(3, 2);
    ResetTileAnimation();
    std::vector<int> frames;
    for (int k = 0; k < 12; ++k) {
        StepTileAnimation();
        frames.push_back(gTileAnim.frame);
    }
    EXPECT_EQ(std::tuple(frames, gTileAnim.offset),
              std::tuple(std::vector<int>{0, 1, 1, 2, 2, 1, 1, 0, 0, 1, 1, 2},
                         gMap.width * gMap.height * 2));
    gMap.layers = 1;
    ResetTileAnimation();
    for (int k = 0; k < 10; ++k) StepTileAnimation();
    EXPECT_EQ(std::tuple(gTileAnim.frame, gTileAnim.offset), std::tuple(0, 0u));
}

TEST_F(SceneTest, TalkBalloonCountsAnItemNameAndWorldMapSelectionSkipsClosedLocations) {
    std::string error;
    ASSERT_TRUE(WriteDatabases(h.root(), MakeSampleDatabases(), &error)) << error;
    LoadGameDatabase(h.root().c_str());
    const ItemData* item = GetItemRecord(1);
    ASSERT_NE(item, nullptr);
    i32 name = static_cast<i32>(strnlen(item->name, 31));
    // Other escape pairs count nothing: "abcd" is 4 long. 38 characters and
    // the name pass 40: two lines.
    EXPECT_EQ(std::tuple(DrawTalkBalloon("ab%C1cd"), DrawTalkBalloon("ab%T1."),
                         DrawTalkBalloon((std::string(38, 'a') + "%T1.").c_str()),
                         DrawTalkBalloon(std::string(38, 'a').c_str())),
              std::tuple(315 - 11 * (4 / 2), 315 - 11 * ((2 + name) / 2), 95, 315 - 11 * 19));
    InitWorldMap();
    // The sample opens three locations; with all closed nothing is open.
    for (u16 id : {2701, 2712, 2715}) SetRecordWord(FindRecord(id), 11, 0);
    SelectWorldMapLocation(1);  // nothing open: one round, nothing chosen
    EXPECT_EQ(std::tuple(gWorldMapIndex, WorldMapLocationOpen(3)),
              std::tuple(kWorldMapUnchosen, false));
}

// ---- battle hand-back ----

class BattleHandBack : public SceneTest {
protected:
    // Member 0 downed, member 1 standing, the map's music playing: into battle.
    void Enter() {
        ClearGameFlag(322);
        std::tie(gParty[0], gParty[1], gParty[2]) = std::tuple(0, 1, -1);
        std::tie(gRoles[0].status, gRoles[0].hp, gRoles[1].status, gRoles[1].hp) =
            std::tuple(kStatusDying, 0, 0, 30);
        gMusic.SetMode(1, 1, 0);
        EnterBattle();
    }
};

// A box is as wide after a battle as before it: the unit is (main font size + 2) / 2
// whenever the fonts are made, at start-up and at the battle's end alike.
TEST_F(BattleHandBack,
       DialogueBoxesKeepTheirSizeAndOutcomeAndFlag322DecideRevivalAndTheNextScreen) {
    auto boxWidth = [] {
        DialogRecord r;
        EXPECT_EQ(SetupDialog(&r, DialogSpec{.text = "abcd%Q", .textLen = 4}, nullptr, 0), 1);
        return r.w;
    };
    const std::pair<int, i32> kSizes[] = {{16, 9}, {24, 13}};
    for (auto [size, unit] : kSizes) {
        Enter();
        gMainFontSetting.size = size;
        RecreateFonts();
        SetDialogTextSize();  // as start-up and the window's return make them
        EXPECT_EQ(boxWidth(), 4 * unit) << size;
        ReturnFromBattle(1);
        EXPECT_EQ(std::tuple(gDialogTextSize, boxWidth()), std::tuple(u32(unit), 4 * unit)) << size;
    }
    // Entering saves the map's music; the hand-back by outcome and flag 322: whether the downed
    // member revives at 1 HP, whether the flag stays, and where the frame goes:
    // a defeat without 322 goes to the end screen.
    const std::tuple<int, int, bool, bool, u32> cases[] = {{1, 1, true, false, 0u},
                                                           {1, 0, false, false, 0u},
                                                           {0, 1, true, true, 0u},
                                                           {0, 0, false, false, 0x80000006u}};
    for (auto [won, flag, revived, flagAfter, frame] : cases) {
        SCOPED_TRACE(testing::Message() << "won " << won << " flag " << flag);
        Enter();
        EXPECT_EQ(std::tuple(gBattleActive, gMapMusicSaved, gMusic.GetPendingMode()),
                  std::tuple(1u, 1u, 4));
        if (flag) SetGameFlag(322);
        gBattleRequest = 9;
        ReturnFromBattle(won);
        // A won battle brings the map's music back.
        EXPECT_EQ(
            std::tuple(GetGameFlag(322) != 0, gRoles[0].hp, gRoles[0].status, gRoles[1].hp,
                       gBattleRequest, gFrameId, won ? gMusic.GetPendingMode() : 1),
            std::tuple(flagAfter, revived ? 1 : 0, revived ? 0 : kStatusDying, 30, 0u, frame, 1));
    }
}

// The sample's world map played through the real tick: out by the town's
// signpost, the load screen of map 2, the choice of open locations with the
// arrow keys, a click on the chosen mark, and the music on the way.

using namespace sampleMap;

struct WorldMap : ::testing::Test {
    Harness h;
    SampleSession s{h};
};

TEST_F(WorldMap, TheSignpostLeadsOutAndTheKeysChooseOnlyOpenLocations) {
    // A new game with its opening words read.
    ASSERT_NO_FATAL_FAILURE(s.PastTheOpening());
    i32 walkMode = gWalkMode;
    // Walks left along the street into the signpost: its talk leads to map 2.
    // Left still held there past its repeat time chooses nothing.
    PlatformSetKey(kArrowLeft, true);
    const bool out = h.RunUntil([] { return gMapId == kWorld; }, 400);
    h.RunFrames(20);
    PlatformSetKey(kArrowLeft, false);
    ASSERT_TRUE(out);
    h.RunFrames(4);
    // Map 2 forces walking. The world map's music: record 3 of the names,
    // "field.wav", on list 1.
    EXPECT_EQ(std::tuple(s.P().x, s.P().y, GetGameFlag(70), gWalkMode, s.P().state & kRoleOnMap2,
                         RecordWord(FindRecord(kSamplePlayerRole), 10) & kRoleOnMap2,
                         gWorldMapIndex, Ends(gMusic.GetList(1).slots[0].name, "field.wav")),
              std::tuple(kWorldStartX * 16, kWorldStartY * 16, 1, 1, kRoleOnMap2, kRoleOnMap2,
                         kWorldMapUnchosen, true));

    // Confirm held down is the left button held down: one first press whose
    // held count climbs each frame, and no place is chosen by it.
    std::vector<std::pair<u32, u32>> held;
    PlatformSetKey(s.Confirm(), true);
    for (int i = 0; i < 5; ++i) {
        h.RunFrames(1);
        const KeyState& left = gKeyStates[keyEntry::kMouseLeft];
        held.emplace_back(left.down, left.held);
    }
    PlatformSetKey(s.Confirm(), false);
    h.RunFrames(4);
    EXPECT_EQ(held, (std::vector<std::pair<u32, u32>>{{1, 1}, {1, 2}, {1, 3}, {1, 4}, {1, 5}}));
    ASSERT_EQ(std::tuple(gMapId, gWorldMapIndex), std::tuple(kWorld, kWorldMapUnchosen));

    // Down from no choice: the first open location in table order, the
    // lighthouse; down again passes the closed ones (the fishing village at
    // index 1, ...) to the meadow at 4, then the town at 8; up goes back the
    // same way and left, pressed anew, wraps below 0 to 14, then down to the town.
    const std::tuple<u8, u32, i32, i32> steps[] = {
        {kArrowDown, 0, 314, 86}, {kArrowDown, 4, 258, 198}, {kArrowDown, 8, 362, 264},
        {kArrowUp, 4, 258, 198},  {kArrowUp, 0, 314, 86},    {kArrowLeft, 8, 362, 264}};
    for (auto [key, index, mouseX, mouseY] : steps) {
        s.Tap(key);
        ASSERT_EQ(gWorldMapIndex, index);
        EXPECT_EQ(std::tuple(gMouseX, gMouseY), std::tuple(mouseX, mouseY));
        h.RunFrames(3);
    }

    // The player walks to the town's target cell; a click on its mark goes home.
    ASSERT_TRUE(h.RunUntil([&] { return s.P().x == 43 * 16 && s.P().y == 35 * 16; }, 600))
        << s.P().x << "," << s.P().y << " state " << std::hex << s.P().state;
    s.PointAt(362, 264);
    s.Click();
    ASSERT_TRUE(h.RunUntil([] { return gMapId == kTown; }, 60));
    // Flag 70 is set when leaving map 2 too.
    EXPECT_EQ(std::tuple(s.P().x, s.P().y, gWalkMode, GetGameFlag(70), h.boxes().size()),
              std::tuple(7 * 16, 10 * 16, walkMode, 1, 0u));
}

TEST_F(WorldMap, TheLoadScreenShowsItsPictureAndBarAndAMapEnteredUnderAScreenPlaysTheStoredMusic) {
    s.NewGameFromTheTitle();
    SetGameFlag(70);
    ShowLoadProgress(-1);
    auto colour = [](u32 act, u32 action) { return ConvertPixel(InterfaceColor(act, action)); };
    // 45 %: picture 4, the bar 5 tenths (270 pixels) over its empty frame.
    // The rest is cleared.
    ShowLoadProgress(45);
    const std::tuple<i32, i32, u16> kAt[] = {
        {100, 50, colour(9041, 4)},  {539, 349, colour(9041, 4)}, {50, 400, colour(9042, 5)},
        {319, 423, colour(9042, 5)}, {320, 400, colour(9042, 0)}, {589, 423, colour(9042, 0)},
        {20, 20, ConvertPixel(0)},   {100, 351, ConvertPixel(0)}};
    for (auto [x, y, want] : kAt) EXPECT_EQ(CanvasAt(x, y), want) << x << "," << y;
    // 100 % shows as the ninth tenth: picture 9 and a full bar.
    ShowLoadProgress(100);
    EXPECT_EQ(std::tuple(CanvasAt(300, 200), CanvasAt(589, 410)),
              std::tuple(colour(9041, 9), colour(9042, 10)));
    // Off map 2's way (flag 70 clear) nothing is drawn.
    ClearGameFlag(70);
    ShowLoadProgress(20);
    EXPECT_EQ(CanvasAt(300, 200), colour(9041, 9));
    gMusic.ClearList(1);
    gMusic.ClearList(2);
    // A loaded game: the map's pair and an override, names 2 and 5.
    // Override 2 is no music number: ignored.
    gMapMusic = MapMusicState{.mode = 1, .music1 = 2, .override1 = 5, .override2 = 1024};
    gFrameId = kScreenBit | 21;
    LoadCity(kRoom, 5, 6, 1, 0, 1, 0);
    // The override's list is the one to play.
    EXPECT_EQ(std::tuple(Ends(gMusic.GetList(1).slots[0].name, "theme.xmi"),
                         Ends(gMusic.GetList(2).slots[0].name, "battle.mp3"),
                         gMusic.GetList(1).slots[1].name, gMusic.GetList(2).slots[1].name,
                         gMusic.GetPendingMode(), gCdMusic),
              std::tuple(true, true, nullptr, nullptr, 2, 0u));
    // A disc track among them plays from the disc instead.
    gMapMusic.override1 = 4;  // "CD07"
    LoadCity(kRoom, 5, 6, 1, 0, 1, 0);
    EXPECT_EQ(std::tuple(gCdMusic, h.boxes().size()), std::tuple(1u, 0u));
}

// The sample town's music as a player hears it: it starts with the map, and a
// MIDI piece sounds as loud as a recorded one at the same volume setting.

// The loudest sample of ms milliseconds pulled from the mixer.
int PeakOf(u32 ms) {
    std::vector<i16> out(static_cast<size_t>(ms) * kMixRate / 1000 * 2);
    AudioMixer().Mix(out.data(), static_cast<int>(out.size() / 2));
    int peak = 0;
    for (i16 v : out) peak = std::max(peak, std::abs(static_cast<int>(v)));
    return peak;
}

TEST_F(WorldMap, TheTownsPieceStartsWithTheMapAndMatchesARecordedPiece) {
    if (!std::filesystem::exists(kDefaultSoundFont)) GTEST_SKIP() << "no sound font";
    s.NewGameFromTheTitle();
    // Within a few frames of the new game the town's piece is the one playing.
    ASSERT_TRUE(h.RunUntil([] { return gMusic.CurrentKind() == cMusic::kMidi; }, 10));
    EXPECT_EQ(std::tuple(Ends(gMusic.GetList(1).slots[0].name, "theme.xmi"), gMusic.GetVolume()),
              std::tuple(true, static_cast<int>(gMusicVolume) * 127 / 11));
    // The piece again from its start, alone in the mixer: whatever the title
    // left in the mixer (it is pulled only here) is drained first.
    gMidi.Stop();
    StopAllSfx();
    PeakOf(1000);
    MidiFinishFontLoads();  // the font read in the background is in before the piece starts
    gMusic.SetMode(1, 1, 0);
    h.RunFrames(2);
    ASSERT_EQ(gMidi.Playing().size(), 1u);
    int midi = PeakOf(2000);

    // The same setting with a recorded piece of the sample in its place.
    gMidi.Stop();
    PeakOf(500);
    gMusic.ClearList(1);
    std::string wave = std::string(gBasePath) + "music\\field.wav";
    gMusic.SetTrack(wave.c_str(), 3, 0, 1);
    gMusic.SetMode(1, 1, 0);
    h.RunFrames(2);
    ASSERT_EQ(gMusic.CurrentKind(), cMusic::kStream);
    int stream = PeakOf(800);
    ASSERT_GT(stream, 1000);
    // Within 3 dB of each other.
    EXPECT_TRUE(midi * 1.42 > stream && midi < stream * 1.42) << midi << " vs " << stream;
}

}  // namespace
