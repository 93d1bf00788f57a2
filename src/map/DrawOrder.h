// The draw order of the people on the map: three buckets (a role's state & kRoleLayer),
// each a list head per cell row; a list holds role rows linked through their
// next pointer, ordered by y and, within a row, by role id.
#pragma once
#include "base/Types.h"
#include "map/RoleTable.h"

constexpr int kBucketRowBias = 20;  // head 20 + r belongs to cell row r
constexpr int kBuckets = 3;

struct MapObjectBuckets {
    RoleSlot** heads[kBuckets] = {};
    u32 rows = 0;  // map height + 40
};
extern MapObjectBuckets gDrawOrder;

// All three buckets, zeroed, for the current map's height.
void AllocMapObjectBuckets();
void FreeMapObjectBuckets();
void InsertMapObject(RoleSlot* s, int bucket);
void RemoveMapObject(RoleSlot* s, int bucket);
// Searches bucket b from row fromRow to the first row for the role id, unlinks it and
// returns it (mode 1) or files it again under its state's bucket.
RoleSlot* RefileMapObject(u16 id, int bucket, int fromRow, int mode);
// The head of bucket b's list for cell row r (null outside the bucket).
RoleSlot* BucketRow(int b, int r);
