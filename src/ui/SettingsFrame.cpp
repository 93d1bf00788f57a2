// cSettingsFrame: the settings screen, its key-name table and its keyboard walk.
#include "ui/SettingsFrame.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "platform/TextCodec.h"
#include "platform/Win.h"
#include "engine/DInput.h"
#include "sound/Music.h"
#include "sound/Redbook.h"
#include "data/Config.h"
#include "data/Options.h"
#include "map/SystemServices.h"
#include "ui/ActPic.h"
#include "ui/ScreenState.h"
#include "ui/SystemMenu.h"
#include "ui/UiInput.h"

namespace {
constexpr i32 kAct = 9906;
constexpr u32 kLabelColour = 0x494B51, kLabelOutline = 0xC7CDD1;
constexpr u32 kNameColour = 0x884321, kNameOutline = 0xD5CCB8;
constexpr i32 kSliderY[kSliderCount] = {85, 110, 135, 160};
// Arrow ids by slider: left (down), right (up).
constexpr i32 kArrowIds[kSliderCount][2] = {{5020, 5021}, {5022, 5023}, {5026, 5027}, {5024, 5025}};
constexpr i32 kCacheSizes[3] = {45, 60, 80};
constexpr i32 kCacheX[3] = {123, 223, 323};
constexpr i32 kBarX = 136, kBarWidth = 190;
constexpr u32 kDefaultKeys[kBoundKeys] = {0xC8, 0xD0, 0xCB, 0xCD, 0xC9, 0xD1,
                                          0x1C, 0x01, 0x0F, 0x13, 0x1E};
const char* const kSliderLabels[5] = {"WAVE音樂", " 音　效", "ＣＤ音源", "文字速度", "置換空間"};
const char* const kKeyLabels[kBoundKeys] = {"　 上",    "　 下",   "　 左",   "　 右",
                                            " 上一頁",  " 下一頁", " 確　定", " 取　消",
                                            "切換視窗", " 跑　步", "自動攻擊"};
// Key-row bands of the background: y from, y to (inclusive) by key index.
constexpr i32 kKeyBand[kBoundKeys][2] = {{256, 277}, {255, 277}, {281, 302}, {280, 302},
                                         {306, 327}, {305, 327}, {331, 352}, {330, 352},
                                         {356, 377}, {355, 377}, {380, 402}};

struct KeyNameEntry {
    u8 code;
    const char* name;
};
constexpr KeyNameEntry kKeyNames[] = {
    {0x01, "Escape"},      {0x02, "1"},         {0x03, "2"},
    {0x04, "3"},           {0x05, "4"},         {0x06, "5"},
    {0x07, "6"},           {0x08, "7"},         {0x09, "8"},
    {0x0A, "9"},           {0x0B, "0"},         {0x0C, "-"},
    {0x0D, "="},           {0x0E, "BackSpace"}, {0x0F, "Tab"},
    {0x10, "Q"},           {0x11, "W"},         {0x12, "E"},
    {0x13, "R"},           {0x14, "T"},         {0x15, "Y"},
    {0x16, "U"},           {0x17, "I"},         {0x18, "O"},
    {0x19, "P"},           {0x1A, "["},         {0x1B, "]"},
    {0x1C, "Enter"},       {0x1D, "L-Ctrl"},    {0x1E, "A"},
    {0x1F, "S"},           {0x20, "D"},         {0x21, "F"},
    {0x22, "G"},           {0x23, "H"},         {0x24, "J"},
    {0x25, "K"},           {0x26, "L"},         {0x27, ";"},
    {0x28, "'"},           {0x29, "`"},         {0x2A, "L-Shift"},
    {0x2B, "\\"},          {0x2C, "Z"},         {0x2D, "X"},
    {0x2E, "C"},           {0x2F, "V"},         {0x30, "B"},
    {0x31, "N"},           {0x32, "M"},         {0x33, ","},
    {0x34, "."},           {0x35, "/"},         {0x36, "R-Shift"},
    {0x37, "*"},           {0x38, "L-Alt"},     {0x39, "Space"},
    {0x3A, "Caps Lock"},   {0x3B, "F1"},        {0x3C, "F2"},
    {0x3D, "F3"},          {0x3E, "F4"},        {0x3F, "F5"},
    {0x40, "F6"},          {0x41, "F7"},        {0x42, "F8"},
    {0x43, "F9"},          {0x44, "F10"},       {0x45, "Num Lock"},
    {0x46, "Scroll Lock"}, {0x47, "Numpad 7"},  {0x48, "Numpad 8"},
    {0x49, "Numpad 9"},    {0x4A, "Numpad -"},  {0x4B, "Numpad 4"},
    {0x4C, "Numpad 5"},    {0x4D, "Numpad 6"},  {0x4E, "Numpad +"},
    {0x4F, "Numpad 1"},    {0x50, "Numpad 2"},  {0x51, "Numpad 3"},
    {0x52, "Numpad 0"},    {0x53, "Numpad ."},  {0x57, "F11"},
    {0x58, "F12"},         {0x64, "F13"},       {0x65, "F14"},
    {0x66, "F15"},         {0x70, "Kana"},      {0x79, "Convert"},
    {0x7B, "NoConvert"},   {0x7D, "Yen"},       {0x8D, "n="},
    {0x90, "CircumFlex"},  {0x91, "At"},        {0x92, "Colon"},
    {0x93, "UnderLine"},   {0x94, "Kanji"},     {0x95, "Stop"},
    {0x96, "AX"},          {0x97, "Unlabeled"}, {0x9C, "Numpad Enter"},
    {0x9D, "R-Ctrl"},      {0xB3, "n,"},        {0xB5, "n/"},
    {0xB7, "SysRq"},       {0xB8, "R-Alt"},     {0xC7, "Home"},
    {0xC8, "Arrow Up"},    {0xC9, "Page Up"},   {0xCB, "Arrow Left"},
    {0xCD, "Arrow Right"}, {0xCF, "End"},       {0xD0, "Arrow Down"},
    {0xD1, "Page Down"},   {0xD2, "Insert"},    {0xD3, "Delete"},
    {0xDB, "L-Win"},       {0xDC, "R-Win"},     {0xDD, "AppMenu"},
};

bool Inside(i32 v, i32 lo, i32 hi) {
    return v >= lo && v <= hi;
}
// The key (0..10) whose row band of the background holds (x, y), or -1.
int KeyRowAt(i32 x, i32 y) {
    for (int k = 0; k < kBoundKeys; ++k) {
        bool left = k % 2 == 0;
        if (Inside(x, left ? 33 : 231, left ? 220 : 418) &&
            Inside(y, kKeyBand[k][0], kKeyBand[k][1]))
            return k;
    }
    return -1;
}
// The map-cache caption (0..2) at column x of its row, or -1.
int CacheCaptionAt(i32 x) {
    const i32 lo[3] = {153, 256, 356}, hi[3] = {212, 312, 412};
    for (int k = 0; k < 3; ++k)
        if (Inside(x, lo[k], hi[k])) return k;
    return -1;
}
// The focus code of the part of the background at (x, y) that a click acts
// on: a slider bar (0..3), the map-cache captions (4), a box caption (5, 6)
// or a key row (10 + key); -1 none.
i32 BackgroundFocusAt(i32 x, i32 y) {
    for (int s = 0; s < kSliderCount; ++s)
        if (Inside(y, kSliderY[s], kSliderY[s] + 13) && Inside(x, kBarX, 326)) return s;
    if (Inside(y, 185, 198) && CacheCaptionAt(x) >= 0) return 4;
    if (Inside(y, 210, 222) && Inside(x, 153, 233)) return 5;
    if (Inside(y, 210, 222) && Inside(x, 273, 353)) return 6;
    int k = KeyRowAt(x, y);
    return k >= 0 ? 10 + k : -1;
}
// Keys the capture never takes: none, F1-F10, F11, F12.
bool Refused(int code) {
    return code <= 0 || (code >= 59 && code <= 68) || code == 87 || code == 88;
}
// Clicks made while a key is being taken are dropped: kept, they would act on
// the screen once the key is taken.
void DropClicks() {
    gMouseInput.rightClick = 0;
    gMouseInput.clickedId = 0;
}
cControl* Text(cGrpFont* f, i32 x, i32 y, const char* big5, u32 colour, i32 style) {
    cControl* c = new cControl(x, y);
    c->SetFont(f, colour, style);
    c->SetText(big5);
    return c;
}
i32 FocusPointX(i32 f) {
    if (f >= 0 && f <= 4) return 100;
    if (f == 5) return 220;
    if (f == 6) return 340;
    if (f >= 10 && f <= 20) return ((f - 10) % 2) ? 298 : 100;
    if (f == 40) return 275;
    if (f == 41) return 403;
    if (f >= 50 && f <= 53) return TabPointX(f - 50);
    return SysRowPointX();
}
i32 FocusPointY(i32 f) {
    if (f >= 0 && f <= 4) return 93 + 25 * f;
    if (f == 5 || f == 6) return 218;
    if (f >= 10 && f <= 20) return 270 + 25 * ((f - 10) / 2);
    if (f == 40 || f == 41) return 445;
    if (f >= 50 && f <= 53) return kTabPointY;
    return SysRowPointY(f - 60);
}
// The settings rows top to bottom; each holds one or two focus codes.
constexpr i32 kRows[][2] = {{0, -1},  {1, -1},  {2, -1},  {3, -1},  {4, -1},  {5, 6},  {10, 11},
                            {12, 13}, {14, 15}, {16, 17}, {18, 19}, {20, -1}, {40, 41}};
constexpr int kRowCount = sizeof(kRows) / sizeof(kRows[0]);
int RowOf(i32 f, int* column) {
    for (int r = 0; r < kRowCount; ++r)
        for (int c = 0; c < 2; ++c)
            if (kRows[r][c] == f) {
                *column = c;
                return r;
            }
    *column = 0;
    return 0;
}
i32 AtRow(int r, int column) {
    r = (r + kRowCount) % kRowCount;
    return (column == 1 && kRows[r][1] >= 0) ? kRows[r][1] : kRows[r][0];
}
}  // namespace

