// The ghost follower of the map screen (an animation that drifts after a point
// and fades in and out), and the module's two other sprites: the wanderer and
// the bobbing sprite.
#pragma once
#include "base/Types.h"
#include "engine/MyAct.h"

constexpr i32 kGhostFadeStart = -32;
constexpr i32 kGhostFadeEnd = 64;

struct Ghost {
    ActPlayer* act = nullptr;  // owned
    float x = 0, y = 0;        // map pixels
    float vx = 0, vy = 0;
    float p1 = 0, p2 = 0;  // kept as given at creation
    i32 fade = kGhostFadeStart;
};

struct Wanderer {
    ActPlayer* act = nullptr;  // owned
    float x = 0, y = 0;
    float vx = 0, vy = 0;
    float accel = 0, maxSpeed = 0, damping = 0;  // the three creation parameters
    u32 state = 0;                               // steps taken
};

struct Bobber {
    ActPlayer* act = nullptr;  // owned
    float x = 0, y = 0;        // the resting point
    i32 phase = 0;             // index into the bob table
};

struct GhostModule {
    Ghost* ghost = nullptr;
    Wanderer* wanderer = nullptr;
    Bobber* bobber = nullptr;
};
extern GhostModule gGhosts;

// The blend level (0..16) the ghost is drawn with at a fade counter.
i32 GhostFadeLevel(i32 fade);

void CreateGhost(i32 act, i32 action, float x, float y, float p1, float p2);
// One pixel toward (x, y); the fade counter rises by one, to at most 64.
void UpdateGhost(float x, float y);
// Advances the ghost's animation and draws it on the map view.
void DrawGhost();
void FreeGhost();

void CreateWanderer(i32 act, i32 action, float x, float y, float accel, float maxSpeed,
                    float damping);
void StepWanderer(float x, float y);
void DrawWanderer();
void FreeWanderer();

void CreateBobber(i32 act, i32 action, float x, float y);
void StepBobber();
void DrawBobber();
void FreeBobber();

// What the map side calls: map entry stops the ghost; the map scene moves and
// draws it after the given point each frame; the release frees everything.
void StopGhosts();
void DrawGhosts(i32 x, i32 y);
void ReleaseGhosts();

void ResetGhosts();
