// The slot screens, the quick-save page, the notices and the zoom, driven
// frame by frame through the real tick.
#include <gtest/gtest.h>

#include <cstring>

#include "data/GameData.h"
#include "shell/Main.h"
#include "data/Options.h"
#include "shell/Session.h"
#include "platform/Input.h"
#include "platform/TextCodec.h"
#include "story/Talk.h"
#include "support/Harness.h"
#include "ui/MainMenu.h"
#include "ui/SaveScreens.h"
#include "ui/ScreenState.h"
#include "ui/Screens.h"
#include "ui/UiInput.h"

namespace {

struct SaveScreenTest : ::testing::Test {
    Harness h;
    void SetUp() override {
        h.WriteSample();
        h.StartGame();
        gOpeningVideoPending = 0;  // the sample's video would hold the ticks
        h.RunFrames(2);
    }
    void ToMapMode() {
        gMainMenuFrame->result = kTitleNone;
        gFramePhase = 2;
        h.RunFrames(1);
        ASSERT_EQ(gFrameId, 0u);
        NewGameData();
        h.RunFrames(1);
    }
    void Open(u32 id) {
        gFrameId = kScreenBit | id;
        h.RunFrames(2);
        ASSERT_EQ(gFramePhase, 1u);
    }
    // A click the screen reads on the next frame.
    void Click(i32 id, i32 x, i32 y) {
        gMouseInput.x = x;
        gMouseInput.y = y;
        gMouseInput.clickedId = id;
        gDInputMouseTo(x, y);
        h.RunFrames(1);
    }
    static void gDInputMouseTo(i32 x, i32 y) { gMouseInput.MoveCursor(x, y); }
    bool SlotFile(int n) {
        return !ReadHostFile(h.Path("Save/MH0" + std::to_string(n) + ".sav")).empty();
    }
};

TEST_F(SaveScreenTest, SaveAnEmptySlotAtOnceAndAskBeforeOverwriting) {
    ToMapMode();
    gSaveSlotPos = 0;
    Open(8);
    ASSERT_NE(gSaveLoadFrame, nullptr);
    EXPECT_EQ(std::string(gSaveLoadFrame->rows[0].date), B5("沒有資料"));
    Click(kSlotRows, 100, 60);  // row 0, slot 01, empty
    EXPECT_TRUE(SlotFile(1));
    EXPECT_EQ(gSaveLoadFrame->boxOpen, 0u);
    EXPECT_EQ(std::string(gSaveLoadFrame->rows[0].date).size(), 19u);
    gScriptVars[0] = 4321;
    Click(kSlotRows, 100, 60);  // used: the box asks
    EXPECT_EQ(gSaveLoadFrame->boxOpen, 1u);
    Click(kSlotBox, 350, 250);  // no
    EXPECT_EQ(gSaveLoadFrame->boxOpen, 0u);
    auto img = ReadSaveFile(SlotPath(0), nullptr);
    ASSERT_TRUE(img);
    EXPECT_NE(img->scriptVars[0], 4321u);
    Click(kSlotRows, 100, 60);
    Click(kSlotBox, 250, 250);  // yes
    img = ReadSaveFile(SlotPath(0), nullptr);
    ASSERT_TRUE(img);
    EXPECT_EQ(img->scriptVars[0], 4321u);
    // Cancel goes to the system menu.
    gMouseInput.rightClick = 1;
    h.RunFrames(2);
    EXPECT_EQ(gFrameId, kScreenBit | 13);
}

TEST_F(SaveScreenTest, PagesStopAtTheFirstAndLastSlots) {
    ToMapMode();
    gSaveSlotPos = 0;
    Open(9);
    EXPECT_EQ(gSaveLoadFrame->top, 0);
    Click(kSlotPageUp, 200, 430);
    EXPECT_EQ(gSaveLoadFrame->top, 0);
    gSaveSlotPos = 94;  // slot 95 on row 0
    gFramePhase = 2;
    h.RunFrames(1);
    Open(9);
    EXPECT_EQ(gSaveLoadFrame->top, 94);
    Click(kSlotPageDown, 320, 430);
    EXPECT_EQ(gSaveLoadFrame->top, 96);
    EXPECT_EQ(std::string(gSaveLoadFrame->rows[2].number), "99");
    Click(kSlotPageDown, 320, 430);
    EXPECT_EQ(gSaveLoadFrame->top, 96);
    // A position from a damaged options file is clamped.
    gSaveSlotPos = 2999;
    gFramePhase = 2;
    h.RunFrames(1);
    Open(9);
    EXPECT_EQ(gSaveLoadFrame->top, 96);
}

TEST_F(SaveScreenTest, LoadInPlayAsksAndLoadFromTheTitleDoesNot) {
    ToMapMode();
    gScriptVars[0] = 777;
    ASSERT_EQ(SaveToSlotFile(0), 1);
    gScriptVars[0] = 1;
    gSaveSlotPos = 0;
    Open(9);
    Click(kSlotRows, 100, 60);
    EXPECT_EQ(gSaveLoadFrame->boxOpen, 1u);
    Click(kSlotBox, 250, 250);  // yes
    EXPECT_EQ(gScriptVars[0], 777u);
    h.RunFrames(1);
    EXPECT_EQ(gFrameId, kScreenBit | 15);
    ASSERT_NE(gZoomFrame, nullptr);
    EXPECT_EQ(gZoomFrame->y, 52);
    // The zoom ends after 803 ms whatever the frame rate.
    h.RunFrames(1);
    h.RunFrames(1, 700);
    EXPECT_EQ(gFrameId, kScreenBit | 15);
    h.RunFrames(1, 200);
    h.RunFrames(1);
    EXPECT_EQ(gFrameId, 0u);
    EXPECT_EQ(gZoomFrame, nullptr);

    // From the title: back to the title, load, no box.
    gScriptVars[0] = 2;
    gFrameId = kScreenBit | 0;
    h.RunFrames(2);
    gMainMenuFrame->result = kTitleResLoad;
    gFramePhase = 2;
    h.RunFrames(3);
    ASSERT_EQ(gFrameId, kScreenBit | 26);
    Click(kSlotRows, 100, 60);
    EXPECT_EQ(gScriptVars[0], 777u);
    h.RunFrames(1);
    EXPECT_EQ(gFrameId, kScreenBit | 15);
}

// A game that ended released the databases whose counts size a save's item
// and monster blocks: the load screen must not read every slot as empty then.
TEST_F(SaveScreenTest, LoadScreenAfterAGameEndedStillReadsTheSlots) {
    ToMapMode();
    gScriptVars[0] = 4321;
    ASSERT_EQ(SaveToSlotFile(2), 1);
    EndGame();
    ASSERT_EQ(gItems, nullptr);
    gScriptVars[0] = 0;
    gFrameId = kScreenBit | 0;
    h.RunFrames(2);
    gMainMenuFrame->result = kTitleResLoad;
    gFramePhase = 2;
    h.RunFrames(3);
    ASSERT_EQ(gFrameId, kScreenBit | 26);
    EXPECT_NE(std::string(gSaveLoadFrame->rows[2].date), B5("沒有資料"));
    EXPECT_EQ(IsSlotUsed(2), 1);
    Click(kSlotRows, 100, 50 + 124 * 2 + 10);
    EXPECT_EQ(gScriptVars[0], 4321u);
    h.RunFrames(1);
    EXPECT_EQ(gFrameId, kScreenBit | 15);
}

TEST_F(SaveScreenTest, AnEmptySlotCannotBeLoadedAndCancelFromTheTitleGoesBack) {
    WriteHostFile(h.Path("Save/MH01.sav"), std::vector<u8>(136001, 0));  // big, not a save
    gMainMenuFrame->result = kTitleResLoad;
    gFramePhase = 2;
    h.RunFrames(3);
    ASSERT_EQ(gFrameId, kScreenBit | 26);
    EXPECT_EQ(std::string(gSaveLoadFrame->rows[0].date), B5("沒有資料"));
    Click(kSlotRows, 100, 60);
    EXPECT_EQ(gFrameId, kScreenBit | 26);
    EXPECT_EQ(gFramePhase, 1u);
    gMouseInput.rightClick = 1;
    h.RunFrames(2);
    EXPECT_EQ(gFrameId, kScreenBit | 0);
}

TEST_F(SaveScreenTest, QuickNoticesSaveAndLoadAfterASecond) {
    ToMapMode();
    // F10 without a quick save: the notice, then the unchanged game.
    gScriptVars[0] = 55;
    QuickLoadKey();
    h.RunFrames(2);
    ASSERT_NE(gQuickNoticeFrame, nullptr);
    EXPECT_EQ(std::string(gQuickNoticeFrame->text), B5("沒有快取記錄！"));
    h.RunFrames(30);
    EXPECT_EQ(gFrameId, 0u);
    EXPECT_EQ(gScriptVars[0], 55u);
    // F9: "儲存中..." and the file after the notice.
    QuickSaveKey();
    h.RunFrames(2);
    EXPECT_EQ(std::string(gQuickNoticeFrame->text), B5("儲存中..."));
    EXPECT_EQ(IsQuickSaveValid(), 0);
    h.RunFrames(30);
    EXPECT_EQ(gFrameId, 0u);
    EXPECT_EQ(IsQuickSaveValid(), 1);
    // F10 with it: the saved state comes back.
    gScriptVars[0] = 66;
    QuickLoadKey();
    h.RunFrames(2);
    EXPECT_EQ(std::string(gQuickNoticeFrame->text), B5("讀取中..."));
    h.RunFrames(30);
    EXPECT_EQ(gFrameId, 0u);
    EXPECT_EQ(gScriptVars[0], 55u);
}

TEST_F(SaveScreenTest, QuickSavePageSavesWithoutAskingThenAsks) {
    ToMapMode();
    Open(25);
    ASSERT_NE(gQuickSaveFrame, nullptr);
    EXPECT_EQ(std::string(gQuickSaveFrame->boxes[0].money), B5("沒有資料"));
    Click(kQuickBoxes, 300, 150);  // load without a quick save: nothing
    EXPECT_EQ(gQuickSaveFrame->boxOpen, 0u);
    Click(kQuickBoxes, 300, 300);  // save: at once
    EXPECT_EQ(IsQuickSaveValid(), 1);
    EXPECT_EQ(gQuickSaveFrame->boxOpen, 0u);
    EXPECT_EQ(std::strncmp(gQuickSaveFrame->boxes[1].money, B5("金錢："), 6), 0);
    Click(kQuickBoxes, 300, 300);  // save again: the box asks
    EXPECT_EQ(gQuickSaveFrame->boxOpen, 1u);
    Click(kQuickBox, 350, 250);  // no
    EXPECT_EQ(gQuickSaveFrame->boxOpen, 0u);
    gScriptVars[0] = 99;
    Click(kQuickBoxes, 300, 150);  // load: asks
    EXPECT_EQ(gQuickSaveFrame->boxOpen, 1u);
    Click(kQuickBox, 250, 250);  // yes
    EXPECT_NE(gScriptVars[0], 99u);
    h.RunFrames(1);
    EXPECT_EQ(gFrameId, kScreenBit | 15);
}

}  // namespace
