// The audio device's pull allocates nothing: it runs on the device's thread,
// where waiting on the allocator may cut the sound. Allocations made on this
// thread are counted while a pull runs.
#include <gtest/gtest.h>

#include <cstdlib>
#include <new>

#include "platform/AudioMixer.h"

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
        tAllocations = 0;
        tCounting = true;
        m.Mix(out.data(), frames);
        tCounting = false;
        EXPECT_EQ(tAllocations, 0) << "a pull of " << frames << " frames";
        EXPECT_EQ(std::tuple(out[0], out[2 * frames - 1]), std::tuple(1500, 1500)) << frames;
    }
}

}  // namespace
