// The rules of a fight over hand-built fighters with the random draws
// scripted: hit and damage against hand-worked numbers and an independent
// write-up of each formula; status conditions (every start against every bit
// already set, the counters, cure, revive, the effect and on-hit codes, the
// per-turn tick) and the turn gauge; setting up the two sides and their
// queries; the battle end (the victory's pay, level-ups, the banner's and the
// defeat wait's timing, bad values from a save or a record); the controller
// and the action pickers, and whole auto battles replayed tick for tick.
#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "battle/Battle.h"
#include "battle/BattleController.h"
#include "battle/BattleEnd.h"
#include "battle/BattleKeys.h"
#include "battle/BattleLog.h"
#include "battle/BattleLogSink.h"
#include "battle/BattleRandom.h"
#include "battle/BattleSide.h"
#include "battle/BattleSprite.h"
#include "battle/BattleSpriteSink.h"
#include "battle/Fighter.h"
#include "battle/HitRules.h"
#include "data/Config.h"
#include "data/GameData.h"
#include "data/GameDatabase.h"
#include "data/GameFlags.h"
#include "data/KeyBindings.h"
#include "engine/PicPaint.h"
#include "engine/Random.h"
#include "map/StoryLink.h"
#include "mhdata/SampleBattle.h"
#include "mhdata/SampleFighters.h"
#include "platform/Input.h"
#include "platform/TextCodec.h"
#include "support/BattleRun.h"
#include "support/Harness.h"
#include "support/MusicRecorder.h"

// Records are written with designated initializers naming only the fields a case sets.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

struct ScriptedDraws {
    static inline std::deque<u32> values;
    static inline std::vector<u32> asked;  // the n of every draw, in order
    static inline int overrun = 0;
    static u32 Draw(u32 n) {
        asked.push_back(n);
        if (values.empty()) {
            ++overrun;
            return 0;
        }
        const u32 v = values.front();
        values.pop_front();
        return v;
    }
};

// Clean globals (the harness resets them all as it comes and goes) and the
// scripted random source.
class FightTest : public ::testing::Test {
protected:
    void SetUp() override {
        Script({});
        ScriptedDraws::overrun = 0;
        SetBattleRandomSource(&ScriptedDraws::Draw);
    }
    void TearDown() override {
        EXPECT_EQ(ScriptedDraws::overrun, 0) << "more draws than the test scripted";
    }

    // The next draws; each value is what RandomN(n) answers.
    static void Script(const std::vector<u32>& v) {
        ScriptedDraws::values.assign(v.begin(), v.end());
        ScriptedDraws::asked.clear();
    }
    // What call answers with these draws scripted.
    template <class Call>
    auto With(std::initializer_list<u32> v, Call call) {
        Script(v);
        return call();
    }
    bool ScriptUsed() const { return ScriptedDraws::values.empty(); }
    const std::vector<u32>& Asked() const { return ScriptedDraws::asked; }

    // A fighter over test record k: an enemy by default, ready for the rules.
    cFighter& Fighter(int k, i32 attack = 100, i32 defence = 50) {
        MonsterData& m = records_[k];
        m.maxHp = m.hp = 100;
        m.hitRate = 80;
        m.evasion = 30;
        for (i32& r : m.ratios) r = 100;
        cFighter& f = fighters_[k];
        f.Reset();
        f.flags = cFighter::kInUse | cFighter::kTaken;
        f.kind = kKindEnemy;
        f.status = 0;
        f.stats = cFighterStats::OfMonster(&m);
        f.attack = attack;
        f.defence = defence;
        f.maxHp = f.hp = 100;
        f.maxMp = f.mp = 50;
        f.row = 1;
        f.attackKind = 1;
        f.hitRate = 80;
        f.evasionRate = f.magicEvasionRate = 30;
        f.SetAction(1, 0, 0);
        return f;
    }
    MonsterData& Record(int k) { return records_[k]; }
    // Fighters over records 0 and 1 with the given attack and defence.
    std::pair<cFighter&, cFighter&> Two(i32 a0 = 100, i32 d0 = 50, i32 a1 = 100, i32 d1 = 50) {
        return {Fighter(0, a0, d0), Fighter(1, a1, d1)};
    }

    // The numbers floated over fighters so far, with their kinds.
    static std::vector<std::pair<std::string, FloatKind>> Floats() {
        std::vector<std::pair<std::string, FloatKind>> v;
        for (const ShownFloat& s : ShownFighterFloats()) v.push_back({s.text, s.kind});
        return v;
    }

    // Tables of n zeroed records, owned by the data module (freed by its reset).
    template <class Rec>
    static Rec* Table(i32 n) {
        return static_cast<Rec*>(std::calloc(static_cast<size_t>(n), sizeof(Rec)));
    }

    // A log line: the text with the name put in for its %s.
    static std::string Line(const char* utf8, const char* nameUtf8) {
        std::string text = Utf8ToBig5(utf8);
        if (const size_t at = text.find("%s"); at != std::string::npos)
            text.replace(at, 2, Utf8ToBig5(nameUtf8));
        return text;
    }

