// Countdown globals and StartCountdown.
#include "story/Countdowns.h"

#include "data/GameFlags.h"

i32 gStoryCountdown = -1;
u16 gCountdownTalk = 0;
i32 gFlagCountdown = -1;
u32 gCountdownShown[2][2] = {};

int StartCountdown(int minutes, int seconds, u16 talk, int kind) {
    i32 frames = (minutes * 60 + seconds) * 30;
    if (kind == 0) {
        gCountdownShown[0][0] = gCountdownShown[0][1] = 0;
        gStoryCountdown = frames;
        gCountdownTalk = talk;
        SetGameFlag(kStoryCountdownFlag);
        SetGameFlag(kStoryCountdownMarkFlag);
        return 0;
    }
    gCountdownShown[1][0] = gCountdownShown[1][1] = 0;
    gFlagCountdown = frames;
    SetGameFlag(kFlagCountdownFlag);
    return 0;
}

void ResetCountdowns() {
    gStoryCountdown = -1;
    gCountdownTalk = 0;
    gFlagCountdown = -1;
    for (auto& w : gCountdownShown) w[0] = w[1] = 0;
}
