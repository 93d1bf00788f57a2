// Video playback: frames of known colours land in the 16-bit target at their
// due times; Esc stops the video; a missing file stops at once.
#include "mhdata/SoundData.h"
#include "SoundFixture.h"

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
