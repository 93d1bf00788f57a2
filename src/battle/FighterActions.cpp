// The fighter's close and ranged attacks, magic and skills, items and flight.
#include "data/GameData.h"
#include "battle/BattleMath.h"
#include "battle/BattleRandom.h"
#include "battle/BattleScene.h"
#include "battle/FighterAct.h"
#include "battle/HitRules.h"
#include "battle/SpritePools.h"

namespace {

constexpr i32 kRevive = 31;

}  // namespace

namespace {

void StarShieldLine(cFighter& f, cFighter& t) {
    t.Log("星星之盾抵消一半的攻擊力!");
    SpawnAtFighter(f, t, kAnimStarShield);
}

}  // namespace

void StarShieldHolds(cFighter& f, cFighter& t) {
    StarShieldLine(f, t);
    t.UseStarShield();
}

void ShieldsAct(cFighter& f, cFighter& t, const Loss& loss) {
    if (loss.sunReflected) SpawnAtFighter(f, t, kAnimSunShield);
    if (loss.starHalved) StarShieldHolds(f, t);
    if (!loss.moonHalved) return;
    t.Log("月亮之盾抵消一半的魔法傷害!");
    SpawnAtFighter(f, t, kAnimMoonShield);
    t.UseMoonShield();
}

namespace {

void BarrierBlocks(cFighter& f, cFighter& t) {
    SpawnAtFighter(f, t, kAnimBarrier);
    SpawnAtFighter(f, t, kAnimHurt);
}

// Event 0x4 of a blow: the target braces (an idle one may still evade the first blow).
void BlowWarning(cFighter& f, cFighter& t) {
    if (t.HasHolyBarrier()) {
        BarrierBlocks(f, t);
        return;
    }
    if (t.action != kStateWaiting) return;
    if (f.blows == 0 && RollEvade(t, f)) {
        EnterReaction(t, kStateDodge);
        return;
    }
    ++f.blows;
    if (!f.blowAnim) f.blowAnim = SpawnHitEffect(f, t);
    if (t.HasStarShield()) StarShieldLine(f, t);
    EnterReaction(t, kStateHit);
}

void SpecialSkillOnHit(cFighter& f) {
    const SkillData* sk = GetSkillRecord(f.specialSkill);
    if (!sk || f.skillAnim) return;
    f.skillInUse = sk;
    f.skillAnim = SpawnSkillEffect(f, *sk);
}

// The reflected part of a close blow goes back to the attacker.
i32 Reflect(cFighter& f, cFighter& t, i32 damage) {
    const i32 r = Sat32(Pct(t.reflect, damage));
    if (r == 0) return damage;
    LogTwo("%s反彈%s部份的攻擊...!", t, f);
    SpawnAtFighter(f, t, kAnimStarShield);
    StartBody(f, {kActHurt});
    TakeHp(f, r);
    ShowLossNumber(f, kFloatHp, r);
    return damage - r;
}

// Event 0x1 of a blow: barrier, evasion (first blow only), hit roll, damage.
void Blow(cFighter& f, cFighter& t, bool critical, bool reflect) {
    if (t.HasHolyBarrier()) {
        t.Log("神聖防壁阻擋攻擊...!");
        BarrierBlocks(f, t);
        t.UseHolyBarrier();
        return;
    }
    const bool evaded = f.blows == 0 && RollEvade(t, f);
    ++f.blows;
    if (evaded) {
        ShowMiss(t);
        EnterReaction(t, kStateDodge);
        return;
    }
    const bool hit = RollPhysicalHit(f);
    if (critical)
        f.Log(hit ? "%s的奮力一擊...!" : "%s的奮力一擊打偏了...!");
    else if (!hit)
        f.Log("%s的攻擊打偏了...!");
    if (!f.blowAnim) f.blowAnim = SpawnHitEffect(f, t);
    SpecialSkillOnHit(f);
    MayWake(t);
    i32 damage = PhysicalDamage(t, f, critical, true);
    if (!hit) damage /= 3;
    if (reflect) damage = Reflect(f, t, damage);
    if (damage < 1) damage = 1;
    t.lastHpDamage = damage;
    TakeHp(t, damage);
    ShowLossNumber(t, kFloatHp, damage);
    if (t.HasStarShield()) StarShieldHolds(f, t);
    EnterReaction(t, kStateHit);
}

void BlowEvents(cFighter& f, cFighter& t, bool critical, bool reflect, bool ranged) {
    if (f.TakeEvent(0x4)) BlowWarning(f, t);
    if (!f.TakeEvent(0x1)) return;
    if (ranged) SpawnAtFighter(f, f, kAnimRanged);
    Blow(f, t, critical, reflect);
}

// Drains after the blow's effect, then the special skill's effect on the target.
// True when both are over.
bool AfterBlow(cFighter& f, cFighter& t) {
    if (f.subStep == 0) {
        if (!AnimGone(f, f.blowAnim)) return false;
        if (f.hpDrain != 0) {
            const i32 gain = Sat32(Pct(t.lastHpDamage, f.hpDrain));
            TakeHp(f, -static_cast<i64>(gain));
            ShowLossNumber(f, kFloatHp, -gain);
        }
        if (f.mpDrain != 0) {
            const i32 take = Sat32(Pct(t.mp, f.mpDrain));
            TakeMp(t, take);
            TakeMp(f, -static_cast<i64>(take));
        }
        f.subStep = 1;
    }
    if (!f.skillAnim) return true;
    const SkillData* sk = f.skillInUse;
    if (sk && AnimEvent(f, f.skillAnim, 0x1)) {
        const Loss loss = ApplySkill(t, f, *sk);
        ShieldsAct(f, t, loss);
        ApplyLosses(t, loss, true, true);
        EnterReaction(t, kStateHit);
    }
    if (AnimEvent(f, f.skillAnim, 0x4) && t.action == kStateWaiting) EnterReaction(t, kStateHit);
    if (!AnimGone(f, f.skillAnim)) return false;
    f.skillAnim = nullptr;
    f.skillInUse = nullptr;
    return true;
}

void EndAction(cFighter& f) {
    ClearActionLinks(f);
    f.critical = 0;
    f.SetAction(kStateWaiting, 0, 0);
}

void CloseStart(cFighter& f) {
    cFighter* t = TakeTarget(f, 1);
    if (!t) return;
    f.critical = RollCritical(f) ? 1 : 0;
    if (SameSide(f, *t)) f.facing = OtherFacing(f.facing);
    StartBody(f, {f.critical ? kActCritical : kActAttack, kActAttack});
    StepToEvent(f);
    RunToTarget(f, *t, 0, f.IsPartySide() ? 3 : 0);
    f.step = 1;
}

void CloseArrive(cFighter& f, cFighter& t) {
    f.StepAnim();
    if (!f.StepMove(20)) return;
    DetachAfterImage(&f);
    f.facing = f.x > t.x ? 4 : 5;
    if (f.critical)
        StartBody(f, {kActCritical, kActAttack});
    else
        StartBody(f, {kActAttack});
    f.blows = f.spellHits = 0;
    f.blowAnim = f.skillAnim = nullptr;
    f.step = 2;
}

void CloseStrike(cFighter& f, cFighter& t) {
    const bool ended = f.StepAnim();
    BlowEvents(f, t, f.critical != 0, true, false);
    if (!ended) return;
    StartBodyFacing(f, 0, {f.x > t.x ? 12 : 13});
    f.SetAction(kStateCloseAttack, 3, 0);
}

void CloseCounterCheck(cFighter& f, cFighter& t) {
    f.StepAnim();
    if (!t.IsIdle()) return;
    f.step = 5;
    if (SameSide(f, t) || !t.IsTaken() || !RollCounter(t, &f)) return;
    t.countered = &f;
    f.counterAttacker = &t;
    t.SaveAction();
    t.SetAction(kStateCounter, 0, 0);
}

void CloseWrapUp(cFighter& f, cFighter* t) {
    f.StepAnim();
    const bool downByReflect = f.IsEnemy() && f.hp <= 0;
    if (downByReflect) f.status = kStDying;
    if (t && !t->IsIdle()) return;
    // The target keeps its attacked-by link: one at 0 HP falls once this fighter is home.
    DropOwnLinks(f);
    f.critical = 0;
    if (downByReflect && !f.IsMonster222()) {
        FallDown(f);
        return;
    }
    HeadHome(f);
    f.step = 7;
}

}  // namespace

