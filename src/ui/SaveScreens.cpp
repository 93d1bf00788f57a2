// The slot screens, the quick-save page, the quick notices and the zoom-in.
#include "ui/SaveScreens.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "base/Types.h"
#include "platform/Display.h"
#include "platform/TextCodec.h"
#include "platform/Win.h"
#include "engine/DDraw.h"
#include "engine/DInput.h"
#include "engine/FrameState.h"
#include "engine/GrpFont.h"
#include "engine/MemDbg.h"
#include "engine/PixelFormat.h"
#include "engine/Random.h"
#include "sound/Music.h"
#include "sound/Redbook.h"
#include "data/GameData.h"
#include "data/KeyBindings.h"
#include "data/Options.h"
#include "map/City.h"
#include "map/GameMusic.h"
#include "map/MapDraw.h"
#include "map/SessionServices.h"
#include "map/SystemServices.h"
#include "story/Talk.h"
#include "ui/ActPic.h"
#include "ui/Control.h"
#include "ui/ScreenLink.h"
#include "ui/ScreenState.h"
#include "ui/UiInput.h"

namespace {

constexpr u32 kWhite = 0xFFFFFF;
constexpr u32 kPale = 0xDBFFFF;
constexpr i32 kUiAct = 9904;
constexpr i32 kCanvasPixels = 640 * 480;
constexpr int kSndPage = 261, kSndAsk = 262, kSndCancel = 263, kSndDone = 265;

enum FontIx { kF12, kF13, kF15, kF16, kF20 };
constexpr i32 kFontSizes[5] = {12, 13, 15, 16, 20};

void MakeFonts(cGrpFont* f) {
    for (int i = 0; i < 5; ++i) {
        InitFont(&f[i]);
        SetupFont(&f[i], kFontSizes[i], kFontSizes[i], kNoFontBk, 0);
    }
}
void ReleaseFonts(cGrpFont* f) {
    for (int i = 0; i < 5; ++i) f[i].Release();
}

cControl* Text(i32 x, i32 y, cGrpFont* f, u32 colour, const char* t) {
    cControl* c = new cControl(x, y);
    c->SetFont(f, colour, kStylePlain);
    c->SetText(t);
    return c;
}

// A canvas copy from the debug allocator, or null.
u16* CanvasCopy() {
    u16* p = static_cast<u16*>(MH_ALLOC_ZERO(kCanvasPixels * 2));
    if (p && !CopyDrawSurface(p)) std::memset(p, 0, kCanvasPixels * 2);
    return p;
}

void FormatClock(char* out, size_t n) {
    std::snprintf(out, n, "%u:%02u:%02u", (gGameTime / 3600) % 60, (gGameTime / 60) % 60,
                  gGameTime % 60);
}

bool InRange(i32 v, i32 lo, i32 hi) {
    return v >= lo && v <= hi;
}

}  // namespace

// ---- shared pieces ----

void DrawControlsToCanvas() {
    for (size_t i = 0; i < gControlList.size(); ++i) gControlList[i]->Draw();
}

namespace {

// A load's zoom: the screen as it stands becomes the picture it zooms from...
void PrepareZoom() {
    DrawControlsToCanvas();
    delete gZoomFrame;
    gZoomFrame = new cZoomFrame();
    gZoomFrame->TakeCanvas(0);
}

// ...and, once the save has loaded, the new map view the picture it zooms to,
// growing from the clicked thumbnail's place.
void FinishZoom(i32 x, i32 y) {
    if (gMapId == 641 || gMapId == 631) ResetMapObjectStates();
    DrawWorld();
    gZoomFrame->TakeCanvas(1);
    gZoomFrame->x = x;
    gZoomFrame->y = y;
}

}  // namespace

void cAskBox::Make(i32 newId, cGrpFont* font) {
    pics[0] = new cActPic(kUiAct, 0);
    pics[1] = new cActPic(kUiAct, 1);
    pics[2] = new cActPic(kUiAct, 2);
    button = new cControl(225, 195);
    button->SetButton(newId, pics[0], pics[1], nullptr);
    highlight = new cControl(235, 239);
    highlight->SetPics(pics[2], nullptr, nullptr);
    yes = Text(252, 248, font, kWhite, B5("確 定"));
    no = Text(337, 248, font, kWhite, B5("取 消"));
    question = Text(275, 207, font, kWhite, "");
    Hide();
}

void cAskBox::Show(const char* text, i32 x) {
    question->SetText(text);
    question->Move(x, 207);
    for (cControl* c : {button, yes, no, question}) c->Show();
    // The highlight (hidden until a half is hovered) lies over the box, under the captions.
    for (cControl* c : {button, highlight, yes, no, question}) c->BringToFront();
}

void cAskBox::Hide() {
    for (cControl* c : {button, highlight, yes, no, question}) c->Hide();
}

