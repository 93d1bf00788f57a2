// The A* search (backwards from the goal, whole-number costs, a record per
// cell stamped by search, a radix heap, wall regions, and a fill of the
// start's side for long searches), the route records' directions and the
// steppers.
#include "map/AStar.h"

#include <algorithm>
#include <bit>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <map>

#include "base/Types.h"
#include "data/GameFlags.h"
#include "map/City.h"
#include "map/DrawOrder.h"
#include "map/KeyCole.h"
#include "map/MapArchive.h"
#include "map/RoleTable.h"

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

// ---- the search state ----

namespace {

// Costs are whole numbers: a straight step 5741, a diagonal 8119. 8119/5741
// is within 2e-8 of the square root of two, so for any route the game can
// hold, two routes compare as their true lengths do and the search finds
// the same shortest routes as with exact lengths.
constexpr u32 kStraight = 5741;
constexpr u32 kDiagonal = 8119;

// Neighbours in expansion order: up-left, up, up-right, right, down-right, down,
// down-left, left. Neighbour k lies one step in the opposite of route direction
// k, so a cell reached through neighbour k goes back with route direction k.
constexpr int kNbDx[8] = {-1, 0, 1, 1, 1, 0, -1, -1};
constexpr int kNbDy[8] = {-1, -1, -1, 0, 1, 1, 1, 0};
constexpr u32 kNbCost[8] = {kDiagonal, kStraight, kDiagonal, kStraight,
                            kDiagonal, kStraight, kDiagonal, kStraight};

// What a search knows of a cell, kept per cell of the map between searches;
// it belongs to the current search only while its stamp says so. Beside it,
// per cell: the how-manieth cell the search reached (low 29 bits) with the
// neighbour index it was last reached through (high 3), and the search's
// stamp once the start's side was filled there.
struct CellState {
    u32 stamp;  // the search's stamp while open, one more once expanded
    u32 f;      // cost from the goal plus the estimate to the start
};
constexpr u32 kOrderBits = 29;
constexpr u32 kOrderMask = (1u << kOrderBits) - 1;

struct CellPos {
    u32 x, y;
};

// The open list: the cell of least estimate comes out first, of those the one
// reached last. An estimate never falls below the last one taken out (the
// straight-line estimate never drops by more than a step costs), so the list
// is a radix heap: bucket i holds the cells whose estimate differs from the
// current one in bit i - 1 and in none above it. The cells at the current
// estimate (most steps keep it) are listed apart by order, taken from the end.
struct OpenList {
    std::vector<u64> bucket[33];  // estimate << 32 | order
    std::vector<u32> front;       // the orders of the cells at the current estimate, rising
    u32 frontF = 0;
    size_t waiting = 0;  // cells in the buckets

    void Clear() {
        for (std::vector<u64>& b : bucket) b.clear();
        front.clear();
        frontF = 0;
        waiting = 0;
    }
    bool Empty() const { return front.empty() && waiting == 0; }

    __attribute__((always_inline)) void Push(u32 f, u32 order) {
        if (f != frontF) {
            bucket[32 - std::countl_zero(f ^ frontF)].push_back(u64{f} << 32 | order);
            ++waiting;
        } else if (front.empty() || front.back() < order) {
            front.push_back(order);
        } else {
            front.insert(std::upper_bound(front.begin(), front.end(), order), order);
        }
    }

