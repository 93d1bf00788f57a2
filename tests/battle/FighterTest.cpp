// Fighters and battle sprites. Scripted duels with the sample acts, checked by
// tick: attacks, reactions, falls and poison; the command actions (theft,
// flight, capture, throw, magic, items, skill strikes and the transformation)
// with their bad inputs. Fighter drawing against flat-colour sample art: bar
// widths, the pulse, the HP catch-up, digits, the icon row, the shrink zoom,
// the poison pass and offsets. Battle sprites: the movement line, draw order
// with the front and back classes, pool and list limits, sound cues, events,
// and the after-image trail.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <deque>
#include <map>
#include <string>
#include <vector>

#include "PixelRefs.h"
#include "battle/Battle.h"
#include "battle/BattleLogSink.h"
#include "battle/BattleRandom.h"
#include "battle/BattleScene.h"
#include "battle/BattleSide.h"
#include "battle/BattleSprite.h"
#include "battle/BattleSpriteSink.h"
#include "battle/DrawList.h"
#include "battle/Fighter.h"
#include "battle/FighterAct.h"
#include "battle/FighterDraw.h"
#include "data/Config.h"
#include "data/GameData.h"
#include "data/GameDatabase.h"
#include "engine/DDraw.h"
#include "engine/GrpFont.h"
#include "mhdata/SampleFighters.h"
#include "platform/TextCodec.h"
#include "support/BattleRun.h"
#include "support/Harness.h"

// Records are written with designated initializers naming only the fields a case sets.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

// Every draw RandomN(n) answers the next value queued for n, else the default
// for n: no critical, no evasion, a clean hit, no wake-up, no on-hit code, the
// middle variation, no counter.
struct DuelDraws {
    static inline std::map<u32, std::deque<u32>> queued;
    static inline std::vector<u32> asked;
    static u32 Draw(u32 n) {
        asked.push_back(n);
        std::deque<u32>& q = queued[n];
        if (q.empty()) return n == 100 ? 50 : n == 27 ? 13 : n == 5 ? 3 : 0;
        const u32 v = q.front();
        q.pop_front();
        return v;
    }
};

class DuelTest : public ::testing::Test {
protected:
    void SetUp() override {
        h_.WriteSample();
        h_.StartGame();
        LoadGameDatabase(gBasePath);
        DuelDraws::queued.clear();
        DuelDraws::asked.clear();
        spawned.clear();
        SetBattleRandomSource(&DuelDraws::Draw);
    }
    void TearDown() override { SetBattleRandomSource(nullptr); }

    // The next answers for draws of range n.
    static void Queue(u32 n, std::initializer_list<u32> v) {
        for (u32 x : v) DuelDraws::queued[n].push_back(x);
    }

    // A fighter in slot i of its side: HP 100/100, MP 50/50, attack 100,
    // defence 50, hit 80, evasion 30, agility 10, in the front row, waiting.
    cFighter& Add(bool party, int i, u32 act) {
        cBattleSide& side = party ? gPartySide : gEnemySide;
        MonsterData& m = records_[party ? i : 8 + i];
        m = MonsterData{};
        m.maxHp = m.hp = 100;
        m.maxMp = m.mp = 50;
        m.hitRate = 80;
        m.evasion = 30;
        m.agility = 10;
        m.level = 1;
        m.expValue = 20;
        m.gold = 7;
        m.theftItem = -1;
        m.dropItem = -1;
        for (i32& r : m.ratios) r = 100;
        std::snprintf(m.name, sizeof(m.name), "%s", party ? "P" : "E");
        cFighter& f = side.fighters[i];
        f.Reset();
        f.flags = cFighter::kInUse | cFighter::kTaken;
        f.kind = party ? kKindParty : kKindEnemy;
        f.pic = party ? 0 : 5;
        f.act = act;
        f.facing = party ? 4 : 5;
        f.slot = i;
        f.x = f.homeX = party ? 440 + 20 * i : 200 - 20 * i;
        f.z = f.homeZ = party ? 300 + 10 * i : 200 + 10 * i;
        f.stats = cFighterStats::OfMonster(&m);
        f.status = 0;
        f.maxHp = f.hp = f.shownHp = 100;
        f.maxMp = f.mp = f.shownMp = 50;
        f.attack = 100;
        f.defence = 50;
        f.hitRate = 80;
        f.evasionRate = f.magicEvasionRate = 30;
        f.attackKind = 1;
        f.hitAct = 7246;
        f.row = f.homeRow = 1;
        f.gauge = 0;
        f.SetAction(kStateWaiting, 1, 0);  // past the pose of its last turn
        if (side.count <= i) side.count = i + 1;
        ++side.memberCount;
        ++side.frontCount;
        return f;
    }
    cFighter& Party(int i = 0) { return Add(true, i, 1000); }
    cFighter& Enemy(int i = 0) { return Add(false, i, 3005); }
    // The party's slot 0 against the enemies' slot 0, or slots 0 and 1 of one side.
    std::pair<cFighter&, cFighter&> Duel() { return {Party(), Enemy()}; }
    std::pair<cFighter&, cFighter&> Pair(bool party) {
        return {party ? Party(0) : Enemy(0), party ? Party(1) : Enemy(1)};
    }
    MonsterData& RecordOf(bool party, int i) { return records_[party ? i : 8 + i]; }

