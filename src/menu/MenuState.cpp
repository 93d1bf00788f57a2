// Menu page state.
#include "menu/MenuState.h"

u32 gMenuRole = 0;

void ResetMenuState() { gMenuRole = 0; }
