// State the in-game menu pages share with the rest of the game.
#pragma once
#include "base/Types.h"
#include "ui/ScreenState.h"  // gMenuRole

void ResetMenuState();