void RunCloseAttack(cFighter& f) {
    cFighter* t = f.targets[0];
    if (f.step == 0) {
        CloseStart(f);
        return;
    }
    if (f.step >= 1 && f.step <= 4 && !t) {
        // The target vanished from under the attack (reset): straight home.
        f.SetAction(kStateCloseAttack, 5, 0);
    }
    switch (f.step) {
        case 1:
            CloseArrive(f, *t);
            break;
        case 2:
            CloseStrike(f, *t);
            break;
        case 3:
            f.StepAnim();
            if (AfterBlow(f, *t)) f.SetAction(kStateCloseAttack, 4, 0);
            break;
        case 4:
            CloseCounterCheck(f, *t);
            break;
        case 5:
            CloseWrapUp(f, t);
            break;
        default:
            f.StepAnim();
            if (f.StepMove(f.hp <= 0 ? 5 : 20)) f.SetAction(kStateWaiting, 0, 0);
            break;
    }
}

void RunRangedAttack(cFighter& f) {
    if (f.step == 0) {
        cFighter* t = TakeTarget(f, 0);
        if (!t) return;
        StartBody(f, {kActAttack});
        f.blows = f.spellHits = 0;
        f.blowAnim = f.skillAnim = nullptr;
        f.step = 1;
        return;
    }
    cFighter* t = f.targets[0];
    if (!t) {
        EndAction(f);
        return;
    }
    if (f.step == 1) {
        const bool ended = f.StepAnim();
        BlowEvents(f, *t, false, false, true);
        if (!ended) return;
        StartBody(f, {kActReady, kActStand});
        f.SetAction(kStateRangedAttack, 2, 0);
    } else if (f.step == 2) {
        f.StepAnim();
        if (AfterBlow(f, *t)) f.SetAction(kStateRangedAttack, 3, 0);
    } else {
        f.StepAnim();
        if (AnimGone(f, f.blowAnim) && t->IsIdle()) EndAction(f);
    }
}

