// Placeholders for map mode, the story interpreter and the screens until they exist.
#include "game/Main.h"
#include "game/Pending.h"

void TriggerStory() {}
void KeyCole() {}
void UpdateKeyStates() {}
void TalkStep() {}
void UpdateRoles() {}
void UpdateMapScene() {}
void SetMapCursorAction(int) {}
// The least a battle start does: mark the battle as running.
void EnterBattle() { gBattleActive = 1; }
void ReturnFromBattle(int) {}
void RunDevTool() {}
void ClearMapInputHolds() {}
bool TalkRunning() { return false; }
void StartCountdownTalk() {}
void ReleaseMapTransients() {}
void SetDialogTextSize() {}