    // One tick of the main phase as far as the fighters go; the acts of the
    // hit animations started in it join spawned.
    static void Tick() {
        UpdateFighters();
        UpdateAfterImages();
        UpdateHitAnims();
        for (const cHitAnim& a : gHitAnims)
            if (a.Taken() && a.step == 1 && a.ticks == 0) spawned.push_back(a.act);
        UpdateFloatTexts();
        gDrawList.Clear();
    }
    static size_t Spawned(u32 act) { return std::count(spawned.begin(), spawned.end(), act); }
    // Ticks until pred holds (at most limit); the number of ticks run, -1 when it never held.
    template <class P>
    static int TickUntil(P pred, int limit = 400) {
        for (int t = 1; t <= limit; ++t) {
            Tick();
            if (pred()) return t;
        }
        return -1;
    }
    // Gives a fighter a full gauge and a command on the main target.
    static void Order(cFighter& f, i32 command, cFighter* target) {
        f.gauge = kGaugeFull;
        f.command = command;
        f.targets[0] = target;
    }

    static std::string Line(const char* utf8, const char* a = "", const char* b = "") {
        char buf[200];
        std::snprintf(buf, sizeof(buf), Utf8ToBig5(utf8).c_str(), a, b);
        return buf;
    }
    static std::vector<std::string> Lines() { return LoggedBattleLines(); }
    // How often text floated over the fighter.
    static size_t CountFloats(const cFighter& f, const char* text) {
        const std::vector<ShownFloat>& v = ShownFighterFloats();
        return std::count_if(v.begin(), v.end(), [&](const ShownFloat& s) {
            return s.fighter == &f && s.text == text;
        });
    }

    Harness h_;
    MonsterData records_[16] = {};
    static inline std::vector<u32> spawned;
};

namespace {

bool BothIdle(const cFighter& a, const cFighter& b) {
    return a.action == kStateWaiting && b.action == kStateWaiting && !a.HasCommand();
}

bool Idle(const cFighter& f) {
    return f.action == kStateWaiting && !f.HasCommand() && f.x == f.homeX && f.y == f.homeY;
}

constexpr cFighter* kNoFighter = nullptr;
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
    int RunUntilIdle(cFighter& f, int limit = 600) {
        return TickUntil([&] { return Idle(f); }, limit);
    }
};

// attack 100 against defence 50 with no variation: 100 - 50 x 73 / 100 = 64.
TEST_F(FighterActionTest, CloseAttackDealsTheWorkedDamageAndEveryoneGoesHome) {
    auto [p, e] = Duel();
    e.gauge = 0;
    Order(p, kCmdAttack, &e);
    Tick();  // waiting, step 0: the pose; the command is seen on the next tick
    Tick();
    EXPECT_EQ(std::tuple(p.action, e.gaugesFrozen, p.gaugesFrozen, e.attackedBy),
              std::tuple(kStateCloseAttack, 1, 1, &p));
    ASSERT_GT(TickUntil([&] { return BothIdle(p, e) && p.x == p.homeX; }), 0);
    // A clean ordinary blow writes nothing.
    EXPECT_EQ(std::tuple(e.hp, CountFloats(e, "-64"), Lines().empty(), e.attackedBy, p.targets[0]),
              std::tuple(36, 1u, true, kNoFighter, kNoFighter));
    // Gauges run again, the attacker stands at home and its gauge restarts from its agility.
    EXPECT_EQ((std::vector<i32>{p.gaugesFrozen, e.gaugesFrozen, p.z - p.homeZ, p.gauge}),
              (std::vector<i32>{0, 0, 0, 10}));
}

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
    bool sawPoison = false;
    ASSERT_GT(TickUntil([&] {
                  sawPoison |= p.action == kStatePoison;
                  return sawPoison && p.action == kStateWaiting;
              }),
              0);
    EXPECT_EQ(std::tuple(p.hp, p.defending, Lines()),
              std::tuple(87, 1, std::vector<std::string>{Line("防禦")}));
}

TEST_F(FighterActionTest, TargetThatWinsItsCounterRollStrikesBackForHalf) {
    auto [p, e] = Duel();
    Queue(4, {1});  // the counter roll; agility 10 against 10 gives q = 100 + 6
    Order(e, kCmdAttack, &p);
    bool countered = false;
    ASSERT_GT(TickUntil([&] {
                  countered |= p.action == kStateCounter;
                  return countered && BothIdle(e, p) && e.x == e.homeX;
              }),
              0);
    EXPECT_EQ(std::tuple(p.hp, e.hp, p.countered, e.counterAttacker),
              std::tuple(36, 100 - 64 / 2, kNoFighter, kNoFighter));
}

