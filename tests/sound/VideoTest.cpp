// Video playback: frames of known colours land in the 16-bit target at their
// due times; Esc stops the video; a missing file stops at once.
#include "mhdata/SoundData.h"
#include "SoundFixture.h"
#include "engine/DDraw.h"
#include "engine/PixelFormat.h"
#include "data/Config.h"
#include "mhdata/Archives.h"
#include "support/Harness.h"
#include "platform/Display.h"

namespace {
u16 To565(u32 c) {
    return static_cast<u16>((((c >> 16) & 0xFF) >> 3) << 11 | (((c >> 8) & 0xFF) >> 2) << 5 | ((c & 0xFF) >> 3));
}
}  // namespace

class Video : public SoundTest {
protected:
    void SetUp() override {
        SoundTest::SetUp();
        Write("Video/TEST.BIK", MakeSolidVideo(32, 16, kSampleVideoColours, 10));
        screen_.assign(640 * 480, 0x1234);
        gVideoTarget.pixels = screen_.data();
        gVideoTarget.pitch = 640 * 2;
        gVideoTarget.height = 480;
        gVideoTarget.rowOffset = 100;
        gVideoTarget.present = [this] { ++presents_; };
        gVideoTarget.afterStop = [this] { ++stops_; };
        InitBinkOutput(VideoPixels::Rgb565, 0, nullptr);
        PlatformSetVirtualTime(1000);
    }
    std::vector<u16> screen_;
    int presents_ = 0;
    int stops_ = 0;
};

TEST_F(Video, EveryFrameLandsAtItsDueTime) {
    std::string path = Root() + "Video\\TEST.BIK";
    ASSERT_TRUE(StartVideo(path.c_str(), 100));
    EXPECT_TRUE(gRunState & kRunVideo);
    ASSERT_NE(gBinkPlayer, nullptr);
    EXPECT_EQ(gBinkPlayer->Summary().frames, kSampleVideoColours.size());
    EXPECT_EQ(gBinkPlayer->Volume(), 100 * 32768 / 127);
    for (size_t f = 0; f < kSampleVideoColours.size(); ++f) {
        EXPECT_EQ(GetVideoFrame(), static_cast<int>(f + 1));
        StepVideo();
        u16 want = To565(kSampleVideoColours[f]);
        for (int y = 100; y < 116; ++y)
            for (int x = 0; x < 32; ++x) ASSERT_EQ(screen_[static_cast<size_t>(y) * 640 + x], want) << f << " " << x << "," << y;
        EXPECT_EQ(screen_[99 * 640], 0x1234);   // above the row offset
        EXPECT_EQ(screen_[100 * 640 + 32], 0x1234);  // right of the frame
        EXPECT_EQ(screen_[116 * 640], 0x1234);  // below it
        if (f + 1 == kSampleVideoColours.size()) break;
        // Not yet due: the next pass decodes nothing.
        PlatformAdvanceTime(50);
        StepVideo();
        EXPECT_EQ(screen_[100 * 640], want);
        EXPECT_EQ(GetVideoFrame(), static_cast<int>(f + 2));
        PlatformAdvanceTime(50);
    }
    EXPECT_FALSE(gRunState & kRunVideo);
    EXPECT_EQ(gBinkPlayer, nullptr);
    EXPECT_EQ(GetVideoFrame(), -1);
    EXPECT_EQ(stops_, 1);
    EXPECT_EQ(presents_, static_cast<int>(kSampleVideoColours.size()));
}

TEST_F(Video, EscStopsAndAQuitDuringTheVideoClosesTheWindow) {
    std::string path = Root() + "Video\\TEST.BIK";
    ASSERT_TRUE(StartVideo(path.c_str(), 100));
    StepVideo();
    gRunState |= kRunQuit;
    StopVideo();
    EXPECT_FALSE(gRunState & kRunVideo);
    EXPECT_EQ(GetVideoFrame(), -1);
    EXPECT_EQ(stops_, 1);
}

TEST_F(Video, MissingOrGarbageFileStopsAtOnce) {
    std::string path = Root() + "Video\\NONE.BIK";
    EXPECT_FALSE(StartVideo(path.c_str(), 100));
    EXPECT_FALSE(gRunState & kRunVideo);
    EXPECT_EQ(stops_, 1);
    EXPECT_EQ(screen_[100 * 640], 0x1234);
    Write("Video/BAD.BIK", std::vector<u8>(2000, 0x5A));
    path = Root() + "Video\\BAD.BIK";
    EXPECT_FALSE(StartVideo(path.c_str(), 100));
    EXPECT_EQ(presents_, 0);
}

