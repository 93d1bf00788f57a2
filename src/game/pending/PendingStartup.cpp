// Placeholders for the drawing system services and the screenshot until they exist.
#include "game/Pending.h"

void SaveScreenShot(const char*) {}
