// Fuzz target: the game database loaders over one file's bytes, then the steps
// after a load (descriptions, starting equipment, derived stats).
#include <cstddef>
#include <cstdint>

#include "data/GameData.h"
#include "data/GameDatabase.h"
#include "data/GameFlags.h"
#include "platform/Backend.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    PlatformReset();
    ResetGameFlags();
    ResetGameData();
    // The first byte chooses the file; the rest is its contents.
    auto which = static_cast<DatabaseFile>(data[0] % kDatabaseFileCount);
    LoadDatabaseBytes(which, data + 1, size - 1, kDatabaseLayouts[which].fileName);
    FinishDatabaseLoad();
    ResetGameData();
    return 0;
}
