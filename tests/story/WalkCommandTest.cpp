// Walk commands of the story scripts on the sample town, run through the real
// tick: single and group walks, walks to cells and roles, bad counts and
// roles, and what the talk end does to walks still under way.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "data/GameFlags.h"
#include "base/ByteIo.h"
#include "map/AStar.h"
#include "map/City.h"
#include "map/KeyCole.h"
#include "map/RoleTable.h"
#include "map/RoleWalk.h"
#include "mhdata/SampleTalks.h"
#include "mhdata/StoryAsm.h"
#include "story/PartyCommands.h"
#include "story/StoryTestUtil.h"

namespace {

struct Cell {
    int x, y;
};

struct TownWalks : TownGame {
    static int Slot(u16 id) {
        int s = FindRoleById(id);
        EXPECT_GT(s, 0) << "role " << id;
        return s;
    }
    static RoleSlot& R(u16 id) { return gMapRoles[FindRoleById(id)]; }
    static Cell CellOf(u16 id) { return {R(id).x / 16, R(id).y / 16}; }
    static bool At(u16 id, int cx, int cy) { return R(id).x == cx * 16 && R(id).y == cy * 16; }
    static int StoryRecords() {
        int n = 0;
        for (const RoleRoute& r : gRoleRoutes)
            if (r.role != kNoRole && (r.state & kRouteStateMask) == kRouteStory) ++n;
        return n;
    }

