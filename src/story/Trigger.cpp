// TriggerStory: the cursor over people and answers, the click that starts a
// talk, and the click handed to the dialogue boxes.
#include "story/Trigger.h"

#include "data/GameFlags.h"
#include "engine/DInput.h"
#include "engine/ErrorBox.h"
#include "base/Types.h"
#include "map/City.h"
#include "map/MapArchive.h"
#include "map/RoleTable.h"
#include "map/MapManage.h"
#include "map/SceneStandIn.h"
#include "platform/TextCodec.h"
#include "story/Dialog.h"
#include "story/Talk.h"

int gHoveredRole = -1;
int gTriggerCursor = 13;

namespace {

int gLastButtons = 0;

int HoveredRole(i32 mx, i32 my) {
    for (int i = 1; i < gMapRoleCount && i < kRoleRows; ++i) {
        const RoleSlot& r = gMapRoles[i];
        if (i == gPlayerSlot || !(r.state & kRoleShown) || (r.state & 0x04) || r.talk == 0 ||
            r.talkLock)
            continue;
        i32 l, t, rr, b;
        if (RoleScreenRect(i, &l, &t, &rr, &b) && mx >= l && mx < rr && my >= t && my < b) return i;
    }
    return -1;
}

// Direction code 0-7 from (fx, fy) toward (tx, ty).
int DirectionTo(i32 fx, i32 fy, i32 tx, i32 ty) {
    i32 dx = tx - fx, dy = ty - fy;
    i32 ax = dx < 0 ? -dx : dx, ay = dy < 0 ? -dy : dy;
    bool horizontal = ax > 2 * ay, vertical = ay > 2 * ax;
    if (vertical) return dy < 0 ? 0 : 1;
    if (horizontal) return dx < 0 ? 2 : 3;
    if (dx < 0) return dy < 0 ? 4 : 6;
    return dy < 0 ? 7 : 5;
}

void StartRoleTalk(int slot) {
    RoleSlot& r = gMapRoles[slot];
    RoleSlot& p = gMapRoles[gPlayerSlot];
    int d = DirectionTo(p.x, p.y, r.x, r.y);
    if ((r.state & 0x800) && r.act) {
        gTalkTurn = {slot, r.act->action, r.act->dir};
        r.act->action = 0;
        r.act->dir = d ^ 1;
        if (!TakeActData(r.act))
            ErrorBox(B5("Act Err35(Talk:RoleTurn)"),
                     B5("設定錯誤 GUID[%d]\nact[%d] qq[%d] dir[%d]"), r.roleId, r.act->act,
                     r.act->action, r.act->dir);
    }
    if (p.act) {
        p.act->action = 0;
        p.act->dir = d;
        if (!TakeActData(p.act))
            ErrorBox(B5("Act Err36(Talk:MRoleTFace)"),
                     B5("設定錯誤 GUID[%d]\nact[%d] qq[%d] dir[%d]"), gPlayerId, p.act->act,
                     p.act->action, p.act->dir);
    }
    StartTalk(r.talk, r.roleId);
    gTalkContext.x = r.x;
    gTalkContext.y = r.y;
    gTalkContext.ownerState = r.state;
}

// The map spot under the mouse whose click flag is set, or null. *x, *y: the
// clicked cell's corner as the talk records it (the mouse point cut down to
// the 16-pixel grid of the screen, plus the view origin).
const MapEvent* ClickableSpotAt(i32 mx, i32 my, i32* x, i32* y) {
    if (!gMap.cells || mx < 0 || my < 0) return nullptr;
    i32 cx = (mx + gViewX) / 16, cy = (my + gViewY) / 16;
    if (cx < 0 || cy < 0 || cx >= static_cast<i32>(gMap.width) ||
        cy >= static_cast<i32>(gMap.height))
        return nullptr;
    u32 n = gMap.cells[static_cast<size_t>(cy) * gMap.width + cx] & 0xFF;
    const MapEvent* ev = n ? FindMapEvent(n) : nullptr;
    if (!ev || !GetGameFlag(static_cast<i32>(ev->clickable))) return nullptr;
    *x = (mx & ~15) + gViewX;
    *y = (my & ~15) + gViewY;
    return ev;
}

// The player faces the clicked spot, its talk starts and holds player control.
void StartSpotClickTalk(const MapEvent& ev, i32 x, i32 y) {
    RoleSlot& p = gMapRoles[gPlayerSlot];
    if (p.act) {
        p.act->action = 0;
        p.act->dir = DirectionTo(p.x, p.y, x, y);
        if (!TakeActData(p.act))
            ErrorBox(B5("Act Err37(Talk:MouseActiveStory)"),
                     B5("設定錯誤 GUID[%d]\nact[%d] qq[%d] dir[%d]"), gPlayerId, p.act->act,
                     p.act->action, p.act->dir);
    }
    StartTalk(static_cast<u16>(ev.script & 0x7FFF), kTalkSpot);
    gTalkContext.x = static_cast<u16>(x);
    gTalkContext.y = static_cast<u16>(y);
    gTalkContext.ownerState = 0;
    gTalkFlags = kTalkLockBit;
}

}  // namespace

void TriggerStory() {
    i32 mx = 0, my = 0;
    int buttons = gDInput.ReadMouse(&mx, &my);
    bool click = (buttons & 1) && !(gLastButtons & 1);
    gLastButtons = buttons;
    gHoveredRole = -1;
    gTriggerCursor = 13;
    const RoleSlot* player =
        gPlayerSlot >= 0 && gPlayerSlot < kRoleRows ? &gMapRoles[gPlayerSlot] : nullptr;
    i32 action = player && player->act ? player->act->action : 0;

    // Answers of an open answer box take the mouse first.
    if (!GetGameFlag(9) && ChoiceOpen() && (action == 0 || action == 52)) {
        gTriggerCursor = 13;
        int index = -1;
        if (FindScreenItemAtMouse(mx, my, &index)) {
            gChosenAnswer = static_cast<u32>(index);
            if (click && ChoicesShown()) FreeScreenItemList();
        }
        // A click before every answer is out shows the rest of the box.
        if (click && !ChoicesShown()) gDialogClick = 1;
        SetMapCursorAction(gTriggerCursor);
        return;
    }
    if (!TalkRunning() && action == 0) {
        gHoveredRole = HoveredRole(mx, my);
        if (gHoveredRole >= 0) {
            u32 st = gMapRoles[gHoveredRole].state;
            if (!(st & 0x20)) gTriggerCursor = gMapId == 2 ? 16 : 9;
            if (st & 0x40) gTriggerCursor = 10;
            if (st & 0x200) gTriggerCursor = 15;
            if (click && player) {
                StartRoleTalk(gHoveredRole);
                click = false;
            }
        } else if (player) {
            i32 sx = 0, sy = 0;
            if (const MapEvent* ev = ClickableSpotAt(mx, my, &sx, &sy)) {
                gTriggerCursor = 11;
                if (click) {
                    StartSpotClickTalk(*ev, sx, sy);
                    click = false;
                }
            }
        }
    }
    if (click && !gDialogs.empty()) gDialogClick = 1;
    SetMapCursorAction(gTriggerCursor);
}

void ResetTrigger() {
    gHoveredRole = -1;
    gTriggerCursor = 13;
    gLastButtons = 0;
}
