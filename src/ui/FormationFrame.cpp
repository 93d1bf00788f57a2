// cFormationFrame: open, run and close of the formation screen, its picking
// and its keyboard table.
#include "ui/FormationFrame.h"

#include <cstring>

#include "platform/TextCodec.h"
#include "engine/DInput.h"
#include "data/GameData.h"
#include "data/GameFlags.h"
#include "data/KeyBindings.h"
#include "data/Options.h"
#include "ui/ActPic.h"
#include "ui/Control.h"
#include "ui/QuestFrame.h"
#include "ui/ScreenState.h"
#include "ui/UiInput.h"

namespace {
constexpr i32 kAct = 9904;
constexpr u32 kWhite = 0xFFFFFF;
constexpr i32 kPlaceW = 114, kPlaceH = 144;
// Codes 1..9 in order: system menu, items, save, load, back-to-title question,
// quest log, settings, skills, quick save.
constexpr Screen kNext[] = {Screen::SystemMenu, Screen::Items,       Screen::SaveSlots,
                            Screen::LoadSlots,  Screen::BackToTitle, Screen::QuestLog,
                            Screen::Settings,   Screen::Skills,      Screen::QuickSave};
// System list rows 0..5; row 2 is this screen.
constexpr i32 kListCodes[kSysRows] = {3, 4, 0, 7, 6, 5};
constexpr i32 kTabCodes[kTabCount] = {2, 8, 9, 1};

bool IsPlace(i32 f) {
    return f >= kFormPlaceFocus && f < kFormPlaceFocus + kFormPlaces;
}
bool IsTab(i32 f) {
    return f >= 10 && f < 10 + kTabCount;
}
bool IsRow(i32 f) {
    return f >= 0 && f < kSysRows;
}

void FocusPoint(i32 f, i32* x, i32* y) {
    if (IsTab(f)) {
        *x = TabPointX(f - 10);
        *y = kTabPointY;
    } else if (IsRow(f)) {
        *x = SysRowPointX();
        *y = SysRowPointY(f);
    } else if (IsPlace(f)) {
        int k = f - kFormPlaceFocus;
        *x = k < 3 ? 100 + 128 * k : 148 + 128 * (k - 3);
        *y = k < 3 ? 160 : 340;
    } else {
        *x = f == kFormRestoreFocus ? 405 : 265;
        *y = 445;
    }
}

// The next focus for a key: d is 0 up, 1 down, 2 left, 3 right, 4 switch window.
i32 StepFocus(i32 f, int d) {
    if (IsPlace(f)) {
        int k = f - kFormPlaceFocus, row = k / 3, col = k % 3;
        if (d == 0) return row ? kFormPlaceFocus + col : f;
        if (d == 1) return row ? (col == 2 ? kFormRestoreFocus : kFormOkFocus) : f + 3;
        if (d == 2 || d == 3) return kFormPlaceFocus + 3 * row + (col + (d == 3 ? 1 : 2)) % 3;
        return kFormOkFocus;
    }
    if (IsTab(f)) {
        if (d == 2 || d == 3) return 10 + (f - 10 + (d == 3 ? 1 : kTabCount - 1)) % kTabCount;
        return d == 0 ? f : 0;
    }
    if (IsRow(f)) {
        if (d == 0) return f == 0 ? kSysRows - 1 : f - 1;
        if (d == 1) return f == kSysRows - 1 ? 0 : f + 1;
        if (d == 4) return kFormPlaceFocus;
        return f;
    }
    // The buttons, and nothing focused yet.
    bool ok = f != kFormRestoreFocus;
    if (d == 0) return kFormPlaceFocus + (ok ? 4 : 5);
    if (d == 2 || d == 3) return ok ? kFormRestoreFocus : kFormOkFocus;
    if (d == 4) return 10;
    return ok ? kFormOkFocus : kFormRestoreFocus;
}

cControl* Caption(cGrpFont* f, i32 x, i32 y, const char* t) {
    cControl* c = new cControl(x, y);
    c->SetFont(f, kWhite, kStyleBoldOutline);
    c->SetText(t);
    return c;
}
}  // namespace

i32 FormationPlaceX(int k) {
    return k < 3 ? 10 + 128 * k : 62 + 128 * (k - 3);
}

i32 FormationPlaceY(int k) {
    return k < 3 ? 80 : 260;
}

