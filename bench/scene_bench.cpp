// Benchmarks of the map scene: one tick of the sample town with 50 people
// walking and a message box open, a long route on a 256 x 256 map, and an unreachable goal on
// a 512 x 512 map.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdio>
#include <random>
#include <vector>

#include "BenchGame.h"
#include "engine/PicPaint.h"
#include "engine/PixelFormat.h"
#include "engine/Random.h"
#include "map/AStar.h"
#include "map/City.h"
#include "map/MapArchive.h"
#include "map/MapDb.h"
#include "map/MapScene.h"
#include "map/DrawOrder.h"
#include "map/NewGame.h"
#include "base/Types.h"
#include "shell/PictureSetup.h"
#include "map/RoleTable.h"
#include "engine/FrameState.h"
#include "shell/Settings.h"
#include "mhdata/SampleGame.h"
#include "platform/Backend.h"
#include "platform/TextCodec.h"
#include "story/Dialog.h"
#include "ui/ScreenState.h"

namespace {

// The sample town entered through a new game of the started game, 50 people
// added, and a message box open over the map.
bool StartTown() {
    static bool ok = [] {
        if (!StartSampleGame()) return false;
        InitAStarPool();
        if (StartNewGame(1) != 1 || gMap.width == 0) return false;
        gFrameId = 0;
        std::mt19937 rng(3);
        for (int k = 0; k < 50; ++k) {
            int n = gMapRoleCount++;
            RoleSlot& s = gMapRoles[n];
            s = RoleSlot{};
            s.act = NewActPlayer();
            s.act->act = 1 + k % 3;
            s.act->action = 8;
            s.roleId = static_cast<u16>(400 + k);
            for (;;) {
                u32 x = 2 + rng() % (gMap.width - 4), y = 2 + rng() % (gMap.height - 4);
                if (gMap.cells[y * gMap.width + x] & 0x70000000u) continue;
                s.x = static_cast<u16>(x * 16);
                s.y = static_cast<u16>(y * 16);
                break;
            }
            s.state = kRoleShown;
            InsertMapObject(&s, 0);
            newRoleInit(&s);
        }
        ShowMessageBox(0xFFFD, B5("港口的燈塔今夜又亮了。往北走就是市場。%Q"));
        return true;
    }();
    return ok;
}

// The behaviour step of the walkers: a new route whenever the last one ended.
void StepWalkers(std::mt19937& rng) {
    for (int i = 1; i < gMapRoleCount; ++i) {
        RoleSlot& s = gMapRoles[i];
        if (s.roleId < 400 || ((s.x | s.y) & 15)) continue;
        if (StepRoleRoute(i) == 2)
            StartRoleRoute(i, 2 + static_cast<i32>(rng() % (gMap.width - 4)),
                           2 + static_cast<i32>(rng() % (gMap.height - 4)));
    }
}

}  // namespace

static void BM_MapFrameTownFiftyWalkers(benchmark::State& state) {
    if (!StartTown()) {
        state.SkipWithError("the sample town did not start");
        return;
    }
    std::mt19937 rng(9);
    for (auto _ : state) {
        StepWalkers(rng);
        // One whole tick: roles, scene, the message box's text, presentation.
        PlatformAdvanceTime(kFrameMs);
        GameFrame();
        if (gDialogs.empty()) ShowMessageBox(0xFFFD, B5("港口的燈塔今夜又亮了。往北走就是市場。%Q"));
    }
}
BENCHMARK(BM_MapFrameTownFiftyWalkers)->Unit(benchmark::kMicrosecond);

namespace {
struct Grid {
    std::vector<u32> cells;
    Grid(u32 w, u32 h, int wallPercent, u32 seed) : cells(static_cast<size_t>(w) * h) {
        std::mt19937 rng(seed);
        for (u32& c : cells)
            if (static_cast<int>(rng() % 100) < wallPercent) c = 0x40000000u;
        gMap = MapRecord{};
        gMap.width = w;
        gMap.height = h;
        gMap.cells = cells.data();
    }
    ~Grid() { gMap = MapRecord{}; }
};
}  // namespace

static void BM_LongRoute256(benchmark::State& state) {
    InitAStarPool();
    Grid g(256, 256, 20, 1);
    g.cells[1 * 256 + 1] = g.cells[254 * 256 + 254] = 0;
    std::vector<u8> dirs;
    for (auto _ : state) {
        aStar a;
        if (!a.FindPath(16, 16, 254 * 16, 254 * 16, 1, 1, &dirs)) state.SkipWithError("no route");
    }
    state.counters["steps"] = static_cast<double>(dirs.size());
    state.counters["pool_peak"] = GetAStarPoolStats().peak;
}
BENCHMARK(BM_LongRoute256)->Unit(benchmark::kMillisecond);

static void BM_UnreachableGoal512(benchmark::State& state) {
    InitAStarPool();
    Grid g(512, 512, 10, 2);
    // The start is walled in; the search floods everything the goal can reach.
    for (u32 k = 0; k < 5; ++k) {
        g.cells[2 * 512 + 2 + k] = g.cells[6 * 512 + 2 + k] = 0x40000000u;
        g.cells[(2 + k) * 512 + 2] = g.cells[(2 + k) * 512 + 6] = 0x40000000u;
    }
    g.cells[4 * 512 + 4] = 0;
    g.cells[500 * 512 + 500] = 0;
    std::vector<u8> dirs;
    for (auto _ : state) {
        aStar a;
        if (a.FindPath(64, 64, 500 * 16, 500 * 16, 1, 1, &dirs))
            state.SkipWithError("found a route");
    }
    state.counters["pool_peak"] = GetAStarPoolStats().peak;
}
BENCHMARK(BM_UnreachableGoal512)->Unit(benchmark::kMillisecond);
