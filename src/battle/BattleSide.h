// The two sides of a battle: sixteen fighter slots each, their set-up from the
// formation and from the battlefield's enemy slots, the added god/demon form,
// and the queries the controller, menus and fighters ask.
#pragma once
#include "base/Types.h"
#include "data/Records.h"
#include "battle/Fighter.h"

constexpr int kSideSlots = 16;
constexpr int kSetupPositions = 6;
constexpr int kLootEntries = 16;
constexpr u32 kNoMonster = 0xFFFFFFFF;

// A party position of the battlefield (x, height y, depth z).
struct FighterSpot {
    i32 x, y, z;
};
// An enemy slot of the battlefield.
struct EnemySpot {
    u32 monster;  // kNoMonster: empty
    u32 row;      // 0 front, otherwise back
    i32 x, y, z;
};

// Each set-up position's head start on the gauge; shuffled by every side reset.
extern i32 gGaugeHeadStart[kSetupPositions];

class cBattleSide {
public:
    void Reset();
    void SetupParty(const FighterSpot (&spots)[kSetupPositions]);
    void SetupEnemies(const EnemySpot (&spots)[kSetupPositions]);
    // Adds a god/demon form to the party side; null when every slot is used.
    cFighter* AddFighter(const MonsterData& record);

    void SetFrozen(i32 v);
    void DimBystanders(i32 n);
    void UndimBystanders();
    void FleeAll();
    void ClearOrdered();
    void ClearCommands();

    bool AllDown() const;
    bool NoneInUse() const;
    bool IsFleeing() const { return fleeFlag != 0; }
    bool AllGaugesFull() const;
    bool AllOrdered() const;
    cFighter* FindPending();
    cFighter* NextReady(const cFighter* from);
    cFighter* PrevReady(const cFighter* from);
    cFighter* FighterAt(i32 px, i32 py);
    cFighter* ReadyFighterAt(i32 px, i32 py);
    cFighter* PickRandomTarget(i32 wantRow);
    cFighter* PickWeakestTarget(i32 wantRow);
    i32 MaxAgility() const;
    i32 AverageLevel() const { return averageLevel; }
    i32 LowestLevel() const;
    // Slot i below count, else null.
    cFighter* At(i32 i) { return i >= 0 && i < count ? &fighters[i] : nullptr; }

    cFighter fighters[kSideSlots];
    i32 count = 0;
    i32 memberCount = 0;
    i32 frontCount = 0;
    i32 averageLevel = 0;
    i32 fleeFlag = 0;
    // Party side only.
    i32 creatureInControl = 0;
    MonsterData creature = {};
    // Enemy side only.
    i32 expTotal = 0;
    i32 goldTotal = 0;
    i32 drops[kLootEntries] = {};

private:
    bool Ready(i32 i) const;
    i32 SlotOf(const cFighter* f) const;
};

extern cBattleSide gPartySide;
extern cBattleSide gEnemySide;

// Clears both sides and the head starts (150, 120, 90, 60, 30, 0).
void ResetBattleSides();

// Both sides at once, as the battle frame and the fighters' states drive them.
// Sets up the party and the enemy side from the loaded battlefield.
void SetUpBattleSides();
// Fades the bystanders of both sides by 15 (neither attacked nor aiming); ends every fade.
void DimAllSides();
void UndimAllSides();
void FreezeBattleSides(bool frozen);
bool BattleSidesEmpty();  // no enemy in use
// A fighter of either side holds a pending command.
bool AnySidePending();
bool BattlePartyFled();
bool BattlePartyAllDown();
// The creature in control goes back (the last fighter of the party side).
void EndBattleTransformation();