// Air raid: (agility 10 + attack 100) x 133 / 100 = 146 against (10 + 50) x 66 / 100 = 39.
TEST_F(FighterActionTest, AirRaidWithTooLittleMpStillStrikesAndLeavesMpAtZero) {
    auto [p, e] = Duel();
    RecordOf(true, 0).agility = 10;
    e.hp = e.maxHp = 300;
    p.mp = 3;
    Order(p, kCmdAirRaid, &e);
    ASSERT_GT(TickUntil([&] { return BothIdle(p, e) && p.y == p.homeY && p.x == p.homeX; }), 0);
    EXPECT_EQ(std::tuple(e.hp, p.mp, Lines()),
              std::tuple(300 - 107, 0, std::vector<std::string>{Line("空襲")}));
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
        ResetBattleSides();
        ResetBattleSprites();
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

TEST_F(FighterActionTest, TheftTakesTheItemOnceAndThenFindsNothing) {
    auto [p, e] = Duel();
    RecordOf(false, 0).theftItem = 0;  // the sample's first item
    e.theftRate = 40;
    p.mp = 3;  // the fixed cost of 5 stops at 0
    gOwnedItems[0] = 2;
    Queue(100, {0});  // 0 < 40: stolen
    Order(p, kCmdTheft, &e);
    ASSERT_GT(RunUntilIdle(p), 0);
    EXPECT_EQ(std::tuple(gOwnedItems[0], p.mp, e.theftRate), std::tuple(3, 0, 0));
    const ItemData* item = GetItemRecord(0);
    const std::string name(item->name, strnlen(item->name, sizeof(item->name)));
    EXPECT_EQ(Lines(), (std::vector<std::string>{Line("偷竊"), Line("得到%s...!", name.c_str())}));

    // Nothing left, or an item number past the table: nothing to find.
    for (i32 item : {0, 100000}) {
        RecordOf(false, 0).theftItem = item;
        e.theftRate = item ? 40 : 0;
        Queue(100, {0});
        Order(p, kCmdTheft, &e);
        ASSERT_GT(RunUntilIdle(p), 0);
        EXPECT_EQ(std::tuple(gOwnedItems[0], Lines().back()),
                  std::tuple(3, Line("%s沒有任何物品...!", "E")))
            << item;
    }
}

TEST_F(FighterActionTest, FailedFlightRaisesTheRateAndASuccessfulOneMakesTheWholePartyRun) {
    auto [p, q] = Pair(true);
    Enemy();
    Order(p, kCmdFlee, nullptr);
    ASSERT_GT(RunUntilIdle(p), 0);
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
}

TEST_F(FighterActionTest, CaptureShrinksForTwentyFiveTicksHalvesTheExperienceAndStopsAt99) {
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
    ASSERT_GT(RunUntilIdle(p), 0);
    // The orb on the target, then the one that flies home.
    EXPECT_EQ(std::tuple(Spawned(kAnimCaptureOrb), Spawned(kAnimTheft)), std::tuple(2u, 0u));
    // With 99 owned the capture still takes the enemy, but the count stays.
    cFighter& f = Enemy(1);
    gOwnedMonsters[5] = 99;
    Order(p, kCmdCapture, &f);
    ASSERT_GT(RunUntilIdle(p), 0);
    EXPECT_EQ(std::tuple(f.IsTaken(), gOwnedMonsters[5]), std::tuple(false, 99));
}

TEST_F(FighterActionTest, ThrownPieceHitsAndIsGone) {
    auto [p, e] = Duel();
    EquipageData piece{.id = 3, .throwValue = 20};  // strength 0 + 20
    p.thrownPiece = &piece;
    Order(p, kCmdThrow, &e);
    ASSERT_GT(RunUntilIdle(p), 0);
    EXPECT_EQ(std::tuple(e.hp, piece.id, p.thrownPiece),
              std::tuple(80, -1, static_cast<EquipageData*>(nullptr)));
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
    ASSERT_GT(RunUntilIdle(p), 0);
    EXPECT_EQ(std::tuple(e0.hp, e1.hp, p.mp, CountFloats(e0, "Miss"), Lines(),
                         e0.gaugesFrozen + e1.gaugesFrozen + p.gaugesFrozen),
              std::tuple(100, 70, 40, 1u, std::vector<std::string>{"S"}, 0));
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
        ResetBattleSides();
        ResetBattleSprites();
        cFighter& p = Party();
        cFighter& e = Enemy();
        e.status = c.status;
        e.sunCount = c.status ? 1 : 0;
        p.hp = c.casterHp;
        const SkillData sk = TestSkill(3, -30, c.special);
        p.skillInUse = &sk;
        Queue(100, {90});
        Order(p, kCmdMagic, &e);
        ASSERT_GT(RunUntilIdle(p), 0);
        EXPECT_EQ(std::tuple(e.hp, p.hp, e.sunCount, Spawned(kAnimSunShield)),
                  std::tuple(c.targetAfter, c.casterAfter, 0, c.status ? 1u : 0u))
            << c.special;
        spawned.clear();
    }
}

