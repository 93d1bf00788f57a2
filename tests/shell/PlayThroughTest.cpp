// The whole sample adventure played through the real tick with keys and the
// mouse, as a player plays it, the random numbers seeded: the title's new game
// and the opening's quest; the store, the smith's selling and strengthening
// and the collector's item list in the town; out by the signpost to the world
// map and a fight on the meadow; the lighthouse, its keeper's question and
// the pirate captain's raid, lost and survived; the legend and the thunder
// god's form; a quick save and its load on the street; the menu pages, the
// offering raising the form; the pirates on the pier beaten with the form;
// their ship sailing off and the harbour's picture show; the keeper's thanks,
// the ending, the end screen, and the title once more. Each checkpoint names the screen it reaches.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <numeric>
#include <string>
#include <vector>

#include "battle/Battle.h"
#include "battle/BattleController.h"
#include "data/KeyBindings.h"
#include "engine/Random.h"
#include "map/MapManage.h"
#include "menu/OfferFrame.h"
#include "mhdata/Maps.h"
#include "mhdata/SampleMenu.h"
#include "mhdata/SampleShop.h"
#include "shop/EnhanceFrame.h"
#include "shop/ShopFront.h"
#include "sound/BinkPlayer.h"
#include "sound/Music.h"
#include "story/PartyCommands.h"
#include "story/PicShow.h"
#include "support/SampleSession.h"
#include "ui/EndingFrame.h"
#include "ui/SaveFile.h"
#include "ui/Screens.h"
#include "ui/UiInput.h"

using namespace sampleMap;