const char* KeyName(u32 code) {
    if (code == 0) return B5("請按一個鍵");
    for (const KeyNameEntry& e : kKeyNames)
        if (e.code == code) return e.name;
    return "??";
}

i32 SliderValueAt(i32 x) {
    i32 d = x - kBarX;
    if (d < 0) return 0;
    return std::min<i32>(11, (d + 8) / 17);
}

i32* cSettingsFrame::SliderValue(int s) {
    switch (s) {
        case 0:
            return &music;
        case 1:
            return reinterpret_cast<i32*>(&gSfxVolume);  // the effects slider edits it itself
        case 2:
            return &cdVolume;
        default:
            return &textSpeed;
    }
}

void cSettingsFrame::MakeSliders() {
    for (int s = 0; s < kSliderCount; ++s) {
        i32 y = kSliderY[s];
        Text(&labelFont_, 44, y, B5(kSliderLabels[s]), kLabelColour, kStyleOutline);
        cControl* left = new cControl(118, y);
        left->SetButton(kArrowIds[s][0], new cActPic(kAct, 10), nullptr, new cActPic(kAct, 11));
        cControl* right = new cControl(332, y);
        right->SetButton(kArrowIds[s][1], new cActPic(kAct, 12), nullptr, new cActPic(kAct, 13));
        barPics_[s] = new cActPic(kAct, 7);
        cControl* bar = new cControl(kBarX, y);
        bar->SetPics(barPics_[s], nullptr, nullptr);
        bars[s] = cScrollBar{};
        bars[s].Init(right, left, nullptr, 0, 0, 0);
        bars[s].value = SliderValue(s);
        bars[s].minimum = 0;
        bars[s].maximum = 11;
        bars[s].arrowStep = 1;
        shown[s] = -1;
    }
    Text(&labelFont_, 44, 185, B5(kSliderLabels[4]), kLabelColour, kStyleOutline);
    Text(&labelFont_, 44, 210, B5(" 其　他"), kLabelColour, kStyleOutline);
}

