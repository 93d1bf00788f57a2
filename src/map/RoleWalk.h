// The story's walker on the route records: a scripted walk of a role to a
// map pixel (WalkRoleTo), its per-cell steps (iMove) and the hand-over at its
// end to a queued target (AdvanceRoleWalk).
#pragma once
#include "base/Types.h"

// Role state bits of a scripted walk.
constexpr u32 kWalkHeld = 0x80000000u;      // bit 31: the story walker holds the role
constexpr u32 kWalkUnderWay = 0x40000000u;  // a scripted walk is under way
constexpr u32 kWalkArrived = 0x02000000u;   // bit 25: the walk has ended
constexpr u32 kWalkThrough = 0x40000u;      // the role walks through the others

// Flags of WalkRoleTo.
constexpr u32 kWalkKeepRecord = 0x8000;  // the record stays when the target is reached

// Starts a scripted walk of slot to map pixel (x, y). A role that walks a
// scripted walk already gets (x, y) queued behind its target. (act, action,
// dir) are taken on arrival where not 0xFFFF. 1 when a path is under way;
// 0 when there is none (the role stays on its cell and its walk counts as
// ended).
int WalkRoleTo(int slot, i32 x, i32 y, u32 flags = 0, u16 act = 0xFFFF, u16 action = 0xFFFF,
               u16 dir = 0xFFFF);
// At the end of a held role's walk: the queued target becomes the walk, or the
// record is freed. 1 at once while the role is not held; 0 when it has no
// scripted walk.
int AdvanceRoleWalk(int slot);
// One step decision of slot's scripted walk on a cell: 0 no walk, 1 walking or
// waiting for a blocked cell, 2 the route has ended.
int iMove(int slot);
// True while slot has a scripted walk record.
bool RoleHasWalk(int slot);
// Puts a role that stands between two cells back on the cell it came from, with
// its cell pointer and footprint.
void PutRoleOnGrid(int slot);
// The route direction a role moves along: its route's step at the route
// position, else the one its facing gives; -1 with neither.
int RoleMoveDir(int slot);
// Ends slot n's scripted walk (a role between cells steps back onto the grid)
// and the story's hold on it.
void Talkend(int n);
