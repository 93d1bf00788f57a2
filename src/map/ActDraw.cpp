// One animation frame or picture drawn through PutPic, digit numbers, game
// fonts, the cycling border and the fixed animation states.
#include "map/ActDraw.h"

#include "platform/TextCodec.h"
#include "engine/GrpFont.h"
#include "engine/PicPaint.h"
#include "engine/PixelFormat.h"
#include "engine/Tsw.h"
#include "map/MapScene.h"
#include "map/RoleTable.h"

FixedActs gFixedActs;
u32 gDialogTextSize = 10;
i32 gNumberFade = 16;

namespace {
bool PutFrame(PicFrame* f, i32 x, i32 y, u32 mode) {
    if (!f || !f->pixels) return false;
    gCurPic = f->pixels;
    PutPic(x, y, f->width, f->height, static_cast<i32>(mode), f->alpha);
    return true;
}
}  // namespace

bool DrawActPicture(const ActPlayer* p, i32 x, i32 y, u32 extra) {
    if (!p || p->pic == 0) return false;
    PicFrame* f = GetPic(p->pic, p->frame);
    if (!f) return false;
    gPaintAlpha = p->blend;
    return PutFrame(f, x - p->xOff, y - p->yOff, (p->drawMode & kActModePaint) | extra);
}

void DrawActData(ActPlayer* p, i32 x, i32 y) {
    if (!p) return;
    if (!TakeActData(p)) {
        ReportActError("Act Err09(Misc::DrawActData)", p, 0);
        return;
    }
    DrawActPicture(p, x, y, 0);
}

void DrawActDataMode(ActPlayer* p, i32 x, i32 y, u32 extra) {
    if (!p) return;
    if (!TakeActData(p)) {
        ReportActError("Act Err10(Misc::DrawActData)", p, 0);
        return;
    }
    ActPlayer copy = *p;
    copy.drawMode = (p->drawMode & 0x80000003u) | extra;
    DrawActPicture(&copy, x, y, 0);
}

void DrawActFrame(i32 act, i32 frame, i32 x, i32 y) {
    PutFrame(GetPic(static_cast<u16>(act), static_cast<u16>(frame)), x, y, 0);
}

void DrawPicFrame(i32 pic, i32 frame, i32 x, i32 y) {
    PutFrame(GetPic(static_cast<u16>(pic), static_cast<u16>(frame)), x, y, 0);
}

void DrawActNumber(i32 x, i32 y, i32 width, i32 value) {
    u32 v = value < 0 ? static_cast<u32>(-static_cast<i64>(value)) : static_cast<u32>(value);
    do {
        PicFrame* f = GetPic(9079, static_cast<u16>(v % 10));
        i32 w = f ? f->width : width;
        x -= w;
        gPaintAlpha = gNumberFade;
        PutFrame(f, x, y, 20);
        v /= 10;
    } while (v);
    PutFrame(GetPic(9045, 0), x - 24, y, 0);
}

void CreateGameFont(cGrpFont& font, i32 sw, i32 sh, i32 size) {
    font.Release();
    font.Init(sw, sh);
    font.SetFont(B5("細明體"), size);
    font.SetAdvance(size == 16 ? 18 : size == 20 ? 24 : size);
    font.SetBkColor(kNoBkColor);
    font.SetShadowColor(0);
    if (&font != &gMainFont) return;
    gMainFontSetting.size = size;
    gMainFontSetting.advance = font.GetAdvance();
    SetDialogTextSize();
}

void SetDialogTextSize() {
    gDialogTextSize = static_cast<u32>(gMainFontSetting.size + 2) / 2;
}

void DrawCycleBorder(u16* buf, i32 x, i32 y, i32 w, i32 h, i32 pitch, i32 phase) {
    if (!buf || w < 2 || h < 2 || x < 0 || y < 0 || x + w > 640 || y + h > 480) return;
    i32 stride = pitch / 2;
    i32 k = 0;
    auto put = [&](i32 px, i32 py) {
        i32 level = (k++ + phase) & 31;
        i32 g = level < 16 ? level * 2 : (31 - level) * 2;
        buf[py * stride + px] = static_cast<u16>(MakeColor(g, g, g));
    };
    for (i32 i = 0; i < w; ++i) put(x + i, y);
    for (i32 j = 1; j < h; ++j) put(x + w - 1, y + j);
    for (i32 i = w - 2; i >= 0; --i) put(x + i, y + h - 1);
    for (i32 j = h - 2; j > 0; --j) put(x, y + j);
}

void InitFixedActs() {
    gFixedActs = FixedActs{};
    for (int i = 0; i < kIconActs; ++i) {
        ResetActPlayer(&gFixedActs.icons[i]);
        if (i < 12) {
            gFixedActs.icons[i].act = 9006;
            gFixedActs.icons[i].action = i;
        }
    }
    static const i32 kMarkerActions[kMarkerActs] = {16, 18, 20, 22};
    for (int i = 0; i < kMarkerActs; ++i) {
        ResetActPlayer(&gFixedActs.markers[i]);
        gFixedActs.markers[i].act = 9900;
        gFixedActs.markers[i].action = kMarkerActions[i];
    }
}

void ResetActDraw() {
    gFixedActs = FixedActs{};
    gDialogTextSize = 10;
    gNumberFade = 16;
}
