// Menu page state: the shown member, the page start, the ability panel's reset.
#include "menu/MenuState.h"

#include "map/MapManage.h"
#include "menu/AbilityPanel.h"
#include "ui/ScreenState.h"

u32 gMenuRole = 0;

void ResetMenuState() {
    gMenuRole = 0;
    ResetAbilityPanel();
}

void SetMenuPage(int) {
    gKeyFocus = 0;
}

void ResetMenuPage() {
    gKeyFocus = 0;
}