    // The next cell's order; its estimate in *f.
    u32 Pop(u32* f) {
        if (front.empty()) Refill();
        *f = frontF;
        u32 order = front.back();
        front.pop_back();
        return order;
    }

private:
    // Moves on to the least estimate waiting: the first bucket that holds any
    // is spread over the buckets below it.
    void Refill() {
        int b = 1;
        while (bucket[b].empty()) ++b;
        std::vector<u64>& from = bucket[b];
        u32 least = 0xFFFFFFFFu;
        for (u64 key : from) least = std::min(least, static_cast<u32>(key >> 32));
        frontF = least;
        for (u64 key : from) {
            u32 f = static_cast<u32>(key >> 32);
            if (f == least)
                front.push_back(static_cast<u32>(key));
            else
                bucket[32 - std::countl_zero(f ^ least)].push_back(key);
        }
        waiting -= front.size();
        from.clear();
        std::sort(front.begin(), front.end());
    }
};

struct Pool {
    std::vector<CellState> cells;
    std::vector<u32> orders;
    std::vector<u32> filled;
    std::vector<CellPos> nodes;  // the cells a search reached, in order
    u32 peak = 0;
    u32 searches = 0;
    u32 stamp = 0;  // even: the current search's open stamp
    OpenList open;
    std::vector<CellPos> floodQueue;
};

Pool gPool;

Pool& P() {
    return gPool;
}

void BeginSearch(u32 cells) {
    Pool& p = P();
    p.open.Clear();
    ++p.searches;
    if (p.cells.size() < cells) {
        p.cells.resize(cells, CellState{});
        p.orders.resize(cells, 0);
        p.filled.resize(cells, 0);
    }
    if (p.stamp >= 0xFFFFFFF0u) {  // the stamps would wrap: forget every old one
        std::fill(p.cells.begin(), p.cells.end(), CellState{});
        std::fill(p.filled.begin(), p.filled.end(), 0);
        p.stamp = 0;
    }
    p.stamp += 2;
}

// ---- wall regions ----
//
// The cells that walls alone cannot separate share a region (8-connected, as
// the search steps). A goal in another region than the start is refused at
// once instead of flooding everything it can reach. The regions are made for
// the map's cell grid when a search first needs them, each with the list of
// walls around it. A verdict of "apart" from older regions stands while the
// walls around one of the two regions all stand: a way out of a region
// passes one of them, since every other cell beside it was in it. So a wall
// the story opens is seen by the next search without a look at the whole map.
struct WallRegions {
    const u32* cells = nullptr;
    u32 width = 0, height = 0;
    std::vector<u32> label;      // 0 on a wall
    std::vector<u32> edgeStart;  // region k's walls: edges[edgeStart[k]] up to edgeStart[k + 1]
    std::vector<u32> edges;
    std::vector<u32> listedBy;  // the region that last listed a wall
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

// Fills each region a row run at a time (a run is every open cell between two
// walls, so a region takes whole runs), listing the walls beside each run.
void LabelRegions() {
    WallRegions& r = Regions();
    const u32 w = gMap.width, h = gMap.height;
    const size_t n = static_cast<size_t>(w) * h;
    r.cells = gMap.cells;
    r.width = w;
    r.height = h;
    r.label.assign(n, 0);
    r.listedBy.assign(n, 0);
    r.edges.clear();
    r.edgeStart.assign(1, 0);
    ++r.builds;
    u32 next = 0;
    auto edge = [&](size_t i) {
        if (r.listedBy[i] == next) return;
        r.listedBy[i] = next;
        r.edges.push_back(static_cast<u32>(i));
    };
    for (size_t seed = 0; seed < n; ++seed) {
        if (r.label[seed] || WallAt(seed)) continue;
        ++next;
        r.edgeStart.push_back(static_cast<u32>(r.edges.size()));
        r.queue.assign(1, static_cast<u32>(seed));
        while (!r.queue.empty()) {
            const size_t c = r.queue.back();
            r.queue.pop_back();
            if (r.label[c]) continue;
            const size_t row = c - c % w;
            size_t lo = c, hi = c;
            while (lo > row && !WallAt(lo - 1)) --lo;
            while (hi + 1 < row + w && !WallAt(hi + 1)) ++hi;
            for (size_t i = lo; i <= hi; ++i) r.label[i] = next;
            if (lo > row) edge(lo - 1);
            if (hi + 1 < row + w) edge(hi + 1);
            const size_t x0 = lo - row - (lo > row), x1 = hi - row + (hi + 1 < row + w);
            for (int side = -1; side <= 1; side += 2) {
                if ((side < 0 && row == 0) || (side > 0 && row + w >= n)) continue;
                const size_t other = side < 0 ? row - w : row + w;
                bool open = false;
                for (size_t x = x0; x <= x1; ++x) {
                    const size_t i = other + x;
                    const bool was = open;
                    open = !WallAt(i);
                    if (!open)
                        edge(i);
                    else if (!was && !r.label[i])
                        r.queue.push_back(static_cast<u32>(i));
                }
            }
        }
    }
    r.edgeStart.push_back(static_cast<u32>(r.edges.size()));
}

// Whether every wall around region k still stands.
bool EdgesStand(u32 k) {
    const WallRegions& r = Regions();
    for (u32 i = r.edgeStart[k]; i < r.edgeStart[k + 1]; ++i)
        if (!WallAt(r.edges[i])) return false;
    return true;
}

u32 EdgeCount(u32 k) {
    const WallRegions& r = Regions();
    return r.edgeStart[k + 1] - r.edgeStart[k];
}

// False only when walls alone keep the two cells apart.
bool WallsMayJoin(size_t a, size_t b) {
    WallRegions& r = Regions();
    if (r.cells != gMap.cells || r.width != gMap.width || r.height != gMap.height) LabelRegions();
    u32 la = r.label[a], lb = r.label[b];
    if (la == lb && la) return true;
    // The region with fewer walls around it is checked; a cell that was a wall
    // has no region of its own to check.
    u32 k = !la || (lb && EdgeCount(lb) < EdgeCount(la)) ? lb : la;
    if (k && EdgesStand(k)) return false;
    LabelRegions();
    return r.label[a] == r.label[b];
}

// After this many cells expanded the search starts filling the start's side
// too, at least this many cells for each further cell expanded: a start closed
// in by people is found out long before the goal's side is exhausted, and
// short searches never pay for it.
constexpr u32 kFloodAfter = 8192;
constexpr u32 kFloodRate = 16;

// Whether a w x h footprint at (cx, cy) lies inside the map on cells free of mask.
bool FootprintFits(i32 cx, i32 cy, int w, int h, u32 mask) {
    i32 mw = static_cast<i32>(gMap.width), mh = static_cast<i32>(gMap.height);
    if (cx < 0 || cy < 0 || cx + w > mw || cy + h > mh) return false;
    if (mask == 0) return true;
    for (int r = 0; r < h; ++r) {
        const u32* row = gMap.cells + static_cast<size_t>(cy + r) * gMap.width + cx;
        for (int c = 0; c < w; ++c)
            if (row[c] & mask) return false;
    }
    return true;
}

// The cost of the start from a cell this far from it on an open map: diagonal
// steps while both distances last, then straight ones. No route is cheaper,
// and no step lowers it by more than the step costs.
u32 Estimate(u32 dx, u32 dy) {
    return std::min(dx, dy) * (kDiagonal - kStraight) + std::max(dx, dy) * kStraight;
}

u32 Dist(i32 a, i32 b) {
    return static_cast<u32>(a > b ? a - b : b - a);
}

// One search from the goal (gx, gy) back to the start (sx, sy) over the
// shared pool, for a footprint of w x h cells on cells free of mask.
class Search {
public:
    Search(i32 sx, i32 sy, i32 gx, i32 gy, int w, int h, u32 mask)
        : p_(P()),
          cs_(P().cells.data()),
          order_(P().orders.data()),
          filled_(P().filled.data()),
          grid_(gMap.cells),
          mask_(mask),
          open_(P().stamp),
          closed_(P().stamp + 1),
          mw_(static_cast<i32>(gMap.width)),
          mh_(static_cast<i32>(gMap.height)),
          sx_(sx),
          sy_(sy),
          gx_(gx),
          gy_(gy),
          w_(w),
          h_(h),
          single_(w == 1 && h == 1),
          start_(static_cast<size_t>(sy) * mw_ + sx) {
        for (int k = 0; k < 8; ++k) offset_[k] = static_cast<ptrdiff_t>(kNbDy[k]) * mw_ + kNbDx[k];
    }