// Five spells of 120 (magic 50, power 80: 150 x 50 x 80 / 5000) at a moon
// shield started with 3: halved four times, the fourth use ends the shield.
TEST_F(FighterActionTest, MoonShieldHalvesFourSpellsThenEnds) {
    auto [p, e] = Duel();
    RecordOf(true, 0).magic = 50;
    e.hp = e.maxHp = 1000;
    e.StartMoonShield();
    ClearLoggedBattleLines();
    SkillData sk = TestSkill(3, 0, 0);
    sk.power = 80;
    sk.mpCost = 0;
    p.skillInUse = &sk;
    std::vector<i32> taken;
    for (int spell = 0; spell < 5; ++spell) {
        const i32 before = e.hp;
        p.skillInUse = &sk;
        Order(p, kCmdMagic, &e);
        ASSERT_GT(RunUntilIdle(p), 0) << spell;
        taken.push_back(before - e.hp);
    }
    EXPECT_EQ(taken, (std::vector<i32>{60, 60, 60, 60, 120}));
    const std::string half = Line("月亮之盾抵消一半的魔法傷害!");
    EXPECT_EQ(Lines(), (std::vector<std::string>{"S", half, "S", half, "S", half, "S", half,
                                                 Line("%s的月亮之盾解除!", "E"), "S"}));
    EXPECT_EQ(std::tuple(Spawned(kAnimMoonShield), e.HasMoonShield()), std::tuple(4u, false));
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
    bool dodged = false;
    Order(p, kCmdItem, &e);
    ASSERT_GT(TickUntil([&] {
                  dodged |= e.action == kStateDodge;
                  return Idle(p);
              }),
              0);
    EXPECT_EQ(std::tuple(dodged, e.evasionRate, e.magicEvasionRate, e.hp),
              std::tuple(true, 30, 40, 80));
}

TEST_F(FighterActionTest, ADyingMemberRefusesTheTransformAndIsRevivedByAnItemWithNoAct) {
    auto [p, q] = Pair(true);
    Enemy();
    q.hp = 0;
    q.status = kStDying;
    q.SetAction(kStateFallen, 1, 0);
    MonsterData form = RecordOf(false, 5);
    p.formToAdd = &form;
    Order(p, kCmdTransform, nullptr);
    ASSERT_GT(RunUntilIdle(p), 0);
    EXPECT_EQ(std::tuple(Lines().back(), gPartySide.count, p.IsTaken()),
              std::tuple(Line("有伙伴死亡,變身失敗...!"), 2, true));

    const ItemData it = TestItem(1, 0, 0, 31);
    p.itemInUse = &it;
    Order(p, kCmdItem, &q);
    ASSERT_GT(RunUntilIdle(p), 0);
    // Act 8082 played without being written back.
    EXPECT_EQ(std::tuple(q.hp, q.status, it.effectAct), std::tuple(1, 0u, 0));
    ASSERT_GT(TickUntil([&] { return q.action == kStateWaiting; }), 0);
}

