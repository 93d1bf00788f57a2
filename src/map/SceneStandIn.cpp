// Stand-ins for the map scene's quake and picture-show state and a drawing helper.
#include "map/SceneStandIn.h"

#include <cstring>

u32 gPicShowCounter = 0;

void ResetSceneStandIn() {
    gPicShowCounter = 0;
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
