// The slot screens and the quick-save page by keys, hover marks and tips, the
// title's load, and a replay that saves and loads through the screens.

#include <fstream>
#include <functional>

#include "battle/Battle.h"
#include "data/KeyBindings.h"
#include "map/MapManage.h"
#include "mhdata/Maps.h"
#include "mhdata/SampleBattle.h"
#include "platform/HostFs.h"
#include "platform/TextCodec.h"
#include "shell/Session.h"
#include "sound/Music.h"
#include "support/SampleSession.h"
#include "support/SysScreenSupport.h"
#include "ui/ActPic.h"
#include "ui/MainMenu.h"
#include "ui/SaveScreens.h"
#include "ui/ScreenLink.h"

namespace {

// Keyboard focus, hover marks and tips of the slot screens and the quick-save
// page, the zoom's cursor and the title's load, driven through the real tick.
struct KeyStep {
    i32 from;
    u8 scan;
    i32 to;
};

using FocusPointFn = bool (*)(i32, i32*, i32*);

// The tips of the four tabs.
const char* const kTabTips[] = {"物　 品", "特　 技", "快　 取", "系　 統"};

struct SlotKeysTest : SampleTownTest {
    void SetUp() override {
        SampleTownTest::SetUp();
        gDInput.SetMouseSpeed(1.0);  // the cursor read back exactly where a key put it
    }
    void Press(u8 code) { TapKey(h, code, 2); }
    void Press(std::initializer_list<u8> codes) {
        for (u8 code : codes) Press(code);
    }
    // Opens a slot screen with the list's top slot at top, closing one that is open.
    void OpenSlots(u32 screen, i32 top) {
        CloseRunning();
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
        EXPECT_EQ(std::make_tuple(gMouseInput.x, gMouseInput.y), std::make_tuple(x, y)) << what;
    }
    // Whether the slot screen's box is open, and the focus.
    static std::pair<u32, i32> Box() { return {gSaveLoadFrame->boxOpen, gSaveLoadFrame->focus}; }
    // A row's money and play time controls, at (moneyX, y) and (timeX, y).
    static void ExpectMoneyAndTime(const SaveRowView& v, i32 moneyX, i32 timeX, i32 y) {
        EXPECT_EQ(std::make_tuple(v.moneyCtl->x, v.moneyCtl->y, v.timeCtl->x, v.timeCtl->y),
                  std::make_tuple(moneyX, y, timeX, y));
    }
    // The box's highlight drawn over the half the focus names, on the canvas.
    static void ExpectLitHalf(i32 focus) {
        const u16 lit = Colour(9904, 2);
        EXPECT_EQ(std::make_pair(CanvasAt(240, 242) == lit, CanvasAt(400, 242) == lit),
                  std::make_pair(focus == kFocusYes, focus == kFocusNo))
            << focus;
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
        Open(0);
        ClickAt(TitleButtonX(1), kTitleButtonY);
        h.RunFrames(2);
        ASSERT_EQ(gFrameId, kScreenBit | 26);
        ASSERT_NE(gSaveLoadFrame, nullptr);
    }
};

// Each rule of the focus table of the in-play slot screens, started from the
// mouse on the item, as the keys would find it.
TEST_F(SlotKeysTest, InPlayFocusTableHoverMarksAndScrollKeys) {
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
    // The hovered item carries its mark: the selected row picture, the list's
    // highlight bar on its row, a tab's tip; nothing hovered shows none.
    OpenSlots(9, 0);
    // Each row's money and play time stand at (163, y + 4) and (280, y + 4).
    for (int r = 0; r < 3; ++r) {
        SCOPED_TRACE(r);
        ExpectMoneyAndTime(gSaveLoadFrame->rows[r], 163, 280, 141 + 124 * r + 4);
    }
    // Each mark as (tip, the bar's y or -1, the rows' pictures); -1 puts the
    // mouse below the rows, beside the page buttons.
    cSysPanel& panel = gSaveLoadFrame->panel;
    auto marks = [&] {
        std::vector<u32> rows;
        for (const SaveRowView& v : gSaveLoadFrame->rows)
            rows.push_back(v.background->normalPic->player.action);
        return std::make_tuple(std::string(panel.tipText->shown ? panel.tipText->text : ""),
                               panel.bar->shown ? panel.bar->y : -1, rows);
    };
    for (i32 code : {10, 11, 12, 13, 0, 1, 2, 3, 4, 5, 20, 21, 22, -1}) {
        code < 0 ? MoveTo(300, 465) : HoverFocus(code);
        h.RunFrames(1);
        EXPECT_TRUE(code < 0 || gSaveLoadFrame->focus == code) << code;
        std::vector<u32> rows = {6, 6, 6};
        if (code >= kFocusRow0) rows[code - kFocusRow0] = 7;
        EXPECT_EQ(marks(), std::make_tuple(code >= 10 && code < 14 ? B5(kTabTips[code - 10]) : "",
                                           code >= 0 && code < 6 ? 92 + 40 * code : -1, rows))
            << code;
    }
    // Up on the first row and down on the last scroll by a slot, the page keys by
    // three; none of them goes above slot 01 or past slot 99, and the focus and the
    // cursor stay on the row. The top after, and the number of its slot.
    const struct {
        i32 top, row;
        u8 key;
        int times;
        i32 after;
        const char* number;
    } cases[] = {
        {30, 20, kScanUp, 1, 29, "30"},   {30, 22, kScanDown, 1, 31, "32"},
        {30, 21, kScanPgDn, 1, 33, "34"}, {30, 21, kScanPgUp, 2, 24, "25"},
        {1, 20, kScanUp, 2, 0, "01"},     {0, 22, kScanPgUp, 1, 0, "01"},
        {95, 22, kScanDown, 2, 96, "97"}, {94, 20, kScanPgDn, 1, 96, "97"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.top) + " key " + std::to_string(c.key));
        OpenSlots(8, c.top);
        HoverFocus(c.row);
        for (int i = 0; i < c.times; ++i) Press(c.key);
        EXPECT_EQ(std::make_tuple(gSaveLoadFrame->top, gSaveLoadFrame->focus),
                  std::make_tuple(c.after, c.row));
        ExpectCursorOn(c.row, "row");
        EXPECT_STREQ(gSaveLoadFrame->rows[0].number, c.number);
    }
    // The page-down button stops at slot 99 too; a position from a damaged
    // options file is clamped.
    OpenSlots(9, 94);
    Click(kSlotPageDown, 320, 430);
    EXPECT_EQ(std::make_tuple(gSaveLoadFrame->top, std::string(gSaveLoadFrame->rows[2].number)),
              std::make_tuple(96, std::string("99")));
    gSaveSlotPos = 2999;
    CloseRunning();
    Open(9);
    EXPECT_EQ(gSaveLoadFrame->top, 96);
}

