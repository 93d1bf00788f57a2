// Writers and readers under a failing file system: every call of each writer
// failing in turn, kills at each call of the save writer, a full disk at map
// entry, saves naming what the databases lack, damaged settings and options.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <functional>
#include <memory>
#include <random>
#include <string>

#include "data/GameData.h"
#include "map/MapCache.h"
#include "map/MapDb.h"
#include "map/RoleTable.h"
#include "data/Options.h"
#include "shell/Settings.h"
#include "shell/Startup.h"
#include "mhdata/SampleTalks.h"
#include "platform/FileCalls.h"
#include "platform/HostFs.h"
#include "platform/TextCodec.h"
#include "story/Talk.h"
#include "story/TextTools.h"
#include "ui/DevTool.h"
#include "ui/SaveScreens.h"
#include "ui/SaveFile.h"
#include "ui/Screens.h"
#include "SaveTestSupport.h"

namespace fs = std::filesystem;

namespace {

struct FaultTest : SampleTownTest {
    std::vector<std::string> Temporaries() {
        std::vector<std::string> out;
        std::error_code ec;
        for (const char* dir : {"", "Save", "data", "ScrnShot"})
            for (const auto& e : fs::directory_iterator(h.Path(dir), ec))
                if (e.path().extension() == ".tmp") out.push_back(e.path().string());
        return out;
    }
    void Restore(const std::string& path, const std::vector<u8>& bytes) {
        if (bytes.empty())
            fs::remove(path);
        else
            WriteHostFile(path, bytes);
    }
};

u32 SavedMoney(const std::vector<u8>& bytes) {
    SaveImage img;
    return ParseSaveImage(bytes.data(), bytes.size(), &img, nullptr) ? img.scriptVars[0] : 0;
}

// One writer: its file, the call, and how to tell the old contents from the new.
struct Writer {
    const char* name;
    std::string path;
    std::function<int()> write;
    std::function<bool(const std::vector<u8>&)> isNew;
    bool saveBox;  // a player's save: the failure box names the reason
};

}  // namespace

