// The tick of every fighter, the fighter's state dispatch, and the waiting,
// fallen, poison, dodge, hit, counter, defend and level-up states.
#include <cstdio>
#include <cstring>

#include "platform/TextCodec.h"
#include "sound/Music.h"
#include "data/Config.h"
#include "data/GameData.h"
#include "battle/BattleLogSink.h"
#include "battle/BattleMath.h"
#include "battle/BattleRandom.h"
#include "battle/BattleScene.h"
#include "battle/DrawList.h"
#include "battle/FighterAct.h"
#include "battle/HitRules.h"
#include "battle/SpritePools.h"

namespace {

constexpr i32 kPoisonSide = 24;
constexpr i32 kBossMusicList = 3;
constexpr i32 kLevelUpHold = 30;

// Direction of the fighter's back: +1 for facing 4 (the party looks left).
i32 BackSign(const cFighter& f) {
    return f.facing == 4 ? 1 : -1;
}

void SettleRevivedRow(cFighter& f) {
    cBattleSide& side = gPartySide;
    if (f.homeRow == 1) {
        side.frontCount = 0;
        for (int i = 0; i < side.count; ++i) {
            cFighter& o = side.fighters[i];
            if (!o.IsTaken() || !o.IsAlive()) continue;
            o.row = o.homeRow;
            if (o.row == 1) ++side.frontCount;
        }
        return;
    }
    bool backInFront = false;
    for (int i = 0; i < side.count; ++i) {
        const cFighter& o = side.fighters[i];
        if (&o != &f && o.IsTaken() && o.IsAlive() && o.homeRow == 2 && o.row == 1)
            backInFront = true;
    }
    f.row = backInFront ? 1 : 2;
    if (f.row == 1) ++side.frontCount;
}

bool AnyPending(cBattleSide& side) {
    return side.FindPending() != nullptr;
}

void StartCommand(cFighter& f) {
    const i32 state = CommandActionState(f.command, f.attackKind);
    if (state == 0) {
        f.command = kCmdNone;
        return;
    }
    f.defending = 0;
    gPartySide.SetFrozen(1);
    gEnemySide.SetFrozen(1);
    f.SetAction(state, 0, 0);
}

// Step 0 of waiting: the ready pose and the bookkeeping of the action just played.
void WaitStart(cFighter& f) {
    StartBody(f, {kActReady, kActStand});
    f.facing = HomeFacing(f);
    if (f.gauge == kGaugeFull) {
        const i32 agility = f.stats.Agility();
        f.gauge = agility < 0 ? 0 : (agility > kGaugeFull ? kGaugeFull : agility);
        f.gaugeDelay = 0;
    }
    f.step = 1;
    if (f.IsAdded() && f.stats.OfferValue() < f.stats.ActionCost()) {
        f.Log("神魔%s供奉值不足,解除變身...!");
        f.ReleaseTargets();
        f.command = kCmdEndTransform;
        f.SetAction(kStateEndTransform, 0, 0);
        return;
    }
    if (!f.HasCommand()) return;
    f.command = kCmdNone;
    f.ReleaseTargets();
    gPartySide.SetFrozen(0);
    gEnemySide.SetFrozen(0);
    if (f.powerUp > 0) --f.powerUp;
    if (!f.IsPoisoned()) return;
    f.SaveAction();
    f.SetAction(kStatePoison, 0, 0);
}

void WaitStep(cFighter& f) {
    f.StepAnim();
    // The link to an attacker that is back home (or gone) is let go.
    cFighter* by = f.attackedBy;
    if (by && (by->IsIdle() || !by->IsAlive())) f.attackedBy = by = nullptr;
    if (f.hp <= 0 || f.IsDying()) {
        if (by) return;
        FallDown(f);
        return;
    }
    if (f.HasCommand()) {
        if (AnyPending(f.IsPartySide() ? gEnemySide : gPartySide)) return;
        StartCommand(f);
        return;
    }
    if (f.gauge < kGaugeFull) f.StepGauge(gRealTimeBattle != 0);
}

void Waiting(cFighter& f) {
    if (f.hp > 0) StandAtHome(f);
    if (f.step == 0)
        WaitStart(f);
    else
        WaitStep(f);
}

void BossFall(cFighter& f) {
    if (f.step == 0) {
        // The scene shakes as the fall begins. Its length is a choice: 16 ticks,
        // the count the fall later waits before its last animation.
        gBattleScene.Shake(16);
        f.StartShake(2, 2);
        for (int i = 0; i < gPartySide.count; ++i)
            if (gPartySide.fighters[i].IsTaken()) gPartySide.fighters[i].StartShake(2, 2);
        gMusic.ClearList(kBossMusicList);
        gMusic.SetMode(3, 2, 50);
        f.SetAction(kStateFallen, 1, 0);
        return;
    }
    f.StepAnim();
    if (f.subStep == 0) {
        if (gMusic.IsFinished()) f.subStep = 1, f.tick = 0;
    } else if (f.subStep == 1) {
        if (++f.tick >= 16) {
            f.blowAnim = SpawnHitAnim(&f, kAnimFallBoss, 1, f.x, f.HitPointY(), f.z, kClassFront);
            f.subStep = 2;
        }
    } else {
        if (AnimEvent(f, f.blowAnim, 0x4)) f.FlashOut();
        if (AnimEvent(f, f.blowAnim, 0x1) || AnimGone(f, f.blowAnim)) f.Reset();
    }
}

void EnemyFall(cFighter& f) {
    if (f.step == 0) {
        StartBody(f, {kActReady, kActStand});
        f.FlashOut();
        SpawnHitAnim(&f, kAnimEnemyFall, 0, f.x, f.HitPointY(), f.z, kClassOrdinary);
        f.step = 1;
        return;
    }
    f.StepAnim();
    if (f.flashCounter == 0) f.Reset();
}

void PartyFall(cFighter& f) {
    if (f.step == 0) {
        f.Log("%s傷重瀕死...!");
        StartBody(f, {kActFallen, kActHurt});
        f.drawClass = kClassBack;
        f.step = 1;
        return;
    }
    f.StepAnim();
    if (!f.IsAlive()) return;
    f.SetAction(kStateWaiting, 0, 0);
    f.drawClass = kClassOrdinary;
    ++gPartySide.memberCount;
    SettleRevivedRow(f);
}

void Fallen(cFighter& f) {
    if (f.IsMonster222())
        BossFall(f);
    else if (f.IsEnemy())
        EnemyFall(f);
    else
        PartyFall(f);
}

void Poison(cFighter& f) {
    if (f.step == 0) {
        StartBody(f, {kActHurt, kActReady});
        const i32 damage = PoisonTurnDamage(f);
        TakeHp(f, damage);
        ShowLossNumber(f, kFloatHp, damage);
        f.step = 1;
        return;
    }
    if (f.StepAnim()) f.RestoreAction();
}

// Back from a reaction: to the start point, the saved action, home when waiting.
void EndReaction(cFighter& f) {
    f.x = f.move.startX;
    f.y = f.move.startY;
    f.z = f.move.startZ;
    f.RestoreAction();
    if (f.action == kStateWaiting) StandAtHome(f);
}

void Dodge(cFighter& f) {
    if (f.step == 0) {
        StartBody(f, {kActCast, kActReady});
        const i32 s = BackSign(f);
        f.MoveTo(f.x + 50 * s, f.y, f.z + 27 * s);
        AttachAfterImage(&f, 0x100007, 5);
        f.step = 1;
        return;
    }
    f.StepAnim();
    if (!f.StepMove(7)) return;
    DetachAfterImage(&f);
    EndReaction(f);
}

void Hit(cFighter& f) {
    if (f.step == 0) {
        const i32 s = BackSign(f);
        if (f.defending) {
            StartBody(f, {kActCast, kActReady});
            f.StartShake(0, 1);
            SpawnAtFighter(f, f, kAnimGuard);
            f.MoveTo(f.x + 10 * s, f.y, f.z + 5 * s);
        } else {
            StartBody(f, {kActHurt, kActReady});
            f.StartShake(2, 1);
            SpawnAtFighter(f, f, kAnimHurt);
            f.MoveTo(f.x + 20 * s, f.y, f.z + 11 * s);
        }
        f.step = 1;
        return;
    }
    f.StepMove(4);
    if (!f.StepAnim()) return;
    f.StartShake(0, 0);
    EndReaction(f);
}

// One blow of a counter-attack on the countered fighter.
void CounterBlow(cFighter& f, cFighter& c) {
    if (c.action == kStateCloseAttack) c.SaveAction();
    const bool lands = f.blows > 0 || !RollEvade(c, f);
    if (!lands) {
        ShowMiss(c);
        EnterReaction(c, kStateDodge);
        return;
    }
    if (!f.blowAnim) f.blowAnim = SpawnHitEffect(f, c);
    ++f.blows;
    const i32 damage = CounterDamage(c, f);
    TakeHp(c, damage);
    c.lastHpDamage = damage;
    ShowLossNumber(c, kFloatHp, damage);
    if (c.HasStarShield()) StarShieldHolds(f, c);
    EnterReaction(c, kStateHit);
}

void Counter(cFighter& f) {
    cFighter* c = f.countered;
    if (f.step == 0) {
        StartBody(f, {kActAttack, kActReady});
        f.blows = f.spellHits = 0;
        f.blowAnim = nullptr;
        f.step = 1;
        return;
    }
    const bool ended = f.StepAnim();
    if (c && c->IsTaken() && f.TakeEvent(0x1)) CounterBlow(f, *c);
    if (c && c->IsTaken() && f.TakeEvent(0x4) && c->action == kStateCloseAttack) {
        if (f.blows == 0 && RollEvade(*c, f)) {
            EnterReaction(*c, kStateDodge);
        } else {
            ++f.blows;
            EnterReaction(*c, kStateHit);
        }
    }
    if (!ended || !AnimGone(f, f.blowAnim)) return;
    if (c) c->counterAttacker = nullptr;
    f.countered = nullptr;
    f.blowAnim = nullptr;
    f.RestoreAction();
}

void Defend(cFighter& f) {
    if (f.step == 0) {
        StartBody(f, {kActCast, kActReady});
        f.Log("防禦");
        f.effectAnim = SpawnAtFighter(f, f, kAnimGuard);
        f.step = 1;
        return;
    }
    f.StepAnim();
    if (!AnimGone(f, f.effectAnim)) return;
    f.effectAnim = nullptr;
    f.defending = 1;
    f.SetAction(kStateWaiting, 0, 0);
}

void LevelUp(cFighter& f) {
    if (f.step == 0) {
        StartBody(f, {kActAttack, kActSpecial});
        f.step = 1;
    } else if (f.step == 1) {
        if (!f.StepAnim()) return;
        StartBody(f, {kActSpecial, kActReady});
        f.tick = kLevelUpHold;
        f.step = 2;
    } else {
        f.StepAnim();
        if (--f.tick <= 0) f.RestoreAction();
    }
}

}  // namespace

void UpdateFighters() {
    for (cBattleSide* side : {&gPartySide, &gEnemySide})
        for (int i = 0; i < side->count; ++i)
            if (side->fighters[i].IsTaken()) side->fighters[i].Update();
}

void cFighter::Update() {
    StepEffects();
    RunFighterState(*this);
    if (!IsTaken()) return;
    gDrawList.AddSprite(this);
    gDrawList.AddSoundCue(this);
}

void RunFighterState(cFighter& f) {
    using Handler = void (*)(cFighter&);
    static constexpr Handler kHandlers[21] = {
        nullptr,        Waiting,      Fallen,         Poison,          Dodge,    Hit,
        Counter,        Defend,       RunCloseAttack, RunRangedAttack, RunMagic, RunAirRaid,
        RunTheft,       RunThrow,     RunFlee,        RunCapture,      LevelUp,  RunItem,
        RunSkillStrike, RunTransform, RunEndTransform};
    if (f.action < 1 || f.action > 20) return;
    kHandlers[f.action](f);
}
