// Whole battles through the real tick: on auto, and as a player fights them in
// a sample new game (keys held down while the battle moves on, an attack with
// nobody to mark), and every act the battle names.
#include "support/BattleFixtures.h"

namespace {

using namespace sample_battle;

TEST(BattleEndToEnd, StoryAndEncounterBattlesWonOnAutoBackToTheMap) {
    Harness h;
    SampleSession s{h};
    s.NewGameFromTheTitle();
    h.RunFrames(30);
    const int mapMusic = gMusic.GetMode();
    const int guard = FindRoleById(102);
    ASSERT_TRUE(guard > 0 && (gMapRoles[guard].state & kRoleShown)) << guard;
    // The party is role 0 alone, at level 1 with no experience.
    ASSERT_EQ(std::tuple(gFormation[0], gFormation[1], gRoleStats[0].level), std::tuple(0, -1, 1));
    // The story battle is what the pier talk's battle command leaves, with a
    // role to hide: a slime and a goblin, 20 + 40 gold, 12 + (24 + 1)
    // experience. The encounter is what a step in the town's encounter zone
    // does: a slime, and 37 + 12 experience passes the 45 of level 1.
    const struct Start {
        const char* name;
        u32 gold;
        i32 level, exp;
    } starts[] = {{"story", 60, 1, 37}, {"encounter", 20, 2, 4}};
    for (const Start& st : starts) {
        const u32 money = gScriptVars[0];
        MusicRecorder played;
        const bool story = st.name[0] == 's';
        gBattleRoleChanges[0] = story ? 102 : -1;
        gBattleRequest = story ? 0x80000001u : kTownEncounter;
        if (!story) EnterBattle();
        ASSERT_TRUE(h.RunUntil([] { return gBattleActive != 0; }, 3)) << st.name;
        // The first opening tick still shows the map over the backdrop; once
        // the dissolve is over the backdrop shows.
        ASSERT_TRUE(
            h.RunUntil([] { return gBattle.phase() == kPhaseOpening && gBattle.fade() == 14; }, 3));
        const u16 layer = LayerPx(story ? kHarbourAct : kBackdropAct, 1);
        const int lx = kLayerProbe[1].x, ly = kLayerProbe[1].y;  // a spot no fighter stands over
        EXPECT_NE(gPaintBuf[ly * 640 + lx], layer) << st.name;
        if (story) {
            EXPECT_TRUE(gMapRoles[guard].state & kRoleShown);  // hidden once the dissolve is over
        }
        ASSERT_TRUE(h.RunUntil([] { return gBattle.phase() == kPhaseMain; }, 20)) << st.name;
        // The auto-battle key (binding 10) hands the party to the picker.
        TapKey(h, static_cast<u8>(gKeyBindings[kKeyAutoAttack]), 0);
        EXPECT_EQ(std::tuple(gPaintBuf[ly * 640 + lx], gBattleController.autoBattle),
                  std::tuple(layer, 1))
            << st.name;
        ASSERT_TRUE(h.RunUntil([] { return gBattle.phase() == kPhaseEnding; }, 5000)) << st.name;
        EXPECT_EQ(gBattle.outcome(), static_cast<u32>(kOutcomeVictory)) << st.name;
        ASSERT_TRUE(h.RunUntil([] { return gBattleActive == 0; }, 1000)) << st.name;
        for (i32 v : gBattleRoleChanges) EXPECT_EQ(v, -1) << st.name;
        EXPECT_EQ(std::tuple(gFrameId, gBattleRequest, gMapRoles[guard].state & kRoleShown,
                             gScriptVars[0], gRoleStats[0].level, gRoleStats[0].exp),
                  std::tuple(0u, 0u, 0u, money + st.gold, st.level, st.exp))
            << st.name;
        // The victory piece (name 44), and the level-up piece (45) for a new level.
        std::vector<std::string> pieces;
        for (const auto& t : played.tracks())
            if (t.list == 3) pieces.push_back(t.name.substr(t.name.rfind('\\') + 1));
        std::vector<std::string> want = {story ? "theme.xmi" : "battle.mp3", "theme.xmi"};
        if (st.level > 1) want.push_back("field.wav");
        EXPECT_EQ(pieces, want) << st.name;
        EXPECT_TRUE(h.RunUntil([&] { return gMusic.GetMode() == mapMusic; }, 40)) << st.name;
    }
}

struct RingWalk {
    Harness& h;
    cCommandMenu& menu = gBattleController.menu;

