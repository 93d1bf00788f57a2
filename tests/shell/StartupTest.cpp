// Start-up, device failures, the session's first screen, the release on every road out.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <tuple>

#include "base/DataError.h"
#include "engine/DDraw.h"
#include "engine/DataErrors.h"
#include "engine/ErrorBox.h"
#include "engine/Ime.h"
#include "engine/MyAct.h"
#include "engine/Tsw.h"
#include "data/Options.h"
#include "shell/Main.h"
#include "shell/Session.h"
#include "shell/Startup.h"
#include "map/SystemServices.h"
#include "map/MapDb.h"
#include "map/NewGame.h"
#include "mhdata/Archives.h"
#include "mhdata/SampleGame.h"
#include "platform/AudioDevice.h"
#include "platform/HostFs.h"
#include "platform/TextCodec.h"
#include "sound/BinkPlayer.h"
#include "sound/Music.h"
#include "sound/Sound.h"
#include "support/SampleSession.h"

namespace fs = std::filesystem;

// The sample game written into the harness's folder and started up to its title.
struct SampleStarted : ::testing::Test {
    Harness h;
    void SetUp() override {
        h.WriteSample();
        h.StartGame();
    }
};

// Short disk space is warned with the figure, and the game goes on.
TEST(Startup, HeadlessStartMakesFoldersOpensTheTitleAndQuitsOnce) {
    Harness h;
    HostSetFreeSpaceOverride(100ll << 20);
    h.StartGame();
    for (const char* dir : {"Save", "Data", "Music", "ScrnShot"})
        EXPECT_TRUE(fs::is_directory(h.Path(dir))) << dir;
    EXPECT_EQ(std::tuple(gFrameId, gFrameInterval), std::tuple(kScreenBit | 0u, 35u));
    ASSERT_EQ(h.boxes().size(), 1u);
    EXPECT_EQ(std::tie(h.boxes()[0].caption, h.boxes()[0].text),
              std::tuple(B5("!!! 注意 !!!"),
                         B5("遊戲過程中,磁碟空間不足\n請確認至少剩餘 124M磁碟空間.")));
    // The quit bit releases exactly once.
    gRunState |= kRunQuit;
    h.RunFrames(3);
    EXPECT_EQ(std::tuple(h.quit(), gReleaseRuns, gDrawSurface, IsWindow(gMainWnd)),
              std::tuple(true, 1u, nullptr, false));
    ReleaseGame();
    EXPECT_EQ(gReleaseRuns, 1u);
}

// The sample's settings name no root: the current folder is taken.
TEST(Startup, SampleGameStartsInItsFolderWithItsOptionsAndSounds) {
    Harness h;
    std::string error;
    ASSERT_TRUE(WriteSampleGame(h.Path("game"), &error)) << error;
    ASSERT_EQ(::chdir(h.Path("game").c_str()), 0);
    gBasePath[0] = 0;
    h.StartGame();
    EXPECT_EQ(std::tuple(std::string(gBasePath).back(), gSmartMouse, gFrameId),
              std::tuple('\\', 1u, kScreenBit | 0u));
    // A percent typed into a field sounds its refusal.
    ASSERT_TRUE(gSound.IsReady());
    cTextBuf field(8, 0, 0);
    field.ImeProc(nullptr, WM_CHAR, 'a', 0);
    EXPECT_LT(gSound.HighestPlayed(), kRefusedCharSfx);
    field.ImeProc(nullptr, WM_CHAR, '%', 0);
    EXPECT_EQ(gSound.HighestPlayed(), kRefusedCharSfx);
    EXPECT_STREQ(field.Text(), "a");
}

// Start-up opens the picture and act archives; the release closes them.
TEST_F(SampleStarted, QuitThroughTheModeWordSavesOptionsAndClearsTheRunMark) {
    // The run mark is set and game data initialised.
    EXPECT_EQ(std::tuple(ReadHostFile(h.Path("Env.dat")).back(), GetGameFlag(1)), std::tuple(1, 1));
    EXPECT_NE(GetPic(sample_art::kCursor, 0), nullptr);
    ActPlayer act;
    act.act = sample_art::kCursor;
    act.action = 13;
    EXPECT_EQ(TakeActData(&act), 1);
    gSfxVolume = 3;
    gFrameId = kQuitFrameId;
    h.RunFrames(3);
    EXPECT_EQ(std::tuple(h.quit(), h.exitCode(), gSuspended, gFrameId, gReleaseRuns),
              std::tuple(true, 0, 1u, kMapMode, 1u));
    EXPECT_EQ(std::tuple(ReadHostFile(h.Path("Env.dat")).back(), GetPicCacheStats().total,
                         GetPic(sample_art::kCursor, 0)),
              std::tuple(0, 0u, nullptr));
    LoadOptions();
    EXPECT_EQ(gSfxVolume, 3u);
}