int FormationPlaceAt(i32 x, i32 y) {
    for (int k = 0; k < kFormPlaces; ++k) {
        i32 px = FormationPlaceX(k), py = FormationPlaceY(k);
        if (x >= px && x <= px + kPlaceW && y >= py && y <= py + kPlaceH) return k;
    }
    return -1;
}

void cFormationFrame::Open() {
    result = 0;
    picking = 0;
    picked = -1;
    focus = -1;
    InitFont(&buttonFont_);
    SetupFont(&buttonFont_, 20, 22, kNoFontBk, 0x21405F);
    InitFont(&numberFont_);
    SetupFont(&numberFont_, 16, 18, kNoFontBk, 0x21405F);
    InitFont(&nameFont_);
    SetupFont(&nameFont_, 15, 17, kNoFontBk, 0x414141);
    cControl* bg = new cControl(0, 0);
    bg->SetButton(kFormBackgroundId, new cActPic(kAct, 29), nullptr, nullptr);
    MakeButtons();
    panel_.Make(kFormListId, B5("隊 形 設 定"), 480, -1);
    MakePlaces();
    RestoreFormation();
    if (gSmartMouse)
        MoveToFocus(kFormOkFocus);
    else
        focus = kFormOkFocus;
}

void cFormationFrame::MakeButtons() {
    const i32 ids[2] = {kFormOkId, kFormRestoreId};
    for (int k = 0; k < 2; ++k) {
        cControl* c = new cControl(185 + 128 * k, 420);
        c->SetButton(ids[k], new cActPic(kAct, 9), new cActPic(kAct, 10), nullptr);
    }
    Caption(&buttonFont_, 205, 435, B5(" 確　定"));
    Caption(&buttonFont_, 333, 435, B5(" 復　原"));
}

void cFormationFrame::MakePlaces() {
    bool swapped = GetGameFlag(kLeadSwapFlag) != 0;
    for (int r = 0; r < kFormRoles; ++r) {
        int frame = (swapped && r < 2) ? 1 - r : r;
        portraitPics_[r] = new cActPic(kAct, 32 + frame);
    }
    placePic_ = new cActPic(kAct, 30);
    pickedPic_ = new cActPic(kAct, 31);
    for (int k = 0; k < kFormPlaces; ++k) {
        i32 x = FormationPlaceX(k), y = FormationPlaceY(k);
        bool front = k < 3;
        portraits[k] = new cControl(x, y);
        numbers[k] = new cControl(x + (front ? 95 : 98), front ? 183 : 363);
        numbers[k]->SetFont(&numberFont_, kWhite, kStyleOutline);
        numbers[k]->SetNumber(&levels[k], 0);
        nameCtls[k] = Caption(&nameFont_, x + 34, front ? 203 : 383, names[k]);
        markers[k] = new cControl(x, y);
        markers[k]->SetPics(placePic_, nullptr, nullptr);
    }
}

void cFormationFrame::ShowFormation() {
    for (int k = 0; k < kFormPlaces; ++k) {
        i32 r = roles[k];
        // Only role indices 0..7 have a portrait and a record; anything else is empty.
        bool filled = r >= 0 && r < kFormRoles;
        names[k][0] = 0;
        levels[k] = 0;
        if (filled) {
            levels[k] = gRoleStats[r].level;
            std::memcpy(names[k], gRoleStats[r].name, kFormNameBytes - 1);
            names[k][kFormNameBytes - 1] = 0;
            CutBig5Tail(names[k]);
            portraits[k]->SetPics(portraitPics_[r], nullptr, nullptr);
        }
        for (cControl* c : {portraits[k], numbers[k], nameCtls[k]}) filled ? c->Show() : c->Hide();
    }
}

void cFormationFrame::RestoreFormation() {
    for (int k = 0; k < kFormPlaces; ++k) roles[k] = gFormation[k];
    picking = 0;
    picked = -1;
    ShowFormation();
}

void cFormationFrame::ApplyFormation() {
    for (int k = 0; k < kFormPlaces; ++k) gFormation[k] = roles[k];
    picking = 0;
    picked = -1;
}

void cFormationFrame::Pick(int place) {
    if (!picking) {
        picked = place;
        picking = 1;
        PlayUISound(261);
        return;
    }
    i32 t = roles[picked];
    roles[picked] = roles[place];
    roles[place] = t;
    PlayUISound(265);
    picking = 0;
    picked = -1;
    ShowFormation();
}

void cFormationFrame::Leave(i32 code, int sound) {
    LeaveScreen(&result, code, sound);
}

