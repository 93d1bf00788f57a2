// The screens that share the system panel, through the real tick: the system
// menu, the quest log, the settings and the formation, and the panel's ways out.
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <utility>

#include "data/Config.h"
#include "data/GameData.h"
#include "data/GameFlags.h"
#include "data/Options.h"
#include "menu/MenuState.h"
#include "platform/TextCodec.h"
#include "story/PartyCommands.h"
#include "story/Talk.h"
#include "support/SysScreenSupport.h"
#include "ui/ActPic.h"
#include "ui/Control.h"
#include "ui/FormationFrame.h"
#include "ui/QuestFrame.h"
#include "ui/Screens.h"
#include "ui/SettingsFrame.h"
#include "ui/SysPanel.h"
#include "ui/SystemMenu.h"

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

// The keys walk the rows and tabs; smart mouse remembers the row confirmed.
TEST_F(SystemMenuTest, KeysWalkTheTabsAndRowsAndSmartMouseRemembersTheRow) {
    gKeyFocus = 0;
    OpenMenu();
    EXPECT_NEAR(gMouseInput.x, 580, 1);
    EXPECT_NEAR(gMouseInput.y, 120, 1);
    Tap(kScanUp);  // row 0 wraps to row 5
    EXPECT_NEAR(gMouseInput.y, 320, 1);
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
    Tap(kScanUp);
    Tap(kScanEnter);  // confirm clicks the row under the cursor
    h.RunFrames(2);
    EXPECT_EQ(gFrameId, kScreenBit | 1);
    EXPECT_EQ(gKeyFocus, 5);
    gFrameId = 0;
    h.RunFrames(1);
    OpenMenu();
    EXPECT_NEAR(gMouseInput.y, 320, 1);
    h.RunFrames(1);  // the hover under the placed cursor gives the selection
    EXPECT_EQ(gSystemMenuFrame->selection, 5);
}

struct QuestLogTest : SysScreenTest {
    void OpenLog(int quests) {
        gQuestList.clear();
        for (int i = 0; i < quests; ++i) gQuestList.push_back(static_cast<u32>(i + 1));
        Open(10);
        ASSERT_NE(gQuestFrame, nullptr);
    }
    int ShownRows() {
        int n = 0;
        for (cControl* r : gQuestFrame->rows) n += r->shown ? 1 : 0;
        return n;
    }
};

TEST(QuestNames, CutNeverSplitsABig5Character) {
    char a[8] = {'a', '\xA4', '\x40', '\xA4', 0};
    CutBig5Tail(a);
    EXPECT_STREQ(a, "a\xA4\x40");
    char b[8] = {'\xA4', '\x40', 'z', 0};
    CutBig5Tail(b);
    EXPECT_STREQ(b, "\xA4\x40z");
}

// Eight rows a page: page down only with a ninth quest, whose page shows one
// row. An id beyond the name table shows an empty name.
TEST_F(QuestLogTest, ZeroEightAndNineQuestsPage) {
    gQuestList = {999999};
    Open(10);
    EXPECT_EQ(gQuestFrame->rowIndex[0], 0);
    EXPECT_STREQ(gQuestFrame->names[0], "");
    const struct {
        int quests, rows;
        i32 pageDown;
    } cases[] = {{0, 0, 0}, {8, 8, 0}, {9, 8, kQuestPageDownId}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.quests);
        if (gFramePhase == 1) {
            gFramePhase = 2;
            h.RunFrames(1);
        }
        OpenLog(c.quests);
        EXPECT_EQ(ShownRows(), c.rows);
        EXPECT_EQ(gQuestFrame->pageUp->id, 0);
        EXPECT_EQ(gQuestFrame->pageDown->id, c.pageDown);
    }
    ClickAt(360, 435);
    EXPECT_EQ(gQuestFrame->first, 8);
    EXPECT_EQ(ShownRows(), 1);
    EXPECT_EQ(gQuestFrame->rowIndex[0], 8);
    EXPECT_EQ(gQuestFrame->pageDown->id, 0);
    EXPECT_EQ(gQuestFrame->pageUp->id, kQuestPageUpId);
    ClickAt(230, 435);
    EXPECT_EQ(gQuestFrame->first, 0);
    EXPECT_EQ(ShownRows(), 8);
}

