// cExitFrame, cEndFrame and cTestEndFrame: open, run and close.
#include "ui/EndScreens.h"

#include "platform/TextCodec.h"
#include "platform/Win.h"
#include "engine/DDraw.h"
#include "engine/MemDbg.h"
#include "engine/ZoomBlit.h"
#include "sound/Music.h"
#include "data/KeyBindings.h"
#include "data/Options.h"
#include "map/GameMusic.h"
#include "map/MapDraw.h"
#include "map/SessionServices.h"
#include "map/ShadedBox.h"
#include "ui/ActPic.h"
#include "ui/Control.h"
#include "ui/ScreenLink.h"
#include "ui/ScreenState.h"
#include "ui/SysPanel.h"
#include "ui/UiInput.h"

namespace {
constexpr u32 kWhite = 0xFFFFFF;
constexpr i32 kBandTop = 239, kBandBottom = 274;
constexpr i32 kYesLeft = 235, kMiddle = 320, kNoRight = 405;
constexpr i32 kYesPointX = 298, kNoPointX = 382, kPointY = 262;
constexpr u32 kInputLockMs = 1000;
constexpr u32 kFadeMs = 1600;
constexpr u32 kTextScreenMs = 10000;

// Which half of the question box holds (x, y): 0 yes, 1 no, -1 neither.
int QuestionHalf(i32 x, i32 y) {
    if (y < kBandTop || y >= kBandBottom) return -1;
    if (x >= kYesLeft && x < kMiddle) return 0;
    if (x >= kMiddle && x < kNoRight) return 1;
    return -1;
}

cControl* WhiteText(cGrpFont* f, i32 x, i32 y, const char* utf8, u32 colour = kWhite) {
    cControl* c = new cControl(x, y);
    c->SetFont(f, colour, kStyleBoldOutline);
    c->SetText(B5(utf8));
    return c;
}
}  // namespace

// ---- leave-game question ----

cExitFrame::~cExitFrame() {
    if (screenCopy) MH_FREE(screenCopy);
}

void cExitFrame::Open() {
    result = 0;
    selection = -1;
    screen = IsScreenWord(gFrameId, Screen::LeaveGame) ? Screen::LeaveGame : Screen::BackToTitle;
    InitFont(&font);
    SetupFont(&font, 20, 22, kNoFontBk, 0x21405F);
    // The map scene, drawn once more over whatever screen asked, stays behind the question.
    DrawWorld();
    if (screenCopy) MH_FREE(screenCopy);
    screenCopy = CopyCanvasPixels();
    cControl* box = new cControl(225, 195);
    box->SetButton(kExitBoxId, new cActPic(9904, 0), new cActPic(9904, 1), nullptr);
    WhiteText(&font, 275, 207, screen == Screen::LeaveGame ? "離開遊戲？" : "回主選單？");
    marker = new cControl(237, 239);
    marker->SetPics(new cActPic(9904, 2), nullptr, nullptr);
    marker->Hide();
    WhiteText(&font, 252, 248, "確 定");
    WhiteText(&font, 337, 248, "取 消");
    if (gSmartMouse)
        gMouseInput.MoveCursor(kNoPointX, kPointY);
    else
        selection = 0;
}

bool cExitFrame::RunClick() {
    if (gMouseInput.clickedId != kExitBoxId) return false;
    gMouseInput.clickedId = 0;
    int half = QuestionHalf(gMouseInput.x, gMouseInput.y);
    if (half < 0) return false;
    PlayUISound(half == 0 ? 265 : 263);
    result = half == 0 ? 1 : 2;
    gFramePhase = 2;
    return true;
}

void cExitFrame::RunKeys() {
    int other = gKeyInput.IsPressed(kKeyUp) | gKeyInput.IsPressed(kKeyDown) |
                gKeyInput.IsPressed(kKeyLeft) | gKeyInput.IsPressed(kKeyRight) |
                gKeyInput.IsPressed(kKeySwitch);
    int same = gKeyInput.IsPressed(kKeyPageUp) | gKeyInput.IsPressed(kKeyPageDown);
    if (selection < 0) return;
    if (other)
        gMouseInput.MoveCursor(selection == 0 ? kNoPointX : kYesPointX, kPointY);
    else if (same)
        gMouseInput.MoveCursor(selection == 0 ? kYesPointX : kNoPointX, kPointY);
}

