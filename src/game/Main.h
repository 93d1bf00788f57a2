// Program entry, the window procedure, the main loop and the frame tick.
#pragma once
#include "engine/Types.h"
#include "platform/Win.h"

struct ModuleRec;
using HINSTANCE = ModuleRec*;

// Bits of gRunState.
constexpr u8 kRunTransition = 0x02;
constexpr u8 kRunQuit = 0x04;
constexpr u8 kRunDiscPrompt = 0x10;
constexpr u8 kRunVideo = 0x20;
constexpr u8 kRunScriptHold = 0x40;
constexpr u8 kRunSwim = 0x80;  // the swimming scene owns the frame

constexpr u32 kFrameMs = 35;

extern HINSTANCE gInstance;
extern u32 gGameActive;
extern u32 gSuspended;
extern u32 gWindowShown;
extern u8 gRunState;
extern u32 gFrameInterval;
extern u32 gFrameTime;
extern u32 gLastFrameTime;
extern u32 gGameTime;
extern u32 gGameTimeCycle;
extern u32 gBattleRequest;
extern u32 gBattleActive;
extern u32 gDevToolActive;

int WinMain(HINSTANCE instance, HINSTANCE previous, const char* commandLine, int showCommand);
LRESULT WndProc(HWND hwnd, u32 msg, WPARAM w, LPARAM l);
// One tick; returns true when the frame limiter let it run.
bool GameFrame();
int SetAppActive(int active);
void PlayVideo(const char* name);
int SetFrameInterval(u32 ms);
int ClearFrameInterval();
const char* GetBasePath();

// Main-loop pieces, also driven one by one from tests.
// Handles one waiting message; false when none waits. Sets *quit on WM_QUIT.
bool PumpOneMessage(int* exitCode, bool* quit);
// Runs the loop until WM_QUIT; returns its code.
int RunMainLoop();

void ResetShellState();
