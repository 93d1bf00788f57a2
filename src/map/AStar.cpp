// The A* search (backwards from the goal, whole-number costs, a heap of packed
// keys and a per-cell index over one shared node pool, wall regions), the
// route records' directions and the steppers.
#include "map/AStar.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <map>

#include "data/GameFlags.h"
#include "map/City.h"
#include "map/MapArchive.h"
#include "map/DrawOrder.h"
#include "base/Types.h"
#include "map/RoleTable.h"
#include "map/KeyCole.h"

const i8 kRouteDx[8] = {1, 0, -1, -1, -1, 0, 1, 1};
const i8 kRouteDy[8] = {1, 1, 1, 0, -1, -1, -1, 0};
const u8 kRouteDirBit[8] = {16, 32, 64, 128, 1, 2, 4, 8};
const u8 kRouteAnimDir[8] = {5, 1, 6, 2, 4, 0, 7, 3};

int RouteDirOf(int dx, int dy) {
    for (int d = 0; d < 8; ++d)
        if (kRouteDx[d] == dx && kRouteDy[d] == dy) return d;
    return -1;
}

// ---- route directions ----

namespace {
// Tails of routes longer than a record holds, by record.
std::map<const RoleRoute*, std::vector<u8>>& Tails() {
    static std::map<const RoleRoute*, std::vector<u8>> tails;
    return tails;
}
}  // namespace

u8 RouteDirAt(const RoleRoute* r, u32 pos) {
    if (!r || r->role == kNoRole) return kRouteEnd;
    if (pos < kRouteInline) return r->dirs[pos];
    if (r->dirs[kRouteInline] != kRouteMore)
        return pos < sizeof(r->dirs) ? r->dirs[pos] : kRouteEnd;
    auto it = Tails().find(r);
    if (it == Tails().end()) return kRouteEnd;
    u32 k = pos - kRouteInline;
    return k < it->second.size() ? it->second[k] : kRouteEnd;
}

void StoreRouteDirs(RoleRoute* r, const std::vector<u8>& dirs) {
    size_t n = dirs.size();
    if (n + 1 <= sizeof(r->dirs)) {
        if (n) std::memcpy(r->dirs, dirs.data(), n);
        r->dirs[n] = kRouteEnd;
        return;
    }
    std::memcpy(r->dirs, dirs.data(), kRouteInline);
    r->dirs[kRouteInline] = kRouteMore;
    r->dirs[kRouteInline + 1] = kRouteEnd;
    std::vector<u8>& tail = Tails()[r];
    tail.assign(dirs.begin() + kRouteInline, dirs.end());
    tail.push_back(kRouteEnd);
}

RoleRoute* FindRoleRoute(int role, int state) {
    for (RoleRoute& r : gRoleRoutes) {
        if (r.role != role) continue;
        if (state == 0 || (r.state & kRouteStateMask) == state) return &r;
    }
    return nullptr;
}

// ---- the node pool ----

