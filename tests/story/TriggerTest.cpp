// TriggerStory over the sample town: the cursor and the click on a map spot;
// the end of a role's scripted walk.
#include <gtest/gtest.h>

#include "data/GameFlags.h"
#include "engine/DInput.h"
#include "map/AStar.h"
#include "map/RoleWalk.h"
#include "mhdata/Maps.h"
#include "platform/Input.h"
#include "story/StoryTestUtil.h"
#include "story/Trigger.h"

using namespace sampleMap;

namespace {

struct TownStory : TownGame {
    const MapEvent* ev = nullptr;  // the clickable spot
    int slot = -1;                 // the person who looks about, role 101

    void SetUp() override {
        TownGame::SetUp();
        PlatformSetMouseButtons(false, false);
        ev = FindMapEvent(kEventNumber);
        ASSERT_NE(ev, nullptr);
        slot = FindRoleById(101);
        ASSERT_GT(slot, 0);
        ASSERT_TRUE(gMapRoles[slot].state & 0x800);
        ASSERT_NE(gMapRoles[slot].act, nullptr);
    }
    // The mouse over cell (cx, cy), dx and dy pixels into it.
    void PointAtCell(int cx, int cy, int dx = 5, int dy = 7) {
        gDInput.SetMousePos(cx * 16 - gViewX + dx, cy * 16 - gViewY + dy);
    }
    void ClickHere() {
        PlatformSetMouseButtons(true, false);
        TriggerStory();
        PlatformSetMouseButtons(false, false);
    }
};

TEST_F(TownStory, AClickableSpotShowsCursor11AndAClickStartsItsTalk) {
    SetGameFlag(static_cast<i32>(ev->clickable));
    PointAtCell(kEventX, kEventY);
    TriggerStory();
    EXPECT_EQ(gTriggerCursor, 11);
    EXPECT_EQ(gTalkContext.owner, kTalkFree) << "hovering starts nothing";

    i32 mx = 0, my = 0;
    gDInput.ReadMouse(&mx, &my);
    ClickHere();
    EXPECT_EQ(std::tuple(gTalkContext.talk, gTalkContext.owner, gTalkContext.x, gTalkContext.y,
                         gTalkContext.ownerState, gTalkFlags),
              std::tuple(ev->script & 0x7FFF, kTalkSpot, (mx & ~15) + gViewX, (my & ~15) + gViewY,
                         0u, kTalkLockBit));
    // The spot lies down and right of the player, who turns toward it.
    const RoleSlot& p = gMapRoles[gPlayerSlot];
    ASSERT_NE(p.act, nullptr);
    EXPECT_EQ(p.act->dir, 5);
    EXPECT_EQ(p.act->action, 0);
}

// A click on a person turns it toward the player and the player the other way,
// by the angle between their foot centres: 44 across and 20 down is 24 degrees
// off the level, a diagonal, though more than twice as far across as down.
TEST_F(TownStory, AClickedPersonAndThePlayerTurnByTheAngleBetweenThem) {
    RoleSlot& r = gMapRoles[slot];
    const RoleSlot& p = gMapRoles[gPlayerSlot];
    ASSERT_NE(p.act, nullptr);
    ASSERT_TRUE(TakeActData(r.act));  // the frame a map frame would show
    int rw, rh, pw, ph;
    RoleFootprint(&r, &rw, &rh);
    RoleFootprint(&p, &pw, &ph);
    // The person's foot centre (dx, dy) from the player's; the directions the
    // person and the player face after the click.
    const struct {
        i32 dx, dy;
        int person, player;
    } cases[] = {{44, 20, 4, 5}, {-48, 0, 3, 2}, {0, -48, 1, 0}, {-30, 36, 7, 6}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.dx << "," << c.dy);
        ResetTalkContext(&gTalkContext);
        r.x = static_cast<u16>(p.x + 8 * pw + c.dx - 8 * rw);
        r.y = static_cast<u16>(p.y + 8 * ph + c.dy - 8 * rh);
        i32 l, t, rr, b;
        ASSERT_TRUE(RoleScreenRect(slot, &l, &t, &rr, &b));
        gDInput.SetMousePos((l + rr) / 2, (t + b) / 2);
        TriggerStory();  // the hover, with the button up
        ClickHere();
        ASSERT_EQ(gTalkContext.owner, 101);
        EXPECT_EQ(r.act->dir, c.person);
        EXPECT_EQ(p.act->dir, c.player);
    }
    ResetTalkContext(&gTalkContext);
}

TEST_F(TownStory, ASpotWithoutItsFlagOrWhileATalkRunsStartsNothing) {
    ClearGameFlag(static_cast<i32>(ev->clickable));
    PointAtCell(kEventX, kEventY);
    TriggerStory();
    EXPECT_EQ(gTriggerCursor, 5);  // no spot cursor: the way from the player, down and right
    ClickHere();
    EXPECT_EQ(gTalkContext.owner, kTalkFree);

    // A plain cell is no spot either.
    SetGameFlag(static_cast<i32>(ev->clickable));
    PointAtCell(kEventX + 3, kEventY);
    ClickHere();
    EXPECT_EQ(gTalkContext.owner, kTalkFree);
    EXPECT_EQ(gTalkFlags, 0u);

    // A talk running already: the spot is not looked at.
    StartTalk(7, kTalkSpot);
    PointAtCell(kEventX, kEventY);
    ClickHere();
    EXPECT_EQ(gTalkContext.talk, 7);
}

}  // namespace

namespace {

// The end of a role's scripted walk (Talkend) hands the role to the talk's
// clean-up: its walk record goes and the look it had before it turned to the
// player comes back, once.
TEST_F(TownStory, TalkendRestoresTheTurnedRoleAndEndsItsWalk) {
    RoleSlot& r = gMapRoles[slot];
    ASSERT_EQ(WalkRoleTo(slot, (r.x / 16 + 3) * 16, r.y), 1);
    ASSERT_NE(FindRoleRoute(slot), nullptr);
    r.state |= 0x80000000u;
    gTalkTurn = {slot, 8, 3};
    r.act->action = 0;
    r.act->dir = 2;
    Talkend(slot);
    EXPECT_EQ(r.act->action, 8);
    EXPECT_EQ(r.act->dir, 3);
    EXPECT_EQ(gTalkTurn.slot, -1);
    EXPECT_EQ(FindRoleRoute(slot), nullptr);
    EXPECT_FALSE(r.state & 0x80000000u);

    // A saved look of another role stays for that role.
    int other = FindRoleById(100);
    ASSERT_GT(other, 0);
    r.state |= 0x80000000u;
    gTalkTurn = {other, 4, 1};
    r.act->action = 0;
    r.act->dir = 2;
    Talkend(slot);
    EXPECT_EQ(r.act->dir, 2);
    EXPECT_EQ(gTalkTurn.slot, other);
}

}  // namespace
