// Stand-in for what the map scene will own (quake, picture-show counter) and
// for a drawing helper of the archives, until the scene arrives.
#pragma once
#include "base/Types.h"
#include "map/City.h"
#include "map/RoleTable.h"

// The picture show's counter; the quake lives in the map scene.
#include "map/MapScene.h"
extern u32 gPicShowCounter;

void ResetSceneStandIn();

// The bounding box of a role's current act frame on screen.
bool RoleScreenRect(int slot, i32* left, i32* top, i32* right, i32* bottom);
