// The screens through the real tick, and the controls they are made of.
// Controls, the scroll bar, interface colours and input; the title's buttons
// with the sample game's interface pictures, its keys, F10, cursor and video;
// the screen manager's phases, placeholders and clearing of controls. The
// screens that share the system panel: the system menu, the quest log, the
// settings, the formation and the panel's ways out. The ends of a game: the
// leave-game question, the end screens, the ending's stages, layouts and
// pictures, and the enter/cancel prompt's talk jump, cancel and keys.

#include <algorithm>

#include "data/GameData.h"
#include "data/GameFlags.h"
#include "engine/DInput.h"
#include "engine/LineFilter.h"
#include "engine/PicPaint.h"
#include "map/NewGame.h"
#include "map/RoleTable.h"
#include "menu/ItemFrame.h"
#include "menu/MenuFrame.h"
#include "mhdata/Archives.h"
#include "mhdata/StoryAsm.h"
#include "platform/AudioMixer.h"
#include "platform/Backend.h"
#include "platform/Display.h"
#include "platform/MidiSynth.h"
#include "platform/TextCodec.h"
#include "platform/Win.h"
#include "shell/Main.h"
#include "sound/Sound.h"
#include "story/PartyCommands.h"
#include "story/ScreenCalls.h"
#include "story/Talk.h"
#include "support/MusicRecorder.h"
#include "support/SysScreenSupport.h"
#include "ui/ActPic.h"
#include "ui/EndScreens.h"
#include "ui/EndingFrame.h"
#include "ui/EnterFrame.h"
#include "ui/FormationFrame.h"
#include "ui/QuestFrame.h"
#include "ui/SaveScreens.h"
#include "ui/ScreenLink.h"
#include "ui/SettingsFrame.h"
#include "ui/SystemMenu.h"

namespace {

struct ControlTest : ::testing::Test {
    Harness h;
    ~ControlTest() override { ClearFrameObjects(); }
};

// Numbers are padded to ten columns; colours are Windows colour references.
// (The order of the controls: the overlap test.)
TEST_F(ControlTest, NumbersAndColours) {
    const struct {
        i32 value, padded;
        const char* text;
    } cases[] = {{42, 1, "        42"}, {42, 0, "42"}, {-2147483647 - 1, 1, "-2147483648"}};
    for (const auto& c : cases) {
        char s[16];
        FormatControlNumber(s, sizeof(s), c.value, c.padded);
        EXPECT_STREQ(s, c.text);
    }
    // 5-5-5: red is the low byte; yellow, cyan, and green below one step of five bits.
    ResetPixelFormat();
    for (auto [ref, screen] :
         {std::pair{0x0000FFu, 0x7C00}, {0x00FFFFu, 0x7FE0}, {0xFFFF00u, 0x03FF}, {0x000700u, 0}})
        EXPECT_EQ(ColorRefToScreen(ref), screen) << std::hex << ref;
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
        EXPECT_EQ(std::make_tuple(screen[25 * 640 + 15], screen[39 * 640 + 29],
                                  screen[19 * 640 + 15], screen[25 * 640 + 30]),
                  std::make_tuple(k.inside, k.inside, u16{0x7FFF}, u16{0x7FFF}));
        delete c;
    }
    gPaintBuf = nullptr;
    ResetPaint();
    ResetPixelFormat();
}

// The menu lists' bar as they set it up: arrows 11 (down, adds) and 12 (up,
// takes away), thumb 13; thirty entries, so a maximum of 20.
struct ScrollTest : ControlTest {
    cListPane pane;
    cScrollBar& bar = pane.scroll;
    i32& value = pane.top;
    cControl*& thumb = pane.thumb;
    void SetUp() override {
        testing::internal::CaptureStderr();  // no picture archive here, nor needed
        pane.Make({10, 11, 12, 13}, nullptr);
        testing::internal::GetCapturedStderr();
        pane.items.assign(30, 0);
        pane.InitScroll();
        gMouseInput.Reset();
    }
    // One frame of the owning screen: the bar's update every 50 ms.
    void Frame() {
        bar.Update();
        PlatformAdvanceTime(50);
    }
};

// A held arrow repeats after 800 ms, then every 100 ms. A click on an arrow
// at its limit or on a disabled bar changes nothing, and the thumb follows
// the value over the 198-pixel track.
TEST_F(ScrollTest, HeldArrowLimitsAndTheThumb) {
    const struct {
        i32 value, clicked, enabled, thumbY;
    } cases[] = {{0, 11, 0, 95}, {20, 11, 1, 95 + 198}, {0, 12, 1, 95}, {10, 0, 1, 95 + 99}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        value = c.value;
        bar.enabled = c.enabled;
        gMouseInput.clickedId = c.clicked;
        Frame();
        // A disabled bar leaves the click.
        EXPECT_EQ(std::make_tuple(value, thumb->y, gMouseInput.clickedId),
                  std::make_tuple(c.value, c.thumbY, c.enabled ? 0 : c.clicked));
    }
    // The arrow held from 0.
    value = 0;
    gMouseInput.pressedId = 11;
    std::vector<i32> values;
    for (int f = 0; f <= 24; ++f) {  // 0 .. 1200 ms
        Frame();
        values.push_back(value);
    }
    // steps at 800, 900, 1000, 1100 and 1200 ms (frames 16, 18, 20, 22, 24)
    std::vector<i32> expect(16, 0);
    for (i32 v : {1, 1, 2, 2, 3, 3, 4, 4, 5}) expect.push_back(v);
    EXPECT_EQ(values, expect);
    gMouseInput.pressedId = 0;
    gMouseInput.clickedId = 11;  // the release over the arrow clicks it once more
    Frame();
    // The bar takes the click.
    EXPECT_EQ(std::make_tuple(value, gMouseInput.clickedId, bar.heldId), std::make_tuple(6, 0, -1));
}

// Dragging the thumb sets the value; a track without travel never divides by
// zero. (An empty range's thumb at the track's end: the menu lists' test.)
TEST_F(ScrollTest, DragAndZeroTravel) {
    gMouseInput.pressedId = 13;
    gMouseInput.y = 100;  // 5 pixels below the thumb's top
    Frame();
    EXPECT_EQ(gMouseInput.captured, 1u);
    gMouseInput.pressedId = 0;
    gMouseInput.y = 5 + 95 + 99;
    Frame();
    EXPECT_EQ(std::make_tuple(value, thumb->y), std::make_tuple(10, 194));
    bar.maximum = 5;
    bar.trackEnd = bar.trackStart;
    gMouseInput.captured = 1;  // a drag on a track without travel
    gMouseInput.y = 200;
    value = 3;
    Frame();
    EXPECT_EQ(std::make_tuple(value, thumb->y), std::make_tuple(3, 95));
}

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

// A release that comes while the game waits reaches the buttons at the
// window's next pump, as every event of the window does.
bool gReleaseWaiting = false;
void HandOverWaitingRelease() {
    if (!gReleaseWaiting) return;
    gReleaseWaiting = false;
    PlatformSetMouseButtons(false, false);
}

// A click on the track below the thumb pages once (0 + 10) though the button
// comes up only during the wait after the page: not back up when the thumb
// has jumped past the cursor (y 180), not down again when it has not (y 250).
TEST_F(ScrollTest, ClickOnTheTrackPagesOnce) {
    static const bool hooked = [] {
        PlatformAddHooks({nullptr, nullptr, HandOverWaitingRelease});
        return true;
    }();
    ASSERT_TRUE(hooked);
    MSG msg;
    for (i32 y : {180, 250}) {
        value = 0;
        gDInput.SetMousePos(617, y);
        MouseFrame(true);  // the frame that reads the press
        gReleaseWaiting = true;
        Frame();  // the page and its wait
        gMouseInput.Update();
        PeekMessageA(&msg, nullptr, PM_NOREMOVE);  // the pump between two frames
        Frame();
        gMouseInput.Update();
        EXPECT_EQ(std::make_pair(value, thumb->y), std::make_pair(10, 95 + 99)) << y;
    }
}

using InputTest = ControlTest;

