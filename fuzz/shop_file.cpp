// Fuzz target: the shop file "MH_Data/tore.dat": every shop number the words
// may name read into a stock, and the first shops opened as a script opens them.
#include <cstdint>
#include <vector>

#include "FuzzWorld.h"
#include "data/ShopData.h"
#include "story/PartyCommands.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static FuzzWorld world;
    world.Fresh();
    std::vector<u8> file(data, data + size);
    for (u32 n : {0u, 1u, 2u, 3u, 7u, 65535u, 0xFFFFFFFFu}) {
        ShopStock s;
        ParseShop(file, n, &s);
    }
    world.Write("MH_Data/tore.dat", data, size);
    for (u32 n = 0; n < 4; ++n) LoadShop(n);
    ResetAllGlobals();
    return 0;
}
