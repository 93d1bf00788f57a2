// What the story fuzz targets share: a private game folder, one map role that
// is the player, and a talk file run for a few frames with answers confirmed.
#pragma once
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>

#include "FuzzTemp.h"
#include "shell/Settings.h"
#include "map/City.h"
#include "map/MapScene.h"
#include "platform/Backend.h"
#include "platform/HostFs.h"
#include "story/Dialog.h"
#include "story/Talk.h"

// A folder with "MH_Data" of its own for each fuzzing process.
inline const std::string& FuzzTalkRoot(const char* tag) {
    static const FuzzTempFolder folder(tag);
    static const std::string root = [] {
        std::error_code ec;
        std::filesystem::create_directories(folder.path() + "MH_Data", ec);
        return folder.path();
    }();
    return root;
}

// Clean talk, dialogue and scene state over the given folder, with map role 0
// standing in as the player. The game's disc is in drive F, so a disc prompt
// finds it at once instead of waiting for a player.
inline void ResetFuzzTalk(const std::string& root) {
    PlatformReset();
    std::snprintf(gBasePath, kPathSize, "%s", root.c_str());
    HostClearDrives();
    HostSetDrive('F', root);
    HostSetVolumeLabel('F', "AudioCD");
    FindCdDrives(gCdPath);
    ResetTalk();
    ResetDialogs();
    gPicShowCounter = 0;
    static ActPlayer act;
    gMapRoleCount = 1;
    gPlayerSlot = 0;
    gMapRoles[0].act = &act;
}

// Writes "Talk1.dat", starts talk 1 and runs it for up to eight frames.
inline void RunFuzzTalk(const std::string& root, const uint8_t* bytes, size_t size) {
    {
        std::ofstream out(root + "MH_Data/Talk1.dat", std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes), static_cast<std::streamsize>(size));
    }
    StartTalk(1, 1);
    for (int frame = 0; frame < 8 && TalkRunning(); ++frame) {
        Talk(&gTalkContext);
        gDialogInput = 1;
        DlgMessage();
    }
}
