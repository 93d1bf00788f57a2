// The items page: one interface tick in its main state, and one with the use
// list open and a row under the mouse (the preview and the hint each tick), and
// the equipment page's list with a row under the mouse (the comparison each tick).
#include <benchmark/benchmark.h>

#include "BenchGame.h"
#include "data/GameData.h"
#include "engine/DInput.h"
#include "engine/FrameState.h"
#include "map/NewGame.h"
#include "menu/EquipFrame.h"
#include "menu/ItemMenuFrame.h"
#include "screens/ScreenManager.h"
#include "ui/ScreenLink.h"
#include "ui/ScreenState.h"

namespace {

// The started sample game, a new game, sixteen kinds of items and a party of six.
bool Setup() {
    static const bool ok = [] {
        if (!StartSampleGame() || StartNewGame(1) != 1) return false;
        for (i32 i = 0; i < gItemCount && i < 16; ++i) gOwnedItems[i] = 5;
        for (i32 k = 0; k < 6; ++k) gParty[k] = k;
        return true;
    }();
    return ok;
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
    if (!Setup()) return state.SkipWithError("no game");
    OpenPage();
    for (auto _ : state) RunInterface(2);
    ClosePage();
}
BENCHMARK(BM_ItemsPageTick)->Unit(benchmark::kMicrosecond);

static void BM_ItemsPageUseListHovered(benchmark::State& state) {
    if (!Setup()) return state.SkipWithError("no game");
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

// The equipment page with the weapon list open and a row under the mouse: the
// comparison runs on copies of the member's records every tick.
static void BM_EquipPageListHovered(benchmark::State& state) {
    if (!Setup()) return state.SkipWithError("no game");
    gFrameId = kScreenBit | 3;
    gFramePhase = 0;
    RunInterface(3);
    if (!gEquipFrame) return state.SkipWithError("no page");
    gEquipFrame->OpenList(0);
    gDInput.SetMousePos(520, 108);  // row 0, the take-off entry
    RunInterface(3);
    RunInterface(3);
    for (auto _ : state) RunInterface(3);
    if (gEquipFrame->focus != 30) state.SkipWithError("the row was not hovered");
    gFramePhase = 2;
    RunInterface(3);
}
BENCHMARK(BM_EquipPageListHovered)->Unit(benchmark::kMicrosecond);