    // A new game past its opening talk, then battle n (entered with the keys
    // that are down) up to its main phase.
    static bool StartBattle(Harness& h, u32 n, std::initializer_list<u8> down = {}) {
        SampleSession s{h};
        s.NewGameFromTheTitle();
        if (!s.ConfirmUntilTalkEnds()) return false;
        h.RunFrames(2);
        gBattleRequest = n;
        EnterBattle();
        for (u8 k : down) PlatformSetKey(k, true);
        return h.RunUntil([] { return gBattle.phase() == kPhaseMain; }, 40);
    }
    bool RingReady() { return menu.Current() && menu.ringX == kRingInX && !menu.Chosen(); }
    // Esc or a right click leaves the pick and the same fighter's ring is back.
    void Back(bool mouse) {
        cFighter* me = menu.Current();
        if (mouse) {
            gDInput.SetMousePos(200, 300);
            for (bool right : {false, true, false}) {
                PlatformSetMouseButtons(false, right);
                h.RunFrames(1);
            }
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
};

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
        EXPECT_EQ(std::tuple(menu.Current(), menu.row, menu.Chosen(), me->command,
                             gBattleController.autoBattle),
                  std::tuple(me, row, false, kCmdNone, 0))
            << when;
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

// A close-combat member's attack while every living foe stands in the back
// row finds nobody to mark. Esc or a right click still leaves the pick; back
// on the ring Tab and the auto key are heard, and the waiting battle goes on.
TEST(BattleMenuPlay, AnAttackWithNobodyToMarkIsLeftAndTheBattleGoesOn) {
    for (bool mouse : {false, true}) {
        Harness h;
        ASSERT_TRUE(RingWalk::StartBattle(h, sample_battle::kTownEncounter));
        ASSERT_EQ(gRealTimeBattle, 0u);
        RingWalk w{h};
        ASSERT_TRUE(h.RunUntil([&] { return w.RingReady(); }, 400));
        cFighter* me = w.menu.Current();
        me->attackKind = 1;
        for (int i = 0; i < gEnemySide.count; ++i) gEnemySide.fighters[i].row = 2;
        gEnemySide.frontCount = 0;
        for (int k = 0; k < kRingRows && w.menu.row != 0; ++k) TapKey(h, kScanUp);
        TapKey(h, kScanEnter);
        h.RunFrames(20);
        ASSERT_EQ(std::tuple(w.menu.Chosen(), w.menu.blinkEnemy, me->command),
                  std::tuple(true, -1, kCmdNone));
        w.Back(mouse);
        // Tab hands the ring to the next member, who defends; the foes then
        // get their turns.
        for (int i = 0; i < gPartySide.count; ++i) gPartySide.fighters[i].gauge = kGaugeFull;
        TapKey(h, kScanTab);
        ASSERT_TRUE(h.RunUntil([&] { return w.RingReady() && w.menu.Current() != me; }, 12));
        auto foeActs = [] {
            for (int i = 0; i < gEnemySide.count; ++i)
                if (gEnemySide.fighters[i].command != kCmdNone) return true;
            return false;
        };
        bool acted = false;
        for (int turn = 0; turn < 12 && !acted; ++turn) {
            if (w.RingReady()) w.Defend();
            acted = h.RunUntil([&] { return foeActs() || w.RingReady(); }, 600) && foeActs();
        }
        EXPECT_TRUE(acted) << mouse;
        ASSERT_TRUE(h.RunUntil([&] { return w.RingReady(); }, 600));
        TapKey(h, static_cast<u8>(gKeyBindings[kKeyAutoAttack]));
        EXPECT_EQ(gBattleController.autoBattle, 1) << mouse;
    }
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
    // Skills, items and equipment: the act each names (if any) and its icon.
    auto records = [&](const auto* table, i32 count, auto act, std::initializer_list<i32> actions) {
        for (i32 i = 0; i < count; ++i) {
            if (!table[i].name[0]) continue;
            if (act(table[i])) want(act(table[i]), actions);
            want(9901, {table[i].icon});
        }
    };
    records(gSkills, gSkillCount, [](const SkillData& r) { return r.effectAct; }, {0, 1});
    records(gItems, gItemCount, [](const ItemData& r) { return r.effectAct; }, {0});
    // Every piece needs its weapon picture: one without asks for act -1, which no archive has.
    records(gEquipages, gEquipageCount,
            [](const EquipageData& r) { return r.weaponPic ? r.weaponPic : -1; }, {0, 1});
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

}  // namespace
