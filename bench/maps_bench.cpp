// Benchmarks of map loading: unpacking and converting a large map into the
// cache, a cache hit, and a whole LoadCity of the sample town.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "BenchGame.h"
#include "engine/PixelFormat.h"
#include "map/City.h"
#include "map/MapArchive.h"
#include "map/MapCache.h"
#include "map/MapDb.h"
#include "map/NewGame.h"
#include "shell/Settings.h"
#include "mhdata/Maps.h"
#include "mhdata/SampleGame.h"

namespace {

// The started sample game (archives and databases open) with a large map of
// 200 x 150 cells beside it: 3200 x 2400 pixels, about 15 MB unpacked.
std::string MakeRoot() {
    if (!StartSampleGame()) return "";
    std::vector<u8> a = BuildMapArchive({MakeTestMap(900, 200, 150, 16)});
    std::ofstream(BenchFolder() + "/HUGE2.lmf", std::ios::binary)
        .write(reinterpret_cast<const char*>(a.data()), static_cast<std::streamsize>(a.size()));
    return BenchFolder();
}

const std::string& Root() {
    static const std::string root = MakeRoot();
    return root;
}

}  // namespace

static void BM_UnpackLargeMapIntoCache(benchmark::State& state) {
    Root();
    for (auto _ : state) {
        state.PauseTiming();
        ReleaseMapView();
        ResetMapCache(1);
        gEnvStamp[0] = 0;  // the next reset empties the cache again
        state.ResumeTiming();
        if (LoadMap3(900, &gMap) != 1) state.SkipWithError("the large map did not load");
    }
    state.SetBytesProcessed(static_cast<i64>(state.iterations()) * 3200 * 2400 * 2);
}
BENCHMARK(BM_UnpackLargeMapIntoCache)->Unit(benchmark::kMillisecond);

static void BM_LargeMapCacheHit(benchmark::State& state) {
    Root();
    LoadMap3(900, &gMap);
    u32 unpacked = gMapsUnpacked;
    for (auto _ : state) benchmark::DoNotOptimize(LoadMap3(900, &gMap));
    if (gMapsUnpacked != unpacked) state.SkipWithError("a cache hit unpacked the map");
}
BENCHMARK(BM_LargeMapCacheHit)->Unit(benchmark::kMillisecond);

static void BM_LoadCityTown(benchmark::State& state) {
    Root();
    StartNewGame(1);
    for (auto _ : state) LoadCity(sampleMap::kTown, 10, 10, 1, 0, 1, 1);
}
BENCHMARK(BM_LoadCityTown)->Unit(benchmark::kMillisecond);
