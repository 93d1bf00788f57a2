// Dialogue boxes drawn from the dialogue act: frames, caption plates, the
// speaker's face, missing acts; the sample's dialogue and icon acts.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>

#include "engine/DDraw.h"
#include "engine/GrpFont.h"
#include "engine/MyAct.h"
#include "engine/PicPaint.h"
#include "engine/PixelFormat.h"
#include "engine/Tsw.h"
#include "map/ActDraw.h"
#include "shell/Main.h"
#include "mhdata/Archives.h"
#include "mhdata/InterfaceArt.h"
#include "platform/Display.h"
#include "platform/TextCodec.h"
#include "data/GameFlags.h"
#include "story/Countdowns.h"
#include "story/Dialog.h"
#include "story/StoryTestUtil.h"
#include "story/TextTools.h"
#include "support/SampleSession.h"

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
    DialogRecord* OpenBox(u16 frameAct, const char* caption, const char* text = "Hi%Q") {
        DialogSpec s;
        s.frameAct = frameAct;
        s.text = text;
        s.textLen = static_cast<u32>(std::strstr(text, "%Q") - text);
        s.x = 200;
        s.y = 300;
        auto r = std::make_unique<DialogRecord>();
        EXPECT_EQ(SetupDialog(r.get(), s, caption, 1), 1);
        DialogRecord* box = r.get();
        AppendDialog(std::move(r));
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

TEST_F(DialogArt, SampleSystemArchiveHoldsTheDialogueAndIconActs) {
    OpenSampleArt();
    // Each action of both acts loads and plays its own flat colour.
    struct Act {
        i32 act;
        std::vector<i32> actions;
    };
    const Act acts[] = {{kDialogAct, {0, 1, 2, 3, 4, 5, 6, 7, 52, 55, 57}}, {9006, {0, 1, 5, 11}}};
    for (const Act& a : acts) {
        for (i32 action : a.actions) {
            ActPlayer p;
            ResetActPlayer(&p);
            p.act = a.act;
            p.action = action;
            ASSERT_EQ(TakeActData(&p), 1) << a.act << "/" << action << ": " << ActLastError();
            PicFrame* f = GetPic(p.pic, p.frame);
            ASSERT_NE(f, nullptr) << a.act << "/" << action << ": " << PicLastError();
            std::fill(canvas.begin(), canvas.end(), kBackground);
            DrawActPicture(&p, 100 + p.xOff, 100 + p.yOff, 0);
            u16 want = InterfaceColor(static_cast<u32>(a.act), static_cast<u32>(action));
            EXPECT_EQ(At(100, 100), want) << a.act << "/" << action;
            EXPECT_EQ(At(100 + f->width - 1, 100 + f->height - 1), want) << a.act << "/" << action;
            EXPECT_EQ(At(100 + f->width, 100), kBackground) << a.act << "/" << action;
        }
    }
    // The map screen draws picture 9006 by its own number: its first four frames.
    for (u16 k = 0; k < 4; ++k) EXPECT_NE(GetPic(9006, k), nullptr) << k << ": " << PicLastError();
}

// The ink of a caption: white pixels of a frame drawn at the canvas's corner,
// their box and their mask.
struct Ink {
    int count = 0, left = 1 << 20, right = -1, top = 1 << 20, bottom = -1;
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
            k.top = std::min(k.top, y);
            k.bottom = std::max(k.bottom, y);
        }
    return k;
}

