// What the rest of the game calls of battle mode.
#pragma once
#include "base/Types.h"
#include "data/GameData.h"


// One frame of the running battle: 1 while it goes on, 0 after a victory (or an
// escape while game flag 322 is clear), 2 after a defeat (or such an escape with 322 set).
int BattleFrame();