TEST_F(FaultTest, EveryFailingCallOfEveryWriterKeepsTheOldFileAndIsReported) {
    gScriptVars[0] = 111;
    ASSERT_EQ(SaveToSlotFile(0), 1);
    ASSERT_EQ(QuickSave(), 1);
    ASSERT_EQ(WriteDevSave(1), 1);
    gTextSpeed = 3;
    ASSERT_EQ(SaveOptions(), 1);
    gScriptVars[0] = 222;
    gTextSpeed = 9;
    EnvValues env;
    ASSERT_EQ(ReadEnvFile(&env), 1);
    env.sfxVolume = 9;
    std::vector<u16> shot(8 * 8, 0x1234);
    std::string shotPath = h.Path("ScrnShot/00000.bmp");
    // The map cache's table as the town's entry left it, its last slot aged anew.
    CacheSlot slots[kCacheSlots];
    ASSERT_TRUE(ReadCacheTable(slots));
    slots[kCacheSlots - 1].age = 0x5A5A5A5Au;
    constexpr size_t kLastAge = (kCacheSlots - 1) * kCacheSlotBytes + 8;
    std::vector<Writer> writers = {
        {"slot save", h.Path("Save/MH01.sav"), [] { return SaveToSlotFile(0); },
         [](const std::vector<u8>& b) { return SavedMoney(b) == 222; }, true},
        {"quick save", h.Path("Save/Quick.sav"), [] { return QuickSave(); },
         [](const std::vector<u8>& b) { return SavedMoney(b) == 222; }, true},
        {"options", h.Path("Save/Option.sav"), [] { return SaveOptions(); },
         [](const std::vector<u8>& b) { return b.size() == 88 && b[28] == 9; }, false},
        {"settings", h.Path("Env.dat"), [&env] { return WriteEnvFile(env); },
         [](const std::vector<u8>& b) { return b.size() > 24 && b[24] == 9; }, false},
        {"screenshot", shotPath,
         [&] { return SaveScreenShot(shot.data(), 8, 8, "ScrnShot\\00000.bmp"); },
         [](const std::vector<u8>& b) { return b.size() == 54 + 8 * 24; }, false},
        {"developer save", HostPath(DevSavePath(1)), [] { return WriteDevSave(1); },
         [](const std::vector<u8>& b) {
             auto img = std::make_unique<DevSaveImage>();
             return ParseDevSave(b.data(), b.size(), img.get(), nullptr) &&
                    img->scriptVars[0] == 222;
         },
         true},
        {"map cache table", h.Path("data/mcache.dat"),
         [&slots] { return WriteCacheTable(slots) ? 1 : 0; },
         [](const std::vector<u8>& b) {
             return b.size() == kCacheSlots * kCacheSlotBytes &&
                    LoadU32(b.data() + kLastAge) == 0x5A5A5A5Au;
         },
         false},
    };
    struct Fault {
        FsFault kind;
        int error;
        bool forGood;
        const char* reason;
    };
    // Once, a disk that fills up at the call or in the middle of a write, and a
    // file system that stops answering for good.
    const Fault faults[] = {{FsFault::kFail, EIO, false, "寫入時發生錯誤"},
                            {FsFault::kFail, ENOSPC, true, "磁碟空間不足"},
                            {FsFault::kShortWrite, ENOSPC, true, "磁碟空間不足"},
                            {FsFault::kFail, EIO, true, "寫入時發生錯誤"}};
    for (const Writer& w : writers) {
        SCOPED_TRACE(w.name);
        std::vector<u8> old = ReadHostFile(w.path);
        ResetFileCalls();
        ASSERT_EQ(w.write(), 1);
        u32 calls = FsCallCount();
        ASSERT_TRUE(w.isNew(ReadHostFile(w.path)));
        int failures = 0;
        for (u32 call = 1; call <= calls; ++call) {
            for (const Fault& f : faults) {
                SCOPED_TRACE("call " + std::to_string(call) + " error " + std::to_string(f.error));
                Restore(w.path, old);
                h.boxes().clear();
                FsArmFault(call, f.kind, f.error, f.forGood);
                int r = w.write();
                ResetFileCalls();
                std::vector<u8> now = ReadHostFile(w.path);
                if (r == 1) {
                    EXPECT_TRUE(w.isNew(now));
                } else {
                    ++failures;
                    EXPECT_EQ(now, old);
                    if (w.saveBox) { EXPECT_TRUE(BoxSays(B5("存檔"), B5(f.reason))); }
                }
                // A file system that stopped answering keeps the temporary
                // file, and a screenshot whose last unlink alone failed does;
                // the next start takes them away.
                bool stopped = f.forGood && f.error != ENOSPC;
                if (stopped || (r == 1 && std::string(w.name) == "screenshot"))
                    RemoveLeftoverTemporaries();
                EXPECT_TRUE(Temporaries().empty());
                EXPECT_EQ(gScriptVars[0], 222u);
                EXPECT_EQ(gMapId, sampleMap::kTown);
            }
        }
        EXPECT_GE(failures, 3) << "the first call failing fails the write";
        Restore(w.path, old);
    }
}

TEST_F(FaultTest, AKillAtAnyCallOfTheSaveWriterLeavesTheOldOrTheNewSave) {
    gScriptVars[0] = 111;
    ASSERT_EQ(SaveToSlotFile(0), 1);
    std::string path = h.Path("Save/MH01.sav");
    std::vector<u8> old = ReadHostFile(path);
    gScriptVars[0] = 222;
    ResetFileCalls();
    ASSERT_EQ(SaveToSlotFile(0), 1);
    u32 calls = FsCallCount();
    int olds = 0, news = 0;
    for (u32 call = 1; call <= calls; ++call) {
        for (FsFault kill : {FsFault::kStopBefore, FsFault::kStopAfter}) {
            SCOPED_TRACE(call);
            WriteHostFile(path, old);
            FsArmFault(call, kill, EIO, false);
            SaveToSlotFile(0);
            ResetFileCalls();
            // The next start: leftovers go, the save loads whole.
            RemoveLeftoverTemporaries();
            EXPECT_TRUE(Temporaries().empty());
            auto img = ReadSaveFile(SlotPath(0), nullptr);
            ASSERT_TRUE(img);
            EXPECT_TRUE(img->scriptVars[0] == 111 || img->scriptVars[0] == 222);
            (img->scriptVars[0] == 111 ? olds : news) += 1;
        }
    }
    EXPECT_GT(olds, 0);
    EXPECT_GT(news, 0);
}

