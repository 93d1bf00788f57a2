// cSkillListFrame: the skill list of one category, its rows and keys, and the use of a skill with
// its target choice.
#include "menu/SkillListFrame.h"

#include <algorithm>
#include <cstdio>

#include "platform/TextCodec.h"
#include "engine/DInput.h"
#include "data/Config.h"
#include "data/Equipage.h"
#include "data/GameData.h"
#include "data/GameFlags.h"
#include "data/ItemUse.h"
#include "data/KeyBindings.h"
#include "ui/ActPic.h"
#include "ui/Control.h"
#include "ui/ScreenState.h"
#include "ui/UiInput.h"
#include "menu/MenuState.h"

namespace {
constexpr u32 kUsableColour = 0x000000;
constexpr u32 kGreyColour = 0x969696;
constexpr i32 kSealBit = 0x200;  // sealed: only healing skills
constexpr i32 kMarkerAction = 58;
constexpr ListPaneIds kIds = {kSkillSideId, kSkillDownId, kSkillUpId, kSkillThumbId};
constexpr MenuSpot kFirstRowSpot = {580, 110};
constexpr MenuSpot kEnterListSpot = {580, 120};  // still in row 0's band

bool ValidRole(i32 r) {
    return r >= 0 && r < kMenuRoles;
}
bool IsRowFocus(int f) {
    return f >= kSkillFocusRow && f < kSkillFocusRow + kListRows;
}
}  // namespace

std::deque<i32> BuildSkillList(i32 category, i32 menuRole) {
    std::deque<i32> out;
    if (category == kSummonCategory || category == kFormCategory) {
        for (i32 n = 0; n < kGodFormCount; ++n) {
            if (!GetGameFlag(kFormFlagBase + n)) continue;
            if (category == kFormCategory) {
                out.push_back(n);
                continue;
            }
            const SkillData* summon = GetSkillRecord(kFirstSummonSkill + n);
            if (summon && summon->effectAct != 0) out.push_back(kFirstSummonSkill + n);
        }
        return out;
    }
    i32 role = SkillTableRole(menuRole);
    if (role < 0) return out;
    for (int k = 0; k < kSkillRows; ++k) {
        i32 id = gLevelUpSkills[role][k].skill;
        const SkillData* skill = GetSkillRecord(id);
        if (skill && gLearnedSkills[role][k] && skill->category == category) out.push_back(id);
    }
    return out;
}

cSkillListFrame::cSkillListFrame(i32 c) : category(c) {
    PlayUISound(261);
}

// ---- open and close ----

void cSkillListFrame::Open() {
    subMode = kSkillListMain;
    focus = -1;
    pending = 0;
    const char* title = SkillCategoryName(category);
    frame.MakePanel(2, 4, title ? title : "");
    // The list area below is this page's side column.
    frame.panel.list->Hide();
    frame.panel.list->id = 0;
    InitFont(&rowFont);
    SetupFont(&rowFont, 15, 17, kNoFontBk, 0xFFFFFF);
    list.Make(kIds, &rowFont);
    // The list area is made after the panel: the title goes back on top of it.
    frame.panel.title->BringToFront();
    frame.MakeMember();
    ShowRole(static_cast<i32>(gMenuRole));
    frame.party.Mark(static_cast<i32>(gMenuRole));
    list.items = BuildSkillList(category, static_cast<i32>(gMenuRole));
    MakeRows();
    list.InitScroll();
    list.scroll.Update();
    list.lastTop = -1;
    RefreshRows();
    if (gSmartMouse) MoveCursorTo(kFirstRowSpot);
    focus = kSkillFocusRow;
}

void cSkillListFrame::MakeRows() {
    i32 valueX = category == kFormCategory ? 540 : 560;
    int rows = std::min(list.Count(), kListRows);
    for (int j = 0; j < rows; ++j) {
        rowName[j] = new cControl(470, 100 + 24 * j);
        rowName[j]->SetText(nameText[j]);
        rowValue[j] = new cControl(valueX, 100 + 24 * j);
        rowValue[j]->SetText(valueText[j]);
        SetRowLook(j, false);
    }
}

