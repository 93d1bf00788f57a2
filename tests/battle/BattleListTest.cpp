// The battle's own input and the lists it drives: the keyboard's repeat rule,
// the cursor's clicks and looks, the message log; the lists' rows, keys,
// paging, drag thumb and description breaks.
#include "support/BattleFixtures.h"

namespace {

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
    for (u8 k : {0x3D, 0x3B}) PlatformSetKey(k, true);
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
    gItems = Table<ItemData>(300, &gItemCount);
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
    gSkills = Table<SkillData>(230, &gSkillCount);
    for (int i = 0; i < 230; ++i) gSkills[i].id = i;
    auto skill = [](i32 id, i32 category, i32 mpCost, i32 icon = 0) {
        gSkills[id] = {.id = id, .category = category, .mpCost = mpCost, .icon = icon};
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
    gGodForms[3].actionCost = gGodForms[3].offerValue = 10;
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
    gOwnedEquipage[4] = {.id = 1, .kind = 1};
    gOwnedEquipage[9] = {.id = 1, .kind = 1, .icon = 6};
    for (RoleData& r : gRoles)
        for (i32& e : r.equip) e = -1;
    gRoles[3].equip[kSlotWeapon] = 4;
    std::ranges::copy(std::array{3, -1}, gParty);
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
        const i32 result = Press(s.key, s.times);
        SCOPED_TRACE(testing::Message() << "to " << s.selected);
        EXPECT_EQ(std::tuple(result, list.selected, list.top, list.viewRow,
                             s.thumb < 0 ? -1 : list.thumb),
                  std::tuple(kListRunning, s.selected, s.top, s.viewRow, s.thumb));
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
    for (u8 key : {kScanDown, kScanEnter}) Press(key);
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
        EXPECT_EQ(std::tuple(list.thumb, list.selected, d.top < 0 ? -1 : list.top,
                             d.top < 0 ? 0 : list.viewRow),
                  std::tuple(d.thumb, d.selected, d.top, 0))
            << d.y;
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
    Buttons(false, true);
    PlatformSetMouseButtons(false, false);
    EXPECT_EQ(Close(), kListCancelled);
}

}  // namespace
