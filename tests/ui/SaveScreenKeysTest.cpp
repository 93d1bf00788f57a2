// Keyboard focus, hover marks and tips of the slot screens and the quick-save
// page, the zoom's cursor and the title's load, driven through the real tick.
#include <cstdio>
#include <string>

#include "platform/TextCodec.h"
#include "sound/Music.h"
#include "story/Talk.h"
#include "ui/ActPic.h"
#include "ui/Control.h"
#include "ui/SaveScreens.h"
#include "ui/Screens.h"
#include "support/SysScreenSupport.h"
#include "data/Options.h"
#include "ui/SaveFile.h"

namespace {

struct KeyStep {
    i32 from;
    u8 scan;
    i32 to;
};

using FocusPointFn = bool (*)(i32, i32*, i32*);

struct SlotKeysTest : SysScreenTest {
    void SetUp() override {
        SysScreenTest::SetUp();
        gDInput.SetMouseSpeed(1.0);  // the cursor read back exactly where a key put it
    }
    void Press(u8 code) { TapKey(h, code, 2); }
    // Opens a slot screen with the list's top slot at top, closing one that is open.
    void OpenSlots(u32 screen, i32 top) {
        if (gFramePhase == 1) {
            gFramePhase = 2;
            h.RunFrames(1);
        }
        gSaveSlotPos = top;
        Open(screen);
        ASSERT_NE(gSaveLoadFrame, nullptr);
        ASSERT_EQ(gSaveLoadFrame->top, top);
    }
    // Puts the mouse on the point of a focus code: its hover gives that focus.
    void HoverFocus(i32 code) {
        i32 x = 0, y = 0;
        ASSERT_TRUE(cSaveLoadFrame::FocusPoint(code, &x, &y)) << code;
        MoveTo(x, y, 2);
    }
    // Leaves the mouse where no control of the slot screens reacts to it.
    static void Park() { gDInput.SetMousePos(60, 465); }
    // The money saved in a slot, or -1 when the slot does not load.
    static i64 SlotMoney(int slot) {
        auto img = ReadSaveFile(SlotPath(slot), nullptr);
        return img ? static_cast<i64>(img->scriptVars[0]) : -1;
    }
    static void ExpectCursorOn(i32 code, const std::string& what,
                               FocusPointFn point = cSaveLoadFrame::FocusPoint) {
        i32 x = 0, y = 0;
        ASSERT_TRUE(point(code, &x, &y)) << what;
        EXPECT_EQ(gMouseInput.x, x) << what;
        EXPECT_EQ(gMouseInput.y, y) << what;
    }
    // Each step from the focus the last one left (or, with hover, from the
    // mouse put on the step's item), the cursor following it.
    template <size_t N>
    void WalkSteps(const KeyStep (&steps)[N], const i32* focus,
                   FocusPointFn point = cSaveLoadFrame::FocusPoint, bool hover = false) {
        for (const KeyStep& s : steps) {
            std::string what = std::to_string(s.from) + " key " + std::to_string(s.scan);
            if (hover) HoverFocus(s.from);
            ASSERT_EQ(*focus, s.from) << what;
            Press(s.scan);
            EXPECT_EQ(*focus, s.to) << what;
            ExpectCursorOn(s.to, what, point);
        }
    }
    // From the map to the title's load screen (26).
    void OpenTitleLoad(i32 top) {
        gSaveSlotPos = top;
        gFrameId = kScreenBit | 0;
        gFramePhase = 0;
        h.RunFrames(2);
        ClickAt(TitleButtonX(1), kTitleButtonY);
        h.RunFrames(2);
        ASSERT_EQ(gFrameId, kScreenBit | 26);
        ASSERT_NE(gSaveLoadFrame, nullptr);
    }
};

// Each rule of the focus table of the in-play slot screens, started from the
// mouse on the item, as the keys would find it.
TEST_F(SlotKeysTest, InPlayKeysMoveTheFocusByTheTable) {
    gSmartMouse = 1;
    OpenSlots(9, 30);  // both page buttons enabled
    // The system list rows 0-5, the tabs 10-13, the slot rows 20-22 and the
    // page buttons 30-31.
    const KeyStep steps[] = {
        {0, kScanUp, 5},      {0, kScanDown, 1},    {3, kScanUp, 2},      {5, kScanDown, 0},
        {2, kScanLeft, 20},   {4, kScanTab, 20},    {2, kScanRight, 2},   {10, kScanLeft, 13},
        {13, kScanRight, 10}, {11, kScanLeft, 10},  {11, kScanRight, 12}, {12, kScanDown, 0},
        {12, kScanTab, 0},    {12, kScanUp, 12},    {20, kScanDown, 21},  {21, kScanUp, 20},
        {21, kScanRight, 0},  {22, kScanTab, 10},   {21, kScanLeft, 21},  {30, kScanUp, 22},
        {30, kScanLeft, 31},  {31, kScanRight, 30}, {30, kScanDown, 30},  {31, kScanTab, 10}};
    WalkSteps(steps, &gSaveLoadFrame->focus, cSaveLoadFrame::FocusPoint, true);
    EXPECT_EQ(gSaveLoadFrame->top, 30);
}

// Up on the first row and down on the last scroll by a slot, the page keys by
// three; none of them goes above slot 01 or past slot 99, and the focus and the
// cursor stay on the row.
TEST_F(SlotKeysTest, KeysScrollAndPageTheSlotsWithTheCursorOnItsRow) {
    gSmartMouse = 1;
    const struct {
        i32 top, row;
        u8 key;
        int times;
        i32 after;
    } cases[] = {
        {30, 20, kScanUp, 1, 29},   {30, 22, kScanDown, 1, 31}, {30, 21, kScanPgDn, 1, 33},
        {30, 21, kScanPgUp, 2, 24}, {1, 20, kScanUp, 2, 0},     {0, 22, kScanPgUp, 1, 0},
        {95, 22, kScanDown, 2, 96}, {94, 20, kScanPgDn, 1, 96},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.top) + " key " + std::to_string(c.key));
        OpenSlots(8, c.top);
        HoverFocus(c.row);
        for (int i = 0; i < c.times; ++i) Press(c.key);
        EXPECT_EQ(gSaveLoadFrame->top, c.after);
        EXPECT_EQ(gSaveLoadFrame->focus, c.row);
        ExpectCursorOn(c.row, "row");
        char first[16];
        std::snprintf(first, sizeof(first), "%02d", c.after + 1);
        EXPECT_EQ(std::string(gSaveLoadFrame->rows[0].number), first);
    }
}

