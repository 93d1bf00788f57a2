// Sound effects: the mixer's arithmetic, voices and status pulled directly with
// no device; the sound bank's header rebuild, kinds, bad entries, sample sharing
// and the game's sound calls through gSound; the built-in start and dialog sounds.
#include <cstring>
#include <memory>

#include "platform/AudioDecode.h"
#include "platform/AudioEncode.h"
#include "SoundFixture.h"

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

class SoundBank : public SoundTest {
protected:
    bool InitWith(const std::map<int, BankSound>& sounds) {
        Write("PicLib/all.snd", MakeSoundBank(sounds));
        return gSound.Init(Root().c_str());
    }
};

// A kind-0 entry is a WAVE file less its first 20 bytes: the rebuilt image is
// that file again, its data length taken from the entry's size.
TEST(SoundBankImage, Kind0HeaderIsRebuiltByteForByte) {
    std::vector<u8> wave = Tone(440, 50);
    std::vector<u8> stored(wave.begin() + 20, wave.end());
    std::vector<u8> image;
    EXPECT_FALSE(cSound::BuildKind0Image(stored.data(), 23, &image)) << "shorter than its header";
    ASSERT_TRUE(cSound::BuildKind0Image(stored.data(), static_cast<u32>(stored.size()), &image));
    EXPECT_EQ(image, wave);
    StoreU32(stored.data() + 20, 0xFFFFFFF0u);  // a stored data length that lies
    ASSERT_TRUE(cSound::BuildKind0Image(stored.data(), static_cast<u32>(stored.size()), &image));
    EXPECT_EQ(image, wave);
}

TEST_F(SoundBank, MissingTruncatedOrBadBanksAndEntriesAreRefusedWithoutHarm) {
    EXPECT_FALSE(gSound.Init(Root().c_str()));
    EXPECT_EQ(LastDataError().text, "SFX file connot open.");
    EXPECT_FALSE(std::filesystem::exists(dir_ / "PicLib" / "all.snd"));
    EXPECT_EQ(PlaySfx(1, 11), 0);
    std::vector<u8> cut = MakeSoundBank({{1, {0, Tone(440, 20)}}});
    cut.resize(kSoundBankHeaderSize + 1000);  // the directory cut short
    Write("PicLib/all.snd", cut);
    EXPECT_FALSE(gSound.Init(Root().c_str()));
    EXPECT_EQ(LastDataError().offset, kSoundBankHeaderSize + 1000u);
    // Bad entries and images in a whole bank are refused without harm.
    std::vector<u8> shortKind1(40, 'x');
    std::memcpy(shortKind1.data(), "RIFF", 4);
    std::vector<u8> zeroChannels = Tone(440, 20), pastEnd = Tone(440, 20), garbage(400);
    StoreU16(zeroChannels.data() + 22, 0);
    StoreU32(pastEnd.data() + 40, 1u << 30);
    for (size_t i = 0; i < garbage.size(); ++i) garbage[i] = static_cast<u8>(i * 37 + 11);
    std::vector<u8> bank = MakeSoundBank({{1, {0, Tone(440, 20)}},
                                          {2, {1, shortKind1}},     // kind 1 below 44 bytes
                                          {4, {2, Tone(440, 20)}},  // kind 2
                                          {7, {1, zeroChannels}},
                                          {8, {1, pastEnd}},  // data length past the image
                                          {9, {1, garbage}}});
    // Sound 3: an offset past the end of the file.
    size_t e3 = kSoundBankHeaderSize + 2 * kSoundBankEntrySize;
    StoreU32(bank.data() + e3 + 20, 100);
    StoreU32(bank.data() + e3 + 24, static_cast<u32>(bank.size() + 10));
    // Sound 5: kind 0 with a size below its 24-byte header.
    size_t e5 = kSoundBankHeaderSize + 4 * kSoundBankEntrySize;
    StoreU32(bank.data() + e5 + 20, 10);
    StoreU32(bank.data() + e5 + 24, kSoundBankHeaderSize);
    Write("PicLib/all.snd", bank);
    ASSERT_TRUE(gSound.Init(Root().c_str()));
    for (int n : {2, 3, 4, 5, 6, 7, 8, 9, 3001, -2}) {  // 6: offset 0, no sound
        EXPECT_EQ(PlaySfx(n, 11), 0) << n;
        EXPECT_TRUE(n < 1 || n > 9 || gSound.GetEntry(n)->data == nullptr) << n;
    }
    EXPECT_EQ(gSound.PlayingCount(), 0);
    EXPECT_EQ(PlaySfx(1, 11), 1);
    PcmBuffer pcm;
    DataError error;
    EXPECT_FALSE(DecodeMp3(garbage.data(), garbage.size(), &pcm, &error));
}

