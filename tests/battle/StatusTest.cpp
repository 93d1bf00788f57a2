// Status conditions: every start against every bit already set, the counters,
// cure, revive, the effect and on-hit codes and the per-turn tick; the turn
// gauge by condition, held by the freeze, and the waiting state that drives it.
#include <climits>

#include "FightTestSupport.h"
#include "data/Config.h"
#include "support/Harness.h"

namespace {

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
        cFighter& f = Fighter(0);
        std::string big5 = Utf8ToBig5("阿德");
        std::snprintf(Record(0).name, sizeof(Record(0).name), "%s", big5.c_str());
        return f;
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
            EXPECT_EQ(f.status, want) << std::hex << s.bit << " over " << before;
            EXPECT_EQ(LoggedBattleLines().size(), had ? 0u : 1u);
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
    EXPECT_EQ(LoggedBattleLines().size(), 1u);  // no end line for the haste it removed
    EXPECT_EQ(LoggedBattleLines()[0], Line("%s進入沉睡...", "阿德"));
    EXPECT_EQ((std::vector<i32>{f.hasteCount, f.gauge, f.ordered, f.command}),
              (std::vector<i32>{0, 0, 0, kCmdNone}));
    EXPECT_EQ(f.targets[0], nullptr);
    EXPECT_EQ(g.attackedBy, nullptr);

    // Put to sleep by its own all-allies skill: keeps command and targets.
    f.status = 0;
    f.SetAction(10, 3, 0);
    f.command = kCmdMagic;
    f.targets[0] = &g;
    g.attackedBy = &f;
    f.gauge = 255;
    f.StartParalysis();
    EXPECT_TRUE(f.IsParalysed());
    EXPECT_EQ(f.gauge, 0);
    EXPECT_EQ(f.command, kCmdMagic);
    EXPECT_EQ(f.targets[0], &g);

    f.ordered = 1;
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
    EXPECT_FALSE(f.IsBlessed());  // 3 ends on the fourth
    EXPECT_FALSE(f.IsSpellBanned());
    ClearLoggedBattleLines();
    f.TickStatusTurn();
    EXPECT_FALSE(f.IsHasted());
    EXPECT_EQ(f.hasteCount, 0);
    ASSERT_EQ(LoggedBattleLines().size(), 1u);
    EXPECT_EQ(LoggedBattleLines()[0], Line("%s的快速狀態解除!", "阿德"));

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
    for (int use = 0; use < 3; ++use) f.UseHolyBarrier();
    EXPECT_TRUE(f.HasHolyBarrier());
    f.UseHolyBarrier();
    EXPECT_FALSE(f.HasHolyBarrier());
}

TEST_F(Status, CureReviveAndTheEffectAndHitCodes) {
    cFighter& f = Named();
    f.status = 0;
    f.Cure();
    f.status = kStDying;
    f.Cure();
    EXPECT_EQ(f.status, kStDying);
    EXPECT_TRUE(LoggedBattleLines().empty());
    f.status = kStDying | kStPoison;
    f.ApplyEffectCode(1);
    EXPECT_EQ(f.status, kStDying);
    EXPECT_EQ(LoggedBattleLines().back(), Line("%s恢復正常狀態...", "阿德"));
    f.status = 0x7FFF;
    f.slowCount = f.weaknessCount = f.hasteCount = 2;
    f.Cure();
    EXPECT_EQ(f.status, 0x7FFFu & ~0x3E15u);  // haste, blessing, shields, barrier, dying stay
    EXPECT_EQ((std::vector<i32>{f.slowCount, f.weaknessCount, f.hasteCount}),
              (std::vector<i32>{0, 0, 2}));

    f.hp = 0;
    f.ApplyEffectCode(31);
    EXPECT_EQ(f.status, 0u);
    EXPECT_EQ(f.hp, 1);
    EXPECT_EQ(LoggedBattleLines().back(), Line("%s的瀕死解除...", "阿德"));

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
    EXPECT_EQ(f.status, 0x400u);
    EXPECT_EQ(f.hp, 0);
    for (i32 code : {0, 32, -1, INT_MIN, INT_MAX}) {
        f.status = 0x400;
        f.hp = 5;
        f.ApplyEffectCode(code);
        f.ApplyHitEffectCode(code);
        EXPECT_EQ(f.status, 0x400u);
        EXPECT_EQ(f.hp, 5);
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
    EXPECT_EQ(f.gauge, 255);
    EXPECT_EQ(f.hp, 185);
    EXPECT_FALSE(f.IsAsleep());
    EXPECT_EQ((std::vector<i32>{f.marks[0].on, f.marks[0].turnsLeft, f.marks[1].on}),
              (std::vector<i32>{1, 0, 0}));
    EXPECT_EQ(Floats(), (std::vector<std::pair<std::string, FloatKind>>{{"+35", kFloatHpRegen},
                                                                        {"+0", kFloatMpRegen}}));
    f.hp = 190;
    f.gauge = 254;
    f.StepGauge(false);
    EXPECT_EQ(f.hp, 200);  // cut at max
    f.hpRegen = INT_MAX;
    f.hpRegenPercent = INT_MAX;
    f.hp = 1;
    f.gauge = 254;
    f.StepGauge(false);
    EXPECT_EQ(f.hp, 200);
}

}  // namespace

TEST(FighterGauge, FrozenGaugeStandsTheFillTicksTheTurnAndWaitingFillsIt) {
    Harness h;
    cFighter f;
    f.Reset();
    f.status = kStHaste;
    f.hasteCount = 2;
    f.gauge = 250;
    f.gaugesFrozen = 1;
    EXPECT_FALSE(f.StepGauge(false));
    EXPECT_EQ(f.gauge, 250);
    f.gaugesFrozen = 0;
    EXPECT_TRUE(f.StepGauge(false));
    EXPECT_EQ(f.gauge, 255);
    EXPECT_EQ(f.hasteCount, 1);  // the turn's status tick ran once
    EXPECT_TRUE(f.StepGauge(false));
    EXPECT_EQ(f.hasteCount, 1);  // a full gauge only reports

    // The waiting state fills the gauge from fifty-one ticks after its first.
    gRealTimeBattle = 0;
    ResetBattleSides();
    cFighter& w = gPartySide.fighters[0];
    w.Reset();
    w.flags = cFighter::kInUse | cFighter::kTaken;
    w.kind = kKindParty;
    w.status = 0;
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
    EXPECT_EQ(full, 52);
    EXPECT_EQ(w.x, 400);
    EXPECT_EQ(w.z, 300);
    EXPECT_TRUE(w.CanAct());
}
