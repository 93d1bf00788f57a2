// The shop's sell list: one interface tick with the quantity box open and the
// ability panel shown, and the build of the list over 256 owned pieces.
#include <benchmark/benchmark.h>

#include <new>

#include "BenchGame.h"
#include "data/GameData.h"
#include "data/GameDatabase.h"
#include "engine/DInput.h"
#include "engine/FrameState.h"
#include "map/NewGame.h"
#include "shop/ShopSellList.h"
#include "screens/ScreenManager.h"
#include "ui/ScreenLink.h"
#include "ui/ScreenState.h"

namespace {

// The started sample game, a new game and 256 unworn short swords.
bool Setup() {
    static const bool ok = [] {
        if (!StartSampleGame() || StartNewGame(1) != 1) return false;
        if (gEquipageCount < 1) LoadGameDatabase(gBasePath);
        if (gEquipageCount < 1) return false;
        for (i32 r = 0; r < kRoleCount; ++r)
            for (i32& e : gRoles[r].equip) e = -1;
        for (EquipageData& e : gOwnedEquipage) e = gEquipages[0];
        return true;
    }();
    return ok;
}

void OpenSellList() {
    delete gShopSellListFrame;
    gShopSellListFrame = new (std::nothrow) cShopSellListFrame(10);
    gFrameId = kScreenBit | 21;
    gFramePhase = 0;
    RunInterface(21);
}

void CloseSellList() {
    gShopSellListFrame->core.result = 1;
    gFramePhase = 2;
    RunInterface(21);
    gFrameId = 0;
}

}  // namespace

static void BM_SellListTickWithBoxAndPanel(benchmark::State& state) {
    if (!Setup()) return state.SkipWithError("no game");
    OpenSellList();
    if (!gShopSellListFrame) return state.SkipWithError("no list");
    gShopSellListFrame->ShowItemInfo(gShopSellListFrame->entries.front());
    gShopSellListFrame->OpenQuantityBox(gShopSellListFrame->entries.front());
    for (auto _ : state) RunInterface(21);
    if (gShopSellListFrame->core.mode != 1) state.SkipWithError("the box closed");
    CloseSellList();
}
BENCHMARK(BM_SellListTickWithBoxAndPanel)->Unit(benchmark::kMicrosecond);

static void BM_SellListBuildOver256Pieces(benchmark::State& state) {
    if (!Setup()) return state.SkipWithError("no game");
    OpenSellList();
    if (!gShopSellListFrame) return state.SkipWithError("no list");
    for (auto _ : state) {
        gShopSellListFrame->ClearList();
        gShopSellListFrame->BuildList();
    }
    if (gShopSellListFrame->entries.size() != 256) state.SkipWithError("not every piece listed");
    CloseSellList();
}
BENCHMARK(BM_SellListBuildOver256Pieces)->Unit(benchmark::kMicrosecond);
