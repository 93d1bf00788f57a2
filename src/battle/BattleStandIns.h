// What the fighters, the two sides, the controller and the battle-end screens
// do for the battle frame, as far as the frame needs it. The sides are empty,
// the controller does nothing and the battle-end screens are done at once;
// the state below lets a battle be decided before the fighters exist.
#pragma once
#include "base/Types.h"

struct BattleStandInState {
    bool enemiesInUse = false;  // an enemy still stands
    bool partyFled = false;     // the party side's flee flag
    bool partyAllDown = false;  // every party fighter is down
    u32 endOutcome = 0;         // what the battle-end object was told
    i32 endSteps = 0;           // how often it was stepped
};
extern BattleStandInState gBattleStandIn;

// Fighters.
void InitShuffleTable();
void MonsterPictureOffset(u32 monster, i32* dx, i32* dy);

// Sides.
void SetUpBattleSides();
void UpdateBattleSides();
void FreezeBattleSides(bool frozen);
bool BattleSidesEmpty();  // no enemy in use
bool BattlePartyFled();
bool BattlePartyAllDown();
void EndBattleTransformation();  // the creature in control goes back
void DimBattleBystanders();
// Writes each party fighter's HP, MP and lasting status back and resets its slot.
void ReleaseBattleParty();
void KillBattleEnemies();      // developer key F1
void RaiseBattlePartyLevel();  // developer key F3

// Controller.
void ResetBattleController();
void UpdateBattleController();
void DrawBattleController();

// Battle end.
void ResetBattleEnd();
void SetBattleEndOutcome(u32 outcome);
bool BattleEndDone();  // steps the end screens; true once they are finished
void DrawBattleEnd();

void ResetBattleStandIns();
