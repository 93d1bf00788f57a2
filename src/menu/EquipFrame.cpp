// cEquipFrame: the equipment page, its candidate list and the comparison panel.
#include "menu/EquipFrame.h"

#include <algorithm>
#include <cstdint>

#include "platform/TextCodec.h"
#include "engine/DInput.h"
#include "data/Config.h"
#include "data/DerivedStats.h"
#include "data/Equipage.h"
#include "data/GameData.h"
#include "data/GameFlags.h"
#include "data/KeyBindings.h"
#include "ui/ActPic.h"
#include "ui/ScreenState.h"
#include "ui/UiInput.h"
#include "menu/MenuState.h"

namespace {
constexpr u32 kWhite = 0xFFFFFF;
constexpr u32 kPale = 0xDBFFFF;
constexpr u32 kOffWhite = 0xE2ECF2;
constexpr u32 kYellow = 0x00FFFF;
constexpr u32 kGrey = 0x969696;

const char* const kSlotCaptions[kSysRows] = {" 武 　器", " 盾 　牌",  " 帽 　子",
                                             " 鎧 　甲", "飾 　品１", "飾 　品２"};
const char* const kSlotHints[kSlotCount] = {"武器", "盾牌", "帽子", "鎧甲", "飾品", "飾品"};
const char* const kEmptySlot = "未裝備";
const char* const kTakeOff = "卸下裝備";

// The ability numbers: (x, y) of line k; the panel's slot of line k.
struct Spot {
    i32 x, y;
};
constexpr Spot kAbilitySpots[kAbilityLines] = {
    {0, 98},  {90, 98},  {0, 120}, {90, 120}, {0, 142}, {90, 142}, {0, 164}, {90, 164}, {0, 186},
    {0, 218}, {90, 218}, {0, 240}, {90, 240}, {0, 262}, {90, 262}, {0, 284}, {90, 284}};
constexpr int kLineSlot[kAbilityLines] = {4,  5,  2,  3,  6,  7,  8,  9, 10,
                                          11, 12, 13, 14, 15, 16, 17, 18};

struct HintBand {
    i32 y0, y1, x0, x1;
    const char* caption;
};
constexpr HintBand kHints[] = {
    {75, 90, 120, 150, "等級"},
    {97, 117, 30, 50, "攻擊力"},
    {97, 117, 123, 143, "防禦力"},
    {119, 139, 30, 50, "命中率"},
    {119, 139, 123, 143, "迴避率"},
    {141, 161, 30, 50, "力量"},
    {141, 161, 123, 143, "耐力"},
    {163, 185, 30, 50, "魔力"},
    {163, 185, 123, 143, "精神"},
    {187, 207, 30, 50, "敏捷"},
    {214, 234, 30, 50, "受火屬性傷害比例"},
    {214, 234, 123, 143, "受水屬性傷害比例"},
    {236, 256, 30, 50, "受風屬性傷害比例"},
    {236, 256, 123, 143, "受土屬性傷害比例"},
    {258, 278, 30, 50, "受電屬性傷害比例"},
    {258, 278, 123, 143, "受毒屬性傷害比例"},
    {280, 300, 30, 50, "受光屬性傷害比例"},
    {280, 300, 123, 143, "受闇屬性傷害比例"},
};

// The kind of owned piece index; no known kind for an empty slot.
EquipKind KindOf(i32 index) {
    const EquipageData* p = WornEquipage(index);
    return p ? EquipKindOf(*p) : EquipKind{};
}

bool ValidRole(i32 r) {
    return r >= 0 && r < kMenuRoles && r < kRoleCount;
}

i32 RowOfY(i32 y) {
    if (y < 97 || y >= 97 + 24 * kListRows) return -1;
    return (y - 97) / 24;
}
}  // namespace

// ---- the rules the page and its comparison share ----

const EquipageData* WornEquipage(i32 index) {
    const EquipageData* p = GetOwnedEquipage(index);
    return p && p->id >= 0 ? p : nullptr;
}

i32 EquipMaskRole(i32 r) {
    if (GetGameFlag(kLeadSwapFlag) && (r == 0 || r == 1)) return 1 - r;
    return r;
}

