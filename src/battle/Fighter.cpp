// A fighter's reset, action bookkeeping, links and log lines.
#include "battle/Fighter.h"

#include <cstdio>

#include "platform/TextCodec.h"
#include "data/StatMath.h"
#include "battle/BattleLogSink.h"

i32 CommandActionState(i32 command, i32 attackKind) {
    static constexpr i32 kStates[13] = {0, 7, 8, 10, 11, 12, 13, 14, 15, 17, 18, 19, 20};
    if (command < 1 || command > 12) return 0;
    if (command == kCmdAttack && attackKind == 2) return 9;
    return kStates[command];
}

FighterControllerLink gFighterController;
i32 gDevCaptureAlways = 0;

cFighter::cFighter() {
    drawFn = &cFighter::DrawSprite;
}

void cFighter::Reset() {
    *this = cFighter{};
    status = ~0u;
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
    gDevCaptureChance = nullptr;
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

void cFighter::Log(const char* fmtUtf8) const {
    char name[33];
    stats.CopyName(name);
    char line[160];
    std::snprintf(line, sizeof(line), B5(fmtUtf8), name);
    AddBattleLogLine(line);
}
