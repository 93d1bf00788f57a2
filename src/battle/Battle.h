// Battle mode's entry: the battle object gBattle with its five phases, and
// what the rest of the game calls of battle mode.
#pragma once
#include "base/Types.h"
#include "data/GameData.h"

enum BattlePhase : u32 { kPhaseSetUp, kPhaseOpening, kPhaseMain, kPhaseEnding, kPhaseRelease };
enum BattleOutcome : u32 { kOutcomeNone, kOutcomeVictory, kOutcomeEscaped, kOutcomeDefeat };

constexpr i32 kBattleFadeTicks = 15;
constexpr i32 kEndingWaitTicks = 16;  // ending ticks before the end screens are stepped
constexpr u32 kBattleNoVictoryScreen = 2032;
// Status bits that end with the battle; spell ban, poison, paralysis,
// blindness and dying stay.
constexpr u32 kBattleOnlyStatus = 0x9FF;

class cBattle {
public:
    u32 Run();

    u32 phase() const { return phase_; }
    u32 outcome() const { return outcome_; }
    i32 tick() const { return tick_; }
    i32 fade() const { return fade_; }
    bool HasScreenPicture() const { return screenPic_ != nullptr; }
    void FreeScreenPicture();

private:
    using PhaseFn = u32 (cBattle::*)();
    u32 Init();
    u32 Opening();
    u32 Main();
    u32 Ending();
    u32 Release();
    void CaptureScreen();
    void DrawScreenPicture(i32 alpha, i32 wave, u8* phase);
    bool ApplyRoleChanges();
    void Decide(u32 outcome);

    i32 savedX_ = 0, savedY_ = 0;
    u32 phase_ = kPhaseSetUp;
    u32 outcome_ = kOutcomeNone;
    i32 tick_ = 0;
    i32 fade_ = 0;
    u8* screenPic_ = nullptr;
    u8 openingWave_ = 0, releaseWave_ = 0;
    PhaseFn table_[5] = {};
};

extern cBattle gBattle;

// What BattleFrame hands the shell for an outcome: 1 while undecided, 0 for a
// victory or an escape while game flag 322 is clear, 2 for a defeat or an
// escape with flag 322 set.
int BattleResult(u32 outcome);
// The party record of a fighter at the release: HP, MP and the lasting status.
void WriteBackFighter(i32* hp, i32* mp, i32* status, i32 fighterHp, i32 fighterMp,
                      u32 fighterStatus);

// One frame of the running battle: 1 while it goes on, else BattleResult.
int BattleFrame();

// Back to the start: no battle running, every battle module clean.
void ResetBattle();
