// Dialogue boxes: placement, reveal pace, escapes, answers, closing; text tools.

#include "data/GameFlags.h"
#include "engine/DInput.h"
#include "engine/ErrorBox.h"
#include "data/Options.h"
#include "engine/PixelFormat.h"
#include "platform/Input.h"
#include "platform/TextCodec.h"
#include "story/StoryTestUtil.h"
#include "story/TextTools.h"
#include "story/Trigger.h"

namespace {

struct DialogTest : StoryFixture {
    // Talk 1 of this source, started at the spot (320, 300).
    void StartSpotTalk(const std::string& src) {
        WriteTalks(1, src);
        StartTalk(1, kTalkSpot);
        gTalkContext.x = 320;
        gTalkContext.y = 300;
    }
};

// A left click on a screen item: the hover, the press, the release.
void ClickItem(const ScreenItem& it) {
    PlatformSetMouseCounters((it.left + it.right) / 2, (it.top + it.bottom) / 2);
    PlatformSetMouseButtons(false, false);
    TriggerStory();
    PlatformSetMouseButtons(true, false);
    TriggerStory();
    PlatformSetMouseButtons(false, false);
}

// Runs DlgMessage until the box closes; the frames it took.
int FramesUntilClosed(int limit) {
    int n = 0;
    while (!gDialogs.empty() && n < limit) {
        gFrameTime += 35;
        DlgMessage();
        ++n;
    }
    return n;
}

TEST_F(DialogTest, PlacementByDirectionAndClamps) {
    ActPlayer act;
    int slot = AddRole(30, 320, 240, &act);
    struct Case {
        int dir;
        i32 x, y;
    };
    // Text of 4 columns, one line: 40 x 20 pixels at size 10, centred on (320, 240).
    const Case cases[] = {{0, 300, 326}, {1, 300, 126}, {2, 460, 166}, {3, 140, 174}};
    for (const Case& c : cases) {
        act.dir = c.dir;
        DialogRecord r;
        ASSERT_EQ(SetupDialog(&r, Spec(30, "abcd%Q"), nullptr, 0), 1);
        EXPECT_EQ(std::tuple(r.w, r.h, r.x, r.y), std::tuple(40, 20, c.x, c.y)) << c.dir;
    }
    // A speaker in the corner: the box stays inside 30..576-w, 40..456-h.
    gMapRoles[slot].x = gMapRoles[slot].y = 0;
    act.dir = 1;
    DialogRecord r;
    ASSERT_EQ(SetupDialog(&r, Spec(30, "abcd%Q"), nullptr, 0), 1);
    EXPECT_GE(r.x, 24);
    EXPECT_GE(r.y, 32);
    // A fixed position past the screen is clamped too.
    DialogSpec s = Spec(30, "abcd%Q");
    s.x = 639;
    s.y = 479;
    ASSERT_EQ(SetupDialog(&r, s, nullptr, 0), 1);
    EXPECT_LE(r.x, 576 - r.w);
    EXPECT_LE(r.y, 456 - r.h);
    // Empty text still makes a box one unit high.
    ASSERT_EQ(SetupDialog(&r, Spec(0xFFFD, "%Q"), nullptr, 0), 1);
    EXPECT_EQ(std::tuple(r.w, r.h), std::tuple(0, 10));
}

TEST_F(DialogTest, SpeakerOffTheMapIsRefusedAndTheTalkGoesOn) {
    Run("Say 77 \"hello\"\n SetFlag 101");
    EXPECT_EQ(std::tuple(GetGameFlag(101), gDialogs.empty(), gTalkFlags), std::tuple(1, true, 0u));
}

// A box that waits for the player does not hold the script: what follows it
// runs while it shows (people walk on), and the script's own wait holds the
// talk until the box is closed.
TEST_F(DialogTest, TheTalkRunsOnWhileABoxWaits) {
    StartSpotTalk(
        "talk 1\n Say 0xFFFD \"wait\"\n SetFlag 300\n WaitSpeaker 0xFFFD\n SetFlag 301\n End\n");
    for (int i = 0; i < 4; ++i) {
        Talk(&gTalkContext);
        DlgMessage();
    }
    ASSERT_EQ(gDialogs.size(), 1u);
    EXPECT_EQ(std::tuple(gTalkContext.speakerState, GetGameFlag(300), GetGameFlag(301)),
              std::tuple(1, 1, 0));
    for (int i = 0; i < 200 && !gDialogs.empty(); ++i) {
        gDialogInput = 1;
        DlgMessage();
        Talk(&gTalkContext);
    }
    ASSERT_TRUE(gDialogs.empty());
    RunUntilFree(10);
    EXPECT_TRUE(GetGameFlag(301));
}

TEST_F(DialogTest, RevealPaceFollowsTextSpeed) {
    for (u32 speed : {0u, 6u, 11u}) {
        SCOPED_TRACE(speed);
        ReleaseDialogs();
        gTextSpeed = speed;
        DialogRecord* box = Show(Spec(0xFFFD, "abcdefgh%Q"));
        for (int i = 0; i < 4; ++i) DlgMessage();  // the box opens
        int frames = 0;
        while (box->revealed < 8 && frames < 500) {
            DlgMessage();
            ++frames;
        }
        i32 delay = std::max<i32>(1, 11 - static_cast<i32>(speed));
        // The first character comes with the frame the box finishes opening,
        // then one every `delay` frames.
        EXPECT_EQ(frames, 7 * delay);
    }
}

TEST_F(DialogTest, Escapes) {
    gTextSpeed = 5;  // a new box's delay is 6: "%L1" must not add it once the box shows
    DialogRecord* box = Show(Spec(0xFFFD, "ab%Ncd%C3%S2%D0%L1ef%A12.gh%Q"));
    // The widest line, "cdefgh", of size 2 on two lines.
    EXPECT_EQ(std::tuple(box->w, box->h), std::tuple(6 * 10, 2 * 2 * 10));
    FramesUntilClosed(200);  // runs until the text is out; the box waits for confirm
    ASSERT_EQ(gDialogs.size(), 1u);
    EXPECT_EQ(std::tuple(box->textDone, box->number, box->delay),
              std::tuple(true, 12, (1 + 0) * 2));
    EXPECT_NE(std::strstr(box->text, "%a12."), nullptr);  // sounds once
    gDialogInput = 1;
    DlgMessage();
    EXPECT_EQ(std::tuple(gDialogs.empty(), gMouseLockFrames), std::tuple(true, 12));
}

TEST_F(DialogTest, ShowAllAtOnceAndPages) {
    gTextSpeed = 0;
    DialogRecord* box = Show(Spec(0xFFFD, "%Kabcdef%Pxyz%Q"));
    for (int i = 0; i < 5; ++i) DlgMessage();
    EXPECT_TRUE(box->pageWait);
    EXPECT_EQ(std::string(box->text + box->pageStart, box->revealed - box->pageStart),
              "%Kabcdef%P");
    gDialogInput = 1;
    DlgMessage();
    DlgMessage();
    EXPECT_TRUE(box->textDone);
    // A box of kind 2 keeps its record's size, 4 x 3 units (one line of four
    // columns), whatever its text: the text pages instead of growing the box.
    ReleaseDialogs();
    auto two = std::make_unique<DialogRecord>();
    ASSERT_EQ(SetupDialog(two.get(), Spec(0xFFFD, "%Kabcdefghij%Q"), nullptr, 2), 1);
    box = two.get();
    EXPECT_EQ(std::tuple(box->w, box->h), std::tuple(40, 30));
    AppendDialog(std::move(two));
    for (const char* page : {"%Kabcd", "efgh", "ij"}) {
        for (int i = 0; i < 5; ++i) DlgMessage();
        EXPECT_EQ(std::string(box->text + box->pageStart, box->revealed - box->pageStart), page);
        gDialogInput = 1;
    }
    EXPECT_TRUE(box->textDone);
}

TEST_F(DialogTest, TextVariables) {
    gScriptVars[12] = 305;
    char text[kDialogTextBytes] = "x%I12.y%I999.%Q";
    ExpandTextVariables(text);
    EXPECT_EQ(std::string(text), "x" + std::string("\xA2\xB2\xA2\xAF\xA2\xB4") + "y%I999.%Q");
    ASSERT_EQ(h.boxes().size(), 1u);
    EXPECT_EQ(h.boxes()[0].caption, Utf8ToBig5("角色變數代換"));
    SetTextReplacement(0, "$N", "Moon");
    char t2[kDialogTextBytes] = "hi $N!%Q";
    ExpandTextVariables(t2);
    EXPECT_STREQ(t2, "hi Moon!%Q");
    // A replacement near the end of the 512-byte box text: one that fits to the
    // 510th byte is made, one a byte longer is left out; the end mark stays whole.
    SetTextReplacement(0, "$N", "0123456789012345678");  // 19 bytes for 2
    for (size_t lead : {489u, 490u}) {
        SCOPED_TRACE(lead);
        char text[kDialogTextBytes] = {};
        std::string t = std::string(lead, 'a') + "$N%Q";
        std::memcpy(text, t.data(), t.size());
        ExpandTextVariables(text);
        std::string got(text);
        if (lead == 489) {
            EXPECT_EQ(got.size(), 510u);
            EXPECT_EQ(got.substr(489), "0123456789012345678%Q");
        } else {
            EXPECT_EQ(got, t) << "a byte past the limit: left as it was";
        }
    }
}

TEST_F(DialogTest, LongTextIsCutOnACharacterBoundary) {
    std::string text = "a";
    while (text.size() < 600) text += "\xA4\xA4";  // "中"
    text += "%Q";
    DialogRecord r;
    ASSERT_EQ(SetupDialog(&r, Spec(0xFFFD, text.c_str()), nullptr, 0), 1);
    size_t len = std::strstr(r.text, "%Q") - r.text;
    EXPECT_LE(len, 508u);
    EXPECT_EQ(len % 2, 1u);  // "a" plus whole characters
    EXPECT_EQ(static_cast<u8>(r.text[len - 1]), 0xA4);
}

// A box with a display time of half a second closes after it, even at the
// slowest speed while 20 characters would take 220 frames to come out.
TEST_F(DialogTest, ClosingByTime) {
    gTextSpeed = 0;
    for (const char* text : {"%Kab%Q", "abcdefghijabcdefghij%Q"}) {
        DialogSpec s = Spec(0xFFFD, text);
        s.displayTime = 5;
        Show(s);
        int frames = FramesUntilClosed(100);
        EXPECT_GE(frames * 35, 500) << text;
        EXPECT_LE(frames * 35, 650) << text;
    }
}

// A click on the first answer before the second is out only shows the rest:
// taking the list then brought the second answer back as a list of one, whose
// index 0 answered "yes".
TEST_F(DialogTest, AClickBeforeEveryAnswerIsOutShowsTheRest) {
    h.CreateMainWindow();
    gDInput.Init(nullptr, gMainWnd);
    StartSpotTalk(
        "talk 1\n Say 0xFFFD \"Help?%N%BYes%N%BNo\"\n WaitSpeaker 0xFFFD\n JumpByAnswer @y @n\ny:\n"
        " SetFlag 200\n End\nn:\n SetFlag 201\n End\n");
    for (int i = 0; i < 300 && gScreenItems.empty(); ++i) {
        Talk(&gTalkContext);
        DlgMessage();
    }
    ASSERT_EQ(gScreenItems.size(), 1u);
    EXPECT_FALSE(ChoicesShown());
    ClickItem(gScreenItems[0]);
    DlgMessage();
    ASSERT_EQ(gScreenItems.size(), 2u);
    EXPECT_TRUE(ChoicesShown());
    ASSERT_EQ(gDialogs.size(), 1u);
    // Now the second answer is a click away: the hover picks it, the click takes it.
    ClickItem(gScreenItems[1]);
    EXPECT_TRUE(gScreenItems.empty());
    DlgMessage();
    RunUntilFree(10);
    EXPECT_EQ(std::tuple(GetGameFlag(200), GetGameFlag(201)), std::tuple(0, 1));
}

TEST_F(DialogTest, StrToInt) {
    // Refused texts leave the value as it was.
    const std::tuple<const char*, int, i32> cases[] = {{"", 0, 77},
                                                       {"-", 0, 77},
                                                       {"1234567890", 0, 77},
                                                       {"12a", 0, 77},
                                                       {"+123456789", 1, 123456789},
                                                       {"-45", 1, -45}};
    for (const auto& [text, ok, want] : cases) {
        i32 v = 77;
        EXPECT_EQ(StrToInt(text, &v), ok) << text;
        EXPECT_EQ(v, want) << text;
    }
}

TEST_F(DialogTest, ScreenshotIs24BitAndNeverOverwrites) {
    std::vector<u16> px(640 * 480, 0);
    px[0] = ConvertPixel(0x7C00);              // top-left red
    px[479 * 640 + 1] = ConvertPixel(0x001F);  // bottom row, second pixel blue
    std::string path = h.Path("shot.bmp");
    ASSERT_EQ(SaveScreenShot(px.data(), 640, 480, path.c_str()), 1);
    std::vector<u8> f = ReadHostFile(path);
    ASSERT_EQ(f.size(), 921654u);
    EXPECT_EQ(std::string(f.begin(), f.begin() + 2), "BM");
    // File size, pixel offset, header size, width, height; then planes and bits.
    for (auto [at, word] : {std::pair{2, 921654u}, {10, 54u}, {14, 40u}, {18, 640u}, {22, 480u}})
        EXPECT_EQ(LoadU32(&f[at]), word) << at;
    EXPECT_EQ(LoadU32(&f[26]), 1u | 24u << 16);
    // Rows bottom-up, B G R.
    EXPECT_EQ(std::tuple(f[54 + 3], f[54 + 479 * 1920 + 2]), std::tuple(0xF8, 0xF8));
    // A second write to the same name leaves the first picture.
    std::vector<u16> other(640 * 480, ConvertPixel(0x03E0));
    EXPECT_EQ(SaveScreenShot(other.data(), 640, 480, path.c_str()), 0);
    EXPECT_EQ(ReadHostFile(path), f);
}

}  // namespace