TEST_F(FighterActionTest, SleepItemOnAllAlliesPutsItsUserToSleepAndStillFinishes) {
    auto [p, q] = Pair(true);
    cFighter& e = Enemy();
    const ItemData it = TestItem(2, 7301, 0, 2);
    p.itemInUse = &it;
    p.targets[1] = &q;
    Order(p, kCmdItem, &p);
    ASSERT_GT(RunUntilIdle(p), 0);
    EXPECT_EQ(
        std::tuple(p.IsAsleep(), q.IsAsleep(), p.gaugesFrozen + q.gaugesFrozen + e.gaugesFrozen),
        std::tuple(true, true, 0));
    for (cFighter* t : p.targets) EXPECT_EQ(t, nullptr);
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
    auto [p, q] = Pair(true);
    Enemy();
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

void ClearCanvas() {
    for (i32 y = 0; y < 480; ++y) std::memset(PaintPixelAddr(0, y), 0, 640 * 2);
}

u16 At(i32 x, i32 y) {
    return *PaintPixelAddr(x, y);
}

// Columns of row y from x on that hold colour c, counted until the first that does not.
i32 RunOf(i32 x, i32 y, u16 c) {
    i32 n = 0;
    while (x + n < 640 && At(x + n, y) == c) ++n;
    return n;
}

class FighterDrawTest : public DuelTest {
protected:
    void SetUp() override {
        DuelTest::SetUp();
        ClearCanvas();
    }
    static void Bars(cFighter& f) {
        f.aux[33] = {11002, 2};
        f.aux[34] = {11002, 3};
        f.aux[35] = {11002, 4};
        for (int k = 0; k < 15; ++k) f.aux[10 + k] = {9901, 30 + k};
    }
};

TEST_F(FighterDrawTest, GaugeWidthIsTheGaugesShareOfFiftyAtLeastOneAndAFullOnePulses) {
    cFighter& p = Party();
    Bars(p);
    p.gauge = 255;
    // From 32 down by 4 to -32, then up by 8 to 32, then down again.
    const i32 want[] = {28,  24,  20,  16,  12,  8,  4, 0, -4, -8, -12, -16, -20,
                        -24, -28, -32, -24, -16, -8, 0, 8, 16, 24, 32,  28};
    for (i32 w : want) {
        DrawGaugeBar(p, 100, 100);
        EXPECT_EQ(p.pulseLevel, w);
    }
    const u16 c = PlainColour(11002, 2);
    ASSERT_NE(c, 0);
    // A full gauge pulses in another colour; an empty one draws nothing.
    const struct {
        i32 gauge, width;
    } cases[] = {{1, 1}, {5, 1}, {6, 1}, {128, 25}, {254, 49}, {0, 0}};
    for (const auto& k : cases) {
        ClearCanvas();
        p.gauge = k.gauge;
        DrawGaugeBar(p, 100, 100);
        EXPECT_EQ(std::tuple(RunOf(100, 100, c), At(100 + k.width, 100)), std::tuple(k.width, 0))
            << "gauge " << k.gauge;
    }
}

TEST_F(FighterDrawTest, ShownHpFallsBy300Then30Then3) {
    cFighter& p = Party();
    Bars(p);
    p.maxHp = 3000;
    p.shownHp = 3000;
    p.hp = 500;
    std::vector<i32> drops;
    for (int t = 0; t < 80 && p.shownHp != p.hp; ++t) {
        const i32 before = p.shownHp;
        DrawHpBar(p, 100, 100);
        drops.push_back(before - p.shownHp);
    }
    std::vector<i32> want(6, 300);
    want.insert(want.end(), 21, 30);
    want.insert(want.end(), 23, 3);
    want.push_back(1);  // 2500 in all
    EXPECT_EQ(drops, want);
}

TEST_F(FighterDrawTest, DigitsTakeFourPlacesOrAsManyAsTheNumberHas) {
    // Each place is a frame's width and one pixel; the top rows of 7, 5 and 0
    // are inked from their first column, that of 1 in its second.
    const i32 adv = sample_fighters::kDigitW + 1;
    // Leading places stay empty. Negative values never reach the digits: a
    // lost number reads 0.
    EXPECT_EQ((std::vector<i32>{DrawFighterDigits(7, 100, 50), At(100 + 2 * adv, 50),
                                At(100 + 3 * adv, 50), DrawFighterDigits(12345, 100, 80),
                                At(101, 80), At(100 + 4 * adv, 80),
                                DrawFighterDigits(-45, 100, 110), At(100 + 3 * adv, 110)}),
              (std::vector<i32>{100 + 4 * adv, 0, PlainColour(11000, 7), 100 + 5 * adv,
                                PlainColourAt(11000, 1, 1, 0), PlainColour(11000, 5), 100 + 4 * adv,
                                PlainColour(11000, 0)}));
    cFighter& p = Party();
    Bars(p);
    p.hp = p.shownHp = -20;
    p.mp = p.shownMp = -3;
    DrawHpBar(p, 200, 200);
    DrawMpBar(p, 200, 220);
    // No bar for nothing.
    EXPECT_EQ(std::tuple(At(200, 200), At(202 + 3 * adv, 198)),
              std::tuple(0, PlainColour(11000, 0)));
}

TEST_F(FighterDrawTest, StatusIconsStartNinePixelsLeftPerIcon) {
    cFighter& p = Party();
    Bars(p);
    p.status = 0;
    DrawStatusIcons(p, 300, 100);
    for (i32 x = 200; x < 400; ++x) ASSERT_EQ(At(x, 100), 0);
    p.status = kStSleep | kStPoison | kStBlindness;  // bits 0, 10 and 13
    DrawStatusIcons(p, 300, 100);
    const u16 first = ActColour(9901, 30);  // sleep's icon
    ASSERT_NE(first, 0);
    EXPECT_EQ(std::tuple(At(300 - 27 - 1, 100), At(300 - 27, 100)), std::tuple(0, first));
}

TEST_F(FighterDrawTest, HalfShrunkEnemyDrawsAtHalfSize) {
    cFighter& e = Enemy();
    e.anim = ActPlayer{};
    ASSERT_TRUE(e.StartAnim(e.act, 5));
    // The body's drawn box above its feet (the shadow lies below them).
    auto box = [&](i32* w, i32* h) {
        i32 minX = 640, maxX = -1, minY = 480, maxY = -1;
        for (i32 y = 0; y < e.z; ++y)
            for (i32 x = 0; x < 640; ++x)
                if (At(x, y) != 0) {
                    minX = std::min(minX, x), maxX = std::max(maxX, x);
                    minY = std::min(minY, y), maxY = std::max(maxY, y);
                }
        *w = maxX - minX + 1;
        *h = maxY - minY + 1;
    };
    i32 w, h;
    cFighter::DrawSprite(e);
    box(&w, &h);
    ASSERT_GT(h, 40);
    const i32 fullW = w, fullH = h;
    ClearCanvas();
    e.shrinkOn = 1;
    e.shrinkAmount = 500;
    cFighter::DrawSprite(e);
    box(&w, &h);
    EXPECT_LE(std::max(std::abs(w - fullW / 2), std::abs(h - fullH / 2)), 1);
}

TEST_F(FighterDrawTest, PoisonTintOnlyInThePoisonStateAndMonsterOffsetsMoveTheEnemy) {
    cFighter& p = Party();
    ASSERT_TRUE(p.StartAnim(p.act, 4));
    // The figure's body covers the middle column of its 32x48 frame 24 rows
    // above the feet, drawn 16 left of and 48 above them.
    const u16 body = PlainColourAt(static_cast<u16>(p.act), p.anim.frame, 16, 24);
    ASSERT_NE(body, 0);
    // Poisoned but waiting: no tint; in the poison state: tinted.
    for (int k = 0; k < 3; ++k) {
        p.status = k ? static_cast<u32>(kStPoison) : 0u;
        if (k == 2) p.action = kStatePoison;
        ClearCanvas();
        cFighter::DrawSprite(p);
        EXPECT_EQ(At(p.x, p.z - 24) == body, k < 2) << k;
    }

    // Monster offsets move an enemy: number 3's (2, -10) draws every body
    // pixel 2 left and 10 lower; unknown numbers have none.
    cFighter& e = Enemy();
    ASSERT_TRUE(e.StartAnim(e.act, 5));
    ClearCanvas();
    e.pic = 0xFFFFFFFF;
    cFighter::DrawSprite(e);
    const std::vector<u16> still(gPaintBuf, gPaintBuf + 640 * 480);
    ClearCanvas();
    e.pic = 3;
    cFighter::DrawSprite(e);
    int same = 0;
    for (i32 y = e.z - 48; y < e.z; ++y)
        for (i32 x = e.x - 16; x < e.x + 16; ++x) {
            const u16 v = still[static_cast<size_t>(y) * 640 + x];
            if (v == 0) continue;
            ASSERT_EQ(At(x - 2, y + 10), v) << x << "," << y;
            ++same;
        }
    EXPECT_GT(same, 300);
}

TEST_F(FighterDrawTest, FighterAtFollowsTheOpaquePixelsOfTheBodyFrontMostFirst) {
    // Party bodies face left: frame column 31 - (16 + u) holds figure column
    // u, so screen column x - 1 - u. The torso covers u -4..4 from 13 to 33
    // rows above the feet, the head (hair) rows 35..47 above them round u -1.
    cFighter& back = Party(0);   // (440, 300): frame 424..455 x 252..299
    cFighter& front = Party(1);  // (442, 310): frame 426..457 x 262..309
    cFighter& blank = Party(2);  // in front of both, with no frame
    front.x = 442;
    for (cFighter* f : {&back, &front}) ASSERT_TRUE(f->StartAnim(f->act, 4));
    blank.x = 450;
    blank.z = 330;
    cBattleSide& s = gPartySide;
    // The frame's bottom left corner is clear and so is its left edge by the
    // head; where both torsos are the larger depth wins; above the front
    // one's head the back one; its gauge is empty: not ready.
    EXPECT_EQ((std::vector<cFighter*>{s.FighterAt(424, 299), s.FighterAt(424, 260),
                                      s.FighterAt(440, 282), s.FighterAt(440, 258),
                                      s.FighterAt(423, 280), s.ReadyFighterAt(440, 258)}),
              (std::vector<cFighter*>{nullptr, nullptr, &front, &back, nullptr, nullptr}));
    back.gauge = kGaugeFull;
    EXPECT_EQ(s.ReadyFighterAt(440, 258), &back);
    // An enemy's frame moves by its monster offset: number 3 draws 2 left, 10
    // lower. The thief faces right (column 16 + u), its head's top row 46
    // rows above its feet.
    cFighter& e = Enemy();
    ASSERT_TRUE(e.StartAnim(e.act, 5));
    for (u32 pic : {5u, 3u}) {
        e.pic = pic;
        const i32 dx = pic == 3 ? -2 : 0, dy = pic == 3 ? 10 : 0;
        EXPECT_EQ(std::tuple(gEnemySide.FighterAt(e.x + dx, e.z - 24 + dy),
                             gEnemySide.FighterAt(e.x + dx, e.z - 44 + dy)),
                  std::tuple(&e, &e))
            << pic;
    }
    EXPECT_EQ(gEnemySide.FighterAt(e.x, e.z - 44), nullptr);
}

TEST_F(FighterDrawTest, CommandPanelNamesItsRowsAndKeepsTheNumbersInside) {
    cFighter& p = Party();
    p.aux[36] = {11002, 10};
    p.hp = 1234;
    p.maxHp = 5678;
    p.mp = 321;
    p.maxMp = 9876;
    UseBattleFont(20, 40);  // whatever an earlier text left
    std::fill_n(gPaintBuf, 640 * 480, 0xFFFF);
    DrawCommandPanel(p, 428, 0);
    // "%4d / %4d" from x + 120 at size 12, six pixels a character: the last
    // digit's cell starts at 428 + 120 + 60; the panel ends at 428 + 200.
    const i32 right = 428 + sample_fighters::kPanelFrames[7].w;
    // Black pixels in the box; with a plain colour given, pixels that are not that colour.
    auto ink = [](i32 x0, i32 x1, i32 y0, i32 y1, int plain = -1) {
        int n = 0;
        for (i32 y = y0; y < y1; ++y)
            for (i32 x = x0; x < x1; ++x) n += plain < 0 ? At(x, y) == 0 : At(x, y) != plain;
        return n;
    };
    // The panel picture names the rows: "HP" and "MP" at size 12 from x + 98,
    // twelve pixels and a shadow column, so x + 111 up to the numbers stays plain.
    const u16 plain = PlainColour(11002, 7);
    for (i32 line : {60, 74}) {
        EXPECT_GT(ink(608, 620, line, line + 14), 0) << line;
        EXPECT_EQ(ink(620, 640, line, line + 14), 0) << line;
        EXPECT_GT(ink(428 + 98, 428 + 111, line, line + 13, plain), 0) << line;
        EXPECT_EQ(ink(428 + 111, 428 + 120, line, line + 14, plain), 0) << line;
    }
    EXPECT_LE(620, right);
    // The enemy's name under its blink is size 13.
    cFighter& e = Enemy();
    ASSERT_TRUE(e.StartAnim(e.act, 5));
    e.StartBlink();
    UseBattleFont(20, 40);
    cFighter::DrawSprite(e);
    EXPECT_EQ(gMainFont.GetSize(), 13);
}

struct P3 {
    i32 x, y, z;
    bool operator==(const P3&) const = default;
};
P3 At(const cBattleSprite& s) {
    return {s.x, s.y, s.z};
}

std::vector<char> gDrawn;
void RecordDraw(cBattleSprite& s) {
    gDrawn.push_back(static_cast<char>(s.pic));
}

// Over the sample game's acts and canvas.
struct BattleSpriteArt : ::testing::Test {
    Harness h;
    void SetUp() override {
        h.WriteSample();
        h.StartGame();
    }
};

}  // namespace

