// State the in-game menu pages share with the rest of the game, and the
// map's way of starting them on their first row.
#pragma once
#include "engine/Types.h"

// Index into gRoles of the character the menu pages show.
extern u32 gMenuRole;
void ResetMenuState();

// The map's F keys and menu icons start the menu pages on their first side row.
void SetMenuPage(int page);
void ResetMenuPage();