void SaveRowView::Fill(const SaveHeader* h, bool emptyInMoney) {
    cControl* all[] = {thumbCtl, moneyCtl, timeCtl, dateCtl};
    for (cControl* c : all) c->Hide();
    for (int k = 0; k < 6; ++k) {
        portraits[k]->Hide();
        numbers[k]->Hide();
    }
    if (!h) {
        cControl* empty = emptyInMoney ? moneyCtl : dateCtl;
        std::snprintf(emptyInMoney ? money : date, sizeof(date), "%s", B5("沒有資料"));
        empty->Show();
        return;
    }
    std::memcpy(date, h->date, kSaveDateBytes);
    date[kSaveDateBytes] = 0;
    std::memcpy(money, h->money, kSaveMoneyBytes);
    money[kSaveMoneyBytes] = 0;
    std::memcpy(time, h->playTime, kSaveTimeBytes);
    time[kSaveTimeBytes] = 0;
    std::memcpy(thumb, h->thumb, sizeof(thumb));
    ConvertPixels(thumb, kThumbPixels);
    thumbCtl->SetRlePic(thumb, kThumbW, kThumbH, 900);
    for (cControl* c : all) c->Show();
    for (int k = 0; k < 6; ++k) {
        i32 r = h->partyRole[k];
        if (r < 0 || r > 7) continue;
        values[k] = h->partyValue[k];
        portraits[k]->SetPics(portraitPics[r], nullptr, nullptr);
        portraits[k]->Show();
        numbers[k]->Show();
    }
}

// Builds the controls of one row or box at its base points.
static void MakeRowView(SaveRowView* v, cActPic* bgPic, i32 bx, i32 by, i32 tx, i32 ty, i32 dx,
                        i32 dy, i32 mx, i32 my, i32 timeX, i32 px, i32 py, i32 nx, i32 ny,
                        cGrpFont* f) {
    v->background = new cControl(bx, by);
    v->background->SetPics(bgPic, nullptr, nullptr);
    v->thumbCtl = new cControl(tx, ty);
    v->thumbCtl->SetRlePic(nullptr, 0, 0, 900);
    v->dateCtl = Text(dx, dy, &f[kF12], kWhite, v->date);
    v->moneyCtl = Text(mx, my, &f[kF13], kPale, v->money);
    v->timeCtl = Text(timeX, my, &f[kF13], kPale, v->time);
    // Each portrait keeps to its place in the strip, which so ends inside
    // the row, left of the system list.
    constexpr i32 kPlace = 44;
    for (int k = 0; k < 6; ++k) {
        v->portraits[k] = new cControl(px + kPlace * k, py);
        v->portraits[k]->placeW = kPlace;
        v->numbers[k] = new cControl(nx + kPlace * k, ny);
        v->numbers[k]->SetFont(&f[kF13], kWhite, kStylePlain);
        v->numbers[k]->SetNumber(&v->values[k], 0);
    }
    for (int r = 0; r < 8; ++r) v->portraitPics[r] = new cActPic(kUiAct, 12 + r);
}

// ---- slot screens ----

void cSaveLoadFrame::Open() {
    screen = static_cast<Screen>(ScreenIdOf(gFrameId));
    // A save's item and monster blocks are as long as the databases say. A game
    // that ended released them, and every slot would then read as empty.
    if (!gItems && !gMonsters) ReloadGameDatabase();
    result = 0;
    boxOpen = 0;
    focus = -1;
    MakeFonts(fonts_);
    i32 bgAction = screen == Screen::SaveSlots   ? 4
                   : screen == Screen::LoadSlots ? 5
                                                 : 15 + RandomBetween(0, 3);
    background_ = new cControl(0, 0);
    background_->SetButton(kSlotRows,
                           new cActPic(screen == Screen::TitleLoadSlots ? 9002 : kUiAct, bgAction),
                           nullptr, nullptr);
    for (int i = 0; i < 3; ++i) {
        pageUpPics_[i] = new cActPic(kUiAct, 8 + i);
        pageDownPics_[i] = new cActPic(kUiAct, 8 + i);
    }
    pageUp_ = new cControl(185, 420);
    pageDown_ = new cControl(313, 420);
    Text(205, 435, &fonts_[kF20], kWhite, B5("上 一 頁"));
    Text(333, 435, &fonts_[kF20], kWhite, B5("下 一 頁"));
    rowPics_[0] = new cActPic(kUiAct, 6);
    rowPics_[1] = new cActPic(kUiAct, 7);
    for (int r = 0; r < 3; ++r) {
        i32 y = 141 + 124 * r;
        SaveRowView& v = rows[r];
        MakeRowView(&v, rowPics_[0], 8, y - 93, 13, y - 88, 168, y - 84, 163, y + 4, 280, 165,
                    y - 65, 190, y - 15, fonts_);
        v.numberCtl = Text(76, y, &fonts_[kF16], kPale, v.number);
    }
    if (screen != Screen::TitleLoadSlots)
        panel.Make(kSlotList, B5(screen == Screen::SaveSlots ? kSysRowNames[0] : kSysRowNames[1]),
                   480, -1);
    // gSaveSlotPos is kept across runs in the options file: clamp what it says.
    i32 slot = std::clamp(gSaveSlotPos % 1000, 0, kSaveSlots - 1);
    i32 row = std::clamp(gSaveSlotPos / 1000, 0, 2);
    ReadSlotHeader(std::clamp(slot - row, 0, kSaveSlots - 3));
    box_.Make(kSlotBox, &fonts_[kF20]);
    if (gSmartMouse)
        gMouseInput.MoveCursor(355, 115 + 124 * row);
    else
        // The title's load screen has no list row 0: its keys start on the slot row.
        focus = screen == Screen::TitleLoadSlots ? kFocusRow0 + row : 0;
}

