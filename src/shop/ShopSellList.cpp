// The shop's sell list (screen 21).
#include "shop/ShopSellList.h"

#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <vector>

#include "platform/TextCodec.h"
#include "engine/FrameState.h"
#include "engine/Screen.h"
#include "data/Equipage.h"
#include "data/GameData.h"
#include "story/PartyCommands.h"
#include "ui/ActPic.h"
#include "ui/UiInput.h"
#include "menu/AbilityPanel.h"

namespace {
constexpr u32 kViolet = 0xFF37C8;
constexpr u32 kPanelColour = 0xDBFFFF, kYellow = 0x00FFFF, kCyan = 0xFFFF00;
constexpr i32 kSellListPanelId = 7010;
constexpr i32 kSellListBackgroundId = 7100;
constexpr int kSellableItems = 200;
constexpr i32 kPlainNumbers = -1;  // a monster's values: no sign, one colour
constexpr ShopListLook kSellLook = {
    10, kSellListBackgroundId, kSellListPanelId, kTabSell, 10, 1, {346, 372}, kBoxCancel, 382};

// The sell categories 0-4 follow the slot order: weapons, shields, hats,
// armour, accessories.
bool KindOfCategory(u32 cat, EquipKind kind) {
    return cat < kSlotAccessory2 && SlotOf(kind) == static_cast<int>(cat);
}

const EquipageData* Piece(u32 p) {
    return p < static_cast<u32>(kOwnedEquipageCount) && gOwnedEquipage[p].id >= 0
               ? &gOwnedEquipage[p]
               : nullptr;
}
const ItemData* Item(u32 i) {
    return GetItemRecord(static_cast<i32>(i));
}
const MonsterData* Monster(u32 m) {
    return GetMonsterRecord(static_cast<i32>(m));
}
i32* ItemCount(u32 i) {
    return gOwnedItems && i < static_cast<u32>(gItemCount) ? &gOwnedItems[i] : nullptr;
}
i32* MonsterCount(u32 m) {
    return gOwnedMonsters && m < static_cast<u32>(gMonsterCount) ? &gOwnedMonsters[m] : nullptr;
}

i64 Price(u32 cat, u32 entry) {
    i64 p = 0;
    if (cat < 5 && Piece(entry)) p = Piece(entry)->price;
    if (cat == 5 && Item(entry)) p = Item(entry)->price;
    if (cat == 6 && Monster(entry)) p = Monster(entry)->price;
    return p;
}

// Lines of the panel and the slots bound to them on this screen.
void SetPanelLine(int line, i32 value, i32 mode) {
    if (line < 0 || line >= kAbilityLines) return;
    u32 colour = kPanelColour;
    if (mode == kPlainNumbers) {
        std::snprintf(gAbilityPanel.lines[line], kAbilityLineBytes, "%d", value);
    } else if (value != 0 && (mode == 1 || mode == 2)) {
        SetAbilityLine(line, value, mode == 2);
        colour = value > 0 ? kYellow : kCyan;
    }
    for (int k = 0; k < kAbilitySlots; ++k)
        if (AbilitySlotLine(AbilityScreen::SellList, k) == line && gAbilityPanel.slots[k])
            gAbilityPanel.slots[k]->SetFont(gAbilityPanel.slots[k]->font, colour, kStylePlain);
}

i32 Sum(i32 a, i32 b) {
    return static_cast<i32>(std::clamp<i64>(i64{a} + b, INT32_MIN, INT32_MAX));
}
}  // namespace

std::deque<u32> SellableThings(u32 cat) {
    std::deque<u32> out;
    if (cat < 5) {
        std::vector<u32> pieces;
        for (u32 p = 0; p < static_cast<u32>(kOwnedEquipageCount); ++p) {
            const EquipageData& e = gOwnedEquipage[p];
            if (e.id < 0 || e.id >= gEquipageCount || !KindOfCategory(cat, EquipKindOf(e)))
                continue;
            if (IsEquipageEquipped(static_cast<i32>(p)) || e.name[0] == 0) continue;
            pieces.push_back(p);
        }
        std::stable_sort(pieces.begin(), pieces.end(),
                         [](u32 a, u32 b) { return gOwnedEquipage[a].id < gOwnedEquipage[b].id; });
        out.assign(pieces.begin(), pieces.end());
    } else if (cat == 5) {
        i32 count = std::min(gItemCount, kSellableItems);
        for (i32 t = 0; t < kItemTypes; ++t)
            for (i32 i = 0; i < count && gOwnedItems; ++i)
                if (gOwnedItems[i] > 0 && gItems[i].icon == t && gItems[i].name[0] != 0)
                    out.push_back(static_cast<u32>(i));
    } else if (cat == 6) {
        for (i32 m = 0; m < gMonsterCount && gOwnedMonsters; ++m)
            if (gMonsters[m].kind == 0 && gOwnedMonsters[m] > 0 && gMonsters[m].name[0] != 0)
                out.push_back(static_cast<u32>(m));
    }
    return out;
}

cShopSellListFrame::cShopSellListFrame(u32 frontResult) {
    core.Setup(kSellLook, frontResult - 10);
}

