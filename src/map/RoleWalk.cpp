// The story's walker: scripted walks on the route records (story walk state),
// their per-cell steps and the hand-over at their end.
#include "map/RoleWalk.h"

#include "platform/TextCodec.h"
#include "engine/ErrorBox.h"
#include "map/AStar.h"
#include "map/City.h"
#include "map/KeyCole.h"
#include "map/MapScene.h"
#include "map/RoleTable.h"
#include "map/StoryLink.h"

namespace {

constexpr u32 kWallsAndRoles = 0x60000000u;
constexpr u32 kWallsOnly = 0x40000000u;
constexpr u8 kPatientTries = 8;  // then only walls stop a scripted walker

RoleSlot* Row(int slot) {
    if (slot <= 0 || slot >= gMapRoleCount || slot >= kRoleRows) return nullptr;
    return &gMapRoles[slot];
}

u32* CellUnder(const RoleSlot& s) {
    if (!gMap.cells) return nullptr;
    u32 cx = s.x >> 4u, cy = s.y >> 4u;
    if (cx >= gMap.width || cy >= gMap.height) return nullptr;
    return &gMap.cells[static_cast<size_t>(cy) * gMap.width + cx];
}

bool OnGrid(const RoleSlot& s) {
    return ((s.x | s.y) & 15) == 0;
}

int Sign(i32 v) {
    return (v > 0) - (v < 0);
}

// The player between two cells goes back to the cell it came from, the view
// with it where it scrolled, and the step words are cleared.
void TakeBackPlayerSteps(RoleSlot& s) {
    int dx = Sign(gScrollStepX + gPlayerStepX), dy = Sign(gScrollStepY + gPlayerStepY);
    int vx = Sign(gScrollStepX), vy = Sign(gScrollStepY);
    for (int k = 0; k < 16 && !OnGrid(s) && (dx || dy); ++k) {
        if (s.x & 15) {
            s.x = static_cast<u16>(s.x - dx);
            gViewX -= vx;
            gViewRight -= vx;
        }
        if (s.y & 15) {
            s.y = static_cast<u16>(s.y - dy);
            gViewY -= vy;
            gViewBottom -= vy;
        }
    }
    s.x &= 0xFFF0;  // no step words to follow back: the cell under it
    s.y &= 0xFFF0;
    gScrollStepX = gScrollStepY = gPlayerStepX = gPlayerStepY = 0;
}

// Puts a role back on its grid with its footprint and cell pointer.
void Regrid(int slot, RoleSlot& s) {
    if (OnGrid(s)) return;
    ClearRoleFootprint(&s);
    bool stepping = gScrollStepX || gScrollStepY || gPlayerStepX || gPlayerStepY;
    if (slot == gPlayerSlot && stepping)
        TakeBackPlayerSteps(s);
    else
        SnapToGrid(&s, RoleMoveDir(slot), -1);
    if (!OnGrid(s)) {
        s.x &= 0xFFF0;
        s.y &= 0xFFF0;
    }
    s.cell = CellUnder(s);
    RefileRole(&s);
    if ((s.state & kRoleDrawnBits) == kRoleShown) MarkRoleFootprint(&s);
}

RoleRoute* FreeRecord() {
    for (RoleRoute& r : gRoleRoutes)
        if (r.role == kNoRole) return &r;
    return nullptr;
}

bool UnderWay(const RoleSlot& s, const RoleRoute& r) {
    if (s.x == r.targetX && s.y == r.targetY) return false;
    return RouteDirAt(&r, r.pos & 0x7FFFu) != kRouteEnd;
}

// Searches a path from the role's place to the record's target into it.
bool SearchInto(RoleSlot& s, RoleRoute& r) {
    int w, h;
    RoleFootprint(&s, &w, &h);
    aStar search;
    // Its own footprint must not stand in its way.
    ClearRoleFootprint(&s);
    int ok = search.FindPath(s.x, s.y, r.targetX, r.targetY, w, h, &r);
    if ((s.state & kRoleDrawnBits) == kRoleShown) MarkRoleFootprint(&s);
    r.pos = kRoutePaused;
    r.stepX = r.stepY = 0;
    r.retry = 0;
    return ok != 0;
}

// A walk that cannot go: the role stays and its walk counts as ended, so no
// command waits for it.
int NoWalk(RoleSlot& s, RoleRoute* r) {
    if (r) ClearRoleRoute(r);
    s.state &= ~kWalkUnderWay;
    s.state |= kWalkArrived;
    return 0;
}

void FinishPlayerWalk() {
    gScrollStepX = gScrollStepY = gPlayerStepX = gPlayerStepY = 0;
    if (!(gViewMode & kViewNoFollow)) CenterCameraOnPlayer();
}

}  // namespace

int RoleMoveDir(int slot) {
    RoleSlot* s = Row(slot);
    if (!s) return -1;
    for (const RoleRoute& r : gRoleRoutes) {
        if (r.role != slot) continue;
        u8 d = RouteDirAt(&r, r.pos & 0x7FFFu);
        if (d < 8) return d;
    }
    if (!s->act) return -1;
    for (int d = 0; d < 8; ++d)
        if (kRouteAnimDir[d] == s->act->dir) return d;
    return -1;
}

void PutRoleOnGrid(int slot) {
    RoleSlot* s = Row(slot);
    if (!s) return;
    Regrid(slot, *s);
    // A snap elsewhere may have lifted the footprint without setting it down again.
    s->cell = CellUnder(*s);
    if ((s->state & kRoleDrawnBits) == kRoleShown) MarkRoleFootprint(s);
}

