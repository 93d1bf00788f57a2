// cMainMenuFrame: open, run and close of the title menu.
#include "ui/MainMenu.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "base/DataError.h"
#include "platform/Display.h"
#include "platform/TextCodec.h"
#include "engine/DDraw.h"
#include "engine/DInput.h"
#include "engine/DataErrors.h"
#include "engine/File.h"
#include "engine/FrameState.h"
#include "engine/MemDbg.h"
#include "sound/BinkPlayer.h"
#include "sound/Sound.h"
#include "data/Config.h"
#include "data/KeyBindings.h"
#include "data/Options.h"
#include "map/GameMusic.h"
#include "map/SessionServices.h"
#include "map/SystemServices.h"
#include "ui/ActPic.h"
#include "ui/Control.h"
#include "ui/SaveScreens.h"
#include "ui/ScreenLink.h"
#include "ui/ScreenState.h"
#include "ui/UiInput.h"

u32 gOpeningVideoPending = 1;

namespace {
constexpr u32 kShadowLarge = 0x21405F;
constexpr u32 kVersionColour = 0x60A0B8;

}  // namespace

void ResetMainMenu() {
    gOpeningVideoPending = 1;
}

void cMainMenuFrame::MakeControls() {
    second_ = new cActPic(kTitleAct, titleAction + 3);
    background_ = new cActPic(kTitleAct, titleAction);
    controls_[0] = new cControl(5, 90);
    controls_[0]->SetPics(second_, nullptr, nullptr);
    controls_[1] = new cControl(0, 0);
    controls_[1]->SetPics(background_, nullptr, nullptr);
    for (int k = 0; k < kTitleButtons; ++k) {
        pics_[2 * k] = new cActPic(kTitleAct, 7 + 2 * k);
        pics_[2 * k + 1] = new cActPic(kTitleAct, 8 + 2 * k);
        controls_[2 + k] = new cControl(25 + 150 * k, 412);
        controls_[2 + k]->SetButton(kTitleNewGame + k, pics_[2 * k], pics_[2 * k + 1], nullptr);
    }
}

void cMainMenuFrame::Open() {
    result = kTitleNone;
    InitFont(&largeFont);
    SetupFont(&largeFont, 20, 20, kNoFontBk, kShadowLarge);
    InitFont(&smallFont);
    SetupFont(&smallFont, 12, 12, kNoFontBk, 0);
    titleAction = RandomBetween(1, 4);
    MakeControls();
    // Another screen may have left a focus of its own (the system menu's quit row
    // leaves 5): one that names none of the four buttons starts on the first.
    i32 k = gKeyFocus >= 0 && gKeyFocus < kTitleButtons ? gKeyFocus : 0;
    if (gSmartMouse)
        gMouseInput.MoveCursor(TitleButtonX(k), kTitleButtonY);
    else
        gMouseInput.MoveCursor(320, 240);
    focus = kTitleNewGame + k;
    // A key held when the title opens is no fresh press.
    f10Down_ = gDInput.IsKeyDown(kScanF10) ? 1 : 0;
    if (gOpeningVideoPending) {
        gOpeningVideoPending = 0;
        FindMusicDisc();
        InitBinkOutput(gVideoTarget.layout, 0, gSound.GetDigDriver());
        BindVideoToPrimary();
        PlayVideo("MH OPENING.BIK");
    }
    cControl* label = new cControl(2, 2);
    label->SetFont(&smallFont, kVersionColour, kStyleShadow);
    label->SetText("V 1.01");
    controls_[kTitleButtons + 2] = label;
}

void cMainMenuFrame::MoveToButton(i32 id) {
    gMouseInput.MoveCursor(TitleButtonX(id - kTitleNewGame), kTitleButtonY);
}

void cMainMenuFrame::RunKeys() {
    // Every key is asked each frame so that its held state stays current.
    bool back = gKeyInput.IsPressed(kKeyUp) | gKeyInput.IsPressed(kKeyLeft);
    bool next = gKeyInput.IsPressed(kKeyDown) | gKeyInput.IsPressed(kKeyRight) |
                gKeyInput.IsPressed(kKeySwitch);
    bool stay = gKeyInput.IsPressed(kKeyPageUp) | gKeyInput.IsPressed(kKeyPageDown);
    if (back)
        MoveToButton(focus == kTitleNewGame ? kTitleQuit : focus - 1);
    else if (next)
        MoveToButton(focus == kTitleQuit ? kTitleNewGame : focus + 1);
    else if (stay)
        MoveToButton(focus);
}

void cMainMenuFrame::RunQuickLoadKey() {
    u32 down = gDInput.IsKeyDown(kScanF10) ? 1 : 0;
    bool fresh = down && !f10Down_;
    f10Down_ = down;
    if (!fresh) return;
    char path[kPathSize + 32];
    std::snprintf(path, sizeof(path), "%sSave\\Quick.sav", gBasePath);
    cFile f;
    if (f.Open(path, OPEN_EXISTING, GENERIC_READ)) {
        result = kTitleResQuick;
        gFramePhase = 2;
    } else if (!f.NotThere()) {
        ReportDataError(
            DataError::Unplaced(path, std::string("cannot be read (") + f.GetErrorText() + ")"));
    }
    f.Close();
}

void cMainMenuFrame::Run() {
    RunKeys();
    RunQuickLoadKey();
    i32 clicked = gMouseInput.clickedId;
    if (clicked >= kTitleNewGame && clicked <= kTitleQuit) {
        gMouseInput.clickedId = 0;
        PlayUISound(261);
        result = kTitleResNew + (clicked - kTitleNewGame);
        gFramePhase = 2;
    }
    if (gMouseInput.hoverId >= kTitleNewGame && gMouseInput.hoverId <= kTitleQuit)
        focus = gMouseInput.hoverId;
}

void cMainMenuFrame::DeleteOwnObjects() {
    for (cControl*& c : controls_) {
        delete c;
        c = nullptr;
    }
    for (cActPic*& p : pics_) {
        delete p;
        p = nullptr;
    }
    delete background_;
    delete second_;
    background_ = second_ = nullptr;
}

void cMainMenuFrame::Close() {
    gFrameId = kMapMode;
    largeFont.Release();
    smallFont.Release();
    DeleteOwnObjects();
    switch (result) {
        case kTitleResNew:
            StopMusic();
            NewGameData();
            break;
        case kTitleResLoad:
            gFrameId = ScreenWord(Screen::TitleLoadSlots);
            break;
        case kTitleResSettings:
            gFrameId = ScreenWord(Screen::TitleSettings);
            break;
        case kTitleResQuit:
            gFrameId = kQuitFrameId;
            break;
        case kTitleResQuick: {
            // The notice shows the title as it was last shown while it loads.
            delete gQuickNoticeFrame;
            gQuickNoticeFrame = new cQuickNoticeFrame();
            gQuickNoticeFrame->TakeScreenCopy(CopyCanvasPixels());
            gFrameId = ScreenWord(Screen::TitleQuickLoadNotice);
            break;
        }
        default:
            break;
    }
}
