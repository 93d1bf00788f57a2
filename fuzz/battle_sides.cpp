// Fuzz target: both battle sides set up from arbitrary record and battlefield
// bytes, then every rule run over every pair of fighters.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "battle/BattleLogSink.h"
#include "battle/BattleRandom.h"
#include "battle/BattleSide.h"
#include "battle/BattleSpriteSink.h"
#include "battle/HitRules.h"
#include "data/GameData.h"
#include "data/GameFlags.h"
#include "base/ByteIo.h"
#include "engine/Random.h"

namespace {

constexpr i32 kMaxMonsters = 8;

void ReadTables(ByteReader& r) {
    for (int k = 0; k < kSetupPositions; ++k) gFormation[k] = r.I32();
    for (int i = 0; i < 2; ++i) {
        Fields(r, static_cast<RoleStats&>(gRoleStats[i]));
        for (i32& e : gRoles[i].equip) e = r.I32();
        gRoles[i].act = r.I32();
    }
    for (int i = 0; i < 4; ++i) Fields(r, gOwnedEquipage[i]);
    gSkillCount = 2;
    gSkills = static_cast<SkillData*>(std::calloc(2, sizeof(SkillData)));
    Fields(r, gSkills[1]);
    gItemCount = 1;
    gItems = static_cast<ItemData*>(std::calloc(1, sizeof(ItemData)));
    Fields(r, gItems[0]);
    const i32 n =
        static_cast<i32>(r.bytesLeft() / 492 < kMaxMonsters ? r.bytesLeft() / 492 : kMaxMonsters);
    gMonsterCount = n;
    gMonsters = n ? static_cast<MonsterData*>(std::calloc(n, sizeof(MonsterData))) : nullptr;
    for (i32 i = 0; i < n; ++i) Fields(r, gMonsters[i]);
    if (n) gGodForms[0] = gMonsters[0];
}

// Every rule with a as the actor and t as the one it acts on.
void RunRules(cFighter& a, cFighter& t, cBattleSide& other) {
    const SkillData& sk = gSkills[1];
    const ItemData& it = gItems[0];
    RollCritical(a);
    RollEvade(t, a);
    RollPhysicalHit(a);
    RollMagicHit(t, a, sk);
    RollItemHit(t, a, it);
    RollCounter(t, &a);
    RollTheft(t, a);
    RollCapture(t, a);
    RollFlee(a, other);
    ApplyLosses(t, {PhysicalDamage(t, a, RollCritical(a), true), 0});
    ApplyLosses(t, {CounterDamage(t, a), AirRaidDamage(t, a)});
    ApplyLosses(t, {ThrowDamage(t, a, &gOwnedEquipage[0]), PoisonTurnDamage(t)});
    i32 reflected = 0;
    Loss l = ApplySkill(t, a, sk);
    ApplySkillSpecial(a, t, sk, l, reflected);
    ApplyLosses(t, l, SkillShowsHp(sk), SkillShowsMp(sk));
    ApplyLosses(t, ApplyItem(t, it));
    a.StepGauge(true);
    t.StepGauge(false);
    t.ApplyHitEffectCode(a.hitCodes[0]);
}

void RunSide(cBattleSide& s, cBattleSide& other) {
    for (int i = 0; i < s.count; ++i)
        for (int j = 0; j < other.count; ++j) RunRules(s.fighters[i], other.fighters[j], s);
    s.NextReady(nullptr);
    s.PrevReady(s.At(0));
    s.FighterAt(300, 300);
    s.PickRandomTarget(1);
    s.PickWeakestTarget(2);
    s.AllGaugesFull();
    s.DimBystanders(15);
    s.LowestLevel();
    s.FleeAll();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ResetGameFlags();
    ResetGameData();
    ResetBattleSides();
    ResetBattleRandom();
    ClearLoggedBattleLines();
    ClearShownFighterFloats();
    ByteReader r(data, size);
    InitRandom(r.U32());
    if (r.U8() & 1) SetGameFlag(324);
    EnemySpot spots[kSetupPositions];
    for (EnemySpot& s : spots) {
        s.monster = r.U32();
        s.row = r.U32();
        s.x = r.I32();
        s.y = r.I32();
        s.z = r.I32();
    }
    ReadTables(r);
    const FighterSpot party[kSetupPositions] = {};
    gShuffleTable.Init();
    gPartySide.SetupParty(party);
    gEnemySide.SetupEnemies(spots);
    if (gMonsterCount) gPartySide.AddFighter(gMonsters[0]);
    RunSide(gPartySide, gEnemySide);
    RunSide(gEnemySide, gPartySide);
    for (int i = 0; i < gEnemySide.count; ++i) {
        GiveEnemyRewards(gEnemySide.fighters[i], 1 + i % 2);
        LeaveFight(gEnemySide.fighters[i], gEnemySide);
    }
    ResetBattleSides();
    ResetGameData();
    return 0;
}
