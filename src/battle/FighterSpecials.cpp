// The fighter's air raid, theft, throw, capture, skill strike and the
// god/demon transformation and its end.
#include <algorithm>

#include "data/GameData.h"
#include "battle/BattleMath.h"
#include "battle/BattleScene.h"
#include "battle/FighterAct.h"
#include "battle/HitRules.h"
#include "battle/SpritePools.h"

namespace {

constexpr i32 kFixedCost = 5;
constexpr i32 kShrinkStep = 40, kShrinkFull = 1000;

// The fixed cost of air raid, theft and capture: MP never goes below 0, since a
// drain can strike between the menu's check and the action.
void PayFixedCost(cFighter& f) {
    TakeMp(f, kFixedCost);
}

void Finish(cFighter& f) {
    DropOwnLinks(f);
    DetachAfterImage(&f);
    f.SetAction(kStateWaiting, 0, 0);
}

// Moves home at n a tick; true on arrival (the trail ends).
bool ArriveHome(cFighter& f, i32 n) {
    f.StepAnim();
    if (!f.StepMove(n)) return false;
    DetachAfterImage(&f);
    f.SetAction(kStateWaiting, 0, 0);
    return true;
}

// Event 0x1 of a strike animation: the target takes the damage and reels.
void StrikeLands(cFighter& t, i32 damage) {
    EnterReaction(t, kStateHit);
    if (damage < 1) damage = 1;
    t.lastHpDamage = damage;
    TakeHp(t, damage);
    ShowLossNumber(t, kFloatHp, damage);
}

bool AllPartyAlive() {
    for (int i = 0; i < gPartySide.count; ++i) {
        const cFighter& p = gPartySide.fighters[i];
        if (p.IsTaken() && !p.IsAlive()) return false;
    }
    return true;
}

i32 GaugeOfAgility(const cFighter& f) {
    const i32 a = f.stats.Agility();
    return a < 0 ? 0 : (a > kGaugeFull ? kGaugeFull : a);
}

void FreezeAll(i32 v) {
    gPartySide.SetFrozen(v);
    gEnemySide.SetFrozen(v);
}

void SetControllerActive(bool on) {
    if (gFighterController.setActive) gFighterController.setActive(on);
}

}  // namespace

// ---- air raid ----

namespace {

void AirRaidStrike(cFighter& f, cFighter& t) {
    f.StepAnim();
    if (f.subStep == 0) {
        f.MoveTo(f.x, -800, f.z);
        AttachAfterImage(&f, 0x100007, 5);
        f.subStep = 1;
    } else if (f.subStep == 1) {
        if (!f.StepMove(40)) return;
        // Down from the height along one line onto the approach point.
        i32 ax, az;
        ApproachPoint(f, t, &ax, &az);
        f.MoveTo(ax, t.y, az);
        f.subStep = 2;
    } else if (f.StepMove(40)) {
        DetachAfterImage(&f);
        gBattleScene.Shake(13);
        f.blowAnim = SpawnHitAnim(&f, kAnimThrow, 0, t.HitPointX(), t.HitPointY(), t.z, 0);
        f.SetAction(kStateAirRaid, 4, 0);
    }
}

void AirRaidReturn(cFighter& f) {
    if (f.subStep == 0) {
        f.MoveTo(f.x, -700, f.z);
        AttachAfterImage(&f, 0x100007, 5);
        RestoreScene();
        f.subStep = 1;
    } else if (f.subStep == 1) {
        f.StepAnim();
        if (!f.StepMove(40)) return;
        f.MoveTo(f.homeX, f.homeY, f.homeZ);
        f.subStep = 2;
    } else {
        ArriveHome(f, 40);
    }
}

}  // namespace

