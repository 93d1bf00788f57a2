// The battle lists: rows built from small databases, the row cap, greyed rows,
// keys, paging and the drag thumb, and the description box's line breaks.
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <string>
#include <vector>

#include "BattleInputTest.h"
#include "battle/BattleLists.h"

namespace {

// List rows as {id, number, icon, disabled}.
using RowList = std::vector<std::array<i32, 4>>;

struct BattleList : BattleInputTest {
    cBattleList list;
    // One tick with the key pressed, then a released poll so the next press is new.
    i32 Press(u8 code) {
        PlatformSetKey(code, true);
        Poll();
        const i32 r = list.Input();
        PlatformSetKey(code, false);
        Poll();
        return r;
    }
    i32 Idle() {
        Poll();
        return list.Input();
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
    void ExpectValid() const {
        EXPECT_GE(list.thumb, 0);
        EXPECT_LE(list.thumb, kThumbTravel);
        EXPECT_GE(list.selected, 0);
        EXPECT_LT(list.selected, list.count);
        EXPECT_GE(list.top, 0);
        EXPECT_EQ(list.viewRow, list.selected - list.top);
        EXPECT_GE(list.viewRow, 0);
        EXPECT_LT(list.viewRow, kListViewRows);
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
        ASSERT_EQ(d.count, static_cast<int>(c.lengths.size())) << c.text.size();
        std::string joined;
        for (int i = 0; i < d.count; ++i) {
            EXPECT_EQ(d.length[i], c.lengths[i]) << c.text.size() << " line " << i;
            joined += c.text.substr(d.start[i], d.length[i]);
        }
        EXPECT_EQ(joined, c.text);
    }
    EXPECT_EQ(DescBoxHeight(1), 24);
    EXPECT_EQ(DescBoxHeight(3), 64);
}

TEST_F(BattleList, ItemRowsAreOwnedBattleItemsNamesStayInTheirFieldAndAtMost256) {
    // Items 0-4 as below, then 295 more battle items owned once each.
    gItemCount = 300;
    gItems = Table<ItemData>(300);
    gOwnedItems = Table<i32>(300);
    const i32 owned[5] = {3, 0, -4, 7, 2};
    const i32 place[5] = {2, 2, 3, 3, 1};
    for (int i = 0; i < 300; ++i) {
        gOwnedItems[i] = i < 5 ? owned[i] : 1;
        gItems[i].usePlace = i < 5 ? place[i] : 2;
    }
    for (int i = 0; i < 5; ++i) {
        gItems[i].icon = 10 + i;
        std::memset(gItems[i].name, 'A' + i, sizeof(gItems[i].name));  // no end mark
        std::memset(gItems[i].description, 'z', sizeof(gItems[i].description));
    }
    list.Begin("x");
    FillItemRows(list);
    // 1 owns none, 2 owns a negative count, 4 is for the map; 297 qualify, 256 are kept.
    ASSERT_EQ(list.count, kListMaxRows);
    EXPECT_EQ(Shown(3), (RowList{{0, 3, 10, 0}, {3, 7, 13, 0}, {5, 1, 0, 0}}));
    EXPECT_EQ(std::string(list.rows[1].name), std::string(32, 'D'));
    EXPECT_EQ(std::string(list.rows[1].description), std::string(52, 'z'));
    EXPECT_EQ(list.rows[255].id, 258);
    EXPECT_FALSE(list.Add(999, 0, 0, "n", 1, "", 0, false));
    EXPECT_EQ(list.count, kListMaxRows);
}

TEST_F(BattleList, SkillsSummonsFormsAndCreatureMagicByTheirRules) {
    gSkillCount = 230;
    gSkills = Table<SkillData>(230);
    for (int i = 0; i < 230; ++i) gSkills[i].id = i;
    auto skill = [](i32 id, i32 category, const char* name, i32 mpCost) {
        SkillData s{};
        s.id = id;
        s.category = category;
        std::strncpy(s.name, name, sizeof(s.name) - 1);
        s.mpCost = mpCost;
        return s;
    };
    gSkills[5] = skill(5, 3, "heal", 8);
    gSkills[6] = skill(6, 3, "big heal", 30);
    gSkills[7] = skill(7, 0, "strike", 4);
    gSkills[201].category = 2;  // form 1's summon
    gSkills[201].mpCost = 50;
    gSkills[203].category = 6;  // form 3's skill is no summon
    gLevelUpSkills[2][0] = {5, 1};
    gLevelUpSkills[2][1] = {6, 9};
    gLevelUpSkills[2][2] = {7, 1};
    gLevelUpSkills[2][3] = {5, 1};
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
    m.specials[0] = {0, 3};
    m.specials[1] = {-7, 3};
    m.specials[2] = {7, 1};
    m.specials[3] = {5000, 1};
    m.specials[4] = {6, 1};
    m.healSkill = {5, 2};
    gSkills[7].icon = 12;
    gSkills[5].icon = 14;
    list.Begin("x");
    FillCreatureMagicRows(list, m, 10);
    // 0, negative and past-the-table ids are no skill; the healing special's row comes last.
    EXPECT_EQ(Shown(), (RowList{{7, 4, 12, 0}, {6, 30, 0, 1}, {5, 8, 0, 0}}));
}

TEST_F(BattleList, WornPiecesAreNeverThrown) {
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
    Rows(20);
    EXPECT_EQ(Press(kScanUp), kListRunning);
    EXPECT_EQ(list.selected, 0);
    Press(kScanPgDn);
    EXPECT_EQ(list.selected, 6);
    EXPECT_EQ(list.thumb, 7 * 80 / 20);
    Press(kScanPgDn);
    Press(kScanPgDn);
    EXPECT_EQ(list.selected, 18);
    EXPECT_EQ(list.top, 18);  // 12 was below 20 - 6: the last page shows two rows
    Press(kScanPgDn);
    EXPECT_EQ(list.selected, 19);  // within six of the end: the last row
    EXPECT_EQ(list.top, 18);
    EXPECT_EQ(list.thumb, 80);
    ExpectValid();
    Press(kScanPgUp);
    EXPECT_EQ(list.selected, 13);
    EXPECT_EQ(list.top, 12);
    ExpectValid();
    for (int i = 0; i < 8; ++i) Press(kScanUp);
    EXPECT_EQ(list.selected, 5);
    Press(kScanPgUp);
    EXPECT_EQ(list.selected, 0);
    EXPECT_EQ(list.top, 0);
    EXPECT_EQ(list.thumb, 0);
    for (int i = 0; i < 7; ++i) Press(kScanDown);
    EXPECT_EQ(list.selected, 7);
    EXPECT_EQ(list.top, 2);  // the view scrolled once the sixth row was passed

    // Ten rows: a page down heads the view with row 6 and highlights its first line.
    Rows(10);
    Press(kScanPgDn);
    EXPECT_EQ(list.top, 6);
    EXPECT_EQ(list.selected, 6);
    EXPECT_EQ(list.viewRow, 0);
    Press(kScanDown);
    EXPECT_EQ(list.top, 6);
    EXPECT_EQ(list.viewRow, 1);
    Press(kScanPgDn);  // no full page below 6: the top stays, the last row is chosen
    EXPECT_EQ(list.top, 6);
    EXPECT_EQ(list.selected, 9);
    EXPECT_EQ(list.viewRow, 3);
    Press(kScanPgUp);
    EXPECT_EQ(list.top, 0);
    EXPECT_EQ(list.selected, 3);
    ExpectValid();
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
    EXPECT_EQ(list.Selected()->id, 2);
    EXPECT_EQ(list.open, 0);

    Rows(0);
    Press(kScanEnter);
    Press(kScanPgDn);
    Press(kScanDown);
    EXPECT_EQ(list.confirmed, 0);
    EXPECT_EQ(list.selected, 0);
    Press(kScanEsc);
    EXPECT_EQ(Close(), kListCancelled);
}

TEST_F(BattleList, DragsToTheTrackEndsAndMouseOverRowsSelectAndRightClickCancels) {
    Rows(40);
    gDInput.SetMousePos(list.x + 150, list.ThumbTop());
    PlatformSetMouseButtons(true, false);
    Idle();
    gDInput.SetMousePos(list.x + 150, 50 + 40);  // half the travel: 40 x 40 / 80 - 1
    Idle();
    EXPECT_EQ(list.thumb, 40);
    EXPECT_EQ(list.selected, 19);
    gDInput.SetMousePos(list.x + 150, 479);
    Idle();
    EXPECT_EQ(list.thumb, 80);
    EXPECT_EQ(list.selected, 39);
    EXPECT_EQ(list.top, 39);  // the dragged-to row heads the view
    EXPECT_EQ(list.viewRow, 0);
    gDInput.SetMousePos(list.x + 150, 0);
    Idle();
    EXPECT_EQ(list.thumb, 0);
    EXPECT_EQ(list.selected, 0);
    PlatformSetMouseButtons(false, false);
    Idle();
    Rows(1);  // one row: the thumb still has a place to be grabbed
    gDInput.SetMousePos(list.x + 150, list.ThumbTop());
    PlatformSetMouseButtons(true, false);
    Idle();
    EXPECT_EQ(list.dragging, 1);
    PlatformSetMouseButtons(false, false);
    Idle();

    Rows(10);
    gDInput.SetMousePos(300, 45 + 3 * 20 + 5);
    Idle();
    EXPECT_EQ(list.selected, 3);
    gDInput.SetMousePos(300, 160);  // the last pixel row of the sixth line
    Idle();
    EXPECT_EQ(list.selected, 5);
    gDInput.SetMousePos(2000, -300);  // past the screen's corner
    Idle();
    EXPECT_EQ(list.selected, 5);
    PlatformSetMouseButtons(false, true);
    Idle();
    PlatformSetMouseButtons(false, false);
    EXPECT_EQ(Close(), kListCancelled);
}