// Each failed start shows its box and closes; a start that never initialised
// game data and was asked no quit releases nothing. A device's box is told on
// stderr as "caption: text", its text as it stands. A database the start cannot
// read is named once on stderr and as the last error, with the offset where it
// fails, under the box's own words; where a file is missing, a second line
// names the folder and the file and how to write the sample game there.
TEST(Startup, FailedStartsShowTheirBoxAndClose) {
    // What fails, how, the box's text and caption, the releases, the line on
    // stderr (the database fault's, with the file and offset, or the device's
    // box), whether it is bad data, and the file the hint names (or none).
    const std::tuple<const char*, void (*)(Harness&), std::string, std::string, u32, const char*,
                     bool, const char*>
        cases[] = {
            {"input", [](Harness&) { PlatformDeviceFailures().input = true; },
             B5("DirectInput 初始化錯誤%n"), "Moonharbor", 0,
             "Moonharbor: DirectInput 初始化錯誤%n", false, nullptr},
            {"display", [](Harness&) { PlatformDeviceFailures().display = true; }, "Moonharbor",
             "DDraw init Failed.", 1, "DDraw init Failed.: Moonharbor", false, nullptr},
            {"short maps database",
             [](Harness& h) { WriteHostFile(h.Path("MH_Data/maps.dat"), std::vector<u8>(100, 0)); },
             "RoleDataBase init Failed.", "Moonharbor", 0,
             "MH_Data/maps.dat: offset 100: ends inside its 512-byte header", true, nullptr},
            {"no path database", [](Harness& h) { fs::remove(h.Path("MH_Data/path.dat")); },
             "PathDataBase init Failed.", "Moonharbor", 0, "MH_Data/path.dat: cannot be opened",
             true, "MH_Data/path.dat"},
            {"no game data", [](Harness& h) { fs::remove_all(h.Path("MH_Data")); },
             "RoleDataBase init Failed.", "Moonharbor", 0, "MH_Data/maps.dat: cannot be opened",
             true, "MH_Data/maps.dat"},
        };
    for (const auto& [name, spoil, text, caption, releases, line, badData, missing] : cases) {
        SCOPED_TRACE(name);
        Harness h;
        h.WriteSample();
        spoil(h);
        u32 faults = DataErrorCount();
        ::testing::internal::CaptureStderr();
        if (fs::exists(h.Path("MH_Data")))
            h.StartGame();
        else {
            h.CreateMainWindow();  // StartGame would write the maps in
            StartUp();
        }
        std::string err = ::testing::internal::GetCapturedStderr();
        ASSERT_FALSE(h.boxes().empty());
        EXPECT_EQ(std::tuple(h.boxes().back().text, h.boxes().back().caption, gReleaseRuns,
                             DataErrorCount() - faults),
                  std::tuple(text, caption, releases, badData ? 1u : 0u));
        if (badData) {
            EXPECT_EQ(LastDataError().Message(), line);
        }
        EXPECT_NE(err.find(std::string(line) + "\n"), std::string::npos) << err;
        if (missing) {
            std::string folder = fs::path(h.root()).parent_path().string();
            EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 2) << err;
            EXPECT_NE(err.find("in " + folder + ":"), std::string::npos) << err;
            EXPECT_NE(err.find(std::string(missing) + " is missing"), std::string::npos) << err;
            EXPECT_NE(err.find("mhgen " + folder), std::string::npos) << err;
        } else {
            EXPECT_EQ(err.find("moonharbor:"), std::string::npos) << err;
        }
        h.RunFrames(1);
        EXPECT_EQ(std::tuple(h.quit(), h.exitCode()), std::tuple(true, kExitFailed));
    }
}

// A second copy, and the installer's command line while the game runs, end at
// once with a failed status and one line on stderr that says why; the running
// game and its settings file go on as they were.
TEST_F(SampleStarted, ASecondCopyAndTheInstallerWhileTheGameRunsSayWhyAndFail) {
    const std::vector<u8> env = ReadHostFile(h.Path("Env.dat"));
    const std::string install = "1" + h.root();
    for (const auto& [line, why] : {std::pair(std::string(), "this copy ends"),
                                    std::pair(install, "settings file was not written")}) {
        ::testing::internal::CaptureStderr();
        EXPECT_EQ(WinMain(nullptr, nullptr, line.c_str(), 1), kExitFailed) << line;
        std::string err = ::testing::internal::GetCapturedStderr();
        EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
        EXPECT_EQ(err.rfind("Moonharbor is running", 0), 0u) << err;
        EXPECT_NE(err.find(why), std::string::npos) << err;
    }
    EXPECT_EQ(ReadHostFile(h.Path("Env.dat")), env);
    h.RunFrames(3);
    EXPECT_EQ(std::tuple(h.quit(), gFrameId), std::tuple(false, kScreenBit | 0u));
}

