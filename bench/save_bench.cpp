// Saves: building and writing the bytes of a save, parsing one back, and one
// interface tick of the save screen with three saved slots.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>

#include "BenchGame.h"
#include "map/MapDb.h"
#include "map/NewGame.h"
#include "base/Types.h"
#include "shell/PictureSetup.h"
#include "engine/FrameState.h"
#include "shell/Session.h"
#include "shell/Settings.h"
#include "mhdata/SampleGame.h"
#include "ui/SaveFile.h"
#include "ui/SaveScreens.h"
#include "screens/ScreenManager.h"
#include "ui/ScreenState.h"

namespace {

// The started sample game with a new game running.
bool Root() {
    static bool ok = StartSampleGame() && StartNewGame(1) == 1;
    return ok;
}

}  // namespace

static void BM_WriteSaveBytes(benchmark::State& state) {
    Root();
    SaveImage* img = new SaveImage;
    size_t bytes = 0;
    for (auto _ : state) {
        BuildSaveImage(img, nullptr);
        std::vector<u8> f = SaveImageBytes(*img);
        bytes = f.size();
        benchmark::DoNotOptimize(f.data());
    }
    state.SetBytesProcessed(static_cast<i64>(state.iterations() * bytes));
    delete img;
}
BENCHMARK(BM_WriteSaveBytes)->Unit(benchmark::kMicrosecond);

static void BM_ParseSave(benchmark::State& state) {
    Root();
    SaveImage* img = new SaveImage;
    BuildSaveImage(img, nullptr);
    std::vector<u8> f = SaveImageBytes(*img);
    for (auto _ : state)
        if (!ParseSaveImage(f.data(), f.size(), img, nullptr)) state.SkipWithError("no parse");
    state.SetBytesProcessed(static_cast<i64>(state.iterations() * f.size()));
    delete img;
}
BENCHMARK(BM_ParseSave)->Unit(benchmark::kMicrosecond);

static void BM_WriteSaveFile(benchmark::State& state) {
    Root();
    for (auto _ : state)
        if (!QuickSave()) state.SkipWithError("not written");
}
BENCHMARK(BM_WriteSaveFile)->Unit(benchmark::kMillisecond);

static void BM_SaveScreenTick(benchmark::State& state) {
    if (!Root()) {
        state.SkipWithError("the sample game did not start");
        return;
    }
    for (int s = 0; s < 3; ++s) SaveToSlotFile(s);
    gFrameId = kScreenBit | 8;
    gFramePhase = 0;
    RunInterface(8);
    for (auto _ : state) RunInterface(8);
    gFramePhase = 2;
    RunInterface(8);
}
BENCHMARK(BM_SaveScreenTick)->Unit(benchmark::kMicrosecond);
