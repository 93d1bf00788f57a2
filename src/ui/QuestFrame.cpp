// cQuestFrame: open, run and close of the quest log, and its pages.
#include "ui/QuestFrame.h"

#include <cstring>

#include "base/Big5.h"
#include "platform/TextCodec.h"
#include "engine/DInput.h"
#include "data/KeyBindings.h"
#include "data/Options.h"
#include "map/SystemServices.h"
#include "story/PartyCommands.h"
#include "ui/ActPic.h"
#include "ui/Control.h"
#include "ui/ScreenState.h"
#include "ui/SystemMenu.h"
#include "ui/UiInput.h"

namespace {
constexpr i32 kAct = 9904;
// Codes 1..9 in order: system menu, items, save, load, leave question,
// formation, settings, skills, quick save.
constexpr Screen kNext[] = {Screen::SystemMenu, Screen::Items,       Screen::SaveSlots,
                            Screen::LoadSlots,  Screen::BackToTitle, Screen::Formation,
                            Screen::Settings,   Screen::Skills,      Screen::QuickSave};

cControl* PageButton(i32 x) {
    cControl* c = new cControl(x, 420);
    return c;
}
void SetPage(cControl* c, i32 id, bool enabled) {
    if (enabled)
        c->SetButton(id, new cActPic(kAct, 9), new cActPic(kAct, 10), nullptr);
    else
        c->SetButton(0, new cActPic(kAct, 8), nullptr, nullptr);
}
i32 PointX(i32 f) {
    if (f >= 10 && f <= 13) return TabPointX(f - 10);
    if (f == 20) return 265;
    if (f == 21) return 405;
    return SysRowPointX();
}
i32 PointY(i32 f) {
    if (f >= 10 && f <= 13) return kTabPointY;
    if (f == 20 || f == 21) return 445;
    return SysRowPointY(f);
}
}  // namespace

void CutBig5Tail(char* text) {
    size_t n = std::strlen(text);
    text[Big5Cut(text, n, n)] = 0;
}

void cQuestFrame::Open() {
    result = 0;
    focus = -1;
    InitFont(&rowFont_);
    SetupFont(&rowFont_, 15, 15, kNoFontBk, 0x414141);
    InitFont(&buttonFont_);
    SetupFont(&buttonFont_, 20, 22, kNoFontBk, 0x21405F);
    cControl* bg = new cControl(0, 0);
    bg->SetButton(kQuestBackgroundId, new cActPic(kAct, 20), nullptr, nullptr);
    pageUp = PageButton(185);
    pageDown = PageButton(313);
    for (auto [x, t] : {std::pair{205, "上 一 頁"}, std::pair{333, "下 一 頁"}}) {
        cControl* c = new cControl(x, 435);
        c->SetFont(&buttonFont_, 0xFFFFFF, kStyleBoldOutline);
        c->SetText(B5(t));
    }
    panel_.Make(kQuestListId, B5("任 務 記 載"), 480, -1);
    panelPics_[0] = new cActPic(kAct, 40);
    panelPics_[1] = new cActPic(kAct, 41);
    listPanel_ = new cControl(8, 48);
    listPanel_->SetPics(panelPics_[0], nullptr, nullptr);
    for (int k = 0; k < kQuestRows; ++k) {
        i32 y = 73 + 44 * k;
        icons[k] = new cControl(24, y - 15);
        icons[k]->SetPics(new cActPic(kAct, 21 + k), nullptr, nullptr);
        rows[k] = new cControl(150, y);
        rows[k]->SetFont(&rowFont_, 0xFFFFFF, kStyleOutline);
        rows[k]->SetText(names[k]);
    }
    if (gSmartMouse)
        gMouseInput.MoveCursor(405, 445);
    else
        focus = 20;
    ShowQuestPage(0);
}

void cQuestFrame::ShowQuestPage(i32 top) {
    first = top < 0 ? 0 : top;
    i32 count = static_cast<i32>(gQuestList.size());
    for (int k = 0; k < kQuestRows; ++k) {
        i32 i = first + k;
        bool shows = i < count;
        rowIndex[k] = shows ? i : -1;
        names[k][0] = 0;
        if (shows) {
            ReadNameText(static_cast<i32>(gQuestList[static_cast<size_t>(i)]), kQuestNameBytes,
                         names[k], "%Q");
            CutBig5Tail(names[k]);
        }
        shows ? rows[k]->Show() : rows[k]->Hide();
        shows ? icons[k]->Show() : icons[k]->Hide();
    }
    SetPage(pageUp, kQuestPageUpId, rowIndex[0] >= 1);
    SetPage(pageDown, kQuestPageDownId,
            rowIndex[kQuestRows - 1] >= 0 && first + kQuestRows < count);
}

