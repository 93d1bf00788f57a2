// Placeholders for what player control and the behaviour scripts need of the
// story side, the screens and the map scene until those modules arrive.
#include <algorithm>
#include <cstring>

#include "game/Main.h"
#include "game/MapArchive.h"
#include "game/NewGame.h"
#include "game/Pending.h"
#include "game/RoleTable.h"
#include "game/Settings.h"
#include "sound/Sound.h"

u32 gTalkFlags = 0;
i32 gDialogInput = 0;
i32 gInputLock = 0;
i32 gMouseLockFrames = 0;
u32 gScriptVars[256];
ControlStandIns gControlStandIns;

void ResetControlStandIns() {
    gTalkFlags = 0;
    gDialogInput = gInputLock = gMouseLockFrames = 0;
    std::memset(gScriptVars, 0, sizeof(gScriptVars));
    gControlStandIns = ControlStandIns{};
}

bool ChoiceOpen() { return gControlStandIns.choiceOpen; }

void MoveChosenAnswer(int delta) {
    int n = gControlStandIns.choiceCount;
    if (n <= 0) return;
    gControlStandIns.chosen = ((gControlStandIns.chosen + delta) % n + n) % n;
}

void StartTalkFrom(u16 talk, u16 owner, u16 x, u16 y, u32 ownerState) {
    StartTalk(talk, owner);
    gLastTalkStart.x = x;
    gLastTalkStart.y = y;
    gLastTalkStart.ownerState = ownerState;
}

void SaveRoleTurn(int slot, i32, i32) { gControlStandIns.turnSlot = slot; }

int AccessRoleValue(u16 id, int which, i32* value, int op) {
    i32 row = FindRecord(id);
    if (row < 0 || (which != 1 && which != 2)) return 0;
    int byte = which == 1 ? 24 : 25;
    if (op == 2)
        SetRecordByte(row, byte, static_cast<u8>(*value));
    else
        *value = RecordByte(row, byte);
    return 1;
}

void ResetMenuPage() {}

void PlayUISound(int n) {
    gControlStandIns.lastUISound = n;
    PlaySfx(n, static_cast<int>(gSfxVolume));
}

void WorldMapKeys() {}

ActPlayer* GlobalActSlot(int) { return nullptr; }
