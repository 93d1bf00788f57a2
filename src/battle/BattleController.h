// Who gets a command and when: the battle controller with auto battle, the
// confused fighters' random attacks, and the action pickers of the party
// (auto battle) and of the enemies.
#pragma once
#include "base/Types.h"
#include "data/Records.h"
#include "battle/BattleMenu.h"
#include "battle/BattleSide.h"

// Picker command words of a slot.
enum PickerCommand : i32 { kPickNone = 0, kPickAttack = 1, kPickSpecial = 2, kPickFlee = 8 };

// A fighter's draws that keep yielding itself stop after this many for the tick.
constexpr int kPickTries = 16;

class cActionPicker {
public:
    void Reset(cBattleSide* own, cBattleSide* other);
    // One tick: picks the next ready fighter of its side, or gives the current one a command.
    void Step();
    // 1 when the skill was handed to the current fighter, else 0.
    i32 TrySkill(i32 id);

    void SetCurrent(cFighter* f) { current_ = f; }
    cFighter* Current() const { return current_; }
    i32 CommandOf(i32 slot) const { return InSide(slot) ? command_[slot] : 0; }
    i32 PreviousOf(i32 slot) const { return InSide(slot) ? previous_[slot] : 0; }
    i32 Failures() const { return failures_; }
    void SetTargetingMode(i32 mode) { targeting_ = mode; }

private:
    static bool InSide(i32 slot) { return slot >= 0 && slot < kSideSlots; }
    i32 SlotOf(const cFighter* f) const;
    void Prepare(cFighter* f);
    i32 Choose(cFighter& f, i32 slot);
    void CarryOut(cFighter& f, i32 slot);
    bool TrySpecials(cFighter& f);
    void Attack(cFighter& f);
    bool LinkAll(cFighter& f, cBattleSide& side);

    cBattleSide* own_ = nullptr;
    cBattleSide* other_ = nullptr;
    cFighter* current_ = nullptr;
    i32 command_[kSideSlots] = {};
    i32 previous_[kSideSlots] = {};
    i32 targeting_ = 0;  // 0 a random target, 1 the weakest
    i32 failures_ = 0;
    const SkillData* skill_ = nullptr;
};

class cBattleController {
public:
    void Reset();
    void Update();
    void Draw();
    void DrawBars();

    i32 active = 0;
    i32 autoBattle = 0;
    cCommandMenu menu;
    cActionPicker partyPicker;
    cActionPicker enemyPicker;

private:
    void AutoBattleOn();
    void AutoBattleOff();
};

extern cBattleController gBattleController;

// HP as a percentage of max HP (max HP 0 counts as 1).
i64 HpPercent(const cFighter& f);
// The added creature's price for acting: its offering value drops by its action cost.
void PayOfferingCost(cFighter& f);
// Points f at target and target back at f, as one-target commands do.
void LinkTarget(cFighter& f, cFighter& target);
// A confused fighter's random attack on its own side (one draw in three) or the
// other's; true when it found someone other than itself.
bool ConfusedAttack(cFighter& f, cBattleSide& own, cBattleSide& other, bool payCost);

void ResetBattleController();
