// Owned equipment, strengthening, offering and equipment descriptions.
#include <cstring>
#include <tuple>

#include "data/DataTestSupport.h"
#include "data/Equipage.h"
#include "platform/TextCodec.h"

namespace {

EquipageData Piece(i32 id, i32 kind) {
    EquipageData e{};
    e.id = id;
    e.kind = kind;
    e.bonusMode = 1;
    e.wearerMask = 0xFF;
    return e;
}

std::string Describe(EquipageData e) {
    return MakeEquipageText(e);
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

}  // namespace

using OwnedEquipage = DataTest;

TEST_F(OwnedEquipage, AddFillsTheFirstFreePlaceUntilAll256AreUsed) {
    for (i32 i = 0; i < kOwnedEquipageCount; ++i) ASSERT_EQ(AddEquipage(Piece(i % 7, 1)), i);
    EXPECT_EQ(CountFreeEquipageSlots(), 0);
    EquipageData before[kOwnedEquipageCount];
    std::memcpy(before, gOwnedEquipage, sizeof(before));
    EXPECT_EQ(AddEquipage(Piece(3, 1)), -1);
    EXPECT_EQ(std::memcmp(before, gOwnedEquipage, sizeof(before)), 0);
    gOwnedEquipage[40].id = -1;  // thrown or sold
    EXPECT_EQ(CountFreeEquipageSlots(), 1);
    EXPECT_EQ(AddEquipage(Piece(5, 4)), 40);
    EXPECT_EQ(gOwnedEquipage[40].kind, 4);
}

TEST_F(OwnedEquipage, WornIsDecidedByTheSlotOfThePiecesKind) {
    i32 bow = AddEquipage(Piece(2, 6));
    i32 shield = AddEquipage(Piece(3, 3));
    i32 charm = AddEquipage(Piece(7, 7));
    i32 hat = AddEquipage(Piece(4, 4));
    gRoles[2].equip[kSlotWeapon] = gRoles[2].equip[kSlotShield] = bow;
    gRoles[5].equip[kSlotAccessory2] = charm;
    gRoles[6].equip[kSlotArmour] = hat;  // a hat in the armour slot is not worn
    EXPECT_EQ(IsEquipageEquipped(bow), 1);
    EXPECT_EQ(IsEquipageEquipped(charm), 1);
    EXPECT_EQ(IsEquipageEquipped(hat), 0);
    EXPECT_EQ(IsEquipageEquipped(shield), 0);
    gRoles[1].equip[kSlotShield] = shield;
    EXPECT_EQ(IsEquipageEquipped(shield), 1);
    // A bow standing only in a shield slot is not looked at there.
    gRoles[2].equip[kSlotWeapon] = -1;
    EXPECT_EQ(IsEquipageEquipped(bow), 0);
    // Free places and indices outside the table.
    gOwnedEquipage[charm].id = -1;
    EXPECT_EQ(IsEquipageEquipped(charm), 0);
    EXPECT_EQ(IsEquipageEquipped(-1), 0);
    EXPECT_EQ(IsEquipageEquipped(256), 0);
    // Kinds outside 1..7 are never worn.
    EquipageData odd = Piece(9, 8);
    i32 oddIndex = AddEquipage(odd);
    gRoles[0].equip[kSlotWeapon] = oddIndex;
    EXPECT_EQ(IsEquipageEquipped(oddIndex), 0);
}

TEST_F(OwnedEquipage, CountsOfUnwornPiecesFreePlacesAndParty) {
    i32 a = AddEquipage(Piece(4, 5));
    AddEquipage(Piece(4, 5));
    AddEquipage(Piece(4, 5));
    AddEquipage(Piece(2, 5));
    gRoles[3].equip[kSlotArmour] = a;
    EXPECT_EQ(CountUnwornEquipage(4), 2);
    EXPECT_EQ(CountUnwornEquipage(2), 1);
    EXPECT_EQ(CountUnwornEquipage(-1), 0);  // free places are not pieces
    EXPECT_EQ(CountFreeEquipageSlots(), kOwnedEquipageCount - 4);

    EXPECT_EQ(GetPartyCount(), 0);
    gParty[0] = 3;
    gParty[1] = 1;
    EXPECT_EQ(GetPartyCount(), 2);
    for (int k = 0; k < kPartySize; ++k) gParty[k] = k;
    EXPECT_EQ(GetPartyCount(), 8);
}

TEST_F(OwnedEquipage, WearerMaskDecidesWhoMayEquip) {
    EquipageData p = Piece(1, 1);
    p.wearerMask = 0x85;  // roles 0, 2 and 7
    i32 n = AddEquipage(p);
    const int expect[8] = {1, 0, 1, 0, 0, 0, 0, 1};
    for (int r = 0; r < 8; ++r) EXPECT_EQ(CanRoleEquip(n, r), expect[r]) << r;
    EXPECT_EQ(CanRoleEquip(n, 8), 0);
    EXPECT_EQ(CanRoleEquip(n, -1), 0);
    EXPECT_EQ(CanRoleEquip(300, 0), 0);
}

TEST_F(OwnedEquipage, LookOffsetsBySum) {
    const i32 expect[16] = {0, 2, 4, 6, 8, 10, 12, 1, 14, 15, 3, 5, 7, 9, 11, 13};
    for (i32 sum = 0; sum < 16; ++sum) EXPECT_EQ(GetEquipLookOffset(sum, 0), expect[sum]) << sum;
    EXPECT_EQ(GetEquipLookOffset(4, 3), 1);
    EXPECT_EQ(GetEquipLookOffset(10, 6), 0);
    EXPECT_EQ(GetEquipLookOffset(-1, 2), 2);
    EXPECT_EQ(GetEquipLookOffset(0x7FFFFFFF, 0x7FFFFFFF), 0);
}

TEST_F(OwnedEquipage, LearnedSkillsCountByCategoryAndSkipNoSkillIds) {
    LoadSetInMemory(MakeSampleDatabases());
    // Role 2 (level 3) knows heal, group heal and fireball (all category 1).
    EXPECT_EQ(CountLearnedSkills(2, 1), 3);
    EXPECT_EQ(CountLearnedSkills(2, 2), 0);
    // Role 5 (level 3) has the summon (category 2) on its fourth row.
    EXPECT_EQ(CountLearnedSkills(5, 2), 1);
    EXPECT_EQ(CountLearnedSkills(5, 1), 2);
    // Rows naming skill 0, a negative id or one past the table count as no skill.
    gLevelUpSkills[2][10] = {0, 1};
    gLevelUpSkills[2][11] = {-4, 1};
    gLevelUpSkills[2][12] = {gSkillCount, 1};
    gLearnedSkills[2][10] = gLearnedSkills[2][11] = gLearnedSkills[2][12] = 1;
    EXPECT_EQ(CountLearnedSkills(2, 0), 0);
    EXPECT_EQ(CountLearnedSkills(2, 1), 3);
    EXPECT_EQ(CountLearnedSkills(8, 1), 0);
    EXPECT_EQ(CountLearnedSkills(-1, 1), 0);
}

using EquipageText = DataTest;

TEST_F(EquipageText, BonusPartsByMode) {
    EquipageData p = Piece(0, 1);
    p.bonusMode = 2;
    p.attack = 10;
    p.defence = -5;
    EXPECT_EQ(Describe(p), Utf8ToBig5("攻+10%，防-5%"));
    p.bonusMode = 1;
    EXPECT_EQ(Describe(p), Utf8ToBig5("攻+10，防-5"));
    p.attack = 0;
    EXPECT_EQ(Describe(p), Utf8ToBig5("防-5"));
    p.attack = -3;
    p.defence = 0;
    EXPECT_EQ(Describe(p), Utf8ToBig5("攻-3"));
    p.bonusMode = 5;
    EXPECT_EQ(Describe(p), "");
}

TEST_F(EquipageText, EverySpecialKind) {
    LoadSetInMemory(MakeSampleDatabases());
    const struct {
        EquipSpecial special;
        const char* text;
    } cases[] = {
        {{1, 10, 5, 0, 0}, "每回合 HP+10點 MP+5點"},
        {{1, -10, 0, 0, 0}, "每回合 HP-10點 "},
        {{1, 0, -2, 0, 0}, "每回合 MP-2點"},
        {{2, 5, -3, 0, 0}, "每回合 HP+5% MP-3%"},
        {{3, 10, 0, 0, 0}, "攻擊敵人吸取 HP+10% "},
        {{4, 0, 0, 11, 0}, "攻擊後賦予 中毒"},
        {{4, 0, 0, 0, 0}, ""},
        {{4, 0, 0, 16, 0}, ""},
        {{5, 0, 0, 0, 0}, "反彈敵人攻擊"},
        {{6, 0, 0, 0, sample::kFireball}, "攻擊後附加 火球"},
        {{6, 0, 0, 0, 0}, ""},
        {{6, 0, 0, 0, gSkillCount}, ""},
        {{7, 1, 1, 1, 1}, ""},
    };
    EquipageData p = Piece(0, 1);
    p.bonusMode = 5;  // no bonus part
    for (const auto& c : cases) {
        p.special = c.special;
        EXPECT_EQ(Describe(p), Utf8ToBig5(c.text)) << c.text << " kind " << c.special.kind;
    }
    p.bonusMode = 1;
    p.attack = 5;
    p.special = {5, 0, 0, 0, 0};
    EXPECT_EQ(Describe(p), Utf8ToBig5("攻+5，反彈敵人攻擊"));
}

TEST_F(EquipageText, NeverWritesPastItsFieldOrCutsACharacter) {
    DatabaseSet set = MakeSampleDatabases();
    std::string longName =
        Utf8ToBig5("超級無敵霹靂旋風烈焰爆裂火球之術");  // 16 characters, 32 bytes
    std::memset(set.skills[sample::kFireball].name, 0, 36);
    std::memcpy(set.skills[sample::kFireball].name, longName.data(), longName.size());
    LoadSetInMemory(set);
    for (i32 attack : {5, 50, 500, -5000}) {
        EquipageData p = Piece(0, 1);
        p.bonusMode = 2;
        p.attack = attack;
        p.defence = -123456;
        p.special = {6, 0, 0, 0, sample::kFireball};
        const char* text = MakeEquipageText(p);
        EXPECT_EQ(text, p.description);
        EXPECT_LE(std::strlen(text), 51u);
        EXPECT_TRUE(WholeBig5(text)) << attack;
        // The text starts like the whole description would.
        std::string whole = Utf8ToBig5("攻+") + std::to_string(attack);
        if (attack > 0) {
            EXPECT_EQ(std::string(text).rfind(whole, 0), 0u);
        }
    }
    // The record after the description is never touched (description is the last field).
    struct Guarded {
        EquipageData piece;
        u8 guard[16];
    } g{};
    g.piece = Piece(0, 1);
    g.piece.bonusMode = 1;
    g.piece.attack = 999999;
    g.piece.defence = -999999;
    g.piece.special = {1, 1000000, -1000000, 0, 0};
    std::memset(g.guard, 0xAB, sizeof(g.guard));
    MakeEquipageText(g.piece);
    for (u8 b : g.guard) EXPECT_EQ(b, 0xAB);
    EXPECT_EQ(g.piece.description[51], 0);
}

using Strengthening = DataTest;

TEST_F(Strengthening, WeaponTakesTheWeaponBlockSpecialAndCommonBlock) {
    LoadSetInMemory(MakeSampleDatabases());
    EquipageData p = gEquipages[sample::kShortSword];
    const MonsterData& wolf = gMonsters[sample::kWolf];
    EnhanceWeapon(wolf, p);
    EXPECT_EQ(std::tuple(p.attack, p.ratios[kEarth], p.special.kind, p.special.skill),
              std::tuple(10 + 20, 10, 6, sample::kFireball));
    EXPECT_EQ(std::string(p.description), Utf8ToBig5("攻+30，攻擊後附加 火球"));
    EXPECT_EQ(p.price, gEquipages[sample::kShortSword].price);  // the price is the shop's business
    // A monster without a weapon special keeps the piece's.
    EnhanceWeapon(gMonsters[sample::kSlime], p);
    EXPECT_EQ(std::tuple(p.special.kind, p.attack, p.ratios[kWater]), std::tuple(6, 33, 5));
}

TEST_F(Strengthening, ArmourTakesItsSpecialOnlyWhenItsKindIsPositive) {
    LoadSetInMemory(MakeSampleDatabases());
    EquipageData p = gEquipages[sample::kLeatherHat];
    MonsterData m = gMonsters[sample::kGoblin];
    m.armourSpecial.kind = -1;
    m.armourBlock[0] = 4;  // strength
    m.armourBlock[6] = 9;  // defence
    EnhanceArmour(m, p);
    EXPECT_EQ(p.special.kind, 5);  // the hat's own
    EXPECT_EQ(p.strength, 4);
    EXPECT_EQ(p.defence, 3 + 9);
    m.armourSpecial = {2, 7, 0, 0, 0};
    EnhanceArmour(m, p);
    EXPECT_EQ(p.special.kind, 2);
    EXPECT_EQ(std::string(p.description), Utf8ToBig5("防+21，每回合 HP+7% "));
    // A weapon special of kind -1 is copied: only 0 means none there.
    EquipageData w = gEquipages[sample::kShortSword];
    m.weaponSpecial = {-1, 0, 0, 0, 0};
    EnhanceWeapon(m, w);
    EXPECT_EQ(w.special.kind, -1);
}

TEST_F(Strengthening, AttackAndDefenceBonusesAreClampedTo0To500) {
    EquipageData p = Piece(0, 1);
    p.attack = 495;
    p.defence = 3;
    MonsterData m{};
    m.weaponBlock[5] = 20;
    m.weaponBlock[6] = -10;
    EnhanceWeapon(m, p);
    EXPECT_EQ(p.attack, 500);
    EXPECT_EQ(p.defence, 0);
    EXPECT_EQ(std::string(p.description), Utf8ToBig5("攻+500"));  // the text shows what is kept
}

using Offering = DataTest;

// The sums and clamps of an offering are pinned through the offering page
// (tests/menu); here, what refuses one.
TEST_F(Offering, RefusedWithoutTheFormsFlagOrForTheWrongKinds) {
    LoadSetInMemory(MakeSampleDatabases());
    gOwnedMonsters[sample::kSlime] = 1;
    gOwnedMonsters[sample::kIceDemon] = 1;
    MonsterData form = gGodForms[1];
    MonsterData before = form;
    OfferMonster(form, gMonsters[sample::kSlime]);  // flag 301 clear
    EXPECT_EQ(std::memcmp(&form, &before, sizeof(form)), 0);
    EXPECT_EQ(gOwnedMonsters[sample::kSlime], 1);
    SetGameFlag(301);
    OfferMonster(form, gMonsters[sample::kIceDemon]);  // a form cannot be offered
    EXPECT_EQ(gOwnedMonsters[sample::kIceDemon], 1);
    MonsterData notForm = gMonsters[sample::kWolf];
    notForm.index = 1;
    OfferMonster(notForm, gMonsters[sample::kSlime]);  // kind 0 is not a form
    EXPECT_EQ(gOwnedMonsters[sample::kSlime], 1);
    MonsterData badIndex = form;
    badIndex.index = 40;  // flag 340 is not a form flag
    SetGameFlag(340);
    OfferMonster(badIndex, gMonsters[sample::kSlime]);
    EXPECT_EQ(gOwnedMonsters[sample::kSlime], 1);
    MonsterData stray = gMonsters[sample::kSlime];
    stray.index = gMonsterCount;  // names no owned count
    OfferMonster(form, stray);
    EXPECT_EQ(form.offerValue, before.offerValue);
    OfferMonster(form, gMonsters[sample::kSlime]);
    EXPECT_EQ(gOwnedMonsters[sample::kSlime], 0);
    EXPECT_EQ(form.offerValue, before.offerValue + 10);
    OfferMonster(form, gMonsters[sample::kSlime]);  // none left
    EXPECT_EQ(form.offerValue, before.offerValue + 10);
}
