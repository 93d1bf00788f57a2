// Battles a player fights through the real window in a sample new game: a
// meadow encounter met by walking about and won by hand (a war drum from
// the item list by mouse, attacks by keyboard, the way back to the map), keys
// held down while the battle moves on, and every ring row's list in the
// thunder god's fight with the goods, skills and form the opening gives, by
// keys and by the mouse.
#include <gtest/gtest.h>

#include <cstring>
#include <initializer_list>
#include <set>
#include <string>
#include <vector>

#include "battle/Battle.h"
#include "battle/BattleController.h"
#include "battle/FighterAct.h"
#include "data/Equipage.h"
#include "data/GameDatabase.h"
#include "data/KeyBindings.h"
#include "data/GameFlags.h"
#include "engine/MyAct.h"
#include "engine/Tsw.h"
#include "map/City.h"
#include "map/MapManage.h"
#include "mhdata/Databases.h"
#include "mhdata/Maps.h"
#include "mhdata/SampleBattle.h"
#include "mhdata/SampleBattleParty.h"
#include "mhdata/SampleEquip.h"
#include "mhdata/SampleMenu.h"
#include "mhdata/SampleSkillMenu.h"
#include "platform/Input.h"
#include "platform/TextCodec.h"
#include "support/Harness.h"
#include "support/Input.h"
#include "support/SampleSession.h"

namespace {
struct RingWalk {
    Harness& h;
    cCommandMenu& menu = gBattleController.menu;

    // A new game past its opening talk.
    static bool PastTheOpening(Harness& h) {
        SampleSession s{h};
        s.NewGameFromTheTitle();
        if (!s.ConfirmUntilTalkEnds()) return false;
        h.RunFrames(2);
        return true;
    }
    // Then battle n (entered with the keys that are down) up to its main phase.
    static bool StartBattle(Harness& h, u32 n, std::initializer_list<u8> down = {}) {
        if (!PastTheOpening(h)) return false;
        gBattleRequest = n;
        EnterBattle();
        for (u8 k : down) PlatformSetKey(k, true);
        return h.RunUntil([] { return gBattle.phase() == kPhaseMain; }, 40);
    }
    // Or walking the meadow, where every step is in the encounter zone, until
    // a battle starts; up to its main phase. The battle is the one the zone's
    // roll picks.
    static bool WalkIntoBattle(Harness& h) {
        if (!PastTheOpening(h)) return false;
        using namespace sampleMap;
        LoadCity(kMeadow, kMeadowArriveX, kMeadowArriveY, 1, 0, 3, 0);
        ClearGameFlag(SampleSession::kFlagNoEncounters);
        const u8 legs[] = {kArrowDown, kArrowRight, kArrowUp, kArrowLeft};
        for (int leg = 0; leg < 16 && !gBattleActive; ++leg) {
            PlatformSetKey(legs[leg % 4], true);
            h.RunUntil([] { return gBattleActive != 0; }, 40);
            PlatformSetKey(legs[leg % 4], false);
            h.RunFrames(2);
        }
        return gBattleActive && h.RunUntil([] { return gBattle.phase() == kPhaseMain; }, 40);
    }
    bool RingReady() { return menu.Current() && menu.ringX == kRingInX && !menu.Chosen(); }
    bool ListShown() { return menu.list.open && menu.list.y == kListShownY; }
    void RowByKeys(int k) {
        for (int i = 0; i < kRingRows && menu.row != k; ++i) TapKey(h, kScanDown);
        ASSERT_EQ(menu.row, k);
        TapKey(h, kScanEnter);
        ASSERT_TRUE(h.RunUntil([&] { return ListShown(); }, 12));
    }
    void RowByMouse(int k) {
        ClickAt(h, gRingPoints[k].x, gRingPoints[k].y);
        ASSERT_TRUE(h.RunUntil([&] { return ListShown(); }, 12));
    }
    // Esc or a right click slides the list away and the same fighter's ring is back.
    void Back(bool mouse) {
        cFighter* me = menu.Current();
        if (mouse) {
            gDInput.SetMousePos(200, 300);
            h.RunFrames(1);
            PlatformSetMouseButtons(false, true);
            h.RunFrames(1);
            PlatformSetMouseButtons(false, false);
            h.RunFrames(1);
        } else {
            TapKey(h, kScanEsc);
        }
        ASSERT_TRUE(h.RunUntil([&] { return !menu.list.open && RingReady(); }, 12));
        EXPECT_EQ(menu.Current(), me);
    }
    void Defend() {
        for (int i = 0; i < kRingRows && menu.row != 1; ++i) TapKey(h, kScanUp);
        TapKey(h, kScanEnter, 2);
    }
    std::vector<i32> Order() {
        std::vector<i32> ids;
        for (int i = 0; i < menu.list.count; ++i) ids.push_back(menu.list.rows[i].id);
        return ids;
    }
};

bool NameIs(const ListRow& r, const char* utf8) {
    return std::strcmp(r.name, Utf8ToBig5(utf8).c_str()) == 0;
}
}  // namespace

