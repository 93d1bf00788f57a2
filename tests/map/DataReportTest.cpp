// Bad data met by the readers is said one way: one line on stderr and the last
// error, each with the file and the offset, and the box in the game's own words.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>

#include "base/ByteIo.h"
#include "base/DataError.h"
#include "data/GameDatabase.h"
#include "engine/DataErrors.h"
#include "map/City.h"
#include "map/KeyCole.h"
#include "map/MapDb.h"
#include "platform/TextCodec.h"
#include "support/SampleSession.h"
#include "map/GameMusic.h"
#include "map/StoryLink.h"
#include "shell/Settings.h"
#include "shell/Startup.h"
#include "data/Options.h"
#include "story/Talk.h"
#include "ui/SaveScreens.h"
#include "ui/ScreenLink.h"
#include "ui/SaveFile.h"

namespace {

namespace fs = std::filesystem;

// A case: its name; what meets the bad data in a world of its own, giving the
// message it must say (which may name the world's folder); the box's caption
// and text.
template <class World>
using ReportCase =
    std::tuple<const char*, std::function<std::string(World&)>, std::string, std::string>;

// Runs each case in a world made afresh for it (World::Make sets it up): what
// meets the bad data reports one fault, stderr and the last error say the
// message, and one box shows the caption and the text (none where the caption
// is empty: the game says it in its own way).
template <class World, size_t N>
void ExpectOneReportEach(const ReportCase<World> (&cases)[N]) {
    for (const auto& [name, meet, caption, text] : cases) {
        SCOPED_TRACE(name);
        World w;
        ASSERT_NO_FATAL_FAILURE(w.Make());
        Harness& h = w.h;
        h.boxes().clear();
        const u32 before = DataErrorCount();
        ::testing::internal::CaptureStderr();
        const std::string said = meet(w);
        const std::string err = ::testing::internal::GetCapturedStderr();
        EXPECT_EQ(DataErrorCount() - before, 1u) << err;
        EXPECT_EQ(err, Big5ToUtf8(said) + "\n");
        EXPECT_EQ(LastDataError().Message(), said);
        if (caption.empty()) {
            EXPECT_TRUE(h.boxes().empty()) << h.boxes()[0].caption;
            continue;
        }
        ASSERT_EQ(h.boxes().size(), 1u);
        EXPECT_EQ(std::tie(h.boxes()[0].caption, h.boxes()[0].text), std::tie(caption, text));
    }
}

// A database of 27 table offsets whose pop-out table (8) lists role 5 with three
// words: two make a point, the third is half of one.
void PopOutDatabase() {
    std::vector<u8> db(4 * kMapDbTableCount + 14);
    StoreU32(&db[4 * dbTable::kPopOut], 4 * kMapDbTableCount);
    const u16 words[] = {5, 1, 2, 3, 0xFFFF, 0xFFFF, 0xFFFF};
    for (size_t i = 0; i < 7; ++i) StoreU16(&db[4 * kMapDbTableCount + 2 * i], words[i]);
    SetMapDatabase(db.data(), static_cast<u32>(db.size()));
}

}  // namespace

// The sample game written afresh.
struct SampleFolder {
    void Make() { h.WriteSample(); }
    Harness h;
};

