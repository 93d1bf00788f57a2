// The battle controller, auto battle, confused fighters and the action pickers.
#include "battle/BattleController.h"

#include <utility>

#include "platform/TextCodec.h"
#include "data/Config.h"
#include "data/GameData.h"
#include "data/KeyBindings.h"
#include "battle/BattleKeys.h"
#include "battle/BattleLogSink.h"
#include "battle/BattleMath.h"
#include "battle/BattleRandom.h"
#include "battle/FighterDraw.h"
#include "battle/HitRules.h"

cBattleController gBattleController;

namespace {
constexpr i32 kFleeBelowPercent = 15;
constexpr i32 kHealBelowBase = 25;
constexpr i32 kMaxFailures = 3;

// Row 1 for a close fighter, any row for a ranged one.
i32 AttackRow(const cFighter& f) {
    return f.attackKind == 2 ? 0 : 1;
}

// The first fighter of a side that can act and is confused attacks at random.
void ConfusedTurn(cBattleSide& own, cBattleSide& other, bool payCost) {
    for (i32 i = 0; i < own.count; ++i) {
        cFighter& f = own.fighters[i];
        if (!f.CanAct() || !f.IsConfused()) continue;
        if (ConfusedAttack(f, own, other, payCost)) return;
    }
}
}  // namespace

i64 HpPercent(const cFighter& f) {
    const i64 max = f.maxHp == 0 ? 1 : f.maxHp;
    return SatMul(f.hp, 100) / max;
}

void PayOfferingCost(cFighter& f) {
    if (!f.IsAdded() || !f.stats.Monster()) return;
    auto* m = static_cast<MonsterData*>(f.stats.Head());
    m->offerValue = Sat32(SatAdd(m->offerValue, -static_cast<i64>(m->actionCost)));
}

void LinkTarget(cFighter& f, cFighter& target) {
    for (cFighter*& t : f.targets) t = nullptr;
    target.attackedBy = &f;
    f.targets[0] = &target;
}

bool ConfusedAttack(cFighter& f, cBattleSide& own, cBattleSide& other, bool payCost) {
    // Only a draw of itself is drawn again; an empty pick ends this fighter's try.
    cFighter* target = &f;
    for (int tries = 0; tries < kPickTries && target == &f; ++tries) {
        if (BattleRandom(3) == 1)
            target = own.PickRandomTarget(0);
        else
            target = other.PickRandomTarget(AttackRow(f));
    }
    if (!target || target == &f) return false;
    if (payCost) PayOfferingCost(f);
    LinkTarget(f, *target);
    f.command = kCmdAttack;
    return true;
}

// ---- The action picker. ----

void cActionPicker::Reset(cBattleSide* own, cBattleSide* other) {
    *this = cActionPicker{};
    own_ = own;
    other_ = other;
}

i32 cActionPicker::SlotOf(const cFighter* f) const {
    if (!f || !own_ || f < own_->fighters || f >= own_->fighters + kSideSlots) return -1;
    return static_cast<i32>(f - own_->fighters);
}

void cActionPicker::Prepare(cFighter* f) {
    current_ = f;
    const i32 slot = SlotOf(f);
    if (slot < 0) return;
    previous_[slot] = command_[slot];
    command_[slot] = kPickNone;
    failures_ = 0;
    skill_ = nullptr;
}

void cActionPicker::Step() {
    if (!own_ || !other_ || own_->FindPending() || other_->FindPending()) return;
    if (!current_) {
        Prepare(own_->NextReady(nullptr));
        return;
    }
    const i32 slot = SlotOf(current_);
    if (slot < 0 || !current_->IsReady()) {
        Prepare(own_->NextReady(slot < 0 ? nullptr : current_));
        return;
    }
    cFighter& f = *current_;
    if (failures_ >= kMaxFailures) {
        previous_[slot] = command_[slot];
        command_[slot] = kPickNone;
        failures_ = 0;
    }
    if (command_[slot] == kPickNone) command_[slot] = Choose(f, slot);
    CarryOut(f, slot);
}

i32 cActionPicker::Choose(cFighter& f, i32 slot) {
    if (f.IsPartySide()) return kPickAttack;
    if (previous_[slot] != kPickFlee && BattleRandom(3) == 1 && HpPercent(f) < kFleeBelowPercent &&
        f.stats.Kind() == 0)
        return kPickFlee;
    const MonsterData* m = f.stats.Monster();
    const i32 chance = m ? m->specialChance : 0;
    if (previous_[slot] != kPickSpecial && !f.IsSpellBanned() &&
        static_cast<i64>(BattleRandom(100)) < chance)
        return kPickSpecial;
    return kPickAttack;
}

void cActionPicker::CarryOut(cFighter& f, i32 slot) {
    switch (command_[slot]) {
        case kPickSpecial:
            if (f.IsPartySide() || !TrySpecials(f))
                ++failures_;
            else
                current_ = nullptr;
            break;
        case kPickFlee:
            f.command = kCmdFlee;
            current_ = nullptr;
            break;
        default:
            Attack(f);
            break;
    }
}

// The healing special when HP runs low, else the five specials from a random start.
bool cActionPicker::TrySpecials(cFighter& f) {
    const i64 healBelow = BattleRandom(25) + kHealBelowBase;
    MonsterSkill& heal = f.healSpecial;
    if (HpPercent(f) < healBelow && heal.skill != 0 && heal.uses != 0 && TrySkill(heal.skill)) {
        --heal.uses;
        return true;
    }
    const u32 start = BattleRandom(5);
    for (u32 k = 0; k < 5; ++k) {
        MonsterSkill& s = f.specials[(start + k) % 5];
        if (s.skill == 0 || s.uses == 0) continue;
        if (TrySkill(s.skill)) {
            --s.uses;
            return true;
        }
    }
    return false;
}

