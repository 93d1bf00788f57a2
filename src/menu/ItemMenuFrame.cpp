// cItemMenuFrame: open, run and close of the items page, its lists and the target choice.
#include "menu/ItemMenuFrame.h"

#include <algorithm>
#include <cstdint>

#include "platform/TextCodec.h"
#include "engine/DInput.h"
#include "data/Config.h"
#include "data/Equipage.h"
#include "data/GameData.h"
#include "data/ItemUse.h"
#include "data/KeyBindings.h"
#include "ui/ActPic.h"
#include "ui/Control.h"
#include "ui/ScreenState.h"
#include "ui/UiInput.h"
#include "menu/AbilityPanel.h"
#include "menu/MenuState.h"

namespace {
constexpr u32 kWhite = 0xFFFFFF;
constexpr u32 kYellow = 0x00FFFF;
constexpr i32 kMarkerAction = 58;
// Where results 2..7 lead.
constexpr Screen kNextScreens[6] = {Screen::Equipment, Screen::Offering, Screen::SystemMenu,
                                    Screen::Transform, Screen::Skills,   Screen::QuickSave};
constexpr ListPaneIds kListIds = {kItemListId, kItemListId + 1, kItemListId + 2, kItemListId + 3};

bool InSideRows(int f) {
    return f >= kFocusSide && f < kFocusSide + kSysRows;
}
bool IsListMode(i32 m) {
    return m >= kItemUseList && m <= kItemDiscardList;
}
const ItemData* Item(i32 id) {
    return GetItemRecord(id);
}
i32 Owned(i32 id) {
    return gOwnedItems && id >= 0 && id < gItemCount ? gOwnedItems[id] : 0;
}
}  // namespace

// ---- open and close ----

void cItemMenuFrame::Open() {
    next = -1;
    subMode = kItemMain;
    focus = -1;
    if (gKeyFocus < 0 || gKeyFocus >= kSysRows) gKeyFocus = 0;
    if (gSmartMouse)
        MoveCursorTo(MenuFocusSpot(kFocusSide + gKeyFocus));
    else
        focus = kFocusSide + gKeyFocus;
    fonts.Make();
    cControl* bg = new cControl(0, 0);
    bg->SetButton(kItemBackgroundId, new cActPic(kMenuAct, 0), nullptr, nullptr);
    panel.Make(MenuPanelLook(kItemTabId, 0, kItemSideId, kItemSideNames, B5("物　 品"), 500));
    party.MakePictures();
    member.Make(&fonts, &panel.small, &party);
    party.MakeSlots(kItemSlotId);
    i32 role = static_cast<i32>(gMenuRole);
    if (party.SlotOf(role) < 0 && party.count > 0) role = party.roles[0];
    SelectRole(role);
}

void cItemMenuFrame::Close() {
    DeleteAbilityPanel();
    fonts.Release();
    panel.Release();
    ClearFrameObjects();
    list = cListPane{};
    listTitle = marker = nullptr;
    markerPic = nullptr;
    if (next == 1 || next < 0 || next > 7) {
        gFrameId = kMapMode;
        gMenuRole = 0;
        return;
    }
    gFrameId = next == 0 ? kMapMode : ScreenWord(kNextScreens[next - 2]);
}

void cItemMenuFrame::SelectRole(i32 role) {
    if (role < 0 || role >= kMenuRoles || role >= kRoleCount) return;
    gMenuRole = static_cast<u32>(role);
    member.Show(role);
    party.Mark(role);
}

void cItemMenuFrame::Leave(i32 code, int sound) {
    LeaveScreen(&next, code, sound);
}

// ---- run ----

void cItemMenuFrame::Run() {
    if (IsListMode(subMode) || subMode == kItemTargetChoice) {
        if (subMode == kItemTargetChoice)
            list.ShowBar(chosen - list.top);
        else
            list.HideBar();
        if (subMode == kItemUseList) HideAbilityPanel();
        list.scroll.Update();
        RefreshRows();
    }
    if (Back()) return;
    panel.Refresh();
    i32 clicked = gMouseInput.clickedId;
    gMouseInput.clickedId = 0;
    if (Click(clicked)) return;
    Idle();
}