TEST_F(DialogArt, ButtonsTabsAndHudIconsCarryTheirCaptions) {
    OpenSampleArt();
    struct Set {
        u16 pic, first;
        int captions, chars[4];  // characters of each caption
    };
    // Title buttons (normal, hover): new game, load, settings, quit; the menu
    // tabs (two looks each); the map's four HUD icons (one look each).
    const Set sets[] = {
        {10002, 7, 4, {3, 4, 4, 4}}, {10900, 16, 4, {2, 2, 2, 2}}, {9006, 0, 4, {1, 1, 1, 1}}};
    for (const Set& s : sets) {
        int looks = s.pic == 9006 ? 1 : 2;
        std::vector<std::vector<bool>> masks;
        for (int c = 0; c < s.captions; ++c) {
            for (int l = 0; l < looks; ++l) {
                u16 frame = static_cast<u16>(s.first + c * looks + l);
                const PicFrame* f = GetPic(s.pic, frame);
                ASSERT_NE(f, nullptr) << s.pic << "/" << frame;
                std::fill(canvas.begin(), canvas.end(), kBackground);
                DrawPicFrame(s.pic, frame, 0, 0);
                Ink ink = InkOf(canvas, f->width, f->height);
                ASSERT_GT(ink.count, 12) << s.pic << "/" << frame;
                // Centred, inside the frame, each character about one em wide.
                EXPECT_LE(std::abs(ink.left + ink.right + 1 - f->width), 6)
                    << s.pic << "/" << frame;
                EXPECT_LE(std::abs(ink.top + ink.bottom + 1 - f->height), 8)
                    << s.pic << "/" << frame;
                int span = ink.right - ink.left + 1, em = f->height >= 50 ? 20 : 16;
                EXPECT_GT(span, (s.chars[c] - 1) * em) << s.pic << "/" << frame;
                EXPECT_LE(span, s.chars[c] * em + 2) << s.pic << "/" << frame;
                EXPECT_EQ(At(0, 0), InterfaceColor(s.pic == 9006 ? 9006 : s.pic - 1000, frame));
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

TEST_F(DialogArt, FrameActChoosesTheFrameState) {
    struct Case {
        u16 frameAct;
        int state;
    };
    for (Case c : {Case{0, 0}, Case{1, 1}, Case{3, 3}, Case{kDialogAct, 1}})
        EXPECT_EQ(DialogFrameIndex(c.frameAct), c.state) << c.frameAct;
    for (u16 bad : {4, 9004, 9006, 9900, 0xFFFF}) EXPECT_EQ(DialogFrameIndex(bad), -1) << bad;
}

TEST_F(DialogArt, BoxIsDrawnWithItsFrameAndCaptionPlate) {
    OpenSampleArt();
    CreateGameFont(gMainFont, 640, 480, 16);
    for (u16 frameAct : {u16{0}, u16{2}, u16{kDialogAct}}) {
        std::fill(canvas.begin(), canvas.end(), kBackground);
        ResetDialogs();
        DialogRecord* r = OpenBox(frameAct, "Ann");
        int k = DialogFrameIndex(frameAct);
        ASSERT_FALSE(gDialogs.empty());
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
    DialogSpec s;
    s.speaker = 40;
    s.text = "Hello there%Q";
    s.textLen = 11;
    auto r = std::make_unique<DialogRecord>();
    ASSERT_EQ(SetupDialog(r.get(), s, nullptr, 0), 1);
    DialogRecord* box = r.get();
    AppendDialog(std::move(r));
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
    DialogSpec s;
    s.frameAct = 1234;
    s.text = "x%Q";
    s.textLen = 1;
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
    DialogSpec s;
    s.text = "x%Q";
    s.textLen = 1;
    ASSERT_EQ(SetupDialog(&r, s, caption.c_str(), 0), 1);
    EXPECT_EQ(std::strlen(r.caption), 31u);
    caption = caption.substr(1);
    ASSERT_EQ(SetupDialog(&r, s, caption.c_str(), 0), 1);
    EXPECT_EQ(std::strlen(r.caption), 30u);
    EXPECT_EQ(std::string(r.caption), caption.substr(0, 30));
}

TEST_F(DialogArt, CountdownIsDrawnFromTheDigitPicture) {
    OpenSampleArt();
    auto colour = [](u32 d) { return InterfaceColor(kCountdownPic, d); };
    // 12:05 with its tens digit, each digit after the one before.
    StartCountdown(12, 5, 3, 0);
    DrawCountdown(100, 50, 0);
    const u32 want[] = {1, 2, 10, 0, 5};
    i32 x = 100;
    for (u32 d : want) {
        EXPECT_EQ(At(x, 50), colour(d)) << d;
        EXPECT_EQ(At(x, 65), colour(d)) << d;
        x += d == 10 ? 6 : 12;
    }
    EXPECT_EQ(At(x, 50), kBackground) << "five pictures and no more";
    // 1:30 has no tens digit; the flag countdown shows only while flag 74 is set.
    std::fill(canvas.begin(), canvas.end(), kBackground);
    StartCountdown(1, 30, 0, 1);
    ClearGameFlag(74);
    DrawCountdown(200, 100, 1);
    EXPECT_EQ(At(200, 100), kBackground);
    SetGameFlag(74);
    DrawCountdown(200, 100, 1);
    EXPECT_EQ(At(200, 100), colour(1));
    EXPECT_EQ(At(212, 100), colour(10));
    EXPECT_EQ(At(218, 100), colour(3));
    EXPECT_EQ(At(230, 100), colour(0));
    EXPECT_EQ(At(242, 100), kBackground);
    // Digits outside the picture draw nothing and keep a digit's place.
    EXPECT_EQ(DrawCountdownDigit(0, 0, 11), 0);
    ResetPicLib();
    EXPECT_EQ(DrawCountdownDigit(300, 300, 3), 16);
    EXPECT_EQ(At(300, 300), kBackground);
}

// The sample game through the real tick: the opening talk's box on the canvas
// is the dialogue act's frame 0, and neither act is reported missing.
struct DialogArtSample : ::testing::Test {
    Harness h;
    SampleSession s{h};
};

TEST_F(DialogArtSample, OpeningBoxShowsTheSampleFrame) {
    s.NewGameFromTheTitle();
    ASSERT_TRUE(
        h.RunUntil([] { return !gDialogs.empty() && (gDialogs[0]->flags & kDlgShown); }, 40));
    h.RunFrames(1);
    ASSERT_FALSE(gDialogs.empty());
    const DialogRecord& r = *gDialogs[0];
    i32 pitch = 0;
    u16* px = DisplayLock(gDrawSurface, &pitch);
    ASSERT_NE(px, nullptr);
    u16 margin = px[(r.y + r.h + 4) * (pitch / 2) + r.x + r.w + 4];  // clear of the name marker
    DisplayUnlock(gDrawSurface);
    EXPECT_EQ(margin, ConvertPixel(InterfaceColor(kDialogAct, static_cast<u32>(r.frameState))));
    EXPECT_EQ(std::string(ActLastError()).find("9005"), std::string::npos) << ActLastError();
    EXPECT_EQ(std::string(PicLastError()).find("9006"), std::string::npos) << PicLastError();
    EXPECT_TRUE(h.boxes().empty());
}

}  // namespace
