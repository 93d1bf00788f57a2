// The shop screens through the real tick on the sample game after its opening
// talk, a shop opened by the store keeper's talk or by a written shop file:
// the front screens (packed category rows, tabs and keys, the party,
// leaving), the buy and sell lists (scrolling, the quantity box, limits,
// prices, the party panel), and the strengthening counter.

#include <algorithm>
#include <array>
#include <numeric>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "data/Equipage.h"
#include "data/GameData.h"
#include "engine/Random.h"
#include "engine/Tsw.h"
#include "menu/AbilityPanel.h"
#include "platform/TextCodec.h"
#include "shop/EnhanceFrame.h"
#include "shop/ShopBuyList.h"
#include "shop/ShopFront.h"
#include "shop/ShopSellList.h"
#include "support/MenuSession.h"
#include "ui/ScreenLink.h"

namespace {

using Texts = std::vector<std::string>;

struct ShopTest : MenuTest {
    void SetUp() override {
        MenuTest::SetUp();
        gSmartMouse = 0;  // the keys move the focus, not the cursor
    }
    static constexpr u32 kBuyFront = kScreenBit | 18, kBuyList = kScreenBit | 19;
    static constexpr u32 kSellFront = kScreenBit | 20, kSellList = kScreenBit | 21;

    // A right click, and the frame that closes the screen.
    void Back() {
        RightClick();
        h.RunFrames(2);
    }
    void ClickListRow(int r) { ClickAt(500, 130 + 24 * r); }
    // Clicks the tab at x, runs a tick of what it opens; the frame running then.
    u32 ClickTabAt(i32 x) {
        ::ClickAt(h, x + 20, 20, 5);
        return gFrameId;
    }
    // From the buy (or sell) side into the list of category row n, run a tick.
    void OpenList(int n, u32 frame = kBuyList) {
        ::ClickAt(h, 490, 100 + 42 * n, 5);
        ASSERT_EQ(gFrameId, frame);
        sounds.Clear();
    }
    // The quantity box's "more" and confirm buttons.
    void ClickMore() { ClickAt(318, 320); }
    void ClickConfirm() { ClickAt(330, 365); }
    void Key(u8 code) { Tap(code, 2); }
    cShopListCore& BuyCore() { return gShopBuyListFrame->core; }
    cShopListCore& SellCore() { return gShopSellListFrame->core; }
    static i32 Money() { return static_cast<i32>(gScriptVars[0]); }
    // Items 20.. of the sample, n of them, in the buy list (smart mouse off),
    // from the map.
    void OpenItemList(int n) {
        CloseToMap(h);
        std::vector<u16> ids(static_cast<size_t>(n));
        std::iota(ids.begin(), ids.end(), u16{20});
        OpenShop(false, {{5, ids}});
        OpenList(0);
        ASSERT_EQ(BuyCore().current, 100);
    }
};

// ---- the front screens ----

TEST_F(ShopTest, PackedRowsTabKeysAndTheFocusComingBack) {
    OpenShop(false, {{5, {1, 2}}, {1, {3}}});
    const cShopBuyMenuFrame& f = *gShopBuyMenuFrame;  // the category rows' ids and ys
    std::vector<std::pair<i32, i32>> rows;
    for (int r = 0; r < f.rows; ++r) rows.push_back({f.button[r]->id, f.button[r]->y});
    EXPECT_EQ(rows, (std::vector<std::pair<i32, i32>>{{7011, 90}, {7015, 132}}));
    EXPECT_EQ(CanvasAt(100, 20), Colour(9907, 9)) << "the buy side's background";
    EXPECT_EQ(CanvasAt(500, 20), Colour(9907, 5)) << "the buy tab as the current side";
    EXPECT_EQ(gShopBuyMenuFrame->current, 0) << "no focus handed over: the buy tab";
    // Left from the buy tab reaches the leave tab, right from the sell tab
    // skips the missing strengthening tab; down goes to the first category row
    // and from the items row wraps to the shields row.
    const std::pair<u8, int> keys[] = {{kScanLeft, 3},  {kScanRight, 0}, {kScanRight, 1},
                                       {kScanRight, 3}, {kScanLeft, 1},  {kScanDown, 11},
                                       {kScanDown, 15}, {kScanDown, 11}};
    for (const auto& [key, current] : keys) {
        Key(key);
        EXPECT_EQ(gShopBuyMenuFrame->current, current) << int(key);
    }
    OpenList(1);
    EXPECT_EQ(std::make_pair(gKeyFocus, BuyCore().category), std::make_pair(15, 5u));
    Tap(kScanEsc, 3);
    ASSERT_EQ(gFrameId, kBuyFront);
    EXPECT_EQ(gShopBuyMenuFrame->current, 15);
}

// Four members, flag 324: role 0 shows role 1's portrait. Eight members all
// fit on the buy side; the list's panel shows six. The clock, formatted as the
// system panel's (whose test works its values), follows the time each tick.
TEST_F(ShopTest, PartyPortraitsAndTheClock) {
    SetParty({0, 1, 2, 3});
    SetGameFlag(static_cast<i32>(kLeadSwapFlag));
    OpenShop(false, {{5, {1}}});
    cShopBuyMenuFrame& f = *gShopBuyMenuFrame;
    EXPECT_EQ(std::make_pair(Spot(f.portrait[3]), Spot(f.portrait[4])),
              std::make_pair(std::pair(10, 235), std::pair(-1, -1)));
    EXPECT_EQ((std::array{CanvasAt(20, 60), CanvasAt(148, 60), CanvasAt(276, 60)}),
              (std::array{Colour(9904, 33), Colour(9904, 32), Colour(9904, 34)}));
    gGameTime = 216000;
    h.RunFrames(1);
    EXPECT_STREQ(gShopBuyMenuFrame->timeText, "0:00:00");
    CloseToMap(h);
    SetParty({0, 1, 2, 3, 4, 5, 6, 7});
    OpenShop(false, {{5, {1}}});
    EXPECT_EQ(Spot(gShopBuyMenuFrame->portrait[7]).second, 420);
    OpenList(0);
    EXPECT_EQ(gShopBuyListFrame->members, 6);
}

// Stock ids past the databases are dropped and the first one reported, and
// the shop opens all the same. Leaving empties the stock.
TEST_F(ShopTest, BadStockIdsAreDroppedAndLeavingEmptiesTheStock) {
    h.boxes().clear();
    OpenShop(false, {{0, {0, 500, 1}}, {5, {20, 300, 250}}});
    EXPECT_EQ(std::make_pair(gShopStock.cat[0].ids, gShopStock.cat[5].ids),
              std::make_pair(std::deque<u32>{0, 1}, std::deque<u32>{20}));
    ASSERT_EQ(h.boxes().size(), 1u) << "the first one only";
    const std::string& text = h.boxes()[0].text;
    EXPECT_NE(text.find("tore.dat"), std::string::npos) << text;
    EXPECT_NE(text.find("500"), std::string::npos) << text;
    Back();
    EXPECT_EQ(std::make_pair(gFrameId, sounds.played()), std::make_pair(0u, std::vector{263}));
    for (const ShopCategory& c : gShopStock.cat) EXPECT_TRUE(c.ids.empty());
    EXPECT_EQ(gShopStock.cat[5].index, 5) << "the categories stay";
    // The leave tab: 261 on the buy side, nothing on the sell side.
    for (bool sell : {false, true}) {
        OpenShop(false, {{5, {1}}});
        ASSERT_TRUE(!sell || ClickTabAt(540) == kSellFront);
        sounds.Clear();
        EXPECT_EQ(ClickTabAt(585), 0u) << sell;
        EXPECT_EQ(sounds.played(), sell ? std::vector<int>{} : std::vector<int>{261});
    }
}

TEST_F(ShopTest, SellSideShowsAllSevenCategoriesAndTheirFocus) {
    OpenShop(true, {{5, {1}}});
    ASSERT_EQ(ClickTabAt(495), kSellFront) << "賣 with strengthening offered";
    EXPECT_EQ(std::make_pair(gShopSellMenuFrame->button[6]->id, gShopSellMenuFrame->button[6]->y),
              std::make_pair(7016, 90 + 42 * 6));
    // The row opened, the focus word on the way back (outside 0..6 it reads as
    // the first row), the sell side's current control after.
    const std::tuple<int, i32, int> backs[] = {{6, 6, 16}, {2, 40, 10}};
    for (const auto& [row, focus, current] : backs) {
        OpenList(row, kSellList);
        EXPECT_EQ(gKeyFocus, row);
        gKeyFocus = focus;
        Back();
        ASSERT_EQ(gFrameId, kSellFront);
        EXPECT_EQ(gShopSellMenuFrame->current, current) << row;
    }
    // The sell list's buy tab keeps its category (5) as the focus word, naming no
    // buy-side row: no focus there, the cursor left on the tab, not on a row.
    gSmartMouse = 1;
    OpenList(5, kSellList);
    ASSERT_EQ(ClickTabAt(450), kBuyFront);
    EXPECT_EQ(std::make_tuple(gKeyFocus, gMouseInput.x, gMouseInput.y),
              std::make_tuple(5, 470, 20));
}

// ---- the buy list ----

// Keys over lists of 11, 12 and 30 entries: the top row after each run of
// keys. A page moves the rows, never the cursor.
TEST_F(ShopTest, KeysScrollByOneAtTheEdgesAndByPages) {
    // Entries, key, times pressed, top row after.
    const std::tuple<int, u8, int, int> steps[] = {
        {11, kScanDown, 12, 0}, {11, kScanPgDn, 1, 0},  {12, kScanDown, 10, 0},
        {12, kScanDown, 1, 1},  {12, kScanUp, 10, 1},   {12, kScanUp, 1, 0},
        {30, kScanPgDn, 1, 11}, {30, kScanPgDn, 1, 19}, {30, kScanPgDn, 1, 19},
        {30, kScanPgUp, 1, 8},  {30, kScanPgUp, 1, 0}};
    int open = 0;
    for (const auto& [entries, key, times, top] : steps) {
        SCOPED_TRACE(testing::Message() << entries << " entries, key " << int(key));
        if (entries != open) OpenItemList(open = entries);
        const std::pair<i32, i32> cursor{gMouseInput.x, gMouseInput.y};
        for (int i = 0; i < times; ++i) Key(key);
        EXPECT_EQ(BuyCore().top, top);
        if (key == kScanPgDn || key == kScanPgUp) {
            EXPECT_EQ(std::make_pair(gMouseInput.x, gMouseInput.y), cursor);
        }
        if (entries == 12 && top == 1 && key == kScanDown) {
            EXPECT_EQ(BuyCore().current, 110);
            h.RunFrames(1);
            EXPECT_STREQ(BuyCore().nameText[10], gItems[31].name) << "row 10 shows entry 11";
        }
    }
}

TEST_F(ShopTest, QuantityBoxKeysAndTwoCancels) {
    OpenItemList(3);
    gScriptVars[0] = 1000;
    const u16 boxColour = Colour(9907, 34);
    ClickListRow(0);
    ASSERT_EQ(std::make_tuple(BuyCore().mode, sounds.played(), BuyCore().current),
              std::make_tuple(1u, std::vector{262}, 600));
    EXPECT_EQ(CanvasAt(225, 245), boxColour);
    const std::pair<u8, int> keys[] = {{kScanRight, 601}, {kScanLeft, 600}, {kScanUp, 611}};
    for (const auto& [key, current] : keys) {
        Key(key);
        EXPECT_EQ(BuyCore().current, current) << int(key);
    }
    // The tabs and the list do nothing meanwhile.
    EXPECT_EQ(ClickTabAt(540), kBuyList);
    EXPECT_EQ(BuyCore().mode, 1u);
    MoveTo(100, 300);  // off the tabs, which come back with the list
    Key(kScanEsc);
    EXPECT_EQ(std::make_pair(BuyCore().mode, gFrameId), std::make_pair(0u, kBuyList));
    EXPECT_EQ(BuyCore().current, 100) << "back on the row of the box's entry";
    h.RunFrames(1);
    EXPECT_NE(CanvasAt(225, 245), boxColour);
    Tap(kScanEsc, 3);
    EXPECT_EQ(gFrameId, kBuyFront);
}

// Three short swords at 100 cost 300 and add three copies; a negative price
// buys for nothing; money above the cap from a save reads as the cap and pays
// from it.
TEST_F(ShopTest, BuyingPaysAddsCopiesAndKeepsToTheLimits) {
    gScriptVars[0] = 1000;
    OpenShop(false, {{0, {0}}});
    OpenList(0);
    const int before = CountUnwornEquipage(0);
    const std::string ownedBefore = BuyCore().ownedText[0];
    ClickListRow(0);
    EXPECT_EQ(BuyCore().quantityBar.maximum, 10);
    ClickMore();
    ClickMore();
    EXPECT_EQ(std::make_pair(BuyCore().quantity, BuyCore().total), std::make_pair(3, i64{300}));
    ClickConfirm();
    EXPECT_EQ(std::make_pair(Money(), CountUnwornEquipage(0)), std::make_pair(700, before + 3));
    EXPECT_EQ(std::atoi(BuyCore().ownedText[0]), std::atoi(ownedBefore.c_str()) + 3);
    EXPECT_EQ(std::make_pair(sounds.played(), BuyCore().mode),
              std::make_pair(std::vector{262, 261, 261, 264}, 0u));
    // Price, money before, whether two are bought, the money after.
    const std::tuple<i32, u32, bool, u32> buys[] = {{-100, 700, true, 700},
                                                    {100, 0x80000010u, false, 0x7FFFFFFFu - 100}};
    for (const auto& [price, money, more, after] : buys) {
        gEquipages[0].price = price;
        gScriptVars[0] = money;
        Back();
        OpenList(0);
        EXPECT_EQ(BuyCore().money, std::min<i64>(money, 0x7FFFFFFF));
        ClickListRow(0);
        if (more) ClickMore();
        ClickConfirm();
        EXPECT_EQ(gScriptVars[0], after) << price;
    }
    Back();

    // The limits by money, room and the cap: category 5 is item 20, category 0
    // the short sword. Category, price, owned items, money, the limit.
    const std::tuple<u32, i32, i32, u32, i32> limits[] = {
        {0, 100, 0, 1000, 10},  // 1000 at 100
        {0, 100, 0, 50, 0},      {5, 15, 97, 1000, 2},
        {5, 15, 97, 20, 1},      {5, 15, 120, 20, 0},  // more than the cap, from a bad save
        {5, 0, 0, 0, 99},                              // price 0: no money limit
        {0, -100, 0, 0, 99},                           // a negative price limits nothing
        {0, 250000, 0, 1000, 0}, {0, 1, 0, 0x7FFFFFFF, 99}};
    for (const auto& [cat, price, owned, money, limit] : limits) {
        (cat == 5 ? gItems[20].price : gEquipages[0].price) = price;
        gOwnedItems[20] = owned;
        gScriptVars[0] = money;
        EXPECT_EQ(BuyLimit(cat, cat == 5 ? 20 : 0), limit) << cat << " " << price << " " << money;
    }
    for (EquipageData& e : gOwnedEquipage) e.id = 0;
    EXPECT_EQ(BuyLimit(0, 0), 0) << "all 256 places in use";
}

// No piece worn or owned and no monster owned: each test owns what it needs.
struct HandsFreeTest : ShopTest {
    void SetUp() override {
        ShopTest::SetUp();
        for (i32 r = 0; r < kRoleCount; ++r)
            for (i32& e : gRoles[r].equip) e = -1;
        for (EquipageData& e : gOwnedEquipage) e.id = -1;
        for (i32 m = 0; m < gMonsterCount; ++m) gOwnedMonsters[m] = 0;
    }
    i32 Own(i32 record) { return AddEquipage(gEquipages[record]); }
    void Wear(i32 role, int slot, i32 owned) { gRoles[role].equip[slot] = owned; }
    i32 OwnAt(u32 place, i32 record) {
        gOwnedEquipage[place] = gEquipages[record];
        return static_cast<i32>(place);
    }
    // The sell list of category cat, through the sell side.
    void OpenSellList(int cat) {
        OpenShop(false, {{5, {20}}});
        ASSERT_EQ(ClickTabAt(540), kSellFront);
        OpenList(cat, kSellList);
    }
    void SellRow(int r, int more = 0) {
        ClickListRow(r);
        for (int i = 0; i < more; ++i) ClickMore();
        ClickConfirm();
    }
    std::deque<u32>& Entries() { return gShopSellListFrame->entries; }
};

// Changes of attack and defence worked out by hand for the sample's pieces:
// what putting the piece on changes, which the derived statistics make the
// same in every bonus mode (their own test pins that), so a +20 sword over a
// +10 one shows +10 whatever its mode.
TEST_F(HandsFreeTest, PreviewIsTheRealChangeInEveryBonusMode) {
    const struct {
        i32 record, kind, attack, defence;
        i64 wantAttack, wantDefence;
    } cases[] = {
        {0, 1, 20, 3, 20 - 10, 3},        // over the short sword
        {1, 2, 30, -5, 30 - 10, -5 - 8},  // over sword and wood shield
        {7, 7, 0, 6, 0, 6},               // the empty second slot goes
    };
    gRoles[0].attack = 47;
    gRoles[0].defence = 33;
    gRoles[0].strength = 11;
    gRoles[0].stamina = 7;
    Wear(0, kSlotWeapon, Own(0));
    Wear(0, kSlotShield, Own(3));
    i32 charm = Own(7);
    gOwnedEquipage[charm].defence = 4;
    Wear(0, kSlotAccessory1, charm);
    for (const auto& c : cases)
        for (i32 mode : {0, 1, 2, 3, 5}) {
            SCOPED_TRACE(testing::Message() << c.record << " mode " << mode);
            EquipageData rec = gEquipages[c.record];
            rec.kind = c.kind;
            rec.bonusMode = mode;
            rec.attack = c.attack;
            rec.defence = c.defence;
            rec.strength = 25;  // counts in the percent and overwrite modes only
            rec.maxHp = 40;
            AttackDefence preview = EquipChange(rec, 0);
            EXPECT_EQ(std::pair(preview.attack, preview.defence),
                      std::pair(c.wantAttack, c.wantDefence));
        }
    EXPECT_EQ(gRoles[0].equip[kSlotAccessory2], -1) << "the preview wears nothing";
    // Over a worn two-handed weapon (the great sword over the shield kept)
    // only that weapon goes; with both accessory slots full (4, and 6 in
    // slot 2), a charm of 6 takes the place of slot 1.
    Wear(0, kSlotWeapon, Own(1));
    const AttackDefence same = EquipChange(gEquipages[1], 0);
    EXPECT_EQ(std::pair(same.attack, same.defence), std::pair(i64{0}, i64{0}));
    EquipageData six = gEquipages[7];
    six.defence = 6;
    Wear(0, kSlotAccessory2, AddEquipage(six));
    EXPECT_EQ(EquipChange(six, 0).defence, 2);
}

TEST_F(HandsFreeTest, PartyPanelShowsChangesAndWhoCannotWear) {
    SetParty({0, 1});
    gEquipages[1].wearerMask = 0x1;  // role 0 only
    OpenShop(false, {{0, {1}}});
    OpenList(0);
    MoveTo(500, 130, 2);
    cShopBuyListFrame& f = *gShopBuyListFrame;
    const std::string cannot = B5("不可裝備");
    EXPECT_EQ((Texts{f.firstText[0], f.secondText[0], f.firstText[1]}),
              (Texts{"+30", "-5", cannot}));
    EXPECT_TRUE(f.first[0]->shown && f.first[1]->shown && !f.second[1]->shown);
    // Flag 324: role 0 reads bit 0x2 and role 1 bit 0x1.
    SetGameFlag(static_cast<i32>(kLeadSwapFlag));
    h.RunFrames(1);
    EXPECT_EQ((Texts{f.firstText[0], f.firstText[1]}), (Texts{cannot, "+30"}));
    // Leaving the list hides the marks in the same tick.
    MoveTo(100, 300, 2);
    EXPECT_FALSE(f.first[0]->shown || f.compare[1]->shown);
}

// ---- the sell list: what it lists and in which order, prices and the money
// cap, rows that go and rows that stay; bad stock and money from outside ----

TEST_F(HandsFreeTest, WhatIsListedAndInWhichOrder) {
    OwnAt(3, 2);                                 // long bow
    OwnAt(9, 0);                                 // short sword
    OwnAt(1, 2);                                 // long bow
    gRoles[0].equip[kSlotWeapon] = OwnAt(5, 0);  // worn
    OwnAt(6, 3);                                 // a shield: another category
    gOwnedEquipage[OwnAt(7, 1)].name[0] = 0;     // nameless
    EXPECT_EQ(SellableThings(0), (std::deque<u32>{9, 1, 3}));
    EXPECT_EQ(SellableThings(1), (std::deque<u32>{6}));
    // Items group by icon; monsters skip the forms.
    MenuTest::OwnOnly({103, 104, 105, 200});  // 200 lies past the sellable items
    gItems[103].icon = 5;
    gItems[104].icon = 3;
    gItems[105].icon = 40;  // no such icon: never listed
    EXPECT_EQ(SellableThings(5), (std::deque<u32>{104, 103}));
    gOwnedMonsters[2] = 5;  // the fire god, a form
    gOwnedMonsters[4] = 1;
    gOwnedMonsters[1] = 2;
    EXPECT_EQ(SellableThings(6), (std::deque<u32>{1, 4}));
}

// A piece sells at half its price and its row goes; part of a stack of items
// stays on its row, the stack's last pieces take the row with them.
TEST_F(HandsFreeTest, HalfPricesTheLastPieceGoesAndPartOfAStackStays) {
    OwnAt(4, 0);
    gOwnedEquipage[OwnAt(8, 0)].price = 301;
    MenuTest::OwnOnly({103, 104}, 5);
    gItems[103].icon = 1;
    gItems[104].icon = 2;
    gItems[104].price = 15;
    gScriptVars[0] = 0;
    OpenSellList(0);
    ASSERT_EQ(std::make_pair(Entries(), SellCore().current),
              std::make_pair(std::deque<u32>{4, 8}, 10));
    ClickListRow(1);
    EXPECT_EQ(SellCore().current, 601) << "the box opens on cancel";
    EXPECT_EQ(SellCore().quantityBar.maximum, 1);
    ClickConfirm();
    EXPECT_LT(gOwnedEquipage[8].id, 0);
    // Gone: the cursor on row 0.
    EXPECT_EQ(std::make_tuple(Money(), Entries(), SellCore().current),
              std::make_tuple(150, std::deque<u32>{4}, 10));
    EXPECT_EQ(sounds.played(), (std::vector<int>{262, 264}));
    Back();
    OpenList(5, kSellList);
    ASSERT_EQ(Entries(), (std::deque<u32>{103, 104}));
    EXPECT_STREQ(SellCore().priceText[1], "    7");
    SellRow(1, 2);  // three at 15, halved once
    EXPECT_EQ(std::make_tuple(Money(), gOwnedItems[104], Entries().size(), SellCore().current),
              std::make_tuple(150 + 22, 2, size_t{2}, 11));
    SellRow(1, 1);
    EXPECT_EQ(std::make_tuple(gOwnedItems[104], Entries(), SellCore().current),
              std::make_tuple(0, std::deque<u32>{103}, 10));
}

// The panel shows a monster's plain numbers; monsters sell at full price up
// to the money cap; a piece in bonus mode 5 shows 0 on every line.
TEST_F(HandsFreeTest, MonstersPanelAndFullPriceUpToTheCapAndZeroForOddModes) {
    gMonsters[2].kind = 0;
    gOwnedMonsters[2] = 1;
    gMonsters[2].strength = 7;
    gMonsters[2].attack = 30;
    gMonsters[2].ratios[0] = 150;
    gMonsters[2].ratios[1] = -20;
    gMonsters[2].price = 100;
    gScriptVars[0] = 0x7FFFFFFF - 16;
    OpenSellList(6);
    MoveTo(500, 130, 2);
    EXPECT_EQ((Texts{gAbilityPanel.lines[0], gAbilityPanel.lines[9], gAbilityPanel.lines[10]}),
              (Texts{"37", "150", "-20"}));
    EXPECT_TRUE(gAbilityPanel.slots[4] && gAbilityPanel.slots[4]->shown);
    SellRow(0);
    EXPECT_TRUE(gScriptVars[0] == 0x7FFFFFFFu && Entries().empty());
    // 99 at 0x7FFFFFF0 each: a total past 32 bits still stops at the cap.
    gMonsters[2].price = 0x7FFFFFF0;
    gOwnedMonsters[2] = 99;
    gScriptVars[0] = 0;
    Back();
    OpenList(6, kSellList);
    SellRow(0, 1);
    EXPECT_EQ(std::make_pair(gScriptVars[0], gOwnedMonsters[2]), std::make_pair(0x7FFFFFFFu, 97));
    OwnAt(2, 0);
    gOwnedEquipage[2].bonusMode = 5;
    gOwnedEquipage[2].attack = 50;
    Back();
    OpenList(0, kSellList);
    MoveTo(500, 130, 2);
    for (int n = 0; n < kAbilityLines; ++n) EXPECT_STREQ(gAbilityPanel.lines[n], "0") << n;
}

// ---- the strengthening counter: the roll's rule, the stages through the real
// tick and their timing, what a success and a failure cost, refused choices ----

TEST(EnhanceRoll, DrawsAgainstTheChanceAndSpecialTexts) {
    // Draw, chance, won: chance 0 still wins on a draw of 0, a negative one never.
    const std::tuple<i32, i32, bool> draws[] = {
        {0, 0, true}, {37, 37, true}, {38, 37, false}, {0, -1, false}, {99, 99, true}};
    for (const auto& [draw, chance, won] : draws)
        EXPECT_EQ(EnhanceSucceeds(draw, chance), won) << draw << " " << chance;
    InitRandom(12345);
    int wins = 0;
    for (int i = 0; i < 10000; ++i) wins += RollSucceeds(49) ? 1 : 0;
    EXPECT_NEAR(wins, 5000, 200) << "draws 0..49 of 0..99";
    // The texts of the specials a strengthening may give: no status 99, no skill 5000.
    const std::pair<EquipSpecial, const char*> specials[] = {
        {{1, 10, -5, 0, 0}, "每回合  HP+10點  MP-5點"},
        {{3, 0, 20, 0, 0}, "攻擊敵人吸取  MP+20%"},
        {{4, 0, 0, 99, 0}, ""},
        {{6, 0, 0, 0, 5000}, ""},
        {{5, 0, 0, 0, 0}, "反彈敵人攻擊"}};
    for (const auto& [special, text] : specials) {
        char out[64];
        DescribeSpecial(special, out, sizeof(out));
        EXPECT_STREQ(out, B5(text)) << special.kind;
    }
}

struct EnhanceTest : HandsFreeTest {
    static constexpr u32 kEnhance = kScreenBit | 22;
    void SetUp() override {
        HandsFreeTest::SetUp();
        gOwnedEquipage[0] = gEquipages[0];  // short sword, attack 10
        gOwnedEquipage[0].enhanceLeft = 2;
        gOwnedEquipage[0].price = 100;
        gOwnedEquipage[1] = gEquipages[3];  // wood shield, none left
        gOwnedEquipage[1].enhanceLeft = 0;
        MonsterData& slime = gMonsters[0];
        slime.price = 100;
        slime.enhanceChance = 100;
        for (i32& v : slime.weaponBlock) v = 0;
        slime.weaponBlock[5] = 7;
        gOwnedMonsters[0] = 1;
        gMonsters[1].price = 50;
        gMonsters[1].enhanceChance = -1;
        gOwnedMonsters[1] = 3;
        gScriptVars[0] = 100;
        OpenShop(true, {{5, {20}}});
        ASSERT_EQ(ClickTabAt(540), kEnhance);
        sounds.Clear();
    }
    cEnhanceFrame& F() { return *gEnhanceFrame; }
    void ChoosePiece(int r) { ClickAt(520, 100 + 24 * r); }
    void ChooseMonster(int r) { ClickAt(340, 120 + 24 * r); }
    void Confirm() { ClickAt(400, 330); }
    // The first piece's attack, strengthenings left and price, how many of
    // monster m are owned, and the money.
    static std::tuple<i32, i32, i32, i32, i32> Outcome(int m) {
        const EquipageData& e = gOwnedEquipage[0];
        return {e.attack, e.enhanceLeft, e.price, gOwnedMonsters[m], Money()};
    }
    void Esc() { TapKey(h, kScanEsc, 2); }
};

// With its animation or without it, the strengthening keeps its times.
struct EnhanceTimes : EnhanceTest, testing::WithParamInterface<bool> {};
INSTANTIATE_TEST_SUITE_P(AnimationDropped, EnhanceTimes, testing::Bool(),
                         testing::PrintToStringParamName());

TEST_P(EnhanceTimes, SuccessAtTheTimesGiven) {
    if (GetParam()) {  // the strengthening's animation (act 9904, action 43) taken out
        const u32 archive = kPortraitAct / kPicsPerArchive, entry = kPortraitAct % kPicsPerArchive;
        std::string path = std::string(gBasePath) + kPicArchiveNames[archive] + ".act";
        std::replace(path.begin(), path.end(), '\\', '/');
        std::vector<u8> file = ReadHostFile(path);
        ByteReader r(file);
        r.Skip(kTswHeaderSize + kTswEntrySize * (entry - 1));
        TswEntry e;
        TswEntryFields(r, e);
        ASSERT_TRUE(r.ok() && e.offset != 0 && u64{e.offset} + e.size <= file.size());
        u8* act = file.data() + e.offset;
        ASSERT_GT(LoadU16(act), 43);
        StoreU32(act + 2 + 4 * 43, 0);
        WriteHostFile(path, file);
        FreeActs();
    }
    ChoosePiece(0);
    EXPECT_EQ(F().stage, kChooseMonster);
    EXPECT_EQ(F().tabs.tab[0]->id, 0) << "tabs inert";
    ChooseMonster(0);
    EXPECT_EQ(F().stage, kConfirming);
    Confirm();
    EXPECT_EQ(std::make_pair(F().stage, sounds.played()),
              std::make_pair(u32{kEnhancing}, std::vector{262}));
    // Frames a millisecond apart: each stage ends in the first frame past its
    // time. No roll at 3000 ms, the roll at 3001; not back at 2000 ms from
    // there, back at 2001. Money equal to the price pays.
    SetFrameInterval(1);
    const std::pair<u32, u32> frames[] = {{2960, kEnhancing},     {3000, kEnhancing},
                                          {3001, kShowingResult}, {1960, kShowingResult},
                                          {2000, kShowingResult}, {2001, kChoosePiece}};
    for (const auto& [ms, stage] : frames) {
        h.RunFrames(1, F().startTime + ms - timeGetTime());  // ms after the stage began
        EXPECT_EQ(F().stage, stage) << ms;
    }
    EXPECT_EQ(Outcome(0), std::make_tuple(17, 1, 200, 0, 0));
    EXPECT_EQ(F().monsters.entries, (std::vector<i32>{1})) << "the last slime is gone";
    EXPECT_EQ(std::make_pair(F().current, F().tabs.tab[0]->id), std::make_pair(200, 7000));
}

// Both headings and the mark of the active list stay over the list areas on
// the canvas, whichever list was brought forward last.
TEST_F(EnhanceTest, HeadingsAndTheActiveMarkStayInSight) {
    const u16 white = ConvertPixel(0x7FFF);
    auto whiteIn = [&](i32 x, i32 y) {  // a heading of four 24-pixel characters
        int n = 0;
        for (i32 py = y; py < y + 24; ++py)
            for (i32 px = x; px < x + 96; ++px) n += CanvasAt(px, py) == white;
        return n;
    };
    // The step, where the mark stands and its action.
    const std::tuple<const char*, i32, i32, i32> steps[] = {
        {"open", 421, 56, 14}, {"piece picked", 254, 71, 15}, {"back", 421, 56, 14}};
    for (const auto& [step, markX, markY, markAction] : steps) {
        if (markAction == 15) ChoosePiece(0);
        if (std::string(step) == "back") Esc();
        h.RunFrames(1);
        EXPECT_GT(whiteIn(295, 75), 60) << step << ": 選擇怪物";
        EXPECT_GT(whiteIn(478, 58), 60) << step << ": 選擇裝備";
        EXPECT_EQ(CanvasAt(markX + 10, markY + 10), Colour(9907, markAction)) << step;
    }
}

// A failure still costs, and a cancel while strengthening rolls at once.
TEST_F(EnhanceTest, FailureAndRefusedChoices) {
    ChoosePiece(0);
    ChooseMonster(1);  // the goblin, chance -1
    Confirm();
    ASSERT_EQ(F().stage, kEnhancing);
    Esc();
    EXPECT_EQ(F().stage, kShowingResult);
    EXPECT_EQ(Outcome(1), std::make_tuple(10, 1, 150, 2, 50));
    Esc();
    EXPECT_EQ(F().stage, kChoosePiece);
    ChoosePiece(1);
    EXPECT_EQ(F().stage, kChoosePiece) << "no strengthening left";
    gScriptVars[0] = 99;
    ChoosePiece(0);
    ChooseMonster(0);
    EXPECT_EQ(F().stage, kChooseMonster) << "the slime costs 100";
    // Back steps: cancel in stage 1 returns to the pieces; in stage 0 it leaves.
    Esc();
    EXPECT_EQ(F().stage, kChoosePiece);
    Esc();
    h.RunFrames(1);
    EXPECT_EQ(gFrameId, kMapMode);
}

}  // namespace
