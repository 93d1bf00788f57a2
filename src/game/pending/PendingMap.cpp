// Placeholders for map mode, the story interpreter and the screens until they exist.
#include "game/Main.h"
#include "game/Pending.h"

void KeyCole() {}
// Until the map scene draws the view, the canvas keeps what was drawn last.
void DrawWorld() {}
void UpdateKeyStates() {}
void UpdateRoles() {}
// The least the map scene does: age and draw the dialogue boxes.
void UpdateMapScene() { DlgMessage(); }
void SetMapCursorAction(int) {}
// The least a battle start does: mark the battle as running.
void EnterBattle() { gBattleActive = 1; }
void ReturnFromBattle(int) {}
void RunDevTool() {}
void ClearMapInputHolds() {}
