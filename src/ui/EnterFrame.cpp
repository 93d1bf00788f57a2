// cEnterFrame: open, run and close of the enter/cancel prompt.
#include "ui/EnterFrame.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "base/ByteIo.h"
#include "platform/TextCodec.h"
#include "engine/DDraw.h"
#include "engine/MemDbg.h"
#include "engine/PicPaint.h"
#include "engine/Tsw.h"
#include "data/KeyBindings.h"
#include "data/Options.h"
#include "map/MapDraw.h"
#include "story/PartyCommands.h"
#include "story/Talk.h"
#include "story/TalkCommands.h"
#include "ui/ActPic.h"
#include "ui/Control.h"
#include "ui/QuestFrame.h"
#include "ui/SaveFile.h"
#include "ui/ScreenState.h"
#include "ui/UiInput.h"

namespace {
constexpr i32 kAct = 9904;
constexpr i32 kEdgeAct = 9902;
constexpr i32 kSilhouetteMode = 36;
constexpr u32 kCanvasBytes = 640 * 480 * 2;
constexpr u32 kCaptionAt = 12;  // the caption's place in the command
constexpr u32 kTargetAt = 8;    // the command's third 32-bit word
constexpr u32 kMarkBytes = 2;   // the caption's end mark
constexpr u32 kWhite = 0xFFFFFF;

cControl* WhiteText(cGrpFont* f, i32 x, i32 y, const char* t) {
    cControl* c = new cControl(x, y);
    c->SetFont(f, kWhite, kStyleBoldOutline);
    c->SetText(t);
    return c;
}
}  // namespace

void cEnterFrame::Setup(i32 x, i32 y, TalkContext* t, const u8* cmd, u16* pos) {
    boxX = x;
    boxY = y;
    talk = t;
    command = cmd;
    position = pos;
}

void cEnterFrame::Reset() {
    if (screenCopy) MH_FREE(screenCopy);
    screenCopy = nullptr;
    for (cActPic*& p : pics) p = nullptr;
    marker = nullptr;
    talk = nullptr;
    command = nullptr;
    position = nullptr;
    caption[0] = 0;
    captionLength = 0;
    result = 0;
}

// The caption runs word by word from 12 bytes into the command up to its
// end mark, never past the bytes of the talk window that came from the file.
void cEnterFrame::TakeCaption() {
    caption[0] = 0;
    captionLength = 0;
    jumpTarget = 0;
    u32 window = std::min<u32>(gTalkWindowBytes, kTalkWindow);
    uintptr_t base = reinterpret_cast<uintptr_t>(gTalkBuffer);
    uintptr_t at = reinterpret_cast<uintptr_t>(command);
    if (!command || at < base || at - base + kCaptionAt > window) return;
    u32 from = static_cast<u32>(at - base) + kCaptionAt, to = from;
    jumpTarget = LoadU32(command + kTargetAt);
    while (to + kMarkBytes <= window && LoadU16(gTalkBuffer + to) != kTextMark) to += 2;
    captionLength = to - from;
    u32 shown = std::min<u32>(captionLength, kEnterCaptionBytes - 1);
    std::memcpy(caption, command + kCaptionAt, shown);
    caption[shown] = 0;
    CutBig5Tail(caption);
}

// The map as it stands, with its left edge blacked out, frozen behind the box.
void cEnterFrame::FreezeMap() {
    DrawWorld();
    cActPic edge(kEdgeAct, 0);
    if (edge.frame && edge.frame->pixels) {
        ClipRect saved = gClipRect;
        SetClip(0, 0, 2, 480);
        u32 black = 0;
        gCurPic = edge.frame->pixels;
        PutPic(0, 0, edge.frame->width, edge.frame->height, kSilhouetteMode, &black);
        gClipRect = saved;
    }
    if (screenCopy) MH_FREE(screenCopy);
    screenCopy = static_cast<u16*>(MH_ALLOC_ZERO(kCanvasBytes));
    if (screenCopy && !CopyDrawSurface(screenCopy)) std::memset(screenCopy, 0, kCanvasBytes);
    cControl* bg = new cControl(0, 0);
    bg->SetRlePic(screenCopy, 640, 480, 1024);
}

