// The battle's own input and the panels it drives: the keyboard's repeat rule,
// the cursor's clicks and looks, the message log; the lists' rows, keys,
// paging, drag thumb and description breaks; the command menu by keys and
// mouse (ring rows per role and state, commit codes and targets, cancelling,
// waiting in turn, transforming, the creature ring); and over the sample
// game's art, clicks on the ring, the description box and icons past the act.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#include <string>
#include <tuple>
#include <vector>

#include "PixelRefs.h"
#include "battle/BattleKeys.h"
#include "battle/BattleLists.h"
#include "battle/BattleLog.h"
#include "battle/BattleMenu.h"
#include "battle/BattleSide.h"
#include "data/Config.h"
#include "data/GameData.h"
#include "data/GameFlags.h"
#include "data/KeyBindings.h"
#include "engine/DInput.h"
#include "engine/PicPaint.h"
#include "platform/Input.h"
#include "support/Harness.h"
#include "support/Input.h"

namespace {

// Scripted input over clean globals (the harness resets them all as it comes
// and goes), polled the way the battle frame polls it.
struct BattleInput : ::testing::Test {
    Harness h;
    void SetUp() override {
        ASSERT_EQ(gDInput.Init(nullptr, nullptr), 0);
        gBattleCursor.Init();
    }
    static void Poll() {
        gBattleKeys.Poll();
        gBattleCursor.Poll();
    }
    // A table of n zeroed records, owned by the data module (freed by its reset).
    template <class Rec>
    static Rec* Table(i32 n) {
        return static_cast<Rec*>(std::calloc(static_cast<size_t>(n), sizeof(Rec)));
    }
    static std::pair<u32, u32> Look(bool saved = false) {
        u32 act = 0, action = 0;
        saved ? gBattleCursor.GetSavedLook(&act, &action) : gBattleCursor.GetLook(&act, &action);
        return {act, action};
    }
};

// A line that a log draw puts on screen: the head before the draw.
std::vector<std::string> DrawLog(int draws) {
    std::vector<std::string> shown;
    for (int i = 0; i < draws; ++i) {
        const char* t = gBattleLog.HeadText();
        shown.push_back(t ? t : "");
        gBattleLog.Draw();
    }
    return shown;
}

}  // namespace

TEST_F(BattleInput, KeysRepeatFromTheNinthPollClicksCountOnceAndLooksAreRemembered) {
    // A held key repeats from its ninth poll on every second poll.
    const int key = 0xCB;
    // The polls (counted from 1) that report the key, down or up for all of them.
    auto reported = [&](bool down, int polls) {
        PlatformSetKey(key, down);
        std::vector<int> v;
        for (int poll = 1; poll <= polls; ++poll) {
            gBattleKeys.Poll();
            if (gBattleKeys.Pressed(key)) v.push_back(poll);
        }
        return v;
    };
    EXPECT_EQ(reported(true, 20), (std::vector<int>{1, 9, 11, 13, 15, 17, 19}));
    // Ignored while down, it repeats no more until let go; pressed again, it
    // is reported on the first poll it is down.
    gBattleKeys.IgnoreHeld();
    // Braced, so the calls run in order.
    EXPECT_EQ((std::tuple{reported(true, 12), reported(false, 1), reported(true, 1)}),
              std::tuple(std::vector<int>{}, std::vector<int>{}, std::vector<int>{1}));
    EXPECT_EQ(
        std::tuple(gBattleKeys.HeldTicks(key), gBattleKeys.Pressed(-1), gBattleKeys.Pressed(256)),
        std::tuple(1, false, false));
    PlatformSetKey(key, false);

    // The first new key is the lowest of the keys that went down.
    PlatformSetKey(0x50, true);
    gBattleKeys.Poll();
    PlatformSetKey(0x3D, true);
    PlatformSetKey(0x3B, true);
    gBattleKeys.Poll();
    // 0x50 is older; of the two new ones the lowest code counts.
    EXPECT_EQ(std::tuple(gBattleKeys.FirstNewKey(), gBattleKeys.FirstDownKey()),
              std::tuple(0x3B, 0x3B));
    gBattleKeys.Poll();
    EXPECT_EQ(gBattleKeys.FirstNewKey(), -1);

    // Clicks count only on the poll the button went down.
    std::vector<u32> clicks, held;
    for (bool down : {false, true, true, false, true}) {
        PlatformSetMouseButtons(down, false);
        gBattleCursor.Poll();
        clicks.push_back(gBattleCursor.Clicked(kMouseLeft | kMouseRight));
        held.push_back(gBattleCursor.Held(kMouseLeft));
    }
    EXPECT_EQ(std::tuple(clicks, held),
              std::tuple(std::vector<u32>{0, 1, 0, 0, 1}, std::vector<u32>{0, 1, 1, 0, 1}));

    // Looks remember the one they replace; the cursor stays on the screen.
    gBattleCursor.SetLook(kCursorAutoAct, 0);
    gBattleCursor.SetLook(kCursorAutoAct, 0);  // already current: the saved look stays 9101
    EXPECT_EQ(Look(true).first, kCursorLookAct);
    gBattleCursor.RestoreLook();
    EXPECT_EQ(Look().first, kCursorLookAct);
    gBattleCursor.SetPos(700, -5);
    i32 x = 0, y = 0;
    gDInput.ReadMouse(&x, &y);
    EXPECT_EQ(std::tuple(x, y), std::tuple(639, 0));
}

