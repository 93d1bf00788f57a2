// The sample game: a small complete game written from code.
#pragma once
#include <string>

// Writes the whole sample game under root (created when missing).
bool WriteSampleGame(const std::string& root, std::string* error);
