// Picture cache hit, cold load of a 640x480 frame, and TakeActData per tick,
// over the sample game's archives written to a temporary folder.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "BenchCommon.h"
#include "engine/MemDbg.h"
#include "engine/MyAct.h"
#include "engine/Tsw.h"
#include "mhdata/Archives.h"

namespace {

struct SampleRoot {
    SampleRoot() {
        const std::string& root = BenchFolder();
        std::filesystem::create_directories(root + "/PicLib");
        std::string error;
        WriteSampleArchives(root, &error);
        SetPicLibPath(root.c_str());
        OpenPicLib();
    }
};

SampleRoot& Root() {
    static SampleRoot r;
    return r;
}

void BM_PicCacheHit(benchmark::State& state) {
    Root();
    GetPic(sample_art::kPeopleFirst, 4);
    for (auto _ : state) benchmark::DoNotOptimize(GetPic(sample_art::kPeopleFirst, 4));
}
BENCHMARK(BM_PicCacheHit);

void BM_ColdLoadFullScreenFrame(benchmark::State& state) {
    Root();
    for (auto _ : state) {
        FreePics();
        benchmark::DoNotOptimize(GetPic(sample_art::kBackdrop, 0));
    }
    state.SetBytesProcessed(state.iterations() * 640 * 480 * 2);
}
BENCHMARK(BM_ColdLoadFullScreenFrame);

void BM_TakeActDataTick(benchmark::State& state) {
    Root();
    ActPlayer p;
    p.act = sample_art::kPeopleFirst;
    p.action = sample_art::kActionWalk;
    p.dir = p.lastDir = 3;
    for (auto _ : state) benchmark::DoNotOptimize(TakeActData(&p));
}
BENCHMARK(BM_TakeActDataTick);

}  // namespace