bool cSaveLoadFrame::FocusPoint(i32 code, i32* px, i32* py) {
    if (code >= 0 && code < kSysRows) {
        *px = SysRowPointX();
        *py = SysRowPointY(code);
    } else if (code >= kFocusTab0 && code < kFocusTab0 + kTabCount) {
        *px = TabPointX(code - kFocusTab0);
        *py = kTabPointY;
    } else if (code >= kFocusRow0 && code < kFocusRow0 + 3) {
        *px = 355;
        *py = 115 + 124 * (code - kFocusRow0);
    } else if (code == kFocusPageUp || code == kFocusPageDown) {
        *px = code == kFocusPageUp ? 272 : 402;
        *py = 448;
    } else if (code == kFocusYes || code == kFocusNo) {
        *px = code == kFocusYes ? 290 : 380;
        *py = 262;
    } else {
        return false;
    }
    return true;
}

void cSaveLoadFrame::ReadSlotHeader(i32 newTop) {
    top = std::clamp(newTop, 0, kSaveSlots - 3);
    for (int r = 0; r < 3; ++r) {
        SaveRowView& v = rows[r];
        v.slot = top + r;
        std::snprintf(v.number, sizeof(v.number), "%02d", v.slot + 1);
        std::unique_ptr<SaveImage> img = ReadSaveFile(SlotPath(v.slot), nullptr);
        v.Fill(img ? &img->header : nullptr, false);
    }
    bool up = top > 0, down = top + 2 < kSaveSlots - 1;
    pageUp_->SetButton(up ? kSlotPageUp : 0, pageUpPics_[up ? 1 : 0], up ? pageUpPics_[2] : nullptr,
                       nullptr);
    pageDown_->SetButton(down ? kSlotPageDown : 0, pageDownPics_[down ? 1 : 0],
                         down ? pageDownPics_[2] : nullptr, nullptr);
}

void cSaveLoadFrame::SetIds(bool enabled) {
    background_->id = enabled ? kSlotRows : 0;
    if (panel.list) panel.list->id = enabled ? kSlotList : 0;
    for (int k = 0; k < kTabCount; ++k)
        if (panel.tabs[k]) panel.tabs[k]->id = enabled ? kSlotTab0 + k : 0;
    if (enabled) {
        ReadSlotHeader(top);
    } else {
        pageUp_->id = 0;
        pageDown_->id = 0;
    }
}

void cSaveLoadFrame::OpenBox(const char* text, i32 x) {
    boxOpen = 1;
    box_.Show(text, x);
    SetIds(false);
    if (gSmartMouse)
        gMouseInput.MoveCursor(290, 262);
    else
        focus = 51;
}

void cSaveLoadFrame::CloseBox() {
    boxOpen = 0;
    box_.Hide();
    SetIds(true);
    i32 row = std::clamp(askedSlot - top, 0, 2);
    if (gSmartMouse)
        gMouseInput.MoveCursor(355, 115 + 124 * row);
    else
        focus = 0;
}

void cSaveLoadFrame::Leave(i32 code, int sound) {
    LeaveScreen(&result, code, sound);
}

i32 cSaveLoadFrame::RowAt(i32 mx, i32 my) const {
    if (!InRange(mx, 10, 434)) return -1;
    for (int r = 0; r < 3; ++r)
        if (InRange(my, 50 + 124 * r, 162 + 124 * r)) return r;
    return -1;
}

void cSaveLoadFrame::SaveToSlot(i32 slot) {
    i32 row = slot - top;
    if (row >= 0 && row <= 2) gSaveSlotPos = slot + 1000 * row;
    SaveToSlotFile(slot);
    SaveOptions();
}

int cSaveLoadFrame::LoadGameFromSlot(i32 slot) {
    const i32 row = slot - top;
    const bool shown = row >= 0 && row <= 2;
    auto prepare = [&] {
        // From the title nothing of the last game's music may carry over.
        if (screen == Screen::TitleLoadSlots) {
            gMusic.ClearList(1);
            gMusic.SetMode(4, 1, 0);
        }
        PrepareZoom();
        if (shown) gSaveSlotPos = slot + 1000 * row;
    };
    if (!LoadSlotFile(slot, prepare)) return 0;
    FinishZoom(shown ? 13 : 0, shown ? 52 + 124 * row : 0);
    SaveOptions();
    return 1;
}

