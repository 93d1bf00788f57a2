// Status conditions: every start against every bit already set, the timed
// counters, shields, cure, revive, the effect and on-hit codes, and the turn
// gauge's steps, fill and regeneration.
#include "support/BattleFixtures.h"

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

// The star and moon shields' four uses are played out in the action tests.
TEST_F(Status, AHolyBarrierOfThreeWorksFourTimes) {
    cFighter& f = Named();
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
        std::vector<u32> seen;
        for (auto [code, hit] :
             {std::pair(2 + k, false), {17 + k, false}, {1 + k, true}, {16 + k, true}}) {
            hit ? f.ApplyHitEffectCode(code) : f.ApplyEffectCode(code);
            seen.push_back(f.status);
        }
        EXPECT_EQ(seen, (std::vector<u32>{1u << k, 0, 1u << k, 0})) << k;
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
        EXPECT_EQ(std::tuple(f.StepGauge(false), f.gauge), std::tuple(false, 100 + c.gain))
            << c.status;
    }
    f.status = f.gauge = f.gaugeDelay = 0;
    std::vector<i32> gauges;
    for (int i = 0; i < 7; ++i) gauges.push_back((f.StepGauge(true), f.gauge));
    EXPECT_EQ(gauges, (std::vector<i32>{5, 5, 5, 10, 10, 10, 15}));
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

}  // namespace
