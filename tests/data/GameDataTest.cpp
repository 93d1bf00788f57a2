// The game data module against values worked out by hand: database loading
// (the sample's values come back, missing and bad files get their boxes, the
// owned state and starting equipment are set up) and the records' byte
// layout; owned equipment, derived statistics from the bonus rules,
// strengthening, offering and equipment descriptions; item and skill use; the
// game flags and the options file.
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <filesystem>
#include <string>
#include <tuple>
#include <vector>

#include "base/DataError.h"
#include "base/Big5.h"
#include "base/ByteIo.h"
#include "data/DerivedStats.h"
#include "data/Equipage.h"
#include "data/GameData.h"
#include "data/GameDatabase.h"
#include "data/GameFlags.h"
#include "data/ItemUse.h"
#include "data/KeyBindings.h"
#include "data/Options.h"
#include "engine/DataErrors.h"
#include "mhdata/Databases.h"
#include "platform/Backend.h"
#include "platform/TextCodec.h"
#include "support/Harness.h"

namespace {

using namespace sample;

class DataTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetGameData();
        std::filesystem::create_directories(h_.Path("MH_Data"));
    }
    void TearDown() override { ResetGameData(); }

    void WriteSet(const DatabaseSet& set) {
        std::string error;
        ASSERT_TRUE(WriteDatabases(h_.root(), set, &error)) << error;
    }
    std::string FilePath(DatabaseFile which) const {
        return h_.Path("MH_Data/") + kDatabaseLayouts[which].fileName;
    }

    Harness h_;
};

// Loads one database file from bytes, under the file's own name.
inline bool LoadBytes(DatabaseFile which, const std::vector<u8>& bytes) {
    return LoadDatabaseBytes(which, bytes.data(), bytes.size(), kDatabaseLayouts[which].fileName);
}

// Loads a database set from its writers' bytes, without files, then finishes the load.
inline void LoadSetInMemory(const DatabaseSet& set) {
    for (int f = 0; f < kDatabaseFileCount; ++f)
        LoadBytes(static_cast<DatabaseFile>(f),
                  DatabaseFileBytes(set, static_cast<DatabaseFile>(f)));
    FinishDatabaseLoad();
}

// The file's bytes with its leading count word replaced.
std::vector<u8> WithCount(DatabaseFile which, i32 count) {
    std::vector<u8> bytes = DatabaseFileBytes(MakeSampleDatabases(), which);
    StoreU32(bytes.data(), static_cast<u32>(count));
    return bytes;
}

i32 Size(const auto& records) {
    return static_cast<i32>(records.size());
}

EquipageData Piece(i32 id, i32 kind, i32 bonusMode = 1) {
    EquipageData e{};
    e.id = id;
    e.kind = kind;
    e.bonusMode = bonusMode;
    e.wearerMask = 0xFF;
    return e;
}

class DerivedStats : public DataTest {
protected:
    // Role 0 bare, with no owned equipment.
    static void Reset() {
        ResetGameData();
        RoleData& r = gRoles[0];
        r.index = 0, r.level = 7, r.exp = 300, r.maxHp = r.hp = 155, r.maxMp = r.mp = 60;
        r.strength = 10, r.stamina = 8, r.magic = 6, r.spirit = 5, r.agility = 7;
        r.attack = 20, r.defence = 10, r.hitRate = 90, r.evasion = 12;
        for (i32& v : r.ratios) v = 100;
        gRoleStats[0] = r;
    }

    // A piece with its bonuses in record order: max HP, max MP, strength,
    // stamina, magic, spirit, agility, attack, defence, hit rate, evasion.
    static EquipageData Bonus(i32 kind, i32 mode, const std::array<i32, 11>& b) {
        EquipageData e = Piece(1, kind, mode);
        e.maxHp = b[0], e.maxMp = b[1], e.strength = b[2], e.stamina = b[3], e.magic = b[4];
        e.spirit = b[5], e.agility = b[6], e.attack = b[7], e.defence = b[8], e.hitRate = b[9];
        e.evasion = b[10];
        return e;
    }
    void Wear(EquipSlot slot, const EquipageData& piece) {
        gRoles[0].equip[slot] = AddEquipage(piece);
    }
    RoleStats& Calc() {
        CalcRoleStats(gRoles[0], gRoleStats[0]);
        return gRoleStats[0];
    }
    // Role 0 bare again, then wearing the pieces given; its stats worked out.
    RoleStats& WearOnly(std::initializer_list<std::pair<EquipSlot, EquipageData>> pieces) {
        Reset();
        for (const auto& [slot, piece] : pieces) Wear(slot, piece);
        return Calc();
    }
};

class ItemUse : public DataTest {
protected:
    void SetUp() override {
        DataTest::SetUp();
        Load();
    }
    // A fresh load of the sample: the owned state and the role values start anew.
    static void Load() { LoadSetInMemory(MakeSampleDatabases()); }
    static void SetParty(std::initializer_list<i32> roles) {
        int k = 0;
        for (i32 r : roles) gParty[k++] = r;
    }
    static RoleStats& St(int r) { return gRoleStats[r]; }
};

// Role 7 wears nothing: base max HP 220, max MP 75. Role 3 wears two charms
// (max MP +30 each): base max HP 180, derived max MP 55 + 60 = 115.
constexpr int kBare = 7;
constexpr int kCharms = 3;
constexpr i32 kAny = INT32_MIN;
constexpr i32 kDying = kStatusDying;

// Every checked field holds 10000 + its own offset, so a field written at
// another offset reads as a different number; V notes the offsets it fills.
std::vector<int> gFilled;
i32 V(int offset) {
    gFilled.push_back(offset);
    return 10000 + offset;
}

// The file is a count word, then one record of `size` bytes: each filled
// offset holds its own V value, and the name text "NM" is at nameAt.
void ExpectLayout(const char* record, const std::vector<u8>& file, size_t size, int nameAt) {
    SCOPED_TRACE(record);
    ASSERT_EQ(file.size(), 4 + size);
    EXPECT_EQ(LoadU32(file.data()), 1u);
    for (int off : gFilled) EXPECT_EQ(LoadU32(file.data() + 4 + off), 10000u + off) << "+" << off;
    EXPECT_EQ(std::memcmp(file.data() + 4 + nameAt, "NM", 3), 0) << "name at +" << nameAt;
    gFilled.clear();
}

// Max HP to evasion as one run of words from `at`, the attack word (which
// skills call power) left out at at + 36.
void FillStats(auto& s, int at) {
    s.maxHp = V(at), s.hp = V(at + 4), s.maxMp = V(at + 8), s.mp = V(at + 12);
    s.strength = V(at + 16), s.stamina = V(at + 20), s.magic = V(at + 24), s.spirit = V(at + 28);
    s.agility = V(at + 32), s.defence = V(at + 40), s.hitRate = V(at + 44), s.evasion = V(at + 48);
}

void FillHead(StatsHead& s) {
    s.index = V(0);
    s.level = V(12);
    s.exp = V(16);
    std::memcpy(s.name, "NM", 3);
    FillStats(s, 52);
    s.attack = V(88), s.status = V(104);
    for (int k = 0; k < kRatioCount; ++k) s.ratios[k] = V(108 + 4 * k);
}

void FillSpecial(EquipSpecial& s, int at) {
    s.kind = V(at), s.hp = V(at + 4), s.mp = V(at + 8), s.status = V(at + 12), s.skill = V(at + 16);
}

}  // namespace

// Each test starts from the sample's tables, to change before they are written.
struct DatabaseLoad : DataTest {
    DatabaseSet set = MakeSampleDatabases();
};