TEST(BattleLog, LinesTakeTurnsTheRingHoldsThirtyOneAndLongLinesAreCut) {
    // One line stays for 41 draws; three at once take turns.
    Harness h;
    ASSERT_EQ(gBattleLog.Add("one"), 1);
    std::vector<std::string> shown = DrawLog(43);
    EXPECT_EQ(std::tuple(std::count(shown.begin(), shown.end(), "one"), gBattleLog.Empty()),
              std::tuple(41, true));

    gBattleLog.Add("a");
    gBattleLog.Add("b");
    gBattleLog.Printf("%s%d", "c", 3);
    shown = DrawLog(44);
    EXPECT_EQ(
        std::tuple(shown[0], shown[1], shown[43], std::count(shown.begin(), shown.end(), "c3")),
        std::tuple("a", "b", "", 41));

    // The ring holds 31 lines; a reset frees them; long lines are cut between characters.
    for (int i = 0; i < 31; ++i) ASSERT_EQ(gBattleLog.Printf("line %d", i), 1) << i;
    EXPECT_EQ(std::tuple(gBattleLog.Add("32nd"), gBattleLog.Count()), std::tuple(0, 31));
    EXPECT_STREQ(gBattleLog.HeadText(), "line 0");
    // A new battle starts empty; the sanitizer build sees any line left behind.
    gBattleLog.Reset();
    EXPECT_EQ((std::tuple{gBattleLog.Empty(), gBattleLog.Add("again")}), (std::tuple{true, 1}));

    // 70 two-byte characters after one or two ASCII bytes: the 127-byte limit
    // keeps 63 of them after "x" and 62 after "xy", never half of one.
    for (std::string text : {"x", "xy"}) {
        const size_t kept = text.size() == 1 ? 127 : 126;
        for (int i = 0; i < 70; ++i) text += "\xA4\x40";
        gBattleLog.Reset();
        ASSERT_EQ(gBattleLog.Printf("%s", text.c_str()), 1);
        EXPECT_EQ(std::string(gBattleLog.HeadText()), text.substr(0, kept));
    }
}

