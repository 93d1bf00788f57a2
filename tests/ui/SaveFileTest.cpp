// Save files and the screens over them: the save's bytes from the layout table,
// round trips, the developer tool and its file, the slot screens, a replay that
// saves and loads through them, and bad files and failing file systems that
// must change nothing of the running game.

#include <algorithm>
#include <fstream>
#include <random>

#include "battle/Battle.h"
#include "data/KeyBindings.h"
#include "data/Options.h"
#include "engine/Lzo.h"
#include "map/MapCache.h"
#include "map/MapDb.h"
#include "map/MapManage.h"
#include "map/MapScene.h"
#include "map/NewGame.h"
#include "mhdata/Maps.h"
#include "mhdata/SampleBattle.h"
#include "platform/FileCalls.h"
#include "platform/HostFs.h"
#include "platform/TextCodec.h"
#include "shell/Session.h"
#include "shell/Startup.h"
#include "sound/Music.h"
#include "story/PartyCommands.h"
#include "story/TextTools.h"
#include "support/SampleSession.h"
#include "support/SysScreenSupport.h"
#include "ui/ActPic.h"
#include "ui/Control.h"
#include "ui/DevTool.h"
#include "ui/MainMenu.h"
#include "ui/SaveScreens.h"
#include "ui/ScreenLink.h"

namespace fs = std::filesystem;

namespace {

// The sample game's title left for a new game standing in the town.
struct SampleTownTest : SysScreenTest {
    // A click on control id that the screen reads on the next frame.
    void Click(i32 id, i32 x, i32 y) {
        gMouseInput.x = x;
        gMouseInput.y = y;
        gMouseInput.clickedId = id;
        gMouseInput.MoveCursor(x, y);
        h.RunFrames(1);
    }
    bool BoxSays(const char* caption, const char* text) {
        for (const RecordedBox& b : h.boxes())
            if (b.caption == caption && b.text.find(text) != std::string::npos) return true;
        return false;
    }
};

// Reads one LZO block at off; returns its raw bytes and moves off past it.
std::vector<u8> UnpackAt(const std::vector<u8>& f, size_t* off) {
    u32 packed = LoadU32(&f[*off]);
    u32 raw = LoadU32(&f[*off + 4]);
    std::vector<u8> out(raw + 1);
    EXPECT_EQ(
        LzoUnpackExact(&f[*off + 8], static_cast<i32>(packed), out.data(), static_cast<i32>(raw)),
        kLzoOk);
    out.resize(raw);
    *off += 8 + packed;
    return out;
}

// The running game packed as a save, without the header the clock moves unless
// header (and without the role rows, which entering a map rewrites, unless roles).
std::vector<u8> Snapshot(bool roles = true, bool header = false) {
    SaveImage img;
    BuildSaveImage(&img, nullptr);
    if (!header) img.header = SaveHeader{};  // the date moves with the clock
    if (!roles) img.roleRows.clear();
    return SaveImageBytes(img);
}

struct SaveFileTest : SampleTownTest {
    void SetUp() override {
        SampleTownTest::SetUp();
        fs::create_directories(h.Path("game/save"));  // the developer saves
    }
    // A game state that differs from the new game in every item (of both the
    // save and the developer save).
    void MakeKnownState() {
        gScriptVars[0] = 12345678;
        gScriptVars[200] = 77;
        gGameTime = 3 * 3600 + 25 * 60 + 9;
        for (i32& r : gParty) r = -1;
        gParty[0] = 0;
        gParty[1] = 1;
        gParty[2] = 4;
        gRoleStats[0].level = 11;
        gRoleStats[1].level = 22;
        gRoleStats[4].level = 44;
        SetGameFlag(324);
        SetGameFlag(77);
        gFormation[0] = 2;
        gOwnedItems[0] = 9;
        if (gMonsterCount > 0) gOwnedMonsters[gMonsterCount - 1] = 3;
        gOwnedEquipage[5].id = gEquipageCount - 1;  // the last record of the table
        gLearnedSkills[3][7] = 1;
        gGodForms[2].level = 5;
        gSaveReserved[100] = 0x5A;
        gQuakePeriod = 6;
        gQuakeCountdown = 0xFFFF;  // -1 as the file's signed u16
        gQuakeTable[3] = 9;
        gQuestList = {4, 9, 2};
        gScriptRecordA = new ScriptRecord;
        gScriptRecordA->words[0] = 0x0101;
        gScriptRecordA->words[12] = 0xBEEF;
        gMapMusic.override1 = 55;
        // A role of another map: map entry and the live roles leave its record alone.
        for (i32 i = 0; i < gRoleRecordCount; ++i)
            if (RecordWord(i, 0) != gMapId) otherRow = i;
        SetRecordWord(otherRow, 7, 0x1234);
        for (int k = 0; k < 4; ++k) {
            std::memset(gNewGame.entries[k].bytes, 0xA0 + k, sizeof(gNewGame.entries[k].bytes));
            StoreU16(gNewGame.entries[k].bytes + 16, static_cast<u16>(10 + k));
        }
    }
    i32 otherRow = 0;
    // Items 7 to 13, which a save and a developer save share from off: 500
    // bytes of flags with flag 324 set; the role records, 26 bytes a row; the
    // player's place; time, variables, extra bytes (the developer save's), music
    // rows and end mark; reserved bytes; the quake table; the script records.
    // Leaves off past them.
    void ExpectSharedItems(const std::vector<u8>& f, size_t* off, size_t extra,
                           std::vector<u8>* varsOut) {
        EXPECT_EQ(UnpackAt(f, off), std::vector<u8>(gGameFlags, gGameFlags + 500));
        std::vector<u8> roles = UnpackAt(f, off);
        ASSERT_EQ(roles.size(), static_cast<size_t>(gRoleRecordCount) * 26);
        EXPECT_EQ(LoadU16(&roles[otherRow * 26 + 14]), 0x1234);
        const RoleSlot& p = gMapRoles[gPlayerSlot];
        const i64 item9[7] = {gPlayerId,  gMapId,        p.x / 16,  p.y / 16,
                              p.act->act, p.act->action, p.act->dir};
        for (int i = 0; i < 7; ++i) EXPECT_EQ(LoadU32(&f[*off + 4 * i]), item9[i]) << i;
        *off += 28;
        std::vector<u8> vars = UnpackAt(f, off);
        ASSERT_GE(vars.size(), 1030u + extra);
        EXPECT_EQ((vars.size() - 1030 - extra) % 8, 0u);
        // Time, variables 0 and 200, the end mark; a reserved byte; the quake
        // period, countdown and table entry 3.
        EXPECT_EQ(std::make_tuple(LoadU32(&vars[0]), LoadU32(&vars[4]), LoadU32(&vars[4 + 4 * 200]),
                                  LoadU16(&vars[vars.size() - 2]), f[*off + 100],
                                  LoadU16(&f[*off + 384]), LoadU16(&f[*off + 386]), f[*off + 391]),
                  std::make_tuple(gGameTime, 12345678u, 77u, u16{0}, u8{0x5A}, u16{6}, u16{0xFFFF},
                                  u8{9}));
        *off += 384 + 132;
        std::vector<u8> recs = UnpackAt(f, off);
        ASSERT_EQ(recs.size(), 104u);  // record B absent: zeros
        EXPECT_EQ(std::make_tuple(LoadU16(&recs[0]), LoadU16(&recs[24]), recs[52]),
                  std::make_tuple(u16{0x0101}, u16{0xBEEF}, u8{0}));
        if (varsOut) *varsOut = vars;
    }
};

// The dates on the twelve-hour clock; money and play time keep their widths
// (the layout test checks a full money field).
TEST(SaveTexts, DatesMoneyAndPlayTime) {
    const struct {
        int month, day, hour, minute;
        const char* text;
    } cases[] = {{3, 7, 0, 5, "2024/03/07 AM 12:05"},
                 {3, 7, 12, 0, "2024/03/07 PM 12:00"},
                 {12, 31, 23, 59, "2024/12/31 PM 11:59"},
                 {1, 2, 11, 30, "2024/01/02 AM 11:30"}};
    for (const auto& c : cases) {
        char d[kSaveDateBytes];
        FormatSaveDate(2024, c.month, c.day, c.hour, c.minute, d);
        EXPECT_EQ(std::string(d, 19), c.text);
    }
    char m[kSaveMoneyBytes], t[kSaveTimeBytes];
    FormatSaveMoney(42, m);
    FormatSavePlayTime(61 * 3600 + 2 * 60 + 3, t);  // hours wrap at 60
    EXPECT_EQ(
        std::make_tuple(std::string(m, 13), std::string(t, 20)),
        std::make_tuple(std::string(B5("金錢：")) + "     42",
                        std::string(B5("遊戲時間：")) + "01" + B5("：") + "02" + B5("：") + "03"));
}

// Offsets worked from the layout table; inside the items, item 9's seven words,
// item 17's RoleStats then RoleData per role (its six worn slots and extra word
// after the 192 data bytes), a piece of item 19 and a form of item 21.
TEST_F(SaveFileTest, BytesFollowTheLayoutTable) {
    MakeKnownState();
    RoleSlot& p = gMapRoles[gPlayerSlot];
    ASSERT_NE(p.act, nullptr);
    p.x = 16 * 7;  // item 9's cells 7 and 9, act 1234, action 5, direction 6
    p.y = 16 * 9;
    p.act->act = 1234;
    p.act->action = 5;
    p.act->dir = 6;
    gRoleStats[3].level = 3312;
    gRoleStats[3].hp = 3356;
    gRoles[3].level = 3012;
    gRoles[3].hp = 3056;
    for (int k = 0; k < kSlotCount; ++k) gRoles[3].equip[k] = 3192 + 4 * k;
    gRoles[3].extra = 3216;
    gOwnedEquipage[5].price = 5040;
    gOwnedEquipage[5].kind = 5048;
    gGodForms[2].kind = 2192;
    std::vector<u8> f = Snapshot(true, true);
    ASSERT_GT(f.size(), static_cast<size_t>(kSaveHeaderBytes));
    // Item 3 at 38,419: the map's name.
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&f[38419])), std::string(gMap.name));
    // Item 4 at 38,451: roles 0 and 1 swapped under flag 324, values unswapped.
    const i32 party[16] = {1, 11, 0, 22, 4, 44, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1};
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(static_cast<i32>(LoadU32(&f[38451 + 4 * i])), party[i]) << i;
    // Items 5 and 6.
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&f[38515]), 13),
              std::string(B5("金錢：")) + "1234567");
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&f[38528]), 12),
              std::string(B5("遊戲時間：")) + "03");
    size_t off = 38548;
    ASSERT_NO_FATAL_FAILURE(ExpectSharedItems(f, &off, 0, nullptr));
    // Item 14 (three quests, the last 2) and what follows: owned items (the
    // first 9), formation[0], role 3, piece 5, form 2, music override1; the file
    // ends after item 22.
    const size_t items = off + 16, role3 = items + 4 * gItemCount + 32 + 3 * 412;
    const size_t piece5 = items + 4 * gItemCount + 32 + 8 * 412 + 4 * gMonsterCount + 5 * 232;
    const size_t form2 = piece5 - 5 * 232 + 256 * 232 + 1440 + 2 * 492;
    EXPECT_EQ(f.size(), form2 - 2 * 492 + 20 * 492 + 24);
    // Offsets and their words, role 3's worn slots after them.
    std::vector<size_t> at = {off,         off + 12,    items,       items + 4 * gItemCount,
                              role3 + 12,  role3 + 56,  role3 + 204, role3 + 248,
                              role3 + 408, piece5,      piece5 + 40, piece5 + 48,
                              form2 + 12,  form2 + 192, f.size() - 8};
    std::vector<u32> value = {
        3, 2, 9, 2, 3312, 3356, 3012, 3056, 3216, u32(gEquipageCount - 1), 5040, 5048, 5, 2192, 55};
    for (int k = 0; k < kSlotCount; ++k) {
        at.push_back(role3 + 384 + 4 * k);
        value.push_back(3192 + 4 * k);
    }
    for (size_t k = 0; k < at.size(); ++k) EXPECT_EQ(LoadU32(&f[at[k]]), value[k]) << at[k];
}

