// The A* path search over the map's 16-pixel cells with its node pool, the
// route records' model and the steppers that decide, cell by cell, whether a
// walking role or a party follower may take its next step.
#pragma once
#include <vector>

#include "base/Types.h"
#include "map/RoleTable.h"

// ---- The route record model (RoleRoute, gRoleRoutes, gFollowers.routes) ----
//
// free            role == 0xFFFF (the whole record is 0xFF, ClearRoleRoute)
// behaviour walk  state & kRouteStateMask == kRouteBehaviour: started by the
//                 behaviour scripts (StartRoleRoute, StepRoleInDirection), by
//                 the followers, and by the story walker while it walks
// story walk      state & kRouteStateMask == kRouteStory: the story walker's
//                 record that its commands are waiting on
// keep bit        state & kRouteKeep: the record survives its arrival
// paused bit      pos & kRoutePaused: the scene finished a cell and the stepper
//                 has not yet allowed the next one; the low 15 bits of pos are
//                 the index of the next direction byte
//
// Directions: up to 512 bytes in the record, ended by 255; a longer route keeps
// the mark kRouteMore at byte 512 and its tail beside the record (RouteDirAt
// reads both), so a route is always held whole.
constexpr u8 kRouteBehaviour = 1;
constexpr u8 kRouteStory = 2;
constexpr u8 kRouteStateMask = 0x0F;
constexpr u8 kRouteKeep = 0x80;
constexpr u16 kRoutePaused = 0x8000;
constexpr u8 kRouteEnd = 255;
constexpr u8 kRouteMore = 254;
constexpr int kRouteInline = 512;

constexpr u32 kDefaultBlockMask = 0x40800000;

// Route directions 0-7: unit cell steps, their bits in a blocked-direction mask
// and the animation direction they give.
extern const i8 kRouteDx[8];
extern const i8 kRouteDy[8];
extern const u8 kRouteDirBit[8];
extern const u8 kRouteAnimDir[8];
// The route direction of a unit step (dx, dy), or -1.
int RouteDirOf(int dx, int dy);

// The direction at index pos (255 past the end).
u8 RouteDirAt(const RoleRoute* r, u32 pos);
// Writes a whole direction list (without its end mark) into the record.
void StoreRouteDirs(RoleRoute* r, const std::vector<u8>& dirs);
// The record of a role in the given state (0: any in use), or null.
RoleRoute* FindRoleRoute(int role, int state = 0);

// The search state shared by every search: a record per map cell, stamped by
// search so nothing is cleared between searches, and the list of cells a
// search reached (its nodes). A search allocates only when it needs more than
// any search before it.
struct AStarPoolStats {
    u32 nodes = 0;  // nodes the pool holds
    u32 peak = 0;   // most nodes one search has used
    u32 searches = 0;
};
void InitAStarPool();
void FreeAStarPool();
AStarPoolStats GetAStarPoolStats();
// How many times the wall regions were worked out since the last reset.
u32 WallRegionBuilds();

// One path request, made on the stack for each search.
class aStar {
public:
    aStar();
    ~aStar();
    aStar(const aStar&) = delete;
    aStar& operator=(const aStar&) = delete;

    void SetBlockMask(u32 mask) { mask_ = mask; }
    void ResetBlockMask() { mask_ = kDefaultBlockMask; }
    u32 BlockMask() const { return mask_; }

    // From and to in map pixels; the footprint in cells. Writes the directions
    // ended by 255; 1 found (an empty route when from and to are the same
    // pixel), 0 not.
    int FindPath(i32 fromX, i32 fromY, i32 toX, i32 toY, int w, int h, std::vector<u8>* dirs);
    int FindPath(i32 fromX, i32 fromY, i32 toX, i32 toY, int w, int h, RoleRoute* route);

    int result = 0;

private:
    bool FootprintFree(i32 cx, i32 cy) const;
    u32 mask_ = kDefaultBlockMask;
    int w_ = 1, h_ = 1;
};

// ---- Steppers ----
// Starts a behaviour walk of role (a row index) to cell (cx, cy); 1 started.
int StartRoleRoute(int role, i32 cx, i32 cy);
// 0 done or held by a talk, 1 walking or waiting, 2 no route or the route ended.
int StepRoleRoute(int role);
int StepRoleInDirection(int role, int direction);
// The per-frame decision of a party follower standing on a cell.
void StepFollower(int role);

void ResetAStar();
