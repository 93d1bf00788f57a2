// What map mode, the story and the screens ask of the running session: ending
// the game, starting or reloading its data, the disc search and the video. The
// shell, above them, defines these.
#pragma once

void NewGameData();
void EndGame();
void ReloadGameDatabase();
// Looks for the disc of the given kind; fills its root and drive letter.
int FindDisc(char* root, int kind, char* letter);
void PlayVideo(const char* name);