void cSaveLoadFrame::ClickRow(i32 row) {
    if (row < 0) return;
    i32 slot = rows[row].slot;
    askedSlot = slot;
    if (screen == Screen::SaveSlots) {
        // A save that no longer reads shows as empty but is still replaced
        // only on yes.
        if (IsSlotTaken(slot)) {
            PlayUISound(kSndAsk);
            OpenBox(B5("是否覆蓋？"), 275);
            return;
        }
        PlayUISound(kSndDone);
        SaveToSlot(slot);
        ReadSlotHeader(top);
        return;
    }
    if (!IsSlotUsed(slot)) return;
    if (screen == Screen::LoadSlots) {
        PlayUISound(kSndAsk);
        OpenBox(B5("放棄目前進度？"), 250);
        return;
    }
    if (gRedbook) gRedbook->Stop();
    ReloadGameDatabase();
    if (LoadGameFromSlot(slot)) {
        result = 20;
        gFramePhase = 2;
        return;
    }
    ReadSlotHeader(top);
}

void cSaveLoadFrame::ClickBox() {
    i32 mx = gMouseInput.x, my = gMouseInput.y;
    if (!InRange(my, 239, 273)) return;
    if (InRange(mx, 235, 319)) {
        PlayUISound(kSndDone);
        if (screen == Screen::SaveSlots) {
            CloseBox();
            SaveToSlot(askedSlot);
            ReadSlotHeader(top);
            return;
        }
        boxOpen = 0;
        box_.Hide();
        if (LoadGameFromSlot(askedSlot)) {
            result = 10;
            gFramePhase = 2;
        } else {
            SetIds(true);
        }
        return;
    }
    if (InRange(mx, 320, 404)) {
        PlayUISound(kSndCancel);
        CloseBox();
    }
}

void cSaveLoadFrame::RunHover() {
    for (SaveRowView& v : rows) v.background->SetPics(rowPics_[0], nullptr, nullptr);
    if (panel.list) panel.HideMarks();
    box_.highlight->Hide();
    i32 hover = gMouseInput.hoverId;
    if (boxOpen) {
        if (hover == kSlotBox && InRange(gMouseInput.y, 239, 273)) {
            bool yes = gMouseInput.x < 320;
            box_.highlight->Move(yes ? 237 : 320, 239);
            box_.highlight->Show();
            focus = yes ? kFocusYes : kFocusNo;
        }
        return;
    }
    if (hover == kSlotPageUp || hover == kSlotPageDown) {
        focus = hover == kSlotPageUp ? kFocusPageUp : kFocusPageDown;
        return;
    }
    i32 r = hover == kSlotRows ? RowAt(gMouseInput.x, gMouseInput.y) : -1;
    if (r >= 0) {
        rows[r].background->SetPics(rowPics_[1], nullptr, nullptr);
        focus = kFocusRow0 + r;
        return;
    }
    if (!panel.list) return;
    i32 f = panel.Hover(hover, gMouseInput.y);
    if (f >= 0) focus = f;
}

void cSaveLoadFrame::FocusTo(i32 code) {
    i32 px = 0, py = 0;
    if (!FocusPoint(code, &px, &py)) return;
    focus = code;
    gMouseInput.MoveCursor(px, py);
}

// F1-F4 leave for the menu pages; true when one did.
bool cSaveLoadFrame::RunFunctionKeys() {
    if (screen == Screen::TitleLoadSlots || boxOpen) return false;
    static const u8 kKeys[4] = {kScanF1, kScanF2, kScanF3, kScanF4};
    static const i32 kCodes[4] = {4, 11, 12, 9};
    for (int k = 0; k < 4; ++k) {
        if (!gDInput.IsKeyDown(kKeys[k])) continue;
        gKeyFocus = 0;
        Leave(kCodes[k], k == 3 ? kSndCancel : kSndPage);
        return true;
    }
    return false;
}

i32 cSaveLoadFrame::ListKey(int key) const {
    switch (key) {
        case kKeyUp:
            return focus == 0 ? kSysRows - 1 : focus - 1;
        case kKeyDown:
            return focus == kSysRows - 1 ? 0 : focus + 1;
        case kKeyLeft:
        case kKeySwitch:
            return kFocusRow0;
        default:
            return focus;
    }
}

i32 cSaveLoadFrame::TabKey(int key) const {
    i32 t = focus - kFocusTab0;
    switch (key) {
        case kKeyDown:
        case kKeySwitch:
            return 0;
        case kKeyLeft:
            return kFocusTab0 + (t + kTabCount - 1) % kTabCount;
        case kKeyRight:
            return kFocusTab0 + (t + 1) % kTabCount;
        default:
            return focus;
    }
}