// ---- magic, skills and items ----

namespace {

bool TargetsOneAlly(i32 kind) {
    return kind == kTargetOneAlly;
}

bool OffensiveKind(i32 kind) {
    return kind == kTargetOneFoe || kind == kTargetAllFoes;
}

// Targets of a one-target skill or item: a gone or dying one is replaced (a
// revive keeps a dying one). False while there is nobody to take.
bool ChooseTargets(cFighter& f, i32 kind, bool revive) {
    if (kind == kTargetSelf && !f.targets[0]) f.targets[0] = &f;
    if (kind != kTargetOneAlly && kind != kTargetOneFoe) return true;
    cFighter* t = f.targets[0];
    const bool usable = t && t->IsTaken() && (t->IsAlive() || revive);
    if (!usable) {
        cBattleSide& side = TargetsOneAlly(kind) ? SideOf(f) : OtherSide(f);
        t = side.PickRandomTarget(0);
    }
    if (!t) {
        f.StepAnim();
        return false;
    }
    LinkTarget(f, t);
    return true;
}

bool Affected(const cFighter* t, bool revive) {
    return t && t->IsTaken() && (t->IsAlive() || revive);
}

void SkillOnTarget(cFighter& f, cFighter& t, const SkillData& sk, bool withSpecials,
                   i32& reflected) {
    const i32 kind = sk.target;
    if (!OffensiveKind(kind)) {
        if (withSpecials && sk.special == kSpecialSacrifice && &t == &f) {
            f.hp = 0;
            return;
        }
        const Loss loss = ApplySkill(t, f, sk);
        ShieldsAct(f, t, loss);
        ApplyLosses(t, loss, true, true);
        EnterReaction(t, kStateHit);
        return;
    }
    if (!RollMagicHit(t, f, sk)) {
        ShowMiss(t);
        EnterReaction(t, kStateDodge);
        return;
    }
    MayWake(t);
    Loss loss = ApplySkill(t, f, sk);
    if (withSpecials) ApplySkillSpecial(f, t, sk, loss, reflected);
    ShieldsAct(f, t, loss);
    ApplyLosses(t, loss, SkillShowsHp(sk), SkillShowsMp(sk));
    EnterReaction(t, kStateHit);
}

void SkillStrikesTargets(cFighter& f, const SkillData& sk, bool withSpecials) {
    const bool revive = sk.statusEffect == kRevive;
    i32 reflected = 0;
    for (cFighter* t : f.targets)
        if (Affected(t, revive)) SkillOnTarget(f, *t, sk, withSpecials, reflected);
    ++f.spellHits;
    if (reflected == 0) return;
    StartBody(f, {kActHurt});
    SpawnAtFighter(f, f, kAnimHurt);
    TakeHp(f, reflected);
    ShowLossNumber(f, kFloatHp, reflected);
}

// Event 0x4 of an effect: idle targets brace, the first foe may evade (an
// item's by the item hit roll, a skill's by the evasion of a blow).
void EffectWarning(cFighter& f, const ItemData* item = nullptr) {
    bool first = true;
    for (cFighter* t : f.targets) {
        if (!t || !t->IsTaken() || t->action != kStateWaiting) continue;
        const bool evade =
            first && !SameSide(f, *t) && (item ? !RollItemHit(*t, f, *item) : RollEvade(*t, f));
        first = false;
        EnterReaction(*t, evade ? kStateDodge : kStateHit);
    }
}

void FlashInVanished() {
    for (int i = 0; i < gPartySide.count; ++i) {
        cFighter& p = gPartySide.fighters[i];
        if (p.IsTaken() && p.flashOn && p.flashMode == 0) p.FlashIn();
    }
}

void EndMagic(cFighter& f) {
    ClearActionLinks(f);
    FlashInVanished();
    f.skillInUse = nullptr;
    f.itemInUse = nullptr;
    DetachAfterImage(&f);
    RestoreScene();
    // A shake the effect started ends with it.
    gBattleScene.StopShake();
    f.SetAction(kStateWaiting, 0, 0);
}

// The area over a side, or the main target's hit point, where an effect plays.
cHitAnim* SpawnEffectAt(cFighter& f, u32 act, u32 action, i32 kind) {
    if (act == 0 || act == 0xFFFFFFFFu) act = kAnimNoItem;
    if (kind != kTargetAllAllies && kind != kTargetAllFoes) {
        const cFighter* t = f.targets[0] ? f.targets[0] : &f;
        return SpawnHitAnim(&f, act, action, t->HitPointX(), t->HitPointY(), t->z, kClassOrdinary);
    }
    ActPlayer probe;
    probe.act = static_cast<i32>(act);
    probe.action = static_cast<i32>(action);
    TakeActData(&probe);
    if (kind == kTargetAllFoes && (probe.event & 0x8))
        return SpawnHitAnim(&f, act, action, f.HitPointX(), f.HitPointY(), f.z, kClassOrdinary);
    const bool partyArea = (kind == kTargetAllAllies) == f.IsPartySide();
    const i32 ax = partyArea ? 440 : 240, az = partyArea ? 320 : 190;
    return SpawnHitAnim(&f, act, action, probe.xOff != 0 ? ax : 0, 0, probe.yOff != 0 ? az : 0,
                        kClassFront);
}

}  // namespace