TEST(BattleLog, StripIsHalfBlendedAndAnEmptyLogDrawsNothing) {
    Harness h;
    h.WriteSample();
    h.StartGame();
    ASSERT_NE(GetPic(kBattleLogStripPic, 0), nullptr);
    const u16 under = 0x7BEF;  // a mid grey in either layout
    std::vector<u16> before(640 * 480, under);
    std::memcpy(gPaintBuf, before.data(), before.size() * 2);
    gBattleLog.Draw();
    EXPECT_EQ(std::memcmp(gPaintBuf, before.data(), before.size() * 2), 0);

    gBattleLog.Add("");
    gBattleLog.Draw();
    const u16 half = BlendRef(PlainColour(kBattleLogStripPic, 0), under, 8);
    auto px = [](int x, int y) { return gPaintBuf[y * 640 + x]; };
    EXPECT_EQ((std::array<u16, 4>{px(100, 460), px(90, 450), px(100, 449), px(89, 460)}),
              (std::array<u16, 4>{half, half, under, under}));
}

namespace {

// List rows as {id, number, icon, disabled}.
using RowList = std::vector<std::array<i32, 4>>;

struct BattleList : BattleInput {
    cBattleList list;
    // One tick with the key pressed, then a released poll so the next press is new.
    i32 Press(u8 code, int times = 1) {
        i32 r = 0;
        for (int i = 0; i < times; ++i) {
            PlatformSetKey(code, true);
            Poll();
            r = list.Input();
            PlatformSetKey(code, false);
            Poll();
        }
        return r;
    }
    i32 Idle() {
        Poll();
        return list.Input();
    }
    // The cursor moved to (x, y) for one tick.
    void MouseTo(i32 x, i32 y) {
        gDInput.SetMousePos(x, y);
        Idle();
    }
    void Buttons(bool left, bool right) {
        PlatformSetMouseButtons(left, right);
        Idle();
    }
    void SlideIn() {
        for (int i = 0; i < 5; ++i) ASSERT_EQ(Idle(), kListRunning);
        ASSERT_EQ(list.y, kListShownY);
    }
    void Rows(int n) {
        list.Begin("t");
        for (int i = 0; i < n; ++i) list.Add(i, -1, 0, "row", 3, "", 0, false);
        SlideIn();
    }
    // Until the list has slid away: its result.
    i32 Close() {
        for (int i = 0; i < 10; ++i)
            if (const i32 r = Idle(); r != kListRunning) return r;
        return 99;
    }
    // The first n rows (all by default).
    RowList Shown(int n = -1) const {
        RowList v;
        for (int i = 0; i < (n < 0 ? list.count : n); ++i) {
            const ListRow& r = list.rows[i];
            v.push_back({r.id, r.number, r.icon, r.disabled});
        }
        return v;
    }
    // The thumb on its track, the selection a row, the view row the selection's place in the view.
    void ExpectValid() const {
        EXPECT_EQ(std::tuple(0 <= list.thumb && list.thumb <= kThumbTravel,
                             0 <= list.selected && list.selected < list.count, list.top >= 0,
                             0 <= list.viewRow && list.viewRow < kListViewRows, list.viewRow),
                  std::tuple(true, true, true, true, list.selected - list.top));
    }
};

constexpr char kB5[] = "\xA4\xA4";  // one Big5 character

std::string Text(bool leadAscii, int big5Chars) {
    std::string s = leadAscii ? "a" : "";
    for (int i = 0; i < big5Chars; ++i) s += kB5;
    return s;
}

}  // namespace

TEST(BattleListText, DescriptionsBreakAtCharacterBoundariesWithin30Bytes) {
    struct Case {
        std::string text;
        std::vector<size_t> lengths;  // worked out by hand
    };
    const Case cases[] = {
        {Text(false, 10), {20}},          // 20 bytes: one line
        {Text(true, 10), {21}},           // 21
        {Text(true, 14), {29}},           // 29
        {Text(false, 15), {30}},          // 30: exactly one full line
        {Text(true, 15), {29, 2}},        // 31: the 15th character would cross byte 30
        {Text(true, 30), {29, 30, 2}},    // 61
        {std::string(31, 'x'), {30, 1}},  // plain bytes break at 30
    };
    for (const Case& c : cases) {
        const DescLines d = BreakDescription(c.text.data(), c.text.size());
        std::vector<size_t> lengths;
        std::string joined;
        for (int i = 0; i < d.count; ++i) {
            lengths.push_back(d.length[i]);
            joined += c.text.substr(d.start[i], d.length[i]);
        }
        EXPECT_EQ(std::tuple(lengths, joined), std::tuple(c.lengths, c.text)) << c.text.size();
    }
    EXPECT_EQ(std::tuple(DescBoxHeight(1), DescBoxHeight(3)), std::tuple(24, 64));
}

