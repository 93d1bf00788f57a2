// The sell list: what it lists and in which order, prices and the money cap,
// rows that go and rows that stay; bad stock and money from outside.
#include "menu/AbilityPanel.h"
#include "shop/ShopSession.h"

namespace {

struct ShopSellTest : ShopTest {
    void SetUp() override {
        ShopTest::SetUp();
        gSmartMouse = 0;
        EmptyHands();
    }
    i32 OwnAt(u32 place, i32 record) {
        gOwnedEquipage[place] = gEquipages[record];
        return static_cast<i32>(place);
    }
    // The sell list of category cat, through the sell side.
    void OpenSellList(int cat) {
        OpenShop(false, {{5, {20}}});
        ClickTabAt(540);
        h.RunFrames(2);
        ASSERT_EQ(gFrameId, kSellFront);
        OpenSellRow(cat);
    }
    void SellRow(int r, int more = 0) {
        ClickListRow(r);
        for (int i = 0; i < more; ++i) ClickMore();
        ClickConfirm();
    }
    std::deque<u32>& Entries() { return gShopSellListFrame->entries; }
};

TEST_F(ShopSellTest, WhatIsListedAndInWhichOrder) {
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
    ASSERT_GE(gMonsterCount, 5);
    gOwnedMonsters[2] = 5;  // the fire god, a form
    gOwnedMonsters[4] = 1;
    gOwnedMonsters[1] = 2;
    EXPECT_EQ(SellableThings(6), (std::deque<u32>{1, 4}));
}

TEST_F(ShopSellTest, HalfPricesAndTheLastPieceGoes) {
    OwnAt(4, 0);
    gOwnedEquipage[OwnAt(8, 0)].price = 301;
    gScriptVars[0] = 0;
    OpenSellList(0);
    ASSERT_EQ(Entries(), (std::deque<u32>{4, 8}));
    EXPECT_EQ(SellCore().current, 10);
    ClickListRow(1);
    EXPECT_EQ(SellCore().current, 601) << "the box opens on cancel";
    EXPECT_EQ(SellCore().quantityBar.maximum, 1);
    ClickConfirm();
    EXPECT_EQ(Money(), 150);
    EXPECT_LT(gOwnedEquipage[8].id, 0);
    EXPECT_EQ(Entries(), (std::deque<u32>{4}));
    EXPECT_EQ(SellCore().current, 10) << "gone: row 0";
    EXPECT_EQ(sounds.played(), (std::vector<int>{262, 264}));
}

TEST_F(ShopSellTest, PartOfAStackStaysOnItsRow) {
    MenuTest::OwnOnly({103, 104}, 5);
    gItems[103].icon = 1;
    gItems[104].icon = 2;
    gItems[104].price = 15;
    gScriptVars[0] = 0;
    OpenSellList(5);
    ASSERT_EQ(Entries(), (std::deque<u32>{103, 104}));
    EXPECT_STREQ(SellCore().priceText[1], "    7");
    SellRow(1, 2);
    EXPECT_EQ(Money(), 22) << "three at 15, halved once";
    EXPECT_EQ(gOwnedItems[104], 2);
    EXPECT_EQ(SellCore().current, 11);
    EXPECT_EQ(Entries().size(), 2u);
    SellRow(1, 1);
    EXPECT_EQ(gOwnedItems[104], 0);
    EXPECT_EQ(Entries(), (std::deque<u32>{103}));
    EXPECT_EQ(SellCore().current, 10);
}

TEST_F(ShopSellTest, MonstersSellAtFullPriceUpToTheCap) {
    ASSERT_GE(gMonsterCount, 3);
    gMonsters[2].kind = 0;
    gMonsters[2].price = 100;
    gOwnedMonsters[2] = 1;
    gScriptVars[0] = 0x7FFFFFFF - 16;
    OpenSellList(6);
    SellRow(0);
    EXPECT_EQ(gScriptVars[0], 0x7FFFFFFFu);
    EXPECT_TRUE(Entries().empty());
    // 99 at 0x7FFFFFF0 each: a total past 32 bits still stops at the cap.
    gMonsters[2].price = 0x7FFFFFF0;
    gOwnedMonsters[2] = 99;
    gScriptVars[0] = 0;
    Back();
    OpenSellRow(6);
    SellRow(0, 1);
    EXPECT_EQ(gScriptVars[0], 0x7FFFFFFFu);
    EXPECT_EQ(gOwnedMonsters[2], 97) << "two sold";
}

TEST_F(ShopSellTest, PanelShowsPlainNumbersForMonstersAndZeroForOddModes) {
    ASSERT_GE(gMonsterCount, 3);
    gMonsters[2].kind = 0;
    gOwnedMonsters[2] = 1;
    gMonsters[2].strength = 7;
    gMonsters[2].attack = 30;
    gMonsters[2].ratios[0] = 150;
    gMonsters[2].ratios[1] = -20;
    OpenSellList(6);
    MoveTo(500, 130, 2);
    EXPECT_STREQ(gAbilityPanel.lines[0], "37");
    EXPECT_STREQ(gAbilityPanel.lines[9], "150");
    EXPECT_STREQ(gAbilityPanel.lines[10], "-20");
    ASSERT_NE(gAbilityPanel.slots[4], nullptr);
    EXPECT_TRUE(gAbilityPanel.slots[4]->shown);
    // A piece with bonus mode 5 shows 0 on every line.
    OwnAt(2, 0);
    gOwnedEquipage[2].bonusMode = 5;
    gOwnedEquipage[2].attack = 50;
    Back();
    OpenSellRow(0);
    MoveTo(500, 130, 2);
    for (int n = 0; n < kAbilityLines; ++n) EXPECT_STREQ(gAbilityPanel.lines[n], "0") << n;
}

TEST_F(ShopSellTest, StockIdsPastTheDatabasesAreDroppedAndReported) {
    h.boxes().clear();
    OpenShop(false, {{0, {0, 500, 1}}, {5, {20, 300, 250}}});
    EXPECT_EQ(gShopStock.cat[0].ids, (decltype(gShopStock.cat[0].ids){0, 1}));
    EXPECT_EQ(gShopStock.cat[5].ids, (decltype(gShopStock.cat[5].ids){20}));
    ASSERT_EQ(h.boxes().size(), 1u) << "the first one only";
    const std::string& text = h.boxes()[0].text;
    EXPECT_NE(text.find("tore.dat"), std::string::npos) << text;
    EXPECT_NE(text.find("500"), std::string::npos) << text;
    EXPECT_EQ(gFrameId, kBuyFront) << "the shop opens all the same";
}

}  // namespace
