// Screens with the sample game's interface pictures: hit tests on opaque
// pixels, overlap order, clicks through the real tick, pixels on the canvas.
#include "data/GameFlags.h"
#include "engine/DInput.h"
#include "platform/Input.h"
#include "support/SysScreenSupport.h"
#include "ui/ActPic.h"
#include "ui/Control.h"
#include "ui/Screens.h"
#include "ui/SettingsFrame.h"

namespace {

struct ArtTest : SysScreenTest {
    void SetUp() override {
        StartAtTheTitle();
        ASSERT_TRUE(h.boxes().empty());
    }
    void ClickAt(i32 x, i32 y) { ::ClickAt(h, x, y); }
    void ClickButton(int k) { ClickAt(TitleButtonX(k), kTitleButtonY); }
};

TEST_F(ArtTest, TitleShowsItsButtonsInTheirColours) {
    h.RunFrames(1);
    // Smart mouse puts the cursor on the first button: it shows its hover picture.
    EXPECT_EQ(gMouseInput.hoverId, kTitleNewGame);
    EXPECT_EQ(CanvasAt(100, 455), Colour(9002, 8));
    EXPECT_EQ(CanvasAt(180, 420), Colour(9002, 9));
    EXPECT_EQ(CanvasAt(600, 455), Colour(9002, 13));
    EXPECT_EQ(CanvasAt(320, 300), Colour(9002, gMainMenuFrame->titleAction)) << "the background";
}

TEST_F(ArtTest, SettingsAndBackMakeASecondTitleWithoutVideo) {
    ClickButton(2);
    h.RunFrames(3);
    EXPECT_EQ(gFrameId, kScreenBit | 27);
    ASSERT_NE(gSettingsFrame, nullptr);
    TapKey(h, kScanEsc);  // cancel: back to the title
    h.RunFrames(3);
    EXPECT_EQ(gFrameId, kScreenBit | 0);
    EXPECT_NE(gMainMenuFrame, nullptr);
    EXPECT_FALSE(gRunState & kRunVideo);
}

TEST_F(ArtTest, QuitButtonEndsTheProgram) {
    // Game data count as initialised (flag 1), so the window's end releases the
    // picture cache before the allocator's exit report.
    SetGameFlag(1);
    ClickButton(3);
    h.RunFrames(4);
    EXPECT_TRUE(h.quit());
}

TEST_F(ArtTest, KeysAndConfirmClickTheButtonUnderTheCursor) {
    TapKey(h, kScanRight);  // onto load
    EXPECT_EQ(gMouseInput.hoverId, kTitleLoad);
    TapKey(h, kScanEnter, 2);
    EXPECT_EQ(gFrameId, kScreenBit | 26);
}

TEST_F(ArtTest, ReleaseOnAnotherButtonOrConfirmWhileHeldIsNoClick) {
    gDInput.SetMousePos(TitleButtonX(0), kTitleButtonY);
    h.RunFrames(1);
    PlatformSetMouseButtons(true, false);
    h.RunFrames(1);
    EXPECT_EQ(gMouseInput.pressedId, kTitleNewGame);
    gDInput.SetMousePos(TitleButtonX(1), kTitleButtonY);
    h.RunFrames(1);
    PlatformSetMouseButtons(false, false);
    h.RunFrames(3);
    EXPECT_EQ(gFrameId, kScreenBit | 0);
    EXPECT_EQ(gFramePhase, 1u);
    // Nor is confirm while the button is held.
    gDInput.SetMousePos(TitleButtonX(1), kTitleButtonY);
    h.RunFrames(1);
    PlatformSetMouseButtons(true, false);
    h.RunFrames(1);
    PlatformSetKey(28, true);
    h.RunFrames(1);
    PlatformSetKey(28, false);
    PlatformSetMouseButtons(false, false);
    h.RunFrames(3);
    EXPECT_EQ(gFramePhase, 1u);
    EXPECT_EQ(gFrameId, kScreenBit | 0);
}

// Two 140x50 buttons overlapping by 40 pixels, outside the title's own.
struct OverlapTest : ArtTest {
    cControl* a = nullptr;
    cControl* b = nullptr;
    void SetUp() override {
        ArtTest::SetUp();
        a = new cControl(100, 100);
        a->SetButton(1, new cActPic(9002, 7), new cActPic(9002, 8), nullptr);
        b = new cControl(200, 100);
        b->SetButton(2, new cActPic(9002, 9), nullptr, nullptr);
    }
    i32 HitAt(i32 x, i32 y) {
        gMouseInput.x = x;
        gMouseInput.y = y;
        return gMouseInput.HitTest();
    }
};

TEST_F(OverlapTest, TheFrontmostShownControlWithAnIdTakesTheHit) {
    EXPECT_EQ(HitAt(120, 120), 1);
    EXPECT_EQ(HitAt(220, 120), 2);
    EXPECT_EQ(HitAt(320, 120), 2);
    EXPECT_EQ(HitAt(100, 160), 0) << "below the pictures";
    a->BringToFront();
    EXPECT_EQ(HitAt(220, 120), 1);
    h.RunFrames(1);
    EXPECT_EQ(CanvasAt(220, 120), Colour(9002, 7)) << "drawn last, on top";
    b->BringToFront();
    b->Hide();
    EXPECT_EQ(HitAt(220, 120), 1);
    b->Show();
    b->id = 0;
    EXPECT_EQ(HitAt(220, 120), 1) << "id 0 lets the one below take it";
    a->id = 0;
    EXPECT_EQ(HitAt(220, 120), 0);
    a->id = 1;
    a->kind = kCtlText;
    EXPECT_EQ(HitAt(120, 120), 0) << "texts are never hit";
}

TEST_F(OverlapTest, ButtonWithoutPressedPictureShowsItsHoverPictureWhilePressed) {
    gDInput.SetMousePos(120, 120);
    PlatformSetMouseButtons(true, false);
    h.RunFrames(2);
    EXPECT_EQ(gMouseInput.pressedId, 1);
    EXPECT_EQ(CanvasAt(150, 140), Colour(9002, 8));
    PlatformSetMouseButtons(false, false);
}

TEST_F(ArtTest, DigitControlDrawsEachDigitFrameInTurn) {
    i32 value = 7896;
    cControl* c = new cControl(10, 200);
    c->SetDigits(&value, new cActPic(9904, 0));
    h.RunFrames(1);
    EXPECT_EQ(CanvasAt(20, 210), Colour(9904, 7));
    EXPECT_EQ(CanvasAt(10 + 96 + 10, 210), Colour(9904, 8));
    EXPECT_EQ(CanvasAt(10 + 192 + 10, 210), Colour(9904, 9));
    EXPECT_EQ(CanvasAt(10 + 288 + 10, 210), Colour(9904, 6));
    EXPECT_EQ(c->HitTest(), 0) << "a number is never hit";
}

TEST_F(ArtTest, AlphaPictureIgnoresTheHotSpot) {
    cActPic* p = new cActPic(9002, 9);
    p->SetAlpha(16);
    cControl* c = new cControl(300, 100);
    c->SetPics(p, nullptr, nullptr);
    h.RunFrames(1);
    EXPECT_EQ(CanvasAt(301, 101), Colour(9002, 9));
}

}  // namespace
