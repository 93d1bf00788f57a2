// Seeds of the fuzz targets, cut from the sample game: for each target a folder
// of inputs of the shape it reads (its leading control bytes, one archive entry,
// one run-coded frame, the databases packed together, saves of a new game).
#pragma once
#include <string>

// Writes out/<target>/... from the sample game in folder game (which a new game
// is played in, leaving its map cache and saves there). False with error when
// the sample cannot be read.
bool WriteFuzzSeeds(const std::string& game, const std::string& out, std::string* error);