TEST_F(BattleList, ItemRowsAreOwnedBattleItemsNamesStayInTheirFieldAndAtMost256) {
    // Items 0-4 as below, then 295 more battle items owned once each.
    gItemCount = 300;
    gItems = Table<ItemData>(300);
    gOwnedItems = Table<i32>(300);
    const i32 owned[5] = {3, 0, -4, 7, 2}, place[5] = {2, 2, 3, 3, 1};
    for (int i = 0; i < 300; ++i) {
        gOwnedItems[i] = i < 5 ? owned[i] : 1;
        gItems[i].usePlace = i < 5 ? place[i] : 2;
        gItems[i].icon = i < 5 ? 10 + i : 0;
        if (i >= 5) continue;
        std::memset(gItems[i].name, 'A' + i, sizeof(gItems[i].name));  // no end mark
        std::memset(gItems[i].description, 'z', sizeof(gItems[i].description));
    }
    list.Begin("x");
    FillItemRows(list);
    // 1 owns none, 2 owns a negative count, 4 is for the map; 297 qualify, 256 are kept.
    ASSERT_EQ(list.count, kListMaxRows);
    EXPECT_EQ(Shown(3), (RowList{{0, 3, 10, 0}, {3, 7, 13, 0}, {5, 1, 0, 0}}));
    EXPECT_EQ(std::tuple(std::string(list.rows[1].name), std::string(list.rows[1].description),
                         list.rows[255].id, list.Add(999, 0, 0, "n", 1, "", 0, false), list.count),
              std::tuple(std::string(32, 'D'), std::string(52, 'z'), 258, false, kListMaxRows));
}

TEST_F(BattleList, SkillsSummonsFormsCreatureMagicAndThrowsByTheirRules) {
    gSkillCount = 230;
    gSkills = Table<SkillData>(230);
    for (int i = 0; i < 230; ++i) gSkills[i].id = i;
    auto skill = [](i32 id, i32 category, i32 mpCost, i32 icon = 0) {
        SkillData& s = gSkills[id];
        s.category = category;
        s.mpCost = mpCost;
        s.icon = icon;
    };
    skill(5, 3, 8);
    skill(6, 3, 30);
    skill(7, 0, 4);
    skill(201, 2, 50);  // form 1's summon
    skill(203, 6, 0);   // form 3's skill is no summon
    const LevelUpSkill ups[4] = {{5, 1}, {6, 9}, {7, 1}, {5, 1}};
    std::copy(ups, ups + 4, gLevelUpSkills[2]);
    gLearnedSkills[2][0] = gLearnedSkills[2][1] = gLearnedSkills[2][2] = 1;

    list.Begin("x");
    FillSkillRows(list, 2, 3, 20);
    // Row 3 repeats skill 5 but is not learned; 6 costs 30 MP, the fighter has 20.
    EXPECT_EQ(Shown(), (RowList{{5, 8, 0, 0}, {6, 30, 0, 1}}));

    for (int k : {1, 3}) PutGameFlag(300 + k, 1);
    list.Begin("x");
    FillSummonRows(list, 60);
    EXPECT_EQ(Shown(), (RowList{{201, 50, 0, 0}}));

    gGodForms[1].actionCost = 10;
    gGodForms[1].offerValue = 9;  // too few offerings
    gGodForms[3].actionCost = 10;
    gGodForms[3].offerValue = 10;
    list.Begin("x");
    FillFormRows(list, 10);
    EXPECT_EQ(Shown(), (RowList{{1, 10, -1, 1}, {3, 10, -1, 0}}));
    list.Begin("x");
    FillFormRows(list, 9);
    EXPECT_EQ(list.rows[1].disabled, 1);  // the fighter's MP is below the cost

    MonsterData m{};
    const MonsterSkill specials[5] = {{0, 3}, {-7, 3}, {7, 1}, {5000, 1}, {6, 1}};
    std::copy(specials, specials + 5, m.specials);
    m.healSkill = {5, 2};
    skill(7, 0, 4, 12);
    skill(5, 3, 8, 14);
    list.Begin("x");
    FillCreatureMagicRows(list, m, 10);
    // 0, negative and past-the-table ids are no skill; the healing special's row comes last.
    EXPECT_EQ(Shown(), (RowList{{7, 4, 12, 0}, {6, 30, 0, 1}, {5, 8, 0, 0}}));

    // Worn pieces are never thrown.
    for (EquipageData& e : gOwnedEquipage) e.id = -1;
    gOwnedEquipage[4] = EquipageData{};
    gOwnedEquipage[4].id = 1;
    gOwnedEquipage[4].kind = 1;
    gOwnedEquipage[9] = gOwnedEquipage[4];
    gOwnedEquipage[9].icon = 6;
    for (RoleData& r : gRoles)
        for (i32& e : r.equip) e = -1;
    gRoles[3].equip[kSlotWeapon] = 4;
    gParty[0] = 3;
    gParty[1] = -1;
    list.Begin("x");
    FillThrowRows(list);
    EXPECT_EQ(Shown(), (RowList{{9, 0, 6, 0}}));
}

