// The swimming scene: a swimmer steered up a vertical course while obstacles
// drift down toward it, with a companion, a marker, a progress mark and a
// stamina bar. The frame tick steps it while the run-state swim bit is set.
#pragma once
#include "base/Types.h"
#include "engine/MyAct.h"

constexpr i32 kSwimCourse = 800;
constexpr i32 kSwimObstacles = 8;
constexpr i32 kSwimFreeSlot = -1024;  // obstacle x of a free slot
constexpr i32 kSwimEndFrames = 30;
constexpr i32 kSwimMarkerAct = 9010;
constexpr i32 kSwimProgressAct = 9007, kSwimProgressFrame = 22;
constexpr i32 kSwimSideLimit = 16, kSwimForwardLimit = 16;
constexpr i32 kSwimStrokeCost = 1;  // stamina per stroke
constexpr i32 kSwimHitCost = 10;    // stamina per obstacle that reaches the swimmer
constexpr i32 kSwimHitRange = 24;   // pixels either way
constexpr i32 kSwimRefillOdds = 750;

constexpr u32 kSwimEnding = 1u << 30;
constexpr u32 kSwimFree = 1u << 28;

struct SwimActor {
    ActPlayer* act = nullptr;  // owned
    i32 x = 320, y = 0;        // course pixels
};

struct SwimObstacle {
    i32 x = kSwimFreeSlot, y = 0;
    i32 vx = 0, vy = 0;
    ActPlayer* act = nullptr;  // owned while the slot is in use
};

struct SwimScene {
    i32 act = 0;       // the backdrop act
    i32 progress = 0;  // pixels swum from the start
    i32 sideSpeed = 0, forwardSpeed = 0;
    i32 x8 = 0, y8 = 0;  // the swimmer's position in eighths of a pixel
    i32 stamina = 0, staminaMax = 0;
    i32 endTimer = 0;
    u32 state = 0;
    u32 frames = 0;
    ActPlayer* backdrop = nullptr;  // owned
    SwimActor swimmer, companion, marker;
    SwimObstacle obstacles[kSwimObstacles];
    i32 kindAct[kSwimObstacles] = {}, kindAction[kSwimObstacles] = {};
};
extern SwimScene* gSwim;

// The swimmer's course position in pixels, and the view's top.
i32 SwimX();
i32 SwimY();
i32 SwimViewTop();

int StartSwimScene(i32 act, i32 swimmerAct, i32 swimmerAction, i32 companionAct,
                   i32 companionAction, i32 obstacleAct, i32 obstacleAction, i32 stamina);
// One frame: keys, movement, obstacles, drawing. 1 on the frame the scene ends
// and is freed; 0 otherwise (also while there is no scene).
int RunSwimScene();
int SetSwimObstacleKind(i32 n, i32 act, i32 action);
void FreeSwimScene();

void ResetSwim();
