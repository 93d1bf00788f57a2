// The offering page's animation in the sample game: the blessing (act 8079)
// and the rising light (act 8080) drawn over the offered monster.
#pragma once
#include <map>

#include "mhdata/Archives.h"

namespace sampleOffer {
constexpr u32 kBlessAct = 8079;  // action 0: ends after its last step, a sound on its first
constexpr u32 kLightAct = 8080;  // action 0: ends after its last step
constexpr int kBlessSteps = 16;
constexpr int kLightSteps = 12;
constexpr int kBlessSound = 2;  // the sample's wave sound
}  // namespace sampleOffer

void AddSampleOfferPictures(std::map<u32, ArchivePicture>* pics);
void AddSampleOfferActs(std::map<u32, ActProgram>* acts);
