// State the in-game menu pages share with the rest of the game.
#pragma once
#include "base/Types.h"

// Index into gRoles of the character the menu pages show.
extern u32 gMenuRole;
void ResetMenuState();
