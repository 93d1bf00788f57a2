// The turn gauge by status and real-time setting, and the waiting state that drives it.
#include <gtest/gtest.h>

#include "battle/BattleSide.h"
#include "battle/Fighter.h"
#include "data/Config.h"
#include "support/Harness.h"

namespace {

struct GaugeCase {
    u32 status;
    i32 gain;  // worked out from the table of gains
};

// Calls of StepGauge until the gauge first reports full; -1 within 1000 calls never.
int CallsToFill(cFighter& f, bool realTime, std::vector<i32>* seen) {
    for (int call = 1; call <= 1000; ++call) {
        const bool full = f.StepGauge(realTime);
        seen->push_back(f.gauge);
        if (full) return call;
    }
    return -1;
}

}  // namespace

TEST(FighterGauge, GainsPerStatusWithRealTimeOffAndOn) {
    Harness h;
    const GaugeCase cases[] = {
        {0, 5}, {kStHaste, 7}, {kStSlow, 3}, {kStParalysis, 2}, {kStSleep, 1},
        {kStDying, 0}, {kStHaste | kStSlow, 7}, {kStSlow | kStSleep, 3},
    };
    for (const GaugeCase& c : cases) {
        for (bool realTime : {false, true}) {
            cFighter f;
            f.Reset();
            f.status = c.status;
            f.gauge = 0;
            std::vector<i32> seen;
            const int calls = CallsToFill(f, realTime, &seen);
            // Independent model: moves happen on calls 1, 2, 3... or 1, 4, 7...
            for (size_t k = 1; k <= seen.size(); ++k) {
                const i64 moves = realTime ? (static_cast<i64>(k) + 2) / 3 : static_cast<i64>(k);
                const i64 want = std::min<i64>(255, moves * c.gain);
                ASSERT_EQ(seen[k - 1], want) << "status " << c.status << " call " << k
                                             << (realTime ? " real time" : "");
            }
            if (c.gain == 0) {
                EXPECT_EQ(calls, -1);
                continue;
            }
            const int movesNeeded = (255 + c.gain - 1) / c.gain;
            EXPECT_EQ(calls, realTime ? 3 * movesNeeded - 2 : movesNeeded);
        }
    }
}

TEST(FighterGauge, FrozenGaugeStandsAndTheFillTicksTheTurn) {
    Harness h;
    cFighter f;
    f.Reset();
    f.status = kStHaste;
    f.hasteCount = 2;
    f.gauge = 250;
    f.gaugesFrozen = 1;
    EXPECT_FALSE(f.StepGauge(false));
    EXPECT_EQ(f.gauge, 250);
    f.gaugesFrozen = 0;
    EXPECT_TRUE(f.StepGauge(false));
    EXPECT_EQ(f.gauge, 255);
    EXPECT_EQ(f.hasteCount, 1);  // the turn's status tick ran once
    EXPECT_TRUE(f.StepGauge(false));
    EXPECT_EQ(f.hasteCount, 1);  // a full gauge only reports
}

TEST(FighterGauge, WaitingStateFillsFromFiftyOneTicksAfterItsFirst) {
    Harness h;
    gRealTimeBattle = 0;
    ResetBattleSides();
    cFighter& f = gPartySide.fighters[0];
    f.Reset();
    f.flags = cFighter::kInUse | cFighter::kTaken;
    f.kind = kKindParty;
    f.status = 0;
    f.hp = f.maxHp = 10;
    f.homeX = 400;
    f.homeZ = 300;
    f.gauge = 0;
    f.SetAction(kStateWaiting, 0, 0);
    gPartySide.count = 1;
    int full = -1;
    for (int tick = 1; tick <= 80 && full < 0; ++tick) {
        UpdateFighters();
        if (f.IsReady()) full = tick;
    }
    // The first tick starts the pose; the gauge then moves by 5 on each of 51 ticks.
    EXPECT_EQ(full, 52);
    EXPECT_EQ(f.x, 400);
    EXPECT_EQ(f.z, 300);
    EXPECT_TRUE(f.CanAct());
}
