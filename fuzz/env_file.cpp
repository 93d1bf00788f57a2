// Fuzz target: a settings file "Env.dat" read, written back from what was read
// and read again, then the map cache's start-up check over it.
#include <cstdint>

#include "FuzzWorld.h"
#include "map/MapCache.h"
#include "shell/Settings.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static FuzzWorld world;
    world.Fresh();
    world.Write("Env.dat", data, size);
    EnvValues v;
    ReadEnvFile(&v);
    // The root the file names is never followed: the checks below stay in the world.
    WriteEnvFile(v);
    EnvValues again;
    ReadEnvFile(&again);
    ResetMapCache(0);
    ResetMapCache(1);
    ResetAllGlobals();
    return 0;
}
