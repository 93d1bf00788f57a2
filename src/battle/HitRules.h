// The battle's hit and damage rules: critical, evasion, hit, magic and item hit,
// counter, theft, capture and flee rolls; physical, air-raid, throw and poison
// damage; skill and item effects; losses with their numbers; defeat bookkeeping.
#pragma once
#include "base/Types.h"
#include "data/Records.h"
#include "battle/BattleSpriteSink.h"
#include "battle/Fighter.h"

class cBattleSide;

// What an effect takes: a negative loss is a gain.
struct Loss {
    i32 hp = 0;
    i32 mp = 0;
    // The target's moon shield halved magic or a percentage loss, its star
    // shield a physical skill's; its sun shield sent part of the loss back.
    bool moonHalved = false;
    bool starHalved = false;
    bool sunReflected = false;
};

// The variation -13..13 and the critical factor 45..85.
i32 RollVariation();
i32 RollCriticalFactor();

bool RollCritical(const cFighter& attacker);
// True when the target evades the blow; moves its evasion rate.
bool RollEvade(cFighter& target, const cFighter& attacker);
// True for a clean hit, false for a glancing blow; moves the hit rate.
bool RollPhysicalHit(cFighter& attacker);
// True when the skill or item reaches the target; moves its magic evasion rate.
bool RollMagicHit(cFighter& target, const cFighter& caster, const SkillData& skill);
bool RollItemHit(cFighter& target, const cFighter& user, const ItemData& item);
// True when the defender strikes back after a close blow.
bool RollCounter(const cFighter& defender, const cFighter* attacker);
// 1 stolen, -1 missed, 0 nothing left to steal.
i32 RollTheft(cFighter& target, const cFighter& thief);
// The capture chance before the counter is added (unhalved).
i32 CaptureChance(const cFighter& target);
bool RollCapture(cFighter& target, const cFighter& capturer);
bool RollFlee(cFighter& f, const cBattleSide& otherSide);

// The attacker's attack with blessing, weakness and power-up.
i32 EffectiveAttack(const cFighter& attacker);
// The target's defence as the attacker's blessing or weakness sees it.
i32 EffectiveDefence(const cFighter& target, const cFighter& attacker);
i32 PhysicalDamage(cFighter& target, const cFighter& attacker, bool critical, bool onHit);
// The counter-attack's blow: physical damage without on-hit codes, halved, at least 1.
i32 CounterDamage(cFighter& target, const cFighter& attacker);
i32 AirRaidDamage(const cFighter& target, const cFighter& attacker);
i32 ThrowDamage(const cFighter& target, const cFighter& thrower, const EquipageData* piece);
// The poison damage of one turn (an enemy that is not an ordinary monster takes half).
i32 PoisonDamage(const cFighter& f);
i32 PoisonTurnDamage(const cFighter& f);

// The skill's HP and MP losses alone; ApplySkill also applies its effect code
// and its power-up special.
Loss SkillLoss(const cFighter& target, const cFighter& caster, const SkillData& skill);
Loss ApplySkill(cFighter& target, const cFighter& caster, const SkillData& skill);
Loss ApplyItem(cFighter& target, const ItemData& item);
// An offensive skill's special on one target's loss; reflected gathers what a
// sun shield sends back at the caster.
void ApplySkillSpecial(cFighter& caster, cFighter& target, const SkillData& skill, Loss& loss,
                       i32& reflected);
// Whether an offensive skill shows its HP and MP numbers.
bool SkillShowsHp(const SkillData& skill);
bool SkillShowsMp(const SkillData& skill);

// Takes the losses (HP and MP kept in 0..max), records them and shows the numbers
// that are not 0 where allowed.
void ApplyLosses(cFighter& target, Loss loss, bool showHp = true, bool showMp = true);
// A damage or gain number over the fighter ("-n" for a loss, "+n" for a gain).
void ShowLossNumber(const cFighter& f, FloatKind kind, i32 loss);
void ShowMiss(const cFighter& f);

// Stolen items and captured monsters join the owned ones, each count kept
// within 0..99; false when the number names no record.
bool GainStolenItem(i32 item);
bool GainCapturedMonster(i32 monster);

// A fighter leaves the fight: the front count, rows and the living count of its side.
void LeaveFight(cFighter& f, cBattleSide& side);
// Rewards of an enemy that leaves: 0 fled (nothing), 1 defeated, 2 captured.
void GiveEnemyRewards(const cFighter& enemy, i32 how);
