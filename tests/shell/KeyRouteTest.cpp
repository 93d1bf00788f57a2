// The places of the sample adventure entered by the arrow keys and confirm
// alone, through the real tick, as a player holds and taps them: the long
// ways held down, the last step into each spot, the choices on the world map
// and the confirm that goes in each a short tap. In a window a tap can begin
// and end while a frame is busy (a map loading, a slow machine), between two
// reads of the keyboard: here every tap does, and every one must count.
#include <gtest/gtest.h>

#include <string>

#include "map/MapManage.h"
#include "mhdata/Maps.h"
#include "mhdata/SampleTalks.h"
#include "story/Dialog.h"
#include "story/Talk.h"
#include "support/SampleSession.h"

using namespace sampleMap;

namespace {

struct KeyRoute : ::testing::Test {
    Harness h;
    SampleSession s{h};

    // Down and up again before the next tick reads the keyboard.
    void QuickTap(u8 code, int after = 8) {
        PlatformSetKey(code, true);
        PlatformSetKey(code, false);
        h.RunFrames(after);
    }
    // On the map, free, at cell (cx, cy).
    void At(const std::string& what, u32 map, int cx, int cy) {
        ASSERT_TRUE(
            h.RunUntil([&] { return gMapId == map && gFrameId == kMapMode && s.TalkFree(); }, 300))
            << what << ": map " << gMapId << " talk " << gTalkContext.talk;
        h.RunFrames(4);
        ASSERT_EQ(std::tuple(s.P().x, s.P().y), std::tuple(cx * 16, cy * 16)) << what;
    }
    // A quick tap of key steps into a spot: its talk has started (the spot's
    // own number), or its map is up.
    void StepInto(u8 key, const std::string& what, u16 talk) {
        QuickTap(key, 0);
        h.RunFrames(1);
        EXPECT_EQ(std::tuple(gTalkContext.talk, gTalkContext.owner), std::tuple(talk, kTalkSpot))
            << what;
    }
    // The world map: taps of key until the place is chosen, the walk there,
    // then a tap of confirm on its mark.
    void WorldMapTo(u8 key, u16 location, u32 map) {
        ASSERT_TRUE(h.RunUntil([] { return gMapId == kWorld && gFrameId == kMapMode; }, 100));
        h.RunFrames(4);
        for (int i = 0; i < 4 && !(gWorldMapIndex < kWorldMapLocations &&
                                   gWorldMap[gWorldMapIndex].id == location);
             ++i)
            QuickTap(key, 3);
        ASSERT_LT(gWorldMapIndex, kWorldMapLocations);
        const WorldMapLocation& l = gWorldMap[gWorldMapIndex];
        ASSERT_EQ(l.id, location);
        ASSERT_TRUE(
            h.RunUntil([&] { return s.P().x == l.cellX * 16 && s.P().y == l.cellY * 16; }, 600));
        h.RunFrames(4);
        QuickTap(s.Confirm());
        ASSERT_TRUE(h.RunUntil([&] { return gMapId == map; }, 100)) << "place " << location;
    }
};

TEST_F(KeyRoute, EveryPlaceOfTheAdventureIsEnteredByTheKeys) {
    ASSERT_NO_FATAL_FAILURE(s.PastTheOpening());
    ASSERT_NO_FATAL_FAILURE(At("town", kTown, 10, 10));

    // The old stone beside the lane, from the grass west of it: its words.
    s.Walk({{kArrowRight, kEventX - 1, 10}, {kArrowDown, kEventX - 1, kEventY}});
    StepInto(kArrowRight, "stone", kSampleSpotTalk);
    ASSERT_TRUE(s.ConfirmUntilTalkEnds());
    // The signpost at the street's west end, along the street (the house's
    // door is the play-through's).
    s.Walk({{kArrowUp, kEventX - 1, kSignY}, {kArrowLeft, kSignX + 1, kSignY}});
    QuickTap(kArrowLeft);
    ASSERT_NO_FATAL_FAILURE(At("world map by the signpost", kWorld, kWorldStartX, kWorldStartY));
    // The meadow, and its way out right above where the player arrives.
    ASSERT_NO_FATAL_FAILURE(WorldMapTo(kArrowDown, kWorldMeadowLocation, kMeadow));
    ASSERT_NO_FATAL_FAILURE(At("meadow", kMeadow, kMeadowArriveX, kMeadowArriveY));
    QuickTap(kArrowUp);
    ASSERT_NO_FATAL_FAILURE(At("world map from the meadow", kWorld, 19, 35));
    // Home by the town's mark, beside the signpost.
    ASSERT_NO_FATAL_FAILURE(WorldMapTo(kArrowUp, kWorldTownLocation, kTown));
    ASSERT_NO_FATAL_FAILURE(At("town", kTown, kSignX + 1, kSignY));

    // The pier among the street's spots, stepped into from the row below: its
    // pirates' words (the fight is the adventure's own test).
    const u16 pier = 16;
    s.Walk({{kArrowUp, kSignX + 1, kStreetSpotY + 1}, {kArrowRight, pier, kStreetSpotY + 1}});
    StepInto(kArrowUp, "pier", kSampleBattleTalk);
    h.RunFrames(1);  // the frame after a release still reads the key down
    ResetTalk();
    ResetDialogs();
    // The signpost once more, from the grass above it.
    s.Walk({{kArrowDown, pier, kSignY - 1}, {kArrowLeft, kSignX, kSignY - 1}});
    QuickTap(kArrowDown);
    ASSERT_NO_FATAL_FAILURE(At("world map", kWorld, kWorldStartX, kWorldStartY));
    // The lighthouse, and its keeper two cells in front: confirm talks to him.
    ASSERT_NO_FATAL_FAILURE(WorldMapTo(kArrowDown, kWorldLighthouseLocation, kFar));
    ASSERT_NO_FATAL_FAILURE(At("lighthouse", kFar, kFarArriveX, kFarArriveY));
    QuickTap(s.Confirm(), 1);
    EXPECT_EQ(gTalkContext.talk, kSampleKeeperTalk);
}

// A player who keeps the key down against the old stone reads its words once:
// the first box waits for confirm and holds the talk meanwhile; the second
// shows for its two seconds (its time, 20 tenths) and closes by itself.
TEST_F(KeyRoute, TheStoneSpeaksOnceWhileTheKeyIsHeldAgainstIt) {
    ASSERT_NO_FATAL_FAILURE(s.PastTheOpening());
    s.Walk({{kArrowRight, kEventX - 1, 10}, {kArrowDown, kEventX - 1, kEventY}});
    PlatformSetKey(kArrowRight, true);
    h.RunFrames(60);
    PlatformSetKey(kArrowRight, false);
    h.RunFrames(2);
    EXPECT_EQ(std::tuple(gDialogs.size(), gTalkContext.talk, gTalkContext.owner),
              std::tuple(size_t{1}, kSampleSpotTalk, kTalkSpot));
    s.Tap(s.Confirm());
    // The second words, a second into their two.
    h.RunFrames(30);
    EXPECT_EQ(std::tuple(gDialogs.size(), gTalkContext.talk),
              std::tuple(size_t{1}, kSampleSpotTalk));
    h.RunFrames(50);
    EXPECT_TRUE(s.TalkFree());
}

}  // namespace