TEST_F(FaultTest, MissingOrUnwritableSaveFoldersTellWhy) {
    gScriptVars[0] = 5;
    fs::rename(h.Path("Save"), h.Path("SaveAway"));
    EXPECT_EQ(QuickSave(), 0);
    EXPECT_TRUE(BoxSays(B5("存檔"), B5("找不到存檔資料夾")));
    WriteHostFile(h.Path("Save"), {1, 2, 3});  // a file where the folder should be
    h.boxes().clear();
    EXPECT_EQ(SaveToSlotFile(4), 0);
    EXPECT_TRUE(BoxSays(B5("存檔"), B5("找不到存檔資料夾")));
    EXPECT_EQ(ReadHostFile(h.Path("Save")), (std::vector<u8>{1, 2, 3}));
    fs::remove(h.Path("Save"));
    fs::rename(h.Path("SaveAway"), h.Path("Save"));
    if (::geteuid() != 0) {  // the superuser writes anywhere
        fs::permissions(h.Path("Save"), fs::perms::owner_read | fs::perms::owner_exec);
        h.boxes().clear();
        EXPECT_EQ(QuickSave(), 0);
        EXPECT_TRUE(BoxSays(B5("存檔"), B5("存檔資料夾無法寫入")));
        fs::permissions(h.Path("Save"), fs::perms::owner_all);
    }
    EXPECT_EQ(gScriptVars[0], 5u);
    EXPECT_EQ(gMapId, sampleMap::kTown);
}

TEST_F(FaultTest, ADoorAndALoadWithTheDiskFullEnterTheMapFromMemory) {
    ASSERT_EQ(SaveToSlotFile(0), 1);
    u32 unpacked = gMapsUnpacked;
    FsSetDiskFull(true);
    testing::internal::CaptureStderr();
    // Twice through the door of the harbour master's room, never cached.
    for (int pass = 0; pass < 2; ++pass) {
        StartTalk(kSampleRoomTalk, gPlayerId);
        bool inRoom = false;
        for (int f = 0; f < 400 && TalkRunning(); ++f) {
            h.RunFrames(1);
            inRoom = inRoom || gMapId == sampleMap::kRoom;
        }
        EXPECT_TRUE(inRoom);
        EXPECT_FALSE(TalkRunning());
    }
    EXPECT_EQ(gMapId, sampleMap::kTown);
    EXPECT_EQ(gMapsUnpacked, unpacked);
    // The load screen, with the cache emptied so the town must be unpacked again.
    ReleaseMapView();
    for (int i = 0; i < kCacheSlots; ++i) fs::remove(h.Path("data/" + std::to_string(i) + ".cm"));
    fs::remove(h.Path("data/mcache.dat"));
    gScriptVars[0] = 99;
    Open(9);
    Click(kSlotRows, 100, 60);
    Click(kSlotBox, 250, 250);  // yes
    EXPECT_NE(gScriptVars[0], 99u);
    EXPECT_TRUE(h.RunUntil([] { return gFrameId == 0; }, 60));
    h.RunFrames(5);
    std::string told = testing::internal::GetCapturedStderr();
    FsSetDiskFull(false);
    EXPECT_FALSE(h.quit());
    EXPECT_TRUE(h.boxes().empty());
    EXPECT_EQ(gMapId, sampleMap::kTown);
    ASSERT_NE(gMap.Pixel, nullptr);
    EXPECT_GT(gMap.pixelSize, 0u);
    size_t first = told.find("map cache");
    ASSERT_NE(first, std::string::npos);
    EXPECT_EQ(told.find("map cache", first + 1), std::string::npos) << "told once";
}