// A second press is a double click up to 700 ms after the release, a third
// is not another; the right button clicks at its release.
TEST_F(InputTest, DoubleAndRightClicks) {
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
    MouseFrame(false);
    gMouseInput.Reset();
    for (u32 held : {1u, 0u}) {
        PlatformSetMouseButtons(false, held != 0);
        gMouseInput.Update();
        EXPECT_EQ(std::pair(gMouseInput.rightHeld, gMouseInput.rightClick),
                  std::pair(held, 1 - held));
    }
}

// Holding confirm: a press at 0, repeats at 600 and then every 200 ms.
// Released keys press anew and a new press restarts the repeat.
TEST_F(InputTest, HeldKeysRepeatAndReleasedKeysPressAnew) {
    PlatformSetKey(28, true);
    std::vector<u32> fired;
    for (u32 t = 0; t <= 1000; t += 50) {
        if (gKeyInput.IsPressed(kKeyConfirm)) fired.push_back(t);
        PlatformAdvanceTime(50);
    }
    EXPECT_EQ(fired, (std::vector<u32>{0, 600, 800, 1000}));
    PlatformSetKey(28, false);
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

// Bindings outside the key table read as up; keys twelve and above are
// never pressed.
TEST_F(InputTest, BindingsOutsideTheTableAndKeysPastElevenReadAsUp) {
    PlatformSetKey(0, true);
    PlatformSetKey(255, true);
    for (u32 code : {0u, 256u, 0xFFFFFFFFu}) {
        gKeyBindings[kKeyConfirm] = code;
        gKeyInput.Reset();
        EXPECT_EQ(std::make_tuple(gKeyInput.IsPressed(kKeyConfirm), IsKeyHeld(kKeyConfirm)),
                  std::make_tuple(0, 0))
            << code;
    }
    gKeyBindings[kKeyConfirm] = 255;
    EXPECT_EQ(gKeyInput.IsPressed(kKeyConfirm), 1);
    for (int k = 0; k < 256; ++k) PlatformSetKey(static_cast<u8>(k), true);
    for (int n : {12, 13, 14, 15, -1}) EXPECT_EQ(gKeyInput.IsPressed(n), 0) << n;
    EXPECT_EQ(IsKeyHeld(12), 0);
}

struct ArtTest : SysScreenTest {
    void SetUp() override {
        StartAtTheTitle();
        ASSERT_TRUE(h.boxes().empty());
    }
};

TEST_F(ArtTest, TitleButtonsDigitsAlphaKeysAndGreyedButtons) {
    h.RunFrames(1);
    // Smart mouse puts the cursor on the first button: it shows its hover picture.
    EXPECT_EQ(gMouseInput.hoverId, kTitleNewGame);
    EXPECT_EQ(std::make_tuple(CanvasAt(100, 455), CanvasAt(180, 420), CanvasAt(600, 455)),
              std::make_tuple(Colour(9002, 8), Colour(9002, 9), Colour(9002, 13)));
    EXPECT_EQ(CanvasAt(320, 300), Colour(9002, gMainMenuFrame->titleAction)) << "the background";
    // The game's name shows through the background, white on its plate at (5, 90).
    int ink = 0;
    for (i32 y = 90; y < 210; ++y)
        for (i32 x = 5; x < 305; ++x) ink += CanvasAt(x, y) == ConvertPixel(0x7FFF);
    EXPECT_GT(ink, 300) << "the game's name";
    // A digit control draws each digit frame in turn; an alpha picture ignores
    // the hot spot.
    i32 value = 7896;
    cControl* digits = new cControl(10, 200);
    digits->SetDigits(&value, new cActPic(9904, 0));
    h.RunFrames(1);
    // Each digit one frame's width after the last: 7 and 6 are 96 pixels
    // wide, the button frames 8 and 9 120.
    const u32 shown[] = {7, 8, 9, 6};
    const i32 at[] = {20, 116, 236, 356};
    for (int k = 0; k < 4; ++k) EXPECT_EQ(CanvasAt(at[k], 210), Colour(9904, shown[k])) << k;
    EXPECT_EQ(digits->HitTest(), 0) << "a number is never hit";
    cActPic* p = new cActPic(9002, 9);
    p->SetAlpha(16);
    cControl* c = new cControl(300, 100);
    c->SetPics(p, nullptr, nullptr);
    h.RunFrames(1);
    EXPECT_EQ(CanvasAt(301, 101), Colour(9002, 9));
    // The keys and confirm click the button under the cursor.
    TapKey(h, kScanRight);  // onto load
    EXPECT_EQ(gMouseInput.hoverId, kTitleLoad);
    TapKey(h, kScanEnter, 2);
    EXPECT_EQ(gFrameId, kScreenBit | 26);
    // The quick load from the title shows the title greyed behind its notice: no
    // button may grey into the ground of any of the three title pictures.
    for (u32 back = 1; back <= 3; ++back)
        for (u32 button = 7; button <= 14; ++button) {
            u16 px[2] = {Colour(9002, back), Colour(9002, button)};
            GreyLine(px, 2);
            EXPECT_NE(px[0], px[1]) << "background " << back << ", button frame " << button;
        }
}

// Settings and back make a second title without video; a release on another
// button or confirm while held is no click; the quit button ends the program.
TEST_F(ArtTest, SecondTitleNoClicksAndQuit) {
    ClickAt(TitleButtonX(2), kTitleButtonY);
    h.RunFrames(3);
    EXPECT_EQ(gFrameId, kScreenBit | 27);
    ASSERT_NE(gSettingsFrame, nullptr);
    TapKey(h, kScanEsc);  // cancel: back to the title
    h.RunFrames(3);
    EXPECT_EQ(std::make_tuple(gFrameId, gMainMenuFrame != nullptr, (gRunState & kRunVideo) != 0),
              std::make_tuple(kScreenBit | 0, true, false));
    // A press on new game released over load, and confirm while load is held.
    for (bool confirm : {false, true}) {
        MoveTo(TitleButtonX(confirm ? 1 : 0), kTitleButtonY);
        PlatformSetMouseButtons(true, false);
        h.RunFrames(1);
        EXPECT_EQ(gMouseInput.pressedId, confirm ? kTitleLoad : kTitleNewGame);
        confirm ? TapKey(h, 28, 0) : MoveTo(TitleButtonX(1), kTitleButtonY);
        PlatformSetMouseButtons(false, false);
        h.RunFrames(3);
        EXPECT_EQ(std::make_tuple(gFrameId, gFramePhase), std::make_tuple(kScreenBit | 0, 1u))
            << confirm;
    }
    // Game data count as initialised (flag 1), so the window's end releases the
    // picture cache before the allocator's exit report.
    SetGameFlag(1);
    ClickAt(TitleButtonX(3), kTitleButtonY);
    h.RunFrames(4);
    EXPECT_TRUE(h.quit());
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

// A button without a pressed picture shows its hover picture while pressed;
// the frontmost shown control with an id (the later made, or the one brought
// to the front or not sent to the back) takes the hit.
TEST_F(OverlapTest, PressedPictureAndTheFrontmostHit) {
    gDInput.SetMousePos(120, 120);
    PlatformSetMouseButtons(true, false);
    h.RunFrames(2);
    EXPECT_EQ(std::make_tuple(gMouseInput.pressedId, CanvasAt(150, 140)),
              std::make_tuple(1, Colour(9002, 8)));
    PlatformSetMouseButtons(false, false);
    gDInput.SetMousePos(500, 300);  // off both
    h.RunFrames(2);
    // Below the pictures, nothing.
    EXPECT_EQ(std::make_tuple(HitAt(120, 120), HitAt(220, 120), HitAt(320, 120), HitAt(100, 160)),
              std::make_tuple(1, 2, 2, 0));
    a->BringToFront();
    EXPECT_EQ(HitAt(220, 120), 1);
    h.RunFrames(1);
    EXPECT_EQ(CanvasAt(220, 120), Colour(9002, 7)) << "drawn last, on top";
    a->SendToBack();
    EXPECT_EQ(HitAt(220, 120), 2);
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

// The mouse moves in steps of two pixels at the game's speed 2.0: a cursor
// point at an odd x comes back one pixel short (x | 1 puts it back).
struct TitleTest : ::testing::Test {
    Harness h;
    void SetUp() override { h.StartGame(); }
    void Tap(u8 code) { TapKey(h, code); }
    // Ends the running screen with a result, as its buttons do, and runs frames.
    void Finish(i32& result, i32 value, int frames) {
        result = value;
        gFramePhase = 2;
        h.RunFrames(frames);
    }
};

// The keys walk the buttons, button k's cursor point being (145 + 150k, 440).
// Each opening of the title: on the focused button with smart mouse (a focus
// another screen left that names none of the four, the first), the centre
// without; the title picture is one of three.
TEST_F(TitleTest, KeysCursorAndPicture) {
    const struct {
        i32 focus;  // 0: as the key before left it
        u8 key;
        i32 x;
    } walk[] = {
        {1000, 203, 595},  // left on new game: quit
        {1003, 205, 145},  // right on quit: new game
        {1001, 15, 445},   // switch window on load: settings
        {0, 201, 295},     // page up: onto the focused one, load
    };
    const struct {
        i32 focus;
        u32 smart;
        i32 x, y, button;
    } cases[] = {
        {2, 1, 445, 440, 1002},
        {5, 1, 145, 440, 1000},  // the system menu's quit row leaves 5
        {0, 0, 320, 240, -1},
    };
    h.RunFrames(2);  // open, then one run
    for (const auto& w : walk) {
        SCOPED_TRACE(w.x);
        if (w.focus) gMainMenuFrame->focus = w.focus;
        Tap(w.key);
        EXPECT_EQ(std::pair(gMouseInput.x | 1, gMouseInput.y), std::pair(w.x, 440));
    }
    for (const auto& c : cases) {
        SCOPED_TRACE(c.focus);
        Finish(gMainMenuFrame->result, kTitleNone, 1);  // to the map, then the title anew
        gKeyFocus = c.focus;
        gSmartMouse = c.smart;
        gFrameId = kScreenBit | 0;
        gFramePhase = 0;
        h.RunFrames(2);
        ASSERT_NE(gMainMenuFrame, nullptr);
        EXPECT_EQ(std::tuple(gMouseInput.x | (c.x & 1), gMouseInput.y,
                             c.button < 0 ? c.button : gMainMenuFrame->focus),
                  std::tuple(c.x, c.y, c.button));
    }
    // The title picture is one of three.
    std::set<i32> seen;
    for (int i = 0; i < 30; ++i) {
        seen.insert(gMainMenuFrame->titleAction);
        Finish(gMainMenuFrame->result, kTitleResSettings, 3);
        ASSERT_NE(gSettingsFrame, nullptr);
        Finish(gSettingsFrame->result, 1, 3);  // back to the title
        ASSERT_NE(gMainMenuFrame, nullptr);
    }
    EXPECT_EQ(seen, (std::set<i32>{1, 2, 3}));
}

// F10 held from before the title is no fresh press; a fresh one opens the
// quick-load notice, only with a quick save.
TEST_F(TitleTest, F10OpensTheQuickLoadNoticeOnlyWithAQuickSave) {
    WriteHostFile(h.Path("Save/Quick.sav"), {1, 2, 3});
    PlatformSetKey(kScanF10, true);
    h.RunFrames(4);
    EXPECT_EQ(gFramePhase, 1u) << "held since before the open";
    PlatformSetKey(kScanF10, false);
    h.RunFrames(1);
    PlatformSetKey(kScanF10, true);
    h.RunFrames(1);
    EXPECT_EQ(gFramePhase, 2u);
    h.RunFrames(1);
    EXPECT_EQ(gFrameId, kScreenBit | 32);
    ASSERT_NE(gQuickNoticeFrame, nullptr);
    PlatformSetKey(kScanF10, false);
    // The file is no save: the notice says so for a second and goes back to the title.
    h.RunFrames(32);
    EXPECT_EQ(std::make_tuple(gQuickNoticeFrame, gFrameId),
              std::make_tuple(nullptr, kScreenBit | 0));
    std::filesystem::remove(h.Path("Save/Quick.sav"));
    PlatformSetKey(kScanF10, true);
    h.RunFrames(3);
    // No quick save: nothing.
    EXPECT_EQ(std::make_tuple(gFrameId, gFramePhase), std::make_tuple(kScreenBit | 0, 1u));
}

// The title opens on the first frame and runs, waiting for the player; a
// running screen redraws the canvas from black each frame. Then the title is
// left for map mode as a finished title does.
TEST_F(TitleTest, OpensRunsRedrawsFromBlackAndMapModeOpensAndCloses) {
    EXPECT_EQ(gFrameId, kScreenBit | 0u);
    h.RunFrames(1);
    EXPECT_EQ(std::make_tuple(gMainMenuFrame != nullptr, gFramePhase, gCursorPic != nullptr,
                              gMouseInput.cursorPic == gCursorPic),
              std::make_tuple(true, 1u, true, true));
    h.RunFrames(5);
    EXPECT_EQ(gFrameId, kScreenBit | 0u) << "the title waits for the player";
    i32 pitch = 0;
    u16* px = DisplayLock(gDrawSurface, &pitch);
    ASSERT_NE(px, nullptr);
    px[10 * pitch / 2 + 600] = 0x7FFF;
    DisplayUnlock(gDrawSurface);
    u32 shown = DisplayFrameCount();
    h.RunFrames(1);
    px = DisplayLock(gDrawSurface, &pitch);
    EXPECT_EQ(px[10 * pitch / 2 + 600], 0) << "nothing of the title lies there";
    DisplayUnlock(gDrawSurface);
    EXPECT_GT(DisplayFrameCount(), shown);
    // From map mode: an Open may close at once because the phase is set first;
    // ids past 32 and screens whose object another module makes, missing, go
    // back to map mode at once; every close clears controls and pictures; an
    // object made elsewhere is freed after its close, and the top bit is optional.
    Finish(gMainMenuFrame->result, kTitleNone, 1);
    ASSERT_EQ(gFrameId, kMapMode);
    OpenItemFrame(0);  // nothing owned: the chooser closes in its Open
    h.RunFrames(1);
    EXPECT_NE(gItemFrame, nullptr);
    EXPECT_EQ(gFramePhase, 2u) << "the manager's phase 1 came before Open";
    h.RunFrames(1);
    // Opened from map mode, back to map mode.
    EXPECT_EQ(std::make_tuple(gItemFrame, gFrameId, gCursorPic),
              std::make_tuple(nullptr, 0u, nullptr));
    for (u32 word : {kScreenBit | 33, 0x8FFFFFFFu, kScreenBit | 14, kScreenBit | 15,
                     kScreenBit | 19, kScreenBit | 21, kScreenBit | 24, kScreenBit | 32}) {
        gFrameId = word;
        h.RunFrames(1);
        EXPECT_EQ(std::make_tuple(gFrameId, gFramePhase, gCursorPic),
                  std::make_tuple(0u, 0u, nullptr))
            << std::hex << word;
    }
    for (u32 id : {2u, 28u, 29u}) {
        gFrameId = kScreenBit | id;
        h.RunFrames(1);
        new cControl(10, 10);
        new cActPic(9002, 7);
        ASSERT_FALSE(gControlList.empty());
        gFramePhase = 2;  // the notices would stay a second
        h.RunFrames(1);
        EXPECT_EQ(std::make_tuple(gControlList.empty(), gActPicList.empty()),
                  std::make_tuple(true, true))
            << id;
    }
    gItemFrame = new cItemFrame(7);
    gFrameId = kScreenBit | 14;
    h.RunFrames(2);
    EXPECT_EQ(std::make_tuple(gItemFrame, gFrameId), std::make_tuple(nullptr, 0u));
    // A mode word without the top bit opens the same screen.
    gFrameId = 3;
    h.RunFrames(1);
    EXPECT_NE(gEquipFrame, nullptr);
    h.RunFrames(1);
    EXPECT_EQ(gFramePhase, 1u) << "the equipment page runs";
}

using SystemMenuTest = SysScreenTest;

// Whether the cursor stands at (x, y) to a pixel: the mouse counters move in
// steps of two, so an odd point lands one short.
bool CursorAt(i32 x, i32 y) {
    return std::abs(gMouseInput.x - x) <= 1 && std::abs(gMouseInput.y - y) <= 1;
}

// Money and play time are shown; the keys walk the rows and tabs; smart mouse
// remembers the row confirmed.
TEST_F(SystemMenuTest, MoneyPlayTimeKeysAndTheRememberedRow) {
    gScriptVars[0] = 1234;
    gGameTime = 3725;
    gKeyFocus = 0;
    Open(13);
    cControl* money = nullptr;
    for (cControl* c : gControlList)
        if (c->x == 510 && c->y == 390) money = c;
    ASSERT_NE(money, nullptr);  // padded to ten columns
    EXPECT_EQ(std::make_tuple(*money->value, money->paddedOrAlpha != 0),
              std::make_tuple(1234, true));
    // The clock moves on while the screen is open: 21 frames make a second.
    EXPECT_STREQ(TextAt(540, 440), "1:02:05");
    gGameTime = 60 * 3600 + 7;
    h.RunFrames(1);
    EXPECT_STREQ(TextAt(540, 440), "0:00:07");
    EXPECT_STREQ(TextAt(480, 300), B5("離 開 遊 戲"));
    // Rows wrap both ways, a row goes to the first tab, tabs wrap, up on a tab
    // stays, down from a tab goes to row 0.
    const i32 t0 = TabPointX(0), t3 = TabPointX(3), ty = kTabPointY;
    const struct {
        u8 key;
        i32 x, y, selection;
    } walk[] = {{0, 580, 120, 0},       {kScanUp, 580, 320, 5},   {kScanDown, 580, 120, 0},
                {kScanTab, t0, ty, 10}, {kScanLeft, t3, ty, 13},  {kScanRight, t0, ty, 10},
                {kScanUp, t0, ty, 10},  {kScanDown, 580, 120, 0}, {kScanUp, 580, 320, 5}};
    for (const auto& w : walk) {
        if (w.key) Tap(w.key);
        EXPECT_TRUE(CursorAt(w.x, w.y)) << int(w.key);
        EXPECT_EQ(gSystemMenuFrame->selection, w.selection) << int(w.key);
    }
    Tap(kScanEnter);  // confirm clicks the row under the cursor
    h.RunFrames(2);
    EXPECT_EQ(std::make_tuple(gFrameId, gKeyFocus), std::make_tuple(kScreenBit | 1, 5));
    gFrameId = kMapMode;
    h.RunFrames(1);
    Open(13);
    EXPECT_NEAR(gMouseInput.y, 320, 1);
    h.RunFrames(1);  // the hover under the placed cursor gives the selection
    EXPECT_EQ(gSystemMenuFrame->selection, 5);
}

struct QuestLogTest : SysScreenTest {
    // The first quest shown, the rows shown and the page buttons' ids.
    std::tuple<i32, int, i32, i32> Page() {
        int n = 0;
        for (cControl* r : gQuestFrame->rows) n += r->shown ? 1 : 0;
        return {gQuestFrame->first, n, gQuestFrame->pageUp->id, gQuestFrame->pageDown->id};
    }
};

// Eight rows a page: page down only with a ninth quest, whose page shows one
// row. An id beyond the name table shows an empty name.
TEST_F(QuestLogTest, ZeroEightAndNineQuestsPage) {
    // A cut name never splits a Big5 character.
    char a[8] = {'a', '\xA4', '\x40', '\xA4', 0};
    CutBig5Tail(a);
    EXPECT_STREQ(a, "a\xA4\x40");
    char b[8] = {'\xA4', '\x40', 'z', 0};
    CutBig5Tail(b);
    EXPECT_STREQ(b, "\xA4\x40z");
    gQuestList = {999999};
    Open(10);
    EXPECT_EQ(std::make_tuple(gQuestFrame->rowIndex[0], std::string(gQuestFrame->names[0])),
              std::make_tuple(0, ""));
    const struct {
        int quests, rows;
        i32 pageDown;
    } cases[] = {{0, 0, 0}, {8, 8, 0}, {9, 8, kQuestPageDownId}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.quests);
        CloseRunning();
        gQuestList.clear();
        for (int i = 0; i < c.quests; ++i) gQuestList.push_back(static_cast<u32>(i + 1));
        Open(10);
        EXPECT_EQ(Page(), std::make_tuple(0, c.rows, 0, c.pageDown));
    }
    ClickAt(360, 435);
    EXPECT_EQ(Page(), std::make_tuple(8, 1, kQuestPageUpId, 0));
    EXPECT_EQ(gQuestFrame->rowIndex[0], 8);
    ClickAt(230, 435);
    EXPECT_EQ(Page(), std::make_tuple(0, 8, 0, kQuestPageDownId));
}

enum class Way { kRow, kTab, kFKey, kRightButton, kCancelKey, kPoint, kOk };

struct Exit {
    u32 screen;
    Way way;
    i32 n;      // row, tab, F-key number or y of a point
    u32 next;   // the screen left for; the screen itself: nothing happens; 0: the map
    i32 focus;  // the keyboard focus once left, or -1
};

struct PanelExitsTest : SysScreenTest {
    void Take(const Exit& e) {
        switch (e.way) {
            case Way::kRow:
                return ::ClickAt(h, 560, 100 + 40 * e.n, 0);
            case Way::kTab:
                return ::ClickAt(h, TabPointX(e.n), kTabPointY, 0);
            case Way::kPoint:
                return ::ClickAt(h, 560, e.n, 0);
            case Way::kOk:
                return ::ClickAt(h, 230, 435, 0);
            case Way::kFKey:
                return TapKey(h, static_cast<u8>(kScanF1 + e.n - 1), 0);
            case Way::kCancelKey:
                return TapKey(h, kScanEsc, 0);
            case Way::kRightButton:
                return PressMouse(h, false, true, 0);
        }
    }
};

TEST_F(PanelExitsTest, EachWayLeadsToItsScreen) {
    // The system menu's six rows remember the row for the next visit; a point
    // below the last row does nothing. Then the settings, the quest log, the
    // formation's own row and every way out of it, each applying two places
    // swapped; on the slot screens F1-F4 hand the next screen a fresh focus; on
    // the quick-save page F3 is the page itself.
    using enum Way;
    const Exit exits[] = {
        {13, kRow, 0, 8, 0},           {13, kRow, 1, 9, 1},           {13, kRow, 2, 11, 2},
        {13, kRow, 3, 12, 3},          {13, kRow, 4, 10, 4},          {13, kRow, 5, 1, 5},
        {13, kPoint, 340, 13, -1},     {13, kTab, 1, 23, -1},         {13, kTab, 3, 13, -1},
        {13, kFKey, 3, 25, 0},         {13, kRightButton, 0, 0, -1},  {13, kCancelKey, 0, 0, -1},
        {12, kRow, 4, 10, -1},         {12, kRow, 3, 12, -1},         {12, kTab, 0, 2, -1},
        {12, kFKey, 2, 23, -1},        {12, kRightButton, 0, 13, -1}, {10, kRow, 4, 10, -1},
        {10, kRow, 2, 11, -1},         {10, kTab, 3, 13, -1},         {10, kFKey, 1, 2, -1},
        {10, kRightButton, 0, 13, -1}, {11, kRow, 2, 11, -1},         {11, kOk, 0, 13, -1},
        {11, kRightButton, 0, 13, -1}, {11, kCancelKey, 0, 13, -1},   {11, kRow, 0, 8, -1},
        {11, kRow, 1, 9, -1},          {11, kRow, 3, 12, -1},         {11, kRow, 4, 10, -1},
        {11, kRow, 5, 1, -1},          {11, kTab, 0, 2, -1},          {11, kTab, 1, 23, -1},
        {11, kTab, 2, 25, -1},         {11, kTab, 3, 13, -1},         {11, kFKey, 1, 2, -1},
        {11, kFKey, 2, 23, -1},        {11, kFKey, 3, 25, -1},        {11, kFKey, 4, 13, -1},
        {8, kFKey, 1, 2, 0},           {8, kFKey, 2, 23, 0},          {8, kFKey, 3, 25, 0},
        {8, kFKey, 4, 13, 0},          {8, kRightButton, 0, 13, -1},  {25, kFKey, 1, 2, 0},
        {25, kFKey, 2, 23, 0},         {25, kFKey, 3, 25, -1},        {25, kFKey, 4, 13, 0}};
    for (const Exit& e : exits) {
        SCOPED_TRACE(std::to_string(e.screen) + " way " + std::to_string(int(e.way)) + " " +
                     std::to_string(e.n));
        CloseRunning();
        gFrameId = kMapMode;  // whatever it leads to stays unopened
        gFramePhase = 0;
        h.RunFrames(2);
        gMenuRole = 3;
        for (int k = 0; k < kPartySize; ++k) gFormation[k] = k;
        Open(e.screen);
        gKeyFocus = 3;
        if (e.screen == 11) {
            for (int k : {0, 3}) ClickAt(FormationPlaceX(k) + 57, FormationPlaceY(k) + 72);
        }
        Take(e);
        bool closed = h.RunUntil([] { return gFramePhase == 0; }, 5);
        // The focus where one is due; the menu's role is forgotten on the map.
        EXPECT_EQ(std::make_tuple(closed, gFrameId, e.focus < 0 ? e.focus : gKeyFocus,
                                  e.next == 0 ? gMenuRole : 0u),
                  std::make_tuple(e.next != e.screen, e.next == 0 ? 0u : kScreenBit | e.next,
                                  e.focus, 0u));
        if (e.screen == 11 && e.next != 11) {
            EXPECT_EQ(std::vector<i32>(gFormation, gFormation + 5),
                      (std::vector<i32>{3, 1, 2, 0, 4}));
        }
    }
}

struct SettingsTest : SysScreenTest {
    // Clicks the key row of key k, waits out the capture delay, then holds code.
    void Rebind(int k, u8 code) {
        ClickAt(k % 2 ? 300 : 100, 265 + 25 * (k / 2));
        ASSERT_EQ(gSettingsFrame->capturing, 1);
        h.RunFrames(12);      // past 400 ms
        TapKey(h, code, 16);  // then past the cooldown
    }
};

// The slider ends give 0 and 11, the right arrow at 11 stays. Cancel applies
// what the screen holds and still writes the options file.
TEST_F(SettingsTest, SlidersAndCancelApplyAndWriteTheFile) {
    // The slider's click formula is monotonic; keys are named by scan code.
    EXPECT_EQ(SliderValueAt(100), 0);  // both ends: the slider test through the screen
    i32 last = 0;
    for (i32 x = 136; x <= 326; ++x) {
        i32 v = SliderValueAt(x);
        EXPECT_GE(v, last) << x;
        EXPECT_LE(v, 11);
        last = v;
    }
    const std::pair<u32, const char*> names[] = {
        {0, B5("請按一個鍵")}, {0x1E, "A"},  {0xC8, "Arrow Up"}, {0x9C, "Numpad Enter"},
        {0x54, "??"},          {0xDE, "??"}, {0x12345, "??"}};
    for (const auto& [code, name] : names) EXPECT_STREQ(KeyName(code), name) << code;
    std::filesystem::remove(h.Path("game/Save/Option.sav"));
    gRealTimeBattle = 0;
    gSmartMouse = 1;
    Open(12);
    // Each key acts from the control it reached, not from the one under the
    // cursor before it moved: OK wraps down to music, whose slider right moves.
    const struct {
        u8 key;
        i32 focus, x, y;
    } walk[] = {{kScanDown, 0, 100, 93},  {kScanRight, 0, 100, 93},  {kScanUp, 40, 275, 445},
                {kScanUp, 20, 100, 395},  {kScanDown, 40, 275, 445}, {kScanTab, 50, 482, 34},
                {kScanTab, 60, 580, 120}, {kScanTab, 0, 100, 93},    {kScanDown, 1, 100, 118}};
    for (const auto& w : walk) {
        Tap(w.key, 2);
        EXPECT_EQ(gSettingsFrame->focus, w.focus) << int(w.key) << " to " << w.focus;
        EXPECT_TRUE(CursorAt(w.x, w.y)) << int(w.key);
    }
    EXPECT_EQ(gSettingsFrame->music, 7);
    // The cursor on a part of the background gives that part's focus, and the
    // keys go on from there: a key row, a slider's bar.
    MoveTo(300, 292, 2);  // the row of right
    Tap(kScanDown, 2);
    EXPECT_EQ(gSettingsFrame->focus, 15) << "the row of page down, below it";
    EXPECT_TRUE(CursorAt(298, 320));
    MoveTo(200, 90, 2);  // the music bar
    Tap(kScanLeft, 2);
    EXPECT_EQ(gSettingsFrame->music, 6);
    // The music slider's ends, then its right arrow at 11, which stays.
    for (const auto& [x, music] : {std::pair{136, 0}, {326, 11}, {335, 11}}) {
        ClickAt(x, 90);
        h.RunFrames(1);
        EXPECT_EQ(gSettingsFrame->music, music) << x;
    }
    EXPECT_EQ(gMusicVolume, 6u) << "held in the screen until it closes";
    ClickAt(136, 115);  // effects: the global itself
    EXPECT_EQ(gSfxVolume, 0u);
    ClickAt(326, 165);  // text speed 11
    ClickAt(360, 190);
    ClickAt(160, 215);
    EXPECT_EQ(std::make_tuple(gSettingsFrame->swap, gSettingsFrame->realTime),
              std::make_tuple(80, 1));
    MoveTo(180, 190, 2);  // the map-cache row
    Tap(kScanRight);      // 80 wraps to 45
    EXPECT_EQ(gSettingsFrame->swap, 45);
    Tap(kScanEsc, 2);
    EXPECT_EQ(std::make_tuple(gFrameId, gTextSpeed, gMusicVolume, gSwapSpace, gRealTimeBattle),
              std::make_tuple(kScreenBit | 13, 11u, 11u, 45u, 1u));
    EXPECT_EQ(ReadHostFile(h.Path("game/Save/Option.sav")).size(), 88u);
}

// Reset restores keys 0 to 10 only; rebinding clears a duplicate and refuses
// F-keys.
TEST_F(SettingsTest, ResetAndRebinding) {
    for (u32 k = 0; k < 12; ++k) gKeyBindings[k] = 0x10 + k;  // Q, W, E, ...: none a default
    gSmartMouse = 1;
    Open(12);
    Rebind(3, 0x20);  // right := D
    gSettingsFrame->smartMouse = 0;
    ClickAt(360, 435);  // reset
    h.RunFrames(1);
    // Up, down, left, right, page up, page down, Enter, Esc, Tab, R, A; flee keeps its key.
    EXPECT_EQ(
        std::vector<u32>(gKeyBindings, gKeyBindings + 12),
        (std::vector<u32>{0xC8, 0xD0, 0xCB, 0xCD, 0xC9, 0xD1, 0x1C, 0x01, 0x0F, 0x13, 0x1E, 0x1B}));
    // The map's table follows: cancel, confirm, Tab, left, up, right, down, the pages.
    EXPECT_EQ(std::vector<u32>(gMapKeyCodes, gMapKeyCodes + 9),
              (std::vector<u32>{0x01, 0x1C, 0x0F, 0xCB, 0xC8, 0xCD, 0xD0, 0xC9, 0xD1}));
    EXPECT_EQ(std::pair(gMapKeyCodes[12], gMapKeyCodes[16]), std::pair(0x1Cu, 0x13u));
    // The screen's own smart-mouse choice is applied, not reset.
    EXPECT_EQ(std::make_tuple(gMusicVolume, gCdVolume, gSwapSpace, gSmartMouse),
              std::make_tuple(6u, 2u, 60u, 0u));
    // Rebinding clears a duplicate and refuses F-keys; OK applies.
    ASSERT_EQ(gSettingsFrame->keys[kKeyAutoAttack], 0x1Eu);
    Rebind(0, 0x1E);  // "A" onto up
    EXPECT_EQ(std::make_tuple(gSettingsFrame->keys[kKeyUp], gSettingsFrame->keys[kKeyAutoAttack],
                              gSettingsFrame->capturing),
              std::make_tuple(0x1Eu, 0u, 0));
    // An F-key is no binding: the capture waits on. A right click and a click
    // on OK meanwhile are not looked at, then or once the key is taken.
    ClickAt(300, 265);  // key 1, down
    h.RunFrames(12);
    for (u8 f : {0x3B, 0x58}) TapKey(h, f);  // F1, F12
    RightClick();
    ClickAt(230, 435);
    EXPECT_EQ(std::make_tuple(gSettingsFrame->capturing, gSettingsFrame->keys[kKeyDown], gFrameId),
              std::make_tuple(1, 0xD0u, kScreenBit | 12));
    TapKey(h, 0x30, 0);  // B
    EXPECT_EQ(gSettingsFrame->keys[kKeyDown], 0x30u);
    h.RunFrames(16);
    ASSERT_NE(gSettingsFrame, nullptr);
    EXPECT_EQ(std::make_tuple(gSettingsFrame->result, gFrameId, gKeyBindings[kKeyDown]),
              std::make_tuple(0, kScreenBit | 12, 0xD0u));
    // OK applies: the bindings and the map-mode table follow.
    ClickAt(230, 435);
    h.RunFrames(2);
    EXPECT_EQ(std::make_tuple(gFrameId, gKeyBindings[kKeyUp], gMapKeyCodes[4], gMapKeyCodes[6]),
              std::make_tuple(kScreenBit | 13, 0x1Eu, 0x1Eu, 0x30u));
}

struct FormationTest : SysScreenTest {
    void OpenWith(std::initializer_list<i32> order) {
        int k = 0;
        for (i32 r : order) gFormation[k++] = r;
        Open(11);
        ASSERT_NE(gFormationFrame, nullptr);
    }
    void ClickPlace(int k) { ClickAt(FormationPlaceX(k) + 57, FormationPlaceY(k) + 72); }
    std::vector<i32> Order() { return {gFormation, gFormation + kPartySize}; }
    std::vector<i32> Shown() {
        return {gFormationFrame->roles, gFormationFrame->roles + kFormPlaces};
    }
    // The action of the picture of place k's marker or portrait.
    static i32 Marker(int k) { return gFormationFrame->markers[k]->normalPic->player.action; }
    static i32 Portrait(int k) { return gFormationFrame->portraits[k]->normalPic->player.action; }
};

// Two picks swap, the same place twice changes nothing, cancel drops a pick,
// restore shows the order of opening.
TEST_F(FormationTest, PicksSwapCancelAndRestore) {
    // The areas of the places in the two rows.
    const struct {
        i32 x, y, place;
    } points[] = {
        {10, 80, 0},  {124, 224, 0}, {125, 150, -1},  // between places 0 and 1
        {138, 80, 1}, {380, 100, 2}, {200, 240, -1},  // between the rows
        {62, 260, 3}, {61, 300, -1}, {190, 404, 4},  {432, 404, 5}, {432, 405, -1},
    };
    for (const auto& p : points)
        EXPECT_EQ(FormationPlaceAt(p.x, p.y), p.place) << p.x << "," << p.y;
    OpenWith({0, 1, 2, 3, -1, 5, 6, 7});
    ClickPlace(1);
    EXPECT_EQ(std::make_tuple(gFormationFrame->picked, Marker(1), Marker(0)),
              std::make_tuple(1, 31, 30));
    ClickPlace(1);
    EXPECT_EQ(std::make_tuple(gFormationFrame->picked, gFormationFrame->picking),
              std::make_tuple(-1, 0));
    EXPECT_EQ(Shown(), (std::vector<i32>{0, 1, 2, 3, -1, 5}));
    // An empty place then a filled one: the role moves into the empty place.
    ClickPlace(4);
    ClickPlace(0);
    EXPECT_EQ(Shown(), (std::vector<i32>{-1, 1, 2, 3, 0, 5}));
    EXPECT_EQ(std::make_tuple(
                  gFormationFrame->portraits[0]->shown, gFormationFrame->nameCtls[0]->shown,
                  gFormationFrame->portraits[4]->shown, Portrait(4), gFormationFrame->levels[4]),
              std::make_tuple(false, false, true, 32, gRoleStats[0].level));
    // The screen works on its copy until it is left.
    EXPECT_EQ(Order(), (std::vector<i32>{0, 1, 2, 3, -1, 5, 6, 7}));
    // A click off every place picks nothing.
    ClickAt(130, 150);
    EXPECT_EQ(gFormationFrame->picked, -1);
    // Cancel first drops a pick, then leaves.
    ClickPlace(3);
    ASSERT_EQ(gFormationFrame->picked, 3);
    RightClick();
    EXPECT_EQ(std::make_tuple(gFormationFrame->picked, gFramePhase), std::make_tuple(-1, 1u));
    // Restore after several swaps shows the order of opening.
    for (int k : {0, 5, 2, 3, 1}) ClickPlace(k);  // the last one picked, not yet swapped
    EXPECT_EQ(Shown(), (std::vector<i32>{5, 1, 3, 2, 0, -1}));
    ClickAt(360, 435);  // restore
    EXPECT_EQ(Shown(), (std::vector<i32>{0, 1, 2, 3, -1, 5}));
    EXPECT_EQ(std::make_tuple(gFormationFrame->picked, Portrait(5), gFramePhase),
              std::make_tuple(-1, 37, 1u));
}

TEST_F(FormationTest, EntriesOutsideTheRolesShowEmptyPlacesAndSevenEightStay) {
    SetGameFlag(324);
    OpenWith({9, -1, 0, 1, 2, -5, 3, 4});
    EXPECT_EQ(std::make_tuple(
                  gFormationFrame->portraits[0]->shown, gFormationFrame->numbers[0]->shown,
                  std::string(gFormationFrame->names[0]), gFormationFrame->portraits[5]->shown),
              std::make_tuple(false, false, "", false));
    // Roles 0 and 1 exchange portraits while flag 324 is set.
    EXPECT_EQ(std::make_tuple(Portrait(2), Portrait(3), Portrait(4)), std::make_tuple(33, 32, 34));
    EXPECT_EQ(std::strncmp(gFormationFrame->names[2], gRoleStats[0].name, 31), 0);
    // Swapping the out-of-range entry keeps its value; it stays an empty place.
    ClickPlace(0);
    ClickPlace(4);
    EXPECT_EQ(
        std::make_tuple(gFormationFrame->portraits[0]->shown, gFormationFrame->portraits[4]->shown),
        std::make_tuple(true, false));
    RightClick();
    EXPECT_EQ(FinishClose(), kScreenBit | 13);
    EXPECT_EQ(Order(), (std::vector<i32>{2, -1, 0, 1, 9, -5, 3, 4}));
}

TEST_F(FormationTest, KeyboardWalksTheFocusPointsAndConfirmSwaps) {
    OpenWith({0, 1, 2, 3, 4, 5, 6, 7});
    EXPECT_TRUE(CursorAt(265, 445)) << "smart mouse starts on OK";
    const struct {
        u8 key;
        i32 x, y;
    } walk[] = {
        {kScanRight, 405, 445},        {kScanRight, 265, 445},  // the two buttons wrap
        {kScanTab, 482, 34},                                    // to tab 0
        {kScanLeft, 482 + 45 * 3, 34},                          // tab 0 wraps to tab 3
        {kScanTab, 580, 120},                                   // to list row 0
        {kScanUp, 580, 320},                                    // row 0 wraps to row 5
        {kScanTab, 100, 160},   // the list leads to the first front place
        {kScanLeft, 356, 160},  // places wrap within their row
        {kScanDown, 404, 340},         {kScanPgUp, 404, 340},   // page keys stay
        {kScanEnter, 404, 340},        {kScanRight, 148, 340},  // place 5 picked
        {kScanUp, 100, 160},           {kScanEnter, 100, 160},  // swapped with place 0
        {kScanTab, 265, 445},                                   // places lead to OK
    };
    for (const auto& w : walk) {
        Tap(w.key, 2);  // a second frame up before the next press counts as new
        EXPECT_TRUE(CursorAt(w.x, w.y)) << int(w.key) << " to " << w.x << "," << w.y;
    }
    Tap(kScanEnter, 2);
    EXPECT_EQ(FinishClose(), kScreenBit | 13);
    EXPECT_EQ(Order(), (std::vector<i32>{5, 1, 2, 3, 4, 0, 6, 7}));
}

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
    EXPECT_EQ(std::make_tuple(gFramePhase, gExitFrame->result), std::make_tuple(1u, 0));
    ClickAt(350, 250);  // the no half
    h.RunFrames(1);
    EXPECT_EQ(std::make_tuple(gFrameId, gMenuRole), std::make_tuple(0u, 0u));
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
    EXPECT_EQ(std::make_tuple(GetGameFlag(70), gWalkMode), std::make_tuple(0, 1));
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
    EXPECT_EQ(gFrameId, kMapMode);
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

// The end screen locks input for a second, then a key closes it; left alone,
// it closes after ten seconds.
TEST_F(EndScreensTest, TheEndLocksInputForASecondClosesAfterTenAndComesOnce) {
    Open(31);
    ASSERT_NE(gEndFrame, nullptr);
    Tap(kScanEnter);
    ClickAt(320, 240);
    EXPECT_EQ(gFramePhase, 1u);
    h.RunFrames(25);  // past one second
    Tap(kScanEnter, 2);
    EXPECT_EQ(gFrameId, kScreenBit | 0);
    Open(31);
    int frames = 0;
    for (; gFrameId == (kScreenBit | 31) && frames < 400; ++frames) h.RunFrames(1);
    EXPECT_EQ(gFrameId, kScreenBit | 0);
    EXPECT_TRUE(frames * 35 >= 10000 && frames * 35 <= 10200) << frames;
    // Ending the game twice is like once.
    EndGame();
    EndGame();
    gFrameId = kScreenBit | 16;  // the test-version end closes at once without music
    gFramePhase = 0;
    h.RunFrames(3);
    EXPECT_EQ(std::make_tuple(gFrameId, h.boxes().size()),
              std::make_tuple(kScreenBit | 0, size_t{0}));
}

// The sample's end piece (name 41) plays 5.6 seconds: the picture stays for
// it and closes by itself when it has ended.
TEST_F(EndScreensTest, EndPictureWaitsForItsMusicAndFadesIn) {
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
    // A missing or short piece counts as finished at once: the picture fades in
    // and still never closes in its first second.
    music.AnswerFinished(true);
    Open(6);
    EXPECT_GE(gEndFrame->endPic->alpha, 0);
    EXPECT_LE(gEndFrame->endPic->alpha, 1);
    h.RunFrames(20);
    EXPECT_EQ(gFrameId, kScreenBit | 6);
    EXPECT_GE(gEndFrame->endPic->alpha, 5);
    h.RunFrames(12);
    EXPECT_EQ(gFrameId, kScreenBit | 0);
}

// With no sound device the music still takes its time, played silent. The
// end picture goes back to the title once its piece has ended (8 notes of 0.7
// s, the length its WAVE header gives), within a second after, and so it does
// with the music switched off in the settings. The end that a talk opens after
// the town's tune (MIDI: four notes of half a second and a quarter second of
// rest) waits for the tune alike.
struct SilentEndTest : EndScreensTest {
    void SetUp() override {
        PlatformDeviceFailures().sound = true;
        EndScreensTest::SetUp();
    }
    // Milliseconds from start until the title is back.
    u32 MsToTheTitle(u32 start) {
        EXPECT_TRUE(h.RunUntil([] { return gFrameId == (kScreenBit | 0); }, 400));
        return timeGetTime() - start;
    }
};

TEST_F(SilentEndTest, EndScreensLeaveAfterTheirMusicWithoutASoundDevice) {
    ASSERT_FALSE(gSound.IsReady());
    // The tune, then the end of the test version, from a talk on the map.
    std::vector<u8> bytes;
    std::string error;
    ASSERT_TRUE(AssembleTalkFile("talk 1001\n Music 2 0 1\n DemoEnd\n End\n", &bytes, &error))
        << error;
    WriteHostFile(h.Path("game/MH_Data/Talk2.dat"), bytes);
    // The sound font, read in real time while the clock here is virtual, is in
    // before the tune starts: the tune's own length is what is measured.
    gMidi.WaitForSequences();
    MidiFinishFontLoads();
    u32 start = timeGetTime();
    StartTalk(1001, kTalkSpot);
    ASSERT_TRUE(h.RunUntil([] { return gFrameId == (kScreenBit | 16); }, 5));
    u32 ms = MsToTheTitle(start);
    EXPECT_TRUE(ms >= 2250 - 70 && ms <= 2250 + 1000) << ms;
    // The end picture, with the music on and then off.
    std::vector<u8> wave = ReadHostFile(h.Path("game/music/end.wav"));
    ASSERT_GE(wave.size(), 44u);
    const u32 endMs = LoadU32(&wave[40]) * 1000 / LoadU32(&wave[28]);  // data bytes / byte rate
    EXPECT_NEAR(endMs, 5600, 1);
    for (u32 music : {6u, 0u}) {
        if (music == 0) {
            Open(27);  // the settings from the title: the music slider to 0, then OK
            ClickAt(136, 90);
            ClickAt(230, 435);
            ASSERT_TRUE(h.RunUntil([] { return gFrameId == (kScreenBit | 0); }, 5));
        }
        ASSERT_EQ(gMusicVolume, music);
        Open(6);
        ms = MsToTheTitle(gEndFrame->startTime);
        EXPECT_TRUE(ms >= endMs && ms <= endMs + 1000) << music << ": " << ms;
    }
}

using sample_art::EndingColor;
using sample_art::kEndingFirst;

struct EndingTest : SysScreenTest {
    static u16 Colour(int k, u32 action) {
        return ConvertPixel(EndingColor(kEndingFirst + k, action));
    }
    // Starts an ending as its story command does.
    void StartEnding(i32 layout) {
        gEndingFrame.Setup(layout, 1, 2, 3, 0);
        gFrameId = kScreenBit | 5;
        gFramePhase = 0;
    }
};

// Each layout takes its stages and returns to the map; others end at once.
TEST_F(EndingTest, EachLayoutTakesItsStagesAndReturnsToTheMap) {
    for (i32 layout = 1; layout <= 4; ++layout) {
        SCOPED_TRACE(layout);
        StartEnding(layout);
        u32 begin = timeGetTime();
        std::vector<std::pair<i32, u32>> stages;  // each stage's state and start in ms
        for (int f = 0; f < 1000 && gFrameId != kMapMode; ++f) {
            h.RunFrames(1);
            if (gFrameId == kMapMode) break;
            if (gFramePhase == 1 && (stages.empty() || stages.back().first != gEndingFrame.state))
                stages.push_back({gEndingFrame.state, gEndingFrame.start});
        }
        u32 total = timeGetTime() - begin;
        EXPECT_EQ(gFrameId, kMapMode);
        i32 rise = layout <= 2 ? 21 : 23, hold = layout <= 2 ? 41 : 42;
        std::vector<i32> order;
        for (auto& s : stages) order.push_back(s.first);
        ASSERT_EQ(order, (std::vector<i32>{layout, rise, hold, 61, 0}));
        // Each stage ends on the first frame past its length.
        const u32 lengths[4] = {800, 8000, 6401, 1600};  // entry, rise, hold, fade
        for (int k = 1; k < 4; ++k) {
            u32 took = stages[k].second - stages[k - 1].second;
            EXPECT_TRUE(took >= lengths[k - 1] && took <= lengths[k - 1] + 35) << k << ": " << took;
        }
        const u32 sum = 800 + 8000 + 6401 + 1600;
        EXPECT_TRUE(total >= sum && total <= sum + 10 * 35) << total;
        EXPECT_TRUE(h.boxes().empty());
    }
    // A layout outside 1 to 4 ends at once with one line on stderr that names
    // it, and no box.
    for (i32 layout : {0, 5, -1}) {
        SCOPED_TRACE(layout);
        h.boxes().clear();
        testing::internal::CaptureStderr();
        StartEnding(layout);
        h.RunFrames(4);
        std::string said = testing::internal::GetCapturedStderr();
        EXPECT_EQ(std::make_tuple(gFrameId, h.boxes().size()), std::make_tuple(0u, size_t{0}));
        EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
        EXPECT_NE(said.find("layout " + std::to_string(layout) + " "), std::string::npos) << said;
    }
}

TEST_F(EndingTest, NoCursorRisingPictureHiddenInLayoutsThreeAndFourAndLayoutOneInPlace) {
    for (i32 layout : {3, 4}) {
        SCOPED_TRACE(layout);
        StartEnding(layout);
        h.RunFrames(2);
        ASSERT_EQ(gEndingFrame.state, layout);
        EXPECT_EQ(std::make_tuple(gMouseInput.cursorPic, gEndingFrame.rising->shown,
                                  gEndingFrame.sliding->y),
                  std::make_tuple(nullptr, false, 25));
        h.RunUntil([] { return gEndingFrame.state == 23; }, 40);
        EXPECT_EQ(gEndingFrame.sliding->x, layout == 3 ? 0 : 530);
        EXPECT_EQ(gEndingFrame.companion->x, gEndingFrame.sliding->x);
        h.RunFrames(2);
        EXPECT_EQ(std::make_tuple(gEndingFrame.rising->shown, gEndingFrame.rising->y),
                  std::make_tuple(true, 110));
        EXPECT_LT(gEndingFrame.pics[1]->alpha, 2) << "fading in from nothing";
        gEndingFrame.state = 0;  // cut short
        h.RunFrames(3);
        ASSERT_EQ(gFrameId, kMapMode);
    }
    // Layout one slides down, rises and shows each action where it stands.
    StartEnding(1);
    h.RunFrames(2);
    EXPECT_EQ(gEndingFrame.rising->x, 370);
    EXPECT_LT(gEndingFrame.sliding->y, 25);
    EXPECT_GE(gEndingFrame.sliding->y, 25 - 16 * 28);
    h.RunUntil([] { return gEndingFrame.state == 21; }, 40);
    EXPECT_EQ(gEndingFrame.sliding->y, 25);
    h.RunFrames(2);
    EXPECT_GT(gEndingFrame.rising->y, 110 + 300);
    h.RunUntil([] { return gEndingFrame.state == 41; }, 300);
    EXPECT_EQ(gEndingFrame.rising->y, 110);
    h.RunFrames(1);
    // Backdrop, rising picture, sliding picture and its companion over it.
    EXPECT_EQ(
        std::make_tuple(CanvasAt(300, 50), CanvasAt(400, 200), CanvasAt(50, 300), CanvasAt(50, 50)),
        std::make_tuple(Colour(0, 1), Colour(1, 2), Colour(2, 3), Colour(3, 0)));
    // The hold ends in one picture of the whole canvas, which fades out.
    h.RunUntil([] { return gEndingFrame.state == 61; }, 300);
    h.RunFrames(1);
    EXPECT_EQ(std::make_tuple(gEndingFrame.rising, gEndingFrame.background->kind,
                              CanvasAt(400, 200), CanvasAt(50, 50)),
              std::make_tuple(nullptr, kCtlRle, Colour(1, 2), Colour(3, 0)));
    EXPECT_GE(gEndingFrame.background->paddedOrAlpha, 15);
    h.RunFrames(30);
    EXPECT_LT(gEndingFrame.background->paddedOrAlpha, 7);
}

// The prompt opened by a talk of its own, as the story command opens it.
struct PromptTest : EndingTest {
    static constexpr int kTalk = 1001;
    static constexpr int kPassFlag = 300, kJumpFlag = 301;
    int guard = -1;
    void StartPrompt(const std::string& caption) {
        std::string src = "talk 1001\n EnterPrompt 120 140 @inside \"" + caption +
                          "\"\n SetFlag 300\n End\ninside:\n SetFlag 301\n End\n";
        std::vector<u8> bytes;
        std::string error;
        ASSERT_TRUE(AssembleTalkFile(src, &bytes, &error)) << error;
        WriteHostFile(h.Path("game/MH_Data/Talk2.dat"), bytes);
        ClearGameFlag(kPassFlag);
        ClearGameFlag(kJumpFlag);
        // A person of the town stands in for the role the cancel hides.
        if (guard < 0) guard = FindRoleById(101);
        ASSERT_GE(guard, 0);
        gMapRoles[guard].roleId = kEnterHiddenRole;
        gMapRoles[guard].state |= kRoleShown;
        StartTalk(kTalk, kTalkSpot);
        ASSERT_TRUE(
            h.RunUntil([] { return gFrameId == (kScreenBit | 7) && gFramePhase == 1; }, 20));
        h.RunFrames(1);
    }
    bool TalkDone() {
        return h.RunUntil([] { return gFrameId == kMapMode && !TalkRunning(); }, 20);
    }
};

// Enter jumps the talk; every way of cancelling hides the role and steps the
// talk past the command. A click counts by x alone.
TEST_F(PromptTest, EachChoiceJumpsOrStepsPastTheCommand) {
    const struct {
        const char* way;
        std::function<void(PromptTest&)> take;
        bool jumps;
    } ways[] = {
        {"enter half", [](PromptTest& t) { t.ClickAt(120 + 50, 140 + 60); }, true},
        {"cancel half", [](PromptTest& t) { t.ClickAt(120 + 150, 140 + 60); }, false},
        {"above the band, left", [](PromptTest& t) { t.ClickAt(120 + 50, 140 + 20); }, true},
        {"right button", [](PromptTest& t) { t.RightClick(); }, false},
        {"cancel key", [](PromptTest& t) { t.Tap(kScanEsc); }, false},
        {"right then confirm",
         [](PromptTest& t) {
             t.Tap(kScanRight);
             t.h.RunFrames(1);
             EXPECT_NEAR(gMouseInput.x, 120 + 157, 1);
             t.Tap(kScanEnter);
         },
         false},
    };
    for (const auto& w : ways) {
        SCOPED_TRACE(w.way);
        StartPrompt("走");
        EXPECT_TRUE(CursorAt(120 + 72, 140 + 63)) << "smart mouse starts on enter";
        w.take(*this);
        ASSERT_TRUE(TalkDone());
        EXPECT_EQ(std::make_tuple(GetGameFlag(kJumpFlag), GetGameFlag(kPassFlag),
                                  (gMapRoles[guard].state & kRoleShown) != 0, gEnterPrompt.state),
                  std::make_tuple(w.jumps ? 1 : 0, w.jumps ? 0 : 1, w.jumps, 0u));
    }
}

TEST_F(PromptTest, CaptionsCentredCutOrUnendedAndTheMarkerNeedsTheBand) {
    StartPrompt("進入洞穴？");
    EXPECT_EQ(std::make_tuple(std::string(gEnterFrame.caption), gEnterFrame.captionLength),
              std::make_tuple(std::string(B5("進入洞穴？")), 10u));
    EXPECT_NE(TextAt(120 - 6 * 10 + 95, 150), nullptr) << "centred";
    MoveTo(120 + 50, 140 + 20);  // on the box, above the band
    h.RunFrames(1);
    EXPECT_FALSE(gEnterFrame.marker->shown);
    MoveTo(120 + 150, 140 + 60, 2);
    EXPECT_EQ(
        std::make_tuple(gEnterFrame.marker->shown, gEnterFrame.marker->x, gEnterFrame.selection),
        std::make_tuple(true, 120 + 96, 1));
    RightClick();
    ASSERT_TRUE(TalkDone());
    // A long caption is cut to its buffer and the talk still steps past it; a
    // caption without its end mark stops at the end of the talk's window.
    std::string longText;
    for (int i = 0; i < 60; ++i) longText += "洞";
    StartPrompt(longText);
    EXPECT_EQ(gEnterFrame.captionLength, 120u);
    size_t n = std::strlen(gEnterFrame.caption);
    EXPECT_LT(n, kEnterCaptionBytes);
    EXPECT_EQ(n % 2, 0u) << "never half a character";
    EXPECT_EQ(std::string(gEnterFrame.caption), Utf8ToBig5(longText).substr(0, n));
    RightClick();
    ASSERT_TRUE(TalkDone());
    EXPECT_EQ(std::make_tuple(GetGameFlag(kPassFlag), h.boxes().size()),
              std::make_tuple(1, size_t{0}));
    // A prompt command in the last 20 bytes of a short window, with no end mark.
    const u32 window = 64;
    std::memset(gTalkBuffer, 'a', window);
    gTalkWindowBytes = window;
    u8* command = gTalkBuffer + window - 20;
    TalkContext talk{};
    talk.owner = kTalkFree;
    u16 position = static_cast<u16>(window - 20);
    gEnterFrame.Setup(100, 100, &talk, command, &position);
    Open(7);
    EXPECT_EQ(std::make_tuple(gEnterFrame.captionLength, std::string(gEnterFrame.caption)),
              std::make_tuple(8u, "aaaaaaaa"));
    RightClick();
    h.RunFrames(1);
    EXPECT_EQ(std::make_tuple(gFrameId, position), std::make_tuple(0u, window - 20 + 14 + 8));
}

}  // namespace
