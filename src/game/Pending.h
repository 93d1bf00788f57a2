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
void MakeAStarPool();

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
void TalkStep();
void UpdateRoles();
void UpdateMapScene();
void SetMapCursorAction(int action);
void EnterBattle();
void ReturnFromBattle(int won);
void RunInterface(u32 screen);
void RunDevTool();
bool TalkRunning();  // the talk context has an owner
void SetDialogTextSize();

// Player control and the behaviour scripts.
#include "game/Behaviour.h"
#include "game/KeyCole.h"

// What player control and the behaviour scripts need of the story side (the
// talk context, the dialogue boxes, the script variables and role values).
constexpr u32 kTalkLockBit = 0x8000;  // gTalkFlags: player control locked
extern u32 gTalkFlags;
extern i32 gDialogInput;      // confirm presses of this frame for the boxes
extern i32 gInputLock;        // player control ignores movement while set
extern i32 gMouseLockFrames;  // frames the left button reads as released
extern u32 gScriptVars[256];
bool ChoiceOpen();
// Moves the highlighted answer by delta, wrapping at the item count.
void MoveChosenAnswer(int delta);
// Starts a talk with its place and the owner's state word.
void StartTalkFrom(u16 talk, u16 owner, u16 x, u16 y, u32 ownerState);
// The look a role had before it turned to face the player, put back at the talk's end.
void SaveRoleTurn(int slot, i32 action, i32 dir);
// Role value which (1 or 2) of role id's record; op 1 get, 2 set. 0 when the role has no record.
int AccessRoleValue(u16 id, int which, i32* value, int op);
// The in-game menu opens on its first page.
void ResetMenuPage();
// Interface sound n at the effects volume.
void PlayUISound(int n);

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
// The stand-ins' state for tests: an open answer list and its highlighted answer.
struct ControlStandIns {
    bool choiceOpen = false;
    int choiceCount = 0;
    int chosen = 0;
    int lastUISound = -1;
    int turnSlot = -1;
};
extern ControlStandIns gControlStandIns;
void ResetControlStandIns();

// Built: the countdown's expiry and the map's transient lists.
#include "game/NewGame.h"

// Map entry and new game: services of later modules.
struct TalkStart {
    u16 talk = 0xFFFF;
    u16 owner = 0xFFFF;
    u32 count = 0;  // talks started so far
    u16 x = 0, y = 0;
    u32 ownerState = 0;
};
extern TalkStart gLastTalkStart;
void StartTalk(u16 talk, u16 owner);     // the talk context starts a talk
void TalkRoleCleanup(int slot);          // the interpreter's per-role clean-up
void ReleaseScriptObjectLists();
void ReleaseWipeEffects();
void ReleaseTimedObjects();
void ReleaseRoleHeads();
void FreeScreenItemList();
void ReleaseDialogs();
void ReleaseDialogPictures();
void StopGhosts();
void SetScriptVar(int n, i32 value);
void WorldMapMusicHandOver();
void SetWorldMapHandOver(int value);
void ResetSceneLayers();
void DrawLoadScreen(int frame, int percent);  // acts 9041 and 9042 of the load screen
