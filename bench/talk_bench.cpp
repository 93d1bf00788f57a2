// Story-script stepping: commands per second of a variable-and-flag loop and of
// a long straight script that crosses the window.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

#include "shell/Settings.h"
#include "map/SceneStandIn.h"
#include "mhdata/StoryAsm.h"
#include "platform/Backend.h"
#include "story/Talk.h"

namespace {

std::string Root() {
    static const std::string r = [] {
        std::string p = std::filesystem::temp_directory_path().string() + "/mh-bench-talk-" +
                        std::to_string(::getpid()) + "/";
        std::filesystem::create_directories(p + "MH_Data");
        return p;
    }();
    return r;
}

void WriteTalk(const std::string& src) {
    std::vector<u8> bytes;
    std::string error;
    AssembleTalkFile(src, &bytes, &error);
    std::ofstream out(Root() + "MH_Data/Talk1.dat", std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

void Setup() {
    PlatformReset();
    std::snprintf(gBasePath, kPathSize, "%s", Root().c_str());
    ResetTalk();
    ResetSceneStandIn();
    gMapRoleCount = 1;
}

// A loop of 8,000 commands per frame: counter, flag test, compare, jump.
void BM_TalkLoop(benchmark::State& state) {
    Setup();
    WriteTalk(
        "talk 1\nloop:\n Add 9 1\n JumpIfFlag 5 @out\n JumpIfAtLeast 9 2000 @out\n Jump "
        "@loop\nout:\n End\n");
    i64 commands = 0;
    for (auto _ : state) {
        gScriptVars[9] = 0;
        StartTalk(1, 1);
        Talk(&gTalkContext);
        commands += 2000 * 4;
    }
    state.SetItemsProcessed(commands);
}
BENCHMARK(BM_TalkLoop);

// 8,000 straight commands (48 KB): the window is read again once.
void BM_TalkLongScript(benchmark::State& state) {
    Setup();
    std::string src = "talk 1\n";
    for (int i = 0; i < 8000; ++i) src += " Add 7 1\n";
    WriteTalk(src + " End\n");
    for (auto _ : state) {
        StartTalk(1, 1);
        Talk(&gTalkContext);
    }
    state.SetItemsProcessed(state.iterations() * 8000);
}
BENCHMARK(BM_TalkLongScript);

}  // namespace
