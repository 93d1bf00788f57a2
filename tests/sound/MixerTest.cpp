// The mixer's arithmetic, voices and status, pulled directly with no device.
#include <gtest/gtest.h>

#include <memory>

#include "platform/AudioDecode.h"
#include "platform/AudioMixer.h"

namespace {
// A mono constant signal as mixer frames (both channels equal).
PcmRef Constant(i16 value, size_t frames) {
    auto pcm = std::make_shared<PcmBuffer>(frames * 2, value);
    return pcm;
}

std::vector<i16> MixOut(cAudioMixer& m, int frames) {
    std::vector<i16> out(static_cast<size_t>(frames) * 2);
    m.Mix(out.data(), frames);
    return out;
}
}  // namespace

TEST(Mixer, CentrePanAtFullVolumeGivesEqualChannels) {
    cAudioMixer m(16);
    int v = m.Allocate();
    std::vector<i16> mono(1000, 10000);
    PcmBuffer conv;
    ConvertToMix(mono.data(), mono.size(), 1, kMixRate, &conv);
    m.SetPcm(v, std::make_shared<PcmBuffer>(conv));
    m.SetPan(v, 63);
    m.Start(v);
    auto out = MixOut(m, 500);
    EXPECT_NEAR(out[200], 10000, 200);
    EXPECT_NEAR(out[200], out[201], 0.02 * 10000);
}

TEST(Mixer, PanExtremesSilenceTheOtherChannel) {
    cAudioMixer m(16);
    int v = m.Allocate();
    m.SetPcm(v, Constant(8000, 100));
    m.SetPan(v, 127);
    m.Start(v);
    auto out = MixOut(m, 50);
    EXPECT_EQ(out[0], 0);
    EXPECT_EQ(out[1], 8000);
    m.SetPan(v, 0);
    out = MixOut(m, 10);
    EXPECT_EQ(out[0], 8000);
    EXPECT_EQ(out[1], 0);
}

TEST(Mixer, VolumeScalesAndZeroIsSilent) {
    cAudioMixer m(16);
    int v = m.Allocate();
    m.SetPcm(v, Constant(12700, 100));
    m.SetVolume(v, 0);
    m.Start(v);
    auto out = MixOut(m, 20);
    for (i16 s : out) ASSERT_EQ(s, 0);
    m.SetVolume(v, 64);
    out = MixOut(m, 20);
    EXPECT_EQ(out[0], 12700 * 64 / 127);
}

TEST(Mixer, StatusGoesFromPlayingToDoneAfterTheSampleLength) {
    cAudioMixer m(16);
    int v = m.Allocate();
    EXPECT_EQ(m.Status(v), kVoiceFree);
    m.SetPcm(v, Constant(1000, 300));
    m.Start(v);
    EXPECT_EQ(m.Status(v), kVoicePlaying);
    MixOut(m, 299);
    EXPECT_EQ(m.Status(v), kVoicePlaying);
    auto out = MixOut(m, 10);
    EXPECT_EQ(m.Status(v), kVoiceDone);
    EXPECT_EQ(out[0], 1000);  // the last frame
    EXPECT_EQ(out[2], 0);     // then silence
}

TEST(Mixer, LoopCountRepeatsTheSpanThatManyTimes) {
    cAudioMixer m(16);
    int v = m.Allocate();
    m.SetPcm(v, Constant(500, 100));
    m.SetLoops(v, 3);
    m.Start(v);
    MixOut(m, 299);
    EXPECT_EQ(m.Status(v), kVoicePlaying);
    MixOut(m, 2);
    EXPECT_EQ(m.Status(v), kVoiceDone);
    EXPECT_EQ(m.Played(v), 300u);
    m.SetLoops(v, 0);  // forever
    m.Start(v);
    MixOut(m, 10000);
    EXPECT_EQ(m.Status(v), kVoicePlaying);
}

TEST(Mixer, SeventeenthVoiceIsRefused) {
    cAudioMixer m(16);
    for (int i = 0; i < 16; ++i) ASSERT_GE(m.Allocate(), 0);
    EXPECT_EQ(m.Allocate(), -1);
    m.Release(3);
    EXPECT_EQ(m.Allocate(), 3);
}

TEST(Mixer, SumsClampInsteadOfWrapping) {
    cAudioMixer m(16);
    for (int i = 0; i < 4; ++i) {
        int v = m.Allocate();
        m.SetPcm(v, Constant(20000, 10));
        m.Start(v);
    }
    auto out = MixOut(m, 5);
    EXPECT_EQ(out[0], 32767);
}

TEST(Mixer, GeneratorVoiceEndsWhenItsSourceRunsShort) {
    cAudioMixer m(16);
    int v = m.Allocate();
    int left = 100;
    m.SetSource(v, [&](i16* out, int frames) {
        int n = std::min(frames, left);
        for (int i = 0; i < n * 2; ++i) out[i] = 300;
        left -= n;
        return n;
    });
    m.Start(v);
    auto out = MixOut(m, 60);
    EXPECT_EQ(out[0], 300);
    EXPECT_EQ(m.Status(v), kVoicePlaying);
    MixOut(m, 60);
    EXPECT_EQ(m.Status(v), kVoiceDone);
}

TEST(Mixer, ResamplingKeepsDurationAndChannels) {
    std::vector<i16> stereo(22050 * 2);
    for (size_t i = 0; i < stereo.size(); i += 2) stereo[i] = 1000, stereo[i + 1] = -1000;
    PcmBuffer out;
    ConvertToMix(stereo.data(), 22050, 2, 22050, &out);
    EXPECT_EQ(out.size(), static_cast<size_t>(kMixRate) * 2);
    EXPECT_EQ(out[100], 1000);
    EXPECT_EQ(out[101], -1000);
}
