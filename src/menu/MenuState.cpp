// Menu page state.
#include "menu/MenuState.h"

#include "map/MapManage.h"

u32 gMenuRole = 0;

void ResetMenuState() { gMenuRole = 0; }

void SetMenuPage(int) {}
void ResetMenuPage() {}
