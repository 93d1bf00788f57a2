// The shop's front screens through the real tick: the store keeper's talk,
// the packed category rows, tabs and keys, the party, leaving.
#include "shop/ShopSession.h"

namespace {

TEST_F(ShopTest, StoreKeeperOpensAShopWithThreeTabs) {
    TalkToStoreKeeper();
    cShopBuyMenuFrame& f = *gShopBuyMenuFrame;
    EXPECT_EQ(TabXs(f.tabs), (std::array<i32, 4>{495, 540, -1, 585}));
    // Shop 2 stocks accessories and items: two packed rows.
    EXPECT_EQ(Buttons(f), (IdYs{{7014, 90}, {7015, 132}}));
    EXPECT_EQ(CanvasAt(100, 20), Colour(9907, 9)) << "the buy side's background";
    EXPECT_EQ(CanvasAt(500, 20), Colour(9907, 5)) << "the buy tab as the current side";
}

TEST_F(ShopTest, PackedRowsAndTheFocusComingBack) {
    gSmartMouse = 0;
    OpenShop(false, {{5, {1, 2}}, {1, {3}}});
    EXPECT_EQ(Buttons(*gShopBuyMenuFrame), (IdYs{{7011, 90}, {7015, 132}}));
    EXPECT_EQ(gShopBuyMenuFrame->current, 0) << "no focus handed over: the buy tab";
    OpenBuyList(1);
    EXPECT_EQ(gKeyFocus, 15);
    EXPECT_EQ(BuyCore().category, 5u);
    Tap(kScanEsc);
    h.RunFrames(2);
    ASSERT_EQ(gFrameId, kBuyFront);
    EXPECT_EQ(gShopBuyMenuFrame->current, 15);
    // The down key from the items row wraps to the shields row.
    Tap(kScanDown, 2);
    EXPECT_EQ(gShopBuyMenuFrame->current, 11);
}

TEST_F(ShopTest, TabKeysSkipTheMissingStrengtheningTab) {
    gSmartMouse = 0;
    OpenShop(false, {{5, {1}}});
    auto key = [&](u8 code) {
        Tap(code, 2);
        return gShopBuyMenuFrame->current;
    };
    EXPECT_EQ(key(kScanLeft), 3) << "left from the buy tab reaches the leave tab";
    EXPECT_EQ(key(kScanRight), 0);
    EXPECT_EQ(key(kScanRight), 1);
    EXPECT_EQ(key(kScanRight), 3) << "right from the sell tab skips strengthening";
    EXPECT_EQ(key(kScanLeft), 1);
    EXPECT_EQ(key(kScanDown), 15) << "down goes to the first category row";
}

// Four members, flag 324: role 0 shows role 1's portrait. Eight members all
// fit on the buy side; the list's panel shows six.
TEST_F(ShopTest, PartyPortraits) {
    SetParty({0, 1, 2, 3});
    SetGameFlag(static_cast<i32>(kLeadSwapFlag));
    OpenShop(false, {{5, {1}}});
    cShopBuyMenuFrame& f = *gShopBuyMenuFrame;
    EXPECT_EQ(Spot(f.portrait[3]), std::pair(10, 235));
    EXPECT_EQ(f.portrait[4], nullptr);
    EXPECT_EQ((std::array{CanvasAt(20, 60), CanvasAt(148, 60), CanvasAt(276, 60)}),
              (std::array{Colour(9904, 33), Colour(9904, 32), Colour(9904, 34)}));
    CloseToMap(h);
    SetParty({0, 1, 2, 3, 4, 5, 6, 7});
    OpenShop(false, {{5, {1}}});
    EXPECT_EQ(Spot(gShopBuyMenuFrame->portrait[7]).second, 420);
    OpenBuyList(0);
    EXPECT_EQ(gShopBuyListFrame->members, 6);
}

TEST_F(ShopTest, LeavingEmptiesTheStock) {
    OpenShop(false, {{5, {1, 2}}, {0, {0}}});
    Back();
    EXPECT_EQ(gFrameId, 0u);
    EXPECT_EQ(sounds.played(), std::vector<int>{263});
    for (const ShopCategory& c : gShopStock.cat) EXPECT_TRUE(c.ids.empty());
    EXPECT_EQ(gShopStock.cat[5].index, 5) << "the categories stay";
    // The leave tab: 261 on the buy side, nothing on the sell side.
    OpenShop(false, {{5, {1}}});
    ClickTabAt(585);
    h.RunFrames(2);
    EXPECT_EQ(gFrameId, 0u);
    EXPECT_EQ(sounds.played(), std::vector<int>{261});
    OpenShop(false, {{5, {1}}});
    ClickTabAt(540);
    h.RunFrames(2);
    ASSERT_EQ(gFrameId, kSellFront);
    sounds.Clear();
    ClickTabAt(585);
    h.RunFrames(2);
    EXPECT_EQ(gFrameId, 0u);
    EXPECT_TRUE(sounds.played().empty());
}

TEST_F(ShopTest, GameTimeWrapsAtSixtyHours) {
    OpenShop(false, {{5, {1}}});
    gGameTime = 3725;
    h.RunFrames(1);
    EXPECT_STREQ(gShopBuyMenuFrame->timeText, "1:02:05");
    gGameTime = 216000;
    h.RunFrames(1);
    EXPECT_STREQ(gShopBuyMenuFrame->timeText, "0:00:00");
}

TEST_F(ShopTest, SellSideShowsAllSevenCategoriesAndTheirFocus) {
    gSmartMouse = 0;
    OpenShop(true, {{5, {1}}});
    ClickTabAt(495);  // 賣 with strengthening offered
    h.RunFrames(2);
    ASSERT_EQ(gFrameId, kSellFront);
    EXPECT_EQ(gShopSellMenuFrame->button[6]->id, 7016);
    EXPECT_EQ(gShopSellMenuFrame->button[6]->y, 90 + 42 * 6);
    OpenSellRow(6);
    EXPECT_EQ(gKeyFocus, 6);
    Back();
    ASSERT_EQ(gFrameId, kSellFront);
    EXPECT_EQ(gShopSellMenuFrame->current, 16);
    // A focus outside 0..6 reads as the first row.
    OpenSellRow(2);
    gKeyFocus = 40;
    Back();
    ASSERT_EQ(gFrameId, kSellFront);
    EXPECT_EQ(gShopSellMenuFrame->current, 10);
}

}  // namespace
