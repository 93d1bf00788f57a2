// Message boxes that put failures in front of the player, each told on stderr
// too (platform/Fault.h).
#pragma once
#include "base/Types.h"
#include "platform/Win.h"

extern HWND gMainWnd;
// Shared 1024-byte scratch text (error texts, paths).
extern char gScratchBuf[1024];

// Formats into its own text (never into gScratchBuf, which an argument may be)
// and shows it with the caption and OK. Texts are Big5.
int ErrorBox(const char* caption, const char* format, ...) __attribute__((format(printf, 2, 3)));
int DDErrorBox(HWND hwnd, const char* caption);
int MaintenanceBox(HWND hwnd, const char* format, i32 value, const char* file, u32 line);
int DSErrorBox(HWND hwnd, const char* caption, u32 code);
