// What the fighter's action states share: starting body acts, going to a target
// and home, the sides, hit animations at a fighter, reactions, HP and MP losses,
// log lines naming fighters, links, the fall, and dimming the scene.
#include "battle/FighterAct.h"

#include <cstdio>
#include <cstring>

#include "platform/TextCodec.h"
#include "data/GameData.h"
#include "battle/BattleLogSink.h"
#include "battle/BattleMath.h"
#include "battle/BattleRandom.h"
#include "battle/BattleScene.h"
#include "battle/HitRules.h"
#include "battle/SpritePools.h"

namespace {

bool CanStart(u32 act, i32 action) {
    ActPlayer probe;
    probe.act = static_cast<i32>(act);
    probe.action = action;
    return act != 0 && TakeActData(&probe) != 0;
}

}  // namespace

i32 OtherFacing(i32 facing) {
    return facing == 4 ? 5 : 4;
}

bool StartSpecial(cFighter& f, std::initializer_list<i32> offsets) {
    if (StartActFacing(f, static_cast<u32>(f.specialAct), f.facing, offsets)) return true;
    return StartBody(f, offsets);
}

cFighter* TakeTarget(cFighter& f, i32 row) {
    cFighter* t = f.targets[0];
    if (!t || !t->IsTaken() || t->IsDying()) t = OtherSide(f).PickRandomTarget(row);
    if (!t) {
        f.StepAnim();
        return nullptr;
    }
    LinkTarget(f, t);
    return t;
}

void ApproachPoint(const cFighter& f, const cFighter& t, i32* ax, i32* az) {
    const ActPlayer& a = f.anim;
    const ActPlayer& b = t.anim;
    const i64 d = static_cast<i64>(b.cellW) * 8 - static_cast<i64>(a.cellW) * 8 - b.hitX + a.hitX -
                  a.xOff + b.xOff - f.MonsterDx() + t.MonsterDx();
    *ax = Sat32(static_cast<i64>(t.x) - d);
    *az = Sat32(static_cast<i64>(t.z) - d * 55 / 100);
}

void RunToTarget(cFighter& f, const cFighter& t, u32 tint, i32 copies) {
    i32 ax, az;
    ApproachPoint(f, t, &ax, &az);
    f.MoveTo(ax, t.y, az);
    // Toward one of its own kind it runs up the field (4) from below the target, else down.
    const i32 facing = SameSide(f, t) ? (f.z > t.z ? 4 : 5) : f.facing;
    StartBodyFacing(f, facing, {kActStand, kActReady});
    if (copies > 0) AttachAfterImage(&f, tint, copies);
}

void HeadHome(cFighter& f) {
    const i32 home = HomeFacing(f);
    f.facing = home;
    if (!StartBodyFacing(f, OtherFacing(home), {kActStand, kActReady}))
        StartBodyFacing(f, home, {kActStand, kActReady});
    f.MoveTo(f.homeX, f.homeY, f.homeZ);
}

void DropOwnLinks(cFighter& f) {
    for (cFighter*& link : f.targets) link = nullptr;
    f.counterAttacker = f.countered = nullptr;
    f.effectAnim = f.skillAnim = f.itemAnim = f.blowAnim = nullptr;
}

bool StartBodyFacing(cFighter& f, i32 facing, std::initializer_list<i32> offsets) {
    return StartActFacing(f, f.act, facing, offsets);
}

bool StartActFacing(cFighter& f, u32 act, i32 facing, std::initializer_list<i32> offsets) {
    for (i32 o : offsets) {
        if (!CanStart(act, facing + o)) continue;
        if (f.StartAnim(act, static_cast<u32>(facing + o))) return true;
    }
    // Nothing to play: the step sees an animation that has ended, never one that hangs.
    f.anim = ActPlayer{};
    f.anim2 = ActPlayer{};
    f.anim.ended = 1;
    return false;
}

bool StartBody(cFighter& f, std::initializer_list<i32> offsets) {
    return StartBodyFacing(f, f.facing, offsets);
}

void StepToEvent(cFighter& f, u16 events) {
    for (int k = 0; k < kMaxInstantSteps; ++k) {
        if (f.anim.event & events) return;
        if (f.StepAnim()) return;
    }
}

void StandAtHome(cFighter& f) {
    f.x = f.homeX;
    f.y = f.homeY;
    f.z = f.homeZ;
}

cBattleSide& SideOf(const cFighter& f) {
    return f.IsPartySide() ? gPartySide : gEnemySide;
}

cBattleSide& OtherSide(const cFighter& f) {
    return f.IsPartySide() ? gEnemySide : gPartySide;
}

