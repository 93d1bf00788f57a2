// Placeholders for what map entry and a new game call in later modules.
#include "game/Pending.h"

void TalkRoleCleanup(int) {}
void ReleaseScriptObjectLists() {}
void ReleaseWipeEffects() {}
void ReleaseTimedObjects() {}
void ReleaseRoleHeads() {}
void ReleaseDialogPictures() {}
void StopGhosts() {}
void WorldMapMusicHandOver() {}
void SetWorldMapHandOver(int) {}
void ResetSceneLayers() {}
void DrawLoadScreen(int, int) {}