// The confirm key clicks what the focus put the cursor on; yes and no by keys.
TEST_F(SlotKeysTest, ConfirmActivatesTheFocusedItemAndAnswersTheBox) {
    gSmartMouse = 0;
    Park();
    OpenSlots(9, 30);
    EXPECT_EQ(gSaveLoadFrame->focus, 0);  // without smart mouse the keys start on the list
    // Slot row 0, tab 0, tab 2 (the quick-save page), confirm.
    Press({kScanTab, kScanTab, kScanRight, kScanRight, kScanEnter});
    EXPECT_EQ(FinishClose(), kScreenBit | 25);
    RightClick();  // the quick-save page goes back to the map
    h.RunFrames(1);
    ASSERT_EQ(gFrameId, kMapMode);

    Park();
    OpenSlots(9, 30);
    Press({kScanDown, kScanEnter});  // list row 1 is this screen: nothing
    EXPECT_EQ(gFramePhase, 1u);
    Press({kScanUp, kScanEnter});  // list row 0 leads to the save screen
    EXPECT_EQ(FinishClose(), kScreenBit | 8);

    // On the save screen (the cursor still on list row 0): an empty slot, then
    // the page-down button by keys.
    ASSERT_EQ(std::make_tuple(gSaveLoadFrame->screen, gSaveLoadFrame->top),
              std::make_tuple(Screen::SaveSlots, 30));
    Press({kScanLeft, kScanDown, kScanDown, kScanUp});  // list row 0 -> slot row 0 -> 21
    EXPECT_EQ(gSaveLoadFrame->focus, 21);
    Press(kScanEnter);  // slot 32 is empty: saved at once
    EXPECT_EQ(std::make_tuple(IsSlotUsed(31), gSaveLoadFrame->boxOpen), std::make_tuple(1, 0u));
    HoverFocus(kFocusPageUp);
    Press({kScanRight, kScanEnter});
    EXPECT_EQ(gSaveLoadFrame->top, 33);

    // Yes and no by keys.
    gScriptVars[0] = 100;
    for (int k = 0; k < 6; ++k) gParty[k] = k;  // a party of six
    ASSERT_EQ(SaveToSlotFile(1), 1);
    gScriptVars[0] = 200;
    Park();
    OpenSlots(8, 0);
    // Slot 02's party strip (row 1, portraits from x 165, 44 pixels apart, at
    // y 265 - 65) ends inside its row: the sixth portrait keeps to its place,
    // which ends at x 429; the screen's own picture shows from there to the
    // system list at x 440.
    h.RunFrames(1);
    EXPECT_EQ(std::make_pair(CanvasAt(400, 210) != Colour(9904, 4), CanvasAt(434, 210)),
              std::make_pair(true, Colour(9904, 4)));
    Press({kScanTab, kScanDown, kScanEnter});  // slot 02 is used: the box asks, focus on no
    ASSERT_EQ(Box(), std::make_pair(1u, kFocusNo));
    const u8 swaps[] = {kScanLeft, kScanRight, kScanUp, kScanDown, kScanTab};
    i32 expect = kFocusNo;
    for (u8 key : swaps) {
        Press(key);
        expect = expect == kFocusYes ? kFocusNo : kFocusYes;
        EXPECT_EQ(gSaveLoadFrame->focus, expect) << int(key);
        ExpectCursorOn(expect, "box " + std::to_string(key));
        ExpectLitHalf(expect);
        EXPECT_EQ(gSaveLoadFrame->top, 0);
    }
    Press(kScanPgDn);  // page keys leave the box alone
    EXPECT_EQ(std::make_tuple(gSaveLoadFrame->focus, gSaveLoadFrame->top),
              std::make_tuple(kFocusYes, 0));
    Press({kScanRight, kScanEnter});  // no
    EXPECT_EQ(std::make_tuple(gSaveLoadFrame->boxOpen, SlotMoney(1)),
              std::make_tuple(0u, i64{100}));

    // With smart mouse the box puts the cursor on yes and, closed, back on the
    // asked slot's row.
    gSmartMouse = 1;
    HoverFocus(21);
    Press(kScanEnter);
    ASSERT_EQ(Box(), std::make_pair(1u, kFocusYes));
    ExpectCursorOn(kFocusYes, "box opened");
    Press(kScanEnter);
    EXPECT_EQ(std::make_tuple(gSaveLoadFrame->boxOpen, SlotMoney(1), gSaveLoadFrame->focus),
              std::make_tuple(0u, i64{200}, 21));
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
    EXPECT_EQ(std::make_tuple(gFrameId, gFramePhase), std::make_tuple(kScreenBit | 26, 1u));
    Press({kScanRight, kScanEnter});  // page down
    EXPECT_EQ(gSaveLoadFrame->top, 33);
    Press({kScanTab, kScanPgUp});  // slot row 0, a page up
    EXPECT_EQ(std::make_tuple(gSaveLoadFrame->top, gSaveLoadFrame->focus), std::make_tuple(30, 20));
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
    gScriptVars[0] = 100;
    Press(kScanEnter);  // save with no quick save: at once
    EXPECT_EQ(std::make_tuple(IsQuickSaveValid(), f->boxOpen), std::make_tuple(1, 0u));
    Press(kScanEnter);  // again: the box asks, the keys on no
    ASSERT_EQ(f->boxOpen, 1u);
    // The box halves do not take the switch key.
    const KeyStep box[] = {{kFocusNo, kScanLeft, kFocusYes},
                           {kFocusYes, kScanUp, kFocusNo},
                           {kFocusNo, kScanTab, kFocusNo}};
    WalkSteps(box, &f->focus, cQuickSaveFrame::FocusPoint);
    ExpectLitHalf(kFocusNo);
    Press(kScanEnter);
    EXPECT_EQ(std::make_tuple(f->boxOpen, f->focus, gFrameId),
              std::make_tuple(0u, 0, kScreenBit | 25));
    Press({kScanLeft, kScanEnter});  // tab 3 by keys leads to the system menu
    EXPECT_EQ(FinishClose(), kScreenBit | 13);
}

