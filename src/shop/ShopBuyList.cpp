// The shop's buy list (screen 19).
#include "shop/ShopBuyList.h"

#include <algorithm>
#include <cinttypes>
#include <cstdio>

#include "platform/TextCodec.h"
#include "engine/FrameState.h"
#include "engine/Screen.h"
#include "data/DerivedStats.h"
#include "data/Equipage.h"
#include "data/GameFlags.h"
#include "data/ShopData.h"
#include "story/PartyCommands.h"
#include "ui/ActPic.h"
#include "ui/UiInput.h"

namespace {
constexpr u32 kYellow = 0x00FFFF, kCyan = 0xFFFF00;
constexpr i32 kBuyListPanelId = 7100;
constexpr ShopListLook kBuyLook = {9, 0,          kBuyListPanelId, kTabBuy, 100,
                                   0, {346, 370}, kBoxConfirm,     340,     true};

const std::deque<u32> kNoGoods;

// The wearer-mask bit of role r: roles 0 and 1 trade bits while flag 324 is set.
bool MayWear(const EquipageData& rec, i32 r) {
    if (r < 0 || r >= kRoleCount) return false;
    i32 bit = r;
    if (r < 2 && GetGameFlag(kLeadSwapFlag)) bit = 1 - r;
    return ((rec.wearerMask >> bit) & 1) != 0;
}

i64 ItemsHeld(u32 id) {
    return gOwnedItems && id < static_cast<u32>(gItemCount) ? gOwnedItems[id] : 0;
}
}  // namespace

// Worked out by the rules of the derived statistics: the role's attack and
// defence with the piece put on, as the equipment page puts it on, against
// those it has now. Every bonus mode counts as those rules count it.
AttackDefence EquipChange(const EquipageData& record, i32 role) {
    if (role < 0 || role >= kRoleCount) return {};
    const SlotPieces worn = WornPieces(gRoles[role]);
    auto stats = [&](const SlotPieces& pieces) {
        RoleData base = gRoles[role];  // the clamps touch the role record
        RoleStats out{};
        CalcRoleStatsWith(base, out, pieces);
        return AttackDefence{out.attack, out.defence};
    };
    auto twoHanded = [](const EquipageData* p) { return p && IsTwoHanded(EquipKindOf(*p)); };
    SlotPieces after = worn;
    switch (EquipKindOf(record)) {
        case EquipKind::OneHanded:
            if (twoHanded(after[kSlotWeapon])) after[kSlotShield] = nullptr;
            after[kSlotWeapon] = &record;
            break;
        case EquipKind::TwoHanded:
        case EquipKind::Ranged:
            after[kSlotWeapon] = after[kSlotShield] = &record;
            break;
        case EquipKind::Shield:
            if (twoHanded(after[kSlotShield])) after[kSlotWeapon] = nullptr;
            after[kSlotShield] = &record;
            break;
        case EquipKind::Hat:
            after[kSlotHat] = &record;
            break;
        case EquipKind::Armour:
            after[kSlotArmour] = &record;
            break;
        case EquipKind::Accessory: {
            // The accessory that gives less defence goes; slot 2 on a tie.
            SlotPieces first = worn;
            first[kSlotAccessory1] = &record;
            after[kSlotAccessory2] = &record;
            if (stats(first).defence > stats(after).defence) after = first;
            break;
        }
        default:
            return {};
    }
    AttackDefence now = stats(worn), then = stats(after);
    return {then.attack - now.attack, then.defence - now.defence};
}

i32 BuyLimit(u32 cat, u32 id) {
    i64 limit = 0, price = 0;
    if (cat < 5) {
        const EquipageData* rec = GetEquipageRecord(static_cast<i32>(id));
        if (!rec) return 0;
        limit = std::min(CountFreeEquipageSlots(), kMaxOwned);
        price = rec->price;
    } else {
        const ItemData* rec = GetItemRecord(static_cast<i32>(id));
        if (!rec || !gOwnedItems || id >= static_cast<u32>(gItemCount) || id >= 300) return 0;
        limit = std::max<i64>(kMaxOwned - ItemsHeld(id), 0);
        price = rec->price;
    }
    if (price > 0) limit = std::min<i64>(limit, ShopMoney() / price);
    return static_cast<i32>(std::max<i64>(limit, 0));
}

cShopBuyListFrame::cShopBuyListFrame(u32 frontResult) {
    core.Setup(kBuyLook, frontResult - 10);
}

const std::deque<u32>& cShopBuyListFrame::Goods() const {
    if (core.category >= static_cast<u32>(kShopCategories)) return kNoGoods;
    return gShopStock.cat[core.category].ids;
}

// ---- open and close ----