namespace {

// Costs are whole numbers: a straight step 5741, a diagonal 8119. 8119/5741
// is within 2e-8 of the square root of two, so for any route the game can
// hold, two routes compare as their true lengths do and the search finds
// the same shortest routes as with exact lengths.
constexpr u32 kStraight = 5741;
constexpr u32 kDiagonal = 8119;

struct SearchNode {
    u32 cell;    // y * width + x
    u32 g, f;    // cost from the goal, and with the estimate to the start
    i32 parent;  // node index, -1 for the root
    u32 closed;  // 1 once expanded
};

// A node's place in the open list: the estimate in the high half, the node
// index inverted in the low half, so among equal estimates the newest comes
// first. An improved node is pushed again; its older entry is skipped.
u64 OpenKey(u32 f, u32 node) {
    return (u64{f} << 32) | (~node & 0xFFFFFFFFu);
}
u32 KeyNode(u64 key) {
    return ~static_cast<u32>(key);
}

// The per-cell index: the node of a cell where stamp is the current search's.
struct CellMark {
    u32 stamp = 0;
    i32 node = -1;
};

struct Pool {
    std::vector<SearchNode> nodes;
    u32 used = 0;
    u32 peak = 0;
    u32 searches = 0;
    std::vector<CellMark> marks;
    u32 current = 0;
    std::vector<u64> open;  // a min-heap of OpenKey
};

Pool& P() {
    static Pool p;
    return p;
}

void BeginSearch(u32 cells) {
    Pool& p = P();
    p.used = 0;
    p.open.clear();
    ++p.searches;
    if (p.marks.size() < cells) {
        p.marks.assign(cells, CellMark{});
        p.current = 0;
    }
    if (++p.current == 0) {  // the stamp wrapped: forget every old mark
        std::fill(p.marks.begin(), p.marks.end(), CellMark{});
        p.current = 1;
    }
}

// A node from the pool; -1 when the search has used as many nodes as the map has cells.
i32 TakeNode(u32 cap) {
    Pool& p = P();
    if (p.used >= cap) return -1;
    if (p.used == p.nodes.size()) p.nodes.emplace_back();
    i32 i = static_cast<i32>(p.used++);
    if (p.used > p.peak) p.peak = p.used;
    return i;
}

void PushOpen(u32 f, u32 node) {
    Pool& p = P();
    p.open.push_back(OpenKey(f, node));
    std::push_heap(p.open.begin(), p.open.end(), std::greater<u64>());
}

// The open node of least estimate, or -1 when none is left.
i32 PopBest() {
    Pool& p = P();
    while (!p.open.empty()) {
        std::pop_heap(p.open.begin(), p.open.end(), std::greater<u64>());
        u64 key = p.open.back();
        p.open.pop_back();
        SearchNode& n = p.nodes[KeyNode(key)];
        if (n.closed || (key >> 32) != n.f) continue;  // expanded, or improved since
        n.closed = 1;
        return static_cast<i32>(KeyNode(key));
    }
    return -1;
}

// Neighbours in expansion order: up-left, up, up-right, right, down-right, down,
// down-left, left.
constexpr int kNbDx[8] = {-1, 0, 1, 1, 1, 0, -1, -1};
constexpr int kNbDy[8] = {-1, -1, -1, 0, 1, 1, 1, 0};

// ---- wall regions ----
//
// The cells that walls alone cannot separate share a region (8-connected, as
// the search steps). A goal in another region than the start is refused at
// once instead of flooding everything it can reach. The regions are made for
// the map's cell grid when a search first needs them; a verdict of "apart" is
// trusted only while the walls are still the ones they were made from, so a
// wall the story opens is seen by the next search.
struct WallRegions {
    const u32* cells = nullptr;
    u32 width = 0, height = 0;
    std::vector<u32> label;  // 0 on a wall
    std::vector<u64> walls;  // the wall bits the labels were made from
    std::vector<u32> queue;
    u32 builds = 0;
};

WallRegions& Regions() {
    static WallRegions r;
    return r;
}

bool WallAt(size_t i) {
    return gMap.cells[i] & kCellWall;
}

void LabelRegions() {
    WallRegions& r = Regions();
    u32 w = gMap.width, h = gMap.height;
    size_t n = static_cast<size_t>(w) * h;
    r.cells = gMap.cells;
    r.width = w;
    r.height = h;
    r.label.assign(n, 0);
    r.walls.assign((n + 63) / 64, 0);
    for (size_t i = 0; i < n; ++i)
        if (WallAt(i)) r.walls[i / 64] |= u64{1} << (i % 64);
    ++r.builds;
    u32 next = 0;
    for (size_t seed = 0; seed < n; ++seed) {
        if (r.label[seed] || WallAt(seed)) continue;
        r.label[seed] = ++next;
        r.queue.assign(1, static_cast<u32>(seed));
        while (!r.queue.empty()) {
            u32 c = r.queue.back();
            r.queue.pop_back();
            i32 cx = static_cast<i32>(c % w), cy = static_cast<i32>(c / w);
            for (int k = 0; k < 8; ++k) {
                i32 nx = cx + kNbDx[k], ny = cy + kNbDy[k];
                if (nx < 0 || ny < 0 || nx >= static_cast<i32>(w) || ny >= static_cast<i32>(h))
                    continue;
                size_t m = static_cast<size_t>(ny) * w + nx;
                if (r.label[m] || WallAt(m)) continue;
                r.label[m] = next;
                r.queue.push_back(static_cast<u32>(m));
            }
        }
    }
}

bool WallsUnchanged() {
    const WallRegions& r = Regions();
    size_t n = static_cast<size_t>(r.width) * r.height;
    for (size_t base = 0; base < n; base += 64) {
        u64 bits = 0;
        size_t end = std::min(n, base + 64);
        for (size_t i = base; i < end; ++i) bits |= u64{WallAt(i)} << (i - base);
        if (bits != r.walls[base / 64]) return false;
    }
    return true;
}

// False only when walls alone keep the two cells apart.
bool WallsMayJoin(size_t a, size_t b) {
    WallRegions& r = Regions();
    bool fresh = false;
    if (r.cells != gMap.cells || r.width != gMap.width || r.height != gMap.height) {
        LabelRegions();
        fresh = true;
    }
    if (r.label[a] == r.label[b]) return true;
    if (fresh || WallsUnchanged()) return false;
    LabelRegions();
    return r.label[a] == r.label[b];
}

}  // namespace

