// The rolls and damage formulas of a fight, in 64-bit arithmetic clamped to
// 32 bits so that any record value is safe.
#include "battle/HitRules.h"

#include <cstdio>

#include "data/GameData.h"
#include "battle/BattleMath.h"
#include "battle/BattleRandom.h"
#include "battle/BattleSide.h"

namespace {

constexpr i32 kRateCap = 100;

// A failed roll raises a rate by step, up to 100 (a rate already above stays).
void Grow(i32& rate, i32 stepBy) {
    if (rate < kRateCap) rate = rate + stepBy > kRateCap ? kRateCap : rate + stepBy;
}

bool Roll(u32 n, i64 below) {
    return static_cast<i64>(BattleRandom(n)) < below;
}

i64 NonNegative(i64 v) {
    return v < 0 ? 0 : v;
}

i32 AtLeast1(i64 v) {
    return v < 1 ? 1 : Sat32(v);
}

// An enemy that is not an ordinary monster (a god/demon form) takes half.
bool IsSpecialEnemy(const cFighter& f) {
    return f.IsEnemy() && f.stats.Kind() != 0;
}

bool HasEffectCode(i32 code) {
    return code >= 1 && code <= 31;
}

// Back-row factors: a blow loses power from the back row only when struck in
// close combat, a physical skill whatever the caster's attack kind.
i64 RowFactors(i64 a, const cFighter& attacker, const cFighter& target, bool anyAttackKind) {
    if (attacker.row == 2 && (anyAttackKind || attacker.attackKind == 1)) a = SatMul(a, 656) / 1000;
    if (target.row == 2) a = SatMul(a, 591) / 1000;
    return a;
}

// A percent-mode amount: a gain of that percent of the maximum, or (negative)
// a loss of that percent of the current value, halved by the moon shield.
i32 PercentAmount(i32 amount, i32 max, i32 current, bool moonShield, bool* halved) {
    if (amount >= 1) return Sat32(SatMul(max, amount) / -100);
    if (amount == 0) return 0;
    i64 loss = SatMul(current, amount) / -100;
    if (moonShield) {
        loss /= 2;
        *halved = true;
    }
    return Sat32(loss);
}

i32 Negated(i32 v) {
    return Sat32(-static_cast<i64>(v));
}

i32 MagicLoss(const cFighter& target, const cFighter& caster, const SkillData& skill) {
    const i64 magic = caster.stats.Magic();
    const i64 bracket = NonNegative(magic - target.stats.Spirit() + 100);
    i64 v = SatMul(SatMul(bracket, magic), skill.power);
    i64 divisor = target.defending ? 2000 : 5000;
    if (skill.category == kSummonCategory) {
        const bool formOk = skill.formIndex >= 0 && skill.formIndex < kGodFormCount;
        v = SatMul(v, formOk ? gGodForms[skill.formIndex].attack : 0);
        divisor = target.defending ? 100000 : 300000;
    }
    const i32 ratio =
        skill.element >= 1 && skill.element <= 8 ? target.stats.Ratio(skill.element - 1) : 100;
    return Sat32(Pct(v / divisor, ratio));
}

i32 PhysicalSkillLoss(const cFighter& target, const cFighter& caster, const SkillData& skill) {
    i64 x = RowFactors(SatMul(skill.power, EffectiveAttack(caster)), caster, target, true);
    const i64 bracket =
        NonNegative(static_cast<i64>(caster.stats.Strength()) - target.stats.Stamina() + 100);
    return Sat32(SatMul(bracket, x) / (target.defending ? 30000 : 10000));
}

}  // namespace

i32 RollVariation() {
    return static_cast<i32>(BattleRandom(27)) - 13;
}

i32 RollCriticalFactor() {
    return static_cast<i32>(BattleRandom(41)) + 45;
}

bool RollCritical(const cFighter& attacker) {
    const i64 maxHp = attacker.maxHp == 0 ? 1 : attacker.maxHp;
    const i64 p = SafeDiv(SatMul(attacker.hp, 100), maxHp);
    if (p > 50) return BattleRandom(15) == 1;
    if (p < 21) return BattleRandom(3) == 1;
    return BattleRandom(7) == 1;
}

bool RollEvade(cFighter& target, const cFighter& attacker) {
    if (target.IsHelpless()) return false;
    i64 q = target.stats.Evasion();
    if (attacker.IsBlind()) q *= 2;
    if (target.IsBlind()) q /= 2;
    if (Roll(100, q)) {
        target.evasionRate = target.stats.Evasion();
        return true;
    }
    Grow(target.evasionRate, 10);
    return false;
}