// Moves along the slot rows; at the first and last row up and down scroll the
// list by one slot, and the page keys page it, the cursor staying on its row.
i32 cSaveLoadFrame::RowKey(int key) {
    i32 row = focus - kFocusRow0;
    bool title = screen == Screen::TitleLoadSlots;
    switch (key) {
        case kKeyUp:
            if (row > 0) return focus - 1;
            if (top > 0) ReadSlotHeader(top - 1);
            return focus;
        case kKeyDown:
            if (row < 2) return focus + 1;
            if (top + 2 < kSaveSlots - 1) ReadSlotHeader(top + 1);
            return focus;
        case kKeyRight:
            return title ? focus : 0;
        case kKeySwitch:
            return title ? kFocusPageUp : kFocusTab0;
        case kKeyPageUp:
            ReadSlotHeader(std::max(top - 3, 0));
            return focus;
        case kKeyPageDown:
            ReadSlotHeader(std::min(top + 3, kSaveSlots - 3));
            return focus;
        default:
            return focus;
    }
}

i32 cSaveLoadFrame::PageButtonKey(int key) const {
    switch (key) {
        case kKeyUp:
            return kFocusRow0 + 2;
        case kKeyLeft:
        case kKeyRight:
            return focus == kFocusPageUp ? kFocusPageDown : kFocusPageUp;
        case kKeySwitch:
            return screen == Screen::TitleLoadSlots ? kFocusRow0 : kFocusTab0;
        default:
            return focus;
    }
}

// The focus a key leads to from the present one; scrolling keys page the rows.
i32 cSaveLoadFrame::KeyTarget(int key) {
    if (focus == kFocusYes || focus == kFocusNo) {
        bool swap = key <= kKeyRight || key == kKeySwitch;
        return swap ? (focus == kFocusYes ? kFocusNo : kFocusYes) : focus;
    }
    // With the box open only its two halves take keys.
    if (boxOpen) return focus;
    if (focus == kFocusPageUp || focus == kFocusPageDown) return PageButtonKey(key);
    if (focus >= kFocusRow0 && focus < kFocusRow0 + 3) return RowKey(key);
    // The title's load screen has no system list and no tabs.
    if (screen == Screen::TitleLoadSlots) return focus;
    if (focus >= kFocusTab0 && focus < kFocusTab0 + kTabCount) return TabKey(key);
    if (focus >= 0 && focus < kSysRows) return ListKey(key);
    return focus;
}

void cSaveLoadFrame::RunKeys() {
    // Every key is asked each frame so that its repeat state stays current.
    static const int kKeys[7] = {kKeyUp,     kKeyDown,     kKeyLeft,  kKeyRight,
                                 kKeyPageUp, kKeyPageDown, kKeySwitch};
    int pressed = -1;
    for (int key : kKeys)
        if (gKeyInput.IsPressed(key) && pressed < 0) pressed = key;
    if (RunFunctionKeys() || pressed < 0) return;
    i32 before = focus, beforeTop = top;
    i32 next = KeyTarget(pressed);
    if (next != before || top != beforeTop) FocusTo(next);
}

void cSaveLoadFrame::Run() {
    if (screen == Screen::SaveSlots)
        RunSave();
    else
        RunLoad();
}

void cSaveLoadFrame::RunSave() {
    RunLoad();
}

void cSaveLoadFrame::RunLoad() {
    if (panel.time) panel.Refresh();
    i32 clicked = gMouseInput.clickedId;
    gMouseInput.clickedId = 0;
    if (gMouseInput.rightClick || gKeyInput.IsPressed(kKeyCancel)) {
        gMouseInput.rightClick = 0;
        PlayUISound(kSndCancel);
        if (boxOpen) return CloseBox();
        result = screen == Screen::TitleLoadSlots ? 21 : 9;
        gFramePhase = 2;
        return;
    }
    switch (clicked) {
        case kSlotPageUp:
            PlayUISound(kSndPage);
            return ReadSlotHeader(std::max(top - 3, 0));
        case kSlotPageDown:
            PlayUISound(kSndPage);
            return ReadSlotHeader(top + 2 + 3 < kSaveSlots - 1 ? top + 3 : kSaveSlots - 3);
        case kSlotRows:
            return ClickRow(RowAt(gMouseInput.x, gMouseInput.y));
        case kSlotBox:
            return ClickBox();
        case kSlotList: {
            i32 r = (gMouseInput.y - 92) / 40;
            if (gMouseInput.y < 92 || r > 5) return;
            static const i32 kSaveCodes[6] = {0, 2, 7, 8, 6, 3};
            static const i32 kLoadCodes[6] = {5, 0, 7, 8, 6, 3};
            i32 code = (screen == Screen::SaveSlots ? kSaveCodes : kLoadCodes)[r];
            if (code) Leave(code, kSndPage);
            return;
        }
        default:
            break;
    }
    if (clicked >= kSlotTab0 && clicked < kSlotTab0 + 4) {
        static const i32 kTabCodes[4] = {4, 11, 12, 9};
        return Leave(kTabCodes[clicked - kSlotTab0], kSndPage);
    }
    RunHover();
    RunKeys();
}

