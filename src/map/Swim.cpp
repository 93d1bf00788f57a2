// The swimming scene: keys, movement, obstacles and drawing of one frame.
#include "map/Swim.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>

#include "engine/DDraw.h"
#include "engine/LineFilter.h"
#include "engine/MemDbg.h"
#include "engine/PicPaint.h"
#include "engine/Random.h"
#include "map/ActDraw.h"
#include "map/KeyCole.h"
#include "map/RoleTable.h"

SwimScene* gSwim = nullptr;

namespace {

constexpr i32 kCompanionAhead = 72, kMarkerAhead = 60;
constexpr i32 kStartX = 320;
constexpr i32 kUpPush = -4, kUpHeldPush = -1024, kDownPush = 2, kSidePush = 3;
constexpr i32 kBrakeStamina = 5;
constexpr i32 kObstacleBelow = 560;  // a slot frees past view top + this
constexpr i32 kRefillTop = 60;
constexpr i32 kBarX = 20, kBarY = 452, kBarRows = 8, kBarWidth = 200;

ActPlayer* NewAct(i32 act, i32 action) {
    ActPlayer* p = NewActPlayer();
    p->act = act;
    p->action = action;
    p->dir = 0;
    return p;
}

void FreeAct(ActPlayer*& p) {
    if (p) MH_FREE(p);
    p = nullptr;
}

void FreeObstacle(SwimObstacle& o) {
    FreeAct(o.act);
    o = SwimObstacle{};
}

bool Fresh(int entry) {
    return gKeyStates[entry].held == 1;
}
bool Held(int entry) {
    return gKeyStates[entry].held > 0;
}

void StartEnd(SwimScene& s) {
    if (s.state & kSwimEnding) return;
    s.state |= kSwimEnding;
    s.endTimer = kSwimEndFrames;
}

// Keys: the pushes of this frame; cancel starts the end.
void ReadKeys(SwimScene& s, i32* side, i32* forward) {
    *side = 0;
    *forward = 0;
    if (Held(keyEntry::kUp)) {
        u32 held = gKeyStates[keyEntry::kUp].held;
        if (held >= 3)
            *forward = kUpHeldPush;
        else if (s.stamina > kBrakeStamina)
            *forward = kUpPush;
    }
    if (Fresh(keyEntry::kDown) && s.stamina > 0) {
        *forward += kDownPush;
        s.stamina = std::max(0, s.stamina - kSwimStrokeCost);
    }
    if (Held(keyEntry::kLeft)) *side -= kSidePush;
    if (Held(keyEntry::kRight)) *side += kSidePush;
    if (Fresh(keyEntry::kCancel)) StartEnd(s);
}

i32 StepToward(i32 from, i32 to, i32 step) {
    if (from < to) return std::min(from + step, to);
    return std::max(from - step, to);
}

void Move(SwimScene& s, i32 side, i32 forward) {
    // The push, then one step of water drag toward standing still.
    s.sideSpeed = StepToward(s.sideSpeed + side, 0, 1);
    s.sideSpeed = std::clamp(s.sideSpeed, -kSwimSideLimit, kSwimSideLimit);
    s.forwardSpeed = std::clamp(s.forwardSpeed + forward, 0, kSwimForwardLimit);
    s.x8 = std::clamp(s.x8 + s.sideSpeed, 16 * 8, 623 * 8);
    s.y8 -= s.forwardSpeed;
    i32 x = SwimX(), y = SwimY();
    s.progress = kSwimCourse - y;
    s.swimmer.x = x;
    s.swimmer.y = y;
    s.marker.x = StepToward(s.marker.x, x, 1);
    s.marker.y = y - kMarkerAhead;
    // The companion keeps its place ahead and closes in sideways faster than the marker.
    s.companion.x = StepToward(s.companion.x, x, 2);
    s.companion.y = y - kCompanionAhead;
    if (y <= 0) StartEnd(s);
}

bool Hits(const SwimObstacle& o, i32 x, i32 y) {
    return std::abs(o.x - x) < kSwimHitRange && std::abs(o.y - y) < kSwimHitRange;
}

void StepObstacles(SwimScene& s) {
    i32 top = SwimViewTop();
    for (SwimObstacle& o : s.obstacles) {
        if (o.x != kSwimFreeSlot) {
            o.x += o.vx;
            o.y += o.vy;
            if (o.y > top + kObstacleBelow) FreeObstacle(o);
        } else if (NextRandom() % kSwimRefillOdds == 1 && top >= kRefillTop) {
            i32 kind = static_cast<i32>(RandomN(kSwimObstacles));
            o.act = NewAct(s.kindAct[kind], s.kindAction[kind]);
            o.x = 60 + static_cast<i32>(RandomN(520));
            o.y = top - 60;
            o.vx = 0;
            o.vy = 1 + static_cast<i32>(RandomN(3));
        }
        if (o.x != kSwimFreeSlot && Hits(o, s.swimmer.x, s.swimmer.y)) {
            s.stamina = std::max(0, s.stamina - kSwimHitCost);
            FreeObstacle(o);
        }
    }
}

u16* CanvasLine(i32 y) {
    return reinterpret_cast<u16*>(reinterpret_cast<u8*>(gPaintBuf) + gRowOffsets[y]);
}

// A missing act draws nothing: the scene must not raise a box every frame.
void DrawActor(ActPlayer* p, i32 x, i32 y, i32 top) {
    if (p && p->act > 0 && TakeActData(p)) DrawActPicture(p, x, y - top, 0);
}

// The bar: the stamina left shifted toward green, what is spent toward red.
void DrawStaminaBar(const SwimScene& s) {
    i32 full =
        s.staminaMax > 0 ? kBarWidth * std::clamp(s.stamina, 0, s.staminaMax) / s.staminaMax : 0;
    for (i32 y = kBarY; y < kBarY + kBarRows; ++y) {
        u16* line = CanvasLine(y) + kBarX;
        if (full > 0) AdjustRGB(line, full, 0, 12, 0);
        if (full < kBarWidth) AdjustRGB(line + full, kBarWidth - full, 12, 0, 0);
    }
}

void Draw(SwimScene& s) {
    if (gDrawSurface) {
        gPaintBuf = LockSurface(gDrawSurface);
        UnlockSurface(gDrawSurface, nullptr);
    }
    if (!gPaintBuf) return;
    for (i32 y = 0; y < 480; ++y) std::memset(CanvasLine(y), 0, 640 * 2);
    i32 top = SwimViewTop();
    DrawActor(s.backdrop, 0, 0, 0);
    for (SwimObstacle& o : s.obstacles)
        if (o.x != kSwimFreeSlot) DrawActor(o.act, o.x, o.y, top);
    DrawActor(s.companion.act, s.companion.x, s.companion.y, top);
    DrawActor(s.marker.act, s.marker.x, s.marker.y, top);
    DrawActor(s.swimmer.act, s.swimmer.x, s.swimmer.y, top);
    i32 y = std::clamp(SwimY(), 0, kSwimCourse);
    DrawActFrame(kSwimProgressAct, kSwimProgressFrame, 50 + 200 * y / kSwimCourse, 8);
    DrawStaminaBar(s);
    ShowCanvas();
}

}  // namespace

