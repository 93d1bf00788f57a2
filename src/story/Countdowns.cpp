// Countdown globals.
#include "story/Countdowns.h"

i32 gStoryCountdown = -1;
u16 gCountdownTalk = 0;
i32 gFlagCountdown = -1;

void ResetCountdowns() {
    gStoryCountdown = -1;
    gCountdownTalk = 0;
    gFlagCountdown = -1;
}