u32 WallRegionBuilds() {
    return Regions().builds;
}

void InitAStarPool() {
    Pool& p = P();
    p = Pool{};
    p.nodes.reserve(8);
    p.nodes.resize(8);
}

void FreeAStarPool() {
    P() = Pool{};
}

AStarPoolStats GetAStarPoolStats() {
    const Pool& p = P();
    return {static_cast<u32>(p.nodes.size()), p.peak, p.searches};
}

// ---- the search ----

aStar::aStar() = default;
aStar::~aStar() {
    P().used = 0;
}

bool aStar::FootprintFree(i32 cx, i32 cy) const {
    i32 mw = static_cast<i32>(gMap.width), mh = static_cast<i32>(gMap.height);
    if (cx < 0 || cy < 0 || cx + w_ > mw || cy + h_ > mh) return false;
    if (mask_ == 0) return true;
    for (int r = 0; r < h_; ++r) {
        const u32* row = gMap.cells + static_cast<size_t>(cy + r) * gMap.width + cx;
        for (int c = 0; c < w_; ++c)
            if (row[c] & mask_) return false;
    }
    return true;
}

int aStar::FindPath(i32 fromX, i32 fromY, i32 toX, i32 toY, int w, int h, std::vector<u8>* dirs) {
    w_ = w < 1 ? 1 : w;
    h_ = h < 1 ? 1 : h;
    dirs->clear();
    result = 0;
    if (fromX == toX && fromY == toY) {
        result = 1;
        return 1;
    }
    if (!gMap.cells || gMap.width == 0 || gMap.height == 0) return 0;
    i32 sx = fromX >> 4, sy = fromY >> 4, gx = toX >> 4, gy = toY >> 4;
    i32 mw = static_cast<i32>(gMap.width), mh = static_cast<i32>(gMap.height);
    if (gx < 0 || gy < 0 || gx >= mw || gy >= mh) return 0;
    if (gMap.cells[static_cast<size_t>(gy) * mw + gx] & mask_) return 0;
    if (sx == gx && sy == gy) return 0;
    // The whole footprint must fit at the goal, not only its anchor cell.
    if (!FootprintFree(gx, gy)) return 0;
    if (sx < 0 || sy < 0 || sx >= mw || sy >= mh) return 0;

    u32 cells = static_cast<u32>(mw) * static_cast<u32>(mh);
    // Every footprint covers its anchor cell, so walls that part the anchors part it too.
    if ((mask_ & kCellWall) &&
        !WallsMayJoin(static_cast<size_t>(sy) * mw + sx, static_cast<size_t>(gy) * mw + gx))
        return 0;
    BeginSearch(cells);
    Pool& p = P();
    // The cost of the start from here on an open map: diagonal steps while
    // both distances last, then straight ones. No route is cheaper, and no
    // step lowers it by more than the step costs.
    auto estimate = [&](i32 cx, i32 cy) {
        u32 dx = static_cast<u32>(std::abs(cx - sx)), dy = static_cast<u32>(std::abs(cy - sy));
        u32 lo = std::min(dx, dy), hi = std::max(dx, dy);
        return lo * kDiagonal + (hi - lo) * kStraight;
    };
    auto open = [&](i32 cx, i32 cy, u32 g, i32 parent) {
        i32 i = TakeNode(cells);
        if (i < 0) return false;
        u32 cell = static_cast<u32>(cy) * static_cast<u32>(mw) + static_cast<u32>(cx);
        SearchNode& n = p.nodes[i];
        n = {cell, g, g + estimate(cx, cy), parent, 0};
        p.marks[cell] = {p.current, i};
        PushOpen(n.f, static_cast<u32>(i));
        return true;
    };
    if (!open(gx, gy, 0, -1)) return 0;
    const bool single = w_ == 1 && h_ == 1;  // the common footprint, tested inline
    const u32 startCell = static_cast<u32>(sy) * static_cast<u32>(mw) + static_cast<u32>(sx);
    i32 found = -1;
    for (i32 cur; (cur = PopBest()) >= 0;) {
        const SearchNode node = p.nodes[cur];
        if (node.cell == startCell) {
            found = cur;
            break;
        }
        i32 cx = static_cast<i32>(node.cell % static_cast<u32>(mw));
        i32 cy = static_cast<i32>(node.cell / static_cast<u32>(mw));
        for (int k = 0; k < 8; ++k) {
            i32 nx = cx + kNbDx[k], ny = cy + kNbDy[k];
            if (!(single ? nx >= 0 && ny >= 0 && nx < mw && ny < mh &&
                               !(gMap.cells[static_cast<size_t>(ny) * mw + nx] & mask_)
                         : FootprintFree(nx, ny)))
                continue;
            u32 g = node.g + ((kNbDx[k] && kNbDy[k]) ? kDiagonal : kStraight);
            CellMark& mark = p.marks[static_cast<size_t>(ny) * mw + nx];
            if (mark.stamp == p.current) {
                SearchNode& m = p.nodes[mark.node];
                // The straight-line estimate never overestimates a step, so a
                // closed node cannot get cheaper: only open nodes are improved.
                if (m.closed || g >= m.g) continue;
                m.f = g + (m.f - m.g);
                m.g = g;
                m.parent = cur;
                PushOpen(m.f, static_cast<u32>(mark.node));
                continue;
            }
            // The pool's cap (every cell once) ends the search as unreachable.
            if (!open(nx, ny, g, cur)) {
                p.open.clear();
                break;
            }
        }
    }
    // A search that never reached the start has no route: a route from some
    // other cell would walk the role from where it does not stand.
    if (found < 0) return 0;
    for (i32 i = found; p.nodes[i].parent >= 0; i = p.nodes[i].parent) {
        u32 a = p.nodes[i].cell, b = p.nodes[p.nodes[i].parent].cell;
        i32 dx =
            static_cast<i32>(b % static_cast<u32>(mw)) - static_cast<i32>(a % static_cast<u32>(mw));
        i32 dy =
            static_cast<i32>(b / static_cast<u32>(mw)) - static_cast<i32>(a / static_cast<u32>(mw));
        dirs->push_back(static_cast<u8>(RouteDirOf(dx, dy)));
    }
    result = 1;
    p.used = 0;
    return 1;
}

