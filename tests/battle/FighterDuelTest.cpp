// Scripted duels with the sample acts: attacks, reactions, falls and poison, checked by tick.
#include "battle/DuelSupport.h"

namespace {

bool BothIdle(const cFighter& a, const cFighter& b) {
    return a.action == kStateWaiting && b.action == kStateWaiting && !a.HasCommand();
}

}  // namespace

// attack 100 against defence 50 with no variation: 100 - 50 x 73 / 100 = 64.
TEST_F(DuelTest, CloseAttackDealsTheWorkedDamageAndEveryoneGoesHome) {
    cFighter& p = Party();
    cFighter& e = Enemy();
    e.gauge = 0;
    Order(p, kCmdAttack, &e);
    Tick();  // waiting, step 0: the pose; the command is seen on the next tick
    Tick();
    EXPECT_EQ(p.action, kStateCloseAttack);
    EXPECT_EQ(e.gaugesFrozen, 1);
    EXPECT_EQ(p.gaugesFrozen, 1);
    EXPECT_EQ(e.attackedBy, &p);
    const int back = TickUntil([&] { return BothIdle(p, e) && p.x == p.homeX; });
    ASSERT_GT(back, 0);
    EXPECT_EQ(e.hp, 36);
    EXPECT_EQ(CountFloats(e, "-64"), 1u);
    EXPECT_TRUE(Lines().empty());  // a clean ordinary blow writes nothing
    EXPECT_EQ(e.attackedBy, nullptr);
    EXPECT_EQ(p.targets[0], nullptr);
    // Gauges run again, the attacker stands at home and its gauge restarts from its agility.
    EXPECT_EQ((std::vector<i32>{p.gaugesFrozen, e.gaugesFrozen, p.z - p.homeZ, p.gauge}),
              (std::vector<i32>{0, 0, 0, 10}));
}

TEST_F(DuelTest, CriticalStrikesTwiceAndOnlyTheFirstBlowMayBeEvaded) {
    cFighter& p = Party();
    cFighter& e = Enemy();
    e.hp = e.maxHp = 300;
    Queue(15, {1});   // critical
    Queue(100, {0});  // the first blow is evaded; the second is never rolled for
    Order(p, kCmdAttack, &e);
    ASSERT_GT(TickUntil([&] { return BothIdle(p, e) && p.x == p.homeX; }), 0);
    // Critical factor 45 + 100: 64 x 145 / 100 = 92, one blow only.
    EXPECT_EQ(e.hp, 300 - 92);
    EXPECT_EQ(CountFloats(e, "Miss"), 1u);
    EXPECT_EQ(Lines(), (std::vector<std::string>{Line("%s的奮力一擊...!", "P")}));
    size_t evadeRolls = 0;
    for (u32 n : DuelDraws::asked) evadeRolls += n == 100;
    EXPECT_EQ(evadeRolls, 2u);  // one evasion roll, one hit roll
}

TEST_F(DuelTest, GlancingBlowDoesAThirdAndAHolyBarrierBlocksTheNext) {
    cFighter& p = Party();
    cFighter& e = Enemy();
    Queue(100, {99, 99});  // not evaded; the hit roll fails
    Order(p, kCmdAttack, &e);
    ASSERT_GT(TickUntil([&] { return BothIdle(p, e); }), 0);
    EXPECT_EQ(e.hp, 100 - 64 / 3);
    EXPECT_EQ(Lines(), (std::vector<std::string>{Line("%s的攻擊打偏了...!", "P")}));
    EXPECT_EQ(p.hitRate, 90);  // a failed hit roll raises the rate by 10

    // A holy barrier blocks the next blow and uses a charge.
    ClearLoggedBattleLines();
    e.status = kStHolyBarrier;
    e.barrierCount = 2;
    Order(p, kCmdAttack, &e);
    ASSERT_GT(TickUntil([&] { return BothIdle(p, e); }), 0);
    EXPECT_EQ(e.hp, 100 - 64 / 3);
    EXPECT_EQ(e.barrierCount, 1);
    EXPECT_EQ(Lines(), (std::vector<std::string>{Line("神聖防壁阻擋攻擊...!")}));
}

TEST_F(DuelTest, ReflectSendsBackItsShareAndAnEnemyKilledByItFallsAtItsOwnStep) {
    cFighter& p = Party();
    cFighter& e = Enemy();
    p.reflect = 19;
    e.hp = 12;
    Order(e, kCmdAttack, &p);
    // 64 x 19 / 100 = 12 comes back and kills the attacker; the party member takes 52.
    ASSERT_GT(TickUntil([&] { return e.action == kStateFallen; }), 0);
    EXPECT_EQ(p.hp, 100 - 52);
    EXPECT_EQ(e.hp, 0);
    EXPECT_TRUE(e.IsDying());
    EXPECT_EQ(Lines().front(), Line("%s反彈%s部份的攻擊...!", "P", "E"));
    EXPECT_EQ(gEnemySide.expTotal, 20 + 0);  // its rewards: experience 20, level 1 not above 1
    EXPECT_EQ(gEnemySide.goldTotal, 7);
    ASSERT_GT(TickUntil([&] { return !e.IsTaken(); }), 0);  // faded out and reset
}

