// What the rest of the game calls of battle mode.
#pragma once
#include "base/Types.h"

// Role codes a story script leaves for the battle's opening: 1..9999 hides role
// v, above 10000 shows role v - 10000, -1 (and 10000) nothing.
constexpr int kBattleRoleChanges = 10;
extern i32 gBattleRoleChanges[kBattleRoleChanges];
void ResetBattleRoleChanges();

// One frame of the running battle: 1 while it goes on, 0 after a victory (or an
// escape while game flag 322 is clear), 2 after a defeat (or such an escape with 322 set).
int BattleFrame();