void RunAirRaid(cFighter& f) {
    if (f.step == 0) {
        if (!TakeTarget(f, 0)) return;
        StartBody(f, {kActCast});
        DimScene(15);
        f.effectAnim = SpawnAtFighter(f, f, kAnimCast);
        PayFixedCost(f);
        f.step = 1;
        return;
    }
    cFighter* t = f.targets[0];
    if (f.step < 5 && !t) f.SetAction(kStateAirRaid, 5, 0);
    switch (f.step) {
        case 1:
            f.StepAnim();
            if (!AnimGone(f, f.effectAnim)) return;
            f.Log("空襲");
            f.step = 2;
            return;
        case 2:
            StartBody(f, {kActReady, kActStand});
            f.SetAction(kStateAirRaid, 3, 0);
            return;
        case 3:
            AirRaidStrike(f, *t);
            return;
        case 4:
            f.StepAnim();
            if (AnimEvent(f, f.blowAnim, 0x1)) {
                MayWake(*t);
                StrikeLands(*t, AirRaidDamage(*t, f));
            }
            if (AnimEvent(f, f.blowAnim, 0x4) && t->action == kStateWaiting)
                EnterReaction(*t, kStateHit);
            if (!AnimGone(f, f.blowAnim)) return;
            DropOwnLinks(f);
            f.SetAction(kStateAirRaid, 5, 0);
            return;
        default:
            AirRaidReturn(f);
            return;
    }
}

// ---- theft ----

namespace {

void TheftRoll(cFighter& f, cFighter& t) {
    const i32 r = RollTheft(t, f);
    if (r < 0) {
        ShowMiss(t);
        EnterReaction(t, kStateDodge);
        return;
    }
    const ItemData* item = r > 0 ? GetItemRecord(t.stats.TheftItem()) : nullptr;
    if (!item) {
        t.Log("%s沒有任何物品...!");
        return;
    }
    LogName("得到%s...!", item->name, static_cast<int>(sizeof(item->name)));
    GainStolenItem(item->id);
    SpawnHitAnim(&f, kAnimStolen, 0, t.x, t.y, t.z, kClassBack);
}

}  // namespace

void RunTheft(cFighter& f) {
    if (f.step == 0) {
        cFighter* t = TakeTarget(f, 0);
        if (!t) return;
        StartBody(f, {kActStand});
        f.Log("偷竊");
        DimAllSides();
        gBattleScene.FadeTo(10);
        RunToTarget(f, *t, 0xF0008, 5);
        PayFixedCost(f);
        f.step = 1;
        return;
    }
    cFighter* t = f.targets[0];
    if (f.step < 3 && !t) f.SetAction(kStateTheft, 3, 0);
    if (f.step == 1) {
        f.StepAnim();
        if (!f.StepMove(15)) return;
        StartSpecial(f, {kActCritical, kActAttack});
        // The theft plays on the target for as long as the pose: the target owns
        // it, so the pose's end stops it with the target's other animations.
        SpawnHitAnim(t, kAnimTheft, 0, t->x, t->y, t->z, kClassOrdinary);
        f.blows = 0;
        f.step = 2;
    } else if (f.step == 2) {
        const bool ended = f.StepAnim();
        // One roll a theft, however many events the pose raises.
        if (f.TakeEvent(0x1) && f.blows++ == 0) TheftRoll(f, *t);
        if (!ended) return;
        StopHitAnims(t, nullptr);
        DropOwnLinks(f);
        f.step = 3;
    } else if (f.step == 3) {
        RestoreScene();
        HeadHome(f);
        f.step = 4;
    } else {
        ArriveHome(f, 15);
    }
}

// ---- throw ----

void RunThrow(cFighter& f) {
    if (f.step == 0) {
        if (!TakeTarget(f, 0)) return;
        StartSpecial(f, {kActSkill, kActSpecial, kActAttack});
        DimScene(15);
        AttachAfterImage(&f, 0x100007, 5);
        f.step = 1;
        return;
    }
    cFighter* t = f.targets[0];
    const bool ended = f.StepAnim();
    if (f.step == 1) {
        if (!ended) return;
        if (t)
            f.blowAnim = SpawnHitAnim(&f, kAnimThrow, 0, t->HitPointX(), t->HitPointY(), t->z, 0);
        f.step = 2;
        return;
    }
    if (t && AnimEvent(f, f.blowAnim, 0x1)) {
        MayWake(*t);
        StrikeLands(*t, ThrowDamage(*t, f, f.thrownPiece));
    }
    if (t && AnimEvent(f, f.blowAnim, 0x4) && t->action == kStateWaiting)
        EnterReaction(*t, kStateHit);
    if (!AnimGone(f, f.blowAnim)) return;
    if (f.thrownPiece) f.thrownPiece->id = -1;
    f.thrownPiece = nullptr;
    RestoreScene();
    Finish(f);
}

