// A fighter's status conditions: starts with their mutual clears, ends, cure,
// revive, the effect codes and the per-turn and per-use counter ticks; the turn
// gauge whose filling ends a turn with regeneration and those ticks.
#include "battle/Fighter.h"

#include <cstdio>

#include "data/StatMath.h"
#include "battle/BattleSpriteSink.h"

namespace {

struct StatusRule {
    u32 bit;
    const char* start;  // UTF-8, "%s" the fighter's name
    const char* end;
    i32 startCount;  // 0: no counter
    u32 clears;      // bits the start removes without their end lines
};

constexpr StatusRule kRules[] = {
    {kStSleep, "%s進入沉睡...", "%s的沉睡解除...", 0, kStHaste | kStSlow | kStParalysis},
    {kStHaste, "%s賦予快速...", "%s的快速狀態解除!", 5, kStSleep | kStSlow | kStParalysis},
    {kStSlow, "%s變遲緩了...", "%s的遲緩狀態解除!", 5, kStSleep | kStHaste | kStParalysis},
    {kStBlessing, "%s賦予祝福...", "%s的祝福狀態解除!", 3, kStWeakness},
    {kStWeakness, "%s變衰弱了...", "%s的衰弱狀態解除!", 5, kStBlessing},
    {kStStarShield, "%s賦予星星之盾...", "%s的星星之盾解除!", 3,
     kStMoonShield | kStSunShield | kStHolyBarrier},
    {kStMoonShield, "%s賦予月亮之盾...", "%s的月亮之盾解除!", 3,
     kStStarShield | kStSunShield | kStHolyBarrier},
    {kStSunShield, "%s賦予太陽之盾...", "%s的太陽之盾解除!", 3,
     kStStarShield | kStMoonShield | kStHolyBarrier},
    {kStHolyBarrier, "%s賦予神聖防壁...", "%s的神聖防壁解除!", 3,
     kStStarShield | kStMoonShield | kStSunShield},
    {kStSpellBan, "%s被禁咒了...", "%s的禁咒狀態解除!", 3, 0},
    {kStPoison, "%s中毒了...", "%s的中毒解除...", 0, 0},
    {kStConfusion, "%s進入混亂狀態...", "%s的混亂解除...", 0, 0},
    {kStParalysis, "%s被麻痺了...", "%s的麻痺解除...", 0, kStSleep | kStHaste | kStSlow},
    {kStBlindness, "%s變成盲目狀態...", "%s的盲目解除...", 0, 0},
};

const StatusRule* FindRule(u32 bit) {
    for (const StatusRule& r : kRules)
        if (r.bit == bit) return &r;
    return nullptr;
}

// Status bit for index k = 0..13 of the start and end code ranges.
u32 CodeBit(i32 k) {
    return 1u << k;
}

}  // namespace

i32* cFighter::StatusCounter(u32 bit) {
    switch (bit) {
        case kStHaste:
            return &hasteCount;
        case kStSlow:
            return &slowCount;
        case kStBlessing:
            return &blessingCount;
        case kStWeakness:
            return &weaknessCount;
        case kStStarShield:
            return &starCount;
        case kStMoonShield:
            return &moonCount;
        case kStSunShield:
            return &sunCount;
        case kStHolyBarrier:
            return &barrierCount;
        case kStSpellBan:
            return &banCount;
        default:
            return nullptr;
    }
}

void cFighter::StartStatus(u32 bit) {
    const StatusRule* rule = FindRule(bit);
    if (!rule) return;
    i32* counter = StatusCounter(bit);
    if (Has(bit)) {
        // A timed condition started again only renews its counter.
        if (counter) *counter = rule->startCount;
        return;
    }
    for (u32 other = 1; other <= kStBlindness; other <<= 1) {
        if (!(rule->clears & other)) continue;
        status &= ~other;
        if (i32* c = StatusCounter(other)) *c = 0;
    }
    status |= bit;
    if (counter) *counter = rule->startCount;
    if (bit == kStSleep || bit == kStParalysis) {
        gauge = 0;
        ordered = 0;
        // A fighter put to sleep by its own action keeps its command and targets
        // until that action ends.
        if (!IsActing()) {
            command = kCmdNone;
            ReleaseTargets();
        }
    }
    if (bit == kStConfusion) ordered = 0;
    Log(rule->start);
}