// ---- open and close ----

void cShopSellListFrame::Open() {
    core.mode = 0;
    core.result = 0;
    core.current = -1;
    core.look = kSellLook;
    core.MakeFonts();
    core.MakeBackground();
    core.MakeListFrame(kSellTitles[std::min<u32>(core.category, 6)]);
    BuildList();
    core.StartScroll();
    core.MakeTabs();
    core.MakeTooltip();
    core.MakeMoneyAndTime();
    CreateAbilityPanel();
    if (core.category == 5) {
        cControl* overlay = new cControl(0, 0);
        overlay->SetPics(new cActPic(kShopAct, 41), nullptr, nullptr);
    }
    core.FocusRow(0);
}

void cShopSellListFrame::Close() {
    core.ReleaseFonts();
    DeleteAbilityPanel();
    ClearFrameObjects();
    core.rowIcon.clear();
    core.rowName.clear();
    core.rowPrice.clear();
    core.rowOwned.clear();
    entries.clear();
    core.GoNext();
}

// ---- the list ----

void cShopSellListFrame::BuildList() {
    entries = SellableThings(core.category);
    const bool monsters = core.category == 6;
    for (size_t i = 0; i < entries.size() && i < static_cast<size_t>(kShopRows); ++i) {
        int r = static_cast<int>(i);
        i32 ownedX = core.category < 5 ? 590 : 527;
        core.MakeRow(r, monsters ? 418 : 437, monsters ? 490 : 535, ownedX,
                     monsters ? kDarkRed : kViolet);
        FillRow(r, entries[i]);
    }
    core.SetEntries(static_cast<int>(entries.size()));
}

void cShopSellListFrame::ClearList() {
    core.DeleteRows();
    entries.clear();
}

void cShopSellListFrame::FillRow(int r, u32 entry) {
    if (static_cast<size_t>(r) >= core.rowName.size()) return;
    char* name = core.nameText[r];
    char* price = core.priceText[r];
    char* owned = core.ownedText[r];
    name[0] = price[0] = owned[0] = 0;
    core.SetIcon(r, -1);
    cControl* ownedCtl = core.rowOwned[static_cast<size_t>(r)];
    ownedCtl->SetText(owned);
    const u32 cat = core.category;
    const i64 half = Price(cat, entry) / 2;
    if (cat < 5 && Piece(entry)) {
        const EquipageData* e = Piece(entry);
        core.SetIcon(r, e->icon);
        CopyRecordText(name, sizeof(core.nameText[r]), e->name, sizeof(e->name));
        std::snprintf(price, sizeof(core.priceText[r]), "%5" PRId64, half);
        std::snprintf(owned, sizeof(core.ownedText[r]), "%2d", 1);
    } else if (cat == 5 && Item(entry) && ItemCount(entry)) {
        core.SetIcon(r, Item(entry)->icon);
        CopyRecordText(name, sizeof(core.nameText[r]), Item(entry)->name, sizeof(ItemData::name));
        std::snprintf(price, sizeof(core.priceText[r]), "%5" PRId64, half);
        ownedCtl->SetNumber(ItemCount(entry), 1);
    } else if (cat == 6 && Monster(entry) && MonsterCount(entry)) {
        const MonsterData* m = Monster(entry);
        CopyRecordText(name, sizeof(core.nameText[r]), m->name, sizeof(m->name));
        std::snprintf(price, sizeof(core.priceText[r]), "%10d", m->price);
        ownedCtl->SetNumber(MonsterCount(entry), 1);
    }
}

void cShopSellListFrame::RefreshRows() {
    if (!core.TakeRefresh()) return;
    for (int r = 0; r < kShopRows && static_cast<size_t>(core.top + r) < entries.size(); ++r)
        FillRow(r, entries[static_cast<size_t>(core.top + r)]);
}

// ---- the ability panel ----

void cShopSellListFrame::CreateAbilityPanel() {
    for (int n = 0; n < kAbilityLines; ++n)
        std::snprintf(gAbilityPanel.lines[n], kAbilityLineBytes, "0");
    CreateAbilitySlots(AbilityScreen::SellList, &core.caption, kPanelColour);
}

void cShopSellListFrame::HideAbilityPanel() {
    HideAbilitySlots();
}

void cShopSellListFrame::ShowAbilityPanel() {
    for (int k = 0; k < kAbilitySlots; ++k) ShowAbilitySlot(k);
}

void cShopSellListFrame::DeleteAbilityPanel() {
    DeleteAbilitySlots();
}

