// Fuzz target: a map archive image through the directory reader and LoadMap3,
// each input from an empty map cache.
#include <cstdint>
#include <string>
#include <vector>

#include "FuzzWorld.h"
#include "map/MapArchive.h"
#include "shell/Settings.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static FuzzWorld world;
    std::vector<MapDirEntry> dir;
    std::string err;
    ReadMapDirectory(data, size, &dir, &err);
    world.Fresh();
    world.Empty("data");
    world.Write("PicLib/HUGE.lmf", data, size);
    gSwapSpace = 4;
    for (size_t i = 0; i < dir.size() && i < 4; ++i) LoadMap3(dir[i].id, &gMap);
    ResetAllGlobals();
    return 0;
}
