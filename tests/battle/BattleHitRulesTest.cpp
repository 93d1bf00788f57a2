// The hit rules with the random draws scripted: damage, criticals, defence
// rows and attack changes, counters, on-hit codes, skills and items, theft,
// capture and flight, against hand-worked numbers; the defeat bookkeeping.
#include "support/BattleFixtures.h"

namespace {

u32 Var(int v) {
    return static_cast<u32>(v + 13);
}

std::pair<i32, i32> HpMp(const Loss& l) {
    return {l.hp, l.mp};
}

class HitRules : public FightTest {};

TEST_F(HitRules, PhysicalDamageByVariationCriticalDefenceRowsAndAttackChanges) {
    auto [a, t] = Two(100, 0, 0);
    struct Case {
        i32 attack;
        bool critical;
        std::vector<u32> draws;  // the variation, then the critical factor or the weak blow's
        i32 want;                // worked out by hand
        i32 defending = 0;
        u32 targetStatus = 0, attackerStatus = 0;
        i32 powerUp = 0, attackerRow = 1, attackKind = 1, targetRow = 1;
    } cases[] = {
        {100, false, {Var(0)}, 64},       // 100 x (100 - 36) / 100
        {100, false, {Var(13)}, 72},      // 113 x 64 / 100 = 72.3
        {100, false, {Var(-13)}, 55},     // 87 x 64 / 100 = 55.7
        {100, true, {Var(0), 0}, 92},     // 64 x 145 / 100
        {100, true, {Var(0), 40}, 118},   // 64 x 185 / 100
        {100, false, {Var(0)}, 12, 1},    // a fifth
        {100, true, {Var(0), 0}, 41, 1},  // 64 x 65 / 100
        {100, false, {Var(0)}, 32, 0, kStStarShield},
        {10, false, {Var(0), 0}, 2},  // weak blows do two or three
        {10, false, {Var(0), 1}, 3},
        {10, true, {Var(0), 10, 1}, 6},
        // With a variation of 5: 105 x (a - d x 73 / 100) / 100 for a and d worked from the rule.
        {100, false, {Var(5)}, 30, 0, 0, 0, 0, 2},  // back-row close attacker: x 656 / 1000: 65, 50
        {100, false, {Var(5)}, 67, 0, 0, 0, 0, 2, 2},       // a ranged one is not cut: 100, 50
        {100, false, {Var(5)}, 24, 0, 0, 0, 0, 1, 1, 2},    // back-row target: x 591 / 1000: 59, 50
        {100, false, {Var(5)}, 80, 0, 0, kStBlessing},      // blessing raises both: 120, 60
        {100, false, {Var(5)}, 53, 0, 0, kStWeakness},      // weakness lowers both: 80, 40
        {100, false, {Var(5)}, 119, 0, 0, 0, 1},            // power-up: 150, 50
        {100, false, {Var(5)}, 133, 0, 0, kStBlessing, 1},  // shares of the original: 170, 60
        {100, false, {Var(5)}, 119, 0, 0, kStBlessing | kStWeakness, 1},
    };
    for (const Case& c : cases) {
        a.attack = c.attack;
        a.status = c.attackerStatus;
        a.powerUp = c.powerUp;
        a.row = c.attackerRow;
        a.attackKind = c.attackKind;
        t.row = c.targetRow;
        t.defending = c.defending;
        t.status = c.targetStatus;
        ScriptedDraws::values.assign(c.draws.begin(), c.draws.end());
        EXPECT_EQ(PhysicalDamage(t, a, c.critical, false), c.want) << c.want;
        EXPECT_TRUE(ScriptUsed()) << c.want;
    }
}

TEST_F(HitRules, CountersHalveAndOnHitCodesLandOnOneInFive) {
    auto [a, t] = Two(100, 0, 0);
    EXPECT_EQ(With({Var(0)}, [&] { return CounterDamage(t, a); }), 32);
    a.attack = 10;
    EXPECT_EQ(With({Var(0), 0}, [&] { return CounterDamage(t, a); }), 1);  // 2 halved

    // On-hit codes land on one draw in five.
    a.attack = 100;
    a.hitCodes[0] = 13;  // paralysis
    a.hitCodes[1] = 15;  // HP 0
    a.hitCodes[2] = 11;  // poison
    Script({1, 0, 1, 0, 0, 0, Var(0)});
    PhysicalDamage(t, a, false, true);
    EXPECT_EQ(std::tuple(t.status, t.hp, Asked()[0], ScriptUsed()),
              std::tuple(kStParalysis | kStPoison, 100, 5u, true));
}

TEST_F(HitRules, AirRaidThrowAndPoison) {
    auto [a, t] = Two(100, 0, 0);
    Record(0).agility = 20;
    Record(1).agility = 10;
    EXPECT_EQ(With({Var(0)}, [&] { return AirRaidDamage(t, a); }),
              120);  // (120 x 133 / 100) - (60 x 66 / 100) = 159 - 39
    t.defence = 1000;
    EXPECT_EQ(With({Var(0)}, [&] { return AirRaidDamage(t, a); }), 1);

    Record(0).strength = 30;
    EquipageData piece{};
    piece.throwValue = 50;
    // Strength 30 + 50, halved when defending, again under a star shield; at least 1.
    const struct {
        i32 defending;
        u32 status;
        i32 throwValue, want;
    } throws[] = {
        {0, 0, 50, 80}, {1, 0, 50, 40}, {1, kStStarShield, 50, 20}, {1, kStStarShield, -30, 1}};
    for (const auto& c : throws) {
        t.defending = c.defending;
        t.status = c.status;
        piece.throwValue = c.throwValue;
        EXPECT_EQ(ThrowDamage(t, a, &piece), c.want);
    }

    MonsterData& m = Record(2);
    cFighter& p = Fighter(2);
    m.strength = m.stamina = m.magic = m.spirit = m.agility = 10;
    p.maxHp = 500;
    EXPECT_EQ(With({Var(0)}, [&] { return PoisonDamage(p); }), 60);  // (30 x 500) / 250
    Script({Var(-8), Var(7)});       // a negative variation is drawn again
    EXPECT_EQ(PoisonDamage(p), 64);  // (30 x 500 x 107 / 100) / 250 = 64.2
    m.ratios[kPoison] = 50;
    EXPECT_EQ(With({Var(0)}, [&] { return PoisonDamage(p); }), 30);
    m.kind = 1;
    EXPECT_EQ(With({Var(0)}, [&] { return PoisonTurnDamage(p); }), 15);
    m.strength = m.stamina = m.magic = m.spirit = m.agility = 0;
    EXPECT_EQ(With({Var(0)}, [&] { return PoisonDamage(p); }), 0);  // an all-zero attribute sum
}

TEST_F(HitRules, MagicSummonAndPhysicalSkills) {
    auto [x, t] = Two();
    Record(0).magic = 50;
    Record(0).strength = 40;
    Record(1).stamina = 20;
    Record(1).ratios[kFire] = 150;
    gGodForms[3].attack = 200;
    x.attack = 100;
    struct Case {
        i32 category, element, defending;
        u32 status;
        i32 spirit, formIndex, power, casterRow, want;
    } cases[] = {
        // Magic: (50 - 30 + 100) x 50 x 100 = 600000 / 5000 = 120.
        {1, 1, 0, 0, 30, 0, 100, 1, 180},             // x 150 % against fire
        {1, 1, 1, 0, 30, 0, 100, 1, 450},             // / 2000 = 300: two and a half times
        {1, 0, 0, 0, 30, 0, 100, 1, 120},             // no element
        {1, 9, 0, 0, 30, 0, 100, 1, 120},             // an element past the ratios
        {1, 0, 0, kStMoonShield, 30, 0, 100, 1, 60},  // halved
        {1, 0, 0, 0, 500, 0, 100, 1, 0},              // strong spirit blocks, never heals
        {2, 0, 0, 0, 30, 3, 100, 1, 400},             // summon: 600000 x 200 / 300000
        {2, 0, 1, 0, 30, 3, 100, 1, 1200},            // / 100000
        {2, 0, 0, 0, 30, 20, 100, 1, 0},              // no such form
        {0, 0, 0, 0, 30, 0, 150, 1, 180},             // strike: 120 x 15000 / 10000
        {0, 0, 1, 0, 30, 0, 150, 1, 60},              // defending
        {0, 0, 0, kStStarShield, 30, 0, 150, 1, 90},  // star shield
        {0, 0, 0, 0, 30, 0, 150, 2, 118},             // back row: x = 9840
    };
    for (const Case& c : cases) {
        const SkillData sk{.category = c.category,
                           .effectMode = 1,
                           .power = c.power,
                           .element = c.element,
                           .formIndex = c.formIndex};
        t.defending = c.defending;
        t.status = c.status;
        Record(1).spirit = c.spirit;
        x.row = c.casterRow;
        // A back-row strike is cut alike for a close and a ranged caster.
        for (i32 kind : {1, 2}) {
            x.attackKind = kind;
            EXPECT_EQ(ApplySkill(t, x, sk).hp, c.want) << c.category << " " << c.want;
        }
    }
}

TEST_F(HitRules, FixedAndPercentAmountsOfSkillsAndItems) {
    auto [x, t] = Two();
    t.maxHp = 200;
    t.hp = 150;
    t.maxMp = 80;
    t.mp = 40;
    SkillData sk{.effectMode = 1, .hp = 80, .mp = -10};
    EXPECT_EQ(HpMp(ApplySkill(t, x, sk)), std::pair(-80, 10));
    sk = {.effectMode = 2, .hp = 30, .mp = -50};
    // 30 % of max HP restored, 50 % of the current MP taken.
    EXPECT_EQ(HpMp(ApplySkill(t, x, sk)), std::pair(-60, 20));
    sk.hp = -30;
    EXPECT_EQ(ApplySkill(t, x, sk).hp, 45);
    t.status = kStMoonShield;
    EXPECT_EQ(ApplySkill(t, x, sk).hp, 22);
    t.status = 0;

    ItemData it{.effectMode = 1, .hp = 50, .mp = 20};
    EXPECT_EQ(HpMp(ApplyItem(t, it)), std::pair(-50, -20));
    it = {.effectMode = 2, .hp = 30, .statusEffect = 12};
    EXPECT_EQ(HpMp(ApplyItem(t, it)), std::pair(-60, 0));
    sk.special = 7;
    ApplySkill(t, x, sk);
    EXPECT_EQ(std::tuple(t.IsPoisoned(), t.powerUp), std::tuple(true, 1));
}

TEST_F(HitRules, SkillSpecials) {
    auto [x, t] = Two();
    SkillData sk{};
    i32 reflected = 0;
    Loss l{};
    // Special code s applied to a blow of this loss.
    auto apply = [&](i32 special, Loss loss) {
        sk.special = special;
        l = loss;
        ApplySkillSpecial(x, t, sk, l, reflected);
    };
    Record(1).kind = 1;
    apply(2, {101, 0});
    EXPECT_EQ(std::tuple(x.hp, l.hp), std::tuple(0, 50));
    Record(1).kind = 0;
    apply(4, {101, 0});
    EXPECT_EQ(l.hp, 101);  // an ordinary monster takes it whole
    x.hp = 30;
    apply(5, {101, 0});
    EXPECT_EQ(x.hp, 100);  // 30 + 101, up to max
    x.mp = 10;
    apply(6, {0, 15});
    EXPECT_EQ(std::tuple(x.mp, reflected), std::tuple(25, 0));

    t.status = kStSunShield;
    t.sunCount = 3;
    apply(8, {101, 0});
    EXPECT_EQ(std::tuple(l.hp, t.sunCount), std::tuple(101, 3));
    apply(0, {101, 0});
    // Reflected: half of 101, before the halving.
    EXPECT_EQ(std::tuple(l.hp, reflected, t.sunCount), std::tuple(50, 50, 2));
    apply(0, {-81, 0});
    EXPECT_EQ(std::tuple(reflected, LoggedBattleLines().back()),
              std::tuple(90, Line("太陽之盾反彈部份的魔法...!")));
}

TEST_F(HitRules, CriticalBandsUseTheAttackersHp) {
    cFighter& a = Fighter(0);
    struct Band {
        i32 hp, maxHp;
        u32 n;
    } bands[] = {{51, 100, 15}, {50, 100, 7}, {21, 100, 7}, {20, 100, 3}, {0, 0, 3}, {5, 0, 15}};
    for (const Band& b : bands) {
        a.hp = b.hp;
        a.maxHp = b.maxHp;
        EXPECT_TRUE(With({1}, [&] { return RollCritical(a); }));
        EXPECT_EQ(Asked(), std::vector<u32>{b.n}) << b.hp << "/" << b.maxHp;
        EXPECT_FALSE(With({2}, [&] { return RollCritical(a); }));
    }
}

TEST_F(HitRules, PhysicalRollsUseLessThanAndGrowByTen) {
    auto [a, t] = Two();
    auto evade = [&](u32 draw) { return With({draw}, [&] { return RollEvade(t, a); }); };
    EXPECT_TRUE(evade(29));
    EXPECT_EQ((std::tuple{evade(30), t.evasionRate}), (std::tuple{false, 40}));
    // Back to the record.
    EXPECT_EQ((std::tuple{evade(29), t.evasionRate}), (std::tuple{true, 30}));
    a.status = kStBlindness;
    EXPECT_TRUE(evade(59));  // a blind attacker is evaded twice as often
    a.status = 0;
    t.status = kStBlindness;
    EXPECT_FALSE(evade(15));
    t.status = kStSleep;
    EXPECT_EQ((std::tuple{With({}, [&] { return RollEvade(t, a); }), Asked().empty()}),
              (std::tuple{false, true}));

    // Each roll with the rate after it: a miss adds 10, a hit goes back to the
    // record, blindness halves the rate rolled against (50 is not below 40), the
    // growth stops at 100.
    Script({80, 90, 99, 50, 39, 99});
    const struct {
        u32 status;
        i32 rateBefore;
        bool hit;
        i32 rateAfter;
    } hits[] = {{0, 80, false, 90},           {0, 90, false, 100},
                {0, 100, true, 80},           {kStBlindness, 80, false, 90},
                {kStBlindness, 80, true, 80}, {0, 95, false, 100}};
    for (const auto& c : hits) {
        a.status = c.status;
        a.hitRate = c.rateBefore;
        EXPECT_EQ((std::tuple{RollPhysicalHit(a), a.hitRate}), (std::tuple{c.hit, c.rateAfter}))
            << c.rateBefore;
    }
}

TEST_F(HitRules, MagicAndItemRollsUseAtMost) {
    auto [x, t] = Two();
    Record(0).magic = 20;
    Record(1).spirit = 30;
    t.magicEvasionRate = 10;
    SkillData sk{};
    auto magicHit = [&](u32 draw) { return With({draw}, [&] { return RollMagicHit(t, x, sk); }); };
    // q = 30 - 20 + 10.
    EXPECT_EQ((std::tuple{magicHit(20), t.magicEvasionRate}), (std::tuple{false, 30}));
    t.magicEvasionRate = 10;
    EXPECT_EQ((std::tuple{magicHit(21), t.magicEvasionRate}), (std::tuple{true, 20}));
    sk.statusEffect = 2;
    t.magicEvasionRate = 10;
    EXPECT_FALSE(magicHit(80));  // + 60
    t.magicEvasionRate = 10;
    t.status = kStBlindness;
    EXPECT_TRUE(magicHit(41));  // 80 halved
    t.status = 0;

    sk.special = 8;
    std::ranges::copy(std::array{69, 70}, gShuffleTable.entries + 1);
    EXPECT_EQ(
        (std::tuple{With({}, [&] { return RollMagicHit(t, x, sk); }), RollMagicHit(t, x, sk)}),
        (std::tuple{false, true}));

    ItemData it{.statusEffect = 2};
    t.magicEvasionRate = 10;
    EXPECT_FALSE(With({60}, [&] { return RollItemHit(t, x, it); }));  // q = 20 + 40
    for (u32 st : {kStConfusion, kStSleep}) {
        t.status = st;
        EXPECT_TRUE(RollItemHit(t, x, it)) << st;
    }
}

TEST_F(HitRules, CounterTheftCaptureFlee) {
    auto [d, a] = Two();
    Record(0).agility = 50;
    Record(1).agility = 100;
    d.hp = 40;  // q = 50 + 60 x 10 / 100 = 56
    EXPECT_TRUE(With({1, 55}, [&] { return RollCounter(d, &a); }));
    EXPECT_FALSE(With({1, 56}, [&] { return RollCounter(d, &a); }));
    EXPECT_FALSE(With({0}, [&] { return RollCounter(d, &a); }));
    d.attackKind = 2;
    EXPECT_EQ((std::tuple{RollCounter(d, nullptr), RollCounter(d, &a)}),
              (std::tuple{false, false}));
    d.attackKind = 1;
    Record(1).agility = 0;
    d.maxHp = 0;
    EXPECT_TRUE(With(
        {1, 99}, [&] { return RollCounter(d, &a); }));  // q = 5000 - 400: divisors of 0 count as 1

    cFighter& t = Fighter(2);
    t.theftRate = 40;
    // A miss adds 15 (up to 100), a theft empties the rate: nothing left to steal.
    Script({40, 54});
    EXPECT_EQ((std::vector<i32>{RollTheft(t, a), t.theftRate, RollTheft(t, a), t.theftRate,
                                RollTheft(t, a)}),
              (std::vector<i32>{-1, 55, 1, 0, 0}));
    t.theftRate = 90;
    EXPECT_EQ((std::tuple{With({95}, [&] { return RollTheft(t, a); }), t.theftRate}),
              (std::tuple{-1, 100}));
    for (u32 st : {kStSleep, kStParalysis}) {  // a sleeping or paralysed target is robbed
        t.theftRate = 10;
        t.status = st;
        EXPECT_EQ(With({99}, [&] { return RollTheft(t, a); }), 1) << st;
    }

    cFighter& c = Fighter(3);
    Record(3).captureRate = 60;
    c.hp = 25;  // (75 x 60 x 133 / 100) / 100 = 59
    EXPECT_EQ(CaptureChance(c), 59);
    std::ranges::copy(std::array{59, 68, 58}, gShuffleTable.entries + 1);
    // The second roll: 68 < 10 + 59.
    EXPECT_EQ((std::vector<i32>{RollCapture(c, a), c.captureCounter, RollCapture(c, a),
                                c.captureCounter}),
              (std::vector<i32>{false, 10, true, 0}));
    a.status = kStBlindness;
    EXPECT_FALSE(RollCapture(c, a));  // 58 is not below 29

    cFighter& f = Fighter(4);
    Record(4).agility = 30;
    f.fleeRate = 20;
    gEnemySide.count = 1;
    gEnemySide.fighters[0] = Fighter(5);
    Record(5).agility = 20;
    EXPECT_TRUE(RollFlee(f, gEnemySide));
    Record(5).agility = 40;
    Script({21, 50});
    EXPECT_EQ((std::vector<i32>{RollFlee(f, gEnemySide), f.fleeRate, RollFlee(f, gEnemySide)}),
              (std::vector<i32>{false, 50, true}));
}

TEST_F(HitRules, LossesStayInRangeAndShowTheirNumbers) {
    cFighter& t = Fighter(0);
    t.hp = 50;
    ApplyLosses(t, {70, -80});
    EXPECT_EQ((std::vector<i32>{t.hp, t.mp, t.lastHpDamage, t.lastMpDamage}),
              (std::vector<i32>{0, 50, 70, -80}));
    ApplyLosses(t, {-300, 0});
    EXPECT_EQ(Floats(), (std::vector<std::pair<std::string, FloatKind>>{
                            {"-70", kFloatHp}, {"+80", kFloatMp}, {"+300", kFloatHp}}));
    const i32 healed = t.hp;
    ApplyLosses(t, {INT_MIN, INT_MAX});
    EXPECT_EQ(std::tuple(healed, t.hp, t.mp), std::tuple(100, 100, 0));
}

TEST_F(HitRules, DefeatBookkeepingDropsGoldAndExperience) {
    cFighter& p = Fighter(0);
    p.kind = kKindParty;
    Record(0).level = 5;
    gPartySide.count = 1;
    gPartySide.fighters[0] = p;
    gPartySide.averageLevel = 5;
    gEnemySide.averageLevel = 3;
    for (i32& d : gEnemySide.drops) d = -1;
    gEnemySide.drops[0] = 4;
    gItems = Table<ItemData>(10, &gItemCount);

    cFighter& e = Fighter(1);
    MonsterData& m = Record(1);
    m.level = 7;
    m.expValue = 20;
    m.gold = 33;
    m.dropItem = 6;
    m.dropChance = 30;  // q = 30 + 2 x (5 - 3) = 34
    Script({34});
    GiveEnemyRewards(e, 1);
    // Experience 20 + (7 - 5).
    EXPECT_EQ((std::vector<i32>{gEnemySide.drops[1], gEnemySide.goldTotal, gEnemySide.expTotal}),
              (std::vector<i32>{6, 33, 22}));
    Script({35});
    GiveEnemyRewards(e, 1);
    GiveEnemyRewards(e, 2);
    EXPECT_EQ(std::tuple(gEnemySide.drops[2], gEnemySide.expTotal, gEnemySide.goldTotal),
              std::tuple(-1, 22 + 22 + 11, 66));
    // Nothing for how 0; at least 1 for the rest.
    GiveEnemyRewards(e, 0);
    m.expValue = 0;
    m.level = 1;
    GiveEnemyRewards(e, 2);
    EXPECT_EQ(gEnemySide.expTotal, 55 + 1);
    m.dropItem = 10;  // past the item table: no drop, no draw
    Script({});
    GiveEnemyRewards(e, 1);
    EXPECT_TRUE(Asked().empty());
}

TEST_F(HitRules, OwnedCountsStayWithinNinetyNine) {
    gItems = Table<ItemData>(3, &gItemCount);
    gOwnedItems = Table<i32>(3);
    gMonsters = Table<MonsterData>(2, &gMonsterCount);
    gOwnedMonsters = Table<i32>(2);
    gOwnedItems[1] = 98;
    std::ranges::copy(std::array{500, -5}, gOwnedMonsters);
    EXPECT_EQ((std::vector<bool>{GainStolenItem(1), GainStolenItem(1), GainStolenItem(-1),
                                 GainStolenItem(3), GainCapturedMonster(1), GainCapturedMonster(0),
                                 GainCapturedMonster(2)}),
              (std::vector<bool>{true, true, false, false, true, true, false}));
    EXPECT_EQ(std::tuple(gOwnedItems[1], gOwnedMonsters[1], gOwnedMonsters[0]),
              std::tuple(99, 1, 99));
}

TEST_F(HitRules, TheLastFrontFighterPullsTheOthersForward) {
    cBattleSide& s = gEnemySide;
    s.count = 3;
    const i32 rows[3] = {1, 2, 2};
    for (int i = 0; i < 3; ++i) {
        s.fighters[i] = Fighter(i);
        s.fighters[i].row = rows[i];
    }
    s.frontCount = 1;
    s.memberCount = 3;
    s.fighters[2].status = s.fighters[0].status = kStDying;
    LeaveFight(s.fighters[0], s);
    EXPECT_EQ((std::vector<i32>{s.fighters[0].row, s.fighters[1].row, s.fighters[2].row,
                                s.frontCount, s.memberCount}),
              (std::vector<i32>{0, 1, 2, 1, 2}));
}

TEST_F(HitRules, HugeRecordValuesStayInRange) {
    auto [a, t] = Two(INT_MAX, 0, 0, INT_MIN);
    MonsterData& ma = Record(0);
    MonsterData& mt = Record(1);
    ma.strength = ma.stamina = ma.magic = ma.spirit = ma.agility = INT_MAX;
    mt.strength = mt.stamina = mt.magic = mt.spirit = mt.agility = INT_MIN;
    mt.captureRate = INT_MAX;
    a.status = kStBlessing;
    a.powerUp = 1;
    a.row = 2;
    a.maxHp = t.maxHp = INT_MAX;
    t.hp = INT_MIN;
    SetBattleRandomSource(nullptr);
    for (int k = 0; k < 8; ++k) {
        EXPECT_GE(PhysicalDamage(t, a, k % 2, false), 1);
        EXPECT_GE(AirRaidDamage(t, a), 1);
        EXPECT_GE(ThrowDamage(t, a, nullptr), 1);
        PoisonDamage(a);
        CaptureChance(t);
        RollCounter(t, &a);
        const SkillData sk{.category = k % 3,
                           .effectMode = 1 + k % 2,
                           .hp = INT_MIN,
                           .mp = INT_MIN,
                           .power = INT_MAX};
        gGodForms[0].attack = INT_MAX;
        ApplyLosses(t, ApplySkill(t, a, sk));
        EXPECT_TRUE(0 <= t.hp && t.hp <= t.maxHp) << t.hp;
    }
    // The numbers over a fighter at the ends of the field's range stay at those ends.
    for (FloatKind kind : {kFloatHp, kFloatMp, kFloatMiss, kFloatHpRegen, kFloatMpRegen}) {
        const FloatLook low = GetFloatLook(kind, INT_MIN, INT_MIN, INT_MAX);
        const FloatLook high = GetFloatLook(kind, INT_MAX, INT_MAX, INT_MIN);
        EXPECT_EQ(std::tuple(low.x <= INT_MIN + 10, low.y, high.x >= INT_MAX - 10, high.y),
                  std::tuple(true, INT_MIN, true, INT_MAX))
            << kind;
    }
    cFloatText* number = SpawnFloatText(nullptr, "-1", 0, 0, 0, INT_MIN, 0, -64, 1);
    ASSERT_NE(number, nullptr);
    EXPECT_EQ(number->move.targetY, INT_MIN);  // the rise stops at the top of the range
    number->Reset();
}

}  // namespace