bool RollPhysicalHit(cFighter& attacker) {
    i64 q = attacker.hitRate;
    if (attacker.IsBlind()) q /= 2;
    if (Roll(100, q)) {
        attacker.hitRate = attacker.stats.HitRate();
        return true;
    }
    Grow(attacker.hitRate, 10);
    return false;
}

namespace {

// The shared end of the magic and item rolls: evaded when the draw is at most q.
bool ResistRoll(cFighter& target, i64 q) {
    if (target.IsBlind()) q /= 2;
    if (static_cast<i64>(BattleRandom(100)) <= q) {
        target.magicEvasionRate = target.stats.Evasion();
        return false;
    }
    Grow(target.magicEvasionRate, 10);
    return true;
}

}  // namespace

bool RollMagicHit(cFighter& target, const cFighter& caster, const SkillData& skill) {
    if (skill.special == kSpecialGamble) return gShuffleTable.Next() >= 70;
    i64 q =
        static_cast<i64>(target.stats.Spirit()) - caster.stats.Magic() + target.magicEvasionRate;
    if (HasEffectCode(skill.statusEffect)) q += 60;
    return ResistRoll(target, q);
}

bool RollItemHit(cFighter& target, const cFighter& user, const ItemData& item) {
    if (target.IsAsleep() || target.IsConfused()) return true;
    i64 q = static_cast<i64>(target.stats.Spirit()) - user.stats.Magic() + target.magicEvasionRate;
    if (HasEffectCode(item.statusEffect)) q += 40;
    return ResistRoll(target, q);
}

bool RollCounter(const cFighter& defender, const cFighter* attacker) {
    if (!attacker || defender.hp <= 0 || defender.IsHelpless() || defender.attackKind != 1)
        return false;
    const i64 q =
        SafeDiv(SatMul(defender.stats.Agility(), 100), attacker->stats.Agility()) +
        SafeDiv(SatMul(static_cast<i64>(defender.maxHp) - defender.hp, 10), defender.maxHp);
    return BattleRandom(4) == 1 && Roll(100, q);
}

i32 RollTheft(cFighter& target, const cFighter& thief) {
    if (target.theftRate == 0) return 0;
    i64 q = target.theftRate;
    if (thief.IsBlind()) q /= 2;
    if (Roll(100, q) || target.IsHelpless()) {
        target.theftRate = 0;
        return 1;
    }
    Grow(target.theftRate, 15);
    return -1;
}

i32 CaptureChance(const cFighter& target) {
    const i64 hurt = static_cast<i64>(target.maxHp) - target.hp;
    const i64 v = SatMul(SatMul(hurt, target.stats.CaptureRate()), 133) / 100;
    return Sat32(SafeDiv(v, target.maxHp == 0 ? 1 : target.maxHp));
}

bool RollCapture(cFighter& target, const cFighter& capturer) {
    i64 q = CaptureChance(target);
    if (capturer.IsBlind()) q /= 2;
    if (gShuffleTable.Next() < static_cast<i64>(target.captureCounter) + q) {
        target.captureCounter = 0;
        return true;
    }
    Grow(target.captureCounter, 10);
    return false;
}

bool RollFlee(cFighter& f, const cBattleSide& otherSide) {
    if (f.stats.Agility() > otherSide.MaxAgility()) return true;
    if (static_cast<i64>(BattleRandom(100)) <= f.fleeRate) return true;
    AddSat(f.fleeRate, 30);
    return false;
}

i32 EffectiveAttack(const cFighter& attacker) {
    const i64 a0 = attacker.attack;
    i64 a = a0;
    if (attacker.IsBlessed()) a += Pct(a0, 20);
    if (attacker.IsWeakened()) a += Pct(a0, -20);
    if (attacker.powerUp > 0) a += Pct(a0, 50);
    return Sat32(a);
}

i32 EffectiveDefence(const cFighter& target, const cFighter& attacker) {
    const i64 d0 = target.defence;
    i64 d = d0;
    if (attacker.IsBlessed()) d += Pct(d0, 20);
    if (attacker.IsWeakened()) d += Pct(-d0, 20);
    return Sat32(d);
}

i32 PhysicalDamage(cFighter& target, const cFighter& attacker, bool critical, bool onHit) {
    if (onHit)
        for (i32 code : attacker.hitCodes)
            if (BattleRandom(5) == 1) target.ApplyHitEffectCode(code);
    const i64 a = RowFactors(EffectiveAttack(attacker), attacker, target, false);
    const i64 d = EffectiveDefence(target, attacker);
    i64 damage = SatMul(RollVariation() + 100, a - SatMul(d, 73) / 100) / 100;
    const i64 guard = target.defending ? 20 : 100;
    damage = SatMul(damage, critical ? RollCriticalFactor() + guard : guard) / 100;
    if (target.HasStarShield()) damage /= 2;
    if (damage <= 1) {
        damage = BattleRandom(2) + 2;
        if (critical) damage *= 2;
    }
    return Sat32(damage);
}

