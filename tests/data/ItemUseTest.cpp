// Item and skill use on the sample databases, against values worked out by hand.
#include <tuple>

#include "data/DataTestSupport.h"
#include "data/ItemUse.h"

namespace {

class ItemUse : public DataTest {
protected:
    void SetUp() override {
        DataTest::SetUp();
        set_ = MakeSampleDatabases();
    }
    void Load() { LoadSetInMemory(set_); }
    ItemData& Item(i32 i) { return set_.items[i]; }
    SkillData& Skill(i32 i) { return set_.skills[i]; }
    DatabaseSet set_;
};

// Role 7 wears nothing: base max HP 220, max MP 75. Role 3 wears two charms
// (max MP +30 each): base max HP 180, derived max MP 55 + 60 = 115.
constexpr int kBare = 7;
constexpr int kCharms = 3;
constexpr i32 kAny = INT32_MIN;

}  // namespace

TEST(StatusEffect, SetClearAndClearAll) {
    i32 s = 0;
    EXPECT_FALSE(ApplyStatusEffect(s, 1));
    EXPECT_TRUE(ApplyStatusEffect(s, 2));  // bit 0x1
    EXPECT_EQ(s, 0x1);
    EXPECT_FALSE(ApplyStatusEffect(s, 2));
    EXPECT_TRUE(ApplyStatusEffect(s, 16));  // bit 0x4000
    EXPECT_EQ(s, 0x4001);
    EXPECT_TRUE(ApplyStatusEffect(s, 31));  // clears 0x4000
    EXPECT_EQ(s, 0x1);
    EXPECT_FALSE(ApplyStatusEffect(s, 18));  // 0x2 is clear already
    EXPECT_TRUE(ApplyStatusEffect(s, 17));
    EXPECT_EQ(s, 0);
    s = 0x123;
    EXPECT_TRUE(ApplyStatusEffect(s, 1));
    EXPECT_EQ(s, 0);
    for (i32 other : {0, -1, 32, 1000}) EXPECT_FALSE(ApplyStatusEffect(s, other));
}

// One item on role 7 (max HP 220): the role's hp, mp and status before and
// after, and the owned count before and after; kAny is neither set nor checked.
TEST_F(ItemUse, SingleRoleItemsByTheirUseKindStatusAndBattle) {
    auto Check = [](i32 got, i32 want) {
        if (want != kAny) {
            EXPECT_EQ(got, want);
        }
    };
    const struct {
        const char* what;
        i32 item;
        bool battle;
        i32 hp, mp, status, owned;
        i32 wantHp, wantMp, wantStatus, wantOwned;
    } cases[] = {
        {"herb heals 50", sample::kHerb, false, 10, kAny, 0, 3, 60, kAny, 0, 2},
        {"herb stops at max HP", sample::kHerb, false, 200, kAny, 0, 2, 220, kAny, 0, 1},
        {"none owned", sample::kHerb, false, 10, kAny, 0x400, 0, 10, kAny, 0x400, 0},
        {"dying: a kept book is refused", sample::kMagicBook, false, kAny, 0, kStatusDying, 1, kAny,
         0, kStatusDying, 1},
        {"dying: a consumed herb is given back", sample::kHerb, false, 0, kAny, kStatusDying, 2, 0,
         kAny, kStatusDying, 2},
        // Status effect 31 still works: it clears 0x4000 and heals.
        {"dying: the revive drug", sample::kReviveDrug, false, 0, kAny, kStatusDying, 1, 100, kAny,
         0, 0},
        {"battle: count and status left to it", sample::kAntidote, true, kAny, kAny, 0x400, 1, kAny,
         kAny, 0x400, 1},
        {"battle: dying, neither taken nor given back", sample::kHerb, true, kAny, kAny,
         kStatusDying, 1, kAny, kAny, kStatusDying, 1},
        {"antidote", sample::kAntidote, false, kAny, kAny, 0x401, 1, kAny, kAny, 0x1, 0},
        {"panacea clears every state", sample::kPanacea, false, kAny, kAny, 0x2C05, 1, kAny, kAny,
         0, kAny},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Load();
        gRulesInBattle = c.battle;
        RoleStats& st = gRoleStats[kBare];
        if (c.hp != kAny) st.hp = c.hp;
        if (c.mp != kAny) st.mp = c.mp;
        st.status = c.status;
        gOwnedItems[c.item] = c.owned;
        UseItem(kBare, c.item);
        Check(st.hp, c.wantHp);
        Check(st.mp, c.wantMp);
        EXPECT_EQ(st.status, c.wantStatus);
        Check(gOwnedItems[c.item], c.wantOwned);
    }
    gRulesInBattle = 0;
}