TEST(BattleSamplePlay, EveryRingListOpensInTheThunderGodsFight) {
    using namespace sampleMenu;
    using namespace sampleSkills;
    Harness h;
    ASSERT_TRUE(RingWalk::StartBattle(h, sampleBattleParty::kThunderFight));
    RingWalk w{h};
    std::set<i32> seen;
    auto allSeen = [&] { return seen.count(0) && seen.count(1) && seen.count(3) && seen.count(5); };
    for (int turn = 0; turn < 40 && !allSeen(); ++turn) {
        ASSERT_TRUE(h.RunUntil([&] { return w.RingReady(); }, 800)) << "turn " << turn;
        const i32 role = CommandRole(*w.menu.Current());
        ASSERT_GE(role, 0);
        // A kind-1 enemy stands: nobody may flee; the item row is open to all,
        // and every member has learned skills in both of its skill rows.
        EXPECT_EQ(gCommandRows[role][3].enabled, 0) << role;
        for (int k : {4, 6, 7}) EXPECT_EQ(gCommandRows[role][k].enabled, 1) << role << " row " << k;
        if (!seen.insert(role).second) {
            w.Defend();
            continue;
        }
        if (role == 0) {
            // Healing by keys: fifteen skills, the 99-MP one greyed.
            w.RowByKeys(6);
            EXPECT_EQ(w.menu.list.count, 15);
            EXPECT_EQ(w.menu.list.rows[0].id, kMend);
            EXPECT_TRUE(NameIs(w.menu.list.rows[0], "小治療"));
            for (int i = 0; i < w.menu.list.count; ++i)
                EXPECT_EQ(w.menu.list.rows[i].disabled,
                          w.menu.list.rows[i].id == kGreatMend ? 1 : 0);
            w.Back(false);
            // Items by the mouse: battle goods with their counts, map-only goods left out.
            w.RowByMouse(4);
            const std::vector<i32> order = w.Order();
            const std::set<i32> ids(order.begin(), order.end());
            for (i32 id : {kWeakDraught, kRebirthHerb, kFireFlask, kWarDrum, kBrokenBell})
                EXPECT_TRUE(ids.count(id)) << id;
            for (i32 id : {kStrengthPill, kWisdomWater, kOldMap, kFirstStory})
                EXPECT_FALSE(ids.count(id)) << id;
            for (int i = 0; i < w.menu.list.count; ++i)
                EXPECT_EQ(w.menu.list.rows[i].number, kOpeningCount);
            w.Back(true);
        } else if (role == 1) {
            // Summons by the mouse: the opening unlocks forms 0 and 1.
            w.RowByMouse(5);
            EXPECT_EQ(w.Order(), (std::vector<i32>{kFireSummon, kFireSummon + 1}));
            w.Back(false);
            // God arts by keys: at level 2 the heal and the group heal, not yet revival.
            w.RowByKeys(6);
            EXPECT_EQ(w.Order(), (std::vector<i32>{sample::kHeal, sample::kGroupHeal}));
            EXPECT_TRUE(NameIs(w.menu.list.rows[0], "治癒"));
            w.Back(true);
        } else if (role == 3) {
            // Throw by keys: the unworn shield and the opening's pieces, one row
            // each, never a worn piece.
            w.RowByKeys(5);
            int given = 1;
            for (auto [piece, copies] : SampleEquipGifts()) given += copies;
            ASSERT_EQ(w.menu.list.count, given);
            bool shield = false;
            for (int i = 0; i < w.menu.list.count; ++i) {
                shield = shield || NameIs(w.menu.list.rows[i], "鐵盾");
                EXPECT_FALSE(IsEquipageEquipped(w.menu.list.rows[i].id)) << i;
            }
            EXPECT_TRUE(shield);
            w.Back(false);
        } else if (role == 5) {
            // Transform opens once every gauge of the party stands full.
            for (int i = 0; i < gPartySide.count; ++i) gPartySide.fighters[i].gauge = 255;
            h.RunFrames(1);
            ASSERT_EQ(gCommandRows[role][5].enabled, 1);
            w.RowByMouse(5);
            EXPECT_EQ(w.Order(), (std::vector<i32>{kOpeningForm, kOpeningForm + 1}));
            w.Back(true);
        }
        w.Defend();
    }
    EXPECT_TRUE(allSeen()) << seen.size();
}

