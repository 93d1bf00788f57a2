// The SDL audio device: its callback pulls frames from the shared mixer. A
// failed open is remembered, so a machine without sound is asked once.
#include "platform/AudioDevice.h"

#include <SDL.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/AudioMixer.h"
#include "platform/Backend.h"
#include "platform/Fault.h"
#include "platform/Win.h"

namespace {
struct DeviceState {
    SDL_AudioDeviceID device = 0;
    bool headlessOpen = false;
    bool failed = false;
    bool hooked = false;
    int attempts = 0;
    bool clockStarted = false;  // the silent pull below
    u32 clockAt = 0;
    u64 owed = 0;  // frames x 1000 not pulled yet
};
DeviceState& D() {
    static DeviceState d;
    return d;
}

void PullFromMixer(void*, Uint8* stream, int len) {
    AudioMixer().Mix(reinterpret_cast<i16*>(stream), len / 4);
}

// The sound libraries under SDL print pages of their own complaints when no
// device answers; our one line below says what matters.
class QuietStderr {
public:
    QuietStderr() {
        std::fflush(stderr);
        saved_ = dup(STDERR_FILENO);
        int null = open("/dev/null", O_WRONLY);
        if (saved_ >= 0 && null >= 0) dup2(null, STDERR_FILENO);
        if (null >= 0) close(null);
    }
    ~QuietStderr() {
        std::fflush(stderr);
        if (saved_ < 0) return;
        dup2(saved_, STDERR_FILENO);
        close(saved_);
    }

private:
    int saved_ = -1;
};

// Without a device nothing pulls the mixer, and a piece would play for ever.
// Each message pump then pulls it at the pace of the clock and drops the sound,
// so pieces and sounds still end after their length.
constexpr u32 kSilentPullMaxMs = 10000;  // after a long stall, at most this much at once

// In the headless backend the tests pull, unless the device failed on purpose.
void PullSilently() {
    DeviceState& d = D();
    bool silent = PlatformIsHeadless() ? d.failed : !d.device;
    if (!silent) {
        d.clockStarted = false;
        return;
    }
    u32 now = timeGetTime();
    if (!d.clockStarted) {
        d.clockStarted = true;
        d.clockAt = now;
        d.owed = 0;
        return;
    }
    u32 ms = std::min(now - d.clockAt, kSilentPullMaxMs);
    d.clockAt = now;
    d.owed += static_cast<u64>(ms) * kMixRate;
    static std::vector<i16> dropped(2 * 4096);
    while (d.owed >= 1000) {
        int frames = static_cast<int>(std::min<u64>(d.owed / 1000, 4096));
        AudioMixer().Mix(dropped.data(), frames);
        d.owed -= static_cast<u64>(frames) * 1000;
    }
}

// The SDL device; the reason of a failure in why.
SDL_AudioDeviceID OpenSdlDevice(std::string* why) {
    QuietStderr quiet;
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        *why = SDL_GetError();
        return 0;
    }
    SDL_AudioSpec want{}, have{};
    want.freq = kMixRate;
    want.format = AUDIO_S16LSB;
    want.channels = 2;
    // A period of 2048 frames (46 ms): each wake-up of the device's thread
    // costs far more than the frames it mixes, and the game plays nothing
    // that needs a shorter delay.
    want.samples = 2048;
    want.callback = PullFromMixer;
    SDL_AudioDeviceID id = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
    if (!id) {
        *why = SDL_GetError();
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
    }
    return id;
}
}  // namespace

void AudioDeviceKeepTime() {
    DeviceState& d = D();
    if (d.hooked) return;
    d.hooked = true;
    PlatformAddHooks({nullptr,
                      [] {
                          D() = DeviceState{D().device, false, false, true, 0};
                      },
                      PullSilently});
}

bool AudioDeviceOpen() {
    DeviceState& d = D();
    AudioDeviceKeepTime();
    if (d.device || d.headlessOpen) return true;
    if (d.failed) return false;
    ++d.attempts;
    std::string why;
    if (PlatformDeviceFailures().sound) {
        why = "the device failed on purpose";
    } else if (PlatformIsHeadless()) {
        d.headlessOpen = true;  // the mixer is pulled by whoever tests it
        return true;
    } else {
        d.device = OpenSdlDevice(&why);
    }
    if (d.device) {
        SDL_PauseAudioDevice(d.device, 0);
        return true;
    }
    d.failed = true;
    ReportFault(kNoBox, "No sound device (%s): the game runs silent.", why.c_str());
    return false;
}

void AudioDeviceClose() {
    DeviceState& d = D();
    d.headlessOpen = false;
    if (!d.device) return;
    SDL_CloseAudioDevice(d.device);
    d.device = 0;
}

bool AudioDeviceIsOpen() {
    return D().device != 0 || D().headlessOpen;
}

int AudioDeviceOpenAttempts() {
    return D().attempts;
}