TEST_F(ItemUse, UnknownItemsAndOtherUseKindsDoNothing) {
    Item(sample::kAntidote).useKind = 3;
    Load();
    gRoleStats[kBare].hp = 10;
    gRoleStats[kBare].status = 0x400;
    for (i32 item : {-1, 8, 1 << 30}) UseItem(kBare, item);
    gOwnedItems[sample::kAntidote] = 2;
    UseItem(kBare, sample::kAntidote);
    EXPECT_EQ(
        std::tuple(gRoleStats[kBare].hp, gRoleStats[kBare].status, gOwnedItems[sample::kAntidote]),
        std::tuple(10, 0x400, 2));
}

TEST_F(ItemUse, PartyItemIsTakenOnceAndPercentTermsFollowTheirBases) {
    Load();
    gParty[0] = kBare;
    gParty[1] = kCharms;
    gParty[2] = 0;
    gParty[3] = -1;
    gParty[4] = 1;  // after the end of the list: untouched
    gRoleStats[0].status = kStatusDying;
    gRoleStats[0].hp = 0;
    for (int r : {kBare, kCharms, 1}) {
        gRoleStats[r].hp = 10;
        gRoleStats[r].mp = 0;
    }
    gOwnedItems[sample::kBigPotion] = 2;
    UseItem(5, sample::kBigPotion);  // the role argument does not matter for the party
    EXPECT_EQ(gOwnedItems[sample::kBigPotion], 1);
    // HP: 50% of the base max HP; MP: 20% of the derived max MP.
    EXPECT_EQ(std::tuple(gRoleStats[kBare].hp, gRoleStats[kBare].mp, gRoleStats[kCharms].hp,
                         gRoleStats[kCharms].mp),
              std::tuple(10 + 110, 15, 10 + 90, 23));
    EXPECT_EQ(gRoleStats[0].hp, 0);  // dying: skipped
    EXPECT_EQ(gRoleStats[1].hp, 10);
}

TEST_F(ItemUse, PercentModeChangesBaseMaximaAndValues) {
    ItemData& it = Item(sample::kBigPotion);
    it.target = 1;
    it.hp = 0;
    it.mp = 0;
    it.maxHp = 10;      // base max HP += derived max HP x 10%
    it.maxMp = 50;      // base max MP += base max MP x 50%
    it.strength = -50;  // base strength += itself x -50%
    Load();
    gOwnedItems[sample::kBigPotion] = 1;
    UseItem(kCharms, sample::kBigPotion);
    EXPECT_EQ(std::tuple(gRoles[kCharms].maxHp, gRoles[kCharms].maxMp, gRoles[kCharms].strength,
                         gRoleStats[kCharms].maxHp, gRoleStats[kCharms].maxMp),
              std::tuple(180 + 18, 55 + 27, 13 - 6, 198, 82 + 60));
}