bool cItemMenuFrame::Back() {
    if (!gMouseInput.rightClick && !gKeyInput.IsPressed(kKeyCancel)) return false;
    gMouseInput.rightClick = 0;
    PlayUISound(263);
    if (subMode == kItemMain) {
        next = 1;
        gFramePhase = 2;
    } else if (subMode == kItemTargetChoice) {
        EndTargetChoice();
    } else {
        BackToSide();
    }
    return true;
}

// A list's back action: the list goes and the cursor returns to its side row.
void cItemMenuFrame::BackToSide() {
    CloseList();
    int row = (gKeyFocus >= 0 && gKeyFocus < kSysRows) ? gKeyFocus : 0;
    if (gSmartMouse)
        MoveCursorTo(MenuFocusSpot(kFocusSide + row));
    else
        focus = kFocusSide + row;
}

bool cItemMenuFrame::Click(i32 id) {
    if (id == 0) return false;
    if (subMode == kItemTargetChoice) {
        int k = id - kItemSlotId;
        if (k >= 0 && k < party.count) {
            PlayUISound(265);
            UseOn(party.roles[k]);
            return true;
        }
        if (id == kItemBackgroundId) {
            PlayUISound(265);
            UseOn(party.RoleOf(MarkerSlot()));
            return true;
        }
        return false;
    }
    int tab = id - kItemTabId;
    if (tab == 0) {
        if (subMode == kItemMain) return false;
        PlayUISound(263);
        BackToSide();
        return true;
    }
    if (tab >= 1 && tab < kTabCount) {
        const i32 codes[kTabCount] = {0, 6, 7, 4};
        gKeyFocus = 0;
        Leave(codes[tab], 261);
        return true;
    }
    if (id == kItemSideId) {
        if (cSysPanel::RowAt(gMouseInput.y) < 0) return false;
        ClickSide();
        return true;
    }
    int k = id - kItemSlotId;
    if (k >= 0 && k < party.count) {
        PlayUISound(261);
        SelectRole(party.roles[k]);
        return true;
    }
    if (id == kItemListId) {
        if (subMode == kItemUseList) ClickUseList();
        if (subMode == kItemDiscardList) ClickDiscardList();
        return true;
    }
    return false;
}

void cItemMenuFrame::ClickSide() {
    int row = cSysPanel::RowAt(gMouseInput.y);
    gKeyFocus = row;
    const i32 codes[kSysRows] = {0, 2, 3, 5, 0, 0};
    if (codes[row]) {
        Leave(codes[row], 261);
        return;
    }
    PlayUISound(261);
    if (subMode != kItemMain) CloseList();
    if (row == 0) OpenUseList();
    if (row == 4) OpenSpecialList();
    if (row == 5) OpenDiscardList();
}

// ---- idle: keys and hover ----

void cItemMenuFrame::Idle() {
    if (subMode == kItemTargetChoice)
        TargetKeys();
    else
        Keys();
    if (gFramePhase == 2) return;
    Hover();
}

void cItemMenuFrame::ShowHint(const char* big5) {
    ShowHintText(panel.tipText, hint, sizeof(hint), big5);
}