TEST(BattleMenuPlay, TheEncounterIsWonByHandAndTheMapComesBack) {
    Harness h;
    ASSERT_TRUE(RingWalk::WalkIntoBattle(h));
    // The meadow zone's list holds the lone goblin and the slime.
    EXPECT_TRUE(gBattleRequest == sample_battle::kLoneGoblin ||
                gBattleRequest == sample_battle::kTownEncounter)
        << gBattleRequest;
    RingWalk w{h};
    cCommandMenu& menu = w.menu;
    auto ringReady = [&] { return w.RingReady(); };

    // The item row by mouse, then the drum's row of the list: it beats for the whole party.
    ASSERT_TRUE(h.RunUntil(ringReady, 400));
    cFighter& me = *menu.Current();
    ClickAt(h, gRingPoints[4].x, gRingPoints[4].y);
    ASSERT_EQ(menu.code, kRingItem);
    ASSERT_TRUE(h.RunUntil([&] { return menu.list.open && menu.list.y == kListShownY; }, 10));
    const ListRow* row = nullptr;
    for (int i = 0; i < menu.list.count; ++i)
        if (menu.list.rows[i].id == sampleMenu::kWarDrum) row = &menu.list.rows[i];
    ASSERT_NE(row, nullptr);
    EXPECT_EQ(row->number, sampleMenu::kOpeningCount);
    // The drum lies below the first page: the down key brings it into view.
    const int at = static_cast<int>(row - menu.list.rows);
    for (int i = 0; i < 2 * at && menu.list.selected < at; ++i) TapKey(h, kScanDown, 2);
    ASSERT_EQ(menu.list.selected, at);
    ClickAt(h, 300, 45 + 20 * menu.list.viewRow + 5, 0);
    ASSERT_TRUE(h.RunUntil([&] { return me.command == kCmdItem; }, 10));
    EXPECT_EQ(me.itemInUse, &gItems[sampleMenu::kWarDrum]);
    EXPECT_EQ(me.targets[0], &gPartySide.fighters[0]);
    EXPECT_EQ(me.targets[1], &gPartySide.fighters[1]);

    // Attacks by keyboard until the slime falls.
    for (int turn = 0; turn < 30 && gBattle.phase() == kPhaseMain; ++turn) {
        if (!h.RunUntil([&] { return ringReady() || gBattle.phase() != kPhaseMain; }, 600)) break;
        if (gBattle.phase() != kPhaseMain) break;
        for (int k = 0; k < kRingRows && menu.row != 0; ++k) TapKey(h, kScanUp);
        TapKey(h, kScanEnter);
        ASSERT_TRUE(h.RunUntil([&] { return menu.blinkEnemy >= 0; }, 5));
        cFighter* who = menu.Current();
        TapKey(h, kScanEnter, 0);
        EXPECT_TRUE(who->command == kCmdAttack || who->IsActing());
    }
    ASSERT_EQ(gBattle.phase(), static_cast<u32>(kPhaseEnding));
    EXPECT_EQ(gBattle.outcome(), static_cast<u32>(kOutcomeVictory));
    ASSERT_TRUE(h.RunUntil([] { return gBattleActive == 0; }, 1000));
    EXPECT_EQ(gFrameId, 0u);
    EXPECT_TRUE(h.boxes().empty());
}

