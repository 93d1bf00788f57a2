// The sample game's story scripts.
#pragma once
#include <string>

#include "mhdata/SampleDesign.h"

// The source of MH_Data\Talk1.dat: talks, flags, quests and shops by their
// names in the sample's design (SampleDesignNames).
std::string SampleTalkSource();
// Writes MH_Data\Talk1.dat under root.
bool WriteSampleTalks(const std::string& root, std::string* error);
