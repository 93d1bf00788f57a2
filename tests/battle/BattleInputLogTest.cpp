// The battle keyboard's repeat rule, the cursor's clicks and looks, and the
// message log's turns, limits and strip.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "BattleInputTest.h"
#include "PixelRefs.h"
#include "battle/BattleLog.h"

namespace {

using BattleInput = BattleInputTest;

// A line that a log draw puts on screen: the head before the draw.
std::vector<std::string> DrawLog(int draws) {
    std::vector<std::string> shown;
    for (int i = 0; i < draws; ++i) {
        const char* t = gBattleLog.HeadText();
        shown.push_back(t ? t : "");
        gBattleLog.Draw();
    }
    return shown;
}

}  // namespace

TEST_F(BattleInput, KeysRepeatFromTheNinthPollClicksCountOnceAndLooksAreRemembered) {
    // A held key repeats from its ninth poll on every second poll.
    const int key = 0xCB;
    PlatformSetKey(key, true);
    std::vector<int> reported;
    for (int poll = 1; poll <= 20; ++poll) {
        gBattleKeys.Poll();
        if (gBattleKeys.Pressed(key)) reported.push_back(poll);
    }
    EXPECT_EQ(reported, (std::vector<int>{1, 9, 11, 13, 15, 17, 19}));
    // Ignored while down, it repeats no more until let go; pressed again, it
    // is reported on the first poll it is down.
    gBattleKeys.IgnoreHeld();
    for (int poll = 0; poll < 12; ++poll) {
        gBattleKeys.Poll();
        EXPECT_FALSE(gBattleKeys.Pressed(key)) << poll;
    }
    PlatformSetKey(key, false);
    gBattleKeys.Poll();
    EXPECT_FALSE(gBattleKeys.Pressed(key));
    PlatformSetKey(key, true);
    gBattleKeys.Poll();
    EXPECT_TRUE(gBattleKeys.Pressed(key));
    EXPECT_EQ(gBattleKeys.HeldTicks(key), 1);
    EXPECT_FALSE(gBattleKeys.Pressed(-1));
    EXPECT_FALSE(gBattleKeys.Pressed(256));
    PlatformSetKey(key, false);

    // The first new key is the lowest of the keys that went down.
    PlatformSetKey(0x50, true);
    gBattleKeys.Poll();
    PlatformSetKey(0x3D, true);
    PlatformSetKey(0x3B, true);
    gBattleKeys.Poll();
    // 0x50 is older; of the two new ones the lowest code counts.
    EXPECT_EQ(gBattleKeys.FirstNewKey(), 0x3B);
    EXPECT_EQ(gBattleKeys.FirstDownKey(), 0x3B);
    gBattleKeys.Poll();
    EXPECT_EQ(gBattleKeys.FirstNewKey(), -1);

    // Clicks count only on the poll the button went down.
    std::vector<u32> clicks, held;
    const bool left[] = {false, true, true, false, true};
    for (bool down : left) {
        PlatformSetMouseButtons(down, false);
        gBattleCursor.Poll();
        clicks.push_back(gBattleCursor.Clicked(kMouseLeft | kMouseRight));
        held.push_back(gBattleCursor.Held(kMouseLeft));
    }
    EXPECT_EQ(clicks, (std::vector<u32>{0, 1, 0, 0, 1}));
    EXPECT_EQ(held, (std::vector<u32>{0, 1, 1, 0, 1}));

    // Looks remember the one they replace; the cursor stays on the screen.
    u32 act = 0, action = 0;
    gBattleCursor.SetLook(kCursorAutoAct, 0);
    gBattleCursor.SetLook(kCursorAutoAct, 0);  // already current: the saved look stays 9101
    gBattleCursor.GetSavedLook(&act, &action);
    EXPECT_EQ(act, kCursorLookAct);
    gBattleCursor.RestoreLook();
    gBattleCursor.GetLook(&act, &action);
    EXPECT_EQ(act, kCursorLookAct);
    gBattleCursor.SetPos(700, -5);
    i32 x = 0, y = 0;
    gDInput.ReadMouse(&x, &y);
    EXPECT_EQ(x, 639);
    EXPECT_EQ(y, 0);
}

TEST(BattleLog, LinesTakeTurnsTheRingHoldsThirtyOneAndLongLinesAreCut) {
    // One line stays for 41 draws; three at once take turns.
    Harness h;
    ASSERT_EQ(gBattleLog.Add("one"), 1);
    std::vector<std::string> shown = DrawLog(43);
    EXPECT_EQ(std::count(shown.begin(), shown.end(), "one"), 41);
    EXPECT_TRUE(gBattleLog.Empty());

    gBattleLog.Add("a");
    gBattleLog.Add("b");
    gBattleLog.Printf("%s%d", "c", 3);
    shown = DrawLog(44);
    EXPECT_EQ(shown[0], "a");
    EXPECT_EQ(shown[1], "b");
    EXPECT_EQ(std::count(shown.begin(), shown.end(), "c3"), 41);
    EXPECT_EQ(shown[43], "");

    // The ring holds 31 lines; a reset frees them; long lines are cut between characters.
    for (int i = 0; i < 31; ++i) ASSERT_EQ(gBattleLog.Printf("line %d", i), 1) << i;
    EXPECT_EQ(gBattleLog.Add("32nd"), 0);
    EXPECT_EQ(gBattleLog.Count(), 31);
    EXPECT_STREQ(gBattleLog.HeadText(), "line 0");
    // A new battle starts empty; the sanitizer build sees any line left behind.
    gBattleLog.Reset();
    EXPECT_TRUE(gBattleLog.Empty());
    EXPECT_EQ(gBattleLog.Add("again"), 1);

    // 70 two-byte characters after one or two ASCII bytes: the 127-byte limit
    // keeps 63 of them after "x" and 62 after "xy", never half of one.
    for (std::string text : {"x", "xy"}) {
        const size_t kept = text.size() == 1 ? 127 : 126;
        for (int i = 0; i < 70; ++i) text += "\xA4\x40";
        gBattleLog.Reset();
        ASSERT_EQ(gBattleLog.Printf("%s", text.c_str()), 1);
        EXPECT_EQ(std::string(gBattleLog.HeadText()), text.substr(0, kept));
    }
}

TEST(BattleLog, StripIsHalfBlendedAndAnEmptyLogDrawsNothing) {
    Harness h;
    h.WriteSample();
    h.StartGame();
    ASSERT_NE(gPaintBuf, nullptr);
    ASSERT_NE(GetPic(kBattleLogStripPic, 0), nullptr);
    const u16 under = 0x7BEF;  // a mid grey in either layout
    std::vector<u16> before(640 * 480, under);
    std::memcpy(gPaintBuf, before.data(), before.size() * 2);
    gBattleLog.Draw();
    EXPECT_EQ(std::memcmp(gPaintBuf, before.data(), before.size() * 2), 0);

    gBattleLog.Add("");
    gBattleLog.Draw();
    const u16 half = BlendRef(PlainColour(kBattleLogStripPic, 0), under, 8);
    EXPECT_EQ(gPaintBuf[460 * 640 + 100], half);
    EXPECT_EQ(gPaintBuf[450 * 640 + 90], half);
    EXPECT_EQ(gPaintBuf[449 * 640 + 100], under);
    EXPECT_EQ(gPaintBuf[460 * 640 + 89], under);
}
