// The controller and the enemies' action pickers: flight, specials, healing,
// skill targets, confusion, real time and the auto-battle key.
#include "support/BattleFixtures.h"

namespace {

enum ControllerSkill {
    kHeal = 1,
    kFire = 2,
    kStrike = 3,
    kGroupHeal = 4,
    kBlizzard = 5,
    kSelfOnly = 6
};

class ControllerTest : public FightTest {
protected:
    void SetUp() override {
        FightTest::SetUp();
        gSkills = Table<SkillData>(7, &gSkillCount);
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
    const MonsterSkill specials[] = {{-1, 5}, {0, 5}, {9999, 5}, {kFire, 0}, {kStrike, 0}};
    std::ranges::copy(specials, e.specials);
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
    } cases[] = {{34, 10, true}, {35, 10, false}, {49, 24, false}, {48, 24, true}};
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
        std::vector<std::pair<cFighter*, bool>> links;  // each target's attacker and side
        for (cFighter* t : e.targets)
            if (t) links.push_back({t->attackedBy, t->IsEnemy()});
        EXPECT_EQ(links, decltype(links)(c.targets, {&e, c.ownSide}));
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
    auto press = [] { WithKeyDown(30, [] { gBattleController.Update(); }); };
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

}  // namespace