void cSettingsFrame::MakeKeys() {
    for (int k = 0; k < kBoundKeys; ++k) {
        i32 y = 260 + 25 * (k / 2);
        Text(&labelFont_, (k % 2) ? 242 : 44, y, B5(kKeyLabels[k]), kLabelColour, kStyleOutline);
        keyNames_[k] =
            Text(&nameFont_, 119 + 198 * (k % 2), y, KeyName(keys[k]), kNameColour, kStyleOutline);
    }
    captureFrame_ = new cControl(35, 258);
    captureFrame_->SetPics(new cActPic(kAct, 1), nullptr, nullptr);
    captureFrame_->Hide();
}

void cSettingsFrame::MakeControls() {
    cControl* bg = new cControl(0, 0);
    cActPic* bgPic = screen == Screen::TitleSettings ? new cActPic(9002, 18 + RandomBetween(0, 3))
                                                     : new cActPic(kAct, 0);
    bg->SetButton(kSetBackgroundId, bgPic, nullptr, nullptr);
    MakeSliders();
    const char* cacheText[3] = {"100Mb", "120Mb", "140Mb"};
    for (int k = 0; k < 3; ++k) {
        cControl* b = new cControl(kCacheX[k], 182);
        b->SetButton(kSetCacheFirstId + k, new cActPic(kAct, 2), nullptr, nullptr);
        Text(&nameFont_, 164 + 100 * k, 185, cacheText[k], kNameColour, kStyleOutline);
    }
    cacheMarker_ = new cControl(kCacheX[1], 182);
    cacheMarker_->SetPics(new cActPic(kAct, 4), nullptr, nullptr);
    const i32 boxX[2] = {122, 242};
    const i32 boxIds[2] = {kSetBattleBoxId, kSetMouseBoxId};
    for (int k = 0; k < 2; ++k) {
        cControl* b = new cControl(boxX[k], 207);
        b->SetButton(boxIds[k], new cActPic(kAct, 2), nullptr, nullptr);
        ticks_[k] = new cControl(boxX[k], 207);
        ticks_[k]->SetPics(new cActPic(kAct, 4), nullptr, nullptr);
    }
    Text(&nameFont_, 164, 210, B5("即時戰鬥"), kNameColour, kStyleOutline);
    Text(&nameFont_, 286, 210, B5("智慧滑鼠"), kNameColour, kStyleOutline);
    MakeKeys();
    cControl* ok = new cControl(185, 420);
    ok->SetButton(kSetOkId, new cActPic(9904, 9), new cActPic(9904, 10), nullptr);
    Text(&buttonFont_, 205, 435, B5(" 確　定"), 0xFFFFFF, kStyleBoldOutline);
    cControl* reset = new cControl(313, 420);
    reset->SetButton(kSetResetId, new cActPic(9904, 9), new cActPic(9904, 10), nullptr);
    Text(&buttonFont_, 333, 435, B5("起始設定"), 0xFFFFFF, kStyleBoldOutline);
    if (screen == Screen::Settings) panel_.Make(kSetListId, B5("系 統 設 定"), 480, 3);
    ShowChoices();
}

