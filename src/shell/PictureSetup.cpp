// Start-up and release of the picture and act archives: budgets, the root
// folder, the six archive pairs.
#include "shell/PictureSetup.h"

#include <unistd.h>

#include "base/Types.h"
#include "engine/MyAct.h"
#include "engine/Tsw.h"
#include "shell/Settings.h"

void OpenPictureArchives() {
    // The picture cache gets a sixth of physical memory, within 4..16 MB.
    u64 physical =
        static_cast<u64>(sysconf(_SC_PHYS_PAGES)) * static_cast<u64>(sysconf(_SC_PAGESIZE));
    u64 budget = physical / 6;
    if (budget < (4u << 20)) budget = 4u << 20;
    if (budget > (16u << 20)) budget = 16u << 20;
    SetPicMemory(static_cast<u32>(budget));
    SetPicLibPath(gBasePath);
    OpenPicLib();
    SetActMemory(512u << 10);
    SetActCacheMode(1);
}

void FreePictureCaches() {
    ClosePicLib();
    FreeActs();
}