TEST(DataReport, ReadersNameTheFileAndOffsetUnderTheirOwnBox) {
    const ReportCase<SampleFolder> cases[] = {
        {"a database file missing",
         [](SampleFolder& w) {
             fs::remove(w.h.Path("MH_Data/SkillData.dat"));
             LoadGameDatabase(w.h.root().c_str());
             return "MH_Data\\SkillData.dat: cannot be read";
         },
         B5("開檔失敗"), B5("無法開啟 SkillData.dat，請確定MH_Data目錄中是否有此檔？")},
        // 512 bytes of header, then the table offsets (108 bytes): role 5's row.
        {"pop-out points of an odd count",
         [](SampleFolder&) {
             PopOutDatabase();
             i32 x = 0, y = 0;
             EXPECT_EQ(std::tuple(PickPopOutPoint(5, &x, &y), x, y), std::tuple(1, 1, 2));
             return "MH_Data\\maps.dat: offset 620: pop-out points of role 5 hold an odd count "
                    "of words";
         },
         "2k", B5("迸出資料有問題 位置不完整")},
        {"a slot that cannot be read",
         [](SampleFolder&) {
             EXPECT_EQ(LoadSlotFile(4), 0);
             return SlotPath(4) + ": cannot be read";
         },
         B5("讀取進度"), B5("進度檔已損毀，無法讀取。")},
        // The sample's settings file with its last byte, the run mark, neither 0
        // nor 1: reset to the defaults, the damaged file kept beside a fresh one.
        // A start reads it from the folder the game runs in.
        {"a damaged settings file",
         [](SampleFolder& w) {
             std::vector<u8> env = ReadHostFile(w.h.Path("Env.dat"));
             env.back() = 7;
             WriteHostFile(w.h.Path("Env.dat"), env);
             ResetSettings();
             SetDefaultKeys();
             ReadSettings();
             EXPECT_EQ(ReadHostFile(w.h.Path("Env.dat.bad")), env);
             EnvValues fresh;
             EXPECT_EQ(ReadEnvFile(&fresh), 1);
             return "Env.dat: offset " + std::to_string(env.size() - 1) +
                    ": unknown run mark; the settings are reset to their defaults, the damaged "
                    "file kept as Env.dat.bad";
         },
         "", ""},
    };
    ExpectOneReportEach(cases);
}

// A game past its opening, saved quickly, a script variable changed from what
// the save holds, and the quick save made one byte too long.
struct DamagedQuickSave {
    void Make() {
        ASSERT_NO_FATAL_FAILURE(s.PastTheOpening());
        h.RunFrames(15);
        ASSERT_EQ(QuickSave(), 1);
        good = ReadHostFile(h.Path("Save/Quick.sav"));
        std::vector<u8> quick = good;
        quick.push_back(0);
        WriteHostFile(h.Path("Save/Quick.sav"), quick);
        gScriptVars[0] = 4321;
    }
    std::string QuickFault() const {
        return QuickPath() + ": offset " + std::to_string(good.size()) +
               ": 1 bytes after the last item";
    }
    // F10 shows the notice "沒有快取記錄！" and the game goes on as it was:
    // map mode, or the title running again, the variable as it was.
    void TapF10AndSeeNone(u32 backTo) {
        s.Tap(scan::kF10);
        ASSERT_TRUE(h.RunUntil([] { return gQuickNoticeFrame && gFramePhase == 1; }, 5));
        EXPECT_EQ(std::string(gQuickNoticeFrame->text), B5("沒有快取記錄！"));
        ASSERT_TRUE(h.RunUntil(
            [&] { return gFrameId == backTo && (backTo == kMapMode || gFramePhase == 1); }, 60));
        EXPECT_EQ(gScriptVars[0], 4321u);
    }
    // Zeros where the music was: the name says which kind of file it is. The
    // message, naming the file, ends with said.
    std::string DamageMusic(const char* name, u32 n, const char* said) {
        WriteHostFile(h.Path(std::string("music/") + name), std::vector<u8>(4096, 0));
        PlayMusic(n, 0);
        h.RunFrames(3);
        return std::string(gBasePath) + "music\\" + name + said;
    }
    Harness h;
    SampleSession s{h};
    std::vector<u8> good;
};