i32 CounterDamage(cFighter& target, const cFighter& attacker) {
    return AtLeast1(PhysicalDamage(target, attacker, false, false) / 2);
}

i32 AirRaidDamage(const cFighter& target, const cFighter& attacker) {
    const i64 a = EffectiveAttack(attacker);
    const i64 d = EffectiveDefence(target, attacker);
    const i64 up = SatMul(SatAdd(attacker.stats.Agility(), a), 133) / 100;
    const i64 down = SatMul(SatAdd(target.stats.Agility(), d), 66) / 100;
    return AtLeast1(SatMul(RollVariation() + 100, up - down) / 100);
}

i32 ThrowDamage(const cFighter& target, const cFighter& thrower, const EquipageData* piece) {
    i64 damage = SatAdd(thrower.stats.Strength(), piece ? piece->throwValue : 0);
    if (target.defending) damage /= 2;
    if (target.HasStarShield()) damage /= 2;
    return AtLeast1(damage);
}

i32 PoisonDamage(const cFighter& f) {
    i32 r = RollVariation();
    // An unlucky source cannot keep the redraw going for ever.
    for (int tries = 0; r < 0 && tries < 64; ++tries) r = RollVariation();
    if (r < 0) r = 0;
    const cFighterStats& s = f.stats;
    const i64 str = s.Strength(), sta = s.Stamina(), mag = s.Magic(), spi = s.Spirit(),
              agi = s.Agility();
    const i64 divisor = SatMul(sta + spi + agi + mag + str, 5);
    if (divisor == 0) return 0;
    const i64 top = SatMul(SatMul(str + mag + agi, f.maxHp), r + 100) / 100;
    return Sat32(Pct(SafeDiv(top, divisor), s.Ratio(kPoison)));
}

i32 PoisonTurnDamage(const cFighter& f) {
    const i32 damage = PoisonDamage(f);
    return IsSpecialEnemy(f) ? damage / 2 : damage;
}

Loss SkillLoss(const cFighter& target, const cFighter& caster, const SkillData& skill) {
    Loss loss;
    const bool moon = target.HasMoonShield();
    if (skill.effectMode == 1) {
        if (skill.hp != 0) loss.hp = Negated(skill.hp);
        if (skill.mp != 0) loss.mp = Negated(skill.mp);
        if (skill.power == 0) return loss;
        if (skill.category == kDivineCategory || skill.category == kSummonCategory) {
            loss.hp = MagicLoss(target, caster, skill);
            if (moon && (loss.hp > 0 || loss.mp > 0)) {
                if (loss.hp > 0) loss.hp /= 2;
                if (loss.mp > 0) loss.mp /= 2;
                loss.moonHalved = true;
            }
        } else if (skill.category == kCombatCategory) {
            loss.hp = PhysicalSkillLoss(target, caster, skill);
            // A physical skill is a blow: the star shield takes half and wears.
            if (target.HasStarShield() && loss.hp != 0) {
                loss.hp /= 2;
                loss.starHalved = true;
            }
        }
    } else if (skill.effectMode == 2) {
        loss.hp = PercentAmount(skill.hp, target.maxHp, target.hp, moon, &loss.moonHalved);
        loss.mp = PercentAmount(skill.mp, target.maxMp, target.mp, moon, &loss.moonHalved);
    }
    return loss;
}

Loss ApplySkill(cFighter& target, const cFighter& caster, const SkillData& skill) {
    target.ApplyEffectCode(skill.statusEffect);
    if (skill.special == kSpecialPowerUp) target.powerUp = 1;
    return SkillLoss(target, caster, skill);
}

Loss ApplyItem(cFighter& target, const ItemData& item) {
    target.ApplyEffectCode(item.statusEffect);
    Loss loss;
    if (item.effectMode == 1) {
        loss.hp = Negated(item.hp);
        loss.mp = Negated(item.mp);
    } else if (item.effectMode == 2) {
        loss.hp = Sat32(SatMul(target.maxHp, item.hp) / -100);
        loss.mp = Sat32(SatMul(target.maxMp, item.mp) / -100);
    }
    return loss;
}

namespace {

// The caster takes back what it drained, kept in 0..max, and shows it.
void DrainInto(cFighter& caster, i32& value, i32 max, i32 gain, FloatKind kind) {
    i64 next = SatAdd(value, gain);
    if (next > max) next = max;
    if (next < 0) next = 0;
    value = static_cast<i32>(next);
    ShowLossNumber(caster, kind, Negated(gain));
}

}  // namespace

