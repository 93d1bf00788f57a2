// The formation screen through the real tick: picking and swapping, restore,
// empty places, portraits, the keyboard, and every way out.
#include <cstdlib>
#include <cstring>
#include <functional>

#include "data/GameData.h"
#include "data/GameFlags.h"
#include "ui/ActPic.h"
#include "ui/Control.h"
#include "ui/FormationFrame.h"
#include "ui/Screens.h"
#include "support/SysScreenSupport.h"

namespace {

constexpr u8 kScanF1Key = 0x3B;

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
