// The items page and the item chooser through the real tick on the sample
// game: the frame's ways in and out (and every way out of the menu pages), the
// member panel, the lists, the use with a target choice, the ability preview,
// what each chooser mode lists and hands over, and what bad values show.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <tuple>
#include <vector>

#include "data/Equipage.h"
#include "menu/AbilityPanel.h"
#include "menu/ItemFrame.h"
#include "menu/MenuPages.h"
#include "mhdata/Databases.h"
#include "mhdata/SampleMenu.h"
#include "story/PartyCommands.h"
#include "story/ScreenCalls.h"

namespace {

using namespace sampleMenu;

std::string Line(int n) {
    return gAbilityPanel.lines[n];
}

// ---- ways in and out ----

TEST_F(MenuTest, F1OpensThePageAndTheRightClickGoesBackToTheMap) {
    OpenItems();
    EXPECT_EQ(gMenuRole, 0u);
    // F1 in the main state does nothing.
    Tap(kScanF1, 2);
    EXPECT_EQ(std::make_pair(gFrameId, gFramePhase), std::make_pair(kScreenBit | 2u, 1u));
    for (int k : {3, 1}) {
        i32 r = gParty[k];
        ClickSlot(k);
        // The role, the shown member's slot, role 0's slot (no longer shown), the portrait.
        EXPECT_EQ(std::make_tuple(gMenuRole, Action(Page().party.slots[k]),
                                  Action(Page().party.slots[0]), Action(Page().member.portrait)),
                  std::make_tuple(static_cast<u32>(r), 25 + 2 * r, 24, 40 + r))
            << k;
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
    PressF1OnTheMap();
    ASSERT_NE(gItemMenuFrame, nullptr);
    EXPECT_EQ(gKeyFocus, 0);
    EXPECT_EQ(std::make_pair(gMouseInput.x, gMouseInput.y), std::make_pair(580, 120))
        << "the cursor on side row 0";
}

TEST_F(MenuTest, FocusOutsideTheSideRowsOpensOnRowZero) {
    gSmartMouse = 0;
    for (i32 f : {33, -4}) {
        CloseToMap(h);
        gKeyFocus = f;
        gFrameId = kScreenBit | 2;
        h.RunFrames(1);
        ASSERT_NE(gItemMenuFrame, nullptr);
        EXPECT_EQ(Page().focus, 10) << f;
    }
}

enum Way { kTab0, kTab1, kTab2, kTab3, kRightClick, kCancelKey, kF1, kF2, kF3, kF4 };
const char* const kWayNames[] = {"tab 0",      "tab 1", "tab 2", "tab 3", "right click",
                                 "cancel key", "F1",    "F2",    "F3",    "F4"};

struct WaysOut : MenuTest {
    // Opens page n from the map; the focus word is the row that leads there
    // (the items page's side rows 1-3), or one set here to see it change.
    void OpenPage(u32 n) {
        CloseToMap(h);
        if (n == 23 || n == 24) {
            Tap(kScanF2);
            h.RunFrames(3);
            if (n == 24) ClickSide(0);
        } else {
            OpenItems();
            gKeyFocus = 5;
            if (n != 2) ClickSide(n == 17 ? 3 : static_cast<int>(n) - 2);  // side rows 1-3
        }
        h.RunFrames(2);
        if (n >= 23) gKeyFocus = 4;
        ASSERT_EQ(std::make_pair(gFrameId, gFramePhase), std::make_pair(kScreenBit | n, 1u));
        sounds.Clear();
    }
    void Leave(Way way) {
        const u8 fKeys[4] = {kScanF1, kScanF2, kScanF3, kScanF4};
        if (way <= kTab3) {
            ClickTab(way - kTab0);
        } else if (way == kRightClick) {
            RightClick();
        } else if (way == kCancelKey) {
            Tap(kScanEsc);
        } else {
            PlatformSetKey(fKeys[way - kF1], true);
            h.RunFrames(1);
            PlatformSetKey(fKeys[way - kF1], false);
        }
    }
};

// Every way out of the menu pages: the page it leads to, its sound, and
// whether the row that led to the page (gKeyFocus) is kept.
TEST_F(WaysOut, EachPagesTabsKeysAndBackOut) {
    // The items page: tabs and F2-F4 start the next page on its first row.
    // Equipment (side row 1): F1 forgets the row, the tab and right click keep it.
    // Offering (side row 2): F1-F4 forget the row, the tab and backing out keep it.
    // Transformation (side row 3): F1 keeps the row as well. Then the skills page
    // and its list.
    // Page, way out, the frame it leads to, its sound, the focus word after.
    const std::tuple<u32, Way, u32, int, i32> cases[] = {
        {2, kTab1, 23, 261, 0},      {2, kTab2, 25, 261, 0},      {2, kTab3, 13, 261, 0},
        {2, kF2, 23, 261, 0},        {2, kF3, 25, 261, 0},        {2, kF4, 13, 261, 0},
        {3, kTab0, 2, 261, 1},       {3, kRightClick, 2, 263, 1}, {3, kF1, 2, 261, 0},
        {4, kTab0, 2, 261, 2},       {4, kRightClick, 2, 263, 2}, {4, kCancelKey, 2, 263, 2},
        {4, kF1, 2, 263, 0},         {4, kF2, 23, 261, 0},        {4, kF3, 25, 261, 0},
        {4, kF4, 13, 261, 0},        {17, kTab0, 2, 261, 3},      {17, kRightClick, 2, 263, 3},
        {17, kCancelKey, 2, 263, 3}, {17, kF1, 2, 263, 3},        {17, kF2, 23, 261, 0},
        {17, kF3, 25, 261, 0},       {17, kF4, 13, 261, 0},       {23, kF1, 2, 261, 0},
        {23, kF3, 25, 261, 0},       {23, kF4, 13, 261, 0},       {24, kF1, 2, 261, 0},
        {24, kF3, 25, 261, 0},       {24, kF4, 13, 261, 0}};
    for (const auto& [page, way, frame, sound, focus] : cases) {
        SCOPED_TRACE(testing::Message() << "page " << page << ", " << kWayNames[way]);
        OpenPage(page);
        Leave(way);
        EXPECT_EQ(gKeyFocus, focus);
        EXPECT_EQ(sounds.played(), (std::vector<int>{sound}));
        EXPECT_EQ(FinishClose(), kScreenBit | frame);
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
    s.hp = INT_MIN;
    s.maxHp = INT_MAX;
    Page().SelectRole(0);
    EXPECT_FALSE(Page().member.icons[0]->shown);
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
    EXPECT_EQ(std::make_pair(gMenuRole, Action(Page().party.slots[0])),
              std::make_pair(3u, 25 + 2 * 3));
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
    MenuSpot slot = cPartySlots::CursorSpot(1);
    // Where the cursor stands and the hint shown there.
    const std::tuple<i32, i32, std::string> cases[] = {
        {470 + 45, 20, Big5("特　 技")},
        {90, 245, Big5("瀕死")},
        {50, 210, Big5("下一次升級經驗值")},
        {120, 430, Big5("受闇屬性傷害比例")},
        {250, 450, "(hidden)"},
        {slot.x, slot.y, gRoleStats[gParty[1]].name}};
    for (const auto& [x, y, text] : cases) {
        MoveTo(x, y, 2);
        cControl* hint = Page().panel.tipText;
        EXPECT_EQ(hint->shown ? std::string(hint->text) : "(hidden)", text) << x << "," << y;
    }
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
    MoveTo(470, 20, 2);
    ASSERT_EQ(Page().focus, 0);
    Tap(kScanDown, 2);
    EXPECT_EQ(std::make_pair(Page().focus, gMouseInput.y), std::make_pair(30, 110));
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
    EXPECT_EQ(std::make_pair(gOwnedItems[7], Page().list.Count()), std::make_pair(119, 11));
    ClickRow(9);  // item 10, its last piece
    EXPECT_EQ(std::make_pair(gOwnedItems[10], Page().list.Count()), std::make_pair(0, 10));
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
    EXPECT_EQ(std::make_pair(gOwnedItems[2], Page().list.Count()), std::make_pair(1, 5));
    ClickRow(2);
    EXPECT_EQ(std::make_pair(gOwnedItems[2], Page().list.Count()), std::make_pair(0, 4));
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
    EXPECT_EQ(std::make_pair(gOwnedItems[sample::kPowerFruit], Page().list.Count()),
              std::make_pair(2, 1));
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
    EXPECT_EQ(std::make_pair(Page().subMode, gOwnedItems[sample::kHerb]),
              std::make_pair(int{kItemUseList}, 1));
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
    EXPECT_EQ(std::make_pair(Page().subMode, gOwnedItems[sample::kHerb]),
              std::make_pair(int{kItemUseList}, 2));
    EXPECT_GT(gRoleStats[gParty[1]].hp, 1);
    EXPECT_EQ(gRoleStats[0].hp, 1);
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
    EXPECT_EQ(std::make_pair(Page().subMode, gOwnedItems[sample::kHerb]),
              std::make_pair(int{kItemUseList}, 1));
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
    EXPECT_TRUE(PanelShown(4) && PanelShown(6) && PanelShown(5) && PanelShown(7));
    EXPECT_FALSE(PanelShown(8));
    Page().HideAbilityPanel();
    Page().ShowItemEffect(kWisdomWater);  // percent: magic +10, spirit -5
    EXPECT_EQ(std::make_tuple(Line(8), Line(9)), std::make_tuple("+10%", "-5%"));
    EXPECT_FALSE(PanelShown(4));
    Page().HideAbilityPanel();
    Page().ShowItemEffect(kRebirthHerb);  // overwrite: magic 50 over 20, spirit 30 over 30
    EXPECT_EQ(Line(8), "+30");
    EXPECT_TRUE(PanelShown(8) && !PanelShown(9));
    gItems[kWisdomWater].magic = INT_MIN;
    Page().ShowItemEffect(kWisdomWater);
    EXPECT_EQ(Line(8), "-9999999%");
    // Leaving the use list deletes the panel's controls.
    RightClick();
    for (cControl* c : gAbilityPanel.slots) EXPECT_EQ(c, nullptr);
}

// ---- the item chooser: what each mode lists and hands over, the empty
// list, the scrolling, the frozen backdrop, and the collector's talk ----

struct ChooserTest : MenuTest {
    void OpenChooser(u32 mode) {
        gScriptVars[kChooserResultVar] = 77;
        std::strcpy(gPickedItemName, "before");
        OpenItemFrame(mode);
        h.RunFrames(2);
        sounds.Clear();
    }
    std::vector<i32> Listed() const {
        return {gItemFrame->list.items.begin(), gItemFrame->list.items.end()};
    }
    // Clicks row j and runs the close.
    void Pick(int j) {
        ClickRow(j);
        h.RunFrames(1);
    }
    // The frame running, the result handed over and the name picked.
    static std::tuple<u32, u32, std::string> Outcome() {
        return {gFrameId, gScriptVars[kChooserResultVar], gPickedItemName};
    }
};

TEST_F(ChooserTest, ModeOneListsStoryItemsAndHandsOverOnly103To108) {
    // The item picked, the result handed over, the pieces left.
    const std::tuple<i32, u32, i32> cases[] = {
        {kFirstStory, 2, 1}, {kLastStory, 2, 1}, {kKeepsake, 1, 2}, {kOldMap, 1, 2}};
    const std::vector<i32> story = {kOldMap, kFirstStory, kLastStory, kKeepsake};
    for (const auto& [item, result, left] : cases) {
        SCOPED_TRACE(item);
        OwnOnly({0, kOldMap, kFirstStory, kLastStory, kKeepsake, kFirstSpecial}, 2);
        OpenChooser(1);
        EXPECT_EQ(gScriptVars[kChooserResultVar], 0u) << "set when the chooser is made";
        ASSERT_EQ(Listed(), story) << "id order, types 12 to 15 only";
        Pick(static_cast<int>(std::find(story.begin(), story.end(), item) - story.begin()));
        EXPECT_EQ(gItemFrame, nullptr);
        EXPECT_EQ(Outcome(), std::make_tuple(0u, result, std::string(gItems[item].name)));
        EXPECT_EQ(gOwnedItems[item], left);
        EXPECT_TRUE(sounds.played().empty()) << "a pick plays nothing";
    }
}

TEST_F(ChooserTest, OtherModesListEverythingAndGiveNothingAndCancels) {
    OwnOnly({kFirstStory, 0, kNameless, kFirstSpecial});
    gItems[kFirstSpecial].icon = 40;
    OpenChooser(0);
    EXPECT_EQ(Listed(), (std::vector<i32>{0, kFirstStory, kFirstSpecial}));
    EXPECT_EQ(gItemFrame->list.rowIcon[2]->normalPic, nullptr)
        << "an icon past the table shows none";
    EXPECT_NE(gItemFrame->list.rowIcon[1]->normalPic, nullptr);
    Pick(1);
    EXPECT_EQ(Outcome(), std::make_tuple(0u, 0u, std::string(gItems[kFirstStory].name)));
    EXPECT_EQ(gOwnedItems[kFirstStory], 1);
    EXPECT_TRUE(sounds.played().empty());
    // A cancel: 263, nothing picked, the name kept.
    OpenChooser(1);
    RightClick();
    h.RunFrames(1);
    EXPECT_EQ(Outcome(), std::make_tuple(0u, 0u, std::string("before")));
    EXPECT_EQ(sounds.played(), (std::vector<int>{263}));
    // Nothing to list: closes on the next tick.
    OwnOnly({0, kNameless});  // nothing of types 12-15; the nameless never lists
    gScriptVars[kChooserResultVar] = 77;
    OpenItemFrame(1);
    h.RunFrames(1);
    EXPECT_EQ(gFramePhase, 2u);
    h.RunFrames(1);
    EXPECT_EQ(gItemFrame, nullptr);
    EXPECT_EQ(Outcome(), std::make_tuple(0u, 0u, std::string("before")));
}

TEST_F(ChooserTest, ElevenEntriesScrollByOne) {
    OwnOnly({0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10});
    OpenChooser(0);
    EXPECT_EQ(gItemFrame->list.maxTop, 1);
    for (int i = 0; i < 2; ++i) {
        ClickAt(615, 340);  // the down arrow
        EXPECT_EQ(gItemFrame->list.top, 1) << i;
    }
    h.RunFrames(1);
    EXPECT_EQ(std::string(gItemFrame->list.rowText[9]), std::string(gItems[10].name));
    Pick(9);
    EXPECT_EQ(std::string(gPickedItemName), std::string(gItems[10].name));
}

TEST_F(ChooserTest, BackdropIsBlackLeftOfTheListAndTheMapRightOfItOrAllBlack) {
    OwnOnly({kFirstStory});
    OpenChooser(1);
    const u16* px = gItemFrame->snapshot;
    ASSERT_NE(px, nullptr);
    int lit = 0;
    for (int y = 0; y < 480; y += 7) {
        for (int x = 0; x < 440; x += 9) ASSERT_EQ(px[y * 640 + x], 0) << x << "," << y;
        for (int x = 440; x < 640; x += 9) lit += px[y * 640 + x] != 0;
    }
    EXPECT_GT(lit, 0) << "the map shows right of x 440";
    RightClick();
    h.RunFrames(1);
    // No drawing surface: a black backdrop.
    cItemFrame chooser(1);
    DisplaySurface* saved = gDrawSurface;
    gDrawSurface = nullptr;
    chooser.Open();
    gDrawSurface = saved;
    ASSERT_NE(chooser.snapshot, nullptr);
    for (int i = 0; i < 640 * 480; i += 97) ASSERT_EQ(chooser.snapshot[i], 0) << i;
    chooser.Close();
    gFrameId = 0;
}

TEST_F(ChooserTest, TheCollectorTakesAStoryItemThroughTheChooser) {
    OwnOnly({kLastStory});
    StartTalk(static_cast<u16>(kCollectorTalk), kCollectorRole);
    SampleSession s{h};
    for (int i = 0; i < 8 && gFrameId != (kScreenBit | 14u); ++i) {
        s.Tap(s.Confirm());  // the question's box
        h.RunFrames(3);
    }
    ASSERT_EQ(gFrameId, kScreenBit | 14u);
    h.RunFrames(2);
    Pick(0);
    ASSERT_TRUE(s.ConfirmUntilTalkEnds());
    EXPECT_TRUE(GetGameFlag(kCollectorFlag));
    EXPECT_EQ(gOwnedItems[kLastStory], 0);
}

}  // namespace
