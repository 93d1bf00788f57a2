// Placeholders for the map scene's route steppers and movement until the scene
// arrives: straight routes without a search, and the least movement that walks
// the player and the people on their routes cell by cell.
#include <algorithm>

#include "game/City.h"
#include "game/MapArchive.h"
#include "game/Pending.h"
#include "game/RoleTable.h"

namespace {

constexpr int kDx[8] = {1, 0, -1, -1, -1, 0, 1, 1};
constexpr int kDy[8] = {1, 1, 1, 0, -1, -1, -1, 0};
constexpr int kAnim[8] = {5, 1, 6, 2, 4, 0, 7, 3};
constexpr u8 kBit[8] = {0x10, 0x20, 0x40, 0x80, 0x01, 0x02, 0x04, 0x08};

int RouteDir(int dx, int dy) {
    for (int d = 0; d < 8; ++d)
        if (kDx[d] == dx && kDy[d] == dy) return d;
    return -1;
}

RoleRoute* Walking(int slot) {
    for (RoleRoute& r : gRoleRoutes)
        if (r.role == slot && (r.state & 15) == 1) return &r;
    return nullptr;
}

RoleRoute* WalkingOrFree(int slot) {
    if (RoleRoute* r = Walking(slot)) return r;
    for (RoleRoute& r : gRoleRoutes)
        if (r.role == 0xFFFF) return &r;
    return nullptr;
}

u32* CellOf(const RoleSlot& s) {
    u32 cx = s.x / 16, cy = s.y / 16;
    if (!gMap.cells || cx >= gMap.width || cy >= gMap.height) return nullptr;
    return &gMap.cells[static_cast<size_t>(cy) * gMap.width + cx];
}

// A role leaving its cell takes the cell it walks to at once.
void MoveFootprint(RoleSlot& s, int dx, int dy) {
    ClearRoleFootprint(&s);
    u16 x = s.x, y = s.y;
    s.x = static_cast<u16>(s.x + 16 * dx);
    s.y = static_cast<u16>(s.y + 16 * dy);
    s.cell = CellOf(s);
    MarkRoleFootprint(&s);
    s.x = x;
    s.y = y;
}

int Sign(int v) {
    return (v > 0) - (v < 0);
}

u8 Blocked(RoleSlot& s, u32 mask) {
    int w, h;
    RoleFootprint(&s, &w, &h);
    return GetBlockedDirections(s.cell, w, h, mask);
}

}  // namespace

int StartRoleRoute(int slot, i32 x, i32 y) {
    if (slot <= 0 || slot >= kRoleRows) return 0;
    if (x < 0 || y < 0 || x >= static_cast<i32>(gMap.width) * 16 ||
        y >= static_cast<i32>(gMap.height) * 16)
        return 0;
    RoleRoute* r = WalkingOrFree(slot);
    if (!r) return 0;
    ClearRoleRoute(r);
    r->role = static_cast<u16>(slot);
    r->pos = 0;
    r->targetX = static_cast<u16>(x & ~15);
    r->targetY = static_cast<u16>(y & ~15);
    r->stepX = r->stepY = 0;
    r->retry = 0;
    r->state = 1;
    const RoleSlot& s = gMapRoles[slot];
    int cx = s.x / 16, cy = s.y / 16, tx = x / 16, ty = y / 16, n = 0;
    while ((cx != tx || cy != ty) && n < 512) {
        int dx = (tx > cx) - (tx < cx), dy = (ty > cy) - (ty < cy);
        r->dirs[n++] = static_cast<u8>(RouteDir(dx, dy));
        cx += dx;
        cy += dy;
    }
    r->dirs[n] = 255;
    return 1;
}

int StepRoleRoute(int slot) {
    RoleRoute* r = Walking(slot);
    if (!r) return 2;
    u16 pos = r->pos & 0x7FFF;
    u8 d = pos < 512 ? r->dirs[pos] : 255;
    RoleSlot& s = gMapRoles[slot];
    if (d > 7) {
        ClearRoleRoute(r);
        return 2;
    }
    r->pos = static_cast<u16>(pos | 0x8000);
    r->stepX = r->stepY = 0;
    u32 mask = r->retry >= 8 ? kCellWall : (kCellWall | kCellRole);
    if (Blocked(s, mask) & kBit[d]) {
        if (r->retry < 255) ++r->retry;
        return 1;
    }
    r->retry = 0;
    r->pos = pos;
    r->stepX = static_cast<i16>(4 * kDx[d]);
    r->stepY = static_cast<i16>(4 * kDy[d]);
    if (s.act) {
        s.act->action = 8;
        s.act->dir = kAnim[d];
    }
    return 1;
}

