// Disc music from a folder that stands for a disc: mounting by label, track
// choice by tone, spans, loop counts and volume; the built-in sounds.
#include "mhdata/SoundData.h"
#include "SoundFixture.h"

class Redbook : public SoundTest {
protected:
    void SetUp() override {
        SoundTest::SetUp();
        Write("disc/label", std::vector<u8>(kSampleDiscLabel, kSampleDiscLabel + 6));
        for (int n = 1; n <= 8; ++n) {
            char name[32];
            std::snprintf(name, sizeof name, "disc/Track%02d.wav", n);
            Write(name, MakeWave(MakeTone(SampleDiscTrackHz(n), 300, 22050, 1), 1, 22050));
        }
        Write("disc/notes.txt", {'x'});
    }
    cRedbook cd_;
};

TEST_F(Redbook, FolderDiscIsMountedWithItsLabel) {
    cd_.Play(3, 0);  // closed: nothing plays
    EXPECT_EQ(std::tuple(cd_.Status(), AudioMixer().ActiveVoices()),
              std::tuple(kRedbookStopped, 0));
    std::string list = (dir_ / "missing").string() + ":" + (dir_ / "disc").string();
    EXPECT_EQ(MountDiscFolders(list), 1);
    EXPECT_EQ(GetDriveTypeA("D:\\"), DRIVE_CDROM);
    std::string label;
    ASSERT_TRUE(GetVolumeLabel("D:\\", &label));
    EXPECT_EQ(label, kSampleDiscLabel);
    ASSERT_TRUE(cd_.Open(3, -1));
    EXPECT_EQ(std::tuple(cd_.DriveLetter(), cd_.IsReady(), cd_.GetTrackCount()),
              std::tuple('D', true, 8));
    // Out of range volumes read as 127.
    for (int v : {-5, 40, 300}) {
        cd_.SetVolume(v);
        EXPECT_EQ(cd_.GetVolume(), v == 40 ? 40 : 127) << v;
    }
    EXPECT_FALSE(cd_.Open(0, 'q'));
    EXPECT_FALSE(cd_.IsReady());
}

// Track 7 plays its tone once; a track above the last plays the last, heard
// again once; track 0 loops the whole disc.
TEST_F(Redbook, TracksPlayTheirTonesAndReplays) {
    MountDiscFolders((dir_ / "disc").string());
    ASSERT_TRUE(cd_.Open(0, 'd'));  // the letter in either case
    cd_.Play(7, -1);
    EXPECT_EQ(std::tuple(cd_.Status(), cd_.GetCurrentTrack()), std::tuple(kRedbookPlaying, 7));
    EXPECT_NEAR(ToneHz(Pull(200)), SampleDiscTrackHz(7), 15);
    Pull(150);
    EXPECT_EQ(cd_.Status(), kRedbookStopped);
    cd_.Poll();  // a negative count plays once: nothing is replayed
    EXPECT_EQ(cd_.Status(), kRedbookStopped);

    cd_.Play(99, 1);
    EXPECT_EQ(cd_.SpanEnd() - cd_.SpanStart(), 300u);
    for (int pass = 0; pass < 2; ++pass) {
        EXPECT_NEAR(ToneHz(Pull(200)), SampleDiscTrackHz(8), 15) << pass;
        Pull(150);
        cd_.Poll();  // stopped: heard a second time, then nothing more
        EXPECT_EQ(cd_.Status(), pass == 0 ? kRedbookPlaying : kRedbookStopped) << pass;
        if (pass == 0) {
            EXPECT_EQ(std::tuple(cd_.LoopCount(), cd_.Activity()), std::tuple(-1, -1));
        }
    }
    cd_.Stop();
    EXPECT_EQ(cd_.Activity(), 0);

    cd_.Play(0, 0);
    EXPECT_EQ(std::tuple(cd_.SpanStart(), cd_.SpanEnd()), std::tuple(0u, 2400u));
    for (int i = 0; i < 9; ++i) Pull(300);  // past the end of the disc
    EXPECT_EQ(cd_.Status(), kRedbookStopped);
    cd_.Poll();
    EXPECT_EQ(cd_.Status(), kRedbookPlaying);
    EXPECT_NEAR(ToneHz(Pull(200)), SampleDiscTrackHz(1), 15);
    EXPECT_EQ(cd_.LoopCount(), 0);
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
