// Every talk of the sample game is met in play: each new game walks to one
// spot or person as a player would and checks that its own talk starts (the
// door and the question are met in the sample visit and end-to-end tests, the
// stone's and the sign's talks are their map events').
#include <gtest/gtest.h>

#include <set>

#include "data/GameData.h"
#include "map/MapScene.h"
#include "mhdata/Maps.h"
#include "mhdata/SampleMenu.h"
#include "support/SampleSession.h"

using namespace sampleMap;
using namespace sampleMenu;

namespace {

// Up to the street spots' row, right to the spot at column x, and up onto it.
void StepOntoStreetSpot(SampleSession& s, int x) {
    s.WalkToCell(kArrowUp, s.P().x / 16, kStreetSpotY + 1);
    s.WalkToCell(kArrowRight, x, kStreetSpotY + 1);
    s.Tap(kArrowUp);
}

// A new game with its opening read, then the walk of one case.
void Play(const std::function<void(Harness&, SampleSession&)>& walk) {
    Harness h;
    SampleSession s{h};
    s.NewGameFromTheTitle();
    ASSERT_TRUE(h.RunUntil([] { return !gDialogs.empty(); }, 20));
    EXPECT_EQ(gTalkContext.talk, kSampleOpeningTalk);
    ASSERT_TRUE(s.ConfirmUntilTalkEnds());
    walk(h, s);
}

TEST(Reach, EachStreetSpotStartsItsOwnTalk) {
    std::set<int> met;
    for (const StreetSpot& spot : kStreetSpots) {
        Play([&](Harness&, SampleSession& s) {
            StepOntoStreetSpot(s, spot.x);
            EXPECT_EQ(gTalkContext.talk, spot.talk) << "spot at " << spot.x;
            EXPECT_EQ(gTalkContext.owner, kTalkSpot);
            met.insert(gTalkContext.talk);
        });
    }
    EXPECT_EQ(met.size(), std::size(kStreetSpots));
}

// The people who walk about are met by a click on them.
TEST(Reach, ClickingTheFishermanAndTheGuard) {
    for (u16 id : {u16{100}, u16{102}}) {
        Play([id](Harness&, SampleSession& s) {
            int slot = FindRoleById(id);
            ASSERT_GT(slot, 0);
            // Bring the person into view and hold it still for the click.
            gViewMode |= kViewNoFollow;
            Rect16 v;
            GetViewRectAt(gMapRoles[slot].x - 304, gMapRoles[slot].y - 240, &v);
            gViewX = v.left;
            gViewY = v.top;
            gMapRoles[slot].talkLock = 0;
            i32 l, t, r, b;
            for (int k = 0; k < 2; ++k) {
                ASSERT_TRUE(RoleScreenRect(slot, &l, &t, &r, &b));
                s.PointAt((l + r) / 2, (t + b) / 2);
            }
            s.Click();
            EXPECT_EQ(gTalkContext.talk, gMapRoles[slot].talk) << id;
            EXPECT_EQ(gTalkContext.owner, id);
        });
    }
}

// The opening goes on into its second half, which fills the party; talk 4's
// countdown runs out on its own and starts talk 5.
TEST(Reach, TheOpeningsSecondHalfAndTheCountdownsEnd) {
    Harness h;
    SampleSession s{h};
    s.NewGameFromTheTitle();
    ASSERT_TRUE(h.RunUntil([] { return !gDialogs.empty(); }, 20));
    EXPECT_LT(gParty[1], 0);
    u32 money = gScriptVars[0];
    ASSERT_TRUE(s.ConfirmUntilTalkEnds());
    // The second half runs in one go: five join the player, the money comes.
    EXPECT_GE(gParty[5], 0);
    EXPECT_EQ(gScriptVars[0] - money, static_cast<u32>(kOpeningMoney));
    const StreetSpot* countdown = nullptr;
    for (const StreetSpot& spot : kStreetSpots)
        if (spot.talk == kSampleCountdownTalk) countdown = &spot;
    ASSERT_NE(countdown, nullptr);
    StepOntoStreetSpot(s, countdown->x);
    ASSERT_EQ(gTalkContext.talk, kSampleCountdownTalk);
    ASSERT_TRUE(s.ConfirmUntilTalkEnds());
    // Ninety seconds of frames at 30 a second.
    EXPECT_TRUE(
        h.RunUntil([] { return gTalkContext.talk == kSampleCountdownEndTalk; }, 90 * 30 + 60));
}

TEST(Reach, TheCollectorAndTheLighthouse) {
    Play([](Harness&, SampleSession& s) {
        int collector = FindRoleById(kCollectorRole);
        ASSERT_GT(collector, 0);
        int w, hh;
        RoleFootprint(&s.P(), &w, &hh);
        int row = gMapRoles[collector].y / 16, column = gMapRoles[collector].x / 16 - w;
        s.WalkToCell(kArrowDown, s.P().x / 16, row);
        s.WalkToCell(kArrowRight, column, row);
        s.Tap(s.Confirm());
        EXPECT_EQ(gTalkContext.talk, kCollectorTalk);
        EXPECT_EQ(gTalkContext.owner, kCollectorRole);
    });
    // Out by the signpost, the lighthouse chosen on the world map, its mark clicked.
    Play([](Harness& h, SampleSession& s) {
        PlatformSetKey(kArrowLeft, true);
        bool out = h.RunUntil([] { return gMapId == kWorld; }, 400);
        PlatformSetKey(kArrowLeft, false);
        ASSERT_TRUE(out);
        h.RunFrames(4);
        s.Tap(kArrowDown);
        ASSERT_TRUE(h.RunUntil([&] { return s.P().x == 19 * 16 && s.P().y == 15 * 16; }, 600));
        s.PointAt(314, 86);
        s.Click();
        // Its talk takes the player to the lighthouse's map, cell (15, 15).
        EXPECT_TRUE(h.RunUntil([] { return gMapId == kFar; }, 60));
        EXPECT_EQ(s.P().x, 15 * 16);
        EXPECT_EQ(s.P().y, 15 * 16);
    });
}

}  // namespace