TEST_F(SlotKeysTest, QuickPageHoverTipsAndALoadThatAsksOnlyWithAQuickSave) {
    gSmartMouse = 1;
    Open(25);
    cQuickSaveFrame* f = gQuickSaveFrame;
    EXPECT_EQ(std::make_tuple(gMouseInput.x, gMouseInput.y), std::make_tuple(458, 170))
        << "smart mouse: on the load box";
    // Each box and tab hovered, then nothing (its focus unchecked): the tip and
    // the boxes' pictures.
    struct Hover {
        i32 x, y, focus;
        const char* tip;
        i32 load, save;
    };
    std::vector<Hover> hovers = {{458, 170, kQuickFocusLoad, "讀取進度", 7, 6},
                                 {458, 336, kQuickFocusSave, "儲存進度", 6, 7}};
    for (int k = 0; k < 4; ++k) hovers.push_back({TabPointX(k), kTabPointY, k, kTabTips[k], 6, 6});
    hovers.push_back({60, 460, -1, nullptr, 6, 6});
    for (const auto& v : hovers) {
        MoveTo(v.x, v.y, 2);
        EXPECT_TRUE(v.focus < 0 || f->focus == v.focus) << v.x << "," << v.y;
        EXPECT_EQ(std::string(f->tooltip->shown ? f->tooltip->text : ""), v.tip ? B5(v.tip) : "");
        EXPECT_EQ(std::make_tuple(f->boxes[0].background->normalPic->player.action,
                                  f->boxes[1].background->normalPic->player.action),
                  std::make_tuple(v.load, v.save));
    }
    // A load asks, and only with a quick save.
    // Both boxes: money at x 263, play time at x 379, on the box's money line.
    ExpectMoneyAndTime(gQuickSaveFrame->boxes[0], 263, 379, 201);
    ExpectMoneyAndTime(gQuickSaveFrame->boxes[1], 263, 379, 372);
    EXPECT_EQ(std::string(gQuickSaveFrame->boxes[0].money), B5("沒有資料"));
    Click(kQuickBoxes, 300, 150);  // load without a quick save: nothing
    EXPECT_EQ(gQuickSaveFrame->boxOpen, 0u);
    Click(kQuickBoxes, 300, 300);  // save: at once (the keys test asks again)
    EXPECT_EQ(std::strncmp(gQuickSaveFrame->boxes[1].money, B5("金錢："), 6), 0);
    gScriptVars[0] = 99;
    Click(kQuickBoxes, 300, 150);  // load: asks
    Click(kQuickBox, 250, 250);    // yes
    EXPECT_NE(gScriptVars[0], 99u);
    h.RunFrames(1);
    EXPECT_EQ(gFrameId, kScreenBit | 15);
}

