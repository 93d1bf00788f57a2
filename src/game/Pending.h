// Calls the game shell makes into modules that are still placeholders. Each
// group's definitions live in src/game/pending/; when a module is built, its
// group moves to the module's own header and its placeholder file goes away.
#pragma once
#include "engine/DDraw.h"  // RestoreSurfacesAndKernel, ClearPaintBufferAndShow, PrimaryPitch
#include "engine/DInput.h"
#include "engine/GrpFont.h"
#include "engine/Ime.h"
#include "engine/Types.h"
#include "engine/Water.h"
#include "platform/Win.h"

#include <string>

// Sound and video: UpdateAudio, StopAllSfx, StartVideo, StepVideo, StopVideo.
#include "sound/BinkPlayer.h"
#include "sound/Sound.h"


// Start-up sound (PlaySoundResource), disc drives (MountDiscs), the video's target
// (BindVideoToPrimary).
#include "platform/AudioLib.h"
#include "platform/Disc.h"

// Picture and act archives.
void OpenPictureArchives();
void FreePictureCaches();

// Map data: the map cache's run mark, the databases, new-game data, release.
#include "game/City.h"
#include "game/MapArchive.h"
#include "game/MapCache.h"
#include "game/MapDb.h"
#include "game/RoleTable.h"
#include "game/AStar.h"

// Story scripts and dialogue: the interpreter, the boxes, the screenshot.
#include "story/Dialog.h"
#include "story/Talk.h"
#include "story/TextTools.h"
#include "story/Trigger.h"
#include "story/PartyCommands.h"  // ClearQuestList

// Screens: the manager, interface input, controls and the hub word.
#include "ui/Control.h"
#include "ui/ScreenManager.h"
#include "ui/ScreenState.h"
#include "ui/UiInput.h"

// Map mode's input words that a screen's close clears: the last button state
// of the map's on-screen buttons and player control's walk-hold counter.
void ClearMapInputHolds();

// The world map.
void SetupWorldMap();

// Map mode, story and screens.
void KeyCole();
// The map view drawn afresh into the canvas (the map scene).

void UpdateKeyStates();
void RunDevTool();

// Built: the countdown's expiry and the map's transient lists.
#include "game/NewGame.h"

// Map entry and new game: services of later modules.
void TalkRoleCleanup(int slot);          // the interpreter's per-role clean-up
void ReleaseDialogPictures();
void StopGhosts();
void SetScriptVar(int n, i32 value);
void WorldMapMusicHandOver();
void DrawLoadScreen(int frame, int percent);  // acts 9041 and 9042 of the load screen

// The map scene, its drawing layers and the map-side services.
#include "game/MapScene.h"
#include "game/MapDraw.h"
#include "game/MapManage.h"
#include "game/ActDraw.h"

// Player control (step words, walking step, key states, mouse) and the
// behaviour interpreter, until they arrive.
extern i32 gScrollStepX, gScrollStepY, gPlayerStepX, gPlayerStepY;
extern u32 gWalkStep;
struct KeyState {
    u32 down = 0, releaseTime = 0, lastDown = 0, held = 0;
};
extern KeyState gKeyStates[32];
extern i32 gMouseX, gMouseY;
void ClearKeyStates();
void RunRoleScript(int role);
void ResetControlStandIn();

// The story walker and the ghosts, until they exist.
void AdvanceRoleWalk(int role);
int WalkRoleTo(int role, i32 x, i32 y);
void DrawGhosts(i32 x, i32 y);
// The in-game menu's remembered page, until the menu pages exist.
void SetMenuPage(int page);
