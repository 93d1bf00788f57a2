// Every talk of the sample game is met in play: each new game walks to one
// spot or person as a player would and checks that its own talk starts.
#include <gtest/gtest.h>

#include <set>

#include "map/City.h"
#include "map/MapScene.h"
#include "mhdata/Maps.h"
#include "mhdata/SampleTalks.h"
#include "support/SampleSession.h"

using namespace sampleMap;

namespace {

struct Reach : ::testing::Test {
    // A new game with its opening read; the opening talk itself is met here.
    static void Start(Harness& h, SampleSession& s) {
        s.NewGameFromTheTitle();
        ASSERT_TRUE(h.RunUntil([] { return !gDialogs.empty(); }, 20));
        EXPECT_EQ(gTalkContext.talk, kSampleOpeningTalk);
        ASSERT_TRUE(s.ConfirmUntilTalkEnds());
    }
};

TEST_F(Reach, EachStreetSpotStartsItsOwnTalk) {
    std::set<int> met;
    for (const StreetSpot& spot : kStreetSpots) {
        Harness h;
        SampleSession s{h};
        Start(h, s);
        s.WalkToCell(kArrowUp, s.P().x / 16, kStreetSpotY + 1);
        s.WalkToCell(kArrowRight, spot.x, kStreetSpotY + 1);
        s.Tap(kArrowUp);
        EXPECT_EQ(gTalkContext.talk, spot.talk) << "spot at " << spot.x;
        EXPECT_EQ(gTalkContext.owner, kTalkSpot);
        met.insert(gTalkContext.talk);
    }
    EXPECT_EQ(met.size(), std::size(kStreetSpots));
}

TEST_F(Reach, TheStoneTheDoorTheSignAndTheQuestion) {
    {
        Harness h;
        SampleSession s{h};
        Start(h, s);
        s.WalkToCell(kArrowDown, s.P().x / 16, kEventY);
        s.WalkToCell(kArrowRight, kEventX - 1, kEventY);
        s.Tap(kArrowRight);
        EXPECT_EQ(gTalkContext.talk, kSampleSpotTalk);
    }
    {
        Harness h;
        SampleSession s{h};
        Start(h, s);
        s.WalkToCell(kArrowDown, s.P().x / 16, kDoorY + 1);
        s.WalkToCell(kArrowRight, kDoorX, kDoorY + 1);
        s.Tap(kArrowUp);
        EXPECT_EQ(gTalkContext.talk, kSampleRoomTalk);
    }
    {
        Harness h;
        SampleSession s{h};
        Start(h, s);
        s.WalkToCell(kArrowLeft, kSignX + 1, kSignY);
        s.Tap(kArrowLeft);
        EXPECT_TRUE(gTalkContext.talk == kSampleSignTalk || gMapId == kWorld);
    }
    {
        Harness h;
        SampleSession s{h};
        Start(h, s);
        ASSERT_GT(s.WalkToTheQuestion(), 0);
        s.Tap(s.Confirm());
        EXPECT_EQ(gTalkContext.talk, kSampleQuestionTalk);
    }
}

// The people who walk about are met by a click on them.
TEST_F(Reach, ClickingTheFishermanAndTheGuard) {
    for (u16 id : {u16{100}, u16{102}}) {
        Harness h;
        SampleSession s{h};
        Start(h, s);
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
        ASSERT_TRUE(RoleScreenRect(slot, &l, &t, &r, &b));
        s.PointAt((l + r) / 2, (t + b) / 2);
        ASSERT_TRUE(RoleScreenRect(slot, &l, &t, &r, &b));
        s.PointAt((l + r) / 2, (t + b) / 2);
        s.Click();
        EXPECT_EQ(gTalkContext.talk, gMapRoles[slot].talk) << id;
        EXPECT_EQ(gTalkContext.owner, id);
    }
}

}  // namespace
