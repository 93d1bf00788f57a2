// Placeholders for the display until the drawing kernel exists.
#include "game/Pending.h"

void RestoreSurfacesAndKernel() {}
void ClearPaintBufferAndShow() {}
u32 PrimaryPitch() { return 1280; }