// Kinds 0 and 1, WAVE and MP3, play their tones. Played at full volume in the
// centre, a kind-0 sound at the mixer's rate reaches the output as its stored
// samples, each once, and then silence.
TEST_F(SoundBank, KindsZeroAndOneWaveAndMp3Play) {
    std::vector<i16> mp3Pcm = MakeTone(880, 300, 44100, 1);
    std::vector<u8> mp3;
    ASSERT_TRUE(EncodeMp3(mp3Pcm.data(), mp3Pcm.size(), 1, 44100, &mp3));
    std::vector<i16> ramp(2 * 300);
    for (size_t i = 0; i < ramp.size(); ++i)
        ramp[i] = static_cast<i16>(i % 2 ? -100 - 7 * i : 100 + 5 * i);
    ASSERT_TRUE(InitWith({{1, {0, Tone(440, 200)}},
                          {2, {1, MakeWave(MakeTone(660, 200, 44100, 2), 2, 44100)}},
                          {3, {1, mp3}},
                          {4, {0, MakeWave(ramp, 2, kMixRate)}}}));
    EXPECT_EQ(gSound.HandleCount(), 16);
    const double want[] = {440, 660, 880};
    for (int n = 1; n <= 3; ++n) {
        ASSERT_EQ(PlaySfx(n, 11), 1) << n << " " << gSound.GetErrorText();
        auto pcm = Pull(150);
        EXPECT_GT(Rms(pcm), 3000) << n;
        EXPECT_NEAR(ToneHz(pcm), want[n - 1], want[n - 1] * 0.05) << n;
        StopSfx(n);
        EXPECT_EQ(gSound.IsFinished(n), 1);
    }
    ASSERT_EQ(PlaySfx(4, 11), 1) << gSound.GetErrorText();
    std::vector<i16> heard(2 * 400);
    AudioMixer().Mix(heard.data(), 400);
    EXPECT_EQ(std::vector<i16>(heard.begin(), heard.begin() + 600), ramp);
    EXPECT_EQ(std::vector<i16>(heard.begin() + 600, heard.end()), std::vector<i16>(200, 0));
}

// Samples share their entry's data: it stays while any sample holds it, is
// released by a stop or by the service once the sound has ended, and no more
// than sixteen samples play at once.
TEST_F(SoundBank, SharedDataStayWhileAnySampleHoldsThem) {
    ASSERT_TRUE(InitWith({{5, {0, Tone(440, 500)}}, {1, {0, Tone(440, 40)}}}));
    for (int i = 0; i < 2; ++i) ASSERT_EQ(PlaySfx(5, 11), 1);
    EXPECT_EQ(gSound.GetEntry(5)->useCount, 2);
    StopSfx(5);
    EXPECT_EQ(std::pair(gSound.PlayingCount(), gSound.GetEntry(5)->data != nullptr),
              std::pair(1, true));
    EXPECT_GT(Rms(Pull(50)), 1000);
    StopSfx(5);
    EXPECT_EQ(std::pair(gSound.GetEntry(5)->data == nullptr, gSound.IsFinished(0)),
              std::pair(true, 1));

    ASSERT_EQ(PlaySfx(1, 11), 1);
    gSound.Service();
    EXPECT_EQ(gSound.IsFinished(1), 0);
    Pull(60);
    gSound.Service();
    EXPECT_EQ(std::pair(gSound.IsFinished(1), gSound.GetEntry(1)->data == nullptr),
              std::pair(1, true));

    for (int i = 0; i < 16; ++i) ASSERT_EQ(PlaySfx(5, 5), 1);
    EXPECT_EQ(PlaySfx(5, 5), 0);
    EXPECT_EQ(gSound.GetEntry(5)->useCount, 16);  // the refused play took nothing
    StopAllSfx();
    EXPECT_EQ(gSound.GetEntry(5)->data, nullptr);
}