TEST_F(SaveFileTest, SaveChangeLoadGivesBackTheSavedState) {
    MakeKnownState();
    ASSERT_EQ(QuickSave(), 1);
    SetGameFlag(10);  // which a load sets
    const std::vector<u8> saved = Snapshot(false);
    // Change the state in every area.
    ClearGameFlag(10);
    gScriptVars[0] = 1;
    gGameTime = 5;
    gParty[2] = 6;
    ClearGameFlag(77);
    gOwnedItems[0] = 0;
    gOwnedEquipage[5].id = -1;
    gQuestList.clear();
    gSaveReserved[100] = 0;
    delete gScriptRecordA;
    gScriptRecordA = nullptr;
    ASSERT_EQ(LoadGameFromQuick(), 1);
    // Read back as 0 and 1: the swap of flag 324 is undone; a second save of
    // the loaded game is the first.
    EXPECT_EQ(std::vector<i32>(gParty, gParty + 3), (std::vector<i32>{0, 1, 4}));
    EXPECT_EQ(Snapshot(false), saved);
    EXPECT_EQ(std::make_tuple(gScriptRecordB, static_cast<i32>(gQuakeCountdown), gTalkContext.owner,
                              RecordWord(otherRow, 7)),
              std::make_tuple(nullptr, -1, kTalkFree, u16{0x1234}));
    // A role row missing from the table is skipped.
    SaveImage b;
    BuildSaveImage(&b, nullptr);
    std::vector<u8> row(26, 0);
    StoreU16(&row[2], 0xFFF7);  // no such role
    b.roleRows.insert(b.roleRows.end(), row.begin(), row.end());
    WriteHostFile(h.Path("game/Save/Quick.sav"), SaveImageBytes(b));
    EXPECT_EQ(std::make_tuple(LoadGameFromQuick(), FindRecord(0xFFF7)), std::make_tuple(1, -1));
    // Slot file names and validity.
    EXPECT_EQ(SlotPath(0).substr(SlotPath(0).size() - 13), "Save\\MH01.sav");
    EXPECT_EQ(SlotPath(98).substr(SlotPath(98).size() - 13), "Save\\MH99.sav");
    EXPECT_EQ(IsSlotUsed(2), 0);
    ASSERT_EQ(SaveToSlotFile(2), 1);
    EXPECT_EQ(std::make_tuple(IsSlotUsed(2), IsSlotUsed(99), IsSlotUsed(-1)),
              std::make_tuple(1, 0, 0));
    // A well-formed save far below the old 136,000-byte test still counts.
    EXPECT_LT(ReadHostFile(h.Path("game/Save/MH03.sav")).size(), 200000u);
}

// ---- bad input: nothing of the running game changes ----

// A save and a developer save of the same state, each with its reader and its
// loader into the running game.
struct Format {
    const char* name;
    std::vector<u8> good;
    size_t firstBlock;
    std::function<bool(const std::vector<u8>&, DataError*)> parse;
    std::function<int(const std::vector<u8>&)> load;
};

struct BadSaveTest : SaveFileTest {
    Format save, dev;
    void SetUp() override {
        SaveFileTest::SetUp();
        MakeKnownState();
        ASSERT_EQ(WriteDevSave(1), 1);
        save = {"save", Snapshot(true, true), 38548,
                [](const std::vector<u8>& f, DataError* why) {
                    SaveImage img;
                    return ParseSaveImage(f.data(), f.size(), &img, why);
                },
                [this](const std::vector<u8>& f) {
                    WriteHostFile(h.Path("game/Save/Quick.sav"), f);
                    return LoadGameFromQuick();
                }};
        dev = {"developer save", ReadHostFile(h.Path("game/save/1.sav")), 38444,
               [](const std::vector<u8>& f, DataError* why) {
                   DevSaveImage img;
                   return ParseDevSave(f.data(), f.size(), &img, why);
               },
               [this](const std::vector<u8>& f) {
                   WriteHostFile(h.Path("game/save/2.sav"), f);
                   DebugSlotInfo row;
                   ReadDebugSlotInfo(&row, 2);
                   EXPECT_EQ(std::make_tuple(row.state, row.thumb), std::make_tuple(1, nullptr))
                       << "listed as empty";
                   return LoadDevSave(2);
               }};
        gScriptVars[0] = 31;  // the running game differs from the files
    }
    // The reader refuses the bytes saying where, the loader changes nothing.
    void ExpectRefused(const Format& fmt, const std::vector<u8>& f, const std::string& what) {
        SCOPED_TRACE(std::string(fmt.name) + ": " + what);
        DataError why;
        why.offset = DataError::kNoOffset;
        EXPECT_FALSE(fmt.parse(f, &why));
        EXPECT_NE(why.offset, DataError::kNoOffset) << why.Message();
        std::vector<u8> before = Snapshot();
        EXPECT_EQ(fmt.load(f), 0);
        EXPECT_EQ(Snapshot(), before);
    }
    // Offsets of the item boundaries of the save.
    std::vector<size_t> Boundaries() {
        const std::vector<u8>& good = save.good;
        std::vector<size_t> b = {0, 19, 38419, 38451, 38515, 38528, 38548};
        // Items 7 to 13, 0 a packed block; then the quest list of item 14.
        size_t off = 38548;
        for (size_t step : {0, 0, 28, 0, 384, 132, 0})
            b.push_back(off += step ? step : 8 + LoadU32(&good[off]));
        off += 4 + 4 * LoadU32(&good[off]);
        b.push_back(off);
        size_t sizes[] = {4u * gItemCount, 32,   8 * 412, 4u * gMonsterCount,
                          256 * 232,       1440, 20 * 492};
        for (size_t s : sizes) b.push_back(off += s);
        EXPECT_EQ(off + 24, good.size());
        return b;
    }
};

// Cut at item boundaries, a byte short or long, and each way a packed block
// goes bad, over both formats.
TEST_F(BadSaveTest, BothFormatsRefuseCutLongAndBadBlockFiles) {
    const std::pair<const Format*, std::vector<size_t>> formats[] = {{&save, Boundaries()},
                                                                     {&dev, {0, 11, 38443, 38450}}};
    for (const auto& [fmt, cuts] : formats) {
        DataError why;
        ASSERT_TRUE(fmt->parse(fmt->good, &why)) << fmt->name << ": " << why.Message();
        for (size_t cut : cuts)
            ExpectRefused(*fmt, {fmt->good.begin(), fmt->good.begin() + static_cast<long>(cut)},
                          "cut at " + std::to_string(cut));
        // A byte short or long; the first packed block (its packed and raw
        // sizes, then its bytes) with the raw size one short and one long, a
        // packed size past the end of the file, packed bytes that do not unpack.
        const size_t at = fmt->firstBlock;
        const u32 packed = LoadU32(&fmt->good[at]), raw = LoadU32(&fmt->good[at + 4]);
        const std::pair<const char*, std::function<void(std::vector<u8>&)>> spoils[] = {
            {"one byte short", [](std::vector<u8>& f) { f.pop_back(); }},
            {"one byte more", [](std::vector<u8>& f) { f.push_back(0); }},
            {"raw size one short", [&](std::vector<u8>& f) { StoreU32(&f[at + 4], raw - 1); }},
            {"raw size one long", [&](std::vector<u8>& f) { StoreU32(&f[at + 4], raw + 1); }},
            {"packed size past the end", [&](std::vector<u8>& f) { StoreU32(&f[at], 0x7FFFFFFF); }},
            {"corrupt packed bytes",
             [&](std::vector<u8>& f) { std::fill_n(f.begin() + at + 8, packed, 0xEE); }}};
        for (const auto& [what, spoil] : spoils) {
            std::vector<u8> f = fmt->good;
            spoil(f);
            ExpectRefused(*fmt, f, what);
        }
    }
    // No quick save; developer slot 3 missing, 99 past the slots.
    EXPECT_EQ(std::make_tuple(IsQuickSaveValid(), LoadDevSave(3), LoadDevSave(99)),
              std::make_tuple(0, 0, 0));
    // Counts and indexes the save's reader checks against their tables.
    std::vector<u8> f = save.good;
    size_t roles = 38548 + 8 + LoadU32(&f[38548]);
    StoreU32(&f[roles + 4], LoadU32(&f[roles + 4]) + 1);  // not a multiple of 26
    ExpectRefused(save, f, "role rows of 27");
    std::vector<size_t> b = Boundaries();
    f = save.good;
    StoreU32(&f[b[13]], 0xFFFFFFFFu);  // item 14
    ExpectRefused(save, f, "quest count 0xFFFFFFFF");
    for (i32 bad : {8, -2}) {
        f = save.good;
        StoreU32(&f[38451 + 8 * 3], static_cast<u32>(bad));
        ExpectRefused(save, f, "party index");
        f = save.good;
        StoreU32(&f[b[15] + 4], static_cast<u32>(bad));  // formation[1]
        ExpectRefused(save, f, "formation entry");
    }
}

