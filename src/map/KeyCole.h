// Player control: the key states of map mode (UpdateKeyStates) and the map-mode
// control step (KeyCole) that walks the player cell by cell, starts talks, rolls
// encounters and opens the screens of the function keys.
#pragma once
#include "base/Types.h"

constexpr int kKeyEntries = 32;
constexpr u32 kKeyAgainMs = 120;  // a press this soon after a release counts again

// Key-state entries of map mode.
namespace keyEntry {
constexpr int kCancel = 0, kConfirm = 1, kSecond = 2, kLeft = 3, kUp = 4, kRight = 5, kDown = 6,
              kPageUp = 7, kPageDown = 8, kRightCtrl = 9, kEnd = 10, kConfirm2 = 12,
              kMouseRight = 14, kMouseLeft = 15, kWalkSpeed = 16, kFreeA = 17, kFreeG = 18,
              kFreeF1 = 19;
}

struct KeyState {
    u32 down = 0;         // 0 released, 1 first press, 2 pressed again soon, 3 a third time or more
    u32 releaseTime = 0;  // ms of the last release; 0 while held
    u32 lastDown = 0;
    u32 held = 0;  // frames held
};

// What the map scene and the dialogue side read and write of player control.
extern KeyState gKeyStates[kKeyEntries];
extern i32 gMouseX, gMouseY;
extern i32 gScrollStepX, gScrollStepY;  // the view and the player move together
extern i32 gPlayerStepX, gPlayerStepY;  // the player moves, the view stays
extern u32 gWalkStep;                   // pixels per frame of the current step
// The map's walk step (16 at start; map entry sets it), which gWalkStep follows.
void SetWalkStep(u32 step);
u32 GetWalkStep();
extern i32 gFastMode;
extern i32 gDevChord1, gDevChord2;
extern i32 gIdleFrames;
extern i32 gHudFade;  // 0..16

// The rest of what control keeps between frames.
struct PlayerControl {
    u32 now = 0;  // the frame's time, stamped by UpdateKeyStates
    i32 mouseIdle = 0;
    i32 lastMouseX = -1, lastMouseY = -1, lastButtons = 0;
    i32 idleAnimFrames = 0;
    u32 restUntil = 0;  // control rests until this frame time (the chord and switch keys)
    bool resting = false;
};
extern PlayerControl gControl;

// Scan codes of the keys control reads besides the configurable ones.
namespace scan {
constexpr int kN = 49, kP = 25, kC = 46, kQ = 16, kU = 22, kE = 18, kS = 31, kT = 20;
constexpr int kLeftAlt = 56, kRightAlt = 184;
constexpr int kF1 = 59, kF2 = 60, kF3 = 61, kF4 = 62, kF8 = 66, kF9 = 67, kF10 = 68, kF12 = 88;
}  // namespace scan

void UpdateKeyStates();
// One entry's update; returns its held count.
u32 UpdateKeyState(int entry, bool pressed);
bool IsKeyRepeat(int entry);
// Forgets every key state (a scripted walk of the player has ended).
void ClearKeyStates();
void KeyCole();

// Probes around a role's footprint, also used by the tests.
int FindRoleInFront(int role, int dx, int dy);
// An event number in front (>0), 0 with *hitRole set to a walk-into trigger role,
// or -1 for nothing.
int CheckStepBlocked(int role, int dx, int dy, int* hitRole);
void SlideAroundCorner(int role, int* dx, int* dy);

void ResetPlayerControl();

// Map mode's input words that a screen's close clears.
void ClearMapInputHolds();