// A save that no longer reads shows as empty, yet a save over it asks first
// and replaces it only on yes: a slot on the save screen and the quick save on
// its page alike.
TEST_F(SlotKeysTest, ASaveThatNoLongerReadsIsReplacedOnlyOnYes) {
    struct Place {
        const char* what;
        u32 screen;
        std::string path;
        i32 target, x, y;  // the click onto the slot's row or the save box
        i32 box;           // the yes/no box's id
        std::function<u32()> boxOpen;
        std::function<int()> reads;
    };
    const Place places[] = {
        {"slot 01", 8, SlotPath(0), kSlotRows, 200, 100, kSlotBox,
         [] { return gSaveLoadFrame->boxOpen; }, [] { return IsSlotUsed(0); }},
        {"quick save", 25, QuickPath(), kQuickBoxes, 300, 300, kQuickBox,
         [] { return gQuickSaveFrame->boxOpen; }, [] { return IsQuickSaveValid(); }}};
    for (const Place& p : places) {
        SCOPED_TRACE(p.what);
        CloseRunning();
        gScriptVars[0] = 1234;
        ASSERT_EQ(p.screen == 8 ? SaveToSlotFile(0) : QuickSave(), 1);
        const std::string host = HostPath(p.path);
        std::vector<u8> bytes = ReadHostFile(host);
        bytes.resize(bytes.size() / 2);  // cut short: it no longer reads
        WriteHostFile(host, bytes);
        ASSERT_EQ(p.reads(), 0);
        auto onDisk = [&] { return ReadHostFile(host); };
        gSaveSlotPos = 0;
        Open(p.screen);
        Click(p.target, p.x, p.y);
        EXPECT_EQ(std::make_tuple(p.boxOpen(), onDisk() == bytes), std::make_tuple(1u, true));
        Click(p.box, 350, 250);  // no
        EXPECT_EQ(std::make_tuple(p.boxOpen(), onDisk() == bytes), std::make_tuple(0u, true));
        Click(p.target, p.x, p.y);
        Click(p.box, 250, 250);  // yes
        EXPECT_EQ(std::make_tuple(p.boxOpen(), p.reads()), std::make_tuple(0u, 1));
    }
}

