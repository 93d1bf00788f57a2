// Start-up, device failures, the session's first screen, the release on every road out.
#include <gtest/gtest.h>

#include <algorithm>

#include <filesystem>

#include "engine/DDraw.h"
#include "engine/ErrorBox.h"
#include "engine/Ime.h"
#include "shell/Main.h"
#include "data/Options.h"
#include "shell/Session.h"
#include "shell/Settings.h"
#include "shell/Startup.h"
#include "map/SystemServices.h"
#include "map/MapDb.h"
#include "map/NewGame.h"
#include "data/GameFlags.h"
#include "mhdata/SampleGame.h"
#include "platform/HostFs.h"
#include "platform/TextCodec.h"
#include "sound/BinkPlayer.h"
#include "sound/Music.h"
#include "sound/Sound.h"
#include "support/Harness.h"
#include "ui/ScreenState.h"

namespace fs = std::filesystem;

TEST(Startup, HeadlessStartMakesFoldersAndOpensTheTitle) {
    Harness h;
    h.StartGame();
    for (const char* dir : {"Save", "Data", "Music", "ScrnShot"})
        EXPECT_TRUE(fs::is_directory(h.Path(dir))) << dir;
    EXPECT_EQ(gFrameId, kScreenBit | 0u);
    EXPECT_EQ(gFrameInterval, 35u);
    EXPECT_TRUE(h.boxes().empty());
    // The video player draws into the primary and gives the canvas back after.
    EXPECT_NE(gVideoTarget.pixels, nullptr);
    EXPECT_TRUE(static_cast<bool>(gVideoTarget.afterStop));
}

// The sample's settings name no root: the current folder is taken.
TEST(Startup, SampleGameStartsInItsFolderWithItsOptionsAndSounds) {
    Harness h;
    std::string error;
    ASSERT_TRUE(WriteSampleGame(h.Path("game"), &error)) << error;
    ASSERT_EQ(::chdir(h.Path("game").c_str()), 0);
    gBasePath[0] = 0;
    h.StartGame();
    EXPECT_EQ(std::string(gBasePath).back(), '\\');
    EXPECT_EQ(gSmartMouse, 1u);
    EXPECT_EQ(gFrameId, kScreenBit | 0u);
    // A percent typed into a field sounds its refusal.
    ASSERT_TRUE(gSound.IsReady());
    cTextBuf field(8, 0, 0);
    field.ImeProc(nullptr, WM_CHAR, 'a', 0);
    EXPECT_LT(gSound.HighestPlayed(), kRefusedCharSfx);
    field.ImeProc(nullptr, WM_CHAR, '%', 0);
    EXPECT_EQ(gSound.HighestPlayed(), kRefusedCharSfx);
    EXPECT_STREQ(field.Text(), "a");
}

TEST(Startup, QuitThroughTheModeWordSavesOptionsAndClearsTheRunMark) {
    Harness h;
    h.WriteSample();
    h.StartGame();
    EXPECT_EQ(ReadHostFile(h.Path("Env.dat")).back(), 1);
    EXPECT_EQ(GetGameFlag(1), 1);  // game data initialised
    gSfxVolume = 3;
    gFrameId = kQuitFrameId;
    h.RunFrames(3);
    EXPECT_TRUE(h.quit());
    EXPECT_EQ(gFrameId, 0u);
    EXPECT_EQ(gReleaseRuns, 1u);
    EXPECT_EQ(ReadHostFile(h.Path("Env.dat")).back(), 0);
    LoadOptions();
    EXPECT_EQ(gSfxVolume, 3u);
}

TEST(Startup, QuitBitReleasesExactlyOnce) {
    Harness h;
    h.StartGame();
    gRunState |= kRunQuit;
    h.RunFrames(3);
    EXPECT_TRUE(h.quit());
    EXPECT_EQ(gReleaseRuns, 1u);
    EXPECT_EQ(gDrawSurface, nullptr);
    ReleaseGame();
    EXPECT_EQ(gReleaseRuns, 1u);
}