// A key still down when the battle moves on (the opening gives way to the
// fight, a command is given and the next ring comes in) does nothing until it
// has been let go; the same key pressed afresh acts at once.
TEST(BattleMenuPlay, KeysHeldIntoTheNextRingAreNotNewPresses) {
    Harness h;
    const u8 autoKey = static_cast<u8>(gKeyBindings[kKeyAutoAttack]);
    auto hold = [&](bool down) {
        for (u8 k : {kScanEnter, kScanDown, autoKey}) PlatformSetKey(k, down);
    };
    ASSERT_TRUE(
        RingWalk::StartBattle(h, sample_battle::kTownEncounter, {kScanEnter, kScanDown, autoKey}));
    cCommandMenu& menu = gBattleController.menu;
    auto ringReady = [&] { return menu.Current() && menu.ringX == kRingInX; };
    // Held long past the repeat delay, the keys neither move the row nor
    // choose it, nor hand the party to auto battle.
    auto heldKeysIdle = [&](const char* when) {
        const int row = menu.row;
        cFighter* me = menu.Current();
        h.RunFrames(30);
        EXPECT_EQ(menu.Current(), me) << when;
        EXPECT_EQ(menu.row, row) << when;
        EXPECT_FALSE(menu.Chosen()) << when;
        EXPECT_EQ(me->command, kCmdNone) << when;
        EXPECT_EQ(gBattleController.autoBattle, 0) << when;
    };

    ASSERT_TRUE(h.RunUntil(ringReady, 400));
    heldKeysIdle("from the opening");
    hold(false);
    h.RunFrames(2);
    for (int k = 0; k < kRingRows && menu.row != 1; ++k) TapKey(h, kScanDown);
    ASSERT_EQ(menu.row, 1);

    // Defend, and keep the confirm key down, the down key joining it, into
    // whoever comes next.
    cFighter* first = menu.Current();
    PlatformSetKey(kScanEnter, true);
    ASSERT_TRUE(h.RunUntil([&] { return first->command == kCmdDefend; }, 3));
    PlatformSetKey(kScanDown, true);
    ASSERT_TRUE(h.RunUntil(ringReady, 600));
    heldKeysIdle("after a command");
    hold(false);
    h.RunFrames(2);
    const int row = menu.row;
    TapKey(h, kScanDown);
    EXPECT_EQ(menu.row, (row + 1) % kRingRows);
}

// Every act the sample's records name and the battle, the offering page, the
// swimming scene and the save tool draw by number is in the sample's archives
// with the actions they play, so a fight prints no missing act: bodies (the
// offering page's picture action 13 and the stand of both facings), hits and
// effects (actions 0 and 1), the icons of act 9901; the pictures drawn by the
// act's number (the progress mark, frame 22 of 9007, the page arrows of 9051).
TEST(BattleSampleArt, EveryActTheRecordsAndTheScreensNameIsInTheSample) {
    Harness h;
    h.WriteSample();
    LoadGameDatabase(h.root().c_str());
    SetPicLibPath(h.root().c_str());
    ASSERT_EQ(OpenPicLib(), 1);
    std::set<std::pair<i32, i32>> wanted;  // (act, action)
    auto want = [&](i32 act, std::initializer_list<i32> actions) {
        for (i32 a : actions) wanted.insert({act, a});
    };
    for (i32 i = 0; i < gMonsterCount; ++i) {
        const MonsterData& m = gMonsters[i];
        if (!m.name[0]) continue;
        if (m.act) want(m.act, {4, 5, 13});
        if (m.hitAct) want(m.hitAct, {0, 1});
        want(9901, {0});
    }
    for (i32 i = 0; i < gSkillCount; ++i)
        if (gSkills[i].name[0]) {
            if (gSkills[i].effectAct) want(gSkills[i].effectAct, {0, 1});
            want(9901, {gSkills[i].icon});
        }
    for (i32 i = 0; i < gItemCount; ++i)
        if (gItems[i].name[0]) {
            if (gItems[i].effectAct) want(gItems[i].effectAct, {0});
            want(9901, {gItems[i].icon});
        }
    for (i32 i = 0; i < gEquipageCount; ++i)
        if (gEquipages[i].name[0]) {
            want(gEquipages[i].weaponPic, {0, 1});
            want(9901, {gEquipages[i].icon});
        }
    for (u32 act : {kAnimThrow, kAnimCast, kAnimTheft, kAnimHurt, kAnimTransform, kAnimBarrier,
                    kAnimSunShield, kAnimMoonShield, kAnimStarShield, kAnimGuard, kAnimEnemyFall,
                    kAnimCaptureOrb, kAnimRanged, kAnimNoItem, kAnimStolen})
        want(static_cast<i32>(act), {0});
    want(7141, {0, 1});  // the bare-handed hit
    want(kAnimFallBoss, {1});
    want(3201, {13});  // the offering page's picture of a monster without one
    for (const auto& [act, action] : wanted) {
        ActPlayer p;
        ResetActPlayer(&p);
        p.act = act;
        p.action = action;
        EXPECT_EQ(TakeActData(&p), 1) << act << "/" << action << ": " << ActLastError();
    }
    const std::pair<u16, u16> pictures[] = {{9007, 22}, {9051, 0}, {9051, 1}};
    for (auto [pic, frame] : pictures)
        EXPECT_NE(GetPic(pic, frame), nullptr) << pic << "/" << frame;
}
