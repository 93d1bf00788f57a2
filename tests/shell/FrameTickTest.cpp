// The frame tick driven through the harness under the virtual clock.
#include <gtest/gtest.h>

#include <tuple>

#include "data/GameFlags.h"
#include "engine/ErrorBox.h"
#include "platform/HostFs.h"
#include "story/Countdowns.h"
#include "support/Harness.h"
#include "ui/ScreenState.h"

namespace {
// The harness with its window made, the game active and the ticks paced.
struct FrameTick : ::testing::Test {
    Harness h;
    FrameTick() {
        h.CreateMainWindow();
        gGameActive = 1;
        SetFrameInterval(kFrameMs);
    }
};
}  // namespace

TEST_F(FrameTick, PacesTicksAt35Milliseconds) {
    EXPECT_EQ(h.RunFrames(70, 5), 10);  // 350 ms of 5 ms frames
    EXPECT_EQ(h.RunFrames(35, 10), 9);  // 10 ms frames: a tick every 40 ms
    ClearFrameInterval();
    EXPECT_EQ(h.RunFrames(4, 1), 4);  // no limit
}

TEST_F(FrameTick, NothingTicksWhileSuspendedAnd35AgainOnActivation) {
    h.AtFrame(0, [] { PostMessageA(gMainWnd, WM_SIZE, SIZE_MINIMIZED, 0); });
    h.RunFrames(1);
    EXPECT_EQ(gSuspended, 0u) << "activation needs initialised game data";
    SetGameFlag(1);
    h.AtFrame(1, [] { PostMessageA(gMainWnd, WM_ACTIVATEAPP, 0, 0); });
    EXPECT_EQ(h.RunFrames(20), 0);
    EXPECT_EQ(std::tuple(gSuspended, gFrameInterval), std::tuple(1u, 0u));
    h.AtFrame(21, [] { PostMessageA(gMainWnd, WM_SIZE, SIZE_RESTORED, 0); });
    h.RunFrames(1);
    EXPECT_EQ(std::tuple(gSuspended, gFrameInterval), std::tuple(0u, 35u));
    EXPECT_EQ(h.RunFrames(10, 35), 10);
}

// Alt+Enter where no window manager carries out the minimise request (the
// control tests have one): the window stays shown, and the game runs on.
TEST_F(FrameTick, AltEnterWithoutAWindowManagerRunsOnF8EndsThePausePSavesWithRoom) {
    SetGameFlag(1);
    PlatformSetWindowManager(false);
    gWindowShown = 1;
    h.PostSysKeyDown(VK_RETURN);
    EXPECT_EQ(h.RunFrames(1), 0);
    EXPECT_EQ(gSuspended, 1u);
    EXPECT_GE(h.RunFrames(20), 5);  // 700 ms
    EXPECT_EQ(std::tuple(gWindowShown, gSuspended), std::tuple(1u, 0u));
    // F8 ends the pause; P saves only with room on the disk.
    gGameActive = 0;
    EXPECT_EQ(h.RunFrames(5), 0);
    h.PostKeyUp(VK_F8);
    EXPECT_EQ(h.RunFrames(2), 2);
    EXPECT_EQ(gGameActive, 1u);

    // Exactly 64 MB is not enough; without game data the key does nothing.
    const std::tuple<bool, i64, int> presses[] = {
        {true, 64ll << 20, 0}, {true, (64ll << 20) + 1, 1}, {false, (64ll << 20) + 1, 1}};
    for (const auto& [gameData, free, beeps] : presses) {
        PutGameFlag(1, gameData);
        HostSetFreeSpaceOverride(free);
        h.PostKeyUp('P');
        h.RunFrames(1);
        EXPECT_EQ(PlatformBeepCount(), beeps) << free;
    }
}

// A battle without enemies is won at once; set-up, opening, ending (16 quiet
// ticks and the victory banner's 114) and release take 163 ticks after its
// first, and the hand-back clears the request. The story countdown rests meanwhile.
TEST_F(FrameTick, BattleRequestsAndTheStoryCountdown) {
    auto battle = [] { return std::make_tuple(gBattleRequest, gBattleActive); };
    gBattleRequest = 0x80000000u;  // battle number 0: cleared, nothing starts
    h.RunFrames(1);
    EXPECT_EQ(battle(), std::make_tuple(0u, 0u));

    SetGameFlag(13);  // held while flag 13 is set
    gBattleRequest = 0x80000005u;
    h.RunFrames(3);
    EXPECT_EQ(battle(), std::make_tuple(0x80000005u, 0u));

    ClearGameFlag(13);
    h.RunFrames(1);
    SetGameFlag(16);
    SetGameFlag(18);
    gStoryCountdown = 2;
    h.RunFrames(162);
    EXPECT_EQ(gBattleActive, 1u);
    h.RunFrames(1);
    EXPECT_EQ(std::tuple(battle(), gStoryCountdown), std::tuple(std::make_tuple(0u, 0u), 2));
    h.RunFrames(2);
    EXPECT_EQ(std::make_tuple(gStoryCountdown, GetGameFlag(16)), std::make_tuple(0, 1));
    h.RunFrames(1);
    EXPECT_EQ(std::make_tuple(gStoryCountdown, GetGameFlag(16), GetGameFlag(18), GetGameFlag(17)),
              std::make_tuple(-1, 0, 0, 1));
}

// Play time steps every 21 ticks; the flag countdown runs on during a battle,
// the story countdown rests while a screen is open.
TEST_F(FrameTick, PlayTimeAndTheCountdownsWhereTheyRest) {
    for (auto [frames, time] : {std::pair(20, 0u), {1, 1u}, {21, 2u}}) {
        h.RunFrames(frames);
        EXPECT_EQ(gGameTime, time) << frames;
    }

    SetGameFlag(74);
    gFlagCountdown = 1;
    gBattleActive = 1;
    h.RunFrames(2);
    EXPECT_EQ(std::make_tuple(gFlagCountdown, GetGameFlag(74), GetGameFlag(75)),
              std::make_tuple(-1, 0, 1));

    gBattleActive = 0;
    SetGameFlag(16);
    gStoryCountdown = 0;
    gFrameId = kScreenBit | 0;  // the title is open: the countdowns rest
    h.RunFrames(3);
    EXPECT_EQ(gStoryCountdown, 0);
    gFrameId = kMapMode;
    h.RunFrames(1);
    EXPECT_EQ(GetGameFlag(17), 1);
}
