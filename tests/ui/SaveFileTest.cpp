// The save file: its bytes from the layout table, round trips, the loaders
// into the running game, and bad files that must change nothing.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <functional>

#include "data/GameData.h"
#include "data/GameFlags.h"
#include "map/MapScene.h"
#include "platform/TextCodec.h"
#include "story/PartyCommands.h"
#include "story/Talk.h"
#include "ui/DevTool.h"
#include "SaveTestSupport.h"
#include "ui/SaveFile.h"
#include "map/RoleTable.h"
#include "map/City.h"

namespace {

// The running game packed as a save, without the header the clock moves.
struct Snapshot {
    std::vector<u8> bytes;
    static Snapshot Take() {
        SaveImage img;
        BuildSaveImage(&img, nullptr);
        img.header = SaveHeader{};  // the date moves with the clock
        return {SaveImageBytes(img)};
    }
};

struct SaveFileTest : SampleTownTest {
    void SetUp() override {
        SampleTownTest::SetUp();
        ASSERT_GT(gItemCount, 0);
        ASSERT_GT(gEquipageCount, 0);
        ASSERT_GT(gRoleRecordCount, 0);
    }
    // A game state that differs from the new game in every item.
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
    }
    i32 otherRow = 0;
    std::vector<u8> Bytes() {
        SaveImage img;
        BuildSaveImage(&img, nullptr);
        return SaveImageBytes(img);
    }
};

TEST(SaveTexts, DatesOnTheTwelveHourClock) {
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
}

TEST(SaveTexts, MoneyAndPlayTimeKeepTheirWidths) {
    char m[kSaveMoneyBytes];
    FormatSaveMoney(12345678, m);
    EXPECT_EQ(std::string(m, 13), std::string(B5("金錢：")) + "1234567");
    FormatSaveMoney(42, m);
    EXPECT_EQ(std::string(m, 13), std::string(B5("金錢：")) + "     42");
    char t[kSaveTimeBytes];
    FormatSavePlayTime(61 * 3600 + 2 * 60 + 3, t);  // hours wrap at 60
    EXPECT_EQ(std::string(t, 20),
              std::string(B5("遊戲時間：")) + "01" + B5("：") + "02" + B5("：") + "03");
}