void cSkillListFrame::Close() {
    frame.Release();
    rowFont.Release();
    ClearFrameObjects();
    list = cListPane{};
    for (int j = 0; j < kListRows; ++j) rowName[j] = rowValue[j] = nullptr;
    marker = nullptr;
    markerPic = nullptr;
    if (next >= 0 && next < 4) gFrameId = ScreenWord(kFunctionKeyScreens[next]);
}

void cSkillListFrame::ShowRole(i32 role) {
    if (!ValidRole(role)) return;
    frame.ShowMember(role);
    targetRole = role;
}

// ---- rows ----

bool cSkillListFrame::Usable(const SkillData& skill) const {
    i32 me = static_cast<i32>(gMenuRole);
    if (!ValidRole(me)) return false;
    const RoleStats& s = gRoleStats[me];
    if (skill.mpCost > s.mp || (skill.useMode != 1 && skill.useMode != 3)) return false;
    if (s.status & kStatusDying) return false;
    return category == kMedicCategory || !(s.status & kSealBit);
}

void cSkillListFrame::SetRowLook(int j, bool usable) {
    u32 colour = usable ? kUsableColour : kGreyColour;
    i32 style = usable ? kStylePlain : kStyleShadow;
    rowName[j]->SetFont(&rowFont, colour, style);
    rowValue[j]->SetFont(&rowFont, colour, style);
}

void cSkillListFrame::FillRow(int j, i32 entry) {
    if (category == kFormCategory) {
        const MonsterData& form = gGodForms[entry];
        CopyRecordText(nameText[j], sizeof(nameText[j]), form.name, sizeof(form.name));
        std::snprintf(valueText[j], sizeof(valueText[j]), "%s%d", B5("供奉值:"), form.actionCost);
        return SetRowLook(j, false);
    }
    const SkillData* skill = GetSkillRecord(entry);
    if (!skill) return SetRowLook(j, false);
    CopyRecordText(nameText[j], sizeof(nameText[j]), skill->name, sizeof(skill->name));
    std::snprintf(valueText[j], sizeof(valueText[j]), "Mp:%d", skill->mpCost);
    SetRowLook(j, category != kSummonCategory && Usable(*skill));
}

void cSkillListFrame::RefreshRows() {
    if (list.top == list.lastTop) return;
    list.lastTop = list.top;
    for (int j = 0; j < kListRows; ++j)
        if (rowName[j] && list.HasRow(j)) FillRow(j, list.ItemOfRow(j));
}

// ---- run ----

void cSkillListFrame::Run() {
    frame.panel.Refresh();
    if (Click(gMouseInput.clickedId)) {
        gMouseInput.clickedId = 0;
        return;
    }
    if (gMouseInput.rightClick || gKeyInput.IsPressed(kKeyCancel)) {
        gMouseInput.rightClick = 0;
        PlayUISound(263);
        if (subMode == kSkillListMain)
            Leave(1, 0, false);
        else
            CloseTargetBox();
    } else {
        RunIdle();
    }
    gMouseInput.clickedId = 0;  // the scroll bar has had its look
}

bool cSkillListFrame::Click(i32 id) {
    if (id == 0) return false;
    int tab = id - kSkillTabId;
    if (tab >= 0 && tab < kTabCount) {
        gMouseInput.clickedId = 0;
        next = tab;  // no sound, and the focus word stays
        gFramePhase = 2;
        return false;
    }
    if (id == kSkillSideId) {
        gMouseInput.clickedId = 0;
        int j = cListPane::RowAt(gMouseInput.x, gMouseInput.y, 460, 604);
        if (j < 0 || !list.HasRow(j)) return false;
        ChooseSkill(list.ItemOfRow(j));
        return true;
    }
    if (id == kSkillBackgroundId) {
        if (subMode != kSkillListTarget) return false;
        ConfirmTarget();
        return true;
    }
    int k = id - kSkillSlotId;
    if (k < 0 || k >= frame.party.count) return false;
    if (subMode == kSkillListTarget) {
        targetRole = frame.party.roles[k];
        ConfirmTarget();
        return true;
    }
    gMenuRole = static_cast<u32>(frame.party.roles[k]);
    Leave(1, 0, false);
    return true;
}

void cSkillListFrame::Leave(i32 code, int sound, bool resetFocus) {
    if (sound) PlayUISound(sound);
    if (resetFocus) gKeyFocus = 0;
    next = code;
    gFramePhase = 2;
}