int aStar::FindPath(i32 fromX, i32 fromY, i32 toX, i32 toY, int w, int h, RoleRoute* route) {
    static std::vector<u8> dirs;
    route->dirs[0] = kRouteEnd;
    if (!FindPath(fromX, fromY, toX, toY, w, h, &dirs)) return 0;
    StoreRouteDirs(route, dirs);
    return 1;
}

// ---- steppers ----

namespace {

RoleSlot* Row(int role) {
    if (role <= 0 || role >= kRoleRows || role >= gMapRoleCount) return nullptr;
    return &gMapRoles[role];
}

RoleRoute* FreeRecord() {
    for (RoleRoute& r : gRoleRoutes)
        if (r.role == kNoRole) return &r;
    return nullptr;
}

void StartRecord(RoleRoute* r, int role, i32 tx, i32 ty) {
    r->role = static_cast<u16>(role);
    r->pos = kRoutePaused;
    r->targetX = static_cast<u16>(tx);
    r->targetY = static_cast<u16>(ty);
    r->queuedRole = r->queuedX = r->queuedY = 0xFFFF;
    r->arriveAct = r->arriveAction = r->arriveDir = 0xFFFF;
    r->stepX = r->stepY = 0;
    r->retry = 0;
    r->state = kRouteBehaviour;
}

u32* CellOf(const RoleSlot& s) {
    if (!gMap.cells) return nullptr;
    u32 cx = s.x >> 4, cy = s.y >> 4;
    if (cx >= gMap.width || cy >= gMap.height) return nullptr;
    return &gMap.cells[static_cast<size_t>(cy) * gMap.width + cx];
}

// Moves a role to a new place: its footprint, cell pointer and depth row follow.
void PlaceRoleAt(RoleSlot& s, i32 x, i32 y) {
    ClearRoleFootprint(&s);
    int bucket = static_cast<int>(s.state & 3);
    RemoveMapObject(&s, bucket);
    s.x = static_cast<u16>(x);
    s.y = static_cast<u16>(y);
    s.cell = CellOf(s);
    InsertMapObject(&s, bucket);
    if ((s.state & 0x8400) == 0x8000) MarkRoleFootprint(&s);
}

u8 Blocked(const RoleSlot& s, u32 mask) {
    if (mask == 0) return 0;
    int w, h;
    RoleFootprint(&s, &w, &h);
    return GetBlockedDirections(s.cell ? s.cell : CellOf(s), w, h, mask);
}

void SetAction(RoleSlot& s, int action) {
    if (s.act) s.act->action = action;
}

}  // namespace