constexpr u8 kScanS = 31, kScanL = 38;

struct DevToolTest : SaveFileTest {
    void TearDown() override { PlatformReleaseAllKeys(); }
    std::string File(int slot) { return h.Path("game/save/" + std::to_string(slot) + ".sav"); }
};

// The flag editor steps, toggles and repeats through the tick; the starting
// value becomes one; Esc or the player's save leaves the tool.
TEST_F(DevToolTest, FlagEditorAndTheWaysIntoAndOutOfTheTool) {
    // A step wraps at both ends instead of folding over.
    // The last flag, not 8156.
    EXPECT_EQ(
        std::make_tuple(StepDebugFlag(3, -6), StepDebugFlag(8100, 120), StepDebugFlag(130, -120)),
        std::make_tuple(8159, 0, 10));
    gDevToolActive = kDevToolOn;
    const std::pair<u8, i32> steps[] = {{kScanLeft, 8159}, {kScanRight, 0}, {kScanDown, 6},
                                        {kScanPgDn, 126},  {kScanUp, 120},  {kScanPgUp, 0}};
    for (const auto& [key, flag] : steps) {
        Tap(key);
        EXPECT_EQ(gDevTool.flag, flag) << int(key);
    }
    // Held for five frames: acts on frames 1, 4 and 5.
    PlatformSetKey(kScanRight, true);
    h.RunFrames(5);
    PlatformSetKey(kScanRight, false);
    h.RunFrames(1);
    EXPECT_EQ(gDevTool.flag, 3);
    Tap(kScanPgDn);
    ASSERT_EQ(gDevTool.flag, 123);
    int before = GetGameFlag(123);
    Tap(static_cast<u8>(gMapKeyCodes[1]));
    EXPECT_EQ(GetGameFlag(123), before ? 0 : 1);
    Tap(static_cast<u8>(gMapKeyCodes[1]));
    EXPECT_EQ(std::make_tuple(GetGameFlag(123), gDevToolActive),
              std::make_tuple(before, kDevToolOn));

    gFrameId = 0x8000000Du;
    OpenDebugTool();
    EXPECT_EQ(gDevToolActive, kDevToolStarting);
    h.RunFrames(1);
    EXPECT_EQ(std::make_tuple(gDevToolActive, gDevTool.page), std::make_tuple(kDevToolOn, 0));
    Tap(kScanF2);
    EXPECT_EQ(std::make_tuple(gDevTool.page, gDevTool.rows[0].state),
              std::make_tuple(1, 1));  // no files yet
    PlatformSetKey(kScanEsc, true);
    h.RunFrames(1);
    PlatformSetKey(kScanEsc, false);
    EXPECT_EQ(std::make_tuple(gDevToolActive, gFrameId, gDevTool.rows[0].state),
              std::make_tuple(kDevToolOff, 0u, 0));
    // The player's save leaves the tool too, its rows freed.
    MakeKnownState();
    ASSERT_EQ(WriteDevSave(0), 1);
    gDevToolActive = kDevToolOn;
    gCurrentSlot = 0;
    ReadDebugSlotPage();
    ASSERT_EQ(gDevTool.rows[0].state, 2);
    ASSERT_EQ(SaveToSlotFile(10), 1);
    EXPECT_EQ(std::make_tuple(gDevToolActive, gDevTool.rows[0].state, gDevTool.rows[0].thumb),
              std::make_tuple(kDevToolOff, 0, nullptr));
}

// The file follows its layout; loading it gives back its own items only.
TEST_F(DevToolTest, FileLayoutAndRoundTrip) {
    MakeKnownState();
    SetGameFlag(3999);  // the last flag of the 500 bytes
    ASSERT_EQ(WriteDevSave(9), 1);
    std::vector<u8> f = ReadHostFile(File(9));
    ASSERT_GT(f.size(), 38444u);
    for (int i = 0; i < 12; ++i) EXPECT_TRUE(f[i] >= '0' && f[i] <= '9') << i;
    EXPECT_EQ(std::memcmp(&f[38412], gMap.name, std::min<size_t>(32, std::strlen(gMap.name))), 0);
    size_t off = 38444;
    std::vector<u8> vars;
    ASSERT_NO_FATAL_FAILURE(ExpectSharedItems(f, &off, 240, &vars));
    for (int k = 0; k < 4; ++k) {  // bytes 38-41 of each record cleared
        const u8* rec = &vars[1028 + 60 * k];
        EXPECT_EQ(std::make_tuple(rec[0], LoadU16(rec + 16), rec[37], LoadU32(rec + 38)),
                  std::make_tuple(u8(0xA0 + k), u16(10 + k), u8(0xA0 + k), 0u));
    }
    EXPECT_EQ(off, f.size());  // the file ends after the script records

    const u32 savedMap = gMapId;
    gQuestList = {7};  // not in the file: stays
    const std::vector<u8> saved = Snapshot(false);
    gScriptVars[0] = 1;
    gScriptVars[200] = 0;
    gGameTime = 5;
    ClearGameFlag(77);
    ClearGameFlag(3999);
    SetGameFlag(3998);
    gSaveReserved[100] = 0;
    gDevToolActive = kDevToolOn;
    ReadDebugSlotPage();
    ASSERT_EQ(LoadDevSave(9), 1);
    EXPECT_EQ(Snapshot(false), saved);
    // Rows freed on the way out.
    EXPECT_EQ(std::make_tuple(gCurrentSlot, gDevToolActive, gDevTool.rows[0].state, gParty[0]),
              std::make_tuple(9, kDevToolOff, 0, 0));
    // A file naming a map the database lacks is refused; the game stays as it is.
    gMapId = 999;
    ASSERT_EQ(WriteDevSave(8), 1);
    gMapId = savedMap;
    gScriptVars[0] = 5;
    EXPECT_EQ(LoadDevSave(8), 0);
    EXPECT_EQ(std::make_tuple(gScriptVars[0], gMapId, gCurrentSlot),
              std::make_tuple(5u, savedMap, 9));
}

// The rows show the file, the newest slot is chosen, and the end mark is read
// from a file's last four bytes.
TEST_F(DevToolTest, RowsNewestSlotAndEndMark) {
    MakeKnownState();
    ASSERT_EQ(WriteDevSave(4), 1);
    ASSERT_EQ(WriteDevSave(7), 1);
    EXPECT_EQ(AnyDebugSaveExists(), 1);
    auto now = std::filesystem::file_time_type::clock::now();
    std::filesystem::last_write_time(File(7), now - std::chrono::hours(2));
    std::filesystem::last_write_time(File(4), now - std::chrono::hours(1));
    gCurrentSlot = 0;
    SelectNewestDebugSlot();
    EXPECT_EQ(gCurrentSlot, 4);
    const DebugSlotInfo& empty = gDevTool.rows[0];  // slot 3
    const DebugSlotInfo& row = gDevTool.rows[1];    // slot 4
    ASSERT_EQ(std::make_tuple(empty.state, row.state), std::make_tuple(1, 2));
    EXPECT_EQ(std::make_tuple(row.money, row.playTime, row.block[3]),
              std::make_tuple(12345678u, 3u * 3600 + 25 * 60 + 9, 9));
    EXPECT_EQ(std::vector<i32>(row.partyValue, row.partyValue + 4),
              (std::vector<i32>{10, 11, 12, 13}));
    ASSERT_NE(row.date, nullptr);  // "yyyy/mm/dd hh:mm"
    std::string shape = row.date;  // every digit written as 9
    std::replace_if(
        shape.begin(), shape.end(), [](char c) { return c >= '0' && c <= '9'; }, '9');
    EXPECT_EQ(shape, "9999/99/99 99:99");
    EXPECT_EQ(std::string(row.playTimeText),
              std::string("03") + B5("時") + "25" + B5("分") + "09" + B5("秒"));
    // The current slot's row walks, the others stand.
    EXPECT_EQ(std::make_tuple(gDevTool.roleActs[1][0].action, gDevTool.roleActs[0][0].action,
                              gDevTool.roleActs[2][3].act, gDevTool.roleActs[2][3].dir),
              std::make_tuple(8, 0, 4, 6));

    const std::pair<std::vector<u8>, int> files[] = {{{1, 2, 3, 0xEE, 0xEE, 0xFF, 0xFF}, 1},
                                                     {{0xEE, 0xEE, 0xFF, 0xFF, 0}, 0},
                                                     {{0xEE, 0xEE, 0xFF}, 0}};
    for (const auto& [bytes, mark] : files) {
        WriteHostFile(File(0), bytes);
        cFile f;
        ASSERT_TRUE(f.Open(DevSavePath(0).c_str(), OPEN_EXISTING, GENERIC_READ));
        EXPECT_EQ(HasDebugEndMark(&f), mark) << bytes.size();
    }
    EXPECT_EQ(HasDebugEndMark(nullptr), 0);
}

TEST_F(DevToolTest, SavePageSavesAsksBeforeOverwritingAndLoads) {
    MakeKnownState();
    gCurrentSlot = 5;
    gDevToolActive = kDevToolOn;
    Tap(kScanF2);
    ASSERT_EQ(gDevTool.page, 1);
    // A click on the first row picks slot 3; down moves to 4.
    ClickAt(100, 60);
    EXPECT_EQ(gCurrentSlot, 3);
    Tap(kScanDown);
    EXPECT_EQ(gCurrentSlot, 4);
    // The bottom arrow pages on by three.
    ClickAt(610, 460);
    EXPECT_EQ(gCurrentSlot, 7);
    Tap(kScanPgUp);
    EXPECT_EQ(gCurrentSlot, 4);
    // An empty slot saves at once and leaves the tool.
    Tap(kScanS);
    EXPECT_EQ(std::make_tuple(std::filesystem::exists(File(4)), gDevToolActive),
              std::make_tuple(true, kDevToolOff));

    // Over an existing file it asks; "否" keeps the file, confirm writes it.
    auto stamp = std::filesystem::file_time_type::clock::now() - std::chrono::hours(3);
    std::filesystem::last_write_time(File(4), stamp);
    gDevToolActive = kDevToolOn;
    Tap(kScanF2);
    ASSERT_EQ(gDevTool.rows[1].state, 2);
    Tap(kScanS);
    EXPECT_TRUE(gDevTool.asking);
    ClickAt(312, 248);
    EXPECT_EQ(
        std::make_tuple(gDevTool.asking, std::filesystem::last_write_time(File(4)), gDevToolActive),
        std::make_tuple(false, stamp, kDevToolOn));
    Tap(kScanS);
    ASSERT_TRUE(gDevTool.asking);
    Tap(static_cast<u8>(gMapKeyCodes[1]));
    EXPECT_EQ(std::make_tuple(std::filesystem::last_write_time(File(4)) != stamp, gDevToolActive),
              std::make_tuple(true, kDevToolOff));

    // L loads the current slot's file.
    gScriptVars[0] = 1;
    gDevToolActive = kDevToolOn;
    Tap(kScanF2);
    Tap(kScanL);
    EXPECT_EQ(std::make_tuple(gScriptVars[0], gDevToolActive, h.boxes().size()),
              std::make_tuple(12345678u, kDevToolOff, size_t{0}));
}