bool RoleHasWalk(int slot) {
    return slot > 0 && FindRoleRoute(slot, kRouteStory) != nullptr;
}

int WalkRoleTo(int slot, i32 x, i32 y, u32 flags, u16 act, u16 action, u16 dir) {
    RoleSlot* sp = Row(slot);
    if (!sp) return 0;
    RoleSlot& s = *sp;
    s.state &= ~kWalkArrived;
    RoleRoute* r = FindRoleRoute(slot, kRouteStory);
    if (r && UnderWay(s, *r)) {
        r->queuedRole = static_cast<u16>(slot);
        r->queuedX = static_cast<u16>(x);
        r->queuedY = static_cast<u16>(y);
        r->arriveAct = act;
        r->arriveAction = action;
        r->arriveDir = dir;
        if (flags & kWalkKeepRecord) r->state |= kRouteKeep;
        s.state |= kWalkHeld | kWalkUnderWay;
        return 1;
    }
    // A behaviour walk or a finished story walk gives way to the new one.
    Regrid(slot, s);
    for (RoleRoute& old : gRoleRoutes)
        if (old.role == slot) ClearRoleRoute(&old);
    if (x < 0 || y < 0 || (x >> 4) >= static_cast<i32>(gMap.width) ||
        (y >> 4) >= static_cast<i32>(gMap.height))
        return NoWalk(s, nullptr);
    r = FreeRecord();
    if (!r) return NoWalk(s, nullptr);
    r->role = static_cast<u16>(slot);
    r->targetX = static_cast<u16>(x);
    r->targetY = static_cast<u16>(y);
    r->queuedRole = r->queuedX = r->queuedY = 0xFFFF;
    r->arriveAct = act;
    r->arriveAction = action;
    r->arriveDir = dir;
    r->state = static_cast<u8>(kRouteStory | ((flags & kWalkKeepRecord) ? kRouteKeep : 0));
    if (!SearchInto(s, *r)) return NoWalk(s, r);
    s.state |= kWalkHeld | kWalkUnderWay;
    return 1;
}

int AdvanceRoleWalk(int slot) {
    RoleSlot* sp = Row(slot);
    if (!sp) return 0;
    RoleSlot& s = *sp;
    if (!(s.state & kWalkHeld)) return 1;
    RoleRoute* r = FindRoleRoute(slot, kRouteStory);
    if (!r) return 0;
    if (UnderWay(s, *r)) return 1;
    if (r->queuedX == 0xFFFF) {
        ClearRoleRoute(r);
        return 1;
    }
    r->targetX = r->queuedX;
    r->targetY = r->queuedY;
    r->queuedRole = r->queuedX = r->queuedY = 0xFFFF;
    if (!SearchInto(s, *r)) {
        NoWalk(s, r);
        return 1;
    }
    s.state &= ~kWalkArrived;
    s.state |= kWalkUnderWay;
    return 1;
}

int iMove(int slot) {
    RoleSlot* sp = Row(slot);
    if (!sp) return 0;
    RoleSlot& s = *sp;
    RoleRoute* r = FindRoleRoute(slot, kRouteStory);
    if (!r) return 0;
    // Between two cells the scene carries the role; the next decision waits for the cell.
    if (!(r->pos & kRoutePaused)) return 1;
    u8 d = RouteDirAt(r, r->pos & 0x7FFFu);
    if (d > 7) {
        if (s.x != r->targetX || s.y != r->targetY)
            ErrorBox(B5("對話系統(iMove)"), B5("沒有到達終點\nGUID(%d)\nrx%d,ry%d\ndx%d,dy%d"),
                     s.roleId, s.x, s.y, r->targetX, r->targetY);
        s.state &= ~(kWalkUnderWay | kRoleDoubleStep);
        s.state |= kWalkArrived;
        if (s.act) s.act->delayOverride = 0;
        if (slot == gPlayerSlot) FinishPlayerWalk();
        // The walk is over: its queued target goes on, or the record goes.
        if (!(r->state & kRouteKeep)) {
            if (s.state & kWalkHeld)
                AdvanceRoleWalk(slot);
            else
                ClearRoleRoute(r);
        }
        return 2;
    }
    s.state |= kWalkUnderWay;
    if (!(s.state & kWalkThrough)) {
        int w, h;
        RoleFootprint(&s, &w, &h);
        u32 mask = r->retry < kPatientTries ? kWallsAndRoles : kWallsOnly;
        const u32* cell = s.cell ? s.cell : CellUnder(s);
        if (GetBlockedDirections(cell, w, h, mask) & kRouteDirBit[d]) {
            if (r->retry < 255) ++r->retry;
            r->stepX = r->stepY = 0;
            return 1;
        }
    }
    r->retry = 0;
    r->pos &= ~kRoutePaused;
    r->stepX = static_cast<i16>(4 * kRouteDx[d]);
    r->stepY = static_cast<i16>(4 * kRouteDy[d]);
    return 1;
}

void Talkend(int n) {
    if (n < 0 || n >= kRoleRows) return;
    RoleSlot& s = gMapRoles[n];
    if (!(s.state & kWalkHeld)) return;
    for (RoleRoute& r : gRoleRoutes) {
        if (r.role != n) continue;
        if ((s.x & 15) || (s.y & 15)) {
            ClearRoleFootprint(&s);
            if (n != gPlayerSlot) SnapToGrid(&s, RoleMoveDir(n), -1);
        }
        s.state &= ~(kWalkUnderWay | kRoleDoubleStep);
        if (s.act) s.act->frameCounter = 0;
    }
    TalkRoleCleanup(n);
    s.state &= ~kWalkHeld;
    s.wait = 0;
}