void cFighter::EndStatus(u32 bit) {
    const StatusRule* rule = FindRule(bit);
    if (!rule || !Has(bit)) return;
    status &= ~bit;
    if (i32* c = StatusCounter(bit)) *c = 0;
    Log(rule->end);
}

void cFighter::Revive() {
    if (!IsDying()) return;
    status = 0;
    hp = 1;
    Log("%s的瀕死解除...");
}

void cFighter::Cure() {
    if (status == 0 || status == kStDying) return;
    status &= ~kStatusCureMask;
    slowCount = 0;
    weaknessCount = 0;
    Log("%s恢復正常狀態...");
}

void cFighter::ApplyEffectCode(i32 code) {
    if (code == 1) {
        Cure();
    } else if (code >= 2 && code <= 15) {
        StartStatus(CodeBit(code - 2));
    } else if (code == 16) {
        hp = 0;
    } else if (code >= 17 && code <= 30) {
        EndStatus(CodeBit(code - 17));
    } else if (code == 31) {
        Revive();
    }
}

void cFighter::ApplyHitEffectCode(i32 code) {
    if (code >= 1 && code <= 30) ApplyEffectCode(code + 1);
}

void cFighter::TickStatus(u32 bit) {
    i32* counter = StatusCounter(bit);
    if (!counter || !Has(bit)) return;
    if (*counter > 0)
        --*counter;
    else
        EndStatus(bit);
}

void cFighter::TickStatusTurn() {
    EndSleep();
    EndParalysis();
    TickStatus(kStSlow);
    TickStatus(kStHaste);
    TickStatus(kStBlessing);
    TickStatus(kStWeakness);
    TickStatus(kStSpellBan);
}

bool cFighter::StepGauge(bool realTime) {
    if (gaugesFrozen) return false;
    if (gauge >= kGaugeFull) return true;
    if (gaugeDelay > 0) {
        --gaugeDelay;
        return false;
    }
    if (realTime) gaugeDelay = 2;
    i32 gain = 5;
    if (IsHasted())
        gain = 7;
    else if (IsSlowed())
        gain = 3;
    else if (IsParalysed())
        gain = 2;
    else if (IsAsleep())
        gain = 1;
    else if (IsDying())
        gain = 0;
    gauge = gauge < 0 ? gain : gauge + gain;
    if (gauge < kGaugeFull) return false;
    gauge = kGaugeFull;
    Regenerate();
    TickTimedMarks();
    TickStatusTurn();
    return true;
}

namespace {

// One resource's regeneration: percent of max plus the fixed amount, kept in 0..max.
i32 RegenGain(i32& value, i32 max, i32 percent, i32 fixed) {
    if (value >= max) return 0;
    const i64 want = Percent(max, percent) + fixed;
    i64 next = static_cast<i64>(value) + want;
    if (next > max) next = max;
    if (next < 0) next = 0;
    const i32 gain = static_cast<i32>(next - value);
    value = static_cast<i32>(next);
    return gain;
}

}  // namespace

void cFighter::Regenerate() {
    char text[24];
    if (hpRegen != 0 || hpRegenPercent != 0) {
        std::snprintf(text, sizeof(text), "+%d", RegenGain(hp, maxHp, hpRegenPercent, hpRegen));
        ShowFighterFloat(*this, kFloatHpRegen, text);
    }
    if (mpRegen != 0 || mpRegenPercent != 0) {
        std::snprintf(text, sizeof(text), "+%d", RegenGain(mp, maxMp, mpRegenPercent, mpRegen));
        ShowFighterFloat(*this, kFloatMpRegen, text);
    }
}

void cFighter::TickTimedMarks() {
    for (TimedMark& m : marks) {
        if (!m.on) continue;
        if (m.turnsLeft > 0)
            --m.turnsLeft;
        else
            m.on = 0;
    }
}
