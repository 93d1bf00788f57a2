// cEndingFrame: the stages of the ending and their timing.
#include "ui/EndingFrame.h"

#include <cstring>

#include "platform/Fault.h"
#include "platform/Win.h"
#include "engine/DDraw.h"
#include "engine/MemDbg.h"
#include "ui/ActPic.h"
#include "ui/Control.h"
#include "ui/SaveFile.h"
#include "ui/ScreenState.h"

namespace {
constexpr u32 kCanvasBytes = 640 * 480 * 2;

struct LayoutStart {
    i32 risingX, risingY;
    bool risingHidden;
    i32 pairX, pairY;
};
// Layouts 1..4: where the rising picture and the sliding pair start.
constexpr LayoutStart kLayouts[4] = {
    {370, -550, false, 0, -455},
    {50, -550, false, 530, -455},
    {370, -550, true, 640, 25},
    {50, -550, true, -115, 25},
};

i32 Ms(u32 t) {
    return static_cast<i32>(t);
}
}  // namespace

void cEndingFrame::Setup(i32 layout, i32 a1, i32 a2, i32 a3, i32 a4) {
    state = layout;
    const i32 a[kEndingPictures] = {a1, a2, a3, a4};
    for (int k = 0; k < kEndingPictures; ++k) actions[k] = a[k];
    start = timeGetTime();
}

void cEndingFrame::Reset() {
    if (screenCopy) MH_FREE(screenCopy);
    screenCopy = nullptr;
    for (cActPic*& p : pics) p = nullptr;
    background = rising = sliding = companion = nullptr;
    state = 0;
}

void cEndingFrame::Open() {
    if (screenCopy) MH_FREE(screenCopy);
    screenCopy = static_cast<u16*>(MH_ALLOC_ZERO(kCanvasBytes));
    for (int k = 0; k < kEndingPictures; ++k)
        pics[k] = new cActPic(kEndingFirstAct + k, actions[k]);
    cControl** ctl[kEndingPictures] = {&background, &rising, &sliding, &companion};
    for (int k = 0; k < kEndingPictures; ++k) {
        *ctl[k] = new cControl(0, 0);
        (*ctl[k])->SetPics(pics[k], nullptr, nullptr);
    }
    if (state < 1 || state > 4) {
        // No stage handles such a layout; the screen would never close.
        ReportFault(kNoBox, "ending layout %d is not 1..4: the ending closes at once", state);
        state = 0;
        return;
    }
    const LayoutStart& s = kLayouts[state - 1];
    rising->Move(s.risingX, s.risingY);
    if (s.risingHidden) rising->Hide();
    MovePair(s.pairX, s.pairY);
    pics[0]->SetAlpha(0);
}

void cEndingFrame::MovePair(i32 x, i32 y) {
    sliding->Move(x, y);
    companion->Move(x, y);
}

void cEndingFrame::Next(i32 s) {
    state = s;
    start = timeGetTime();
}

void cEndingFrame::RunEntry(u32 t) {
    if (t <= kEndingEntryMs) {
        pics[0]->SetAlpha(Ms(t) / 50);
        i32 step = Ms(kEndingEntryMs - t) / 50;
        if (state <= 2)
            MovePair(sliding->x, 25 - step * 28);
        else if (state == 3)
            MovePair(step * 40, sliding->y);
        else
            MovePair(Ms(t) / 50 * 33, sliding->y);
        return;
    }
    pics[0]->ResetSize();
    if (state <= 2) {
        MovePair(sliding->x, 25);
        return Next(21);
    }
    MovePair(state == 3 ? 0 : 530, sliding->y);
    rising->Move(rising->x, 110);
    Next(23);
}

void cEndingFrame::RunRise(u32 t) {
    if (state == 21) {
        if (t <= kEndingRiseMs) {
            rising->Move(rising->x, Ms(kEndingRiseMs - t) / 50 * 2 + 110);
            return;
        }
        rising->Move(rising->x, 110);
        return Next(41);
    }
    if (t > kEndingRiseMs) {
        pics[1]->ResetSize();
        return Next(42);
    }
    if (t / 300 < 16) {
        pics[1]->SetAlpha(Ms(t) / 300);
        rising->Show();
    }
}

void cEndingFrame::RunHold(u32 t) {
    if (t < kEndingHoldMs) return;
    // The last picture becomes one run-coded copy of the canvas that fades out.
    for (size_t i = 0; i < gControlList.size(); ++i) gControlList[i]->Draw();
    if (screenCopy && !CopyDrawSurface(screenCopy)) std::memset(screenCopy, 0, kCanvasBytes);
    background->SetRlePic(screenCopy, 640, 480, 1024);
    for (cControl** c : {&rising, &sliding, &companion}) {
        delete *c;
        *c = nullptr;
    }
    Next(61);
}

void cEndingFrame::RunFadeOut(u32 t) {
    if (t <= kEndingFadeMs) {
        background->SetAlpha(16 - Ms(t) / 100);
        return;
    }
    background->Hide();
    state = 0;
}

void cEndingFrame::Run() {
    u32 t = timeGetTime() - start;
    switch (state) {
        case 1:
        case 2:
        case 3:
        case 4:
            return RunEntry(t);
        case 21:
        case 23:
            return RunRise(t);
        case 41:
        case 42:
            return RunHold(t);
        case 61:
            return RunFadeOut(t);
        default:
            gFramePhase = 2;
            return;
    }
}

void cEndingFrame::Close() {
    if (screenCopy) MH_FREE(screenCopy);
    screenCopy = nullptr;
    for (cControl** c : {&background, &rising, &sliding, &companion}) {
        delete *c;
        *c = nullptr;
    }
    for (cActPic*& p : pics) {
        delete p;
        p = nullptr;
    }
    state = 0;
    gFrameId = kMapMode;
}
