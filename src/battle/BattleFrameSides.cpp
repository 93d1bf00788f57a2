// The two sides as the battle frame drives them.
#include "battle/BattleFrameSides.h"

#include "battle/Battle.h"
#include "battle/BattleEnd.h"
#include "battle/BattleFiles.h"
#include "battle/BattleSide.h"

namespace {
constexpr i32 kEndTransformState = 20;

// The party set-up's copies of a member's stats record, after a level.
void CopyMemberStats(cFighter& f) {
    const cFighterStats& s = f.stats;
    f.maxHp = f.hp = s.MaxHp();
    f.maxMp = f.mp = s.MaxMp();
    f.attack = s.Attack();
    f.defence = s.Defence();
    f.hitRate = s.HitRate();
    f.evasionRate = f.magicEvasionRate = s.Evasion();
    f.fleeRate = s.Agility();
}
}  // namespace

void SetUpBattleSides() {
    FighterSpot party[kSetupPositions];
    EnemySpot enemies[kSetupPositions];
    for (int k = 0; k < kSetupPositions; ++k) {
        const BattlePosition& p = gBattlefield.party[k];
        party[k] = {p.x, p.y, p.z};
        const EnemySlot& e = gBattlefield.enemies[k];
        enemies[k] = {e.monster, e.row, e.x, e.y, e.z};
    }
    gPartySide.SetupParty(party);
    gEnemySide.SetupEnemies(enemies);
}

void UpdateBattleSides() {
    UpdateFighters();
}

void FreezeBattleSides(bool frozen) {
    gPartySide.SetFrozen(frozen ? 1 : 0);
    gEnemySide.SetFrozen(frozen ? 1 : 0);
}

bool BattleSidesEmpty() {
    return gEnemySide.NoneInUse();
}

bool BattlePartyFled() {
    return gPartySide.IsFleeing();
}

bool BattlePartyAllDown() {
    return gPartySide.AllDown();
}

void EndBattleTransformation() {
    if (!gPartySide.creatureInControl || gPartySide.count <= 0) return;
    gPartySide.fighters[gPartySide.count - 1].SetAction(kEndTransformState, 0, 0);
}

void DimBattleBystanders() {
    DimAllSides();
}

void ReleaseBattleParty() {
    for (i32 i = 0; i < gPartySide.count && i < kSideSlots; ++i) {
        cFighter& f = gPartySide.fighters[i];
        if (!f.IsInUse()) continue;
        if (StatsHead* s = f.stats.Head())
            WriteBackFighter(&s->hp, &s->mp, &s->status, f.hp, f.mp, f.status);
        f.Reset();
    }
}

void KillBattleEnemies() {
    for (i32 i = 0; i < gEnemySide.count && i < kSideSlots; ++i) gEnemySide.fighters[i].hp = 0;
}

void RaiseBattlePartyLevel() {
    for (i32 i = 0; i < gPartySide.count && i < kSideSlots; ++i) {
        cFighter& f = gPartySide.fighters[i];
        if (!f.IsAlive() || f.stats.Level() >= kTopLevel) continue;
        if (RaiseLevel(f, nullptr)) CopyMemberStats(f);
    }
}
