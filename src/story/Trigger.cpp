// TriggerStory: the cursor over people and answers, the click that starts a
// talk, and the click handed to the dialogue boxes.
#include "story/Trigger.h"

#include "base/Types.h"
#include "platform/TextCodec.h"
#include "engine/DInput.h"
#include "engine/ErrorBox.h"
#include "data/GameFlags.h"
#include "map/City.h"
#include "map/KeyCole.h"
#include "map/MapArchive.h"
#include "map/MapManage.h"
#include "map/MapScene.h"
#include "map/RoleTable.h"
#include "map/SystemServices.h"
#include "story/Dialog.h"
#include "story/Talk.h"

int gHoveredRole = -1;
int gTriggerCursor = 13;

namespace {

int gLastButtons = 0;

int HoveredRole(i32 mx, i32 my) {
    for (int i = 1; i < gMapRoleCount && i < kRoleRows; ++i) {
        const RoleSlot& r = gMapRoles[i];
        if (i == gPlayerSlot || !(r.state & kRoleShown) || (r.state & kRoleNoMouse) ||
            r.talk == 0 || r.talkLock)
            continue;
        i32 l, t, rr, b;
        if (RoleScreenRect(i, &l, &t, &rr, &b) && mx >= l && mx < rr && my >= t && my < b) return i;
    }
    return -1;
}

// The point a role is measured from: the centre of its footprint.
void FootCentre(const RoleSlot& s, i32* x, i32* y) {
    int w, h;
    RoleFootprint(&s, &w, &h);
    *x = s.x + 8 * w;
    *y = s.y + 8 * h;
}

// The role turns to the player by the angle between them, the player the
// opposite way, and the role's talk starts.
void StartRoleTalk(int slot) {
    RoleSlot& r = gMapRoles[slot];
    RoleSlot& p = gMapRoles[gPlayerSlot];
    i32 rx, ry, px, py;
    FootCentre(r, &rx, &ry);
    FootCentre(p, &px, &py);
    int d = DirectionTo(rx, ry, px, py);
    if ((r.state & kRoleTurnsToTalk) && r.act) {
        gTalkTurn = {slot, r.act->action, r.act->dir};
        r.act->action = 0;
        r.act->dir = d;
        if (!TakeActData(r.act))
            ReportActFault(r.act->act, B5("Act Err35(Talk:RoleTurn)"),
                           B5("設定錯誤 GUID[%d]\nact[%d] qq[%d] dir[%d]"), r.roleId, r.act->act,
                           r.act->action, r.act->dir);
    }
    if (p.act) {
        p.act->action = 0;
        p.act->dir = d ^ 1;
        if (!TakeActData(p.act))
            ReportActFault(p.act->act, B5("Act Err36(Talk:MRoleTFace)"),
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
        i32 px, py;
        FootCentre(p, &px, &py);
        p.act->action = 0;
        p.act->dir = DirectionTo(px, py, x + 8, y + 8);
        if (!TakeActData(p.act))
            ReportActFault(p.act->act, B5("Act Err37(Talk:MouseActiveStory)"),
                           B5("設定錯誤 GUID[%d]\nact[%d] qq[%d] dir[%d]"), gPlayerId, p.act->act,
                           p.act->action, p.act->dir);
    }
    StartTalk(static_cast<u16>(ev.script & 0x7FFF), kTalkSpot);
    gTalkContext.x = static_cast<u16>(x);
    gTalkContext.y = static_cast<u16>(y);
    gTalkContext.ownerState = 0;
    gTalkFlags = kTalkLockBit;
}

// Direction inputs of player control and the directions each one takes part in
// (bit d for direction code d).
struct MouseInput {
    int entry;
    u8 dirs;
};
constexpr MouseInput kMouseInputs[4] = {
    {keyEntry::kUp, 0x91},     // 0, 4, 7
    {keyEntry::kDown, 0x62},   // 1, 5, 6
    {keyEntry::kLeft, 0x54},   // 2, 4, 6
    {keyEntry::kRight, 0xA8},  // 3, 5, 7
};

// The cursor points from the player toward the mouse; a held button walks the
// player that way through the direction inputs that player control reads.
void MouseWalk(const RoleSlot& p, i32 mx, i32 my, int buttons) {
    int w, h;
    RoleFootprint(&p, &w, &h);
    i32 px = p.x - gViewX + 8 * w, py = p.y - gViewY + 8 * h;
    i32 distance = 0;
    int dir = AngleToDirection(GetAngleTo(mx, my, px, py, &distance));
    gTriggerCursor = dir;
    // The world map moves the player to the chosen place by itself.
    if (gMapId == 2 || !(buttons & 3) || distance < 16 || gTalkFlags != 0) return;
    if ((p.x & 15) || (p.y & 15)) return;
    const KeyState& button =
        gKeyStates[(buttons & 1) ? keyEntry::kMouseLeft : keyEntry::kMouseRight];
    for (const MouseInput& in : kMouseInputs) {
        KeyState& k = gKeyStates[in.entry];
        if (in.dirs & (1u << dir))
            k = button;
        else if (k.held == 0)
            k.down = 0;  // a key the keyboard does not hold points elsewhere now
    }
}

}  // namespace

void TriggerStory() {
    i32 mx = 0, my = 0;
    int buttons = gDInput.ReadMouse(&mx, &my);
    // On the world map the confirm keys press the left button (player control
    // reads them so this frame): confirm enters the place the keys chose.
    if (gMapId == 2 && gKeyStates[keyEntry::kMouseLeft].held > 0) buttons = (buttons & ~2) | 1;
    bool click = (buttons & 1) && !(gLastButtons & 1);
    gLastButtons = buttons;
    gHoveredRole = -1;
    gTriggerCursor = 13;
    // The HUD icons take the click first; a screen they open ends the frame's work.
    if (CheckMenuIconClick(static_cast<int>(gKeyStates[keyEntry::kMouseLeft].down))) {
        SetMapCursorAction(gTriggerCursor);
        return;
    }
    const RoleSlot* player =
        gPlayerSlot >= 0 && gPlayerSlot < kRoleRows ? &gMapRoles[gPlayerSlot] : nullptr;
    i32 action = player && player->act ? player->act->action : 0;

    // Answers of an open answer box take the mouse first.
    if (!GetGameFlag(kCursorFrameOffFlag) && ChoiceOpen() && (action == 0 || action == 52)) {
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
    bool pointed = false;  // a person or a spot took the cursor
    if (!TalkRunning() && action == 0) {
        gHoveredRole = HoveredRole(mx, my);
        pointed = gHoveredRole >= 0;
        if (gHoveredRole >= 0) {
            u32 st = gMapRoles[gHoveredRole].state;
            if (!(st & kRoleNoTalkCursor)) gTriggerCursor = gMapId == 2 ? 16 : 9;
            if (st & kRoleCursor10) gTriggerCursor = 10;
            if (st & kRoleCursor15) gTriggerCursor = 15;
            if (click && player) {
                StartRoleTalk(gHoveredRole);
                click = false;
            }
        } else if (player) {
            i32 sx = 0, sy = 0;
            if (const MapEvent* ev = ClickableSpotAt(mx, my, &sx, &sy)) {
                pointed = true;
                gTriggerCursor = 11;
                if (click) {
                    StartSpotClickTalk(*ev, sx, sy);
                    click = false;
                }
            }
        }
    }
    if (!pointed && player) MouseWalk(*player, mx, my, buttons);
    if (click && !gDialogs.empty()) gDialogClick = 1;
    SetMapCursorAction(gTriggerCursor);
}

void ResetTrigger() {
    gHoveredRole = -1;
    gTriggerCursor = 13;
    gLastButtons = 0;
}