// ---- capture ----

namespace {

void CaptureDone(cFighter& f, cFighter& t) {
    t.StartShake(0, 0);
    if (!f.captureResult) {
        f.Log("捕捉失敗...");
        DropOwnLinks(f);
        RestoreScene();
        f.SetAction(kStateWaiting, 0, 0);
        return;
    }
    char name[33];
    t.stats.CopyName(name);
    LogName("捕捉%s成功...!", name, 32);
    cHitAnim* orb = SpawnHitAnim(&f, kAnimCaptureOrb, 0, t.x, t.y, t.z, kClassOrdinary);
    if (orb) orb->MoveTo(f.x - f.anim.xOff - 16, f.y - 36, f.z - 1);
    GiveEnemyRewards(t, 2);
    LeaveFight(t, gEnemySide);
    DropOwnLinks(f);
    t.Reset();
    f.effectAnim = orb;
    f.step = 4;
}

}  // namespace

void RunCapture(cFighter& f) {
    if (f.step == 0) {
        if (!TakeTarget(f, 0)) return;
        StartSpecial(f, {kActSkill});
        f.Log("捕捉");
        AttachAfterImage(&f, 0x100007, 5);
        DimScene(15);
        PayFixedCost(f);
        f.captureResult = 0;
        f.step = 1;
        return;
    }
    const bool ended = f.StepAnim();
    cFighter* t = f.targets[0];
    if (f.step < 4 && !t) {
        DropOwnLinks(f);
        RestoreScene();
        Finish(f);
        return;
    }
    if (f.step == 1) {
        if (!ended) return;
        DetachAfterImage(&f);
        // The capture animation is the orb's act, the one capture act the game
        // names: it closes over the target (its event 0x1 makes the roll), and on
        // a success a second orb carries the catch home.
        f.effectAnim = SpawnHitAnim(&f, kAnimCaptureOrb, 0, t->x, t->y, t->z, 0);
        t->StartShake(1, 1);
        f.step = 2;
    } else if (f.step == 2) {
        if (AnimEvent(f, f.effectAnim, 0x1)) {
            f.captureResult = gDevCaptureAlways || RollCapture(*t, f);
            if (f.captureResult) {
                GainCapturedMonster(static_cast<i32>(t->pic));
                t->shrinkOn = 1;
            }
            f.step = 3;
        } else if (AnimGone(f, f.effectAnim)) {
            f.step = 3;
        }
    } else if (f.step == 3) {
        if (f.captureResult) t->shrinkAmount = std::min(kShrinkFull, t->shrinkAmount + kShrinkStep);
        if (AnimGone(f, f.effectAnim)) CaptureDone(f, *t);
    } else {
        cHitAnim* orb = f.effectAnim;
        if (!AnimGone(f, orb) && !orb->StepMove(20)) return;
        if (!AnimGone(f, orb)) orb->Reset();
        RestoreScene();
        Finish(f);
    }
}

// ---- skill strike ----

namespace {

i32 gStrikeToggle = 0;

void StrikeEffect(cFighter& f, cFighter& t, const SkillData& sk) {
    if (AnimEvent(f, f.skillAnim, 0x1)) {
        if (!RollMagicHit(t, f, sk)) {
            ShowMiss(t);
            EnterReaction(t, kStateDodge);
        } else {
            MayWake(t);
            // The strike takes HP alone: no effect code, no MP.
            Loss loss = SkillLoss(t, f, sk);
            loss.mp = 0;
            loss.moonHalved = loss.moonHalved && loss.hp > 0;
            ShieldsAct(f, t, loss);
            ApplyLosses(t, loss, true, false);
            EnterReaction(t, kStateHit);
        }
    }
    if (AnimEvent(f, f.skillAnim, 0x4) && t.action == kStateWaiting) EnterReaction(t, kStateHit);
}

}  // namespace

