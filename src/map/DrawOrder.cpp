// The map-object buckets that order the drawing of the people by row.
#include "map/DrawOrder.h"

#include "engine/MemDbg.h"
#include "map/MapArchive.h"

MapObjectBuckets gDrawOrder;

void FreeMapObjectBuckets() {
    for (RoleSlot**& b : gDrawOrder.heads) {
        if (b) MH_FREE(b);
        b = nullptr;
    }
    gDrawOrder.rows = 0;
}

void AllocMapObjectBuckets() {
    FreeMapObjectBuckets();
    gDrawOrder.rows = gMap.height + 40;
    for (RoleSlot**& b : gDrawOrder.heads)
        b = static_cast<RoleSlot**>(
            MH_ALLOC_ZERO(static_cast<i32>(gDrawOrder.rows * sizeof(RoleSlot*))));
}

namespace {
RoleSlot** HeadFor(int b, int row) {
    if (b < 0 || b >= kBuckets || !gDrawOrder.heads[b]) return nullptr;
    i64 i = static_cast<i64>(row) + kBucketRowBias;
    if (i < 0 || i >= gDrawOrder.rows) return nullptr;
    return &gDrawOrder.heads[b][i];
}
}  // namespace

RoleSlot* BucketRow(int b, int r) {
    RoleSlot** h = HeadFor(b, r);
    return h ? *h : nullptr;
}

void InsertMapObject(RoleSlot* s, int b) {
    RoleSlot** link = HeadFor(b, s->y / 16);
    if (!link) return;
    while (*link && ((*link)->y < s->y || ((*link)->y == s->y && (*link)->roleId <= s->roleId)))
        link = &(*link)->next;
    s->next = *link;
    *link = s;
}

void RemoveMapObject(RoleSlot* s, int b) {
    if (b < 0 || b >= kBuckets || !gDrawOrder.heads[b]) return;
    for (u32 i = 0; i < gDrawOrder.rows; ++i) {
        for (RoleSlot** link = &gDrawOrder.heads[b][i]; *link; link = &(*link)->next) {
            if (*link != s) continue;
            *link = s->next;
            s->next = nullptr;
            return;
        }
    }
}

RoleSlot* RefileMapObject(u16 id, int b, int fromRow, int mode) {
    for (int r = fromRow; r >= -kBucketRowBias; --r) {
        RoleSlot** link = HeadFor(b, r);
        for (; link && *link; link = &(*link)->next) {
            if ((*link)->roleId != id) continue;
            RoleSlot* s = *link;
            *link = s->next;
            s->next = nullptr;
            if (mode != 1) InsertMapObject(s, static_cast<int>(s->state & kRoleLayer));
            return s;
        }
    }
    return nullptr;
}
