// Video playback into the display's primary: frames of known colours land at
// their due times and are shown; goto, pause and stop; bad files and script
// names; the overlay act a script sets.
#include "SoundFixture.h"
#include "data/Config.h"
#include "engine/DDraw.h"
#include "engine/FrameState.h"
#include "engine/PixelFormat.h"
#include "mhdata/Archives.h"
#include "platform/Display.h"

namespace {
// An RGB colour packed with five bits of red and blue and `green` bits of green.
u16 Pack(u32 c, int green = 6) {
    return static_cast<u16>((((c >> 16) & 0xFF) >> 3) << (5 + green) |
                            (((c >> 8) & 0xFF) >> (8 - green)) << 5 | ((c & 0xFF) >> 3));
}
}  // namespace

class Video : public SoundTest {
protected:
    void SetUp() override {
        Write("Video/TEST.BIK", MakeSolidVideo(32, 16, kSampleVideoColours, 10));
        PlatformSetVirtualTime(1000);
    }
    // Makes the display and points the video at its primary.
    void Bind(int mode = kDisplayFullScreen) {
        ASSERT_EQ(gDDraw.Create(nullptr, mode, 640, 480, 16), 1);
        ASSERT_TRUE(BindVideoToPrimary());
        gVideoTarget.afterStop = [this] { ++stops_; };
    }
    static DisplaySurface* Primary() { return gDDraw.GetSurface(kSurfacePrimary); }
    static u16 At(i32 x, i32 y) {
        i32 pitch = 0;
        const u16* px = DisplayLock(Primary(), &pitch);
        DisplayUnlock(Primary());
        return px[static_cast<size_t>(y) * (pitch / 2) + x];
    }
    bool Start(const std::string& name = "TEST.BIK") {
        return StartVideo((Root() + "Video\\" + name).c_str(), 100);
    }
    // Plays the whole video, checking the primary and the shown frame after
    // each frame, and that a pass before the next is due shows nothing.
    void PlayAndCheck(int green) {
        ASSERT_NE(Primary(), nullptr);
        DisplayFill(Primary(), nullptr, 0x1234);
        DisplaySetFrameLimit(1);
        ASSERT_TRUE(Start());
        u32 shownBefore = DisplayFrameCount();
        for (size_t f = 0; f < kSampleVideoColours.size(); ++f) {
            EXPECT_EQ(GetVideoFrame(), static_cast<int>(f + 1));
            StepVideo();
            ASSERT_EQ(DisplayFrameCount(), shownBefore + f + 1) << f;
            const std::vector<u16>& shown = DisplayFrames().back();
            u16 want = Pack(kSampleVideoColours[f], green);
            for (int y = 0; y < 480; ++y)
                for (int x = 0; x < 640; ++x) {
                    u16 expect = (x < 32 && y < 16) ? want : 0x1234;
                    ASSERT_EQ(At(x, y), expect) << "frame " << f << " at " << x << "," << y;
                    ASSERT_EQ(shown[static_cast<size_t>(y) * 640 + x], expect) << "shown " << f;
                }
            PlatformAdvanceTime(50);
            StepVideo();
            EXPECT_EQ(DisplayFrameCount(), shownBefore + f + 1) << "not yet due " << f;
            PlatformAdvanceTime(50);
        }
        EXPECT_EQ(std::tuple(!!(gRunState & kRunVideo), gBinkPlayer, GetVideoFrame()),
                  std::tuple(false, nullptr, -1));
    }
    int stops_ = 0;
};

// Windowed 5-6-5, a display made again (a mode switch), 5-5-5, and none.
TEST_F(Video, FramesLandInThePrimaryAtTheirDueTimesAndAreShown) {
    EXPECT_FALSE(BindVideoToPrimary());  // no display yet: nothing bound
    EXPECT_EQ(gVideoTarget.pixels, nullptr);
    Bind(kDisplayWindowed);
    EXPECT_EQ(gVideoTarget.layout, VideoPixels::Rgb565);
    // The windowed back surface holds something else: the video must not be covered by it.
    DisplayFill(gDDraw.GetSurface(kSurfaceBack), nullptr, 0x7777);
    PlayAndCheck(6);
    EXPECT_EQ(stops_, 1);
    // The display is released and made again: the video writes into the new
    // primary, never the freed one.
    gDDraw.Release();
    ResetDDraw();
    ASSERT_EQ(gDDraw.Create(nullptr, kDisplayFullScreen, 640, 480, 16), 1);
    PlayAndCheck(6);
    ResetDDraw();
    DisplaySetMasks(0x7C00, 0x03E0, 0x001F);
    Bind();
    EXPECT_EQ(gVideoTarget.layout, VideoPixels::Rgb555);
    PlayAndCheck(5);
    // No display at all: the video still runs to its end and stops.
    ResetDDraw();
    ASSERT_TRUE(Start());
    for (int i = 0; i < 40 && (gRunState & kRunVideo); ++i) {
        StepVideo();
        PlatformAdvanceTime(100);
    }
    EXPECT_FALSE(gRunState & kRunVideo);
}

