// Running battles headless for tests: the battle frame called tick by tick
// with a hook after each call, and a recorder of the draw list's sound cues.
#pragma once
#include <array>
#include <vector>

#include "battle/Battle.h"
#include "battle/DrawList.h"
#include "engine/FrameState.h"

struct BattlePhaseTicks {
    std::array<int, 5> ticks{};  // calls made in each phase
    int result = -1;             // what the battle frame handed back, -1 when it never ended
};

// Runs battle n until it hands a result back (at most limit calls); after each
// call during(phase the call ran in, how many calls that phase had before).
template <class F>
BattlePhaseTicks RunBattle(u32 n, F during, int limit = 400) {
    gBattleRequest = n;
    BattlePhaseTicks p;
    for (int i = 0; i < limit; ++i) {
        u32 phase = gBattle.phase();
        int r = BattleFrame();
        during(phase, p.ticks[phase]++);
        if (r != 1) {
            p.result = r;
            break;
        }
    }
    return p;
}
inline BattlePhaseTicks RunBattle(u32 n) {
    return RunBattle(n, [](u32, int) {});
}

// Every sound cue the draw list plays while it is alive.
struct SoundCueRecorder {
    static std::vector<int>& Cues() {
        static std::vector<int> cues;
        return cues;
    }
    SoundCueRecorder() {
        Cues().clear();
        gSoundCueListener = [](int n) { Cues().push_back(n); };
    }
    ~SoundCueRecorder() { gSoundCueListener = nullptr; }
};