TEST_F(BattleList, KeysMoveTheSelectionAndPagingStopsAtTheEnds) {
    // After each run of presses: the selection, the view's top row, the thumb
    // (-1: not checked) and the highlighted view row.
    const struct Step {
        int rows;  // a fresh list of that many rows first (0: the same list)
        u8 key;
        int times;
        i32 selected, top, thumb, viewRow;
    } steps[] = {
        {20, kScanUp, 1, 0, 0, -1, 0},
        {0, kScanPgDn, 1, 6, 6, 7 * 80 / 20, 0},
        {0, kScanPgDn, 2, 18, 18, -1, 0},  // 12 was below 20 - 6: the last page shows two rows
        {0, kScanPgDn, 1, 19, 18, 80, 1},  // within six of the end: the last row
        {0, kScanPgUp, 1, 13, 12, -1, 1},
        {0, kScanUp, 8, 5, 5, -1, 0},
        {0, kScanPgUp, 1, 0, 0, 0, 0},
        {0, kScanDown, 7, 7, 2, -1, 5},  // the view scrolled once the sixth row was passed
        // Ten rows: a page down heads the view with row 6 and highlights its first line.
        {10, kScanPgDn, 1, 6, 6, -1, 0},
        {0, kScanDown, 1, 7, 6, -1, 1},
        {0, kScanPgDn, 1, 9, 6, -1, 3},  // no full page below 6: the top stays, the last row
        {0, kScanPgUp, 1, 3, 0, -1, 3},
    };
    for (const Step& s : steps) {
        if (s.rows) Rows(s.rows);
        EXPECT_EQ(Press(s.key, s.times), kListRunning);
        SCOPED_TRACE(testing::Message() << "to " << s.selected);
        EXPECT_EQ(std::tuple(list.selected, list.top, list.viewRow),
                  std::tuple(s.selected, s.top, s.viewRow));
        if (s.thumb >= 0) {
            EXPECT_EQ(list.thumb, s.thumb);
        }
        ExpectValid();
    }
}

TEST_F(BattleList, DisabledAndEmptyListsCannotBeConfirmed) {
    list.Begin("x");
    list.Add(1, -1, 9, "dear", 4, "", 0, true);
    list.Add(2, -1, 1, "cheap", 5, "", 0, false);
    SlideIn();
    Press(kScanEnter);
    EXPECT_EQ(list.confirmed, 0);
    Press(kScanDown);
    Press(kScanEnter);
    EXPECT_EQ(Close(), kListConfirmed);
    EXPECT_EQ(std::tuple(list.Selected()->id, list.open), std::tuple(2, 0));

    Rows(0);
    for (u8 key : {kScanEnter, kScanPgDn, kScanDown}) Press(key);
    EXPECT_EQ(std::tuple(list.confirmed, list.selected), std::tuple(0, 0));
    Press(kScanEsc);
    EXPECT_EQ(Close(), kListCancelled);
}

