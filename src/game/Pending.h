// Calls the game shell makes into modules that are still placeholders. Each
// group's definitions live in src/game/pending/; when a module is built, its
// group moves to the module's own header and its placeholder file goes away.
#pragma once
#include "engine/DInput.h"
#include "engine/GrpFont.h"
#include "engine/Ime.h"
#include "engine/Types.h"
#include "engine/Water.h"
#include "platform/Win.h"

// Sound and video.
void UpdateAudio();
void StopAllSfx();
bool StartVideo(const char* path, int volume);  // false when the video cannot be opened
void StepVideo();                               // clears gRunState 0x20 at the end
void StopVideo();

// Display and drawing kernel.
void RestoreSurfacesAndKernel();
void ClearPaintBufferAndShow();  // before a video: clear the paint buffer, show it
u32 PrimaryPitch();

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
