// Commands of the story scripts, each written with the assembler and run through the interpreter.
#include "data/GameData.h"
#include "data/GameFlags.h"
#include "base/ByteIo.h"
#include "engine/GrpFont.h"
#include "engine/Ime.h"
#include "engine/Random.h"
#include "map/ActDraw.h"
#include "story/CommandHandlers.h"
#include "story/Countdowns.h"
#include "story/Dialog.h"
#include "story/StoryTestUtil.h"

namespace {

struct VarCase {
    const char* name;
    const char* body;  // runs in talk 1, then "End"
    int var;
    u32 before;
    u32 after;
};

using CommandTest = StoryFixture;

TEST_F(CommandTest, Variables) {
    const VarCase cases[] = {
        {"set short", "Set 9 -2", 9, 0, 0xFFFFFFFEu},
        {"set long", "SetL 9 0x12345678", 9, 0, 0x12345678u},
        {"add short negative", "Add 9 -1", 9, 10, 9},
        {"sub floors at 0", "Sub 9 7", 9, 5, 0},
        {"sub long", "SubL 9 3", 9, 5, 2},
        {"money capped", "AddL 0 0x7FFFFFFF", 0, 0x10, 0x7FFFFFFFu},
        {"mul", "Mul 9 3", 9, 7, 21},
        {"mul keeps low bits", "Mul 9 0x10000", 9, 0x10001, 0x10000},
        {"div unsigned", "Div 9 2", 9, 0xFFFFFFFEu, 0x7FFFFFFFu},
        {"div by 0 skips", "Div 9 0", 9, 42, 42},
        {"var 256 refused", "Set 256 5\n Set 9 1", 9, 0, 1},
        {"negative var refused", "Set -1 5\n Set 9 1", 9, 0, 1},
        // Unsigned compares: -1 is 0xFFFFFFFF.
        {"at least -1 false", "JumpIfAtLeast 9 -1 @t\n Set 8 1\n End\nt:\n Set 8 2", 8, 0, 1},
        {"at least -1 true", "Set 9 -1\n JumpIfAtLeast 9 -1 @t\n Set 8 1\n End\nt:\n Set 8 2", 8, 0,
         2},
        {"at most", "Set 9 4\n JumpIfAtMost 9 4 @t\n Set 8 1\n End\nt:\n Set 8 2", 8, 0, 2},
        {"at least long",
         "SetL 9 0x90000000\n JumpIfAtLeastL 9 0x80000000 @t\n Set 8 1\n End\nt:\n Set 8 2", 8, 0,
         2},
        {"at most long false",
         "SetL 9 0x90000000\n JumpIfAtMostL 9 0x80000000 @t\n Set 8 1\n End\nt:\n Set 8 2", 8, 0,
         1},
    };
    for (const VarCase& vc : cases) {
        SCOPED_TRACE(vc.name);
        ZeroScriptVariables();
        gScriptVars[vc.var] = vc.before;
        WriteTalks(1, std::string("talk 1\n ") + vc.body + "\n End\n");
        RunTalk(1);
        EXPECT_EQ(gScriptVars[vc.var], vc.after);
        EXPECT_TRUE(h.boxes().empty());
    }
}

struct FlagCase {
    const char* name;
    const char* body;
    std::vector<int> set;  // flags set before
    int expectFlag;        // the flag that must end set
    bool expectValue;
};

TEST_F(CommandTest, FlagsAndJumps) {
    const FlagCase cases[] = {
        {"set", "SetFlag 100", {}, 100, true},
        {"clear", "ClearFlag 100", {100}, 100, false},
        {"flag 70", "SetFlag70", {}, 70, true},
        {"flag 19 on", "SetFlag19", {}, 19, true},
        {"flag 19 off", "ClearFlag19", {19}, 19, false},
        {"stop countdown", "StopCountdown", {16, 18, 76}, 18, false},
        {"flag out of the table ignored", "SetFlag 65000\n SetFlag 101", {}, 101, true},
        {"jump if flag", "JumpIfFlag 5 @t\n End\nt:\n SetFlag 101", {5}, 101, true},
        {"jump if flag clear", "JumpIfNotFlag 5 @t\n End\nt:\n SetFlag 101", {5}, 101, false},
        {"all flags, empty list jumps", "JumpIfAllFlags @t\n End\nt:\n SetFlag 101", {}, 101, true},
        {"any flag, empty list goes on",
         "JumpIfAnyFlag @t\n End\nt:\n SetFlag 101",
         {},
         101,
         false},
        {"all flags", "JumpIfAllFlags 5 6 @t\n End\nt:\n SetFlag 101", {5}, 101, false},
        {"any flag", "JumpIfAnyFlag 5 6 @t\n End\nt:\n SetFlag 101", {6}, 101, true},
        {"counter over 1000 stores 0",
         "Counter 1001\n JumpIfCounterAtLeast 1 @t\n End\nt:\n SetFlag 101",
         {},
         101,
         false},
        {"counter at least",
         "Counter 7\n JumpIfCounterAtLeast 7 @t\n End\nt:\n SetFlag 101",
         {},
         101,
         true},
        {"counter past mark",
         "Counter 5\n MarkCounter\n Counter 9\n JumpIfCounterPast 3 @t\n End\nt:\n SetFlag 101",
         {},
         101,
         true},
        {"map", "JumpIfMap 7 @t\n End\nt:\n SetFlag 101", {}, 101, true},
        {"not map", "JumpIfNotMap 7 @t\n End\nt:\n SetFlag 101", {}, 101, false},
        {"random with empty list goes on", "JumpRandom\n SetFlag 101", {}, 101, true},
        {"other talk", "GoTalk 2\n SetFlag 102\ntalk 2\n SetFlag 101\n End", {}, 101, true},
    };
    for (const FlagCase& fc : cases) {
        SCOPED_TRACE(fc.name);
        ResetGameFlags();
        h.boxes().clear();
        gMapId = 7;
        for (int f : fc.set) SetGameFlag(f);
        WriteTalks(1, std::string("talk 1\n ") + fc.body + "\n End\n");
        RunTalk(1);
        EXPECT_EQ(GetGameFlag(fc.expectFlag) != 0, fc.expectValue);
        EXPECT_FALSE(TalkRunning());
        EXPECT_TRUE(h.boxes().empty());
    }
}

TEST_F(CommandTest, RandomJumpUsesTheSeededGenerator) {
    WriteTalks(1,
               "talk 1\n JumpRandom @a @b @c\na:\n Set 9 1\n End\nb:\n Set 9 2\n End\nc:\n Set 9 "
               "3\n End\n");
    InitRandom(99);
    std::vector<u32> want;
    for (int i = 0; i < 20; ++i) want.push_back(RandomN(3) + 1);
    InitRandom(99);
    for (int i = 0; i < 20; ++i) {
        RunTalk(1);
        ASSERT_EQ(gScriptVars[9], want[i]) << i;
    }
}

TEST_F(CommandTest, AnswerJumpTakesTheChosenAnswerAndResetsIt) {
    WriteTalks(
        1, "talk 1\n JumpByAnswer @a @b\n Set 9 7\n End\na:\n Set 9 1\n End\nb:\n Set 9 2\n End\n");
    gChosenAnswer = 1;
    RunTalk(1);
    EXPECT_EQ(gScriptVars[9], 2u);
    EXPECT_EQ(gChosenAnswer, 0u);
    RunTalk(1);
    EXPECT_EQ(gScriptVars[9], 1u);
    gChosenAnswer = 5;  // no such answer: goes on after the list
    RunTalk(1);
    EXPECT_EQ(gScriptVars[9], 7u);
}

TEST_F(CommandTest, ItemTests) {
    gItemCount = 10;
    std::vector<i32> owned(10, 0);
    owned[3] = 4;
    gOwnedItems = owned.data();
    WriteTalks(1,
               "talk 1\n JumpIfHasItem 3 @a\n End\na:\n Set 9 1\n JumpIfLacksItem 4 @b\n End\nb:\n "
               "Set 9 2\n"
               " JumpIfItemAtLeast 3 4 @c\n End\nc:\n Set 9 3\n JumpIfItemAtMost 3 3 @d\n Set 9 "
               "4\n End\nd:\n"
               " Set 9 5\n End\n");
    RunTalk(1);
    EXPECT_EQ(gScriptVars[9], 4u);
    // Ids past the item table up to 299 are items nobody holds; 0 is never lacked.
    WriteTalks(1,
               "talk 1\n Set 9 0\n JumpIfLacksItem 12 @a\n End\na:\n Set 9 1\n"
               " JumpIfLacksItem 299 @b\n End\nb:\n Set 9 2\n JumpIfLacksItem 0 @c\n"
               " Set 9 3\n End\nc:\n Set 9 4\n End\n");
    RunTalk(1);
    EXPECT_EQ(gScriptVars[9], 3u);
    gOwnedItems = nullptr;
    gItemCount = 0;
}

TEST_F(CommandTest, CountdownOfOneMinuteThirtyLasts2700Frames) {
    WriteTalks(1, "talk 1\n Countdown 1 30 5\n End\n");
    RunTalk(1);
    EXPECT_EQ(gStoryCountdown, 2700);
    EXPECT_EQ(gCountdownTalk, 5);
    EXPECT_TRUE(GetGameFlag(16));
    EXPECT_TRUE(GetGameFlag(18));
    StartCountdown(0, 10, 0, 1);
    EXPECT_EQ(gFlagCountdown, 300);
    EXPECT_TRUE(GetGameFlag(74));
}

TEST_F(CommandTest, WaitYieldsForItsMilliseconds) {
    WriteTalks(1, "talk 1\n Wait 100\n SetFlag 101\n End\n");
    StartTalk(1, 1);
    gFrameTime = 1000;
    Talk(&gTalkContext);
    gFrameTime = 1100;
    Talk(&gTalkContext);
    EXPECT_FALSE(GetGameFlag(101));
    gFrameTime = 1101;
    Talk(&gTalkContext);
    EXPECT_TRUE(GetGameFlag(101));
}

TEST_F(CommandTest, QuakeFillsAndEmptiesTheTable) {
    gViewX = 48;
    gViewY = 32;
    WriteTalks(1, "talk 1\n Quake 3 2 -2 0 1\n Wait 1\n QuakeStop\n End\n");
    StartTalk(1, 1);
    Talk(&gTalkContext);
    EXPECT_EQ(gQuakePeriod, 3u);
    EXPECT_EQ(gQuakeBaseX, 48u);
    EXPECT_EQ(gQuakeBaseY, 32u);
    EXPECT_EQ(LoadU16(gQuakeTable + 2), 0xFFFE);
    EXPECT_EQ(gQuakeTable[8], 0xCF);
    RunUntilFree(10);
    EXPECT_EQ(gQuakeTable[0], 0xCF);
}

TEST_F(CommandTest, FontsTakeHeightAndAdvance) {
    WriteTalks(1, "talk 1\n MainFont 16 4\n SecondFont 14 2\n End\n");
    RunTalk(1);
    EXPECT_EQ(gMainFont.GetAdvance(), 20);
    EXPECT_EQ(gSecondFont.GetAdvance(), 16);
    EXPECT_EQ(gDialogTextSize, 10u);
}

TEST_F(CommandTest, NameEntryWaitsForTheThreeFields) {
    WriteTalks(1, "talk 1\n NameEntry 2\n SetFlag 101\n End\n");
    StartTalk(1, 1);
    Talk(&gTalkContext);
    EXPECT_TRUE(GetGameFlag(80));
    EXPECT_TRUE(gRunState & kRunScriptHold);
    for (const char* name : {"Li", "Yue", "Moon"}) {
        cTextBuf* f = GetActiveTextBuf();
        ASSERT_NE(f, nullptr);
        f->InsertText(name);
        TextInputHandleMessage(WM_KEYDOWN, VK_RETURN, 0);
        Talk(&gTalkContext);
    }
    Talk(&gTalkContext);
    EXPECT_TRUE(GetGameFlag(101));
    EXPECT_FALSE(GetGameFlag(80));
    EXPECT_STREQ(gEnteredNames[2][2], "Moon");
    EXPECT_FALSE(gRunState & kRunScriptHold);
}

TEST_F(CommandTest, RoleTests) {
    int a = AddRole(20, 160, 96);
    AddRole(21, 160 + 48, 96);
    (void)a;
    WriteTalks(1,
               "talk 1\n JumpIfSlotAt 1 10 6 @a\n End\na:\n Set 9 1\n JumpIfRolesApart 20 21 3 "
               "@x\n Set 9 2\n"
               " JumpIfRolesApart 20 21 2 @b\n End\nb:\n Set 9 3\n JumpIfInRect 20 10 6 10 6 @c\n "
               "End\nc:\n Set 9 4\n"
               " JumpIfOutsideRect 20 -1 -1 10 -1 @d\n Set 9 5\n JumpIfFarFromPoint 10 6 20 1 @x\n "
               "Set 9 6\n End\n"
               "d:\n Set 9 99\nx:\n End\n");
    RunTalk(1);
    EXPECT_EQ(gScriptVars[9], 6u);
}

}  // namespace
