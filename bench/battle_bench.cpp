// Benchmarks of the battle frame: one opening tick and one release tick, each
// with the full-screen dissolve of the captured map, against memcpy of a frame.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdio>
#include <string>

#include "BenchCommon.h"
#include "BenchGame.h"
#include "battle/Battle.h"
#include "engine/ErrorBox.h"
#include "engine/Random.h"
#include "engine/FrameState.h"
#include "shell/Main.h"
#include "data/Config.h"
#include "shell/Startup.h"
#include "mhdata/SampleGame.h"
#include "platform/Win.h"

namespace {


// Runs battle frames (starting battles as needed) until the next call is a dissolve tick of phase.
void RunUpTo(u32 phase) {
    for (int i = 0; i < 200; ++i) {
        bool fading = gBattle.fade() > 0 && gBattle.fade() < kBattleFadeTicks;
        if (gBattle.phase() == phase && fading) return;
        gBattleRequest = 7;
        BattleFrame();
    }
}

void BattleTick(benchmark::State& st, u32 phase) {
    if (!StartSampleGame()) {
        st.SkipWithError("no sample game");
        return;
    }
    for (auto _ : st) {
        st.PauseTiming();
        RunUpTo(phase);
        st.ResumeTiming();
        BattleFrame();
    }
    ReportVsMemcpy(st, 640 * 480 * 2);
}

void BM_BattleOpeningTick(benchmark::State& st) {
    BattleTick(st, kPhaseOpening);
}
void BM_BattleReleaseTick(benchmark::State& st) {
    BattleTick(st, kPhaseRelease);
}

}  // namespace

BENCHMARK(BM_BattleOpeningTick);
BENCHMARK(BM_BattleReleaseTick);
