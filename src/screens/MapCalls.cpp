// What map mode asks of the interface above it: logical keys, the cursor, the
// interface sounds and the page the menu opens on.
#include "map/InterfaceLink.h"

#include "sound/Sound.h"
#include "data/Config.h"
#include "map/KeyCole.h"
#include "map/MapManage.h"
#include "ui/ScreenState.h"
#include "ui/UiInput.h"

bool InterfaceKeyPressed(int key) {
    return gKeyInput.IsPressed(key) != 0;
}

void MoveInterfaceCursor(i32 x, i32 y) {
    gMouseInput.MoveCursor(x, y);
    gMouseX = x;
    gMouseY = y;
}

void ResetInterfaceKeys() {
    gKeyInput.Reset();
}

void PlayUISound(int n) {
    PlaySfx(n, static_cast<int>(gSfxVolume));
}

// The menu pages start on their first row whichever page opens.
void SetMenuPage(int) {
    gKeyFocus = 0;
}

void ResetMenuPage() {
    gKeyFocus = 0;
}
