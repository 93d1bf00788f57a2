// A fighter's reset, action bookkeeping, links and turn gauge.
#include "battle/Fighter.h"

#include <cstdio>

#include "platform/TextCodec.h"
#include "data/GameData.h"
#include "data/StatMath.h"
#include "battle/BattleLogSink.h"
#include "battle/BattleSpriteSink.h"
#include "battle/DrawList.h"
#include "battle/FighterAct.h"

i32 CommandActionState(i32 command, i32 attackKind) {
    static constexpr i32 kStates[13] = {0, 7, 8, 10, 11, 12, 13, 14, 15, 17, 18, 19, 20};
    if (command < 1 || command > 12) return 0;
    if (command == kCmdAttack && attackKind == 2) return 9;
    return kStates[command];
}

FighterControllerLink gFighterController;
i32 gDevCaptureAlways = 0;
i32 gDevFighterDisplay = 0;

cFighter::cFighter() {
    drawFn = &cFighter::DrawSprite;
}

void cFighter::Reset() {
    *this = cFighter{};
    status = ~0u;
}

void cFighter::Update() {
    StepEffects();
    RunFighterState(*this);
    if (!IsTaken()) return;
    gDrawList.AddSprite(this);
    gDrawList.AddSoundCue(this);
}

i32 cFighter::MonsterDx() const {
    return IsEnemy() ? GetMonsterOffset(static_cast<i32>(pic)).dx : 0;
}

i32 cFighter::MonsterDy() const {
    return IsEnemy() ? GetMonsterOffset(static_cast<i32>(pic)).dy : 0;
}

i32 cFighter::HitPointX() const {
    return x - 8 * static_cast<i32>(anim.cellW) - anim.xOff + anim.hitX;
}

i32 cFighter::HitPointY() const {
    return y - 8 * static_cast<i32>(anim.cellH) - anim.yOff + anim.hitY;
}

void ResetFighterGlobals() {
    gFighterController = FighterControllerLink{};
    gDevCaptureAlways = 0;
    gDevFighterDisplay = 0;
}

void cFighter::SetAction(i32 state, i32 newStep, i32 newSubStep) {
    action = state;
    step = newStep;
    subStep = newSubStep;
}

void cFighter::SaveAction() {
    savedAction = action;
    savedStep = step;
    savedSubStep = subStep;
}

void cFighter::RestoreAction() {
    SetAction(savedAction, savedStep, savedSubStep);
}

void cFighter::StartGlow() {
    glowOn = 1;
    glowLevel = 31;
    glowStep = -3;
}

void cFighter::StartBlink() {
    blinkOn = 1;
    blinkWord = 0;
}

void cFighter::ReleaseTargets() {
    for (cFighter*& t : targets) {
        if (!t) continue;
        t->attackedBy = nullptr;
        t = nullptr;
    }
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

void cFighter::Log(const char* fmtUtf8) const {
    char name[33];
    stats.CopyName(name);
    char line[160];
    std::snprintf(line, sizeof(line), B5(fmtUtf8), name);
    AddBattleLogLine(line);
}