TEST_F(SoundBank, VolumeScaleAndPositionalSound) {
    ASSERT_TRUE(InitWith({{1, {0, Tone(440, 500)}}}));
    ASSERT_EQ(PlaySfx(1, 11), 1);  // 11 x 128 / 11 = 128, clamped to 127
    EXPECT_EQ(AudioMixer().Volume(0), 127);
    StopAllSfx();
    ASSERT_EQ(PlaySfx(1, 0), 1);
    EXPECT_LT(Rms(Pull(50)), 1);
    StopAllSfx();

    PlaySfxFrom(1, 511, 0, 0, 0, 11);  // 511 px away: (128 - 127) x 11 / 11
    ASSERT_EQ(gSound.PlayingCount(), 1);
    auto playing = [] {
        for (int v = 0; v < AudioMixer().VoiceCount(); ++v)
            if (AudioMixer().Status(v) == kVoicePlaying) return v;
        return -1;
    };
    EXPECT_EQ(AudioMixer().Volume(playing()), 1);
    StopAllSfx();
    PlaySfxFrom(1, 512, 0, 0, 0, 11);
    EXPECT_EQ(gSound.PlayingCount(), 0);
    PlaySfxFrom(1, 256, 0, 0, 0, 11);  // to the right: 32 + 63
    EXPECT_EQ(AudioMixer().Pan(playing()), 95);
    StopAllSfx();
    // Far-apart points: the squares do not overflow into a small distance.
    PlaySfxFrom(1, 2000000000, 0, -2000000000, 0, 11);
    EXPECT_EQ(gSound.PlayingCount(), 0);
}

// The built-in start and dialog sounds, pulled from the mixer.
using ResourceSound = SoundTest;

// The start chime's two notes and its end; the dialog click is short, ends the
// sound before it and never holds more than one voice.
TEST_F(ResourceSound, StartChimeAndDialogClick) {
    ASSERT_TRUE(PlaySoundResource(kSoundResourceStart));
    auto first = Pull(100);
    EXPECT_GT(Rms(first), 2000);
    // Mono at the centre: both channels alike.
    EXPECT_NEAR(Rms(first, 0), Rms(first, 1), 0.02 * Rms(first));
    EXPECT_NEAR(ToneHz(first), 1046.5, 30);
    Pull(150);
    EXPECT_NEAR(ToneHz(Pull(80), 300), 1568, 30);  // the second, higher note
    Pull(1100);
    EXPECT_EQ(std::tuple(Rms(Pull(100)), AudioMixer().ActiveVoices()), std::tuple(0.0, 0));

    ASSERT_TRUE(PlaySoundResource(kSoundResourceStart));
    Pull(20);
    ASSERT_TRUE(PlaySoundResource(kSoundResourceDialog));
    EXPECT_EQ(AudioMixer().ActiveVoices(), 1);
    auto click = Pull(50);
    EXPECT_GT(Rms(click), 2000);
    EXPECT_NEAR(ToneHz(click), 880, 30);
    Pull(100);
    EXPECT_EQ(Rms(Pull(50)), 0);
    // Played over and over, it never holds more than one voice.
    for (int i = 0; i < 40; ++i) ASSERT_TRUE(PlaySoundResource(kSoundResourceDialog));
    EXPECT_EQ(AudioMixer().ActiveVoices(), 1);
}

TEST_F(ResourceSound, OtherIdsPlayNothingAndALibraryResetIsSurvived) {
    for (int id : {0, -1, 1, 118, 121, 261, 100000}) {
        EXPECT_FALSE(PlaySoundResource(id)) << id;
        EXPECT_EQ(AudioMixer().ActiveVoices(), 0) << id;
        EXPECT_EQ(Rms(Pull(20)), 0) << id;
    }
    ASSERT_TRUE(PlaySoundResource(kSoundResourceStart));
    AudioReset();
    EXPECT_EQ(Rms(Pull(20)), 0);
    ASSERT_TRUE(PlaySoundResource(kSoundResourceDialog));
    EXPECT_GT(Rms(Pull(30)), 2000);
}