    Harness h_;
    MonsterData records_[8] = {};
    cFighter fighters_[8];
};

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
        SkillData sk{};
        sk.category = c.category;
        sk.effectMode = 1;
        sk.power = c.power;
        sk.element = c.element;
        sk.formIndex = c.formIndex;
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
    Loss l{101, 0};
    sk.special = 2;
    Record(1).kind = 1;
    ApplySkillSpecial(x, t, sk, l, reflected);
    EXPECT_EQ(std::tuple(x.hp, l.hp), std::tuple(0, 50));
    Record(1).kind = 0;
    sk.special = 4;
    l = {101, 0};
    ApplySkillSpecial(x, t, sk, l, reflected);
    EXPECT_EQ(l.hp, 101);  // an ordinary monster takes it whole
    sk.special = 5;
    x.hp = 30;
    ApplySkillSpecial(x, t, sk, l, reflected);
    EXPECT_EQ(x.hp, 100);  // 30 + 101, up to max
    sk.special = 6;
    x.mp = 10;
    l = {0, 15};
    ApplySkillSpecial(x, t, sk, l, reflected);
    EXPECT_EQ(std::tuple(x.mp, reflected), std::tuple(25, 0));

    t.status = kStSunShield;
    t.sunCount = 3;
    sk.special = 8;
    l = {101, 0};
    ApplySkillSpecial(x, t, sk, l, reflected);
    EXPECT_EQ(std::tuple(l.hp, t.sunCount), std::tuple(101, 3));
    sk.special = 0;
    ApplySkillSpecial(x, t, sk, l, reflected);
    // Reflected: half of 101, before the halving.
    EXPECT_EQ(std::tuple(l.hp, reflected, t.sunCount), std::tuple(50, 50, 2));
    l = {-81, 0};
    ApplySkillSpecial(x, t, sk, l, reflected);
    EXPECT_EQ(reflected, 90);
    EXPECT_EQ(LoggedBattleLines().back(), Line("太陽之盾反彈部份的魔法...!", ""));
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
    EXPECT_TRUE(With({29}, [&] { return RollEvade(t, a); }));
    EXPECT_EQ((std::tuple{With({30}, [&] { return RollEvade(t, a); }), t.evasionRate}),
              (std::tuple{false, 40}));
    // Back to the record.
    EXPECT_EQ((std::tuple{With({29}, [&] { return RollEvade(t, a); }), t.evasionRate}),
              (std::tuple{true, 30}));
    a.status = kStBlindness;
    EXPECT_TRUE(
        With({59}, [&] { return RollEvade(t, a); }));  // a blind attacker is evaded twice as often
    a.status = 0;
    t.status = kStBlindness;
    EXPECT_FALSE(With({15}, [&] { return RollEvade(t, a); }));
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
    // q = 30 - 20 + 10.
    EXPECT_EQ((std::tuple{With({20}, [&] { return RollMagicHit(t, x, sk); }), t.magicEvasionRate}),
              (std::tuple{false, 30}));
    t.magicEvasionRate = 10;
    EXPECT_EQ((std::tuple{With({21}, [&] { return RollMagicHit(t, x, sk); }), t.magicEvasionRate}),
              (std::tuple{true, 20}));
    sk.statusEffect = 2;
    t.magicEvasionRate = 10;
    EXPECT_FALSE(With({80}, [&] { return RollMagicHit(t, x, sk); }));  // + 60
    t.magicEvasionRate = 10;
    t.status = kStBlindness;
    EXPECT_TRUE(With({41}, [&] { return RollMagicHit(t, x, sk); }));  // 80 halved
    t.status = 0;

    sk.special = 8;
    gShuffleTable.entries[1] = 69;
    gShuffleTable.entries[2] = 70;
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
    t.theftRate = 10;
    t.status = kStParalysis;
    EXPECT_EQ(With({99}, [&] { return RollTheft(t, a); }), 1);

    cFighter& c = Fighter(3);
    Record(3).captureRate = 60;
    c.hp = 25;  // (75 x 60 x 133 / 100) / 100 = 59
    EXPECT_EQ(CaptureChance(c), 59);
    gShuffleTable.entries[1] = 59;
    gShuffleTable.entries[2] = 68;
    gShuffleTable.entries[3] = 58;
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
    gItemCount = 10;
    gItems = Table<ItemData>(10);

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
    gItemCount = 3;
    gItems = Table<ItemData>(3);
    gOwnedItems = Table<i32>(3);
    gMonsterCount = 2;
    gMonsters = Table<MonsterData>(2);
    gOwnedMonsters = Table<i32>(2);
    gOwnedItems[1] = 98;
    gOwnedMonsters[1] = -5;
    gOwnedMonsters[0] = 500;
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
    s.fighters[2].status = kStDying;
    s.fighters[0].status = kStDying;
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
    a.maxHp = INT_MAX;
    t.maxHp = INT_MAX;
    t.hp = INT_MIN;
    SetBattleRandomSource(nullptr);
    for (int k = 0; k < 8; ++k) {
        EXPECT_GE(PhysicalDamage(t, a, k % 2, false), 1);
        EXPECT_GE(AirRaidDamage(t, a), 1);
        EXPECT_GE(ThrowDamage(t, a, nullptr), 1);
        PoisonDamage(a);
        CaptureChance(t);
        RollCounter(t, &a);
        SkillData sk{};
        sk.effectMode = 1 + k % 2;
        sk.category = k % 3;
        sk.power = INT_MAX;
        sk.hp = sk.mp = INT_MIN;
        sk.formIndex = 0;
        gGodForms[0].attack = INT_MAX;
        Loss l = ApplySkill(t, a, sk);
        ApplyLosses(t, l);
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

// The start table written out: bit, what else it clears, its counter.
struct StartRef {
    u32 bit;
    u32 clears;
    i32 count;
};
constexpr StartRef kStarts[] = {
    {0x1, 0x2 | 0x4 | 0x1000, 0},
    {0x2, 0x1 | 0x4 | 0x1000, 5},
    {0x4, 0x1 | 0x2 | 0x1000, 5},
    {0x8, 0x10, 3},
    {0x10, 0x8, 5},
    {0x20, 0x40 | 0x80 | 0x100, 3},
    {0x40, 0x20 | 0x80 | 0x100, 3},
    {0x80, 0x20 | 0x40 | 0x100, 3},
    {0x100, 0x20 | 0x40 | 0x80, 3},
    {0x200, 0, 3},
    {0x400, 0, 0},
    {0x800, 0, 0},
    {0x1000, 0x1 | 0x2 | 0x4, 0},
    {0x2000, 0, 0},
};

class Status : public FightTest {
protected:
    cFighter& Named() {
        std::snprintf(Record(0).name, sizeof(Record(0).name), "%s", Utf8ToBig5("阿德").c_str());
        return Fighter(0);
    }
};

TEST_F(Status, EveryStartAgainstEveryBitAlreadySet) {
    cFighter& f = Named();
    for (const StartRef& s : kStarts) {
        for (int k = -1; k < 15; ++k) {
            const u32 before = k < 0 ? 0u : 1u << k;
            f.status = before;
            ClearLoggedBattleLines();
            f.StartStatus(s.bit);
            const bool had = (before & s.bit) != 0;
            const u32 want = had ? before : ((before & ~s.clears) | s.bit);
            EXPECT_EQ(std::tuple(f.status, LoggedBattleLines().size()),
                      std::tuple(want, had ? 0u : 1u))
                << std::hex << s.bit << " over " << before;
            if (s.count) {
                const i32* c = f.StatusCounter(s.bit);
                ASSERT_NE(c, nullptr);
                EXPECT_EQ(*c, s.count);  // renewed even when already on
            }
        }
    }
}

TEST_F(Status, StartLinesAndSleepsHold) {
    cFighter& f = Named();
    cFighter& g = Fighter(1);
    f.status = kStHaste;
    f.hasteCount = 4;
    f.gauge = 200;
    f.ordered = 1;
    f.command = kCmdAttack;
    f.targets[0] = &g;
    g.attackedBy = &f;
    f.StartSleep();
    // No end line for the haste it removed.
    EXPECT_EQ(LoggedBattleLines(), std::vector<std::string>{Line("%s進入沉睡...", "阿德")});
    EXPECT_EQ((std::vector<i32>{f.hasteCount, f.gauge, f.ordered, f.command,
                                f.targets[0] != nullptr, g.attackedBy != nullptr}),
              (std::vector<i32>{0, 0, 0, kCmdNone, 0, 0}));

    // Put to sleep by its own all-allies skill: keeps command and targets.
    f.status = 0;
    f.SetAction(10, 3, 0);
    f.command = kCmdMagic;
    f.targets[0] = &g;
    g.attackedBy = &f;
    f.gauge = 255;
    f.ordered = 1;
    f.StartParalysis();
    EXPECT_EQ(std::tuple(f.IsParalysed(), f.gauge, f.command, f.targets[0]),
              std::tuple(true, 0, kCmdMagic, &g));
    f.StartConfusion();
    EXPECT_EQ(f.ordered, 0);
}

TEST_F(Status, TimedConditionsEndOnTheTickAfterTheirCount) {
    cFighter& f = Named();
    f.StartHaste();
    f.StartBlessing();
    f.StartSpellBan();
    for (int tick = 1; tick <= 5; ++tick) {
        f.TickStatusTurn();
        EXPECT_TRUE(f.IsHasted()) << tick;
    }
    // A count of 3 ends on the fourth.
    EXPECT_EQ(std::tuple(f.IsBlessed(), f.IsSpellBanned()), std::tuple(false, false));
    ClearLoggedBattleLines();
    f.TickStatusTurn();
    EXPECT_EQ(std::tuple(f.IsHasted(), f.hasteCount), std::tuple(false, 0));
    EXPECT_EQ(LoggedBattleLines(), std::vector<std::string>{Line("%s的快速狀態解除!", "阿德")});

    f.status = 0;
    f.StartSlow();
    f.StartPoison();
    for (int tick = 0; tick < 6; ++tick) f.TickStatusTurn();
    EXPECT_EQ(f.status, kStPoison);  // slow gone, poison has no counter

    f.StartSleep();
    f.TickStatusTurn();
    EXPECT_FALSE(f.IsAsleep());
    f.StartParalysis();
    f.TickStatusTurn();
    EXPECT_FALSE(f.IsParalysed());
}

TEST_F(Status, AShieldOfThreeWorksFourTimes) {
    cFighter& f = Named();
    f.StartStarShield();
    const i32 after[4] = {2, 1, 0, 0};
    for (int use = 0; use < 4; ++use) {
        EXPECT_TRUE(f.HasStarShield()) << use;
        f.UseStarShield();
        EXPECT_EQ(f.starCount, after[use]);
    }
    EXPECT_FALSE(f.HasStarShield());
    f.StartHolyBarrier();
    std::vector<bool> barrier;
    for (int use = 0; use < 4; ++use) {
        barrier.push_back(f.HasHolyBarrier());
        f.UseHolyBarrier();
    }
    barrier.push_back(f.HasHolyBarrier());
    EXPECT_EQ(barrier, (std::vector<bool>{true, true, true, true, false}));
}

TEST_F(Status, CureReviveAndTheEffectAndHitCodes) {
    cFighter& f = Named();
    f.status = 0;
    f.Cure();
    f.status = kStDying;
    f.Cure();
    EXPECT_EQ(std::tuple(f.status, LoggedBattleLines().empty()), std::tuple(kStDying, true));
    f.status = kStDying | kStPoison;
    f.ApplyEffectCode(1);
    EXPECT_EQ(std::tuple(f.status, LoggedBattleLines().back()),
              std::tuple(kStDying, Line("%s恢復正常狀態...", "阿德")));
    f.status = 0x7FFF;
    f.slowCount = f.weaknessCount = f.hasteCount = 2;
    f.Cure();
    // Haste, blessing, shields, barrier, dying stay.
    EXPECT_EQ(
        (std::vector<i32>{static_cast<i32>(f.status), f.slowCount, f.weaknessCount, f.hasteCount}),
        (std::vector<i32>{0x7FFF & ~0x3E15, 0, 0, 2}));

    f.hp = 0;
    f.ApplyEffectCode(31);
    EXPECT_EQ(std::tuple(f.status, f.hp, LoggedBattleLines().back()),
              std::tuple(0u, 1, Line("%s的瀕死解除...", "阿德")));

    f.hp = 70;
    f.ApplyEffectCode(16);
    EXPECT_EQ(f.hp, 0);
    // Effect code 2 + k starts status bit k and 17 + k ends it; hit codes do
    // the same from 1 + k and 16 + k, and 15 takes all HP.
    for (int k = 0; k < 14; ++k) {
        f.status = 0;
        f.ApplyEffectCode(2 + k);
        EXPECT_EQ(f.status, 1u << k) << k;
        f.ApplyEffectCode(17 + k);
        EXPECT_EQ(f.status, 0u) << k;
        f.ApplyHitEffectCode(1 + k);
        EXPECT_EQ(f.status, 1u << k) << k;
        f.ApplyHitEffectCode(16 + k);
        EXPECT_EQ(f.status, 0u) << k;
    }
    f.hp = 70;
    f.ApplyHitEffectCode(15);
    EXPECT_EQ(f.hp, 0);
    f.status = 0x400;
    f.ApplyHitEffectCode(31);  // past the last hit code: no revive
    EXPECT_EQ(std::tuple(f.status, f.hp), std::tuple(0x400u, 0));
    for (i32 code : {0, 32, -1, INT_MIN, INT_MAX}) {
        f.status = 0x400;
        f.hp = 5;
        f.ApplyEffectCode(code);
        f.ApplyHitEffectCode(code);
        EXPECT_EQ(std::tuple(f.status, f.hp), std::tuple(0x400u, 5)) << code;
    }
}

TEST_F(Status, GaugeStepsByConditionAndOnEveryThirdStepInRealTime) {
    cFighter& f = Fighter(0);
    struct Case {
        u32 status;
        i32 gain;
    } cases[] = {{0, 5},
                 {kStHaste | kStSlow, 7},
                 {kStSlow | kStParalysis, 3},
                 {kStParalysis | kStSleep, 2},
                 {kStSleep, 1},
                 {kStDying, 0}};
    for (const Case& c : cases) {
        f.status = c.status;
        f.gauge = 100;
        f.gaugeDelay = 0;
        EXPECT_FALSE(f.StepGauge(false));
        EXPECT_EQ(f.gauge, 100 + c.gain) << c.status;
    }
    f.status = 0;
    f.gauge = 0;
    f.gaugeDelay = 0;
    const i32 want[7] = {5, 5, 5, 10, 10, 10, 15};
    for (int i = 0; i < 7; ++i) {
        f.StepGauge(true);
        EXPECT_EQ(f.gauge, want[i]) << i;
    }
}

TEST_F(Status, AFullGaugeRegeneratesTicksMarksAndStatus) {
    cFighter& f = Fighter(0);
    f.maxHp = 200;
    f.hp = 150;
    f.hpRegenPercent = 10;
    f.hpRegen = 15;  // 20 + 15 = 35
    f.mp = 50;
    f.mpRegen = 5;  // MP full: a gain of 0 is still shown
    f.marks[0] = {1, 1};
    f.marks[1] = {1, 0};
    f.StartSleep();
    f.gauge = 254;
    EXPECT_TRUE(f.StepGauge(false));  // asleep: 254 + 1
    EXPECT_EQ((std::vector<i32>{f.gauge, f.hp, f.IsAsleep(), f.marks[0].on, f.marks[0].turnsLeft,
                                f.marks[1].on}),
              (std::vector<i32>{255, 185, 0, 1, 0, 0}));
    EXPECT_EQ(Floats(), (std::vector<std::pair<std::string, FloatKind>>{{"+35", kFloatHpRegen},
                                                                        {"+0", kFloatMpRegen}}));
    // Cut at max, also for the largest regeneration.
    for (i32 regen : {15, INT_MAX}) {
        f.hpRegen = f.hpRegenPercent = regen;
        f.hp = 190;
        f.gauge = 254;
        f.StepGauge(false);
        EXPECT_EQ(f.hp, 200) << regen;
    }
}

TEST_F(Status, FrozenGaugeStandsTheFillTicksTheTurnAndWaitingFillsIt) {
    cFighter& f = Fighter(0);
    f.status = kStHaste;
    f.hasteCount = 2;
    f.gauge = 250;
    f.gaugesFrozen = 1;
    EXPECT_EQ((std::vector<i32>{f.StepGauge(false), f.gauge}), (std::vector<i32>{false, 250}));
    f.gaugesFrozen = 0;
    // The turn's status tick runs once; a full gauge only reports.
    EXPECT_EQ((std::vector<i32>{f.StepGauge(false), f.gauge, f.hasteCount, f.StepGauge(false),
                                f.hasteCount}),
              (std::vector<i32>{true, 255, 1, true, 1}));

    // The waiting state fills the gauge from fifty-one ticks after its first.
    cFighter& w = gPartySide.fighters[0] = Fighter(1);
    w.kind = kKindParty;
    w.hp = w.maxHp = 10;
    w.homeX = 400;
    w.homeZ = 300;
    w.gauge = 0;
    w.SetAction(kStateWaiting, 0, 0);
    gPartySide.count = 1;
    int full = -1;
    for (int tick = 1; tick <= 80 && full < 0; ++tick) {
        UpdateFighters();
        if (w.IsReady()) full = tick;
    }
    // The first tick starts the pose; the gauge then moves by 5 on each of 51 ticks.
    EXPECT_EQ(std::tuple(full, w.x, w.z, w.CanAct()), std::tuple(52, 400, 300, true));
}

constexpr cFighter* kNobody = nullptr;
constexpr FighterSpot kSpots[kSetupPositions] = {{510, 0, 262}, {440, 0, 314}, {352, 0, 364},
                                                 {568, 0, 306}, {510, 0, 362}, {422, 0, 394}};

class Sides : public FightTest {
protected:
    void SetUp() override {
        FightTest::SetUp();
        for (int r = 0; r < kRoleCount; ++r) {
            RoleStats& s = gRoleStats[r];
            s.level = 1 + r;
            s.maxHp = s.hp = 100 + r;
            s.maxMp = s.mp = 20 + r;
            s.agility = 10 + r;
            s.attack = 30 + r;
            s.defence = 20 + r;
            s.hitRate = 90;
            s.evasion = 5 + r;
            gRoles[r].act = 1000 + 100 * r;
        }
    }
    // Draws that leave the head starts in place: each pair exchanged twice.
    static std::vector<u32> KeepHeadStart() { return {0, 1, 0, 1, 2, 3, 2, 3, 4, 5, 4, 5}; }
    // The party set up from formation f (or the one in place) with the head starts kept.
    void SetUpParty(std::initializer_list<i32> f = {}) {
        int k = 0;
        for (i32 r : f) gFormation[k++] = r;
        Script(KeepHeadStart());
        gPartySide.SetupParty(kSpots);
    }
    static i32 Piece(int n, i32 kind, EquipSpecial sp, i32 look = 0) {
        EquipageData& e = gOwnedEquipage[n];
        e = EquipageData{};
        e.id = n;
        e.kind = kind;
        e.special = sp;
        e.look = look;
        e.weaponPic = 7100 + n;
        return n;
    }
};

TEST_F(Sides, PartyPacksSlotsAndKeepsFormationPlaces) {
    SetUpParty({-1, 2, -1, 5, 3, -1, 7, 7});
    const cBattleSide& s = gPartySide;
    ASSERT_EQ(s.count, 3);
    EXPECT_EQ(s.memberCount, 3);
    const i32 slot[3] = {1, 3, 4}, role[3] = {2, 5, 3}, row[3] = {1, 2, 2}, head[3] = {120, 60, 30};
    for (int i = 0; i < 3; ++i) {
        // Slot, role, row, place, head start plus agility, flee rate from the
        // agility, magic evasion from the evasion, waiting.
        const cFighter& f = s.fighters[i];
        const i32 r = role[i];
        EXPECT_EQ((std::vector<i32>{f.slot, static_cast<i32>(f.pic), f.row, f.homeRow, f.x, f.z,
                                    f.gauge, f.fleeRate, f.magicEvasionRate, f.action}),
                  (std::vector<i32>{slot[i], r, row[i], row[i], kSpots[slot[i]].x,
                                    kSpots[slot[i]].z, head[i] + 10 + r, 10 + r, 5 + r, 1}))
            << i;
        EXPECT_EQ(std::tuple(f.kind, f.stats.Head()), std::tuple(kKindParty, &gRoleStats[r]));
    }
    EXPECT_EQ(std::tuple(s.frontCount, s.averageLevel, ScriptUsed()),
              std::tuple(1, (3 + 6 + 4) / 3, true));
}

TEST_F(Sides, BackRowStepsForwardWhenTheFrontIsDownAndBadEntriesAreSkipped) {
    gRoleStats[0].status = kStDying;
    gRoleStats[1].status = kStDying;
    SetUpParty({0, 1, -1, 2, 3, -1});
    const cBattleSide& s = gPartySide;
    // Rows 0 0 1 1, the third's home row 2, two in front, four members (dying ones count too).
    EXPECT_EQ(
        (std::vector<i32>{s.fighters[0].row, s.fighters[1].row, s.fighters[2].row,
                          s.fighters[3].row, s.fighters[2].homeRow, s.frontCount, s.memberCount}),
        (std::vector<i32>{0, 0, 1, 1, 2, 2, 4}));

    // Bad formation entries are skipped.
    SetUpParty({9, -5, 2, 2, INT_MAX, 3});
    EXPECT_EQ(std::tuple(gPartySide.count, gPartySide.fighters[0].pic, gPartySide.fighters[1].pic),
              std::tuple(2, 2u, 3u));
    SetUpParty({-1, -1, -1, -1, -1, -1});
    EXPECT_EQ(std::tuple(gPartySide.count, gPartySide.averageLevel, gPartySide.AllDown(),
                         gPartySide.NoneInUse(), gPartySide.PickRandomTarget(0),
                         gPartySide.NextReady(nullptr)),
              std::tuple(0, 0, true, true, kNobody, kNobody));
}

TEST_F(Sides, EquipmentSpecialsReachTheFighter) {
    gSkillCount = 8;
    gSkills = Table<SkillData>(8);
    RoleData& r0 = gRoles[0];
    r0.equip[kSlotWeapon] = Piece(10, 6, {1, 10, 5, 0, 0}, 3);  // ranged, both hands
    r0.equip[kSlotShield] = 10;                                 // the same piece: once
    r0.equip[kSlotHat] = Piece(11, 4, {2, 3, 4, 0, 0});
    r0.equip[kSlotArmour] = Piece(12, 5, {3, 7, 8, 0, 0});
    r0.equip[kSlotAccessory1] = Piece(13, 7, {4, 0, 0, 11, 0});
    r0.equip[kSlotAccessory2] = Piece(14, 7, {5, 0, 0, 0, 0});
    RoleData& r1 = gRoles[1];
    r1.equip[kSlotWeapon] = Piece(20, 1, {6, 0, 0, 0, 4}, 3);
    r1.equip[kSlotShield] = Piece(21, 3, {4, 0, 0, 13, 0}, 2);
    r1.equip[kSlotHat] = 300;  // outside the owned table
    r1.equip[kSlotArmour] = -7;
    r1.equip[kSlotAccessory1] = Piece(22, 7, {6, 0, 0, 0, 99});  // no such skill
    r1.equip[kSlotAccessory2] = Piece(23, 7, {4, 0, 0, 2, 0});
    SetUpParty({0, 1, -1, -1, -1, -1});
    // Regeneration 10 and 5, 3 % and 4 %; drain 7 and 8; hit code 11; reflect
    // 19; ranged; the weapon's hit act; look sum 3 gives body act 6.
    const cFighter& a = gPartySide.fighters[0];
    EXPECT_EQ((std::vector<i32>{a.hpRegen, a.mpRegen, a.hpRegenPercent, a.mpRegenPercent, a.hpDrain,
                                a.mpDrain, a.hitCodes[0], a.reflect, a.attackKind, a.hitAct,
                                static_cast<i32>(a.act), a.specialAct}),
              (std::vector<i32>{10, 5, 3, 4, 7, 8, 11, 19, 2, 7110, 1006, 1000}));
    // Close again; hit codes 13 and 2; the last special named no skill; look
    // sum 5 gives 10; the portrait of role 1.
    const cFighter& b = gPartySide.fighters[1];
    EXPECT_EQ((std::vector<i32>{b.attackKind, b.hitCodes[0], b.hitCodes[1], b.specialSkill,
                                static_cast<i32>(b.act), b.specialAct, b.aux[37].action}),
              (std::vector<i32>{1, 13, 2, 0, 1110, 1104, 12}));
    gRoles[1].equip[kSlotAccessory1] = -1;
    SetGameFlag(324);
    SetUpParty();
    // Roles 0 and 1 exchange portraits.
    EXPECT_EQ(std::tuple(gPartySide.fighters[1].specialSkill, gPartySide.fighters[1].aux[37].action,
                         gPartySide.fighters[0].aux[37].action),
              std::tuple(4, 11, 12));
}

class EnemySides : public Sides {
protected:
    void SetUp() override {
        Sides::SetUp();
        gMonsterCount = 10;
        gMonsters = Table<MonsterData>(10);
        for (i32 m = 0; m < 10; ++m) {
            MonsterData& r = gMonsters[m];
            r.index = m;
            r.act = 3000 + m;
            r.level = 2 * m;
            r.maxHp = 100;
            r.maxMp = 30;
            r.strength = 5;
            r.stamina = 6;
            r.attack = 40;
            r.defence = 20;
            r.agility = m;
            r.theftChance = 25;
            r.hitAct = 7200 + m;
        }
    }
};

TEST_F(EnemySides, SortedByDepthWithRowsHpAndEffects) {
    gMonsters[4].specialEffect[0] = 5;
    gMonsters[2].specialEffect[0] = 4;
    gMonsters[2].specialEffect[3] = 12;
    gMonsters[1].specials[0] = {3, 2};
    const EnemySpot spots[kSetupPositions] = {
        {1, 0, 100, 0, 100},          {2, 7, 300, 0, 50},    {3, 0, 50, 0, 50},
        {kNoMonster, 0, 900, 0, 900}, {999, 0, 800, 0, 800}, {4, 1, 0, 0, 500},
    };
    std::vector<u32> draws = KeepHeadStart();
    for (u32 d : {20u, 0u, 10u, 5u}) draws.push_back(d);
    Script(draws);
    gEnemySide.SetupEnemies(spots);
    const cBattleSide& s = gEnemySide;
    ASSERT_EQ(s.count, 4);
    const i32 monster[4] = {4, 2, 1, 3}, row[4] = {2, 2, 1, 1}, hp[4] = {120, 100, 110, 105};
    for (int i = 0; i < 4; ++i) {
        // Attack 40 + strength 5, defence 20 + stamina 6, the record's theft
        // chance and act, facing left, no status.
        const cFighter& f = s.fighters[i];
        EXPECT_EQ((std::vector<i32>{static_cast<i32>(f.pic), f.row, f.maxHp, f.hp, f.attack,
                                    f.defence, f.theftRate, static_cast<i32>(f.act), f.facing,
                                    static_cast<i32>(f.status)}),
                  (std::vector<i32>{monster[i], row[i], hp[i], hp[i], 45, 26, 25, 3000 + monster[i],
                                    5, 0}))
            << i;
    }
    EXPECT_EQ((std::vector<i32>{s.fighters[0].reflect, s.fighters[1].hitCodes[0],
                                s.fighters[2].specials[0].skill, s.fighters[0].gauge, s.frontCount,
                                s.averageLevel, s.drops[15], ScriptUsed()}),
              (std::vector<i32>{16, 12, 3, 150 + 4, 2, (8 + 4 + 2 + 6) / 4, -1, true}));
    // Six exchanges of two of the six head starts, then 0..20 % more HP for each enemy.
    std::vector<u32> ranges(12, 6);
    ranges.insert(ranges.end(), 4, 21);
    EXPECT_EQ(Asked(), ranges);
}

TEST_F(EnemySides, AddedFormTakesThePartyAverages) {
    gRoleStats[2].status = kStDying;
    for (int r = 0; r < 3; ++r) {
        gRoleStats[r].strength = 10 * (r + 1);  // 10, 20 (30 is dying)
        gRoleStats[r].stamina = 4;
        gRoleStats[r].magic = 7;
        gRoleStats[r].spirit = 1;
    }
    SetUpParty({0, 1, 2, -1, -1, -1});
    gPartySide.fighters[0].hp = 50;
    MonsterData form = gMonsters[6];
    form.maxHp = 300;
    form.hp = 280;
    form.maxMp = 60;
    form.mp = 40;
    form.strength = 9;
    form.stamina = 3;
    form.magic = 5;
    form.spirit = 2;
    form.agility = 11;
    form.attack = 100;
    form.defence = 70;
    form.fleeRate = 35;
    form.attackKind = 1;
    form.specialEffect[0] = 5;
    Script({7});
    cFighter* f = gPartySide.AddFighter(form);
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(std::tuple(gPartySide.count, f->slot, f->kind), std::tuple(4, 3, kKindAdded));
    // HP and MP: the form's and the living members' (100 + 101, 20 + 21; HP 50
    // + 101 now), halved.
    EXPECT_EQ((std::vector<i32>{f->maxHp, f->hp, f->maxMp, f->mp}),
              (std::vector<i32>{501 / 2, 431 / 2, 101 / 2, 81 / 2}));
    // Attributes: half the living members' sum plus half the form's (strength
    // 30 / 2 + 9 / 2); attack and defence: the form's plus the members' sums.
    const MonsterData& c = gPartySide.creature;
    EXPECT_EQ((std::vector<i32>{c.strength, c.stamina, c.magic, c.agility, c.attack, c.defence}),
              (std::vector<i32>{15 + 4, 4 + 1, 7 + 2, 10 + 5, 130, 78}));
    EXPECT_EQ((std::vector<i32>{f->attack, f->fleeRate, f->attackKind, f->reflect, f->gauge}),
              (std::vector<i32>{130, 35, 2, 16, 7 + c.agility}));
    // The form's own record is untouched.
    EXPECT_EQ(std::tuple(f->stats.Head(), gMonsters[6].strength),
              std::tuple(&gPartySide.creature, 5));
    gPartySide.count = kSideSlots;
    EXPECT_EQ(gPartySide.AddFighter(form), nullptr);
}

TEST_F(Sides, ReadyCyclingGaugesAndTargets) {
    cBattleSide& s = gPartySide;
    s.count = s.memberCount = 4;
    for (int i = 0; i < 4; ++i) {
        s.fighters[i] = Fighter(i);
        s.fighters[i].gauge = 255;
        s.fighters[i].hp = 40 + 10 * (i % 2);
    }
    s.fighters[1].gauge = 200;
    s.fighters[3].status = kStConfusion;
    cFighter* f = s.fighters;
    EXPECT_EQ((std::vector<cFighter*>{s.NextReady(nullptr), s.NextReady(&f[0]), s.NextReady(&f[2]),
                                      s.PrevReady(nullptr), s.PrevReady(&f[0])}),
              (std::vector<cFighter*>{&f[0], &f[2], &f[0], &f[2], &f[2]}));
    s.fighters[2].command = kCmdAttack;
    // The only one left.
    EXPECT_EQ(std::tuple(s.NextReady(&f[0]), s.FindPending(), s.AllGaugesFull()),
              std::tuple(&f[0], &f[2], false));
    s.fighters[1].gauge = 255;
    EXPECT_TRUE(s.AllGaugesFull());
    s.memberCount = 1;
    EXPECT_FALSE(s.AllGaugesFull());

    EXPECT_EQ(s.PickWeakestTarget(0), &f[0]);  // 40, 40: the lower slot
    s.fighters[0].status = kStDying;
    s.fighters[2].row = 2;
    EXPECT_EQ(std::tuple(s.PickWeakestTarget(0), s.PickWeakestTarget(1)), std::tuple(&f[2], &f[1]));
    s.frontCount = 2;
    // Any row other than 1 draws from the count.
    EXPECT_EQ(std::tuple(With({1}, [&] { return s.PickRandomTarget(2); }), Asked()),
              std::tuple(&f[2], std::vector<u32>{4}));
    EXPECT_EQ(std::tuple(With({1}, [&] { return s.PickRandomTarget(1); }), Asked()),
              std::tuple(&f[1], std::vector<u32>{2}));
    s.frontCount = 0;
    Script({});
    EXPECT_EQ(s.PickRandomTarget(1), nullptr);
    s.frontCount = 2;
    Script({0});
    EXPECT_EQ(s.PickRandomTarget(3), nullptr);  // nobody stands in that row

    s.SetFrozen(1);
    EXPECT_EQ(s.fighters[3].gaugesFrozen, 1);
    s.fighters[1].targets[0] = &s.fighters[2];
    s.fighters[2].attackedBy = &s.fighters[1];
    s.DimBystanders(0);
    s.FleeAll();
    // The dying fighter stays.
    EXPECT_EQ((std::vector<i32>{f[0].fadeTarget, f[1].fadeTarget, f[2].fadeTarget, f[1].command,
                                f[1].action, f[0].command}),
              (std::vector<i32>{-15, 0, 0, kCmdFlee, 14, kCmdNone}));
}

TEST_F(Sides, TheSampleThiefCanBeRobbedAndTheBossStandsFirst) {
    const DatabaseSet set = MakeSampleDatabases();
    for (DatabaseFile f : {kMonsterDataFile, kItemDataFile, kSkillDataFile}) {
        const std::vector<u8> bytes = DatabaseFileBytes(set, f);
        ASSERT_TRUE(LoadDatabaseBytes(f, bytes.data(), bytes.size(), "sample"));
    }
    const EnemySpot spots[kSetupPositions] = {
        {sample::kThief, 0, 200, 0, 200}, {sample::kBoss, 1, 300, 0, 300}, {kNoMonster, 0, 0, 0, 0},
        {kNoMonster, 0, 0, 0, 0},         {kNoMonster, 0, 0, 0, 0},        {kNoMonster, 0, 0, 0, 0},
    };
    SetBattleRandomSource(nullptr);
    gEnemySide.SetupEnemies(spots);
    ASSERT_EQ(gEnemySide.count, 2);
    cFighter& boss = gEnemySide.fighters[0];
    cFighter& thief = gEnemySide.fighters[1];
    thief.status = kStSleep;
    EXPECT_EQ((std::vector<i32>{static_cast<i32>(boss.pic), boss.specialSkill, thief.hpRegen,
                                thief.theftRate, thief.stats.TheftItem(), RollTheft(thief, boss),
                                RollTheft(thief, boss)}),
              (std::vector<i32>{222, sample::kPoisonMist, 5, 40, sample::kHerb, 1, 0}));
}

class EndTest : public FightTest {
protected:
    void SetUp() override {
        FightTest::SetUp();
        gItems = Table<ItemData>(4);
        gItemCount = 4;
        gOwnedItems = Table<i32>(4);
    }
    // Party slot i: role r of that level and experience.
    cFighter& Member(int i, i32 r, i32 level, i32 exp) {
        RoleStats& s = gRoleStats[r];
        s.index = r;
        s.level = level;
        s.exp = exp;
        cFighter& f = gPartySide.fighters[i];
        f.Reset();
        f.flags = cFighter::kInUse | cFighter::kTaken;
        f.kind = kKindParty;
        f.pic = static_cast<u32>(r);
        f.status = 0;
        f.stats = cFighterStats::OfRole(&s);
        f.SetAction(1, 0, 0);
        if (gPartySide.count <= i) gPartySide.count = i + 1;
        return f;
    }
    // Steps the end screens until they report done; how many steps that took
    // and how many level-up panels were shown.
    struct Run {
        int steps = 0, panels = 0;
    };
    static Run StepToEnd(int limit = 3000) {
        Run r;
        bool showing = false;
        while (r.steps < limit) {
            ++r.steps;
            const i32 done = gBattleEnd.Step();
            if (gBattleEnd.shown && !showing) ++r.panels;
            showing = gBattleEnd.shown != nullptr;
            if (done) break;
        }
        return r;
    }
};

TEST_F(EndTest, VictoryPaysCappedMoneyExperienceToLivingMembersAndTheFirstThreeDrops) {
    gScriptVars[0] = 0x7FFFFFF0;
    gEnemySide.goldTotal = 100;
    gEnemySide.expTotal = 30;
    Member(0, 0, 5, 10);
    Member(1, 1, 5, 10).status = kStDying;
    // An added creature in slot 2 whose number would be role 2.
    cFighter& creature = gPartySide.fighters[2];
    creature.flags = cFighter::kInUse | cFighter::kTaken;
    creature.kind = kKindAdded;
    creature.pic = 2;
    creature.stats = cFighterStats::OfMonster(&Record(0));
    gRoleStats[2].exp = 10;
    Member(3, 4, 5, 0x7FFFFFF0);
    gPartySide.count = 4;
    Member(6, 3, 5, 10);  // past the six fighting places
    gOwnedItems[2] = 99;
    gOwnedItems[1] = 5;
    const i32 drops[] = {-5, 4, 2, 1};  // below, at the count, full, fourth
    for (int k = 0; k < 4; ++k) gEnemySide.drops[k] = drops[k];
    PayVictoryRewards();
    EXPECT_EQ(gScriptVars[0], 0x7FFFFFFFu);
    // Only the living member and the one at the cap's edge gain (capped); the
    // dying member, the creature's role and the seventh slot's do not.
    EXPECT_EQ((std::vector<i32>{gRoleStats[0].exp, gRoleStats[1].exp, gRoleStats[2].exp,
                                gRoleStats[3].exp, gRoleStats[4].exp}),
              (std::vector<i32>{40, 10, 10, 10, 0x7FFFFFFF}));
    EXPECT_EQ(std::tuple(Record(0).exp, gOwnedItems[2], gOwnedItems[1]), std::tuple(0, 99, 5));

    const i32 good[] = {1, 1, 3};
    for (int k = 0; k < 3; ++k) gEnemySide.drops[k] = good[k];
    gEnemySide.goldTotal = 7;
    gScriptVars[0] = 100;
    PayVictoryRewards();
    EXPECT_EQ((std::vector<i64>{gScriptVars[0], gOwnedItems[1], gOwnedItems[3]}),
              (std::vector<i64>{107, 7, 1}));
}

TEST_F(EndTest, TwoLevelsInARowShowTwoPanelsAndGrowByTheExchangedRows) {
    SetGameFlag(324);  // role 1 grows by role 0's rows and learns role 0's skills
    RoleData& base = gRoles[1];
    const i32 start[7] = {100, 20, 10, 11, 12, 13, 14};
    i32* words[7] = {&base.maxHp, &base.maxMp,  &base.strength, &base.stamina,
                     &base.magic, &base.spirit, &base.agility};
    for (int k = 0; k < 7; ++k) *words[k] = start[k];
    const i32 row1[7] = {5, 3, 1, 2, 1, 2, 1}, row2[7] = {6, 2, 2, 1, 2, 1, 2};
    for (int k = 0; k < 7; ++k) {
        gLevelUpStats[0][1][2 + k] = row1[k];
        gLevelUpStats[0][2][2 + k] = row2[k];
        gLevelUpStats[1][1][2 + k] = 50;  // role 1's own rows must not be read
        gLevelUpStats[1][2][2 + k] = 50;
    }
    gLevelUpSkills[0][0] = {5, 2};
    gLevelUpSkills[0][1] = {6, 3};
    gLevelUpSkills[0][2] = {7, 4};
    gLevelUpSkills[1][0] = {8, 2};
    cFighter& f = Member(0, 1, 1, 45 + 90 + 7);
    f.hp = 50;
    f.mp = 10;
    gBattleEnd.SetOutcome(1);
    MusicRecorder music;
    const Run r = StepToEnd();
    // Banner 7 + 100 + 7 steps; each panel is found, opens in 7, waits 200,
    // closes in 7; the next step finds nobody.
    const RoleStats& s = gRoleStats[1];
    // 45 and 90 experience spent.
    EXPECT_EQ(std::tuple(r.panels, r.steps, s.level, s.exp),
              std::tuple(2, 114 + 2 * (1 + 7 + 200 + 7), 3, 7));
    // The role's base record grows alike.
    const std::vector<i32> want = {111, 25, 13, 14, 15, 16, 17};
    EXPECT_EQ(
        (std::vector<i32>{s.maxHp, s.maxMp, s.strength, s.stamina, s.magic, s.spirit, s.agility}),
        want);
    for (int k = 0; k < 7; ++k) EXPECT_EQ(*words[k], want[k]) << k;
    // HP and MP grow with their maxima; role 0's skills of levels 2 and 3 are
    // learned; the level-up pose (16) is put over what it was doing.
    EXPECT_EQ(
        (std::vector<i32>{f.hp, f.mp, gLearnedSkills[0][0], gLearnedSkills[0][1],
                          gLearnedSkills[0][2], gLearnedSkills[1][0], f.action, f.savedAction}),
        (std::vector<i32>{61, 15, 1, 1, 0, 0, 16, 16}));
    // Victory piece once, then the level-up piece for each panel, each stopped after.
    std::vector<std::pair<int, int>> modes;  // mode, repeat
    for (const auto& m : music.modes()) modes.push_back({m.mode, m.repeat});
    EXPECT_EQ(modes,
              (std::vector<std::pair<int, int>>{{3, 2}, {3, 1}, {3, 2}, {3, 1}, {3, 2}, {3, 1}}));
}

TEST_F(EndTest, OnlyLivingMembersBelowFiftyRiseAndSavedLevelsAreHeldToTheTable) {
    struct Case {
        i32 level, exp;
        bool dying;
        int panels;
        i32 levelAfter, expAfter;
    } cases[] = {
        {50, 999999, false, 0, 50, 999999},
        {77, 999999, false, 0, 77, 999999},
        {0, 45, false, 1, 2, 0},
        {-3, 44, false, 0, -3, 44},
        {4, 999999, true, 0, 4, 999999},
        {49, 19125, false, 1, 50, 0},
    };
    for (const Case& c : cases) {
        ResetBattleSides();
        ResetBattleEnd();
        cFighter& f = Member(0, 2, c.level, c.exp);
        if (c.dying) f.status = kStDying;
        gBattleEnd.banner.done = 1;
        gBattleEnd.SetOutcome(1);
        const Run r = StepToEnd();
        EXPECT_EQ(std::tuple(r.panels, gRoleStats[2].level, gRoleStats[2].exp),
                  std::tuple(c.panels, c.levelAfter, c.expAfter))
            << c.level;
    }
}

TEST_F(EndTest, TheBannerClosesAfterAHundredTicksOrAtOnceOnConfirm) {
    gKeyBindings[kKeyConfirm] = 28;
    gEnemySide.goldTotal = 50;
    gBattleEnd.SetOutcome(1);
    // It stays done and pays once.
    EXPECT_EQ(
        (std::vector<i64>{StepToEnd().steps, gScriptVars[0], gBattleEnd.Step(), gScriptVars[0]}),
        (std::vector<i64>{7 + 100 + 7, 50, 1, 50}));

    ResetBattleEnd();
    gBattleEnd.SetOutcome(1);
    int steps = 0;
    for (; steps < 9; ++steps) gBattleEnd.Step();  // open after 7, two waiting ticks
    PlatformSetKey(28, true);
    gBattleKeys.Poll();
    gBattleEnd.Step();
    PlatformSetKey(28, false);
    gBattleKeys.Poll();
    // Paid when it has closed, not before.
    EXPECT_EQ((std::vector<i64>{gScriptVars[0], StepToEnd().steps, gScriptVars[0]}),
              (std::vector<i64>{50, 7, 100}));
}

TEST_F(EndTest, TheDefeatWaitEndsAfterAHundredTicksOrWithTheMusic) {
    MusicRecorder music;
    for (bool finished : {false, true}) {
        ResetBattleEnd();
        music.AnswerFinished(finished);
        gBattleEnd.SetOutcome(3);
        EXPECT_EQ(StepToEnd().steps, finished ? 2 : 101) << finished;
        ASSERT_GE(music.modes().size(), 2u);
        EXPECT_EQ(std::tuple(music.modes().end()[-2].fadeTime, music.modes().back().repeat),
                  std::tuple(100, 1));
    }
    // An escape has no end screen.
    for (i32 outcome : {2, 0}) {
        ResetBattleEnd();
        gBattleEnd.SetOutcome(outcome);
        EXPECT_EQ(gBattleEnd.Step(), outcome == 2 ? 1 : 0) << outcome;
    }
}

enum TestSkill { kHeal = 1, kFire = 2, kStrike = 3, kGroupHeal = 4, kBlizzard = 5, kSelfOnly = 6 };

class ControllerTest : public FightTest {
protected:
    void SetUp() override {
        FightTest::SetUp();
        gSkills = Table<SkillData>(7);
        gSkillCount = 7;
        // Each skill with its category and target kind.
        const i32 skills[][3] = {{kHeal, 1, 1},      {kFire, 1, 3},     {kStrike, 0, 3},
                                 {kGroupHeal, 3, 2}, {kBlizzard, 1, 4}, {kSelfOnly, 1, 5}};
        for (const auto& [id, category, target] : skills)
            gSkills[id] = {.id = id, .category = category, .target = target};
    }
    // Slot i of a side: a ready fighter over test record k.
    cFighter& Put(cBattleSide& side, int i, int k, i32 kind) {
        cFighter& f = side.fighters[i] = Fighter(k);
        Record(k).kind = 0;
        f.kind = static_cast<u32>(kind);
        f.gauge = kGaugeFull;
        for (MonsterSkill& s : f.specials) s = {0, 0};
        if (side.count <= i) side.count = i + 1;
        ++side.frontCount;
        return f;
    }
    cFighter& Enemy(int i = 0) { return Put(gEnemySide, i, 4 + i, kKindEnemy); }
    cFighter& Member(int i = 0) { return Put(gPartySide, i, i, kKindParty); }

    cActionPicker& Enemies() { return gBattleController.enemyPicker; }
    // A fresh controller with the party on auto battle.
    static void AutoBattle() {
        gBattleController.Reset();
        gBattleController.autoBattle = 1;
    }
    // One step of the enemies' picker with these draws scripted.
    void StepWith(std::initializer_list<u32> v) {
        Script(v);
        Enemies().Step();
    }
};

TEST_F(ControllerTest, AKindOneEnemyNeverFleesAndAKindZeroOneFleesAboutOneTimeInThree) {
    SetBattleRandomSource(nullptr);
    InitRandom(2718);
    auto fleeShare = [&](i32 kind, i32 hp, i32 maxHp) {
        int fled = 0;
        for (int n = 0; n < 3000; ++n) {
            ResetBattleSides();
            Member();
            cFighter& e = Enemy();
            Record(4).kind = kind;
            e.hp = hp;
            e.maxHp = maxHp;
            gBattleController.Reset();
            Enemies().Step();  // picks the enemy
            Enemies().Step();  // its choice
            fled += e.command == kCmdFlee;
        }
        return fled;
    };
    EXPECT_NEAR(fleeShare(0, 14, 100), 1000, 100);
    // 15 % is not below 15 %. Max HP 0 counts as 1: HP 0 of it is 0 %, HP 5 of it far above.
    EXPECT_EQ((std::vector<int>{fleeShare(1, 14, 100), fleeShare(0, 15, 100), fleeShare(0, 5, 0)}),
              (std::vector<int>{0, 0, 0}));
    EXPECT_GT(fleeShare(0, 0, 0), 900);
}

TEST_F(ControllerTest, AnEnemyThatJustFledDoesNotChooseFlightAgain) {
    cFighter& m = Member();
    cFighter& e = Enemy();
    e.hp = 5;
    gBattleController.Reset();
    StepWith({/*picks*/});
    StepWith({1, 99});  // flight wanted, no special
    ASSERT_EQ(e.command, kCmdFlee);
    // The flight did not take (its action puts it back to waiting).
    e.command = kCmdNone;
    StepWith({});       // the same fighter again, its last choice remembered
    StepWith({99, 0});  // no flight draw at all: the special roll, then the target
    EXPECT_EQ(std::tuple(ScriptUsed(), e.command, e.targets[0], m.attackedBy, Asked()),
              std::tuple(true, kCmdAttack, &m, &e, std::vector<u32>{100, 1}));
}

TEST_F(ControllerTest, UsedUpAndBadSpecialsFailThreeTimesThenTheEnemyAttacks) {
    cFighter& m = Member();
    cFighter& e = Enemy();
    Record(4).specialChance = 100;
    e.specials[0] = {-1, 5};
    e.specials[1] = {0, 5};
    e.specials[2] = {9999, 5};
    e.specials[3] = {kFire, 0};
    e.specials[4] = {kStrike, 0};
    e.healSpecial = {-1, 3};
    e.hp = 10;  // low enough to try healing, with a healing special that names nothing
    gBattleController.Reset();
    StepWith({});
    StepWith({0, 50, /*heal*/ 0, /*start*/ 2});
    EXPECT_EQ(Enemies().Failures(), 1);
    for (int n = 2; n <= 3; ++n) {
        StepWith({24, 4});
        EXPECT_EQ(std::tuple(Enemies().Failures(), e.command), std::tuple(n, kCmdNone));
    }
    // The choice starts again: no special right after one, so an attack.
    StepWith({0, 0});
    EXPECT_EQ(
        std::tuple(ScriptUsed(), e.command, e.targets[0], e.healSpecial.uses, e.specials[0].uses),
        std::tuple(true, kCmdAttack, &m, 3, 5));
}

TEST_F(ControllerTest, AHurtEnemyHealsBelowItsDrawnThresholdElseUsesASpecial) {
    struct Case {
        i32 hp;
        u32 draw;  // the threshold is 25 + draw
        bool heals;
    } cases[] = {{34, 10, true}, {35, 10, false}, {24, 0, true}, {49, 24, false}, {48, 24, true}};
    for (const Case& c : cases) {
        ResetBattleSides();
        Member();
        cFighter& e = Enemy();
        cFighter& ally = Enemy(1);
        ally.hp = 90;
        Record(4).specialChance = 100;
        e.hp = c.hp;
        e.healSpecial = {kHeal, 2};
        e.specials[1] = {kFire, 1};
        gBattleController.Reset();
        StepWith({});
        StepWith({0, 0, c.draw, 1, 0});
        // Healing goes to the weakest of its own side: itself here.
        EXPECT_EQ(std::tuple(e.command, e.skillInUse, e.healSpecial.uses, e.specials[1].uses,
                             e.targets[0], Enemies().Current()),
                  std::tuple(kCmdMagic, &gSkills[c.heals ? kHeal : kFire], c.heals ? 1 : 2,
                             c.heals ? 1 : 0, c.heals ? &e : &gPartySide.fighters[0], kNobody))
            << c.hp;
        Script({});
    }
}

TEST_F(ControllerTest, SkillsFollowTheirTargetKindAndTheSpellBan) {
    struct Case {
        i32 skill;
        bool banned;
        i32 command;   // 0: the skill is refused
        int targets;   // how many links
        bool ownSide;  // the targets stand on its own side
    } cases[] = {
        {kHeal, false, kCmdMagic, 1, true},
        {kFire, false, kCmdMagic, 1, false},
        {kStrike, false, kCmdSkillStrike, 1, false},
        {kGroupHeal, false, kCmdMagic, 2, true},
        {kBlizzard, false, kCmdMagic, 2, false},
        {kSelfOnly, false, 0, 0, false},
        {kFire, true, 0, 0, false},
        {kBlizzard, true, 0, 0, false},
        {kStrike, true, kCmdSkillStrike, 1, false},
        {kGroupHeal, true, kCmdMagic, 2, true},
        {0, false, 0, 0, false},
        {7, false, 0, 0, false},
    };
    for (const Case& c : cases) {
        ResetBattleSides();
        Member(0);
        Member(1).hp = 40;
        cFighter& e = Enemy(0);
        Enemy(1);
        if (c.banned) e.status = kStSpellBan;
        gBattleController.Reset();
        Enemies().SetCurrent(&e);
        Script({1, 1});
        SCOPED_TRACE(testing::Message() << c.skill << " banned " << c.banned);
        EXPECT_EQ(std::tuple(Enemies().TrySkill(c.skill), e.command),
                  std::tuple(c.command != 0 ? 1 : 0, c.command));
        int n = 0;
        for (cFighter* t : e.targets)
            if (t) {
                ++n;
                EXPECT_EQ(std::tuple(t->attackedBy, t->IsEnemy()), std::tuple(&e, c.ownSide));
            }
        EXPECT_EQ(n, c.targets);
        if (c.command) {
            EXPECT_EQ(e.skillInUse, &gSkills[c.skill]);
        }
        Script({});
    }
}

TEST_F(ControllerTest, AConfusedMemberHitsAnotherMemberOrAFoeNeverItselfAndMayGiveUp) {
    cFighter& a = Member(0);
    cFighter& b = Member(1);
    cFighter& foe = Enemy(0);
    a.status = kStConfusion;
    AutoBattle();
    // Own side drawn, itself picked; own side again, the other member.
    Script({1, 0, 1, 1});
    gBattleController.Update();
    // Someone holds a command: nobody else gets one.
    EXPECT_EQ(std::tuple(a.command, a.targets[0], b.attackedBy, b.command, foe.command),
              std::tuple(kCmdAttack, &b, &a, kCmdNone, kCmdNone));

    ResetBattleSides();
    Member(0).status = kStConfusion;
    cFighter& e = Enemy(0);
    AutoBattle();
    Script({2, 0});  // the other side, its only front fighter
    gBattleController.Update();
    EXPECT_EQ(gPartySide.fighters[0].targets[0], &e);

    // With nobody on the other side to hit it gives up and the next one tries.
    ResetBattleSides();
    Member(0).status = kStConfusion;  // a and b stand in the same slots again
    Enemy(0).status = kStDying;
    AutoBattle();
    std::vector<u32> draws;
    for (int k = 0; k < kPickTries; ++k) draws.insert(draws.end(), {1, 0});
    Script(draws);
    gBattleController.Update();
    EXPECT_EQ(std::tuple(ScriptUsed(), a.command, a.targets[0]),
              std::tuple(true, kCmdNone, kNobody));

    // An empty pick from the other side ends that fighter's try at once; the
    // next confused member draws its own side and hits the first.
    Member(1).status = kStConfusion;
    AutoBattle();
    Script({2, 1, 0});
    gBattleController.Update();
    EXPECT_EQ(std::tuple(ScriptUsed(), a.command, b.command, b.targets[0]),
              std::tuple(true, kCmdNone, kCmdAttack, &a));
}

TEST_F(ControllerTest, EnemiesWaitForThePlayerUnlessTheBattleRunsInRealTime) {
    SetBattleRandomSource(nullptr);
    InitRandom(7);
    for (u32 realTime : {0u, 1u}) {
        ResetBattleSides();
        cFighter& m = Member(0);
        cFighter& e = Enemy(0);
        gRealTimeBattle = realTime;
        gBattleController.Reset();
        for (int t = 0; t < 4; ++t) gBattleController.Update();
        EXPECT_EQ(std::tuple(gBattleController.menu.Current(), e.command, m.command),
                  std::tuple(&m, realTime ? kCmdAttack : kCmdNone, kCmdNone))
            << realTime;
    }
}

TEST_F(ControllerTest, TheAutoBattleKeyHandsTheFighterBetweenMenuAndPicker) {
    SetBattleRandomSource(nullptr);
    gKeyBindings[kKeyAutoAttack] = 30;
    auto press = [] {
        PlatformSetKey(30, true);
        gBattleKeys.Poll();
        gBattleController.Update();
        PlatformSetKey(30, false);
        gBattleKeys.Poll();
    };
    cFighter& m = Member(0);
    Member(1);
    Enemy(0).gauge = 0;
    gBattleController.Reset();
    gBattleController.Update();
    ASSERT_EQ(std::tuple(gBattleController.menu.Current(), m.IsGlowing()), std::tuple(&m, true));
    m.ordered = 1;
    press();
    u32 act = 0, action = 0;
    gBattleCursor.GetLook(&act, &action);
    EXPECT_EQ(std::tuple(gBattleController.autoBattle, gBattleController.menu.Current(),
                         m.IsGlowing(), m.ordered, act, LoggedBattleLines()),
              std::tuple(1, kNobody, false, 0, kCursorAutoAct,
                         std::vector<std::string>{B5("使用自動戰鬥...")}));
    // The picker took the member over and attacks with it on the next tick.
    gBattleController.Update();
    EXPECT_EQ(m.command, kCmdAttack);

    // With no foe left to hit, the picker still holds the next member when the key comes.
    m.command = kCmdNone;
    m.gauge = 0;
    gEnemySide.fighters[0].status = kStDying;
    cFighter& next = gPartySide.fighters[1];
    gBattleController.Update();
    ASSERT_EQ(gBattleController.partyPicker.Current(), &next);
    press();
    gBattleCursor.GetLook(&act, &action);
    EXPECT_EQ(
        std::tuple(gBattleController.autoBattle, gBattleController.partyPicker.Current(),
                   next.IsGlowing(), gBattleController.menu.Current(), act,
                   LoggedBattleLines().back()),
        std::tuple(0, kNobody, true, &next, kCursorLookAct, std::string(B5("取消自動戰鬥..."))));
}

using namespace sample_battle;

// FNV-1a over a tick: the canvas, the log's head line and every fighter's state.
struct TickHash {
    u64 h = 1469598103934665603ull;
    void Add(const void* p, size_t n) {
        const u8* b = static_cast<const u8*>(p);
        for (size_t i = 0; i < n; ++i) h = (h ^ b[i]) * 1099511628211ull;
    }
    template <class T>
    void Add(const T& v) {
        Add(&v, sizeof(v));
    }
};

u64 HashTick() {
    TickHash t;
    if (gPaintBuf) t.Add(gPaintBuf, 640 * 480 * sizeof(u16));
    if (const char* line = gBattleLog.HeadText()) t.Add(line, std::string(line).size());
    t.Add(gBattleLog.Count());
    for (const cBattleSide* side : {&gPartySide, &gEnemySide})
        for (int i = 0; i < side->count; ++i) {
            const cFighter& f = side->fighters[i];
            const i32 words[] = {f.hp, f.mp, f.gauge, f.action, f.step, f.command, f.x, f.z};
            t.Add(words);
            t.Add(f.status);
        }
    return t.h;
}

class AutoBattleTest : public ::testing::Test {
protected:
    void SetUp() override {
        h.WriteSample();
        h.StartGame();
    }
    // A fresh party of roles 0..members-1 fights battle n with auto battle on.
    BattlePhaseTicks Fight(u32 n, int members, u32 seed, std::vector<u64>* hashes = nullptr) {
        LoadGameDatabase(gBasePath);
        for (int k = 0; k < kPartySize; ++k) gFormation[k] = k < members ? k : -1;
        gScriptVars[0] = 1000;
        // The battle opens over the screen as it finds it, and the head starts
        // are shuffled on from the last battle's: the same screen and table each time.
        if (gPaintBuf) std::memset(gPaintBuf, 0, 640 * 480 * sizeof(u16));
        ResetBattleSides();
        InitRandom(seed);
        return RunBattle(
            n,
            [&](u32 phase, int tick) {
                if (phase == kPhaseOpening && tick == 15) gBattleController.autoBattle = 1;
                if (hashes) hashes->push_back(HashTick());
            },
            20000);
    }
    Harness h;
};

TEST_F(AutoBattleTest, TheSameSeedPlaysTheSameBattleTickForTick) {
    // What a battle leaves: its result, the money and each role's level, experience and HP.
    auto results = [](const BattlePhaseTicks& p) {
        std::vector<i64> v = {p.result, gScriptVars[0]};
        for (const RoleStats& s : gRoleStats) v.insert(v.end(), {s.level, s.exp, s.hp});
        return v;
    };
    std::vector<u64> first, again, other;
    const auto firstResults = results(Fight(kThreeFoes, 3, 42, &first));
    Fight(kLoneWolf, 6, 7);  // a battle between leaves nothing behind
    const auto againResults = results(Fight(kThreeFoes, 3, 42, &again));
    Fight(kThreeFoes, 3, 43, &other);
    ASSERT_GT(first.size(), 100u);
    EXPECT_EQ(first, again);
    EXPECT_EQ(firstResults, againResults);
    EXPECT_NE(first, other);
}

}  // namespace