void RunSkillStrike(cFighter& f) {
    const SkillData* sk = f.skillInUse;
    cFighter* t = f.targets[0];
    if (f.step == 0) {
        if (!sk) {
            Finish(f);
            return;
        }
        t = TakeTarget(f, 0);
        if (!t) return;
        StartBody(f, {kActAttack});
        StepToEvent(f, 0x1);
        RunToTarget(f, *t, 0, 3);
        TakeMp(f, sk->mpCost);
        f.step = 1;
        return;
    }
    if (f.step < 3 && (!t || !sk)) f.SetAction(kStateSkillStrike, 3, 0);
    if (f.step == 1) {
        f.StepAnim();
        if (!f.StepMove(20)) return;
        f.skillAnim = SpawnSkillEffect(f, *sk);
        StartBody(f, {kActAttack});
        f.step = 2;
    } else if (f.step == 2) {
        if (f.StepAnim()) {
            gStrikeToggle = !gStrikeToggle;
            if (gStrikeToggle)
                StartBody(f, {kActCritical, kActAttack});
            else
                StartBody(f, {kActAttack});
        }
        StrikeEffect(f, *t, *sk);
        if (!AnimGone(f, f.skillAnim)) return;
        f.skillInUse = nullptr;
        DropOwnLinks(f);
        f.step = 3;
    } else if (f.step == 3) {
        HeadHome(f);
        f.step = 4;
    } else {
        ArriveHome(f, 20);
    }
}

// ---- transformation ----

namespace {

void LeaveForTheForm(cFighter& f) {
    for (int i = 0; i < gPartySide.count; ++i) {
        cFighter& p = gPartySide.fighters[i];
        if (!p.IsTaken()) continue;
        p.flags &= ~cFighter::kTaken;
        p.gauge = GaugeOfAgility(p);
    }
    f.hp = 1;
    if (f.formToAdd && gPartySide.AddFighter(*f.formToAdd)) gPartySide.creatureInControl = 1;
    FreezeAll(0);
    RestoreScene();
    DetachAfterImage(&f);
    f.SetAction(kStateWaiting, 0, 0);
}

}  // namespace

void RunTransform(cFighter& f) {
    if (f.step == 0) {
        StartBody(f, {kActCast});
        DimScene(15);
        f.effectAnim = SpawnAtFighter(f, f, kAnimCast);
        AttachAfterImage(&f, 0x100007, 3);
        f.step = 1;
        return;
    }
    const bool ended = f.StepAnim();
    if (f.step == 1) {
        if (!AnimGone(f, f.effectAnim)) return;
        if (!AllPartyAlive() || !f.formToAdd) {
            f.Log("有伙伴死亡,變身失敗...!");
            RestoreScene();
            Finish(f);
            return;
        }
        SpawnHitAnim(&f, kAnimTransform, 0, 0, 0, 0, kClassBack);
        StartBody(f, {kActSpecial});
        f.step = 2;
    } else if (f.step == 2) {
        if (!f.TakeEvent(0x1) && !ended) return;
        DetachAfterImage(&f);
        for (int i = 0; i < gPartySide.count; ++i) {
            cFighter& p = gPartySide.fighters[i];
            if (!p.IsTaken()) continue;
            p.ordered = 0;
            p.FlashOut();
        }
        f.step = 3;
    } else if (f.flashCounter == 0) {
        LeaveForTheForm(f);
    }
}

void RunEndTransform(cFighter& f) {
    if (f.step == 0) {
        StartBody(f, {kActCast});
        DimScene(15);
        f.effectAnim = SpawnAtFighter(f, f, kAnimCast);
        AttachAfterImage(&f, 0x100007, 3);
        FreezeAll(1);
        SetControllerActive(false);
        const i32 form = static_cast<i32>(f.pic);
        if (form >= 0 && form < kGodFormCount) gGodForms[form].offerValue = f.stats.OfferValue();
        f.step = 1;
        return;
    }
    f.StepAnim();
    if (f.step == 1) {
        if (!AnimGone(f, f.effectAnim)) return;
        DetachAfterImage(&f);
        f.FlashOut();
        f.step = 2;
        return;
    }
    if (f.flashCounter != 0) return;
    const bool formDown = f.IsDying();
    for (int i = 0; i < gPartySide.count; ++i) {
        cFighter& p = gPartySide.fighters[i];
        if (&p == &f || !p.IsInUse() || p.IsTaken()) continue;
        p.flags |= cFighter::kTaken;
        p.FlashIn();
        if (formDown) p.hp = 1;
    }
    RestoreScene();
    if (gPartySide.count > 0) --gPartySide.count;
    gPartySide.creatureInControl = 0;
    FreezeAll(0);
    SetControllerActive(true);
    f.Reset();
}
