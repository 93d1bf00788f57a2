// The stand-in fighter tick.
#include "battle/BattleStandIns.h"

#include "battle/Fighter.h"
#include "data/Config.h"

void UpdateFighter(cFighter& f) {
    if (f.HasCommand()) {
        f.command = kCmdNone;
        f.gauge = 0;
        f.ReleaseTargets();
        return;
    }
    if (f.hp > 0) f.StepGauge(gRealTimeBattle == 1);
}
