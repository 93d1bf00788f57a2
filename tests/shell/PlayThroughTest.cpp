// The whole sample adventure played through the real tick with keys and the
// mouse, as a player plays it, the random numbers seeded. Each leg ends at a
// checkpoint, where the game's state is compared in full with what the player
// expects by then: the map and cell, the money, every member's experience and
// level, the items and monsters owned, the quest list and every flag a talk of
// the sample sets or clears, against those the route's talks have set so far.
// The route: the title's new game and the opening's errand; the pier still
// quiet; the store's goods bought, something sold to the smith and a piece
// strengthened with a monster; the house's door both ways; the collector's
// item list; out by the signpost, the world map by keys, a meadow fight won
// through the command ring; the lighthouse, the keeper's question answered
// no, out by its gate and back, asked again; the captain's raid lost and
// survived, the legend and the thunder god's form; a quick save on the
// street, the game started again and the quick load from the title; a slot
// saved and loaded through the screens; the offering raising the form, the
// transformation page, the formation, the settings and the skills; a flight
// from the pirates, who keep the pier; the bounty posted, the quest log of
// two; the keeper once more, who only rows the party back; the pirates beaten
// with the thunder god's form; the ship's video, the harbour's pictures, the
// bounty paid, the keeper's thanks, the ending, the end screen and the title
// once more. Prices, rewards, monsters and other designed numbers are the
// table below, stated on its own.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <functional>
#include <iostream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "battle/Battle.h"
#include "battle/BattleController.h"
#include "battle/BattleLists.h"
#include "battle/BattleMenu.h"
#include "battle/BattleSide.h"
#include "data/Config.h"
#include "data/GameData.h"
#include "data/GameFlags.h"
#include "data/KeyBindings.h"
#include "engine/FrameState.h"
#include "engine/Random.h"
#include "map/MapManage.h"
#include "map/MapScene.h"
#include "map/StoryLink.h"
#include "menu/ItemFrame.h"
#include "menu/OfferFrame.h"
#include "menu/SkillListFrame.h"
#include "menu/TransformFrame.h"
#include "mhdata/Archives.h"
#include "mhdata/Databases.h"
#include "mhdata/Maps.h"
#include "mhdata/SampleEquip.h"
#include "mhdata/SampleMenu.h"
#include "mhdata/SampleShop.h"
#include "mhdata/SampleSkillMenu.h"
#include "shop/EnhanceFrame.h"
#include "shop/ShopCommon.h"
#include "shop/ShopFront.h"
#include "sound/BinkPlayer.h"
#include "sound/Music.h"
#include "story/PartyCommands.h"
#include "story/PicShow.h"
#include "support/SampleSession.h"
#include "ui/EndingFrame.h"
#include "platform/TextCodec.h"
#include "ui/Control.h"
#include "ui/FormationFrame.h"
#include "ui/QuestFrame.h"
#include "ui/SaveFile.h"
#include "ui/ScreenLink.h"
#include "ui/SysPanel.h"
#include "ui/UiInput.h"

using namespace sampleMap;

namespace {

constexpr u32 kSeed = 44;
// The ring row that transforms, and the one that waits, where a member's rows have them.
constexpr i32 kTransformRow = 5, kWaitRow = 2, kFleeRow = 3;
// Screens by number.
constexpr u32 kItemsPage = 2, kEquipPage = 3, kOfferPage = 4, kEndingScreen = 5, kEndPicture = 6,
              kSaveSlots = 8, kLoadSlots = 9, kQuestLog = 10, kFormation = 11, kSettings = 12,
              kSystemMenu = 13, kItemList = 14, kZoom = 15, kTestEnd = 16, kTransformPage = 17,
              kBuyFront = 18, kBuyList = 19, kSellFront = 20, kSellList = 21, kEnhance = 22,
              kSkillsPage = 23, kSkillList = 24, kQuickSaveNotice = 28, kTitleQuickLoad = 32;
// The system menu's rows.
constexpr int kSysSave = 0, kSysLoad = 1, kSysFormation = 2, kSysSettings = 3, kSysQuests = 4;

// The sample's designed numbers, stated here from its design on their own, not
// read from the writer's headers: a fault there shows against them.
namespace design {
// The opening's money; items 0..7 cost 20 + 10 a number at the store (the big
// potion, item 1, 30), a shop buys back at half (the herb, item 0, 10).
constexpr i64 kOpeningMoney = 500, kBigPotionPrice = 30, kHerbBuyBack = 10;
// A beaten enemy gives 20 gold and 12 experience a level of its own.
constexpr i64 kGoldPerLevel = 20, kExpPerLevel = 12;
// The bounty: 50 gold and two big potions.
constexpr i32 kBountyGold = 50, kBountyPotions = 2;
// Monsters by number: their level and the item they may drop (-1 none).
const std::map<i32, std::pair<i32, i32>> kMonsters = {
    {0, {1, -1}},     // slime (the meadow)
    {1, {2, -1}},     // goblin (the meadow)
    {4, {4, 0}},      // wolf (the lighthouse's grounds): herbs
    {30, {1, -1}},    // the pier's pirate, as the slime
    {31, {2, -1}},    // his mate, as the goblin
    {222, {30, -1}},  // the pirate captain
};
// Strengthening with the golem costs 300 and adds, to a weapon, strength +3
// and attack +15; to any other piece stamina +3 and defence +12; to either,
// the fourth ratio -10.
constexpr i32 kStrengthenPrice = 300;
constexpr i32 kGolemWeapon[7] = {3, 0, 0, 0, 0, 15, 0}, kGolemArmour[7] = {0, 3, 0, 0, 0, 0, 12};
constexpr i32 kGolemRatios[8] = {0, 0, 0, -10, 0, 0, 0, 0};
// A goblin offered to a form: offering value +20, attack +4.
constexpr i32 kGoblinOffer = 20, kGoblinOfferAttack = 4;
// The quests' names, by number.
const std::map<u32, std::string> kQuestNames = {
    {8, "幫助燈塔守塔人"}, {9, "趕走碼頭的海盜"}, {10, "港務長的賞金"}};
// The harbour master's first words: the bounty posted, asked again, paid, and after it.
constexpr const char *kBountyPosted = "海盜佔了碼頭，船都進不了港。",
                     *kBountyAgain = "海盜還在碼頭上。", *kBountyPays = "海盜走了！這是你的賞金。",
                     *kBountyPaid = "多虧了你，船又能進港了。";
// Where doors and ways out lead: into the room, out in front of the house's
// door (below it), the world map beside the lighthouse's mark.
constexpr int kRoomArrival[2] = {4, 5}, kDoorOutside[2] = {34, 19}, kBesideLighthouse[2] = {19, 15};
}  // namespace design

// The story's flags: every flag a talk of the sample sets or clears.
std::set<int> StoryFlags() {
    std::istringstream talks(std::string(SampleTalkSource()) + SampleMenuTalkSource() +
                             SampleShopTalkSource());
    std::set<int> flags;
    int flag = 0;
    for (std::string word; talks >> word;)
        if ((word == "SetFlag" || word == "ClearFlag") && talks >> flag) flags.insert(flag);
    return flags;
}

// What the player expects of the game at a checkpoint.
struct Expected {
    u32 map = 0;
    int cx = -1, cy = -1;  // checked on the map only
    i64 money = 0;
    std::map<i32, std::pair<i32, i32>> members;  // role: experience, level
    std::vector<i32> items, monsters;
    std::deque<u32> quests;
    std::set<int> flags;  // the story's flags that are set
};

struct PlayThrough : ::testing::Test {
    Harness h;
    SampleSession s{h};
    Expected want;
    const std::set<int> storyFlags = StoryFlags();
    const StreetSpot* pier = nullptr;
    i32 pieceDone = -1;  // the owned piece the smith strengthened