    // Talk 900 of Talk1.dat from assembler source (the sample's talks stay as they are).
    void WriteTalk(const std::string& body, std::vector<u8>* out = nullptr) {
        std::string src = std::string(SampleTalkSource()) + "\ntalk 900\n" + body + "\n";
        std::vector<u8> bytes;
        std::string error;
        ASSERT_TRUE(AssembleTalkFile(src, &bytes, &error)) << error;
        if (out) {
            *out = bytes;
            return;
        }
        WriteHostFile(h.Path("MH_Data/Talk1.dat"), bytes);
    }
    void Start(int talk) { StartTalk(static_cast<u16>(talk), gPlayerId); }
    bool RunUntilFree(int limit) {
        return h.RunUntil([] { return gTalkContext.owner == kTalkFree; }, limit);
    }
    // Talk 900 of this owner run to its end: no walk record stays, control is free.
    void RunWalkTalk(const std::string& body, u16 owner = 1, int limit = 400) {
        WriteTalk(body);
        StartTalk(900, owner);
        ASSERT_TRUE(RunUntilFree(limit));
        EXPECT_EQ(StoryRecords(), 0);
        EXPECT_FALSE(gTalkFlags & kTalkLockBit);
    }
    // Talk 900 with the count word of its first command (a group walk of one
    // role) replaced; cut, the file ends with the walk's one entry.
    void WriteGroupCount(const std::string& body, u16 count, bool cut = false) {
        std::vector<u8> bytes;
        WriteTalk(body, &bytes);
        size_t at = kTalkBase + LoadU32(&bytes[kTalkBase + 4 * 900]);
        ASSERT_EQ(LoadU16(&bytes[at]), 0x14);
        ASSERT_EQ(LoadU16(&bytes[at + 2]), 1);
        StoreU16(&bytes[at + 2], count);
        if (cut) bytes.resize(at + 4 + 6);
        WriteHostFile(h.Path("MH_Data/Talk1.dat"), bytes);
    }
};

// A person walks a route and comes back: each leg arrives on its cell, the
// walk holds the person's own behaviour meanwhile and lets go at the end.
TEST_F(TownWalks, APersonWalksARouteAndBack) {
    int slot = Slot(100);
    Cell home = CellOf(100);
    Start(kSampleWalkTalk);
    bool reached = h.RunUntil([] { return At(100, 16, 34); }, 400);
    ASSERT_TRUE(reached) << R(100).x << "," << R(100).y;
    EXPECT_TRUE(gTalkFlags & kTalkLockBit);
    EXPECT_EQ(GetGameFlag(kSampleWalkFlag), 0);
    // Home again while the talk still runs (once it is over the person wanders on).
    bool back = h.RunUntil([&] { return At(100, home.x, home.y); }, 400);
    ASSERT_TRUE(back) << R(100).x << "," << R(100).y;
    EXPECT_TRUE(TalkRunning());
    ASSERT_TRUE(RunUntilFree(200));
    EXPECT_EQ(GetGameFlag(kSampleWalkFlag), 1);
    EXPECT_EQ(StoryRecords(), 0);
    EXPECT_FALSE(gMapRoles[slot].state & (kWalkHeld | kWalkUnderWay));
    EXPECT_FALSE(gTalkFlags & kTalkLockBit);
}

// The player's own scripted walk: control is locked while it walks and comes
// back once the talk is over.
TEST_F(TownWalks, ThePlayersWalkArrivesAndUnlocksControl) {
    WriteTalk(
        "    WalkTo 0xFFF1 13 12\nw:\n    WalkStep 0xFFF1\n    JumpIfWalking 1 @w\n"
        "    EndWalk 0xFFF1\n    SetFlag 300\n    End");
    Start(900);
    h.RunFrames(3);
    EXPECT_TRUE(gTalkFlags & kTalkLockBit);
    EXPECT_TRUE(gMapRoles[gPlayerSlot].state & kWalkUnderWay);
    ASSERT_TRUE(RunUntilFree(400));
    EXPECT_TRUE(At(1, 13, 12)) << R(1).x << "," << R(1).y;
    EXPECT_EQ(GetGameFlag(300), 1);
    EXPECT_EQ(gScrollStepX | gScrollStepY | gPlayerStepX | gPlayerStepY, 0);
}

// Three walk together; the command waits until the last of them arrives.
TEST_F(TownWalks, AGroupOfThreeCompletesOnlyWhenAllThreeArrive) {
    const struct {
        u16 id;
        Cell to;
    } walkers[] = {{1, {14, 10}}, {100, {18, 30}}, {101, {27, 25}}};
    Start(kSampleGroupWalkTalk);
    int arrivedAt[3] = {-1, -1, -1};
    int flagAt = -1;
    for (int f = 0; f < 600 && flagAt < 0; ++f) {
        h.RunFrames(1);
        for (int k = 0; k < 3; ++k)
            if (arrivedAt[k] < 0 && At(walkers[k].id, walkers[k].to.x, walkers[k].to.y))
                arrivedAt[k] = f;
        if (GetGameFlag(kSampleGroupWalkFlag)) flagAt = f;
    }
    ASSERT_GE(flagAt, 0);
    int last = std::max({arrivedAt[0], arrivedAt[1], arrivedAt[2]});
    int first = std::min({arrivedAt[0], arrivedAt[1], arrivedAt[2]});
    EXPECT_LT(first, last) << "the walks differ in length";
    EXPECT_GE(flagAt, last);  // the command waited for the last arrival
    ASSERT_TRUE(RunUntilFree(20));
    EXPECT_EQ(StoryRecords(), 0);
}

// Relative group walks and arrival values: each role ends facing the given way.
TEST_F(TownWalks, RelativeGroupWalkTakesTheArrivalValues) {
    Cell a = CellOf(1), b = CellOf(100);
    WriteTalk(
        "    GroupWalkByArrive 0xFFF1 2 0 0xFFFF 0xFFFF 1  100 0 2 0xFFFF 0xFFFF 2\n"
        "    SetFlag 301\n    End");
    Start(900);
    i32 dirOnArrival[2] = {-1, -1};
    for (int f = 0; f < 600 && TalkRunning(); ++f) {
        h.RunFrames(1);
        if (dirOnArrival[0] < 0 && At(1, a.x + 2, a.y)) dirOnArrival[0] = R(1).act->dir;
        if (dirOnArrival[1] < 0 && At(100, b.x, b.y + 2)) dirOnArrival[1] = R(100).act->dir;
    }
    EXPECT_EQ(GetGameFlag(301), 1);
    EXPECT_EQ(dirOnArrival[0], 1);
    EXPECT_EQ(dirOnArrival[1], 2);
}

// The walks that start at a cell named by operands, role values or another role.
TEST_F(TownWalks, WalksToCellsValuesAndRoles) {
    i32 vx = 15, vy = 33;
    ASSERT_EQ(AccessRoleValue(100, 1, &vx, 2), 1);
    ASSERT_EQ(AccessRoleValue(100, 2, &vy, 2), 1);
    Cell looker = CellOf(101), fisher = CellOf(100);
    const struct {
        const char* body;
        Cell to;
    } cases[] = {
        {"WalkToCell 100 14 31", {14, 31}},
        {"WalkToValues 100", {15, 33}},
        {"WalkToRole 100 101", {looker.x, looker.y}},
        {"WalkToRoleAgain 100 101", {looker.x, looker.y}},
        {"WalkBy 100 -2 3", {fisher.x - 2, fisher.y + 3}},
    };
    int slot = Slot(100);
    for (const auto& k : cases) {
        SCOPED_TRACE(k.body);
        // The talk holds for a frame: the walk is read while it is under way.
        WriteTalk(std::string("    ") + k.body + "\n    RunOff\n    End");
        Start(900);
        gTalkFlags = 0;
        Talk(&gTalkContext);
        RoleRoute* r = FindRoleRoute(slot, kRouteStory);
        ASSERT_NE(r, nullptr);
        EXPECT_EQ(r->targetX, k.to.x * 16);
        EXPECT_EQ(r->targetY, k.to.y * 16);
        EXPECT_TRUE(gMapRoles[slot].state & kWalkHeld);
        RunUntilFree(5);
        EXPECT_EQ(FindRoleRoute(slot, kRouteStory), nullptr);
    }
    // A role that is not on this map gets the cell as its record position.
    WriteTalk("    WalkToCell 103 7 8\n    End");
    Start(900);
    ASSERT_TRUE(RunUntilFree(10));
    i32 row = FindRecord(103);
    ASSERT_GE(row, 0);
    EXPECT_EQ(RecordWord(row, 5), 7);
    EXPECT_EQ(RecordWord(row, 6), 8);
}

// A second target given while a walk is under way is walked after the first.
TEST_F(TownWalks, ASecondTargetIsQueued) {
    int slot = Slot(100);
    Cell from = CellOf(100);
    ASSERT_EQ(WalkRoleTo(slot, (from.x + 3) * 16, from.y * 16), 1);
    ASSERT_EQ(WalkRoleTo(slot, (from.x + 3) * 16, (from.y + 2) * 16), 1);
    RoleRoute* r = FindRoleRoute(slot, kRouteStory);
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(r->targetX, (from.x + 3) * 16);
    EXPECT_EQ(r->queuedY, (from.y + 2) * 16);
    bool first = false;
    for (int f = 0; f < 600 && !At(100, from.x + 3, from.y + 2); ++f) {
        if (!(gMapRoles[slot].state & kWalkArrived)) iMove(slot);
        h.RunFrames(1);
        first = first || At(100, from.x + 3, from.y);
    }
    EXPECT_TRUE(first);
    EXPECT_TRUE(At(100, from.x + 3, from.y + 2));
    EXPECT_EQ(FindRoleRoute(slot, kRouteStory), nullptr);
    EXPECT_FALSE(gMapRoles[slot].state & kWalkHeld);
}

// A count word far beyond the script is refused once and the talk ends; a
// count that only runs past the file's end is refused the same way.
TEST_F(TownWalks, GroupCountsAreBoundedByTheScript) {
    for (u16 count : {u16{60000}, u16{3}}) {
        SCOPED_TRACE(count);
        WriteGroupCount("    GroupWalk 100 14 31\n    SetFlag 302\n    End", count, true);
        Start(900);
        EXPECT_TRUE(RunUntilFree(5));
        EXPECT_EQ(GetGameFlag(302), 0);
        EXPECT_EQ(TakeBoxes(h), 1u);
        EXPECT_EQ(StoryRecords(), 0);
        EXPECT_FALSE(gTalkFlags & kTalkLockBit);
    }
}

// A count word that carries the started mark in the file, or a walk taken
// away by another command, does not leave the group waiting for good.
TEST_F(TownWalks, AGroupNeverWaitsForAWalkThatIsNotThere) {
    WriteGroupCount("    GroupWalk 100 14 31\n    SetFlag 307\n    End", 0x4001);
    Start(900);
    EXPECT_TRUE(RunUntilFree(10));
    EXPECT_EQ(GetGameFlag(307), 1);

    WriteTalk("    GroupWalk 100 14 34  101 25 30\n    SetFlag 308\n    End");
    Start(900);
    h.RunFrames(3);
    ASSERT_TRUE(TalkRunning());
    // The looker's walk goes as another command's clean-up would take it.
    for (RoleRoute& r : gRoleRoutes)
        if (r.role == Slot(101)) ClearRoleRoute(&r);
    EXPECT_TRUE(RunUntilFree(400));
    EXPECT_EQ(GetGameFlag(308), 1);
    EXPECT_TRUE(At(100, 14, 34));
}

// Roles that do not resolve show one box each and the talk goes on; a group
// with such a role completes once the others arrive.
TEST_F(TownWalks, UnknownRolesAreReportedOnceAndSkipped) {
    RunWalkTalk(
        "    WalkTo 999 5 5\n    WalkStep 999\n    WalkToRole 100 998\n"
        "    GroupWalk 997 3 3  100 13 30\n    EndWalk 999\n    SetFlag 303\n    End");
    EXPECT_EQ(GetGameFlag(303), 1);
    EXPECT_EQ(TakeBoxes(h), 4u);
    EXPECT_TRUE(At(100, 13, 30));
}

// A walk that has no way to its target ends at once, so a group does not wait for it.
TEST_F(TownWalks, AWalkWithoutAWayCountsAsEnded) {
    // Cell (35, 14) lies inside the walled house.
    Cell looker = CellOf(101);
    RunWalkTalk("    GroupWalk 101 35 14  0xFFF1 11 10\n    SetFlag 304\n    End");
    EXPECT_EQ(GetGameFlag(304), 1);
    EXPECT_TRUE(At(101, looker.x, looker.y));
    EXPECT_TRUE(At(1, 11, 10));
}

// The talk end lets every walk go: records freed, roles on their grid and no
// longer held, the saved look cleared, behaviour walks possible again.
TEST_F(TownWalks, TheTalkEndCleansUpWalkRecords) {
    WriteTalk(
        "    WalkTo 100 20 30\n    WalkTo 101 25 30\ns:\n    RunOn\n    WalkStep 100\n"
        "    WalkStep 101\n    RunOff\n    Jump @s");
    int fisher = Slot(100), looker = Slot(101);
    Start(900);
    gTalkTurn = {looker, 8, 3};
    // The talk is ended from outside while the fisherman is between two cells.
    bool between = h.RunUntil([] { return (R(100).x & 15) != 0; }, 200);
    ASSERT_TRUE(between);
    u16 cameFrom = static_cast<u16>(R(100).x & ~15);
    TalkEnd(&gTalkContext);
    EXPECT_FALSE(TalkRunning());
    EXPECT_EQ(R(100).x, cameFrom);
    EXPECT_EQ(StoryRecords(), 0);
    for (int s : {fisher, looker}) {
        EXPECT_EQ(gMapRoles[s].x & 15, 0);
        EXPECT_EQ(gMapRoles[s].y & 15, 0);
        ASSERT_NE(gMapRoles[s].cell, nullptr);
        EXPECT_TRUE(*gMapRoles[s].cell & kCellRole);
        EXPECT_FALSE(gMapRoles[s].state & (kWalkHeld | kWalkUnderWay));
    }
    EXPECT_EQ(gTalkTurn.slot, -1);
    EXPECT_EQ(StartRoleRoute(fisher, R(100).x / 16 + 1, R(100).y / 16), 1);
    EXPECT_EQ(StepRoleRoute(fisher), 1);
    EXPECT_FALSE(gTalkFlags & kTalkLockBit);
}

// The owner's walk gets its last step at the talk end and lets go of the owner.
TEST_F(TownWalks, TheOwnersWalkIsLetGo) {
    RunWalkTalk("    WalkTo 0xFFF0 27 25\n    End", 101, 20);
    EXPECT_FALSE(R(101).state & kWalkHeld);
    EXPECT_TRUE(At(101, 25, 25));
}

// A step into a cell that another role holds waits; after eight tries only
// walls stop a scripted walker, and a role that walks through others never waits.
TEST_F(TownWalks, ABlockedStepWaitsThenWalksThroughPeople) {
    int slot = Slot(100);
    RoleSlot& s = gMapRoles[slot];
    Cell from = CellOf(100);
    u32& ahead = gMap.cells[static_cast<size_t>(from.y) * gMap.width + from.x + 1];
    ahead |= 0x20000000u;
    ASSERT_EQ(WalkRoleTo(slot, (from.x + 2) * 16, from.y * 16), 1);
    RoleRoute* r = FindRoleRoute(slot, kRouteStory);
    ASSERT_NE(r, nullptr);
    ASSERT_EQ(r->dirs[0], 7);  // right
    for (int k = 1; k <= 8; ++k) {
        EXPECT_EQ(iMove(slot), 1);
        EXPECT_TRUE(r->pos & kRoutePaused) << k;
        EXPECT_EQ(r->retry, k);
        EXPECT_EQ(r->stepX, 0);
    }
    EXPECT_TRUE(s.state & kWalkUnderWay);
    EXPECT_EQ(iMove(slot), 1);
    EXPECT_FALSE(r->pos & kRoutePaused);
    EXPECT_EQ(r->stepX, 4);
    EXPECT_EQ(r->stepY, 0);
    EXPECT_EQ(r->retry, 0);

    // Walking through others: the same cell does not hold it at all.
    ClearRoleRoute(r);
    s.state |= kWalkThrough;
    ASSERT_EQ(WalkRoleTo(slot, (from.x + 2) * 16, from.y * 16), 1);
    r = FindRoleRoute(slot, kRouteStory);
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(iMove(slot), 1);
    EXPECT_FALSE(r->pos & kRoutePaused);
    EXPECT_EQ(r->stepX, 4);
}

// A route that has run out with its role away from the target is reported
// once: the walk ends, so no command asks again.
TEST_F(TownWalks, ARouteEndingOffItsTargetIsReportedOnce) {
    int slot = Slot(101);
    Cell from = CellOf(101);
    ASSERT_EQ(WalkRoleTo(slot, (from.x + 2) * 16, from.y * 16), 1);
    RoleRoute* r = FindRoleRoute(slot, kRouteStory);
    ASSERT_NE(r, nullptr);
    r->pos = kRoutePaused | 2;  // past both steps while it still stands at the start
    EXPECT_EQ(iMove(slot), 2);
    EXPECT_EQ(iMove(slot), 0);
    EXPECT_EQ(TakeBoxes(h), 1u);
    EXPECT_EQ(FindRoleRoute(slot, kRouteStory), nullptr);
    EXPECT_TRUE(gMapRoles[slot].state & kWalkArrived);
    EXPECT_FALSE(gMapRoles[slot].state & kWalkUnderWay);
}

// The end of walks: every held role lets go and its act's hold is cleared.
TEST_F(TownWalks, EndAllWalksLetsEveryHeldRoleGo) {
    WriteTalk(
        "    WalkTo 100 12 30\n    WalkTo 101 25 25\n    RunOff\n    EndAllWalks\n"
        "    RunOff\n    End");
    int fisher = Slot(100), looker = Slot(101);
    Start(900);
    h.RunFrames(1);
    ASSERT_TRUE(TalkRunning());
    for (int s : {fisher, looker}) {
        EXPECT_TRUE(gMapRoles[s].state & kWalkHeld);
        gMapRoles[s].act->hold = 1;
    }
    h.RunFrames(1);
    for (int s : {fisher, looker}) {
        EXPECT_FALSE(gMapRoles[s].state & kWalkHeld);
        EXPECT_EQ(gMapRoles[s].act->hold, 0u);
    }
    EXPECT_EQ(StoryRecords(), 0);
}

// The owner walks to the end of a point list and is stepped along by the
// command that names no role.
TEST_F(TownWalks, TheOwnerWalksToThePointListsEnd) {
    RunWalkTalk(
        "    WalkOwnerTo 1 2 27 26\ns:\n    StepOwner 5 5\n    RunOff\n"
        "    JumpIfWalking 101 @s\n    SetFlag 305\n    End",
        101);
    EXPECT_TRUE(At(101, 27, 26)) << R(101).x << "," << R(101).y;
    EXPECT_EQ(GetGameFlag(305), 1);
}

// The count word's top bit keeps each walker's record at its target: the group
// still completes, the role stays held until the talk's end lets it go.
TEST_F(TownWalks, AGroupWalkWithTheKeepMarkHoldsItsRecordsUntilTheTalkEnds) {
    WriteGroupCount("    GroupWalk 0xFFF1 12 10\n    SetFlag 306\n    RunOff\n    End", 0x8001);
    Start(900);
    ASSERT_TRUE(h.RunUntil([] { return GetGameFlag(306) == 1; }, 400));
    EXPECT_TRUE(At(1, 12, 10));
    const RoleRoute* r = FindRoleRoute(gPlayerSlot, kRouteStory);
    ASSERT_NE(r, nullptr);
    EXPECT_TRUE(r->state & kRouteKeep);
    EXPECT_TRUE(gMapRoles[gPlayerSlot].state & kWalkHeld);
    ASSERT_TRUE(RunUntilFree(10));
    EXPECT_EQ(StoryRecords(), 0);
    EXPECT_FALSE(gMapRoles[gPlayerSlot].state & kWalkHeld);
}

// Snapping a walker between two cells puts it back on the cell it left, along
// its route (not along the way its picture faces).
TEST_F(TownWalks, SnapPutsAWalkerBackOnTheCellItLeft) {
    int slot = Slot(100);
    Cell from = CellOf(100);
    ASSERT_EQ(WalkRoleTo(slot, (from.x + 3) * 16, (from.y + 3) * 16), 1);
    bool between = h.RunUntil(
        [slot] {
            iMove(slot);
            return (R(100).x & 15) != 0;
        },
        100);
    ASSERT_TRUE(between);
    WriteTalk("    SnapRole 100\n    RunOff\n    End");
    Start(900);
    h.RunFrames(1);
    ASSERT_TRUE(TalkRunning());
    EXPECT_TRUE(At(100, from.x, from.y)) << R(100).x << "," << R(100).y;
    EXPECT_TRUE(*gMapRoles[slot].cell & kCellRole);
    // The walk goes on from there once its next step is decided.
    EXPECT_EQ(iMove(slot), 1);
    EXPECT_TRUE(h.RunUntil([] { return (R(100).x & 15) != 0; }, 50));
}

}  // namespace
