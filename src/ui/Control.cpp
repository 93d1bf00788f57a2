// cControl, gControlList, cScrollBar, interface fonts and the interface sound.
#include "ui/Control.h"

#include <algorithm>
#include <cstdio>

#include "platform/TextCodec.h"
#include "platform/Win.h"
#include "engine/GrpFont.h"
#include "engine/MemDbg.h"
#include "engine/PicPaint.h"
#include "engine/PixelFormat.h"
#include "engine/RlePic.h"
#include "engine/ZoomBlit.h"
#include "data/Config.h"
#include "map/ShadedBox.h"
#include "ui/ActPic.h"
#include "ui/UiInput.h"

std::deque<cControl*> gControlList;

namespace {

constexpr i32 kModeAlpha = 20;
constexpr i32 kModeSilhouette = 36;
constexpr i32 kPanelAct = 9902;

// The panel picture of every shaded panel advances together.
ActPlayer& PanelPlayer() {
    static ActPlayer p;
    if (p.act != kPanelAct) {
        p = ActPlayer();
        p.act = kPanelAct;
    }
    return p;
}

bool PressedOn(i32 id) {
    return id != 0 && gMouseInput.pressedId == id;
}
bool HoveredOn(i32 id) {
    return id != 0 && gMouseInput.hoverId == id;
}

}  // namespace

u16 ColorRefToScreen(u32 c) {
    u32 r = (c & 0xFF) >> 3, g = ((c >> 8) & 0xFF) >> 3, b = ((c >> 16) & 0xFF) >> 3;
    return ConvertPixel(static_cast<u16>(r << 10 | g << 5 | b));
}

void FormatControlNumber(char* out, size_t n, i32 v, int padded) {
    std::snprintf(out, n, padded ? "%10d" : "%d", v);
}

cControl::cControl(i32 nx, i32 ny) : x(nx), y(ny) {
    gControlList.push_back(this);
}

cControl::~cControl() {
    auto it = std::find(gControlList.begin(), gControlList.end(), this);
    if (it != gControlList.end()) gControlList.erase(it);
    if (rle) MH_FREE(rle);
}

void cControl::SetPics(cActPic* normal, cActPic* hover, cActPic* pressed) {
    normalPic = normal;
    hoverPic = hover;
    pressedPic = pressed;
    kind = (hover || pressed) ? kCtlButton : kCtlPicture;
}

void cControl::SetButton(i32 newId, cActPic* normal, cActPic* hover, cActPic* pressed) {
    id = newId;
    SetPics(normal, hover, pressed);
}

void cControl::SetText(const char* t) {
    text = t;
    kind = kCtlText;
}

void cControl::SetNumber(const i32* v, int padded) {
    value = v;
    paddedOrAlpha = padded;
    kind = kCtlNumber;
}

void cControl::SetDigits(const i32* v, cActPic* digitPic) {
    value = v;
    normalPic = digitPic;
    kind = kCtlDigits;
}

void cControl::SetRect(i32 x1, i32 y1, i32 x2, i32 y2, i32 mode, u32 c, i32 nx, i32 ny) {
    kind = kCtlBox;
    paddedOrAlpha = x1;
    boxY1 = y1;
    width = x2;
    height = y2;
    boxMode = mode;
    colour = c;
    x = nx;
    y = ny;
}

void cControl::SetRlePic(const u16* pixels, i32 w, i32 h, u32 scale) {
    if (rle) MH_FREE(rle);
    rle = nullptr;
    rleSize = 0;
    kind = kCtlRle;
    rleSource = pixels;
    width = w;
    height = h;
    zoom = scale;
    paddedOrAlpha = 16;
    value = nullptr;
    if (pixels && w > 0 && h > 0) rle = RleEncode(pixels, &rleSize, w, h, 16);
}

void cControl::SetPanel(i32 w, i32 h, u32 colorRef) {
    kind = kCtlPanel;
    width = w;
    height = h;
    u16 c = ColorRefToScreen(colorRef);
    colour = static_cast<u32>(c) << 16 | c;
}

void cControl::SetFont(cGrpFont* f, u32 colorRef, i32 s) {
    font = f;
    u16 c = ColorRefToScreen(colorRef);
    colour = static_cast<u32>(c) << 16 | c;
    style = s;
}

void cControl::BringToFront() {
    auto it = std::find(gControlList.begin(), gControlList.end(), this);
    if (it == gControlList.end()) return;
    gControlList.erase(it);
    gControlList.push_back(this);
}

void cControl::SendToBack() {
    auto it = std::find(gControlList.begin(), gControlList.end(), this);
    if (it == gControlList.end()) return;
    gControlList.erase(it);
    gControlList.push_front(this);
}

cActPic* cControl::ButtonPicture() const {
    if (PressedOn(id)) return pressedPic ? pressedPic : hoverPic ? hoverPic : normalPic;
    if (HoveredOn(id)) return hoverPic ? hoverPic : normalPic;
    return normalPic;
}

