// Soak: thousands of frames of random keys, key messages, mouse moves and clicks
// through the title, the map, battles and the screens of the sample game.
// Nothing may crash or hang, and the debug allocator may report nothing. A
// watchdog ends the program when a frame does not return, naming the frame and
// the seed.
// MH_SOAK_SEED replays a run; MH_SOAK_FRAMES changes its length.
#include <gtest/gtest.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "engine/MemDbg.h"
#include "data/GameFlags.h"
#include "map/City.h"
#include "mhdata/Maps.h"
#include "mhdata/SampleTalks.h"
#include "story/Talk.h"
#include "shell/Settings.h"
#include "platform/Input.h"
#include "support/Harness.h"
#include "ui/ScreenState.h"

namespace {

u32 EnvNumber(const char* name, u32 fallback) {
    const char* v = std::getenv(name);
    return v && *v ? static_cast<u32>(std::strtoul(v, nullptr, 10)) : fallback;
}

const u32 kMessageKeys[] = {VK_ESCAPE, VK_RETURN, VK_F1, VK_F1 + 1, VK_F1 + 2, VK_F1 + 3,
                            0x20,      0x26,      0x28,  0x25,      0x27};

// One frame's random input.
void RandomInput(Harness& h, std::mt19937& rng, const std::vector<u8>& codes,
                 std::vector<u8>& held) {
    auto pick = [&rng](size_t n) { return static_cast<size_t>(rng() % n); };
    const size_t what = pick(10);
    if (what < 3) {  // a key goes down, to be let go some frames later
        u8 c = codes[pick(codes.size())];
        PlatformSetKey(c, true);
        held.push_back(c);
    } else if (what == 3) {
        h.PostKeyUp(kMessageKeys[pick(sizeof(kMessageKeys) / sizeof(kMessageKeys[0]))]);
    } else if (what < 6) {
        PlatformMoveMouse(static_cast<i32>(pick(161)) - 80, static_cast<i32>(pick(121)) - 60);
    } else if (what == 6) {
        PlatformSetMouseButtons(pick(4) != 0, pick(4) == 0);
    } else {
        PlatformSetMouseButtons(false, false);
    }
    if (held.size() > 3 || (!held.empty() && pick(3) == 0)) {
        PlatformSetKey(held.front(), false);
        held.erase(held.begin());
    }
}

constexpr int kHungExit = 86;

// Runs frames under an alarm: a frame that has not returned when it rings is
// named on stderr, with how to replay the run, and the program ends. The text
// is made before the frame; the alarm's handler only writes it.
struct FrameWatchdog {
    static inline char said[160];
    static inline int saidBytes = 0;
    unsigned seconds;
    std::string replay;

    void Frame(Harness& h, int n) const {
        saidBytes = std::snprintf(said, sizeof(said), "frame %d did not return within %u s (%s)\n",
                                  n, seconds, replay.c_str());
        std::signal(SIGALRM, [](int) {
            (void)!write(STDERR_FILENO, said, static_cast<size_t>(saidBytes));
            _exit(kHungExit);
        });
        alarm(seconds);
        h.RunFrames(1);
        alarm(0);
    }
};

}  // namespace

TEST(Soak, RandomInputThroughTitleMapAndScreens) {
    const u32 seed = EnvNumber("MH_SOAK_SEED", 20261301u);
    const int frames = static_cast<int>(EnvNumber("MH_SOAK_FRAMES", 10000));
    std::mt19937 rng(seed);
    std::vector<std::string> reports;
    int done = 0, starts = 0, battleFrames = 0;
    std::set<u32> seen;  // the frames shown: 0 is map mode, the rest screens
    const FrameWatchdog dog{5, "replay with MH_SOAK_SEED=" + std::to_string(seed)};
    // Leaks, failed or bad frees and damaged guards; the statistics the allocator
    // prints when the game closes are no fault.
    MemDbgSetSink([&reports](const std::string& s) {
        for (const char* fault : {"Leak::", "AllocFail::", "FreeFail::", "Check at::"})
            if (s.find(fault) != std::string::npos) reports.push_back(s);
    });
    const i32 blocksBefore = MemDbgGetStats().curBlocks;
    while (done < frames) {
        Harness h;
        h.WriteSample();
        h.StartGame();
        ++starts;
        // The keys a player reaches for: arrows, Enter, Space, Escape, the
        // function keys, digits, and the map keys of the settings.
        std::vector<u8> codes = {200, 208, 203, 205, 28, 57, 1, 59, 60, 61, 62, 67, 68, 15, 42};
        for (u8 d = 2; d <= 11; ++d) codes.push_back(d);
        for (u32 k : gMapKeyCodes)
            if (k && k < 256) codes.push_back(static_cast<u8>(k));
        std::vector<u8> held;
        // A run that quits (a menu's quit was clicked) starts the game again.
        while (done < frames && !h.quit()) {
            // The pier's fight waits for the lighthouse's raid, out of reach
            // of random keys: now and then the soak steps onto the pier with
            // the raid over.
            if (gMapId == sampleMap::kTown && gFrameId == kMapMode &&
                gTalkContext.owner == kTalkFree && rng() % 300 == 0) {
                SetGameFlag(kSampleRaidFlag);
                StartTalk(static_cast<u16>(kSampleBattleTalk), kTalkSpot);
            }
            RandomInput(h, rng, codes, held);
            dog.Frame(h, done);
            seen.insert(gFrameId);
            if (gBattleActive) ++battleFrames;
            ++done;
        }
        for (u8 c : held) PlatformSetKey(c, false);
        ASSERT_LT(starts, frames / 10 + 2) << "the game quits again and again";
    }
    MemDbgSetSink(nullptr);
    EXPECT_EQ(MemDbgGetStats().curBlocks, blocksBefore) << "blocks left after the last reset";
    EXPECT_TRUE(reports.empty()) << reports.size() << " allocator reports, the first: "
                                 << (reports.empty() ? "" : reports.front());
    EXPECT_TRUE(seen.count(0)) << "never reached map mode";
    EXPECT_GT(battleFrames, 0) << "never reached a battle";
    std::set<u32> screens;
    for (u32 id : seen)
        if (id & kScreenBit) screens.insert(id & 0xFF);
    EXPECT_GE(screens.size(), 10u) << "reached few screens";
}
