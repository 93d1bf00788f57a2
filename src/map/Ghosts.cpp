// The ghost follower, the wanderer and the bobbing sprite of the map screen.
#include "map/Ghosts.h"

#include <cmath>
#include <new>

#include "engine/MemDbg.h"
#include "map/ActDraw.h"
#include "map/City.h"
#include "map/RoleTable.h"

GhostModule gGhosts;

namespace {

constexpr u32 kGhostDrawMode = 20;  // alpha blend at gPaintAlpha
// Offsets the bobbing sprite cycles through around its resting point.
constexpr float kBobTable[4][2] = {{-9, -3}, {-12, 0}, {-6, 3}, {6, -6}};

template <class T>
T* NewRecord() {
    return new (MH_ALLOC(sizeof(T))) T();
}

template <class T>
void FreeRecord(T*& rec) {
    if (!rec) return;
    if (rec->act) MH_FREE(rec->act);
    rec->~T();
    MH_FREE(rec);
    rec = nullptr;
}

ActPlayer* NewAct(i32 act, i32 action) {
    ActPlayer* p = NewActPlayer();
    p->act = act;
    p->action = action;
    p->dir = 0;
    return p;
}

// Advances an animation and draws its picture at a map position in the given
// mode and blend level.
void DrawOnMap(ActPlayer* p, float x, float y, u32 mode, i32 level) {
    if (!p || !TakeActData(p)) return;
    ActPlayer shown = *p;
    shown.drawMode = mode;
    shown.blend = static_cast<u8>(level);
    DrawActPicture(&shown, static_cast<i32>(x) - gViewX, static_cast<i32>(y) - gViewY, 0);
}

}  // namespace

i32 GhostFadeLevel(i32 fade) {
    if (fade < 0) return fade <= kGhostFadeStart ? 0 : (fade - kGhostFadeStart) / 2;
    if (fade >= 32) return fade >= kGhostFadeEnd ? 0 : (kGhostFadeEnd - fade) / 2;
    return 16;
}

void CreateGhost(i32 act, i32 action, float x, float y, float p1, float p2) {
    FreeGhost();
    Ghost* g = NewRecord<Ghost>();
    g->act = NewAct(act, action);
    g->x = x;
    g->y = y;
    g->p1 = p1;
    g->p2 = p2;
    gGhosts.ghost = g;
}

void UpdateGhost(float x, float y) {
    Ghost* g = gGhosts.ghost;
    if (!g) return;
    float dx = x - g->x, dy = y - g->y;
    float len = std::sqrt(dx * dx + dy * dy);
    // Standing on the point there is no direction to take.
    if (len > 0) {
        g->vx += dx / len;
        g->vy += dy / len;
    }
    g->x += g->vx;
    g->y += g->vy;
    g->vx = g->vy = 0;
    if (g->fade < kGhostFadeEnd) ++g->fade;
}

void DrawGhost() {
    Ghost* g = gGhosts.ghost;
    if (!g) return;
    DrawOnMap(g->act, g->x, g->y, kGhostDrawMode, GhostFadeLevel(g->fade));
}

void FreeGhost() {
    FreeRecord(gGhosts.ghost);
}

void CreateWanderer(i32 act, i32 action, float x, float y, float accel, float maxSpeed,
                    float damping) {
    FreeWanderer();
    Wanderer* w = NewRecord<Wanderer>();
    w->act = NewAct(act, action);
    w->x = x;
    w->y = y;
    w->accel = accel;
    w->maxSpeed = maxSpeed;
    w->damping = damping;
    gGhosts.wanderer = w;
}

// Accelerates toward the point, keeps under its top speed and loses a share of
// its speed each step, so it swings around the point and settles.
void StepWanderer(float x, float y) {
    Wanderer* w = gGhosts.wanderer;
    if (!w) return;
    float dx = x - w->x, dy = y - w->y;
    float len = std::sqrt(dx * dx + dy * dy);
    if (len > 0) {
        w->vx += w->accel * dx / len;
        w->vy += w->accel * dy / len;
    }
    float speed = std::sqrt(w->vx * w->vx + w->vy * w->vy);
    if (w->maxSpeed > 0 && speed > w->maxSpeed) {
        w->vx *= w->maxSpeed / speed;
        w->vy *= w->maxSpeed / speed;
    }
    w->x += w->vx;
    w->y += w->vy;
    w->vx *= 1.0f - w->damping;
    w->vy *= 1.0f - w->damping;
    ++w->state;
}

void DrawWanderer() {
    Wanderer* w = gGhosts.wanderer;
    if (!w) return;
    DrawOnMap(w->act, w->x, w->y, w->act->drawMode, w->act->blend);
}

void FreeWanderer() {
    FreeRecord(gGhosts.wanderer);
}

void CreateBobber(i32 act, i32 action, float x, float y) {
    FreeBobber();
    Bobber* b = NewRecord<Bobber>();
    b->act = NewAct(act, action);
    b->x = x;
    b->y = y;
    gGhosts.bobber = b;
}

void StepBobber() {
    if (Bobber* b = gGhosts.bobber) b->phase = (b->phase + 1) & 3;
}

void DrawBobber() {
    Bobber* b = gGhosts.bobber;
    if (!b) return;
    DrawOnMap(b->act, b->x + kBobTable[b->phase][0], b->y + kBobTable[b->phase][1],
              b->act->drawMode, b->act->blend);
}

void FreeBobber() {
    FreeRecord(gGhosts.bobber);
}

void StopGhosts() {
    FreeGhost();
}

void DrawGhosts(i32 x, i32 y) {
    UpdateGhost(static_cast<float>(x), static_cast<float>(y));
    DrawGhost();
}

void ReleaseGhosts() {
    FreeGhost();
    FreeWanderer();
    FreeBobber();
}

void ResetGhosts() {
    ReleaseGhosts();
}
