// The music manager's playlists, switches with fades, modes and repeats, over
// real stream and MIDI players pulled from the mixer.
#include "mhdata/SoundData.h"
#include "platform/MidiSynth.h"
#include "SoundFixture.h"

class Music : public SoundTest {
protected:
    void SetUp() override {
        SoundTest::SetUp();
        driver_ = AudioWaveOutOpen(44100, 16, 2);
        gStream.Init(driver_);
        const double hz[] = {300, 400, 500, 600};
        for (int i = 0; i < 4; ++i) {
            names_[i] = Root() + "music\\p" + std::to_string(i) + ".wav";
            Write("music/p" + std::to_string(i) + ".wav",
                  MakeWave(MakeTone(hz[i], 300, 22050, 1), 1, 22050));
        }
    }
    void Tick() {
        gStream.Service();
        gMidi.Service();
        gMusic.Service();
    }
    // Pulls and services n frames of 35 ms.
    void Run(int n) {
        for (int i = 0; i < n; ++i) {
            Pull(35);
            Tick();
        }
    }
    // Pulls and services in 35 ms frames until the manager's current id is id.
    int FramesUntil(i32 id, int limit = 400) {
        for (int i = 0; i < limit; ++i) {
            if (gMusic.CurrentId() == id && !gMusic.IsFinished()) return i;
            Run(1);
        }
        return -1;
    }
    HDIGDRIVER driver_ = nullptr;
    std::string names_[4];
};

TEST_F(Music, KindIsACaseSensitiveSubstringTestAndBadTracksAreIgnored) {
    gMusic.SetTrack(names_[0].c_str(), 0, 0, 1);  // id 0, slot 2, list 4
    gMusic.SetTrack(names_[0].c_str(), 1, 2, 1);
    gMusic.SetTrack(names_[0].c_str(), 1, 0, 4);
    for (int l = 1; l <= 3; ++l)
        for (const auto& s : gMusic.GetList(l).slots) EXPECT_EQ(s.name, nullptr);
    EXPECT_EQ(gMusic.GetMode(), 4);
    EXPECT_EQ(std::tuple(cMusic::KindOf("a\\b.wav"), cMusic::KindOf("song.mp3"),
                         cMusic::KindOf("x.xmi"), cMusic::KindOf("LOUD.WAV")),
              std::tuple(cMusic::kStream, cMusic::kStream, cMusic::kMidi, cMusic::kNotMusic));
    gMusic.SetTrack("LOUD.WAV", 5, 0, 1);
    EXPECT_EQ(std::tuple(gMusic.GetList(1).slots[0].name, gMusic.GetList(1).slots[0].id),
              std::tuple(nullptr, 5));
    gMusic.SetMode(1, 1, 0);
    Tick();
    EXPECT_EQ(std::tuple(gMusic.GetMode(), gMusic.IsFinished(), AudioMixer().ActiveVoices()),
              std::tuple(1, 1, 0));
}

TEST_F(Music, SwitchFadesTheCurrentPieceThenLoopsTheNewList) {
    gMusic.SetTrack(names_[0].c_str(), 1, 0, 1);
    gMusic.SetTrack(names_[1].c_str(), 2, 1, 1);
    gMusic.SetTrack(names_[2].c_str(), 3, 0, 2);
    gMusic.SetTrack(names_[3].c_str(), 4, 1, 2);
    gMusic.SetMode(1, 1, 0);
    Tick();
    ASSERT_EQ(gMusic.CurrentId(), 1);
    EXPECT_NEAR(ToneHz(Pull(100)), 300, 15);
    // Loop the first list once round: piece 2, then piece 1 again.
    EXPECT_GE(FramesUntil(2), 0);
    EXPECT_GE(FramesUntil(1), 0);
    gMusic.SetMode(2, 1, 3);  // level 2032 / 3 per frame: gone in three frames
    Tick();
    // The fading piece still counts as playing.
    EXPECT_EQ(std::tuple(gMusic.CurrentId(), gMusic.GetPendingMode()), std::tuple(1, 2));
    int v0 = gStream.GetVolume();
    Tick();
    EXPECT_LT(gStream.GetVolume(), v0);
    int frames = FramesUntil(3);
    EXPECT_TRUE(frames >= 1 && frames <= 4) << frames;
    EXPECT_EQ(gMusic.GetMode(), 2);
    EXPECT_NEAR(ToneHz(Pull(100)), 500, 20);
    EXPECT_GE(FramesUntil(4), 0);
    EXPECT_GE(FramesUntil(3), 0);  // list 2 loops
    // A piece's volume touches only that piece, when it plays.
    gMusic.SetPieceVolume(4, 30);
    EXPECT_EQ(gStream.GetVolume(), 127);
    gMusic.SetPieceVolume(3, 30);
    EXPECT_EQ(std::tuple(gStream.GetVolume(), gMusic.GetVolume()), std::tuple(30, 127));
}

