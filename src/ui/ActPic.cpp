// cActPic and its registry.
#include "ui/ActPic.h"

#include <algorithm>

#include "engine/PicPaint.h"
#include "engine/ZoomBlit.h"

std::deque<cActPic*> gActPicList;

namespace {
constexpr i32 kModeAlpha = 20;
constexpr i32 kModeZoom = 0x80;

void TakeFrame(cActPic* p) {
    p->frame = GetPic(p->player.pic, p->player.frame);
    gCurPic = p->frame ? p->frame->pixels : nullptr;
}
}  // namespace

cActPic::cActPic(i32 act, i32 action) {
    gActPicList.push_back(this);
    player.act = act;
    player.action = action;
    TakeActData(&player);
    frame = GetPic(player.pic, player.frame);
    drawW = frame ? frame->width : 0;
    drawH = frame ? frame->height : 0;
}

cActPic::~cActPic() {
    auto it = std::find(gActPicList.begin(), gActPicList.end(), this);
    if (it != gActPicList.end()) gActPicList.erase(it);
}

void cActPic::SetSize(i32 w, i32 h) {
    scaled = 1;
    if (w >= 0) drawW = static_cast<u32>(w);
    if (h >= 0) drawH = static_cast<u32>(h);
}

void cActPic::ResetSize() {
    drawW = frame ? frame->width : 0;
    drawH = frame ? frame->height : 0;
    scaled = 0;
    alpha = -1;
}

int cActPic::HitTest(i32 x, i32 y) const {
    PicFrame* f = GetPic(player.pic, player.frame);
    if (!f) return 0;
    return PicHitTest(f, x, y, 0, 0) ? 1 : 0;
}

void cActPic::Draw(i32 x, i32 y) {
    TakeActData(&player);
    TakeFrame(this);
    if (!frame) return;
    i32 w = scaled ? static_cast<i32>(drawW) : frame->width;
    i32 h = scaled ? static_cast<i32>(drawH) : frame->height;
    i32 mode = static_cast<i32>(player.drawMode & kActModePaint);
    if (alpha >= 0) {
        // A blended picture is placed by its corner, not its hot spot.
        gPaintAlpha = alpha;
        PutPic(x, y, w, h, kModeAlpha, nullptr);
        return;
    }
    i32 px = x - player.xOff, py = y - player.yOff;
    if (!scaled && (blendA || blendB)) {
        gPaintWave = static_cast<i32>(blendA);
        gWavePhase = static_cast<i32>(blendB);
        PutPic(px, py, w, h, mode, nullptr);
        return;
    }
    gPaintWave = player.wave;
    gWavePhase = player.wavePhase;
    gPaintAlpha = player.blend;
    if (!scaled && zoom != 1024) {
        SetZoom(0, 0, static_cast<i32>(zoom), static_cast<i32>(zoom));
        mode |= kModeZoom;
    }
    PutPic(px, py, w, h, mode, nullptr);
}

void DeleteAllActPics() {
    while (!gActPicList.empty()) delete gActPicList.back();
}