void ChangeEquipSlots(RoleData& role, int selectedSlot, i32 entry) {
    i32* e = role.equip;
    if (entry < 0) {
        if (selectedSlot == kSlotWeapon) {
            if (IsTwoHanded(KindOf(e[kSlotWeapon]))) e[kSlotShield] = -1;
            e[kSlotWeapon] = -1;
        } else if (selectedSlot == kSlotShield) {
            if (IsTwoHanded(KindOf(e[kSlotShield]))) e[kSlotWeapon] = -1;
            e[kSlotShield] = -1;
        } else if (selectedSlot > kSlotShield && selectedSlot < kSlotCount) {
            e[selectedSlot] = -1;
        }
        return;
    }
    const EquipageData* p = WornEquipage(entry);
    if (!p) return;
    switch (EquipKindOf(*p)) {
        case EquipKind::OneHanded:
            if (IsTwoHanded(KindOf(e[kSlotWeapon]))) e[kSlotShield] = -1;
            e[kSlotWeapon] = entry;
            break;
        case EquipKind::TwoHanded:
        case EquipKind::Ranged:
            e[kSlotWeapon] = e[kSlotShield] = entry;
            break;
        case EquipKind::Shield:
            if (IsTwoHanded(KindOf(e[kSlotShield]))) e[kSlotWeapon] = -1;
            e[kSlotShield] = entry;
            break;
        case EquipKind::Hat:
            e[kSlotHat] = entry;
            break;
        case EquipKind::Armour:
            e[kSlotArmour] = entry;
            break;
        case EquipKind::Accessory:
            e[selectedSlot == kSlotAccessory1 ? kSlotAccessory1 : kSlotAccessory2] = entry;
            break;
        default:
            break;
    }
}

std::deque<i32> BuildEquipCandidates(int slot, i32 r) {
    std::deque<i32> out;
    i32 tested = EquipMaskRole(r);
    for (i32 n = 0; n < kOwnedEquipageCount; ++n) {
        const EquipageData& p = gOwnedEquipage[n];
        if (p.id < 0 || !FitsSlot(EquipKindOf(p), slot) || IsEquipageEquipped(n) || p.name[0] == 0)
            continue;
        if (CanRoleEquip(n, tested))
            out.push_front(n);
        else
            out.push_back(n);
    }
    out.push_front(-1);
    return out;
}

i32 AbilityValue(const RoleStats& s, int k) {
    switch (k) {
        case 0:
            return s.attack;
        case 1:
            return s.defence;
        case 2:
            return s.hitRate;
        case 3:
            return s.evasion;
        case 4:
            return s.strength;
        case 5:
            return s.stamina;
        case 6:
            return s.magic;
        case 7:
            return s.spirit;
        case 8:
            return s.agility;
        default:
            return k > 8 && k < kAbilityLines ? s.ratios[k - 9] : 0;
    }
}

// ---- open and close ----

void cEquipFrame::Open() {
    next = -1;
    subMode = 0;
    focus = -1;
    lastCompared = -2;
    fonts.Make();
    InitFont(&rowFont);
    SetupFont(&rowFont, 15, 17, kNoFontBk, 0xFFFFFF);
    cControl* bg = new cControl(0, 0);
    bg->SetPics(new cActPic(kMenuAct, 48), nullptr, nullptr);
    SysPanelLook look =
        MenuPanelLook(kEquipTabId, 0, kEquipSideId, kSlotCaptions, B5("　裝 　備"), 480);
    look.captionX = 490;
    panel.Make(look);
    party.MakePictures();
    // This page shows the large portraits 50 + r (with the same exchange of roles 0 and 1).
    bool swap = GetGameFlag(kLeadSwapFlag) != 0;
    for (int r = 0; r < kMenuRoles; ++r) {
        delete party.pics[r][0];
        party.pics[r][0] = new cActPic(kMenuAct, 50 + ((swap && r < 2) ? 1 - r : r));
    }
    MakeMemberFields();
    party.MakeSlots(kEquipSlotId);
    i32 role = static_cast<i32>(gMenuRole);
    SelectRole(ValidRole(role) ? role : 0);
    if (gSmartMouse)
        MoveCursorTo(MenuFocusSpot(kFocusSide));
    else
        focus = kFocusSide;
}

