// Calls the game shell makes into modules that are still placeholders. Each
// group's definitions live in src/game/pending/; when a module is built, its
// group moves to the module's own header and its placeholder file goes away.
#pragma once
#include "engine/Types.h"
#include "platform/Win.h"

// Sound and video: UpdateAudio, StopAllSfx, StartVideo, StepVideo, StopVideo.
#include "sound/BinkPlayer.h"
#include "sound/Sound.h"

// Keyboard, mouse, fonts, text input, water ripples.
void PollInput();                                   // cDINPUT::ReadKeyboard on the global device
bool TextInputHandleMessage(u32 msg, WPARAM w, LPARAM l);  // true when handled
void BuildCodeMap();
void FreeCodeMap();
void DeleteWaterList();
void ReleaseFontObjects();
void RecreateFonts();
void ResetFontAdvances();  // main 18, second 20, small 16

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
