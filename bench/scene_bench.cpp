// Benchmarks of the map scene: one tick of the sample town with 50 people
// walking and a message box open.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdio>
#include <random>
#include <vector>

#include "BenchGame.h"
#include "engine/PicPaint.h"
#include "engine/PixelFormat.h"
#include "engine/ZoomBlit.h"
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
    u32 builds = ZoomTablesBuilt();
    for (auto _ : state) {
        StepWalkers(rng);
        // One whole tick: roles, scene, the message box's text, presentation.
        PlatformAdvanceTime(kFrameMs);
        GameFrame();
        if (gDialogs.empty()) ShowMessageBox(0xFFFD, B5("港口的燈塔今夜又亮了。往北走就是市場。%Q"));
    }
    state.counters["zoom_tables_per_frame"] =
        static_cast<double>(ZoomTablesBuilt() - builds) / state.iterations();
}
BENCHMARK(BM_MapFrameTownFiftyWalkers)->Unit(benchmark::kMicrosecond);
