// The leave-game question, the end screens and the test-version end through the real tick.
#include "data/Options.h"
#include "shell/Session.h"
#include "menu/MenuState.h"
#include "ui/ActPic.h"
#include "ui/EndScreens.h"
#include "ui/Screens.h"
#include "support/SysScreenSupport.h"

namespace {

using EndScreensTest = SysScreenTest;

TEST_F(EndScreensTest, QuestionYesGoesToTheTitleAndNoToTheMap) {
    gMenuRole = 2;
    Open(1);
    ASSERT_NE(gExitFrame, nullptr);
    EXPECT_NEAR(gMouseInput.x, 382, 1);  // smart mouse: on the "no" side
    ClickAt(300, 260);  // the yes half
    h.RunFrames(1);
    EXPECT_EQ(gFrameId, kScreenBit | 0);
    gFrameId = 0;
    gFramePhase = 0;
    h.RunFrames(1);
    Open(1);
    ClickAt(350, 250);  // the no half
    h.RunFrames(1);
    EXPECT_EQ(gFrameId, 0u);
    EXPECT_EQ(gMenuRole, 0u);
}

TEST_F(EndScreensTest, QuestionIgnoresClicksOutsideItsHalves) {
    Open(1);
    ClickAt(300, 230);  // on the box, above the band
    ClickAt(230, 250);  // left of the yes half
    EXPECT_EQ(gFramePhase, 1u);
    EXPECT_EQ(gExitFrame->result, 0);
}

TEST_F(EndScreensTest, LeaveGameYesQuitsAndCancelReturnsToTheMap) {
    Open(30);
    Tap(kScanEsc);
    h.RunFrames(1);
    EXPECT_EQ(gFrameId, 0u);
    Open(30);
    EXPECT_NE(gExitFrame, nullptr);
    Tap(kScanLeft);  // from "no" to "yes"
    h.RunFrames(1);
    EXPECT_EQ(gExitFrame->selection, 0);
    Tap(kScanEnter);
    EXPECT_EQ(gExitFrame->result, 1);
    h.RunFrames(1);
    EXPECT_TRUE(gFrameId == kQuitFrameId || h.quit());
}

TEST_F(EndScreensTest, EndScreenLocksInputForASecond) {
    Open(31);
    ASSERT_NE(gEndFrame, nullptr);
    Tap(kScanEnter);
    ClickAt(320, 240);
    EXPECT_EQ(gFramePhase, 1u);
    h.RunFrames(25);  // past one second
    Tap(kScanEnter);
    h.RunFrames(1);
    EXPECT_EQ(gFrameId, kScreenBit | 0);
}

TEST_F(EndScreensTest, TheEndClosesAfterTenSeconds) {
    Open(31);
    int frames = 0;
    while (gFrameId == (kScreenBit | 31) && frames < 400) {
        h.RunFrames(1);
        ++frames;
    }
    EXPECT_EQ(gFrameId, kScreenBit | 0);
    EXPECT_GE(frames * 35, 10000);
    EXPECT_LE(frames * 35, 10200);
}

TEST_F(EndScreensTest, EndPictureFadesInAndNeverClosesInItsFirstSecond) {
    Open(6);
    ASSERT_NE(gEndFrame, nullptr);
    // The sample has no piece 41: the music counts as finished at once.
    EXPECT_EQ(gFramePhase, 1u);
    EXPECT_GE(gEndFrame->endPic->alpha, 0);
    EXPECT_LE(gEndFrame->endPic->alpha, 1);
    h.RunFrames(20);
    EXPECT_EQ(gFrameId, kScreenBit | 6);
    EXPECT_GE(gEndFrame->endPic->alpha, 5);
    h.RunFrames(12);
    EXPECT_EQ(gFrameId, kScreenBit | 0);
}

TEST_F(EndScreensTest, EndGameTwiceIsLikeOnce) {
    EndGame();
    EndGame();
    gFrameId = kScreenBit | 16;  // the test-version end closes at once without music
    gFramePhase = 0;
    h.RunFrames(3);
    EXPECT_EQ(gFrameId, kScreenBit | 0);
    EXPECT_TRUE(h.boxes().empty());
}

}  // namespace
