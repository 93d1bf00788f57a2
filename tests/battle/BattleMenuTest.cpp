// The command menu driven by keys and mouse: which ring rows are open per role
// and state, the commit codes and targets, cancelling back through target,
// list and ring, waiting in turn, transforming at half HP, the creature ring;
// and over the sample game's art, clicks on the ring, the description box and
// icons past the icon act.
#include <algorithm>
#include <string>
#include <vector>

#include "BattleInputTest.h"
#include "battle/BattleMenu.h"
#include "battle/BattleSide.h"
#include "data/Config.h"
#include "engine/PicPaint.h"

namespace {

struct BattleMenu : BattleInputTest {
    cCommandMenu menu;
    MonsterData monsters[6] = {};

    void SetUp() override {
        BattleInputTest::SetUp();
        ResetBattleSides();
        gRealTimeBattle = 0;
        gSmartMouse = 0;
        gSkillCount = 40;
        gSkills = Table<SkillData>(40);
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
        gSkills[skill].id = skill;
        gSkills[skill].category = category;
        gSkills[skill].target = target;
        gSkills[skill].mpCost = cost;
        gLevelUpSkills[role][k] = {skill, 1};
        gLearnedSkills[role][k] = 1;
    }

    void Tick(int n = 1) {
        for (int i = 0; i < n; ++i) {
            Poll();
            menu.Input();
        }
    }
    void Press(u8 code) {
        PlatformSetKey(code, true);
        Tick();
        PlatformSetKey(code, false);
        Tick();
    }
    // Chooses the commanded fighter and lets the panel and the ring come in.
    void RingIn() { Tick(12); }
    // The highlight stays where the last fighter left it.
    void ChooseRow(int r) {
        for (int k = 0; k < kRingRows && menu.row != r; ++k) Press(kScanDown);
        Press(kScanEnter);
    }
    std::vector<i32> Enabled(i32 role) const {
        std::vector<i32> v;
        for (const CommandRow& r : gCommandRows[role]) v.push_back(r.enabled);
        return v;
    }
};

}  // namespace

TEST_F(BattleMenu, RowsOpenByRoleMpFormsOnTheFieldAndSpellBan) {
    Member(0, 2, 100, 4);  // rows: attack defend wait flee item steal magic chant
    Enemy(0, 1, 0);
    Enemy(1, 1, 1);  // a god/demon form stands: no fleeing
    Learn(2, 0, 3, 6);
    RingIn();
    ASSERT_EQ(menu.current, &gPartySide.fighters[0]);
    EXPECT_EQ(Enabled(2), (std::vector<i32>{1, 1, 1, 0, 1, 0, 1, 0}));

    // Role 0 under a spell ban keeps only the healing and strike rows it has learned.
    ResetBattleSides();
    menu.Reset();
    Member(0, 0, 100, 5).status = kStSpellBan;
    Enemy(0, 1);
    Learn(0, 0, 4, 3);
    Learn(0, 1, 5, 0);
    gRealTimeBattle = 1;
    RingIn();
    ASSERT_EQ(menu.current, &gPartySide.fighters[0]);
    EXPECT_EQ(Enabled(0), (std::vector<i32>{1, 1, 0, 1, 1, 1, 1, 1}));

    // Role 1: summons and divine arts close under the ban although learned.
    ResetBattleSides();
    menu.Reset();
    Member(0, 1).status = kStSpellBan;
    Enemy(0, 1);
    Learn(1, 0, 6, 1);
    RingIn();
    EXPECT_EQ(Enabled(1), (std::vector<i32>{1, 1, 0, 1, 1, 0, 0, 0}));
}

TEST_F(BattleMenu, AttackPicksAFrontRowEnemyAndHandsOverCode2) {
    cFighter& a = Member(0, 3);
    Enemy(0, 2);  // back row: a melee attack cannot reach it
    cFighter& e1 = Enemy(1, 1);
    cFighter& e2 = Enemy(2, 1);
    RingIn();
    EXPECT_EQ(gEnemySide.fighters[0].gaugesFrozen, 1);
    ChooseRow(0);
    Tick();
    EXPECT_EQ(menu.blinkEnemy, 1);
    EXPECT_TRUE(e1.IsBlinking());
    Press(kScanDown);
    EXPECT_EQ(menu.blinkEnemy, 2);
    Press(kScanDown);  // cycles over the front row only
    EXPECT_EQ(menu.blinkEnemy, 1);
    Press(kScanUp);
    Press(kScanEnter);
    EXPECT_EQ(a.command, kCmdAttack);
    EXPECT_EQ(a.targets[0], &e2);
    EXPECT_EQ(e2.attackedBy, &a);
    EXPECT_FALSE(e2.IsBlinking());
    EXPECT_EQ(menu.current, nullptr);
    EXPECT_FALSE(a.IsGlowing());
    EXPECT_EQ(gEnemySide.fighters[0].gaugesFrozen, 0);
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
        ResetBattleSides();
        menu.Reset();
        cFighter& a = Member(0, c.role);
        cFighter& e = Enemy(0, 1);
        Enemy(1, 1);
        Learn(3, 0, 7, 0, 3);  // a strike at one foe
        Learn(1, 0, 8, 1, 4);  // a spell on every foe
        Learn(0, 0, 9, 0, 1);  // a strike skill aimed at one ally
        RingIn();
        ChooseRow(c.row);
        Tick(7);  // a skill list slides in, or the target is marked
        if (menu.list.open) {
            Press(kScanEnter);
            Tick(6);
        }
        if (c.targeted) Press(kScanEnter);
        EXPECT_EQ(a.command, c.code) << c.role << " row " << c.row;
        if (c.targeted) {
            EXPECT_EQ(a.targets[0], c.onAlly ? &a : &e) << c.role << " row " << c.row;
        }
        if (c.code == kCmdMagic) {
            EXPECT_EQ(a.targets[1], &gEnemySide.fighters[1]);
            EXPECT_EQ(a.skillInUse, &gSkills[8]);
        }
    }
}

