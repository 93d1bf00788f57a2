// The ending and the enter/cancel prompt through the real tick: the ending's
// stages, layouts and pictures; the prompt's talk jump, cancel and keys.
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "data/GameFlags.h"
#include "engine/DDraw.h"
#include "engine/PixelFormat.h"
#include "map/RoleTable.h"
#include "mhdata/Archives.h"
#include "mhdata/StoryAsm.h"
#include "platform/Display.h"
#include "platform/TextCodec.h"
#include "story/PartyCommands.h"
#include "story/Talk.h"
#include "ui/ActPic.h"
#include "ui/Control.h"
#include "ui/EndingFrame.h"
#include "ui/EnterFrame.h"
#include "ui/Screens.h"
#include "support/SysScreenSupport.h"

namespace {

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
    // Runs the ending to its end; the time of each stage's start (state -> ms).
    std::vector<std::pair<i32, u32>> RunEnding() {
        std::vector<std::pair<i32, u32>> stages;
        for (int f = 0; f < 1000 && gFrameId != 0; ++f) {
            h.RunFrames(1);
            if (gFrameId == 0) break;
            if (gFramePhase == 1 && (stages.empty() || stages.back().first != gEndingFrame.state))
                stages.push_back({gEndingFrame.state, gEndingFrame.start});
        }
        return stages;
    }
};

TEST_F(EndingTest, EachLayoutTakesItsStagesAndReturnsToTheMap) {
    for (i32 layout = 1; layout <= 4; ++layout) {
        SCOPED_TRACE(layout);
        StartEnding(layout);
        u32 begin = timeGetTime();
        auto stages = RunEnding();
        u32 total = timeGetTime() - begin;
        EXPECT_EQ(gFrameId, 0u);
        i32 rise = layout <= 2 ? 21 : 23, hold = layout <= 2 ? 41 : 42;
        std::vector<i32> order;
        for (auto& s : stages) order.push_back(s.first);
        ASSERT_EQ(order, (std::vector<i32>{layout, rise, hold, 61, 0}));
        // Each stage ends on the first frame past its length.
        const u32 lengths[4] = {kEndingEntryMs, kEndingRiseMs, kEndingHoldMs, kEndingFadeMs};
        for (int k = 1; k < 4; ++k) {
            u32 took = stages[k].second - stages[k - 1].second;
            EXPECT_GE(took, lengths[k - 1]) << "stage " << k;
            EXPECT_LE(took, lengths[k - 1] + 35) << "stage " << k;
        }
        u32 sum = kEndingEntryMs + kEndingRiseMs + kEndingHoldMs + kEndingFadeMs;
        EXPECT_GE(total, sum);
        EXPECT_LE(total, sum + 10 * 35);
        EXPECT_TRUE(h.boxes().empty());
    }
}

TEST_F(EndingTest, NoCursorAndTheRisingPictureOfLayoutsThreeAndFourStartsHidden) {
    for (i32 layout : {3, 4}) {
        SCOPED_TRACE(layout);
        StartEnding(layout);
        h.RunFrames(2);
        ASSERT_EQ(gEndingFrame.state, layout);
        EXPECT_EQ(gMouseInput.cursorPic, nullptr);
        EXPECT_FALSE(gEndingFrame.rising->shown);
        EXPECT_EQ(gEndingFrame.sliding->y, 25);
        h.RunUntil([] { return gEndingFrame.state == 23; }, 40);
        EXPECT_EQ(gEndingFrame.sliding->x, layout == 3 ? 0 : 530);
        EXPECT_EQ(gEndingFrame.companion->x, gEndingFrame.sliding->x);
        h.RunFrames(2);
        EXPECT_TRUE(gEndingFrame.rising->shown);
        EXPECT_EQ(gEndingFrame.rising->y, 110);
        EXPECT_LT(gEndingFrame.pics[1]->alpha, 2) << "fading in from nothing";
        gEndingFrame.state = 0;  // cut short
        h.RunFrames(3);
        ASSERT_EQ(gFrameId, 0u);
    }
}

