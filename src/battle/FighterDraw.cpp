// Drawing a fighter: shadow, body and its colour passes at the monster's picture
// offset, the enemy's name and numbers; the bars, digits, status icons and
// panels drawn from its fields.
#include "battle/FighterDraw.h"

#include <cstdio>

#include "platform/TextCodec.h"
#include "engine/GrpFont.h"
#include "engine/PicPaint.h"
#include "engine/PixelFormat.h"
#include "engine/RlePic.h"
#include "engine/Tsw.h"
#include "engine/ZoomBlit.h"
#include "data/GameData.h"

i32 gDevFighterDisplay = 0;
i32 (*gDevCaptureChance)(const cFighter& target) = nullptr;

namespace {

constexpr u32 kDigitAct = 11000;
constexpr i32 kSlash = 10;
constexpr u16 kWhite = 65535, kRed = 61696;

// Draws the player's current frame with its top left at (x, y); a width limit
// (>= 0) shows only that many columns. False without a picture.
bool PutFrame(const ActPlayer& a, i32 x, i32 y, u32 mode, i32 widthLimit = -1) {
    if (a.pic == 0) return false;
    PicFrame* f = GetPic(a.pic, a.frame);
    if (!f || !f->pixels || !gPaintBuf) return false;
    const ClipRect saved = gClipRect;
    if (widthLimit >= 0) {
        const i32 right = x + widthLimit;
        const i32 oldRight = saved.left + saved.width;
        SetClip(x > saved.left ? x : saved.left, saved.top, right < oldRight ? right : oldRight,
                saved.top + saved.height);
    }
    gCurPic = f->pixels;
    PutPic(x, y, f->width, f->height, static_cast<i32>(mode & kActModePaint), f->alpha);
    gClipRect = saved;
    return true;
}

i32 FrameWidth(const ActPlayer& a) {
    PicFrame* f = a.pic ? GetPic(a.pic, a.frame) : nullptr;
    return f ? f->width : 0;
}

// The player of auxiliary record k, started from its act and action and advanced one tick.
ActPlayer& Aux(cFighter& f, int k) {
    ActPlayer& p = f.auxPlay[k];
    if (p.act != f.aux[k].act || p.action != f.aux[k].action) {
        p = ActPlayer{};
        p.act = f.aux[k].act;
        p.action = f.aux[k].action;
    }
    if (p.act != 0) TakeActData(&p);
    return p;
}

// A player for a fixed act and action (digits, the slash), one per action.
ActPlayer& Digit(i32 d) {
    static ActPlayer players[11];
    ActPlayer& p = players[d];
    if (p.act != static_cast<i32>(kDigitAct)) {
        p = ActPlayer{};
        p.act = kDigitAct;
        p.action = d;
    }
    TakeActData(&p);
    return p;
}

i32 BarWidth(i32 w, i64 value, i64 max) {
    if (max <= 0 || value <= 0) return 0;
    const i64 v = static_cast<i64>(w) * (value > max ? max : value) / max;
    return v < 1 ? 1 : static_cast<i32>(v);
}

i32 CatchUp(i32 shown, i32 value) {
    const i64 gap = static_cast<i64>(value) - shown;
    const i64 size = gap < 0 ? -gap : gap;
    const i64 step = size < 100 ? 3 : (size < 1000 ? 30 : 300);
    if (size <= step) return value;
    return static_cast<i32>(shown + (gap < 0 ? -step : step));
}

void SetTint(i32 r, i32 g, i32 b) {
    gPaintTintR = r;
    gPaintTintG = g;
    gPaintTintB = b;
}

struct BodySpot {
    i32 x, y;
};

BodySpot BodyPoint(const cFighter& f) {
    const ActPlayer& a = f.anim;
    return {f.x + f.shakeDx - 8 * static_cast<i32>(a.cellW) - a.xOff - f.MonsterDx(),
            f.y + f.z + f.shakeDy - 8 * static_cast<i32>(a.cellH) - a.yOff - f.MonsterDy()};
}

void DrawShadow(cFighter& f, u32 zoomMode) {
    ActPlayer& s = Aux(f, 0);
    gPaintAlpha = f.flashOn ? f.flashCounter / 2 : s.blend;
    PutFrame(s, f.x + f.shakeDx - s.xOff, f.z + f.shakeDy - s.yOff, s.drawMode | zoomMode);
}

// The body's passes after the blink: plain or flash blend, fade, poison.
void DrawBodyPasses(cFighter& f, BodySpot p, u32 zoomMode) {
    const ActPlayer& a = f.anim;
    const u32 mode = a.drawMode | zoomMode;
    if (f.flashOn) {
        gPaintAlpha = f.flashCounter;
        PutFrame(a, p.x, p.y, mode | 0x14);
    } else {
        gPaintAlpha = a.blend;
        PutFrame(a, p.x, p.y, mode);
    }
    if (f.fadeLevel != 0) {
        SetTint(f.fadeLevel, f.fadeLevel, f.fadeLevel);
        if (f.flashOn) gPaintAlpha = f.flashCounter;
        PutFrame(a, p.x, p.y, mode | 0x10);
    }
    if (f.action == kStatePoison) {
        SetTint(0, 12, 0);
        PutFrame(a, p.x, p.y, mode | 0x10);
    }
}

void DrawOverlay(const cFighter& f, BodySpot p) {
    const ActPlayer& a = f.anim;
    if (!a.overlayPic || !a.overlayFrame) return;
    ActPlayer o = a;
    o.pic = a.overlayPic;
    o.frame = static_cast<u16>(a.overlayFrame - 1);
    PutFrame(o, p.x - a.overlayX, p.y - a.overlayY, a.drawMode | 4);
}

void DrawPartyFighter(cFighter& f) {
    DrawShadow(f, 0);
    const BodySpot p = BodyPoint(f);
    if (f.blinkOn) {
        f.blinkWord = ~f.blinkWord;
        if (PicFrame* fr = f.anim.pic ? GetPic(f.anim.pic, f.anim.frame) : nullptr) {
            gCurPic = fr->pixels;
            PutPicOutlined(p.x, p.y, fr->width, fr->height, 36, &f.blinkWord);
        }
    }
    DrawBodyPasses(f, p, 0);
    if (f.glowOn) {
        f.glowLevel += f.glowStep;
        if (f.glowLevel >= 31) {
            f.glowLevel = 31;
            f.glowStep = -3;
        } else if (f.glowLevel < 1) {
            f.glowLevel = 0;
            f.glowStep = 4;
        }
        SetTint(f.glowLevel, 0, f.glowLevel);
        PutFrame(f.anim, p.x, p.y, f.anim.drawMode | 0x10);
    }
    DrawOverlay(f, p);
}

void DrawDeveloperLines(const cFighter& f) {
    const i32 capture = gDevCaptureChance ? gDevCaptureChance(f) : 0;
    const i32 lines[10][2] = {{f.hp, f.maxHp},         {f.mp, f.maxMp},
                              {f.attack, 0},           {f.defence, 0},
                              {f.hitRate, 0},          {f.evasionRate, 0},
                              {f.magicEvasionRate, 0}, {f.fleeRate, 0},
                              {f.theftRate, 0},        {capture + f.captureCounter, 0}};
    static const char* const kFormats[10] = {
        "HP=(%d/%d)",     "MP=(%d/%d)",     "攻擊力(%d)", "防禦力(%d)",   "攻擊命中率(%d)",
        "攻擊閃躲率(%d)", "魔法閃躲率(%d)", "逃跑率(%d)", "被偷竊率(%d)", "被捕捉率(%d)"};
    for (int k = 0; k < 10; ++k) {
        char text[64];
        std::snprintf(text, sizeof(text), B5(kFormats[k]), lines[k][0], lines[k][1]);
        gMainFont.DrawString(gPaintBuf, f.x - 30, f.y + f.z + 40 + 13 * k, text,
                             FighterScreenColour(kRed), kStylePlain);
    }
}

void DrawEnemyName(const cFighter& f) {
    char name[33];
    f.stats.CopyName(name);
    i32 len = 0;
    while (name[len]) ++len;
    UseBattleFont(13, 16);
    gMainFont.SetShadowColor(FighterScreenColour(25356));
    const i32 width = len * 8;  // a Big5 character is two bytes over one advance
    gMainFont.DrawString(gPaintBuf, f.x + 5 - width / 2, f.y + f.z + 26, name,
                         FighterScreenColour(kWhite), kStyleOutline);
}

void DrawEnemyFighter(cFighter& f) {
    u32 zoom = 0;
    if (f.shrinkOn) {
        const ActPlayer& a = f.anim;
        // The engine's scale has 1024 for full size; the shrink counts thousandths.
        const i32 scale = (1000 - f.shrinkAmount) * 1024 / 1000;
        SetZoom(8 * static_cast<i32>(a.cellW) + a.xOff, a.yOff, scale, scale);
        zoom = 0x80;
    }
    DrawShadow(f, zoom);
    const BodySpot p = BodyPoint(f);
    if (f.blinkOn) {
        f.blinkWord = 0x0FFFFFFF - f.blinkWord;
        if (PicFrame* fr = f.anim.pic ? GetPic(f.anim.pic, f.anim.frame) : nullptr) {
            gCurPic = fr->pixels;
            PutPicOutlined(p.x, p.y, fr->width, fr->height, 36, &f.blinkWord);
        }
    }
    gPaintWave = f.anim.wave;
    gWavePhase = f.anim.wavePhase;
    DrawBodyPasses(f, p, zoom);
    f.anim.wavePhase = static_cast<u8>(gWavePhase);
    gPaintWave = 0;
    DrawOverlay(f, p);
    if (f.blinkOn) DrawEnemyName(f);
    if (gDevFighterDisplay) DrawDeveloperLines(f);
}

}  // namespace