i32 SwimX() {
    return gSwim ? gSwim->x8 >> 3 : 0;
}
i32 SwimY() {
    return gSwim ? gSwim->y8 >> 3 : 0;
}
i32 SwimViewTop() {
    return SwimY() - 240;
}

int StartSwimScene(i32 act, i32 swimmerAct, i32 swimmerAction, i32 companionAct,
                   i32 companionAction, i32 obstacleAct, i32 obstacleAction, i32 stamina) {
    FreeSwimScene();
    SwimScene* s = new (MH_ALLOC(sizeof(SwimScene))) SwimScene();
    s->act = act;
    s->backdrop = act > 0 ? NewAct(act, 0) : nullptr;
    s->stamina = s->staminaMax = stamina;
    s->x8 = kStartX * 8;
    s->y8 = kSwimCourse * 8;
    s->swimmer = {NewAct(swimmerAct, swimmerAction), kStartX, kSwimCourse};
    s->companion = {NewAct(companionAct, companionAction), kStartX, kSwimCourse - kCompanionAhead};
    s->marker = {NewAct(kSwimMarkerAct, 0), kStartX, kSwimCourse - kMarkerAhead};
    for (i32 k = 0; k < kSwimObstacles; ++k) {
        s->kindAct[k] = obstacleAct;
        s->kindAction[k] = obstacleAction;
    }
    gSwim = s;
    ClearKeyStates();
    return 1;
}

int RunSwimScene() {
    SwimScene* s = gSwim;
    if (!s) return 0;
    ++s->frames;
    if (s->state & kSwimEnding) {
        if (--s->endTimer <= 0) s->state |= kSwimFree;
    } else {
        i32 side = 0, forward = 0;
        ReadKeys(*s, &side, &forward);
        if (!(s->state & kSwimEnding)) {
            Move(*s, side, forward);
            StepObstacles(*s);
        }
    }
    Draw(*s);
    if (!(s->state & kSwimFree)) return 0;
    FreeSwimScene();
    return 1;
}

int SetSwimObstacleKind(i32 n, i32 act, i32 action) {
    if (!gSwim || n < 0 || n >= kSwimObstacles) return 0;
    gSwim->kindAct[n] = act;
    gSwim->kindAction[n] = action;
    return 1;
}

void FreeSwimScene() {
    SwimScene* s = gSwim;
    if (!s) return;
    FreeAct(s->backdrop);
    FreeAct(s->swimmer.act);
    FreeAct(s->companion.act);
    FreeAct(s->marker.act);
    for (SwimObstacle& o : s->obstacles) FreeObstacle(o);
    s->~SwimScene();
    MH_FREE(s);
    gSwim = nullptr;
}

void ResetSwim() {
    FreeSwimScene();
}
