// The town frame as the player pays for it: the same tick with the picture
// shown through SDL in a window of the X display in $DISPLAY (tools/
// shown_frame.sh starts virtual servers at 16 and 24 bits and full HD), and
// headless in the same run for the ratio. CPU time is the benchmark thread's.
#include <benchmark/benchmark.h>

#include <cstdlib>

#include "BenchTown.h"
#include "engine/DataErrors.h"
#include "platform/Display.h"

namespace {

// The game starts in a window: SDL is chosen before its window is made.
bool StartShownTown() {
    static bool ok = [] {
        if (!std::getenv("DISPLAY")) return false;
        ::setenv("SDL_AUDIODRIVER", "dummy", 0);
        PlatformSetBackend(Backend::Sdl);
        if (!StartTown() || !PlatformHasDisplay()) return false;
        gFrameInterval = 0;  // every call a tick, however close together
        return true;
    }();
    return ok;
}

void RunTown(benchmark::State& state, Backend backend) {
    if (!StartShownTown()) {
        state.SkipWithError("no X display or the sample town did not start");
        return;
    }
    PlatformSetBackend(backend);
    std::mt19937 rng(9);
    for (int i = 0; i < 20; ++i) TownTick(rng);  // past the first frames
    const u32 errors = DataErrorCount();
    const u64 rows = DisplayRowsSent();
    for (auto _ : state) TownTick(rng);
    state.counters["rows_per_frame"] =
        static_cast<double>(DisplayRowsSent() - rows) / static_cast<double>(state.iterations());
    state.counters["data_errors"] = static_cast<double>(DataErrorCount() - errors);
    DisplayPlace at = DisplayWindowPlace();
    state.counters["scale"] = at.scale;
    PlatformSetBackend(Backend::Sdl);
}

void BM_TownFrameHeadless(benchmark::State& state) {
    RunTown(state, Backend::Headless);
}
void BM_TownFrameShown(benchmark::State& state) {
    RunTown(state, Backend::Sdl);
}
BENCHMARK(BM_TownFrameHeadless)->Unit(benchmark::kMicrosecond)->MinTime(2.0);
BENCHMARK(BM_TownFrameShown)->Unit(benchmark::kMicrosecond)->MinTime(2.0);

}  // namespace