int StepRoleInDirection(int slot, int dir) {
    RoleRoute* r = WalkingOrFree(slot);
    if (!r) return 1;
    RoleSlot& s = gMapRoles[slot];
    if (r->role != slot) {
        ClearRoleRoute(r);
        r->role = static_cast<u16>(slot);
        r->pos = 0;
        r->targetX = r->targetY = 0;
        r->state = 1;
        r->dirs[0] = 1;
        r->dirs[1] = 255;
    }
    if (s.talkLock == 1 || dir > 60) {
        r->pos |= 0x8000;
        if (s.act) s.act->action = 0;
        return 1;
    }
    if (s.act) s.act->action = 8;
    if (dir >= 0 && dir < 8) r->dirs[0] = static_cast<u8>(dir);
    r->dirs[1] = 255;
    r->pos = 0x8000;
    r->stepX = r->stepY = 0;
    u8 d = r->dirs[0] < 8 ? r->dirs[0] : 1;
    if (s.act) s.act->dir = kAnim[d];
    if (Blocked(s, kCellWall | kCellRole) & kBit[d]) return 1;
    r->pos = 0;
    r->stepX = static_cast<i16>(4 * kDx[d]);
    r->stepY = static_cast<i16>(4 * kDy[d]);
    return 1;
}

void UpdateRoles() {
    for (int i = 1; i < gMapRoleCount && i < kRoleRows; ++i) {
        RoleSlot& s = gMapRoles[i];
        if (!(s.state & kRoleShown) || (s.state & kRoleFollows)) continue;
        if ((s.state & 0x80000000u) || s.talkLock == 1)
            MarkRoleFootprint(&s);
        else if (s.scriptId)
            RunRoleScript(i);
    }
}

void UpdateMapScene() {
    DlgMessage();
    RoleSlot* p =
        gPlayerSlot > 0 && gPlayerSlot < gMapRoleCount ? &gMapRoles[gPlayerSlot] : nullptr;
    if (p) {
        i32 step = static_cast<i32>(gWalkStep);
        int sx = gScrollStepX + gPlayerStepX, sy = gScrollStepY + gPlayerStepY;
        if ((sx || sy) && (p->x & 15) == 0 && (p->y & 15) == 0) MoveFootprint(*p, sx, sy);
        p->x = static_cast<u16>(p->x + (gScrollStepX + gPlayerStepX) * step);
        p->y = static_cast<u16>(p->y + (gScrollStepY + gPlayerStepY) * step);
        gViewX += gScrollStepX * step;
        gMapScene.viewRight += gScrollStepX * step;
        gViewY += gScrollStepY * step;
        gMapScene.viewBottom += gScrollStepY * step;
        if ((p->x & 15) == 0 && (p->y & 15) == 0) {
            gScrollStepX = gScrollStepY = gPlayerStepX = gPlayerStepY = 0;
        }
    }
    for (RoleRoute& r : gRoleRoutes) {
        if (r.role == 0xFFFF || (r.pos & 0x8000) || r.role >= kRoleRows) continue;
        RoleSlot& s = gMapRoles[r.role];
        if (!(s.state & kRoleShown)) continue;
        if ((r.stepX || r.stepY) && (s.x & 15) == 0 && (s.y & 15) == 0)
            MoveFootprint(s, Sign(r.stepX), Sign(r.stepY));
        s.x = static_cast<u16>(s.x + 2 * r.stepX);
        s.y = static_cast<u16>(s.y + 2 * r.stepY);
        if ((s.x & 15) || (s.y & 15)) continue;
        r.pos = static_cast<u16>(((r.pos & 0x7FFF) + 1) | 0x8000);
        if (r.targetX == s.x && r.targetY == s.y && (r.state & 15) == 1 && !(r.state & 0x80))
            ClearRoleRoute(&r);
    }
}
