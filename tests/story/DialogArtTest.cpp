// Dialogue boxes drawn from the dialogue act: frames, caption plates, the
// speaker's face, missing acts; the sample's dialogue and icon acts.
#include <gtest/gtest.h>

#include "engine/GrpFont.h"
#include "engine/PicPaint.h"
#include "engine/PixelFormat.h"
#include "engine/Tsw.h"
#include "map/ActDraw.h"
#include "mhdata/Archives.h"
#include "mhdata/InterfaceArt.h"
#include "platform/TextCodec.h"
#include "data/GameFlags.h"
#include "story/Countdowns.h"
#include "story/StoryTestUtil.h"
#include "story/TextTools.h"

namespace {

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
        s.frameAct = frameAct;
        s.x = 200;
        s.y = 300;
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

// Every action of both acts loads with its picture (the box test draws them).
TEST_F(DialogArt, SampleSystemArchiveHoldsTheDialogueAndIconActs) {
    OpenSampleArt();
    const std::pair<i32, std::vector<i32>> acts[] = {
        {kDialogAct, {0, 1, 2, 3, 4, 5, 6, 7, 52, 55, 57}}, {9006, {0, 1, 5, 11}}};
    for (const auto& [act, actions] : acts) {
        for (i32 action : actions) {
            ActPlayer p;
            ResetActPlayer(&p);
            p.act = act;
            p.action = action;
            ASSERT_EQ(TakeActData(&p), 1) << act << "/" << action << ": " << ActLastError();
            EXPECT_NE(GetPic(p.pic, p.frame), nullptr) << act << "/" << action;
        }
    }
}

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

// Title buttons (normal, hover): new game, load, settings, quit; the menu tabs
// (two looks each); the map's four HUD icons (one look each); the shop's tabs
// (buy, sell, strengthen, leave; normal looks 1..4, current 5..8); the save
// tool's page arrows: each caption centred, both looks saying the same, no two
// captions alike.
TEST_F(DialogArt, ButtonsTabsAndHudIconsCarryTheirCaptions) {
    OpenSampleArt();
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
        EXPECT_EQ(r->frameState, k);
        // The margin around the text is the frame's colour, the edge is white.
        EXPECT_EQ(At(r->x - 4, r->y - 4), DialogColour(k)) << frameAct;
        EXPECT_EQ(At(r->x + r->w + 3, r->y + r->h + 3), DialogColour(k)) << frameAct;
        EXPECT_EQ(At(r->x - 8, r->y - 8), 0x7FFF) << frameAct;
        EXPECT_EQ(At(r->x - 9, r->y - 9), kBackground) << "nothing outside the box";
        // The caption plate sits above the box and carries the caption's ink.
        DialogDecor d = DialogDecorOf(*r);
        EXPECT_EQ(d.capY + d.capH, r->y - 8);
        EXPECT_EQ(At(d.capX + 1, d.capY + 1), DialogColour(kCaptionActionBase + k)) << frameAct;
        EXPECT_EQ(At(d.capX + d.capW - 1, d.capY + d.capH - 1),
                  DialogColour(kCaptionActionBase + k));
        int ink = 0;
        for (i32 y = d.capY; y < d.capY + d.capH; ++y)
            for (i32 x = d.capX; x < d.capX + d.capW; ++x)
                ink += At(x, y) != DialogColour(kCaptionActionBase + k);
        EXPECT_GT(ink, 10) << "the caption's letters";
    }
    EXPECT_TRUE(h.boxes().empty());
}

