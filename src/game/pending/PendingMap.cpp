// Placeholders for map mode, the story interpreter and the screens until they exist.
#include "game/Main.h"
#include "game/Pending.h"

void TriggerStory() {}
void TalkStep() {}
void SetMapCursorAction(int) {}
// The least a battle start does: mark the battle as running.
void EnterBattle() { gBattleActive = 1; }
void ReturnFromBattle(int) {}
void RunInterface(u32) {}
void RunDevTool() {}
bool TalkRunning() { return gLastTalkStart.owner != 0xFFFF; }
void SetDialogTextSize() {}