void cEquipFrame::MakeMemberFields() {
    portrait = new cControl(0, 0);
    name = TextAt(30, 65, &fonts.name, kWhite, kStyleBoldOutline);
    name->SetText(nameText);
    level = TextAt(100, 75, &panel.small, kWhite, kStyleBoldOutline);
    for (int k = 0; k < kAbilityLines; ++k)
        abilities[k] = TextAt(kAbilitySpots[k].x, kAbilitySpots[k].y, &fonts.numbers, kPale,
                              kStyleBoldOutline);
    for (int k = 0; k < kEquipIcons; ++k) icons[k] = new cActPic(kMenuIconAct, k);
    for (int k = 0; k < kSlotCount; ++k) {
        wornIcon[k] = new cControl(103, 323 + 24 * k);
        wornIcon[k]->Hide();
        wornName[k] = TextAt(130, 325 + 24 * k, &rowFont, kOffWhite, kStylePlain);
        wornName[k]->SetText(wornText[k]);
    }
}

void cEquipFrame::Close() {
    DeleteAbilityPanel();
    fonts.Release();
    rowFont.Release();
    panel.Release();
    ClearFrameObjects();
    candidates.clear();
    if (next >= 1 && next <= 4) gFrameId = ScreenWord(kFunctionKeyScreens[next - 1]);
}

void cEquipFrame::SelectRole(i32 role) {
    if (!ValidRole(role)) return;
    i32 previous = static_cast<i32>(gMenuRole);
    gMenuRole = static_cast<u32>(role);
    RoleStats& s = gRoleStats[role];
    portrait->SetPics(party.Portrait(role), nullptr, nullptr);
    CopyRecordText(nameText, sizeof(nameText), s.name, sizeof(s.name));
    level->SetNumber(&s.level, 1);
    for (int k = 0; k < kAbilityLines; ++k) {
        const i32* word = k < 9 ? nullptr : &s.ratios[k - 9];
        const i32* words[9] = {&s.attack,  &s.defence, &s.hitRate, &s.evasion, &s.strength,
                               &s.stamina, &s.magic,   &s.spirit,  &s.agility};
        abilities[k]->SetNumber(word ? word : words[k], 1);
    }
    party.Mark(role);
    ShowWorn(role);
    if (subMode != 1) return;
    if (role != previous) listTop = 0;
    RebuildList();
}

void cEquipFrame::ShowWorn(i32 role) {
    for (int k = 0; k < kSlotCount; ++k) {
        const EquipageData* p = WornEquipage(gRoles[role].equip[k]);
        if (!p) {
            CopyRecordText(wornText[k], sizeof(wornText[k]), B5(kEmptySlot), 16);
            wornIcon[k]->Hide();
            continue;
        }
        CopyRecordText(wornText[k], sizeof(wornText[k]), p->name, sizeof(p->name));
        bool icon = p->icon >= 0 && p->icon < kEquipIcons;
        wornIcon[k]->SetPics(icon ? icons[p->icon] : nullptr, nullptr, nullptr);
        if (icon)
            wornIcon[k]->Show();
        else
            wornIcon[k]->Hide();
    }
}

// ---- run ----

void cEquipFrame::Run() {
    panel.Refresh();
    i32 id = gMouseInput.clickedId;
    int tab = panel.TabAt(id);
    if (tab >= 0) {
        gMouseInput.clickedId = 0;
        LeaveScreen(&next, tab + 1, 261);
        return;
    }
    if (id == kEquipSideId) {
        gMouseInput.clickedId = 0;
        int row = cSysPanel::RowAt(gMouseInput.y);
        if (row >= 0) return OpenList(row);
    }
    int k = id - kEquipSlotId;
    if (id >= kEquipSlotId && k < party.count) {
        gMouseInput.clickedId = 0;
        PlayUISound(261);
        SelectRole(party.roles[k]);
    }
    if (id == kEquipListId && subMode == 1) {
        gMouseInput.clickedId = 0;
        ClickList();
    }
    Idle();
}

