// What the story scripts change on the map scene: the view scroll, the colour
// fade, the view mode, the spotlight, the map effect table, scene texts and the
// talk's sound flags; the map change of a talk and the map archive's reopening.
#pragma once
#include <forward_list>

#include "engine/MyAct.h"
#include "engine/Types.h"

struct ColorFade {
    float value[3] = {};  // r, g, b accumulators
    float delta[3] = {};  // per frame
    i32 count = 0;        // frames left; above 0 while under way
};

struct ScriptScene {
    i32 shakeLeftX = 0, shakeLeftY = 0;  // remaining scroll distance, pixels
    i32 shakeStepX = 0, shakeStepY = 0;  // scroll step per frame
    ColorFade fade;
    i32 spotX = 320, spotY = 240;
    i32 spotTargetX = 320, spotTargetY = 240;
    i32 spotStepA = 0, spotStepB = 0;
    u32 mapEffects[41] = {};
    char sceneText[2][52] = {};
    u32 fadeChangeState = 0;   // the step of the fade map change
    bool skipReopen = false;   // the next wait for the picture show keeps the archive closed
    bool archiveClosed = false;
    bool scriptCdMusic = false;  // an audio-disc piece started by a script plays
    u32 videoOverlayAct = 0, videoOverlayAction = 0;
};

// An extra animation object that a script puts on the map: two key words and
// its act; the newest stands at the front of its list.
struct ScriptActObject {
    u16 k1 = 0, k2 = 0;
    ActPlayer act;
};
using ScriptActList = std::forward_list<ScriptActObject>;

extern ScriptScene gScriptScene;
extern ScriptActList gScriptActA, gScriptActB;
extern u32 gViewMode;        // bit 0: the map is being changed; bit 1: the view stays put
extern u32 gTalkSoundFlags;  // 0x01 / 0x02 picture-show name marks, 0x10 set by a script
extern u32 gFastMode;

constexpr u32 kViewChanging = 0x01;
constexpr u32 kViewFixed = 0x02;

// True while a scroll or a colour fade is under way.
bool ScrollUnderWay();
bool ColorFadeUnderWay();
// One frame of the scroll, the colour fade, the spotlight and the extra animation objects.
void StepScriptScene();
// Changes the map; 0xFFFF arguments keep the player's current values. False
// (with a box) when the map has no record.
bool TalkChangeMap(u32 map, u32 cx, u32 cy, u32 act, u32 qq, u32 dir, u32 options);
// Opens the map archive again after a video; false when it does not open.
bool ReopenMapArchive();
void ResetScriptScene();
