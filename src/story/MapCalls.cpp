// What map mode asks of the story: the running talk, touch talks, the dialogue
// boxes' hold on the mouse and the story countdown's drawing.
#include "data/GameFlags.h"
#include "map/MapManage.h"
#include "map/RoleTable.h"
#include "map/StoryLink.h"
#include "story/Countdowns.h"
#include "story/Dialog.h"
#include "story/PicShow.h"
#include "story/Talk.h"
#include "story/TextTools.h"

u16 TalkOwner() {
    return gTalkContext.owner;
}

void StartTouchTalk(int role) {
    if (role <= 0 || role >= kRoleRows) return;
    StartTalk(gMapRoles[role].talk, gMapRoles[role].roleId);
    gTalkContext.x = gMapRoles[role].x;
    gTalkContext.y = gMapRoles[role].y;
    gTalkContext.ownerState = gMapRoles[role].state;
}

bool DialogTakesMouse() {
    for (const auto& d : gDialogs)
        if (d && (d->flags & 0x8000)) return true;
    return false;
}

bool DialogWantsPointer() {
    for (const auto& d : gDialogs)
        if (d && (d->flags & 0x2000)) return true;
    return false;
}

u32 TalkScriptPosition() {
    return gTalkContext.offset;
}

void DrawStoryCountdown(i32 x, i32 y) {
    if (GetGameFlag(kStoryCountdownFlag) && gStoryCountdown >= 0) DrawCountdown(x, y, 0);
}

bool PicShowRunning() {
    return gPicShow.running;
}
