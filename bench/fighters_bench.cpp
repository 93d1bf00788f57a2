// Battle set-up and the fighters: setting up six party members against six
// enemies; 10,000 blows resolved by the hit rules (evasion, the critical roll,
// the damage, the hit roll, the loss); and the fighters' share of a main-phase
// tick, six against six: every fighter's update, the after-images, hit
// animations and floating numbers, the draw list and every panel drawn.
#include <benchmark/benchmark.h>

#include <cstdlib>

#include "BenchGame.h"
#include "battle/BattleLogSink.h"
#include "battle/BattleRandom.h"
#include "battle/BattleSide.h"
#include "battle/BattleSpriteSink.h"
#include "battle/DrawList.h"
#include "battle/FighterAct.h"
#include "battle/FighterDraw.h"
#include "data/GameDatabase.h"
#include "battle/HitRules.h"
#include "battle/SpritePools.h"
#include "data/GameData.h"
#include "engine/Random.h"

namespace {

constexpr FighterSpot kParty[kSetupPositions] = {{510, 0, 262}, {440, 0, 314}, {352, 0, 364},
                                                 {568, 0, 306}, {510, 0, 362}, {422, 0, 394}};

void Prepare() {
    ResetGameData();
    ResetBattleSides();
    InitRandom(7);
    for (int r = 0; r < 6; ++r) {
        RoleStats& s = gRoleStats[r];
        s.level = 5 + r;
        s.maxHp = s.hp = 300;
        s.attack = 120;
        s.defence = 60;
        s.agility = 20 + r;
        s.hitRate = 90;
        s.evasion = 15;
        for (i32& v : s.ratios) v = 100;
        gFormation[r] = r;
    }
    gMonsterCount = 6;
    gMonsters = static_cast<MonsterData*>(std::calloc(6, sizeof(MonsterData)));
    for (i32 m = 0; m < 6; ++m) {
        gMonsters[m].maxHp = 400;
        gMonsters[m].attack = 90;
        gMonsters[m].defence = 40;
        gMonsters[m].agility = 15;
        gMonsters[m].evasion = 10;
        for (i32& v : gMonsters[m].ratios) v = 100;
    }
}

EnemySpot Spot(int i) {
    return {static_cast<u32>(i), static_cast<u32>(i % 2), 100 + 30 * i, 0, 150 + 20 * i};
}

void BM_SetupSixAgainstSix(benchmark::State& st) {
    Prepare();
    const EnemySpot spots[kSetupPositions] = {Spot(0), Spot(1), Spot(2), Spot(3), Spot(4), Spot(5)};
    for (auto _ : st) {
        gPartySide.SetupParty(kParty);
        gEnemySide.SetupEnemies(spots);
        benchmark::DoNotOptimize(gEnemySide.fighters[5].hp);
    }
    ResetGameData();
}
BENCHMARK(BM_SetupSixAgainstSix);

void BM_TenThousandBlows(benchmark::State& st) {
    Prepare();
    const EnemySpot spots[kSetupPositions] = {Spot(0), Spot(1), Spot(2), Spot(3), Spot(4), Spot(5)};
    gPartySide.SetupParty(kParty);
    gEnemySide.SetupEnemies(spots);
    for (auto _ : st) {
        for (int k = 0; k < 10000; ++k) {
            cFighter& a = gPartySide.fighters[k % 6];
            cFighter& t = gEnemySide.fighters[(k / 6) % 6];
            t.hp = t.maxHp;
            if (RollEvade(t, a)) continue;
            const bool crit = RollCritical(a);
            i32 d = PhysicalDamage(t, a, crit, true);
            if (!RollPhysicalHit(a)) d /= 3;
            ApplyLosses(t, {d, 0}, false, false);
        }
        benchmark::DoNotOptimize(gEnemySide.fighters[0].hp);
    }
    st.SetItemsProcessed(st.iterations() * 10000);
    ClearLoggedBattleLines();
    ClearShownFighterFloats();
    ResetGameData();
}
BENCHMARK(BM_TenThousandBlows);

// Every fighter waits with a filling gauge or plays a close attack; each tick
// updates all twelve and the pools, draws the draw list and every panel (the
// backdrop, the log and the command ring of the battle frame are left out).
void BM_FightersTickSixAgainstSix(benchmark::State& st) {
    if (!StartSampleGame()) {
        st.SkipWithError("the sample game did not start");
        return;
    }
    LoadGameDatabase(gBasePath);
    ResetBattleSides();
    ResetBattleSprites();
    for (int r = 0; r < 6; ++r) gFormation[r] = r;
    gPartySide.SetupParty(kParty);
    EnemySpot spots[kSetupPositions];
    for (int i = 0; i < kSetupPositions; ++i)
        spots[i] = {static_cast<u32>(5 + i), static_cast<u32>(i % 2), 100 + 30 * i, 0,
                    150 + 20 * i};
    gEnemySide.SetupEnemies(spots);
    i64 ticks = 0;
    for (auto _ : st) {
        if (++ticks % 40 == 0) {
            cFighter& a = gPartySide.fighters[(ticks / 40) % gPartySide.count];
            if (a.action == kStateWaiting && a.step == 1 && !gEnemySide.FindPending()) {
                a.command = kCmdAttack;
                a.targets[0] = &gEnemySide.fighters[(ticks / 40) % gEnemySide.count];
            }
        }
        for (cBattleSide* side : {&gPartySide, &gEnemySide})
            for (int i = 0; i < side->count; ++i) {
                cFighter& f = side->fighters[i];
                if (f.IsTaken() && f.hp < f.maxHp / 2) f.hp = f.maxHp;
            }
        UpdateFighters();
        UpdateAfterImages();
        UpdateHitAnims();
        UpdateFloatTexts();
        gDrawList.Draw();
        for (int i = 0; i < gPartySide.count; ++i) DrawPartyPanel(gPartySide.fighters[i]);
        for (int i = 0; i < gEnemySide.count; ++i)
            if (gEnemySide.fighters[i].IsTaken()) DrawEnemyPanel(gEnemySide.fighters[i]);
        gDrawList.Clear();
        ClearLoggedBattleLines();
        ClearShownFighterFloats();
    }
    ResetBattleSides();
    ResetBattleSprites();
}
BENCHMARK(BM_FightersTickSixAgainstSix);

}  // namespace
