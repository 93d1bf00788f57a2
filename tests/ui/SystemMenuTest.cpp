// The system menu through the real tick: rows, tabs, keys, money and play time.
#include <cstring>

#include "platform/TextCodec.h"
#include "story/Talk.h"
#include "ui/Control.h"
#include "ui/Screens.h"
#include "ui/SystemMenu.h"
#include "support/SysScreenSupport.h"
#include "data/Options.h"

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

TEST_F(SystemMenuTest, MoneyAndPlayTimeAreShown) {
    gScriptVars[0] = 1234;
    gGameTime = 3725;
    OpenMenu();
    cControl* money = nullptr;
    for (cControl* c : gControlList)
        if (c->x == 510 && c->y == 390) money = c;
    ASSERT_NE(money, nullptr);
    EXPECT_EQ(*money->value, 1234);
    EXPECT_NE(money->paddedOrAlpha, 0) << "padded to ten columns";
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