void cSkillListFrame::RunIdle() {
    HandleKeys();
    if (gFramePhase == 2) return;
    if (subMode == kSkillListMain) {
        list.scroll.Update();
        RefreshRows();
        list.HideBar();
        frame.ShowHint(nullptr);
    }
    Hover();
}

void cSkillListFrame::Hover() {
    i32 id = gMouseInput.hoverId;
    if (id == kSkillSideId) return HoverList();
    if (!frame.HoverCommon(id, &focus) || subMode != kSkillListTarget) return;
    int k = id - kSkillSlotId;
    if (k < 0 || k >= frame.party.count) return;
    ShowRole(frame.party.roles[k]);
    MenuSpot m = cPartySlots::MarkerSpot(k);
    if (marker) marker->Move(m.x, m.y);
}

void cSkillListFrame::HoverList() {
    int j = cListPane::RowAt(gMouseInput.x, gMouseInput.y, 460, 604);
    if (j < 0) return;
    if (j == 0) focus = kSkillFocusRow;
    if (!list.HasRow(j)) return;
    focus = kSkillFocusRow + j;
    list.ShowBar(j);
    if (category == kFormCategory) return;
    const SkillData* skill = GetSkillRecord(list.ItemOfRow(j));
    if (!skill) return;
    CopyRecordText(frame.hint, sizeof(frame.hint), skill->description, sizeof(skill->description));
    frame.ShowHint(frame.hint);
}

// ---- using a skill ----

void cSkillListFrame::ChooseSkill(i32 s) {
    i32 me = static_cast<i32>(gMenuRole);
    if (!ValidRole(me) || (gRoleStats[me].status & kStatusDying)) return;
    if (category == kSummonCategory || category == kFormCategory) return;
    const SkillData* skill = GetSkillRecord(s);
    if (!skill || skill->mpCost > gRoleStats[me].mp) return;
    if (skill->useMode != 1 && skill->useMode != 3) return;
    pending = s;
    if (skill->target == kTargetOneAlly && GetPartyCount() > 1) {
        PlayUISound(261);
        return OpenTargetBox();
    }
    const i32 kind = skill->target;
    if (kind != kTargetOneAlly && kind != kTargetAllAllies && kind != kTargetSelf) return;
    PlayUISound(1);
    UseSkill(gRoleStats[me], *skill, gRoleStats[me]);
    AfterUse();
}

// The new MP recolours the rows at once.
void cSkillListFrame::AfterUse() {
    ShowRole(static_cast<i32>(gMenuRole));
    list.lastTop = -1;
    RefreshRows();
}

void cSkillListFrame::SetTabsEnabled(bool on) {
    for (int k = 0; k < kTabCount; ++k)
        if (frame.panel.tabs[k]) frame.panel.tabs[k]->id = on ? kSkillTabId + k : 0;
}

void cSkillListFrame::OpenTargetBox() {
    subMode = kSkillListTarget;
    markerPic = new cActPic(kMenuAct, kMarkerAction);
    marker = new cControl(375, 64);
    marker->SetPics(markerPic, nullptr, nullptr);
    list.SetEnabled(false);
    SetTabsEnabled(false);
    // A shown member without a slot of its own starts the choice on the first slot.
    int i = std::max(frame.SlotOf(static_cast<i32>(gMenuRole)), 0);
    if (gSmartMouse && frame.party.count > 0) MoveCursorTo(cPartySlots::CursorSpot(i));
    MenuSpot m = cPartySlots::MarkerSpot(i);
    marker->Move(m.x, m.y);
    focus = kSkillFocusSlot + i;
    targetRole = -1;
    ShowRole(frame.party.RoleOf(i));
}

void cSkillListFrame::ConfirmTarget() {
    PlayUISound(1);
    i32 me = static_cast<i32>(gMenuRole);
    const SkillData* skill = GetSkillRecord(pending);
    if (skill && ValidRole(me) && ValidRole(targetRole))
        UseSkill(gRoleStats[me], *skill, gRoleStats[targetRole]);
    CloseTargetBox();
}

