// Fuzz target: act data in the act archive, its parts found and played for a
// few ticks through the act cache and the direct reader.
#include "FuzzArchive.h"
#include "engine/MyAct.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    // Byte 0: the highest key tried and the cache mode.
    i32 keys = data[0] % 24 + 1;
    WriteFuzzArchive(".act", data + 1, size - 1, 0);
    SetPicLibPath(FuzzRoot().c_str());
    FreeActs();
    SetActCacheMode(data[0] & 0x80 ? 0 : 1);
    SetActZoomAll(data[0] & 0x40 ? 1 : 0);
    for (i32 key = 0; key < keys; ++key) {
        ActPlayer p;
        p.act = 1;
        p.action = key;
        p.delayOverride = (data[0] & 0x20) ? 0x8000 : 0;
        for (int tick = 0; tick < 12; ++tick)
            if (!TakeActData(&p)) break;
    }
    u32 off = 0, bytes = 0;
    FindActPart(data + 1, static_cast<u32>(size - 1), data[0] % 24, &off, &bytes);
    FreeActs();
    SetActCacheMode(1);
    SetActZoomAll(0);
    return 0;
}
