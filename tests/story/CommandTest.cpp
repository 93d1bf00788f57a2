// The interpreter and the commands of the story scripts, each written with the
// assembler and run through it: talk numbering, loading, the window, the run
// loop and bad scripts; variables, flags and jumps; role acts, speed, the
// control lock, presence and state; party, item, money, role-value, screen,
// shop, quest and battle commands; map entry points on a hand-made database.

#include "data/GameDatabase.h"
#include "data/ShopData.h"
#include "engine/Ime.h"
#include "engine/Random.h"
#include "map/MapDb.h"
#include "menu/ItemFrame.h"
#include "mhdata/Databases.h"
#include "mhdata/Shops.h"
#include "story/CommandHandlers.h"
#include "story/PartyCommands.h"
#include "story/StoryTestUtil.h"
#include "ui/ScreenLink.h"

namespace {

using CommandTest = StoryFixture;

TEST_F(CommandTest, TheWindowIsReadAgainNumberingLoadingAndMissingFiles) {
    // 6000 six-byte commands (36,000 bytes) before the end: the window is read again.
    std::string src = "talk 1\n";
    for (int i = 0; i < 6000; ++i) src += " Add 7 1\n";
    src += " SetFlag 300\n End\n";
    WriteTalks(1, src);
    RunTalk(1);
    EXPECT_EQ(std::tuple(gScriptVars[7], GetGameFlag(300), h.boxes().size()),
              std::tuple(6000u, 1, 0u));
    // A jump back to a command inside the window reads it from the file again:
    // what was written into the window meanwhile is gone.
    gScriptVars[7] = 0;
    WriteTalks(1,
               "talk 1\ntop:\n Add 7 1\n JumpIfAtLeast 7 2 @end\n SetFlag70\n Jump @top\n"
               "end:\n End\n");
    StartTalk(1, 1);
    Talk(&gTalkContext);
    ASSERT_EQ(std::tuple(gScriptVars[7], LoadU16(gTalkBuffer)), std::tuple(1u, 0x1E));
    StoreU16(gTalkBuffer + 4, 5);  // the value operand of "Add 7 1"
    RunUntilFree(5);
    EXPECT_EQ(gScriptVars[7], 2u);
    // The timer variables count down on every call.
    std::tie(gScriptVars[1], gScriptVars[2]) = std::tuple(2, 1);
    for (int i = 0; i < 3; ++i) Talk(&gTalkContext);
    EXPECT_EQ(std::tuple(gScriptVars[1], gScriptVars[2]), std::tuple(0u, 0u));
    // Run-on mode runs yielding commands in one frame; RunOff stops the frame.
    ResetGameFlags();
    Start("RunOn\n SetFlag70\n SetFlag19\n RunOff\n SetFlag 300");
    Talk(&gTalkContext);
    EXPECT_EQ(std::tuple(GetGameFlag(70), GetGameFlag(19), GetGameFlag(300)), std::tuple(1, 1, 0));
    Talk(&gTalkContext);
    EXPECT_TRUE(GetGameFlag(300));
    // Each talk sets its own flag, so the right entry of the right file ran: talk 0
    // is entry 1000 of file 1, talk 1001 the first of file 2.
    WriteTalks(1, "talk 1000\n SetFlag 300\n End\n");
    WriteTalks(2, "talk 1001\n SetFlag 301\n End\ntalk 2000\n SetFlag 302\n End\n");
    const std::pair<int, int> talks[] = {{0, 300}, {1000, 300}, {1001, 301}, {2000, 302}};
    for (const auto& [talk, flag] : talks) {
        ResetGameFlags();
        RunTalk(talk);
        for (int f = 300; f <= 302; ++f) EXPECT_EQ(GetGameFlag(f) != 0, f == flag) << talk;
    }
    // A talk waits for its owner to stand on the grid.
    gMapRoles[0].x = 68;
    Start("SetFlag 300");
    for (int i = 0; i < 3; ++i) Talk(&gTalkContext);
    EXPECT_TRUE(TalkRunning());
    gMapRoles[0].x = 80;
    Talk(&gTalkContext);
    EXPECT_FALSE(TalkRunning());
    // The load locks player control; the end frees everything.
    Start("Set 5 1\n Wait 100");
    Talk(&gTalkContext);
    EXPECT_EQ(std::tuple(gTalkFlags & kTalkLockBit, gScriptVars[5]), std::tuple(kTalkLockBit, 1u));
    RunUntilFree(20);
    EXPECT_FALSE(gTalkFlags & kTalkLockBit);
    const u8* raw = reinterpret_cast<const u8*>(&gTalkContext);
    for (size_t i = 0; i < sizeof(gTalkContext); ++i) ASSERT_EQ(raw[i], 0xFF) << i;
    EXPECT_EQ(Talk(&gTalkContext), 1);
    // A missing file shows its box, the first of this test, and closes the window.
    h.CreateMainWindow();
    StartTalk(2500, 1);  // file 3, which is not there
    EXPECT_EQ(Talk(&gTalkContext), 0);
    ASSERT_EQ(std::tuple(h.boxes().size(), TalkRunning()), std::tuple(1u, false));
    EXPECT_EQ(h.boxes()[0].text, Utf8ToBig5("找不到 Talk3"));
    h.RunFrames(2);
    EXPECT_TRUE(h.quit());
}

// The first entry's offset, counted from 0x200, in its low and high words.
constexpr u32 kFirst = 4 * kTalkEntries;
constexpr u16 kFirstLo = kFirst & 0xFFFF, kFirstHi = kFirst >> 16;

// A file of a zeroed head of this size, then these words.
std::vector<u8> WordsAfter(size_t head, const std::vector<u16>& words) {
    std::vector<u8> f(head, 0);
    for (u16 w : words) {
        f.push_back(static_cast<u8>(w));
        f.push_back(static_cast<u8>(w >> 8));
    }
    return f;
}

// A talk file whose entry 1 is entry1, followed by these words.
std::vector<u8> TalkFileOf(u32 entry1, const std::vector<u16>& words) {
    std::vector<u8> f = WordsAfter(kTalkBase + kFirst, words);
    StoreU32(&f[kTalkBase + 4], entry1);
    return f;
}

// Every bad script is reported once and ends the talk; an undefined command
// names both its opcodes.
TEST_F(CommandTest, BadScriptsAreReportedOnceAndEndTheTalk) {
    const struct {
        const char* name;
        std::vector<u8> file;
        const char* text = nullptr;  // how the box's words end, in UTF-8, where checked
    } cases[] = {
        {"entry 0", TalkFileOf(0, {})},
        {"entry past the file", TalkFileOf(0x100000, {})},
        {"truncated offset table", std::vector<u8>(0x300, 0)},
        {"undefined opcode", TalkFileOf(kFirst, {0x0058})},
        {"filler", TalkFileOf(kFirst, {0x0C0C, 0x0C0C})},
        {"command cut by the file end", TalkFileOf(kFirst, {0x001D, 5})},
        // "abcdef" and no text mark after it.
        {"text without its mark", TalkFileOf(kFirst, {0x0001, 0xFFF1, 0x6261, 0x6463, 0x6665})},
        // 4 * 1001 + 1 = 0xFA5: a word's half.
        {"odd target", TalkFileOf(kFirst, {0x000F, kFirstLo + 1, kFirstHi, 0x3FFF}),
         "jump target 0xFA5 lies outside the file"},
        {"target past the file", TalkFileOf(kFirst, {0x000F, 0xFFF0, 0x7FFF}),
         "jump target 0x7FFFFFF0 lies outside the file"},
        {"endless loop", TalkFileOf(kFirst, {0x000F, kFirstLo, kFirstHi})},
        {"command of another family", TalkFileOf(kFirst, {0x0077, 0})},
        {"two undefined opcodes", TalkFileOf(kFirst, {0x0402, 0x00BA}),
         "沒有指令(186,ba),(1026,402)"},
    };
    for (const auto& bc : cases) {
        SCOPED_TRACE(bc.name);
        h.boxes().clear();
        WriteTalkFile(1, bc.file);
        StartTalk(1, 1);
        for (int i = 0; i < 5; ++i) Talk(&gTalkContext);
        ASSERT_EQ(std::tuple(TalkRunning(), h.boxes().size(), gTalkFlags & kTalkLockBit),
                  std::tuple(false, 1u, 0u));
        if (bc.text) {
            EXPECT_TRUE(h.boxes()[0].text.ends_with(Utf8ToBig5(bc.text))) << h.boxes()[0].text;
            EXPECT_EQ(h.boxes()[0].caption, Utf8ToBig5("對話系統"));
        }
    }
}

TEST_F(CommandTest, VariablesFlagsAndConditionalJumps) {
    // Name, body (run in talk 1, then "End"), variable, its value before and after.
    const std::tuple<const char*, const char*, int, u32, u32> vars[] = {
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
    for (const auto& [name, body, var, before, after] : vars) {
        ZeroScriptVariables();
        gScriptVars[var] = before;
        Run(body);
        EXPECT_EQ(std::tuple(gScriptVars[var], h.boxes().size()), std::tuple(after, 0u)) << name;
    }
    // Each jump goes to "t:", which sets flag 101, or on to the end.
    std::vector<i32> owned(10, 0);
    owned[3] = 4;  // four of item 3
    std::tie(gItemCount, gOwnedItems) = std::tuple(10, owned.data());
    AddRole(20, 160, 96);  // slot 1, cell (10, 6)
    AddRole(21, 160 + 48, 96);
    gMapId = 7;
    // The jump and what comes before it; whether it is taken.
    const std::pair<const char*, bool> cases[] = {
        {"SetFlag 100\n JumpIfFlag 100 @t", true},
        {"SetFlag 100\n ClearFlag 100\n JumpIfFlag 100 @t", false},
        {"SetFlag70\n JumpIfFlag 70 @t", true},
        {"SetFlag19\n JumpIfFlag 19 @t", true},
        {"SetFlag 19\n ClearFlag19\n JumpIfFlag 19 @t", false},
        {"SetFlag 16\n SetFlag 18\n SetFlag 76\n StopCountdown\n JumpIfFlag 18 @t", false},
        {"SetFlag 65000\n Jump @t", true},  // past the table: ignored
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
    for (const auto& [body, taken] : cases) {
        ResetGameFlags();
        ZeroScriptVariables();
        Run(std::string(body) + "\n End\nt:\n SetFlag 101");
        EXPECT_EQ(std::tuple(GetGameFlag(101) != 0, TalkRunning(), h.boxes().size()),
                  std::tuple(taken, false, 0u))
            << body;
    }
    std::tie(gOwnedItems, gItemCount) = std::tuple(nullptr, 0);
}

// Over many runs every target of the list is taken and nothing past it.
TEST_F(CommandTest, JumpsCountdownsWaitQuakeFontsAndNameEntry) {
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
    // The answer jump takes the chosen answer and resets it.
    WriteTalks(
        1, "talk 1\n JumpByAnswer @a @b\n Set 9 7\n End\na:\n Set 9 1\n End\nb:\n Set 9 2\n End\n");
    // Answer 5 does not exist: the talk goes on after the list.
    const std::pair<u32, u32> answers[] = {{1, 2}, {0, 1}, {5, 7}};
    for (const auto& [answer, var] : answers) {
        gChosenAnswer = answer;
        RunTalk(1);
        EXPECT_EQ(std::tuple(gScriptVars[9], gChosenAnswer), std::tuple(var, 0u)) << answer;
    }
    // A countdown of one minute thirty lasts 2700 frames.
    Run("Countdown 1 30 5");
    EXPECT_EQ(std::tuple(gStoryCountdown, gCountdownTalk, GetGameFlag(16), GetGameFlag(18)),
              std::tuple(2700, 5, 1, 1));
    StartCountdown(0, 10, 0, 1);
    EXPECT_EQ(std::tuple(gFlagCountdown, GetGameFlag(74)), std::tuple(300, 1));
    // The wait yields for its milliseconds.
    Start("Wait 100\n SetFlag 101");
    for (u32 t : {1000u, 1100u, 1101u}) {
        gFrameTime = t;
        Talk(&gTalkContext);
        EXPECT_EQ(GetGameFlag(101), t == 1101) << t;
    }
    // The quake fills and empties its table.
    std::tie(gViewX, gViewY) = std::tuple(48, 32);
    Start("Quake 3 2 -2 0 1\n Wait 1\n QuakeStop");
    Talk(&gTalkContext);
    EXPECT_EQ(std::tuple(gQuakePeriod, gQuakeBaseX, gQuakeBaseY, LoadU16(gQuakeTable + 2),
                         gQuakeTable[8]),
              std::tuple(3u, 48u, 32u, 0xFFFE, 0xCF));
    RunUntilFree(10);
    EXPECT_EQ(gQuakeTable[0], 0xCF);
    // Fonts take height and advance; the box text size is (20 + 2) / 2, as at start-up.
    Run("MainFont 20 4\n SecondFont 14 2");
    EXPECT_EQ(std::tuple(gMainFont.GetAdvance(), gSecondFont.GetAdvance(), gDialogTextSize),
              std::tuple(24, 16, 11u));
    // The name entry waits for its three fields.
    Start("NameEntry 2");
    Talk(&gTalkContext);
    EXPECT_EQ(std::tuple(GetGameFlag(80), gRunState & kRunScriptHold),
              std::tuple(1, kRunScriptHold));
    for (const char* name : {"Li", "Yue", "Moon"}) {
        ASSERT_NE(GetActiveTextBuf(), nullptr);
        GetActiveTextBuf()->InsertText(name);
        TextInputHandleMessage(WM_KEYDOWN, VK_RETURN, 0);
        Talk(&gTalkContext);
    }
    Talk(&gTalkContext);
    EXPECT_EQ(std::tuple(TalkRunning(), GetGameFlag(80), gRunState & kRunScriptHold,
                         std::string(gEnteredNames[2][2])),
              std::tuple(false, 0, 0u, "Moon"));
}

// ---- Map entry points on a hand-made database ----

class MapEntryPointTest : public StoryFixture {
protected:
    // A database of the field list and a table 5 of (map, x, y) rows at offset
    // at (0: after the list); cut bytes off its end.
    static std::vector<u8> Db(std::vector<std::array<u16, 3>> rows, bool withEnd = true,
                              u32 tableAt = 0, size_t cut = 0) {
        ByteWriter w;
        w.Zeros(27 * 4);
        w.PatchU32(5 * 4, tableAt ? tableAt : static_cast<u32>(w.size()));
        for (auto& r : rows)
            for (u16 v : r) w.U16(v);
        if (withEnd) w.U16(0xFFFF);
        return {w.bytes().begin(), w.bytes().end() - cut};
    }
    static void Install(const std::vector<u8>& db) {
        SetMapDatabase(db.data(), static_cast<u32>(db.size()));
    }
    u16 Word(u32 off) { return LoadU16(gMapDatabase + off); }
    void TearDown() override { FreeMapDatabase(); }
};

TEST_F(MapEntryPointTest, RowsValuesAndBadTables) {
    Install(Db({{3, 1, 2}, {7, 3, 4}}));
    // The rows' x words, at 27 * 4 + 2 and 6 further; the current map's values.
    auto state = [this] {
        return std::array<i32, 6>{Word(27 * 4 + 2),    Word(27 * 4 + 8),
                                  Word(27 * 4 + 10),   gScriptScene.entryX,
                                  gScriptScene.entryY, gScriptScene.entryValue};
    };
    // The current map, the command, the state it leaves: the other map's row is
    // untouched; another map's row changes without touching the current map's
    // values; a map with no row has nothing written, its values still taken.
    const std::tuple<u32, const char*, std::array<i32, 6>> steps[] = {
        {7, "MapEntryPoint 7 11 12 5", {1, 11, 12, 11, 12, 5}},
        {7, "MapEntryPoint 3 8 9 1", {8, 11, 12, 11, 12, 5}},
        {9, "MapEntryPoint 9 21 22 23", {8, 11, 12, 21, 22, 23}}};
    for (const auto& [map, body, want] : steps) {
        gMapId = map;
        Run(body);
        EXPECT_EQ(state(), want) << body;
    }
    // A row cut by the database's end (no end row, its last word cut off), a
    // table offset past the database: the row is left as it was.
    for (const auto& db : {Db({{3, 1, 2}}, false, 0, 2), Db({{3, 1, 2}}, true, 100000),
                           Db({{3, 1, 2}}, true, 0xFFFFFFFEu)}) {
        Install(db);
        Run("MapEntryPoint 3 40 41 0");
        EXPECT_EQ(Word(27 * 4 + 2), 1) << db.size();
    }
    // A database with no table at all, and one too small to hold the field:
    // nothing written.
    for (size_t size : {27 * 4 + 8, 8}) {
        std::vector<u8> db(size, 0);
        Install(db);
        Run("MapEntryPoint 0 40 41 0");
        EXPECT_EQ(std::tuple(std::vector<u8>(gMapDatabase, gMapDatabase + size), TalkRunning()),
                  std::tuple(db, false));
    }
}

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

TEST_F(RoleCommandTest, ActsSpeedWordsTheControlLockStateBitsAndThePlayerRole) {
    // Name, body, and the act, action and direction it leaves.
    const std::tuple<const char*, const char*, i32, i32, i32> cases[] = {
        {"action", "SetAction 40 3", 0, 3, 0},
        {"direction", "SetDir 40 6", 0, 0, 6},
        {"act", "SetAct 40 9001", 9001, 0, 0},
        {"coalesced", "SetAct 40 9001\n SetAction 40 2\n SetDir 40 5", 9001, 2, 5},
        {"from a variable", "Set 20 7\n SetDirFromVar 40 20", 0, 0, 7},
        {"from a role value", "SetActionFromValue 40 2", 0, 5, 0},
        {"all three", "SetActAll 40 9002 1 3 0", 9002, 1, 3},
        {"owner reference", "SetAction 0xFFF0 4", 0, 4, 0},
    };
    for (const auto& [name, body, a, action, dir] : cases) {
        act = ActPlayer{};
        Run(body, 40);
        EXPECT_EQ(std::tuple(act.act, act.action, act.dir), std::tuple(a, action, dir)) << name;
    }
    // An act change followed by another for the same role only stores its
    // value, in every form: only the last of a row is stepped. No act of this
    // fixture has frames, so each step shows one box.
    h.boxes().clear();
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
        act = ActPlayer{};
        Run(std::string("Set 21 9001\n Set 22 1\n ") + body);
        EXPECT_EQ(std::tuple(act.act, TakeBoxes(h)), std::tuple(9001, 1u)) << body;
    }
    // A role off the map keeps its act in its record, and the act test reads it
    // there; a role that is nowhere skips the test.
    Run("SetAction 41 6\n SetDir 41 2\n SetAct 41 77\n SetTalkNumber 41 123");
    i32 row = FindRecord(41);
    // Words 2, 3, 4: act, action, direction; word 7 the talk.
    EXPECT_EQ(std::tuple(RecordWord(row, 2), RecordWord(row, 3), RecordWord(row, 4),
                         RecordWord(row, 7), h.boxes().size()),
              std::tuple(77, 6, 2, 123, 0u));
    // The jump is taken (flag 301) only when the act differs.
    const std::pair<const char*, bool> jumps[] = {{"JumpIfActNot 41 77 @o", false},
                                                  {"JumpIfActNot 41 78 @o", true},
                                                  {"JumpIfActNot 42 78 @o", false}};
    for (const auto& [jump, taken] : jumps) {
        ResetGameFlags();
        Run(std::string(jump) + "\n SetFlag 300\n End\no:\n SetFlag 301");
        EXPECT_EQ(std::tuple(GetGameFlag(300), GetGameFlag(301)), std::tuple(!taken, taken))
            << jump;
    }
    const std::pair<const char*, u16> speeds[] = {{"SetActSpeed 40 5", 0x8005},
                                                  {"SetActSpeedRaw 40 5", 5},
                                                  {"StopActSpeed 40", 0xFFFF},
                                                  {"ClearActSpeed 40", 0}};
    for (const auto& [cmd, word] : speeds) {
        Run(cmd);
        EXPECT_EQ(act.delayOverride, word) << cmd;
    }
    // The control lock: unlocked by the script, and the talk end lets go again.
    Start("UnlockControl\n Set 1 1\n Wait 5\n LockControl\n Wait 5");
    for (int limit : {3, 50}) {
        RunUntilFree(limit);
        EXPECT_EQ(gTalkFlags & kTalkLockBit, 0u) << limit;
    }
    // State bits, on and off the map.
    const std::tuple<const char*, u32> bits[] = {{"StateBit40", 0x40},   {"StateBit20", 0x20},
                                                 {"StateBit10", 0x10},   {"StateBit1000", 0x1000},
                                                 {"StateBit800", 0x800}, {"StateBit2000", 0x2000},
                                                 {"StateBit100", 0x100}, {"StateBit4000", 0x4000}};
    for (const auto& [cmd, bit] : bits) {
        SCOPED_TRACE(cmd);
        for (u32 on : {1u, 0u}) {
            std::string v = on ? " 1" : " 0";
            Run(std::string(cmd) + " 40" + v + "\n " + cmd + " 41" + v);
            EXPECT_EQ(std::tuple(gMapRoles[slot].state & bit, RecordWord(FindRecord(41), 10) & bit),
                      std::tuple(on * bit, on * bit));
        }
        EXPECT_TRUE(RecordWord(FindRecord(41), 10) & kRoleShown);
    }
    Run("SetBit400 40\n SetBit4000000 40\n SetBit40000 40");
    EXPECT_EQ(gMapRoles[slot].state & 0x4040400u, 0x4040400u);
    Run("ClearBit400 40\n SetBit400 41");
    EXPECT_EQ(std::tuple(gMapRoles[slot].state & 0x400, RecordWord(FindRecord(41), 10) & 0x400),
              std::tuple(0u, 0x400));
    // Presence is a state bit of its own, on and off the map.
    for (const char* cmd : {"HideRole", "ShowRole"}) {
        bool shown = cmd[0] == 'S';
        Run(std::string(cmd) + " 40\n " + cmd + " 41");
        EXPECT_EQ(std::tuple((gMapRoles[slot].state & kRoleShown) != 0,
                             (RecordWord(FindRecord(41), 10) & kRoleShown) != 0),
                  std::tuple(shown, shown))
            << cmd;
    }
    Run("SetAction 999 3\n SetActSpeed 999 2\n StateBit40 999 1\n HideRole 999\n SetPlayerRole "
        "999\n SetFlag 310");
    EXPECT_EQ(std::tuple(GetGameFlag(310), gPlayerSlot), std::tuple(1, 0));
    Run("SetPlayerRole 40");
    EXPECT_EQ(std::tuple(gPlayerSlot, gPlayerId), std::tuple(slot, 40));
}

struct PartyCommandTest : StoryFixture {
    std::vector<u8> records;

    void SetUp() override {
        StoryFixture::SetUp();
        std::string error;
        ASSERT_TRUE(WriteDatabases(h.root(), MakeSampleDatabases(), &error)) << error;
        LoadGameDatabase(h.root().c_str());
        for (RoleStats& s : gRoleStats)
            std::tie(s.maxHp, s.hp, s.maxMp, s.mp, s.status) = std::tuple(100, 40, 50, 5, 0);
        // Role records 2801, 2761, 7 and 8 (word 12 holds the two role values).
        records = RoleRecords({2801, 2761, 7, 8}, 5, 0, 0x0302);
        ASSERT_TRUE(BindRoleRecords(records.data(), records.size()));
    }
    // The first four places of a role table.
    static std::vector<i32> FirstFour(const i32* table) { return {table, table + 4}; }
    i32 Value(u16 id, int which) {
        i32 v = -1;
        EXPECT_TRUE(AccessRoleValue(id, which, &v, 1));
        return v;
    }
};

TEST_F(PartyCommandTest, ItemsEquipmentJoinLeaveAndRoleValues) {
    std::tie(gOwnedItems[3], gOwnedItems[4]) = std::tuple(10, 5);
    Run("AddItem 3 150\n AddItem 4 -20\n AddItem 5 7");
    EXPECT_EQ(std::tuple(gOwnedItems[3], gOwnedItems[4], gOwnedItems[5]), std::tuple(99, 0, 7));
    // Item numbers past the table are ignored.
    Run("AddItem 299 5");
    // Equipment record 1: three owned pieces; k <= 0 and a record past the table add none.
    auto pieces = [] {
        int n = 0;
        for (const EquipageData& e : gOwnedEquipage)
            if (e.id == gEquipages[1].id) ++n;
        return n;
    };
    int before = pieces();
    Run("AddItem 301 3\n AddItem 301 -2\n AddItem 0xFFFF 1");
    EXPECT_EQ(std::tuple(pieces(), h.boxes().size()), std::tuple(before + 3, 0u));
    for (int i = 0; i < kPartySize; ++i) gParty[i] = gFormation[i] = -1;
    std::tie(gRoleStats[2].status, gRoleStats[2].hp) = std::tuple(0x4000, 0);
    Run("JoinParty 1\n JoinParty 2\n JoinParty 3\n JoinParty 2");
    EXPECT_EQ(FirstFour(gParty), (std::vector<i32>{0, 1, 2, -1}));
    // Joining restores fully, fallen or not.
    EXPECT_EQ(std::tuple(gRoleStats[2].hp, gRoleStats[2].status), std::tuple(100, 0));
    std::tie(gRoleStats[2].status, gRoleStats[2].hp) = std::tuple(0x4000, 0);
    // The formation stands 2, -, 1, 0 (back row to the front): leaving frees
    // the role's place and moves no one.
    const i32 formation[4] = {2, -1, 1, 0};
    std::copy(formation, formation + 4, gFormation);
    Run("LeaveParty 2");
    // A fallen member that stays gets up with 1 HP.
    EXPECT_EQ(std::tuple(FirstFour(gParty), FirstFour(gFormation), gRoleStats[2].hp,
                         gRoleStats[2].status),
              std::tuple(std::vector<i32>{0, 2, -1, -1}, std::vector<i32>{2, -1, -1, 0}, 1, 0));
    // Role values and their faults.
    // Name, body, which role value of role 7 to read, and its value (or, when
    // which is 0, the flag 300 outcome).
    const std::tuple<const char*, const char*, int, i32> cases[] = {
        {"read low", "", 1, 2},
        {"read high", "", 2, 3},
        {"set keeps 8 bits", "SetRoleValue 7 1 0x1FF", 1, 0xFF},
        {"add wraps", "AddRoleValue 7 2 254", 2, 1},
        {"sub", "SubRoleValue 7 1 1", 1, 1},
        {"at least jumps", "JumpIfRoleValueAtLeast 7 1 2 @t\n End\nt:\n SetFlag 300", 0, 1},
        {"at most stays", "JumpIfRoleValueAtMost 7 2 2 @t\n End\nt:\n SetFlag 300", 0, 0},
        {"equal", "JumpIfRoleValue 7 2 3 @t\n End\nt:\n SetFlag 300", 0, 1},
        {"switch", "JumpByRoleValue 7 1 @a @a @t\n End\na:\n End\nt:\n SetFlag 300", 0, 1},
        {"compare", "JumpIfRoleValueNotBelow 8 2 7 1 @t\n End\nt:\n SetFlag 300", 0, 1},
        {"swap", "SetRoleValue 8 1 9\n SwapRoleValues 7 1 8 1", 1, 9},
    };
    for (const auto& [name, body, which, expect] : cases) {
        for (u16 id : {7, 8}) {
            i32 lo = 2, hi = 3;
            AccessRoleValue(id, 1, &lo, 2);
            AccessRoleValue(id, 2, &hi, 2);
        }
        ClearGameFlag(300);
        Run(body);
        EXPECT_EQ(std::tuple(which ? Value(7, which) : GetGameFlag(300), h.boxes().size()),
                  std::tuple(expect, 0u))
            << name;
    }
    // Value 2 with a switch of two targets is too large: that command is skipped too.
    for (const char* fault : {"SetRoleValue 4444 1 5", "JumpByRoleValue 7 2 @a @a",
                              "JumpIfRoleValueNotBelow 7 1 4444 1 @a"}) {
        ClearGameFlag(301);
        Run(std::string(fault) + "\n SetFlag 301\n End\na:\n End");
        EXPECT_EQ(std::tuple(TakeBoxes(h), GetGameFlag(301)), std::tuple(1u, 1)) << fault;
    }
}

TEST_F(PartyCommandTest, FullRestoreAndDamage) {
    gRoleStats[1].status = 0x4000;
    // Mode 0 leaves a fallen role.
    Run("FullRestore -1 0");
    EXPECT_EQ(std::tuple(gRoleStats[0].hp, gRoleStats[0].mp, gRoleStats[1].hp),
              std::tuple(100, 50, 40));
    Run("FullRestore 2 1");
    EXPECT_EQ(std::tuple(gRoleStats[1].hp, gRoleStats[1].status), std::tuple(100, 0));
    for (int i = 0; i < kPartySize; ++i) gParty[i] = i < 2 ? i : -1;
    gRoleStats[1].hp = 20;
    gFrameId = kMapMode;
    Run("DamageParty 30");
    EXPECT_EQ(std::tuple(gRoleStats[0].hp, gRoleStats[1].hp, gRoleStats[1].status, gFrameId),
              std::tuple(70, 0, 0x4000, 0u));
    Run("DamageParty 100");
    EXPECT_EQ(gFrameId, kScreenBit | 6);  // everybody down: the party-defeat screen
}

TEST_F(PartyCommandTest, RaisesMoneyAndQuests) {
    // 40000 is a raise, not a cut of 25536.
    i32 hp = gRoles[1].maxHp, mp = gRoles[1].maxMp;
    Run("RaiseMaxHpMp 2 40000 3");
    // The HP is raised (to the cap), not cut.
    EXPECT_EQ(std::tuple(gRoles[1].maxHp, gRoles[1].maxMp, gRoleStats[1].hp > 40),
              std::tuple(hp + 40000, mp + 3, true));
    // The script's own add is in the command table; the shops and battles add here.
    gScriptVars[0] = 0x7FFFFFFAu;
    const std::pair<i64, u32> adds[] = {{5, 0x7FFFFFFFu}, {5, 0x7FFFFFFFu}, {-0x80000000LL, 0}};
    for (const auto& [add, money] : adds) {
        AddMoney(add);
        EXPECT_EQ(gScriptVars[0], money) << add;
    }
    const std::pair<const char*, std::deque<u32>> quests[] = {
        {"AddQuest 5 0\n AddQuest 6 0\n AddQuest 7 1\n AddQuest 5 1\n AddQuest 6 0", {7, 5, 6}},
        {"RemoveQuest 5\n RemoveQuest 99", {7, 6}}};
    for (const auto& [body, list] : quests) {
        Run(body);
        EXPECT_EQ(gQuestList, list) << body;
    }
}

TEST_F(PartyCommandTest, ChooseEndingRoleScreensShopsAndTheBattleCommand) {
    // The flags set, the variable of 120..124 that leads, and the role chosen.
    const std::tuple<std::vector<int>, int, i32> endings[] = {
        {{201}, 121, 6},      {{201}, 123, 7},      {{201}, 122, 9},      {{201, 204}, 121, 0},
        {{201, 204}, 124, 8}, {{201, 205}, 122, 5}, {{201, 205}, 120, 4}, {{}, 121, 0},
        {{}, 123, 2},         {{}, 124, 3},         {{}, 122, 4},
    };
    for (const auto& [flags, topVar, expect] : endings) {
        for (int f : {201, 204, 205}) ClearGameFlag(f);
        for (int f : flags) SetGameFlag(f);
        for (int v = 120; v <= 124; ++v) gScriptVars[v] = 1;
        gScriptVars[topVar] = 9;
        Run("ChooseEnding");
        EXPECT_EQ(Value(2801, 1), expect) << topVar;
    }
    // Screens open from scripts: the ending and the demo end open and the talk
    // goes on in the same frame; the item chooser waits a frame.
    const std::pair<const char*, u32> screens[] = {
        {"ShowEnding 0 0 0 0 0", 5}, {"DemoEnd", 16}, {"ItemChooser 1", 14}};
    for (const auto& [body, frame] : screens) {
        std::tie(gFrameId, gScriptVars[8]) = std::tuple(0, 77);
        ClearGameFlag(120);
        Start(std::string(body) + "\n SetFlag 120");
        Talk(&gTalkContext);
        bool on = GetGameFlag(120) != 0;
        RunUntilFree(50);
        EXPECT_EQ(std::tuple(on, gFrameId), std::tuple(frame != 14, kScreenBit | frame)) << body;
    }
    ASSERT_NE(gItemFrame, nullptr);
    EXPECT_EQ(std::tuple(gItemFrame->Mode(), gScriptVars[8]), std::tuple(1u, 0u));
    // The shop from tore.dat; no file at all: its box, no screen.
    gFrameId = kMapMode;
    Run("Shop 1");
    EXPECT_EQ(std::tuple(gFrameId, TakeBoxes(h)), std::tuple(0u, 1u));
    std::vector<ShopDef> shops = {{3, true, {{3, {7, 6}}, {0, {1, 2, 5}}}},
                                  {4, false, {{5, {20}}}}};
    WriteHostFile(h.Path("MH_Data/tore.dat"), MakeShopFile(shops));
    Run("Shop 3");
    EXPECT_EQ(std::tuple(gFrameId, gShopStock.enhance, gShopStock.cat[0].index,
                         gShopStock.cat[3].index, gShopStock.cat[1].index),
              std::tuple(kScreenBit | 18, 1u, 0, 3, -1));
    EXPECT_EQ(std::tuple(gShopStock.cat[0].ids, gShopStock.cat[3].ids),
              std::tuple(std::deque<u32>{1, 2, 5}, std::deque<u32>{7, 6}));
    // A shop that does not exist: its box, the stock kept, no screen.
    gFrameId = kMapMode;
    Run("Shop 9");
    EXPECT_EQ(std::tuple(gFrameId, TakeBoxes(h), gShopStock.cat[0].ids.size()),
              std::tuple(0u, 1u, 3u));
    Run("Shop 4");
    EXPECT_EQ(std::tuple(gShopStock.enhance, gShopStock.cat[5].ids.size(), gShopStock.cat[0].index),
              std::tuple(0u, 1u, -1));
    // The battle command requests the battle.
    Run("Battle 12 5 10007 -1 -1 -1 -1 -1 -1 -1 3");
    EXPECT_EQ(
        std::tuple(gBattleRequest, std::vector<i32>(gBattleRoleChanges, gBattleRoleChanges + 10)),
        std::tuple(0x8000000Cu, std::vector<i32>{5, 10007, -1, -1, -1, -1, -1, -1, -1, 3}));
}

TEST(ShopData, BadFilesAreRefusedAndRepeatedTagsAddTheirLists) {
    ShopStock s;
    EXPECT_EQ(ParseShop(WordsAfter(512, {}), 1, &s), ShopParse::NoShop);
    // Truncated: no end word, and an odd byte.
    std::vector<u8> file = WordsAfter(512, {2001, 1, 1000, 4, 5, 1006, 9, 9, 1002, 6});
    file.push_back(0x12);
    ASSERT_EQ(ParseShop(file, 1, &s), ShopParse::Ok);
    EXPECT_EQ(std::tuple(s.cat[0].ids.size(), s.cat[2].ids.size(), s.cat[1].index),
              std::tuple(2u, 1u, -1));
    // The start tag as the very last word has no shop number.
    EXPECT_EQ(ParseShop(WordsAfter(512, {2000}), 0, &s), ShopParse::NoShop);
    // A category tag that comes again adds its list to the same category, in file order.
    ASSERT_EQ(ParseShop(WordsAfter(512, {2001, 3, 1001, 5, 6, 1002, 7, 1001, 8, 65535}), 3, &s),
              ShopParse::Ok);
    EXPECT_EQ(std::tuple(s.cat[1].ids, s.cat[2].ids, s.cat[1].index, s.cat[0].index),
              std::tuple((std::deque<u32>{5, 6, 8}), (std::deque<u32>{7}), 1, -1));
}

// ---- The assembler and disassembler, and the sample game's talks ----

TEST(StoryAsm, SampleTalksRoundTripLayoutOfCommandsAndBadInput) {
    std::vector<u8> a = Assemble(SampleTalkSource()), b;
    std::string error, text;
    ASSERT_TRUE(DisassembleTalkFile(a, &text, &error)) << error;
    ASSERT_TRUE(AssembleTalkFile(text, &b, &error)) << error << "\n" << text;
    EXPECT_EQ(a, b);
    std::vector<u8> f = Assemble("talk 3\nx:\n Say 0xFFF0 \"月a\"\n Jump @x\n");
    ASSERT_FALSE(HasFailure());
    const u8* p = &f[kTalkBase + kFirst];
    // The text padded to an even length; the jump's target counted from 0x200.
    EXPECT_EQ(
        std::tuple(LoadU32(&f[kTalkBase + 12]), LoadU16(p), LoadU16(p + 2),
                   std::string(p + 4, p + 8), LoadU16(p + 8), LoadU16(p + 10), LoadU32(p + 12)),
        std::tuple(kFirst, 0x0001, 0xFFF0, Utf8ToBig5("月a") + " ", kTextMark, 0x000F, kFirst));
    // Each command: its word, then its operand words, and nothing more, as the
    // interpreter's table measures it.
    const std::tuple<const char*, std::vector<u16>> rows[] = {
        {"AddRoleHead 20 1 100 0x8032", {0x51, 20, 1, 100, 0x8032}},
        {"DismissRoleHead 20 1", {0x52, 20, 1}},
        {"ShowRoleHead 21 2 400 60", {0x56, 21, 2, 400, 60}},
        {"ReleaseRoleHeads", {0x136}},
        {"AddAntiAliasObject 20 0 300 0x8010", {0xD8, 20, 0, 300, 0x8010}},
        {"RemoveAntiAliasObject 20 0", {0xD9, 20, 0}},
        {"ReplaceAntiAliasObjects 7 8 9 10", {0xDA, 7, 8, 9, 10}},
    };
    for (const auto& [src, words] : rows) {
        SCOPED_TRACE(src);
        std::vector<u8> f = Assemble(std::string("talk 1\n ") + src + "\n End\n");
        ASSERT_FALSE(HasFailure());
        const u8* p = &f[kTalkBase + LoadU32(&f[kTalkBase + 4])];
        for (size_t i = 0; i < words.size(); ++i) EXPECT_EQ(LoadU16(p + 2 * i), words[i]) << i;
        const Command* cmd = FindCommand(words[0]);
        ASSERT_NE(cmd, nullptr);
        u32 len = 0;
        EXPECT_EQ(std::tuple(CommandLength(*cmd, p, 64, &len, nullptr), len,
                             LoadU16(p + 2 * words.size())),
                  std::tuple(LenResult::Ok, 2 * words.size(), 0x3FFF));
    }
    // Bad source names its line; bad files are refused.
    const char* bad[] = {
        "talk 1\n NoSuchCommand\n", "talk 1\n Jump @nowhere\n", "talk 1\n Set 5\n",
        "talk 1\n Set 5 6 7\n",     "talk 1\n Set 5 40000\n",   "talk 1\n Say 1 \"a%Qb\"\n",
        "talk 1\n Say 1 \"open\n",  "talk 1\nx:\nx:\n End\n",   "talk 1\ntalk 1\n End\n",
    };
    for (const char* src : bad) {
        std::vector<u8> out;
        error.clear();
        EXPECT_FALSE(AssembleTalkFile(src, &out, &error)) << src;
        EXPECT_NE(error.find("line "), std::string::npos) << src;
    }
    const std::vector<u8> jump = Assemble("talk 1\n Jump @x\nx:\n End\n");
    ASSERT_FALSE(HasFailure());
    std::vector<u8> odd = jump;
    StoreU32(&odd[odd.size() - 6], kFirst + 1);  // the jump's target inside a command
    for (const auto& bytes : {std::vector<u8>(jump.begin(), jump.begin() + 100), odd,
                              std::vector<u8>(jump.begin(), jump.end() - 3)})
        EXPECT_FALSE(DisassembleTalkFile(bytes, &text, &error)) << bytes.size();
}

}  // namespace
