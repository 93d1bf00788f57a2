// Role rows, role records, occupancy marks, followers and route records.
#include "map/RoleTable.h"

#include <cstring>
#include <new>
#include <string>

#include "base/ByteIo.h"
#include "base/DataError.h"
#include "platform/TextCodec.h"
#include "engine/DataErrors.h"
#include "engine/ErrorBox.h"
#include "engine/MemDbg.h"
#include "map/City.h"
#include "map/DrawOrder.h"
#include "map/MapArchive.h"
#include "map/MapDb.h"

RoleSlot gMapRoles[kRoleRows];
i32 gMapRoleCount = 0;
i32 gPlayerSlot = 0;
u16 gPlayerId = 0;
RoleRoute gRoleRoutes[kRouteRecords];
Followers gFollowers;
u8* gRoleRecords = nullptr;
i32 gRoleRecordCount = 0;

const i8 kDirStepX[8] = {4, 0, -4, -4, -4, 0, 4, 4};
const i8 kDirStepY[8] = {4, 4, 4, 0, -4, -4, -4, 0};

// ---- role records ----

namespace {
u8* RecordAt(i32 row) {
    if (!gRoleRecords || row < 0 || row >= gRoleRecordCount) return nullptr;
    return gRoleRecords + static_cast<size_t>(row) * kRecordBytes;
}
}  // namespace

u16 RecordWord(i32 row, int word) {
    u8* p = RecordAt(row);
    return p && word >= 0 && word < kRecordWords ? LoadU16(p + 2 * word) : 0;
}
void SetRecordWord(i32 row, int word, u16 v) {
    u8* p = RecordAt(row);
    if (p && word >= 0 && word < kRecordWords) StoreU16(p + 2 * word, v);
}
u8 RecordByte(i32 row, int byte) {
    u8* p = RecordAt(row);
    return p && byte >= 0 && byte < kRecordBytes ? p[byte] : 0;
}
void SetRecordByte(i32 row, int byte, u8 v) {
    u8* p = RecordAt(row);
    if (p && byte >= 0 && byte < kRecordBytes) p[byte] = v;
}

i32 FindRecord(u16 id) {
    for (i32 i = 0; i < gRoleRecordCount; ++i)
        if (RecordWord(i, recWord::kId) == id) return i;
    return -1;
}

bool BindRoleRecords(u8* table, size_t size) {
    gRoleRecords = table;
    gRoleRecordCount = 0;
    if (!table) return false;
    size_t rows = size / kRecordBytes;
    for (size_t i = 0; i < rows; ++i) {
        if (LoadU16(table + i * kRecordBytes) == 0xFFFF) {
            gRoleRecordCount = static_cast<i32>(i);
            return true;
        }
    }
    // No end row: only the whole rows inside the database count.
    gRoleRecordCount = static_cast<i32>(rows);
    return false;
}

// ---- footprints ----

void RoleFootprint(const RoleSlot* s, int* w, int* h) {
    *w = 1;
    *h = 1;
    if (!s->act) return;
    if (s->act->cellW > 0 && s->act->cellW < 64) *w = static_cast<int>(s->act->cellW);
    if (s->act->cellH > 0 && s->act->cellH < 64) *h = static_cast<int>(s->act->cellH);
}

namespace {

u32 RoleCellBits(const RoleSlot* s) {
    u32 bits = kCellRole;
    if (s->state & kRoleWide) bits |= kCellWide;
    if (s->state & kRoleLow) bits |= kCellLow;
    if (s->roleId == gPlayerId) bits |= kCellPlayer;
    return bits;
}

// Calls fn on every cell of the role's footprint that lies inside the map.
// Every size goes through the bounded walk: the anchor of a footprint at the
// right or bottom edge must not reach into the next row or past the grid.
template <class Fn>
void WalkFootprint(const RoleSlot* s, Fn fn) {
    if (!gMap.cells || gMap.width == 0) return;
    int w, h;
    RoleFootprint(s, &w, &h);
    int cx = s->x >> 4, cy = s->y >> 4;
    for (int r = cy; r < cy + h; ++r) {
        if (r < 0 || r >= static_cast<int>(gMap.height)) continue;
        for (int c = cx; c < cx + w; ++c) {
            if (c < 0 || c >= static_cast<int>(gMap.width)) continue;
            fn(gMap.cells[static_cast<size_t>(r) * gMap.width + c]);
        }
    }
}

}  // namespace

void MarkRoleFootprint(RoleSlot* s) {
    u32 bits = RoleCellBits(s);
    WalkFootprint(s, [bits](u32& c) { c |= bits; });
}