TEST_F(EndingTest, LayoutOneSlidesDownRisesAndShowsEachActionWhereItStands) {
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
    EXPECT_EQ(CanvasAt(300, 50), Colour(0, 1));
    EXPECT_EQ(CanvasAt(400, 200), Colour(1, 2));
    EXPECT_EQ(CanvasAt(50, 300), Colour(2, 3));
    EXPECT_EQ(CanvasAt(50, 50), Colour(3, 0));
    // The hold ends in one picture of the whole canvas, which fades out.
    h.RunUntil([] { return gEndingFrame.state == 61; }, 300);
    h.RunFrames(1);
    EXPECT_EQ(gEndingFrame.rising, nullptr);
    EXPECT_EQ(gEndingFrame.background->kind, kCtlRle);
    EXPECT_GE(gEndingFrame.background->paddedOrAlpha, 15);
    EXPECT_EQ(CanvasAt(400, 200), Colour(1, 2));
    EXPECT_EQ(CanvasAt(50, 50), Colour(3, 0));
    h.RunFrames(30);
    EXPECT_LT(gEndingFrame.background->paddedOrAlpha, 7);
}

TEST_F(EndingTest, LayoutOutsideOneToFourEndsAtOnceWithOneReport) {
    for (i32 layout : {0, 5, -1}) {
        SCOPED_TRACE(layout);
        h.boxes().clear();
        StartEnding(layout);
        h.RunFrames(4);
        EXPECT_EQ(gFrameId, 0u);
        EXPECT_EQ(h.boxes().size(), 1u);
    }
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
        return h.RunUntil([] { return gFrameId == 0 && !TalkRunning(); }, 20);
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
        EXPECT_NEAR(gMouseInput.x, 120 + 72, 1) << "smart mouse starts on enter";
        EXPECT_NEAR(gMouseInput.y, 140 + 63, 1);
        w.take(*this);
        ASSERT_TRUE(TalkDone());
        EXPECT_EQ(GetGameFlag(kJumpFlag), w.jumps ? 1 : 0);
        EXPECT_EQ(GetGameFlag(kPassFlag), w.jumps ? 0 : 1);
        EXPECT_EQ((gMapRoles[guard].state & kRoleShown) != 0, w.jumps);
        EXPECT_EQ(gEnterPrompt.state, 0u);
    }
}

TEST_F(PromptTest, CaptionIsCentredAndTheMarkerNeedsTheBand) {
    StartPrompt("進入洞穴？");
    EXPECT_STREQ(gEnterFrame.caption, B5("進入洞穴？"));
    EXPECT_EQ(gEnterFrame.captionLength, 10u);
    bool centred = false;
    for (cControl* c : gControlList)
        if (c->kind == kCtlText && c->x == 120 - 6 * 10 + 95 && c->y == 150) centred = true;
    EXPECT_TRUE(centred);
    MoveTo(120 + 50, 140 + 20);  // on the box, above the band
    h.RunFrames(1);
    EXPECT_FALSE(gEnterFrame.marker->shown);
    MoveTo(120 + 150, 140 + 60, 2);
    EXPECT_TRUE(gEnterFrame.marker->shown);
    EXPECT_EQ(gEnterFrame.marker->x, 120 + 96);
    EXPECT_EQ(gEnterFrame.selection, 1);
}

TEST_F(PromptTest, LongCaptionIsCutToItsBufferAndTheTalkStillStepsPastIt) {
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
    EXPECT_TRUE(GetGameFlag(kPassFlag));
    EXPECT_TRUE(h.boxes().empty());
}

TEST_F(PromptTest, CaptionWithoutItsMarkStopsAtTheWindowEnd) {
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
    EXPECT_EQ(gEnterFrame.captionLength, 8u);
    EXPECT_STREQ(gEnterFrame.caption, "aaaaaaaa");
    RightClick();
    h.RunFrames(1);
    EXPECT_EQ(gFrameId, 0u);
    EXPECT_EQ(position, window - 20 + 14 + 8);
}

}  // namespace