struct FaultTest : SampleTownTest {
    std::vector<std::string> Temporaries() {
        std::vector<std::string> out;
        std::error_code ec;
        for (const char* dir : {"", "Save", "data", "ScrnShot"})
            for (const auto& e : fs::directory_iterator(h.Path(dir), ec))
                if (e.path().extension() == ".tmp") out.push_back(e.path().string());
        return out;
    }
    void Restore(const std::string& path, const std::vector<u8>& bytes) {
        if (bytes.empty())
            fs::remove(path);
        else
            WriteHostFile(path, bytes);
    }
};

u32 SavedMoney(const std::vector<u8>& bytes) {
    SaveImage img;
    return ParseSaveImage(bytes.data(), bytes.size(), &img, nullptr) ? img.scriptVars[0] : 0;
}

// One writer: its file, the call, and how to tell the old contents from the new.
struct Writer {
    const char* name;
    std::string path;
    std::function<int()> write;
    std::function<bool(const std::vector<u8>&)> isNew;
    bool saveBox;  // a player's save: the failure box names the reason
};

TEST_F(FaultTest, EveryFailingCallOfEveryWriterKeepsTheOldFileAndIsReported) {
    gScriptVars[0] = 111;
    ASSERT_EQ(std::make_tuple(SaveToSlotFile(0), QuickSave(), WriteDevSave(1)),
              std::make_tuple(1, 1, 1));
    gTextSpeed = 3;
    ASSERT_EQ(SaveOptions(), 1);
    gScriptVars[0] = 222;
    gTextSpeed = 9;
    EnvValues env;
    ASSERT_EQ(ReadEnvFile(&env), 1);
    env.sfxVolume = 9;
    std::vector<u16> shot(8 * 8, 0x1234);
    std::string shotPath = h.Path("game/ScrnShot/00000.bmp");
    // The map cache's table as the town's entry left it, its last slot aged anew.
    CacheSlot slots[kCacheSlots];
    ASSERT_TRUE(ReadCacheTable(slots));
    slots[kCacheSlots - 1].age = 0x5A5A5A5Au;
    constexpr size_t kLastAge = (kCacheSlots - 1) * kCacheSlotBytes + 8;
    std::vector<Writer> writers = {
        {"slot save", h.Path("game/Save/MH01.sav"), [] { return SaveToSlotFile(0); },
         [](const std::vector<u8>& b) { return SavedMoney(b) == 222; }, true},
        {"quick save", h.Path("game/Save/Quick.sav"), [] { return QuickSave(); },
         [](const std::vector<u8>& b) { return SavedMoney(b) == 222; }, true},
        {"options", h.Path("game/Save/Option.sav"), [] { return SaveOptions(); },
         [](const std::vector<u8>& b) { return b.size() == 88 && b[28] == 9; }, false},
        {"settings", h.Path("game/Env.dat"), [&env] { return WriteEnvFile(env); },
         [](const std::vector<u8>& b) { return b.size() > 24 && b[24] == 9; }, false},
        {"screenshot", shotPath,
         [&] { return SaveScreenShot(shot.data(), 8, 8, "ScrnShot\\00000.bmp"); },
         [](const std::vector<u8>& b) { return b.size() == 54 + 8 * 24; }, false},
        {"developer save", HostPath(DevSavePath(1)), [] { return WriteDevSave(1); },
         [](const std::vector<u8>& b) {
             auto img = std::make_unique<DevSaveImage>();
             return ParseDevSave(b.data(), b.size(), img.get(), nullptr) &&
                    img->scriptVars[0] == 222;
         },
         true},
        {"map cache table", h.Path("game/data/mcache.dat"),
         [&slots] { return WriteCacheTable(slots) ? 1 : 0; },
         [](const std::vector<u8>& b) {
             return b.size() == kCacheSlots * kCacheSlotBytes &&
                    LoadU32(b.data() + kLastAge) == 0x5A5A5A5Au;
         },
         false},
    };
    struct Fault {
        FsFault kind;
        int error;
        bool forGood;
        const char* reason;
    };
    // Once, a disk that fills up at the call or in the middle of a write, and a
    // file system that stops answering for good.
    const Fault faults[] = {{FsFault::kFail, EIO, false, "寫入時發生錯誤"},
                            {FsFault::kFail, ENOSPC, true, "磁碟空間不足"},
                            {FsFault::kShortWrite, ENOSPC, true, "磁碟空間不足"},
                            {FsFault::kFail, EIO, true, "寫入時發生錯誤"}};
    for (const Writer& w : writers) {
        SCOPED_TRACE(w.name);
        std::vector<u8> old = ReadHostFile(w.path);
        ResetFileCalls();
        ASSERT_EQ(w.write(), 1);
        u32 calls = FsCallCount();
        ASSERT_TRUE(w.isNew(ReadHostFile(w.path)));
        int failures = 0;
        for (u32 call = 1; call <= calls; ++call) {
            for (const Fault& f : faults) {
                SCOPED_TRACE("call " + std::to_string(call) + " error " + std::to_string(f.error));
                Restore(w.path, old);
                h.boxes().clear();
                FsArmFault(call, f.kind, f.error, f.forGood);
                int r = w.write();
                ResetFileCalls();
                std::vector<u8> now = ReadHostFile(w.path);
                if (r == 1) {
                    EXPECT_TRUE(w.isNew(now));
                } else {
                    ++failures;
                    EXPECT_EQ(now, old);
                    if (w.saveBox) {
                        EXPECT_TRUE(BoxSays(B5("存檔"), B5(f.reason)));
                    }
                }
                // A file system that stopped answering keeps the temporary
                // file, and a screenshot whose last unlink alone failed does;
                // the next start takes them away.
                bool stopped = f.forGood && f.error != ENOSPC;
                if (stopped || (r == 1 && std::string(w.name) == "screenshot"))
                    RemoveLeftoverTemporaries();
                EXPECT_EQ(std::make_tuple(Temporaries().size(), gScriptVars[0], gMapId),
                          std::make_tuple(size_t{0}, 222u, u32(sampleMap::kTown)));
            }
        }
        EXPECT_GE(failures, 3) << "the first call failing fails the write";
        Restore(w.path, old);
    }
}

TEST_F(FaultTest, AKillAtAnyCallOfTheSaveWriterLeavesTheOldOrTheNewSave) {
    gScriptVars[0] = 111;
    ASSERT_EQ(SaveToSlotFile(0), 1);
    std::string path = h.Path("game/Save/MH01.sav");
    std::vector<u8> old = ReadHostFile(path);
    gScriptVars[0] = 222;
    ResetFileCalls();
    ASSERT_EQ(SaveToSlotFile(0), 1);
    u32 calls = FsCallCount();
    int olds = 0, news = 0;
    for (u32 call = 1; call <= calls; ++call) {
        for (FsFault kill : {FsFault::kStopBefore, FsFault::kStopAfter}) {
            SCOPED_TRACE(call);
            WriteHostFile(path, old);
            FsArmFault(call, kill, EIO, false);
            SaveToSlotFile(0);
            ResetFileCalls();
            // The next start: leftovers go, the save loads whole.
            RemoveLeftoverTemporaries();
            EXPECT_TRUE(Temporaries().empty());
            auto img = ReadSaveFile(SlotPath(0), nullptr);
            ASSERT_TRUE(img);
            EXPECT_TRUE(img->scriptVars[0] == 111 || img->scriptVars[0] == 222);
            (img->scriptVars[0] == 111 ? olds : news) += 1;
        }
    }
    EXPECT_TRUE(olds > 0 && news > 0) << olds << " old, " << news << " new";
}

TEST_F(FaultTest, MissingOrUnwritableSaveFoldersTellWhy) {
    gScriptVars[0] = 5;
    fs::rename(h.Path("game/Save"), h.Path("game/SaveAway"));
    EXPECT_EQ(QuickSave(), 0);
    EXPECT_TRUE(BoxSays(B5("存檔"), B5("找不到存檔資料夾")));
    WriteHostFile(h.Path("game/Save"), {1, 2, 3});  // a file where the folder should be
    h.boxes().clear();
    EXPECT_EQ(SaveToSlotFile(4), 0);
    EXPECT_TRUE(BoxSays(B5("存檔"), B5("找不到存檔資料夾")));
    EXPECT_EQ(ReadHostFile(h.Path("game/Save")), (std::vector<u8>{1, 2, 3}));
    fs::remove(h.Path("game/Save"));
    fs::rename(h.Path("game/SaveAway"), h.Path("game/Save"));
    if (::geteuid() != 0) {  // the superuser writes anywhere
        fs::permissions(h.Path("game/Save"), fs::perms::owner_read | fs::perms::owner_exec);
        h.boxes().clear();
        EXPECT_EQ(QuickSave(), 0);
        EXPECT_TRUE(BoxSays(B5("存檔"), B5("存檔資料夾無法寫入")));
        fs::permissions(h.Path("game/Save"), fs::perms::owner_all);
    }
    EXPECT_EQ(std::make_tuple(gScriptVars[0], gMapId), std::make_tuple(5u, u32(sampleMap::kTown)));
}