// Only the role bits go: 0x20000000 doubles as a wall bit, so a cell that was a
// wall before any role stood there keeps it (the map keeps its static walls in
// gMapStaticWalls).
void ClearRoleFootprint(RoleSlot* s) {
    u32 bits = kCellRoleBits;
    if (s->roleId == gPlayerId) bits |= kCellPlayer;
    WalkFootprint(s, [bits](u32& c) {
        size_t i = static_cast<size_t>(&c - gMap.cells);
        u32 keep = IsStaticWall(i) ? kCellWide : 0;
        c &= ~(bits & ~keep);
    });
}

// ---- finding roles ----

int FindRoleById(u16 id) {
    for (int i = 0; i < gMapRoleCount && i < kRoleRows; ++i)
        if (gMapRoles[i].roleId == id && !(gMapRoles[i].state & kRoleGone)) return i;
    return -1;
}

u16 GetRoleId(int index) {
    return index >= 0 && index < kRoleRows ? gMapRoles[index].roleId : kNoRole;
}

int GetRoleIndex(u16 ref, int* index) {
    *index = 0;
    if (ref == kPlayerRef2 || ref == kPlayerRef) {
        *index = gPlayerSlot;
        return 1;
    }
    *index = FindRoleById(ref);
    return *index >= 0 ? 1 : 0;
}

namespace {
bool CellBlocked(int x, int y, u32 mask) {
    if (x < 0 || y < 0 || x >= static_cast<int>(gMap.width) || y >= static_cast<int>(gMap.height))
        return true;
    return (gMap.cells[static_cast<size_t>(y) * gMap.width + x] & mask) != 0;
}
}  // namespace

int IsAreaFree(int x, int y, int w, int h) {
    if (h <= 0 || w <= 0) return 1;
    if (!gMap.cells) return 0;
    for (int r = y; r < y + h; ++r)
        for (int c = x; c < x + w; ++c)
            if (CellBlocked(c, r, kCellWalkMask)) return 0;
    return 1;
}

u8 GetBlockedDirections(const u32* anchor, int w, int h, u32 mask) {
    if (!gMap.cells || !anchor || anchor < gMap.cells || gMap.width == 0) return 0xFF;
    size_t i = static_cast<size_t>(anchor - gMap.cells);
    int x = static_cast<int>(i % gMap.width), y = static_cast<int>(i / gMap.width);
    if (w < 1) w = 1;
    if (h < 1) h = 1;
    auto any = [&](int x0, int y0, int n, bool horizontal) {
        for (int k = 0; k < n; ++k)
            if (CellBlocked(horizontal ? x0 + k : x0, horizontal ? y0 : y0 + k, mask)) return true;
        return false;
    };
    u8 m = 0;
    if (w == 2) {
        // Row above c0..c3 from the up-left corner: corners take two cells each.
        if (any(x - 1, y - 1, 2, true)) m |= 0x01;
        if (any(x, y - 1, 2, true)) m |= 0x02;
        if (any(x + 1, y - 1, 2, true)) m |= 0x04;
        if (any(x - 1, y + h, 2, true)) m |= 0x40;
        if (any(x, y + h, 2, true)) m |= 0x20;
        if (any(x + 1, y + h, 2, true)) m |= 0x10;
    } else {
        if (CellBlocked(x - 1, y - 1, mask)) m |= 0x01;
        if (any(x, y - 1, w, true)) m |= 0x02;
        if (CellBlocked(x + w, y - 1, mask)) m |= 0x04;
        if (CellBlocked(x - 1, y + h, mask)) m |= 0x40;
        if (any(x, y + h, w, true)) m |= 0x20;
        if (CellBlocked(x + w, y + h, mask)) m |= 0x10;
    }
    if (any(x + w, y, h, false)) m |= 0x08;
    if (any(x - 1, y, h, false)) m |= 0x80;
    return m;
}

// ---- routes and animation states ----

int ClearRoleRoute(RoleRoute* r) {
    std::memset(r, 0xFF, sizeof(*r));
    return -1;
}

void ResetActPlayer(ActPlayer* p) {
    if (!p) return;
    *p = ActPlayer{};
    p->act = -1;
    p->action = -1;
    // The part pointer is loaded afresh on every tick; null keeps a stale one unusable.
    p->actData = nullptr;
    p->cmdIndex = 0;
    p->delayCount = 0;
    p->drawMode = 0;
}

