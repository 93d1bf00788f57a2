// Placeholders for player control, the behaviour interpreter and the story
// side that the map scene calls, until they exist.
#include "game/Pending.h"

i32 gScrollStepX = 0, gScrollStepY = 0, gPlayerStepX = 0, gPlayerStepY = 0;
u32 gWalkStep = 16;
KeyState gKeyStates[32];
i32 gMouseX = 0, gMouseY = 0;

void ClearKeyStates() {
    for (KeyState& k : gKeyStates) k = KeyState{};
}
void RunRoleScript(int) {}

// The least a walk's end does: free the record.
void AdvanceRoleWalk(int role) {
    if (RoleRoute* r = FindRoleRoute(role)) ClearRoleRoute(r);
}
int WalkRoleTo(int role, i32 x, i32 y) {
    return StartRoleRoute(role, x >> 4, y >> 4);
}
void DrawGhosts(i32, i32) {}
void SetMenuPage(int) {}

void ResetControlStandIn() {
    gScrollStepX = gScrollStepY = gPlayerStepX = gPlayerStepY = 0;
    gWalkStep = 16;
    ClearKeyStates();
    gMouseX = gMouseY = 0;
}