// What the byte round trip below cannot see: the loader's own words, the
// descriptions it rebuilds, the owned state and the starting equipment.
TEST_F(DatabaseLoad, SampleLoadsItsWordsOwnedStateAndStartingEquipment) {
    std::memset(set.equipages[kLongBow].description, 0, 52);
    // At most eight roles are read: four more records are left alone.
    for (int r = 8; r < 12; ++r) {
        RoleFileRecord extra = set.roles[0];
        extra.role.index = r;
        std::snprintf(extra.role.name, sizeof(extra.role.name), "extra%d", r);
        set.roles.push_back(extra);
    }
    WriteSet(set);
    for (int f = 300; f <= 330; ++f) SetGameFlag(f);
    LoadGameDatabase(h_.root().c_str());
    EXPECT_TRUE(h_.boxes().empty());
    for (int r = 0; r < kRoleCount; ++r)
        EXPECT_EQ(std::tuple(gRoles[r].extra, gRoleStats[r].level, std::string(gRoles[r].name)),
                  std::tuple(-1, set.roles[r].role.level, std::string(set.roles[r].role.name)));
    EXPECT_EQ(std::string(gEquipages[kLongBow].description),
              Utf8ToBig5("攻+10%，防-5%，攻擊敵人吸取 HP+10% "));
    EXPECT_EQ(std::string(gGodForms[1].name), Utf8ToBig5("冰魔"));

    // The owned state is reset and the party is role 0 alone.
    const i32 alone[kPartySize] = {0, -1, -1, -1, -1, -1, -1, -1};
    EXPECT_EQ(std::tuple(std::memcmp(gParty, alone, sizeof(alone)),
                         std::memcmp(gFormation, alone, sizeof(alone)), GetPartyCount()),
              std::tuple(0, 0, 1));
    for (int f = 300; f <= 330; ++f) EXPECT_EQ(GetGameFlag(f), f == 320 || f == 330 ? 1 : 0) << f;
    for (i32 i = 0; i < gItemCount; ++i) EXPECT_EQ(gOwnedItems[i], 0);
    for (i32 i = 0; i < gMonsterCount; ++i) EXPECT_EQ(gOwnedMonsters[i], 0);
    // 16 starting pieces: the two-handed weapons are one copy each, the wooden
    // shield a two-handed role's record also names is not owned, and role 3's
    // two charms are two copies.
    EXPECT_EQ(CountFreeEquipageSlots(), kOwnedEquipageCount - 16);

    // A two-handed weapon fills both slots with one copy; the wooden shield the
    // record also names was never looked at.
    // The bow (kind 6) of role 2 is two-handed too.
    for (int r : {kTwoHandedRole, 2})
        EXPECT_EQ(gRoles[r].equip[kSlotShield], gRoles[r].equip[kSlotWeapon]) << r;
    ASSERT_GE(gRoles[kTwoHandedRole].equip[kSlotWeapon], 0);
    EXPECT_EQ(gOwnedEquipage[gRoles[kTwoHandedRole].equip[kSlotWeapon]].id, kGreatSword);

    // Loading again replaces the tables and the starting equipment.
    LoadGameDatabase(h_.root().c_str());
    EXPECT_EQ(std::tuple(gItemCount, CountFreeEquipageSlots()),
              std::tuple(Size(set.items), kOwnedEquipageCount - 16));
}

TEST_F(DatabaseLoad, RoundTripByteForByteThenGodFormsAndLearnedSkillsDerived) {
    for (int f = 0; f < kDatabaseFileCount; ++f) {
        auto which = static_cast<DatabaseFile>(f);
        ASSERT_TRUE(LoadBytes(which, DatabaseFileBytes(set, which)));
    }
    DatabaseSet back;
    for (int r = 0; r < kRoleCount; ++r) {
        RoleFileRecord rec{};
        rec.role = gRoles[r];
        std::memcpy(rec.equipIds, gRoles[r].equip, sizeof(rec.equipIds));
        back.roles.push_back(rec);
    }
    std::memcpy(back.levelUp->stats, gLevelUpStats, sizeof(gLevelUpStats));
    std::memcpy(back.levelUp->skills, gLevelUpSkills, sizeof(gLevelUpSkills));
    back.monsters.assign(gMonsters, gMonsters + gMonsterCount);
    back.items.assign(gItems, gItems + gItemCount);
    back.equipages.assign(gEquipages, gEquipages + gEquipageCount);
    back.skills.assign(gSkills, gSkills + gSkillCount);
    for (int f = 0; f < kDatabaseFileCount; ++f) {
        auto which = static_cast<DatabaseFile>(f);
        EXPECT_EQ(DatabaseFileBytes(back, which), DatabaseFileBytes(set, which))
            << kDatabaseLayouts[f].fileName;
    }

    // God forms and learned skills are derived from the tables.
    set.monsters.clear();
    for (int i = 0; i < 23; ++i) {
        MonsterData m{};
        m.index = 100 + i;
        m.kind = i == 1 ? 0 : 1;  // monster 1 is ordinary: 22 forms in the file
        std::snprintf(m.name, sizeof(m.name), "M%d", i);
        set.monsters.push_back(m);
    }
    set.levelUp->skills[4][5] = {kHeal, 0};  // level 0 is never learned
    set.levelUp->skills[4][6] = {kHeal, -3};
    LoadSetInMemory(set);
    // The god forms are the first twenty kind-1 monsters.
    EXPECT_EQ(std::tuple(std::string(gGodForms[0].name), std::string(gGodForms[1].name),
                         std::string(gGodForms[19].name)),
              std::tuple("M0", "M2", "M20"));
    for (int f = 0; f < kGodFormCount; ++f) EXPECT_EQ(gGodForms[f].index, f);
    // The loader numbers the records: an offering counts a monster by that word.
    EXPECT_EQ(gMonsters[2].index, 2);

    // Levels are 1 + r % 3; rows: heal at 1, group heal at 2, revive at 10, fireball/summon at 3.
    const int expect[3][4] = {{1, 0, 0, 0}, {1, 1, 0, 0}, {1, 1, 0, 1}};
    for (int r = 0; r < kRoleCount; ++r) {
        for (int k = 0; k < 4; ++k)
            EXPECT_EQ(gLearnedSkills[r][k], expect[r % 3][k]) << r << "," << k;
        // The later rows: learned when their level lies in 1..the starting level.
        for (int k = 4; k < kSkillRows; ++k) {
            i32 level = set.levelUp->skills[r][k].level;
            EXPECT_EQ(gLearnedSkills[r][k], level >= 1 && level <= 1 + r % 3) << r << "," << k;
        }
    }
    // Role 2 (level 3) knows heal, group heal and fireball (all category 1); role
    // 5 (level 3) has the summon (category 2) on its fourth row.
    EXPECT_EQ(std::tuple(CountLearnedSkills(2, 1), CountLearnedSkills(2, 2),
                         CountLearnedSkills(5, 2), CountLearnedSkills(5, 1)),
              std::tuple(3, 0, 1, 2));
    // Rows naming skill 0, a negative id or one past the table count as no skill.
    gLevelUpSkills[2][10] = {0, 1};
    gLevelUpSkills[2][11] = {-4, 1};
    gLevelUpSkills[2][12] = {gSkillCount, 1};
    gLearnedSkills[2][10] = gLearnedSkills[2][11] = gLearnedSkills[2][12] = 1;
    EXPECT_EQ(std::tuple(CountLearnedSkills(2, 0), CountLearnedSkills(2, 1),
                         CountLearnedSkills(8, 1), CountLearnedSkills(-1, 1)),
              std::tuple(0, 3, 0, 0));
}