void cShopSellListFrame::ShowItemInfo(u32 entry) {
    for (int n = 0; n < kAbilityLines; ++n) SetPanelLine(n, 0, kPlainNumbers);
    const char* description = nullptr;
    size_t descriptionSize = 0;
    const u32 cat = core.category;
    // The first nine lines: attack and defence with the strength and stamina
    // that come with them, hit, evasion, then the five attributes.
    auto abilities = [this](const auto& r, i32 mode) {
        const i32 v[9] = {Sum(r.strength, r.attack),
                          Sum(r.stamina, r.defence),
                          r.hitRate,
                          r.evasion,
                          r.strength,
                          r.stamina,
                          r.magic,
                          r.spirit,
                          r.agility};
        for (int n = 0; n < 9; ++n) SetPanelLine(n, v[n], mode);
    };
    if (cat < 5 && Piece(entry)) {
        const EquipageData& e = *Piece(entry);
        abilities(e, e.bonusMode);
        for (int n = 0; n < kRatioCount; ++n) SetPanelLine(9 + n, e.ratios[n], e.bonusMode);
        description = e.description;
        descriptionSize = sizeof(e.description);
    } else if (cat == 5 && Item(entry)) {
        const ItemData& it = *Item(entry);
        abilities(it, it.effectMode);
        description = it.description;
        descriptionSize = sizeof(it.description);
    } else if (cat == 6 && Monster(entry)) {
        const MonsterData& m = *Monster(entry);
        abilities(m, kPlainNumbers);
        for (int n = 0; n < kRatioCount; ++n) SetPanelLine(9 + n, m.ratios[n], kPlainNumbers);
        description = m.description;
        descriptionSize = sizeof(m.description);
    }
    if (description) {
        CopyRecordText(tipText, sizeof(tipText), description, descriptionSize);
        core.tooltip->SetText(tipText);
        core.tooltip->Show();
    }
    ShowAbilityPanel();
}

// ---- tick ----

void cShopSellListFrame::Run() {
    RunShopList(*this, entries, &cShopSellListFrame::Sell);
}

void cShopSellListFrame::ShowTip() {
    MoveFocus();
    if (core.mode == 0) {
        core.ListUpkeep();
        HideAbilityPanel();
        RefreshRows();
    } else {
        core.BoxUpkeep();
    }
    int i = core.Hover();
    if (i >= 0) ShowItemInfo(entries[static_cast<size_t>(i)]);
    if (gMouseInput.hoverId == kSellListBackgroundId)
        ShowShopTip(core.tooltip, DetailPanelCaption(gMouseInput.x, gMouseInput.y));
}

// ---- quantity box ----

void cShopSellListFrame::OpenQuantityBox(u32 entry) {
    core.OpenBox(entry);
    const u32 cat = core.category;
    i32 limit = 0;
    const i64 price = Price(cat, entry);
    std::snprintf(core.boxPriceText, sizeof(core.boxPriceText), "%5" PRId64, price / 2);
    i32 icon = -1;
    if (cat < 5 && Piece(entry)) {
        icon = Piece(entry)->icon;
        CopyRecordText(core.boxNameText, sizeof(core.boxNameText), Piece(entry)->name,
                       sizeof(EquipageData::name));
        std::snprintf(core.boxOwnedText, sizeof(core.boxOwnedText), "%2d", 1);
        limit = 1;
    } else if (cat == 5 && Item(entry) && ItemCount(entry)) {
        icon = Item(entry)->icon;
        CopyRecordText(core.boxNameText, sizeof(core.boxNameText), Item(entry)->name,
                       sizeof(ItemData::name));
        limit = *ItemCount(entry);
    } else if (cat == 6 && Monster(entry) && MonsterCount(entry)) {
        CopyRecordText(core.boxNameText, sizeof(core.boxNameText), Monster(entry)->name,
                       sizeof(MonsterData::name));
        core.boxName->Move(248, 291);
        core.boxPrice->Move(342, 291);
        std::snprintf(core.boxPriceText, sizeof(core.boxPriceText), "%10" PRId64, price);
        limit = *MonsterCount(entry);
    }
    if (cat >= 5) {
        core.boxOwned->Move(383, 291);
        std::snprintf(core.boxOwnedText, sizeof(core.boxOwnedText), "%10d", limit);
    }
    if (icon >= 0 && icon < kItemTypes) core.boxIcon->SetPics(core.icons[icon], nullptr, nullptr);
    core.FinishBox(limit, price, cat < 6);
}

void cShopSellListFrame::CloseQuantityBox() {
    int found = -1;
    for (size_t i = static_cast<size_t>(core.top); i < entries.size(); ++i)
        if (entries[i] == core.boxEntry) {
            found = static_cast<int>(i);
            break;
        }
    core.CloseBox(found);
}

bool cShopSellListFrame::Gone(u32 entry) const {
    if (core.category < 5) return true;
    const i32* count = core.category == 5 ? ItemCount(entry) : MonsterCount(entry);
    return !count || *count <= 0;
}

void cShopSellListFrame::Sell() {
    const u32 entry = core.boxEntry;
    if (core.quantity > 0) {
        PlayUISound(264);
        AddMoney(core.total);
        if (core.category < 5 && Piece(entry)) gOwnedEquipage[entry].id = -1;
        if (core.category == 5 && ItemCount(entry)) *ItemCount(entry) -= core.quantity;
        if (core.category == 6 && MonsterCount(entry)) *MonsterCount(entry) -= core.quantity;
        if (Gone(entry)) {
            ClearList();
            BuildList();
        }
        core.money = ShopMoney();
        core.shownTop = -1;
        RefreshRows();
    }
    CloseQuantityBox();
}