    static u32 Screen(u32 n) { return kScreenBit | n; }
    static i64 Money() { return static_cast<i64>(gScriptVars[0]); }

    // The game's state in the player's terms.
    Expected Now() {
        Expected e;
        e.map = gMapId;
        if (gFrameId == kMapMode && s.TalkFree()) e.cx = s.P().x / 16, e.cy = s.P().y / 16;
        e.money = Money();
        for (i32 m : gParty)
            if (m >= 0) e.members[m] = {gRoleStats[m].exp, gRoleStats[m].level};
        e.items.assign(gOwnedItems, gOwnedItems + gItemCount);
        e.monsters.assign(gOwnedMonsters, gOwnedMonsters + gMonsterCount);
        e.quests = gQuestList;
        for (int f : storyFlags)
            if (GetGameFlag(f)) e.flags.insert(f);
        return e;
    }
    // Compares the game with the expectations (the cell only where one is expected).
    void CheckState(const std::string& name) {
        Expected now = Now();
        if (want.cx < 0) now.cx = now.cy = -1;
        EXPECT_EQ(now.map, want.map) << name;
        EXPECT_EQ(std::pair(now.cx, now.cy), std::pair(want.cx, want.cx < 0 ? -1 : want.cy))
            << name << ": the cell";
        EXPECT_EQ(now.money, want.money) << name << ": money";
        EXPECT_EQ(now.members, want.members) << name << ": experience and levels";
        EXPECT_EQ(now.items, want.items) << name << ": items owned";
        EXPECT_EQ(now.monsters, want.monsters) << name << ": monsters owned";
        EXPECT_EQ(now.quests, want.quests) << name << ": quests";
        EXPECT_EQ(now.flags, want.flags) << name << ": flags";
    }
    void At(u32 map, int cx, int cy) { want.map = map, want.cx = cx, want.cy = cy; }

    // A checkpoint: its screen is up (phase 1, open and running).
    void Reached(u32 n) {
        ASSERT_TRUE(h.RunUntil([&] { return gFrameId == Screen(n) && gFramePhase == 1; }, 200))
            << "screen " << std::hex << gFrameId << " phase " << gFramePhase << ", not " << n;
    }
    // On the map, no screen and no talk, the keys read again after the last
    // box (they rest for a few frames), then a few frames for the player to stand.
    void OnTheMap(u32 map) {
        ASSERT_TRUE(h.RunUntil(
            [&] {
                return gMapId == map && gFrameId == kMapMode && s.TalkFree() &&
                       gMouseLockFrames == 0;
            },
            300))
            << "map " << gMapId << " screen " << std::hex << gFrameId << " talk flags "
            << gTalkFlags;
        h.RunFrames(4);
    }
    // Reads the boxes of a talk until pred holds.
    bool ConfirmUntil(const std::function<bool()>& pred, int taps = 80) {
        for (int i = 0; i < taps && !pred(); ++i) TapKey(h, s.Confirm(), 4);
        return pred();
    }
    void Click(i32 x, i32 y) { ClickAt(h, x, y, 2); }
    void RightClick() { PressMouse(h, false, true, 2); }
    void Key(u8 code) { TapKey(h, code, 3); }
    void ClickTo(i32 x, i32 y, u32 n) {
        Click(x, y);
        ASSERT_NO_FATAL_FAILURE(Reached(n));
    }
    void KeyTo(u8 code, u32 n) {
        Key(code);
        ASSERT_NO_FATAL_FAILURE(Reached(n));
    }
    // Backs out of screens with the right button, and out of boxes with confirm.
    void BackToTheMap() {
        for (int i = 0; i < 30 && !(gFrameId == kMapMode && s.TalkFree()); ++i) {
            gFrameId != kMapMode ? RightClick() : s.Tap(s.Confirm());
            h.RunFrames(3);
        }
        ASSERT_EQ(gFrameId, kMapMode);
        ASSERT_TRUE(s.TalkFree()) << "talk " << gTalkContext.talk << " boxes " << gDialogs.size();
    }
    // Talks to the person in front, confirming boxes until screen n is up.
    void TalkUntilScreen(u32 n) {
        s.Tap(s.Confirm());
        ASSERT_TRUE(ConfirmUntil([&] { return gFrameId == Screen(n); }, 12))
            << std::hex << gFrameId;
        ASSERT_NO_FATAL_FAILURE(Reached(n));
    }
    // The x of a shop tab as the bar draws it.
    static i32 TabX(const ShopTabBar& bar, int k) { return bar.tab[k] ? bar.tab[k]->x + 20 : -1; }
    // A piece's bonuses: the attributes, the ratios and the special; where
    // strength and the first ratio stand among them.
    static constexpr int kStrengthBonus = 3, kRatioBonus = 12;
    static std::vector<i32> Bonuses(const EquipageData& e) {
        const char* from = reinterpret_cast<const char*>(&e.maxHp);
        std::vector<i32> v(static_cast<size_t>(reinterpret_cast<const char*>(&e.field160) - from) /
                           sizeof(i32));
        std::memcpy(v.data(), from, v.size() * sizeof(i32));
        return v;
    }
    // The item whose count changed by delta since `before`, or -1.
    static i32 ChangedItem(const std::vector<i32>& before, i32 delta) {
        for (i32 i = 0; i < gItemCount; ++i)
            if (gOwnedItems[i] - before[i] == delta) return i;
        return -1;
    }

    // On the world map: down picks the next place, the player walks to it, and
    // confirm goes in.
    void WorldMapTo(u16 location, u32 map) {
        ASSERT_TRUE(h.RunUntil([] { return gMapId == kWorld && gFrameId == kMapMode; }, 100));
        h.RunFrames(4);
        for (int i = 0; i < 6; ++i) {
            s.Tap(kArrowDown);
            h.RunFrames(2);
            if (gWorldMapIndex < kWorldMapLocations && gWorldMap[gWorldMapIndex].id == location)
                break;
        }
        ASSERT_LT(gWorldMapIndex, static_cast<u32>(kWorldMapLocations));
        ASSERT_EQ(gWorldMap[gWorldMapIndex].id, location);
        const WorldMapLocation& l = gWorldMap[gWorldMapIndex];
        ASSERT_TRUE(
            h.RunUntil([&] { return s.P().x == l.cellX * 16 && s.P().y == l.cellY * 16; }, 600));
        h.RunFrames(4);
        s.Tap(s.Confirm());
        ASSERT_NO_FATAL_FAILURE(OnTheMap(map));
    }

