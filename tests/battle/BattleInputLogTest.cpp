// The battle keyboard's repeat rule, the cursor's clicks and looks, and the
// message log's turns, limits and strip.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "battle/BattleKeys.h"
#include "battle/BattleLog.h"
#include "engine/DInput.h"
#include "engine/PicPaint.h"
#include "engine/PixelFormat.h"
#include "engine/Tsw.h"
#include "platform/Input.h"
#include "support/Harness.h"

namespace {

struct BattleInput : ::testing::Test {
    Harness h;
    void SetUp() override {
        InputPlatformReset();
        ASSERT_EQ(gDInput.Init(nullptr, nullptr), 0);
        gBattleKeys.Clear();
        gBattleCursor.Init();
    }
    void TearDown() override { InputPlatformReset(); }
};

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

// Level k of 16 by the blend rule, channel by channel: s/2 when k has 8, then
// d/4, d/8, d/16 for the bits of k it lacks (each term rounded down).
u16 BlendRef(u16 s, u16 d, int k) {
    u32 out = 0;
    // Blends work on the top five bits of each channel.
    for (u32 m : {gMaskR, gMaskG, gMaskB}) {
        int shift = __builtin_ctz(m);
        u32 sc = (s & m) >> shift, dc = (d & m) >> shift, c = 0;
        for (int bit = 3, div = 2; bit >= 0; --bit, div *= 2) c += ((k >> bit) & 1 ? sc : dc) / div;
        out |= c << shift;
    }
    return static_cast<u16>(out);
}

TEST_F(BattleInput, HeldKeyRepeatsFromItsNinthPollEverySecondPoll) {
    const int key = 0xCB;
    PlatformSetKey(key, true);
    std::vector<int> reported;
    for (int poll = 1; poll <= 20; ++poll) {
        gBattleKeys.Poll();
        if (gBattleKeys.Pressed(key)) reported.push_back(poll);
    }
    EXPECT_EQ(reported, (std::vector<int>{1, 9, 11, 13, 15, 17, 19}));
    // Let go and press again: reported on the first poll it is down.
    PlatformSetKey(key, false);
    gBattleKeys.Poll();
    EXPECT_FALSE(gBattleKeys.Pressed(key));
    PlatformSetKey(key, true);
    gBattleKeys.Poll();
    EXPECT_TRUE(gBattleKeys.Pressed(key));
    EXPECT_EQ(gBattleKeys.HeldTicks(key), 1);
    EXPECT_FALSE(gBattleKeys.Pressed(-1));
    EXPECT_FALSE(gBattleKeys.Pressed(256));
}

TEST_F(BattleInput, FirstNewKeyIsTheLowestKeyThatWentDown) {
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
}

TEST_F(BattleInput, ClicksCountOnlyOnThePollTheButtonWentDown) {
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
}

TEST_F(BattleInput, LooksRememberTheOneTheyReplace) {
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

TEST(BattleLog, OneLineStaysFor41DrawsAndThreeAtOnceTakeTurns) {
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
}

TEST(BattleLog, TheRingHoldsThirtyOneLinesAndResetFreesThem) {
    Harness h;
    for (int i = 0; i < 31; ++i) ASSERT_EQ(gBattleLog.Printf("line %d", i), 1) << i;
    EXPECT_EQ(gBattleLog.Add("32nd"), 0);
    EXPECT_EQ(gBattleLog.Count(), 31);
    EXPECT_STREQ(gBattleLog.HeadText(), "line 0");
    // A new battle starts empty; the sanitizer build sees any line left behind.
    gBattleLog.Reset();
    EXPECT_TRUE(gBattleLog.Empty());
    EXPECT_EQ(gBattleLog.Add("again"), 1);
}

TEST(BattleLog, ALongLineIsCutBetweenCharacters) {
    Harness h;
    // 63 two-byte characters after one ASCII byte: the 127-byte limit falls
    // inside the last character, which goes as a whole.
    std::string text = "x";
    for (int i = 0; i < 70; ++i) text += "\xA4\x40";
    ASSERT_EQ(gBattleLog.Printf("%s", text.c_str()), 1);
    std::string kept = gBattleLog.HeadText();
    EXPECT_EQ(kept.size(), 127u);
    EXPECT_EQ(kept, text.substr(0, 127));
    std::string odd = "xy";
    for (int i = 0; i < 70; ++i) odd += "\xA4\x40";
    gBattleLog.Reset();
    gBattleLog.Printf("%s", odd.c_str());
    EXPECT_EQ(std::string(gBattleLog.HeadText()), odd.substr(0, 126));
}

TEST(BattleLog, StripIsHalfBlendedAndAnEmptyLogDrawsNothing) {
    Harness h;
    h.WriteSample();
    h.StartGame();
    ASSERT_NE(gPaintBuf, nullptr);
    PicFrame* strip = GetPic(kBattleLogStripPic, 0);
    ASSERT_NE(strip, nullptr);
    const u16 under = 0x7BEF;  // a mid grey in either layout
    std::vector<u16> before(640 * 480, under);
    std::memcpy(gPaintBuf, before.data(), before.size() * 2);
    gBattleLog.Draw();
    EXPECT_EQ(std::memcmp(gPaintBuf, before.data(), before.size() * 2), 0);

    gBattleLog.Add("");
    gBattleLog.Draw();
    // The strip's own colour, drawn plainly elsewhere.
    std::vector<u16> probe(640 * 480, 0);
    u16* canvas = gPaintBuf;
    gPaintBuf = probe.data();
    gCurPic = strip->pixels;
    PutPic(0, 0, strip->width, strip->height, 0, nullptr);
    gPaintBuf = canvas;
    EXPECT_EQ(gPaintBuf[460 * 640 + 100], BlendRef(probe[0], under, 8));
    EXPECT_EQ(gPaintBuf[450 * 640 + 90], BlendRef(probe[0], under, 8));
    EXPECT_EQ(gPaintBuf[449 * 640 + 100], under);
    EXPECT_EQ(gPaintBuf[460 * 640 + 89], under);
}
