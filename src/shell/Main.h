// Program entry, the window procedure, the main loop and the frame tick.
#pragma once
#include "base/Types.h"
#include "platform/Win.h"
#include "engine/FrameState.h"
#include "map/SessionServices.h"

struct ModuleRec;
using HINSTANCE = ModuleRec*;

extern HINSTANCE gInstance;

// The program's exit status when it could not do what it was started for: a
// second copy, the installer's settings not written, a start that failed. Each
// says why in one line on stderr (or in the start's own box).
constexpr int kExitFailed = 1;

int WinMain(HINSTANCE instance, HINSTANCE previous, const char* commandLine, int showCommand);
LRESULT WndProc(HWND hwnd, u32 msg, WPARAM w, LPARAM l);
// One tick; returns true when the frame limiter let it run.
bool GameFrame();
int SetAppActive(int active);
const char* GetBasePath();

// Main-loop pieces, also driven one by one from tests.
// Handles one waiting message; false when none waits. Sets *quit on WM_QUIT.
bool PumpOneMessage(int* exitCode, bool* quit);
// Runs the loop until WM_QUIT; returns its code.
int RunMainLoop();

void ResetShellState();