void cControl::DrawText(const char* t) {
    if (!font || !t || !gPaintBuf) return;
    font->DrawString(gPaintBuf, x, y, t, static_cast<u16>(colour), style);
}

void cControl::DrawDigits() {
    if (!normalPic || !value) return;
    char digits[16];
    // Digit pictures have no sign: a negative count shows as 0.
    std::snprintf(digits, sizeof(digits), "%d", std::max(*value, 0));
    i32 px = x;
    for (const char* d = digits; *d; ++d) {
        PicFrame* f = GetPic(normalPic->player.pic, static_cast<u16>(*d - '0'));
        if (!f) return;
        gCurPic = f->pixels;
        PutPic(px, y, f->width, f->height, 0, nullptr);
        px += f->width;
    }
}

void cControl::DrawBox() {
    if (boxMode < 0 || !gPaintBuf) return;
    // Always red; the box mode picks the solid, blended or shaded filling.
    i32 x1 = std::min(paddedOrAlpha, width), x2 = std::max(paddedOrAlpha, width);
    i32 y1 = std::min(boxY1, height), y2 = std::max(boxY1, height);
    DrawShadedBox(x1, y1, x2 - x1, y2 - y1, 255, 0, 0, boxMode);
}

void cControl::DrawRle() {
    if (!rle) return;
    gCurPic = rle;
    if (zoom != 1024) {
        SetZoom(0, 0, static_cast<i32>(zoom), static_cast<i32>(zoom));
        PutPic(x, y, width, height, 0x80, nullptr);
        return;
    }
    if (paddedOrAlpha != 16) {
        gPaintAlpha = paddedOrAlpha;
        PutPic(x, y, width, height, kModeAlpha, nullptr);
        return;
    }
    if (value) {
        gWavePhase = 0;
        gPaintWave = *value;
    }
    PutPic(x, y, width, height, 0, nullptr);
}

void cControl::DrawPanel() {
    ActPlayer& p = PanelPlayer();
    TakeActData(&p);
    PicFrame* f = GetPic(p.pic, p.frame);
    if (!f) return;
    gCurPic = f->pixels;
    u16 c = static_cast<u16>(colour);
    PutPic(x, y, width, height, kModeSilhouette, &c);
}

void cControl::DrawDrag() {
    if (PressedOn(id)) {
        if (paddedOrAlpha == -1) {
            paddedOrAlpha = gMouseInput.x - x;
            boxY1 = gMouseInput.y - y;
        } else {
            x = gMouseInput.x - paddedOrAlpha;
            y = gMouseInput.y - boxY1;
        }
    } else {
        paddedOrAlpha = -1;
        boxY1 = -1;
    }
    if (cActPic* p = ButtonPicture()) p->Draw(x, y);
}

void cControl::DrawPicture(cActPic* p) {
    if (!p) return;
    if (placeW <= 0) return p->Draw(x, y);
    const ClipRect whole = gClipRect;
    const i32 left = std::max(x, whole.left),
              right = std::min(x + placeW, whole.left + whole.width);
    if (right <= left) return;
    SetClip(left, whole.top, right, whole.top + whole.height);
    p->Draw(x, y);
    gClipRect = whole;
}

void cControl::Draw() {
    if (!shown) return;
    char number[16];
    switch (kind) {
        case kCtlPicture:
            DrawPicture(normalPic);
            break;
        case kCtlButton:
            DrawPicture(ButtonPicture());
            break;
        case kCtlText:
            DrawText(text);
            break;
        case kCtlNumber:
            if (!value) break;
            FormatControlNumber(number, sizeof(number), *value, paddedOrAlpha);
            DrawText(number);
            break;
        case kCtlDigits:
            DrawDigits();
            break;
        case kCtlBox:
            DrawBox();
            break;
        case kCtlRle:
            DrawRle();
            break;
        case kCtlPanel:
            DrawPanel();
            break;
        case kCtlDrag:
            DrawDrag();
            break;
        default:
            break;
    }
}

i32 cControl::HitTest() const {
    if (!shown || id < 1) return 0;
    if (kind != kCtlPicture && kind != kCtlButton && kind != kCtlDrag) return 0;
    cActPic* p = kind == kCtlPicture ? normalPic : ButtonPicture();
    return ActPicHitTest(p, gMouseInput.x - x, gMouseInput.y - y) ? id : 0;
}

void InitFont(cGrpFont* f) {
    if (!f) return;
    f->Init(gScreenWidth, gScreenHeight);
    f->SetBkColor(kNoFontBk);
    f->SetShadowColor(0);
}

