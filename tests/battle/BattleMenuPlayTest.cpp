// A battle the player fights through the real window: from the map into the
// town encounter with the opening's party and goods, a war drum from the item
// list by mouse, attacks by keyboard, the victory and the way back to the map.
#include <gtest/gtest.h>

#include "battle/Battle.h"
#include "battle/BattleController.h"
#include "battle/BattleKeys.h"
#include "data/GameData.h"
#include "engine/FrameState.h"
#include "map/MapManage.h"
#include "mhdata/SampleBattle.h"
#include "mhdata/SampleMenu.h"
#include "support/Harness.h"
#include "support/Input.h"
#include "support/SampleSession.h"

TEST(BattleMenuPlay, TheEncounterIsWonByHandAndTheMapComesBack) {
    Harness h;
    SampleSession s{h};
    s.NewGameFromTheTitle();
    ASSERT_TRUE(s.ConfirmUntilTalkEnds());
    h.RunFrames(2);
    ASSERT_EQ(gFormation[0], 0);
    gBattleRequest = sample_battle::kTownEncounter;
    EnterBattle();
    ASSERT_TRUE(h.RunUntil([] { return gBattle.phase() == kPhaseMain; }, 40));
    cCommandMenu& menu = gBattleController.menu;
    auto ringReady = [&] { return menu.Current() && menu.ringX == kRingInX && !menu.Chosen(); };

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
