// Mode word and screen phase.
#include "ui/ScreenState.h"

u32 gFrameId = 0;
u32 gFramePhase = 0;

void ResetScreenState() {
    gFrameId = 0;
    gFramePhase = 0;
}