TEST_F(ItemUse, AddModeRaisesBaseValuesAndRecomputes) {
    ItemData& it = Item(sample::kMagicBook);
    it.maxHp = 25;
    it.strength = 2;
    it.attack = 3;
    it.evasion = 4;
    Load();
    gOwnedItems[sample::kMagicBook] = 1;
    UseItem(kBare, sample::kMagicBook);
    EXPECT_EQ(std::tuple(gOwnedItems[sample::kMagicBook], gRoles[kBare].maxHp,
                         gRoleStats[kBare].maxHp, gRoles[kBare].strength, gRoles[kBare].attack,
                         gRoles[kBare].evasion, gRoleStats[kBare].attack),
              std::tuple(1, 245, 245, 19, 37, 14, 37 + 37 + 19));
    EXPECT_EQ(gRoleStats[kBare].mp, 75);  // +20 stops at the max
}

TEST_F(ItemUse, OverwriteItemIsGivenBackWhenItsStatusChangesNothing) {
    Load();
    gOwnedItems[sample::kPowerFruit] = 3;
    UseItem(kBare, sample::kPowerFruit);
    EXPECT_EQ(std::tuple(gRoles[kBare].strength, gRoleStats[kBare].status,
                         gOwnedItems[sample::kPowerFruit]),
              std::tuple(30, 0x8, 2));
    gRoles[kBare].strength = 5;
    UseItem(kBare, sample::kPowerFruit);  // blessing is set already
    EXPECT_EQ(gRoles[kBare].strength, 30);
    EXPECT_EQ(gOwnedItems[sample::kPowerFruit], 2);
}

TEST_F(ItemUse, PartyOverwriteItemIsGivenBackAtMostOnce) {
    ItemData& it = Item(sample::kPowerFruit);
    it.target = 2;
    Load();
    for (int k = 0; k < 4; ++k) gParty[k] = k;
    for (int r = 0; r < 4; ++r) gRoleStats[r].status = 0x8;
    gOwnedItems[sample::kPowerFruit] = 5;
    UseItem(0, sample::kPowerFruit);
    EXPECT_EQ(gOwnedItems[sample::kPowerFruit], 5);
    // Kept overwrite items are never given back, since none was taken.
    Load();
    set_.items[sample::kPowerFruit].useKind = 2;
    LoadSetInMemory(set_);
    for (int k = 0; k < 4; ++k) gParty[k] = k;
    for (int r = 0; r < 4; ++r) gRoleStats[r].status = 0x8;
    gOwnedItems[sample::kPowerFruit] = 5;
    UseItem(0, sample::kPowerFruit);
    EXPECT_EQ(gOwnedItems[sample::kPowerFruit], 5);
    // ApplyItemToRole alone never changes a count.
    gOwnedItems[sample::kPowerFruit] = 1;
    ApplyItemToRole(0, gItems[sample::kPowerFruit]);
    EXPECT_EQ(gOwnedItems[sample::kPowerFruit], 1);
}

TEST_F(ItemUse, KeptPartyItemSetsHasteOnEveryMember) {
    Load();
    gParty[0] = 2;
    gParty[1] = 5;
    gOwnedItems[sample::kHasteBell] = 1;
    UseItem(0, sample::kHasteBell);
    EXPECT_EQ(std::tuple(gRoleStats[2].status, gRoleStats[5].status, gRoleStats[0].status,
                         gOwnedItems[sample::kHasteBell]),
              std::tuple(0x2, 0x2, 0, 1));
}

TEST_F(ItemUse, SkillsSpendMpAndHealOnlyTheirTargetKind) {
    Load();
    gRoleStats[1].mp = 50;
    gRoleStats[kBare].hp = 20;
    UseSkill(gRoleStats[1], gSkills[sample::kHeal], gRoleStats[kBare]);
    EXPECT_EQ(gRoleStats[1].mp, 40);
    EXPECT_EQ(gRoleStats[kBare].hp, 100);
    UseSkill(gRoleStats[1], gSkills[sample::kHeal], gRoleStats[kBare]);
    EXPECT_EQ(gRoleStats[kBare].hp, 180);
    UseSkill(gRoleStats[1], gSkills[sample::kHeal], gRoleStats[kBare]);
    EXPECT_EQ(gRoleStats[kBare].hp, 220);
    EXPECT_EQ(gRoleStats[1].mp, 20);
    // Another target kind still costs its MP, with no check that there is enough.
    gRoleStats[1].mp = 5;
    UseSkill(gRoleStats[1], gSkills[sample::kFireball], gRoleStats[kBare]);
    EXPECT_EQ(gRoleStats[1].mp, -7);
    EXPECT_EQ(gRoleStats[kBare].hp, 220);
}

