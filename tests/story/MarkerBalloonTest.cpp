// Name markers and talk balloons as the dialogue boxes draw them, and the
// answer keys over three answers, through the frame tick on the sample town.

#include "TownTalkFixture.h"
#include "data/GameFlags.h"
#include "engine/PicPaint.h"
#include "engine/PixelFormat.h"
#include "map/ActDraw.h"
#include "mhdata/InterfaceArt.h"
#include "support/Input.h"

namespace {

class MarkerBalloonTest : public TownTalkFixture {
protected:
    void SetUp() override {
        TownTalkFixture::SetUp();
        ASSERT_EQ(gDialogTextSize, 9u);  // the hand-worked numbers below assume it
    }
    // The one box of a new talk, once it shows.
    const DialogRecord& ShownBox(const std::string& body) {
        ResetTalkContext(&gTalkContext);
        gDialogs.clear();
        Start(body);
        for (int i = 0; i < 8; ++i) Frame();
        EXPECT_EQ(gDialogs.size(), 1u);
        return *gDialogs.front();
    }
    static u16 At(i32 x, i32 y) { return *PaintPixelAddr(x, y); }
    static u16 Art(u32 act, u32 action) { return ConvertPixel(InterfaceColor(act, action)); }
    // Pixels of the text colour 0 in a band of rows, left of x and from x on.
    static void CountInk(i32 x, i32 top, i32 bottom, int* left, int* right) {
        *left = *right = 0;
        u16 ink = TextColourAt(0);
        for (i32 y = top; y < bottom; ++y)
            for (i32 i = 0; i < 640; ++i) (i < x ? *left : *right) += At(i, y) == ink;
    }
};

TEST_F(MarkerBalloonTest, PersonsBoxCarriesTheMarkerOfItsSize) {
    // "ABCD": 4 columns, one line: 36 x 18, frame 18 / 18 + 10 x (36 / 18 - 1) = 11.
    const DialogRecord& one = ShownBox("Show 100 \"%KABCD\"");
    ASSERT_EQ(one.w, 36);
    EXPECT_EQ(At(one.x - 3, one.y - 13), Art(9013, 11));
    EXPECT_NE(At(one.x - 3, one.y - 13), Art(9013, 32));
    // Eight columns over two lines: 72 x 36, frame 2 + 10 x 3 = 32.
    const DialogRecord& two = ShownBox("Show 100 \"%KABCDEFGH%NAB\"");
    ASSERT_EQ(two.h, 36);
    EXPECT_EQ(At(two.x - 3, two.y - 13), Art(9013, 32));
}

TEST_F(MarkerBalloonTest, CaptionRidesOnTheMarkerWithText) {
    const DialogRecord& r = ShownBox("BoxCaption 2\n Show 100 \"%KABCD\"");
    ASSERT_NE(r.caption[0], 0);
    // The marker with text stands at (x - 17, y - 43); frame 11 as above.
    EXPECT_EQ(At(r.x - 15, r.y - 41), Art(9012, 11));
    // The name starts at x - 13 x length / 4 + 36, at y - 29.
    i32 len = static_cast<i32>(std::strlen(r.caption));
    i32 textX = r.x - 13 * len / 4 + 36;
    int before = 0, on = 0;
    u16 white = ConvertPixel(0x7FFF);
    for (i32 y = r.y - 29; y < r.y - 29 + 16; ++y)
        for (i32 x = textX - 12; x < textX + 8 * len; ++x)
            (x < textX ? before : on) += At(x, y) == white;
    EXPECT_EQ(before, 0);
    EXPECT_GT(on, 10);
    // A box with no person (a spot or a message) has no marker.
    const DialogRecord& msg = ShownBox("BoxAt 300 300\n Show 0xFFFD \"%KABCD\"");
    EXPECT_NE(At(msg.x - 3, msg.y - 13), Art(9013, 11));
}

TEST_F(MarkerBalloonTest, BoundBoxOfAPersonIsABalloonAtTheTop) {
    // Four narrow characters: 315 - 11 x (4 / 2) = 293, frame 1.
    const DialogRecord& r = ShownBox("BoxBound\n Show 100 \"%KABCD\"");
    EXPECT_EQ(r.x, 293);
    EXPECT_EQ(r.y, kBalloonTextY);
    EXPECT_EQ(At(4, 4), Art(9016, 1));
    int left = 0, right = 0;
    CountInk(293, kBalloonTextY, kBalloonTextY + 18, &left, &right);
    EXPECT_EQ(left, 0);
    EXPECT_GT(right, 10);
    // 45 characters pass 40: two lines from x 95, frame 2.
    const DialogRecord& two = ShownBox("BoxBound\n Show 100 \"%K" + std::string(45, 'W') + "\"");
    EXPECT_EQ(two.x, 95);
    EXPECT_EQ(two.h, 36);
    EXPECT_EQ(At(4, 50), Art(9016, 2));
    CountInk(95, kBalloonTextY + 18, kBalloonTextY + 36, &left, &right);
    EXPECT_EQ(left, 0);
    EXPECT_GT(right, 10);  // the second line
}

// With two answers a step either way lands on the same one; with three, up
// and left go back (wrapping to the last) and down and right go on.
TEST_F(MarkerBalloonTest, AnswerKeysStepBothWaysOverThreeAnswers) {
    Start(
        "Say 0xFFF1 \"%KWhich?%N%BA%N%BB%N%BC\"\n WaitSpeaker 0xFFF1\n"
        " JumpByAnswer @a @b @c\na:\n SetFlag 300\n End\nb:\n SetFlag 301\n End\n"
        "c:\n SetFlag 302\n End");
    for (int i = 0; i < 10 && gScreenItems.size() < 3; ++i) Frame();
    ASSERT_EQ(gScreenItems.size(), 3u);
    TapKey(h, kScanUp, 2);
    EXPECT_EQ(gChosenAnswer, 2u);
    TapKey(h, kScanLeft, 2);
    EXPECT_EQ(gChosenAnswer, 1u);
    TapKey(h, kScanRight, 2);
    TapKey(h, kScanDown, 2);
    EXPECT_EQ(gChosenAnswer, 0u);
    TapKey(h, kScanUp, 2);
    TapKey(h, static_cast<u8>(gMapKeyCodes[1]), 2);
    Finish();
    EXPECT_TRUE(GetGameFlag(302));
    EXPECT_FALSE(GetGameFlag(300) || GetGameFlag(301));
}

}  // namespace
