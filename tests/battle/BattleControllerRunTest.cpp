// Whole auto battles through the real tick on the sample's sides: the same
// seed plays the same battle tick for tick, whatever was fought before.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "battle/Battle.h"
#include "battle/BattleController.h"
#include "battle/BattleLog.h"
#include "battle/BattleSide.h"
#include "data/Config.h"
#include "data/GameData.h"
#include "data/GameDatabase.h"
#include "engine/PicPaint.h"
#include "engine/Random.h"
#include "map/StoryLink.h"
#include "mhdata/SampleBattle.h"
#include "support/BattleRun.h"
#include "support/Harness.h"

namespace {
using namespace sample_battle;

// FNV-1a over a tick: the canvas, the log's head line and every fighter's state.
struct TickHash {
    u64 h = 1469598103934665603ull;
    void Add(const void* p, size_t n) {
        const u8* b = static_cast<const u8*>(p);
        for (size_t i = 0; i < n; ++i) h = (h ^ b[i]) * 1099511628211ull;
    }
    template <class T>
    void Add(const T& v) {
        Add(&v, sizeof(v));
    }
};

u64 HashTick() {
    TickHash t;
    if (gPaintBuf) t.Add(gPaintBuf, 640 * 480 * sizeof(u16));
    if (const char* line = gBattleLog.HeadText()) t.Add(line, std::string(line).size());
    t.Add(gBattleLog.Count());
    for (const cBattleSide* side : {&gPartySide, &gEnemySide})
        for (int i = 0; i < side->count; ++i) {
            const cFighter& f = side->fighters[i];
            const i32 words[] = {f.hp, f.mp, f.gauge, f.action, f.step, f.command, f.x, f.z};
            t.Add(words);
            t.Add(f.status);
        }
    return t.h;
}

class AutoBattleTest : public ::testing::Test {
protected:
    void SetUp() override {
        h.WriteSample();
        h.StartGame();
    }
    // A fresh party of roles 0..members-1 fights battle n with auto battle on.
    BattlePhaseTicks Fight(u32 n, int members, u32 seed, std::vector<u64>* hashes = nullptr) {
        LoadGameDatabase(gBasePath);
        for (int k = 0; k < kPartySize; ++k) gFormation[k] = k < members ? k : -1;
        gScriptVars[0] = 1000;
        // The battle opens over the screen as it finds it, and the head starts
        // are shuffled on from the last battle's: the same screen and table each time.
        if (gPaintBuf) std::memset(gPaintBuf, 0, 640 * 480 * sizeof(u16));
        ResetBattleSides();
        InitRandom(seed);
        return RunBattle(
            n,
            [&](u32 phase, int tick) {
                if (phase == kPhaseOpening && tick == 15) gBattleController.autoBattle = 1;
                if (hashes) hashes->push_back(HashTick());
            },
            20000);
    }
    Harness h;
};

TEST_F(AutoBattleTest, TheSameSeedPlaysTheSameBattleTickForTick) {
    // What a battle leaves: its result, the money and each role's level, experience and HP.
    auto results = [](const BattlePhaseTicks& p) {
        std::vector<i64> v = {p.result, gScriptVars[0]};
        for (const RoleStats& s : gRoleStats) v.insert(v.end(), {s.level, s.exp, s.hp});
        return v;
    };
    std::vector<u64> first, again, other;
    const auto firstResults = results(Fight(kThreeFoes, 3, 42, &first));
    Fight(kLoneWolf, 6, 7);  // a battle between leaves nothing behind
    const auto againResults = results(Fight(kThreeFoes, 3, 42, &again));
    Fight(kThreeFoes, 3, 43, &other);
    ASSERT_GT(first.size(), 100u);
    EXPECT_EQ(first, again);
    EXPECT_EQ(firstResults, againResults);
    EXPECT_NE(first, other);
}

}  // namespace
