// Every ring row's list reached by a player in a real battle of a sample new
// game: the thunder god's fight, with the goods, skills and form the opening
// gives, by keys and by the mouse.
#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>

#include "battle/Battle.h"
#include "battle/BattleController.h"
#include "data/Equipage.h"
#include "data/GameData.h"
#include "map/MapManage.h"
#include "mhdata/Databases.h"
#include "mhdata/SampleBattleParty.h"
#include "mhdata/SampleEquip.h"
#include "mhdata/SampleMenu.h"
#include "mhdata/SampleSkillMenu.h"
#include "platform/TextCodec.h"
#include "support/Harness.h"
#include "support/Input.h"
#include "support/SampleSession.h"

namespace {
struct RingWalk {
    Harness& h;
    cCommandMenu& menu = gBattleController.menu;

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
    std::set<i32> Ids() {
        std::set<i32> ids;
        for (int i = 0; i < menu.list.count; ++i) ids.insert(menu.list.rows[i].id);
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
    SampleSession s{h};
    s.NewGameFromTheTitle();
    ASSERT_TRUE(s.ConfirmUntilTalkEnds());
    h.RunFrames(2);
    gBattleRequest = sampleBattleParty::kThunderFight;
    EnterBattle();
    ASSERT_TRUE(h.RunUntil([] { return gBattle.phase() == kPhaseMain; }, 40));
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
            const std::set<i32> ids = w.Ids();
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
            ASSERT_EQ(w.menu.list.count, 2);
            EXPECT_EQ(w.menu.list.rows[0].id, kFireSummon);
            EXPECT_EQ(w.menu.list.rows[1].id, kFireSummon + 1);
            w.Back(false);
            // God arts by keys: at level 2 the heal and the group heal, not yet revival.
            w.RowByKeys(6);
            ASSERT_EQ(w.menu.list.count, 2);
            EXPECT_EQ(w.menu.list.rows[0].id, sample::kHeal);
            EXPECT_TRUE(NameIs(w.menu.list.rows[0], "治癒"));
            EXPECT_EQ(w.menu.list.rows[1].id, sample::kGroupHeal);
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
            ASSERT_EQ(w.menu.list.count, 2);
            EXPECT_EQ(w.menu.list.rows[0].id, kOpeningForm);
            EXPECT_EQ(w.menu.list.rows[1].id, kOpeningForm + 1);
            w.Back(true);
        }
        w.Defend();
    }
    std::string roles;
    for (i32 r : seen) roles += std::to_string(r) + " ";
    EXPECT_TRUE(allSeen()) << roles;
}
