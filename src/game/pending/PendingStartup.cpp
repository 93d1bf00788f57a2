// Placeholders for start-up, session and system services until they exist.
#include "game/Pending.h"

void StartUp() {}
void ReleaseGame() {}
void EndSession() {}
void DrawPauseScreen() {}
void ShowStartupDialog() {}
void SaveScreenShot(const char*) {}
