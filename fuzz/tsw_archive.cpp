// Fuzz target: a picture in the picture archive, read through the cache and
// the direct reader, each frame checked and decoded.
#include "FuzzArchive.h"
#include "engine/MemDbg.h"
#include "engine/RlePic.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 3) return 0;
    // Byte 0: frames to try; byte 1: bit 0 puts the entry past the file.
    u16 frames = static_cast<u16>(data[0] % 8 + 1);
    u32 offset = (data[1] & 1) ? 0x7FFFFF00u : 0;
    WriteFuzzArchive(".tsw", data + 2, size - 2, offset);
    SetPicLibPath(FuzzRoot().c_str());
    OpenPicLib();
    SetPicMemory(data[1] & 2 ? 0 : 1u << 20);
    for (u16 f = 0; f < frames; ++f) {
        if (PicFrame* p = GetPic(1, f)) {
            i32 w = 0, h = 0, depth = 0;
            void* plain = RleDecode(p->pixels, p->size, &w, &h, &depth);
            if (plain) MH_FREE(plain);
            PicHitTest(p, w / 2, h / 2, 0, 0);
        }
        PicCacheNewTick();
        PicFrame direct;
        if (ReadPicDirect(1, f, &direct)) MH_FREE(direct.pixels);
    }
    ClosePicLib();
    return 0;
}