void cSkillListFrame::CloseTargetBox() {
    list.SetEnabled(true);
    SetTabsEnabled(true);
    delete marker;
    delete markerPic;
    marker = nullptr;
    markerPic = nullptr;
    AfterUse();
    subMode = kSkillListMain;
    if (gSmartMouse)
        MoveCursorTo(kFirstRowSpot);
    else
        focus = kSkillFocusRow;
}

// ---- keys ----

void cSkillListFrame::FocusTo(int f) {
    focus = f;
    if (IsRowFocus(f))
        MoveCursorTo({kFirstRowSpot.x, kFirstRowSpot.y + 24 * (f - kSkillFocusRow)});
    else
        MoveCursorTo(cSkillPageFrame::FocusSpot(f));
}

void cSkillListFrame::HandleKeys() {
    MenuKey key = ReadMenuKey();
    if (key == MenuKey::None) {
        FunctionKeys();
        return;
    }
    if (subMode == kSkillListTarget) return TargetKeys(key);
    MainKeys(key);
}

bool cSkillListFrame::FunctionKeys() {
    struct Exit {
        u8 key;
        i32 code;
        int sound;
        bool resetFocus;
    };
    const Exit exits[4] = {{kScanF1, 0, 261, true},
                           {kScanF2, 1, 263, false},
                           {kScanF3, 2, 261, true},
                           {kScanF4, 3, 261, true}};
    for (const Exit& e : exits) {
        if (!gDInput.IsKeyDown(e.key)) continue;
        Leave(e.code, e.sound, e.resetFocus);
        return true;
    }
    return false;
}

void cSkillListFrame::MainKeys(MenuKey key) {
    if (IsRowFocus(focus)) return RowKeys(key);
    if (focus >= kSkillFocusSlot && focus < kSkillFocusSlot + frame.party.count)
        return SlotKeys(key);
    if (focus < 0 || focus >= kTabCount) return;
    switch (key) {
        case MenuKey::Down:
        case MenuKey::Switch:
            focus = kSkillFocusRow;
            return MoveCursorTo(kEnterListSpot);
        case MenuKey::Left:
            return FocusTo((focus + kTabCount - 1) % kTabCount);
        case MenuKey::Right:
            return FocusTo((focus + 1) % kTabCount);
        default:
            return FocusTo(focus);
    }
}

void cSkillListFrame::RowKeys(MenuKey key) {
    const int slot = frame.SlotOf(static_cast<i32>(gMenuRole));
    const int to =
        list.RowKeyFocus(focus, kSkillFocusRow, slot >= 0 ? kSkillFocusSlot + slot : -1, key);
    if (to >= 0) FocusTo(to);
}

void cSkillListFrame::SlotKeys(MenuKey key) {
    int k = focus - kSkillFocusSlot, n = frame.party.count;
    int to = -1;
    switch (key) {
        case MenuKey::Up:
            to = SkillSlotAbove(k, n);
            break;
        case MenuKey::Down:
            to = SkillSlotBelow(k, n, GetPartyCount());
            if (to < 0) return;
            break;
        case MenuKey::Right:
            focus = kSkillFocusRow;
            return MoveCursorTo(kEnterListSpot);
        case MenuKey::Switch:
            return FocusTo(0);
        default:
            return FocusTo(focus);
    }
    // A step to another member goes back to the skills page, which shows it.
    gMenuRole = static_cast<u32>(frame.party.RoleOf(to));
    Leave(1, 0, false);
}

void cSkillListFrame::TargetKeys(MenuKey key) {
    if (focus < kSkillFocusSlot || focus >= kSkillFocusSlot + frame.party.count) return;
    int k = focus - kSkillFocusSlot, n = frame.party.count;
    int to;
    if (key == MenuKey::Up) {
        to = SkillSlotAbove(k, n);
    } else if (key == MenuKey::Down) {
        to = SkillSlotBelow(k, n, GetPartyCount());
        if (to < 0) return;
    } else {
        if (key == MenuKey::Left || key == MenuKey::PageUp || key == MenuKey::PageDown)
            FocusTo(focus);
        return;
    }
    FocusTo(kSkillFocusSlot + to);
    ShowRole(frame.party.RoleOf(to));
    MenuSpot m = cPartySlots::MarkerSpot(to);
    if (marker) marker->Move(m.x, m.y);
}
