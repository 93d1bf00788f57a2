// The map-side services: the hand-over to a battle and back, the world-map
// locations, the HUD strip of menu icons, name markers, talk balloons, area
// markers, role heads, the spotlight mask and the map cursor's action.
#pragma once
#include "base/Types.h"
#include "engine/MyAct.h"

constexpr int kWorldMapLocations = 15;
constexpr u32 kWorldMapUnchosen = 100;

struct WorldMapLocation {
    u32 id, cursorX, cursorY, cellX, cellY;
};

// The motion of a head that was placed without sliding: it leaves in one frame.
constexpr i32 kHeadLeaveAtOnce = 10000;

struct RoleHead {
    ActPlayer act;
    u32 key1 = 0, key2 = 0;
    i32 x = 0, targetX = 0, y = 0;
    i32 motion = 0;       // 0 at rest; -1 or 1 leaving, tripled each frame; or kHeadLeaveAtOnce
    bool placed = false;  // put at its target without sliding
    RoleHead* next = nullptr;
};

extern u32 gMapMusicSaved;
extern WorldMapLocation gWorldMap[kWorldMapLocations];
extern u32 gWorldMapIndex;
extern RoleHead* gRoleHeads;
extern i32 gHudSlide;
extern i32 gHudIconPics[4];  // pictures of the four HUD icons

void EnterBattle();
void ReturnFromBattle(int won);
void InitWorldMap();
bool WorldMapLocationOpen(int index);
void SelectWorldMapLocation(int step);
void WorldMapKeys();
void SetWorldMapHandOver(int value);
// The music of the map being entered while a screen is open (a loaded game):
// the four numbers of the map-music state, each a file or a disc track.
void PlayWorldMapMusic();
int CheckMenuIconClick(int leftDown);
void DrawMapHud();
void DrawNameMarker(i32 x, i32 y, i32 a, i32 b, const char* text);
i32 DrawTalkBalloon(const char* text);
void DrawAreaMarker(int n, i32 x, i32 y);
void AddRoleHead(u32 key1, u32 key2, i32 x, i32 y);
void DismissRoleHead(u32 key1, u32 key2);
void ShowRoleHead(u32 key1, u32 key2, i32 x, i32 y);
void ReleaseRoleHeads();
void DrawSpotlightMask();
void DrawActSlot(ActPlayer* p, i32 x, i32 y);
void SetMapCursorAction(int action);
void ResetMapManage();
