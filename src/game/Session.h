// The game session: options loaded at its start and saved at its end, games
// begun, ended and reloaded, and music by number (files or music-disc tracks).
#pragma once
#include "engine/Types.h"

extern u32 gCdMusic;           // 1 while a music-disc track plays instead of a file
extern u32 gScreenTransition;  // the screens' transition word

void StartSession();
void EndSession();
void NewGameData();
void EndGame();
void ReloadGameDatabase();
void PlayMusic(u32 n, int once);
void StopMusic();
int FindMusicDisc();
// Parses a music name of the form "CDnn"; false for any other name.
bool ParseDiscTrackName(const char* name, int* track);
void ResetSession();

// The music disc's volume label.
constexpr const char* kMusicDiscLabel = "RX417K";
