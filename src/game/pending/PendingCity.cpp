// Placeholders for what map entry and a new game call in later modules.
#include "game/Pending.h"

TalkStart gLastTalkStart;

// The least a talk start does until the interpreter exists: remember it.
void StartTalk(u16 talk, u16 owner) {
    gLastTalkStart.talk = talk;
    gLastTalkStart.owner = owner;
    gLastTalkStart.count += 1;
}
void TalkRoleCleanup(int) {}
void FreeScreenItemList() {}
void ReleaseDialogs() {}
void ReleaseDialogPictures() {}
int FindDisc(int) {
    return 1;
}
void StopGhosts() {}
void SetScriptVar(int, i32) {}
void WorldMapMusicHandOver() {}
void DrawLoadScreen(int, int) {}
