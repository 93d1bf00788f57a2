// The three fixed pools of battle sprites: hit animations, floating texts and
// after-images; each updates into the draw list and queues its sound cues there.
#include "battle/SpritePools.h"

#include <cstdio>
#include <cstring>

#include "base/Big5.h"
#include "engine/GrpFont.h"
#include "engine/PicPaint.h"
#include "engine/Tsw.h"
#include "data/GameData.h"
#include "battle/BattleMath.h"
#include "battle/DrawList.h"

cHitAnim gHitAnims[kSpritePoolSize];
cFloatText gFloatTexts[kSpritePoolSize];
cAfterImage gAfterImages[kSpritePoolSize];

namespace {
constexpr i32 kFloatTextSpeed = 3;

// Draws one frame at (x, y) less the frame's offsets; false when there is no picture.
bool PutFrameAt(u16 pic, u16 frame, i32 x, i32 y, u32 mode) {
    if (pic == 0) return false;
    PicFrame* f = GetPic(pic, frame);
    if (!f || !f->pixels) return false;
    gCurPic = f->pixels;
    PutPic(x, y, f->width, f->height, static_cast<i32>(mode & kActModePaint), f->alpha);
    return true;
}

// The first free sprite of a pool, reset and taken; none when all are taken.
template <class T>
T* TakeFree(T (&pool)[kSpritePoolSize]) {
    for (T& s : pool)
        if (!s.Taken()) {
            s.Reset();
            s.flags = kSpriteInUse | kSpriteTaken;
            return &s;
        }
    return nullptr;
}
}  // namespace

// ---- hit animations ----

cHitAnim::cHitAnim() {
    drawFn = &cHitAnim::DrawSprite;
}

void cHitAnim::Reset() {
    ResetSprite();
    owner = nullptr;
    step = 0;
    ticks = 0;
}

void cHitAnim::Update() {
    if (step == 0) {
        // An act that cannot be had would keep its owner waiting: the slot is freed at once.
        if (!StartAnim(act, action)) {
            Reset();
            return;
        }
        step = 1;
        ticks = 0;
    } else if (StepAnim() || ++ticks >= kHitAnimMaxTicks) {
        owner = nullptr;
        step = 0;
        ticks = 0;
        flags = 0;
    }
    if (drawClass != kClassFront) gDrawList.AddSprite(this);
    gDrawList.AddSoundCue(this);
}

void cHitAnim::DrawSprite(cBattleSprite& s) {
    gPaintAlpha = s.anim.blend;
    s.shakeDx = -s.shakeDx;
    s.shakeDy = -s.shakeDy;
    const i32 bx = s.x + s.shakeDx, by = s.y + s.z + s.shakeDy;
    const ActPlayer& a = s.anim;
    PutFrameAt(a.pic, a.frame, bx - a.xOff, by - a.yOff, a.drawMode);
    if (s.HasLayer2()) {
        gPaintAlpha = s.anim2.blend;
        PutFrameAt(s.anim2.pic, s.anim2.frame, bx - s.anim2.xOff, by - s.anim2.yOff,
                   s.anim2.drawMode);
    }
    if (a.overlayPic && a.overlayFrame)
        PutFrameAt(a.overlayPic, static_cast<u16>(a.overlayFrame - 1), bx - a.xOff - a.overlayX,
                   by - a.yOff - a.overlayY, a.drawMode | 4);
}

cHitAnim* SpawnHitAnim(cFighter* owner, u32 act, u32 action, i32 x, i32 y, i32 z, i32 cls) {
    cHitAnim* h = TakeFree(gHitAnims);
    if (!h) return nullptr;
    h->owner = owner;
    h->act = act;
    h->action = action;
    h->x = x;
    h->y = y;
    h->z = z;
    h->drawClass = cls;
    return h;
}

void StopHitAnims(const cFighter* owner, cHitAnim* anim) {
    if (anim) {
        if (anim->Taken() && anim->owner == owner) anim->Reset();
        return;
    }
    for (cHitAnim& h : gHitAnims)
        if (h.Taken() && h.owner == owner) h.Reset();
}

void UpdateHitAnims() {
    for (cHitAnim& h : gHitAnims)
        if (h.Taken()) h.Update();
}

void ResetHitAnims() {
    for (cHitAnim& h : gHitAnims) h.Reset();
}

void DrawFrontHitAnims() {
    for (cHitAnim& h : gHitAnims)
        if (h.Taken() && h.drawClass == kClassFront) h.drawFn(h);
}

// ---- floating texts ----

cFloatText::cFloatText() {
    drawFn = &cFloatText::DrawSprite;
}

void cFloatText::Reset() {
    ResetSprite();
    owner = nullptr;
    colour = shadow = 0;
    std::memset(text, 0, sizeof(text));
}

void cFloatText::Update() {
    if (!StepMove(kFloatTextSpeed)) {
        gDrawList.AddSprite(this);
        gDrawList.AddSoundCue(this);
        return;
    }
    ResetSprite();
    owner = nullptr;
    flags = 0;
}

