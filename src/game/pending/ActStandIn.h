// Stand-in for the act player until the act archives arrive: only the fields
// the role table and map entry read, under the names the act module uses.
#pragma once
#include "engine/Types.h"

struct ActPlayer {
    i32 act = 0;
    i32 lastAct = 0;
    i32 action = 0;
    i32 lastAction = 0;
    u32 xOffset = 0, yOffset = 0;
    u32 drawMode = 0;
    u32 whWidth = 0, whHeight = 0;  // footprint in cells ("WH")
    i32 direction = 0;
    i32 lastDirection = 0;
    u16 commandIndex = 0;
    u16 delayCounter = 0;
    u16 stepCounter = 0;
    const u16* actData = nullptr;
    u32 mode = 0;
};

// 1 when the act has frames for the player's action and direction.
int ActHasFrames(ActPlayer* p);
