// Whole auto battles through the real tick.
#include <gtest/gtest.h>

#include <cstdio>

#include "battle/Battle.h"
#include "battle/BattleController.h"
#include "battle/BattleEnd.h"
#include "battle/BattleSide.h"
#include "data/Config.h"
#include "data/GameData.h"
#include "data/GameDatabase.h"
#include "engine/Random.h"
#include "map/StoryLink.h"
#include "mhdata/SampleBattle.h"
#include "support/BattleRun.h"
#include "support/Harness.h"
#include "battle/BattleLogSink.h"
#include "platform/TextCodec.h"

namespace {
using namespace sample_battle;

TEST(BattleAutoRun, Explore) {
    Harness h;
    h.WriteSample();
    h.StartGame();
    LoadGameDatabase(gBasePath);
    for (u32 battle : {kThreeFoes, kSixSlimes, kLoneWolf}) {
        for (u32 seed : {1u, 2u, 3u}) {
            LoadGameDatabase(gBasePath);
            const int members = battle == kSixSlimes ? 1 : (battle == kLoneWolf ? 6 : 3);
            for (int k = 0; k < 8; ++k) gFormation[k] = k < members ? k : -1;
            InitRandom(seed);
            ClearLoggedBattleLines();
            int mainTicks = 0;
            BattlePhaseTicks p = RunBattle(battle, [&](u32 phase, int tick) {
                if (phase == kPhaseOpening && tick == 15) gBattleController.autoBattle = 1;
                if (phase == kPhaseMain) ++mainTicks;
                static int stuck = 0;
                static cFighter* holder = nullptr;
                if (phase == kPhaseMain) {
                    cFighter* h = gPartySide.FindPending();
                    if (!h) h = gEnemySide.FindPending();
                    if (h) holder = h;
                    if (stuck == 2 && holder) std::fprintf(stderr, "holder kind %x action %d/%d/%d hp %d st %x cmd %d\n", holder->kind, holder->action, holder->step, holder->subStep, holder->hp, holder->status, holder->command);
                    bool frozen = gPartySide.fighters[0].gaugesFrozen;
                    bool pending = gPartySide.FindPending() || gEnemySide.FindPending();
                    stuck = frozen && !pending ? stuck + 1 : 0;
                    if (stuck == 3) {
                        std::fprintf(stderr, "stuck at main tick %d\n", tick);
                        for (auto& l : LoggedBattleLines()) std::fprintf(stderr, "   log %s\n", Big5ToUtf8(l).c_str());
                    }
                }
                if (phase == kPhaseMain && tick == 3000) {
                    std::fprintf(stderr, "active %d auto %d pp %p ep %p menu %p\n", gBattleController.active, gBattleController.autoBattle,
                                 (void*)gBattleController.partyPicker.Current(), (void*)gBattleController.enemyPicker.Current(), (void*)gBattleController.menu.Current());
                    for (cBattleSide* s : {&gPartySide, &gEnemySide})
                        for (int i = 0; i < s->count; ++i) {
                            cFighter& f = s->fighters[i];
                            std::fprintf(stderr, "  %p flags %x kind %x action %d/%d cmd %d gauge %d hp %d st %x frozen %d row %d front %d tgt %p by %p\n", (void*)&f, f.flags, f.kind, f.action, f.step, f.command, f.gauge, f.hp, f.status, f.gaugesFrozen, f.row, s->frontCount, (void*)f.targets[0], (void*)f.attackedBy);
                        }
                }
            }, 20000);
            std::fprintf(stderr, "battle %u seed %u result %d main %d ending %d gold %d exp %d outcome %u\n", battle, seed,
                         p.result, mainTicks, p.ticks[3], gEnemySide.goldTotal, gEnemySide.expTotal, gBattle.outcome());
        }
    }
}

}  // namespace
