// Fuzz target: the name texts "MH_Data/namex.dat", each of the first entries
// read into buffers of several sizes, with and without an end mark; the same
// bytes are also searched as the map database's table of names and their ids.
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>

#include "FuzzTemp.h"
#include "map/SystemServices.h"
#include "shell/Settings.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // Only the folder is needed: no game state is touched.
    static const FuzzTempFolder folder("names");
    static const bool made = std::filesystem::create_directories(folder.path() + "MH_Data");
    (void)made;
    {
        std::ofstream out(folder.path() + "MH_Data/namex.dat", std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    std::snprintf(gBasePath, kPathSize, "%s", folder.path().c_str());
    char buf[256];
    for (i32 n = -1; n < 24; ++n) {
        ReadNameText(n, sizeof(buf), buf, nullptr);
        ReadNameText(n, 17, buf, "%Q");
        ReadNameText(n, 1, buf, "");
    }
    for (const char* name : {"", "a", "\xA5\xFA", "name"}) FindNameIdIn(data, size, name);
    return 0;
}
