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
#include "game/City.h"
#include "game/MapArchive.h"
#include "game/MapCache.h"
#include "game/MapDb.h"
#include "game/RoleTable.h"
#include "game/AStar.h"

// Story scripts and dialogue.
void AllocTalkBuffer();
void ConvertTextColors();
void ZeroScriptVariables();
void ClearQuestList();

// Screens and the world map.
void SetupWorldMap();
void ResetInterfaceKeys();
void DestroyScreenObjects();
void ClearScreenHubWord();

// Map mode, story and screens.
void TriggerStory();
void KeyCole();
void UpdateKeyStates();
void TalkStep();
void RunInterface(u32 screen);
void RunDevTool();
bool TalkRunning();  // the talk context has an owner
void SetDialogTextSize();

// Built: the countdown's expiry and the map's transient lists.
#include "game/NewGame.h"

// Map entry and new game: services of later modules.
struct TalkStart {
    u16 talk = 0xFFFF;
    u16 owner = 0xFFFF;
    u32 count = 0;  // talks started so far
};
extern TalkStart gLastTalkStart;
void StartTalk(u16 talk, u16 owner);     // the talk context starts a talk
void TalkRoleCleanup(int slot);          // the interpreter's per-role clean-up
void FreeScreenItemList();
void ReleaseDialogs();
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

// The story side the scene calls: the talk's owner (0xFFFF none), its walker,
// its dialogue boxes, the interface keys and cursor, ghosts and the countdown.
u16 TalkOwner();
void StartTouchTalk(int role);
void AdvanceRoleWalk(int role);
int WalkRoleTo(int role, i32 x, i32 y);
void DlgMessage();
bool DialogTakesMouse();     // a box with flag 0x8000 is shown
bool DialogWantsPointer();   // an open box carries flag 0x2000
u32 TalkScriptPosition();
bool InterfaceKeyPressed(int logicalKey);
void MoveInterfaceCursor(i32 x, i32 y);
void PlayUISound(int n);
void SetMenuPage(int page);
void DrawGhosts(i32 x, i32 y);
void DrawStoryCountdown(i32 x, i32 y);
