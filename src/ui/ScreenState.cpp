// Mode word, screen phase, keyboard focus and hub word; the cursor picture and
// the menu pages' member.
#include "ui/ScreenState.h"

#include "engine/DInput.h"
#include "ui/Control.h"
#include "ui/UiInput.h"

cActPic* gCursorPic = nullptr;
u32 gMenuRole = 0;

void ClearScreenHubWord() {
    gScreenHubWord = 0;
}

void ResetScreenState() {
    gFrameId = kMapMode;
    gFramePhase = 0;
    gKeyFocus = 0;
    gScreenHubWord = 0;
}

void LeaveScreen(i32* result, i32 code, int sound) {
    PlayUISound(sound);
    *result = code;
    gFramePhase = 2;
}

bool LeaveByFunctionKey(i32* result, const i32 codes[4]) {
    FunctionKeyExit exits[4];
    for (int k = 0; k < 4; ++k) exits[k].code = codes[k];
    return LeaveByFunctionKey(result, exits);
}

bool LeaveByFunctionKey(i32* result, const FunctionKeyExit exits[4]) {
    const u8 keys[4] = {kScanF1, kScanF2, kScanF3, kScanF4};
    for (int k = 0; k < 4; ++k) {
        if (exits[k].code == 0 || !gDInput.IsKeyDown(keys[k])) continue;
        if (exits[k].resetFocus) gKeyFocus = 0;
        if (exits[k].sound > 0) PlayUISound(exits[k].sound);
        *result = exits[k].code;
        gFramePhase = 2;
        return true;
    }
    return false;
}