TEST_F(DatabaseLoad, MissingFilesAndBadCountsShowTheirBoxAndTheOthersStillLoad) {
    const char* names[kDatabaseFileCount] = {"RoleData", "LevelUp",      "MonsterData",
                                             "ItemData", "EquipageData", "SkillData"};
    for (int missing = 0; missing < kDatabaseFileCount; ++missing) {
        ResetGameData();
        PlatformReset();
        WriteSet(set);
        std::filesystem::remove(FilePath(static_cast<DatabaseFile>(missing)));
        LoadGameDatabase(h_.root().c_str());
        ASSERT_FALSE(h_.boxes().empty()) << missing;
        EXPECT_EQ(h_.boxes()[0].caption, Utf8ToBig5("開檔失敗"));
        EXPECT_EQ(h_.boxes()[0].text, Utf8ToBig5(("無法開啟 " + std::string(names[missing]) +
                                                  ".dat，請確定MH_Data目錄中是否有此檔？")
                                                     .c_str()));
        // The missing table stays empty, the others are there.
        auto sizeOr = [&](DatabaseFile f, i32 n) { return missing == f ? 0 : n; };
        EXPECT_EQ(
            std::tuple(std::string(gRoles[1].name) == Utf8ToBig5("莉雅"), gMonsterCount, gItemCount,
                       gSkillCount, gLevelUpSkills[0][0].skill),
            std::tuple(missing != kRoleDataFile, sizeOr(kMonsterDataFile, Size(set.monsters)),
                       sizeOr(kItemDataFile, Size(set.items)),
                       sizeOr(kSkillDataFile, Size(set.skills)), sizeOr(kLevelUpFile, kHeal)));
        // Without the equipment table every starting id is refused, one box each.
        if (missing == kEquipageDataFile) {
            EXPECT_EQ(std::tuple(h_.boxes().size(), CountFreeEquipageSlots()),
                      std::tuple(1u + 17u, kOwnedEquipageCount));
        }
    }

    // Huge, negative or too large counts are refused with a box; a missing or
    // refused file keeps the table loaded before.
    WriteSet(set);
    LoadGameDatabase(h_.root().c_str());
    const i32 sizes[] = {Size(set.monsters), Size(set.items), Size(set.equipages),
                         Size(set.skills)};
    for (int f = kMonsterDataFile; f <= kSkillDataFile; ++f) {
        // One record more than the file holds is as bad as a huge count.
        for (i32 count : {1000000000, -1, sizes[f - kMonsterDataFile] + 1}) {
            PlatformReset();
            WriteSet(set);
            auto which = static_cast<DatabaseFile>(f);
            WriteHostFile(FilePath(which), WithCount(which, count));
            LoadGameDatabase(h_.root().c_str());
            ASSERT_EQ(h_.boxes().size(), 1u) << f << " " << count;
            EXPECT_EQ(h_.boxes()[0].caption, Utf8ToBig5("開檔失敗"));
            EXPECT_NE(h_.boxes()[0].text.find(kDatabaseLayouts[f].fileName), std::string::npos);
            EXPECT_NE(h_.boxes()[0].text.find("offset 0"), std::string::npos);
        }
    }
    std::filesystem::remove(FilePath(kItemDataFile));
    LoadGameDatabase(h_.root().c_str());
    EXPECT_EQ(std::tuple(gMonsterCount, gItemCount, gEquipageCount, gSkillCount),
              std::tuple(sizes[0], sizes[1], sizes[2], sizes[3]));
    EXPECT_EQ(gItems ? std::string(gItems[0].name) : "", Utf8ToBig5("藥草"));
    // On a first load the refused table stays empty.
    ResetGameData();
    EXPECT_FALSE(LoadBytes(kItemDataFile, WithCount(kItemDataFile, 1000000000)));
    EXPECT_EQ(std::tuple(gItemCount, gItems), std::tuple(0, nullptr));
    // A role count of 10^9 over eight records still reads the eight, without a
    // box; a negative one is refused.
    PlatformReset();
    EXPECT_TRUE(LoadBytes(kRoleDataFile, WithCount(kRoleDataFile, 1000000000)));
    EXPECT_EQ(std::string(gRoles[7].name), Utf8ToBig5("諾亞"));
    EXPECT_TRUE(h_.boxes().empty());
    EXPECT_FALSE(LoadBytes(kRoleDataFile, WithCount(kRoleDataFile, -3)));
}

TEST_F(DatabaseLoad, EquipmentIdsEqualToOrAboveTheCountAreRefused) {
    const i32 count = Size(set.equipages);
    set.roles[0].equipIds[kSlotWeapon] = count;  // equal to the count
    set.roles[0].equipIds[kSlotShield] = count + 5;
    set.roles[0].equipIds[kSlotHat] = -7;
    WriteSet(set);
    ::testing::internal::CaptureStderr();
    LoadGameDatabase(h_.root().c_str());
    // Stderr names the file and each id's place: the count, then 216-byte records
    // that end with the six ids (weapon at 4 + 192, shield at 200).
    const std::string said = ::testing::internal::GetCapturedStderr(),
                      file = "MH_Data/RoleData.dat: ";
    EXPECT_EQ(said, file + "offset 196: role 0 wears equipment " + std::to_string(count) +
                        "; the database holds " + std::to_string(count) + "\n" + file +
                        "offset 200: role 0 wears equipment " + std::to_string(count + 5) +
                        "; the database holds " + std::to_string(count) + "\n");
    EXPECT_EQ(LastDataError().offset, 200u);
    ASSERT_EQ(h_.boxes().size(), 2u);
    auto text = [&](i32 id) {
        return Utf8ToBig5(("請確認 編號" + std::to_string(id) +
                           "的裝備 是否存在資料庫中(最大值=" + std::to_string(count) + ")")
                              .c_str());
    };
    EXPECT_EQ(std::tuple(h_.boxes()[0].caption, h_.boxes()[0].text, h_.boxes()[1].caption,
                         h_.boxes()[1].text),
              std::tuple(Utf8ToBig5("持有裝備資料錯誤"), text(count),
                         Utf8ToBig5("持有裝備資料庫錯誤"), text(count + 5)));
    // The armour is kept; with no weapon the role hits at 85.
    EXPECT_EQ(std::tuple(gRoles[0].equip[kSlotWeapon], gRoles[0].equip[kSlotShield],
                         gRoles[0].equip[kSlotHat], gRoles[0].equip[kSlotArmour] >= 0,
                         gRoleStats[0].hitRate),
              std::tuple(-1, -1, -1, true, 85));
}

TEST_F(DatabaseLoad, TruncatedFilesLeaveZeroedRecordsAndTextFieldsEndWithAZero) {
    // Roles: cut inside record 3.
    std::vector<u8> roles = DatabaseFileBytes(set, kRoleDataFile);
    roles.resize(4 + 3 * 216 + 100);
    ASSERT_TRUE(LoadBytes(kRoleDataFile, roles));
    EXPECT_EQ(std::string(gRoles[2].name), Utf8ToBig5("卡洛"));
    for (int r = 3; r < kRoleCount; ++r) {
        EXPECT_EQ(std::tuple(gRoles[r].maxHp, gRoles[r].name[0], gRoles[r].equip[kSlotWeapon]),
                  std::tuple(0, 0, -1));
    }
    ASSERT_EQ(h_.boxes().size(), 1u);
    EXPECT_NE(h_.boxes()[0].text.find("RoleData.dat: offset 652"), std::string::npos)
        << h_.boxes()[0].text;

    // Level-up rows past the end read as zeros, also over rows an earlier load filled.
    std::vector<u8> full = DatabaseFileBytes(set, kLevelUpFile);
    ASSERT_TRUE(LoadBytes(kLevelUpFile, full));
    ASSERT_TRUE(LoadBytes(kLevelUpFile, std::vector<u8>(full.begin(), full.begin() + 14400 + 10)));
    // Row 0 of role 0 is bytes 14400..14407; row 1 is cut inside its first word.
    EXPECT_EQ(std::tuple(gLevelUpStats[7][49][1], gLevelUpSkills[0][0].skill,
                         gLevelUpSkills[0][1].skill, gLevelUpSkills[7][44].level),
              std::tuple(49, kHeal, 0, 0));

    // A counted table cut short is refused as a whole; so are files too short for a count.
    std::vector<u8> monsters = DatabaseFileBytes(set, kMonsterDataFile);
    monsters.pop_back();
    EXPECT_FALSE(LoadBytes(kMonsterDataFile, monsters));
    EXPECT_FALSE(LoadBytes(kSkillDataFile, {1, 0}));
    EXPECT_FALSE(LoadBytes(kRoleDataFile, {}));

    // Fixed text fields filled to their end still end with a zero.
    std::vector<u8> items = DatabaseFileBytes(set, kItemDataFile);
    std::memset(items.data() + 4 + 12, 'A', 32);   // item 0 name
    std::memset(items.data() + 4 + 128, 'B', 52);  // item 0 description
    ASSERT_TRUE(LoadBytes(kItemDataFile, items));
    std::vector<u8> skills = DatabaseFileBytes(set, kSkillDataFile);
    std::memset(skills.data() + 4 + 208 + 16, 'C', 36);
    ASSERT_TRUE(LoadBytes(kSkillDataFile, skills));
    EXPECT_EQ(std::tuple(std::strlen(gItems[0].name), std::strlen(gItems[0].description),
                         std::strlen(gSkills[1].name)),
              std::tuple(31u, 51u, 35u));
}

