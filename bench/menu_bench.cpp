// The items page: one interface tick in its main state, and one with the use
// list open and a row under the mouse (the preview and the hint each tick).
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>

#include "data/GameData.h"
#include "engine/DInput.h"
#include "engine/FrameState.h"
#include "map/NewGame.h"
#include "shell/PictureSetup.h"
#include "shell/Session.h"
#include "shell/Settings.h"
#include "menu/ItemMenuFrame.h"
#include "mhdata/SampleGame.h"
#include "ui/ScreenManager.h"
#include "ui/ScreenState.h"

namespace {

void Setup() {
    static const bool done = [] {
        char tmpl[] = "/tmp/mh-bench-menu-XXXXXX";
        std::string r = ::mkdtemp(tmpl) ? tmpl : "/tmp/mh-bench-menu";
        std::string err;
        WriteSampleGame(r, &err);
        std::snprintf(gBasePath, kPathSize, "%s/", r.c_str());
        OpenPictureArchives();
        ReloadGameDatabase();
        StartNewGame(1);
        for (i32 i = 0; i < gItemCount && i < 16; ++i) gOwnedItems[i] = 5;
        for (i32 k = 0; k < 6; ++k) gParty[k] = k;
        return true;
    }();
    (void)done;
}

void OpenPage() {
    gFrameId = kScreenBit | 2;
    gFramePhase = 0;
    RunInterface(2);
}

void ClosePage() {
    gFramePhase = 2;
    RunInterface(2);
}

}  // namespace

static void BM_ItemsPageTick(benchmark::State& state) {
    Setup();
    OpenPage();
    for (auto _ : state) RunInterface(2);
    ClosePage();
}
BENCHMARK(BM_ItemsPageTick)->Unit(benchmark::kMicrosecond);

static void BM_ItemsPageUseListHovered(benchmark::State& state) {
    Setup();
    OpenPage();
    if (!gItemMenuFrame) return state.SkipWithError("no page");
    gItemMenuFrame->OpenUseList();
    gDInput.SetMousePos(520, 108);  // row 0
    RunInterface(2);
    for (auto _ : state) RunInterface(2);
    if (gItemMenuFrame->focus != 30) state.SkipWithError("the row was not hovered");
    ClosePage();
}
BENCHMARK(BM_ItemsPageUseListHovered)->Unit(benchmark::kMicrosecond);
