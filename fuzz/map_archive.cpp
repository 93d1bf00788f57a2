// Fuzz target: a map archive image through the directory reader and LoadMap3.
#include <cstdio>
#include <string>
#include <unistd.h>
#include <vector>

#include "map/MapArchive.h"
#include "map/MapCache.h"
#include "map/NewGame.h"
#include "map/RoleTable.h"
#include "shell/Settings.h"
#include "platform/HostFs.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<MapDirEntry> dir;
    std::string err;
    ReadMapDirectory(data, size, &dir, &err);
    static std::string root = [] {
        char tmpl[] = "/tmp/mh-fuzz-map-XXXXXX";
        std::string r = ::mkdtemp(tmpl) ? tmpl : "/tmp";
        CreateDirectoryA((r + "/PicLib").c_str());
        CreateDirectoryA((r + "/data").c_str());
        return r + "/";
    }();
    std::snprintf(gBasePath, kPathSize, "%s", root.c_str());
    gSwapSpace = 4;
    if (FILE* f = std::fopen((root + "PicLib/HUGE.lmf").c_str(), "wb")) {
        std::fwrite(data, 1, size, f);
        std::fclose(f);
    }
    for (const MapDirEntry& e : dir) {
        LoadMap3(e.id, &gMap);
        if (&e - dir.data() >= 3) break;
    }
    ResetMapData();
    ResetMapArchive();
    ResetMapCacheState();
    FreeMapObjectBuckets();
    return 0;
}
