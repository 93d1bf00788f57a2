// Dialogue boxes: placement, reveal pace, escapes, answers, closing; drawn
// from the dialogue act: frames, caption plates, the speaker's face, missing
// acts; the sample's dialogue and icon acts; the countdown; text tools:
// formatted small-font text and the debug grid of map cells; the voice: one
// sample file as the current voice, heard through the mixer; missing, bad and
// silent cases.

#include "data/Options.h"
#include "engine/DataErrors.h"
#include "engine/ErrorBox.h"
#include "engine/PicPaint.h"
#include "engine/Tsw.h"
#include "mhdata/SoundData.h"
#include "sound/SoundFixture.h"
#include "story/StoryTestUtil.h"
#include "story/TextTools.h"
#include "story/Voice.h"

namespace {

using DialogTest = StoryFixture;

// A left click on a screen item: the hover, the press, the release.
void ClickItem(const ScreenItem& it) {
    PlatformSetMouseCounters((it.left + it.right) / 2, (it.top + it.bottom) / 2);
    PlatformSetMouseButtons(false, false);
    TriggerStory();
    ClickHere();
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

TEST_F(DialogTest, PlacementAClickBeforeEveryAnswerIsOutStrToIntAndScreenshots) {
    ActPlayer act;
    int slot = AddRole(30, 320, 240, &act);
    // Text of 4 columns, one line: 40 x 20 pixels at size 10, centred on (320,
    // 240); the speaker's direction and the box's corner.
    const std::tuple<int, i32, i32> cases[] = {
        {0, 300, 326}, {1, 300, 126}, {2, 460, 166}, {3, 140, 174}};
    DialogRecord r;
    for (auto [dir, x, y] : cases) {
        act.dir = dir;
        ASSERT_EQ(SetupDialog(&r, Spec(30, "abcd%Q"), nullptr, 0), 1);
        EXPECT_EQ(std::tuple(r.w, r.h, r.x, r.y), std::tuple(40, 20, x, y)) << dir;
    }
    // A speaker in the corner: the box stays inside 30..576-w, 40..456-h.
    gMapRoles[slot].x = gMapRoles[slot].y = 0;
    act.dir = 1;
    ASSERT_EQ(SetupDialog(&r, Spec(30, "abcd%Q"), nullptr, 0), 1);
    EXPECT_EQ(std::tuple(r.x >= 24, r.y >= 32), std::tuple(true, true));
    // A fixed position past the screen is clamped too.
    DialogSpec s = Spec(30, "abcd%Q");
    std::tie(s.x, s.y) = std::tuple(639, 479);
    ASSERT_EQ(SetupDialog(&r, s, nullptr, 0), 1);
    EXPECT_EQ(std::tuple(r.x <= 576 - r.w, r.y <= 456 - r.h), std::tuple(true, true));
    // Empty text still makes a box one unit high.
    ASSERT_EQ(SetupDialog(&r, Spec(0xFFFD, "%Q"), nullptr, 0), 1);
    EXPECT_EQ(std::tuple(r.w, r.h), std::tuple(0, 10));
    Run("Say 77 \"hello\"\n SetFlag 101");
    EXPECT_EQ(std::tuple(GetGameFlag(101), gDialogs.empty(), gTalkFlags), std::tuple(1, true, 0u));
    // A click on the first answer before the second is out only shows the rest:
    // taking the list then brought the second answer back as a list of one, whose
    // index 0 answered "yes".
    h.CreateMainWindow();
    gDInput.Init(nullptr, gMainWnd);
    // Talk 1, started at the spot (320, 300).
    WriteTalks(1,
               "talk 1\n Say 0xFFFD \"Help?%N%BYes%N%BNo\"\n WaitSpeaker 0xFFFD\n JumpByAnswer"
               " @y @n\ny:\n SetFlag 200\n End\nn:\n SetFlag 201\n End\n");
    StartTalk(1, kTalkSpot);
    std::tie(gTalkContext.x, gTalkContext.y) = std::tuple(320, 300);
    for (int i = 0; i < 300 && gScreenItems.empty(); ++i) {
        Talk(&gTalkContext);
        DlgMessage();
    }
    ASSERT_EQ(std::tuple(gScreenItems.size(), ChoicesShown()), std::tuple(1u, false));
    ClickItem(gScreenItems[0]);
    DlgMessage();
    ASSERT_EQ(std::tuple(gScreenItems.size(), ChoicesShown(), gDialogs.size()),
              std::tuple(2u, true, 1u));
    // Now the second answer is a click away: the hover picks it, the click takes it.
    ClickItem(gScreenItems[1]);
    EXPECT_TRUE(gScreenItems.empty());
    DlgMessage();
    RunUntilFree(10);
    EXPECT_EQ(std::tuple(GetGameFlag(200), GetGameFlag(201)), std::tuple(0, 1));
    // Refused texts leave the value as it was.
    const std::tuple<const char*, int, i32> texts[] = {{"", 0, 77},
                                                       {"-", 0, 77},
                                                       {"1234567890", 0, 77},
                                                       {"12a", 0, 77},
                                                       {"+123456789", 1, 123456789},
                                                       {"-45", 1, -45}};
    for (const auto& [text, ok, want] : texts) {
        i32 v = 77;
        EXPECT_EQ(StrToInt(text, &v), ok) << text;
        EXPECT_EQ(v, want) << text;
    }
    std::vector<u16> px(640 * 480, 0);
    px[0] = ConvertPixel(0x7C00);              // top-left red
    px[479 * 640 + 1] = ConvertPixel(0x001F);  // bottom row, second pixel blue
    std::string path = h.Path("shot.bmp");
    ASSERT_EQ(SaveScreenShot(px.data(), 640, 480, path.c_str()), 1);
    std::vector<u8> f = ReadHostFile(path);
    ASSERT_EQ(f.size(), 921654u);
    EXPECT_EQ(std::string(f.begin(), f.begin() + 2), "BM");
    // File size, pixel offset, header size, width, height; then planes and bits.
    const std::pair<int, u32> header[] = {{2, 921654u}, {10, 54u},  {14, 40u},
                                          {18, 640u},   {22, 480u}, {26, 1u | 24u << 16}};
    for (auto [at, word] : header) EXPECT_EQ(LoadU32(&f[at]), word) << at;
    // Rows bottom-up, B G R.
    EXPECT_EQ(std::tuple(f[54 + 3], f[54 + 479 * 1920 + 2]), std::tuple(0xF8, 0xF8));
    // A second write to the same name leaves the first picture.
    std::vector<u16> other(640 * 480, ConvertPixel(0x03E0));
    EXPECT_EQ(SaveScreenShot(other.data(), 640, 480, path.c_str()), 0);
    EXPECT_EQ(ReadHostFile(path), f);
}

TEST_F(DialogTest, RevealPaceEscapesShowAllAndPages) {
    // The first character comes with the frame the box finishes opening, then
    // one every 11 - speed frames (at least one): seven more delays.
    for (auto [speed, want] : {std::pair{0u, 77}, {6u, 35}, {11u, 7}}) {
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
        EXPECT_EQ(frames, want);
    }
    ReleaseDialogs();
    gTextSpeed = 5;  // a new box's delay is 6: "%L1" must not add it once the box shows
    DialogRecord* box = Show(Spec(0xFFFD, "ab%Ncd%C3%S2%D0%L1ef%A12.gh%Q"));
    // The widest line, "cdefgh", of size 2 on two lines.
    EXPECT_EQ(std::tuple(box->w, box->h), std::tuple(6 * 10, 2 * 2 * 10));
    FramesUntilClosed(200);  // runs until the text is out; the box waits for confirm
    ASSERT_EQ(gDialogs.size(), 1u);
    // "%A12." sounds once.
    EXPECT_EQ(std::tuple(box->textDone, box->number, box->delay,
                         std::strstr(box->text, "%a12.") != nullptr),
              std::tuple(true, 12, (1 + 0) * 2, true));
    gDialogInput = 1;
    DlgMessage();
    EXPECT_EQ(std::tuple(gDialogs.empty(), gMouseLockFrames), std::tuple(true, 12));
    // Show all at once, and pages.
    gTextSpeed = 0;
    box = Show(Spec(0xFFFD, "%Kabcdef%Pxyz%Q"));
    for (int i = 0; i < 5; ++i) DlgMessage();
    EXPECT_EQ(std::tuple(box->pageWait,
                         std::string(box->text + box->pageStart, box->revealed - box->pageStart)),
              std::tuple(true, "%Kabcdef%P"));
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

TEST_F(DialogTest, TextVariablesLongTextAndDisplayTime) {
    gScriptVars[12] = 305;
    char text[kDialogTextBytes] = "x%I12.y%I999.%Q";
    ExpandTextVariables(text);
    EXPECT_EQ(std::string(text),
              "x"
              "\xA2\xB2\xA2\xAF\xA2\xB4"
              "y%I999.%Q");
    ASSERT_EQ(h.boxes().size(), 1u);
    EXPECT_EQ(h.boxes()[0].caption, Utf8ToBig5("角色變數代換"));
    // A replacement near the end of the 512-byte box text: one that fits to the
    // 510th byte is made, one a byte longer is left out; the end mark stays whole.
    SetTextReplacement(0, "$N", "0123456789012345678");  // 19 bytes for 2
    for (size_t lead : {488u, 489u}) {
        char text[kDialogTextBytes] = {};
        std::string t = std::string(lead, 'a') + "$N!%Q";
        std::memcpy(text, t.data(), t.size());
        ExpandTextVariables(text);
        // A byte past the limit, the text is left as it was.
        EXPECT_EQ(std::string(text),
                  lead == 488 ? std::string(488, 'a') + "0123456789012345678!%Q" : t)
            << lead;
    }
    // A long text is cut.
    std::string longText = "a";
    while (longText.size() < 600) longText += "\xA4\xA4";  // "中"
    longText += "%Q";
    DialogRecord r;
    ASSERT_EQ(SetupDialog(&r, Spec(0xFFFD, longText.c_str()), nullptr, 0), 1);
    size_t len = std::strstr(r.text, "%Q") - r.text;
    // "a" plus whole characters.
    EXPECT_EQ(std::tuple(len <= 508, len % 2, static_cast<u8>(r.text[len - 1])),
              std::tuple(true, 1u, 0xA4));
    // A box with a display time of half a second closes after it, even at the
    // slowest speed while 20 characters would take 220 frames to come out.
    gTextSpeed = 0;
    for (const char* text : {"%Kab%Q", "abcdefghijabcdefghij%Q"}) {
        DialogSpec s = Spec(0xFFFD, text);
        s.displayTime = 5;
        Show(s);
        int ms = FramesUntilClosed(100) * 35;
        EXPECT_EQ(std::tuple(ms >= 500, ms <= 650), std::tuple(true, true)) << text;
    }
}

constexpr u16 kBackground = 0x1234;

// A story fixture with a 5-5-5 canvas as the paint buffer; with art, the
// sample game's archives are written and opened.
struct DialogArt : StoryFixture {
    std::vector<u16> canvas = std::vector<u16>(640 * 480, kBackground);

    void SetUp() override {
        StoryFixture::SetUp();
        ResetPaint();
        SetPixelFormat(640, 480, 1280, 0x7C00, 0x03E0, 0x001F);
        ResetPaint();
        gPaintBuf = canvas.data();
        ConvertTextColors();
    }
    void TearDown() override {
        ResetPaint();
        ResetPixelFormat();
    }
    void OpenSampleArt() {
        h.WriteSample();
        SetPicLibPath(h.root().c_str());
        ASSERT_EQ(OpenPicLib(), 1);
    }
    u16 At(i32 x, i32 y) const { return canvas[static_cast<size_t>(y) * 640 + x]; }
    static u16 DialogColour(u32 action) { return InterfaceColor(kDialogAct, action); }

    // A box at a fixed place with no speaker, opened and shown.
    DialogRecord* OpenBox(u16 frameAct, const char* caption) {
        DialogSpec s = Spec(0xFFFD, "Hi%Q");
        std::tie(s.frameAct, s.x, s.y) = std::tuple(frameAct, 200, 300);
        DialogRecord* box = Show(s, caption);
        for (int i = 0; i < 5; ++i) {
            gFrameTime += 35;
            DlgMessage();
        }
        return box;
    }
    int BoxesCaptioned(const std::string& caption) {
        int n = 0;
        for (const RecordedBox& b : h.boxes()) n += b.caption == caption;
        return n;
    }
};

// The white pixels of a frame drawn at the canvas's corner: their count, their
// horizontal extent and their mask.
struct Ink {
    int count = 0, left = 1 << 20, right = -1;
    std::vector<bool> mask;
};
Ink InkOf(const std::vector<u16>& canvas, int w, int h) {
    Ink k;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            bool on = canvas[static_cast<size_t>(y) * 640 + x] == 0x7FFF;
            k.mask.push_back(on);
            if (!on) continue;
            ++k.count;
            k.left = std::min(k.left, x);
            k.right = std::max(k.right, x);
        }
    return k;
}

TEST_F(DialogArt, CaptionsOfButtonsTabsAndIcons) {
    OpenSampleArt();
    // Title buttons (normal, hover): new game, load, settings, quit; the menu tabs
    // (two looks each); the map's four HUD icons (one look each); the shop's tabs
    // (buy, sell, strengthen, leave; normal looks 1..4, current 5..8); the save
    // tool's page arrows: each caption centred, both looks saying the same, no two
    // captions alike.
    const struct {
        u16 pic, first;
        int captions, looks, captionStep, lookStep;
    } sets[] = {{10002, 7, 4, 2, 2, 1},
                {10900, 16, 4, 2, 2, 1},
                {9006, 0, 4, 1, 1, 0},
                {10907, 1, 4, 2, 1, 4},
                {9051, 0, 2, 1, 1, 0}};
    for (const auto& s : sets) {
        std::vector<std::vector<bool>> masks;
        for (int c = 0; c < s.captions; ++c) {
            for (int l = 0; l < s.looks; ++l) {
                u16 frame = static_cast<u16>(s.first + c * s.captionStep + l * s.lookStep);
                const PicFrame* f = GetPic(s.pic, frame);
                ASSERT_NE(f, nullptr) << s.pic << "/" << frame;
                std::fill(canvas.begin(), canvas.end(), kBackground);
                DrawPicFrame(s.pic, frame, 0, 0);
                Ink ink = InkOf(canvas, f->width, f->height);
                ASSERT_GT(ink.count, 12) << s.pic << "/" << frame;
                EXPECT_LE(std::abs(ink.left + ink.right + 1 - f->width), 6)
                    << s.pic << "/" << frame;
                if (l == 0)
                    masks.push_back(ink.mask);
                else
                    EXPECT_EQ(ink.mask, masks.back()) << "both looks say the same";
            }
        }
        for (size_t a = 0; a < masks.size(); ++a)
            for (size_t b = a + 1; b < masks.size(); ++b)
                EXPECT_NE(masks[a], masks[b]) << s.pic << ": captions " << a << " and " << b;
    }
}

TEST_F(DialogArt, BoxIsDrawnWithItsFrameAndCaptionPlate) {
    OpenSampleArt();
    CreateGameFont(gMainFont, 640, 480, 16);
    // Frame acts 0..3 are the frame states themselves; the dialogue act is state 1.
    const std::pair<u16, int> frames[] = {{0, 0}, {2, 2}, {kDialogAct, 1}};
    for (const auto& [frameAct, k] : frames) {
        std::fill(canvas.begin(), canvas.end(), kBackground);
        ResetDialogs();
        DialogRecord* r = OpenBox(frameAct, "Ann");
        SCOPED_TRACE(frameAct);
        // The margin around the text is the frame's colour, the edge is white,
        // nothing outside the box.
        EXPECT_EQ(
            std::tuple(r->frameState, At(r->x - 4, r->y - 4), At(r->x + r->w + 3, r->y + r->h + 3),
                       At(r->x - 8, r->y - 8), At(r->x - 9, r->y - 9)),
            std::tuple(k, DialogColour(k), DialogColour(k), 0x7FFF, kBackground));
        // The caption plate sits above the box and carries the caption's ink.
        DialogDecor d = DialogDecorOf(*r);
        const u16 plate = DialogColour(kCaptionActionBase + k);
        EXPECT_EQ(std::tuple(d.capY + d.capH, At(d.capX + 1, d.capY + 1),
                             At(d.capX + d.capW - 1, d.capY + d.capH - 1)),
                  std::tuple(r->y - 8, plate, plate));
        int ink = 0;
        for (i32 y = d.capY; y < d.capY + d.capH; ++y)
            for (i32 x = d.capX; x < d.capX + d.capW; ++x) ink += At(x, y) != plate;
        EXPECT_GT(ink, 10) << "the caption's letters";
    }
    EXPECT_TRUE(h.boxes().empty());
}

// The chosen answer wears a yellow frame at its line, moved by the keys and by
// the mouse's hover. "Q?" over "Yes" and "No" at (200, 300), a spot talk, is
// put 104 higher: the box is (200, 196) 30 x 60, the answers' lines start at
// y 216 and 236; the frame's top runs on the row above the line, its left
// edge 4 pixels left of the box.
TEST_F(DialogArt, ChosenAnswerIsFramedAndTheSpeakersFaceDrawnAboveTheBox) {
    OpenSampleArt();
    DialogSpec s = Spec(0xFFFD, "%KQ?%N%BYes%N%BNo%Q");
    std::tie(s.x, s.y) = std::tuple(200, 300);
    Show(s);
    for (int i = 0; i < 5; ++i) DlgMessage();
    ASSERT_EQ(gScreenItems.size(), 2u);
    const u16 yellow = 0x7FE0;
    // How the answer moves (a key step, or the mouse at this y); the answer then.
    const std::tuple<int, i32, u32> moves[] = {{1, 0, 1u}, {1, 0, 0u}, {0, 246, 1u}, {0, 226, 0u}};
    for (const auto& [step, mouseY, chosen] : moves) {
        if (step) MoveChosenAnswer(step);
        if (mouseY) PlatformSetMouseCounters(210, mouseY);
        if (mouseY) TriggerStory();
        DlgMessage();
        SCOPED_TRACE(mouseY);
        EXPECT_EQ(std::tuple(gChosenAnswer, At(196, 226) == yellow, At(196, 246) == yellow,
                             At(215, 215 + 20 * chosen) == yellow),
                  std::tuple(chosen, chosen == 0, chosen == 1, true));
    }
    // The face is the speaker's look's face picture, above the box's left corner
    // and whole on the screen however high the box stands; a look without a face
    // shows none (never the figure the person walks with).
    const ArchiveFrame& want =
        SamplePictures().at(sample_art::kPeopleFirst).frames[sample_art::kActionFace];
    // The speaker's look, its place, and the face's top (-1: right above the box).
    const std::tuple<i32, u16, i32> cases[] = {{sample_art::kPeopleFirst, 300, -1},
                                               {sample_art::kPeopleFirst, 20, 0},
                                               {sample_art::kPortrait, 300, -2}};
    for (const auto& [act, y, faceTop] : cases) {
        SCOPED_TRACE(y);
        std::fill(canvas.begin(), canvas.end(), kBackground);
        ResetDialogs();
        ActPlayer look;
        ResetActPlayer(&look);
        std::tie(look.act, look.dir) = std::tuple(act, 1);
        ASSERT_EQ(TakeActData(&look), 1);
        AddRole(static_cast<u16>(40 + y), 320, y, &look);
        DialogRecord* box = Show(Spec(static_cast<u16>(40 + y), "Hello there%Q"));
        for (int i = 0; i < 5; ++i) DlgMessage();
        DialogDecor d = DialogDecorOf(*box);
        if (faceTop == -2) {
            EXPECT_EQ(d.faceW, 0);
            for (i32 yy = box->y - 8 - 48; yy < box->y - 16; ++yy)
                for (i32 x = box->x - 8; x < box->x + 24; ++x)
                    ASSERT_EQ(At(x, yy), kBackground) << x << "," << yy;
            continue;
        }
        ASSERT_EQ(
            std::tuple(d.faceW, d.faceH, d.faceX, d.faceY),
            std::tuple(want.w, want.h, box->x + 6, faceTop < 0 ? box->y - 8 - want.h : faceTop));
        // Every pixel of the face, right of the name marker (10 x 14 at x - 5, y - 15).
        for (i32 fy = 0; fy < want.h; ++fy)
            for (i32 fx = 0; fx < want.w; ++fx)
                ASSERT_EQ(At(d.faceX + fx, d.faceY + fy),
                          want.pixels[static_cast<size_t>(fy) * want.w + fx])
                    << fx << "," << fy;
    }
    // A box without a speaker has no face.
    DialogRecord plain;
    ASSERT_EQ(SetupDialog(&plain, Spec(0xFFFD, "Hello there%Q"), nullptr, 0), 1);
    EXPECT_EQ(DialogDecorOf(plain).faceW, 0);
}

TEST_F(DialogArt, MissingActsAreReportedOnceAndTheBoxStillShows) {
    // No archives at all: the frame, the caption plate and the drawing are
    // each reported once, and the box is drawn flat.
    DialogRecord* r = OpenBox(kDialogAct, "Bob");
    ASSERT_EQ(gDialogs.size(), 1u);
    for (const char* c :
         {"Act Err06(Dialog:Frame)", "Act Err07(Dialog:Caption)", "Act Err20(DlgMessage:Fr)"})
        EXPECT_EQ(BoxesCaptioned(c), 1) << c;
    EXPECT_EQ(std::tuple(At(r->x - 4, r->y - 4), At(r->x - 8, r->y - 8)),
              std::tuple(ConvertPixel(0x0C63), 0x7FFF));
    for (int i = 0; i < 20; ++i) DlgMessage();
    EXPECT_EQ(BoxesCaptioned("Act Err20(DlgMessage:Fr)"), 1) << "not once per frame";

    // An unknown frame act: its own box, and the box takes frame state 0.
    h.boxes().clear();
    DialogRecord rec;
    DialogSpec s = Spec(0xFFFD, "x%Q");
    s.frameAct = 1234;
    ASSERT_EQ(SetupDialog(&rec, s, nullptr, 0), 1);
    ASSERT_EQ(std::tuple(rec.frameState, BoxesCaptioned("SetupDialog")), std::tuple(0, 1));
    EXPECT_NE(h.boxes().back().text.find("1234"), std::string::npos);
}

TEST_F(DialogArt, LongCaptionsAndTheCountdown) {
    // 31 bytes fit: "a" and fifteen two-byte characters; the sixteenth would split.
    std::string caption = "a";
    for (int i = 0; i < 20; ++i) caption += B5("名");
    DialogRecord r;
    DialogSpec s = Spec(0xFFFD, "x%Q");
    ASSERT_EQ(SetupDialog(&r, s, caption.c_str(), 0), 1);
    EXPECT_EQ(std::strlen(r.caption), 31u);
    caption = caption.substr(1);
    ASSERT_EQ(SetupDialog(&r, s, caption.c_str(), 0), 1);
    EXPECT_EQ(std::string(r.caption), caption.substr(0, 30));
    OpenSampleArt();
    // The digit pictures from (x, y) on, each after the one before (the colon
    // is 6 wide, a digit 12), and nothing after the last.
    auto expectDigits = [this](i32 x, i32 y, std::initializer_list<u32> want) {
        for (u32 d : want) {
            EXPECT_EQ(At(x, y), InterfaceColor(kCountdownPic, d)) << d;
            EXPECT_EQ(At(x, y + 15), InterfaceColor(kCountdownPic, d)) << d;
            x += d == 10 ? 6 : 12;
        }
        EXPECT_EQ(At(x, y), kBackground) << "no more pictures";
    };
    // 12:05 with its tens digit.
    StartCountdown(12, 5, 3, 0);
    DrawCountdown(100, 50, 0);
    expectDigits(100, 50, {1, 2, 10, 0, 5});
    // 1:30 has no tens digit; the flag countdown shows only while flag 74 is set.
    std::fill(canvas.begin(), canvas.end(), kBackground);
    StartCountdown(1, 30, 0, 1);
    ClearGameFlag(74);
    DrawCountdown(200, 100, 1);
    EXPECT_EQ(At(200, 100), kBackground);
    SetGameFlag(74);
    DrawCountdown(200, 100, 1);
    expectDigits(200, 100, {1, 10, 3, 0});
    // A stopped story countdown draws nothing.
    std::fill(canvas.begin(), canvas.end(), kBackground);
    ClearGameFlag(16);
    DrawCountdown(100, 50, 0);
    EXPECT_EQ(At(100, 50), kBackground);
    // Digits outside the picture draw nothing and keep a digit's place.
    EXPECT_EQ(DrawCountdownDigit(0, 0, 11), 0);
    ResetPicLib();
    EXPECT_EQ(DrawCountdownDigit(300, 300, 3), 16);
    EXPECT_EQ(At(300, 300), kBackground);
}

constexpr u16 kInk = 0x7C00;

// The canvas with a map grid of the test's own.
struct TextTools : DialogArt {
    std::vector<u32> cells;

    void TearDown() override {
        gMap.cells = nullptr;
        gMap.width = gMap.height = 0;
        DialogArt::TearDown();
    }
    void UseMap(u32 w, u32 hgt) {
        cells.assign(static_cast<size_t>(w) * hgt, 0);
        gMap.width = w;
        gMap.height = hgt;
        gMap.cells = cells.data();
    }
    u32& Cell(u32 x, u32 y) { return cells[static_cast<size_t>(y) * gMap.width + x]; }
    int Count(u16 v) const { return static_cast<int>(std::count(canvas.begin(), canvas.end(), v)); }
    // The outline a cell should get, checked pixel by pixel: ink on the
    // square's edge, the canvas inside it and on either side of it.
    void ExpectSquare(i32 x, i32 y, i32 side) {
        for (i32 j = 0; j < side; ++j)
            for (i32 i = -1; i <= side; ++i) {
                bool edge =
                    i >= 0 && i < side && (j == 0 || j == side - 1 || i == 0 || i == side - 1);
                EXPECT_EQ(At(x + i, y + j), edge ? kInk : kBackground)
                    << x << "," << y << ": " << i << "," << j;
            }
    }
};

TEST_F(TextTools, FontPrintfAndCellFlags) {
    CreateGameFont(gSmallFont, 640, 480, 12);
    EXPECT_EQ(FontPrintf(canvas.data(), 20, 30, kInk, "HP %d/%d %s", 5, 12, "ok"), 10);
    std::vector<u16> want(640 * 480, kBackground);
    gSmallFont.DrawString(want.data(), 20, 30, "HP 5/12 ok", kInk, kStyleShadow);
    EXPECT_EQ(std::tuple(canvas == want, Count(kInk) > 20), std::tuple(true, true));
    // Nothing is drawn without a buffer, but the length still comes back.
    std::vector<u16> before = canvas;
    EXPECT_EQ(FontPrintf(nullptr, 0, 0, kInk, "%05d", 42), 5);
    EXPECT_EQ(FontPrintf(canvas.data(), 0, 0, kInk, nullptr), 0);
    EXPECT_EQ(canvas, before);
    std::string wide;
    for (int i = 0; i < 300; ++i) wide += B5("字");
    // 559 bytes are kept at most; 279 characters after a one-byte prefix fill them.
    EXPECT_EQ(FontPrintf(nullptr, 0, 0, kInk, "a%s", wide.c_str()), 559);
    // Without the prefix the 280th character would be split: it goes whole.
    EXPECT_EQ(FontPrintf(nullptr, 0, 0, kInk, "%s", wide.c_str()), 558);
    std::string ascii(700, 'x');
    EXPECT_EQ(FontPrintf(nullptr, 0, 0, kInk, "%s", ascii.c_str()), 559);
    CreateGameFont(gSmallFont, 640, 480, 12);
    EXPECT_EQ(FontPrintf(canvas.data(), 0, 400, kInk, "%s", wide.c_str()), 558);
    std::fill(canvas.begin(), canvas.end(), kBackground);
    UseMap(60, 50);
    // View at (20, 35): the grid starts at cell (2, 3), shifted by (4, 3) pixels.
    // Besides (5, 6): the first cell of the grid; the last column and row;
    // another bit, not drawn; the view's first column, outside the grid; past
    // the 38 columns; past the 28 rows.
    const std::tuple<u32, u32, u32> set[] = {
        {5, 6, 0x40000000}, {2, 3, 0x40000001},  {39, 30, 0x40000000}, {7, 7, 0x10000000},
        {1, 6, 0x40000000}, {40, 6, 0x40000000}, {5, 31, 0x40000000}};
    for (auto [x, y, bits] : set) Cell(x, y) = bits;
    DrawCellFlags(0x40000000, kInk, 20, 35, 2);
    auto screen = [](u32 c, i32 view) { return static_cast<i32>(c) * 16 - view + 2; };
    for (auto [cx, cy] : {std::pair{5u, 6u}, {2u, 3u}, {39u, 30u}})
        ExpectSquare(screen(cx, 20), screen(cy, 35), 13);
    EXPECT_EQ(Count(kInk), 3 * 4 * 12) << "three outlines and nothing else";

    // Inset 0 draws 15-pixel squares at the cell's corner; the mask matches any bit.
    std::fill(canvas.begin(), canvas.end(), kBackground);
    DrawCellFlags(0x10000001, kInk, 16, 32, 0);
    ExpectSquare(2 * 16 - 16, 3 * 16 - 32, 15);
    ExpectSquare(7 * 16 - 16, 7 * 16 - 32, 15);
    EXPECT_EQ(Count(kInk), 2 * 4 * 14);
    std::fill(canvas.begin(), canvas.end(), kBackground);
    UseMap(10, 8);
    for (u32& c : cells) c = 0x00800000;
    // A view hanging off the map's top left: only real cells are read and drawn.
    DrawCellFlags(0x00800000, kInk, -100, -70, 8);
    EXPECT_EQ(Count(kInk), 80 * 4 * 6) << "every cell of the 10 x 8 map, once";
    // A view far past the map draws nothing; bad insets and a missing grid are ignored.
    std::fill(canvas.begin(), canvas.end(), kBackground);
    DrawCellFlags(0x00800000, kInk, 5000, 5000, 0);
    DrawCellFlags(0x00800000, kInk, 0, 0, 15);
    DrawCellFlags(0x00800000, kInk, 0, 0, -1);
    gMap.cells = nullptr;
    DrawCellFlags(0x00800000, kInk, 0, 0, 0);
    EXPECT_EQ(Count(kInk), 0);
}

// ---- The voice: one sample file as the current voice, heard through the mixer ----

TEST_F(SoundTest, OneVoiceAtATimeBadFilesAndAClosedOutput) {
    Write("PicLib/all.snd", MakeSoundBank({{1, {1, Tone(300, 50)}}}));
    ASSERT_TRUE(gSound.Init(Root().c_str()));
    auto voiceFile = [this](const std::string& name, const std::vector<u8>& bytes) {
        Write("Voice/" + name, bytes);
        return Root() + "Voice/" + name;
    };
    std::string low = voiceFile("low.wav", Tone(440, 2000));
    std::string high = voiceFile("high.wav", Tone(880, 2000));
    ASSERT_EQ(PlayVoice(low.c_str(), 11), 1);
    Pull(50);
    int voices = AudioMixer().ActiveVoices();
    ASSERT_EQ(PlayVoice(high.c_str(), 11), 1);
    EXPECT_EQ(AudioMixer().ActiveVoices(), voices) << "one voice at a time";
    EXPECT_NEAR(ToneHz(Pull(100)), 880, 25);
    // Many voices in a row never hold more than one handle.
    for (int i = 0; i < 40; ++i) ASSERT_EQ(PlayVoice(low.c_str(), 11), 1);
    EXPECT_EQ(AudioMixer().ActiveVoices(), voices);
    StopVoice();
    EXPECT_EQ(std::tuple(VoicePlaying(), Rms(Pull(50))), std::tuple(0, 0));
    StopVoice();  // nothing playing: fine
    // Missing or bad files play nothing.
    std::vector<u8> cut = Tone(440, 200);
    cut.resize(30);  // a header that promises data it does not hold
    const std::pair<std::string, const char*> cases[] = {
        {Root() + "Voice/none.wav", "missing"},
        {voiceFile("junk.wav", std::vector<u8>(400, 0x5A)), "not a sound"},
        {voiceFile("cut.wav", cut), "cut short"},
        {voiceFile("tiny.wav", {'R', 'I', 'F'}), "too small"},
        {"", "no name"}};
    for (const auto& [path, why] : cases) {
        ASSERT_EQ(PlayVoice(low.c_str(), 11), 1);
        EXPECT_EQ(PlayVoice(path.c_str(), 11), 0) << why;
        EXPECT_EQ(path.empty() ? path : LastDataError().file, path) << why;
        // The voice before is ended all the same.
        EXPECT_EQ(std::tuple(VoicePlaying(), Rms(Pull(30))), std::tuple(0, 0)) << why;
    }
    EXPECT_EQ(PlayVoice(nullptr, 11), 0);
    ASSERT_EQ(PlayVoice(low.c_str(), 11), 1);
    gSound.Release();
    EXPECT_EQ(VoicePlaying(), 0);
    StopVoice();
    EXPECT_EQ(PlayVoice(low.c_str(), 11), 0);
    // Opened again, the voice plays on the new output.
    ASSERT_TRUE(gSound.Init(Root().c_str()));
    ASSERT_EQ(PlayVoice(low.c_str(), 11), 1) << LastDataError().Message();
    EXPECT_GT(Rms(Pull(50)), 2000);
}

}  // namespace