// Each failed start shows its box and closes; a start that never initialised
// game data and was asked no quit releases nothing. Where a database file is
// missing, one line on stderr names the folder and the file and how to write
// the sample game there.
TEST(Startup, FailedStartsShowTheirBoxAndClose) {
    struct Case {
        const char* name;
        void (*spoil)(Harness&);
        std::string text, caption;
        u32 releases;
        const char* missing;  // the file the line names, or none
    } cases[] = {
        {"input", [](Harness&) { PlatformDeviceFailures().input = true; },
         B5("DirectInput 初始化錯誤%n"), "Moonharbor", 0, nullptr},
        {"display", [](Harness&) { PlatformDeviceFailures().display = true; }, "Moonharbor",
         "DDraw init Failed.", 1, nullptr},
        {"short maps database",
         [](Harness& h) { WriteHostFile(h.Path("MH_Data/maps.dat"), std::vector<u8>(100, 0)); },
         "RoleDataBase init Failed.", "Moonharbor", 0, nullptr},
        {"no path database", [](Harness& h) { fs::remove(h.Path("MH_Data/path.dat")); },
         "PathDataBase init Failed.", "Moonharbor", 0, "MH_Data/path.dat"},
        {"no game data", [](Harness& h) { fs::remove_all(h.Path("MH_Data")); },
         "RoleDataBase init Failed.", "Moonharbor", 0, "MH_Data/maps.dat"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Harness h;
        h.WriteSample();
        c.spoil(h);
        ::testing::internal::CaptureStderr();
        if (fs::exists(h.Path("MH_Data")))
            h.StartGame();
        else {
            h.CreateMainWindow();  // StartGame would write the maps in
            StartUp();
        }
        std::string err = ::testing::internal::GetCapturedStderr();
        ASSERT_FALSE(h.boxes().empty());
        EXPECT_EQ(h.boxes().back().text, c.text);
        EXPECT_EQ(h.boxes().back().caption, c.caption);
        EXPECT_EQ(gReleaseRuns, c.releases);
        if (c.missing) {
            std::string folder = fs::path(h.root()).parent_path().string();
            EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
            EXPECT_NE(err.find("in " + folder + ":"), std::string::npos) << err;
            EXPECT_NE(err.find(std::string(c.missing) + " is missing"), std::string::npos) << err;
            EXPECT_NE(err.find("mhgen " + folder), std::string::npos) << err;
        } else {
            EXPECT_EQ(err.find("moonharbor:"), std::string::npos) << err;
        }
        h.RunFrames(1);
        EXPECT_TRUE(h.quit());
    }
}

TEST(Startup, NoSoundWaitsASecondAndGoesOn) {
    Harness h;
    PlatformDeviceFailures().sound = true;
    u32 before = timeGetTime();
    h.StartGame();
    EXPECT_GE(timeGetTime() - before, 1000u);
    EXPECT_EQ(gFrameId, kScreenBit | 0u);
    EXPECT_TRUE(h.boxes().empty());
}

TEST(Startup, ShortDiskSpaceIsWarnedWithTheFigure) {
    Harness h;
    HostSetFreeSpaceOverride(100ll << 20);
    h.StartGame();
    ASSERT_EQ(h.boxes().size(), 1u);
    EXPECT_EQ(h.boxes()[0].caption, B5("!!! 注意 !!!"));
    EXPECT_EQ(h.boxes()[0].text, B5("遊戲過程中,磁碟空間不足\n請確認至少剩餘 124M磁碟空間."));
    EXPECT_EQ(gFrameId, kScreenBit | 0u);  // the game goes on
}

TEST(StartupDialog, ExitDestroysAndPlayStarts) {
    {
        Harness h;
        h.CreateMainWindow();
        PlatformSetBoxAnswer(1025);
        EXPECT_EQ(ShowStartupDialog(), 6);
        EXPECT_EQ(h.boxes().at(0).type, 0xFFu);
        h.RunFrames(1);
        EXPECT_TRUE(h.quit());
    }
    {
        Harness h;
        h.EnsureMapData();
        h.CreateMainWindow();
        PlatformSetBoxAnswer(1022);
        EXPECT_EQ(ShowStartupDialog(), 2);
        EXPECT_EQ(gStartDone, 1u);
        EXPECT_EQ(gFrameId, kScreenBit | 0u);
    }
}

TEST(Session, DiscTrackNames) {
    int track = 0;
    EXPECT_TRUE(ParseDiscTrackName("CD07", &track));
    EXPECT_EQ(track, 7);
    EXPECT_TRUE(ParseDiscTrackName("CD12.wav", &track));
    EXPECT_EQ(track, 12);
    EXPECT_FALSE(ParseDiscTrackName("cd07", &track));
    EXPECT_FALSE(ParseDiscTrackName("CD7", &track));
    EXPECT_FALSE(ParseDiscTrackName("theme.xmi", &track));
    EXPECT_FALSE(ParseDiscTrackName(nullptr, &track));
}

TEST(Session, NoMusicDiscWithoutADriveOfThatLabel) {
    Harness h;
    h.StartGame();
    EXPECT_EQ(FindMusicDisc(), 0);
    HostSetDrive('E', h.Path(""));
    HostSetVolumeLabel('E', "OTHER");
    FindCdDrives(gCdPath);
    EXPECT_EQ(FindMusicDisc(), 0);
}

TEST(Session, NameIdsIgnoreCaseAndMusicByNumberPlaysFilesAndDiscTracks) {
    Harness h;
    h.WriteSample();
    h.StartGame();
    EXPECT_EQ(FindNameId("fisher"), 3);
    EXPECT_EQ(FindNameId(B5("守衛")), 2);
    EXPECT_EQ(FindNameId("nobody"), -1);
    PlayMusic(3, 0);
    const cMusic::List& list = gMusic.GetList(1);
    ASSERT_NE(list.slots[0].name, nullptr);
    EXPECT_NE(std::string(list.slots[0].name).find("music\\field.wav"), std::string::npos);
    EXPECT_EQ(gCdMusic, 0u);
    PlayMusic(4, 0);  // "CD07": track 7 of the music disc
    EXPECT_EQ(gCdMusic, 1u);
    StopMusic();
    EXPECT_EQ(gCdMusic, 0u);
    PlayMusic(99, 0);  // no such record: nothing changes
    EXPECT_EQ(gCdMusic, 0u);
}

// The four 52-byte start records are spread into their 56-byte entries: the
// words at 4 and 10 trade places, ten bytes from 42 land at 44, the last byte
// is doubled at 54 and 55. Every record byte is distinct, so a shifted copy shows.
TEST(Startup, StartRecordsSpreadIntoTheirEntries) {
    Harness h;
    h.WriteSample();
    h.StartGame();
    ReadMapDatabase();
    ByteReader t = MapDbTable(dbTable::kInitRecords);
    ASSERT_GE(t.bytesLeft(), 4u * 52);
    u8* rec = const_cast<u8*>(t.here());
    for (int i = 0; i < 4 * 52; ++i) rec[i] = static_cast<u8>(i + 1);
    InitGameData();
    for (int k = 0; k < 4; ++k) {
        SCOPED_TRACE(k);
        const u8* e = gNewGame.entries[k].bytes;
        auto at = [&](int i) { return static_cast<u8>(52 * k + i + 1); };
        std::vector<u8> want(56, 0);
        for (int i = 0; i < 4; ++i) want[i] = at(i);
        for (int i = 0; i < 6; ++i) want[10 + i] = at(4 + i), want[4 + i] = at(10 + i);
        for (int i = 16; i < 42; ++i) want[i] = at(i);
        for (int i = 0; i < 10; ++i) want[44 + i] = at(42 + i);
        want[54] = want[55] = at(51);
        EXPECT_EQ(std::vector<u8>(e, e + 56), want);
    }
}
