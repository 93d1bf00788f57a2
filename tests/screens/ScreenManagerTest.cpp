// The screen manager through the real tick: phases, placeholders, the mended
// ways out, the cursor picture and the clearing of controls and pictures.
#include <gtest/gtest.h>

#include "engine/DDraw.h"
#include "platform/Display.h"
#include "support/Harness.h"
#include "ui/ActPic.h"
#include "ui/ScreenState.h"
#include "ui/MainMenu.h"
#include "menu/ItemFrame.h"
#include "story/ScreenCalls.h"
#include "ui/Screens.h"
#include "ui/UiInput.h"
#include "ui/Control.h"

namespace {

struct ScreenTest : ::testing::Test {
    Harness h;
    void SetUp() override { h.StartGame(); }

    // Leaves the title for map mode the way a finished title does.
    void ToMapMode() {
        h.RunFrames(2);
        ASSERT_NE(gMainMenuFrame, nullptr);
        gMainMenuFrame->result = kTitleNone;
        gFramePhase = 2;
        h.RunFrames(1);
        ASSERT_EQ(gFrameId, 0u);
    }
    // The mode word after each of n frames.
    std::vector<u32> Words(int n) {
        std::vector<u32> w;
        for (int i = 0; i < n; ++i) {
            h.RunFrames(1);
            w.push_back(gFrameId);
        }
        return w;
    }
};

// The title opens on the first frame and runs, waiting for the player; a
// running screen redraws the canvas from black each frame.
TEST_F(ScreenTest, TitleOpensRunsAndRedrawsFromBlack) {
    EXPECT_EQ(gFrameId, kScreenBit | 0u);
    h.RunFrames(1);
    EXPECT_NE(gMainMenuFrame, nullptr);
    EXPECT_EQ(gFramePhase, 1u);
    EXPECT_NE(gCursorPic, nullptr);
    EXPECT_EQ(gMouseInput.cursorPic, gCursorPic);
    h.RunFrames(5);
    EXPECT_EQ(gFrameId, kScreenBit | 0u) << "the title waits for the player";
    i32 pitch = 0;
    u16* px = DisplayLock(gDrawSurface, &pitch);
    ASSERT_NE(px, nullptr);
    px[10 * pitch / 2 + 600] = 0x7FFF;
    DisplayUnlock(gDrawSurface);
    u32 shown = DisplayFrameCount();
    h.RunFrames(1);
    px = DisplayLock(gDrawSurface, &pitch);
    EXPECT_EQ(px[10 * pitch / 2 + 600], 0) << "nothing of the title lies there";
    DisplayUnlock(gDrawSurface);
    EXPECT_GT(DisplayFrameCount(), shown);
}

// From map mode: an Open may close at once because the phase is set first;
// ids past 32 and screens whose object another module makes, missing, go back
// to map mode at once; every close clears controls and pictures; an object
// made elsewhere is freed after its close, and the top bit is optional.
TEST_F(ScreenTest, MapModeOpensAndCloses) {
    ToMapMode();
    OpenItemFrame(0);  // nothing owned: the chooser closes in its Open
    h.RunFrames(1);
    EXPECT_NE(gItemFrame, nullptr);
    EXPECT_EQ(gFramePhase, 2u) << "the manager's phase 1 came before Open";
    h.RunFrames(1);
    EXPECT_EQ(gItemFrame, nullptr);
    EXPECT_EQ(gFrameId, 0u) << "opened from map mode, back to map mode";
    EXPECT_EQ(gCursorPic, nullptr);
    for (u32 word : {kScreenBit | 33, 0x8FFFFFFFu, kScreenBit | 14, kScreenBit | 15,
                     kScreenBit | 19, kScreenBit | 21, kScreenBit | 24, kScreenBit | 32}) {
        gFrameId = word;
        h.RunFrames(1);
        EXPECT_EQ(gFrameId, 0u) << std::hex << word;
        EXPECT_EQ(gFramePhase, 0u) << std::hex << word;
        EXPECT_EQ(gCursorPic, nullptr);
    }
    for (u32 id : {2u, 28u, 29u}) {
        gFrameId = kScreenBit | id;
        h.RunFrames(1);
        new cControl(10, 10);
        new cActPic(9002, 7);
        ASSERT_FALSE(gControlList.empty());
        gFramePhase = 2;  // the notices would stay a second
        h.RunFrames(1);
        EXPECT_TRUE(gControlList.empty()) << id;
        EXPECT_TRUE(gActPicList.empty()) << id;
    }
    gItemFrame = new cItemFrame(7);
    gFrameId = kScreenBit | 14;
    h.RunFrames(2);
    EXPECT_EQ(gItemFrame, nullptr);
    EXPECT_EQ(gFrameId, 0u);
    // A mode word without the top bit opens the same screen.
    gFrameId = 3;
    h.RunFrames(1);
    EXPECT_NE(gEquipFrame, nullptr);
    h.RunFrames(1);
    EXPECT_EQ(gFramePhase, 1u) << "the equipment page runs";
}

}  // namespace
