// Placeholders for what the map scene and player control need of the menu
// pages until they exist.
#include "game/Pending.h"

void SetMenuPage(int) {}
void ResetMenuPage() {}
