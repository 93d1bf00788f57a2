// Fuzz target: a sound bank image loaded and its first sounds played.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

#include "sound/Sound.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string root = [] {
        auto dir = std::filesystem::temp_directory_path() / ("mh_fuzz_bank_" + std::to_string(::getpid()));
        std::filesystem::create_directories(dir / "PicLib");
        return dir.string() + "/";
    }();
    {
        std::ofstream out(root + "PicLib/all.snd", std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    if (gSound.Init(root.c_str())) {
        for (int n = 1; n <= 8; ++n) PlaySfx(n, 11);
        gSound.Service();
        StopAllSfx();
    }
    gSound.Release();
    AudioReset();
    return 0;
}
