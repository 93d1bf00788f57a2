// Mode word, screen phase, keyboard focus and hub word.
#include "ui/ScreenState.h"

#include "engine/DInput.h"
#include "ui/Control.h"
#include "ui/UiInput.h"


void ClearScreenHubWord() {
    gScreenHubWord = 0;
}

void ResetScreenState() {
    gFrameId = 0;
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
    const u8 keys[4] = {kScanF1, kScanF2, kScanF3, kScanF4};
    for (int k = 0; k < 4; ++k)
        if (gDInput.IsKeyDown(keys[k])) {
            *result = codes[k];
            gFramePhase = 2;
            return true;
        }
    return false;
}