int ActHasFrames(ActPlayer* p) {
    return p && p->act > 0 && LoadAct(p->act, p->dir + p->action) ? 1 : 0;
}

ActPlayer* NewActPlayer() {
    void* mem = MH_ALLOC(sizeof(ActPlayer));
    ActPlayer* p = new (mem) ActPlayer();
    ResetActPlayer(p);
    return p;
}

void ClearRoleTable() {
    for (int i = 0; i <= gMapRoleCount && i < kRoleRows; ++i) {
        if (gMapRoles[i].act) MH_FREE(gMapRoles[i].act);
        if (gMapRoles[i].text) MH_FREE(gMapRoles[i].text);
    }
    for (RoleSlot& s : gMapRoles) s = RoleSlot{};
}

void ClearRouteRecords() {
    for (RoleRoute& r : gRoleRoutes) ClearRoleRoute(&r);
}

void ClearFollowers() {
    std::memset(gFollowers.slot, 0xFF, sizeof(gFollowers.slot));
    gFollowers.count = 0;
    for (RoleRoute& r : gFollowers.routes) ClearRoleRoute(&r);
    std::memset(gFollowers.trailX, 0, sizeof(gFollowers.trailX));
    std::memset(gFollowers.trailY, 0, sizeof(gFollowers.trailY));
    std::memset(gFollowers.trailDir, 0, sizeof(gFollowers.trailDir));
}

void SnapToGrid(RoleSlot* s, int dir, int sign) {
    if (dir < 0 || dir > 7) return;
    // Four steps of 4 pixels cross a whole cell; more means the direction cannot reach the grid.
    for (int k = 0; k < 4 && ((s->x & 15) || (s->y & 15)); ++k) {
        s->x = static_cast<u16>(s->x + sign * kDirStepX[dir]);
        s->y = static_cast<u16>(s->y + sign * kDirStepY[dir]);
    }
}

// ---- records and rows ----

int UpdateRoleRecord(u16 id, i32 act, i32 action, i32 dir, i32 cx, i32 cy, u16 talk, u16 script,
                     u16 orBits, i32 andMask, i32 mapId, u16 word11, u16 word12) {
    i32 row = FindRecord(id);
    if (row < 0) return 0;
    auto put = [row](int w, i32 v) {
        if (v != -1) SetRecordWord(row, w, static_cast<u16>(v));
    };
    // 0xFFFF would read as the table's end row: it means "keep" and is never stored.
    if (mapId != -1 && mapId != 0xFFFF) SetRecordWord(row, recWord::kMap, static_cast<u16>(mapId));
    put(recWord::kAct, act);
    put(recWord::kAction, action);
    put(recWord::kDir, dir);
    put(recWord::kCellX, cx);
    put(recWord::kCellY, cy);
    if (talk != 0xFFFF) SetRecordWord(row, recWord::kTalk, talk);
    if (script != 0xFFFF) {
        SetRecordWord(row, recWord::kScript, script);
        SetRecordWord(row, recWord::kPc, 0);
    }
    u16 st = RecordWord(row, recWord::kState);
    if (andMask != -1) st &= static_cast<u16>(andMask);
    if (orBits != 0xFFFF) st |= orBits;
    SetRecordWord(row, recWord::kState, st);
    if (word11 != 0x8080 && word11 != 0xFFFF) SetRecordWord(row, recWord::kValue, word11);
    if (word12 != 255) SetRecordWord(row, recWord::kExtras, word12);
    return 1;
}

i32 ApplyRoleRecord(RoleSlot* s, u16 id) {
    i32 row = FindRecord(id);
    if (row < 0) return -1;
    if (s->act) {
        s->act->act = static_cast<i16>(RecordWord(row, recWord::kAct));
        s->act->action = static_cast<i16>(RecordWord(row, recWord::kAction));
        s->act->dir = static_cast<i16>(RecordWord(row, recWord::kDir));
    }
    s->x = static_cast<u16>(RecordWord(row, recWord::kCellX) * 16);
    s->y = static_cast<u16>(RecordWord(row, recWord::kCellY) * 16);
    s->talk = RecordWord(row, recWord::kTalk);
    s->scriptId = RecordWord(row, recWord::kScript);
    s->pc = 0;
    s->state = RecordWord(row, recWord::kState);
    s->roleId = id;
    return RecordWord(row, recWord::kMap);
}