void cSaveLoadFrame::Close() {
    ReleaseFonts(fonts_);
    panel.Release();
    switch (result) {
        case 2:
            gFrameId = ScreenWord(Screen::LoadSlots);
            break;
        case 3:
            gFrameId = ScreenWord(Screen::BackToTitle);
            break;
        case 4:
            gFrameId = ScreenWord(Screen::Items);
            break;
        case 5:
            gFrameId = ScreenWord(Screen::SaveSlots);
            break;
        case 6:
            gFrameId = ScreenWord(Screen::QuestLog);
            break;
        case 7:
            gFrameId = ScreenWord(Screen::Formation);
            break;
        case 8:
            gFrameId = ScreenWord(Screen::Settings);
            break;
        case 9:
            gFrameId = ScreenWord(Screen::SystemMenu);
            break;
        case 10:
        case 20:
            gFrameId = ScreenWord(Screen::ZoomIn);
            break;
        case 11:
            gFrameId = ScreenWord(Screen::Skills);
            break;
        case 12:
            gFrameId = ScreenWord(Screen::QuickSave);
            break;
        case 21:
            gFrameId = ScreenWord(Screen::Title);
            break;
        default:
            break;
    }
}

// ---- quick-save page ----

void cQuickSaveFrame::Open() {
    result = 0;
    boxOpen = 0;
    focus = -1;
    MakeFonts(fonts_);
    background_ = new cControl(0, 0);
    background_->SetButton(kQuickBoxes, new cActPic(9908, 0), nullptr, nullptr);
    boxPics_[0] = new cActPic(kUiAct, 6);
    boxPics_[1] = new cActPic(kUiAct, 7);
    cActPic* boxPic = boxPics_[0];
    MakeRowView(&boxes[0], boxPic, 107, 105, 110, 110, 266, 114, 263, 201, 379, 262, 131, 290, 181,
                fonts_);
    MakeRowView(&boxes[1], boxPic, 107, 277, 110, 280, 266, 285, 263, 372, 379, 266, 303, 290, 353,
                fonts_);
    for (int k = 0; k < 4; ++k) {
        tabs_[k] = new cControl(450 + 45 * k, 0);
        tabs_[k]->SetButton(kQuickTab0 + k, new cActPic(9900, 16 + 2 * k), nullptr, nullptr);
    }
    tooltip = Text(65, 17, &fonts_[kF15], kWhite, "");
    tooltip->Hide();
    Text(540, 440, &fonts_[kF16], kWhite, playTime_);
    box_.Make(kQuickBox, &fonts_[kF20]);
    ReadHeader();
    if (gSmartMouse)
        gMouseInput.MoveCursor(458, 170);
    else
        focus = 0;
}

bool cQuickSaveFrame::FocusPoint(i32 code, i32* px, i32* py) {
    if (code >= 0 && code < kTabCount) {
        *px = TabPointX(code);
        *py = kTabPointY;
    } else if (code == kQuickFocusLoad || code == kQuickFocusSave) {
        *px = 458;
        *py = code == kQuickFocusLoad ? 170 : 336;
    } else if (code == kFocusYes || code == kFocusNo) {
        *px = code == kFocusYes ? 290 : 376;
        *py = 262;
    } else {
        return false;
    }
    return true;
}

void cQuickSaveFrame::ReadHeader() {
    std::unique_ptr<SaveImage> img = ReadSaveFile(QuickPath(), nullptr);
    for (SaveRowView& b : boxes) b.Fill(img ? &img->header : nullptr, true);
}

void cQuickSaveFrame::OpenBox(const char* text, i32 x) {
    boxOpen = 1;
    box_.Show(text, x);
    background_->id = 0;
    for (cControl* t : tabs_) t->id = 0;
    if (gSmartMouse)
        gMouseInput.MoveCursor(290, 262);
    else
        focus = 51;
}

void cQuickSaveFrame::CloseBox() {
    boxOpen = 0;
    box_.Hide();
    background_->id = kQuickBoxes;
    for (int k = 0; k < 4; ++k) tabs_[k]->id = kQuickTab0 + k;
    if (gSmartMouse)
        gMouseInput.MoveCursor(458, 170);
    else
        focus = 0;
}

// 0 for the upper (load) box, 1 for the lower (save) box, -1 for neither.
i32 cQuickSaveFrame::BoxAt(i32 mx, i32 my) const {
    if (!InRange(mx, 109, 530)) return -1;
    if (InRange(my, 106, 217)) return 0;
    if (InRange(my, 278, 389)) return 1;
    return -1;
}

