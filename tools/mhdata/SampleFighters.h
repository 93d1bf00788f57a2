// The sample records the battle rules need: fighting monsters (thieves, a
// boss at number 222), skills of every battle category, special, element and
// target kind, and offensive items.
#pragma once
#include "mhdata/Databases.h"

void AddSampleFighters(DatabaseSet& set);

namespace sample {
constexpr i32 kThief = 5, kStatue = 6, kThunderGod = 7, kBoss = 222;
constexpr i32 kSacrificeStrike = 7, kOffering = 8, kHeavyBlow = 9, kLifeDrain = 10,
              kManaDrain = 11, kRally = 12, kHolyRay = 13, kThunder = 14, kPoisonMist = 15,
              kSummonThunder = 16;
constexpr i32 kFireFlask = 8, kPoisonNeedle = 9, kScroll = 10, kSelfCharm = 11;
}  // namespace sample