namespace {

RoleRoute* RouteOf(int n) {
    for (RoleRoute& r : gRoleRoutes)
        if (r.role == n) return &r;
    return nullptr;
}

// The route direction the role moves along between two cells (the step at the
// route position; the last one taken once the route has ended), or -1. It is
// the direction SnapToGrid steps along.
int RouteStepDirection(const RoleRoute* r) {
    u16 pos = r->pos & 0x7FFF;
    if (pos < sizeof(r->dirs) && r->dirs[pos] < 8) return r->dirs[pos];
    int k = pos > 0 ? pos - 1 : 0;
    if (k >= static_cast<int>(sizeof(r->dirs))) return -1;
    u8 d = r->dirs[k];
    return d < 8 ? d : -1;
}

void StoreOneRole(RoleSlot& s, int x, int y) {
    if (s.state & kRoleFollows) {
        UpdateRoleRecord(s.roleId, s.act ? s.act->act : -1, s.act ? s.act->action : -1,
                         s.act ? s.act->dir : -1, x, y, s.talk, s.scriptId,
                         static_cast<u16>(s.state), 0, gMapId, 0xFFFF, 255);
        return;
    }
    i32 cx = s.x >> 4, cy = s.y >> 4;
    u32 pc = s.pc;
    if (s.scriptId != 0 && BehaviourCommandAt(s.scriptId, s.pc) == 8) {
        // Walking: the record keeps the cell the role was going to.
        RoleRoute* r = RouteOf(static_cast<int>(&s - gMapRoles));
        s.x &= ~15;
        s.y &= ~15;
        if (r) {
            cx = r->targetX >> 4;
            cy = r->targetY >> 4;
        }
        pc += 1;
    }
    i32 row = FindRecord(s.roleId);
    if (row < 0) {
        ReportDataError(
            BoxedDataError(
                DataError::Unplaced(kMapsFileName,
                                    "no role record for role " + std::to_string(s.roleId)),
                B5("角色編號(%d)\n資料歸鍵時\n找不到符合的位置\n可能是定義錯誤或是角色不存在了"),
                s.roleId),
            B5("!!! 警告 !!!"));
        return;
    }
    if (s.act) {
        SetRecordWord(row, recWord::kAct, static_cast<u16>(s.act->act));
        SetRecordWord(row, recWord::kAction, static_cast<u16>(s.act->action));
        SetRecordWord(row, recWord::kDir, static_cast<u16>(s.act->dir));
    }
    SetRecordWord(row, recWord::kCellX, static_cast<u16>(cx));
    SetRecordWord(row, recWord::kCellY, static_cast<u16>(cy));
    SetRecordWord(row, recWord::kTalk, s.talk);
    SetRecordWord(row, recWord::kScript, s.scriptId);
    SetRecordWord(row, recWord::kPc, static_cast<u16>(pc));
    SetRecordWord(row, recWord::kState, static_cast<u16>(s.state));
    SetRecordByte(row, recByte::kExtra2, static_cast<u8>(s.extra2));
}

}  // namespace

void StoreRoleRecords(int x, int y) {
    for (int i = 1; i < gMapRoleCount && i < kRoleRows; ++i) {
        RoleSlot& s = gMapRoles[i];
        if ((s.state & kRoleRemoved) || s.roleId == kNoRole || i == gPlayerSlot) continue;
        StoreOneRole(s, x, y);
    }
}

void AddFollower(int n) {
    // Entry 0 belongs to the player, also while the player's row is still to come.
    if (gFollowers.count == 0) gFollowers.count = 1;
    if (n <= 0 || n >= kRoleRows || gFollowers.count >= kFollowerMax) return;
    RoleSlot& s = gMapRoles[n];
    if (s.scriptId != 0) {
        if (RoleRoute* r = RouteOf(n)) {
            if ((s.x & 15) || (s.y & 15)) {
                ClearRoleFootprint(&s);
                SnapToGrid(&s, RouteStepDirection(r), -1);
            }
            int bucket = static_cast<int>(s.state & kRoleLayer);
            RemoveMapObject(&s, bucket);
            InsertMapObject(&s, bucket);
            UpdateRoleRecord(s.roleId, -1, -1, -1, -1, -1, 0xFFFF, 0xFFFF, kRoleFollows, -1, -1,
                             0xFFFF, 255);
            ClearRoleRoute(r);
        }
    }
    gFollowers.slot[gFollowers.count] = static_cast<u8>(n);
    ClearRoleRoute(&gFollowers.routes[gFollowers.count]);
    s.talk2 = 0;
    s.state = (s.state | kRoleFollows) & ~kRoleWide;
    gFollowers.count += 1;
}

