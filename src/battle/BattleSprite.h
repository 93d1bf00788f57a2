// The common part of every battle sprite: animation, straight and arc movement,
// fade, flash and shake.
#pragma once
#include "base/Types.h"
#include "engine/MyAct.h"

struct cBattleSprite;

constexpr u32 kSpriteInUse = 0x1, kSpriteTaken = 0x2;
constexpr u32 kKindParty = 0x1000, kKindAdded = 0x3000, kKindEnemy = 0x4000;
constexpr i32 kClassOrdinary = 0, kClassFront = 1, kClassBack = 2;

// How a kind of sprite draws itself; each kind sets it when it is made.
using SpriteDrawFn = void (*)(cBattleSprite& s);

struct SpriteMove {
    i32 startX = 0, startY = 0, startZ = 0;
    i32 targetX = 0, targetY = 0, targetZ = 0;
    i32 sign[3] = {1, 1, 1};
    i32 dist[3] = {0, 0, 0};
    i32 err[3] = {0, 0, 0};
    i32 major = 0;                                // 0 x, 1 y, 2 z
    i32 arcHeight = 0, arcSpeed = 0, arcErr = 0;  // the hop of an arc
};

struct cBattleSprite {
    u32 flags = 0;
    u32 kind = 0;
    u32 pic = 0;  // picture, or the monster number of an enemy
    u32 act = 0;
    u32 action = 0;
    ActPlayer anim;
    ActPlayer anim2;  // the second layer of an act that asks for one
    i32 facing = 0;
    i32 drawClass = 0;
    i32 x = 0, y = 0, z = 0;
    SpriteMove move;
    i32 tick = 0;
    i32 fadeMode = 0, fadeTarget = 0, fadeLevel = 0;
    i32 flashOn = 0, flashMode = 0, flashCounter = 0;
    i32 shrinkOn = 0, shrinkAmount = 0;
    i32 shakeOn = 0, shakeDx = 0, shakeDy = 0;
    SpriteDrawFn drawFn = nullptr;

    bool Taken() const { return (flags & kSpriteTaken) != 0; }
    bool HasLayer2() const { return (anim.event & kActEventLayer2) != 0; }

    void ResetSprite();
    bool StartAnim(u32 act, u32 action);
    bool StepAnim();
    // Takes one event bit from the first record, else from the second layer.
    bool TakeEvent(u16 bit);
    u16 TakeSoundCue();
    void MoveTo(i32 tx, i32 ty, i32 tz);
    // Up to n steps; true only when the sprite already stood on the target.
    bool StepMove(i32 n);
    bool AtTarget() const { return x == move.targetX && y == move.targetY && z == move.targetZ; }
    // A hop over the floor to (tx, tz): the line runs over x and z while y rises
    // and falls; y is back at its start on arrival.
    void MoveArc(i32 tx, i32 tz, i32 height);
    // Up to n steps of the hop; true only when the sprite already stood on the target.
    bool StepArc(i32 n);
    void StartFade(i32 amount);
    void EndFade();
    void FlashIn();
    void FlashOut();
    void StartShake(i32 dx, i32 dy);
    // One tick of fade, flash and shake.
    void StepEffects();
};
