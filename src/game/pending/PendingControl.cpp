// Placeholders for what the map scene and player control need of the story's
// walk commands and the menu pages until they exist.
#include "game/Pending.h"

// The least a walk's end does: free the record.
void AdvanceRoleWalk(int role) {
    if (RoleRoute* r = FindRoleRoute(role)) ClearRoleRoute(r);
}
int WalkRoleTo(int role, i32 x, i32 y) {
    return StartRoleRoute(role, x >> 4, y >> 4);
}
void SetMenuPage(int) {}
void ResetMenuPage() {}

ActPlayer* GlobalActSlot(int n) {
    return n >= 0 && n < kActSlots ? &gActSlots[n] : nullptr;
}