int StartRoleRoute(int role, i32 cx, i32 cy) {
    RoleSlot* s = Row(role);
    if (!s || cx < 0 || cy < 0 || cx >= static_cast<i32>(gMap.width) ||
        cy >= static_cast<i32>(gMap.height))
        return 0;
    // A role walking already reuses its record: two records would move it twice.
    RoleRoute* r = FindRoleRoute(role, kRouteBehaviour);
    if (r) ClearRoleRoute(r);
    if (!r) r = FreeRecord();
    if (!r) return 0;
    int w, h;
    RoleFootprint(s, &w, &h);
    aStar search;
    // The walker's own footprint must not block its own way out.
    ClearRoleFootprint(s);
    int ok = search.FindPath(s->x, s->y, cx * 16, cy * 16, w, h, r);
    if ((s->state & 0x8400) == 0x8000) MarkRoleFootprint(s);
    if (!ok) {
        ClearRoleRoute(r);
        PlaceRoleAt(*s, cx * 16, cy * 16);
        return 0;
    }
    StartRecord(r, role, cx * 16, cy * 16);
    return 1;
}

int StepRoleRoute(int role) {
    RoleSlot* s = Row(role);
    if (!s) return 2;
    if (FindRoleRoute(role, kRouteStory)) return 0;
    RoleRoute* r = FindRoleRoute(role, kRouteBehaviour);
    if (!r) return 2;
    if (s->talkLock == 1) {
        r->pos |= kRoutePaused;
        return 0;
    }
    u8 d = RouteDirAt(r, r->pos & 0x7FFF);
    if (d == kRouteEnd || d > 7) {
        ClearRoleRoute(r);
        return 2;
    }
    u8 mask = Blocked(*s, r->retry <= 8 ? 0x60000000u : 0x40000000u);
    r->pos |= kRoutePaused;
    if (r->retry < 255) ++r->retry;
    r->stepX = r->stepY = 0;
    if (!(mask & kRouteDirBit[d])) {
        r->pos &= ~kRoutePaused;
        r->retry = 0;
        r->stepX = static_cast<i16>(4 * kRouteDx[d]);
        r->stepY = static_cast<i16>(4 * kRouteDy[d]);
    }
    return 1;
}

int StepRoleInDirection(int role, int direction) {
    RoleSlot* s = Row(role);
    if (!s) return 1;
    RoleRoute* r = FindRoleRoute(role, kRouteBehaviour);
    if (!r) {
        r = FreeRecord();
        if (!r) return 1;
        StartRecord(r, role, 0, 0);
        r->dirs[0] = 1;
        r->dirs[1] = kRouteEnd;
    }
    if (s->talkLock == 1 || direction > 60) {
        r->pos |= kRoutePaused;
        SetAction(*s, 0);
        return 1;
    }
    SetAction(*s, 8);
    if (direction >= 0 && direction < 8) {
        r->dirs[0] = static_cast<u8>(direction);
        r->dirs[1] = kRouteEnd;
    }
    r->pos = kRoutePaused;
    r->stepX = r->stepY = 0;
    u8 d = r->dirs[0] < 8 ? r->dirs[0] : 1;
    if (!(Blocked(*s, 0x60000000u) & kRouteDirBit[d])) {
        r->pos = 0;
        r->stepX = static_cast<i16>(4 * kRouteDx[d]);
        r->stepY = static_cast<i16>(4 * kRouteDy[d]);
    }
    return 1;
}