// Offsets worked from the layout table; inside the items, item 9's seven words,
// item 17's RoleStats then RoleData per role (its six worn slots and extra word
// after the 192 data bytes), a piece of item 19 and a form of item 21.
TEST_F(SaveFileTest, BytesFollowTheLayoutTable) {
    MakeKnownState();
    RoleSlot& p = gMapRoles[gPlayerSlot];
    ASSERT_NE(p.act, nullptr);
    p.x = 16 * 7;
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
    std::vector<u8> f = Bytes();
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
    EXPECT_EQ(std::memcmp(&f[38528], B5("遊戲時間："), 10), 0);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&f[38538]), 2), "03");
    // Item 7: 500 bytes of flags with flag 324 set.
    size_t off = 38548;
    std::vector<u8> flags = UnpackAt(f, &off);
    ASSERT_EQ(flags.size(), 500u);
    EXPECT_EQ(std::memcmp(flags.data(), gGameFlags, 500), 0);
    // Item 8: the role records, 26 bytes a row.
    std::vector<u8> roles = UnpackAt(f, &off);
    EXPECT_EQ(roles.size(), static_cast<size_t>(gRoleRecordCount) * 26);
    EXPECT_EQ(LoadU16(&roles[otherRow * 26 + 14]), 0x1234);
    // Item 9.
    const u32 item9[7] = {gPlayerId, gMapId, 7, 9, 1234, 5, 6};
    for (int i = 0; i < 7; ++i) EXPECT_EQ(LoadU32(&f[off + 4 * i]), item9[i]) << "word " << i;
    off += 28;
    // Item 10: time, variables, music rows, end mark.
    std::vector<u8> vars = UnpackAt(f, &off);
    ASSERT_GE(vars.size(), 1030u);
    EXPECT_EQ((vars.size() - 1030) % 8, 0u);
    EXPECT_EQ(LoadU32(&vars[0]), gGameTime);
    EXPECT_EQ(LoadU32(&vars[4]), 12345678u);
    EXPECT_EQ(LoadU32(&vars[4 + 4 * 200]), 77u);
    EXPECT_EQ(LoadU16(&vars[vars.size() - 2]), 0);
    // Items 11, 12, 13.
    EXPECT_EQ(f[off + 100], 0x5A);
    off += 384;
    EXPECT_EQ(LoadU16(&f[off]), 6);
    EXPECT_EQ(LoadU16(&f[off + 2]), 0xFFFF);
    EXPECT_EQ(f[off + 4 + 3], 9);
    off += 132;
    std::vector<u8> recs = UnpackAt(f, &off);
    ASSERT_EQ(recs.size(), 104u);
    EXPECT_EQ(LoadU16(&recs[0]), 0x0101);
    EXPECT_EQ(LoadU16(&recs[24]), 0xBEEF);
    EXPECT_EQ(recs[52], 0);  // record B absent: zeros
    // Item 14 and what follows: the file ends after item 22.
    EXPECT_EQ(LoadU32(&f[off]), 3u);
    EXPECT_EQ(LoadU32(&f[off + 12]), 2u);
    off += 16;
    EXPECT_EQ(LoadU32(&f[off]), 9u);  // first owned item
    size_t rest =
        4 * gItemCount + 32 + 8 * 412 + 4 * gMonsterCount + 256 * 232 + 1440 + 20 * 492 + 24;
    EXPECT_EQ(f.size(), off + rest);
    EXPECT_EQ(static_cast<i32>(LoadU32(&f[off + 4 * gItemCount])), 2);  // formation[0]
    EXPECT_EQ(LoadU32(&f[f.size() - 24 + 16]), 55u);                    // music override1
    off += 4 * gItemCount + 32;                                         // items 15 and 16
    const u8* role3 = &f[off + 3 * 412];
    EXPECT_EQ(LoadU32(role3 + 12), 3312u);
    EXPECT_EQ(LoadU32(role3 + 56), 3356u);
    EXPECT_EQ(LoadU32(role3 + 192 + 12), 3012u);
    EXPECT_EQ(LoadU32(role3 + 192 + 56), 3056u);
    for (int k = 0; k < kSlotCount; ++k)
        EXPECT_EQ(LoadU32(role3 + 192 + 192 + 4 * k), static_cast<u32>(3192 + 4 * k));
    EXPECT_EQ(LoadU32(role3 + 192 + 216), 3216u);
    off += 8 * 412 + 4 * gMonsterCount;
    EXPECT_EQ(LoadU32(&f[off + 5 * 232]), static_cast<u32>(gEquipageCount - 1));
    EXPECT_EQ(LoadU32(&f[off + 5 * 232 + 40]), 5040u);
    EXPECT_EQ(LoadU32(&f[off + 5 * 232 + 48]), 5048u);
    off += 256 * 232 + 1440;
    EXPECT_EQ(LoadU32(&f[off + 2 * 492 + 12]), 5u);
    EXPECT_EQ(LoadU32(&f[off + 2 * 492 + 192]), 2192u);
}

TEST_F(SaveFileTest, SaveChangeLoadGivesBackTheSavedState) {
    MakeKnownState();
    ASSERT_EQ(QuickSave(), 1);
    std::vector<u8> saved = ReadHostFile(h.Path("Save/Quick.sav"));
    ASSERT_FALSE(saved.empty());
    // Change the state in every area.
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
    // Read back as 0 and 1: the swap of flag 324 is undone.
    EXPECT_EQ(gParty[0], 0);
    EXPECT_EQ(gParty[1], 1);
    EXPECT_EQ(gParty[2], 4);
    EXPECT_EQ(GetGameFlag(10), 1);
    EXPECT_EQ(gScriptRecordB, nullptr);
    EXPECT_EQ(static_cast<i32>(gQuakeCountdown), -1);
    EXPECT_EQ(gTalkContext.owner, kTalkFree);
    EXPECT_EQ(RecordWord(otherRow, 7), 0x1234);
    EXPECT_EQ(gScriptVars[0], 12345678u);
    EXPECT_EQ(gGameTime, 3u * 3600 + 25 * 60 + 9);
    EXPECT_EQ(GetGameFlag(77), 1);
    EXPECT_EQ(gQuestList, (std::deque<u32>{4, 9, 2}));
    EXPECT_EQ(gSaveReserved[100], 0x5A);
    ASSERT_NE(gScriptRecordA, nullptr);
    EXPECT_EQ(gScriptRecordA->words[12], 0xBEEF);
    // A second save of the loaded game holds the same owned state.
    SaveImage a, b;
    ASSERT_TRUE(ParseSaveImage(saved.data(), saved.size(), &a, nullptr));
    BuildSaveImage(&b, nullptr);
    EXPECT_EQ(std::memcmp(a.header.partyRole, b.header.partyRole, 32), 0);
    EXPECT_EQ(std::memcmp(a.header.money, b.header.money, 13), 0);
    EXPECT_EQ(std::memcmp(a.scriptVars, b.scriptVars, sizeof(a.scriptVars)), 0);
    EXPECT_EQ(a.ownedItems, b.ownedItems);
    EXPECT_EQ(a.ownedMonsters, b.ownedMonsters);
    EXPECT_EQ(gOwnedEquipage[5].id, gEquipageCount - 1);
    EXPECT_EQ(std::memcmp(a.formation, b.formation, 32), 0);
    EXPECT_EQ(std::memcmp(a.learned, b.learned, sizeof(a.learned)), 0);
    EXPECT_EQ(a.playerId, b.playerId);
    EXPECT_EQ(a.mapId, b.mapId);
    EXPECT_EQ(a.cellX, b.cellX);
    EXPECT_EQ(a.cellY, b.cellY);
}

