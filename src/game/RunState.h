// The run-state byte shared by the main loop, the window procedure and the
// modules that start and stop long activities (video, disc prompt, quit).
#pragma once
#include "engine/Types.h"

constexpr u8 kRunTransition = 0x02;
constexpr u8 kRunQuit = 0x04;
constexpr u8 kRunDiscPrompt = 0x10;
constexpr u8 kRunVideo = 0x20;
constexpr u8 kRunScriptHold = 0x40;

extern u8 gRunState;