// The hovered item carries its mark: the selected row picture, the list's
// highlight bar on its row, a tab's tip; nothing hovered shows none.
TEST_F(SlotKeysTest, HoverMarksAndTabTips) {
    gSmartMouse = 1;
    OpenSlots(9, 0);
    cSysPanel& panel = gSaveLoadFrame->panel;
    for (int k = 0; k < 4; ++k) {
        HoverFocus(kFocusTab0 + k);
        h.RunFrames(1);
        EXPECT_EQ(gSaveLoadFrame->focus, kFocusTab0 + k);
        ASSERT_TRUE(panel.tipText->shown) << k;
        EXPECT_EQ(std::string(panel.tipText->text), B5(kTabNames[k]));
        EXPECT_FALSE(panel.bar->shown);
    }
    for (int k = 0; k < 6; ++k) {
        HoverFocus(k);
        h.RunFrames(1);
        EXPECT_EQ(gSaveLoadFrame->focus, k);
        ASSERT_TRUE(panel.bar->shown) << k;
        EXPECT_EQ(panel.bar->y, 92 + 40 * k);
        EXPECT_FALSE(panel.tipText->shown);
    }
    for (int r = 0; r < 3; ++r) {
        HoverFocus(kFocusRow0 + r);
        h.RunFrames(1);
        EXPECT_EQ(gSaveLoadFrame->focus, kFocusRow0 + r);
        for (int o = 0; o < 3; ++o)
            EXPECT_EQ(gSaveLoadFrame->rows[o].background->normalPic->player.action, o == r ? 7 : 6)
                << r << " " << o;
        EXPECT_FALSE(panel.bar->shown);
    }
    MoveTo(300, 465);  // below the rows, beside the page buttons
    h.RunFrames(1);
    EXPECT_FALSE(panel.tipText->shown);
    EXPECT_FALSE(panel.bar->shown);
    for (const SaveRowView& v : gSaveLoadFrame->rows)
        EXPECT_EQ(v.background->normalPic->player.action, 6);
}

