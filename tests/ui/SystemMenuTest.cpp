// The system menu through the real tick: rows, tabs, keys, money and play time.
#include <cstring>

#include "data/Options.h"
#include "menu/MenuState.h"
#include "platform/TextCodec.h"
#include "story/Talk.h"
#include "ui/Control.h"
#include "ui/Screens.h"
#include "ui/SystemMenu.h"
#include "ui/SysScreenSupport.h"

namespace {

struct SystemMenuTest : SysScreenTest {
    void OpenMenu() {
        Open(13);
        ASSERT_NE(gSystemMenuFrame, nullptr);
    }
    const char* TextAt(i32 x, i32 y) {
        for (cControl* c : gControlList)
            if (c->x == x && c->y == y && c->kind == kCtlText) return c->text;
        return nullptr;
    }
};

TEST(PlayTime, HoursWrapAtSixty) {
    char buf[32];
    FormatPlayTime(buf, sizeof(buf), 3725);
    EXPECT_STREQ(buf, "1:02:05");
    FormatPlayTime(buf, sizeof(buf), 61 * 3600 + 59);
    EXPECT_STREQ(buf, "1:00:59");
    FormatPlayTime(buf, sizeof(buf), 0);
    EXPECT_STREQ(buf, "0:00:00");
}

TEST_F(SystemMenuTest, EachRowLeadsToItsScreen) {
    const u32 next[6] = {8, 9, 11, 12, 10, 1};
    for (int k = 0; k < 6; ++k) {
        OpenMenu();
        ClickAt(560, 100 + 40 * k);
        h.RunFrames(2);
        EXPECT_EQ(gFrameId, kScreenBit | next[k]) << "row " << k;
        EXPECT_EQ(gKeyFocus, k);
        gFrameId = 0;  // whatever opened stays unopened
        gFramePhase = 0;
        h.RunFrames(1);
    }
}

TEST_F(SystemMenuTest, ClickBetweenOrBelowRowsDoesNothing) {
    OpenMenu();
    ClickAt(560, 340);  // on the panel, below row 5
    EXPECT_EQ(gFramePhase, 1u);
    EXPECT_EQ(gFrameId, kScreenBit | 13);
}

TEST_F(SystemMenuTest, TabsAndFKeysLeadToTheMenuPages) {
    OpenMenu();
    ClickAt(TabPointX(1), kTabPointY);
    h.RunFrames(2);
    EXPECT_EQ(gFrameId, kScreenBit | 23);
    gFrameId = 0;
    h.RunFrames(1);
    OpenMenu();
    ClickAt(TabPointX(3), kTabPointY);  // this page: nothing
    EXPECT_EQ(gFrameId, kScreenBit | 13);
    EXPECT_EQ(gFramePhase, 1u);
    PlatformSetKey(kScanF3, true);
    h.RunFrames(2);
    PlatformSetKey(kScanF3, false);
    EXPECT_EQ(gFrameId, kScreenBit | 25);
}

TEST_F(SystemMenuTest, RightClickAndCancelGoBackToTheMap) {
    gMenuRole = 3;
    OpenMenu();
    RightClick();
    h.RunFrames(2);
    EXPECT_EQ(gFrameId, 0u);
    EXPECT_EQ(gMenuRole, 0u);
    OpenMenu();
    Tap(kScanEsc);
    h.RunFrames(2);
    EXPECT_EQ(gFrameId, 0u);
}

TEST_F(SystemMenuTest, MoneyAndPlayTimeAreShown) {
    gScriptVars[0] = 1234;
    gGameTime = 3725;
    OpenMenu();
    cControl* money = nullptr;
    for (cControl* c : gControlList)
        if (c->x == 510 && c->y == 390) money = c;
    ASSERT_NE(money, nullptr);
    char buf[32];
    FormatControlNumber(buf, sizeof(buf), *money->value, money->paddedOrAlpha);
    EXPECT_STREQ(buf, "      1234");
    // The clock moves on while the screen is open: 21 frames make a second.
    const char* t = TextAt(540, 440);
    ASSERT_NE(t, nullptr);
    EXPECT_STREQ(t, "1:02:05");
    gGameTime = 60 * 3600 + 7;
    h.RunFrames(1);
    EXPECT_STREQ(TextAt(540, 440), "0:00:07");
    EXPECT_STREQ(TextAt(480, 300), B5("離 開 遊 戲"));
}

TEST_F(SystemMenuTest, UpOnTheFirstRowGoesToTheLastAndSmartMouseRemembersTheRow) {
    gKeyFocus = 0;
    OpenMenu();
    EXPECT_NEAR(gMouseInput.x, 580, 1);
    EXPECT_NEAR(gMouseInput.y, 120, 1);
    Tap(kScanUp);
    EXPECT_NEAR(gMouseInput.y, 320, 1);
    EXPECT_EQ(gSystemMenuFrame->selection, 5);
    Tap(kScanEnter);  // confirm clicks the row under the cursor
    h.RunFrames(2);
    EXPECT_EQ(gFrameId, kScreenBit | 1);
    EXPECT_EQ(gKeyFocus, 5);
    gFrameId = 0;
    h.RunFrames(1);
    OpenMenu();
    EXPECT_NEAR(gMouseInput.y, 320, 1);
}

TEST_F(SystemMenuTest, KeysWalkTheTabsAndRows) {
    gKeyFocus = 5;
    OpenMenu();
    h.RunFrames(1);  // the hover under the placed cursor gives the selection
    EXPECT_EQ(gSystemMenuFrame->selection, 5);
    Tap(kScanDown);  // row 5 wraps to row 0
    EXPECT_NEAR(gMouseInput.y, 120, 1);
    Tap(kScanTab);  // a row goes to the first tab
    EXPECT_NEAR(gMouseInput.x, TabPointX(0), 1);
    EXPECT_EQ(gSystemMenuFrame->selection, 10);
    Tap(kScanLeft);  // first tab wraps to the last
    EXPECT_NEAR(gMouseInput.x, TabPointX(3), 1);
    Tap(kScanRight);
    EXPECT_NEAR(gMouseInput.x, TabPointX(0), 1);
    Tap(kScanUp);  // up on a tab stays
    EXPECT_NEAR(gMouseInput.y, kTabPointY, 1);
    Tap(kScanDown);  // down from a tab: row 0
    EXPECT_NEAR(gMouseInput.y, 120, 1);
}

}  // namespace
