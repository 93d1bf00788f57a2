// The built-in start and dialog sounds, pulled from the mixer.
#include "SoundFixture.h"

using ResourceSound = SoundTest;

TEST_F(ResourceSound, StartChimeSoundsAndEnds) {
    ASSERT_TRUE(PlaySoundResource(kSoundResourceStart));
    auto first = Pull(100);
    EXPECT_GT(Rms(first), 2000);
    // Mono at the centre: both channels alike.
    EXPECT_NEAR(Rms(first, 0), Rms(first, 1), 0.02 * Rms(first));
    EXPECT_NEAR(ToneHz(first), 1046.5, 30);
    Pull(150);
    EXPECT_NEAR(ToneHz(Pull(80), 300), 1568, 30);  // the second, higher note
    Pull(1100);
    EXPECT_EQ(Rms(Pull(100)), 0);
    EXPECT_EQ(AudioMixer().ActiveVoices(), 0);
}

TEST_F(ResourceSound, DialogClickIsShortAndEndsTheSoundBeforeIt) {
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
