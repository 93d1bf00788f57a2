// Fuzz target: the options file "Save/Option.sav" loaded into the running
// settings, saved and loaded again: the second load must give what the first did.
#include <cstdint>
#include <cstring>

#include "FuzzWorld.h"
#include "data/Options.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static FuzzWorld world;
    world.Fresh();
    world.Write("Save/Option.sav", data, size);
    LoadOptions();
    i32 first[kOptionCount];
    OptionsToValues(first);
    SaveOptions();
    LoadOptions();
    i32 second[kOptionCount];
    OptionsToValues(second);
    if (std::memcmp(first, second, sizeof(first)) != 0) __builtin_trap();
    ResetAllGlobals();
    return 0;
}