enum class Way { kRow, kTab, kFKey, kRightButton, kCancelKey, kPoint };

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
                ::ClickAt(h, 560, 100 + 40 * e.n, 0);
                break;
            case Way::kTab:
                ::ClickAt(h, TabPointX(e.n), kTabPointY, 0);
                break;
            case Way::kPoint:
                ::ClickAt(h, 560, e.n, 0);
                break;
            case Way::kFKey:
                TapKey(h, static_cast<u8>(kScanF1 + e.n - 1), 0);
                break;
            case Way::kCancelKey:
                TapKey(h, kScanEsc, 0);
                break;
            case Way::kRightButton:
                PlatformSetMouseButtons(false, true);
                h.RunFrames(1);
                PlatformSetMouseButtons(false, false);
                break;
        }
    }
};

TEST_F(PanelExitsTest, EachWayLeadsToItsScreen) {
    // The system menu's six rows remember the row for the next visit; a point
    // below the last row does nothing. Then the settings, the quest log, the
    // formation's own row; on the slot screens F1-F4 hand the next screen a
    // fresh focus; on the quick-save page F3 is the page itself.
    const Exit exits[] = {{13, Way::kRow, 0, 8, 0},           {13, Way::kRow, 1, 9, 1},
                          {13, Way::kRow, 2, 11, 2},          {13, Way::kRow, 3, 12, 3},
                          {13, Way::kRow, 4, 10, 4},          {13, Way::kRow, 5, 1, 5},
                          {13, Way::kPoint, 340, 13, -1},     {13, Way::kTab, 1, 23, -1},
                          {13, Way::kTab, 3, 13, -1},         {13, Way::kFKey, 3, 25, 0},
                          {13, Way::kRightButton, 0, 0, -1},  {13, Way::kCancelKey, 0, 0, -1},
                          {12, Way::kRow, 4, 10, -1},         {12, Way::kRow, 3, 12, -1},
                          {12, Way::kTab, 0, 2, -1},          {12, Way::kFKey, 2, 23, -1},
                          {12, Way::kRightButton, 0, 13, -1}, {10, Way::kRow, 4, 10, -1},
                          {10, Way::kRow, 2, 11, -1},         {10, Way::kTab, 3, 13, -1},
                          {10, Way::kFKey, 1, 2, -1},         {10, Way::kRightButton, 0, 13, -1},
                          {11, Way::kRow, 2, 11, -1},         {8, Way::kFKey, 1, 2, 0},
                          {8, Way::kFKey, 2, 23, 0},          {8, Way::kFKey, 3, 25, 0},
                          {8, Way::kFKey, 4, 13, 0},          {8, Way::kRightButton, 0, 13, -1},
                          {25, Way::kFKey, 1, 2, 0},          {25, Way::kFKey, 2, 23, 0},
                          {25, Way::kFKey, 3, 25, -1},        {25, Way::kFKey, 4, 13, 0}};
    for (const Exit& e : exits) {
        SCOPED_TRACE(std::to_string(e.screen) + " way " + std::to_string(int(e.way)) + " " +
                     std::to_string(e.n));
        if (gFramePhase == 1) {  // a screen left open: closed first
            gFramePhase = 2;
            h.RunFrames(1);
        }
        gFrameId = 0;  // whatever it leads to stays unopened
        gFramePhase = 0;
        h.RunFrames(2);
        gMenuRole = 3;
        Open(e.screen);
        gKeyFocus = 3;
        Take(e);
        bool closed = h.RunUntil([] { return gFramePhase == 0; }, 5);
        EXPECT_EQ(closed, e.next != e.screen);
        EXPECT_EQ(gFrameId, e.next == 0 ? 0u : kScreenBit | e.next);
        if (e.focus >= 0) {
            EXPECT_EQ(gKeyFocus, e.focus);
        }
        if (e.next == 0) {
            EXPECT_EQ(gMenuRole, 0u) << "the menu's role is forgotten on the map";
        }
    }
}

struct SettingsTest : SysScreenTest {
    void OpenSettings() {
        Open(12);
        ASSERT_NE(gSettingsFrame, nullptr);
    }
    // Clicks the key row of key k, waits out the capture delay, then holds code.
    void Rebind(int k, u8 code) {
        ClickAt(k % 2 ? 300 : 100, 265 + 25 * (k / 2));
        ASSERT_EQ(gSettingsFrame->capturing, 1);
        h.RunFrames(12);      // past 400 ms
        TapKey(h, code, 16);  // then past the cooldown
    }
    std::string OptionFile() { return h.Path("game/Save/Option.sav"); }
};

// The slider's click formula is monotonic; keys are named by scan code.
TEST(SettingsPieces, SliderFormulaAndKeyNames) {
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
}

