// Menu state: the fresh start of a new game.
#include "menu/MenuState.h"

#include "ui/ScreenState.h"
#include "menu/AbilityPanel.h"

void ResetMenuState() {
    gMenuRole = 0;
    ResetAbilityPanel();
}