// A game that ended released the databases whose counts size a save's item
// and monster blocks: the load screen must not read every slot as empty then.
// An empty slot does not load; cancel goes back to the title. Loading from the
// title empties playlist 1 so nothing of the last game's music plays on; the
// zoom that follows has its own cursor picture.
TEST_F(SlotKeysTest, TitleLoadAfterAGameEndedLoadsNoEmptySlotAndClearsPlaylistOne) {
    gScriptVars[0] = 4321;
    ASSERT_EQ(SaveToSlotFile(0), 1);
    WriteHostFile(h.Path("game/Save/MH03.sav"), std::vector<u8>(136001, 0));  // big, not a save
    EndGame();
    ASSERT_EQ(gItems, nullptr);
    gScriptVars[0] = 0;
    gSmartMouse = 1;
    OpenTitleLoad(0);
    EXPECT_EQ(std::string(gSaveLoadFrame->rows[2].date), B5("沒有資料"));
    HoverFocus(kFocusRow0 + 2);
    Press(kScanEnter);
    EXPECT_EQ(std::make_tuple(gFrameId, gFramePhase), std::make_tuple(kScreenBit | 26, 1u));
    RightClick();
    EXPECT_EQ(FinishClose(), kScreenBit | 0);
    ClickAt(TitleButtonX(1), kTitleButtonY);  // the title is open: its load button
    ASSERT_EQ(FinishClose(), kScreenBit | 26);
    EXPECT_NE(std::string(gSaveLoadFrame->rows[0].date), B5("沒有資料"));
    gMusic.SetTrack("old1.mid", 901, 0, 1);
    gMusic.SetTrack("old2.mid", 902, 1, 1);
    h.RunFrames(1);
    Press(kScanEnter);  // the cursor sits on row 0
    EXPECT_EQ(gScriptVars[0], 4321u);
    for (const cMusic::Slot& s : gMusic.GetList(1).slots)
        EXPECT_TRUE(s.id != 901 && s.id != 902) << s.id;
    h.RunFrames(2);
    ASSERT_EQ(gFrameId, kScreenBit | 15);
    ASSERT_NE(gMouseInput.cursorPic, nullptr);
    EXPECT_EQ(std::make_tuple(gMouseInput.cursorPic, gMouseInput.cursorPic->player.act),
              std::make_tuple(gZoomFrame->cursorPic, 9102));
}

// A replay through the real tick with scripted keys and mouse: the title's new
// game, the opening talk, a walk, the question answered, an encounter won on
// auto battle, F9, changes, F10; then
// a save into slot 3 through the system menu and the save screen, back to the
// title and slot 3 loaded through the load screen.

constexpr int kChangedFlag = 210;

// What a save must give back: the map, the player's place, the story's flags,
// the money and the party. Flags below 100 are the engine's switches, some of
// which a load sets on purpose; the story's flags start above them.
auto TakeState() {
    return std::make_tuple(gMapId, gMapRoles[gPlayerSlot].x, gMapRoles[gPlayerSlot].y,
                           std::vector<u8>(gGameFlags + 13, gGameFlags + kSavedFlagBytes),
                           gScriptVars[0], std::vector<i32>(gParty, gParty + kPartySize));
}