void cShopBuyListFrame::Open() {
    core.mode = 0;
    core.result = 0;
    core.current = -1;
    core.look = kBuyLook;
    core.MakeFonts();
    SetupShopFont(&small, 12, 0x595959);
    SetupShopFont(&gain, 16, 0x3373B3);
    SetupShopFont(&loss, 16, 0xFF0000);
    SetupShopFont(&mark, 16, 0x0000FF);
    core.MakeBackground();
    core.MakeTabs();
    core.MakeTooltip();
    MakePartyPanel();
    u32 cat = std::min<u32>(core.category, 6);
    core.MakeListFrame(kBuyTitles[cat]);
    BuildRows();
    core.StartScroll();
    core.MakeMoneyAndTime();
    core.FocusRow(0);
}

void cShopBuyListFrame::MakePartyPanel() {
    cActPic* pics[kShopPortraits];
    MakeShopPortraits(pics);
    cActPic* comparePic = new cActPic(kShopAct, 40);
    members = 0;
    for (int k = 0; k < kBuyPanelSlots; ++k) {
        i32 r = gParty[k];
        if (r < 0) break;
        if (r >= kRoleCount) continue;
        i32 m = k % 3, n = k / 3;
        int s = members++;
        memberRole[s] = r;
        cControl* p = new cControl(128 * m + 10, 185 * n + 50);
        p->SetPics(pics[r], nullptr, nullptr);
        cControl* name = new cControl(128 * m + 43, 185 * n + 173);
        name->SetFont(&core.text, kShopWhite, kStyleShadow);
        CopyRecordText(memberName[s], sizeof(memberName[s]), gRoleStats[r].name,
                       sizeof(gRoleStats[r].name));
        name->SetText(memberName[s]);
        cControl* level = new cControl(128 * m + 105, 185 * n + 153);
        level->SetFont(&small, kShopWhite, kStyleShadow);
        level->SetNumber(&gRoleStats[r].level, 0);
        compare[s] = new cControl(128 * m + 19, 185 * n + 195);
        compare[s]->SetPics(comparePic, nullptr, nullptr);
        compare[s]->Hide();
        first[s] = new cControl(128 * m + 45, 185 * n + 203);
        first[s]->SetText(firstText[s]);
        first[s]->Hide();
        second[s] = new cControl(128 * m + 100, 185 * n + 203);
        second[s]->SetText(secondText[s]);
        second[s]->Hide();
    }
}

void cShopBuyListFrame::Close() {
    core.ReleaseFonts();
    small.Release();
    gain.Release();
    loss.Release();
    mark.Release();
    ClearFrameObjects();
    core.rowIcon.clear();
    core.rowName.clear();
    core.rowPrice.clear();
    core.rowOwned.clear();
    core.GoNext();
}

// ---- rows ----

void cShopBuyListFrame::BuildRows() {
    const std::deque<u32>& goods = Goods();
    i32 ownedX = core.category < 5 ? 589 : 527;
    for (size_t i = 0; i < goods.size() && i < static_cast<size_t>(kShopRows); ++i) {
        int r = static_cast<int>(i);
        core.MakeRow(r, 437, 490, ownedX, kDarkRed);
        FillRow(r, goods[i]);
    }
    core.SetEntries(static_cast<int>(goods.size()));
}

void cShopBuyListFrame::FillRow(int r, u32 id) {
    if (static_cast<size_t>(r) >= core.rowName.size()) return;
    char* name = core.nameText[r];
    char* price = core.priceText[r];
    char* owned = core.ownedText[r];
    name[0] = price[0] = owned[0] = 0;
    core.SetIcon(r, -1);
    cControl* ownedCtl = core.rowOwned[static_cast<size_t>(r)];
    ownedCtl->SetText(owned);
    if (core.category < 5) {
        const EquipageData* rec = GetEquipageRecord(static_cast<i32>(id));
        if (!rec) return;
        core.SetIcon(r, rec->icon);
        CopyRecordText(name, sizeof(core.nameText[r]), rec->name, sizeof(rec->name));
        std::snprintf(price, sizeof(core.priceText[r]), "%10d", rec->price);
        std::snprintf(owned, sizeof(core.ownedText[r]), "%2d",
                      CountUnwornEquipage(static_cast<i32>(id)));
        return;
    }
    const ItemData* rec = GetItemRecord(static_cast<i32>(id));
    if (!rec || !gOwnedItems || id >= static_cast<u32>(gItemCount)) return;
    core.SetIcon(r, rec->icon);
    CopyRecordText(name, sizeof(core.nameText[r]), rec->name, sizeof(rec->name));
    std::snprintf(price, sizeof(core.priceText[r]), "%10d", rec->price);
    ownedCtl->SetNumber(&gOwnedItems[id], 1);
}

void cShopBuyListFrame::RefreshRows() {
    if (!core.TakeRefresh()) return;
    const std::deque<u32>& goods = Goods();
    for (int r = 0; r < kShopRows && static_cast<size_t>(core.top + r) < goods.size(); ++r)
        FillRow(r, goods[static_cast<size_t>(core.top + r)]);
}

// ---- tick ----

void cShopBuyListFrame::Run() {
    RunShopList(*this, Goods(), &cShopBuyListFrame::Buy);
}

