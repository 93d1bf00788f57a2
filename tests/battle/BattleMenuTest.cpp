// The command menu by keys and mouse: ring rows per role and state, commit
// codes and targets, cancelling, waiting in turn, transforming, the creature
// ring; over the sample game's art, clicks on the ring, the description box
// and icons past the act.
#include "support/BattleFixtures.h"

namespace {

struct BattleMenu : BattleInput {
    cCommandMenu menu;
    MonsterData monsters[6] = {};

    void SetUp() override {
        BattleInput::SetUp();
        gSmartMouse = 0;
        gSkills = Table<SkillData>(40, &gSkillCount);
        menu.Reset();
    }
    void Fresh() {
        ResetBattleSides();
        menu.Reset();
    }

    // A fighter in slot i of a side, front row, standing at (x, z).
    static cFighter& Place(cBattleSide& side, int i, i32 kind, cFighterStats stats, i32 x, i32 z) {
        cFighter& f = side.fighters[i];
        f.Reset();
        f.flags = cFighter::kInUse | cFighter::kTaken;
        f.kind = kind;
        f.status = 0;
        f.stats = stats;
        f.row = 1;
        f.x = f.homeX = x;
        f.z = f.homeZ = z;
        side.count = std::max(side.count, i + 1);
        ++side.memberCount;
        return f;
    }
    // A ready party member of role r at slot i, front row.
    cFighter& Member(int i, i32 role, i32 hp = 100, i32 mp = 30) {
        cFighter& f = Place(gPartySide, i, kKindParty, cFighterStats::OfRole(&gRoleStats[role & 7]),
                            500 - 60 * i, 300);
        f.pic = static_cast<u32>(role);
        f.maxHp = 100;
        f.hp = hp;
        f.maxMp = f.mp = mp;
        f.gauge = 255;
        f.attackKind = 1;
        return f;
    }
    cFighter& Enemy(int i, i32 row, i32 kind = 0) {
        monsters[i].kind = kind;
        cFighter& f = Place(gEnemySide, i, kKindEnemy, cFighterStats::OfMonster(&monsters[i]),
                            100 + 70 * i, 200);
        f.pic = 0;
        f.maxHp = f.hp = 50;
        f.row = row;
        return f;
    }
    void Learn(i32 role, int k, i32 skill, i32 category, i32 target = 3, i32 cost = 5) {
        gSkills[skill] = {.id = skill, .category = category, .mpCost = cost, .target = target};
        gLevelUpSkills[role][k] = {skill, 1};
        gLearnedSkills[role][k] = 1;
    }