TEST_F(Video, ScriptCommandReadsTheNameToItsMark) {
    std::vector<u8> script = {0x12, 0x34};
    for (char c : std::string("TEST.BIK")) script.push_back(static_cast<u8>(c));
    script.push_back(0x25);
    script.push_back(0x51);
    script.push_back(0x99);
    u32 ip = 0;
    ScriptPlayVideo(Root().c_str(), script.data(), static_cast<u32>(script.size()), &ip);
    EXPECT_EQ(ip, script.size() - 1);
    ASSERT_NE(gBinkPlayer, nullptr);
    EXPECT_TRUE(gBinkPlayer->IsOpen());
    // No end mark: the name stops at the script's end and nothing is read past it.
    std::vector<u8> open = {0x12, 0x34, 'A', 'B'};
    ip = 0;
    ScriptPlayVideo(Root().c_str(), open.data(), static_cast<u32>(open.size()), &ip);
    EXPECT_EQ(ip, open.size());
    EXPECT_EQ(gBinkPlayer, nullptr);
}

TEST_F(Video, GotoAndPause) {
    std::string path = Root() + "Video\\TEST.BIK";
    ASSERT_TRUE(StartVideo(path.c_str(), 100));
    StepVideo();
    gBinkPlayer->Goto(5);
    StepVideo();
    EXPECT_EQ(screen_[100 * 640], To565(kSampleVideoColours[4]));
    PauseVideo(true);
    PlatformAdvanceTime(1000);
    StepVideo();
    EXPECT_EQ(GetVideoFrame(), 6);
    PauseVideo(false);
    PlatformAdvanceTime(100);
    StepVideo();
    EXPECT_EQ(screen_[100 * 640], To565(kSampleVideoColours[5]));
    gBinkPlayer->Goto(2);
    PlatformAdvanceTime(100);
    StepVideo();
    EXPECT_EQ(screen_[100 * 640], To565(kSampleVideoColours[1]));
}

namespace {
u16 To555(u32 c) {
    return static_cast<u16>((((c >> 16) & 0xFF) >> 3) << 10 | (((c >> 8) & 0xFF) >> 3) << 5 | ((c & 0xFF) >> 3));
}
}  // namespace

// The same video through a headless display: frames go into the primary
// surface and each one is shown.
class VideoOnPrimary : public SoundTest {
protected:
    void SetUp() override {
        SoundTest::SetUp();
        ResetDDraw();
        Write("Video/TEST.BIK", MakeSolidVideo(32, 16, kSampleVideoColours, 10));
        PlatformSetVirtualTime(1000);
    }
    void TearDown() override {
        ResetDDraw();
        SoundTest::TearDown();
    }
    // Plays the whole video, checking the primary and the shown frame after each step.
    void PlayAndCheck(u16 (*pack)(u32)) {
        DisplaySurface* primary = gDDraw.GetSurface(kSurfacePrimary);
        ASSERT_NE(primary, nullptr);
        DisplayFill(primary, nullptr, 0x1234);
        std::string path = Root() + "Video\\TEST.BIK";
        ASSERT_TRUE(StartVideo(path.c_str(), 100));
        u32 shownBefore = DisplayFrameCount();
        for (size_t f = 0; f < kSampleVideoColours.size(); ++f) {
            StepVideo();
            ASSERT_EQ(DisplayFrameCount(), shownBefore + f + 1) << f;
            i32 pitch = 0;
            const u16* px = DisplayLock(primary, &pitch);
            DisplayUnlock(primary);
            const std::vector<u16>& shown = DisplayFrames().back();
            u16 want = pack(kSampleVideoColours[f]);
            for (int y = 0; y < 480; ++y)
                for (int x = 0; x < 640; ++x) {
                    size_t at = static_cast<size_t>(y) * (pitch / 2) + x;
                    u16 expect = (x < 32 && y < 16) ? want : 0x1234;
                    ASSERT_EQ(px[at], expect) << "frame " << f << " at " << x << "," << y;
                    ASSERT_EQ(shown[static_cast<size_t>(y) * 640 + x], expect) << "shown " << f;
                }
            PlatformAdvanceTime(100);
        }
        EXPECT_FALSE(gRunState & kRunVideo);
    }
};

