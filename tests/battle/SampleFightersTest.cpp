// The sample game's battle records cover what the rules tell apart, and load
// into sides that fight.
#include "mhdata/SampleFighters.h"

#include <set>

#include "FightTestSupport.h"
#include "battle/HitRules.h"
#include "data/GameDatabase.h"

namespace {

class SampleFighters : public FightTest {};

TEST_F(SampleFighters, RecordsCoverEveryBattleCase) {
    const DatabaseSet set = MakeSampleDatabases();
    std::set<i32> categories, specials, elements, targets, itemTargets, kinds;
    for (const SkillData& s : set.skills) {
        if (s.id == 0) continue;
        categories.insert(s.category);
        specials.insert(s.special);
        elements.insert(s.element);
        targets.insert(s.target);
    }
    for (i32 c : {0, 1, 2}) EXPECT_TRUE(categories.count(c)) << c;
    for (i32 s = 2; s <= 8; ++s) EXPECT_TRUE(specials.count(s)) << s;
    for (i32 e = 1; e <= 8; ++e) EXPECT_TRUE(elements.count(e)) << e;
    for (i32 t = 1; t <= 5; ++t) EXPECT_TRUE(targets.count(t)) << t;
    bool casts = false, actZero = false;
    for (const ItemData& it : set.items) {
        itemTargets.insert(it.target);
        casts |= it.castSkill > 0 && it.castSkill < static_cast<i32>(set.skills.size());
        actZero |= it.effectAct == 0;
    }
    for (i32 t = 1; t <= 5; ++t) EXPECT_TRUE(itemTargets.count(t)) << t;
    EXPECT_TRUE(casts && actZero);
    ASSERT_GT(set.monsters.size(), 222u);
    bool theft = false, noTheft = false, drop = false, form = false;
    for (size_t i = 0; i < set.monsters.size(); ++i) {
        const MonsterData& m = set.monsters[i];
        EXPECT_EQ(m.index, static_cast<i32>(i));
        kinds.insert(m.kind);
        theft |= m.theftItem >= 0 && m.theftChance > 0;
        noTheft |= m.theftItem == -1;
        drop |= m.dropItem >= 0 && m.dropChance > 0;
        form |= m.kind == 1 && m.offerValue > 0 && m.actionCost > 0;
    }
    EXPECT_TRUE(kinds.count(0) && kinds.count(1) && theft && noTheft && drop && form);
    std::set<i32> equipSpecials;
    for (const EquipageData& e : set.equipages) equipSpecials.insert(e.special.kind);
    for (i32 k = 1; k <= 6; ++k) EXPECT_TRUE(equipSpecials.count(k)) << k;
}

TEST_F(SampleFighters, TheThiefCanBeRobbedAndTheBossStandsFirst) {
    const DatabaseSet set = MakeSampleDatabases();
    for (DatabaseFile f : {kMonsterDataFile, kItemDataFile, kSkillDataFile}) {
        const std::vector<u8> bytes = DatabaseFileBytes(set, f);
        ASSERT_TRUE(LoadDatabaseBytes(f, bytes.data(), bytes.size(), "sample"));
    }
    const EnemySpot spots[kSetupPositions] = {
        {sample::kThief, 0, 200, 0, 200},       {sample::kBoss, 1, 300, 0, 300},
        {kNoMonster, 0, 0, 0, 0},               {kNoMonster, 0, 0, 0, 0},
        {kNoMonster, 0, 0, 0, 0},               {kNoMonster, 0, 0, 0, 0},
    };
    SetBattleRandomSource(nullptr);
    gEnemySide.SetupEnemies(spots);
    ASSERT_EQ(gEnemySide.count, 2);
    cFighter& boss = gEnemySide.fighters[0];
    cFighter& thief = gEnemySide.fighters[1];
    EXPECT_EQ(boss.pic, 222);
    EXPECT_EQ(boss.specialSkill, sample::kPoisonMist);
    EXPECT_EQ(thief.hpRegen, 5);
    EXPECT_EQ(thief.theftRate, 40);
    EXPECT_EQ(thief.stats.TheftItem(), sample::kHerb);
    thief.status = kStSleep;
    EXPECT_EQ(RollTheft(thief, boss), 1);
    EXPECT_EQ(RollTheft(thief, boss), 0);
}

}  // namespace