i32 cFighter::MonsterDx() const {
    return IsEnemy() ? GetMonsterOffset(static_cast<i32>(pic)).dx : 0;
}

i32 cFighter::MonsterDy() const {
    return IsEnemy() ? GetMonsterOffset(static_cast<i32>(pic)).dy : 0;
}

void cFighter::DrawSprite(cBattleSprite& s) {
    cFighter& f = static_cast<cFighter&>(s);
    if (f.IsEnemy())
        DrawEnemyFighter(f);
    else
        DrawPartyFighter(f);
}

void UseBattleFont(int size, int advance) {
    if (gMainFont.GetSize() != size || !gMainFont.HasFace()) gMainFont.SetFont(B5("細明體"), size);
    gMainFont.SetAdvance(advance);
}

bool FighterBodyHit(const cFighter& f, i32 x, i32 y) {
    const ActPlayer& a = f.anim;
    PicFrame* frame = a.pic ? GetPic(a.pic, a.frame) : nullptr;
    if (!frame) return false;
    const i64 left = static_cast<i64>(f.x) - 8 * static_cast<i64>(a.cellW) - a.xOff - f.MonsterDx();
    const i64 top =
        static_cast<i64>(f.y) + f.z - 8 * static_cast<i64>(a.cellH) - a.yOff - f.MonsterDy();
    const i64 dx = x - left, dy = y - top;
    if (dx < 0 || dy < 0 || dx >= frame->width || dy >= frame->height) return false;
    return PicHitTest(frame, static_cast<i32>(dx), static_cast<i32>(dy), 0, 0) != 0;
}

