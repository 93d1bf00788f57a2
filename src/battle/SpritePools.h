// The three fixed pools of battle sprites: hit animations, floating texts and
// after-images.
#pragma once
#include "base/Types.h"
#include "engine/MyAct.h"
#include "battle/BattleSprite.h"

class cFighter;

constexpr int kSpritePoolSize = 128;
// A hit animation that never ends is let go after this many ticks.
constexpr i32 kHitAnimMaxTicks = 600;

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
