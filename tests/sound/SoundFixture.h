// Shared set-up for the sound tests: clean globals and audio library in a
// temporary root, and helpers that pull from the mixer and measure it.
#pragma once
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "mhdata/SoundData.h"
#include "platform/AudioLib.h"
#include "platform/AudioMixer.h"
#include "sound/BinkPlayer.h"
#include "sound/Music.h"
#include "sound/Redbook.h"
#include "sound/Sound.h"
#include "support/Harness.h"

class SoundTest : public ::testing::Test {
protected:
    // The folder as a Windows-style root ending with a separator.
    std::string Root() const { return h_.root(); }
    void Write(const std::string& rel, const std::vector<u8>& bytes) {
        std::filesystem::create_directories((dir_ / rel).parent_path());
        WriteHostFile(h_.Path(rel), bytes);
    }
    // The library is reset after every player the harness resets.
    struct AudioLibReset {
        AudioLibReset() { AudioReset(); }
        ~AudioLibReset() { AudioReset(); }
    } audio_;
    Harness h_;
    std::filesystem::path dir_ = h_.root();
};

// A WAVE file of a mono tone at 22050 Hz.
inline std::vector<u8> Tone(double hz, u32 ms) {
    return MakeWave(MakeTone(hz, ms, 22050, 1), 1, 22050);
}

// Pulls ms milliseconds of stereo frames from the shared mixer.
inline std::vector<i16> Pull(u32 ms) {
    std::vector<i16> out(static_cast<size_t>(ms) * kMixRate / 1000 * 2);
    AudioMixer().Mix(out.data(), static_cast<int>(out.size() / 2));
    return out;
}

// Root mean square of one channel (0 left, 1 right), or both with -1.
inline double Rms(const std::vector<i16>& pcm, int channel = -1) {
    double sum = 0;
    size_t n = 0;
    for (size_t i = 0; i < pcm.size(); ++i) {
        if (channel >= 0 && static_cast<int>(i % 2) != channel) continue;
        sum += static_cast<double>(pcm[i]) * pcm[i];
        ++n;
    }
    return n ? std::sqrt(sum / static_cast<double>(n)) : 0;
}

// The dominant frequency of the left channel: rises from below -t to above +t,
// counted between the first and the last rise so that quiet edges do not count.
inline double ToneHz(const std::vector<i16>& pcm, int t = 1000) {
    bool low = false;
    int rises = 0;
    size_t first = 0, last = 0;
    for (size_t i = 0; i < pcm.size(); i += 2) {
        if (pcm[i] < -t) low = true;
        if (low && pcm[i] > t) {
            low = false;
            if (rises == 0) first = i / 2;
            last = i / 2;
            ++rises;
        }
    }
    if (rises < 2) return 0;
    return (rises - 1) * static_cast<double>(kMixRate) / static_cast<double>(last - first);
}