cHitAnim* SpawnSkillEffect(cFighter& caster, const SkillData& skill) {
    return SpawnEffectAt(caster, static_cast<u32>(skill.effectAct), caster.IsPartySide() ? 0 : 1,
                         skill.target);
}

cHitAnim* SpawnItemEffect(cFighter& user, const ItemData& item) {
    return SpawnEffectAt(user, static_cast<u32>(item.effectAct), 0, item.target);
}

void SkillEffectEvents(cFighter& f, bool withSpecials) {
    const SkillData* sk = f.skillInUse;
    if (sk && AnimEvent(f, f.skillAnim, 0x1)) SkillStrikesTargets(f, *sk, withSpecials);
    if (AnimEvent(f, f.skillAnim, 0x4)) EffectWarning(f);
    // The effect's flash shakes the scene with no count of its own: until the effect is gone.
    if (AnimEvent(f, f.skillAnim, 0x8000)) gBattleScene.Shake(kShakeUntilStopped);
    if (!sk || AnimGone(f, f.skillAnim)) EndMagic(f);
}

void RunMagic(cFighter& f) {
    const SkillData* sk = f.skillInUse;
    if (!sk) {
        EndMagic(f);
        return;
    }
    if (f.step == 0) {
        if (!ChooseTargets(f, sk->target, sk->statusEffect == kRevive)) return;
        StartBody(f, {kActCast});
        DimScene(15);
        f.effectAnim = SpawnAtFighter(f, f, kAnimCast);
        AttachAfterImage(&f, 0x100007, 3);
        TakeMp(f, sk->mpCost);
        f.spellHits = 0;
        f.step = 1;
        return;
    }
    const bool ended = f.StepAnim();
    if (f.step == 1) {
        if (!AnimGone(f, f.effectAnim)) return;
        StartBody(f, {kActSpecial, kActSkill, kActAttack});
        f.step = 2;
    } else if (f.step == 2) {
        if (!f.TakeEvent(0x1) && !ended) return;
        LogName("%s", sk->name, static_cast<int>(sizeof(sk->name)));
        DetachAfterImage(&f);
        if (sk->category == kSummonCategory && sk->id != 200)
            for (int i = 0; i < gPartySide.count; ++i)
                if (gPartySide.fighters[i].IsTaken()) gPartySide.fighters[i].FlashOut();
        f.skillAnim = SpawnSkillEffect(f, *sk);
        f.step = 3;
    } else {
        SkillEffectEvents(f, true);
    }
}

