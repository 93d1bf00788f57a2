// cSysPanel: the shared right-hand panel of the system screens, and the canvas copies.
#include "ui/SysPanel.h"

#include <cstdio>
#include <cstring>

#include "platform/Display.h"
#include "platform/TextCodec.h"
#include "engine/DDraw.h"
#include "engine/FrameState.h"
#include "engine/MemDbg.h"
#include "engine/PicPaint.h"
#include "map/SessionServices.h"
#include "story/Talk.h"
#include "ui/ActPic.h"
#include "ui/Control.h"

const char* const kSysRowNames[kSysRows] = {"　存　 檔",   "　讀　 檔",   "隊 形 設 定",
                                            "系 統 設 定", "任 務 記 載", "離 開 遊 戲"};
const char* const kTabNames[kTabCount] = {"物　 品", "特　 技", "快　 取", "系　 統"};

namespace {
constexpr i32 kPanelAct = 9900;
constexpr u32 kWhite = 0xFFFFFF;
}  // namespace

void FormatPlayTime(char* out, size_t n, u32 t) {
    std::snprintf(out, n, "%u:%02u:%02u", t / 3600 % 60, t / 60 % 60, t % 60);
}

void cSysPanel::Make(i32 id, const char* titleText, i32 titleX, int activeTab) {
    SysPanelLook look;
    look.listId = id;
    look.title = titleText;
    look.titleX = titleX;
    look.ownTab = activeTab;
    Make(look);
}

void cSysPanel::Make(const SysPanelLook& look) {
    listId = look.listId;
    tabBase = look.tabBase;
    InitFont(&large);
    SetupFont(&large, 20, 22, kNoFontBk, 0x1E3855);
    InitFont(&tip);
    SetupFont(&tip, 15, 17, kNoFontBk, 0x595959);
    InitFont(&small);
    SetupFont(&small, 16, 18, kNoFontBk, 0);
    for (int k = 0; k < kTabCount; ++k) {
        int action = (k == look.ownTab) ? 17 + 2 * k : 16 + 2 * k;
        tabs[k] = new cControl(450 + 45 * k, 0);
        tabs[k]->SetButton(tabBase + k, new cActPic(kPanelAct, action), nullptr, nullptr);
    }
    list = new cControl(kSysListX, kSysListY);
    list->SetButton(listId, new cActPic(kPanelAct, look.listPic),
                    new cActPic(kPanelAct, look.listHoverPic), nullptr);
    bar = new cControl(448, kSysRowTop);
    bar->SetPics(new cActPic(kPanelAct, 5), nullptr, nullptr);
    bar->Hide();
    const char* const* names = look.captions ? look.captions : kSysRowNames;
    for (int k = 0; k < kSysRows; ++k) {
        captions[k] = new cControl(look.captionX, 100 + 40 * k);
        captions[k]->SetFont(&large, kWhite, kStyleBoldOutline);
        captions[k]->SetText(B5(names[k]));
    }
    title = new cControl(look.titleX, 55);
    title->SetFont(&large, kWhite, kStyleBoldOutline);
    title->SetText(look.title);
    money = new cControl(510, 390);
    money->SetFont(&small, kWhite, kStyleBoldOutline);
    money->SetNumber(reinterpret_cast<const i32*>(&gScriptVars[0]), 1);
    Refresh();
    time = new cControl(540, 440);
    time->SetFont(&small, kWhite, kStyleBoldOutline);
    time->SetText(timeText);
    tipText = new cControl(look.hintX, look.hintY);
    tipText->SetFont(&tip, kWhite, kStyleOutline);
    tipText->Hide();
}

void cSysPanel::Refresh() {
    FormatPlayTime(timeText, sizeof(timeText), gGameTime);
}

int cSysPanel::RowAt(i32 y) {
    if (y < kSysRowTop || y >= kSysRowTop + kSysRowStep * kSysRows) return -1;
    return (y - kSysRowTop) / kSysRowStep;
}

int cSysPanel::TabOf(i32 id) {
    return (id >= kTabFirstId && id < kTabFirstId + kTabCount) ? id - kTabFirstId : -1;
}

int cSysPanel::TabAt(i32 id) const {
    return (id >= tabBase && id < tabBase + kTabCount) ? id - tabBase : -1;
}

void cSysPanel::ShowTip(int tab) {
    if (!tipText) return;
    tipText->SetText(B5(kTabNames[tab]));
    tipText->Show();
}

void cSysPanel::HideMarks() {
    if (tipText) tipText->Hide();
    if (bar) bar->Hide();
}

int cSysPanel::Hover(i32 hoverId, i32 mouseY) {
    HideMarks();
    if (hoverId == listId && listId != 0) {
        int k = RowAt(mouseY);
        if (k < 0) return -1;
        bar->Move(448, kSysRowTop + kSysRowStep * k);
        bar->Show();
        return k;
    }
    int tab = TabAt(hoverId);
    if (tab < 0) return -1;
    ShowTip(tab);
    return 10 + tab;
}

void cSysPanel::Release() {
    large.Release();
    tip.Release();
    small.Release();
    for (cControl*& c : tabs) c = nullptr;
    for (cControl*& c : captions) c = nullptr;
    list = bar = title = money = time = tipText = nullptr;
}

void PasteCanvasPixels(const u16* pixels) {
    if (!pixels || !gDrawSurface) return;
    i32 pitch = 0, w = 0, h = 0;
    DisplaySurfaceSize(gDrawSurface, &w, &h, &pitch);
    u16* dst = DisplayLock(gDrawSurface, &pitch);
    if (!dst) return;
    if (w >= 640 && h >= 480)
        for (i32 y = 0; y < 480; ++y)
            std::memcpy(reinterpret_cast<u8*>(dst) + y * pitch, pixels + y * 640, 640 * 2);
    DisplayUnlock(gDrawSurface);
}
