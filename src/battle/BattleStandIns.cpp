// The empty sides, idle controller and finished battle-end screens.
#include "battle/BattleStandIns.h"

BattleStandInState gBattleStandIn;

void InitShuffleTable() {}

void MonsterPictureOffset(u32, i32* dx, i32* dy) {
    *dx = *dy = 0;
}

void SetUpBattleSides() {}
void UpdateBattleSides() {}
void FreezeBattleSides(bool) {}

bool BattleSidesEmpty() {
    return !gBattleStandIn.enemiesInUse;
}

bool BattlePartyFled() {
    return gBattleStandIn.partyFled;
}

bool BattlePartyAllDown() {
    return gBattleStandIn.partyAllDown;
}

void EndBattleTransformation() {}
void DimBattleBystanders() {}
void ReleaseBattleParty() {}

void KillBattleEnemies() {
    gBattleStandIn.enemiesInUse = false;
}

void RaiseBattlePartyLevel() {}

void ResetBattleController() {}
void UpdateBattleController() {}
void DrawBattleController() {}

void ResetBattleEnd() {
    gBattleStandIn.endOutcome = 0;
    gBattleStandIn.endSteps = 0;
}

void SetBattleEndOutcome(u32 outcome) {
    gBattleStandIn.endOutcome = outcome;
}

bool BattleEndDone() {
    ++gBattleStandIn.endSteps;
    return true;
}

void DrawBattleEnd() {}

void ResetBattleStandIns() {
    gBattleStandIn = BattleStandInState{};
}