void cQuickSaveFrame::ClickBoxes() {
    i32 which = BoxAt(gMouseInput.x, gMouseInput.y);
    if (which < 0) return;
    for (SaveRowView& b : boxes) b.background->SetPics(boxPics_[0], nullptr, nullptr);
    if (which == 0) {
        boxMode = 0;
        if (!IsQuickSaveValid()) return;
        PlayUISound(kSndAsk);
        return OpenBox(B5("放棄目前進度？"), 250);
    }
    boxMode = 1;
    // A quick save that no longer reads is replaced only on yes as well.
    if (IsQuickSaveTaken()) {
        PlayUISound(kSndAsk);
        return OpenBox(B5("是否覆蓋？"), 275);
    }
    PlayUISound(kSndDone);
    QuickSave();
    ReadHeader();
}

void cQuickSaveFrame::ClickAsk() {
    i32 mx = gMouseInput.x, my = gMouseInput.y;
    if (!InRange(my, 239, 273)) return;
    if (InRange(mx, 320, 404)) {
        PlayUISound(kSndAsk);
        return CloseBox();
    }
    if (!InRange(mx, 235, 319)) return;
    PlayUISound(kSndDone);
    CloseBox();
    if (boxMode == 1) {
        QuickSave();
        return ReadHeader();
    }
    if (!LoadGameFromQuick(PrepareZoom)) return ReadHeader();
    FinishZoom(110, 110);
    result = 10;
    gFramePhase = 2;
}

void cQuickSaveFrame::Run() {
    FormatClock(playTime_, sizeof(playTime_));
    i32 clicked = gMouseInput.clickedId;
    gMouseInput.clickedId = 0;
    if (gMouseInput.rightClick || gKeyInput.IsPressed(kKeyCancel)) {
        gMouseInput.rightClick = 0;
        PlayUISound(kSndCancel);
        if (boxOpen) return CloseBox();
        result = 2;
        gFramePhase = 2;
        return;
    }
    if (clicked == kQuickBoxes) return ClickBoxes();
    if (clicked == kQuickBox) return ClickAsk();
    if (clicked == kQuickTab0 || clicked == kQuickTab0 + 1 || clicked == kQuickTab0 + 3) {
        PlayUISound(kSndPage);
        result = clicked - kQuickTab0;
        gFramePhase = 2;
        return;
    }
    static const u8 kKeys[3] = {kScanF1, kScanF2, kScanF4};
    static const i32 kResults[3] = {0, 1, 3};
    for (int k = 0; k < 3 && !boxOpen; ++k)
        if (gDInput.IsKeyDown(kKeys[k])) {
            PlayUISound(kSndPage);
            gKeyFocus = 0;
            result = kResults[k];
            gFramePhase = 2;
            return;
        }
    RunHover();
    RunKeys();
}

void cQuickSaveFrame::RunHover() {
    box_.highlight->Hide();
    tooltip->Hide();
    for (SaveRowView& b : boxes) b.background->SetPics(boxPics_[0], nullptr, nullptr);
    i32 hover = gMouseInput.hoverId;
    if (boxOpen) {
        if (hover == kQuickBox && InRange(gMouseInput.y, 239, 273)) {
            bool yes = gMouseInput.x < 320;
            box_.highlight->Move(yes ? 237 : 320, 239);
            box_.highlight->Show();
            focus = yes ? kFocusYes : kFocusNo;
        }
        return;
    }
    if (hover >= kQuickTab0 && hover < kQuickTab0 + kTabCount) {
        tooltip->SetText(B5(kTabNames[hover - kQuickTab0]));
        tooltip->Show();
        focus = hover - kQuickTab0;
        return;
    }
    i32 which = hover == kQuickBoxes ? BoxAt(gMouseInput.x, gMouseInput.y) : -1;
    if (which < 0) return;
    boxes[which].background->SetPics(boxPics_[1], nullptr, nullptr);
    tooltip->SetText(which == 0 ? B5("讀取進度") : B5("儲存進度"));
    tooltip->Show();
    focus = which == 0 ? kQuickFocusLoad : kQuickFocusSave;
}

void cQuickSaveFrame::FocusTo(i32 code) {
    i32 px = 0, py = 0;
    if (!FocusPoint(code, &px, &py)) return;
    focus = code;
    gMouseInput.MoveCursor(px, py);
}

void cQuickSaveFrame::RunKeys() {
    // Every key is asked each frame so that its repeat state stays current.
    bool up = gKeyInput.IsPressed(kKeyUp), down = gKeyInput.IsPressed(kKeyDown);
    bool left = gKeyInput.IsPressed(kKeyLeft), right = gKeyInput.IsPressed(kKeyRight);
    bool sw = gKeyInput.IsPressed(kKeySwitch);
    if (focus == kFocusYes || focus == kFocusNo) {
        if (up || down || left || right) FocusTo(focus == kFocusYes ? kFocusNo : kFocusYes);
        return;
    }
    // With the box open only its two halves take keys.
    if (boxOpen) return;
    if (focus == kQuickFocusLoad || focus == kQuickFocusSave) {
        if (up || down)
            FocusTo(focus == kQuickFocusLoad ? kQuickFocusSave : kQuickFocusLoad);
        else if (sw)
            FocusTo(0);
        return;
    }
    if (focus < 0 || focus >= kTabCount) return;
    if (left)
        FocusTo((focus + kTabCount - 1) % kTabCount);
    else if (right)
        FocusTo((focus + 1) % kTabCount);
    else if (sw)
        FocusTo(kQuickFocusLoad);
}

