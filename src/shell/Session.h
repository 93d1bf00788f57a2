// The game session: options loaded at its start and saved at its end, games
// begun, ended and reloaded.
#pragma once
#include "base/Types.h"
#include "map/GameMusic.h"
#include "map/SessionServices.h"

extern u32 gScreenTransition;  // the screens' transition word

void StartSession();
void EndSession();
void NewGameData();
void EndGame();
void ReloadGameDatabase();
void ResetSession();
