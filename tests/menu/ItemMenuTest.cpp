// The items page through the real tick on the sample game: the frame's ways in
// and out, the member panel, the lists, the use with a target choice, the
// ability preview, and what bad values show.
#include <gtest/gtest.h>

#include <climits>
#include <tuple>
#include <vector>

#include "data/Equipage.h"
#include "menu/AbilityPanel.h"
#include "mhdata/Databases.h"
#include "mhdata/SampleMenu.h"
#include "menu/MenuPages.h"

namespace {

using sampleMenu::kRebirthHerb;
using sampleMenu::kStrengthPill;
using sampleMenu::kWisdomWater;

std::string Line(int n) {
    return gAbilityPanel.lines[n];
}
bool Shown(int slot) {
    return gAbilityPanel.slots[slot] && gAbilityPanel.slots[slot]->shown;
}

// ---- ways in and out ----

TEST_F(MenuTest, F1OpensThePageAndTheRightClickGoesBackToTheMap) {
    ASSERT_EQ(GetPartyCount(), 6) << "the opening brings roles 1-5";
    OpenItems();
    EXPECT_EQ(gMenuRole, 0u);
    // F1 in the main state does nothing.
    Tap(kScanF1, 2);
    EXPECT_EQ(gFrameId, kScreenBit | 2u);
    EXPECT_EQ(gFramePhase, 1u);
    for (int k : {3, 1}) {
        i32 r = gParty[k];
        ClickSlot(k);
        EXPECT_EQ(gMenuRole, static_cast<u32>(r)) << k;
        EXPECT_EQ(Action(Page().party.slots[k]), 25 + 2 * r) << "the shown member's slot";
        EXPECT_EQ(Action(Page().party.slots[0]), 24) << "role 0's slot is no longer shown";
        EXPECT_EQ(Action(Page().member.portrait), 40 + r);
    }
    EXPECT_EQ(sounds.played(), (std::vector<int>{261, 261}));
    sounds.Clear();
    RightClick();
    EXPECT_EQ(FinishClose(), 0u);
    EXPECT_EQ(gMenuRole, 0u) << "the map resets the shown member";
    EXPECT_EQ(sounds.played(), (std::vector<int>{263}));
}

TEST_F(MenuTest, TheMapsF1AfterTheSystemMenuStartsOnTheFirstRow) {
    Open(13);
    ClickAt(520, 104 + 40 * 4);  // the quest log: the system menu keeps row 4
    ASSERT_EQ(gKeyFocus, 4);
    h.RunFrames(3);
    RightClick();  // quest log back to ... its way out
    gFrameId = 0;
    gFramePhase = 0;
    h.RunFrames(2);
    ASSERT_EQ(gFrameId, 0u);
    PressF1OnTheMap();
    ASSERT_NE(gItemMenuFrame, nullptr);
    EXPECT_EQ(gKeyFocus, 0);
    EXPECT_EQ(std::make_pair(gMouseInput.x, gMouseInput.y), std::make_pair(580, 120))
        << "the cursor on side row 0";
}

TEST_F(MenuTest, FocusOutsideTheSideRowsOpensOnRowZero) {
    gSmartMouse = 0;
    for (i32 f : {33, -4}) {
        gFrameId = 0;
        gFramePhase = 0;
        h.RunFrames(1);
        gKeyFocus = f;
        gFrameId = kScreenBit | 2;
        h.RunFrames(1);
        ASSERT_NE(gItemMenuFrame, nullptr);
        EXPECT_EQ(Page().focus, 10) << f;
        gFramePhase = 2;
        h.RunFrames(1);
    }
}

// ---- member panel ----

TEST_F(MenuTest, NextLevelLineStatusIconsAndPlayTime) {
    OpenItems();
    RoleStats& s = gRoleStats[0];
    const std::pair<i32, const char*> levels[] = {
        {0, "        15"},  {1, "        45"},  {10, "       990"}, {49, "     19125"},
        {50, "  --------"}, {-2, "  --------"}, {70, "  --------"}, {INT_MIN, "  --------"}};
    for (const auto& [level, text] : levels) {
        s.level = level;
        Page().SelectRole(0);
        EXPECT_STREQ(Page().member.nextText, text) << level;
    }
    s.status = 0x4000 | 0x400 | 0x1000 | 0x8;
    Page().SelectRole(0);
    cControl** icons = Page().member.icons;
    EXPECT_EQ(std::make_tuple(icons[0]->id, icons[1]->id, Action(icons[0]), Action(icons[1])),
              std::make_tuple(2100, 2103, 40, 42));
    s.status = 0x8;  // sleep and the like show nothing here
    Page().SelectRole(0);
    EXPECT_FALSE(Page().member.icons[0]->shown);
    s.hp = INT_MIN;
    s.maxHp = INT_MAX;
    Page().SelectRole(0);
    EXPECT_STREQ(Page().member.hpText, "-2147483648 / 2147483647");
    gGameTime = 3725;
    gGameTimeCycle = 0;  // a second passes only after 20 more ticks
    h.RunFrames(1);
    EXPECT_STREQ(Page().panel.timeText, "1:02:05");
}

TEST_F(MenuTest, SwappedLeadRolesSwapPicturesNotNames) {
    PutGameFlag(kLeadSwapFlag, 1);
    OpenItems();
    // Role 0 shows role 1's portrait and keeps its own name.
    auto pictures = [&] {
        return std::make_tuple(Action(Page().member.portrait), Action(Page().party.slots[0]),
                               Action(Page().party.slots[1]));
    };
    EXPECT_EQ(pictures(), std::make_tuple(41, 27, 24));
    EXPECT_EQ(std::string(Page().member.nameText), Big5("雷恩"));
    Page().SelectRole(1);
    EXPECT_EQ(pictures(), std::make_tuple(40, 26, 25));
}

TEST_F(MenuTest, AShownRoleOutsideThePartyOpensOnTheFirstMember) {
    SetParty({3, 2});
    gMenuRole = 7;
    OpenItems();
    EXPECT_EQ(gMenuRole, 3u);
    EXPECT_EQ(Action(Page().party.slots[0]), 25 + 2 * 3);
}

TEST_F(MenuTest, APartyOfEightShowsSixSlotsAndTheKeysWrapOverThem) {
    SetParty({0, 1, 2, 3, 4, 5, 6, 7});
    OpenItems();
    EXPECT_EQ(Page().party.count, 6);
    EXPECT_EQ(gControlList.end(), std::find_if(gControlList.begin(), gControlList.end(),
                                               [](cControl* c) { return c->id == 2026; }));
    ClickSlot(5);
    EXPECT_EQ(gMenuRole, 5u);
    Tap(kScanDown, 2);
    EXPECT_EQ(gMenuRole, 0u) << "down from the last slot wraps to the first";
    Tap(kScanUp, 2);
    EXPECT_EQ(gMenuRole, 5u);
}

// ---- keys and hints ----

TEST(MenuKeys, TheKeyTableOverTabsSideRowsAndSlots) {
    using K = MenuKey;
    // From, key, to: four slots, the shown member in slot 2.
    const std::tuple<int, K, int> cases[] = {
        {0, K::Left, 3},    {3, K::Right, 0},   {2, K::Up, 2},       {1, K::Down, 10},
        {2, K::Switch, 10}, {1, K::PageUp, 1},  {10, K::Up, 15},     {15, K::Down, 10},
        {12, K::Left, 22},  {12, K::Right, 12}, {13, K::Switch, 22}, {20, K::Up, 23},
        {23, K::Down, 20},  {21, K::Left, 21},  {21, K::Right, 10},  {21, K::Switch, 0},
        {24, K::Down, -1},  {30, K::Up, -1},    {-1, K::Down, -1}};
    for (const auto& [from, key, to] : cases)
        EXPECT_EQ(MenuFocusAfter(from, key, 4, 2), to) << from << " " << static_cast<int>(key);
}

TEST_F(MenuTest, HintsNameTabsMembersStatusAndPanelFields) {
    gRoleStats[0].status = 0x4000;
    OpenItems();
    // Where the cursor stands and the hint shown there (null: hidden).
    const std::tuple<i32, i32, const char*> cases[] = {{470 + 45, 20, "特　 技"},
                                                       {90, 245, "瀕死"},
                                                       {50, 210, "下一次升級經驗值"},
                                                       {120, 430, "受闇屬性傷害比例"},
                                                       {250, 450, nullptr}};
    for (const auto& [x, y, text] : cases) {
        MoveTo(x, y, 2);
        cControl* hint = Page().panel.tipText;
        if (!text) {
            EXPECT_FALSE(hint->shown) << x << "," << y;
            continue;
        }
        ASSERT_TRUE(hint->shown) << x << "," << y;
        EXPECT_EQ(std::string(hint->text), Big5(text));
    }
    MenuSpot slot = cPartySlots::CursorSpot(1);
    MoveTo(slot.x, slot.y, 2);
    EXPECT_EQ(std::string(Page().panel.tipText->text), std::string(gRoleStats[gParty[1]].name));
    EXPECT_EQ(Page().focus, 21);
}

// ---- lists ----

TEST_F(MenuTest, ListsGroupByTypeAndKeepTheirRanges) {
    OpenItems();
    const std::vector<i32> use = {0, 1, 2, 9, 3, 8, 4, 5, 6, 7, 10, 11, 12};
    const std::vector<i32> special = {200, 201};
    const std::vector<i32> discard = {0,  1,  2,  9,  3,  8,  4,   5,   6,  7,
                                      10, 11, 12, 13, 14, 16, 103, 108, 109};
    const std::vector<i32>* expected[4] = {nullptr, &use, &special, &discard};
    const int rows[4] = {0, 0, 4, 5};
    for (int mode = 1; mode <= 3; ++mode) {
        ClickSide(rows[mode]);
        ASSERT_EQ(Page().subMode, mode);
        std::vector<i32> got(Page().list.items.begin(), Page().list.items.end());
        EXPECT_EQ(got, *expected[mode]) << mode;
        Tap(kScanF1);  // F1 backs out of a list
        h.RunFrames(1);
        EXPECT_EQ(Page().subMode, 0);
        EXPECT_EQ(sounds.played().back(), 263);
    }
    // Down from a tab lands on the list's first row.
    ClickSide(4);
    ASSERT_EQ(Page().subMode, kItemSpecialList);
    MoveTo(470, 20, 2);
    ASSERT_EQ(Page().focus, 0);
    Tap(kScanDown, 2);
    EXPECT_EQ(Page().focus, 30);
    EXPECT_EQ(gMouseInput.y, 110);
    for (int i = 0; i < 2; ++i) {  // two entries: row 1, then no third row
        Tap(kScanDown, 2);
        EXPECT_EQ(Page().focus, 31) << i;
    }
}

TEST_F(MenuTest, SpendingTheLastPieceAtTheBottomMovesTheViewUp) {
    OwnOnly({0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10});  // in list order 0 1 2 9 3 8 4 5 6 7 10
    gOwnedItems[7] = 120;  // more than the party can own: shown and taken as it is
    OpenItems();
    ClickSide(5);
    ASSERT_EQ(Page().list.Count(), 11);
    EXPECT_EQ(Page().list.maxTop, 1);
    ClickAt(615, 340);  // the down arrow
    ASSERT_EQ(Page().list.top, 1);
    ClickRow(8);  // item 7
    EXPECT_EQ(gOwnedItems[7], 119);
    EXPECT_EQ(Page().list.Count(), 11);
    ClickRow(9);  // item 10, its last piece
    EXPECT_EQ(gOwnedItems[10], 0);
    EXPECT_EQ(Page().list.Count(), 10);
    EXPECT_EQ(Page().list.top, 0) << "the view moved up one";
    for (int r = 0; r < 10; ++r) EXPECT_NE(Page().list.rowName[r], nullptr) << r;
    h.RunFrames(1);
    EXPECT_EQ(std::string(Page().list.rowText[0]), Big5("藥草"));
}

TEST_F(MenuTest, AShortListDropsItsLastRowAndDiscardTakesOne) {
    OwnOnly({0, 1, 2, 3, 4}, 2);
    OpenItems();
    ClickSide(5);
    ASSERT_EQ(Page().list.Count(), 5);
    ClickRow(2);
    EXPECT_EQ(gOwnedItems[2], 1);
    EXPECT_EQ(Page().list.Count(), 5);
    ClickRow(2);
    EXPECT_EQ(gOwnedItems[2], 0);
    EXPECT_EQ(Page().list.Count(), 4);
    EXPECT_EQ(Page().list.rowName[4], nullptr);
    EXPECT_NE(Page().list.rowName[3], nullptr);
    h.RunFrames(1);
    EXPECT_EQ(std::string(Page().list.rowText[2]), Big5("還魂丹")) << "item 3 moved up";
    ClickRow(7);  // below the rows: nothing
    EXPECT_EQ(Page().list.Count(), 4);
    EXPECT_EQ(sounds.played(), (std::vector<int>{261, 261, 261}));
}

TEST_F(MenuTest, ADyingMemberRefusesAnItemAndKeepsTheCount) {
    OwnOnly({sample::kPowerFruit}, 2);
    OpenItems();
    gRoleStats[0].status = 0x4000;
    ClickSide(0);
    ClickRow(0);  // the user's own item: used at once
    EXPECT_EQ(gOwnedItems[sample::kPowerFruit], 2);
    EXPECT_EQ(Page().list.Count(), 1);
    gRoleStats[0].status = 0;
    ClickRow(0);
    EXPECT_EQ(gOwnedItems[sample::kPowerFruit], 1);
}

// ---- target choice ----

TEST_F(MenuTest, OneMemberUsesAtOnceSilently) {
    SetParty({0});
    OwnOnly({sample::kHerb}, 2);
    gRoleStats[0].hp = 1;
    OpenItems();
    ClickSide(0);
    sounds.Clear();
    ClickRow(0);
    EXPECT_EQ(Page().subMode, kItemUseList);
    EXPECT_EQ(gOwnedItems[sample::kHerb], 1);
    EXPECT_GT(gRoleStats[0].hp, 1);
    EXPECT_TRUE(sounds.played().empty());
}

TEST_F(MenuTest, TargetChoiceUsesOnTheClickedOrMarkedMember) {
    OwnOnly({sample::kHerb}, 3);
    for (i32 r : {0, 1, 2}) gRoleStats[r].hp = 1;
    OpenItems();
    ClickSide(0);
    sounds.Clear();
    ClickRow(0);
    ASSERT_EQ(Page().subMode, kItemTargetChoice);
    EXPECT_EQ(Spot(Page().marker), std::pair(375, 64));
    ClickSlot(1);
    EXPECT_EQ(Page().subMode, kItemUseList);
    EXPECT_GT(gRoleStats[gParty[1]].hp, 1);
    EXPECT_EQ(gRoleStats[0].hp, 1);
    EXPECT_EQ(gOwnedItems[sample::kHerb], 2);
    EXPECT_EQ(sounds.played(), (std::vector<int>{261, 265}));
    // Again: the marker follows the slot under the mouse, the background click uses.
    ClickRow(0);
    MoveTo(cPartySlots::CursorSpot(2).x, cPartySlots::CursorSpot(2).y, 2);
    EXPECT_EQ(Page().marker->y, 209);
    ClickAt(200, 20);  // the background
    EXPECT_GT(gRoleStats[gParty[2]].hp, 1);
    EXPECT_EQ(gOwnedItems[sample::kHerb], 1);
    // A right click ends the choice with nothing used.
    ClickRow(0);
    sounds.Clear();
    RightClick();
    EXPECT_EQ(Page().subMode, kItemUseList);
    EXPECT_EQ(gOwnedItems[sample::kHerb], 1);
    EXPECT_EQ(sounds.played(), (std::vector<int>{263}));
}

TEST_F(MenuTest, UsingTheLastPieceInTheChoiceLeavesTheCursorOnRowZero) {
    gSmartMouse = 0;
    OwnOnly({sample::kHerb});
    OpenItems();
    ClickSide(0);
    ClickRow(0);
    ASSERT_EQ(Page().subMode, kItemTargetChoice);
    ClickSlot(1);
    EXPECT_EQ(std::make_tuple(Page().list.Count(), Page().focus, Page().chosen),
              std::make_tuple(0, 30, 0));
}

// ---- preview ----

TEST_F(MenuTest, ThePreviewShowsEachKindBesideItsAttributes) {
    OwnOnly({kStrengthPill, kWisdomWater, kRebirthHerb});
    gRoles[0].magic = 20;
    gRoles[0].spirit = 30;
    OpenItems();
    ClickSide(0);
    Page().ShowItemEffect(kStrengthPill);  // strength +5, stamina -3, magic 0
    EXPECT_EQ((std::vector{Line(4), Line(5), Line(6)}),
              (std::vector<std::string>{"+5", "-3", "+5"}));
    EXPECT_TRUE(Shown(4) && Shown(6) && Shown(5) && Shown(7));
    EXPECT_FALSE(Shown(8));
    Page().HideAbilityPanel();
    Page().ShowItemEffect(kWisdomWater);  // percent: magic +10, spirit -5
    EXPECT_EQ(std::make_tuple(Line(8), Line(9)), std::make_tuple("+10%", "-5%"));
    EXPECT_FALSE(Shown(4));
    Page().HideAbilityPanel();
    Page().ShowItemEffect(kRebirthHerb);  // overwrite: magic 50 over 20, spirit 30 over 30
    EXPECT_EQ(Line(8), "+30");
    EXPECT_TRUE(Shown(8));
    EXPECT_FALSE(Shown(9));
    gItems[kWisdomWater].magic = INT_MIN;
    Page().ShowItemEffect(kWisdomWater);
    EXPECT_EQ(Line(8), "-9999999%");
    // Leaving the use list deletes the panel's controls.
    RightClick();
    for (cControl* c : gAbilityPanel.slots) EXPECT_EQ(c, nullptr);
}

}  // namespace