TEST_F(SaveFileTest, ARoleRowMissingFromTheTableIsSkipped) {
    SaveImage img;
    BuildSaveImage(&img, nullptr);
    std::vector<u8> row(26, 0);
    StoreU16(&row[2], 0xFFF7);  // no such role
    img.roleRows.insert(img.roleRows.end(), row.begin(), row.end());
    std::vector<u8> f = SaveImageBytes(img);
    WriteHostFile(h.Path("Save/Quick.sav"), f);
    EXPECT_EQ(LoadGameFromQuick(), 1);
    EXPECT_EQ(FindRecord(0xFFF7), -1);
}

TEST_F(SaveFileTest, SlotFileNamesAndValidity) {
    EXPECT_EQ(SlotPath(0).substr(SlotPath(0).size() - 13), "Save\\MH01.sav");
    EXPECT_EQ(SlotPath(98).substr(SlotPath(98).size() - 13), "Save\\MH99.sav");
    EXPECT_EQ(IsSlotUsed(2), 0);
    ASSERT_EQ(SaveToSlotFile(2), 1);
    EXPECT_EQ(IsSlotUsed(2), 1);
    EXPECT_EQ(IsSlotUsed(99), 0);
    EXPECT_EQ(IsSlotUsed(-1), 0);
    // A well-formed save far below the old 136,000-byte test still counts.
    EXPECT_LT(ReadHostFile(h.Path("Save/MH03.sav")).size(), 200000u);
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
        std::filesystem::create_directories(h.Path("save"));
        ASSERT_EQ(WriteDevSave(1), 1);
        save = {"save", Bytes(), 38548,
                [](const std::vector<u8>& f, DataError* why) {
                    SaveImage img;
                    return ParseSaveImage(f.data(), f.size(), &img, why);
                },
                [this](const std::vector<u8>& f) {
                    WriteHostFile(h.Path("Save/Quick.sav"), f);
                    return LoadGameFromQuick();
                }};
        dev = {"developer save", ReadHostFile(h.Path("save/1.sav")), 38444,
               [](const std::vector<u8>& f, DataError* why) {
                   DevSaveImage img;
                   return ParseDevSave(f.data(), f.size(), &img, why);
               },
               [this](const std::vector<u8>& f) {
                   WriteHostFile(h.Path("save/2.sav"), f);
                   DebugSlotInfo row;
                   ReadDebugSlotInfo(&row, 2);
                   EXPECT_EQ(row.state, 1) << "listed as empty";
                   EXPECT_EQ(row.thumb, nullptr);
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
        std::vector<u8> before = Snapshot::Take().bytes;
        EXPECT_EQ(fmt.load(f), 0);
        EXPECT_EQ(Snapshot::Take().bytes, before);
        EXPECT_EQ(gScriptVars[0], 31u);
    }
    // Offsets of the item boundaries of the save.
    std::vector<size_t> Boundaries() {
        const std::vector<u8>& good = save.good;
        std::vector<size_t> b = {0, 19, 38419, 38451, 38515, 38528, 38548};
        size_t off = 38548;
        auto block = [&] {
            off += 8 + LoadU32(&good[off]);
            b.push_back(off);
        };
        block();
        block();
        off += 28;
        b.push_back(off);
        block();
        off += 384;
        b.push_back(off);
        off += 132;
        b.push_back(off);
        block();
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
        ExpectRefused(*fmt, {fmt->good.begin(), fmt->good.end() - 1}, "one byte short");
        std::vector<u8> f = fmt->good;
        f.push_back(0);
        ExpectRefused(*fmt, f, "one byte more");
        for (const auto& [what, bad] : BadBlockVariants(fmt->good, fmt->firstBlock))
            ExpectRefused(*fmt, bad, what);
    }
    EXPECT_EQ(IsQuickSaveValid(), 0);
    EXPECT_EQ(LoadDevSave(3), 0);  // missing
    EXPECT_EQ(LoadDevSave(99), 0);
}

// Counts and indexes the save's reader checks against their tables.
TEST_F(BadSaveTest, RoleRowsQuestCountAndPartyEntriesOutOfRange) {
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

}  // namespace