void cSettingsFrame::Open() {
    screen =
        IsScreenWord(gFrameId, Screen::TitleSettings) ? Screen::TitleSettings : Screen::Settings;
    result = 0;
    capturing = 0;
    keyIndex = -1;
    cooldownEnd = 0;
    focus = -1;
    sfx = static_cast<i32>(gSfxVolume);
    music = static_cast<i32>(gMusicVolume);
    swap = static_cast<i32>(gSwapSpace);
    textSpeed = static_cast<i32>(gTextSpeed);
    cdVolume = static_cast<i32>(gCdVolume);
    realTime = static_cast<i32>(gRealTimeBattle);
    smartMouse = static_cast<i32>(gSmartMouse);
    std::memcpy(keys, gKeyBindings, sizeof(keys));
    InitFont(&labelFont_);
    SetupFont(&labelFont_, 15, 15, kNoFontBk, kLabelOutline);
    InitFont(&nameFont_);
    SetupFont(&nameFont_, 15, 15, kNoFontBk, kNameOutline);
    InitFont(&buttonFont_);
    SetupFont(&buttonFont_, 20, 22, kNoFontBk, 0x21405F);
    InitFont(&captionFont_);
    SetupFont(&captionFont_, 15, 17, kNoFontBk, 0x595959);
    MakeControls();
    RefreshSliders(true);
    if (gSmartMouse)
        MoveToFocus(40);
    else
        focus = 40;
}

