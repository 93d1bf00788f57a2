// Battle set-up and damage: setting up six party members against six enemies,
// and 10,000 blows resolved with their rolls, damage and losses.
#include <benchmark/benchmark.h>

#include <cstdlib>

#include "battle/BattleLogSink.h"
#include "battle/BattleRandom.h"
#include "battle/BattleSide.h"
#include "battle/BattleSpriteSink.h"
#include "battle/HitRules.h"
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

}  // namespace
