// Placeholders for map mode, the story interpreter and the screens until they exist.
#include "game/Main.h"
#include "game/Pending.h"

void SetMapCursorAction(int) {}
// The least a battle start does: mark the battle as running.
void EnterBattle() { gBattleActive = 1; }
void ReturnFromBattle(int) {}
void RunDevTool() {}
void ClearMapInputHolds() {}