void cSettingsFrame::ShowChoices() {
    for (int k = 0; k < 3; ++k)
        if (swap == kCacheSizes[k]) cacheMarker_->Move(kCacheX[k], 182);
    realTime ? ticks_[0]->Show() : ticks_[0]->Hide();
    smartMouse ? ticks_[1]->Show() : ticks_[1]->Hide();
}

void cSettingsFrame::ShowKeyNames() {
    for (int k = 0; k < kBoundKeys; ++k) keyNames_[k]->SetText(KeyName(keys[k]));
}

void cSettingsFrame::RefreshSliders(bool force) {
    for (int s = 0; s < kSliderCount; ++s) {
        i32* v = SliderValue(s);
        *v = std::clamp(*v, 0, 11);
        cActPic* pic = barPics_[s];
        // A picture is measured once it has been drawn: size it again then.
        bool unsized = pic && pic->frame && pic->drawH == 0;
        if (!force && *v == shown[s] && !unsized) continue;
        shown[s] = *v;
        if (pic) pic->SetSize(std::max(1, *v * kBarWidth / 11), pic->frame ? pic->Height() : -1);
        if (s == 0) gMusic.SetVolume(VolumeTo127(static_cast<u32>(*v)));
        if (s == 2 && gRedbook) gRedbook->SetVolume(VolumeTo127(static_cast<u32>(*v)));
    }
}

void cSettingsFrame::StepCache(int step) {
    int k = 1;
    for (int i = 0; i < 3; ++i)
        if (swap == kCacheSizes[i]) k = i;
    swap = kCacheSizes[(k + step + 3) % 3];
    ShowChoices();
}

void cSettingsFrame::ApplySettings() {
    sfx = static_cast<i32>(gSfxVolume);
    gMusicVolume = static_cast<u32>(music);
    gSwapSpace = static_cast<u32>(swap);
    gTextSpeed = static_cast<u32>(textSpeed);
    gCdVolume = static_cast<u32>(cdVolume);
    gRealTimeBattle = static_cast<u32>(realTime);
    gSmartMouse = static_cast<u32>(smartMouse);
    std::memcpy(gKeyBindings, keys, sizeof(keys));
    ApplyKeyBindings();
    SaveOptions(true);
}

void cSettingsFrame::ResetSettings() {
    PlayUISound(261);
    gSfxVolume = 6;
    music = 6;
    cdVolume = 2;
    swap = 60;
    textSpeed = 6;
    realTime = 0;
    for (int k = 0; k < kBoundKeys; ++k) keys[k] = kDefaultKeys[k];
    RefreshSliders(true);
    ShowChoices();
    ShowKeyNames();
    ApplySettings();
}

void cSettingsFrame::Leave(i32 code, int sound) {
    LeaveScreen(&result, code, sound);
}

void cSettingsFrame::MoveToFocus(i32 f) {
    focus = f;
    gMouseInput.MoveCursor(FocusPointX(f), FocusPointY(f));
}

