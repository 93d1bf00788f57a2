// The command ring and the lists over the sample game's art: clicks land on the
// row they show, the description box's height, icons past the icon act.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "battle/BattleKeys.h"
#include "battle/BattleMenu.h"
#include "battle/BattleSide.h"
#include "data/Config.h"
#include "data/GameData.h"
#include "engine/DInput.h"
#include "engine/PicPaint.h"
#include "platform/Input.h"
#include "support/Harness.h"

namespace {

struct BattleMenuArt : ::testing::Test {
    Harness h;
    void SetUp() override {
        h.WriteSample();
        h.StartGame();
        ASSERT_NE(gPaintBuf, nullptr);
        ResetBattleSides();
        gRealTimeBattle = 0;
        gSmartMouse = 0;
    }
    void Poll() {
        gBattleKeys.Poll();
        gBattleCursor.Poll();
    }
    u16 Px(int x, int y) const { return gPaintBuf[y * 640 + x]; }
    void Fill(u16 c) { std::fill_n(gPaintBuf, 640 * 480, c); }
};

}  // namespace

TEST_F(BattleMenuArt, AClickOnARingPointHighlightsThatRow) {
    cFighter& f = gPartySide.fighters[0];
    f.Reset();
    f.flags = cFighter::kInUse | cFighter::kTaken;
    f.kind = kKindParty;
    f.status = 0;
    f.pic = 3;
    f.maxHp = f.hp = 100;
    f.mp = 30;
    f.gauge = 255;
    f.x = f.homeX = 500;
    f.z = f.homeZ = 300;
    gPartySide.count = gPartySide.memberCount = 1;
    cFighter& e = gEnemySide.fighters[0];
    e.Reset();
    e.flags = cFighter::kInUse | cFighter::kTaken;
    e.kind = kKindEnemy;
    e.status = 0;
    e.row = 1;
    gEnemySide.count = gEnemySide.memberCount = 1;

    cCommandMenu menu;
    menu.Reset();
    for (int i = 0; i < 12; ++i) {
        Poll();
        menu.Input();
    }
    ASSERT_EQ(menu.ringX, kRingInX);
    for (int k : {3, 7, 1, 6, 2, 5, 4, 0}) {
        gDInput.SetMousePos(gRingPoints[k].x, gRingPoints[k].y);
        Poll();
        menu.Input();
        EXPECT_EQ(menu.row, k);
    }
    PlatformSetMouseButtons(true, false);
    Poll();
    menu.Input();
    PlatformSetMouseButtons(false, false);
    EXPECT_EQ(menu.chosen, 1);
    EXPECT_EQ(menu.code, kRingAttack);
    menu.Draw();
    EXPECT_TRUE(h.boxes().empty());
}

TEST_F(BattleMenuArt, DescriptionBoxIsTwentyPixelsALinePlusFour) {
    cBattleList list;
    const std::string two(31, 'x'), one(20, 'y');
    for (const std::string* text : {&two, &one}) {
        const int lines = text == &two ? 2 : 1;  // 31 bytes: 30 + 1
        list.Begin("t");
        list.Add(1, -1, 0, "a", 1, text->c_str(), text->size(), false);
        list.y = kListShownY;
        Fill(0xFFFF);
        list.Draw(false);
        const int top = kListShownY + 19, bottom = top + 20 * lines + 4;
        EXPECT_EQ(Px(kListX + 200, bottom - 1), 0);
        EXPECT_EQ(Px(kListX + 200, bottom), 0xFFFF);
        EXPECT_EQ(Px(kListX + 160 + 207, top + 1), 0);
        EXPECT_EQ(Px(kListX + 160 + 208, top + 1), 0xFFFF);
    }
    // An empty description draws no box on the member list.
    list.Begin("t");
    list.Add(1, -1, 0, "a", 1, "", 0, false);
    list.y = kListShownY;
    Fill(0xFFFF);
    list.Draw(false);
    EXPECT_EQ(Px(kListX + 161, kListShownY + 21), 0xFFFF);
}

TEST_F(BattleMenuArt, IconsPastTheIconActDrawNothing) {
    auto iconPixel = [&](i32 icon) {
        cBattleList list;
        list.Begin("t");
        list.Add(1, icon, 0, "", 0, "", 0, false);
        list.y = kListShownY;
        Fill(0xFFFF);
        list.Draw(false);
        return Px(kListX + 21, kListShownY + 21);
    };
    const u16 none = iconPixel(-1);
    EXPECT_NE(iconPixel(3), none);
    EXPECT_EQ(iconPixel(45), none);
    EXPECT_EQ(iconPixel(4000), none);
    EXPECT_TRUE(h.boxes().empty());
}