// The slider ends give 0 and 11, the right arrow at 11 stays. Cancel applies
// what the screen holds and still writes the options file.
TEST_F(SettingsTest, SlidersAndCancelApplyAndWriteTheFile) {
    std::filesystem::remove(OptionFile());
    gRealTimeBattle = 0;
    OpenSettings();
    ClickAt(136, 90);  // music
    h.RunFrames(1);
    EXPECT_EQ(gSettingsFrame->music, 0);
    ClickAt(326, 90);
    h.RunFrames(1);
    EXPECT_EQ(gSettingsFrame->music, 11);
    ClickAt(136, 115);  // effects: the global itself
    EXPECT_EQ(gSfxVolume, 0u);
    // The right arrow at 11 stays at 11.
    ClickAt(335, 90);
    h.RunFrames(1);
    EXPECT_EQ(gSettingsFrame->music, 11);
    EXPECT_EQ(gMusicVolume, 6u) << "held in the screen until it closes";
    ClickAt(326, 165);  // text speed 11
    ClickAt(360, 190);
    ClickAt(160, 215);
    EXPECT_EQ(gSettingsFrame->swap, 80);
    EXPECT_EQ(gSettingsFrame->realTime, 1);
    gSettingsFrame->focus = 4;
    Tap(kScanRight);  // 80 wraps to 45
    EXPECT_EQ(gSettingsFrame->swap, 45);
    Tap(kScanEsc, 2);
    EXPECT_EQ(gFrameId, kScreenBit | 13);
    EXPECT_EQ(gTextSpeed, 11u);
    EXPECT_EQ(gMusicVolume, 11u);
    EXPECT_EQ(gSwapSpace, 45u);
    EXPECT_EQ(gRealTimeBattle, 1u);
    ASSERT_TRUE(std::filesystem::exists(OptionFile()));
    EXPECT_EQ(std::filesystem::file_size(OptionFile()), 88u);
}

constexpr u8 kScanF1Key = 0x3B;

TEST_F(SettingsTest, RebindingClearsADuplicateAndRefusesFKeys) {
    OpenSettings();
    ASSERT_EQ(gSettingsFrame->keys[kKeyAutoAttack], 0x1Eu);
    Rebind(0, 0x1E);  // "A" onto up
    EXPECT_EQ(gSettingsFrame->keys[kKeyUp], 0x1Eu);
    EXPECT_EQ(gSettingsFrame->keys[kKeyAutoAttack], 0u);
    EXPECT_EQ(gSettingsFrame->capturing, 0);
    // An F-key is no binding: the capture waits on.
    ClickAt(300, 265);  // key 1, down
    h.RunFrames(12);
    for (u8 f : {0x3B, 0x58}) TapKey(h, f);  // F1, F12
    EXPECT_EQ(gSettingsFrame->capturing, 1);
    EXPECT_EQ(gSettingsFrame->keys[kKeyDown], 0xD0u);
    EXPECT_EQ(gFrameId, kScreenBit | 12);
    TapKey(h, 0x30, 0);  // B
    EXPECT_EQ(gSettingsFrame->keys[kKeyDown], 0x30u);
    h.RunFrames(16);
    // OK applies: the bindings and the map-mode table follow.
    ClickAt(230, 435);
    h.RunFrames(2);
    EXPECT_EQ(gFrameId, kScreenBit | 13);
    EXPECT_EQ(gKeyBindings[kKeyUp], 0x1Eu);
    EXPECT_EQ(gMapKeyCodes[4], 0x1Eu);
    EXPECT_EQ(gMapKeyCodes[6], 0x30u);
}

TEST_F(SettingsTest, ResetRestoresKeysZeroToTenOnly) {
    gKeyBindings[kKeyFlee] = 0x2E;
    gSmartMouse = 1;
    OpenSettings();
    Rebind(3, 0x20);  // right := D
    gSettingsFrame->smartMouse = 0;
    ClickAt(360, 435);  // reset
    h.RunFrames(1);
    EXPECT_EQ(gKeyBindings[kKeyRight], 0xCDu);
    EXPECT_EQ(gKeyBindings[kKeyFlee], 0x2Eu);
    EXPECT_EQ(gMusicVolume, 6u);
    EXPECT_EQ(gCdVolume, 2u);
    EXPECT_EQ(gSwapSpace, 60u);
    EXPECT_EQ(gSmartMouse, 0u) << "the screen's own choice is applied, not reset";
    EXPECT_EQ(gMapKeyCodes[5], 0xCDu);
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
    // Runs until the screen has closed; the mode word it wrote.
    u32 Closed() {
        h.RunUntil([] { return gFramePhase == 0; }, 5);
        return gFrameId;
    }
    // A key needs a second frame up before its next press counts as new.
    void Key(u8 code) { Tap(code, 2); }
    // Back to map mode, with whatever was requested left unopened.
    void ToMap() {
        gFrameId = 0;
        gFramePhase = 0;
        h.RunFrames(1);
    }
};

