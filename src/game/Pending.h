// Calls the game shell makes into modules that are still placeholders. Each
// group's definitions live in src/game/pending/; when a module is built, its
// group moves to the module's own header and its placeholder file goes away.
#pragma once
#include "engine/DDraw.h"  // RestoreSurfacesAndKernel, ClearPaintBufferAndShow, PrimaryPitch
#include "engine/DInput.h"
#include "engine/GrpFont.h"
#include "engine/Ime.h"
#include "base/Types.h"
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
#include "map/City.h"
#include "map/MapArchive.h"
#include "map/MapCache.h"
#include "map/MapDb.h"
#include "map/RoleTable.h"
#include "map/AStar.h"

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

// Player control and the behaviour scripts.
#include "map/Behaviour.h"
#include "map/KeyCole.h"

// What player control needs of the menu pages.
// The in-game menu opens on its first page.
void ResetMenuPage();

// Global animation slot n (of twelve), or null.
ActPlayer* GlobalActSlot(int n);


// Built: the countdown's expiry and the map's transient lists.
#include "map/NewGame.h"

// The dialogue's text colour n (0..15) in the screen layout.
u16 TextColourAt(int n);

// Map entry and new game: services of later modules.
void ReleaseDialogPictures();
void SetScriptVar(int n, i32 value);
void WorldMapMusicHandOver();
void DrawLoadScreen(int frame, int percent);  // acts 9041 and 9042 of the load screen

// The map scene, its drawing layers and the map-side services.
#include "map/MapScene.h"
#include "map/MapDraw.h"
#include "map/MapManage.h"
#include "map/ActDraw.h"

#include "map/AStar.h"

// The ghost follower.
#include "map/Ghosts.h"

// The story walker.
#include "map/RoleWalk.h"
// The in-game menu's remembered page, until the menu pages exist.
void SetMenuPage(int page);
