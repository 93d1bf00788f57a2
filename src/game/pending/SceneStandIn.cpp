// Stand-ins for the map scene's quake and picture-show state and two drawing helpers.
#include "game/pending/SceneStandIn.h"

#include <cstring>

u8 gQuakeTable[128];
u32 gQuakePeriod = 0, gQuakeCountdown = 0, gQuakeBaseX = 0, gQuakeBaseY = 0;
u32 gPicShowCounter = 0;

void ResetSceneStandIn() {
    std::memset(gQuakeTable, 0xCF, sizeof(gQuakeTable));
    gQuakePeriod = gQuakeCountdown = gQuakeBaseX = gQuakeBaseY = 0;
    gPicShowCounter = 0;
}

i32 DrawCountdownDigit(i32, i32, int) {
    return 16;
}

// Until the act frames are measured a role covers one 32 x 48 figure standing on its cell.
bool RoleScreenRect(int slot, i32* l, i32* t, i32* r, i32* b) {
    if (slot < 0 || slot >= kRoleRows) return false;
    *l = gMapRoles[slot].x - gViewX - 8;
    *t = gMapRoles[slot].y - gViewY - 32;
    *r = *l + 32;
    *b = *t + 48;
    return true;
}