namespace {

constexpr u32 kSeed = 44;
// The ring row that transforms, where a member's command rows have it.
constexpr i32 kTransformRow = 5;
// Screens by number.
constexpr u32 kItemsPage = 2, kEquipPage = 3, kOfferPage = 4, kEndingScreen = 5, kQuestLog = 10,
              kSystemMenu = 13, kItemList = 14, kZoom = 15, kTestEnd = 16, kTransformPage = 17,
              kBuyFront = 18, kBuyList = 19, kSellFront = 20, kSellList = 21, kEnhance = 22,
              kSkillsPage = 23, kQuickSavePage = 25;

struct PlayThrough : ::testing::Test {
    Harness h;
    SampleSession s{h};
    static u32 Screen(u32 n) { return kScreenBit | n; }
    static i32 Money() { return static_cast<i32>(gScriptVars[0]); }
    static i32 ItemsOwned() { return std::accumulate(gOwnedItems, gOwnedItems + gItemCount, 0); }
    static i32 MonstersOwned() {
        return std::accumulate(gOwnedMonsters, gOwnedMonsters + gMonsterCount, 0);
    }
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
    void Click(i32 x, i32 y) { ClickAt(h, x, y, 2); }
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
    // A click or a key that brings up screen n: a checkpoint.
    void ClickTo(i32 x, i32 y, const std::string& name, u32 n) {
        Click(x, y);
        Reached(name, Screen(n));
    }
    void KeyTo(u8 code, const std::string& name, u32 n) {
        TapKey(h, code, 3);
        Reached(name, Screen(n));
    }
    // Walks to each cell in turn, holding the arrow key given with it.
    struct Step {
        u8 key;
        int x, y;
    };
    void Walk(std::initializer_list<Step> path) {
        for (const Step& st : path) ASSERT_NO_FATAL_FAILURE(s.WalkToCell(st.key, st.x, st.y));
    }
    // Buys or sells one of a list's first row: the change in items owned and money.
    std::pair<i32, i32> TradeTheFirstRow() {
        const i32 money = Money(), items = ItemsOwned();
        Click(500, 130);
        Click(330, 365);  // confirm
        return {ItemsOwned() - items, Money() - money};
    }
    // Every member of the party stands with at least minHp, or at full health.
    static void PartyHp(i32 minHp, bool full) {
        for (i32 m : gParty)
            EXPECT_TRUE(m < 0 || gRoleStats[m].hp >= (full ? gRoleStats[m].maxHp : minHp)) << m;
    }
    // Talks to the person in front, confirming boxes until screen n is up.
    void TalkUntilScreen(const std::string& name, u32 n) {
        ASSERT_TRUE(ConfirmUntil([&] { return gFrameId == Screen(n); }, 12))
            << std::hex << gFrameId;
        Reached(name, Screen(n));
    }
    // The x of a shop tab as the bar draws it.
    static i32 TabX(const ShopTabBar& bar, int k) { return bar.tab[k] ? bar.tab[k]->x + 20 : -1; }

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
    // In battle, with time running while a ring waits (the settings' real-time
    // battle): once every gauge is full, the switch key brings up the member
    // whose ring has the transformation, its row opens the list of forms, and
    // the earned form is chosen; the form joins the party's side.
    void TransformIntoTheEarnedForm() {
        gRealTimeBattle = 1;
        cCommandMenu& menu = gBattleController.menu;
        auto ready = [&] {
            return menu.Current() && menu.ringX == kRingInX && !menu.Chosen() &&
                   gPartySide.AllGaugesFull();
        };
        ASSERT_TRUE(h.RunUntil([] { return gBattle.phase() == kPhaseMain; }, 100));
        ASSERT_TRUE(h.RunUntil(ready, 600));
        auto transforms = [&] {
            const i32 role = CommandRole(*menu.Current());
            return role >= 0 && gCommandRows[role][kTransformRow].code == kRingTransform;
        };
        for (int i = 0; i < kPartySize && !transforms(); ++i) {
            s.Tap(kScanTab);
            ASSERT_TRUE(h.RunUntil(ready, 60));
        }
        cFighter& member = *menu.Current();
        ASSERT_TRUE(transforms());
        for (int i = 0; i < kRingRows && menu.row != kTransformRow; ++i) s.Tap(kScanDown);
        ASSERT_EQ(menu.row, kTransformRow);
        s.Tap(kScanEnter);
        ASSERT_TRUE(h.RunUntil([&] { return menu.list.open && menu.list.y == kListShownY; }, 12));
        int at = -1;
        for (int i = 0; i < menu.list.count; ++i)
            if (menu.list.rows[i].id == kSampleEarnedForm) at = i;
        ASSERT_GE(at, 0) << "the earned form is listed";
        for (int i = 0; i < menu.list.count && menu.list.selected != at; ++i)
            TapKey(h, kScanDown, 2);
        s.Tap(kScanEnter);
        ASSERT_TRUE(h.RunUntil([&] { return member.command == kCmdTransform; }, 12));
        EXPECT_EQ(member.formToAdd, &gGodForms[kSampleEarnedForm]);
        auto transformed = [] {
            for (int i = 0; i < gPartySide.count; ++i)
                if (gPartySide.fighters[i].IsAdded()) return true;
            return false;
        };
        ASSERT_TRUE(h.RunUntil(transformed, 600)) << "the form fights on the party's side";
    }
    // Walks the meadow's road right and left of where the player came in,
    // four cells each way, until a wild monster shows up.
    bool WalkUntilAnEncounter() {
        for (int leg = 0; leg < 40 && !gBattleActive; ++leg) {
            const u8 key = leg % 2 ? kArrowLeft : kArrowRight;
            const int to = kMeadowArriveX + (leg % 2 ? -4 : 4);
            PlatformSetKey(key, true);
            h.RunUntil([&] { return gBattleActive != 0 || std::abs(s.P().x - to * 16) <= 8; }, 200);
            PlatformSetKey(key, false);
            h.RunFrames(8);
        }
        return gBattleActive != 0;
    }
};

TEST_F(PlayThrough, TitleToEnding) {
    s.NewGameFromTheTitle();
    ClearGameFlag(SampleSession::kFlagNoEncounters);  // played as it comes
    InitRandom(kSeed);
    ASSERT_TRUE(h.RunUntil([] { return !gDialogs.empty(); }, 20));
    EXPECT_EQ(gTalkContext.talk, kSampleOpeningTalk);
    ASSERT_TRUE(s.ConfirmUntilTalkEnds());
    ASSERT_NO_FATAL_FAILURE(ReachedMap("town", kTown, 10, 10));
    EXPECT_GE(Money(), sampleMenu::kOpeningMoney);
    EXPECT_EQ(gQuestList, (std::deque<u32>{kSampleKeeperQuest}));
    EXPECT_EQ(gEncounterGroup, 0u) << "no wild monsters in the town";

    // The store, in front of the store keeper: the buy side, an item bought.
    using sampleShop::kStoreX;
    ASSERT_NO_FATAL_FAILURE(
        Walk({{kArrowRight, kStoreX, 10}, {kArrowDown, kStoreX, sampleShop::kStoreY - 1}}));
    ASSERT_NO_FATAL_FAILURE(TalkUntilScreen("shop: buy side", kBuyFront));
    // The second category row: items.
    ASSERT_NO_FATAL_FAILURE(ClickTo(490, 100 + 42, "shop: buy list", kBuyList));
    const auto [bought, paid] = TradeTheFirstRow();
    EXPECT_EQ(bought, 1) << "bought";
    EXPECT_LT(paid, 0) << "paid";
    ASSERT_NO_FATAL_FAILURE(BackToTheMap());

    // The smith (shop 1): something sold, then a piece strengthened.
    ASSERT_NO_FATAL_FAILURE(Walk({{kArrowUp, kStoreX, kSmithY - 2},
                                  {kArrowRight, kSmithX, kSmithY - 2},
                                  {kArrowDown, kSmithX, kSmithY - 1}}));
    ASSERT_NO_FATAL_FAILURE(TalkUntilScreen("smith: buy side", kBuyFront));
    ASSERT_NE(gShopBuyMenuFrame, nullptr);
    const i32 enhanceTab = TabX(gShopBuyMenuFrame->tabs, 2);
    ASSERT_GT(enhanceTab, 0) << "the smith strengthens";
    ASSERT_NO_FATAL_FAILURE(
        ClickTo(TabX(gShopBuyMenuFrame->tabs, 1), 20, "shop: sell side", kSellFront));
    ASSERT_NO_FATAL_FAILURE(ClickTo(490, 100 + 42 * 5, "shop: sell list", kSellList));  // items
    const auto [sold, earned] = TradeTheFirstRow();
    EXPECT_EQ(sold, -1) << "sold";
    EXPECT_GT(earned, 0) << "paid for it";
    RightClick();
    ASSERT_NO_FATAL_FAILURE(Reached("shop: sell side again", Screen(kSellFront)));
    ASSERT_NO_FATAL_FAILURE(ClickTo(enhanceTab, 20, "shop: strengthening", kEnhance));
    const i32 money = Money(), monsters = MonstersOwned();
    Click(520, 100);  // the first piece
    Click(340, 120);  // the first monster
    Click(400, 330);  // confirm
    ASSERT_EQ(gEnhanceFrame->stage, static_cast<u32>(kEnhancing));
    ASSERT_TRUE(h.RunUntil([] { return gEnhanceFrame->stage == kChoosePiece; }, 400));
    EXPECT_LT(Money(), money) << "the smith is paid";
    EXPECT_EQ(MonstersOwned(), monsters - 1) << "the monster went into the piece";
    ASSERT_NO_FATAL_FAILURE(BackToTheMap());

    // The collector asks for something through the item list.
    ASSERT_NO_FATAL_FAILURE(Walk({{kArrowUp, kSmithX, kSmithY - 2},
                                  {kArrowLeft, 20, kSmithY - 2},
                                  {kArrowDown, 20, kSmithY - 1}}));
    ASSERT_NO_FATAL_FAILURE(TalkUntilScreen("item list of a talk", kItemList));
    ASSERT_NO_FATAL_FAILURE(BackToTheMap());

    // Out by the signpost: up the lane to the street and west along it.
    ASSERT_NO_FATAL_FAILURE(s.WalkToCell(kArrowUp, 20, 10));
    PlatformSetKey(kArrowLeft, true);
    bool out = h.RunUntil([] { return gMapId == kWorld; }, 600);
    PlatformSetKey(kArrowLeft, false);
    ASSERT_TRUE(out);
    ASSERT_NO_FATAL_FAILURE(ReachedMap("world map", kWorld, kWorldStartX, kWorldStartY));

    // The meadow: a wild monster, beaten; then back onto the world map.
    ASSERT_NO_FATAL_FAILURE(WorldMapTo(kWorldMeadowLocation, kMeadow));
    ASSERT_NO_FATAL_FAILURE(ReachedMap("meadow", kMeadow, kMeadowArriveX, kMeadowArriveY));
    EXPECT_EQ(gEncounterGroup, 1u);
    const i32 exp = gRoleStats[gParty[0]].exp;
    ASSERT_TRUE(WalkUntilAnEncounter());
    ASSERT_TRUE(AutoBattle()) << "the meadow's monster won";
    EXPECT_EQ(gFrameId, 0u);
    EXPECT_GT(gRoleStats[gParty[0]].exp, exp) << "experience for the fight";
    ASSERT_NO_FATAL_FAILURE(s.WalkToCell(s.P().x > kMeadowArriveX * 16 ? kArrowLeft : kArrowRight,
                                         kMeadowArriveX, kMeadowArriveY));
    s.Tap(kArrowUp);  // onto the way back
    ASSERT_TRUE(h.RunUntil([] { return gMapId == kWorld && SampleSession::TalkFree(); }, 100));

    // The lighthouse, with its own music.
    ASSERT_NO_FATAL_FAILURE(WorldMapTo(kWorldLighthouseLocation, kFar));
    ASSERT_NO_FATAL_FAILURE(ReachedMap("lighthouse", kFar, kFarArriveX, kFarArriveY));
    const char* music = gMusic.GetList(1).slots[0].name;
    ASSERT_NE(music, nullptr);
    EXPECT_NE(std::string(music).find(kLighthouseMusicName), std::string::npos) << music;

    // The keeper's question, answered yes: the captain's raid, lost and survived.
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

    // A quick save on the street, a step away, and the quick load brings it back.
    ASSERT_NO_FATAL_FAILURE(KeyTo(kScanF3, "quick save page", kQuickSavePage));
    Click(300, 300);  // save
    ASSERT_TRUE(ConfirmUntil([] { return IsQuickSaveValid() != 0; }, 4));
    ASSERT_NO_FATAL_FAILURE(BackToTheMap());
    ASSERT_NO_FATAL_FAILURE(s.WalkToCell(kArrowDown, pier->x, kStreetSpotY + 3));
    TapKey(h, kScanF3, 3);
    Click(300, 150);  // load, then yes
    ASSERT_NO_FATAL_FAILURE(ClickTo(250, 250, "loaded", kZoom));
    ASSERT_NO_FATAL_FAILURE(
        ReachedMap("back where it was saved", kTown, pier->x, kStreetSpotY + 1));
    EXPECT_TRUE(GetGameFlag(302));

    // The menu pages: items, equipment, the offering to the new form, the
    // transformation page, skills, the system menu and its quest log.
    ASSERT_NO_FATAL_FAILURE(KeyTo(kScanF1, "items page", kItemsPage));
    ASSERT_NO_FATAL_FAILURE(ClickTo(520, 104 + 40, "equipment page", kEquipPage));
    ASSERT_NO_FATAL_FAILURE(ClickTo(470, 20, "items page again", kItemsPage));
    ASSERT_NO_FATAL_FAILURE(ClickTo(520, 104 + 80, "offering page", kOfferPage));
    const i32 offered = gGodForms[kSampleEarnedForm].offerValue;
    Click(60 + 198 * (kSampleEarnedForm % 2), 396 + 24 * (kSampleEarnedForm / 2));
    Click(500, 108);  // the first monster
    Click(400, 335);  // confirm
    ASSERT_TRUE(h.RunUntil([] { return !(gOfferFrame->mode & kOfferPlaying); }, 400));
    EXPECT_GT(gGodForms[kSampleEarnedForm].offerValue, offered) << "the offering raised the form";
    ASSERT_NO_FATAL_FAILURE(ClickTo(470, 20, "items page once more", kItemsPage));
    ASSERT_NO_FATAL_FAILURE(ClickTo(520, 104 + 120, "transformation page", kTransformPage));
    ASSERT_NO_FATAL_FAILURE(KeyTo(kScanF2, "skills page", kSkillsPage));
    ASSERT_NO_FATAL_FAILURE(KeyTo(kScanF4, "system menu", kSystemMenu));
    // The quest log's row.
    ASSERT_NO_FATAL_FAILURE(ClickTo(SysRowPointX(), SysRowPointY(4), "quest log", kQuestLog));
    ASSERT_NO_FATAL_FAILURE(BackToTheMap());

    // The pier: the pirates, beaten with the thunder god's form.
    s.Tap(kArrowUp);
    ASSERT_EQ(gTalkContext.talk, kSampleBattleTalk);
    ASSERT_TRUE(ConfirmUntil([] { return gBattleActive != 0; }));
    ASSERT_NO_FATAL_FAILURE(TransformIntoTheEarnedForm());
    ASSERT_TRUE(AutoBattle()) << "the pirates won";
    // Their ship sails off in a video, which Esc stops; then out of town.
    ASSERT_TRUE(ConfirmUntil([] { return (gRunState & kRunVideo) != 0; }, 20));
    ASSERT_NE(gBinkPlayer, nullptr);
    EXPECT_TRUE(gBinkPlayer->IsOpen()) << "the ship's video is there";
    h.PostKeyUp(VK_ESCAPE);
    h.RunFrames(2);
    EXPECT_FALSE(gRunState & kRunVideo);
    // Then the picture show from the game's Video folder: its frames, the
    // closing fade, and the talk goes on.
    ASSERT_TRUE(ConfirmUntil([] { return gPicShow.running; }, 20));
    EXPECT_TRUE(gRunState & kRunTransition);
    ASSERT_TRUE(h.RunUntil([] { return !gPicShow.running; }, 200));
    EXPECT_EQ(gPicShow.frame, gPicShow.header.frames);
    EXPECT_GT(gPicShow.header.frames, 0u);
    EXPECT_GT(gPicShow.counter, 10000);
    EXPECT_FALSE(gRunState & kRunTransition);
    ASSERT_TRUE(ConfirmUntil([] { return gMapId == kWorld; }));
    EXPECT_TRUE(GetGameFlag(kSamplePiratesFlag));
    EXPECT_TRUE(gQuestList.empty());

    // The keeper's thanks, the ending's stages in order, each once.
    ASSERT_NO_FATAL_FAILURE(WorldMapTo(kWorldLighthouseLocation, kFar));
    s.Tap(s.Confirm());
    ASSERT_EQ(gTalkContext.talk, kSampleKeeperTalk);
    ASSERT_TRUE(ConfirmUntil([] { return gFrameId == Screen(kEndingScreen); }));
    std::vector<i32> stages;
    for (int f = 0; f < 1000 && gFrameId == Screen(kEndingScreen); ++f) {
        if (gFramePhase == 1 && (stages.empty() || stages.back() != gEndingFrame.state))
            stages.push_back(gEndingFrame.state);
        h.RunFrames(1);
    }
    EXPECT_EQ(stages, (std::vector<i32>{1, 21, 41, 61, 0}));
    // The end screen, then the title, the game ended.
    ASSERT_NO_FATAL_FAILURE(Reached("end screen", Screen(kTestEnd)));
    h.RunFrames(40);
    s.Tap(s.Confirm());
    ASSERT_NO_FATAL_FAILURE(Reached("title", Screen(0)));
    EXPECT_EQ(gMapId, 0u);
}

}  // namespace
