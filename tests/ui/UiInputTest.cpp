// Interface input: double clicks, key repeat, bindings that read as up.
#include <gtest/gtest.h>

#include "platform/Input.h"
#include "support/Harness.h"
#include "data/KeyBindings.h"
#include "ui/UiInput.h"
#include "platform/Backend.h"

namespace {

// One mouse update with the left button as given, at the current clock.
void MouseFrame(bool left) {
    PlatformSetMouseButtons(left, false);
    gMouseInput.Update();
}

// A whole click: press, then release 10 ms later.
void ClickAt(u32 gapBefore) {
    PlatformAdvanceTime(gapBefore);
    MouseFrame(true);
    PlatformAdvanceTime(10);
    MouseFrame(false);
}

struct InputTest : ::testing::Test {
    Harness h;
};

TEST_F(InputTest, ASecondPressIsADoubleClickUpTo700msAfterTheRelease) {
    for (u32 gap : {700u, 701u}) {
        gMouseInput.Reset();
        ClickAt(0);
        EXPECT_EQ(gMouseInput.doubleClick, 0u)
            << "the first press after a reset is never a double click";
        PlatformAdvanceTime(gap);  // the release set the click time
        MouseFrame(true);
        EXPECT_EQ(gMouseInput.doubleClick, gap <= 700 ? 1u : 0u) << gap << " ms";
        MouseFrame(false);
    }
}

TEST_F(InputTest, ThirdPressAfterADoubleClickIsNotAnother) {
    gMouseInput.Reset();
    ClickAt(0);
    PlatformAdvanceTime(100);
    MouseFrame(true);
    ASSERT_EQ(gMouseInput.doubleClick, 1u);
    gMouseInput.doubleClick = 0;
    PlatformAdvanceTime(10);
    MouseFrame(false);  // this release does set the click time again
    PlatformAdvanceTime(50);
    gMouseInput.lastClickTime = timeGetTime() - 1000;  // as the double click left it
    MouseFrame(true);
    EXPECT_EQ(gMouseInput.doubleClick, 0u);
}

TEST_F(InputTest, RightClickIsReportedAtTheRelease) {
    gMouseInput.Reset();
    PlatformSetMouseButtons(false, true);
    gMouseInput.Update();
    EXPECT_EQ(gMouseInput.rightHeld, 1u);
    EXPECT_EQ(gMouseInput.rightClick, 0u);
    PlatformSetMouseButtons(false, false);
    gMouseInput.Update();
    EXPECT_EQ(gMouseInput.rightClick, 1u);
    EXPECT_EQ(gMouseInput.rightHeld, 0u);
}

// Holding confirm: a press at 0, repeats at 600 and then every 200 ms.
TEST_F(InputTest, HeldKeyRepeatsAt0_600_800_1000) {
    PlatformSetKey(28, true);
    std::vector<u32> fired;
    for (u32 t = 0; t <= 1000; t += 50) {
        if (gKeyInput.IsPressed(kKeyConfirm)) fired.push_back(t);
        PlatformAdvanceTime(50);
    }
    EXPECT_EQ(fired, (std::vector<u32>{0, 600, 800, 1000}));
}

TEST_F(InputTest, ReleasedKeysPressAnewAndANewPressRestartsTheRepeat) {
    PlatformSetKey(200, true);
    EXPECT_EQ(gKeyInput.IsPressed(kKeyUp), 1);
    EXPECT_EQ(gKeyInput.IsPressed(kKeyUp), 0) << "a second test in one frame sees the key held";
    PlatformSetKey(200, false);
    EXPECT_EQ(gKeyInput.IsPressed(kKeyUp), 0);
    EXPECT_EQ(gKeyInput.IsPressed(kKeyUp), 0);  // the key is seen up twice: the flags are clear
    PlatformSetKey(200, true);
    EXPECT_EQ(gKeyInput.IsPressed(kKeyUp), 1);
    // A new press of another key restarts the repeat timer the keys share.
    PlatformAdvanceTime(500);
    EXPECT_EQ(gKeyInput.IsPressed(kKeyUp), 0);
    PlatformSetKey(208, true);
    EXPECT_EQ(gKeyInput.IsPressed(kKeyDown), 1);
    PlatformAdvanceTime(200);  // 700 ms since up went down, 200 since down
    EXPECT_EQ(gKeyInput.IsPressed(kKeyUp), 0);
    PlatformAdvanceTime(400);
    EXPECT_EQ(gKeyInput.IsPressed(kKeyUp), 1);
}

TEST_F(InputTest, BindingsOutsideTheKeyTableReadAsUp) {
    PlatformSetKey(0, true);
    PlatformSetKey(255, true);
    for (u32 code : {0u, 256u, 0xFFFFFFFFu}) {
        gKeyBindings[kKeyConfirm] = code;
        gKeyInput.Reset();
        EXPECT_EQ(gKeyInput.IsPressed(kKeyConfirm), 0) << code;
        EXPECT_EQ(IsKeyHeld(kKeyConfirm), 0) << code;
    }
    gKeyBindings[kKeyConfirm] = 255;
    EXPECT_EQ(gKeyInput.IsPressed(kKeyConfirm), 1);
}

TEST_F(InputTest, KeysTwelveAndAboveAreNeverPressed) {
    for (int k = 0; k < 256; ++k) PlatformSetKey(static_cast<u8>(k), true);
    for (int n : {12, 13, 14, 15, -1}) EXPECT_EQ(gKeyInput.IsPressed(n), 0) << n;
    EXPECT_EQ(IsKeyHeld(12), 0);
}

}  // namespace
