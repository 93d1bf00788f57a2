// The menu pages through the real tick on the sample game: the items page
// and the item chooser, the equipment page, the offering and transformation
// pages, and the skills page with its skill list. Their ways in and out, the
// member panel, the lists, the uses with a target choice, the previews, and
// what bad values in the records show.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "data/Equipage.h"
#include "menu/AbilityPanel.h"
#include "menu/EquipFrame.h"
#include "menu/ItemFrame.h"
#include "menu/OfferFrame.h"
#include "menu/SkillFrame.h"
#include "menu/SkillListFrame.h"
#include "menu/TransformFrame.h"
#include "mhdata/Databases.h"
#include "mhdata/SampleEquip.h"
#include "mhdata/SampleMenu.h"
#include "mhdata/SampleOfferArt.h"
#include "mhdata/SampleSkillMenu.h"
#include "platform/TextCodec.h"
#include "story/PartyCommands.h"
#include "story/ScreenCalls.h"
#include "support/MenuSession.h"
#include "ui/ActPic.h"
#include "ui/Control.h"
#include "ui/ScreenLink.h"

namespace {

using namespace sampleMenu;
namespace ss = sampleSkills;
using Texts = std::vector<std::string>;

std::string Text(const cControl* c) {
    return c && c->text ? c->text : "";
}
// The action of a control's picture, -1 for none.
int Action(const cControl* c) {
    return c && c->normalPic ? c->normalPic->player.action : -1;
}

// Whether slot k of the ability panel is made and shown.
bool PanelShown(int k) {
    return gAbilityPanel.slots[k] && gAbilityPanel.slots[k]->shown;
}

// ==== the items page and the item chooser ====

// The ability panel's lines ns.
Texts Lines(std::initializer_list<int> ns) {
    Texts out;
    for (int n : ns) out.push_back(gAbilityPanel.lines[n]);
    return out;
}

// ---- ways in and out ----

TEST_F(MenuTest, F1OpensOnTheFirstRowAndTheRightClickGoesBackToTheMap) {
    gKeyFocus = 4;  // as the system menu leaves it after its quest log row
    OpenItems();
    EXPECT_EQ(std::make_tuple(gKeyFocus, gMouseInput.x, gMouseInput.y),
              std::make_tuple(0, 580, 120))
        << "the cursor on side row 0";
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
    // The map resets the shown member.
    EXPECT_EQ(std::make_pair(gMenuRole, sounds.played()), std::make_pair(0u, std::vector{263}));
    // A focus word outside the side rows opens on row 0 as well.
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

// Every way out of the menu pages: the page it leads to, its sound, and
// whether the row that led to the page (gKeyFocus) is kept.
TEST_F(MenuTest, WaysOutOfEachPageTabsKeysAndBackOut) {
    // Opens page n from the map; the focus word is the row that leads there
    // (the items page's side rows 1-3), or one set here to see it change.
    auto openPage = [&](u32 n) {
        CloseToMap(h);
        if (n == 23 || n == 24) {
            Tap(kScanF2, 4);
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
    };
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
        openPage(page);
        const u8 keys[] = {kScanEsc, kScanF1, kScanF2, kScanF3, kScanF4};
        if (way <= kTab3)
            ClickTab(way - kTab0);
        else if (way == kRightClick)
            RightClick();
        else  // an F key's release is read by the close
            Tap(keys[way - kCancelKey], way == kCancelKey ? 1 : 0);
        EXPECT_EQ(gKeyFocus, focus);
        EXPECT_EQ(sounds.played(), (std::vector<int>{sound}));
        EXPECT_EQ(FinishClose(), kScreenBit | frame);
    }
}

// ---- member panel ----

TEST_F(MenuTest, NextLevelLineStatusIconsPlayTimeAndTheLists) {
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
    // The lists group by type and keep their ranges. A click on the track
    // below the thumb, above the down arrow, pages ten rows: up to the last
    // top (entries - 10), the thumb then at the track's end (y 293).
    // Side row, the list it opens, the items listed, the top after the click.
    const std::tuple<int, int, std::vector<i32>, i32> lists[] = {
        {0, kItemUseList, {0, 1, 2, 9, 3, 8, 4, 5, 6, 7, 10, 11, 12}, 3},
        {4, kItemSpecialList, {200, 201}, 0},
        {5,
         kItemDiscardList,
         {0, 1, 2, 9, 3, 8, 4, 5, 6, 7, 10, 11, 12, 13, 14, 16, 103, 108, 109},
         9}};
    for (const auto& [row, mode, items, top] : lists) {
        ClickSide(row);
        ASSERT_EQ(Page().subMode, mode);
        EXPECT_EQ(std::vector<i32>(Page().list.items.begin(), Page().list.items.end()), items);
        ClickAt(617, 320);
        EXPECT_EQ(std::make_pair(Page().list.top, Page().list.thumb->y), std::make_pair(top, 293));
        Tap(kScanF1, 2);  // F1 backs out of a list
        EXPECT_EQ(std::make_pair(Page().subMode, sounds.played().back()), std::make_pair(0, 263));
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

TEST_F(MenuTest, SwappedLeadRolesSwapPicturesNotNames) {
    PutGameFlag(kLeadSwapFlag, 1);
    OpenItems();
    // Role 0 shows role 1's portrait and keeps its own name.
    auto pictures = [&] {
        return std::make_tuple(Action(Page().member.portrait), Action(Page().party.slots[0]),
                               Action(Page().party.slots[1]));
    };
    EXPECT_EQ(pictures(), std::make_tuple(41, 27, 24));
    EXPECT_EQ(std::string(Page().member.nameText), B5("雷恩"));
    Page().SelectRole(1);
    EXPECT_EQ(pictures(), std::make_tuple(40, 26, 25));
}

TEST_F(MenuTest, AShownRoleOutsideThePartyAndAPartyOfEight) {
    SetParty({3, 2});
    gMenuRole = 7;
    OpenItems();
    EXPECT_EQ(std::make_pair(gMenuRole, Action(Page().party.slots[0])),
              std::make_pair(3u, 25 + 2 * 3));
    // A party of eight shows six slots and the keys wrap over them.
    CloseToMap(h);
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

TEST(MenuKeys, TheKeyTablesOfTheItemsAndTheSkillsPages) {
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
    // The skills page: from, key, rows, slots, party, the menu's slot, to.
    const std::tuple<int, K, int, int, int, int, int> skillCases[] = {
        {1, K::Down, 0, 4, 4, 2, 10},   {2, K::Switch, 2, 4, 4, 2, 10},
        {2, K::Switch, 0, 4, 4, 2, 32}, {0, K::Left, 3, 4, 4, 2, 3},
        {3, K::Right, 3, 4, 4, 2, 0},   {10, K::Up, 3, 4, 4, 2, 12},
        {10, K::Up, 1, 4, 4, 2, 10},    {11, K::Down, 2, 4, 4, 2, 10},
        {12, K::Left, 3, 4, 4, 2, 32},  {11, K::Switch, 3, 4, 4, -1, -1},
        {11, K::Right, 3, 4, 4, 2, 11}, {30, K::Up, 3, 4, 4, 2, 33},
        {33, K::Down, 3, 4, 4, 2, 30},  {35, K::Down, 3, 6, 7, 2, -1},
        {35, K::Down, 3, 6, 6, 2, 30},  {32, K::Right, 0, 4, 4, 2, 10},
        {32, K::Switch, 3, 4, 4, 2, 0}, {31, K::PageUp, 3, 4, 4, 2, 31},
        {34, K::Up, 3, 4, 4, 2, -1}};
    for (const auto& [from, key, rows, slots, party, menuSlot, to] : skillCases)
        EXPECT_EQ(SkillFocusAfter(from, key, rows, slots, party, menuSlot), to)
            << from << " key " << static_cast<int>(key);
}

TEST_F(MenuTest, HintsNameTabsMembersStatusAndPanelFields) {
    gRoleStats[0].status = 0x4000;
    OpenItems();
    MenuSpot slot = cPartySlots::CursorSpot(1);
    // Where the cursor stands and the hint shown there.
    const std::tuple<i32, i32, std::string> cases[] = {
        {470 + 45, 20, B5("特　 技")},
        {90, 245, B5("瀕死")},
        {50, 210, B5("下一次升級經驗值")},
        {120, 430, B5("受闇屬性傷害比例")},
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

// One click discards one piece; the last piece takes its row with it: a short
// list drops its last row, a list scrolled to its bottom moves the view up.
TEST_F(MenuTest, DiscardTakesOneAndTheLastPieceItsRow) {
    OwnOnly({0, 1, 2, 3, 4}, 2);
    OpenItems();
    ClickSide(5);
    ClickRow(2);
    EXPECT_EQ(std::make_pair(gOwnedItems[2], Page().list.Count()), std::make_pair(1, 5));
    ClickRow(2);
    EXPECT_EQ(std::make_pair(gOwnedItems[2], Page().list.Count()), std::make_pair(0, 4));
    EXPECT_TRUE(Page().list.rowName[3] && !Page().list.rowName[4]);
    h.RunFrames(1);
    EXPECT_EQ(std::string(Page().list.rowText[2]), B5("還魂丹")) << "item 3 moved up";
    ClickRow(7);  // below the rows: nothing
    EXPECT_EQ(Page().list.Count(), 4);
    EXPECT_EQ(sounds.played(), (std::vector<int>{261, 261, 261}));
    OwnOnly({0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10});  // in list order 0 1 2 9 3 8 4 5 6 7 10
    gOwnedItems[7] = 120;  // more than the party can own: shown and taken as it is
    RightClick();
    ClickSide(5);
    ClickAt(615, 340);  // the down arrow
    ASSERT_EQ(Page().list.top, 1);
    ClickRow(8);  // item 7
    EXPECT_EQ(std::make_pair(gOwnedItems[7], Page().list.Count()), std::make_pair(119, 11));
    ClickRow(9);  // item 10, its last piece
    EXPECT_EQ(std::make_pair(gOwnedItems[10], Page().list.Count()), std::make_pair(0, 10));
    EXPECT_EQ(Page().list.top, 0) << "the view moved up one";
    for (int r = 0; r < 10; ++r) EXPECT_NE(Page().list.rowName[r], nullptr) << r;
    h.RunFrames(1);
    EXPECT_EQ(std::string(Page().list.rowText[0]), B5("藥草"));
}

// ---- use ----

// With one member an item for one is used at once and silently; a dying
// member refuses the user's own item and keeps the count.
TEST_F(MenuTest, OneMemberUsesAtOnceSilentlyAndADyingMemberRefuses) {
    SetParty({0});
    OwnOnly({sample::kHerb, sample::kPowerFruit}, 2);
    gRoleStats[0].hp = 1;
    OpenItems();
    ClickSide(0);
    sounds.Clear();
    ClickRow(0);
    EXPECT_EQ(std::make_pair(Page().subMode, gOwnedItems[sample::kHerb]),
              std::make_pair(int{kItemUseList}, 1));
    EXPECT_TRUE(gRoleStats[0].hp > 1 && sounds.played().empty());
    gRoleStats[0].status = 0x4000;
    ClickRow(1);  // the power fruit: used at once
    EXPECT_EQ(std::make_pair(gOwnedItems[sample::kPowerFruit], Page().list.Count()),
              std::make_pair(2, 2));
    gRoleStats[0].status = 0;
    ClickRow(1);
    EXPECT_EQ(gOwnedItems[sample::kPowerFruit], 1);
}

// ---- target choice ----

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
    EXPECT_TRUE(gRoleStats[gParty[1]].hp > 1 && gRoleStats[0].hp == 1) << "the clicked member only";
    EXPECT_EQ(sounds.played(), (std::vector<int>{261, 265}));
    // Again: the marker follows the slot under the mouse, the background click uses.
    ClickRow(0);
    MoveTo(cPartySlots::CursorSpot(2).x, cPartySlots::CursorSpot(2).y, 2);
    EXPECT_EQ(Page().marker->y, 209);
    ClickAt(200, 20);  // the background
    EXPECT_TRUE(gRoleStats[gParty[2]].hp > 1 && gOwnedItems[sample::kHerb] == 1);
    // A right click ends the choice with nothing used.
    ClickRow(0);
    sounds.Clear();
    RightClick();
    EXPECT_EQ(std::make_tuple(Page().subMode, gOwnedItems[sample::kHerb], sounds.played()),
              std::make_tuple(int{kItemUseList}, 1, std::vector{263}));
    // Using the last piece in the choice leaves the cursor on row 0.
    gSmartMouse = 0;
    ClickRow(0);
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
    EXPECT_EQ(Lines({4, 5, 6}), (Texts{"+5", "-3", "+5"}));
    EXPECT_TRUE(PanelShown(4) && PanelShown(5) && PanelShown(6) && PanelShown(7) && !PanelShown(8));

    Page().HideAbilityPanel();
    Page().ShowItemEffect(kWisdomWater);  // percent: magic +10, spirit -5
    EXPECT_EQ(Lines({8, 9}), (Texts{"+10%", "-5%"}));
    EXPECT_FALSE(PanelShown(4));
    Page().HideAbilityPanel();
    Page().ShowItemEffect(kRebirthHerb);  // overwrite: magic 50 over 20, spirit 30 over 30
    EXPECT_EQ(Lines({8}), Texts{"+30"});
    EXPECT_TRUE(PanelShown(8) && !PanelShown(9));
    gItems[kWisdomWater].magic = INT_MIN;
    Page().ShowItemEffect(kWisdomWater);
    EXPECT_EQ(Lines({8}), Texts{"-9999999%"});
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
    void Pick(int j) { ::ClickAt(h, 520, 108 + 24 * j, 3); }
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
        ASSERT_EQ(Listed(), story) << "id order, types 12 to 15 only";
        Pick(static_cast<int>(std::find(story.begin(), story.end(), item) - story.begin()));
        EXPECT_EQ(gItemFrame, nullptr);
        EXPECT_EQ(Outcome(), std::make_tuple(0u, result, std::string(gItems[item].name)));
        EXPECT_TRUE(gOwnedItems[item] == left && sounds.played().empty()) << "a pick plays nothing";
    }
}

// Other modes list every named item in id order and hand nothing over. The
// page keys move the rows under the cursor, not the cursor: fifteen entries
// page to the last top, 5, and back.
TEST_F(ChooserTest, OtherModesListEverythingPageAndGiveNothingAndCancels) {
    OwnOnly({kFirstStory, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, kNameless, kFirstSpecial});
    gItems[kFirstSpecial].icon = 40;
    OpenChooser(0);
    EXPECT_EQ(Listed(), (std::vector<i32>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, kFirstStory,
                                          kFirstSpecial}));
    MoveTo(500, 160, 2);  // row 2
    for (const auto& [key, top] : {std::pair{kScanPgDn, 5}, {kScanPgUp, 0}, {kScanPgDn, 5}}) {
        Tap(key, 2);
        EXPECT_EQ(std::make_tuple(gItemFrame->list.top, gMouseInput.x, gMouseInput.y),
                  std::make_tuple(top, 500, 160))
            << int(key);
    }
    EXPECT_TRUE(gItemFrame->list.rowIcon[8]->normalPic && !gItemFrame->list.rowIcon[9]->normalPic)
        << "an icon past the table shows none";
    Pick(8);
    EXPECT_EQ(Outcome(), std::make_tuple(0u, 0u, std::string(gItems[kFirstStory].name)));
    EXPECT_TRUE(gOwnedItems[kFirstStory] == 1 && sounds.played().empty());
    // A cancel: 263, nothing picked, the name kept.
    OpenChooser(1);
    RightClick();
    h.RunFrames(1);
    EXPECT_EQ(Outcome(), std::make_tuple(0u, 0u, std::string("before")));
    EXPECT_EQ(sounds.played(), (std::vector<int>{263}));
}

TEST_F(ChooserTest, BackdropIsTheMapUnderTheListsBlackShadowOrAllBlack) {
    OwnOnly({kFirstStory});
    OpenChooser(1);
    const u16* px = gItemFrame->snapshot;
    ASSERT_NE(px, nullptr);
    // The sample's page picture is the shadow of the list area (170 x 290 at
    // 440, 48, below its clear 42-row band) and of its 16-pixel arrow column
    // (rows 80 to 345), cast 8 pixels right and down: black there, the map
    // elsewhere; the list draws nothing over its band.
    struct Spot {
        i32 x, y;
        bool black;
    };
    const Spot spots[] = {{613, 200, true},  {500, 341, true},  {630, 90, true},   {630, 352, true},
                          {500, 200, true},  {634, 300, false}, {500, 346, false}, {445, 97, false},
                          {100, 300, false}, {437, 200, false}, {3, 100, false},   {500, 60, false},
                          {600, 80, false}};
    for (const Spot& s : spots) {
        EXPECT_EQ(px[s.y * 640 + s.x] == 0, s.black) << s.x << "," << s.y;
        if (s.y < 90) {
            EXPECT_EQ(CanvasAt(s.x, s.y), px[s.y * 640 + s.x]) << s.x << "," << s.y;
        }
    }
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
    gFrameId = kMapMode;
}

TEST_F(ChooserTest, TheCollectorTakesAStoryItemThroughTheChooser) {
    OwnOnly({kLastStory});
    StartTalk(static_cast<u16>(kSampleCollectorTalk), kSampleCollectorRole);
    SampleSession s{h};
    for (int i = 0; i < 8 && gFrameId != (kScreenBit | 14u); ++i) {
        s.Tap(s.Confirm());  // the question's box
        h.RunFrames(3);
    }
    ASSERT_EQ(gFrameId, kScreenBit | 14u);
    h.RunFrames(2);
    Pick(0);
    ASSERT_TRUE(s.ConfirmUntilTalkEnds());
    EXPECT_TRUE(GetGameFlag(kSampleCollectorFlag));
    EXPECT_EQ(gOwnedItems[kLastStory], 0);
}

// ==== the equipment page: the worn pieces, the candidate list against a
// filter written here, the equip rules with hand-made records, the comparison
// lines and bad slot values ====

// The owned place holding the first piece of record id, worn or not as asked.
i32 OwnedOf(i32 id, bool worn) {
    for (i32 n = 0; n < kOwnedEquipageCount; ++n)
        if (gOwnedEquipage[n].id == id && (IsEquipageEquipped(n) != 0) == worn) return n;
    return -1;
}

struct EquipTest : MenuTest {
    cEquipFrame& Equip() { return *gEquipFrame; }
    void SetUp() override {
        MenuTest::SetUp();
        OpenSide(1, 3);
    }
    // The list of a slot, after a right click out of the list open.
    void OpenSlotList(int slot) {
        if (Equip().subMode == 1) RightClick();
        ClickSide(slot);
        ASSERT_EQ(std::make_pair(Equip().subMode, Equip().selectedSlot), std::make_pair(1, slot));
    }
    std::vector<i32> Shown() { return {Equip().candidates.begin(), Equip().candidates.end()}; }
    // Scrolls entry n of the list into view and returns its row.
    int RowOf(i32 entry) {
        auto& c = Equip().candidates;
        int pos = static_cast<int>(std::find(c.begin(), c.end(), entry) - c.begin());
        EXPECT_LT(pos, static_cast<int>(c.size())) << entry;
        Equip().listTop = std::clamp(pos - 9, 0, Equip().maxTop);
        return pos - Equip().listTop;
    }
    void ClickEntry(i32 entry) { ClickRow(RowOf(entry)); }
    // The hover of a tick is the one the tick before found: two ticks.
    void PointAt(i32 entry) { MoveTo(520, 108 + 24 * RowOf(entry), 2); }
    Texts WornRows(int n) { return Texts(Equip().wornText, Equip().wornText + n); }
    // What role r holds in the weapon and the shield slots.
    static std::pair<i32, i32> Hands(i32 r) {
        return {gRoles[r].equip[kSlotWeapon], gRoles[r].equip[kSlotShield]};
    }
};

TEST_F(EquipTest, TheListFiltersSortsAndScrolls) {
    OpenSlotList(kSlotWeapon);
    // Role 6 is outside the party and wears a 短劍: never listed.
    std::vector<i32> list = Shown();
    EXPECT_EQ(std::count(list.begin(), list.end(), gRoles[6].equip[kSlotWeapon]), 0);
    // Taking off first. Two of the new weapons (two pieces each) leave role 0
    // out: they close the list, lowest index first.
    ASSERT_EQ(list.size(), 12u);
    EXPECT_EQ(std::make_tuple(list[0], gOwnedEquipage[list[8]].id, gOwnedEquipage[list[11]].id,
                              Equip().maxTop),
              std::make_tuple(-1, sampleEquip::kFirstPiece + 1, sampleEquip::kFirstPiece + 4, 2));
    EXPECT_TRUE(list[8] < list[9] && list[1] > list[2]) << "wearable ones from the highest index";

    // Eleven entries: the top can reach 1; ten: it stays 0.
    gOwnedEquipage[list[11]].id = -1;
    Equip().SelectRole(0);
    EXPECT_EQ(std::make_pair(Equip().candidates.size(), Equip().maxTop),
              std::make_pair(size_t{11}, 1));
    gOwnedEquipage[list[10]].name[0] = 0;  // a nameless piece is not listed either
    Equip().SelectRole(0);
    EXPECT_EQ(Equip().maxTop, 0);

    // Another member while the list is open: rebuilt for them from the top.
    Equip().listTop = 1;
    list = Shown();
    ClickSlot(2);
    EXPECT_EQ(std::make_pair(gMenuRole, Equip().listTop), std::make_pair(2u, 0));
    EXPECT_NE(Shown(), list) << "role 2 wears other pieces";
}

TEST_F(EquipTest, EquippingNearTheEndLowersTheTop) {
    ClickSlot(3);  // role 3 holds no weapon
    OpenSlotList(kSlotWeapon);
    i32 last = Equip().candidates.back();  // of twelve
    ClickEntry(last);                      // row 9 of the view from 2
    ASSERT_EQ(gRoles[3].equip[kSlotWeapon], last);
    h.RunFrames(1);
    EXPECT_EQ(std::make_pair(Equip().candidates.size(), Equip().listTop),
              std::make_pair(size_t{11}, 1));
    EXPECT_EQ(std::string(Equip().rowText[9]),
              std::string(gOwnedEquipage[Equip().candidates[10]].name));
}

TEST_F(EquipTest, EquipRulesAndTheRecordsAfterEachChange) {
    const RoleStats start = gRoleStats[0];
    i32 sword = gRoles[0].equip[kSlotWeapon];
    i32 shield = OwnedOf(sampleEquip::kIronShield, false);
    // 鐵盾 over the two-handed 巨劍 (attack 30, defence -5): the weapon goes,
    // bare hands hit at 85, the shield adds defence 14 and water -10.
    OpenSlotList(kSlotShield);
    sounds.Clear();
    ClickEntry(shield);
    EXPECT_EQ(sounds.played(), (std::vector<int>{261}));
    EXPECT_EQ(Hands(0), std::make_pair(-1, shield));
    RoleStats none = start;  // bare-handed
    none.attack -= 30;
    none.defence += 5;
    none.hitRate = 85;
    RoleStats bare = none;
    bare.defence += 14;
    bare.ratios[kWater] -= 10;
    EXPECT_EQ(0, std::memcmp(&gRoleStats[0], &bare, sizeof(bare)));
    EXPECT_EQ(WornRows(1), Texts{B5("未裝備")});

    // The 巨劍 back over the shield: the shield returns to its list.
    OpenSlotList(kSlotWeapon);
    ClickEntry(sword);
    EXPECT_EQ(gRoles[0].equip[kSlotShield], sword);
    EXPECT_EQ(0, std::memcmp(&gRoleStats[0], &start, sizeof(start)));
    OpenSlotList(kSlotShield);
    EXPECT_NE(std::ranges::count(Shown(), shield), 0);

    // Taking off through the shield slot removes the two-handed weapon too.
    ClickEntry(-1);
    EXPECT_EQ(Hands(0), std::make_pair(-1, -1));
    EXPECT_EQ(0, std::memcmp(&gRoleStats[0], &none, sizeof(none)));

    // A one-handed weapon over a kind-6 bow clears the shield row (role 2).
    ClickSlot(2);
    OpenSlotList(kSlotWeapon);
    i32 copper = OwnedOf(sampleEquip::kFirstPiece, false);
    ClickEntry(copper);
    EXPECT_EQ(Hands(2), std::make_pair(copper, -1));

    // A grey row: the sound, and nothing else (鐵盾 leaves role 2 out).
    OpenSlotList(kSlotShield);
    const RoleData before = gRoles[2];
    sounds.Clear();
    ClickEntry(shield);
    EXPECT_EQ(sounds.played(), (std::vector<int>{261}));
    EXPECT_EQ(0, std::memcmp(&gRoles[2], &before, sizeof(before)));
}

TEST_F(EquipTest, ComparisonLines) {
    // 月之戒 on role 0 (percent bonuses): magic 20% of 6 is +1, spirit 10% of 5
    // is 0, light -15% of 100 is -15; nothing else moves.
    OpenSlotList(kSlotAccessory1);
    PointAt(OwnedOf(sampleEquip::kMoonRing, false));
    EXPECT_EQ(Lines({6, 15}), (Texts{"+1", "-15"}));
    for (int slot = 2; slot <= 18; ++slot)
        EXPECT_EQ(PanelShown(slot), slot == 8 || slot == 17) << slot;
    // Taking off an empty slot changes nothing.
    PointAt(-1);
    for (int slot = 2; slot <= 18; ++slot) EXPECT_FALSE(PanelShown(slot)) << slot;

    // 鐵盾 over the 巨劍: the weapon's loss with the shield's gain.
    OpenSlotList(kSlotShield);
    PointAt(OwnedOf(sampleEquip::kIronShield, false));
    // Attack, defence, hit rate and water, on slots 4, 5, 2 and 12.
    EXPECT_EQ(Lines({0, 1, 2, 10}), (Texts{"-30", "+19", "-5", "-10"}));
    EXPECT_TRUE(PanelShown(4) && PanelShown(5) && PanelShown(2) && PanelShown(12));
    EXPECT_FALSE(PanelShown(3));

    // A hat with no bonus changes nothing; with flag 324 role 0 reads bit 1.
    EquipageData plain = gOwnedEquipage[OwnedOf(sampleEquip::kFeatherHat, false)];
    plain.evasion = plain.agility = 0;
    plain.wearerMask = 0x2;
    plain.defence = 7;
    i32 onlyRole1 = AddEquipage(plain);
    plain.defence = 0;
    plain.wearerMask = 0xFF;
    i32 empty = AddEquipage(plain);
    OpenSlotList(kSlotHat);
    EXPECT_EQ(Shown().back(), onlyRole1) << "grey for role 0";
    PointAt(empty);
    for (int slot = 2; slot <= 18; ++slot) EXPECT_FALSE(PanelShown(slot)) << slot;
    PointAt(onlyRole1);
    EXPECT_FALSE(PanelShown(5));
    PutGameFlag(kLeadSwapFlag, 1);
    Equip().SelectRole(0);
    EXPECT_EQ(Shown()[2], onlyRole1) << "role 0 may wear it under the exchange";
    PointAt(onlyRole1);
    EXPECT_TRUE(PanelShown(5));
    EXPECT_EQ(Lines({1}), Texts{"+7"});
}

TEST_F(EquipTest, WornPiecesEmptySlotsAndBadSlotValues) {
    // Role 0 holds the two-handed 巨劍 in both rows and wears no hat.
    const std::string none = B5("未裝備");
    EXPECT_TRUE(Equip().wornIcon[0]->shown && !Equip().wornIcon[2]->shown);
    // Bad slot values and icons show nothing.
    i32 hatPlace = OwnedOf(sampleEquip::kFeatherHat, false);
    i32 freePlace = OwnedOf(-1, false);
    gRoles[0].equip[kSlotHat] = 300;
    gRoles[0].equip[kSlotArmour] = freePlace;
    gOwnedEquipage[hatPlace].icon = 40;
    gRoles[0].equip[kSlotAccessory1] = hatPlace;
    Equip().SelectRole(0);
    EXPECT_EQ(WornRows(5), (Texts{B5("巨劍"), B5("巨劍"), none, none, B5("羽帽")}));
    EXPECT_FALSE(Equip().wornIcon[3]->shown || Equip().wornIcon[4]->shown) << "icon 40: none";
    // Taking off the bad armour slot and comparing it run without harm.
    OpenSlotList(kSlotArmour);
    PointAt(-1);
    ClickEntry(-1);
    EXPECT_EQ(gRoles[0].equip[kSlotArmour], -1);
    h.RunFrames(2);
}

// ==== the offering and transformation pages: who is listed, the question, the
// animation and the offering's result, the form details with their skills ====

struct OfferTest : MenuTest {
    // The opening unlocks forms 0 and 1 and gives two 石魔像, a 幻影 and the
    // nameless one (its description "無名之物").
    static constexpr i32 golem = sampleEquip::kGolem, phantom = sampleEquip::kPhantom;
    static constexpr i32 nameless = sampleEquip::kNameless;
    // The choice: mode, form and monster.
    static std::tuple<u32, i32, i32> Choice() {
        return {gOfferFrame->mode, gOfferFrame->chosenForm, gOfferFrame->chosenMonster};
    }
    cOfferFrame& Offer() { return *gOfferFrame; }
    i32 PicAct() { return static_cast<i32>(Offer().monsterPic->normalPic->player.act); }
    void OpenOffer() {
        OpenSide(2, 4);
        sounds.Clear();
    }
    void ClickForm(int s) { ClickAt(60 + 198 * (s % 2), 396 + 24 * (s / 2)); }
    void ClickMonster(int k) { ClickAt(500, 108 + 24 * k); }
    void Confirm() { ClickAt(400, 335); }
    // Chooses form 0 and the monster of row k, confirms, and runs the nine
    // blend ticks and the tick that shows the effects.
    void StartAnOffering(int k = 0) {
        ClickForm(0);
        ClickMonster(k);
        ASSERT_TRUE(Offer().mode & kOfferAsking);
        sounds.Clear();
        Confirm();
        h.RunFrames(10);
        ASSERT_TRUE(Offer().mode & kOfferSecondPhase);
    }
    // Ticks of the offering's second phase until it finishes (limit 400).
    int SecondPhaseTicks() {
        int n = 0;
        for (; (Offer().mode & kOfferPlaying) && n < 400; ++n) h.RunFrames(1);
        return n;
    }
    cTransformFrame& Page17() { return *gTransformFrame; }
    // The skill rows' names, "-" for a hidden row.
    Texts SkillRows() {
        Texts out;
        for (cControl* c : Page17().skillName) out.push_back(c->shown ? Text(c) : "-");
        return out;
    }
};

TEST_F(OfferTest, AnOfferingRaisesTheFormAndSpendsOneMonster) {
    MonsterData& f = gGodForms[0];
    f.offerValue = 95;
    f.attack = 495;
    f.defence = 5;
    f.ratios[kFire] = 100;
    f.ratios[kDark] = 2;
    OpenOffer();
    ClickForm(0);
    EXPECT_EQ(Offer().mode, kOfferForm);
    ClickMonster(0);
    ASSERT_EQ(Offer().mode, kOfferForm | kOfferMonster | kOfferAsking);
    sounds.Clear();
    Confirm();  // the release's tick clicks, the next one starts
    EXPECT_EQ(sounds.played(), (std::vector<int>{265, sampleOffer::kBlessSound}))
        << "確定, then the blessing's own sound";
    ASSERT_NE(Offer().offeredPic, nullptr);
    // A click and a right click on a monster row during the blend: not read,
    // and dropped at the end.
    gDInput.SetMousePos(500, 108);
    const bool left[9] = {0, 1, 0, 0, 0, 0, 0, 0, 0}, right[9] = {0, 0, 0, 1, 0, 0, 0, 0, 0};
    std::vector<u32> blends;
    for (int t = 0; t < 9; ++t) {
        PlatformSetMouseButtons(left[t], right[t]);
        h.RunFrames(1);
        blends.push_back(Offer().offeredPic->blendA);
    }
    EXPECT_EQ(blends, (std::vector<u32>{3, 4, 5, 6, 7, 8, 9, 10, 11}));
    EXPECT_FALSE(Offer().mode & kOfferSecondPhase);
    h.RunFrames(30);  // the animation runs out
    EXPECT_EQ(Choice(), std::make_tuple(u32{kOfferForm}, 0, -1)) << "the form stays chosen";
    EXPECT_EQ(gMouseInput.rightClick, 0u);
    // 95 + 10 caps at 99; attack 495 + 10 stops at 500, defence 5 - 10 at 0;
    // the ratios take the bonuses unbounded.
    EXPECT_EQ(std::make_tuple(f.offerValue, f.attack, f.defence, f.ratios[kFire], f.ratios[kDark]),
              std::make_tuple(99, 500, 0, 107, -1));
    // One golem less, shown on its row; the cursor stays on the row.
    EXPECT_EQ(std::make_tuple(std::string(Offer().offerText), gOwnedMonsters[golem], gMouseInput.y),
              std::make_tuple(" 99", 1, 110));
    EXPECT_EQ(Offer().rowCounts[0]->value, &gOwnedMonsters[golem]);

    // The last 幻影 (row 1): the list loses the row, the cursor goes up one;
    // the last 石魔像 on row 0: the cursor stays on row 0.
    const std::pair<int, std::deque<u32>> lasts[] = {{1, {static_cast<u32>(golem)}}, {0, {}}};
    for (const auto& [row, left] : lasts) {
        ClickMonster(row);
        ASSERT_TRUE(Offer().mode & kOfferAsking) << "the chosen form asks at once";
        Confirm();
        h.RunFrames(30);  // the animation runs out
        EXPECT_EQ(Offer().monsters, left);
        EXPECT_EQ(std::make_pair(Offer().rowNames.size(), gMouseInput.y),
                  std::make_pair(left.size(), 110));
    }
}

// Only owned, ordinary, named monsters are listed.
TEST_F(OfferTest, MonsterFirstThenFormTheWaysToCancelAndNoFormUnlocked) {
    gOwnedMonsters[golem] = 1;
    gOwnedMonsters[nameless] = 3;
    gOwnedMonsters[2] = 4;  // the fire god, a form
    OpenOffer();
    EXPECT_EQ(std::make_pair(Offer().monsters, Offer().forms),
              std::make_pair(std::deque<u32>{u32{golem}, u32{phantom}}, std::deque<u32>{0, 1}));
    ClickMonster(0);
    EXPECT_EQ(Offer().mode, kOfferMonster) << "no question without a form";
    ClickForm(1);
    EXPECT_TRUE((Offer().mode & kOfferAsking) && Offer().chosenForm == 1);
    sounds.Clear();
    ClickAt(480, 335);  // 取消
    EXPECT_EQ(sounds.played(), (std::vector<int>{263}));
    EXPECT_EQ(Choice(), std::make_tuple(0u, -1, -1));
    ClickForm(0);
    ClickMonster(0);
    ASSERT_TRUE(Offer().mode & kOfferAsking);
    RightClick();
    EXPECT_EQ(Choice(), std::make_tuple(0u, -1, -1));
    EXPECT_EQ(gOwnedMonsters[golem], 1);
    EXPECT_EQ(gFrameId, kScreenBit | 4u) << "backing out of a choice stays on the page";
    // With no form unlocked nothing is asked.
    PutGameFlag(300, 0);
    PutGameFlag(301, 0);
    CloseToMap(h);
    OpenOffer();
    for (cControl* c : Offer().slotPic) EXPECT_FALSE(c->shown);
    EXPECT_EQ(gAbilityPanel.slots[4], nullptr);
    ClickMonster(0);
    ClickForm(0);
    EXPECT_EQ(Offer().mode, kOfferMonster);
}

TEST_F(OfferTest, PreviewsAndBadValues) {
    gOwnedMonsters[golem] = gOwnedMonsters[phantom] = 1;
    gMonsters[golem].offerBonus[0] = 123456789;
    gGodForms[0].index = 40;  // a save may hold any word there
    OpenOffer();
    // The act-0 monster first: 3201/13 where the control stands at first.
    MoveTo(500, 108 + 24, 2);
    ASSERT_NE(Offer().monsterPic->normalPic, nullptr);
    EXPECT_EQ(std::make_tuple(PicAct(), Action(Offer().monsterPic), Spot(Offer().monsterPic)),
              std::make_tuple(3201, 13, std::pair(320, 270)));
    EXPECT_NE(Offer().monsterPic->normalPic->frame, nullptr) << "the sample draws 3201/13";
    MoveTo(500, 108, 2);
    // Bounded to the line; no water bonus.
    EXPECT_EQ(Lines({0, 1, 2 + kFire}), (Texts{"+99999999", "-10", "+7"}));
    EXPECT_TRUE(PanelShown(4) && PanelShown(11) && !PanelShown(12));
    ASSERT_EQ(Action(Offer().monsterPic), 13);
    EXPECT_NE(Offer().monsterPic->normalPic->frame, nullptr) << "the monster's act has action 13";
    ClickForm(0);
    EXPECT_EQ(Action(Offer().formPic), 8) << "form 0's picture, not word 40's";
}

// The animation lasts as long as the blessing (effect A, 16 steps), not the
// rising light (effect B, 12 steps); the monster goes once B reaches step 11.
TEST_F(OfferTest, TheAnimationEndsWithTheBlessing) {
    OpenOffer();
    StartAnOffering();
    bool bDoneWhilePlaying = false, hiddenEarly = false, hiddenLate = true;
    int ticks = 0;
    for (; (Offer().mode & kOfferPlaying) && ticks < 400; ++ticks) {
        const bool aDone = Offer().effects[0]->IsDone();
        const int stepB = Offer().effects[1]->GetStep();
        bDoneWhilePlaying |= !aDone && Offer().effects[1]->IsDone();
        if (stepB <= 10) hiddenEarly |= !Offer().monsterPic->shown;
        h.RunFrames(1);
        if (aDone)
            EXPECT_FALSE(Offer().mode & kOfferPlaying) << "the tick after the blessing ends";
        else if (stepB >= 11 && (Offer().mode & kOfferPlaying))
            hiddenLate &= !Offer().monsterPic->shown;
    }
    EXPECT_TRUE(bDoneWhilePlaying) << "the light ends first and does not end the offering";
    EXPECT_FALSE(hiddenEarly) << "the monster stays up to step 10 of the light";
    EXPECT_TRUE(hiddenLate) << "and goes from step 11";
    EXPECT_NEAR(ticks, sampleOffer::kBlessSteps, 1);
}

// A looping blessing ends the offering after 300 ticks, a missing one at once
// (and plays no sound); the offering is made all the same.
TEST_F(OfferTest, ALoopingOrMissingBlessingStillEnds) {
    using Edit = void (*)(std::map<u32, ActProgram>&, u32);
    const Edit loop = [](std::map<u32, ActProgram>& acts, u32 k) {
        std::vector<u16>& w = acts[k].parts[0];
        ASSERT_EQ(w.back(), kActO2);
        w.back() = kActOV;  // back to the start forever
    };
    const Edit drop = [](std::map<u32, ActProgram>& acts, u32 k) { acts.erase(k); };
    // The change to the blessing, the ticks of the second phase, the sounds.
    const std::tuple<Edit, int, std::vector<int>> cases[] = {
        {loop, 300, {265, sampleOffer::kBlessSound}}, {drop, 1, {265}}};
    for (const auto& [edit, ticks, played] : cases) {
        SCOPED_TRACE(ticks);
        // The act archive holding the blessing (act 8079) rewritten with that
        // act changed, and what the game read of the old one dropped.
        using sampleOffer::kBlessAct;
        const u32 archive = kBlessAct / kPicsPerArchive;
        std::map<u32, ActProgram> acts;
        for (const auto& [n, a] : SampleActs())
            if (n / kPicsPerArchive == archive) acts[n % kPicsPerArchive] = a;
        edit(acts, kBlessAct % kPicsPerArchive);
        std::string path = std::string(gBasePath) + kPicArchiveNames[archive] + ".act";
        std::replace(path.begin(), path.end(), '\\', '/');
        WriteHostFile(path, BuildActArchive(acts));
        FreeActs();
        gOwnedMonsters[golem] = 1;
        const i32 before = gGodForms[0].offerValue;
        OpenOffer();
        StartAnOffering();
        EXPECT_EQ(sounds.played(), played);
        EXPECT_EQ(SecondPhaseTicks(), ticks);
        EXPECT_EQ(gOwnedMonsters[golem], 0);
        EXPECT_EQ(gGodForms[0].offerValue, std::min(before + 10, 99));
        CloseToMap(h);
    }
}

// Monster 300 lies past the picture offsets table (256 entries): its preview
// and its offering read no offset, while 250, inside it, is drawn 20 higher.
TEST_F(OfferTest, AMonsterPastTheOffsetsTable) {
    // The monster table grown to 301 records, as a larger database would
    // load it: the new ones zeroed and none owned.
    const size_t old = static_cast<size_t>(gMonsterCount), size = 301;
    gMonsters = static_cast<MonsterData*>(std::realloc(gMonsters, size * sizeof(MonsterData)));
    gOwnedMonsters = static_cast<i32*>(std::realloc(gOwnedMonsters, size * sizeof(i32)));
    ASSERT_TRUE(gMonsters && gOwnedMonsters);
    std::memset(static_cast<void*>(gMonsters + old), 0, (size - old) * sizeof(MonsterData));
    gMonsterCount = 301;
    for (i32 m : {250, 300}) {
        gMonsters[m] = gMonsters[golem];
        gMonsters[m].index = m;
    }
    for (i32 m = 0; m < gMonsterCount; ++m) gOwnedMonsters[m] = m == 250 || m == 300;
    OpenOffer();
    ASSERT_EQ(Offer().monsters, (std::deque<u32>{250, 300}));
    MoveTo(500, 108, 2);
    EXPECT_EQ(Offer().monsterPic->y, 250);
    MoveTo(500, 108 + 24, 2);
    ASSERT_NE(Offer().monsterPic->normalPic, nullptr);
    EXPECT_EQ(std::make_pair(PicAct(), Spot(Offer().monsterPic)),
              std::make_pair(static_cast<i32>(gMonsters[golem].act), std::pair(320, 270)));
    StartAnOffering(1);
    EXPECT_EQ(Offer().monsterPic->y, 270) << "the offered picture";
    SecondPhaseTicks();
    EXPECT_EQ(gOwnedMonsters[300], 0);
    EXPECT_EQ(Offer().monsters, (std::deque<u32>{250}));
}

// ---- the transformation page ----

TEST_F(OfferTest, TheFirstFormWithItsSkillsPacked) {
    MonsterData& f = gGodForms[0];
    const i32 skills[5] = {0, 1, 9999, 2, 3};  // 0 and 9999 name no skill
    for (int k = 0; k < 5; ++k) f.specials[k].skill = skills[k];
    f.healSkill.skill = 4;
    gSkills[4].mpCost = INT_MIN;
    for (i32 n = 0; n < 12; ++n) PutGameFlag(300 + n, 1);  // twelve forms scroll to two
    OpenSide(3, 17);                                       // the transformation page
    EXPECT_EQ(std::make_pair(Page17().rowPics.size(), Page17().maxTop),
              std::make_pair(size_t{10}, 2));
    EXPECT_EQ(sounds.played(), (std::vector<int>{261, 261})) << "the side row, then the first form";
    EXPECT_EQ(Page17().shownForm, 0);
    Texts names = {gSkills[1].name, gSkills[2].name, gSkills[3].name, gSkills[4].name, "-", "-"};
    EXPECT_EQ(SkillRows(), names);
    EXPECT_EQ(std::string(Page17().mpText[3]), "Mp:-2147483648");
    EXPECT_FALSE(Page17().skillMp[5]->shown);

    // Slots 0-3 filled, slot 4 empty, the healing special: row 4.
    for (int k = 0; k < 4; ++k) f.specials[k].skill = 1 + k;
    f.specials[4].skill = -1;
    f.healSkill.skill = 5;
    ClickAt(520, 108);  // the row of the form shown
    names[4] = gSkills[5].name;
    EXPECT_EQ(SkillRows(), names);
    // The agility row has no caption on its right.
    MoveTo(340, 175, 2);
    EXPECT_FALSE(Page17().hintLine->shown);
    MoveTo(240, 175, 2);
    EXPECT_TRUE(Page17().hintLine->shown && std::string(Page17().hint) == B5("敏捷"));
}

// ==== the skills page and the skill list: the category rows of each role, the
// row colours, using a skill with and without a target choice, scrolling ====

// How a row's text is drawn: B plain black, G shadowed grey, ? anything else.
char Shade(const cControl* c) {
    const u32 colour = c->colour & 0xFFFF;
    if (c->style == kStylePlain && colour == ColorRefToScreen(0)) return 'B';
    return c->style == kStyleShadow && colour == ColorRefToScreen(0x969696) ? 'G' : '?';
}

struct SkillPages : MenuTest {
    cSkillFrame& Skills() { return *gSkillFrame; }
    cSkillListFrame& List() { return *gSkillListFrame; }
    void OpenSkills() {
        Tap(kScanF2, 4);
        ASSERT_EQ(gFrameId, kScreenBit | 23u);
        sounds.Clear();
    }
    // Category row r's list, from the skills page or from another list.
    void OpenRow(int r) {
        if (gFrameId == (kScreenBit | 24u)) BackToSkills();
        ClickSide(r);
        h.RunFrames(2);
        ASSERT_EQ(gFrameId, kScreenBit | 24u);
    }
    void OpenList(i32 role, int r) {
        gMenuRole = static_cast<u32>(role);
        OpenSide(r, 24, kScanF2);
        sounds.Clear();
    }
    // A right click on the list, until the skills page runs again.
    void BackToSkills() {
        RightClick();
        h.RunFrames(2);
        ASSERT_EQ(std::make_pair(gFrameId, gFramePhase), std::make_pair(kScreenBit | 23u, 1u));
    }
    void Key(u8 code) { Tap(code, 2); }
    // The shown categories' captions, read off the page.
    Texts Captions() {
        Texts out;
        for (cControl* c : Skills().frame.panel.captions)
            if (c && c->shown) out.push_back(Text(c));
        return out;
    }
    // Each row's name as drawn: B black, G grey, ? anything else.
    std::string Shades(int n) {
        std::string out;
        for (int j = 0; j < n; ++j) out += Shade(List().rowName[j]);
        return out;
    }
    // A row's name, value and where the value stands.
    std::tuple<std::string, std::string, i32> Row(int j) {
        return {Text(List().rowName[j]), Text(List().rowValue[j]), List().rowValue[j]->x};
    }
    // A role's MP and the sounds played since the last clear.
    std::pair<i32, std::vector<int>> MpAndSounds(i32 r) {
        return {gRoleStats[r].mp, sounds.played()};
    }
    const std::vector<int> None;
    // The rows drawn again, as after a use.
    void Redraw() {
        List().list.lastTop = -1;
        List().RefreshRows();
    }
};

// ---- ways in and out ----

TEST_F(SkillPages, TheWaysInAndOutOfBothPages) {
    gMenuRole = 2;
    OpenSkills();
    EXPECT_EQ(Text(Skills().frame.member.name), std::string(gRoleStats[2].name));
    ClickTab(1);  // this page's own tab
    EXPECT_EQ(std::make_pair(gFrameId, gFramePhase), std::make_pair(kScreenBit | 23u, 1u));
    EXPECT_TRUE(sounds.played().empty());
    OpenRow(0);
    EXPECT_EQ(sounds.played(), (std::vector<int>{261})) << "the list's own forward sound";
    EXPECT_EQ(std::make_pair(List().category, Text(List().frame.panel.title)),
              std::make_pair(5, std::string(B5("吟 　唱"))));
    sounds.Clear();
    BackToSkills();
    EXPECT_EQ(std::make_pair(gMenuRole, sounds.played()), std::make_pair(2u, std::vector{263}));
    OpenRow(1);
    ClickSlot(3);  // a party slot goes back to the skills page on that member
    h.RunFrames(2);
    EXPECT_EQ(std::make_pair(gFrameId, gMenuRole),
              std::make_pair(kScreenBit | 23u, static_cast<u32>(gParty[3])));
    EXPECT_EQ(Text(Skills().frame.member.name), std::string(gRoleStats[gParty[3]].name));
    sounds.Clear();
    RightClick();
    EXPECT_EQ(FinishClose(), 0u);
    EXPECT_EQ(std::make_pair(gMenuRole, sounds.played()), std::make_pair(0u, std::vector{263}));
}

// ---- category rows ----

TEST_F(SkillPages, CategoryRowsFollowLearnedSkillsAndUnlockedForms) {
    for (int n = 0; n < 20; ++n) PutGameFlag(300 + n, 0);
    PutGameFlag(302, 1);  // a form role 1 cannot summon
    OpenSkills();
    Skills().SelectRole(1);
    const Texts two = {B5("戰 　技"), B5("神 　術")};
    EXPECT_EQ(Captions(), two);
    PutGameFlag(300, 1);
    Skills().SelectRole(1);
    EXPECT_EQ(Captions(), (Texts{two[0], two[1], B5("召 　喚")}));
    for (int n : {0, 7, 19}) {
        for (int m = 0; m < 20; ++m) PutGameFlag(300 + m, m == n);
        Skills().SelectRole(5);
        EXPECT_EQ(Captions(), (Texts{B5("魔 　法"), B5("幻 　術"), B5("變 　身")})) << n;
    }
    // Under flag 324 role 0 shows role 1's rows and keeps its own name.
    PutGameFlag(319, 0);
    PutGameFlag(kLeadSwapFlag, 1);
    Skills().SelectRole(0);
    EXPECT_EQ(Captions(), two);
    EXPECT_EQ(Text(Skills().frame.member.name), B5("雷恩"));
}

TEST_F(SkillPages, HealingAloneIsTheFirstRowAndAnEmptyRoleStillTakesTheTopBand) {
    gLearnedSkills[0][ss::kFirstRow] = 0;  // role 0's combat skill
    for (i32& f : gLearnedSkills[3]) f = 0;

    OpenSkills();
    EXPECT_EQ(Captions(), Texts{B5("醫 　療")});
    EXPECT_EQ(Skills().frame.panel.captions[0]->y, 100);
    ClickAt(520, 140);  // the second band: no row
    EXPECT_EQ(std::make_pair(gFrameId, gFramePhase), std::make_pair(kScreenBit | 23u, 1u));
    ::ClickAt(h, 520, 131, 4);  // the first band's last line
    EXPECT_EQ(std::make_pair(gFrameId, List().category), std::make_pair(kScreenBit | 24u, 3));
    BackToSkills();
    ClickSlot(3);  // role 3: nothing learned
    EXPECT_TRUE(Captions().empty());
    MoveTo(520, 100, 2);
    EXPECT_TRUE(Skills().focus == 10 && !Skills().frame.panel.bar->shown);
    ClickAt(520, 100);
    EXPECT_TRUE(gFrameId == (kScreenBit | 23u) && !gSkillListFrame);
}

// ---- colours and use ----

TEST_F(SkillPages, RowColoursFollowMpStatusAndUseModeAndTheListScrolls) {
    OpenList(0, 1);  // role 0's healing skills, fifteen of them
    EXPECT_EQ(Row(0), std::make_tuple(B5("小治療"), "Mp:8", 560));
    // 8, 12 and the self skill's 5 MP are paid from 40, 99 are not.
    EXPECT_EQ(Shades(4), "BBBG");
    EXPECT_EQ(Shade(List().rowValue[3]), 'G');
    i32 mp = gRoleStats[0].mp;
    ClickRow(3);
    EXPECT_EQ(MpAndSounds(0), std::make_pair(mp, None));
    // Using the self skill (5 MP) from 13 leaves 8: the 12 MP row turns grey at
    // once; 8 MP still pays for 8. Sealed, healing stays usable; dying, nothing.
    gRoleStats[0].mp = 13;
    Redraw();
    EXPECT_EQ(Shades(4), "BBBG");
    ClickRow(2);
    EXPECT_EQ(MpAndSounds(0), std::make_pair(8, std::vector{1}));
    for (u32 status : {0u, 0x200u}) {
        gRoleStats[0].status = status;
        Redraw();
        EXPECT_EQ(Shades(4), "BGBG") << status;
    }
    gRoleStats[0].status = 0x4000;
    Redraw();
    EXPECT_EQ(Shades(10), std::string(10, 'G'));
    sounds.Clear();
    ClickRow(0);
    EXPECT_EQ(MpAndSounds(0), std::make_pair(8, None));
    // Fifteen entries scroll to five; ten cannot scroll.
    MoveTo(520, 108);
    Key(kScanPgDn);
    EXPECT_EQ(List().list.top, 5);
    Key(kScanPgDn);
    EXPECT_EQ(List().list.top, 5);
    EXPECT_EQ(Text(List().rowName[0]), B5("療法02")) << "entry 5";
    for (int k = 11; k < 16; ++k) gLearnedSkills[0][ss::kFirstRow + k] = 0;
    OpenRow(1);
    ASSERT_EQ(List().list.Count(), 10);
    MoveTo(520, 108 + 24 * 9, 2);
    EXPECT_EQ(List().focus, 19);
    Key(kScanDown);
    Key(kScanPgDn);
    EXPECT_EQ(std::make_pair(List().list.top, List().focus), std::make_pair(0, 19));
}

// The last 5 MP pay for the self skill of 5: its row is drawn usable and the
// keys use it, leaving nothing.
TEST_F(SkillPages, TheLastMpPayForASkillOfThatCostAndASealedMemberUsesAGreyRow) {
    gSmartMouse = 1;
    OpenList(0, 1);  // healing: 8, 12, the self skill's 5, 99
    gRoleStats[0].mp = 5;
    Redraw();
    EXPECT_EQ(Shades(4), "GGBG");
    Key(kScanDown);
    Key(kScanDown);
    ASSERT_EQ(List().focus, 12);
    Key(kScanEnter);
    EXPECT_EQ(MpAndSounds(0), std::make_pair(0, std::vector{1}));
    EXPECT_EQ(Shades(4), "GGGG");
    // A sealed member still uses a grey row; battle skills stay grey.
    gRoleStats[2].status = 0x200;
    OpenList(2, 0);  // chant: the party hymn
    EXPECT_EQ(Shades(List().list.Count()), "G");
    i32 mp = gRoleStats[2].mp;
    ClickRow(0);
    EXPECT_EQ(MpAndSounds(2), std::make_pair(mp - 10, std::vector{1}));
    OpenRow(1);  // magic: the ice arrow is for battle
    gRoleStats[2].status = 0;
    Redraw();
    EXPECT_EQ(Shades(1), "G");
    sounds.Clear();
    ClickRow(0);
    EXPECT_EQ(MpAndSounds(2), std::make_pair(mp - 10, None));
}

TEST_F(SkillPages, SummonsAndFormsAreGreyAndAOneMemberPartyUsesAOneTargetSkillAtOnce) {
    PutGameFlag(301, 1);
    PutGameFlag(302, 1);  // no summon record 202
    gGodForms[1].actionCost = 12345;
    OpenList(1, 2);
    EXPECT_EQ(std::vector<i32>(List().list.items.begin(), List().list.items.end()),
              (std::vector<i32>{200, 201}));
    EXPECT_EQ(Text(List().rowName[1]), B5("冰魔降臨"));
    EXPECT_EQ(Shades(2), "GG");
    i32 mp = gRoleStats[1].mp;
    ClickRow(0);
    EXPECT_EQ(MpAndSounds(1), std::make_pair(mp, None));
    BackToSkills();
    Skills().SelectRole(5);
    OpenRow(2);  // forms 0, 1 and 2
    ASSERT_EQ(List().list.Count(), 3);
    EXPECT_EQ(Row(0), std::make_tuple(B5("火神"), B5("供奉值:5"), 540));
    EXPECT_EQ(Text(List().rowValue[1]), B5("供奉值:12345"));
    EXPECT_EQ(Shades(3), "GGG");
    MoveTo(520, 108, 2);
    EXPECT_TRUE(List().list.bar->shown && !List().frame.panel.tipText->shown)
        << "forms have no description";
    // A one-member party uses a one-target skill at once.
    SetParty({0});
    gRoleStats[0].hp = 10;
    OpenList(0, 1);
    ClickRow(0);
    EXPECT_EQ(std::make_tuple(List().subMode, gRoleStats[0].hp, MpAndSounds(0)),
              std::make_tuple(int{kSkillListMain}, 50, std::make_pair(32, std::vector{1})));
}

// ---- use ----

TEST_F(SkillPages, TheTargetChoiceWalksTheSlotsAndUsesOnTheChosenMember) {
    SetParty({0, 1, 2, 3});
    gRoleStats[1].hp = gRoleStats[2].hp = 10;
    OpenList(0, 1);
    ClickRow(0);
    ASSERT_EQ(List().subMode, kSkillListTarget);
    EXPECT_EQ(Spot(List().marker), std::pair(375, 64));
    EXPECT_EQ(sounds.played(), (std::vector<int>{261}));
    Key(kScanDown);
    EXPECT_EQ(std::make_pair(List().marker->y, Text(List().frame.member.name)),
              std::make_pair(136, std::string(gRoleStats[1].name)));
    Key(kScanUp);
    EXPECT_EQ(List().marker->y, 64);
    ClickSlot(2);
    EXPECT_EQ(std::make_tuple(List().subMode, gRoleStats[2].hp, gRoleStats[0].mp),
              std::make_tuple(int{kSkillListMain}, 50, 32));
    EXPECT_EQ(Text(List().frame.member.name), std::string(gRoleStats[0].name));
    // Again, the slot under the mouse and a click on the background.
    ClickRow(0);
    MoveTo(cPartySlots::CursorSpot(1).x, cPartySlots::CursorSpot(1).y, 2);
    EXPECT_EQ(List().marker->y, 136);
    sounds.Clear();
    ClickAt(200, 20);
    EXPECT_EQ(std::make_pair(gRoleStats[1].hp, gRoleStats[0].mp), std::make_pair(50, 24));
    EXPECT_EQ(sounds.played(), (std::vector<int>{1}));
    // A right click and an F key end the choice with nothing spent.
    ClickRow(0);
    sounds.Clear();
    RightClick();
    EXPECT_TRUE(List().subMode == kSkillListMain && !List().marker);
    EXPECT_EQ(sounds.played(), (std::vector<int>{263}));
    ClickRow(0);
    Tap(kScanF3, 3);
    EXPECT_EQ(std::make_pair(gFrameId, gRoleStats[0].mp), std::make_pair(kScreenBit | 25u, 24));
    // Bad skill ids are left out; a bad cost is shown whole.
    gLevelUpSkills[0][ss::kFirstRow + 1].skill = 0;
    gLevelUpSkills[0][ss::kFirstRow + 2].skill = 9999;
    gLevelUpSkills[0][ss::kFirstRow + 3].skill = -7;
    gSkills[ss::kGreatMend].mpCost = 1234567;
    OpenList(0, 1);
    EXPECT_EQ(List().list.Count(), 12);
    EXPECT_EQ(Row(0), std::make_tuple(B5("大治療"), "Mp:1234567", 560));
    EXPECT_EQ(Shades(1), "G");
}

// ---- bad values ----

TEST_F(SkillPages, OpeningTakesAnyFocusWordAndAMemberOutsideTheParty) {
    gSmartMouse = 0;
    // The shown member and the focus word, then the member, the focus and the
    // word after: a bad word reads as the member's slot and is reset.
    const std::tuple<u32, i32, u32, int> opens[] = {{2, 35, 2, 32}, {2, 99, 2, 32}, {6, 0, 0, 30}};
    for (const auto& [role, word, roleAfter, focus] : opens) {
        CloseToMap(h);
        gMenuRole = role;
        gKeyFocus = word;
        Open(23);
        EXPECT_EQ(std::make_tuple(gMenuRole, Skills().focus, gKeyFocus),
                  std::make_tuple(roleAfter, focus, 0))
            << word;
    }
    // With six members down from the sixth slot wraps (the key table); a seventh
    // member, not shown, keeps the focus where it is.
    CloseToMap(h);
    SetParty({0, 1, 2, 3, 4, 5, 6});
    OpenSkills();
    ClickSlot(5);
    ASSERT_EQ(Skills().focus, 35);
    Key(kScanDown);
    EXPECT_EQ(gMenuRole, 5u);
}

}  // namespace