TEST_F(VideoOnPrimary, FramesLandInThePrimaryAndAreShown) {
    EXPECT_FALSE(BindVideoToPrimary());  // no display yet: nothing bound
    EXPECT_EQ(gVideoTarget.pixels, nullptr);
    ASSERT_EQ(gDDraw.Create(nullptr, kDisplayWindowed, 640, 480, 16), 1);
    ASSERT_TRUE(BindVideoToPrimary());
    EXPECT_EQ(gVideoTarget.pitch, 640u * 2);
    EXPECT_EQ(gVideoTarget.height, 480u);
    EXPECT_EQ(gVideoTarget.layout, VideoPixels::Rgb565);
    // The windowed back surface holds something else: the video must not be covered by it.
    DisplayFill(gDDraw.GetSurface(kSurfaceBack), nullptr, 0x7777);
    PlayAndCheck(To565);
}

TEST_F(VideoOnPrimary, FiveFiveFiveDisplayGetsItsLayout) {
    DisplaySetMasks(0x7C00, 0x03E0, 0x001F);
    ASSERT_EQ(gDDraw.Create(nullptr, kDisplayFullScreen, 640, 480, 16), 1);
    ASSERT_TRUE(BindVideoToPrimary());
    EXPECT_EQ(gVideoTarget.layout, VideoPixels::Rgb555);
    PlayAndCheck(To555);
}

TEST_F(VideoOnPrimary, ADisplayMadeAgainIsFollowed) {
    ASSERT_EQ(gDDraw.Create(nullptr, kDisplayFullScreen, 640, 480, 16), 1);
    ASSERT_TRUE(BindVideoToPrimary());
    // The display is released and made again (a mode switch): the video writes
    // into the new primary, never the freed one.
    gDDraw.Release();
    ResetDDraw();
    ASSERT_EQ(gDDraw.Create(nullptr, kDisplayFullScreen, 640, 480, 16), 1);
    PlayAndCheck(To565);
    // No display at all: the video still runs to its end and stops.
    ResetDDraw();
    std::string path = Root() + "Video\\TEST.BIK";
    ASSERT_TRUE(StartVideo(path.c_str(), 100));
    for (int i = 0; i < 40 && (gRunState & kRunVideo); ++i) {
        StepVideo();
        PlatformAdvanceTime(100);
    }
    EXPECT_FALSE(gRunState & kRunVideo);
}

// The overlay act that a script sets while a video plays is drawn over every
// frame, centred, its bottom 5 pixels above the screen's (until frame 220).
TEST(VideoOverlay, TheActIsDrawnCentredAtTheBottomOfEachFrame) {
    Harness h;
    h.WriteSample();
    h.StartGame();
    std::string path = std::string(gBasePath) + "Video\\MH OPENING.BIK";
    EXPECT_EQ(SetBinkOverLap(static_cast<i32>(sample_art::kBattleUnderlay), 0), 0) << "no video";
    ASSERT_TRUE(StartVideo(path.c_str(), 100));
    EXPECT_EQ(SetBinkOverLap(static_cast<i32>(sample_art::kBattleUnderlay), 0), 1);
    DisplaySurface* primary = gDDraw.GetSurface(kSurfacePrimary);
    ASSERT_NE(primary, nullptr);
    DisplayFill(primary, nullptr, 0x1234);
    StepVideo();
    i32 pitch = 0;
    const u16* px = DisplayLock(primary, &pitch);
    DisplayUnlock(primary);
    ASSERT_NE(px, nullptr);
    auto at = [&](i32 x, i32 y) { return px[static_cast<size_t>(y) * (pitch / 2) + x]; };
    const ArchiveFrame& f = SamplePictures().at(sample_art::kBattleUnderlay).frames[0];
    u16 want = ConvertPixel(f.pixels[0]);
    // 64 x 64 at x = (640 - 64) / 2 = 288, y = 475 - 64 = 411.
    EXPECT_EQ(at(288, 411), want);
    EXPECT_EQ(at(351, 474), want);
    EXPECT_EQ(at(287, 420), 0x1234);
    EXPECT_EQ(at(352, 420), 0x1234);
    EXPECT_EQ(at(300, 410), 0x1234);
    EXPECT_EQ(at(300, 475), 0x1234);
    StopVideo();
    EXPECT_EQ(SetBinkOverLap(1, 0), 0);
}
