// The sample game's blow and spell effects that the records and the battle
// name: the weapons' hits (7100..7107), the bare-handed hit (7141), the
// monsters' hits (7200..7209), the boss's fall (8074) and the menu skills'
// effects (7500, 7501, 7570..7588). Each is a 48x48 burst in three frames.
#pragma once
#include <map>
#include <vector>

#include "mhdata/Archives.h"

namespace sample_effects {
constexpr u32 kUnarmedHit = 7141;
constexpr u32 kBossFall = 8074;  // the boss's (monster 222's) fall
constexpr i32 kSide = 48;
}  // namespace sample_effects

// The hit acts: events 0x4 on the second frame and 0x1 on the third, a cue sound first.
std::vector<u32> SampleHitEffectActs();
// The skill effects: event 0x1 on the second frame.
std::vector<u32> SampleSkillEffectActs();
void AddSampleEffectPictures(std::map<u32, ArchivePicture>* pics);
void AddSampleEffectActs(std::map<u32, ActProgram>* acts);
