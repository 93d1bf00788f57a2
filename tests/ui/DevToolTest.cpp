// The developer tool: flag stepping and editing through the tick, its save
// file's bytes, round trip and bad files, the slot rows, and leaving the tool.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "data/GameData.h"
#include "data/GameFlags.h"
#include "map/MapScene.h"
#include "map/NewGame.h"
#include "shell/Settings.h"
#include "platform/TextCodec.h"
#include "story/PartyCommands.h"
#include "SaveTestSupport.h"
#include "support/Input.h"
#include "ui/DevTool.h"
#include "ui/SaveFile.h"
#include "platform/Input.h"
#include "map/RoleTable.h"
#include "map/City.h"
#include "engine/File.h"
#include "base/ByteIo.h"

namespace {

constexpr u8 kScanS = 31, kScanL = 38;

TEST(DevFlagStep, WrapsAtBothEndsInsteadOfFoldingOver) {
    EXPECT_EQ(StepDebugFlag(0, -1), 8159);
    EXPECT_EQ(StepDebugFlag(8159, 1), 0);
    EXPECT_EQ(StepDebugFlag(3, -6), 8159);  // to the last flag, not 8156
    EXPECT_EQ(StepDebugFlag(8100, 120), 0);
    EXPECT_EQ(StepDebugFlag(8159, -1), 8158);
    EXPECT_EQ(StepDebugFlag(5, 6), 11);
    EXPECT_EQ(StepDebugFlag(130, -120), 10);
}

struct DevToolTest : SampleTownTest {
    void SetUp() override {
        SampleTownTest::SetUp();
        std::filesystem::create_directories(h.Path("save"));
    }
    void TearDown() override { PlatformReleaseAllKeys(); }
    void Tap(u8 code) { TapKey(h, code); }
    void ClickAt(i32 x, i32 y) { ::ClickAt(h, x, y); }
    std::string File(int slot) { return h.Path("save/" + std::to_string(slot) + ".sav"); }
    void MakeKnownState() {
        gScriptVars[0] = 4321;
        gScriptVars[255] = 99;
        gGameTime = 2 * 3600 + 3 * 60 + 4;
        SetGameFlag(77);
        SetGameFlag(3999);
        gSaveReserved[7] = 0x3C;
        gQuakePeriod = 5;
        gQuakeTable[1] = 0x11;
        for (int k = 0; k < 4; ++k) {
            std::memset(gNewGame.entries[k].bytes, 0xA0 + k, sizeof(gNewGame.entries[k].bytes));
            StoreU16(gNewGame.entries[k].bytes + 16, static_cast<u16>(10 + k));
        }
    }
};

TEST_F(DevToolTest, FlagEditorStepsTogglesAndRepeatsThroughTheTick) {
    gDevToolActive = kDevToolOn;
    Tap(kScanLeft);
    EXPECT_EQ(gDevTool.flag, 8159);
    Tap(kScanRight);
    EXPECT_EQ(gDevTool.flag, 0);
    Tap(kScanDown);
    Tap(kScanPgDn);
    EXPECT_EQ(gDevTool.flag, 126);
    Tap(kScanUp);
    Tap(kScanPgUp);
    EXPECT_EQ(gDevTool.flag, 0);
    // Held for five frames: acts on frames 1, 4 and 5.
    PlatformSetKey(kScanRight, true);
    h.RunFrames(5);
    PlatformSetKey(kScanRight, false);
    h.RunFrames(1);
    EXPECT_EQ(gDevTool.flag, 3);
    Tap(kScanPgDn);
    ASSERT_EQ(gDevTool.flag, 123);
    int before = GetGameFlag(123);
    Tap(static_cast<u8>(gMapKeyCodes[1]));
    EXPECT_EQ(GetGameFlag(123), before ? 0 : 1);
    Tap(static_cast<u8>(gMapKeyCodes[1]));
    EXPECT_EQ(GetGameFlag(123), before);
    EXPECT_EQ(gDevToolActive, kDevToolOn);
}

TEST_F(DevToolTest, StartingValueBecomesOneAndEscapeOrThePlayersSaveLeaves) {
    gFrameId = 0x8000000Du;
    OpenDebugTool();
    EXPECT_EQ(gDevToolActive, kDevToolStarting);
    h.RunFrames(1);
    EXPECT_EQ(gDevToolActive, kDevToolOn);
    EXPECT_EQ(gDevTool.page, 0);
    Tap(kScanF2);
    EXPECT_EQ(gDevTool.page, 1);
    EXPECT_EQ(gDevTool.rows[0].state, 1);  // no files yet
    PlatformSetKey(kScanEsc, true);
    h.RunFrames(1);
    PlatformSetKey(kScanEsc, false);
    EXPECT_EQ(gDevToolActive, kDevToolOff);
    EXPECT_EQ(gFrameId, 0u);
    EXPECT_EQ(gDevTool.rows[0].state, 0);
    // The player's save leaves the tool too, its rows freed.
    MakeKnownState();
    ASSERT_EQ(WriteDevSave(0), 1);
    gDevToolActive = kDevToolOn;
    gCurrentSlot = 0;
    ReadDebugSlotPage();
    ASSERT_EQ(gDevTool.rows[0].state, 2);
    ASSERT_EQ(SaveToSlotFile(10), 1);
    EXPECT_EQ(gDevToolActive, kDevToolOff);
    EXPECT_EQ(gDevTool.rows[0].state, 0);
    EXPECT_EQ(gDevTool.rows[0].thumb, nullptr);
}

TEST_F(DevToolTest, FileFollowsItsLayout) {
    MakeKnownState();
    ASSERT_EQ(WriteDevSave(4), 1);
    std::vector<u8> f = ReadHostFile(File(4));
    ASSERT_GT(f.size(), 38444u);
    for (int i = 0; i < 12; ++i) EXPECT_TRUE(f[i] >= '0' && f[i] <= '9') << i;
    EXPECT_EQ(std::memcmp(&f[38412], gMap.name, std::min<size_t>(32, std::strlen(gMap.name))), 0);
    size_t off = 38444;
    std::vector<u8> flags = UnpackAt(f, &off);
    ASSERT_EQ(flags.size(), 500u);
    EXPECT_EQ(std::memcmp(flags.data(), gGameFlags, 500), 0);
    std::vector<u8> roles = UnpackAt(f, &off);
    EXPECT_EQ(roles.size(), static_cast<size_t>(gRoleRecordCount) * kRecordBytes);
    EXPECT_EQ(LoadU32(&f[off]), gPlayerId);
    EXPECT_EQ(LoadU32(&f[off + 4]), gMapId);
    off += 28;
    std::vector<u8> vars = UnpackAt(f, &off);
    ASSERT_GE(vars.size(), 1270u);
    EXPECT_EQ((vars.size() - 1270) % 8, 0u);
    EXPECT_EQ(LoadU32(&vars[0]), gGameTime);
    EXPECT_EQ(LoadU32(&vars[4]), 4321u);
    EXPECT_EQ(LoadU32(&vars[4 + 255 * 4]), 99u);
    for (int k = 0; k < 4; ++k) {
        const u8* rec = &vars[1028 + 60 * k];
        EXPECT_EQ(rec[0], 0xA0 + k);
        EXPECT_EQ(LoadU16(rec + 16), 10 + k);
        EXPECT_EQ(LoadU32(rec + 38), 0u) << "bytes 38-41 of record " << k;
        EXPECT_EQ(rec[37], 0xA0 + k);
    }
    EXPECT_EQ(LoadU16(&vars[vars.size() - 2]), 0u);
    EXPECT_EQ(f[off + 7], 0x3C);
    off += 384;
    EXPECT_EQ(LoadU16(&f[off]), 5u);
    EXPECT_EQ(f[off + 4 + 1], 0x11);
    off += 132;
    std::vector<u8> scripts = UnpackAt(f, &off);
    EXPECT_EQ(scripts.size(), 104u);
    EXPECT_EQ(off, f.size());  // the file ends after the script records
}

TEST_F(DevToolTest, SaveChangeLoadGivesBackTheFileItemsOnly) {
    MakeKnownState();
    gQuestList = {1, 2};
    i32 party0 = gParty[0];
    ASSERT_EQ(WriteDevSave(9), 1);
    u32 savedMap = gMapId;
    gScriptVars[0] = 1;
    gScriptVars[255] = 0;
    gGameTime = 5;
    ClearGameFlag(77);
    ClearGameFlag(3999);
    SetGameFlag(3998);
    gSaveReserved[7] = 0;
    gQuestList = {7};  // not in the file: stays
    gDevToolActive = kDevToolOn;
    ReadDebugSlotPage();
    ASSERT_EQ(LoadDevSave(9), 1);
    EXPECT_EQ(gScriptVars[0], 4321u);
    EXPECT_EQ(gScriptVars[255], 99u);
    EXPECT_EQ(gGameTime, 2u * 3600 + 3 * 60 + 4);
    EXPECT_TRUE(GetGameFlag(77));
    EXPECT_TRUE(GetGameFlag(3999));
    EXPECT_FALSE(GetGameFlag(3998));
    EXPECT_EQ(gSaveReserved[7], 0x3C);
    EXPECT_EQ(gMapId, savedMap);
    EXPECT_EQ(gQuestList.size(), 1u);
    EXPECT_EQ(gParty[0], party0);
    EXPECT_EQ(gCurrentSlot, 9);
    EXPECT_EQ(gDevToolActive, kDevToolOff);
    EXPECT_EQ(gDevTool.rows[0].state, 0);  // rows freed on the way out
    // A file naming a map the database lacks is refused; the game stays as it is.
    gMapId = 999;
    ASSERT_EQ(WriteDevSave(8), 1);
    gMapId = savedMap;
    gScriptVars[0] = 5;
    EXPECT_EQ(LoadDevSave(8), 0);
    EXPECT_EQ(gScriptVars[0], 5u);
    EXPECT_EQ(gMapId, savedMap);
    EXPECT_EQ(gCurrentSlot, 9);
}

TEST_F(DevToolTest, RowsShowTheFileAndTheNewestSlotIsChosen) {
    MakeKnownState();
    ASSERT_EQ(WriteDevSave(4), 1);
    ASSERT_EQ(WriteDevSave(7), 1);
    EXPECT_EQ(AnyDebugSaveExists(), 1);
    auto now = std::filesystem::file_time_type::clock::now();
    std::filesystem::last_write_time(File(7), now - std::chrono::hours(2));
    std::filesystem::last_write_time(File(4), now - std::chrono::hours(1));
    gCurrentSlot = 0;
    SelectNewestDebugSlot();
    EXPECT_EQ(gCurrentSlot, 4);
    const DebugSlotInfo& empty = gDevTool.rows[0];  // slot 3
    const DebugSlotInfo& row = gDevTool.rows[1];    // slot 4
    EXPECT_EQ(empty.state, 1);
    ASSERT_EQ(row.state, 2);
    EXPECT_EQ(row.money, 4321u);
    EXPECT_EQ(row.playTime, 2u * 3600 + 3 * 60 + 4);
    for (int k = 0; k < 4; ++k) EXPECT_EQ(row.partyValue[k], 10 + k);
    ASSERT_NE(row.date, nullptr);
    std::string date = row.date;
    ASSERT_EQ(date.size(), 16u);
    EXPECT_EQ(date[4], '/');
    EXPECT_EQ(date[7], '/');
    EXPECT_EQ(date[13], ':');
    EXPECT_EQ(date.find('_'), std::string::npos);
    EXPECT_EQ(std::string(row.playTimeText),
              std::string("02") + B5("時") + "03" + B5("分") + "04" + B5("秒"));
    EXPECT_EQ(row.block[1], 0x11);
    // The current slot's row walks, the others stand.
    EXPECT_EQ(gDevTool.roleActs[1][0].action, 8);
    EXPECT_EQ(gDevTool.roleActs[0][0].action, 0);
    EXPECT_EQ(gDevTool.roleActs[2][3].act, 4);
    EXPECT_EQ(gDevTool.roleActs[2][3].dir, 6);
}

TEST_F(DevToolTest, EndMarkIsReadFromTheLastFourBytes) {
    WriteHostFile(File(0), {1, 2, 3, 0xEE, 0xEE, 0xFF, 0xFF});
    WriteHostFile(File(1), {0xEE, 0xEE, 0xFF, 0xFF, 0});
    WriteHostFile(File(2), {0xEE, 0xEE, 0xFF});
    int expect[3] = {1, 0, 0};
    for (int s = 0; s < 3; ++s) {
        cFile f;
        ASSERT_TRUE(f.Open(DevSavePath(s).c_str(), OPEN_EXISTING, GENERIC_READ));
        EXPECT_EQ(HasDebugEndMark(&f), expect[s]) << s;
    }
    EXPECT_EQ(HasDebugEndMark(nullptr), 0);
}

TEST_F(DevToolTest, SavePageSavesAsksBeforeOverwritingAndLoads) {
    MakeKnownState();
    gCurrentSlot = 5;
    gDevToolActive = kDevToolOn;
    Tap(kScanF2);
    ASSERT_EQ(gDevTool.page, 1);
    // A click on the first row picks slot 3; down moves to 4.
    ClickAt(100, 60);
    EXPECT_EQ(gCurrentSlot, 3);
    Tap(kScanDown);
    EXPECT_EQ(gCurrentSlot, 4);
    // The bottom arrow pages on by three.
    ClickAt(610, 460);
    EXPECT_EQ(gCurrentSlot, 7);
    Tap(kScanPgUp);
    EXPECT_EQ(gCurrentSlot, 4);
    // An empty slot saves at once and leaves the tool.
    Tap(kScanS);
    EXPECT_TRUE(std::filesystem::exists(File(4)));
    EXPECT_EQ(gDevToolActive, kDevToolOff);

    // Over an existing file it asks; "否" keeps the file, confirm writes it.
    auto stamp = std::filesystem::file_time_type::clock::now() - std::chrono::hours(3);
    std::filesystem::last_write_time(File(4), stamp);
    gDevToolActive = kDevToolOn;
    Tap(kScanF2);
    ASSERT_EQ(gDevTool.rows[1].state, 2);
    Tap(kScanS);
    EXPECT_TRUE(gDevTool.asking);
    ClickAt(312, 248);
    EXPECT_FALSE(gDevTool.asking);
    EXPECT_EQ(std::filesystem::last_write_time(File(4)), stamp);
    EXPECT_EQ(gDevToolActive, kDevToolOn);
    Tap(kScanS);
    ASSERT_TRUE(gDevTool.asking);
    Tap(static_cast<u8>(gMapKeyCodes[1]));
    EXPECT_NE(std::filesystem::last_write_time(File(4)), stamp);
    EXPECT_EQ(gDevToolActive, kDevToolOff);

    // L loads the current slot's file.
    gScriptVars[0] = 1;
    gDevToolActive = kDevToolOn;
    Tap(kScanF2);
    Tap(kScanL);
    EXPECT_EQ(gScriptVars[0], 4321u);
    EXPECT_EQ(gDevToolActive, kDevToolOff);
    EXPECT_TRUE(h.boxes().empty());
}

}  // namespace