void cActionPicker::Attack(cFighter& f) {
    const i32 row = AttackRow(f);
    cFighter* target =
        targeting_ == 1 ? other_->PickWeakestTarget(row) : other_->PickRandomTarget(row);
    if (!target) {
        ++failures_;
        return;
    }
    PayOfferingCost(f);
    LinkTarget(f, *target);
    f.command = kCmdAttack;
    current_ = nullptr;
}

// Every taken, living fighter of the side becomes one of f's targets.
bool cActionPicker::LinkAll(cFighter& f, cBattleSide& side) {
    for (cFighter*& t : f.targets) t = nullptr;
    int n = 0;
    for (i32 i = 0; i < side.count && n < kFighterTargets; ++i) {
        cFighter& t = side.fighters[i];
        if (!t.IsTaken() || !t.IsAlive()) continue;
        t.attackedBy = &f;
        f.targets[n++] = &t;
    }
    return n > 0;
}

i32 cActionPicker::TrySkill(i32 id) {
    if (!current_ || !own_ || !other_) return 0;
    cFighter& f = *current_;
    const SkillData* sk = GetSkillRecord(id);
    if (!sk) return 0;
    if (f.IsSpellBanned() && sk->category != kCombatCategory && sk->category != kMedicCategory)
        return 0;
    i32 command = kCmdMagic;
    switch (sk->target) {
        case kTargetOneAlly:
        case kTargetOneFoe: {
            const bool foe = sk->target == kTargetOneFoe;
            cFighter* t = foe ? other_->PickRandomTarget(sk->category == kCombatCategory ? 1 : 0)
                              : own_->PickWeakestTarget(0);
            if (!t) return 0;
            LinkTarget(f, *t);
            if (foe && sk->category == kCombatCategory) command = kCmdSkillStrike;
            break;
        }
        case kTargetAllAllies:
        case kTargetAllFoes:
            if (!LinkAll(f, sk->target == kTargetAllAllies ? *own_ : *other_)) return 0;
            break;
        default:
            return 0;
    }
    skill_ = sk;
    f.skillInUse = sk;
    f.command = command;
    return 1;
}

// ---- The controller. ----

void cBattleController::Reset() {
    gFighterController.setActive = [](bool on) { gBattleController.active = on ? 1 : 0; };
    gDevCaptureChance = &CaptureChance;
    active = 1;
    autoBattle = 0;
    menu.Reset();
    partyPicker.Reset(&gPartySide, &gEnemySide);
    enemyPicker.Reset(&gEnemySide, &gPartySide);
}

void cBattleController::AutoBattleOff() {
    if (cFighter* f = partyPicker.Current()) {
        f->StartGlow();
        menu.SetCurrent(f);
    }
    partyPicker.SetCurrent(nullptr);
    autoBattle = 0;
    gBattleCursor.SetLook(kCursorLookAct, 0);
    AddBattleLogLine(B5("取消自動戰鬥..."));
}

void cBattleController::AutoBattleOn() {
    cFighter* f = menu.Current();
    if (f) f->StopGlow();
    menu.Reset();
    partyPicker.SetCurrent(f);
    autoBattle = 1;
    gPartySide.ClearOrdered();
    gBattleCursor.SetLook(kCursorAutoAct, 0);
    AddBattleLogLine(B5("使用自動戰鬥..."));
}

void cBattleController::Update() {
    if (!active) return;
    if (!AnySidePending()) ConfusedTurn(gPartySide, gEnemySide, true);
    if (autoBattle) {
        partyPicker.Step();
        if (BattleKeyPressed(kKeyAutoAttack)) AutoBattleOff();
    } else {
        menu.Input();
        if (!menu.Chosen() && BattleKeyPressed(kKeyAutoAttack)) AutoBattleOn();
    }
    if (gRealTimeBattle != 1 && menu.Current()) return;
    if (AnySidePending()) return;
    ConfusedTurn(gEnemySide, gPartySide, false);
    enemyPicker.Step();
}

void cBattleController::Draw() {
    if (!active) return;
    DrawBars();
    if (!autoBattle) menu.Draw();
    gBattleCursor.Draw();
}

void cBattleController::DrawBars() {
    cFighter* shown[2 * kSideSlots];
    int n = 0;
    for (i32 i = 0; i < gPartySide.count; ++i) {
        cFighter& f = gPartySide.fighters[i];
        if (f.IsTaken() && !(f.flashOn && f.flashCounter == 0)) shown[n++] = &f;
    }
    if (!gEnemySide.FindPending()) {
        for (i32 i = 0; i < gEnemySide.count; ++i) {
            cFighter& f = gEnemySide.fighters[i];
            if (f.IsInUse() && f.IsAlive()) shown[n++] = &f;
        }
    }
    for (int i = 0; i < n; ++i)
        for (int j = i + 1; j < n; ++j)
            if (shown[i]->z > shown[j]->z) std::swap(shown[i], shown[j]);
    for (int i = 0; i < n; ++i) {
        if (shown[i]->IsEnemy())
            DrawEnemyPanel(*shown[i]);
        else
            DrawPartyPanel(*shown[i]);
    }
}

void ResetBattleController() {
    gBattleController = cBattleController{};
}