bool cSettingsFrame::RunLeaving() {
    i32 clicked = gMouseInput.clickedId;
    if (clicked == kSetOkId) {
        gMouseInput.clickedId = 0;
        PlayUISound(265);
        ApplySettings();
        result = 1;
        gFramePhase = 2;
        return true;
    }
    if (clicked == kSetResetId) {
        gMouseInput.clickedId = 0;
        ResetSettings();
        return false;
    }
    if (screen == Screen::Settings && clicked == kSetListId) {
        gMouseInput.clickedId = 0;
        const i32 codes[kSysRows] = {2, 3, 4, 0, 5, 6};
        int row = cSysPanel::RowAt(gMouseInput.y);
        if (row >= 0 && codes[row]) {
            Leave(codes[row], 261);
            return true;
        }
        return false;
    }
    int tab = screen == Screen::Settings ? cSysPanel::TabOf(clicked) : -1;
    if (tab >= 0) {
        gMouseInput.clickedId = 0;
        Leave(tab == 3 ? 1 : 7 + tab, tab == 3 ? 263 : 261);
        return true;
    }
    if (gMouseInput.rightClick || gKeyInput.IsPressed(kKeyCancel)) {
        gMouseInput.rightClick = 0;
        Leave(1, 263);
        return true;
    }
    const i32 codes[4] = {7, 8, 9, 1};
    return screen == Screen::Settings && LeaveByFunctionKey(&result, codes);
}

void cSettingsFrame::RunBackgroundClick() {
    i32 clicked = gMouseInput.clickedId;
    i32 x = gMouseInput.x, y = gMouseInput.y;
    if (clicked >= kSetCacheFirstId && clicked < kSetCacheFirstId + 3) {
        gMouseInput.clickedId = 0;
        PlayUISound(261);
        swap = kCacheSizes[clicked - kSetCacheFirstId];
        ShowChoices();
        return;
    }
    if (clicked == kSetBattleBoxId || clicked == kSetMouseBoxId) {
        gMouseInput.clickedId = 0;
        PlayUISound(261);
        i32& v = clicked == kSetBattleBoxId ? realTime : smartMouse;
        v = !v;
        ShowChoices();
        return;
    }
    if (clicked != kSetBackgroundId) return;
    gMouseInput.clickedId = 0;
    const i32 part = BackgroundFocusAt(x, y);
    if (part < 0) return;
    PlayUISound(261);
    if (part < kSliderCount) {
        *SliderValue(part) = SliderValueAt(x);
        return;
    }
    if (part < 10) {
        if (part == 4) swap = kCacheSizes[CacheCaptionAt(x)];
        if (part == 5) realTime = !realTime;
        if (part == 6) smartMouse = !smartMouse;
        ShowChoices();
        return;
    }
    const int k = part - 10;
    capturing = 1;
    keyIndex = k;
    captureStart = timeGetTime();
    captureFrame_->Move(k % 2 == 0 ? 35 : 233, 260 + 25 * (k / 2) - 2);
    captureFrame_->Show();
}

void cSettingsFrame::RunCapture() {
    if (timeGetTime() - captureStart < kCaptureDelayMs) return;
    int code = gDInput.GetFirstKey();
    if (Refused(code)) return;
    keys[keyIndex] = static_cast<u32>(code);
    for (int k = 0; k < kBoundKeys; ++k)
        if (k != keyIndex && keys[k] == static_cast<u32>(code)) keys[k] = 0;
    ShowKeyNames();
    captureFrame_->Hide();
    capturing = 0;
    PlayUISound(265);
    // The key just taken must not act on the screen at once.
    cooldownEnd = timeGetTime() + kCaptureCooldownMs;
}

