// Placeholders for start-up, session and system services until they exist.
#include "game/Main.h"
#include "game/Pending.h"

// Game initialisation ends by pacing the tick at 35 ms.
void StartUp() { SetFrameInterval(kFrameMs); }
void ReleaseGame() {}
void EndSession() {}
void DrawPauseScreen() {}
void ShowStartupDialog() {}
void SaveScreenShot(const char*) {}