TEST_F(ItemUse, SkillOnADyingTargetCostsNothingUnlessItRevives) {
    Load();
    gRoleStats[1].mp = 60;
    gRoleStats[kBare].status = kStatusDying;
    gRoleStats[kBare].hp = 0;
    UseSkill(gRoleStats[1], gSkills[sample::kHeal], gRoleStats[kBare]);
    EXPECT_EQ(gRoleStats[1].mp, 60);
    EXPECT_EQ(gRoleStats[kBare].hp, 0);
    // Revive: percent mode with status effect 31 clears the word first, then 50% of 220.
    gRoleStats[kBare].status = kStatusDying | 0x400;
    UseSkill(gRoleStats[1], gSkills[sample::kRevive], gRoleStats[kBare]);
    EXPECT_EQ(std::tuple(gRoleStats[1].mp, gRoleStats[kBare].status, gRoleStats[kBare].hp),
              std::tuple(20, 0, 110));
}

TEST_F(ItemUse, GroupSkillReachesThePartyByDerivedMaxHp) {
    Load();
    gParty[0] = kBare;
    gParty[1] = 0;
    gParty[2] = -1;
    gRoleStats[kBare].hp = 1;
    gRoleStats[0].hp = 1;
    gRoleStats[kCharms].mp = 100;
    UseSkill(gRoleStats[kCharms], gSkills[sample::kGroupHeal], gRoleStats[kBare]);
    EXPECT_EQ(gRoleStats[kCharms].mp, 75);
    EXPECT_EQ(gRoleStats[kBare].hp, 1 + 66);  // 30% of 220
    // Role 0 wears mail (+10% of base 150): derived max HP 165, 30% = 49.
    EXPECT_EQ(gRoleStats[0].maxHp, 165);
    EXPECT_EQ(gRoleStats[0].hp, 1 + 49);
}

TEST_F(ItemUse, OverwriteSkillOnTheCasterAndItsStatusOutsideBattleOnly) {
    Load();
    gRoleStats[4].mp = 40;
    UseSkill(gRoleStats[4], gSkills[sample::kEmpower], gRoleStats[kBare]);
    EXPECT_EQ(
        std::tuple(gRoleStats[4].mp, gRoles[4].attack, gRoleStats[4].status, gRoles[kBare].attack),
        std::tuple(25, 200, 0x8, 34));
    gRulesInBattle = 1;
    gRoles[5].attack = 1;
    gRoleStats[5].mp = 40;
    UseSkill(gRoleStats[5], gSkills[sample::kEmpower], gRoleStats[5]);
    EXPECT_EQ(std::tuple(gRoles[5].attack, gRoleStats[5].status, gRoleStats[5].attack),
              std::tuple(200, 0, 200 + 200 + 15));
}

TEST_F(ItemUse, AddSkillSkipsADyingTargetOrAStrangerButItsReviveStatusApplies) {
    Skill(sample::kHeal).statusEffect = 31;
    Load();
    gRoleStats[kBare].status = kStatusDying;
    gRoleStats[kBare].hp = 0;
    ApplySkillToRole(gSkills[sample::kHeal], gRoleStats[kBare]);
    EXPECT_EQ(gRoleStats[kBare].hp, 0);
    EXPECT_EQ(gRoleStats[kBare].status, 0);
    // A record that names no role is left alone.
    RoleStats stranger = gRoleStats[kBare];
    stranger.index = 9;
    stranger.hp = 3;
    ApplySkillToRole(gSkills[sample::kHeal], stranger);
    EXPECT_EQ(stranger.hp, 3);
}
