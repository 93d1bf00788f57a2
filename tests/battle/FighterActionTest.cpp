// Scripted duels with the sample acts, checked by tick: attacks, reactions,
// falls and poison; the command actions (theft, flight, capture, throw, magic,
// items, skill strikes and the transformation) with their bad inputs.
#include "support/BattleFixtures.h"

namespace {

bool BothIdle(const cFighter& a, const cFighter& b) {
    return a.action == kStateWaiting && b.action == kStateWaiting && !a.HasCommand();
}

bool Idle(const cFighter& f) {
    return f.action == kStateWaiting && !f.HasCommand() && f.x == f.homeX && f.y == f.homeY;
}

// The after-image that follows the fighter, if any.
const cAfterImage* TrailOf(const cFighter& f) {
    for (const cAfterImage& t : gAfterImages)
        if (t.Taken() && t.follows == &f) return &t;
    return nullptr;
}

std::vector<int> gActiveCalls;  // what the fighters told the controller (1 on, 0 off)

SkillData TestSkill(i32 target, i32 hpEffect, i32 special, i32 act = 7413) {
    return {.id = 13,
            .effectAct = act,
            .category = 1,
            .name = "S",
            .mpCost = 10,
            .effectMode = 1,
            .hp = hpEffect,
            .special = special,
            .target = target};
}

ItemData TestItem(i32 target, i32 act, i32 hpEffect, i32 status) {
    return {.effectAct = act,
            .useKind = 2,
            .castSkill = -1,
            .effectMode = 1,
            .hp = hpEffect,
            .statusEffect = status,
            .target = target};
}

// Attack 100 against defence 50 with no variation: 100 - 50 x 73 / 100 = 64.
class FighterActionTest : public DuelTest {
protected:
    void SetUp() override {
        DuelTest::SetUp();
        gActiveCalls.clear();
        gFighterController.setActive = [](bool on) { gActiveCalls.push_back(on ? 1 : 0); };
    }
    // Both sides empty again, with no sprite and no animation seen.
    static void Fresh() {
        ResetBattleSides();
        ResetBattleSprites();
        spawned.clear();
    }
    // The command given and carried out until the fighter stands idle at home again.
    bool Act(cFighter& f, i32 command, cFighter* target) {
        Order(f, command, target);
        return TickUntil([&] { return Idle(f); }, 600) > 0;
    }
    // Ticks until done holds on or after a tick on which seen held; whether that came.
    template <class S, class D>
    static bool TickUntilAfter(S seen, D done) {
        bool saw = false;
        return TickUntil([&] { return (saw |= seen()) && done(); }) > 0;
    }
};

TEST_F(FighterActionTest, CriticalStrikesTwiceAndOnlyTheFirstBlowMayBeEvaded) {
    auto [p, e] = Duel();
    e.hp = e.maxHp = 300;
    Queue(15, {1});   // critical
    Queue(100, {0});  // the first blow is evaded; the second is never rolled for
    Order(p, kCmdAttack, &e);
    ASSERT_GT(TickUntil([&] { return BothIdle(p, e) && p.x == p.homeX; }), 0);
    // Critical factor 45 + 100: 64 x 145 / 100 = 92, one blow only.
    // One evasion roll and one hit roll.
    EXPECT_EQ(std::tuple(e.hp, CountFloats(e, "Miss"), Lines(),
                         std::count(DuelDraws::asked.begin(), DuelDraws::asked.end(), 100u)),
              std::tuple(300 - 92, 1u, std::vector<std::string>{Line("%s的奮力一擊...!", "P")}, 2));
}

TEST_F(FighterActionTest, GlancingBlowDoesAThirdAndAHolyBarrierBlocksTheNext) {
    auto [p, e] = Duel();
    Queue(100, {99, 99});  // not evaded; the hit roll fails
    Order(p, kCmdAttack, &e);
    ASSERT_GT(TickUntil([&] { return BothIdle(p, e); }), 0);
    // A failed hit roll raises the rate by 10.
    EXPECT_EQ(
        std::tuple(e.hp, Lines(), p.hitRate),
        std::tuple(100 - 64 / 3, std::vector<std::string>{Line("%s的攻擊打偏了...!", "P")}, 90));

    // A holy barrier blocks the next blow and uses a charge.
    ClearLoggedBattleLines();
    e.status = kStHolyBarrier;
    e.barrierCount = 2;
    Order(p, kCmdAttack, &e);
    ASSERT_GT(TickUntil([&] { return BothIdle(p, e); }), 0);
    EXPECT_EQ(std::tuple(e.hp, e.barrierCount, Lines()),
              std::tuple(100 - 64 / 3, 1, std::vector<std::string>{Line("神聖防壁阻擋攻擊...!")}));
}

TEST_F(FighterActionTest, ReflectSendsBackItsShareAndAnEnemyKilledByItFallsAtItsOwnStep) {
    auto [p, e] = Duel();
    p.reflect = 19;
    e.hp = 12;
    Order(e, kCmdAttack, &p);
    // 64 x 19 / 100 = 12 comes back and kills the attacker; the party member takes 52.
    ASSERT_GT(TickUntil([&] { return e.action == kStateFallen; }), 0);
    // Its rewards: experience 20 (level 1 not above 1) and 7 gold.
    EXPECT_EQ(std::tuple(p.hp, e.hp, e.IsDying(), Lines().front(), gEnemySide.expTotal,
                         gEnemySide.goldTotal),
              std::tuple(100 - 52, 0, true, Line("%s反彈%s部份的攻擊...!", "P", "E"), 20 + 0, 7));
    ASSERT_GT(TickUntil([&] { return !e.IsTaken(); }), 0);  // faded out and reset
}

TEST_F(FighterActionTest, FallenEnemyWaitsForItsAttackerThenGivesRewardsAndResets) {
    auto [p, e] = Duel();
    e.hp = 10;
    bool fellEarly = false;
    Order(p, kCmdAttack, &e);
    ASSERT_GT(TickUntil([&] {
                  fellEarly |= e.action == kStateFallen && p.action != kStateWaiting;
                  return !e.IsTaken();
              }),
              0);
    EXPECT_EQ(
        std::tuple(fellEarly, gEnemySide.goldTotal, gEnemySide.memberCount, gEnemySide.AllDown()),
        std::tuple(false, 7, 0, true));
}

TEST_F(FighterActionTest, PoisonFollowsEveryCompletedActionOfAPoisonedFighter) {
    cFighter& p = Party();
    Enemy();
    p.status = kStPoison;
    // Poison: (str 10 + magic 0 + agility 10) x max HP 100 / (5 x (10 + 10 + 10)) = 13.
    MonsterData& m = RecordOf(true, 0);
    m.strength = m.stamina = m.agility = 10;
    Order(p, kCmdDefend, nullptr);
    ASSERT_TRUE(TickUntilAfter([&] { return p.action == kStatePoison; },
                               [&] { return p.action == kStateWaiting; }));
    EXPECT_EQ(std::tuple(p.hp, p.defending, Lines()),
              std::tuple(87, 1, std::vector<std::string>{Line("防禦")}));
}

// The counter's 64 is halved; a star shield on the attacker halves the blow
// before that (64 / 2 / 2) and wears by a charge, with its line and animation.
TEST_F(FighterActionTest, TargetThatWinsItsCounterRollStrikesBackForHalf) {
    for (bool star : {false, true}) {
        Fresh();
        auto [p, e] = Duel();
        if (star) e.StartStarShield();
        ClearLoggedBattleLines();
        Queue(4, {1});  // the counter roll; agility 10 against 10 gives q = 100 + 6
        Order(e, kCmdAttack, &p);
        ASSERT_TRUE(TickUntilAfter([&] { return p.action == kStateCounter; },
                                   [&] { return BothIdle(e, p) && e.x == e.homeX; }));
        const std::vector<std::string> lines =
            star ? std::vector<std::string>{Line("星星之盾抵消一半的攻擊力!")}
                 : std::vector<std::string>{};
        EXPECT_EQ(std::tuple(p.hp, e.hp, p.countered, e.counterAttacker),
                  std::tuple(36, star ? 100 - 64 / 4 : 100 - 64 / 2, kNobody, kNobody));
        EXPECT_EQ(std::tuple(e.starCount, Spawned(kAnimStarShield), Lines()),
                  std::tuple(star ? 2 : 0, star ? 1u : 0u, lines));
    }
}

// Each command played out against the other side's slot 0: the target's HP
// and the number shown, the attacker's MP, the log, and the trail the attacker
// drew (its tint word and copies); then the gauges run again, the links are
// gone (the target lets go once it waits), the attacker stands at home and its
// gauge restarts from its agility. A blow: attack 100 against defence 50 with
// no variation, 100 - 50 x 73 / 100 = 64, and a clean ordinary one writes
// nothing. Air raid: (agility 10 + attack 100) x 133 / 100 = 146 against
// (10 + 50) x 66 / 100 = 39, and its 5 MP stop at 0. A throw: strength 0 + 20.
// The spell: its 30 for 10 MP. A theft: 5 MP, and nothing to find.
TEST_F(FighterActionTest, EachCommandPlaysOutAndEveryoneGoesHome) {
    struct Case {
        bool party;
        i32 command, state, mp, hp, wantHp, wantMp;
        std::vector<std::string> lines;
        u32 tint;
        i32 copies;
    };
    const std::vector<std::string> nothing = {Line("偷竊"), Line("%s沒有任何物品...!", "E")};
    const Case cases[] = {
        {true, kCmdAttack, kStateCloseAttack, 50, 100, 36, 50, {}, 0, 3},
        {false, kCmdAttack, kStateCloseAttack, 50, 100, 36, 50, {}, 0, 0},
        {true, kCmdAirRaid, kStateAirRaid, 3, 300, 300 - 107, 0, {Line("空襲")}, 0x100007, 5},
        {true, kCmdThrow, kStateThrow, 50, 100, 80, 50, {}, 0x100007, 5},
        {true, kCmdMagic, kStateMagic, 50, 100, 70, 40, {"S"}, 0x100007, 3},
        {true, kCmdTheft, kStateTheft, 50, 100, 100, 45, nothing, 0xF0008, 5},
    };
    const SkillData sk = TestSkill(3, -30, 0);
    for (const Case& c : cases) {
        Fresh();
        auto [p, e] = Duel();
        cFighter& f = c.party ? p : e;
        cFighter& t = c.party ? e : p;
        EquipageData piece{.id = 3, .throwValue = 20};
        f.mp = c.mp;
        t.hp = t.maxHp = c.hp;
        f.skillInUse = &sk;
        if (c.command == kCmdThrow) f.thrownPiece = &piece;
        ClearLoggedBattleLines();
        Order(f, c.command, &t);
        Tick();  // waiting, step 0: the pose; the command is seen on the next tick
        Tick();
        EXPECT_EQ(std::tuple(f.action, f.gaugesFrozen, t.gaugesFrozen, t.attackedBy),
                  std::tuple(c.state, 1, 1, &f));
        std::pair<u32, i32> trail{0, 0};
        i32 gauge = -1;  // as the attacker first stands idle
        ASSERT_GT(TickUntil(
                      [&] {
                          const cAfterImage* a = TrailOf(f);
                          if (a && trail.second == 0) trail = {a->tint, a->count};
                          if (Idle(f) && gauge < 0) gauge = f.gauge;
                          return Idle(f) && t.action == kStateWaiting && !t.attackedBy;
                      },
                      600),
                  0);
        SCOPED_TRACE(testing::Message() << c.party << " " << c.command);
        const std::string shown = std::to_string(c.wantHp - c.hp);  // "-64"
        EXPECT_EQ(std::tuple(t.hp, CountFloats(t, shown.c_str()), f.mp, Lines(), trail),
                  std::tuple(c.wantHp, c.hp > c.wantHp ? 1u : 0u, c.wantMp, c.lines,
                             std::pair(c.tint, c.copies)));
        EXPECT_EQ(std::tuple(f.gaugesFrozen, t.gaugesFrozen, f.targets[0], f.z - f.homeZ, gauge,
                             f.thrownPiece, piece.id),
                  std::tuple(0, 0, kNobody, 0, 10, static_cast<EquipageData*>(nullptr),
                             c.command == kCmdThrow ? -1 : 3));
    }
}

// The raider comes down one line from its height (y -800 over home, 440 and
// 300) to where a close attack stands, and goes home one line from y -700 over
// that point. On a line whose longest axis is y, x and z have moved by their
// distance x the y travelled / the y distance, rounded down.
TEST_F(FighterActionTest, AirRaidComesDownAndGoesHomeAlongLines) {
    auto [p, e] = Duel();
    e.hp = e.maxHp = 300;  // it outlives the strike
    Order(p, kCmdAirRaid, &e);
    std::vector<std::array<i32, 3>> down, home;
    i32 ax = 0, az = 0;  // the approach point as the raider starts down
    ASSERT_GT(TickUntil([&] {
                  if (p.action == kStateAirRaid && p.subStep == 2 && p.step != 4)
                      (p.step == 3 ? down : home).push_back({p.x, p.y, p.z});
                  if (down.size() == 1 && home.empty()) ApproachPoint(p, e, &ax, &az);
                  return BothIdle(p, e) && p.y == p.homeY && p.x == p.homeX;
              }),
              0);
    ASSERT_TRUE(down.size() > 10 && home.size() > 10);
    EXPECT_EQ(std::tuple(down.back(), home.back()),
              std::tuple(std::array<i32, 3>{ax, 0, az}, std::array<i32, 3>{440, 0, 300}));
    auto along = [](std::array<i32, 3> from, std::array<i32, 3> to, std::array<i32, 3> q) {
        const i32 k = std::abs(q[1] - from[1]), dy = std::abs(to[1] - from[1]);
        for (int i : {0, 2})
            q[i] = from[i] + (to[i] < from[i] ? -1 : 1) * (k * std::abs(to[i] - from[i]) / dy);
        return q;
    };
    for (const auto& q : down) EXPECT_EQ(q, along({440, -800, 300}, down.back(), q)) << q[1];
    for (const auto& q : home) EXPECT_EQ(q, along({ax, -700, az}, {440, 0, 300}, q)) << q[1];
}

// A close attack on one of its own kind runs up the field (facing 4) from
// below the target and down it (5) from above, on either side; a foe is run
// at in the attacker's own facing.
TEST_F(FighterActionTest, RunTowardATargetFacesByTheirDepths) {
    struct Case {
        bool party;
        int from, to;  // slots; a higher slot stands lower (larger z)
        i32 run;
        bool foe = false;  // the party's slot 0 runs at the enemy's slot 0
    } cases[] = {{true, 1, 0, 4},
                 {true, 0, 1, 5},
                 {false, 1, 0, 4},
                 {false, 0, 1, 5},
                 {true, 0, 0, 4, true}};
    for (const Case& c : cases) {
        Fresh();
        cFighter& a = c.party ? Party(0) : Enemy(0);
        cFighter& b = c.foe ? Enemy(0) : c.party ? Party(1) : Enemy(1);
        if (!c.foe) c.party ? Enemy(0) : Party(0);
        cFighter& from = c.from == 0 ? a : b;
        cFighter& to = c.foe ? b : c.from == 0 ? b : a;
        Order(from, kCmdAttack, &to);
        ASSERT_GT(TickUntil([&] { return from.action == kStateCloseAttack && from.step == 1; }, 4),
                  0);
        EXPECT_EQ(from.anim.action, c.run) << c.party << c.from << c.foe;
    }
}

// d = half the target's cell width - half its own - the target's hit x + its
// own hit x - its own x offset + the target's x offset - its own monster dx +
// the target's monster dx (none on the party side); it stands at
// (target x - d, target z - d x 55 / 100).
TEST_F(FighterActionTest, CloseActionsStandAtTheApproachPoint) {
    const struct Case {
        bool partyAttacks;
        u32 monster;
        std::array<i32, 3> own, target;  // cell width, hit x, x offset
        i32 x, z;
    } cases[] = {
        // At monster 44 (dx -12), x 200, z 200: d = 48 - 16 - 20 + 10 - 2 + 4 - 12 = 12.
        {true, 44, {2, 10, 2}, {6, 20, 4}, 200 - 12, 200 - 660 / 100},
        // Monster 3 (dx 2) at x 440, z 300: d = 16 - 32 - 10 + 8 - 6 + 2 - 2 = -24.
        {false, 3, {4, 8, 6}, {2, 10, 2}, 440 + 24, 300 + 1320 / 100},
    };
    for (const Case& c : cases) {
        Fresh();
        auto [p, e] = Duel();
        e.pic = c.monster;
        cFighter& own = c.partyAttacks ? p : e;
        cFighter& target = c.partyAttacks ? e : p;
        for (auto [a, v] : {std::pair(&own.anim, c.own), std::pair(&target.anim, c.target)})
            std::tie(a->cellW, a->hitX, a->xOff) =
                std::tuple(static_cast<u32>(v[0]), static_cast<i16>(v[1]), v[2]);
        i32 x = 0, z = 0;
        ApproachPoint(own, target, &x, &z);
        EXPECT_EQ(std::pair(x, z), std::pair(c.x, c.z)) << c.partyAttacks;
    }
}

// Slot 0 comes back to life; slot 2 is still down. From the front row every
// living member goes back to its home row and the front is counted anew; from
// the back row it joins the front only where a living member of the back row
// already stands there.
TEST_F(FighterActionTest, RevivedMemberSettlesItsRowAndTheFrontCount) {
    const struct Case {
        std::array<i32, 3> homeRow, row;
        i32 front;
        std::array<i32, 3> wantRow;
        i32 wantFront;
    } cases[] = {
        {{1, 2, 1}, {2, 1, 1}, 5, {1, 2, 1}, 1},
        {{2, 2, 2}, {2, 1, 2}, 1, {1, 1, 2}, 2},
        {{2, 1, 2}, {1, 1, 1}, 1, {2, 1, 1}, 1},
    };
    for (const Case& c : cases) {
        Fresh();
        Enemy();
        cFighter* m[3] = {&Party(0), &Party(1), &Party(2)};
        for (int i = 0; i < 3; ++i)
            std::tie(m[i]->homeRow, m[i]->row) = std::tuple(c.homeRow[i], c.row[i]);
        for (int i : {0, 2}) {
            m[i]->hp = 0;
            m[i]->status = kStDying;
            m[i]->SetAction(kStateFallen, 1, 0);
        }
        gPartySide.frontCount = c.front;
        gPartySide.memberCount = 1;
        m[0]->hp = 10;
        m[0]->status = 0;
        Tick();
        EXPECT_EQ(std::tuple(m[0]->action, m[0]->drawClass, gPartySide.memberCount,
                             std::array{m[0]->row, m[1]->row, m[2]->row}, gPartySide.frontCount),
                  std::tuple(kStateWaiting, kClassOrdinary, 2, c.wantRow, c.wantFront))
            << c.homeRow[0] << c.row[1];
    }
}

// The first tick of a reaction sets its line and trail, the next makes the
// first steps. Back is +x and +z for the party, -x and -z for the enemies;
// z moves once per dx / dz steps in x (7 x 27 / 50 = 3, 4 x 11 / 20 = 2,
// 4 x 5 / 10 = 2). A dodge is home 8 ticks after its first steps (7 x 7 = 49,
// 1, then the arrival is seen); a hit when its animation ends.
TEST_F(FighterActionTest, ReactionsMoveBackTheirDistanceAtTheirSpeed) {
    const struct Case {
        bool party;
        i32 state, defending;
        i32 dx, dz, stepX, stepZ;
        u32 tint;
        i32 copies, homeIn;
    } cases[] = {
        {true, kStateDodge, 0, 50, 27, 7, 3, 0x100007, 5, 8},
        {false, kStateDodge, 0, -50, -27, -7, -3, 0x100007, 5, 8},
        {true, kStateHit, 0, 20, 11, 4, 2, 0, 0, 0},
        {false, kStateHit, 0, -20, -11, -4, -2, 0, 0, 0},
        {true, kStateHit, 1, 10, 5, 4, 2, 0, 0, 0},
        {false, kStateHit, 1, -10, -5, -4, -2, 0, 0, 0},
    };
    for (const Case& c : cases) {
        Fresh();
        auto [p, e] = Duel();
        cFighter& f = c.party ? p : e;
        f.defending = c.defending;
        EnterReaction(f, c.state);
        Tick();
        const std::pair<i32, i32> line{f.move.targetX - f.homeX, f.move.targetZ - f.homeZ};
        const cAfterImage* trail = TrailOf(f);
        Tick();
        EXPECT_EQ(std::tuple(line, std::pair(f.x - f.homeX, f.z - f.homeZ),
                             trail ? trail->tint : 0u, trail ? trail->count : 0),
                  std::tuple(std::pair(c.dx, c.dz), std::pair(c.stepX, c.stepZ), c.tint, c.copies))
            << c.party << c.state << c.defending;
        const int back = TickUntil([&] { return f.action == kStateWaiting; });
        ASSERT_GT(back, 0);
        if (c.homeIn) {
            EXPECT_EQ(back, c.homeIn);
        }
        EXPECT_EQ(std::pair(f.x, f.z), std::pair(f.homeX, f.homeZ));
    }
}

TEST_F(FighterActionTest, TheftTakesTheItemOnceAndThenFindsNothing) {
    auto [p, e] = Duel();
    RecordOf(false, 0).theftItem = 0;  // the sample's first item
    e.theftRate = 40;
    p.mp = 3;  // the fixed cost of 5 stops at 0
    gOwnedItems[0] = 2;
    Queue(100, {0});  // 0 < 40: stolen
    ASSERT_TRUE(Act(p, kCmdTheft, &e));
    // The theft's animation played on the target.
    EXPECT_EQ(std::tuple(gOwnedItems[0], p.mp, e.theftRate, Spawned(kAnimTheft)),
              std::tuple(3, 0, 0, 1u));
    const ItemData* item = GetItemRecord(0);
    const std::string name = Big5ToUtf8({item->name, strnlen(item->name, sizeof(item->name))});
    EXPECT_EQ(Lines(), (std::vector<std::string>{Line("偷竊"), Line("得到%s...!", name.c_str())}));

    // Nothing left, or an item number past the table: nothing to find.
    for (i32 item : {0, 100000}) {
        RecordOf(false, 0).theftItem = item;
        e.theftRate = item ? 40 : 0;
        Queue(100, {0});
        ASSERT_TRUE(Act(p, kCmdTheft, &e));
        EXPECT_EQ(std::tuple(gOwnedItems[0], Lines().back()),
                  std::tuple(3, Line("%s沒有任何物品...!", "E")))
            << item;
    }
}

TEST_F(FighterActionTest, FailedFlightRaisesTheRateAndASuccessfulOneRunsOffTheField) {
    auto [p, q] = Members();
    ASSERT_TRUE(Act(p, kCmdFlee, nullptr));
    EXPECT_EQ(std::tuple(p.fleeRate, gPartySide.fleeFlag, Lines().back()),
              std::tuple(30, 0, Line("逃跑失敗...!")));
    ClearLoggedBattleLines();
    p.fleeRate = 60;  // 50 <= 60
    Order(p, kCmdFlee, nullptr);
    ASSERT_GT(TickUntil([&] { return p.action == kStateFlee && p.step == 3; }), 0);
    EXPECT_EQ(std::tuple(q.action, q.command, gPartySide.fleeFlag, gActiveCalls, Lines()),
              std::tuple(kStateFlee, kCmdFlee, 1, std::vector<int>{0},
                         std::vector<std::string>{Line("%s逃跑...!", "P")}));
    // The party runs off to the right, deeper as it goes.
    EXPECT_GT(TickUntil([&] { return p.x == 700; }, 200), 0);
    EXPECT_EQ(p.z, 300 + (700 - 440) * 55 / 100);

    // An enemy at (200, 200) runs off left to x -100 and up the field by
    // 300 x 55 / 100 = 165; it leaves without rewards, and the last enemy to
    // go stops the controller.
    for (int enemies : {1, 2}) {
        Fresh();
        gActiveCalls.clear();
        cFighter& m = Party();
        cFighter& e = Enemy(0);
        if (enemies == 2) Enemy(1);
        e.fleeRate = 60;
        Order(e, kCmdFlee, nullptr);
        std::pair<i32, i32> last;
        ASSERT_GT(TickUntil([&] {
                      if (e.IsTaken()) last = {e.x, e.z};
                      return !e.IsTaken();
                  }),
                  0);
        EXPECT_EQ(std::tuple(last, gEnemySide.expTotal, gEnemySide.goldTotal,
                             gEnemySide.memberCount, m.gaugesFrozen, gActiveCalls),
                  std::tuple(std::pair(-100, 35), 0, 0, enemies - 1, 0,
                             enemies == 1 ? std::vector<int>{0} : std::vector<int>{}))
            << enemies;
    }
}

TEST_F(FighterActionTest, CaptureShrinksForTwentyFiveTicksAndHalvesTheExperience) {
    auto [p, e] = Duel();
    gDevCaptureAlways = 1;
    gOwnedMonsters[5] = 0;
    Order(p, kCmdCapture, &e);
    ASSERT_GT(TickUntil([&] { return e.shrinkOn != 0; }), 0);
    std::vector<i32> shrink;
    while (e.IsTaken() && shrink.size() < 100) {
        Tick();
        if (e.IsTaken()) shrink.push_back(e.shrinkAmount);
    }
    ASSERT_GE(shrink.size(), 25u);
    for (size_t k = 0; k < 25; ++k) EXPECT_EQ(shrink[k], 40 * static_cast<i32>(k + 1));
    // Experience 20 halved, no gold.
    EXPECT_EQ(std::tuple(shrink.back(), gOwnedMonsters[5], gEnemySide.expTotal,
                         gEnemySide.goldTotal, Lines().back()),
              std::tuple(1000, 1, 10, 0, Line("捕捉%s成功...!", "E")));
    ASSERT_GT(TickUntil([&] { return Idle(p); }, 600), 0);
    // The orb on the target, then the one that flies home.
    EXPECT_EQ(std::tuple(Spawned(kAnimCaptureOrb), Spawned(kAnimTheft)), std::tuple(2u, 0u));
}

TEST_F(FighterActionTest, AllFoesMagicRollsForEachTarget) {
    cFighter& p = Party();
    cFighter& e0 = Enemy(0);
    cFighter& e1 = Enemy(1);
    const SkillData sk = TestSkill(4, -30, 0);
    p.skillInUse = &sk;
    p.targets[1] = &e1;
    Queue(100, {10, 90});  // at most 30 resists: the first does, the second is struck
    Order(p, kCmdMagic, &e0);
    // The effect's flash (event 0x8000) shakes the scene with no count of
    // ticks: the shake runs until the effect is gone.
    ASSERT_GT(TickUntil([&] { return p.action == kStateMagic && p.step == 3; }), 0);
    ASSERT_NE(p.skillAnim, nullptr);
    p.skillAnim->anim.event |= 0x8000;
    Tick();
    for (int t = 0; t < 100; ++t) gBattleScene.Tick();
    const bool shaking = gBattleScene.Shaking();
    ASSERT_GT(TickUntil([&] { return Idle(p); }), 0);
    EXPECT_EQ(std::tuple(shaking, gBattleScene.Shaking()), std::tuple(true, false));
    EXPECT_EQ(std::tuple(e0.hp, e1.hp, CountFloats(e0, "Miss")), std::tuple(100, 70, 1u));
}

TEST_F(FighterActionTest, SunShieldMakesTheCasterPayAndDrainHealsIt) {
    struct Case {
        u32 status;
        i32 special, casterHp, targetAfter, casterAfter;
    } cases[] = {
        {kStSunShield, 0, 100, 85, 85},  // 30 halved, and the caster takes the other half
        {0, 5, 50, 70, 80},              // the drain gives the caster what the target lost
    };
    for (const Case& c : cases) {
        Fresh();
        cFighter& p = Party();
        cFighter& e = Enemy();
        e.status = c.status;
        e.sunCount = c.status ? 1 : 0;
        p.hp = c.casterHp;
        const SkillData sk = TestSkill(3, -30, c.special);
        p.skillInUse = &sk;
        Queue(100, {90});
        ASSERT_TRUE(Act(p, kCmdMagic, &e));
        EXPECT_EQ(std::tuple(e.hp, p.hp, e.sunCount, Spawned(kAnimSunShield)),
                  std::tuple(c.targetAfter, c.casterAfter, 0, c.status ? 1u : 0u))
            << c.special;
    }
}

// Five uses of a skill at a shield started with 3: halved four times, each
// with its line, animation and charge, the fourth use ending the shield. A moon
// shield halves spells of 120 (magic 50, power 80: 150 x 50 x 80 / 5000); a
// star shield physical skills of power 150 from attack 100 and strength 40
// against stamina 20: (40 - 20 + 100) x 15000 / 10000 = 180, struck at one foe
// or cast at all foes alike. The cast writes the skill's name; the strike does not.
TEST_F(FighterActionTest, ShieldsHalveFourSkillsThenEnd) {
    const struct Case {
        bool moon;
        i32 command, target, category, power, full;
    } cases[] = {
        {true, kCmdMagic, 3, 1, 80, 120},
        {false, kCmdSkillStrike, 3, 0, 150, 180},
        {false, kCmdMagic, 4, 0, 150, 180},
    };
    for (const Case& c : cases) {
        Fresh();
        auto [p, e] = Duel();
        RecordOf(true, 0).strength = 40;
        RecordOf(true, 0).magic = 50;  // the magic hit roll never misses
        RecordOf(false, 0).stamina = 20;
        e.hp = e.maxHp = 1000;
        c.moon ? e.StartMoonShield() : e.StartStarShield();
        ClearLoggedBattleLines();
        SkillData sk = TestSkill(c.target, 0, 0);
        sk.category = c.category;
        sk.power = c.power;
        sk.mpCost = 0;
        std::vector<i32> taken;
        for (int use = 0; use < 5; ++use) {
            const i32 before = e.hp;
            p.skillInUse = &sk;
            ASSERT_TRUE(Act(p, c.command, &e)) << use;
            taken.push_back(before - e.hp);
        }
        const i32 half = c.full / 2;
        EXPECT_EQ(taken, (std::vector<i32>{half, half, half, half, c.full})) << c.moon << c.command;
        const std::string halved =
            c.moon ? Line("月亮之盾抵消一半的魔法傷害!") : Line("星星之盾抵消一半的攻擊力!");
        std::vector<std::string> want;
        for (int use = 0; use < 5; ++use) {
            if (c.command == kCmdMagic) want.push_back("S");
            if (use < 4) want.push_back(halved);
        }
        want.insert(want.end() - (c.command == kCmdMagic ? 1 : 0),
                    c.moon ? Line("%s的月亮之盾解除!", "E") : Line("%s的星星之盾解除!", "E"));
        EXPECT_EQ(Lines(), want) << c.moon << c.command;
        EXPECT_EQ(std::tuple(Spawned(c.moon ? kAnimMoonShield : kAnimStarShield),
                             c.moon ? e.HasMoonShield() : e.HasStarShield()),
                  std::tuple(4u, false));
    }
}

// An offensive item's warning: the first foe may slip it by the item hit roll,
// which moves the magic evasion rate and leaves the evasion of blows alone.
TEST_F(FighterActionTest, ItemWarningIsEvadedByTheItemHitRoll) {
    auto [p, e] = Duel();
    e.magicEvasionRate = 60;
    const ItemData it = TestItem(3, 7246, -20, 0);
    p.itemInUse = &it;
    // At 0x4: 50 <= 60 slips it (rate back to 30); at 0x1: 50 <= 30 fails and
    // the item lands (rate 40).
    Queue(100, {50, 50});
    Order(p, kCmdItem, &e);
    ASSERT_TRUE(TickUntilAfter([&] { return e.action == kStateDodge; }, [&] { return Idle(p); }));
    EXPECT_EQ(std::tuple(e.evasionRate, e.magicEvasionRate, e.hp), std::tuple(30, 40, 80));
}

TEST_F(FighterActionTest, ADyingMemberRefusesTheTransformAndIsRevivedByAnItemWithNoAct) {
    auto [p, q] = Members();
    q.hp = 0;
    q.status = kStDying;
    q.SetAction(kStateFallen, 1, 0);
    MonsterData form = RecordOf(false, 5);
    p.formToAdd = &form;
    ASSERT_TRUE(Act(p, kCmdTransform, nullptr));
    EXPECT_EQ(std::tuple(Lines().back(), gPartySide.count, p.IsTaken()),
              std::tuple(Line("有伙伴死亡,變身失敗...!"), 2, true));

    const ItemData it = TestItem(1, 0, 0, 31);
    p.itemInUse = &it;
    ASSERT_TRUE(Act(p, kCmdItem, &q));
    // Act 8082 played without being written back.
    EXPECT_EQ(std::tuple(q.hp, q.status, it.effectAct), std::tuple(1, 0u, 0));
    ASSERT_GT(TickUntil([&] { return q.action == kStateWaiting; }), 0);
}

TEST_F(FighterActionTest, SleepItemOnAllAlliesPutsItsUserToSleepAndStillFinishes) {
    auto [p, q] = Members();
    cFighter& e = gEnemySide.fighters[0];
    const ItemData it = TestItem(2, 7301, 0, 2);
    p.itemInUse = &it;
    p.targets[1] = &q;
    ASSERT_TRUE(Act(p, kCmdItem, &p));
    // Its targets are let go.
    EXPECT_EQ(
        std::tuple(p.IsAsleep(), q.IsAsleep(), p.gaugesFrozen + q.gaugesFrozen + e.gaugesFrozen,
                   std::ranges::count(p.targets, nullptr)),
        std::tuple(true, true, 0, std::ssize(p.targets)));
}

TEST_F(FighterActionTest, SkillStrikeAlternatesItsTwoAnimations) {
    auto [p, e] = Duel();
    // A long effect; its poison code and power-up special are not the strike's.
    SkillData sk = TestSkill(3, -10, 7, kAnimCaptureOrb);
    sk.statusEffect = 12;
    p.skillInUse = &sk;
    Queue(100, {95});  // above 30 + 60 for the effect code: struck
    Order(p, kCmdSkillStrike, &e);
    std::vector<i32> actions;
    ASSERT_GT(TickUntil(
                  [&] {
                      if (p.action == kStateSkillStrike && p.step == 2 &&
                          (actions.empty() || actions.back() != p.anim.action))
                          actions.push_back(p.anim.action);
                      return Idle(p);
                  },
                  800),
              0);
    ASSERT_GE(actions.size(), 3u);
    const i32 facing = p.facing;
    for (size_t k = 1; k < actions.size(); ++k) {
        EXPECT_NE(actions[k], actions[k - 1]);
        EXPECT_TRUE(actions[k] == facing + 48 || actions[k] == facing + 56);
    }
    EXPECT_EQ(std::tuple(e.hp, e.status, e.powerUp, p.mp), std::tuple(90, 0u, 0, 40));
}

TEST_F(FighterActionTest, TransformAddsTheFormAndItsEndWritesTheOfferingBack) {
    auto [p, q] = Members();
    MonsterData form{};
    form.index = 2;
    form.act = 3005;
    form.maxHp = form.hp = 100;
    form.offerValue = 33;
    p.formToAdd = &form;
    Order(p, kCmdTransform, nullptr);
    ASSERT_GT(TickUntil([&] { return gPartySide.count == 3; }), 0);
    cFighter& g = gPartySide.fighters[2];
    EXPECT_TRUE(g.IsAdded());
    // The form fades in: a body pixel drawn over black at blend levels 2, 3, ...
    // 15 (its first tick already ran), then plain. The figure's body covers
    // the middle column of its 32x48 frame 24 rows above the feet (row 24).
    for (int level = 2; level <= 16; ++level) {
        ASSERT_EQ(g.flashCounter, level < 16 ? level : 0) << level;
        FillSurface(gDrawSurface, 0);
        cFighter::DrawSprite(g);
        const u16 body = PlainColourAt(g.anim.pic, g.anim.frame, 16, 24);
        ASSERT_NE(body, 0);
        EXPECT_EQ(*PaintPixelAddr(g.x, g.z - 24), level < 16 ? BlendRef(body, 0, level) : body)
            << level;
        Tick();
    }
    EXPECT_EQ(std::tuple(p.IsTaken(), q.IsTaken(), p.hp, gPartySide.creatureInControl),
              std::tuple(false, false, 1, 1));
    gGodForms[2].offerValue = 0;
    Order(g, kCmdEndTransform, nullptr);
    g.SetAction(kStateWaiting, 1, 0);
    ASSERT_GT(TickUntil([&] { return !g.IsTaken(); }), 0);
    EXPECT_EQ(std::tuple(gGodForms[2].offerValue, p.IsTaken(), q.IsTaken(), gPartySide.count,
                         gPartySide.creatureInControl, gActiveCalls),
              std::tuple(33, true, true, 2, 0, std::vector<int>{0, 1}));
}

TEST_F(FighterActionTest, CloseAttackOnAnEmptyFrontRowWaitsWithoutHarmAndEndlessActsEnd) {
    auto [p, e] = Duel();
    e.row = 2;
    gEnemySide.frontCount = 0;
    e.hp = 0;
    e.status = kStDying;
    Order(p, kCmdAttack, &e);
    for (int t = 0; t < 30; ++t) Tick();
    EXPECT_EQ(std::tuple(p.action, p.step, p.x), std::tuple(kStateCloseAttack, 0, p.homeX));

    // An act that loops without events is not stepped forever.
    ASSERT_TRUE(StartBody(p, {kActStand}));
    StepToEvent(p);  // the stand loops and raises nothing: this must come back
    EXPECT_EQ(std::tuple(p.anim.ended, p.anim.event & 0x5), std::tuple(0u, 0));
}

}  // namespace
