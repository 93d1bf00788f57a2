// Commands of the story scripts, each written with the assembler and run through the interpreter.
#include <set>

#include "data/GameData.h"
#include "data/GameFlags.h"
#include "engine/GrpFont.h"
#include "engine/Random.h"
#include "engine/Ime.h"
#include "map/ActDraw.h"
#include "map/MapDb.h"
#include "story/CommandHandlers.h"
#include "story/ScriptScene.h"
#include "story/Countdowns.h"
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
    };
    for (const VarCase& vc : cases) {
        SCOPED_TRACE(vc.name);
        ZeroScriptVariables();
        gScriptVars[vc.var] = vc.before;
        Run(vc.body);
        EXPECT_EQ(gScriptVars[vc.var], vc.after);
        EXPECT_TRUE(h.boxes().empty());
    }
}

TEST_F(CommandTest, FlagCommands) {
    const struct {
        const char* body;
        int flag;
        bool set;
    } cases[] = {
        {"SetFlag 100", 100, true},
        {"SetFlag 100\n ClearFlag 100", 100, false},
        {"SetFlag70", 70, true},
        {"SetFlag19", 19, true},
        {"SetFlag 19\n ClearFlag19", 19, false},
        {"SetFlag 16\n SetFlag 18\n SetFlag 76\n StopCountdown", 18, false},
        {"SetFlag 65000\n SetFlag 101", 101, true},  // past the table: ignored
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.body);
        ResetGameFlags();
        Run(k.body);
        EXPECT_EQ(GetGameFlag(k.flag) != 0, k.set);
    }
}

// Each jump goes to "t:", which sets flag 101, or on to the end.
TEST_F(CommandTest, ConditionalJumps) {
    std::vector<i32> owned(10, 0);
    owned[3] = 4;  // four of item 3
    gItemCount = 10;
    gOwnedItems = owned.data();
    AddRole(20, 160, 96);  // slot 1, cell (10, 6)
    AddRole(21, 160 + 48, 96);
    gMapId = 7;
    const struct {
        const char* body;  // the jump and what comes before it
        bool taken;
    } cases[] = {
        {"SetFlag 5\n JumpIfFlag 5 @t", true},
        {"SetFlag 5\n JumpIfNotFlag 5 @t", false},
        {"JumpIfAllFlags @t", true},  // an empty list
        {"JumpIfAnyFlag @t", false},
        {"SetFlag 5\n JumpIfAllFlags 5 6 @t", false},
        {"SetFlag 6\n JumpIfAnyFlag 5 6 @t", true},
        {"Counter 1001\n JumpIfCounterAtLeast 1 @t", false},  // over 1000 stores 0
        {"Counter 7\n JumpIfCounterAtLeast 7 @t", true},
        {"Counter 5\n MarkCounter\n Counter 9\n JumpIfCounterPast 3 @t", true},
        {"JumpIfMap 7 @t", true},
        {"JumpIfNotMap 7 @t", false},
        // Unsigned compares: -1 is 0xFFFFFFFF.
        {"JumpIfAtLeast 9 -1 @t", false},
        {"Set 9 -1\n JumpIfAtLeast 9 -1 @t", true},
        {"Set 9 4\n JumpIfAtMost 9 4 @t", true},
        {"SetL 9 0x90000000\n JumpIfAtLeastL 9 0x80000000 @t", true},
        {"SetL 9 0x90000000\n JumpIfAtMostL 9 0x80000000 @t", false},
        {"JumpIfHasItem 3 @t", true},
        {"JumpIfLacksItem 4 @t", true},
        {"JumpIfItemAtLeast 3 4 @t", true},
        {"JumpIfItemAtMost 3 3 @t", false},
        // Ids past the item table up to 299 are items nobody holds; 0 is never lacked.
        {"JumpIfLacksItem 12 @t", true},
        {"JumpIfLacksItem 299 @t", true},
        {"JumpIfLacksItem 0 @t", false},
        {"JumpIfSlotAt 1 10 6 @t", true},
        {"JumpIfRolesApart 20 21 3 @t", false},  // three cells apart
        {"JumpIfRolesApart 20 21 2 @t", true},
        {"JumpIfInRect 20 10 6 10 6 @t", true},
        {"JumpIfOutsideRect 20 -1 -1 10 -1 @t", false},
        {"JumpIfFarFromPoint 10 6 20 1 @t", false},
        {"JumpRandom\n SetFlag 101", true},  // an empty list goes on
        {"GoTalk 2\n End\ntalk 2\n SetFlag 101", true},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.body);
        ResetGameFlags();
        ZeroScriptVariables();
        Run(std::string(k.body) + "\n End\nt:\n SetFlag 101");
        EXPECT_EQ(GetGameFlag(101) != 0, k.taken);
        EXPECT_FALSE(TalkRunning());
        EXPECT_TRUE(h.boxes().empty());
    }
    gOwnedItems = nullptr;
    gItemCount = 0;
}

// Over many runs every target of the list is taken and nothing past it.
TEST_F(CommandTest, RandomJumpTakesEachTargetOfItsList) {
    WriteTalks(1,
               "talk 1\n JumpRandom @a @b @c\n Set 9 9\n End\na:\n Set 9 1\n End\nb:\n Set 9 "
               "2\n End\nc:\n Set 9 3\n End\n");
    InitRandom(99);
    std::set<u32> seen;
    for (int i = 0; i < 60; ++i) {
        RunTalk(1);
        seen.insert(gScriptVars[9]);
    }
    EXPECT_EQ(seen, (std::set<u32>{1, 2, 3}));
}

