// The end of a battle: the victory banner that pays the rewards, one panel per
// level gained, and the darkening wait after a defeat.
#pragma once
#include "base/Types.h"
#include "engine/MyAct.h"
#include "battle/Fighter.h"

constexpr i32 kEndPanelAct = 11004;
constexpr i32 kEndZoomFull = 1000;
constexpr i32 kEndZoomStep = 150;
constexpr i32 kBannerTicks = 100;
constexpr i32 kLevelUpTicks = 200;
constexpr i32 kDefeatTicks = 100;
constexpr i32 kTopLevel = 50;
constexpr u32 kVictoryMusicName = 44;
constexpr u32 kLevelUpMusicName = 45;
constexpr int kShownDrops = 3;

class cEndPanel {
public:
    // Act 11004 with that action, centred on the screen or at (0, 0); a missing
    // picture gives a panel of size 0.
    void Setup(i32 action, bool centred);
    // One opening or closing step of the zoom; true once fully open or closed.
    bool Open();
    bool Shut();
    void Draw() const;

    ActPlayer anim;
    i32 x = 0, y = 0, width = 0, height = 0;
    i32 closing = 0, zoom = 0, counter = 0, done = 0;
};

// What one level-up changed, for the panel.
struct LevelGain {
    i32 role = -1;        // the member's own role (name, values)
    i32 growthRole = -1;  // the role whose rows it grows by (flag 324 exchanges 0 and 1)
    i32 newLevel = 0;
    i32 gains[7] = {};  // max HP, max MP, strength, stamina, magic, spirit, agility
};

class cBattleEnd {
public:
    void Reset();
    void SetOutcome(i32 v) { outcome = v; }
    // 1 once the end screens are finished.
    i32 Step();
    void Draw();

    i32 outcome = 0;
    cEndPanel banner, levelUp, defeat;
    i32 nextSlot = 0;
    cFighter* shown = nullptr;
    LevelGain gain;

private:
    i32 BannerStep();
    i32 LevelUpStep();
    i32 DefeatStep();
    void DrawBannerText() const;
    void DrawLevelUpText() const;
};

extern cBattleEnd gBattleEnd;

// A stored level as the tables read it: 1..50.
i32 TableLevel(i32 level);
// Experience a member of that level needs to rise one more (levels outside 1..50 held in).
i32 NeedForLevel(i32 level);
// The victory's pay: money, experience to the living members in party slots 0-5,
// and the first three drops.
void PayVictoryRewards();
// One level for party fighter f by the level-up rows, with the skills it learns;
// false (and nothing changed) for anyone but a party member of roles 0-7.
bool RaiseLevel(cFighter& f, LevelGain* gain);

void ResetBattleEnd();
