// Benchmarks of the battle frame: one opening tick and one release tick, each
// a real BattleFrame call in its phase with the full-screen dissolve of the
// captured map. Each timed tick is followed by a memcpy of one 640x480 frame,
// so that load on the machine falls on both alike; x_vs_memcpy is the tick's
// median time over the copy's (how many frame copies a tick costs).
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstring>
#include <vector>

#include "BenchCommon.h"
#include "BenchGame.h"
#include "battle/Battle.h"
#include "engine/FrameState.h"

namespace {

constexpr size_t kFrameBytes = 640 * 480 * 2;

// Runs battle frames (starting battles as needed) until the next call is a
// dissolve tick of phase; false when none came.
bool RunUpTo(u32 phase) {
    for (int i = 0; i < 400; ++i) {
        const bool fading = gBattle.fade() > 0 && gBattle.fade() < kBattleFadeTicks;
        if (gBattle.phase() == phase && fading) return true;
        gBattleRequest = 7;
        BattleFrame();
    }
    return false;
}

void BattleTick(benchmark::State& st, u32 phase) {
    using Clock = std::chrono::steady_clock;
    if (!StartSampleGame()) {
        st.SkipWithError("no sample game");
        return;
    }
    std::vector<u8> a(kFrameBytes, 1), b(kFrameBytes);
    std::vector<double> tick, copy;
    for (auto _ : st) {
        if (!RunUpTo(phase)) {
            st.SkipWithError("the battle never reached the phase's dissolve");
            break;
        }
        const auto t0 = Clock::now();
        BattleFrame();
        const auto t1 = Clock::now();
        std::memcpy(b.data(), a.data(), kFrameBytes);
        benchmark::ClobberMemory();
        const auto t2 = Clock::now();
        tick.push_back(std::chrono::duration<double>(t1 - t0).count());
        copy.push_back(std::chrono::duration<double>(t2 - t1).count());
        st.SetIterationTime(tick.back());
    }
    if (tick.empty()) return;
    st.counters["x_vs_memcpy"] = Median(tick) / Median(copy);
}

void BM_BattleOpeningTick(benchmark::State& st) {
    BattleTick(st, kPhaseOpening);
}
void BM_BattleReleaseTick(benchmark::State& st) {
    BattleTick(st, kPhaseRelease);
}

}  // namespace

BENCHMARK(BM_BattleOpeningTick)->UseManualTime();
BENCHMARK(BM_BattleReleaseTick)->UseManualTime();
