// Fuzz target: a sound bank image loaded, its first sounds played, panned and
// placed, and the mixer pulled for a tenth of a second.
#include <cstdint>
#include <vector>

#include "FuzzWorld.h"
#include "platform/AudioMixer.h"
#include "sound/Sound.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static FuzzWorld world;
    world.Fresh();
    world.Write("PicLib/all.snd", data, size);
    if (gSound.Init(world.root().c_str())) {
        for (int n = 1; n <= 8; ++n) PlaySfx(n, 11);
        SetSfxPan(2, 0);
        SetSfxVolume(3, 4);
        PlaySfxFrom(4, 100, 100, 300, 200, 11);
        std::vector<i16> out(2 * 441);
        for (int i = 0; i < 10; ++i) {
            gSound.Service();
            AudioMixer().Mix(out.data(), 441);
        }
        StopAllSfx();
    }
    gSound.Release();
    ResetAllGlobals();
    return 0;
}
