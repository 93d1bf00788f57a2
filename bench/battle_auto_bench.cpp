// A whole 3 v 3 auto battle of the sample game through the frame tick, headless
// at frame interval 0: frames of battle per second, from set-up to the hand-back.
#include <benchmark/benchmark.h>

#include "BenchGame.h"
#include "battle/Battle.h"
#include "battle/BattleController.h"
#include "data/GameData.h"
#include "data/GameDatabase.h"
#include "engine/FrameState.h"
#include "engine/Random.h"
#include "mhdata/SampleBattle.h"
#include "shell/Main.h"

namespace {

// Plays one battle to its end; the frames it took, or 0 when it did not end.
i64 WholeBattle(u32 seed) {
    LoadGameDatabase(gBasePath);
    for (int k = 0; k < kPartySize; ++k) gFormation[k] = k < 3 ? k : -1;
    InitRandom(seed);
    gFrameId = 0;
    gFrameInterval = 0;
    gBattleRequest = 0x80000000u | sample_battle::kThreeFoes;
    i64 frames = 0;
    for (; frames < 100000; ++frames) {
        GameFrame();
        if (gBattle.phase() == kPhaseMain) gBattleController.autoBattle = 1;
        if (frames > 0 && !gBattleActive) return frames + 1;
    }
    return 0;
}

void BM_WholeAutoBattle3v3(benchmark::State& st) {
    if (!StartSampleGame()) {
        st.SkipWithError("no sample game");
        return;
    }
    i64 frames = 0;
    u32 seed = 1;
    for (auto _ : st) {
        const i64 n = WholeBattle(seed++);
        if (n == 0) {
            st.SkipWithError("the battle did not end");
            return;
        }
        frames += n;
    }
    st.counters["frames"] =
        benchmark::Counter(static_cast<double>(frames), benchmark::Counter::kAvgIterations);
    st.counters["frames/s"] =
        benchmark::Counter(static_cast<double>(frames), benchmark::Counter::kIsRate);
}

}  // namespace

BENCHMARK(BM_WholeAutoBattle3v3)->Unit(benchmark::kMillisecond);
