// Item and skill use on the sample databases, against values worked out by hand.
#include <tuple>

#include "data/DataTestSupport.h"
#include "data/ItemUse.h"

namespace {

using namespace sample;

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
        {"herb heals 50", kHerb, false, 10, kAny, 0, 3, 60, kAny, 0, 2},
        {"herb stops at max HP", kHerb, false, 200, kAny, 0, 2, 220, kAny, 0, 1},
        {"none owned", kHerb, false, 10, kAny, 0x400, 0, 10, kAny, 0x400, 0},
        {"dying: a kept book is refused", kMagicBook, false, kAny, 0, kDying, 1, kAny, 0, kDying,
         1},
        {"dying: a consumed herb is given back", kHerb, false, 0, kAny, kDying, 2, 0, kAny, kDying,
         2},
        // Status effect 31 still works: it clears 0x4000 and heals.
        {"dying: the revive drug", kReviveDrug, false, 0, kAny, kDying, 1, 100, kAny, 0, 0},
        {"battle: count and status left to it", kAntidote, true, kAny, kAny, 0x400, 1, kAny, kAny,
         0x400, 1},
        {"battle: dying, neither taken nor given back", kHerb, true, kAny, kAny, kDying, 1, kAny,
         kAny, kDying, 1},
        {"antidote", kAntidote, false, kAny, kAny, 0x401, 1, kAny, kAny, 0x1, 0},
        {"panacea clears every state", kPanacea, false, kAny, kAny, 0x2C05, 1, kAny, kAny, 0, kAny},
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
        Check(st.hp, c.wantHp);
        Check(st.mp, c.wantMp);
        EXPECT_EQ(st.status, c.wantStatus);
        Check(gOwnedItems[c.item], c.wantOwned);
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
