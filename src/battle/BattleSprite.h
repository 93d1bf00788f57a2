// The common part of every battle sprite (animation, straight movement, fade,
// flash, shake) and the three fixed pools of hit animations, floating texts
// and after-images.
#pragma once
#include "base/Types.h"
#include "engine/MyAct.h"

class cFighter;
struct cBattleSprite;

constexpr u32 kSpriteInUse = 0x1, kSpriteTaken = 0x2;
constexpr u32 kKindParty = 0x1000, kKindAdded = 0x3000, kKindEnemy = 0x4000;
constexpr i32 kClassOrdinary = 0, kClassFront = 1, kClassBack = 2;
constexpr int kSpritePoolSize = 128;
// A hit animation that never ends is let go after this many ticks.
constexpr i32 kHitAnimMaxTicks = 600;

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

class cHitAnim : public cBattleSprite {
public:
    cHitAnim();
    void Reset();
    void Update();
    static void DrawSprite(cBattleSprite& s);

    cFighter* owner = nullptr;
    i32 step = 0;
    i32 ticks = 0;
};

constexpr int kFloatTextBytes = 32;

class cFloatText : public cBattleSprite {
public:
    cFloatText();
    void Reset();
    void Update();
    static void DrawSprite(cBattleSprite& s);

    cFighter* owner = nullptr;
    u32 colour = 0;
    u32 shadow = 0;
    char text[kFloatTextBytes] = {};
};

constexpr int kAfterImageCopies = 5;

class cAfterImage : public cBattleSprite {
public:
    struct Entry {
        i32 x = 0, y = 0, z = 0;
        ActPlayer anim;
    };
    cAfterImage();
    void Reset();
    void Update();
    static void DrawSprite(cBattleSprite& s);

    cBattleSprite* follows = nullptr;  // the fighter the trail follows
    u32 tint = 0;                      // byte 0 red, 1 green, 2 blue; 0 no tint pass
    i32 count = 0;
    Entry history[kAfterImageCopies];
};

extern cHitAnim gHitAnims[kSpritePoolSize];
extern cFloatText gFloatTexts[kSpritePoolSize];
extern cAfterImage gAfterImages[kSpritePoolSize];

cHitAnim* SpawnHitAnim(cFighter* owner, u32 act, u32 action, i32 x, i32 y, i32 z, i32 cls);
cFloatText* SpawnFloatText(cFighter* owner, const char* text, u32 colour, u32 shadow, i32 x, i32 y,
                           i32 z, i32 rise, i32 cls);
cFloatText* SpawnFloatNumber(cFighter* owner, i32 number, u32 colour, u32 shadow, i32 x, i32 y,
                             i32 z, i32 rise, i32 cls);
cAfterImage* AttachAfterImage(cBattleSprite* fighter, u32 tint, i32 count);
void DetachAfterImage(const cBattleSprite* fighter);
void StopHitAnims(const cFighter* owner, cHitAnim* anim);

void UpdateHitAnims();
void UpdateFloatTexts();
void UpdateAfterImages();
void ResetHitAnims();
void ResetFloatTexts();
void ResetAfterImages();
void DrawFrontHitAnims();

void ResetBattleSprites();
