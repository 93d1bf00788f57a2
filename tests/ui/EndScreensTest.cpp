// The leave-game question, the end screens and the test-version end through the real tick.
#include "data/GameFlags.h"
#include "engine/DDraw.h"
#include "map/City.h"
#include "map/NewGame.h"
#include "platform/AudioMixer.h"
#include "menu/MenuState.h"
#include "ui/ActPic.h"
#include "support/MusicRecorder.h"
#include "ui/EndScreens.h"
#include "ui/Screens.h"
#include "support/SysScreenSupport.h"
#include "shell/Session.h"
#include "base/MemDbg.h"

namespace {

using EndScreensTest = SysScreenTest;

// No goes back to the map; yes goes to the title and forgets the map it left;
// a click elsewhere does nothing.
TEST_F(EndScreensTest, QuestionNoGoesToTheMapYesToTheTitleAndElsewhereNothing) {
    gMenuRole = 2;
    Open(1);
    ASSERT_NE(gExitFrame, nullptr);
    EXPECT_NEAR(gMouseInput.x, 382, 1);  // smart mouse: on the "no" side
    ClickAt(300, 230);                   // on the box, above the band
    ClickAt(230, 250);                   // left of the yes half
    EXPECT_EQ(gFramePhase, 1u);
    EXPECT_EQ(gExitFrame->result, 0);
    ClickAt(350, 250);  // the no half
    h.RunFrames(1);
    EXPECT_EQ(gFrameId, 0u);
    EXPECT_EQ(gMenuRole, 0u);
    // As if on map 2: running, walking saved for the way out.
    gMapId = 2;
    gWalkMode = 1;
    gSavedWalkMode = 0;
    Open(1);
    ClickAt(300, 260);  // the yes half
    h.RunFrames(1);
    ASSERT_EQ(gFrameId, kScreenBit | 0);
    EXPECT_EQ(gMapId, 0u);
    // The next game enters its map fresh: no load screen, the walking mode kept.
    ASSERT_EQ(StartNewGame(1), 1);
    EXPECT_FALSE(GetGameFlag(70));
    EXPECT_EQ(gWalkMode, 1);
}

// Pixels of the system menu's panel area (x 480..639, y 60..379) that differ.
int PanelDifferences(const u16* a, const u16* b) {
    int n = 0;
    for (int y = 60; y < 380; ++y)
        for (int x = 480; x < 640; ++x) n += a[y * 640 + x] != b[y * 640 + x];
    return n;
}

TEST_F(EndScreensTest, QuestionFromTheSystemMenuShowsTheMapBehindIt) {
    h.RunFrames(1);
    u16* map = CopyCanvasPixels();
    ASSERT_NE(map, nullptr);
    Open(13);
    u16* menu = CopyCanvasPixels();
    ASSERT_NE(menu, nullptr);
    ASSERT_GT(PanelDifferences(map, menu), 160 * 320 / 4);  // the panel covers the map there
    // The back-to-title row.
    ClickAt(560, 300);
    h.RunFrames(2);
    ASSERT_EQ(gFrameId, kScreenBit | 1);
    ASSERT_NE(gExitFrame, nullptr);
    ASSERT_NE(gExitFrame->screenCopy, nullptr);
    // Behind the question lies the map, not the menu (a few animated pixels aside).
    EXPECT_LT(PanelDifferences(map, gExitFrame->screenCopy), 160 * 320 / 20);
    MH_FREE(map);
    MH_FREE(menu);
}

TEST_F(EndScreensTest, LeaveGameYesQuitsAndCancelReturnsToTheMap) {
    Open(30);
    Tap(kScanEsc, 2);
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
    Tap(kScanEnter, 2);
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
    MusicRecorder music;
    music.AnswerFinished(true);  // a missing or short piece counts as finished at once
    Open(6);
    ASSERT_NE(gEndFrame, nullptr);
    EXPECT_EQ(gFramePhase, 1u);
    EXPECT_GE(gEndFrame->endPic->alpha, 0);
    EXPECT_LE(gEndFrame->endPic->alpha, 1);
    h.RunFrames(20);
    EXPECT_EQ(gFrameId, kScreenBit | 6);
    EXPECT_GE(gEndFrame->endPic->alpha, 5);
    h.RunFrames(12);
    EXPECT_EQ(gFrameId, kScreenBit | 0);
}

// The sample's end piece (name 41) plays 5.6 seconds: the picture stays for
// it and closes by itself when it has ended.
TEST_F(EndScreensTest, EndPictureWaitsForItsMusicToFinish) {
    MusicRecorder music;
    Open(6);
    ASSERT_FALSE(music.tracks().empty());
    EXPECT_TRUE(music.tracks().back().name.ends_with("music\\end.wav"));
    // Each frame the mixer takes the 35 ms of sound the device would.
    std::vector<i16> out(2 * kMixRate * 35 / 1000);
    auto play = [&](int frames) {
        for (int f = 0; f < frames && gFrameId == (kScreenBit | 6); ++f) {
            h.RunFrames(1);
            AudioMixer().Mix(out.data(), static_cast<int>(out.size() / 2));
        }
    };
    play(150);  // 5.25 seconds
    EXPECT_EQ(gFrameId, kScreenBit | 6);
    play(30);
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
