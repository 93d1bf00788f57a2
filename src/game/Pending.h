// Calls the game shell makes into modules that are still placeholders. Each
// group's definitions live in a placeholder file; when a module is built, its
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

// Player control and the behaviour scripts.
#include "game/Behaviour.h"
#include "game/KeyCole.h"

// What player control needs of the menu pages.
// The in-game menu opens on its first page.
void ResetMenuPage();


// Built: the countdown's expiry and the map's transient lists.
#include "game/NewGame.h"

// The dialogue's text colour n (0..15) in the screen layout.
u16 TextColourAt(int n);

// Map entry and new game: services of later modules.
void SetScriptVar(int n, i32 value);

// The map scene, its drawing layers and the map-side services.
#include "game/MapScene.h"
#include "game/MapDraw.h"
#include "game/MapManage.h"
#include "game/ActDraw.h"

#include "game/AStar.h"

// The ghost follower.
#include "game/Ghosts.h"

// The story walker.
#include "game/RoleWalk.h"
// The in-game menu's remembered page, until the menu pages exist.
void SetMenuPage(int page);
