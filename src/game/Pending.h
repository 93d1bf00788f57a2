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

// System services that draw, and the screenshot.

void SaveScreenShot(const char* path);

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

// Story scripts and dialogue.
void AllocTalkBuffer();
void ConvertTextColors();
void ZeroScriptVariables();
void ClearQuestList();

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
void TriggerStory();
void KeyCole();
void UpdateKeyStates();
void TalkStep();
void UpdateRoles();
void UpdateMapScene();
void SetMapCursorAction(int action);
void EnterBattle();
void ReturnFromBattle(int won);
void RunDevTool();
bool TalkRunning();  // the talk context has an owner
void StartCountdownTalk();
void ReleaseMapTransients();
void SetDialogTextSize();
