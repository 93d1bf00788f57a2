// The SDL audio device: its callback pulls frames from the shared mixer.
#include "platform/AudioDevice.h"

#include <SDL.h>

#include "platform/AudioMixer.h"
#include "platform/Backend.h"

namespace {
SDL_AudioDeviceID gAudioDevice = 0;

void PullFromMixer(void*, Uint8* stream, int len) {
    AudioMixer().Mix(reinterpret_cast<i16*>(stream), len / 4);
}
}  // namespace

bool AudioDeviceOpen() {
    if (PlatformIsHeadless()) return true;
    if (gAudioDevice) return true;
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return false;
    SDL_AudioSpec want{}, have{};
    want.freq = kMixRate;
    want.format = AUDIO_S16LSB;
    want.channels = 2;
    want.samples = 1024;
    want.callback = PullFromMixer;
    gAudioDevice = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
    if (!gAudioDevice) return false;
    SDL_PauseAudioDevice(gAudioDevice, 0);
    return true;
}

void AudioDeviceClose() {
    if (!gAudioDevice) return;
    SDL_CloseAudioDevice(gAudioDevice);
    gAudioDevice = 0;
}

bool AudioDeviceIsOpen() { return gAudioDevice != 0 || PlatformIsHeadless(); }
