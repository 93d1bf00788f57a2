// The sample game's blow and spell effects: pictures and acts.
#include "mhdata/SampleEffects.h"

#include <cstdlib>
#include <string>

#include "engine/MyAct.h"
#include "mhdata/SampleBattle.h"

namespace {
using namespace sample_effects;
constexpr u16 kKey = 619;  // transparent in stored 5-5-5 pictures

// A star of the act's own colour that grows over the three frames, clear
// around it, so the fighter behind the blow stays in sight.
ArchivePicture Burst(u32 act) {
    ArchivePicture p;
    p.name = "effect" + std::to_string(act);
    const u16 base = static_cast<u16>((act * 181 + 0x2108) & 0x7FFF) | 0x0421;
    for (int k = 0; k < 3; ++k) {
        ArchiveFrame f;
        f.w = f.h = kSide;
        f.pixels.assign(static_cast<size_t>(kSide) * kSide, kKey);
        const int reach = 10 + 7 * k, c = kSide / 2;
        const u16 colour = k == 1 ? 0x7FFF : base;
        for (int y = 0; y < kSide; ++y)
            for (int x = 0; x < kSide; ++x) {
                const int dx = std::abs(x - c), dy = std::abs(y - c);
                const bool ray = dx <= 2 || dy <= 2 || std::abs(dx - dy) <= 2;
                if ((ray && dx + dy <= reach + reach / 2) || dx + dy <= reach / 2)
                    f.pixels[static_cast<size_t>(y) * kSide + x] = colour;
            }
        p.frames.push_back(std::move(f));
    }
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