namespace {

void ItemStrikesTargets(cFighter& f, const ItemData& it) {
    const bool revive = it.statusEffect == kRevive;
    for (cFighter* t : f.targets) {
        if (!Affected(t, revive)) continue;
        if (OffensiveKind(it.target)) {
            if (!RollItemHit(*t, f, it)) {
                ShowMiss(*t);
                EnterReaction(*t, kStateDodge);
                continue;
            }
            MayWake(*t);
        }
        ApplyLosses(*t, ApplyItem(*t, it), true, true);
        EnterReaction(*t, kStateHit);
    }
}

void UseUpItem(const ItemData& it) {
    if (it.useKind != 1 || !gOwnedItems || !GetItemRecord(it.id)) return;
    i32& owned = gOwnedItems[it.id];
    if (owned > 0) --owned;
}

}  // namespace

void RunItem(cFighter& f) {
    const ItemData* it = f.itemInUse;
    if (!it) {
        EndMagic(f);
        return;
    }
    if (f.step == 0) {
        if (!ChooseTargets(f, it->target, it->statusEffect == kRevive)) return;
        StartBody(f, {kActSpecial, kActSkill, kActAttack});
        DimScene(15);
        UseUpItem(*it);
        f.step = GetSkillRecord(it->castSkill) ? 10 : 1;
        return;
    }
    const bool ended = f.StepAnim();
    if (f.step == 1 || f.step == 10) {
        if (!ended) return;
        if (f.step == 10) {
            f.skillInUse = GetSkillRecord(it->castSkill);
            f.skillAnim = SpawnSkillEffect(f, *f.skillInUse);
            f.step = 11;
        } else {
            f.itemAnim = SpawnItemEffect(f, *it);
            f.step = 2;
        }
        return;
    }
    if (f.step == 11) {
        SkillEffectEvents(f, false);
        return;
    }
    if (AnimEvent(f, f.itemAnim, 0x1)) ItemStrikesTargets(f, *it);
    if (AnimEvent(f, f.itemAnim, 0x4)) EffectWarning(f, it);
    if (AnimGone(f, f.itemAnim)) EndMagic(f);
}

// ---- flight ----

void RunFlee(cFighter& f) {
    if (f.step == 0) {
        f.StartAnim(f.act, f.facing == 4 ? 5 : 4);
        f.Log("%s逃跑...!");
        f.tick = 20;
        f.fleeResult = 0;
        f.step = 1;
        return;
    }
    f.StepAnim();
    if (f.step == 1) {
        --f.tick;
        if (f.tick == 10) {
            f.fleeResult = RollFlee(f, OtherSide(f)) ? 1 : 0;
            if (!f.fleeResult) f.Log("逃跑失敗...!");
        }
        if (f.tick > 0) return;
        if (!f.fleeResult) {
            f.SetAction(kStateWaiting, 0, 0);
            return;
        }
        if (f.IsPartySide()) {
            gPartySide.FleeAll();
            gPartySide.fleeFlag = 1;
            if (gFighterController.setActive) gFighterController.setActive(false);
        } else if (gEnemySide.memberCount <= 1 && gFighterController.setActive) {
            gFighterController.setActive(false);
        }
        f.SetAction(kStateFlee, 2, 0);
        return;
    }
    if (f.step == 2) {
        const bool left = f.facing == 5;
        f.StartAnim(f.act, left ? 4 : 5);
        const i32 tx = left ? -100 : 700;
        const i64 dz = (tx > f.x ? tx - f.x : f.x - tx) * 55 / 100;
        f.MoveTo(tx, 0, Sat32(left ? f.z - dz : f.z + dz));
        f.step = 3;
        return;
    }
    if (!f.StepMove(15) || !f.IsEnemy()) return;
    f.status = kStDying;
    LeaveFight(f, gEnemySide);
    gPartySide.SetFrozen(0);
    gEnemySide.SetFrozen(0);
    f.Reset();
}
