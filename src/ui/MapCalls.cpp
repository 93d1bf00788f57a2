// What map mode asks of the interface input: logical keys and the cursor.
#include "engine/DInput.h"
#include "map/KeyCole.h"
#include "map/MapManage.h"
#include "ui/UiInput.h"

bool InterfaceKeyPressed(int key) {
    return gKeyInput.IsPressed(key) != 0;
}

void MoveInterfaceCursor(i32 x, i32 y) {
    gMouseInput.MoveCursor(x, y);
    gMouseX = x;
    gMouseY = y;
}