TEST_F(BattleList, DragsToTheTrackEndsAndMouseOverRowsSelectAndRightClickCancels) {
    Rows(40);
    gDInput.SetMousePos(list.x + 150, list.ThumbTop());
    Buttons(true, false);
    // Half the travel: 40 x 40 / 80 - 1; at the bottom the dragged-to row heads the view.
    const struct {
        i32 y, thumb, selected, top;
    } drags[] = {{50 + 40, 40, 19, -1}, {479, 80, 39, 39}, {0, 0, 0, 0}};
    for (const auto& d : drags) {
        MouseTo(list.x + 150, d.y);
        EXPECT_EQ(std::tuple(list.thumb, list.selected), std::tuple(d.thumb, d.selected)) << d.y;
        if (d.top >= 0) {
            EXPECT_EQ(std::tuple(list.top, list.viewRow), std::tuple(d.top, 0));
        }
    }
    Buttons(false, false);
    Rows(1);  // one row: the thumb still has a place to be grabbed
    gDInput.SetMousePos(list.x + 150, list.ThumbTop());
    Buttons(true, false);
    EXPECT_EQ(list.dragging, 1);
    Buttons(false, false);

    Rows(10);
    // A row's line, the last pixel row of the sixth line, then past the screen's corner.
    const struct {
        i32 x, y, selected;
    } overs[] = {{300, 45 + 3 * 20 + 5, 3}, {300, 160, 5}, {2000, -300, 5}};
    for (const auto& o : overs) {
        MouseTo(o.x, o.y);
        EXPECT_EQ(list.selected, o.selected) << o.y;
    }
    PlatformSetMouseButtons(false, true);
    Idle();
    PlatformSetMouseButtons(false, false);
    EXPECT_EQ(Close(), kListCancelled);
}

namespace {

struct BattleMenu : BattleInput {
    cCommandMenu menu;
    MonsterData monsters[6] = {};

    void SetUp() override {
        BattleInput::SetUp();
        gSmartMouse = 0;
        gSkillCount = 40;
        gSkills = Table<SkillData>(40);
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

}  // namespace

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
    gItemCount = 3;
    gItems = Table<ItemData>(3);
    gOwnedItems = Table<i32>(3);
    gItems[1].id = 1;
    gItems[1].usePlace = 2;
    gItems[1].target = 1;
    gItems[1].statusEffect = kStatusEffectRevive;
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
    EXPECT_EQ(gCommandRows[5][5].enabled, 1);
    a.hp = 49;
    Tick();
    EXPECT_EQ(gCommandRows[5][5].enabled, 0);
    ChooseRow(5);
    EXPECT_EQ(menu.chosen, 0);
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

namespace {
struct BattleMenuArt : BattleMenu {
    void SetUp() override {
        h.WriteSample();
        h.StartGame();
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

TEST_F(BattleMenuArt, DescriptionBoxIsTwentyPixelsALinePlusFourAndIconsPastTheActDrawNothing) {
    for (int lines : {2, 1}) {
        DrawOneRow(-1, std::string(lines == 2 ? 31 : 20, 'x'));  // 31 bytes: 30 + 1
        const int top = kListShownY + 19, bottom = top + 20 * lines + 4;
        EXPECT_EQ(
            (std::array<u16, 4>{Px(kListX + 200, bottom - 1), Px(kListX + 200, bottom),
                                Px(kListX + 160 + 207, top + 1), Px(kListX + 160 + 208, top + 1)}),
            (std::array<u16, 4>{0, 0xFFFF, 0, 0xFFFF}))
            << lines;
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
    EXPECT_EQ(std::tuple(iconPixel(45), iconPixel(4000)), std::tuple(none, none));
    EXPECT_TRUE(h.boxes().empty());
}
