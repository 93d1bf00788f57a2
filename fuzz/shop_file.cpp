// Fuzz target: the shop file "MH_Data/tore.dat": every shop number the words
// may name read into a stock, the first shops opened as a script opens them,
// and the buy list of every category opened, run and closed over the stock as
// read (ids the databases do not hold included).
#include <cstdint>
#include <vector>

#include "FuzzWorld.h"
#include "data/GameData.h"
#include "data/GameDatabase.h"
#include "data/ShopData.h"
#include "shop/ShopBuyList.h"
#include "story/PartyCommands.h"
#include "ui/Control.h"

namespace {
void RunBuyLists(const ShopStock& stock) {
    gShopStock = stock;
    for (u32 k = 0; k < kShopCategories; ++k) {
        cShopBuyListFrame list(10 + k);
        list.Open();
        list.Run();
        if (!list.Goods().empty()) {
            list.OpenQuantityBox(list.Goods().front());
            list.Run();
            list.Buy();
        }
        list.Close();
        ClearFrameObjects();
    }
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static FuzzWorld world;
    world.Fresh();
    std::vector<u8> file(data, data + size);
    ShopStock first;
    for (u32 n : {0u, 1u, 2u, 3u, 7u, 65535u, 0xFFFFFFFFu}) {
        ShopStock s;
        if (ParseShop(file, n, &s) == ShopParse::Ok && n < 4) first = s;
    }
    world.Write("MH_Data/tore.dat", data, size);
    for (u32 n = 0; n < 4; ++n) LoadShop(n);
    // The screens over the sample's small databases.
    LoadGameDatabase(gBasePath);
    gScriptVars[0] = 1000;
    RunBuyLists(first);
    ResetAllGlobals();
    return 0;
}
