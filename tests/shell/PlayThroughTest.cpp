// The whole sample adventure played through the real tick with keys, as a
// player plays it: the title's new game, the opening, out to the lighthouse,
// the keeper's errand, rowed to the pier, the pirates there beaten on auto
// battle, out to the lighthouse again, the keeper's thanks, the ending, and
// the title once more.
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "battle/Battle.h"
#include "data/GameFlags.h"
#include "data/KeyBindings.h"
#include "map/MapManage.h"
#include "mhdata/Maps.h"
#include "support/SampleSession.h"
#include "ui/EndingFrame.h"
#include "ui/Screens.h"

using namespace sampleMap;

namespace {

struct PlayThrough : ::testing::Test {
    Harness h;
    SampleSession s{h};

    void ExpectMap(u32 map, int cx, int cy) {
        EXPECT_EQ(gFrameId, 0u);
        EXPECT_EQ(gMapId, map);
        EXPECT_EQ(s.P().x, cx * 16);
        EXPECT_EQ(s.P().y, cy * 16);
    }
    // Reads the boxes of a talk until it has ended, or until pred holds.
    bool ConfirmUntil(const std::function<bool()>& pred, int taps = 60) {
        for (int i = 0; i < taps && !pred(); ++i) {
            s.Tap(s.Confirm());
            h.RunFrames(3);
        }
        return pred();
    }
    // From the world map: the keys pick the lighthouse, the player walks to it
    // and confirm clicks its mark; its talk leads onto the lighthouse's map.
    void WorldMapToTheLighthouse() {
        ASSERT_TRUE(h.RunUntil([] { return gMapId == kWorld && gFrameId == 0; }, 100));
        h.RunFrames(4);
        // The town and the lighthouse are the open places: one key press reaches it.
        s.Tap(kArrowDown);
        ASSERT_LT(gWorldMapIndex, static_cast<u32>(kWorldMapLocations));
        ASSERT_EQ(gWorldMap[gWorldMapIndex].id, kWorldLighthouseLocation);
        const WorldMapLocation& l = gWorldMap[gWorldMapIndex];
        ASSERT_TRUE(
            h.RunUntil([&] { return s.P().x == l.cellX * 16 && s.P().y == l.cellY * 16; }, 600));
        h.RunFrames(4);
        s.Tap(s.Confirm());
        ASSERT_TRUE(h.RunUntil([] { return gMapId == kFar && SampleSession::TalkFree(); }, 100));
        h.RunFrames(4);
        ExpectMap(kFar, kFarArriveX, kFarArriveY);
    }
    // The player arrives facing the keeper: confirm talks to him without a step
    // (the lighthouse's first steps meet a fight for sure).
    void TalkToTheKeeper() {
        s.Tap(s.Confirm());
        ASSERT_EQ(gTalkContext.talk, kSampleKeeperTalk);
        EXPECT_EQ(gTalkContext.owner, kKeeperRole);
        EXPECT_EQ(gBattleActive, 0u);
    }
};

TEST_F(PlayThrough, TitleToEnding) {
    s.NewGameFromTheTitle();
    // Played as it comes: the route's walks are short enough to meet no encounter.
    ClearGameFlag(SampleSession::kFlagNoEncounters);
    ASSERT_TRUE(h.RunUntil([] { return !gDialogs.empty(); }, 20));
    EXPECT_EQ(gTalkContext.talk, kSampleOpeningTalk);
    ASSERT_TRUE(s.ConfirmUntilTalkEnds());
    ExpectMap(kTown, 10, 10);

    // Out by the signpost, the world map, the lighthouse.
    PlatformSetKey(kArrowLeft, true);
    bool out = h.RunUntil([] { return gMapId == kWorld; }, 400);
    PlatformSetKey(kArrowLeft, false);
    ASSERT_TRUE(out);
    ASSERT_NO_FATAL_FAILURE(WorldMapToTheLighthouse());

    // The keeper sends the player to the pirates and rows him to the pier.
    ASSERT_NO_FATAL_FAILURE(TalkToTheKeeper());
    ASSERT_TRUE(ConfirmUntil([] { return gMapId == kTown && SampleSession::TalkFree(); }));
    h.RunFrames(4);
    const StreetSpot* pier = nullptr;
    for (const StreetSpot& spot : kStreetSpots)
        if (spot.talk == kSampleBattleTalk) pier = &spot;
    ASSERT_NE(pier, nullptr);
    ExpectMap(kTown, pier->x, kStreetSpotY + 1);
    EXPECT_FALSE(GetGameFlag(kSamplePiratesFlag));

    // The pier: the pirates' fight, won on auto battle.
    s.Tap(kArrowUp);
    ASSERT_EQ(gTalkContext.talk, kSampleBattleTalk);
    ASSERT_TRUE(ConfirmUntil([] { return gBattleActive != 0; }));
    EXPECT_FALSE(GetGameFlag(kSamplePiratesFlag));
    ASSERT_TRUE(h.RunUntil([] { return gBattle.phase() == kPhaseMain; }, 60));
    s.Tap(static_cast<u8>(gKeyBindings[kKeyAutoAttack]));
    ASSERT_TRUE(h.RunUntil([] { return gBattleActive == 0; }, 3000));
    ASSERT_EQ(gFrameId, 0u) << "the pirates won";
    // Back on the pier the talk goes on: the flag, a box, and out of town.
    ASSERT_TRUE(h.RunUntil([] { return !gDialogs.empty(); }, 60));
    EXPECT_TRUE(GetGameFlag(kSamplePiratesFlag));
    ASSERT_TRUE(ConfirmUntil([] { return gMapId == kWorld; }));
    ASSERT_NO_FATAL_FAILURE(WorldMapToTheLighthouse());

    // The keeper's thanks, then the ending's stages in order, each once.
    ASSERT_NO_FATAL_FAILURE(TalkToTheKeeper());
    ASSERT_TRUE(ConfirmUntil([] { return gFrameId == (kScreenBit | 5); }));
    std::vector<i32> stages;
    for (int f = 0; f < 1000 && gFrameId == (kScreenBit | 5); ++f) {
        if (gFramePhase == 1 && (stages.empty() || stages.back() != gEndingFrame.state))
            stages.push_back(gEndingFrame.state);
        h.RunFrames(1);
    }
    EXPECT_EQ(stages, (std::vector<i32>{1, 21, 41, 61, 0}));
    // Then the title, the game ended.
    ASSERT_TRUE(h.RunUntil([] { return gFrameId == (kScreenBit | 0) && gFramePhase == 1; }, 30));
    EXPECT_EQ(gMapId, 0u);
}

}  // namespace
