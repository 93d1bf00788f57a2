// Role commands of the story scripts, written with the assembler and run
// through the interpreter: acts, speed, the control lock, presence and state.

#include "data/GameFlags.h"
#include "story/StoryTestUtil.h"

namespace {

struct RoleCommandTest : StoryFixture {
    ActPlayer act;
    int slot = -1;
    std::vector<u8> records;

    void SetUp() override {
        StoryFixture::SetUp();
        slot = AddRole(40, 96, 96, &act);
        // Records of role 40 (on the map) and 41 (elsewhere, map 9).
        records = RoleRecords({40, 41}, 9, 0x8000, 0x0504);
        ASSERT_TRUE(BindRoleRecords(records.data(), records.size()));
    }
};

struct ActCase {
    const char* name;
    const char* body;
    i32 act, action, dir;
};

TEST_F(RoleCommandTest, ActsOnTheMap) {
    const ActCase cases[] = {
        {"action", "SetAction 40 3", 0, 3, 0},
        {"direction", "SetDir 40 6", 0, 0, 6},
        {"act", "SetAct 40 9001", 9001, 0, 0},
        {"coalesced", "SetAct 40 9001\n SetAction 40 2\n SetDir 40 5", 9001, 2, 5},
        {"from a variable", "Set 20 7\n SetDirFromVar 40 20", 0, 0, 7},
        {"from a role value", "SetActionFromValue 40 2", 0, 5, 0},
        {"all three", "SetActAll 40 9002 1 3 0", 9002, 1, 3},
        {"owner reference", "SetAction 0xFFF0 4", 0, 4, 0},
    };
    for (const ActCase& k : cases) {
        SCOPED_TRACE(k.name);
        act = ActPlayer{};
        Run(k.body, 40);
        EXPECT_EQ(std::tuple(act.act, act.action, act.dir), std::tuple(k.act, k.action, k.dir));
    }
}

// An act change followed by another for the same role only stores its value, in
// every form: only the last of a row is stepped. No act of this fixture has
// frames, so each step shows one box.
TEST_F(RoleCommandTest, ActChangesInARowStepOnceInEveryForm) {
    const char* chains[] = {
        "Set 20 77\n SetActFromVar 40 20\n SetAct 40 9001",
        "SetActFromValue 40 2\n SetActFromVar 40 21",
        "SetAct 40 77\n SetActFromVar 40 21",
        "SetAct 40 77\n SetDirFromVar 40 22\n SetAct 40 9001",
        "SetAct 40 77\n SetActionFromValue 40 1\n SetActFromVar 40 21",
        "SetAct 40 77\n SetDirFromValue 40 1\n SetAct 40 9001",
        "SetAct 40 77\n SetActFromValue 40 2\n SetAct 40 9001",
        "SetAct 40 77\n SetActionFromVar 40 22\n SetAct 40 9001",
    };
    for (const char* body : chains) {
        SCOPED_TRACE(body);
        act = ActPlayer{};
        h.boxes().clear();
        Run(std::string("Set 21 9001\n Set 22 1\n ") + body);
        EXPECT_EQ(act.act, 9001);
        EXPECT_EQ(h.boxes().size(), 1u);
    }
}

// A role off the map keeps its act in its record, and the act test reads it
// there; a role that is nowhere skips the test.
TEST_F(RoleCommandTest, ActOfARoleOffTheMapGoesToItsRecord) {
    Run("SetAction 41 6\n SetDir 41 2\n SetAct 41 77\n SetTalkNumber 41 123");
    i32 row = FindRecord(41);
    ASSERT_GE(row, 0);
    // Words 2, 3, 4: act, action, direction; word 7 the talk.
    EXPECT_EQ((std::vector<i32>{RecordWord(row, 2), RecordWord(row, 3), RecordWord(row, 4)}),
              (std::vector<i32>{77, 6, 2}));
    EXPECT_EQ(RecordWord(row, 7), 123);
    EXPECT_TRUE(h.boxes().empty());
    const struct {
        const char* jump;
        int flag;
    } cases[] = {{"JumpIfActNot 41 77 @o", 300},
                 {"JumpIfActNot 41 78 @o", 301},
                 {"JumpIfActNot 42 78 @o", 300}};
    for (const auto& k : cases) {
        SCOPED_TRACE(k.jump);
        ResetGameFlags();
        Run(std::string(k.jump) + "\n SetFlag 300\n End\no:\n SetFlag 301");
        EXPECT_TRUE(GetGameFlag(k.flag));
        EXPECT_FALSE(GetGameFlag(k.flag == 300 ? 301 : 300));
    }
}

TEST_F(RoleCommandTest, SpeedWords) {
    const std::pair<const char*, u16> speeds[] = {{"SetActSpeed 40 5", 0x8005},
                                                  {"SetActSpeedRaw 40 5", 5},
                                                  {"StopActSpeed 40", 0xFFFF},
                                                  {"ClearActSpeed 40", 0}};
    for (const auto& [cmd, word] : speeds) {
        Run(cmd);
        EXPECT_EQ(act.delayOverride, word) << cmd;
    }
}

TEST_F(RoleCommandTest, ControlLock) {
    Start("UnlockControl\n Set 1 1\n Wait 5\n LockControl\n Wait 5");
    for (int i = 0; i < 3; ++i) {
        gFrameTime += 35;
        Talk(&gTalkContext);
    }
    EXPECT_EQ(gTalkFlags & kTalkLockBit, 0u);
    RunUntilFree(50);
    EXPECT_EQ(gTalkFlags & kTalkLockBit, 0u);  // the talk end lets go again
}

TEST_F(RoleCommandTest, StateBitsOnAndOffTheMap) {
    const struct {
        const char* cmd;
        u32 bit;
    } bits[] = {{"StateBit40", 0x40},     {"StateBit20", 0x20},    {"StateBit10", 0x10},
                {"StateBit1000", 0x1000}, {"StateBit800", 0x800},  {"StateBit2000", 0x2000},
                {"StateBit100", 0x100},   {"StateBit4000", 0x4000}};
    for (const auto& b : bits) {
        SCOPED_TRACE(b.cmd);
        Run(std::string(b.cmd) + " 40 1\n " + b.cmd + " 41 1");
        EXPECT_TRUE(gMapRoles[slot].state & b.bit);
        EXPECT_TRUE(RecordWord(FindRecord(41), 10) & b.bit);
        Run(std::string(b.cmd) + " 40 0\n " + b.cmd + " 41 0");
        EXPECT_FALSE(gMapRoles[slot].state & b.bit);
        EXPECT_FALSE(RecordWord(FindRecord(41), 10) & b.bit);
        EXPECT_TRUE(RecordWord(FindRecord(41), 10) & kRoleShown);
    }
    Run("SetBit400 40\n SetBit4000000 40\n SetBit40000 40");
    EXPECT_EQ(gMapRoles[slot].state & 0x4040400u, 0x4040400u);
    Run("ClearBit400 40\n SetBit400 41");
    EXPECT_FALSE(gMapRoles[slot].state & 0x400);
    EXPECT_TRUE(RecordWord(FindRecord(41), 10) & 0x400);
    // Presence is a state bit of its own, on and off the map.
    for (const char* cmd : {"HideRole", "ShowRole"}) {
        bool shown = cmd[0] == 'S';
        Run(std::string(cmd) + " 40\n " + cmd + " 41");
        EXPECT_EQ((gMapRoles[slot].state & kRoleShown) != 0, shown) << cmd;
        EXPECT_EQ((RecordWord(FindRecord(41), 10) & kRoleShown) != 0, shown) << cmd;
    }
}

TEST_F(RoleCommandTest, PlayerRoleMovesAndUnknownRolesAreSkipped) {
    Run("SetAction 999 3\n SetActSpeed 999 2\n StateBit40 999 1\n HideRole 999\n SetPlayerRole "
        "999\n SetFlag 310");
    EXPECT_EQ(GetGameFlag(310), 1);
    EXPECT_EQ(gPlayerSlot, 0);
    Run("SetPlayerRole 40");
    EXPECT_EQ(gPlayerSlot, slot);
    EXPECT_EQ(gPlayerId, 40);
}

}  // namespace
