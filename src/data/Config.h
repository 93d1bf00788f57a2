// The values of the settings file and the options file that every mode reads:
// folders, install mode, disc drives, map keys, volumes and play options. The
// shell reads and writes the two files; the values live here, below every mode.
#pragma once
#include "base/Types.h"

constexpr int kPathSize = 260;

// The defaults the settings file and the options file share.
constexpr u8 kDefaultInstallMode = 2;
constexpr u8 kDefaultVolume = 6;    // sound effects and music, 0..11
constexpr u8 kDefaultCacheMb = 60;  // map-cache size
// Mode 52 ('4'), which the story's video start leaves: data from the base folder.
constexpr u8 kInstallModeAfterVideo = '4';

extern char gBasePath[kPathSize];  // root folder, ending with a backslash
extern char gCdPath[kPathSize];    // root of the drive holding the data disc
extern u8 gInstallMode;            // 1 data stay on the disc, 2 installed
extern u8 gCdDrives[32];           // drive letters of the disc drives, 0xFF where empty
extern u32 gMapKeyCodes[32];
extern u32 gSfxVolume;
extern u32 gMusicVolume;
extern u32 gSwapSpace;    // map-cache size in MB
extern u16 gEnvStamp[3];  // red, green and blue masks the map cache was built for

extern i32 gOptionStored;  // a value kept for the file, default 1000
extern i32 gWalkMode;      // 0 walk, 1 run
extern u32 gRealTimeBattle;
extern u32 gCdVolume;     // 0..11
extern u32 gTextSpeed;    // 0..11
extern i32 gSaveSlotPos;  // the slot screen's remembered slot (0..98) + 1000 x its row (0..2)
extern u32 gSmartMouse;

// A 0..11 volume on the sound library's 0..127 scale.
inline i32 VolumeTo127(u32 v) {
    return static_cast<i32>(v * 127 / 11);
}

// Settings values back to their defaults (folders empty, no disc drives).
void ResetSettingsValues();
