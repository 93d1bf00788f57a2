// Mode word, screen phase, keyboard focus and hub word.
#include "ui/ScreenState.h"

#include "ui/Control.h"

u32 gFrameId = 0;
u32 gFramePhase = 0;
i32 gKeyFocus = 0;
u32 gScreenHubWord = 0;

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
