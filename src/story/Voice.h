// The current voice of the story module: one sample file played at a time.
#pragma once
#include "base/Types.h"

// Plays the WAVE or MP3 file at path (a Windows path) once as the current
// voice, ending the voice before it; volume on the game's 0..11 scale.
// 1 playing, 0 when the file is missing or bad (reported as bad data) or the
// sound output is closed.
int PlayVoice(const char* path, int volume);
// Ends the current voice (nothing playing is fine).
void StopVoice();
// 1 while the current voice still plays.
int VoicePlaying();
void ResetVoice();