TEST_F(DuelTest, FallenEnemyWaitsForItsAttackerThenGivesRewardsAndResets) {
    cFighter& p = Party();
    cFighter& e = Enemy();
    e.hp = 10;
    bool fellEarly = false;
    Order(p, kCmdAttack, &e);
    const int t = TickUntil([&] {
        if (e.action == kStateFallen && p.action != kStateWaiting) fellEarly = true;
        return !e.IsTaken();
    });
    ASSERT_GT(t, 0);
    EXPECT_FALSE(fellEarly);
    EXPECT_EQ(gEnemySide.goldTotal, 7);
    EXPECT_EQ(gEnemySide.memberCount, 0);
    EXPECT_TRUE(gEnemySide.AllDown());
}

TEST_F(DuelTest, PoisonFollowsEveryCompletedActionOfAPoisonedFighter) {
    cFighter& p = Party();
    Enemy();
    p.status = kStPoison;
    RecordOf(true, 0).strength = 10;
    RecordOf(true, 0).stamina = 10;
    // Poison: (str 10 + magic 0 + agility 10) x max HP 100 / (5 x (10 + 10 + 10)) = 13.
    RecordOf(true, 0).agility = 10;
    RecordOf(true, 0).magic = 0;
    Order(p, kCmdDefend, nullptr);
    bool sawPoison = false;
    ASSERT_GT(TickUntil([&] {
                  sawPoison |= p.action == kStatePoison;
                  return sawPoison && p.action == kStateWaiting;
              }),
              0);
    EXPECT_EQ(p.hp, 87);
    EXPECT_EQ(p.defending, 1);
    EXPECT_EQ(Lines(), (std::vector<std::string>{Line("防禦")}));
}

TEST_F(DuelTest, TargetThatWinsItsCounterRollStrikesBackForHalf) {
    cFighter& p = Party();
    cFighter& e = Enemy();
    Queue(4, {1});  // the counter roll; agility 10 against 10 gives q = 100 + 6
    Order(e, kCmdAttack, &p);
    bool countered = false;
    ASSERT_GT(TickUntil([&] {
                  countered |= p.action == kStateCounter;
                  return countered && BothIdle(e, p) && e.x == e.homeX;
              }),
              0);
    EXPECT_EQ(p.hp, 36);
    EXPECT_EQ(e.hp, 100 - 64 / 2);
    EXPECT_EQ(p.countered, nullptr);
    EXPECT_EQ(e.counterAttacker, nullptr);
}

// Air raid: (agility 10 + attack 100) x 133 / 100 = 146 against (10 + 50) x 66 / 100 = 39.
TEST_F(DuelTest, AirRaidWithTooLittleMpStillStrikesAndLeavesMpAtZero) {
    cFighter& p = Party();
    cFighter& e = Enemy();
    RecordOf(true, 0).agility = 10;
    e.hp = e.maxHp = 300;
    p.mp = 3;
    Order(p, kCmdAirRaid, &e);
    ASSERT_GT(TickUntil([&] { return BothIdle(p, e) && p.y == p.homeY && p.x == p.homeX; }), 0);
    EXPECT_EQ(e.hp, 300 - 107);
    EXPECT_EQ(p.mp, 0);
    EXPECT_EQ(Lines(), (std::vector<std::string>{Line("空襲")}));
}

// A close attack on one of its own kind runs up the field (facing 4) from
// below the target and down it (5) from above, on either side; a foe is run
// at in the attacker's own facing.
TEST_F(DuelTest, RunTowardATargetFacesByTheirDepths) {
    struct Case {
        bool party;
        int from, to;  // slots; a higher slot stands lower (larger z)
        i32 run;
    } cases[] = {{true, 1, 0, 4}, {true, 0, 1, 5}, {false, 1, 0, 4}, {false, 0, 1, 5}};
    for (const Case& c : cases) {
        ResetBattleSides();
        ResetBattleSprites();
        cFighter& a = c.party ? Party(0) : Enemy(0);
        cFighter& b = c.party ? Party(1) : Enemy(1);
        c.party ? Enemy(0) : Party(0);
        cFighter& from = c.from == 0 ? a : b;
        cFighter& to = c.from == 0 ? b : a;
        Order(from, kCmdAttack, &to);
        ASSERT_GT(TickUntil([&] { return from.action == kStateCloseAttack && from.step == 1; }, 4),
                  0);
        EXPECT_EQ(from.anim.action, c.run) << c.party << c.from;
    }
    ResetBattleSides();
    cFighter& p = Party(0);
    cFighter& e = Enemy(0);
    Order(p, kCmdAttack, &e);
    ASSERT_GT(TickUntil([&] { return p.action == kStateCloseAttack && p.step == 1; }, 4), 0);
    EXPECT_EQ(p.anim.action, 4);
}
