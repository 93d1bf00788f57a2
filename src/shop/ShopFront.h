// The shop's two front screens: the buy side (screen 18) with its stocked
// category buttons and the party, and the sell side (screen 20) with all seven
// categories and the detail panel's captions.
#pragma once
#include "base/Types.h"
#include "engine/GrpFont.h"
#include "data/GameData.h"
#include "data/ShopData.h"
#include "shop/ShopCommon.h"

class cActPic;
class cControl;

class cShopBuyMenuFrame {
public:
    cShopBuyMenuFrame() = default;
    cShopBuyMenuFrame(const cShopBuyMenuFrame&) = delete;
    cShopBuyMenuFrame& operator=(const cShopBuyMenuFrame&) = delete;

    void Open();
    void Run();
    void Close();
    void ShowTip();
    void MoveFocus();

    u32 result = 0;  // 1 sell side, 2 strengthening, 3 leave, 10 + category the buy list
    i32 current = -1;
    cGrpFont caption, category, text, small;
    ShopTabBar tabs;
    cControl* tooltip = nullptr;
    cControl* portrait[kPartySize] = {};
    cControl* name[kPartySize] = {};
    cControl* level[kPartySize] = {};
    cControl* button[kShopCategories] = {};  // by row, packed
    cControl* label[kShopCategories] = {};
    int rowCategory[kShopCategories] = {};
    int rows = 0;
    i32 money = 0;
    char timeText[20] = {};
    char nameText[kPartySize][33] = {};

private:
    bool Leave();
    bool Click(i32 id);
    void MakeParty(cActPic* const pics[kShopPortraits]);
    void MakeCategories();
    int RowOf(int cat) const;
};

class cShopSellMenuFrame {
public:
    cShopSellMenuFrame() = default;
    cShopSellMenuFrame(const cShopSellMenuFrame&) = delete;
    cShopSellMenuFrame& operator=(const cShopSellMenuFrame&) = delete;

    void Open();
    void Run();
    void Close();
    void ShowTip();
    void MoveFocus();

    u32 result = 0;  // 0 buy side, 2 strengthening, 3 leave, 10 + category the sell list
    i32 current = -1;
    cGrpFont caption, category, text;
    ShopTabBar tabs;
    cControl* tooltip = nullptr;
    cControl* button[kSellCategoryCount] = {};
    cControl* label[kSellCategoryCount] = {};
    cControl* overlay = nullptr;
    i32 money = 0;
    char timeText[20] = {};

private:
    bool Click(i32 id);
};

// Background ids of the sell side and its button at (393, 48).
constexpr i32 kSellFrontBackgroundId = 7020;
constexpr i32 kSellFrontButtonId = 7100;
constexpr i32 kBuyFrontButtonId = 7005;
