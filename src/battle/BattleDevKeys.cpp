// The developer keys: the enemies' HP to 0, a level for the party.
#include "battle/BattleDevKeys.h"

#include "engine/FrameState.h"
#include "map/KeyCole.h"
#include "battle/BattleEnd.h"
#include "battle/BattleKeys.h"
#include "battle/BattleSide.h"

namespace {
constexpr int kScanF1 = 0x3B, kScanF3 = 0x3D;
constexpr u32 kDevBattleLimit = 2000;

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
}  // namespace

void BattleDeveloperKeys() {
    if (!gFastMode) return;
    int key = gBattleKeys.FirstNewKey();
    if (key == kScanF1 && gBattleRequest < kDevBattleLimit && !BattleSidesEmpty())
        KillBattleEnemies();
    if (key == kScanF3) RaiseBattlePartyLevel();
}
