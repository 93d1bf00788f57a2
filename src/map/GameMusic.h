// Music by number: a music file of the name table, or a track of the music
// disc when the name is "CDnn"; and the search for the music disc.
#pragma once
#include "base/Types.h"

extern u32 gCdMusic;  // 1 while a music-disc track plays instead of a file

// The music disc's volume label.
constexpr const char* kMusicDiscLabel = "RX417K";

void PlayMusic(u32 n, int once);
void StopMusic();
int FindMusicDisc();
// Parses a music name of the form "CDnn"; false for any other name.
bool ParseDiscTrackName(const char* name, int* track);
void ResetGameMusic();
