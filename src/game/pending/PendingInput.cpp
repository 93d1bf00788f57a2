// Placeholders for input, fonts, text input and ripples until they exist.
#include "game/Pending.h"

void PollInput() {}
bool TextInputHandleMessage(u32, WPARAM, LPARAM) { return false; }
void BuildCodeMap() {}
void FreeCodeMap() {}
void DeleteWaterList() {}
void ReleaseFontObjects() {}
void RecreateFonts() {}
void ResetFontAdvances() {}
