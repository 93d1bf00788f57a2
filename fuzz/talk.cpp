// Fuzz target: the story interpreter over an arbitrary talk file, a few frames,
// with the per-frame command cap keeping every run short.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "game/Settings.h"
#include "game/pending/SceneStandIn.h"
#include "platform/Backend.h"
#include "story/Dialog.h"
#include "story/Talk.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string root = [] {
        std::string r = std::filesystem::temp_directory_path().string() + "/mh-fuzz-talk-" +
                        std::to_string(::getpid()) + "/";
        std::filesystem::create_directories(r + "MH_Data");
        return r;
    }();
    PlatformReset();
    std::snprintf(gBasePath, kPathSize, "%s", root.c_str());
    ResetTalk();
    ResetDialogs();
    ResetSceneStandIn();
    static ActPlayer act;
    gMapRoleCount = 1;
    gPlayerSlot = 0;
    gMapRoles[0].act = &act;
    {
        std::ofstream out(root + "MH_Data/Talk1.dat", std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    StartTalk(1, 1);
    for (int frame = 0; frame < 8 && TalkRunning(); ++frame) {
        Talk(&gTalkContext);
        gDialogInput = 1;
        DlgMessage();
    }
    ResetDialogs();
    ResetTalk();
    return 0;
}
