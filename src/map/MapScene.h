// The map scene: each frame's movement of the people on the map (routes,
// followers, the player's step), the view's shake and quake, the ground-tile
// animation, the drawing of one role, its positional sound, and the frame.
#pragma once
#include "base/Types.h"
#include "engine/MyAct.h"
#include "map/RoleTable.h"

// Bits of gViewMode (written by story commands).
constexpr u32 kViewChanging = 0x1;   // the map is being changed: black and the top list only
constexpr u32 kViewNoFollow = 0x2;   // the view does not follow the player
constexpr u32 kViewSpotlight = 0x4;  // clip to the square around gSpotX, gSpotY

constexpr int kActSlots = 12;
constexpr int kPicSlots = 10;
constexpr u16 kQuakeEnd = 0xCFCF;

struct PicSlot {
    u16 pic = 0;  // 0: empty
    u16 frame = 0;
    i32 x = 0, y = 0;
};

// A role faded in or out by a story command (role -1: none).
struct RoleFade {
    i32 role = -1;
    u32 start = 0;
    u32 duration = 1;
    bool fadeIn = true;
    // Left for the waiting story command: set when the fade ends, with the
    // bytes its script position moves on (12 after a fade-in, 6 after a fade-out).
    bool done = false;
    u32 advance = 0;
};

struct TileAnim {
    u32 counter = 0;
    i32 frame = 0;
    i32 dir = 1;
    u32 offset = 0;  // cells x frame, added to every tile index
};

extern u32 gViewMode;
extern i32 gSpotX, gSpotY;
extern i32 gShakeLeftX, gShakeLeftY, gShakeStepX, gShakeStepY;
extern u8 gQuakeTable[128];
extern u32 gQuakeIndex, gQuakePeriod, gQuakeCountdown, gQuakeBaseX, gQuakeBaseY;
extern u32 gMapCycle;
extern TileAnim gTileAnim;
extern ActPlayer gActSlots[kActSlots];
// Global animation slot n (of twelve), or null.
ActPlayer* GlobalActSlot(int n);
extern PicSlot gPicSlots[kPicSlots];
extern RoleFade gRoleFade;
extern u32 gPlayerStands;
extern u32 gDebugOverlay;
extern u32 gPicShowCounter;  // frames of the picture show, counted by its script wait

void UpdateRoles();
void UpdateMapScene();
void ApplyScreenShake();
void ApplyQuake();
// True while the quake table holds a quake.
bool QuakeRunning();
void StepTileAnimation();
void DrawRole(RoleSlot* s);
// The screen box of a role's current act frame: its position minus the frame's
// offsets minus the view origin, as wide and high as the frame's picture. False
// for a bad slot, a role without an act or a frame without a picture.
bool RoleScreenRect(int slot, i32* left, i32* top, i32* right, i32* bottom);
void UpdateRoleSound(RoleSlot* s);
void DrawRoleShadows();
void DrawDebugOverlay(i32 viewX, i32 viewY);
// Re-files a role that stands on a cell into the row list of its new row.
void RefileRole(RoleSlot* s);
// Shows the data error box of a failed animation step, once per role, act and tag.
void ReportActError(const char* tag, const RoleSlot* s);
void ReportActError(const char* tag, const ActPlayer* p, u16 roleId);
// The tile offset for a map's tile frames.
void ResetTileAnimation();
// Clears the scene's buffer and effect tables (map entry).
void ClearSceneBuffer();
void ResetMapScene();