void cExitFrame::Run() {
    PasteCanvasPixels(screenCopy);
    SetZoom(0, 0, 500, 500);
    DrawShadedBox(0, 0, 640, 480, 255, 100, 100, 3);
    if (RunClick()) return;
    marker->Hide();
    if (gMouseInput.hoverId == kExitBoxId) {
        int half = QuestionHalf(gMouseInput.x, gMouseInput.y);
        if (half >= 0) {
            selection = half;
            marker->Move(half == 0 ? 237 : 321, 239);
            marker->Show();
        }
    }
    if (gMouseInput.rightClick || gKeyInput.IsPressed(kKeyCancel)) {
        gMouseInput.rightClick = 0;
        PlayUISound(263);
        result = 2;
        gFramePhase = 2;
        return;
    }
    RunKeys();
}

void cExitFrame::Close() {
    font.Release();
    if (screenCopy) MH_FREE(screenCopy);
    screenCopy = nullptr;
    ClearFrameObjects();
    marker = nullptr;
    if (result == 1) {
        EndGame();
        if (screen == Screen::LeaveGame) {
            gFrameId = kQuitFrameId;
        } else {
            PlayMusic(kTitleMusic, 1);
            gFrameId = ScreenWord(Screen::Title);
        }
        return;
    }
    gFrameId = kMapMode;
    gMenuRole = 0;
}

// ---- end screens ----

void cEndFrame::Open() {
    screen = IsScreenWord(gFrameId, Screen::TheEnd) ? Screen::TheEnd : Screen::EndPicture;
    cursorPic = new cActPic(9102, 0);
    endPic = new cActPic(9104, 0);
    gMouseInput.SetCursorPic(cursorPic);
    InitFont(&font);
    SetupFont(&font, 50, 52, kNoFontBk, 0);
    control = new cControl(0, 0);
    if (screen == Screen::EndPicture) {
        control->SetPics(endPic, nullptr, nullptr);
        endPic->SetAlpha(0);
        StopMusic();
        PlayMusic(kEndMusic, 0);
    } else {
        control->Move(40, 180);
        control->SetFont(&font, kWhite, kStyleBoldOutline);
        control->SetText(B5("─ Ｔｈｅ　Ｅｎｄ ─"));
    }
    startTime = timeGetTime();
}

void cEndFrame::Run() {
    u32 t = timeGetTime() - startTime;
    if (t > kInputLockMs) {
        int any = (gMouseInput.lastButtons != 0) | gKeyInput.IsPressed(kKeyConfirm) |
                  gKeyInput.IsPressed(kKeyCancel);
        if (any) {
            gFramePhase = 2;
            return;
        }
    }
    if (screen == Screen::TheEnd) {
        if (t > kTextScreenMs) gFramePhase = 2;
        return;
    }
    // A missing or short piece does not end the screen inside its first second.
    if (t > kInputLockMs && gMusic.IsFinished()) {
        gFramePhase = 2;
        return;
    }
    if (t <= kFadeMs)
        endPic->SetAlpha(static_cast<i32>(t / 100));
    else
        endPic->ResetSize();
}

void cEndFrame::Close() {
    StopMusic();
    font.Release();
    gMouseInput.SetCursorPic(nullptr);
    ClearFrameObjects();
    cursorPic = endPic = nullptr;
    control = nullptr;
    EndGame();
    PlayMusic(kTitleMusic, 1);
    gFrameId = ScreenWord(Screen::Title);
}

// ---- end of the test version ----

void cTestEndFrame::Open() {
    InitFont(&font);
    SetupFont(&font, 40, 42, 0xFFFF00, 0);
    WhiteText(&font, 150, 150, "測試版結束！！", 0);
    WhiteText(&font, 30, 200, "(有何問題及建議請多多指教)", 0);
}

void cTestEndFrame::Run() {
    int any = gMusic.IsFinished() | (gMouseInput.lastButtons != 0) |
              gKeyInput.IsPressed(kKeyConfirm) | gKeyInput.IsPressed(kKeyCancel);
    if (any) gFramePhase = 2;
}

void cTestEndFrame::Close() {
    font.Release();
    ClearFrameObjects();
    EndGame();
    PlayMusic(kTitleMusic, 1);
    gFrameId = ScreenWord(Screen::Title);
}
