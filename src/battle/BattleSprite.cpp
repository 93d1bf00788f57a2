// The common part of every battle sprite: animation, straight and arc movement,
// fade, flash and shake.
#include "battle/BattleSprite.h"

#include <cstdlib>
#include <initializer_list>

namespace {
constexpr i32 kFlashFull = 16;

i32 SignOf(i64 d) {
    return d < 0 ? -1 : 1;
}

i32 Distance(i64 d) {
    i64 a = d < 0 ? -d : d;
    return a > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<i32>(a);
}
}  // namespace

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
