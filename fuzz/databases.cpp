// Fuzz target: the six game databases loaded together, then the steps after a
// load (descriptions, starting equipment, derived stats). The input holds the
// files in table order, each a u32 length and its bytes; a length past the end
// takes what is left.
#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "FuzzWorld.h"
#include "data/GameData.h"
#include "data/GameDatabase.h"
#include "base/ByteIo.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static FuzzWorld world;
    world.Fresh();
    size_t at = 0;
    for (int k = 0; k < kDatabaseFileCount; ++k) {
        u32 len = 0;
        if (at + 4 <= size) len = LoadU32(data + at);
        at = std::min(at + 4, size);
        const size_t n = std::min<size_t>(len, size - at);
        auto which = static_cast<DatabaseFile>(k);
        LoadDatabaseBytes(which, data + at, n, kDatabaseLayouts[which].fileName);
        at += n;
    }
    FinishDatabaseLoad();
    ResetAllGlobals();
    return 0;
}
