// The frame loop's shared words.
#include "engine/FrameState.h"

u32 gGameActive = 0;
u32 gSuspended = 0;
u32 gWindowShown = 0;
u8 gRunState = 0;
u32 gFrameInterval = 0;
u32 gFrameTime = 0;
u32 gLastFrameTime = 0;
u32 gGameTime = 0;
u32 gGameTimeCycle = 0;
u32 gBattleRequest = 0;
u32 gBattleActive = 0;
u32 gDevToolActive = 0;

u32 gFrameId = kMapMode;
u32 gFramePhase = 0;
i32 gKeyFocus = 0;
u32 gScreenHubWord = 0;

int SetFrameInterval(u32 ms) {
    gFrameInterval = ms;
    return 1;
}

int ClearFrameInterval() {
    gFrameInterval = 0;
    return 1;
}

void ResetFrameState() {
    gGameActive = gSuspended = gWindowShown = 0;
    gRunState = 0;
    gFrameInterval = gFrameTime = gLastFrameTime = 0;
    gGameTime = gGameTimeCycle = 0;
    gBattleRequest = gBattleActive = gDevToolActive = 0;
}
