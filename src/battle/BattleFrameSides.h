// The battle frame's view of the two sides: set-up from the battlefield, the
// tick of every fighter, the end tests, the release, and the developer keys.
#pragma once
#include "base/Types.h"

void SetUpBattleSides();
void UpdateBattleSides();
void FreezeBattleSides(bool frozen);
bool BattleSidesEmpty();  // no enemy in use
bool BattlePartyFled();
bool BattlePartyAllDown();
// The creature in control goes back (the last fighter of the party side).
void EndBattleTransformation();
void DimBattleBystanders();
// Writes each party fighter's HP, MP and lasting status back and resets its slot.
void ReleaseBattleParty();
void KillBattleEnemies();      // developer key F1
void RaiseBattlePartyLevel();  // developer key F3