void cQuickSaveFrame::Close() {
    ReleaseFonts(fonts_);
    switch (result) {
        case 0:
            gFrameId = ScreenWord(Screen::Items);
            break;
        case 1:
            gFrameId = ScreenWord(Screen::Skills);
            break;
        case 2:
            gFrameId = kMapMode;
            gMenuRole = 0;
            break;
        case 3:
            gFrameId = ScreenWord(Screen::SystemMenu);
            break;
        case 10:
            gFrameId = ScreenWord(Screen::ZoomIn);
            break;
        default:
            break;
    }
}

// ---- notices ----

cQuickNoticeFrame::~cQuickNoticeFrame() {
    if (copy_) MH_FREE(copy_);
}

void cQuickNoticeFrame::TakeScreenCopy(u16* pixels) {
    if (copy_) MH_FREE(copy_);
    copy_ = pixels;
}

void cQuickNoticeFrame::Open() {
    screen = static_cast<Screen>(ScreenIdOf(gFrameId));
    if (screen != Screen::TitleQuickLoadNotice) {
        DrawWorld();
        TakeScreenCopy(CanvasCopy());
    }
    InitFont(&font_);
    SetupFont(&font_, 24, 24, kNoFontBk, 0x21405F);
    cControl* pic = new cControl(0, 0);
    pic->SetRlePic(copy_, 640, 480, 1024);
    cControl* dim = new cControl(0, 0);
    dim->SetRect(0, 0, 640, 480, 3, 0, 0, 0);
    cControl* box = new cControl(225, 195);
    box->SetPics(new cActPic(kUiAct, 43), nullptr, nullptr);
    i32 tx = 275;
    found = 0;
    // The title found the file. No game runs there, so its databases come first:
    // a save's item and monster blocks and its equipment are read against them.
    if (screen == Screen::TitleQuickLoadNotice) ReloadGameDatabase();
    if (screen == Screen::QuickSaveNotice) {
        text = B5("儲存中...");
    } else if (FindQuickSave()) {
        // A damaged quick save counts as none; the fault is named on stderr.
        found = 1;
        text = B5("讀取中...");
    } else {
        tx = 240;
        text = B5("沒有快取記錄！");
    }
    Text(tx, 247, &font_, kWhite, text);
    startTime = timeGetTime();
}

void cQuickNoticeFrame::Run() {
    if (timeGetTime() - startTime > kNoticeMs) gFramePhase = 2;
}

void cQuickNoticeFrame::Close() {
    gFrameId = kMapMode;
    if (screen == Screen::QuickSaveNotice) {
        QuickSave();
    } else if (found) {
        found = LoadGameFromQuick() ? 1 : 0;
    }
    // From the title without a loadable quick save there is no game to go to.
    if (screen == Screen::TitleQuickLoadNotice && !found) gFrameId = ScreenWord(Screen::Title);
    font_.Release();
    TakeScreenCopy(nullptr);
}

// ---- zoom ----

cZoomFrame::~cZoomFrame() {
    if (before) MH_FREE(before);
    if (after) MH_FREE(after);
}

void cZoomFrame::TakeCanvas(int which) {
    u16*& slot = which == 0 ? before : after;
    if (slot) MH_FREE(slot);
    slot = CanvasCopy();
}

void cZoomFrame::Open() {
    startTime = timeGetTime();
    cControl* pic = new cControl(0, 0);
    pic->SetRlePic(before, 640, 480, 1024);
    afterCtl = new cControl(x + 1, y + 1);
    afterCtl->SetRlePic(after, 640, 480, 220);
    cursorPic = new cActPic(9102, 0);
    gMouseInput.SetCursorPic(cursorPic);
}

void cZoomFrame::Run() {
    u32 t = timeGetTime() - startTime;
    if (t > kZoomMs) {
        gFramePhase = 2;
        return;
    }
    i32 s = static_cast<i32>(std::pow(1.182, static_cast<double>(t / 20)));
    afterCtl->zoom = static_cast<u32>(s + 221);
    afterCtl->Move(x - x * s / static_cast<i32>(kZoomMs), y - y * s / static_cast<i32>(kZoomMs));
}

void cZoomFrame::Close() {
    gFrameId = kMapMode;
    gMenuRole = 0;
    afterCtl = nullptr;
    if (gMouseInput.cursorPic == cursorPic) gMouseInput.SetCursorPic(nullptr);
    delete cursorPic;
    cursorPic = nullptr;
}

// ---- map mode's F10 ----

void QuickLoadKey() {
    PlayUISound(kSndDone);
    gFrameId = ScreenWord(Screen::QuickLoadNotice);
}