TEST(SharedTables, NameBoundsExperienceAndMonsterOffsetBounds) {
    EXPECT_EQ(std::string(StatusName(15)), Utf8ToBig5("瀕死"));  // bit 0x4000
    EXPECT_EQ(std::tuple(StatusName(16), StatusName(-1), SkillCategoryName(12)),
              std::tuple(nullptr, nullptr, nullptr));
    // Category names: a character, a plain space, the ideographic space A1 40, a character.
    const std::string air = gSkillCategoryNames[11];
    EXPECT_EQ(std::tuple(air.size(), air.substr(2, 3)), std::tuple(7u, " \xA1\x40"));
    EXPECT_EQ(std::tuple(gNextLevelExp[1 + 1], gNextLevelExp[3 + 1], gNextLevelExp[49 + 1],
                         gNextLevelExp[51]),
              std::tuple(45, 150, 19125, 0));
    // Monster numbers past the 256-entry offsets table have no offset.
    EXPECT_EQ(GetMonsterOffset(250).dy, 20);
    for (i32 m : {256, 300, 100000, -1})
        EXPECT_EQ(std::tuple(GetMonsterOffset(m).dx, GetMonsterOffset(m).dy), std::tuple(0, 0))
            << m;
}

// Game flags: flag n is bit n & 7 of byte n >> 3; numbers outside the table
// read clear and are never written; put sets only for exactly one.
TEST(GameFlags, BitLayoutPutAndNumbersOutsideTheTable) {
    ResetGameFlags();
    for (int n : {-1, -8, 8160, 8191, 1 << 30}) {
        SetGameFlag(n);
        EXPECT_EQ(PutGameFlag(n, 1), 0);
        EXPECT_EQ(GetGameFlag(n), 0) << n;
    }
    ClearGameFlag(-5);
    SetGameFlag(9);
    std::vector<u8> want(kGameFlagBytes, 0);
    want[1] = 0x02;
    EXPECT_EQ(std::vector<u8>(gGameFlags, gGameFlags + kGameFlagBytes), want);
    EXPECT_EQ(std::tuple(GetGameFlag(8), GetGameFlag(9), GetGameFlag(10)), std::tuple(0, 1, 0));
    for (int n : {0, 7, 8159}) SetGameFlag(n);
    EXPECT_EQ(std::tuple(gGameFlags[0], gGameFlags[1019]), std::tuple(0x81, 0x80));
    ClearGameFlag(7);
    EXPECT_EQ(gGameFlags[0], 0x01);
    // Put: the value and what the flag reads after it.
    for (auto [value, set] : {std::pair(1, 1), {2, 0}, {1, 1}, {-1, 0}, {1, 1}, {0, 0}}) {
        EXPECT_EQ(PutGameFlag(322, value), 0);
        EXPECT_EQ(GetGameFlag(322), set) << value;
    }
}

// Field order of the database records: distinct values written through the
// database writers land at the byte offsets the file layouts give. A round
// trip through the one field list cannot see two fields swapped; this can.
TEST(RecordLayout, EveryDatabaseRecordHoldsItsFieldsAtTheirOffsets) {
    RoleFileRecord role{};
    FillHead(role.role);
    for (int k = 0; k < kSlotCount; ++k) role.equipIds[k] = V(192 + 4 * k);
    ExpectLayout("role", WriteRoleDataFile({role}), 216, 20);

    EquipageData e{};
    e.id = V(0), e.weaponPic = V(4), e.price = V(40), e.wearerMask = static_cast<u32>(V(44));
    std::memcpy(e.name, "NM", 3);
    e.kind = V(48), e.bonusMode = V(52), e.maxHp = V(60), e.maxMp = V(68);
    e.strength = V(72), e.stamina = V(76), e.magic = V(80), e.spirit = V(84), e.agility = V(88);
    e.attack = V(92), e.defence = V(96), e.hitRate = V(100), e.evasion = V(104);
    for (int k = 0; k < kRatioCount; ++k) e.ratios[k] = V(108 + 4 * k);
    FillSpecial(e.special, 140);
    e.enhanceLeft = V(164), e.look = V(172);
    ExpectLayout("equipment", WriteEquipageDataFile({e}), 232, 8);

    ItemData it{};
    it.useKind = V(8), it.price = V(44), it.effectMode = V(52), it.icon = V(56);
    std::memcpy(it.name, "NM", 3);
    FillStats(it, 60);
    it.attack = V(96), it.statusEffect = V(112), it.target = V(120);
    ExpectLayout("item", WriteItemDataFile({it}), 180, 12);

    SkillData sk{};
    sk.category = V(8), sk.mpCost = V(52), sk.effectMode = V(56);
    std::memcpy(sk.name, "NM", 3);
    FillStats(sk, 60);
    sk.power = V(96), sk.statusEffect = V(144), sk.target = V(152);
    ExpectLayout("skill", WriteSkillDataFile({sk}), 208, 16);

    MonsterData m{};
    FillHead(m);
    m.kind = V(192), m.price = V(232), m.offerValue = V(236), m.enhanceChance = V(484);
    for (int k = 0; k < 10; ++k) m.offerBonus[k] = V(296 + 4 * k);
    for (int k = 0; k < 7; ++k)
        m.weaponBlock[k] = V(356 + 4 * k), m.armourBlock[k] = V(384 + 4 * k);
    for (int k = 0; k < 8; ++k) m.commonBlock[k] = V(412 + 4 * k);
    FillSpecial(m.weaponSpecial, 444);
    FillSpecial(m.armourSpecial, 464);
    ExpectLayout("monster", WriteMonsterDataFile({m}), 492, 20);
}