TEST_F(BattleMenu, CaptureRefusesAGodDemonForm) {
    cFighter& a = Member(0, 0);
    Enemy(0, 1, 1);
    cFighter& e = Enemy(1, 1);
    RingIn();
    ChooseRow(5);
    Tick();
    ASSERT_EQ(menu.blinkEnemy, 0);
    Press(kScanEnter);
    EXPECT_EQ(a.command, kCmdNone);
    Press(kScanDown);
    Press(kScanUp);
    u32 act = 0, action = 0;
    gBattleCursor.GetLook(&act, &action);
    EXPECT_EQ(act, kLookBadTarget);
    Press(kScanDown);
    gBattleCursor.GetLook(&act, &action);
    EXPECT_EQ(act, kLookTarget);
    Press(kScanEnter);
    EXPECT_EQ(a.command, kCmdCapture);
    EXPECT_EQ(a.targets[0], &e);
}

TEST_F(BattleMenu, CancelGoesFromTargetToListToRing) {
    cFighter& a = Member(0, 4);
    cFighter& b = Member(1, 4);
    b.status = kStDying;
    Enemy(0, 1);
    gItemCount = 3;
    gItems = Table<ItemData>(3);
    gOwnedItems = Table<i32>(3);
    gItems[1] = ItemData{};
    gItems[1].id = 1;
    gItems[1].usePlace = 2;
    gItems[1].target = 1;
    gItems[1].statusEffect = kStatusEffectRevive;
    gOwnedItems[1] = 2;
    RingIn();
    ChooseRow(4);
    Tick(6);  // the item list slides down
    ASSERT_EQ(menu.list.open, 1);
    ASSERT_EQ(menu.list.count, 1);
    Press(kScanEnter);
    Tick(6);  // and away again
    ASSERT_EQ(menu.item, &gItems[1]);
    EXPECT_EQ(menu.blinkParty, 0);
    Press(kScanEsc);  // target → list
    EXPECT_EQ(menu.item, nullptr);
    Tick(2);
    EXPECT_EQ(menu.list.open, 1);
    Tick(5);
    Press(kScanEsc);  // list → ring
    Tick(6);
    EXPECT_EQ(menu.chosen, 0);
    EXPECT_EQ(menu.list.open, 0);
    EXPECT_EQ(menu.current, &a);

    // Again, this time onto the dying member with the revive item.
    Tick(4);  // the ring slides back in first
    EXPECT_EQ(menu.ringX, kRingInX);
    Press(kScanEnter);
    Tick(7);
    Press(kScanEnter);
    Tick(6);
    Press(kScanDown);
    EXPECT_EQ(menu.blinkParty, 1);
    Press(kScanEnter);
    EXPECT_EQ(a.command, kCmdItem);
    EXPECT_EQ(a.itemInUse, &gItems[1]);
    EXPECT_EQ(a.targets[0], &b);
}

TEST_F(BattleMenu, WaitingMembersTakeTurnsWithTheirMarks) {
    cFighter& a = Member(0, 3);
    cFighter& b = Member(1, 3);
    Enemy(0, 1);
    RingIn();
    ASSERT_EQ(menu.current, &a);
    ChooseRow(2);
    Tick();
    EXPECT_EQ(a.ordered, 1);
    EXPECT_EQ(a.command, kCmdNone);
    RingIn();
    ASSERT_EQ(menu.current, &b);
    ChooseRow(2);
    Tick();
    // Everybody waited: the next in turn loses its mark and is commanded again.
    EXPECT_EQ(b.ordered, 1);
    EXPECT_EQ(a.ordered, 0);
    RingIn();
    EXPECT_EQ(menu.current, &a);
    ChooseRow(2);
    Tick();
    RingIn();
    EXPECT_EQ(menu.current, &b);
    EXPECT_EQ(b.ordered, 0);
}