TEST_F(FaultTest, ADoorAndALoadThatAsksAndZoomsWithTheDiskFullEnterTheMapFromMemory) {
    ASSERT_EQ(SaveToSlotFile(0), 1);
    u32 unpacked = gMapsUnpacked;
    FsSetDiskFull(true);
    testing::internal::CaptureStderr();
    // Twice through the door of the harbour master's room, never cached.
    for (int pass = 0; pass < 2; ++pass) {
        StartTalk(kSampleRoomTalk, gPlayerId);
        bool inRoom = false;
        for (int f = 0; f < 400 && TalkRunning(); ++f) {
            h.RunFrames(1);
            inRoom = inRoom || gMapId == sampleMap::kRoom;
        }
        EXPECT_TRUE(inRoom && !TalkRunning());
    }
    EXPECT_EQ(std::make_tuple(gMapId, gMapsUnpacked),
              std::make_tuple(u32(sampleMap::kTown), unpacked));
    // The load screen, with the cache emptied so the town must be unpacked again.
    ReleaseMapView();
    for (int i = 0; i < kCacheSlots; ++i)
        fs::remove(h.Path("game/data/" + std::to_string(i) + ".cm"));
    fs::remove(h.Path("game/data/mcache.dat"));
    // A load in play asks first; the zoom that follows sits at y 52 and ends
    // after 803 ms whatever the frame rate.
    gScriptVars[0] = 99;
    Open(9);
    EXPECT_STRNE(gSaveLoadFrame->rows[0].time, "");
    Click(kSlotRows, 100, 60);
    EXPECT_EQ(gSaveLoadFrame->boxOpen, 1u);
    Click(kSlotBox, 250, 250);  // yes
    EXPECT_NE(gScriptVars[0], 99u);
    h.RunFrames(1);
    ASSERT_EQ(gFrameId, kScreenBit | 15);
    EXPECT_EQ(gZoomFrame->y, 52);
    h.RunFrames(1);
    h.RunFrames(1, 700);
    EXPECT_EQ(gFrameId, kScreenBit | 15);
    h.RunFrames(1, 200);
    h.RunFrames(1);
    EXPECT_EQ(std::make_tuple(gFrameId, gZoomFrame), std::make_tuple(0u, nullptr));
    h.RunFrames(5);
    std::string told = testing::internal::GetCapturedStderr();
    FsSetDiskFull(false);
    EXPECT_EQ(std::make_tuple(h.quit(), h.boxes().size(), gMapId),
              std::make_tuple(false, size_t{0}, u32(sampleMap::kTown)));
    EXPECT_TRUE(gMap.Pixel != nullptr && gMap.pixelSize > 0);
    size_t first = told.find("map cache");
    ASSERT_NE(first, std::string::npos);
    EXPECT_EQ(told.find("map cache", first + 1), std::string::npos) << "told once";
}

TEST_F(FaultTest, ASaveNamingAMissingMapIsRefusedBeforeTheGameChanges) {
    gScriptVars[0] = 111;
    ASSERT_EQ(std::make_tuple(SaveToSlotFile(0), QuickSave()), std::make_tuple(1, 1));
    std::vector<u8> good = ReadHostFile(h.Path("game/Save/MH01.sav"));
    auto img = ReadSaveFile(SlotPath(0), nullptr);
    ASSERT_TRUE(img);
    // A map the database lacks; an owned piece naming a record past the
    // equipment table (a free place of the saved game); a worn piece that is not
    // owned; a player without a role record.
    const std::function<void(SaveImage&)> spoils[] = {
        [](SaveImage& i) { i.mapId = 999; },
        [](SaveImage& i) {
            ASSERT_EQ(i.equipage[kOwnedEquipageCount - 1].id, -1);
            i.equipage[kOwnedEquipageCount - 1].id = gEquipageCount;
        },
        [](SaveImage& i) { i.roles[0].equip[0] = 300; },
        [](SaveImage& i) { i.playerId = 0xFFFE; },
    };
    std::vector<u8> lost;
    for (const auto& spoil : spoils) {
        auto bad = std::make_unique<SaveImage>(*img);
        spoil(*bad);
        lost = SaveImageBytes(*bad);
        WriteHostFile(h.Path("game/Save/MH01.sav"), lost);
        WriteHostFile(h.Path("game/Save/Quick.sav"), lost);
        gScriptVars[0] = 222;
        EXPECT_EQ(IsSlotUsed(0), 0);
        // F10 finds nothing it can load and says so; the game goes on as it was.
        QuickLoadKey();
        h.RunFrames(2);
        ASSERT_NE(gQuickNoticeFrame, nullptr);
        EXPECT_EQ(std::string(gQuickNoticeFrame->text), B5("沒有快取記錄！"));
        // Its box holds the whole text, which ends at 240 + 7 * 24 = 408.
        EXPECT_EQ(CanvasAt(412, 280), ConvertPixel(InterfaceColor(9904, 43)));
        h.RunFrames(30);
        EXPECT_EQ(std::make_tuple(gFrameId, gScriptVars[0], gMapId,
                                  gOwnedEquipage[kOwnedEquipageCount - 1].id),
                  std::make_tuple(0u, 222u, u32(sampleMap::kTown), -1));
    }
    // What "讀取中..." announced is what loads, even if the file goes bad meanwhile.
    WriteHostFile(h.Path("game/Save/Quick.sav"), good);
    QuickLoadKey();
    h.RunFrames(2);
    EXPECT_EQ(std::string(gQuickNoticeFrame->text), B5("讀取中..."));
    WriteHostFile(h.Path("game/Save/Quick.sav"), lost);
    h.RunFrames(30);
    EXPECT_EQ(std::make_tuple(gFrameId, gScriptVars[0]), std::make_tuple(0u, 111u));
    gScriptVars[0] = 222;
    // The load screen lists it as empty and does not load it.
    Open(9);
    EXPECT_EQ(std::string(gSaveLoadFrame->rows[0].date), B5("沒有資料"));
    Click(kSlotRows, 100, 60);
    EXPECT_EQ(gSaveLoadFrame->boxOpen, 0u);
    // A good save that turns bad between the question and "yes" gives the notice.
    WriteHostFile(h.Path("game/Save/MH01.sav"), good);
    gFramePhase = 2;
    h.RunFrames(1);
    Open(9);
    Click(kSlotRows, 100, 60);
    ASSERT_EQ(gSaveLoadFrame->boxOpen, 1u);
    WriteHostFile(h.Path("game/Save/MH01.sav"), lost);
    Click(kSlotBox, 250, 250);
    EXPECT_TRUE(BoxSays(B5("讀取進度"), B5("進度檔已損毀")));
    EXPECT_EQ(std::make_tuple(gFrameId, gScriptVars[0], gMapId),
              std::make_tuple(kScreenBit | 9, 222u, u32(sampleMap::kTown)));
    EXPECT_FALSE(h.quit());
}

TEST_F(FaultTest, AReadErrorInTheOptionsFileKeepsTheFile) {
    gTextSpeed = 3;
    gSaveSlotPos = 7;
    ASSERT_EQ(SaveOptions(), 1);
    std::vector<u8> good = ReadHostFile(h.Path("game/Save/Option.sav"));
    ResetFileCalls();
    LoadOptions();
    u32 calls = FsCallCount();
    ASSERT_EQ(gTextSpeed, 3u);
    for (u32 call = 1; call < calls; ++call) {  // the last call closes the file
        SCOPED_TRACE(call);
        FsArmFault(call, FsFault::kFail, EIO, false);
        LoadOptions();
        ResetFileCalls();
        EXPECT_TRUE(gOptionsHeld);
        SaveOptions();  // as the end of the session and every save do
        EXPECT_EQ(ReadHostFile(h.Path("game/Save/Option.sav")), good);
    }
    // Options the player chose are written all the same.
    gTextSpeed = 5;
    EXPECT_EQ(SaveOptions(true), 1);
    EXPECT_EQ(ReadHostFile(h.Path("game/Save/Option.sav"))[28], 5);
}

// The settings file of the sample (no root: the game takes its own folder),
// damaged at random and cut at every length: two starts each, both in the
// game's own folder with its databases.
TEST(Faults, DamagedSettingsFilesNeverMoveTheGameOutOfItsFolder) {
    Harness h;
    h.WriteSample();
    std::vector<u8> good = ReadHostFile(h.Path("Env.dat"));
    ASSERT_GT(good.size(), 46u);
    std::vector<std::vector<u8>> cases;
    std::mt19937 rng(34);
    for (int i = 0; i < 300; ++i) {
        std::vector<u8> b(rng() % 320);
        for (u8& c : b) c = static_cast<u8>(rng() % 4 ? rng() : 0);  // zeros end texts
        if (i % 2 && b.size() >= 4) b[0] = b[1] = b[2] = b[3] = 0xFF;
        cases.push_back(b);
    }
    for (size_t n = 0; n < good.size(); ++n) cases.emplace_back(good.begin(), good.begin() + n);
    fs::create_directories(h.Path("ScrnShot"));
    auto folders = [&] { return std::set<fs::path>(fs::directory_iterator(h.root()), {}); };
    const std::set<fs::path> before = folders();
    auto start = [&] {
        ResetSettings();
        ResetMapDb();
        SetDefaultKeys();
        ReadSettings();
        SetRunMark();
        std::error_code ec;  // at home, with the databases
        return fs::equivalent(HostPath(gBasePath), h.root(), ec) & (OpenMapDatabases() != 0);
    };
    int n = 0;
    for (const auto& bytes : cases) {
        SCOPED_TRACE(n++);
        WriteHostFile(h.Path("Env.dat"), bytes);
        WriteHostFile(h.Path("ScrnShot/00001.bmp.tmp"), {1});
        EXPECT_TRUE(start()) << gBasePath;
        EXPECT_FALSE(fs::exists(h.Path("ScrnShot/00001.bmp.tmp")));
        EXPECT_TRUE(start()) << gBasePath;  // after a first run that never ended cleanly
        EXPECT_EQ(fs::file_size(h.Path("Env.dat")), good.size());
    }
    // No boxes, no junk folders.
    EXPECT_EQ(std::make_tuple(h.boxes().size(), folders()), std::make_tuple(size_t{0}, before));
}

// Keyboard focus, hover marks and tips of the slot screens and the quick-save
// page, the zoom's cursor and the title's load, driven through the real tick.
struct KeyStep {
    i32 from;
    u8 scan;
    i32 to;
};

using FocusPointFn = bool (*)(i32, i32*, i32*);