void cSettingsFrame::RunKeys() {
    int up = gKeyInput.IsPressed(kKeyUp), down = gKeyInput.IsPressed(kKeyDown);
    int left = gKeyInput.IsPressed(kKeyLeft), right = gKeyInput.IsPressed(kKeyRight);
    int sw = gKeyInput.IsPressed(kKeySwitch);
    int page = gKeyInput.IsPressed(kKeyPageUp) | gKeyInput.IsPressed(kKeyPageDown);
    i32 f = focus < 0 ? 40 : focus;
    bool onTab = f >= 50 && f <= 53, onList = f >= 60;
    if (sw) {
        if (screen == Screen::TitleSettings) return;
        MoveToFocus(onTab ? 60 : onList ? 0 : 50);
        return;
    }
    if (left || right) {
        int step = right ? 1 : -1;
        if (f <= 3) {
            PlayUISound(261);
            *SliderValue(f) += step;  // the next tick clamps it to 0..11
        } else if (f == 4) {
            PlayUISound(261);
            StepCache(step);
        } else if (onTab) {
            MoveToFocus(50 + (f - 50 + step + 4) % 4);
        } else if (!onList) {
            int col = 0;
            int r = RowOf(f, &col);
            if (kRows[r][1] >= 0) MoveToFocus(kRows[r][1 - col]);
        }
        return;
    }
    if (up || down) {
        int step = down ? 1 : -1;
        if (onTab) {
            if (down) MoveToFocus(60);
        } else if (onList) {
            MoveToFocus(60 + (f - 60 + step + kSysRows) % kSysRows);
        } else {
            int col = 0;
            int r = RowOf(f, &col);
            MoveToFocus(AtRow(r + step, col));
        }
        return;
    }
    if (page) MoveToFocus(f);
}

void cSettingsFrame::RunHover() {
    i32 id = gMouseInput.hoverId;
    if (screen == Screen::Settings) {
        int pf = panel_.Hover(id, gMouseInput.y);
        if (pf >= 10)
            focus = 50 + pf - 10;
        else if (pf >= 0)
            focus = 60 + pf;
        if (pf >= 0) return;
    }
    for (int s = 0; s < kSliderCount; ++s)
        if (id == kArrowIds[s][0] || id == kArrowIds[s][1]) focus = s;
    if (id >= kSetCacheFirstId && id < kSetCacheFirstId + 3) focus = 4;
    if (id == kSetBattleBoxId) focus = 5;
    if (id == kSetMouseBoxId) focus = 6;
    if (id == kSetOkId) focus = 40;
    if (id == kSetResetId) focus = 41;
    if (id == kSetBackgroundId) {
        i32 f = BackgroundFocusAt(gMouseInput.x, gMouseInput.y);
        if (f >= 0) focus = f;
    }
}

void cSettingsFrame::Run() {
    if (screen == Screen::Settings) panel_.Refresh();
    RefreshSliders(false);
    if (cooldownEnd && static_cast<i32>(timeGetTime() - cooldownEnd) < 0) return DropClicks();
    cooldownEnd = 0;
    if (capturing) {
        DropClicks();
        RunCapture();
        return;
    }
    for (cScrollBar& b : bars) b.Update();
    if (RunLeaving()) return;
    RunBackgroundClick();
    // Hover first: a key's cursor move is not seen by the hover until the next frame.
    RunHover();
    RunKeys();
}

void cSettingsFrame::Close() {
    ApplySettings();
    panel_.Release();
    labelFont_.Release();
    nameFont_.Release();
    buttonFont_.Release();
    captionFont_.Release();
    ClearFrameObjects();
    switch (result) {
        case 1:
            gFrameId =
                ScreenWord(screen == Screen::TitleSettings ? Screen::Title : Screen::SystemMenu);
            break;
        case 2:
            gFrameId = ScreenWord(Screen::SaveSlots);
            break;
        case 3:
            gFrameId = ScreenWord(Screen::LoadSlots);
            break;
        case 4:
            gFrameId = ScreenWord(Screen::Formation);
            break;
        case 5:
            gFrameId = ScreenWord(Screen::QuestLog);
            break;
        case 6:
            gFrameId = ScreenWord(Screen::BackToTitle);
            break;
        case 7:
            gFrameId = ScreenWord(Screen::Items);
            break;
        case 8:
            gFrameId = ScreenWord(Screen::Skills);
            break;
        case 9:
            gFrameId = ScreenWord(Screen::QuickSave);
            break;
        default:
            break;
    }
}