TEST(BattleSprite, MovesAlongAnIntegerLineOrAnArcAndReportsArrivalOnTheNextCall) {
    // A fresh sprite (its y set) given a line or an arc, then steps taken in
    // runs: after each run whether it reported arrival and where it stands.
    // Worked by hand: on the line to (10, -4, 3) x leads and y moves on step 3
    // (errors 4, 8, 12), z on step 4 (3, 6, 9, 12). On the arc over 10 with a
    // hop of 2 the hop adds 4 a step against 10 and its accumulator reaches 10
    // on steps 3, 5, 8 and 10, taking 2, 1, 0 and -1 off y in turn; on the arc
    // to (-4, 8) z leads and x steps back on every second step.
    const struct Move {
        bool arc;
        i32 y;
        P3 to;      // an arc goes by (x, z) and hops y
        i32 major;  // the leading axis, -1 when not checked
    } moves[] = {
        {false, 0, {0, 0, 0}, -1}, {false, 0, {10, -4, 3}, 0}, {false, 0, {2, 9, 9}, 1},
        {false, 0, {3, 3, 3}, 0},  {false, 0, {1, 2, 5}, 2},   {true, 50, {10, 2, 0}, 0},
        {true, 0, {-4, 1, 8}, 2},
    };
    const struct Run {
        size_t move;
        i32 steps;
        bool arrived;
        P3 at;
    } runs[] = {
        {0, 5, true, {0, 0, 0}},  // no line at all: there at once
        {1, 4, false, {4, -1, 1}},
        {1, 100, false, {10, -4, 3}},  // the last step is taken, arrival
                                       // waits
        {1, 1, true, {10, -4, 3}},
        {2, 5, false, {1, 5, 5}},  // y leads: above x and level with z;
                                   // a tie goes to x
        {2, 9, false, {2, 9, 9}},
        {5, 3, false, {3, 48, 0}},
        {5, 2, false, {5, 47, 0}},
        {5, 4, false, {9, 47, 0}},
        {5, 100, false, {10, 50, 0}},  // landing: y back at its start,
                                       // arrival waits
        {5, 1, true, {10, 50, 0}},
        {6, 2, false, {-1, 0, 2}},
        {6, 6, false, {-4, 0, 8}},
    };
    for (size_t k = 0; k < std::size(moves); ++k) {
        const Move& m = moves[k];
        cBattleSprite s;
        s.y = m.y;
        m.arc ? s.MoveArc(m.to.x, m.to.z, m.to.y) : s.MoveTo(m.to.x, m.to.y, m.to.z);
        if (m.major >= 0) {
            EXPECT_EQ(s.move.major, m.major) << k;
        }
        for (const Run& r : runs)
            if (r.move == k) {
                EXPECT_EQ(m.arc ? s.StepArc(r.steps) : s.StepMove(r.steps), r.arrived) << k;
                EXPECT_EQ(At(s), r.at) << k << " " << r.steps;
            }
    }
}

