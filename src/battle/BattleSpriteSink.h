// What the fighters' rules ask of the battle sprites: floating numbers over a fighter.
#pragma once
#include <string>
#include <vector>

#include "base/Types.h"

class cFighter;

// The kinds of floating text over a fighter.
enum FloatKind {
    kFloatHp,       // an HP loss or gain, rise -64
    kFloatMp,       // an MP loss or gain, rise -64
    kFloatMiss,     // "Miss", rise -64
    kFloatHpRegen,  // a regeneration gain, rise -48
    kFloatMpRegen,
};

// Where and how a floating text of that kind is drawn over a fighter standing
// at (x, y) whose first animation record has y offset yOffset.
struct FloatLook {
    i32 x;
    i32 y;
    u16 colour;
    u16 shadow;
    i32 rise;
    i32 drawClass;
};
FloatLook GetFloatLook(FloatKind kind, i32 x, i32 y, i32 yOffset);

// Spawns a floating text over the fighter.
void ShowFighterFloat(const cFighter& f, FloatKind kind, const char* text);

// What the stand-in keeps of the spawned texts, for a test to read.
struct ShownFloat {
    const cFighter* fighter;
    FloatKind kind;
    std::string text;
};
const std::vector<ShownFloat>& ShownFighterFloats();
void ClearShownFighterFloats();
