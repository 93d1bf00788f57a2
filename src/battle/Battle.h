// What the rest of the game calls of battle mode.
#pragma once
#include "engine/Types.h"

// Roles to show (< 10000) or hide (entry - 10000) on the map when a battle ends; -1 empty.
extern i32 gBattleEndRoles[10];
void ResetBattleEndRoles();

// One frame of the running battle: 1 while it goes on, 0 after a victory (or an
// escape while game flag 322 is clear), 2 after a defeat (or such an escape with 322 set).
int BattleFrame();