void cShopBuyListFrame::ShowTip() {
    MoveFocus();
    RefreshRows();
    if (core.mode == 0) {
        core.ListUpkeep();
        HidePartyMarks();
    } else {
        core.BoxUpkeep();
    }
    int i = core.Hover();
    if (i >= 0) ShowItemInfo(Goods()[static_cast<size_t>(i)]);
}

void cShopBuyListFrame::HidePartyMarks() {
    for (int k = 0; k < members; ++k) {
        first[k]->Hide();
        second[k]->Hide();
        compare[k]->Hide();
    }
}

void cShopBuyListFrame::ShowItemInfo(u32 entry) {
    if (core.category >= 5) {
        const ItemData* rec = GetItemRecord(static_cast<i32>(entry));
        if (!rec) return;
        CopyRecordText(tipText, sizeof(tipText), rec->description, sizeof(rec->description));
        core.tooltip->SetText(tipText);
        core.tooltip->Show();
        return;
    }
    const EquipageData* rec = GetEquipageRecord(static_cast<i32>(entry));
    if (!rec) return;
    for (int k = 0; k < members; ++k) {
        if (MayWear(*rec, memberRole[k])) {
            ShowEquipChange(entry, k);
            continue;
        }
        std::snprintf(firstText[k], sizeof(firstText[k]), "%s", B5("不可裝備"));
        first[k]->SetFont(&mark, kShopWhite, kStyleOutline);
        first[k]->Show();
    }
    CopyRecordText(tipText, sizeof(tipText), rec->description, sizeof(rec->description));
    core.tooltip->SetText(tipText);
    core.tooltip->Show();
}

void cShopBuyListFrame::ShowEquipChange(u32 record, int slot) {
    const EquipageData* rec = GetEquipageRecord(static_cast<i32>(record));
    if (!rec || slot < 0 || slot >= members) return;
    compare[slot]->Show();
    AttackDefence c = EquipChange(*rec, memberRole[slot]);
    ShowChange(first[slot], firstText[slot], sizeof(firstText[slot]), c.attack);
    ShowChange(second[slot], secondText[slot], sizeof(secondText[slot]), c.defence);
}

void cShopBuyListFrame::ShowChange(cControl* c, char* buf, size_t n, i64 v) {
    if (v == 0) return;
    std::snprintf(buf, n, v > 0 ? "+%" PRId64 : "%" PRId64, v);
    c->SetFont(v > 0 ? &gain : &loss, v > 0 ? kYellow : kCyan, kStyleOutline);
    c->Show();
}

// ---- quantity box ----

void cShopBuyListFrame::OpenQuantityBox(u32 entry) {
    core.OpenBox(entry);
    i64 price = 0;
    if (core.category < 5) {
        const EquipageData* rec = GetEquipageRecord(static_cast<i32>(entry));
        if (rec) {
            core.boxIcon->SetPics(
                rec->icon >= 0 && rec->icon < kItemTypes ? core.icons[rec->icon] : nullptr, nullptr,
                nullptr);
            CopyRecordText(core.boxNameText, sizeof(core.boxNameText), rec->name,
                           sizeof(rec->name));
            price = rec->price;
            std::snprintf(core.boxOwnedText, sizeof(core.boxOwnedText), "%2d",
                          CountUnwornEquipage(static_cast<i32>(entry)));
        }
    } else {
        const ItemData* rec = GetItemRecord(static_cast<i32>(entry));
        if (rec) {
            core.boxIcon->SetPics(
                rec->icon >= 0 && rec->icon < kItemTypes ? core.icons[rec->icon] : nullptr, nullptr,
                nullptr);
            CopyRecordText(core.boxNameText, sizeof(core.boxNameText), rec->name,
                           sizeof(rec->name));
            price = rec->price;
        }
        core.boxOwned->Move(383, 291);
        std::snprintf(core.boxOwnedText, sizeof(core.boxOwnedText), "%10" PRId64, ItemsHeld(entry));
    }
    std::snprintf(core.boxPriceText, sizeof(core.boxPriceText), "%10" PRId64, price);
    core.FinishBox(BuyLimit(core.category, entry), price, false);
}

void cShopBuyListFrame::CloseQuantityBox() {
    const std::deque<u32>& goods = Goods();
    int found = -1;
    for (size_t i = static_cast<size_t>(core.top); i < goods.size(); ++i)
        if (goods[i] == core.boxEntry) {
            found = static_cast<int>(i);
            break;
        }
    core.CloseBox(found);
}

void cShopBuyListFrame::Buy() {
    if (core.quantity > 0) {
        PlayUISound(264);
        AddMoney(-core.total);
        u32 id = core.boxEntry;
        AddItem(static_cast<i32>(core.category < 5 ? id + 300 : id), core.quantity);
        core.money = ShopMoney();
        core.shownTop = -1;
        RefreshRows();
    }
    CloseQuantityBox();
}