void cItemMenuFrame::Hover() {
    if (panel.bar) panel.bar->Hide();
    i32 id = gMouseInput.hoverId;
    int tab = panel.TabAt(id);
    if (tab >= 0) {
        ShowHint(B5(kTabNames[tab]));
        focus = tab;
        return;
    }
    if (id == kItemSideId && panel.bar) {
        ShowHint(nullptr);
        int row = cSysPanel::RowAt(gMouseInput.y);
        if (row < 0) return;
        panel.bar->Move(448, kSysRowTop + kSysRowStep * row);
        panel.bar->Show();
        focus = kFocusSide + row;
        return;
    }
    int k = id - kItemSlotId;
    if (k >= 0 && k < party.count) {
        RoleStats& s = gRoleStats[party.roles[k]];
        CopyRecordText(hint, sizeof(hint), s.name, sizeof(s.name));
        ShowHint(hint);
        focus = kFocusSlot + k;
        if (subMode != kItemTargetChoice) return;
        ShowItemEffect(list.items[static_cast<size_t>(chosen)]);
        SelectRole(party.roles[k]);
        MenuSpot m = cPartySlots::MarkerSpot(k);
        if (marker) marker->Move(m.x, m.y);
        return;
    }
    if (const char* status = cMemberPanel::StatusCaption(id)) return ShowHint(B5(status));
    if (id == kItemListId && IsListMode(subMode)) return HoverList();
    const char* caption = cMemberPanel::CaptionAt(gMouseInput.x, gMouseInput.y);
    ShowHint(caption ? B5(caption) : nullptr);
}

void cItemMenuFrame::Keys() {
    MenuKey key = ReadMenuKey();
    if (key != MenuKey::None) return MoveByKey(key);
    if (gDInput.IsKeyDown(kScanF1)) {
        if (subMode == kItemMain) return;
        PlayUISound(263);
        return BackToSide();
    }
    FunctionKeyExit exits[4] = {{}, {6, 261, true}, {7, 261, true}, {4, 261, true}};
    LeaveByFunctionKey(&next, exits);
}

void cItemMenuFrame::FocusTo(int f) {
    focus = f;
    MoveCursorTo(MenuFocusSpot(f));
}

void cItemMenuFrame::MoveByKey(MenuKey key) {
    if (focus >= kFocusList && focus < kFocusList + kListRows && IsListMode(subMode))
        return ListKey(key);
    int from = focus;
    int to = MenuFocusAfter(focus, key, party.count, party.SlotOf(static_cast<i32>(gMenuRole)));
    if (to < 0) return;
    bool toFirstRow = to == kFocusSide && !InSideRows(from) && IsListMode(subMode);
    FocusTo(toFirstRow ? kFocusList : to);
    bool slotStep = from >= kFocusSlot && from < kFocusSlot + kMenuSlots && to != from &&
                    (key == MenuKey::Up || key == MenuKey::Down);
    if (slotStep) SelectRole(party.RoleOf(to - kFocusSlot));
}

void cItemMenuFrame::ListKey(MenuKey key) {
    const int slot = party.SlotOf(static_cast<i32>(gMenuRole));
    const int to = list.RowKeyFocus(focus, kFocusList, slot >= 0 ? kFocusSlot + slot : -1, key);
    if (to >= 0) FocusTo(to);
}

// ---- lists ----

std::deque<i32> cItemMenuFrame::BuildList(i32 mode) {
    std::deque<i32> out;
    i32 first = mode == kItemSpecialList ? 200 : 0;
    i32 end = mode == kItemDiscardList ? std::min(gItemCount, 200) : gItemCount;
    for (i32 t = 0; t < kItemTypes; ++t)
        for (i32 id = first; id < end; ++id) {
            const ItemData* rec = Item(id);
            if (!rec || Owned(id) <= 0 || rec->icon != t || rec->name[0] == 0) continue;
            bool usable = (rec->usePlace == 1 || rec->usePlace == 3) && rec->useKind != 0;
            if (mode == kItemUseList && !usable) continue;
            out.push_back(id);
        }
    return out;
}

void cItemMenuFrame::MakeListFrame(i32 mode, const char* title, std::deque<i32> entries) {
    subMode = mode;
    list.Make(kListIds, &fonts.content);
    listTitle = new cControl(482, 58);
    listTitle->SetFont(&panel.large, kWhite, kStyleBoldOutline);
    listTitle->SetText(title);
    list.Fill(std::move(entries));
    list.lastTop = 0;
    if (gSmartMouse)
        MoveCursorTo(MenuFocusSpot(kFocusList));
    else
        focus = kFocusList;
}

