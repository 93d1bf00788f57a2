// Fuzz target: the map cache's table "data/mcache.dat" (the first 384 bytes)
// and the cache file of slot 0 (the rest), met by entering the sample town:
// a hit maps the file, a miss unpacks the map again, and the ground is drawn.
#include <algorithm>
#include <cstdint>

#include "FuzzWorld.h"
#include "map/City.h"
#include "map/MapCache.h"
#include "map/MapDraw.h"
#include "map/NewGame.h"
#include "mhdata/Maps.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static FuzzWorld world;
    // Start-up may empty the cache (run mark, colour stamp): the input comes after it.
    world.Start();
    world.Empty("data");
    const size_t table = std::min<size_t>(size, kCacheSlots * kCacheSlotBytes);
    world.Write("data/mcache.dat", data, table);
    world.Write("data/0.cm", data + table, size - table);
    if (StartNewGame(1)) {
        LoadCity(sampleMap::kTown, 10, 10, 1, 0, 1, 0);
        DrawWorld();
    }
    ResetAllGlobals();
    return 0;
}