// The confirm key clicks what the focus put the cursor on.
TEST_F(SlotKeysTest, ConfirmActivatesTheFocusedItem) {
    gSmartMouse = 0;
    Park();
    OpenSlots(9, 30);
    EXPECT_EQ(gSaveLoadFrame->focus, 0);  // without smart mouse the keys start on the list
    Press(kScanTab);                      // slot row 0
    Press(kScanTab);                      // tab 0
    Press(kScanRight);
    Press(kScanRight);  // tab 2: the quick-save page
    Press(kScanEnter);
    EXPECT_EQ(FinishClose(), kScreenBit | 25);
    RightClick();  // the quick-save page goes back to the map
    h.RunFrames(1);
    ASSERT_EQ(gFrameId, 0u);

    Park();
    OpenSlots(9, 30);
    Press(kScanDown);  // list row 1 is this screen: nothing
    Press(kScanEnter);
    EXPECT_EQ(gFramePhase, 1u);
    Press(kScanUp);  // list row 0 leads to the save screen
    Press(kScanEnter);
    EXPECT_EQ(FinishClose(), kScreenBit | 8);

    // On the save screen (the cursor still on list row 0): an empty slot, then
    // the page-down button by keys.
    ASSERT_EQ(gSaveLoadFrame->screen, Screen::SaveSlots);
    ASSERT_EQ(gSaveLoadFrame->top, 30);
    Press(kScanLeft);  // list row 0 -> slot row 0
    Press(kScanDown);
    Press(kScanDown);
    Press(kScanUp);
    EXPECT_EQ(gSaveLoadFrame->focus, 21);
    Press(kScanEnter);  // slot 32 is empty: saved at once
    EXPECT_EQ(IsSlotUsed(31), 1);
    EXPECT_EQ(gSaveLoadFrame->boxOpen, 0u);
    HoverFocus(kFocusPageUp);
    Press(kScanRight);
    Press(kScanEnter);
    EXPECT_EQ(gSaveLoadFrame->top, 33);
}

TEST_F(SlotKeysTest, YesAndNoByKeys) {
    gSmartMouse = 0;
    gScriptVars[0] = 100;
    ASSERT_EQ(SaveToSlotFile(1), 1);
    gScriptVars[0] = 200;
    Park();
    OpenSlots(8, 0);
    Press(kScanTab);  // slot row 0
    Press(kScanDown);
    Press(kScanEnter);  // slot 02 is used: the box asks, focus on no
    ASSERT_EQ(gSaveLoadFrame->boxOpen, 1u);
    EXPECT_EQ(gSaveLoadFrame->focus, kFocusNo);
    const u8 swaps[] = {kScanLeft, kScanRight, kScanUp, kScanDown, kScanTab};
    i32 expect = kFocusNo;
    for (u8 key : swaps) {
        Press(key);
        expect = expect == kFocusYes ? kFocusNo : kFocusYes;
        EXPECT_EQ(gSaveLoadFrame->focus, expect) << int(key);
        ExpectCursorOn(expect, "box " + std::to_string(key));
        EXPECT_EQ(gSaveLoadFrame->top, 0);
    }
    ASSERT_EQ(gSaveLoadFrame->focus, kFocusYes);
    Press(kScanPgDn);  // page keys leave the box alone
    EXPECT_EQ(gSaveLoadFrame->focus, kFocusYes);
    EXPECT_EQ(gSaveLoadFrame->top, 0);
    Press(kScanRight);  // no
    Press(kScanEnter);
    EXPECT_EQ(gSaveLoadFrame->boxOpen, 0u);
    EXPECT_EQ(SlotMoney(1), 100);

    // With smart mouse the box puts the cursor on yes and, closed, back on the
    // asked slot's row.
    gSmartMouse = 1;
    HoverFocus(21);
    Press(kScanEnter);
    ASSERT_EQ(gSaveLoadFrame->boxOpen, 1u);
    EXPECT_EQ(gSaveLoadFrame->focus, kFocusYes);
    ExpectCursorOn(kFocusYes, "box opened");
    Press(kScanEnter);
    EXPECT_EQ(gSaveLoadFrame->boxOpen, 0u);
    EXPECT_EQ(SlotMoney(1), 200);
    EXPECT_EQ(gSaveLoadFrame->focus, 21);
    ExpectCursorOn(21, "box closed");
}

