// Placeholders for map mode, the story interpreter and the screens until they exist.
#include "game/Main.h"
#include "game/Pending.h"

void TriggerStory() {}
void KeyCole() {}
void UpdateKeyStates() {}
void TalkStep() {}
void RunInterface(u32) {}
void RunDevTool() {}
bool TalkRunning() { return false; }
void SetDialogTextSize() {}
