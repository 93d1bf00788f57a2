// Placeholders for map mode, the story interpreter and the screens until they exist.
#include "game/Main.h"
#include "game/Pending.h"
#include "story/PicShow.h"
#include "story/ScriptScene.h"

void KeyCole() {}
void UpdateKeyStates() {}
void UpdateRoles() {}
// The least the map scene does: run the script's scroll, fade, spotlight and picture show,
// age and draw the dialogue boxes.
void UpdateMapScene() {
    StepScriptScene();
    RunPicShow();
    DlgMessage();
}
void SetMapCursorAction(int) {}
// The least a battle start does: mark the battle as running.
void EnterBattle() { gBattleActive = 1; }
void ReturnFromBattle(int) {}
void RunDevTool() {}
void ClearMapInputHolds() {}
