// The title menu through the real tick: keys, F10, the cursor and the video flag.
#include <gtest/gtest.h>

#include <set>

#include "data/Options.h"
#include "support/Input.h"
#include "ui/SettingsFrame.h"
#include "ui/MainMenu.h"
#include "ui/Screens.h"
#include "support/Harness.h"
#include "ui/UiInput.h"
#include "platform/Input.h"

namespace {

// The mouse moves in steps of two pixels at the game's speed 2.0: a cursor
// point can come back one pixel short.
struct TitleTest : ::testing::Test {
    Harness h;
    void Start() {
        h.StartGame();
        h.RunFrames(2);  // open, then one run
        ASSERT_NE(gMainMenuFrame, nullptr);
    }
    void Tap(u8 code) { TapKey(h, code); }
};

// Each opening of the title: on the focused button with smart mouse, the
// focus another screen left kept inside the four buttons, the centre without.
TEST_F(TitleTest, CursorStartsOnTheFocusedButtonOrAtTheCentre) {
    const struct {
        i32 focus;
        u32 smart;
        i32 x, y, button;
    } cases[] = {
        {2, 1, 445, 440, kTitleSettings},
        {30, 1, TitleButtonX(3), kTitleButtonY, kTitleQuit},  // the skills page leaves 30 + k
        {0, 0, 320, 240, -1},
    };
    Start();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.focus);
        gMainMenuFrame->result = kTitleNone;  // to the map, then the title anew
        gFramePhase = 2;
        h.RunFrames(1);
        gKeyFocus = c.focus;
        gSmartMouse = c.smart;
        gFrameId = kScreenBit | 0;
        gFramePhase = 0;
        h.RunFrames(2);
        ASSERT_NE(gMainMenuFrame, nullptr);
        EXPECT_NEAR(gMouseInput.x, c.x, 1);
        EXPECT_EQ(gMouseInput.y, c.y);
        if (c.button >= 0) {
            EXPECT_EQ(gMainMenuFrame->focus, c.button);
        }
    }
}

TEST_F(TitleTest, LeftOnNewGameGoesToQuitAndRightOnQuitToNewGame) {
    Start();
    Tap(203);  // left
    EXPECT_NEAR(gMouseInput.x, TitleButtonX(3), 1);
    gMainMenuFrame->focus = kTitleQuit;
    Tap(205);  // right
    EXPECT_NEAR(gMouseInput.x, TitleButtonX(0), 1);
    gMainMenuFrame->focus = kTitleLoad;
    Tap(15);  // switch window: the next one
    EXPECT_NEAR(gMouseInput.x, TitleButtonX(2), 1);
    Tap(201);  // page up: onto the focused one
    EXPECT_NEAR(gMouseInput.x, TitleButtonX(1), 1);
    EXPECT_EQ(gMouseInput.y, kTitleButtonY);
}

TEST_F(TitleTest, F10OpensTheQuickLoadNoticeOnlyWithAQuickSave) {
    Start();
    PlatformSetKey(kScanF10, true);
    h.RunFrames(3);
    EXPECT_EQ(gFrameId, kScreenBit | 0);
    EXPECT_EQ(gFramePhase, 1u) << "no quick save: nothing";
    PlatformSetKey(kScanF10, false);
    h.RunFrames(1);
    WriteHostFile(h.Path("Save/Quick.sav"), {1, 2, 3});
    PlatformSetKey(kScanF10, true);
    h.RunFrames(1);
    EXPECT_EQ(gFramePhase, 2u);
    h.RunFrames(1);
    EXPECT_EQ(gFrameId, kScreenBit | 32);
    ASSERT_NE(gQuickNoticeFrame, nullptr);
    PlatformSetKey(kScanF10, false);
    // The file is no save: the notice says so for a second and goes back to the title.
    h.RunFrames(32);
    EXPECT_EQ(gQuickNoticeFrame, nullptr);
    EXPECT_EQ(gFrameId, kScreenBit | 0);
}

TEST_F(TitleTest, F10HeldFromBeforeTheTitleIsNoFreshPress) {
    h.StartGame();
    WriteHostFile(h.Path("Save/Quick.sav"), {1});
    PlatformSetKey(kScanF10, true);
    h.RunFrames(4);
    EXPECT_EQ(gFramePhase, 1u) << "held since before the open";
    PlatformSetKey(kScanF10, false);
    h.RunFrames(1);
    PlatformSetKey(kScanF10, true);
    h.RunFrames(1);
    EXPECT_EQ(gFramePhase, 2u);
}

TEST_F(TitleTest, TitlePictureIsOneOfThree) {
    std::set<i32> seen;
    Start();
    for (int i = 0; i < 30; ++i) {
        seen.insert(gMainMenuFrame->titleAction);
        gMainMenuFrame->result = kTitleResSettings;
        gFramePhase = 2;
        h.RunFrames(3);
        ASSERT_NE(gSettingsFrame, nullptr);
        gSettingsFrame->result = 1;  // back to the title
        gFramePhase = 2;
        h.RunFrames(3);
        ASSERT_NE(gMainMenuFrame, nullptr);
    }
    EXPECT_EQ(seen, (std::set<i32>{1, 2, 3}));
}

}  // namespace
