// Program entry and frame tick.
#include "game/Main.h"

int WinMain(HINSTANCE, HINSTANCE, const char*, int) { return 0; }
