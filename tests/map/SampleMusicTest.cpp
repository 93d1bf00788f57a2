// The sample town's music as a player hears it: it starts with the map, and a
// MIDI piece sounds as loud as a recorded one at the same volume setting.
#include "MapTestSupport.h"

namespace {

// The loudest sample of ms milliseconds pulled from the mixer.
int PeakOf(u32 ms) {
    std::vector<i16> out(static_cast<size_t>(ms) * kMixRate / 1000 * 2);
    AudioMixer().Mix(out.data(), static_cast<int>(out.size() / 2));
    int peak = 0;
    for (i16 v : out) peak = std::max(peak, std::abs(static_cast<int>(v)));
    return peak;
}

TEST(SampleMusic, TheTownsPieceStartsWithTheMapAndMatchesARecordedPiece) {
    if (!std::filesystem::exists(kDefaultSoundFont)) GTEST_SKIP() << "no sound font";
    Harness h;
    SampleSession s{h};
    s.NewGameFromTheTitle();
    // Within a few frames of the new game the town's piece is the one playing.
    ASSERT_TRUE(h.RunUntil([] { return gMusic.CurrentKind() == cMusic::kMidi; }, 10));
    EXPECT_TRUE(Ends(gMusic.GetList(1).slots[0].name, "theme.xmi"));
    EXPECT_EQ(gMusic.GetVolume(), static_cast<int>(gMusicVolume) * 127 / 11);
    // The piece again from its start, alone in the mixer: whatever the title
    // left in the mixer (it is pulled only here) is drained first.
    gMidi.Stop();
    StopAllSfx();
    PeakOf(1000);
    gMusic.SetMode(1, 1, 0);
    h.RunFrames(2);
    ASSERT_EQ(gMidi.Playing().size(), 1u);
    int midi = PeakOf(2000);

    // The same setting with a recorded piece of the sample in its place.
    gMidi.Stop();
    PeakOf(500);
    gMusic.ClearList(1);
    std::string wave = std::string(gBasePath) + "music\\field.wav";
    gMusic.SetTrack(wave.c_str(), 3, 0, 1);
    gMusic.SetMode(1, 1, 0);
    h.RunFrames(2);
    ASSERT_EQ(gMusic.CurrentKind(), cMusic::kStream);
    int stream = PeakOf(800);
    ASSERT_GT(stream, 1000);
    // Within 3 dB of each other.
    EXPECT_GT(midi * 1.42, stream) << midi << " vs " << stream;
    EXPECT_LT(midi, stream * 1.42) << midi << " vs " << stream;
}

}  // namespace
