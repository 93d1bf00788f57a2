// Placeholders for what player control and the behaviour scripts need of the
// story's role commands, the menu pages and the map scene until they arrive.
#include "game/Pending.h"
#include "game/RoleTable.h"

int AccessRoleValue(u16 id, int which, i32* value, int op) {
    i32 row = FindRecord(id);
    if (row < 0 || (which != 1 && which != 2)) return 0;
    int byte = which == 1 ? 24 : 25;
    if (op == 2)
        SetRecordByte(row, byte, static_cast<u8>(*value));
    else
        *value = RecordByte(row, byte);
    return 1;
}

void ResetMenuPage() {}

void WorldMapKeys() {}

ActPlayer* GlobalActSlot(int) {
    return nullptr;
}
