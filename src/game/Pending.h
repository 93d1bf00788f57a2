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

// Sound and video: UpdateAudio, StopAllSfx, StartVideo, StepVideo, StopVideo.
#include "sound/BinkPlayer.h"
#include "sound/Sound.h"

// Start-up, session, release, system services.
void StartUp();
void ReleaseGame();
void EndSession();
void DrawPauseScreen();
void ShowStartupDialog();
void SaveScreenShot(const char* path);

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
void RunInterface(u32 screen);
void RunDevTool();
bool TalkRunning();  // the talk context has an owner
void StartCountdownTalk();
void ReleaseMapTransients();
void SetDialogTextSize();
