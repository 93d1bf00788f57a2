// The ends of a game through the real tick: the leave-game question, the end
// screens, the ending's stages, layouts and pictures, and the enter/cancel
// prompt's talk jump, cancel and keys.

#include "data/GameFlags.h"
#include "map/City.h"
#include "map/NewGame.h"
#include "map/RoleTable.h"
#include "mhdata/Archives.h"
#include "mhdata/StoryAsm.h"
#include "platform/AudioMixer.h"
#include "platform/TextCodec.h"
#include "story/PartyCommands.h"
#include "story/Talk.h"
#include "support/MusicRecorder.h"
#include "support/SysScreenSupport.h"
#include "ui/ActPic.h"
#include "ui/Control.h"
#include "ui/EndScreens.h"
#include "ui/EndingFrame.h"
#include "ui/EnterFrame.h"

namespace {

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
    EXPECT_EQ(gFramePhase, 1u);
    EXPECT_EQ(gExitFrame->result, 0);
    ClickAt(350, 250);  // the no half
    h.RunFrames(1);
    EXPECT_EQ(gFrameId, 0u);
    EXPECT_EQ(gMenuRole, 0u);
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
    EXPECT_FALSE(GetGameFlag(70));
    EXPECT_EQ(gWalkMode, 1);
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
    EXPECT_EQ(gFrameId, 0u);
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

TEST_F(EndScreensTest, EndScreenLocksInputForASecond) {
    Open(31);
    ASSERT_NE(gEndFrame, nullptr);
    Tap(kScanEnter);
    ClickAt(320, 240);
    EXPECT_EQ(gFramePhase, 1u);
    h.RunFrames(25);  // past one second
    Tap(kScanEnter, 2);
    EXPECT_EQ(gFrameId, kScreenBit | 0);
}

TEST_F(EndScreensTest, TheEndClosesAfterTenSeconds) {
    Open(31);
    int frames = 0;
    while (gFrameId == (kScreenBit | 31) && frames < 400) {
        h.RunFrames(1);
        ++frames;
    }
    EXPECT_EQ(gFrameId, kScreenBit | 0);
    EXPECT_GE(frames * 35, 10000);
    EXPECT_LE(frames * 35, 10200);
}

TEST_F(EndScreensTest, EndPictureFadesInAndNeverClosesInItsFirstSecond) {
    MusicRecorder music;
    music.AnswerFinished(true);  // a missing or short piece counts as finished at once
    Open(6);
    ASSERT_NE(gEndFrame, nullptr);
    EXPECT_EQ(gFramePhase, 1u);
    EXPECT_GE(gEndFrame->endPic->alpha, 0);
    EXPECT_LE(gEndFrame->endPic->alpha, 1);
    h.RunFrames(20);
    EXPECT_EQ(gFrameId, kScreenBit | 6);
    EXPECT_GE(gEndFrame->endPic->alpha, 5);
    h.RunFrames(12);
    EXPECT_EQ(gFrameId, kScreenBit | 0);
}

// The sample's end piece (name 41) plays 5.6 seconds: the picture stays for
// it and closes by itself when it has ended.
TEST_F(EndScreensTest, EndPictureWaitsForItsMusicToFinish) {
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
}

TEST_F(EndScreensTest, EndGameTwiceIsLikeOnce) {
    EndGame();
    EndGame();
    gFrameId = kScreenBit | 16;  // the test-version end closes at once without music
    gFramePhase = 0;
    h.RunFrames(3);
    EXPECT_EQ(gFrameId, kScreenBit | 0);
    EXPECT_TRUE(h.boxes().empty());
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

// Each layout takes its stages and returns to the map; others end at once.
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
    // A layout outside 1 to 4 ends at once with one report.
    for (i32 layout : {0, 5, -1}) {
        SCOPED_TRACE(layout);
        h.boxes().clear();
        StartEnding(layout);
        h.RunFrames(4);
        EXPECT_EQ(gFrameId, 0u);
        EXPECT_EQ(h.boxes().size(), 1u);
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

// A long caption is cut to its buffer and the talk still steps past it; a
// caption without its end mark stops at the end of the talk's window.
TEST_F(PromptTest, LongAndUnendedCaptions) {
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