// The save of slot 3 without what the wall clock and the art decide (the date
// and the thumbnail, which other tests check), packed again as the game packs
// it, compared with the golden save kept in the repository; MH_UPDATE_GOLDEN=1
// writes it instead (after a change to the sample game or to what a save holds).
void ExpectGoldenSave(const std::vector<u8>& file) {
    auto img = std::make_unique<SaveImage>();
    DataError error;
    EXPECT_TRUE(ParseSaveImage(file.data(), file.size(), img.get(), &error)) << error.Message();
    std::memset(img->header.date, 0, sizeof(img->header.date));
    std::memset(img->header.thumb, 0, sizeof(img->header.thumb));
    const std::vector<u8> bytes = SaveImageBytes(*img);
    const std::string path = std::string(MH_GOLDEN_DIR) + "/replay-slot3.sav";
    if (const char* u = std::getenv("MH_UPDATE_GOLDEN"); u && *u == '1') {
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
        return;
    }
    std::vector<u8> golden = ReadHostFile(path);
    ASSERT_FALSE(golden.empty()) << path << " is missing";
    EXPECT_TRUE(bytes == golden)
        << "the replay's save differs from " << path << " (" << bytes.size() << " bytes against "
        << golden.size() << "); if the change is meant, refresh it with\n"
        << "  MH_UPDATE_GOLDEN=1 build/moonharbor_tests --gtest_filter='Replay.*'";
}

struct Replay : SampleTownTest {
    SampleSession s{h};

    // Walks away, sets a story flag and spends money.
    void ChangeTheState() {
        u16 y = s.P().y;
        PlatformSetKey(kArrowUp, true);
        ASSERT_TRUE(h.RunUntil([&] { return s.P().y + 32 <= y; }, 60));
        PlatformSetKey(kArrowUp, false);
        h.RunFrames(10);
        SetGameFlag(kChangedFlag);
        gScriptVars[0] = 7;
    }
    // Runs until map mode is back with the player standing on the grid.
    bool BackInMapMode(int limit) {
        return h.RunUntil([] { return gFrameId == kMapMode && gPlayerSlot > 0; }, limit);
    }
};