TEST_F(DialogArt, SpeakerFaceIsDrawnAboveTheBox) {
    OpenSampleArt();
    ActPlayer look;
    ResetActPlayer(&look);
    look.act = sample_art::kPeopleFirst;
    look.dir = 1;
    ASSERT_EQ(TakeActData(&look), 1);
    AddRole(40, 320, 300, &look);
    DialogSpec s = Spec(40, "Hello there%Q");
    DialogRecord* box = Show(s);
    for (int i = 0; i < 5; ++i) DlgMessage();
    DialogDecor d = DialogDecorOf(*box);
    ASSERT_EQ(d.faceW, static_cast<i32>(sample_art::kPeopleW));
    ASSERT_EQ(d.faceH, static_cast<i32>(sample_art::kPeopleH));
    EXPECT_EQ(d.faceX, box->x - 8);
    EXPECT_EQ(d.faceY + d.faceH, box->y - 8);
    // Every pixel of the face is the person's frame, key pixels show what lies
    // under; the name marker (10 x 14 at x - 5, y - 15) stands over its corner.
    const ArchiveFrame& want = SamplePictures().at(sample_art::kPeopleFirst).frames[look.frame];
    int opaque = 0;
    for (i32 y = 0; y < want.h; ++y)
        for (i32 x = 0; x < want.w; ++x) {
            u16 w = want.pixels[static_cast<size_t>(y) * want.w + x];
            i32 sx = d.faceX + x, sy = d.faceY + y;
            bool marker =
                sx >= box->x - 5 && sx < box->x + 5 && sy >= box->y - 15 && sy < box->y - 1;
            if (w == 619 || marker) continue;
            ++opaque;
            ASSERT_EQ(At(d.faceX + x, d.faceY + y), w) << x << "," << y;
        }
    EXPECT_GT(opaque, 100);
    // A box without a speaker has no face.
    DialogRecord plain;
    s.speaker = 0xFFFD;
    ASSERT_EQ(SetupDialog(&plain, s, nullptr, 0), 1);
    EXPECT_EQ(DialogDecorOf(plain).faceW, 0);
}

TEST_F(DialogArt, MissingActsAreReportedOnceAndTheBoxStillShows) {
    // No archives at all: the frame, the caption plate and the drawing are
    // each reported once, and the box is drawn flat.
    DialogRecord* r = OpenBox(kDialogAct, "Bob");
    ASSERT_EQ(gDialogs.size(), 1u);
    EXPECT_EQ(BoxesCaptioned("Act Err06(Dialog:Frame)"), 1);
    EXPECT_EQ(BoxesCaptioned("Act Err07(Dialog:Caption)"), 1);
    EXPECT_EQ(BoxesCaptioned("Act Err20(DlgMessage:Fr)"), 1);
    EXPECT_EQ(At(r->x - 4, r->y - 4), ConvertPixel(0x0C63));
    EXPECT_EQ(At(r->x - 8, r->y - 8), 0x7FFF);
    for (int i = 0; i < 20; ++i) DlgMessage();
    EXPECT_EQ(BoxesCaptioned("Act Err20(DlgMessage:Fr)"), 1) << "not once per frame";

    // An unknown frame act: its own box, and the box takes frame state 0.
    h.boxes().clear();
    DialogRecord rec;
    DialogSpec s = Spec(0xFFFD, "x%Q");
    s.frameAct = 1234;
    ASSERT_EQ(SetupDialog(&rec, s, nullptr, 0), 1);
    EXPECT_EQ(rec.frameState, 0);
    ASSERT_EQ(BoxesCaptioned("SetupDialog"), 1);
    EXPECT_NE(h.boxes().back().text.find("1234"), std::string::npos);
}

TEST_F(DialogArt, LongCaptionIsCutOnACharacterBoundary) {
    // 31 bytes fit: "a" and fifteen two-byte characters; the sixteenth would split.
    std::string caption = "a";
    for (int i = 0; i < 20; ++i) caption += B5("名");
    DialogRecord r;
    DialogSpec s = Spec(0xFFFD, "x%Q");
    ASSERT_EQ(SetupDialog(&r, s, caption.c_str(), 0), 1);
    EXPECT_EQ(std::strlen(r.caption), 31u);
    caption = caption.substr(1);
    ASSERT_EQ(SetupDialog(&r, s, caption.c_str(), 0), 1);
    EXPECT_EQ(std::strlen(r.caption), 30u);
    EXPECT_EQ(std::string(r.caption), caption.substr(0, 30));
}

TEST_F(DialogArt, CountdownIsDrawnFromTheDigitPicture) {
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

}  // namespace