namespace {

int FollowerIndex(int role) {
    for (u32 k = 1; k < gFollowers.count && k < kFollowerMax; ++k)
        if (gFollowers.slot[k] == role) return static_cast<int>(k);
    return -1;
}

bool PlayerStands() {
    return gScrollStepX == 0 && gScrollStepY == 0 && gPlayerStepX == 0 && gPlayerStepY == 0;
}

bool FarOutsideView(i32 x, i32 y) {
    i32 sx = x - gViewX, sy = y - gViewY;
    return sx < -80 || sx > 640 + 80 || sy < -80 || sy > 480 + 160;
}

// A follower far outside the view goes along its route at once until it
// comes within the widened view; the rest of the route it walks.
void JumpAlongRoute(RoleSlot& s, RoleRoute& r) {
    i32 x = s.x, y = s.y;
    int last = -1;
    u32 i = 0;
    for (; FarOutsideView(x, y); ++i) {
        u8 d = RouteDirAt(&r, i);
        if (d > 7) break;
        x += 16 * kRouteDx[d];
        y += 16 * kRouteDy[d];
        last = d;
    }
    if (last < 0) return;
    PlaceRoleAt(s, x, y);
    if (s.act) s.act->dir = kRouteAnimDir[last];
    r.pos = static_cast<u16>(i);
}

// A follower without a way to walk stands facing where the leader faces.
void StandFacingLeader(RoleSlot& s) {
    SetAction(s, 0);
    if (s.act && gPlayerSlot > 0 && gMapRoles[gPlayerSlot].act)
        s.act->dir = gMapRoles[gPlayerSlot].act->dir;
}

void PlanFollower(int role, int k, RoleSlot& s, RoleRoute& r) {
    ClearRoleRoute(&r);
    i32 tx = gFollowers.trailX[2 * k], ty = gFollowers.trailY[2 * k];
    aStar search;
    if (GetGameFlag(79)) search.SetBlockMask(0);
    int w, h;
    RoleFootprint(&s, &w, &h);
    ClearRoleFootprint(&s);
    int ok = search.FindPath(s.x, s.y, tx, ty, w, h, &r);
    if ((s.state & 0x8400) == 0x8000) MarkRoleFootprint(&s);
    if (!ok) {
        ClearRoleRoute(&r);
        return;
    }
    StartRecord(&r, role, tx, ty);
    r.pos = 0;
    if (FarOutsideView(s.x, s.y)) JumpAlongRoute(s, r);
}

}  // namespace

void StepFollower(int role) {
    RoleSlot* s = Row(role);
    int k = FollowerIndex(role);
    if (!s || k < 0) return;
    RoleRoute& r = gFollowers.routes[k];
    bool held = PlayerStands() && r.role != kNoRole &&
                RouteDirAt(&r, r.pos & 0x7FFF) != kRouteEnd && r.retry == 0;
    if (!held) PlanFollower(role, k, *s, r);
    if (r.role == kNoRole) {
        StandFacingLeader(*s);
        return;
    }
    u8 d = RouteDirAt(&r, r.pos & 0x7FFF);
    u32 mask = GetGameFlag(79) ? 0 : 0x40000000u;
    r.pos |= kRoutePaused;
    r.stepX = r.stepY = 0;
    if (d > 7) {
        StandFacingLeader(*s);
        return;
    }
    if (Blocked(*s, mask) & kRouteDirBit[d]) {
        SetAction(*s, 0);
        return;
    }
    if (r.retry < 255) ++r.retry;
    r.pos &= ~kRoutePaused;
    SetAction(*s, 8);
    r.stepX = static_cast<i16>(8 * kRouteDx[d]);
    r.stepY = static_cast<i16>(8 * kRouteDy[d]);
}

void ResetAStar() {
    FreeAStarPool();
    Regions() = WallRegions{};
    Tails().clear();
}