TEST_F(Replay, QuickSaveAndLoadThenSlotThreeThroughTheScreens) {
    // Play to the point of the first save: the opening talk closed, the walk
    // to the person and its question answered "yes"; then the town's
    // encounter, switched to auto battle: a slime's 20 gold and 12 experience
    // go into the saves.
    SetGameFlag(SampleSession::kFlagNoEncounters);
    ASSERT_TRUE(h.RunUntil([] { return !gDialogs.empty(); }, 20));
    ASSERT_TRUE(s.ConfirmUntilTalkEnds());
    ASSERT_GT(s.WalkToTheQuestion(), 0);
    s.Tap(s.Confirm());
    ASSERT_TRUE(h.RunUntil([] { return ChoiceOpen() && ChoicesShown(); }, 200));
    s.Tap(s.Confirm());
    ASSERT_TRUE(s.ConfirmUntilTalkEnds());
    ASSERT_TRUE(GetGameFlag(kSampleYesFlag));
    h.RunFrames(15);  // the mouse lock after a box runs out
    const u32 money = gScriptVars[0];
    const i32 exp = gRoleStats[0].exp;
    gBattleRequest = sample_battle::kTownEncounter;
    EnterBattle();
    ASSERT_TRUE(h.RunUntil([] { return gBattle.phase() == kPhaseMain; }, 30));
    s.Tap(static_cast<u8>(gKeyBindings[kKeyAutoAttack]));
    ASSERT_TRUE(h.RunUntil([] { return gBattleActive == 0; }, 3000));
    ASSERT_EQ(std::make_tuple(gScriptVars[0], gRoleStats[0].exp),
              std::make_tuple(money + 20, exp + 12));
    ASSERT_TRUE(BackInMapMode(20));
    h.RunFrames(15);
    const auto saved = TakeState();
    ASSERT_EQ(std::get<0>(saved), sampleMap::kTown);

    // F9: the "saving" notice, then the quick save.
    ASSERT_EQ(IsQuickSaveValid(), 0);
    s.Tap(scan::kF9);
    EXPECT_EQ(gFrameId & 0xFF, 28u);
    ASSERT_NE(gQuickNoticeFrame, nullptr);
    EXPECT_EQ(std::string(gQuickNoticeFrame->text), B5("儲存中..."));
    EXPECT_EQ(IsQuickSaveValid(), 0) << "written after the notice";
    ASSERT_TRUE(BackInMapMode(60));
    ASSERT_EQ(IsQuickSaveValid(), 1);

    ChangeTheState();
    const auto changed = TakeState();
    ASSERT_NE(changed, saved);
    ASSERT_NE(std::get<2>(changed), std::get<2>(saved));

    // F10: the "loading" notice, the quick save comes back.
    s.Tap(scan::kF10);
    EXPECT_EQ(gFrameId & 0xFF, 29u);
    ASSERT_TRUE(BackInMapMode(120));
    h.RunFrames(2);
    EXPECT_EQ(TakeState(), saved);
    EXPECT_FALSE(GetGameFlag(kChangedFlag));

    // F4 opens the system menu with the cursor on its first row, "save".
    h.RunFrames(15);
    s.Tap(scan::kF4);
    ASSERT_TRUE(h.RunUntil([] { return gFrameId == (kScreenBit | 13) && gFramePhase == 1; }, 10));
    s.Click();
    ASSERT_TRUE(h.RunUntil([] { return gFrameId == (kScreenBit | 8) && gFramePhase == 1; }, 10));
    ASSERT_NE(gSaveLoadFrame, nullptr);
    ASSERT_EQ(gSaveLoadFrame->top, 0) << "the list starts at slot 1";
    // Slot 3 is the third row.
    s.PointAt(200, 50 + 124 * 2 + 50);
    s.Click();
    ASSERT_FALSE(ReadHostFile(h.Path("game/Save/MH03.sav")).empty());
    // The right button leaves the save screen for the system menu, and that for the map.
    RightClick();
    ASSERT_TRUE(h.RunUntil([] { return gFrameId == (kScreenBit | 13) && gFramePhase == 1; }, 10));
    RightClick();
    ASSERT_TRUE(BackInMapMode(20));

    // The state changes again, then back to the title: the system menu's last
    // row asks "回主選單？", and its left half (確定) says yes.
    ChangeTheState();
    ASSERT_NE(TakeState(), saved);
    h.RunFrames(15);
    s.Tap(scan::kF4);
    ASSERT_TRUE(h.RunUntil([] { return gFrameId == (kScreenBit | 13) && gFramePhase == 1; }, 10));
    s.PointAt(SysRowPointX(), SysRowPointY(kSysRows - 1));
    s.Click();
    ASSERT_TRUE(h.RunUntil([] { return gFrameId == (kScreenBit | 1) && gFramePhase == 1; }, 10));
    s.PointAt(298, 262);
    s.Click();
    ASSERT_TRUE(h.RunUntil([] { return gFrameId == (kScreenBit | 0) && gFramePhase == 1; }, 20));
    ASSERT_NE(gMainMenuFrame, nullptr);

    // The title's "load" button opens the load screen; slot 3 loads.
    s.PointAt(TitleButtonX(1), kTitleButtonY);
    s.Click();
    ASSERT_TRUE(h.RunUntil([] { return gFrameId == (kScreenBit | 26) && gFramePhase == 1; }, 10));
    EXPECT_NE(std::string(gSaveLoadFrame->rows[2].date), B5("沒有資料"));
    s.PointAt(200, 50 + 124 * 2 + 50);
    s.Click();
    ASSERT_TRUE(BackInMapMode(120));
    h.RunFrames(2);
    EXPECT_EQ(TakeState(), saved);
    EXPECT_FALSE(GetGameFlag(kChangedFlag));
    EXPECT_TRUE(h.boxes().empty());
    ExpectGoldenSave(ReadHostFile(h.Path("game/Save/MH03.sav")));
}

}  // namespace
