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

u16 TalkOwner() {
    return 0xFFFF;
}
void StartTouchTalk(int role) {
    if (role > 0 && role < kRoleRows) StartTalk(gMapRoles[role].talk, gMapRoles[role].roleId);
}
// The least a walk's end does: free the record.
void AdvanceRoleWalk(int role) {
    if (RoleRoute* r = FindRoleRoute(role)) ClearRoleRoute(r);
}
int WalkRoleTo(int role, i32 x, i32 y) {
    return StartRoleRoute(role, x >> 4, y >> 4);
}
void DlgMessage() {}
bool DialogTakesMouse() {
    return false;
}
bool DialogWantsPointer() {
    return false;
}
u32 TalkScriptPosition() {
    return 0;
}
bool InterfaceKeyPressed(int) {
    return false;
}
void MoveInterfaceCursor(i32 x, i32 y) {
    gMouseX = x;
    gMouseY = y;
}
void PlayUISound(int) {}
void SetMenuPage(int) {}
void DrawGhosts(i32, i32) {}
void DrawStoryCountdown(i32, i32) {}

void ResetControlStandIn() {
    gScrollStepX = gScrollStepY = gPlayerStepX = gPlayerStepY = 0;
    gWalkStep = 16;
    ClearKeyStates();
    gMouseX = gMouseY = 0;
}