TEST(FormationPlaces, AreasOfTheTwoRows) {
    const struct {
        i32 x, y, place;
    } points[] = {
        {10, 80, 0},  {124, 224, 0}, {125, 150, -1},  // between places 0 and 1
        {138, 80, 1}, {380, 100, 2}, {200, 240, -1},  // between the rows
        {62, 260, 3}, {61, 300, -1}, {190, 404, 4},  {432, 404, 5}, {432, 405, -1},
    };
    for (const auto& p : points)
        EXPECT_EQ(FormationPlaceAt(p.x, p.y), p.place) << p.x << "," << p.y;
}

TEST_F(FormationTest, TwoPicksSwapTheSamePlaceTwiceChangesNothingAndCancelDropsAPick) {
    OpenWith({0, 1, 2, 3, -1, 5, 6, 7});
    ClickPlace(1);
    EXPECT_EQ(gFormationFrame->picked, 1);
    EXPECT_EQ(gFormationFrame->markers[1]->normalPic->player.action, 31);
    EXPECT_EQ(gFormationFrame->markers[0]->normalPic->player.action, 30);
    ClickPlace(1);
    EXPECT_EQ(gFormationFrame->picked, -1);
    EXPECT_EQ(gFormationFrame->picking, 0);
    EXPECT_EQ(Shown(), (std::vector<i32>{0, 1, 2, 3, -1, 5}));
    // An empty place then a filled one: the role moves into the empty place.
    ClickPlace(4);
    ClickPlace(0);
    EXPECT_EQ(Shown(), (std::vector<i32>{-1, 1, 2, 3, 0, 5}));
    EXPECT_FALSE(gFormationFrame->portraits[0]->shown);
    EXPECT_FALSE(gFormationFrame->nameCtls[0]->shown);
    EXPECT_TRUE(gFormationFrame->portraits[4]->shown);
    EXPECT_EQ(gFormationFrame->portraits[4]->normalPic->player.action, 32);
    EXPECT_EQ(gFormationFrame->levels[4], gRoleStats[0].level);
    // The screen works on its copy until it is left.
    EXPECT_EQ(Order(), (std::vector<i32>{0, 1, 2, 3, -1, 5, 6, 7}));
    // A click off every place picks nothing.
    ClickAt(130, 150);
    EXPECT_EQ(gFormationFrame->picked, -1);
    // Cancel first drops a pick, then leaves.
    ClickPlace(3);
    ASSERT_EQ(gFormationFrame->picked, 3);
    RightClick();
    EXPECT_EQ(gFormationFrame->picked, -1);
    EXPECT_EQ(gFramePhase, 1u);
    Tap(kScanEsc);
    EXPECT_EQ(Closed(), kScreenBit | 13);
}

TEST_F(FormationTest, RestoreAfterSeveralSwapsShowsTheOrderOfOpening) {
    OpenWith({0, 1, 2, 3, 4, 5, 6, 7});
    ClickPlace(0);
    ClickPlace(5);
    ClickPlace(2);
    ClickPlace(3);
    ClickPlace(1);  // picked, not yet swapped
    EXPECT_EQ(Shown(), (std::vector<i32>{5, 1, 3, 2, 4, 0}));
    ClickAt(360, 435);  // restore
    EXPECT_EQ(Shown(), (std::vector<i32>{0, 1, 2, 3, 4, 5}));
    EXPECT_EQ(gFormationFrame->picked, -1);
    EXPECT_EQ(gFormationFrame->portraits[5]->normalPic->player.action, 37);
    EXPECT_EQ(gFramePhase, 1u);
    // OK writes the order back and goes to the system menu.
    ClickPlace(0);
    ClickPlace(2);
    ClickAt(230, 435);
    EXPECT_EQ(Closed(), kScreenBit | 13);
    EXPECT_EQ(Order(), (std::vector<i32>{2, 1, 0, 3, 4, 5, 6, 7}));
}