void cEquipFrame::Idle() {
    HandleKeys();
    if (gFramePhase == 2) return;
    if (panel.tipText) panel.tipText->Show();
    if (panel.bar) panel.bar->Hide();
    bool back = gMouseInput.rightClick || gKeyInput.IsPressed(kKeyCancel);
    if (subMode == 0) {
        if (back) {
            gMouseInput.rightClick = 0;
            LeaveScreen(&next, 1, 263);
            return;
        }
    } else {
        RefreshListRows();
        if (rowBar) rowBar->Hide();
        HideAbilityPanel();
        scroll.Update();
        if (back) {
            gMouseInput.rightClick = 0;
            PlayUISound(263);
            CloseList();
        }
    }
    Hover();
}

void cEquipFrame::ShowHint(const char* big5) {
    ShowHintText(panel.tipText, hint, sizeof(hint), big5);
}

void cEquipFrame::Hover() {
    i32 id = gMouseInput.hoverId;
    int tab = panel.TabAt(id);
    if (tab >= 0) {
        ShowHint(B5(kTabNames[tab]));
        focus = tab;
        return;
    }
    if (id == kEquipSideId) {
        ShowHint(nullptr);
        int row = cSysPanel::RowAt(gMouseInput.y);
        if (row < 0 || !panel.bar) return;
        panel.bar->Move(448, kSysRowTop + kSysRowStep * row);
        panel.bar->Show();
        focus = kFocusSide + row;
        return;
    }
    int k = id - kEquipSlotId;
    if (id >= kEquipSlotId && k < party.count) {
        const RoleStats& s = gRoleStats[party.roles[k]];
        CopyRecordText(hint, sizeof(hint), s.name, sizeof(s.name));
        ShowHint(hint);
        focus = kFocusSlot + k;
        return;
    }
    if (id == kEquipListId && subMode == 1) return HoverList();
    HintAt(gMouseInput.x, gMouseInput.y);
}

void cEquipFrame::HintAt(i32 x, i32 y) {
    for (const HintBand& b : kHints)
        if (y >= b.y0 && y < b.y1 && x >= b.x0 && x < b.x1) return ShowHint(B5(b.caption));
    for (int k = 0; k < kSlotCount; ++k) {
        if (y < 315 + 24 * k || y >= 339 + 24 * k) continue;
        if (x >= 15 && x < 100) return ShowHint(B5(kSlotHints[k]));
        if (x < 100 || x >= 225) break;
        const EquipageData* p = WornEquipage(gRoles[gMenuRole % kRoleCount].equip[k]);
        if (!p) return ShowHint(B5(kEmptySlot));
        CopyRecordText(hint, sizeof(hint), p->description, sizeof(p->description));
        return ShowHint(hint);
    }
    ShowHint(nullptr);
}

// ---- keys ----

void cEquipFrame::HandleKeys() {
    MenuKey key = ReadMenuKey();
    if (key != MenuKey::None) return MoveByKey(key);
    FunctionKeyExit exits[4] = {{1, 261, true}, {2, 261, true}, {3, 261, true}, {4, 261, true}};
    LeaveByFunctionKey(&next, exits);
}

void cEquipFrame::FocusTo(int f) {
    focus = f;
    MoveCursorTo(MenuFocusSpot(f));
}

void cEquipFrame::MoveByKey(MenuKey key) {
    if (focus >= kFocusList && focus < kFocusList + kListRows && subMode == 1) return ListKey(key);
    int from = focus;
    int to = MenuFocusAfter(focus, key, party.count, party.SlotOf(static_cast<i32>(gMenuRole)));
    if (to < 0) return;
    bool fromSide = from >= kFocusSide && from < kFocusSide + kSysRows;
    FocusTo(to == kFocusSide && !fromSide && subMode == 1 ? kFocusList : to);
    bool slotStep = from >= kFocusSlot && from < kFocusSlot + kMenuSlots && to != from &&
                    (key == MenuKey::Up || key == MenuKey::Down);
    if (slotStep) SelectRole(party.RoleOf(to - kFocusSlot));
}

void cEquipFrame::ListKey(MenuKey key) {
    int r = focus - kFocusList;
    switch (key) {
        case MenuKey::Up:
            if (r > 0) return FocusTo(focus - 1);
            if (listTop > 0) --listTop;
            return FocusTo(kFocusList);
        case MenuKey::Down:
            if (r == kListRows - 1) {
                if (listTop < maxTop) ++listTop;
                return FocusTo(focus);
            }
            if (HasEntry(r + 1)) FocusTo(focus + 1);
            return;
        case MenuKey::Left:
        case MenuKey::Switch: {
            int slot = party.SlotOf(static_cast<i32>(gMenuRole));
            if (slot >= 0) FocusTo(kFocusSlot + slot);
            return;
        }
        case MenuKey::PageUp:
            listTop = std::max(listTop - kListRows, 0);
            return;
        case MenuKey::PageDown:
            listTop = std::min(listTop + kListRows, maxTop);
            return;
        default:
            return FocusTo(focus);
    }
}

