// The shop's buy list (screen 19): the stocked goods of one category with
// price and holdings, the party panel telling who could wear a piece and what
// it would change, and buying through the quantity box.
#pragma once
#include <deque>

#include "base/Types.h"
#include "engine/GrpFont.h"
#include "data/GameData.h"
#include "shop/ShopListCore.h"

class cActPic;
class cControl;

constexpr int kBuyPanelSlots = 6;

// A piece's attack and defence contribution for a role.
struct AttackDefence {
    i64 attack = 0, defence = 0;
};
// The change of attack and defence when the role puts on a piece of the record.
AttackDefence EquipChange(const EquipageData& record, i32 role);
// How many the party may buy of stock id in category cat (0-5).
i32 BuyLimit(u32 cat, u32 id);

class cShopBuyListFrame {
public:
    cShopBuyListFrame() = default;
    // Made by the buy side's Close with its result (10 + category).
    explicit cShopBuyListFrame(u32 frontResult);
    cShopBuyListFrame(const cShopBuyListFrame&) = delete;
    cShopBuyListFrame& operator=(const cShopBuyListFrame&) = delete;

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
    void BuildRows();
    void ShowEquipChange(u32 record, int slot);
    void Buy();

    const std::deque<u32>& Goods() const;

    cShopListCore core;
    cGrpFont small, gain, loss, mark;
    int members = 0;
    i32 memberRole[kBuyPanelSlots] = {};
    cControl* compare[kBuyPanelSlots] = {};
    cControl* first[kBuyPanelSlots] = {};
    cControl* second[kBuyPanelSlots] = {};
    char firstText[kBuyPanelSlots][24] = {};
    char secondText[kBuyPanelSlots][24] = {};
    char tipText[64] = {};
    char memberName[kBuyPanelSlots][33] = {};

private:
    void MakePartyPanel();
    void FillRow(int r, u32 id);
    void HidePartyMarks();
    void ShowChange(cControl* c, char* buf, size_t n, i64 v);
};
