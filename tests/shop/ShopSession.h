// A fixture for the shop screens: the sample game after its opening talk, a
// shop opened by the store keeper's talk or by a written shop file, and the
// points of the screens' controls.
#pragma once
#include <gtest/gtest.h>

#include <array>
#include <utility>
#include <vector>

#include "data/Config.h"
#include "data/GameData.h"
#include "map/StoryLink.h"
#include "mhdata/SampleShop.h"
#include "mhdata/Shops.h"
#include "shop/ShopBuyList.h"
#include "shop/ShopFront.h"
#include "shop/ShopSellList.h"
#include "story/PartyCommands.h"
#include "support/MenuSession.h"

struct ShopTest : MenuTest {
    static constexpr u32 kBuyFront = kScreenBit | 18, kBuyList = kScreenBit | 19;
    static constexpr u32 kSellFront = kScreenBit | 20, kSellList = kScreenBit | 21;

    // The store keeper's talk, confirmed until the buy side runs.
    void TalkToStoreKeeper() {
        StartTalk(sampleShop::kStoreTalk, sampleShop::kStoreRole);
        for (int i = 0; i < 10 && gFrameId != kBuyFront; ++i) {
            Tap(SampleSession::Confirm());
            h.RunFrames(2);
        }
        h.RunFrames(2);
        ASSERT_EQ(gFrameId, kBuyFront);
        ASSERT_EQ(gFramePhase, 1u);
        sounds.Clear();
    }
    // Writes a shop file with this one shop (number 7) and opens it.
    void OpenShop(bool enhance, std::vector<ShopDef::Category> cats) {
        WriteHostFile(h.Path("game/MH_Data/tore.dat"), MakeShopFile({{7, enhance, cats}}));
        ASSERT_EQ(LoadShop(7), 1);
        h.RunFrames(3);
        ASSERT_EQ(gFrameId, kBuyFront);
        sounds.Clear();
    }
    // Ids 0..n-1 (item numbers below the sample's count).
    static std::vector<u16> Ids(int n, u16 first = 0) {
        std::vector<u16> v;
        for (int i = 0; i < n; ++i) v.push_back(static_cast<u16>(first + i));
        return v;
    }
    // A right click, and the frame that closes the screen.
    void Back() {
        RightClick();
        h.RunFrames(2);
    }
    void ClickCategoryRow(int n) { ClickAt(490, 100 + 42 * n); }
    void ClickListRow(int r) { ClickAt(500, 130 + 24 * r); }
    void ClickTabAt(i32 x) { ClickAt(x + 20, 20); }
    // From the buy side into the buy list of category row n.
    void OpenBuyList(int n) {
        ClickCategoryRow(n);
        h.RunFrames(2);
        ASSERT_EQ(gFrameId, kBuyList);
        ASSERT_NE(gShopBuyListFrame, nullptr);
        sounds.Clear();
    }
    // From the sell side into the sell list of category row n.
    void OpenSellRow(int n) {
        ClickCategoryRow(n);
        h.RunFrames(2);
        ASSERT_EQ(gFrameId, kSellList);
        sounds.Clear();
    }
    // The quantity box's "more" and confirm buttons.
    void ClickMore() { ClickAt(318, 320); }
    void ClickConfirm() { ClickAt(330, 365); }
    // No piece worn or owned and no monster owned.
    static void EmptyHands() {
        for (i32 r = 0; r < kRoleCount; ++r)
            for (i32& e : gRoles[r].equip) e = -1;
        for (EquipageData& e : gOwnedEquipage) e.id = -1;
        for (i32 m = 0; m < gMonsterCount; ++m) gOwnedMonsters[m] = 0;
    }
    // Where a control stands, (-1, -1) for none.
    static std::pair<i32, i32> Spot(const cControl* c) {
        return c ? std::pair{c->x, c->y} : std::pair{-1, -1};
    }
    // The x of each tab, -1 where there is none.
    static std::array<i32, 4> TabXs(const ShopTabBar& bar) {
        std::array<i32, 4> xs;
        for (int k = 0; k < 4; ++k) xs[k] = Spot(bar.tab[k]).first;
        return xs;
    }
    // The buy side's category buttons, row by row: id and y.
    using IdYs = std::vector<std::pair<i32, i32>>;
    static IdYs Buttons(const cShopBuyMenuFrame& f) {
        IdYs out;
        for (int r = 0; r < f.rows; ++r) out.push_back({f.button[r]->id, f.button[r]->y});
        return out;
    }
    cShopListCore& BuyCore() { return gShopBuyListFrame->core; }
    cShopListCore& SellCore() { return gShopSellListFrame->core; }
    static i32 Money() { return static_cast<i32>(gScriptVars[0]); }
};