void cItemMenuFrame::OpenUseList() {
    MakeListFrame(kItemUseList, B5(kItemSideNames[0]), BuildList(kItemUseList));
    CreateAbilityPanel();
    int slot = party.SlotOf(static_cast<i32>(gMenuRole));
    if (gSmartMouse && slot >= 0) MoveCursorTo(cPartySlots::CursorSpot(slot));
}

void cItemMenuFrame::OpenSpecialList() {
    MakeListFrame(kItemSpecialList, B5(kItemSideNames[4]), BuildList(kItemSpecialList));
}

void cItemMenuFrame::OpenDiscardList() {
    MakeListFrame(kItemDiscardList, B5(kItemSideNames[5]), BuildList(kItemDiscardList));
}

void cItemMenuFrame::CloseList() {
    if (subMode == kItemUseList || subMode == kItemTargetChoice) DeleteAbilityPanel();
    if (marker) delete marker;
    if (markerPic) delete markerPic;
    marker = nullptr;
    markerPic = nullptr;
    subMode = kItemMain;
    list.Delete();
    delete listTitle;
    listTitle = nullptr;
}

void cItemMenuFrame::RefreshRows() {
    list.RefreshRows();
}

void cItemMenuFrame::HoverList() {
    int j = cListPane::RowAt(gMouseInput.x, gMouseInput.y, 460, 604);
    if (j < 0) return ShowHint(nullptr);
    focus = kFocusList + j;
    if (!list.HasRow(j)) return;
    list.ShowBar(j);
    const ItemData* rec = Item(list.ItemOfRow(j));
    if (rec) {
        CopyRecordText(hint, sizeof(hint), rec->description, sizeof(rec->description));
        ShowHint(hint);
    }
    if (subMode == kItemUseList) ShowItemEffect(list.ItemOfRow(j));
}

void cItemMenuFrame::ClickUseList() {
    int j = cListPane::RowAt(gMouseInput.x, gMouseInput.y, 460, 609);
    if (list.HasRow(j)) UseListItem(j);
}

void cItemMenuFrame::ClickDiscardList() {
    int j = cListPane::RowAt(gMouseInput.x, gMouseInput.y, 460, 609);
    if (list.HasRow(j)) DiscardListItem(j);
}

void cItemMenuFrame::UseListItem(int row) {
    if (!list.HasRow(row)) return;
    chosen = list.top + row;
    i32 item = list.ItemOfRow(row);
    const ItemData* rec = Item(item);
    if (!rec) return;
    i32 role = static_cast<i32>(gMenuRole);
    if (rec->target == kTargetAllAllies || rec->target == kTargetSelf) {
        PlayUISound(1);
        UseItem(role, item);
        AfterUse();
    } else if (rec->target == kTargetOneAlly) {
        if (GetPartyCount() == 1) {
            UseItem(role, item);
            AfterUse();
        } else {
            PlayUISound(261);
            BeginTargetChoice();
        }
    }
}

// The list after a use: a spent item leaves it, and the member's values show again.
void cItemMenuFrame::AfterUse() {
    list.lastTop = -1;
    if (chosen >= 0 && chosen < list.Count() && Owned(list.items[static_cast<size_t>(chosen)]) < 1)
        list.RemoveAt(chosen);
    SelectRole(static_cast<i32>(gMenuRole));
}

void cItemMenuFrame::UseOn(i32 role) {
    if (role >= 0 && chosen >= 0 && chosen < list.Count()) {
        UseItem(role, list.items[static_cast<size_t>(chosen)]);
        AfterUse();
    }
    EndTargetChoice();
}

void cItemMenuFrame::DiscardListItem(int row) {
    if (!list.HasRow(row)) return;
    PlayUISound(261);
    int index = list.top + row;
    i32 item = list.ItemOfRow(row);
    if (Owned(item) > 0) --gOwnedItems[item];
    list.lastTop = -1;
    if (Owned(item) < 1) list.RemoveAt(index);
}

// ---- target choice ----

int cItemMenuFrame::MarkerSlot() const {
    if (!marker) return -1;
    for (int k = 0; k < party.count; ++k) {
        MenuSpot m = cPartySlots::MarkerSpot(k);
        if (m.x == marker->x && m.y == marker->y) return k;
    }
    return -1;
}

