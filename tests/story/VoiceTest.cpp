// The voice routines: one sample file as the current voice, heard through the
// mixer; missing, bad and silent cases.
#include "story/Voice.h"

#include "base/DataError.h"
#include "mhdata/SoundData.h"
#include "sound/SoundFixture.h"

namespace {

class Voice : public SoundTest {
protected:
    void SetUp() override {
        SoundTest::SetUp();
        Write("PicLib/all.snd", MakeSoundBank({{1, {1, Tone(300, 50)}}}));
        ASSERT_TRUE(gSound.Init(Root().c_str()));
    }
    static std::vector<u8> Tone(double hz, u32 ms) {
        return MakeWave(MakeTone(hz, ms, 22050, 1), 1, 22050);
    }
    std::string WriteVoice(const std::string& name, const std::vector<u8>& bytes) {
        Write("Voice/" + name, bytes);
        return Root() + "Voice/" + name;
    }
};

TEST_F(Voice, OneVoiceAtATimeBadFilesAndAClosedOutput) {
    std::string low = WriteVoice("low.wav", Tone(440, 2000));
    std::string high = WriteVoice("high.wav", Tone(880, 2000));
    ASSERT_EQ(PlayVoice(low.c_str(), 11), 1);
    Pull(50);
    int voices = AudioMixer().ActiveVoices();
    ASSERT_EQ(PlayVoice(high.c_str(), 11), 1);
    EXPECT_EQ(AudioMixer().ActiveVoices(), voices) << "one voice at a time";
    EXPECT_NEAR(ToneHz(Pull(100)), 880, 25);
    // Many voices in a row never hold more than one handle.
    for (int i = 0; i < 40; ++i) ASSERT_EQ(PlayVoice(low.c_str(), 11), 1);
    EXPECT_EQ(AudioMixer().ActiveVoices(), voices);
    StopVoice();
    EXPECT_EQ(std::tuple(VoicePlaying(), Rms(Pull(50))), std::tuple(0, 0));
    StopVoice();  // nothing playing: fine
    EXPECT_EQ(VoicePlaying(), 0);
    // Missing or bad files play nothing.
    std::string good = WriteVoice("good.wav", Tone(440, 2000));
    std::vector<u8> junk(400, 0x5A);
    std::vector<u8> cut = Tone(440, 200);
    cut.resize(30);  // a header that promises data it does not hold
    const std::pair<std::string, const char*> cases[] = {
        {Root() + "Voice/none.wav", "missing"},
        {WriteVoice("junk.wav", junk), "not a sound"},
        {WriteVoice("cut.wav", cut), "cut short"},
        {WriteVoice("tiny.wav", {'R', 'I', 'F'}), "too small"},
        {"", "no name"}};
    for (const auto& [path, why] : cases) {
        ASSERT_EQ(PlayVoice(good.c_str(), 11), 1);
        EXPECT_EQ(PlayVoice(path.c_str(), 11), 0) << why;
        if (!path.empty()) {
            EXPECT_EQ(LastDataError().file, path) << why;
        }
        // The voice before is ended all the same.
        EXPECT_EQ(std::tuple(VoicePlaying(), Rms(Pull(30))), std::tuple(0, 0)) << why;
    }
    EXPECT_EQ(PlayVoice(nullptr, 11), 0);
    std::string path = WriteVoice("a.wav", Tone(440, 2000));
    ASSERT_EQ(PlayVoice(path.c_str(), 11), 1);
    gSound.Release();
    EXPECT_EQ(VoicePlaying(), 0);
    StopVoice();
    EXPECT_EQ(PlayVoice(path.c_str(), 11), 0);
    // Opened again, the voice plays on the new output.
    ASSERT_TRUE(gSound.Init(Root().c_str()));
    ASSERT_EQ(PlayVoice(path.c_str(), 11), 1) << LastDataError().Message();
    EXPECT_GT(Rms(Pull(50)), 2000);
}

}  // namespace