    // True when the start was reached.
    bool Run() {
        Reach(gx_, gy_, static_cast<size_t>(gy_) * mw_ + gx_,
              Estimate(Dist(gx_, sx_), Dist(gy_, sy_)), 0);
        bool found = false;
        for (u32 expanded = 0; !p_.open.Empty();) {
            u32 f;
            const CellPos at = p_.nodes[p_.open.Pop(&f)];
            const size_t c = static_cast<size_t>(at.y) * mw_ + at.x;
            CellState& cur = cs_[c];
            if (cur.stamp == closed_ || f != cur.f) continue;  // expanded, or improved since
            cur.stamp = closed_;
            if (c == start_) {
                found = true;
                break;
            }
            if (fill_ == kFilling) {
                if (!FillStep()) break;
            } else if (fill_ == kNotYet && ++expanded > kFloodAfter) {
                fill_ = kFilling;
                p_.floodQueue.assign(1, {static_cast<u32>(sx_), static_cast<u32>(sy_)});
            }
            Expand(static_cast<i32>(at.x), static_cast<i32>(at.y), c, f);
        }
        if (reached_ > p_.peak) p_.peak = reached_;
        return found;
    }

    // The directions from the start to the goal.
    void Route(std::vector<u8>* dirs) const {
        const size_t goal = static_cast<size_t>(gy_) * mw_ + gx_;
        for (size_t c = start_; c != goal; c -= offset_[order_[c] >> kOrderBits])
            dirs->push_back(static_cast<u8>(order_[c] >> kOrderBits));
    }

private:
    // Whether the footprint fits at (x, y), cell c; inner cells of a single
    // cell footprint need no look at the map's edges.
    __attribute__((always_inline)) bool Fits(i32 x, i32 y, size_t c, bool inner) const {
        if (inner) return !(grid_[c] & mask_);
        if (single_) return x >= 0 && y >= 0 && x < mw_ && y < mh_ && !(grid_[c] & mask_);
        return FootprintFits(x, y, w_, h_, mask_);
    }
    bool Inner(i32 x, i32 y) const {
        return single_ && x > 0 && y > 0 && x < mw_ - 1 && y < mh_ - 1;
    }

