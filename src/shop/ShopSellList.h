// The shop's sell list (screen 21): the unworn pieces of a category, the held
// items or the ordinary monsters, the ability panel of the pointed thing, and
// selling through the quantity box.
#pragma once
#include <deque>

#include "base/Types.h"
#include "engine/GrpFont.h"
#include "shop/ShopListCore.h"

class cControl;

// The things category cat (0-6) may sell, in list order: owned-piece indices
// (0-4), item numbers (5) or monster numbers (6).
std::deque<u32> SellableThings(u32 cat);

class cShopSellListFrame {
public:
    cShopSellListFrame() = default;
    // Made by the sell side's Close with its result (10 + category).
    explicit cShopSellListFrame(u32 frontResult);
    cShopSellListFrame(const cShopSellListFrame&) = delete;
    cShopSellListFrame& operator=(const cShopSellListFrame&) = delete;

    void Open();
    void Run();
    void Close();
    void ShowTip();
    void MoveFocus() { core.MoveFocus(); }
    void RefreshRows();
    void OpenQuantityBox(u32 entry);
    void CloseQuantityBox();
    void UpdateTotal() { core.UpdateTotal(); }
    void ShowItemInfo(u32 entry);
    void BuildList();
    void ClearList();
    void CreateAbilityPanel();
    void HideAbilityPanel();
    void ShowAbilityPanel();
    void DeleteAbilityPanel();
    void Sell();

    cShopListCore core;
    std::deque<u32> entries;
    char tipText[64] = {};

private:
    void FillRow(int r, u32 entry);
    bool Gone(u32 entry) const;
};