// A maps.dat cut to half (983 of its 1966 bytes: 471 of the database, which
// ends before the start record at 1018 and the encounter groups at 1312): the
// start names the file of its broken encounter table and the title comes; New
// Game finds no start record (no map id: -1), shows the start map's box, and
// the game ends once, with the saves as they were.
TEST(Startup, AHalvedMapDatabaseEndsANewGameWithTheStartMapBox) {
    Harness h;
    SampleSession s{h};
    h.WriteSample();
    std::vector<u8> maps = ReadHostFile(h.Path("MH_Data/maps.dat"));
    ASSERT_EQ(maps.size(), 2075u);
    maps.resize(maps.size() / 2);
    WriteHostFile(h.Path("MH_Data/maps.dat"), maps);
    WriteHostFile(h.Path("Save/MH01.sav"), std::vector<u8>(136001, 7));
    WriteHostFile(h.Path("Save/Quick.sav"), std::vector<u8>(136001, 9));
    auto saves = [&] {
        std::map<std::string, std::vector<u8>> files;
        for (const auto& e : fs::directory_iterator(h.Path("Save")))
            files[e.path().filename().string()] = ReadHostFile(e.path().string());
        return files;
    };
    const auto before = saves();
    const std::string groupsBox = B5("MH_Data\\maps.dat\n戰鬥機率組資料有誤 (0)"),
                      init = B5("遊戲初始");
    h.StartGame();
    ASSERT_EQ(h.boxes().size(), 1u);
    EXPECT_EQ(std::tie(h.boxes()[0].caption, h.boxes()[0].text), std::tie(init, groupsBox));
    h.RunFrames(1);
    h.PostKeyUp(VK_ESCAPE);  // the opening video
    h.RunFrames(2);
    ASSERT_EQ(gFrameId, kScreenBit | 0u);
    s.Click();  // "new game", where the cursor starts
    ASSERT_TRUE(h.RunUntil([&] { return h.quit(); }, 10));
    ASSERT_EQ(h.boxes().size(), 3u);  // the new game reads the database again
    EXPECT_EQ(h.boxes()[1].text, groupsBox);
    EXPECT_EQ(std::tie(h.boxes()[2].caption, h.boxes()[2].text),
              std::tuple(init, B5("找不到設定的起始地圖碼 (-1)")));
    EXPECT_EQ(gReleaseRuns, 1u);
    EXPECT_EQ(ReadHostFile(h.Path("Env.dat")).back(), 0) << "the run mark is cleared";
    EXPECT_EQ(saves(), before);
}

// The start chime, twenty tries of the output at every format and the dialog
// click all meet the one failed open, which said so once.
TEST(Startup, NoSoundWaitsASecondAndGoesOnSilent) {
    Harness h;
    h.WriteSample();  // with a sound bank, so every try reaches the output
    PlatformDeviceFailures().sound = true;
    u32 before = timeGetTime();
    testing::internal::CaptureStderr();
    h.StartGame();
    PlaySoundResource(kSoundResourceDialog);
    std::string said = testing::internal::GetCapturedStderr();
    EXPECT_GE(timeGetTime() - before, 1000u);
    EXPECT_EQ(std::tuple(gFrameId, h.boxes().size(), gSound.IsReady(), AudioDeviceOpenAttempts()),
              std::tuple(kScreenBit | 0u, 0u, false, 1));
    size_t line = said.find("No sound device");
    ASSERT_NE(line, std::string::npos) << said;
    EXPECT_EQ(said.find("No sound device", line + 1), std::string::npos) << said;
}

TEST(StartupDialog, ExitDestroysAndPlayStarts) {
    for (auto [button, result] : {std::pair(1025, 6), std::pair(1022, 2)}) {
        Harness h;
        h.EnsureMapData();
        h.CreateMainWindow();
        PlatformSetBoxAnswer(button);
        EXPECT_EQ(ShowStartupDialog(), result);
        EXPECT_EQ(h.boxes().at(0).type, 0xFFu);
        h.RunFrames(1);
        const bool exit = result == 6;
        EXPECT_EQ(std::tuple(h.quit(), gStartDone, gFrameId),
                  std::tuple(exit, exit ? 0u : 1u, exit ? kMapMode : kScreenBit | 0u));
    }
}

// "CD" and two digits name a disc track (0 where it is no track name).
TEST(Session, DiscTrackNames) {
    for (auto [name, want] : {std::pair<const char*, int>{"CD07", 7},
                              {"CD12.wav", 12},
                              {"cd07", 0},
                              {"CD7", 0},
                              {"theme.xmi", 0},
                              {nullptr, 0}}) {
        int track = 0;
        EXPECT_EQ(ParseDiscTrackName(name, &track), want != 0) << want;
        EXPECT_EQ(track, want) << want;
    }
}

TEST_F(SampleStarted, MusicByNumberTheMusicDiscAndStartRecords) {
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
    // No music disc without a drive of that label.
    EXPECT_EQ(FindMusicDisc(), 0);
    HostSetDrive('E', h.Path(""));
    HostSetVolumeLabel('E', "OTHER");
    FindCdDrives(gCdPath);
    EXPECT_EQ(FindMusicDisc(), 0);
    // The four 52-byte start records are spread into their 56-byte entries: the
    // words at 4 and 10 trade places, ten bytes from 42 land at 44, the last byte
    // is doubled at 54 and 55. Every record byte is distinct, so a shifted copy shows.
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
