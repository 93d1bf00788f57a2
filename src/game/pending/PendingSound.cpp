// Placeholders for sound and video until the sound module exists.
#include "game/Pending.h"

void UpdateAudio() {}
void StopAllSfx() {}
bool StartVideo(const char*, int) { return false; }
void StepVideo() {}
void StopVideo() {}