void cQuestFrame::Leave(i32 code, int sound) {
    LeaveScreen(&result, code, sound);
}

void cQuestFrame::MoveToFocus(i32 f) {
    focus = f;
    gMouseInput.MoveCursor(PointX(f), PointY(f));
}

bool cQuestFrame::RunClicks() {
    i32 clicked = gMouseInput.clickedId;
    if (clicked == kQuestPageUpId || clicked == kQuestPageDownId) {
        gMouseInput.clickedId = 0;
        PlayUISound(261);
        ShowQuestPage(first + (clicked == kQuestPageUpId ? -kQuestRows : kQuestRows));
        return false;
    }
    if (clicked == kQuestListId) {
        gMouseInput.clickedId = 0;
        const i32 codes[kSysRows] = {3, 4, 6, 7, 0, 5};
        int row = cSysPanel::RowAt(gMouseInput.y);
        if (row >= 0 && codes[row]) {
            Leave(codes[row], 261);
            return true;
        }
        return false;
    }
    int tab = cSysPanel::TabOf(clicked);
    if (tab >= 0) {
        gMouseInput.clickedId = 0;
        const i32 codes[kTabCount] = {2, 8, 9, 1};
        Leave(codes[tab], tab == 3 ? 263 : 261);
        return true;
    }
    if (gMouseInput.rightClick || gKeyInput.IsPressed(kKeyCancel)) {
        gMouseInput.rightClick = 0;
        Leave(1, 263);
        return true;
    }
    const i32 codes[4] = {2, 8, 9, 1};
    return LeaveByFunctionKey(&result, codes);
}

void cQuestFrame::RunKeys() {
    int up = gKeyInput.IsPressed(kKeyUp), down = gKeyInput.IsPressed(kKeyDown);
    int left = gKeyInput.IsPressed(kKeyLeft), right = gKeyInput.IsPressed(kKeyRight);
    int sw = gKeyInput.IsPressed(kKeySwitch);
    int page = gKeyInput.IsPressed(kKeyPageUp) | gKeyInput.IsPressed(kKeyPageDown);
    i32 f = focus < 0 ? 20 : focus;
    bool onRow = f < kSysRows, onTab = f >= 10 && f <= 13;
    if (sw)
        MoveToFocus(onTab ? 0 : onRow ? 20 : 10);
    else if (up && onRow)
        MoveToFocus(f == 0 ? kSysRows - 1 : f - 1);
    else if (down && onRow)
        MoveToFocus(f == kSysRows - 1 ? 0 : f + 1);
    else if (down && onTab)
        MoveToFocus(0);
    else if ((left || right) && onTab)
        MoveToFocus(10 + (f - 10 + (right ? 1 : 3)) % 4);
    else if ((left || right) && !onRow)
        MoveToFocus(f == 20 ? 21 : 20);
    else if ((left || right) && onRow)
        MoveToFocus(21);
    else if (page)
        MoveToFocus(f);
}

void cQuestFrame::Run() {
    panel_.Refresh();
    if (RunClicks()) return;
    RunKeys();
    i32 id = gMouseInput.hoverId;
    i32 x = gMouseInput.x, y = gMouseInput.y;
    bool overList = x >= 10 && x <= 432 && y >= 50 && y <= 412;
    listPanel_->normalPic = panelPics_[overList ? 1 : 0];
    int pf = panel_.Hover(id, y);
    if (pf >= 0)
        focus = pf;
    else if (id == kQuestPageUpId)
        focus = 20;
    else if (id == kQuestPageDownId || overList)
        focus = 21;
}

void cQuestFrame::Close() {
    panel_.Release();
    rowFont_.Release();
    buttonFont_.Release();
    ClearFrameObjects();
    if (result >= 1 && result <= 9) gFrameId = ScreenWord(kNext[result - 1]);
}
