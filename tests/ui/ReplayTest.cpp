// A replay through the real tick with scripted keys and mouse: the title's new
// game, the opening talk, a walk, the question answered, an encounter won on
// auto battle, F9, changes, F10; then
// a save into slot 3 through the system menu and the save screen, back to the
// title and slot 3 loaded through the load screen.
#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "battle/Battle.h"
#include "data/KeyBindings.h"
#include "map/MapManage.h"
#include "mhdata/SampleBattle.h"
#include "mhdata/Maps.h"
#include "platform/TextCodec.h"
#include "support/SampleSession.h"
#include "ui/MainMenu.h"
#include "ui/SaveScreens.h"
#include "ui/Screens.h"
#include "ui/SysPanel.h"
#include "ui/SaveFile.h"
#include "map/StoryLink.h"
#include "data/GameData.h"

namespace {

constexpr int kChangedFlag = 210;

// What a save must give back. Flags below 100 are the engine's switches, some
// of which a load sets on purpose; the story's flags start above them.
struct GameState {
    u16 map = 0, x = 0, y = 0;
    std::array<u8, kSavedFlagBytes - 13> storyFlags{};
    u32 money = 0;
    std::array<i32, kPartySize> party{};

    static GameState Take() {
        GameState s;
        s.map = static_cast<u16>(gMapId);
        s.x = gMapRoles[gPlayerSlot].x;
        s.y = gMapRoles[gPlayerSlot].y;
        std::memcpy(s.storyFlags.data(), gGameFlags + 13, s.storyFlags.size());
        s.money = gScriptVars[0];
        std::memcpy(s.party.data(), gParty, sizeof(gParty));
        return s;
    }
    bool operator==(const GameState&) const = default;
};

void PrintTo(const GameState& s, std::ostream* os) {
    *os << "map " << s.map << " at " << s.x << "," << s.y << " money " << s.money << " flag 200 "
        << ((s.storyFlags[(200 / 8) - 13] >> (200 % 8)) & 1) << " flag 210 "
        << ((s.storyFlags[(210 / 8) - 13] >> (210 % 8)) & 1) << " party " << s.party[0] << ","
        << s.party[1];
}

// The save of slot 3 without what the wall clock and the art decide (the date
// and the thumbnail, which other tests check), packed again as the game packs it.
std::vector<u8> ComparableSave(const std::vector<u8>& file) {
    auto img = std::make_unique<SaveImage>();
    DataError error;
    EXPECT_TRUE(ParseSaveImage(file.data(), file.size(), img.get(), &error)) << error.Message();
    std::memset(img->header.date, 0, sizeof(img->header.date));
    std::memset(img->header.thumb, 0, sizeof(img->header.thumb));
    return SaveImageBytes(*img);
}

// Compares with the golden save kept in the repository; MH_UPDATE_GOLDEN=1
// writes it instead (after a change to the sample game or to what a save holds).
void ExpectGoldenSave(const std::vector<u8>& bytes) {
    const std::string path = std::string(MH_GOLDEN_DIR) + "/replay-slot3.sav";
    if (const char* u = std::getenv("MH_UPDATE_GOLDEN"); u && *u == '1') {
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
        return;
    }
    std::vector<u8> golden = ReadHostFile(path);
    ASSERT_FALSE(golden.empty()) << path << " is missing";
    EXPECT_TRUE(bytes == golden)
        << "the replay's save differs from " << path << " (" << bytes.size() << " bytes against "
        << golden.size() << "); if the change is meant, refresh it with\n"
        << "  MH_UPDATE_GOLDEN=1 build/moonharbor_tests --gtest_filter='Replay.*'";
}

struct Replay : ::testing::Test {
    Harness h;
    SampleSession s{h};

