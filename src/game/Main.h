// Program entry, the window procedure, the main loop and the frame tick.
#pragma once
#include "engine/Types.h"
#include "platform/Win.h"

struct ModuleRec;
using HINSTANCE = ModuleRec*;

int WinMain(HINSTANCE instance, HINSTANCE previous, const char* commandLine, int showCommand);