// The quick save one byte too long: F10 on the map and on the title, while
// stderr and the last error name the file and where it goes wrong. Music files
// damaged where the game plays them, and a story command that does not exist,
// name their files too. The good quick save back and maps.dat cut inside its
// header while the game runs: F10 shows the start map's box as ever, and
// stderr and the last error name the file and the offset where it ends.
TEST(DataReport, QuickLoadsMusicAndTalksNameTheDamagedFile) {
    // Talk 8001 is entry 1 of Talk9.dat: a command the interpreter knows
    // (0x402), then one it does not, 2 bytes after the talk's start.
    const u32 start = 4 * kTalkEntries;
    std::vector<u8> talk(kTalkBase + start, 0);
    StoreU32(&talk[kTalkBase + 4], start);
    for (u8 b : {0x02, 0x04, 0xBA, 0x00}) talk.push_back(b);
    using World = DamagedQuickSave;
    const ReportCase<World> cases[] = {
        {"F10 on the map",
         [](World& w) {
             w.TapF10AndSeeNone(kMapMode);
             return w.QuickFault();
         },
         "", ""},
        {"an unknown story command",
         [&](World& w) {
             WriteHostFile(w.h.Path("MH_Data/Talk9.dat"), talk);
             StartTalk(8001, gPlayerId);
             w.h.RunFrames(3);
             EXPECT_FALSE(TalkRunning());
             return "Talk9.dat: offset " + std::to_string(kTalkBase + start + 2) +
                    ": unknown command 0xBA";
         },
         B5("對話系統"), B5("沒有指令(186,ba),(1026,402)")},
        {"a damaged field.wav",
         [](World& w) {
             return w.DamageMusic("field.wav", 3, ": offset 0: not a RIFF WAVE image");
         },
         "", ""},
        {"a damaged battle.mp3",
         [](World& w) {
             return w.DamageMusic("battle.mp3", 5, ": offset 0: no MPEG audio frames found");
         },
         "", ""},
        {"F10 on the title",
         [](World& w) {
             gFrameId = kScreenBit | 0;
             gFramePhase = 0;
             w.h.RunFrames(2);
             EXPECT_NE(gMainMenuFrame, nullptr);
             w.TapF10AndSeeNone(kScreenBit | 0);
             return w.QuickFault();
         },
         "", ""},
        {"a map database damaged during play",
         [](World& w) {
             WriteHostFile(w.h.Path("Save/Quick.sav"), w.good);
             WriteHostFile(w.h.Path("MH_Data/maps.dat"), std::vector<u8>(300, 0));
             w.s.Tap(scan::kF10);
             w.h.RunUntil([&] { return w.h.quit(); }, 60);
             EXPECT_TRUE(w.h.quit());
             return "MH_Data\\maps.dat: offset 300: ends inside its 512-byte header";
         },
         B5("遊戲初始"), B5("找不到設定的起始地圖碼 (1)")},
    };
    ExpectOneReportEach(cases);
}

// A game folder whose name is not ASCII (the file system's names are UTF-8) is
// named on stderr as the file system names it, with the game's own words after
// it: a start there without the game's data (its sound bank, the folder and the
// command that writes the sample there), a settings file that cannot be written.
TEST(DataReport, AFolderNamedOutsideAsciiIsNamedAsItStands) {
    // What meets the fault in the folder, giving the lines stderr says.
    using Case = std::function<std::vector<std::string>(const std::string& folder)>;
    const Case kCases[] = {
        [](const std::string& folder) {
            StartUp();
            return std::vector<std::string>{
                folder + "/PicLib\\all.snd: SFX file connot open.\n",
                "moonharbor: no game data in " + folder +
                    ": MH_Data/maps.dat is missing; write the sample game there with `mhgen " +
                    folder + "` (built beside the game)\n"};
        },
        [](const std::string& folder) {
            SaveOptions(true);  // the folder has no Save folder
            return std::vector<std::string>{
                folder + "/Save\\Option.sav: could not be written (No such file or directory)\n"};
        },
    };
    for (const Case& meet : kCases) {
        Harness h;
        const std::string folder = h.root() + "月港 ☃ é";
        fs::create_directories(folder);
        std::snprintf(gBasePath, kPathSize, "%s/", folder.c_str());
        h.CreateMainWindow();
        ::testing::internal::CaptureStderr();
        const std::vector<std::string> lines = meet(folder);
        const std::string err = ::testing::internal::GetCapturedStderr();
        for (const std::string& line : lines) EXPECT_NE(err.find(line), std::string::npos) << err;
    }
}
