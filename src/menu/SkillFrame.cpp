// cSkillFrame: the skills page, its category rows and keys; the frame and slot walk both skill
// pages share.
#include "menu/SkillFrame.h"

#include <iterator>
#include <new>

#include "platform/TextCodec.h"
#include "engine/DInput.h"
#include "data/Config.h"
#include "data/Equipage.h"
#include "data/GameData.h"
#include "data/GameFlags.h"
#include "data/KeyBindings.h"
#include "ui/ActPic.h"
#include "ui/Control.h"
#include "ui/ScreenLink.h"
#include "ui/ScreenState.h"
#include "ui/UiInput.h"
#include "menu/MenuState.h"
#include "menu/SkillListFrame.h"

namespace {
constexpr i32 kItemIconId = 2100;  // the ids the member panel gives its status icons
constexpr i32 kIconShift = kSkillIconId - kItemIconId;

// When a candidate row is shown.
enum RowRule : i32 { kLearned, kSummonFlags, kAnyForm };
struct CandidateRow {
    i32 category;  // -1: no row
    RowRule rule;
};
constexpr CandidateRow kNoRow = {-1, kLearned};
constexpr CandidateRow kRoleRows[kMenuRoles][kSkillRowsMax] = {
    {{kCombatCategory, kLearned}, {kMedicCategory, kLearned}, kNoRow},
    {{kCombatCategory, kLearned}, {kDivineCategory, kLearned}, {kSummonCategory, kSummonFlags}},
    {{kChantCategory, kLearned}, {kMagicCategory, kLearned}, kNoRow},
    {{kCombatCategory, kLearned}, {kMagicCategory, kLearned}, kNoRow},
    {{kIllusionCategory, kLearned}, {kMagicCategory, kLearned}, kNoRow},
    {{kMagicCategory, kLearned}, {kIllusionCategory, kLearned}, {kFormCategory, kAnyForm}},
    {{kDivineCategory, kLearned}, {kIllusionCategory, kLearned}, kNoRow},
    {{kChantCategory, kLearned}, {kMedicCategory, kLearned}, kNoRow},
};
// The forms whose summons role 1 can call.
constexpr int kSummonForms[] = {0, 1, 3, 4, 5, 6, 7, 8, 10, 15, 16, 19};

bool AnyFlag(const int* forms, int n) {
    for (int k = 0; k < n; ++k)
        if (GetGameFlag(kFormFlagBase + forms[k])) return true;
    return false;
}

bool AnyFormUnlocked() {
    for (int n = 0; n < kGodFormCount; ++n)
        if (GetGameFlag(kFormFlagBase + n)) return true;
    return false;
}

bool RowHolds(i32 role, const CandidateRow& row) {
    switch (row.rule) {
        case kLearned:
            return CountLearnedSkills(role, row.category) > 0;
        case kSummonFlags:
            return AnyFlag(kSummonForms, static_cast<int>(std::size(kSummonForms)));
        case kAnyForm:
            return AnyFormUnlocked();
    }
    return false;
}

bool IsSlotFocus(int f, int slotCount) {
    return f >= kSkillFocusSlot && f < kSkillFocusSlot + slotCount;
}
}  // namespace

// ---- category rows and the slot walk ----

i32 SkillTableRole(i32 menuRole) {
    if (menuRole < 0 || menuRole >= kMenuRoles) return -1;
    if (menuRole < 2 && GetGameFlag(kLeadSwapFlag)) return 1 - menuRole;
    return menuRole;
}

int SkillCategoryRows(i32 menuRole, i32 out[kSkillRowsMax]) {
    i32 role = SkillTableRole(menuRole);
    if (role < 0) return 0;
    int count = 0;
    for (const CandidateRow& row : kRoleRows[role])
        if (row.category >= 0 && RowHolds(role, row)) out[count++] = row.category;
    return count;
}

int SkillSlotAbove(int k, int slotCount) {
    return slotCount > 0 ? (k + slotCount - 1) % slotCount : -1;
}

int SkillSlotBelow(int k, int slotCount, int partyCount) {
    if (slotCount <= 0) return -1;
    if (k + 1 < slotCount) return k + 1;
    return partyCount > slotCount ? -1 : 0;
}

