// Fuzz target: the name texts "MH_Data/namex.dat", each of the first entries
// read into buffers of several sizes, with and without an end mark.
#include <cstdint>

#include "FuzzWorld.h"
#include "map/SystemServices.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static FuzzWorld world;
    world.Fresh();
    world.Write("MH_Data/namex.dat", data, size);
    char buf[256];
    for (i32 n = -1; n < 24; ++n) {
        ReadNameText(n, sizeof(buf), buf, nullptr);
        ReadNameText(n, 17, buf, "%Q");
        ReadNameText(n, 1, buf, "");
    }
    ResetAllGlobals();
    return 0;
}
