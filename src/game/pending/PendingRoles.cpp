// Placeholders for the role table and the map scene until they exist: a plain
// table that tests fill by hand, and lookups over it.
#include <cstring>

#include "game/pending/RoleStandIn.h"

RoleSlot gMapRoles[kRoleRows];
i32 gMapRoleCount = 0;
i32 gPlayerSlot = 0;
u16 gPlayerId = 0;
RoleRoute gRoleRoutes[kRouteRecords];
u32 gMapId = 0;
i32 gViewX = 0, gViewY = 0;
u8 gQuakeTable[128];
u32 gQuakePeriod = 0, gQuakeCountdown = 0, gQuakeBaseX = 0, gQuakeBaseY = 0;
u32 gPicShowCounter = 0;

int FindRoleById(u16 id) {
    for (int i = 0; i < gMapRoleCount && i < kRoleRows; ++i)
        if (gMapRoles[i].roleId == id) return i;
    return -1;
}

int GetRoleIndex(u16 ref, int* index) {
    *index = 0;
    if (ref == 0xFFFE || ref == 0xFFF1) {
        *index = gPlayerSlot;
        return 1;
    }
    *index = FindRoleById(ref);
    return *index >= 0 ? 1 : 0;
}

i32 FindRecord(u16) {
    return -1;
}
u16 RecordWord(i32, int) {
    return 0;
}
void SetRecordWord(i32, int, u16) {}

void ResetRoleStandIn() {
    for (RoleSlot& s : gMapRoles) s = RoleSlot{};
    for (RoleRoute& r : gRoleRoutes) r = RoleRoute{};
    gMapRoleCount = 0;
    gPlayerSlot = 0;
    gPlayerId = 0;
    gMapId = 0;
    gViewX = gViewY = 0;
    std::memset(gQuakeTable, 0xCF, sizeof(gQuakeTable));
    gQuakePeriod = gQuakeCountdown = gQuakeBaseX = gQuakeBaseY = 0;
    gPicShowCounter = 0;
}

i32 DrawCountdownDigit(i32, i32, int) {
    return 16;
}

// Until the act frames exist a role covers one 32 x 48 figure standing on its cell.
bool RoleScreenRect(int slot, i32* l, i32* t, i32* r, i32* b) {
    if (slot < 0 || slot >= kRoleRows) return false;
    *l = gMapRoles[slot].x - gViewX - 8;
    *t = gMapRoles[slot].y - gViewY - 32;
    *r = *l + 32;
    *b = *t + 48;
    return true;
}