void SetupFont(cGrpFont* f, i32 size, i32, u32 background, u32 shadow) {
    if (!f) return;
    f->SetFont(B5("細明體"), size);
    f->SetAdvance(size);
    f->SetBkColor(background == kNoFontBk ? kNoFontBk : ColorRefToScreen(background));
    f->SetShadowColor(shadow == 0 ? 0 : ColorRefToScreen(shadow));
}

void ClearFrameObjects() {
    while (!gControlList.empty()) delete gControlList.back();
    DeleteAllActPics();
}

void DestroyScreenObjects() {
    ClearFrameObjects();
    gControlList.shrink_to_fit();
    gActPicList.shrink_to_fit();
}

// ---- scroll bar ----

void cScrollBar::Init(cControl* increasing, cControl* decreasing, cControl* thumbCtl, i32 breadth,
                      i32 w, i32 isVertical) {
    arrow1 = increasing;
    arrow2 = decreasing;
    thumb = thumbCtl;
    trackBreadth = breadth;
    trackWidth = w;
    vertical = isVertical;
    enabled = 1;
    heldId = -1;
    repeating = 0;
    if (thumb) {
        homeX = thumb->x;
        homeY = thumb->y;
    }
}

void cScrollBar::RepeatHeldArrow(u32 now) {
    i32 pid = gMouseInput.pressedId;
    i32 id1 = arrow1 ? arrow1->id : 0, id2 = arrow2 ? arrow2->id : 0;
    if (pid == 0 || (pid != id1 && pid != id2)) {
        heldId = -1;
        repeating = 0;
        return;
    }
    if (heldId != pid) {
        heldId = pid;
        lastTime = now;
        repeating = 0;
        return;
    }
    u32 wait = repeating ? kArrowRepeatMs : kArrowFirstRepeatMs;
    if (now - lastTime < wait) return;
    repeating = 1;
    lastTime = now;
    gMouseInput.clickedId = pid;
}

void cScrollBar::PageOnTrack() {
    i32 across = vertical ? gMouseInput.x : gMouseInput.y;
    i32 along = vertical ? gMouseInput.y : gMouseInput.x;
    i32 home = vertical ? homeX : homeY;
    i32 thumbAt = vertical ? thumb->y : thumb->x;
    if (across < home || across > home + trackBreadth) return;
    if (along > trackStart && along < thumbAt) {
        *value = std::max(*value - pageStep, minimum);
    } else if (along > thumbAt && along < trackEnd + trackWidth) {
        *value = std::min(*value + pageStep, maximum);
    } else {
        return;
    }
    // The press pages; it must not also click when released.
    gMouseInput.lastButtons = 0;
    Sleep(kPageSleepMs);
    // Let in what the window heard meanwhile, so that this frame's read of the
    // mouse sees the buttons as they are now: a button let go during the wait
    // must not page a second time in the next frame.
    MSG msg;
    PeekMessageA(&msg, nullptr, PM_NOREMOVE);
}

void cScrollBar::PlaceThumb() {
    i32 span = maximum - minimum;
    i32 travel = trackEnd - trackStart;
    i32& along = vertical ? thumb->y : thumb->x;
    i32 home = vertical ? homeY : homeX;
    if (gMouseInput.captured) {
        along = (vertical ? gMouseInput.y : gMouseInput.x) - dragOffset;
        // A track without travel cannot say where the thumb stands: keep the value.
        if (travel != 0)
            *value = static_cast<i32>(static_cast<double>(along - home) * span / travel);
        along = std::clamp(along, home, std::max(home, trackEnd));
        *value = std::clamp(*value, minimum, std::max(minimum, maximum));
        return;
    }
    if (span == 0) {
        along = trackEnd;
        return;
    }
    along = static_cast<i32>(static_cast<double>(*value) / span * travel + home);
}

void cScrollBar::Update() {
    if (!enabled || !value) return;
    u32 now = timeGetTime();
    RepeatHeldArrow(now);
    i32 clicked = gMouseInput.clickedId;
    if (clicked != 0 && arrow1 && clicked == arrow1->id) {
        gMouseInput.clickedId = 0;
        PlayUISound(261);
        lastTime = now;
        *value = std::min(*value + arrowStep, maximum);
    } else if (clicked != 0 && arrow2 && clicked == arrow2->id) {
        gMouseInput.clickedId = 0;
        PlayUISound(261);
        lastTime = now;
        *value = std::max(*value - arrowStep, minimum);
    } else if (thumb) {
        bool pressed = thumb->id != 0 && gMouseInput.pressedId == thumb->id;
        if (pressed && !gMouseInput.captured && maximum != 0) {
            gMouseInput.captured = 1;
            dragOffset = vertical ? gMouseInput.y - thumb->y : gMouseInput.x - thumb->x;
        } else if (!pressed && !gMouseInput.captured && (gMouseInput.lastButtons & 1)) {
            PageOnTrack();
        }
    }
    *value = std::clamp(*value, minimum, std::max(minimum, maximum));
    if (thumb) PlaceThumb();
}