void cFloatText::DrawSprite(cBattleSprite& s) {
    cFloatText& t = static_cast<cFloatText&>(s);
    if (!gPaintBuf) return;
    gSecondFont.SetShadowColor(static_cast<u16>(t.shadow));
    gSecondFont.DrawString(gPaintBuf, t.x, Sat32(i64{t.y} + t.z), t.text,
                           static_cast<u16>(t.colour), kStyleBoldOutline);
}

cFloatText* SpawnFloatText(cFighter* owner, const char* text, u32 colour, u32 shadow, i32 x, i32 y,
                           i32 z, i32 rise, i32 cls) {
    cFloatText* t = TakeFree(gFloatTexts);
    if (!t) return nullptr;
    t->owner = owner;
    t->colour = colour;
    t->shadow = shadow;
    t->x = x;
    t->y = y;
    t->z = z;
    t->drawClass = cls;
    // A fighter may stand anywhere a record puts it: the rise stops at the end of the range.
    t->MoveTo(x, Sat32(i64{y} + rise), z);
    // A longer text keeps what fits, never half a character.
    size_t n = text ? Big5Cut(text, std::strlen(text), kFloatTextBytes - 1) : 0;
    if (n) std::memcpy(t->text, text, n);
    t->text[n] = 0;
    return t;
}

cFloatText* SpawnFloatNumber(cFighter* owner, i32 number, u32 colour, u32 shadow, i32 x, i32 y,
                             i32 z, i32 rise, i32 cls) {
    char buf[kFloatTextBytes];
    std::snprintf(buf, sizeof(buf), "%4d", number);
    return SpawnFloatText(owner, buf, colour, shadow, x, y, z, rise, cls);
}

void UpdateFloatTexts() {
    for (cFloatText& t : gFloatTexts)
        if (t.Taken()) t.Update();
}

void ResetFloatTexts() {
    for (cFloatText& t : gFloatTexts) t.Reset();
}

// ---- after-images ----

cAfterImage::cAfterImage() {
    drawFn = &cAfterImage::DrawSprite;
}

void cAfterImage::Reset() {
    ResetSprite();
    follows = nullptr;
    tint = 0;
    count = 0;
    for (Entry& e : history) e = Entry{};
}

void cAfterImage::Update() {
    if (!follows || !follows->Taken()) {
        Reset();
        return;
    }
    for (int i = kAfterImageCopies - 1; i > 0; --i) history[i] = history[i - 1];
    Entry& e = history[0];
    e.x = follows->x + follows->shakeDx;
    e.y = follows->y + follows->shakeDy;
    e.z = follows->z;
    e.anim = follows->anim;
    if (follows->kind == kKindEnemy) {
        const MonsterOffset o = GetMonsterOffset(static_cast<i32>(follows->pic));
        e.x -= o.dx;
        e.y -= o.dy;
    }
    gDrawList.AddSprite(this);
}

void cAfterImage::DrawSprite(cBattleSprite& s) {
    cAfterImage& t = static_cast<cAfterImage&>(s);
    for (i32 i = t.count - 1; i >= 0; --i) {
        const Entry& e = t.history[i];
        const ActPlayer& a = e.anim;
        i32 px = e.x - 8 * static_cast<i32>(a.cellW) - a.xOff;
        i32 py = e.y + e.z - 8 * static_cast<i32>(a.cellH) - a.yOff;
        gPaintAlpha = 16 - 3 * i;
        PutFrameAt(a.pic, a.frame, px, py, 0x14);
        if (t.tint == 0) continue;
        gPaintTintR = static_cast<i32>(t.tint & 0xFF);
        gPaintTintG = static_cast<i32>(t.tint >> 8 & 0xFF);
        gPaintTintB = static_cast<i32>(t.tint >> 16 & 0xFF);
        PutFrameAt(a.pic, a.frame, px, py, 0x10);
    }
}

cAfterImage* AttachAfterImage(cBattleSprite* fighter, u32 tint, i32 count) {
    cAfterImage* t = fighter ? TakeFree(gAfterImages) : nullptr;
    if (!t) return nullptr;
    t->follows = fighter;
    t->tint = tint;
    t->count = count < 0 ? 0 : (count > kAfterImageCopies ? kAfterImageCopies : count);
    for (i32 i = 0; i < t->count; ++i)
        t->history[i] = {fighter->x, fighter->y, fighter->z, fighter->anim};
    return t;
}

void DetachAfterImage(const cBattleSprite* fighter) {
    for (cAfterImage& t : gAfterImages) {
        if (!t.Taken() || t.follows != fighter) continue;
        t.Reset();
        return;
    }
}

void UpdateAfterImages() {
    for (cAfterImage& t : gAfterImages)
        if (t.Taken()) t.Update();
}

void ResetAfterImages() {
    for (cAfterImage& t : gAfterImages) t.Reset();
}

void ResetBattleSprites() {
    ResetHitAnims();
    ResetFloatTexts();
    ResetAfterImages();
}