u16 FighterScreenColour(u16 c) {
    if (CurrentPixelLayout() == PixelLayout::R5G6B5) return c;
    const u16 c555 = static_cast<u16>((c >> 11) << 10 | ((c >> 6) & 31) << 5 | (c & 31));
    return ConvertPixel(c555);
}

i32 DrawFighterDigits(i32 value, i32 x, i32 y) {
    if (value < 0) value = 0;
    char text[16];
    const int n = std::snprintf(text, sizeof(text), "%4d", value);
    for (int k = 0; k < n; ++k) {
        if (text[k] == ' ') {
            x += FrameWidth(Digit(0)) + 1;
            continue;
        }
        ActPlayer& d = Digit(text[k] - '0');
        PutFrame(d, x - d.xOff, y - d.yOff, d.drawMode);
        x += FrameWidth(d) + 1;
    }
    return x;
}

void DrawGaugeBar(cFighter& f, i32 x, i32 y) {
    ActPlayer& a = Aux(f, 33);
    if (f.gauge <= 0) return;
    const i32 w = BarWidth(FrameWidth(a), f.gauge, kGaugeFull);
    gPaintAlpha = a.blend;
    PutFrame(a, x - a.xOff, y - a.yOff, a.drawMode, w);
    if (f.gauge < kGaugeFull) return;
    f.pulseLevel += f.pulseStep;
    if (f.pulseLevel >= 32) {
        f.pulseLevel = 32;
        f.pulseStep = -4;
    } else if (f.pulseLevel < -31) {
        f.pulseLevel = -32;
        f.pulseStep = 8;
    }
    SetTint(f.pulseLevel, f.pulseLevel, f.pulseLevel);
    PutFrame(a, x - a.xOff, y - a.yOff, a.drawMode | 0x10, w);
}