void RemoveFollower(u16 ref, u16 script, u16 talk, i32 act, i32 action, i32 dir, u32 state) {
    int n = 0;
    if (!GetRoleIndex(ref, &n)) {
        i32 row = FindRecord(ref);
        if (row >= 0)
            SetRecordWord(row, recWord::kState, RecordWord(row, recWord::kState) & ~kRoleFollows);
        return;
    }
    u32 k = 0;
    while (k < gFollowers.count && gFollowers.slot[k] != n) ++k;
    if (k >= gFollowers.count) return;
    RoleSlot& s = gMapRoles[n];
    if ((s.x & 15) || (s.y & 15)) {
        RoleRoute& r = gFollowers.routes[k];
        int d = RouteStepDirection(&r);
        if (d >= 0) SnapToGrid(&s, d, +1);
    }
    int bucket = static_cast<int>(s.state & kRoleLayer);
    RemoveMapObject(&s, bucket);
    InsertMapObject(&s, bucket);
    ClearRoleRoute(&gFollowers.routes[k]);
    s.talk = talk;
    s.scriptId = script;
    if (s.act) {
        s.act->act = act;
        s.act->action = action;
        s.act->dir = dir;
    }
    s.state = state & ~kRoleFollows;
    UpdateRoleRecord(s.roleId, act, action, dir, -1, -1, talk, script, 0xFFFF, 0, -1, 0xFFFF, 255);
    i32 row = FindRecord(s.roleId);
    if (row >= 0) SetRecordWord(row, recWord::kState, static_cast<u16>(state & ~kRoleFollows));
    MarkRoleFootprint(&s);
    for (u32 j = k; j + 1 < gFollowers.count; ++j) {
        gFollowers.slot[j] = gFollowers.slot[j + 1];
        gFollowers.routes[j] = gFollowers.routes[j + 1];
    }
    gFollowers.slot[gFollowers.count - 1] = 0xFF;
    ClearRoleRoute(&gFollowers.routes[gFollowers.count - 1]);
    gFollowers.count -= 1;
}

int ReadRoleFootprint(RoleSlot* s) {
    ByteReader r = MapDbTable(dbTable::kFootprints);
    while (r.Has(6)) {
        u16 id = r.U16(), size = r.U16(), value = r.U16();
        if (id == 0) return 0;
        if (id != s->roleId) continue;
        s->fpSize = size;
        s->fpValue = static_cast<u32>(value) | (static_cast<u32>(value) << 16);
        return 1;
    }
    return 0;
}

int RestoreRoleRecord(i32 row, const u16 words[kRecordWords]) {
    if (!RecordAt(row)) return 0;
    for (int w = 0; w < kRecordWords; ++w) SetRecordWord(row, w, words[w]);
    return 1;
}

void ClearRoleStateBits(u32 bits) {
    for (int i = 1; i < gMapRoleCount && i < kRoleRows; ++i) gMapRoles[i].state &= ~bits;
}

void ResetRoleTable() {
    ClearRoleTable();
    gMapRoleCount = 0;
    gPlayerSlot = 0;
    gPlayerId = 0;
    ClearRouteRecords();
    ClearFollowers();
    gRoleRecords = nullptr;
    gRoleRecordCount = 0;
}

const char* RoleErrorText() {
    static const std::string t = B5("設定錯誤 GUID[%d]\nact[%d] qq[%d] dir[%d]");
    return t.c_str();
}

void newRoleInit(RoleSlot* s) {
    if (s->act) {
        s->act->frameCounter = 0;
        // The first step takes the act's first frame: a role that never animates
        // (no behaviour script, no 0x1000) shows it from now on and its footprint
        // takes the frame's size.
        if (!ActHasFrames(s->act) || !TakeActData(s->act))
            ReportActFault(s->act->act, "Act Err11(Misc:newRoleInit)", RoleErrorText(), s->roleId,
                           s->act->act, s->act->action, s->act->dir);
    }
    s->state &= ~(kRoleShadow | kRoleTint);
    u32 cx = s->x / 16, cy = s->y / 16;
    s->cell = nullptr;
    if (gMap.cells && cx < gMap.width && cy < gMap.height)
        s->cell = &gMap.cells[static_cast<size_t>(cy) * gMap.width + cx];
    if ((s->state & kRoleTakesCell) && s->cell) {
        if (*s->cell & kCellShadow) s->state |= kRoleShadow;
        s->state |= ((*s->cell & kCellTint) >> kCellTintShift) << kRoleTintShift;
    }
    if (s->act && (s->state & kRoleDrawnBits) == kRoleShown) MarkRoleFootprint(s);
}