bool SameSide(const cFighter& a, const cFighter& b) {
    return a.IsPartySide() == b.IsPartySide();
}

cHitAnim* SpawnAtFighter(cFighter& owner, const cFighter& at, u32 act, i32 cls) {
    const u32 action = at.IsPartySide() ? 0 : 1;
    return SpawnHitAnim(&owner, act, action, at.HitPointX(), at.HitPointY(), at.z, cls);
}

cHitAnim* SpawnHitEffect(cFighter& attacker, const cFighter& target) {
    const u32 action = attacker.IsPartySide() ? 0 : 1;
    return SpawnHitAnim(&attacker, static_cast<u32>(attacker.hitAct), action, target.HitPointX(),
                        target.HitPointY(), target.z, kClassOrdinary);
}

bool AnimGone(const cFighter& owner, cHitAnim* a) {
    return !a || !a->Taken() || a->owner != &owner;
}

bool AnimEvent(const cFighter& owner, cHitAnim* a, u16 bit) {
    return !AnimGone(owner, a) && a->TakeEvent(bit);
}

void EnterReaction(cFighter& t, i32 state) {
    if (t.action == kStateDodge) {
        DetachAfterImage(&t);
        t.x = t.move.startX;
        t.y = t.move.startY;
        t.z = t.move.startZ;
    } else if (t.action != kStateHit) {
        t.SaveAction();
    }
    t.SetAction(state, 0, 0);
}

void SaveIfIdle(cFighter& t) {
    if (t.action == kStateWaiting) t.SaveAction();
}

void MayWake(cFighter& t) {
    if (BattleRandom(5) != 0) return;
    if (t.IsAsleep()) t.EndSleep();
    if (t.IsConfused()) t.EndConfusion();
}

namespace {
i32 Within(i64 v, i32 max) {
    if (v > max) v = max;
    return static_cast<i32>(v < 0 ? 0 : v);
}
}  // namespace

void TakeHp(cFighter& f, i64 loss) {
    f.hp = Within(SatAdd(f.hp, -loss), f.maxHp);
}

void TakeMp(cFighter& f, i64 loss) {
    f.mp = Within(SatAdd(f.mp, -loss), f.maxMp);
}

void LogTwo(const char* fmtUtf8, const cFighter& a, const cFighter& b) {
    char na[33], nb[33], line[200];
    a.stats.CopyName(na);
    b.stats.CopyName(nb);
    std::snprintf(line, sizeof(line), B5(fmtUtf8), na, nb);
    AddBattleLogLine(line);
}

void LogName(const char* fmtUtf8, const char* nameBig5, int nameBytes) {
    char name[64] = {};
    std::memcpy(name, nameBig5, static_cast<size_t>(nameBytes < 63 ? nameBytes : 63));
    char line[200];
    std::snprintf(line, sizeof(line), B5(fmtUtf8), name);
    AddBattleLogLine(line);
}

cFighter* ReplaceTarget(cFighter& f, cBattleSide& side, i32 row) {
    (void)f;
    return side.PickRandomTarget(row);
}

void LinkTarget(cFighter& f, cFighter* t) {
    f.targets[0] = t;
    if (t) t->attackedBy = &f;
}

void ClearActionLinks(cFighter& f) {
    f.ReleaseTargets();
    f.counterAttacker = nullptr;
    f.countered = nullptr;
    f.effectAnim = f.skillAnim = f.itemAnim = f.blowAnim = nullptr;
}

void FallDown(cFighter& f) {
    // Falling in the middle of its own command (a reflected blow) ends the
    // command's freeze, which its return to waiting would otherwise have ended.
    if (f.HasCommand()) {
        gPartySide.SetFrozen(0);
        gEnemySide.SetFrozen(0);
    }
    f.status = kStDying;
    f.command = kCmdNone;
    f.gauge = 0;
    f.ordered = 0;
    f.StopGlow();
    f.StopBlink();
    if (f.IsAdded()) {
        f.Log("神魔%s瀕死,變身解除...!");
        f.SetAction(kStateEndTransform, 0, 0);
        return;
    }
    if (f.IsPartySide()) {
        LeaveFight(f, gPartySide);
        f.SetAction(kStateFallen, 0, 0);
        return;
    }
    GiveEnemyRewards(f, 1);
    LeaveFight(f, gEnemySide);
    f.SetAction(kStateFallen, 0, 0);
    if (!gEnemySide.AllDown()) return;
    if (gFighterController.setActive) gFighterController.setActive(false);
    gPartySide.ClearCommands();
}

void DimScene(i32 n) {
    gBattleScene.FadeTo(n);
    DimAllSides();
}

void RestoreScene() {
    gBattleScene.FadeBack();
    UndimAllSides();
}