TEST_F(CommandTest, AnswerJumpTakesTheChosenAnswerAndResetsIt) {
    WriteTalks(
        1, "talk 1\n JumpByAnswer @a @b\n Set 9 7\n End\na:\n Set 9 1\n End\nb:\n Set 9 2\n End\n");
    // Answer 5 does not exist: the talk goes on after the list.
    const std::pair<u32, u32> answers[] = {{1, 2}, {0, 1}, {5, 7}};
    for (const auto& [answer, var] : answers) {
        gChosenAnswer = answer;
        RunTalk(1);
        EXPECT_EQ(gScriptVars[9], var) << answer;
        EXPECT_EQ(gChosenAnswer, 0u) << answer;
    }
}

TEST_F(CommandTest, CountdownOfOneMinuteThirtyLasts2700Frames) {
    Run("Countdown 1 30 5");
    EXPECT_EQ(gStoryCountdown, 2700);
    EXPECT_EQ(gCountdownTalk, 5);
    EXPECT_TRUE(GetGameFlag(16));
    EXPECT_TRUE(GetGameFlag(18));
    StartCountdown(0, 10, 0, 1);
    EXPECT_EQ(gFlagCountdown, 300);
    EXPECT_TRUE(GetGameFlag(74));
}

TEST_F(CommandTest, WaitYieldsForItsMilliseconds) {
    Start("Wait 100\n SetFlag 101");
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
    Start("Quake 3 2 -2 0 1\n Wait 1\n QuakeStop");
    Talk(&gTalkContext);
    EXPECT_EQ(std::tuple(gQuakePeriod, gQuakeBaseX, gQuakeBaseY), std::tuple(3u, 48u, 32u));
    EXPECT_EQ(LoadU16(gQuakeTable + 2), 0xFFFE);
    EXPECT_EQ(gQuakeTable[8], 0xCF);
    RunUntilFree(10);
    EXPECT_EQ(gQuakeTable[0], 0xCF);
}

TEST_F(CommandTest, FontsTakeHeightAndAdvance) {
    Run("MainFont 20 4\n SecondFont 14 2");
    EXPECT_EQ(gMainFont.GetAdvance(), 24);
    EXPECT_EQ(gSecondFont.GetAdvance(), 16);
    EXPECT_EQ(gDialogTextSize, 11u) << "(20 + 2) / 2, as at start-up";
}

TEST_F(CommandTest, NameEntryWaitsForTheThreeFields) {
    Start("NameEntry 2\n SetFlag 101");
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

// ---- Map entry points on a hand-made database ----

class MapEntryPointTest : public StoryFixture {
protected:
    // A database of the field list and a table 5 of (map, x, y) rows at offset at.
    void Install(std::vector<std::array<u16, 3>> rows, bool withEnd = true, u32 tableAt = 0) {
        ByteWriter w;
        w.Zeros(27 * 4);
        u32 at = tableAt ? tableAt : static_cast<u32>(w.size());
        w.PatchU32(5 * 4, at);
        for (auto& r : rows)
            for (u16 v : r) w.U16(v);
        if (withEnd) w.U16(0xFFFF);
        SetMapDatabase(w.bytes().data(), static_cast<u32>(w.size()));
    }
    u16 Word(u32 off) { return LoadU16(gMapDatabase + off); }
    void TearDown() override { FreeMapDatabase(); }
};

TEST_F(MapEntryPointTest, WritesTheMapsRowAndTheCurrentMapsValues) {
    Install({{3, 1, 2}, {7, 3, 4}});
    gMapId = 7;
    // The rows' x words, at 27 * 4 + 2 and 6 further; the current map's values.
    auto state = [this] {
        return std::tuple(Word(27 * 4 + 2), Word(27 * 4 + 8), Word(27 * 4 + 10),
                          gScriptScene.entryX, gScriptScene.entryY, gScriptScene.entryValue);
    };
    // The other map's row is untouched.
    Run("MapEntryPoint 7 11 12 5");
    EXPECT_EQ(state(), std::tuple(1, 11, 12, 11, 12, 5));
    // Another map's row changes without touching the current map's values.
    Run("MapEntryPoint 3 8 9 1");
    EXPECT_EQ(state(), std::tuple(8, 11, 12, 11, 12, 5));
    // A map with no row: nothing written, the current map's values still taken.
    gMapId = 9;
    Run("MapEntryPoint 9 21 22 23");
    EXPECT_EQ(state(), std::tuple(8, 11, 12, 21, 22, 23));
}

TEST_F(MapEntryPointTest, BadTablesAreNeverWrittenPast) {
    // A row cut by the database's end, no end row.
    Install({{3, 1, 2}}, false);
    u32 size = gMapDatabaseSize;
    std::vector<u8> image(gMapDatabase, gMapDatabase + size - 2);  // the last word cut off
    SetMapDatabase(image.data(), static_cast<u32>(image.size()));
    Run("MapEntryPoint 3 40 41 0");
    EXPECT_EQ(Word(27 * 4 + 2), 1);
    // A table offset past the database, and a database with no table at all.
    for (u32 at : {100000u, 0xFFFFFFFEu}) {
        Install({{3, 1, 2}}, true, at);
        Run("MapEntryPoint 3 40 41 0");
        EXPECT_EQ(Word(27 * 4 + 2), 1) << at;
    }
    ByteWriter none;
    none.Zeros(27 * 4 + 8);
    SetMapDatabase(none.bytes().data(), static_cast<u32>(none.size()));
    Run("MapEntryPoint 0 40 41 0");
    for (u32 k = 0; k < none.size(); ++k) EXPECT_EQ(gMapDatabase[k], 0) << k;
    // Too small to hold the field: nothing read.
    std::vector<u8> tiny(8, 0);
    SetMapDatabase(tiny.data(), 8);
    Run("MapEntryPoint 0 40 41 0");
    EXPECT_FALSE(TalkRunning());
}

}  // namespace