struct SlotKeysTest : SampleTownTest {
    void SetUp() override {
        SampleTownTest::SetUp();
        gDInput.SetMouseSpeed(1.0);  // the cursor read back exactly where a key put it
    }
    void Press(u8 code) { TapKey(h, code, 2); }
    void Press(std::initializer_list<u8> codes) {
        for (u8 code : codes) Press(code);
    }
    // Opens a slot screen with the list's top slot at top, closing one that is open.
    void OpenSlots(u32 screen, i32 top) {
        if (gFramePhase == 1) {
            gFramePhase = 2;
            h.RunFrames(1);
        }
        gSaveSlotPos = top;
        Open(screen);
        ASSERT_NE(gSaveLoadFrame, nullptr);
        ASSERT_EQ(gSaveLoadFrame->top, top);
    }
    // Puts the mouse on the point of a focus code: its hover gives that focus.
    void HoverFocus(i32 code) {
        i32 x = 0, y = 0;
        ASSERT_TRUE(cSaveLoadFrame::FocusPoint(code, &x, &y)) << code;
        MoveTo(x, y, 2);
    }
    // Leaves the mouse where no control of the slot screens reacts to it.
    static void Park() { gDInput.SetMousePos(60, 465); }
    // The money saved in a slot, or -1 when the slot does not load.
    static i64 SlotMoney(int slot) {
        auto img = ReadSaveFile(SlotPath(slot), nullptr);
        return img ? static_cast<i64>(img->scriptVars[0]) : -1;
    }
    static void ExpectCursorOn(i32 code, const std::string& what,
                               FocusPointFn point = cSaveLoadFrame::FocusPoint) {
        i32 x = 0, y = 0;
        ASSERT_TRUE(point(code, &x, &y)) << what;
        EXPECT_EQ(std::make_tuple(gMouseInput.x, gMouseInput.y), std::make_tuple(x, y)) << what;
    }
    // Each step from the focus the last one left (or, with hover, from the
    // mouse put on the step's item), the cursor following it.
    template <size_t N>
    void WalkSteps(const KeyStep (&steps)[N], const i32* focus,
                   FocusPointFn point = cSaveLoadFrame::FocusPoint, bool hover = false) {
        for (const KeyStep& s : steps) {
            std::string what = std::to_string(s.from) + " key " + std::to_string(s.scan);
            if (hover) HoverFocus(s.from);
            ASSERT_EQ(*focus, s.from) << what;
            Press(s.scan);
            EXPECT_EQ(*focus, s.to) << what;
            ExpectCursorOn(s.to, what, point);
        }
    }
    // From the map to the title's load screen (26).
    void OpenTitleLoad(i32 top) {
        gSaveSlotPos = top;
        Open(0);
        ClickAt(TitleButtonX(1), kTitleButtonY);
        h.RunFrames(2);
        ASSERT_EQ(gFrameId, kScreenBit | 26);
        ASSERT_NE(gSaveLoadFrame, nullptr);
    }
};

// Each rule of the focus table of the in-play slot screens, started from the
// mouse on the item, as the keys would find it.
TEST_F(SlotKeysTest, InPlayFocusTableHoverMarksAndScrollKeys) {
    gSmartMouse = 1;
    OpenSlots(9, 30);  // both page buttons enabled
    // The system list rows 0-5, the tabs 10-13, the slot rows 20-22 and the
    // page buttons 30-31.
    const KeyStep steps[] = {
        {0, kScanUp, 5},      {0, kScanDown, 1},    {3, kScanUp, 2},      {5, kScanDown, 0},
        {2, kScanLeft, 20},   {4, kScanTab, 20},    {2, kScanRight, 2},   {10, kScanLeft, 13},
        {13, kScanRight, 10}, {11, kScanLeft, 10},  {11, kScanRight, 12}, {12, kScanDown, 0},
        {12, kScanTab, 0},    {12, kScanUp, 12},    {20, kScanDown, 21},  {21, kScanUp, 20},
        {21, kScanRight, 0},  {22, kScanTab, 10},   {21, kScanLeft, 21},  {30, kScanUp, 22},
        {30, kScanLeft, 31},  {31, kScanRight, 30}, {30, kScanDown, 30},  {31, kScanTab, 10}};
    WalkSteps(steps, &gSaveLoadFrame->focus, cSaveLoadFrame::FocusPoint, true);
    EXPECT_EQ(gSaveLoadFrame->top, 30);
    // The hovered item carries its mark: the selected row picture, the list's
    // highlight bar on its row, a tab's tip; nothing hovered shows none.
    OpenSlots(9, 0);
    // Each row's money and play time stand at (163, y + 4) and (280, y + 4).
    for (int r = 0; r < 3; ++r) {
        const SaveRowView& v = gSaveLoadFrame->rows[r];
        const i32 y = 141 + 124 * r + 4;
        EXPECT_EQ(std::make_tuple(v.moneyCtl->x, v.moneyCtl->y), std::make_tuple(163, y)) << r;
        EXPECT_EQ(std::make_tuple(v.timeCtl->x, v.timeCtl->y), std::make_tuple(280, y)) << r;
    }
    // Each mark as (tip, the bar's y or -1, the rows' pictures); -1 puts the
    // mouse below the rows, beside the page buttons.
    cSysPanel& panel = gSaveLoadFrame->panel;
    auto marks = [&] {
        std::vector<u32> rows;
        for (const SaveRowView& v : gSaveLoadFrame->rows)
            rows.push_back(v.background->normalPic->player.action);
        return std::make_tuple(std::string(panel.tipText->shown ? panel.tipText->text : ""),
                               panel.bar->shown ? panel.bar->y : -1, rows);
    };
    for (i32 code : {10, 11, 12, 13, 0, 1, 2, 3, 4, 5, 20, 21, 22, -1}) {
        code < 0 ? MoveTo(300, 465) : HoverFocus(code);
        h.RunFrames(1);
        EXPECT_TRUE(code < 0 || gSaveLoadFrame->focus == code) << code;
        std::vector<u32> rows = {6, 6, 6};
        if (code >= kFocusRow0) rows[code - kFocusRow0] = 7;
        EXPECT_EQ(marks(), std::make_tuple(code >= 10 && code < 14 ? B5(kTabNames[code - 10]) : "",
                                           code >= 0 && code < 6 ? 92 + 40 * code : -1, rows))
            << code;
    }
    // Up on the first row and down on the last scroll by a slot, the page keys by
    // three; none of them goes above slot 01 or past slot 99, and the focus and the
    // cursor stay on the row.
    const struct {
        i32 top, row;
        u8 key;
        int times;
        i32 after;
    } cases[] = {
        {30, 20, kScanUp, 1, 29},   {30, 22, kScanDown, 1, 31}, {30, 21, kScanPgDn, 1, 33},
        {30, 21, kScanPgUp, 2, 24}, {1, 20, kScanUp, 2, 0},     {0, 22, kScanPgUp, 1, 0},
        {95, 22, kScanDown, 2, 96}, {94, 20, kScanPgDn, 1, 96},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.top) + " key " + std::to_string(c.key));
        OpenSlots(8, c.top);
        HoverFocus(c.row);
        for (int i = 0; i < c.times; ++i) Press(c.key);
        EXPECT_EQ(std::make_tuple(gSaveLoadFrame->top, gSaveLoadFrame->focus),
                  std::make_tuple(c.after, c.row));
        ExpectCursorOn(c.row, "row");
        char first[16];
        std::snprintf(first, sizeof(first), "%02d", c.after + 1);
        EXPECT_EQ(std::string(gSaveLoadFrame->rows[0].number), first);
    }
    // The page-down button stops at slot 99 too; a position from a damaged
    // options file is clamped.
    OpenSlots(9, 94);
    Click(kSlotPageDown, 320, 430);
    EXPECT_EQ(std::make_tuple(gSaveLoadFrame->top, std::string(gSaveLoadFrame->rows[2].number)),
              std::make_tuple(96, std::string("99")));
    gSaveSlotPos = 2999;
    gFramePhase = 2;
    h.RunFrames(1);
    Open(9);
    EXPECT_EQ(gSaveLoadFrame->top, 96);
}

// The confirm key clicks what the focus put the cursor on; yes and no by keys.
TEST_F(SlotKeysTest, ConfirmActivatesTheFocusedItemAndAnswersTheBox) {
    gSmartMouse = 0;
    Park();
    OpenSlots(9, 30);
    EXPECT_EQ(gSaveLoadFrame->focus, 0);  // without smart mouse the keys start on the list
    // Slot row 0, tab 0, tab 2 (the quick-save page), confirm.
    Press({kScanTab, kScanTab, kScanRight, kScanRight, kScanEnter});
    EXPECT_EQ(FinishClose(), kScreenBit | 25);
    RightClick();  // the quick-save page goes back to the map
    h.RunFrames(1);
    ASSERT_EQ(gFrameId, 0u);

    Park();
    OpenSlots(9, 30);
    Press({kScanDown, kScanEnter});  // list row 1 is this screen: nothing
    EXPECT_EQ(gFramePhase, 1u);
    Press({kScanUp, kScanEnter});  // list row 0 leads to the save screen
    EXPECT_EQ(FinishClose(), kScreenBit | 8);

    // On the save screen (the cursor still on list row 0): an empty slot, then
    // the page-down button by keys.
    ASSERT_EQ(std::make_tuple(gSaveLoadFrame->screen, gSaveLoadFrame->top),
              std::make_tuple(Screen::SaveSlots, 30));
    Press({kScanLeft, kScanDown, kScanDown, kScanUp});  // list row 0 -> slot row 0 -> 21
    EXPECT_EQ(gSaveLoadFrame->focus, 21);
    Press(kScanEnter);  // slot 32 is empty: saved at once
    EXPECT_EQ(std::make_tuple(IsSlotUsed(31), gSaveLoadFrame->boxOpen), std::make_tuple(1, 0u));
    HoverFocus(kFocusPageUp);
    Press({kScanRight, kScanEnter});
    EXPECT_EQ(gSaveLoadFrame->top, 33);

    // Yes and no by keys.
    gScriptVars[0] = 100;
    ASSERT_EQ(SaveToSlotFile(1), 1);
    gScriptVars[0] = 200;
    Park();
    OpenSlots(8, 0);
    Press({kScanTab, kScanDown, kScanEnter});  // slot 02 is used: the box asks, focus on no
    ASSERT_EQ(std::make_tuple(gSaveLoadFrame->boxOpen, gSaveLoadFrame->focus),
              std::make_tuple(1u, kFocusNo));
    const u8 swaps[] = {kScanLeft, kScanRight, kScanUp, kScanDown, kScanTab};
    i32 expect = kFocusNo;
    for (u8 key : swaps) {
        Press(key);
        expect = expect == kFocusYes ? kFocusNo : kFocusYes;
        EXPECT_EQ(gSaveLoadFrame->focus, expect) << int(key);
        ExpectCursorOn(expect, "box " + std::to_string(key));
        EXPECT_EQ(gSaveLoadFrame->top, 0);
    }
    Press(kScanPgDn);  // page keys leave the box alone
    EXPECT_EQ(std::make_tuple(gSaveLoadFrame->focus, gSaveLoadFrame->top),
              std::make_tuple(kFocusYes, 0));
    Press({kScanRight, kScanEnter});  // no
    EXPECT_EQ(std::make_tuple(gSaveLoadFrame->boxOpen, SlotMoney(1)),
              std::make_tuple(0u, i64{100}));

    // With smart mouse the box puts the cursor on yes and, closed, back on the
    // asked slot's row.
    gSmartMouse = 1;
    HoverFocus(21);
    Press(kScanEnter);
    ASSERT_EQ(std::make_tuple(gSaveLoadFrame->boxOpen, gSaveLoadFrame->focus),
              std::make_tuple(1u, kFocusYes));
    ExpectCursorOn(kFocusYes, "box opened");
    Press(kScanEnter);
    EXPECT_EQ(std::make_tuple(gSaveLoadFrame->boxOpen, SlotMoney(1), gSaveLoadFrame->focus),
              std::make_tuple(0u, i64{200}, 21));
    ExpectCursorOn(21, "box closed");
}

