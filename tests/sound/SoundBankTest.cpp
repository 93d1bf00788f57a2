// The sound bank: header rebuild, kinds, bad entries, sample sharing and the
// game's sound calls, played through gSound and pulled from the mixer.
#include <cstring>

#include "mhdata/SoundData.h"
#include "platform/AudioEncode.h"
#include "platform/AudioDecode.h"
#include "SoundFixture.h"

namespace {
std::vector<u8> Tone(double hz, u32 ms) {
    return MakeWave(MakeTone(hz, ms, 22050, 1), 1, 22050);
}
}  // namespace

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

TEST_F(SoundBank, MissingOrTruncatedBankIsRefused) {
    EXPECT_FALSE(gSound.Init(Root().c_str()));
    EXPECT_EQ(LastDataError().text, "SFX file connot open.");
    EXPECT_FALSE(std::filesystem::exists(dir_ / "PicLib" / "all.snd"));
    EXPECT_EQ(PlaySfx(1, 11), 0);
    std::vector<u8> bank = MakeSoundBank({{1, {0, Tone(440, 20)}}});
    bank.resize(kSoundBankHeaderSize + 1000);  // the directory cut short
    Write("PicLib/all.snd", bank);
    EXPECT_FALSE(gSound.Init(Root().c_str()));
    EXPECT_EQ(LastDataError().offset, kSoundBankHeaderSize + 1000u);
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

TEST_F(SoundBank, BadEntriesAndImagesAreRefusedWithoutHarm) {
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
        if (n > 0 && n < 10) {
            EXPECT_EQ(gSound.GetEntry(n)->data, nullptr) << n;
        }
    }
    EXPECT_EQ(gSound.PlayingCount(), 0);
    EXPECT_EQ(PlaySfx(1, 11), 1);
    PcmBuffer pcm;
    DataError error;
    EXPECT_FALSE(DecodeMp3(garbage.data(), garbage.size(), &pcm, &error));
}

// Samples share their entry's data: it stays while any sample holds it, is
// released by a stop or by the service once the sound has ended, and no more
// than sixteen samples play at once.
TEST_F(SoundBank, SharedDataStayWhileAnySampleHoldsThem) {
    ASSERT_TRUE(InitWith({{5, {0, Tone(440, 500)}}, {1, {0, Tone(440, 40)}}}));
    for (int i = 0; i < 2; ++i) ASSERT_EQ(PlaySfx(5, 11), 1);
    EXPECT_EQ(gSound.GetEntry(5)->useCount, 2);
    StopSfx(5);
    EXPECT_EQ(gSound.PlayingCount(), 1);
    EXPECT_NE(gSound.GetEntry(5)->data, nullptr);
    EXPECT_GT(Rms(Pull(50)), 1000);
    StopSfx(5);
    EXPECT_EQ(gSound.GetEntry(5)->data, nullptr);
    EXPECT_EQ(gSound.IsFinished(0), 1);

    ASSERT_EQ(PlaySfx(1, 11), 1);
    gSound.Service();
    EXPECT_EQ(gSound.IsFinished(1), 0);
    Pull(60);
    gSound.Service();
    EXPECT_EQ(gSound.IsFinished(1), 1);
    EXPECT_EQ(gSound.GetEntry(1)->data, nullptr);

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
