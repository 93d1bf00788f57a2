// Stand-in for the role table, the role records and the map scene's view until
// they arrive: only the fields and calls the story scripts use, under the names
// those modules give them.
#pragma once
#include "engine/MyAct.h"
#include "engine/Types.h"

struct RoleSlot {
    u16 x = 0, y = 0;  // map pixels
    u32 state = 0;
    u16 talk = 0;  // the talk a touch or a click starts
    u16 roleId = 0xFFFF;
    u16 talkLock = 0;
    ActPlayer* act = nullptr;
};

struct RoleRoute {
    u16 role = 0xFFFF;
    u8 state = 0xFF;
};

constexpr int kRoleRows = 4096;
constexpr int kRouteRecords = 72;
constexpr int kRecordWords = 13;
constexpr u32 kRoleShown = 0x8000;

extern RoleSlot gMapRoles[kRoleRows];
extern i32 gMapRoleCount;
extern i32 gPlayerSlot;
extern u16 gPlayerId;
extern RoleRoute gRoleRoutes[kRouteRecords];
extern u32 gMapId;

int FindRoleById(u16 id);
int GetRoleIndex(u16 ref, int* index);
i32 FindRecord(u16 id);
u16 RecordWord(i32 row, int word);
void SetRecordWord(i32 row, int word, u16 v);

// The map scene's view origin, quake table and picture-show counter.
extern i32 gViewX, gViewY;
extern u8 gQuakeTable[128];
extern u32 gQuakePeriod, gQuakeCountdown, gQuakeBaseX, gQuakeBaseY;
extern u32 gPicShowCounter;

void ResetRoleStandIn();

// Picture 9004 of the archives: draws countdown digit d (10 the colon) and
// returns its width.
i32 DrawCountdownDigit(i32 x, i32 y, int d);

// The bounding box of a role's current act frame on screen (archives).
bool RoleScreenRect(int slot, i32* left, i32* top, i32* right, i32* bottom);
