// Fuzz target: a map archive image through the directory reader and LoadMap3,
// each input from an empty map cache: every map's still-object pictures are
// read as the drawing reads them (16-bit, or a palette before an 8-bit
// picture), and the first map is entered once more with the disk full, so it
// is unpacked into memory instead of the cache.
#include <cstdint>
#include <string>
#include <vector>

#include "FuzzWorld.h"
#include "engine/MemDbg.h"
#include "engine/Tsw.h"
#include "map/MapArchive.h"
#include "platform/FileCalls.h"
#include "shell/Settings.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static FuzzWorld world;
    std::vector<MapDirEntry> dir;
    DataError err;
    ReadMapDirectory(data, size, &dir, &err);
    world.Fresh();
    world.Empty("data");
    world.Write("PicLib/HUGE.lmf", data, size);
    gSwapSpace = 4;
    for (size_t i = 0; i < dir.size() && i < 4; ++i) {
        if (!LoadMap3(dir[i].id, &gMap)) continue;
        for (size_t k = 0; k < gMapObjects.size() && k < 16; ++k) {
            PicFrame f;
            if (LoadMapPic(static_cast<i32>(k), &f)) MH_FREE(f.pixels);
        }
    }
    if (!dir.empty()) {
        world.Empty("data");
        FsSetDiskFull(true);
        LoadMap3(dir[0].id, &gMap);
        FsSetDiskFull(false);
    }
    ResetAllGlobals();
    return 0;
}
