// Database loading: the sample's values come back, missing and bad files get
// their boxes, and the owned state and starting equipment are set up; the
// records' byte layout; the game flags and the options file.
#include <algorithm>
#include <cstring>
#include <tuple>

#include "base/ByteIo.h"
#include "data/DataTestSupport.h"
#include "data/Equipage.h"
#include "data/KeyBindings.h"
#include "data/Options.h"
#include "platform/TextCodec.h"
#include "shell/Settings.h"

namespace {

// The file's bytes with its leading count word replaced.
std::vector<u8> WithCount(DatabaseFile which, i32 count) {
    std::vector<u8> bytes = DatabaseFileBytes(MakeSampleDatabases(), which);
    StoreU32(bytes.data(), static_cast<u32>(count));
    return bytes;
}

i32 Size(const auto& records) {
    return static_cast<i32>(records.size());
}

}  // namespace

using DatabaseLoad = DataTest;

// What the byte round trip below cannot see: the loader's own words, the
// descriptions it rebuilds, the owned state and the starting equipment.
TEST_F(DatabaseLoad, SampleLoadsItsWordsOwnedStateAndStartingEquipment) {
    DatabaseSet set = MakeSampleDatabases();
    std::memset(set.equipages[sample::kLongBow].description, 0, 52);
    // At most eight roles are read: four more records are left alone.
    for (int r = 8; r < 12; ++r) {
        RoleFileRecord extra = set.roles[0];
        extra.role.index = r;
        std::snprintf(extra.role.name, sizeof(extra.role.name), "extra%d", r);
        set.roles.push_back(extra);
    }
    WriteSet(set);
    for (int f = 300; f <= 330; ++f) SetGameFlag(f);
    LoadGameDatabase(Root().c_str());
    EXPECT_TRUE(Boxes().empty());
    for (int r = 0; r < kRoleCount; ++r) {
        EXPECT_EQ(std::tuple(gRoles[r].extra, gRoleStats[r].level, std::string(gRoles[r].name)),
                  std::tuple(-1, set.roles[r].role.level, std::string(set.roles[r].role.name)));
    }
    EXPECT_EQ(std::string(gEquipages[sample::kLongBow].description),
              Utf8ToBig5("攻+10%，防-5%，攻擊敵人吸取 HP+10% "));
    EXPECT_EQ(std::string(gGodForms[1].name), Utf8ToBig5("冰魔"));

    // The owned state is reset and the party is role 0 alone.
    const i32 alone[kPartySize] = {0, -1, -1, -1, -1, -1, -1, -1};
    EXPECT_EQ(std::memcmp(gParty, alone, sizeof(alone)), 0);
    EXPECT_EQ(std::memcmp(gFormation, alone, sizeof(alone)), 0);
    EXPECT_EQ(GetPartyCount(), 1);
    for (int f = 300; f <= 330; ++f) EXPECT_EQ(GetGameFlag(f), f == 320 || f == 330 ? 1 : 0) << f;
    for (i32 i = 0; i < gItemCount; ++i) EXPECT_EQ(gOwnedItems[i], 0);
    for (i32 i = 0; i < gMonsterCount; ++i) EXPECT_EQ(gOwnedMonsters[i], 0);
    // 16 starting pieces: the two-handed weapons are one copy each.
    EXPECT_EQ(CountFreeEquipageSlots(), kOwnedEquipageCount - 16);

    // A two-handed weapon fills both slots with one copy; the wooden shield the
    // record also names was never looked at.
    const RoleData& role = gRoles[sample::kTwoHandedRole];
    ASSERT_GE(role.equip[kSlotWeapon], 0);
    EXPECT_EQ(role.equip[kSlotShield], role.equip[kSlotWeapon]);
    EXPECT_EQ(gOwnedEquipage[role.equip[kSlotWeapon]].id, sample::kGreatSword);
    auto copies = [](i32 id) { return std::ranges::count(gOwnedEquipage, id, &EquipageData::id); };
    EXPECT_EQ(std::tuple(copies(sample::kGreatSword), copies(sample::kWoodShield)),
              std::tuple(1, 2));  // shields: roles 1 and 5
    // The bow (kind 6) is two-handed too; two charms on role 3 are two copies.
    EXPECT_EQ(gRoles[2].equip[kSlotShield], gRoles[2].equip[kSlotWeapon]);
    EXPECT_NE(gRoles[3].equip[kSlotAccessory1], gRoles[3].equip[kSlotAccessory2]);

    // Loading again replaces the tables and the starting equipment.
    LoadGameDatabase(Root().c_str());
    EXPECT_EQ(std::tuple(gItemCount, CountFreeEquipageSlots()),
              std::tuple(Size(set.items), kOwnedEquipageCount - 16));
}