// ---- the candidate list ----

void cEquipFrame::OpenList(int slot) {
    PlayUISound(261);
    if (gSmartMouse)
        MoveCursorTo(MenuFocusSpot(kFocusList));
    else
        focus = kFocusList;
    subMode = 1;
    selectedSlot = std::clamp(slot, 0, kSlotCount - 1);
    const i32 actions[8] = {2, 4, 6, 13, 12, 15, 14, 7};
    for (int k = 0; k < 8; ++k) listPics[k] = new cActPic(kMenuAct, actions[k]);
    listArea = new cControl(440, 48);
    listArea->SetButton(kEquipListId, listPics[0], listPics[1], nullptr);
    rowBar = new cControl(462, 94);
    rowBar->SetPics(listPics[2], nullptr, nullptr);
    rowBar->Hide();
    listTitle = TextAt(490, 58, &panel.large, kWhite, kStyleBoldOutline);
    listTitle->SetText(B5(kSlotCaptions[selectedSlot]));
    down = new cControl(610, 332);
    down->SetButton(kEquipDownId, listPics[3], nullptr, listPics[4]);
    up = new cControl(610, 80);
    up->SetButton(kEquipUpId, listPics[5], nullptr, listPics[6]);
    thumb = new cControl(610, 95);
    thumb->SetButton(kEquipThumbId, listPics[7], nullptr, nullptr);
    listTop = 0;
    BuildList();
    scroll = cScrollBar{};
    scroll.Init(down, up, thumb, 15, 40, 1);
    scroll.value = &listTop;
    lastTop = 0;
    scroll.minimum = 0;
    scroll.arrowStep = 1;
    scroll.pageStep = kListRows;
    scroll.trackStart = 95;
    scroll.trackEnd = 293;
    scroll.maximum = maxTop;
    scroll.Update();
    CreateAbilityPanel();
}

void cEquipFrame::CloseList() {
    subMode = 0;
    ClearList();
    DeleteAbilityPanel();
    for (cControl** c : {&listArea, &rowBar, &listTitle, &down, &up, &thumb}) Drop(*c);
    for (cActPic*& p : listPics) Drop(p);
    scroll = cScrollBar{};
    if (gSmartMouse)
        MoveCursorTo(MenuFocusSpot(kFocusSide + selectedSlot));
    else
        focus = kFocusSide + selectedSlot;
}

void cEquipFrame::BuildList() {
    candidates = BuildEquipCandidates(selectedSlot, static_cast<i32>(gMenuRole));
    i32 n = static_cast<i32>(candidates.size());
    maxTop = n > kListRows ? n - kListRows : 0;
    scroll.maximum = maxTop;
    for (int r = 0; r < kListRows && r < n; ++r) {
        rowIcon[r] = new cControl(465, 97 + 24 * r);
        rowName[r] = new cControl(490, 100 + 24 * r);
        rowName[r]->SetText(rowText[r]);
        SetRow(r, candidates[static_cast<size_t>(r)]);
    }
}

void cEquipFrame::ClearList() {
    candidates.clear();
    for (int r = 0; r < kListRows; ++r) {
        Drop(rowIcon[r]);
        Drop(rowName[r]);
    }
}

bool cEquipFrame::HasEntry(int r) const {
    return r >= 0 && r < kListRows && listTop + r < static_cast<i32>(candidates.size());
}