namespace {
int TabAfter(int k, MenuKey key, int rowCount, int menuSlot) {
    switch (key) {
        case MenuKey::Down:
            return kSkillFocusRow;
        case MenuKey::Left:
            return (k + kTabCount - 1) % kTabCount;
        case MenuKey::Right:
            return (k + 1) % kTabCount;
        case MenuKey::Switch:
            if (rowCount >= 1) return kSkillFocusRow;
            return menuSlot >= 0 ? kSkillFocusSlot + menuSlot : -1;
        default:
            return k;
    }
}

int RowAfter(int r, MenuKey key, int rowCount, int menuSlot) {
    switch (key) {
        case MenuKey::Up:
            if (r > 0) return kSkillFocusRow + r - 1;
            return kSkillFocusRow + (rowCount >= 2 ? rowCount - 1 : 0);
        case MenuKey::Down:
            return kSkillFocusRow + (r + 1 < rowCount ? r + 1 : 0);
        case MenuKey::Left:
        case MenuKey::Switch:
            return menuSlot >= 0 ? kSkillFocusSlot + menuSlot : -1;
        default:
            return kSkillFocusRow + r;
    }
}

int SlotAfter(int k, MenuKey key, int slotCount, int partyCount) {
    switch (key) {
        case MenuKey::Up:
            return kSkillFocusSlot + SkillSlotAbove(k, slotCount);
        case MenuKey::Down: {
            int below = SkillSlotBelow(k, slotCount, partyCount);
            return below >= 0 ? kSkillFocusSlot + below : -1;
        }
        case MenuKey::Right:
            return kSkillFocusRow;
        case MenuKey::Switch:
            return 0;
        default:
            return kSkillFocusSlot + k;
    }
}
}  // namespace

int SkillFocusAfter(int focus, MenuKey key, int rowCount, int slotCount, int partyCount,
                    int menuSlot) {
    if (focus >= 0 && focus < kTabCount) return TabAfter(focus, key, rowCount, menuSlot);
    if (focus >= kSkillFocusRow && focus < kSkillFocusRow + kSkillRowsMax)
        return RowAfter(focus - kSkillFocusRow, key, rowCount, menuSlot);
    if (IsSlotFocus(focus, slotCount))
        return SlotAfter(focus - kSkillFocusSlot, key, slotCount, partyCount);
    return -1;
}

// ---- the shared frame ----

void cSkillPageFrame::MakePanel(i32 sidePic, i32 sideHoverPic, const char* title) {
    static const char* const kNoCaptions[kSysRows] = {"", "", "", "", "", ""};
    fonts.Make();
    cControl* bg = new cControl(0, 0);
    bg->SetButton(kSkillBackgroundId, new cActPic(kMenuAct, 0), nullptr, nullptr);
    SysPanelLook look = MenuPanelLook(kSkillTabId, 1, kSkillSideId, kNoCaptions, title, 500);
    look.listPic = sidePic;
    look.listHoverPic = sideHoverPic;
    look.captionX = 500;
    panel.Make(look);
    for (cControl* c : panel.captions) c->Hide();
}

void cSkillPageFrame::MakeMember() {
    party.MakePictures();
    member.Make(&fonts, &panel.small, &party);
    party.MakeSlots(kSkillSlotId);
}

void cSkillPageFrame::ShowMember(i32 role) {
    member.Show(role);
    for (cControl* icon : member.icons)
        if (icon && icon->id) icon->id += kIconShift;
}

void cSkillPageFrame::Release() {
    fonts.Release();
    panel.Release();
}

void cSkillPageFrame::ShowHint(const char* big5) {
    ShowHintText(panel.tipText, hint, sizeof(hint), big5);
}

bool cSkillPageFrame::HoverCommon(i32 id, i32* focus) {
    int tab = panel.TabAt(id);
    if (tab >= 0) {
        *focus = tab;
        ShowHint(B5(kTabNames[tab]));
        return true;
    }
    int k = id - kSkillSlotId;
    if (k >= 0 && k < party.count) {
        *focus = kSkillFocusSlot + k;
        const RoleStats& s = gRoleStats[party.roles[k]];
        CopyRecordText(hint, sizeof(hint), s.name, sizeof(s.name));
        ShowHint(hint);
        return true;
    }
    if (const char* status = cMemberPanel::StatusCaption(id - kIconShift)) {
        ShowHint(B5(status));
        return true;
    }
    if (id != kSkillBackgroundId) return false;
    const char* caption = cMemberPanel::CaptionAt(gMouseInput.x, gMouseInput.y);
    ShowHint(caption ? B5(caption) : nullptr);
    return true;
}

MenuSpot cSkillPageFrame::FocusSpot(int focus) {
    if (focus >= 0 && focus < kTabCount) return {TabPointX(focus), kTabPointY};
    return cPartySlots::CursorSpot(focus - kSkillFocusSlot);
}

// ---- the skills page ----

void cSkillFrame::Open() {
    next = -1;
    focus = -1;
    frame.MakePanel(1, 3, B5("特　 技"));
    frame.MakeMember();
    i32 role = static_cast<i32>(gMenuRole);
    if (frame.SlotOf(role) < 0 && frame.party.count > 0) role = frame.party.roles[0];
    SelectRole(role);
    // The cursor starts on the shown member's slot, whatever the last page left.
    int slot = frame.SlotOf(static_cast<i32>(gMenuRole));
    if (slot >= 0) {
        if (gSmartMouse)
            MoveCursorTo(cPartySlots::CursorSpot(slot));
        else
            focus = kSkillFocusSlot + slot;
    }
    gKeyFocus = 0;
}

