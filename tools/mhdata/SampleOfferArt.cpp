// The offering animation's pictures and acts for the sample game.
#include "mhdata/SampleOfferArt.h"

#include <string>

#include "engine/MyAct.h"

namespace {
using namespace sampleOffer;
constexpr i32 kSide = 120;
// The animation's controls stand at (0, 0): the hot spot puts the frames
// around the offered monster at (320, 270).
constexpr i16 kHotX = -(320 - kSide / 2), kHotY = -(270 - kSide / 2);

ArchivePicture Steps(u32 act, int steps) {
    ArchivePicture p;
    p.name = "offer" + std::to_string(act);
    for (int k = 0; k < steps; ++k) {
        ArchiveFrame f;
        f.w = f.h = kSide;
        u16 colour = static_cast<u16>(((act % 13) * 0x0C63 + 0x0421 * (k + 1)) & 0x7FFF) | 0x0021;
        f.pixels.assign(static_cast<size_t>(kSide) * kSide, colour);
        p.frames.push_back(std::move(f));
    }
    return p;
}

// One step a tick, the sound (if any) with the first, then the act ends.
ActProgram Run(u32 act, int steps, u16 sound) {
    ActWords w;
    w.Rf(static_cast<u16>(act)).Xy(kHotX, kHotY).Sd(0);
    if (sound) w.Cmd(kActWV, {sound});
    for (int k = 0; k < steps; ++k) w.Pa(static_cast<u16>(k)).Ed();
    ActProgram a;
    a.name = "offer" + std::to_string(act);
    a.parts[0] = w.O2().words;
    return a;
}
}  // namespace

void AddSampleOfferPictures(std::map<u32, ArchivePicture>* pics) {
    (*pics)[kBlessAct] = Steps(kBlessAct, kBlessSteps);
    (*pics)[kLightAct] = Steps(kLightAct, kLightSteps);
}

void AddSampleOfferActs(std::map<u32, ActProgram>* acts) {
    (*acts)[kBlessAct] = Run(kBlessAct, kBlessSteps, kBlessSound);
    (*acts)[kLightAct] = Run(kLightAct, kLightSteps, 0);
}
