// Placeholders for what map entry and a new game call in later modules.
#include "game/Pending.h"

void ReleaseDialogPictures() {}
void WorldMapMusicHandOver() {}
void DrawLoadScreen(int, int) {}
