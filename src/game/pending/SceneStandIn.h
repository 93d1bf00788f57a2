// Stand-in for what the map scene will own (quake, picture-show counter) and
// for two drawing helpers of the archives, until the scene arrives.
#pragma once
#include "engine/Types.h"
#include "game/City.h"
#include "game/RoleTable.h"

// The map scene's quake table and picture-show counter.
extern u8 gQuakeTable[128];
extern u32 gQuakePeriod, gQuakeCountdown, gQuakeBaseX, gQuakeBaseY;
extern u32 gPicShowCounter;

void ResetSceneStandIn();

// Picture 9004 of the archives: draws countdown digit d (10 the colon) and
// returns its width.
i32 DrawCountdownDigit(i32 x, i32 y, int d);

// The bounding box of a role's current act frame on screen.
bool RoleScreenRect(int slot, i32* left, i32* top, i32* right, i32* bottom);