// The options file: 22 words in file order; defaults for what a file lacks,
// values out of range clamped, the volume scale.
TEST(Options, DefaultsClampsAndRoundTripInFileOrder) {
    Harness h;
    auto write = [&h](const std::vector<i32>& values) {
        std::vector<u8> b(values.size() * 4);
        for (size_t i = 0; i < values.size(); ++i) StoreU32(&b[4 * i], static_cast<u32>(values[i]));
        std::filesystem::create_directories(h.Path("Save"));
        WriteHostFile(h.Path("Save/Option.sav"), b);
        return b;
    };
    // A missing file gives the defaults; the map keys follow the bindings.
    gSfxVolume = 1;
    gSmartMouse = 0;
    LoadOptions();
    EXPECT_EQ(std::tuple(gWalkMode, gSfxVolume, gMusicVolume, gCdVolume, gSwapSpace, gTextSpeed,
                         gSmartMouse, gOptionStored, gKeyBindings[kKeySwitch], gMapKeyCodes[4],
                         gMapKeyCodes[12]),
              std::tuple(0, 6u, 6u, 2u, 60u, 6u, 1u, 1000, 15u, 200u, 28u));
    // A short file keeps the defaults for what it lacks.
    write({5, 1, 0, 9});
    LoadOptions();
    EXPECT_EQ(std::tuple(gOptionStored, gWalkMode, gSfxVolume, gMusicVolume,
                         gKeyBindings[kKeyCancel], gSmartMouse),
              std::tuple(5, 1, 9u, 6u, 1u, 1u));
    // Values out of range are clamped: eight values, the twelve keys, the save
    // slot position and the smart mouse. A key of code 0 is one the settings
    // screen left without a key, and stays so.
    write({1000, 0,  0,  99, -4, 12, 60, 1000, 0,  4000, 30,
           30,   30, 30, 30, 30, 30, 30, -7,   30, 250,  1});
    LoadOptions();
    EXPECT_EQ(std::tuple(gSfxVolume, gMusicVolume, gCdVolume, gTextSpeed, gKeyBindings[kKeyUp],
                         gKeyBindings[kKeyDown], gKeyBindings[kKeyAutoAttack], gSaveSlotPos),
              std::tuple(11u, 0u, 11u, 11u, 0u, 255u, 0u, 98));
    EXPECT_EQ(gMapKeyCodes[4], 0u);
    // The save-slot position is a slot and the row it stood on, slot + 1000 x
    // row: a slot shown on a lower row keeps its row; each part is clamped.
    const std::pair<i32, i32> slotPositions[] = {
        {1001, 1001}, {2098, 2098}, {3005, 2005}, {1150, 1098}, {-7, 0}};
    for (auto [stored, kept] : slotPositions) {
        std::vector<i32> values(20, 0);
        values.push_back(stored);
        write(values);
        LoadOptions();
        EXPECT_EQ(gSaveSlotPos, kept) << stored;
    }
    EXPECT_EQ(std::tuple(VolumeTo127(0), VolumeTo127(6), VolumeTo127(11)), std::tuple(0, 69, 127));

    // A whole file in range: each word lands in its value, and the file is
    // written again byte for byte.
    std::vector<u8> b =
        write({777, 1, 1, 11, 0, 7, 90, 3, 17, 20, 23, 26, 29, 32, 35, 38, 41, 44, 47, 50, 42, 0});
    LoadOptions();
    EXPECT_EQ(std::tuple(gOptionStored, gWalkMode, gRealTimeBattle, gSfxVolume, gMusicVolume,
                         gCdVolume, gSwapSpace, gTextSpeed, gKeyBindings[kKeyUp],
                         gKeyBindings[kKeyFlee], gSaveSlotPos, gSmartMouse, gMapKeyCodes[4]),
              std::tuple(777, 1, 1u, 11u, 0u, 7u, 90u, 3u, 17u, 50u, 42, 0u, 17u));
    std::filesystem::remove(h.Path("Save/Option.sav"));
    ASSERT_EQ(SaveOptions(), 1);
    EXPECT_EQ(ReadHostFile(h.Path("Save/Option.sav")), b);
}

using Equipage = DataTest;

TEST_F(Equipage, AddFillsTheFirstFreePlaceAndCountsFollow) {
    for (i32 id : {4, 4, 4, 2}) AddEquipage(Piece(id, 5));
    gRoles[3].equip[kSlotArmour] = 0;  // the first piece is worn
    EXPECT_EQ(std::tuple(CountUnwornEquipage(4), CountUnwornEquipage(2), CountUnwornEquipage(-1),
                         CountFreeEquipageSlots()),
              std::tuple(2, 1, 0, kOwnedEquipageCount - 4));  // free places are not pieces
    for (i32 i = 4; i < kOwnedEquipageCount; ++i) ASSERT_EQ(AddEquipage(Piece(i % 7, 1)), i);
    EquipageData before[kOwnedEquipageCount];
    std::memcpy(before, gOwnedEquipage, sizeof(before));
    EXPECT_EQ(AddEquipage(Piece(3, 1)), -1);
    EXPECT_EQ(std::memcmp(before, gOwnedEquipage, sizeof(before)), 0);
    gOwnedEquipage[40].id = -1;  // thrown or sold
    EXPECT_EQ(CountFreeEquipageSlots(), 1);
    EXPECT_EQ(AddEquipage(Piece(5, 4)), 40);
    EXPECT_EQ(gOwnedEquipage[40].kind, 4);

    EXPECT_EQ(GetPartyCount(), 0);
    for (int k = 0; k < kPartySize; ++k) gParty[k] = k;
    EXPECT_EQ(GetPartyCount(), 8);
}

TEST_F(Equipage, WornByTheSlotOfThePiecesKindWearersAndLookOffsets) {
    // Ids and kinds of the pieces owned in places 0 to 3.
    const i32 bow = 0, shield = 1, charm = 2, hat = 3;
    for (auto [id, kind] : {std::pair(2, 6), {3, 3}, {7, 7}, {4, 4}}) AddEquipage(Piece(id, kind));
    gRoles[2].equip[kSlotWeapon] = gRoles[2].equip[kSlotShield] = bow;
    gRoles[5].equip[kSlotAccessory2] = charm;
    gRoles[6].equip[kSlotArmour] = hat;  // a hat in the armour slot is not worn
    EXPECT_EQ(std::tuple(IsEquipageEquipped(bow), IsEquipageEquipped(charm),
                         IsEquipageEquipped(hat), IsEquipageEquipped(shield)),
              std::tuple(1, 1, 0, 0));
    // The shield worn; a bow standing only in a shield slot is not looked at there.
    gRoles[1].equip[kSlotShield] = shield;
    gRoles[2].equip[kSlotWeapon] = -1;
    EXPECT_EQ(std::tuple(IsEquipageEquipped(shield), IsEquipageEquipped(bow)), std::tuple(1, 0));
    // Free places and indices outside the table.
    gOwnedEquipage[charm].id = -1;
    for (i32 n : {charm, -1, 256}) EXPECT_EQ(IsEquipageEquipped(n), 0) << n;
    // Kinds outside 1..7 are never worn.
    i32 oddIndex = AddEquipage(Piece(9, 8));
    gRoles[0].equip[kSlotWeapon] = oddIndex;
    EXPECT_EQ(IsEquipageEquipped(oddIndex), 0);

    // Who may wear a piece: bit r of its wearer mask.
    EquipageData p = Piece(1, 1);
    p.wearerMask = 0x85;  // roles 0, 2 and 7
    i32 n = AddEquipage(p);
    const int expect[10] = {0, 1, 0, 1, 0, 0, 0, 0, 1, 0};  // roles -1 to 8
    for (int r = -1; r <= 8; ++r) EXPECT_EQ(CanRoleEquip(n, r), expect[r + 1]) << r;
    EXPECT_EQ(CanRoleEquip(300, 0), 0);

    // The look offset of weapon look + shield look: sums 1..15 through the
    // table, anything else 0.
    EXPECT_EQ(std::tuple(GetEquipLookOffset(0, 0), GetEquipLookOffset(4, 3),
                         GetEquipLookOffset(15, 0), GetEquipLookOffset(10, 6),
                         GetEquipLookOffset(-1, 2), GetEquipLookOffset(0x7FFFFFFF, 0x7FFFFFFF)),
              std::tuple(0, 1, 13, 0, 2, 0));
}

