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

// System services that draw.
void DrawPauseScreen();

// Start-up sound (PlaySoundResource), disc drives (MountDiscs), the video's target
// (BindVideoToPrimary).
#include "platform/AudioLib.h"
#include "platform/Disc.h"

// Picture and act archives.
void OpenPictureArchives();
void FreePictureCaches();

// Map data: the map cache's run mark, the databases, new-game data, release.
u32 ResetMapCache(int mode);  // total bytes of the cache files
void SetRunMark();
void ClearRunMark();
int OpenMapDatabases();       // 1 done; shows its own failure boxes
void InitGameData();
void ResetMapData();
void MakeAStarPool();
void ReleaseMapData();        // everything the map side holds, in release order
bool GetMusicName(u32 n, std::string* name);
void StartNewGame(int load);
void ClearRoleStateBits(u32 bits);  // rows 1 .. role count - 1
void ResetMapMusicState();

// Story scripts and dialogue: the interpreter, the boxes, the screenshot.
#include "story/Dialog.h"
#include "story/Talk.h"
#include "story/TextTools.h"
#include "story/Trigger.h"
void ClearQuestList();

// Screens and the world map.
void SetupWorldMap();
void ResetInterfaceKeys();
void DestroyScreenObjects();
void ClearScreenHubWord();

// Map mode, story and screens.
void KeyCole();
void UpdateKeyStates();
void UpdateRoles();
void UpdateMapScene();
void SetMapCursorAction(int action);
void EnterBattle();
void ReturnFromBattle(int won);
void RunInterface(u32 screen);
void RunDevTool();
void StartCountdownTalk();
void ReleaseMapTransients();