TEST_F(FaultTest, ASaveNamingAMissingMapIsRefusedBeforeTheGameChanges) {
    gScriptVars[0] = 111;
    ASSERT_EQ(SaveToSlotFile(0), 1);
    ASSERT_EQ(QuickSave(), 1);
    std::vector<u8> good = ReadHostFile(h.Path("Save/MH01.sav"));
    auto img = ReadSaveFile(SlotPath(0), nullptr);
    ASSERT_TRUE(img);
    // A map the database lacks; an owned piece naming a record past the
    // equipment table (a free place of the saved game).
    const std::function<void(SaveImage&)> spoils[] = {
        [](SaveImage& i) { i.mapId = 999; },
        [](SaveImage& i) {
            ASSERT_EQ(i.equipage[kOwnedEquipageCount - 1].id, -1);
            i.equipage[kOwnedEquipageCount - 1].id = gEquipageCount;
        },
    };
    std::vector<u8> lost;
    for (const auto& spoil : spoils) {
        auto bad = std::make_unique<SaveImage>(*img);
        spoil(*bad);
        lost = SaveImageBytes(*bad);
        WriteHostFile(h.Path("Save/MH01.sav"), lost);
        WriteHostFile(h.Path("Save/Quick.sav"), lost);
        gScriptVars[0] = 222;
        EXPECT_EQ(IsSlotUsed(0), 0);
        // F10 finds nothing it can load and says so; the game goes on as it was.
        QuickLoadKey();
        h.RunFrames(2);
        ASSERT_NE(gQuickNoticeFrame, nullptr);
        EXPECT_EQ(std::string(gQuickNoticeFrame->text), B5("沒有快取記錄！"));
        h.RunFrames(30);
        EXPECT_EQ(gFrameId, 0u);
        EXPECT_EQ(gScriptVars[0], 222u);
        EXPECT_EQ(gMapId, sampleMap::kTown);
        EXPECT_EQ(gOwnedEquipage[kOwnedEquipageCount - 1].id, -1);
    }
    // What "讀取中..." announced is what loads, even if the file goes bad meanwhile.
    WriteHostFile(h.Path("Save/Quick.sav"), good);
    QuickLoadKey();
    h.RunFrames(2);
    EXPECT_EQ(std::string(gQuickNoticeFrame->text), B5("讀取中..."));
    WriteHostFile(h.Path("Save/Quick.sav"), lost);
    h.RunFrames(30);
    EXPECT_EQ(gFrameId, 0u);
    EXPECT_EQ(gScriptVars[0], 111u);
    gScriptVars[0] = 222;
    // The load screen lists it as empty and does not load it.
    Open(9);
    EXPECT_EQ(std::string(gSaveLoadFrame->rows[0].date), B5("沒有資料"));
    Click(kSlotRows, 100, 60);
    EXPECT_EQ(gSaveLoadFrame->boxOpen, 0u);
    // A good save that turns bad between the question and "yes" gives the notice.
    WriteHostFile(h.Path("Save/MH01.sav"), good);
    gFramePhase = 2;
    h.RunFrames(1);
    Open(9);
    Click(kSlotRows, 100, 60);
    ASSERT_EQ(gSaveLoadFrame->boxOpen, 1u);
    WriteHostFile(h.Path("Save/MH01.sav"), lost);
    Click(kSlotBox, 250, 250);
    EXPECT_TRUE(BoxSays(B5("讀取進度"), B5("進度檔已損毀")));
    EXPECT_EQ(gFrameId, kScreenBit | 9);
    EXPECT_EQ(gScriptVars[0], 222u);
    EXPECT_EQ(gMapId, sampleMap::kTown);
    EXPECT_FALSE(h.quit());
    // A worn piece that is not owned, or a player without a role record, is refused too.
    img->mapId = sampleMap::kTown;
    img->roles[0].equip[0] = 300;
    DataError why;
    EXPECT_FALSE(SaveIdsKnown(*img, &why));
    img->roles[0].equip[0] = -1;
    img->playerId = 0xFFFE;
    EXPECT_FALSE(SaveIdsKnown(*img, &why));
}

