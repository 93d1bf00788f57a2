// Sequences share one loaded sound font: it is read once, and a sequence
// still sounds after another that used the same font is released.
#include <filesystem>

#include "mhdata/SoundData.h"
#include "platform/MidiSynth.h"
#include "SoundFixture.h"

namespace {

class SharedFont : public SoundTest {};

HSEQUENCE StartNote(HMDIDRIVER drv, const std::vector<u8>& file) {
    HSEQUENCE seq = AudioAllocateSequence(drv);
    if (!seq || !AudioInitSequence(seq, file.data(), static_cast<u32>(file.size()), 0)) return seq;
    AudioStartSequence(seq);
    return seq;
}

TEST_F(SharedFont, ReadOnceAndKeptWhileAnySequenceUsesIt) {
    if (!std::filesystem::exists(kDefaultSoundFont)) GTEST_SKIP() << "no sound font";
    XmiPiece p;
    p.notes.push_back({0, 0, 60, 120, 120});  // a second
    p.endTick = 120;
    std::vector<u8> file = MakeXmi(p);
    HMDIDRIVER drv = AudioMidiOutOpen(-1);
    ASSERT_NE(drv, nullptr);
    u32 loads = MidiSoundFontLoads();
    HSEQUENCE a = StartNote(drv, file);
    ASSERT_NE(a, nullptr) << AudioLastError();
    HSEQUENCE b = StartNote(drv, file);
    ASSERT_NE(b, nullptr) << AudioLastError();
    HSEQUENCE c = StartNote(drv, file);
    ASSERT_NE(c, nullptr) << AudioLastError();
    // At most the first sequence of the program read the file.
    EXPECT_LE(MidiSoundFontLoads() - loads, 1u);
    EXPECT_GE(MidiSoundFontLoads(), 1u);
    EXPECT_GT(Rms(Pull(200)), 300);
    // The first two go; the third plays on from the same samples.
    AudioReleaseSequence(a);
    AudioReleaseSequence(b);
    EXPECT_GT(Rms(Pull(200)), 300);
    AudioReleaseSequence(c);
    EXPECT_LT(Rms(Pull(100)), 1);
    // A new sequence after all were released finds the font still loaded.
    u32 before = MidiSoundFontLoads();
    HSEQUENCE d = StartNote(drv, file);
    ASSERT_NE(d, nullptr) << AudioLastError();
    EXPECT_GT(Rms(Pull(200)), 300);
    EXPECT_EQ(MidiSoundFontLoads(), before);
    AudioReleaseSequence(d);
}

}  // namespace