TEST_F(FormationTest, EntriesOutsideTheRolesShowEmptyPlacesAndSevenEightStay) {
    SetGameFlag(324);
    OpenWith({9, -1, 0, 1, 2, -5, 3, 4});
    EXPECT_FALSE(gFormationFrame->portraits[0]->shown);
    EXPECT_FALSE(gFormationFrame->numbers[0]->shown);
    EXPECT_STREQ(gFormationFrame->names[0], "");
    EXPECT_FALSE(gFormationFrame->portraits[5]->shown);
    // Roles 0 and 1 exchange portraits while flag 324 is set.
    EXPECT_EQ(gFormationFrame->portraits[2]->normalPic->player.action, 33);
    EXPECT_EQ(gFormationFrame->portraits[3]->normalPic->player.action, 32);
    EXPECT_EQ(gFormationFrame->portraits[4]->normalPic->player.action, 34);
    EXPECT_EQ(std::strncmp(gFormationFrame->names[2], gRoleStats[0].name, 31), 0);
    // Swapping the out-of-range entry keeps its value; it stays an empty place.
    ClickPlace(0);
    ClickPlace(4);
    EXPECT_TRUE(gFormationFrame->portraits[0]->shown);
    EXPECT_FALSE(gFormationFrame->portraits[4]->shown);
    RightClick();
    EXPECT_EQ(Closed(), kScreenBit | 13);
    EXPECT_EQ(Order(), (std::vector<i32>{2, -1, 0, 1, 9, -5, 3, 4}));
}

TEST_F(FormationTest, EveryWayOutAppliesTheFormation) {
    struct Exit {
        const char* name;
        std::function<void(FormationTest&)> go;
        u32 next;
    };
    auto list = [](int row) { return [row](FormationTest& t) { t.ClickAt(560, 100 + 40 * row); }; };
    auto tab = [](int j) { return [j](FormationTest& t) { t.ClickAt(TabPointX(j), kTabPointY); }; };
    auto key = [](u8 code) { return [code](FormationTest& t) { t.Tap(code); }; };
    const Exit exits[] = {
        {"ok", [](FormationTest& t) { t.ClickAt(230, 435); }, 13},
        {"right click", [](FormationTest& t) { t.RightClick(); }, 13},
        {"cancel key", key(kScanEsc), 13},
        {"list save", list(0), 8},
        {"list load", list(1), 9},
        {"list settings", list(3), 12},
        {"list quests", list(4), 10},
        {"list leave", list(5), 1},
        {"tab items", tab(0), 2},
        {"tab skills", tab(1), 23},
        {"tab quick save", tab(2), 25},
        {"tab system", tab(3), 13},
        {"F1", key(kScanF1Key), 2},
        {"F2", key(kScanF1Key + 1), 23},
        {"F3", key(kScanF1Key + 2), 25},
        {"F4", key(kScanF1Key + 3), 13},
    };
    for (const Exit& e : exits) {
        SCOPED_TRACE(e.name);
        OpenWith({0, 1, 2, 3, 4, 5, 6, 7});
        ClickPlace(0);
        ClickPlace(3);
        e.go(*this);
        EXPECT_EQ(Closed(), kScreenBit | e.next);
        EXPECT_EQ(Order(), (std::vector<i32>{3, 1, 2, 0, 4, 5, 6, 7}));
        ToMap();
    }
}

TEST_F(FormationTest, KeyboardWalksTheFocusPointsAndConfirmSwaps) {
    OpenWith({0, 1, 2, 3, 4, 5, 6, 7});
    // The mouse counters move in steps of two: odd points land one short.
    auto at = [](i32 x, i32 y) {
        return std::abs(gMouseInput.x - x) <= 1 && std::abs(gMouseInput.y - y) <= 1;
    };
    EXPECT_TRUE(at(265, 445)) << "smart mouse starts on OK";
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
        {kScanDown, 404, 340},         {kScanPgUp, 404, 340},  // page keys stay
    };
    for (const auto& w : walk) {
        Key(w.key);
        EXPECT_TRUE(at(w.x, w.y)) << int(w.key) << " to " << w.x << "," << w.y;
    }
    Key(kScanEnter);
    EXPECT_EQ(gFormationFrame->picked, 5);
    Key(kScanRight);
    EXPECT_TRUE(at(148, 340));
    Key(kScanUp);
    EXPECT_TRUE(at(100, 160));
    Key(kScanEnter);
    EXPECT_EQ(Shown(), (std::vector<i32>{5, 1, 2, 3, 4, 0}));
    Key(kScanTab);
    EXPECT_TRUE(at(265, 445)) << "places lead to OK";
    Key(kScanEnter);
    EXPECT_EQ(Closed(), kScreenBit | 13);
    EXPECT_EQ(gFormation[0], 5);
}

}  // namespace
