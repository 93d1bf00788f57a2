// Save files: the save's bytes from the layout table, round trips, the
// developer tool and its file, and bad files and failing file systems that
// must change nothing of the running game.

#include <algorithm>
#include <random>

#include "battle/Battle.h"
#include "data/Options.h"
#include "engine/Lzo.h"
#include "map/MapCache.h"
#include "map/MapDb.h"
#include "map/MapScene.h"
#include "map/NewGame.h"
#include "mhdata/Maps.h"
#include "platform/FileCalls.h"
#include "platform/FolderLock.h"
#include "platform/HostFs.h"
#include "platform/TextCodec.h"
#include "shell/Startup.h"
#include "story/PartyCommands.h"
#include "story/TextTools.h"
#include "support/SampleSession.h"
#include "support/SysScreenSupport.h"
#include "ui/DevTool.h"
#include "ui/MainMenu.h"
#include "ui/SaveScreens.h"
#include "ui/ScreenLink.h"

namespace fs = std::filesystem;

namespace {

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
        for (auto [k, role, level] : {std::tuple{0, 0, 11}, {1, 1, 22}, {2, 4, 44}}) {
            gParty[k] = role;
            gRoleStats[role].level = level;
        }
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
    // Counts and indexes the save's reader checks against their tables: where
    // a word is put, the word, and what it stands for.
    const size_t roles = 38548 + 8 + LoadU32(&save.good[38548]);
    const std::vector<size_t> b = Boundaries();
    const std::tuple<size_t, u32, const char*> words[] = {
        {roles + 4, LoadU32(&save.good[roles + 4]) + 1, "role rows of 27"},  // not a multiple of 26
        {b[13], 0xFFFFFFFFu, "quest count 0xFFFFFFFF"},                      // item 14
        {38451 + 8 * 3, 8, "party index 8"},
        {38451 + 8 * 3, static_cast<u32>(-2), "party index -2"},
        {b[15] + 4, 8, "formation[1] 8"},
        {b[15] + 4, static_cast<u32>(-2), "formation[1] -2"}};
    for (const auto& [at, word, what] : words) {
        std::vector<u8> f = save.good;
        StoreU32(&f[at], word);
        ExpectRefused(save, f, what);
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
    Tap(kScanEsc, 0);
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
    auto now = fs::file_time_type::clock::now();
    fs::last_write_time(File(7), now - std::chrono::hours(2));
    fs::last_write_time(File(4), now - std::chrono::hours(1));
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
    EXPECT_EQ(std::make_tuple(fs::exists(File(4)), gDevToolActive),
              std::make_tuple(true, kDevToolOff));

    // Over an existing file it asks; "否" keeps the file, confirm writes it.
    auto stamp = fs::file_time_type::clock::now() - std::chrono::hours(3);
    fs::last_write_time(File(4), stamp);
    gDevToolActive = kDevToolOn;
    Tap(kScanF2);
    ASSERT_EQ(gDevTool.rows[1].state, 2);
    Tap(kScanS);
    EXPECT_TRUE(gDevTool.asking);
    ClickAt(312, 248);
    EXPECT_EQ(std::make_tuple(gDevTool.asking, fs::last_write_time(File(4)), gDevToolActive),
              std::make_tuple(false, stamp, kDevToolOn));
    Tap(kScanS);
    ASSERT_TRUE(gDevTool.asking);
    Tap(static_cast<u8>(gMapKeyCodes[1]));
    EXPECT_EQ(std::make_tuple(fs::last_write_time(File(4)) != stamp, gDevToolActive),
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

size_t Occurrences(const std::string& text, const std::string& part) {
    size_t n = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
    return n;
}

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
    bool told;     // a failure names the file on stderr (the map cache's table only costs order)
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
         [](const std::vector<u8>& b) { return SavedMoney(b) == 222; }, true, true},
        {"quick save", h.Path("game/Save/Quick.sav"), [] { return QuickSave(); },
         [](const std::vector<u8>& b) { return SavedMoney(b) == 222; }, true, true},
        {"options", h.Path("game/Save/Option.sav"), [] { return SaveOptions(); },
         [](const std::vector<u8>& b) { return b.size() == 88 && b[28] == 9; }, false, true},
        {"settings", h.Path("game/Env.dat"), [&env] { return WriteEnvFile(env); },
         [](const std::vector<u8>& b) { return b.size() > 24 && b[24] == 9; }, false, true},
        {"screenshot", shotPath,
         [&] { return SaveScreenShot(shot.data(), 8, 8, "ScrnShot\\00000.bmp"); },
         [](const std::vector<u8>& b) { return b.size() == 54 + 8 * 24; }, false, true},
        {"developer save", HostPath(DevSavePath(1)), [] { return WriteDevSave(1); },
         [](const std::vector<u8>& b) {
             auto img = std::make_unique<DevSaveImage>();
             return ParseDevSave(b.data(), b.size(), img.get(), nullptr) &&
                    img->scriptVars[0] == 222;
         },
         true, true},
        {"map cache table", h.Path("game/data/mcache.dat"),
         [&slots] { return WriteCacheTable(slots) ? 1 : 0; },
         [](const std::vector<u8>& b) {
             return b.size() == kCacheSlots * kCacheSlotBytes &&
                    LoadU32(b.data() + kLastAge) == 0x5A5A5A5Au;
         },
         false, false},
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
                testing::internal::CaptureStderr();
                int r = w.write();
                std::string said = testing::internal::GetCapturedStderr();
                ResetFileCalls();
                // A failed write names its file once, in the one wording.
                std::string named = fs::path(w.path).filename().string() + ": could not be written";
                EXPECT_EQ(Occurrences(said, ": could not be written"), r == 1 || !w.told ? 0 : 1)
                    << said;
                if (r != 1 && w.told) {
                    EXPECT_NE(said.find(named), std::string::npos) << said;
                }
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
    // A load in play, asked and answered yes; the zoom that follows sits at y
    // 52 and ends after 803 ms whatever the frame rate.
    gScriptVars[0] = 99;
    Open(9);
    EXPECT_STRNE(gSaveLoadFrame->rows[0].time, "");
    Click(kSlotRows, 100, 60);
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
    // A quick save that goes bad while "讀取中..." shows is named and not loaded.
    WriteHostFile(h.Path("game/Save/Quick.sav"), good);
    QuickLoadKey();
    h.RunFrames(2);
    EXPECT_EQ(std::string(gQuickNoticeFrame->text), B5("讀取中..."));
    WriteHostFile(h.Path("game/Save/Quick.sav"), lost);
    h.boxes().clear();
    h.RunFrames(30);
    EXPECT_TRUE(BoxSays(B5("讀取進度"), B5("進度檔已損毀")));
    EXPECT_EQ(std::make_tuple(gFrameId, gScriptVars[0]), std::make_tuple(0u, 222u));
    // The load screen lists it as empty and does not load it.
    Open(9);
    EXPECT_EQ(std::string(gSaveLoadFrame->rows[0].date), B5("沒有資料"));
    Click(kSlotRows, 100, 60);
    EXPECT_EQ(gSaveLoadFrame->boxOpen, 0u);
    // A good save that turns bad between the question and "yes" gives the notice.
    WriteHostFile(h.Path("game/Save/MH01.sav"), good);
    CloseRunning();
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
    std::set<fs::path> before = folders();
    before.insert(h.Path(kFolderLockName));  // the lock a start takes of its folder
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
    // No boxes, no junk folders: only the last damaged file kept beside the settings.
    std::set<fs::path> after = folders();
    EXPECT_EQ(after.erase(fs::path(h.Path("Env.dat.bad"))), 1u);
    EXPECT_EQ(std::make_tuple(h.boxes().size(), after), std::make_tuple(size_t{0}, before));
}

}  // namespace