    __attribute__((always_inline)) void Reach(i32 x, i32 y, size_t nc, u32 f, u32 from) {
        if (reached_ == p_.nodes.size()) p_.nodes.push_back({});
        p_.nodes[reached_] = {static_cast<u32>(x), static_cast<u32>(y)};
        cs_[nc] = {open_, f};
        order_[nc] = reached_ | from << kOrderBits;
        p_.open.Push(f, reached_++);
    }

    void Expand(i32 cx, i32 cy, size_t c, u32 f) {
        const u32 g = f - Estimate(Dist(cx, sx_), Dist(cy, sy_));
        const bool inner = Inner(cx, cy);
        // Distances to the start from the columns and rows beside this cell.
        const u32 ddx[3] = {Dist(cx - 1, sx_), Dist(cx, sx_), Dist(cx + 1, sx_)};
        const u32 ddy[3] = {Dist(cy - 1, sy_), Dist(cy, sy_), Dist(cy + 1, sy_)};
        auto visit = [&](int k) __attribute__((always_inline)) {
            const i32 nx = cx + kNbDx[k], ny = cy + kNbDy[k];
            const size_t nc = c + offset_[k];
            if (!Fits(nx, ny, nc, inner)) return;
            CellState& m = cs_[nc];
            // The straight-line estimate never overestimates a step, so an
            // expanded cell cannot get cheaper: only open cells are improved.
            if (m.stamp == closed_) return;
            const u32 nf = g + kNbCost[k] + Estimate(ddx[kNbDx[k] + 1], ddy[kNbDy[k] + 1]);
            if (m.stamp != open_) {
                Reach(nx, ny, nc, nf, static_cast<u32>(k));
            } else if (nf < m.f) {
                m.f = nf;
                const u32 order = order_[nc] & kOrderMask;
                order_[nc] = order | static_cast<u32>(k) << kOrderBits;
                p_.open.Push(nf, order);
            }
        };
        visit(0), visit(1), visit(2), visit(3), visit(4), visit(5), visit(6), visit(7);
    }