    void Tick(int n = 1) {
        for (int i = 0; i < n; ++i) {
            Poll();
            menu.Input();
        }
    }
    // Each key pressed for a tick and let go for a tick, in turn; then ticks more.
    void Press(std::initializer_list<u8> codes, int ticks = 0) {
        for (u8 code : codes) {
            PlatformSetKey(code, true);
            Tick();
            PlatformSetKey(code, false);
            Tick();
        }
        Tick(ticks);
    }
    // Chooses the commanded fighter and lets the panel and the ring come in.
    void RingIn() { Tick(12); }
    // The highlight stays where the last fighter left it.
    void ChooseRow(int r, int ticks = 0) {
        for (int k = 0; k < kRingRows && menu.row != r; ++k) Press({kScanDown});
        Press({kScanEnter}, ticks);
    }
    std::vector<i32> Enabled(i32 role) const {
        std::vector<i32> v;
        for (const CommandRow& r : gCommandRows[role]) v.push_back(r.enabled);
        return v;
    }
};

TEST_F(BattleMenu, RowsOpenByRoleMpFormsOnTheFieldAndSpellBan) {
    const struct Case {
        i32 role, mp;
        u32 status, realTime;
        bool form;                               // a god/demon form stands: no fleeing
        std::vector<std::array<i32, 2>> skills;  // learned: skill, category
        std::vector<i32> want;
    } cases[] = {
        // Rows: attack defend wait flee item steal magic chant.
        {2, 4, 0, 0, true, {{3, 6}}, {1, 1, 1, 0, 1, 0, 1, 0}},
        // Role 0 under a spell ban keeps only the healing and strike rows it has learned.
        {0, 5, kStSpellBan, 1, false, {{4, 3}, {5, 0}}, {1, 1, 0, 1, 1, 1, 1, 1}},
        // Role 1: summons and divine arts close under the ban although learned.
        {1, 30, kStSpellBan, 1, false, {{6, 1}}, {1, 1, 0, 1, 1, 0, 0, 0}},
    };
    for (const Case& c : cases) {
        Fresh();
        Member(0, c.role, 100, c.mp).status = c.status;
        Enemy(0, 1);
        if (c.form) Enemy(1, 1, 1);
        for (size_t k = 0; k < c.skills.size(); ++k)
            Learn(c.role, static_cast<int>(k), c.skills[k][0], c.skills[k][1]);
        gRealTimeBattle = c.realTime;
        RingIn();
        ASSERT_EQ(menu.current, &gPartySide.fighters[0]) << c.role;
        EXPECT_EQ(Enabled(c.role), c.want) << c.role;
    }
}

TEST_F(BattleMenu, AttackPicksAFrontRowEnemyAndHandsOverCode2) {
    cFighter& a = Member(0, 3);
    Enemy(0, 2);  // back row: a melee attack cannot reach it
    cFighter& e1 = Enemy(1, 1);
    cFighter& e2 = Enemy(2, 1);
    RingIn();
    EXPECT_EQ(gEnemySide.fighters[0].gaugesFrozen, 1);
    ChooseRow(0, 1);
    EXPECT_EQ(std::tuple(menu.blinkEnemy, e1.IsBlinking()), std::tuple(1, true));
    Press({kScanDown});
    EXPECT_EQ(menu.blinkEnemy, 2);
    Press({kScanDown});  // cycles over the front row only
    EXPECT_EQ(menu.blinkEnemy, 1);
    Press({kScanUp, kScanEnter});
    EXPECT_EQ(std::tuple(a.command, a.targets[0], e2.attackedBy, e2.IsBlinking(), menu.current,
                         a.IsGlowing(), gEnemySide.fighters[0].gaugesFrozen),
              std::tuple(kCmdAttack, &e2, &a, false, static_cast<cFighter*>(nullptr), false, 0));
}

TEST_F(BattleMenu, EachRowHandsOverItsCommandCode) {
    struct Case {
        i32 role;
        int row;
        i32 code;
        bool targeted;
        bool onAlly = false;
    } cases[] = {
        {3, 1, kCmdDefend, false}, {3, 3, kCmdFlee, false},
        {2, 5, kCmdTheft, true},   {0, 5, kCmdCapture, true},
        {7, 5, kCmdAirRaid, true}, {3, 7, kCmdSkillStrike, true},
        {1, 6, kCmdMagic, false},  {0, 7, kCmdSkillStrike, true, true},
    };
    for (const Case& c : cases) {
        Fresh();
        cFighter& a = Member(0, c.role);
        cFighter& e = Enemy(0, 1);
        Enemy(1, 1);
        Learn(3, 0, 7, 0, 3);  // a strike at one foe
        Learn(1, 0, 8, 1, 4);  // a spell on every foe
        Learn(0, 0, 9, 0, 1);  // a strike skill aimed at one ally
        RingIn();
        ChooseRow(c.row, 7);  // a skill list slides in, or the target is marked
        if (menu.list.open) {
            Press({kScanEnter}, 6);
        }
        if (c.targeted) Press({kScanEnter});
        SCOPED_TRACE(testing::Message() << c.role << " row " << c.row);
        EXPECT_EQ(a.command, c.code);
        if (c.targeted) {
            EXPECT_EQ(a.targets[0], c.onAlly ? &a : &e);
        }
        if (c.code == kCmdMagic) {
            EXPECT_EQ(std::tuple(a.targets[1], a.skillInUse),
                      std::tuple(&gEnemySide.fighters[1], &gSkills[8]));
        }
    }
}

TEST_F(BattleMenu, CaptureRefusesAGodDemonForm) {
    cFighter& a = Member(0, 0);
    Enemy(0, 1, 1);
    cFighter& e = Enemy(1, 1);
    RingIn();
    ChooseRow(5, 1);
    ASSERT_EQ(menu.blinkEnemy, 0);
    Press({kScanEnter});
    EXPECT_EQ(a.command, kCmdNone);
    Press({kScanDown, kScanUp});
    EXPECT_EQ(Look().first, kLookBadTarget);
    Press({kScanDown});
    EXPECT_EQ(Look().first, kLookTarget);
    Press({kScanEnter});
    EXPECT_EQ(std::tuple(a.command, a.targets[0]), std::tuple(kCmdCapture, &e));
}

TEST_F(BattleMenu, CancelGoesFromTargetToListToRing) {
    cFighter& a = Member(0, 4);
    cFighter& b = Member(1, 4);
    b.status = kStDying;
    Enemy(0, 1);
    gItems = Table<ItemData>(3, &gItemCount);
    gOwnedItems = Table<i32>(3);
    gItems[1] = {.id = 1, .statusEffect = kStatusEffectRevive, .usePlace = 2, .target = 1};
    gOwnedItems[1] = 2;
    RingIn();
    ChooseRow(4, 6);  // the item list slides down
    ASSERT_EQ(std::tuple(menu.list.open, menu.list.count), std::tuple(1, 1));
    Press({kScanEnter}, 6);  // and away again
    ASSERT_EQ(menu.item, &gItems[1]);
    EXPECT_EQ(menu.blinkParty, 0);
    Press({kScanEsc});  // target → list
    EXPECT_EQ(menu.item, nullptr);
    Tick(2);
    EXPECT_EQ(menu.list.open, 1);
    Tick(5);
    Press({kScanEsc}, 6);  // list → ring
    EXPECT_EQ(std::tuple(menu.chosen, menu.list.open, menu.current), std::tuple(0, 0, &a));

    // Again, this time onto the dying member with the revive item.
    Tick(4);  // the ring slides back in first
    EXPECT_EQ(menu.ringX, kRingInX);
    Press({kScanEnter}, 7);
    Press({kScanEnter}, 6);
    Press({kScanDown});
    EXPECT_EQ(menu.blinkParty, 1);
    Press({kScanEnter});
    EXPECT_EQ(std::tuple(a.command, a.itemInUse, a.targets[0]),
              std::tuple(kCmdItem, &gItems[1], &b));
}

// Esc on a skill list (magic, strike) slides it away and the same member's ring is back.
TEST_F(BattleMenu, EscOnASkillListBringsTheRingBack) {
    for (auto [role, row] : {std::pair(1, 6), std::pair(3, 7)}) {
        Fresh();
        cFighter& a = Member(0, role);
        Enemy(0, 1);
        Learn(3, 0, 7, 0, 3);
        Learn(1, 0, 8, 1, 4);
        RingIn();
        ChooseRow(row, 7);
        ASSERT_EQ(menu.list.open, 1) << row;
        Press({kScanEsc}, 6);
        EXPECT_EQ(std::tuple(menu.chosen, menu.list.open, menu.current, a.command),
                  std::tuple(0, 0, &a, kCmdNone))
            << row;
    }
}

TEST_F(BattleMenu, WaitingMembersTakeTurnsWithTheirMarks) {
    cFighter& a = Member(0, 3);
    cFighter& b = Member(1, 3);
    Enemy(0, 1);
    auto waitTurn = [&](cFighter& who) {
        RingIn();
        EXPECT_EQ(menu.current, &who);
        ChooseRow(2, 1);
    };
    waitTurn(a);
    EXPECT_EQ(std::tuple(a.ordered, a.command), std::tuple(1, kCmdNone));
    waitTurn(b);
    // Everybody waited: the next in turn loses its mark and is commanded again.
    EXPECT_EQ(std::tuple(b.ordered, a.ordered), std::tuple(1, 0));
    waitTurn(a);
    RingIn();
    EXPECT_EQ(std::tuple(menu.current, b.ordered), std::tuple(&b, 0));
}

TEST_F(BattleMenu, TransformOpensFromExactlyHalfHp) {
    cFighter& a = Member(0, 5, 50);  // max HP 100: 50 is half
    Member(1, 3);
    Enemy(0, 1);
    PutGameFlag(302, 1);
    gGodForms[2].actionCost = 10;
    gGodForms[2].offerValue = 20;
    RingIn();
    const i32 atHalf = gCommandRows[5][5].enabled;
    a.hp = 49;
    Tick();
    ChooseRow(5);
    EXPECT_EQ(std::tuple(atHalf, gCommandRows[5][5].enabled, menu.chosen), std::tuple(1, 0, 0));
    a.hp = 50;
    Tick();
    Press({kScanEnter}, 6);
    ASSERT_EQ(menu.list.count, 1);
    Press({kScanEnter}, 7);
    EXPECT_EQ(std::tuple(a.command, a.formToAdd), std::tuple(kCmdTransform, &gGodForms[2]));
}

TEST_F(BattleMenu, CreatureRingPaysItsOfferingAndKeepsMagicUnderBan) {
    gPartySide.creatureInControl = 1;
    cFighter& c = Member(0, 0);
    gPartySide.creature.offerValue = 10;
    gPartySide.creature.actionCost = 3;
    gPartySide.creature.kind = 1;
    c.kind = kKindAdded;
    c.stats = cFighterStats::OfMonster(&gPartySide.creature);
    c.status = kStSpellBan;
    cFighter& e = Enemy(0, 1);
    PlatformSetKey(kScanDown, true);  // down from before the ring came in: it moves nothing
    Tick(20);
    ASSERT_EQ(menu.current, &c);
    EXPECT_EQ(std::tuple(menu.ringX, menu.row), std::tuple(kCreatureRingInX, 0));
    PlatformSetKey(kScanDown, false);
    Tick();
    Press({kScanUp, kScanUp});
    // Banned magic, highlighted.
    EXPECT_EQ(std::tuple(menu.row, menu.creatureIcons[2].action), std::tuple(2, 32));
    Press({kScanEnter});
    EXPECT_EQ(menu.chosen, 0);
    Press({kScanDown, kScanDown, kScanEnter}, 1);
    Press({kScanEnter});
    EXPECT_EQ(std::tuple(c.command, c.targets[0], gPartySide.creature.offerValue),
              std::tuple(kCmdAttack, &e, 7));

    c.command = kCmdNone;
    Tick(6);
    ASSERT_EQ(menu.current, &c);
    Press({kScanDown, kScanEnter}, 1);  // 0 → 3, the release row
    EXPECT_EQ(std::tuple(c.command, gPartySide.creature.offerValue),
              std::tuple(kCmdEndTransform, 7));
}

TEST_F(BattleMenu, BadPictureNumbersAndStrayMiceAreHarmless) {
    Member(0, 9);
    Enemy(0, 1);
    gDInput.SetMousePos(5000, -5000);
    Tick(20);
    EXPECT_EQ(std::tuple(menu.current, CommandRole(gPartySide.fighters[0])),
              std::tuple(static_cast<cFighter*>(nullptr), -1));
    PlatformSetMouseButtons(true, true);
    Tick(3);
    PlatformSetMouseButtons(false, false);
    menu.Draw();
    EXPECT_EQ(gPartySide.fighters[0].command, kCmdNone);
}

struct BattleMenuArt : BattleMenu {
    void SetUp() override {
        h.StartSample();
        BattleMenu::SetUp();
    }
    // A one-row list shown with the given icon and description, over white.
    static void DrawOneRow(i32 icon, const std::string& text) {
        cBattleList list;
        list.Begin("t");
        list.Add(1, icon, 0, "a", 1, text.c_str(), text.size(), false);
        list.y = kListShownY;
        std::fill_n(gPaintBuf, 640 * 480, 0xFFFF);
        list.Draw(false);
    }
};

TEST_F(BattleMenuArt, AClickOnARingPointHighlightsThatRow) {
    Member(0, 3);
    Enemy(0, 1);
    RingIn();
    for (int k : {3, 7, 1, 6, 2, 5, 4, 0}) {
        gDInput.SetMousePos(gRingPoints[k].x, gRingPoints[k].y);
        Tick();
        EXPECT_EQ(menu.row, k);
    }
    PlatformSetMouseButtons(true, false);
    Tick();
    PlatformSetMouseButtons(false, false);
    EXPECT_EQ(std::tuple(menu.chosen, menu.code), std::tuple(1, kRingAttack));
    menu.Draw();
    EXPECT_TRUE(h.boxes().empty());
}

// The mouse over the ally pick: a member at home in the row asked for takes
// the mark (9103); one away from home or of another row shows 9107 and the
// mark stays where it was.
TEST_F(BattleMenuArt, TheAllyPickRefusesAMemberAwayFromHomeOrOfAnotherRow) {
    for (int i = 0; i < 4; ++i) ASSERT_TRUE(Member(i, 3).StartAnim(1000, 4));
    cFighter* m = gPartySide.fighters;
    m[1].x += 20;
    m[2].row = 2;
    cFighter* out = nullptr;
    Poll();
    menu.PickAlly(&out, 1, false);
    ASSERT_EQ(menu.blinkParty, 0);
    std::vector<std::pair<u32, i32>> seen;  // the look and the mark with the mouse on each
    for (int i : {1, 2, 3}) {
        gDInput.SetMousePos(m[i].x, m[i].z - 24);  // on its torso
        Poll();
        menu.PickAlly(&out, 1, false);
        seen.push_back({Look().first, menu.blinkParty});
    }
    EXPECT_EQ(seen, (std::vector<std::pair<u32, i32>>{
                        {kLookBadTarget, 0}, {kLookBadTarget, 0}, {kLookTarget, 3}}));
    EXPECT_EQ(out, kNobody);
}

TEST_F(BattleMenuArt, DescriptionBoxIsTwentyPixelsALinePlusFourAndIconsPastTheActDrawNothing) {
    for (int lines : {2, 1}) {
        DrawOneRow(-1, std::string(lines == 2 ? 31 : 20, 'x'));  // 31 bytes: 30 + 1
        const int top = kListShownY + 19, bottom = top + 20 * lines + 4;
        EXPECT_EQ(
            (std::array<u16, 4>{At(kListX + 200, bottom - 1), At(kListX + 200, bottom),
                                At(kListX + 160 + 207, top + 1), At(kListX + 160 + 208, top + 1)}),
            (std::array<u16, 4>{0, 0xFFFF, 0, 0xFFFF}))
            << lines;
    }
    // An empty description draws no box on the member list.
    DrawOneRow(-1, "");
    EXPECT_EQ(At(kListX + 161, kListShownY + 21), 0xFFFF);

    auto iconPixel = [&](i32 icon) {
        DrawOneRow(icon, "");
        return At(kListX + 21, kListShownY + 21);
    };
    const u16 none = iconPixel(-1);
    EXPECT_NE(iconPixel(3), none);
    EXPECT_EQ(std::tuple(iconPixel(45), iconPixel(4000)), std::tuple(none, none));
    EXPECT_TRUE(h.boxes().empty());
}

}  // namespace
