// The sample game: a small complete game written from code.
#pragma once
#include <string>

// Writes the whole sample game under root (created when missing). Writing it
// again over an earlier one renews its data files and keeps what the player
// made: the saves, the screenshots, Env.dat and Save/Option.sav.
bool WriteSampleGame(const std::string& root, std::string* error);
