// A fixture for the system screens: the sample game started, the opening video
// stopped, a new game in map mode; helpers to open a screen and to click and tap.
#pragma once
#include <gtest/gtest.h>
#include <unistd.h>

#include <string>

#include "engine/DDraw.h"
#include "engine/DInput.h"
#include "engine/FrameState.h"
#include "engine/PixelFormat.h"
#include "mhdata/InterfaceArt.h"
#include "shell/Settings.h"
#include "mhdata/SampleGame.h"
#include "support/Harness.h"
#include "support/Input.h"
#include "ui/Control.h"
#include "ui/MainMenu.h"
#include "ui/ScreenLink.h"

struct SysScreenTest : ::testing::Test {
    Harness h;
    void SetUp() override {
        StartAtTheTitle();
        ClickAt(TitleButtonX(0), kTitleButtonY);
        h.RunFrames(2);
        ASSERT_EQ(gFrameId, kMapMode);
    }
    // The sample game written and started, its opening video stopped by Esc.
    void StartAtTheTitle() {
        std::string error;
        ASSERT_TRUE(WriteSampleGame(h.Path("game"), &error)) << error;
        ASSERT_EQ(::chdir(h.Path("game").c_str()), 0);
        gBasePath[0] = 0;  // the game takes the folder it runs in
        h.StartGame();
        h.RunFrames(1);
        ASSERT_NE(gMainMenuFrame, nullptr);
        ASSERT_TRUE(gRunState & kRunVideo) << "the first title of a run plays the opening video";
        h.PostKeyUp(VK_ESCAPE);
        h.RunFrames(2);
        ASSERT_FALSE(gRunState & kRunVideo);
    }
    // An interface picture's colour as the canvas holds it.
    static u16 Colour(u32 act, u32 action) { return ConvertPixel(InterfaceColor(act, action)); }
    // Opens screen n from map mode and runs its open and one run.
    void Open(u32 n) {
        gFrameId = kScreenBit | n;
        gFramePhase = 0;
        h.RunFrames(2);
        ASSERT_EQ(gFramePhase, 1u);
    }
    // The cursor onto (x, y), then `frames` frames (a hover shows on the second).
    void MoveTo(i32 x, i32 y, int frames = 1) {
        gDInput.SetMousePos(x, y);
        h.RunFrames(frames);
    }
    void ClickAt(i32 x, i32 y) { ::ClickAt(h, x, y, 2); }
    void RightClick() { PressMouse(h, false, true, 2); }
    void Tap(u8 code, int released = 1) { TapKey(h, code, released); }
    // The text of the text control standing at (x, y), null when none does.
    static const char* TextAt(i32 x, i32 y) {
        for (cControl* c : gControlList)
            if (c->x == x && c->y == y && c->kind == kCtlText) return c->text;
        return nullptr;
    }
    // Closes a screen left running, as its own way out would.
    void CloseRunning() {
        if (gFramePhase != 1) return;
        gFramePhase = 2;
        h.RunFrames(1);
    }
    // Runs until the screen has closed (phase back to 0 after a close).
    u32 FinishClose() {
        h.RunFrames(2);
        return gFrameId;
    }
};

// The sample game's title left for a new game standing in the town.
struct SampleTownTest : SysScreenTest {
    // A click on control id that the screen reads on the next frame.
    void Click(i32 id, i32 x, i32 y) {
        gMouseInput.x = x;
        gMouseInput.y = y;
        gMouseInput.clickedId = id;
        gMouseInput.MoveCursor(x, y);
        h.RunFrames(1);
    }
    bool BoxSays(const char* caption, const char* text) {
        for (const RecordedBox& b : h.boxes())
            if (b.caption == caption && b.text.find(text) != std::string::npos) return true;
        return false;
    }
};
