// cSystemMenuFrame: open, run and close of the system menu.
#include "ui/SystemMenu.h"

#include "platform/TextCodec.h"
#include "engine/DInput.h"
#include "sound/Sound.h"
#include "data/KeyBindings.h"
#include "data/Options.h"
#include "ui/ActPic.h"
#include "ui/Control.h"
#include "ui/ScreenLink.h"
#include "ui/ScreenState.h"
#include "ui/UiInput.h"

namespace {
// Results 2..10 in order: save, load, formation, settings, quest log,
// leave question, items page, skills page, quick-save page.
constexpr Screen kNextScreen[] = {Screen::SaveSlots, Screen::LoadSlots, Screen::Formation,
                                  Screen::Settings,  Screen::QuestLog,  Screen::BackToTitle,
                                  Screen::Items,     Screen::Skills,    Screen::QuickSave};

void MoveToRow(int k) {
    gMouseInput.MoveCursor(SysRowPointX(), SysRowPointY(k));
}
void MoveToTab(int j) {
    gMouseInput.MoveCursor(TabPointX(j), kTabPointY);
}
}  // namespace

u32 SysMenuNextFrame(i32 result) {
    if (result >= 2 && result <= 10) return ScreenWord(kNextScreen[result - 2]);
    return 0;
}

void cSystemMenuFrame::Open() {
    result = 0;
    selection = -1;
    int row = (gKeyFocus >= 0 && gKeyFocus < kSysRows) ? gKeyFocus : 0;
    if (gSmartMouse)
        MoveToRow(row);
    else
        selection = row;
    cControl* bg = new cControl(0, 0);
    bg->SetButton(kSysBackgroundId, new cActPic(9904, 20), nullptr, nullptr);
    panel.Make(kSysMenuListId, B5("系　 統"), 500, 3);
}

void cSystemMenuFrame::Leave(i32 code, int sound) {
    LeaveScreen(&result, code, sound);
}

bool cSystemMenuFrame::RunClicks() {
    i32 clicked = gMouseInput.clickedId;
    if (clicked == kSysMenuListId) {
        gMouseInput.clickedId = 0;
        int k = cSysPanel::RowAt(gMouseInput.y);
        if (k < 0) return false;
        gKeyFocus = k;
        Leave(2 + k, 261);
        return true;
    }
    int tab = cSysPanel::TabOf(clicked);
    if (tab >= 0) {
        gMouseInput.clickedId = 0;
        if (tab == 3) return false;
        gKeyFocus = 0;
        Leave(8 + tab, 261);
        return true;
    }
    if (gMouseInput.rightClick || gKeyInput.IsPressed(kKeyCancel)) {
        gMouseInput.rightClick = 0;
        Leave(1, 263);
        return true;
    }
    return false;
}

void cSystemMenuFrame::RunKeys() {
    bool onTab = selection >= 10;
    int row = (selection >= 0 && selection < kSysRows) ? selection : 0;
    int tab = onTab ? selection - 10 : 0;
    // Every key is asked each frame so that its repeat state stays current.
    int up = gKeyInput.IsPressed(kKeyUp), down = gKeyInput.IsPressed(kKeyDown);
    int left = gKeyInput.IsPressed(kKeyLeft), right = gKeyInput.IsPressed(kKeyRight);
    int sw = gKeyInput.IsPressed(kKeySwitch);
    int page = gKeyInput.IsPressed(kKeyPageUp) | gKeyInput.IsPressed(kKeyPageDown);
    if (up && !onTab) MoveToRow(row == 0 ? kSysRows - 1 : row - 1);
    if (down) MoveToRow(onTab || row == kSysRows - 1 ? 0 : row + 1);
    if (left && onTab) MoveToTab(tab == 0 ? kTabCount - 1 : tab - 1);
    if (right && onTab) MoveToTab(tab == kTabCount - 1 ? 0 : tab + 1);
    if (sw) onTab ? MoveToRow(0) : MoveToTab(0);
    if (page) onTab ? MoveToTab(tab) : MoveToRow(row);
    const u8 fkeys[3] = {kScanF1, kScanF2, kScanF3};
    for (int k = 0; k < 3; ++k) {
        if (!gDInput.IsKeyDown(fkeys[k])) continue;
        gKeyFocus = 0;
        Leave(8 + k, 261);
        return;
    }
}

void cSystemMenuFrame::Run() {
    panel.Refresh();
    if (RunClicks()) return;
    RunKeys();
    int focus = panel.Hover(gMouseInput.hoverId, gMouseInput.y);
    if (focus >= 0) selection = focus;
}

void cSystemMenuFrame::Close() {
    panel.Release();
    ClearFrameObjects();
    if (result == 1) {
        gFrameId = kMapMode;
        gMenuRole = 0;
        return;
    }
    u32 next = SysMenuNextFrame(result);
    if (next) gFrameId = next;
}
