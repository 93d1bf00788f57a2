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
#include "mhdata/Maps.h"
#include "platform/TextCodec.h"
#include "support/SampleSession.h"
#include "ui/SaveFile.h"

namespace {

namespace fs = std::filesystem;

// Runs what meets the bad data: one fault is reported, stderr and the last
// error say the message, and one box shows the caption and the text.
void ExpectOneReport(Harness& h, const std::function<void()>& meet, const std::string& caption,
                     const std::string& text, const std::string& message) {
    h.boxes().clear();
    const u32 before = DataErrorCount();
    ::testing::internal::CaptureStderr();
    meet();
    const std::string err = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(DataErrorCount() - before, 1u) << err;
    EXPECT_EQ(err, Big5ToUtf8(message) + "\n");
    EXPECT_EQ(LastDataError().Message(), message);
    ASSERT_EQ(h.boxes().size(), 1u);
    EXPECT_EQ(std::tie(h.boxes()[0].caption, h.boxes()[0].text), std::tie(caption, text));
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

TEST(DataReport, ReadersNameTheFileAndOffsetUnderTheirOwnBox) {
    Harness h;
    h.WriteSample();
    // What meets the bad data, the box's caption and text, and the message.
    const std::tuple<const char*, std::function<void()>, std::string, std::string, std::string>
        cases[] = {
            {"a database file missing",
             [&] {
                 fs::remove(h.Path("MH_Data/SkillData.dat"));
                 LoadGameDatabase(h.root().c_str());
             },
             B5("開檔失敗"), B5("無法開啟 SkillData.dat，請確定MH_Data目錄中是否有此檔？"),
             "MH_Data\\SkillData.dat: cannot be read"},
            // 512 bytes of header, then the table offsets (108 bytes): role 5's row.
            {"pop-out points of an odd count",
             [] {
                 PopOutDatabase();
                 i32 x = 0, y = 0;
                 EXPECT_EQ(std::tuple(PickPopOutPoint(5, &x, &y), x, y), std::tuple(1, 1, 2));
             },
             "2k", B5("迸出資料有問題 位置不完整"),
             "MH_Data\\maps.dat: offset 620: pop-out points of role 5 hold an odd count of words"},
            {"a save that cannot be read",
             [] {
                 EXPECT_EQ(IsSlotUsed(4), 0);
                 ShowBadSaveNotice();
             },
             B5("讀取進度"), B5("進度檔已損毀，無法讀取。"), SlotPath(4) + ": cannot be read"},
        };
    for (const auto& [name, meet, caption, text, message] : cases) {
        SCOPED_TRACE(name);
        ExpectOneReport(h, meet, caption, text, message);
    }
}

// A quick save made by play, then maps.dat cut inside its header while the game
// runs: F10 shows the start map's box as ever, and stderr and the last error
// name the file and the offset where it ends.
TEST(DataReport, AQuickLoadNamesAMapDatabaseDamagedDuringPlay) {
    Harness h;
    SampleSession s{h};
    s.NewGameFromTheTitle();
    ASSERT_TRUE(h.RunUntil([] { return !gDialogs.empty(); }, 20));
    ASSERT_TRUE(s.ConfirmUntilTalkEnds());
    h.RunFrames(15);
    s.Tap(scan::kF9);
    ASSERT_TRUE(h.RunUntil([] { return gFrameId == kMapMode; }, 60));
    ASSERT_EQ(IsQuickSaveValid(), 1);
    WriteHostFile(h.Path("MH_Data/maps.dat"), std::vector<u8>(300, 0));
    h.RunFrames(15);
    ExpectOneReport(
        h,
        [&] {
            s.Tap(scan::kF10);
            h.RunUntil([&] { return h.quit(); }, 60);
        },
        B5("遊戲初始"), B5("找不到設定的起始地圖碼 (1)"),
        "MH_Data\\maps.dat: offset 300: ends inside its 512-byte header");
    EXPECT_TRUE(h.quit());
}