void cSkillFrame::Close() {
    frame.Release();
    ClearFrameObjects();
    switch (next) {
        case 0:
            gFrameId = ScreenWord(Screen::Items);
            break;
        case 1:
            gFrameId = kMapMode;
            gMenuRole = 0;
            break;
        case 2:
            gFrameId = ScreenWord(Screen::QuickSave);
            break;
        case 3:
            gFrameId = ScreenWord(Screen::SystemMenu);
            break;
        case 10:
            gFrameId = ScreenWord(Screen::SkillList);
            break;
        default:
            break;
    }
}

void cSkillFrame::SelectRole(i32 role) {
    rowCount = 0;
    if (role >= 0 && role < kMenuRoles) {
        gMenuRole = static_cast<u32>(role);
        frame.ShowMember(role);
        frame.party.Mark(role);
        rowCount = SkillCategoryRows(role, rowCategory);
    }
    for (int k = 0; k < kSkillRowsMax; ++k) {
        cControl* caption = frame.panel.captions[k];
        if (!caption) continue;
        if (k >= rowCount) {
            caption->Hide();
            continue;
        }
        const char* name = SkillCategoryName(rowCategory[k]);
        caption->SetText(name ? name : "");
        caption->Show();
    }
}

void cSkillFrame::Leave(i32 code) {
    next = code;
    gFramePhase = 2;
}

void cSkillFrame::Run() {
    frame.panel.Refresh();
    i32 clicked = gMouseInput.clickedId;
    gMouseInput.clickedId = 0;
    if (Click(clicked)) return;
    if (gMouseInput.rightClick || gKeyInput.IsPressed(kKeyCancel)) {
        gMouseInput.rightClick = 0;
        PlayUISound(263);
        gKeyFocus = 0;
        return Leave(1);
    }
    RunIdle();
}

bool cSkillFrame::Click(i32 id) {
    if (id == 0) return false;
    int tab = id - kSkillTabId;
    if (tab >= 0 && tab < kTabCount) {
        if (tab == 1) return false;  // this page's own tab
        PlayUISound(261);
        gKeyFocus = 0;
        Leave(tab);
        return true;
    }
    if (id == kSkillSideId) {
        int band = cSysPanel::RowAt(gMouseInput.y);
        if (band < 0 || band >= rowCount) return false;
        OpenSkillList(band + 1);
        return true;
    }
    int k = id - kSkillSlotId;
    if (k < 0 || k >= frame.party.count) return false;
    gKeyFocus = kSkillFocusSlot + k;
    PlayUISound(261);
    SelectRole(frame.party.roles[k]);
    return true;
}

void cSkillFrame::OpenSkillList(int n) {
    i32 categories[kSkillRowsMax];
    int count = SkillCategoryRows(static_cast<i32>(gMenuRole), categories);
    if (n < 1 || n > count) return;
    delete gSkillListFrame;
    gSkillListFrame = new (std::nothrow) cSkillListFrame(categories[n - 1]);
    if (!gSkillListFrame) return;  // the page stays
    Leave(10);
}

void cSkillFrame::RunIdle() {
    HandleKeys();
    if (gFramePhase == 2) return;
    frame.ShowHint(nullptr);
    if (frame.panel.bar) frame.panel.bar->Hide();
    Hover();
}

void cSkillFrame::Hover() {
    i32 id = gMouseInput.hoverId;
    if (id != kSkillSideId) {
        frame.HoverCommon(id, &focus);
        return;
    }
    int band = cSysPanel::RowAt(gMouseInput.y);
    if (band == 0) focus = kSkillFocusRow;  // the top band takes the focus even with no row
    if (band < 0 || band >= rowCount) return;
    focus = kSkillFocusRow + band;
    frame.panel.bar->Move(448, kSysRowTop + kSysRowStep * band);
    frame.panel.bar->Show();
}

void cSkillFrame::FocusTo(int f) {
    focus = f;
    if (f >= kSkillFocusRow && f < kSkillFocusRow + kSkillRowsMax)
        MoveCursorTo({SysRowPointX(), SysRowPointY(f - kSkillFocusRow)});
    else
        MoveCursorTo(cSkillPageFrame::FocusSpot(f));
}

void cSkillFrame::HandleKeys() {
    MenuKey key = ReadMenuKey();
    if (key != MenuKey::None) {
        int slots = frame.party.count;
        int to = SkillFocusAfter(focus, key, rowCount, slots, GetPartyCount(),
                                 frame.SlotOf(static_cast<i32>(gMenuRole)));
        if (to < 0) return;
        bool slotStep = IsSlotFocus(focus, slots) && IsSlotFocus(to, slots) &&
                        (key == MenuKey::Up || key == MenuKey::Down);
        FocusTo(to);
        if (slotStep) SelectRole(frame.party.RoleOf(to - kSkillFocusSlot));
        return;
    }
    const u8 keys[3] = {kScanF1, kScanF3, kScanF4};
    const i32 codes[3] = {0, 2, 3};
    for (int k = 0; k < 3; ++k) {
        if (!gDInput.IsKeyDown(keys[k])) continue;
        PlayUISound(261);
        gKeyFocus = 0;
        return Leave(codes[k]);
    }
}