TEST_F(Music, ModeFourFadesToSilenceThroughAVolumeChange) {
    gMusic.SetTrack(names_[0].c_str(), 1, 0, 1);
    gMusic.SetMode(1, 1, 0);
    Tick();
    ASSERT_EQ(gMusic.CurrentId(), 1);
    gMusic.SetMode(4, 1, 10);  // 2032 / 10 = 203 a frame
    Tick();
    Tick();
    ASSERT_EQ(gStream.Open().size(), 1u);
    EXPECT_EQ(gStream.Open()[0]->level, 2032 - 2 * 203);
    gMusic.SetVolume(127);  // the fade goes on from where it was
    EXPECT_EQ(gStream.Open()[0]->level, 2032 - 2 * 203);
    Tick();
    EXPECT_EQ(gStream.GetVolume(), (2032 - 3 * 203) / 16);
    Run(10);
    EXPECT_EQ(std::tuple(gMusic.GetMode(), gMusic.CurrentId(), AudioMixer().ActiveVoices()),
              std::tuple(0, 0, 0));
}

TEST_F(Music, RepeatTwoPlaysTheListOnceThenSilence) {
    gMusic.SetTrack(names_[0].c_str(), 1, 0, 3);
    gMusic.SetTrack(names_[1].c_str(), 2, 1, 3);
    gMusic.SetMode(3, 2, 0);
    Tick();
    EXPECT_EQ(gMusic.CurrentId(), 1);
    EXPECT_GE(FramesUntil(2), 0);
    Run(20);
    EXPECT_EQ(std::tuple(gMusic.CurrentId(), gMusic.GetList(3).index, AudioMixer().ActiveVoices(),
                         gMusic.IsFinished()),
              std::tuple(0, 2, 0, 1));
}

TEST_F(Music, MissingFilesPlayNothingAndAStreamFadeOfZeroClosesAtOnce) {
    std::string missing = Root() + "music\\none.wav";
    gMusic.SetTrack(missing.c_str(), 1, 0, 1);
    gMusic.SetMode(1, 1, 0);
    Tick();
    EXPECT_EQ(gMusic.IsFinished(), 1);
    EXPECT_FALSE(std::filesystem::exists(dir_ / "music" / "none.wav"));
    ASSERT_EQ(gMidi.Open(), 1);
    std::string xmi = Root() + "music\\none.xmi";
    EXPECT_EQ(gMidi.Play(xmi.c_str(), 1, 127, 1), 0);
    EXPECT_FALSE(std::filesystem::exists(dir_ / "music" / "none.xmi"));
    ASSERT_EQ(gStream.Play(names_[0].c_str(), 9, 127, 1), 1);
    EXPECT_EQ(gStream.IsFinished(9), 0);
    gStream.Fade(9, 0);
    EXPECT_EQ(std::tuple(gStream.IsFinished(9), AudioMixer().ActiveVoices()), std::tuple(1, 0));
}

TEST_F(Music, MidiPieceFadesAndEnds) {
    if (!std::filesystem::exists(kDefaultSoundFont)) GTEST_SKIP() << "no sound font";
    XmiPiece p;
    p.notes.push_back({0, 0, 64, 110, 600});
    p.endTick = 600;  // five seconds
    Write("music/long.xmi", MakeXmi(p));
    std::string name = Root() + "music\\long.xmi";
    ASSERT_EQ(gMidi.Open(), 1);
    gMusic.SetTrack(name.c_str(), 7, 0, 1);
    gMusic.SetMode(1, 1, 0);
    Tick();
    ASSERT_EQ(gMusic.CurrentId(), 7);
    EXPECT_GT(Rms(Pull(200)), 200);
    gMusic.SetVolume(64);
    EXPECT_EQ(gMidi.GetVolumeAll(), 64);
    // A fade of 300 ms: 2048 / (300 / 30) = 204 per service.
    gMusic.SetMode(4, 1, 300);
    ASSERT_EQ(gMidi.Playing().size(), 1u);
    EXPECT_EQ(gMidi.Playing()[0]->fadeStep, 204);
    EXPECT_EQ(gMidi.IsFinished(7), 0);
    for (int i = 0; i < 12; ++i) Tick();
    EXPECT_EQ(gMidi.IsFinished(7), 1);
    EXPECT_EQ(gMusic.GetMode(), 0);
}