TEST_F(BattleMenu, TransformOpensFromExactlyHalfHp) {
    cFighter& a = Member(0, 5, 50);  // max HP 100: 50 is half
    Member(1, 3);
    Enemy(0, 1);
    PutGameFlag(302, 1);
    gGodForms[2].actionCost = 10;
    gGodForms[2].offerValue = 20;
    RingIn();
    EXPECT_EQ(gCommandRows[5][5].enabled, 1);
    a.hp = 49;
    Tick();
    EXPECT_EQ(gCommandRows[5][5].enabled, 0);
    ChooseRow(5);
    EXPECT_EQ(menu.chosen, 0);
    a.hp = 50;
    Tick();
    Press(kScanEnter);
    Tick(6);
    ASSERT_EQ(menu.list.count, 1);
    Press(kScanEnter);
    Tick(7);
    EXPECT_EQ(a.command, kCmdTransform);
    EXPECT_EQ(a.formToAdd, &gGodForms[2]);
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
    EXPECT_EQ(menu.ringX, kCreatureRingInX);
    EXPECT_EQ(menu.row, 0);
    PlatformSetKey(kScanDown, false);
    Tick();
    Press(kScanUp);
    Press(kScanUp);
    EXPECT_EQ(menu.row, 2);
    EXPECT_EQ(menu.creatureIcons[2].action, 32);  // banned magic, highlighted
    Press(kScanEnter);
    EXPECT_EQ(menu.chosen, 0);
    Press(kScanDown);
    Press(kScanDown);
    Press(kScanEnter);
    Tick();
    Press(kScanEnter);
    EXPECT_EQ(c.command, kCmdAttack);
    EXPECT_EQ(c.targets[0], &e);
    EXPECT_EQ(gPartySide.creature.offerValue, 7);

    c.command = kCmdNone;
    Tick(6);
    ASSERT_EQ(menu.current, &c);
    Press(kScanDown);  // 0 → 3, the release row
    Press(kScanEnter);
    Tick();
    EXPECT_EQ(c.command, kCmdEndTransform);
    EXPECT_EQ(gPartySide.creature.offerValue, 7);
}

TEST_F(BattleMenu, BadPictureNumbersAndStrayMiceAreHarmless) {
    Member(0, 9);
    Enemy(0, 1);
    gDInput.SetMousePos(5000, -5000);
    Tick(20);
    EXPECT_EQ(menu.current, nullptr);
    EXPECT_EQ(CommandRole(gPartySide.fighters[0]), -1);
    PlatformSetMouseButtons(true, true);
    Tick(3);
    PlatformSetMouseButtons(false, false);
    menu.Draw();
    EXPECT_EQ(gPartySide.fighters[0].command, kCmdNone);
}

namespace {
struct BattleMenuArt : BattleMenu {
    void SetUp() override {
        h.WriteSample();
        h.StartGame();
        ASSERT_NE(gPaintBuf, nullptr);
        BattleMenu::SetUp();
    }
    u16 Px(int x, int y) const { return gPaintBuf[y * 640 + x]; }
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
}  // namespace

TEST_F(BattleMenuArt, AClickOnARingPointHighlightsThatRow) {
    Member(0, 3);
    Enemy(0, 1);
    RingIn();
    ASSERT_EQ(menu.ringX, kRingInX);
    for (int k : {3, 7, 1, 6, 2, 5, 4, 0}) {
        gDInput.SetMousePos(gRingPoints[k].x, gRingPoints[k].y);
        Tick();
        EXPECT_EQ(menu.row, k);
    }
    PlatformSetMouseButtons(true, false);
    Tick();
    PlatformSetMouseButtons(false, false);
    EXPECT_EQ(menu.chosen, 1);
    EXPECT_EQ(menu.code, kRingAttack);
    menu.Draw();
    EXPECT_TRUE(h.boxes().empty());
}

TEST_F(BattleMenuArt, DescriptionBoxIsTwentyPixelsALinePlusFourAndIconsPastTheActDrawNothing) {
    for (int lines : {2, 1}) {
        DrawOneRow(-1, std::string(lines == 2 ? 31 : 20, 'x'));  // 31 bytes: 30 + 1
        const int top = kListShownY + 19, bottom = top + 20 * lines + 4;
        EXPECT_EQ(Px(kListX + 200, bottom - 1), 0) << lines;
        EXPECT_EQ(Px(kListX + 200, bottom), 0xFFFF) << lines;
        EXPECT_EQ(Px(kListX + 160 + 207, top + 1), 0) << lines;
        EXPECT_EQ(Px(kListX + 160 + 208, top + 1), 0xFFFF) << lines;
    }
    // An empty description draws no box on the member list.
    DrawOneRow(-1, "");
    EXPECT_EQ(Px(kListX + 161, kListShownY + 21), 0xFFFF);

    auto iconPixel = [&](i32 icon) {
        DrawOneRow(icon, "");
        return Px(kListX + 21, kListShownY + 21);
    };
    const u16 none = iconPixel(-1);
    EXPECT_NE(iconPixel(3), none);
    EXPECT_EQ(iconPixel(45), none);
    EXPECT_EQ(iconPixel(4000), none);
    EXPECT_TRUE(h.boxes().empty());
}