TEST(BattleSprite, DrawOrderIsDepthFrontClassLastBackClassFirstAndFullListsDropNewEntries) {
    Harness h;
    struct Spec {
        char name;
        i32 z, cls;
    } specs[] = {{'A', 5, 1}, {'B', 1, 0}, {'C', 9, 1}, {'D', 3, 2}, {'E', 7, 0}};
    cBattleSprite s[5];
    for (int i = 0; i < 5; ++i) {
        s[i].pic = static_cast<u32>(specs[i].name);
        s[i].z = specs[i].z;
        s[i].drawClass = specs[i].cls;
        s[i].drawFn = &RecordDraw;
    }
    // Queued in an order the sort must undo.
    for (int i : {4, 2, 0, 3, 1}) gDrawList.AddSprite(&s[i]);
    gDrawn.clear();
    gDrawList.Draw();
    // By the three passes, worked by hand: depth B D A E C; the front class
    // walks A then C to the back; D comes to the front.
    EXPECT_EQ(std::tuple(std::string(gDrawn.begin(), gDrawn.end()), gDrawList.SpriteCount()),
              std::tuple("DBECA", 0));

    // Full pools and a full list drop the new entry.
    cBattleSprite fighter;
    fighter.flags = kSpriteInUse | kSpriteTaken;
    for (int i = 0; i < kSpritePoolSize; ++i) {
        ASSERT_NE(SpawnHitAnim(nullptr, 7246, 0, i, 0, 0, 0), nullptr) << i;
        ASSERT_NE(SpawnFloatText(nullptr, "1", 0, 0, 0, 0, 0, -48, 0), nullptr) << i;
        ASSERT_NE(AttachAfterImage(&fighter, 0, 3), nullptr) << i;
    }
    EXPECT_EQ((std::vector<const void*>{SpawnHitAnim(nullptr, 7246, 0, 0, 0, 0, 0),
                                        SpawnFloatNumber(nullptr, 12, 0, 0, 0, 0, 0, -48, 0),
                                        AttachAfterImage(&fighter, 0, 3)}),
              (std::vector<const void*>(3, nullptr)));

    std::vector<cBattleSprite> many(kDrawListSize + 1);
    for (auto& m : many) m.drawFn = &RecordDraw;
    for (int i = 0; i < kDrawListSize; ++i) {
        ASSERT_TRUE(gDrawList.AddSprite(&many[i]));
        ASSERT_TRUE(gDrawList.AddSoundCue(&many[i]));
    }
    EXPECT_EQ(std::tuple(gDrawList.AddSprite(&many[kDrawListSize]),
                         gDrawList.AddSoundCue(&many[kDrawListSize])),
              std::tuple(false, false));
    gDrawn.clear();
    gDrawList.Draw();
    EXPECT_EQ(gDrawn.size(), static_cast<size_t>(kDrawListSize));
}