TEST_F(SlotKeysTest, TitleLoadKeysAndNoFunctionKeys) {
    gSmartMouse = 0;
    Park();
    OpenTitleLoad(30);
    // No list here: the keys start on the remembered slot row.
    EXPECT_EQ(gSaveLoadFrame->focus, kFocusRow0);
    const KeyStep steps[] = {
        {20, kScanTab, 30},   {30, kScanLeft, 31}, {31, kScanRight, 30}, {30, kScanTab, 20},
        {20, kScanRight, 20}, {20, kScanLeft, 20}, {20, kScanDown, 21},  {21, kScanTab, 30},
        {30, kScanUp, 22},    {22, kScanUp, 21},   {21, kScanTab, 30},   {30, kScanDown, 30},
    };
    WalkSteps(steps, &gSaveLoadFrame->focus);
    EXPECT_EQ(gSaveLoadFrame->top, 30);
    Press(kScanF4);
    EXPECT_EQ(std::make_tuple(gFrameId, gFramePhase), std::make_tuple(kScreenBit | 26, 1u));
    Press({kScanRight, kScanEnter});  // page down
    EXPECT_EQ(gSaveLoadFrame->top, 33);
    Press({kScanTab, kScanPgUp});  // slot row 0, a page up
    EXPECT_EQ(std::make_tuple(gSaveLoadFrame->top, gSaveLoadFrame->focus), std::make_tuple(30, 20));
}

TEST_F(SlotKeysTest, QuickPageTabsBoxesAndItsBoxByKeys) {
    gSmartMouse = 0;
    Park();
    Open(25);
    ASSERT_NE(gQuickSaveFrame, nullptr);
    cQuickSaveFrame* f = gQuickSaveFrame;
    EXPECT_EQ(f->focus, 0);
    const KeyStep steps[] = {
        {0, kScanLeft, 3},   {3, kScanRight, 0},  {0, kScanRight, 1},  {1, kScanUp, 1},
        {1, kScanDown, 1},   {1, kScanTab, 10},   {10, kScanDown, 11}, {11, kScanUp, 10},
        {10, kScanUp, 11},   {11, kScanLeft, 11}, {11, kScanTab, 0},   {0, kScanTab, 10},
        {10, kScanDown, 11},
    };
    WalkSteps(steps, &f->focus, cQuickSaveFrame::FocusPoint);
    Press(kScanEnter);  // save with no quick save: at once
    EXPECT_EQ(std::make_tuple(IsQuickSaveValid(), f->boxOpen), std::make_tuple(1, 0u));
    Press(kScanEnter);  // again: the box asks, the keys on no
    ASSERT_EQ(f->boxOpen, 1u);
    // The box halves do not take the switch key.
    const KeyStep box[] = {{kFocusNo, kScanLeft, kFocusYes},
                           {kFocusYes, kScanUp, kFocusNo},
                           {kFocusNo, kScanTab, kFocusNo}};
    WalkSteps(box, &f->focus, cQuickSaveFrame::FocusPoint);
    Press(kScanEnter);
    EXPECT_EQ(std::make_tuple(f->boxOpen, f->focus, gFrameId),
              std::make_tuple(0u, 0, kScreenBit | 25));
    Press({kScanLeft, kScanEnter});  // tab 3 by keys leads to the system menu
    EXPECT_EQ(FinishClose(), kScreenBit | 13);
}

TEST_F(SlotKeysTest, QuickPageHoverTipsAndALoadThatAsksOnlyWithAQuickSave) {
    gSmartMouse = 1;
    Open(25);
    cQuickSaveFrame* f = gQuickSaveFrame;
    EXPECT_EQ(std::make_tuple(gMouseInput.x, gMouseInput.y), std::make_tuple(458, 170))
        << "smart mouse: on the load box";
    // Each box and tab hovered, then nothing (its focus unchecked): the tip and
    // the boxes' pictures.
    const i32 t0 = TabPointX(0), t1 = TabPointX(1), t2 = TabPointX(2), t3 = TabPointX(3);
    const i32 ty = kTabPointY;
    const struct {
        i32 x, y, focus;
        const char* tip;
        i32 load, save;
    } hovers[] = {{458, 170, kQuickFocusLoad, "讀取進度", 7, 6},
                  {458, 336, kQuickFocusSave, "儲存進度", 6, 7},
                  {t0, ty, 0, kTabNames[0], 6, 6},
                  {t1, ty, 1, kTabNames[1], 6, 6},
                  {t2, ty, 2, kTabNames[2], 6, 6},
                  {t3, ty, 3, kTabNames[3], 6, 6},
                  {60, 460, -1, nullptr, 6, 6}};
    for (const auto& v : hovers) {
        MoveTo(v.x, v.y, 2);
        EXPECT_TRUE(v.focus < 0 || f->focus == v.focus) << v.x << "," << v.y;
        EXPECT_EQ(std::string(f->tooltip->shown ? f->tooltip->text : ""), v.tip ? B5(v.tip) : "");
        EXPECT_EQ(std::make_tuple(f->boxes[0].background->normalPic->player.action,
                                  f->boxes[1].background->normalPic->player.action),
                  std::make_tuple(v.load, v.save));
    }
    // A load asks, and only with a quick save.
    // Both boxes: money at x 263, play time at x 379, on the box's money line.
    for (int b = 0; b < 2; ++b) {
        const SaveRowView& v = gQuickSaveFrame->boxes[b];
        const i32 y = b == 0 ? 201 : 372;
        EXPECT_EQ(std::make_tuple(v.moneyCtl->x, v.moneyCtl->y), std::make_tuple(263, y)) << b;
        EXPECT_EQ(std::make_tuple(v.timeCtl->x, v.timeCtl->y), std::make_tuple(379, y)) << b;
    }
    EXPECT_EQ(std::string(gQuickSaveFrame->boxes[0].money), B5("沒有資料"));
    Click(kQuickBoxes, 300, 150);  // load without a quick save: nothing
    EXPECT_EQ(gQuickSaveFrame->boxOpen, 0u);
    Click(kQuickBoxes, 300, 300);  // save: at once (the keys test asks again)
    EXPECT_EQ(std::strncmp(gQuickSaveFrame->boxes[1].money, B5("金錢："), 6), 0);
    gScriptVars[0] = 99;
    Click(kQuickBoxes, 300, 150);  // load: asks
    EXPECT_EQ(gQuickSaveFrame->boxOpen, 1u);
    Click(kQuickBox, 250, 250);  // yes
    EXPECT_NE(gScriptVars[0], 99u);
    h.RunFrames(1);
    EXPECT_EQ(gFrameId, kScreenBit | 15);
}

// A game that ended released the databases whose counts size a save's item
// and monster blocks: the load screen must not read every slot as empty then.
// An empty slot does not load; cancel goes back to the title. Loading from the
// title empties playlist 1 so nothing of the last game's music plays on; the
// zoom that follows has its own cursor picture.
TEST_F(SlotKeysTest, TitleLoadAfterAGameEndedLoadsNoEmptySlotAndClearsPlaylistOne) {
    gScriptVars[0] = 4321;
    ASSERT_EQ(SaveToSlotFile(0), 1);
    WriteHostFile(h.Path("game/Save/MH03.sav"), std::vector<u8>(136001, 0));  // big, not a save
    EndGame();
    ASSERT_EQ(gItems, nullptr);
    gScriptVars[0] = 0;
    gSmartMouse = 1;
    OpenTitleLoad(0);
    EXPECT_EQ(std::string(gSaveLoadFrame->rows[2].date), B5("沒有資料"));
    HoverFocus(kFocusRow0 + 2);
    Press(kScanEnter);
    EXPECT_EQ(std::make_tuple(gFrameId, gFramePhase), std::make_tuple(kScreenBit | 26, 1u));
    RightClick();
    EXPECT_EQ(FinishClose(), kScreenBit | 0);
    ClickAt(TitleButtonX(1), kTitleButtonY);  // the title is open: its load button
    ASSERT_EQ(FinishClose(), kScreenBit | 26);
    EXPECT_NE(std::string(gSaveLoadFrame->rows[0].date), B5("沒有資料"));
    gMusic.SetTrack("old1.mid", 901, 0, 1);
    gMusic.SetTrack("old2.mid", 902, 1, 1);
    h.RunFrames(1);
    Press(kScanEnter);  // the cursor sits on row 0
    EXPECT_EQ(gScriptVars[0], 4321u);
    for (const cMusic::Slot& s : gMusic.GetList(1).slots)
        EXPECT_TRUE(s.id != 901 && s.id != 902) << s.id;
    h.RunFrames(2);
    ASSERT_EQ(gFrameId, kScreenBit | 15);
    ASSERT_NE(gMouseInput.cursorPic, nullptr);
    EXPECT_EQ(std::make_tuple(gMouseInput.cursorPic, gMouseInput.cursorPic->player.act),
              std::make_tuple(gZoomFrame->cursorPic, 9102));
    h.RunFrames(1, 900);
    h.RunFrames(2);
    EXPECT_EQ(std::make_tuple(gFrameId, gZoomFrame), std::make_tuple(0u, nullptr));
}

