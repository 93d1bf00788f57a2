// Benchmarks of the map scene: one tick of the sample town with 50 people
// walking and a message box open.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdio>
#include <random>
#include <vector>

#include "BenchTown.h"
#include "engine/DataErrors.h"
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

static void BM_MapFrameTownFiftyWalkers(benchmark::State& state) {
    if (!StartTown()) {
        state.SkipWithError("the sample town did not start");
        return;
    }
    std::mt19937 rng(9);
    u32 builds = ZoomTablesBuilt();
    u32 errors = DataErrorCount();
    for (auto _ : state) {
        TownTick(rng);
    }
    state.counters["zoom_tables_per_frame"] =
        static_cast<double>(ZoomTablesBuilt() - builds) / state.iterations();
    // Data errors reported while the frames ran: 0 when the frame measures what it says.
    state.counters["data_errors"] = static_cast<double>(DataErrorCount() - errors);
}
BENCHMARK(BM_MapFrameTownFiftyWalkers)->Unit(benchmark::kMicrosecond);
