// Map mode's calls whose modules are not built yet: each does the least.
#include "map/KeyCole.h"
#include "map/MapManage.h"

void SetupWorldMap() {}
void WorldMapMusicHandOver() {}
void DrawLoadScreen(int, int) {}
void ClearMapInputHolds() {}
