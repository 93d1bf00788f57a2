// Branches of the sample adventure off the play-through's route, played by the
// keys through the real tick: the pier's fight ended by capture alone,
// and the captain's raid lost and unpaid on every roll of the dice.
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "battle/Battle.h"
#include "battle/BattleController.h"
#include "battle/BattleMenu.h"
#include "battle/BattleSide.h"
#include "data/GameData.h"
#include "data/KeyBindings.h"
#include "engine/FrameState.h"
#include "engine/Random.h"
#include "map/MapManage.h"
#include "mhdata/Maps.h"
#include "mhdata/SampleFighters.h"
#include "story/PartyCommands.h"
#include "support/SampleSession.h"
#include "ui/UiInput.h"

using namespace sampleMap;

namespace {

struct StoryBranches : ::testing::Test {
    Harness h;
    SampleSession s{h};

    bool ConfirmUntil(const std::function<bool()>& pred, int taps = 80) {
        for (int i = 0; i < taps && !pred(); ++i) TapKey(h, s.Confirm(), 4);
        return pred();
    }
    bool OnTheMap(u32 map) {
        return h.RunUntil(
            [&] {
                return gMapId == map && gFrameId == kMapMode && s.TalkFree() && !gMouseLockFrames;
            },
            300);
    }
    std::vector<i32> Experience() {
        std::vector<i32> e;
        for (i32 m : gParty) e.push_back(m < 0 ? -1 : gRoleStats[m].exp);
        return e;
    }
    // Plays the rings of the fight that comes up: each member's row from
    // rowFor, the first enemy marked when the row asks for one; then the end
    // screens closed. The fight's outcome.
    u32 PlayRings(const std::function<int(i32 role)>& rowFor) {
        cCommandMenu& menu = gBattleController.menu;
        auto ringWaits = [&] { return menu.Current() && menu.ringX == kRingInX && !menu.Chosen(); };
        h.RunUntil([] { return gBattle.phase() == kPhaseMain; }, 100);
        for (int rings = 0;
             rings < 400 &&
             h.RunUntil([&] { return ringWaits() || gBattle.phase() != kPhaseMain; }, 6000) &&
             gBattle.phase() == kPhaseMain;
             ++rings) {
            const int r = rowFor(CommandRole(*menu.Current()));
            for (int i = 0; i < kRingRows && menu.row != r; ++i) s.Tap(kScanDown);
            // The mark confirmed once nobody else is acting.
            for (int i = 0; i < 200 && (i == 0 || menu.Chosen()); ++i) TapKey(h, kScanEnter, 3);
        }
        const u32 outcome = gBattle.outcome();
        for (int i = 0; i < 300 && gBattleActive; ++i) TapKey(h, s.Confirm(), 3);
        return outcome;
    }
};

int RowOf(i32 role, i32 code) {
    for (int r = 0; r < kRingRows; ++r)
        if (gCommandRows[role][r].code == code) return r;
    return -1;
}

// The pirates' fight once the captain's raid is over (its flag set as the raid
// leaves it). Role 0 captures with 捕捉 while everybody else waits: both
// pirates taken, no gold (a captured enemy gives experience alone) and yet
// beaten, the pier free and the pirates in the monster list. (A fight the
// party does not win leaves the pirates on the pier and the bounty unpaid:
// the play-through's flight from them; the bounty paid once they are gone:
// the play-through's last legs.)
TEST_F(StoryBranches, PierFightEndsByCaptureAlone) {
    ASSERT_NO_FATAL_FAILURE(s.PastTheOpening());
    InitRandom(2);
    SetGameFlag(kSampleRaidFlag);
    const StreetSpot& pier = kStreetSpots[0];
    ASSERT_NO_FATAL_FAILURE(s.WalkToCell(kArrowRight, pier.x, 10));
    ASSERT_NO_FATAL_FAILURE(s.WalkToCell(kArrowUp, pier.x, kStreetSpotY + 1));
    // Ten tries take any pirate (each failure raises the chance by a tenth):
    // MP enough for twenty.
    gRoleStats[0].maxMp = gRoleStats[0].mp = 200;
    const i64 money = gScriptVars[0];
    std::vector<i32> taken(gOwnedMonsters, gOwnedMonsters + gMonsterCount);
    s.Tap(kArrowUp);
    ASSERT_EQ(gTalkContext.talk, kSampleBattleTalk);
    ASSERT_TRUE(ConfirmUntil([] { return gBattleActive != 0; }));
    const int capture = RowOf(0, kRingCapture);
    ASSERT_GE(capture, 0) << "role 0's ring captures";
    EXPECT_EQ(PlayRings([&](i32 role) { return role == 0 ? capture : RowOf(role, kRingWait); }),
              kOutcomeVictory);
    ++taken[sample::kPirate], ++taken[sample::kPirateMate];
    EXPECT_EQ(std::vector<i32>(gOwnedMonsters, gOwnedMonsters + gMonsterCount), taken);
    EXPECT_EQ(static_cast<i64>(gScriptVars[0]), money) << "no gold";
    // The talk to its end: the ship's video (Esc stops it) and the way out to
    // the world map; the game goes on.
    for (int i = 0; i < 100 && !(s.TalkFree() && gFrameId == kMapMode); ++i) {
        if (gRunState & kRunVideo) h.PostKeyUp(VK_ESCAPE);
        TapKey(h, s.Confirm(), 4);
    }
    EXPECT_EQ(gMapId, kWorld);
    EXPECT_EQ(std::pair(GetGameFlag(kSamplePiratesFlag), GetGameFlag(kSurviveLossFlag)),
              std::pair(1, 0));
}

// The captain's raid, reached straight from the town, on twenty seeds: quick
// saved in front of the keeper, then for each seed loaded, the question
// answered yes and the fight played by auto battle or by every member
// attacking the captain. Every raid is lost: no victory, no gold, no
// experience, and the story goes on past it.
struct Raid : StoryBranches, ::testing::WithParamInterface<bool> {};

TEST_P(Raid, LostAndUnpaidOnEverySeed) {
    const bool autoBattle = GetParam();
    ASSERT_NO_FATAL_FAILURE(s.PastTheOpening());
    PlatformSetKey(kArrowLeft, true);
    ASSERT_TRUE(h.RunUntil([] { return gMapId == kWorld; }, 600)) << "out by the signpost";
    PlatformSetKey(kArrowLeft, false);
    ASSERT_TRUE(OnTheMap(kWorld));
    for (int i = 0; i < 6 && !(gWorldMapIndex < kWorldMapLocations &&
                               gWorldMap[gWorldMapIndex].id == kWorldLighthouseLocation);
         ++i)
        TapKey(h, kArrowDown, 2);
    ASSERT_LT(gWorldMapIndex, static_cast<u32>(kWorldMapLocations));
    const WorldMapLocation& l = gWorldMap[gWorldMapIndex];
    ASSERT_TRUE(
        h.RunUntil([&] { return s.P().x == l.cellX * 16 && s.P().y == l.cellY * 16; }, 600));
    h.RunFrames(4);
    s.Tap(s.Confirm());
    ASSERT_TRUE(OnTheMap(kFar));
    TapKey(h, kScanF9, 3);
    ASSERT_TRUE(OnTheMap(kFar)) << "quick saved";
    const i64 money = gScriptVars[0];
    const std::vector<i32> experience = Experience();
    for (u32 seed = 1; seed <= 20; ++seed) {
        SCOPED_TRACE(seed);
        TapKey(h, kScanF10, 3);
        ASSERT_TRUE(h.RunUntil([] { return !GetGameFlag(kSampleRaidFlag); }, 100));
        ASSERT_TRUE(OnTheMap(kFar)) << "quick loaded";
        h.RunFrames(4);
        s.Tap(s.Confirm());
        ASSERT_EQ(gTalkContext.talk, kSampleKeeperTalk);
        ASSERT_TRUE(ConfirmUntil([] { return gBattleActive != 0; })) << "yes: the raid";
        InitRandom(seed);
        ASSERT_TRUE(h.RunUntil([] { return gBattle.phase() == kPhaseMain; }, 100));
        if (autoBattle) s.Tap(static_cast<u8>(gKeyBindings[kKeyAutoAttack]));
        // Each ring attacks; none has the flight while the captain stands.
        EXPECT_EQ(PlayRings([](i32 role) {
                      EXPECT_FALSE(gCommandRows[role][RowOf(role, kRingFlee)].enabled) << role;
                      return RowOf(role, kRingAttack);
                  }),
                  kOutcomeDefeat);
        EXPECT_EQ(static_cast<i64>(gScriptVars[0]), money) << "the captain's gold";
        EXPECT_EQ(Experience(), experience);
        // The legend, and the keeper rows the party to the pier.
        ASSERT_TRUE(ConfirmUntil([&] { return GetGameFlag(kSampleRaidFlag) && s.TalkFree(); }));
        ASSERT_TRUE(OnTheMap(kTown)) << "the game goes on";
    }
}

INSTANTIATE_TEST_SUITE_P(ByAutoBattleAndByHand, Raid, ::testing::Bool());

}  // namespace