void cFormationFrame::MoveToFocus(i32 f) {
    focus = f;
    i32 x = 0, y = 0;
    FocusPoint(f, &x, &y);
    gMouseInput.MoveCursor(x, y);
}

bool cFormationFrame::RunClicks() {
    i32 clicked = gMouseInput.clickedId;
    if (clicked == kFormBackgroundId) {
        gMouseInput.clickedId = 0;
        int place = FormationPlaceAt(gMouseInput.x, gMouseInput.y);
        if (place >= 0) Pick(place);
        return false;
    }
    if (clicked == kFormOkId) {
        gMouseInput.clickedId = 0;
        ApplyFormation();
        Leave(1, 265);
        return true;
    }
    if (clicked == kFormRestoreId) {
        gMouseInput.clickedId = 0;
        RestoreFormation();
        PlayUISound(265);
        return false;
    }
    if (clicked == kFormListId) {
        gMouseInput.clickedId = 0;
        int row = cSysPanel::RowAt(gMouseInput.y);
        if (row < 0 || !kListCodes[row]) return false;
        Leave(kListCodes[row], 261);
        return true;
    }
    int tab = cSysPanel::TabOf(clicked);
    if (tab < 0) return false;
    gMouseInput.clickedId = 0;
    Leave(kTabCodes[tab], tab == 3 ? 263 : 261);
    return true;
}

bool cFormationFrame::RunLeaveKeys() {
    if (gMouseInput.rightClick || gKeyInput.IsPressed(kKeyCancel)) {
        gMouseInput.rightClick = 0;
        if (picking) {
            PlayUISound(263);
            picking = 0;
            picked = -1;
            return false;
        }
        Leave(1, 263);
        return true;
    }
    const u8 fkeys[4] = {kScanF1, kScanF2, kScanF3, kScanF4};
    for (int k = 0; k < 4; ++k) {
        if (!gDInput.IsKeyDown(fkeys[k])) continue;
        gKeyFocus = 0;
        Leave(kTabCodes[k], k == 3 ? 263 : 261);
        return true;
    }
    return false;
}

void cFormationFrame::RunKeys() {
    // Every key is asked each frame so that its repeat state stays current.
    const int keys[5] = {gKeyInput.IsPressed(kKeyUp), gKeyInput.IsPressed(kKeyDown),
                         gKeyInput.IsPressed(kKeyLeft), gKeyInput.IsPressed(kKeyRight),
                         gKeyInput.IsPressed(kKeySwitch)};
    // The page keys leave the cursor where it is.
    gKeyInput.IsPressed(kKeyPageUp);
    gKeyInput.IsPressed(kKeyPageDown);
    for (int d = 0; d < 5; ++d) {
        if (!keys[d]) continue;
        MoveToFocus(StepFocus(focus, d));
        return;
    }
}

void cFormationFrame::UpdateMarks() {
    for (int k = 0; k < kFormPlaces; ++k)
        markers[k]->SetPics(k == picked ? pickedPic_ : placePic_, nullptr, nullptr);
    i32 id = gMouseInput.hoverId;
    int pf = panel_.Hover(id, gMouseInput.y);
    if (pf >= 0) {
        focus = pf;
    } else if (id == kFormOkId) {
        focus = kFormOkFocus;
    } else if (id == kFormRestoreId) {
        focus = kFormRestoreFocus;
    } else if (id == kFormBackgroundId) {
        int place = FormationPlaceAt(gMouseInput.x, gMouseInput.y);
        if (place >= 0) focus = kFormPlaceFocus + place;
    }
}

void cFormationFrame::Run() {
    panel_.Refresh();
    if (RunClicks() || RunLeaveKeys()) return;
    // Hover first: a key's cursor move is not seen by the hover until the next frame.
    UpdateMarks();
    RunKeys();
}

void cFormationFrame::Close() {
    // Every way out keeps the new order.
    ApplyFormation();
    panel_.Release();
    buttonFont_.Release();
    numberFont_.Release();
    nameFont_.Release();
    ClearFrameObjects();
    for (cControl** list : {portraits, numbers, nameCtls, markers})
        for (int k = 0; k < kFormPlaces; ++k) list[k] = nullptr;
    for (cActPic*& p : portraitPics_) p = nullptr;
    placePic_ = pickedPic_ = nullptr;
    if (result >= 1 && result <= 9) gFrameId = ScreenWord(kNext[result - 1]);
}