void cEnterFrame::Open() {
    result = 0;
    selection = -1;
    InitFont(&font);
    SetupFont(&font, 24, 26, kNoFontBk, 0x21405F);
    for (int k = 0; k < 4; ++k) pics[k] = new cActPic(kAct, k == 0 ? 3 : k - 1);
    FreezeMap();
    TakeCaption();
    i32 x = boxX, y = boxY;
    cControl* box = new cControl(x, y);
    box->SetPics(pics[0], nullptr, nullptr);
    cControl* button = new cControl(x, y);
    button->SetButton(kEnterButtonId, pics[1], pics[2], nullptr);
    marker = new cControl(x + 10, y + 44);
    marker->SetPics(pics[3], nullptr, nullptr);
    marker->Hide();
    i32 n = static_cast<i32>(std::strlen(caption));
    WhiteText(&font, x - 6 * n + 95, y + 10, caption);
    WhiteText(&font, x + 32, y + 52, B5("進入"));
    WhiteText(&font, x + 115, y + 52, B5("取消"));
    if (gSmartMouse)
        gMouseInput.MoveCursor(x + 72, y + 63);
    else
        selection = 1;
}

void cEnterFrame::Choose(i32 r, int sound) {
    PlayUISound(sound);
    result = r;
    gFramePhase = 2;
}

bool cEnterFrame::RunClick() {
    if (gMouseInput.clickedId == kEnterButtonId) {
        gMouseInput.clickedId = 0;
        i32 cx = gMouseInput.x - boxX;
        // A click counts by the cursor's x alone.
        if (cx >= 10 && cx < 95) {
            Choose(1, 265);
            return true;
        }
        if (cx >= 95 && cx < 180) {
            Choose(2, 263);
            return true;
        }
    }
    if (gMouseInput.rightClick || gKeyInput.IsPressed(kKeyCancel)) {
        gMouseInput.rightClick = 0;
        Choose(2, 263);
        return true;
    }
    return false;
}

void cEnterFrame::RunKeys() {
    int other = gKeyInput.IsPressed(kKeyUp) | gKeyInput.IsPressed(kKeyDown) |
                gKeyInput.IsPressed(kKeyLeft) | gKeyInput.IsPressed(kKeyRight) |
                gKeyInput.IsPressed(kKeySwitch);
    int same = gKeyInput.IsPressed(kKeyPageUp) | gKeyInput.IsPressed(kKeyPageDown);
    if (selection < 0) return;
    i32 enterX = boxX + 72, cancelX = boxX + 157, pointY = boxY + 63;
    if (other)
        gMouseInput.MoveCursor(selection == 0 ? cancelX : enterX, pointY);
    else if (same)
        gMouseInput.MoveCursor(selection == 0 ? enterX : cancelX, pointY);
}

void cEnterFrame::Run() {
    marker->Hide();
    i32 cx = gMouseInput.x - boxX, cy = gMouseInput.y - boxY;
    if (gMouseInput.hoverId == kEnterButtonId && cy >= 45 && cy < 80) {
        if (cx >= 11 && cx < 96) {
            selection = 0;
            marker->Move(boxX + 12, marker->y);
            marker->Show();
        } else if (cx >= 96 && cx < 181) {
            selection = 1;
            marker->Move(boxX + 96, marker->y);
            marker->Show();
        }
    }
    if (RunClick()) return;
    RunKeys();
}

void cEnterFrame::Close() {
    font.Release();
    if (screenCopy) MH_FREE(screenCopy);
    screenCopy = nullptr;
    ClearFrameObjects();
    for (cActPic*& p : pics) p = nullptr;
    marker = nullptr;
    if (talk && command) {
        if (result == 1) {
            TalkJump(talk, jumpTarget);
        } else if (result == 2) {
            HideRole(kEnterHiddenRole);
            if (position)
                *position = static_cast<u16>(*position + kCaptionAt + kMarkBytes + captionLength);
        }
    }
    command = nullptr;
    talk = nullptr;
    position = nullptr;
    gFrameId = kMapMode;
    gEnterPrompt.state = 0;
}