void ApplySkillSpecial(cFighter& caster, cFighter& target, const SkillData& skill, Loss& loss,
                       i32& reflected) {
    switch (skill.special) {
        case kSpecialSelfDestruct:
            caster.hp = 0;
            if (IsSpecialEnemy(target)) loss.hp /= 2;
            return;
        case kSpecialHalfOnForms:
            if (IsSpecialEnemy(target)) loss.hp /= 2;
            return;
        case kSpecialDrainHp:
            DrainInto(caster, caster.hp, caster.maxHp, loss.hp, kFloatHp);
            return;
        case kSpecialDrainMp:
            DrainInto(caster, caster.mp, caster.maxMp, loss.mp, kFloatMp);
            return;
        case kSpecialGamble:
            return;
        default:
            break;
    }
    if (!target.HasSunShield()) return;
    target.Log("太陽之盾反彈部份的魔法...!");
    target.UseSunShield();
    loss.sunReflected = true;
    const i64 magnitude = loss.hp < 0 ? -static_cast<i64>(loss.hp) : loss.hp;
    AddSat(reflected, magnitude / 2);
    loss.hp /= 2;
}

bool SkillShowsHp(const SkillData& skill) {
    return skill.maxHp != 0 || skill.hp != 0 || skill.power != 0;
}

bool SkillShowsMp(const SkillData& skill) {
    return skill.maxMp != 0 || skill.mp != 0;
}

namespace {

i32 TakeLoss(i32 value, i32 max, i32 loss) {
    i64 next = static_cast<i64>(value) - loss;
    if (next > max) next = max;
    if (next < 0) next = 0;
    return static_cast<i32>(next);
}

}  // namespace

void ApplyLosses(cFighter& target, Loss loss, bool showHp, bool showMp) {
    target.hp = TakeLoss(target.hp, target.maxHp, loss.hp);
    target.lastHpDamage = loss.hp;
    target.mp = TakeLoss(target.mp, target.maxMp, loss.mp);
    target.lastMpDamage = loss.mp;
    if (showHp && loss.hp != 0) ShowLossNumber(target, kFloatHp, loss.hp);
    if (showMp && loss.mp != 0) ShowLossNumber(target, kFloatMp, loss.mp);
}

void ShowLossNumber(const cFighter& f, FloatKind kind, i32 loss) {
    char text[24];
    if (loss >= 1)
        std::snprintf(text, sizeof(text), "-%d", loss);
    else
        std::snprintf(text, sizeof(text), "+%lld", static_cast<long long>(-static_cast<i64>(loss)));
    ShowFighterFloat(f, kind, text);
}

void ShowMiss(const cFighter& f) {
    ShowFighterFloat(f, kFloatMiss, "Miss");
}

namespace {

bool GainOwned(i32* counts, i32 n) {
    if (!counts) return false;
    i32& c = counts[n];
    c = c < 0 ? 1 : (c >= kMaxOwned ? kMaxOwned : c + 1);
    return true;
}

}  // namespace

bool GainStolenItem(i32 item) {
    return GetItemRecord(item) && GainOwned(gOwnedItems, item);
}

bool GainCapturedMonster(i32 monster) {
    return GetMonsterRecord(monster) && GainOwned(gOwnedMonsters, monster);
}

void LeaveFight(cFighter& f, cBattleSide& side) {
    if (f.row == 1) {
        --side.frontCount;
        if (side.frontCount <= 0) {
            side.frontCount = 0;
            for (int i = 0; i < side.count; ++i) {
                cFighter& o = side.fighters[i];
                if (&o == &f || !o.IsTaken() || !o.IsAlive()) continue;
                o.row = 1;
                ++side.frontCount;
            }
        }
    }
    f.row = 0;
    --side.memberCount;
}

void GiveEnemyRewards(const cFighter& enemy, i32 how) {
    if (how != 1 && how != 2) return;
    const cFighterStats& s = enemy.stats;
    if (how == 1) {
        const i32 item = s.DropItem();
        // No roll for an item number without a record (-1 or past the table):
        // there is nothing to drop, and the draw is not taken from the rolls after it.
        if (s.DropChance() != 0 && GetItemRecord(item)) {
            const i64 q = SatAdd(
                s.DropChance(),
                SatMul(2, static_cast<i64>(gPartySide.AverageLevel()) - gEnemySide.AverageLevel()));
            if (static_cast<i64>(BattleRandom(100)) <= q)
                for (i32& d : gEnemySide.drops)
                    if (d == -1) {
                        d = item;
                        break;
                    }
        }
        AddSat(gEnemySide.goldTotal, s.Gold());
    }
    const i64 over = static_cast<i64>(s.Level()) - gPartySide.LowestLevel();
    i64 exp = SatAdd(s.ExpValue(), over > 0 ? over : 0);
    if (how == 2) exp /= 2;
    AddSat(gEnemySide.expTotal, exp < 1 ? 1 : exp);
}