TEST_F(SlotKeysTest, TitleLoadKeysAndNoFunctionKeys) {
    gSmartMouse = 0;
    Park();
    OpenTitleLoad(30);
    // No list here: the keys start on the remembered slot row.
    EXPECT_EQ(gSaveLoadFrame->focus, kFocusRow0);
    const KeyStep steps[] = {
        {20, kScanTab, 30},   {30, kScanLeft, 31}, {31, kScanRight, 30}, {30, kScanTab, 20},
        {20, kScanRight, 20}, {20, kScanLeft, 20}, {20, kScanDown, 21},  {21, kScanTab, 30},
        {30, kScanUp, 22},    {22, kScanUp, 21},   {21, kScanTab, 30},   {30, kScanDown, 30},
    };
    WalkSteps(steps, &gSaveLoadFrame->focus);
    EXPECT_EQ(gSaveLoadFrame->top, 30);
    Press(kScanF4);
    EXPECT_EQ(gFramePhase, 1u);
    EXPECT_EQ(gFrameId, kScreenBit | 26);
    Press(kScanRight);  // page down
    Press(kScanEnter);
    EXPECT_EQ(gSaveLoadFrame->top, 33);
    Press(kScanTab);  // slot row 0
    Press(kScanPgUp);
    EXPECT_EQ(gSaveLoadFrame->top, 30);
    EXPECT_EQ(gSaveLoadFrame->focus, 20);
}

// Loading from the title empties playlist 1 so nothing of the last game's
// music plays on; the zoom that follows has its own cursor picture.
TEST_F(SlotKeysTest, TitleLoadClearsPlaylistOneAndTheZoomHasItsCursor) {
    gScriptVars[0] = 4242;
    ASSERT_EQ(SaveToSlotFile(0), 1);
    gSmartMouse = 1;
    OpenTitleLoad(0);
    gMusic.SetTrack("old1.mid", 901, 0, 1);
    gMusic.SetTrack("old2.mid", 902, 1, 1);
    gScriptVars[0] = 0;
    h.RunFrames(1);
    Press(kScanEnter);  // the cursor sits on row 0
    EXPECT_EQ(gScriptVars[0], 4242u);
    for (const cMusic::Slot& s : gMusic.GetList(1).slots) {
        EXPECT_NE(s.id, 901);
        EXPECT_NE(s.id, 902);
    }
    h.RunFrames(2);
    ASSERT_EQ(gFrameId, kScreenBit | 15);
    ASSERT_NE(gZoomFrame, nullptr);
    ASSERT_NE(gMouseInput.cursorPic, nullptr);
    EXPECT_EQ(gMouseInput.cursorPic, gZoomFrame->cursorPic);
    EXPECT_EQ(gMouseInput.cursorPic->player.act, 9102);
    h.RunFrames(1, 900);
    h.RunFrames(2);
    EXPECT_EQ(gFrameId, 0u);
    EXPECT_EQ(gZoomFrame, nullptr);
}

