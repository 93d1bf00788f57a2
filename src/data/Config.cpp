// The settings and options values.
#include "data/Config.h"

#include <cstring>

char gBasePath[kPathSize];
char gCdPath[kPathSize];
u8 gInstallMode = kDefaultInstallMode;
u8 gCdDrives[32];
u32 gMapKeyCodes[32];
u32 gSfxVolume = kDefaultVolume;
u32 gMusicVolume = kDefaultVolume;
u32 gSwapSpace = kDefaultCacheMb;
u16 gEnvStamp[3];

i32 gOptionStored = 1000;
i32 gWalkMode = 0;
u32 gRealTimeBattle = 0;
u32 gCdVolume = 2;
u32 gTextSpeed = 6;
i32 gSaveSlotPos = 0;
u32 gSmartMouse = 1;

void ResetSettingsValues() {
    std::memset(gBasePath, 0, sizeof(gBasePath));
    std::memset(gCdPath, 0, sizeof(gCdPath));
    std::memset(gCdDrives, 0xFF, sizeof(gCdDrives));
    std::memset(gMapKeyCodes, 0, sizeof(gMapKeyCodes));
    std::memset(gEnvStamp, 0, sizeof(gEnvStamp));
    gInstallMode = kDefaultInstallMode;
    gSfxVolume = gMusicVolume = kDefaultVolume;
    gSwapSpace = kDefaultCacheMb;
}