// Each piece sits before a guard: the description is the record's last field,
// and the bytes after it are never touched; the text ends on a character
// within the field. Heal is given a name of 16 characters (32 bytes) to fill it.
TEST_F(Equipage, BonusPartsByModeAndEverySpecialKindWithinTheField) {
    DatabaseSet set = MakeSampleDatabases();
    std::string longName = Utf8ToBig5("超級無敵霹靂旋風烈焰爆裂火球之術");
    std::memset(set.skills[kHeal].name, 0, 36);
    std::memcpy(set.skills[kHeal].name, longName.data(), longName.size());
    LoadSetInMemory(set);
    struct Guarded {
        EquipageData piece;
        u8 guard[16];
    };
    // A null text: too long for the field, it starts like the whole would.
    const struct {
        i32 mode, attack, defence;
        EquipSpecial special;
        const char* text;
    } cases[] = {
        {2, 10, -5, {}, "攻+10%，防-5%"},
        {1, 10, -5, {}, "攻+10，防-5"},
        {1, 0, -5, {}, "防-5"},
        {1, -3, 0, {}, "攻-3"},
        {5, -3, 0, {}, ""},  // mode 5: no bonus part
        {5, 0, 0, {1, 10, 5, 0, 0}, "每回合 HP+10點 MP+5點"},
        {5, 0, 0, {1, -10, 0, 0, 0}, "每回合 HP-10點 "},
        {5, 0, 0, {1, 0, -2, 0, 0}, "每回合 MP-2點"},
        {5, 0, 0, {2, 5, -3, 0, 0}, "每回合 HP+5% MP-3%"},
        {5, 0, 0, {3, 10, 0, 0, 0}, "攻擊敵人吸取 HP+10% "},
        {5, 0, 0, {4, 0, 0, 11, 0}, "攻擊後賦予 中毒"},
        {5, 0, 0, {4, 0, 0, 0, 0}, ""},
        {5, 0, 0, {4, 0, 0, 16, 0}, ""},
        {5, 0, 0, {5, 0, 0, 0, 0}, "反彈敵人攻擊"},
        {5, 0, 0, {6, 0, 0, 0, kFireball}, "攻擊後附加 火球"},
        {5, 0, 0, {6, 0, 0, 0, 0}, ""},
        {5, 0, 0, {6, 0, 0, 0, gSkillCount}, ""},
        {5, 0, 0, {7, 1, 1, 1, 1}, ""},
        {1, 5, 0, {5, 0, 0, 0, 0}, "攻+5，反彈敵人攻擊"},
        {2, 5, -123456, {6, 0, 0, 0, kHeal}, nullptr},
        {2, 50, -123456, {6, 0, 0, 0, kHeal}, nullptr},
        {1, 999999, -999999, {1, 1000000, -1000000, 0, 0}, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.attack << " kind " << c.special.kind);
        Guarded g{};
        std::memset(g.guard, 0xAB, sizeof(g.guard));
        g.piece = Piece(0, 1, c.mode);
        g.piece.attack = c.attack;
        g.piece.defence = c.defence;
        g.piece.special = c.special;
        const char* text = MakeEquipageText(g.piece);
        const size_t n = std::strlen(text);
        EXPECT_EQ(std::tuple(text == g.piece.description, n <= 51, Big5Cut(text, n, n),
                             std::vector<u8>(g.guard, g.guard + 16)),
                  std::tuple(true, true, n, std::vector<u8>(16, 0xAB)));
        if (c.text) {
            EXPECT_EQ(std::string(text), Utf8ToBig5(c.text));
        } else if (c.attack > 0) {
            EXPECT_EQ(std::string(text).rfind(Utf8ToBig5("攻+") + std::to_string(c.attack), 0), 0u);
        }
    }
}

TEST_F(Equipage, MonstersStrengthenPiecesAndAreOfferedToForms) {
    LoadSetInMemory(MakeSampleDatabases());
    // A weapon takes the weapon block, its special and the common block.
    EquipageData p = gEquipages[kShortSword];
    EnhanceWeapon(gMonsters[kWolf], p);
    // The price is the shop's business.
    EXPECT_EQ(std::tuple(p.attack, p.ratios[kEarth], p.special.kind, p.special.skill, p.price,
                         std::string(p.description)),
              std::tuple(10 + 20, 10, 6, kFireball, gEquipages[kShortSword].price,
                         Utf8ToBig5("攻+30，攻擊後附加 火球")));
    // A monster without a weapon special keeps the piece's.
    EnhanceWeapon(gMonsters[kSlime], p);
    EXPECT_EQ(std::tuple(p.special.kind, p.attack, p.ratios[kWater]), std::tuple(6, 33, 5));

    // Armour takes its special only when its kind is positive.
    EquipageData hat = gEquipages[kLeatherHat];
    MonsterData m = gMonsters[kGoblin];
    m.armourSpecial.kind = -1;
    m.armourBlock[0] = 4;  // strength
    m.armourBlock[6] = 9;  // defence
    EnhanceArmour(m, hat);
    EXPECT_EQ(std::tuple(hat.special.kind, hat.strength, hat.defence),
              std::tuple(5, 4, 3 + 9));  // the hat's own special
    m.armourSpecial = {2, 7, 0, 0, 0};
    EnhanceArmour(m, hat);
    EXPECT_EQ(std::tuple(hat.special.kind, std::string(hat.description)),
              std::tuple(2, Utf8ToBig5("防+21，每回合 HP+7% ")));
    // A weapon special of kind -1 is copied: only 0 means none there.
    EquipageData w = gEquipages[kShortSword];
    m.weaponSpecial = {-1, 0, 0, 0, 0};
    EnhanceWeapon(m, w);
    EXPECT_EQ(w.special.kind, -1);

    // Attack and defence bonuses are clamped to 0..500; the text shows what is kept.
    EquipageData c = Piece(0, 1);
    c.attack = 495;
    c.defence = 3;
    MonsterData strong{};
    strong.weaponBlock[5] = 20;
    strong.weaponBlock[6] = -10;
    EnhanceWeapon(strong, c);
    EXPECT_EQ(std::tuple(c.attack, c.defence, std::string(c.description)),
              std::tuple(500, 0, Utf8ToBig5("攻+500")));

    // The sums and clamps of an offering are pinned through the offering page
    // (tests/menu); here, what refuses one.
    gOwnedMonsters[kSlime] = 1;
    gOwnedMonsters[kIceDemon] = 1;
    MonsterData form = gGodForms[1];
    const MonsterData before = form;
    const MonsterData& slime = gMonsters[kSlime];
    OfferMonster(form, slime);  // flag 301 clear
    SetGameFlag(301);
    OfferMonster(form, gMonsters[kIceDemon]);  // a form cannot be offered
    MonsterData notForm = gMonsters[kWolf];
    notForm.index = 1;
    OfferMonster(notForm, slime);  // kind 0 is not a form
    MonsterData badIndex = form;
    badIndex.index = 40;  // flag 340 is not a form flag
    SetGameFlag(340);
    OfferMonster(badIndex, slime);
    MonsterData stray = slime;
    stray.index = gMonsterCount;  // names no owned count
    OfferMonster(form, stray);
    // Every refused offering left the form and the owned counts alone.
    EXPECT_EQ(std::tuple(std::memcmp(&form, &before, sizeof(form)), gOwnedMonsters[kSlime],
                         gOwnedMonsters[kIceDemon]),
              std::tuple(0, 1, 1));
    OfferMonster(form, slime);
    EXPECT_EQ(std::tuple(gOwnedMonsters[kSlime], form.offerValue),
              std::tuple(0, before.offerValue + 10));
    OfferMonster(form, slime);  // none left
    EXPECT_EQ(form.offerValue, before.offerValue + 10);
}