TEST_F(SlotKeysTest, QuickPageTabsBoxesAndItsBoxByKeys) {
    gSmartMouse = 0;
    Park();
    Open(25);
    ASSERT_NE(gQuickSaveFrame, nullptr);
    cQuickSaveFrame* f = gQuickSaveFrame;
    EXPECT_EQ(f->focus, 0);
    const KeyStep steps[] = {
        {0, kScanLeft, 3},   {3, kScanRight, 0},  {0, kScanRight, 1},  {1, kScanUp, 1},
        {1, kScanDown, 1},   {1, kScanTab, 10},   {10, kScanDown, 11}, {11, kScanUp, 10},
        {10, kScanUp, 11},   {11, kScanLeft, 11}, {11, kScanTab, 0},   {0, kScanTab, 10},
        {10, kScanDown, 11},
    };
    WalkSteps(steps, &f->focus, cQuickSaveFrame::FocusPoint);
    Press(kScanEnter);  // save with no quick save: at once
    EXPECT_EQ(IsQuickSaveValid(), 1);
    EXPECT_EQ(f->boxOpen, 0u);
    Press(kScanEnter);  // again: the box asks, the keys on no
    ASSERT_EQ(f->boxOpen, 1u);
    EXPECT_EQ(f->focus, kFocusNo);
    Press(kScanLeft);
    EXPECT_EQ(f->focus, kFocusYes);
    ExpectCursorOn(kFocusYes, "yes", cQuickSaveFrame::FocusPoint);
    Press(kScanUp);
    EXPECT_EQ(f->focus, kFocusNo);
    ExpectCursorOn(kFocusNo, "no", cQuickSaveFrame::FocusPoint);
    Press(kScanTab);  // the box halves do not take the switch key
    EXPECT_EQ(f->focus, kFocusNo);
    Press(kScanEnter);
    EXPECT_EQ(f->boxOpen, 0u);
    EXPECT_EQ(f->focus, 0);
    EXPECT_EQ(gFrameId, kScreenBit | 25);
    // Tab 3 by keys leads to the system menu.
    Press(kScanLeft);
    Press(kScanEnter);
    EXPECT_EQ(FinishClose(), kScreenBit | 13);
}

TEST_F(SlotKeysTest, QuickPageHoverShowsTipsAndTheHoveredBox) {
    gSmartMouse = 1;
    Open(25);
    cQuickSaveFrame* f = gQuickSaveFrame;
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(gMouseInput.x, 458);  // smart mouse: on the load box
    EXPECT_EQ(gMouseInput.y, 170);
    h.RunFrames(1);
    EXPECT_EQ(f->focus, kQuickFocusLoad);
    ASSERT_TRUE(f->tooltip->shown);
    EXPECT_EQ(std::string(f->tooltip->text), B5("讀取進度"));
    EXPECT_EQ(f->boxes[0].background->normalPic->player.action, 7);
    EXPECT_EQ(f->boxes[1].background->normalPic->player.action, 6);
    MoveTo(458, 336, 2);
    EXPECT_EQ(f->focus, kQuickFocusSave);
    EXPECT_EQ(std::string(f->tooltip->text), B5("儲存進度"));
    EXPECT_EQ(f->boxes[0].background->normalPic->player.action, 6);
    EXPECT_EQ(f->boxes[1].background->normalPic->player.action, 7);
    for (int k = 0; k < 4; ++k) {
        MoveTo(TabPointX(k), kTabPointY, 2);
        EXPECT_EQ(f->focus, k);
        ASSERT_TRUE(f->tooltip->shown);
        EXPECT_EQ(std::string(f->tooltip->text), B5(kTabNames[k]));
    }
    MoveTo(60, 460);  // off every box and tab
    h.RunFrames(1);
    EXPECT_FALSE(f->tooltip->shown);
    EXPECT_EQ(f->boxes[0].background->normalPic->player.action, 6);
    EXPECT_EQ(f->boxes[1].background->normalPic->player.action, 6);
}

}  // namespace