    // The start's side: filled only when the search grows large, a run of a
    // row at a time, until it meets a cell the search reached (a route exists)
    // or runs out (none does: the goal was reached first of all). In every
    // row the filled cells are whole runs between blocked cells, so a seed
    // beside a run, in the row above or below, starts each run that touches it.
    bool Fillable(i32 x, i32 y) const {
        size_t c = static_cast<size_t>(y) * mw_ + x;
        return (single_ ? !(grid_[c] & mask_) : FootprintFits(x, y, w_, h_, mask_)) &&
               filled_[c] != open_;
    }
    // False once the start's side is filled.
    bool FillStep() {
        for (u32 filled = 0; filled < kFloodRate;) {
            if (p_.floodQueue.empty()) return false;
            const CellPos seed = p_.floodQueue.back();
            p_.floodQueue.pop_back();
            const i32 y = static_cast<i32>(seed.y);
            i32 l = static_cast<i32>(seed.x), r = l;
            if (!Fillable(l, y)) continue;
            while (l > 0 && Fillable(l - 1, y)) --l;
            while (r < mw_ - 1 && Fillable(r + 1, y)) ++r;
            const size_t row = static_cast<size_t>(y) * mw_;
            for (size_t c = row + l; c <= row + r; ++c) {
                filled_[c] = open_;
                if (cs_[c].stamp >= open_) fill_ = kMet;
            }
            if (fill_ == kMet) return true;
            filled += static_cast<u32>(r - l + 1);
            for (i32 ny = y - 1; ny <= y + 1; ny += 2) {
                if (ny < 0 || ny >= mh_) continue;
                bool inRun = false;
                for (i32 x = std::max(l - 1, 0); x <= std::min(r + 1, mw_ - 1); ++x) {
                    const bool free = Fillable(x, ny);
                    if (free && !inRun)
                        p_.floodQueue.push_back({static_cast<u32>(x), static_cast<u32>(ny)});
                    inRun = free;
                }
            }
        }
        return true;
    }

    Pool& p_;
    CellState* const cs_;
    u32* const order_;
    u32* const filled_;
    const u32* const grid_;
    const u32 mask_, open_, closed_;
    const i32 mw_, mh_, sx_, sy_, gx_, gy_;
    const int w_, h_;
    const bool single_;
    const size_t start_;
    ptrdiff_t offset_[8];
    u32 reached_ = 0;
    enum { kNotYet, kFilling, kMet } fill_ = kNotYet;
};

}  // namespace

u32 WallRegionBuilds() {
    return Regions().builds;
}

void InitAStarPool() {
    Pool& p = P();
    p = Pool{};
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
aStar::~aStar() = default;

bool aStar::FootprintFree(i32 cx, i32 cy) const {
    return FootprintFits(cx, cy, w_, h_, mask_);
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
    // The whole footprint must fit at the goal, not only its anchor cell, and
    // at the start, or no step could ever reach it.
    if (!FootprintFree(gx, gy) || !FootprintFree(sx, sy)) return 0;

    // Orders count the cells of the map; no real map comes near their limit.
    if (static_cast<u64>(mw) * static_cast<u64>(mh) > kOrderMask) return 0;
    u32 cells = static_cast<u32>(mw) * static_cast<u32>(mh);
    const size_t startCell = static_cast<size_t>(sy) * mw + sx;
    // Every footprint covers its anchor cell, so walls that part the anchors part it too.
    if ((mask_ & kCellWall) && !WallsMayJoin(startCell, static_cast<size_t>(gy) * mw + gx))
        return 0;
    BeginSearch(cells);
    Search search(sx, sy, gx, gy, w_, h_, mask_);
    // A search that never reached the start has no route: a route from some
    // other cell would walk the role from where it does not stand.
    if (!search.Run()) return 0;
    search.Route(dirs);
    result = 1;
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
    int bucket = static_cast<int>(s.state & kRoleLayer);
    RemoveMapObject(&s, bucket);
    s.x = static_cast<u16>(x);
    s.y = static_cast<u16>(y);
    s.cell = CellOf(s);
    InsertMapObject(&s, bucket);
    if ((s.state & kRoleDrawnBits) == kRoleShown) MarkRoleFootprint(&s);
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
    if ((s->state & kRoleDrawnBits) == kRoleShown) MarkRoleFootprint(s);
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
    if (GetGameFlag(kFollowFreelyFlag)) search.SetBlockMask(0);
    int w, h;
    RoleFootprint(&s, &w, &h);
    ClearRoleFootprint(&s);
    int ok = search.FindPath(s.x, s.y, tx, ty, w, h, &r);
    if ((s.state & kRoleDrawnBits) == kRoleShown) MarkRoleFootprint(&s);
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
    u32 mask = GetGameFlag(kFollowFreelyFlag) ? 0 : 0x40000000u;
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
