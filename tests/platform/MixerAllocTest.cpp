// The audio device's pull allocates nothing: it runs on the device's thread,
// where waiting on the allocator may cut the sound. Allocations made on this
// thread are counted while a pull runs.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <new>

#include "mhdata/SoundData.h"
#include "platform/AudioLib.h"
#include "platform/AudioMixer.h"
#include "platform/MidiSynth.h"

namespace {
thread_local bool tCounting = false;
thread_local int tAllocations = 0;
}  // namespace

// Under AddressSanitizer its own allocator stays in place for every other test
// (it pairs each form of new with its delete): nothing is counted there.
#if defined(__SANITIZE_ADDRESS__)
#define MH_COUNTS_ALLOCATIONS 0
#else
#define MH_COUNTS_ALLOCATIONS 1

// The replacements below pair malloc with free themselves.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"

void* operator new(std::size_t n) {
    if (tCounting) ++tAllocations;
    if (void* p = std::malloc(n ? n : 1)) return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t n) {
    return operator new(n);
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete[](void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    std::free(p);
}
#endif

namespace {

// Operator new's calls on this thread during one pull of frames.
int AllocationsIn(cAudioMixer& m, i16* out, int frames) {
    tAllocations = 0;
    tCounting = true;
    m.Mix(out, frames);
    tCounting = false;
    return tAllocations;
}

// Pulls of the sizes the device asks for, and one longer than a mixing block,
// with a sample voice and a generator voice playing.
TEST(Mixer, PullsAllocateNothing) {
    if (!MH_COUNTS_ALLOCATIONS) GTEST_SKIP() << "the sanitizer's allocator is not replaced";
    cAudioMixer m(8);
    auto pcm = std::make_shared<PcmBuffer>(static_cast<size_t>(kMixRate) * 2, i16{1000});
    int sample = m.Allocate();
    m.SetPcm(sample, pcm);
    m.SetLoops(sample, 0);
    m.Start(sample);
    int generator = m.Allocate();
    m.SetSource(generator, [](i16* out, int frames) {
        for (int i = 0; i < frames * 2; ++i) out[i] = 500;
        return frames;
    });
    m.Start(generator);
    std::vector<i16> out(static_cast<size_t>(kMixBlock) * 3 * 2);
    for (int frames : {512, 1024, 2048, kMixBlock * 3 - 7}) {
        EXPECT_EQ(AllocationsIn(m, out.data(), frames), 0) << "a pull of " << frames << " frames";
        EXPECT_EQ(std::tuple(out[0], out[2 * frames - 1]), std::tuple(1500, 1500)) << frames;
    }
}

// A MIDI sequence played to its end: notes start and end on the pull's thread,
// held notes overlap, a loop goes back twice, the end of the track stops it.
TEST(Mixer, PullsOfAPlayingSequenceAllocateNothing) {
    if (!MH_COUNTS_ALLOCATIONS) GTEST_SKIP() << "the sanitizer's allocator is not replaced";
    if (!std::filesystem::exists(kDefaultSoundFont)) GTEST_SKIP() << "no sound font";
    struct Reset {
        Reset() { AudioReset(); }
        ~Reset() { AudioReset(); }
    } reset;
    XmiPiece piece;
    for (u8 k = 0; k < 4; ++k) piece.notes.push_back({k * 10u, k, u8(60 + k), 100, 25});
    piece.endTick = 60;  // half a second, played three times
    piece.loopCount = 3;
    std::vector<u8> file = MakeXmi(piece);
    HMDIDRIVER driver = AudioMidiOutOpen(-1);
    HSEQUENCE seq = AudioAllocateSequence(driver);
    ASSERT_TRUE(seq && AudioInitSequence(seq, file.data(), static_cast<u32>(file.size()), 0))
        << AudioLastError();
    MidiFinishFontLoads();
    AudioStartSequence(seq);
    std::vector<i16> out(1024 * 2);
    int allocations = 0, pulls = 0, heard = 0;
    for (; AudioSequenceStatus(seq) == kSeqPlaying && pulls < 200; ++pulls) {
        allocations += AllocationsIn(AudioMixer(), out.data(), 1024);
        heard += std::any_of(out.begin(), out.end(), [](i16 v) { return std::abs(v) > 300; });
    }
    // Three passes of 60 ticks are 66150 frames: the 65th pull of 1024 ends
    // them. Notes sound through 55 ticks of every 60.
    EXPECT_EQ(std::tuple(allocations, pulls), std::tuple(0, 65));
    EXPECT_GT(heard, 45);
}

}  // namespace
