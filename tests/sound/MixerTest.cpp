// The mixer's arithmetic, voices and status, pulled directly with no device.
#include <gtest/gtest.h>

#include <memory>

#include "platform/AudioDecode.h"
#include "platform/AudioMixer.h"

namespace {
// Starts a voice of a constant signal, both channels equal.
int StartConstant(cAudioMixer& m, i16 value, size_t frames) {
    int v = m.Allocate();
    m.SetPcm(v, std::make_shared<PcmBuffer>(frames * 2, value));
    m.Start(v);
    return v;
}

std::vector<i16> MixOut(cAudioMixer& m, int frames) {
    std::vector<i16> out(static_cast<size_t>(frames) * 2);
    m.Mix(out.data(), frames);
    return out;
}
}  // namespace

TEST(Mixer, PanAndVolumeScaleEachChannel) {
    struct Case {
        int pan, volume;
        i16 left, right, tolerance;
    } cases[] = {
        {127, 127, 0, 12700, 0},       // hard right
        {0, 127, 12700, 0, 0},         // hard left
        {63, 127, 12700, 12700, 254},  // the centre: both near full
        {0, 64, 6400, 0, 0},           // 12700 x 64 / 127
        {63, 0, 0, 0, 0},              // silent
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "pan " << c.pan << " volume " << c.volume);
        cAudioMixer m(16);
        int v = StartConstant(m, 12700, 100);
        m.SetPan(v, c.pan);
        m.SetVolume(v, c.volume);
        auto out = MixOut(m, 50);
        EXPECT_NEAR(out[20], c.left, c.tolerance);
        EXPECT_NEAR(out[21], c.right, c.tolerance);
    }
}

TEST(Mixer, VoicesEndWithTheirSamplesLoopsOrSource) {
    cAudioMixer m(16);
    EXPECT_EQ(m.Status(0), kVoiceFree);
    int v = StartConstant(m, 1000, 300);
    EXPECT_EQ(m.Status(v), kVoicePlaying);
    MixOut(m, 299);
    EXPECT_EQ(m.Status(v), kVoicePlaying);
    auto out = MixOut(m, 10);
    EXPECT_EQ(m.Status(v), kVoiceDone);
    EXPECT_EQ(std::tuple(out[0], out[2]), std::tuple(1000, 0));  // the last frame, then silence

    m.SetLoops(v, 3);
    m.Start(v);
    MixOut(m, 899);
    EXPECT_EQ(m.Status(v), kVoicePlaying);
    MixOut(m, 2);
    EXPECT_EQ(std::tuple(m.Status(v), m.Played(v)), std::tuple(kVoiceDone, 900u));
    m.SetLoops(v, 0);  // forever
    m.Start(v);
    MixOut(m, 10000);
    EXPECT_EQ(m.Status(v), kVoicePlaying);
    m.Release(v);

    // A generator voice ends when its source runs short.
    int g = m.Allocate();
    int left = 100;
    m.SetSource(g, [&](i16* pcm, int frames) {
        int n = std::min(frames, left);
        for (int i = 0; i < n * 2; ++i) pcm[i] = 300;
        left -= n;
        return n;
    });
    m.Start(g);
    EXPECT_EQ(MixOut(m, 60)[0], 300);
    EXPECT_EQ(m.Status(g), kVoicePlaying);
    MixOut(m, 60);
    EXPECT_EQ(m.Status(g), kVoiceDone);
}

TEST(Mixer, SeventeenthVoiceIsRefusedAndSumsClamp) {
    cAudioMixer m(16);
    for (int i = 0; i < 16; ++i) ASSERT_GE(StartConstant(m, 20000, 10), 0);
    EXPECT_EQ(m.Allocate(), -1);
    EXPECT_EQ(MixOut(m, 5)[0], 32767);  // not wrapped round
    m.Release(3);
    EXPECT_EQ(m.Allocate(), 3);
}

TEST(Mixer, ConversionKeepsDurationAndChannels) {
    std::vector<i16> stereo(22050 * 2);
    for (size_t i = 0; i < stereo.size(); i += 2) stereo[i] = 1000, stereo[i + 1] = -1000;
    PcmBuffer out;
    ConvertToMix(stereo.data(), 22050, 2, 22050, &out);
    EXPECT_EQ(std::tuple(out.size(), out[100], out[101]),
              std::tuple(static_cast<size_t>(kMixRate) * 2, 1000, -1000));
    std::vector<i16> mono(1000, 10000);  // mono goes to both channels
    ConvertToMix(mono.data(), mono.size(), 1, kMixRate, &out);
    EXPECT_EQ(std::tuple(out.size(), out[200], out[201]), std::tuple(2000u, 10000, 10000));
}