TEST_F(DerivedStats, BonusModesSlotsAndClamps) {
    // Bare: attack is copy + base attack + strength, defence copy + base defence
    // + stamina; no weapon hits at 85 whatever the armour.
    RoleStats& s = WearOnly({{kSlotArmour, Bonus(5, 1, {0, 0, 0, 0, 0, 0, 0, 0, 0, 30, 0})}});
    EXPECT_EQ(std::tuple(s.maxHp, s.attack, s.defence, s.hitRate, s.evasion),
              std::tuple(155, 20 + 20 + 10, 10 + 10 + 8, 85, 12));

    // Add mode adds every non-zero bonus. Attack from the base strength, not
    // the raised one; a weapon hits at the base 90 plus its bonus.
    EquipageData sword = Bonus(1, 1, {20, 5, 3, 0, 0, 0, -2, 10, 1, 4, 2});
    sword.ratios[kFire] = -30;
    WearOnly({{kSlotWeapon, sword}});
    EXPECT_EQ(std::tuple(s.maxHp, s.maxMp, s.strength, s.agility, s.attack, s.defence, s.hitRate,
                         s.evasion, s.ratios[kFire], s.ratios[kWater]),
              std::tuple(175, 65, 13, 5, 20 + 10 + 20 + 10, 10 + 1 + 10 + 8, 94, 14, 70, 100));

    // Percent mode takes the base value and truncates toward zero: max HP 155 x
    // 10 / 100 = 15, max MP 60 x -15 / 100 = -9, magic 6 x 50 / 100 = 3, spirit
    // 5 x -10 / 100 = -0.5 -> 0; attack and defence bonuses add plainly in every
    // mode. The second ring's 10% is still of the base 155, not of 170.
    WearOnly({{kSlotAccessory1, Bonus(7, 2, {10, -15, 0, 0, 50, -10, 0, 5, 0, 0, 0})},
              {kSlotAccessory2, Bonus(7, 2, {10, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0})}});
    EXPECT_EQ(std::tuple(s.maxHp, s.maxMp, s.magic, s.spirit, s.attack),
              std::tuple(155 + 15 + 15, 51, 9, 5, 20 + 5 + 20 + 10));

    // Overwrite mode replaces only non-zero bonuses, and later pieces still add:
    // the divine armour comes after the hat, the charm after the armour.
    WearOnly({{kSlotHat, Bonus(4, 1, {20, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0})},
              {kSlotArmour, Bonus(5, 5, {0, 500, 0, 77, 0, 0, 0, 0, 0, 0, 0})},
              {kSlotAccessory1, Bonus(7, 1, {0, 30, 0, 0, 0, 0, 0, 0, 0, 0, 0})}});
    // A zero overwrite bonus leaves the hat's result; defence from the base stamina.
    EXPECT_EQ(std::tuple(s.maxHp, s.maxMp, s.stamina, s.defence),
              std::tuple(175, 530, 77, 10 + 10 + 8));

    // An unknown bonus mode still adds attack, defence, hit rate and evasion.
    WearOnly({{kSlotWeapon, Bonus(1, 3, {100, 0, 0, 0, 0, 0, 0, 4, 2, 6, 1})}});
    EXPECT_EQ(std::tuple(s.maxHp, s.attack, s.defence, s.hitRate, s.evasion),
              std::tuple(155, 54, 30, 96, 13));

    // A two-handed weapon in both slots is applied once.
    Reset();
    gRoles[0].equip[kSlotWeapon] = gRoles[0].equip[kSlotShield] =
        AddEquipage(Bonus(6, 1, {20, 0, 0, 0, 0, 0, 0, 7, 0, 0, 0}));
    Calc();
    EXPECT_EQ(std::tuple(s.maxHp, s.attack), std::tuple(175, 20 + 7 + 20 + 10));
    // A one-handed weapon with a real shield: both apply.
    Wear(kSlotWeapon, Piece(1, 1, 1));
    Wear(kSlotShield, Bonus(3, 1, {4, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(Calc().maxHp, 159);

    // Slots naming places outside the owned table are empty.
    Reset();
    AddEquipage(Bonus(1, 1, {50, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
    for (auto [slot, n] : {std::pair(kSlotWeapon, 256),
                           {kSlotShield, -2},
                           {kSlotHat, 1 << 30},
                           {kSlotArmour, -1000000}})
        gRoles[0].equip[slot] = n;
    Calc();
    EXPECT_EQ(std::tuple(s.maxHp, s.hitRate), std::tuple(155, 85));

    // Status, level and experience are kept; HP, MP and the role record clamped.
    Reset();
    s.hp = 500, s.mp = -4, s.status = 0x402, s.level = 12, s.exp = 999;  // hp above the max of 155
    Calc();
    EXPECT_EQ(std::tuple(s.hp, s.mp, s.status, s.level, s.exp), std::tuple(155, 0, 0x402, 12, 999));
    gRoleStats[0].hp = 0;
    EXPECT_EQ(Calc().hp, 0);

    Wear(kSlotArmour, Bonus(5, 1, {20000, -100, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
    gRoleStats[0].hp = 12000;
    Calc();
    EXPECT_EQ(std::tuple(s.maxHp, s.hp, s.maxMp), std::tuple(9999, 9999, 0));

    RoleData& r = gRoles[0];
    r.hitRate = -5, r.evasion = 1500, r.attack = 600, r.defence = -1;
    Calc();
    EXPECT_EQ(std::tuple(r.hitRate, r.evasion, r.attack, r.defence), std::tuple(0, 999, 500, 0));
    // A sum past 32 bits wraps without overflowing; the clamp keeps it in range.
    gRoles[0].maxHp = 2000000000;
    gOwnedEquipage[gRoles[0].equip[kSlotArmour]].bonusMode = 2;
    gOwnedEquipage[gRoles[0].equip[kSlotArmour]].maxHp = 2000000000;
    EXPECT_GE(Calc().maxHp, 0);
    EXPECT_LE(gRoleStats[0].maxHp, 9999);
}

TEST(StatusEffect, SetClearAndClearAll) {
    // From the status word before, the effect: whether it changed and the word after.
    const struct {
        i32 before, effect;
        bool changed;
        i32 after;
    } steps[] = {
        {0, 1, false, 0},        {0, 2, true, 0x1},        // bit 0x1
        {0x1, 2, false, 0x1},    {0x1, 16, true, 0x4001},  // bit 0x4000
        {0x4001, 31, true, 0x1},                           // clears 0x4000
        {0x1, 18, false, 0x1},                             // 0x2 is clear already
        {0x1, 17, true, 0},      {0x123, 1, true, 0},
        {0x5, 0, false, 0x5},    {0x8005, 32, false, 0x8005},
    };
    for (const auto& s : steps) {
        i32 word = s.before;
        EXPECT_EQ(ApplyStatusEffect(word, s.effect), s.changed) << s.before << " " << s.effect;
        EXPECT_EQ(word, s.after) << s.before << " " << s.effect;
    }
}

// One item on role 7 (max HP 220): the role's hp, mp and status before and
// after, and the owned count before and after; kAny is neither set nor checked.
// Unknown items, used before each, do nothing; nor does a use kind other than 1 or 2.
TEST_F(ItemUse, SingleRoleItemsByTheirUseKindStatusBattleAndEffectMode) {
    auto want = [](i32 value, i32 got) { return value == kAny ? got : value; };
    const struct {
        const char* what;
        i32 item;
        bool battle;
        i32 hp, mp, status, owned;
        i32 wantHp, wantMp, wantStatus, wantOwned;
        i32 useKind = kAny;
    } cases[] = {
        {"herb heals 50", kHerb, false, 10, kAny, 0, 3, 60, kAny, 0, 2},
        {"herb stops at max HP", kHerb, false, 200, kAny, 0, 2, 220, kAny, 0, 1},
        {"none owned", kHerb, false, 10, kAny, 0x400, 0, 10, kAny, 0x400, 0},
        {"dying: kept book refused", kMagicBook, false, kAny, 0, kDying, 1, kAny, 0, kDying, 1},
        {"dying: herb given back", kHerb, false, 0, kAny, kDying, 2, 0, kAny, kDying, 2},
        // Status effect 31 still works: it clears 0x4000 and heals.
        {"dying: the revive drug", kReviveDrug, false, 0, kAny, kDying, 1, 100, kAny, 0, 0},
        {"battle: left to it", kAntidote, true, kAny, kAny, 0x400, 1, kAny, kAny, 0x400, 1},
        {"battle: dying", kHerb, true, kAny, kAny, kDying, 1, kAny, kAny, kDying, 1},
        {"antidote", kAntidote, false, kAny, kAny, 0x401, 1, kAny, kAny, 0x1, 0},
        {"panacea clears all", kPanacea, false, kAny, kAny, 0x2C05, 1, kAny, kAny, 0, kAny},
        {"use kind 3", kAntidote, false, 10, kAny, 0x400, 2, 10, kAny, 0x400, 2, 3},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Load();
        gRulesInBattle = c.battle;
        RoleStats& st = St(kBare);
        if (c.hp != kAny) st.hp = c.hp;
        if (c.mp != kAny) st.mp = c.mp;
        st.status = c.status;
        gOwnedItems[c.item] = c.owned;
        if (c.useKind != kAny) gItems[c.item].useKind = c.useKind;
        for (i32 unknown : {-1, 8, 1 << 30}) UseItem(kBare, unknown);
        UseItem(kBare, c.item);
        EXPECT_EQ(std::tuple(st.hp, st.mp, st.status, gOwnedItems[c.item]),
                  std::tuple(want(c.wantHp, st.hp), want(c.wantMp, st.mp), c.wantStatus,
                             want(c.wantOwned, gOwnedItems[c.item])));
    }
    gRulesInBattle = 0;

    // Stat items by their effect mode. Percent mode changes base maxima and values.
    Load();
    ItemData& potion = gItems[kBigPotion];
    potion.target = 1;
    potion.hp = 0;
    potion.mp = 0;
    potion.maxHp = 10;      // base max HP += derived max HP x 10%
    potion.maxMp = 50;      // base max MP += base max MP x 50%
    potion.strength = -50;  // base strength += itself x -50%
    gOwnedItems[kBigPotion] = 1;
    UseItem(kCharms, kBigPotion);
    EXPECT_EQ(std::tuple(gRoles[kCharms].maxHp, gRoles[kCharms].maxMp, gRoles[kCharms].strength,
                         St(kCharms).maxHp, St(kCharms).maxMp),
              std::tuple(180 + 18, 55 + 27, 13 - 6, 198, 82 + 60));

    // Add mode raises base values and recomputes; the book is kept.
    ItemData& book = gItems[kMagicBook];
    book.maxHp = 25;
    book.strength = 2;
    book.attack = 3;
    book.evasion = 4;
    gOwnedItems[kMagicBook] = 1;
    UseItem(kBare, kMagicBook);
    EXPECT_EQ(std::tuple(gOwnedItems[kMagicBook], gRoles[kBare].maxHp, St(kBare).maxHp,
                         gRoles[kBare].strength, gRoles[kBare].attack, gRoles[kBare].evasion,
                         St(kBare).attack, St(kBare).mp),
              std::tuple(1, 245, 245, 19, 37, 14, 37 + 37 + 19, 75));  // mp +20 stops at the max

    // An overwrite item is given back when its status changes nothing.
    Load();
    gOwnedItems[kPowerFruit] = 3;
    UseItem(kBare, kPowerFruit);
    EXPECT_EQ(std::tuple(gRoles[kBare].strength, St(kBare).status, gOwnedItems[kPowerFruit]),
              std::tuple(30, 0x8, 2));
    gRoles[kBare].strength = 5;
    UseItem(kBare, kPowerFruit);  // blessing is set already
    EXPECT_EQ(std::tuple(gRoles[kBare].strength, gOwnedItems[kPowerFruit]), std::tuple(30, 2));
}

TEST_F(ItemUse, PartyItemsAndSkills) {
    // Taken once; percent terms follow their bases.
    SetParty({kBare, kCharms, 0, -1, 1});  // role 1 after the end of the list: untouched
    St(0).status = kDying;
    St(0).hp = 0;
    for (int r : {kBare, kCharms, 1}) {
        St(r).hp = 10;
        St(r).mp = 0;
    }
    gOwnedItems[kBigPotion] = 2;
    UseItem(5, kBigPotion);  // the role argument does not matter for the party
    EXPECT_EQ(gOwnedItems[kBigPotion], 1);
    // HP: 50% of the base max HP; MP: 20% of the derived max MP; the dying role is skipped.
    EXPECT_EQ(
        std::tuple(St(kBare).hp, St(kBare).mp, St(kCharms).hp, St(kCharms).mp, St(0).hp, St(1).hp),
        std::tuple(10 + 110, 15, 10 + 90, 23, 0, 10));

    // A kept party item sets haste on every member.
    Load();
    SetParty({2, 5});
    gOwnedItems[kHasteBell] = 1;
    UseItem(0, kHasteBell);
    EXPECT_EQ(std::tuple(St(2).status, St(5).status, St(0).status, gOwnedItems[kHasteBell]),
              std::tuple(0x2, 0x2, 0, 1));

    // A party overwrite item is given back at most once; a kept one never, as
    // none was taken.
    for (i32 useKind : {1, 2}) {
        Load();
        gItems[kPowerFruit].target = 2;
        gItems[kPowerFruit].useKind = useKind;
        SetParty({0, 1, 2, 3});
        for (int r = 0; r < 4; ++r) St(r).status = 0x8;
        gOwnedItems[kPowerFruit] = 5;
        UseItem(0, kPowerFruit);
        EXPECT_EQ(gOwnedItems[kPowerFruit], 5) << useKind;
    }
    // ApplyItemToRole alone never changes a count.
    gOwnedItems[kPowerFruit] = 1;
    ApplyItemToRole(0, gItems[kPowerFruit]);
    EXPECT_EQ(gOwnedItems[kPowerFruit], 1);

    // Skills spend MP, heal their target kind and overwrite the caster.
    Load();
    St(1).mp = 50;
    St(kBare).hp = 20;
    for (i32 hp : {100, 180, 220}) {
        UseSkill(St(1), gSkills[kHeal], St(kBare));
        EXPECT_EQ(St(kBare).hp, hp);
    }
    EXPECT_EQ(St(1).mp, 20);
    // Another target kind still costs its MP, with no check that there is enough.
    St(1).mp = 5;
    UseSkill(St(1), gSkills[kFireball], St(kBare));
    EXPECT_EQ(std::tuple(St(1).mp, St(kBare).hp), std::tuple(-7, 220));

    // On a dying target a skill costs nothing unless it revives.
    St(1).mp = 60;
    St(kBare).status = kDying;
    St(kBare).hp = 0;
    UseSkill(St(1), gSkills[kHeal], St(kBare));
    EXPECT_EQ(std::tuple(St(1).mp, St(kBare).hp), std::tuple(60, 0));
    // Revive: percent mode with status effect 31 clears the word first, then 50% of 220.
    St(kBare).status = kDying | 0x400;
    UseSkill(St(1), gSkills[kRevive], St(kBare));
    EXPECT_EQ(std::tuple(St(1).mp, St(kBare).status, St(kBare).hp), std::tuple(20, 0, 110));

    // A group skill reaches the party by derived max HP.
    SetParty({kBare, 0, -1});
    for (int r : {kBare, 0}) St(r).hp = 1;
    St(kCharms).mp = 100;
    UseSkill(St(kCharms), gSkills[kGroupHeal], St(kBare));
    // 30% of 220; role 0 wears mail (+10% of base 150): derived max HP 165, 30% = 49.
    EXPECT_EQ(std::tuple(St(kCharms).mp, St(kBare).hp, St(0).maxHp, St(0).hp),
              std::tuple(75, 1 + 66, 165, 1 + 49));

    // An add skill skips a dying target or a stranger, but its revive status applies.
    gSkills[kHeal].statusEffect = 31;
    St(kBare).status = kDying;
    St(kBare).hp = 0;
    ApplySkillToRole(gSkills[kHeal], St(kBare));
    EXPECT_EQ(std::tuple(St(kBare).hp, St(kBare).status), std::tuple(0, 0));
    RoleStats stranger = St(kBare);
    stranger.index = 9;
    stranger.hp = 3;
    ApplySkillToRole(gSkills[kHeal], stranger);
    EXPECT_EQ(stranger.hp, 3);

    // An overwrite skill works on the caster; its status only outside battle.
    St(4).mp = 40;
    UseSkill(St(4), gSkills[kEmpower], St(kBare));
    EXPECT_EQ(std::tuple(St(4).mp, gRoles[4].attack, St(4).status, gRoles[kBare].attack),
              std::tuple(25, 200, 0x8, 34));
    gRulesInBattle = 1;
    gRoles[5].attack = 1;
    St(5).mp = 40;
    UseSkill(St(5), gSkills[kEmpower], St(5));
    EXPECT_EQ(std::tuple(gRoles[5].attack, St(5).status, St(5).attack),
              std::tuple(200, 0, 200 + 200 + 15));
}