TEST_F(Video, MissingOrGarbageFileStopsAtOnceAndGotoPauseAndStop) {
    Bind();
    DisplayFill(Primary(), nullptr, 0x1234);
    u32 shown = DisplayFrameCount();
    EXPECT_FALSE(Start("NONE.BIK"));
    EXPECT_EQ(std::pair(!!(gRunState & kRunVideo), stops_), std::pair(false, 1));
    Write("Video/BAD.BIK", std::vector<u8>(2000, 0x5A));
    EXPECT_FALSE(Start("BAD.BIK"));
    EXPECT_EQ(std::pair(DisplayFrameCount(), At(0, 0)), std::pair(shown, u16{0x1234}));

    ASSERT_TRUE(Start());
    StepVideo();
    gBinkPlayer->Goto(5);
    StepVideo();
    EXPECT_EQ(At(0, 0), Pack(kSampleVideoColours[4]));
    PauseVideo(true);
    PlatformAdvanceTime(1000);
    StepVideo();
    EXPECT_EQ(GetVideoFrame(), 6);
    PauseVideo(false);
    PlatformAdvanceTime(100);
    StepVideo();
    EXPECT_EQ(At(0, 0), Pack(kSampleVideoColours[5]));
    gBinkPlayer->Goto(2);
    PlatformAdvanceTime(100);
    StepVideo();
    EXPECT_EQ(At(0, 0), Pack(kSampleVideoColours[1]));
    StopVideo();  // Esc
    EXPECT_EQ(std::tuple(!!(gRunState & kRunVideo), GetVideoFrame(), stops_),
              std::tuple(false, -1, 3));
}

TEST_F(Video, ScriptCommandReadsTheNameToItsMark) {
    std::vector<u8> script = {0x12, 0x34, 'T', 'E', 'S', 'T', '.', 'B', 'I', 'K', 0x25, 0x51, 0x99};
    u32 ip = 0;
    ScriptPlayVideo(Root().c_str(), script.data(), static_cast<u32>(script.size()), &ip);
    EXPECT_EQ(std::pair(ip, gBinkPlayer && gBinkPlayer->IsOpen()),
              std::pair(static_cast<u32>(script.size() - 1), true));
    // No end mark: the name stops at the script's end and nothing is read past it.
    std::vector<u8> open = {0x12, 0x34, 'A', 'B'};
    ip = 0;
    ScriptPlayVideo(Root().c_str(), open.data(), static_cast<u32>(open.size()), &ip);
    EXPECT_EQ(std::tuple(ip, gBinkPlayer), std::tuple(static_cast<u32>(open.size()), nullptr));
}

// The act a script sets is drawn centred at the bottom of each frame.
TEST_F(Video, OverlayActIsDrawnCentredAtTheBottomOfEachFrame) {
    h_.WriteSample();
    h_.StartGame();
    const i32 act = static_cast<i32>(sample_art::kBattleUnderlay);
    EXPECT_EQ(SetBinkOverLap(act, 0), 0) << "no video";
    ASSERT_TRUE(StartVideo((std::string(gBasePath) + "Video\\MH OPENING.BIK").c_str(), 100));
    EXPECT_EQ(SetBinkOverLap(act, 0), 1);
    ASSERT_NE(Primary(), nullptr);
    DisplayFill(Primary(), nullptr, 0x1234);
    StepVideo();
    const u16 want =
        ConvertPixel(SamplePictures().at(sample_art::kBattleUnderlay).frames[0].pixels[0]);
    // 64 x 64 at x = (640 - 64) / 2 = 288, y = 475 - 64 = 411.
    EXPECT_EQ(std::tuple(At(288, 411), At(351, 474)), std::tuple(want, want));
    for (auto [x, y] : {std::pair(287, 420), {352, 420}, {300, 410}, {300, 475}})
        EXPECT_EQ(At(x, y), 0x1234) << x << "," << y;
    StopVideo();
    EXPECT_EQ(SetBinkOverLap(1, 0), 0);
}
