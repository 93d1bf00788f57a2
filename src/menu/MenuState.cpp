// Menu state: the fresh start of a new game.
#include "menu/MenuState.h"

#include "menu/AbilityPanel.h"
#include "ui/ScreenState.h"

void ResetMenuState() {
    gMenuRole = 0;
    ResetAbilityPanel();
}
