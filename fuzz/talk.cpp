// Fuzz target: the story interpreter over an arbitrary talk file in the running
// sample game (its maps and databases, a new game begun in the town), a few
// frames with answers confirmed; the per-frame command cap keeps runs short.
#include <cstdint>

#include "FuzzWorld.h"
#include "map/NewGame.h"
#include "map/RoleTable.h"
#include "story/Dialog.h"
#include "story/Talk.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static FuzzWorld world;
    world.Write("MH_Data/Talk1.dat", data, size);
    world.Start();
    if (StartNewGame(1)) {
        ResetTalkContext(&gTalkContext);
        StartTalk(1, gPlayerId);
        for (int frame = 0; frame < 8 && TalkRunning(); ++frame) {
            Talk(&gTalkContext);
            gDialogInput = 1;
            DlgMessage();
        }
    }
    ResetAllGlobals();
    return 0;
}