// A replay through the real tick with scripted keys and mouse: the title's new
// game, the opening talk, a walk, the question answered, an encounter won on
// auto battle, F9, changes, F10; then
// a save into slot 3 through the system menu and the save screen, back to the
// title and slot 3 loaded through the load screen.

constexpr int kChangedFlag = 210;

// What a save must give back: the map, the player's place, the story's flags,
// the money and the party. Flags below 100 are the engine's switches, some of
// which a load sets on purpose; the story's flags start above them.
auto TakeState() {
    return std::make_tuple(gMapId, gMapRoles[gPlayerSlot].x, gMapRoles[gPlayerSlot].y,
                           std::vector<u8>(gGameFlags + 13, gGameFlags + kSavedFlagBytes),
                           gScriptVars[0], std::vector<i32>(gParty, gParty + kPartySize));
}

// The save of slot 3 without what the wall clock and the art decide (the date
// and the thumbnail, which other tests check), packed again as the game packs
// it, compared with the golden save kept in the repository; MH_UPDATE_GOLDEN=1
// writes it instead (after a change to the sample game or to what a save holds).
void ExpectGoldenSave(const std::vector<u8>& file) {
    auto img = std::make_unique<SaveImage>();
    DataError error;
    EXPECT_TRUE(ParseSaveImage(file.data(), file.size(), img.get(), &error)) << error.Message();
    std::memset(img->header.date, 0, sizeof(img->header.date));
    std::memset(img->header.thumb, 0, sizeof(img->header.thumb));
    const std::vector<u8> bytes = SaveImageBytes(*img);
    const std::string path = std::string(MH_GOLDEN_DIR) + "/replay-slot3.sav";
    if (const char* u = std::getenv("MH_UPDATE_GOLDEN"); u && *u == '1') {
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
        return;
    }
    std::vector<u8> golden = ReadHostFile(path);
    ASSERT_FALSE(golden.empty()) << path << " is missing";
    EXPECT_TRUE(bytes == golden)
        << "the replay's save differs from " << path << " (" << bytes.size() << " bytes against "
        << golden.size() << "); if the change is meant, refresh it with\n"
        << "  MH_UPDATE_GOLDEN=1 build/moonharbor_tests --gtest_filter='Replay.*'";
}

struct Replay : SampleTownTest {
    SampleSession s{h};

    // Walks away, sets a story flag and spends money.
    void ChangeTheState() {
        u16 y = s.P().y;
        PlatformSetKey(kArrowUp, true);
        ASSERT_TRUE(h.RunUntil([&] { return s.P().y + 32 <= y; }, 60));
        PlatformSetKey(kArrowUp, false);
        h.RunFrames(10);
        SetGameFlag(kChangedFlag);
        gScriptVars[0] = 7;
    }
    // Runs until map mode is back with the player standing on the grid.
    bool BackInMapMode(int limit) {
        return h.RunUntil([] { return gFrameId == 0 && gPlayerSlot > 0; }, limit);
    }
};

TEST_F(Replay, QuickSaveAndLoadThenSlotThreeThroughTheScreens) {
    // Play to the point of the first save: the opening talk closed, the walk
    // to the person and its question answered "yes"; then the town's
    // encounter, switched to auto battle: a slime's 20 gold and 12 experience
    // go into the saves.
    SetGameFlag(SampleSession::kFlagNoEncounters);
    ASSERT_TRUE(h.RunUntil([] { return !gDialogs.empty(); }, 20));
    ASSERT_TRUE(s.ConfirmUntilTalkEnds());
    ASSERT_GT(s.WalkToTheQuestion(), 0);
    s.Tap(s.Confirm());
    ASSERT_TRUE(h.RunUntil([] { return ChoiceOpen() && ChoicesShown(); }, 200));
    s.Tap(s.Confirm());
    ASSERT_TRUE(s.ConfirmUntilTalkEnds());
    ASSERT_TRUE(GetGameFlag(kSampleYesFlag));
    h.RunFrames(15);  // the mouse lock after a box runs out
    const u32 money = gScriptVars[0];
    const i32 exp = gRoleStats[0].exp;
    gBattleRequest = sample_battle::kTownEncounter;
    EnterBattle();
    ASSERT_TRUE(h.RunUntil([] { return gBattle.phase() == kPhaseMain; }, 30));
    s.Tap(static_cast<u8>(gKeyBindings[kKeyAutoAttack]));
    ASSERT_TRUE(h.RunUntil([] { return gBattleActive == 0; }, 3000));
    ASSERT_EQ(std::make_tuple(gScriptVars[0], gRoleStats[0].exp),
              std::make_tuple(money + 20, exp + 12));
    ASSERT_TRUE(BackInMapMode(20));
    h.RunFrames(15);
    const auto saved = TakeState();
    ASSERT_EQ(std::get<0>(saved), sampleMap::kTown);

    // F9: the "saving" notice, then the quick save.
    ASSERT_EQ(IsQuickSaveValid(), 0);
    s.Tap(scan::kF9);
    EXPECT_EQ(gFrameId & 0xFF, 28u);
    ASSERT_NE(gQuickNoticeFrame, nullptr);
    EXPECT_EQ(std::string(gQuickNoticeFrame->text), B5("儲存中..."));
    EXPECT_EQ(IsQuickSaveValid(), 0) << "written after the notice";
    ASSERT_TRUE(BackInMapMode(60));
    ASSERT_EQ(IsQuickSaveValid(), 1);

    ChangeTheState();
    const auto changed = TakeState();
    ASSERT_NE(changed, saved);
    ASSERT_NE(std::get<2>(changed), std::get<2>(saved));

    // F10: the "loading" notice, the quick save comes back.
    s.Tap(scan::kF10);
    EXPECT_EQ(gFrameId & 0xFF, 29u);
    ASSERT_TRUE(BackInMapMode(120));
    h.RunFrames(2);
    EXPECT_EQ(TakeState(), saved);
    EXPECT_FALSE(GetGameFlag(kChangedFlag));

    // F4 opens the system menu with the cursor on its first row, "save".
    h.RunFrames(15);
    s.Tap(scan::kF4);
    ASSERT_TRUE(h.RunUntil([] { return gFrameId == (kScreenBit | 13) && gFramePhase == 1; }, 10));
    s.Click();
    ASSERT_TRUE(h.RunUntil([] { return gFrameId == (kScreenBit | 8) && gFramePhase == 1; }, 10));
    ASSERT_NE(gSaveLoadFrame, nullptr);
    ASSERT_EQ(gSaveLoadFrame->top, 0) << "the list starts at slot 1";
    // Slot 3 is the third row.
    s.PointAt(200, 50 + 124 * 2 + 50);
    s.Click();
    ASSERT_FALSE(ReadHostFile(h.Path("game/Save/MH03.sav")).empty());
    // The right button leaves the save screen for the system menu, and that for the map.
    RightClick();
    ASSERT_TRUE(h.RunUntil([] { return gFrameId == (kScreenBit | 13) && gFramePhase == 1; }, 10));
    RightClick();
    ASSERT_TRUE(BackInMapMode(20));

    // The state changes again, then back to the title: the system menu's last
    // row asks "回主選單？", and its left half (確定) says yes.
    ChangeTheState();
    ASSERT_NE(TakeState(), saved);
    h.RunFrames(15);
    s.Tap(scan::kF4);
    ASSERT_TRUE(h.RunUntil([] { return gFrameId == (kScreenBit | 13) && gFramePhase == 1; }, 10));
    s.PointAt(SysRowPointX(), SysRowPointY(kSysRows - 1));
    s.Click();
    ASSERT_TRUE(h.RunUntil([] { return gFrameId == (kScreenBit | 1) && gFramePhase == 1; }, 10));
    s.PointAt(298, 262);
    s.Click();
    ASSERT_TRUE(h.RunUntil([] { return gFrameId == (kScreenBit | 0) && gFramePhase == 1; }, 20));
    ASSERT_NE(gMainMenuFrame, nullptr);

    // The title's "load" button opens the load screen; slot 3 loads.
    s.PointAt(TitleButtonX(1), kTitleButtonY);
    s.Click();
    ASSERT_TRUE(h.RunUntil([] { return gFrameId == (kScreenBit | 26) && gFramePhase == 1; }, 10));
    EXPECT_NE(std::string(gSaveLoadFrame->rows[2].date), B5("沒有資料"));
    s.PointAt(200, 50 + 124 * 2 + 50);
    s.Click();
    ASSERT_TRUE(BackInMapMode(120));
    h.RunFrames(2);
    EXPECT_EQ(TakeState(), saved);
    EXPECT_FALSE(GetGameFlag(kChangedFlag));
    EXPECT_TRUE(h.boxes().empty());
    ExpectGoldenSave(ReadHostFile(h.Path("game/Save/MH03.sav")));
}

// A quick save made in play, the game started anew, F10 on the title: the
// "loading" notice, then the town with the player on the cell it was saved on.
TEST_F(Replay, TheTitlesF10LoadsTheQuickSaveAfterAFreshStart) {
    SetGameFlag(SampleSession::kFlagNoEncounters);
    ASSERT_TRUE(h.RunUntil([] { return !gDialogs.empty(); }, 20));
    ASSERT_TRUE(s.ConfirmUntilTalkEnds());
    ChangeTheState();
    const auto saved = TakeState();
    ASSERT_EQ(std::get<0>(saved), sampleMap::kTown);
    s.Tap(scan::kF9);
    ASSERT_TRUE(BackInMapMode(60));
    ASSERT_EQ(IsQuickSaveValid(), 1);

    // Every module back to its start, as a new run of the program finds it.
    ResetAllGlobals();
    PlatformSetVirtualTime(100000);
    StartAtTheTitle();
    ASSERT_EQ(gFrameId, kScreenBit | 0u);
    s.Tap(scan::kF10);
    ASSERT_TRUE(h.RunUntil([] { return gFrameId == (kScreenBit | 32) && gFramePhase == 1; }, 5));
    EXPECT_EQ(std::string(gQuickNoticeFrame->text), B5("讀取中..."));
    ASSERT_TRUE(BackInMapMode(120));
    h.RunFrames(2);
    EXPECT_EQ(TakeState(), saved);
    EXPECT_TRUE(GetGameFlag(kChangedFlag));
    EXPECT_TRUE(h.boxes().empty());
}

}  // namespace
