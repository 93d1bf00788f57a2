// Controls, the scroll bar and interface colours.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "engine/PicPaint.h"
#include "engine/PixelFormat.h"
#include "support/Harness.h"
#include "ui/Control.h"
#include "ui/UiInput.h"
#include "platform/Backend.h"

namespace {

struct ControlTest : ::testing::Test {
    Harness h;
    ~ControlTest() override { ClearFrameObjects(); }
};

TEST_F(ControlTest, NumbersArePaddedToTenColumns) {
    const struct {
        i32 value, padded;
        const char* text;
    } cases[] = {{42, 1, "        42"}, {42, 0, "42"}, {-2147483647 - 1, 1, "-2147483648"}};
    for (const auto& c : cases) {
        char s[16];
        FormatControlNumber(s, sizeof(s), c.value, c.padded);
        EXPECT_STREQ(s, c.text);
    }
}

TEST_F(ControlTest, ControlsRegisterInCreationOrderAndLeaveOnDelete) {
    cControl* a = new cControl(0, 0);
    cControl* b = new cControl(5, 5);
    cControl* c = new cControl(9, 9);
    EXPECT_EQ(gControlList, (std::deque<cControl*>{a, b, c}));
    a->BringToFront();
    EXPECT_EQ(gControlList, (std::deque<cControl*>{b, c, a}));
    c->SendToBack();
    EXPECT_EQ(gControlList, (std::deque<cControl*>{c, b, a}));
    delete b;
    EXPECT_EQ(gControlList, (std::deque<cControl*>{c, a}));
}

TEST_F(ControlTest, ColoursAreWindowsColourReferences) {
    ResetPixelFormat();  // 5-5-5
    EXPECT_EQ(ColorRefToScreen(0x0000FF), 0x7C00) << "red is the low byte";
    EXPECT_EQ(ColorRefToScreen(0x00FFFF), 0x7FE0) << "yellow";
    EXPECT_EQ(ColorRefToScreen(0xFFFF00), 0x03FF) << "cyan";
    EXPECT_EQ(ColorRefToScreen(0x000700), 0) << "below one step of five bits";
    SetPixelFormat(640, 480, 1280, 0xF800, 0x07E0, 0x001F);
    EXPECT_EQ(ColorRefToScreen(0x0000FF) & 0xF800, 0xF800);
    EXPECT_EQ(ConvertPixelBack(ColorRefToScreen(0xDBFFFF)), 0x7FFB);
    ResetPixelFormat();
}

// A box control is always red; its mode picks the filling (the save screens'
// notices ask for the dimmed one), over a white 5-5-5 screen worked by hand.
TEST_F(ControlTest, BoxesFillByTheirMode) {
    std::vector<u16> screen(640 * 480);
    SetPixelFormat(640, 480, 1280, 0x7C00, 0x03E0, 0x001F);
    ResetPaint();
    gPaintBuf = screen.data();
    const struct {
        i32 mode;
        u16 inside;
    } cases[] = {{0, 0x7C00}, {2, 0x1CE7}, {4, 0x0C63}, {9, 0x7FFF}};
    for (const auto& k : cases) {
        SCOPED_TRACE(k.mode);
        std::fill(screen.begin(), screen.end(), 0x7FFF);
        cControl* c = new cControl(0, 0);
        c->SetRect(30, 20, 10, 40, k.mode, 0, 0, 0);  // corners in either order
        c->Draw();
        EXPECT_EQ(screen[25 * 640 + 15], k.inside);
        EXPECT_EQ(screen[39 * 640 + 29], k.inside);
        EXPECT_EQ(screen[19 * 640 + 15], 0x7FFF);
        EXPECT_EQ(screen[25 * 640 + 30], 0x7FFF);
        delete c;
    }
    gPaintBuf = nullptr;
    ResetPaint();
    ResetPixelFormat();
}

// A vertical bar: arrows 11 (down, adds) and 12 (up, takes away), thumb 13.
struct ScrollTest : ControlTest {
    cControl* down = new cControl(610, 300);
    cControl* up = new cControl(610, 80);
    cControl* thumb = new cControl(610, 95);
    cScrollBar bar;
    i32 value = 0;
    void SetUp() override {
        down->id = 11;
        up->id = 12;
        thumb->id = 13;
        bar.Init(down, up, thumb, 15, 40, 1);
        bar.value = &value;
        bar.maximum = 20;
        bar.minimum = 0;
        bar.arrowStep = 1;
        bar.pageStep = 10;
        bar.trackStart = 95;
        bar.trackEnd = 293;
        gMouseInput.Reset();
    }
    // One frame of the owning screen: the bar's update every 50 ms.
    void Frame() {
        bar.Update();
        PlatformAdvanceTime(50);
    }
};

TEST_F(ScrollTest, HeldArrowRepeatsAfter800msThenEvery100ms) {
    gMouseInput.pressedId = 11;
    std::vector<i32> values;
    for (int f = 0; f <= 24; ++f) {  // 0 .. 1200 ms
        Frame();
        values.push_back(value);
    }
    // steps at 800, 900, 1000, 1100 and 1200 ms (frames 16, 18, 20, 22, 24)
    EXPECT_EQ(values[15], 0);
    EXPECT_EQ(values[16], 1);
    EXPECT_EQ(values[17], 1);
    EXPECT_EQ(values[18], 2);
    EXPECT_EQ(values[24], 5);
    gMouseInput.pressedId = 0;
    gMouseInput.clickedId = 11;  // the release over the arrow clicks it once more
    Frame();
    EXPECT_EQ(value, 6);
    EXPECT_EQ(gMouseInput.clickedId, 0) << "the bar takes the click";
    EXPECT_EQ(bar.heldId, -1);
}

// A click on an arrow at its limit or on a disabled bar, and the thumb that
// follows the value over the 198-pixel track.
TEST_F(ScrollTest, ClicksAtTheLimitsOrDisabledChangeNothingAndTheThumbFollows) {
    const struct {
        i32 value, clicked, enabled, thumbY;
    } cases[] = {
        {0, 11, 0, 95},
        {20, 11, 1, 95 + 198},
        {0, 12, 1, 95},
        {10, 0, 1, 95 + 99},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        value = c.value;
        bar.enabled = c.enabled;
        gMouseInput.clickedId = c.clicked;
        Frame();
        EXPECT_EQ(value, c.value);
        EXPECT_EQ(thumb->y, c.thumbY);
        EXPECT_EQ(gMouseInput.clickedId, c.enabled ? 0 : c.clicked) << "a disabled bar leaves it";
    }
}

TEST_F(ScrollTest, EmptyRangeAndZeroTravelNeverDivideByZero) {
    bar.maximum = 0;
    Frame();
    EXPECT_EQ(thumb->y, bar.trackEnd) << "no range: the thumb rests at the end";
    bar.maximum = 5;
    bar.trackEnd = bar.trackStart;
    gMouseInput.captured = 1;  // a drag on a track without travel
    gMouseInput.y = 200;
    value = 3;
    Frame();
    EXPECT_EQ(value, 3);
    EXPECT_EQ(thumb->y, 95);
}

TEST_F(ScrollTest, DraggingTheThumbSetsTheValue) {
    gMouseInput.pressedId = 13;
    gMouseInput.y = 100;  // 5 pixels below the thumb's top
    Frame();
    EXPECT_EQ(gMouseInput.captured, 1u);
    gMouseInput.pressedId = 0;
    gMouseInput.y = 5 + 95 + 99;
    Frame();
    EXPECT_EQ(value, 10);
    EXPECT_EQ(thumb->y, 194);
}

}  // namespace
