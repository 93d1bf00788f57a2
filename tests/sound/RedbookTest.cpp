// Disc music from a folder that stands for a disc: mounting by label, track
// choice by tone, spans and loop counts.
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
};

TEST_F(Redbook, FolderDiscIsMountedWithItsLabel) {
    std::string list = (dir_ / "missing").string() + ":" + (dir_ / "disc").string();
    EXPECT_EQ(MountDiscFolders(list), 1);
    EXPECT_EQ(GetDriveTypeA("D:\\"), DRIVE_CDROM);
    std::string label;
    ASSERT_TRUE(GetVolumeLabel("D:\\", &label));
    EXPECT_EQ(label, kSampleDiscLabel);
    cRedbook cd;
    ASSERT_TRUE(cd.Open(3, -1));
    EXPECT_EQ(cd.DriveLetter(), 'D');
    EXPECT_TRUE(cd.IsReady());
    EXPECT_EQ(cd.GetTrackCount(), 8);
    EXPECT_FALSE(cd.Open(0, 'q'));
    EXPECT_FALSE(cd.IsReady());
}

TEST_F(Redbook, TrackSevenPlaysItsTone) {
    MountDiscFolders((dir_ / "disc").string());
    cRedbook cd;
    ASSERT_TRUE(cd.Open(0, 'd'));
    cd.Play(7, -1);
    EXPECT_EQ(cd.Status(), kRedbookPlaying);
    EXPECT_EQ(cd.GetCurrentTrack(), 7);
    EXPECT_NEAR(ToneHz(Pull(200)), SampleDiscTrackHz(7), 15);
    Pull(150);
    EXPECT_EQ(cd.Status(), kRedbookStopped);
    cd.Poll();  // a negative count plays once: nothing is replayed
    EXPECT_EQ(cd.Status(), kRedbookStopped);
}

TEST_F(Redbook, TrackAboveTheLastPlaysTheLastWithReplays) {
    MountDiscFolders((dir_ / "disc").string());
    cRedbook cd;
    ASSERT_TRUE(cd.Open(0, 'D'));
    cd.Play(99, 1);
    u32 s = 0, e = 0;
    AudioRedbookTrackInfo(nullptr, 8, &s, &e);
    EXPECT_EQ(cd.SpanEnd() - cd.SpanStart(), 300u);
    EXPECT_NEAR(ToneHz(Pull(200)), SampleDiscTrackHz(8), 15);
    Pull(150);
    cd.Poll();  // stopped: heard a second time, then nothing more
    EXPECT_EQ(cd.Status(), kRedbookPlaying);
    EXPECT_EQ(cd.LoopCount(), -1);
    EXPECT_EQ(cd.Activity(), -1);
    EXPECT_NEAR(ToneHz(Pull(200)), SampleDiscTrackHz(8), 15);
    Pull(150);
    cd.Poll();
    EXPECT_EQ(cd.Status(), kRedbookStopped);
    cd.Stop();
    EXPECT_EQ(cd.Activity(), 0);
}

TEST_F(Redbook, TrackZeroLoopsTheWholeDisc) {
    MountDiscFolders((dir_ / "disc").string());
    cRedbook cd;
    ASSERT_TRUE(cd.Open(0, 'D'));
    cd.Play(0, 0);
    EXPECT_EQ(cd.SpanStart(), 0u);
    EXPECT_EQ(cd.SpanEnd(), 2400u);
    for (int i = 0; i < 9; ++i) Pull(300);  // past the end of the disc
    EXPECT_EQ(cd.Status(), kRedbookStopped);
    cd.Poll();
    EXPECT_EQ(cd.Status(), kRedbookPlaying);
    EXPECT_NEAR(ToneHz(Pull(200)), SampleDiscTrackHz(1), 15);
    EXPECT_EQ(cd.LoopCount(), 0);
}

TEST_F(Redbook, VolumeOutOfRangeIs127) {
    MountDiscFolders((dir_ / "disc").string());
    cRedbook cd;
    ASSERT_TRUE(cd.Open(0, 'D'));
    cd.SetVolume(-5);
    EXPECT_EQ(cd.GetVolume(), 127);
    cd.SetVolume(40);
    EXPECT_EQ(cd.GetVolume(), 40);
    cd.SetVolume(300);
    EXPECT_EQ(cd.GetVolume(), 127);
}

TEST_F(Redbook, ClosedPlayerPlaysNothing) {
    cRedbook cd;
    cd.Play(3, 0);
    EXPECT_EQ(cd.Status(), kRedbookStopped);
    EXPECT_EQ(cd.GetTrackCount(), 0);
    EXPECT_FALSE(cd.IsReady());
    EXPECT_EQ(AudioMixer().ActiveVoices(), 0);
}
