// The slot screens, the quick-save page, the notices and the zoom, driven
// frame by frame through the real tick.
#include <cstring>
#include <utility>

#include "data/GameData.h"
#include "data/Options.h"
#include "map/StoryLink.h"
#include "platform/TextCodec.h"
#include "ui/Control.h"
#include "ui/SaveScreens.h"
#include "SaveTestSupport.h"
#include "ui/Screens.h"
#include "ui/SaveFile.h"

namespace {

using SaveScreenTest = SampleTownTest;

// The page buttons stop at slot 99; a position from a damaged options file is
// clamped.
TEST_F(SaveScreenTest, PageButtonsAndTheRememberedPositionStopAtTheLastSlot) {
    gSaveSlotPos = 94;  // slot 95 on row 0
    Open(9);
    Click(kSlotPageDown, 320, 430);
    EXPECT_EQ(gSaveLoadFrame->top, 96);
    EXPECT_EQ(std::string(gSaveLoadFrame->rows[2].number), "99");
    gSaveSlotPos = 2999;
    gFramePhase = 2;
    h.RunFrames(1);
    Open(9);
    EXPECT_EQ(gSaveLoadFrame->top, 96);
}

// A load in play asks first; the zoom that follows sits at y 52 and ends after
// 803 ms whatever the frame rate. (The title's load asks nothing: the slot-key
// and game-ended tests load from there.)
TEST_F(SaveScreenTest, LoadInPlayAsksThenZoomsFor803ms) {
    gScriptVars[0] = 777;
    ASSERT_EQ(SaveToSlotFile(0), 1);
    gScriptVars[0] = 1;
    gSaveSlotPos = 0;
    Open(9);
    // Each row's money and play time stand at (163, y + 4) and (280, y + 4).
    for (int r = 0; r < 3; ++r) {
        const SaveRowView& v = gSaveLoadFrame->rows[r];
        const i32 y = 141 + 124 * r + 4;
        EXPECT_EQ(std::make_pair(v.moneyCtl->x, v.moneyCtl->y), std::make_pair(163, y)) << r;
        EXPECT_EQ(std::make_pair(v.timeCtl->x, v.timeCtl->y), std::make_pair(280, y)) << r;
    }
    EXPECT_STRNE(gSaveLoadFrame->rows[0].time, "");
    Click(kSlotRows, 100, 60);
    EXPECT_EQ(gSaveLoadFrame->boxOpen, 1u);
    Click(kSlotBox, 250, 250);  // yes
    EXPECT_EQ(gScriptVars[0], 777u);
    h.RunFrames(1);
    EXPECT_EQ(gFrameId, kScreenBit | 15);
    ASSERT_NE(gZoomFrame, nullptr);
    EXPECT_EQ(gZoomFrame->y, 52);
    h.RunFrames(1);
    h.RunFrames(1, 700);
    EXPECT_EQ(gFrameId, kScreenBit | 15);
    h.RunFrames(1, 200);
    h.RunFrames(1);
    EXPECT_EQ(gFrameId, 0u);
    EXPECT_EQ(gZoomFrame, nullptr);
}

// A game that ended released the databases whose counts size a save's item
// and monster blocks: the load screen must not read every slot as empty then.
// An empty slot does not load; cancel goes back to the title.
TEST_F(SaveScreenTest, TitleLoadScreenAfterAGameEndedReadsTheSlotsAndLoadsNoEmptyOne) {
    gScriptVars[0] = 4321;
    ASSERT_EQ(SaveToSlotFile(2), 1);
    WriteHostFile(h.Path("Save/MH01.sav"), std::vector<u8>(136001, 0));  // big, not a save
    EndGame();
    ASSERT_EQ(gItems, nullptr);
    gScriptVars[0] = 0;
    OpenTitleLoad();
    EXPECT_EQ(std::string(gSaveLoadFrame->rows[0].date), B5("沒有資料"));
    Click(kSlotRows, 100, 60);
    EXPECT_EQ(gFrameId, kScreenBit | 26);
    EXPECT_EQ(gFramePhase, 1u);
    gMouseInput.rightClick = 1;
    h.RunFrames(2);
    EXPECT_EQ(gFrameId, kScreenBit | 0);
    OpenTitleLoad();
    EXPECT_NE(std::string(gSaveLoadFrame->rows[2].date), B5("沒有資料"));
    EXPECT_EQ(IsSlotUsed(2), 1);
    Click(kSlotRows, 100, 50 + 124 * 2 + 10);
    EXPECT_EQ(gScriptVars[0], 4321u);
    h.RunFrames(1);
    EXPECT_EQ(gFrameId, kScreenBit | 15);
}

// F9 shows "儲存中..." and writes the quick save only after the notice.
TEST_F(SaveScreenTest, QuickSaveNoticeSavesAfterASecond) {
    QuickSaveKey();
    h.RunFrames(2);
    ASSERT_NE(gQuickNoticeFrame, nullptr);
    EXPECT_EQ(std::string(gQuickNoticeFrame->text), B5("儲存中..."));
    EXPECT_EQ(IsQuickSaveValid(), 0);
    h.RunFrames(30);
    EXPECT_EQ(gFrameId, 0u);
    EXPECT_EQ(IsQuickSaveValid(), 1);
}

TEST_F(SaveScreenTest, QuickSavePageLoadsOnlyAQuickSaveAndAsksFirst) {
    Open(25);
    ASSERT_NE(gQuickSaveFrame, nullptr);
    // Both boxes: money at x 263, play time at x 379, on the box's money line.
    for (int b = 0; b < 2; ++b) {
        const SaveRowView& v = gQuickSaveFrame->boxes[b];
        const i32 y = b == 0 ? 201 : 372;
        EXPECT_EQ(std::make_pair(v.moneyCtl->x, v.moneyCtl->y), std::make_pair(263, y)) << b;
        EXPECT_EQ(std::make_pair(v.timeCtl->x, v.timeCtl->y), std::make_pair(379, y)) << b;
    }
    EXPECT_EQ(std::string(gQuickSaveFrame->boxes[0].money), B5("沒有資料"));
    Click(kQuickBoxes, 300, 150);  // load without a quick save: nothing
    EXPECT_EQ(gQuickSaveFrame->boxOpen, 0u);
    Click(kQuickBoxes, 300, 300);  // save: at once (the keys test asks again)
    EXPECT_EQ(std::strncmp(gQuickSaveFrame->boxes[1].money, B5("金錢："), 6), 0);
    gScriptVars[0] = 99;
    Click(kQuickBoxes, 300, 150);  // load: asks
    EXPECT_EQ(gQuickSaveFrame->boxOpen, 1u);
    Click(kQuickBox, 250, 250);  // yes
    EXPECT_NE(gScriptVars[0], 99u);
    h.RunFrames(1);
    EXPECT_EQ(gFrameId, kScreenBit | 15);
}

}  // namespace
