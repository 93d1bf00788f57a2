// Start-up: from a created window to the first title screen (StartUp, InitGame,
// InitDevices), the optional start-up dialog, and the release at the end.
#pragma once
#include "base/Types.h"
#include "platform/Win.h"

extern u32 gDeviceState;  // bit 0x2: the input device failed
extern u32 gStartDone;
extern u32 gReleaseRuns;  // how many times ReleaseGame has released (for checks)

// 0 when the settings name a root folder that another running copy holds: then
// nothing in it has been read or written, and the start goes no further.
int StartUp();
// Takes the lock of a game folder (a Windows path, "." for the current folder)
// for this run; false when another running copy holds it.
bool TakeGameFolder(const char* folder);
void InitGame(HWND window);
// True while InitGame runs: a window destroyed then is a start that failed.
bool InitGameRunning();
int InitDevices();
// Makes gBasePath + name unless it exists; 1 either way.
int MakeFolder(const char* name);
// The folders start-up makes under the root, in order.
void MakeStartFolders();
// Removes what writers stopped half-way left behind: "Env.dat.tmp" in the root
// and every "*.tmp" of the save, cache and screenshot folders.
void RemoveLeftoverTemporaries();
void OpenWebPage(const char* address);
void OpenReadme(const char* path);
// The start-up dialog that WM_USER+4 shows; returns its result (1, 2 or 6).
int ShowStartupDialog();
// Releases everything game initialisation made; runs once per initialisation.
int ReleaseGame();
void ResetStartup();

// The maker's web page the dialog opens.
constexpr const char* kMakerWebPage = "https://moonharbor.invalid/";