namespace {

// The bar at (x, y), its numbers from x + 2 on row y + digitsDy.
void DrawResourceBar(cFighter& f, int record, i32& shown, i32 value, i32 max, i32 x, i32 y,
                     i32 digitsDy) {
    shown = CatchUp(shown, value);
    ActPlayer& a = Aux(f, record);
    if (shown != 0 && max != 0)
        PutFrame(a, x - a.xOff, y - a.yOff, a.drawMode, BarWidth(FrameWidth(a), shown, max));
    const i32 row = y + digitsDy;
    i32 at = DrawFighterDigits(shown, x + 2, row);
    ActPlayer& slash = Digit(kSlash);
    PutFrame(slash, at - slash.xOff, row - slash.yOff, slash.drawMode);
    at += FrameWidth(slash) + 1;
    DrawFighterDigits(max, at, row);
}

}  // namespace

// The HP numbers stand two rows above their bar, the MP numbers on theirs:
// the bars lie five rows apart, so the two numbers lie seven.
void DrawHpBar(cFighter& f, i32 x, i32 y) {
    DrawResourceBar(f, 34, f.shownHp, f.hp, f.maxHp, x, y, -2);
}

void DrawMpBar(cFighter& f, i32 x, i32 y) {
    DrawResourceBar(f, 35, f.shownMp, f.mp, f.maxMp, x, y, 0);
}

void DrawStatusIcons(cFighter& f, i32 x, i32 y) {
    i32 count = 0;
    for (int k = 0; k < 15; ++k) count += (f.status >> k) & 1;
    x -= 9 * count;
    for (int k = 0; k < 15; ++k) {
        if (!((f.status >> k) & 1)) continue;
        ActPlayer& a = Aux(f, 10 + k);
        PutFrame(a, x - a.xOff, y - a.yOff, a.drawMode);
        x += FrameWidth(a) + 1;
    }
}

void DrawPartyPanel(cFighter& f) {
    ActPlayer& frame = Aux(f, 32);
    const i32 px = f.homeX - FrameWidth(frame) / 2, py = f.homeY + f.homeZ + 16;
    gPaintAlpha = 9;
    PutFrame(frame, px - frame.xOff, py - frame.yOff, 20);
    DrawGaugeBar(f, px + 1, py + 1);
    DrawHpBar(f, px + 3, py + 5);
    DrawMpBar(f, px + 3, py + 10);
    DrawStatusIcons(f, f.homeX, py + 18);
    if (!f.ordered) return;
    ActPlayer& mark = Aux(f, 38);
    PutFrame(mark, px + 12 - mark.xOff, py - 6 - mark.yOff, mark.drawMode);
}

void DrawEnemyPanel(cFighter& f) {
    ActPlayer& frame = Aux(f, 32);
    const i32 px = f.homeX - FrameWidth(frame) / 2, py = f.homeY + f.homeZ + 16;
    gPaintAlpha = 9;
    PutFrame(frame, px - frame.xOff, py - frame.yOff, 20);
    DrawGaugeBar(f, px + 2, py + 1);
    DrawStatusIcons(f, f.homeX, py + 8);
}

void DrawCommandPanel(cFighter& f, i32 x, i32 y) {
    ActPlayer& panel = Aux(f, 36);
    ActPlayer& face = Aux(f, 37);
    PutFrame(panel, x - panel.xOff, y - panel.yOff, panel.drawMode);
    PutFrame(face, x + 6 - face.xOff, y + 6 - face.yOff, face.drawMode);
    if (!gPaintBuf) return;
    char name[33];
    f.stats.CopyName(name);
    UseBattleFont(16, 20);
    gMainFont.SetShadowColor(FighterScreenColour(29582));
    gMainFont.DrawString(gPaintBuf, x + 94, y + 14, name, FighterScreenColour(kWhite),
                         kStyleBoldOutline);
    const bool transformed = f.IsAdded();
    const u16 colour = FighterScreenColour(transformed ? kWhite : 0);
    UseBattleFont(12, 12);
    char text[32];
    std::snprintf(text, sizeof(text), "%4d / %4d", f.hp < 0 ? 0 : f.hp, f.maxHp);
    gMainFont.DrawString(gPaintBuf, x + 120, y + 60, text, colour, kStylePlain);
    std::snprintf(text, sizeof(text), "%4d / %4d", f.mp < 0 ? 0 : f.mp, f.maxMp);
    gMainFont.DrawString(gPaintBuf, x + 120, y + 74, text, colour, kStylePlain);
    if (transformed) {
        std::snprintf(text, sizeof(text), "%2d", f.stats.OfferValue());
        gMainFont.DrawString(gPaintBuf, x + 53, y + 74, text, colour, kStylePlain);
    }
    UseBattleFont(13, 16);
    gMainFont.DrawString(gPaintBuf, x + 98, y + 38, B5("狀態"), FighterScreenColour(kWhite),
                         kStylePlain);
    DrawStatusIcons(f, x + 133, y + 36);
}
