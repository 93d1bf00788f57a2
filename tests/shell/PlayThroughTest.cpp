// The whole sample adventure played through the real tick with keys and the
// mouse, as a player plays it, the random numbers seeded: the title's new game
// and the opening's quest; the menu pages in the town; out by the signpost to
// the world map; the lighthouse, its keeper's question and the pirate
// captain's raid, lost and survived; the legend and the thunder god's form;
// the pirates on the pier beaten; their ship sailing off and the harbour's
// picture show; the keeper's thanks, the ending, the end screen, and the title
// once more. The shops, the offering, the saves, the wild monsters and the
// form's turn in a fight are driven by their own tests.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "battle/Battle.h"
#include "data/KeyBindings.h"
#include "engine/Random.h"
#include "map/MapManage.h"
#include "mhdata/Maps.h"
#include "mhdata/SampleMenu.h"
#include "sound/BinkPlayer.h"
#include "sound/Music.h"
#include "story/PartyCommands.h"
#include "story/PicShow.h"
#include "support/SampleSession.h"
#include "ui/EndingFrame.h"
#include "ui/Screens.h"
#include "ui/SysPanel.h"
#include "ui/UiInput.h"

using namespace sampleMap;

namespace {

constexpr u32 kSeed = 44;
// Screens by number.
constexpr u32 kItemsPage = 2, kEquipPage = 3, kOfferPage = 4, kEndingScreen = 5, kQuestLog = 10,
              kSystemMenu = 13, kTestEnd = 16, kTransformPage = 17, kSkillsPage = 23;

struct PlayThrough : ::testing::Test {
    Harness h;
    SampleSession s{h};
    static u32 Screen(u32 n) { return kScreenBit | n; }
    // A checkpoint: its screen is up (phase 1, open and running).
    void Reached(const std::string& name, u32 frameId) {
        ASSERT_TRUE(h.RunUntil([&] { return gFrameId == frameId && gFramePhase == 1; }, 200))
            << name << ": screen " << std::hex << gFrameId << " phase " << gFramePhase;
    }
    // A checkpoint on the map: map, cell, no screen, no talk.
    void ReachedMap(const std::string& name, u32 map, int cx, int cy) {
        ASSERT_TRUE(h.RunUntil([&] { return gMapId == map && gFrameId == 0 && s.TalkFree(); }, 300))
            << name << ": map " << gMapId << " screen " << std::hex << gFrameId;
        h.RunFrames(4);
        EXPECT_EQ(s.P().x, cx * 16) << name;
        EXPECT_EQ(s.P().y, cy * 16) << name;
    }
    // Reads the boxes of a talk until pred holds.
    bool ConfirmUntil(const std::function<bool()>& pred, int taps = 80) {
        for (int i = 0; i < taps && !pred(); ++i) TapKey(h, s.Confirm(), 4);
        return pred();
    }
    void RightClick() {
        PlatformSetMouseButtons(false, true);
        h.RunFrames(1);
        PlatformSetMouseButtons(false, false);
        h.RunFrames(2);
    }
    // Backs out of screens with the right button until the map is back.
    void BackToTheMap() {
        for (int i = 0; i < 30 && !(gFrameId == 0 && s.TalkFree()); ++i) {
            gFrameId != 0 ? RightClick() : s.Tap(s.Confirm());
            h.RunFrames(3);
        }
        ASSERT_EQ(gFrameId, 0u);
        ASSERT_TRUE(s.TalkFree()) << gTalkContext.owner << " talk " << gTalkContext.talk
                                  << " flags " << gTalkFlags << " boxes " << gDialogs.size();
    }
    // Every member of the party stands with at least minHp, or at full health.
    static void PartyHp(i32 minHp, bool full) {
        for (i32 m : gParty)
            EXPECT_TRUE(m < 0 || gRoleStats[m].hp >= (full ? gRoleStats[m].maxHp : minHp)) << m;
    }
    // On the world map: up/down pick the location, the player walks to it, and
    // confirm clicks its mark.
    void WorldMapTo(u16 location, u32 map) {
        ASSERT_TRUE(h.RunUntil([] { return gMapId == kWorld && gFrameId == 0; }, 100));
        h.RunFrames(4);
        for (int i = 0; i < 6; ++i) {
            s.Tap(kArrowDown);
            h.RunFrames(2);
            if (gWorldMapIndex < kWorldMapLocations && gWorldMap[gWorldMapIndex].id == location)
                break;
        }
        ASSERT_TRUE(gWorldMapIndex < kWorldMapLocations &&
                    gWorldMap[gWorldMapIndex].id == location);
        const WorldMapLocation& l = gWorldMap[gWorldMapIndex];
        ASSERT_TRUE(
            h.RunUntil([&] { return s.P().x == l.cellX * 16 && s.P().y == l.cellY * 16; }, 600));
        h.RunFrames(4);
        s.Tap(s.Confirm());
        ASSERT_TRUE(h.RunUntil([&] { return gMapId == map && SampleSession::TalkFree(); }, 100));
    }
    // A battle up to its main phase, then on auto to its end; true for a victory.
    bool AutoBattle() {
        EXPECT_TRUE(h.RunUntil([] { return gBattle.phase() == kPhaseMain; }, 100));
        s.Tap(static_cast<u8>(gKeyBindings[kKeyAutoAttack]));
        EXPECT_TRUE(h.RunUntil([] { return gBattle.phase() != kPhaseMain; }, 6000));
        const bool won = gBattle.outcome() == kOutcomeVictory;
        EXPECT_TRUE(h.RunUntil([] { return gBattleActive == 0; }, 1000));
        return won;
    }
};

TEST_F(PlayThrough, TitleToEnding) {
    s.NewGameFromTheTitle();
    ClearGameFlag(SampleSession::kFlagNoEncounters);  // played as it comes
    ASSERT_TRUE(h.RunUntil([] { return !gDialogs.empty(); }, 20));
    EXPECT_EQ(gTalkContext.talk, kSampleOpeningTalk);
    ASSERT_TRUE(s.ConfirmUntilTalkEnds());
    ASSERT_NO_FATAL_FAILURE(ReachedMap("town", kTown, 10, 10));
    EXPECT_GE(static_cast<i32>(gScriptVars[0]), sampleMenu::kOpeningMoney);  // the money
    EXPECT_EQ(gQuestList, (std::deque<u32>{kSampleKeeperQuest}));
    EXPECT_EQ(gEncounterGroup, 0u) << "no wild monsters in the town";

    // The menu pages by their keys and buttons (a key, or a click where there is
    // none): items, equipment, the offering, the transformation page, skills,
    // the system menu and its quest log.
    struct PageStep {
        u8 key;
        i32 x, y;
        u32 screen;
    };
    for (const PageStep& st : {PageStep{kScanF1, 0, 0, kItemsPage},
                               {0, 520, 104 + 40, kEquipPage},
                               {0, 470, 20, kItemsPage},
                               {0, 520, 104 + 80, kOfferPage},
                               {0, 470, 20, kItemsPage},
                               {0, 520, 104 + 120, kTransformPage},
                               {kScanF2, 0, 0, kSkillsPage},
                               {kScanF4, 0, 0, kSystemMenu},
                               {0, SysRowPointX(), SysRowPointY(4), kQuestLog}}) {
        st.key ? TapKey(h, st.key, 3) : ClickAt(h, st.x, st.y, 2);
        ASSERT_NO_FATAL_FAILURE(Reached("menu page", Screen(st.screen)));
    }
    ASSERT_NO_FATAL_FAILURE(BackToTheMap());

    // Out by the signpost: west along the street.
    PlatformSetKey(kArrowLeft, true);
    bool out = h.RunUntil([] { return gMapId == kWorld; }, 600);
    PlatformSetKey(kArrowLeft, false);
    ASSERT_TRUE(out);
    ASSERT_NO_FATAL_FAILURE(ReachedMap("world map", kWorld, kWorldStartX, kWorldStartY));

    // The lighthouse, with its own music.
    ASSERT_NO_FATAL_FAILURE(WorldMapTo(kWorldLighthouseLocation, kFar));
    ASSERT_NO_FATAL_FAILURE(ReachedMap("lighthouse", kFar, kFarArriveX, kFarArriveY));
    const char* music = gMusic.GetList(1).slots[0].name;
    ASSERT_NE(music, nullptr);
    EXPECT_NE(std::string(music).find(kLighthouseMusicName), std::string::npos) << music;

    // The keeper's question, answered yes: the captain's raid, lost and survived.
    InitRandom(kSeed);
    s.Tap(s.Confirm());
    ASSERT_EQ(gTalkContext.talk, kSampleKeeperTalk);
    ASSERT_TRUE(ConfirmUntil([] { return gBattleActive != 0; }));
    EXPECT_TRUE(GetGameFlag(322));
    EXPECT_FALSE(AutoBattle()) << "nobody beats the captain";
    ASSERT_EQ(gFrameId, 0u) << "flag 322: the game goes on";
    PartyHp(1, false);
    // The keeper tells the legend; the form is earned.
    ASSERT_TRUE(ConfirmUntil([] { return GetGameFlag(302) != 0; }));
    EXPECT_TRUE(GetGameFlag(kSampleRaidFlag));
    EXPECT_FALSE(GetGameFlag(322));
    ASSERT_TRUE(ConfirmUntil([] { return gMapId == kTown && SampleSession::TalkFree(); }));
    const StreetSpot* pier = nullptr;
    for (const StreetSpot& spot : kStreetSpots)
        if (spot.talk == kSampleBattleTalk) pier = &spot;
    ASSERT_NE(pier, nullptr);
    ASSERT_NO_FATAL_FAILURE(ReachedMap("rowed to the pier", kTown, pier->x, kStreetSpotY + 1));
    EXPECT_EQ(gQuestList, (std::deque<u32>{kSamplePiratesQuest}));
    PartyHp(0, true);

    // The pier: the pirates, beaten.
    s.Tap(kArrowUp);
    ASSERT_EQ(gTalkContext.talk, kSampleBattleTalk);
    ASSERT_TRUE(ConfirmUntil([] { return gBattleActive != 0; }));
    ASSERT_TRUE(AutoBattle()) << "the pirates won";
    // Their ship sails off in a video, which Esc stops; then out of town.
    ASSERT_TRUE(ConfirmUntil([] { return (gRunState & kRunVideo) != 0; }, 20));
    ASSERT_NE(gBinkPlayer, nullptr);
    EXPECT_TRUE(gBinkPlayer->IsOpen()) << "the ship's video is there";
    h.PostKeyUp(VK_ESCAPE);
    h.RunFrames(2);
    EXPECT_FALSE(gRunState & kRunVideo);
    // Then the picture show from the game's Video folder, every frame of it,
    // and the talk goes on.
    ASSERT_TRUE(ConfirmUntil([] { return gPicShow.running; }, 20));
    ASSERT_TRUE(h.RunUntil([] { return !gPicShow.running; }, 200));
    EXPECT_EQ(gPicShow.frame, gPicShow.header.frames);
    EXPECT_GT(gPicShow.header.frames, 0u);
    ASSERT_TRUE(ConfirmUntil([] { return gMapId == kWorld; }));
    EXPECT_TRUE(GetGameFlag(kSamplePiratesFlag));
    EXPECT_TRUE(gQuestList.empty());

    // The keeper's thanks and the ending (its stages are the ending screen's
    // own tests), the end screen, then the title, the game ended.
    ASSERT_NO_FATAL_FAILURE(WorldMapTo(kWorldLighthouseLocation, kFar));
    s.Tap(s.Confirm());
    ASSERT_EQ(gTalkContext.talk, kSampleKeeperTalk);
    ASSERT_TRUE(ConfirmUntil([] { return gFrameId == Screen(kEndingScreen); }));
    EXPECT_EQ(gEndingFrame.state, 1) << "the first layout";
    ASSERT_TRUE(h.RunUntil([] { return gFrameId == Screen(kTestEnd) && gFramePhase == 1; }, 1000));
    h.RunFrames(40);
    s.Tap(s.Confirm());
    ASSERT_NO_FATAL_FAILURE(Reached("title", Screen(0)));
    EXPECT_EQ(gMapId, 0u);
}

}  // namespace
