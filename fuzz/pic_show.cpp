// Fuzz target: a picture-show pack of arbitrary bytes, opened and run frame by
// frame until it ends or 64 frames pass.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "shell/Settings.h"
#include "platform/Backend.h"
#include "story/PicShow.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string root = [] {
        std::string r = std::filesystem::temp_directory_path().string() + "/mh-fuzz-picshow-" +
                        std::to_string(::getpid()) + "/";
        std::filesystem::create_directories(r + "Video");
        return r;
    }();
    PlatformReset();
    std::snprintf(gBasePath, kPathSize, "%s", root.c_str());
    {
        std::ofstream out(root + "Video/show.pak", std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    if (StartPicShow("show.pak", 0))
        for (int frame = 0; frame < 64 && gPicShow.running; ++frame) RunPicShow();
    ResetPicShow();
    return 0;
}
