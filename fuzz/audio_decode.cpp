// Fuzz target: a WAVE or MP3 image through the one decoder the game uses, then
// played through a mixer voice: twice, panned, for a quarter of a second.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/AudioDecode.h"
#include "platform/AudioMixer.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    auto pcm = std::make_shared<PcmBuffer>();
    DataError error;
    if (!DecodeAudio(data, size, pcm.get(), &error)) return 0;
    // The mixer's frames are interleaved stereo: an odd count would split one.
    if (pcm->size() % 2) __builtin_trap();
    cAudioMixer mixer(2);
    int v = mixer.Allocate();
    if (v < 0) return 0;
    mixer.SetPcm(v, pcm);
    mixer.SetLoops(v, 2);
    mixer.SetPan(v, 20);
    mixer.SetVolume(v, 100);
    mixer.Start(v);
    std::vector<i16> out(2 * 1102);
    for (int i = 0; i < 10 && mixer.Status(v) == kVoicePlaying; ++i) mixer.Mix(out.data(), 1102);
    mixer.Release(v);
    return 0;
}
