// Map entry: LoadCity and what it reads from the map database (map records,
// place names, encounter zones and groups, pop-out points, first-visit flags),
// the map music, the camera, the load progress bar and the encounter roll.
#pragma once
#include <vector>

#include "base/DataError.h"
#include "base/Types.h"
#include "map/MapArchive.h"

constexpr int kMapRecordSize = 14;
constexpr int kZoneRecordSize = 14;
constexpr int kGroupWords = 8;
constexpr int kPlaceNameField = kMapNameSize;

struct MapDbRecord {
    u16 id = 0;
    u16 archive = 0;
    u8 scene = 0;
    u8 effects = 0;
    u8 step = 0;
    u8 colours = 0;
    u16 sceneValue = 0;
    u16 group = 0;
    u16 roleFlags = 0;
};

template <class Io, class R>
void MapDbRecordFields(Io& io, R& r) {
    io.Field(r.id);
    io.Field(r.archive);
    io.Field(r.scene);
    io.Field(r.effects);
    io.Field(r.step);
    io.Field(r.colours);
    io.Field(r.sceneValue);
    io.Field(r.group);
    io.Field(r.roleFlags);
}

struct EncounterZone {
    u16 left = 0, top = 0, right = 0, bottom = 0;
    u32 battles = 0;  // offset of the battle list in the database
};

struct DriftItem {
    i32 counter = 0, value = 0, x = 0, y = 0, dx = 0, dy = 0;
};

// What map entry leaves for the scene of the new map.
struct MapScene {
    u32 attribute = 0;      // low nibble of the record's scene byte
    u32 defaultSwitch = 1;  // 0 when the scene byte has 0x10
    u32 colours[3] = {};    // indices into the scene's colour table
    u32 sceneValue = 1;
    u32 roleFlags = 0;
    DriftItem drift[4];
    i32 scrollLeft = 0, scrollTop = 0, scrollRight = 0, scrollBottom = 0;
    i32 centreX = 320, centreY = 240;
    u32 bucketBounds[4] = {};
    u8 palette[512] = {};  // an 8-bit map's palette in the screen layout
    bool hasPalette = false;
};

struct MapMusicState {
    u32 mode = 0;
    u32 music1 = 0, music2 = 0;
    u32 spare = 0;
    u32 override1 = 0, override2 = 0;
};

struct Rect16 {
    i32 left = 0, top = 0, right = 0, bottom = 0;
};

extern u32 gMapId;
extern MapScene gMapScene;
// The view: its top-left map pixel and its far edge (origin + 640, + 480), kept together.
extern i32 gViewX, gViewY, gViewRight, gViewBottom;
extern MapMusicState gMapMusic;
extern std::vector<u16> gEncounterGroups;  // 8 words per group
extern u32 gEncounterGroupCount;
extern u32 gEncounterGroup;  // 1-based; 0 none
extern std::vector<EncounterZone> gEncounterZones;
extern u32 gStepCount;
extern i32 gSavedWalkMode;

void LoadCity(u32 m, i32 x, i32 y, i32 act, i32 action, i32 dir, u32 options);
// The map record of m from table 3; false when absent or the table is unterminated,
// with where and why in *why (the database's own fault when it could not be read).
bool FindMapRecord(u32 m, MapDbRecord* out, DataError* why = nullptr);
int ReadPlaceName(u32 m, char* out);
void ReadEncounterZones();
u32 RollEncounter(u32 steps);
// The load screen of map 2: the picture act (one action per tenth of the way)
// and the frame act (action 0 the empty bar, action k + 1 the bar k tenths full).
constexpr i32 kLoadPictureAct = 9041, kLoadFrameAct = 9042;
void ShowLoadProgress(i32 percent);
void ResetLoadScreen();
void CenterCameraOnPlayer();
// The view rectangle centred on the map point (x, y), kept on the map.
void GetViewRectAt(i32 x, i32 y, Rect16* r);
void AgePopOutRoles();
int PickPopOutPoint(u16 id, i32* x, i32* y);
void PlayMapMusic(u32 m);
const MapEvent* FindMapEvent(u32 n);
// Reads the groups of table 18; false (with a box) when their length is not a multiple of 8.
bool LoadEncounterGroups();

// The end of a game: the first four words of the map-music state become -1.
void ResetMapMusicState();
void ResetCity();
