// Battle sprites: the common animation, movement and colour effects, and the
// hit-animation, floating-text and after-image pools.
#include "battle/BattleSprite.h"

#include <cstdio>
#include <cstdlib>
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
constexpr i32 kFlashFull = 16;
constexpr i32 kFloatTextSpeed = 3;

i32 SignOf(i64 d) {
    return d < 0 ? -1 : 1;
}

i32 Distance(i64 d) {
    i64 a = d < 0 ? -d : d;
    return a > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<i32>(a);
}

// Draws one frame at (x, y) less the frame's offsets; false when there is no picture.
bool PutFrameAt(u16 pic, u16 frame, i32 x, i32 y, u32 mode) {
    if (pic == 0) return false;
    PicFrame* f = GetPic(pic, frame);
    if (!f || !f->pixels) return false;
    gCurPic = f->pixels;
    PutPic(x, y, f->width, f->height, static_cast<i32>(mode & 0x7FFFFFFFu), f->alpha);
    return true;
}

template <class T>
T* FirstFree(T (&pool)[kSpritePoolSize]) {
    for (T& s : pool)
        if (!s.Taken()) return &s;
    return nullptr;
}
}  // namespace

// ---- the common part ----

void cBattleSprite::ResetSprite() {
    SpriteDrawFn keep = drawFn;
    *this = cBattleSprite{};
    drawFn = keep;
}

bool cBattleSprite::StartAnim(u32 a, u32 act2) {
    anim = ActPlayer{};
    anim2 = ActPlayer{};
    anim.act = static_cast<i32>(a);
    anim.action = static_cast<i32>(act2);
    if (!TakeActData(&anim)) return false;
    if (!HasLayer2()) return true;
    anim2.act = static_cast<i32>(anim.layerAct);
    anim2.action = static_cast<i32>(anim.layerAction);
    return TakeActData(&anim2) != 0;
}

bool cBattleSprite::StepAnim() {
    TakeActData(&anim);
    if (!HasLayer2()) return anim.ended != 0;
    TakeActData(&anim2);
    return anim.ended && anim2.ended;
}

bool cBattleSprite::TakeEvent(u16 bit) {
    if (anim.event & bit) {
        anim.event = static_cast<u16>(anim.event & ~bit);
        return true;
    }
    if (HasLayer2() && (anim2.event & bit)) {
        anim2.event = static_cast<u16>(anim2.event & ~bit);
        return true;
    }
    return false;
}

u16 cBattleSprite::TakeSoundCue() {
    for (ActPlayer* p : {&anim, &anim2}) {
        if (p->sound == 0) continue;
        u16 n = p->sound;
        p->sound = 0;
        return n;
    }
    return 0;
}

void cBattleSprite::MoveTo(i32 tx, i32 ty, i32 tz) {
    move.startX = x;
    move.startY = y;
    move.startZ = z;
    move.targetX = tx;
    move.targetY = ty;
    move.targetZ = tz;
    const i64 d[3] = {i64{tx} - x, i64{ty} - y, i64{tz} - z};
    for (int a = 0; a < 3; ++a) {
        move.sign[a] = SignOf(d[a]);
        move.dist[a] = Distance(d[a]);
        move.err[a] = 0;
    }
    const i32* n = move.dist;
    if (n[0] >= n[1] && n[0] >= n[2])
        move.major = 0;
    else if (n[1] > n[0] && n[1] >= n[2])
        move.major = 1;
    else
        move.major = 2;
}

bool cBattleSprite::StepMove(i32 n) {
    if (AtTarget()) return true;
    i32* pos[3] = {&x, &y, &z};
    const int m = move.major;
    for (i32 k = 0; k < n && !AtTarget(); ++k) {
        *pos[m] += move.sign[m];
        for (int a = 0; a < 3; ++a) {
            if (a == m) continue;
            move.err[a] += move.dist[a];
            if (move.err[a] < move.dist[m]) continue;
            move.err[a] -= move.dist[m];
            *pos[a] += move.sign[a];
        }
    }
    return false;
}

void cBattleSprite::MoveArc(i32 tx, i32 tz, i32 height) {
    MoveTo(tx, y, tz);
    // Only x and z run on the line: the larger of the two leads.
    move.major = move.dist[0] >= move.dist[2] ? 0 : 2;
    move.arcHeight = height;
    move.arcSpeed = height;
    move.arcErr = 0;
}

bool cBattleSprite::StepArc(i32 n) {
    auto arrived = [this] { return x == move.targetX && z == move.targetZ; };
    if (arrived()) return true;
    i32* pos[3] = {&x, &y, &z};
    const int m = move.major, minor = m == 0 ? 2 : 0;
    const i32 majorDist = move.dist[m];
    for (i32 k = 0; k < n && !arrived(); ++k) {
        *pos[m] += move.sign[m];
        move.err[minor] += move.dist[minor];
        if (move.err[minor] >= majorDist) {
            move.err[minor] -= majorDist;
            *pos[minor] += move.sign[minor];
        }
        move.arcErr += 2 * move.arcHeight;
        if (move.arcErr >= majorDist) {
            move.arcErr -= majorDist;
            y -= move.arcSpeed;
            --move.arcSpeed;
        }
        if (arrived()) y = move.startY;
    }
    return false;
}

void cBattleSprite::StartFade(i32 amount) {
    fadeMode = 1;
    fadeTarget = -std::abs(amount);
}

void cBattleSprite::EndFade() {
    fadeMode = 0;
    fadeTarget = 0;
}

void cBattleSprite::FlashIn() {
    flashOn = 1;
    flashMode = 1;
    flashCounter = 1;
}

void cBattleSprite::FlashOut() {
    flashOn = 1;
    flashMode = 2;
    flashCounter = kFlashFull - 1;
}

void cBattleSprite::StartShake(i32 dx, i32 dy) {
    shakeOn = dx != 0 || dy != 0;
    shakeDx = dx;
    shakeDy = dy;
}

void cBattleSprite::StepEffects() {
    if (fadeMode == 1 && fadeLevel > fadeTarget) --fadeLevel;
    if (fadeMode == 0 && fadeLevel < fadeTarget) ++fadeLevel;
    if (flashOn && flashMode == 1 && ++flashCounter >= kFlashFull)
        flashOn = flashMode = flashCounter = 0;
    if (flashOn && flashMode == 2 && --flashCounter <= 0) {
        flashCounter = 0;
        flashMode = 0;
    }
    if (shakeOn) {
        shakeDx = -shakeDx;
        shakeDy = -shakeDy;
    }
}

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
    cHitAnim* h = FirstFree(gHitAnims);
    if (!h) return nullptr;
    h->Reset();
    h->flags = kSpriteInUse | kSpriteTaken;
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
    cFloatText* t = FirstFree(gFloatTexts);
    if (!t) return nullptr;
    t->Reset();
    t->flags = kSpriteInUse | kSpriteTaken;
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
    cAfterImage* t = FirstFree(gAfterImages);
    if (!t || !fighter) return nullptr;
    t->Reset();
    t->flags = kSpriteInUse | kSpriteTaken;
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