void cItemMenuFrame::BeginTargetChoice() {
    subMode = kItemTargetChoice;
    int slot = std::max(party.SlotOf(static_cast<i32>(gMenuRole)), 0);
    MenuSpot m = cPartySlots::MarkerSpot(slot);
    markerPic = new cActPic(kMenuAct, kMarkerAction);
    marker = new cControl(m.x, m.y);
    marker->SetPics(markerPic, nullptr, nullptr);
    if (panel.list) panel.list->id = 0;
    for (cControl* t : panel.tabs)
        if (t) t->id = 0;
    list.SetEnabled(false);
    if (gSmartMouse)
        MoveCursorTo(cPartySlots::CursorSpot(slot));
    else
        focus = kFocusSlot + slot;
}

void cItemMenuFrame::EndTargetChoice() {
    delete marker;
    delete markerPic;
    marker = nullptr;
    markerPic = nullptr;
    if (panel.list) panel.list->id = kItemSideId;
    for (int k = 0; k < kTabCount; ++k)
        if (panel.tabs[k]) panel.tabs[k]->id = kItemTabId + k;
    list.SetEnabled(true);
    subMode = kItemUseList;
    if (chosen >= list.Count()) chosen = list.Count() - 1;
    if (chosen < 0) chosen = 0;
    int row = std::clamp(chosen - list.top, 0, kListRows - 1);
    if (gSmartMouse)
        MoveCursorTo(MenuFocusSpot(kFocusList + row));
    else
        focus = kFocusList + row;
    SelectRole(static_cast<i32>(gMenuRole));
}

void cItemMenuFrame::TargetKeys() {
    MenuKey key = ReadMenuKey();
    if (key == MenuKey::None || focus < kFocusSlot || focus >= kFocusSlot + party.count) return;
    int k = focus - kFocusSlot, n = party.count;
    switch (key) {
        case MenuKey::Up:
        case MenuKey::Left:
            k = (k + n - 1) % n;
            break;
        case MenuKey::Down:
        case MenuKey::Right:
        case MenuKey::Switch:
            k = (k + 1) % n;
            break;
        default:
            return FocusTo(focus);
    }
    FocusTo(kFocusSlot + k);
    SelectRole(party.roles[k]);
}

// ---- ability panel ----

void cItemMenuFrame::CreateAbilityPanel() {
    CreateAbilitySlots(AbilityScreen::Items, &fonts.content, kYellow);
}

void cItemMenuFrame::HideAbilityPanel() {
    HideAbilitySlots();
}

void cItemMenuFrame::DeleteAbilityPanel() {
    DeleteAbilitySlots();
}

void cItemMenuFrame::ShowItemEffect(i32 item) {
    const ItemData* rec = Item(item);
    if (!rec) return;
    i32 role = static_cast<i32>(gMenuRole);
    if (role < 0 || role >= kRoleCount) return;
    const RoleData& base = gRoles[role];
    // Each value with its slots (each slot shows its own line) and its base value.
    struct Row {
        i32 value, base;
        int slots[2];
    };
    const Row rows[5] = {{rec->strength, base.strength, {4, 6}},
                         {rec->stamina, base.stamina, {5, 7}},
                         {rec->magic, base.magic, {8, -1}},
                         {rec->spirit, base.spirit, {9, -1}},
                         {rec->agility, base.agility, {10, -1}}};
    int kind = rec->effectMode;
    if (kind != 1 && kind != 2 && kind != 5) return;
    for (const Row& r : rows) {
        i32 shown = r.value;
        if (kind == 5)
            shown = r.value == 0 ? 0
                                 : static_cast<i32>(std::clamp<i64>(i64{r.value} - r.base,
                                                                    INT32_MIN, INT32_MAX));
        if (shown == 0) continue;
        for (int s : r.slots) {
            if (s < 0) continue;
            SetAbilityLine(AbilitySlotLine(AbilityScreen::Items, s), shown, kind == 2);
            ShowAbilitySlot(s);
        }
    }
}
