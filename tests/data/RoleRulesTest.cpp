// The rules on roles, against values worked out by hand: owned equipment,
// derived statistics from the bonus rules, strengthening, offering, equipment
// descriptions, and item and skill use on the sample databases.
#include <array>
#include <cstring>
#include <tuple>

#include "data/DataTestSupport.h"
#include "data/DerivedStats.h"
#include "data/Equipage.h"
#include "data/ItemUse.h"
#include "platform/TextCodec.h"

namespace {

using namespace sample;

EquipageData Piece(i32 id, i32 kind, i32 bonusMode = 1) {
    EquipageData e{};
    e.id = id;
    e.kind = kind;
    e.bonusMode = bonusMode;
    e.wearerMask = 0xFF;
    return e;
}

// Walks a Big5 text character by character; true when it ends on a character boundary.
bool WholeBig5(const char* s) {
    size_t n = std::strlen(s), i = 0;
    while (i < n) {
        u8 c = static_cast<u8>(s[i]);
        i += (c >= 0x81 && c <= 0xFE) ? 2 : 1;
    }
    return i == n;
}

class DerivedStats : public DataTest {
protected:
    void SetUp() override {
        DataTest::SetUp();
        Reset();
    }
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

}  // namespace

using OwnedEquipage = DataTest;

TEST_F(OwnedEquipage, AddFillsTheFirstFreePlaceAndCountsFollow) {
    for (i32 id : {4, 4, 4, 2}) AddEquipage(Piece(id, 5));
    gRoles[3].equip[kSlotArmour] = 0;  // the first piece is worn
    EXPECT_EQ(std::tuple(CountUnwornEquipage(4), CountUnwornEquipage(2), CountUnwornEquipage(-1),
                         CountFreeEquipageSlots()),
              std::tuple(2, 1, 0, kOwnedEquipageCount - 4));  // free places are not pieces
    for (i32 i = 4; i < kOwnedEquipageCount; ++i) ASSERT_EQ(AddEquipage(Piece(i % 7, 1)), i);
    EXPECT_EQ(CountFreeEquipageSlots(), 0);
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

TEST_F(OwnedEquipage, WornIsDecidedByTheSlotOfThePiecesKind) {
    i32 bow = AddEquipage(Piece(2, 6));
    i32 shield = AddEquipage(Piece(3, 3));
    i32 charm = AddEquipage(Piece(7, 7));
    i32 hat = AddEquipage(Piece(4, 4));
    gRoles[2].equip[kSlotWeapon] = gRoles[2].equip[kSlotShield] = bow;
    gRoles[5].equip[kSlotAccessory2] = charm;
    gRoles[6].equip[kSlotArmour] = hat;  // a hat in the armour slot is not worn
    EXPECT_EQ(std::tuple(IsEquipageEquipped(bow), IsEquipageEquipped(charm),
                         IsEquipageEquipped(hat), IsEquipageEquipped(shield)),
              std::tuple(1, 1, 0, 0));
    gRoles[1].equip[kSlotShield] = shield;
    EXPECT_EQ(IsEquipageEquipped(shield), 1);
    // A bow standing only in a shield slot is not looked at there.
    gRoles[2].equip[kSlotWeapon] = -1;
    EXPECT_EQ(IsEquipageEquipped(bow), 0);
    // Free places and indices outside the table.
    gOwnedEquipage[charm].id = -1;
    for (i32 n : {charm, -1, 256}) EXPECT_EQ(IsEquipageEquipped(n), 0) << n;
    // Kinds outside 1..7 are never worn.
    i32 oddIndex = AddEquipage(Piece(9, 8));
    gRoles[0].equip[kSlotWeapon] = oddIndex;
    EXPECT_EQ(IsEquipageEquipped(oddIndex), 0);
}

TEST_F(OwnedEquipage, WearerMaskAndLookOffsets) {
    EquipageData p = Piece(1, 1);
    p.wearerMask = 0x85;  // roles 0, 2 and 7
    i32 n = AddEquipage(p);
    const int expect[8] = {1, 0, 1, 0, 0, 0, 0, 1};
    for (int r = 0; r < 8; ++r) EXPECT_EQ(CanRoleEquip(n, r), expect[r]) << r;
    EXPECT_EQ(std::tuple(CanRoleEquip(n, 8), CanRoleEquip(n, -1), CanRoleEquip(300, 0)),
              std::tuple(0, 0, 0));

    const i32 look[16] = {0, 2, 4, 6, 8, 10, 12, 1, 14, 15, 3, 5, 7, 9, 11, 13};
    for (i32 sum = 0; sum < 16; ++sum) EXPECT_EQ(GetEquipLookOffset(sum, 0), look[sum]) << sum;
    EXPECT_EQ(std::tuple(GetEquipLookOffset(4, 3), GetEquipLookOffset(10, 6),
                         GetEquipLookOffset(-1, 2), GetEquipLookOffset(0x7FFFFFFF, 0x7FFFFFFF)),
              std::tuple(1, 0, 2, 0));
}

TEST_F(OwnedEquipage, LearnedSkillsCountByCategoryAndSkipNoSkillIds) {
    LoadSetInMemory(MakeSampleDatabases());
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

using EquipageText = DataTest;

TEST_F(EquipageText, BonusPartsByModeAndEverySpecialKind) {
    LoadSetInMemory(MakeSampleDatabases());
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
        {5, 0, 0, {6, 0, 0, 0, sample::kFireball}, "攻擊後附加 火球"},
        {5, 0, 0, {6, 0, 0, 0, 0}, ""},
        {5, 0, 0, {6, 0, 0, 0, gSkillCount}, ""},
        {5, 0, 0, {7, 1, 1, 1, 1}, ""},
        {1, 5, 0, {5, 0, 0, 0, 0}, "攻+5，反彈敵人攻擊"},
    };
    for (const auto& c : cases) {
        EquipageData p = Piece(0, 1, c.mode);
        p.attack = c.attack;
        p.defence = c.defence;
        p.special = c.special;
        EXPECT_EQ(std::string(MakeEquipageText(p)), Utf8ToBig5(c.text))
            << c.text << " kind " << c.special.kind;
    }
}

TEST_F(EquipageText, NeverWritesPastItsFieldOrCutsACharacter) {
    DatabaseSet set = MakeSampleDatabases();
    std::string longName =
        Utf8ToBig5("超級無敵霹靂旋風烈焰爆裂火球之術");  // 16 characters, 32 bytes
    std::memset(set.skills[sample::kFireball].name, 0, 36);
    std::memcpy(set.skills[sample::kFireball].name, longName.data(), longName.size());
    LoadSetInMemory(set);
    for (i32 attack : {5, 50, 500, -5000}) {
        EquipageData p = Piece(0, 1, 2);
        p.attack = attack;
        p.defence = -123456;
        p.special = {6, 0, 0, 0, sample::kFireball};
        const char* text = MakeEquipageText(p);
        EXPECT_EQ(text, p.description);
        EXPECT_LE(std::strlen(text), 51u);
        EXPECT_TRUE(WholeBig5(text)) << attack;
        // The text starts like the whole description would.
        if (attack > 0) {
            EXPECT_EQ(std::string(text).rfind(Utf8ToBig5("攻+") + std::to_string(attack), 0), 0u);
        }
    }
    // The record after the description is never touched (description is the last field).
    struct Guarded {
        EquipageData piece;
        u8 guard[16];
    } g{};
    g.piece = Piece(0, 1);
    g.piece.attack = 999999;
    g.piece.defence = -999999;
    g.piece.special = {1, 1000000, -1000000, 0, 0};
    std::memset(g.guard, 0xAB, sizeof(g.guard));
    MakeEquipageText(g.piece);
    for (u8 b : g.guard) EXPECT_EQ(b, 0xAB);
    EXPECT_EQ(g.piece.description[51], 0);
}

using Strengthening = DataTest;

TEST_F(Strengthening, WeaponAndArmourTakeTheirBlocksAndSpecials) {
    LoadSetInMemory(MakeSampleDatabases());
    // A weapon takes the weapon block, its special and the common block.
    EquipageData p = gEquipages[sample::kShortSword];
    EnhanceWeapon(gMonsters[sample::kWolf], p);
    EXPECT_EQ(std::tuple(p.attack, p.ratios[kEarth], p.special.kind, p.special.skill),
              std::tuple(10 + 20, 10, 6, sample::kFireball));
    EXPECT_EQ(std::string(p.description), Utf8ToBig5("攻+30，攻擊後附加 火球"));
    EXPECT_EQ(p.price, gEquipages[sample::kShortSword].price);  // the price is the shop's business
    // A monster without a weapon special keeps the piece's.
    EnhanceWeapon(gMonsters[sample::kSlime], p);
    EXPECT_EQ(std::tuple(p.special.kind, p.attack, p.ratios[kWater]), std::tuple(6, 33, 5));

    // Armour takes its special only when its kind is positive.
    EquipageData hat = gEquipages[sample::kLeatherHat];
    MonsterData m = gMonsters[sample::kGoblin];
    m.armourSpecial.kind = -1;
    m.armourBlock[0] = 4;  // strength
    m.armourBlock[6] = 9;  // defence
    EnhanceArmour(m, hat);
    EXPECT_EQ(std::tuple(hat.special.kind, hat.strength, hat.defence),
              std::tuple(5, 4, 3 + 9));  // the hat's own special
    m.armourSpecial = {2, 7, 0, 0, 0};
    EnhanceArmour(m, hat);
    EXPECT_EQ(hat.special.kind, 2);
    EXPECT_EQ(std::string(hat.description), Utf8ToBig5("防+21，每回合 HP+7% "));
    // A weapon special of kind -1 is copied: only 0 means none there.
    EquipageData w = gEquipages[sample::kShortSword];
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
}

using Offering = DataTest;

// The sums and clamps of an offering are pinned through the offering page
// (tests/menu); here, what refuses one.
TEST_F(Offering, RefusedWithoutTheFormsFlagOrForTheWrongKinds) {
    LoadSetInMemory(MakeSampleDatabases());
    gOwnedMonsters[sample::kSlime] = 1;
    gOwnedMonsters[sample::kIceDemon] = 1;
    MonsterData form = gGodForms[1];
    const MonsterData before = form;
    const MonsterData& slime = gMonsters[sample::kSlime];
    OfferMonster(form, slime);  // flag 301 clear
    EXPECT_EQ(std::memcmp(&form, &before, sizeof(form)), 0);
    EXPECT_EQ(gOwnedMonsters[sample::kSlime], 1);
    SetGameFlag(301);
    OfferMonster(form, gMonsters[sample::kIceDemon]);  // a form cannot be offered
    EXPECT_EQ(gOwnedMonsters[sample::kIceDemon], 1);
    MonsterData notForm = gMonsters[sample::kWolf];
    notForm.index = 1;
    OfferMonster(notForm, slime);  // kind 0 is not a form
    MonsterData badIndex = form;
    badIndex.index = 40;  // flag 340 is not a form flag
    SetGameFlag(340);
    OfferMonster(badIndex, slime);
    EXPECT_EQ(gOwnedMonsters[sample::kSlime], 1);
    MonsterData stray = slime;
    stray.index = gMonsterCount;  // names no owned count
    OfferMonster(form, stray);
    EXPECT_EQ(form.offerValue, before.offerValue);
    OfferMonster(form, slime);
    EXPECT_EQ(std::tuple(gOwnedMonsters[sample::kSlime], form.offerValue),
              std::tuple(0, before.offerValue + 10));
    OfferMonster(form, slime);  // none left
    EXPECT_EQ(form.offerValue, before.offerValue + 10);
}

TEST_F(DerivedStats, EveryBonusModeOnTheBaseValues) {
    // Bare: attack is copy + base attack + strength, defence copy + base defence
    // + stamina; no weapon hits at 85 whatever the armour.
    Wear(kSlotArmour, Bonus(5, 1, {0, 0, 0, 0, 0, 0, 0, 0, 0, 30, 0}));
    RoleStats& s = Calc();
    EXPECT_EQ(std::tuple(s.maxHp, s.attack, s.defence, s.hitRate, s.evasion),
              std::tuple(155, 20 + 20 + 10, 10 + 10 + 8, 85, 12));

    // Add mode adds every non-zero bonus. Attack from the base strength, not
    // the raised one; a weapon hits at the base 90 plus its bonus.
    Reset();
    EquipageData sword = Bonus(1, 1, {20, 5, 3, 0, 0, 0, -2, 10, 1, 4, 2});
    sword.ratios[kFire] = -30;
    Wear(kSlotWeapon, sword);
    Calc();
    EXPECT_EQ(std::tuple(s.maxHp, s.maxMp, s.strength, s.agility, s.attack, s.defence, s.hitRate,
                         s.evasion, s.ratios[kFire], s.ratios[kWater]),
              std::tuple(175, 65, 13, 5, 20 + 10 + 20 + 10, 10 + 1 + 10 + 8, 94, 14, 70, 100));

    // Percent mode takes the base value and truncates toward zero: max HP 155 x
    // 10 / 100 = 15, max MP 60 x -15 / 100 = -9, magic 6 x 50 / 100 = 3, spirit
    // 5 x -10 / 100 = -0.5 -> 0; attack and defence bonuses add plainly in every
    // mode. The second ring's 10% is still of the base 155, not of 170.
    Reset();
    Wear(kSlotAccessory1, Bonus(7, 2, {10, -15, 0, 0, 50, -10, 0, 5, 0, 0, 0}));
    Wear(kSlotAccessory2, Bonus(7, 2, {10, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
    Calc();
    EXPECT_EQ(std::tuple(s.maxHp, s.maxMp, s.magic, s.spirit, s.attack),
              std::tuple(155 + 15 + 15, 51, 9, 5, 20 + 5 + 20 + 10));

    // Overwrite mode replaces only non-zero bonuses, and later pieces still add:
    // the divine armour comes after the hat, the charm after the armour.
    Reset();
    Wear(kSlotHat, Bonus(4, 1, {20, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
    Wear(kSlotArmour, Bonus(5, 5, {0, 500, 0, 77, 0, 0, 0, 0, 0, 0, 0}));
    Wear(kSlotAccessory1, Bonus(7, 1, {0, 30, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
    Calc();
    // A zero overwrite bonus leaves the hat's result; defence from the base stamina.
    EXPECT_EQ(std::tuple(s.maxHp, s.maxMp, s.stamina, s.defence),
              std::tuple(175, 530, 77, 10 + 10 + 8));

    // An unknown bonus mode still adds attack, defence, hit rate and evasion.
    Reset();
    Wear(kSlotWeapon, Bonus(1, 3, {100, 0, 0, 0, 0, 0, 0, 4, 2, 6, 1}));
    Calc();
    EXPECT_EQ(std::tuple(s.maxHp, s.attack, s.defence, s.hitRate, s.evasion),
              std::tuple(155, 54, 30, 96, 13));
}

TEST_F(DerivedStats, TwoHandedWeaponIsAppliedOnceAndSlotsOutsideTheTableAreEmpty) {
    gRoles[0].equip[kSlotWeapon] = gRoles[0].equip[kSlotShield] =
        AddEquipage(Bonus(6, 1, {20, 0, 0, 0, 0, 0, 0, 7, 0, 0, 0}));
    RoleStats& s = Calc();
    EXPECT_EQ(std::tuple(s.maxHp, s.attack), std::tuple(175, 20 + 7 + 20 + 10));
    // A one-handed weapon with a real shield: both apply.
    Wear(kSlotWeapon, Piece(1, 1, 1));
    Wear(kSlotShield, Bonus(3, 1, {4, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(Calc().maxHp, 159);

    Reset();
    AddEquipage(Bonus(1, 1, {50, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
    gRoles[0].equip[kSlotWeapon] = 256;
    gRoles[0].equip[kSlotShield] = -2;
    gRoles[0].equip[kSlotHat] = 1 << 30;
    gRoles[0].equip[kSlotArmour] = -1000000;
    Calc();
    EXPECT_EQ(std::tuple(s.maxHp, s.hitRate), std::tuple(155, 85));
}

TEST_F(DerivedStats, KeepsStatusLevelAndExperienceAndClampsHpMpAndTheRoleRecord) {
    RoleStats& t = gRoleStats[0];
    t.hp = 500, t.mp = -4, t.status = 0x402, t.level = 12, t.exp = 999;  // hp above the max of 155
    Calc();
    EXPECT_EQ(std::tuple(t.hp, t.mp, t.status, t.level, t.exp), std::tuple(155, 0, 0x402, 12, 999));
    gRoleStats[0].hp = 0;
    EXPECT_EQ(Calc().hp, 0);

    Wear(kSlotArmour, Bonus(5, 1, {20000, -100, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
    gRoleStats[0].hp = 12000;
    RoleStats& s = Calc();
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
        {0x1, 17, true, 0},      {0x123, 1, true, 0},     {0x5, 0, false, 0x5},
        {0x5, -1, false, 0x5},   {0x5, 32, false, 0x5},   {0x5, 1000, false, 0x5},
    };
    for (const auto& s : steps) {
        i32 word = s.before;
        EXPECT_EQ(ApplyStatusEffect(word, s.effect), s.changed) << s.before << " " << s.effect;
        EXPECT_EQ(word, s.after) << s.before << " " << s.effect;
    }
}

// One item on role 7 (max HP 220): the role's hp, mp and status before and
// after, and the owned count before and after; kAny is neither set nor checked.
TEST_F(ItemUse, SingleRoleItemsByTheirUseKindStatusAndBattle) {
    auto want = [](i32 value, i32 got) { return value == kAny ? got : value; };
    const struct {
        const char* what;
        i32 item;
        bool battle;
        i32 hp, mp, status, owned;
        i32 wantHp, wantMp, wantStatus, wantOwned;
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
        UseItem(kBare, c.item);
        EXPECT_EQ(std::tuple(st.hp, st.mp, st.status, gOwnedItems[c.item]),
                  std::tuple(want(c.wantHp, st.hp), want(c.wantMp, st.mp), c.wantStatus,
                             want(c.wantOwned, gOwnedItems[c.item])));
    }
    gRulesInBattle = 0;

    // Unknown items and other use kinds do nothing.
    Load();
    gItems[kAntidote].useKind = 3;
    St(kBare).hp = 10;
    St(kBare).status = 0x400;
    for (i32 item : {-1, 8, 1 << 30}) UseItem(kBare, item);
    gOwnedItems[kAntidote] = 2;
    UseItem(kBare, kAntidote);
    EXPECT_EQ(std::tuple(St(kBare).hp, St(kBare).status, gOwnedItems[kAntidote]),
              std::tuple(10, 0x400, 2));
}

TEST_F(ItemUse, StatItemsByTheirEffectMode) {
    // Percent mode changes base maxima and values.
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

TEST_F(ItemUse, PartyItems) {
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
}

TEST_F(ItemUse, SkillsSpendMpAndHealOnlyTheirTargetKind) {
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
    St(kBare).hp = 1;
    St(0).hp = 1;
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
}

TEST_F(ItemUse, OverwriteSkillOnTheCasterAndItsStatusOutsideBattleOnly) {
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