void cEquipFrame::SetRow(int r, i32 entry) {
    if (!rowIcon[r] || !rowName[r]) return;
    const EquipageData* p = WornEquipage(entry);
    if (entry < 0 || !p) {
        rowIcon[r]->SetPics(icons[0], nullptr, nullptr);
        rowIcon[r]->Hide();
        CopyRecordText(rowText[r], sizeof(rowText[r]), B5(kTakeOff), 16);
        rowName[r]->SetFont(&rowFont, 0, kStylePlain);
        return;
    }
    bool icon = p->icon >= 0 && p->icon < kEquipIcons;
    rowIcon[r]->SetPics(icon ? icons[p->icon] : nullptr, nullptr, nullptr);
    if (icon)
        rowIcon[r]->Show();
    else
        rowIcon[r]->Hide();
    CopyRecordText(rowText[r], sizeof(rowText[r]), p->name, sizeof(p->name));
    bool wearable = CanRoleEquip(entry, EquipMaskRole(static_cast<i32>(gMenuRole))) != 0;
    rowName[r]->SetFont(&rowFont, wearable ? 0 : kGrey, wearable ? kStylePlain : kStyleShadow);
}

void cEquipFrame::RefreshListRows() {
    if (listTop == lastTop) return;
    lastTop = listTop;
    for (int r = 0; r < kListRows; ++r)
        if (HasEntry(r)) SetRow(r, candidates[static_cast<size_t>(listTop + r)]);
}

void cEquipFrame::RebuildList() {
    ClearList();
    BuildList();
    listTop = std::min(listTop, maxTop);
    lastTop = -1;
    RefreshListRows();
    scroll.Update();
}

void cEquipFrame::HoverList() {
    i32 x = gMouseInput.x;
    int r = RowOfY(gMouseInput.y);
    if (x < 460 || x >= 605 || !HasEntry(r)) return;
    focus = kFocusList + r;
    if (rowBar) {
        rowBar->Move(462, 94 + 24 * r);
        rowBar->Show();
    }
    i32 entry = candidates[static_cast<size_t>(listTop + r)];
    const EquipageData* p = WornEquipage(entry);
    if (entry < 0 || !p)
        ShowHint(B5(kTakeOff));
    else
        ShowHint(p->description[0] ? p->description : nullptr);
    ShowEquipCompare(entry);
}

void cEquipFrame::ClickList() {
    i32 x = gMouseInput.x;
    int r = RowOfY(gMouseInput.y);
    if (x < 460 || x >= 610 || !HasEntry(r)) return;
    EquipPiece(candidates[static_cast<size_t>(listTop + r)]);
}

void cEquipFrame::EquipPiece(i32 entry) {
    PlayUISound(261);
    lastCompared = -2;
    i32 role = static_cast<i32>(gMenuRole);
    if (!ValidRole(role)) return;
    if (entry >= 0 && !CanRoleEquip(entry, EquipMaskRole(role))) return;
    ChangeEquipSlots(gRoles[role], selectedSlot, entry);
    SelectRole(role);
    if (subMode == 1) RebuildList();
    CalcRoleStats(gRoles[role], gRoleStats[role]);
}

// ---- the ability panel ----

void cEquipFrame::CreateAbilityPanel() {
    lastCompared = -2;
    CreateAbilitySlots(AbilityScreen::Equipment, &rowFont, kYellow);
}

void cEquipFrame::HideAbilityPanel() {
    lastCompared = -2;
    HideAbilitySlots();
}

void cEquipFrame::DeleteAbilityPanel() {
    DeleteAbilitySlots();
}

void cEquipFrame::ShowEquipCompare(i32 entry) {
    if (entry == lastCompared) return;
    i32 role = static_cast<i32>(gMenuRole);
    if (!ValidRole(role)) return;
    if (entry >= 0 && !CanRoleEquip(entry, EquipMaskRole(role))) return;
    lastCompared = entry;
    RoleData base = gRoles[role];
    RoleStats stats = gRoleStats[role];
    ChangeEquipSlots(base, selectedSlot, entry);
    CalcRoleStats(base, stats);
    for (int k = 0; k < kAbilityLines; ++k) {
        i64 d = i64{AbilityValue(stats, k)} - AbilityValue(gRoleStats[role], k);
        int slot = kLineSlot[k];
        cControl* c = gAbilityPanel.slots[slot];
        if (!c) continue;
        if (d == 0) {
            c->Hide();
            continue;
        }
        SetAbilityLine(k, static_cast<i32>(std::clamp<i64>(d, INT32_MIN, INT32_MAX)), false);
        c->SetText(gAbilityPanel.lines[k]);
        c->Show();
    }
}
