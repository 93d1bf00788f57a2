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
void MakeAStarPool();

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
void UpdateRoles();
void UpdateMapScene();
void SetMapCursorAction(int action);
void EnterBattle();
void ReturnFromBattle(int won);
void RunDevTool();

// Player control and the behaviour scripts.
#include "game/Behaviour.h"
#include "game/KeyCole.h"

// What player control needs of the menu pages.
// The in-game menu opens on its first page.
void ResetMenuPage();

// What the behaviour scripts need of the map scene's routes and animation slots.
// Starts role slot's walk to map pixel (x, y); 1 started.
int StartRoleRoute(int slot, i32 x, i32 y);
// One stepper call for the role's route: 2 when it has no route or its route ended.
int StepRoleRoute(int slot);
int StepRoleInDirection(int slot, int dir);
// Global animation slot n (of twelve), or null.
ActPlayer* GlobalActSlot(int n);
// The world map's keys (they pick a place the player walks to).
void WorldMapKeys();


// Built: the countdown's expiry and the map's transient lists.
#include "game/NewGame.h"

// Map entry and new game: services of later modules.
void TalkRoleCleanup(int slot);          // the interpreter's per-role clean-up
void ReleaseScriptObjectLists();
void ReleaseWipeEffects();
void ReleaseTimedObjects();
void ReleaseRoleHeads();
void ReleaseDialogPictures();
void StopGhosts();
void SetScriptVar(int n, i32 value);
void WorldMapMusicHandOver();
void SetWorldMapHandOver(int value);
void ResetSceneLayers();
void DrawLoadScreen(int frame, int percent);  // acts 9041 and 9042 of the load screen
