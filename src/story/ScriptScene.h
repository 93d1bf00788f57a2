// What the story scripts keep beside the map scene's own state: the spotlight's
// target, the map effect table, scene texts and the talk's sound flags; the map
// change of a talk and the map archive's reopening.
#pragma once
#include "base/Types.h"
#include "engine/MyAct.h"
#include "map/KeyCole.h"
#include "map/MapDraw.h"
#include "map/MapScene.h"

struct ScriptScene {
    i32 spotTargetX = 320, spotTargetY = 240;  // where the spotlight point moves
    i32 spotStepA = 0, spotStepB = 0;
    u32 mapEffects[41] = {};
    char sceneText[2][52] = {};
    u32 fadeChangeState = 0;  // the step of the fade map change
    bool skipReopen = false;  // the next wait for the picture show keeps the archive closed
    bool archiveClosed = false;
    bool scriptCdMusic = false;  // an audio-disc piece started by a script plays
    u32 videoOverlayAct = 0, videoOverlayAction = 0;
    u16 entryX = 0, entryY = 0, entryValue = 0;  // the current map's entry values set by a script
};

extern ScriptScene gScriptScene;
extern u32 gTalkSoundFlags;  // 0x01 / 0x02 picture-show name marks, 0x10 set by a script

// True while a scroll or a colour fade is under way.
bool ScrollUnderWay();
bool ColorFadeUnderWay();
// Changes the map; 0xFFFF arguments keep the player's current values. False
// (with a box) when the map has no record.
bool TalkChangeMap(u32 map, u32 cx, u32 cy, u32 act, u32 qq, u32 dir, u32 options);
// Opens the map archive again after a video; false when it does not open.
bool ReopenMapArchive();
void ResetScriptScene();
