// Benchmarks of the path search: a long route corner to corner on a 256 x 256
// map, and goals a 512 x 512 map cannot reach, parted by walls or by people
// (cells of low roles, which the default mask blocks). Each is reported as the
// median of several repetitions.
#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "base/Types.h"
#include "map/AStar.h"
#include "map/City.h"
#include "map/RoleTable.h"

namespace {

// A square map of random walls, made the current map while it lives.
struct Grid {
    std::vector<u32> cells;
    u32 size;
    Grid(u32 n, int wallPercent, u32 seed) : cells(static_cast<size_t>(n) * n), size(n) {
        std::mt19937 rng(seed);
        for (u32& c : cells)
            if (static_cast<int>(rng() % 100) < wallPercent) c = kCellWall;
        gMap = MapRecord{};
        gMap.width = n;
        gMap.height = n;
        gMap.cells = cells.data();
    }
    ~Grid() { gMap = MapRecord{}; }
    u32& at(u32 x, u32 y) { return cells[static_cast<size_t>(y) * size + x]; }
    // A closed square ring of the given bits around (cx, cy), inner half-size r,
    // with the ring's inside cleared.
    void Ring(u32 cx, u32 cy, u32 r, u32 bits) {
        for (u32 y = cy - r - 1; y <= cy + r + 1; ++y)
            for (u32 x = cx - r - 1; x <= cx + r + 1; ++x) {
                bool edge =
                    x == cx - r - 1 || x == cx + r + 1 || y == cy - r - 1 || y == cy + r + 1;
                at(x, y) = edge ? bits : 0;
            }
    }
};

// Searches from (sx, sy) to (gx, gy) in cells, expecting the given outcome.
void Search(benchmark::State& state, u32 sx, u32 sy, u32 gx, u32 gy, bool reachable) {
    std::vector<u8> dirs;
    for (auto _ : state) {
        aStar a;
        int ok = a.FindPath(static_cast<i32>(sx * 16), static_cast<i32>(sy * 16),
                            static_cast<i32>(gx * 16), static_cast<i32>(gy * 16), 1, 1, &dirs);
        if (ok != (reachable ? 1 : 0)) state.SkipWithError("unexpected outcome");
    }
    state.counters["steps"] = static_cast<double>(dirs.size());
    state.counters["pool_peak"] = GetAStarPoolStats().peak;
}

}  // namespace

static void BM_LongRoute256(benchmark::State& state) {
    InitAStarPool();
    Grid g(256, 20, 1);
    g.at(1, 1) = g.at(254, 254) = 0;
    Search(state, 1, 1, 254, 254, true);
}
BENCHMARK(BM_LongRoute256)->Unit(benchmark::kMillisecond)->Repetitions(7)->ReportAggregatesOnly();

// The start walled in: the walls alone part it from the goal.
static void BM_UnreachableWalledStart512(benchmark::State& state) {
    InitAStarPool();
    Grid g(512, 10, 2);
    g.Ring(4, 4, 1, kCellWall);
    g.at(500, 500) = 0;
    Search(state, 4, 4, 500, 500, false);
}
BENCHMARK(BM_UnreachableWalledStart512)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(7)
    ->ReportAggregatesOnly();

// The goal walled in.
static void BM_UnreachableWalledGoal512(benchmark::State& state) {
    InitAStarPool();
    Grid g(512, 10, 3);
    g.Ring(300, 300, 2, kCellWall);
    g.at(4, 4) = 0;
    Search(state, 4, 4, 300, 300, false);
}
BENCHMARK(BM_UnreachableWalledGoal512)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(7)
    ->ReportAggregatesOnly();

// The goal walled in, searched for at once on a map just entered: the wall
// regions are worked out anew for every search (two copies of the map take
// turns).
static void BM_UnreachableWalledFirstSearch512(benchmark::State& state) {
    InitAStarPool();
    Grid g(512, 10, 3);
    g.Ring(300, 300, 2, kCellWall);
    g.at(4, 4) = 0;
    std::vector<u32> copy = g.cells;
    u32* maps[2] = {g.cells.data(), copy.data()};
    std::vector<u8> dirs;
    int turn = 0;
    for (auto _ : state) {
        gMap.cells = maps[turn ^= 1];
        aStar a;
        if (a.FindPath(4 * 16, 4 * 16, 300 * 16, 300 * 16, 1, 1, &dirs))
            state.SkipWithError("found a route");
    }
    gMap.cells = g.cells.data();
    state.counters["region_builds"] = static_cast<double>(WallRegionBuilds());
}
BENCHMARK(BM_UnreachableWalledFirstSearch512)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(7)
    ->ReportAggregatesOnly();

// A crowd stands around the goal.
static void BM_UnreachableCrowdedGoal512(benchmark::State& state) {
    InitAStarPool();
    Grid g(512, 10, 4);
    g.Ring(300, 300, 2, kCellRole | kCellLow);
    g.at(4, 4) = 0;
    Search(state, 4, 4, 300, 300, false);
}
BENCHMARK(BM_UnreachableCrowdedGoal512)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(7)
    ->ReportAggregatesOnly();

// A crowd stands around the start: every cell the goal's side holds is open to it.
static void BM_UnreachableCrowdedStart512(benchmark::State& state) {
    InitAStarPool();
    Grid g(512, 10, 5);
    g.Ring(4, 4, 1, kCellRole | kCellLow);
    g.at(500, 500) = 0;
    Search(state, 4, 4, 500, 500, false);
}
BENCHMARK(BM_UnreachableCrowdedStart512)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(7)
    ->ReportAggregatesOnly();

// A wall across the whole map whose only door a crowd closes: both sides are large.
static void BM_UnreachableCrowdedDoor512(benchmark::State& state) {
    InitAStarPool();
    Grid g(512, 10, 6);
    for (u32 y = 0; y < 512; ++y) g.at(256, y) = kCellWall;
    for (u32 y = 250; y < 254; ++y) {
        g.at(256, y) = 0;
        g.at(257, y) = kCellRole | kCellLow;
    }
    for (u32 y = 249; y <= 254; ++y) g.at(257, y) = kCellRole | kCellLow;
    g.at(4, 4) = g.at(500, 500) = 0;
    Search(state, 4, 4, 500, 500, false);
}
BENCHMARK(BM_UnreachableCrowdedDoor512)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(7)
    ->ReportAggregatesOnly();