    // The rewards of a won fight as the player works them out: each enemy
    // beaten gives its gold and experience a level (the design's), and
    // experience for each level it stands above the party's lowest; the
    // members of the fighting places standing at the end share it in full
    // and rise a level for 15 (L + 1) (L + 2) / 2 of it. Drops are chance:
    // the ones the banner shows count, each one an enemy of the fight drops.
    void ExpectVictoryRewards(const std::vector<i32>& drops) {
        i64 exp = 0;
        for (i32 level : enemyLevels) {
            want.money += design::kGoldPerLevel * level;
            exp +=
                std::max<i64>(1, design::kExpPerLevel * level + std::max(0, level - lowestLevel));
        }
        for (int k = 0; k < 6; ++k) {
            const i32 m = gFormation[k];
            if (m < 0 || !want.members.count(m) || gRoleStats[m].hp <= 0) continue;
            auto& [e, level] = want.members[m];
            e += static_cast<i32>(exp);
            for (i32 need = 15 * (level + 1) * (level + 2) / 2; level < 50 && e >= need;
                 need = 15 * (level + 1) * (level + 2) / 2)
                e -= need, ++level;
        }
        for (int k = 0; k < 3; ++k) {
            if (drops[k] < 0) continue;
            EXPECT_TRUE(enemyDrops.count(drops[k])) << "item " << drops[k] << " dropped";
            if (drops[k] < gItemCount && want.items[drops[k]] < 99) ++want.items[drops[k]];
        }
    }
    // A fight up to its main phase; the enemies' levels and drops (the
    // design's) and the party's lowest level.
    std::vector<i32> enemyLevels;
    std::set<i32> enemyDrops;
    i32 lowestLevel = 0;
    void FightBegins() {
        ASSERT_TRUE(h.RunUntil([] { return gBattle.phase() == kPhaseMain; }, 100));
        enemyLevels.clear();
        enemyDrops.clear();
        for (int i = 0; i < gEnemySide.count; ++i) {
            const cFighter& f = gEnemySide.fighters[i];
            if (!f.IsTaken()) continue;
            ASSERT_TRUE(design::kMonsters.count(f.pic)) << "monster " << f.pic;
            enemyLevels.push_back(design::kMonsters.at(f.pic).first);
            enemyDrops.insert(design::kMonsters.at(f.pic).second);
            EXPECT_EQ(f.stats.Level(), enemyLevels.back()) << "monster " << f.pic;
        }
        lowestLevel = gPartySide.LowestLevel();
    }
    // The fight's main phase to its end; the rewards expected when it is won.
    bool FightEnds() {
        EXPECT_TRUE(h.RunUntil([] { return gBattle.phase() != kPhaseMain; }, 6000));
        const bool won = gBattle.outcome() == kOutcomeVictory;
        const std::vector<i32> drops(gEnemySide.drops, gEnemySide.drops + 3);
        // The banner and any level-up panels close on confirm.
        for (int i = 0; i < 300 && gBattleActive; ++i) TapKey(h, s.Confirm(), 3);
        EXPECT_EQ(gBattleActive, 0);
        if (won) ExpectVictoryRewards(drops);
        return won;
    }
    bool AutoBattle() {
        FightBegins();
        s.Tap(static_cast<u8>(gKeyBindings[kKeyAutoAttack]));
        return FightEnds();
    }
    // The ring of the member whose turn it is, in place and waiting for a row.
    static bool RingWaits() {
        const cCommandMenu& menu = gBattleController.menu;
        return gBattle.phase() == kPhaseMain && menu.Current() && menu.ringX == kRingInX &&
               !menu.Chosen();
    }
    // Moves the ring's highlight to row r with the down key, then confirms it.
    void ChooseRow(int r) {
        cCommandMenu& menu = gBattleController.menu;
        for (int i = 0; i < kRingRows && menu.row != r; ++i) s.Tap(kScanDown);
        ASSERT_EQ(menu.row, r);
        s.Tap(kScanEnter);
    }
    // The pier's spot stepped onto: the pirates' talk, up to their fight's main phase.
    void PierFightBegins() {
        s.Tap(kArrowUp);
        ASSERT_EQ(gTalkContext.talk, kSampleBattleTalk);
        ASSERT_TRUE(ConfirmUntil([] { return gBattleActive != 0; }));
        ASSERT_NO_FATAL_FAILURE(FightBegins());
    }
    // Row r chosen in each ring that comes up (at most `rings` of them) until
    // the fight ends with the outcome given, which is no victory.
    void EveryRingChooses(int r, int rings, u32 outcome) {
        for (int ring = 0; ring < rings && gBattle.phase() == kPhaseMain; ++ring) {
            h.RunUntil([] { return RingWaits() || gBattle.phase() != kPhaseMain; }, 600);
            if (!RingWaits()) continue;
            ASSERT_NO_FATAL_FAILURE(ChooseRow(r));
        }
        EXPECT_EQ(gBattle.outcome(), outcome);
        EXPECT_FALSE(FightEnds()) << "a victory";
    }
    // A fight won by hand: each member's ring, its attack row, and an enemy
    // picked with the keys (the mark moved on once, then confirmed).
    void FightByHand() {
        ASSERT_NO_FATAL_FAILURE(FightBegins());
        cCommandMenu& menu = gBattleController.menu;
        int turns = 0;
        while (gBattle.phase() == kPhaseMain && turns < 200) {
            if (!h.RunUntil([] { return RingWaits() || gBattle.phase() != kPhaseMain; }, 600))
                break;
            if (!RingWaits()) break;
            ASSERT_NO_FATAL_FAILURE(ChooseRow(kRingAttack));
            ASSERT_TRUE(h.RunUntil([&] { return menu.blinkEnemy >= 0; }, 20)) << "no target mark";
            s.Tap(kScanRight);
            s.Tap(kScanEnter);
            ++turns;
        }
        EXPECT_GT(turns, 0);
        EXPECT_TRUE(FightEnds()) << "the meadow's monsters won";
    }
    // In the default battle mode the rings wait for the player: members wait
    // (their gauges stay full) until every gauge is full; then the member whose
    // ring has the transformation opens the list of forms and picks the one
    // the keeper's legend earned. The form joins the party's side.
    void TransformIntoTheEarnedForm() {
        cCommandMenu& menu = gBattleController.menu;
        ASSERT_EQ(gRealTimeBattle, 0u) << "the default mode";
        auto transforms = [&] {
            const i32 role = CommandRole(*menu.Current());
            return role >= 0 && gCommandRows[role][kTransformRow].code == kRingTransform;
        };
        bool chosen = false;
        for (int turn = 0; turn < 40 && !chosen; ++turn) {
            ASSERT_TRUE(h.RunUntil(RingWaits, 600)) << "no ring";
            if (transforms() && gPartySide.AllGaugesFull()) {
                ASSERT_NO_FATAL_FAILURE(ChooseRow(kTransformRow));
                chosen = true;
            } else {
                ASSERT_NO_FATAL_FAILURE(ChooseRow(kWaitRow));
            }
        }
        ASSERT_TRUE(chosen) << "the ring never offered the transformation";
        cFighter& member = *menu.Current();
        ASSERT_TRUE(h.RunUntil([&] { return menu.list.open && menu.list.y == kListShownY; }, 40))
            << "the list of forms";
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
        // Everybody only waited so far: the pirates fall to the form, which
        // alone stands for the party, its level the party's lowest.
        lowestLevel = gPartySide.LowestLevel();
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
    // Walks to a cell where wild monsters come: a fight on the way is won by
    // auto battle (its rewards expected), and the walk goes on.
    void WalkInTheWild(u8 key, int cx, int cy) {
        auto near = [&] { return std::abs(s.P().x - cx * 16) + std::abs(s.P().y - cy * 16) <= 8; };
        for (int fights = 0; fights < 5 && !near(); ++fights) {
            PlatformSetKey(key, true);
            const bool stopped = h.RunUntil([&] { return gBattleActive != 0 || near(); }, 400);
            PlatformSetKey(key, false);
            ASSERT_TRUE(stopped) << s.P().x << "," << s.P().y;
            if (!gBattleActive) break;
            EXPECT_TRUE(AutoBattle()) << "the wild monsters won";
            ASSERT_NO_FATAL_FAILURE(OnTheMap(gMapId));
        }
        h.RunFrames(8);
        ASSERT_EQ(std::tuple(s.P().x, s.P().y), std::tuple(cx * 16, cy * 16));
    }
    // The game closed and started again in the same folder, up to its title.
    void Restart() {
        ResetAllGlobals();
        PlatformSetVirtualTime(200000);
        std::snprintf(gBasePath, kPathSize, "%s", h.root().c_str());
        h.StartGame();
        h.RunFrames(1);
        h.PostKeyUp(VK_ESCAPE);  // the opening video
        h.RunFrames(2);
        ASSERT_NO_FATAL_FAILURE(Reached(0));
    }

    // ---- The legs of the route, each up to its checkpoint.
    void NewGame() {
        s.NewGameFromTheTitle();
        ClearGameFlag(SampleSession::kFlagNoEncounters);  // played as it comes
        InitRandom(kSeed);
        ASSERT_TRUE(h.RunUntil([] { return !gDialogs.empty(); }, 20));
        EXPECT_EQ(gTalkContext.talk, kSampleOpeningTalk);
        const i64 start = Money();  // a new game's own money, before the opening's
        ASSERT_TRUE(s.ConfirmUntilTalkEnds());
        ASSERT_NO_FATAL_FAILURE(OnTheMap(kTown));
        EXPECT_EQ(gEncounterGroup, 0u) << "no wild monsters in the town";
        // The opening's errand, party, goods, money and monsters.
        At(kTown, 10, 10);
        want.money = start + design::kOpeningMoney;
        want.quests = {kSampleKeeperQuest};
        want.items.assign(gItemCount, 0);
        for (i32 id : sampleMenu::kOpeningItems) want.items[id] = sampleMenu::kOpeningCount;
        want.monsters.assign(gMonsterCount, 0);
        want.monsters[sampleEquip::kGolem] = sampleEquip::kGolemsGiven;
        want.monsters[sampleEquip::kPhantom] = want.monsters[sampleEquip::kNameless] = 1;
        for (i32 m = 0; m < 6; ++m) want.members[m] = {gRoleStats[m].exp, gRoleStats[m].level};
        for (const StreetSpot& spot : kStreetSpots)
            if (spot.talk == kSampleBattleTalk) pier = &spot;
        ASSERT_NE(pier, nullptr);
    }
    // The pier's spot before the raid: no fight there yet.
    void PierBeforeTheRaid() {
        ASSERT_NO_FATAL_FAILURE(s.Walk({{kArrowRight, pier->x, 10}, {kArrowUp, pier->x, 7}}));
        s.Tap(kArrowUp);
        bool fought = false;
        for (int i = 0; i < 40 && !s.TalkFree(); ++i) {
            fought = fought || gBattleActive != 0;
            TapKey(h, s.Confirm(), 4);
        }
        EXPECT_FALSE(fought || gBattleActive) << "the pirates' fight before the raid";
        ASSERT_NO_FATAL_FAILURE(OnTheMap(kTown));
        At(kTown, s.P().x / 16, s.P().y / 16);
        EXPECT_LE(std::abs(want.cy - 7), 1) << "at the pier's spot";
    }
    void Store() {
        using sampleShop::kStoreX;
        ASSERT_NO_FATAL_FAILURE(s.Walk({{kArrowDown, s.P().x / 16, 10},
                                        {kArrowRight, kStoreX, 10},
                                        {kArrowDown, kStoreX, sampleShop::kStoreY - 1}}));
        ASSERT_NO_FATAL_FAILURE(TalkUntilScreen(kBuyFront));
        ASSERT_NO_FATAL_FAILURE(ClickTo(490, 100 + 42, kBuyList));  // the items' row
        const std::vector<i32> before(gOwnedItems, gOwnedItems + gItemCount);
        Click(500, 130);  // the first row
        Click(330, 365);  // one of it
        const i32 bought = sample::kBigPotion;
        EXPECT_EQ(ChangedItem(before, 1), bought) << "the list's first item";
        ++want.items[bought];
        want.money -= design::kBigPotionPrice;
        ASSERT_NO_FATAL_FAILURE(BackToTheMap());
        At(kTown, kStoreX, sampleShop::kStoreY - 1);
    }
    void SmithSells() {
        ASSERT_NO_FATAL_FAILURE(s.Walk({{kArrowUp, sampleShop::kStoreX, kSmithY - 2},
                                        {kArrowRight, kSmithX, kSmithY - 2},
                                        {kArrowDown, kSmithX, kSmithY - 1}}));
        ASSERT_NO_FATAL_FAILURE(TalkUntilScreen(kBuyFront));
        ASSERT_NE(gShopBuyMenuFrame, nullptr);
        ASSERT_NO_FATAL_FAILURE(ClickTo(TabX(gShopBuyMenuFrame->tabs, 1), 20, kSellFront));
        ASSERT_NO_FATAL_FAILURE(ClickTo(490, 100 + 42 * 5, kSellList));  // items
        const std::vector<i32> before(gOwnedItems, gOwnedItems + gItemCount);
        Click(500, 130);
        Click(330, 365);
        // The first item owned, bought back at half its price.
        const i32 sold = sample::kHerb;
        EXPECT_EQ(ChangedItem(before, -1), sold) << "the list's first item";
        --want.items[sold];
        want.money += design::kHerbBuyBack;
        RightClick();
        ASSERT_NO_FATAL_FAILURE(Reached(kSellFront));
        At(kTown, kSmithX, kSmithY - 1);
        want.cx = -1;  // in the shop
    }
    // The first piece strengthened with the first monster of the list, a
    // golem (sure to succeed): the smith is paid its price, which the piece's
    // price takes on; the golem goes into the piece, whose bonuses gain its
    // weapon block (a weapon) or armour block (any other piece) and its
    // common block.
    void SmithStrengthens() {
        const i32 tab = TabX(gShopSellMenuFrame->tabs, 2);
        ASSERT_GT(tab, 0) << "the smith strengthens";
        ASSERT_NO_FATAL_FAILURE(ClickTo(tab, 20, kEnhance));
        Click(520, 100);  // the first piece
        ASSERT_GE(gEnhanceFrame->chosenPiece, 0);
        ASSERT_FALSE(gEnhanceFrame->monsters.entries.empty()) << "no monster to strengthen with";
        const i32 piece = gEnhanceFrame->chosenPiece, monster = gEnhanceFrame->monsters.entries[0];
        ASSERT_EQ(monster, sampleEquip::kGolem);
        const EquipageData old = gOwnedEquipage[piece];
        Click(340, 120);  // the first monster
        Click(400, 330);  // confirm
        ASSERT_EQ(gEnhanceFrame->stage, static_cast<u32>(kEnhancing));
        ASSERT_TRUE(h.RunUntil([] { return gEnhanceFrame->stage == kChoosePiece; }, 400));
        --want.monsters[monster];
        want.money -= design::kStrengthenPrice;
        const EquipageData& now = gOwnedEquipage[piece];
        EXPECT_EQ(std::pair(now.enhanceLeft, now.price),
                  std::pair(old.enhanceLeft - 1, old.price + design::kStrengthenPrice));
        const bool weapon = old.kind == 1 || old.kind == 2 || old.kind == 6;
        const i32* block = weapon ? design::kGolemWeapon : design::kGolemArmour;
        std::vector<i32> bonuses = Bonuses(old);
        for (int k = 0; k < 7; ++k) bonuses[kStrengthBonus + k] += block[k];
        for (int k = 0; k < kRatioCount; ++k) bonuses[kRatioBonus + k] += design::kGolemRatios[k];
        EXPECT_EQ(Bonuses(now), bonuses) << "the piece's bonuses";
        pieceDone = piece;
        ASSERT_NO_FATAL_FAILURE(BackToTheMap());
        At(kTown, kSmithX, kSmithY - 1);
    }
    // The house's door, stepped into from below: the room, and back out in
    // front of the door.
    void HouseDoor() {
        ASSERT_NO_FATAL_FAILURE(s.Walk({{kArrowRight, kSmithX + 1, kSmithY - 1},
                                        {kArrowDown, kSmithX + 1, kDoorY + 1},
                                        {kArrowRight, kDoorX, kDoorY + 1}}));
        s.Tap(kArrowUp);
        ASSERT_EQ(gTalkContext.talk, kSampleRoomTalk);
        ASSERT_TRUE(h.RunUntil([] { return gMapId == kRoom && !gDialogs.empty(); }, 200));
        EXPECT_EQ(std::pair(s.P().x / 16, s.P().y / 16),
                  std::pair(design::kRoomArrival[0], design::kRoomArrival[1]))
            << "the room's arrival";
        ASSERT_TRUE(ConfirmUntil([] { return gMapId == kTown && SampleSession::TalkFree(); }));
        ASSERT_NO_FATAL_FAILURE(OnTheMap(kTown));
        At(kTown, design::kDoorOutside[0], design::kDoorOutside[1]);
    }
    void Collector() {
        ASSERT_NO_FATAL_FAILURE(s.Walk({{kArrowLeft, kSmithX + 1, kDoorY + 1},
                                        {kArrowUp, kSmithX + 1, kSmithY - 2},
                                        {kArrowLeft, 20, kSmithY - 2},
                                        {kArrowDown, 20, kSmithY - 1}}));
        ASSERT_NO_FATAL_FAILURE(TalkUntilScreen(kItemList));
        // The goods of types 12 to 15 the opening gave: the old map, the
        // first and last story items and the keepsake.
        using namespace sampleMenu;
        EXPECT_EQ(gItemFrame->list.items,
                  (std::deque<i32>{kOldMap, kFirstStory, kLastStory, kKeepsake}));
        ASSERT_NO_FATAL_FAILURE(BackToTheMap());
        At(kTown, 20, kSmithY - 1);
    }
    // From column x onto the street (the key toward it held) and west along
    // it to the signpost.
    void OutBySignpost(u8 key, int x) {
        ASSERT_NO_FATAL_FAILURE(s.WalkToCell(key, x, 10));
        PlatformSetKey(kArrowLeft, true);
        const bool out = h.RunUntil([] { return gMapId == kWorld; }, 600);
        PlatformSetKey(kArrowLeft, false);
        ASSERT_TRUE(out);
        ASSERT_NO_FATAL_FAILURE(OnTheMap(kWorld));
    }
    void WorldMap() {
        ASSERT_NO_FATAL_FAILURE(OutBySignpost(kArrowUp, 20));
        At(kWorld, kWorldStartX, kWorldStartY);
    }
    void Meadow() {
        ASSERT_NO_FATAL_FAILURE(WorldMapTo(kWorldMeadowLocation, kMeadow));
        EXPECT_EQ(gEncounterGroup, 1u) << "the meadow's wild monsters";
        At(kMeadow, kMeadowArriveX, kMeadowArriveY);
    }
    void MeadowFight() {
        ASSERT_TRUE(WalkUntilAnEncounter()) << "no wild monster on the meadow";
        ASSERT_NO_FATAL_FAILURE(FightByHand());
        ASSERT_NO_FATAL_FAILURE(OnTheMap(kMeadow));
        At(kMeadow, s.P().x / 16, s.P().y / 16);
        EXPECT_EQ(want.cy, kMeadowArriveY) << "on the road";
    }
    void Lighthouse() {
        ASSERT_NO_FATAL_FAILURE(
            WalkInTheWild(s.P().x > kMeadowArriveX * 16 ? kArrowLeft : kArrowRight, kMeadowArriveX,
                          kMeadowArriveY));
        s.Tap(kArrowUp);  // onto the way back
        ASSERT_TRUE(h.RunUntil([] { return gMapId == kWorld && SampleSession::TalkFree(); }, 100));
        ASSERT_NO_FATAL_FAILURE(WorldMapTo(kWorldLighthouseLocation, kFar));
        const char* music = gMusic.GetList(1).slots[0].name;
        ASSERT_NE(music, nullptr);
        EXPECT_NE(std::string(music).find(kLighthouseMusicName), std::string::npos) << music;
        At(kFar, kFarArriveX, kFarArriveY);
    }
    // The keeper's question answered no: nothing set, and the talk ends.
    void KeeperSaysNo() {
        s.Tap(s.Confirm());
        ASSERT_EQ(gTalkContext.talk, kSampleKeeperTalk);
        ASSERT_TRUE(h.RunUntil([] { return ChoiceOpen() && gScreenItems.size() == 2; }, 400));
        s.Tap(kArrowDown);
        ASSERT_EQ(gChosenAnswer, 1u) << "no";
        ASSERT_TRUE(ConfirmUntil(SampleSession::TalkFree));
        EXPECT_EQ(gBattleActive, 0);
        ASSERT_NO_FATAL_FAILURE(OnTheMap(kFar));
    }
    // Out of the grounds by the gate south of where the player arrives: the
    // world map beside the lighthouse's mark, and back in front of the keeper.
    void OutOfTheLighthouseAndBack() {
        ASSERT_NO_FATAL_FAILURE(WalkInTheWild(kArrowDown, kFarExitX, kFarExitY - 1));
        s.Tap(kArrowDown);
        ASSERT_NO_FATAL_FAILURE(OnTheMap(kWorld));
        EXPECT_EQ(std::pair(s.P().x / 16, s.P().y / 16),
                  std::pair(design::kBesideLighthouse[0], design::kBesideLighthouse[1]));
        ASSERT_NO_FATAL_FAILURE(WorldMapTo(kWorldLighthouseLocation, kFar));
        At(kFar, kFarArriveX, kFarArriveY);
    }
    // The keeper's question, asked again and answered yes: the captain's
    // raid, lost, and the party up again.
    void Raid() {
        s.Tap(s.Confirm());
        ASSERT_EQ(gTalkContext.talk, kSampleKeeperTalk);
        ASSERT_TRUE(h.RunUntil([] { return ChoiceOpen() && gScreenItems.size() == 2; }, 400))
            << "the question asked again";
        ASSERT_EQ(gChosenAnswer, 0u) << "yes";
        ASSERT_TRUE(ConfirmUntil([] { return gBattleActive != 0; }));
        EXPECT_TRUE(GetGameFlag(322));
        EXPECT_FALSE(AutoBattle()) << "nobody beats the captain";
        ASSERT_EQ(gFrameId, kMapMode) << "flag 322: the game goes on";
        for (i32 m : gParty) EXPECT_TRUE(m < 0 || gRoleStats[m].hp >= 1) << m;
        ASSERT_TRUE(ConfirmUntil([] { return GetGameFlag(kSampleRaidFlag) != 0; }));
        want.cx = -1;  // in the talk
    }
    // The legend: the form and the keeper's two monsters for it, the errand
    // done and the pirates' quest.
    void Legend() {
        ASSERT_TRUE(ConfirmUntil([] { return GetGameFlag(300 + kSampleEarnedForm) != 0; }));
        ASSERT_TRUE(ConfirmUntil([] { return gQuestList.front() != kSampleKeeperQuest; }, 4));
        want.monsters[1] += 2;
        want.quests = {kSamplePiratesQuest};
    }
    void RowedToThePier() {
        ASSERT_TRUE(ConfirmUntil([] { return gMapId == kTown && SampleSession::TalkFree(); }));
        ASSERT_NO_FATAL_FAILURE(OnTheMap(kTown));
        for (i32 m : gParty) EXPECT_TRUE(m < 0 || gRoleStats[m].hp == gRoleStats[m].maxHp) << m;
        At(kTown, pier->x, kStreetSpotY + 1);
    }
    void QuickSave() {
        Key(kScanF9);
        ASSERT_NO_FATAL_FAILURE(Reached(kQuickSaveNotice));
        ASSERT_NO_FATAL_FAILURE(OnTheMap(kTown));
        EXPECT_TRUE(IsQuickSaveValid());
    }
    // F10 on the title: the quick save loaded, the player on the town's map
    // in the pier's column at row y, the pirates still there.
    void QuickLoadFromTheTitle(int y) {
        Key(kScanF10);
        ASSERT_NO_FATAL_FAILURE(Reached(kTitleQuickLoad));
        ASSERT_NO_FATAL_FAILURE(OnTheMap(kTown));
        EXPECT_EQ(std::tuple(s.P().x / 16, s.P().y / 16, GetGameFlag(kSamplePiratesFlag)),
                  std::tuple(static_cast<int>(pier->x), y, 0));
    }
    // A step away, the game closed and started again, and F10 on the title.
    void QuickLoadAfterARestart() {
        ASSERT_NO_FATAL_FAILURE(s.WalkToCell(kArrowDown, pier->x, kStreetSpotY + 3));
        ASSERT_NO_FATAL_FAILURE(Restart());
        ASSERT_NO_FATAL_FAILURE(QuickLoadFromTheTitle(kStreetSpotY + 1));
    }
    // The system menu's save row, the first slot; a step away; its load row,
    // the first slot again and yes.
    void SlotSave() {
        ASSERT_NO_FATAL_FAILURE(KeyTo(kScanF4, kSystemMenu));
        ASSERT_NO_FATAL_FAILURE(ClickTo(SysRowPointX(), SysRowPointY(kSysSave), kSaveSlots));
        Click(355, 115);
        EXPECT_TRUE(IsSlotUsed(0));
        ASSERT_NO_FATAL_FAILURE(BackToTheMap());
    }
    void SlotLoad() {
        ASSERT_NO_FATAL_FAILURE(s.WalkToCell(kArrowDown, pier->x, kStreetSpotY + 3));
        ASSERT_NO_FATAL_FAILURE(KeyTo(kScanF4, kSystemMenu));
        ASSERT_NO_FATAL_FAILURE(ClickTo(SysRowPointX(), SysRowPointY(kSysLoad), kLoadSlots));
        Click(355, 115);
        ASSERT_NO_FATAL_FAILURE(ClickTo(290, 262, kZoom));  // yes
        ASSERT_NO_FATAL_FAILURE(OnTheMap(kTown));
    }
    // The items page, the offering page: the earned form and a monster of
    // the keeper's.
    void Offering() {
        ASSERT_NO_FATAL_FAILURE(KeyTo(kScanF1, kItemsPage));
        ASSERT_NO_FATAL_FAILURE(ClickTo(520, 104 + 40, kEquipPage));
        ASSERT_NO_FATAL_FAILURE(ClickTo(470, 20, kItemsPage));
        ASSERT_NO_FATAL_FAILURE(ClickTo(520, 104 + 80, kOfferPage));
        const MonsterData form = gGodForms[kSampleEarnedForm];
        Click(60 + 198 * (kSampleEarnedForm % 2), 396 + 24 * (kSampleEarnedForm / 2));
        Click(500, 108);  // the first monster: the keeper's goblins
        Click(400, 335);  // confirm
        ASSERT_TRUE(h.RunUntil([] { return !(gOfferFrame->mode & kOfferPlaying); }, 400));
        EXPECT_EQ(gGodForms[kSampleEarnedForm].offerValue,
                  std::min(form.offerValue + design::kGoblinOffer, kMaxOfferValue));
        EXPECT_EQ(gGodForms[kSampleEarnedForm].attack, form.attack + design::kGoblinOfferAttack);
        --want.monsters[sample::kGoblin];
        want.cx = -1;
    }
    // The transformation page lists the forms whose flags (300 + form) the
    // talks have set.
    void TransformationPage() {
        ASSERT_NO_FATAL_FAILURE(ClickTo(470, 20, kItemsPage));
        ASSERT_NO_FATAL_FAILURE(ClickTo(520, 104 + 120, kTransformPage));
        std::deque<u32> forms;
        for (int f : want.flags)
            if (f >= 300 && f < 320) forms.push_back(static_cast<u32>(f - 300));
        EXPECT_EQ(gTransformFrame->forms, forms);
    }
    // The formation: the first two places swapped, and OK.
    void Formation() {
        ASSERT_NO_FATAL_FAILURE(KeyTo(kScanF4, kSystemMenu));
        ASSERT_NO_FATAL_FAILURE(ClickTo(SysRowPointX(), SysRowPointY(kSysFormation), kFormation));
        const std::vector<i32> order(gFormation, gFormation + kPartySize);
        for (int k : {0, 1}) Click(FormationPlaceX(k) + 57, FormationPlaceY(k) + 72);
        ASSERT_NO_FATAL_FAILURE(ClickTo(265, 445, kSystemMenu));  // OK
        EXPECT_EQ(std::pair(gFormation[0], gFormation[1]), std::pair(order[1], order[0]));
    }
    // The settings: the default battle mode kept (the pirates' fight needs it); OK.
    void Settings() {
        ASSERT_NO_FATAL_FAILURE(ClickTo(SysRowPointX(), SysRowPointY(kSysSettings), kSettings));
        ASSERT_NO_FATAL_FAILURE(ClickTo(230, 435, kSystemMenu));
    }
    // The skills page opens on role 0, the member the map left shown; its
    // second row, healing, lists the skills role 0 has learned in the order
    // learned, each with its MP cost: ten rows, the last five after a page down.
    void SkillList() {
        ASSERT_NO_FATAL_FAILURE(KeyTo(kScanF2, kSkillsPage));
        ASSERT_EQ(gMenuRole, 0);
        ASSERT_NO_FATAL_FAILURE(ClickTo(520, 140, kSkillList));
        EXPECT_EQ(gSkillListFrame->category, 3);
        std::map<int, std::string> shown;
        for (int page = 0; page < 2; ++page, Key(kScanPgDn)) {
            for (int j = 0; j < kListRows; ++j) {
                const cControl* name = gSkillListFrame->rowName[j];
                const cControl* mp = gSkillListFrame->rowValue[j];
                if (name && name->shown && mp && mp->shown)
                    shown[gSkillListFrame->list.top + j] = std::string(name->text) + mp->text;
            }
        }
        std::map<int, std::string> learned;
        for (const sampleSkills::HealingSkill& sk : sampleSkills::kHealingSkills)
            learned[static_cast<int>(learned.size())] =
                Utf8ToBig5(sk.name) + "Mp:" + std::to_string(sk.mpCost);
        EXPECT_EQ(shown, learned);
        ASSERT_NO_FATAL_FAILURE(BackToTheMap());
        At(kTown, pier->x, kStreetSpotY + 1);
    }
    // The pirates' fight left by the flee row of each ring that comes up: no
    // gold, no experience; the pirates keep the pier, their quest stays open
    // and nothing is set. Back in front of the pier.
    void FledFromThePirates() {
        ASSERT_NO_FATAL_FAILURE(PierFightBegins());
        ASSERT_NO_FATAL_FAILURE(EveryRingChooses(kFleeRow, 40, kOutcomeEscaped));
        ASSERT_TRUE(ConfirmUntil(SampleSession::TalkFree));
        ASSERT_NO_FATAL_FAILURE(OnTheMap(kTown));
        if (s.P().y != (kStreetSpotY + 1) * 16) {
            ASSERT_NO_FATAL_FAILURE(s.WalkToCell(kArrowDown, pier->x, kStreetSpotY + 1));
        }
        At(kTown, pier->x, kStreetSpotY + 1);
    }
    // The harbour master clicked where he walks by the water, tried again
    // while the click misses him; his talk read to its end.
    void TalkToTheHarbourMaster(const char* words) {
        int slot = -1;
        for (int k = 1; k < kRoleRows; ++k)
            if (gMapRoles[k].talk == kSampleRewardTalk) slot = k;
        ASSERT_GT(slot, 0) << "the harbour master";
        for (int i = 0; i < 20 && gTalkContext.talk != kSampleRewardTalk; ++i) {
            i32 l = 0, t = 0, r = 0, b = 0;
            ASSERT_TRUE(RoleScreenRect(slot, &l, &t, &r, &b)) << "in sight";
            s.PointAt((l + r) / 2, (t + b) / 2);
            s.Click();
        }
        ASSERT_EQ(gTalkContext.talk, kSampleRewardTalk);
        ASSERT_TRUE(h.RunUntil([] { return !gDialogs.empty(); }, 100));
        EXPECT_TRUE(std::string(gDialogs.front()->text).starts_with(Utf8ToBig5(words))) << words;
        ASSERT_TRUE(ConfirmUntil(SampleSession::TalkFree));
        ASSERT_NO_FATAL_FAILURE(OnTheMap(kTown));
    }
    // Down beside the collector, who takes his cell, short of the old stone;
    // the bounty asked twice while the pirates hold the pier: posted (its
    // quest) the first time, the same words the second, and nothing paid;
    // back to the pier.
    void BountyAskedTwice() {
        ASSERT_NO_FATAL_FAILURE(s.Walk(
            {{kArrowDown, pier->x, 10}, {kArrowRight, 21, 10}, {kArrowDown, 21, kEventY - 1}}));
        ASSERT_NO_FATAL_FAILURE(TalkToTheHarbourMaster(design::kBountyPosted));
        want.quests.push_back(kSampleBountyQuest);
        ASSERT_NO_FATAL_FAILURE(TalkToTheHarbourMaster(design::kBountyAgain));
        const int x = s.P().x / 16;
        ASSERT_NO_FATAL_FAILURE(s.Walk({{kArrowUp, x, 10},
                                        {x < pier->x ? kArrowRight : kArrowLeft, pier->x, 10},
                                        {kArrowUp, pier->x, kStreetSpotY + 1}}));
        At(kTown, pier->x, kStreetSpotY + 1);
    }
    // The quest log with the bounty posted names the open quests in their
    // order: the pirates' quest, then the bounty's.
    void QuestLog() {
        ASSERT_NO_FATAL_FAILURE(KeyTo(kScanF4, kSystemMenu));
        ASSERT_NO_FATAL_FAILURE(ClickTo(SysRowPointX(), SysRowPointY(kSysQuests), kQuestLog));
        std::vector<std::string> shown, open;
        for (int k = 0; k < kQuestRows && gQuestFrame->rowIndex[k] >= 0; ++k)
            shown.push_back(gQuestFrame->names[k]);
        for (u32 q : want.quests) open.push_back(Utf8ToBig5(design::kQuestNames.at(q)));
        EXPECT_EQ(shown, open);
        EXPECT_EQ(shown.size(), 2u);
        ASSERT_NO_FATAL_FAILURE(BackToTheMap());
    }
    // Home by the town's mark with the pirates gone: the bounty paid once (its
    // gold and potions, its quest closed), the same thanks twice after it.
    void BountyPaidOnce() {
        ASSERT_NO_FATAL_FAILURE(WorldMapTo(kWorldTownLocation, kTown));
        ASSERT_NO_FATAL_FAILURE(s.Walk({{kArrowRight, 21, 10}, {kArrowDown, 21, kEventY - 1}}));
        ASSERT_NO_FATAL_FAILURE(TalkToTheHarbourMaster(design::kBountyPays));
        for (int again = 0; again < 2; ++again)
            ASSERT_NO_FATAL_FAILURE(TalkToTheHarbourMaster(design::kBountyPaid));
        want.money += design::kBountyGold;
        want.items[sample::kBigPotion] += design::kBountyPotions;
        std::erase(want.quests, static_cast<u32>(kSampleBountyQuest));
        At(kTown, s.P().x / 16, s.P().y / 16);
    }
    // The keeper once more while the pirates hold the pier: no second raid,
    // he rows the party back to the pier.
    void KeeperAgain() {
        ASSERT_NO_FATAL_FAILURE(OutBySignpost(kArrowDown, pier->x));
        ASSERT_NO_FATAL_FAILURE(WorldMapTo(kWorldLighthouseLocation, kFar));
        s.Tap(s.Confirm());
        ASSERT_EQ(gTalkContext.talk, kSampleKeeperTalk);
        bool fought = false;
        for (int i = 0; i < 80 && gMapId != kTown; ++i) {
            fought = fought || gBattleActive != 0;
            TapKey(h, s.Confirm(), 4);
        }
        EXPECT_FALSE(fought) << "a second raid";
        ASSERT_NO_FATAL_FAILURE(OnTheMap(kTown));
        At(kTown, pier->x, kStreetSpotY + 1);
    }
    void Pirates() {
        ASSERT_NO_FATAL_FAILURE(PierFightBegins());
        const i32 offered = gGodForms[kSampleEarnedForm].offerValue;
        ASSERT_NO_FATAL_FAILURE(TransformIntoTheEarnedForm());
        s.Tap(static_cast<u8>(gKeyBindings[kKeyAutoAttack]));
        ASSERT_TRUE(FightEnds()) << "the pirates won";
        // The form is gone with the fight: it has paid for its actions from
        // its offering value, and only the party, every member standing, is
        // left on the party's side.
        EXPECT_LT(gGodForms[kSampleEarnedForm].offerValue, offered);
        int members = 0;
        for (i32 m : gParty) {
            if (m < 0) continue;
            ++members;
            EXPECT_GE(gRoleStats[m].hp, 1) << m;
        }
        EXPECT_EQ(std::pair(gPartySide.count, gPartySide.creatureInControl), std::pair(members, 0))
            << "the form still stands for the party";
        std::erase(want.quests, static_cast<u32>(kSamplePiratesQuest));
        want.cx = -1;
    }
    // The ship sails off in a video, which Esc stops.
    void ShipsVideo() {
        ASSERT_TRUE(ConfirmUntil([] { return (gRunState & kRunVideo) != 0; }, 20));
        ASSERT_NE(gBinkPlayer, nullptr);
        EXPECT_TRUE(gBinkPlayer->IsOpen()) << "the ship's video is there";
        h.PostKeyUp(VK_ESCAPE);
        h.RunFrames(2);
        EXPECT_FALSE(gRunState & kRunVideo);
    }
    // The harbour's pictures from the game's Video folder, every one of them.
    void PictureShow() {
        ASSERT_TRUE(ConfirmUntil([] { return gPicShow.running; }, 20));
        ASSERT_TRUE(h.RunUntil([] { return !gPicShow.running; }, 200));
        EXPECT_EQ(gPicShow.frame, gPicShow.header.frames);
        EXPECT_GT(gPicShow.header.frames, 0u);
        ASSERT_TRUE(ConfirmUntil([] { return gMapId == kWorld; }));
        want.map = kWorld;
    }
    void Ending() {
        ASSERT_NO_FATAL_FAILURE(OutBySignpost(kArrowUp, s.P().x / 16));
        ASSERT_NO_FATAL_FAILURE(WorldMapTo(kWorldLighthouseLocation, kFar));
        s.Tap(s.Confirm());
        ASSERT_EQ(gTalkContext.talk, kSampleKeeperTalk);
        ASSERT_TRUE(ConfirmUntil([] { return gFrameId == Screen(kEndingScreen); }));
        std::vector<i32> stages;
        for (int f = 0; f < 1000 && gFrameId == Screen(kEndingScreen); ++f) {
            if (gFramePhase == 1 && (stages.empty() || stages.back() != gEndingFrame.state)) {
                stages.push_back(gEndingFrame.state);
                if (gEndingFrame.state == 41) ExpectTheClosingWords();
            }
            h.RunFrames(1);
        }
        EXPECT_EQ(stages, (std::vector<i32>{1, 21, 41, 61, 0}));
        At(kFar, -1, -1);  // in the ending
    }
    // The closing words as the rising panel shows them while the ending
    // holds: each line's band of the panel has writing, and no row more than
    // a few pixels from every band has any (the panel's blue is the blank).
    void ExpectTheClosingWords() {
        using namespace sample_art;
        const cControl& panel = *gEndingFrame.rising;
        i32 w = 0, ht = 0;
        EndingFrameSize(kEndingFirst + 1, &w, &ht);
        const u16 blank = CanvasAt(panel.x + 5, panel.y + 5);
        std::vector<int> written(static_cast<size_t>(ht), 0), near(static_cast<size_t>(ht), 0);
        for (i32 y = 5; y < ht - 5; ++y)
            for (i32 x = 5; x < w - 5; ++x)
                written[y] += CanvasAt(panel.x + x, panel.y + y) != blank;
        std::vector<bool> lines, wantLines;
        i32 top = kEndingWordsTop;
        for (const EndingLine& line : kEndingWords) {
            if (*line.text) {
                int ink = 0;
                for (i32 y = top; y < top + line.size; ++y) ink += written[y];
                lines.push_back(ink > 0);
                wantLines.push_back(true);
                for (i32 y = std::max(0, top - 3); y < std::min(ht, top + line.size + 3); ++y)
                    near[y] = 1;
            }
            top += line.size + line.size / 2;
        }
        int stray = 0;
        for (i32 y = 0; y < ht; ++y) stray += near[y] ? 0 : written[y];
        EXPECT_EQ(lines, wantLines) << "a line of the closing words is missing";
        EXPECT_EQ(stray, 0) << "writing outside the closing words' lines";
    }
    // The end screen's two lines.
    void EndScreen() {
        ASSERT_NO_FATAL_FAILURE(Reached(kTestEnd));
        std::vector<std::string> texts;
        for (const cControl* c : gControlList)
            if (c->text && *c->text) texts.push_back(c->text);
        EXPECT_EQ(texts, (std::vector<std::string>{Utf8ToBig5("測試版結束！！"),
                                                   Utf8ToBig5("(有何問題及建議請多多指教)")}));
    }
    void TitleAgain() {
        h.RunFrames(40);
        s.Tap(s.Confirm());
        ASSERT_NO_FATAL_FAILURE(Reached(0));
        EXPECT_EQ(gMapId, 0u);
        // The quick save outlives the end: F10 on the title loads it, in
        // front of the pier before the pirates' fight.
        ASSERT_NO_FATAL_FAILURE(QuickLoadFromTheTitle(kStreetSpotY + 1));
    }
};

TEST_F(PlayThrough, TitleToEnding) {
    using P = PlayThrough;
    const struct {
        const char* name;
        void (P::*play)();
        bool checked;            // the state compared with the player's expectations
        std::vector<int> flags;  // the story's flags the leg's talks set
    } legs[] = {
        // The opening's goods unlock forms 0 and 1.
        {"town", &P::NewGame, true, {300, 301}},
        {"pier before the raid", &P::PierBeforeTheRaid, true, {}},
        {"store: bought", &P::Store, true, {}},
        {"smith: sold", &P::SmithSells, true, {}},
        {"smith: strengthened", &P::SmithStrengthens, true, {}},
        {"house's door both ways", &P::HouseDoor, true, {kSampleRoomFlag}},
        {"collector's item list", &P::Collector, true, {}},
        {"world map", &P::WorldMap, true, {}},
        {"meadow", &P::Meadow, true, {}},
        {"meadow fight won", &P::MeadowFight, true, {}},
        {"lighthouse", &P::Lighthouse, true, {}},
        {"keeper answered no", &P::KeeperSaysNo, true, {}},
        {"out of the lighthouse and back", &P::OutOfTheLighthouseAndBack, true, {}},
        // Flag 322 is set for the raid and cleared after it.
        {"raid lost and survived", &P::Raid, true, {kSampleRaidFlag}},
        {"legend", &P::Legend, true, {300 + kSampleEarnedForm}},
        {"rowed to the pier", &P::RowedToThePier, true, {}},
        {"quick saved", &P::QuickSave, true, {}},
        {"quick loaded after a restart", &P::QuickLoadAfterARestart, true, {}},
        {"slot saved", &P::SlotSave, true, {}},
        {"slot loaded", &P::SlotLoad, true, {}},
        {"offering", &P::Offering, true, {}},
        {"transformation page", &P::TransformationPage, true, {}},
        {"formation", &P::Formation, true, {}},
        {"settings", &P::Settings, true, {}},
        {"skill list", &P::SkillList, true, {}},
        {"fled from the pirates", &P::FledFromThePirates, true, {}},
        {"bounty asked twice, not paid", &P::BountyAskedTwice, true, {kSampleBountyFlag}},
        {"quest log of two", &P::QuestLog, true, {}},
        {"keeper again: no second raid", &P::KeeperAgain, true, {}},
        {"pirates beaten with the thunder god's form", &P::Pirates, true, {kSamplePiratesFlag}},
        {"ship's video", &P::ShipsVideo, true, {}},
        {"picture show", &P::PictureShow, true, {}},
        {"bounty paid once", &P::BountyPaidOnce, true, {kSampleBountyPaidFlag}},
        {"ending", &P::Ending, true, {}},
        {"end screen", &P::EndScreen, true, {}},
        {"title again", &P::TitleAgain, false, {}},
    };
    for (const auto& leg : legs) {
        (this->*leg.play)();
        want.flags.insert(leg.flags.begin(), leg.flags.end());
        if (!HasFailure() && leg.checked) CheckState(leg.name);
        if (HasFailure()) FAIL() << "first checkpoint not reached: " << leg.name;
        std::cout << "checkpoint: " << leg.name << std::endl;
    }
}

}  // namespace