TEST_F(FaultTest, AReadErrorInTheOptionsFileKeepsTheFile) {
    gTextSpeed = 3;
    gSaveSlotPos = 7;
    ASSERT_EQ(SaveOptions(), 1);
    std::vector<u8> good = ReadHostFile(h.Path("Save/Option.sav"));
    ResetFileCalls();
    LoadOptions();
    u32 calls = FsCallCount();
    ASSERT_EQ(gTextSpeed, 3u);
    for (u32 call = 1; call < calls; ++call) {  // the last call closes the file
        SCOPED_TRACE(call);
        FsArmFault(call, FsFault::kFail, EIO, false);
        LoadOptions();
        ResetFileCalls();
        EXPECT_TRUE(gOptionsHeld);
        SaveOptions();  // as the end of the session and every save do
        EXPECT_EQ(ReadHostFile(h.Path("Save/Option.sav")), good);
    }
    // Options the player chose are written all the same.
    gTextSpeed = 5;
    EXPECT_EQ(SaveOptions(true), 1);
    EXPECT_EQ(ReadHostFile(h.Path("Save/Option.sav"))[28], 5);
}

// The settings file of the sample (no root: the game takes its own folder),
// damaged at random and cut at every length: two starts each, both in the
// game's own folder with its databases.
TEST(Faults, DamagedSettingsFilesNeverMoveTheGameOutOfItsFolder) {
    Harness h;
    h.WriteSample();
    std::vector<u8> good = ReadHostFile(h.Path("Env.dat"));
    ASSERT_GT(good.size(), 46u);
    std::vector<std::vector<u8>> cases;
    std::mt19937 rng(34);
    for (int i = 0; i < 300; ++i) {
        std::vector<u8> b(rng() % 320);
        for (u8& c : b) c = static_cast<u8>(rng() % 4 ? rng() : 0);  // zeros end texts
        if (i % 2 && b.size() >= 4) b[0] = b[1] = b[2] = b[3] = 0xFF;
        cases.push_back(b);
    }
    for (size_t n = 0; n < good.size(); ++n) cases.emplace_back(good.begin(), good.begin() + n);
    fs::create_directories(h.Path("ScrnShot"));
    auto folders = [&] {
        std::vector<std::string> out;
        for (const auto& e : fs::directory_iterator(h.root())) out.push_back(e.path().string());
        std::sort(out.begin(), out.end());
        return out;
    };
    std::vector<std::string> before = folders();
    auto start = [&] {
        ResetSettings();
        ResetMapDb();
        SetDefaultKeys();
        ReadSettings();
        SetRunMark();
        std::error_code ec;
        bool home = fs::equivalent(HostPath(gBasePath), h.root(), ec);
        bool databases = OpenMapDatabases() != 0;
        return home && databases;
    };
    int n = 0;
    for (const auto& bytes : cases) {
        SCOPED_TRACE(n++);
        WriteHostFile(h.Path("Env.dat"), bytes);
        WriteHostFile(h.Path("ScrnShot/00001.bmp.tmp"), {1});
        EXPECT_TRUE(start()) << gBasePath;
        EXPECT_FALSE(fs::exists(h.Path("ScrnShot/00001.bmp.tmp")));
        EXPECT_TRUE(start()) << gBasePath;  // after a first run that never ended cleanly
        EXPECT_EQ(fs::file_size(h.Path("Env.dat")), good.size());
    }
    EXPECT_TRUE(h.boxes().empty());
    EXPECT_EQ(folders(), before) << "no junk folders";
}
