// Setting up the two sides: the party's slots, rows and equipment specials,
// the enemies by depth, the added form, and the sides' queries.
#include "support/BattleFixtures.h"

namespace {

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
        gOwnedEquipage[n] = {
            .id = n, .weaponPic = 7100 + n, .kind = kind, .special = sp, .look = look};
        return n;
    }
};

TEST_F(Sides, PartyPacksSlotsAndKeepsFormationPlaces) {
    SetUpParty({-1, 2, -1, 5, 3, -1, 7, 7});
    const cBattleSide& s = gPartySide;
    ASSERT_EQ(std::tuple(s.count, s.memberCount), std::tuple(3, 3));
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
    gRoleStats[0].status = gRoleStats[1].status = kStDying;
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
    gSkills = Table<SkillData>(8, &gSkillCount);
    // Weapon, shield, hat, armour and the two accessories. Role 0's weapon is
    // ranged and held in both hands, so its shield is the same piece, counted
    // once. Role 1's hat is outside the owned table and its first accessory
    // names no skill.
    const i32 worn[2][kSlotCount] = {
        {Piece(10, 6, {1, 10, 5, 0, 0}, 3), 10, Piece(11, 4, {2, 3, 4, 0, 0}),
         Piece(12, 5, {3, 7, 8, 0, 0}), Piece(13, 7, {4, 0, 0, 11, 0}),
         Piece(14, 7, {5, 0, 0, 0, 0})},
        {Piece(20, 1, {6, 0, 0, 0, 4}, 3), Piece(21, 3, {4, 0, 0, 13, 0}, 2), 300, -7,
         Piece(22, 7, {6, 0, 0, 0, 99}), Piece(23, 7, {4, 0, 0, 2, 0})}};
    for (int r : {0, 1}) std::copy_n(worn[r], kSlotCount, gRoles[r].equip);
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
        gMonsters = Table<MonsterData>(10, &gMonsterCount);
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
    // Attributes: half the living members' sum plus half the form's (strength
    // 30 / 2 + 9 / 2); attack and defence: the form's plus the members' sums.
    const MonsterData& c = gPartySide.creature;
    EXPECT_EQ((std::vector<i32>{c.strength, c.stamina, c.magic, c.agility, c.attack, c.defence}),
              (std::vector<i32>{15 + 4, 4 + 1, 7 + 2, 10 + 5, 130, 78}));
    // HP and MP: the form's and the living members' (100 + 101, 20 + 21; HP 50
    // + 101 now), halved; the head start 7 plus the agility.
    EXPECT_EQ((std::vector<i32>{f->maxHp, f->hp, f->maxMp, f->mp, f->attack, f->fleeRate,
                                f->attackKind, f->reflect, f->gauge}),
              (std::vector<i32>{501 / 2, 431 / 2, 101 / 2, 81 / 2, 130, 35, 2, 16, 7 + 15}));
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

}  // namespace