TEST_F(BattleSpriteArt, HitAnimationPlaysItsCueOnceRaisesItsEventsAndAlwaysFreesItsSlot) {
    SoundCueRecorder cues;
    cHitAnim* a = SpawnHitAnim(nullptr, 7246, 0, 100, 0, 200, 0);
    ASSERT_NE(a, nullptr);
    std::vector<u16> events;
    int ticks = 0;
    for (; ticks < 40 && a->Taken(); ++ticks) {
        UpdateHitAnims();
        u16 e = 0;
        for (u16 bit : {u16{0x1}, u16{0x4}})
            if (a->TakeEvent(bit)) e |= bit;
        if (e) events.push_back(e);
        gDrawList.Draw();
        gDrawList.PlaySounds();
    }
    EXPECT_EQ(std::tuple(a->Taken(), SoundCueRecorder::Cues(), events),
              std::tuple(false, std::vector<int>{1}, std::vector<u16>{0x4, 0x1}));

    // Two events raised on one frame are both seen, each once.
    cBattleSprite s;
    s.anim.event = 0x5;
    EXPECT_EQ((std::vector<bool>{s.TakeEvent(0x1), s.TakeEvent(0x4), s.TakeEvent(0x4)}),
              (std::vector<bool>{true, true, false}));

    // An act that is missing, or one that loops, lets its slot go.
    cHitAnim* missing = SpawnHitAnim(nullptr, 2999, 0, 0, 0, 0, 0);
    cHitAnim* endless = SpawnHitAnim(nullptr, 9001, 0, 0, 0, 0, 0);  // the cursor loops
    std::vector<int> takenTicks;
    for (int t = 1; t <= kHitAnimMaxTicks + 1; ++t) {
        UpdateHitAnims();
        gDrawList.Clear();
        if (t == 1) {
            EXPECT_FALSE(missing->Taken());
        }
        if (endless->Taken()) takenTicks.push_back(t);
    }
    EXPECT_EQ(std::tuple(takenTicks.size(), endless->Taken()),
              std::tuple(static_cast<size_t>(kHitAnimMaxTicks), false));
}

TEST(BattleSprite, FloatingTextRisesSixteenTicksAndKeepsWholeCharacters) {
    Harness h;
    std::string text = "xy";
    for (int i = 0; i < 20; ++i) text += "\xA4\x40";
    cFloatText* t = SpawnFloatText(nullptr, text.c_str(), 0xFFFF, 0, 10, 0, 100, -48, 0);
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(std::string(t->text), text.substr(0, 30));
    int drawn = 0;
    for (int tick = 0; tick < 30 && t->Taken(); ++tick) {
        UpdateFloatTexts();
        drawn += gDrawList.SpriteCount();
        gDrawList.Clear();
    }
    EXPECT_EQ(std::tuple(drawn, t->Taken()), std::tuple(16, false));
}

TEST_F(BattleSpriteArt, AfterImageCopiesFadeBy3AndVanishWithTheirFighter) {
    const u16 under = 0x0C63, colour = PlainColour(15001, 0);  // one plain colour

    cBattleSprite fighter;
    fighter.flags = kSpriteInUse | kSpriteTaken;
    fighter.anim.pic = 15001;
    fighter.anim.cellW = 1;  // drawn 8 pixels left of and above its point
    fighter.anim.cellH = 1;
    fighter.x = 58;
    fighter.z = 108;
    cAfterImage* a = AttachAfterImage(&fighter, 0, 9);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->count, kAfterImageCopies);
    for (int i = 0; i < kAfterImageCopies; ++i) a->history[i].x = 58 + 100 * i;
    for (int i = 0; i < 640 * 480; ++i) gPaintBuf[i] = under;
    a->drawFn(*a);
    for (int i = 0; i < kAfterImageCopies; ++i) {
        EXPECT_EQ(
            std::tuple(gPaintBuf[100 * 640 + 50 + 100 * i], gPaintBuf[99 * 640 + 50 + 100 * i]),
            std::tuple(BlendRef(colour, under, 16 - 3 * i), under))
            << i;
    }
    fighter.flags = 0;
    UpdateAfterImages();
    EXPECT_FALSE(a->Taken());
}