    // Plays to the point of the first save: a new game, the opening talk closed,
    // the walk to the person and its question answered "yes".
    void PlayToTheAnswer() {
        s.NewGameFromTheTitle();
        ASSERT_TRUE(h.RunUntil([] { return !gDialogs.empty(); }, 20));
        ASSERT_TRUE(s.ConfirmUntilTalkEnds());
        ASSERT_GT(s.WalkToTheQuestion(), 0);
        s.Tap(s.Confirm());
        ASSERT_TRUE(h.RunUntil([] { return ChoiceOpen() && ChoicesShown(); }, 200));
        s.Tap(s.Confirm());
        ASSERT_TRUE(s.ConfirmUntilTalkEnds());
        ASSERT_TRUE(GetGameFlag(kSampleYesFlag));
        h.RunFrames(15);  // the mouse lock after a box runs out
        FightAnEncounter();
    }
    // The town's encounter, switched to auto battle: a slime's 20 gold and 12
    // experience go into the saves.
    void FightAnEncounter() {
        const u32 money = gScriptVars[0];
        const i32 exp = gRoleStats[0].exp;
        gBattleRequest = sample_battle::kTownEncounter;
        EnterBattle();
        ASSERT_TRUE(h.RunUntil([] { return gBattle.phase() == kPhaseMain; }, 30));
        s.Tap(static_cast<u8>(gKeyBindings[kKeyAutoAttack]));
        ASSERT_TRUE(h.RunUntil([] { return gBattleActive == 0; }, 3000));
        ASSERT_EQ(gScriptVars[0], money + 20);
        ASSERT_EQ(gRoleStats[0].exp, exp + 12);
        ASSERT_TRUE(BackInMapMode(20));
        h.RunFrames(15);
    }
    // Walks away, sets a story flag and spends money.
    void ChangeTheState() {
        u16 y = s.P().y;
        PlatformSetKey(kArrowUp, true);
        ASSERT_TRUE(h.RunUntil([&] { return s.P().y + 32 <= y; }, 60));
        PlatformSetKey(kArrowUp, false);
        h.RunFrames(10);
        SetGameFlag(kChangedFlag);
        gScriptVars[0] = 7;
    }
    void RightClick() {
        PlatformSetMouseButtons(false, true);
        h.RunFrames(1);
        PlatformSetMouseButtons(false, false);
        h.RunFrames(2);
    }
    // Runs until map mode is back with the player standing on the grid.
    bool BackInMapMode(int limit) {
        return h.RunUntil([] { return gFrameId == 0 && gPlayerSlot > 0; }, limit);
    }
};

TEST_F(Replay, QuickSaveAndLoadThenSlotThreeThroughTheScreens) {
    PlayToTheAnswer();
    const GameState saved = GameState::Take();
    ASSERT_EQ(saved.map, sampleMap::kTown);

    // F9: the "saving" notice, then the quick save.
    ASSERT_EQ(IsQuickSaveValid(), 0);
    s.Tap(scan::kF9);
    EXPECT_EQ(gFrameId & 0xFF, 28u);
    ASSERT_TRUE(BackInMapMode(60));
    ASSERT_EQ(IsQuickSaveValid(), 1);

    ChangeTheState();
    const GameState changed = GameState::Take();
    ASSERT_NE(changed, saved);
    ASSERT_NE(changed.y, saved.y);

    // F10: the "loading" notice, the quick save comes back.
    s.Tap(scan::kF10);
    EXPECT_EQ(gFrameId & 0xFF, 29u);
    ASSERT_TRUE(BackInMapMode(120));
    h.RunFrames(2);
    EXPECT_EQ(GameState::Take(), saved);
    EXPECT_FALSE(GetGameFlag(kChangedFlag));

    // F4 opens the system menu with the cursor on its first row, "save".
    h.RunFrames(15);
    s.Tap(scan::kF4);
    ASSERT_TRUE(h.RunUntil([] { return gFrameId == (kScreenBit | 13) && gFramePhase == 1; }, 10));
    s.Click();
    ASSERT_TRUE(h.RunUntil([] { return gFrameId == (kScreenBit | 8) && gFramePhase == 1; }, 10));
    ASSERT_NE(gSaveLoadFrame, nullptr);
    ASSERT_EQ(gSaveLoadFrame->top, 0) << "the list starts at slot 1";
    // Slot 3 is the third row.
    s.PointAt(200, 50 + 124 * 2 + 50);
    s.Click();
    ASSERT_FALSE(ReadHostFile(h.Path("Save/MH03.sav")).empty());
    // The right button leaves the save screen for the system menu, and that for the map.
    RightClick();
    ASSERT_TRUE(h.RunUntil([] { return gFrameId == (kScreenBit | 13) && gFramePhase == 1; }, 10));
    RightClick();
    ASSERT_TRUE(BackInMapMode(20));

    // The state changes again, then back to the title: the system menu's last
    // row asks "回主選單？", and its left half (確定) says yes.
    ChangeTheState();
    ASSERT_NE(GameState::Take(), saved);
    h.RunFrames(15);
    s.Tap(scan::kF4);
    ASSERT_TRUE(h.RunUntil([] { return gFrameId == (kScreenBit | 13) && gFramePhase == 1; }, 10));
    s.PointAt(SysRowPointX(), SysRowPointY(kSysRows - 1));
    s.Click();
    ASSERT_TRUE(h.RunUntil([] { return gFrameId == (kScreenBit | 1) && gFramePhase == 1; }, 10));
    s.PointAt(298, 262);
    s.Click();
    ASSERT_TRUE(h.RunUntil([] { return gFrameId == (kScreenBit | 0) && gFramePhase == 1; }, 20));
    ASSERT_NE(gMainMenuFrame, nullptr);

    // The title's "load" button opens the load screen; slot 3 loads.
    s.PointAt(TitleButtonX(1), kTitleButtonY);
    s.Click();
    ASSERT_TRUE(h.RunUntil([] { return gFrameId == (kScreenBit | 26) && gFramePhase == 1; }, 10));
    EXPECT_NE(std::string(gSaveLoadFrame->rows[2].date), B5("沒有資料"));
    s.PointAt(200, 50 + 124 * 2 + 50);
    s.Click();
    ASSERT_TRUE(BackInMapMode(120));
    h.RunFrames(2);
    EXPECT_EQ(GameState::Take(), saved);
    EXPECT_FALSE(GetGameFlag(kChangedFlag));
    EXPECT_TRUE(h.boxes().empty());
    ExpectGoldenSave(ComparableSave(ReadHostFile(h.Path("Save/MH03.sav"))));
}

}  // namespace
