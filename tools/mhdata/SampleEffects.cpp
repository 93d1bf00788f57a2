// The sample game's blow and spell effects: pictures and acts.
#include "mhdata/SampleEffects.h"

#include <string>

#include "engine/MyAct.h"
#include "mhdata/SampleBattle.h"
#include "mhdata/SampleFigures.h"

namespace {
using namespace sample_effects;

// A star of the act's own colour that grows over the three frames (the middle
// one white), clear around it, so the fighter behind the blow stays in sight.
ArchivePicture Burst(u32 act) {
    static_assert(kSide == 48, "the effects are 48x48 stars");
    ArchivePicture p;
    p.name = "effect" + std::to_string(act);
    const u16 base = static_cast<u16>((act * 181 + 0x2108) & 0x7FFF) | 0x0421;
    for (int k = 0; k < 3; ++k) p.frames.push_back(BurstFigure(k == 1 ? 0x7FFF : base, k));
    return p;
}

ActProgram Effect(u32 act, bool hit) {
    ActProgram a;
    a.name = "effect" + std::to_string(act);
    for (int k = 0; k < 2; ++k) {
        ActWords w;
        w.Rf(static_cast<u16>(act)).Xy(kSide / 2, kSide / 2).Sd(1);
        if (hit) w.Cmd(kActWV, {sample_battle::kCueSound});
        w.Pa(0).Ed().Cmd(kActAT, {static_cast<u16>(hit ? 0x4 : 0x1)}).Pa(1).Ed();
        if (hit) w.Cmd(kActAT, {0x1});
        a.parts[k] = w.Pa(2).Ed().O2().words;
    }
    return a;
}
}  // namespace

std::vector<u32> SampleHitEffectActs() {
    std::vector<u32> out;
    for (u32 act = 7100; act <= 7107; ++act) out.push_back(act);
    out.push_back(kUnarmedHit);
    for (u32 act = 7200; act <= 7209; ++act) out.push_back(act);
    out.push_back(kBossFall);
    return out;
}

std::vector<u32> SampleSkillEffectActs() {
    // The menu skills' effects are 7500 + the skill number's last two digits.
    std::vector<u32> out = {7500, 7501};
    for (u32 act = 7570; act <= 7588; ++act) out.push_back(act);
    return out;
}

void AddSampleEffectPictures(std::map<u32, ArchivePicture>* pics) {
    for (u32 act : SampleHitEffectActs()) (*pics)[act] = Burst(act);
    for (u32 act : SampleSkillEffectActs()) (*pics)[act] = Burst(act);
}

void AddSampleEffectActs(std::map<u32, ActProgram>* acts) {
    for (u32 act : SampleHitEffectActs()) (*acts)[act] = Effect(act, true);
    for (u32 act : SampleSkillEffectActs()) (*acts)[act] = Effect(act, false);
}