TEST_F(DatabaseLoad, WritersAndLoadersRoundTripByteForByte) {
    DatabaseSet set = MakeSampleDatabases();
    for (int f = 0; f < kDatabaseFileCount; ++f) {
        auto which = static_cast<DatabaseFile>(f);
        std::vector<u8> bytes = DatabaseFileBytes(set, which);
        size_t count = kDatabaseLayouts[f].counted ? LoadU32(bytes.data()) : 1;
        EXPECT_EQ(bytes.size(),
                  (kDatabaseLayouts[f].counted ? 4 : 0) + count * kDatabaseLayouts[f].recordSize)
            << kDatabaseLayouts[f].fileName;
        ASSERT_TRUE(LoadBytes(which, bytes));
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
}

TEST_F(DatabaseLoad, GodFormsAndLearnedSkillsAreDerivedFromTheTables) {
    DatabaseSet set = MakeSampleDatabases();
    set.monsters.clear();
    for (int i = 0; i < 23; ++i) {
        MonsterData m{};
        m.index = 100 + i;
        m.kind = i == 1 ? 0 : 1;  // monster 1 is ordinary: 22 forms in the file
        std::snprintf(m.name, sizeof(m.name), "M%d", i);
        set.monsters.push_back(m);
    }
    set.levelUp->skills[4][5] = {sample::kHeal, 0};  // level 0 is never learned
    set.levelUp->skills[4][6] = {sample::kHeal, -3};
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
}

TEST_F(DatabaseLoad, EachMissingFileShowsItsBoxAndTheOthersStillLoad) {
    const char* names[kDatabaseFileCount] = {"RoleData", "LevelUp",      "MonsterData",
                                             "ItemData", "EquipageData", "SkillData"};
    const DatabaseSet sample = MakeSampleDatabases();
    for (int missing = 0; missing < kDatabaseFileCount; ++missing) {
        ResetGameData();
        PlatformReset();
        WriteSet(sample);
        RemoveFile(static_cast<DatabaseFile>(missing));
        LoadGameDatabase(Root().c_str());
        ASSERT_FALSE(Boxes().empty()) << missing;
        EXPECT_EQ(Boxes()[0].caption, Utf8ToBig5("開檔失敗"));
        EXPECT_EQ(Boxes()[0].text, Utf8ToBig5(("無法開啟 " + std::string(names[missing]) +
                                               ".dat，請確定MH_Data目錄中是否有此檔？")
                                                  .c_str()));
        // The missing table stays empty, the others are there.
        auto sizeOr = [&](DatabaseFile f, i32 n) { return missing == f ? 0 : n; };
        EXPECT_EQ(
            std::tuple(std::string(gRoles[1].name) == Utf8ToBig5("莉雅"), gMonsterCount, gItemCount,
                       gSkillCount, gLevelUpSkills[0][0].skill),
            std::tuple(missing != kRoleDataFile, sizeOr(kMonsterDataFile, Size(sample.monsters)),
                       sizeOr(kItemDataFile, Size(sample.items)),
                       sizeOr(kSkillDataFile, Size(sample.skills)),
                       sizeOr(kLevelUpFile, sample::kHeal)));
        // Without the equipment table every starting id is refused, one box each.
        if (missing == kEquipageDataFile) {
            EXPECT_EQ(Boxes().size(), 1u + 17u);
            EXPECT_EQ(CountFreeEquipageSlots(), kOwnedEquipageCount);
        }
    }
}

TEST_F(DatabaseLoad, EquipmentIdsEqualToOrAboveTheCountAreRefused) {
    DatabaseSet set = MakeSampleDatabases();
    const i32 count = Size(set.equipages);
    set.roles[0].equipIds[kSlotWeapon] = count;  // equal to the count
    set.roles[0].equipIds[kSlotShield] = count + 5;
    set.roles[0].equipIds[kSlotHat] = -7;
    WriteSet(set);
    LoadGameDatabase(Root().c_str());
    ASSERT_EQ(Boxes().size(), 2u);
    auto text = [&](i32 id) {
        return Utf8ToBig5(("請確認 編號" + std::to_string(id) +
                           "的裝備 是否存在資料庫中(最大值=" + std::to_string(count) + ")")
                              .c_str());
    };
    EXPECT_EQ(std::tuple(Boxes()[0].caption, Boxes()[0].text, Boxes()[1].caption, Boxes()[1].text),
              std::tuple(Utf8ToBig5("持有裝備資料錯誤"), text(count),
                         Utf8ToBig5("持有裝備資料庫錯誤"), text(count + 5)));
    EXPECT_EQ(std::tuple(gRoles[0].equip[kSlotWeapon], gRoles[0].equip[kSlotShield],
                         gRoles[0].equip[kSlotHat]),
              std::tuple(-1, -1, -1));
    EXPECT_GE(gRoles[0].equip[kSlotArmour], 0);
    EXPECT_EQ(gRoleStats[0].hitRate, 85);  // no weapon
}

TEST_F(DatabaseLoad, HugeNegativeCountsAndMissingFilesKeepTheTableLoadedBefore) {
    LoadSample();
    const DatabaseSet sample = MakeSampleDatabases();
    const i32 sizes[] = {Size(sample.monsters), Size(sample.items), Size(sample.equipages),
                         Size(sample.skills)};
    for (int f = kMonsterDataFile; f <= kSkillDataFile; ++f) {
        // One record more than the file holds is as bad as a huge count.
        for (i32 count : {1000000000, -1, sizes[f - kMonsterDataFile] + 1}) {
            PlatformReset();
            WriteSet(sample);
            WriteFile(static_cast<DatabaseFile>(f), WithCount(static_cast<DatabaseFile>(f), count));
            LoadGameDatabase(Root().c_str());
            ASSERT_EQ(Boxes().size(), 1u) << f << " " << count;
            EXPECT_EQ(Boxes()[0].caption, Utf8ToBig5("開檔失敗"));
            EXPECT_NE(Boxes()[0].text.find(kDatabaseLayouts[f].fileName), std::string::npos);
            EXPECT_NE(Boxes()[0].text.find("offset 0"), std::string::npos);
        }
    }
    RemoveFile(kItemDataFile);
    LoadGameDatabase(Root().c_str());
    EXPECT_EQ(std::tuple(gMonsterCount, gItemCount, gEquipageCount, gSkillCount),
              std::tuple(sizes[0], sizes[1], sizes[2], sizes[3]));
    ASSERT_NE(gItems, nullptr);
    EXPECT_EQ(std::string(gItems[0].name), Utf8ToBig5("藥草"));
    // On a first load the refused table stays empty.
    ResetGameData();
    EXPECT_FALSE(LoadBytes(kItemDataFile, WithCount(kItemDataFile, 1000000000)));
    EXPECT_EQ(std::tuple(gItemCount, gItems), std::tuple(0, nullptr));
    // A role count of 10^9 over eight records still reads the eight, without a
    // box; a negative one is refused.
    PlatformReset();
    EXPECT_TRUE(LoadBytes(kRoleDataFile, WithCount(kRoleDataFile, 1000000000)));
    EXPECT_EQ(std::string(gRoles[7].name), Utf8ToBig5("諾亞"));
    EXPECT_TRUE(Boxes().empty());
    EXPECT_FALSE(LoadBytes(kRoleDataFile, WithCount(kRoleDataFile, -3)));
}

TEST_F(DatabaseLoad, TruncatedFilesLeaveZeroedRecordsAndTextFieldsEndWithAZero) {
    DatabaseSet set = MakeSampleDatabases();
    // Roles: cut inside record 3.
    std::vector<u8> roles = DatabaseFileBytes(set, kRoleDataFile);
    roles.resize(4 + 3 * 216 + 100);
    ASSERT_TRUE(LoadBytes(kRoleDataFile, roles));
    EXPECT_EQ(std::string(gRoles[2].name), Utf8ToBig5("卡洛"));
    for (int r = 3; r < kRoleCount; ++r) {
        EXPECT_EQ(std::tuple(gRoles[r].maxHp, gRoles[r].name[0], gRoles[r].equip[kSlotWeapon]),
                  std::tuple(0, 0, -1));
    }
    ASSERT_EQ(Boxes().size(), 1u);
    EXPECT_NE(Boxes()[0].text.find("RoleData.dat: offset 652"), std::string::npos)
        << Boxes()[0].text;

    // Level-up rows past the end read as zeros, also over rows an earlier load filled.
    std::vector<u8> full = DatabaseFileBytes(set, kLevelUpFile);
    ASSERT_TRUE(LoadBytes(kLevelUpFile, full));
    ASSERT_TRUE(LoadBytes(kLevelUpFile, std::vector<u8>(full.begin(), full.begin() + 14400 + 10)));
    // Row 0 of role 0 is bytes 14400..14407; row 1 is cut inside its first word.
    EXPECT_EQ(std::tuple(gLevelUpStats[7][49][1], gLevelUpSkills[0][0].skill,
                         gLevelUpSkills[0][1].skill, gLevelUpSkills[7][44].level),
              std::tuple(49, sample::kHeal, 0, 0));

    // A counted table cut short is refused as a whole; so are files too short for a count.
    std::vector<u8> monsters = DatabaseFileBytes(set, kMonsterDataFile);
    monsters.resize(monsters.size() - 1);
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
    ASSERT_EQ(air.size(), 7u);
    EXPECT_EQ(air.substr(2, 3), std::string(" \xA1\x40"));
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
    SetGameFlag(0);
    SetGameFlag(7);
    SetGameFlag(8159);
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
namespace {

// Every checked field holds 10000 + its own offset, so a field written at
// another offset reads as a different number; V counts the fields it fills.
int gFilled = 0;
i32 V(int offset) {
    ++gFilled;
    return 10000 + offset;
}

// The file is a count word, then one record of `size` bytes: every word of it
// that holds a V value holds its own offset's, there are as many as fields
// were filled, and the name text "NM" is at nameAt.
void ExpectLayout(const char* record, const std::vector<u8>& file, size_t size, int nameAt) {
    SCOPED_TRACE(record);
    ASSERT_EQ(file.size(), 4 + size);
    EXPECT_EQ(LoadU32(file.data()), 1u);
    const u8* rec = file.data() + 4;
    int found = 0;
    for (size_t off = 0; off + 4 <= size; off += 4) {
        i32 v = static_cast<i32>(LoadU32(rec + off));
        if (v < 10000 || v >= 10000 + static_cast<i32>(size)) continue;
        EXPECT_EQ(v, 10000 + static_cast<i32>(off)) << "+" << off;
        ++found;
    }
    EXPECT_EQ(found, gFilled);
    EXPECT_EQ(std::memcmp(rec + nameAt, "NM", 3), 0) << "name at +" << nameAt;
    gFilled = 0;
}

void FillHead(StatsHead& s) {
    s.index = V(0);
    s.level = V(12);
    s.exp = V(16);
    std::memcpy(s.name, "NM", 3);
    s.maxHp = V(52), s.hp = V(56), s.maxMp = V(60), s.mp = V(64);
    s.strength = V(68), s.stamina = V(72), s.magic = V(76), s.spirit = V(80), s.agility = V(84);
    s.attack = V(88), s.defence = V(92), s.hitRate = V(96), s.evasion = V(100);
    s.status = V(104);
    for (int k = 0; k < kRatioCount; ++k) s.ratios[k] = V(108 + 4 * k);
}

void FillSpecial(EquipSpecial& s, int at) {
    s.kind = V(at), s.hp = V(at + 4), s.mp = V(at + 8), s.status = V(at + 12), s.skill = V(at + 16);
}

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
    it.maxHp = V(60), it.hp = V(64), it.maxMp = V(68), it.mp = V(72), it.strength = V(76);
    it.stamina = V(80), it.magic = V(84), it.spirit = V(88), it.agility = V(92);
    it.attack = V(96), it.defence = V(100), it.hitRate = V(104), it.evasion = V(108);
    it.statusEffect = V(112), it.target = V(120);
    ExpectLayout("item", WriteItemDataFile({it}), 180, 12);

    SkillData sk{};
    sk.category = V(8), sk.mpCost = V(52), sk.effectMode = V(56);
    std::memcpy(sk.name, "NM", 3);
    sk.maxHp = V(60), sk.hp = V(64), sk.maxMp = V(68), sk.mp = V(72), sk.strength = V(76);
    sk.stamina = V(80), sk.magic = V(84), sk.spirit = V(88), sk.agility = V(92);
    sk.power = V(96), sk.defence = V(100), sk.hitRate = V(104), sk.evasion = V(108);
    sk.statusEffect = V(144), sk.target = V(152);
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

}  // namespace

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
    // Values out of range are clamped.
    std::vector<i32> v = {1000, 0, 0, 99, -4, 12, 60, 1000};
    for (int k = 0; k < 12; ++k) v.push_back(k == 0 ? 0 : k == 1 ? 4000 : 30);
    v.push_back(250);
    v.push_back(1);
    write(v);
    LoadOptions();
    EXPECT_EQ(std::tuple(gSfxVolume, gMusicVolume, gCdVolume, gTextSpeed, gKeyBindings[kKeyUp],
                         gKeyBindings[kKeyDown], gSaveSlotPos),
              std::tuple(11u, 0u, 11u, 11u, 1u, 255u, 98));
    EXPECT_EQ(std::tuple(VolumeTo127(0), VolumeTo127(6), VolumeTo127(11)), std::tuple(0, 69, 127));

    // A whole file in range: each word lands in its value, and the file is
    // written again byte for byte.
    v = {777, 1, 1, 11, 0, 7, 90, 3};
    for (int k = 0; k < 12; ++k) v.push_back(17 + 3 * k);
    v.push_back(42);
    v.push_back(0);
    std::vector<u8> b = write(v);
    LoadOptions();
    EXPECT_EQ(std::tuple(gOptionStored, gWalkMode, gRealTimeBattle, gSfxVolume, gMusicVolume,
                         gCdVolume, gSwapSpace, gTextSpeed, gKeyBindings[kKeyUp],
                         gKeyBindings[kKeyFlee], gSaveSlotPos, gSmartMouse, gMapKeyCodes[4]),
              std::tuple(777, 1, 1u, 11u, 0u, 7u, 90u, 3u, 17u, 50u, 42, 0u, 17u));
    std::filesystem::remove(h.Path("Save/Option.sav"));
    ASSERT_EQ(SaveOptions(), 1);
    EXPECT_EQ(ReadHostFile(h.Path("Save/Option.sav")), b);
}
